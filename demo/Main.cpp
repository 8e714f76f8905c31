// ParcelonDemo: a small stand-in for the Lumivox mail client, so that the
// plug-in can be tried without it. It exports the host functions, keeps a
// sample data folder, loads Parcelon.dll from beside itself as the host
// loads its plug-ins, and shows its mailboxes, folders and messages.
//
//   ParcelonDemo.exe [--data DIR] [--out DIR]
//       the demo for a person: the data folder DIR (default OUT\data\) is
//       created with the sample mailboxes on first run, the log goes to
//       OUT\session.log; OUT defaults to ..\demo\ beside the program.
//   ParcelonDemo.exe --tour [--out DIR]
//       the scripted tour (see Tour.h) on a fresh sample in OUT\data\ with a
//       fresh copy of the plug-in in OUT\plugin\ (so it starts from default
//       settings and leaves the person's settings alone); screenshots and
//       OUT\tour.log. Exit code 0 when every step happened as expected.
#include "demo/Log.h"
#include "demo/MailStore.h"
#include "demo/MainWindow.h"
#include "demo/Plugin.h"
#include "demo/Tour.h"

#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <memory>

using namespace demo;

namespace {

std::string ProgramDir() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s = path;
  return s.substr(0, s.rfind('\\') + 1);
}

// An absolute directory path ending in "\" ("/" accepted as a separator).
std::string FullDir(std::string path) {
  for (char &c : path)
    if (c == '/')
      c = '\\';
  char full[MAX_PATH] = "";
  GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  std::string s = full;
  if (!s.empty() && s.back() != '\\')
    s += '\\';
  return s;
}

void MakeDirs(const std::string &dir) {
  for (size_t i = 3; i <= dir.size(); ++i)
    if (i == dir.size() || dir[i] == '\\')
      CreateDirectoryA(dir.substr(0, i).c_str(), nullptr);
}

int Fail(bool tour, const std::string &message) {
  Log("error: %s", message.c_str());
  if (!tour)
    MessageBoxA(nullptr, message.c_str(), "Lumivox デモ", MB_OK | MB_ICONERROR);
  return 2;
}

// Ends a tour that hangs (a dialog nobody closes), so that a script or a
// test waiting for the program always gets an answer.
DWORD WINAPI Watchdog(void *) {
  Sleep(180000);
  Log("tour: FAILED: still running after 180 s; stopping");
  ExitProcess(3);
}

int Run() {
  bool tour = false;
  std::string out = ProgramDir() + "..\\demo\\", data;
  for (int i = 1; i < __argc; ++i) {
    const std::string arg = __argv[i];
    if (arg == "--tour")
      tour = true;
    else if (arg == "--out" && i + 1 < __argc)
      out = __argv[++i];
    else if (arg == "--data" && i + 1 < __argc)
      data = __argv[++i];
  }
  out = FullDir(out);
  data = FullDir(data.empty() || tour ? out + "data" : data);
  MakeDirs(out);
  OpenLog(out + (tour ? "tour.log" : "session.log"));
  Log("host: Lumivox demo host, %s; data folder %s; code page %u", tour ? "scripted tour" : "interactive",
      data.c_str(), GetACP());
  if (GetACP() != 932)
    Log("host: warning: the ANSI code page is not 932 (Shift-JIS); Japanese names will not show right");

  std::string error;
  if (!MailStore::MakeSample(data, tour, error))
    return Fail(tour, error);
  MailStore store(data);

  // The plug-in: beside the program, or (for the tour) a fresh copy of it.
  std::string library = ProgramDir() + "Parcelon.dll";
  std::string ini = ProgramDir() + "Parcelon.ini";
  if (tour) {
    const std::string dir = out + "plugin\\";
    MakeDirs(dir);
    DeleteFileA((dir + "Parcelon.ini").c_str());
    if (!CopyFileA(library.c_str(), (dir + "Parcelon.dll").c_str(), FALSE))
      return Fail(tour, "cannot copy " + library + " to " + dir);
    library = dir + "Parcelon.dll";
    ini = dir + "Parcelon.ini";
  }

  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);

  int result = 0;
  {
    Plugin plugin;
    if (!plugin.Load(library, error))
      return Fail(tour, error);
    plugin.OnStart();
    MainWindow window(store, plugin);
    if (!window.Create(SW_SHOWNORMAL))
      return Fail(tour, "cannot create the main window");
    std::unique_ptr<Tour> script;
    if (tour) {
      CloseHandle(CreateThread(nullptr, 0, &Watchdog, nullptr, 0, nullptr));
      script.reset(new Tour(window, store, out, ini));
      script->Start();
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (script)
      result = script->Failed() ? 1 : 0;
  }
  Log("host: exit %d", result);
  CloseLog();
  return result;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    return Run();
  } catch (...) {
    Log("error: unexpected error");
    return 2;
  }
}
