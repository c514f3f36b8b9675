#include "impexp/header_names.h"

#include <array>

#include "common/text.h"
#include "impexp/field_texts.h"

namespace qc {
namespace {

enum class Target {
  FullName, First, Middle, Last, Company, Title, Treatment, Address1, Address2, Address3, City, State,
  PostalCode, Phone, Fax, Options,
  // Reach an additional field named by one of the target's labels.
  Email, Mobile, HomePhone, Web, Notes, Birthday,
};

struct Spelling {
  const char* name;  // as compared: upper case, letters and digits only
  Target target;
};

// The column names recognised, as compared (see Key). Where they come from:
//  - this program's own export header: Name, Company, Title, Treatment,
//    Address 1 to 3, Fax#, Phone#, Options (and the additional field names);
//  - Microsoft Outlook's comma-separated contacts export (its field list as
//    published with its import/export documentation and in the Outlook
//    contacts schema tables): First Name, Middle Name, Last Name, Title (the
//    form of address there, beside Job Title), Company, Job Title, Business
//    Street, Business City, Business State, Business Postal Code, Business
//    Country/Region, Business Phone, Business Fax, Home Phone, Mobile Phone,
//    E-mail Address, Web Page, Notes, Birthday;
//  - Outlook.com / Windows Live Mail exports: Business Address, Business
//    Country, Organization, Display Name, Mobile Phone, Web Page;
//  - Mozilla Thunderbird (and the Netscape address book before it): First
//    Name, Last Name, Display Name, Primary Email, Work Phone, Home Phone,
//    Fax Number, Mobile Number, Work Address, Work City, Work State, Work
//    ZipCode, Work Country, Job Title, Organization, Web Page 1, Notes;
//  - Google Contacts: Name, Given Name, Additional Name, Family Name, Name
//    Prefix, Organization 1 - Name, Organization 1 - Title, E-mail 1 - Value,
//    Address 1 - Street, - City, - Region, - Postal Code, - Country;
//  - the plain spellings web address books and spreadsheets use: Full Name,
//    Company Name, Email, Phone, Fax, Mobile, Cell Phone, Street, City,
//    State, Region, ZIP, ZIP Code, Postal Code, Country, Website, URL, Note.
constexpr Spelling kSpellings[] = {
    // names
    {"NAME", Target::FullName}, {"FULLNAME", Target::FullName}, {"DISPLAYNAME", Target::FullName},
    {"CONTACTNAME", Target::FullName},
    {"FIRSTNAME", Target::First}, {"GIVENNAME", Target::First}, {"FIRST", Target::First},
    {"MIDDLENAME", Target::Middle}, {"ADDITIONALNAME", Target::Middle},
    {"LASTNAME", Target::Last}, {"FAMILYNAME", Target::Last}, {"SURNAME", Target::Last}, {"LAST", Target::Last},
    // company and title
    {"COMPANY", Target::Company}, {"COMPANYNAME", Target::Company}, {"ORGANIZATION", Target::Company},
    {"ORGANISATION", Target::Company}, {"ORGANIZATION1NAME", Target::Company},
    {"TITLE", Target::Title}, {"JOBTITLE", Target::Title}, {"ORGANIZATION1TITLE", Target::Title},
    {"POSITION", Target::Title},
    {"TREATMENT", Target::Treatment}, {"NAMEPREFIX", Target::Treatment}, {"PREFIX", Target::Treatment},
    // the business address
    {"ADDRESS1", Target::Address1}, {"BUSINESSSTREET", Target::Address1}, {"WORKSTREET", Target::Address1},
    {"BUSINESSADDRESS", Target::Address1}, {"WORKADDRESS", Target::Address1}, {"STREET", Target::Address1},
    {"ADDRESS1STREET", Target::Address1},
    {"ADDRESS2", Target::Address2},
    {"ADDRESS3", Target::Address3}, {"BUSINESSCOUNTRYREGION", Target::Address3},
    {"BUSINESSCOUNTRY", Target::Address3}, {"WORKCOUNTRY", Target::Address3}, {"COUNTRY", Target::Address3},
    {"COUNTRYREGION", Target::Address3}, {"ADDRESS1COUNTRY", Target::Address3},
    {"BUSINESSCITY", Target::City}, {"WORKCITY", Target::City}, {"CITY", Target::City},
    {"ADDRESS1CITY", Target::City},
    {"BUSINESSSTATE", Target::State}, {"WORKSTATE", Target::State}, {"STATE", Target::State},
    {"REGION", Target::State}, {"STATEPROVINCE", Target::State}, {"ADDRESS1REGION", Target::State},
    {"BUSINESSPOSTALCODE", Target::PostalCode}, {"WORKPOSTALCODE", Target::PostalCode},
    {"WORKZIPCODE", Target::PostalCode}, {"WORKZIP", Target::PostalCode}, {"POSTALCODE", Target::PostalCode},
    {"ZIP", Target::PostalCode}, {"ZIPCODE", Target::PostalCode}, {"ADDRESS1POSTALCODE", Target::PostalCode},
    // numbers
    {"PHONE", Target::Phone}, {"BUSINESSPHONE", Target::Phone}, {"WORKPHONE", Target::Phone},
    {"TELEPHONE", Target::Phone},
    {"FAX", Target::Fax}, {"BUSINESSFAX", Target::Fax}, {"WORKFAX", Target::Fax}, {"FAXNUMBER", Target::Fax},
    {"OPTIONS", Target::Options},
    // the labels of additional fields
    {"EMAILADDRESS", Target::Email}, {"EMAIL", Target::Email}, {"PRIMARYEMAIL", Target::Email},
    {"EMAIL1VALUE", Target::Email},
    {"MOBILEPHONE", Target::Mobile}, {"MOBILENUMBER", Target::Mobile}, {"MOBILE", Target::Mobile},
    {"CELLPHONE", Target::Mobile}, {"CELL", Target::Mobile},
    {"HOMEPHONE", Target::HomePhone},
    {"WEBPAGE", Target::Web}, {"WEBPAGE1", Target::Web}, {"WEBSITE", Target::Web}, {"WEBADDRESS", Target::Web},
    {"URL", Target::Web}, {"HOMEPAGE", Target::Web},
    {"NOTES", Target::Notes}, {"NOTE", Target::Notes},
    {"BIRTHDAY", Target::Birthday}, {"BIRTHDATE", Target::Birthday},
};

// The contact fields' texts, by target up to Options.
constexpr std::array<const char*, 16> kTargetTexts = {
    kFullNameText, kFirstNameText, kMiddleNameText, kLastNameText, "Company",   "Title",
    "Treatment",   "Address 1",    "Address 2",     "Address 3",   kCityText,   kStateText,
    kPostalCodeText, "Phone#",     "Fax#",          kOptionsText};

// The additional field names that receive a label's columns.
std::vector<const char*> LabelsOf(Target target) {
  switch (target) {
    case Target::Email: return {"E-mail", "Email"};
    case Target::Mobile: return {"Mobile", "Cell"};
    case Target::HomePhone: return {"Home Phone"};
    case Target::Web: return {"Web", "URL", "Homepage"};
    case Target::Notes: return {"Notes", "Note"};
    case Target::Birthday: return {"Birthday"};
    default: return {};
  }
}

// A column name as compared: upper case, letters and digits only.
std::string Key(std::string_view name) {
  std::string key;
  for (char c : UpperCase(name)) {
    const auto u = static_cast<unsigned char>(c);
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || u >= 0xC0) key += c;
  }
  return key;
}

std::optional<Target> TargetOf(const std::string& key) {
  for (const Spelling& s : kSpellings)
    if (key == s.name) return s.target;
  return std::nullopt;
}

// The field text a column reaches, or empty.
std::string FieldFor(std::string_view column, bool hasJobTitle, const std::vector<std::string>& fieldNames) {
  for (int i = 0; i < kAdditionalFieldCount; ++i) {
    const std::string name = AdditionalFieldName(fieldNames, i);
    if (SameText(name, column)) return name;
  }
  const std::string key = Key(column);
  std::optional<Target> target = TargetOf(key);
  if (!target) return {};
  // Beside "Job Title", "Title" is the form of address (Mr., Dr.).
  if (*target == Target::Title && key == "TITLE" && hasJobTitle) target = Target::Treatment;
  const auto index = static_cast<size_t>(*target);
  if (index < kTargetTexts.size()) return kTargetTexts[index];
  for (const char* label : LabelsOf(*target))
    for (int i = 0; i < kAdditionalFieldCount; ++i) {
      const std::string name = AdditionalFieldName(fieldNames, i);
      if (SameText(name, label)) return name;
    }
  return {};
}

}  // namespace

