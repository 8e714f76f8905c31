#include "tests/support/TestSupport.h"

#include <map>
#include <stdexcept>

namespace testing_support {

namespace {
std::map<UINT_PTR, ModalScript *> &Scripts() {
  static std::map<UINT_PTR, ModalScript *> scripts;
  return scripts;
}
} // namespace

TempDir::TempDir(const std::string &tag) {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  static int counter = 0;
  for (;;) {
    path_ = std::string(base) + "parcelon-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter) + "\\";
    if (CreateDirectoryA(path_.c_str(), nullptr))
      break;
    if (GetLastError() != ERROR_ALREADY_EXISTS)
      throw std::runtime_error("cannot create " + path_);
  }
}

TempDir::~TempDir() { RemoveTree(path_); }

namespace {
// Walks a path by characters of the ANSI code page, so that a "\" (0x5C)
// that is the second byte of a Shift-JIS character (as in "ソ") is not taken
// for a separator. Calls `separator(i)` for each real one.
template <class F> void ForEachSeparator(const std::string &path, F separator) {
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size())
      ++i;
    else if (path[i] == '\\')
      separator(i);
  }
}

bool EndsWithSeparator(const std::string &path) {
  bool ends = false;
  ForEachSeparator(path, [&](size_t i) { ends = i + 1 == path.size(); });
  return ends;
}
} // namespace

void RemoveTree(const std::string &path) {
  std::string dir = path;
  if (!dir.empty() && !EndsWithSeparator(dir))
    dir += '\\';
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..")
        continue;
      std::string full = dir + name;
      SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL | (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY));
      if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        RemoveTree(full);
      else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveDirectoryA(full.c_str());
      else
        DeleteFileA(full.c_str());
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

void MakeDirs(const std::string &path) {
  ForEachSeparator(path, [&](size_t i) {
    if (i > 2) // not the root of a drive
      CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  });
  CreateDirectoryA(path.c_str(), nullptr);
}

void WriteFile(const std::string &path, const std::string &content) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    throw std::runtime_error("cannot write " + path);
  DWORD written = 0;
  ::WriteFile(h, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(h);
}

std::string ReadFile(const std::string &path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return std::string();
  std::string out;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0)
    out.append(buffer, got);
  CloseHandle(h);
  return out;
}

bool FileExists(const std::string &path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirExists(const std::string &path) {
  DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ProgramDir() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s = path;
  return s.substr(0, s.rfind('\\') + 1);
}

// --- ModalScript ----------------------------------------------------------------

ModalScript::ModalScript(int timeoutMs) : timeoutMs_(timeoutMs) {}

ModalScript::~ModalScript() {
  if (timer_) {
    KillTimer(nullptr, timer_);
    Scripts().erase(timer_);
  }
}

ModalScript &ModalScript::Then(Step step) {
  steps_.push_back(std::move(step));
  return *this;
}

ModalScript &ModalScript::OnWindow(const std::string &caption, std::function<void(HWND)> action) {
  return Then([caption, action] {
    HWND h = FindThreadWindow(caption);
    if (!h)
      return false;
    action(h);
    return true;
  });
}

void ModalScript::Start(int intervalMs) {
  started_ = std::chrono::steady_clock::now();
  timer_ = SetTimer(nullptr, 0, intervalMs, &ModalScript::Tick);
  Scripts()[timer_] = this;
}

void CALLBACK ModalScript::Tick(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = Scripts().find(id);
  if (it != Scripts().end())
    it->second->Run();
}

void ModalScript::Run() {
  if (running_) // a step that runs a nested loop sees the timer again
    return;
  running_ = true;
  // Past the time limit, whatever is still open is closed, finished steps
  // or not, so that a dialog left open cannot hang the test.
  if (std::chrono::steady_clock::now() - started_ > std::chrono::milliseconds(timeoutMs_)) {
    timedOut_ = true;
    next_ = steps_.size();
    for (HWND h : ThreadWindows())
      PostMessageA(h, WM_CLOSE, 0, 0);
  }
  // One step per tick, so that what a step posted is processed before the
  // next one looks.
  if (!Done()) {
    try {
      if (steps_[next_]())
        ++next_;
    } catch (...) {
      timedOut_ = true;
      next_ = steps_.size();
    }
  }
  running_ = false;
}

// --- Windows -------------------------------------------------------------------------

namespace {
struct Collect {
  bool visibleOnly;
  std::vector<HWND> found;
};
BOOL CALLBACK CollectProc(HWND hwnd, LPARAM p) {
  Collect *c = reinterpret_cast<Collect *>(p);
  if (!c->visibleOnly || IsWindowVisible(hwnd))
    c->found.push_back(hwnd);
  return TRUE;
}
} // namespace

std::vector<HWND> ThreadWindows(bool visibleOnly) {
  Collect c = {visibleOnly, {}};
  EnumThreadWindows(GetCurrentThreadId(), &CollectProc, reinterpret_cast<LPARAM>(&c));
  return c.found;
}

std::string WindowText(HWND hwnd) {
  char text[4096] = "";
  GetWindowTextA(hwnd, text, sizeof text);
  return text;
}

HWND FindThreadWindow(const std::string &caption) {
  for (HWND h : ThreadWindows())
    if (WindowText(h) == caption)
      return h;
  return nullptr;
}

HWND FindChild(HWND parent, const char *className, const char *caption) {
  return FindWindowExA(parent, nullptr, className, caption);
}

void PumpMessages() {
  MSG msg;
  for (int round = 0; round < 3; ++round) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(1);
  }
}

