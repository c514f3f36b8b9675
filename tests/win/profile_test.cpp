// The portable INI file must read what the Windows profile functions read
// from the same files and, for files in the form both write, leave the same
// bytes after the same writes.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "settings/app_settings.h"
#include "settings/ini_file.h"
#include "settings/win32/win_profile.h"
#include "win_test_support.h"

namespace qc {
namespace {

using std::string_literals::operator""s;
using test::ReadFileBytes;
using test::WriteFileBytes;

const std::vector<std::pair<const char*, const char*>> kReads = {
    {"options", "HINTS"}, {"Options", "dq"}, {"Options", "sq"}, {"Options", "mixed"},
    {"Options", "lone"}, {"Options", "padded"}, {"Options", "equals"}, {"Options", "bare"},
    {"Other", "after"}, {"Broken", "after"}, {"A", "x"}, {"A", "y"}, {"A", "z"}, {"A", ";x"},
    {"A", "long"}, {"B", "k"}, {"B", "k2"}, {"C", "w"}, {"Missing", "x"}};

void ExpectSameReads(Profile& a, Profile& b) {
  for (const auto& [section, key] : kReads)
    EXPECT_EQ(a.ReadString(section, key, "-"), b.ReadString(section, key, "-"))
        << section << "/" << key;
}

TEST(ProfileBackends, ReadTheSameValues) {
  test::TempDir dir;
  const std::string path = dir.File("read.ini");
  for (const std::string& content : std::vector<std::string>{
           "[Options]\r\n  Hints =  2  \r\ndq=\"a b\"\r\nsq='a b'\r\nmixed=\"a'\r\nlone=\"\r\n"
           "padded= \" a \" \r\nequals==1\r\nbare\r\n[ Other ] x\nk=1\n[Broken\nafter=b\n",
           "[A]\rx=1\rx=2\r[B]\r[a]\ry=4\r", "\xEF\xBB\xBF[A]\r\nx=1\r\nz=a\0b\r\n;x=1"s,
           "[A]\r\n" + std::string(100 * 1024, 'j') + "\r\nlong=" + std::string(5000, 'v')}) {
    WriteFileBytes(path, content);
    WinProfile win(path);
    IniFileProfile ini(path);
    ExpectSameReads(win, ini);
  }
}

TEST(ProfileBackends, WriteTheSameValues) {
  struct Case {
    std::string initial;  // empty: no file
    std::vector<std::vector<std::string>> writes;
    bool sameBytes;  // false where the platform rewrites the other lines too
  };
  const Case cases[] = {
      {"", {{"Options", "Hints", "1"}, {"Default", "Treatment", ""}, {"options", "HINTS", "0"}}, true},
      {"[A]\r\nx=1\r\n[B]\r\ny=2\r\n", {{"a", "X", "5"}, {"A", "z", "3"}, {"C", "w", "4"}}, true},
      {"[A]\r\nx=1", {{"A", "y", "2"}, {"B", "k", "Region\r\n[A]\r\nz=9"}}, true},
      {"; c\n[A]\n  x = 1  \n\n[A]\ny=9\n[B]\rk=v\r", {{"A", "x", "2"}, {"A", "y", "3"}, {"B", "k2", "w"}},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.initial);
    test::TempDir dir;
    if (!c.initial.empty()) {
      WriteFileBytes(dir.File("win.ini"), c.initial);
      WriteFileBytes(dir.File("ini.ini"), c.initial);
    }
    WinProfile win(dir.File("win.ini"));
    IniFileProfile ini(dir.File("ini.ini"));
    for (const auto& w : c.writes) {
      EXPECT_TRUE(win.WriteString(w[0], w[1], w[2]));
      EXPECT_TRUE(ini.WriteString(w[0], w[1], w[2]));
    }
    if (c.sameBytes) {
      EXPECT_EQ(ReadFileBytes(dir.File("ini.ini")), ReadFileBytes(dir.File("win.ini")));
    }
    ExpectSameReads(win, ini);
  }
}

TEST(ProfileBackends, SaveSettingsAlikeAndRefuseAlike) {
  test::TempDir dir;
  AppSettings s;
  s.DefaultTreatment = " Dr. ";
  s.FieldNames[3] = "'Region'";
  WinProfile win(dir.File("win.ini"));
  IniFileProfile ini(dir.File("ini.ini"));
  SaveSettings(win, s);
  SaveSettings(ini, s);
  EXPECT_EQ(ReadFileBytes(dir.File("ini.ini")), ReadFileBytes(dir.File("win.ini")));
  AppSettings back;
  LoadSettings(win, back);  // read back by the system's own functions
  EXPECT_EQ(std::tie(back.DefaultTreatment, back.FieldNames), std::tie(s.DefaultTreatment, s.FieldNames));

  WinProfile missing(dir.File("no folder\\QUILLCRD.INI"));
  EXPECT_FALSE(missing.WriteString("Options", "Hints", "1"));
  EXPECT_EQ(missing.FileName(), "QUILLCRD.INI");
  EXPECT_FALSE(IniFileProfile(dir.File("no folder\\QUILLCRD.INI")).WriteString("Options", "Hints", "1"));
}

}  // namespace
}  // namespace qc
