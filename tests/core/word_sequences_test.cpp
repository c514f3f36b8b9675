// The WordBasic command sequences of the Word actions, against a recorder:
// the probe, the literal replacement texts and their pieces, the insert and
// the mail-merge document.
#include <gtest/gtest.h>

#include <map>

#include "common/text.h"
#include "recording_messages.h"
#include "word/mail_merge.h"
#include "word/word_insert.h"
#include "word/word_probe.h"
#include "word/word_replace.h"
#include "word_recording.h"

namespace qc::test {
namespace {

using word::WordGeneration;

// ---------------------------------------------------------------- probe

class FakeHost : public word::WordHostFacts {
 public:
  int windows = 1;
  std::vector<std::string> processes{"explorer.exe", "WINWORD.EXE"};
  std::map<std::string, std::string> versions{{"WINWORD.EXE", "8.0"}};
  std::vector<std::string> asked;

  int CountWordWindows() override { return windows; }
  std::string FindRunningExe(const std::string& part) override {
    asked.push_back(part);
    return word::FirstMatchingExe(processes, part);
  }
  std::string VersionInfoString(const std::string& file, const std::string& key) override {
    EXPECT_EQ(key, "ProductVersion");
    auto it = versions.find(file);
    return it == versions.end() ? std::string() : it->second;
  }
};

TEST(WordProbe, NoWordWindowTellsTheUserAndLooksNoFurther) {
  FakeHost host;
  host.windows = 0;
  RecordingMessages messages;
  EXPECT_EQ(word::ProbeWord(host, messages), WordGeneration::None);
  EXPECT_EQ(messages.informations,
            std::vector<std::string>{
                "Quillcard requires that Microsoft Word is already opened.\r\n Please open Word and try again"});
  EXPECT_TRUE(host.asked.empty());
}

TEST(WordProbe, TwoWordWindowsTellTheUserToCloseOne) {
  FakeHost host;
  host.windows = 2;
  RecordingMessages messages;
  EXPECT_EQ(word::ProbeWord(host, messages), WordGeneration::None);
  EXPECT_EQ(messages.informations,
            std::vector<std::string>{"Quillcard requires that only one instance of Microsoft Word is running.\r\n"
                                     "Please close all running instances of Word but one and try again"});
  EXPECT_TRUE(host.asked.empty());
}

TEST(WordProbe, AWindowWithoutAWordProcessEndsSilently) {
  FakeHost host;
  host.processes = {"explorer.exe", "word.exe", "win word.exe"};
  RecordingMessages messages;
  EXPECT_EQ(word::ProbeWord(host, messages), WordGeneration::None);
  EXPECT_TRUE(messages.Silent());
  EXPECT_EQ(host.asked, std::vector<std::string>{"winword"});
}

TEST(WordProbe, GenerationFollowsTheFirstCharacterOfTheProductVersion) {
  for (auto [version, generation] : std::vector<std::pair<std::string, WordGeneration>>{
           {"7.0a", WordGeneration::Word7},
           {"7", WordGeneration::Word7},
           {"8.0", WordGeneration::Word8},
           {"10.0", WordGeneration::Word8},
           {"", WordGeneration::Word8},
           {" 7.0", WordGeneration::Word8}}) {
    FakeHost host;
    host.versions["WINWORD.EXE"] = version;
    RecordingMessages messages;
    EXPECT_EQ(word::ProbeWord(host, messages), generation) << version;
    EXPECT_TRUE(messages.Silent());
  }
}

TEST(WordProbe, TheFirstMatchingProcessInTheListIsUsed) {
  EXPECT_EQ(word::FirstMatchingExe({"a.exe", "WinWord7.exe", "WINWORD.EXE"}, "winword"), "WinWord7.exe");
  EXPECT_EQ(word::FirstMatchingExe({"C:\\Office\\winword.exe"}, "WINWORD"), "C:\\Office\\winword.exe");
  EXPECT_EQ(word::FirstMatchingExe({"word.exe", "winwor.exe"}, "winword"), "");
  EXPECT_EQ(word::FirstMatchingExe({}, "winword"), "");

  // The version of that first process decides.
  FakeHost host;
  host.processes = {"MyWinWord.exe", "WINWORD.EXE"};
  host.versions = {{"MyWinWord.exe", "7.0a"}, {"WINWORD.EXE", "8.0"}};
  RecordingMessages messages;
  EXPECT_EQ(word::ProbeWord(host, messages), WordGeneration::Word7);
}

// ---------------------------------------------------------------- literal texts and their pieces

// What Word does with a replace-all of texts made by LiteralWordText: the
// only code they hold is "^^"; the find goes without regard to case.
std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    EXPECT_FALSE(s[i] == '^' && (i + 1 >= s.size() || s[i + 1] != '^')) << "a code in " << s;
    out += s[i];
    if (s[i] == '^') ++i;
  }
  return out;
}

