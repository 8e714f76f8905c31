// The settings file through the real profile functions, in a folder of its
// own: what reads give for missing, empty and hand-written values, what
// writes leave in the file, and how a refused write is reported.
#include "settings/SettingsFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <windows.h>

using settings::SettingsFile;
using settings::SettingsWriteError;
using testing_support::FileExists;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

namespace {

class Settings : public ::testing::Test {
protected:
  TempDir dir{"settings"};
  std::string path = dir / "Parcelon.ini";
  SettingsFile file{path};

  // True when the folder holds nothing at all.
  bool FolderEmpty() const {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dir / "*").c_str(), &fd);
    bool empty = true;
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string name = fd.cFileName;
        if (name != "." && name != "..")
          empty = false;
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    return empty;
  }
};

// Closes the handle when the test is done with it.
struct HandleCloser {
  HANDLE h;
  ~HandleCloser() {
    if (h != INVALID_HANDLE_VALUE)
      CloseHandle(h);
  }
};

TEST_F(Settings, ReadingWithoutAFileGivesDefaultsAndCreatesNothing) {
  EXPECT_EQ("fallback", file.ReadString("Current", "Folder", "fallback"));
  EXPECT_EQ("", file.ReadString("Current", "Folder", ""));
  EXPECT_EQ(-1, file.ReadInteger("Window", "Top", -1));
  EXPECT_EQ(INT_MIN, file.ReadInteger("Window", "Top", INT_MIN));
  EXPECT_TRUE(file.ReadBool("Menu", "MList", true));
  EXPECT_FALSE(file.ReadBool("Menu", "MView", false));
  EXPECT_FALSE(FileExists(path));
  EXPECT_TRUE(FolderEmpty());
  // Nor does a reader whose folder is missing.
  SettingsFile nowhere(dir / "missing\\Parcelon.ini");
  EXPECT_EQ(7, nowhere.ReadInteger("Window", "Top", 7));
  EXPECT_TRUE(FolderEmpty());
}

