// The folder tree builder on data folders made on disk by the tests: what
// becomes a node, with which caption, icon and path, in which order; finding
// a node by path; freeing the tree.
#include "plugin/FolderTree.h"

#include "plugin/FolderRules.h"
#include "plugin/Parcelon.h"
#include "tests/host/FakeHost.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <new>
#include <string>
#include <vector>

using testing_support::TempDir;

namespace {

#define SO "\x83\x5c" // "ソ": second byte is "\"
#define ZO "\x83\x5d" // "ゾ": second byte is "]"

// Keeps the texts a display-name function hands out alive for a while, as
// the host does.
const char *Kept(const std::string &text) {
  static std::deque<std::string> kept;
  kept.push_back(text);
  if (kept.size() > 64)
    kept.pop_front();
  return kept.back().c_str();
}

// The host's display names, read the way the host reads a folder
// identifier: by characters, so that a second byte 0x5C is no separator.
// "box.mb\a\b\" -> "[box]/a/b".
const char *CharacterwiseDisplayName(const std::string &folderID) {
  std::vector<std::string> names(1);
  for (size_t i = 0; i < folderID.size(); ++i) {
    const char c = folderID[i];
    if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < folderID.size()) {
      names.back() += c;
      names.back() += folderID[++i];
    } else if (c == '\\') {
      names.emplace_back();
    } else {
      names.back() += c;
    }
  }
  if (names.back().empty())
    names.pop_back();
  std::string box = names.empty() ? std::string() : names[0];
  if (box.size() > 3 && box.compare(box.size() - 3, 3, ".mb") == 0)
    box.resize(box.size() - 3);
  std::string out = "[" + box + "]";
  for (size_t i = 1; i < names.size(); ++i)
    out += "/" + names[i];
  return Kept(out);
}

// Programs of the Unix side, run from the test under Wine (Wine starts a
// Unix binary handed to CreateProcess). Used for what Wine's own API cannot
// make: symbolic links.
class UnixSide {
public:
  // The Unix path of a Windows path, or "" when not running under Wine.
  static std::string PathOf(const std::string &windowsPath) {
    typedef char *(CDECL * UnixName)(LPCWSTR);
    UnixName unixName =
        reinterpret_cast<UnixName>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
    if (!unixName)
      return std::string();
    wchar_t wide[MAX_PATH * 2];
    if (!MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH * 2))
      return std::string();
    char *name = unixName(wide);
    if (!name)
      return std::string();
    std::string out = name;
    HeapFree(GetProcessHeap(), 0, name);
    return out;
  }

  // Runs a shell command line on the Unix side and waits until it has
  // finished. The handle Wine returns for a Unix process cannot be waited
  // on, so the command leaves a marker file behind, and that is waited for.
  static bool Run(const std::string &command, const std::string &markerDir) {
    static int counter = 0;
    const std::string marker = markerDir + "unix-done-" + std::to_string(++counter);
    const std::string unixMarkerDir = PathOf(markerDir);
    if (unixMarkerDir.empty())
      return false;
    std::string commandLine = "/bin/sh -c \"" + command + "; touch '" + unixMarkerDir +
                              (unixMarkerDir.back() == '/' ? "" : "/") + "unix-done-" + std::to_string(counter) +
                              "'\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA("Z:\\bin\\sh", &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
      return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int waited = 0; waited < 10000; waited += 10) {
      if (testing_support::FileExists(marker)) {
        DeleteFileA(marker.c_str());
        return true;
      }
      Sleep(10);
    }
    return false;
  }
};

// Symbolic links made for one test, removed again before the folder that
// holds them (the Windows side can neither make nor remove them).
class SymbolicLinks {
public:
  // `markerDir`: a Windows folder (with "\\") for UnixSide::Run's markers,
  // outliving this object.
  explicit SymbolicLinks(const std::string &markerDir) : markerDir_(markerDir) {}
  SymbolicLinks(const SymbolicLinks &) = delete;
  SymbolicLinks &operator=(const SymbolicLinks &) = delete;
  ~SymbolicLinks() {
    std::string command = "rm -f";
    for (const std::string &link : links_)
      command += " '" + link + "'";
    if (!links_.empty())
      UnixSide::Run(command, markerDir_);
  }
  // `link` and `target` are Windows paths without a closing "\\"; an empty
  // target makes a broken link.
  bool Make(const std::string &target, const std::string &link) {
    const size_t cut = link.rfind('\\');
    std::string unixDir = UnixSide::PathOf(link.substr(0, cut));
    if (unixDir.empty())
      return false;
    if (unixDir.back() != '/')
      unixDir += '/';
    const std::string unixLink = unixDir + link.substr(cut + 1);
    const std::string to = target.empty() ? unixDir + "no-such-directory" : UnixSide::PathOf(target);
    if (to.empty() || !UnixSide::Run("ln -s '" + to + "' '" + unixLink + "'", markerDir_))
      return false;
    links_.push_back(unixLink);
    return true;
  }

private:
  std::string markerDir_;
  std::vector<std::string> links_;
};

