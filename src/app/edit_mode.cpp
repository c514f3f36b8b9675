#include "app/edit_mode.h"

namespace qc {
namespace {

constexpr char kNewCaption[] = "Ne&w Record";
constexpr char kNewHint[] = "Create a new record on the database and enter Edit mode";
constexpr char kEditCaption[] = "&Edit Record";
constexpr char kEditHint[] = "Edit current record";
using Focus = ModeLook::Focus;

// Each: boxes open, name list shown, New, Edit, Delete and Insert usable,
// New's caption and hint, Edit's caption and hint, where the focus goes.
constexpr ModeLook kBrowse{false, true, true, false, false, false, kNewCaption, kNewHint,
                           kEditCaption, kEditHint, Focus::NameList};
constexpr ModeLook kNewRecord{true, false, true, false, false, false, "Ok", "Save changes and insert record",
                              kEditCaption, kEditHint, Focus::Unchanged};
constexpr ModeLook kEditRecord{true, false, false, true, false, false, kNewCaption, kNewHint,
                               "Ok", "Save changes made to the record", Focus::NameBox};
constexpr ModeLook kShowRecord{false, false, true, true, true, true, kNewCaption, kNewHint,
                               kEditCaption, kEditHint, Focus::InsertButton};

}  // namespace

const char* ModeHint(EditMode mode) {
  switch (mode) {
    case EditMode::Browse: return "Please select a Name or press 'New Record'";
    case EditMode::NewRecord: return "Please fill all fields and press 'Ok'";
    case EditMode::EditRecord: return "Please edit the fields and press 'Ok'";
    case EditMode::ShowRecord: return "Select 'New', 'Edit', 'Delete' or 'Insert'";
  }
  return "";
}

const ModeLook& LookOf(EditMode mode) {
  switch (mode) {
    case EditMode::NewRecord: return kNewRecord;
    case EditMode::EditRecord: return kEditRecord;
    case EditMode::ShowRecord: return kShowRecord;
    case EditMode::Browse: break;
  }
  return kBrowse;
}

PageLocks LocksFor(EditMode mode, bool merging) {
  const bool browsing = mode == EditMode::Browse;
  return {browsing, browsing && !merging, !merging, LookOf(mode).newOn && !merging};
}

}  // namespace qc
