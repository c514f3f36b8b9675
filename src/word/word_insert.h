#pragma once
// Putting the shown contact into the document open in Word: one replace-all
// per place-holder variable, in a fixed order.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "word/word_basic.h"

namespace qc::word {

// Character 11: Word's manual line break.
inline constexpr char kWordLineBreak = '\x0B';

// What the main window hands over, taken from its boxes at the moment of the click.
struct InsertValues {
  std::vector<std::string> headerLines;  // the letter preview's lines, as shown
  std::string name;                      // already composed
  std::optional<std::string> title;      // only when "Use Title" is ticked for the fax
  std::optional<std::string> company;    // only when "Use Company" is ticked for the fax
  std::string number;                    // the fax number
  std::vector<std::pair<std::string, std::string>> additional;  // field name, value
};

// The non-empty lines joined by manual line breaks.
std::string HeaderText(const std::vector<std::string>& lines);

// Shows Word, clears the find and replace formatting, goes to the start of
// the document and replaces <Header>, <Name>, <Title>, <Company>, <Number> and
// the additional variables in that order. A failing command stops it there.
// Returns the names of the variables left in the document because Word
// cannot look for them (see ReplaceVariable), in the order met.
std::vector<std::string> InsertRecord(WordBasic& word, const InsertValues& values);

// The one warning that names each of those variables and says why.
std::string SkippedVariablesWarning(const std::vector<std::string>& names);

}  // namespace qc::word
