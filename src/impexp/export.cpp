#include "impexp/export.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>

#include "impexp/field_texts.h"
#include "platform/files.h"

namespace qc {
namespace {

// The characters that make a comma-delimited value need quotes: a space, a
// double quote, a comma and the control characters 1 to 31.
constexpr std::array<bool, 256> kQuoteTriggers = [] {
  std::array<bool, 256> t{};
  for (int c = 1; c <= 31; ++c) t[static_cast<size_t>(c)] = true;
  t[' '] = t['"'] = t[','] = true;
  return t;
}();

// Appends to a text through a pointer, making room ahead for a whole value
// at a time: a million contacts' lines cost one size check per value, not
// one per character.
class TextWriter {
 public:
  explicit TextWriter(std::string& text) : text_(text), used_(text.size()) {}
  // The text holds exactly what was written once the writer is gone.
  ~TextWriter() { text_.resize(used_); }
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;

  // Room for at least n more characters; write them and then call Commit.
  char* Room(size_t n) {
    // The string doubles its capacity as it grows; only the part about to be
    // written is cleared.
    if (text_.size() - used_ < n) text_.resize(used_ + std::max(n, kStep));
    return text_.data() + used_;
  }
  // Capacity for n more characters, so that the text is not copied to grow.
  // Capacity that cannot be had is not needed: the text then grows as it goes.
  void Reserve(size_t n) {
    try {
      text_.reserve(used_ + n);
    } catch (const std::exception&) {
    }
  }
  void Commit(char* end) { used_ = static_cast<size_t>(end - text_.data()); }

  void Append(std::string_view s) {
    char* at = Room(s.size());
    std::memcpy(at, s.data(), s.size());
    Commit(at + s.size());
  }

 private:
  static constexpr size_t kStep = 64 * 1024;
  std::string& text_;
  size_t used_;
};

void AppendCommaValue(TextWriter& out, std::string_view value) {
  // Enclosed in quotes with each inner quote doubled, it takes at most twice
  // its length and two.
  char* const start = out.Room(2 * value.size() + 2);
  char* at = start;
  size_t i = 0;
  // Copied as it is until a character calls for quotes...
  for (; i < value.size() && !kQuoteTriggers[static_cast<unsigned char>(value[i])]; ++i) *at++ = value[i];
  if (i < value.size()) {
    // ...then what was copied moves behind an opening quote, and the rest
    // follows with each quote doubled (up to here there was none).
    std::memmove(start + 1, start, i);
    *start = '"';
    at = start + 1 + i;
    for (; i < value.size(); ++i) {
      if (value[i] == '"') *at++ = '"';
      *at++ = value[i];
    }
    *at++ = '"';
  }
  out.Commit(at);
}

template <typename Values>
void AppendLine(TextWriter& out, const Values& values, ExportFormat format) {
  if (format == ExportFormat::Comma && values.size() == 1 && std::string_view(values[0]).empty()) {
    out.Append("\"\"");
    return;
  }
  for (size_t i = 0; i < values.size(); ++i) {
    if (format == ExportFormat::Tab) {
      if (i > 0) out.Append("\t");
      out.Append(values[i]);
    } else {
      if (i > 0) out.Append(",");
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

// Where column values come from: field number 0 to 17 of a contact, the
// seventeen texts with the option byte (as a decimal number) between Phone
// and User1.
class FieldSource {
 public:
  explicit FieldSource(int field)
      : text_(field == kOptionsFieldNumber ? -1 : field < kOptionsFieldNumber ? field : field - 1) {}
  // `options` holds the contact's option byte as text.
  std::string_view Value(const TRecord& record, std::string_view options) const {
    return text_ >= 0 ? record.Text(text_) : options;
  }

 private:
  int text_;  // the contact's text number, -1 for the option byte
};

}  // namespace

std::string FormatExportLine(const std::vector<std::string>& values, ExportFormat format) {
  std::string line;
  {
    TextWriter out(line);
    AppendLine(out, values, format);
  }
  return line;
}

std::string BuildExportText(const TDatabase& contacts, const std::vector<std::string>& fieldNames,
                            const ExportRequest& request, ProgressSink& progress) {
  std::vector<FieldSource> fields;
  for (int owner : ColumnOwners(fieldNames, request.fields))
    if (owner >= 0) fields.emplace_back(owner);

  std::string text;
  {
    TextWriter out(text);
    if (request.addHeaders) {
      AppendLine(out, request.fields, request.format);
      out.Append("\r\n");
    }
    progress.SetProgressMax(contacts.Count());
    std::vector<std::string_view> row(fields.size());
    std::string options = "255";
    // Room for the longest text the contacts can give (every value quoted,
    // every character a doubled quote): only what is written is ever
    // touched, and the text is never copied to grow.
    size_t bound = 0;
    for (int i = 0; i < contacts.Count(); ++i) {
      const TRecord& record = contacts.Items(i);
      bound += 2;
      for (const FieldSource& field : fields) bound += 2 * field.Value(record, options).size() + 3;
    }
    out.Reserve(bound);
    for (int i = 0; i < contacts.Count(); ++i) {
      progress.SetProgressPosition(i);
      const TRecord& record = contacts.Items(i);
      options = std::to_string(record.Options);
      for (size_t c = 0; c < fields.size(); ++c) row[c] = fields[c].Value(record, options);
      AppendLine(out, row, request.format);
      out.Append("\r\n");
    }
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
