#pragma once
// The program's settings held in memory for the whole run, their file
// "QUILLCRD.INI", and the integer and boolean encodings of settings values.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/profile.h"

namespace qc {

// In the Windows folder, or in the user's own folder where Windows refuses it
// there (settings/win32/settings_places.h); messages name it bare.
inline constexpr char kSettingsFileName[] = "QUILLCRD.INI";

inline constexpr char kOptionsSection[] = "Options";
inline constexpr char kFirstTimeKey[] = "FirstTime";
inline constexpr char kHintsKey[] = "Hints";
inline constexpr char kTrayApplicationKey[] = "Tray Application";

inline constexpr char kDefaultSection[] = "Default";
inline constexpr char kDefaultOptionsKey[] = "Options";
inline constexpr char kTreatmentKey[] = "Treatment";
inline constexpr char kImportOptionsKey[] = "ImportOptions";
inline constexpr char kFormatOptionsKey[] = "FormatOptions";
inline constexpr char kAddHeadersKey[] = "AddHeaders";
inline constexpr char kIncludeOptionsKey[] = "IncludeOptions";

inline constexpr char kUserFieldsSection[] = "User Fields";

inline constexpr int kAdditionalFieldCount = 8;

// Key of additional field `index` (0-based): "Field0" to "Field7".
std::string FieldNameKey(int index);
// Default name of additional field `index` (0-based): "User 1" to "User 8".
std::string DefaultFieldName(int index);
std::vector<std::string> DefaultFieldNames();

struct AppSettings {
  bool FirstTime = true;         // not yet closed normally on this machine
  bool ShowHints = true;         // pop-up hints shown
  bool TrayApplication = false;  // lives in the notification area
  int32_t DefaultOptions = 0;    // option byte of a new contact (low 8 bits)
  std::string DefaultTreatment;  // treatment of a new contact
  // Kept only to be written back as read.
  int32_t ImportOptions = 2;
  int32_t FormatOptions = 0;
  bool AddHeaders = false;
  bool IncludeOptions = false;
  // Names of the additional fields 1 to 8.
  std::vector<std::string> FieldNames = DefaultFieldNames();
};

// Fills `settings` from the profile; missing or unreadable values take their
// defaults. FieldNames ends up with exactly the eight names, whatever it held.
void LoadSettings(Profile& profile, AppSettings& settings);

// Writes every setting, one key at a time; FirstTime is always written as
// false. A refused write throws UserError("Unable to write to <file name>")
// and stops there: keys already written keep their new values. FieldNames
// entries missing from a short list are written as their default names.
void SaveSettings(Profile& profile, const AppSettings& settings);

// A profile integer: decimal with an optional sign, or hexadecimal after
// "0x"/"0X" when the text is longer than two characters. Hexadecimal takes up
// to 32 bits and wraps to a signed value as Windows does ("0xFFFFFFFF" is -1).
// Nothing for any other text, including decimal values outside 32 bits.
std::optional<int32_t> ParseProfileInteger(std::string_view text);

// The key's integer, or `def` when it is missing or not a whole number.
int32_t ReadProfileInteger(Profile& profile, const std::string& section, const std::string& key,
                           int32_t def);
// The key read as an integer with default 1 or 0; true when not 0.
bool ReadProfileBool(Profile& profile, const std::string& section, const std::string& key,
                     bool def);

// Writes one value; a refused write throws UserError("Unable to write to "
// followed by the profile's file name).
void WriteProfileValue(Profile& profile, const std::string& section, const std::string& key,
                       const std::string& value);
// Writes a text as the user typed it, so that the read gives it back
// unchanged (see QuotedProfileValue); throws as WriteProfileValue.
void WriteProfileText(Profile& profile, const std::string& section, const std::string& key,
                      const std::string& text);
void WriteProfileInteger(Profile& profile, const std::string& section, const std::string& key,
                         int32_t value);
void WriteProfileBool(Profile& profile, const std::string& section, const std::string& key,
                      bool value);

}  // namespace qc
