#pragma once
// The import/export wizard's rules that need no window: which page follows
// which, the help topic of each page, and the chosen fields of the last run
// put back. (The moves between the two field lists are ui/list_moves.h.)
#include <string>
#include <vector>

namespace qc {

enum class WizardOperation { Import = 0, Export = 1 };

// The wizard's pages, in the order of its notebook.
enum WizardPage {
  kPageStart = 0,
  kPageExportFields = 1,
  kPageExportType = 2,
  kPageImportFormat = 3,
  kPageImportFields = 4,
  kPageImportType = 5,
  kPageFinal = 6,
  kPageProgress = 7,
  kWizardPageCount = 8,
};

// The page that Next or Previous leads to, or -1 where the button is hidden.
int NextWizardPage(int page, WizardOperation operation);
int PriorWizardPage(int page, WizardOperation operation);

// The help topic of a page.
int WizardHelpContext(int page);

// A list box's entries and its selected entry (-1 for none).
struct FieldList {
  std::vector<std::string> items;
  int selected = -1;
  bool operator==(const FieldList&) const = default;
};

// Moves each stored name, in the stored order, from the available list to
// the end of the chosen list, when an available entry equals it without
// regard to case; other names are skipped. The entries keep the available
// list's spelling. "(Skip column)" is copied, not moved, as often as stored.
void MoveStoredFields(const std::vector<std::string>& stored, FieldList& available, FieldList& chosen);

}  // namespace qc
