// The Configuration page's settings dialogs: default values and additional field names.
#include "app/win32/main_form.h"
#include "settings/win32/default_form.h"
#include "settings/win32/user_fields_form.h"

namespace qc {

void TfmMain::btAdditionalFieldsClick() {
  TfmUserFields dialog;
  dialog.Create(Handle(), Settings);
  if (dialog.ShowModal(Handle()) == ui::ModalResult::Ok) {
    SetFieldCaptions();
    FillMergeFields();
  }
}

void TfmMain::btDefaultsClick() {
  {
    TfmDefault dialog;
    dialog.Create(Handle(), Settings);
    dialog.ShowModal(Handle());
  }
  // Tray mode follows the setting once the dialog is gone, however it was closed.
  Tray.SetVisible(Settings.TrayApplication);
}

}  // namespace qc
