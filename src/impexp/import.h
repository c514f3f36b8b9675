#pragma once
// Reading contacts from the lines of a delimited text file.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/database.h"
#include "impexp/progress.h"
#include "settings/app_settings.h"

namespace qc {

// The name of the copy of the data file made before an import, beside it.
inline constexpr char kBackupFileName[] = "QUILLCRD.BAK";

enum class NameLayout { FullName = 0, NameParts = 1 };

enum class ImportMode {
  AppendReplaceRecords = 0,  // a known name: the known contact goes, the new one is appended
  AppendRecords = 1,         // a known name: the new one is appended under a numbered name
  Replace = 2,               // every contact goes first; names are not checked
};

// The lines of an import file's text, as views into it: the text up to the
// first NUL, which ends it, without a leading UTF-8 byte-order mark, cut at
// every CR, LF and CR LF; a last line without a line end counts.
std::vector<std::string_view> ImportFileLines(std::string_view text);
// The same lines as copies.
std::vector<std::string> SplitIntoLines(std::string_view text);

// The fields of one line. Every character of `separators` separates fields;
// runs of separators count as one and separators at either end give nothing.
// Between two quote characters separators belong to the field; the quote
// characters themselves are removed, so "" gives an empty field. A quote
// character that is also in `separators` counts as a quote only.
std::vector<std::string> SplitImportLine(std::string_view line, std::string_view separators,
                                         std::optional<char> quote);

// A whole number as the "Options" column holds it: leading spaces, an
// optional sign, then decimal digits or "$" and hexadecimal digits, nothing
// after. Decimal numbers must fit 32 bits; hexadecimal ones take up to 32 bits
// and wrap ("$FFFFFFFF" is -1). Nothing for any other text.
std::optional<int32_t> ParseOptionsNumber(std::string_view text);

// The name from its parts: "Last, First Middle", with whatever parts are there.
std::string ComposeName(std::string_view first, std::string_view middle, std::string_view last);

// The backup's path: kBackupFileName in the data file's folder.
std::string BackupPathFor(const std::string& dataFile);

struct ImportRequest {
  std::string separators;
  std::optional<char> quote = '"';
  NameLayout nameLayout = NameLayout::FullName;
  std::vector<std::string> fields;  // display texts: entry k receives field k of each line
  ImportMode mode = ImportMode::AppendReplaceRecords;
  bool ignoreFirstLine = true;
  bool makeBackup = false;
  std::string dataFile;  // the file the backup copies
  // A trial run: the counts of what the import would do, with nothing
  // changed and no backup made.
  bool dryRun = false;
  // Indexes of the lines, ascending, that held a character code page 1252
  // cannot hold (ImportText::linesWithReplacements); their contacts are counted.
  std::vector<size_t> linesWithReplacedCharacters;
};

struct ImportResult {
  int added = 0;     // imported contacts in the list afterwards
  int removed = 0;   // contacts of the list before that are gone
  int replaced = 0;  // contacts that took the place of one of the same name
  int numbered = 0;  // contacts given a numbered name, their name being known
  int nameless = 0;  // contacts left out for want of a name
  // Imported contacts that a later one of the same name replaced in
  // "Append (Replace Records)"; the other modes skip none.
  int skipped = 0;
  int withReplacedCharacters = 0;  // contacts with a character code page 1252 cannot hold, now "?"
  bool backupFailed = false;
};

// A copy of the list, contact by contact (what an undo puts back).
std::unique_ptr<TDatabase> CopyOfList(const TDatabase& list);

// Copies the data file to its backup; false when that fails.
bool MakeImportBackup(const std::string& dataFile);

// Puts imported contacts into a contact list under a duplicate mode. The
// contacts are offered one by one and set aside; the list changes only at
// Commit, so an import that fails on the way leaves it as it was.
class ImportMerge {
 public:
  // `expected`: about how many contacts will be offered.
  ImportMerge(const TDatabase& list, ImportMode mode, size_t expected);
  ~ImportMerge();
  ImportMerge(const ImportMerge&) = delete;
  ImportMerge& operator=(const ImportMerge&) = delete;

  // Says that a contact of this name will be offered soon (a speed hint only).
  void Prefetch(std::string_view name) const;
  // Offers one contact, its texts in field order. Under the mode its name
  // replaces a known contact of that name (AppendReplaceRecords; the
  // earliest one first) or becomes a free numbered name (AppendRecords);
  // a contact whose name is empty is left out. The texts are copied.
  // `replacedCharacters`: its texts hold a "?" that stands for a character
  // code page 1252 cannot hold.
  void Offer(std::span<std::string_view, TRecord::kTextCount> texts, uint8_t options,
             bool replacedCharacters = false);
  // The counts as they stand.
  ImportResult Result() const;
  // Puts the result in the list ("Replace" gives the owner a new list) and
  // returns its counts. Call once.
  ImportResult Commit(std::unique_ptr<TDatabase>& list);

 private:
  struct State;
  ImportMode mode_;
  int oldCount_ = 0;
  std::unique_ptr<State> state_;
};

// Imports the lines into the contact list (with `dryRun`, only counts). The whole import is prepared
// aside and takes effect only when every line has been read: when anything
// fails on the way (an exception from the progress sink included) the list
// is exactly as it was. "Replace" puts a new list in the owner's place.
// The lines are read where they are (ImportFileLines gives them as views
// into the file's text); the contacts get copies of their texts.
ImportResult ImportContacts(std::span<const std::string_view> lines, const ImportRequest& request,
                            const AppSettings& settings, std::unique_ptr<TDatabase>& contactList,
                            ProgressSink& progress);
// The same for lines held as strings.
ImportResult ImportContacts(const std::vector<std::string>& lines, const ImportRequest& request,
                            const AppSettings& settings, std::unique_ptr<TDatabase>& contactList,
                            ProgressSink& progress);

}  // namespace qc
