#pragma once
// Generated address books for the benchmarks: the same contacts for the same
// count and seed, on Linux and under Wine alike.
//
// The contacts look like a business address book: a "Last, First" name with
// a serial number that keeps every name distinct, a company, a job title, a
// form of address, street, town and post code, phone and (for some) fax
// numbers, an e-mail address in the first additional field, a note in the
// second for every fifth contact (with commas and quotes now and then) and
// the option byte. The file order is not the name order, as in a real book.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "data/database.h"

namespace qc::bench {

class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {  // splitmix64
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }
  template <size_t N>
  const char* Pick(const char* const (&words)[N]) { return words[Below(N)]; }

 private:
  uint64_t state_;
};

inline constexpr const char* kFirstNames[] = {
    "Anna", "Bernard", "Claire", "David", "Elena", "Frank", "Grace", "Henry", "Irene", "James",
    "Karin", "Louis", "Maria", "Nigel", "Olivia", "Peter", "Quentin", "Rosa", "Simon", "Teresa",
    "Ulrich", "Vera", "Walter", "Xavier", "Yvonne", "Zoltan", "Agnes", "Bruno", "Celine", "Dieter"};
inline constexpr const char* kLastNames[] = {
    "Abbott", "Baker", "Castillo", "Dubois", "Eriksson", "Fischer", "Garcia", "Hughes", "Ivanova",
    "Jensen", "Kowalski", "Lambert", "Moreau", "Nakamura", "O'Brien", "Petrov", "Quinn", "Rossi",
    "Schmidt", "Taylor", "Urban", "Van Dijk", "Walker", "Young", "Zimmermann", "Andersson",
    "Bianchi", "Clarke", "De Smet", "Evans"};
inline constexpr const char* kCompanyWords[] = {
    "Northern", "Atlas", "Blue River", "Crown", "Delta", "Evergreen", "First", "Granite", "Harbour",
    "Summit", "Lakeside", "Meridian", "Oak", "Pioneer", "Silver", "Union"};
inline constexpr const char* kCompanyKinds[] = {
    "Trading", "Insurance", "Logistics", "Printing", "Engineering", "Foods", "Textiles", "Software"};
inline constexpr const char* kCompanyForms[] = {"Ltd", "GmbH", "Inc.", "& Co.", "S.A.", "plc"};
inline constexpr const char* kTitles[] = {
    "Sales Manager", "Director", "Purchasing", "Head of Accounts", "Engineer", "Secretary",
    "Managing Director", "Consultant", "Office Manager", "Buyer"};
inline constexpr const char* kTreatments[] = {"Mr.", "Mrs.", "Ms.", "Dr.", "Prof."};
inline constexpr const char* kStreets[] = {
    "High Street", "Station Road", "Church Lane", "Mill Road", "Park Avenue", "Kingsway",
    "Market Place", "Victoria Road", "Bridge Street", "Queens Drive"};
inline constexpr const char* kTowns[] = {
    "London", "Manchester", "Leeds", "Bristol", "Glasgow", "Cardiff", "Hamburg", "Lyon",
    "Rotterdam", "Antwerp", "Milan", "Vienna"};
inline constexpr const char* kNotes[] = {
    "Prefers calls before noon", "Met at the trade fair, \"very keen\"",
    "Christmas card, yes", "Invoices to head office, please", "Do not fax"};

inline std::string Digits(Random& r, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += static_cast<char>('0' + r.Below(10));
  return s;
}

inline std::string LowerNoSpaces(const char* text) {
  std::string s;
  for (const char* p = text; *p; ++p)
    if (*p != ' ' && *p != '\'') s += static_cast<char>(*p >= 'A' && *p <= 'Z' ? *p + 32 : *p);
  return s;
}

// Contact number i (0-based) of a book made with the seed.
inline TRecord MakeContact(Random& r, int i) {
  std::array<std::string, TRecord::kTextCount> t;
  const char* first = r.Pick(kFirstNames);
  const char* last = r.Pick(kLastNames);
  t[TRecord::kName] = std::string(last) + ", " + first + " " + std::to_string(i + 1);
  const char* word = r.Pick(kCompanyWords);
  t[TRecord::kCompany] = std::string(word) + " " + r.Pick(kCompanyKinds) + " " + r.Pick(kCompanyForms);
  t[TRecord::kTitle] = r.Pick(kTitles);
  t[TRecord::kTreatment] = r.Pick(kTreatments);
  t[TRecord::kAddress1] = std::to_string(1 + r.Below(250)) + " " + r.Pick(kStreets);
  t[TRecord::kAddress2] = r.Pick(kTowns);
  if (r.Below(2) == 0) t[TRecord::kAddress3] = Digits(r, 5);
  t[TRecord::kPhone] = "+44 20 " + Digits(r, 4) + " " + Digits(r, 4);
  if (r.Below(3) == 0) t[TRecord::kFax] = "+44 20 " + Digits(r, 4) + " " + Digits(r, 4);
  t[TRecord::kUser1] = LowerNoSpaces(first) + "." + LowerNoSpaces(last) + "@" + LowerNoSpaces(word) + ".example";
  if (r.Below(5) == 0) t[TRecord::kUser2] = r.Pick(kNotes);
  const auto options = static_cast<uint8_t>(r.Below(128));
  std::array<std::string_view, TRecord::kTextCount> views;
  for (size_t f = 0; f < t.size(); ++f) views[f] = t[f];
  return TRecord(views, options);
}

inline std::unique_ptr<TDatabase> MakeBook(int count, uint64_t seed = 2024) {
  Random r(seed);
  auto book = std::make_unique<TDatabase>();
  book->Reserve(count);
  for (int i = 0; i < count; ++i) book->Add(MakeContact(r, i));
  return book;
}

}  // namespace qc::bench
