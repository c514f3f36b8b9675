#pragma once
// The text of an import file in code page 1252, whatever encoding the file
// was written in: UTF-16 of either byte order, UTF-8 or code page 1252.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qc {

// The encoding the user chose; Auto finds it from the bytes.
enum class TextEncoding { Auto = 0, Cp1252 = 1, Utf8 = 2, Utf16 = 3 };

// The encoding a file was read in.
enum class FoundEncoding { Cp1252, Utf8, Utf16LittleEndian, Utf16BigEndian };

// Finds the encoding: a UTF-16 byte-order mark (FF FE or FE FF) means
// UTF-16 of that byte order; the UTF-8 mark, or no mark and well-formed
// UTF-8 with at least one byte above 127, means UTF-8; anything else code
// page 1252. Only the text before the first NUL byte is looked at for UTF-8.
FoundEncoding DetectEncoding(std::string_view bytes);

// The encoding taken for a choice: Auto as DetectEncoding finds it; UTF-16
// is little-endian unless the file starts with the big-endian mark.
FoundEncoding EncodingFor(std::string_view bytes, TextEncoding chosen);

// "Windows (code page 1252)", "UTF-8", "UTF-16 (little-endian)", "UTF-16 (big-endian)".
const char* EncodingName(FoundEncoding encoding);

// "auto", "cp1252", "utf-8" or "utf-16" (without regard to case); nothing for another text.
std::optional<TextEncoding> ParseEncodingName(std::string_view name);

// An import file's lines in code page 1252.
struct ImportText {
  FoundEncoding encoding = FoundEncoding::Cp1252;
  // The converted text, when the file needed converting; the lines are
  // views into it, else into the bytes given. It lives on the heap, so the
  // views stay good when an ImportText is moved.
  std::unique_ptr<std::string> converted;
  std::vector<std::string_view> lines;
  // Indexes of the lines, in ascending order, that held a character code
  // page 1252 cannot hold (now "?") or bytes that were not well-formed.
  std::vector<size_t> linesWithReplacements;
};

// Reads the file's bytes in the encoding chosen. Lines end at CR, LF or
// CR LF, a NUL character ends the text, a byte-order mark is left out
// (ImportFileLines' rules, applied to the characters). For code page 1252
// the lines are views into `bytes`, which must outlive the result.
ImportText DecodeImportFile(std::string_view bytes, TextEncoding chosen);

}  // namespace qc
