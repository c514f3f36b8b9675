// The fast paths for big address books checked against plain, character by
// character versions of the same rules, on many random inputs: the data
// file's bytes, the comma-delimited quoting, the cutting of import lines and
// the lookups of known names.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "common/text.h"
#include "data/database.h"
#include "impexp/export.h"
#include "impexp/field_texts.h"
#include "impexp/import.h"
#include "impexp/known_names.h"
#include "settings/app_settings.h"
#include "scratch_dir.h"

namespace qc {
namespace {

// Texts made of the characters that matter to the rules: separators, quotes,
// spaces, line ends, control and 8-bit characters, letters of both cases.
std::string RandomText(std::mt19937& random, size_t maxLength) {
  static const std::string kAlphabet = std::string("aAbB,; \"\t\x01\x1F|eE\xE9\xC9\xFF") + '\0';
  std::string text(random() % (maxLength + 1), ' ');
  for (char& c : text) c = kAlphabet[random() % kAlphabet.size()];
  return text;
}

// ---------------------------------------------------------------- data file

std::string PlainRecordBytes(const std::vector<std::string>& texts, uint8_t options) {
  std::string out;
  for (const std::string& t : texts) {
    std::string text = t.substr(0, 255);
    out += static_cast<char>(text.size());
    out += text;
  }
  out += static_cast<char>(options);
  out.append(24, '\0');
  return out;
}

TEST(LargeLists, DataFileBytesAreTheRecordsOneAfterTheOther) {
  std::mt19937 random(7);
  TDatabase list;
  std::vector<std::vector<std::string>> plain;  // the same texts, kept as strings
  std::string expected("\x2C\x01\x00\x00", 4);
  for (int i = 0; i < 400; ++i) {
    TRecord r;
    std::vector<std::string> texts(TRecord::kTextCount);
    // Texts set in any order, again and again, now and then to another text of the same contact.
    for (int k = 0; k < 40; ++k) {
      const int t = static_cast<int>(random() % TRecord::kTextCount);
      const int from = static_cast<int>(random() % TRecord::kTextCount);
      std::string text = k % 8 == 7 ? texts[static_cast<size_t>(from)] : RandomText(random, t == 0 ? 300 : 40);
      if (k % 8 == 7) r.Set(t, r.Text(from));
      else r.Set(t, text);
      texts[static_cast<size_t>(t)] = text;
    }
    r.Options = static_cast<uint8_t>(random());
    expected += PlainRecordBytes(texts, r.Options);
    plain.push_back(texts);
    list.Add(std::move(r));
  }
  const auto count = static_cast<uint32_t>(list.Count());
  expected.insert(4, std::string{char(count & 0xFF), char(count >> 8), 0, 0} + std::string(32, '\0'));

  std::string bytes = "before";
  list.WriteToStream(bytes);
  EXPECT_EQ(bytes, "before" + expected);
  EXPECT_EQ(list.StreamSize(), expected.size());

  // Read back, every text holds its first 255 bytes.
  TDatabase again;
  ByteReader in(std::string_view(bytes).substr(6));
  ASSERT_TRUE(again.ReadFromStream(in));
  ASSERT_EQ(again.Count(), list.Count());
  for (int i = 0; i < list.Count(); ++i) {
    for (int t = 0; t < TRecord::kTextCount; ++t)
      ASSERT_EQ(again.Items(i).Text(t), plain[size_t(i)][size_t(t)].substr(0, 255)) << i << "/" << t;
    ASSERT_EQ(again.Items(i).Options, list.Items(i).Options);
  }

  // Saved a buffer at a time, the file holds the same bytes, also when
  // contacts of the largest size fill several buffers.
  const std::string longest(300, 'L');
  for (int i = 0; i < 700; ++i) {
    TRecord r;
    for (int t = 0; t < TRecord::kTextCount; ++t) r.Set(t, i % 3 ? RandomText(random, 300) : longest);
    list.Add(std::move(r));
  }
  bytes.clear();
  list.WriteToStream(bytes);
  ASSERT_GT(bytes.size(), size_t{2} << 20);
  test::ScratchDir dir;
  list.SaveToFile(dir.Path("QUILLCRD.DAT"));
  EXPECT_TRUE(dir.Read("QUILLCRD.DAT") == bytes);
}

// ---------------------------------------------------------------- export

std::string PlainCommaLine(const std::vector<std::string>& values) {
  if (values.size() == 1 && values[0].empty()) return "\"\"";
  std::string line;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) line += ',';
    bool quote = false;
    for (unsigned char c : values[i]) quote = quote || c == ' ' || c == '"' || c == ',' || (c >= 1 && c <= 31);
    if (!quote) {
      line += values[i];
      continue;
    }
    line += '"';
    for (char c : values[i]) {
      line += c;
      if (c == '"') line += '"';
    }
    line += '"';
  }
  return line;
}