// One dialog object with its tree, the host table bound from this program
// and a fresh data folder, as the command sets them up.
class FolderTreeTest : public ::testing::Test {
protected:
  void SetUp() override {
    fakehost::Reset();
    recordsBefore_ = TFolderData::Alive;
    HostAPI = new TLumivoxAPI;
    ASSERT_TRUE(HostAPI->InitAPI());
    DataFolder = data_.Path();
    FormSelect = new TFormSelect;
  }

  void TearDown() override {
    if (FormSelect)
      ClearFolderTree();
    delete FormSelect;
    FormSelect = nullptr;
    delete HostAPI;
    HostAPI = nullptr;
    DataFolder.clear();
    EXPECT_EQ(recordsBefore_, TFolderData::Alive) << "tree records leaked or freed twice";
    fakehost::Reset();
  }

  forms::TreeView &Tree() { return *FormSelect->TreeView1; }

  // Directories and files relative to the data folder.
  void Dirs(std::initializer_list<const char *> relative) {
    for (const char *r : relative)
      testing_support::MakeDirs(DataFolder + r);
  }
  void Files(std::initializer_list<const char *> relative) {
    for (const char *r : relative)
      testing_support::WriteFile(DataFolder + r, "x");
  }
  void SetAttributes(const char *relative, DWORD attributes) {
    ASSERT_TRUE(SetFileAttributesA((DataFolder + relative).c_str(), attributes)) << relative;
    ASSERT_TRUE(GetFileAttributesA((DataFolder + relative).c_str()) & attributes) << relative;
  }

  void Build() {
    AddMailBoxes(DataFolder);
    SortFolderTree();
  }

  // The tree as the control shows it, one line per node in flat order:
  // indentation by depth, the caption in quotes, the image index (with the
  // selected-image index after a "/" when they differ) and the path
  // relative to the data folder. Checks on the way that the node list walks
  // in the same order as the control.
  std::string Dump() {
    const HWND tree = Tree().Handle();
    std::vector<TTreeNode *> shown;
    std::string out;
    std::function<void(HTREEITEM, int)> walk = [&](HTREEITEM item, int depth) {
      for (; item; item = TreeView_GetNextSibling(tree, item)) {
        char text[1024] = "";
        TVITEMA it = {};
        it.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        it.hItem = item;
        it.pszText = text;
        it.cchTextMax = sizeof text;
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
        TTreeNode *node = reinterpret_cast<TTreeNode *>(it.lParam);
        shown.push_back(node);
        std::string image = std::to_string(it.iImage);
        if (it.iSelectedImage != it.iImage)
          image += "/" + std::to_string(it.iSelectedImage);
        const TFolderData *record = node ? TFormSelect::Record(node) : nullptr;
        std::string path = record ? record->Path : "(no record)";
        if (record && path.compare(0, DataFolder.size(), DataFolder) == 0)
          path.erase(0, DataFolder.size());
        out += std::string(2 * depth, ' ') + "\"" + it.pszText + "\" " + image + " " + path + "\n";
        if (node && node->Item != item)
          ADD_FAILURE() << "node of " << path << " names another item";
        walk(TreeView_GetChild(tree, item), depth + 1);
      }
    };
    walk(TreeView_GetRoot(tree), 0);
    EXPECT_EQ(static_cast<size_t>(Tree().Count()), shown.size()) << "node list and control differ in size";
    EXPECT_EQ(shown.size(), static_cast<size_t>(SendMessageA(tree, TVM_GETCOUNT, 0, 0)));
    for (size_t i = 0; i < shown.size() && i < static_cast<size_t>(Tree().Count()); ++i)
      if (Tree().Item(static_cast<int>(i)) != shown[i]) {
        ADD_FAILURE() << "flat index " << i << " is not the control's node there";
        break;
      }
    return out;
  }

