#include <gtest/gtest.h>

#include <cstdio>
#include <tuple>

#include "common/text.h"
#include "impexp/vcard.h"
#include "platform/files.h"
#include "scratch_dir.h"

namespace qc {
namespace {

AppSettings Settings(std::vector<std::string> names) {
  AppSettings s;
  s.FieldNames = std::move(names);
  s.DefaultOptions = 6;
  return s;
}

// The texts of a contact in field order, then the option byte.
std::vector<std::string> Row(const VCardContact& c) {
  std::vector<std::string> row(c.texts.begin(), c.texts.end());
  row.push_back(std::to_string(c.options));
  return row;
}

// Cards as phones, mail programs and web address books write them.
TEST(VCardRead, CardsOfSeveralWritersMapToContacts) {
  const std::string text =
      "\xEF\xBB\xBF"
      // 2.1 from a mail program: bare types, quoted-printable with soft
      // breaks, declared character sets, a 2.1 picture running over bare lines.
      "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=ISO-8859-1:M\xFCller;J\xFCrgen;;Herr;\r\n"
      "ORG;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:B=C3=BCro\\; GmbH;Verkauf\r\n"
      "TEL;HOME;VOICE:111\r\nTEL;WORK;VOICE:222\r\nTEL;HOME;FAX:333\r\nTEL;WORK;FAX:444\r\nTEL;CELL:555\r\n"
      "PHOTO;ENCODING=BASE64;TYPE=JPEG:\r\nAAAA\r\nBBBB\r\n\r\n"
      "ADR;HOME:;;Home St;Town;;;\r\nADR;WORK;ENCODING=QUOTED-PRINTABLE:;Suite 5;1 Main=\r\n St;Bonn;NRW;53111;DE\r\n"
      "NOTE;QUOTED-PRINTABLE:line one=0D=0Aline two\r\nEND:VCARD\r\n"
      // 3.0 from a web address book: groups, repeated TYPE, escapes, a folded line.
      "begin:vcard\nversion:3.0\nitem1.N:Doe;Jane;Q,R;;Jr.\nFN:Jane Doe\nitem1.EMAIL;type=INTERNET:j@x.org\n"
      "ADR;type=HOME:;;A;B;;;C\nADR;type=HOME;type=pref:;;Elm\\, 4;Oslo;;0150;Norway\n"
      "TEL;type=CELL;type=VOICE:+47 9\nNOTE:a\\,b\\;c\\\\d\\ne\nTITLE:Chief of\n  the Board\n"
      "X-UNKNOWN;FOO=\"a:b;c\":ignored\nEND:VCARD\n"
      // 4.0: quoted type lists, PREF=1, telephone URIs; a firm known by FN only.
      "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Acme Support\r\nN:;;;;\r\nTEL;VALUE=uri;TYPE=\"work,voice\":tel:+1-555-0100\r\n"
      "ADR:;;First;;;;\r\nADR;PREF=1:;;Second;;;;\r\nBDAY:--0415\r\nURL:http://acme.example/\r\nEND:VCARD\r\n"
      // A card cut short by the next one, a line that is no property, junk between cards.
      "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Lost\r\nsome junk\r\nBEGIN:VCARD\r\nFN:\xE2\x82\xAC \xE4\xB8\xAD\r\n"
      "END:VCARD\r\nnot a card\r\nBEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bad\r\nno colon here\r\nEND:VCARD\r\n"
      "BEGIN:VCARD\r\nFN:Unfinished\r\n";
  VCardReader reader(text, Settings({"Mobile", "Home Phone", "E-mail", "Notes", "Birthday", "Web", "email", "X"}));
  std::vector<std::vector<std::string>> rows;
  VCardContact c;
  std::vector<bool> replaced;
  while (reader.Next(c)) {
    rows.push_back(Row(c));
    replaced.push_back(c.replacedCharacters);
  }
  using R = std::vector<std::string>;
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], (R{"M\xFCller, J\xFCrgen", "B\xFCro; GmbH", "", "Herr", "Suite 5, 1 Main St", "Bonn NRW 53111",
                        "DE", "444", "222", "555", "111", "", "line one\r\nline two", "", "", "", "", "6"}));
  EXPECT_EQ(rows[1], (R{"Doe, Jane Q R Jr.", "", "Chief of the Board", "", "Elm, 4", "Oslo 0150", "Norway", "",
                        "", "+47 9", "", "j@x.org", "a,b;c\\d\r\ne", "", "", "", "", "6"}));
  EXPECT_EQ(rows[2], (R{"Acme Support", "", "", "", "Second", "", "", "", "+1-555-0100", "", "", "", "", "--0415",
                        "http://acme.example/", "", "", "6"}));
  EXPECT_EQ(rows[3][0], "\x80 ?");
  EXPECT_EQ(replaced, (std::vector<bool>{false, false, false, true}));
  EXPECT_EQ(reader.Damaged(), 3);
}

