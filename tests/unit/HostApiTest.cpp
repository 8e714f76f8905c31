// Binding the host function table from the executable.
//
// The lookups themselves are watched by swapping this program's import of
// GetProcAddress (and GetModuleHandleA) for a recorder: the table's code is
// linked into this program, so its calls go through these imports. The
// recorder can also make one name look missing, which shows the refused
// bindings without a host built for each case.
#include "hostapi/LumivoxAPI.h"
#include "plugin/Parcelon.h"
#include "tests/support/ImportPatch.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace {
using testing_support::ImportPatch;

// The 54 names in slot order, written out here rather than taken from the
// table's own list, so that a misspelt or misplaced slot shows.
const char *const kSlotNames[54] = {
    "LVA_GetVersion",       "LVA_Command",
    "LVA_GetWindowHandles", "LVA_RegisterCommand",
    "LVA_RegisterUICallback", "LVA_GetDataFolder",
    "LVA_GetTempFolder",    "LVA_GetTempFileName",
    "LVA_GetCurrentMailBox", "LVA_SetCurrentMailBox",
    "LVA_GetCurrentFolder", "LVA_SetCurrentFolder",
    "LVA_GetFolderDisplayName", "LVA_SetMessageText",
    "LVA_GetCurrentMail",   "LVA_SetCurrentMail",
    "LVA_GetNextMail",      "LVA_SetSel",
    "LVA_AppendMessage",    "LVA_MoveSelectedMessages",
    "LVA_GetStatus",        "LVA_ComposeMail",
    "LVA_GetCharSet",       "LVA_GetSource",
    "LVA_SetSource",        "LVA_GetHeader",
    "LVA_GetText",          "LVA_SetText",
    "LVA_GetSpecifiedHeader", "LVA_SetSpecifiedHeader",
    "LVA_CompGetCharSet",   "LVA_CompGetSource",
    "LVA_CompSetSource",    "LVA_CompGetHeader",
    "LVA_CompGetSpecifiedHeader", "LVA_CompSetSpecifiedHeader",
    "LVA_CompGetText",      "LVA_CompSetText",
    "LVA_CompAttachFile",   "LVA_Alloc",
    "LVA_ReAlloc",          "LVA_Free",
    "LVA_ISO_2022_JP",      "LVA_ISO_2022_KR",
    "LVA_HZ_GB2312",        "LVA_ISO_8859_2",
    "LVA_EUC_JP",           "LVA_UTF_7",
    "LVA_UTF_8",            "LVA_B64Convert",
    "LVA_QPConvert",        "LVA_MIMEHeader",
    "LVA_SerializeRcpts",   "LVA_Connect",
};

// What the recorder saw and what it is told to do.
struct Lookups {
  std::vector<std::string> names;
  std::vector<HMODULE> modules;
  std::string missing;                 // answered with null
  bool fakeModuleHandle = false;       // GetModuleHandleA(null) answers moduleHandle
  HMODULE moduleHandle = nullptr;
  int moduleHandleCalls = 0;
  FARPROC(WINAPI *realGetProcAddress)(HMODULE, LPCSTR) = nullptr;
  HMODULE(WINAPI *realGetModuleHandleA)(LPCSTR) = nullptr;
};
Lookups *g_lookups = nullptr;

FARPROC WINAPI RecordingGetProcAddress(HMODULE module, LPCSTR name) {
  Lookups &l = *g_lookups; // set before the patch can be reached
  const bool byName = reinterpret_cast<uintptr_t>(name) > 0xFFFF;
  l.names.push_back(byName ? name : "#ordinal");
  l.modules.push_back(module);
  if (byName && l.missing == name) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return l.realGetProcAddress(module, name);
}

HMODULE WINAPI RecordingGetModuleHandleA(LPCSTR name) {
  Lookups &l = *g_lookups;
  if (!name)
    ++l.moduleHandleCalls;
  if (!name && l.fakeModuleHandle)
    return l.moduleHandle;
  return l.realGetModuleHandleA(name);
}

