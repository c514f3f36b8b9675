// Hostile files and a full disk: each case ends in a sound result or a clear
// message, and nothing that was saved before is lost.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "qcard_runner.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <climits>
#include <functional>
#include <set>
#include <sstream>

#include "cli/cli.h"
#include "data/database.h"
#include "impexp/import.h"
#include "platform/files.h"
#include "recording_messages.h"
#include "scratch_dir.h"
#include "settings/app_settings.h"
#include "settings/ini_file.h"

namespace qc {
namespace {

using Names = std::vector<std::string>;
using test::RecordingMessages;
using test::ScratchDir;

std::string Le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string Header(int32_t count) { return Le32(300) + Le32(uint32_t(count)) + std::string(32, '\0'); }

std::unique_ptr<TRecord> Contact(const std::string& name, const std::string& company = "") {
  auto r = std::make_unique<TRecord>();
  r->Set(TRecord::kName, name);
  r->Set(TRecord::kCompany, company);
  return r;
}

Names NamesOf(const TDatabase& db) {
  Names names;
  for (int i = 0; i < db.Count(); ++i) names.emplace_back(db.Items(i).Name());
  return names;
}

TDatabase Load(const std::string& path, RecordingMessages& messages) {
  TDatabase db;
  db.LoadFromFile(path, messages);
  return db;
}

using test::QcardRun;
using test::Qcard;

// ---------------------------------------------------------------- data file

TEST(HostileDataFile, HugeCountWithAFewBytesAfterItHoldsNoContactAndLoadsAtOnce) {
  ScratchDir dir;
  const std::string path = dir.Path("QUILLCRD.DAT");
  for (const std::string& after : {std::string("\x03" "An"), std::string(41, '\x01'), std::string()}) {
    const std::string file = Header(INT_MAX) + after;
    dir.Write("QUILLCRD.DAT", file);
    RecordingMessages messages;
    const auto start = std::chrono::steady_clock::now();
    TDatabase db = Load(path, messages);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(db.Count(), 0);
    EXPECT_TRUE(messages.Silent());
    EXPECT_EQ(dir.Read("QUILLCRD.DAT"), file);  // loading never writes

    QcardRun list = Qcard({"list", "--json", "--data", path});
    EXPECT_EQ(list.code, 0) << list.err;
    EXPECT_EQ(list.out, "");
    EXPECT_EQ(list.err, "qcard: " + path + " is damaged: 0 of 2147483647 contacts read\n");
  }

  // Complete contacts before the bytes that cannot be one are kept, and the
  // next save writes a file whose count is true.
  std::string file = Header(INT_MAX);
  for (const char* name : {"Ann", "Bob"}) Contact(name, "Co")->WriteToStream(file);
  dir.Write("QUILLCRD.DAT", file + "\x05" "Cy");
  RecordingMessages messages;
  TDatabase db = Load(path, messages);
  EXPECT_EQ(NamesOf(db), (Names{"Ann", "Bob"}));
  db.SaveToFile(path);
  EXPECT_EQ(dir.Read("QUILLCRD.DAT"), Header(2) + file.substr(40));
}

// The 256 byte values, spread over texts that fit the 255-byte limit.
TRecord EveryByteValue() {
  TRecord r;
  std::string name, company, title;
  for (int b = 0; b < 128; ++b) name += char(b);
  for (int b = 128; b < 256; ++b) company += char(b);
  for (int b = 0; b < 255; ++b) title += char(255 - b);
  r.Set(TRecord::kName, name);
  r.Set(TRecord::kCompany, company);
  r.Set(TRecord::kTitle, title);
  r.Set(TRecord::kUser8, std::string("\0\r\n\x1A\xFF", 5));
  r.Options = 0xFF;
  return r;
}

TEST(HostileDataFile, TextsWithEveryByteValueSurviveSaveAndLoad) {
  ScratchDir dir;
  const std::string path = dir.Path("QUILLCRD.DAT");
  TDatabase db;
  db.Add(std::make_unique<TRecord>(EveryByteValue()));
  db.Add(Contact("after"));
  db.SaveToFile(path);
  RecordingMessages messages;
  TDatabase back = Load(path, messages);
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.Items(0), EveryByteValue());
  EXPECT_EQ(back.Items(1).Name(), "after");
  EXPECT_TRUE(messages.Silent());
}

// Decodes one JSON string value that starts at `pos` (at its opening quote)
// into code points; false on anything that is not valid JSON in UTF-8.
bool DecodeJsonString(const std::string& s, size_t& pos, std::vector<uint32_t>& out) {
  if (pos >= s.size() || s[pos++] != '"') return false;
  while (pos < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[pos++]);
    if (c == '"') return true;
    if (c < 0x20) return false;  // control characters must be escaped
    if (c == '\\') {
      if (pos >= s.size()) return false;
      char e = s[pos++];
      const std::string simple = "\"\\/bfnrt";
      const uint32_t values[] = {'"', '\\', '/', '\b', '\f', '\n', '\r', '\t'};
      if (size_t i = simple.find(e); i != std::string::npos) {
        out.push_back(values[i]);
      } else if (e == 'u' && pos + 4 <= s.size()) {
        out.push_back(static_cast<uint32_t>(std::stoul(s.substr(pos, 4), nullptr, 16)));
        pos += 4;
      } else {
        return false;
      }
      continue;
    }
    int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (extra < 0) return false;
    uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
      if (pos >= s.size() || (static_cast<unsigned char>(s[pos]) >> 6) != 2) return false;
      cp = (cp << 6) | (static_cast<unsigned char>(s[pos++]) & 0x3F);
    }
    out.push_back(cp);
  }
  return false;
}

