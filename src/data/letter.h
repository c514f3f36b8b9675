#pragma once
// How a contact is addressed: the composed name, the letter header and the
// fax lines shown beside the contact and sent to Word.
#include <string>
#include <string_view>
#include <vector>

#include "common/option_byte.h"

namespace qc {

// "Smith, John [Acme]" -> "John Smith"; the treatment goes in front when asked.
std::string ComposeLetterName(std::string_view name, std::string_view treatment,
                              bool useTreatment);

// What the previews are built from: the boxes and option boxes as they stand.
struct PreviewInput {
  std::string name, treatment, company, title, address1, address2, address3, fax;
  OptionChoices options;
};

// The seven choices read from an option byte.
void ApplyOptionByte(PreviewInput& in, int options);

std::vector<std::string> LetterHeaderLines(const PreviewInput& in);
std::vector<std::string> FaxLines(const PreviewInput& in);

}  // namespace qc