ResourceCounts CountResources() {
  ResourceCounts c;
  for (UINT_PTR i = 1; i < 0x10000; ++i)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(i)))
      ++c.Gdi;
  // The USER table is the session's: windows are counted by walking this
  // process's own, menus by probing the table.
  struct Windows {
    DWORD self;
    int count;
    static BOOL CALLBACK Child(HWND, LPARAM p) {
      ++reinterpret_cast<Windows *>(p)->count;
      return TRUE;
    }
    static BOOL CALLBACK Top(HWND hwnd, LPARAM p) {
      Windows *w = reinterpret_cast<Windows *>(p);
      DWORD owner = 0;
      GetWindowThreadProcessId(hwnd, &owner);
      if (owner == w->self) {
        ++w->count;
        EnumChildWindows(hwnd, &Child, p);
      }
      return TRUE;
    }
  } windows = {GetCurrentProcessId(), 0};
  EnumWindows(&Windows::Top, reinterpret_cast<LPARAM>(&windows));
  c.User = windows.count;
  for (UINT_PTR i = 0; i < 0x8000; ++i)
    if (IsMenu(reinterpret_cast<HMENU>(0x20 + 2 * i)))
      ++c.User;
  for (UINT_PTR i = 1; i < 0x4000; ++i) {
    DWORD flags;
    if (GetHandleInformation(reinterpret_cast<HANDLE>(i * 4), &flags))
      ++c.Kernel;
  }
  HANDLE heaps[64];
  const DWORD n = GetProcessHeaps(64, heaps);
  for (DWORD k = 0; k < n && k < 64; ++k) {
    PROCESS_HEAP_ENTRY e = {};
    HeapLock(heaps[k]);
    while (HeapWalk(heaps[k], &e))
      if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY)
        c.Heap += e.cbData;
    HeapUnlock(heaps[k]);
  }
  return c;
}

bool SaveScreenshot(const std::string &bmpPath) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void *bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  GdiFlush();
  const int stride = ((w * 3) + 3) & ~3;
  BITMAPFILEHEADER fh = {};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + stride * h;
  std::string data(reinterpret_cast<char *>(&fh), sizeof fh);
  data.append(reinterpret_cast<char *>(&bi.bmiHeader), sizeof bi.bmiHeader);
  data.append(static_cast<char *>(bits), stride * h);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  try {
    WriteFile(bmpPath, data);
  } catch (...) {
    return false;
  }
  return true;
}

} // namespace testing_support
