// Keys kept right while records change: CDX and NTX tags after many appends and field writes
// hold exactly the keys a fresh build would, and read back the same after reopening.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "runtime/codepage.h"
#include "runtime/rdd/bag_file_memory.h"
#include "runtime/rdd/cdx_format.h"
#include "runtime/rdd/cdx_tag.h"
#include "runtime/rdd/index_test_tables.h"
#include "runtime/rdd/order_bag.h"

namespace xb::rdd {
namespace {

using testing::TestCompiler;
using testing::TestTable;

TagSpec Spec(const char* name, const char* key, const char* cond = "", bool unique = false, bool desc = false) {
  TagSpec s;
  s.name = name;
  s.key = key;
  s.condition = cond;
  s.unique = unique;
  s.descending = desc;
  return s;
}

const std::vector<TagSpec> kTags = {
    Spec("CODIGO", "CODIGO"), Spec("NOMBRE", "UPPER(NOMBRE)+CODIGO"), Spec("FECHA", "DTOS(FECHA)+CODIGO"),
    Spec("IMPORTE", "STR(IMPORTE,12,2)"), Spec("ACTIVOS", "CODIGO", "ACTIVO"),
    Spec("DESC", "CODIGO", "", false, true), Spec("UNICO", "CODIGO", "", true)};

BagOptions EsWin() {
  BagOptions o;
  o.codepage = &CodePageEsWin();
  return o;
}

std::vector<std::uint32_t> Walk(Tag& tag, TestTable& table, bool backwards = false) {
  std::vector<std::uint32_t> out;
  TagPosition pos;
  EXPECT_TRUE((backwards ? tag.GoBottom(pos) : tag.GoTop(pos)).ok());
  while (!pos.eof() && out.size() < 100000) {
    out.push_back(pos.recno);
    table.GoTo(pos.recno);
    bool end = false;
    const BagStatus st = tag.Skip(pos.recno, backwards ? -1 : 1, pos, end);
    if (!st.ok()) {
      ADD_FAILURE() << st.message;
      break;
    }
  }
  if (backwards) std::reverse(out.begin(), out.end());
  return out;
}

// The order a fresh build gives: the tag's keys sorted, equal keys by record number (NTX
// descending tags keep that; CDX descending tags walk them backwards).
std::vector<std::uint32_t> Expected(OrderBag& bag, int t, TestTable& table, bool cdx) {
  const TagInfo& info = bag.TagAt(t)->Info();
  std::vector<std::pair<std::string, std::uint32_t>> keys;
  for (std::uint32_t r = 1; r <= table.RecordCount(); ++r) {
    table.GoTo(r);
    RecordKeys k;
    EXPECT_TRUE(bag.CurrentKeys(k).ok());
    if (!k.keys[t].empty()) keys.emplace_back(k.keys[t], r);
  }
  std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
    const int c = Collate(CodePageEsWin(), a.first, b.first);
    return c != 0 ? c < 0 : a.second < b.second;
  });
  std::vector<std::uint32_t> out;
  std::string last;
  for (const auto& k : keys) {
    if (info.unique && !out.empty() && k.first == last) continue;
    out.push_back(k.second);
    last = k.first;
  }
  if (info.descending) {
    if (cdx) {
      std::reverse(out.begin(), out.end());
    } else {
      std::vector<std::pair<std::string, std::uint32_t>> kept;
      for (std::uint32_t r : out) {
        for (const auto& k : keys)
          if (k.second == r) kept.push_back(k);
      }
      std::stable_sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) {
        const int c = Collate(CodePageEsWin(), a.first, b.first);
        return c != 0 ? c > 0 : a.second < b.second;
      });
      out.clear();
      for (const auto& k : kept) out.push_back(k.second);
    }
  }
  return out;
}

