#pragma once
// Writes the contact list to its data file on a worker thread, so that every
// committed change reaches the disk at once while the window goes on
// answering, even for a book of a million contacts.
//
// The list is the worker's to read from Save() until the saver is idle
// again: its owner changes the list only after WaitUntilIdle(). So there is
// one save at a time and never a queue of them, and each save writes the
// list as it was when it was asked for.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "data/database.h"

namespace qc {

// Whether the window waits for the save of a change it committed: a book of
// up to kWaitedBookSize contacts (under 2 MB, saved in milliseconds) is on
// disk before the window takes the next click; a bigger one is saved while
// the window answers, so that no click costs more with a bigger book. Even a
// small book's save is waited for no longer than kSaveWaitLimit (a disk
// that does not answer).
inline constexpr int kWaitedBookSize = 10000;
inline constexpr std::chrono::milliseconds kSaveWaitLimit{1000};

class ContactSaver {
 public:
  // `finished` runs on the worker thread after each save, failed or not.
  ContactSaver(std::string path, const std::unique_ptr<TDatabase>& list,
               std::function<void()> finished = {});
  // A save that was asked for is finished first.
  ~ContactSaver();
  ContactSaver(const ContactSaver&) = delete;
  ContactSaver& operator=(const ContactSaver&) = delete;

  // Starts a save of the list as it is now, after the one still running.
  void Save();

  // Waits until no save is asked for or running; false when `limit` passed first.
  bool WaitUntilIdle();
  bool WaitUntilIdle(std::chrono::milliseconds limit);

  // The error text of the latest finished save when it failed, handed out once.
  std::optional<std::string> TakeFailure();

 private:
  void Work();
  bool Idle() const { return !asked_ && !running_; }

  const std::string path_;
  const std::unique_ptr<TDatabase>& list_;
  const std::function<void()> finished_;
  std::mutex mutex_;
  std::condition_variable wake_, idle_;
  bool asked_ = false, running_ = false, stopping_ = false;
  std::optional<std::string> failure_;
  std::thread worker_;  // last: it starts once everything above exists
};

}  // namespace qc
