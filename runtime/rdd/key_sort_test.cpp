#include "runtime/rdd/key_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>

#include "runtime/codepage.h"

namespace xb::rdd {
namespace {

// Keys from a few letters with long shared beginnings and many repeats, so that runs of
// equal first bytes (16, 32 ...) are common: the order must be that of a plain stable sort
// of the keys turned into collation weights.
TEST(KeySort, OrdersAsAPlainSortOfTheWeightedKeys) {
  const unsigned char* weight = CodePageEsWin().weight;
  std::mt19937 rng(11);
  for (int length : {5, 16, 17, 40}) {
    for (std::size_t count : {std::size_t(300), std::size_t(60000)}) {
      KeySet set;
      set.key_length = length;
      const std::string stems[] = {"ALMACENES DEL NORTE SOCIEDAD ANONIMA ", "almacenes del norte sociedad an\xF3nima ",
                                   "\xC1LAMO ", "ALMACENES DEL NORTE S"};
      for (std::size_t i = 0; i < count; ++i) {
        std::string key = stems[rng() % 4];
        while (key.size() < std::size_t(length)) key += "AaB\xE1 "[rng() % 5];
        key.resize(std::size_t(length));
        if (rng() % 4 == 0) key[std::size_t(length) - 1 - rng() % 3] = 'Z';
        set.keys += key;
        set.recnos.push_back(std::uint32_t(i + 1));
      }
      for (bool descending : {false, true}) {
        SortKeys(set, weight, descending);
        std::vector<std::string> weighted(count);
        for (std::size_t i = 0; i < count; ++i)
          for (int b = 0; b < length; ++b)
            weighted[i] += char(weight[static_cast<unsigned char>(set.keys[i * std::size_t(length) + std::size_t(b)])]);
        std::vector<std::uint32_t> expected(count);
        std::iota(expected.begin(), expected.end(), 0u);
        std::stable_sort(expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) {
          return descending ? weighted[a] > weighted[b] : weighted[a] < weighted[b];
        });
        EXPECT_EQ(set.order, expected) << "length " << length << ", " << count << " keys, descending " << descending;
      }
    }
  }
}

}  // namespace
}  // namespace xb::rdd
