#pragma once
// A portable settings file in INI format that behaves as the Windows
// private-profile functions do for what the program uses, plus the text rules
// shared with the Windows backend.
//
// Format rules:
// - A line whose text (after leading blanks) starts with "[" and holds a "]"
//   opens a section; its name is the text between "[" and the last "]",
//   without surrounding blanks.
// - A line with "=" holds a key (the text before the first "=", without
//   surrounding blanks) and a value (the rest).
// - Any other line (blank, comment, text without "=") is kept and never
//   matches a key. Lines before the first section belong to no section.
// - Sections and keys are matched without regard to case (SameText). Only the
//   first section with a name counts, and within it the first key.
// - Lines may end in CR LF, LF or CR; what this class adds ends in CR LF.
// - A leading UTF-8 byte order mark is skipped when reading and kept.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "settings/profile.h"

namespace qc {

// The longest value a read returns; longer values are cut.
inline constexpr std::size_t kMaxProfileValueLength = 1023;

// Whether a name can be written as a section (no "]") or key (no "=", does
// not start with "["): not blank, and free of CR, LF and NUL. Writes with
// other names are refused, as they could not be read back as written.
bool IsWritableSectionName(std::string_view name);
bool IsWritableKeyName(std::string_view name);

// A value as it is written: up to the first CR, LF or NUL, so that a value
// can never break its line and add lines of its own to the file.
std::string OneLineProfileValue(std::string_view value);

// The text to write so that a read returns the value's first line unchanged:
// a value that the read would change (blanks at either end, or enclosed in a
// pair of matching quotes) is put in double quotes, which the read removes
// again. Any other value is written as it is, so files of values without
// quotes read as before.
std::string QuotedProfileValue(std::string_view value);

// The value of a key in INI text, as a read returns it: without surrounding
// blanks and one pair of enclosing matching quotes (' or "), ending before the
// first NUL, at most kMaxProfileValueLength characters. Empty when the section
// or key is missing.
std::optional<std::string> FindIniValue(std::string_view content, std::string_view section,
                                        std::string_view key);

// The INI text after writing one value: the key's line replaced in place, or
// the key added after the last non-blank line of its section, or the section
// added at the end of the text. Everything else is kept byte for byte. The
// names must pass the checks above and the value must be one line.
std::string SetIniValue(std::string_view content, std::string_view section, std::string_view key,
                        std::string_view value);

// The default of a read as Windows returns it: without trailing blanks, cut
// to kMaxProfileValueLength characters.
std::string ProfileDefaultValue(std::string_view def);

class IniFileProfile : public Profile {
 public:
  explicit IniFileProfile(std::filesystem::path path);

  // A missing or unreadable file reads as empty.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) override;
  // Writes the new content to a temporary file beside the file and renames it
  // over the file, so that a failed write leaves the old file untouched.
  // False when the names cannot be written, the file exists but cannot be
  // read or written, or the folder refuses the new file.
  bool WriteString(const std::string& section, const std::string& key,
                   const std::string& value) override;
  std::string FileName() const override;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace qc
