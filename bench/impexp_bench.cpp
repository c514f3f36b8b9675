// Times the export and the import engines on generated contacts.
//   impexp_bench WORKDIR COUNT REPEATS [CASE]
// CASE, when given, runs only the cases whose name contains it.
// Prints one line per case: "<case>|<count>|<median ms>|<each run in ms...>".
// The times are the process's processor time (user and system), which a
// busy machine disturbs far less than the time on the wall clock.
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "impexp/export.h"
#include "impexp/field_texts.h"
#include "impexp/import.h"
#include "platform/files.h"
#include "settings/app_settings.h"

using namespace qc;

namespace {

std::unique_ptr<TDatabase> Generate(int count) {
  auto db = std::make_unique<TDatabase>();
  char buffer[64];
  for (int i = 0; i < count; ++i) {
    auto r = std::make_unique<TRecord>();
    std::snprintf(buffer, sizeof buffer, "Contact %07d", i);
    r->Name = buffer;
    r->Company = "Company " + std::to_string(i % 1000) + ", Ltd";
    r->Title = "Dr";
    r->Address1 = std::to_string(i) + " Long Street";
    r->Address2 = "Springfield";
    r->Phone = "555-" + std::to_string(i % 10000);
    r->User1 = "Note \"" + std::to_string(i) + "\"";
    r->Options = static_cast<uint8_t>(i & 0x7F);
    db->Add(std::move(r));
  }
  return db;
}

double CpuMilliseconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

double Milliseconds(const std::function<void()>& run) {
  const double start = CpuMilliseconds();
  run();
  return CpuMilliseconds() - start;
}

void Report(const std::string& name, int count, std::vector<double> runs) {
  std::vector<double> sorted = runs;
  std::sort(sorted.begin(), sorted.end());
  std::printf("%s|%d|%.1f|", name.c_str(), count, sorted[sorted.size() / 2]);
  for (size_t i = 0; i < runs.size(); ++i) std::printf("%s%.1f", i ? " " : "", runs[i]);
  std::printf("\n");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && argc != 5) {
    std::fprintf(stderr, "usage: impexp_bench WORKDIR COUNT REPEATS [CASE]\n");
    return 2;
  }
  const std::string only = argc == 5 ? argv[4] : "";
  auto wanted = [&](const std::string& name) { return name.find(only) != std::string::npos; };
  const std::string dir = argv[1];
  const int count = std::atoi(argv[2]);
  const int repeats = std::atoi(argv[3]);
  AppSettings settings;
  NoProgress none;

  const std::vector<std::string> exportFields = ExportFieldTexts(settings.FieldNames);
  std::vector<std::string> importFields = ImportFieldTexts(0, settings.FieldNames);
  const std::string exportFile = dir + "/export.txt";
  const std::string sameNameFile = dir + "/same-name.txt";

  std::unique_ptr<TDatabase> contacts = Generate(count);
  std::vector<double> runs;
  const std::string exportName = "export (comma, 18 fields)";
  for (int r = 0; r < (wanted(exportName) ? repeats : 1); ++r)
    runs.push_back(Milliseconds([&] {
      ExportContacts(*contacts, settings.FieldNames, {exportFields, ExportFormat::Comma, true}, exportFile, none);
    }));
  if (wanted(exportName)) Report(exportName, count, runs);
  contacts.reset();

  // Every line holds the same name: the worst case for finding known names.
  {
    std::string text = "Full Name,Company\r\n";
    for (int i = 0; i < count; ++i) text += "Acme,Line " + std::to_string(i) + "\r\n";
    WriteFileAtomically(sameNameFile, text);
  }

  struct Case {
    const char* name;
    std::string file;
    ImportMode mode;
    bool existing;  // into a list that already holds every imported name
    std::vector<std::string> fields;
    bool oneLeft = false;  // every line replaces the one before
  };
  const std::vector<Case> cases = {
      {"import mode 0, into empty list", exportFile, ImportMode::AppendReplaceRecords, false, importFields},
      {"import mode 0, every name known", exportFile, ImportMode::AppendReplaceRecords, true, importFields},
      {"import mode 0, one name repeated", sameNameFile, ImportMode::AppendReplaceRecords, false, {"Full Name", "Company"}, true},
      {"import mode 1, every name known", exportFile, ImportMode::AppendRecords, true, importFields},
      {"import mode 1, one name repeated", sameNameFile, ImportMode::AppendRecords, false, {"Full Name", "Company"}},
      {"import mode 2, replace", exportFile, ImportMode::Replace, true, importFields},
  };
  for (const Case& c : cases) {
    if (!wanted(c.name)) continue;
    runs.clear();
    size_t added = 0;
    for (int r = 0; r < repeats; ++r) {
      std::unique_ptr<TDatabase> list = c.existing ? Generate(count) : std::make_unique<TDatabase>();
      if (c.file == sameNameFile && !c.existing) {
        auto acme = std::make_unique<TRecord>();
        acme->Name = "Acme";
        list->Add(std::move(acme));
      }
      ImportRequest request;
      request.separators = ",";
      request.quote = '"';
      request.fields = c.fields;
      request.mode = c.mode;
      request.ignoreFirstLine = true;
      runs.push_back(Milliseconds([&] {
        ReadResult file = ReadWholeFile(c.file);
        std::vector<std::string> lines = SplitIntoLines(file.content);
        added = static_cast<size_t>(ImportContacts(lines, request, settings, list, none).added);
      }));
      const size_t expected = c.oneLeft ? 1 : static_cast<size_t>(count);
      if (added != expected) {
        std::fprintf(stderr, "%s: %zu contacts added, expected %zu\n", c.name, added, expected);
        return 1;
      }
    }
    Report(c.name, count, runs);
  }
  return 0;
}
