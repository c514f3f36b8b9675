#pragma once
// The Database page's modes: what each control of the page does in each of
// them, and which parts of the main window are usable.
#include <string>

namespace qc {

enum class EditMode { Browse = 0, NewRecord = 1, EditRecord = 2, ShowRecord = 3 };

// The instruction shown in the first status panel while the mode is on.
const char* ModeHint(EditMode mode);

// How the page looks in a mode; the page applies it as it stands. The
// Cancel button is always usable.
struct ModeLook {
  bool boxesOpen;      // the contact's boxes and options can be typed in
  bool nameListShown;  // the name list stands where the name box does
  bool newOn, editOn, deleteOn, insertOn;
  const char* newCaption;
  const char* newHint;
  const char* editCaption;
  const char* editHint;
  enum class Focus { NameList, NameBox, InsertButton, Unchanged } focus;
};
const ModeLook& LookOf(EditMode mode);

// Which parts of the main window may be used. Outside Browse a contact is
// shown or edited; while a Mail Merge list holds anything the contacts must
// not change. Each part is usable only when neither can make it stale.
struct PageLocks {
  bool mergeGroups;    // the Mail Merge page's two groups
  bool configuration;  // the Configuration page's buttons
  bool nameList;       // the Database page's name list
  bool newRecord;      // its New Record button
};
PageLocks LocksFor(EditMode mode, bool merging);

// Status texts and help topics of the main window.
inline constexpr char kMailMergeHint[] = "Select the records and fields to use";
inline constexpr int kHelpFirstStart = 500;
// Help topic of the main window's page with the given index (0, 1 or 2).
inline int PageHelpContext(int pageIndex) { return 1000 * (pageIndex + 1); }

}  // namespace qc
