// The demo host's side of the plug-in boundary: the 54 host functions that
// this program exports (the plug-in binds them from the executable), and
// the registry of commands that the plug-in registers for its menu items.
#pragma once

#include "hostapi/LumivoxAPI.h"

#include <string>

namespace demo {

// What the host functions answer; the main window provides it.
class HostServices {
public:
  virtual ~HostServices() = default;
  virtual std::string DataFolder() = 0;
  virtual std::string CurrentMailBox() = 0;
  virtual std::string FolderDisplayName(const std::string &folderID) = 0;
  // Moves (copy false) or copies the messages selected in the host.
  virtual int MoveSelectedMessages(const std::string &folderID, bool copy) = 0;
};

void SetHostServices(HostServices *services);

// Command identifiers handed out by LVA_RegisterCommand: menu item
// identifiers, so they stay below 0xF000 (system commands start there).
const int FirstCommandId = 40001;
const int LastCommandId = 0xEFFF;

// Calls the callback registered under `id` as the host does when the menu
// item is chosen. False when no command has that identifier.
bool RunCommand(int id, HWND hostWindow);

// How many calls the plug-in has made to each of the five functions.
struct HostCallCounts {
  int RegisterCommand, GetDataFolder, GetCurrentMailBox, GetFolderDisplayName, MoveSelectedMessages, Stubs;
};
HostCallCounts CallCounts();

} // namespace demo
