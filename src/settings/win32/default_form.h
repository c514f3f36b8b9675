#pragma once
// The default settings dialog: the option byte and treatment a new contact
// starts with, and the program-wide switches for hints and tray mode.
#include "settings/app_settings.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/handles.h"
#include "ui/option_boxes.h"

namespace qc {

inline constexpr int kHelpDefaultSettings = 6000;

class TfmDefault : public ui::Form {
 public:
  ~TfmDefault() override;
  // Creates the window owned by `owner`, centred over it, and fills it from
  // `settings`. Only Ok writes back into `settings`, which must outlive the window.
  void Create(HWND owner, AppSettings& settings);

  // The frames and their headings.
  ui::Panel paLetter, paTreatment, paFax;
  ui::Label laLetter, laFax;
  // Clicking it puts the caret into edTreatment.
  class FocusLabel : public ui::Label {
   public:
    ui::Control* target = nullptr;
    bool HandleCommand(WORD code) override;
  } laTreatment;

  // In tab order.
  ui::RadioGroup rgFirstItem;
  ui::CheckBox cbCompanyL, cbTitleL, cbTreatmentL;
  ui::CheckBox cbTreatmentF, cbTitleF, cbCompanyF;
  ui::Edit edTreatment;
  ui::Button btOk, btCancel;
  ui::CheckBox cbHints;
  ui::Button btHelp;
  ui::CheckBox cbTray;

  void FormCreate();
  void btOkClick();
  void btCancelClick();
  void btHelpClick();

  // The option byte as the controls show it (bit 7 never set).
  int OptionsFromControls() const;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  // Escape is not a way out of this dialog.
  bool EscapeKey() override { return true; }

 private:
  AppSettings* settings_ = nullptr;
  const ui::OptionBoxes optionBoxes_{rgFirstItem, cbCompanyL, cbTitleL, cbTreatmentL,
                                     cbCompanyF, cbTitleF, cbTreatmentF};
};

}  // namespace qc
