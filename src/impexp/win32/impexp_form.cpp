#include "impexp/win32/impexp_form.h"

#include <commdlg.h>

#include "impexp/export.h"
#include "impexp/field_texts.h"
#include "impexp/import.h"
#include "impexp/import_text.h"
#include "impexp/vcard.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "common/text.h"
#include "settings/wizard_options.h"
#include "ui/list_moves.h"

namespace qc {
namespace {

constexpr int kClientWidth = 520;
constexpr int kClientHeight = 352;
constexpr int kPageWidth = kClientWidth - 12;
constexpr int kPageHeight = 300;
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr char kNextCaption[] = "Next >>";
constexpr char kStartCaption[] = "Start";
// How often a run lets the window repaint and take input, in milliseconds.
constexpr DWORD kPumpInterval = 40;

void WriteList(ui::ListBox& list, const FieldList& f) { ui::SetListItems(list, f.items, f.selected); }

// Selects the row with this index, or none when the list has no such row.
void SelectRow(ui::ListBox& list, int index) { list.SetItemIndex(index < list.Count() ? index : -1); }

// Whether the export may write to this name: a file of that name is there,
// or one can be made. The check makes it exclusively with delete-on-close,
// so nothing stays behind.
bool ExportTargetUsable(const std::string& name) {
  if (name.empty()) return false;
  DWORD attributes = GetFileAttributesA(name.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

bool EndsWithText(const std::string& text, std::string_view end) {
  return text.size() >= end.size() && SameText(std::string_view(text).substr(text.size() - end.size()), end);
}

bool ShowOpenFileDialog(OpenFileDialog& dialog, HWND owner) {
  std::string filter = dialog.filter;
  for (char& c : filter)
    if (c == '|') c = '\0';
  filter.push_back('\0');
  char file[MAX_PATH * 2] = {};
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = dialog.initialDir.empty() ? nullptr : dialog.initialDir.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameA(&ofn)) return false;
  dialog.fileName = file;
  return true;
}

}  // namespace

bool OpenFileDialog::Execute(HWND owner) {
  return show ? show(*this, owner) : ShowOpenFileDialog(*this, owner);
}

TfmImpExp::TfmImpExp(ImpExpEnvironment env) : env_(std::move(env)) {}

// The window and its labels go before the font they are drawn with.
TfmImpExp::~TfmImpExp() { DestroyHandle(); }

WizardOperation TfmImpExp::Operation() const {
  return rgOperation.ItemIndex() == 0 ? WizardOperation::Import : WizardOperation::Export;
}

// ---------------------------------------------------------------- creation

void TfmImpExp::Create(HWND owner) {
  CreateForm(kImpExpCaption, kClientWidth, kClientHeight, owner);
  if (owner) {
    CenterOver(owner);
  } else {
    CenterOnScreen();
  }
  LOGFONTA lf{};
  GetObjectA(ui::DialogFont(), sizeof lf, &lf);
  lf.lfWeight = FW_BOLD;
  boldFont_.Reset(CreateFontIndirectA(&lf));

  Hojas.Create(Handle(), 6, 6, kPageWidth, kPageHeight, "", ui::Panel::Bevel::Lowered);
  CreatePages();

  const int y = kClientHeight - 38, w = 90, h = 28;
  btHelp.Create(Handle(), "Help", 6, y, w, h);
  btHelp.SetHint("Get Help");
  btPrior.Create(Handle(), "<< Previous", kClientWidth - 6 - 3 * w - 16, y, w, h);
  btPrior.SetHint("Go to previous step");
  btNext.Create(Handle(), kNextCaption, kClientWidth - 6 - 2 * w - 8, y, w, h);
  btNext.SetHint("Go to next step");
  btCancel.Create(Handle(), "Cancel", kClientWidth - 6 - w, y, w, h);
  btCancel.SetHint("Cancel the Import / Export operation");
  SetDefaultButton(&btCancel);
  btHelp.onClick = [this] { btHelpClick(); };
  btPrior.onClick = [this] { btPriorClick(); };
  btNext.onClick = [this] { btNextClick(); };
  btCancel.onClick = [this] { btCancelClick(); };
  btNext.SetEnabled(false);

  CreateVCardControls();
  ShowPage(kPageStart);
  ApplyStoredOptions();
  // A stored vCard file brings its format back with it.
  if (EndsWithText(edFile.Text(), ".vcf")) {
    rgFileFormat.SetItemIndex(1);
    rgFileFormatClick();
  }
}

ui::Panel& TfmImpExp::Page(int page) {
  ui::Panel* pages[] = {&tsStart,       &tsExportFields, &tsExportType, &tsImportFormat,
                        &tsImportFields, &tsImportType,  &tsFinal,      &tsProgress};
  return *pages[page];
}

void TfmImpExp::CreatePages() {
  const char* headings[] = {"Step 1 - Select the Operation and File",
                            "Step 2 - Select the Fields to Export",
                            "Step 3 - Select the Format",
                            "Step 2 - Format of the import file",
                            "Step 3 - Select the Fields to Import",
                            "Step 4 - Select the Import Operation",
                            "Start the Import / Export Operation",
                            "Import/Export Progress"};
  for (int i = 0; i < kWizardPageCount; ++i) {
    Page(i).Create(Hojas.Handle(), 2, 2, kPageWidth - 4, kPageHeight - 4);
    Page(i).SetVisible(false);
    laHeading[i].Create(Page(i).Handle(), headings[i], 8, 8, kPageWidth - 20, 30, 17, kNavy);
  }
  CreateStartPage();
  CreateExportPages();
  CreateImportFormatPage();
  CreateImportFieldsPage();
  CreateLastPages();
}

void TfmImpExp::CreateStartPage() {
  HWND p = tsStart.Handle();
  rgOperation.Create(p, "", {"Import to the Database from a Text File", "Export from the Database to a Text File"},
                     24, 56, 456, 66);
  rgOperation.SetHint("Select the operation you want to perform");
  rgOperation.SetItemIndex(1);
  rgOperation.onClick = [this] { rgOperationClick(); };

  laFile.Create(p, "File to Use:", 24, 142, 200, 15);
  edFile.Create(p, 24, 160, 428, 22);
  edFile.SetHint("This is the file to use. It should have a txt extension");
  edFile.onChange = [this] { edFileChange(); };
  btBrowse.Create(p, "...", 456, 160, 24, 24);
  btBrowse.SetHint("Browse for the file to use");
  btBrowse.onClick = [this] { btBrowseClick(); };
  // The browse button is a square as high as the file box, level with its top.
  RECT e = edFile.Bounds();
  int side = e.bottom - e.top;
  btBrowse.SetBounds(e.right + 4, e.top, side, side);
}

void TfmImpExp::CreateExportPages() {
  HWND p = tsExportFields.Handle();
  const int listW = 176, listH = 212, top = 64;
  laExportFields.Create(p, "Available Fields:", 16, top - 18, listW, 15);
  lbExportFields.Create(p, 16, top, listW, listH, false);
  lbExportFields.SetHint("This is the list of fields defined on Quillcard");
  laExportSelFields.Create(p, "Selected Fields:", 254, top - 18, listW, 15);
  lbExportSelFields.Create(p, 254, top, listW, listH, false);

  struct Arrow {
    ui::Button& button;
    const char* caption;
    const char* hint;
    int x, y;
  } arrows[] = {
      {btAdd1ExportField, ">", "Add one field", 204, top + 28},
      {btAddAllExportFields, ">>", "Add all fields", 204, top + 62},
      {btDel1ExportField, "<", "Delete one field", 204, top + 112},
      {btDelAllExportFields, "<<", "Delete all fields", 204, top + 146},
      {btExportUp, "Up", "Move up", 442, top + 62},
      {btExportDn, "Down", "Move down", 442, top + 112},
  };
  for (Arrow& a : arrows) {
    a.button.Create(p, a.caption, a.x, a.y, 38, 28);
    a.button.SetHint(a.hint);
  }
  btAdd1ExportField.onClick = [this] { btAdd1ExportFieldClick(); };
  btAddAllExportFields.onClick = [this] { btAddAllExportFieldsClick(); };
  btDel1ExportField.onClick = [this] { btDel1ExportFieldClick(); };
  btDelAllExportFields.onClick = [this] { btDelAllExportFieldsClick(); };
  btExportUp.onClick = [this] { btExportUpClick(); };
  btExportDn.onClick = [this] { btExportDnClick(); };
  lbExportFields.onDblClick = [this] { btAdd1ExportFieldClick(); };
  lbExportSelFields.onDblClick = [this] { btDel1ExportFieldClick(); };

  p = tsExportType.Handle();
  rgExportType.Create(p, "Format", {"Comma delimited", "TAB delimited"}, 24, 56, 300, 66);
  rgExportType.SetHint("Select the format of the export file");
  rgExportType.SetItemIndex(0);
  cbAddHeaders.Create(p, "Add Headers (Recommended)", 24, 138, 300, 20);
  cbAddHeaders.SetHint("Add a header line to the Import file so that you can easily work with it later");
  cbAddHeaders.SetChecked(true);
}

void TfmImpExp::CreateImportFormatPage() {
  HWND p = tsImportFormat.Handle();
  laSeparator.Create(p, "Separator Character(s):", 24, 62, 150, 15);
  edSeparator.Create(p, 180, 58, 80, 22);
  edSeparator.SetHint("Select the character(s) used to separate the fields");
  edSeparator.onChange = [this] { edSeparatorChange(); };
  cbTAB.Create(p, "TAB Character", 280, 60, 160, 18);
  cbTAB.SetHint("Check to use TAB separated files");
  cbTAB.onClick = [this] { cbTABClick(); };
  laQuote.Create(p, "Quote (ignored):", 24, 96, 150, 15);
  edQuote.Create(p, 180, 92, 30, 22);
  SendMessageA(edQuote.Handle(), EM_LIMITTEXT, 1, 0);
  edQuote.SetHint("Enter a quote (\") character that should be ignored");
  edQuote.onChange = [this] { edQuoteChange(); };
  rgNameType.Create(p, "Format of the required Name field",
                    {"Complete name in a single field", "Name in up to three fields (First, Middle and Last)"},
                    24, 134, 456, 66);
  rgNameType.SetHint(
      "If your import file contains the names in more than one field, you should select the second option");
  rgNameType.SetItemIndex(0);
  rgNameType.onClick = [this] { rgNameTypeClick(); };
  CreateEncodingChoice();
}

void TfmImpExp::CreateImportFieldsPage() {
  HWND p = tsImportFields.Handle();
  const int listW = 146, listH = 196, top = 62;
  laImportExisting.Create(p, "Fields in Import File:", 8, top - 18, listW, 15);
  lbImportExisting.Create(p, 8, top, listW, listH, false);
  lbImportExisting.SetHint("This is the list of fields in the Import file");
  lbImportExisting.onChange = [this] { lbImportExistingClick(); };
  laImportSelFields.Create(p, "Selected Fields:", 160, top - 18, listW, 15);
  lbImportSelFields.Create(p, 160, top, listW, listH, false);
  lbImportSelFields.SetHint(
      "This is the list of fields you are going to import. It should match with the fields used in the import file");
  lbImportSelFields.onChange = [this] { lbImportSelFieldsClick(); };
  lbImportSelFields.onDblClick = [this] { btDel1ImportClick(); };
  laImportFields.Create(p, "Available Fields:", 352, top - 18, listW, 15);
  lbImportFields.Create(p, 352, top, listW, listH, false);
  lbImportFields.SetHint("This is the list of all defined fields on Quillcard");
  lbImportFields.onDblClick = [this] { btAdd1ImportClick(); };

  const int below = top + listH + 6;
  btPrevRecord.Create(p, "<", 8, below, 30, 24);
  btPrevRecord.SetHint("Go to previous record on the import file");
  laImportRecord.Create(p, "Record: 1", 40, below + 5, listW - 64, 15, SS_CENTER);
  btNextRecord.Create(p, ">", 8 + listW - 30, below, 30, 24);
  btNextRecord.SetHint("Go to the next record on the import file");
  btPrevRecord.onClick = [this] { btPrevRecordClick(); };
  btNextRecord.onClick = [this] { btNextRecordClick(); };

  struct Arrow {
    ui::Button& button;
    const char* caption;
    const char* hint;
    int x, y, w, h;
  } arrows[] = {
      {btAdd1Import, "<", "Add one field", 311, top + 28, 36, 28},
      {btAddAllImport, "<<", "Add all fields", 311, top + 62, 36, 28},
      {btDel1Import, ">", "Delete one field", 311, top + 112, 36, 28},
      {btDelAllImport, ">>", "Delete all fields", 311, top + 146, 36, 28},
      {btImportUp, "Up", "Move up", 160, below, 70, 24},
      {btImportDn, "Down", "Move down", 160 + listW - 70, below, 70, 24},
  };
  for (Arrow& a : arrows) {
    a.button.Create(p, a.caption, a.x, a.y, a.w, a.h);
    a.button.SetHint(a.hint);
  }
  btAdd1Import.onClick = [this] { btAdd1ImportClick(); };
  btAddAllImport.onClick = [this] { btAddAllImportClick(); };
  btDel1Import.onClick = [this] { btDel1ImportClick(); };
  btDelAllImport.onClick = [this] { btDelAllImportClick(); };
  btImportUp.onClick = [this] { btImportUpClick(); };
  btImportDn.onClick = [this] { btImportDnClick(); };
  CreateHeaderButton();
}

void TfmImpExp::CreateLastPages() {
  HWND p = tsImportType.Handle();
  rgImport.Create(p, "Database Import", {"Append (Replace Records)", "Append (Append Records)", "Replace"}, 24, 56,
                  300, 86);
  rgImport.SetHint(
      "Select the Import operation. Click on the Help button to learn the differences between the three options");
  rgImport.SetItemIndex(0);
  cbIgnoreHeaders.Create(p, "Ignore First line (Headers)", 24, 158, 300, 20);
  cbIgnoreHeaders.SetHint("If the first line is a header line click here to ignore it");
  cbIgnoreHeaders.SetChecked(true);
  cbBackup.Create(p, "Make backup (Recommended)", 24, 184, 300, 20);
  cbBackup.SetHint(
      "Makes a copy of your current database. If the Import operation fails you will be able to revert to your "
      "current database");
  cbBackup.SetChecked(true);

  laFinal.Create(tsFinal.Handle(), "Click on the Start button below to start the Import / Export operation", 24, 90,
                 456, 40, SS_CENTER);

  p = tsProgress.Handle();
  pbProgress.Create(p, 24, 96, 456, 22);
  paProgress.Create(p, kFinishedText, 24, 140, 456, 32, SS_CENTER | SS_CENTERIMAGE);
  SetWindowLongA(paProgress.Handle(), GWL_EXSTYLE,
                 GetWindowLongA(paProgress.Handle(), GWL_EXSTYLE) | WS_EX_STATICEDGE);
  SetWindowPos(paProgress.Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED | SWP_NOACTIVATE);
  paProgress.SetFont(boldFont_.Get());
  paProgress.SetTextColor(kNavy);
  paProgress.SetVisible(false);
  CreateTrialAndUndo();
}

// The choices of the last run, applied in a fixed order. The separator and
// TAB boxes leave Next alone meanwhile: only a stored file name can enable it.
void TfmImpExp::ApplyStoredOptions() {
  const WizardOptions stored = ReadWizardOptions(*env_.options);
  applyingOptions_ = true;

  if (!stored.Filename.empty() && FileExists(stored.Filename)) edFile.SetText(stored.Filename);

  FieldList available{ExportFieldTexts(env_.settings->FieldNames), -1}, chosen;
  MoveStoredFields(stored.ExportFields, available, chosen);
  WriteList(lbExportFields, available);
  WriteList(lbExportSelFields, chosen);

  // A stored choice that the group does not offer leaves the group as designed.
  if (stored.ExportType >= 0 && stored.ExportType < rgExportType.ItemCount())
    rgExportType.SetItemIndex(stored.ExportType);
  cbAddHeaders.SetChecked(stored.AddHeaders);

  if (stored.NameType >= 0 && stored.NameType < rgNameType.ItemCount()) rgNameType.SetItemIndex(stored.NameType);
  FillImportLists();
  available = {ui::ListItems(lbImportFields), lbImportFields.ItemIndex()};
  chosen = {};
  MoveStoredFields(stored.ImportFields, available, chosen);
  WriteList(lbImportFields, available);
  WriteList(lbImportSelFields, chosen);

  if (stored.SeparatorIsTab()) {
    cbTAB.SetChecked(true);
    cbTABClick();
  } else {
    edSeparator.SetText(stored.Separator);
    edSeparatorChange();
  }

  edQuote.SetText(stored.QuoteChar() ? std::string(1, *stored.QuoteChar()) : std::string());
  edQuoteChange();

  if (stored.ImportType >= 0 && stored.ImportType < rgImport.ItemCount()) rgImport.SetItemIndex(stored.ImportType);
  cbIgnoreHeaders.SetChecked(stored.IgnoreHeaders);
  cbBackup.SetChecked(stored.Backup);

  applyingOptions_ = false;
}

// ---------------------------------------------------------------- pages

void TfmImpExp::ShowPage(int page) {
  page_ = page;
  for (int i = 0; i < kWizardPageCount; ++i) Page(i).SetVisible(i == page);
  switch (page) {
    case kPageStart:
      btPrior.SetVisible(false);
      // Next is for the file named here, whatever a later page made of it.
      FileCheck();
      break;
    case kPageExportFields:
      btNext.SetEnabled(lbExportSelFields.Count() > 0);
      btPrior.SetVisible(true);
      break;
    case kPageExportType:
    case kPageImportType:
      btNext.SetText(kNextCaption);
      break;
    case kPageImportFormat:
      btNext.SetEnabled(!ImportSeparators.empty());
      ShowFoundEncoding();
      break;
    case kPageImportFields:
      btPrior.SetVisible(true);
      // As on the export's field page: an import without a chosen field
      // would create no contact (and in "Replace" remove them all).
      btNext.SetEnabled(lbImportSelFields.Count() > 0);
      RefreshPreview();
      break;
    case kPageFinal:
      btNext.SetText(kStartCaption);
      ShowTrialRun();
      break;
    case kPageProgress:
      btCancel.SetText("Exit");
      btCancel.SetEnabled(false);
      btPrior.SetVisible(false);
      btNext.SetVisible(false);
      Run();
      break;
  }
  VCardPageEntered(page);
}

void TfmImpExp::btNextClick() {
  int next = NextWizardPage(page_, Operation());
  if (VCardChosen()) next = VCardPage(next, true);
  if (next >= 0) ShowPage(next);
}

void TfmImpExp::btPriorClick() {
  int prior = PriorWizardPage(page_, Operation());
  if (VCardChosen()) prior = VCardPage(prior, false);
  if (prior >= 0) ShowPage(prior);
}


void TfmImpExp::btHelpClick() { ui::ShowHelpTopic(Handle(), WizardHelpContext(page_)); }

void TfmImpExp::btCancelClick() { SetModalResult(ui::ModalResult::Cancel); }

bool TfmImpExp::FormCloseQuery() { return !running_; }

bool TfmImpExp::EscapeKey() {
  if (!btCancel.Enabled()) return false;
  btCancel.Click();
  return true;
}

LRESULT TfmImpExp::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_HELP) {
    btHelpClick();
    return TRUE;
  }
  return Form::OnMessage(msg, wp, lp);
}

