// The wizard's stored options on any settings text, through an in-memory
// profile. Input: a control line, then the file. The control line names the
// run written back ("i" anywhere: an import, else an export) and when the
// profile starts refusing writes: no "!", never; one "!", at the first
// write; each further "!" lets one more write through first.
//
// Checked: what is read is usable as it is (field names are never empty and
// hold no comma; the quote is a character or none); a refused write is the
// user's message naming the file; a run's own keys read back as written and
// the other run's keys keep what they held.
#include <algorithm>
#include <cstdint>

#include "common/user_messages.h"
#include "fuzz_check.h"
#include "settings/ini_file.h"
#include "settings/wizard_options.h"

namespace qc::fuzz {
namespace {

class MemoryProfile : public Profile {
 public:
  MemoryProfile(std::string content, int writesAllowed)
      : content_(std::move(content)), writesAllowed_(writesAllowed) {}

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& def) override {
    std::optional<std::string> value = FindIniValue(content_, section, key);
    return value ? *value : ProfileDefaultValue(def);
  }
  bool WriteString(const std::string& section, const std::string& key,
                   const std::string& value) override {
    if (writesAllowed_ == 0) return false;
    if (writesAllowed_ > 0) --writesAllowed_;
    if (!IsWritableSectionName(section) || !IsWritableKeyName(key)) return false;
    content_ = SetIniValue(content_, section, key, OneLineProfileValue(value));
    return true;
  }
  std::string FileName() const override { return kWizardSettingsFileName; }

 private:
  std::string content_;
  int writesAllowed_;  // -1: no limit
};

void CheckUsable(const WizardOptions& o) {
  for (const auto* list : {&o.ImportFields, &o.ExportFields})
    for (const std::string& name : *list) FUZZ_CHECK(!name.empty() && name.find(',') == std::string::npos);
  FUZZ_CHECK(o.QuoteChar().has_value() == (o.Quote >= 1 && o.Quote <= 255));
  if (o.QuoteChar()) FUZZ_CHECK(static_cast<unsigned char>(*o.QuoteChar()) == o.Quote);
  FUZZ_CHECK(o.Separator != kStoredTabSeparator);
  FUZZ_CHECK(o.Filename.size() <= kMaxProfileValueLength);
}

}  // namespace
}  // namespace qc::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qc;
  using namespace qc::fuzz;
  std::string_view rest = Bytes(data, size);
  const std::string_view control = TakeLine(rest);
  const bool isImport = control.find('i') != std::string_view::npos;
  const auto bangs = std::count(control.begin(), control.end(), '!');
  const int writesAllowed = bangs == 0 ? -1 : static_cast<int>(bangs - 1);

  MemoryProfile profile{std::string(rest), writesAllowed};
  const WizardOptions read = ReadWizardOptions(profile);
  CheckUsable(read);

  try {
    WriteWizardOptions(profile, read, isImport);
  } catch (const UserError& e) {
    FUZZ_CHECK(writesAllowed >= 0);
    FUZZ_CHECK(std::string(e.what()) == std::string("Unable to write to ") + kWizardSettingsFileName);
    return 0;
  }
  const int writes = isImport ? 8 : 4;
  FUZZ_CHECK(writesAllowed < 0 || writesAllowed >= writes);

  const WizardOptions back = ReadWizardOptions(profile);
  CheckUsable(back);
  // Both runs: the keys of the import section.
  FUZZ_CHECK(back.ImportFields == read.ImportFields || isImport);
  FUZZ_CHECK(back.Separator == read.Separator);
  FUZZ_CHECK(back.Quote == read.Quote);
  FUZZ_CHECK(back.NameType == read.NameType);
  FUZZ_CHECK(back.ImportType == read.ImportType);
  FUZZ_CHECK(back.IgnoreHeaders == read.IgnoreHeaders);
  FUZZ_CHECK(back.Backup == read.Backup);
  // And of the export section.
  FUZZ_CHECK(back.ExportFields == read.ExportFields || !isImport);
  FUZZ_CHECK(back.ExportType == read.ExportType);
  FUZZ_CHECK(back.AddHeaders == read.AddHeaders);
  return 0;
}
