#include "data/letter.h"

namespace qc {

std::string ComposeLetterName(std::string_view name, std::string_view treatment,
                              bool useTreatment) {
  std::string s(name);
  if (auto p = s.find(" ["); p != std::string::npos) s.erase(p);
  if (auto p = s.find('['); p != std::string::npos) s.erase(p);
  if (auto p = s.find(','); p != std::string::npos) {
    std::string before = s.substr(0, p);
    std::string after = p + 2 <= s.size() ? s.substr(p + 2) : std::string();
    s = after + " " + before;
  }
  if (useTreatment && !treatment.empty()) s = std::string(treatment) + " " + s;
  return s;
}

void ApplyOptionByte(PreviewInput& in, int options) { in.options = ChoicesFromOptions(options); }

std::vector<std::string> LetterHeaderLines(const PreviewInput& in) {
  std::vector<std::string> lines;
  const OptionChoices& o = in.options;
  bool company = o.companyL && !in.company.empty();
  if (o.companyFirst && company) lines.push_back(in.company);
  lines.push_back(ComposeLetterName(in.name, in.treatment, o.treatmentL));
  if (o.titleL && !in.title.empty()) lines.push_back(in.title);
  if (!o.companyFirst && company) lines.push_back(in.company);
  for (const std::string* a : {&in.address1, &in.address2, &in.address3})
    if (!a->empty()) lines.push_back(*a);
  return lines;
}

std::vector<std::string> FaxLines(const PreviewInput& in) {
  std::vector<std::string> lines;
  const OptionChoices& o = in.options;
  lines.push_back(ComposeLetterName(in.name, in.treatment, o.treatmentF));
  if (o.titleF && !in.title.empty()) lines.push_back(in.title);
  if (o.companyF && !in.company.empty()) lines.push_back(in.company);
  lines.push_back(in.fax);
  return lines;
}

}  // namespace qc
