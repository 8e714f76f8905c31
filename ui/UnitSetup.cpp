#include "ui/UnitSetup.h"

#include "settings/SettingsFile.h"

TSetupDlg *SetupDlg = nullptr;

namespace {

const forms::Form::Layout SetupLayout = {
    "設定", {0, 0, 306, 268}, true, WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_DLGMODALFRAME, 0, 0,
};

const char TopItem[] = "先頭に追加";
const char EndItem[] = "末尾に追加";

// Released (destroyed once the posted request arrives) on every path.
class SetupRun {
public:
  SetupRun() : dialog_(new TSetupDlg) { SetupDlg = dialog_; }
  ~SetupRun() {
    dialog_->Release();
    SetupDlg = nullptr;
  }
  SetupRun(const SetupRun &) = delete;
  SetupRun &operator=(const SetupRun &) = delete;

private:
  TSetupDlg *dialog_;
};

} // namespace

TSetupDlg::TSetupDlg() : forms::Form(SetupLayout) {
  using namespace forms;
  SetPosition(ScreenCenter);
  // Created in tab order.
  CheckBoxFolder = Add<CheckBox>(Rect{16, 16, 185, 17}, "前回選択したフォルダを開く", false);
  CheckBoxMList = Add<CheckBox>(Rect{16, 56, 265, 17}, "メールリストのコンテキストメニューに追加する", true);
  RadioGroupMList = Add<RadioGroup>(Rect{32, 80, 241, 41}, TopItem, EndItem, 0);
  CheckBoxMView = Add<CheckBox>(Rect{16, 144, 281, 17}, "メール本文表示のコンテキストメニューに追加する", false);
  RadioGroupMView = Add<RadioGroup>(Rect{32, 168, 241, 41}, TopItem, EndItem, 0);
  OKBtn = Add<PushButton>(Rect{79, 236, 75, 25}, "OK", akLeft | akTop, PushButton::Default);
  CancelBtn = Add<PushButton>(Rect{159, 236, 75, 25}, "キャンセル", akLeft | akTop, PushButton::Cancel);
  OKBtn->OnClick = [this] { SetModalResult(mrOk); };
  CancelBtn->OnClick = [this] { SetModalResult(mrCancel); };
}

void RunSetupDialog(const char *iniPath) {
  SetupRun run;
  TSetupDlg &dlg = *SetupDlg;
  const settings::SettingsFile ini(iniPath);
  dlg.CheckBoxFolder->SetChecked(ini.ReadBool("Current", "Mode", false));
  dlg.CheckBoxMList->SetChecked(ini.ReadBool("Menu", "MList", true));
  dlg.RadioGroupMList->SetItemIndex(ini.ReadInteger("Menu", "MListTop", 0));
  dlg.CheckBoxMView->SetChecked(ini.ReadBool("Menu", "MView", false));
  dlg.RadioGroupMView->SetItemIndex(ini.ReadInteger("Menu", "MViewTop", 0));

  if (dlg.ShowModal() != forms::mrOk)
    return;
  ini.WriteBool("Current", "Mode", dlg.CheckBoxFolder->Checked());
  ini.WriteBool("Menu", "MList", dlg.CheckBoxMList->Checked());
  ini.WriteInteger("Menu", "MListTop", dlg.RadioGroupMList->ItemIndex());
  ini.WriteBool("Menu", "MView", dlg.CheckBoxMView->Checked());
  ini.WriteInteger("Menu", "MViewTop", dlg.RadioGroupMView->ItemIndex());
}
