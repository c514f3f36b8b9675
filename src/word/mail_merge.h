#pragma once
// The mail-merge document: a new Word document holding a table with a header
// row of the chosen field names and one row per chosen contact.
#include <string>
#include <vector>

#include "data/database.h"
#include "word/word_basic.h"

namespace qc::word {

inline constexpr int kMergeFieldCount = 17;

// The seventeen field names in the contact's order: "Name" ... "Phone#", then
// the eight additional field names.
std::vector<std::string> MergeFieldNames(const std::vector<std::string>& fieldNames);

// A contact's seventeen values in the same order; the name composed, with
// the treatment in front when asked.
std::vector<std::string> MergeValues(const TRecord& contact, bool useTreatment);

// For each chosen column, the field (0..16) whose values it takes, or -1.
// Each field claims the first column of its name (without regard to case);
// when two fields share a name the later one wins that column.
std::vector<int> MergeColumnMap(const std::vector<std::string>& allFields,
                                const std::vector<std::string>& chosenFields);

// The cells of one row joined by TABs (a column without a field is empty).
std::string MergeRow(const std::vector<std::string>& values, const std::vector<int>& columnMap);

struct MergeRequest {
  std::vector<std::string> chosenFields;  // column order
  std::vector<std::string> chosenNames;   // row order
  std::vector<std::string> fieldNames;    // the eight additional field names
  bool useTreatment = false;
};

// Sends the whole document: AppShow, FileNewDefault, the rows as text, then
// the conversion of the text to a table. Rows are found by exact name; a
// name that no contact has gives no row.
void BuildMergeDocument(WordBasic& word, const MergeRequest& request, const TDatabase& contacts);

}  // namespace qc::word
