// Cutting an import file into lines and lines into fields, and reading the
// "Options" column.
#include <gtest/gtest.h>

#include "impexp/import.h"

namespace qc {
namespace {

using Names = std::vector<std::string>;

Names Split(std::string_view line, std::string_view separators = ",", std::optional<char> quote = '"') {
  return SplitImportLine(line, separators, quote);
}

TEST(SplitIntoLines, EveryLineEndAndTheNulCharacter) {
  EXPECT_EQ(SplitIntoLines(""), Names{});
  EXPECT_EQ(SplitIntoLines("a"), Names{"a"});
  EXPECT_EQ(SplitIntoLines("a\r\n"), Names{"a"});
  EXPECT_EQ(SplitIntoLines("a\r\nb\rc\nd"), (Names{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitIntoLines("\r\n\n\r"), (Names{"", "", ""}));
  EXPECT_EQ(SplitIntoLines("a\n\rb"), (Names{"a", "", "b"}));
  EXPECT_EQ(SplitIntoLines(std::string("a\r\nb\0c\r\nd", 10)), (Names{"a", "b"}));
  EXPECT_EQ(SplitIntoLines(std::string("\0a", 2)), Names{});
  // A UTF-8 byte-order mark does not become part of the first line; elsewhere it stays.
  EXPECT_EQ(SplitIntoLines("\xEF\xBB\xBF" "Ann,A1\r\n"), Names{"Ann,A1"});
  EXPECT_EQ(SplitIntoLines("a\n\xEF\xBB\xBF" "b"), (Names{"a", "\xEF\xBB\xBF" "b"}));
}

TEST(SplitImportLine, SeparatorRunsAndEndsGiveNoFields) {
  EXPECT_EQ(Split("a,,c"), (Names{"a", "c"}));
  EXPECT_EQ(Split(",,a,b,,"), (Names{"a", "b"}));
  EXPECT_EQ(Split(",,,"), Names{});
  EXPECT_EQ(Split(""), Names{});
  EXPECT_EQ(Split("  a b ", ", "), (Names{"a", "b"}));
  EXPECT_EQ(Split("Smith, John", ", "), (Names{"Smith", "John"}));
  EXPECT_EQ(Split("a;b|c", ";|"), (Names{"a", "b", "c"}));
  EXPECT_EQ(Split(" keep  spaces ,x"), (Names{" keep  spaces ", "x"}));
}

TEST(SplitImportLine, QuotesHoldSeparatorsAndAreRemoved) {
  EXPECT_EQ(Split("a,\"\",c"), (Names{"a", "", "c"}));
  EXPECT_EQ(Split("\"Smith, John\",Acme"), (Names{"Smith, John", "Acme"}));
  EXPECT_EQ(Split("\"say \"\"hi\"\"\",x"), (Names{"say hi", "x"}));
  EXPECT_EQ(Split("ab\"c,d\"e,f"), (Names{"abc,de", "f"}));
  // An unbalanced quote runs to the end of the line.
  EXPECT_EQ(Split("a,\"b,c,d"), (Names{"a", "b,c,d"}));
  EXPECT_EQ(Split("\"\""), Names{""});
}

TEST(SplitImportLine, WithoutQuoteNothingIsQuoted) {
  EXPECT_EQ(Split("\"a,b\",c", ",", std::nullopt), (Names{"\"a", "b\"", "c"}));
  EXPECT_EQ(Split("'a,b',c", ",", '\''), (Names{"a,b", "c"}));
}

TEST(SplitImportLine, TabSeparatedExportComesBack) {
  EXPECT_EQ(Split("Smith, John\tsay \"hi\"\t\tx", "\t", std::nullopt), (Names{"Smith, John", "say \"hi\"", "x"}));
}

TEST(SplitImportLine, AQuoteThatIsAlsoASeparatorIsOnlyAQuote) {
  EXPECT_EQ(Split("a\"b,c\"d", ",\"", '"'), (Names{"ab,cd"}));
  EXPECT_EQ(Split("\"\"\"", "\"", '"'), Names{""});
}

TEST(SplitImportLine, EightBitTextPassesThrough) {
  EXPECT_EQ(Split("M\xfcller,\xe9t\xe9\xff", ","), (Names{"M\xfcller", "\xe9t\xe9\xff"}));
  EXPECT_EQ(Split("a\xa7" "b", "\xa7"), (Names{"a", "b"}));
}

TEST(ParseOptionsNumber, DecimalHexSignsAndRejections) {
  EXPECT_EQ(ParseOptionsNumber("300"), 300);
  EXPECT_EQ(ParseOptionsNumber("   +12"), 12);
  EXPECT_EQ(ParseOptionsNumber("-1"), -1);
  EXPECT_EQ(ParseOptionsNumber("$ff"), 255);
  EXPECT_EQ(ParseOptionsNumber("-$10"), -16);
  EXPECT_EQ(ParseOptionsNumber("$FFFFFFFF"), -1);
  EXPECT_EQ(ParseOptionsNumber("$000000001"), 1);
  EXPECT_EQ(ParseOptionsNumber("2147483647"), 2147483647);
  EXPECT_EQ(ParseOptionsNumber("-2147483648"), INT32_MIN);
  for (const char* bad : {"", " ", "abc", "12 ", "1x", "+", "-", "$", "$g", "0x10", "\t5", "2147483648",
                          "$100000000", "99999999999999999999", "- 5", "1.5"})
    EXPECT_EQ(ParseOptionsNumber(bad), std::nullopt) << bad;
}

TEST(ComposeName, WhicheverPartsAreThere) {
  EXPECT_EQ(ComposeName("John", "Q", "Smith"), "Smith, John Q");
  EXPECT_EQ(ComposeName("John", "Q", ""), "John Q");
  EXPECT_EQ(ComposeName("", "Q", "Smith"), "Smith");
  EXPECT_EQ(ComposeName("", "Q", ""), "");
  EXPECT_EQ(ComposeName("John", "", "Smith"), "Smith, John");
  EXPECT_EQ(ComposeName("John", " ", "Smith"), "Smith, John  ");
}

}  // namespace
}  // namespace qc
