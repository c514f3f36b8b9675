#include "data/old_database.h"

#include <array>
#include <stdexcept>

#include "platform/files.h"

namespace qc {
namespace {

constexpr std::array<std::string TOldRecord::*, TOldRecord::kTextCount> kOldTextFields = {
    &TOldRecord::Name,     &TOldRecord::Company,  &TOldRecord::Title,
    &TOldRecord::Treatment, &TOldRecord::Address1, &TOldRecord::Address2,
    &TOldRecord::Address3, &TOldRecord::Fax,      &TOldRecord::Phone};

}  // namespace

const std::string& TOldRecord::Text(int i) const {
  if (i < 0 || i >= kTextCount)
    throw std::out_of_range("2.x contact field number " + std::to_string(i) + " does not exist");
  return this->*kOldTextFields[static_cast<size_t>(i)];
}

bool TOldRecord::ReadFromStream(ByteReader& in) {
  for (auto field : kOldTextFields)
    if (!ReadShortText(in, this->*field)) return false;
  return in.ReadByte(Options);
}

void TOldDatabase::LoadFromFile(const std::string& path) {
  ReadResult file = ReadWholeFile(path);
  if (file.status != ReadStatus::Ok) return;
  ByteReader in(file.content);
  LoadFromStream(in);
}

int TOldDatabase::LoadFromStream(ByteReader& in) {
  int16_t count = 0;
  if (!in.ReadInt16(count)) return 0;
  if (!in.Skip(kHeaderBytes - sizeof count)) return count;
  // The count is not trusted: the loop ends at the first record the bytes
  // cannot hold, so nothing is sized by it.
  for (int i = 0; i < count; ++i) {
    auto record = std::make_unique<TOldRecord>();
    if (!record->ReadFromStream(in)) break;
    records_.push_back(std::move(record));
  }
  return count;
}

}  // namespace qc
