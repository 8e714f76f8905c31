// The host's functions, bound by name from the host executable at load time.
//
// The host (the Lumivox mail client) exports 54 stdcall functions. The
// plug-in calls five of them but requires all: a host that lacks any one is
// not one we were written for, and the library then refuses to load.
#pragma once

#include <windows.h>

// What the host calls back when the user chooses a registered menu item.
typedef void(__stdcall *TCommandCallback)(int hostWindow, int param);

// Signatures of the five functions the plug-in calls. Text crosses the
// boundary as NUL-terminated ANSI (Shift-JIS) strings owned by the host.
typedef int(__stdcall *TRegisterCommandFn)(const char *comment, int menuType, TCommandCallback callback);
typedef const char *(__stdcall *TGetTextFn)();
typedef const char *(__stdcall *TGetFolderDisplayNameFn)(const char *folderID);
typedef int(__stdcall *TMoveSelectedMessagesFn)(const char *folderID, int copyFlag);
// The other 49 are bound and never called; a plain address is enough.
typedef FARPROC TUnusedFn;

// Every host function in slot order, with the type its slot holds.
#define LUMIVOX_API_SLOTS(X)                                                   \
  X(LVA_GetVersion, TUnusedFn)                                                 \
  X(LVA_Command, TUnusedFn)                                                    \
  X(LVA_GetWindowHandles, TUnusedFn)                                           \
  X(LVA_RegisterCommand, TRegisterCommandFn)                                   \
  X(LVA_RegisterUICallback, TUnusedFn)                                         \
  X(LVA_GetDataFolder, TGetTextFn)                                             \
  X(LVA_GetTempFolder, TUnusedFn)                                              \
  X(LVA_GetTempFileName, TUnusedFn)                                            \
  X(LVA_GetCurrentMailBox, TGetTextFn)                                         \
  X(LVA_SetCurrentMailBox, TUnusedFn)                                          \
  X(LVA_GetCurrentFolder, TUnusedFn)                                           \
  X(LVA_SetCurrentFolder, TUnusedFn)                                           \
  X(LVA_GetFolderDisplayName, TGetFolderDisplayNameFn)                         \
  X(LVA_SetMessageText, TUnusedFn)                                             \
  X(LVA_GetCurrentMail, TUnusedFn)                                             \
  X(LVA_SetCurrentMail, TUnusedFn)                                             \
  X(LVA_GetNextMail, TUnusedFn)                                                \
  X(LVA_SetSel, TUnusedFn)                                                     \
  X(LVA_AppendMessage, TUnusedFn)                                              \
  X(LVA_MoveSelectedMessages, TMoveSelectedMessagesFn)                         \
  X(LVA_GetStatus, TUnusedFn)                                                  \
  X(LVA_ComposeMail, TUnusedFn)                                                \
  X(LVA_GetCharSet, TUnusedFn)                                                 \
  X(LVA_GetSource, TUnusedFn)                                                  \
  X(LVA_SetSource, TUnusedFn)                                                  \
  X(LVA_GetHeader, TUnusedFn)                                                  \
  X(LVA_GetText, TUnusedFn)                                                    \
  X(LVA_SetText, TUnusedFn)                                                    \
  X(LVA_GetSpecifiedHeader, TUnusedFn)                                         \
  X(LVA_SetSpecifiedHeader, TUnusedFn)                                         \
  X(LVA_CompGetCharSet, TUnusedFn)                                             \
  X(LVA_CompGetSource, TUnusedFn)                                              \
  X(LVA_CompSetSource, TUnusedFn)                                              \
  X(LVA_CompGetHeader, TUnusedFn)                                              \
  X(LVA_CompGetSpecifiedHeader, TUnusedFn)                                     \
  X(LVA_CompSetSpecifiedHeader, TUnusedFn)                                     \
  X(LVA_CompGetText, TUnusedFn)                                                \
  X(LVA_CompSetText, TUnusedFn)                                                \
  X(LVA_CompAttachFile, TUnusedFn)                                             \
  X(LVA_Alloc, TUnusedFn)                                                      \
  X(LVA_ReAlloc, TUnusedFn)                                                    \
  X(LVA_Free, TUnusedFn)                                                       \
  X(LVA_ISO_2022_JP, TUnusedFn)                                                \
  X(LVA_ISO_2022_KR, TUnusedFn)                                                \
  X(LVA_HZ_GB2312, TUnusedFn)                                                  \
  X(LVA_ISO_8859_2, TUnusedFn)                                                 \
  X(LVA_EUC_JP, TUnusedFn)                                                     \
  X(LVA_UTF_7, TUnusedFn)                                                      \
  X(LVA_UTF_8, TUnusedFn)                                                      \
  X(LVA_B64Convert, TUnusedFn)                                                 \
  X(LVA_QPConvert, TUnusedFn)                                                  \
  X(LVA_MIMEHeader, TUnusedFn)                                                 \
  X(LVA_SerializeRcpts, TUnusedFn)                                             \
  X(LVA_Connect, TUnusedFn)

class TLumivoxAPI {
public:
  TLumivoxAPI();
  virtual ~TLumivoxAPI();
  TLumivoxAPI(const TLumivoxAPI &) = delete;
  TLumivoxAPI &operator=(const TLumivoxAPI &) = delete;

  // Binds every slot from the process's executable module. False when the
  // executable lacks any one name; the table is then left unbound
  // (ModuleHandle 0), with the slots before the missing one filled in.
  bool InitAPI();

#define LUMIVOX_DECLARE_SLOT(name, type) type name;
  LUMIVOX_API_SLOTS(LUMIVOX_DECLARE_SLOT)
#undef LUMIVOX_DECLARE_SLOT

  HMODULE ModuleHandle;

  static const int SlotCount = 54;
  static const char *const SlotNames[SlotCount];
  // The address in slot i (0-based), for checks that walk the whole table.
  FARPROC Slot(int index) const;
};
