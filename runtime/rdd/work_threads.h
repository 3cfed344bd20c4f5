// Worker threads for the parts of a tag build that split over several cores.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>

namespace xb::rdd {

// Runs work(i) for every i in [0, count): part 0 on this thread, the others on worker threads
// kept for the next call (starting a thread costs a millisecond on some systems, and a build
// asks for a few per tag). Returns when every part is done. When another thread is using the
// workers, every part runs here, one after another.
void RunParts(std::size_t count, const std::function<void(std::size_t)>& work);

// Jobs run one after another on a thread of the queue's own, kept for them, while the caller
// goes on. The future tells when a job is done, hands on its result and what it threw. A job
// never waits behind another queue's jobs.
class AsideQueue {
 public:
  AsideQueue();
  AsideQueue(const AsideQueue&) = delete;
  AsideQueue& operator=(const AsideQueue&) = delete;

  template <class R>
  std::future<R> Add(std::function<R()> job) {
    auto task = std::make_shared<std::packaged_task<R()>>(std::move(job));
    std::future<R> done = task->get_future();
    Push([task] { (*task)(); });
    return done;
  }

 private:
  void Push(std::function<void()> run);
  void Loop();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
};

// Runs jobs one after another on a thread kept for them (the tag sorts), while the caller goes on.
std::future<void> RunAside(std::function<void()> job);

}  // namespace xb::rdd
