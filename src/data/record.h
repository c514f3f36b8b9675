#pragma once
// One contact: seventeen 8-bit texts and the option byte.
//
// The texts live in one block of memory per contact: the end of each text
// (17 offsets of 32 bits), then the texts one after the other. A contact
// with no text holds no block. Reading a text gives a view into the block,
// valid until that contact is changed or destroyed; moving a contact (in a
// list that grows, say) moves the block whole, so views stay valid then.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "data/byte_io.h"

namespace qc {

class TRecord {
 public:
  static constexpr int kTextCount = 17;
  // A text as read; const, so that assigning to it is refused rather than
  // lost (Set changes a text).
  using TextView = const std::string_view;
  // The field numbers of the texts, in file order.
  enum Field : int {
    kName, kCompany, kTitle, kTreatment, kAddress1, kAddress2, kAddress3, kFax, kPhone,
    kUser1, kUser2, kUser3, kUser4, kUser5, kUser6, kUser7, kUser8
  };

  TRecord() = default;
  // A contact with these texts, in field order, and this option byte.
  explicit TRecord(std::span<const std::string_view, kTextCount> texts, uint8_t options = 0);
  TRecord(const TRecord& other);
  TRecord& operator=(const TRecord& other);
  TRecord(TRecord&&) noexcept = default;
  TRecord& operator=(TRecord&&) noexcept = default;
  ~TRecord() = default;

  // The text of field i, 0 (Name) to 16 (User8). Throws std::out_of_range
  // for any other number.
  TextView Text(int i) const;
  // Gives field i a new text; the other texts stay. Throws std::out_of_range
  // like Text. The text may be a view of this contact's own texts.
  void Set(int i, std::string_view text);

  TextView Name() const { return At(kName); }
  TextView Company() const { return At(kCompany); }
  TextView Title() const { return At(kTitle); }
  TextView Treatment() const { return At(kTreatment); }
  TextView Address1() const { return At(kAddress1); }
  TextView Address2() const { return At(kAddress2); }
  TextView Address3() const { return At(kAddress3); }
  TextView Fax() const { return At(kFax); }
  TextView Phone() const { return At(kPhone); }
  TextView User1() const { return At(kUser1); }
  TextView User2() const { return At(kUser2); }
  TextView User3() const { return At(kUser3); }
  TextView User4() const { return At(kUser4); }
  TextView User5() const { return At(kUser5); }
  TextView User6() const { return At(kUser6); }
  TextView User7() const { return At(kUser7); }
  TextView User8() const { return At(kUser8); }

  // Appends the record's bytes: each text as a length byte and at most 255
  // bytes (longer texts are cut), the option byte, then 24 zero bytes.
  void WriteToStream(std::string& out) const;

  // The number of bytes WriteToStream appends.
  size_t StreamSize() const;

  // Writes the same bytes as WriteToStream at `out`, which must have room for
  // StreamSize() bytes; returns the position just behind them.
  char* WriteTo(char* out) const;

  // Reads one record, replacing this one's texts and option byte. False when
  // the bytes end before the record does; the reader has then consumed
  // nothing and this record is unchanged.
  bool ReadFromStream(ByteReader& in);

  bool operator==(const TRecord& other) const;

 private:
  static constexpr size_t kHeaderBytes = kTextCount * sizeof(uint32_t);

  uint32_t End(int i) const;
  size_t TextBytes() const { return block_ ? End(kTextCount - 1) : 0; }
  std::string_view At(int i) const {
    if (!block_) return std::string_view("", 0);  // never a null pointer, which memcpy must not get
    const uint32_t start = i == 0 ? 0 : End(i - 1);
    return {block_.get() + kHeaderBytes + start, End(i) - start};
  }

  std::unique_ptr<char[]> block_;  // null: every text is empty

 public:
  // The option byte: the letter-header and fax choices, one bit each
  // (common/option_byte.h).
  uint8_t Options = 0;
};

// Bytes written as zero after each record's option byte and skipped on reading.
constexpr size_t kRecordReservedBytes = 24;

}  // namespace qc
