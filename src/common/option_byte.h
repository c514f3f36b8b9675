#pragma once
// A contact's option byte: how the contact is addressed in a letter header
// and on a fax, one bit for each of the seven option boxes. A contact keeps
// it in the data file, the defaults keep the one of a new contact; bit 7 is
// never set by the program but is kept as read.
#include <cstdint>

namespace qc {

inline constexpr int kOptionCompanyFirst = 1 << 0;  // the letter's "First Item" is "Company"
inline constexpr int kOptionCompanyL = 1 << 1;      // the letter uses the company
inline constexpr int kOptionTitleL = 1 << 2;        // the letter uses the title
inline constexpr int kOptionTreatmentL = 1 << 3;    // the letter uses the treatment
inline constexpr int kOptionCompanyF = 1 << 4;      // the fax uses the company
inline constexpr int kOptionTitleF = 1 << 5;        // the fax uses the title
inline constexpr int kOptionTreatmentF = 1 << 6;    // the fax uses the treatment

// The seven choices as the option boxes show them.
struct OptionChoices {
  bool companyFirst = false;
  bool companyL = false, titleL = false, treatmentL = false;
  bool companyF = false, titleF = false, treatmentF = false;
  bool operator==(const OptionChoices&) const = default;
};

constexpr OptionChoices ChoicesFromOptions(int options) {
  OptionChoices c;
  c.companyFirst = options & kOptionCompanyFirst;
  c.companyL = options & kOptionCompanyL;
  c.titleL = options & kOptionTitleL;
  c.treatmentL = options & kOptionTreatmentL;
  c.companyF = options & kOptionCompanyF;
  c.titleF = options & kOptionTitleF;
  c.treatmentF = options & kOptionTreatmentF;
  return c;
}

// The option byte of the seven choices (bit 7 clear).
constexpr int OptionsFromChoices(const OptionChoices& c) {
  return (c.companyFirst ? kOptionCompanyFirst : 0) | (c.companyL ? kOptionCompanyL : 0) |
         (c.titleL ? kOptionTitleL : 0) | (c.treatmentL ? kOptionTreatmentL : 0) |
         (c.companyF ? kOptionCompanyF : 0) | (c.titleF ? kOptionTitleF : 0) |
         (c.treatmentF ? kOptionTreatmentF : 0);
}

// The option byte a whole number holds (a setting, an imported "Options"
// column): its low eight bits.
constexpr uint8_t OptionByte(int32_t value) { return static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFF); }

}  // namespace qc
