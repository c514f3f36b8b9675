#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "cli/cli.h"
#include "data/database.h"
#include "scratch_dir.h"

namespace qc {
namespace {

using test::ScratchDir;

struct QcardRun {
  int code;
  std::string out, err;
};

QcardRun Qcard(std::vector<std::string> args) {
  args.insert(args.begin(), "qcard");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  int code = RunQcard(static_cast<int>(args.size()), argv.data(), out, err);
  return {code, out.str(), err.str()};
}

void Save(const std::string& path, const std::vector<TRecord>& records) {
  TDatabase db;
  for (const auto& r : records) db.Add(std::make_unique<TRecord>(r));
  db.SaveToFile(path);
}

TRecord Named(const std::string& name) {
  TRecord r;
  r.Name = name;
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
  for (int i = 1; i < TRecord::kTextCount; ++i) r.Text(i) = "v" + std::to_string(i);
  r.Name = "Say \"hi\"\\\t\x01\x80";
  r.Address2 = "1\r\n2";
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

}  // namespace
}  // namespace qc