void WordReplaceAll(std::string& doc, const std::string& find, const std::string& replace) {
  ASSERT_LE(find.size(), word::kWordTextLimit);
  ASSERT_LE(replace.size(), word::kWordTextLimit);
  std::string f = Unescape(find), r = Unescape(replace), out;
  for (size_t i = 0; i < doc.size();) {
    if (i + f.size() <= doc.size() && SameText(doc.substr(i, f.size()), f)) {
      out += r;
      i += f.size();
    } else {
      out += doc[i++];
    }
  }
  doc = out;
}

std::string Apply(std::string doc, const std::vector<word::ReplaceStep>& steps) {
  for (const word::ReplaceStep& s : steps) WordReplaceAll(doc, s.find, s.replace);
  return doc;
}

TEST(WordLiteralText, CaretsAreDoubledAndNothingElseChanges) {
  EXPECT_EQ(word::LiteralWordText("R&D ^c"), "R&D ^^c");
  EXPECT_EQ(word::LiteralWordText("^^p^"), "^^^^p^^");
  EXPECT_EQ(word::LiteralWordText("a\tb\x0B" "c <x>"), "a\tb\x0B" "c <x>");
  EXPECT_EQ(word::LiteralWordText(""), "");
}

TEST(WordReplacement, AShortValueIsOneReplaceAll) {
  auto steps = word::PlanReplacement("<Fee^p>", "50% ^& more");
  ASSERT_EQ(steps.size(), 1u);
  EXPECT_EQ(steps[0].find, "<Fee^^p>");
  EXPECT_EQ(steps[0].replace, "50% ^^& more");
  EXPECT_EQ(Apply("Total: <fee^p>.", steps), "Total: 50% ^& more.");
}

TEST(WordReplacement, ALongValueArrivesWholeInPiecesWordAccepts) {
  std::string value;
  for (int i = 0; value.size() < 700; ++i) value += "Line " + std::to_string(i) + " ^t caret^^ ";
  auto steps = word::PlanReplacement("<Header>", value);
  EXPECT_GT(steps.size(), 3u);
  EXPECT_EQ(Apply("A <Header> B <HEADER> C", steps), "A " + value + " B " + value + " C");
}

TEST(WordReplacement, CaretsAtEveryPieceBoundaryStayWhole) {
  // Only carets: each doubles, so the pieces fall on odd and even places alike.
  for (size_t n : {200u, 255u, 256u, 511u}) {
    std::string value(n, '^');
    auto steps = word::PlanReplacement("<x>", value);
    for (const auto& s : steps) EXPECT_LE(s.replace.size(), word::kWordTextLimit);
    EXPECT_EQ(Apply("[<x>]", steps), "[" + value + "]") << n;
  }
}

TEST(WordReplacement, AValueThatHoldsThePieceMarkerStillArrivesWhole) {
  std::string value = std::string(300, 'a') + "{~qc~piece~}" + std::string(300, 'b') + "{~QC1~PIECE~}";
  EXPECT_EQ(Apply("<v>", word::PlanReplacement("<v>", value)), value);
}

TEST(WordReplacement, AVariableTooLongToLookForIsLeftAlone) {
  EXPECT_TRUE(word::PlanReplacement("<" + std::string(253, 'n') + ">", "x").size() == 1);
  EXPECT_TRUE(word::PlanReplacement("<" + std::string(254, 'n') + ">", "x").empty());
  // Doubled carets count: 127 carets are 254 characters for Word.
  EXPECT_TRUE(word::PlanReplacement("<" + std::string(127, '^') + ">", "x").empty());
  RecordingWordBasic w;
  EXPECT_FALSE(word::ReplaceVariable(w, std::string(300, 'n'), "x"));
  EXPECT_TRUE(w.sent.empty());
}

// ---------------------------------------------------------------- insert

