#include <gtest/gtest.h>

#include "qcard_runner.h"
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cli/cli.h"
#include "data/database.h"
#include "platform/files.h"
#include "recording_messages.h"
#include "scratch_dir.h"

namespace qc {
namespace {

using test::ScratchDir;

using test::QcardRun;
using test::Qcard;

void Save(const std::string& path, const std::vector<TRecord>& records) {
  TDatabase db;
  for (const auto& r : records) db.Add(std::make_unique<TRecord>(r));
  db.SaveToFile(path);
}

TRecord Named(const std::string& name) {
  TRecord r;
  r.Set(TRecord::kName, name);
  return r;
}

TEST(QcardList, PrintsOneNamePerLineInFileOrder) {
  ScratchDir dir;
  Save(dir.Path("c.dat"), {Named("Zo\xEB"), Named("Ann\r\nSmith"), Named(""), Named("Zo\xEB")});
  QcardRun r = Qcard({"list", "--data", dir.Path("c.dat")});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "Zo\xC3\xAB\nAnn  Smith\n\nZo\xC3\xAB\n");
  EXPECT_EQ(r.err, "");
}

TEST(QcardList, JsonCarriesEveryFieldEscaped) {
  ScratchDir dir;
  TRecord r;
  for (int i = 1; i < TRecord::kTextCount; ++i) r.Set(i, "v" + std::to_string(i));
  r.Set(TRecord::kName, "Say \"hi\"\\\t\x01\x80");
  r.Set(TRecord::kAddress2, "1\r\n2");
  r.Options = 0x83;
  Save(dir.Path("c.dat"), {r, TRecord()});
  QcardRun run = Qcard({"list", "--json", "--data=" + dir.Path("c.dat")});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.out,
            "{\"Name\":\"Say \\\"hi\\\"\\\\\\t\\u0001\xE2\x82\xAC\",\"Company\":\"v1\",\"Title\":\"v2\","
            "\"Treatment\":\"v3\",\"Address1\":\"v4\",\"Address2\":\"1\\r\\n2\",\"Address3\":\"v6\","
            "\"Fax\":\"v7\",\"Phone\":\"v8\",\"User1\":\"v9\",\"User2\":\"v10\",\"User3\":\"v11\","
            "\"User4\":\"v12\",\"User5\":\"v13\",\"User6\":\"v14\",\"User7\":\"v15\",\"User8\":\"v16\","
            "\"Options\":131}\n"
            "{\"Name\":\"\",\"Company\":\"\",\"Title\":\"\",\"Treatment\":\"\",\"Address1\":\"\","
            "\"Address2\":\"\",\"Address3\":\"\",\"Fax\":\"\",\"Phone\":\"\",\"User1\":\"\",\"User2\":\"\","
            "\"User3\":\"\",\"User4\":\"\",\"User5\":\"\",\"User6\":\"\",\"User7\":\"\",\"User8\":\"\","
            "\"Options\":0}\n");
}

TEST(QcardList, ReadsAnOldDefaultFileWithoutChangingIt) {
  ScratchDir dir;
  // 2.x: count 2, four unused bytes, nine texts and the option byte per contact.
  const std::string old = std::string("\x02\0\0\0\0\0", 6) + "\x03" "Ann" + std::string(8, '\0') + '\x01' +
                          "\x03" "Bob" + std::string(8, '\0') + '\x02';
  dir.Write("QUILLCRD.DAT", old);
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path(""));
  QcardRun r = Qcard({"list"});
  std::filesystem::current_path(previous);
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "Ann\nBob\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(dir.Read("QUILLCRD.DAT"), old);
}

TEST(QcardList, UnreadableFileIsOneLineAndExitCode1) {
  ScratchDir dir;
  for (const std::string& path : {dir.Path("missing.dat"), dir.Path("")}) {
    QcardRun r = Qcard({"list", "--data", path});
    EXPECT_EQ(r.code, 1) << path;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    EXPECT_NE(r.err.find(path), std::string::npos) << r.err;
  }
  EXPECT_TRUE(dir.Entries().empty());  // listing never creates the file
}

TEST(QcardList, BadCommandLinesPrintUsageAndExitCode2) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"list", "--xml"}, {"list", "extra"}, {"list", "--data"}, {"lst"}, {}}) {
    QcardRun r = Qcard(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("usage: qcard list [--data FILE] [--json]"), std::string::npos) << r.err;
  }
}

