// The folder tree benchmark: how long the move/copy dialog's tree takes to
// build for data folders of growing size and shape, measured against the
// floor that the platform's directory search sets for the same tree.
//
//   folder_tree_bench CACHE_DIR [--sizes=1000,10000,50000]
//       [--shapes=wide-ascii,wide-sjis,deep-ascii,deep-sjis] [--reps=N]
//       [--no-command] [--no-profile] [--profile-first]
//
// For each shape and size, in one run:
//   (a) floor: a bare recursive scan with the builder's own calls
//       (FindFirstFileExA with FindExSearchLimitToDirectories, "*.mb" then
//       "*.*", FindNextFileA, FindClose) and nothing else;
//   (b) fill: AddMailBoxes + SortFolderTree into the tree view of a hidden
//       TFormSelect, the host's display names included;
//   (c) FindFolderNode for the last node in flat order;
//   (d) ClearFolderTree;
//   (e) the whole command through a loaded copy of the real Parcelon.dll:
//       from the host's call of the registered command until the dialog
//       "Parcelon" is visible, and until the call returns (the dialog is
//       closed with WM_CLOSE as soon as it shows);
// plus the memory the filled tree holds, and a profiled fill that splits (b)
// into directory search, host calls, tree-view messages, comparisons and the
// rest. The data folders are generated once into CACHE_DIR and reused.
#include "bench/Probes.h"

#include "hostapi/LumivoxAPI.h"
#include "plugin/FolderRules.h"
#include "plugin/FolderTree.h"
#include "plugin/Parcelon.h"
#include "tests/host/FakeHost.h"
#include "ui/UnitTree.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using bench::Now;

// --- Data folders ------------------------------------------------------------------

// Bump when the generated layout changes: old caches are then not reused.
const char LayoutVersion[] = "v1";

struct Shape {
  const char *Name;
  bool Deep;
  bool Japanese;
};

const Shape Shapes[] = {
    {"wide-ascii", false, false},
    {"wide-sjis", false, true},
    {"deep-ascii", true, false},
    {"deep-sjis", true, true},
};

const int MailBoxes = 5;
const char *const SpecialFolders[6] = {"!!!!Inbox", "!!!!Outbox", "!!!Draft", "!!!Sent", "!!!XReminder", "!Trash"};

// Folder names of a wide level: words with a number, joined by nothing, a
// blank, "_" or "-", so that some names begin others and the tree's order
// (which sees the closing "\") differs from the directory search's.
// The Japanese words hold trail bytes 0x5C ("ソ", "表") and 0x5D ("ゾ").
const char *const AsciiWords[16] = {"Archive", "backup", "Clients", "drafts", "Events", "family",
                                    "Invoices", "journal", "Kids", "lists", "Music", "news",
                                    "Orders", "projects", "Reports", "travel"};
const char *const JapaneseWords[16] = {"仕事", "家族", "旅行", "請求書", "ソフト", "表計算", "ゾーン", "会議",
                                       "予定", "写真", "趣味", "連絡", "学校", "買い物", "ニュース", "保存"};

std::string WideName(const Shape &shape, int i) {
  static const char *const joints[4] = {"", " ", "_", "-"};
  const char *word = (shape.Japanese ? JapaneseWords : AsciiWords)[i % 16];
  return std::string(word) + joints[i % 4] + std::to_string(i / 4);
}

std::string MailBoxName(const Shape &shape, int b) {
  return std::string(shape.Japanese ? "メール" : "Box") + std::to_string(b + 1) + ".mb";
}

