#pragma once
// The additional field names dialog: renames the eight additional fields.
#include <string>
#include <vector>

#include "settings/app_settings.h"
#include "ui/controls.h"
#include "ui/form.h"

namespace qc {

inline constexpr int kHelpAdditionalFields = 5000;

class TfmUserFields : public ui::Form {
 public:
  ~TfmUserFields() override;
  // Creates the window owned by `owner`, centred over it, with a copy of
  // `settings.FieldNames`. Only Ok writes the names back; `settings` must
  // outlive the window.
  void Create(HWND owner, AppSettings& settings);

  ui::ListBox Lista;  // the dialog's own copy of the eight names, in field order
  ui::Label laField;
  ui::Edit edField;
  ui::Button btOk, btCancel, btHelp;

  void FormCreate();
  void ListaClick();
  void edFieldKeyUp(WPARAM& key);
  void btOkClick();
  void btCancelClick();
  void btHelpClick();

  // Ok is allowed when no name is empty and no two are equal (compared exactly).
  static bool NamesAcceptable(const std::vector<std::string>& names);
  std::vector<std::string> Names() const;

 protected:
  // Up and Down move through the list, wrapping at its ends, whatever has the
  // focus; both the press and the release are kept from the controls.
  void FormKeyDown(WPARAM& key) override;
  void FormKeyUp(WPARAM& key) override;
  // Escape is not a way out of this dialog.
  bool EscapeKey() override { return true; }
  LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void SelectItem(int index);
  AppSettings* settings_ = nullptr;
};

}  // namespace qc
