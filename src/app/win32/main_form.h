#pragma once
// The main window: the frame around the three pages (tabs, status bar, tray
// icon), the start and the close, and the contact book and settings of the
// run that the pages share.
#include <memory>
#include <string>

#include "app/contact_book.h"
#include "app/contact_saver.h"
#include "app/edit_mode.h"
#include "app/win32/configuration_page.h"
#include "app/win32/database_page.h"
#include "app/win32/mailmerge_page.h"
#include "common/user_messages.h"
#include "data/database.h"
#include "settings/app_settings.h"
#include "settings/profile.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/handles.h"
#include "ui/tray_icon.h"
#include "word/word_basic.h"

namespace qc {

// Where the main window finds its files and how it talks to the user.
struct MainEnvironment {
  std::string dataFilePath;  // "QUILLCRD.DAT" beside the executable, or in the user's folder
  // The data file is to be made in the user's folder because the program's
  // folder refuses new files: once it is made the user is told where it is.
  bool newDataFileInUserFolder = false;
  std::string helpFilePath;  // the executable's path with ".hlp"
  std::string programFolder;  // the Word templates and "install.log"; the executable's folder when empty
  Profile* settings = nullptr;  // "QUILLCRD.INI"
  std::string settingsFilePath;  // where the settings are written, for the about box
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
  ContactBook Book;
  std::unique_ptr<TDatabase>& ContactList;  // the book's list: the data file's contents
  AppSettings Settings;
  bool HiddenInTray = false;
  UINT WakeMessage = 0;
  int HelpContext = 0;
  // Cleared when the data file must never be saved over: it could not be
  // read at start, or it is damaged and its original could not be kept.
  bool MaySaveDataFile = true;
  bool Closed = false;

  // ---- frame
  ui::TabControl Pages;
  DatabasePage Database;
  MailMergePage MailMerge;
  ConfigurationPage Configuration;
  ui::StatusBar Status;
  ui::TrayIcon Tray;
  ui::Menu PopupMenu1;

  // ---- what the pages ask of the frame
  UserMessages& Messages() const { return *env_.messages; }
  const MainEnvironment& Environment() const { return env_; }
  // The locks of the pages, from the Database page's mode and the Mail Merge
  // page's chosen lists.
  void UpdatePanelLocks();
  void StepAside();
  void RestoreQuillcard1Click();
  void PagesChange();
  // Before and after every change of the contacts that the user commits:
  // the change waits for a save still reading the list, and is saved once
  // the window shows it.
  void BeginContactChange();
  void ContactsChanged();
  // Probes Word and connects to it; null when the action is to end (the user
  // has been told why, and a failed connection has ended the program).
  std::unique_ptr<word::WordBasic> BeginWordAction();

  // Saves contacts and settings as the close does, without closing (used
  // before the program has to end at once). When the contacts cannot be
  // saved the user chooses: try again, save them to another file, or cancel
  // (false: the program must go on).
  bool SaveContactsAndSettings();

  // Called with each message the loop takes (the wake handler).
  bool WakeHandler(MSG& msg);

  // ---- the undo of the last import
  // "Undo last import", below the Configuration page's buttons while there
  // is an import to undo: until the next import or the end of the run.
  ui::Button btUndoImport;
  // Keeps the list as it was just before an import took effect.
  void KeepListBeforeImport(std::unique_ptr<TDatabase> before);
  bool CanUndoImport() const { return listBeforeImport_ != nullptr; }
  // Puts the kept list back and saves it to the data file as every change
  // is saved, after asking when contacts were changed since the import.
  // False when there was nothing to undo or the user said no.
  bool UndoLastImport();

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool FormCloseQuery() override;
  void FormDestroyed() override;
  void FormKeyUp(WPARAM& key) override;

 private:
  void FormCreate();
  void FormShow();
  void ShowTrayMenu();

  // ---- the data file
  void OpenDataFile();
  void KeepDamagedDataFile(const LoadReport& report);
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
  std::unique_ptr<ContactSaver> saver_;  // after the book: it goes first
  std::unique_ptr<TDatabase> listBeforeImport_;
  unsigned changes_ = 0;          // committed changes of the contacts so far
  unsigned changesAtImport_ = 0;  // ... when the last import was saved
};

}  // namespace qc