std::vector<uint32_t> JsonField(const std::string& line, const std::string& key) {
  size_t pos = line.find("\"" + key + "\":");
  EXPECT_NE(pos, std::string::npos) << key;
  if (pos == std::string::npos) return {};
  pos += key.size() + 3;
  std::vector<uint32_t> cps;
  EXPECT_TRUE(DecodeJsonString(line, pos, cps)) << key;
  return cps;
}

TEST(HostileDataFile, TextsWithEveryByteValueListAsDistinctCharactersInJson) {
  ScratchDir dir;
  TDatabase db;
  db.Add(std::make_unique<TRecord>(EveryByteValue()));
  db.SaveToFile(dir.Path("c.dat"));
  QcardRun run = Qcard({"list", "--json", "--data", dir.Path("c.dat")});
  ASSERT_EQ(run.code, 0) << run.err;
  ASSERT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << "one line per contact";

  // The first 128 byte values are the same characters in JSON.
  std::vector<uint32_t> low = JsonField(run.out, "Name");
  ASSERT_EQ(low.size(), 128u);
  for (uint32_t b = 0; b < 128; ++b) EXPECT_EQ(low[b], b);
  // The upper 128 give 128 different characters, none lost to a replacement
  // character; from A0 on they are the same code points.
  std::vector<uint32_t> high = JsonField(run.out, "Company");
  ASSERT_EQ(high.size(), 128u);
  EXPECT_EQ(std::set<uint32_t>(high.begin(), high.end()).size(), 128u);
  for (uint32_t b = 0xA0; b < 0x100; ++b) EXPECT_EQ(high[b - 0x80], b);
  EXPECT_EQ(high[0], 0x20ACu);  // the euro sign of code page 1252
  EXPECT_EQ(JsonField(run.out, "User8"), (std::vector<uint32_t>{0, '\r', '\n', 0x1A, 0xFF}));
  EXPECT_NE(run.out.find("\"Options\":255}"), std::string::npos);
}

// ---------------------------------------------------------------- import