// The tree of every tag of a CDX file as another reader walks it: each level linked left to
// right by its sibling pointers in the order the parents list it, and every interior entry
// holding the last key of its child.
void CheckCdxLinks(const std::string& bytes) {
  namespace c = cdx;
  auto page = [&](std::uint32_t offset, int key_length, char fill) {
    c::Page p;
    EXPECT_TRUE(c::DecodePage(reinterpret_cast<const unsigned char*>(bytes.data()) + offset, offset, key_length, fill, p).ok());
    return p;
  };
  c::TagHeader dir;
  ASSERT_TRUE(c::DecodeTagHeader(reinterpret_cast<const unsigned char*>(bytes.data()), dir).ok());
  for (const c::Entry& tag : page(dir.root, 10, ' ').entries) {
    c::TagHeader h;
    ASSERT_TRUE(c::DecodeTagHeader(reinterpret_cast<const unsigned char*>(bytes.data()) + tag.recno, h).ok());
    const char fill = h.key_length == 8 ? '\0' : ' ';
    std::vector<std::uint32_t> level = {h.root};
    ASSERT_TRUE(page(h.root, h.key_length, fill).root());
    while (true) {
      std::vector<std::uint32_t> below;
      for (std::size_t i = 0; i < level.size(); ++i) {
        const c::Page p = page(level[i], h.key_length, fill);
        EXPECT_EQ(p.left, i == 0 ? c::kNone : level[i - 1]);
        EXPECT_EQ(p.right, i + 1 == level.size() ? c::kNone : level[i + 1]);
        EXPECT_TRUE(!p.entries.empty() || level.size() == 1);
        if (p.leaf()) continue;
        for (const c::Entry& e : p.entries) {
          const c::Page child = page(e.child, h.key_length, fill);
          ASSERT_FALSE(child.entries.empty());
          EXPECT_EQ(child.entries.back().key, e.key);
          EXPECT_EQ(child.entries.back().recno, e.recno);
          below.push_back(e.child);
        }
      }
      if (below.empty()) break;
      level = std::move(below);
    }
  }
}

// One random change of the table, keeping the bags' keys up to date.
void Change(std::mt19937& rng, TestTable& table, std::vector<OrderBag*> bags, bool clustered) {
  std::vector<RecordKeys> before(bags.size());
  const bool append = rng() % 8 == 0;
  if (append) {
    table.Append();
  } else {
    table.GoTo(1 + rng() % table.RecordCount());
    for (std::size_t b = 0; b < bags.size(); ++b) ASSERT_TRUE(bags[b]->CurrentKeys(before[b]).ok());
  }
  char code[16];
  // Clustered changes pile many records onto few keys (page splits), then spread them again
  // (pages emptied and dropped).
  std::snprintf(code, sizeof code, clustered ? "ZZ%02u" : "%c%05u", clustered ? unsigned(rng() % 3) : 'A' + int(rng() % 26),
                unsigned(rng() % 100000));
  if (clustered) std::snprintf(code, sizeof code, "ZZ%u", unsigned(rng() % 3));
  switch (rng() % 4) {
    case 0: table.Put("CODIGO", code); break;
    case 1: table.Put("NOMBRE", rng() % 2 ? "ÑANDÚ PÉREZ" : "ÁLVARO NÚÑEZ"); break;
    case 2: {
      char amount[32];
      std::snprintf(amount, sizeof amount, "%12.2f", (double(rng() % 2000000) - 1000000) / 100.0);
      table.Put("IMPORTE", amount);
      break;
    }
    default: table.Put("ACTIVO", rng() % 2 ? "T" : "F"); break;
  }
  if (append) table.Put("CODIGO", code);
  for (std::size_t b = 0; b < bags.size(); ++b) {
    const BagStatus st = bags[b]->UpdateKeys(table.current(), append ? nullptr : &before[b]);
    ASSERT_TRUE(st.ok()) << st.message;
  }
}

