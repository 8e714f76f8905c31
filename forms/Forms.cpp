#include "forms/Forms.h"

#include <algorithm>
#include <stdexcept>

namespace forms {
namespace {

const char FormClassName[] = "ParcelonForm";
const UINT WM_RELEASE_FORM = WM_APP + 0x51;

bool classRegistered = false;
std::vector<Form *> liveForms;

// GDI objects made while building an image: deleted on every path.
class Bitmap {
public:
  explicit Bitmap(HBITMAP handle) : handle_(handle) {
    if (!handle_)
      throw std::runtime_error("CreateBitmap failed");
  }
  ~Bitmap() { DeleteObject(handle_); }
  Bitmap(const Bitmap &) = delete;
  Bitmap &operator=(const Bitmap &) = delete;
  HBITMAP Handle() const { return handle_; }

private:
  HBITMAP handle_;
};

void EnsureClass() {
  if (classRegistered)
    return;
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &Form::WindowProcEntry;
  wc.cbWndExtra = DLGWINDOWEXTRA; // DefDlgProc keeps its state there
  wc.hInstance = CodeModule();
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = FormClassName;
  if (!RegisterClassExA(&wc))
    throw std::runtime_error("RegisterClassEx failed");
  classRegistered = true;
}

} // namespace

HINSTANCE CodeModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&CodeModule), &module);
  return module;
}

void Shutdown() {
  while (!liveForms.empty())
    delete liveForms.back(); // the destructor takes it off the list
  if (classRegistered) {
    UnregisterClassA(FormClassName, CodeModule());
    classRegistered = false;
  }
}

int LiveForms() { return static_cast<int>(liveForms.size()); }

// --- Font and image list -----------------------------------------------------------

Font::Font(const char *face, int height, BYTE charset)
    : handle_(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face)) {
  if (!handle_)
    throw std::runtime_error("CreateFont failed");
}

Font::~Font() { DeleteObject(handle_); }

bool ImageList::PaletteColour(char letter, COLORREF &colour) {
  static const COLORREF palette[16] = {
      RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
      RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
      RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
      RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
  int index = letter >= '0' && letter <= '9'   ? letter - '0'
              : letter >= 'A' && letter <= 'F' ? letter - 'A' + 10
                                               : -1;
  if (index < 0)
    return false;
  colour = palette[index];
  return true;
}

ImageList::ImageList(const std::vector<const char *const *> &images)
    : handle_(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, static_cast<int>(images.size()), 0)) {
  if (!handle_)
    throw std::runtime_error("ImageList_Create failed");
  try {
    for (const char *const *rows : images) {
      // Colour as a 32-bit top-down DIB; mask as a 1-bit bitmap whose set
      // bits are transparent.
      BITMAPINFO bi = {};
      bi.bmiHeader.biSize = sizeof bi.bmiHeader;
      bi.bmiHeader.biWidth = 16;
      bi.bmiHeader.biHeight = -16;
      bi.bmiHeader.biPlanes = 1;
      bi.bmiHeader.biBitCount = 32;
      bi.bmiHeader.biCompression = BI_RGB;
      void *bits = nullptr;
      Bitmap colour(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
      WORD maskRows[16] = {};
      DWORD *pixels = static_cast<DWORD *>(bits);
      for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
          COLORREF c = 0;
          char letter = rows[y][x];
          DWORD &pixel = pixels[y * 16 + x];
          if (PaletteColour(letter, c)) {
            pixel = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
          } else {
            pixel = 0;
            // Mask rows are words, most significant bit leftmost, bytes in
            // memory order.
            maskRows[y] |= static_cast<WORD>(x < 8 ? 0x80 >> x : 0x8000 >> (x - 8));
          }
        }
      }
      Bitmap mask(CreateBitmap(16, 16, 1, 1, maskRows));
      if (ImageList_Add(handle_, colour.Handle(), mask.Handle()) < 0)
        throw std::runtime_error("ImageList_Add failed");
    }
  } catch (...) {
    ImageList_Destroy(handle_);
    throw;
  }
}

