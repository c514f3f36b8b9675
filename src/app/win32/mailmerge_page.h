#pragma once
// The Mail Merge page: the contacts and fields to merge, each in an order of
// the user's choosing, and the Word document built from them.
#include <string>

#include "app/edit_mode.h"
#include "ui/controls.h"

namespace qc {

class TfmMain;

class MailMergePage : public ui::Panel {
 public:
  explicit MailMergePage(TfmMain& main) : main_(main) {}
  void Create(HWND parent, const RECT& area);

  // ---- controls
  ui::Panel Panel1, Panel2;
  ui::ListBox lbTotalNames, lbSelNames, lbTotalFields, lbSelFields;
  ui::Label laTotalNames, laSelNames, laTotalFields, laSelFields;
  ui::Button btAdd1Name, btAddAllNames, btDel1Name, btDelAllNames;
  ui::Button btAdd1Field, btAddAllFields, btDel1Field, btDelAllFields;
  ui::Button btNamesUp, btNamesDn, btFieldsUp, btFieldsDn;
  ui::Button btClearMailMerge, btMailMerge;
  ui::CheckBox cbUseTreatment;

  // ---- operations
  // The list of all records filled anew with every name, in the book's order.
  void RefreshMergeNames();
  // The list of available fields: the nine fixed ones and the eight field names.
  void FillMergeFields();
  // Whether a chosen list holds anything (the contacts must not change then).
  bool HasChoice() const;
  void ApplyLocks(const PageLocks& locks);
  // A contact's name came, moved or went at these places of the book's
  // order. The contacts change only while nothing is chosen, so the list of
  // all records holds the book's names and follows them place for place.
  void NameAdded(int place, const std::string& name);
  void NameMoved(int from, int to, const std::string& name);
  void NameRemoved(int place);

  // ---- handlers
  void btAdd1NameClick();
  void btAddAllNamesClick();
  void btDel1NameClick();
  void btDelAllNamesClick();
  void btAdd1FieldClick();
  void btAddAllFieldsClick();
  void btDel1FieldClick();
  void btDelAllFieldsClick();
  void btNamesUpClick();
  void btNamesDnClick();
  void btFieldsUpClick();
  void btFieldsDnClick();
  void btClearMailMergeClick();
  void btMailMergeClick();

 private:
  void CreateButtons();
  // Puts a name back into the list of all records, at its place in the book's order.
  void ReturnName(const std::string& name);

  TfmMain& main_;
};

}  // namespace qc
