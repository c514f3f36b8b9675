// Times the data file, the export and the import engines on generated
// contacts, next to the plain reading and writing of the same bytes.
//   core_bench WORKDIR REPEATS GROUP COUNT...
// GROUP is datafile, export, import, vcard or all. Prints one line per case and count:
//   <group>|<case>|<count>|<median processor ms>|<median wall ms>|<processor ms of each run>
// and with GROUP memory, the resident memory after loading each count's
// book (a process of its own loads it), in MB:
//   memory|<case>|<count>|<MB>|<MB>|<MB>
// The single steps that scripts/bench times as whole processes:
//   core_bench book FILE COUNT      writes the generated book of COUNT contacts
//   core_bench load FILE            loads the data file, and nothing else
//   core_bench read-walk FILE       the minimal reading of the same file
//   core_bench fields import|export the field list for qcard's --fields
// Processor time is the process's user and system time; the wall time is
// printed beside it, as a busy machine disturbs it far more.
// Cases that are compared with each other run in turns (a, b, a, b, ...), so
// that a change in the machine's load falls on both.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/contact_saver.h"
#include "contacts.h"
#include "impexp/export.h"
#include "impexp/field_texts.h"
#include "impexp/import.h"
#include "impexp/import_text.h"
#include "impexp/vcard.h"
#include "platform/files.h"
#include "settings/app_settings.h"

using namespace qc;

namespace {

double Now(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Timing {
  std::vector<double> cpu, wall;
};

// Times `run`, then calls `finish` (not timed).
void TimeOnce(Timing& t, const std::function<void()>& run,
              const std::function<void()>& finish = [] {}) {
  const double cpu = Now(CLOCK_PROCESS_CPUTIME_ID), wall = Now(CLOCK_MONOTONIC);
  run();
  t.cpu.push_back(Now(CLOCK_PROCESS_CPUTIME_ID) - cpu);
  t.wall.push_back(Now(CLOCK_MONOTONIC) - wall);
  finish();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void Report(const char* group, const std::string& name, int count, const Timing& t) {
  std::printf("%s|%s|%d|%.2f|%.2f|", group, name.c_str(), count, Median(t.cpu), Median(t.wall));
  for (size_t i = 0; i < t.cpu.size(); ++i) std::printf("%s%.1f", i ? " " : "", t.cpu[i]);
  std::printf("\n");
  std::fflush(stdout);
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "core_bench: %s\n", what.c_str());
  std::exit(1);
}

// The plain reading of a whole file: one buffer of the file's size, read()
// until the end. The limit that any loader of the same bytes pays.
size_t RawRead(const std::string& path, std::unique_ptr<char[]>& buffer) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail("cannot open " + path);
  struct stat info {};
  ::fstat(fd, &info);
  const auto size = static_cast<size_t>(info.st_size);
  buffer.reset(new char[size]);
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::read(fd, buffer.get() + done, size - done);
    if (n <= 0) Fail("cannot read " + path);
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  return done;
}

// The plain writing of the same bytes with the same promise as a save: they
// are on the disk when it returns (written, then flushed).
void RawWrite(const std::string& path, const std::string& bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) Fail("cannot create " + path);
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n <= 0) Fail("cannot write " + path);
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0) Fail("cannot flush " + path);
  ::close(fd);
}

// The minimal reader of a data file: the whole file read into one buffer,
// then every record stepped over (its seventeen length-prefixed texts, the
// option byte and the reserved bytes), nothing kept. What any loader of the
// file pays at the least. Returns the records stepped over.
size_t ReadAndWalk(const std::string& path) {
  std::unique_ptr<char[]> buffer;
  const size_t size = RawRead(path, buffer);
  const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.get());
  if (size < 40) return 0;
  const uint32_t count = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | uint32_t(bytes[7]) << 24;
  size_t pos = 40, walked = 0;
  for (; walked < count && pos < size; ++walked) {
    for (int t = 0; t < TRecord::kTextCount && pos < size; ++t) pos += 1 + bytes[pos];
    pos += 1 + kRecordReservedBytes;
  }
  if (pos > size) Fail("the file ends inside a record");
  return walked;
}

