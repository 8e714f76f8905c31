#include "settings/SettingsFile.h"

#include "settings/IntegerRule.h"

#include <windows.h>

namespace settings {

SettingsWriteError::SettingsWriteError(const std::string &path)
    : std::runtime_error(path + " に書き込めません"), path_(path) {}

std::string SettingsFile::ReadString(const std::string &section, const std::string &key,
                                     const std::string &fallback) const {
  char buffer[2048];
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer,
                                     sizeof buffer, path_.c_str());
  if (n >= sizeof buffer) // never, by the platform's contract; stay in bounds
    n = sizeof buffer - 1;
  return std::string(buffer, n);
}

int32_t SettingsFile::ReadInteger(const std::string &section, const std::string &key,
                                  int32_t fallback) const {
  return settings::ReadInteger(ReadString(section, key, ""), fallback);
}

bool SettingsFile::ReadBool(const std::string &section, const std::string &key, bool fallback) const {
  return settings::ReadBoolean(ReadString(section, key, ""), fallback);
}

void SettingsFile::WriteString(const std::string &section, const std::string &key,
                               const std::string &value) const {
  if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path_.c_str()))
    throw SettingsWriteError(path_);
}

void SettingsFile::WriteInteger(const std::string &section, const std::string &key, int32_t value) const {
  WriteString(section, key, IntegerText(value));
}

void SettingsFile::WriteBool(const std::string &section, const std::string &key, bool value) const {
  WriteString(section, key, BooleanText(value));
}

} // namespace settings