ImageList::~ImageList() { ImageList_Destroy(handle_); }

int ImageList::Count() const { return ImageList_GetImageCount(handle_); }

// --- Controls ------------------------------------------------------------------------

Control::Control(Form &owner, const char *className, const char *caption, DWORD style, DWORD exStyle,
                 const Rect &bounds, unsigned anchors)
    : owner_(owner), handle_(nullptr), id_(owner.nextId_++), designed_(bounds), anchors_(anchors) {
  handle_ = CreateWindowExA(exStyle, className, caption, WS_CHILD | WS_VISIBLE | style, bounds.Left,
                            bounds.Top, bounds.Width, bounds.Height, owner.Handle(),
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id_)), CodeModule(), nullptr);
  if (!handle_)
    throw std::runtime_error("CreateWindowEx failed for a control");
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(owner.FontHandle()), FALSE);
}

Rect Control::Bounds() const {
  RECT r;
  GetWindowRect(handle_, &r);
  MapWindowPoints(nullptr, owner_.Handle(), reinterpret_cast<POINT *>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

PushButton::PushButton(Form &owner, const Rect &bounds, const char *caption, unsigned anchors, Role role)
    : Control(owner, "BUTTON", caption,
              WS_TABSTOP | WS_GROUP | (role == Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), 0, bounds,
              anchors) {
  if (role == Default) {
    owner.defaultButton_ = this;
    SendMessageA(owner.Handle(), DM_SETDEFID, Id(), 0);
  } else if (role == Cancel) {
    owner.cancelButton_ = this;
  }
}

void PushButton::Click() {
  if (OnClick)
    OnClick();
}

void PushButton::OnCommand(int code) {
  if (code == BN_CLICKED)
    Click();
}

CheckBox::CheckBox(Form &owner, const Rect &bounds, const char *caption, bool checked)
    : Control(owner, "BUTTON", caption, WS_TABSTOP | WS_GROUP | BS_AUTOCHECKBOX, 0, bounds, akLeft | akTop) {
  SetChecked(checked);
}

bool CheckBox::Checked() const { return SendMessageA(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CheckBox::SetChecked(bool checked) {
  SendMessageA(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

RadioGroup::RadioGroup(Form &owner, const Rect &bounds, const char *item0, const char *item1, int index)
    : Control(owner, "BUTTON", "", WS_GROUP | WS_CLIPSIBLINGS | BS_GROUPBOX, 0, bounds, akLeft | akTop), items_{} {
  // Two columns inside the frame, below the (empty) title line.
  const int columnWidth = (bounds.Width - 10) / 2;
  const char *captions[2] = {item0, item1};
  for (int i = 0; i < 2; ++i) {
    Rect r = {bounds.Left + 8 + i * columnWidth, bounds.Top + 14, columnWidth - 8, bounds.Height - 20};
    items_[i] = CreateWindowExA(0, "BUTTON", captions[i],
                                WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0),
                                r.Left, r.Top, r.Width, r.Height, owner.Handle(), nullptr, CodeModule(), nullptr);
    if (!items_[i])
      throw std::runtime_error("CreateWindowEx failed for a radio button");
    SendMessageA(items_[i], WM_SETFONT, reinterpret_cast<WPARAM>(owner.FontHandle()), FALSE);
  }
  // The frame goes below its items, so that painting it cannot cover them;
  // it takes no focus, so the tab order is unchanged.
  SetWindowPos(Handle(), items_[1], 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetItemIndex(index);
}

RadioGroup::~RadioGroup() = default;

int RadioGroup::ItemIndex() const {
  for (int i = 0; i < 2; ++i)
    if (SendMessageA(items_[i], BM_GETCHECK, 0, 0) == BST_CHECKED)
      return i;
  return -1;
}

void RadioGroup::SetItemIndex(int index) {
  index = std::min(std::max(index, -1), 1);
  for (int i = 0; i < 2; ++i)
    SendMessageA(items_[i], BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

// --- Tree view ---------------------------------------------------------------------------

TreeView::TreeView(Form &owner, const Rect &bounds, unsigned anchors, int indent)
    : Control(owner, WC_TREEVIEWA, "",
              WS_TABSTOP | WS_GROUP | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                  TVS_SHOWSELALWAYS,
              0, bounds, anchors) {
  SendMessageA(Handle(), TVM_SETINDENT, indent, 0);
  SetWindowLongPtrA(Handle(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  controlProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TreeView::SubclassProc)));
}

LRESULT CALLBACK TreeView::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  TreeView *self = reinterpret_cast<TreeView *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (msg == WM_SETFOCUS) {
    // The control selects its first item when it gains the focus with
    // nothing selected; the dialog must open with nothing chosen, so that
    // Enter alone cannot move mail into the first mailbox.
    self->gainingFocus_ = true;
    LRESULT r = CallWindowProcA(self->controlProc_, hwnd, msg, wParam, lParam);
    self->gainingFocus_ = false;
    return r;
  }
  if (msg == WM_NCDESTROY) {
    WNDPROC original = self->controlProc_;
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    return CallWindowProcA(original, hwnd, msg, wParam, lParam);
  }
  return CallWindowProcA(self->controlProc_, hwnd, msg, wParam, lParam);
}

TreeView::~TreeView() = default;

void TreeView::SetImages(const ImageList &images) {
  SendMessageA(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images.Handle()));
}

TreeView::Node *TreeView::Add(Node *parent, const std::string &caption, int image, int selectedImage,
                              void *data) {
  std::vector<Node *> &siblings = parent ? parent->Children : roots_;
  all_.push_back(std::make_unique<Node>());
  Node *node = all_.back().get();
  node->Parent = parent;
  node->Data = data;
  node->IndexInParent = siblings.size();
  try {
    siblings.push_back(node);
  } catch (...) {
    all_.pop_back();
    throw;
  }
  TVINSERTSTRUCTA is = {};
  is.hParent = parent ? parent->Item : TVI_ROOT;
  is.hInsertAfter = TVI_LAST;
  is.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  is.item.pszText = const_cast<char *>(caption.c_str());
  is.item.iImage = image;
  is.item.iSelectedImage = selectedImage;
  is.item.lParam = reinterpret_cast<LPARAM>(node);
  node->Item = reinterpret_cast<HTREEITEM>(SendMessageA(Handle(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&is)));
  if (!node->Item) {
    siblings.pop_back();
    all_.pop_back();
    throw std::runtime_error("the tree view refused an item");
  }
  cursor_ = nullptr;
  return node;
}

int CALLBACK TreeView::SortProc(LPARAM a, LPARAM b, LPARAM) {
  // The list is already in order; the control only follows it, so that
  // both agree even where the comparison calls two nodes equal.
  const Node *na = reinterpret_cast<const Node *>(a);
  const Node *nb = reinterpret_cast<const Node *>(b);
  return na->IndexInParent < nb->IndexInParent ? -1 : na->IndexInParent > nb->IndexInParent ? 1 : 0;
}

void TreeView::SortChildren(Node *parent) {
  std::vector<Node *> &children = parent ? parent->Children : roots_;
  if (children.size() < 2 || !compare_)
    return;
  auto less = [this](const Node *a, const Node *b) { return compare_(a, b, compareContext_) < 0; };
  if (std::is_sorted(children.begin(), children.end(), less))
    return; // nothing would move: spare the control a message
  std::stable_sort(children.begin(), children.end(), less);
  for (size_t i = 0; i < children.size(); ++i)
    children[i]->IndexInParent = i;
  TVSORTCB sort = {};
  sort.hParent = parent ? parent->Item : TVI_ROOT;
  sort.lpfnCompare = &TreeView::SortProc;
  sort.lParam = reinterpret_cast<LPARAM>(this);
  SendMessageA(Handle(), TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
  // Only positions inside the sorted subtree move; a walk that sorts each
  // node's children as it passes keeps its place.
  bool cursorInside = !parent;
  for (const Node *n = cursor_ ? cursor_->Parent : nullptr; n && !cursorInside; n = n->Parent)
    cursorInside = n == parent;
  if (cursorInside)
    cursor_ = nullptr;
}

TreeView::Node *TreeView::NextInFlatOrder(Node *node) const {
  if (!node->Children.empty())
    return node->Children.front();
  for (; node; node = node->Parent) {
    const std::vector<Node *> &siblings = node->Parent ? node->Parent->Children : roots_;
    if (node->IndexInParent + 1 < siblings.size())
      return siblings[node->IndexInParent + 1];
  }
  return nullptr;
}

TreeView::Node *TreeView::Item(int flatIndex) {
  if (flatIndex < 0 || flatIndex >= Count())
    return nullptr;
  if (!cursor_ || flatIndex < cursorIndex_) {
    cursor_ = roots_.front();
    cursorIndex_ = 0;
  }
  while (cursorIndex_ < flatIndex) {
    cursor_ = NextInFlatOrder(cursor_);
    ++cursorIndex_;
  }
  return cursor_;
}

TreeView::Node *TreeView::Selected() const {
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(Handle(), TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!item)
    return nullptr;
  TVITEMA it = {};
  it.mask = TVIF_HANDLE | TVIF_PARAM;
  it.hItem = item;
  if (!SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it)))
    return nullptr;
  return reinterpret_cast<Node *>(it.lParam);
}

void TreeView::Select(Node *node) {
  SendMessageA(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node ? node->Item : nullptr));
}

void TreeView::SetRedraw(bool on) {
  redraw_ = on;
  SendMessageA(Handle(), WM_SETREDRAW, on ? TRUE : FALSE, 0);
  if (on)
    RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TreeView::Clear() {
  const bool wasOn = redraw_;
  if (wasOn)
    SetRedraw(false);
  SendMessageA(Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  roots_.clear();
  all_.clear();
  cursor_ = nullptr;
  if (wasOn)
    SetRedraw(true);
}

bool TreeView::OnNotify(NMHDR *hdr, LRESULT &result) {
  if (hdr->code == TVN_SELCHANGINGA || hdr->code == TVN_SELCHANGINGW) {
    const NMTREEVIEWA *nm = reinterpret_cast<const NMTREEVIEWA *>(hdr);
    if (gainingFocus_ && !nm->itemOld.hItem) {
      result = TRUE; // refuse the automatic selection
      return true;
    }
  }
  return false;
}

// --- Form ----------------------------------------------------------------------------------

Form::Form(const Layout &layout)
    : font_("ＭＳ Ｐゴシック", -12, SHIFTJIS_CHARSET), minWidth_(layout.MinWidth),
      minHeight_(layout.MinHeight) {
  EnsureClass();
  RECT outer = {layout.Bounds.Left, layout.Bounds.Top, layout.Bounds.Left + layout.Bounds.Width,
                layout.Bounds.Top + layout.Bounds.Height};
  if (layout.ClientSized)
    AdjustWindowRectEx(&outer, layout.Style, FALSE, layout.ExStyle);
  liveForms.push_back(this);
  handle_ = CreateWindowExA(layout.ExStyle | WS_EX_CONTROLPARENT, FormClassName, layout.Caption,
                            layout.Style, outer.left, outer.top, outer.right - outer.left,
                            outer.bottom - outer.top, nullptr, nullptr, CodeModule(), this);
  if (!handle_) {
    liveForms.pop_back();
    throw std::runtime_error("CreateWindowEx failed for a form");
  }
  RECT client;
  GetClientRect(handle_, &client);
  designedClient_ = {client.right, client.bottom};
  constructing_ = false;
}

Form::~Form() {
  deleting_ = true;
  if (handle_)
    DestroyWindow(handle_); // children go with it
  liveForms.erase(std::remove(liveForms.begin(), liveForms.end(), this), liveForms.end());
}

LRESULT CALLBACK Form::WindowProcEntry(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // No exception may unwind into the system's frames: it would end the
  // host's process.
  try {
    if (msg == WM_NCCREATE) {
      Form *form = static_cast<Form *>(reinterpret_cast<CREATESTRUCTA *>(lParam)->lpCreateParams);
      form->handle_ = hwnd;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    Form *form = reinterpret_cast<Form *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!form)
      return DefDlgProcA(hwnd, msg, wParam, lParam);
    return form->Dispatch(msg, wParam, lParam);
  } catch (...) {
    return DefDlgProcA(hwnd, msg, wParam, lParam);
  }
}

LRESULT Form::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCDESTROY) {
    LRESULT r = DefDlgProcA(handle_, msg, wParam, lParam);
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    handle_ = nullptr;
    if (!deleting_ && !constructing_)
      delete this; // a released form ends here
    return r;
  }
  if (!deleting_) {
    LRESULT result = 0;
    if (HandleMessage(msg, wParam, lParam, result))
      return result;
  }
  return DefDlgProcA(handle_, msg, wParam, lParam);
}

bool Form::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT &result) {
  switch (msg) {
  case WM_COMMAND: {
    HWND from = reinterpret_cast<HWND>(lParam);
    int id = LOWORD(wParam);
    for (auto &c : controls_) {
      if (c->Handle() == from || (from == nullptr && c->Id() == id)) {
        c->OnCommand(HIWORD(wParam));
        return true;
      }
    }
    // The dialog keys: Esc gives IDCANCEL, Enter without a default IDOK.
    if (!from && id == IDCANCEL) {
      if (cancelButton_)
        cancelButton_->Click();
      return true;
    }
    if (!from && id == IDOK) {
      if (defaultButton_)
        defaultButton_->Click();
      return true;
    }
    return false;
  }
  case WM_NOTIFY: {
    NMHDR *hdr = reinterpret_cast<NMHDR *>(lParam);
    for (auto &c : controls_)
      if (c->Handle() == hdr->hwndFrom)
        return c->OnNotify(hdr, result);
    return false;
  }
  case WM_CLOSE:
    Close(); // never through the cancel button
    return true;
  case WM_SIZE:
    if (wParam != SIZE_MINIMIZED)
      ApplyAnchors();
    return false;
  case WM_GETMINMAXINFO: {
    MINMAXINFO *mmi = reinterpret_cast<MINMAXINFO *>(lParam);
    mmi->ptMinTrackSize.x = std::max<LONG>(mmi->ptMinTrackSize.x, minWidth_);
    mmi->ptMinTrackSize.y = std::max<LONG>(mmi->ptMinTrackSize.y, minHeight_);
    return true;
  }
  case WM_GETFONT:
    result = reinterpret_cast<LRESULT>(font_.Handle());
    return true;
  case WM_RELEASE_FORM:
    DestroyWindow(handle_);
    return true;
  default:
    return false;
  }
}

void Form::ApplyAnchors() {
  RECT client;
  GetClientRect(handle_, &client);
  const int dx = client.right - designedClient_.cx;
  const int dy = client.bottom - designedClient_.cy;
  for (auto &c : controls_) {
    Rect r = c->designed_;
    const unsigned a = c->anchors_;
    if (a & akRight) {
      if (a & akLeft)
        r.Width += dx;
      else
        r.Left += dx;
    }
    if (a & akBottom) {
      if (a & akTop)
        r.Height += dy;
      else
        r.Top += dy;
    }
    SetWindowPos(c->Handle(), nullptr, r.Left, r.Top, std::max(r.Width, 0), std::max(r.Height, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

Rect Form::GetBounds() const {
  RECT r;
  if (IsIconic(handle_)) {
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    GetWindowPlacement(handle_, &wp);
    r = wp.rcNormalPosition;
  } else {
    GetWindowRect(handle_, &r);
  }
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Form::SetBounds(const Rect &bounds) {
  SetWindowPos(handle_, nullptr, bounds.Left, bounds.Top, std::max(bounds.Width, minWidth_),
               std::max(bounds.Height, minHeight_), SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Center() {
  Rect r = GetBounds();
  int left = std::max((GetSystemMetrics(SM_CXSCREEN) - r.Width) / 2, 0);
  int top = std::max((GetSystemMetrics(SM_CYSCREEN) - r.Height) / 2, 0);
  SetWindowPos(handle_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::Close() {
  if (modal_)
    modalResult_ = mrCancel;
  else
    ShowWindow(handle_, SW_HIDE);
}

void Form::Release() { PostMessageA(handle_, WM_RELEASE_FORM, 0, 0); }

bool Form::PreTranslate(MSG &msg) {
  if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE) &&
      (msg.hwnd == handle_ || IsChild(handle_, msg.hwnd))) {
    // Enter and Esc are ours, and only without Shift, Ctrl or Alt.
    if (GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0)
      return false;
    if (msg.wParam == VK_ESCAPE) {
      if (cancelButton_)
        cancelButton_->Click();
      return true;
    }
    // The focused push button, or else the default button.
    PushButton *target = defaultButton_;
    for (auto &c : controls_)
      if (c->Handle() == GetFocus())
        if (PushButton *b = dynamic_cast<PushButton *>(c.get()))
          target = b;
    if (target)
      target->Click();
    return true;
  }
  // Tab order, arrow keys in radio groups and Alt+letter accelerators.
  return IsDialogMessageA(handle_, &msg) != FALSE;
}

namespace {

// The thread's other visible, enabled top-level windows, disabled while a
// form is shown modally and enabled again however the showing ends.
class DisabledWindows {
public:
  explicit DisabledWindows(HWND except) : except_(except) {
    EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(this));
    for (HWND h : windows_)
      EnableWindow(h, FALSE);
  }
  ~DisabledWindows() {
    for (HWND h : windows_)
      if (IsWindow(h))
        EnableWindow(h, TRUE);
  }
  DisabledWindows(const DisabledWindows &) = delete;
  DisabledWindows &operator=(const DisabledWindows &) = delete;

private:
  static BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
    DisabledWindows *self = reinterpret_cast<DisabledWindows *>(param);
    if (hwnd == self->except_ || !IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd))
      return TRUE;
    try {
      self->windows_.push_back(hwnd);
      return TRUE;
    } catch (...) {
      return FALSE; // out of memory: disable the ones found so far
    }
  }
  HWND except_;
  std::vector<HWND> windows_;
};

} // namespace

// Marks a form as shown modally for as long as it lives; hides it again at
// the end.
class Form::Showing {
public:
  explicit Showing(Form &form) : form_(form) { form_.modal_ = true; }
  ~Showing() {
    form_.modal_ = false;
    if (form_.handle_)
      ShowWindow(form_.handle_, SW_HIDE);
  }
  Showing(const Showing &) = delete;
  Showing &operator=(const Showing &) = delete;

private:
  Form &form_;
};

int Form::ShowModal() {
  if (modal_)
    throw std::logic_error("the form is already shown modally");
  if (position_ == ScreenCenter)
    Center();
  modalResult_ = mrNone;
  // However the showing ends, an exception from a handler included, the
  // other windows are enabled again (first, so that activation returns to
  // them) and the form is hidden.
  Showing showing(*this);
  DisabledWindows others(handle_);
  ShowWindow(handle_, SW_SHOWNORMAL);
  SetForegroundWindow(handle_);
  // Focus on the first control in tab order.
  if (HWND first = GetNextDlgTabItem(handle_, nullptr, FALSE))
    SendMessageA(handle_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);

  MSG msg;
  while (modalResult_ == mrNone) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam)); // leave WM_QUIT to the host's loop
      modalResult_ = mrCancel;
      break;
    }
    if (got < 0) {
      modalResult_ = mrCancel;
      break;
    }
    if (!PreTranslate(msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return modalResult_;
}

} // namespace forms