TEST(QcardList, ProgramReportsThroughItsExitCode) {
  ScratchDir dir;
  Save(dir.Path("c.dat"), {Named("Ann")});
  auto run = [&](const std::string& args) {
    std::string command = std::string("'") + QC_QCARD_EXE + "' " + args + " >'" + dir.Path("out") + "' 2>/dev/null";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(run("list --data '" + dir.Path("c.dat") + "'"), 0);
  EXPECT_EQ(dir.Read("out"), "Ann\n");
  EXPECT_EQ(run("list --data '" + dir.Path("none.dat") + "'"), 1);
  EXPECT_EQ(run("list --bogus"), 2);
}

// ---------------------------------------------------------------- export and import

std::vector<std::string> NamesIn(const std::string& path) {
  ReadResult file = ReadWholeFile(path);
  TDatabase db;
  test::RecordingMessages silent;
  db.LoadFromBytes(file.content, silent);
  std::vector<std::string> names;
  for (int i = 0; i < db.Count(); ++i) names.emplace_back(db.Items(i).Name());
  return names;
}

TEST(QcardExport, WritesTheChosenColumnsWithTheSettingsFieldNames) {
  ScratchDir dir;
  TRecord ann = Named("Ann Lee");
  ann.Set(TRecord::kPhone, "555");
  ann.Set(TRecord::kUser2, "North");
  ann.Options = 3;
  Save(dir.Path("c.dat"), {ann, Named("Bob")});
  dir.Write("q.ini", "[User Fields]\r\nField1=Region\r\n");
  QcardRun r = Qcard({"export", "--data", dir.Path("c.dat"), "--settings", dir.Path("q.ini"), "--fields",
                      "name,Region,Options,Phone#", "--format", "comma", "--out", dir.Path("out.txt")});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "2 contacts exported\n");
  EXPECT_EQ(dir.Read("out.txt"), "name,Region,Options,Phone#\r\n\"Ann Lee\",North,3,555\r\nBob,,0,\r\n");

  r = Qcard({"export", "--data=" + dir.Path("c.dat"), "--fields=Name,Phone#", "--format=tab", "--no-headers",
             "--out", dir.Path("out.txt")});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(dir.Read("out.txt"), "Ann Lee\t555\r\nBob\t\r\n");
}

TEST(QcardExport, FailuresAreOneLineAndExitCode1) {
  ScratchDir dir;
  Save(dir.Path("c.dat"), {Named("Ann")});
  const std::vector<std::vector<std::string>> failing = {
      // "Region" is only a field name with the settings that define it.
      {"export", "--data", dir.Path("c.dat"), "--fields", "Name,Region", "--format", "comma", "--out", dir.Path("o.txt")},
      {"export", "--data", dir.Path("none.dat"), "--fields", "Name", "--format", "comma", "--out", dir.Path("o.txt")},
      {"export", "--data", dir.Path("c.dat"), "--settings", dir.Path("none.ini"), "--fields", "Name", "--format",
       "comma", "--out", dir.Path("o.txt")},
      {"export", "--data", dir.Path("c.dat"), "--fields", "Name", "--format", "tab", "--out", dir.Path("no/o.txt")},
  };
  for (const auto& args : failing) {
    QcardRun r = Qcard(args);
    EXPECT_EQ(r.code, 1) << args[4];
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  }
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"c.dat"});
}

class QcardImportTest : public ::testing::Test {
 protected:
  void SetUp() override { Save(dir.Path("c.dat"), {Named("Ann"), Named("Bob")}); }
  QcardRun Import(std::vector<std::string> extra) {
    std::vector<std::string> args = {"import", "--data", dir.Path("c.dat"), "--in", dir.Path("in.txt")};
    args.insert(args.end(), extra.begin(), extra.end());
    return Qcard(args);
  }
  ScratchDir dir;
};

TEST_F(QcardImportTest, DefaultsAreModeZeroFullNameAndTheDoubleQuote) {
  dir.Write("in.txt", "\"bob\",\"Acme, Inc\"\r\nCyd,Beta\r\n");
  QcardRun r = Import({"--fields", "Full Name,Company", "--separators", ","});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "2 contacts added, 1 removed\n");
  EXPECT_EQ(NamesIn(dir.Path("c.dat")), (std::vector<std::string>{"Ann", "bob", "Cyd"}));
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"c.dat", "in.txt"}));  // no backup unless asked
}

