#pragma once
// The Database page: the name list, the contact's boxes, the four modes, the
// letter and fax previews, and the insertion of the shown contact into Word.
#include <string>

#include "app/edit_mode.h"
#include "data/letter.h"
#include "data/record.h"
#include "ui/controls.h"
#include "ui/option_boxes.h"

namespace qc {

class TfmMain;

class DatabasePage : public ui::Panel {
 public:
  explicit DatabasePage(TfmMain& main) : main_(main) {}
  // Creates the page over `area` of the main window's client area.
  void Create(HWND parent, const RECT& area);

  // ---- state
  EditMode Mode = EditMode::Browse;
  std::string CurrentName;  // the name chosen in the name list: the key of the contact shown
  int CurrentIndex = -1;    // that contact's index in ContactList
  bool TypingStarted = false;
  bool KeyHeld = false;

  // ---- controls
  ui::Panel paGeneral, paGeneralName;
  ui::Label laName, laCompany, laTitle, laTreatment;
  ui::ComboBox lbName;
  ui::Edit edName, edCompany, edTitle, edTreatment;
  ui::Button btNew, btEdit, btDelete, btCancel, btInsert;
  ui::Panel paLetter, paLetterName;
  ui::Label laAddress1, laAddress2, laAddress3;
  ui::Edit edAddress1, edAddress2, edAddress3;
  ui::RadioGroup rgFirstItem;
  ui::CheckBox cbCompanyL, cbTitleL, cbTreatmentL;
  ui::Memo meLetter;
  ui::Panel PaFax, paFaxName;
  ui::Label laFax, laPhone;
  ui::Edit edFax, edPhone;
  ui::CheckBox cbCompanyF, cbTitleF, cbTreatmentF;
  ui::Memo meFax;
  ui::Panel paAdditional, paAdditionalName;
  ui::Label laAdd[8];
  ui::Edit edAdd[8];
  ui::TabControl Tabs;

  // ---- operations
  void SetMode(EditMode mode);
  void ShowModeHint();
  void SetOptionBoxes(int options);
  int GetOptionBoxes() const;
  // The captions of the additional fields from the settings' field names.
  void SetFieldCaptions();
  void UpdatePreviews();
  // The name list filled anew from the contact book, no entry chosen.
  void RefillNames();
  // The name list and New Record as the page locks say.
  void ApplyLocks(const PageLocks& locks);

  // ---- handlers
  void btNewClick();
  void btEditClick();
  void btDeleteClick();
  void btCancelClick();
  void btInsertClick();
  void lbNameKeyDown(WPARAM& key);
  void lbNameKeyUp(WPARAM& key);
  void lbNameKeyPress(char& ch);
  void lbNameChange();
  void lbNameExit();
  void TabsChange();
  // A key released anywhere in the main window while this page is in front.
  void FormKeyUp(WPARAM& key);

 private:
  void CreateGeneral(HWND page);
  void CreateLetterAndFax(HWND page);
  void CreateAdditional(HWND page);
  void LockDataGroups(bool lock);
  void EmptyBoxes();
  void SaveNewRecord();
  void SaveEditedRecord();
  void FillBoxesFromRecord(const TRecord& r);
  void FillRecordFromBoxes(TRecord& r) const;
  // The previews' input: the boxes and option boxes as they stand.
  PreviewInput PreviewOfBoxes() const;

  TfmMain& main_;
  const ui::OptionBoxes optionBoxes_{rgFirstItem, cbCompanyL, cbTitleL, cbTreatmentL,
                                     cbCompanyF, cbTitleF, cbTreatmentF};
};

}  // namespace qc