// The folders of one data folder, as paths relative to it ("Box1.mb\a\b"),
// parents before children. `budget` is the longest directory path (in
// bytes, data folder included) that leaves room for the search pattern.
std::vector<std::string> Layout(const Shape &shape, int folders, size_t rootLength) {
  std::vector<std::string> out;
  const int perBox = folders / MailBoxes;
  for (int b = 0; b < MailBoxes; ++b) {
    const std::string box = MailBoxName(shape, b);
    out.push_back(box);
    out.push_back(box + "\\#Tml");
    out.push_back(box + "\\#Tml\\hidden-from-the-tree");
    out.push_back(box + "\\#Attach");
    int left = perBox + (b == MailBoxes - 1 ? folders % MailBoxes : 0);
    for (int s = 0; s < 6 && left > 0; ++s, --left)
      out.push_back(box + "\\" + SpecialFolders[s]);
    if (!shape.Deep) {
      for (int i = 0; left > 0; ++i, --left)
        out.push_back(box + "\\" + WideName(shape, i));
      continue;
    }
    // Chains: a top folder under the mailbox and levels below it, as deep as
    // MAX_PATH allows with the longest name ("\" and "*.*" included).
    const char *level = shape.Japanese ? "階ソ" : "L";
    const size_t levelLength = std::strlen(level) + 2 + 1;
    const size_t used = rootLength + box.size() + 1 + 10 + 1 + 3;
    const int depth = static_cast<int>(std::min<size_t>(shape.Japanese ? 24 : 40, 1 + (MAX_PATH - 1 - used) / levelLength));
    for (int c = 0; left > 0; ++c) {
      char top[32];
      std::snprintf(top, sizeof top, "%s%04d", shape.Japanese ? "連鎖" : "chain", c);
      std::string path = box + "\\" + top;
      out.push_back(path);
      --left;
      for (int k = 1; k < depth && left > 0; ++k, --left) {
        char name[32];
        std::snprintf(name, sizeof name, "%s%02d", level, k);
        path += "\\";
        path += name;
        out.push_back(path);
      }
    }
  }
  return out;
}

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The data folder for a shape and size under the cache, generated when it
// is not there yet; ends in "\".
std::string DataFolderFor(const std::string &cache, const Shape &shape, int folders) {
  const std::string name = std::string(shape.Name) + "-" + std::to_string(folders) + "-" + LayoutVersion;
  const std::string root = cache + name + "\\";
  const std::string done = cache + name + ".done";
  if (Exists(done))
    return root;
  const std::vector<std::string> layout = Layout(shape, folders, root.size());
  std::fprintf(stderr, "bench: generating %s (%zu directories)...\n", name.c_str(), layout.size());
  const double t = Now();
  CreateDirectoryA(root.c_str(), nullptr);
  for (const std::string &relative : layout) {
    const std::string path = root + relative;
    if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      throw std::runtime_error("cannot create " + path + " (error " + std::to_string(GetLastError()) + ")");
  }
  // A plain file in every mailbox: the scan must pass over it.
  for (int b = 0; b < MailBoxes; ++b) {
    HANDLE h = CreateFileA((root + MailBoxName(shape, b) + "\\folder.idx").c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE)
      CloseHandle(h);
  }
  HANDLE h = CreateFileA(done.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    throw std::runtime_error("cannot write " + done);
  CloseHandle(h);
  std::fprintf(stderr, "bench: generated %s in %.1f s\n", name.c_str(), Now() - t);
  return root;
}

// --- The host's display names ------------------------------------------------------

// The host's forms: "[box]" for a mailbox "box.mb\", "[box]/a/b" for a
// folder "box.mb\a\b\". Double-byte characters are copied whole, so that a
// trail byte 0x5C is not taken for a separator.
const char *HostDisplayName(const std::string &folderID) {
  static std::string answer; // valid until the next call, as the host's
  answer.assign("[");
  size_t i = 0;
  const size_t end = !folderID.empty() && folderID.back() == '\\' ? folderID.size() - 1 : folderID.size();
  bool inBox = true;
  for (; i < end; ++i) {
    const char c = folderID[i];
    if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < end) {
      answer.push_back(c);
      answer.push_back(folderID[++i]);
      continue;
    }
    if (c == '\\') {
      if (inBox) {
        if (answer.size() > 4 && answer.compare(answer.size() - 3, 3, ".mb") == 0)
          answer.resize(answer.size() - 3);
        answer += "]";
        inBox = false;
      }
      answer.push_back('/');
      continue;
    }
    answer.push_back(c);
  }
  if (inBox) {
    if (answer.size() > 4 && answer.compare(answer.size() - 3, 3, ".mb") == 0)
      answer.resize(answer.size() - 3);
    answer += "]";
  }
  return answer.c_str();
}

// The profiled fill times every host call through the table's slot.
TGetFolderDisplayNameFn boundDisplayName = nullptr;
bench::Tally hostTally;
const char *__stdcall TimedDisplayName(const char *folderID) {
  const double t = Now();
  const char *r = boundDisplayName(folderID);
  hostTally.Add(Now() - t);
  return r;
}

bench::Tally compareTally;
int TimedCompare(const TTreeNode *a, const TTreeNode *b, void *context) {
  const double t = Now();
  const int r = TFormSelect::TreeView1Compare(a, b, context);
  compareTally.Add(Now() - t);
  return r;
}

void ForgetHostCalls() {
  fakehost::Host().Calls.clear();
  fakehost::Host().Calls.shrink_to_fit();
}

// --- (a) The floor -------------------------------------------------------------

const DWORD Skipped = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8;

// The builder's search (FindExInfoStandard, no flags), or the variant that
// skips the short 8.3 names and fetches in larger blocks, to see whether
// the floor itself could be lowered.
FINDEX_INFO_LEVELS floorLevel = FindExInfoStandard;
DWORD floorFlags = 0;

void FloorLevel(char *path, size_t length, int &nodes) {
  std::memcpy(path + length, "*.*", 4);
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileExA(path, floorLevel, &fd, FindExSearchLimitToDirectories, nullptr, floorFlags);
  if (h == INVALID_HANDLE_VALUE)
    return;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (fd.dwFileAttributes & Skipped) ||
        folders::IsExcludedFolderName(fd.cFileName))
      continue;
    ++nodes;
    const size_t n = std::strlen(fd.cFileName);
    std::memcpy(path + length, fd.cFileName, n);
    path[length + n] = '\\';
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      FloorLevel(path, length + n + 1, nodes);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

