#include "settings/KeyName.h"

namespace settings {

namespace {
bool Breaks(char c) { return c == '=' || c == '\r' || c == '\n'; }
// Trimmed by the profile functions at either end of a key.
bool Blank(char c) { return c == ' ' || c == '\t'; }
} // namespace

std::string MailBoxKey(std::string_view mailbox) {
  bool escape = !mailbox.empty() && (mailbox.front() == '[' || Blank(mailbox.front()) || Blank(mailbox.back()));
  for (char c : mailbox)
    escape = escape || Breaks(c);
  if (!escape)
    return std::string(mailbox);
  static const char hex[] = "0123456789ABCDEF";
  std::string key;
  for (size_t i = 0; i < mailbox.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(mailbox[i]);
    const bool edgeBlank = Blank(static_cast<char>(c)) && (i == 0 || i + 1 == mailbox.size());
    if (Breaks(static_cast<char>(c)) || c == '%' || edgeBlank || (i == 0 && c == '[')) {
      key += '%';
      key += hex[c >> 4];
      key += hex[c & 15];
    } else {
      key += static_cast<char>(c);
    }
  }
  return key;
}

} // namespace settings
