#pragma once
// How the portable logic talks to the user. The Windows layer shows message
// boxes captioned "Quillcard"; tests record the texts and answer confirmations.
#include <stdexcept>
#include <string>

namespace qc {

class UserMessages {
 public:
  virtual ~UserMessages() = default;
  // A plain message with one OK button and no icon.
  virtual void Information(const std::string& text) = 0;
  // A warning with one OK button.
  virtual void Warning(const std::string& text) = 0;
  // A question with OK and Cancel; true for OK.
  virtual bool Confirm(const std::string& text) = 0;
};

// A failure carrying the text the user is to see.
class UserError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace qc
