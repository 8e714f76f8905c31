// Start-up, unload, the exported callbacks that need no subsystem, and the
// plug-in information block.
#include "plugin/Parcelon.h"

#include "forms/Forms.h"
#include "ui/UnitSetup.h"
#include "ui/UnitTree.h"

#include <cstring>

TLumivoxAPI *HostAPI = nullptr;
char IniPath[IniPathSize] = "";
std::string DataFolder;
HMODULE PlugInModule = nullptr;

void MakeIniPath(const char *modulePath, char (&iniPath)[IniPathSize]) {
  size_t n = strnlen(modulePath, MAX_PATH - 1); // GetModuleFileNameA's limit
  // The last "." anywhere in the path, directory names included.
  size_t cut = n;
  for (size_t i = n; i-- > 0;) {
    if (modulePath[i] == '.') {
      cut = i;
      break;
    }
  }
  // Only the result and its terminator are written.
  memcpy(iniPath, modulePath, cut);
  memcpy(iniPath + cut, ".ini", 5); // cut + 5 <= MAX_PATH - 1 + 5 = IniPathSize
}

bool InitPlugIn() {
  try {
    HostAPI = new TLumivoxAPI;
    if (!HostAPI->InitAPI())
      return false;
    char modulePath[MAX_PATH] = "";
    GetModuleFileNameA(PlugInModule, modulePath, MAX_PATH);
    modulePath[MAX_PATH - 1] = '\0';
    MakeIniPath(modulePath, IniPath);
    return true;
  } catch (...) {
    return false;
  }
}

void PlugInExitProc() {
  delete HostAPI;
  HostAPI = nullptr;
  DataFolder.clear();
  DataFolder.shrink_to_fit();
  SelectedFolder.clear();
  SelectedFolder.shrink_to_fit();
}

void ShowPlugInError(const char *message) noexcept {
  // No owner: the message box disables the thread's windows itself.
  MessageBoxA(nullptr, message, "Parcelon", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

// --- Callbacks that do nothing -------------------------------------------------

int __stdcall LVC_OnStart() { return 0; }
int __stdcall LVC_OnExit() { return 0; }
int __stdcall LVC_OnOpenFolder(int) { return 0; }
int __stdcall LVC_OnOpenMail(int) { return 0; }
int __stdcall LVC_OnEveryMinute() { return 0; }
int __stdcall LVC_OnOpenCompose(int, int) { return 0; }
int __stdcall LVC_OnOutgoing(int, int) { return 0; }
int __stdcall LVC_OnKeyDispatch(int, int, int) { return 0; }
int __stdcall LVC_OnRetrieve(int, int) { return 0; }
int __stdcall LVC_OnSend(int) { return 0; }
int __stdcall LVC_OnFinishRetrieve(int) { return 0; }
int __stdcall LVC_OnDragDrop(int, int, int, int) { return 0; }

// --- Plug-in information ----------------------------------------------------------

int __stdcall LVC_OnPlugInInfo(int info) {
  // Each text with its terminator; the bytes behind it stay as the host
  // left them.
  static const char *const texts[4] = {"Lumivox! Parcelon plug-in", "Halverin", "1.2",
                                       "メールの移動／コピー."};
  char *field = reinterpret_cast<char *>(static_cast<uintptr_t>(static_cast<unsigned>(info)));
  if (!field)
    return 0;
  for (const char *text : texts) {
    memcpy(field, text, strlen(text) + 1);
    field += 80;
  }
  return 0;
}

// --- Setup ---------------------------------------------------------------------------

int __stdcall LVC_OnPlugInSetup(int) {
  Guarded([] { RunSetupDialog(IniPath); });
  return 1;
}
