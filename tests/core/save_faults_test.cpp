// Saving the contacts under injected faults: at every step of the safe save
// the save is made to fail, or the process is stopped there as by a power
// cut. Afterwards the data file is always the complete old or the complete
// new file, and a failed save is always reported.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "data/database.h"
#include "platform/files.h"
#include "platform/save_faults.h"
#include "recording_messages.h"
#include "scratch_dir.h"

namespace qc {
namespace {

std::unique_ptr<TDatabase> ContactsNamed(const std::vector<std::string>& names) {
  auto db = std::make_unique<TDatabase>();
  for (const std::string& n : names) {
    auto r = std::make_unique<TRecord>();
    r->Set(TRecord::kName, n);
    r->Set(TRecord::kCompany, n + " Ltd");
    db->Add(std::move(r));
  }
  return db;
}

std::string Bytes(const TDatabase& db) {
  std::string out;
  db.WriteToStream(out);
  return out;
}

struct Outcome {
  enum { Saved, Reported, Stopped, Other } how;
};

// Runs one save in a child process with the fault at `step`.
Outcome SaveInChild(const std::string& path, const TDatabase& db, SaveStep step, FaultAction action) {
  pid_t pid = fork();
  if (pid == 0) {
    SaveFaultHook() = [&](SaveStep s) { return s == step ? action : FaultAction::Continue; };
    try {
      db.SaveToFile(path);
    } catch (const FileError&) {
      _exit(2);
    }
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status)) return {Outcome::Other};
  switch (WEXITSTATUS(status)) {
    case 0: return {Outcome::Saved};
    case 2: return {Outcome::Reported};
    case kStoppedBySeam: return {Outcome::Stopped};
    default: return {Outcome::Other};
  }
}

int TemporaryFilesIn(const std::string& dir) {
  int n = 0;
  for (auto& e : std::filesystem::directory_iterator(dir))
    if (e.path().filename().string().find(".tmp") != std::string::npos) ++n;
  return n;
}

TEST(SaveFaults, EveryStepLeavesTheOldOrTheNewFileWhole) {
  auto oldList = ContactsNamed({"Adams", "Baker", "Clark", "Davis", "Evans"});
  auto newList = ContactsNamed({"Young"});
  const std::string oldBytes = Bytes(*oldList), newBytes = Bytes(*newList);
  int faultPoints = 0;
  for (int s = 0; s < kSaveStepCount; ++s) {
    for (FaultAction action : {FaultAction::Fail, FaultAction::Stop}) {
      SaveStep step = static_cast<SaveStep>(s);
      if (step == SaveStep::AfterReplace && action == FaultAction::Fail) continue;  // nothing left to fail
      SCOPED_TRACE("step " + std::to_string(s) + (action == FaultAction::Fail ? " fail" : " stop"));
      ++faultPoints;
      test::ScratchDir dir;
      const std::string path = dir.Path("QUILLCRD.DAT");
      oldList->SaveToFile(path);

      Outcome out = SaveInChild(path, *newList, step, action);
      std::string onDisk = dir.Read("QUILLCRD.DAT");
      if (action == FaultAction::Fail) {
        EXPECT_EQ(out.how, Outcome::Reported);
        EXPECT_EQ(onDisk, oldBytes);
        EXPECT_EQ(TemporaryFilesIn(dir.Path("")), 0);
      } else {
        EXPECT_EQ(out.how, Outcome::Stopped);
        EXPECT_EQ(onDisk, step == SaveStep::AfterReplace ? newBytes : oldBytes);
      }
      // Whatever happened, the file loads completely.
      TDatabase reloaded;
      test::RecordingMessages messages;
      reloaded.LoadFromFile(path, messages);
      EXPECT_TRUE(reloaded.Count() == 5 || reloaded.Count() == 1);
      // And the next save, without faults, succeeds.
      newList->SaveToFile(path);
      EXPECT_EQ(dir.Read("QUILLCRD.DAT"), newBytes);
    }
  }
  EXPECT_EQ(faultPoints, 13);
}

// In a folder that refuses new files (chattr +i) the save writes over the
// existing file. That cannot be atomic; what it does promise holds at every step.
TEST(SaveFaults, InPlaceWriteReportsEveryFailureAndKeepsWhatItPromises) {
  const std::string oldBytes = Bytes(*ContactsNamed({"Adams", "Baker", "Clark", "Davis", "Evans"}));
  auto newList = ContactsNamed({"Young"});  // shorter: the file must be cut
  const std::string newBytes = Bytes(*newList);
  test::ScratchDir dir;
  dir.Write("QUILLCRD.DAT", oldBytes);
  if (std::system(("chattr +i " + dir.Path("") + " 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "chattr +i failed on " << dir.Path("") << " (it needs root on ext4)";

  EXPECT_THROW(WriteFileAtomically(dir.Path("new.dat"), "x"), FileError);  // nothing to write over
  for (int s = 0; s < kSaveStepCount; ++s) {
    for (FaultAction action : {FaultAction::Fail, FaultAction::Stop}) {
      const SaveStep step = static_cast<SaveStep>(s);
      SCOPED_TRACE("step " + std::to_string(s) + (action == FaultAction::Fail ? " fail" : " stop"));
      dir.Write("QUILLCRD.DAT", oldBytes);
      const Outcome out = SaveInChild(dir.Path("QUILLCRD.DAT"), *newList, step, action);
      const std::string onDisk = dir.Read("QUILLCRD.DAT");
      // No replacement happens here. A failure writes the old content back.
      // A stop leaves the old file whole before the first byte and the new
      // one once flushed; while writing or before the flush, neither.
      const bool saved = step == SaveStep::Replace || (step == SaveStep::AfterReplace && action == FaultAction::Fail);
      const bool failed = action == FaultAction::Fail && !saved;
      EXPECT_EQ(out.how, saved ? Outcome::Saved : failed ? Outcome::Reported : Outcome::Stopped);
      if (failed || step == SaveStep::CreateTemporary) {
        EXPECT_EQ(onDisk, oldBytes);
      } else if (saved || step == SaveStep::Close || step == SaveStep::AfterReplace) {
        EXPECT_EQ(onDisk, newBytes);
      }
    }
  }
  EXPECT_EQ(std::system(("chattr -i " + dir.Path("")).c_str()), 0);  // nothing above stops the test early
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"QUILLCRD.DAT"});
}

}  // namespace
}  // namespace qc
