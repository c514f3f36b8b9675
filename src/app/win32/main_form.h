#pragma once
// The main window: three pages (Database, Mail Merge, Configuration), the
// status bar and the tray icon; it owns the contacts and the settings of the run.
#include <memory>
#include <string>

#include "app/contact_saver.h"
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

// Posted to the main window when a save of the contacts has finished, and
// when the user is to be told why the session was kept from ending.
inline constexpr UINT kSaveFinishedMessage = WM_APP + 1;
inline constexpr UINT kSessionKeptMessage = WM_APP + 2;

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
  // Cleared when the data file must never be saved over: it could not be
  // read at start, or it is damaged and its original could not be kept.
  bool MaySaveDataFile = true;
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
  // Locks what could make the shown contact or the chosen merge lists stale:
  // the Mail Merge and Configuration pages outside Browse, the name list,
  // New Record and the Configuration page while a merge list holds anything.
  // One state, computed from the mode and the two chosen lists.
  void UpdatePanelLocks();
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
  // before the program has to end at once). When the contacts cannot be
  // saved the user chooses: try again, save them to another file, or cancel
  // (false: the program must go on).
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

  // ---- the data file
  void OpenDataFile();
  void KeepDamagedDataFile(const LoadReport& report);
  // Before and after every change of ContactList that the user commits: the
  // change waits for a save still reading the list, and is saved at once.
  void BeginContactChange();
  void ContactsChanged();
  void ReportFailedSave();
  bool SaveContactsBeforeEnd();
  bool OfferToSaveElsewhere();
  bool SaveContactsElsewhere();
  // Windows ending the session: true lets it end.
  std::string SaveForSessionEnd();
  bool QuerySessionEnd();
  void SessionEnded(bool ending);

  MainEnvironment env_;
  bool shown_ = false;
  std::string keepReason_;         // why the data file is not saved over
  bool sessionSaved_ = false;      // saved for the session end asked for
  std::string sessionFailure_;     // why the session was kept from ending
  std::unique_ptr<ContactSaver> saver_;  // after ContactList: it goes first
};

}  // namespace qc
