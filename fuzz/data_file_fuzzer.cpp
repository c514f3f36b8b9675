// The data file reader on any bytes: it must not crash, must not invent
// contacts the bytes cannot hold, must announce a converted 2.x file exactly
// when it yields contacts, must report truly what it read and whether the
// file is damaged, and whatever it reads must be written back and read
// again unchanged.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "data/database.h"
#include "fuzz_check.h"

namespace qc::fuzz {
namespace {

constexpr size_t kHeaderBytes = 4 + 4 + kDataFileReservedBytes;
constexpr size_t kSmallestRecord = TRecord::kTextCount + 1 + kRecordReservedBytes;
constexpr size_t kOldHeaderBytes = 6;
constexpr size_t kSmallestOldRecord = 10;

// The little-endian 32-bit number at `at`; the bytes must hold it.
int32_t Int32At(std::string_view bytes, size_t at) {
  uint32_t v = 0;
  for (size_t i = 4; i-- > 0;) v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
  return static_cast<int32_t>(v);
}

// The reserved header bytes the file holds are all zero.
bool ReservedBytesZero(std::string_view bytes) {
  const std::string_view reserved = bytes.substr(std::min<size_t>(bytes.size(), 8), kDataFileReservedBytes);
  return reserved.find_first_not_of('\0') == std::string_view::npos;
}

size_t MostRecords(size_t size, size_t header, size_t smallest) {
  return size < header ? 0 : (size - header) / smallest;
}

}  // namespace
}  // namespace qc::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qc;
  using namespace qc::fuzz;
  const std::string_view bytes = Bytes(data, size);

  TDatabase contacts;
  RecordedMessages messages;
  const LoadReport report = contacts.LoadFromBytes(bytes, messages);
  const size_t count = static_cast<size_t>(contacts.Count());
  FUZZ_CHECK(report.read == contacts.Count());
  FUZZ_CHECK(report.read <= report.announced);
  FUZZ_CHECK(report.damaged == (report.read < report.announced));

  // The current reader on its own: its count, and whether it read every
  // counted record whole up to the end of the bytes.
  TDatabase direct;
  ByteReader in(bytes);
  const bool current = direct.ReadFromStream(in);
  const int32_t currentCount = size >= 8 ? std::max(Int32At(bytes, 4), 0) : 0;
  const bool currentExact = current && size >= kHeaderBytes && direct.Count() == currentCount && in.Remaining() == 0;
  FUZZ_CHECK(in.Position() <= size);

  if (size < 4) {
    FUZZ_CHECK(count == 0 && messages.shown.empty());
    FUZZ_CHECK(report == LoadReport{});
  } else if (report.layout == DataFileLayout::Current) {
    // Never chosen when the reserved bytes say otherwise.
    FUZZ_CHECK(current && ReservedBytesZero(bytes));
    FUZZ_CHECK(count <= MostRecords(size, kHeaderBytes, kSmallestRecord));
    FUZZ_CHECK(messages.shown.empty());
    // The reader on its own agrees with the loader, and a file is damaged
    // only when its bytes end inside the next counted record.
    FUZZ_CHECK(direct.Count() == contacts.Count());
    FUZZ_CHECK(report.announced == currentCount);
    size_t used = kHeaderBytes;
    for (int i = 0; i < contacts.Count(); ++i) used += contacts.Items(i).StreamSize();
    ByteReader rest(bytes.substr(std::min(used, size)));
    TRecord next;
    if (report.damaged) FUZZ_CHECK(size < kHeaderBytes || !next.ReadFromStream(rest));
  } else {
    FUZZ_CHECK(report.layout == DataFileLayout::Old);
    // Starting like a current file, it was taken as 2.x only for a reason:
    // the reserved bytes, or a 2.x reading that reads every record whole
    // where the current one does not also end at the end of the bytes.
    if (current && ReservedBytesZero(bytes)) FUZZ_CHECK(!currentExact && !report.damaged);
    FUZZ_CHECK(count <= MostRecords(size, kOldHeaderBytes, kSmallestOldRecord));
    FUZZ_CHECK(messages.shown.size() == (count > 0 ? 1u : 0u));
    if (count > 0) FUZZ_CHECK(messages.shown[0] == kOldFileImportedMessage);
    // The 2.x layout has no additional fields.
    for (size_t i = 0; i < count; ++i)
      for (int t = 9; t < TRecord::kTextCount; ++t)
        FUZZ_CHECK(contacts.Items(static_cast<int>(i)).Text(t).empty());
  }

  // Every text read holds at most 255 bytes, so a save keeps everything.
  std::string saved;
  contacts.WriteToStream(saved);
  TDatabase back;
  RecordedMessages quiet;
  back.LoadFromBytes(saved, quiet);
  FUZZ_CHECK(quiet.shown.empty());
  FUZZ_CHECK(back.Count() == contacts.Count());
  for (int i = 0; i < back.Count(); ++i) FUZZ_CHECK(back.Items(i) == contacts.Items(i));

  // Loading appends: the same bytes again double the list, with the same report.
  FUZZ_CHECK(contacts.LoadFromBytes(bytes, messages) == report);
  FUZZ_CHECK(static_cast<size_t>(contacts.Count()) == 2 * count);
  return 0;
}