// ---------------------------------------------------------------- page 0

void TfmImpExp::FileCheck() {
  const std::string name = edFile.Text();
  btNext.SetEnabled(Operation() == WizardOperation::Import ? FileExists(name) : ExportTargetUsable(name));
  PreviewLine = -1;
}

void TfmImpExp::rgOperationClick() { FileCheck(); }

void TfmImpExp::edFileChange() { FileCheck(); }

void TfmImpExp::btBrowseClick() {
  dgOpen.initialDir = FolderOf(edFile.Text());
  if (dgOpen.Execute(Handle())) edFile.SetText(dgOpen.fileName);
}

// ---------------------------------------------------------------- the field lists

// After a move between the two lists: Next needs a chosen field.
void TfmImpExp::FieldsMoved(bool moved, const ui::ListBox& chosen) {
  if (moved) btNext.SetEnabled(chosen.Count() > 0);
}

void TfmImpExp::btAdd1ExportFieldClick() {
  FieldsMoved(ui::MoveSelectedItem(lbExportFields, lbExportSelFields), lbExportSelFields);
}
void TfmImpExp::btAddAllExportFieldsClick() {
  FieldsMoved(ui::MoveAllItems(lbExportFields, lbExportSelFields), lbExportSelFields);
}
void TfmImpExp::btDel1ExportFieldClick() {
  FieldsMoved(ui::MoveSelectedItem(lbExportSelFields, lbExportFields), lbExportSelFields);
}
void TfmImpExp::btDelAllExportFieldsClick() {
  FieldsMoved(ui::MoveAllItems(lbExportSelFields, lbExportFields), lbExportSelFields);
}
void TfmImpExp::btExportUpClick() { ui::MoveSelectedItemBy(lbExportSelFields, -1); }
void TfmImpExp::btExportDnClick() { ui::MoveSelectedItemBy(lbExportSelFields, +1); }

