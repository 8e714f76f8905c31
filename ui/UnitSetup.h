// The setup dialog: which context menus carry the command, where, and
// whether the folder dialog preselects the folder chosen last.
#pragma once

#include "forms/Forms.h"

class TSetupDlg : public forms::Form {
public:
  TSetupDlg();

  forms::PushButton *OKBtn;
  forms::PushButton *CancelBtn;
  forms::CheckBox *CheckBoxFolder;
  forms::CheckBox *CheckBoxMList;
  forms::CheckBox *CheckBoxMView;
  forms::RadioGroup *RadioGroupMList;
  forms::RadioGroup *RadioGroupMView;
};

// The setup dialog while it is shown, else null.
extern TSetupDlg *SetupDlg;

// Shows the dialog filled from the settings file at `iniPath` and writes
// its five values back when it is closed with OK. A refused write ends the
// save at that key (settings::SettingsWriteError).
void RunSetupDialog(const char *iniPath);
