#pragma once
// Recognising a first line that names the columns: this program's own
// export header, and the column names that common address books and mail
// programs write in their comma-separated exports.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "impexp/import.h"

namespace qc {

// What a recognised header line gives the import: the name layout and the
// chosen fields, one per column in column order, "(Skip column)" for a
// column that has no place.
struct HeaderMapping {
  NameLayout nameLayout = NameLayout::FullName;
  std::vector<std::string> fields;
  int recognised = 0;  // columns that found a place
};

// The mapping for a first line split into its columns, or nothing when it
// does not look like a header: it must name a column that gives the
// contact's name, and at least half of its columns, or at least three,
// must find a place. Column names are compared without regard to case,
// spaces and punctuation ("E-mail Address" is "email address"). Each
// contact field takes the first column that names it. A whole-name column
// wins over name parts (the parts then are skipped); street goes to
// "Address 1", city, state and postal code to "City", "State" and "Postal
// Code" (joined into "Address 2"), country to "Address 3". The labels
// e-mail, mobile, home phone, web page, notes and birthday reach an
// additional field whose name (in `fieldNames`) is such a label, and a
// column named as an additional field reaches that field.
std::optional<HeaderMapping> RecogniseHeader(const std::vector<std::string>& columns,
                                             const std::vector<std::string>& fieldNames);

}  // namespace qc
