#include "tests/host/FakeHost.h"

#include <deque>
#include <windows.h>

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
  // Split at the separators, reading the identifier by characters: a 0x5C
  // byte may be the second half of a Shift-JIS character ("ソ").
  std::vector<std::string> names(1);
  for (size_t i = 0; i < folderID.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(folderID[i])) && i + 1 < folderID.size()) {
      names.back() += folderID.substr(i, 2);
      ++i;
    } else if (folderID[i] == '\\') {
      names.emplace_back();
    } else {
      names.back() += folderID[i];
    }
  }
  if (names.size() > 1 && names.back().empty())
    names.pop_back();
  std::string box = names[0];
  if (box.size() > 3 && box.compare(box.size() - 3, 3, ".mb") == 0)
    box.resize(box.size() - 3);
  std::string out = "[" + box + "]";
  for (size_t i = 1; i < names.size(); ++i)
    out += "/" + names[i];
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
