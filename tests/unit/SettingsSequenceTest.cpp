// The order in which the command, the menu fill and the setup read and
// write the settings file, and where they stop when a write is refused.
// The profile functions are watched through this program's imports (the
// plug-in's code is linked into it); they still do their work.
#include "plugin/Parcelon.h"
#include "tests/host/FakeHost.h"
#include "tests/support/ImportPatch.h"
#include "tests/support/TestSupport.h"
#include "ui/UnitTree.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace testing_support;

namespace {

struct ProfileLog {
  std::vector<std::string> entries;
  size_t hostCallsSeen = 0;
  int writes = 0;
  int refuseWrite = 0; // 1-based number of the write to refuse; 0 none
  DWORD(WINAPI *realGet)(LPCSTR, LPCSTR, LPCSTR, LPSTR, DWORD, LPCSTR) = nullptr;
  BOOL(WINAPI *realWrite)(LPCSTR, LPCSTR, LPCSTR, LPCSTR) = nullptr;

  // Host calls made since the last entry, except the display names.
  void CatchUpHost() {
    const auto &calls = fakehost::Host().Calls;
    for (; hostCallsSeen < calls.size(); ++hostCallsSeen)
      if (calls[hostCallsSeen].Function != "LVA_GetFolderDisplayName")
        entries.push_back("host " + calls[hostCallsSeen].Function.substr(4));
  }
};
ProfileLog *g_log = nullptr;

DWORD WINAPI RecordingGet(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR out, DWORD size, LPCSTR file) {
  g_log->CatchUpHost();
  g_log->entries.push_back(std::string("read ") + section + "/" + key);
  return g_log->realGet(section, key, fallback, out, size, file);
}

BOOL WINAPI RecordingWrite(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
  g_log->CatchUpHost();
  const bool refuse = ++g_log->writes == g_log->refuseWrite;
  g_log->entries.push_back(std::string(refuse ? "REFUSED " : "write ") + section + "/" + key);
  if (refuse) {
    SetLastError(ERROR_SHARING_VIOLATION);
    return FALSE;
  }
  return g_log->realWrite(section, key, value, file);
}

class SettingsSequence : public ::testing::Test {
protected:
  SettingsSequence() {
    log.realGet = reinterpret_cast<decltype(log.realGet)>(getPatch.Original());
    log.realWrite = reinterpret_cast<decltype(log.realWrite)>(writePatch.Original());
    g_log = &log;
  }
  ~SettingsSequence() override { g_log = nullptr; }

  void SetUp() override {
    ASSERT_TRUE(getPatch.Installed());
    ASSERT_TRUE(writePatch.Installed());
    fakehost::Reset();
    HostAPI = new TLumivoxAPI;
    ASSERT_TRUE(HostAPI->InitAPI());
    MakeDirs(data / "a.mb\\sub");
    fakehost::Host().DataFolder = data.Path();
    fakehost::Host().CurrentMailBox = "a";
    strcpy(IniPath, (data / "s.ini").c_str());
  }
  void TearDown() override {
    delete HostAPI;
    HostAPI = nullptr;
  }

  void Set(const char *section, const char *key, const char *value) {
    log.realWrite(section, key, value, IniPath);
  }
  std::string Get(const char *section, const char *key) {
    char v[512];
    log.realGet(section, key, "<none>", v, sizeof v, IniPath);
    return v;
  }

