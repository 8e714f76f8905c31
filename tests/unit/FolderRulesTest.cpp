// The folder tree's pure rules: the order of paths, the captions of
// mailboxes and folders, the icons and the excluded names.
#include "plugin/FolderRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Shift-JIS lead bytes (code page 932): 0x81..0x9F and 0xE0..0xFC.
struct ShiftJisLeadBytes {
  bool table[256] = {};
  ShiftJisLeadBytes() {
    for (int b = 0x81; b <= 0x9F; ++b)
      table[b] = true;
    for (int b = 0xE0; b <= 0xFC; ++b)
      table[b] = true;
  }
};
const ShiftJisLeadBytes ShiftJis;

// A made-up double-byte code page whose only lead byte is "A", so that the
// rule's use of the table, not of Shift-JIS knowledge, shows.
struct LeadA {
  bool table[256] = {};
  LeadA() { table['A'] = true; }
};
const LeadA OnlyA;

// One where "]" is itself a lead byte: a "]" passed over as a second byte
// takes the "]" before it along, so that one is not looked at.
struct LeadBracket {
  bool table[256] = {};
  LeadBracket() { table[']'] = true; }
};
const LeadBracket BracketLeads;

#define SO "\x83\x5c" // "ソ": second byte is "\"
#define ZO "\x83\x5d" // "ゾ": second byte is "]"
#define A_ "\x83\x41" // "ア"
#define DI "\x83\x61" // "ヂ": second byte is "a"
#define SMALL_YA "\x83\x83" // "ャ": both bytes are lead-byte values


// --- Order ---------------------------------------------------------------------

struct CompareCase {
  const char *a;
  const char *b;
  int expected; // the exact result, which the comparison defines
};

TEST(FolderRules, CompareFolderPathsByMappedBytesThenLength) {
  const CompareCase cases[] = {
      {"", "", 0},
      {"", "a", -1},
      {"abc", "ab", 1},
      {"a", "c", 'A' - 'C'},
      {"a", "A", 0},
      {"zebra", "ZEBRA", 0},
      {"a", "B", 'A' - 'B'}, // folded upward: "a" sorts before "B"
      {"[", "a", '[' - 'A'}, // ...so punctuation between the cases sorts after letters
      {"_", "a", '_' - 'A'},
      {"`", "a", '`' - 'A'},
      {"{", "A", '{' - 'A'}, // only "a".."z" are folded
      {"@", "a", '@' - 'A'},
      {"\x80", "\x7f", 0x80 - 0x7f}, // bytes compare unsigned
      {"\xff", "a", 0xff - 'A'},
      {"\xe0", "\xc0", 0xe0 - 0xc0}, // no folding beyond ASCII
      {A_, DI, 0},                   // second bytes folded like any other byte
      {SO, ZO, 0x5c - 0x5d},
  };
  for (const CompareCase &c : cases) {
    EXPECT_EQ(c.expected, folders::CompareFolderPaths(c.a, c.b)) << '"' << c.a << "\" vs \"" << c.b << '"';
    EXPECT_EQ(-c.expected, folders::CompareFolderPaths(c.b, c.a)) << '"' << c.b << "\" vs \"" << c.a << '"';
  }
}

TEST(FolderRules, SiblingsAndMailboxesOrderByNameAndClosingBackslash) {
  // Siblings share the parent's path, so the names decide, each followed
  // by the closing "\".
  struct Pair {
    const char *first;
    const char *second;
  };
  const Pair folderPairs[] = {
      {"abc def", "abc"}, {"abcd", "abc"}, {"abc", "abc_x"}, {"alpha", "Work"},
      {"Zeta", "_u"},     {"!A", "!Trash"}, {" lead", "!!!!Inbox"}, {"!Trash", "0day"},
      {"abc", "abc\x80"},
  };
  const std::string parent = "C:\\data\\box.mb\\";
  for (const Pair &p : folderPairs) {
    const std::string a = parent + p.first + "\\", b = parent + p.second + "\\";
    EXPECT_LT(folders::CompareFolderPaths(a, b), 0) << p.first << " before " << p.second;
    EXPECT_GT(folders::CompareFolderPaths(b, a), 0) << p.first << " before " << p.second;
  }
  EXPECT_LT(folders::CompareFolderPaths("C:\\data\\Main.mb\\", "C:\\data\\Main2.mb\\"), 0);
  EXPECT_EQ(0, folders::CompareFolderPaths(parent + A_ "\\", parent + DI "\\"));
}

TEST(FolderRules, SpecialFoldersComeFirstInTheirOwnOrder) {
  std::vector<std::string> names = {"Work",       "!Trash", "!!!Sent",    "alpha",    "!!!!Outbox",
                                    "!!!XReminder", "1st",  "!!!Draft",   "!!!!Inbox", "#tml",
                                    "!A",         " lead"};
  const std::string parent = "C:\\data\\box.mb\\";
  std::sort(names.begin(), names.end(), [&](const std::string &a, const std::string &b) {
    return folders::CompareFolderPaths(parent + a + "\\", parent + b + "\\") < 0;
  });
  const std::vector<std::string> expected = {" lead",   "!!!!Inbox", "!!!!Outbox", "!!!Draft",
                                             "!!!Sent", "!!!XReminder", "!A",      "!Trash",
                                             "#tml",    "1st",       "alpha",      "Work"};
  EXPECT_EQ(expected, names);
}

