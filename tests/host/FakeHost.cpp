#include "tests/host/FakeHost.h"

#include <deque>

namespace fakehost {

State &Host() {
  static State state;
  return state;
}

void Reset() {
  State &s = Host();
  s = State();
  s.DisplayName = DefaultDisplayName;
}

std::vector<Call> State::CallsOf(const std::string &function) const {
  std::vector<Call> out;
  for (const Call &c : Calls)
    if (c.Function == function)
      out.push_back(c);
  return out;
}

const char *DefaultDisplayName(const std::string &folderID) {
  // Mailbox "name.mb\" -> "[name]"; folder "name.mb\a\b\" -> "[name]/a/b".
  static std::deque<std::string> kept; // answers stay valid for a while
  std::string id = folderID;
  if (!id.empty() && id.back() == '\\')
    id.pop_back();
  std::string out;
  size_t slash = id.find('\\');
  std::string box = id.substr(0, slash);
  if (box.size() > 3 && box.compare(box.size() - 3, 3, ".mb") == 0)
    box.resize(box.size() - 3);
  out = "[" + box + "]";
  if (slash != std::string::npos) {
    std::string rest = id.substr(slash + 1);
    for (char &c : rest)
      if (c == '\\')
        c = '/';
    out += "/" + rest;
  }
  kept.push_back(out);
  if (kept.size() > 64)
    kept.pop_front();
  return kept.back().c_str();
}

} // namespace fakehost

using fakehost::Host;

#define FAKEHOST_EXPORT extern "C" __declspec(dllexport)

FAKEHOST_EXPORT int __stdcall LVA_RegisterCommand(const char *comment, int menuType, TCommandCallback callback) {
  Host().Calls.push_back({"LVA_RegisterCommand", comment ? comment : "", menuType});
  Host().LastCallback = callback;
  return Host().NextCommandId++;
}

FAKEHOST_EXPORT const char *__stdcall LVA_GetDataFolder() {
  Host().Calls.push_back({"LVA_GetDataFolder", "", 0});
  return Host().DataFolderNull ? nullptr : Host().DataFolder.c_str();
}

FAKEHOST_EXPORT const char *__stdcall LVA_GetCurrentMailBox() {
  Host().Calls.push_back({"LVA_GetCurrentMailBox", "", 0});
  return Host().CurrentMailBoxNull ? nullptr : Host().CurrentMailBox.c_str();
}

FAKEHOST_EXPORT const char *__stdcall LVA_GetFolderDisplayName(const char *folderID) {
  std::string id = folderID ? folderID : "";
  Host().Calls.push_back({"LVA_GetFolderDisplayName", id, 0});
  return Host().DisplayName ? Host().DisplayName(id) : nullptr;
}

FAKEHOST_EXPORT int __stdcall LVA_MoveSelectedMessages(const char *folderID, int copyFlag) {
  Host().Calls.push_back({"LVA_MoveSelectedMessages", folderID ? folderID : "", copyFlag});
  return 1;
}

// The 49 functions the plug-in binds but never calls.
#define FAKEHOST_STUB_TUnusedFn(name)                                                               \
  FAKEHOST_EXPORT int __stdcall name() { return 0; }
#define FAKEHOST_STUB_TRegisterCommandFn(name)
#define FAKEHOST_STUB_TGetTextFn(name)
#define FAKEHOST_STUB_TGetFolderDisplayNameFn(name)
#define FAKEHOST_STUB_TMoveSelectedMessagesFn(name)
#define FAKEHOST_STUB(name, type) FAKEHOST_STUB_##type(name)
LUMIVOX_API_SLOTS(FAKEHOST_STUB)

// Start with the default answers.
static const bool fakeHostReady = (fakehost::Reset(), true);
