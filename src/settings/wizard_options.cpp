#include "settings/wizard_options.h"

#include "settings/app_settings.h"
#include "settings/ini_file.h"

namespace qc {

std::optional<char> WizardOptions::QuoteChar() const {
  if (Quote < 1 || Quote > 255) return std::nullopt;
  return static_cast<char>(static_cast<unsigned char>(Quote));
}

void WizardOptions::SetQuoteChar(std::optional<char> quote) {
  Quote = quote ? static_cast<unsigned char>(*quote) : 0;
}

std::vector<std::string> SplitFieldList(std::string_view list) {
  std::vector<std::string> names;
  std::size_t pos = 0;
  while (pos <= list.size()) {
    std::size_t comma = list.find(',', pos);
    if (comma == std::string_view::npos) comma = list.size();
    if (comma > pos) names.emplace_back(list.substr(pos, comma - pos));
    pos = comma + 1;
  }
  return names;
}

std::string JoinFieldList(const std::vector<std::string>& names) {
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) list += ',';
    list += names[i];
  }
  return list;
}

std::string EncodeSeparator(std::string_view separator) {
  if (separator == "\t") return kStoredTabSeparator;
  return QuotedProfileValue(separator);
}

std::string DecodeSeparator(std::string_view stored) {
  if (stored == kStoredTabSeparator) return "\t";
  return std::string(stored);
}

WizardOptions ReadWizardOptions(Profile& profile) {
  WizardOptions o;
  o.Filename = profile.ReadString(kGeneralSection, kFilenameKey, "");

  o.ExportFields = SplitFieldList(profile.ReadString(kExportSection, kFieldsKey, ""));
  o.ExportType = ReadProfileInteger(profile, kExportSection, kTypeKey, 0);
  o.AddHeaders = ReadProfileBool(profile, kExportSection, kAddHeadersOptionKey, true);

  o.ImportFields = SplitFieldList(profile.ReadString(kImportSection, kFieldsKey, ""));
  o.Separator = DecodeSeparator(profile.ReadString(kImportSection, kSeparatorKey, ""));
  o.Quote = ReadProfileInteger(profile, kImportSection, kQuoteKey, 34);
  o.NameType = ReadProfileInteger(profile, kImportSection, kNameTypeKey, 0);
  o.ImportType = ReadProfileInteger(profile, kImportSection, kTypeKey, 0);
  o.IgnoreHeaders = ReadProfileBool(profile, kImportSection, kHeadersKey, true);
  o.Backup = ReadProfileBool(profile, kImportSection, kBackupKey, true);
  return o;
}

void WriteWizardOptions(Profile& profile, const WizardOptions& o, bool isImport) {
  WriteProfileText(profile, kGeneralSection, kFilenameKey, o.Filename);
  if (isImport) {
    WriteProfileText(profile, kImportSection, kFieldsKey, JoinFieldList(o.ImportFields));
    WriteProfileValue(profile, kImportSection, kSeparatorKey, EncodeSeparator(o.Separator));
    WriteProfileInteger(profile, kImportSection, kQuoteKey, o.Quote);
    WriteProfileInteger(profile, kImportSection, kNameTypeKey, o.NameType);
    WriteProfileInteger(profile, kImportSection, kTypeKey, o.ImportType);
    WriteProfileBool(profile, kImportSection, kHeadersKey, o.IgnoreHeaders);
    WriteProfileBool(profile, kImportSection, kBackupKey, o.Backup);
  } else {
    WriteProfileText(profile, kExportSection, kFieldsKey, JoinFieldList(o.ExportFields));
    WriteProfileInteger(profile, kExportSection, kTypeKey, o.ExportType);
    WriteProfileBool(profile, kExportSection, kAddHeadersOptionKey, o.AddHeaders);
  }
}

}  // namespace qc
