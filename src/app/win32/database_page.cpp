#include "app/win32/database_page.h"

#include <cctype>

#include "app/win32/main_form.h"
#include "common/text.h"
#include "data/letter.h"
#include "ui/handles.h"
#include "word/word_insert.h"

namespace qc {
namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
// Where the letter and fax groups, and the additional fields over them, stand.
constexpr int kGroupsTop = 122, kGroupsHeight = 212;

// A group with a title bar across its top.
void CreateGroup(ui::Panel& group, ui::Panel& title, HWND parent, int x, int y, int w, int h,
                 const char* caption) {
  group.Create(parent, x, y, w, h, "", ui::Panel::Bevel::Raised);
  title.Create(group.Handle(), 2, 2, w - 4, 17, caption, ui::Panel::Bevel::Lowered);
}

}  // namespace

void DatabasePage::Create(HWND parent, const RECT& area) {
  ui::Panel::Create(parent, area.left, area.top, area.right - area.left, area.bottom - area.top);
  HWND page = Handle();
  CreateGeneral(page);
  CreateLetterAndFax(page);
  CreateAdditional(page);

  Tabs.Create(page, 4, kGroupsTop + kGroupsHeight + 2, 484, 24, 0, TCS_BOTTOM);
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

void DatabasePage::CreateGeneral(HWND page) {
  const int rowH = 23, editH = 21;

  // General: the name and the three fields beside it.
  CreateGroup(paGeneral, paGeneralName, page, 4, 4, 360, 114, "General");
  HWND g = paGeneral.Handle();
  struct Row {
    ui::Label& label;
    const char* caption;
  } rows[] = {{laName, "&Name:"}, {laCompany, "&Company:"}, {laTitle, "Title:"}, {laTreatment, "T&reatment:"}};
  for (int i = 0; i < 4; ++i) rows[i].label.Create(g, rows[i].caption, 8, 25 + i * rowH + 3, 70, 15);
  // Not sorted by the list itself: the contact book gives the order.
  lbName.Create(g, 80, 22, 270, 400, false, 25);
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
  btInsert.SetHint("Insert the current record on Word, replacing Quillcard variables");
  main_.SetDefaultButton(&btCancel);
}

void DatabasePage::CreateLetterAndFax(HWND page) {
  const int editH = 21, groupsTop = kGroupsTop, groupsH = kGroupsHeight;
  // Letter or Envelope: the address lines, the letter options and the header preview.
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
  static const ui::Font previewFont = [] {
    LOGFONTA lf{};
    lf.lfHeight = -10;
    lf.lfCharSet = ANSI_CHARSET;
    lstrcpyA(lf.lfFaceName, "MS Sans Serif");
    return ui::Font(CreateFontIndirectA(&lf));
  }();
  for (ui::Memo* m : {&meLetter, &meFax}) {
    m->SetFont(previewFont.Get());
    // Grey in every mode: the previews follow the stored contact, not the typing.
    m->SetTextColor(GetSysColor(COLOR_GRAYTEXT));
    SetWindowLongA(m->Handle(), GWL_STYLE, GetWindowLongA(m->Handle(), GWL_STYLE) & ~WS_TABSTOP);
  }
}

// Additional Fields, over the same place as the two groups of the letter and fax.
void DatabasePage::CreateAdditional(HWND page) {
  const int editH = 21;
  CreateGroup(paAdditional, paAdditionalName, page, 4, kGroupsTop, 484, kGroupsHeight, "Additional Fields");
  HWND a = paAdditional.Handle();
  for (int i = 0; i < 8; ++i) {
    int col = i / 4, row = i % 4;
    int x = 8 + col * 240, y = 30 + row * 40;
    laAdd[i].Create(a, "", x, y + 3, 90, 15, SS_LEFT | SS_NOPREFIX);  // the user's field name, "&" and all
    edAdd[i].Create(a, x + 94, y, 130, editH);
    edAdd[i].SetHint("This is the Additional Field " + std::to_string(i + 1));
  }
}

// ---------------------------------------------------------------- modes

void DatabasePage::ShowModeHint() { main_.Status.SetPanelText(0, ModeHint(Mode)); }

void DatabasePage::LockDataGroups(bool lock) {
  for (ui::Panel* p : {&paGeneral, &paLetter, &PaFax, &paAdditional}) p->SetChildrenEnabled(!lock);
  // The choices sit inside their frame: they follow it, so that they look as usable as they are.
  for (int i = 0; i < rgFirstItem.ItemCount(); ++i) rgFirstItem.Item(i).SetEnabled(!lock);
  COLORREF title = lock ? GetSysColor(COLOR_GRAYTEXT) : kBlack;
  for (ui::Panel* t : {&paGeneralName, &paLetterName, &paFaxName, &paAdditionalName}) {
    t->SetEnabled(true);
    t->SetTextColor(title);
  }
}

void DatabasePage::ApplyLocks(const PageLocks& locks) {
  lbName.SetEnabled(locks.nameList);
  btNew.SetEnabled(locks.newRecord);
}

void DatabasePage::EmptyBoxes() {
  for (ui::Edit* e : {&edName, &edCompany, &edTitle, &edTreatment, &edAddress1, &edAddress2, &edAddress3,
                      &edFax, &edPhone})
    e->SetText("");
  for (ui::Edit& e : edAdd) e.SetText("");
  meLetter.Clear();
  meFax.Clear();
  SetOptionBoxes(0);
}

void DatabasePage::SetMode(EditMode mode) {
  Mode = mode;
  ShowModeHint();
  const ModeLook& look = LookOf(mode);
  LockDataGroups(!look.boxesOpen);
  btNew.SetText(look.newCaption);
  btNew.SetHint(look.newHint);
  btEdit.SetText(look.editCaption);
  btEdit.SetHint(look.editHint);
  btEdit.SetEnabled(look.editOn);
  btDelete.SetEnabled(look.deleteOn);
  btInsert.SetEnabled(look.insertOn);
  btCancel.SetEnabled(true);
  edName.SetVisible(!look.nameListShown);
  lbName.SetVisible(look.nameListShown);

  switch (mode) {
    case EditMode::Browse:
      // The name list is the one usable data control.
      TypingStarted = KeyHeld = false;
      paGeneralName.SetTextColor(kBlack);
      paGeneral.SetEnabled(true);
      laName.SetEnabled(true);
      lbName.SetItemIndex(-1);
      EmptyBoxes();
      break;
    case EditMode::NewRecord:
      // The other boxes keep what they hold: a new contact may start as a copy of the shown one.
      SetOptionBoxes(main_.Settings.DefaultOptions);
      edTreatment.SetText(main_.Settings.DefaultTreatment);
      break;
    case EditMode::EditRecord:
      break;
    case EditMode::ShowRecord:
      CurrentIndex = main_.Book.IndexOf(CurrentName);
      if (CurrentIndex >= 0) {
        FillBoxesFromRecord(main_.ContactList->Items(CurrentIndex));
        UpdatePreviews();
      }
      break;
  }
  main_.UpdatePanelLocks();
  switch (look.focus) {
    case ModeLook::Focus::NameList: lbName.SetFocus(); break;
    case ModeLook::Focus::NameBox: edName.SetFocus(); break;
    case ModeLook::Focus::InsertButton: btInsert.SetFocus(); break;
    case ModeLook::Focus::Unchanged: break;
  }
}

void DatabasePage::SetOptionBoxes(int options) { optionBoxes_.Show(options); }

int DatabasePage::GetOptionBoxes() const { return optionBoxes_.Options(); }

void DatabasePage::FillBoxesFromRecord(const TRecord& r) {
  edName.SetText(std::string(r.Name()));
  edCompany.SetText(std::string(r.Company()));
  edTitle.SetText(std::string(r.Title()));
  edTreatment.SetText(std::string(r.Treatment()));
  edAddress1.SetText(std::string(r.Address1()));
  edAddress2.SetText(std::string(r.Address2()));
  edAddress3.SetText(std::string(r.Address3()));
  edPhone.SetText(std::string(r.Phone()));
  edFax.SetText(std::string(r.Fax()));
  for (int i = 0; i < 8; ++i) edAdd[i].SetText(std::string(r.Text(TRecord::kUser1 + i)));
  SetOptionBoxes(r.Options);
}

void DatabasePage::FillRecordFromBoxes(TRecord& r) const {
  r.Set(TRecord::kName, edName.Text());
  r.Set(TRecord::kCompany, edCompany.Text());
  r.Set(TRecord::kTitle, edTitle.Text());
  r.Set(TRecord::kTreatment, edTreatment.Text());
  r.Set(TRecord::kAddress1, edAddress1.Text());
  r.Set(TRecord::kAddress2, edAddress2.Text());
  r.Set(TRecord::kAddress3, edAddress3.Text());
  r.Set(TRecord::kFax, edFax.Text());
  r.Set(TRecord::kPhone, edPhone.Text());
  for (int i = 0; i < 8; ++i) r.Set(TRecord::kUser1 + i, edAdd[i].Text());
  r.Options = OptionByte(GetOptionBoxes());
}

PreviewInput DatabasePage::PreviewOfBoxes() const {
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
  return in;
}

void DatabasePage::UpdatePreviews() {
  const PreviewInput in = PreviewOfBoxes();
  auto fill = [](ui::Memo& memo, const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
    memo.SetText(text);
  };
  fill(meLetter, LetterHeaderLines(in));
  fill(meFax, FaxLines(in));
}

void DatabasePage::SetFieldCaptions() {
  const std::vector<std::string>& names = main_.Settings.FieldNames;
  for (int i = 0; i < 8 && i < static_cast<int>(names.size()); ++i) laAdd[i].SetText(names[static_cast<size_t>(i)]);
}

void DatabasePage::RefillNames() {
  const ContactBook& book = main_.Book;
  lbName.Clear();
  lbName.AddAll(static_cast<size_t>(book.Count()),
                [&, name = std::string()](size_t i) mutable -> const std::string& {
                  return name = book.NameAt(static_cast<int>(i));
                });
  lbName.SetItemIndex(-1);
}

// ---------------------------------------------------------------- buttons

void DatabasePage::btNewClick() {
  if (Mode == EditMode::NewRecord) SaveNewRecord();
  else SetMode(EditMode::NewRecord);
}

// The contact book says where a name goes; the name lists follow it.
void DatabasePage::SaveNewRecord() {
  std::string name = edName.Text();
  if (name.empty()) {
    main_.Messages().Warning("Name cannot be empty");
    return;
  }
  if (main_.Book.IsTaken(name)) {
    main_.Messages().Warning("Name cannot be duplicated");
    return;
  }
  auto record = std::make_unique<TRecord>();
  FillRecordFromBoxes(*record);
  main_.BeginContactChange();
  const int place = main_.Book.Add(std::move(record));
  lbName.Insert(place, name);
  main_.MailMerge.NameAdded(place, name);
  SetMode(EditMode::Browse);
  main_.ContactsChanged();
}

void DatabasePage::btEditClick() {
  if (Mode == EditMode::EditRecord) SaveEditedRecord();
  else SetMode(EditMode::EditRecord);
}

void DatabasePage::SaveEditedRecord() {
  std::string name = edName.Text();
  if (name.empty()) {
    main_.Messages().Warning("Name cannot be empty");
    return;
  }
  // A name left as it was is always accepted; a change of letter case alone
  // is not, since the contact's own name matches.
  const bool renamed = name != CurrentName;
  if (renamed && main_.Book.IsTaken(name)) {
    main_.Messages().Warning("Name cannot be duplicated");
    return;
  }
  if (CurrentIndex < 0 || CurrentIndex >= main_.ContactList->Count()) return;
  TRecord values;
  FillRecordFromBoxes(values);
  main_.BeginContactChange();
  const ContactBook::Move move = main_.Book.Change(CurrentIndex, std::move(values));
  if (renamed) {
    lbName.Delete(move.from);
    lbName.Insert(move.to, name);
    main_.MailMerge.NameMoved(move.from, move.to, name);
    CurrentName = name;
  }
  SetMode(EditMode::ShowRecord);
  main_.ContactsChanged();
}

void DatabasePage::btDeleteClick() {
  if (!main_.Messages().Confirm("Are you sure?")) return;
  const bool deleting = CurrentIndex >= 0 && CurrentIndex < main_.ContactList->Count();
  if (deleting) {
    main_.BeginContactChange();
    const int place = main_.Book.Delete(CurrentIndex);
    lbName.Delete(place);
    main_.MailMerge.NameRemoved(place);
  }
  SetMode(EditMode::Browse);
  if (deleting) main_.ContactsChanged();
}

void DatabasePage::btCancelClick() {
  switch (Mode) {
    case EditMode::Browse:
      if (lbName.Focused()) {
        int i = lbName.ItemIndex();
        if (i >= 0) {
          CurrentName = lbName.Item(i);
          SetMode(EditMode::ShowRecord);
        }
      } else {
        main_.StepAside();
      }
      break;
    case EditMode::NewRecord: SetMode(EditMode::Browse); break;
    case EditMode::EditRecord: SetMode(EditMode::ShowRecord); break;
    case EditMode::ShowRecord: SetMode(EditMode::Browse); break;
  }
}

void DatabasePage::btInsertClick() {
  std::unique_ptr<word::WordBasic> session = main_.BeginWordAction();
  if (!session) return;

  word::InsertValues values;
  values.headerLines = SplitLines(meLetter.Text());  // the letter preview as shown
  values.name = ComposeLetterName(edName.Text(), edTreatment.Text(), cbTreatmentF.Checked());
  if (cbTitleF.Checked()) values.title = edTitle.Text();
  if (cbCompanyF.Checked()) values.company = edCompany.Text();
  values.number = edFax.Text();
  const std::vector<std::string>& fields = main_.Settings.FieldNames;
  for (size_t k = 0; k < 8; ++k)
    values.additional.emplace_back(k < fields.size() ? fields[k] : std::string(), edAdd[k].Text());
  // A command that Word refuses ends the action here, with the session let go.
  std::vector<std::string> skipped = word::InsertRecord(*session, values);
  if (!skipped.empty()) main_.Messages().Warning(word::SkippedVariablesWarning(skipped));
  main_.StepAside();
}

// ---------------------------------------------------------------- name list keyboard

void DatabasePage::lbNameKeyDown(WPARAM& key) {
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

void DatabasePage::lbNameKeyUp(WPARAM&) { KeyHeld = false; }

void DatabasePage::lbNameKeyPress(char& ch) {
  char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  if (upper < 'A' || upper > 'Z') return;
  // The list shows the book's names in the book's order.
  for (int i = 0; i < main_.Book.Count(); ++i) {
    const std::string_view item = main_.Book.NameAt(i);
    if (item.empty()) continue;
    char first = static_cast<char>(std::toupper(static_cast<unsigned char>(item[0])));
    if (static_cast<unsigned char>(first) >= static_cast<unsigned char>(upper)) {
      lbName.SetItemIndex(i);
      return;
    }
  }
}

void DatabasePage::lbNameChange() {
  if (TypingStarted && KeyHeld) return;
  int i = lbName.ItemIndex();
  if (i < 0) return;
  CurrentName = lbName.Item(i);
  SetMode(EditMode::ShowRecord);
}

void DatabasePage::lbNameExit() { TypingStarted = KeyHeld = false; }

// ---------------------------------------------------------------- tabs and keys

void DatabasePage::TabsChange() {
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

void DatabasePage::FormKeyUp(WPARAM& key) {
  if (lbName.Focused()) return;
  if (GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return;
  if (key == VK_PRIOR) Tabs.SelectTab(0);
  if (key == VK_NEXT) Tabs.SelectTab(1);
}

}  // namespace qc