// "(Skip column)" may be chosen any number of times: adding it copies it,
// and deleting a chosen one drops it, so the available list keeps one.
void TfmImpExp::btAdd1ImportClick() {
  const int i = lbImportFields.ItemIndex();
  if (i >= 0 && lbImportFields.Item(i) == kSkipColumnText) {
    lbImportSelFields.Add(kSkipColumnText);
    FieldsMoved(true, lbImportSelFields);
    return;
  }
  FieldsMoved(ui::MoveSelectedItem(lbImportFields, lbImportSelFields), lbImportSelFields);
}
void TfmImpExp::btAddAllImportClick() {
  FieldList available{ui::ListItems(lbImportFields), -1}, chosen{ui::ListItems(lbImportSelFields), -1};
  if (available.items.empty()) return;
  for (std::string& item : available.items)
    if (item != kSkipColumnText) chosen.items.push_back(std::move(item));
  const bool skip = IndexOfText(available.items, kSkipColumnText) >= 0;
  WriteList(lbImportSelFields, chosen);
  WriteList(lbImportFields, {skip ? std::vector<std::string>{kSkipColumnText} : std::vector<std::string>{}, -1});
  FieldsMoved(true, lbImportSelFields);
}
void TfmImpExp::btDel1ImportClick() {
  const int i = lbImportSelFields.ItemIndex();
  if (i >= 0 && lbImportSelFields.Item(i) == kSkipColumnText) {
    lbImportSelFields.Delete(i);
    const int last = lbImportSelFields.Count() - 1;
    lbImportSelFields.SetItemIndex(i < last ? i : last);
    FieldsMoved(true, lbImportSelFields);
    return;
  }
  FieldsMoved(ui::MoveSelectedItem(lbImportSelFields, lbImportFields), lbImportSelFields);
}
void TfmImpExp::btDelAllImportClick() {
  FieldList available{ui::ListItems(lbImportFields), -1}, chosen{ui::ListItems(lbImportSelFields), -1};
  if (chosen.items.empty()) return;
  for (std::string& item : chosen.items)
    if (item != kSkipColumnText) available.items.push_back(std::move(item));
  WriteList(lbImportFields, available);
  WriteList(lbImportSelFields, {});
  FieldsMoved(true, lbImportSelFields);
}
void TfmImpExp::btImportUpClick() { ui::MoveSelectedItemBy(lbImportSelFields, -1); }
void TfmImpExp::btImportDnClick() { ui::MoveSelectedItemBy(lbImportSelFields, +1); }

