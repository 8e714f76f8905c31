// The integer rule and the text forms written for integers and booleans.
// No Windows headers here: the rule is plain code and this file builds
// natively as well.
#include "settings/IntegerRule.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

const int32_t kDefault = 12345; // a value no accepted text below produces

struct IntegerCase {
  const char *text;
  bool accepted;
  int32_t value; // when accepted
};

// Every text that reaches the rule, with what it must give. The rule sees
// the value text as the profile functions return it (see SettingsTest for
// what they strip before that).
const IntegerCase kIntegerCases[] = {
    // Decimal.
    {"31", true, 31},
    {"+31", true, 31},
    {"-31", true, -31},
    {"0", true, 0},
    {"-0", true, 0},
    {"+0", true, 0},
    {"00031", true, 31},
    {"0000000000000000000031", true, 31}, // leading zeros do not count against the range
    {"2147483647", true, INT_MAX},
    {"+2147483647", true, INT_MAX},
    {"-2147483648", true, INT_MIN},
    {"2147483648", false, 0},
    {"-2147483649", false, 0},
    {"+2147483648", false, 0},
    {"4294967296", false, 0},
    {"99999999999999999999", false, 0}, // would wrap a 64-bit accumulator without the check
    // Hexadecimal, every prefix and both letter cases.
    {"0x1F", true, 31},
    {"0X1F", true, 31},
    {"0x1f", true, 31},
    {"$1F", true, 31},
    {"$1f", true, 31},
    {"x1F", true, 31},
    {"X1F", true, 31},
    {"$0", true, 0},
    {"0x0", true, 0},
    {"$7FFFFFFF", true, INT_MAX},
    {"$80000000", true, INT_MIN},
    {"$FFFFFFFF", true, -1},
    {"0xFFFFFFFF", true, -1},
    {"$ffffffff", true, -1},
    {"$0000001F", true, 31},
    {"0x0000001F", true, 31},
    {"$00000000FFFFFFFF", true, -1}, // leading zeros are not among the eight digits
    {"$100000000", false, 0},
    {"0x100000000", false, 0},
    {"$1FFFFFFFF", false, 0},
    // Leading blanks (code 32 only) are skipped, before either form.
    {" 31", true, 31},
    {"   -7", true, -7},
    {" 0x1F", true, 31},
    {"  $1F", true, 31},
    {" +31", true, 31},
    // Whatever else: the default.
    {"", false, 0},
    {" ", false, 0},
    {"+", false, 0},
    {"-", false, 0},
    {"0x", false, 0},
    {"0X", false, 0},
    {" 0x", false, 0},
    {"$", false, 0},
    {"x", false, 0},
    {"1F", false, 0},
    {"3.0", false, 0},
    {"31 ", false, 0},
    {"\t31", false, 0},
    {"31\t", false, 0},
    {"\r31", false, 0},
    {"3 1", false, 0},
    {"+0x1F", false, 0},
    {"-0x1F", false, 0},
    {"-$1F", false, 0},
    {"+$1F", false, 0},
    {"$-1", false, 0},
    {"$+1", false, 0},
    {"0x-1", false, 0},
    {"$ 1F", false, 0},
    {"0x 1F", false, 0},
    {"$1G", false, 0},
    {"$1F ", false, 0},
    {"0x0x1", false, 0},
    {"$$1", false, 0},
    {"--1", false, 0},
    {"+-1", false, 0},
    {"0b101", false, 0},
    {"1e3", false, 0},
    {"true", false, 0},
    {"31;", false, 0},
};

TEST(IntegerRule, EveryTextGivesItsValueOrTheDefault) {
  for (const IntegerCase &c : kIntegerCases) {
    SCOPED_TRACE(std::string("text \"") + c.text + "\"");
    int32_t value = kDefault;
    EXPECT_EQ(c.accepted, settings::ParseInteger(c.text, value));
    EXPECT_EQ(c.accepted ? c.value : kDefault, value) << "a rejected text must leave the value untouched";
    EXPECT_EQ(c.accepted ? c.value : kDefault, settings::ReadInteger(c.text, kDefault));
    EXPECT_EQ(c.accepted ? c.value : -1, settings::ReadInteger(c.text, -1));
  }
}

TEST(IntegerRule, StopsAtTheEndOfTheViewNotAtATerminator) {
  // The reader hands over exactly the bytes the platform returned.
  const char stored[] = "317";
  EXPECT_EQ(31, settings::ReadInteger(std::string_view(stored, 2), kDefault));
  const std::string_view withNul("3\0" "1", 3);
  EXPECT_EQ(kDefault, settings::ReadInteger(withNul, kDefault));
}

TEST(IntegerRule, BooleanIsTheIntegerAgainstItsOwnDefault) {
  struct Case {
    const char *text;
    bool whenDefaultFalse;
    bool whenDefaultTrue;
  };
  const Case cases[] = {
      {"1", true, true},     {"2", true, true},      {"-1", true, true},   {"0x10", true, true},
      {"$FFFFFFFF", true, true},
      {"0", false, false},   {"00", false, false},   {"$0", false, false}, {"-0", false, false},
      {"0x0", false, false},
      // Not integers: the reader's default.
      {"true", false, true}, {"yes", false, true},   {"", false, true},    {"1.0", false, true},
      {"on", false, true},   {"0x", false, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string("text \"") + c.text + "\"");
    EXPECT_EQ(c.whenDefaultFalse, settings::ReadBoolean(c.text, false));
    EXPECT_EQ(c.whenDefaultTrue, settings::ReadBoolean(c.text, true));
  }
}

TEST(IntegerRule, WrittenTextsAreCanonicalAndReadBackAsThemselves) {
  struct Case {
    int32_t value;
    const char *text;
  };
  const Case cases[] = {{0, "0"},          {1, "1"},           {-1, "-1"},
                        {31, "31"},        {-31, "-31"},       {INT_MAX, "2147483647"},
                        {INT_MIN, "-2147483648"}, {1000000, "1000000"}};
  for (const Case &c : cases) {
    EXPECT_EQ(c.text, settings::IntegerText(c.value));
    EXPECT_EQ(c.value, settings::ReadInteger(settings::IntegerText(c.value), kDefault)) << c.text;
  }
  EXPECT_STREQ("1", settings::BooleanText(true));
  EXPECT_STREQ("0", settings::BooleanText(false));
  EXPECT_TRUE(settings::ReadBoolean(settings::BooleanText(true), false));
  EXPECT_FALSE(settings::ReadBoolean(settings::BooleanText(false), true));
}

} // namespace
