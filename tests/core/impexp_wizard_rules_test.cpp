// The wizard's page order, help topics, field lists and the stored choice of fields.
#include <gtest/gtest.h>

#include "impexp/field_texts.h"
#include "impexp/wizard_rules.h"
#include "settings/app_settings.h"

namespace qc {
namespace {

using Names = std::vector<std::string>;

std::vector<int> Walk(WizardOperation op) {
  std::vector<int> pages{kPageStart};
  while (NextWizardPage(pages.back(), op) >= 0) pages.push_back(NextWizardPage(pages.back(), op));
  return pages;
}

TEST(WizardPages, EachOperationWalksItsPagesBothWays) {
  EXPECT_EQ(Walk(WizardOperation::Export), (std::vector<int>{0, 1, 2, 6, 7}));
  EXPECT_EQ(Walk(WizardOperation::Import), (std::vector<int>{0, 3, 4, 5, 6, 7}));
  for (WizardOperation op : {WizardOperation::Export, WizardOperation::Import}) {
    std::vector<int> walk = Walk(op);
    // Previous retraces Next everywhere except from Progress and Start.
    for (size_t i = 1; i + 1 < walk.size(); ++i) EXPECT_EQ(PriorWizardPage(walk[i], op), walk[i - 1]);
    EXPECT_EQ(PriorWizardPage(kPageStart, op), -1);
    EXPECT_EQ(PriorWizardPage(kPageProgress, op), -1);
  }
}

TEST(WizardFieldLists, ImportListFollowsTheNameLayout) {
  Names fieldNames = DefaultFieldNames();
  fieldNames[7] = "Birthday";
  Names full = ImportFieldTexts(0, fieldNames), parts = ImportFieldTexts(1, fieldNames);
  EXPECT_EQ(Names(full.begin(), full.begin() + 2), (Names{"Full Name", "Company"}));
  EXPECT_EQ(Names(parts.begin(), parts.begin() + 4), (Names{"First Name", "Middle Name", "Last Name", "Company"}));
  EXPECT_EQ(full.back(), "Birthday");
  EXPECT_EQ(parts.size(), full.size() + 2);
  // A short list of names takes the defaults for the missing ones.
  EXPECT_EQ(ExportFieldTexts({"Only"})[11], "User 2");
}

TEST(WizardListMoves, StoredFieldsMoveInStoredOrderIgnoringCase) {
  FieldList available{ExportFieldTexts(DefaultFieldNames()), -1}, chosen;
  MoveStoredFields({"phone#", "Nonsense", "NAME", "Phone#", "User 8"}, available, chosen);
  EXPECT_EQ(chosen.items, (Names{"Phone#", "Name", "User 8"}));
  EXPECT_EQ(available.items.size(), 15u);
  EXPECT_EQ(available.items.front(), "Company");
}

}  // namespace
}  // namespace qc
