// The import's encodings, recognised header lines, skipped columns, trial
// run and the copy an undo puts back.
#include <gtest/gtest.h>

#include "impexp/field_texts.h"
#include "impexp/header_names.h"
#include "impexp/import.h"
#include "impexp/import_text.h"
#include "qcard_runner.h"
#include "recording_messages.h"
#include "scratch_dir.h"

namespace qc {
namespace {

using Names = std::vector<std::string>;

Names Lines(const ImportText& t) { return {t.lines.begin(), t.lines.end()}; }

std::string Utf16(std::string_view ascii, bool big) {
  std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : ascii) out += big ? std::string{'\0', c} : std::string{c, '\0'};
  return out;
}

TEST(ImportText, EncodingsFoundAndConvertedLineByLine) {
  // A spreadsheet's "Unicode Text": UTF-16 with its mark, TAB-separated; "é" is 00E9, a CJK character 4E2D.
  std::string le = Utf16("Name\tCity\r\nRen", false) + std::string("\xE9\x00", 2) + Utf16("\tX\r\n", false).substr(2) +
                   std::string("\x2D\x4E", 2) + Utf16("\tY", false).substr(2);
  ImportText t = DecodeImportFile(le, TextEncoding::Auto);
  EXPECT_EQ(t.encoding, FoundEncoding::Utf16LittleEndian);
  EXPECT_EQ(Lines(t), (Names{"Name\tCity", "Ren\xE9\tX", "?\tY"}));
  EXPECT_EQ(t.linesWithReplacements, std::vector<size_t>{2});
  ImportText be = DecodeImportFile(Utf16("Ann\nBob\n", true), TextEncoding::Auto);
  EXPECT_EQ(be.encoding, FoundEncoding::Utf16BigEndian);
  EXPECT_EQ(Lines(be), (Names{"Ann", "Bob"}));

  // UTF-8 without a mark, as web address books write it.
  ImportText u8 = DecodeImportFile("Ren\xC3\xA9\r\nAnn\r\n\xE4\xB8\xAD", TextEncoding::Auto);
  EXPECT_EQ(u8.encoding, FoundEncoding::Utf8);
  EXPECT_EQ(Lines(u8), (Names{"Ren\xE9", "Ann", "?"}));
  EXPECT_EQ(u8.linesWithReplacements, std::vector<size_t>{2});

  // Code page 1252 that holds a well-formed UTF-8 pair ("Ã©") only by chance,
  // beside a byte that is not UTF-8: read as it is, as before.
  const std::string cp = "Caf\xC3\xA9\r\nRen\xE9";
  ImportText c = DecodeImportFile(cp, TextEncoding::Auto);
  EXPECT_EQ(c.encoding, FoundEncoding::Cp1252);
  EXPECT_EQ(Lines(c), (Names{"Caf\xC3\xA9", "Ren\xE9"}));
  EXPECT_EQ(c.lines[0].data(), cp.data());  // not copied
  // The user's choice wins; pure ASCII stays code page 1252.
  EXPECT_EQ(Lines(DecodeImportFile("Caf\xC3\xA9", TextEncoding::Cp1252)), Names{"Caf\xC3\xA9"});
  EXPECT_EQ(DecodeImportFile("Ann", TextEncoding::Auto).encoding, FoundEncoding::Cp1252);
}

TEST(HeaderNames, ExportsOfSeveralProgramsAreRecognised) {
  AppSettings s;
  s.FieldNames = {"E-mail", "Mobile", "Notes", "User 4", "User 5", "User 6", "User 7", "User 8"};
  const std::string skip = kSkipColumnText;
  // An Outlook-style export: "Title" is the form of address beside "Job Title".
  auto outlook = RecogniseHeader({"Title", "First Name", "Middle Name", "Last Name", "Suffix", "Company",
                                  "Job Title", "Business Street", "Business Street 2", "Business City",
                                  "Business State", "Business Postal Code", "Business Country/Region",
                                  "Business Fax", "Business Phone", "Mobile Phone", "E-mail Address", "Notes"},
                                 s.FieldNames);
  ASSERT_TRUE(outlook);
  EXPECT_EQ(outlook->nameLayout, NameLayout::NameParts);
  EXPECT_EQ(outlook->fields, (Names{"Treatment", "First Name", "Middle Name", "Last Name", skip, "Company", "Title",
                                    "Address 1", skip, "City", "State", "Postal Code", "Address 3", "Fax#",
                                    "Phone#", "Mobile", "E-mail", "Notes"}));
  // Thunderbird-style: the display name wins over the parts; unknown labels are skipped.
  auto tb = RecogniseHeader({"First Name", "Last Name", "Display Name", "Primary Email", "Work Phone", "Fax Number",
                             "Work City", "Work ZipCode", "Organization", "Web Page 1"},
                            s.FieldNames);
  ASSERT_TRUE(tb);
  EXPECT_EQ(tb->nameLayout, NameLayout::FullName);
  EXPECT_EQ(tb->fields, (Names{skip, skip, "Full Name", "E-mail", "Phone#", "Fax#", "City", "Postal Code",
                               "Company", skip}));
  // Google-style and this program's own export.
  EXPECT_EQ(RecogniseHeader({"Name", "Given Name", "Family Name", "Organization 1 - Name", "E-mail 1 - Value"},
                            s.FieldNames)->fields,
            (Names{"Full Name", skip, skip, "Company", "E-mail"}));
  EXPECT_EQ(RecogniseHeader({"Name", "Company", "Fax#", "notes"}, s.FieldNames)->fields,
            (Names{"Full Name", "Company", "Fax#", "Notes"}));
  // Data, a header without a name, and a line mostly of unknown columns are not headers.
  EXPECT_FALSE(RecogniseHeader({"John Smith", "Acme", "555-1234"}, s.FieldNames));
  EXPECT_FALSE(RecogniseHeader({"Company", "Phone", "Fax"}, s.FieldNames));
  EXPECT_FALSE(RecogniseHeader({"Name", "a", "b", "c", "d"}, s.FieldNames));
}

class ImportRunTest : public ::testing::Test {
 protected:
  ImportResult Run(const Names& lines, const ImportRequest& request) {
    NoProgress none;
    return ImportContacts(lines, request, settings, list, none);
  }
  void Start(const Names& names) {
    list = std::make_unique<TDatabase>();
    for (const std::string& n : names) {
      TRecord r;
      r.Set(TRecord::kName, n);
      list->Add(std::move(r));
    }
  }
  AppSettings settings;
  std::unique_ptr<TDatabase> list = std::make_unique<TDatabase>();
};

TEST_F(ImportRunTest, SkippedColumnsAndAddressPartsJoined) {
  ImportRequest r;
  r.separators = ",";
  r.ignoreFirstLine = false;
  r.fields = {kFullNameText, kSkipColumnText, "Company", kSkipColumnText, "Address 1", kCityText, kStateText,
              kPostalCodeText, "Address 3"};
  Run({"Ann,x,Acme,y,1 Main St,Springfield,IL,62701,USA", "Bob,x,Bolt,y,\"\",Paris,\"\",75001"}, r);
  ASSERT_EQ(list->Count(), 2);
  EXPECT_EQ(list->Items(0).Company(), "Acme");
  EXPECT_EQ(list->Items(0).Address1(), "1 Main St");
  EXPECT_EQ(list->Items(0).Address2(), "Springfield IL 62701");
  EXPECT_EQ(list->Items(0).Address3(), "USA");
  EXPECT_EQ(list->Items(1).Address2(), "Paris 75001");  // an empty part and a missing column are left out
  EXPECT_EQ(list->Items(1).Address3(), " ");
}

TEST_F(ImportRunTest, TrialRunCountsWhatTheRunDoesAndChangesNothing) {
  test::ScratchDir dir;
  const Names lines = {"Dee", "Bob", "Bob", "Ann", "", "Ren?"};
  for (ImportMode mode : {ImportMode::AppendReplaceRecords, ImportMode::AppendRecords, ImportMode::Replace}) {
    Start({"Ann", "Bob", "Cyd"});
    list->SaveToFile(dir.Path("c.dat"));
    ImportRequest r;
    r.separators = ",";
    r.fields = {kFullNameText};
    r.mode = mode;
    r.ignoreFirstLine = false;
    r.makeBackup = true;
    r.dataFile = dir.Path("c.dat");
    r.linesWithReplacedCharacters = {1, 5};
    r.dryRun = true;
    const TDatabase* before = list.get();
    const ImportResult trial = Run(lines, r);
    EXPECT_EQ(list.get(), before);
    EXPECT_EQ(list->Count(), 3);
    EXPECT_FALSE(std::filesystem::exists(dir.Path(kBackupFileName)));
    r.dryRun = false;
    const ImportResult real = Run(lines, r);
    EXPECT_EQ(std::tie(trial.added, trial.removed, trial.replaced, trial.skipped, trial.numbered, trial.nameless,
                       trial.withReplacedCharacters),
              std::tie(real.added, real.removed, real.replaced, real.skipped, real.numbered, real.nameless,
                       real.withReplacedCharacters));
    std::filesystem::remove(dir.Path(kBackupFileName));
    if (mode == ImportMode::AppendReplaceRecords) {
      // The first imported Bob gives way to the second: skipped as a duplicate, with its "?".
      EXPECT_EQ(std::tie(real.added, real.removed, real.skipped, real.withReplacedCharacters),
                std::make_tuple(4, 2, 1, 1));
    } else if (mode == ImportMode::AppendRecords) {
      EXPECT_EQ(std::tie(real.added, real.numbered, real.skipped, real.withReplacedCharacters),
                std::make_tuple(5, 3, 0, 2));
    } else {
      EXPECT_EQ(std::tie(real.added, real.removed, real.withReplacedCharacters), std::make_tuple(5, 3, 2));
    }
  }
}

TEST_F(ImportRunTest, TheCopyForTheUndoSavesTheSameDataFile) {
  test::ScratchDir dir;
  Start({"Ann", "Bob"});
  list->Items(1).Set(TRecord::kUser8, "x\xE9");
  list->Items(1).Options = 77;
  list->SaveToFile(dir.Path("before.dat"));
  std::unique_ptr<TDatabase> kept = CopyOfList(*list);
  ImportRequest r;
  r.separators = ",";
  r.fields = {kFullNameText};
  r.mode = ImportMode::Replace;
  Run({"Cyd"}, r);
  list = std::move(kept);
  list->SaveToFile(dir.Path("after.dat"));
  EXPECT_EQ(dir.Read("after.dat"), dir.Read("before.dat"));
}

TEST(QcardImportChoices, DryRunAutoFieldsAndEncoding) {
  test::ScratchDir dir;
  TDatabase().SaveToFile(dir.Path("c.dat"));
  const std::string before = dir.Read("c.dat");
  std::string text = "First Name\tLast Name\tCompany\tWhatever\r\nRen";
  text += "\xC3\xA9\tRoy\tAcme\tz\r\n";
  dir.Write("in.txt", text);
  auto r = test::Qcard({"import", "--data", dir.Path("c.dat"), "--in", dir.Path("in.txt"), "--fields", "auto",
                        "--tab", "--dry-run"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("read as UTF-8): 1 added"), std::string::npos) << r.out;
  EXPECT_EQ(dir.Read("c.dat"), before);
  r = test::Qcard({"import", "--data", dir.Path("c.dat"), "--in", dir.Path("in.txt"), "--tab", "--encoding",
                   "utf-8", "--name-layout", "parts", "--fields", "First Name,Last Name,(Skip column),Company",
                   "--ignore-first-line"});
  EXPECT_EQ(r.code, 0) << r.err;
  TDatabase db;
  test::RecordingMessages quiet;
  db.LoadFromFile(dir.Path("c.dat"), quiet);
  ASSERT_EQ(db.Count(), 1);
  EXPECT_EQ(db.Items(0).Name(), "Roy, Ren\xE9");
  EXPECT_EQ(db.Items(0).Company(), "z");
  EXPECT_EQ(test::Qcard({"import", "--data", dir.Path("c.dat"), "--in", dir.Path("in.txt"), "--tab", "--fields",
                         "Full Name", "--encoding", "latin9"}).code, 2);
}

}  // namespace
}  // namespace qc
