// The host functions, exported by their plain names (the executable is
// linked with --kill-at, which drops the "@n" of stdcall names).
#include "demo/HostExports.h"

#include "demo/Log.h"

#include <map>

namespace demo {

namespace {

HostServices *services = nullptr;
HostCallCounts counts = {};

struct Registration {
  std::string Comment;
  int MenuType;
  TCommandCallback Callback;
};
std::map<int, Registration> &Commands() {
  static std::map<int, Registration> commands;
  return commands;
}
int nextCommandId = FirstCommandId;

// Returned texts stay the host's and stay valid for the life of the process:
// one stable copy per distinct text (std::map never moves its elements).
const char *Kept(const std::string &text) {
  static std::map<std::string, int> texts;
  return texts.emplace(text, 0).first->first.c_str();
}

} // namespace

void SetHostServices(HostServices *s) { services = s; }

HostCallCounts CallCounts() { return counts; }

bool RunCommand(int id, HWND hostWindow) {
  auto it = Commands().find(id);
  if (it == Commands().end())
    return false;
  Log("host -> plug-in: command %d (\"%s\", menu type %d)", id, it->second.Comment.c_str(), it->second.MenuType);
  it->second.Callback(static_cast<int>(reinterpret_cast<INT_PTR>(hostWindow)), 0);
  Log("host <- plug-in: command %d returned", id);
  return true;
}

} // namespace demo

using namespace demo;

#define DEMO_EXPORT extern "C" __declspec(dllexport)

DEMO_EXPORT int __stdcall LVA_RegisterCommand(const char *comment, int menuType, TCommandCallback callback) {
  try {
    ++counts.RegisterCommand;
    // Every registration gets an identifier of its own; after the last one
    // the oldest are handed out again.
    const int id = nextCommandId;
    nextCommandId = nextCommandId == LastCommandId ? FirstCommandId : nextCommandId + 1;
    Commands()[id] = {comment ? comment : "", menuType, callback};
    Log("plug-in -> host: LVA_RegisterCommand(\"%s\", %d, %p) = %d", comment ? comment : "(null)", menuType,
        reinterpret_cast<void *>(callback), id);
    return id;
  } catch (...) {
    return 0;
  }
}

DEMO_EXPORT const char *__stdcall LVA_GetDataFolder() {
  try {
    ++counts.GetDataFolder;
    const char *text = Kept(services ? services->DataFolder() : std::string());
    Log("plug-in -> host: LVA_GetDataFolder() = \"%s\"", text);
    return text;
  } catch (...) {
    return nullptr;
  }
}

DEMO_EXPORT const char *__stdcall LVA_GetCurrentMailBox() {
  try {
    ++counts.GetCurrentMailBox;
    const char *text = Kept(services ? services->CurrentMailBox() : std::string());
    Log("plug-in -> host: LVA_GetCurrentMailBox() = \"%s\"", text);
    return text;
  } catch (...) {
    return nullptr;
  }
}

DEMO_EXPORT const char *__stdcall LVA_GetFolderDisplayName(const char *folderID) {
  try {
    ++counts.GetFolderDisplayName;
    const std::string id = folderID ? folderID : "";
    const char *text = Kept(services ? services->FolderDisplayName(id) : std::string());
    Log("plug-in -> host: LVA_GetFolderDisplayName(\"%s\") = \"%s\"", id.c_str(), text);
    return text;
  } catch (...) {
    return nullptr;
  }
}

DEMO_EXPORT int __stdcall LVA_MoveSelectedMessages(const char *folderID, int copyFlag) {
  try {
    ++counts.MoveSelectedMessages;
    const std::string id = folderID ? folderID : "";
    Log("plug-in -> host: LVA_MoveSelectedMessages(\"%s\", %d) [%s]", id.c_str(), copyFlag,
        copyFlag == 0 ? "move" : "copy");
    const int done = services ? services->MoveSelectedMessages(id, copyFlag != 0) : 0;
    Log("plug-in <- host: LVA_MoveSelectedMessages = %d", done);
    return done;
  } catch (...) {
    return 0;
  }
}

// The 49 functions that the plug-in binds but does not call. A real host
// does real work in them; here each one only says that it was called.
#define DEMO_STUB_TUnusedFn(name)                                                                                \
  DEMO_EXPORT int __stdcall name() {                                                                             \
    ++counts.Stubs;                                                                                              \
    try {                                                                                                        \
      Log("plug-in -> host: " #name "() (not part of the demo) = 0");                                            \
    } catch (...) {                                                                                              \
    }                                                                                                            \
    return 0;                                                                                                    \
  }
#define DEMO_STUB_TRegisterCommandFn(name)
#define DEMO_STUB_TGetTextFn(name)
#define DEMO_STUB_TGetFolderDisplayNameFn(name)
#define DEMO_STUB_TMoveSelectedMessagesFn(name)
#define DEMO_STUB(name, type) DEMO_STUB_##type(name)
LUMIVOX_API_SLOTS(DEMO_STUB)
