#include "word/word_replace.h"

#include "common/text.h"

namespace qc::word {
namespace {

// Holds a place in the document between the pieces of a long value. Its first
// character occurs nowhere else in it, so no occurrence can begin inside a
// piece and end inside the marker behind it.
std::string PieceMarker(const std::string& value) {
  std::string upper = UpperCase(value);
  for (int n = 0;; ++n) {
    std::string marker = "{~qc" + (n ? std::to_string(n) : std::string()) + "~piece~}";
    if (upper.find(UpperCase(marker)) == std::string::npos) return marker;
  }
}

size_t LiteralLength(char c) { return c == '^' ? 2 : 1; }

}  // namespace

std::string LiteralWordText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '^') out += '^';
    out += c;
  }
  return out;
}

WordArgs ReplaceAllArgs(const std::string& findText, const std::string& replaceText) {
  return {WordArg::Named("Find", findText),
          WordArg::Named("Replace", replaceText),
          WordArg::Named("MatchCase", 0),
          WordArg::Named("WholeWord", 0),
          WordArg::Named("PatternMatch", 0),
          WordArg::Named("SoundsLike", 0),
          WordArg::Named("FindAllWordForms", 0),
          WordArg::Named("ReplaceAll", 1),
          WordArg::Named("Wrap", 1)};
}

std::vector<ReplaceStep> PlanReplacement(const std::string& find, const std::string& value) {
  std::string findText = LiteralWordText(find);
  if (findText.size() > kWordTextLimit) return {};
  std::string replaceText = LiteralWordText(value);
  if (replaceText.size() <= kWordTextLimit) return {{findText, replaceText}};

  // Each piece is cut from the plain value so that no doubled caret is split.
  const std::string marker = PieceMarker(value);
  const size_t budget = kWordTextLimit - marker.size();
  std::vector<std::string> pieces(1);
  size_t used = 0;
  for (char c : value) {
    if (used + LiteralLength(c) > budget) {
      pieces.emplace_back();
      used = 0;
    }
    pieces.back() += c;
    used += LiteralLength(c);
  }
  std::vector<ReplaceStep> steps;
  for (size_t i = 0; i < pieces.size(); ++i) {
    bool last = i + 1 == pieces.size();
    steps.push_back({i == 0 ? findText : marker, LiteralWordText(pieces[i]) + (last ? "" : marker)});
  }
  return steps;
}

bool ReplaceVariable(WordBasic& word, const std::string& name, const std::string& value) {
  std::vector<ReplaceStep> steps = PlanReplacement("<" + name + ">", value);
  for (const ReplaceStep& s : steps) word.Send("EditReplace", ReplaceAllArgs(s.find, s.replace));
  return !steps.empty();
}

}  // namespace qc::word
