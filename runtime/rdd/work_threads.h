// Worker threads for the parts of a tag build that split over several cores.
#pragma once

#include <cstddef>
#include <functional>
#include <future>

namespace xb::rdd {

// Runs work(i) for every i in [0, count): part 0 on this thread, the others on worker threads
// kept for the next call (starting a thread costs a millisecond on some systems, and a build
// asks for a few per tag). Returns when every part is done. When another thread is using the
// workers, every part runs here, one after another.
void RunParts(std::size_t count, const std::function<void(std::size_t)>& work);

// Runs jobs one after another on a thread kept for them, while the caller goes on. The future
// tells when the job is done and hands on what it threw.
std::future<void> RunAside(std::function<void()> job);

}  // namespace xb::rdd
