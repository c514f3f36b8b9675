// The Database page of the main window: the name list, the contact's boxes,
// the four modes and the letter and fax previews.
#include <cctype>

#include "app/win32/main_form.h"
#include "common/text.h"
#include "data/letter.h"

namespace qc {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);

// A group with a title bar across its top.
void CreateGroup(ui::Panel& group, ui::Panel& title, HWND parent, int x, int y, int w, int h,
                 const char* caption) {
  group.Create(parent, x, y, w, h, "", ui::Panel::Bevel::Raised);
  title.Create(group.Handle(), 2, 2, w - 4, 17, caption, ui::Panel::Bevel::Lowered);
}

}  // namespace

void TfmMain::CreateDatabasePage() {
  HWND page = Database.Handle();
  const int rowH = 23, editH = 21;

  // General: the name and the three fields beside it.
  CreateGroup(paGeneral, paGeneralName, page, 4, 4, 360, 114, "General");
  HWND g = paGeneral.Handle();
  struct Row {
    ui::Label& label;
    const char* caption;
  } rows[] = {{laName, "&Name:"}, {laCompany, "&Company:"}, {laTitle, "Title:"}, {laTreatment, "T&reatment:"}};
  for (int i = 0; i < 4; ++i) rows[i].label.Create(g, rows[i].caption, 8, 25 + i * rowH + 3, 70, 15);
  lbName.Create(g, 80, 22, 270, 400, true, 25);
  lbName.SetHint("Select the name from the list");
  edName.Create(g, 80, 22, 270, editH);
  edName.SetHint("This is the name. Use <Name> on your Word Templates");
  edCompany.Create(g, 80, 22 + rowH, 270, editH);
  edCompany.SetHint("This is the company. Use <company> in your Word Templates");
  edTitle.Create(g, 80, 22 + 2 * rowH, 270, editH);
  edTitle.SetHint("This is the Title. Use <Title> on your Word Templates");
  edTreatment.Create(g, 80, 22 + 3 * rowH, 270, editH);
  edTreatment.SetHint(
      "This is the Treatment which will be added to the name if the Use Treatment option is used");

  // The buttons beside it.
  const int bx = 370, bw = 114, bh = 21, step = 23;
  btNew.Create(page, "Ne&w Record", bx, 4, bw, bh);
  btEdit.Create(page, "&Edit Record", bx, 4 + step, bw, bh);
  btDelete.Create(page, "&Delete Record", bx, 4 + 2 * step, bw, bh);
  btCancel.Create(page, "&Cancel", bx, 4 + 3 * step, bw, bh);
  btInsert.Create(page, "Insert &Document", bx, 4 + 4 * step, bw, bh);
  btEdit.SetHint("Edit current record");
  btDelete.SetHint("Delete current record");
  btCancel.SetHint("Cancel the action or close the program if no record is selected");
  btInsert.SetHint("Insert the current record into the active Word document");
  SetDefaultButton(&btCancel);

  // Letter or Envelope: the address lines, the letter options and the header preview.
  const int groupsTop = 122, groupsH = 212;
  CreateGroup(paLetter, paLetterName, page, 4, groupsTop, 286, groupsH, "Letter or Envelope");
  HWND l = paLetter.Handle();
  ui::Label* addrLabels[] = {&laAddress1, &laAddress2, &laAddress3};
  ui::Edit* addrEdits[] = {&edAddress1, &edAddress2, &edAddress3};
  const char* addrCaptions[] = {"Address &1:", "Address &2:", "Address &3:"};
  for (int i = 0; i < 3; ++i) {
    addrLabels[i]->Create(l, addrCaptions[i], 6, 22 + i * 40, 84, 14);
    addrEdits[i]->Create(l, 6, 36 + i * 40, 84, editH);
    addrEdits[i]->SetHint("This is the Address" + std::to_string(i + 1) +
                          ", which will be used on Letter Headers");
  }
  meLetter.Create(l, 96, 22, 185, 124, ES_READONLY);
  meLetter.SetHint("This is how will the Headers of Letters will look like");
  rgFirstItem.Create(l, "First &Item", {"Name", "Company"}, 6, 150, 150, 54, 2);
  cbCompanyL.Create(l, "Use &Company", 164, 154, 116, 17);
  cbTitleL.Create(l, "Use &Title", 164, 172, 116, 17);
  cbTreatmentL.Create(l, "Use T&reatment", 164, 190, 116, 17);

  // Fax and Telephone: the numbers, the fax options and the fax preview.
  CreateGroup(PaFax, paFaxName, page, 294, groupsTop, 194, groupsH, "Fax and Telephone");
  HWND f = PaFax.Handle();
  laFax.Create(f, "&Fax #:", 6, 25, 56, 14);
  edFax.Create(f, 64, 22, 124, editH);
  edFax.SetHint("This is the Fax Number. Use <Number> on your Word Templates");
  laPhone.Create(f, "&Phone #:", 6, 48, 56, 14);
  edPhone.Create(f, 64, 45, 124, editH);
  edPhone.SetHint(
      "This is the Phone Number. It is not used by Quillcard but you might want to have it handy");
  cbCompanyF.Create(f, "Use &Company", 8, 70, 120, 17);
  cbTitleF.Create(f, "Use &Title", 8, 88, 120, 17);
  cbTreatmentF.Create(f, "Use T&reatment", 8, 106, 120, 17);
  meFax.Create(f, 4, 126, 185, 80, ES_READONLY);
  meFax.SetHint(
      "This is how Quillcard will replace the variables: <Name>, <Company>, <Title> and <Number>");

  // Additional Fields, over the same place as the two groups above.
  CreateGroup(paAdditional, paAdditionalName, page, 4, groupsTop, 484, groupsH, "Additional Fields");
  HWND a = paAdditional.Handle();
  for (int i = 0; i < 8; ++i) {
    int col = i / 4, row = i % 4;
    int x = 8 + col * 240, y = 30 + row * 40;
    laAdd[i].Create(a, "", x, y + 3, 90, 15, SS_LEFT | SS_NOPREFIX);  // the user's field name, "&" and all
    edAdd[i].Create(a, x + 94, y, 130, editH);
    edAdd[i].SetHint("This is the Additional Field " + std::to_string(i + 1));
  }

  for (ui::Memo* m : {&meLetter, &meFax}) {
    static HFONT previewFont = [] {
      LOGFONTA lf{};
      lf.lfHeight = -10;
      lf.lfCharSet = ANSI_CHARSET;
      lstrcpyA(lf.lfFaceName, "MS Sans Serif");
      return CreateFontIndirectA(&lf);
    }();
    m->SetFont(previewFont);
    SetWindowLongA(m->Handle(), GWL_STYLE, GetWindowLongA(m->Handle(), GWL_STYLE) & ~WS_TABSTOP);
  }

  Tabs.Create(page, 4, groupsTop + groupsH + 2, 484, 24, 0, TCS_BOTTOM);
  Tabs.AddTab("Letter, Envelope, Fax and Telephone");
  Tabs.AddTab("Additional Fields");
  Tabs.onChange = [this] { TabsChange(); };
  paAdditional.SetVisible(false);

  btNew.onClick = [this] { btNewClick(); };
  btEdit.onClick = [this] { btEditClick(); };
  btDelete.onClick = [this] { btDeleteClick(); };
  btCancel.onClick = [this] { btCancelClick(); };
  btInsert.onClick = [this] { btInsertClick(); };
  lbName.onKeyDown = [this](WPARAM& k) { lbNameKeyDown(k); };
  lbName.onKeyUp = [this](WPARAM& k) { lbNameKeyUp(k); };
  lbName.onKeyPress = [this](char& c) { lbNameKeyPress(c); };
  lbName.onChange = [this] { lbNameChange(); };
  lbName.onExit = [this] { lbNameExit(); };
}

