// The demo's log: every call the plug-in made into the host, every call the
// host made into the plug-in, and (in the tour) each step's outcome. Texts
// are Shift-JIS inside the program; the file is UTF-8 so that it reads well
// on any machine. Each line also goes to standard output.
#pragma once

#include <string>

namespace demo {

// Starts a new log file at `path` (the file is replaced).
void OpenLog(const std::string &path);
void CloseLog();

// One line, printf-style; the text is in the ANSI code page.
void Log(const char *format, ...) __attribute__((format(printf, 1, 2)));

// Shift-JIS (ANSI) text as UTF-8.
std::string ToUtf8(const std::string &ansi);

} // namespace demo
