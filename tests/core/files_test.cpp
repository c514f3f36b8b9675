#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/files.h"
#include "platform/save_faults.h"
#include "scratch_dir.h"

namespace qc {
namespace {

using test::ScratchDir;
using Names = std::vector<std::string>;

std::string Mixed(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 % 256);
  return bytes;
}

TEST(ReadWholeFile, ReturnsEveryByteOrTellsWhy) {
  ScratchDir dir;
  dir.Write("big", Mixed(200000));  // more than one read buffer
  dir.Write("plain", "");
  ReadResult r = ReadWholeFile(dir.Path("big"));
  EXPECT_EQ(r.status, ReadStatus::Ok);
  EXPECT_EQ(r.content, Mixed(200000));
  EXPECT_EQ(ReadWholeFile(dir.Path("plain")).status, ReadStatus::Ok);
  EXPECT_EQ(ReadWholeFile(dir.Path("missing")).status, ReadStatus::NotFound);
  EXPECT_EQ(ReadWholeFile(dir.Path("missing/file")).status, ReadStatus::NotFound);
  for (const std::string& path : {dir.Path(""), dir.Path("plain/file")}) {
    r = ReadWholeFile(path);
    EXPECT_EQ(r.status, ReadStatus::Failed) << path;
    EXPECT_FALSE(r.error.empty()) << path;
  }
}

TEST(CreateEmptyFileIfMissing, CreatesButNeverTruncates) {
  ScratchDir dir;
  dir.Write("old", "content");
  CreateEmptyFileIfMissing(dir.Path("old"));
  CreateEmptyFileIfMissing(dir.Path("new"));
  EXPECT_EQ(dir.Read("old"), "content");
  EXPECT_EQ(dir.Entries(), (Names{"new", "old"}));
}

TEST(WriteFileAtomically, ReplacesTheWholeContentAndKeepsPermissions) {
  ScratchDir dir;
  WriteFileAtomically(dir.Path("f"), Mixed(5000));
  EXPECT_EQ(dir.Read("f"), Mixed(5000));
  ASSERT_EQ(chmod(dir.Path("f").c_str(), 0640), 0);
  WriteFileAtomically(dir.Path("f"), "short");
  EXPECT_EQ(dir.Read("f"), "short");
  struct stat info {};
  ASSERT_EQ(stat(dir.Path("f").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(dir.Entries(), Names{"f"});
}

TEST(WriteFileAtomically, FailureLeavesEverythingAsItWas) {
  ScratchDir dir;
  std::filesystem::create_directory(dir.Path("target"));
  dir.Write("target/inside", "kept");
  try {
    WriteFileAtomically(dir.Path("target"), "data");
    FAIL() << "writing over a folder must fail";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find(dir.Path("target")), std::string::npos) << e.what();
  }
  EXPECT_THROW(WriteFileAtomically(dir.Path("missing/f"), "data"), FileError);
  EXPECT_THROW(CreateEmptyFileIfMissing(dir.Path("missing/f")), FileError);
  EXPECT_EQ(dir.Read("target/inside"), "kept");
  EXPECT_EQ(dir.Entries(), Names{"target"});
}

TEST(CopyFileOver, ReplacesTheTargetExactly) {
  ScratchDir dir;
  dir.Write("from", "abc");
  dir.Write("to", "a much longer old content");
  CopyFileOver(dir.Path("from"), dir.Path("to"));
  EXPECT_EQ(dir.Read("to"), "abc");
  EXPECT_THROW(CopyFileOver(dir.Path("missing"), dir.Path("to")), FileError);
  EXPECT_EQ(dir.Read("to"), "abc");
  EXPECT_EQ(dir.Entries(), (Names{"from", "to"}));
  EXPECT_TRUE(FileExists(dir.Path("to")));
  EXPECT_FALSE(FileExists(dir.Path("missing")));
  EXPECT_FALSE(FileExists(dir.Path("")));
}

TEST(RemoveLeftoverTemporaryFiles, RemovesThisFilesTemporariesOfEndedSavesOnly) {
  ScratchDir dir;
  if (fork() == 0) {  // a save of a new file, stopped before it takes its place
    SaveFaultHook() = [](SaveStep s) { return s == SaveStep::Replace ? FaultAction::Stop : FaultAction::Continue; };
    WriteFileAtomically(dir.Path("QUILLCRD.DAT"), "new");
    _exit(0);
  }
  wait(nullptr);
  dir.Write("QUILLCRD.DAT.tmp99999999999999999999999-2", "");
  Names kept = {"QUILLCRD.DAT.tmp-1", "QUILLCRD.DAT.tmp12-3x", "QUILLCRD.DAT.tmp9999999-", "quillcrd.dat.tmp9999999-2",
                "other.dat.tmp9999999-2", "QUILLCRD.DAT.tmp" + std::to_string(getpid()) + "-1"};  // last: a running save's
  for (const std::string& name : kept) dir.Write(name, "");
  RemoveLeftoverTemporaryFiles(dir.Path("QUILLCRD.DAT"));  // missing: a temporary may be its only copy
  EXPECT_EQ(dir.Entries().size(), kept.size() + 2);
  dir.Write("QUILLCRD.DAT", "old");
  kept.push_back("QUILLCRD.DAT");
  std::sort(kept.begin(), kept.end());
  RemoveLeftoverTemporaryFiles(dir.Path("QUILLCRD.DAT"));
  EXPECT_EQ(dir.Entries(), kept);
}

}  // namespace
}  // namespace qc
