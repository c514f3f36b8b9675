#include "settings/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scratch_dir.h"

namespace qc {
namespace {

namespace fs = std::filesystem;
using std::string_literals::operator""s;
using test::ScratchDir;

TEST(IniText, ReadsValuesAsThePlatformDoes) {
  const std::string ini =
      "top=0\r\n[Options]\r\n  Hints =  2  \r\ndq=\"a b\"\r\nsq='a b'\r\nmixed=\"a'\r\nlone=\"\r\n"
      "padded= \" a \" \r\nequals==1\r\nbare\r\nnul=ab\0cd\r\n"s
      "[ Other ] trailing\nk=other\n[Broken\nafter=broken\r"
      "[A]\rx=1\rx=2\r[B]\r[a]\ry=4\r";
  auto find = [&](const char* s, const char* k) { return FindIniValue(ini, s, k); };
  EXPECT_EQ(find("OPTIONS", "hints"), "2");
  EXPECT_EQ(find("Options", "dq"), "a b");
  EXPECT_EQ(find("Options", "sq"), "a b");
  EXPECT_EQ(find("Options", "mixed"), "\"a'");
  EXPECT_EQ(find("Options", "lone"), "\"");
  EXPECT_EQ(find("Options", "padded"), " a ");
  EXPECT_EQ(find("Options", "equals"), "=1");
  EXPECT_EQ(find("Options", "nul"), "ab");
  EXPECT_EQ(find("Options", "bare"), std::nullopt);  // no "=": never a key
  EXPECT_EQ(find("Options", "top"), std::nullopt);   // before any section
  EXPECT_EQ(find("Broken", "after"), std::nullopt);  // "[Broken" opens no section
  EXPECT_EQ(find("Other", "after"), "broken");
  EXPECT_EQ(find("A", "x"), "1");                    // first key and first section win
  EXPECT_EQ(find("A", "y"), std::nullopt);
  EXPECT_EQ(FindIniValue("\xEF\xBB\xBF[A]\nx=1", "A", "x"), "1");
  EXPECT_EQ(FindIniValue("[A]\nx=" + std::string(100 * 1024, 'v'), "A", "x"), std::string(1023, 'v'));
  EXPECT_EQ(FindIniValue("[A]\nx='" + std::string(1023, 'q') + "'", "A", "x"), std::string(1023, 'q'));
  EXPECT_EQ(ProfileDefaultValue("def  \t"), "def");
}

TEST(IniText, WritesChangeOnlyTheirOwnLine) {
  const std::string ini = "; note\n[Default]\n  OPTIONS = 5  \nbare\n\n[A]\r\n[a]\r\n" +
                          std::string(100 * 1024, 'j') + "\0\nk=v"s;
  const std::string tail = "[A]\r\n[a]\r\n" + std::string(100 * 1024, 'j') + "\0\nk=v"s;
  EXPECT_EQ(SetIniValue(ini, "default", "Options", "7"),
            "; note\n[Default]\nOPTIONS=7\nbare\n\n" + tail);
  // A new key goes after the last non-blank line, before the blank separator.
  EXPECT_EQ(SetIniValue(ini, "Default", "New", "1"),
            "; note\n[Default]\n  OPTIONS = 5  \nbare\nNew=1\r\n\n" + tail);
  EXPECT_EQ(SetIniValue(ini, "A", "x", "1"),
            "; note\n[Default]\n  OPTIONS = 5  \nbare\n\n[A]\r\nx=1\r\n[a]\r\n" +
                std::string(100 * 1024, 'j') + "\0\nk=v"s);
  // The unfinished last line is ended before a section is added.
  EXPECT_EQ(SetIniValue(ini, "New", "x", ""), ini + "\r\n[New]\r\nx=\r\n");
  EXPECT_EQ(SetIniValue("[A]", "A", "x", "1"), "[A]\r\nx=1\r\n");
}

TEST(IniText, NamesAndValuesThatWouldBreakTheFormat) {
  for (const std::string& bad : std::vector<std::string>{"", "  ", "a]b", "a\nb", "a\0b"s})
    EXPECT_FALSE(IsWritableSectionName(bad)) << bad;
  for (const std::string& bad : std::vector<std::string>{"", "a=b", " [x]", "a\rb", "a\0b"s})
    EXPECT_FALSE(IsWritableKeyName(bad)) << bad;
  EXPECT_TRUE(IsWritableSectionName("User Fields"));
  EXPECT_TRUE(IsWritableKeyName("Tray Application"));
  EXPECT_EQ(OneLineProfileValue("Region\r\n[Options]\r\nFirstTime=1"), "Region");
}

TEST(IniFile, MissingFileReadsDefaultsAndWritesCreateIt) {
  ScratchDir dir;
  IniFileProfile ini(dir.Path("QUILLCRD.INI"));
  EXPECT_EQ(ini.FileName(), "QUILLCRD.INI");
  EXPECT_EQ(ini.ReadString("Options", "Hints", "dflt"), "dflt");
  ASSERT_TRUE(ini.WriteString("Options", "Hints", "1"));
  ASSERT_TRUE(ini.WriteString("Default", "Treatment", "Dear\r\n[Options]\r\nHints=9"));
  ASSERT_TRUE(ini.WriteString("options", "hints", "0"));
  EXPECT_EQ(dir.Read("QUILLCRD.INI"), "[Options]\r\nHints=0\r\n[Default]\r\nTreatment=Dear\r\n");
  EXPECT_EQ(ini.ReadString("OPTIONS", "HINTS", "x"), "0");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"QUILLCRD.INI"});  // no temporary file left
}

