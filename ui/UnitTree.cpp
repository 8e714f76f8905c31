#include "ui/UnitTree.h"

#include "plugin/FolderRules.h"

int TFolderData::Alive = 0;

TFormSelect *FormSelect = nullptr;
int SelectMode = 0;
std::string SelectedFolder;

namespace {

const forms::Form::Layout SelectLayout = {
    "Parcelon",
    {192, 107, 393, 301},
    false,
    WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
    0,
    350,
    150,
};

} // namespace

TFormSelect::TFormSelect() : forms::Form(SelectLayout) {
  using namespace forms;
  // In tab order: tree, Move, Copy, Cancel.
  TreeView1 = Add<TreeView>(Rect{8, 8, 369, 224}, akLeft | akTop | akRight | akBottom, 19);
  ButtonMove = Add<PushButton>(Rect{8, 240, 97, 30}, "移動(&M)", akLeft | akBottom, PushButton::Default);
  ButtonCopy = Add<PushButton>(Rect{120, 240, 97, 30}, "コピー(&C)", akLeft | akBottom, PushButton::Normal);
  ButtonCancel = Add<PushButton>(Rect{280, 240, 97, 30}, "キャンセル", akRight | akBottom, PushButton::Cancel);
  ImageList1.reset(new ImageList({FolderIcons, FolderIcons + 8}));

  TreeView1->SetImages(*ImageList1);
  TreeView1->SetCompare(&TFormSelect::TreeView1Compare, this);
  ButtonMove->OnClick = [this] { ButtonMoveClick(); };
  ButtonCopy->OnClick = [this] { ButtonCopyClick(); };
  ButtonCancel->OnClick = [this] { ButtonCancelClick(); };
}

TFormSelect::~TFormSelect() {
  // The command frees the records itself; whatever a failed run left
  // behind goes with the dialog.
  for (int i = 0, n = TreeView1->Count(); i < n; ++i)
    delete Record(TreeView1->Item(i));
}

void TFormSelect::ButtonCancelClick() {
  SelectMode = 0;
  Close();
}

void TFormSelect::ButtonMoveClick() { Choose(1); }

void TFormSelect::ButtonCopyClick() { Choose(2); }

void TFormSelect::Choose(int mode) {
  TTreeNode *node = TreeView1->Selected();
  if (!node)
    return; // nothing chosen: the dialog stays open
  SelectedFolder = Record(node)->Path;
  SelectMode = mode;
  Close();
}

int TFormSelect::TreeView1Compare(const TTreeNode *node1, const TTreeNode *node2, void *) {
  return folders::CompareFolderPaths(Record(node1)->Path, Record(node2)->Path);
}