  // Runs the command; the dialog is closed, or Move is pressed on the
  // only folder. A message box that follows is dismissed.
  void RunCommand(bool move) {
    ModalScript script;
    script.Then([move] {
      HWND d = FindWindowA("ParcelonForm", "Parcelon");
      if (!d || !IsWindowVisible(d))
        return false;
      if (move) {
        // The folder "sub" of mailbox "a".
        FormSelect->TreeView1->Select(FormSelect->TreeView1->Item(1));
        FormSelect->ButtonMove->Click();
      } else {
        PostMessageA(d, WM_CLOSE, 0, 0);
      }
      return true;
    });
    DismissMessageBoxLater(script);
    script.Start();
    fakehost::Host().Calls.clear();
    log.hostCallsSeen = 0;
    log.entries.clear();
    MoveCopyCommand(0, 0);
    log.CatchUpHost();
    PumpMessages();
  }
  void DismissMessageBoxLater(ModalScript &script) {
    script.Then([this] {
      for (HWND h : ThreadWindows()) {
        char cls[16] = "";
        GetClassNameA(h, cls, sizeof cls);
        if (std::string(cls) == "#32770") {
          sawMessageBox = true;
          PostMessageA(h, WM_COMMAND, IDOK, 0);
        }
      }
      return true; // checked once, after the dialog
    });
  }

  std::string Log() const {
    std::string out;
    for (const auto &e : log.entries)
      out += e + "\n";
    return out;
  }

  ProfileLog log;
  ImportPatch getPatch{"KERNEL32.dll", "GetPrivateProfileStringA", reinterpret_cast<void *>(&RecordingGet)};
  ImportPatch writePatch{"KERNEL32.dll", "WritePrivateProfileStringA", reinterpret_cast<void *>(&RecordingWrite)};
  TempDir data{"sequence"};
  bool sawMessageBox = false;
};

} // namespace