// Long texts are compared with EXPECT_TRUE so that a failure does not print them.
TEST(HostileImport, TenMegabyteLineImportsAndIsCutOnlyWhenSaved) {
  const size_t half = 5u << 20;
  const std::string name(half, 'n'), commas(half, ',');
  const std::string line = name + ",\"" + commas + "\",555";
  ASSERT_GT(line.size(), 10u << 20);

  EXPECT_TRUE(SplitImportLine(line, ",", '"') == (Names{name, commas, "555"}));
  // An unbalanced quote takes the rest of the line into one field.
  EXPECT_TRUE(SplitImportLine("x,\"" + commas + commas, ",", '"') == (Names{"x", commas + commas}));

  ImportRequest request;
  request.separators = ",";
  request.fields = {"Full Name", "Company", "Phone#"};
  request.mode = ImportMode::AppendRecords;
  request.ignoreFirstLine = false;
  auto list = std::make_unique<TDatabase>();
  list->Add(Contact(name, "Kept"));
  NoProgress none;
  ImportResult result = ImportContacts({line, line}, request, AppSettings(), list, none);
  EXPECT_EQ(result.added, 2);
  ASSERT_EQ(list->Count(), 3);
  EXPECT_EQ(list->Items(0).Company(), "Kept");
  EXPECT_TRUE(list->Items(1).Name() == name + " [1]");
  EXPECT_TRUE(list->Items(2).Name() == name + " [2]");
  EXPECT_TRUE(list->Items(2).Company() == commas);
  EXPECT_EQ(list->Items(2).Phone(), "555");

  // The data file keeps the first 255 bytes of each text.
  ScratchDir dir;
  list->SaveToFile(dir.Path("QUILLCRD.DAT"));
  RecordingMessages messages;
  TDatabase back = Load(dir.Path("QUILLCRD.DAT"), messages);
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(back.Items(0).Company(), "Kept");
  EXPECT_EQ(back.Items(2).Name(), std::string(255, 'n'));
  EXPECT_EQ(back.Items(2).Company(), std::string(255, ','));
  EXPECT_EQ(back.Items(2).Phone(), "555");
}