int FloorScan(const std::string &root, bool basic = false) {
  floorLevel = basic ? FindExInfoBasic : FindExInfoStandard;
  floorFlags = basic ? 2 /* FIND_FIRST_EX_LARGE_FETCH */ : 0;
  char path[MAX_PATH * 2];
  std::memcpy(path, root.c_str(), root.size());
  std::memcpy(path + root.size(), "*.mb", 5);
  int nodes = 0;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileExA(path, floorLevel, &fd, FindExSearchLimitToDirectories, nullptr, floorFlags);
  if (h == INVALID_HANDLE_VALUE)
    return 0;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (fd.dwFileAttributes & Skipped))
      continue;
    ++nodes;
    const size_t n = std::strlen(fd.cFileName);
    std::memcpy(path + root.size(), fd.cFileName, n);
    path[root.size() + n] = '\\';
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      FloorLevel(path, root.size() + n + 1, nodes);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return nodes;
}

// --- (b), (c), (d) -----------------------------------------------------------------

struct FillTimes {
  int Nodes = 0;
  double Add = 0, Sort = 0, Find = 0, Select = 0, Clear = 0, Destroy = 0;
  double Show = -1; // ShowModal until the dialog is visible, when shown
  double Fill() const { return Add + Sort; }
  bench::Memory Before, After;
  std::string LastPath;
};

// Shows FormSelect modally, closes it as soon as it is visible and returns
// the time from the call until it was visible.
double ShowUntilVisible();

FillTimes FillOnce(const std::string &root, bool measureMemory, bool show = false) {
  FillTimes r;
  ForgetHostCalls();
  DataFolder = root;
  FormSelect = new TFormSelect;
  if (measureMemory)
    r.Before = bench::MeasureMemory();
  double t = Now();
  AddMailBoxes(DataFolder);
  r.Add = Now() - t;
  t = Now();
  SortFolderTree();
  r.Sort = Now() - t;
  forms::TreeView &tree = *FormSelect->TreeView1;
  r.Nodes = tree.Count();
  if (measureMemory) {
    ForgetHostCalls(); // the fake host's call records are not the tree's
    r.After = bench::MeasureMemory();
  }
  if (r.Nodes > 0) {
    r.LastPath = TFormSelect::Record(tree.Item(r.Nodes - 1))->Path;
    t = Now();
    TTreeNode *found = FindFolderNode(r.LastPath);
    r.Find = Now() - t;
    if (!found)
      throw std::runtime_error("FindFolderNode missed the last node " + r.LastPath);
    // The command makes the found node the tree's selection, which expands
    // its ancestors in the control.
    t = Now();
    tree.Select(found);
    r.Select = Now() - t;
  }
  if (show) {
    FormSelect->SetPosition(forms::Form::ScreenCenter);
    r.Show = ShowUntilVisible();
  }
  t = Now();
  ClearFolderTree();
  r.Clear = Now() - t;
  t = Now();
  delete FormSelect;
  FormSelect = nullptr;
  r.Destroy = Now() - t;
  ForgetHostCalls();
  return r;
}

// --- The profiled fill -------------------------------------------------------------

struct Profile {
  double Total = 0;
  bench::Tally First, Next, Close, Host, Compare, Insert, SortMsg, Other;
  // Sum over inserts of the parent's position among the control's items
  // (its insertion index), and the control's cost per position scanned.
  double ParentPositions = 0;
  double LookupPerPosition = 0;
  double GetFirst = 0, GetLast = 0; // one TVM_GETITEM on the first / last item
  double Clear = 0;
  bench::Tally Delete;
};

// Insertion index of each control item, kept by a second subclass layer
// outside the timed one.
std::unordered_map<HTREEITEM, int> itemIndex;
double parentPositions = 0;
WNDPROC timedProc = nullptr;
LRESULT CALLBACK IndexingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT r = CallWindowProcA(timedProc, hwnd, msg, wParam, lParam);
  if (msg == TVM_INSERTITEMA && r) {
    const TVINSERTSTRUCTA *is = reinterpret_cast<const TVINSERTSTRUCTA *>(lParam);
    auto parent = itemIndex.find(is->hParent);
    if (parent != itemIndex.end())
      parentPositions += parent->second;
    const int index = static_cast<int>(itemIndex.size());
    itemIndex.emplace(reinterpret_cast<HTREEITEM>(r), index);
  }
  return r;
}

double TimeGetItem(HWND tree, HTREEITEM item, int times) {
  TVITEMA it = {};
  it.mask = TVIF_HANDLE | TVIF_PARAM;
  it.hItem = item;
  const double t = Now();
  for (int i = 0; i < times; ++i)
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
  return (Now() - t) / times;
}