  // The identifiers the host was asked to name, in order.
  std::vector<std::string> AskedIDs() const {
    std::vector<std::string> ids;
    for (const fakehost::Call &c : fakehost::Host().CallsOf("LVA_GetFolderDisplayName"))
      ids.push_back(c.Text);
    return ids;
  }

  TempDir data_{"tree"};
  int recordsBefore_ = 0;
};

// Every sibling list of the tree is in the comparison's order.
void ExpectChildrenSorted(const TTreeNode *node, const std::string &where) {
  for (size_t i = 1; i < node->Children.size(); ++i)
    EXPECT_LT(TFormSelect::TreeView1Compare(node->Children[i - 1], node->Children[i], nullptr), 0)
        << where << ": " << TFormSelect::Record(node->Children[i - 1])->Path << " before "
        << TFormSelect::Record(node->Children[i])->Path;
  for (const TTreeNode *child : node->Children)
    ExpectChildrenSorted(child, where);
}

// --- What becomes a node, and how it looks ----------------------------------------

TEST_F(FolderTreeTest, ScansMailboxesAndFoldersIntoOneSortedTree) {
  Dirs({// the six special folders, and names the special ones sort against
        "box.mb\\!!!!Inbox", "box.mb\\!!!!Outbox", "box.mb\\!!!Draft", "box.mb\\!!!Sent", "box.mb\\!!!XReminder",
        "box.mb\\!Trash", "box.mb\\!A", "box.mb\\ lead", "box.mb\\  two",
        // the pairs whose order the closing "\\" or the folding decides
        "box.mb\\abc", "box.mb\\abc def", "box.mb\\abcd", "box.mb\\abc_x", "box.mb\\alpha", "box.mb\\Zeta",
        "box.mb\\_u", "box.mb\\nameless",
        // one level down: a special name, exclusions, an order to sort
        "box.mb\\Work\\!Trash", "box.mb\\Work\\#Tml\\inner", "box.mb\\Work\\#Attach\\inner",
        "box.mb\\Work\\deep\\#Attach", "box.mb\\Work\\abc", "box.mb\\Work\\abc def",
        // left out: excluded names, hidden and system directories
        "box.mb\\#Tml\\inner", "box.mb\\#Attach\\inner", "box.mb\\hidden\\under", "box.mb\\system\\under",
        "hid.mb\\sub", "sys.mb\\sub", "notmb\\sub",
        // other letter case: ordinary folders
        "other.mb\\!!!!inbox", "other.mb\\#tml\\inner",
        // mailboxes in an order the search need not give
        "Main.mb", "Main2.mb", "Zeta.mb", "_x.mb", "a.mb", "box.mbox.mb"});
  Files({"x.mb", "readme.txt", "box.mb\\x.mb", "box.mb\\file.txt", "box.mb\\Work\\notes.txt",
         "box.mb\\Work\\deep\\mail.dat"});
  SetAttributes("box.mb\\hidden", FILE_ATTRIBUTE_HIDDEN);
  SetAttributes("box.mb\\system", FILE_ATTRIBUTE_SYSTEM);
  SetAttributes("hid.mb", FILE_ATTRIBUTE_HIDDEN);
  SetAttributes("sys.mb", FILE_ATTRIBUTE_SYSTEM);
  fakehost::Host().DisplayName = [](const std::string &id) -> const char * {
    return id == "box.mb\\nameless\\" ? nullptr : fakehost::DefaultDisplayName(id);
  };

  AddMailBoxes(DataFolder);
  // Below the top level every sibling list is sorted as soon as it is
  // complete; the top level keeps the search's order until SortFolderTree.
  for (const TTreeNode *top : Tree().TopLevel())
    ExpectChildrenSorted(top, "after AddMailBoxes");
  SortFolderTree();

  EXPECT_EQ("\"\" 0 a.mb\\\n"
            "\"box.mbo\" 0 box.mbox.mb\\\n"
            "\"bo\" 0 box.mb\\\n"
            "  \" two\" 1 box.mb\\  two\\\n"
            "  \"lead\" 1 box.mb\\ lead\\\n"
            "  \"!!!!Inbox\" 2 box.mb\\!!!!Inbox\\\n"
            "  \"!!!!Outbox\" 3 box.mb\\!!!!Outbox\\\n"
            "  \"!!!Draft\" 4 box.mb\\!!!Draft\\\n"
            "  \"!!!Sent\" 5 box.mb\\!!!Sent\\\n"
            "  \"!!!XReminder\" 6 box.mb\\!!!XReminder\\\n"
            "  \"!A\" 1 box.mb\\!A\\\n"
            "  \"!Trash\" 7 box.mb\\!Trash\\\n"
            "  \"abc def\" 1 box.mb\\abc def\\\n"
            "  \"abcd\" 1 box.mb\\abcd\\\n"
            "  \"abc\" 1 box.mb\\abc\\\n"
            "  \"abc_x\" 1 box.mb\\abc_x\\\n"
            "  \"alpha\" 1 box.mb\\alpha\\\n"
            "  \"\" 1 box.mb\\nameless\\\n"
            "  \"Work\" 1 box.mb\\Work\\\n"
            "    \"!Trash\" 7 box.mb\\Work\\!Trash\\\n"
            "    \"abc def\" 1 box.mb\\Work\\abc def\\\n"
            "    \"abc\" 1 box.mb\\Work\\abc\\\n"
            "    \"deep\" 1 box.mb\\Work\\deep\\\n"
            "  \"Zeta\" 1 box.mb\\Zeta\\\n"
            "  \"_u\" 1 box.mb\\_u\\\n"
            "\"Mai\" 0 Main.mb\\\n"
            "\"Main\" 0 Main2.mb\\\n"
            "\"othe\" 0 other.mb\\\n"
            "  \"!!!!inbox\" 1 other.mb\\!!!!inbox\\\n"
            "  \"#tml\" 1 other.mb\\#tml\\\n"
            "    \"inner\" 1 other.mb\\#tml\\inner\\\n"
            "\"Zet\" 0 Zeta.mb\\\n"
            "\"_\" 0 _x.mb\\\n",
            Dump());

  // The host was asked once per node, with the path relative to the data
  // folder; the records keep its answers.
  std::vector<std::string> asked = AskedIDs(), expected;
  for (int i = 0; i < Tree().Count(); ++i)
    expected.push_back(TFormSelect::Record(Tree().Item(i))->Path.substr(DataFolder.size()));
  std::sort(asked.begin(), asked.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, asked);
  const struct {
    const char *folderID;
    const char *displayName;
  } names[] = {{"box.mb\\Work\\!Trash\\", "[box]/Work/!Trash"}, {"box.mb\\nameless\\", ""}, {"_x.mb\\", "[_x]"}};
  for (const auto &n : names) {
    const TTreeNode *node = FindFolderNode(DataFolder + n.folderID);
    ASSERT_TRUE(node) << n.folderID;
    EXPECT_EQ(n.displayName, TFormSelect::Record(node)->DisplayName) << n.folderID;
  }
}

