#include "settings/app_settings.h"

#include "common/user_messages.h"
#include "settings/ini_file.h"

namespace qc {

std::string FieldNameKey(int index) { return "Field" + std::to_string(index); }

std::string DefaultFieldName(int index) { return "User " + std::to_string(index + 1); }

std::vector<std::string> DefaultFieldNames() {
  std::vector<std::string> names;
  for (int i = 0; i < kAdditionalFieldCount; ++i) names.push_back(DefaultFieldName(i));
  return names;
}

std::optional<int32_t> ParseProfileInteger(std::string_view text) {
  auto digitValue = [](char c, int base) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };

  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    uint64_t value = 0;
    for (char c : text.substr(2)) {
      int d = digitValue(c, 16);
      if (d < 0) return std::nullopt;
      value = value * 16 + static_cast<uint64_t>(d);
      if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
  }

  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  const int64_t limit = negative ? 2147483648LL : 2147483647LL;
  int64_t value = 0;
  for (char c : text) {
    int d = digitValue(c, 10);
    if (d < 0) return std::nullopt;
    value = value * 10 + d;
    if (value > limit) return std::nullopt;
  }
  return static_cast<int32_t>(negative ? -value : value);
}

int32_t ReadProfileInteger(Profile& profile, const std::string& section, const std::string& key,
                           int32_t def) {
  std::optional<int32_t> value = ParseProfileInteger(profile.ReadString(section, key, ""));
  return value ? *value : def;
}

bool ReadProfileBool(Profile& profile, const std::string& section, const std::string& key,
                     bool def) {
  return ReadProfileInteger(profile, section, key, def ? 1 : 0) != 0;
}

void WriteProfileValue(Profile& profile, const std::string& section, const std::string& key,
                       const std::string& value) {
  if (!profile.WriteString(section, key, value))
    throw UserError("Unable to write to " + profile.FileName());
}

void WriteProfileText(Profile& profile, const std::string& section, const std::string& key,
                      const std::string& text) {
  WriteProfileValue(profile, section, key, QuotedProfileValue(text));
}

void WriteProfileInteger(Profile& profile, const std::string& section, const std::string& key,
                         int32_t value) {
  WriteProfileValue(profile, section, key, std::to_string(value));
}

void WriteProfileBool(Profile& profile, const std::string& section, const std::string& key,
                      bool value) {
  WriteProfileValue(profile, section, key, value ? "1" : "0");
}

void LoadSettings(Profile& profile, AppSettings& settings) {
  settings.FirstTime = ReadProfileBool(profile, kOptionsSection, kFirstTimeKey, true);
  settings.ShowHints = ReadProfileBool(profile, kOptionsSection, kHintsKey, true);
  settings.TrayApplication = ReadProfileBool(profile, kOptionsSection, kTrayApplicationKey, false);

  settings.FieldNames = DefaultFieldNames();

  settings.DefaultOptions = ReadProfileInteger(profile, kDefaultSection, kDefaultOptionsKey, 0);
  settings.DefaultTreatment = profile.ReadString(kDefaultSection, kTreatmentKey, "");
  settings.ImportOptions = ReadProfileInteger(profile, kDefaultSection, kImportOptionsKey, 2);
  settings.FormatOptions = ReadProfileInteger(profile, kDefaultSection, kFormatOptionsKey, 0);
  settings.AddHeaders = ReadProfileBool(profile, kDefaultSection, kAddHeadersKey, false);
  settings.IncludeOptions = ReadProfileBool(profile, kDefaultSection, kIncludeOptionsKey, false);

  for (int i = 0; i < kAdditionalFieldCount; ++i)
    settings.FieldNames[i] =
        profile.ReadString(kUserFieldsSection, FieldNameKey(i), DefaultFieldName(i));
}

void SaveSettings(Profile& profile, const AppSettings& settings) {
  WriteProfileBool(profile, kOptionsSection, kFirstTimeKey, false);
  WriteProfileInteger(profile, kDefaultSection, kDefaultOptionsKey, settings.DefaultOptions);
  WriteProfileText(profile, kDefaultSection, kTreatmentKey, settings.DefaultTreatment);
  WriteProfileInteger(profile, kDefaultSection, kImportOptionsKey, settings.ImportOptions);
  WriteProfileInteger(profile, kDefaultSection, kFormatOptionsKey, settings.FormatOptions);
  WriteProfileBool(profile, kDefaultSection, kAddHeadersKey, settings.AddHeaders);
  WriteProfileBool(profile, kDefaultSection, kIncludeOptionsKey, settings.IncludeOptions);
  WriteProfileBool(profile, kOptionsSection, kHintsKey, settings.ShowHints);
  WriteProfileBool(profile, kOptionsSection, kTrayApplicationKey, settings.TrayApplication);
  for (int i = 0; i < kAdditionalFieldCount; ++i) {
    const std::string& name = static_cast<std::size_t>(i) < settings.FieldNames.size()
                                  ? settings.FieldNames[i]
                                  : DefaultFieldName(i);
    WriteProfileText(profile, kUserFieldsSection, FieldNameKey(i), name);
  }
}

}  // namespace qc
