#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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
using testing::TestCompiler;
using testing::TestTable;

struct NtxReference {
  const char* folder;
  const char* table;
  const char* file;
  TagSpec spec;
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

const NtxReference kNtxReferences[] = {
    {"ntx-1k", "fixture.dbf", "codigo.ntx", Spec("CODIGO", "CODIGO")},
    {"ntx-1k", "fixture.dbf", "nombre.ntx", Spec("NOMBRE", "UPPER(NOMBRE)+CODIGO")},
    {"ntx-1k", "fixture.dbf", "fecha.ntx", Spec("FECHA", "DTOS(FECHA)+CODIGO")},
    {"ntx-1k", "fixture.dbf", "importe.ntx", Spec("IMPORTE", "STR(IMPORTE,12,2)")},
    {"ntx-1k", "fixture.dbf", "activos.ntx", Spec("ACTIVOS", "CODIGO", "ACTIVO")},
    {"ntx-1k", "fixture.dbf", "desc.ntx", Spec("DESC", "CODIGO", "", false, true)},
    {"ntx2", "fixture2.dbf", "numped.ntx", Spec("NUMPED", "NNUMPED")},
    {"ntx2", "fixture2.dbf", "fecha.ntx", Spec("FECHA", "DFECHA")},
    {"ntx2", "fixture2.dbf", "importe.ntx", Spec("IMPORTE", "NIMPORTE")},
    {"ntx2", "fixture2.dbf", "sernum.ntx", Spec("SERNUM", "CSERIE+STR(NNUMPED,7)")},
    {"ntx2", "fixture2.dbf", "refunq.ntx", Spec("REFUNQ", "UPPER(CREF)", "", true)},
    {"ntx2", "fixture2.dbf", "reciente.ntx", Spec("RECIENTE", "DTOS(DFECHA)", "DFECHA>=CTOD(\"01-01-2010\")")},
};

BagOptions EsWin() {
  BagOptions o;
  o.codepage = &CodePageEsWin();
  return o;
}

std::vector<std::uint32_t> Walk(Tag& tag, TestTable& table) {
  std::vector<std::uint32_t> out;
  TagPosition pos;
  EXPECT_TRUE(tag.GoTop(pos).ok());
  while (!pos.eof() && out.size() < 100000) {
    out.push_back(pos.recno);
    table.GoTo(pos.recno);
    bool end = false;
    if (!tag.Skip(pos.recno, 1, pos, end).ok()) break;
  }
  return out;
}

// Records in the order an NTX tag must hold them.
std::vector<std::uint32_t> Expected(OrderBag& bag, TestTable& table) {
  const TagInfo& info = bag.TagAt(0)->Info();
  std::vector<std::pair<std::string, std::uint32_t>> keys;
  for (std::uint32_t r = 1; r <= table.RecordCount(); ++r) {
    table.GoTo(r);
    RecordKeys k;
    EXPECT_TRUE(bag.CurrentKeys(k).ok());
    if (!k.keys[0].empty()) keys.emplace_back(k.keys[0], r);
  }
  const CodePage& cp = info.type == KeyType::kCharacter ? CodePageEsWin() : CodePageEn();
  std::stable_sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
    const int c = Collate(cp, a.first, b.first);
    if (c != 0) return info.descending ? c > 0 : c < 0;
    return a.second < b.second;
  });
  if (info.unique)
    keys.erase(std::unique(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
               keys.end());
  std::vector<std::uint32_t> out;
  for (const auto& k : keys) out.push_back(k.second);
  return out;
}

TEST(Ntx, ReferenceFilesOpenAndEveryKeyOfEveryRecordIsFound) {
  for (const NtxReference& ref : kNtxReferences) {
    SCOPED_TRACE(std::string(ref.folder) + "/" + ref.file);
    TestTable table = TestTable::Load(FixturePath(std::string(ref.folder) + "/" + ref.table));
    TestCompiler compiler(table);
    std::unique_ptr<OrderBag> bag;
    auto file = std::make_unique<MemoryBagFile>(ReadFile(FixturePath(std::string(ref.folder) + "/" + ref.file)));
    const BagStatus st = OpenNtx(std::move(file), compiler, EsWin(), bag);
    ASSERT_TRUE(st.ok()) << st.message;
    ASSERT_EQ(bag->TagCount(), 1);
    Tag& tag = *bag->TagAt(0);
    EXPECT_EQ(tag.Info().name, ref.spec.name);
    EXPECT_EQ(tag.Info().key, ref.spec.key);
    EXPECT_EQ(tag.Info().condition, ref.spec.condition);
    EXPECT_EQ(tag.Info().unique, ref.spec.unique);
    EXPECT_EQ(tag.Info().descending, ref.spec.descending);
    const auto expected = Expected(*bag, table);
    EXPECT_EQ(Walk(tag, table), expected);
    std::uint32_t count = 0;
    ASSERT_TRUE(tag.KeyCount(count).ok());
    EXPECT_EQ(count, expected.size());
    for (std::uint32_t r = 1; r <= table.RecordCount(); ++r) {
      table.GoTo(r);
      KeyValue key;
      ASSERT_TRUE(tag.CurrentKeyValue(key).ok());
      if (key.type == KeyType::kCharacter && key.text.empty()) continue;
      TagPosition pos;
      ASSERT_TRUE(tag.Seek(key, SeekMode::kExact, false, pos).ok());
      ASSERT_TRUE(pos.found) << "record " << r;
    }
  }
}

TEST(Ntx, TagsBuiltOverTheReferenceTablesMatchTheReferenceFilesByteForByte) {
  for (const NtxReference& ref : kNtxReferences) {
    SCOPED_TRACE(std::string(ref.folder) + "/" + ref.file);
    TestTable table = TestTable::Load(FixturePath(std::string(ref.folder) + "/" + ref.table));
    TestCompiler compiler(table);
    auto file = std::make_unique<MemoryBagFile>();
    MemoryBagFile* raw = file.get();
    std::unique_ptr<OrderBag> bag;
    ASSERT_TRUE(CreateNtx(std::move(file), compiler, EsWin(), bag).ok());
    const BagStatus st = bag->CreateTag(ref.spec, table);
    ASSERT_TRUE(st.ok()) << st.message;
    const std::string expected = ReadFile(FixturePath(std::string(ref.folder) + "/" + ref.file));
    const std::string& built = raw->Bytes();
    if (const char* dump = std::getenv("VDR_NTX_DUMP")) {
      std::FILE* f = std::fopen((std::string(dump) + "/" + ref.file).c_str(), "wb");
      if (f) { std::fwrite(built.data(), 1, built.size(), f); std::fclose(f); }
    }
    EXPECT_EQ(built.size(), expected.size());
    std::size_t diff = 0;
    while (diff < built.size() && diff < expected.size() && built[diff] == expected[diff]) ++diff;
    EXPECT_EQ(diff, built.size()) << "first difference at offset " << diff;
  }
}

}  // namespace
}  // namespace xb::rdd
