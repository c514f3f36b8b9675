#include "settings/win32/user_fields_form.h"

#include <set>

#include "ui/list_moves.h"

namespace qc {
namespace {

constexpr int kClientWidth = 461;
constexpr int kClientHeight = 140;

}  // namespace

TfmUserFields::~TfmUserFields() { DestroyHandle(); }

void TfmUserFields::Create(HWND owner, AppSettings& settings) {
  settings_ = &settings;
  CreateForm("Quillcard - Additional Fields", kClientWidth, kClientHeight, owner);
  CenterOver(owner);
  keyPreview = true;
  HWND form = Handle();

  Lista.Create(form, 8, 8, 190, 124, false);
  Lista.SetHint("This is the list of Additional Fields");
  laField.Create(form, "Field Name:", 208, 12, 245, 15);
  edField.Create(form, 208, 30, 245, 21);
  SendMessageA(edField.Handle(), EM_LIMITTEXT, 0, 0);  // as long as the edit box takes
  edField.SetHint(
      "Edit the description of Additional Fields. The description will be used as the variable "
      "name on Word Templates");

  const int buttonY = 105, buttonW = 75, buttonH = 27, buttonGap = 6;
  const int helpX = kClientWidth - 8 - buttonW;
  const int cancelX = helpX - buttonGap - buttonW;
  const int okX = cancelX - buttonGap - buttonW;
  btOk.Create(form, "Ok", okX, buttonY, buttonW, buttonH);
  btOk.SetHint("Save Changes");
  btCancel.Create(form, "Cancel", cancelX, buttonY, buttonW, buttonH);
  btCancel.SetHint("Close the dialog and lose all changes made");
  btHelp.Create(form, "Help", helpX, buttonY, buttonW, buttonH);
  btHelp.SetHint("Get Help");

  SetDefaultButton(&btOk);
  Lista.onChange = [this] { ListaClick(); };
  edField.onKeyUp = [this](WPARAM& key) { edFieldKeyUp(key); };
  btOk.onClick = [this] { btOkClick(); };
  btCancel.onClick = [this] { btCancelClick(); };
  btHelp.onClick = [this] { btHelpClick(); };

  FormCreate();
}

void TfmUserFields::FormCreate() {
  Lista.Clear();
  for (const std::string& name : settings_->FieldNames) Lista.Add(name);
  SelectItem(0);
  SetFocusControl(edField.Handle());
}

std::vector<std::string> TfmUserFields::Names() const { return ui::ListItems(Lista); }

bool TfmUserFields::NamesAcceptable(const std::vector<std::string>& names) {
  std::set<std::string> seen;
  for (const std::string& name : names)
    if (name.empty() || !seen.insert(name).second) return false;
  return true;
}

void TfmUserFields::SelectItem(int index) {
  Lista.SetItemIndex(index);
  ListaClick();
}

void TfmUserFields::ListaClick() {
  int i = Lista.ItemIndex();
  edField.SetText(i >= 0 ? Lista.Item(i) : std::string());
}

void TfmUserFields::edFieldKeyUp(WPARAM&) {
  int i = Lista.ItemIndex();
  if (i < 0) return;
  // The list box has no way to change an item's text: replace the item.
  Lista.Delete(i);
  Lista.Insert(i, edField.Text());
  Lista.SetItemIndex(i);
  btOk.SetEnabled(NamesAcceptable(Names()));
}

void TfmUserFields::FormKeyDown(WPARAM& key) {
  if (key == VK_UP || key == VK_DOWN) key = 0;
}

void TfmUserFields::FormKeyUp(WPARAM& key) {
  if (key != VK_UP && key != VK_DOWN) return;
  int count = Lista.Count();
  if (count > 0) {
    int i = Lista.ItemIndex();
    if (key == VK_DOWN) i = i < 0 ? 0 : (i + 1) % count;
    else i = i <= 0 ? count - 1 : i - 1;
    SelectItem(i);
  }
  key = 0;
}

void TfmUserFields::btOkClick() {
  std::vector<std::string> names = Names();
  for (size_t i = 0; i < names.size() && i < settings_->FieldNames.size(); ++i)
    settings_->FieldNames[i] = names[i];
  SetModalResult(ui::ModalResult::Ok);
}

void TfmUserFields::btCancelClick() { SetModalResult(ui::ModalResult::Cancel); }

void TfmUserFields::btHelpClick() { ui::ShowHelpTopic(Handle(), kHelpAdditionalFields); }

LRESULT TfmUserFields::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_HELP:
      btHelpClick();
      return TRUE;
  }
  return Form::OnMessage(msg, wp, lp);
}

}  // namespace qc
