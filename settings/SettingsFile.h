// The settings file beside the library: typed reads and writes through the
// platform's private-profile functions, one platform call per value.
//
// A SettingsFile holds the file's path and nothing else. It keeps no handle
// and no copy of the content, so opening and closing one touches nothing on
// disk, and every read sees the file as it is at that moment.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace settings {

// A write the platform refused. what() is the message shown to the user,
// "<path> に書き込めません" in Shift-JIS.
class SettingsWriteError : public std::runtime_error {
public:
  explicit SettingsWriteError(const std::string &path);
  const std::string &Path() const { return path_; }

private:
  std::string path_;
};

class SettingsFile {
public:
  explicit SettingsFile(std::string path) : path_(std::move(path)) {}

  const std::string &Path() const { return path_; }

  // The value text, cut to its first 2047 bytes, or `fallback` when the
  // file, section or key is absent. An empty value reads as "".
  std::string ReadString(const std::string &section, const std::string &key,
                         const std::string &fallback) const;
  int32_t ReadInteger(const std::string &section, const std::string &key, int32_t fallback) const;
  bool ReadBool(const std::string &section, const std::string &key, bool fallback) const;

  // Each throws SettingsWriteError when the platform refuses the write; the
  // values written before stay in the file.
  void WriteString(const std::string &section, const std::string &key, const std::string &value) const;
  void WriteInteger(const std::string &section, const std::string &key, int32_t value) const;
  void WriteBool(const std::string &section, const std::string &key, bool value) const;

private:
  std::string path_;
};

} // namespace settings
