#include "data/database.h"

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
  int32_t count = 0;
  if (!in.ReadInt32(count) || !in.Skip(kDataFileReservedBytes)) return true;
  // The count is not trusted: the loop ends at the first record the bytes
  // cannot hold, so nothing is sized by it.
  for (int32_t i = 0; i < count; ++i) {
    auto record = std::make_unique<TRecord>();
    if (!record->ReadFromStream(in)) break;
    records_.push_back(std::move(record));
  }
  return true;
}

void TDatabase::SaveToFile(const std::string& path) const {
  std::string bytes;
  WriteToStream(bytes);
  WriteFileAtomically(path, bytes);
}

void TDatabase::LoadFromFile(const std::string& path, UserMessages& messages) {
  ReadResult file = ReadWholeFile(path);
  switch (file.status) {
    case ReadStatus::NotFound:
      CreateEmptyFileIfMissing(path);
      return;
    case ReadStatus::Failed:
      throw FileError("Cannot read the contact file \"" + path + "\": " + file.error);
    case ReadStatus::Ok:
      break;
  }
  // Contacts that do not fit in memory: the file is reported as unreadable,
  // so that it is never saved over with what little was read.
  const size_t before = records_.size();
  try {
    LoadFromBytes(file.content, messages);
  } catch (const std::bad_alloc&) {
    records_.resize(before);
    throw FileError("Cannot read the contact file \"" + path + "\": not enough memory for its contacts");
  }
}

void TDatabase::LoadFromBytes(std::string_view bytes, UserMessages& messages) {
  // Too short for a version number: an empty file, as created at first start.
  if (bytes.size() < 4) return;
  ByteReader in(bytes);
  if (ReadFromStream(in)) return;

  TOldDatabase old;
  ByteReader oldIn(bytes);
  old.LoadFromStream(oldIn);
  for (int i = 0; i < old.Count(); ++i)
    records_.push_back(std::make_unique<TRecord>(FromOldRecord(old.Items(i))));
  if (old.Count() > 0) messages.Information(kOldFileImportedMessage);
}

}  // namespace qc
