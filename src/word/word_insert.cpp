#include "word/word_insert.h"

#include "word/word_replace.h"

namespace qc::word {

std::string HeaderText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    if (!text.empty()) text += kWordLineBreak;
    text += line;
  }
  return text;
}

std::vector<std::string> InsertRecord(WordBasic& word, const InsertValues& values) {
  word.Send("AppShow");
  word.Send("EditFindClearFormatting");
  word.Send("EditReplaceClearFormatting");
  word.Send("StartOfDocument", {WordArg::Int(0)});

  std::vector<std::string> skipped;
  auto replace = [&](const std::string& name, const std::string& value) {
    if (!ReplaceVariable(word, name, value)) skipped.push_back(name);
  };
  replace("Header", HeaderText(values.headerLines));
  replace("Name", values.name);
  if (values.title) replace("Title", *values.title);
  if (values.company) replace("Company", *values.company);
  replace("Number", values.number);
  for (const auto& [field, value] : values.additional) replace(field, value);
  return skipped;
}

std::string SkippedVariablesWarning(const std::vector<std::string>& names) {
  std::string text = "Word cannot search for a text longer than " + std::to_string(kWordTextLimit) +
                     " characters, so these variables were not filled:";
  for (const std::string& name : names) text += "\r\n<" + name + ">";
  return text;
}

}  // namespace qc::word
