#include "settings/app_settings.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "common/user_messages.h"
#include "scratch_dir.h"
#include "settings/ini_file.h"

namespace qc {
namespace {

using test::ScratchDir;

TEST(ProfileInteger, OnlyWholeNumbersIn32Bits) {
  const std::pair<const char*, std::optional<int32_t>> cases[] = {
      {"-1", -1}, {"+5", 5}, {"007", 7}, {"0x1", 1}, {"0X1f", 31}, {"0xFFFFFFFF", -1},
      {"-2147483648", INT32_MIN}, {"2147483648", std::nullopt}, {"0x100000000", std::nullopt},
      {"0x", std::nullopt}, {"-0x1", std::nullopt}, {"", std::nullopt}, {"-", std::nullopt},
      {"yes", std::nullopt}, {"12abc", std::nullopt}, {"1 2", std::nullopt}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseProfileInteger(text), value) << text;
  EXPECT_EQ(ParseProfileInteger(std::string(100000, '9')), std::nullopt);
}

TEST(Settings, FirstRunGivesDefaultsAndCloseWritesAllSeventeenKeys) {
  ScratchDir dir;
  IniFileProfile ini(dir.Path(kSettingsFileName));
  AppSettings s;
  s.FieldNames.clear();
  LoadSettings(ini, s);
  EXPECT_TRUE(s.FirstTime);
  EXPECT_TRUE(s.ShowHints);
  EXPECT_FALSE(s.TrayApplication);
  EXPECT_EQ(s.DefaultOptions, 0);
  EXPECT_EQ(s.DefaultTreatment, "");
  EXPECT_EQ(s.FieldNames, DefaultFieldNames());
  SaveSettings(ini, s);  // FirstTime is still true in memory
  EXPECT_EQ(dir.Read(kSettingsFileName),
            "[Options]\r\nFirstTime=0\r\nHints=1\r\nTray Application=0\r\n"
            "[Default]\r\nOptions=0\r\nTreatment=\r\nImportOptions=2\r\nFormatOptions=0\r\n"
            "AddHeaders=0\r\nIncludeOptions=0\r\n"
            "[User Fields]\r\nField0=User 1\r\nField1=User 2\r\nField2=User 3\r\nField3=User 4\r\n"
            "Field4=User 5\r\nField5=User 6\r\nField6=User 7\r\nField7=User 8\r\n");
}

TEST(Settings, OddValuesReadAsTheirDefaultsUnusedOnesSurviveAndTextsComeBackAsTyped) {
  ScratchDir dir;
  dir.Write(kSettingsFileName,
            "[Options]\nFirstTime=0x1\nHints=2\nTray Application=yes\n"
            "[Default]\nImportOptions=7\nFormatOptions=-3\n"
            "[User Fields]\nField8=Extra\nField3=Region\n");
  IniFileProfile ini(dir.Path(kSettingsFileName));
  AppSettings s;
  LoadSettings(ini, s);
  EXPECT_TRUE(s.FirstTime);
  EXPECT_TRUE(s.ShowHints);
  EXPECT_FALSE(s.TrayApplication);
  EXPECT_EQ(s.ImportOptions, 7);
  EXPECT_EQ(s.FieldNames, (std::vector<std::string>{"User 1", "User 2", "User 3", "Region",
                                                      "User 5", "User 6", "User 7", "User 8"}));
  s.ShowHints = false;
  s.DefaultTreatment = " Dr. ";
  s.FieldNames[0] = "'x'";
  SaveSettings(ini, s);
  EXPECT_EQ(dir.Read(kSettingsFileName),
            "[Options]\nFirstTime=0\nHints=0\nTray Application=0\n"
            "[Default]\nImportOptions=7\nFormatOptions=-3\nOptions=0\r\nTreatment=\" Dr. \"\r\n"
            "AddHeaders=0\r\nIncludeOptions=0\r\n"
            "[User Fields]\nField8=Extra\nField3=Region\nField0=\"'x'\"\r\nField1=User 2\r\n"
            "Field2=User 3\r\nField4=User 5\r\nField5=User 6\r\nField6=User 7\r\nField7=User 8\r\n");
  AppSettings back;
  LoadSettings(ini, back);
  EXPECT_EQ(std::tie(back.DefaultTreatment, back.FieldNames), std::tie(s.DefaultTreatment, s.FieldNames));
}

// Accepts writes until the given key, then refuses everything.
class RefusingProfile : public IniFileProfile {
 public:
  RefusingProfile(const std::string& path, std::string refusedKey)
      : IniFileProfile(path), refusedKey_(std::move(refusedKey)) {}
  bool WriteString(const std::string& section, const std::string& key,
                   const std::string& value) override {
    refusing_ = refusing_ || key == refusedKey_;
    return !refusing_ && IniFileProfile::WriteString(section, key, value);
  }

 private:
  std::string refusedKey_;
  bool refusing_ = false;
};

TEST(Settings, RefusedWriteStopsThereWithTheFileName) {
  ScratchDir dir;
  dir.Write(kSettingsFileName, "[Default]\nTreatment=Sir\nImportOptions=5\nFormatOptions=5\n");
  RefusingProfile ini(dir.Path(kSettingsFileName), kImportOptionsKey);
  AppSettings s;
  s.DefaultTreatment = "Madam";
  try {
    SaveSettings(ini, s);
    ADD_FAILURE() << "no error";
  } catch (const UserError& e) {
    EXPECT_STREQ(e.what(), "Unable to write to QUILLCRD.INI");
  }
  EXPECT_EQ(dir.Read(kSettingsFileName),
            "[Default]\nTreatment=Madam\nImportOptions=5\nFormatOptions=5\nOptions=0\r\n"
            "[Options]\r\nFirstTime=0\r\n");
}

}  // namespace
}  // namespace qc
