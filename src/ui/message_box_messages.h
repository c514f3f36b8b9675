#pragma once
// UserMessages shown as message boxes captioned "Quillcard".
#include "common/user_messages.h"
#include "ui/hooks.h"

namespace qc::ui {

class MessageBoxMessages : public UserMessages {
 public:
  void Information(const std::string& text) override { ShowMessage(nullptr, text, MB_OK); }
  void Warning(const std::string& text) override { ShowMessage(nullptr, text, MB_OK | MB_ICONWARNING); }
  bool Confirm(const std::string& text) override {
    return ShowMessage(nullptr, text, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
  }
};

}  // namespace qc::ui