// The process's resident memory, in MB.
double ResidentMb() {
  long pages = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

struct Ignore : UserMessages {
  void Information(const std::string&) override {}
  void Warning(const std::string&) override {}
  bool Confirm(const std::string&) override { return true; }
};

void DataFile(const std::string& dir, int count, int repeats) {
  const std::string path = dir + "/QUILLCRD.DAT", rawPath = dir + "/raw.bin";
  std::string bytes;
  {
    std::unique_ptr<TDatabase> book = bench::MakeBook(count);
    book->WriteToStream(bytes);
    // The part of a save that is not writing: the file's bytes built in memory.
    Timing save, rawWrite, build;
    for (int r = 0; r < repeats; ++r) {
      TimeOnce(save, [&] { book->SaveToFile(path); });
      TimeOnce(rawWrite, [&] { RawWrite(rawPath, bytes); });
      TimeOnce(build, [&] {
        std::string built;
        book->WriteToStream(built);
      });
    }
    Report("datafile", "save", count, save);
    Report("datafile", "raw write", count, rawWrite);
    Report("datafile", "file bytes built in memory", count, build);

    // A committed change as the window meets it: the save runs on the
    // saver's worker, and the window waits for it only with a small book.
    Timing waited, saved;
    ContactSaver saver(path, book);
    for (int r = 0; r < repeats; ++r) {
      TimeOnce(waited, [&] {
        saver.Save();
        if (count <= kWaitedBookSize) saver.WaitUntilIdle(kSaveWaitLimit);
      });
      saver.WaitUntilIdle();
      TimeOnce(saved, [&] {
        saver.Save();
        saver.WaitUntilIdle();
      });
    }
    if (saver.TakeFailure()) Fail("a save behind the window failed");
    Report("datafile", "change saved: the window waits", count, waited);
    Report("datafile", "change saved: until in the file", count, saved);
  }
  if (ReadWholeFile(path).content != bytes) Fail("the saved file differs from the list's bytes");
  ::unlink(rawPath.c_str());

  // What any load pays for the contacts alone, without a file: the same
  // contacts copied one by one from a list in memory into a new list.
  Timing load, rawRead, readWalk, copy;
  Ignore messages;
  std::unique_ptr<TDatabase> original = std::make_unique<TDatabase>();
  original->LoadFromFile(path, messages);
  for (int r = 0; r < repeats; ++r) {
    std::unique_ptr<TDatabase> book = std::make_unique<TDatabase>();
    TimeOnce(load, [&] { book->LoadFromFile(path, messages); });
    if (book->Count() != count) Fail("load gave " + std::to_string(book->Count()) + " contacts");
    book = std::make_unique<TDatabase>();
    std::unique_ptr<char[]> buffer;
    size_t got = 0;
    TimeOnce(rawRead, [&] { got = RawRead(path, buffer); });
    if (got != bytes.size()) Fail("raw read gave the wrong size");
    buffer.reset();
    size_t walked = 0;
    TimeOnce(readWalk, [&] { walked = ReadAndWalk(path); });
    if (walked != static_cast<size_t>(count)) Fail("read and walk stepped over the wrong count");
    TimeOnce(copy, [&] {
      for (int i = 0; i < count; ++i) book->Add(original->Items(i));
    });
  }
  Report("datafile", "load", count, load);
  Report("datafile", "raw read", count, rawRead);
  Report("datafile", "read and walk", count, readWalk);
  Report("datafile", "contacts copied in memory", count, copy);
}

// The resident memory after a load, measured in a process of its own that
// does nothing before it: the book is generated and saved by another one.
void Memory(const std::string& dir, int count) {
  const std::string path = dir + "/memory-" + std::to_string(count) + ".dat";
  const pid_t maker = fork();
  if (maker == 0) {
    bench::MakeBook(count)->SaveToFile(path);
    _exit(0);
  }
  int status = 0;
  if (maker < 0 || waitpid(maker, &status, 0) != maker || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    Fail("the book for the memory figure could not be made");
  const pid_t loader = fork();
  if (loader == 0) {
    const double before = ResidentMb();
    Ignore messages;
    TDatabase book;
    book.LoadFromFile(path, messages);
    if (book.Count() != count) _exit(1);
    const double after = ResidentMb();
    struct stat info {};
    ::stat(path.c_str(), &info);
    const double file = static_cast<double>(info.st_size) / (1024.0 * 1024.0);
    std::printf("memory|resident after loading|%d|%.1f|%.1f|%.1f\n", count, after, after, after);
    std::printf("memory|resident before loading|%d|%.1f|%.1f|%.1f\n", count, before, before, before);
    std::printf("memory|data file size|%d|%.1f|%.1f|%.1f\n", count, file, file, file);
    std::fflush(stdout);
    _exit(0);
  }
  if (loader < 0 || waitpid(loader, &status, 0) != loader || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    Fail("the memory figure could not be measured");
  ::unlink(path.c_str());
}

std::string ExportPath(const std::string& dir, int count, ExportFormat format) {
  return dir + "/export-" + std::to_string(count) + (format == ExportFormat::Comma ? ".csv" : ".txt");
}

void Export(const std::string& dir, int count, int repeats) {
  AppSettings settings;
  NoProgress none;
  const ExportRequest comma{ExportFieldTexts(settings.FieldNames), ExportFormat::Comma, true};
  const ExportRequest tab{ExportFieldTexts(settings.FieldNames), ExportFormat::Tab, true};
  std::unique_ptr<TDatabase> book = bench::MakeBook(count);
  Timing c, t;
  for (int r = 0; r < repeats; ++r) {
    TimeOnce(c, [&] { ExportContacts(*book, settings.FieldNames, comma, ExportPath(dir, count, ExportFormat::Comma), none); });
    TimeOnce(t, [&] { ExportContacts(*book, settings.FieldNames, tab, ExportPath(dir, count, ExportFormat::Tab), none); });
  }
  Report("export", "export comma", count, c);
  Report("export", "export tab", count, t);
}

void Import(const std::string& dir, int count, int repeats) {
  AppSettings settings;
  NoProgress none;
  const std::string exported = ExportPath(dir, count, ExportFormat::Comma);
  if (!FileExists(exported)) {
    std::unique_ptr<TDatabase> book = bench::MakeBook(count);
    ExportContacts(*book, settings.FieldNames,
                   {ExportFieldTexts(settings.FieldNames), ExportFormat::Comma, true}, exported, none);
  }
  // Every line holds the same name, which the list holds too: the hardest
  // case for the name lookups.
  const std::string sameName = dir + "/same-name-" + std::to_string(count) + ".csv";
  {
    std::string text = "Full Name,Company\r\n";
    for (int i = 0; i < count; ++i) text += "Acme,Line " + std::to_string(i) + "\r\n";
    WriteFileAtomically(sameName, text);
  }
  // The book the lists start from, read back from its data file.
  const std::string dataFile = dir + "/book-" + std::to_string(count) + ".dat";
  bench::MakeBook(count)->SaveToFile(dataFile);

  struct Case {
    const char* name;
    const std::string& file;
    ImportMode mode;
    bool holdsBook;  // the list holds the imported contacts already (else one contact, Acme)
    std::vector<std::string> fields;
    int added, removed;
  };
  const std::vector<std::string> all = ImportFieldTexts(0, settings.FieldNames);
  const std::vector<std::string> two = {kFullNameText, "Company"};
  const std::vector<Case> cases = {
      {"import mode 0, list holds every name", exported, ImportMode::AppendReplaceRecords, true, all, count, count},
      {"import mode 1, list holds every name", exported, ImportMode::AppendRecords, true, all, count, 0},
      {"import mode 2, replaces the list", exported, ImportMode::Replace, true, all, count, count},
      {"import mode 0, one name on every line", sameName, ImportMode::AppendReplaceRecords, false, two, 1, 1},
      {"import mode 1, one name on every line", sameName, ImportMode::AppendRecords, false, two, count, 0},
  };
  Ignore messages;
  for (const Case& c : cases) {
    Timing t;
    for (int r = 0; r < repeats; ++r) {
      auto list = std::make_unique<TDatabase>();
      if (c.holdsBook) {
        list->LoadFromFile(dataFile, messages);
      } else {
        TRecord acme;
        acme.Set(TRecord::kName, "Acme");
        list->Add(std::move(acme));
      }
      ImportRequest request;
      request.separators = ",";
      request.quote = '"';
      request.fields = c.fields;
      request.mode = c.mode;
      request.ignoreFirstLine = true;
      ImportResult result;
      // As qcard does it: the whole file, its lines where they lie, the import.
      TimeOnce(t, [&] {
        ReadResult file = ReadWholeFile(c.file);
        const ImportText text = DecodeImportFile(file.content, TextEncoding::Auto);
        request.linesWithReplacedCharacters = text.linesWithReplacements;
        result = ImportContacts(text.lines, request, settings, list, none);
      });
      if (result.added != c.added || result.removed != c.removed)
        Fail(std::string(c.name) + ": " + std::to_string(result.added) + " added and " +
             std::to_string(result.removed) + " removed");
    }
    Report("import", c.name, count, t);
  }
  ::unlink(sameName.c_str());
  ::unlink(dataFile.c_str());
}

// vCards: the book written as one file, and read back into an empty list
// ("Replace") and into the list that holds every name (mode 0), as qcard
// does it: the whole file read, then the import.
void VCard(const std::string& dir, int count, int repeats) {
  AppSettings settings;
  settings.FieldNames[0] = "E-mail";
  settings.FieldNames[1] = "Notes";
  NoProgress none;
  std::unique_ptr<TDatabase> book = bench::MakeBook(count);
  const std::string path = dir + "/export-" + std::to_string(count) + ".vcf";
  Timing e, replace, known;
  for (int r = 0; r < repeats; ++r) {
    TimeOnce(e, [&] { ExportVCards(*book, settings.FieldNames, path, none); });
    for (ImportMode mode : {ImportMode::Replace, ImportMode::AppendReplaceRecords}) {
      auto list = std::make_unique<TDatabase>();
      if (mode != ImportMode::Replace)
        for (int i = 0; i < book->Count(); ++i) list->Add(book->Items(i));
      VCardImportResult result;
      TimeOnce(mode == ImportMode::Replace ? replace : known, [&] {
        ReadResult file = ReadWholeFile(path);
        result = ImportVCards(file.content, {mode, false, ""}, settings, list, none);
      });
      if (result.counts.added != count || result.damaged != 0) Fail("vcard: not every card came back");
      if (list->Count() != count || !(list->Items(count - 1) == book->Items(count - 1)))
        Fail("vcard: the contacts read back differ");
    }
  }
  ::unlink(path.c_str());
  Report("vcard", "vcard export", count, e);
  Report("vcard", "vcard import mode 2, replaces the list", count, replace);
  Report("vcard", "vcard import mode 0, list holds every name", count, known);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string step = argc > 1 ? argv[1] : "";
  if (step == "book" && argc == 4) {
    bench::MakeBook(std::atoi(argv[3]))->SaveToFile(argv[2]);
    return 0;
  }
  if (step == "load" && argc == 3) {
    Ignore messages;
    TDatabase book;
    book.LoadFromFile(argv[2], messages);
    std::printf("%d\n", book.Count());
    return 0;
  }
  if (step == "read-walk" && argc == 3) {
    std::printf("%zu\n", ReadAndWalk(argv[2]));
    return 0;
  }
  if (step == "fields" && argc == 3) {
    const std::vector<std::string> names = AppSettings().FieldNames;
    std::string list;
    for (const std::string& field : std::string(argv[2]) == "export" ? ExportFieldTexts(names) : ImportFieldTexts(0, names))
      list += (list.empty() ? "" : ",") + field;
    std::printf("%s\n", list.c_str());
    return 0;
  }
  if (argc < 5) {
    std::fprintf(stderr,
                 "usage: core_bench WORKDIR REPEATS datafile|export|import|vcard|memory|all COUNT...\n"
                 "       core_bench book FILE COUNT | load FILE | read-walk FILE | fields import|export\n");
    return 2;
  }
  const std::string dir = argv[1];
  const int repeats = std::atoi(argv[2]);
  const std::string group = argv[3];
  for (int a = 4; a < argc; ++a) {
    const int count = std::atoi(argv[a]);
    if (group == "datafile" || group == "all") DataFile(dir, count, repeats);
    if (group == "export" || group == "all") Export(dir, count, repeats);
    if (group == "import" || group == "all") Import(dir, count, repeats);
    if (group == "memory") Memory(dir, count);
    if (group == "vcard" || group == "all") VCard(dir, count, repeats);
  }
  return 0;
}
