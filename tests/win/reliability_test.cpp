// Read-only data and settings files under Wine, at start and at close: the
// user is told, the files on disk are never written over, and the contacts in
// memory stay until they can be saved.
#include <gtest/gtest.h>

#include "main_fixture.h"

namespace qc::test {
namespace {

class ReliabilityTest : public MainWindowFixture {
 protected:
  static void SetReadOnly(const std::string& path, bool readOnly) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << path;
    attributes = readOnly ? (attributes | FILE_ATTRIBUTE_READONLY) : (attributes & ~FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
  }

  void AddContact(const std::string& name) {
    auto record = std::make_unique<TRecord>();
    record->Name = name;
    main->ContactList->Add(std::move(record));
  }

  std::vector<std::string> NamesOnDisk() {
    TDatabase saved;
    ui::MessageBoxMessages quiet;
    saved.LoadFromFile(dir.File("QUILLCRD.DAT"), quiet);
    std::vector<std::string> names;
    for (int i = 0; i < saved.Count(); ++i) names.push_back(saved.Items(i).Name);
    return names;
  }
};

TEST_F(ReliabilityTest, ReadOnlyDataFileAtStartLoadsAndIsNeverWrittenOver) {
  const std::string original = DataFileWithNames({"Ann", "Bob"});
  WriteFileBytes(dir.File("QUILLCRD.DAT"), original);
  WriteFileBytes(dir.File("QUILLCRD.INI"), "[Options]\r\nFirstTime=0\r\n");
  SetReadOnly(dir.File("QUILLCRD.DAT"), true);

  Start();
  EXPECT_TRUE(Recorded().messages.empty());  // reading needs no write access
  EXPECT_EQ(Entries(main->lbName), (std::vector<std::string>{"Ann", "Bob"}));
  AddContact("Cy");

  EXPECT_FALSE(CloseMain());
  ASSERT_EQ(Recorded().messages.size(), 1u);
  EXPECT_NE(Recorded().messages[0].text.find("QUILLCRD.DAT"), std::string::npos) << Recorded().messages[0].text;
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.DAT")), original);
  ASSERT_TRUE(main->ContactList);
  EXPECT_EQ(main->ContactList->Count(), 3);

  // Once the file may be written again, the next close saves every contact.
  SetReadOnly(dir.File("QUILLCRD.DAT"), false);
  EXPECT_TRUE(CloseMain());
  EXPECT_EQ(NamesOnDisk(), (std::vector<std::string>{"Ann", "Bob", "Cy"}));
}

TEST_F(ReliabilityTest, FilesMadeReadOnlyWhileRunningAreReportedAtClose) {
  const std::string ini = "[Options]\r\nFirstTime=0\r\nHints=1\r\n";
  WriteFileBytes(dir.File("QUILLCRD.DAT"), DataFileWithNames({"Ann"}));
  WriteFileBytes(dir.File("QUILLCRD.INI"), ini);
  Start();
  ASSERT_TRUE(Recorded().messages.empty());
  AddContact("Bob");
  main->Settings.ShowHints = false;
  SetReadOnly(dir.File("QUILLCRD.DAT"), true);
  SetReadOnly(dir.File("QUILLCRD.INI"), true);

  // The contacts come first: while they cannot be saved the window stays.
  EXPECT_FALSE(CloseMain());
  ASSERT_EQ(Recorded().messages.size(), 1u);
  EXPECT_NE(Recorded().messages[0].text.find("QUILLCRD.DAT"), std::string::npos) << Recorded().messages[0].text;
  EXPECT_EQ(NamesOnDisk(), std::vector<std::string>{"Ann"});
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.INI")), ini);

  // With the contacts saved, a settings file that refuses the write is
  // reported by name and the program still ends.
  SetReadOnly(dir.File("QUILLCRD.DAT"), false);
  Recorded().Clear();
  EXPECT_TRUE(CloseMain());
  EXPECT_EQ(NamesOnDisk(), (std::vector<std::string>{"Ann", "Bob"}));
  ASSERT_EQ(Recorded().messages.size(), 1u);
  EXPECT_EQ(Recorded().messages[0].text, "Unable to write to QUILLCRD.INI");
  EXPECT_EQ(ReadFileBytes(dir.File("QUILLCRD.INI")), ini);
}

}  // namespace
}  // namespace qc::test
