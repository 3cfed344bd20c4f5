#include "runtime/rdd/work_threads.h"

#include <gtest/gtest.h>

#include <atomic>
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