TEST_F(FolderTreeTest, SortFolderTreeOrdersEveryLevelAndKeepsSubtrees) {
  // A tree added in the wrong order at every level, by hand.
  auto add = [&](TTreeNode *parent, const std::string &relative) {
    TFolderData *record = new TFolderData;
    record->Path = DataFolder + relative;
    return Tree().Add(parent, relative, 1, 1, record);
  };
  TTreeNode *b = add(nullptr, "b.mb\\");
  add(b, "b.mb\\z\\");
  TTreeNode *y = add(b, "b.mb\\y\\");
  add(y, "b.mb\\y\\q\\");
  add(y, "b.mb\\y\\P\\");
  TTreeNode *a = add(nullptr, "a.mb\\");
  add(a, "a.mb\\m\\");
  TTreeNode *k = add(a, "a.mb\\k\\");
  add(k, "a.mb\\k\\2\\");
  add(k, "a.mb\\k\\1\\");

  SortFolderTree();
  EXPECT_EQ("\"a.mb\\\" 1 a.mb\\\n"
            "  \"a.mb\\k\\\" 1 a.mb\\k\\\n"
            "    \"a.mb\\k\\1\\\" 1 a.mb\\k\\1\\\n"
            "    \"a.mb\\k\\2\\\" 1 a.mb\\k\\2\\\n"
            "  \"a.mb\\m\\\" 1 a.mb\\m\\\n"
            "\"b.mb\\\" 1 b.mb\\\n"
            "  \"b.mb\\y\\\" 1 b.mb\\y\\\n"
            "    \"b.mb\\y\\P\\\" 1 b.mb\\y\\P\\\n"
            "    \"b.mb\\y\\q\\\" 1 b.mb\\y\\q\\\n"
            "  \"b.mb\\z\\\" 1 b.mb\\z\\\n",
            Dump());
}