TEST(HostileImport, NulByteOrderMarkMixedLineEndsAndUnbalancedQuotes) {
  ScratchDir dir;
  const std::string data = dir.Path("QUILLCRD.DAT");
  TDatabase before;
  before.Add(Contact("Old", "Old Co"));
  before.SaveToFile(data);
  // A header line that starts with a UTF-8 byte order mark, then CR LF, LF
  // and CR line ends, an unbalanced quote, and a NUL that ends the text.
  static const char kText[] = "\xEF\xBB\xBF" "Full Name,Company\r\n"
                              "Ann,A1\n"
                              "Bob,\"B, Ltd\"\r"
                              "\"Cy,unbalanced\r\n"
                              "\n"
                              "Dee,\"D \"\"1\"\"\"\r\n"
                              "Eve,E\0hidden\r\n"
                              "Fay,never read\r\n";
  const std::string bytes(kText, sizeof kText - 1);
  dir.Write("in.txt", bytes);

  QcardRun run = Qcard({"import", "--data", data, "--in", dir.Path("in.txt"), "--fields", "Full Name,Company",
                        "--separators", ",", "--ignore-first-line"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "5 contacts added, 0 removed\n");
  EXPECT_EQ(dir.Read("in.txt"), bytes);  // the import file is only read

  RecordingMessages messages;
  TDatabase after = Load(data, messages);
  ASSERT_EQ(NamesOf(after), (Names{"Old", "Ann", "Bob", "Cy,unbalanced", "Dee", "Eve"}));
  EXPECT_EQ(after.Items(0).Company(), "Old Co");
  EXPECT_EQ(after.Items(1).Company(), "A1");
  EXPECT_EQ(after.Items(2).Company(), "B, Ltd");
  EXPECT_EQ(after.Items(3).Company(), " ");  // a missing column gets a single space
  EXPECT_EQ(after.Items(4).Company(), "D 1");  // doubled quotes leave nothing
  EXPECT_EQ(after.Items(5).Company(), "E");  // the NUL ends the text
}

// ---------------------------------------------------------------- settings file

TEST(HostileSettingsFile, LongLineBareKeyAndRepeatedSectionReadSoundlyAndSurviveAClose) {
  ScratchDir dir;
  const std::string second = "[options]\r\nHints=0\r\nTray Application=1\r\n";
  const std::string original = "[Options]\r\nFirstTime=0\r\nHints\r\n"
                               "[Default]\r\nTreatment=" + std::string(100 * 1024, 'T') + "\r\nOptions=5\r\n" +
                               second + "[User Fields]\r\nField0=Region\r\n";
  dir.Write("QUILLCRD.INI", original);
  IniFileProfile ini(dir.Path("QUILLCRD.INI"));
  AppSettings settings;
  LoadSettings(ini, settings);
  EXPECT_FALSE(settings.FirstTime);
  EXPECT_TRUE(settings.ShowHints);         // "Hints" without "=" is no key: the default
  EXPECT_FALSE(settings.TrayApplication);  // only the first [Options] section counts
  EXPECT_EQ(settings.DefaultOptions, 5);
  EXPECT_EQ(settings.DefaultTreatment, std::string(1023, 'T'));
  EXPECT_EQ(settings.FieldNames[0], "Region");

  SaveSettings(ini, settings);
  const std::string saved = dir.Read("QUILLCRD.INI");
  EXPECT_NE(saved.find("Hints\r\n"), std::string::npos);  // lines that are no key stay
  EXPECT_NE(saved.find(second), std::string::npos);       // the repeated section stays as it was
  EXPECT_EQ(saved.find(std::string(1024, 'T')), std::string::npos);
  AppSettings again;
  LoadSettings(ini, again);
  EXPECT_EQ(again.ShowHints, settings.ShowHints);
  EXPECT_EQ(again.TrayApplication, settings.TrayApplication);
  EXPECT_EQ(again.DefaultTreatment, settings.DefaultTreatment);
  EXPECT_EQ(again.FieldNames, settings.FieldNames);
  EXPECT_EQ(dir.Entries(), Names{"QUILLCRD.INI"});
}

// ---------------------------------------------------------------- full disk

struct ChildResult {
  int code = -1;
  std::string text;
};

// Runs `body` in a child process whose files cannot grow past `limit` bytes,
// as on a full disk: a write past it fails (EFBIG) instead of ending the
// process. The child's exit code and the text it reports come back.
ChildResult WithFileSizeLimit(rlim_t limit, const std::function<int(std::string&)>& body) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return {};
  pid_t pid = fork();
  if (pid == 0) {
    close(pipefd[0]);
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl = {limit, limit};
    if (setrlimit(RLIMIT_FSIZE, &rl) != 0) _exit(99);
    std::string text;
    int code = body(text);
    (void)!write(pipefd[1], text.data(), text.size());
    _exit(code);
  }
  close(pipefd[1]);
  ChildResult result;
  char buffer[4096];
  for (ssize_t n; (n = read(pipefd[0], buffer, sizeof buffer)) > 0;) result.text.append(buffer, size_t(n));
  close(pipefd[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.code = WEXITSTATUS(status);
  return result;
}

std::unique_ptr<TDatabase> ManyContacts(int n) {
  auto db = std::make_unique<TDatabase>();
  for (int i = 0; i < n; ++i) db->Add(Contact("Contact " + std::to_string(i), std::string(100, 'c')));
  return db;
}

TEST(HostileSaves, NoSpaceLeftFailsCleanlyAndKeepsTheOldFiles) {
  ScratchDir dir;
  const std::string data = dir.Path("QUILLCRD.DAT");
  ManyContacts(2)->SaveToFile(data);
  const std::string oldData = dir.Read("QUILLCRD.DAT");
  dir.Write("QUILLCRD.INI", "[Default]\r\nTreatment=Dear\r\n");
  constexpr rlim_t kLimit = 4096;
  ASSERT_LT(oldData.size(), kLimit);

  // The contacts: the save fails with the file's name and the reason.
  auto big = ManyContacts(100);
  ChildResult save = WithFileSizeLimit(kLimit, [&](std::string& text) {
    try {
      big->SaveToFile(data);
    } catch (const FileError& e) {
      text = e.what();
      return 1;
    }
    return 0;
  });
  EXPECT_EQ(save.code, 1) << "a save that did not fit was reported as done";
  EXPECT_NE(save.text.find(data), std::string::npos) << save.text;
  EXPECT_NE(save.text.find("too large"), std::string::npos) << save.text;
  EXPECT_EQ(dir.Read("QUILLCRD.DAT"), oldData);
  EXPECT_EQ(dir.Entries(), (Names{"QUILLCRD.DAT", "QUILLCRD.INI"}));

  // The settings: the close's message names the file.
  ChildResult settings = WithFileSizeLimit(kLimit, [&](std::string& text) {
    IniFileProfile ini(dir.Path("QUILLCRD.INI"));
    AppSettings s;
    s.DefaultTreatment = std::string(kLimit, 't');
    try {
      SaveSettings(ini, s);
    } catch (const UserError& e) {
      text = e.what();
      return 1;
    }
    return 0;
  });
  EXPECT_EQ(settings.code, 1);
  EXPECT_EQ(settings.text, "Unable to write to QUILLCRD.INI");
  EXPECT_EQ(dir.Read("QUILLCRD.INI").find("Treatment=Dear\r\n"), 11u);
  EXPECT_EQ(dir.Entries(), (Names{"QUILLCRD.DAT", "QUILLCRD.INI"}));

  // qcard's import: a one-line failure, exit code 1, the data file as it was.
  std::string lines;
  for (int i = 0; i < 100; ++i) lines += "Imported " + std::to_string(i) + "," + std::string(100, 'i') + "\r\n";
  dir.Write("in.txt", lines);
  ChildResult import = WithFileSizeLimit(kLimit, [&](std::string& text) {
    QcardRun run = Qcard({"import", "--data", data, "--in", dir.Path("in.txt"), "--fields",
                          "Full Name,Company", "--separators", ","});
    text = run.out + run.err;
    return run.code;
  });
  EXPECT_EQ(import.code, 1);
  EXPECT_EQ(import.text.find('\n'), import.text.size() - 1) << import.text;
  EXPECT_NE(import.text.find(data), std::string::npos) << import.text;
  EXPECT_EQ(dir.Read("QUILLCRD.DAT"), oldData);
  EXPECT_EQ(dir.Entries(), (Names{"QUILLCRD.DAT", "QUILLCRD.INI", "in.txt"}));

  // With room again, the same save goes through.
  big->SaveToFile(data);
  RecordingMessages messages;
  EXPECT_EQ(Load(data, messages).Count(), 100);
}

// ---------------------------------------------------------------- too little memory
// Address-space limits cannot be used with AddressSanitizer, whose shadow
// memory needs the address space: these run in the plain build only.
#if !defined(__SANITIZE_ADDRESS__)

// Runs `body` in a child process whose address space may grow only by
// `room` bytes, and returns what it reports.
std::string WithLittleMemory(size_t room, const std::function<std::string()>& body) {
  int pipefd[2];
  if (pipe(pipefd) != 0) return "no pipe";
  pid_t pid = fork();
  if (pid == 0) {
    close(pipefd[0]);
    long pages = 0;
    if (FILE* statm = fopen("/proc/self/statm", "r")) {
      if (fscanf(statm, "%ld", &pages) != 1) pages = 0;
      fclose(statm);
    }
    const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + room;
    struct rlimit rl = {limit, limit};
    if (pages == 0 || setrlimit(RLIMIT_AS, &rl) != 0) _exit(99);
    std::string text = body();
    (void)!write(pipefd[1], text.data(), text.size());
    _exit(0);
  }
  close(pipefd[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(pipefd[0], buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(n));
  close(pipefd[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) text += "[child failed]";
  return text;
}

TEST(HostileDataFile, ContactsTooBigForMemoryAreReportedNotLoadedHalf) {
  ScratchDir dir;
  // A file far bigger than the memory the reader may use (sparse on disk),
  // and one whose million and a half one-letter contacts do not fit in it.
  const std::string huge = dir.Path("huge.dat"), many = dir.Path("many.dat");
  dir.Write("huge.dat", Header(INT_MAX));
  ASSERT_EQ(truncate(huge.c_str(), off_t(8) << 30), 0);
  std::string contacts = std::string("\x01x", 2) + std::string(41, '\0');
  while (contacts.size() < size_t(43) * 1500000) contacts += contacts;
  contacts.resize(size_t(43) * 1500000);
  dir.Write("many.dat", Header(1500000) + contacts);
  const std::string manyBytes = dir.Read("many.dat");

  const std::string reports = WithLittleMemory(size_t(150) << 20, [&] {
    std::string text;
    for (const std::string& path : {huge, many}) {
      TDatabase db;
      db.Add(Contact("already there"));
      RecordingMessages messages;
      try {
        db.LoadFromFile(path, messages);
        text += "loaded " + std::to_string(db.Count()) + "\n";
      } catch (const FileError& e) {
        text += std::string(e.what()) + " (" + std::to_string(db.Count()) + " contact)\n";
      }
    }
    return text;
  });
  EXPECT_EQ(reports, "Cannot read the contact file \"" + huge + "\": Cannot allocate memory (1 contact)\n"
                     "Cannot read the contact file \"" + many + "\": not enough memory for its contacts (1 contact)\n");
  EXPECT_EQ(std::filesystem::file_size(huge), uintmax_t(8) << 30);
  EXPECT_TRUE(dir.Read("many.dat") == manyBytes);
}

#endif  // !__SANITIZE_ADDRESS__

}  // namespace
}  // namespace qc
