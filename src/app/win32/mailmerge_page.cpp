#include "app/win32/mailmerge_page.h"

#include <algorithm>
#include <memory>

#include "app/win32/main_form.h"
#include "ui/handles.h"
#include "ui/list_moves.h"
#include "word/mail_merge.h"

namespace qc {

void MailMergePage::Create(HWND parent, const RECT& area) {
  ui::Panel::Create(parent, area.left, area.top, area.right - area.left, area.bottom - area.top);
  HWND page = Handle();
  const int listW = 190, listH = 128;

  Panel1.Create(page, 4, 4, 480, 168, "", ui::Panel::Bevel::Raised);
  HWND n = Panel1.Handle();
  laTotalNames.Create(n, "All records:", 8, 8, listW, 14);
  // Not sorted by the list itself: it holds the book's names in the book's order.
  lbTotalNames.Create(n, 8, 24, listW, listH, false);
  lbTotalNames.SetHint("This is the list of all records on the database");
  laSelNames.Create(n, "Records to merge:", 250, 8, listW, 14);
  lbSelNames.Create(n, 250, 24, listW, listH, false);
  lbSelNames.SetHint("This is the list of records that will be included on the Mail Merge document");

  Panel2.Create(page, 4, 176, 480, 168, "", ui::Panel::Bevel::Raised);
  HWND f = Panel2.Handle();
  laTotalFields.Create(f, "Available fields:", 8, 8, listW, 14);
  lbTotalFields.Create(f, 8, 24, listW, listH, false);
  lbTotalFields.SetHint("This is the list of all available fields");
  laSelFields.Create(f, "Fields to merge:", 250, 8, listW, 14);
  lbSelFields.Create(f, 250, 24, listW, listH, false);
  lbSelFields.SetHint("This is the list of fields that will be inlcuded on the Mail Merge Document");

  CreateButtons();
}

void MailMergePage::CreateButtons() {
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
    up.ShowArrow(true);
    down.ShowArrow(false);
    up.SetHint(upHint);
    down.SetHint(downHint);
  };
  createArrows(Panel1, btNamesUp, "Move Up", btNamesDn, "Move Down");
  createArrows(Panel2, btFieldsUp, "Move up", btFieldsDn, "Move Down");