TEST_F(FolderTreeTest, NoMailboxGivesAnEmptyTree) {
  const struct {
    const char *what;
    std::function<void(const std::string &)> make;
  } cases[] = {
      {"an empty data folder", [](const std::string &) {}},
      {"only a plain file x.mb and other directories",
       [](const std::string &d) {
         testing_support::WriteFile(d + "x.mb", "");
         testing_support::MakeDirs(d + "mb\\sub");
         testing_support::MakeDirs(d + "box.mbx");
       }},
      {"a data folder that does not exist", nullptr},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    TempDir folder("empty");
    DataFolder = c.make ? folder.Path() : folder.Path() + "missing\\";
    if (c.make)
      c.make(DataFolder);
    AddMailBoxes(DataFolder);
    SortFolderTree();
    EXPECT_EQ(0, Tree().Count());
    EXPECT_EQ("", Dump());
    EXPECT_EQ(nullptr, FindFolderNode(DataFolder));
    EXPECT_EQ(nullptr, FindFolderNode(""));
    ClearFolderTree();
    EXPECT_EQ(0, Tree().Count());
    EXPECT_TRUE(AskedIDs().empty());
  }
}

TEST_F(FolderTreeTest, ShiftJisNamesWithTrailBytes5Cand5DRoundTrip) {
  ASSERT_EQ(932u, GetACP()) << "the tests run with LC_ALL=ja_JP.UTF-8";
  // The data folder itself ends in "ソ\", so that even the patterns put
  // 0x5C 0x5C together.
  DataFolder = data_.Path() + SO "\\";
  // Made and removed here one by one: a path ending in "ソ" ends in the
  // byte 0x5C, which a byte-wise search for "\\" takes for a separator.
  struct MadeDirs {
    std::vector<std::string> paths;
    ~MadeDirs() {
      for (auto it = paths.rbegin(); it != paths.rend(); ++it)
        RemoveDirectoryA(it->c_str());
    }
  } made;
  for (const char *relative : {"", "box.mb\\", "box.mb\\" SO "\\", "box.mb\\" SO "\\in\\", "box.mb\\" SO "\\" SO "\\",
                               "box.mb\\" ZO "\\", "box.mb\\" ZO "\\in\\", "box.mb\\plain\\", SO "x.mb\\",
                               SO "x.mb\\" SO "\\"}) {
    ASSERT_TRUE(CreateDirectoryA((DataFolder + relative).c_str(), nullptr)) << relative;
    made.paths.push_back(DataFolder + relative);
  }
  fakehost::Host().DisplayName = [](const std::string &id) -> const char * {
    // Its only "]" byte lies inside "ゾ".
    return id == "box.mb\\plain\\" ? Kept("x" ZO "y") : CharacterwiseDisplayName(id);
  };

  Build();
  EXPECT_EQ("\"bo\" 0 box.mb\\\n"
            "  \"x" ZO "y\" 1 box.mb\\plain\\\n"
            "  \"" SO "\" 1 box.mb\\" SO "\\\n"
            "    \"in\" 1 box.mb\\" SO "\\in\\\n"
            "    \"" SO "\" 1 box.mb\\" SO "\\" SO "\\\n"
            "  \"" ZO "\" 1 box.mb\\" ZO "\\\n"
            "    \"in\" 1 box.mb\\" ZO "\\in\\\n"
            "\"" SO "\" 0 " SO "x.mb\\\n"
            "  \"" SO "\" 1 " SO "x.mb\\" SO "\\\n",
            Dump());

  // The host got every identifier whole, 0x5C second bytes included.
  std::vector<std::string> asked = AskedIDs();
  std::vector<std::string> expected = {
      SO "x.mb\\", SO "x.mb\\" SO "\\", "box.mb\\", "box.mb\\plain\\", "box.mb\\" SO "\\", "box.mb\\" SO "\\in\\",
      "box.mb\\" SO "\\" SO "\\", "box.mb\\" ZO "\\", "box.mb\\" ZO "\\in\\"};
  std::sort(asked.begin(), asked.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, asked);
  const TTreeNode *deep = FindFolderNode(DataFolder + "box.mb\\" SO "\\" SO "\\");
  ASSERT_TRUE(deep);
  EXPECT_EQ("[box]/" SO "/" SO, TFormSelect::Record(deep)->DisplayName);
  // On a single-byte code page the same display name would be cut.
  EXPECT_EQ("y", folders::FolderCaption("x" ZO "y", nullptr));
}