// ---------------------------------------------------------------- modes

void TfmMain::ShowModeHint() { Status.SetPanelText(0, ModeHint(Mode)); }

void TfmMain::SetPanelEnabled(ui::Panel& panel, bool on) { panel.SetChildrenEnabled(on); }

void TfmMain::LockDataGroups(bool lock) {
  for (ui::Panel* p : {&paGeneral, &paLetter, &PaFax, &paAdditional}) SetPanelEnabled(*p, !lock);
  COLORREF title = lock ? GetSysColor(COLOR_GRAYTEXT) : kBlack;
  for (ui::Panel* t : {&paGeneralName, &paLetterName, &paFaxName, &paAdditionalName}) {
    t->SetEnabled(true);
    t->SetTextColor(title);
  }
}

void TfmMain::UpdatePanelLocks() {
  const bool browsing = Mode == EditMode::Browse;
  const bool merging = lbSelNames.Count() > 0 || lbSelFields.Count() > 0;
  SetPanelEnabled(Panel1, browsing);
  SetPanelEnabled(Panel2, browsing);
  SetPanelEnabled(Panel3, browsing && !merging);
  if (browsing) {
    lbName.SetEnabled(!merging);
    btNew.SetEnabled(!merging);
  }
}

void TfmMain::SetMode(EditMode mode) {
  Mode = mode;
  ShowModeHint();
  switch (mode) {
    case EditMode::Browse:
      LockDataGroups(true);
      TypingStarted = KeyHeld = false;
      btCancel.SetEnabled(true);
      btNew.SetEnabled(true);
      btNew.SetText("Ne&w Record");
      btNew.SetHint("Create a new record on the database and enter Edit mode");
      btEdit.SetEnabled(false);
      btDelete.SetEnabled(false);
      btInsert.SetEnabled(false);
      paGeneralName.SetTextColor(kBlack);
      paGeneral.SetEnabled(true);
      laName.SetEnabled(true);
      lbName.SetEnabled(true);
      edName.SetVisible(false);
      lbName.SetVisible(true);
      lbName.SetItemIndex(-1);
      lbName.SetFocus();
      for (ui::Edit* e : {&edName, &edCompany, &edTitle, &edTreatment, &edAddress1, &edAddress2,
                          &edAddress3, &edFax, &edPhone})
        e->SetText("");
      meLetter.Clear();
      meFax.Clear();
      SetOptionBoxes(0);
      for (ui::Edit& e : edAdd) e.SetText("");
      break;
    case EditMode::NewRecord:
      LockDataGroups(false);
      btNew.SetText("Ok");
      btNew.SetHint("Save changes and insert record");
      btEdit.SetEnabled(false);
      btDelete.SetEnabled(false);
      btInsert.SetEnabled(false);
      edName.SetVisible(true);
      lbName.SetVisible(false);
      SetOptionBoxes(Settings.DefaultOptions);
      edTreatment.SetText(Settings.DefaultTreatment);
      break;
    case EditMode::EditRecord:
      LockDataGroups(false);
      edName.SetFocus();
      btNew.SetEnabled(false);
      btEdit.SetText("Ok");
      btEdit.SetHint("Save changes made to the record");
      btEdit.SetEnabled(true);
      btDelete.SetEnabled(false);
      btInsert.SetEnabled(false);
      edName.SetVisible(true);
      lbName.SetVisible(false);
      break;
    case EditMode::ShowRecord: {
      LockDataGroups(true);
      for (ui::Button* b : {&btNew, &btEdit, &btDelete, &btCancel, &btInsert}) b->SetEnabled(true);
      btEdit.SetText("&Edit Record");
      btEdit.SetHint("Edit current record");
      btInsert.SetFocus();
      edName.SetVisible(true);
      lbName.SetVisible(false);
      CurrentIndex = -1;
      for (int i = 0; i < ContactList->Count(); ++i) {
        if (ContactList->Items(i).Name == CurrentName) {
          CurrentIndex = i;
          break;
        }
      }
      if (CurrentIndex >= 0) {
        FillBoxesFromRecord(ContactList->Items(CurrentIndex));
        UpdatePreviews();
      }
      break;
    }
  }
  UpdatePanelLocks();
}