TEST(OrderMaintenance, CdxAndNtxTagsStayRightThroughAppendsAndWrites) {
  TestTable table = TestTable::Load(testing::FixturePath("cdx-1k/fixture.dbf"));
  TestCompiler compiler(table);
  auto cdx_file = std::make_unique<MemoryBagFile>();
  MemoryBagFile* cdx_raw = cdx_file.get();
  std::unique_ptr<OrderBag> cdx;
  ASSERT_TRUE(CreateCdx(std::move(cdx_file), compiler, EsWin(), cdx).ok());
  std::vector<std::unique_ptr<OrderBag>> ntx;
  std::vector<MemoryBagFile*> ntx_raw;
  for (const TagSpec& spec : kTags) {
    ASSERT_TRUE(cdx->CreateTag(spec, table).ok());
    auto f = std::make_unique<MemoryBagFile>();
    ntx_raw.push_back(f.get());
    std::unique_ptr<OrderBag> bag;
    ASSERT_TRUE(CreateNtx(std::move(f), compiler, EsWin(), bag).ok());
    ASSERT_TRUE(bag->CreateTag(spec, table).ok());
    ntx.push_back(std::move(bag));
  }
  std::vector<OrderBag*> bags = {cdx.get()};
  for (auto& b : ntx) bags.push_back(b.get());
  std::mt19937 rng(7);
  for (int round = 0; round < 6; ++round) {
    for (int i = 0; i < 700; ++i) {
      Change(rng, table, bags, /*clustered=*/round % 2 == 1);
      if (::testing::Test::HasFatalFailure()) return;
    }
    SCOPED_TRACE("round " + std::to_string(round));
    for (int t = 0; t < cdx->TagCount(); ++t) {
      SCOPED_TRACE(cdx->TagAt(t)->Info().name);
      if (cdx->TagAt(t)->Info().unique) {
        // A unique tag keeps the first record that brought a key in, not the lowest record
        // number: its keys must be strictly increasing and each its record's current key.
        for (OrderBag* bag : {cdx.get(), ntx[t].get()}) {
          const int index = bag == cdx.get() ? t : 0;
          std::string last;
          for (std::uint32_t r : Walk(*bag->TagAt(index), table)) {
            table.GoTo(r);
            RecordKeys k;
            ASSERT_TRUE(bag->CurrentKeys(k).ok());
            const std::string& key = k.keys[index];
            if (!last.empty()) {
              EXPECT_LT(Collate(CodePageEsWin(), last, key), 0) << "record " << r;
            }
            last = key;
          }
        }
        continue;
      }
      const auto expected = Expected(*cdx, t, table, true);
      EXPECT_EQ(Walk(*cdx->TagAt(t), table), expected);
      EXPECT_EQ(Walk(*cdx->TagAt(t), table, /*backwards=*/true), expected);
      const auto expected_ntx = Expected(*ntx[t], 0, table, false);
      EXPECT_EQ(Walk(*ntx[t]->TagAt(0), table), expected_ntx);
      EXPECT_EQ(Walk(*ntx[t]->TagAt(0), table, true), expected_ntx);
    }
  }
  CheckCdxLinks(cdx_raw->Bytes());
  // What was written reads back the same from the files alone.
  std::unique_ptr<OrderBag> again;
  ASSERT_TRUE(OpenCdx(std::make_unique<MemoryBagFile>(cdx_raw->Bytes()), compiler, EsWin(), again).ok());
  for (int t = 0; t < again->TagCount(); ++t)
    if (!again->TagAt(t)->Info().unique) {
      EXPECT_EQ(Walk(*again->TagAt(t), table), Expected(*cdx, t, table, true)) << again->TagAt(t)->Info().name;
    }
  for (std::size_t t = 0; t < ntx.size(); ++t) {
    if (kTags[t].unique) continue;
    std::unique_ptr<OrderBag> n;
    ASSERT_TRUE(OpenNtx(std::make_unique<MemoryBagFile>(ntx_raw[t]->Bytes()), compiler, EsWin(), n).ok());
    EXPECT_EQ(Walk(*n->TagAt(0), table), Expected(*ntx[t], 0, table, false)) << t;
  }
}

}  // namespace
}  // namespace xb::rdd

