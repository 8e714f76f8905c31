// A settings file that refuses writes: the user sees the message, the
// operation stops at that write, and the host keeps running.
#include "tests/e2e/CommandFixture.h"

using namespace testing_support;

namespace {

// The file held open without sharing, as another program might.
class LockedFile {
public:
  explicit LockedFile(const std::string &path)
      : handle_(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr)) {}
  ~LockedFile() { Unlock(); }
  LockedFile(const LockedFile &) = delete;
  LockedFile &operator=(const LockedFile &) = delete;
  bool Locked() const { return handle_ != INVALID_HANDLE_VALUE; }
  void Unlock() {
    if (Locked())
      CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

private:
  HANDLE handle_;
};

// " に書き込めません" in Shift-JIS.
const std::string CannotWrite = "\x20\x82\xC9\x8F\x91\x82\xAB\x8D\x9E\x82\xDF\x82\xDC\x82\xB9\x82\xF1";

// Waits for the message box, keeps its text and closes it with OK.
ModalScript::Step DismissMessageBox(std::string &text) {
  return [&text] {
    HWND box = driver::FindMessageBox();
    if (!box)
      return false;
    text = driver::MessageBoxText(box);
    driver::Click(FindWindowExA(box, nullptr, "Button", nullptr));
    return true;
  };
}

} // namespace

TEST_F(CommandTest, ARefusedWriteIsShownAndNothingIsMoved) {
  LockedFile lock(plugin.IniPath());
  ASSERT_TRUE(lock.Locked());
  std::string message;
  ModalScript script;
  script.OnWindow(driver::SelectCaption, [](HWND dialog) {
    HWND tree = driver::Tree(dialog);
    driver::Select(tree, driver::FindItem(tree, "box1/sub"));
    driver::Click(driver::Button(dialog, driver::MoveCaption));
  });
  script.Then(DismissMessageBox(message));
  script.Start();
  plugin.RunCommand();
  EXPECT_TRUE(script.Done());
  EXPECT_FALSE(script.TimedOut());
  EXPECT_EQ(plugin.IniPath() + CannotWrite, message);
  EXPECT_TRUE(Moves().empty());
  PumpMessages();
  EXPECT_FALSE(FindThreadWindow(driver::SelectCaption)) << "the dialog was not released";

  // The host goes on, and the next run works.
  lock.Unlock();
  RunCommand([](HWND dialog) {
    HWND tree = driver::Tree(dialog);
    driver::Select(tree, driver::FindItem(tree, "box1/sub"));
    driver::Click(driver::Button(dialog, driver::MoveCaption));
  });
  ASSERT_EQ(1u, Moves().size());
  EXPECT_EQ(Data() + "box1.mb\\sub\\", Ini("Current", "box1"));
}

TEST_F(CommandTest, ASetupThatCannotSaveShowsTheMessageAndReturnsOne) {
  LockedFile lock(plugin.IniPath());
  ASSERT_TRUE(lock.Locked());
  std::string message;
  ModalScript script;
  script.OnWindow(driver::SetupCaption, [](HWND d) { driver::Click(driver::Button(d, "OK")); });
  script.Then(DismissMessageBox(message));
  script.Start();
  EXPECT_EQ(1, plugin.PlugInSetup());
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(plugin.IniPath() + CannotWrite, message);
  lock.Unlock();
  EXPECT_EQ("<none>", Ini("Current", "Mode"));

  // And the next setup saves.
  ModalScript again;
  again.OnWindow(driver::SetupCaption, [](HWND d) { driver::Click(driver::Button(d, "OK")); });
  again.Start();
  EXPECT_EQ(1, plugin.PlugInSetup());
  EXPECT_EQ("0", Ini("Current", "Mode"));
  EXPECT_EQ("0", Ini("Menu", "MViewTop"));
}

TEST_F(CommandTest, ASettingsPathThatIsAFolderIsReportedToo) {
  ASSERT_TRUE(CreateDirectoryA(plugin.IniPath().c_str(), nullptr));
  std::string message;
  ModalScript script;
  script.OnWindow(driver::SelectCaption, [](HWND d) { driver::Click(driver::Button(d, driver::CancelCaption)); });
  script.Then(DismissMessageBox(message));
  script.Start();
  plugin.RunCommand();
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(plugin.IniPath() + CannotWrite, message);
  RemoveDirectoryA(plugin.IniPath().c_str());
}