// ---------------------------------------------------------------- page 3

void TfmImpExp::edSeparatorChange() {
  // While TAB is ticked the box is disabled and TAB stays the separator.
  if (cbTAB.Checked()) return;
  ImportSeparators = edSeparator.Text();
  if (!applyingOptions_) btNext.SetEnabled(!ImportSeparators.empty());
}

void TfmImpExp::cbTABClick() {
  const bool tab = cbTAB.Checked();
  ImportSeparators = tab ? std::string("\t") : edSeparator.Text();
  edSeparator.SetEnabled(!tab);
  if (!applyingOptions_) btNext.SetEnabled(!ImportSeparators.empty());
}

void TfmImpExp::edQuoteChange() {
  const std::string text = edQuote.Text();
  ImportQuote = text.empty() ? std::nullopt : std::optional<char>(text[0]);
}

void TfmImpExp::FillImportLists() {
  listedNameType_ = rgNameType.ItemIndex();
  lbImportSelFields.Clear();
  WriteList(lbImportFields, {ImportFieldChoices(listedNameType_ == 1 ? 1 : 0, env_.settings->FieldNames), -1});
}

// A click on the layout already chosen keeps the fields the user chose.
void TfmImpExp::rgNameTypeClick() {
  if (rgNameType.ItemIndex() != listedNameType_) FillImportLists();
}

