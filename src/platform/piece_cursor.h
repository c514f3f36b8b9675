#pragma once
// How the platform's file writers walk content given in pieces: up to a
// byte count (the first half of a save), then the rest.
#include <algorithm>
#include <cstddef>
#include <limits>
#include <string_view>
#include <utility>

#include "platform/files.h"

namespace qc {

// Content held whole, as one piece.
class WholeContent : public ContentPieces {
 public:
  explicit WholeContent(std::string_view bytes) : bytes_(bytes), size_(bytes.size()) {}
  size_t Size() const override { return size_; }
  std::string_view Next() override { return std::exchange(bytes_, std::string_view()); }

 private:
  std::string_view bytes_;
  size_t size_;
};

class PieceCursor {
 public:
  static constexpr size_t kAll = std::numeric_limits<size_t>::max();

  explicit PieceCursor(ContentPieces& content) : content_(content) {}

  // The next bytes, so that no more than `limit` bytes from the start of
  // the content are given in all; empty at the limit or at the end.
  std::string_view Take(size_t limit) {
    if (given_ >= limit) return {};
    if (left_.empty()) left_ = content_.Next();
    const std::string_view taken = left_.substr(0, std::min(left_.size(), limit - given_));
    left_.remove_prefix(taken.size());
    given_ += taken.size();
    return taken;
  }

  // The bytes given so far.
  size_t Given() const { return given_; }

 private:
  ContentPieces& content_;
  std::string_view left_;
  size_t given_ = 0;
};

}  // namespace qc
