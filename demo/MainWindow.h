// The demo host's main window: the folder tree of its data folder, the
// message list of the current folder and a message view, with the context
// menus that the plug-in adds its command to.
#pragma once

#include "demo/HostExports.h"
#include "demo/MailStore.h"
#include "demo/Plugin.h"

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace demo {

// Menu types the host passes to LVC_OnMenuInit.
const int MenuTypeMailList = 1;
const int MenuTypeMessageView = 3;

// The main menu's commands.
enum MenuCommand : int {
  CmdExit = 100,
  CmdPlugInSetup,
  CmdPlugInInfo,
  CmdSelectAll,
  CmdRefresh,
  CmdCopyText,
  CmdSelectAllText,
  CmdHostOnly, // the host's own items that the demo does not carry out
};

// The about box's caption.
extern const char AboutCaption[];

class MainWindow : public HostServices {
public:
  MainWindow(MailStore &store, Plugin &plugin);
  ~MainWindow() override;
  MainWindow(const MainWindow &) = delete;
  MainWindow &operator=(const MainWindow &) = delete;

  bool Create(int showCommand);
  HWND Handle() const { return hwnd_; }
  HWND List() const { return list_; }
  HWND View() const { return view_; }

  // The folder whose messages the list shows.
  const std::string &CurrentFolder() const { return current_; }
  bool OpenFolder(const std::string &folderID);
  const std::vector<MessageInfo> &ShownMessages() const { return messages_; }
  void SelectMessages(const std::vector<int> &rows);
  std::vector<std::string> SelectedFiles() const;

  // The context menu being shown, while it is shown.
  HMENU TrackedMenu() const { return trackedMenu_; }
  int TrackedMenuType() const { return trackedMenuType_; }

  // HostServices, for the host functions.
  std::string DataFolder() override;
  std::string CurrentMailBox() override;
  std::string FolderDisplayName(const std::string &folderID) override;
  int MoveSelectedMessages(const std::string &folderID, bool copy) override;

private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ViewProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  void OnCreate();
  void Layout();
  void OnCommand(int id);
  void OnNotify(const NMHDR &header);
  void OnContextMenu(HWND from, int x, int y);
  void ShowAbout();
  void FillTree();
  void AddTreeItems(HTREEITEM parent, const std::vector<FolderInfo> &folders);
  void UpdateTreeCounts();
  void ShowMessage();
  void SetStatus(const std::string &left, const std::string &right);
  std::string FolderCaption(const std::string &folderID, const std::string &name) const;

  MailStore &store_;
  Plugin &plugin_;
  HWND hwnd_ = nullptr, tree_ = nullptr, list_ = nullptr, view_ = nullptr, status_ = nullptr;
  HFONT font_ = nullptr;
  WNDPROC viewProc_ = nullptr;
  std::string current_;
  std::vector<MessageInfo> messages_;
  // One entry per tree item: its folder identifier, its name, its handle.
  struct TreeEntry {
    std::string ID, Name;
    HTREEITEM Item;
  };
  std::vector<TreeEntry> treeEntries_;
  HMENU trackedMenu_ = nullptr;
  int trackedMenuType_ = 0;
};

} // namespace demo
