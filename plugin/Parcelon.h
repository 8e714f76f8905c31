// The plug-in's own module state and routines: start-up and unload, the
// menu fill, the move/copy command and the folder tree builder.
#pragma once

#include "hostapi/LumivoxAPI.h"

#include <cstddef>
#include <string>
#include <windows.h>

// --- Start-up and unload ----------------------------------------------------

// The host function table, created and bound at process attach and
// destroyed at detach; null before and after.
extern TLumivoxAPI *HostAPI;

// The settings file's full path: the library's path with its extension
// replaced by ".ini". One byte larger than MAX_PATH + ".ini" needs, so that
// a 259-byte path without any "." still fits with ".ini" and its terminator.
const size_t IniPathSize = MAX_PATH + 4;
extern char IniPath[IniPathSize];

// The host's data folder, as the last run of the command received it.
extern std::string DataFolder;

// Our own module (the DLL, or the test program that links the code).
extern HMODULE PlugInModule;

// Writes into `iniPath` the settings path for the module path `modulePath`:
// everything from its last "." (directory names count) replaced by ".ini",
// or ".ini" appended when there is no ".". The result is always terminated
// and never longer than IniPathSize - 1 bytes; the bytes behind its
// terminator are left as they were.
void MakeIniPath(const char *modulePath, char (&iniPath)[IniPathSize]);

bool InitPlugIn();
void PlugInExitProc();

// --- Exported callbacks -------------------------------------------------------

extern "C" {
int __stdcall LVC_OnStart();
int __stdcall LVC_OnExit();
int __stdcall LVC_OnMenuInit(int hostWindow, int menu, int menuType);
int __stdcall LVC_OnOpenFolder(int a);
int __stdcall LVC_OnOpenMail(int a);
int __stdcall LVC_OnEveryMinute();
int __stdcall LVC_OnOpenCompose(int a, int b);
int __stdcall LVC_OnOutgoing(int a, int b);
int __stdcall LVC_OnKeyDispatch(int a, int b, int c);
int __stdcall LVC_OnRetrieve(int a, int b);
int __stdcall LVC_OnSend(int a);
int __stdcall LVC_OnFinishRetrieve(int a);
int __stdcall LVC_OnPlugInSetup(int a);
int __stdcall LVC_OnPlugInInfo(int info);
int __stdcall LVC_OnDragDrop(int a, int b, int c, int d);
}

// The host's plug-in information block: four 80-byte text fields.
struct TPlugInInfo {
  char Name[80];
  char Vendor[80];
  char Version[80];
  char Description[80];
};

// --- Context menus and the command ------------------------------------------

const int MenuTypeMList = 1; // mail-list context menu
const int MenuTypeMView = 3; // message-view context menu

extern const char CommandComment[]; // given to the host with the registration
extern const char CommandCaption[]; // the menu item's caption

void __stdcall MoveCopyCommand(int hostWindow, int param);

// --- Boundary guard ----------------------------------------------------------

// Runs `body` and turns whatever it throws into what the user must see (a
// refused settings write as its message), so that no exception reaches the
// host. Returns false when something was thrown.
template <class F> bool Guarded(F &&body) noexcept;
void ShowPlugInError(const char *message) noexcept;
#include "plugin/Guard.inl"