// --- Directory links and long paths --------------------------------------------------

TEST_F(FolderTreeTest, FolderLinksAreListedButNotEnteredMailboxLinksAreEntered) {
  Dirs({"box.mb\\a\\b", "elsewhere\\inside"});
  const std::string d = DataFolder;
  SymbolicLinks links(d);
  if (UnixSide::PathOf(d).empty())
    GTEST_SKIP() << "links are made on the Unix side of Wine";
  ASSERT_TRUE(links.Make(d + "box.mb\\a", d + "box.mb\\a\\loop"));
  ASSERT_TRUE(links.Make(d + "box.mb", d + "box.mb\\a\\b\\up"));
  ASSERT_TRUE(links.Make(d + "elsewhere", d + "box.mb\\out"));
  ASSERT_TRUE(links.Make("", d + "box.mb\\broken"));
  ASSERT_TRUE(links.Make(d + "box.mb", d + "link.mb"));
  // What the search reports for a link to a directory.
  ASSERT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT),
            GetFileAttributesA((d + "box.mb\\a\\loop").c_str()));

  Build();
  EXPECT_EQ("\"bo\" 0 box.mb\\\n"
            "  \"a\" 1 box.mb\\a\\\n"
            "    \"b\" 1 box.mb\\a\\b\\\n"
            "      \"up\" 1 box.mb\\a\\b\\up\\\n"
            "    \"loop\" 1 box.mb\\a\\loop\\\n"
            "  \"out\" 1 box.mb\\out\\\n"
            // A linked mailbox is entered; the links inside it are not.
            "\"lin\" 0 link.mb\\\n"
            "  \"a\" 1 link.mb\\a\\\n"
            "    \"b\" 1 link.mb\\a\\b\\\n"
            "      \"up\" 1 link.mb\\a\\b\\up\\\n"
            "    \"loop\" 1 link.mb\\a\\loop\\\n"
            "  \"out\" 1 link.mb\\out\\\n",
            Dump());
}

// Directories beyond what the ANSI functions reach, made and removed
// through the wide functions' "\\?\" paths.
class LongChain {
public:
  explicit LongChain(const std::string &base) : base_(base) {}
  LongChain(const LongChain &) = delete;
  LongChain &operator=(const LongChain &) = delete;
  ~LongChain() {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it)
      RemoveDirectoryW(it->c_str());
  }
  // Appends one directory below the last; returns its ANSI path with "\".
  std::string Add(const std::string &name) {
    path_ += name + "\\";
    std::wstring wide = L"\\\\?\\";
    for (char c : base_ + path_)
      wide += static_cast<wchar_t>(static_cast<unsigned char>(c)); // ASCII names only
    if (!CreateDirectoryW(wide.c_str(), nullptr))
      return std::string();
    made_.push_back(wide);
    return base_ + path_;
  }

private:
  std::string base_, path_;
  std::vector<std::wstring> made_;
};

TEST_F(FolderTreeTest, SearchBeyondMaxPathAddsNothingBelowAndTheRestShows) {
  Dirs({"box.mb\\zz", "zz.mb\\last"});
  LongChain chain(DataFolder);
  ASSERT_FALSE(chain.Add("box.mb\\chain").empty());
  std::vector<std::string> paths;
  for (int i = 0; i < 30; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "segment-%02d", i);
    paths.push_back(chain.Add(name));
    ASSERT_FALSE(paths.back().empty()) << "cannot make level " << i;
  }
  ASSERT_GT(paths.back().size(), static_cast<size_t>(MAX_PATH) + 50);

  Build();
  // A level is listed while its parent's pattern, path + "*.*", fits the
  // ANSI search (MAX_PATH bytes with the terminator).
  size_t listed = 0;
  std::string parent = DataFolder + "box.mb\\chain\\";
  while (listed < paths.size() && parent.size() + 3 < MAX_PATH)
    parent = paths[listed++];
  ASSERT_GT(listed, 5u);
  ASSERT_LT(listed, paths.size());
  for (size_t i = 0; i < paths.size(); ++i)
    EXPECT_EQ(i < listed, FindFolderNode(paths[i]) != nullptr) << "level " << i << ", " << paths[i].size() << " bytes";
  std::printf("chain listed down to level %u of %u, deepest path %u bytes\n", static_cast<unsigned>(listed),
              static_cast<unsigned>(paths.size()), static_cast<unsigned>(paths[listed - 1].size()));
  EXPECT_EQ(paths[listed - 1], TFormSelect::Record(Tree().Item(Tree().Count() - 1 - 3))->Path)
      << "the chain's deepest node comes just before box.mb\\zz and zz.mb";
  EXPECT_TRUE(FindFolderNode(DataFolder + "box.mb\\zz\\"));
  EXPECT_TRUE(FindFolderNode(DataFolder + "zz.mb\\last\\"));
  EXPECT_EQ(static_cast<int>(listed) + 5, Tree().Count());
}

