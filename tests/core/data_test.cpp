#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <stdexcept>

#include "data/database.h"
#include "data/old_database.h"
#include "platform/files.h"
#include "recording_messages.h"
#include "scratch_dir.h"

namespace qc {
namespace {

using test::RecordingMessages;
using test::ScratchDir;
using Names = std::vector<std::string>;

// File bytes are built here by hand, independently of the writer under test.
std::string Le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string Le16(uint16_t v) { return {char(v), char(v >> 8)}; }
std::string Zeros(size_t n) { return std::string(n, '\0'); }
std::string Header(int32_t count) { return Le32(300) + Le32(uint32_t(count)) + Zeros(32); }

// A record of `fields` texts whose first ones are `texts`, then the option byte.
std::string Texts(size_t fields, const Names& texts, uint8_t options) {
  std::string out;
  for (size_t i = 0; i < fields; ++i) {
    std::string t = i < texts.size() ? texts[i] : "";
    out += char(t.size()) + t;
  }
  return out + char(options);
}
std::string Record(const Names& texts, uint8_t options = 0) { return Texts(17, texts, options) + Zeros(24); }
std::string OldRecord(const Names& texts, uint8_t options = 0) { return Texts(9, texts, options); }

Names NamesOf(const TDatabase& db) {
  Names names;
  for (int i = 0; i < db.Count(); ++i) names.emplace_back(db.Items(i).Name());
  return names;
}

std::unique_ptr<TRecord> Contact(const std::string& name, uint8_t options = 0) {
  auto r = std::make_unique<TRecord>();
  r->Set(TRecord::kName, name);
  r->Options = options;
  return r;
}

TEST(RecordLayout, WritesTheExactBytes) {
  std::string empty, ann, all;
  TRecord().WriteToStream(empty);
  EXPECT_EQ(empty, Zeros(42));
  Contact("Ann", 3)->WriteToStream(ann);
  EXPECT_EQ(ann, "\x03" "Ann" + Zeros(16) + "\x03" + Zeros(24));

  TRecord r;
  Names texts;
  for (int i = 0; i < TRecord::kTextCount; ++i) {
    texts.push_back("f" + std::to_string(i));
    r.Set(i, texts.back());
  }
  r.Set(TRecord::kName, std::string(300, 'x'));
  texts[0] = std::string(255, 'x');
  r.WriteToStream(all);
  EXPECT_EQ(all, Record(texts));
  EXPECT_EQ(r.User8(), "f16");
  EXPECT_THROW(r.Text(17), std::out_of_range);
  EXPECT_THROW(r.Text(-1), std::out_of_range);
}

TEST(ContactList, KeepsOrderAndChecksIndexes) {
  TDatabase db;
  for (const char* name : {"A", "B", "C", "B"}) db.Add(Contact(name));
  db.Delete(1);
  EXPECT_EQ(NamesOf(db), (Names{"A", "C", "B"}));
  EXPECT_THROW(db.Delete(3), std::out_of_range);
  EXPECT_THROW(db.Items(-1), std::out_of_range);
  EXPECT_THROW(db.Add(nullptr), std::invalid_argument);
}

TEST(DataFile, MissingFileIsCreatedEmptyThenSavedAsTheHeader) {
  ScratchDir dir;
  const std::string path = dir.Path("QUILLCRD.DAT");
  TDatabase db;
  RecordingMessages messages;
  db.LoadFromFile(path, messages);
  EXPECT_EQ(dir.Entries(), Names{"QUILLCRD.DAT"});
  EXPECT_EQ(dir.Read("QUILLCRD.DAT"), "");
  db.LoadFromFile(path, messages);  // the empty file reads as no contacts
  EXPECT_EQ(db.Count(), 0);
  EXPECT_TRUE(messages.Silent());
  db.SaveToFile(path);
  EXPECT_EQ(dir.Read("QUILLCRD.DAT"), std::string("\x2C\x01\x00\x00", 4) + Zeros(36));
}

TEST(DataFile, SaveAndLoadKeepEveryRecordAsItWas) {
  ScratchDir dir;
  TDatabase db;
  db.Add(Contact("Bob", 0x85));
  db.Add(Contact("Ann"));
  db.Add(Contact("Bob", 0x7F));
  db.Items(1).Set(TRecord::kCompany, std::string("\x00\xFF\r\n", 4));
  db.Items(2).Set(TRecord::kCompany, "Other Bob Ltd");
  db.SaveToFile(dir.Path("QUILLCRD.DAT"));
  EXPECT_EQ(dir.Read("QUILLCRD.DAT"),
            Header(3) + Record({"Bob"}, 0x85) + Record({"Ann", std::string(db.Items(1).Company())}) +
                Record({"Bob", "Other Bob Ltd"}, 0x7F));
  TDatabase back;
  RecordingMessages messages;
  back.LoadFromFile(dir.Path("QUILLCRD.DAT"), messages);
  ASSERT_EQ(back.Count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(back.Items(i), db.Items(i)) << i;
  EXPECT_TRUE(messages.Silent());
}

TEST(DataFile, SavingFewerRecordsLeavesNoStaleTail) {
  ScratchDir dir;
  const std::string path = dir.Path("QUILLCRD.DAT");
  dir.Write("QUILLCRD.DAT", Header(5) + Record({"One"}) + Record({"Two"}) + Record({"Three"}) +
                                Record({"Four"}) + Record({"Five"}));
  RecordingMessages messages;
  TDatabase db;
  db.LoadFromFile(path, messages);
  while (db.Count() > 1) db.Delete(1);
  db.SaveToFile(path);
  EXPECT_EQ(dir.Read("QUILLCRD.DAT"), Header(1) + Record({"One"}));
  EXPECT_EQ(dir.Entries(), Names{"QUILLCRD.DAT"});
}

TEST(DataFile, CountsAreNotTrusted) {
  const std::string two = Record({"Ann"}, 1) + Record({"Bob"}, 2);
  const std::pair<int32_t, Names> cases[] = {{0, {}},          {-1, {}},          {INT_MIN, {}},
                                             {1, {"Ann"}}, {3, {"Ann", "Bob"}}, {INT_MAX, {"Ann", "Bob"}}};
  for (const auto& [count, names] : cases) {
    TDatabase db;
    RecordingMessages messages;
    const int announced = std::max(count, 0), read = int(names.size());
    EXPECT_EQ(db.LoadFromBytes(Header(count) + two, messages),
              (LoadReport{DataFileLayout::Current, announced, read, read < announced})) << count;
    EXPECT_EQ(NamesOf(db), names) << "count " << count;
    EXPECT_TRUE(messages.Silent());
  }
}

TEST(DataFile, TruncatedFileKeepsOnlyCompleteRecords) {
  const Names names = {"Ann", "Bob", "Cy"};
  std::string file = Header(3);
  std::vector<size_t> ends;
  for (const auto& name : names) ends.push_back((file += Record({name, "Co", std::string(200, 'b')}, 2)).size());

  for (size_t cut = 0; cut <= file.size(); ++cut) {  // under 4 bytes included: no contacts
    TDatabase db;
    RecordingMessages messages;
    const LoadReport report = db.LoadFromBytes(std::string_view(file).substr(0, cut), messages);
    size_t complete = 0;
    while (complete < ends.size() && ends[complete] <= cut) ++complete;
    ASSERT_EQ(NamesOf(db), Names(names.begin(), names.begin() + long(complete))) << "cut at " << cut;
    ASSERT_EQ(report.damaged, cut >= 8 && cut < file.size()) << "cut at " << cut;  // 8: the count's end
    ASSERT_TRUE(messages.Silent()) << "cut at " << cut;
  }
}

TEST(DataFile, UnreadableFileIsReportedAndNeverReplaced) {
  ScratchDir dir;
  const std::string path = dir.Path("QUILLCRD.DAT");
  std::filesystem::create_directory(path);
  dir.Write("QUILLCRD.DAT/keep", "x");
  TDatabase db;
  RecordingMessages messages;
  try {
    db.LoadFromFile(path, messages);
    FAIL() << "loading a directory must fail";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
  }
  EXPECT_THROW(db.SaveToFile(path), FileError);
  EXPECT_EQ(dir.Read("QUILLCRD.DAT/keep"), "x");
  EXPECT_EQ(dir.Entries(), Names{"QUILLCRD.DAT"});
  // A missing file that cannot be created is a failure too, not an empty list.
  EXPECT_THROW(db.LoadFromFile(dir.Path("missing/QUILLCRD.DAT"), messages), FileError);
  EXPECT_TRUE(messages.Silent());
}

TEST(OldDataFile, RecordsAreConvertedInOrderAndAnnounced) {
  ScratchDir dir;
  const Names texts = {std::string(255, '\xFF'), "", "Director", "Mr.", "1 Main Rd", "Town", "Land", "555-1", "555-2"};
  const std::string file = Le16(3) + "\xAA\xBB\xCC\xDD" + OldRecord(texts, 0x85) + OldRecord({"Ann"}) +
                           OldRecord({"Ann", "Two"}, 7);
  dir.Write("QUILLCRD.DAT", file);
  TDatabase db;
  RecordingMessages messages;
  db.LoadFromFile(dir.Path("QUILLCRD.DAT"), messages);
  ASSERT_EQ(NamesOf(db), (Names{texts[0], "Ann", "Ann"}));
  for (int i = 0; i < TRecord::kTextCount; ++i)
    EXPECT_EQ(db.Items(0).Text(i), i < 9 ? texts[size_t(i)] : "") << i;
  EXPECT_EQ(db.Items(0).Options, 0x85);
  EXPECT_EQ(db.Items(2).Company(), "Two");
  EXPECT_EQ(db.Items(2).Options, 7);
  EXPECT_EQ(messages.informations, Names{"Succesfully imported Quillcard 2.x database file"});
  EXPECT_EQ(dir.Read("QUILLCRD.DAT"), file);  // loading writes nothing; the next save converts
  db.SaveToFile(dir.Path("QUILLCRD.DAT"));
  EXPECT_EQ(dir.Read("QUILLCRD.DAT").substr(0, 8), Le32(300) + Le32(3));
}

TEST(OldDataFile, CountsOfZeroOrLessAreSilentlyEmpty) {
  for (uint16_t count : {0x0000, 0xFFFF, 0x8000}) {
    TDatabase db;
    RecordingMessages messages;
    db.LoadFromBytes(Le16(count) + Zeros(4) + OldRecord({"Ann"}), messages);
    EXPECT_EQ(db.Count(), 0) << count;
    EXPECT_TRUE(messages.Silent()) << count;
  }
}

// A 2.x file of 300 contacts starts like a current one: a text in the reserved bytes says
// 2.x; with them zero, the current reading (2 whole records) ends before the file does.
TEST(OldDataFile, ThreeHundredContactsAreNotMistakenForACurrentFile) {
  for (const std::string first : {"Ann", ""}) {
    std::string file = Le16(300) + Zeros(2) + Le16(2) + OldRecord({first}) + Zeros(20) + OldRecord({"", "", "", "", "Rd"});
    Names names = {first, "", "", ""};
    for (int i = 4; i < 300; ++i)
      file += OldRecord({names.emplace_back("C" + std::to_string(i)), "", "", "", "", "", "", "", std::to_string(i)}, 5);
    ASSERT_EQ(file.substr(8, 32) == Zeros(32), first.empty());
    TDatabase db;
    RecordingMessages messages;
    EXPECT_EQ(db.LoadFromBytes(file, messages), (LoadReport{DataFileLayout::Old, 300, 300, false}));
    EXPECT_EQ(NamesOf(db), names);
    EXPECT_EQ(std::string(db.Items(3).Address1()) += db.Items(299).Phone(), "Rd299");
    EXPECT_EQ(messages.informations, Names{kOldFileImportedMessage});
    if (!first.empty()) {  // cut inside the last contact: still a 2.x file, and damaged
      EXPECT_EQ(db.LoadFromBytes(file.substr(0, file.size() - 1), messages), (LoadReport{DataFileLayout::Old, 300, 299, true}));
    }
  }
}

TEST(OldDataFile, TruncatedFileKeepsOnlyCompleteRecords) {
  std::string file = Le16(32767) + Zeros(4);
  std::vector<size_t> ends;
  for (const char* name : {"Ann", "Bob", "Cy"}) ends.push_back((file += OldRecord({name, "Co"}, 1)).size());
  for (size_t cut = 4; cut <= file.size(); ++cut) {
    TDatabase db;
    RecordingMessages messages;
    const LoadReport report = db.LoadFromBytes(std::string_view(file).substr(0, cut), messages);
    size_t complete = 0;
    while (complete < ends.size() && ends[complete] <= cut) ++complete;
    ASSERT_EQ(report, (LoadReport{DataFileLayout::Old, 32767, int(complete), true})) << "cut at " << cut;
    ASSERT_EQ(messages.informations.size(), complete > 0 ? 1u : 0u) << "cut at " << cut;
  }
}

TEST(OldDataFile, ReaderByFileNameIgnoresUnreadableFiles) {
  ScratchDir dir;
  dir.Write("old.dat", Le16(1) + Zeros(4) + OldRecord({"Ann"}));
  TOldDatabase old;
  old.LoadFromFile(dir.Path("old.dat"));
  old.LoadFromFile(dir.Path("missing.dat"));
  old.LoadFromFile(dir.Path(""));
  ASSERT_EQ(old.Count(), 1);
  EXPECT_EQ(old.Items(0).Name, "Ann");
  EXPECT_EQ(dir.Entries(), Names{"old.dat"});
}

TEST(DataFile, DamagedOriginalIsCopiedToTheFirstFreeNameAndNothingIsOverwritten) {
  ScratchDir dir;
  const std::string original = Header(9) + std::string("\0\xFF\r\n\x1A", 5), path = dir.Path("QUILLCRD.DAT");
  dir.Write("QUILLCRD.DAT", original);
  dir.Write("QUILLCRD.DAT.damaged3", "older copy");
  for (const std::string suffix : {".damaged", ".damaged2", ".damaged4"}) {
    EXPECT_EQ(KeepDamagedOriginal(path), path + suffix);
    EXPECT_EQ(dir.Read("QUILLCRD.DAT" + suffix), original) << suffix;
  }
  EXPECT_EQ(dir.Read("QUILLCRD.DAT.damaged3"), "older copy");
}

}  // namespace
}  // namespace qc
