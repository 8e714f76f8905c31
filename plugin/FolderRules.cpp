#include "plugin/FolderRules.h"

#include <algorithm>

namespace folders {

int CompareFolderPaths(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned ca = static_cast<unsigned char>(a[i]);
    unsigned cb = static_cast<unsigned char>(b[i]);
    if (ca >= 0x61 && ca <= 0x7A)
      ca -= 0x20;
    if (cb >= 0x61 && cb <= 0x7A)
      cb -= 0x20;
    if (ca != cb)
      return static_cast<int>(ca) - static_cast<int>(cb);
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

std::string MailBoxCaption(std::string_view displayName) {
  if (displayName.size() <= 3)
    return std::string();
  return std::string(displayName.substr(1, displayName.size() - 3));
}

std::string FolderCaption(std::string_view name, LeadByteTable leadBytes) {
  // Scan from the end for the last delimiter. A delimiter byte is the
  // second byte of a double-byte character exactly when the run of lead
  // bytes right before it has odd length.
  size_t start = 0;
  for (size_t i = name.size(); i-- > 0;) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c != '/' && c != ']')
      continue;
    if (leadBytes) {
      size_t run = 0;
      while (run < i && leadBytes[static_cast<unsigned char>(name[i - 1 - run])])
        ++run;
      if (run % 2 == 1) {
        --i; // pass over the character's first byte as well
        continue;
      }
    }
    start = i + 1;
    break;
  }
  std::string caption(name.substr(start));
  if (!caption.empty() && caption[0] == ' ')
    caption.erase(0, 1);
  return caption;
}

int FolderImageIndex(std::string_view name) {
  static const std::string_view special[6] = {"!!!!Inbox", "!!!!Outbox", "!!!Draft",
                                              "!!!Sent",   "!!!XReminder", "!Trash"};
  for (int i = 0; i < 6; ++i)
    if (name == special[i])
      return i + 2;
  return 1;
}

bool IsExcludedFolderName(std::string_view name) {
  return name == "." || name == ".." || name == "#Tml" || name == "#Attach";
}

} // namespace folders
