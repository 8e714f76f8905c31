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

  HMODULE plugin = LoadLibraryA((dir + "Parcelon.dll").c_str());
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
