// The worker that saves each change: a slow disk is held in the middle of a
// save, to see that the window's side does not wait for it, that a change
// waits until the list is no longer being read, and that every outcome of a
// save is handed over once.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "app/contact_saver.h"
#include "platform/save_faults.h"
#include "scratch_dir.h"

namespace qc {
namespace {

using namespace std::chrono_literals;

std::string BytesOf(const TDatabase& db) {
  std::string out;
  db.WriteToStream(out);
  return out;
}

void AddNamed(TDatabase& db, const std::string& name) {
  auto r = std::make_unique<TRecord>();
  r->Name = name;
  db.Add(std::move(r));
}

// Holds every save at its half-way step until released; fails it on request.
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

TEST(ContactSaver, SavesBehindTheWindowOneAtATimeAndHandsOverEachFailureOnce) {
  test::ScratchDir dir;
  const std::string path = dir.Path("QUILLCRD.DAT");
  auto list = std::make_unique<TDatabase>();
  AddNamed(*list, "Ann");
  list->SaveToFile(path);
  const std::string before = dir.Read("QUILLCRD.DAT");
  std::atomic<int> finished{0};
  ContactSaver saver(path, list, [&] { ++finished; });
  SlowDisk disk;

  AddNamed(*list, "Bob");
  saver.Save();
  disk.WaitUntilHeld();
  EXPECT_FALSE(saver.WaitUntilIdle(20ms));  // the caller goes on while the disk is slow
  EXPECT_EQ(dir.Read("QUILLCRD.DAT"), before);
  disk.Release(false);
  EXPECT_TRUE(saver.WaitUntilIdle());
  EXPECT_EQ(dir.Read("QUILLCRD.DAT"), BytesOf(*list));
  EXPECT_FALSE(saver.TakeFailure());
  EXPECT_EQ(finished, 1);

  // A failed save is handed over once, with the file's name; the old file stays.
  const std::string saved = dir.Read("QUILLCRD.DAT");
  AddNamed(*list, "Cy");
  saver.Save();
  disk.WaitUntilHeld();
  disk.Release(true);
  ASSERT_TRUE(saver.WaitUntilIdle());
  std::optional<std::string> failure = saver.TakeFailure();
  ASSERT_TRUE(failure);
  EXPECT_NE(failure->find(path), std::string::npos) << *failure;
  EXPECT_FALSE(saver.TakeFailure());
  EXPECT_EQ(dir.Read("QUILLCRD.DAT"), saved);

  // A save asked for while one runs starts after it, and writes the list as
  // it is then; the saver's end waits for it.
  saver.Save();
  disk.WaitUntilHeld();
  std::thread second([&] { saver.Save(); });
  disk.Release(false);
  second.join();
  disk.WaitUntilHeld();
  disk.Release(false);
  EXPECT_TRUE(saver.WaitUntilIdle());
  EXPECT_EQ(finished, 4);
  EXPECT_EQ(dir.Read("QUILLCRD.DAT"), BytesOf(*list));
}

}  // namespace
}  // namespace qc
