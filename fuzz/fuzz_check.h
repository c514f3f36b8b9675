#pragma once
// What the fuzz targets share: a check that stops the run with the failed
// condition (libFuzzer then keeps the input as a crash), and message sinks.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/user_messages.h"

#define FUZZ_CHECK(condition)                                                                 \
  do {                                                                                        \
    if (!(condition)) {                                                                       \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);      \
      std::abort();                                                                           \
    }                                                                                         \
  } while (0)

namespace qc::fuzz {

inline std::string_view Bytes(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Records what the user would have been shown.
class RecordedMessages : public UserMessages {
 public:
  std::vector<std::string> shown;
  void Information(const std::string& text) override { shown.push_back(text); }
  void Warning(const std::string& text) override { shown.push_back(text); }
  bool Confirm(const std::string& text) override {
    shown.push_back(text);
    return false;
  }
};

// Splits off the text before the first line feed; `rest` keeps what follows it.
inline std::string_view TakeLine(std::string_view& rest) {
  size_t end = rest.find('\n');
  std::string_view line = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return line;
}

}  // namespace qc::fuzz