TEST_F(QcardImportTest, EveryOptionReachesTheImport) {
  dir.Write("in.txt", "First\tLast\r\n'Jo\tQ'\tAnn\r\nX\tBob\r\n");
  dir.Write("q.ini", "[Default]\r\nOptions=6\r\n");
  const std::string before = dir.Read("c.dat");
  QcardRun r = Import({"--settings", dir.Path("q.ini"), "--fields", "first name,Last Name", "--tab", "--quote", "'",
                       "--name-layout", "parts", "--mode", "1", "--ignore-first-line", "--backup"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "2 contacts added, 0 removed\n");
  EXPECT_EQ(NamesIn(dir.Path("c.dat")), (std::vector<std::string>{"Ann", "Bob", "Ann, Jo\tQ", "Bob, X"}));
  EXPECT_EQ(dir.Read("QUILLCRD.BAK"), before);

  dir.Write("in.txt", "\"Dee\"");
  r = Import({"--fields", "Full Name", "--separators", ";", "--no-quote", "--mode", "2"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "1 contact added, 4 removed\n");
  EXPECT_EQ(NamesIn(dir.Path("c.dat")), std::vector<std::string>{"\"Dee\""});
}

TEST_F(QcardImportTest, FailuresLeaveTheDataFileUntouched) {
  const std::string before = dir.Read("c.dat");
  dir.Write("in.txt", "Cyd\r\n");
  struct Case {
    std::vector<std::string> args;
    int code;
  };
  const std::vector<Case> cases = {
      {{"--fields", "Full Name,Nickname", "--tab"}, 1},
      {{"--fields", "First Name", "--tab"}, 1},  // only a field of the parts layout
      {{"--fields", "Full Name", "--tab", "--settings", dir.Path("none.ini")}, 1},
      {{"--fields", "Full Name", "--tab", "--in", dir.Path("none.txt")}, 1},
      {{"--fields", "Full Name", "--tab", "--backup", "--data", dir.Path("c.dat"), "--in", dir.Path("")}, 1},
      {{"--fields", "Full Name"}, 2},
      {{"--fields", "Full Name", "--tab", "--separators", ","}, 2},
      {{"--fields", "Full Name", "--separators", ""}, 2},
      {{"--fields", "Full Name", "--tab", "--quote", "ab"}, 2},
      {{"--fields", "Full Name", "--tab", "--quote", "'", "--no-quote"}, 2},
      {{"--fields", "Full Name", "--tab", "--mode", "3"}, 2},
      {{"--fields", "Full Name", "--tab", "--name-layout", "first"}, 2},
      {{"--fields", ",", "--tab"}, 2},
      {{"--tab"}, 2},
  };
  for (const Case& c : cases) {
    QcardRun r = Import(c.args);
    EXPECT_EQ(r.code, c.code) << c.args[1] << " " << r.err;
    EXPECT_EQ(r.out, "");
    if (c.code == 1) {
      EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    } else {
      EXPECT_NE(r.err.find("usage: qcard import"), std::string::npos);
    }
  }
  EXPECT_EQ(dir.Read("c.dat"), before);
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"c.dat", "in.txt"}));
}

