// A short scripted tour of the plug-in in the demo host, for machines with
// no one at the keyboard: it opens the mail list's context menu, runs the
// plug-in's command, moves two messages and copies one, opens the setup and
// changes values there, opens the message view's menu and the about box,
// photographs each step and checks that each step really happened (files
// moved and copied, settings written).
//
// The steps run from a thread timer, so they run inside whatever modal loop
// the thread is in (the context menu's, the plug-in's dialogs', the about
// box's), and they drive the windows as a user would see them: by caption,
// by class, with clicks and keys.
#pragma once

#include "demo/MainWindow.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace demo {

class Tour {
public:
  // Screenshots go to `outDir`; `iniPath` is the plug-in's settings file.
  Tour(MainWindow &window, const MailStore &store, std::string outDir, std::string iniPath);
  ~Tour();
  Tour(const Tour &) = delete;
  Tour &operator=(const Tour &) = delete;

  void Start();
  bool Failed() const { return failures_ > 0 || !finished_; }

private:
  // A step returns true when done, false to be called again on the next
  // tick (waiting for a window, say); it gets the time since it began.
  typedef std::function<bool(int elapsedMs)> Step;
  struct Entry {
    std::string Title;
    Step Body;
    int TimeoutMs;
  };

  void Add(const std::string &title, Step body, int timeoutMs = 15000);
  void Build();
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void Run();
  void Abort(const std::string &why);

  bool Check(bool condition, const std::string &what);
  void Shot(const std::string &name);

  // Steps shared by several parts of the tour.
  void OpenContextMenu(int menuType);
  void AddMenuSteps(int menuType, const std::string &shot, bool expectItem, int expectedPosition, bool choose);
  void AddDialogSteps(const std::string &target, const std::string &shot, const char *button,
                      const std::string &expectPreselected);

  MainWindow &window_;
  const MailStore &store_;
  std::string outDir_, iniPath_;
  std::vector<Entry> steps_;
  size_t next_ = 0;
  DWORD stepStarted_ = 0, started_ = 0;
  UINT_PTR timer_ = 0;
  bool running_ = false, aborting_ = false, finished_ = false;
  DWORD abortStarted_ = 0;
  int failures_ = 0, checks_ = 0, shots_ = 0;
  int movesBefore_ = 0;
  std::vector<std::string> picked_; // the message files chosen for the current step
};

} // namespace demo
