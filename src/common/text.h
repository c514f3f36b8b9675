#pragma once
// Text helpers shared by every part of the program. Texts are 8-bit ANSI
// (code page 1252) bytes held in std::string; nothing here assumes UTF-8.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qc {

// Compares two texts without regard to letter case (the A-Z/a-z letters and
// the accented letters of code page 1252). The one comparison used wherever
// names are compared "without regard to case".
bool SameText(std::string_view a, std::string_view b);

// Orders two texts without regard to case; <0, 0 or >0 like strcmp.
int CompareText(std::string_view a, std::string_view b);

// Upper-case form of a text under the same case rules as SameText.
std::string UpperCase(std::string_view text);

// The lines of a text: a line ends at CR, LF or CR LF, and a last line
// without a line end counts. Empty text, no lines.
std::vector<std::string> SplitLines(std::string_view text);

// Converts code page 1252 bytes to UTF-8 (for JSON output and terminals).
std::string Cp1252ToUtf8(std::string_view text);

// The code page 1252 byte of a Unicode code point, or -1 when the code page
// has none. The five bytes 1252 leaves undefined (81, 8D, 8F, 90, 9D) stand
// for the C1 controls of the same value, as Cp1252ToUtf8 writes them, so
// that every byte comes back.
int Cp1252ByteOf(uint32_t code_point);

// True when the text is well-formed UTF-8: no stray or missing continuation
// bytes, no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsUtf8(std::string_view text);

// Converts UTF-8 to code page 1252. A character the code page cannot hold,
// and each byte that does not belong to well-formed UTF-8, becomes "?";
// `replaced`, when given, is set to true if that happened (and left alone
// otherwise).
std::string Utf8ToCp1252(std::string_view text, bool* replaced = nullptr);

// Converts UTF-16 bytes (little-endian, or big-endian when `big_endian`) to
// code page 1252 under the same rule. An unpaired surrogate and an odd last
// byte also become "?".
std::string Utf16ToCp1252(std::string_view bytes, bool big_endian, bool* replaced = nullptr);

}  // namespace qc
