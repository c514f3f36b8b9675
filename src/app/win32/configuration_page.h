#pragma once
// The Configuration page: the five buttons that open the settings dialogs,
// the Word interface configuration, the import/export wizard and the about box.
#include "app/edit_mode.h"
#include "ui/controls.h"

namespace qc {

class TfmMain;

class ConfigurationPage : public ui::Panel {
 public:
  explicit ConfigurationPage(TfmMain& main) : main_(main) {}
  void Create(HWND parent, const RECT& area);

  // ---- controls
  ui::Panel Panel3;
  ui::Button btWordInterface, btAdditionalFields, btDefaults, btImportExport, btAbout;
  ui::Label3D Label3d1, Label3d2;

  void ApplyLocks(const PageLocks& locks);

  // ---- handlers
  void btWordInterfaceClick();
  void btAdditionalFieldsClick();
  void btDefaultsClick();
  void btImportExportClick();
  void btAboutClick();

 private:
  TfmMain& main_;
};

}  // namespace qc
