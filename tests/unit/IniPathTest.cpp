// Where the settings file lies: the library's path with its extension
// replaced by ".ini", and start-up and unload around it.
#include "plugin/Parcelon.h"
#include "tests/support/TestSupport.h"
#include "ui/UnitTree.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The path buffer with guard bytes behind it, all set to a marker first, so
// that a write past the terminator or past the buffer shows.
struct GuardedIniPath {
  static const unsigned char kMarker = 0xA5;
  char path[IniPathSize];
  unsigned char guard[32];

  GuardedIniPath() { memset(this, kMarker, sizeof *this); }
  // Index of the first byte after the terminator that is not the marker, or
  // -1. Counts to the end of the guard.
  int FirstTouchedAfterTerminator() const {
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(this);
    const size_t end = strnlen(path, IniPathSize) + 1;
    for (size_t i = end; i < sizeof *this; ++i)
      if (bytes[i] != kMarker)
        return static_cast<int>(i);
    return -1;
  }
};

std::string Repeat(char c, size_t n) { return std::string(n, c); }

TEST(IniPath, ExtensionFromTheLastDotIsReplacedOrIniAppended) {
  // The longest path GetModuleFileNameA gives: 259 bytes and a terminator.
  const std::string longNoDot = "C:\\" + Repeat('a', 256);
  const std::string longDotAtEnd = "C:\\" + Repeat('a', 252) + ".dll";
  const std::string longDotInFolder = "C:\\x.y\\" + Repeat('a', 252);
  struct Case {
    std::string modulePath, iniPath;
  };
  const Case cases[] = {
      {"C:\\Plugins\\Parcelon.dll", "C:\\Plugins\\Parcelon.ini"},
      {"C:\\Plugins\\Parcelon.plugin", "C:\\Plugins\\Parcelon.ini"},
      {"C:\\Plugins\\Parcelon.x", "C:\\Plugins\\Parcelon.ini"},
      {"C:\\Plugins\\Parcelon.", "C:\\Plugins\\Parcelon.ini"},
      {"C:\\Plugins\\Parcelon.dll.bak", "C:\\Plugins\\Parcelon.dll.ini"},
      {"C:\\Plugins\\Parcelon", "C:\\Plugins\\Parcelon.ini"},
      // Directory names count: the last dot may be in one.
      {"C:\\My.Tools\\Parcelon", "C:\\My.ini"},
      {"C:\\My.Tools\\Parcelon.dll", "C:\\My.Tools\\Parcelon.ini"},
      {"\\\\server\\share.d\\Parcelon", "\\\\server\\share.ini"},
      // Shift-JIS names ("ソフト", trail byte 0x5C) pass through unchanged.
      {"C:\\\x83\x5C\x83\x74\x83\x67\\Parcelon.dll", "C:\\\x83\x5C\x83\x74\x83\x67\\Parcelon.ini"},
      {"", ".ini"},
      {longNoDot, longNoDot + ".ini"}, // 263 bytes and the terminator: the whole buffer
      {longDotAtEnd, longDotAtEnd.substr(0, longDotAtEnd.size() - 4) + ".ini"},
      {longDotInFolder, "C:\\x.ini"},
  };
  ASSERT_EQ(259u, longNoDot.size());
  for (const Case &c : cases) {
    SCOPED_TRACE(c.modulePath);
    GuardedIniPath out;
    MakeIniPath(c.modulePath.c_str(), out.path);
    ASSERT_LT(strnlen(out.path, IniPathSize), IniPathSize) << "no terminator inside the buffer";
    EXPECT_EQ(c.iniPath, std::string(out.path));
    EXPECT_EQ(-1, out.FirstTouchedAfterTerminator());
  }
}

TEST(IniPath, OverlongModulePathStaysInsideTheBuffer) {
  // GetModuleFileNameA never gives more than 259 bytes; a longer text must
  // still not run past the buffer.
  for (const std::string &p : {Repeat('a', 300), "C:\\" + Repeat('b', 400) + ".dll"}) {
    GuardedIniPath out;
    MakeIniPath(p.c_str(), out.path);
    const size_t n = strnlen(out.path, IniPathSize);
    ASSERT_LT(n, IniPathSize);
    EXPECT_EQ(".ini", std::string(out.path + n - 4));
    EXPECT_EQ(-1, out.FirstTouchedAfterTerminator());
  }
}

// Start-up in this program binds the table from this executable and takes
// the settings path from the module whose handle it was given (here none,
// that is, the executable). The module state is put back afterwards.
class StartUp : public ::testing::Test {
protected:
  void SetUp() override {
    savedHostAPI = HostAPI;
    savedModule = PlugInModule;
    memcpy(savedIniPath, IniPath, IniPathSize);
    HostAPI = nullptr;
  }
  void TearDown() override {
    delete HostAPI;
    HostAPI = savedHostAPI;
    PlugInModule = savedModule;
    memcpy(IniPath, savedIniPath, IniPathSize);
  }
  TLumivoxAPI *savedHostAPI = nullptr;
  HMODULE savedModule = nullptr;
  char savedIniPath[IniPathSize];
};

TEST_F(StartUp, BindsTheTableAndTakesTheSettingsPathFromTheModule) {
  PlugInModule = nullptr;
  ASSERT_TRUE(InitPlugIn());
  ASSERT_TRUE(HostAPI);
  EXPECT_EQ(GetModuleHandleA(nullptr), HostAPI->ModuleHandle);
  EXPECT_EQ(testing_support::ProgramDir() + "unit_tests.ini", std::string(IniPath));
  EXPECT_FALSE(testing_support::FileExists(IniPath)) << "start-up must not touch the settings file";

  // Unload destroys the table and releases the module's strings.
  DataFolder = "C:\\Mail\\";
  SelectedFolder = "C:\\Mail\\box.mb\\";
  PlugInExitProc();
  EXPECT_EQ(nullptr, HostAPI);
  EXPECT_TRUE(DataFolder.empty());
  EXPECT_TRUE(SelectedFolder.empty());
  // A second unload finds nothing to destroy.
  PlugInExitProc();
  EXPECT_EQ(nullptr, HostAPI);
}

} // namespace
