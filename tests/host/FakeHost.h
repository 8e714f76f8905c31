// A stand-in for the host mail client: a program that links this exports
// all 54 host functions by undecorated name, so that the plug-in binds its
// table from it exactly as from the real host. The five functions the
// plug-in calls answer what a test sets and record every call; the other 49
// are plain stubs.
#pragma once

#include "hostapi/LumivoxAPI.h"

#include <functional>
#include <string>
#include <vector>

namespace fakehost {

struct Call {
  std::string Function; // "LVA_RegisterCommand", ...
  std::string Text;     // the text argument, if any
  int Number = 0;       // the integer argument, if any
};

struct State {
  // Answers. A null-flagged answer is returned as a null pointer.
  std::string DataFolder;
  bool DataFolderNull = false;
  std::string CurrentMailBox;
  bool CurrentMailBoxNull = false;
  // Display name for a folder identifier; by default the host's own forms:
  // "[" + mailbox + "]" for a mailbox, "[mailbox]/a/b" for a folder.
  std::function<const char *(const std::string &folderID)> DisplayName;

  int NextCommandId = 40001;
  TCommandCallback LastCallback = nullptr;
  std::vector<Call> Calls;
  // What the calls of each function have received, in order.
  std::vector<Call> CallsOf(const std::string &function) const;
};

State &Host();
// Clears recorded calls and restores the default answers.
void Reset();

// The display name the default answer gives for a folder identifier
// ("box.mb\sub\x\" -> "[box]/sub/x", "box.mb\" -> "[box]"). Kept alive
// until the next call.
const char *DefaultDisplayName(const std::string &folderID);

} // namespace fakehost
