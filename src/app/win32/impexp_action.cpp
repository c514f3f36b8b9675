// The Configuration page's import/export wizard and the refresh after it.
#include "app/win32/main_form.h"

namespace qc {

void TfmMain::btImportExportClick() {}

}  // namespace qc
