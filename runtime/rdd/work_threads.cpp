#include "runtime/rdd/work_threads.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace xb::rdd {
namespace {

class Workers {
 public:
  // One caller at a time; false when another thread holds the workers.
  bool TryRun(std::size_t count, const std::function<void(std::size_t)>& work) {
    std::unique_lock<std::mutex> caller(caller_, std::try_to_lock);
    if (!caller.owns_lock()) return false;
    std::unique_lock<std::mutex> lock(mutex_);
    // Workers wait on the condition for good: they are detached and never joined, so that
    // none has to be stopped while the program ends.
    for (; started_ + 1 < count; ++started_) std::thread([this] { Loop(); }).detach();
    work_ = &work;
    next_ = 1;
    count_ = count;
    pending_ = count - 1;
    lock.unlock();
    wake_.notify_all();
    work(0);
    lock.lock();
    // Parts no worker has taken yet are done here.
    while (next_ < count_) {
      const std::size_t part = next_++;
      lock.unlock();
      work(part);
      lock.lock();
      --pending_;
    }
    done_.wait(lock, [this] { return pending_ == 0; });
    work_ = nullptr;
    return true;
  }

 private:
  void Loop() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return work_ != nullptr && next_ < count_; });
      const std::size_t part = next_++;
      const auto* work = work_;
      lock.unlock();
      (*work)(part);
      lock.lock();
      if (--pending_ == 0) done_.notify_all();
    }
  }

  std::mutex caller_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  const std::function<void(std::size_t)>* work_ = nullptr;
  std::size_t next_ = 0, count_ = 0, pending_ = 0, started_ = 0;
};

}  // namespace

AsideQueue::AsideQueue() {
  // Detached and never joined: it waits for jobs to the end of the program.
  std::thread([this] { Loop(); }).detach();
}

void AsideQueue::Push(std::function<void()> run) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(run));
  }
  wake_.notify_one();
}

void AsideQueue::Loop() {
  for (;;) {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [this] { return !tasks_.empty(); });
    std::function<void()> run = std::move(tasks_.front());
    tasks_.pop_front();
    lock.unlock();
    run();
  }
}

std::future<void> RunAside(std::function<void()> job) {
  // Kept to the end of the program, with its thread.
  static AsideQueue* const queue = new AsideQueue;
  return queue->Add(std::move(job));
}

void RunParts(std::size_t count, const std::function<void(std::size_t)>& work) {
  // Kept to the end of the program, with its threads: never destroyed while one may wait.
  static Workers* const workers = new Workers;
  if (count > 1 && workers->TryRun(count, work)) return;
  for (std::size_t i = 0; i < count; ++i) work(i);
}

}  // namespace xb::rdd