std::optional<HeaderMapping> RecogniseHeader(const std::vector<std::string>& columns,
                                             const std::vector<std::string>& fieldNames) {
  bool hasJobTitle = false;
  for (const std::string& column : columns) hasJobTitle = hasJobTitle || Key(column) == "JOBTITLE";
  std::vector<std::string> fields;
  for (const std::string& column : columns) {
    std::string field = FieldFor(column, hasJobTitle, fieldNames);
    // Each contact field takes the first column that names it.
    if (field.empty() || IndexOfText(fields, field) >= 0) field = kSkipColumnText;
    fields.push_back(std::move(field));
  }
  HeaderMapping mapping;
  const bool fullName = IndexOfText(fields, kFullNameText) >= 0;
  const bool parts = IndexOfText(fields, kFirstNameText) >= 0 || IndexOfText(fields, kLastNameText) >= 0;
  if (!fullName && !parts) return std::nullopt;
  mapping.nameLayout = fullName ? NameLayout::FullName : NameLayout::NameParts;
  for (std::string& field : fields) {
    const bool namePart =
        SameText(field, kFirstNameText) || SameText(field, kMiddleNameText) || SameText(field, kLastNameText);
    if (fullName && namePart) field = kSkipColumnText;
    if (!SameText(field, kSkipColumnText)) ++mapping.recognised;
  }
  const int count = static_cast<int>(columns.size());
  if (mapping.recognised * 2 < count && mapping.recognised < 3) return std::nullopt;
  mapping.fields = std::move(fields);
  return mapping;
}

}  // namespace qc