TEST(LargeLists, CommaLinesQuoteExactlyAsTheRuleSays) {
  std::mt19937 random(11);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::string> values(1 + random() % 6);
    for (std::string& v : values) v = RandomText(random, 12);
    ASSERT_EQ(FormatExportLine(values, ExportFormat::Comma), PlainCommaLine(values));
  }
}

TEST(LargeLists, ValuesLongerThanTheWritersStepsComeOutWhole) {
  std::mt19937 random(13);
  std::string huge = RandomText(random, 0);
  while (huge.size() < 300000) huge += "ab\"c, " + std::to_string(huge.size());
  const std::vector<std::string> values = {"x", huge, huge + huge, ""};
  EXPECT_EQ(FormatExportLine(values, ExportFormat::Comma), PlainCommaLine(values));
  EXPECT_EQ(FormatExportLine(values, ExportFormat::Tab), "x\t" + huge + "\t" + huge + huge + "\t");

  AppSettings settings;
  TDatabase list;
  std::string expected = "Name,Company\r\n";
  for (int i = 0; i < 50; ++i) {
    auto r = std::make_unique<TRecord>();
    r->Set(TRecord::kName, RandomText(random, 20));
    r->Set(TRecord::kCompany, i % 10 == 0 ? huge : RandomText(random, 20));
    expected += PlainCommaLine({std::string(r->Name()), std::string(r->Company())}) + "\r\n";
    list.Add(std::move(r));
  }
  NoProgress none;
  EXPECT_EQ(BuildExportText(list, settings.FieldNames, {{"Name", "Company"}, ExportFormat::Comma, true}, none),
            expected);
}

// ---------------------------------------------------------------- import lines

std::vector<std::string> PlainSplit(std::string_view line, std::string_view separators,
                                    std::optional<char> quote) {
  auto isSeparator = [&](char c) {
    return separators.find(c) != std::string_view::npos && !(quote && c == *quote);
  };
  std::vector<std::string> fields;
  size_t pos = 0;
  for (;;) {
    while (pos < line.size() && isSeparator(line[pos])) ++pos;
    if (pos >= line.size()) return fields;
    std::string field;
    bool quoted = false;
    for (; pos < line.size(); ++pos) {
      if (quote && line[pos] == *quote) quoted = !quoted;
      else if (!quoted && isSeparator(line[pos])) break;
      else field += line[pos];
    }
    fields.push_back(field);
  }
}

TEST(LargeLists, LinesAreCutAsCharacterByCharacter) {
  std::mt19937 random(17);
  const std::vector<std::pair<std::string, std::optional<char>>> settings = {
      {",", '"'}, {",; ", '"'}, {"\t", std::nullopt}, {",\"", '"'}, {";", '|'}, {std::string(1, '\0'), '"'}};
  for (int round = 0; round < 5000; ++round) {
    const auto& [separators, quote] = settings[random() % settings.size()];
    const std::string line = RandomText(random, 30);
    ASSERT_EQ(SplitImportLine(line, separators, quote), PlainSplit(line, separators, quote))
        << "line \"" << line << "\"";
  }
}

TEST(LargeLists, LinesEndAtEveryKindOfLineEnd) {
  std::mt19937 random(19);
  for (int round = 0; round < 500; ++round) {
    std::vector<std::string> lines(random() % 8);
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
      // Not empty: an empty line after a CR would make a CR LF of two line ends.
      for (int k = 1 + random() % 10; k > 0; --k) lines[i] += static_cast<char>('a' + random() % 3);
      text += lines[i];
      const char* ends[] = {"\r\n", "\n", "\r"};
      if (i + 1 < lines.size() || random() % 2) text += ends[random() % 3];
    }
    ASSERT_EQ(SplitIntoLines(text), lines) << "text \"" << text << "\"";
  }
}

