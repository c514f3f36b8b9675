// The import on any text with any settings. Input: a 16-byte header of
// choices, then the file's text.
//
//   0, 1  separator characters (the second one only when not 0)
//   2     quote character, 0 for none
//   3     bit 0 name in parts, bit 1 ignore the first line, bits 2+ mode (mod 3)
//   4     bits 0-2 contacts already in the list, bit 7 the progress sink fails
//   5     the line at which it fails
//   6-13  the chosen fields, each an index into the texts offered (one past
//         the end chooses nothing)
//   14    bit 0/1: additional field 1/2 named like a built-in field
//   15    the default option byte
//
// Checked: the split of each line loses and invents nothing, the contacts
// kept are the old ones in their order, every new contact has a name, and a
// failure half-way leaves the list exactly as it was.
#include <cstdint>
#include <memory>
#include <stdexcept>

#include "fuzz_check.h"
#include "impexp/field_texts.h"
#include "impexp/import.h"

namespace qc::fuzz {
namespace {

constexpr size_t kHeaderSize = 16;

const char* const kOffered[] = {
    "Full Name", "First Name", "Middle Name", "Last Name", "Name",      "Company",
    "Title",     "Treatment",  "Address 1",   "Address 2", "Address 3", "Fax#",
    "Phone#",    "Options",    "User 1",      "User 2",    "User 3",    "User 4",
    "User 5",    "User 6",     "User 7",      "User 8",    "full name", "Nothing"};
constexpr size_t kOfferedCount = sizeof kOffered / sizeof kOffered[0];

const char* const kExisting[] = {"Ann", "BOB", "ann", "Ann [1]", "", "Cy", "Bob"};

class FailingProgress : public ProgressSink {
 public:
  explicit FailingProgress(int failAt) : failAt_(failAt) {}
  void SetProgressMax(int count) override { max_ = count; }
  void SetProgressPosition(int position) override {
    FUZZ_CHECK(position >= 0 && position < max_);
    if (position == failAt_) throw std::runtime_error("stopped");
  }

 private:
  int failAt_;
  int max_ = 0;
};

void CheckSplit(std::string_view line, const std::string& separators, std::optional<char> quote) {
  const std::vector<std::string> fields = SplitImportLine(line, separators, quote);
  size_t total = 0;
  for (const std::string& f : fields) total += f.size();
  FUZZ_CHECK(total <= line.size());
  if (quote) {
    for (const std::string& f : fields) FUZZ_CHECK(f.find(*quote) == std::string::npos);
    return;
  }
  // Without quotes the fields are the line's other characters, in order.
  std::string joined, expected;
  for (const std::string& f : fields) {
    FUZZ_CHECK(!f.empty());
    FUZZ_CHECK(f.find_first_of(separators) == std::string::npos);
    joined += f;
  }
  for (char c : line)
    if (separators.find(c) == std::string::npos) expected += c;
  FUZZ_CHECK(joined == expected);
}

std::vector<TRecord> Snapshot(const TDatabase& list) {
  std::vector<TRecord> records;
  for (int i = 0; i < list.Count(); ++i) records.push_back(list.Items(i));
  return records;
}

}  // namespace
}  // namespace qc::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qc;
  using namespace qc::fuzz;
  if (size < kHeaderSize) return 0;
  const uint8_t* h = data;

  ImportRequest request;
  request.separators.assign(1, static_cast<char>(h[0]));
  if (h[1] != 0) request.separators += static_cast<char>(h[1]);
  if (h[2] != 0) request.quote = static_cast<char>(h[2]);
  else request.quote.reset();
  request.nameLayout = (h[3] & 1) ? NameLayout::NameParts : NameLayout::FullName;
  request.ignoreFirstLine = (h[3] & 2) != 0;
  request.mode = static_cast<ImportMode>((h[3] >> 2) % 3);
  for (size_t i = 6; i < 14; ++i)
    if (h[i] % (kOfferedCount + 1) < kOfferedCount) request.fields.push_back(kOffered[h[i] % (kOfferedCount + 1)]);

  AppSettings settings;
  if (h[14] & 1) settings.FieldNames[0] = "Company";
  if (h[14] & 2) settings.FieldNames[1] = "Full Name";
  settings.DefaultOptions = h[15];

  auto list = std::make_unique<TDatabase>();
  for (int i = 0; i < (h[4] & 7); ++i) {
    auto r = std::make_unique<TRecord>();
    r->Set(TRecord::kName, kExisting[i]);
    r->Set(TRecord::kCompany, "old " + std::to_string(i));
    list->Add(std::move(r));
  }
  const std::vector<TRecord> old = Snapshot(*list);

  const std::vector<std::string> lines = SplitIntoLines(Bytes(data + kHeaderSize, size - kHeaderSize));
  for (const std::string& line : lines) {
    FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    CheckSplit(line, request.separators, request.quote);
  }

  const bool fails = (h[4] & 0x80) != 0;
  FailingProgress progress(fails ? h[5] : -1);
  TDatabase* const before = list.get();
  ImportResult result;
  try {
    result = ImportContacts(lines, request, settings, list, progress);
  } catch (const std::runtime_error&) {
    FUZZ_CHECK(fails);
    FUZZ_CHECK(list.get() == before);
    FUZZ_CHECK(Snapshot(*list) == old);
    return 0;
  }
  FUZZ_CHECK(list != nullptr);

  const int oldCount = static_cast<int>(old.size());
  const int kept = request.mode == ImportMode::Replace ? 0 : oldCount - result.removed;
  FUZZ_CHECK(result.removed >= 0 && result.removed <= oldCount);
  FUZZ_CHECK(result.added >= 0 && static_cast<size_t>(result.added) <= lines.size());
  FUZZ_CHECK(list->Count() == kept + result.added);
  if (request.mode == ImportMode::Replace) FUZZ_CHECK(result.removed == oldCount);
  if (request.mode == ImportMode::AppendRecords) FUZZ_CHECK(result.removed == 0);

  // The contacts kept are old ones, in their old order.
  size_t next = 0;
  for (int i = 0; i < kept; ++i) {
    while (next < old.size() && !(old[next] == list->Items(i))) ++next;
    FUZZ_CHECK(next < old.size());
    ++next;
  }
  const bool optionsChosen = IndexOfText(request.fields, "Options") >= 0;
  for (int i = kept; i < list->Count(); ++i) {
    const TRecord& r = list->Items(i);
    FUZZ_CHECK(!r.Name().empty());
    if (!optionsChosen) FUZZ_CHECK(r.Options == h[15]);
  }
  return 0;
}
