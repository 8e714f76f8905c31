// A small form library over Win32: what the plug-in's two dialogs need and
// nothing more.
//
//   Form        a top-level window made hidden from a layout in pixels, shown
//               modally (other windows of the thread disabled, a nested
//               message loop with dialog keys: Tab, Enter on the focused or
//               default button, Esc on the cancel button, Alt+letter), closed
//               by setting a modal result, destroyed after Release() once the
//               posted request is delivered. Bounds can be read and set; a
//               minimum size clamps both the user's resizing and SetBounds;
//               anchors keep each control's distances to its anchored edges.
//   Control     a child window owned by its form: PushButton, CheckBox,
//               RadioGroup (two columns, no title, index -1/0/1), TreeView.
//   ImageList   an owned image list built from pixel rows.
//
// Forms are windows of a private dialog class (DefDlgProc does focus and
// default-button handling). The class is registered on first use and
// unregistered by Shutdown(), which the library calls when it is unloaded,
// after destroying every form still alive.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace forms {

enum Anchor : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };

enum ModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2 };

struct Rect {
  int Left, Top, Width, Height;
  bool operator==(const Rect &o) const {
    return Left == o.Left && Top == o.Top && Width == o.Width && Height == o.Height;
  }
};

// Destroys every form that still exists (released ones whose request was
// never delivered included) and unregisters the window class.
void Shutdown();

// The number of form objects alive, for leak checks.
int LiveForms();

// The module holding this code: the DLL, or a test program linking it.
HINSTANCE CodeModule();

class Form;

// Owning wrappers for GDI objects and image lists: not copyable.
class Font {
public:
  Font(const char *face, int height, BYTE charset);
  ~Font();
  Font(const Font &) = delete;
  Font &operator=(const Font &) = delete;
  HFONT Handle() const { return handle_; }

private:
  HFONT handle_;
};

class ImageList {
public:
  // Each image is 16 rows of 16 characters; each character names a colour
  // of the standard 16-colour palette (see Palette16) or '.' for
  // transparent.
  explicit ImageList(const std::vector<const char *const *> &images);
  ~ImageList();
  ImageList(const ImageList &) = delete;
  ImageList &operator=(const ImageList &) = delete;
  HIMAGELIST Handle() const { return handle_; }
  int Count() const;

  // The palette letters: 0 black, 1 maroon, 2 green, 3 olive, 4 navy,
  // 5 purple, 6 teal, 7 silver, 8 grey, 9 red, A lime, B yellow, C blue,
  // D fuchsia, E aqua, F white.
  static bool PaletteColour(char letter, COLORREF &colour);

private:
  HIMAGELIST handle_;
};

// --- Controls ------------------------------------------------------------------

class Control {
public:
  virtual ~Control() = default;
  Control(const Control &) = delete;
  Control &operator=(const Control &) = delete;

  HWND Handle() const { return handle_; }
  int Id() const { return id_; }
  // The position in the parent's client area, as it is now.
  Rect Bounds() const;

protected:
  Control(Form &owner, const char *className, const char *caption, DWORD style, DWORD exStyle,
          const Rect &bounds, unsigned anchors);
  virtual void OnCommand(int /*code*/) {}
  virtual bool OnNotify(NMHDR * /*hdr*/, LRESULT & /*result*/) { return false; }

private:
  friend class Form;
  Form &owner_;
  HWND handle_;
  int id_;
  Rect designed_;
  unsigned anchors_;
};

class PushButton : public Control {
public:
  enum Role { Normal, Default, Cancel };
  PushButton(Form &owner, const Rect &bounds, const char *caption, unsigned anchors, Role role);
  std::function<void()> OnClick;
  void Click(); // as if pressed

protected:
  void OnCommand(int code) override;
};

class CheckBox : public Control {
public:
  CheckBox(Form &owner, const Rect &bounds, const char *caption, bool checked);
  bool Checked() const;
  void SetChecked(bool checked);
};

// Two items side by side inside a frame without a title.
class RadioGroup : public Control {
public:
  RadioGroup(Form &owner, const Rect &bounds, const char *item0, const char *item1, int index);
  ~RadioGroup() override;
  // -1 when no item is selected, else 0 or 1.
  int ItemIndex() const;
  // Values below -1 become -1, values of 2 and more become 1.
  void SetItemIndex(int index);
  HWND Item(int i) const { return items_[i]; }

private:
  HWND items_[2];
};

// A tree view that keeps its own list of nodes, so that walking, counting and
// sorting need no message per node: the control is told once per insert and
// once per sorted level.
class TreeView : public Control {
public:
  struct Node {
    HTREEITEM Item = nullptr;
    Node *Parent = nullptr;
    std::vector<Node *> Children;
    size_t IndexInParent = 0;
    void *Data = nullptr;
  };
  // Negative when a sorts before b; the sort is stable.
  typedef int (*Compare)(const Node *a, const Node *b, void *context);