TEST_F(Settings, MissingSectionKeyOrEmptyValueReadsAsTheDefault) {
  WriteFile(path, "[Menu]\r\n"
                  "Empty=\r\n"
                  "Blank=   \r\n"
                  "Quoted=\"\"\r\n"
                  "MList=0\r\n");
  struct Case {
    const char *section, *key;
    bool present; // the key exists: strings read its (empty) text, not the default
  };
  const Case cases[] = {
      {"Window", "MList", false}, // section missing
      {"Menu", "MView", false},   // key missing
      {"Menu", "Empty", true},    {"Menu", "Blank", true}, {"Menu", "Quoted", true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    EXPECT_EQ(c.present ? "" : "dflt", file.ReadString(c.section, c.key, "dflt"));
    EXPECT_EQ(-1, file.ReadInteger(c.section, c.key, -1));
    EXPECT_EQ(5, file.ReadInteger(c.section, c.key, 5));
    EXPECT_TRUE(file.ReadBool(c.section, c.key, true));
    EXPECT_FALSE(file.ReadBool(c.section, c.key, false));
  }
  // The key that is there is read, whatever the default.
  EXPECT_FALSE(file.ReadBool("Menu", "MList", true));
}

TEST_F(Settings, IntegersAndBooleansAreReadByTheIntegerRule) {
  // The rule itself is in IntegerRuleTest; these rows tell it apart from the
  // platform's own integer reading (which takes "1F" as 1 and "$1F" as 0)
  // and show what the profile functions strip before the rule sees the text:
  // blanks and tabs around a value, and one pair of matching outer quotes.
  WriteFile(path, "[Window]\r\n"
                  "Hex=$1F\r\n"
                  "Hex0x=0x1F\r\n"
                  "HexX=x1f\r\n"
                  "Prefix=1F\r\n"
                  "Point=3.0\r\n"
                  "Min=-2147483648\r\n"
                  "Over=2147483648\r\n"
                  "All=$FFFFFFFF\r\n"
                  "Signed=-$1F\r\n"
                  "Padded=  31  \r\n"
                  "Tabbed=\t31\t\r\n"
                  "QuotedLead=\" 31\"\r\n"
                  "QuotedTrail=\"31 \"\r\n"
                  "Single='$1F'\r\n"
                  "Comment=31 ; note\r\n"
                  "[Menu]\r\n"
                  "Two=2\r\n"
                  "MinusOne=-1\r\n"
                  "Hex10=0x10\r\n"
                  "Zeros=00\r\n"
                  "HexZero=$0\r\n"
                  "True=true\r\n"
                  "Yes=yes\r\n");
  struct Case {
    const char *key;
    int32_t expected; // 99 is the default
  };
  const Case ints[] = {
      {"Hex", 31},          {"Hex0x", 31},      {"HexX", 31},        {"Prefix", 99},     {"Point", 99},
      {"Min", INT_MIN},     {"Over", 99},       {"All", -1},         {"Signed", 99},     {"Padded", 31},
      {"Tabbed", 31},       {"QuotedLead", 31}, {"QuotedTrail", 99}, {"Single", 31},     {"Comment", 99},
  };
  for (const Case &c : ints)
    EXPECT_EQ(c.expected, file.ReadInteger("Window", c.key, 99)) << c.key;

  struct BoolCase {
    const char *key;
    bool whenDefaultFalse, whenDefaultTrue;
  };
  const BoolCase bools[] = {
      {"Two", true, true},     {"MinusOne", true, true}, {"Hex10", true, true}, {"Zeros", false, false},
      {"HexZero", false, false}, {"True", false, true},  {"Yes", false, true},  {"Missing", false, true},
  };
  for (const BoolCase &c : bools) {
    EXPECT_EQ(c.whenDefaultFalse, file.ReadBool("Menu", c.key, false)) << c.key;
    EXPECT_EQ(c.whenDefaultTrue, file.ReadBool("Menu", c.key, true)) << c.key;
  }
}

TEST_F(Settings, HandWrittenFileReadsAsExpected) {
  WriteFile(path, "; written by hand\r\n"
                  "\r\n"
                  "[menu]\r\n"
                  "; another comment\r\n"
                  "  mlist  =  0  \r\n"
                  "\r\n"
                  "MLISTTOP = 1\r\n"
                  "mview=1\r\n"
                  "MView=0\r\n" // a second one of the same key is never seen
                  "[ Current ]\r\n"
                  "Folder=C:\\Mail\\box.mb\\\r\n"
                  "[Window]\n" // Unix line ends read too
                  "Top=-1\n");
  EXPECT_FALSE(file.ReadBool("Menu", "MList", true));
  EXPECT_EQ(1, file.ReadInteger("Menu", "MListTop", 0));
  EXPECT_TRUE(file.ReadBool("MENU", "mView", false));
  EXPECT_EQ("C:\\Mail\\box.mb\\", file.ReadString("Current", "Folder", ""));
  EXPECT_EQ("C:\\Mail\\box.mb\\", file.ReadString("current", "FOLDER", ""));
  EXPECT_EQ(-1, file.ReadInteger("Window", "Top", 5));
  EXPECT_EQ("dflt", file.ReadString("Menu", "; written by hand", "dflt"));
}

TEST_F(Settings, WritesCreateFileSectionAndKeyAndReadBack) {
  file.WriteInteger("Window", "Top", 10);
  EXPECT_TRUE(FileExists(path));
  file.WriteString("Current", "box.mb\\", "C:\\Mail\\box.mb\\sub\\");
  file.WriteBool("Current", "Mode", true);
  file.WriteBool("Menu", "MView", false);
  file.WriteString("Current", "Empty", "");
  EXPECT_EQ(10, file.ReadInteger("Window", "Top", -1));
  EXPECT_EQ("C:\\Mail\\box.mb\\sub\\", file.ReadString("Current", "box.mb\\", ""));
  EXPECT_TRUE(file.ReadBool("Current", "Mode", false));
  EXPECT_FALSE(file.ReadBool("Menu", "MView", true));
  // An empty text leaves the key present with an empty value.
  EXPECT_EQ("", file.ReadString("Current", "Empty", "dflt"));
  const std::string text = ReadFile(path);
  EXPECT_NE(std::string::npos, text.find("\r\nEmpty=\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\r\nMode=1\r\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\r\nMView=0\r\n")) << text;
  // A later write replaces the value; nothing is kept from before.
  file.WriteInteger("Window", "Top", -1);
  EXPECT_EQ(-1, file.ReadInteger("Window", "Top", 5));
}

TEST_F(Settings, EveryIntegerWrittenReadsBackAsItself) {
  const int32_t values[] = {INT_MIN, INT_MIN + 1, -1, 0, 1, 31, INT_MAX};
  for (int32_t v : values) {
    const std::string key = "K" + std::to_string(v);
    file.WriteInteger("Window", key, v);
    EXPECT_EQ(v, file.ReadInteger("Window", key, v == 0 ? 1 : 0)) << v;
    // Plain decimal: no "+", no leading zeros.
    EXPECT_NE(std::string::npos, ReadFile(path).find("\r\n" + key + "=" + std::to_string(v) + "\r\n")) << v;
  }
}

TEST_F(Settings, LongValueReadsAsItsFirst2047Bytes) {
  std::string value(3000, 'x');
  for (size_t i = 0; i < value.size(); ++i)
    value[i] = static_cast<char>('a' + i % 26);
  file.WriteString("Current", "Long", value);
  EXPECT_EQ(value.substr(0, 2047), file.ReadString("Current", "Long", ""));
  // Exactly 2047 bytes fit whole.
  file.WriteString("Current", "Fits", value.substr(0, 2047));
  EXPECT_EQ(value.substr(0, 2047), file.ReadString("Current", "Fits", ""));
}

TEST_F(Settings, ShiftJisKeysAndValuesRoundTripByteForByte) {
  // Mailbox strings and folder paths are stored as the host and the file
  // system give them, trail bytes 0x5C ("表", "ソ") included.
  const std::string key = "\x95\x5C\x8E\xA6.mb\\";                       // 表示.mb\ .
  const std::string value = "C:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C.mb\\"; // C:\ソフト\表.mb\ .
  file.WriteString("Current", key, value);
  EXPECT_EQ(value, file.ReadString("Current", key, ""));
  EXPECT_EQ("", file.ReadString("Current", "\x95\x5C.mb\\", ""));
}

TEST_F(Settings, EveryReadSeesTheFileAsItIsNow) {
  file.WriteInteger("Window", "Top", 10);
  EXPECT_EQ(10, file.ReadInteger("Window", "Top", -1));
  WriteFile(path, "[Window]\r\nTop=20\r\n"); // changed behind the reader's back
  EXPECT_EQ(20, file.ReadInteger("Window", "Top", -1));
  DeleteFileA(path.c_str());
  EXPECT_EQ(-1, file.ReadInteger("Window", "Top", -1));
}

// "<path> に書き込めません" in Shift-JIS.
const char kCannotWrite[] = "\x20\x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1";

TEST_F(Settings, RefusedWriteThrowsWithThePathAndKeepsWhatWasWritten) {
  struct Case {
    const char *why;
    std::string target;
    bool lockFile; // hold the file open without sharing while writing
  };
  // As root a read-only file does not refuse writes, so these are the ways
  // a write is made to fail here.
  CreateDirectoryA((dir / "Folder.ini").c_str(), nullptr);
  const Case cases[] = {
      {"file held open without sharing", path, true},
      {"a folder where the file should be", dir / "Folder.ini", false},
      {"a folder that does not exist", dir / "missing\\Parcelon.ini", false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.why);
    SettingsFile target(c.target);
    if (c.lockFile)
      target.WriteInteger("Window", "Top", 10);
    HandleCloser lock{INVALID_HANDLE_VALUE};
    if (c.lockFile) {
      lock.h = CreateFileA(c.target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
      ASSERT_NE(INVALID_HANDLE_VALUE, lock.h);
    }
    int thrown = 0;
    const std::function<void()> writes[] = {
        [&] { target.WriteString("Window", "Left", "5"); },
        [&] { target.WriteInteger("Window", "Left", 5); },
        [&] { target.WriteBool("Menu", "MList", false); },
    };
    for (const auto &write : writes) {
      try {
        write();
      } catch (const SettingsWriteError &e) {
        ++thrown;
        EXPECT_EQ(c.target + kCannotWrite, std::string(e.what()));
        EXPECT_EQ(c.target, e.Path());
      }
    }
    EXPECT_EQ(3, thrown);
    if (lock.h != INVALID_HANDLE_VALUE) {
      CloseHandle(lock.h);
      lock.h = INVALID_HANDLE_VALUE;
      // What was written before the refused writes is still there, and
      // nothing of them is.
      EXPECT_EQ(10, target.ReadInteger("Window", "Top", -1));
      EXPECT_EQ(-1, target.ReadInteger("Window", "Left", -1));
      EXPECT_TRUE(target.ReadBool("Menu", "MList", true));
      // And the file takes writes again once it is free.
      target.WriteInteger("Window", "Left", 5);
      EXPECT_EQ(5, target.ReadInteger("Window", "Left", -1));
    }
  }
  EXPECT_FALSE(testing_support::DirExists(dir / "missing"));
}

} // namespace