  const RECT client = ClientBounds();
  const int rowY = client.bottom - 26;
  btClearMailMerge.Create(Handle(), "Clear &All", 4, rowY, 96, 23);
  btClearMailMerge.SetHint("Clear the lists of records and fields");
  cbUseTreatment.Create(Handle(), "Use Treatment", 112, rowY + 3, 120, 17);
  cbUseTreatment.SetHint("If checked the Name field will include the Treatment");
  btMailMerge.Create(Handle(), "&Create Mail Merge Document", 484 - 196, rowY, 196, 23);
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

// ---------------------------------------------------------------- the lists

void MailMergePage::RefreshMergeNames() {
  const ContactBook& book = main_.Book;
  lbTotalNames.Clear();
  lbTotalNames.AddAll(static_cast<size_t>(book.Count()),
                      [&, name = std::string()](size_t i) mutable -> const std::string& {
                        return name = book.NameAt(static_cast<int>(i));
                      });
}

void MailMergePage::FillMergeFields() {
  lbTotalFields.Clear();
  for (const char* name : {"Name", "Company", "Title", "Treatment", "Address 1", "Address 2",
                           "Address 3", "Fax#", "Phone#"})
    lbTotalFields.Add(name);
  for (const std::string& name : main_.Settings.FieldNames) lbTotalFields.Add(name);
}

bool MailMergePage::HasChoice() const { return lbSelNames.Count() > 0 || lbSelFields.Count() > 0; }

void MailMergePage::ApplyLocks(const PageLocks& locks) {
  Panel1.SetChildrenEnabled(locks.mergeGroups);
  Panel2.SetChildrenEnabled(locks.mergeGroups);
}

void MailMergePage::NameAdded(int place, const std::string& name) { lbTotalNames.Insert(place, name); }

void MailMergePage::NameMoved(int from, int to, const std::string& name) {
  lbTotalNames.Delete(from);
  lbTotalNames.Insert(to, name);
}

void MailMergePage::NameRemoved(int place) { lbTotalNames.Delete(place); }

void MailMergePage::ReturnName(const std::string& name) {
  // The list holds names in the book's order: the name goes after every one
  // that does not sort after it.
  const std::string key = main_.Book.SortKeyOf(name);
  int low = 0, high = lbTotalNames.Count();
  while (low < high) {
    const int middle = low + (high - low) / 2;
    if (main_.Book.SortKeyOf(lbTotalNames.Item(middle)) <= key) low = middle + 1;
    else high = middle;
  }
  lbTotalNames.Insert(low, name);
}

// ---------------------------------------------------------------- buttons

void MailMergePage::btAdd1NameClick() {
  ui::MoveSelectedItem(lbTotalNames, lbSelNames);
  main_.UpdatePanelLocks();
}

void MailMergePage::btAddAllNamesClick() {
  ui::MoveAllItems(lbTotalNames, lbSelNames);
  main_.UpdatePanelLocks();
}

// The name goes back to its place in the book's order; the chosen list then
// selects as after any move.
void MailMergePage::btDel1NameClick() {
  const int i = lbSelNames.ItemIndex();
  if (i >= 0) {
    ReturnName(lbSelNames.Item(i));
    lbSelNames.Delete(i);
    const int left = lbSelNames.Count();
    lbSelNames.SetItemIndex(left == 0 ? -1 : std::min(i, left - 1));
  }
  main_.UpdatePanelLocks();
}

// Every name is back: the list of all records is the book's again.
void MailMergePage::btDelAllNamesClick() {
  lbSelNames.Clear();
  RefreshMergeNames();
  main_.UpdatePanelLocks();
}

void MailMergePage::btAdd1FieldClick() {
  ui::MoveSelectedItem(lbTotalFields, lbSelFields);
  main_.UpdatePanelLocks();
}

void MailMergePage::btAddAllFieldsClick() {
  ui::MoveAllItems(lbTotalFields, lbSelFields);
  main_.UpdatePanelLocks();
}

void MailMergePage::btDel1FieldClick() {
  ui::MoveSelectedItem(lbSelFields, lbTotalFields);
  main_.UpdatePanelLocks();
}

void MailMergePage::btDelAllFieldsClick() {
  ui::MoveAllItems(lbSelFields, lbTotalFields);
  main_.UpdatePanelLocks();
}

void MailMergePage::btNamesUpClick() { ui::MoveSelectedItemBy(lbSelNames, -1); }
void MailMergePage::btNamesDnClick() { ui::MoveSelectedItemBy(lbSelNames, +1); }
void MailMergePage::btFieldsUpClick() { ui::MoveSelectedItemBy(lbSelFields, -1); }
void MailMergePage::btFieldsDnClick() { ui::MoveSelectedItemBy(lbSelFields, +1); }

void MailMergePage::btClearMailMergeClick() {
  ui::MoveAllItems(lbSelFields, lbTotalFields);
  lbSelNames.Clear();
  RefreshMergeNames();
  main_.UpdatePanelLocks();
}

void MailMergePage::btMailMergeClick() {
  if (lbSelFields.Count() == 0 || lbSelNames.Count() == 0) return;
  std::unique_ptr<word::WordBasic> session = main_.BeginWordAction();
  if (!session) return;

  word::MergeRequest request;
  request.chosenFields = ui::ListItems(lbSelFields);
  request.chosenNames = ui::ListItems(lbSelNames);
  request.fieldNames = main_.Settings.FieldNames;
  request.useTreatment = cbUseTreatment.Checked();
  word::BuildMergeDocument(*session, request, *main_.ContactList);
  main_.StepAside();
}

}  // namespace qc
