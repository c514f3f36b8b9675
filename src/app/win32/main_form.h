#pragma once
// The main window: three pages (Database, Mail Merge, Configuration), the
// status bar and the tray icon; it owns the contacts and the settings of the run.
#include <memory>
#include <string>

#include "app/edit_mode.h"
#include "common/user_messages.h"
#include "data/database.h"
#include "settings/app_settings.h"
#include "settings/profile.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/tray_icon.h"

namespace qc {

// Where the main window finds its files and how it talks to the user.
struct MainEnvironment {
  std::string dataFilePath;  // "QUILLCRD.DAT" beside the executable
  std::string helpFilePath;  // the executable's path with ".hlp"
  std::string programFolder;  // the Word templates and "install.log"; the executable's folder when empty
  Profile* settings = nullptr;  // "QUILLCRD.INI"
  UserMessages* messages = nullptr;
  bool quitOnClose = true;  // end the message loop when the window is gone
};

class TfmMain : public ui::Form {
 public:
  explicit TfmMain(MainEnvironment env);
  ~TfmMain() override;

  // Creates the window and runs FormCreate; Show shows it (FormShow).
  void Create();
  void Show();

  // ---- state of the run
  std::unique_ptr<TDatabase> ContactList;
  AppSettings Settings;
  EditMode Mode = EditMode::Browse;
  std::string CurrentName;
  int CurrentIndex = -1;
  bool TypingStarted = false;
  bool KeyHeld = false;
  bool HiddenInTray = false;
  UINT WakeMessage = 0;
  int HelpContext = 0;
  // Set when the data file could not be read at start: it is then never saved over.
  bool DataFileUnreadable = false;
  bool Closed = false;

  // ---- frame
  ui::TabControl Pages;
  ui::Panel Database, MailMerge, Configuration;
  ui::StatusBar Status;
  ui::TrayIcon Tray;
  HMENU PopupMenu1 = nullptr;

  // ---- Database page
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

  // ---- Mail Merge page
  ui::Panel Panel1, Panel2;
  ui::ListBox lbTotalNames, lbSelNames, lbTotalFields, lbSelFields;
  ui::Label laTotalNames, laSelNames, laTotalFields, laSelFields;
  ui::Button btAdd1Name, btAddAllNames, btDel1Name, btDelAllNames;
  ui::Button btAdd1Field, btAddAllFields, btDel1Field, btDelAllFields;
  ui::Button btNamesUp, btNamesDn, btFieldsUp, btFieldsDn;
  ui::Button btClearMailMerge, btMailMerge;
  ui::CheckBox cbUseTreatment;

  // ---- Configuration page
  ui::Panel Panel3;
  ui::Button btWordInterface, btAdditionalFields, btDefaults, btImportExport, btAbout;
  ui::Label3D Label3d1, Label3d2;

  // ---- operations
  void SetMode(EditMode mode);
  void ShowModeHint();
  void SetOptionBoxes(int options);
  int GetOptionBoxes() const;
  void SetFieldCaptions();
  void RefreshMergeNames();
  void FillMergeFields();
  void LockPanels(int kind);
  void UnlockPanels(int kind);
  void UpdatePreviews();
  void StepAside();
  void RestoreQuillcard1Click();
  void PagesChange();
  void RefillNames();

  // ---- handlers of the Database page
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

  // ---- handlers of the Mail Merge page (mail merge and Word actions)
  void btAdd1NameClick();
  void btAddAllNamesClick();
  void btDel1NameClick();
  void btDelAllNamesClick();
  void btAdd1FieldClick();
  void btAddAllFieldsClick();
  void btDel1FieldClick();
  void btDelAllFieldsClick();
  void btNamesUpClick();
  void btNamesDnClick();
  void btFieldsUpClick();
  void btFieldsDnClick();
  void btClearMailMergeClick();
  void btMailMergeClick();

  // ---- handlers of the Configuration page's buttons
  void btWordInterfaceClick();
  void btAdditionalFieldsClick();
  void btDefaultsClick();
  void btImportExportClick();
  void btAboutClick();

  // Saves contacts and settings as the close does, without closing (used
  // before the program has to end at once). False when the data file failed.
  bool SaveContactsAndSettings();

  // Called with each message the loop takes (the wake handler).
  bool WakeHandler(MSG& msg);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool FormCloseQuery() override;
  void FormDestroyed() override;
  void FormKeyUp(WPARAM& key) override;

 private:
  void FormCreate();
  void FormShow();
  void CreateDatabasePage();
  void CreateMailMergePage();
  void CreateMailMergeButtons();
  void CreateConfigurationPage();
  void HookStatusText(ui::Button& button, const char* text);
  void LockDataGroups(bool lock);
  void SetPanelEnabled(ui::Panel& panel, bool on);
  void SaveNewRecord();
  void SaveEditedRecord();
  void FillBoxesFromRecord(const TRecord& r);
  void FillRecordFromBoxes(TRecord& r) const;
  void ShowTrayMenu();

  MainEnvironment env_;
  bool shown_ = false;
};

}  // namespace qc