class HostTable : public ::testing::Test {
protected:
  HostTable() {
    // Nothing calls either function between the patches and this.
    lookups.realGetProcAddress = reinterpret_cast<FARPROC(WINAPI *)(HMODULE, LPCSTR)>(procPatch.Original());
    lookups.realGetModuleHandleA = reinterpret_cast<HMODULE(WINAPI *)(LPCSTR)>(handlePatch.Original());
    g_lookups = &lookups;
  }
  ~HostTable() override { g_lookups = nullptr; }
  void SetUp() override {
    ASSERT_TRUE(procPatch.Installed());
    ASSERT_TRUE(handlePatch.Installed());
  }

  void ClearRecord() {
    lookups.names.clear();
    lookups.modules.clear();
    lookups.moduleHandleCalls = 0;
  }

  // The executable's own address for a name, looked up past the recorder.
  FARPROC Own(const char *name) const { return lookups.realGetProcAddress(exe, name); }

  Lookups lookups;
  HMODULE exe = GetModuleHandleA(nullptr);
  // Declared after `lookups`, so the imports are restored first.
  ImportPatch procPatch{"KERNEL32.dll", "GetProcAddress", reinterpret_cast<void *>(&RecordingGetProcAddress)};
  ImportPatch handlePatch{"KERNEL32.dll", "GetModuleHandleA",
                          reinterpret_cast<void *>(&RecordingGetModuleHandleA)};
};

TEST_F(HostTable, FieldsAreTheSlotsInOrderThenTheModuleHandle) {
  TLumivoxAPI api;
  const char *object = reinterpret_cast<const char *>(&api);
  // The virtual destructor's table pointer comes first, then the 54 slots.
  EXPECT_EQ(sizeof(void *), static_cast<size_t>(reinterpret_cast<const char *>(&api.LVA_GetVersion) - object));
  EXPECT_EQ(sizeof(void *) * 55,
            static_cast<size_t>(reinterpret_cast<const char *>(&api.ModuleHandle) - object));
  EXPECT_EQ(sizeof(void *) * 4, static_cast<size_t>(reinterpret_cast<const char *>(&api.LVA_RegisterCommand) - object));
  EXPECT_EQ(sizeof(void *) * 20,
            static_cast<size_t>(reinterpret_cast<const char *>(&api.LVA_MoveSelectedMessages) - object));
  // Unbound at first.
  EXPECT_EQ(nullptr, api.ModuleHandle);
  for (int i = 0; i < 54; ++i)
    EXPECT_EQ(nullptr, api.Slot(i)) << kSlotNames[i];
}

TEST_F(HostTable, BindsAll54NamesInSlotOrderFromTheExecutable) {
  // A library in the process exporting the same names must not be used.
  HMODULE decoy = LoadLibraryA((testing_support::ProgramDir() + "decoy.dll").c_str());
  ASSERT_TRUE(decoy);
  TLumivoxAPI api;
  ClearRecord();
  ASSERT_TRUE(api.InitAPI());
  EXPECT_EQ(exe, api.ModuleHandle);
  EXPECT_EQ(1, lookups.moduleHandleCalls);
  // Exactly the names, exactly once each, in slot order, case as listed and
  // undecorated, all from the executable.
  ASSERT_EQ(54u, lookups.names.size());
  for (int i = 0; i < 54; ++i) {
    EXPECT_EQ(kSlotNames[i], lookups.names[i]) << "lookup " << i + 1;
    EXPECT_EQ(exe, lookups.modules[i]) << kSlotNames[i];
    ASSERT_TRUE(Own(kSlotNames[i])) << kSlotNames[i];
    EXPECT_EQ(Own(kSlotNames[i]), api.Slot(i)) << kSlotNames[i];
    EXPECT_NE(GetProcAddress(decoy, kSlotNames[i]), api.Slot(i)) << kSlotNames[i];
  }
  // The five the plug-in calls, through their named fields.
  EXPECT_EQ(Own("LVA_RegisterCommand"), reinterpret_cast<FARPROC>(api.LVA_RegisterCommand));
  EXPECT_EQ(Own("LVA_GetDataFolder"), reinterpret_cast<FARPROC>(api.LVA_GetDataFolder));
  EXPECT_EQ(Own("LVA_GetCurrentMailBox"), reinterpret_cast<FARPROC>(api.LVA_GetCurrentMailBox));
  EXPECT_EQ(Own("LVA_GetFolderDisplayName"), reinterpret_cast<FARPROC>(api.LVA_GetFolderDisplayName));
  EXPECT_EQ(Own("LVA_MoveSelectedMessages"), reinterpret_cast<FARPROC>(api.LVA_MoveSelectedMessages));
  FreeLibrary(decoy);
}

