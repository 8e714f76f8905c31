// The command frees its tree records and releases its dialog on every
// path, the refused-write path included (checked in-process, where the
// records can be counted).
#include "forms/Forms.h"
#include "plugin/Parcelon.h"
#include "tests/host/FakeHost.h"
#include "tests/support/TestSupport.h"
#include "ui/UnitTree.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace testing_support;

namespace {

class CommandCleanup : public ::testing::Test {
protected:
  void SetUp() override {
    fakehost::Reset();
    HostAPI = new TLumivoxAPI;
    ASSERT_TRUE(HostAPI->InitAPI());
    for (const char *d : {"a.mb\\x\\y", "a.mb\\z", "b.mb"})
      MakeDirs(data / d);
    fakehost::Host().DataFolder = data.Path();
    fakehost::Host().CurrentMailBox = "a";
    ini = data / "settings.ini";
    strcpy(IniPath, ini.c_str());
  }
  void TearDown() override {
    delete HostAPI;
    HostAPI = nullptr;
  }
  // Runs the command; `inDialog` closes the dialog, `after` handles what
  // follows (a message box).
  void Run(std::function<void(HWND)> inDialog, ModalScript::Step after = nullptr) {
    ModalScript script;
    script.OnWindow("Parcelon", inDialog);
    if (after)
      script.Then(after);
    script.Start();
    MoveCopyCommand(0, 0);
    EXPECT_TRUE(script.Done());
    PumpMessages();
  }
  TempDir data{"cleanup"};
  std::string ini;
};

void Cancel(HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); }

} // namespace

TEST_F(CommandCleanup, ANormalRunFreesEveryRecordAndReleasesTheDialog) {
  Run(Cancel);
  EXPECT_EQ(0, TFolderData::Alive);
  EXPECT_EQ(0, forms::LiveForms());
}

TEST_F(CommandCleanup, ARefusedWriteStillFreesTheRecordsAndReleasesTheDialog) {
  HANDLE lock = CreateFileA(ini.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, lock);
  bool sawBox = false;
  Run(
      [](HWND d) {
        // The records exist while the dialog is shown.
        EXPECT_EQ(5, TFolderData::Alive);
        Cancel(d);
      },
      [&] {
        HWND box = nullptr;
        for (HWND h : ThreadWindows())
          if (WindowText(h) == "Parcelon" && h != FindWindowA("ParcelonForm", nullptr))
            box = h;
        if (!box)
          return false;
        sawBox = true;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
      });
  CloseHandle(lock);
  EXPECT_TRUE(sawBox);
  EXPECT_EQ(0, TFolderData::Alive);
  EXPECT_EQ(0, forms::LiveForms());
  EXPECT_TRUE(fakehost::Host().CallsOf("LVA_MoveSelectedMessages").empty());
}

