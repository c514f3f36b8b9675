// The 2.x reader on any bytes: no crash, no record the bytes cannot hold,
// nothing for a count of zero or less, the conversion to current contacts
// keeps every old field in its place, and the load reports it truly.
#include <cstdint>

#include "data/database.h"
#include "data/old_database.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qc;
  using namespace qc::fuzz;
  const std::string_view bytes = Bytes(data, size);

  TOldDatabase old;
  ByteReader in(bytes);
  const int announced = old.LoadFromStream(in);
  FUZZ_CHECK(in.Position() <= size);

  int16_t count = 0;
  ByteReader header(bytes);
  FUZZ_CHECK(announced == (header.ReadInt16(count) ? count : 0));
  if (count <= 0 || size < 6) {
    FUZZ_CHECK(old.Count() == 0);
    return 0;
  }
  FUZZ_CHECK(old.Count() <= count);
  // Each record took its nine length bytes, its texts and its option byte.
  size_t used = 6;
  for (int i = 0; i < old.Count(); ++i) {
    used += TOldRecord::kTextCount + 1;
    for (int t = 0; t < TOldRecord::kTextCount; ++t) used += old.Items(i).Text(t).size();
  }
  FUZZ_CHECK(used <= size);
  // A record is dropped only when the bytes end inside it.
  if (old.Count() < count) FUZZ_CHECK(size - used < TOldRecord::kTextCount * 256 + 1);

  // A file that does not start with version 300, or whose reserved header
  // bytes are not all zero, is converted field by field.
  ByteReader version(bytes);
  int32_t first = 0;
  const bool reservedZero = size <= 8 || bytes.substr(8, 32).find_first_not_of('\0') == std::string_view::npos;
  if (version.ReadInt32(first) && (first != 300 || !reservedZero)) {
    TDatabase contacts;
    RecordedMessages messages;
    const LoadReport report = contacts.LoadFromBytes(bytes, messages);
    FUZZ_CHECK(report.layout == DataFileLayout::Old && report.announced == count);
    FUZZ_CHECK(report.read == old.Count() && report.damaged == (old.Count() < count));
    FUZZ_CHECK(contacts.Count() == old.Count());
    for (int i = 0; i < old.Count(); ++i) {
      const TOldRecord& o = old.Items(i);
      const TRecord& r = contacts.Items(i);
      for (int t = 0; t < TOldRecord::kTextCount; ++t) FUZZ_CHECK(r.Text(t) == o.Text(t));
      FUZZ_CHECK(r.Options == o.Options);
    }
  }
  return 0;
}
