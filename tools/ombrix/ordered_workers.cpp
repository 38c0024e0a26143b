#include "ombrix/ordered_workers.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

constexpr auto kWaitingInterval = std::chrono::milliseconds(100);

class Workers {
 public:
  explicit Workers(const OrderedWork& work)
      : work_(work), results_(work.count), errors_(work.count) {
    // Enough ahead that every thread has work while the oldest member is still being made.
    ahead_ = 2 * size_t{work.threads} + 1;
    for (unsigned i = 0; i < work.threads; ++i) threads_.emplace_back([this] { Work(); });
  }

  ~Workers() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& thread : threads_) thread.join();
  }

  Workers(const Workers&) = delete;
  Workers& operator=(const Workers&) = delete;

  void TakeAll() {
    for (size_t index = 0; index < work_.count; ++index) {
      std::optional<MemberRecord> member;
      {
        std::unique_lock lock(mutex_);
        while (!results_[index] && !errors_[index]) {
          if (changed_.wait_for(lock, kWaitingInterval) == std::cv_status::timeout &&
              work_.waiting) {
            lock.unlock();
            work_.waiting();
            lock.lock();
          }
        }
        if (errors_[index]) std::rethrow_exception(errors_[index]);
        member = std::move(results_[index]);
        results_[index].reset();
        taken_ = index + 1;
      }
      changed_.notify_all();
      work_.take(index, std::move(*member));
    }
  }

 private:
  void Work() {
    for (;;) {
      size_t index;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock,
                      [this] { return stop_ || next_ >= work_.count || next_ < taken_ + ahead_; });
        if (stop_ || next_ >= work_.count) return;
        index = next_++;
      }
      std::optional<MemberRecord> member;
      std::exception_ptr error;
      try {
        member = work_.make(index, stop_);
      } catch (...) {
        error = std::current_exception();
      }
      {
        std::lock_guard lock(mutex_);
        results_[index] = std::move(member);
        errors_[index] = error;
      }
      changed_.notify_all();
    }
  }

  const OrderedWork& work_;
  std::vector<std::optional<MemberRecord>> results_;
  std::vector<std::exception_ptr> errors_;
  std::vector<std::thread> threads_;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t ahead_;
  size_t next_ = 0;
  size_t taken_ = 0;
  std::atomic<bool> stop_ = false;
};

}  // namespace

void RunOrdered(const OrderedWork& work) {
  Workers workers(work);
  workers.TakeAll();
}
