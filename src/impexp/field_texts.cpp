#include "impexp/field_texts.h"

#include "common/text.h"
#include "settings/app_settings.h"

namespace qc {
namespace {

constexpr const char* kBuiltInTexts[] = {"Name",      "Company",   "Title", "Treatment",
                                         "Address 1", "Address 2", "Address 3", "Fax#",
                                         "Phone#",    kOptionsText};

}  // namespace

std::string AdditionalFieldName(const std::vector<std::string>& fieldNames, int index) {
  if (index >= 0 && static_cast<size_t>(index) < fieldNames.size())
    return fieldNames[static_cast<size_t>(index)];
  return DefaultFieldName(index);
}

std::vector<std::string> ExportFieldTexts(const std::vector<std::string>& fieldNames) {
  std::vector<std::string> texts(std::begin(kBuiltInTexts), std::end(kBuiltInTexts));
  for (int i = 0; i < kAdditionalFieldCount; ++i) texts.push_back(AdditionalFieldName(fieldNames, i));
  return texts;
}

std::vector<std::string> ImportFieldTexts(int nameLayout, const std::vector<std::string>& fieldNames) {
  std::vector<std::string> texts;
  if (nameLayout == 1) {
    texts = {kFirstNameText, kMiddleNameText, kLastNameText};
  } else {
    texts = {kFullNameText};
  }
  std::vector<std::string> rest = ExportFieldTexts(fieldNames);
  texts.insert(texts.end(), rest.begin() + 1, rest.end());
  return texts;
}

std::vector<std::string> ImportFieldChoices(int nameLayout, const std::vector<std::string>& fieldNames) {
  std::vector<std::string> texts = ImportFieldTexts(nameLayout, fieldNames);
  texts.insert(texts.end(), {kCityText, kStateText, kPostalCodeText, kSkipColumnText});
  return texts;
}

int IndexOfText(const std::vector<std::string>& list, std::string_view text) {
  for (size_t i = 0; i < list.size(); ++i)
    if (SameText(list[i], text)) return static_cast<int>(i);
  return -1;
}

}  // namespace qc
