// Fuzz target for the caption rules of the folder tree.
//
// folders::FolderCaption is compared with a reference that reads the display
// name forwards, character by character (a lead byte and the byte after it
// form one character), and takes what follows the last character that is a
// "/" or "]". For lead-byte tables in which neither delimiter is a lead byte
// (every real double-byte code page) this is the same rule as the backwards
// scan by the parity of the lead-byte run. The target runs the rule with
// Shift-JIS's lead bytes, with none (a single-byte code page), and with a
// table made from the input; it also checks the shape of every caption:
// a suffix of the display name, starting right after a delimiter or at the
// start, with at most one leading blank removed. folders::MailBoxCaption is
// checked against its byte counts.
#include "plugin/FolderRules.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void Fail(const char *what, std::string_view text, const char *table) {
  std::fprintf(stderr, "FolderCaption: %s (%s lead bytes) for [", what, table);
  for (unsigned char c : text)
    std::fprintf(stderr, c >= 0x20 && c < 0x7F && c != '\\' ? "%c" : "\\x%02X", c);
  std::fprintf(stderr, "]\n");
  std::abort();
}

bool IsDelimiter(unsigned char c) { return c == '/' || c == ']'; }

struct Tables {
  bool sjis[256] = {};
  Tables() {
    for (int b = 0x81; b <= 0x9F; ++b)
      sjis[b] = true;
    for (int b = 0xE0; b <= 0xFC; ++b)
      sjis[b] = true;
  }
};
const Tables tables;

std::string ReferenceCaption(std::string_view name, const bool *lead) {
  size_t start = 0;
  for (size_t i = 0; i < name.size();) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (lead && lead[c] && i + 1 < name.size()) {
      i += 2; // one double-byte character: neither byte is a delimiter
      continue;
    }
    if (IsDelimiter(c))
      start = i + 1;
    ++i;
  }
  std::string caption(name.substr(start));
  if (!caption.empty() && caption[0] == ' ')
    caption.erase(0, 1);
  return caption;
}

void CheckFolderCaption(std::string_view name, const bool *lead, const char *tableName) {
  const std::string caption = folders::FolderCaption(name, lead);
  if (caption.size() > name.size() || name.substr(name.size() - caption.size()) != caption)
    Fail("caption is not a suffix of the display name", name, tableName);
  // Where the caption starts: at the start, after a delimiter, or after
  // exactly one blank that itself starts the name or follows a delimiter.
  const size_t k = name.size() - caption.size();
  const auto delimiterAt = [&](size_t i) { return IsDelimiter(static_cast<unsigned char>(name[i])); };
  bool shapeOk = k == 0 || delimiterAt(k - 1);
  if (!shapeOk && name[k - 1] == ' ')
    shapeOk = k == 1 || delimiterAt(k - 2);
  if (!shapeOk)
    Fail("caption does not start after a delimiter or one blank", name, tableName);
  // A blank right after the delimiter is removed, and only that one: a
  // caption that starts right after the delimiter does not start with one.
  if ((k == 0 || delimiterAt(k - 1)) && !caption.empty() && caption[0] == ' ')
    Fail("leading blank not removed", name, tableName);
  if (!lead && (caption.find('/') != std::string::npos || caption.find(']') != std::string::npos))
    Fail("single-byte caption keeps a delimiter", name, tableName);
  if (caption != ReferenceCaption(name, lead))
    Fail("caption differs from the forward reading", name, tableName);
}

void CheckMailBoxCaption(std::string_view name) {
  const std::string caption = folders::MailBoxCaption(name);
  if (name.size() <= 3) {
    if (!caption.empty())
      Fail("short mailbox name gives a caption", name, "no");
    return;
  }
  if (caption.size() != name.size() - 3 || name.substr(1, name.size() - 3) != caption)
    Fail("mailbox caption is not bytes 2 to n-2", name, "no");
}

void CheckNameRules(std::string_view name) {
  const int image = folders::FolderImageIndex(name);
  static const char *const special[6] = {"!!!!Inbox", "!!!!Outbox", "!!!Draft", "!!!Sent", "!!!XReminder",
                                         "!Trash"};
  int expected = 1;
  for (int i = 0; i < 6; ++i)
    if (name == special[i])
      expected = i + 2;
  if (image != expected)
    Fail("wrong image index", name, "no");
  const bool excluded = name == "." || name == ".." || name == "#Tml" || name == "#Attach";
  if (folders::IsExcludedFolderName(name) != excluded)
    Fail("wrong exclusion", name, "no");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::string_view name(reinterpret_cast<const char *>(data), size);
  CheckFolderCaption(name, tables.sjis, "Shift-JIS");
  CheckFolderCaption(name, nullptr, "no");
  CheckMailBoxCaption(name);
  CheckNameRules(name);

  // A lead-byte table from the input's first 32 bytes (one bit per byte
  // value), applied to the rest; the delimiters are never lead bytes, as in
  // every double-byte code page.
  if (size > 32) {
    bool lead[256];
    for (int b = 0; b < 256; ++b)
      lead[b] = (data[b / 8] >> (b % 8)) & 1;
    lead['/'] = lead[']'] = false;
    CheckFolderCaption(name.substr(32), lead, "input's");
  }
  return 0;
}