// ---------------------------------------------------------------- page 4

void TfmImpExp::RefreshPreview() {
  lbImportExisting.Clear();
  if (PreviewLine == -1) {
    ReadResult file = ReadWholeFile(edFile.Text());
    if (file.status != ReadStatus::Ok) {
      // Lines of an earlier file are not kept: they are not what the user named.
      ImportLines.clear();
      replacedLines_.clear();
      header_.reset();
      btUseHeaders.SetVisible(false);
      linesLoaded_ = false;
      ui::ShowMessage(Handle(), kImportFileUnreadable, MB_OK | MB_ICONWARNING);
      return;
    }
    ImportText text = DecodeImportFile(file.content, ChosenEncoding());
    ImportLines.assign(text.lines.begin(), text.lines.end());
    replacedLines_ = std::move(text.linesWithReplacements);
    laEncodingFound.SetText(std::string("Read as ") + EncodingName(text.encoding));
    linesLoaded_ = true;
    header_.reset();
    btUseHeaders.SetVisible(false);
    if (ImportLines.empty()) return;
    PreviewLine = 0;
    header_ = RecogniseHeader(SplitImportLine(ImportLines[0], ImportSeparators, ImportQuote),
                              env_.settings->FieldNames);
    btUseHeaders.SetVisible(header_.has_value());
  }
  laImportRecord.SetText("Record: " + std::to_string(PreviewLine));
  for (const std::string& field :
       SplitImportLine(ImportLines[static_cast<size_t>(PreviewLine)], ImportSeparators, ImportQuote))
    lbImportExisting.Add(field);
  SelectRow(lbImportExisting, lbImportSelFields.ItemIndex());
}

void TfmImpExp::btPrevRecordClick() {
  if (PreviewLine > 0) --PreviewLine;
  RefreshPreview();
}

void TfmImpExp::btNextRecordClick() {
  if (PreviewLine < static_cast<int>(ImportLines.size()) - 1) ++PreviewLine;
  RefreshPreview();
}

void TfmImpExp::lbImportExistingClick() { SelectRow(lbImportSelFields, lbImportExisting.ItemIndex()); }

