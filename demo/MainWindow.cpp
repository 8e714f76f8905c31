#include "demo/MainWindow.h"

#include "demo/Log.h"

#include <commctrl.h>

#include <algorithm>

namespace demo {

const char AboutCaption[] = "プラグインの情報";

namespace {

const char WindowClass[] = "ParcelonDemoHost";
const char WindowTitle[] = "Lumivox デモ - Parcelon プラグイン";
const int TreeWidth = 240;
const int Gap = 4;

enum ChildId : int { IdTree = 1, IdList, IdView, IdStatus };

HMENU MakeMainMenu() {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenuA(file, MF_STRING, CmdRefresh, "最新の情報に更新(&R)");
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(file, MF_STRING, CmdExit, "終了(&X)");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "ファイル(&F)");
  HMENU mail = CreatePopupMenu();
  AppendMenuA(mail, MF_STRING, CmdSelectAll, "すべて選択(&A)");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(mail), "メール(&M)");
  HMENU tools = CreatePopupMenu();
  AppendMenuA(tools, MF_STRING, CmdPlugInSetup, "プラグインの設定(&S)...");
  AppendMenuA(tools, MF_STRING, CmdPlugInInfo, "プラグインの情報(&A)...");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(tools), "ツール(&T)");
  return bar;
}

std::string MenuText(HMENU menu) {
  std::string text;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    char item[256] = "";
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = item;
    info.cch = sizeof item;
    GetMenuItemInfoA(menu, i, TRUE, &info);
    if (!text.empty())
      text += " | ";
    text += (info.fType & MFT_SEPARATOR) ? std::string("----") : std::string(item) + " #" + std::to_string(info.wID);
  }
  return text;
}

} // namespace

MainWindow::MainWindow(MailStore &store, Plugin &plugin) : store_(store), plugin_(plugin) {}

MainWindow::~MainWindow() {
  if (hwnd_)
    DestroyWindow(hwnd_);
  if (font_)
    DeleteObject(font_);
}

bool MainWindow::Create(int showCommand) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &MainWindow::WindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = WindowClass;
  RegisterClassExA(&wc);
  font_ = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "ＭＳ Ｐゴシック");
  // Centred on the primary screen, where the plug-in centres its dialogs.
  const int width = 960, height = 640;
  const int left = std::max(0, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  const int top = std::max(0, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);
  hwnd_ = CreateWindowExA(0, WindowClass, WindowTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, left, top, width,
                          height, nullptr, MakeMainMenu(), GetModuleHandleA(nullptr), this);
  if (!hwnd_)
    return false;
  SetHostServices(this);
  ShowWindow(hwnd_, showCommand);
  UpdateWindow(hwnd_);
  return true;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto *self = static_cast<MainWindow *>(reinterpret_cast<CREATESTRUCTA *>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto *self = reinterpret_cast<MainWindow *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!self)
    return DefWindowProcA(hwnd, msg, wParam, lParam);
  try {
    return self->HandleMessage(msg, wParam, lParam);
  } catch (...) {
    Log("error: while handling message 0x%04X", msg);
    return 0;
  }
}

// The message view hands its context menu to the host window, like the
// host's own view, instead of showing the edit control's menu.
LRESULT CALLBACK MainWindow::ViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto *self = reinterpret_cast<MainWindow *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_CONTEXTMENU)
    return SendMessageA(GetParent(hwnd), msg, wParam, lParam);
  return CallWindowProcA(self->viewProc_, hwnd, msg, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
  case WM_CREATE:
    OnCreate();
    return 0;
  case WM_SIZE:
    Layout();
    return 0;
  case WM_COMMAND:
    // A registered plug-in command first: the identifiers the host handed
    // out are the menu items' identifiers.
    if (!RunCommand(LOWORD(wParam), hwnd_))
      OnCommand(LOWORD(wParam));
    return 0;
  case WM_NOTIFY:
    OnNotify(*reinterpret_cast<const NMHDR *>(lParam));
    return 0;
  case WM_CONTEXTMENU:
    OnContextMenu(reinterpret_cast<HWND>(wParam), static_cast<short>(LOWORD(lParam)),
                  static_cast<short>(HIWORD(lParam)));
    return 0;
  case WM_CLOSE:
    DestroyWindow(hwnd_);
    return 0;
  case WM_DESTROY:
    SetHostServices(nullptr);
    hwnd_ = nullptr;
    PostQuitMessage(0);
    return 0;
  default:
    return DefWindowProcA(hwnd_, msg, wParam, lParam);
  }
}