Profile ProfiledFill(const std::string &root) {
  Profile p;
  ForgetHostCalls();
  DataFolder = root;
  FormSelect = new TFormSelect;
  forms::TreeView &tree = *FormSelect->TreeView1;
  tree.SetCompare(&TimedCompare, FormSelect);
  hostTally = bench::Tally();
  compareTally = bench::Tally();
  boundDisplayName = HostAPI->LVA_GetFolderDisplayName;
  HostAPI->LVA_GetFolderDisplayName = &TimedDisplayName;
  itemIndex.clear();
  itemIndex.reserve(1 << 17);
  parentPositions = 0;
  bench::TreeMessages().Install(tree.Handle());
  timedProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(tree.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&IndexingProc)));
  if (!bench::Search().Install())
    throw std::runtime_error("cannot redirect the directory search");

  const double t = Now();
  AddMailBoxes(DataFolder);
  SortFolderTree();
  p.Total = Now() - t;

  bench::Search().Remove();
  HostAPI->LVA_GetFolderDisplayName = boundDisplayName;
  const bench::SearchProbe &s = bench::Search();
  const bench::TreeProbe &m = bench::TreeMessages();
  p.First = s.First;
  p.Next = s.Next;
  p.Close = s.Close;
  p.Host = hostTally;
  p.Compare = compareTally;
  p.Insert = m.Insert;
  p.SortMsg = m.SortChildren;
  p.Other = m.Other;
  p.ParentPositions = parentPositions;

  // What one message naming an item costs for the first and for the last
  // item the control got: the difference is its search for the item.
  if (!itemIndex.empty()) {
    HTREEITEM first = nullptr, last = nullptr;
    for (const auto &e : itemIndex) {
      if (e.second == 0)
        first = e.first;
      if (e.second == static_cast<int>(itemIndex.size()) - 1)
        last = e.first;
    }
    const int times = 400;
    p.GetFirst = TimeGetItem(tree.Handle(), first, times);
    p.GetLast = TimeGetItem(tree.Handle(), last, times);
    if (itemIndex.size() > 1)
      p.LookupPerPosition = (p.GetLast - p.GetFirst) / static_cast<double>(itemIndex.size() - 1);
  }
  const double c = Now();
  ClearFolderTree();
  p.Clear = Now() - c;
  p.Delete = bench::TreeMessages().DeleteItem;
  SetWindowLongPtrA(tree.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(timedProc));
  bench::TreeMessages().Remove();
  delete FormSelect;
  FormSelect = nullptr;
  ForgetHostCalls();
  return p;
}

// --- (e) The whole command through the real library ----------------------------------

struct CommandTimes {
  double Shown = -1;   // from the call to the dialog visible
  double Painted = -1; // ... to the first timer tick in its loop, after its first paint
  double Whole = 0;    // from the call to its return
  // When the host was first and last asked for a display name: the
  // library's scan runs between the two.
  double FirstName = 0, LastName = 0;
};

double firstName = -1, lastName = -1;
const char *NotingDisplayName(const std::string &folderID) {
  const double t = Now();
  if (firstName < 0)
    firstName = t;
  lastName = t;
  return HostDisplayName(folderID);
}

double commandStart = 0, commandShown = -1, commandTicked = -1;
HHOOK showHook = nullptr;

bool IsTheDialog(HWND h) {
  char text[32] = "";
  GetWindowTextA(h, text, sizeof text);
  return std::strcmp(text, "Parcelon") == 0 && !GetParent(h);
}

// Notes when the dialog is activated or given the focus while visible:
// ShowModal shows it, which activates it, then focuses its first control.
// A CBT hook is called for such events only; a hook on every sent message
// (WH_CALLWNDPROC*) would slow down each of the tree's messages.
LRESULT CALLBACK ShowHook(int code, WPARAM wParam, LPARAM lParam) {
  if (commandShown < 0 && (code == HCBT_ACTIVATE || code == HCBT_SETFOCUS)) {
    HWND h = reinterpret_cast<HWND>(wParam);
    HWND root = h ? GetAncestor(h, GA_ROOT) : nullptr;
    if (root && IsWindowVisible(root) && IsTheDialog(root))
      commandShown = Now() - commandStart;
  }
  return CallNextHookEx(showHook, code, wParam, lParam);
}

// The closing half: a thread timer that runs inside the dialog's modal loop.
void CALLBACK CloseTick(HWND, UINT, UINT_PTR, DWORD) {
  struct Find {
    static BOOL CALLBACK Each(HWND h, LPARAM found) {
      if (IsWindowVisible(h) && IsTheDialog(h)) {
        *reinterpret_cast<HWND *>(found) = h;
        return FALSE;
      }
      return TRUE;
    }
  };
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &Find::Each, reinterpret_cast<LPARAM>(&dialog));
  if (dialog) {
    // The first tick in the dialog's loop comes after its first paint
    // (WM_PAINT is retrieved before WM_TIMER).
    if (commandTicked < 0)
      commandTicked = Now() - commandStart;
    if (commandShown < 0)
      commandShown = commandTicked;
    PostMessageA(dialog, WM_CLOSE, 0, 0);
  }
}

