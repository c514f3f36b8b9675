#pragma once
// A UserMessages that records what the user would have been shown and
// answers confirmations with a set answer.
#include <string>
#include <vector>

#include "common/user_messages.h"

namespace qc::test {

class RecordingMessages : public UserMessages {
 public:
  std::vector<std::string> informations, warnings, confirmations;
  bool confirmAnswer = true;

  void Information(const std::string& text) override { informations.push_back(text); }
  void Warning(const std::string& text) override { warnings.push_back(text); }
  bool Confirm(const std::string& text) override {
    confirmations.push_back(text);
    return confirmAnswer;
  }
  bool Silent() const { return informations.empty() && warnings.empty() && confirmations.empty(); }
};

}  // namespace qc::test
