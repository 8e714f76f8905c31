#include "demo/Tour.h"

#include "demo/HostExports.h"
#include "demo/Log.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace demo {

namespace {

Tour *activeTour = nullptr;

// What the plug-in shows; the tour checks it byte for byte.
const char CommandCaption[] = "メールの移動/コピー(&M)...";
const char SelectCaption[] = "Parcelon";
const char SetupCaption[] = "設定";
const char MoveCaption[] = "移動(&M)";
const char CopyCaption[] = "コピー(&C)";
const char CancelCaption[] = "キャンセル";

// The plug-in's folder tree for the sample data folder: depth and caption
// of every node in order (hidden folders, "#Attach" and "#Tml" absent).
const char *const ExpectedTree[] = {
    "0 プライベート", "1 受信箱", "2 家族", "2 友人", "3 同窓会", "1 送信箱", "1 下書き", "1 送信済み",
    "1 リマインダ", "1 ごみ箱", "1 旅行", "2 京都", "0 仕事", "1 受信箱", "2 プロジェクト", "3 ソフトウェア",
    "3 予定表", "2 会議", "1 送信箱", "1 下書き", "1 送信済み", "1 リマインダ", "1 ごみ箱", "1 経理", "0 趣味",
    "1 受信箱", "1 送信済み", "1 ごみ箱", "1 音楽", "1 写真", "2 ゾウの写真",
};

const char InboxID[] = "Private.mb\\!!!!Inbox\\";
const char FamilyID[] = "Private.mb\\!!!!Inbox\\家族\\";
const char FamilyPath[] = "プライベート/受信箱/家族";
const char ScheduleID[] = "Work.mb\\!!!!Inbox\\プロジェクト\\予定表\\";
const char SchedulePath[] = "仕事/受信箱/プロジェクト/予定表";

std::string Text(HWND h) {
  char text[4096] = "";
  GetWindowTextA(h, text, sizeof text);
  return text;
}

std::string ClassOf(HWND h) {
  char name[256] = "";
  GetClassNameA(h, name, sizeof name);
  return name;
}

BOOL CALLBACK Collect(HWND h, LPARAM p) {
  if (IsWindowVisible(h))
    reinterpret_cast<std::vector<HWND> *>(p)->push_back(h);
  return TRUE;
}

std::vector<HWND> VisibleThreadWindows() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND ThreadWindow(const std::string &caption, const char *className = nullptr) {
  for (HWND h : VisibleThreadWindows())
    if (Text(h) == caption && (!className || ClassOf(h) == className))
      return h;
  return nullptr;
}

// The plug-in's folder dialog: captioned "Parcelon" and holding a tree
// (its error messages carry the same caption).
HWND SelectDialog() {
  for (HWND h : VisibleThreadWindows())
    if (Text(h) == SelectCaption && FindWindowExA(h, nullptr, WC_TREEVIEWA, nullptr))
      return h;
  return nullptr;
}

HWND MenuWindow() {
  for (HWND h : VisibleThreadWindows())
    if (ClassOf(h) == "#32768")
      return h;
  return nullptr;
}

// A child with this class and caption; the topmost on screen if several.
HWND Child(HWND parent, const char *className, const std::string &caption) {
  HWND best = nullptr;
  RECT bestRect = {};
  for (HWND h = FindWindowExA(parent, nullptr, className, nullptr); h; h = FindWindowExA(parent, h, className, nullptr)) {
    if (Text(h) != caption)
      continue;
    RECT r;
    GetWindowRect(h, &r);
    if (!best || r.top < bestRect.top) {
      best = h;
      bestRect = r;
    }
  }
  return best;
}

bool Checked(HWND button) { return button && SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

struct TreeItem {
  HTREEITEM Item;
  int Depth;
  std::string Caption;
};

void CollectItems(HWND tree, HTREEITEM first, int depth, std::vector<TreeItem> &out) {
  for (HTREEITEM h = first; h;
       h = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(h)))) {
    char text[512] = "";
    TVITEMA item = {};
    item.mask = TVIF_TEXT;
    item.hItem = h;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    out.push_back({h, depth, text});
    CollectItems(tree,
                 reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(h))),
                 depth + 1, out);
  }
}

std::vector<TreeItem> TreeItems(HWND tree) {
  std::vector<TreeItem> items;
  CollectItems(tree, reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), 0, items);
  return items;
}