double ShowUntilVisible() {
  commandShown = commandTicked = -1;
  showHook = SetWindowsHookExA(WH_CBT, &ShowHook, nullptr, GetCurrentThreadId());
  UINT_PTR timer = SetTimer(nullptr, 0, 10, &CloseTick);
  commandStart = Now();
  FormSelect->ShowModal();
  KillTimer(nullptr, timer);
  if (showHook)
    UnhookWindowsHookEx(showHook);
  showHook = nullptr;
  return commandShown;
}

class PluginCopy {
public:
  explicit PluginCopy(const std::string &cache) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string bin(exe);
    bin.resize(bin.rfind('\\') + 1);
    const std::string dir = cache + "plugin\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    dll_ = dir + "Parcelon.dll";
    ini_ = dir + "Parcelon.ini";
    if (!CopyFileA((bin + "Parcelon.dll").c_str(), dll_.c_str(), FALSE))
      throw std::runtime_error("cannot copy " + bin + "Parcelon.dll");
    module_ = LoadLibraryA(dll_.c_str());
    if (!module_)
      throw std::runtime_error("cannot load " + dll_);
  }
  ~PluginCopy() {
    Pump();
    FreeLibrary(module_);
  }
  PluginCopy(const PluginCopy &) = delete;
  PluginCopy &operator=(const PluginCopy &) = delete;

  static void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  // The command as the host runs it, with the remembered folder preselected.
  CommandTimes Run(const std::string &root, const std::string &mailbox, const std::string &remembered) {
    DeleteFileA(ini_.c_str());
    WritePrivateProfileStringA("Current", "Mode", "1", ini_.c_str());
    WritePrivateProfileStringA("Current", mailbox.c_str(), remembered.c_str(), ini_.c_str());
    typedef int(__stdcall * MenuInitFn)(int, int, int);
    MenuInitFn menuInit = reinterpret_cast<MenuInitFn>(GetProcAddress(module_, "LVC_OnMenuInit"));
    HMENU menu = CreatePopupMenu();
    menuInit(0, static_cast<int>(reinterpret_cast<INT_PTR>(menu)), 1);
    DestroyMenu(menu);
    TCommandCallback command = fakehost::Host().LastCallback;
    if (!command)
      throw std::runtime_error("the library registered no command");
    fakehost::Host().DataFolder = root;
    fakehost::Host().CurrentMailBox = mailbox;
    ForgetHostCalls();

    CommandTimes r;
    firstName = lastName = -1;
    fakehost::Host().DisplayName = &NotingDisplayName;
    commandShown = commandTicked = -1;
    showHook = SetWindowsHookExA(WH_CBT, &ShowHook, nullptr, GetCurrentThreadId());
    UINT_PTR timer = SetTimer(nullptr, 0, 10, &CloseTick);
    commandStart = Now();
    command(0, 0);
    r.Whole = Now() - commandStart;
    KillTimer(nullptr, timer);
    if (showHook)
      UnhookWindowsHookEx(showHook);
    showHook = nullptr;
    r.Shown = commandShown;
    r.Painted = commandTicked;
    fakehost::Host().DisplayName = &HostDisplayName;
    r.FirstName = firstName - commandStart;
    r.LastName = lastName - commandStart;
    Pump(); // the released dialog goes now
    ForgetHostCalls();
    return r;
  }

private:
  std::string dll_, ini_;
  HMODULE module_ = nullptr;
};

// --- Running and reporting ---------------------------------------------------------

struct Result {
  const Shape *shape;
  int folders;
  int nodes = 0;
  double Floor = 0, FloorMedian = 0, FloorBasic = 0;
  FillTimes Best; // per part, the best of the repetitions
  double FillMedian = 0;
  double HeapPerNode = 0, WorkingSetPerNode = 0;
  CommandTimes Command;
  FillTimes Shown; // the command's steps in this program: fill, find, select, show
  bool HaveProfile = false;
  Profile Prof;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

std::vector<std::string> Split(const std::string &s) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= s.size()) {
    size_t comma = s.find(',', start);
    if (comma == std::string::npos)
      comma = s.size();
    if (comma > start)
      out.push_back(s.substr(start, comma - start));
    start = comma + 1;
  }
  return out;
}

double Ms(double s) { return s * 1e3; }
double Us(double s) { return s * 1e6; }

