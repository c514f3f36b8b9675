#pragma once
// One contact: seventeen 8-bit texts and the option byte.
#include <cstdint>
#include <string>

#include "data/byte_io.h"

namespace qc {

// Options is the option byte: the letter-header and fax choices, one bit
// each (common/option_byte.h).
struct TRecord {
  std::string Name, Company, Title, Treatment, Address1, Address2, Address3, Fax, Phone,
      User1, User2, User3, User4, User5, User6, User7, User8;
  uint8_t Options = 0;

  static constexpr int kTextCount = 17;

  // The texts by field number, 0 (Name) to 16 (User8), in file order.
  // Throws std::out_of_range for any other number.
  std::string& Text(int i);
  const std::string& Text(int i) const;

  // The member behind Text(i), for code that reads the same field of many
  // contacts. Throws std::out_of_range like Text.
  static std::string TRecord::* TextMember(int i);

  // Appends the record's bytes: each text as a length byte and at most 255
  // bytes (longer texts are cut), the option byte, then 24 zero bytes.
  void WriteToStream(std::string& out) const;

  // The number of bytes WriteToStream appends.
  size_t StreamSize() const;

  // Writes the same bytes as WriteToStream at `out`, which must have room for
  // StreamSize() bytes; returns the position just behind them.
  char* WriteTo(char* out) const;

  // Reads one record. False when the bytes end before the record does; the
  // record is then incomplete and must not be used.
  bool ReadFromStream(ByteReader& in);

  bool operator==(const TRecord&) const = default;
};

// Bytes written as zero after each record's option byte and skipped on reading.
constexpr size_t kRecordReservedBytes = 24;

}  // namespace qc