// --- Captions ------------------------------------------------------------------

TEST(FolderRules, MailBoxCaptionDropsFirstByteAndLastTwo) {
  const struct {
    const char *name;
    const char *caption;
  } cases[] = {
      {"", ""}, {"[", ""}, {"[a]", ""}, {"[ab]", "a"}, {"[box]", "bo"}, {"[Inbox]  ", "Inbox]"},
      {"[" SO "]", "\x83"}, // counted in bytes, even through a character
  };
  for (const auto &c : cases)
    EXPECT_EQ(c.caption, folders::MailBoxCaption(c.name)) << '"' << c.name << '"';
}

struct CaptionCase {
  folders::LeadByteTable table;
  const char *tableName;
  const char *displayName;
  const char *caption;
};

TEST(FolderRules, FolderCaptionFollowsTheLastDelimiter) {
  const folders::LeadByteTable single = nullptr, sjis = ShiftJis.table, leadA = OnlyA.table,
                               leadBracket = BracketLeads.table;
  const CaptionCase cases[] = {
      // Delimiters and blanks, the same on any code page.
      {single, "single", "", ""},
      {single, "single", "plain", "plain"},
      {single, "single", " plain", "plain"},
      {single, "single", "  two", " two"},
      {single, "single", "[box]/a/b", "b"},
      {single, "single", "[box]/a/", ""},
      {single, "single", "[box]", ""},
      {single, "single", "]abc", "abc"},
      {single, "single", "/ abc", "abc"},
      {single, "single", "[box]/ b", "b"},
      {single, "single", "[box]/  b", " b"},
      {single, "single", "[box]/a]b", "b"},
      {single, "single", "a]b/c", "c"},
      {single, "single", "a/b]c", "c"},
      {sjis, "sjis", "[box]/  b", " b"},
      {sjis, "sjis", "[box]/a/", ""},
      // "]" as the second byte of "ゾ": a delimiter only on a single-byte system.
      {single, "single", ZO, ""},
      {sjis, "sjis", ZO, ZO},
      {single, "single", "x" ZO "y", "y"},
      {sjis, "sjis", "x" ZO "y", "x" ZO "y"},
      {sjis, "sjis", "[box]/" ZO, ZO},
      {sjis, "sjis", "[box]/" ZO "/", ""},
      {sjis, "sjis", "a]" ZO, ZO},
      {sjis, "sjis", "]" ZO, ZO}, // the scan passes over both bytes, then finds "]" at the start
      // The run of lead-byte values before the "]" decides: "ャ]" is a whole
      // character and a delimiter, "ャゾ" ends in a second byte.
      {sjis, "sjis", SMALL_YA "]x", "x"},
      {sjis, "sjis", SMALL_YA ZO "x", SMALL_YA ZO "x"},
      {sjis, "sjis", "\x83]", "\x83]"},
      {sjis, "sjis", "\x83/", "\x83/"}, // the rule treats "/" the same way
      // "ソ" ends in 0x5C, which is no delimiter anywhere.
      {single, "single", "[box]/" SO, SO},
      {sjis, "sjis", "[box]/" SO, SO},
      // Any table is used as given.
      {leadA, "leadA", "xA]", "xA]"},
      {leadA, "leadA", "xAA]y", "y"},
      {leadA, "leadA", "]xAAA]y", "xAAA]y"},
      {leadA, "leadA", ZO, ""},
      {leadBracket, "leadBracket", "x]]", "x]]"},
      {leadBracket, "leadBracket", "x]]]", ""},
  };
  for (const CaptionCase &c : cases)
    EXPECT_EQ(c.caption, folders::FolderCaption(c.displayName, c.table))
        << c.tableName << " table, display name \"" << c.displayName << '"';
}

// --- Icons and exclusions -------------------------------------------------------

TEST(FolderRules, ImageIndexForSpecialNamesOnlyWhenExact) {
  const struct {
    const char *name;
    int image;
  } cases[] = {
      {"!!!!Inbox", 2}, {"!!!!Outbox", 3}, {"!!!Draft", 4},  {"!!!Sent", 5},    {"!!!XReminder", 6},
      {"!Trash", 7},    {"!!!!inbox", 1},  {"!trash", 1},    {"!Trash ", 1},    {"!!!!Inbox2", 1},
      {"!!!Inbox", 1},  {"Trash", 1},      {"", 1},          {"Work", 1},
  };
  for (const auto &c : cases)
    EXPECT_EQ(c.image, folders::FolderImageIndex(c.name)) << '"' << c.name << '"';
}

TEST(FolderRules, ExcludedNamesAreExactAndCaseSensitive) {
  for (const char *name : {".", "..", "#Tml", "#Attach"})
    EXPECT_TRUE(folders::IsExcludedFolderName(name)) << name;
  for (const char *name : {"#tml", "#TML", "#attach", "#Tml ", "#Attach2", "...", ".x", "", "Tml"})
    EXPECT_FALSE(folders::IsExcludedFolderName(name)) << name;
}

} // namespace
