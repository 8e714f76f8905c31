// Hundreds of runs of the command and of the setup in one process leave
// the process's objects where they were.
#include "tests/e2e/CommandFixture.h"

#include <cstdio>

using namespace testing_support;

namespace {

void Report(const char *what, const ResourceCounts &before, const ResourceCounts &after) {
  std::printf("%s: GDI %d -> %d, USER %d -> %d, kernel handles %d -> %d, heap %u -> %u bytes\n", what, before.Gdi,
              after.Gdi, before.User, after.User, before.Kernel, after.Kernel, unsigned(before.Heap),
              unsigned(after.Heap));
}

} // namespace

TEST_F(CommandTest, TwoHundredRunsOfEachDialogLeaveTheObjectCountsFlat) {
  const int runs = 200;
  auto command = [this] {
    RunCommand([](HWND d) {
      HWND tree = driver::Tree(d);
      driver::Select(tree, driver::FindItem(tree, "box1/sub"));
      PostMessageA(d, WM_CLOSE, 0, 0);
    });
  };
  auto setup = [this] {
    ModalScript script;
    script.OnWindow(driver::SetupCaption, [](HWND d) { driver::Click(driver::Button(d, "OK")); });
    script.Start();
    plugin.PlugInSetup();
    PumpMessages();
  };
  // Warm up: the first runs load fonts, classes and caches once.
  for (int i = 0; i < 3; ++i) {
    command();
    setup();
  }
  const ResourceCounts start = CountResources();
  for (int i = 0; i < runs; ++i)
    command();
  const ResourceCounts afterCommands = CountResources();
  for (int i = 0; i < runs; ++i)
    setup();
  const ResourceCounts afterSetups = CountResources();
  Report("200 commands", start, afterCommands);
  Report("200 setups", afterCommands, afterSetups);

  // A leak of one object per run would show as 200; allow a little noise
  // from the system's own caches. (Fewer at the end is no leak: a window of
  // the last warm-up run may still have been on its way out at the start.)
  EXPECT_LE(afterCommands.Gdi - start.Gdi, 3);
  EXPECT_LE(afterCommands.User - start.User, 3);
  EXPECT_LE(afterSetups.Gdi - afterCommands.Gdi, 3);
  EXPECT_LE(afterSetups.User - afterCommands.User, 3);
  EXPECT_LE(afterSetups.Kernel - start.Kernel, 3);
  // Heap: far less than a record set per run (each run builds 5 records
  // and a dialog, well over 1 KiB).
  EXPECT_LT(double(afterSetups.Heap) - double(start.Heap), 200.0 * 256);
}
