// Reading and driving the plug-in's dialogs from outside, the way a user
// (or an accessibility tool) sees them: by window class and caption.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "tests/support/TestSupport.h"

#include <string>
#include <vector>

namespace driver {

// Shift-JIS captions of the dialogs and their controls.
extern const char SelectCaption[];  // "Parcelon"
extern const char SetupCaption[];   // "設定"
extern const char MoveCaption[];    // "移動(&M)"
extern const char CopyCaption[];    // "コピー(&C)"
extern const char CancelCaption[];  // "キャンセル"

HWND Button(HWND dialog, const char *caption);
HWND Tree(HWND dialog);
void Click(HWND button); // BM_CLICK, sent

struct TreeItem {
  HTREEITEM Item;
  int Depth;
  std::string Caption;
  int Image;
  int SelectedImage;
};
// Every item in flat order (pre-order, collapsed ones included).
std::vector<TreeItem> Items(HWND tree);
// The item whose captions from the top level down are `path` ("a/b/c").
HTREEITEM FindItem(HWND tree, const std::string &path);
void Select(HWND tree, HTREEITEM item);
// The caption path of the selected item, or "" when none is selected.
std::string SelectedPath(HWND tree);

RECT WindowRect(HWND hwnd);
// A child's rectangle in its parent's client coordinates.
RECT ClientRectOf(HWND child);

// Posts a key press to the focused window, as the keyboard would.
void PostKey(UINT vk);
// Alt+letter, as the system sends it.
void PostAltChar(HWND dialog, char letter);

// Adds `presses` Tab presses to a script, each followed (on the next tick)
// by noting the window that has the focus into `focus`.
void AddTabPresses(testing_support::ModalScript &script, int presses, std::vector<HWND> &focus);

// The first message box of this thread ("#32770" with a static text), its text.
HWND FindMessageBox();
std::string MessageBoxText(HWND box);

} // namespace driver