void TfmMain::SetOptionBoxes(int options) {
  rgFirstItem.SetItemIndex(options & 1);
  cbCompanyL.SetChecked(options & 2);
  cbTitleL.SetChecked(options & 4);
  cbTreatmentL.SetChecked(options & 8);
  cbCompanyF.SetChecked(options & 16);
  cbTitleF.SetChecked(options & 32);
  cbTreatmentF.SetChecked(options & 64);
}

int TfmMain::GetOptionBoxes() const {
  return (rgFirstItem.ItemIndex() == 1 ? 1 : 0) | (cbCompanyL.Checked() ? 2 : 0) |
         (cbTitleL.Checked() ? 4 : 0) | (cbTreatmentL.Checked() ? 8 : 0) |
         (cbCompanyF.Checked() ? 16 : 0) | (cbTitleF.Checked() ? 32 : 0) |
         (cbTreatmentF.Checked() ? 64 : 0);
}

void TfmMain::FillBoxesFromRecord(const TRecord& r) {
  edName.SetText(r.Name);
  edCompany.SetText(r.Company);
  edTitle.SetText(r.Title);
  edTreatment.SetText(r.Treatment);
  edAddress1.SetText(r.Address1);
  edAddress2.SetText(r.Address2);
  edAddress3.SetText(r.Address3);
  edPhone.SetText(r.Phone);
  edFax.SetText(r.Fax);
  for (int i = 0; i < 8; ++i) edAdd[i].SetText(r.Text(9 + i));
  SetOptionBoxes(r.Options);
}

