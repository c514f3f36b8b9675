#include "common/text.h"

#include <array>
#include <cstdint>

namespace qc {
namespace {

// Upper-case map of code page 1252: ASCII letters, the Latin-1 letters
// E0-FE (except F7, the division sign) and the three extra pairs
// 9A/8A (s caron), 9C/8C (oe), 9E/8E (z caron) and FF/9F (y diaeresis).
constexpr std::array<unsigned char, 256> MakeUpperTable() {
  std::array<unsigned char, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
  for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<unsigned char>(c - 32);
  for (int c = 0xE0; c <= 0xFE; ++c)
    if (c != 0xF7) t[c] = static_cast<unsigned char>(c - 32);
  t[0x9A] = 0x8A;
  t[0x9C] = 0x8C;
  t[0x9E] = 0x8E;
  t[0xFF] = 0x9F;
  return t;
}
constexpr auto kUpper = MakeUpperTable();

// Unicode code points of 0x80-0x9F in code page 1252 (0 where undefined;
// those five bytes are passed through as the C1 control of the same value).
constexpr std::array<uint16_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (kUpper[static_cast<unsigned char>(a[i])] != kUpper[static_cast<unsigned char>(b[i])])
      return false;
  return true;
}

int CompareText(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    int ca = kUpper[static_cast<unsigned char>(a[i])];
    int cb = kUpper[static_cast<unsigned char>(b[i])];
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(kUpper[static_cast<unsigned char>(c)]);
  return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    lines.emplace_back(text.substr(pos, end - pos));
    if (end == text.size()) break;
    pos = end + 1;
    if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
  }
  return lines;
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    uint32_t cp = c;
    if (c >= 0x80 && c <= 0x9F && kHigh[c - 0x80] != 0) cp = kHigh[c - 0x80];
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  return out;
}

int Cp1252ByteOf(uint32_t code_point) {
  if (code_point < 0x80 || (code_point >= 0xA0 && code_point <= 0xFF)) return static_cast<int>(code_point);
  for (int i = 0; i < 32; ++i) {
    const uint32_t held = kHigh[static_cast<size_t>(i)] != 0 ? kHigh[static_cast<size_t>(i)] : 0x80u + i;
    if (held == code_point) return 0x80 + i;
  }
  return -1;
}

namespace {

// Reads one UTF-8 character at `pos`; -1 (and one byte consumed) when the
// bytes there are not well-formed UTF-8.
int32_t NextUtf8(std::string_view text, size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos++]);
  if (lead < 0x80) return lead;
  int extra;
  uint32_t cp;
  uint32_t least;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, cp = lead & 0x1Fu, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, cp = lead & 0x0Fu, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, cp = lead & 0x07u, least = 0x10000;
  } else {
    return -1;
  }
  if (text.size() - pos < static_cast<size_t>(extra)) return -1;
  for (int i = 0; i < extra; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + static_cast<size_t>(i)]);
    if ((next & 0xC0) != 0x80) return -1;
    cp = cp << 6 | (next & 0x3Fu);
  }
  if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  pos += static_cast<size_t>(extra);
  return static_cast<int32_t>(cp);
}

void AppendCp1252(std::string& out, int32_t code_point, bool* replaced) {
  const int byte = code_point < 0 ? -1 : Cp1252ByteOf(static_cast<uint32_t>(code_point));
  if (byte < 0) {
    out += '?';
    if (replaced) *replaced = true;
  } else {
    out += static_cast<char>(byte);
  }
}

}  // namespace

bool IsUtf8(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size())
    if (NextUtf8(text, pos) < 0) return false;
  return true;
}

std::string Utf8ToCp1252(std::string_view text, bool* replaced) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) AppendCp1252(out, NextUtf8(text, pos), replaced);
  return out;
}

std::string Utf16ToCp1252(std::string_view bytes, bool big_endian, bool* replaced) {
  std::string out;
  out.reserve(bytes.size() / 2 + 1);
  auto unit_at = [&](size_t i) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return big_endian ? static_cast<uint32_t>(a << 8 | b) : static_cast<uint32_t>(b << 8 | a);
  };
  size_t i = 0;
  while (i + 1 < bytes.size()) {
    uint32_t unit = unit_at(i);
    i += 2;
    int32_t cp = static_cast<int32_t>(unit);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < bytes.size() && unit_at(i) >= 0xDC00 &&
        unit_at(i) <= 0xDFFF) {
      cp = static_cast<int32_t>(0x10000 + ((unit - 0xD800) << 10) + (unit_at(i) - 0xDC00));
      i += 2;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      cp = -1;
    }
    AppendCp1252(out, cp, replaced);
  }
  if (i < bytes.size()) AppendCp1252(out, -1, replaced);
  return out;
}

}  // namespace qc