TEST_F(QcardImportTest, AMissingDataFileIsNotCreated) {
  dir.Write("in.txt", "Cyd\r\n");
  QcardRun r = Qcard({"import", "--data", dir.Path("new.dat"), "--in", dir.Path("in.txt"), "--fields", "Full Name", "--tab"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("new.dat"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("new.dat")));
}

TEST_F(QcardImportTest, AFailedBackupStopsBeforeTheDataFileChanges) {
  // The backup's place is taken by a folder, so the copy cannot be made.
  std::filesystem::create_directory(dir.Path("QUILLCRD.BAK"));
  const std::string before = dir.Read("c.dat");
  dir.Write("in.txt", "Cyd\r\n");
  QcardRun r = Import({"--fields", "Full Name", "--tab", "--mode", "2", "--backup"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("QUILLCRD.BAK"), std::string::npos) << r.err;
  EXPECT_EQ(dir.Read("c.dat"), before);
}

TEST_F(QcardImportTest, ADamagedDataFileIsKeptBeforeItIsWritten) {
  std::string damaged = dir.Read("c.dat");
  damaged[4] = 3;  // the count promises a third contact the file does not hold
  dir.Write("c.dat", damaged);
  dir.Write("in.txt", "Cyd\r\n");
  std::filesystem::create_directory(dir.Path("c.dat.damaged"));  // the copy cannot be made: nothing is written
  QcardRun r = Import({"--fields", "Full Name", "--tab"});
  EXPECT_TRUE(r.code == 1 && r.err.ends_with("Is a directory); the data file was not changed\n")) << r.err;
  EXPECT_EQ(dir.Read("c.dat"), damaged);
  std::filesystem::remove(dir.Path("c.dat.damaged"));
  r = Import({"--fields", "Full Name", "--tab"});
  EXPECT_EQ(r.err, "qcard: " + dir.Path("c.dat") + " is damaged: 2 of 3 contacts read; the original is kept as " +
                       dir.Path("c.dat.damaged") + "\n");
  EXPECT_EQ(dir.Read("c.dat.damaged"), damaged);
  EXPECT_EQ(NamesIn(dir.Path("c.dat")), (std::vector<std::string>{"Ann", "Bob", "Cyd"}));
}

TEST(QcardVCard, ExportAndImportWithTheirReport) {
  ScratchDir dir;
  TRecord r = Named("Lee, Ann");
  r.Set(TRecord::kUser1, "a@b.org");
  r.Options = 0x2B;
  Save(dir.Path("a.dat"), {r, Named("Bob")});
  Save(dir.Path("b.dat"), {Named("Bob")});
  dir.Write("s.ini", "[User Fields]\r\nField0=Email\r\n");
  QcardRun e = Qcard({"export", "--data", dir.Path("a.dat"), "--settings", dir.Path("s.ini"), "--format", "vcard",
                      "--out", dir.Path("c.vcf")});
  ASSERT_EQ(e.code, 0) << e.err;
  EXPECT_EQ(e.out, "2 contacts exported\n");
  EXPECT_NE(dir.Read("c.vcf").find("EMAIL;TYPE=INTERNET:a@b.org\r\n"), std::string::npos);
  dir.Write("c.vcf", dir.Read("c.vcf") + "BEGIN:VCARD\r\nFN:cut short\r\n");
  QcardRun i = Qcard({"import", "--data", dir.Path("b.dat"), "--settings", dir.Path("s.ini"), "--in",
                      dir.Path("c.vcf"), "--format", "vcard", "--backup"});
  ASSERT_EQ(i.code, 0) << i.err;
  EXPECT_EQ(i.out, "2 contacts added, 1 replaced, 0 skipped, 1 damaged card, 0 with replaced characters, 1 removed\n");
  TDatabase db;
  test::RecordingMessages silent;
  db.LoadFromBytes(ReadWholeFile(dir.Path("b.dat")).content, silent);
  ASSERT_EQ(db.Count(), 2);
  EXPECT_EQ(db.Items(0), r);
  EXPECT_TRUE(FileExists(dir.Path("QUILLCRD.BAK")));
  EXPECT_EQ(Qcard({"import", "--data", dir.Path("b.dat"), "--in", dir.Path("c.vcf"), "--format", "vcard", "--tab"}).code, 2);
}

TEST(QcardExportImport, ARoundTripKeepsEveryField) {
  ScratchDir dir;
  TRecord r;
  for (int i = 0; i < TRecord::kTextCount; ++i) r.Set(i, "v" + std::to_string(i) + ", \"x\"");
  r.Options = 0x55;
  Save(dir.Path("a.dat"), {r, Named("Bob")});
  Save(dir.Path("b.dat"), {});
  std::string fields = "Name,Company,Title,Treatment,Address 1,Address 2,Address 3,Fax#,Phone#,Options,"
                       "User 1,User 2,User 3,User 4,User 5,User 6,User 7,User 8";
  QcardRun e = Qcard({"export", "--data", dir.Path("a.dat"), "--fields", fields, "--format", "tab", "--out", dir.Path("t.txt")});
  ASSERT_EQ(e.code, 0) << e.err;
  std::string importFields = "Full Name" + fields.substr(4);
  QcardRun i = Qcard({"import", "--data", dir.Path("b.dat"), "--in", dir.Path("t.txt"), "--fields", importFields,
                      "--tab", "--no-quote", "--ignore-first-line"});
  ASSERT_EQ(i.code, 0) << i.err;
  ReadResult file = ReadWholeFile(dir.Path("b.dat"));
  TDatabase db;
  test::RecordingMessages silent;
  db.LoadFromBytes(file.content, silent);
  ASSERT_EQ(db.Count(), 2);
  EXPECT_EQ(db.Items(0), r);
  // Bob's empty fields are gone from the TAB line, so his record is shorter.
  EXPECT_EQ(db.Items(1).Name(), "Bob");
}

}  // namespace
}  // namespace qc
