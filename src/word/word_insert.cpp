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

void InsertRecord(WordBasic& word, const InsertValues& values) {
  word.Send("AppShow");
  word.Send("EditFindClearFormatting");
  word.Send("EditReplaceClearFormatting");
  word.Send("StartOfDocument", {WordArg::Int(0)});

  ReplaceVariable(word, "Header", HeaderText(values.headerLines));
  ReplaceVariable(word, "Name", values.name);
  if (values.title) ReplaceVariable(word, "Title", *values.title);
  if (values.company) ReplaceVariable(word, "Company", *values.company);
  ReplaceVariable(word, "Number", values.number);
  for (const auto& [field, value] : values.additional) ReplaceVariable(word, field, value);
}

}  // namespace qc::word