// Captions from the top level down to the item, joined by "/".
std::string ItemPath(const std::vector<TreeItem> &items, HTREEITEM target) {
  std::vector<std::string> path;
  for (const TreeItem &i : items) {
    path.resize(i.Depth);
    path.push_back(i.Caption);
    if (i.Item == target) {
      std::string joined;
      for (const std::string &p : path)
        joined += (joined.empty() ? "" : "/") + p;
      return joined;
    }
  }
  return std::string();
}

HTREEITEM FindItem(const std::vector<TreeItem> &items, const std::string &path) {
  for (const TreeItem &i : items)
    if (ItemPath(items, i.Item) == path)
      return i.Item;
  return nullptr;
}

void MouseInput(int x, int y, DWORD buttons) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | buttons;
  SendInput(1, &input, sizeof input);
}

std::string IniValue(const std::string &ini, const char *section, const char *key) {
  char value[256] = "";
  GetPrivateProfileStringA(section, key, "(none)", value, sizeof value, ini.c_str());
  return value;
}

bool SaveScreen(const std::string &path, const RECT &area) {
  const int w = area.right - area.left, h = area.bottom - area.top;
  if (w <= 0 || h <= 0)
    return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void *bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (bmp) {
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
    GdiFlush();
    const int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42; // "BM"
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + stride * h;
    std::string data(reinterpret_cast<const char *>(&fh), sizeof fh);
    data.append(reinterpret_cast<const char *>(&bi.bmiHeader), sizeof bi.bmiHeader);
    data.append(static_cast<const char *>(bits), static_cast<size_t>(stride) * h);
    SelectObject(mem, old);
    DeleteObject(bmp);
    ok = WriteWholeFile(path, data);
  }
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

// Waits `ms` before going on (for painting to finish, say).
auto Pause(int ms) {
  return [ms](int elapsed) { return elapsed >= ms; };
}

} // namespace

Tour::Tour(MainWindow &window, const MailStore &store, std::string outDir, std::string iniPath)
    : window_(window), store_(store), outDir_(std::move(outDir)), iniPath_(std::move(iniPath)) {
  Build();
}

Tour::~Tour() {
  if (timer_)
    KillTimer(nullptr, timer_);
  if (activeTour == this)
    activeTour = nullptr;
}

void Tour::Add(const std::string &title, Step body, int timeoutMs) {
  steps_.push_back({title, std::move(body), timeoutMs});
}

void Tour::Start() {
  activeTour = this;
  started_ = stepStarted_ = GetTickCount();
  Log("tour: %d steps", static_cast<int>(steps_.size()));
  timer_ = SetTimer(nullptr, 0, 50, &Tour::Tick);
}

void CALLBACK Tour::Tick(HWND, UINT, UINT_PTR, DWORD) {
  try {
    if (activeTour)
      activeTour->Run();
  } catch (...) { // nothing may leave a timer callback
  }
}

void Tour::Run() {
  if (running_) // a step that enters a modal loop sees the timer again
    return;
  running_ = true;
  const DWORD now = GetTickCount();
  if (aborting_) {
    // Close the menu and the dialogs first (closing them cancels them),
    // then the main window, which ends the program.
    EndMenu();
    bool others = false;
    for (HWND h : VisibleThreadWindows())
      if (h != window_.Handle()) {
        PostMessageA(h, WM_CLOSE, 0, 0);
        others = true;
      }
    if (!others || now - abortStarted_ > 5000) {
      KillTimer(nullptr, timer_);
      timer_ = 0;
      PostMessageA(window_.Handle(), WM_CLOSE, 0, 0);
    }
  } else if (next_ < steps_.size()) {
    Entry &step = steps_[next_];
    const int elapsed = static_cast<int>(now - stepStarted_);
    bool done = false;
    try {
      done = step.Body(elapsed);
    } catch (...) {
      Abort("step \"" + step.Title + "\" failed with an error");
    }
    if (done) {
      if (!step.Title.empty())
        Log("tour: step done: %s", step.Title.c_str());
      ++next_;
      stepStarted_ = now;
    } else if (!aborting_ && elapsed > step.TimeoutMs) {
      Abort("step \"" + step.Title + "\" did not happen within " + std::to_string(step.TimeoutMs / 1000) + " s");
    }
  }
  running_ = false;
}

void Tour::Abort(const std::string &why) {
  ++failures_;
  Log("tour: FAILED: %s; closing the windows", why.c_str());
  aborting_ = true;
  abortStarted_ = GetTickCount();
}