namespace xb::rdd {
namespace {

// Thousands of appends in key order split page after page: the pages the splits make count
// against the tag's page cache like the pages it reads.
TEST(OrderMaintenance, AppendsInKeyOrderKeepTheCdxPageCacheBounded) {
  TestTable table = TestTable::Load(testing::FixturePath("cdx-1k/fixture.dbf"));
  TestCompiler compiler(table);
  compiler.Define("LARGA", [](TestTable& t) {
    char number[16];
    std::snprintf(number, sizeof number, "%010u", t.current());
    return KeyValue::Text(number + std::string(90, 'x'));
  });
  std::unique_ptr<OrderBag> cdx;
  ASSERT_TRUE(CreateCdx(std::make_unique<MemoryBagFile>(), compiler, EsWin(), cdx).ok());
  ASSERT_TRUE(cdx->CreateTag(Spec("LARGA", "LARGA"), table).ok());
  auto* tag = dynamic_cast<cdx::CdxTag*>(cdx->TagAt(0));
  ASSERT_NE(tag, nullptr);
  std::size_t most = 0;
  for (int i = 0; i < 20000; ++i) {
    const std::uint32_t recno = table.Append();
    const BagStatus st = cdx->UpdateKeys(recno, nullptr);
    ASSERT_TRUE(st.ok()) << st.message;
    most = std::max(most, tag->cached_pages());
  }
  EXPECT_LE(most, cdx::CdxTag::kCachedPages + 16);  // and the pages of one insert
  std::uint32_t count = 0;
  ASSERT_TRUE(tag->KeyCount(count, {}).ok());
  EXPECT_EQ(count, table.RecordCount());
}

TEST(OrderMaintenance, RebuildAfterPackKeepsTagsAndTheirOrder) {
  testing::TestTable table = testing::TestTable::Load(testing::FixturePath("cdx-1k/fixture.dbf"));
  testing::TestCompiler compiler(table);
  auto file = std::make_unique<MemoryBagFile>();
  MemoryBagFile* raw = file.get();
  std::unique_ptr<OrderBag> bag;
  ASSERT_TRUE(CreateCdx(std::move(file), compiler, EsWin(), bag).ok());
  for (const TagSpec& spec : kTags) ASSERT_TRUE(bag->CreateTag(spec, table).ok());
  // Recreating a tag moves it to the end: one more tag header and tree in the file.
  ASSERT_TRUE(bag->CreateTag(kTags[1], table).ok());
  EXPECT_EQ(bag->TagAt(int(kTags.size()) - 1)->Info().name, "NOMBRE");
  Tag* first = bag->TagAt(0);
  const std::size_t grown = raw->Bytes().size();
  ASSERT_TRUE(bag->Rebuild(table).ok());
  EXPECT_LT(raw->Bytes().size(), grown);
  EXPECT_EQ(bag->TagAt(0), first);
  for (int t = 0; t < bag->TagCount(); ++t) {
    if (bag->TagAt(t)->Info().unique) continue;
    EXPECT_EQ(Walk(*bag->TagAt(t), table), Expected(*bag, t, table, true)) << bag->TagAt(t)->Info().name;
  }
}

// Two handles on one file stand for two processes sharing the index.
TEST(OrderMaintenance, SharedBagsSeeEachOthersKeysAfterEachChange) {
  for (bool cdx : {true, false}) {
    SCOPED_TRACE(cdx ? "CDX" : "NTX");
    testing::TestTable table = testing::TestTable::Load(testing::FixturePath("cdx-1k/fixture.dbf"));
    testing::TestCompiler compiler(table);
    BagOptions shared = EsWin();
    shared.shared = true;
    auto file = std::make_unique<MemoryBagFile>();
    auto second_file = file->OpenAgain();
    std::unique_ptr<OrderBag> a, b;
    ASSERT_TRUE((cdx ? CreateCdx(std::move(file), compiler, shared, a) : CreateNtx(std::move(file), compiler, shared, a)).ok());
    ASSERT_TRUE(a->CreateTag(kTags[0], table).ok());
    ASSERT_TRUE((cdx ? OpenCdx(std::move(second_file), compiler, shared, b) : OpenNtx(std::move(second_file), compiler, shared, b)).ok());
    std::mt19937 rng(11);
    for (int i = 0; i < 300; ++i) {
      OrderBag& writer = i % 2 ? *a : *b;
      OrderBag& reader = i % 2 ? *b : *a;
      // The reader has the tag's pages cached from a walk.
      TagPosition pos;
      ASSERT_TRUE(reader.TagAt(0)->GoTop(pos).ok());
      char code[16];
      std::snprintf(code, sizeof code, "S%05u", unsigned(rng() % 100000));
      RecordKeys before;
      if (i % 5 == 0) {
        table.Append();
        table.Put("CODIGO", code);
        ASSERT_TRUE(writer.UpdateKeys(table.current(), nullptr).ok());
      } else {
        table.GoTo(1 + rng() % table.RecordCount());
        ASSERT_TRUE(writer.CurrentKeys(before).ok());
        table.Put("CODIGO", code);
        ASSERT_TRUE(writer.UpdateKeys(table.current(), &before).ok());
      }
      ASSERT_TRUE(reader.TagAt(0)->Seek(KeyValue::Text(code), SeekMode::kExact, false, pos).ok());
      ASSERT_TRUE(pos.found) << i;
      EXPECT_EQ(pos.recno, table.current());
      if (i % 5 != 0) {
        TagPosition old;
        ASSERT_TRUE(reader.TagAt(0)->Seek(KeyValue::Text(before.keys[0]), SeekMode::kExact, false, old).ok());
        EXPECT_NE(old.recno, table.current());
      }
    }
    const auto expected = Expected(*a, 0, table, cdx);
    EXPECT_EQ(Walk(*a->TagAt(0), table), expected);
    EXPECT_EQ(Walk(*b->TagAt(0), table), expected);
  }
}

}  // namespace
}  // namespace xb::rdd

