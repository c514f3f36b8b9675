// The Configuration page's settings dialogs: default values and additional field names.
#include "app/win32/main_form.h"

namespace qc {

void TfmMain::btAdditionalFieldsClick() {}
void TfmMain::btDefaultsClick() {}

}  // namespace qc
