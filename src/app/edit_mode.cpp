#include "app/edit_mode.h"

namespace qc {

const char* ModeHint(EditMode mode) {
  switch (mode) {
    case EditMode::Browse: return "Please select a Name or press 'New Record'";
    case EditMode::NewRecord: return "Please fill all fields and press 'Ok'";
    case EditMode::EditRecord: return "Please edit the fields and press 'Ok'";
    case EditMode::ShowRecord: return "Select 'New', 'Edit', 'Delete' or 'Insert'";
  }
  return "";
}

}  // namespace qc