TEST_F(HostTable, SecondInitAfterSuccessLooksNothingUp) {
  TLumivoxAPI api;
  ASSERT_TRUE(api.InitAPI());
  // Were it to look again, the missing name would fail it and the marker
  // would be overwritten.
  lookups.missing = "LVA_Connect";
  const FARPROC marker = reinterpret_cast<FARPROC>(&RecordingGetProcAddress);
  api.LVA_Connect = marker;
  ClearRecord();
  EXPECT_TRUE(api.InitAPI());
  EXPECT_TRUE(lookups.names.empty());
  EXPECT_EQ(0, lookups.moduleHandleCalls);
  EXPECT_EQ(exe, api.ModuleHandle);
  EXPECT_EQ(marker, api.LVA_Connect);
}

TEST_F(HostTable, OneMissingNameRefusesTheBindingAtThatSlot) {
  const FARPROC marker = reinterpret_cast<FARPROC>(&RecordingGetModuleHandleA);
  for (int missing : {0, 19, 53}) { // slots 1, 20 and 54
    SCOPED_TRACE(kSlotNames[missing]);
    TLumivoxAPI api;
    // Slots after the missing one are not touched: they keep a marker.
    for (int i = missing + 1; i < 54; ++i)
      reinterpret_cast<FARPROC *>(&api.LVA_GetVersion)[i] = marker;
    lookups.missing = kSlotNames[missing];
    ClearRecord();
    EXPECT_FALSE(api.InitAPI());
    EXPECT_EQ(nullptr, api.ModuleHandle);
    ASSERT_EQ(static_cast<size_t>(missing + 1), lookups.names.size()) << "lookups go on after the missing one";
    for (int i = 0; i < missing; ++i)
      EXPECT_EQ(Own(kSlotNames[i]), api.Slot(i)) << kSlotNames[i];
    EXPECT_EQ(nullptr, api.Slot(missing));
    for (int i = missing + 1; i < 54; ++i)
      EXPECT_EQ(marker, api.Slot(i)) << kSlotNames[i];

    // Unbound again, so a later call starts over at slot 1.
    lookups.missing.clear();
    ClearRecord();
    EXPECT_TRUE(api.InitAPI());
    ASSERT_EQ(54u, lookups.names.size());
    EXPECT_EQ(kSlotNames[0], lookups.names[0]);
    EXPECT_EQ(exe, api.ModuleHandle);
    EXPECT_EQ(Own("LVA_Connect"), api.Slot(53));
  }
}

TEST_F(HostTable, ModuleHandleBelow32RefusesWithoutLookups) {
  for (uintptr_t handle : {0u, 1u, 31u}) {
    SCOPED_TRACE(handle);
    TLumivoxAPI api;
    lookups.moduleHandle = reinterpret_cast<HMODULE>(handle);
    ClearRecord();
    // Only for the call under test: nothing else in the process may see
    // the false handle.
    lookups.fakeModuleHandle = true;
    const bool bound = api.InitAPI();
    lookups.fakeModuleHandle = false;
    EXPECT_FALSE(bound);
    EXPECT_EQ(nullptr, api.ModuleHandle);
    EXPECT_TRUE(lookups.names.empty());
    EXPECT_EQ(nullptr, api.Slot(0));
  }
}

TEST_F(HostTable, StartUpRefusedWhenANameIsMissingKeepsTheUnboundTable) {
  TLumivoxAPI *savedHostAPI = HostAPI;
  char savedIniPath[IniPathSize];
  memcpy(savedIniPath, IniPath, IniPathSize);
  strcpy(IniPath, "unchanged");
  HostAPI = nullptr;

  lookups.missing = "LVA_Connect";
  EXPECT_FALSE(InitPlugIn());
  ASSERT_TRUE(HostAPI) << "the unbound table stays for the unload routine to destroy";
  EXPECT_EQ(nullptr, HostAPI->ModuleHandle);
  EXPECT_STREQ("unchanged", IniPath) << "a refused start-up goes no further";
  PlugInExitProc();
  EXPECT_EQ(nullptr, HostAPI);

  HostAPI = savedHostAPI;
  memcpy(IniPath, savedIniPath, IniPathSize);
}

} // namespace
