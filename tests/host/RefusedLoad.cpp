// A host that lacks one of the 54 functions (the build renames it away):
// loading the plug-in must fail, and no window may appear.
#include "tests/host/FakeHost.h"

#include <cstdio>
#include <string>
#include <windows.h>

static BOOL CALLBACK CountWindow(HWND, LPARAM count) {
  ++*reinterpret_cast<int *>(count);
  return TRUE;
}

int main() {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string dir(self);
  dir = dir.substr(0, dir.rfind('\\') + 1);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

  // A missing library would fail to load too; that proves nothing.
  const std::string library = dir + "Parcelon.dll";
  if (GetFileAttributesA(library.c_str()) == INVALID_FILE_ATTRIBUTES) {
    std::printf("FAIL: %s is not there\n", library.c_str());
    return 1;
  }
  // This host must lack exactly one of the 54 names (#name is not expanded,
  // so these are the real names, not the renamed ones).
  int lacking = 0;
  HMODULE self_module = GetModuleHandleA(nullptr);
#define COUNT_LACKING(name, type)                                              \
  if (!GetProcAddress(self_module, #name))                                     \
    ++lacking;
  LUMIVOX_API_SLOTS(COUNT_LACKING)
#undef COUNT_LACKING
  if (lacking != 1) {
    std::printf("FAIL: this host lacks %d host functions, not 1\n", lacking);
    return 1;
  }

  HMODULE plugin = LoadLibraryA(library.c_str());
  DWORD error = GetLastError();
  int windows = 0;
  EnumThreadWindows(GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&windows));
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    DispatchMessageA(&msg);

  if (plugin) {
    std::printf("FAIL: the plug-in loaded into a host lacking a function\n");
    FreeLibrary(plugin);
    return 1;
  }
  if (error != ERROR_DLL_INIT_FAILED) {
    std::printf("FAIL: the load failed with error %lu, not in the library's start-up\n", error);
    return 1;
  }
  if (GetModuleHandleA(library.c_str())) {
    std::printf("FAIL: the refused library stayed loaded\n");
    return 1;
  }
  if (windows != 0) {
    std::printf("FAIL: %d window(s) appeared\n", windows);
    return 1;
  }
  if (!fakehost::Host().Calls.empty()) {
    std::printf("FAIL: the plug-in called the host while refusing to load\n");
    return 1;
  }
  std::printf("ok: load refused (error %lu), no window, no host call\n", error);
  return 0;
}