void TfmMain::FillRecordFromBoxes(TRecord& r) const {
  r.Name = edName.Text();
  r.Company = edCompany.Text();
  r.Title = edTitle.Text();
  r.Treatment = edTreatment.Text();
  r.Address1 = edAddress1.Text();
  r.Address2 = edAddress2.Text();
  r.Address3 = edAddress3.Text();
  r.Fax = edFax.Text();
  r.Phone = edPhone.Text();
  for (int i = 0; i < 8; ++i) r.Text(9 + i) = edAdd[i].Text();
  r.Options = static_cast<uint8_t>(GetOptionBoxes());
}

void TfmMain::UpdatePreviews() {
  PreviewInput in;
  in.name = edName.Text();
  in.treatment = edTreatment.Text();
  in.company = edCompany.Text();
  in.title = edTitle.Text();
  in.address1 = edAddress1.Text();
  in.address2 = edAddress2.Text();
  in.address3 = edAddress3.Text();
  in.fax = edFax.Text();
  ApplyOptionByte(in, GetOptionBoxes());
  auto fill = [](ui::Memo& memo, const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
    memo.SetText(text);
  };
  fill(meLetter, LetterHeaderLines(in));
  fill(meFax, FaxLines(in));
}

void TfmMain::SetFieldCaptions() {
  for (int i = 0; i < 8 && i < static_cast<int>(Settings.FieldNames.size()); ++i)
    laAdd[i].SetText(Settings.FieldNames[static_cast<size_t>(i)]);
}

// ---------------------------------------------------------------- buttons

void TfmMain::btNewClick() {
  if (Mode == EditMode::NewRecord) SaveNewRecord();
  else SetMode(EditMode::NewRecord);
}

void TfmMain::SaveNewRecord() {
  std::string name = edName.Text();
  if (name.empty()) {
    env_.messages->Warning("Name cannot be empty");
    return;
  }
  for (int i = 0; i < lbName.Count(); ++i) {
    if (SameText(lbName.Item(i), name)) {
      env_.messages->Warning("Name cannot be duplicated");
      return;
    }
  }
  auto record = std::make_unique<TRecord>();
  FillRecordFromBoxes(*record);
  lbName.Add(record->Name);
  RefreshMergeNames();
  BeginContactChange();
  ContactList->Add(std::move(record));
  ContactsChanged();
  SetMode(EditMode::Browse);
}

void TfmMain::btEditClick() {
  if (Mode == EditMode::EditRecord) SaveEditedRecord();
  else SetMode(EditMode::EditRecord);
}

