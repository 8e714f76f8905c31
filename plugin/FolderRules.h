// The folder tree's pure rules: captions, icons and the order of the tree.
// No Windows dependency, so that they can be built natively and fuzzed.
#pragma once

#include <string>
#include <string_view>

namespace folders {

// Byte order of two paths: ASCII "a".."z" folded to "A".."Z", every other
// byte (second bytes of double-byte characters too) compared by its value;
// a string that is the beginning of the other sorts first.
int CompareFolderPaths(std::string_view a, std::string_view b);

// A mailbox's caption: its display name without the first byte and the
// last two; empty for names of 3 bytes or less.
std::string MailBoxCaption(std::string_view displayName);

// Which bytes of the ANSI code page begin a double-byte character; null
// for a single-byte code page.
typedef const bool *LeadByteTable;

// A folder's caption: what follows the last "/" or "]" of the display name
// (a "]" that is the second byte of a double-byte character does not count),
// less one leading blank.
std::string FolderCaption(std::string_view displayName, LeadByteTable leadBytes);

// Image index for a folder directory's name: 2..7 for the six special
// folders (exact, case-sensitive), 1 for every other folder. Mailboxes use 0.
int FolderImageIndex(std::string_view directoryName);

// Directory names never shown as folders.
bool IsExcludedFolderName(std::string_view directoryName);

} // namespace folders
