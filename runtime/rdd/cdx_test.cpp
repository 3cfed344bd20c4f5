#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "runtime/codepage.h"
#include "runtime/rdd/bag_file_memory.h"
#include "runtime/rdd/index_test_tables.h"
#include "runtime/rdd/key_sort.h"
#include "runtime/rdd/order_bag.h"

namespace xb::rdd {
namespace {

using testing::FixturePath;
using testing::ReadFile;
using testing::TestCompiler;
using testing::TestTable;

struct Reference {
  const char* folder;
  const char* table;
  const char* index;
  std::vector<TagSpec> tags;  // in creation order
};

TagSpec Spec(const char* name, const char* key, const char* cond = "", bool unique = false, bool desc = false) {
  TagSpec s;
  s.name = name;
  s.key = key;
  s.condition = cond;
  s.unique = unique;
  s.descending = desc;
  return s;
}

const std::vector<TagSpec> kFixtureTags = {
    Spec("CODIGO", "CODIGO"), Spec("NOMBRE", "UPPER(NOMBRE)+CODIGO"), Spec("FECHA", "DTOS(FECHA)+CODIGO"),
    Spec("IMPORTE", "STR(IMPORTE,12,2)"), Spec("ACTIVOS", "CODIGO", "ACTIVO"),
    Spec("DESC", "CODIGO", "", false, true)};
const std::vector<TagSpec> kFixture2Tags = {
    Spec("NUMPED", "NNUMPED"), Spec("FECHA", "DFECHA"), Spec("CERRADA", "LCERRADA"), Spec("IMPORTE", "NIMPORTE"),
    Spec("SERNUM", "CSERIE+STR(NNUMPED,7)"), Spec("REFUNQ", "UPPER(CREF)", "", true),
    Spec("RECIENTE", "DTOS(DFECHA)", "DFECHA>=CTOD(\"01-01-2010\")")};

const Reference kReferences[] = {
    {"cdx-1k", "fixture.dbf", "fixture.cdx", kFixtureTags},
    {"cdx2", "fixture2.dbf", "fixture2.cdx", kFixture2Tags},
    {"cdx-20k", "fixture.dbf", "fixture.cdx", kFixtureTags},
};

BagOptions EsWin(bool shared = false) {
  BagOptions o;
  o.codepage = &CodePageEsWin();
  o.shared = shared;
  return o;
}

// The tag's entries as the tag walks them: record numbers in tag order.
std::vector<std::uint32_t> Walk(Tag& tag, TestTable& table, const RecordFilter& visible = {}) {
  std::vector<std::uint32_t> out;
  TagPosition pos;
  EXPECT_TRUE(tag.GoTop(pos, visible).ok());
  while (!pos.eof()) {
    out.push_back(pos.recno);
    table.GoTo(pos.recno);
    bool end = false;
    const BagStatus st = tag.Skip(pos.recno, 1, pos, end, visible);
    EXPECT_TRUE(st.ok()) << st.message;
    if (!st.ok() || out.size() > 1000000) break;
  }
  return out;
}

// What a tag must hold: every record whose FOR condition holds, in collation order.
std::vector<std::uint32_t> Expected(OrderBag& bag, int tag_index, TestTable& table) {
  const TagInfo& info = bag.TagAt(tag_index)->Info();
  std::vector<std::pair<std::string, std::uint32_t>> keys;
  for (std::uint32_t r = 1; r <= table.RecordCount(); ++r) {
    table.GoTo(r);
    RecordKeys k;
    EXPECT_TRUE(bag.CurrentKeys(k).ok());
    if (!k.keys[tag_index].empty()) keys.emplace_back(k.keys[tag_index], r);
  }
  const CodePage& cp = info.type == KeyType::kCharacter ? CodePageEsWin() : CodePageEn();
  std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
    const int c = Collate(cp, a.first, b.first);
    return c != 0 ? c < 0 : a.second < b.second;
  });
  if (info.unique) {
    keys.erase(std::unique(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
               keys.end());
  }
  std::vector<std::uint32_t> out;
  for (const auto& k : keys) out.push_back(k.second);
  if (info.descending) std::reverse(out.begin(), out.end());
  return out;
}

std::unique_ptr<OrderBag> OpenReference(const Reference& ref, ExpressionCompiler& compiler) {
  auto file = std::make_unique<MemoryBagFile>(ReadFile(FixturePath(std::string(ref.folder) + "/" + ref.index)));
  std::unique_ptr<OrderBag> bag;
  const BagStatus st = OpenCdx(std::move(file), compiler, EsWin(), bag);
  EXPECT_TRUE(st.ok()) << st.message;
  return bag;
}

TEST(Cdx, ReferenceFilesOpenWithTheirTagsInCreationOrder) {
  for (const Reference& ref : kReferences) {
    TestTable table = TestTable::Load(FixturePath(std::string(ref.folder) + "/" + ref.table));
    TestCompiler compiler(table);
    auto bag = OpenReference(ref, compiler);
    ASSERT_TRUE(bag);
    ASSERT_EQ(bag->TagCount(), int(ref.tags.size())) << ref.folder;
    for (std::size_t i = 0; i < ref.tags.size(); ++i) {
      const TagInfo& info = bag->TagAt(int(i))->Info();
      EXPECT_EQ(info.name, ref.tags[i].name);
      EXPECT_EQ(info.key, ref.tags[i].key);
      EXPECT_EQ(info.condition, ref.tags[i].condition);
      EXPECT_EQ(info.unique, ref.tags[i].unique);
      EXPECT_EQ(info.descending, ref.tags[i].descending);
      EXPECT_EQ(bag->FindTag(Lower(CodePageEn(), ref.tags[i].name)), int(i));
    }
  }
}

TEST(Cdx, EveryKeyOfEveryRecordIsFoundInTheReferenceFiles) {
  for (const Reference& ref : kReferences) {
    TestTable table = TestTable::Load(FixturePath(std::string(ref.folder) + "/" + ref.table));
    TestCompiler compiler(table);
    auto bag = OpenReference(ref, compiler);
    ASSERT_TRUE(bag);
    for (int t = 0; t < bag->TagCount(); ++t) {
      Tag& tag = *bag->TagAt(t);
      SCOPED_TRACE(std::string(ref.folder) + " " + tag.Info().name);
      const std::vector<std::uint32_t> expected = Expected(*bag, t, table);
      EXPECT_EQ(Walk(tag, table), expected);
      std::uint32_t count = 0;
      ASSERT_TRUE(tag.KeyCount(count).ok());
      EXPECT_EQ(count, expected.size());
      // Seek every record's key: found, on a record with that key.
      for (std::uint32_t r = 1; r <= table.RecordCount(); r += (table.RecordCount() > 3000 ? 7 : 1)) {
        table.GoTo(r);
        KeyValue key;
        ASSERT_TRUE(tag.CurrentKeyValue(key).ok());
        if (key.type == KeyType::kCharacter && key.text.empty()) continue;  // FOR excludes it
        TagPosition pos;
        ASSERT_TRUE(tag.Seek(key, SeekMode::kExact, false, pos).ok());
        ASSERT_TRUE(pos.found) << "record " << r;
        table.GoTo(pos.recno);
        KeyValue there;
        ASSERT_TRUE(tag.CurrentKeyValue(there).ok());
        EXPECT_EQ(there.text, key.text);
        EXPECT_EQ(there.number, key.number);
      }
    }
  }
}

// A reference table and an empty index file in memory, to build its tags into.
struct NewBag {
  explicit NewBag(const Reference& ref)
      : table(TestTable::Load(FixturePath(std::string(ref.folder) + "/" + ref.table))), compiler(table) {
    auto file = std::make_unique<MemoryBagFile>();
    raw = file.get();
    created = CreateCdx(std::move(file), compiler, EsWin(), bag);
  }
  TestTable table;
  TestCompiler compiler;
  const MemoryBagFile* raw = nullptr;
  std::unique_ptr<OrderBag> bag;
  BagStatus created;
};

TEST(Cdx, TagsBuiltOverTheReferenceTablesMatchTheReferenceFilesByteForByte) {
  for (const Reference& ref : kReferences) {
    SCOPED_TRACE(ref.folder);
    NewBag build(ref);
    ASSERT_TRUE(build.created.ok()) << build.created.message;
    for (const TagSpec& spec : ref.tags) {
      const BagStatus st = build.bag->CreateTag(spec, build.table);
      ASSERT_TRUE(st.ok()) << st.message;
    }
    const std::string expected = ReadFile(FixturePath(std::string(ref.folder) + "/" + ref.index));
    const std::string& built = build.raw->Bytes();
    ASSERT_EQ(built.size(), expected.size());
    std::size_t first_difference = 0;
    while (first_difference < built.size() && built[first_difference] == expected[first_difference]) ++first_difference;
    EXPECT_EQ(first_difference, built.size()) << "first difference at offset " << first_difference;
  }
}

// Counts the records made current, for the builds that must read each record once.
class CountingSource : public RecordSource {
 public:
  explicit CountingSource(TestTable& table) : table_(table) {}
  std::uint32_t RecordCount() override { return table_.RecordCount(); }
  BagStatus GoTo(std::uint32_t recno) override {
    ++moves;
    return table_.GoTo(recno);
  }
  std::uint32_t moves = 0;

