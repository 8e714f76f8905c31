// Fuzz target for the integer rule of the settings file.
//
// settings::ParseInteger is checked against a second, independent statement
// of the same grammar: a table-driven automaton over character classes that
// decides acceptance, with the range decided by comparing digit strings
// rather than by accumulating a value (and, for texts short enough, a
// regular expression as a third opinion). On top of that, every 32-bit value
// must survive the round trip through the text the plug-in writes, and the
// hexadecimal forms a user may type must read back as the same value.
#include "settings/IntegerRule.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void Fail(const char *what, std::string_view text) {
  std::fprintf(stderr, "IntegerRule: %s for text [", what);
  for (unsigned char c : text)
    std::fprintf(stderr, c >= 0x20 && c < 0x7F && c != '\\' ? "%c" : "\\x%02X", c);
  std::fprintf(stderr, "]\n");
  std::abort();
}

// --- Reference ---------------------------------------------------------------

enum CharClass { cZero, cDigit, cHexLetter, cX, cDollar, cSign, cOther, ClassCount };

CharClass ClassOf(unsigned char c) {
  if (c == '0')
    return cZero;
  if (c >= '1' && c <= '9')
    return cDigit;
  if ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))
    return cHexLetter;
  if (c == 'x' || c == 'X')
    return cX;
  if (c == '$')
    return cDollar;
  if (c == '+' || c == '-')
    return cSign;
  return cOther;
}

// States of the automaton. Accepting: Dec, LeadZero (a lone "0"), Hex.
enum State { Start, Signed, LeadZero, Dec, HexPrefix, Hex, Reject, StateCount };

//                                  0          1-9     a-f/A-F    x/X        $          +/-     other
const State Next[StateCount][ClassCount] = {
    /* Start     */ {LeadZero,  Dec,    Reject,    HexPrefix, HexPrefix, Signed, Reject},
    /* Signed    */ {Dec,       Dec,    Reject,    Reject,    Reject,    Reject, Reject},
    /* LeadZero  */ {Dec,       Dec,    Reject,    HexPrefix, Reject,    Reject, Reject},
    /* Dec       */ {Dec,       Dec,    Reject,    Reject,    Reject,    Reject, Reject},
    /* HexPrefix */ {Hex,       Hex,    Hex,       Reject,    Reject,    Reject, Reject},
    /* Hex       */ {Hex,       Hex,    Hex,       Reject,    Reject,    Reject, Reject},
    /* Reject    */ {Reject,    Reject, Reject,    Reject,    Reject,    Reject, Reject},
};

// The text the forms are matched against: "0x"/"0X" at the start of a text
// longer than two characters read as "$", then blanks (0x20) skipped.
std::string Prepared(std::string_view text) {
  std::string t(text);
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
    t.replace(0, 2, "$");
  size_t blanks = 0;
  while (blanks < t.size() && t[blanks] == ' ')
    ++blanks;
  return t.substr(blanks);
}

std::string WithoutLeadingZeros(const std::string &digits) {
  size_t i = 0;
  while (i + 1 < digits.size() && digits[i] == '0')
    ++i;
  return digits.substr(i);
}

struct Verdict {
  bool accepted;
  int32_t value;
};

Verdict Reference(std::string_view text) {
  const std::string t = Prepared(text);
  State s = Start;
  bool negative = false;
  std::string digits; // the digits of the number, prefix and sign excluded
  for (unsigned char c : t) {
    const State before = s;
    s = Next[s][ClassOf(c)];
    if (s == Reject)
      return {false, 0};
    if (before == Start && s == Signed)
      negative = c == '-';
    else if (s == Dec || s == Hex || s == LeadZero)
      digits.push_back(static_cast<char>(c));
  }
  if (s != Dec && s != LeadZero && s != Hex)
    return {false, 0};
  const std::string significant = WithoutLeadingZeros(digits);
  if (s == Hex) {
    if (significant.size() > 8)
      return {false, 0};
    uint32_t v = static_cast<uint32_t>(std::strtoul(significant.c_str(), nullptr, 16));
    return {true, static_cast<int32_t>(v)};
  }
  // Decimal: in range when the significant digits are fewer than ten, or ten
  // that do not exceed the limit as a string.
  const std::string limit = negative ? "2147483648" : "2147483647";
  if (significant.size() > limit.size() || (significant.size() == limit.size() && significant > limit))
    return {false, 0};
  const long long magnitude = std::strtoll(significant.c_str(), nullptr, 10);
  return {true, static_cast<int32_t>(negative ? -magnitude : magnitude)};
}