word::InsertValues SampleValues() {
  word::InsertValues v;
  v.headerLines = {"Acme Ltd", "Mr. John Smith", "1 Main Road"};
  v.name = "Mr. John Smith";
  v.number = "0000";
  for (int k = 1; k <= 8; ++k) v.additional.emplace_back("User " + std::to_string(k), "u" + std::to_string(k));
  return v;
}

std::vector<std::string> Finds(const RecordingWordBasic& w) {
  std::vector<std::string> finds;
  for (const SentCommand* c : w.Named("EditReplace")) finds.push_back(c->Text("Find"));
  return finds;
}

TEST(WordInsert, WithoutTitleAndCompanyElevenReplaceAllsFollowTheSetUp) {
  RecordingWordBasic w;
  word::InsertRecord(w, SampleValues());
  std::vector<std::string> names = w.Names();
  ASSERT_GE(names.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4),
            (std::vector<std::string>{"AppShow", "EditFindClearFormatting", "EditReplaceClearFormatting",
                                      "StartOfDocument"}));
  ASSERT_EQ(w.sent[3].args.size(), 1u);
  EXPECT_EQ(w.sent[3].args[0].Integer(), 0);
  EXPECT_EQ(Finds(w), (std::vector<std::string>{"<Header>", "<Name>", "<Number>", "<User 1>", "<User 2>", "<User 3>",
                                                "<User 4>", "<User 5>", "<User 6>", "<User 7>", "<User 8>"}));
  EXPECT_EQ(w.sent.size(), 4u + 11u);
}

TEST(WordInsert, TitleAndCompanyComeBetweenNameAndNumberAsHeldTexts) {
  RecordingWordBasic w;
  word::InsertValues v = SampleValues();
  v.title = "Director";
  v.company = "";
  word::InsertRecord(w, v);
  auto finds = Finds(w);
  ASSERT_EQ(finds.size(), 13u);
  EXPECT_EQ(std::vector<std::string>(finds.begin(), finds.begin() + 5),
            (std::vector<std::string>{"<Header>", "<Name>", "<Title>", "<Company>", "<Number>"}));
  const SentCommand& company = *w.Named("EditReplace")[3];
  EXPECT_EQ(company.Text("Replace"), "");  // an empty box removes the variable
  EXPECT_TRUE(company.args[0].byRef && company.args[1].byRef);
}

TEST(WordInsert, TheHeaderJoinsTheNonEmptyLinesWithLineBreaks) {
  EXPECT_EQ(word::HeaderText({"A", "", "B"}), "A\x0B" "B");
  EXPECT_EQ(word::HeaderText({}), "");
  EXPECT_EQ(word::HeaderText({"", ""}), "");
  EXPECT_EQ(word::HeaderText({"", "A", ""}), "A");
  RecordingWordBasic w;
  word::InsertValues v = SampleValues();
  v.headerLines = {"A", "", "B"};
  word::InsertRecord(w, v);
  EXPECT_EQ(w.Named("EditReplace")[0]->Text("Replace"), "A\x0B" "B");
}

TEST(WordInsert, ValuesAndFieldNamesTravelLiterallyOrAreReportedAsTooLong) {
  RecordingWordBasic w;
  word::InsertValues v = SampleValues();
  v.name = "R&D ^c";
  v.additional[0].first = "Fee^p";
  v.additional[4].first = std::string(127, '^');  // 254 characters once doubled
  EXPECT_EQ(word::InsertRecord(w, v), std::vector<std::string>{v.additional[4].first});
  auto replaces = w.Named("EditReplace");
  EXPECT_EQ(replaces.size(), 10u);  // every other variable still filled
  EXPECT_EQ(replaces[1]->Text("Replace"), "R&D ^^c");
  EXPECT_EQ(replaces[3]->Text("Find"), "<Fee^^p>");
}

TEST(WordInsert, ARefusedCommandStopsTheSequenceThere) {
  RecordingWordBasic w;
  w.failAt = 7;  // the third replace-all
  EXPECT_THROW(word::InsertRecord(w, SampleValues()), word::WordError);
  EXPECT_EQ(w.sent.size(), 7u);
  EXPECT_EQ(w.sent.back().Text("Find"), "<Number>");
}

// ---------------------------------------------------------------- mail merge

const std::vector<std::string> kFieldNames{"Birthday", "Email", "User 3", "User 4", "User 5", "User 6", "User 7", "NAME"};

