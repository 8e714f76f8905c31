#include "settings/IntegerRule.h"

namespace settings {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  return -1;
}

bool ParseHex(std::string_view digits, int32_t &value) {
  if (digits.empty())
    return false;
  uint64_t v = 0;
  for (char c : digits) {
    int d = HexDigit(c);
    if (d < 0)
      return false;
    v = (v << 4) | static_cast<unsigned>(d);
    if (v > 0xFFFFFFFFull) // leading zeros never get here
      return false;
  }
  value = static_cast<int32_t>(static_cast<uint32_t>(v));
  return true;
}

bool ParseDecimal(std::string_view text, int32_t &value) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty())
    return false;
  // Accumulate the magnitude; the limit is one larger on the negative side.
  const uint64_t limit = negative ? 0x80000000ull : 0x7FFFFFFFull;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      return false;
    v = v * 10 + static_cast<unsigned>(c - '0');
    if (v > limit)
      return false;
  }
  value = negative ? static_cast<int32_t>(-static_cast<int64_t>(v)) : static_cast<int32_t>(v);
  return true;
}

} // namespace

bool ParseInteger(std::string_view text, int32_t &value) {
  std::string rewritten;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    rewritten.reserve(text.size() - 1);
    rewritten.push_back('$');
    rewritten.append(text.substr(2));
    text = rewritten;
  }
  while (!text.empty() && text[0] == ' ')
    text.remove_prefix(1);
  if (text.empty())
    return false;
  switch (text[0]) {
  case '$':
  case 'x':
  case 'X':
    return ParseHex(text.substr(1), value);
  case '0':
    // "0x1F" was rewritten above; this is "0x" after blanks, as in " 0x1F".
    if (text.size() >= 2 && (text[1] == 'x' || text[1] == 'X'))
      return ParseHex(text.substr(2), value);
    return ParseDecimal(text, value);
  default:
    return ParseDecimal(text, value);
  }
}

int32_t ReadInteger(std::string_view text, int32_t fallback) {
  int32_t value = fallback;
  ParseInteger(text, value);
  return value;
}

bool ReadBoolean(std::string_view text, bool fallback) {
  return ReadInteger(text, fallback ? 1 : 0) != 0;
}

std::string IntegerText(int32_t value) { return std::to_string(value); }

const char *BooleanText(bool value) { return value ? "1" : "0"; }

} // namespace settings
