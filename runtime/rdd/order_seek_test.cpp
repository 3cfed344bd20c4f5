// DBSEEK, key count and key position through CDX and NTX tags, ascending and descending,
// checked against the tag's own key order.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "runtime/codepage.h"
#include "runtime/rdd/bag_file_memory.h"
#include "runtime/rdd/index_test_tables.h"
#include "runtime/rdd/order_bag.h"

namespace xb::rdd {
namespace {

using testing::FixturePath;
using testing::ReadFile;

struct Subject {
  const char* name;
  bool cdx;
  const char* file;
  int tag;
};

const Subject kSubjects[] = {
    {"CDX CODIGO", true, "cdx-1k/fixture.cdx", 0}, {"CDX DESC", true, "cdx-1k/fixture.cdx", 5},
    {"NTX CODIGO", false, "ntx-1k/codigo.ntx", 0}, {"NTX DESC", false, "ntx-1k/desc.ntx", 0},
};

class OrderSeek : public ::testing::Test {
 protected:
  void Open(const Subject& s) {
    BagOptions o;
    o.codepage = &CodePageEsWin();
    auto file = std::make_unique<MemoryBagFile>(ReadFile(FixturePath(s.file)));
    ASSERT_TRUE((s.cdx ? OpenCdx(std::move(file), compiler_, o, bag_) : OpenNtx(std::move(file), compiler_, o, bag_)).ok());
    tag_ = bag_->TagAt(s.tag);
    // The tag's order, walked once.
    order_.clear();
    TagPosition pos;
    ASSERT_TRUE(tag_->GoTop(pos).ok());
    while (!pos.eof()) {
      order_.push_back(pos.recno);
      table_.GoTo(pos.recno);
      bool end;
      ASSERT_TRUE(tag_->Skip(pos.recno, 1, pos, end).ok());
    }
  }
  std::string Code(std::uint32_t r) {
    table_.GoTo(r);
    return table_.Text("CODIGO");
  }
  // Index in tag order of the first (or last) record whose code starts with `prefix`; else of
  // the first record after where it would be.
  std::size_t Where(const std::string& prefix, bool last, bool& found) {
    const bool desc = tag_->Info().descending;
    found = false;
    std::size_t first_after = order_.size();
    std::vector<std::size_t> hits;
    for (std::size_t i = 0; i < order_.size(); ++i) {
      const std::string head = Code(order_[i]).substr(0, prefix.size());
      const int c = Collate(CodePageEsWin(), head, prefix);
      if (c == 0) hits.push_back(i);
      else if ((desc ? c < 0 : c > 0) && first_after == order_.size()) first_after = i;
    }
    if (hits.empty()) return first_after;
    found = true;
    return last ? hits.back() : hits.front();
  }

  testing::TestTable table_ = testing::TestTable::Load(FixturePath("cdx-1k/fixture.dbf"));
  testing::TestCompiler compiler_{table_};
  std::unique_ptr<OrderBag> bag_;
  Tag* tag_ = nullptr;
  std::vector<std::uint32_t> order_;
};

TEST_F(OrderSeek, ExactPartialSoftAndLastSeeksLandWhereTheKeyOrderSays) {
  const char* const values[] = {"", "A", "B0", "Ñ", "N", "a", "u41668", "u4", "M5", "ZZZZ", "0", "x"};
  for (const Subject& s : kSubjects) {
    SCOPED_TRACE(s.name);
    Open(s);
    ASSERT_EQ(order_.size(), 1000u);
    for (const char* v : values) {
      for (bool last : {false, true}) {
        for (SeekMode mode : {SeekMode::kExact, SeekMode::kSoft}) {
          SCOPED_TRACE(std::string("'") + v + "' last=" + (last ? "1" : "0") + (mode == SeekMode::kSoft ? " soft" : ""));
          bool found;
          const std::size_t at = Where(v, last, found);
          TagPosition pos;
          ASSERT_TRUE(tag_->Seek(KeyValue::Text(v), mode, last, pos).ok());
          EXPECT_EQ(pos.found, found);
          if (found || mode == SeekMode::kSoft) {
            EXPECT_EQ(pos.recno, at < order_.size() ? order_[at] : 0u);
          } else {
            EXPECT_EQ(pos.recno, 0u);
          }
        }
      }
    }
    // A value of the wrong type is simply not found.
    TagPosition pos;
    ASSERT_TRUE(tag_->Seek(KeyValue::Number(5), SeekMode::kSoft, false, pos).ok());
    EXPECT_FALSE(pos.found);
  }
}

TEST_F(OrderSeek, KeyCountAndPositionHonourHiddenRecords) {
  for (const Subject& s : kSubjects) {
    SCOPED_TRACE(s.name);
    Open(s);
    const RecordFilter visible = [&](std::uint32_t r) { return !table_.Deleted(r); };
    std::vector<std::uint32_t> shown;
    for (std::uint32_t r : order_)
      if (visible(r)) shown.push_back(r);
    ASSERT_EQ(shown.size(), 956u);  // 44 of the 1000 records are deleted
    std::uint32_t count = 0;
    ASSERT_TRUE(tag_->KeyCount(count, visible).ok());
    EXPECT_EQ(count, shown.size());
    ASSERT_TRUE(tag_->KeyCount(count).ok());
    EXPECT_EQ(count, 1000u);
    for (std::size_t i = 0; i < shown.size(); i += 37) {
      table_.GoTo(shown[i]);
      std::uint32_t position = 0;
      ASSERT_TRUE(tag_->KeyNo(shown[i], position, visible).ok());
      EXPECT_EQ(position, i + 1) << "record " << shown[i];
    }
    // A hidden record has no position.
    const std::uint32_t hidden = *std::find_if(order_.begin(), order_.end(), [&](std::uint32_t r) { return !visible(r); });
    table_.GoTo(hidden);
    std::uint32_t position = 99;
    ASSERT_TRUE(tag_->KeyNo(hidden, position, visible).ok());
    EXPECT_EQ(position, 0u);
    // Walking with the filter passes the hidden records over, both ways.
    TagPosition pos;
    ASSERT_TRUE(tag_->GoBottom(pos, visible).ok());
    EXPECT_EQ(pos.recno, shown.back());
    std::vector<std::uint32_t> back;
    while (!pos.eof()) {
      back.push_back(pos.recno);
      table_.GoTo(pos.recno);
      bool end;
      ASSERT_TRUE(tag_->Skip(pos.recno, -1, pos, end, visible).ok());
    }
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(back, shown);
  }
}

}  // namespace
}  // namespace xb::rdd
