#include "app/contact_saver.h"

#include <new>
#include <utility>

namespace qc {

ContactSaver::ContactSaver(std::string path, const std::unique_ptr<TDatabase>& list,
                           std::function<void()> finished)
    : path_(std::move(path)), list_(list), finished_(std::move(finished)), worker_([this] { Work(); }) {}

ContactSaver::~ContactSaver() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  worker_.join();
}

void ContactSaver::Save() {
  {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return Idle(); });
    asked_ = true;
  }
  wake_.notify_one();
}

bool ContactSaver::WaitUntilIdle() {
  std::unique_lock lock(mutex_);
  idle_.wait(lock, [this] { return Idle(); });
  return true;
}

bool ContactSaver::WaitUntilIdle(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return idle_.wait_for(lock, limit, [this] { return Idle(); });
}

std::optional<std::string> ContactSaver::TakeFailure() {
  std::lock_guard lock(mutex_);
  return std::exchange(failure_, std::nullopt);
}

void ContactSaver::Work() {
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return asked_ || stopping_; });
      if (!asked_) return;
      asked_ = false;
      running_ = true;
    }
    std::optional<std::string> error;
    try {
      if (list_) list_->SaveToFile(path_);
    } catch (const std::bad_alloc&) {
      error = "Cannot write \"" + path_ + "\": not enough memory";
    } catch (const std::exception& e) {
      error = e.what();
    }
    {
      std::lock_guard lock(mutex_);
      failure_ = std::move(error);
    }
    if (finished_) finished_();
    {
      std::lock_guard lock(mutex_);
      running_ = false;
    }
    idle_.notify_all();
  }
}

}  // namespace qc