void TfmImpExp::lbImportSelFieldsClick() { SelectRow(lbImportExisting, lbImportSelFields.ItemIndex()); }

// ---------------------------------------------------------------- the run

void TfmImpExp::Run() {
  const bool isImport = Operation() == WizardOperation::Import;
  WizardOptions chosen;
  chosen.Filename = edFile.Text();
  chosen.ExportFields = ui::ListItems(lbExportSelFields);
  chosen.ExportType = rgExportType.ItemIndex();
  chosen.AddHeaders = cbAddHeaders.Checked();
  chosen.ImportFields = ui::ListItems(lbImportSelFields);
  chosen.Separator = ImportSeparators;
  chosen.SetQuoteChar(ImportQuote);
  chosen.NameType = rgNameType.ItemIndex();
  chosen.ImportType = rgImport.ItemIndex();
  chosen.IgnoreHeaders = cbIgnoreHeaders.Checked();
  chosen.Backup = cbBackup.Checked();
  try {
    WriteWizardOptions(*env_.options, chosen, isImport);
  } catch (const std::exception& e) {
    // Nothing runs; the close box is the way out.
    ui::ReportError(e.what());
    return;
  }

  bool failed = false;
  running_ = true;
  try {
    RunEngine();
  } catch (...) {
    failed = true;
  }
  running_ = false;
  if (failed) {
    paProgress.SetText(kRunFailedText);
    paProgress.SetTextColor(kRed);
  } else {
    // The engines stop one short of the maximum; a finished run shows a full bar.
    pbProgress.SetPosition(progressMax_);
  }
  paProgress.SetVisible(true);
  btCancel.SetEnabled(true);
}

void TfmImpExp::RunEngine() {
  if (VCardChosen()) {
    RunVCard();
    return;
  }
  if (Operation() == WizardOperation::Export) {
    ExportRequest request;
    request.fields = ui::ListItems(lbExportSelFields);
    request.format = rgExportType.ItemIndex() == 1 ? ExportFormat::Tab : ExportFormat::Comma;
    request.addHeaders = cbAddHeaders.Checked();
    ExportContacts(**env_.contactList, env_.settings->FieldNames, request, edFile.Text(), *this);
    return;
  }
  const ImportRequest request = MakeImportRequest();
  if (env_.contactsChanging) env_.contactsChanging();
  // The list as it is now, for the undo: taken before anything changes,
  // handed over only when the import took effect (a failed one changes nothing).
  std::unique_ptr<TDatabase> before;
  if (env_.keepForUndo) before = CopyOfList(**env_.contactList);
  RunImport(request);
  if (env_.keepForUndo) {
    env_.keepForUndo(std::move(before));
    btUndoImport.SetVisible(static_cast<bool>(env_.undoImport));
  }
  if (env_.contactsChanged) env_.contactsChanged();
}

void TfmImpExp::SetProgressMax(int count) {
  progressMax_ = count;
  pbProgress.SetRange(0, count);
  pbProgress.SetPosition(0);
  lastPump_ = GetTickCount();
  ui::Application::Get().ProcessMessages();
}

// The bar and the window's messages are brought up to date every few
// milliseconds and at the last item: moving a progress bar repaints it at
// once, which for every line of a large file would cost far more than the
// import itself.
void TfmImpExp::SetProgressPosition(int position) {
  const DWORD now = GetTickCount();
  if (now - lastPump_ >= kPumpInterval || position + 1 >= progressMax_) {
    lastPump_ = now;
    pbProgress.SetPosition(position);
    ui::Application::Get().ProcessMessages();
  }
}

}  // namespace qc

// ---------------------------------------------------------------- the encoding, the header line, the trial run, the undo

