#pragma once
// Text helpers shared by every part of the program. Texts are 8-bit ANSI
// (code page 1252) bytes held in std::string; nothing here assumes UTF-8.
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

}  // namespace qc
