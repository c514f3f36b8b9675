#include "impexp/import.h"

#include <array>
#include <utility>

#include "common/option_byte.h"
#include "common/text.h"
#include "impexp/field_texts.h"
#include "impexp/known_names.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace qc {
namespace {

class SeparatorTable {
 public:
  SeparatorTable(std::string_view separators, std::optional<char> quote) {
    for (char c : separators) is_[static_cast<unsigned char>(c)] = true;
    // The quote character must stay a quote, or a quoted field could never end.
    if (quote) is_[static_cast<unsigned char>(*quote)] = false;
  }
  bool operator()(char c) const { return is_[static_cast<unsigned char>(c)]; }

 private:
  std::array<bool, 256> is_{};
};

// Splits into `fields`, reusing its strings; returns the number of fields.
size_t SplitInto(std::string_view line, const SeparatorTable& isSeparator, std::optional<char> quote,
                 std::vector<std::string>& fields) {
  size_t count = 0;
  size_t pos = 0;
  const size_t n = line.size();
  // A quote character that never occurs when there is none.
  const bool quotes = quote.has_value();
  const char q = quotes ? *quote : '\0';
  for (;;) {
    while (pos < n && isSeparator(line[pos])) ++pos;
    if (pos >= n) break;
    if (count == fields.size()) fields.emplace_back();
    std::string& field = fields[count++];
    field.clear();
    bool quoted = false;
    while (pos < n) {
      // A run of characters that belong to the field as they are.
      const size_t start = pos;
      if (quoted) {
        while (pos < n && line[pos] != q) ++pos;
      } else {
        while (pos < n && !(quotes && line[pos] == q) && !isSeparator(line[pos])) ++pos;
      }
      field.append(line.data() + start, pos - start);
      if (pos >= n) break;
      if (quotes && line[pos] == q) {
        quoted = !quoted;
        ++pos;
      } else {
        break;  // a separator outside quotes ends the field
      }
    }
  }
  return count;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Where each contact field comes from: an index into a line's fields, or -1.
struct ColumnPositions {
  int fullName, first, middle, last, options;
  std::array<int, TRecord::kTextCount> text{};  // Name (unused) to User8

  ColumnPositions(const std::vector<std::string>& chosen, const std::vector<std::string>& fieldNames) {
    const std::vector<std::string> texts = ExportFieldTexts(fieldNames);
    fullName = IndexOfText(chosen, kFullNameText);
    first = IndexOfText(chosen, kFirstNameText);
    middle = IndexOfText(chosen, kMiddleNameText);
    last = IndexOfText(chosen, kLastNameText);
    options = IndexOfText(chosen, kOptionsText);
    text[0] = -1;
    for (int field = 1; field < kExportFieldCount; ++field) {
      if (field == kOptionsFieldNumber) continue;
      int textIndex = field < kOptionsFieldNumber ? field : field - 1;
      text[static_cast<size_t>(textIndex)] = IndexOfText(chosen, texts[static_cast<size_t>(field)]);
    }
  }
};

const std::string& FieldAt(const std::vector<std::string>& fields, int pos) {
  static const std::string empty;
  return pos >= 0 ? fields[static_cast<size_t>(pos)] : empty;
}

// The import's result while it is being built: which contacts of the list
// go, and the new contacts (null where a later line replaced one).
struct Staging {
  int oldCount = 0;
  std::vector<char> oldRemoved;
  int removedCount = 0;
  std::vector<std::unique_ptr<TRecord>> added;

  // The number by which KnownNames knows the next new contact.
  int NextContact() const { return oldCount + static_cast<int>(added.size()); }
  void Remove(int contact) {
    if (contact < oldCount) {
      oldRemoved[static_cast<size_t>(contact)] = 1;
      ++removedCount;
    } else {
      added[static_cast<size_t>(contact - oldCount)].reset();
    }
  }
};

// Puts the staged result in place. Everything that can fail happens before
// the list is touched.
void Commit(std::unique_ptr<TDatabase>& list, ImportMode mode, Staging& staged) {
  if (mode == ImportMode::Replace) {
    auto fresh = std::make_unique<TDatabase>();
    for (auto& record : staged.added)
      if (record) fresh->Add(std::move(record));
    list = std::move(fresh);
    return;
  }
  TDatabase& old = *list;
  if (staged.removedCount == 0) {
    const int before = old.Count();
    try {
      for (auto& record : staged.added)
        if (record) old.Add(std::move(record));
    } catch (...) {
      while (old.Count() > before) old.Delete(old.Count() - 1);
      throw;
    }
    return;
  }
  // Some contacts go: a new list gets empty places for those that stay and
  // the new contacts; then the kept contacts' contents change places with
  // the empty ones, which cannot fail.
  auto fresh = std::make_unique<TDatabase>();
  for (int i = 0; i < staged.oldCount; ++i)
    if (!staged.oldRemoved[static_cast<size_t>(i)]) fresh->Add(std::make_unique<TRecord>());
  for (auto& record : staged.added)
    if (record) fresh->Add(std::move(record));
  int place = 0;
  for (int i = 0; i < staged.oldCount; ++i)
    if (!staged.oldRemoved[static_cast<size_t>(i)]) std::swap(fresh->Items(place++), old.Items(i));
  list = std::move(fresh);
}

}  // namespace

std::vector<std::string> SplitIntoLines(std::string_view text) {
  if (size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
  // A byte-order mark written by editors that save UTF-8 is not part of the first name.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return SplitLines(text);
}

std::vector<std::string> SplitImportLine(std::string_view line, std::string_view separators,
                                         std::optional<char> quote) {
  std::vector<std::string> fields;
  fields.resize(SplitInto(line, SeparatorTable(separators, quote), quote, fields));
  return fields;
}

std::optional<int32_t> ParseOptionsNumber(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  if (pos >= text.size()) return std::nullopt;
  uint64_t value = 0;
  if (text[pos] == '$') {
    if (++pos >= text.size()) return std::nullopt;
    for (; pos < text.size(); ++pos) {
      int digit = HexValue(text[pos]);
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<uint64_t>(digit);
      if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    uint32_t bits = static_cast<uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
  }
  for (; pos < text.size(); ++pos) {
    if (!IsDigit(text[pos])) return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(text[pos] - '0');
    if (value > 2147483648u) return std::nullopt;
  }
  if (!negative && value > 2147483647u) return std::nullopt;
  return negative ? static_cast<int32_t>(0 - static_cast<int64_t>(value))
                  : static_cast<int32_t>(value);
}

std::string ComposeName(const std::string& first, const std::string& middle, const std::string& last) {
  std::string given = first;
  if (!middle.empty() && !first.empty()) given += " " + middle;
  if (!last.empty() && !given.empty()) return last + ", " + given;
  if (last.empty()) return given;
  return last;
}

std::string BackupPathFor(const std::string& dataFile) { return SiblingPath(dataFile, kBackupFileName); }

ImportResult ImportContacts(const std::vector<std::string>& lines, const ImportRequest& request,
                            const AppSettings& settings, std::unique_ptr<TDatabase>& contactList,
                            ProgressSink& progress) {
  ImportResult result;
  const ColumnPositions pos(request.fields, settings.FieldNames);
  const SeparatorTable isSeparator(request.separators, request.quote);
  const uint8_t defaultOptions = OptionByte(settings.DefaultOptions);
  const size_t chosen = request.fields.size();

  if (request.makeBackup) {
    try {
      CopyFileOver(request.dataFile, BackupPathFor(request.dataFile));
    } catch (const std::exception&) {
      result.backupFailed = true;
    }
  }

  if (!contactList) contactList = std::make_unique<TDatabase>();
  const TDatabase& old = *contactList;
  const bool replace = request.mode == ImportMode::Replace;
  Staging staged;
  staged.oldCount = replace ? 0 : old.Count();
  staged.oldRemoved.assign(static_cast<size_t>(staged.oldCount), 0);
  KnownNames known;
  if (!replace) {
    known.Reserve(static_cast<size_t>(staged.oldCount) + lines.size());
    std::vector<std::string_view> names(static_cast<size_t>(staged.oldCount));
    for (int i = 0; i < staged.oldCount; ++i) names[static_cast<size_t>(i)] = old.Items(i).Name;
    known.AppendAll(names, 0);
  }

  const int lineCount = static_cast<int>(lines.size());
  staged.added.reserve(lines.size());
  progress.SetProgressMax(lineCount);
  // Each line is split one line ahead, so that the place of its name in
  // KnownNames is fetched from memory while the line before is settled.
  std::vector<std::string> fields, nextFields;
  const int firstLine = request.ignoreFirstLine ? 1 : 0;
  auto split = [&](int i, std::vector<std::string>& into) {
    if (i >= lineCount) return size_t{0};
    size_t n = SplitInto(lines[static_cast<size_t>(i)], isSeparator, request.quote, into);
    if (!replace && request.nameLayout == NameLayout::FullName && pos.fullName >= 0 &&
        static_cast<size_t>(pos.fullName) < n)
      known.Prefetch(into[static_cast<size_t>(pos.fullName)]);
    return n;
  };
  size_t nextCount = split(firstLine, nextFields);
  for (int i = firstLine; i < lineCount; ++i) {
    progress.SetProgressPosition(i);
    fields.swap(nextFields);
    const size_t count = nextCount;
    nextCount = split(i + 1, nextFields);
    if (count == 0) continue;
    // A chosen field that the line lacks gets a single space.
    size_t total = chosen >= count ? chosen + 1 : count;
    if (fields.size() < total) fields.resize(total);
    for (size_t f = count; f < total; ++f) fields[f].assign(1, ' ');

    auto record = std::make_unique<TRecord>();
    std::string name = request.nameLayout == NameLayout::NameParts
                           ? ComposeName(FieldAt(fields, pos.first), FieldAt(fields, pos.middle),
                                         FieldAt(fields, pos.last))
                           : FieldAt(fields, pos.fullName);

    switch (request.mode) {
      case ImportMode::AppendReplaceRecords:
        if (!name.empty()) {
          int previous = known.RemoveFirst(name);
          if (previous >= 0) {
            staged.Remove(previous);
            known.Append(name, staged.NextContact());
          }
        }
        break;
      case ImportMode::AppendRecords:
        if (known.Contains(name)) {
          name = known.FreeNumberedName(name);
          known.Append(name, staged.NextContact());
        }
        break;
      case ImportMode::Replace:
        break;
    }

    record->Name = std::move(name);
    for (int t = 1; t < TRecord::kTextCount; ++t)
      record->Text(t) = FieldAt(fields, pos.text[static_cast<size_t>(t)]);
    std::optional<int32_t> options;
    if (pos.options >= 0) options = ParseOptionsNumber(fields[static_cast<size_t>(pos.options)]);
    record->Options = options ? OptionByte(*options) : defaultOptions;

    if (!record->Name.empty()) staged.added.push_back(std::move(record));
  }

  result.removed = replace ? old.Count() : staged.removedCount;
  for (const auto& record : staged.added)
    if (record) ++result.added;
  Commit(contactList, request.mode, staged);
  return result;
}

}  // namespace qc
