// The folder selection dialog: the tree of mailboxes and folders and the
// Move, Copy and Cancel buttons. Its outcome is left in SelectMode and
// SelectedFolder for the command to read after the dialog has closed.
#pragma once

#include "forms/Forms.h"

#include <memory>
#include <string>

// What a tree node carries: the host's display name and the absolute path
// of the folder's directory, ending in "\".
struct TFolderData {
  std::string DisplayName;
  std::string Path;

  TFolderData() { ++Alive; }
  ~TFolderData() { --Alive; }
  TFolderData(const TFolderData &) = delete;
  TFolderData &operator=(const TFolderData &) = delete;
  // Records in existence, for leak checks.
  static int Alive;
};

typedef forms::TreeView::Node TTreeNode;

class TFormSelect : public forms::Form {
public:
  TFormSelect();
  ~TFormSelect() override;

  forms::TreeView *TreeView1;
  forms::PushButton *ButtonMove;
  forms::PushButton *ButtonCopy;
  forms::PushButton *ButtonCancel;
  std::unique_ptr<forms::ImageList> ImageList1;

  void ButtonCancelClick();
  void ButtonMoveClick();
  void ButtonCopyClick();
  // Compares the nodes' paths (see CompareFolderPaths).
  static int TreeView1Compare(const TTreeNode *node1, const TTreeNode *node2, void *data);

  static TFolderData *Record(const TTreeNode *node) { return static_cast<TFolderData *>(node->Data); }

private:
  // Move (1) or Copy (2) on the selected node; nothing without one.
  void Choose(int mode);
};

// The dialog of the current run of the command. It names a released dialog
// between runs; nothing reaches the dialog through it then.
extern TFormSelect *FormSelect;
// 0 cancelled or closed, 1 move, 2 copy.
extern int SelectMode;
// The Path of the folder chosen (or preselected); kept across runs.
extern std::string SelectedFolder;

// The eight node icons in index order: mailbox, folder, inbox, outbox,
// draft, sent, reminder, trash. Pixel rows, see forms::ImageList.
extern const char *const *const FolderIcons[8];
