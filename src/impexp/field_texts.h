#pragma once
// The texts by which the export, the import and the wizard name the contact
// fields, and the lists of them that the wizard offers.
#include <string>
#include <string_view>
#include <vector>

namespace qc {

inline constexpr char kFullNameText[] = "Full Name";
inline constexpr char kFirstNameText[] = "First Name";
inline constexpr char kMiddleNameText[] = "Middle Name";
inline constexpr char kLastNameText[] = "Last Name";
inline constexpr char kOptionsText[] = "Options";
// Import only: a column that is left out, chosen as often as needed.
inline constexpr char kSkipColumnText[] = "(Skip column)";
// Import only: parts of an address that are joined, in this order and with
// single spaces, into "Address 2" (after what its own column holds).
inline constexpr char kCityText[] = "City";
inline constexpr char kStateText[] = "State";
inline constexpr char kPostalCodeText[] = "Postal Code";

// Number of exportable fields: the seventeen texts and the option byte.
inline constexpr int kExportFieldCount = 18;
// Field number of the option byte among the exportable fields.
inline constexpr int kOptionsFieldNumber = 9;

// The exportable fields in field order: "Name", "Company", "Title",
// "Treatment", "Address 1" to "Address 3", "Fax#", "Phone#", "Options", then
// the eight additional field names (missing names take their defaults).
std::vector<std::string> ExportFieldTexts(const std::vector<std::string>& fieldNames);

// The wizard's import list for a name layout: "Full Name" (layout 0) or
// "First Name", "Middle Name", "Last Name" (layout 1), then the export list
// from "Company" on.
std::vector<std::string> ImportFieldTexts(int nameLayout, const std::vector<std::string>& fieldNames);

// The wizard's and qcard's import choices: ImportFieldTexts followed by
// "City", "State", "Postal Code" and "(Skip column)".
std::vector<std::string> ImportFieldChoices(int nameLayout, const std::vector<std::string>& fieldNames);

// Index of the first entry equal to `text` without regard to case, or -1.
int IndexOfText(const std::vector<std::string>& list, std::string_view text);

// The additional field name `index` (0-based), or its default when the list is short.
std::string AdditionalFieldName(const std::vector<std::string>& fieldNames, int index);

}  // namespace qc
