#pragma once
// A WordBasic that records every command instead of sending it, answers
// reads from a script and can be told to refuse the nth command.
#include <functional>
#include <string>
#include <vector>

#include "word/word_basic.h"

namespace qc::test {

struct SentCommand {
  std::string name;
  word::WordArgs args;

  // The value of a named argument, or of a positional one by index.
  const word::WordArg* Named(const std::string& n) const {
    for (const word::WordArg& a : args)
      if (a.name == n) return &a;
    return nullptr;
  }
  std::string Text(const std::string& n) const {
    const word::WordArg* a = Named(n);
    return a && a->IsText() ? a->Text() : std::string("<none>");
  }
};

class RecordingWordBasic : public word::WordBasic {
 public:
  std::vector<SentCommand> sent;
  int failAt = 0;  // the nth command (from 1) throws; 0: none does
  std::function<word::WordResult(const SentCommand&)> answer;

  word::WordResult Call(const std::string& command, const word::WordArgs& args, word::ResultKind) override {
    sent.push_back({command, args});
    if (failAt && static_cast<int>(sent.size()) == failAt) throw word::WordError("Command failed");
    return answer ? answer(sent.back()) : word::WordResult{};
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const SentCommand& c : sent) names.push_back(c.name);
    return names;
  }
  std::vector<const SentCommand*> Named(const std::string& name) const {
    std::vector<const SentCommand*> found;
    for (const SentCommand& c : sent)
      if (c.name == name) found.push_back(&c);
    return found;
  }
};

}  // namespace qc::test
