// Helpers shared by the test programs: temporary folders, files, and a
// script that drives a modal dialog from inside its own message loop.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes. Path() ends in "\".
class TempDir {
public:
  explicit TempDir(const std::string &tag = "t");
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  const std::string &Path() const { return path_; }
  std::string operator/(const std::string &relative) const { return path_ + relative; }

private:
  std::string path_;
};

void RemoveTree(const std::string &path);
// Creates every directory of `path` ("a\b\c\" or "a\b\c").
void MakeDirs(const std::string &path);
void WriteFile(const std::string &path, const std::string &content);
std::string ReadFile(const std::string &path); // "" when missing
bool FileExists(const std::string &path);
bool DirExists(const std::string &path);

// The folder of the running program, ending in "\".
std::string ProgramDir();

// Runs steps from a thread timer, so that they execute inside whatever
// modal message loop the thread is in. A step returns true when it has
// done its work (the script moves on) or false to be tried again on the
// next tick (waiting for a window, say). Past its time limit the script
// counts as timed out and closes every window of the thread, so that the
// modal call returns and the test can report.
class ModalScript {
public:
  typedef std::function<bool()> Step;
  explicit ModalScript(int timeoutMs = 15000);
  ~ModalScript();
  ModalScript(const ModalScript &) = delete;
  ModalScript &operator=(const ModalScript &) = delete;

  ModalScript &Then(Step step);
  // Waits (by retrying) until a visible top-level window of this thread with
  // this caption exists, then runs `action` on it.
  ModalScript &OnWindow(const std::string &caption, std::function<void(HWND)> action);
  void Start(int intervalMs = 15);
  bool Done() const { return next_ >= steps_.size(); }
  bool TimedOut() const { return timedOut_; }

private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
  void Run();

  std::vector<Step> steps_;
  size_t next_ = 0;
  UINT_PTR timer_ = 0;
  int timeoutMs_;
  bool timedOut_ = false;
  bool running_ = false;
  std::chrono::steady_clock::time_point started_;
};

// A visible top-level window of this thread with the caption, or null.
HWND FindThreadWindow(const std::string &caption);
// The child with this window class and caption (either may be null).
HWND FindChild(HWND parent, const char *className, const char *caption);
std::string WindowText(HWND hwnd);
// The visible, enabled top-level windows of this thread.
std::vector<HWND> ThreadWindows(bool visibleOnly = true);

// Pumps this thread's messages until none are left (released forms are
// destroyed by posted requests).
void PumpMessages();

// What the process holds, for leak checks. Wine has no working
// GetGuiResources or GetProcessHandleCount, so the handle tables are
// probed: a handle value with a zero generation names its table slot.
struct ResourceCounts {
  int Gdi = 0;        // GDI objects
  int User = 0;       // this process's windows, and menus
  int Kernel = 0;     // kernel handles
  size_t Heap = 0;    // bytes in busy blocks of all heaps
};
ResourceCounts CountResources();

// Screenshot of the whole screen into a 24-bit .bmp file.
bool SaveScreenshot(const std::string &bmpPath);

} // namespace testing_support
