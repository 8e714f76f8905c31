// The demo host's mail store: a data folder laid out the way the host lays
// out its own (mailbox directories "*.mb", folder directories inside them,
// one small text file per message), the host's names for its folders, and
// moving and copying message files between folders.
#pragma once

#include <string>
#include <vector>

namespace demo {

// A mailbox or folder as the host's own folder tree shows it.
struct FolderInfo {
  std::string ID;   // the folder identifier: "Private.mb\!!!!Inbox\家族\"
  std::string Name; // what the host calls it: "受信箱", "家族", "プライベート"
  std::vector<FolderInfo> Children;
};

struct MessageInfo {
  std::string File; // file name inside the folder's directory
  std::string Subject, From, Date;
};

class MailStore {
public:
  // `dataFolder` is an absolute path ending in "\".
  explicit MailStore(std::string dataFolder);

  const std::string &DataFolder() const { return dataFolder_; }

  // Creates the sample mailboxes, folders and messages in `dataFolder`. An
  // existing sample (it carries a marker file) is kept, or replaced when
  // `replace` is set; a folder that holds anything else is left alone and
  // the call fails with the reason in `error`.
  static bool MakeSample(const std::string &dataFolder, bool replace, std::string &error);

  // The mailboxes with their folders, sorted, without the directories the
  // host keeps to itself (hidden or system ones, "#Attach", "#Tml").
  std::vector<FolderInfo> MailBoxes() const;

  // The host's display name for a folder identifier: "[" + mailbox name +
  // "] " for a mailbox, the same followed by the folder names from the
  // mailbox down, separated by "/", for a folder.
  std::string DisplayName(const std::string &folderID) const;
  // The mailbox's name: its "Mailbox.ini" [MailBox] Name, or the directory
  // name without ".mb".
  std::string MailBoxName(const std::string &mailboxDir) const;

  // Whether the identifier names a mailbox or folder of this store that the
  // host shows (exists, relative, no "." or ".." steps, nothing hidden).
  bool IsFolder(const std::string &folderID) const;

  std::vector<MessageInfo> Messages(const std::string &folderID) const;
  std::string MessageText(const std::string &folderID, const std::string &file) const;

  // Moves (or copies) the named message files of one folder into another;
  // a name already taken there gets a number appended. Returns how many
  // files were moved or copied.
  int Transfer(const std::string &fromID, const std::vector<std::string> &files, const std::string &toID,
               bool copy) const;

private:
  std::string dataFolder_;
};

// The steps of a folder identifier: "a.mb\b\c\" -> {"a.mb", "b", "c"}.
// Shift-JIS aware: a 0x5C second byte ("表", "ソ") is not a separator.
std::vector<std::string> SplitFolderID(const std::string &folderID);

// The host's name for a folder directory: the six special folders have
// names of their own, every other folder is called by its directory name.
std::string FolderName(const std::string &dirName);

// Removes a directory with everything in it (hidden entries included).
void RemoveTree(const std::string &dir);
std::string ReadWholeFile(const std::string &path);
bool WriteWholeFile(const std::string &path, const std::string &content);
bool IsDirectory(const std::string &path);
bool IsFile(const std::string &path);

} // namespace demo
