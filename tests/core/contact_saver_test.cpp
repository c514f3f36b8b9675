// The worker that saves each change: a slow disk is held in the middle of a
// save, to see that the window's side does not wait for it and that each
// outcome of a save is handed over once.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "app/contact_saver.h"
#include "platform/save_faults.h"
#include "scratch_dir.h"

namespace qc {
namespace {

using namespace std::chrono_literals;

// Holds every save at its half-way step until released, failing it on request.
class SlowDisk {
 public:
  SlowDisk() {
    SaveFaultHook() = [this](SaveStep step) {
      if (step != SaveStep::WriteHalf) return FaultAction::Continue;
      std::unique_lock lock(mutex_);
      held_ = true;
      changed_.notify_all();
      changed_.wait(lock, [this] { return released_; });
      held_ = released_ = false;
      return fail_ ? FaultAction::Fail : FaultAction::Continue;
    };
  }
  ~SlowDisk() {
    Release(false);
    SaveFaultHook() = nullptr;
  }
  void WaitUntilHeld() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return held_; });
  }
  void Release(bool fail) {
    std::lock_guard lock(mutex_);
    released_ = true;
    fail_ = fail;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool held_ = false, released_ = false, fail_ = false;
};

TEST(ContactSaver, SavesBehindTheWindowAndHandsOverEachFailureOnce) {
  test::ScratchDir dir;
  const std::string path = dir.Path("QUILLCRD.DAT");
  auto list = std::make_unique<TDatabase>();
  list->SaveToFile(path);
  const std::string empty = dir.Read("QUILLCRD.DAT");
  std::atomic<int> finished{0};
  ContactSaver saver(path, list, [&] { ++finished; });
  SlowDisk disk;

  list->Add(std::make_unique<TRecord>());
  saver.Save();
  disk.WaitUntilHeld();
  EXPECT_FALSE(saver.WaitUntilIdle(20ms));  // the window goes on while the disk is slow
  EXPECT_EQ(dir.Read("QUILLCRD.DAT"), empty);
  disk.Release(false);
  EXPECT_TRUE(saver.WaitUntilIdle());
  std::string one;
  list->WriteToStream(one);
  EXPECT_EQ(dir.Read("QUILLCRD.DAT"), one);
  EXPECT_FALSE(saver.TakeFailure());

  // A failed save is handed over once, naming the file; the file stays as it was.
  list->Add(std::make_unique<TRecord>());
  saver.Save();
  disk.WaitUntilHeld();
  disk.Release(true);
  ASSERT_TRUE(saver.WaitUntilIdle());
  std::optional<std::string> failure = saver.TakeFailure();
  ASSERT_TRUE(failure);
  EXPECT_NE(failure->find(path), std::string::npos) << *failure;
  EXPECT_FALSE(saver.TakeFailure());
  EXPECT_EQ(dir.Read("QUILLCRD.DAT"), one);
  EXPECT_EQ(finished, 2);
}

}  // namespace
}  // namespace qc
