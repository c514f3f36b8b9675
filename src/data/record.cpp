#include "data/record.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace qc {
namespace {

void CheckField(int i) {
  if (i < 0 || i >= TRecord::kTextCount)
    throw std::out_of_range("contact field number " + std::to_string(i) + " does not exist");
}

// The offsets are 32 bits wide: a contact's texts together stay below 4 GB.
size_t CheckedTotal(size_t total) {
  if (total > std::numeric_limits<uint32_t>::max()) throw std::length_error("contact texts too long");
  return total;
}

}  // namespace

TRecord::TRecord(std::span<const std::string_view, kTextCount> texts, uint8_t options) : Options(options) {
  size_t total = 0;
  for (std::string_view text : texts) total += text.size();
  if (total == 0) return;
  block_.reset(new char[kHeaderBytes + CheckedTotal(total)]);
  char* header = block_.get();
  char* at = header + kHeaderBytes;
  uint32_t end = 0;
  for (size_t i = 0; i < texts.size(); ++i) {
    // An empty view may have no data at all, which memcpy must not be given.
    if (!texts[i].empty()) std::memcpy(at, texts[i].data(), texts[i].size());
    at += texts[i].size();
    end += static_cast<uint32_t>(texts[i].size());
    std::memcpy(header + i * sizeof end, &end, sizeof end);
  }
}

TRecord::TRecord(const TRecord& other) : Options(other.Options) {
  if (!other.block_) return;
  const size_t size = kHeaderBytes + other.TextBytes();
  block_.reset(new char[size]);
  std::memcpy(block_.get(), other.block_.get(), size);
}

TRecord& TRecord::operator=(const TRecord& other) {
  if (this != &other) *this = TRecord(other);
  return *this;
}

uint32_t TRecord::End(int i) const {
  uint32_t end;
  std::memcpy(&end, block_.get() + static_cast<size_t>(i) * sizeof end, sizeof end);
  return end;
}

TRecord::TextView TRecord::Text(int i) const {
  CheckField(i);
  return At(i);
}

void TRecord::Set(int i, std::string_view text) {
  CheckField(i);
  // Built aside: `text` may lie in the block that is replaced.
  std::array<std::string_view, kTextCount> texts;
  for (int f = 0; f < kTextCount; ++f) texts[static_cast<size_t>(f)] = f == i ? text : At(f);
  TRecord changed(texts, Options);
  block_ = std::move(changed.block_);
}

void TRecord::WriteToStream(std::string& out) const {
  const size_t start = out.size();
  out.resize(start + StreamSize());
  WriteTo(out.data() + start);
}

size_t TRecord::StreamSize() const {
  size_t size = kTextCount + 1 + kRecordReservedBytes + TextBytes();
  // Only a text longer than a length byte can say is cut.
  if (TextBytes() > kMaxStoredText)
    for (int i = 0; i < kTextCount; ++i) size -= At(i).size() - std::min(At(i).size(), kMaxStoredText);
  return size;
}

char* TRecord::WriteTo(char* out) const {
  for (int i = 0; i < kTextCount; ++i) {
    const std::string_view text = At(i);
    const size_t length = std::min(text.size(), kMaxStoredText);
    *out++ = static_cast<char>(length);
    std::memcpy(out, text.data(), length);
    out += length;
  }
  *out++ = static_cast<char>(Options);
  std::memset(out, 0, kRecordReservedBytes);
  return out + kRecordReservedBytes;
}

bool TRecord::ReadFromStream(ByteReader& in) {
  // The lengths first: the block is made once, at its size, and only for a
  // record that the bytes hold whole.
  const std::string_view bytes = in.Rest();
  std::array<uint32_t, kTextCount> ends;
  size_t pos = 0;
  uint32_t total = 0;
  for (uint32_t& end : ends) {
    if (pos >= bytes.size()) return false;
    const auto length = static_cast<uint8_t>(bytes[pos]);
    pos += 1 + length;
    total += length;
    end = total;
  }
  if (bytes.size() < pos + 1 + kRecordReservedBytes) return false;
  if (total == 0) {
    block_.reset();
  } else {
    block_.reset(new char[kHeaderBytes + total]);
    std::memcpy(block_.get(), ends.data(), kHeaderBytes);
    char* at = block_.get() + kHeaderBytes;
    const char* from = bytes.data();
    for (int i = 0; i < kTextCount; ++i) {
      const auto length = static_cast<uint8_t>(*from++);
      std::memcpy(at, from, length);
      at += length;
      from += length;
    }
  }
  Options = static_cast<uint8_t>(bytes[pos]);
  in.Skip(pos + 1 + kRecordReservedBytes);
  return true;
}

bool TRecord::operator==(const TRecord& other) const {
  if (Options != other.Options) return false;
  for (int i = 0; i < kTextCount; ++i)
    if (At(i) != other.At(i)) return false;
  return true;
}

}  // namespace qc