bool Tour::Check(bool condition, const std::string &what) {
  ++checks_;
  if (condition) {
    Log("tour:   ok: %s", what.c_str());
  } else {
    ++failures_;
    Log("tour:   FAILED: %s", what.c_str());
  }
  return condition;
}

void Tour::Shot(const std::string &name) {
  // The main window and whatever the thread shows on top of it.
  RECT area;
  GetWindowRect(window_.Handle(), &area);
  for (HWND h : VisibleThreadWindows()) {
    RECT r;
    GetWindowRect(h, &r);
    UnionRect(&area, &area, &r);
  }
  const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  IntersectRect(&area, &area, &screen);
  char file[64];
  snprintf(file, sizeof file, "%02d-%s.bmp", ++shots_, name.c_str());
  const bool ok = SaveScreen(outDir_ + file, area);
  Check(ok, std::string("screenshot ") + file);
}

void Tour::OpenContextMenu(int menuType) {
  // Where a right click would be: on the focused message, or in the view.
  POINT p = {40, 40};
  HWND target = window_.View();
  if (menuType == MenuTypeMailList) {
    target = window_.List();
    const int row = static_cast<int>(SendMessageA(target, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    RECT item = {LVIR_LABEL, 0, 0, 0};
    if (row >= 0 && SendMessageA(target, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item)))
      p = {item.left + 40, (item.top + item.bottom) / 2};
  }
  ClientToScreen(target, &p);
  Log("tour: right click in the %s at (%ld, %ld)", menuType == MenuTypeMailList ? "message list" : "message view",
      p.x, p.y);
  PostMessageA(window_.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(target), MAKELPARAM(p.x, p.y));
}

void Tour::AddMenuSteps(int menuType, const std::string &shot, bool expectItem, int expectedPosition, bool choose) {
  const std::string which = menuType == MenuTypeMailList ? "mail-list" : "message-view";
  auto item = std::make_shared<RECT>();
  Add("open the " + which + " context menu", [this, menuType](int) {
    OpenContextMenu(menuType);
    return true;
  });
  Add("the " + which + " context menu is shown", [=](int) {
    HMENU menu = window_.TrackedMenu();
    if (!menu || !MenuWindow() || window_.TrackedMenuType() != menuType)
      return false;
    // The plug-in's item is the one whose identifier the host handed out.
    const int count = GetMenuItemCount(menu);
    int position = -1;
    for (int i = 0; i < count; ++i) {
      const UINT id = GetMenuItemID(menu, i);
      if (id != static_cast<UINT>(-1) && id >= static_cast<UINT>(FirstCommandId) && id <= static_cast<UINT>(LastCommandId))
        position = i;
    }
    if (!expectItem) {
      Check(position < 0, which + " menu has no plug-in item");
      return true;
    }
    char caption[256] = "";
    if (position >= 0)
      GetMenuStringA(menu, position, caption, sizeof caption, MF_BYPOSITION);
    const int expected = expectedPosition < 0 ? count - 1 : expectedPosition;
    Check(position == expected, which + " menu has the plug-in's item at position " + std::to_string(expected) +
                                    " (found at " + std::to_string(position) + " of " + std::to_string(count) + ")");
    Check(std::string(caption) == CommandCaption, std::string("its caption is \"") + CommandCaption + "\" (\"" +
                                                      caption + "\")");
    // A popup menu's items are measured in its own window: no window given.
    if (position >= 0 && GetMenuItemRect(nullptr, menu, position, item.get())) {
      Log("tour: pointer to the item at (%ld, %ld)", (item->left + item->right) / 2, (item->top + item->bottom) / 2);
      MouseInput((item->left + item->right) / 2, (item->top + item->bottom) / 2, 0); // hover: highlighted
    }
    return true;
  });
  if (!shot.empty()) {
    Add("", Pause(500));
    Add("photograph the menu", [this, shot](int) {
      Shot(shot);
      return true;
    });
  }
  if (choose) {
    Add("choose the plug-in's item", [item](int) {
      const int x = (item->left + item->right) / 2, y = (item->top + item->bottom) / 2;
      MouseInput(x, y, MOUSEEVENTF_LEFTDOWN);
      MouseInput(x, y, MOUSEEVENTF_LEFTUP);
      return true;
    });
  } else {
    Add("close the menu", [](int) {
      EndMenu();
      return true;
    });
  }
  Add("the menu has closed", [](int) { return MenuWindow() == nullptr; }, 5000);
}

void Tour::AddDialogSteps(const std::string &target, const std::string &shot, const char *button,
                          const std::string &expectPreselected) {
  Add("the plug-in's folder dialog is open", [=](int) {
    HWND dialog = SelectDialog();
    if (!dialog)
      return false;
    HWND tree = FindWindowExA(dialog, nullptr, WC_TREEVIEWA, nullptr);
    const std::vector<TreeItem> items = TreeItems(tree);
    std::string shown, expected;
    for (const TreeItem &i : items)
      shown += (shown.empty() ? "" : ", ") + std::to_string(i.Depth) + " " + i.Caption;
    for (const char *e : ExpectedTree)
      expected += (expected.empty() ? "" : ", ") + std::string(e);
    if (!Check(shown == expected, "the dialog's tree shows the data folder's mailboxes and folders, sorted, "
                                  "without hidden folders, \"#Attach\" and \"#Tml\""))
      Log("tour:   expected: %s\ntour:   shown:    %s", expected.c_str(), shown.c_str());
    const HTREEITEM selected =
        reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    const std::string preselected = selected ? ItemPath(items, selected) : std::string();
    Check(preselected == expectPreselected,
          "preselected: \"" + expectPreselected + "\" (\"" + preselected + "\")");
    const HTREEITEM item = FindItem(items, target);
    if (Check(item != nullptr, "the tree has \"" + target + "\"")) {
      SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
      SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
      SetFocus(tree);
    }
    movesBefore_ = CallCounts().MoveSelectedMessages;
    return true;
  });
  Add("", Pause(500));
  Add("photograph the dialog", [this, shot](int) {
    Shot(shot);
    return true;
  });
  Add(std::string("press \"") + button + "\"", [button](int) {
    HWND dialog = SelectDialog();
    HWND b = dialog ? Child(dialog, "BUTTON", button) : nullptr;
    if (!b)
      return false;
    SendMessageA(b, BM_CLICK, 0, 0);
    return true;
  });
  Add("the folder dialog has closed", [](int) { return SelectDialog() == nullptr; }, 5000);
}

void Tour::Build() {
  const std::string data = store_.DataFolder();

  Add("the main window shows the inbox", [this](int elapsed) {
    if (!IsWindowVisible(window_.Handle()) || elapsed < 800)
      return false;
    Check(window_.CurrentFolder() == InboxID, std::string("current folder ") + InboxID);
    Check(window_.ShownMessages().size() == 10, "the inbox lists 10 messages (" +
                                                    std::to_string(window_.ShownMessages().size()) + ")");
    Shot("main");
    return true;
  });

  // 1. Move two messages into a subfolder.
  Add("select two messages", [this](int) {
    window_.SelectMessages({0, 1});
    picked_ = window_.SelectedFiles();
    return Check(picked_.size() == 2, "two messages selected");
  });
  AddMenuSteps(MenuTypeMailList, "mail-list-menu", true, 0, true);
  AddDialogSteps(FamilyPath, "move-dialog", MoveCaption, "");
  Add("the two messages were moved", [this, data](int) {
    Check(CallCounts().MoveSelectedMessages == movesBefore_ + 1, "the plug-in asked the host once to move");
    for (const std::string &f : picked_) {
      Check(IsFile(data + FamilyID + f), f + " is now in " + FamilyID);
      Check(!IsFile(data + InboxID + f), f + " is no longer in " + InboxID);
    }
    Check(window_.ShownMessages().size() == 8, "the inbox lists 8 messages");
    return true;
  });
  Add("", Pause(300));
  Add("photograph the inbox after the move", [this](int) {
    Shot("after-move");
    return true;
  });
  Add("open the destination folder", [this](int) {
    Check(window_.OpenFolder(FamilyID), std::string("open ") + FamilyID);
    Check(window_.ShownMessages().size() == 4, "it lists 4 messages (2 + 2 moved)");
    return true;
  });
  Add("", Pause(400));
  Add("photograph the destination", [this](int) {
    Shot("moved-here");
    window_.OpenFolder(InboxID);
    return true;
  });

  // 2. Copy one message into a folder of another mailbox.
  Add("select one message", [this](int) {
    window_.SelectMessages({0});
    picked_ = window_.SelectedFiles();
    return Check(picked_.size() == 1, "one message selected");
  });
  AddMenuSteps(MenuTypeMailList, "", true, 0, true);
  AddDialogSteps(SchedulePath, "copy-dialog", CopyCaption, "");
  Add("the message was copied", [this, data](int) {
    Check(CallCounts().MoveSelectedMessages == movesBefore_ + 1, "the plug-in asked the host once to copy");
    for (const std::string &f : picked_) {
      Check(IsFile(data + ScheduleID + f), f + " is now in " + ScheduleID);
      Check(IsFile(data + InboxID + f), f + " is still in " + InboxID);
      Check(ReadWholeFile(data + ScheduleID + f) == ReadWholeFile(data + InboxID + f), "the copy is identical");
    }
    Check(window_.ShownMessages().size() == 8, "the inbox still lists 8 messages");
    return true;
  });

  // The host's own rule: a folder identifier that names no folder of its
  // data folder moves nothing. Called through the export, as the plug-in
  // calls it.
  Add("the host moves nothing into a folder it does not have", [this, data](int) {
    typedef int(__stdcall * MoveFn)(const char *, int);
    const MoveFn move =
        reinterpret_cast<MoveFn>(GetProcAddress(GetModuleHandleA(nullptr), "LVA_MoveSelectedMessages"));
    if (!Check(move != nullptr, "the program exports LVA_MoveSelectedMessages"))
      return true;
    window_.SelectMessages({0});
    const std::vector<std::string> files = window_.SelectedFiles();
    const char *const unknown[] = {
        "",                                // nothing
        "Nowhere.mb\\",                   // no such mailbox
        "Private.mb\\Nowhere\\",           // no such folder
        "Private.mb\\..\\Work.mb\\",        // a way out of the mailbox
        "Private.mb\\隠しフォルダ\\",       // hidden
        "Private.mb\\!!!!Inbox\\#Attach\\", // the host's own
        "Private.mb\\!!!!Inbox",            // no closing separator
        "Z:\\",                            // not relative
        "Private.mb\\!!!!Inbox\\",          // where they already are
    };
    for (const char *id : unknown)
      for (int flag : {0, -1})
        Check(move(id, flag) == 0, std::string("LVA_MoveSelectedMessages(\"") + id + "\", " + std::to_string(flag) +
                                       ") does nothing");
    for (const std::string &f : files)
      Check(IsFile(data + InboxID + f), f + " is still in " + InboxID);
    Check(window_.ShownMessages().size() == 8, "the inbox still lists 8 messages");
    return true;
  });

  // 3. The message view's menu has no item by default.
  AddMenuSteps(MenuTypeMessageView, "view-menu-default", false, 0, false);

  // 4. The setup: keep the chosen folder, add to the view's menu, append to
  // the list's menu.
  Add("open the plug-in's setup", [this](int) {
    PostMessageA(window_.Handle(), WM_COMMAND, CmdPlugInSetup, 0);
    return true;
  });
  Add("the setup dialog is open", [this](int) {
    HWND setup = ThreadWindow(SetupCaption);
    if (!setup)
      return false;
    Check(!Checked(Child(setup, "BUTTON", "前回選択したフォルダを開く")), "\"open the folder chosen last\" is off");
    Check(Checked(Child(setup, "BUTTON", "メールリストのコンテキストメニューに追加する")), "\"mail list menu\" is on");
    Check(!Checked(Child(setup, "BUTTON", "メール本文表示のコンテキストメニューに追加する")), "\"message view menu\" is off");
    Check(Checked(Child(setup, "BUTTON", "先頭に追加")), "mail list: \"at the top\"");
    return true;
  });
  Add("", Pause(500));
  Add("photograph the setup", [this](int) {
    Shot("setup");
    return true;
  });
  Add("change three values", [this](int) {
    HWND setup = ThreadWindow(SetupCaption);
    if (!setup)
      return false;
    SendMessageA(Child(setup, "BUTTON", "前回選択したフォルダを開く"), BM_CLICK, 0, 0);
    SendMessageA(Child(setup, "BUTTON", "メール本文表示のコンテキストメニューに追加する"), BM_CLICK, 0, 0);
    SendMessageA(Child(setup, "BUTTON", "末尾に追加"), BM_CLICK, 0, 0); // the upper group: the mail list's
    Check(Checked(Child(setup, "BUTTON", "前回選択したフォルダを開く")), "\"open the folder chosen last\" checked");
    Check(Checked(Child(setup, "BUTTON", "メール本文表示のコンテキストメニューに追加する")), "\"message view menu\" checked");
    Check(Checked(Child(setup, "BUTTON", "末尾に追加")), "mail list: \"at the end\" chosen");
    return true;
  });
  Add("", Pause(400));
  Add("photograph the changed setup", [this](int) {
    Shot("setup-changed");
    return true;
  });
  Add("press OK", [](int) {
    HWND setup = ThreadWindow(SetupCaption);
    HWND ok = setup ? Child(setup, "BUTTON", "OK") : nullptr;
    if (!ok)
      return false;
    SendMessageA(ok, BM_CLICK, 0, 0);
    return true;
  });
  Add("the setup has closed and written its settings", [this](int) {
    if (ThreadWindow(SetupCaption))
      return false;
    Check(IsFile(iniPath_), "the settings file " + iniPath_ + " exists");
    const struct {
      const char *Section, *Key, *Value;
    } expected[] = {{"Current", "Mode", "1"}, {"Menu", "MList", "1"}, {"Menu", "MListTop", "1"},
                    {"Menu", "MView", "1"},   {"Menu", "MViewTop", "0"}};
    for (const auto &e : expected) {
      const std::string value = IniValue(iniPath_, e.Section, e.Key);
      Check(value == e.Value, std::string("[") + e.Section + "] " + e.Key + " = " + e.Value + " (" + value + ")");
    }
    return true;
  }, 5000);

  // 5. The changes show at the next menu: the list's item goes last, the
  // view's menu has one first, and the dialog opens on the folder chosen
  // last from this mailbox.
  Add("select a message", [this](int) {
    window_.SelectMessages({1});
    return true;
  });
  AddMenuSteps(MenuTypeMailList, "mail-list-menu-end", true, -1, false);
  AddMenuSteps(MenuTypeMessageView, "view-menu", true, 0, true);
  AddDialogSteps(SchedulePath, "remembered-folder", CancelCaption, SchedulePath);
  Add("cancel moved nothing", [this](int) {
    Check(CallCounts().MoveSelectedMessages == movesBefore_, "no move or copy after Cancel");
    Check(window_.ShownMessages().size() == 8, "the inbox still lists 8 messages");
    return true;
  });

  // 6. The about box shows the plug-in's information block.
  Add("open the about box", [this](int) {
    PostMessageA(window_.Handle(), WM_COMMAND, CmdPlugInInfo, 0);
    return true;
  });
  Add("the about box shows the plug-in's information", [this](int) {
    HWND box = ThreadWindow(AboutCaption);
    if (!box)
      return false;
    std::string text;
    for (HWND s = FindWindowExA(box, nullptr, "Static", nullptr); s; s = FindWindowExA(box, s, "Static", nullptr))
      text += Text(s) + "\n";
    for (const char *field : {"名前: Lumivox! Parcelon plug-in\r", "作者: Halverin\r", "バージョン: 1.2\r",
                              "説明: メールの移動／コピー.\r"})
      Check(text.find(field) != std::string::npos,
            "the about box says \"" + std::string(field, strlen(field) - 1) + "\"");
    return true;
  });
  Add("", Pause(400));
  Add("photograph the about box", [this](int) {
    Shot("about");
    return true;
  });
  Add("close the about box", [](int) {
    HWND box = ThreadWindow(AboutCaption);
    if (box)
      PostMessageA(box, WM_COMMAND, IDOK, 0);
    return box == nullptr;
  }, 5000);

  Add("finish", [this](int) {
    const HostCallCounts c = CallCounts();
    Log("tour: the plug-in called LVA_RegisterCommand %d times, LVA_GetDataFolder %d, LVA_GetCurrentMailBox %d, "
        "LVA_GetFolderDisplayName %d, LVA_MoveSelectedMessages %d, other host functions %d",
        c.RegisterCommand, c.GetDataFolder, c.GetCurrentMailBox, c.GetFolderDisplayName, c.MoveSelectedMessages,
        c.Stubs);
    Check(c.Stubs == 0, "the plug-in called none of the 49 functions it does not use");
    Log("tour: %s: %d checks, %d failed, %d screenshots, %.1f s", failures_ ? "FAILED" : "passed", checks_,
        failures_, shots_, (GetTickCount() - started_) / 1000.0);
    finished_ = true;
    KillTimer(nullptr, timer_);
    timer_ = 0;
    PostMessageA(window_.Handle(), WM_CLOSE, 0, 0);
    return true;
  });
}

} // namespace demo