void MainWindow::OnCreate() {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  tree_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                              TVS_SHOWSELALWAYS,
                          0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(IdTree), instance, nullptr);
  list_ = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 0, 0, hwnd_,
                          reinterpret_cast<HMENU>(IdList), instance, nullptr);
  view_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                              ES_AUTOVSCROLL,
                          0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(IdView), instance, nullptr);
  status_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, hwnd_,
                            reinterpret_cast<HMENU>(IdStatus), instance, nullptr);
  for (HWND h : {tree_, list_, view_, status_})
    SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  SetWindowLongPtrA(view_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  viewProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(view_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWindow::ViewProc)));

  SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
  struct Column {
    const char *Caption;
    int Width;
  };
  const Column columns[] = {{"件名", 250}, {"差出人", 200}, {"日付", 190}, {"ファイル", 70}};
  for (int i = 0; i < 4; ++i) {
    LVCOLUMNA c = {};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.pszText = const_cast<char *>(columns[i].Caption);
    c.cx = columns[i].Width;
    c.iSubItem = i;
    SendMessageA(list_, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&c));
  }
  FillTree();
}

void MainWindow::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  SendMessageA(status_, WM_SIZE, 0, 0);
  RECT bar;
  GetWindowRect(status_, &bar);
  const int statusHeight = bar.bottom - bar.top;
  const int parts[2] = {client.right * 45 / 100, -1};
  SendMessageA(status_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  const int height = std::max(0, static_cast<int>(client.bottom) - statusHeight);
  const int right = client.right - TreeWidth - Gap;
  const int listHeight = height * 55 / 100;
  MoveWindow(tree_, 0, 0, TreeWidth, height, TRUE);
  MoveWindow(list_, TreeWidth + Gap, 0, right, listHeight, TRUE);
  MoveWindow(view_, TreeWidth + Gap, listHeight + Gap, right, std::max(0, height - listHeight - Gap), TRUE);
}

std::string MainWindow::FolderCaption(const std::string &folderID, const std::string &name) const {
  const size_t n = store_.Messages(folderID).size();
  return n ? name + " (" + std::to_string(n) + ")" : name;
}

void MainWindow::AddTreeItems(HTREEITEM parent, const std::vector<FolderInfo> &folders) {
  for (const FolderInfo &f : folders) {
    const std::string caption = FolderCaption(f.ID, f.Name);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM;
    insert.item.pszText = const_cast<char *>(caption.c_str());
    insert.item.lParam = static_cast<LPARAM>(treeEntries_.size());
    treeEntries_.push_back({f.ID, f.Name, nullptr});
    HTREEITEM item =
        reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    treeEntries_[insert.item.lParam].Item = item;
    AddTreeItems(item, f.Children);
    if (parent == TVI_ROOT || SplitFolderID(f.ID).size() <= 2)
      SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  }
}

void MainWindow::FillTree() {
  SendMessageA(tree_, WM_SETREDRAW, FALSE, 0);
  SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  treeEntries_.clear();
  const std::vector<FolderInfo> boxes = store_.MailBoxes();
  AddTreeItems(TVI_ROOT, boxes);
  SendMessageA(tree_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree_, nullptr, TRUE);
  // Start in the first mailbox's inbox, or the first mailbox.
  std::string start = boxes.empty() ? std::string() : boxes[0].ID;
  if (!boxes.empty() && IsDirectory(store_.DataFolder() + boxes[0].ID + "!!!!Inbox\\"))
    start = boxes[0].ID + "!!!!Inbox\\";
  if (!OpenFolder(start))
    SetStatus("フォルダがありません: " + store_.DataFolder(), "");
}

