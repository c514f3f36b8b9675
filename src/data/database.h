#pragma once
// The ordered list of all contacts and the data file it is kept in.
//
// Data file layout, little-endian: version 300 (int32), record count (int32),
// 32 reserved zero bytes, then the records one after the other (see
// TRecord::WriteToStream). A file that does not start with 300 is read as a
// 2.x file and converted.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/user_messages.h"
#include "data/byte_io.h"
#include "data/record.h"

namespace qc {

constexpr int32_t kDataFileVersion = 300;
constexpr size_t kDataFileReservedBytes = 32;
inline constexpr char kOldFileImportedMessage[] = "Succesfully imported Quillcard 2.x database file";

class TDatabase {
 public:
  TDatabase() = default;
  TDatabase(const TDatabase&) = delete;
  TDatabase& operator=(const TDatabase&) = delete;
  TDatabase(TDatabase&&) = default;
  TDatabase& operator=(TDatabase&&) = default;

  int Count() const { return static_cast<int>(records_.size()); }
  // The record at 0-based index i; throws std::out_of_range for a bad index.
  TRecord& Items(int i) { return *records_.at(static_cast<size_t>(i)); }
  const TRecord& Items(int i) const { return *records_.at(static_cast<size_t>(i)); }

  // Appends the record and takes ownership of it.
  void Add(std::unique_ptr<TRecord> record);
  // Removes and destroys the record at index i; those behind it move up.
  void Delete(int i);

  // Appends the header and all records in list order.
  void WriteToStream(std::string& out) const;

  // Reads a header and appends its records. False when the version number is
  // not 300 (nothing is appended then). A count of 0 or less means no records;
  // when the bytes end before the last announced record, the complete records
  // are kept and the rest is dropped.
  bool ReadFromStream(ByteReader& in);

  // Replaces the file's whole content with the list. The old file stays
  // untouched when this fails; throws FileError.
  void SaveToFile(const std::string& path) const;

  // Appends the contacts of the named data file, of either layout. A missing
  // file is created empty. Throws FileError naming the file and the reason
  // when the file exists but cannot be read, or cannot be created.
  void LoadFromFile(const std::string& path, UserMessages& messages);

  // Appends the contacts held in a data file's bytes, of either layout.
  // Fewer than four bytes hold no contacts. A 2.x file that yields contacts
  // is announced with kOldFileImportedMessage.
  void LoadFromBytes(std::string_view bytes, UserMessages& messages);

 private:
  std::vector<std::unique_ptr<TRecord>> records_;
};

}  // namespace qc
