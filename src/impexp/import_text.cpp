#include "impexp/import_text.h"

#include <cstdint>
#include <cstring>

#include "common/text.h"
#include "impexp/import.h"

namespace qc {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigMark = "\xFE\xFF";

// The length of the run of bytes below 128 at the start, eight at a time:
// most files are mostly ASCII, and this runs for every import.
size_t AsciiPrefix(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    std::memcpy(&word, text.data() + i, 8);
    if (word & 0x8080808080808080ull) break;
  }
  while (i < n && static_cast<unsigned char>(text[i]) < 0x80) ++i;
  return i;
}

// Gathers converted lines into one text, then points the lines into it.
class LineCollector {
 public:
  explicit LineCollector(size_t expectedBytes) : text_(std::make_unique<std::string>()) {
    text_->reserve(expectedBytes);
  }
  void Add(std::string_view line, bool replaced) {
    if (replaced) result_.linesWithReplacements.push_back(ends_.size());
    text_->append(line);
    ends_.push_back(text_->size());
  }
  ImportText Finish(FoundEncoding encoding) {
    result_.encoding = encoding;
    result_.lines.reserve(ends_.size());
    size_t start = 0;
    for (size_t end : ends_) {
      result_.lines.emplace_back(text_->data() + start, end - start);
      start = end;
    }
    result_.converted = std::move(text_);
    return std::move(result_);
  }

 private:
  std::unique_ptr<std::string> text_;
  std::vector<size_t> ends_;
  ImportText result_;
};

ImportText DecodeUtf8(std::string_view bytes) {
  LineCollector lines(bytes.size());
  // ImportFileLines cuts at the NUL, drops the mark and splits: CR and LF
  // are never part of a longer UTF-8 character.
  for (std::string_view line : ImportFileLines(bytes)) {
    if (AsciiPrefix(line) == line.size()) {
      lines.Add(line, false);
    } else {
      bool replaced = false;
      const std::string converted = Utf8ToCp1252(line, &replaced);
      lines.Add(converted, replaced);
    }
  }
  return lines.Finish(FoundEncoding::Utf8);
}

ImportText DecodeUtf16(std::string_view bytes, bool bigEndian) {
  if (bytes.substr(0, 2) == (bigEndian ? kUtf16BigMark : kUtf16LittleMark)) bytes.remove_prefix(2);
  LineCollector lines(bytes.size() / 2 + 1);
  auto unitAt = [&](size_t i) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? static_cast<unsigned>(a << 8 | b) : static_cast<unsigned>(b << 8 | a);
  };
  const size_t n = bytes.size();
  size_t at = 0;
  while (at < n) {
    size_t stop = at;
    unsigned unit = 0;
    bool nul = false;
    for (; stop + 1 < n; stop += 2) {
      unit = unitAt(stop);
      if (unit == '\r' || unit == '\n') break;
      if (unit == 0) {
        nul = true;
        break;
      }
    }
    if (stop + 1 >= n) stop = n;  // an odd last byte belongs to the last line (and becomes "?")
    if (stop > at || !nul) {
      bool replaced = false;
      const std::string converted = Utf16ToCp1252(bytes.substr(at, stop - at), bigEndian, &replaced);
      lines.Add(converted, replaced);
    }
    if (nul || stop >= n) break;
    at = stop + 2;
    if (unit == '\r' && at + 1 < n && unitAt(at) == '\n') at += 2;
  }
  return lines.Finish(bigEndian ? FoundEncoding::Utf16BigEndian : FoundEncoding::Utf16LittleEndian);
}

}  // namespace

FoundEncoding DetectEncoding(std::string_view bytes) {
  if (bytes.starts_with(kUtf16LittleMark)) return FoundEncoding::Utf16LittleEndian;
  if (bytes.starts_with(kUtf16BigMark)) return FoundEncoding::Utf16BigEndian;
  if (bytes.starts_with(kUtf8Mark)) return FoundEncoding::Utf8;
  if (const void* nul = std::memchr(bytes.data(), 0, bytes.size()))
    bytes = bytes.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - bytes.data()));
  const size_t ascii = AsciiPrefix(bytes);
  if (ascii == bytes.size()) return FoundEncoding::Cp1252;  // the same text either way
  // The ASCII run ends at a character boundary; the rest decides.
  return IsUtf8(bytes.substr(ascii)) ? FoundEncoding::Utf8 : FoundEncoding::Cp1252;
}

FoundEncoding EncodingFor(std::string_view bytes, TextEncoding chosen) {
  switch (chosen) {
    case TextEncoding::Cp1252: return FoundEncoding::Cp1252;
    case TextEncoding::Utf8: return FoundEncoding::Utf8;
    case TextEncoding::Utf16:
      return bytes.starts_with(kUtf16BigMark) ? FoundEncoding::Utf16BigEndian : FoundEncoding::Utf16LittleEndian;
    case TextEncoding::Auto: break;
  }
  return DetectEncoding(bytes);
}

const char* EncodingName(FoundEncoding encoding) {
  switch (encoding) {
    case FoundEncoding::Utf8: return "UTF-8";
    case FoundEncoding::Utf16LittleEndian: return "UTF-16 (little-endian)";
    case FoundEncoding::Utf16BigEndian: return "UTF-16 (big-endian)";
    case FoundEncoding::Cp1252: break;
  }
  return "Windows (code page 1252)";
}

std::optional<TextEncoding> ParseEncodingName(std::string_view name) {
  if (SameText(name, "auto")) return TextEncoding::Auto;
  if (SameText(name, "cp1252")) return TextEncoding::Cp1252;
  if (SameText(name, "utf-8")) return TextEncoding::Utf8;
  if (SameText(name, "utf-16")) return TextEncoding::Utf16;
  return std::nullopt;
}

ImportText DecodeImportFile(std::string_view bytes, TextEncoding chosen) {
  switch (EncodingFor(bytes, chosen)) {
    case FoundEncoding::Utf8: return DecodeUtf8(bytes);
    case FoundEncoding::Utf16LittleEndian: return DecodeUtf16(bytes, false);
    case FoundEncoding::Utf16BigEndian: return DecodeUtf16(bytes, true);
    case FoundEncoding::Cp1252: break;
  }
  ImportText text;
  text.lines = ImportFileLines(bytes);
  return text;
}

}  // namespace qc