// --- Finding and freeing -----------------------------------------------------------

TEST_F(FolderTreeTest, FindFolderNodeMatchesWholePathsExactly) {
  Dirs({"a.mb\\one\\two\\three", "a.mb\\one\\zwei", "b.mb\\x", "c.mb"});
  Build();
  const HWND tree = Tree().Handle();
  const std::string d = DataFolder;

  // Nothing is expanded: the deepest node is found all the same.
  TTreeNode *three = FindFolderNode(d + "a.mb\\one\\two\\three\\");
  ASSERT_TRUE(three);
  EXPECT_EQ(d + "a.mb\\one\\two\\three\\", TFormSelect::Record(three)->Path);
  for (const TTreeNode *n = three->Parent; n; n = n->Parent)
    EXPECT_FALSE(SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(n->Item), TVIS_EXPANDED) &
                 TVIS_EXPANDED);

  const struct {
    std::string path;
    int flatIndex; // -1: none
  } cases[] = {
      {d + "c.mb\\", 7},                     // the last node
      {d + "a.mb\\", 0},                     // then back to the first
      {d + "b.mb\\x\\", 6},
      {d + "a.mb\\one\\zwei\\", 4},
      {d + "A.MB\\ONE\\ZWEI\\", -1},         // letter case counts
      {d + "a.mb\\one\\Zwei\\", -1},
      {d + "a.mb\\one\\zwei", -1},           // so does the closing "\"
      {d + "a.mb\\one\\zwei\\\\", -1},
      {"a.mb\\one\\zwei\\", -1},             // a folder identifier is no path
      {d, -1},
      {"", -1},
  };
  for (const auto &c : cases) {
    TTreeNode *found = FindFolderNode(c.path);
    EXPECT_EQ(c.flatIndex < 0 ? nullptr : Tree().Item(c.flatIndex), found) << '"' << c.path << '"';
    if (found) {
      EXPECT_EQ(c.path, TFormSelect::Record(found)->Path);
    }
  }
}

TEST_F(FolderTreeTest, ClearFolderTreeFreesEveryRecordAndEmptiesTheTree) {
  Dirs({"a.mb\\one\\two", "a.mb\\three", "b.mb\\x\\y\\z", "c.mb"});
  Build();
  ASSERT_EQ(9, Tree().Count());
  EXPECT_EQ(recordsBefore_ + 9, TFolderData::Alive);
  const std::string kept = DataFolder + "b.mb\\x\\y\\z\\";
  ASSERT_TRUE(FindFolderNode(kept));

  ClearFolderTree();
  EXPECT_EQ(recordsBefore_, TFolderData::Alive);
  EXPECT_EQ(0, Tree().Count());
  EXPECT_TRUE(Tree().TopLevel().empty());
  EXPECT_EQ(0, SendMessageA(Tree().Handle(), TVM_GETCOUNT, 0, 0));
  EXPECT_EQ(nullptr, FindFolderNode(kept));
  ClearFolderTree(); // on an empty tree: nothing happens
  EXPECT_EQ(recordsBefore_, TFolderData::Alive);

  // The dialog can be filled again afterwards, from a fresh scan.
  Dirs({"d.mb"});
  Build();
  EXPECT_EQ(10, Tree().Count());
  EXPECT_TRUE(FindFolderNode(DataFolder + "d.mb\\"));
}

