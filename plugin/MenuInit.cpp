// Puts the move/copy command into the host's context menus.
#include "plugin/Parcelon.h"

#include "settings/SettingsFile.h"

#include <cstdint>

const char CommandComment[] = "メールの移動/コピー";
const char CommandCaption[] = "メールの移動/コピー(&M)...";

int __stdcall LVC_OnMenuInit(int /*hostWindow*/, int menu, int menuType) {
  if (menuType != MenuTypeMList && menuType != MenuTypeMView)
    return 0;
  Guarded([&] {
    // Read afresh at every call, so that a change in the setup dialog shows
    // the next time the host builds the menu.
    const settings::SettingsFile ini(IniPath);
    const bool mailList = menuType == MenuTypeMList;
    if (!ini.ReadBool("Menu", mailList ? "MList" : "MView", mailList))
      return;
    const int id = HostAPI->LVA_RegisterCommand(CommandComment, menuType, &MoveCopyCommand);
    const int top = ini.ReadInteger("Menu", mailList ? "MListTop" : "MViewTop", 0);
    HMENU target = reinterpret_cast<HMENU>(static_cast<uintptr_t>(static_cast<unsigned>(menu)));
    if (top == 0)
      InsertMenuA(target, 0, MF_BYPOSITION | MF_STRING, static_cast<UINT_PTR>(static_cast<unsigned>(id)),
                  CommandCaption);
    else
      AppendMenuA(target, MF_STRING, static_cast<UINT_PTR>(static_cast<unsigned>(id)), CommandCaption);
  });
  return 0;
}
