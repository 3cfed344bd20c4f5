// Damaged index files: a clear "dañado" error at open or at the first walk, never a crash or
// a hang.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "runtime/codepage.h"
#include "runtime/rdd/bag_file_memory.h"
#include "runtime/rdd/index_test_tables.h"
#include "runtime/rdd/order_bag.h"

namespace xb::rdd {
namespace {

using testing::FixturePath;
using testing::ReadFile;

void Put32(std::string& b, std::size_t at, std::uint32_t v) { std::memcpy(b.data() + at, &v, 4); }
void PutBe32(std::string& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = char(v >> (24 - 8 * i));
}
void Put16(std::string& b, std::size_t at, std::uint16_t v) { std::memcpy(b.data() + at, &v, 2); }

struct Damage {
  const char* what;
  std::function<void(std::string&)> apply;
};

// Opens the damaged bytes and walks every tag; the first failure must be kCorrupt.
BagStatus OpenAndWalk(bool cdx, const std::string& bytes) {
  testing::TestTable table = testing::TestTable::Load(FixturePath("cdx-1k/fixture.dbf"));
  testing::TestCompiler compiler(table);
  BagOptions options;
  options.codepage = &CodePageEsWin();
  std::unique_ptr<OrderBag> bag;
  auto file = std::make_unique<MemoryBagFile>(bytes);
  BagStatus st = cdx ? OpenCdx(std::move(file), compiler, options, bag) : OpenNtx(std::move(file), compiler, options, bag);
  if (!st.ok()) return st;
  for (int t = 0; t < bag->TagCount(); ++t) {
    TagPosition pos;
    std::uint32_t count;
    if (!(st = bag->TagAt(t)->GoTop(pos)).ok()) return st;
    if (!(st = bag->TagAt(t)->KeyCount(count)).ok()) return st;
    if (!(st = bag->TagAt(t)->GoBottom(pos)).ok()) return st;
  }
  return st;
}

TEST(IndexDamage, DamagedCdxFilesAreRefused) {
  const std::string good = ReadFile(FixturePath("cdx-1k/fixture.cdx"));
  ASSERT_TRUE(OpenAndWalk(true, good).ok());
  // CODIGO: header at 0x600, root (interior) at 0xE00, first leaf at 0xA00.
  const Damage damages[] = {
      {"cut short", [](std::string& b) { b.resize(700); }},
      {"directory root beyond the end", [](std::string& b) { Put32(b, 0, 0x7FFFF000); }},
      {"directory root unaligned", [](std::string& b) { Put32(b, 0, 0x401); }},
      {"key length zero", [](std::string& b) { Put16(b, 0x600 + 12, 0); }},
      {"tag root beyond the end", [](std::string& b) { Put32(b, 0x600, 0x00FFFE00); }},
      {"child pointing at its parent", [](std::string& b) { PutBe32(b, 0xE00 + 12 + 10 + 4, 0xE00); }},
      {"child pointing at a tag header", [](std::string& b) { PutBe32(b, 0xE00 + 12 + 10 + 4, 0x600); }},
      {"leaf with too many keys", [](std::string& b) { Put16(b, 0xA00 + 2, 0xFFFF); }},
      {"leaf with a bad bit layout", [](std::string& b) { b[0xA00 + 20] = 40; }},
      {"interior with too many keys", [](std::string& b) { Put16(b, 0xE00 + 2, 200); }},
  };
  for (const Damage& d : damages) {
    std::string bytes = good;
    d.apply(bytes);
    const BagStatus st = OpenAndWalk(true, bytes);
    EXPECT_EQ(st.code, BagCode::kCorrupt) << d.what;
    if (!st.ok()) {
      EXPECT_NE(st.message.find("dañado"), std::string::npos) << d.what << ": " << st.message;
    }
  }
}

TEST(IndexDamage, DamagedNtxFilesAreRefused) {
  const std::string good = ReadFile(FixturePath("ntx-1k/codigo.ntx"));
  ASSERT_TRUE(OpenAndWalk(false, good).ok());
  // codigo.ntx: root at 0x5400 (19 keys over 20 leaves from 0x400), items from offset 104.
  const Damage damages[] = {
      {"cut short", [](std::string& b) { b.resize(1500); }},
      {"wrong signature", [](std::string& b) { Put16(b, 0, 0x1234); }},
      {"root beyond the end", [](std::string& b) { Put32(b, 4, 0x00FFFC00); }},
      {"item size not key length + 8", [](std::string& b) { Put16(b, 12, 30); }},
      {"child pointing at the root", [](std::string& b) { Put32(b, 0x5400 + 104, 0x5400); }},
      {"child pointing at the header", [](std::string& b) { Put32(b, 0x5400 + 104, 0); Put32(b, 0x5400 + 104 + 18, 0); }},
      {"page with too many keys", [](std::string& b) { Put16(b, 0x400, 500); }},
      {"item offset outside the page", [](std::string& b) { Put16(b, 0x400 + 2, 1020); }},
  };
  for (const Damage& d : damages) {
    std::string bytes = good;
    d.apply(bytes);
    const BagStatus st = OpenAndWalk(false, bytes);
    EXPECT_EQ(st.code, BagCode::kCorrupt) << d.what;
  }
}

}  // namespace
}  // namespace xb::rdd
