#include "impexp/export.h"

#include <array>

#include "impexp/field_texts.h"
#include "platform/files.h"

namespace qc {
namespace {

bool NeedsQuotes(std::string_view value) {
  for (char ch : value) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == ' ' || c == '"' || c == ',' || (c >= 1 && c <= 31)) return true;
  }
  return false;
}

void AppendCommaValue(std::string& out, std::string_view value) {
  if (!NeedsQuotes(value)) {
    out += value;
    return;
  }
  out += '"';
  for (char c : value) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

template <typename Values>
void AppendLine(std::string& out, const Values& values, ExportFormat format) {
  if (format == ExportFormat::Comma && values.size() == 1 && std::string_view(values[0]).empty()) {
    out += "\"\"";
    return;
  }
  for (size_t i = 0; i < values.size(); ++i) {
    if (format == ExportFormat::Tab) {
      if (i > 0) out += '\t';
      out += values[i];
    } else {
      if (i > 0) out += ',';
      AppendCommaValue(out, values[i]);
    }
  }
}

// The field number that fills each column, or -1 for a column no field keeps.
std::vector<int> ColumnOwners(const std::vector<std::string>& fieldNames,
                              const std::vector<std::string>& chosen) {
  const std::vector<std::string> texts = ExportFieldTexts(fieldNames);
  std::vector<int> owners(chosen.size(), -1);
  for (int field = 0; field < kExportFieldCount; ++field) {
    int column = IndexOfText(chosen, texts[static_cast<size_t>(field)]);
    if (column >= 0) owners[static_cast<size_t>(column)] = field;
  }
  return owners;
}

// Field number 0 to 17 of a contact: the seventeen texts with the option
// byte (as a decimal number) between Phone and User1.
std::string_view FieldValue(const TRecord& record, int field, const std::string& options) {
  if (field == kOptionsFieldNumber) return options;
  return record.Text(field < kOptionsFieldNumber ? field : field - 1);
}

}  // namespace

std::string FormatExportLine(const std::vector<std::string>& values, ExportFormat format) {
  std::string line;
  AppendLine(line, values, format);
  return line;
}

std::string BuildExportText(const TDatabase& contacts, const std::vector<std::string>& fieldNames,
                            const ExportRequest& request, ProgressSink& progress) {
  std::string text;
  if (request.addHeaders) {
    AppendLine(text, request.fields, request.format);
    text += "\r\n";
  }
  std::vector<int> fields;
  for (int owner : ColumnOwners(fieldNames, request.fields))
    if (owner >= 0) fields.push_back(owner);

  progress.SetProgressMax(contacts.Count());
  std::vector<std::string_view> row(fields.size());
  std::string options;
  for (int i = 0; i < contacts.Count(); ++i) {
    progress.SetProgressPosition(i);
    const TRecord& record = contacts.Items(i);
    options = std::to_string(record.Options);
    for (size_t c = 0; c < fields.size(); ++c) row[c] = FieldValue(record, fields[c], options);
    AppendLine(text, row, request.format);
    text += "\r\n";
  }
  return text;
}

int ExportContacts(const TDatabase& contacts, const std::vector<std::string>& fieldNames,
                   const ExportRequest& request, const std::string& fileName,
                   ProgressSink& progress) {
  std::string text = BuildExportText(contacts, fieldNames, request, progress);
  WriteFileAtomically(fileName, text);
  return contacts.Count();
}

}  // namespace qc
