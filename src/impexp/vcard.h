#pragma once
// Exchanging contacts as vCards: reading versions 2.1, 3.0 and 4.0, and
// writing version 3.0. The mapping between a card and a contact is in
// docs/vcard.md.
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/database.h"
#include "impexp/import.h"
#include "impexp/progress.h"
#include "settings/app_settings.h"

namespace qc {

// Quillcard's own properties: the option byte; an additional field that has
// no standard property (n = 1 to 8, the field's name as NAME); a text that
// standard vCard text cannot carry byte for byte (its code page 1252 bytes in
// base64, FIELD = 0 for Name to 16 for User8).
inline constexpr char kVCardOptionsProperty[] = "X-QUILLCARD-OPTIONS";
inline constexpr char kVCardFieldProperty[] = "X-QUILLCARD-FIELD";
inline constexpr char kVCardTextProperty[] = "X-QUILLCARD-TEXT";

inline constexpr char kNoVCardInFile[] = "The file holds no vCard";

// What an additional field carries, by its name: the standard property that
// feeds it and that the export writes it as.
enum class VCardLabel { None, Email, Mobile, HomePhone, Web, Note, Birthday };

// The label of each additional field. Only the first field of each label
// gets it: a later one with the same label is exchanged as Quillcard's own
// property, so that both come back.
std::array<VCardLabel, kAdditionalFieldCount> VCardLabels(const std::vector<std::string>& fieldNames);

// One card read as a contact: the seventeen texts in code page 1252, the
// option byte, and whether a character the code page cannot hold became "?".
struct VCardContact {
  std::array<std::string, TRecord::kTextCount> texts;
  uint8_t options = 0;
  bool replacedCharacters = false;
};

// Reads the cards of a file's text one after the other. A damaged card (one
// without its END, or with a line that is not a property) is skipped and
// counted; unknown properties are skipped; nothing in the text can make it
// fail. The text must stay while the reader is used.
class VCardReader {
 public:
  VCardReader(std::string_view text, const AppSettings& settings);
  ~VCardReader();
  VCardReader(const VCardReader&) = delete;
  VCardReader& operator=(const VCardReader&) = delete;

  // The next card that could be read; false at the end of the text.
  bool Next(VCardContact& contact);
  int Damaged() const { return damaged_; }
  // A BEGIN:VCARD was met.
  bool SawCard() const { return sawCard_; }
  // How far the text has been read, in bytes.
  size_t Position() const { return pos_; }

 private:
  struct Card;
  bool NextLine(std::string_view& line);
  bool PeekLine(std::string_view& line) const;
  bool ReadCard(Card& card);
  void SkipNestedCard();

  std::string_view text_;
  size_t pos_ = 0;
  int damaged_ = 0;
  bool sawCard_ = false;
  std::array<VCardLabel, kAdditionalFieldCount> labels_;
  std::vector<std::string> fieldNames_;
  uint8_t defaultOptions_ = 0;
  std::unique_ptr<Card> card_;
};

// The first `count` contacts of the text, as the import would take them.
std::vector<VCardContact> PreviewVCards(std::string_view text, const AppSettings& settings, size_t count);

struct VCardImportRequest {
  ImportMode mode = ImportMode::AppendReplaceRecords;
  bool makeBackup = false;
  std::string dataFile;  // the file the backup copies
  bool dryRun = false;   // only the counts: the list and the files stay as they are
};

struct VCardImportResult {
  ImportResult counts;  // added, replaced, nameless (skipped), with replaced characters...
  int damaged = 0;      // cards skipped as damaged
};

// Imports the cards under the duplicate mode, as the delimited import does:
// the list changes only when the whole text has been read, and "Replace"
// puts a new list in the owner's place. A text that holds something but no
// BEGIN:VCARD fails with UserError(kNoVCardInFile) and changes nothing.
VCardImportResult ImportVCards(std::string_view text, const VCardImportRequest& request,
                               const AppSettings& settings, std::unique_ptr<TDatabase>& contactList,
                               ProgressSink& progress);

// Every contact as a vCard 3.0, in list order: UTF-8, CR LF, lines folded at
// 75 octets. Read back under the same field names it gives the same texts
// and option bytes, byte for byte.
std::string BuildVCardText(const TDatabase& contacts, const std::vector<std::string>& fieldNames,
                           ProgressSink& progress);

// Builds the text and replaces the file's whole content with it in one step
// (FileError on failure, the file then as it was). Returns the count written.
int ExportVCards(const TDatabase& contacts, const std::vector<std::string>& fieldNames,
                 const std::string& fileName, ProgressSink& progress);

}  // namespace qc