TEST_F(FolderTreeTest, ExceptionWhileAddingEndsTheScanAndAddedNodesKeepTheirRecords) {
  Dirs({"a.mb\\1", "a.mb\\2\\deep", "a.mb\\3", "b.mb\\4", "c.mb"});
  fakehost::Host().DisplayName = [](const std::string &id) -> const char * {
    if (id == "a.mb\\2\\deep\\")
      throw std::bad_alloc();
    return fakehost::DefaultDisplayName(id);
  };
  EXPECT_THROW(AddMailBoxes(DataFolder), std::bad_alloc);
  ASSERT_GT(Tree().Count(), 0);
  EXPECT_EQ(recordsBefore_ + Tree().Count(), TFolderData::Alive);
  for (int i = 0; i < Tree().Count(); ++i) {
    const TFolderData *record = TFormSelect::Record(Tree().Item(i));
    ASSERT_TRUE(record) << "node " << i << " has no record";
    EXPECT_NE(DataFolder + "a.mb\\2\\deep\\", record->Path);
  }
  // The scan stopped at every level: nothing after "a.mb\2\deep" in any
  // search order was asked for.
  EXPECT_EQ("a.mb\\2\\deep\\", AskedIDs().back());
  // TearDown's ClearFolderTree frees what there is.
}

// --- Cost ------------------------------------------------------------------------------

double Seconds(const std::function<void()> &work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A bare recursive directory count, the floor that Wine's search sets.
int CountDirectories(const std::string &dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "*.*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE)
    return 0;
  int n = 0;
  do {
    const std::string name = fd.cFileName;
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
      n += 1 + CountDirectories(dir + name + "\\");
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return n;
}

TEST_F(FolderTreeTest, FlatWalksStayLinear) {
  // A hand-made tree: finding the last node and freeing all of it should
  // grow with the number of nodes, not with its square.
  auto fill = [&](int mailboxes, int perLevel) {
    for (int m = 0; m < mailboxes; ++m) {
      TFolderData *box = new TFolderData;
      box->Path = DataFolder + "m" + std::to_string(m) + ".mb\\";
      TTreeNode *parent = Tree().Add(nullptr, "m", 0, 0, box);
      for (int f = 0; f < perLevel; ++f) {
        TFolderData *folder = new TFolderData;
        folder->Path = box->Path + "f" + std::to_string(f) + "\\";
        TTreeNode *node = Tree().Add(parent, "f", 1, 1, folder);
        for (int g = 0; g < perLevel; ++g) {
          TFolderData *leaf = new TFolderData;
          leaf->Path = folder->Path + "g" + std::to_string(g) + "\\";
          Tree().Add(node, "g", 1, 1, leaf);
        }
      }
    }
  };
  const int sizes[][2] = {{4, 15}, {16, 15}}; // 964 and 3856 nodes
  double findTimes[2] = {};
  for (int s = 0; s < 2; ++s) {
    fill(sizes[s][0], sizes[s][1]);
    const int n = Tree().Count();
    const std::string last = TFormSelect::Record(Tree().Item(n - 1))->Path;
    const std::string first = TFormSelect::Record(Tree().Item(0))->Path;
    findTimes[s] = Seconds([&] {
      for (int r = 0; r < 20; ++r) {
        ASSERT_EQ(Tree().Item(n - 1), FindFolderNode(last));
        ASSERT_EQ(Tree().Item(0), FindFolderNode(first));
      }
    });
    const double clearTime = Seconds([] { ClearFolderTree(); });
    EXPECT_EQ(recordsBefore_, TFolderData::Alive);
    std::printf("%d nodes: FindFolderNode of the last node %.1f us, ClearFolderTree %.1f ms\n", n,
                findTimes[s] / 20 * 1e6, clearTime * 1e3);
  }
  std::printf("find time ratio for 4x the nodes: %.1f (linear about 4, quadratic about 16)\n",
              findTimes[1] / findTimes[0]);

  // On disk: the builder against a bare scan of the same folders.
  for (int m = 0; m < 4; ++m)
    for (int f = 0; f < 20; ++f)
      for (int g = 0; g < 12; ++g)
        testing_support::MakeDirs(DataFolder + "m" + std::to_string(m) + ".mb\\f" + std::to_string(f) + "\\g" +
                                  std::to_string(g));
  int bare = 0;
  const double bareTime = Seconds([&] { bare = CountDirectories(DataFolder); });
  const double buildTime = Seconds([&] { Build(); });
  EXPECT_EQ(bare, Tree().Count());
  std::printf("%d folders on disk: bare recursive search %.0f ms, AddMailBoxes + SortFolderTree %.0f ms\n", bare,
              bareTime * 1e3, buildTime * 1e3);
}

} // namespace
