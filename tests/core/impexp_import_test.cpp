// Importing lines into the contact list: field mapping, names, the three
// modes, options, backup, progress and failures.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "common/text.h"
#include "impexp/export.h"
#include "impexp/import.h"
#include "impexp/known_names.h"
#include "scratch_dir.h"

namespace qc {
namespace {

using Names = std::vector<std::string>;
using test::ScratchDir;

std::unique_ptr<TDatabase> ListNamed(const Names& names) {
  auto db = std::make_unique<TDatabase>();
  for (const std::string& n : names) {
    auto r = std::make_unique<TRecord>();
    r->Set(TRecord::kName, n);
    r->Set(TRecord::kCompany, "old " + n);
    db->Add(std::move(r));
  }
  return db;
}

Names NamesOf(const TDatabase& db) {
  Names names;
  for (int i = 0; i < db.Count(); ++i) names.emplace_back(db.Items(i).Name());
  return names;
}

ImportRequest Request(const Names& fields, ImportMode mode = ImportMode::AppendReplaceRecords,
                      NameLayout layout = NameLayout::FullName) {
  ImportRequest r;
  r.separators = ",";
  r.quote = '"';
  r.nameLayout = layout;
  r.fields = fields;
  r.mode = mode;
  r.ignoreFirstLine = false;
  return r;
}

class ImportTest : public ::testing::Test {
 protected:
  ImportResult Run(const Names& lines, const ImportRequest& request) {
    NoProgress none;
    return ImportContacts(lines, request, settings, list, none);
  }
  Names Imported(const Names& lines, const ImportRequest& request) {
    Run(lines, request);
    return NamesOf(*list);
  }
  AppSettings settings;
  std::unique_ptr<TDatabase> list = std::make_unique<TDatabase>();
};

TEST_F(ImportTest, EveryChosenFieldReachesItsContactField) {
  settings.FieldNames[2] = "Region";
  Names fields = {"company", "Full Name", "Title", "Treatment", "Address 1", "Address 2", "Address 3", "Fax#",
                  "Phone#", "OPTIONS", "User 1", "User 2", "region", "User 4", "User 5", "User 6", "User 7", "User 8"};
  Run({"c,n,t,tr,a1,a2,a3,f,p,5,u1,u2,u3,u4,u5,u6,u7,u8,surplus"}, Request(fields));
  ASSERT_EQ(list->Count(), 1);
  Names texts;
  for (int i = 0; i < TRecord::kTextCount; ++i) texts.emplace_back(list->Items(0).Text(i));
  EXPECT_EQ(texts, (Names{"n", "c", "t", "tr", "a1", "a2", "a3", "f", "p", "u1", "u2", "u3", "u4", "u5", "u6", "u7",
                          "u8"}));
  EXPECT_EQ(list->Items(0).Options, 5);
}

TEST_F(ImportTest, ShortLinesGetSingleSpacesAndNamelessLinesNoContact) {
  Run({"Ann", ",,,", "", "\"\",Acme", "Bob,Beta"}, Request({"Full Name", "Company", "Title"}));
  ASSERT_EQ(NamesOf(*list), (Names{"Ann", "Bob"}));
  EXPECT_EQ(list->Items(0).Company(), " ");
  EXPECT_EQ(list->Items(1).Title(), " ");
  EXPECT_EQ(list->Items(1).Treatment(), "");  // not chosen: empty, the default treatment is not applied
  // A name column beyond the line gives the name of a single space.
  list = std::make_unique<TDatabase>();
  EXPECT_EQ(Imported({"Acme"}, Request({"Company", "Full Name"})), Names{" "});
  // No name column, no contact.
  EXPECT_EQ(Imported({"Acme", "Beta"}, Request({"Company"})), Names{" "});
  EXPECT_EQ(Imported({"Acme"}, Request({})), Names{" "});
}

TEST_F(ImportTest, NamePartsLayout) {
  auto parts = Request({"First Name", "Middle Name", "Last Name", "Company"}, ImportMode::Replace,
                       NameLayout::NameParts);
  EXPECT_EQ(Imported({"John,Q,Smith,Acme", "John,Q,\"\"", "\"\",Q,Smith", "\"\",Q,\"\",Acme"}, parts),
            (Names{"Smith, John Q", "John Q", "Smith"}));
  // Chosen in another order with the middle name missing: it becomes a space.
  auto shuffled = Request({"First Name", "Last Name", "Middle Name"}, ImportMode::Replace, NameLayout::NameParts);
  EXPECT_EQ(Imported({"John,Smith"}, shuffled), Names{"Smith, John  "});
  // The full-name column means nothing in this layout.
  auto full = Request({"Full Name", "Last Name"}, ImportMode::Replace, NameLayout::NameParts);
  EXPECT_EQ(Imported({"John Smith,Smith"}, full), Names{"Smith"});
}

TEST_F(ImportTest, OptionsColumn) {
  settings.DefaultOptions = 0x1234 + 6;  // only the low 8 bits count
  Run({"A,300", "B,-1", "C,256", "D,$7F", "E,\"\"", "F,letters", "G", "H, 12", "I,12 "},
      Request({"Full Name", "Options"}));
  std::vector<int> options;
  for (int i = 0; i < list->Count(); ++i) options.push_back(list->Items(i).Options);
  EXPECT_EQ(options, (std::vector<int>{44, 255, 0, 127, 0x3A, 0x3A, 0x3A, 12, 0x3A}));
  list = std::make_unique<TDatabase>();
  Run({"A"}, Request({"Full Name"}));
  EXPECT_EQ(list->Items(0).Options, 0x3A);
}

TEST_F(ImportTest, IgnoreFirstLineAndHeaderLinesImportedAsData) {
  auto request = Request({"Full Name", "Company"});
  request.ignoreFirstLine = true;
  EXPECT_EQ(Imported({"Name,Company", "Ann,Acme"}, request), Names{"Ann"});
  list = ListNamed({"Old"});
  request.mode = ImportMode::Replace;
  EXPECT_EQ(Imported({"Ann,Acme"}, request), Names{});
  // Without ignoring it, the header of an export is a contact like any other.
  list = std::make_unique<TDatabase>();
  EXPECT_EQ(Imported({"Name,Company", "Ann,Acme"}, Request({"Full Name", "Company"})), (Names{"Name", "Ann"}));
  EXPECT_EQ(list->Items(0).Company(), "Company");
}

TEST_F(ImportTest, AppendReplaceRecordsReplacesTheFirstKnownContact) {
  list = ListNamed({"Ann", "Bob", "Cyd"});
  ImportResult r = Run({"Dee,new1", "Bob,new2", "bob,new3", "\"\",x"}, Request({"Full Name", "Company"}));
  EXPECT_EQ(NamesOf(*list), (Names{"Ann", "Cyd", "Dee", "bob"}));
  EXPECT_EQ(list->Items(3).Company(), "new3");
  EXPECT_EQ(r.added, 2);
  EXPECT_EQ(r.removed, 1);
  EXPECT_EQ(r.replaced, 2);  // the known Bob, then the new one
  EXPECT_EQ(r.nameless, 1);
}

TEST_F(ImportTest, AppendRecordsNumbersKnownNames) {
  list = ListNamed({"Acme", "Beta [1]"});
  ImportResult r = Run({"Acme", "acme", "Beta", "Beta", "Acme [1]", "New", "New"}, Request({"Full Name"}, ImportMode::AppendRecords));
  EXPECT_EQ(NamesOf(*list), (Names{"Acme", "Beta [1]", "Acme [1]", "acme [2]", "Beta", "Beta", "Acme [1] [1]",
                                   "New", "New"}));
  EXPECT_EQ(r.added, 7);
  EXPECT_EQ(r.removed, 0);
  EXPECT_EQ(r.numbered, 3);
}

TEST_F(ImportTest, ReplaceKeepsDuplicatesAndPutsANewListInPlace) {
  list = ListNamed({"Ann", "Bob"});
  const TDatabase* before = list.get();
  ImportResult r = Run({"Bob", "Bob", "bob"}, Request({"Full Name"}, ImportMode::Replace));
  EXPECT_NE(list.get(), before);
  EXPECT_EQ(NamesOf(*list), (Names{"Bob", "Bob", "bob"}));
  EXPECT_EQ(list->Items(0).Company(), "");
  EXPECT_EQ(r.added, 3);
  EXPECT_EQ(r.removed, 2);
  Run({"", ",,"}, Request({"Full Name"}, ImportMode::Replace));
  EXPECT_EQ(list->Count(), 0);
}

TEST_F(ImportTest, ExportedFileComesBack) {
  list = std::make_unique<TDatabase>();
  auto a = std::make_unique<TRecord>();
  a->Set(TRecord::kName, "Smith, John \"JJ\"");
  a->Set(TRecord::kCompany, "Acme");
  a->Options = 9;
  list->Add(std::move(a));
  Names exportFields = {"Name", "Company", "Options"};
  NoProgress none;
  std::string text = BuildExportText(*list, settings.FieldNames, {exportFields, ExportFormat::Comma, true}, none);
  auto request = Request({"Full Name", "Company", "Options"}, ImportMode::Replace);
  request.ignoreFirstLine = true;
  Run(SplitIntoLines(text), request);
  ASSERT_EQ(list->Count(), 1);
  EXPECT_EQ(list->Items(0).Name(), "Smith, John JJ");  // the quote rules drop inner quotes
  EXPECT_EQ(list->Items(0).Company(), "Acme");
  EXPECT_EQ(list->Items(0).Options, 9);
  // An empty value moves the later fields up by one column.
  list->Items(0).Set(TRecord::kCompany, "");
  text = BuildExportText(*list, settings.FieldNames, {exportFields, ExportFormat::Comma, false}, none);
  request.ignoreFirstLine = false;
  Run(SplitIntoLines(text), request);
  EXPECT_EQ(list->Items(0).Company(), "9");
  EXPECT_EQ(list->Items(0).Options, 0);
}

TEST_F(ImportTest, ProgressCountsTheIgnoredLineAndStartsAfterIt) {
  struct Calls : ProgressSink {
    std::vector<int> seen;
    void SetProgressMax(int n) override { seen.push_back(-1 - n); }
    void SetProgressPosition(int i) override { seen.push_back(i); }
  } calls;
  auto request = Request({"Full Name"});
  request.ignoreFirstLine = true;
  ImportContacts({"h", "a", "", "b"}, request, settings, list, calls);
  EXPECT_EQ(calls.seen, (std::vector<int>{-5, 1, 2, 3}));
}

TEST_F(ImportTest, BackupCopiesTheDataFileAndItsFailureIsNoError) {
  ScratchDir dir;
  dir.Write("contacts.dat", "data bytes");
  dir.Write("QUILLCRD.BAK", "older backup");
  auto request = Request({"Full Name"});
  request.makeBackup = true;
  request.dataFile = dir.Path("contacts.dat");
  ImportResult r = Run({"Ann"}, request);
  EXPECT_FALSE(r.backupFailed);
  EXPECT_EQ(dir.Read("QUILLCRD.BAK"), "data bytes");
  EXPECT_EQ(BackupPathFor(dir.Path("contacts.dat")), dir.Path("QUILLCRD.BAK"));

  request.dataFile = dir.Path("missing.dat");
  r = Run({"Bob"}, request);
  EXPECT_TRUE(r.backupFailed);
  EXPECT_EQ(NamesOf(*list), (Names{"Ann", "Bob"}));
  EXPECT_EQ(dir.Read("QUILLCRD.BAK"), "data bytes");

  request.makeBackup = false;
  request.dataFile = dir.Path("contacts.dat");
  dir.Write("contacts.dat", "changed");
  Run({"Cyd"}, request);
  EXPECT_EQ(dir.Read("QUILLCRD.BAK"), "data bytes");
}

// A failure part-way must leave the list as it was, in every mode.
TEST_F(ImportTest, AFailureHalfWayChangesNothing) {
  struct FailAt : ProgressSink {
    int at;
    explicit FailAt(int a) : at(a) {}
    void SetProgressMax(int) override {}
    void SetProgressPosition(int i) override {
      if (i == at) throw std::runtime_error("failed");
    }
  };
  for (ImportMode mode : {ImportMode::AppendReplaceRecords, ImportMode::AppendRecords, ImportMode::Replace}) {
    list = ListNamed({"Ann", "Bob"});
    const TDatabase* before = list.get();
    FailAt failAt(2);
    EXPECT_THROW(ImportContacts({"Bob", "Cyd", "Dee"}, Request({"Full Name"}, mode), settings, list, failAt),
                 std::runtime_error);
    EXPECT_EQ(list.get(), before);
    EXPECT_EQ(NamesOf(*list), (Names{"Ann", "Bob"}));
    EXPECT_EQ(list->Items(1).Company(), "old Bob");
  }
}

// ---------------------------------------------------------------- against the plain ordered list

// The import's name handling done the plain way: an ordered list of
// (name, contact) pairs scanned from the front, and contacts deleted from
// the list one by one.
Names PlainImport(const Names& existing, const Names& importedNames, ImportMode mode) {
  struct Contact {
    std::string name;
    int id;
  };
  std::vector<Contact> contacts;
  std::vector<Contact> known;
  int nextId = 0;
  for (const std::string& n : existing) {
    contacts.push_back({n, nextId});
    known.push_back({n, nextId++});
  }
  if (mode == ImportMode::Replace) contacts.clear(), known.clear();
  auto find = [&](const std::string& n) {
    for (size_t i = 0; i < known.size(); ++i)
      if (SameText(known[i].name, n)) return static_cast<int>(i);
    return -1;
  };
  for (std::string name : importedNames) {
    int id = nextId++;
    if (mode == ImportMode::AppendReplaceRecords && !name.empty()) {
      int k = find(name);
      if (k >= 0) {
        for (size_t c = 0; c < contacts.size(); ++c)
          if (contacts[c].id == known[static_cast<size_t>(k)].id) {
            contacts.erase(contacts.begin() + static_cast<long>(c));
            break;
          }
        known.erase(known.begin() + k);
        known.push_back({name, id});
      }
    } else if (mode == ImportMode::AppendRecords && find(name) >= 0) {
      int n = 1;
      while (find(NumberedName(name, n)) >= 0) ++n;
      name = NumberedName(name, n);
      known.push_back({name, id});
    }
    if (!name.empty()) contacts.push_back({name, id});
  }
  Names names;
  for (const Contact& c : contacts) names.push_back(c.name);
  return names;
}

TEST_F(ImportTest, NameIndexGivesTheResultsOfThePlainOrderedList) {
  std::mt19937 random(20240611);
  const Names pool = {"Ann", "ann", "ANN", "Bob", "Ann [1]", "ann [2]", "Bob [1] [1]", "Bob [1]", "",
                      "\xe9mile", "\xc9MILE", "Cy"};
  auto pick = [&](int n) {
    Names names;
    for (int i = 0; i < n; ++i) names.push_back(pool[random() % pool.size()]);
    return names;
  };
  for (int round = 0; round < 300; ++round) {
    Names existing = pick(static_cast<int>(random() % 8));
    Names imported = pick(static_cast<int>(random() % 25));
    Names lines;
    for (const std::string& n : imported) lines.push_back("\"" + n + "\"");
    for (ImportMode mode : {ImportMode::AppendReplaceRecords, ImportMode::AppendRecords, ImportMode::Replace}) {
      list = ListNamed(existing);
      SCOPED_TRACE("round " + std::to_string(round) + " mode " + std::to_string(static_cast<int>(mode)));
      EXPECT_EQ(Imported(lines, Request({"Full Name"}, mode)), PlainImport(existing, imported, mode));
    }
  }
}

TEST(KnownNames, FreeNumberedNameIsTheSmallestFreeNumberEachTime) {
  KnownNames known;
  known.Append("Acme", 0);
  known.Append("acme [2]", 1);
  EXPECT_EQ(known.FreeNumberedName("ACME"), "ACME [1]");
  EXPECT_EQ(known.FreeNumberedName("Acme"), "Acme [1]");  // asking twice gives the same answer
  known.Append("Acme [1]", 2);
  EXPECT_EQ(known.FreeNumberedName("acme"), "acme [3]");
}

}  // namespace
}  // namespace qc
