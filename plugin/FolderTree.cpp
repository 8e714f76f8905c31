#include "plugin/FolderTree.h"

#include "plugin/FolderRules.h"
#include "plugin/Parcelon.h"

#include <memory>
#include <windows.h>

namespace {

// An open directory search, closed on every path out of its scope.
class FindHandle {
public:
  FindHandle(const std::string &pattern, WIN32_FIND_DATAA &data) {
    data.dwReserved0 = 0; // the reparse tag; not every platform fills it in
    handle_ = FindFirstFileExA(pattern.c_str(), FindExInfoStandard, &data, FindExSearchLimitToDirectories,
                               nullptr, 0);
  }
  ~FindHandle() {
    if (Valid())
      FindClose(handle_);
  }
  FindHandle(const FindHandle &) = delete;
  FindHandle &operator=(const FindHandle &) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Next(WIN32_FIND_DATAA &data) {
    data.dwReserved0 = 0; // the reparse tag; not every platform fills it in
    return FindNextFileA(handle_, &data) != FALSE;
  }

private:
  HANDLE handle_;
};

// Entries that a search asking for directories passes over. Windows may
// take FindExSearchLimitToDirectories as a hint only, and Wine reports the
// attributes without filtering, so the scan tests them itself.
const DWORD SkippedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 /* volume label */;

bool IsListedDirectory(const WIN32_FIND_DATAA &entry) {
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(entry.dwFileAttributes & SkippedAttributes);
}

// A symbolic link or junction, which the scan does not enter. Other reparse
// points (a cloud-synced folder's placeholder, say) are ordinary folders.
// Wine reports links with no tag at all.
bool IsDirectoryLink(const WIN32_FIND_DATAA &entry) {
  if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return false;
  const DWORD tag = entry.dwReserved0;
  return tag == 0 || tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT;
}

// Lead bytes of the system's ANSI code page, or null on a single-byte one.
folders::LeadByteTable LeadBytes() {
  static bool table[256];
  static bool ready = false;
  static bool doubleByte = false;
  if (!ready) {
    CPINFO info = {};
    if (GetCPInfo(CP_ACP, &info) && info.MaxCharSize > 1) {
      doubleByte = true;
      for (int r = 0; r + 1 < MAX_LEADBYTES && (info.LeadByte[r] || info.LeadByte[r + 1]); r += 2)
        for (int b = info.LeadByte[r]; b <= info.LeadByte[r + 1]; ++b)
          table[b] = true;
    }
    ready = true;
  }
  return doubleByte ? table : nullptr;
}

// The host's display name for a folder; the identifier is the path relative
// to the data folder.
std::string DisplayNameOf(const std::string &path) {
  std::string folderID = path.size() >= DataFolder.size() ? path.substr(DataFolder.size()) : std::string();
  const char *name = HostAPI->LVA_GetFolderDisplayName(folderID.c_str());
  return name ? std::string(name) : std::string();
}

TTreeNode *AddNode(TTreeNode *parent, const std::string &path, bool mailbox, const char *directoryName) {
  std::unique_ptr<TFolderData> record(new TFolderData);
  record->Path = path;
  record->DisplayName = DisplayNameOf(path);
  const std::string caption = mailbox ? folders::MailBoxCaption(record->DisplayName)
                                      : folders::FolderCaption(record->DisplayName, LeadBytes());
  const int image = mailbox ? 0 : folders::FolderImageIndex(directoryName);
  TTreeNode *node = FormSelect->TreeView1->Add(parent, caption, image, image, record.get());
  record.release(); // the node carries it now; ClearFolderTree frees it
  return node;
}

} // namespace

void AddMailBoxes(const std::string &folder) {
  WIN32_FIND_DATAA entry;
  FindHandle search(folder + "*.mb", entry);
  if (!search.Valid())
    return;
  do {
    if (!IsListedDirectory(entry))
      continue;
    const std::string path = folder + entry.cFileName + "\\";
    TTreeNode *node = AddNode(nullptr, path, true, entry.cFileName);
    // A mailbox may be a link (kept on another disk, say); it is entered,
    // which cannot loop since links below it are not.
    AddSubFolders(node, path);
    FormSelect->TreeView1->SortChildren(node);
  } while (search.Next(entry));
}

void AddSubFolders(TTreeNode *parent, const std::string &parentPath) {
  WIN32_FIND_DATAA entry;
  FindHandle search(parentPath + "*.*", entry);
  if (!search.Valid())
    return;
  do {
    if (!IsListedDirectory(entry) || folders::IsExcludedFolderName(entry.cFileName))
      continue;
    const std::string path = parentPath + entry.cFileName + "\\";
    TTreeNode *node = AddNode(parent, path, false, entry.cFileName);
    if (!IsDirectoryLink(entry))
      AddSubFolders(node, path);
    FormSelect->TreeView1->SortChildren(node);
  } while (search.Next(entry));
}

void SortFolderTree() {
  forms::TreeView &tree = *FormSelect->TreeView1;
  if (tree.Count() == 0)
    return;
  tree.SortChildren(nullptr);
  for (int i = 0, n = tree.Count(); i < n; ++i) {
    TTreeNode *node = tree.Item(i);
    if (!node->Children.empty())
      tree.SortChildren(node);
  }
}

TTreeNode *FindFolderNode(const std::string &path) {
  forms::TreeView &tree = *FormSelect->TreeView1;
  for (int i = 0, n = tree.Count(); i < n; ++i) {
    TTreeNode *node = tree.Item(i);
    if (TFormSelect::Record(node)->Path == path)
      return node;
  }
  return nullptr;
}

void ClearFolderTree() {
  forms::TreeView &tree = *FormSelect->TreeView1;
  tree.SetRedraw(false);
  for (int i = 0, n = tree.Count(); i < n; ++i) {
    TTreeNode *node = tree.Item(i);
    delete TFormSelect::Record(node);
    node->Data = nullptr;
  }
  tree.Clear();
  tree.SetRedraw(true);
}
