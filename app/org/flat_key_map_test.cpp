#include "app/org/flat_key_map.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_map>

namespace app {
namespace {

// Against a standard map over keys that differ only in their last bytes, in their length or
// in blanks, through several growths of the table.
TEST(FlatKeyMap, AgreesWithAStandardMap) {
  FlatKeyMap map;
  std::unordered_map<std::string, std::uint32_t> expected;
  EXPECT_EQ(map.Find("A"), FlatKeyMap::kNone);  // empty table
  std::uint32_t value = 0;
  for (int i = 0; i < 5000; ++i) {
    for (const std::string& key : {std::string("REF") + std::to_string(i), std::to_string(i) + "   ",
                                   std::string(static_cast<std::size_t>(i % 23), 'x') + std::to_string(i % 97)}) {
      const std::uint32_t got = map.Insert(key, value);
      const auto [it, added] = expected.emplace(key, value);
      EXPECT_EQ(got, it->second) << key;
      value += added;
    }
  }
  EXPECT_EQ(map.Insert("", 7), 7u);
  EXPECT_EQ(map.Insert("", 8), 7u);  // the first value stays
  expected.emplace("", 7);
  EXPECT_EQ(map.size(), expected.size());
  for (const auto& [key, v] : expected) EXPECT_EQ(map.Find(key), v) << key;
  for (const char* missing : {"REF5000", "REF1 ", " REF1", "ref1", "xxxxxxxxxxxxxxxxxxxxxxx96"})
    EXPECT_EQ(map.Find(missing), FlatKeyMap::kNone) << missing;
}

}  // namespace
}  // namespace app