// A third statement of the forms, for texts short enough for std::regex's
// recursive matcher.
bool RegexAccepts(std::string_view text, bool &isHex) {
  static const std::regex decimal("[+-]?[0-9]+");
  static const std::regex hex("(\\$|x|X|0x|0X)[0-9A-Fa-f]+");
  const std::string t = Prepared(text);
  isHex = std::regex_match(t, hex);
  return isHex || std::regex_match(t, decimal);
}

// --- Checks ------------------------------------------------------------------

void CheckText(std::string_view text) {
  const Verdict expected = Reference(text);
  int32_t value = 0x5A5A5A5A;
  const bool accepted = settings::ParseInteger(text, value);
  if (accepted != expected.accepted)
    Fail(accepted ? "accepted, the reference rejects" : "rejected, the reference accepts", text);
  if (accepted && value != expected.value)
    Fail("wrong value", text);
  if (!accepted && value != 0x5A5A5A5A)
    Fail("rejected text changed the value", text);

  if (text.size() <= 200) {
    bool isHex = false;
    const bool formOk = RegexAccepts(text, isHex);
    // The regular expressions state the forms only, not the range.
    if (accepted && !formOk)
      Fail("accepted a text outside the forms", text);
    if (!formOk && expected.accepted)
      Fail("reference automaton and regular expression disagree", text);
  }

  for (int32_t fallback : {INT32_MIN, -1, 0, 1, 12345}) {
    const int32_t read = settings::ReadInteger(text, fallback);
    if (read != (accepted ? expected.value : fallback))
      Fail("ReadInteger disagrees with ParseInteger", text);
  }
  const bool t = settings::ReadBoolean(text, true), f = settings::ReadBoolean(text, false);
  if (accepted ? (t != (expected.value != 0) || f != (expected.value != 0)) : (!t || f))
    Fail("ReadBoolean disagrees with the integer rule", text);
}

void CheckRoundTrip(int32_t v) {
  const std::string written = settings::IntegerText(v);
  char expected[16];
  std::snprintf(expected, sizeof expected, "%d", static_cast<int>(v));
  if (written != expected)
    Fail("IntegerText is not plain decimal", written);
  int32_t back = 0;
  if (!settings::ParseInteger(written, back) || back != v)
    Fail("round trip through IntegerText lost the value", written);

  // Hexadecimal forms of the same 32 bits, as a user might type them.
  const uint32_t bits = static_cast<uint32_t>(v);
  const char *const forms[] = {"$%X", "$%08x", "0x%X", "0X%x", "x%X", "X%08X", "  0x%x", "   $%X", "0x0000%X"};
  for (const char *form : forms) {
    char text[32];
    std::snprintf(text, sizeof text, form, static_cast<unsigned>(bits));
    int32_t h = 0;
    if (!settings::ParseInteger(text, h) || h != v)
      Fail("hexadecimal form did not read back", text);
  }
  // Booleans are written as "1"/"0" and read back.
  if (!settings::ReadBoolean(settings::BooleanText(true), false) ||
      settings::ReadBoolean(settings::BooleanText(false), true))
    Fail("boolean text did not read back", "");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string_view text(reinterpret_cast<const char *>(data), size);
  CheckText(text);
  // Any input gives a value for the round trip: its first four bytes.
  uint32_t bits = 0;
  std::memcpy(&bits, data, size < 4 ? size : 4);
  CheckRoundTrip(static_cast<int32_t>(bits));
  // And numbers near the edges, built from the input's length and last byte.
  const int32_t edges[] = {INT32_MIN, INT32_MAX, 0, -1};
  const int32_t nudge = size ? static_cast<int32_t>(data[size - 1] % 8) : 0;
  for (int32_t e : edges)
    CheckRoundTrip(e >= 0 ? e - nudge : e + nudge);
  return 0;
}
