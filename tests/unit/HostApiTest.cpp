// Binding the host function table from the executable.
#include "hostapi/LumivoxAPI.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

TEST(HostApi, BindsEverySlotToTheExecutablesOwnExport) {
  // A library in the process exporting the same names must not be used.
  HMODULE decoy = LoadLibraryA((testing_support::ProgramDir() + "decoy.dll").c_str());
  ASSERT_TRUE(decoy);
  TLumivoxAPI api;
  ASSERT_TRUE(api.InitAPI());
  HMODULE exe = GetModuleHandleA(nullptr);
  EXPECT_EQ(exe, api.ModuleHandle);
  for (int i = 0; i < TLumivoxAPI::SlotCount; ++i) {
    const char *name = TLumivoxAPI::SlotNames[i];
    FARPROC own = GetProcAddress(exe, name);
    ASSERT_TRUE(own) << name;
    EXPECT_EQ(own, api.Slot(i)) << name;
    EXPECT_NE(GetProcAddress(decoy, name), api.Slot(i)) << name;
  }
  FreeLibrary(decoy);
}