TEST(IniFile, RefusedWritesReturnFalseAndKeepTheOldFile) {
  ScratchDir dir;
  dir.Write("plain", "not a folder");
  EXPECT_FALSE(IniFileProfile(dir.Path("missing/Q.INI")).WriteString("A", "x", "1"));
  EXPECT_FALSE(IniFileProfile(dir.Path("plain/Q.INI")).WriteString("A", "x", "1"));
  fs::create_directory(dir.Path("DIR.INI"));
  EXPECT_FALSE(IniFileProfile(dir.Path("DIR.INI")).WriteString("A", "x", "1"));
  EXPECT_FALSE(IniFileProfile(dir.Path("N.INI")).WriteString("A", "k=", "1"));

  // The new content cannot be written beside the file: the old one stays whole.
  dir.Write("Q.INI", "[A]\nx=1\n");
  fs::create_directory(dir.Path("Q.INI.new~"));
  IniFileProfile ini(dir.Path("Q.INI"));
  EXPECT_FALSE(ini.WriteString("A", "x", "2"));
  EXPECT_EQ(dir.Read("Q.INI"), "[A]\nx=1\n");
}

TEST(IniFile, ReadOnlyFileIsRefused) {
  ScratchDir dir;
  dir.Write("RO.INI", "[A]\nx=1\n");
  fs::permissions(dir.Path("RO.INI"), fs::perms::owner_read);
  if (std::ofstream(dir.Path("RO.INI"), std::ios::app)) GTEST_SKIP() << "permissions not enforced";
  EXPECT_FALSE(IniFileProfile(dir.Path("RO.INI")).WriteString("A", "x", "2"));
  EXPECT_EQ(dir.Read("RO.INI"), "[A]\nx=1\n");
}

TEST(IniFile, WritesThroughSymbolicLinkKeepTheLink) {
  ScratchDir dir;
  dir.Write("real.ini", "[A]\nx=1\n");
  fs::create_symlink(dir.Path("real.ini"), dir.Path("link.ini"));
  ASSERT_TRUE(IniFileProfile(dir.Path("link.ini")).WriteString("A", "x", "2"));
  EXPECT_TRUE(fs::is_symlink(dir.Path("link.ini")));
  EXPECT_EQ(dir.Read("real.ini"), "[A]\nx=2\n");
}

}  // namespace
}  // namespace qc