void TfmMain::SaveEditedRecord() {
  std::string name = edName.Text();
  if (name.empty()) {
    env_.messages->Warning("Name cannot be empty");
    return;
  }
  bool renamed = name != CurrentName;
  if (renamed) {
    for (int i = 0; i < lbName.Count(); ++i) {
      if (SameText(lbName.Item(i), name)) {
        env_.messages->Warning("Name cannot be duplicated");
        return;
      }
    }
  }
  if (CurrentIndex < 0 || CurrentIndex >= ContactList->Count()) return;
  BeginContactChange();
  FillRecordFromBoxes(ContactList->Items(CurrentIndex));
  ContactsChanged();
  if (renamed) {
    int old = lbName.IndexOf(CurrentName);
    if (old >= 0) lbName.Delete(old);
    lbName.Add(name);
    CurrentName = name;
    RefreshMergeNames();
  }
  SetMode(EditMode::ShowRecord);
}

void TfmMain::btDeleteClick() {
  if (!env_.messages->Confirm("Are you sure?")) return;
  int entry = lbName.IndexOf(CurrentName);
  if (entry >= 0) lbName.Delete(entry);
  RefreshMergeNames();
  if (CurrentIndex >= 0 && CurrentIndex < ContactList->Count()) {
    BeginContactChange();
    ContactList->Delete(CurrentIndex);
    ContactsChanged();
  }
  SetMode(EditMode::Browse);
}

void TfmMain::btCancelClick() {
  switch (Mode) {
    case EditMode::Browse:
      if (lbName.Focused()) {
        int i = lbName.ItemIndex();
        if (i >= 0) {
          CurrentName = lbName.Item(i);
          SetMode(EditMode::ShowRecord);
        }
      } else {
        StepAside();
      }
      break;
    case EditMode::NewRecord: SetMode(EditMode::Browse); break;
    case EditMode::EditRecord: SetMode(EditMode::ShowRecord); break;
    case EditMode::ShowRecord: SetMode(EditMode::Browse); break;
  }
}

// ---------------------------------------------------------------- name list keyboard

void TfmMain::lbNameKeyDown(WPARAM& key) {
  if (key == VK_F1) return;
  if (!TypingStarted) lbName.ShowDropDown(true);
  if (key == VK_RETURN) {
    TypingStarted = KeyHeld = false;
    lbNameChange();
    key = 0;  // Enter is the list's own: it shows the chosen contact
  } else {
    TypingStarted = KeyHeld = true;
  }
}

void TfmMain::lbNameKeyUp(WPARAM&) { KeyHeld = false; }

void TfmMain::lbNameKeyPress(char& ch) {
  char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  if (upper < 'A' || upper > 'Z') return;
  for (int i = 0; i < lbName.Count(); ++i) {
    std::string item = lbName.Item(i);
    if (item.empty()) continue;
    char first = static_cast<char>(std::toupper(static_cast<unsigned char>(item[0])));
    if (static_cast<unsigned char>(first) >= static_cast<unsigned char>(upper)) {
      lbName.SetItemIndex(i);
      return;
    }
  }
}

void TfmMain::lbNameChange() {
  if (TypingStarted && KeyHeld) return;
  int i = lbName.ItemIndex();
  if (i < 0) return;
  CurrentName = lbName.Item(i);
  SetMode(EditMode::ShowRecord);
}

void TfmMain::lbNameExit() { TypingStarted = KeyHeld = false; }

// ---------------------------------------------------------------- tabs and keys

void TfmMain::TabsChange() {
  if (Tabs.Index() == 1) {
    paAdditional.SetVisible(true);
    paAdditional.BringToFront();
    PaFax.SetVisible(false);
    paLetter.SetVisible(false);
  } else {
    PaFax.SetVisible(true);
    paLetter.SetVisible(true);
    PaFax.BringToFront();
    paLetter.BringToFront();
    paAdditional.SetVisible(false);
  }
}

void TfmMain::FormKeyUp(WPARAM& key) {
  if (Pages.Index() != 0 || lbName.Focused()) return;
  if (GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return;
  if (key == VK_PRIOR) Tabs.SelectTab(0);
  if (key == VK_NEXT) Tabs.SelectTab(1);
}

}  // namespace qc
