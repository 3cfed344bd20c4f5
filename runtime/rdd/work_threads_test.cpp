#include "runtime/rdd/work_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "runtime/rdd/spare_buffers.h"

namespace xb::rdd {
namespace {

// Every part runs exactly once, however many parts, however often the workers are reused,
// and while a second thread asks for them at the same time (it then runs its parts itself).
TEST(WorkThreads, EveryPartRunsOnceAlsoWithTwoCallers) {
  auto check = [](std::size_t count, int rounds) {
    for (int round = 0; round < rounds; ++round) {
      std::vector<std::atomic<int>> runs(count);
      RunParts(count, [&](std::size_t i) { runs[i].fetch_add(1); });
      for (std::size_t i = 0; i < count; ++i) ASSERT_EQ(runs[i].load(), 1) << count << " parts, part " << i;
    }
  };
  for (std::size_t count : {0, 1, 2, 4, 7}) check(count, 20);
  std::thread other([&] { check(4, 200); });
  check(3, 200);
  other.join();
}

// Jobs set aside run in the order given, one at a time, on a thread that is not the caller's;
// what one throws reaches whoever waits for it, and the next jobs still run.
TEST(WorkThreads, JobsAsideRunInTurnOffTheCallersThread) {
  std::vector<int> order;  // touched by the jobs only, one after another
  std::atomic<bool> on_caller{false};
  std::vector<std::future<void>> done;
  const auto caller = std::this_thread::get_id();
  for (int i = 0; i < 20; ++i) {
    done.push_back(RunAside([&, i] {
      if (std::this_thread::get_id() == caller) on_caller = true;
      order.push_back(i);
      if (i == 5) throw std::runtime_error("falla");
    }));
  }
  for (int i = 0; i < 20; ++i) {
    if (i == 5) EXPECT_THROW(done[i].get(), std::runtime_error);
    else done[i].get();
  }
  std::vector<int> expected(20);
  for (int i = 0; i < 20; ++i) expected[i] = i;
  EXPECT_EQ(order, expected);
  EXPECT_FALSE(on_caller);
}

// Buffers given back on one thread are taken on another: a table's keys are gathered on one
// and sorted on another.
TEST(SpareBuffers, OneThreadTakesWhatAnotherGaveBack) {
  while (TakeSpare<std::string>().capacity() > std::string().capacity()) {}
  std::string big;
  big.reserve(std::size_t(2) << 20);
  const char* memory = big.data();
  std::thread([&] { GiveBack(std::move(big)); }).join();
  EXPECT_EQ(TakeSpare<std::string>().data(), memory);
}

// A buffer given back is handed out again with its memory; small ones are not kept.
TEST(SpareBuffers, KeepLargeBuffersForTheNextTake) {
  // What earlier builds on this thread left.
  while (TakeSpare<std::string>().capacity() > std::string().capacity()) {}
  while (TakeSpare<std::vector<std::uint32_t>>().capacity() > 0) {}
  std::string big;
  big.reserve(std::size_t(4) << 20);
  big = "left over";
  const char* memory = big.data();
  GiveBack(std::move(big));
  std::string again = TakeSpare<std::string>();
  EXPECT_TRUE(again.empty());
  EXPECT_EQ(again.data(), memory);
  EXPECT_TRUE(TakeSpare<std::string>().capacity() < (std::size_t(1) << 20));  // nothing else kept

  std::vector<std::uint32_t> small(1000);
  GiveBack(std::move(small));
  EXPECT_EQ(TakeSpare<std::vector<std::uint32_t>>().capacity(), 0u);
}

// Dropped, the buffers of every type are freed; later ones are kept again.
TEST(SpareBuffers, DroppedBuffersAreFreed) {
  std::string text;
  text.reserve(std::size_t(2) << 20);
  std::vector<std::uint32_t> numbers;
  numbers.reserve(std::size_t(1) << 20);
  GiveBack(std::move(text));
  GiveBack(std::move(numbers));
  DropSpareBuffers();
  EXPECT_LT(TakeSpare<std::string>().capacity(), std::size_t(64) << 10);
  EXPECT_EQ(TakeSpare<std::vector<std::uint32_t>>().capacity(), 0u);
  std::vector<std::uint32_t> again;
  again.reserve(std::size_t(1) << 20);
  GiveBack(std::move(again));
  EXPECT_GE(TakeSpare<std::vector<std::uint32_t>>().capacity(), std::size_t(1) << 20);
}

}  // namespace
}  // namespace xb::rdd