void PrintProfile(const Result &r) {
  const Profile &p = r.Prof;
  const double clock = bench::ClockCost();
  // Each timed call costs about two clock reads that the outer total saw
  // and the part did not: take them off the total before the remainder.
  auto net = [&](const bench::Tally &t) { return t.Seconds; };
  const uint64_t probes = p.First.Calls + p.Next.Calls + p.Close.Calls + p.Host.Calls + p.Compare.Calls +
                          p.Insert.Calls + p.SortMsg.Calls + p.Other.Calls;
  const double search = net(p.First) + net(p.Next) + net(p.Close);
  const double tree = net(p.Insert) + net(p.SortMsg) + net(p.Other);
  const double rest = p.Total - probes * 2 * clock - search - net(p.Host) - net(p.Compare) - tree;
  const double lookup = p.ParentPositions * p.LookupPerPosition;
  std::printf("  profile %-10s %6d nodes: profiled fill %.0f ms (probes ~%.0f ms) =\n", r.shape->Name, r.nodes,
              Ms(p.Total), Ms(probes * 2 * clock));
  std::printf("    directory search %8.1f ms  (%llu FindFirstFileExA %.1f us each, %llu FindNextFileA %.1f us each)\n",
              Ms(search), static_cast<unsigned long long>(p.First.Calls),
              p.First.Calls ? Us(p.First.Seconds / p.First.Calls) : 0, static_cast<unsigned long long>(p.Next.Calls),
              p.Next.Calls ? Us(p.Next.Seconds / p.Next.Calls) : 0);
  // Per call, net of the clock read that each timed span contains.
  auto each = [&](const bench::Tally &t) { return t.Calls ? Us(t.Seconds / t.Calls - clock) : 0; };
  std::printf("    host display name %7.1f ms  (%llu calls, %.2f us each)\n", Ms(p.Host.Seconds),
              static_cast<unsigned long long>(p.Host.Calls), each(p.Host));
  std::printf("    TVM_INSERTITEM   %8.1f ms  (%llu, %.1f us each; of it the item search for the parent ~%.1f ms)\n",
              Ms(p.Insert.Seconds), static_cast<unsigned long long>(p.Insert.Calls),
              p.Insert.Calls ? Us(p.Insert.Seconds / p.Insert.Calls) : 0, Ms(lookup));
  std::printf("    TVM_SORTCHILDRENCB %6.1f ms  (%llu), other tree messages %.1f ms (%llu)\n", Ms(p.SortMsg.Seconds),
              static_cast<unsigned long long>(p.SortMsg.Calls), Ms(p.Other.Seconds),
              static_cast<unsigned long long>(p.Other.Calls));
  std::printf("    path comparisons %8.1f ms  (%llu, %.2f us each)\n", Ms(p.Compare.Seconds),
              static_cast<unsigned long long>(p.Compare.Calls), each(p.Compare));
  std::printf("    rest (strings, records, nodes) %.1f ms (%.2f us per node)\n", Ms(rest),
              r.nodes ? Us(rest / r.nodes) : 0);
  std::printf("    item search: TVM_GETITEM on the first item %.2f us, on the last %.2f us (%.1f ns per item before it)\n",
              Us(p.GetFirst), Us(p.GetLast), p.LookupPerPosition * 1e9);
  std::printf("    ClearFolderTree %.1f ms, of it TVM_DELETEITEM %.1f ms\n", Ms(p.Clear), Ms(p.Delete.Seconds));
}

} // namespace

