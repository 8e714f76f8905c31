// The move/copy command: from the menu click to the host's move or copy.
#include "plugin/FolderTree.h"
#include "plugin/Parcelon.h"

#include "settings/KeyName.h"
#include "settings/SettingsFile.h"

namespace {

std::string HostText(const char *text) { return text ? std::string(text) : std::string(); }

// Frees the tree's records and releases the dialog when the run ends, on
// every path out of it, errors included.
class DialogRun {
public:
  DialogRun() : form_(new TFormSelect) { FormSelect = form_; }
  ~DialogRun() {
    FormSelect = form_; // this run's dialog, whatever happened meanwhile
    try {
      ClearFolderTree();
    } catch (...) {
    }
    form_->Release();
  }
  DialogRun(const DialogRun &) = delete;
  DialogRun &operator=(const DialogRun &) = delete;

private:
  TFormSelect *form_;
};

void RunMoveCopy() {
  // The current mailbox serves only as the name of its key.
  const std::string mailboxKey = settings::MailBoxKey(HostText(HostAPI->LVA_GetCurrentMailBox()));
  DataFolder = HostText(HostAPI->LVA_GetDataFolder());

  DialogRun run;
  AddMailBoxes(DataFolder);
  SortFolderTree();

  const settings::SettingsFile ini(IniPath);
  TFormSelect &form = *FormSelect;
  if (ini.ReadInteger("Window", "Top", -1) == -1) {
    form.SetPosition(forms::Form::ScreenCenter);
  } else {
    // Each value is applied before the next is read, so a missing key
    // keeps the value the dialog has at that moment.
    form.SetTop(ini.ReadInteger("Window", "Top", form.GetBounds().Top));
    form.SetLeft(ini.ReadInteger("Window", "Left", form.GetBounds().Left));
    form.SetHeight(ini.ReadInteger("Window", "Height", form.GetBounds().Height));
    form.SetWidth(ini.ReadInteger("Window", "Width", form.GetBounds().Width));
  }

  if (ini.ReadBool("Current", "Mode", false)) {
    SelectedFolder = ini.ReadString("Current", mailboxKey, "");
    if (SelectedFolder.empty())
      SelectedFolder = ini.ReadString("Current", "Folder", "");
    if (TTreeNode *node = FindFolderNode(SelectedFolder))
      form.TreeView1->Select(node);
  }

  SelectMode = 0;
  form.ShowModal();

  const forms::Rect bounds = form.GetBounds();
  ini.WriteInteger("Window", "Top", bounds.Top);
  ini.WriteInteger("Window", "Left", bounds.Left);
  ini.WriteInteger("Window", "Height", bounds.Height);
  ini.WriteInteger("Window", "Width", bounds.Width);
  ini.WriteString("Current", mailboxKey, SelectedFolder);

  if (SelectMode != 0) {
    const std::string folderID =
        SelectedFolder.size() > DataFolder.size() ? SelectedFolder.substr(DataFolder.size()) : std::string();
    HostAPI->LVA_MoveSelectedMessages(folderID.c_str(), SelectMode == 1 ? 0 : -1);
  }
}

} // namespace

void __stdcall MoveCopyCommand(int /*hostWindow*/, int /*param*/) {
  Guarded(RunMoveCopy);
}
