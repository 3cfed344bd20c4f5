#include "runtime/rdd/key_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/codepage.h"

namespace xb::rdd {
namespace {

// Keys from a few letters with long shared beginnings and many repeats, so that runs of
// equal first bytes (16, 32 ...) are common, given in random order, in order of their
// first sixteen bytes only, and in key order: the order must be that of a plain stable sort
// of the keys turned into collation weights.
TEST(KeySort, OrdersAsAPlainSortOfTheWeightedKeys) {
  const unsigned char* weight = CodePageEsWin().weight;
  std::mt19937 rng(11);
  const std::string stems[] = {"ALMACENES DEL NORTE SOCIEDAD ANONIMA ", "almacenes del norte sociedad an\xF3nima ",
                               "\xC1LAMO ", "ALMACENES DEL NORTE S"};
  const struct {
    int length;
    std::size_t count;  // 50,000 and more are sorted in slices and merged
  } cases[] = {{5, 2000}, {16, 2000}, {17, 2000}, {40, 2000}, {40, 50000}};
  for (const auto& [length, count] : cases) {
    std::vector<std::string> keys(count);
    for (std::string& key : keys) {
      key = stems[rng() % 4];
      while (key.size() < std::size_t(length)) key += "AaB\xE1 "[rng() % 5];
      key.resize(std::size_t(length));
      if (rng() % 4 == 0) key[std::size_t(length) - 1 - rng() % 3] = 'Z';
    }
    auto weighted = [&](const std::string& key) {
      std::string w;
      for (char c : key) w += char(weight[static_cast<unsigned char>(c)]);
      return w;
    };
    for (std::size_t arranged : {std::size_t(0), std::size_t(16), std::size_t(length)}) {
      std::vector<std::string> w(count);
      std::transform(keys.begin(), keys.end(), w.begin(), weighted);
      if (arranged > 0) {
        std::vector<std::size_t> by(count);
        std::iota(by.begin(), by.end(), std::size_t(0));
        std::stable_sort(by.begin(), by.end(), [&](std::size_t a, std::size_t b) {
          return std::string_view(w[a]).substr(0, arranged) < std::string_view(w[b]).substr(0, arranged);
        });
        std::vector<std::string> k(count), v(count);
        for (std::size_t i = 0; i < count; ++i) k[i] = keys[by[i]], v[i] = w[by[i]];
        keys.swap(k);
        w.swap(v);
      }
      KeySet set;
      set.key_length = length;
      for (std::size_t i = 0; i < count; ++i) {
        set.keys += keys[i];
        set.recnos.push_back(std::uint32_t(i + 1));
      }
      for (bool descending : {false, true}) {
        SortKeys(set, weight, descending);
        std::vector<std::uint32_t> expected(count);
        std::iota(expected.begin(), expected.end(), 0u);
        std::stable_sort(expected.begin(), expected.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return descending ? w[a] > w[b] : w[a] < w[b]; });
        EXPECT_EQ(set.order, expected) << "length " << length << ", " << count << " keys, in order of " << arranged
                                       << " bytes, descending " << descending;
      }
    }
  }
}

}  // namespace
}  // namespace xb::rdd
