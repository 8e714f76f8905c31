// The plug-in as the host sees it: a library loaded from a plug-in folder
// and the callbacks the demo calls.
#pragma once

#include <windows.h>

#include <string>

namespace demo {

// The host's plug-in information block: four 80-byte text fields.
struct PlugInInfoBlock {
  char Name[80];
  char Vendor[80];
  char Version[80];
  char Description[80];
};
static_assert(sizeof(PlugInInfoBlock) == 320, "the host passes 320 bytes");

// A field of the block as text, cut at 80 bytes if it has no terminator.
std::string InfoField(const char (&field)[80]);

class Plugin {
public:
  Plugin() = default;
  ~Plugin(); // calls LVC_OnExit and unloads
  Plugin(const Plugin &) = delete;
  Plugin &operator=(const Plugin &) = delete;

  // Loads the library and finds its callbacks; on failure says why.
  bool Load(const std::string &path, std::string &error);
  const std::string &Path() const { return path_; }

  int OnStart();
  int MenuInit(HWND hostWindow, HMENU menu, int menuType);
  int PlugInSetup(HWND hostWindow);
  int PlugInInfo(PlugInInfoBlock &block);

private:
  typedef int(__stdcall *Fn0)();
  typedef int(__stdcall *Fn1)(int);
  typedef int(__stdcall *Fn3)(int, int, int);

  std::string path_;
  HMODULE module_ = nullptr;
  Fn0 onStart_ = nullptr, onExit_ = nullptr;
  Fn3 onMenuInit_ = nullptr;
  Fn1 onPlugInSetup_ = nullptr, onPlugInInfo_ = nullptr;
};

} // namespace demo
