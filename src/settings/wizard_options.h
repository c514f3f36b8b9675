#pragma once
// The import/export wizard's remembered choices, kept in "quillcrd.cfg"
// beside the program.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/profile.h"

namespace qc {

inline constexpr char kWizardSettingsFileName[] = "quillcrd.cfg";

inline constexpr char kGeneralSection[] = "General";
inline constexpr char kFilenameKey[] = "Filename";
inline constexpr char kExportSection[] = "Export";
inline constexpr char kImportSection[] = "Import";
inline constexpr char kFieldsKey[] = "Fields";
inline constexpr char kTypeKey[] = "Type";
inline constexpr char kAddHeadersOptionKey[] = "Add Headers";
inline constexpr char kSeparatorKey[] = "Separator";
inline constexpr char kQuoteKey[] = "Quote";
inline constexpr char kNameTypeKey[] = "Name Type";
inline constexpr char kHeadersKey[] = "Headers";
inline constexpr char kBackupKey[] = "Backup";

// How a TAB separator is stored.
inline constexpr char kStoredTabSeparator[] = "#9";

struct WizardOptions {
  std::string Filename;  // the text file last named

  std::vector<std::string> ExportFields;  // field display texts, in order
  int32_t ExportType = 0;                 // entry of the export format group
  bool AddHeaders = true;

  std::vector<std::string> ImportFields;
  // The separator characters themselves: a TAB separator is "\t" here and
  // "#9" in the file.
  std::string Separator;
  int32_t Quote = 34;     // character code of the quote character, 0 for none
  int32_t NameType = 0;   // entry of the name layout group
  int32_t ImportType = 0; // entry of the import mode group
  bool IgnoreHeaders = true;
  bool Backup = true;

  // Whether the separator is exactly the TAB character (the TAB box).
  bool SeparatorIsTab() const { return Separator == "\t"; }
  // The quote character, when Quote is a character code from 1 to 255.
  std::optional<char> QuoteChar() const;
  // Sets Quote to the character's code, or 0 for none.
  void SetQuoteChar(std::optional<char> quote);
};

// Reads every key, each with its default when missing or not a number.
WizardOptions ReadWizardOptions(Profile& profile);

// Writes "General"/"Filename", then the keys of the operation run: for an
// import Fields, Separator, Quote, Name Type, Type, Headers, Backup; for an
// export Fields, Type, Add Headers. Texts are written with WriteProfileText
// so that they read back as they were. The other section keeps what it held. A
// refused write throws UserError("Unable to write to <file name>").
void WriteWizardOptions(Profile& profile, const WizardOptions& options, bool isImport);

// Field names from their stored list: split at commas, where a run of commas
// counts as one and leading or trailing commas are ignored.
std::vector<std::string> SplitFieldList(std::string_view list);
// Names joined by "," without spaces.
std::string JoinFieldList(const std::vector<std::string>& names);

// The separator as stored: "#9" for TAB, any other as QuotedProfileValue
// writes a text, so that blanks at either end and enclosing quotes survive.
std::string EncodeSeparator(std::string_view separator);
// The separator from its stored text (after the read's own unquoting).
std::string DecodeSeparator(std::string_view stored);

}  // namespace qc
