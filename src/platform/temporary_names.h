#pragma once
// The names of the safe save's temporary files: "<file name>.tmp<process>-<counter>"
// beside the file they are to replace. The writer makes them and the clean-up
// of files left by saves that never finished recognises them, both from here.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/text.h"

namespace qc::temporary_names {

inline constexpr std::string_view kMark = ".tmp";

// The temporary name for `path` made by process `process` with its `counter`.
inline std::string NameFor(const std::string& path, unsigned long process, unsigned counter) {
  return path + std::string(kMark) + std::to_string(process) + "-" + std::to_string(counter);
}

// When `name` (a file name without its folder) is exactly a temporary name for
// the file named `target`, the number of the process that made it (UINT64_MAX
// when the number is too large to be one); otherwise nothing. `ignoreCase` for
// file systems that ignore letter case in names.
inline std::optional<std::uint64_t> WriterOf(std::string_view name, std::string_view target,
                                             bool ignoreCase) {
  const std::string expected = std::string(target) + std::string(kMark);
  if (target.empty() || name.size() <= expected.size()) return std::nullopt;
  const std::string_view head = name.substr(0, expected.size());
  if (ignoreCase ? !SameText(head, expected) : head != expected) return std::nullopt;
  const std::string_view rest = name.substr(expected.size());
  const size_t dash = rest.find('-');
  if (dash == std::string_view::npos || dash == 0 || dash + 1 == rest.size()) return std::nullopt;
  for (size_t i = 0; i < rest.size(); ++i)
    if (i != dash && (rest[i] < '0' || rest[i] > '9')) return std::nullopt;
  std::uint64_t process = 0;
  for (char c : rest.substr(0, dash)) {
    const unsigned digit = static_cast<unsigned>(c - '0');
    if (process > (UINT64_MAX - digit) / 10) return UINT64_MAX;
    process = process * 10 + digit;
  }
  return process;
}

}  // namespace qc::temporary_names
