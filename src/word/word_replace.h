#pragma once
// Replacing a place-holder variable in the Word document with a value that
// must arrive exactly as the user typed it.
#include <string>
#include <string_view>
#include <vector>

#include "word/word_basic.h"

namespace qc::word {

// Word refuses find and replace texts longer than this.
inline constexpr size_t kWordTextLimit = 255;

// Word reads "^" codes ("^p", "^t", "^c", "^&"...) in both the find and the
// replace text; a doubled caret stands for a caret, so this text, sent as
// either, means exactly `text`.
std::string LiteralWordText(std::string_view text);

// The replace-all that every replacement sends: Find, Replace, MatchCase 0,
// WholeWord 0, PatternMatch 0, SoundsLike 0, FindAllWordForms 0, ReplaceAll 1,
// Wrap 1, in that order, the texts as Word reads them.
WordArgs ReplaceAllArgs(const std::string& findText, const std::string& replaceText);

// The texts of the replace-alls that put `value` in place of every `find`
// (both literal): one pair when the value fits Word's limit; otherwise the
// value goes in pieces, each followed by a marker that the next piece replaces.
// Empty when the find text itself is too long for Word to look for.
struct ReplaceStep {
  std::string find, replace;  // as Word reads them
};
std::vector<ReplaceStep> PlanReplacement(const std::string& find, const std::string& value);

// "<" + name + ">" replaced by value everywhere in the active document,
// without regard to case. Sends nothing when "<name>" is longer than Word
// can look for, and returns false then.
bool ReplaceVariable(WordBasic& word, const std::string& name, const std::string& value);

}  // namespace qc::word
