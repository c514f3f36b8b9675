// Saving files whole on Windows: a replaced file keeps its attributes, and in
// a folder that refuses new files the content is written over the existing file.
#include <gtest/gtest.h>

#include <cstdlib>

#include "impexp/export.h"
#include "platform/files.h"
#include "settings/app_settings.h"
#include "win_test_support.h"

namespace qc::test {
namespace {

TEST(FileSave, ReplacedFileKeepsItsAttributes) {
  TempDir dir;
  const std::string path = dir.File("QUILLCRD.DAT");
  WriteFileBytes(path, "old content");
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
  WriteFileAtomically(path, "new");
  EXPECT_EQ(ReadFileBytes(path), "new");
  EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

TEST(FileSave, FolderThatRefusesNewFilesIsWrittenInPlace) {
  const char* folder = std::getenv("QC_REFUSING_FOLDER");  // with '/', which Windows accepts too
  const std::string dir = std::string(folder ? folder : "") + "/";
  if (!FileExists(dir + "QUILLCRD.DAT"))
    GTEST_SKIP() << "no folder that refuses new files at " << dir
                 << " (wine-run.sh --setup makes one only as root, with chattr +i)";
  ASSERT_THROW(CreateEmptyFileIfMissing(dir + "new.txt"), FileError) << "the folder accepts new files";
  for (const char* name : {"QUILLCRD.DAT", "export.txt", "notes.txt"})  // longer than what replaces it
    WriteFileBytes(dir + name, std::string(5000, '#'));

  TDatabase contacts;
  contacts.Add(std::make_unique<TRecord>());
  contacts.Items(0).Set(TRecord::kName, "Adams");
  contacts.SaveToFile(dir + "QUILLCRD.DAT");
  std::string bytes;
  contacts.WriteToStream(bytes);
  EXPECT_EQ(ReadFileBytes(dir + "QUILLCRD.DAT"), bytes);
  NoProgress none;
  ExportContacts(contacts, DefaultFieldNames(), {{"Name"}, ExportFormat::Comma, true}, dir + "export.txt", none);
  EXPECT_EQ(ReadFileBytes(dir + "export.txt"), "Name\r\nAdams\r\n");
  WriteFileAtomically(dir + "notes.txt", "short");
  EXPECT_EQ(ReadFileBytes(dir + "notes.txt"), "short");
}

}  // namespace
}  // namespace qc::test
