#pragma once
// The WordBasic interface: commands sent by name to the running Word, with
// positional and named arguments, some of them read for a result. The Win32
// layer sends them over OLE Automation; tests record them.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace qc::word {

// One argument of a WordBasic command. Named arguments carry their name;
// positional ones have none. A text held by the program travels by
// reference, a literal text by value.
struct WordArg {
  std::string name;
  std::variant<int32_t, std::string> value;
  bool byRef = false;

  static WordArg Int(int32_t v) { return {{}, v, false}; }
  static WordArg Literal(std::string s) { return {{}, std::move(s), false}; }
  static WordArg Held(std::string s) { return {{}, std::move(s), true}; }
  static WordArg Named(std::string n, int32_t v) { return {std::move(n), v, false}; }
  static WordArg Named(std::string n, std::string s, bool byRef = true) {
    return {std::move(n), std::move(s), byRef};
  }

  bool IsNamed() const { return !name.empty(); }
  bool IsText() const { return std::holds_alternative<std::string>(value); }
  const std::string& Text() const { return std::get<std::string>(value); }
  int32_t Integer() const { return std::get<int32_t>(value); }
};

using WordArgs = std::vector<WordArg>;

enum class ResultKind { None, Integer, Text };
using WordResult = std::variant<std::monostate, int32_t, std::string>;

// A failure reported by Word, or of the connection to it; the text is for the user.
class WordError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class WordBasic {
 public:
  virtual ~WordBasic() = default;

  // Sends one command and waits for Word to carry it out. Throws WordError
  // when Word reports a failure.
  virtual WordResult Call(const std::string& command, const WordArgs& args, ResultKind result) = 0;

  void Send(const std::string& command, const WordArgs& args = {}) {
    Call(command, args, ResultKind::None);
  }
  int32_t ReadInteger(const std::string& command, const WordArgs& args = {});
  std::string ReadText(const std::string& command, const WordArgs& args = {});
};

}  // namespace qc::word
