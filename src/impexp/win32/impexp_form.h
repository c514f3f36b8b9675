#pragma once
// The import/export wizard: eight pages that lead to writing all contacts to
// a delimited text file or reading contacts from one, its choices kept in
// "quillcrd.cfg" between runs.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/database.h"
#include "impexp/header_names.h"
#include "impexp/import.h"
#include "impexp/import_text.h"
#include "impexp/progress.h"
#include "impexp/vcard.h"
#include "impexp/wizard_rules.h"
#include "settings/app_settings.h"
#include "settings/profile.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/handles.h"

namespace qc {

inline constexpr char kImpExpCaption[] = "Quillcard import/export database";
inline constexpr char kFinishedText[] = "Finished. No errors found";
inline constexpr char kRunFailedText[] = "There was an error";
inline constexpr char kImportFileUnreadable[] = "There was an error reading the Import File";

// What the wizard works on, all owned by the caller.
struct ImpExpEnvironment {
  std::unique_ptr<TDatabase>* contactList = nullptr;  // an import may put a new list here
  AppSettings* settings = nullptr;                    // field names, default option byte
  Profile* options = nullptr;                         // "quillcrd.cfg"
  std::string dataFile;                               // what the import's backup copies
  // Around an import: before it, nothing may be reading the list (and the
  // data file the backup copies is up to date); after one that changed the
  // list, the change is saved.
  std::function<void()> contactsChanging, contactsChanged;
  // Undo of an import: keepForUndo receives the list as it was just before
  // an import took effect (the owner keeps it until the next import);
  // undoImport puts it back, data file included, and says whether it did.
  std::function<void(std::unique_ptr<TDatabase>)> keepForUndo;
  std::function<bool()> undoImport;
};

inline constexpr char kUndoImportCaption[] = "Undo last import";
inline constexpr char kImportUndoneText[] = "The import was undone";

// The open-file dialog of btBrowse: one filter, the read-only box hidden,
// and names of files that do not exist yet accepted.
struct OpenFileDialog {
  std::string filter = "Text Files|*.txt";
  std::string initialDir;
  std::string fileName;  // the confirmed file's full name
  // Shows the dialog; true when the user confirmed a file. Tests replace it.
  std::function<bool(OpenFileDialog&, HWND owner)> show;
  bool Execute(HWND owner);
};

class TfmImpExp : public ui::Form, public ProgressSink {
 public:
  explicit TfmImpExp(ImpExpEnvironment env);
  ~TfmImpExp() override;

  // Creates the dialog owned by `owner` and centred over it, shows the first
  // page and applies the stored choices.
  void Create(HWND owner);

  // ---- window state
  std::string ImportSeparators;
  std::optional<char> ImportQuote;
  std::vector<std::string> ImportLines;
  int PreviewLine = -1;

  int PageIndex() const { return page_; }
  WizardOperation Operation() const;

  // ---- the notebook and its pages
  ui::Panel Hojas;
  ui::Panel tsStart, tsExportFields, tsExportType, tsImportFormat, tsImportFields, tsImportType, tsFinal,
      tsProgress;
  ui::Label3D laHeading[kWizardPageCount];

  // ---- shared buttons
  ui::Button btHelp, btPrior, btNext, btCancel;

  // ---- page 0, Start
  ui::RadioGroup rgOperation;
  ui::Label laFile;
  ui::Edit edFile;
  ui::Button btBrowse;
  OpenFileDialog dgOpen;

  // ---- page 1, Export Fields
  ui::Label laExportFields, laExportSelFields;
  ui::ListBox lbExportFields, lbExportSelFields;
  ui::Button btAdd1ExportField, btAddAllExportFields, btDel1ExportField, btDelAllExportFields;
  ui::Button btExportUp, btExportDn;

  // ---- page 2, Export Type
  ui::RadioGroup rgExportType;
  ui::CheckBox cbAddHeaders;

  // ---- page 3, Import Format
  ui::Label laSeparator, laQuote;
  ui::Edit edSeparator, edQuote;
  ui::CheckBox cbTAB;
  ui::RadioGroup rgNameType;
  // The encoding the file is read in (entries as TextEncoding), and what it was read as.
  ui::Label laEncoding, laEncodingFound;
  ui::ComboBox lbEncoding;

