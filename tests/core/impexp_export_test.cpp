// Writing contacts as delimited text: line formatting, columns, headers and
// the file itself.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <stdexcept>

#include "impexp/export.h"
#include "platform/files.h"
#include "scratch_dir.h"
#include "settings/app_settings.h"

namespace qc {
namespace {

using Names = std::vector<std::string>;
using test::ScratchDir;

TRecord Contact(const Names& texts, uint8_t options = 0) {
  TRecord r;
  for (size_t i = 0; i < texts.size(); ++i) r.Set(static_cast<int>(i), texts[i]);
  r.Options = options;
  return r;
}

TDatabase ListOf(const std::vector<TRecord>& records) {
  TDatabase db;
  for (const TRecord& r : records) db.Add(std::make_unique<TRecord>(r));
  return db;
}

class CountingProgress : public ProgressSink {
 public:
  std::vector<int> calls;  // the maximum as -1 - max, then the positions
  void SetProgressMax(int n) override { calls.push_back(-1 - n); }
  void SetProgressPosition(int i) override { calls.push_back(i); }
};

std::string Build(const TDatabase& db, const Names& fields, ExportFormat format, bool headers,
                  const Names& fieldNames = DefaultFieldNames()) {
  NoProgress none;
  return BuildExportText(db, fieldNames, {fields, format, headers}, none);
}

TEST(FormatExportLine, CommaQuotesOnlyWhatNeedsIt) {
  auto comma = [](const Names& v) { return FormatExportLine(v, ExportFormat::Comma); };
  EXPECT_EQ(comma({"Smith", "", "555-1234"}), "Smith,,555-1234");
  EXPECT_EQ(comma({"Address 1", "Fax#"}), "\"Address 1\",Fax#");
  EXPECT_EQ(comma({"Smith, John"}), "\"Smith, John\"");
  EXPECT_EQ(comma({"say \"hi\""}), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(comma({"a\tb", "c\x1f", "d\x7f", "\xe9t\xe9"}), "\"a\tb\",\"c\x1f\",d\x7f,\xe9t\xe9");
  EXPECT_EQ(comma({""}), "\"\"");
  EXPECT_EQ(comma({"", ""}), ",");
  EXPECT_EQ(comma({}), "");
}

TEST(FormatExportLine, TabWritesValuesUnchanged) {
  EXPECT_EQ(FormatExportLine({"Smith, John", "say \"hi\"", "", "x y"}, ExportFormat::Tab),
            "Smith, John\tsay \"hi\"\t\tx y");
  EXPECT_EQ(FormatExportLine({""}, ExportFormat::Tab), "");
}

TEST(ExportContacts, HeaderAndColumnsInChosenOrder) {
  TDatabase db = ListOf({Contact({"Ann", "", "", "", "", "", "", "", "555-1"}),
                         Contact({"Bob Ray", "Acme", "Dr"}, 7)});
  EXPECT_EQ(Build(db, {"Name", "Title", "Phone#"}, ExportFormat::Comma, true),
            "Name,Title,Phone#\r\nAnn,,555-1\r\n\"Bob Ray\",Dr,\r\n");
  // Column order is the chosen order, whatever the field order; case is ignored.
  EXPECT_EQ(Build(db, {"options", "COMPANY", "Name"}, ExportFormat::Tab, false),
            "0\t\tAnn\r\n7\tAcme\tBob Ray\r\n");
}

TEST(ExportContacts, EveryFieldReachesItsColumn) {
  TRecord r;
  for (int i = 0; i < TRecord::kTextCount; ++i) r.Set(i, "v" + std::to_string(i));
  r.Options = 255;
  Names fieldNames = {"Region", "B", "C", "D", "E", "F", "G", "Last"};
  TDatabase db = ListOf({r});
  std::string text = Build(db,
                           {"Name", "Company", "Title", "Treatment", "Address 1", "Address 2", "Address 3",
                            "Fax#", "Phone#", "Options", "Region", "B", "C", "D", "E", "F", "G", "Last"},
                           ExportFormat::Tab, false, fieldNames);
  EXPECT_EQ(text, "v0\tv1\tv2\tv3\tv4\tv5\tv6\tv7\tv8\t255\tv9\tv10\tv11\tv12\tv13\tv14\tv15\tv16\r\n");
}

TEST(ExportContacts, OneEmptyColumnAndEmptyLists) {
  TDatabase db = ListOf({Contact({"Ann"}), Contact({"Bob", "Acme"})});
  EXPECT_EQ(Build(db, {"Company"}, ExportFormat::Comma, false), "\"\"\r\nAcme\r\n");
  EXPECT_EQ(Build(db, {"Company"}, ExportFormat::Tab, false), "\r\nAcme\r\n");
  TDatabase empty;
  EXPECT_EQ(Build(empty, {"Name", "Address 1"}, ExportFormat::Comma, true), "Name,\"Address 1\"\r\n");
  EXPECT_EQ(Build(empty, {"Name"}, ExportFormat::Comma, false), "");
}

TEST(ExportContacts, AFieldNamedLikeABuiltInOneTakesItsColumn) {
  // "title" as the first additional field: both look up column 1; the later
  // field in field order (User1) keeps it and the data lines are one short.
  Names fieldNames = DefaultFieldNames();
  fieldNames[0] = "title";
  TRecord r = Contact({"Ann", "", "Dr"});
  r.Set(TRecord::kUser1, "u1");
  TDatabase db = ListOf({r});
  EXPECT_EQ(Build(db, {"Name", "Title", "title"}, ExportFormat::Comma, true, fieldNames),
            "Name,Title,title\r\nAnn,u1\r\n");
}

TEST(ExportContacts, TextsThatAreNotFieldsAreLeftOut) {
  TDatabase db = ListOf({Contact({"Ann", "Acme"})});
  EXPECT_EQ(Build(db, {"Full Name", "Company", "Company"}, ExportFormat::Comma, true),
            "\"Full Name\",Company,Company\r\nAcme\r\n");
}

TEST(ExportContacts, ReportsProgressPerContact) {
  TDatabase db = ListOf({Contact({"A"}), Contact({"B"}), Contact({"C"})});
  CountingProgress progress;
  BuildExportText(db, DefaultFieldNames(), {{"Name"}, ExportFormat::Comma, false}, progress);
  EXPECT_EQ(progress.calls, (std::vector<int>{-4, 0, 1, 2}));
}

TEST(ExportContacts, ReplacesTheFileWholeOrNotAtAll) {
  ScratchDir dir;
  dir.Write("out.txt", std::string(5000, 'x'));
  TDatabase db = ListOf({Contact({"Ann"})});
  NoProgress none;
  EXPECT_EQ(ExportContacts(db, DefaultFieldNames(), {{"Name"}, ExportFormat::Comma, true}, dir.Path("out.txt"), none), 1);
  EXPECT_EQ(dir.Read("out.txt"), "Name\r\nAnn\r\n");

  // A missing folder: the failure is reported and nothing is created.
  EXPECT_THROW(ExportContacts(db, DefaultFieldNames(), {{"Name"}, ExportFormat::Comma, true},
                              dir.Path("no/out.txt"), none),
               FileError);
  // A folder that refuses new files: the old file stays as it was.
  ASSERT_EQ(::chmod(dir.Path("").c_str(), 0555), 0);
  if (::geteuid() != 0) {
    TDatabase other = ListOf({Contact({"Bob"})});
    EXPECT_THROW(ExportContacts(other, DefaultFieldNames(), {{"Name"}, ExportFormat::Comma, true},
                                dir.Path("out.txt"), none),
                 FileError);
    EXPECT_EQ(dir.Read("out.txt"), "Name\r\nAnn\r\n");
  }
  ::chmod(dir.Path("").c_str(), 0755);
  EXPECT_EQ(dir.Entries(), Names{"out.txt"});
}

TEST(ExportContacts, FailureWhileBuildingLeavesTheFileAlone) {
  ScratchDir dir;
  dir.Write("out.txt", "old");
  struct Failing : ProgressSink {
    void SetProgressMax(int) override {}
    void SetProgressPosition(int i) override {
      if (i == 1) throw std::runtime_error("stopped");
    }
  } failing;
  TDatabase db = ListOf({Contact({"Ann"}), Contact({"Bob"})});
  EXPECT_THROW(ExportContacts(db, DefaultFieldNames(), {{"Name"}, ExportFormat::Comma, false},
                              dir.Path("out.txt"), failing),
               std::runtime_error);
  EXPECT_EQ(dir.Read("out.txt"), "old");
}

}  // namespace
}  // namespace qc
