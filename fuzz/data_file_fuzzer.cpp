// The data file reader on any bytes: it must not crash, must not invent
// contacts the bytes cannot hold, must announce a converted 2.x file exactly
// when it yields contacts, and whatever it reads must be written back and
// read again unchanged.
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

bool StartsWithCurrentVersion(std::string_view bytes) {
  if (bytes.size() < 4) return false;
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes[static_cast<size_t>(i)]);
  return v == static_cast<uint32_t>(kDataFileVersion);
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
  contacts.LoadFromBytes(bytes, messages);
  const size_t count = static_cast<size_t>(contacts.Count());

  if (size < 4) {
    FUZZ_CHECK(count == 0 && messages.shown.empty());
  } else if (StartsWithCurrentVersion(bytes)) {
    FUZZ_CHECK(count <= MostRecords(size, kHeaderBytes, kSmallestRecord));
    FUZZ_CHECK(messages.shown.empty());
    // The reader on its own agrees with the loader.
    TDatabase direct;
    ByteReader in(bytes);
    FUZZ_CHECK(direct.ReadFromStream(in));
    FUZZ_CHECK(direct.Count() == contacts.Count());
    FUZZ_CHECK(in.Position() <= size);
  } else {
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

  // Loading appends: the same bytes again double the list.
  contacts.LoadFromBytes(bytes, messages);
  FUZZ_CHECK(static_cast<size_t>(contacts.Count()) == 2 * count);
  return 0;
}