TEST_F(SettingsSequence, CommandReadsOnlyWhatItNeedsAndWritesInOrder) {
  struct Case {
    const char *name;
    std::vector<std::pair<const char *, const char *>> stored; // section "Window"/"Current" by key
    std::string expected;
  } cases[] = {
      {"nothing stored: centred, Mode off",
       {},
       "host GetCurrentMailBox\nhost GetDataFolder\n"
       "read Window/Top\nread Current/Mode\n"
       "write Window/Top\nwrite Window/Left\nwrite Window/Height\nwrite Window/Width\nwrite Current/a\n"},
      {"Top stored: read again, then Left, Height, Width",
       {{"Top", "5"}},
       "host GetCurrentMailBox\nhost GetDataFolder\n"
       "read Window/Top\nread Window/Top\nread Window/Left\nread Window/Height\nread Window/Width\n"
       "read Current/Mode\n"
       "write Window/Top\nwrite Window/Left\nwrite Window/Height\nwrite Window/Width\nwrite Current/a\n"},
      {"Top rejected by the integer rule: as -1",
       {{"Top", "1F"}, {"Left", "3"}},
       "host GetCurrentMailBox\nhost GetDataFolder\n"
       "read Window/Top\nread Current/Mode\n"
       "write Window/Top\nwrite Window/Left\nwrite Window/Height\nwrite Window/Width\nwrite Current/a\n"},
      {"Mode on, the mailbox's own value: no fallback",
       {{"Mode", "1"}, {"a", "x"}},
       "host GetCurrentMailBox\nhost GetDataFolder\n"
       "read Window/Top\nread Current/Mode\nread Current/a\n"
       "write Window/Top\nwrite Window/Left\nwrite Window/Height\nwrite Window/Width\nwrite Current/a\n"},
      {"Mode on, the mailbox's value empty: Folder",
       {{"Mode", "1"}, {"a", ""}},
       "host GetCurrentMailBox\nhost GetDataFolder\n"
       "read Window/Top\nread Current/Mode\nread Current/a\nread Current/Folder\n"
       "write Window/Top\nwrite Window/Left\nwrite Window/Height\nwrite Window/Width\nwrite Current/a\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(IniPath);
    for (const auto &kv : c.stored)
      Set(std::strcmp(kv.first, "Mode") == 0 || std::strcmp(kv.first, "a") == 0 ? "Current" : "Window", kv.first,
          kv.second);
    RunCommand(false);
    EXPECT_EQ(c.expected, Log());
  }
}

TEST_F(SettingsSequence, TheMoveIsRequestedAfterAllFiveWrites) {
  RunCommand(true);
  EXPECT_EQ("host GetCurrentMailBox\nhost GetDataFolder\n"
            "read Window/Top\nread Current/Mode\n"
            "write Window/Top\nwrite Window/Left\nwrite Window/Height\nwrite Window/Width\nwrite Current/a\n"
            "host MoveSelectedMessages\n",
            Log());
}

TEST_F(SettingsSequence, ACommandWriteRefusedMidwayStopsThereAndMovesNothing) {
  Set("Window", "Top", "7"); // Top and Left get new values, Height is refused
  Set("Window", "Height", "200");
  log.refuseWrite = 3;
  RunCommand(true);
  EXPECT_TRUE(sawMessageBox);
  EXPECT_EQ("host GetCurrentMailBox\nhost GetDataFolder\n"
            "read Window/Top\nread Window/Top\nread Window/Left\nread Window/Height\nread Window/Width\n"
            "read Current/Mode\n"
            "write Window/Top\nwrite Window/Left\nREFUSED Window/Height\n",
            Log());
  EXPECT_EQ("7", Get("Window", "Top"));
  EXPECT_EQ("192", Get("Window", "Left")); // written before the refusal
  EXPECT_EQ("200", Get("Window", "Height"));
  EXPECT_EQ("<none>", Get("Window", "Width"));
  EXPECT_EQ("<none>", Get("Current", "a"));
  EXPECT_EQ(0, TFolderData::Alive);
}

TEST_F(SettingsSequence, MenuFillReadsThePositionOnlyAfterRegistering) {
  struct Case {
    const char *name;
    const char *mlist;
    int type;
    std::string expected;
  } cases[] = {
      {"mail list on", nullptr, 1, "read Menu/MList\nhost RegisterCommand\nread Menu/MListTop\n"},
      {"mail list off", "0", 1, "read Menu/MList\n"},
      {"message view, off by default", nullptr, 3, "read Menu/MView\n"},
      {"another menu", nullptr, 2, ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(IniPath);
    if (c.mlist)
      Set("Menu", "MList", c.mlist);
    HMENU menu = CreatePopupMenu();
    fakehost::Host().Calls.clear();
    log.hostCallsSeen = 0;
    log.entries.clear();
    LVC_OnMenuInit(0, static_cast<int>(reinterpret_cast<INT_PTR>(menu)), c.type);
    log.CatchUpHost();
    DestroyMenu(menu);
    EXPECT_EQ(c.expected, Log());
  }
}

TEST_F(SettingsSequence, SetupReadsAndWritesItsFiveValuesInOrder) {
  struct Case {
    const char *name;
    bool ok;
    int refuse;
    std::string expectedWrites;
  } cases[] = {
      {"OK", true, 0,
       "write Current/Mode\nwrite Menu/MList\nwrite Menu/MListTop\nwrite Menu/MView\nwrite Menu/MViewTop\n"},
      {"Cancel", false, 0, ""},
      {"OK, the second write refused", true, 2, "write Current/Mode\nREFUSED Menu/MList\n"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    DeleteFileA(IniPath);
    log.refuseWrite = c.refuse;
    log.writes = 0;
    sawMessageBox = false;
    ModalScript script;
    script.Then([&c] {
      HWND d = FindWindowA("ParcelonForm", nullptr);
      if (!d || !IsWindowVisible(d))
        return false;
      PostMessageA(d, WM_KEYDOWN, c.ok ? VK_RETURN : VK_ESCAPE, 0);
      return true;
    });
    DismissMessageBoxLater(script);
    script.Start();
    log.entries.clear();
    EXPECT_EQ(1, LVC_OnPlugInSetup(0));
    PumpMessages();
    EXPECT_EQ("read Current/Mode\nread Menu/MList\nread Menu/MListTop\nread Menu/MView\nread Menu/MViewTop\n" +
                  c.expectedWrites,
              Log());
    EXPECT_EQ(c.refuse != 0, sawMessageBox);
    if (c.refuse) {
      EXPECT_EQ("0", Get("Current", "Mode"));
      EXPECT_EQ("<none>", Get("Menu", "MList"));
    }
  }
}