TEST(MailMerge, ColumnsTakeTheirFieldsByNameWithoutRegardToCase) {
  auto all = word::MergeFieldNames(kFieldNames);
  ASSERT_EQ(all.size(), 17u);
  EXPECT_EQ(all[7], "Fax#");
  EXPECT_EQ(all[9], "Birthday");
  EXPECT_EQ(word::MergeColumnMap(all, {"Fax#", "email", "Phone#"}), (std::vector<int>{7, 10, 8}));
  // "NAME", an additional field named like the first field, comes later and wins the column.
  EXPECT_EQ(word::MergeColumnMap(all, {"Name", "Company"}), (std::vector<int>{16, 1}));
  // Chosen twice, the second column gets no field.
  EXPECT_EQ(word::MergeColumnMap(all, {"Name", "NAME"}), (std::vector<int>{16, -1}));
  EXPECT_EQ(word::MergeColumnMap(all, {"Unknown"}), (std::vector<int>{-1}));
}

TEST(MailMerge, ARowHasACellForEveryColumn) {
  std::vector<std::string> values{"John", "", "x"};
  EXPECT_EQ(word::MergeRow(values, {2, 1, -1, 0}), "x\t\t\tJohn");
  EXPECT_EQ(word::MergeRow(values, {1}), "");
  EXPECT_EQ(word::MergeRow({"a\tb"}, {0, 0}), "a\tb\ta\tb");
}

TDatabase Contacts() {
  TDatabase db;
  auto add = [&](std::string name, std::string treatment, std::string fax) {
    auto r = std::make_unique<TRecord>();
    r->Set(TRecord::kName, std::move(name));
    r->Set(TRecord::kTreatment, std::move(treatment));
    r->Set(TRecord::kFax, std::move(fax));
    db.Add(std::move(r));
  };
  add("Smith, John", "Mr.", "111");
  add("Baker", "", "222");
  add("Smith, John", "Dr.", "333");
  return db;
}

TEST(MailMerge, TheDocumentIsBuiltAsTextThenTurnedIntoATable) {
  RecordingWordBasic w;
  word::MergeRequest request;
  request.chosenFields = {"Fax#", "Name", "Treatment"};
  request.chosenNames = {"Baker", "smith, john", "Smith, John", "Smith, John"};
  request.fieldNames = {"Birthday", "Email"};
  request.useTreatment = true;
  TDatabase db = Contacts();
  word::BuildMergeDocument(w, request, db);

  EXPECT_EQ(w.Names(), (std::vector<std::string>{"AppShow", "FileNewDefault", "Insert", "InsertPara", "Insert",
                                                 "InsertPara", "Insert", "InsertPara", "Insert", "InsertPara",
                                                 "StartOfDocument", "EndOfDocument", "TextToTable"}));
  auto inserts = w.Named("Insert");
  EXPECT_EQ(inserts[0]->args[0].Text(), "Fax#\tName\tTreatment");
  EXPECT_EQ(inserts[1]->args[0].Text(), "222\tBaker\t");
  // Names match exactly; the first of two equal names gives both rows.
  EXPECT_EQ(inserts[2]->args[0].Text(), "111\tMr. John Smith\tMr.");
  EXPECT_EQ(inserts[3]->args[0].Text(), "111\tMr. John Smith\tMr.");
  EXPECT_EQ(w.sent[10].args[0].Integer(), 0);
  EXPECT_EQ(w.sent[11].args[0].Integer(), 1);
  ASSERT_EQ(w.sent[12].args.size(), 1u);
  EXPECT_EQ(w.sent[12].args[0].name, "ConvertFrom");
  EXPECT_EQ(w.sent[12].args[0].Integer(), 1);
}

TEST(MailMerge, WithoutTreatmentTheNameIsComposedAlone) {
  TDatabase db = Contacts();
  word::MergeRequest request;
  request.chosenFields = {"name"};
  request.chosenNames = {"Smith, John"};
  RecordingWordBasic w;
  word::BuildMergeDocument(w, request, db);
  EXPECT_EQ(w.Named("Insert")[1]->args[0].Text(), "John Smith");

  // An additional field called "NAME" takes the column from the contact's name.
  request.fieldNames = kFieldNames;
  RecordingWordBasic w2;
  word::BuildMergeDocument(w2, request, db);
  EXPECT_EQ(w2.Named("Insert")[1]->args[0].Text(), "");
}

}  // namespace
}  // namespace qc::test