int main(int argc, char **argv) {
  try {
    if (argc < 2) {
      std::fprintf(stderr, "usage: folder_tree_bench CACHE_DIR [--sizes=a,b] [--shapes=x,y] [--reps=N] "
                           "[--no-command] [--no-profile] [--profile-first]\n");
      return 2;
    }
    std::string cache = argv[1];
    if (cache.back() != '\\')
      cache += '\\';
    CreateDirectoryA(cache.c_str(), nullptr);
    std::vector<int> sizes = {1000, 10000, 50000};
    std::vector<const Shape *> shapes;
    int reps = 0; // 0: by size
    bool command = true, profile = true, profileFirst = false;
    for (int i = 2; i < argc; ++i) {
      const std::string a = argv[i];
      if (a.rfind("--sizes=", 0) == 0) {
        sizes.clear();
        for (const std::string &s : Split(a.substr(8)))
          sizes.push_back(std::atoi(s.c_str()));
      } else if (a.rfind("--shapes=", 0) == 0) {
        for (const std::string &s : Split(a.substr(9))) {
          const Shape *found = nullptr;
          for (const Shape &shape : Shapes)
            if (s == shape.Name)
              found = &shape;
          if (!found)
            throw std::runtime_error("no shape " + s);
          shapes.push_back(found);
        }
      } else if (a.rfind("--reps=", 0) == 0) {
        reps = std::atoi(a.c_str() + 7);
      } else if (a == "--no-command") {
        command = false;
      } else if (a == "--no-profile") {
        profile = false;
      } else if (a == "--profile-first") {
        profileFirst = true; // the profiled fill before the others, not after
      } else {
        throw std::runtime_error("unknown argument " + a);
      }
    }
    if (shapes.empty())
      for (const Shape &shape : Shapes)
        shapes.push_back(&shape);

    std::printf("code page %u; clock read %.0f ns\n", GetACP(), bench::ClockCost() * 1e9);
    if (GetACP() != 932)
      std::printf("warning: not Shift-JIS (run with LC_ALL=ja_JP.UTF-8); Japanese names may not be created\n");

    HostAPI = new TLumivoxAPI;
    if (!HostAPI->InitAPI())
      throw std::runtime_error("the host table did not bind");
    fakehost::Reset();
    fakehost::Host().DisplayName = &HostDisplayName;

    std::unique_ptr<PluginCopy> plugin;
    if (command)
      plugin.reset(new PluginCopy(cache));

    std::vector<Result> results;
    for (const Shape *shape : shapes) {
      for (int folders : sizes) {
        const std::string root = DataFolderFor(cache, *shape, folders);
        Result r;
        r.shape = shape;
        r.folders = folders;
        const int n = reps > 0 ? reps : folders >= 50000 ? 2 : folders >= 10000 ? 3 : 5;
        // Warm the system's caches once, so that the first measurement is
        // not the only one that reads the disk.
        FloorScan(root);
        if (profile && profileFirst) {
          r.Prof = ProfiledFill(root);
          r.HaveProfile = true;
        }
        std::vector<double> floors, fills, basics;
        for (int k = 0; k < n; ++k) {
          double t = Now();
          const int floorNodes = FloorScan(root);
          floors.push_back(Now() - t);
          t = Now();
          const int basicNodes = FloorScan(root, true);
          basics.push_back(Now() - t);
          if (basicNodes != floorNodes)
            throw std::runtime_error("the basic scan found " + std::to_string(basicNodes) + " nodes");
          FillTimes f = FillOnce(root, k == 0);
          fills.push_back(f.Fill());
          if (f.Nodes != floorNodes)
            throw std::runtime_error("the tree has " + std::to_string(f.Nodes) + " nodes, the scan found " +
                                     std::to_string(floorNodes));
          if (k == 0) {
            r.Best = f;
            r.nodes = f.Nodes;
            r.HeapPerNode = (f.After.HeapBusy - f.Before.HeapBusy) / f.Nodes;
            r.WorkingSetPerNode = (f.After.WorkingSet - f.Before.WorkingSet) / f.Nodes;
          } else {
            if (f.Fill() < r.Best.Fill()) {
              r.Best.Add = f.Add;
              r.Best.Sort = f.Sort;
            }
            r.Best.Find = std::min(r.Best.Find, f.Find);
            r.Best.Select = std::min(r.Best.Select, f.Select);
            r.Best.Clear = std::min(r.Best.Clear, f.Clear);
            r.Best.Destroy = std::min(r.Best.Destroy, f.Destroy);
          }
        }
        r.Floor = *std::min_element(floors.begin(), floors.end());
        r.FloorBasic = *std::min_element(basics.begin(), basics.end());
        r.FloorMedian = Median(floors);
        r.FillMedian = Median(fills);
        // The command through the library, and its steps in this program,
        // each twice in alternation; the better of each.
        for (int k = 0; k < 2; ++k) {
          if (plugin) {
            const std::string mailbox = MailBoxName(*shape, MailBoxes - 1) + "\\";
            const CommandTimes c = plugin->Run(root, mailbox, r.Best.LastPath);
            if (k == 0 || c.Shown < r.Command.Shown)
              r.Command = c;
          }
          const FillTimes f = FillOnce(root, false, true);
          if (k == 0 || f.Fill() + f.Show < r.Shown.Fill() + r.Shown.Show)
            r.Shown = f;
        }
        if (profile && !profileFirst) {
          r.Prof = ProfiledFill(root);
          r.HaveProfile = true;
        }
        std::fprintf(stderr, "bench: %-10s %6d nodes: floor %.0f ms, fill %.0f ms, command %.0f ms\n", shape->Name,
                     r.nodes, Ms(r.Floor), Ms(r.Best.Fill()), Ms(r.Command.Shown));
        results.push_back(r);
      }
    }

    std::printf("\nTimes are the best of the repetitions (median in brackets); per node = time / nodes.\n");
    std::printf("%-10s %6s | %17s | %17s %5s %6s | %8s %7s | %6s %7s | %6s %7s | %8s %8s %8s\n", "shape",
                "nodes", "(a) floor ms", "(b) fill ms", "b/a", "us/nd", "add ms", "sort ms", "(c) ms", "sel ms",
                "(d) ms", "free ms", "(e) ms", "painted", "e whole");
    for (const Result &r : results) {
      char a[32], b[32];
      std::snprintf(a, sizeof a, "%.1f (%.1f)", Ms(r.Floor), Ms(r.FloorMedian));
      std::snprintf(b, sizeof b, "%.1f (%.1f)", Ms(r.Best.Fill()), Ms(r.FillMedian));
      std::printf("%-10s %6d | %17s | %17s %5.2f %6.1f | %8.1f %7.1f | %6.2f %7.1f | %6.1f %7.1f | %8.1f %8.1f %8.1f\n",
                  r.shape->Name, r.nodes, a, b, r.Best.Fill() / r.Floor, Us(r.Best.Fill() / r.nodes),
                  Ms(r.Best.Add), Ms(r.Best.Sort), Ms(r.Best.Find), Ms(r.Best.Select), Ms(r.Best.Clear),
                  Ms(r.Best.Destroy),
                  Ms(r.Command.Shown), Ms(r.Command.Painted), Ms(r.Command.Whole));
    }
    std::printf("\nThe floor with FindExInfoBasic and FIND_FIRST_EX_LARGE_FETCH (no short names), best of the "
                "repetitions:\n");
    for (const Result &r : results)
      std::printf("%-10s %6d | standard %8.1f ms | basic %8.1f ms | basic/standard %.2f\n", r.shape->Name, r.nodes,
                  Ms(r.Floor), Ms(r.FloorBasic), r.FloorBasic / r.Floor);
    std::printf("\nPer node: microseconds, and the growth from the size before (ratio of per-node times; 1.0 = linear).\n");
    std::printf("%-10s %6s | %14s %14s %14s %14s %14s | %9s %9s\n", "shape", "nodes", "(a) floor", "(b) fill",
                "(c) find", "(d) clear", "(e) shown", "heap B/nd", "RSS B/nd");
    for (size_t i = 0; i < results.size(); ++i) {
      const Result &r = results[i];
      const Result *prev = i > 0 && results[i - 1].shape == r.shape ? &results[i - 1] : nullptr;
      auto cell = [&](double now, double before) {
        static char buf[8][32];
        static int k = 0;
        char *out = buf[k++ % 8];
        if (prev && before > 0)
          std::snprintf(out, 32, "%.2f x%.2f", Us(now / r.nodes), (now / r.nodes) / (before / prev->nodes));
        else
          std::snprintf(out, 32, "%.2f", Us(now / r.nodes));
        return out;
      };
      std::printf("%-10s %6d | %14s %14s %14s %14s %14s | %9.0f %9.0f\n", r.shape->Name, r.nodes,
                  cell(r.Floor, prev ? prev->Floor : 0), cell(r.Best.Fill(), prev ? prev->Best.Fill() : 0),
                  cell(r.Best.Find, prev ? prev->Best.Find : 0), cell(r.Best.Clear, prev ? prev->Best.Clear : 0),
                  cell(r.Command.Shown, prev ? prev->Command.Shown : 0), r.HeapPerNode, r.WorkingSetPerNode);
    }
    std::printf("\n(e) is the real Parcelon.dll loaded into this program: from the host's call of the command "
                "until the dialog is visible; \"painted\": until the first timer tick in its loop, after its "
                "first paint; \"e whole\": until the call returns, closing included. \"free ms\": deleting the "
                "dialog object after (d).\n");
    std::printf("\nThe command's steps timed in this program (one run each), against (e) through the library:\n");
    std::printf("(e) split by the host's display-name calls: before the first, first to last (the scan), after the "
                "last (sort, settings, find, select, show).\n");
    std::printf("%-10s %6s | %8s %8s %8s %8s %8s | %8s | %8s %8s %8s\n", "shape", "nodes", "fill ms", "find ms",
                "sel ms", "show ms", "sum ms", "(e) ms", "e:before", "e:scan", "e:after");
    for (const Result &r : results) {
      const FillTimes &f = r.Shown;
      const CommandTimes &c = r.Command;
      const double sum = f.Fill() + f.Find + f.Select + f.Show;
      std::printf("%-10s %6d | %8.1f %8.2f %8.1f %8.1f %8.1f | %8.1f | %8.1f %8.1f %8.1f\n", r.shape->Name, r.nodes,
                  Ms(f.Fill()), Ms(f.Find), Ms(f.Select), Ms(f.Show), Ms(sum), Ms(c.Shown), Ms(c.FirstName),
                  Ms(c.LastName - c.FirstName), Ms(c.Shown - c.LastName));
    }
    if (profile) {
      std::printf("\nWhere the fill's time goes (one profiled fill each; the probes add their own time):\n");
      for (const Result &r : results)
        if (r.HaveProfile)
          PrintProfile(r);
    }
    plugin.reset();
    delete HostAPI;
    HostAPI = nullptr;
    forms::Shutdown();
    return 0;
  } catch (const std::exception &e) {
    std::fprintf(stderr, "bench: %s\n", e.what());
    return 1;
  }
}
