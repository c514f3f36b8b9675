#include "data/database.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "data/old_database.h"
#include "platform/files.h"

namespace qc {
namespace {

TRecord FromOldRecord(const TOldRecord& old) {
  TRecord record;
  for (int i = 0; i < TOldRecord::kTextCount; ++i) record.Text(i) = old.Text(i);
  record.Options = old.Options;
  return record;
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

// Reads a current file's header behind the version, and its records. The
// count is not trusted: the loop ends at the first record the bytes cannot
// hold, so nothing is sized by it.
Reading ReadCurrentRecords(ByteReader& in, std::vector<std::unique_ptr<TRecord>>& records) {
  Reading reading;
  int32_t count = 0;
  if (!in.ReadInt32(count)) return reading;
  reading.announced = std::max(count, 0);
  if (!in.Skip(kDataFileReservedBytes)) return reading;
  for (; reading.read < reading.announced; ++reading.read) {
    auto record = std::make_unique<TRecord>();
    if (!record->ReadFromStream(in)) break;
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

// Far more than anyone keeps; the search for a free name ends somewhere.
constexpr int kMostDamagedCopies = 9999;

}  // namespace

void TDatabase::Add(std::unique_ptr<TRecord> record) {
  if (!record) throw std::invalid_argument("TDatabase::Add needs a record");
  records_.push_back(std::move(record));
}

void TDatabase::Delete(int i) {
  if (i < 0 || i >= Count())
    throw std::out_of_range("contact index " + std::to_string(i) + " does not exist");
  records_.erase(records_.begin() + i);
}

void TDatabase::WriteToStream(std::string& out) const {
  PutInt32(out, kDataFileVersion);
  PutInt32(out, static_cast<int32_t>(records_.size()));
  PutZeros(out, kDataFileReservedBytes);
  // Sized first and then filled in place: a big list is written in one pass
  // over memory, without the copies of a growing buffer.
  size_t size = 0;
  for (const auto& record : records_) size += record->StreamSize();
  const size_t start = out.size();
  out.resize(start + size);
  char* at = out.data() + start;
  for (const auto& record : records_) at = record->WriteTo(at);
}

bool TDatabase::ReadFromStream(ByteReader& in) {
  int32_t version = 0;
  if (!in.ReadInt32(version) || version != kDataFileVersion) return false;
  ReadCurrentRecords(in, records_);
  return true;
}

void TDatabase::SaveToFile(const std::string& path) const {
  std::string bytes;
  WriteToStream(bytes);
  WriteFileAtomically(path, bytes);
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
  for (int i = 0; i < old.Count(); ++i)
    records_.push_back(std::make_unique<TRecord>(FromOldRecord(old.Items(i))));
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