// Duplicate modes, counts, and a file that is no vCard at all.
TEST(VCardImport, ModesCountsAndAFileWithoutCards) {
  auto list = std::make_unique<TDatabase>();
  TRecord ann;
  ann.Set(TRecord::kName, "Lee, Ann");
  list->Add(ann);
  const std::string text =
      "BEGIN:VCARD\nN:Lee;Ann\nEND:VCARD\nBEGIN:VCARD\nN:Lee;Ann\nX-QUILLCARD-OPTIONS:300\nEND:VCARD\n"
      "BEGIN:VCARD\nORG:\nEND:VCARD\nBEGIN:VCARD\nFN:\xE4\xB8\xAD\nEND:VCARD\nBEGIN:VCARD\nFN:x\n";
  NoProgress none;
  // A trial run counts what the run will do and changes nothing.
  VCardImportRequest trial{ImportMode::AppendRecords, true, "no such folder/QUILLCRD.DAT"};
  trial.dryRun = true;
  const ImportResult counted = ImportVCards(text, trial, Settings({}), list, none).counts;
  EXPECT_EQ(list->Count(), 1);
  EXPECT_FALSE(counted.backupFailed);  // no backup is tried
  VCardImportResult r = ImportVCards(text, {ImportMode::AppendRecords, false, ""}, Settings({}), list, none);
  EXPECT_EQ(std::tie(counted.added, counted.numbered, counted.nameless, counted.withReplacedCharacters),
            std::tie(r.counts.added, r.counts.numbered, r.counts.nameless, r.counts.withReplacedCharacters));
  EXPECT_EQ(r.counts.added, 3);
  EXPECT_EQ(r.counts.numbered, 2);
  EXPECT_EQ(r.counts.nameless, 1);
  EXPECT_EQ(r.counts.withReplacedCharacters, 1);
  EXPECT_EQ(r.damaged, 1);
  ASSERT_EQ(list->Count(), 4);
  EXPECT_EQ(list->Items(2).Name(), "Lee, Ann [2]");
  EXPECT_EQ(list->Items(2).Options, 6);  // 300 is no option byte: the default
  EXPECT_EQ(list->Items(3).Name(), "?");

  r = ImportVCards(text, {ImportMode::AppendReplaceRecords, false, ""}, Settings({}), list, none);
  EXPECT_EQ(r.counts.replaced, 3);  // both "Lee, Ann" cards and "?"
  EXPECT_THROW(ImportVCards("Name,Phone\r\nAnn,555\r\n", {ImportMode::Replace, false, ""}, Settings({}), list, none),
               UserError);
  EXPECT_EQ(list->Count(), 4);
  EXPECT_EQ(ImportVCards("\xEF\xBB\xBF\r\n", {ImportMode::Replace, false, ""}, Settings({}), list, none).counts.removed, 4);
}

