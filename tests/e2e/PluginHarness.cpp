#include "tests/e2e/PluginHarness.h"

#include <stdexcept>

PluginCopy::PluginCopy(const std::string &fileName)
    : dir_(new testing_support::TempDir("plugin")), fileName_(fileName) {
  fakehost::Reset();
  const std::string source = testing_support::ProgramDir() + "Parcelon.dll";
  if (!CopyFileA(source.c_str(), DllPath().c_str(), FALSE))
    throw std::runtime_error("cannot copy " + source);
  module_ = LoadLibraryA(DllPath().c_str());
  if (!module_)
    throw std::runtime_error("cannot load " + DllPath());
}

PluginCopy::~PluginCopy() { Unload(); }

void PluginCopy::Unload(bool deliverPosted) {
  if (module_) {
    // Let posted release requests reach their forms first, as the host's
    // own message loop would.
    if (deliverPosted)
      testing_support::PumpMessages();
    FreeLibrary(module_);
    module_ = nullptr;
  }
}

std::string PluginCopy::IniPath() const {
  std::string p = DllPath();
  size_t dot = p.rfind('.');
  return (dot == std::string::npos ? p : p.substr(0, dot)) + ".ini";
}

int PluginCopy::MenuInit(HMENU menu, int menuType) const {
  return reinterpret_cast<Fn3>(Export("LVC_OnMenuInit"))(0, static_cast<int>(reinterpret_cast<INT_PTR>(menu)),
                                                         menuType);
}

int PluginCopy::PlugInSetup() const { return reinterpret_cast<Fn1>(Export("LVC_OnPlugInSetup"))(0); }

int PluginCopy::PlugInInfo(void *block) const {
  return reinterpret_cast<Fn1>(Export("LVC_OnPlugInInfo"))(static_cast<int>(reinterpret_cast<INT_PTR>(block)));
}

void PluginCopy::RunCommand() const {
  // The command callback is what the plug-in registered with the host.
  HMENU menu = CreatePopupMenu();
  MenuInit(menu, 1);
  DestroyMenu(menu);
  TCommandCallback callback = fakehost::Host().LastCallback;
  fakehost::Host().Calls.clear();
  if (!callback)
    throw std::runtime_error("the plug-in registered no command");
  callback(0, 0);
}
