// The Mail Merge page of the main window: the names and fields to merge.
#include "app/win32/main_form.h"

namespace qc {

void TfmMain::CreateMailMergePage() {
  HWND page = MailMerge.Handle();
  const int listW = 190, listH = 128;

  Panel1.Create(page, 4, 4, 480, 168, "", ui::Panel::Bevel::Raised);
  HWND n = Panel1.Handle();
  laTotalNames.Create(n, "All records:", 8, 8, listW, 14);
  lbTotalNames.Create(n, 8, 24, listW, listH, true);
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

  CreateMailMergeButtons();
}

void TfmMain::RefreshMergeNames() {
  lbTotalNames.Clear();
  lbTotalNames.AddAll(lbName.Items());
}

void TfmMain::FillMergeFields() {
  lbTotalFields.Clear();
  for (const char* name : {"Name", "Company", "Title", "Treatment", "Address 1", "Address 2",
                           "Address 3", "Fax#", "Phone#"})
    lbTotalFields.Add(name);
  for (const std::string& name : Settings.FieldNames) lbTotalFields.Add(name);
}

}  // namespace qc
