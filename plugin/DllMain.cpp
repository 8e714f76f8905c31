// The library's entry point. Only Parcelon.dll has it; the test programs
// link the rest of the plug-in's code and drive start-up themselves.
#include "forms/Forms.h"
#include "plugin/Parcelon.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  switch (reason) {
  case DLL_PROCESS_ATTACH:
    PlugInModule = instance;
    DisableThreadLibraryCalls(instance);
    // A failed start-up refuses the load; the system then detaches us at
    // once, which runs the unload routine below.
    return InitPlugIn() ? TRUE : FALSE;
  case DLL_PROCESS_DETACH:
    // Windows whose procedures live in this library must not outlive it.
    // At process exit (reserved non-null) the process is going anyway.
    if (!reserved)
      forms::Shutdown();
    PlugInExitProc();
    return TRUE;
  default:
    return TRUE;
  }
}
