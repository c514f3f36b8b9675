// The main window's Word actions: inserting the shown contact, the mail
// merge page's buttons and the Word interface configuration.
#include "app/win32/main_form.h"

namespace qc {

void TfmMain::CreateMailMergeButtons() {}

void TfmMain::btInsertClick() {}
void TfmMain::btAdd1NameClick() {}
void TfmMain::btAddAllNamesClick() {}
void TfmMain::btDel1NameClick() {}
void TfmMain::btDelAllNamesClick() {}
void TfmMain::btAdd1FieldClick() {}
void TfmMain::btAddAllFieldsClick() {}
void TfmMain::btDel1FieldClick() {}
void TfmMain::btDelAllFieldsClick() {}
void TfmMain::btNamesUpClick() {}
void TfmMain::btNamesDnClick() {}
void TfmMain::btFieldsUpClick() {}
void TfmMain::btFieldsDnClick() {}
void TfmMain::btClearMailMergeClick() {}
void TfmMain::btMailMergeClick() {}
void TfmMain::btWordInterfaceClick() {}

}  // namespace qc
