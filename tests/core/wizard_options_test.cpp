#include "settings/wizard_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/user_messages.h"
#include "scratch_dir.h"
#include "settings/ini_file.h"

namespace qc {
namespace {

using Names = std::vector<std::string>;

TEST(WizardOptions, FieldListsAndSeparatorEncoding) {
  EXPECT_EQ(SplitFieldList(",,Name,,Address 1,"), (Names{"Name", "Address 1"}));
  EXPECT_EQ(SplitFieldList(",,,"), Names{});
  // A name holding a comma cannot survive the list.
  EXPECT_EQ(SplitFieldList(JoinFieldList({"Last, First", "Phone#"})),
            (Names{"Last", " First", "Phone#"}));
  EXPECT_EQ(EncodeSeparator("\t"), "#9");
  EXPECT_EQ(DecodeSeparator("#9"), "\t");
  EXPECT_EQ(EncodeSeparator(";,"), ";,");
  EXPECT_EQ(EncodeSeparator("'|'"), "\"'|'\"");  // a read would drop the quotes
  EXPECT_EQ(EncodeSeparator("\""), "\"");
}

TEST(WizardOptions, MissingFileGivesDefaults) {
  test::ScratchDir dir;
  IniFileProfile cfg(dir.Path(kWizardSettingsFileName));
  WizardOptions o = ReadWizardOptions(cfg);
  EXPECT_EQ(o.Filename, "");
  EXPECT_TRUE(o.AddHeaders);
  EXPECT_EQ(o.Separator, "");
  EXPECT_EQ(o.QuoteChar(), '"');
  EXPECT_TRUE(o.IgnoreHeaders);
  EXPECT_TRUE(o.Backup);
}

TEST(WizardOptions, EachRunWritesItsOwnSectionInOrderAndReadsBack) {
  test::ScratchDir dir;
  IniFileProfile cfg(dir.Path(kWizardSettingsFileName));
  WizardOptions o;
  o.Filename = "C:\\data\\list.txt";
  o.ImportFields = {"Name", "User 3"};
  o.Separator = "\t";
  o.SetQuoteChar(std::nullopt);
  o.NameType = 2;
  o.IgnoreHeaders = false;
  WriteWizardOptions(cfg, o, true);
  o.ExportFields = {"Company", "Fax#"};
  o.ExportType = 1;
  o.Separator = " ";  // not written by an export
  WriteWizardOptions(cfg, o, false);
  EXPECT_EQ(dir.Read(kWizardSettingsFileName),
            "[General]\r\nFilename=C:\\data\\list.txt\r\n"
            "[Import]\r\nFields=Name,User 3\r\nSeparator=#9\r\nQuote=0\r\nName Type=2\r\nType=0\r\n"
            "Headers=0\r\nBackup=1\r\n"
            "[Export]\r\nFields=Company,Fax#\r\nType=1\r\nAdd Headers=1\r\n");
  WizardOptions back = ReadWizardOptions(cfg);
  EXPECT_EQ(back.ImportFields, (Names{"Name", "User 3"}));
  EXPECT_TRUE(back.SeparatorIsTab());
  EXPECT_EQ(back.QuoteChar(), std::nullopt);
  EXPECT_EQ(back.ExportFields, (Names{"Company", "Fax#"}));
  EXPECT_EQ(back.ExportType, 1);

  o.ImportFields = {" Dr. "};
  WriteWizardOptions(cfg, o, true);  // blanks at either end survive the trimming read
  EXPECT_EQ(ReadWizardOptions(cfg).Separator, " ");
  EXPECT_EQ(ReadWizardOptions(cfg).ImportFields, Names{" Dr. "});

  IniFileProfile refused(dir.Path("missing/" + std::string(kWizardSettingsFileName)));
  try {
    WriteWizardOptions(refused, o, true);
    ADD_FAILURE() << "no error";
  } catch (const UserError& e) {
    EXPECT_STREQ(e.what(), "Unable to write to quillcrd.cfg");
  }
}

}  // namespace
}  // namespace qc
