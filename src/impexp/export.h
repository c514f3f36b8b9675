#pragma once
// Writing all contacts to a comma- or TAB-delimited text file.
#include <string>
#include <string_view>
#include <vector>

#include "data/database.h"
#include "impexp/progress.h"

namespace qc {

enum class ExportFormat { Comma = 0, Tab = 1 };

// One line, without line end, from the values in order.
// Comma: values holding a space, a control character (1 to 31), a double
// quote or a comma are enclosed in double quotes with inner quotes doubled;
// values are joined by "," alone; a single empty value is written as "".
// TAB: values joined by TAB characters, unchanged.
std::string FormatExportLine(const std::vector<std::string>& values, ExportFormat format);

// What the export writes.
struct ExportRequest {
  std::vector<std::string> fields;  // chosen display texts, in column order
  ExportFormat format = ExportFormat::Comma;
  bool addHeaders = true;
};

// The whole file's content: the header line when asked for, then one line per
// contact in list order, each ending in CR LF. A field takes the column of the
// first chosen text equal to its display text (without regard to case); when
// two fields find the same column the later field in field order keeps it,
// and columns no field keeps are left out of the data lines.
std::string BuildExportText(const TDatabase& contacts, const std::vector<std::string>& fieldNames,
                            const ExportRequest& request, ProgressSink& progress);

// Builds the content and then replaces the file's whole content with it in one
// step: on any failure the file is left as it was (or absent) and FileError is
// thrown. Returns the number of contacts written.
int ExportContacts(const TDatabase& contacts, const std::vector<std::string>& fieldNames,
                   const ExportRequest& request, const std::string& fileName,
                   ProgressSink& progress);

}  // namespace qc
