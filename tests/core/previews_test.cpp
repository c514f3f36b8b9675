#include <gtest/gtest.h>

#include "data/letter.h"

namespace qc {
namespace {

TEST(ComposeLetterName, TurnsSortableNamesIntoAddressForms) {
  EXPECT_EQ(ComposeLetterName("Smith, John", "", false), "John Smith");
  EXPECT_EQ(ComposeLetterName("Smith, John", "Mr.", true), "Mr. John Smith");
  EXPECT_EQ(ComposeLetterName("Smith, John", "Mr.", false), "John Smith");
  EXPECT_EQ(ComposeLetterName("Smith, John [Acme]", "", false), "John Smith");
  EXPECT_EQ(ComposeLetterName("Acme[2]", "", false), "Acme");
  EXPECT_EQ(ComposeLetterName("Smith,John", "", false), "ohn Smith");
  EXPECT_EQ(ComposeLetterName("Smith, John, Jr.", "", false), "John, Jr. Smith");
  EXPECT_EQ(ComposeLetterName("Smith,", "", false), " Smith");
  EXPECT_EQ(ComposeLetterName("Plain Name", "", true), "Plain Name");
  EXPECT_EQ(ComposeLetterName("", "Mr.", true), "Mr. ");
  EXPECT_EQ(ComposeLetterName("  Smith , John ", "", false), "John    Smith ");
}

PreviewInput SmithContact(int options, const std::string& fax = "") {
  PreviewInput in;
  in.name = "Smith, John";
  in.company = "Acme Ltd";
  in.title = "Director";
  in.treatment = "Mr.";
  in.address1 = "1 Main Road";
  in.address3 = "Springfield";
  in.fax = fax;
  ApplyOptionByte(in, options);
  return in;
}

using Lines = std::vector<std::string>;

TEST(Previews, LetterHeaderFollowsTheOptionByte) {
  EXPECT_EQ(LetterHeaderLines(SmithContact(15)),
            (Lines{"Acme Ltd", "Mr. John Smith", "Director", "1 Main Road", "Springfield"}));
  EXPECT_EQ(LetterHeaderLines(SmithContact(14)),
            (Lines{"Mr. John Smith", "Director", "Acme Ltd", "1 Main Road", "Springfield"}));
  // Without "Use Company" the company never appears, whatever comes first.
  EXPECT_EQ(LetterHeaderLines(SmithContact(1)), (Lines{"John Smith", "1 Main Road", "Springfield"}));
  PreviewInput empty;
  EXPECT_EQ(LetterHeaderLines(empty), (Lines{""}));
}

TEST(Previews, FaxLinesAlwaysHoldNameAndNumber) {
  EXPECT_EQ(FaxLines(SmithContact(112, "0000")), (Lines{"Mr. John Smith", "Director", "Acme Ltd", "0000"}));
  EXPECT_EQ(FaxLines(SmithContact(0)), (Lines{"John Smith", ""}));
}

}  // namespace
}  // namespace qc
