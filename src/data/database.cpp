#include "data/database.h"

#include <algorithm>
#include <array>
#include <memory>
#include <new>
#include <stdexcept>

#include "data/old_database.h"
#include "platform/files.h"

namespace qc {
namespace {

TRecord FromOldRecord(const TOldRecord& old) {
  std::array<std::string_view, TRecord::kTextCount> texts;
  for (int i = 0; i < TOldRecord::kTextCount; ++i) texts[static_cast<size_t>(i)] = old.Text(i);
  return TRecord(texts, old.Options);
}

// How one layout's reader fared with a file's bytes.
struct Reading {
  int announced = 0;   // the header's count when positive, else 0
  int read = 0;        // records read whole
  bool exact = false;  // every counted record whole, the last one ending where the bytes end

  bool Whole() const { return read == announced; }
  // The better of two readings of the same bytes ranks higher.
  int Rank() const { return (Whole() ? 2 : 0) + (exact ? 1 : 0); }

  LoadReport Report(DataFileLayout layout) const { return {layout, announced, read, read < announced}; }
};

// The fewest bytes a record takes in the file: its length bytes, the option
// byte and the reserved bytes.
constexpr size_t kSmallestRecord = TRecord::kTextCount + 1 + kRecordReservedBytes;

// Reads a current file's header behind the version, and its records. The
// count is not trusted: the loop ends at the first record the bytes cannot
// hold, and room is made for no more records than the bytes could hold.
Reading ReadCurrentRecords(ByteReader& in, std::vector<TRecord>& records) {
  Reading reading;
  int32_t count = 0;
  if (!in.ReadInt32(count)) return reading;
  reading.announced = std::max(count, 0);
  if (!in.Skip(kDataFileReservedBytes)) return reading;
  records.reserve(records.size() +
                  std::min(static_cast<size_t>(reading.announced), in.Remaining() / kSmallestRecord));
  for (; reading.read < reading.announced; ++reading.read) {
    TRecord record;
    if (!record.ReadFromStream(in)) break;
    records.push_back(std::move(record));
  }
  reading.exact = reading.Whole() && in.Remaining() == 0;
  return reading;
}

Reading ReadOldRecords(std::string_view bytes, TOldDatabase& old) {
  ByteReader in(bytes);
  Reading reading;
  reading.announced = std::max(old.LoadFromStream(in), 0);
  reading.read = old.Count();
  reading.exact = reading.Whole() && in.Position() >= TOldDatabase::kHeaderBytes && in.Remaining() == 0;
  return reading;
}

// Version 300 and zero in every reserved header byte the bytes hold: the
// writer never puts anything else there, while a 2.x file's contacts start
// at byte 6.
bool MayBeCurrent(std::string_view bytes) {
  ByteReader in(bytes);
  int32_t version = 0;
  if (!in.ReadInt32(version) || version != kDataFileVersion) return false;
  const std::string_view reserved = bytes.substr(std::min<size_t>(bytes.size(), 8), kDataFileReservedBytes);
  return std::all_of(reserved.begin(), reserved.end(), [](char c) { return c == '\0'; });
}

// The data file's bytes made a buffer at a time: a big list is written
// without making its whole file in memory first, and the one small buffer is
// reused for every piece.
class DataFilePieces : public ContentPieces {
 public:
  explicit DataFilePieces(const TDatabase& list) : list_(list), size_(list.StreamSize()) {}

  size_t Size() const override { return size_; }

  std::string_view Next() override {
    char* at = buffer_.get();
    if (!headerGiven_) {
      std::string header;
      PutInt32(header, kDataFileVersion);
      PutInt32(header, static_cast<int32_t>(list_.Count()));
      PutZeros(header, kDataFileReservedBytes);
      at = std::copy(header.begin(), header.end(), at);
      headerGiven_ = true;
    }
    char* const end = buffer_.get() + kBufferBytes;
    for (; next_ < list_.Count() && static_cast<size_t>(end - at) >= kLargestRecord; ++next_)
      at = list_.Items(next_).WriteTo(at);
    return {buffer_.get(), static_cast<size_t>(at - buffer_.get())};
  }

 private:
  static constexpr size_t kLargestRecord = TRecord::kTextCount * (1 + kMaxStoredText) + 1 + kRecordReservedBytes;
  static constexpr size_t kBufferBytes = 1 << 20;

