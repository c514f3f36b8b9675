#pragma once
// Little-endian reading and writing of the binary data files.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qc {

// Reads from a block of bytes and never past its end. A read that needs more
// bytes than remain returns false and consumes nothing.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  size_t Remaining() const { return bytes_.size() - pos_; }
  size_t Position() const { return pos_; }
  // The bytes not read yet.
  std::string_view Rest() const { return bytes_.substr(pos_); }

  bool ReadByte(uint8_t& value) {
    if (Remaining() < 1) return false;
    value = static_cast<uint8_t>(bytes_[pos_++]);
    return true;
  }

  bool ReadInt16(int16_t& value) {
    if (Remaining() < 2) return false;
    value = static_cast<int16_t>(static_cast<uint16_t>(Byte(0) | (Byte(1) << 8)));
    pos_ += 2;
    return true;
  }

  bool ReadInt32(int32_t& value) {
    if (Remaining() < 4) return false;
    value = static_cast<int32_t>(Byte(0) | (Byte(1) << 8) | (Byte(2) << 16) | (Byte(3) << 24));
    pos_ += 4;
    return true;
  }

  bool ReadBytes(size_t n, std::string& out) {
    if (Remaining() < n) return false;
    out.assign(bytes_.substr(pos_, n));
    pos_ += n;
    return true;
  }

  bool Skip(size_t n) {
    if (Remaining() < n) return false;
    pos_ += n;
    return true;
  }

 private:
  uint32_t Byte(size_t offset) const { return static_cast<uint8_t>(bytes_[pos_ + offset]); }

  std::string_view bytes_;
  size_t pos_ = 0;
};

inline void PutByte(std::string& out, uint8_t value) { out += static_cast<char>(value); }

inline void PutInt32(std::string& out, int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((v >> shift) & 0xFF);
}

inline void PutZeros(std::string& out, size_t n) { out.append(n, '\0'); }

// Texts in the data files are one length byte followed by that many bytes,
// so a stored text holds at most 255 bytes.
constexpr size_t kMaxStoredText = 255;

// Writes the first 255 bytes of the text at most; the rest is dropped.
inline void PutShortText(std::string& out, std::string_view text) {
  if (text.size() > kMaxStoredText) text = text.substr(0, kMaxStoredText);
  PutByte(out, static_cast<uint8_t>(text.size()));
  out.append(text);
}

// False when the bytes end inside the text; `text` must not be used then.
inline bool ReadShortText(ByteReader& in, std::string& text) {
  uint8_t length = 0;
  return in.ReadByte(length) && in.ReadBytes(length, text);
}

}  // namespace qc
