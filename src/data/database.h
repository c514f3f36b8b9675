#pragma once
// The ordered list of all contacts and the data file it is kept in.
//
// Data file layout, little-endian: version 300 (int32), record count (int32),
// 32 reserved zero bytes, then the records one after the other (see
// TRecord::WriteToStream). Any other file is read as a 2.x file and
// converted (see LoadFromBytes for how the two are told apart).
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

// The layout a data file was read as. None: no file, or fewer than 4 bytes.
enum class DataFileLayout { None, Current, Old };

// What a load found in the file.
struct LoadReport {
  DataFileLayout layout = DataFileLayout::None;
  int announced = 0;  // the header's count when positive, else 0
  int read = 0;       // contacts appended
  // The file ends inside a record, or the count promises more records than
  // it holds: read < announced. Bytes after the last counted record are not
  // damage (a file saved in place without shortening carries them).
  bool damaged = false;

  bool operator==(const LoadReport&) const = default;
};

class TDatabase {
 public:
  TDatabase() = default;
  TDatabase(const TDatabase&) = delete;
  TDatabase& operator=(const TDatabase&) = delete;
  TDatabase(TDatabase&&) = default;
  TDatabase& operator=(TDatabase&&) = default;

  int Count() const { return static_cast<int>(records_.size()); }
  // The record at 0-based index i; throws std::out_of_range for a bad index.
  // A record stays where it is, and so do the texts read from it, while the
  // list is not changed; Add keeps the texts where they are too.
  TRecord& Items(int i) { return records_.at(static_cast<size_t>(i)); }
  const TRecord& Items(int i) const { return records_.at(static_cast<size_t>(i)); }

  // Appends the record and takes ownership of it.
  void Add(std::unique_ptr<TRecord> record);
  void Add(TRecord record);
  // Room for this many records in all, so that appending them moves nothing.
  void Reserve(int count);
  // Removes and destroys the record at index i; those behind it move up.
  void Delete(int i);

  // Appends the header and all records in list order.
  void WriteToStream(std::string& out) const;
  // The number of bytes WriteToStream appends.
  size_t StreamSize() const;
  // Writes the same bytes as WriteToStream at `out`, which must have room
  // for StreamSize() bytes; returns the position just behind them.
  char* WriteTo(char* out) const;

  // Reads a header and appends its records. False when the version number is
  // not 300 (nothing is appended then). The reserved bytes are not looked at:
  // LoadFromBytes tells the layouts apart. A count of 0 or less means no
  // records; when the bytes end before the last announced record, the
  // complete records are kept and the rest is dropped.
  bool ReadFromStream(ByteReader& in);

  // Replaces the file's whole content with the list. The old file stays
  // untouched when this fails; throws FileError.
  void SaveToFile(const std::string& path) const;

  // Appends the contacts of the named data file, of either layout, and says
  // what it found. A missing file is created empty (layout None). Throws
  // FileError naming the file and the reason when the file exists but cannot
  // be read, or cannot be created.
  LoadReport LoadFromFile(const std::string& path, UserMessages& messages);

  // Appends the contacts held in a data file's bytes, of either layout, and
  // says what it found. Fewer than four bytes hold no contacts. A 2.x file
  // that yields contacts is announced with kOldFileImportedMessage.
  //
  // The bytes are read as a current file only when they start with version
  // 300 and the reserved header bytes they hold are all zero; anything else
  // is a 2.x file. A 2.x file of exactly 300 contacts starts with 300 too, so
  // when the reserved bytes are zero both readings are weighed: the better
  // one reads every counted record whole, then ends exactly at the end of the
  // bytes; the current reading wins a tie. A current file whose records end
  // at the end of the bytes is read once and never weighed further.
  LoadReport LoadFromBytes(std::string_view bytes, UserMessages& messages);

 private:
  std::vector<TRecord> records_;
};

// Keeps a copy of a damaged data file before anything is written over it:
// copies the file to "<path>.damaged", or when that name is taken to the
// first free one of "<path>.damaged2", "<path>.damaged3", ... and returns
// the copy's path. Never writes over an existing file. Throws FileError with
// the platform's reason when the copy cannot be made.
std::string KeepDamagedOriginal(const std::string& path);

}  // namespace qc