  const TDatabase& list_;
  size_t size_;
  std::unique_ptr<char[]> buffer_{new char[kBufferBytes]};
  bool headerGiven_ = false;
  int next_ = 0;
};

// Far more than anyone keeps; the search for a free name ends somewhere.
constexpr int kMostDamagedCopies = 9999;

}  // namespace

void TDatabase::Add(std::unique_ptr<TRecord> record) {
  if (!record) throw std::invalid_argument("TDatabase::Add needs a record");
  records_.push_back(std::move(*record));
}

void TDatabase::Add(TRecord record) { records_.push_back(std::move(record)); }

void TDatabase::Reserve(int count) {
  if (count > 0) records_.reserve(static_cast<size_t>(count));
}

void TDatabase::Delete(int i) {
  if (i < 0 || i >= Count())
    throw std::out_of_range("contact index " + std::to_string(i) + " does not exist");
  records_.erase(records_.begin() + i);
}

size_t TDatabase::StreamSize() const {
  size_t size = 8 + kDataFileReservedBytes;
  for (const TRecord& record : records_) size += record.StreamSize();
  return size;
}

char* TDatabase::WriteTo(char* out) const {
  std::string header;
  PutInt32(header, kDataFileVersion);
  PutInt32(header, static_cast<int32_t>(records_.size()));
  PutZeros(header, kDataFileReservedBytes);
  out = std::copy(header.begin(), header.end(), out);
  for (const TRecord& record : records_) out = record.WriteTo(out);
  return out;
}

void TDatabase::WriteToStream(std::string& out) const {
  // Sized first and then filled in place: a big list is written in one pass
  // over memory, without the copies of a growing buffer.
  const size_t start = out.size();
  out.resize(start + StreamSize());
  WriteTo(out.data() + start);
}

bool TDatabase::ReadFromStream(ByteReader& in) {
  int32_t version = 0;
  if (!in.ReadInt32(version) || version != kDataFileVersion) return false;
  ReadCurrentRecords(in, records_);
  return true;
}

void TDatabase::SaveToFile(const std::string& path) const {
  DataFilePieces pieces(*this);
  WriteFileAtomically(path, pieces);
}

LoadReport TDatabase::LoadFromFile(const std::string& path, UserMessages& messages) {
  ReadResult file = ReadWholeFile(path);
  switch (file.status) {
    case ReadStatus::NotFound:
      CreateEmptyFileIfMissing(path);
      return {};
    case ReadStatus::Failed:
      throw FileError("Cannot read the contact file \"" + path + "\": " + file.error);
    case ReadStatus::Ok:
      break;
  }
  // Contacts that do not fit in memory: the file is reported as unreadable,
  // so that it is never saved over with what little was read.
  const size_t before = records_.size();
  try {
    return LoadFromBytes(file.content, messages);
  } catch (const std::bad_alloc&) {
    records_.resize(before);
    throw FileError("Cannot read the contact file \"" + path + "\": not enough memory for its contacts");
  }
}

LoadReport TDatabase::LoadFromBytes(std::string_view bytes, UserMessages& messages) {
  // Too short for a version number: an empty file, as created at first start.
  if (bytes.size() < 4) return {};
  TOldDatabase old;
  Reading reading;
  if (MayBeCurrent(bytes)) {
    const size_t before = records_.size();
    ByteReader in(bytes);
    in.Skip(4);
    reading = ReadCurrentRecords(in, records_);
    // A 2.x file that starts like this counts exactly 300 contacts: its
    // reading is cheap beside the current one, and needed only when the
    // current reading does not end exactly where the bytes do.
    if (reading.exact) return reading.Report(DataFileLayout::Current);
    const Reading older = ReadOldRecords(bytes, old);
    if (older.Rank() <= reading.Rank()) return reading.Report(DataFileLayout::Current);
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(before), records_.end());
    reading = older;
  } else {
    reading = ReadOldRecords(bytes, old);
  }
  for (int i = 0; i < old.Count(); ++i) records_.push_back(FromOldRecord(old.Items(i)));
  if (old.Count() > 0) messages.Information(kOldFileImportedMessage);
  return reading.Report(DataFileLayout::Old);
}

std::string KeepDamagedOriginal(const std::string& path) {
  const std::string first = path + ".damaged";
  for (int n = 1; n <= kMostDamagedCopies; ++n) {
    const std::string copy = n == 1 ? first : first + std::to_string(n);
    if (FileExists(copy)) continue;
    CopyFileOver(path, copy);
    return copy;
  }
  throw FileError("Cannot keep a copy of \"" + path + "\": the names \"" + first + "\" to \"" + first +
                  std::to_string(kMostDamagedCopies) + "\" are all taken");
}

}  // namespace qc