  // ---- page 4, Import Fields
  ui::Label laImportExisting, laImportSelFields, laImportFields, laImportRecord;
  ui::ListBox lbImportExisting, lbImportSelFields, lbImportFields;
  ui::Button btPrevRecord, btNextRecord;
  ui::Button btAdd1Import, btAddAllImport, btDel1Import, btDelAllImport, btImportUp, btImportDn;
  // Shown when the file's first line names its columns: takes the fields from it.
  ui::Button btUseHeaders;

  // ---- page 5, Import Type
  ui::RadioGroup rgImport;
  ui::CheckBox cbIgnoreHeaders, cbBackup;

  // ---- page 6, Final
  ui::Label laFinal;
  // For an import: what it will do, from a trial run.
  ui::Label laTrialRun;

  // ---- page 7, Progress
  ui::ProgressBar pbProgress;
  ui::Label paProgress;
  ui::Button btUndoImport;

  // The file's first line as the import would take it, when it names the columns.
  const std::optional<HeaderMapping>& RecognisedHeader() const { return header_; }
  // The counts of the trial run shown on the Final page, and those of the run.
  const std::optional<ImportResult>& TrialRun() const { return trial_; }

  // ---- handlers
  void btHelpClick();
  void btPriorClick();
  void btNextClick();
  void btCancelClick();
  void rgOperationClick();
  void edFileChange();
  void btBrowseClick();
  void btAdd1ExportFieldClick();
  void btAddAllExportFieldsClick();
  void btDel1ExportFieldClick();
  void btDelAllExportFieldsClick();
  void btExportUpClick();
  void btExportDnClick();
  void edSeparatorChange();
  void cbTABClick();
  void edQuoteChange();
  void rgNameTypeClick();
  void btPrevRecordClick();
  void btNextRecordClick();
  void lbImportExistingClick();
  void lbImportSelFieldsClick();
  void btAdd1ImportClick();
  void btAddAllImportClick();
  void btDel1ImportClick();
  void btDelAllImportClick();
  void btImportUpClick();
  void btImportDnClick();
  void lbEncodingChange();
  void btUseHeadersClick();
  void btUndoImportClick();

  // ---- vCard: the format choice on page 0, the preview of an import on
  // page 6 and the counts of a run on page 7. A vCard goes without the
  // separator, field and export type pages.
  ui::RadioGroup rgFileFormat;
  ui::Label laVCardPreview, laVCardResult;
  ui::ListBox lbVCardPreview;
  bool VCardChosen() const { return rgFileFormat.ItemIndex() == 1; }
  void rgFileFormatClick();

  // ---- the progress of a run
  void SetProgressMax(int count) override;
  void SetProgressPosition(int position) override;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  bool FormCloseQuery() override;
  bool EscapeKey() override;

 private:
  ui::Panel& Page(int page);
  void CreatePages();
  void CreateStartPage();
  void CreateExportPages();
  void CreateImportFormatPage();
  void CreateImportFieldsPage();
  void CreateLastPages();
  void CreateEncodingChoice();
  void CreateHeaderButton();
  void CreateTrialAndUndo();
  void ApplyStoredOptions();
  void ShowPage(int page);
  void FileCheck();
  void RefreshPreview();
  void FillImportLists();
  void FieldsMoved(bool moved, const ui::ListBox& chosen);
  void Run();
  void RunEngine();
  // ---- the encoding, the header line, the trial run
  TextEncoding ChosenEncoding() const;
  void ShowFoundEncoding();
  void ShowTrialRun();
  ImportRequest MakeImportRequest() const;
  // Runs the chosen import (with request.dryRun, only its counts).
  ImportResult RunImport(const ImportRequest& request);
  void CreateVCardControls();
  int VCardPage(int normal, bool forward) const;
  void VCardPageEntered(int page);
  void RunVCard();
  VCardImportRequest MakeVCardRequest(bool dryRun) const;

  ImpExpEnvironment env_;
  int page_ = kPageStart;
  bool applyingOptions_ = false;
  bool running_ = false;
  bool linesLoaded_ = false;  // the last read of the import file succeeded
  int listedNameType_ = -1;   // the name layout the import lists were filled for
  int progressMax_ = 0;
  DWORD lastPump_ = 0;
  ui::Font boldFont_;
  std::vector<size_t> replacedLines_;  // lines of ImportLines that held characters code page 1252 lacks
  std::optional<HeaderMapping> header_;
  std::optional<ImportResult> trial_;
};

}  // namespace qc
