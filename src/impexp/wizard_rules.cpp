#include "impexp/wizard_rules.h"

#include <utility>

#include "impexp/field_texts.h"

namespace qc {

int NextWizardPage(int page, WizardOperation operation) {
  switch (page) {
    case kPageStart: return operation == WizardOperation::Export ? kPageExportFields : kPageImportFormat;
    case kPageExportFields: return kPageExportType;
    case kPageExportType: return kPageFinal;
    case kPageImportFormat: return kPageImportFields;
    case kPageImportFields: return kPageImportType;
    case kPageImportType: return kPageFinal;
    case kPageFinal: return kPageProgress;
    default: return -1;
  }
}

int PriorWizardPage(int page, WizardOperation operation) {
  switch (page) {
    case kPageExportFields: return kPageStart;
    case kPageExportType: return kPageExportFields;
    case kPageImportFormat: return kPageStart;
    case kPageImportFields: return kPageImportFormat;
    case kPageImportType: return kPageImportFields;
    case kPageFinal: return operation == WizardOperation::Export ? kPageExportType : kPageImportType;
    default: return -1;
  }
}

int WizardHelpContext(int page) {
  switch (page) {
    case kPageExportFields:
    case kPageExportType: return 7200;
    case kPageImportFormat: return 7400;
    case kPageImportFields: return 7100;
    case kPageImportType: return 7300;
    default: return 7000;
  }
}

void MoveStoredFields(const std::vector<std::string>& stored, FieldList& available, FieldList& chosen) {
  for (const std::string& name : stored) {
    int i = IndexOfText(available.items, name);
    if (i < 0) continue;
    // "(Skip column)" may be chosen any number of times: it stays available.
    if (available.items[static_cast<size_t>(i)] == kSkipColumnText) {
      chosen.items.push_back(kSkipColumnText);
      continue;
    }
    chosen.items.push_back(std::move(available.items[static_cast<size_t>(i)]));
    available.items.erase(available.items.begin() + i);
    if (available.selected == i) available.selected = -1;
    else if (available.selected > i) --available.selected;
  }
}

}  // namespace qc
