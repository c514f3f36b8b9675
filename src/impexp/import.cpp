#include "impexp/import.h"

#include <array>
#include <span>
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

// The fields of one line as views: into the line where a field is one run
// of its characters, else into unquoted_, which gets the field without its
// quote characters. Views into unquoted_ last until the next split.
class LineFields {
 public:
  LineFields() = default;
  LineFields(const LineFields&) = delete;
  LineFields& operator=(const LineFields&) = delete;

  // Splits the line; returns the number of fields.
  size_t Split(std::string_view line, const SeparatorTable& isSeparator, std::optional<char> quote);

  size_t Count() const { return count_; }
  std::string_view operator[](size_t i) const { return fields_[i]; }
  // The field at `pos` of the chosen fields, "" for -1; a chosen field that
  // the line lacks is a single space.
  std::string_view Chosen(int pos) const {
    if (pos < 0) return {};
    return static_cast<size_t>(pos) < count_ ? fields_[static_cast<size_t>(pos)] : std::string_view(" ");
  }

 private:
  std::vector<std::string_view> fields_;
  std::string unquoted_;
  size_t count_ = 0;
};

size_t LineFields::Split(std::string_view line, const SeparatorTable& isSeparator, std::optional<char> quote) {
  count_ = 0;
  unquoted_.clear();
  // The fields without their quote characters never take more than the
  // line: the string does not move while the line is split.
  unquoted_.reserve(line.size());
  size_t pos = 0;
  const size_t n = line.size();
  // A quote character that never occurs when there is none.
  const bool quotes = quote.has_value();
  const char q = quotes ? *quote : '\0';
  for (;;) {
    while (pos < n && isSeparator(line[pos])) ++pos;
    if (pos >= n) break;
    const size_t first = pos;
    size_t unquotedStart = std::string::npos;  // where the field starts in unquoted_, once it has a quote
    bool quoted = false;
    while (pos < n) {
      // A run of characters that belong to the field as they are.
      const size_t start = pos;
      if (quoted) {
        while (pos < n && line[pos] != q) ++pos;
      } else {
        while (pos < n && !(quotes && line[pos] == q) && !isSeparator(line[pos])) ++pos;
      }
      if (unquotedStart != std::string::npos) unquoted_.append(line.data() + start, pos - start);
      if (pos >= n) break;
      if (quotes && line[pos] == q) {
        if (unquotedStart == std::string::npos) {
          unquotedStart = unquoted_.size();
          unquoted_.append(line.data() + first, pos - first);
        }
        quoted = !quoted;
        ++pos;
      } else {
        break;  // a separator outside quotes ends the field
      }
    }
    const std::string_view field =
        unquotedStart == std::string::npos
            ? line.substr(first, pos - first)
            : std::string_view(unquoted_).substr(unquotedStart);
    if (count_ == fields_.size()) fields_.emplace_back();
    fields_[count_++] = field;
  }
  return count_;
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
  std::array<int, 3> addressParts{};            // city, state, postal code: joined into Address 2
  bool joinsAddress = false;

  ColumnPositions(const std::vector<std::string>& chosen, const std::vector<std::string>& fieldNames) {
    const std::vector<std::string> texts = ExportFieldTexts(fieldNames);
    fullName = IndexOfText(chosen, kFullNameText);
    first = IndexOfText(chosen, kFirstNameText);
    middle = IndexOfText(chosen, kMiddleNameText);
    last = IndexOfText(chosen, kLastNameText);
    options = IndexOfText(chosen, kOptionsText);
    addressParts = {IndexOfText(chosen, kCityText), IndexOfText(chosen, kStateText),
                    IndexOfText(chosen, kPostalCodeText)};
    for (int part : addressParts) joinsAddress = joinsAddress || part >= 0;
    text[0] = -1;
    for (int field = 1; field < kExportFieldCount; ++field) {
      if (field == kOptionsFieldNumber) continue;
      int textIndex = field < kOptionsFieldNumber ? field : field - 1;
      text[static_cast<size_t>(textIndex)] = IndexOfText(chosen, texts[static_cast<size_t>(field)]);
    }
  }
};