  TreeView(Form &owner, const Rect &bounds, unsigned anchors, int indent);
  ~TreeView() override;

  void SetImages(const ImageList &images);
  void SetCompare(Compare compare, void *context) {
    compare_ = compare;
    compareContext_ = context;
  }

  // Appends a node at the end of the top level (parent null) or as the last
  // child of `parent`.
  Node *Add(Node *parent, const std::string &caption, int image, int selectedImage, void *data);
  // Sorts the direct children of `parent`, or the top level when null, with
  // the comparison; each node keeps its own subtree.
  void SortChildren(Node *parent);

  int Count() const { return static_cast<int>(all_.size()); }
  const std::vector<Node *> &TopLevel() const { return roots_; }
  // The node at a flat (depth-first pre-order) index. Ascending indices cost
  // one step each from the node returned before.
  Node *Item(int flatIndex);

  Node *Selected() const;
  void Select(Node *node);

  // Removes every node, with redrawing suspended (unless the caller has
  // suspended it already). Attached data is not freed.
  void Clear();
  void SetRedraw(bool on);

protected:
  bool OnNotify(NMHDR *hdr, LRESULT &result) override;

private:
  static int CALLBACK SortProc(LPARAM a, LPARAM b, LPARAM self);
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  Node *NextInFlatOrder(Node *node) const;

  std::vector<std::unique_ptr<Node>> all_;
  std::vector<Node *> roots_;
  Compare compare_ = nullptr;
  void *compareContext_ = nullptr;
  bool redraw_ = true;
  WNDPROC controlProc_ = nullptr;
  bool gainingFocus_ = false;
  Node *cursor_ = nullptr;
  int cursorIndex_ = -1;
};

// --- Form ------------------------------------------------------------------------

class Form {
public:
  struct Layout {
    const char *Caption;
    Rect Bounds;     // outer bounds, or the client size when ClientSized
    bool ClientSized;
    DWORD Style;     // WS_ frame and box styles
    DWORD ExStyle;
    int MinWidth, MinHeight;
  };
  enum Position { Designed, ScreenCenter };

  explicit Form(const Layout &layout);
  virtual ~Form();
  Form(const Form &) = delete;
  Form &operator=(const Form &) = delete;

  HWND Handle() const { return handle_; }

  // The procedure of every form window.
  static LRESULT CALLBACK WindowProcEntry(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  // Shows the form modally and returns its modal result once it is closed.
  int ShowModal();
  bool Modal() const { return modal_; }
  void SetModalResult(int result) { modalResult_ = result; }
  int ModalResultValue() const { return modalResult_; }
  // Ends the modal showing with mrCancel; the form stays in existence.
  void Close();
  // Asks for the form to be destroyed once the thread's message loop gets
  // to the request, after the caller has returned. The object is deleted
  // then; it must not be used after this call.
  void Release();

  void SetPosition(Position position) { position_ = position; }
  Position GetPosition() const { return position_; }

  // Outer bounds in screen pixels; for a minimised form its restored
  // rectangle.
  Rect GetBounds() const;
  // Width and height below the minimum size become the minimum.
  void SetBounds(const Rect &bounds);
  void SetLeft(int v) { Rect r = GetBounds(); r.Left = v; SetBounds(r); }
  void SetTop(int v) { Rect r = GetBounds(); r.Top = v; SetBounds(r); }
  void SetWidth(int v) { Rect r = GetBounds(); r.Width = v; SetBounds(r); }
  void SetHeight(int v) { Rect r = GetBounds(); r.Height = v; SetBounds(r); }

  HFONT FontHandle() const { return font_.Handle(); }

  // Creates a control on this form; the form owns it. Controls are created
  // in tab order.
  template <class T, class... Args> T *Add(Args &&...args) {
    std::unique_ptr<T> control(new T(*this, std::forward<Args>(args)...));
    T *raw = control.get();
    controls_.push_back(std::move(control));
    return raw;
  }

protected:
  // Every message passes here first; return true when handled.
  virtual bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT &result);

private:
  friend class Control;
  friend class PushButton;
  friend void Shutdown();
  LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
  void ApplyAnchors();
  void Center();
  bool PreTranslate(MSG &msg);

  class Showing;
  HWND handle_ = nullptr;
  Font font_;
  std::vector<std::unique_ptr<Control>> controls_;
  int nextId_ = 100;
  SIZE designedClient_ = {0, 0};
  int minWidth_, minHeight_;
  Position position_ = Designed;
  bool modal_ = false;
  int modalResult_ = mrNone;
  bool deleting_ = false;
  bool constructing_ = true; // a failed creation must not delete the object
  PushButton *defaultButton_ = nullptr;
  PushButton *cancelButton_ = nullptr;
};

} // namespace forms
