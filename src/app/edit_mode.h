#pragma once
// The Database page's modes and their instruction texts.
#include <string>

namespace qc {

enum class EditMode { Browse = 0, NewRecord = 1, EditRecord = 2, ShowRecord = 3 };

// The instruction shown in the first status panel while the mode is on.
const char* ModeHint(EditMode mode);

// Status texts and help topics of the main window.
inline constexpr char kMailMergeHint[] = "Select the records and fields to use";
inline constexpr int kHelpFirstStart = 500;
// Help topic of the main window's page with the given index (0, 1 or 2).
inline int PageHelpContext(int pageIndex) { return 1000 * (pageIndex + 1); }

}  // namespace qc
