// Where the data file and the settings file go, by what the folders allow.
#include "platform/file_places.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "scratch_dir.h"
#include "settings/app_settings.h"
#include "settings/ini_file.h"
#include "settings/layered_profile.h"

namespace qc {
namespace {

struct FakeFacts : FolderFacts {
  std::set<std::string> files, readOnly, refusing;  // refusing: folders that refuse new files
  bool FileExists(const std::string& p) override { return files.count(p) > 0; }
  bool AcceptsWrites(const std::string& f) override { return files.count(f) && !readOnly.count(f); }
  bool AcceptsNewFiles(const std::string& d) override { return !refusing.count(d); }
};

TEST(FilePlaces, DataFileBesideTheProgramUnlessItsFolderRefusesAndNoneIsThere) {
  const std::string beside = "/prog/QUILLCRD.DAT", own = "/home/u/Quillcard/QUILLCRD.DAT";
  struct Case {
    std::set<std::string> files, refusing;
    std::string path;
    bool tell;
  } cases[] = {
      {{}, {}, beside, false},
      {{beside}, {"/prog"}, beside, false},       // an existing file beside the program always wins
      {{beside, own}, {}, beside, false},
      {{own}, {}, own, false},                    // left by an earlier run: not told again
      {{}, {"/prog"}, own, true},                 // made now: told once
      {{}, {"/prog", "/home/u/Quillcard"}, beside, false},  // nowhere to go: the failure speaks
  };
  for (const Case& c : cases) {
    FakeFacts facts;
    facts.files = c.files;
    facts.refusing = c.refusing;
    const DataFilePlace place = ChooseDataFile("/prog/", "/home/u/Quillcard", facts);
    EXPECT_EQ(place.path, c.path);
    EXPECT_EQ(place.newInUserFolder, c.tell) << c.path;
  }
  FakeFacts refusing;
  refusing.refusing = {"/prog"};
  EXPECT_EQ(ChooseDataFile("/prog/", "", refusing).path, beside);  // no user folder known
}

TEST(FilePlaces, SettingsGoToTheUserWhenTheMachineFileRefusesAndStillReadIt) {
  const std::string machine = "/win/QUILLCRD.INI", own = "/home/u/Quillcard/QUILLCRD.INI";
  struct Case {
    std::set<std::string> files, readOnly, refusing;
    std::string file, fallback;
  } cases[] = {
      {{}, {}, {}, machine, ""},
      {{machine}, {}, {"/win"}, machine, ""},              // an existing writable file in a locked folder
      {{}, {}, {"/win"}, own, machine},
      {{machine}, {machine}, {}, own, machine},            // read-only: its values are the start
      {{machine, own}, {}, {}, own, machine},              // the user's file, once there, is read first
      {{}, {}, {"/win", "/home/u/Quillcard"}, machine, ""},  // nowhere: the refused write is reported
  };
  for (const Case& c : cases) {
    FakeFacts facts;
    facts.files = c.files;
    facts.readOnly = c.readOnly;
    facts.refusing = c.refusing;
    const SettingsPlace place = ChooseSettingsFile(machine, "/home/u/Quillcard", facts);
    EXPECT_EQ(place.file, c.file);
    EXPECT_EQ(place.fallback, c.fallback) << c.file;
  }
}

TEST(FilePlaces, LayeredSettingsReadTheUsersKeysFirstAndWriteOnlyThem) {
  test::ScratchDir dir;
  dir.Write("machine.ini", "[Options]\r\nHints=0\r\nFirstTime=0\r\n[User Fields]\r\nField3=Region\r\n");
  dir.Write("user.ini", "[Options]\r\nHints=1\r\n[User Fields]\r\nField3=\r\n");
  const std::string machineBefore = dir.Read("machine.ini");
  LayeredProfile layered(std::make_unique<IniFileProfile>(dir.Path("user.ini")),
                         std::make_unique<IniFileProfile>(dir.Path("machine.ini")));
  AppSettings s;
  LoadSettings(layered, s);
  EXPECT_TRUE(s.ShowHints);           // the user's value over the machine's
  EXPECT_FALSE(s.FirstTime);          // a key only the machine-wide file holds
  EXPECT_EQ(s.FieldNames[3], "");     // an empty value is a value, not a missing key
  EXPECT_EQ(s.FieldNames[0], "User 1");
  SaveSettings(layered, s);
  EXPECT_EQ(dir.Read("machine.ini"), machineBefore);
  EXPECT_EQ(IniFileProfile(dir.Path("user.ini")).ReadString("Options", "FirstTime", "-"), "0");
}

}  // namespace
}  // namespace qc
