#include "demo/Log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace demo {

namespace {
HANDLE logFile = INVALID_HANDLE_VALUE;
DWORD startTick = GetTickCount();
} // namespace

std::string ToUtf8(const std::string &ansi) {
  if (ansi.empty())
    return ansi;
  const int wide = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::vector<wchar_t> w(wide > 0 ? wide : 1);
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), w.data(), wide);
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &out[0], n, nullptr, nullptr);
  return out;
}

void OpenLog(const std::string &path) {
  CloseLog();
  logFile = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
  startTick = GetTickCount();
}

void CloseLog() {
  if (logFile != INVALID_HANDLE_VALUE)
    CloseHandle(logFile);
  logFile = INVALID_HANDLE_VALUE;
}

void Log(const char *format, ...) {
  char text[2048];
  va_list args;
  va_start(args, format);
  vsnprintf(text, sizeof text, format, args);
  va_end(args);
  char stamp[32];
  const DWORD ms = GetTickCount() - startTick;
  snprintf(stamp, sizeof stamp, "%4lu.%03lu  ", static_cast<unsigned long>(ms / 1000),
           static_cast<unsigned long>(ms % 1000));
  const std::string line = stamp + ToUtf8(text) + "\n";
  if (logFile != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(logFile, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  fwrite(line.data(), 1, line.size(), stdout);
  fflush(stdout);
}

} // namespace demo