namespace xb::rdd {
namespace {

// The tag's entries read straight from its pages, in order.
std::vector<std::uint32_t> Recnos(OrderBag& bag) {
  std::vector<cdx::Entry> entries;
  EXPECT_TRUE(dynamic_cast<cdx::CdxTag&>(*bag.TagAt(0)).Entries(entries).ok());
  std::vector<std::uint32_t> out;
  for (const cdx::Entry& e : entries) out.push_back(e.recno);
  return out;
}

// Keys of 200 and 240 bytes leave two entries to an interior page: thousands of appends, in
// key order or not, keep the tree shallow enough to walk and seek, and in the order a whole
// build gives.
TEST(OrderMaintenance, LongKeysAppendedInAnyOrderKeepTheCdxTreeShallow) {
  struct Case { int length; bool in_order; };
  for (const Case c : {Case{200, true}, Case{200, false}, Case{240, true}, Case{240, false}}) {
    SCOPED_TRACE(std::to_string(c.length) + (c.in_order ? " in order" : " shuffled"));
    TestTable table = TestTable::Load(testing::FixturePath("cdx-1k/fixture.dbf"));
    const std::uint32_t first = table.RecordCount() + 1;
    constexpr std::uint32_t kAppended = 3000;
    std::vector<std::uint32_t> rank(kAppended);
    for (std::uint32_t i = 0; i < kAppended; ++i) rank[i] = i;
    if (!c.in_order) std::shuffle(rank.begin(), rank.end(), std::mt19937(11));
    // Records before the appended ones sort ahead of them; keys differ only near their end.
    auto key_of = [&, length = c.length](std::uint32_t recno) {
      char number[16];
      std::snprintf(number, sizeof number, "%c%09u", recno < first ? 'A' : 'B',
                    recno < first ? recno : rank[recno - first]);
      return std::string(std::size_t(length) - 10, 'x') + number;
    };
    TestCompiler compiler(table);
    compiler.Define("LARGA", [&](TestTable& t) { return KeyValue::Text(key_of(t.current())); });
    auto file = std::make_unique<MemoryBagFile>();
    MemoryBagFile* raw = file.get();
    std::unique_ptr<OrderBag> appended;
    ASSERT_TRUE(CreateCdx(std::move(file), compiler, EsWin(), appended).ok());
    ASSERT_TRUE(appended->CreateTag(Spec("LARGA", "LARGA"), table).ok());
    ASSERT_EQ(appended->TagAt(0)->Info().key_length, c.length);
    for (std::uint32_t i = 0; i < kAppended; ++i) {
      const std::uint32_t recno = table.Append();
      const BagStatus st = appended->UpdateKeys(recno, nullptr);
      ASSERT_TRUE(st.ok()) << "record " << recno << ": " << st.message;
    }
    std::vector<std::uint32_t> sorted(table.RecordCount());
    for (std::uint32_t r = 1; r <= table.RecordCount(); ++r) sorted[r - 1] = r;
    std::sort(sorted.begin(), sorted.end(), [&](std::uint32_t a, std::uint32_t b) { return key_of(a) < key_of(b); });
    EXPECT_EQ(Walk(*appended->TagAt(0), table), sorted);
    EXPECT_EQ(Walk(*appended->TagAt(0), table, /*backwards=*/true), sorted);
    for (std::uint32_t r : {first - 1, first, first + kAppended / 2, first + kAppended - 1}) {
      TagPosition pos;
      ASSERT_TRUE(appended->TagAt(0)->Seek(KeyValue::Text(key_of(r)), SeekMode::kExact, false, pos, {}).ok());
      EXPECT_TRUE(pos.found);
      EXPECT_EQ(pos.recno, r);
    }
    CheckCdxLinks(raw->Bytes());
    std::unique_ptr<OrderBag> built;
    ASSERT_TRUE(CreateCdx(std::make_unique<MemoryBagFile>(), compiler, EsWin(), built).ok());
    ASSERT_TRUE(built->CreateTag(Spec("LARGA", "LARGA"), table).ok());
    EXPECT_EQ(Recnos(*built), sorted);
    EXPECT_EQ(Recnos(*appended), Recnos(*built));
  }
}

}  // namespace
}  // namespace xb::rdd
