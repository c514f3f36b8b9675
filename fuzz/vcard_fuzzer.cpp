// The vCard import on any text. Input: one byte of choices, then the text.
//   bits 0-1  the duplicate mode (mod 3); bit 2 a contact is in the list first
//   bits 3-7  which additional field names the settings give (labels or not)
//
// Checked: the counts add up, every new contact has a name, and whatever was
// read comes back exactly when it is written as vCards and read again.
#include <cstdint>
#include <memory>

#include "fuzz_check.h"
#include "impexp/vcard.h"

namespace qc::fuzz {
namespace {

const char* const kNames[] = {"E-mail", "Mobile", "Home Phone", "Web", "Notes", "Birthday", "Email", "Other"};

}  // namespace
}  // namespace qc::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qc;
  if (size < 1) return 0;
  const uint8_t h = data[0];
  const std::string_view text = fuzz::Bytes(data + 1, size - 1);
  AppSettings settings;
  for (int i = 0; i < kAdditionalFieldCount; ++i)
    settings.FieldNames[static_cast<size_t>(i)] = fuzz::kNames[static_cast<size_t>((i + (h >> 3)) % 8)];
  settings.DefaultOptions = 0x2A;
  auto list = std::make_unique<TDatabase>();
  if (h & 4) {
    TRecord known;
    known.Set(TRecord::kName, "Doe, Jane");
    list->Add(known);
  }
  const int before = list->Count();
  NoProgress none;
  VCardImportResult r;
  try {
    r = ImportVCards(text, {static_cast<ImportMode>((h & 3) % 3), false, ""}, settings, list, none);
  } catch (const UserError&) {
    FUZZ_CHECK(list->Count() == before);
    return 0;
  }
  FUZZ_CHECK(r.damaged >= 0 && r.counts.added >= 0 && r.counts.nameless >= 0);
  FUZZ_CHECK(list->Count() == before - r.counts.removed + r.counts.added);
  for (int i = 0; i < list->Count(); ++i) FUZZ_CHECK(!list->Items(i).Name().empty());

  // What was read comes back exactly.
  const std::string written = BuildVCardText(*list, settings.FieldNames, none);
  auto again = std::make_unique<TDatabase>();
  const VCardImportResult back = ImportVCards(written, {ImportMode::Replace, false, ""}, settings, again, none);
  FUZZ_CHECK(back.damaged == 0 && back.counts.withReplacedCharacters == 0);
  FUZZ_CHECK(again->Count() == list->Count());
  for (int i = 0; i < list->Count(); ++i) FUZZ_CHECK(again->Items(i) == list->Items(i));
  return 0;
}