// The import's result while it is being built: which contacts of the list
// go, and the new contacts. A new contact always has a name: one that a
// later line replaced is left without one.
struct Staging {
  int oldCount = 0;
  std::vector<char> oldRemoved;
  int removedCount = 0;
  int skipped = 0;  // new contacts that a later one replaced
  std::vector<TRecord> added;
  std::vector<size_t> withReplacements;  // indexes into added

  // The number by which KnownNames knows the next new contact.
  int NextContact() const { return oldCount + static_cast<int>(added.size()); }
  void Remove(int contact) {
    if (contact < oldCount) {
      oldRemoved[static_cast<size_t>(contact)] = 1;
      ++removedCount;
    } else {
      added[static_cast<size_t>(contact - oldCount)] = TRecord();
      ++skipped;
    }
  }
};

bool Staged(const TRecord& added) { return !added.Name().empty(); }

// Puts the staged result in place. Everything that can fail happens before
// the list is touched.
void Commit(std::unique_ptr<TDatabase>& list, ImportMode mode, Staging& staged) {
  if (mode == ImportMode::Replace) {
    auto fresh = std::make_unique<TDatabase>();
    fresh->Reserve(static_cast<int>(staged.added.size()));
    for (TRecord& record : staged.added)
      if (Staged(record)) fresh->Add(std::move(record));
    list = std::move(fresh);
    return;
  }
  TDatabase& old = *list;
  if (staged.removedCount == 0) {
    const int before = old.Count();
    try {
      old.Reserve(before + static_cast<int>(staged.added.size()));
      for (TRecord& record : staged.added)
        if (Staged(record)) old.Add(std::move(record));
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
  fresh->Reserve(staged.oldCount - staged.removedCount + static_cast<int>(staged.added.size()));
  for (int i = 0; i < staged.oldCount; ++i)
    if (!staged.oldRemoved[static_cast<size_t>(i)]) fresh->Add(TRecord());
  for (TRecord& record : staged.added)
    if (Staged(record)) fresh->Add(std::move(record));
  int place = 0;
  for (int i = 0; i < staged.oldCount; ++i)
    if (!staged.oldRemoved[static_cast<size_t>(i)]) std::swap(fresh->Items(place++), old.Items(i));
  list = std::move(fresh);
}

}  // namespace

std::vector<std::string_view> ImportFileLines(std::string_view text) {
  if (size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
  // A byte-order mark written by editors that save UTF-8 is not part of the first name.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<std::string_view> lines;
  const char* const end = text.data() + text.size();
  const char* at = text.data();
  while (at < end) {
    const char* stop = at;
    while (stop < end && *stop != '\r' && *stop != '\n') ++stop;
    lines.emplace_back(at, static_cast<size_t>(stop - at));
    if (stop == end) break;
    at = stop + 1;
    if (*stop == '\r' && at < end && *at == '\n') ++at;
  }
  return lines;
}

std::vector<std::string> SplitIntoLines(std::string_view text) {
  const std::vector<std::string_view> lines = ImportFileLines(text);
  return {lines.begin(), lines.end()};
}

std::vector<std::string> SplitImportLine(std::string_view line, std::string_view separators,
                                         std::optional<char> quote) {
  LineFields fields;
  fields.Split(line, SeparatorTable(separators, quote), quote);
  std::vector<std::string> texts;
  for (size_t i = 0; i < fields.Count(); ++i) texts.emplace_back(fields[i]);
  return texts;
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

std::string ComposeName(std::string_view first, std::string_view middle, std::string_view last) {
  std::string given(first);
  if (!middle.empty() && !first.empty()) (given += ' ') += middle;
  if (!last.empty() && !given.empty()) return (std::string(last) += ", ") += given;
  if (last.empty()) return given;
  return std::string(last);
}

std::string BackupPathFor(const std::string& dataFile) { return SiblingPath(dataFile, kBackupFileName); }

ImportResult ImportContacts(const std::vector<std::string>& lines, const ImportRequest& request,
                            const AppSettings& settings, std::unique_ptr<TDatabase>& contactList,
                            ProgressSink& progress) {
  const std::vector<std::string_view> views(lines.begin(), lines.end());
  return ImportContacts(std::span<const std::string_view>(views), request, settings, contactList, progress);
}

std::unique_ptr<TDatabase> CopyOfList(const TDatabase& list) {
  auto copy = std::make_unique<TDatabase>();
  copy->Reserve(list.Count());
  for (int i = 0; i < list.Count(); ++i) copy->Add(TRecord(list.Items(i)));
  return copy;
}

bool MakeImportBackup(const std::string& dataFile) {
  try {
    CopyFileOver(dataFile, BackupPathFor(dataFile));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

struct ImportMerge::State {
  Staging staged;
  ImportResult counts;
  KnownNames known;
  std::string numbered;  // a numbered name while its contact is made
};

ImportMerge::ImportMerge(const TDatabase& list, ImportMode mode, size_t expected)
    : mode_(mode), state_(std::make_unique<State>()) {
  const bool replace = mode == ImportMode::Replace;
  Staging& staged = state_->staged;
  oldCount_ = list.Count();
  staged.oldCount = replace ? 0 : oldCount_;
  staged.oldRemoved.assign(static_cast<size_t>(staged.oldCount), 0);
  staged.added.reserve(expected);
  if (!replace) {
    state_->known.Reserve(static_cast<size_t>(staged.oldCount) + expected);
    std::vector<std::string_view> names(static_cast<size_t>(staged.oldCount));
    for (int i = 0; i < staged.oldCount; ++i) names[static_cast<size_t>(i)] = list.Items(i).Name();
    state_->known.AppendAll(names, 0);
  }
}

ImportMerge::~ImportMerge() = default;

void ImportMerge::Prefetch(std::string_view name) const {
  if (mode_ != ImportMode::Replace) state_->known.Prefetch(name);
}

void ImportMerge::Offer(std::span<std::string_view, TRecord::kTextCount> texts, uint8_t options,
                        bool replacedCharacters) {
  Staging& staged = state_->staged;
  KnownNames& known = state_->known;
  std::string_view name = texts[TRecord::kName];
  switch (mode_) {
    case ImportMode::AppendReplaceRecords:
      if (!name.empty()) {
        int previous = known.RemoveFirst(name);
        if (previous >= 0) {
          staged.Remove(previous);
          known.Append(name, staged.NextContact());
          ++state_->counts.replaced;
        }
      }
      break;
    case ImportMode::AppendRecords:
      if (known.Contains(name)) {
        ++state_->counts.numbered;
        state_->numbered = known.FreeNumberedName(name);
        name = state_->numbered;
        known.Append(name, staged.NextContact());
      }
      break;
    case ImportMode::Replace:
      break;
  }
  if (name.empty()) {
    ++state_->counts.nameless;
    return;
  }
  texts[TRecord::kName] = name;
  if (replacedCharacters) staged.withReplacements.push_back(staged.added.size());
  staged.added.emplace_back(texts, options);
}

ImportResult ImportMerge::Result() const {
  ImportResult result = state_->counts;
  const Staging& staged = state_->staged;
  result.removed = mode_ == ImportMode::Replace ? oldCount_ : staged.removedCount;
  for (const TRecord& record : staged.added)
    if (Staged(record)) ++result.added;
  result.skipped = staged.skipped;
  for (size_t i : staged.withReplacements)
    if (Staged(staged.added[i])) ++result.withReplacedCharacters;
  return result;
}

ImportResult ImportMerge::Commit(std::unique_ptr<TDatabase>& list) {
  const ImportResult result = Result();
  qc::Commit(list, mode_, state_->staged);
  return result;
}

ImportResult ImportContacts(std::span<const std::string_view> lines, const ImportRequest& request,
                            const AppSettings& settings, std::unique_ptr<TDatabase>& contactList,
                            ProgressSink& progress) {
  const ColumnPositions pos(request.fields, settings.FieldNames);
  const SeparatorTable isSeparator(request.separators, request.quote);
  const uint8_t defaultOptions = OptionByte(settings.DefaultOptions);
  const bool backupFailed = request.makeBackup && !request.dryRun && !MakeImportBackup(request.dataFile);

  if (!contactList) contactList = std::make_unique<TDatabase>();
  ImportMerge merge(*contactList, request.mode, lines.size());

  const int lineCount = static_cast<int>(lines.size());
  progress.SetProgressMax(lineCount);
  // Each line is split one line ahead, so that the place of its name among
  // the known names is fetched from memory while the line before is settled.
  // Two splitters taking turns; they stay where they are, as the views of
  // their fields may point into them.
  LineFields splitters[2];
  LineFields* line = &splitters[0];
  LineFields* nextLine = &splitters[1];
  const int firstLine = request.ignoreFirstLine ? 1 : 0;
  auto split = [&](int i, LineFields& into) {
    if (i >= lineCount) return size_t{0};
    size_t n = into.Split(lines[static_cast<size_t>(i)], isSeparator, request.quote);
    if (request.nameLayout == NameLayout::FullName && pos.fullName >= 0 && static_cast<size_t>(pos.fullName) < n)
      merge.Prefetch(into[static_cast<size_t>(pos.fullName)]);
    return n;
  };
  split(firstLine, *nextLine);
  std::string composed;  // a name made from its parts
  std::string address;   // Address 2 joined from its parts
  std::array<std::string_view, TRecord::kTextCount> texts;
  const std::vector<size_t>& replacedLines = request.linesWithReplacedCharacters;
  auto nextReplaced = replacedLines.begin();
  for (int i = firstLine; i < lineCount; ++i) {
    progress.SetProgressPosition(i);
    std::swap(line, nextLine);
    split(i + 1, *nextLine);
    const LineFields& fields = *line;
    if (fields.Count() == 0) continue;

    if (request.nameLayout == NameLayout::NameParts) {
      composed = ComposeName(fields.Chosen(pos.first), fields.Chosen(pos.middle), fields.Chosen(pos.last));
      texts[TRecord::kName] = composed;
    } else {
      texts[TRecord::kName] = fields.Chosen(pos.fullName);
    }
    for (int t = 1; t < TRecord::kTextCount; ++t) texts[static_cast<size_t>(t)] = fields.Chosen(pos.text[static_cast<size_t>(t)]);
    if (pos.joinsAddress) {
      // Empty parts, and the single space of a column the line lacks, are left out.
      address.clear();
      auto join = [&](std::string_view part) {
        if (part.empty() || part == " ") return;
        if (!address.empty()) address += ' ';
        address += part;
      };
      join(texts[TRecord::kAddress2]);
      for (int part : pos.addressParts) join(fields.Chosen(part));
      texts[TRecord::kAddress2] = address;
    }
    std::optional<int32_t> options;
    if (pos.options >= 0) options = ParseOptionsNumber(fields.Chosen(pos.options));
    while (nextReplaced != replacedLines.end() && *nextReplaced < static_cast<size_t>(i)) ++nextReplaced;
    const bool replaced = nextReplaced != replacedLines.end() && *nextReplaced == static_cast<size_t>(i);
    merge.Offer(texts, options ? OptionByte(*options) : defaultOptions, replaced);
  }

  ImportResult result = request.dryRun ? merge.Result() : merge.Commit(contactList);
  result.backupFailed = backupFailed;
  return result;
}

}  // namespace qc
