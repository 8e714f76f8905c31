// The library loaded, used, unloaded and loaded again in one process.
#include "tests/e2e/DialogDriver.h"
#include "tests/e2e/PluginHarness.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

// Runs the command once and closes the dialog; returns whether it showed.
bool RunOnce(PluginCopy &plugin) {
  ModalScript script;
  script.OnWindow(driver::SelectCaption, [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); });
  script.Start();
  plugin.RunCommand();
  return script.Done() && !script.TimedOut();
}

int FormWindows() {
  int n = 0;
  for (HWND h : ThreadWindows(false)) {
    char cls[64] = "";
    GetClassNameA(h, cls, sizeof cls);
    n += std::string(cls) == "ParcelonForm";
  }
  return n;
}

} // namespace

TEST(Reload, UnloadingWithAReleaseStillPendingDestroysTheDialogAndAllowsALaterLoad) {
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    PluginCopy plugin;
    ASSERT_TRUE(RunOnce(plugin));
    // The dialog is hidden and waits for its release request.
    EXPECT_EQ(1, FormWindows());
    plugin.Unload(false);
    EXPECT_EQ(0, FormWindows()) << "a window of the unloaded library is left";
    PumpMessages(); // the request now finds no window; nothing happens
  }
  // And the setup dialog, likewise.
  for (int round = 0; round < 2; ++round) {
    PluginCopy plugin;
    ModalScript script;
    script.OnWindow(driver::SetupCaption, [](HWND d) { PostMessageA(d, WM_CLOSE, 0, 0); });
    script.Start();
    EXPECT_EQ(1, plugin.PlugInSetup());
    plugin.Unload(false);
    EXPECT_EQ(0, FormWindows());
  }
}