// Every byte of code page 1252 in every field, every option byte, awkward
// names and labels used twice: the export read back in Replace mode is the
// same list, and the file is well-formed vCard 3.0.
TEST(VCardRoundTrip, EveryByteInEveryFieldComesBack) {
  const std::vector<std::string> names = {"E-mail", "Mobile", "Home Phone", "Web", "notes", "Birthday",
                                          "email", "Say \"^hi\"\r\n"};
  TDatabase db;
  const char* awkward[] = {"Smith, ", ", John", "A, B, C", "Lee, Ann Q", "Plain", " , x"};
  for (int i = 0; i < 256; ++i) {
    TRecord r;
    for (int f = 0; f < TRecord::kTextCount; ++f) {
      if ((i + f) % 4 == 0 && f != TRecord::kName) continue;
      std::string t;
      for (int k = 0; k < 256; k += 1 + (i + f) % 7) t += static_cast<char>((k + i * 17 + f) & 0xFF);
      if (i % 3 == 0) t = "L" + std::to_string(i) + ", F \r\n\\;,x";
      r.Set(f, t);
    }
    if (i < 6) r.Set(TRecord::kName, awkward[i]);
    r.Options = static_cast<uint8_t>(i);
    db.Add(r);
  }
  NoProgress none;
  const std::string text = BuildVCardText(db, names, none);
  EXPECT_TRUE(IsUtf8(text));
  for (size_t at = 0, end; at < text.size(); at = end + 2) {
    end = text.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    ASSERT_LE(end - at, 75u);
    for (size_t k = at; k < end; ++k) ASSERT_TRUE(text[k] == '\t' || static_cast<unsigned char>(text[k]) >= 0x20);
  }
  auto back = std::make_unique<TDatabase>();
  VCardImportResult r = ImportVCards(text, {ImportMode::Replace, false, ""}, Settings(names), back, none);
  EXPECT_EQ(r.damaged, 0);
  EXPECT_EQ(r.counts.withReplacedCharacters, 0);
  ASSERT_EQ(back->Count(), db.Count());
  for (int i = 0; i < db.Count(); ++i) ASSERT_EQ(back->Items(i), db.Items(i)) << i;
}

// A vCard library nobody here wrote reads the export.
TEST(VCardExport, ReadByPythonVobject) {
  test::ScratchDir dir;
  TDatabase db;
  TRecord a;
  for (auto [f, t] : std::initializer_list<std::pair<int, const char*>>{
           {TRecord::kName, "M\xFCller, J\xFCrgen"}, {TRecord::kCompany, "B\xFCro; Nord, GmbH"},
           {TRecord::kPhone, "+49 228 1"}, {TRecord::kFax, "+49 228 2"}, {TRecord::kAddress1, "Hauptstra\xDF" "e 1"},
           {TRecord::kAddress2, "53111 Bonn"}, {TRecord::kAddress3, "Deutschland"},
           {TRecord::kUser1, "A very long note that goes on and on well past the seventy-five octets of a line \x80"}})
    a.Set(f, t);
  db.Add(a);
  TRecord b;
  b.Set(TRecord::kName, "Acme");
  db.Add(b);
  NoProgress none;
  ExportVCards(db, {"Notes"}, dir.Path("out.vcf"), none);
  const std::string script =
      "import sys, vobject\n"
      "for c in vobject.readComponents(open(sys.argv[1], encoding='utf-8').read()):\n"
      "  n = c.n.value\n"
      "  org = c.org.value[0] if hasattr(c, 'org') else ''\n"
      "  tels = ','.join(t.value + '/' + '+'.join(t.params['TYPE']) for t in c.contents.get('tel', []))\n"
      "  adr = c.adr.value if hasattr(c, 'adr') else None\n"
      "  print('|'.join([c.fn.value, n.family, n.given, org, tels, adr.street if adr else '', adr.city if adr else '',\n"
      "                  adr.country if adr else '', c.note.value if hasattr(c, 'note') else '']))\n";
  dir.Write("read.py", script);
  // scripts/setup installs python3-vobject for the system's python3.
  const std::string command = "/usr/bin/python3 " + dir.Path("read.py") + " " + dir.Path("out.vcf") + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buffer[512];
  while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
  ASSERT_EQ(pclose(pipe), 0) << out;
  EXPECT_EQ(out,
            "M\xC3\xBCller, J\xC3\xBCrgen|M\xC3\xBCller|J\xC3\xBCrgen|B\xC3\xBCro; Nord, GmbH|"
            "+49 228 1/WORK+VOICE,+49 228 2/WORK+FAX|Hauptstra\xC3\x9F" "e 1|53111 Bonn|Deutschland|"
            "A very long note that goes on and on well past the seventy-five octets of a line \xE2\x82\xAC\n"
            "Acme|Acme|||||||\n");
}

}  // namespace
}  // namespace qc
