// The main window and its data file: reading it at start, saving every
// committed change at once, and saving before the program or the Windows
// session ends, without ever dropping contacts the user has not let go.
#include <shlobj.h>

#include "app/win32/main_form.h"
#include "app/win32/program.h"
#include "platform/file_places.h"
#include "platform/files.h"

namespace qc {
namespace {

const std::vector<ui::ChoiceButton> kFailedSaveChoices = {
    {IDRETRY, "&Try Again"}, {IDYES, "&Save to Another File..."}, {IDCANCEL, "Cancel"}};
const std::vector<ui::ChoiceButton> kUnsavedContactsChoices = {
    {IDYES, "&Save to Another File..."}, {IDNO, "&Don't Save"}, {IDCANCEL, "Cancel"}};

// Where Save As starts: the data file's name in the user's documents.
std::string SuggestedSaveAsPath() {
  char folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return kDataFileName;
  return PathIn(folder, kDataFileName);
}

}  // namespace

void TfmMain::OpenDataFile() {
  const std::string& path = env_.dataFilePath;
  RemoveLeftoverTemporaryFiles(path);
  ContactList = std::make_unique<TDatabase>();
  LoadReport report;
  try {
    report = ContactList->LoadFromFile(path, *env_.messages);
  } catch (const UserError& e) {
    MaySaveDataFile = false;
    keepReason_ = "it could not be read when Quillcard started";
    ContactList = std::make_unique<TDatabase>();
    env_.messages->Warning(std::string(e.what()) +
                           "\r\nQuillcard starts without contacts and will not save over this file.");
    return;
  }
  HWND window = Handle();
  saver_ = std::make_unique<ContactSaver>(path, ContactList,
                                          [window] { PostMessageA(window, kSaveFinishedMessage, 0, 0); });
  if (report.damaged) KeepDamagedDataFile(report);
  // Told on the run that makes the file, the one run that needs telling;
  // the about box shows the place at any time.
  if (env_.newDataFileInUserFolder && FileExists(path)) {
    const std::string& folder = env_.programFolder;
    env_.messages->Information(UserFolderDataFileNotice(path, folder.empty() ? ExecutableDirectory() : folder));
  }
}

void TfmMain::KeepDamagedDataFile(const LoadReport& report) {
  const std::string& path = env_.dataFilePath;
  const std::string damage = "The contact file \"" + path + "\" is damaged: " + std::to_string(report.read) +
                             " of its " + std::to_string(report.announced) + " contacts could be read.";
  std::string kept;
  try {
    kept = KeepDamagedOriginal(path);
  } catch (const UserError& e) {
    MaySaveDataFile = false;
    keepReason_ = "it is damaged and a copy of it could not be kept";
    saver_.reset();
    env_.messages->Warning(damage + "\r\n" + e.what() + "\r\nQuillcard will not save over the damaged file.");
    return;
  }
  env_.messages->Warning(damage + "\r\nThe original file is kept as \"" + kept + "\".");
  // The contacts that could be read take the damaged file's place at once,
  // so that the next start finds a whole file.
  ContactsChanged();
}

void TfmMain::BeginContactChange() {
  if (saver_) saver_->WaitUntilIdle();
}

void TfmMain::ContactsChanged() {
  ++changes_;
  if (!saver_) return;
  saver_->Save();
  if (ContactList->Count() <= kWaitedBookSize) saver_->WaitUntilIdle(kSaveWaitLimit);
}

void TfmMain::ReportFailedSave() {
  if (!saver_) return;
  if (std::optional<std::string> failure = saver_->TakeFailure())
    ui::ShowMessage(Handle(), *failure + "\r\nYour contacts are kept in Quillcard: it saves them again "
                                         "at the next change and when it closes.",
                    MB_OK | MB_ICONWARNING);
}

bool TfmMain::SaveContactsAndSettings() {
  if (!SaveContactsBeforeEnd()) return false;
  try {
    SaveSettings(*env_.settings, Settings);
  } catch (const UserError& e) {
    ui::ShowMessage(Handle(), e.what(), MB_OK | MB_ICONWARNING);
  }
  return true;
}

bool TfmMain::SaveContactsBeforeEnd() {
  if (!ContactList) return true;
  if (saver_) saver_->WaitUntilIdle();
  if (!MaySaveDataFile) return OfferToSaveElsewhere();
  for (;;) {
    try {
      ContactList->SaveToFile(env_.dataFilePath);
      return true;
    } catch (const UserError& e) {
      const std::string question =
          std::string(e.what()) +
          "\r\n\r\nYour contacts are still in Quillcard. Try again, save them to another file, "
          "or cancel to keep Quillcard open.";
      switch (ui::ShowChoice(Handle(), question, kFailedSaveChoices)) {
        case IDRETRY: break;
        case IDYES:
          if (SaveContactsElsewhere()) return true;
          break;
        default: return false;
      }
    }
  }
}

bool TfmMain::OfferToSaveElsewhere() {
  const int count = ContactList->Count();
  if (count == 0) return true;
  const std::string question =
      "Quillcard does not save over \"" + env_.dataFilePath + "\": " + keepReason_ + ".\r\n" +
      (count == 1 ? std::string("The contact") : "The " + std::to_string(count) + " contacts") +
      " now in Quillcard will be lost unless you save them to another file.";
  for (;;) {
    switch (ui::ShowChoice(Handle(), question, kUnsavedContactsChoices)) {
      case IDYES:
        if (SaveContactsElsewhere()) return true;
        break;
      case IDNO: return true;
      default: return false;
    }
  }
}

bool TfmMain::SaveContactsElsewhere() {
  const std::string target = ui::AskSaveFileName(Handle(), SuggestedSaveAsPath());
  if (target.empty()) return false;
  try {
    ContactList->SaveToFile(target);
    return true;
  } catch (const UserError& e) {
    ui::ShowMessage(Handle(), e.what(), MB_OK | MB_ICONERROR);
    return false;
  }
}

// Saves what the user committed, without questions; the reason when the
// contacts could not be saved (the settings' own failure costs no contact).
std::string TfmMain::SaveForSessionEnd() {
  if (!ContactList) return {};
  if (saver_) saver_->WaitUntilIdle();
  std::string failure;
  if (!MaySaveDataFile) {
    if (ContactList->Count() > 0)
      failure = "Quillcard does not save over \"" + env_.dataFilePath + "\": " + keepReason_ +
                ". The contacts now in Quillcard are saved nowhere.";
  } else {
    try {
      ContactList->SaveToFile(env_.dataFilePath);
    } catch (const UserError& e) {
      failure = e.what();
    }
  }
  try {
    SaveSettings(*env_.settings, Settings);
  } catch (const UserError&) {
  }
  return failure;
}

// Windows asks every top-level window before a log-off, restart or shutdown,
// also hidden ones and those under a modal dialog. Contacts that cannot be
// saved keep the session from ending, with the reason Windows shows, and the
// user is told once the question is answered: no window may wait for the
// user while Windows asks.
bool TfmMain::QuerySessionEnd() {
  const std::string failure = SaveForSessionEnd();
  sessionSaved_ = failure.empty();
  if (sessionSaved_) return true;
  // Out of the tray first: Windows lists the programs holding the session
  // up by their windows, and the user has something to come back to.
  RestoreQuillcard1Click();
  const std::wstring reason = ui::Wide("Quillcard could not save your contacts to " + env_.dataFilePath);
  ShutdownBlockReasonCreate(Handle(), reason.c_str());
  sessionFailure_ = failure +
                    "\r\nQuillcard kept Windows from ending the session so that your contacts are not lost. "
                    "Close Quillcard to save them to another file.";
  PostMessageA(Handle(), kSessionKeptMessage, 0, 0);
  return false;
}

void TfmMain::SessionEnded(bool ending) {
  ShutdownBlockReasonDestroy(Handle());
  if (!ending) return;
  // The end was forced without asking, or asked before the last change:
  // save once more, as well as it goes.
  if (!sessionSaved_) SaveForSessionEnd();
  Tray.SetVisible(false);
}

}  // namespace qc

// ---------------------------------------------------------------- the undo of the last import

namespace qc {

void TfmMain::KeepListBeforeImport(std::unique_ptr<TDatabase> before) {
  listBeforeImport_ = std::move(before);
  // The import's own save comes next; a change after it is the user's.
  changesAtImport_ = changes_ + 1;
  btUndoImport.SetVisible(listBeforeImport_ != nullptr);
}

bool TfmMain::UndoLastImport() {
  if (!listBeforeImport_) return false;
  if (changes_ != changesAtImport_ &&
      !Messages().Confirm("Contacts were changed since the last import. Undo the import all the same?\r\n"
                          "The contacts go back to how they were before the import, and those changes are lost."))
    return false;
  BeginContactChange();
  ContactList = std::move(listBeforeImport_);
  Book.Reindex();
  Database.RefillNames();
  MailMerge.RefreshMergeNames();
  ContactsChanged();
  btUndoImport.SetVisible(false);
  return true;
}

}  // namespace qc
