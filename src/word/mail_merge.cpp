#include "word/mail_merge.h"

#include "common/text.h"
#include "data/letter.h"

namespace qc::word {

std::vector<std::string> MergeFieldNames(const std::vector<std::string>& fieldNames) {
  std::vector<std::string> names{"Name",      "Company",   "Title", "Treatment", "Address 1",
                                 "Address 2", "Address 3", "Fax#",  "Phone#"};
  for (size_t i = 0; i < 8; ++i) names.push_back(i < fieldNames.size() ? fieldNames[i] : std::string());
  return names;
}

std::vector<std::string> MergeValues(const TRecord& contact, bool useTreatment) {
  std::vector<std::string> values;
  values.reserve(kMergeFieldCount);
  for (int i = 0; i < kMergeFieldCount; ++i) values.emplace_back(contact.Text(i));
  values[0] = ComposeLetterName(contact.Name(), contact.Treatment(), useTreatment);
  return values;
}

std::vector<int> MergeColumnMap(const std::vector<std::string>& allFields,
                                const std::vector<std::string>& chosenFields) {
  std::vector<int> map(chosenFields.size(), -1);
  for (size_t field = 0; field < allFields.size(); ++field) {
    for (size_t column = 0; column < chosenFields.size(); ++column) {
      if (SameText(chosenFields[column], allFields[field])) {
        map[column] = static_cast<int>(field);
        break;
      }
    }
  }
  return map;
}

std::string MergeRow(const std::vector<std::string>& values, const std::vector<int>& columnMap) {
  std::string row;
  for (size_t column = 0; column < columnMap.size(); ++column) {
    if (column) row += '\t';
    int field = columnMap[column];
    if (field >= 0 && static_cast<size_t>(field) < values.size()) row += values[static_cast<size_t>(field)];
  }
  return row;
}

void BuildMergeDocument(WordBasic& word, const MergeRequest& request, const TDatabase& contacts) {
  word.Send("AppShow");
  std::vector<int> columnMap = MergeColumnMap(MergeFieldNames(request.fieldNames), request.chosenFields);
  word.Send("FileNewDefault");

  std::string header;
  for (size_t i = 0; i < request.chosenFields.size(); ++i) header += (i ? "\t" : "") + request.chosenFields[i];
  word.Send("Insert", {WordArg::Held(header)});
  word.Send("InsertPara");

  for (const std::string& name : request.chosenNames) {
    const TRecord* contact = nullptr;
    for (int i = 0; i < contacts.Count() && !contact; ++i)
      if (contacts.Items(i).Name() == name) contact = &contacts.Items(i);
    if (!contact) continue;
    word.Send("Insert", {WordArg::Held(MergeRow(MergeValues(*contact, request.useTreatment), columnMap))});
    word.Send("InsertPara");
  }

  word.Send("StartOfDocument", {WordArg::Int(0)});
  word.Send("EndOfDocument", {WordArg::Int(1)});
  word.Send("TextToTable", {WordArg::Named("ConvertFrom", 1)});
}

}  // namespace qc::word