namespace qc {
namespace {

constexpr int kTrialTop = 46;

std::string Counted(int n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// What the import will do, one line per count, as the Final page says it.
std::string TrialRunText(const ImportResult& r, ImportMode mode) {
  std::string text = "A trial run over the file finds that the import will do this:\r\n\r\n";
  if (mode == ImportMode::Replace)
    text += "First remove " + Counted(r.removed, "contact", "contacts") + " now in the list.\r\n";
  text += "Add " + Counted(r.added, "contact", "contacts") + ".\r\n";
  text += "Replace " + Counted(mode == ImportMode::AppendReplaceRecords ? r.removed : 0, "contact", "contacts") +
          " of the same name.\r\n";
  text += "Skip " + Counted(r.skipped, "contact", "contacts") +
          " as duplicates (a later line of the file has the same name).\r\n";
  text += "Number " + Counted(r.numbered, "contact", "contacts") + " whose name is taken, as \"Name [1]\".\r\n";
  text += "Put \"?\" for characters that Windows cannot hold in " +
          Counted(r.withReplacedCharacters, "contact", "contacts") + ".\r\n";
  if (r.nameless > 0) text += "Leave out " + Counted(r.nameless, "line", "lines") + " that give no name.\r\n";
  return text;
}

}  // namespace

void TfmImpExp::CreateEncodingChoice() {
  HWND p = tsImportFormat.Handle();
  laEncoding.Create(p, "Encoding:", 24, 222, 150, 15);
  lbEncoding.Create(p, 180, 218, 180, 120, false);
  // In the order of TextEncoding.
  lbEncoding.AddAll({"Automatic", "Windows (code page 1252)", "UTF-8", "UTF-16"});
  lbEncoding.SetItemIndex(0);
  lbEncoding.SetHint("How the characters of the import file are written; Automatic finds it from the file");
  lbEncoding.onChange = [this] { lbEncodingChange(); };
  laEncodingFound.Create(p, "", 180, 248, 300, 15, SS_NOPREFIX);
}

void TfmImpExp::CreateHeaderButton() {
  HWND p = tsImportFields.Handle();
  const RECT heading = laHeading[kPageImportFields].Bounds();
  laHeading[kPageImportFields].SetBounds(heading.left, heading.top, 336, heading.bottom - heading.top);
  btUseHeaders.Create(p, "Use Header Line", kPageWidth - 4 - 8 - 132, 10, 132, 26);
  btUseHeaders.SetHint("The first line of the file names its columns: choose the fields from it");
  btUseHeaders.onClick = [this] { btUseHeadersClick(); };
  btUseHeaders.SetVisible(false);
}

void TfmImpExp::CreateTrialAndUndo() {
  laTrialRun.Create(tsFinal.Handle(), "", 24, kTrialTop, 456, 168, SS_NOPREFIX);
  laTrialRun.SetVisible(false);
  btUndoImport.Create(tsProgress.Handle(), kUndoImportCaption, 24 + (456 - 150) / 2, 236, 150, 28);
  btUndoImport.SetHint("Put the contacts back as they were before this import");
  btUndoImport.onClick = [this] { btUndoImportClick(); };
  btUndoImport.SetVisible(false);
}

TextEncoding TfmImpExp::ChosenEncoding() const {
  const int i = lbEncoding.ItemIndex();
  return i >= 0 && i <= static_cast<int>(TextEncoding::Utf16) ? static_cast<TextEncoding>(i) : TextEncoding::Auto;
}

// What the file named reads as under the encoding chosen; nothing when it cannot be read.
void TfmImpExp::ShowFoundEncoding() {
  ReadResult file = ReadWholeFile(edFile.Text());
  laEncodingFound.SetText(file.status == ReadStatus::Ok
                              ? std::string("Read as ") + EncodingName(EncodingFor(file.content, ChosenEncoding()))
                              : std::string());
}

void TfmImpExp::lbEncodingChange() {
  PreviewLine = -1;  // the preview reads the file again in the new encoding
  ShowFoundEncoding();
}

// Chooses the fields the header line names, with its name layout, and
// leaves that line out of the import.
void TfmImpExp::btUseHeadersClick() {
  if (!header_) return;
  const int layout = header_->nameLayout == NameLayout::NameParts ? 1 : 0;
  rgNameType.SetItemIndex(layout);
  FillImportLists();
  FieldList available{ui::ListItems(lbImportFields), -1}, chosen;
  MoveStoredFields(header_->fields, available, chosen);
  WriteList(lbImportFields, available);
  WriteList(lbImportSelFields, chosen);
  cbIgnoreHeaders.SetChecked(true);
  btNext.SetEnabled(lbImportSelFields.Count() > 0);
  SelectRow(lbImportExisting, -1);
}

ImportRequest TfmImpExp::MakeImportRequest() const {
  // The lines must be those of the file named now.
  if (!linesLoaded_) throw std::runtime_error(kImportFileUnreadable);
  ImportRequest request;
  request.separators = ImportSeparators;
  request.quote = ImportQuote;
  request.nameLayout = rgNameType.ItemIndex() == 1 ? NameLayout::NameParts : NameLayout::FullName;
  request.fields = ui::ListItems(lbImportSelFields);
  const int mode = rgImport.ItemIndex();
  request.mode = mode == 1 ? ImportMode::AppendRecords : mode == 2 ? ImportMode::Replace : ImportMode::AppendReplaceRecords;
  request.ignoreFirstLine = cbIgnoreHeaders.Checked();
  request.makeBackup = cbBackup.Checked();
  request.dataFile = env_.dataFile;
  request.linesWithReplacedCharacters = replacedLines_;
  return request;
}

ImportResult TfmImpExp::RunImport(const ImportRequest& request) {
  if (request.dryRun) {
    NoProgress none;
    return ImportContacts(ImportLines, request, *env_.settings, *env_.contactList, none);
  }
  return ImportContacts(ImportLines, request, *env_.settings, *env_.contactList, *this);
}

// The Final page of an import says what the import will do, from a run
// that changes nothing.
void TfmImpExp::ShowTrialRun() {
  trial_.reset();
  const bool isImport = Operation() == WizardOperation::Import;
  // A vCard's Final page also lists its first contacts, below the counts.
  const bool vcard = VCardChosen();
  laTrialRun.SetVisible(isImport);
  laTrialRun.SetBounds(24, kTrialTop, 456, vcard ? 124 : 168);
  if (!isImport) {
    laFinal.SetBounds(24, 90, 456, 40);
    return;
  }
  laFinal.SetBounds(24, vcard ? 262 : kTrialTop + 176, 456, vcard ? 32 : 40);
  std::string text;
  try {
    if (vcard) {
      const VCardImportRequest request = MakeVCardRequest(true);
      ReadResult file = ReadWholeFile(edFile.Text());
      if (file.status != ReadStatus::Ok) throw std::runtime_error(kImportFileUnreadable);
      NoProgress none;
      trial_ = ImportVCards(file.content, request, *env_.settings, *env_.contactList, none).counts;
      text = TrialRunText(*trial_, request.mode);
    } else {
      ImportRequest request = MakeImportRequest();
      request.dryRun = true;
      trial_ = RunImport(request);
      text = TrialRunText(*trial_, request.mode);
    }
  } catch (const std::exception& e) {
    text = std::string("A trial run of the import failed: ") + e.what();
  }
  laTrialRun.SetText(text);
}

void TfmImpExp::btUndoImportClick() {
  if (!env_.undoImport || !env_.undoImport()) return;
  btUndoImport.SetVisible(false);
  paProgress.SetText(kImportUndoneText);
}

}  // namespace qc

// ---------------------------------------------------------------- vCard

namespace qc {

namespace {
constexpr char kTextFilter[] = "Text Files|*.txt";
constexpr char kVCardFilter[] = "vCard Files|*.vcf";
constexpr size_t kVCardPreviewCount = 20;
}  // namespace

void TfmImpExp::CreateVCardControls() {
  rgFileFormat.Create(tsStart.Handle(), "File Format", {"Delimited text (comma or TAB)", "vCard (.vcf)"}, 24, 200,
                      456, 48, 2);
  rgFileFormat.SetHint("Delimited text for spreadsheets and databases; vCard for phones, mail programs and web "
                       "address books");
  rgFileFormat.SetItemIndex(0);
  rgFileFormat.onClick = [this] { rgFileFormatClick(); };

  HWND p = tsFinal.Handle();
  laVCardPreview.Create(p, "The first contacts of the file, as they will be imported:", 24, 174, 456, 15);
  lbVCardPreview.Create(p, 24, 192, 456, 66, false);
  lbVCardPreview.SetHint("Name, company and phone of the first contacts in the vCard file");
  laVCardResult.Create(tsProgress.Handle(), "", 24, 184, 456, 40, SS_CENTER | SS_NOPREFIX);
  laVCardPreview.SetVisible(false);
  lbVCardPreview.SetVisible(false);
}

void TfmImpExp::rgFileFormatClick() { dgOpen.filter = VCardChosen() ? kVCardFilter : kTextFilter; }

// The page Next or Previous leads to for a vCard, from the one they lead to
// for delimited text: the field, format and export type pages are passed by.
int TfmImpExp::VCardPage(int normal, bool forward) const {
  switch (normal) {
    case kPageExportFields:
    case kPageExportType:
      return forward ? kPageFinal : kPageStart;
    case kPageImportFormat:
    case kPageImportFields:
      return forward ? kPageImportType : kPageStart;
    default:
      return normal;
  }
}

void TfmImpExp::VCardPageEntered(int page) {
  const bool vcard = VCardChosen();
  // A vCard has no header line to ignore.
  cbIgnoreHeaders.SetEnabled(!vcard);
  const bool preview = vcard && page == kPageFinal && Operation() == WizardOperation::Import;
  laVCardPreview.SetVisible(preview);
  lbVCardPreview.SetVisible(preview);
  if (!vcard) return;
  // Coming straight from page 0 the way back is still hidden.
  if (page == kPageImportType || page == kPageFinal) btPrior.SetVisible(true);
  if (!preview) return;
  lbVCardPreview.Clear();
  ReadResult file = ReadWholeFile(edFile.Text());
  if (file.status != ReadStatus::Ok) {
    ui::ShowMessage(Handle(), kImportFileUnreadable, MB_OK | MB_ICONWARNING);
    return;
  }
  for (const VCardContact& c : PreviewVCards(file.content, *env_.settings, kVCardPreviewCount)) {
    std::string row = c.texts[TRecord::kName];
    for (int field : {TRecord::kCompany, TRecord::kPhone})
      if (!c.texts[static_cast<size_t>(field)].empty()) (row += "  -  ") += c.texts[static_cast<size_t>(field)];
    for (char& ch : row)
      if (static_cast<unsigned char>(ch) < 0x20) ch = ' ';
    lbVCardPreview.Add(row);
  }
}

VCardImportRequest TfmImpExp::MakeVCardRequest(bool dryRun) const {
  VCardImportRequest request;
  const int mode = rgImport.ItemIndex();
  request.mode =
      mode == 1 ? ImportMode::AppendRecords : mode == 2 ? ImportMode::Replace : ImportMode::AppendReplaceRecords;
  request.makeBackup = cbBackup.Checked() && !dryRun;
  request.dataFile = env_.dataFile;
  request.dryRun = dryRun;
  return request;
}

void TfmImpExp::RunVCard() {
  laVCardResult.SetText("");
  if (Operation() == WizardOperation::Export) {
    const int written = ExportVCards(**env_.contactList, env_.settings->FieldNames, edFile.Text(), *this);
    laVCardResult.SetText(std::to_string(written) + " contacts written");
    return;
  }
  ReadResult file = ReadWholeFile(edFile.Text());
  if (file.status != ReadStatus::Ok) throw std::runtime_error(kImportFileUnreadable);
  const VCardImportRequest request = MakeVCardRequest(false);
  if (env_.contactsChanging) env_.contactsChanging();
  // As for delimited text: the list as it was, handed over for the undo
  // only when the import took effect.
  std::unique_ptr<TDatabase> before;
  if (env_.keepForUndo) before = CopyOfList(**env_.contactList);
  const VCardImportResult r = ImportVCards(file.content, request, *env_.settings, *env_.contactList, *this);
  if (env_.keepForUndo) {
    env_.keepForUndo(std::move(before));
    btUndoImport.SetVisible(static_cast<bool>(env_.undoImport));
  }
  if (env_.contactsChanged) env_.contactsChanged();
  laVCardResult.SetText(std::to_string(r.counts.added) + " added, " + std::to_string(r.counts.replaced) +
                        " replaced, " + std::to_string(r.counts.nameless) + " skipped without a name\r\n" +
                        std::to_string(r.damaged) + " damaged cards skipped, " +
                        std::to_string(r.counts.withReplacedCharacters) + " with characters replaced by \"?\"");
}

}  // namespace qc
