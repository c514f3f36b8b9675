#include "data/record.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>

namespace qc {
namespace {

constexpr std::array<std::string TRecord::*, TRecord::kTextCount> kTextFields = {
    &TRecord::Name,     &TRecord::Company,  &TRecord::Title,    &TRecord::Treatment,
    &TRecord::Address1, &TRecord::Address2, &TRecord::Address3, &TRecord::Fax,
    &TRecord::Phone,    &TRecord::User1,    &TRecord::User2,    &TRecord::User3,
    &TRecord::User4,    &TRecord::User5,    &TRecord::User6,    &TRecord::User7,
    &TRecord::User8};

std::string TRecord::* FieldAt(int i) {
  if (i < 0 || i >= TRecord::kTextCount)
    throw std::out_of_range("contact field number " + std::to_string(i) + " does not exist");
  return kTextFields[static_cast<size_t>(i)];
}

}  // namespace

std::string TRecord::* TRecord::TextMember(int i) { return FieldAt(i); }

std::string& TRecord::Text(int i) { return this->*FieldAt(i); }

const std::string& TRecord::Text(int i) const { return this->*FieldAt(i); }

void TRecord::WriteToStream(std::string& out) const {
  const size_t start = out.size();
  out.resize(start + StreamSize());
  WriteTo(out.data() + start);
}

size_t TRecord::StreamSize() const {
  size_t size = kTextCount + 1 + kRecordReservedBytes;
  for (auto field : kTextFields) size += std::min((this->*field).size(), kMaxStoredText);
  return size;
}

char* TRecord::WriteTo(char* out) const {
  for (auto field : kTextFields) {
    const std::string& text = this->*field;
    const size_t length = std::min(text.size(), kMaxStoredText);
    *out++ = static_cast<char>(length);
    std::memcpy(out, text.data(), length);
    out += length;
  }
  *out++ = static_cast<char>(Options);
  std::memset(out, 0, kRecordReservedBytes);
  return out + kRecordReservedBytes;
}

bool TRecord::ReadFromStream(ByteReader& in) {
  for (auto field : kTextFields)
    if (!ReadShortText(in, this->*field)) return false;
  return in.ReadByte(Options) && in.Skip(kRecordReservedBytes);
}

}  // namespace qc
