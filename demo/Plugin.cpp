#include "demo/Plugin.h"

#include "demo/Log.h"

#include <cstring>

namespace demo {

std::string InfoField(const char (&field)[80]) { return std::string(field, strnlen(field, sizeof field)); }

Plugin::~Plugin() {
  if (!module_)
    return;
  Log("host -> plug-in: LVC_OnExit() = %d", onExit_());
  FreeLibrary(module_);
}

bool Plugin::Load(const std::string &path, std::string &error) {
  path_ = path;
  module_ = LoadLibraryA(path.c_str());
  if (!module_) {
    const DWORD code = GetLastError();
    error = "cannot load " + path + " (error " + std::to_string(code) + ")";
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
      error += ": the library refused to load, so this program lacks a host function it needs";
    return false;
  }
  onStart_ = reinterpret_cast<Fn0>(GetProcAddress(module_, "LVC_OnStart"));
  onExit_ = reinterpret_cast<Fn0>(GetProcAddress(module_, "LVC_OnExit"));
  onMenuInit_ = reinterpret_cast<Fn3>(GetProcAddress(module_, "LVC_OnMenuInit"));
  onPlugInSetup_ = reinterpret_cast<Fn1>(GetProcAddress(module_, "LVC_OnPlugInSetup"));
  onPlugInInfo_ = reinterpret_cast<Fn1>(GetProcAddress(module_, "LVC_OnPlugInInfo"));
  if (!onStart_ || !onExit_ || !onMenuInit_ || !onPlugInSetup_ || !onPlugInInfo_) {
    error = path + " lacks one of the callbacks LVC_OnStart, LVC_OnExit, LVC_OnMenuInit, LVC_OnPlugInSetup, "
                   "LVC_OnPlugInInfo";
    FreeLibrary(module_);
    module_ = nullptr;
    return false;
  }
  Log("host: loaded %s", path.c_str());
  return true;
}

int Plugin::OnStart() {
  const int r = onStart_();
  Log("host -> plug-in: LVC_OnStart() = %d", r);
  return r;
}

int Plugin::MenuInit(HWND hostWindow, HMENU menu, int menuType) {
  Log("host -> plug-in: LVC_OnMenuInit(window, menu, %d)", menuType);
  const int r = onMenuInit_(static_cast<int>(reinterpret_cast<INT_PTR>(hostWindow)),
                            static_cast<int>(reinterpret_cast<INT_PTR>(menu)), menuType);
  Log("host <- plug-in: LVC_OnMenuInit = %d", r);
  return r;
}

int Plugin::PlugInSetup(HWND hostWindow) {
  Log("host -> plug-in: LVC_OnPlugInSetup(window)");
  const int r = onPlugInSetup_(static_cast<int>(reinterpret_cast<INT_PTR>(hostWindow)));
  Log("host <- plug-in: LVC_OnPlugInSetup = %d", r);
  return r;
}

int Plugin::PlugInInfo(PlugInInfoBlock &block) {
  const int r = onPlugInInfo_(static_cast<int>(reinterpret_cast<INT_PTR>(&block)));
  Log("host -> plug-in: LVC_OnPlugInInfo(block) = %d: Name \"%s\", Vendor \"%s\", Version \"%s\", "
      "Description \"%s\"",
      r, InfoField(block.Name).c_str(), InfoField(block.Vendor).c_str(), InfoField(block.Version).c_str(),
      InfoField(block.Description).c_str());
  return r;
}

} // namespace demo
