#include "word/word_basic.h"

namespace qc::word {

int32_t WordBasic::ReadInteger(const std::string& command, const WordArgs& args) {
  WordResult r = Call(command, args, ResultKind::Integer);
  if (const int32_t* v = std::get_if<int32_t>(&r)) return *v;
  throw WordError("Word gave no number for " + command);
}

std::string WordBasic::ReadText(const std::string& command, const WordArgs& args) {
  WordResult r = Call(command, args, ResultKind::Text);
  if (std::string* v = std::get_if<std::string>(&r)) return std::move(*v);
  throw WordError("Word gave no text for " + command);
}

}  // namespace qc::word
