// Loads a private copy of the real Parcelon.dll into this program (which
// plays the host), so that each test has its own settings file beside its
// own library.
#pragma once

#include "tests/host/FakeHost.h"
#include "tests/support/TestSupport.h"

#include <memory>
#include <string>
#include <windows.h>

class PluginCopy {
public:
  typedef int(__stdcall *Fn0)();
  typedef int(__stdcall *Fn1)(int);
  typedef int(__stdcall *Fn3)(int, int, int);

  // Copies build/bin/Parcelon.dll into a fresh folder and loads it. The
  // fake host's answers and records are reset first.
  explicit PluginCopy(const std::string &fileName = "Parcelon.dll");
  ~PluginCopy();
  PluginCopy(const PluginCopy &) = delete;
  PluginCopy &operator=(const PluginCopy &) = delete;

  HMODULE Module() const { return module_; }
  const std::string &Dir() const { return dir_->Path(); }
  std::string DllPath() const { return dir_->Path() + fileName_; }
  // The settings file the library uses: its path with ".ini" for ".dll".
  std::string IniPath() const;
  FARPROC Export(const char *name) const { return GetProcAddress(module_, name); }

  int MenuInit(HMENU menu, int menuType) const;
  int PlugInSetup() const;
  int PlugInInfo(void *block) const;
  // Runs the command the way the host does when its menu item is chosen.
  void RunCommand() const;

  // Unloads the library now (the destructor does otherwise). With
  // `deliverPosted` false, requests the library posted to its windows are
  // left undelivered, as when a host unloads it right after a call.
  void Unload(bool deliverPosted = true);

private:
  std::unique_ptr<testing_support::TempDir> dir_;
  std::string fileName_;
  HMODULE module_ = nullptr;
};