TEST(LargeLists, ImportedContactsHoldTheFieldsOfTheirLines) {
  std::mt19937 random(29);
  const std::vector<std::string> chosen = {"Full Name", "Company", "Title", "User 1"};
  std::vector<std::string> lines;
  std::string text;
  for (int i = 0; i < 3000; ++i) {
    lines.push_back(RandomText(random, 60));
    for (char& c : lines.back()) c = c == '\0' ? 'x' : c;  // a NUL would end the text
    text += lines.back() + "\r\n";
  }
  ImportRequest request;
  request.separators = ",";
  request.fields = chosen;
  request.mode = ImportMode::Replace;
  request.ignoreFirstLine = false;
  auto list = std::make_unique<TDatabase>();
  NoProgress none;
  ImportContacts(ImportFileLines(text), request, AppSettings(), list, none);

  int imported = 0;
  for (const std::string& line : lines) {
    std::vector<std::string> fields = PlainSplit(line, ",", '"');
    if (fields.empty()) continue;
    fields.resize(std::max(fields.size(), chosen.size()), " ");  // a missing field is a single space
    if (fields[0].empty()) continue;
    ASSERT_LT(imported, list->Count()) << line;
    const TRecord& r = list->Items(imported++);
    for (int c : {0, 1, 2, 3})
      ASSERT_EQ(r.Text(c < 3 ? c : TRecord::kUser1), fields[size_t(c)]) << "line \"" << line << "\"";
  }
  EXPECT_EQ(imported, list->Count());
}

// ---------------------------------------------------------------- known names

// The same list kept plainly: (name, contact) pairs searched from the front.
struct PlainNames {
  std::vector<std::pair<std::string, int>> pairs;
  int First(const std::string& name) const {
    for (const auto& p : pairs)
      if (SameText(p.first, name)) return p.second;
    return -1;
  }
  int RemoveFirst(const std::string& name) {
    for (size_t i = 0; i < pairs.size(); ++i) {
      if (SameText(pairs[i].first, name)) {
        int contact = pairs[i].second;
        pairs.erase(pairs.begin() + static_cast<long>(i));
        return contact;
      }
    }
    return -1;
  }
};

TEST(LargeLists, KnownNamesAnswerAsAPlainListDoes) {
  std::mt19937 random(23);
  // Few enough names to meet each other often, in every letter case,
  // accented ones among them; many enough pairs for the table to grow.
  std::vector<std::string> names;
  for (int i = 0; i < 600; ++i) {
    std::string name = "n" + std::to_string(i % 300) + (i % 3 == 0 ? "\xE9" : "e");
    for (char& c : name)
      if (random() % 2) c = UpperCase(std::string(1, c))[0];
    names.push_back(name);
  }
  KnownNames known;
  PlainNames plain;
  int next = 0;
  for (int step = 0; step < 20000; ++step) {
    const std::string& name = names[random() % names.size()];
    switch (random() % 4) {
      case 0:
      case 1:
        known.Append(name, next);
        plain.pairs.emplace_back(name, next++);
        break;
      case 2:
        ASSERT_EQ(known.RemoveFirst(name), plain.RemoveFirst(name)) << name;
        break;
      case 3:
        ASSERT_EQ(known.First(name), plain.First(name)) << name;
        ASSERT_EQ(known.Contains(name), plain.First(name) >= 0) << name;
        break;
    }
    ASSERT_EQ(known.Size(), plain.pairs.size());
  }
}

TEST(LargeLists, NumberedNamesAreFreeAmongManyKnownNames) {
  KnownNames known;
  PlainNames plain;
  for (int i = 0; i < 300; ++i) {
    const std::string name = i % 2 ? "Acme" : "ACME";
    std::string numbered = known.FreeNumberedName(name);
    // The smallest free number, as a plain search finds it.
    int n = 1;
    while (plain.First(NumberedName(name, n)) >= 0) ++n;
    ASSERT_EQ(numbered, NumberedName(name, n));
    known.Append(numbered, i);
    plain.pairs.emplace_back(numbered, i);
  }
}

}  // namespace
}  // namespace qc