void MainWindow::UpdateTreeCounts() {
  for (const TreeEntry &e : treeEntries_) {
    const std::string caption = FolderCaption(e.ID, e.Name);
    TVITEMA item = {};
    item.mask = TVIF_TEXT;
    item.hItem = e.Item;
    item.pszText = const_cast<char *>(caption.c_str());
    SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
}

bool MainWindow::OpenFolder(const std::string &folderID) {
  auto entry = std::find_if(treeEntries_.begin(), treeEntries_.end(),
                            [&](const TreeEntry &e) { return e.ID == folderID; });
  if (entry == treeEntries_.end())
    return false;
  // Set first, so that the tree's selection notice finds the folder open.
  current_ = folderID;
  if (SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0) != reinterpret_cast<LRESULT>(entry->Item))
    SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(entry->Item));
  messages_ = store_.Messages(folderID);
  SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < messages_.size(); ++i) {
    const MessageInfo &m = messages_[i];
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char *>(m.Subject.c_str());
    item.lParam = static_cast<LPARAM>(i);
    SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    const std::string *columns[] = {&m.From, &m.Date, &m.File};
    for (int c = 0; c < 3; ++c) {
      item.mask = LVIF_TEXT;
      item.iSubItem = c + 1;
      item.pszText = const_cast<char *>(columns[c]->c_str());
      SendMessageA(list_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
  }
  SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
  SetWindowTextA(view_, "");
  std::string where = FolderDisplayName(folderID);
  SetStatus(where + " - " + std::to_string(messages_.size()) + " 通", "");
  return true;
}

void MainWindow::SelectMessages(const std::vector<int> &rows) {
  LVITEMA state = {};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = 0;
  SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  for (size_t i = 0; i < rows.size(); ++i) {
    state.state = LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0);
    SendMessageA(list_, LVM_SETITEMSTATE, rows[i], reinterpret_cast<LPARAM>(&state));
  }
  if (!rows.empty())
    SendMessageA(list_, LVM_ENSUREVISIBLE, rows[0], FALSE);
  SetFocus(list_);
}

std::vector<std::string> MainWindow::SelectedFiles() const {
  std::vector<std::string> files;
  int row = -1;
  while ((row = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0)
    if (static_cast<size_t>(row) < messages_.size())
      files.push_back(messages_[row].File);
  return files;
}

void MainWindow::ShowMessage() {
  const int row = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  if (row < 0 || static_cast<size_t>(row) >= messages_.size()) {
    SetWindowTextA(view_, "");
    return;
  }
  SetWindowTextA(view_, store_.MessageText(current_, messages_[row].File).c_str());
}

void MainWindow::SetStatus(const std::string &left, const std::string &right) {
  SendMessageA(status_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(left.c_str()));
  SendMessageA(status_, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(right.c_str()));
}

void MainWindow::OnNotify(const NMHDR &header) {
  if (header.hwndFrom == tree_ && header.code == TVN_SELCHANGEDA) {
    const auto &change = reinterpret_cast<const NMTREEVIEWA &>(header);
    const size_t index = static_cast<size_t>(change.itemNew.lParam);
    if (index < treeEntries_.size() && treeEntries_[index].ID != current_)
      OpenFolder(treeEntries_[index].ID);
  } else if (header.hwndFrom == list_ && header.code == LVN_ITEMCHANGED) {
    const auto &change = reinterpret_cast<const NMLISTVIEW &>(header);
    if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_FOCUSED))
      ShowMessage();
  }
}

void MainWindow::OnCommand(int id) {
  switch (id) {
  case CmdExit:
    PostMessageA(hwnd_, WM_CLOSE, 0, 0);
    break;
  case CmdRefresh:
    FillTree();
    break;
  case CmdSelectAll: {
    std::vector<int> rows;
    for (size_t i = 0; i < messages_.size(); ++i)
      rows.push_back(static_cast<int>(i));
    SelectMessages(rows);
    break;
  }
  case CmdCopyText:
    SendMessageA(view_, WM_COPY, 0, 0);
    break;
  case CmdSelectAllText:
    SendMessageA(view_, EM_SETSEL, 0, -1);
    break;
  case CmdPlugInSetup:
    plugin_.PlugInSetup(hwnd_);
    break;
  case CmdPlugInInfo:
    ShowAbout();
    break;
  default:
    break;
  }
}

