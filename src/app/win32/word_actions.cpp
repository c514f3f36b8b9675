// The main window's Word actions: inserting the shown contact, the mail
// merge page's buttons and the Word interface configuration.
#include <algorithm>
#include <memory>

#include "app/win32/main_form.h"
#include "app/win32/program.h"
#include "data/letter.h"
#include "word/mail_merge.h"
#include "word/win32/word_config_form.h"
#include "word/win32/word_host.h"
#include "word/win32/word_session.h"
#include "word/word_insert.h"

namespace qc {
namespace {

// Probes Word and connects to it. Null when the action is to end: no usable
// Word (the user has been told why), or no connection, after which the
// program saves what it holds and ends.
std::unique_ptr<word::WordBasic> BeginWordAction(TfmMain& form, UserMessages& messages) {
  try {
    word::Win32WordHost host;
    word::WordGeneration generation = word::ProbeWord(host, messages);
    if (generation == word::WordGeneration::None) return nullptr;
    return word::ConnectWord(generation);
  } catch (const std::exception&) {
    messages.Information(word::kUnableToConnectMessage);
    // Ending here passes by the window's close, which is where contacts and
    // settings are written: write them first. When that fails the user has
    // been told, and the program stays open with everything still in memory.
    if (form.SaveContactsAndSettings()) ui::QuitNow(0);
    return nullptr;
  }
}

// Moves the selected item of `from` to the end of `to` (into its place when
// `to` is sorted) and selects the item now at the same place in `from`.
void MoveSelected(ui::ListBox& from, ui::ListBox& to) {
  int i = from.ItemIndex();
  if (i < 0) return;
  to.Add(from.Item(i));
  from.Delete(i);
  int left = from.Count();
  from.SetItemIndex(left == 0 ? -1 : std::min(i, left - 1));
}

void MoveAll(ui::ListBox& from, ui::ListBox& to) {
  for (int i = 0; i < from.Count(); ++i) to.Add(from.Item(i));
  from.Clear();
}

// Exchanges the selected item with its neighbour `step` places away and keeps it selected.
void MoveSelection(ui::ListBox& list, int step) {
  int i = list.ItemIndex();
  int j = i + step;
  if (i < 0 || j < 0 || j >= list.Count()) return;
  std::string text = list.Item(i);
  list.Delete(i);
  list.Insert(j, text);
  list.SetItemIndex(j);
}

std::vector<std::string> Items(const ui::ListBox& list) {
  std::vector<std::string> items;
  for (int i = 0; i < list.Count(); ++i) items.push_back(list.Item(i));
  return items;
}

// The lines of a preview as composed, one per line break it holds.
std::vector<std::string> ComposedLines(const std::string& text) {
  std::vector<std::string> lines;
  if (text.empty()) return lines;
  size_t start = 0;
  for (;;) {
    size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  return lines;
}

// A small black triangle pointing up or down, 9 x 5 pixels, for the move buttons.
HBITMAP ArrowBitmap(bool up) {
  static HBITMAP bitmaps[2] = {};
  HBITMAP& b = bitmaps[up ? 1 : 0];
  if (b) return b;
  // A monochrome bitmap: 0 bits take the button's text colour, 1 bits its face.
  BYTE bits[5 * 2];
  for (int row = 0; row < 5; ++row) {
    int half = up ? row : 4 - row;
    unsigned line = 0xFFFF;
    for (int col = 4 - half; col <= 4 + half; ++col) line &= ~(0x8000u >> col);
    bits[row * 2] = static_cast<BYTE>(line >> 8);
    bits[row * 2 + 1] = static_cast<BYTE>(line & 0xFF);
  }
  b = CreateBitmap(9, 5, 1, 1, bits);
  return b;
}

void ShowArrow(ui::Button& button, bool up) {
  HWND h = button.Handle();
  SetWindowLongA(h, GWL_STYLE, GetWindowLongA(h, GWL_STYLE) | BS_BITMAP);
  SendMessageA(h, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(ArrowBitmap(up)));
}

}  // namespace

void TfmMain::CreateMailMergeButtons() {
  // Between the two lists of each panel the four moving buttons, beside the
  // chosen list the two arrows; the page's own row below the panels.
  struct Mover {
    ui::Button& button;
    const char* caption;
    const char* hint;
  };
  auto createMovers = [](ui::Panel& panel, std::initializer_list<Mover> movers) {
    const int x = 206, w = 36, h = 23, gap = 8;
    int y = 24 + (128 - 4 * h - 3 * gap) / 2;
    for (const Mover& m : movers) {
      m.button.Create(panel.Handle(), m.caption, x, y, w, h);
      m.button.SetHint(m.hint);
      y += h + gap;
    }
  };
  createMovers(Panel1, {{btAdd1Name, ">", "Add current record to list"},
                        {btAddAllNames, ">>", "Add all records to list"},
                        {btDel1Name, "<", "Delete current record from list"},
                        {btDelAllNames, "<<", "Delete all records from list"}});
  createMovers(Panel2, {{btAdd1Field, ">", "Add current field to list"},
                        {btAddAllFields, ">>", "Add all fields to list"},
                        {btDel1Field, "<", "Delete current field from list"},
                        {btDelAllFields, "<<", "Delete all fields from list"}});

  auto createArrows = [](ui::Panel& panel, ui::Button& up, const char* upHint, ui::Button& down,
                         const char* downHint) {
    const int x = 446, w = 26, h = 26;
    up.Create(panel.Handle(), "Up", x, 24 + 64 - h - 3, w, h);
    down.Create(panel.Handle(), "Down", x, 24 + 64 + 3, w, h);
    ShowArrow(up, true);
    ShowArrow(down, false);
    up.SetHint(upHint);
    down.SetHint(downHint);
  };
  createArrows(Panel1, btNamesUp, "Move Up", btNamesDn, "Move Down");
  createArrows(Panel2, btFieldsUp, "Move up", btFieldsDn, "Move Down");

  HWND page = MailMerge.Handle();
  RECT client;
  GetClientRect(page, &client);
  const int rowY = client.bottom - 26;
  btClearMailMerge.Create(page, "Clear &All", 4, rowY, 96, 23);
  btClearMailMerge.SetHint("Clear the lists of records and fields");
  cbUseTreatment.Create(page, "Use Treatment", 112, rowY + 3, 120, 17);
  cbUseTreatment.SetHint("If checked the Name field will include the Treatment");
  btMailMerge.Create(page, "&Create Mail Merge Document", 484 - 196, rowY, 196, 23);
  btMailMerge.SetHint("Create a Word Mail Merge Document. Requires that Word is already running");

  btAdd1Name.onClick = [this] { btAdd1NameClick(); };
  btAddAllNames.onClick = [this] { btAddAllNamesClick(); };
  btDel1Name.onClick = [this] { btDel1NameClick(); };
  btDelAllNames.onClick = [this] { btDelAllNamesClick(); };
  btAdd1Field.onClick = [this] { btAdd1FieldClick(); };
  btAddAllFields.onClick = [this] { btAddAllFieldsClick(); };
  btDel1Field.onClick = [this] { btDel1FieldClick(); };
  btDelAllFields.onClick = [this] { btDelAllFieldsClick(); };
  btNamesUp.onClick = [this] { btNamesUpClick(); };
  btNamesDn.onClick = [this] { btNamesDnClick(); };
  btFieldsUp.onClick = [this] { btFieldsUpClick(); };
  btFieldsDn.onClick = [this] { btFieldsDnClick(); };
  btClearMailMerge.onClick = [this] { btClearMailMergeClick(); };
  btMailMerge.onClick = [this] { btMailMergeClick(); };
  lbTotalNames.onDblClick = [this] { btAdd1NameClick(); };
  lbSelNames.onDblClick = [this] { btDel1NameClick(); };
  lbTotalFields.onDblClick = [this] { btAdd1FieldClick(); };
  lbSelFields.onDblClick = [this] { btDel1FieldClick(); };
}

// ---------------------------------------------------------------- Insert Document

void TfmMain::btInsertClick() {
  std::unique_ptr<word::WordBasic> session = BeginWordAction(*this, *env_.messages);
  if (!session) return;

  word::InsertValues values;
  values.headerLines = ComposedLines(meLetter.Text());
  values.name = ComposeLetterName(edName.Text(), edTreatment.Text(), cbTreatmentF.Checked());
  if (cbTitleF.Checked()) values.title = edTitle.Text();
  if (cbCompanyF.Checked()) values.company = edCompany.Text();
  values.number = edFax.Text();
  for (size_t k = 0; k < 8; ++k) {
    std::string field = k < Settings.FieldNames.size() ? Settings.FieldNames[k] : std::string();
    values.additional.emplace_back(field, edAdd[k].Text());
  }
  // A command that Word refuses ends the action here, with the session let go.
  std::vector<std::string> skipped = word::InsertRecord(*session, values);
  if (!skipped.empty()) env_.messages->Warning(word::SkippedVariablesWarning(skipped));
  StepAside();
}

// ---------------------------------------------------------------- Mail Merge page

void TfmMain::btAdd1NameClick() {
  MoveSelected(lbTotalNames, lbSelNames);
  UpdatePanelLocks();
}

void TfmMain::btAddAllNamesClick() {
  MoveAll(lbTotalNames, lbSelNames);
  UpdatePanelLocks();
}

void TfmMain::btDel1NameClick() {
  MoveSelected(lbSelNames, lbTotalNames);
  UpdatePanelLocks();
}

void TfmMain::btDelAllNamesClick() {
  MoveAll(lbSelNames, lbTotalNames);
  UpdatePanelLocks();
}

void TfmMain::btAdd1FieldClick() {
  MoveSelected(lbTotalFields, lbSelFields);
  UpdatePanelLocks();
}

void TfmMain::btAddAllFieldsClick() {
  MoveAll(lbTotalFields, lbSelFields);
  UpdatePanelLocks();
}

void TfmMain::btDel1FieldClick() {
  MoveSelected(lbSelFields, lbTotalFields);
  UpdatePanelLocks();
}

void TfmMain::btDelAllFieldsClick() {
  MoveAll(lbSelFields, lbTotalFields);
  UpdatePanelLocks();
}

void TfmMain::btNamesUpClick() { MoveSelection(lbSelNames, -1); }
void TfmMain::btNamesDnClick() { MoveSelection(lbSelNames, +1); }
void TfmMain::btFieldsUpClick() { MoveSelection(lbSelFields, -1); }
void TfmMain::btFieldsDnClick() { MoveSelection(lbSelFields, +1); }

void TfmMain::btClearMailMergeClick() {
  MoveAll(lbSelFields, lbTotalFields);
  MoveAll(lbSelNames, lbTotalNames);
  UpdatePanelLocks();
}

void TfmMain::btMailMergeClick() {
  if (lbSelFields.Count() == 0 || lbSelNames.Count() == 0) return;
  std::unique_ptr<word::WordBasic> session = BeginWordAction(*this, *env_.messages);
  if (!session) return;

  word::MergeRequest request;
  request.chosenFields = Items(lbSelFields);
  request.chosenNames = Items(lbSelNames);
  request.fieldNames = Settings.FieldNames;
  request.useTreatment = cbUseTreatment.Checked();
  word::BuildMergeDocument(*session, request, *ContactList);
  StepAside();
}

// ---------------------------------------------------------------- Word interface configuration

void TfmMain::btWordInterfaceClick() {
  word::Win32WordHost host;
  if (word::ProbeWord(host, *env_.messages) == word::WordGeneration::None) return;
  word::WordConfigEnvironment config;
  config.programFolder = env_.programFolder.empty() ? ExecutableDirectory() : env_.programFolder;
  config.messages = env_.messages;
  word::TfmWordConfig dialog;
  dialog.Create(Handle(), config);
  dialog.ShowModal(Handle());
}

}  // namespace qc
