// How a settings value's text becomes a number. Pure functions with no
// Windows dependency, so that they can be built natively and fuzzed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace settings {

// The integer rule. Accepted, after a leading "0x"/"0X" (in a text longer
// than two characters) has been read as "$" and leading blanks (0x20 only)
// have been skipped:
//   decimal      [+-]?[0-9]+            within the 32-bit signed range
//   hexadecimal  ($|x|X|0x|0X)[0-9A-Fa-f]+   no sign, at most 32 significant
//                                       bits, read as two's complement
// and nothing else: no trailing characters of any kind. On success the value
// is stored in `value` and true returned; otherwise `value` is untouched.
bool ParseInteger(std::string_view text, int32_t &value);

// The integer rule with a default for whatever it rejects.
int32_t ReadInteger(std::string_view text, int32_t fallback);

// A boolean is an integer whose default is 1 for true and 0 for false; it is
// true exactly when the integer is not 0.
bool ReadBoolean(std::string_view text, bool fallback);

// The text form written for each type: decimal with "-" when negative, no
// "+" and no leading zeros; "1" or "0" for booleans.
std::string IntegerText(int32_t value);
const char *BooleanText(bool value);

} // namespace settings
