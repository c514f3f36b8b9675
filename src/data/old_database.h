#pragma once
// Reader of the 2.x data file: a signed 16-bit count, four unused bytes, then
// per contact nine length-prefixed texts and the option byte. Read only; the
// contacts are converted and written back in the current layout.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "data/byte_io.h"

namespace qc {

struct TOldRecord {
  std::string Name, Company, Title, Treatment, Address1, Address2, Address3, Fax, Phone;
  uint8_t Options = 0;

  static constexpr int kTextCount = 9;

  // The texts by field number, 0 (Name) to 8 (Phone); the same numbers as
  // the first nine texts of TRecord. Throws std::out_of_range otherwise.
  const std::string& Text(int i) const;

  // False when the bytes end before the record does.
  bool ReadFromStream(ByteReader& in);
};

class TOldDatabase {
 public:
  // The count and four unused bytes.
  static constexpr size_t kHeaderBytes = 6;

  int Count() const { return static_cast<int>(records_.size()); }
  const TOldRecord& Items(int i) const { return *records_.at(static_cast<size_t>(i)); }

  // Reads the named file. A file that cannot be read leaves the list empty;
  // nothing is reported.
  void LoadFromFile(const std::string& path);

  // Appends the records of a 2.x file and returns the header's count (0 when
  // the bytes are too few for it). A count of 0 or less means no records.
  // When the bytes end before the last announced record, the complete
  // records are kept and the rest is dropped.
  int LoadFromStream(ByteReader& in);

 private:
  std::vector<std::unique_ptr<TOldRecord>> records_;
};

}  // namespace qc
