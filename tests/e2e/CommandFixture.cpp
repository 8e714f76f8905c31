#include "tests/e2e/CommandFixture.h"

#include <deque>

using namespace testing_support;

void CommandTest::SetUp() {
  for (const char *dir : {"box1.mb\\sub\\deep", "box1.mb\\!!!!Inbox", "box2.mb\\other"})
    MakeDirs(data / dir);
  fakehost::Host().DataFolder = data.Path();
  fakehost::Host().CurrentMailBox = "box1";
  // Mailboxes "[name] " (the caption drops the first byte and the last
  // two), folders "[box]/a/b".
  fakehost::Host().DisplayName = [](const std::string &id) -> const char * {
    static std::deque<std::string> kept;
    if (std::count(id.begin(), id.end(), '\\') == 1) {
      std::string box = id.substr(0, id.find(".mb"));
      kept.push_back("[" + box + "] ");
      return kept.back().c_str();
    }
    return fakehost::DefaultDisplayName(id);
  };
}

std::string CommandTest::Ini(const char *section, const std::string &key) const {
  char value[4096];
  GetPrivateProfileStringA(section, key.c_str(), "<none>", value, sizeof value, plugin.IniPath().c_str());
  return value;
}

void CommandTest::SetIni(const char *section, const std::string &key, const std::string &value) const {
  WritePrivateProfileStringA(section, key.c_str(), value.c_str(), plugin.IniPath().c_str());
}

void CommandTest::RunCommand(std::function<void(HWND)> inDialog, int timeoutMs) {
  ModalScript script(timeoutMs);
  bool shown = false;
  script.OnWindow(driver::SelectCaption, [&](HWND dialog) {
    shown = true;
    inDialog(dialog);
  });
  script.Start();
  plugin.RunCommand();
  EXPECT_TRUE(shown) << "the folder dialog never showed";
  EXPECT_FALSE(script.TimedOut()) << "the dialog was still open at the time limit";
  PumpMessages(); // the released dialog is destroyed now
}