 private:
  TestTable& table_;
};

TEST(Cdx, TagsBuiltTogetherReadEachRecordOnceAndMatchTheReferenceFiles) {
  for (const Reference& ref : kReferences) {
    SCOPED_TRACE(ref.folder);
    NewBag build(ref);
    ASSERT_TRUE(build.created.ok()) << build.created.message;
    CountingSource records(build.table);
    std::vector<BagStatus> each;
    build.bag->CreateTags(ref.tags, records, each);
    ASSERT_EQ(each.size(), ref.tags.size());
    for (const BagStatus& st : each) EXPECT_TRUE(st.ok()) << st.message;
    EXPECT_LE(records.moves, build.table.RecordCount() + 1);
    EXPECT_EQ(build.raw->Bytes(), ReadFile(FixturePath(std::string(ref.folder) + "/" + ref.index)));
  }
}

// Keys gathered first and sorted on another thread, as a pack shows its records before the
// index is written: the file is the reference file, and writing reads no record.
TEST(Cdx, TagsSortedOnAnotherThreadMatchTheReferenceFiles) {
  for (const Reference& ref : kReferences) {
    SCOPED_TRACE(ref.folder);
    NewBag build(ref);
    ASSERT_TRUE(build.created.ok()) << build.created.message;
    std::unique_ptr<TagKeys> keys = StartCdxTags(ref.tags, build.compiler);
    keys->Gather(build.table);
    std::thread([&] { build.bag->SortTags(*keys); }).join();
    EXPECT_TRUE(keys->sorted());
    CountingSource records(build.table);
    std::vector<BagStatus> each;
    build.bag->CreateTags(*keys, records, each);
    for (const BagStatus& st : each) EXPECT_TRUE(st.ok()) << st.message;
    EXPECT_EQ(records.moves, 0u);
    EXPECT_EQ(build.raw->Bytes(), ReadFile(FixturePath(std::string(ref.folder) + "/" + ref.index)));
  }
}

// A tag that cannot be built is reported alone; the others of the same pass are built.
TEST(Cdx, ATagThatFailsInAPassLeavesTheOthersBuilt) {
  TestTable table = TestTable::Load(FixturePath("cdx-1k/fixture.dbf"));
  TestCompiler compiler(table);
  compiler.Define("CODIGO_O_FECHA", [](TestTable& t) {
    return t.current() == 7 ? KeyValue::Date(2450000) : KeyValue::Text(t.Text("CODIGO"));
  });
  std::unique_ptr<OrderBag> bag;
  ASSERT_TRUE(CreateCdx(std::make_unique<MemoryBagFile>(), compiler, EsWin(), bag).ok());
  const std::vector<TagSpec> specs = {kFixtureTags[0], Spec("MALA", "NO_EXISTE"), Spec("NOMBRE_DEMASIADO_LARGO", "CODIGO"),
                                      Spec("MIXTA", "CODIGO_O_FECHA"), kFixtureTags[1]};
  std::vector<BagStatus> each;
  bag->CreateTags(specs, table, each);
  ASSERT_EQ(each.size(), specs.size());
  EXPECT_TRUE(each[0].ok());
  EXPECT_EQ(each[1].code, BagCode::kExpression);
  EXPECT_EQ(each[2].code, BagCode::kBadArgument);
  EXPECT_EQ(each[3].code, BagCode::kExpression);
  EXPECT_TRUE(each[4].ok());
  ASSERT_EQ(bag->TagCount(), 2);
  for (int t = 0; t < 2; ++t) {
    SCOPED_TRACE(bag->TagAt(t)->Info().name);
    EXPECT_EQ(Walk(*bag->TagAt(t), table), Expected(*bag, t, table));
  }
}

}  // namespace
}  // namespace xb::rdd