void MainWindow::OnContextMenu(HWND from, int x, int y) {
  int menuType;
  if (from == list_)
    menuType = MenuTypeMailList;
  else if (from == view_)
    menuType = MenuTypeMessageView;
  else
    return;
  if (x == -1 && y == -1) { // from the keyboard: below the focused message, or the control's corner
    RECT r;
    GetWindowRect(from, &r);
    x = r.left + 24;
    y = r.top + 24;
    const int row = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    RECT item = {LVIR_LABEL, 0, 0, 0};
    if (from == list_ && row >= 0 && SendMessageA(list_, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item))) {
      POINT p = {item.left + 16, item.bottom};
      ClientToScreen(list_, &p);
      x = p.x;
      y = p.y;
    }
  }
  HMENU menu = CreatePopupMenu();
  if (menuType == MenuTypeMailList) {
    AppendMenuA(menu, MF_STRING | MF_GRAYED, CmdHostOnly, "開く(&O)");
    AppendMenuA(menu, MF_STRING | MF_GRAYED, CmdHostOnly, "返信(&R)");
    AppendMenuA(menu, MF_STRING | MF_GRAYED, CmdHostOnly, "転送(&F)");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, CmdSelectAll, "すべて選択(&A)");
  } else {
    AppendMenuA(menu, MF_STRING, CmdCopyText, "コピー(&C)");
    AppendMenuA(menu, MF_STRING, CmdSelectAllText, "すべて選択(&A)");
  }
  plugin_.MenuInit(hwnd_, menu, menuType);
  Log("host: %s context menu: %s", menuType == MenuTypeMailList ? "mail-list" : "message-view",
      MenuText(menu).c_str());
  trackedMenu_ = menu;
  trackedMenuType_ = menuType;
  // The chosen item arrives as WM_COMMAND with its identifier.
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, x, y, 0, hwnd_, nullptr);
  trackedMenu_ = nullptr;
  trackedMenuType_ = 0;
  DestroyMenu(menu);
}

void MainWindow::ShowAbout() {
  PlugInInfoBlock block;
  memset(&block, 0, sizeof block);
  plugin_.PlugInInfo(block);
  const std::string text = "名前: " + InfoField(block.Name) + "\r\n作者: " + InfoField(block.Vendor) +
                           "\r\nバージョン: " + InfoField(block.Version) + "\r\n説明: " + InfoField(block.Description) +
                           "\r\n\r\n" + plugin_.Path();
  MessageBoxA(hwnd_, text.c_str(), AboutCaption, MB_OK | MB_ICONINFORMATION);
}

// --- HostServices ----------------------------------------------------------------

std::string MainWindow::DataFolder() { return store_.DataFolder(); }

std::string MainWindow::CurrentMailBox() {
  const std::vector<std::string> steps = SplitFolderID(current_);
  return steps.empty() ? std::string() : steps[0];
}

std::string MainWindow::FolderDisplayName(const std::string &folderID) { return store_.DisplayName(folderID); }

int MainWindow::MoveSelectedMessages(const std::string &folderID, bool copy) {
  const std::vector<std::string> files = SelectedFiles();
  if (!store_.IsFolder(folderID)) {
    Log("host: \"%s\" is not a folder of %s; the messages stay where they are", folderID.c_str(),
        store_.DataFolder().c_str());
    SetStatus(FolderDisplayName(current_) + " - " + std::to_string(messages_.size()) + " 通",
              "不明なフォルダです: " + folderID);
    return 0;
  }
  std::string names;
  for (const std::string &f : files)
    names += (names.empty() ? "" : ", ") + f;
  const int done = store_.Transfer(current_, files, folderID, copy);
  Log("host: %s %d of %d selected message(s) [%s] from \"%s\" to \"%s\"", copy ? "copied" : "moved", done,
      static_cast<int>(files.size()), names.c_str(), current_.c_str(), folderID.c_str());
  OpenFolder(current_);
  UpdateTreeCounts();
  SetStatus(FolderDisplayName(current_) + " - " + std::to_string(messages_.size()) + " 通",
            std::to_string(done) + " 通を" + FolderDisplayName(folderID) + (copy ? "にコピーしました" : "に移動しました"));
  return done;
}

} // namespace demo
