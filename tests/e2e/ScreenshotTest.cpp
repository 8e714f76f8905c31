// Pictures of both dialogs as the user sees them, written beside the test
// programs (build/bin/screenshots) for a person to look at; copies are
// kept in tests/reference. Not compared pixel by pixel.
#include "tests/e2e/CommandFixture.h"

using namespace testing_support;

namespace {
std::string ShotPath(const char *name) {
  std::string dir = ProgramDir() + "screenshots\\";
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir + name;
}
} // namespace

TEST_F(CommandTest, PicturesOfTheFolderDialogAndTheSetup) {
  // Japanese folder names: 受信箱 and 仕事\見積り, plus all special folders.
  for (const char *d : {"\x8e\xf3\x90\x4d\x94\xa0.mb\\!!!!Inbox", "\x8e\xf3\x90\x4d\x94\xa0.mb\\!!!!Outbox",
                        "\x8e\xf3\x90\x4d\x94\xa0.mb\\!!!Draft", "\x8e\xf3\x90\x4d\x94\xa0.mb\\!!!Sent",
                        "\x8e\xf3\x90\x4d\x94\xa0.mb\\!!!XReminder", "\x8e\xf3\x90\x4d\x94\xa0.mb\\!Trash",
                        "\x8e\xf3\x90\x4d\x94\xa0.mb\\\x8e\x64\x8e\x96\\\x8c\xa9\x90\xcf\x82\xe8"})
    MakeDirs(Data() + d);
  SetIni("Current", "Mode", "1");
  SetIni("Current", "box1", Data() + "\x8e\xf3\x90\x4d\x94\xa0.mb\\\x8e\x64\x8e\x96\\\x8c\xa9\x90\xcf\x82\xe8\\");
  bool saved = false;
  RunCommand([&](HWND dialog) {
    SendMessageA(driver::Tree(dialog), TVM_EXPAND, TVE_EXPAND,
                 reinterpret_cast<LPARAM>(driver::FindItem(driver::Tree(dialog), "box1")));
    UpdateWindow(dialog);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    saved = SaveScreenshot(ShotPath("select.bmp"));
    driver::Click(driver::Button(dialog, driver::CancelCaption));
  });
  EXPECT_TRUE(saved);

  ModalScript script;
  bool setupSaved = false;
  script.OnWindow(driver::SetupCaption, [&](HWND d) {
    RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    setupSaved = SaveScreenshot(ShotPath("setup.bmp"));
    driver::Click(driver::Button(d, driver::CancelCaption));
  });
  script.Start();
  plugin.PlugInSetup();
  EXPECT_TRUE(setupSaved);
}
