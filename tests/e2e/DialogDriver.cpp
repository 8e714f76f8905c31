#include "tests/e2e/DialogDriver.h"

#include "tests/support/TestSupport.h"

namespace driver {

const char SelectCaption[] = "Parcelon";
const char SetupCaption[] = "\x90\xdd\x92\xe8";
const char MoveCaption[] = "\x88\xda\x93\xae(&M)";
const char CopyCaption[] = "\x83\x52\x83\x73\x81\x5b(&C)";
const char CancelCaption[] = "\x83\x4c\x83\x83\x83\x93\x83\x5a\x83\x8b";

HWND Button(HWND dialog, const char *caption) { return FindWindowExA(dialog, nullptr, "Button", caption); }

HWND Tree(HWND dialog) { return FindWindowExA(dialog, nullptr, WC_TREEVIEWA, nullptr); }

void Click(HWND button) { SendMessageA(button, BM_CLICK, 0, 0); }

static void Collect(HWND tree, HTREEITEM item, int depth, std::vector<TreeItem> &out) {
  for (; item; item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT,
                                                               reinterpret_cast<LPARAM>(item)))) {
    char text[4096] = "";
    TVITEMA it = {};
    it.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    it.hItem = item;
    it.pszText = text;
    it.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
    out.push_back({item, depth, text, it.iImage, it.iSelectedImage});
    Collect(tree,
            reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))),
            depth + 1, out);
  }
}

std::vector<TreeItem> Items(HWND tree) {
  std::vector<TreeItem> out;
  Collect(tree, reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), 0, out);
  return out;
}

static std::string PathOf(const std::vector<TreeItem> &items, size_t index) {
  std::string path = items[index].Caption;
  int depth = items[index].Depth;
  for (size_t i = index; i-- > 0;) {
    if (items[i].Depth == depth - 1) {
      path = items[i].Caption + "/" + path;
      --depth;
    }
  }
  return path;
}

HTREEITEM FindItem(HWND tree, const std::string &path) {
  std::vector<TreeItem> items = Items(tree);
  for (size_t i = 0; i < items.size(); ++i)
    if (PathOf(items, i) == path)
      return items[i].Item;
  return nullptr;
}

void Select(HWND tree, HTREEITEM item) {
  SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

std::string SelectedPath(HWND tree) {
  HTREEITEM selected = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!selected)
    return "";
  std::vector<TreeItem> items = Items(tree);
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].Item == selected)
      return PathOf(items, i);
  return "?";
}

RECT WindowRect(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return r;
}

RECT ClientRectOf(HWND child) {
  RECT r = WindowRect(child);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT *>(&r), 2);
  return r;
}

void PostKey(UINT vk) {
  HWND focus = GetFocus();
  PostMessageA(focus, WM_KEYDOWN, vk, 1);
  PostMessageA(focus, WM_KEYUP, vk, 0xC0000001);
}

void PostAltChar(HWND dialog, char letter) {
  HWND focus = GetFocus();
  PostMessageA(focus ? focus : dialog, WM_SYSCHAR, static_cast<unsigned char>(letter), 0x20000001);
}

void AddTabPresses(testing_support::ModalScript &script, int presses, std::vector<HWND> &focus) {
  for (int i = 0; i < presses; ++i) {
    script.Then([] {
      PostKey(VK_TAB);
      return true;
    });
    script.Then([&focus] {
      focus.push_back(GetFocus());
      return true;
    });
  }
}

static BOOL CALLBACK FindBox(HWND hwnd, LPARAM out) {
  char cls[64] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  if (IsWindowVisible(hwnd) && std::string(cls) == "#32770") {
    *reinterpret_cast<HWND *>(out) = hwnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindMessageBox() {
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&box));
  return box;
}

std::string MessageBoxText(HWND box) {
  // The message is the static control with the longest text.
  std::string best;
  for (HWND c = FindWindowExA(box, nullptr, "Static", nullptr); c; c = FindWindowExA(box, c, "Static", nullptr)) {
    std::string t = testing_support::WindowText(c);
    if (t.size() > best.size())
      best = t;
  }
  return best;
}

} // namespace driver
