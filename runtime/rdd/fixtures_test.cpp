// The reference tables written by the established runtime: every one opens with its memo
// and reads back, and a table built here from their values is the same file.
#include <gtest/gtest.h>

#include "runtime/rdd/dbf_table.h"
#include "runtime/rdd/memory_file_system.h"
#include "runtime/rdd/test_support.h"

namespace xb::rdd {
namespace {

using testing::ReferenceFile;
using testing::ReadWholeFile;

struct Row {
  bool deleted;
  std::string codigo, nombre;
  std::int32_t fecha;
  double importe;
  bool activo;
  std::string notas;
  bool operator==(const Row&) const = default;
};

std::unique_ptr<DbfTable> OpenReference(const std::string& relative, dbf::MemoKind memo) {
  TableOpenOptions o;
  o.read_only = true;
  o.shared = true;
  o.memo_kind = memo;
  std::unique_ptr<DbfTable> t;
  Status s = DbfTable::Open(RealFileSystem(), ReferenceFile(relative), o, &t);
  EXPECT_TRUE(s.ok()) << relative << ": " << s.message();
  return t;
}

std::vector<Row> ReadRows(DbfTable& t) {
  std::vector<Row> rows;
  std::uint32_t count = 0;
  EXPECT_TRUE(t.RecordCount(&count).ok());
  const auto& f = t.fields();
  for (std::uint32_t r = 1; r <= count; ++r) {
    EXPECT_TRUE(t.GoTo(r).ok());
    Row row;
    const auto rec = t.record();
    row.deleted = t.deleted();
    row.codigo = dbf::DecodeCharacter(rec, f[0]);
    row.nombre = dbf::DecodeCharacter(rec, f[1]);
    row.fecha = dbf::DecodeDate(rec, f[2]);
    row.importe = dbf::DecodeNumber(rec, f[3]);
    row.activo = dbf::DecodeLogical(rec, f[4]);
    Status s = t.GetMemo(5, &row.notas);
    EXPECT_TRUE(s.ok()) << "record " << r << ": " << s.message();
    rows.push_back(std::move(row));
  }
  return rows;
}

TEST(Fixtures, BothDriversHoldTheSameRecordsAndMemos) {
  auto cdx = OpenReference("cdx-1k/fixture.dbf", dbf::MemoKind::kFpt);
  auto ntx = OpenReference("ntx-1k/fixture.dbf", dbf::MemoKind::kDbt);
  ASSERT_TRUE(cdx && ntx);
  const auto a = ReadRows(*cdx), b = ReadRows(*ntx);
  ASSERT_EQ(a.size(), 1000u);
  EXPECT_TRUE(a == b);
  int deleted = 0, memos = 0, long_memos = 0, multi_line = 0;
  for (const Row& r : a) {
    deleted += r.deleted;
    memos += !r.notas.empty();
    long_memos += r.notas.size() > 1000;
    multi_line += r.notas.find("\r\n") != std::string::npos;
  }
  EXPECT_EQ(deleted, 44);
  EXPECT_GT(memos, 500);
  EXPECT_GT(long_memos, 0);
  EXPECT_GT(multi_line, 0);
  EXPECT_EQ(a[0].notas, "Nota 1: Ram\xF3n Ure\xF1" "a");  // Windows-1252 as stored
  EXPECT_EQ(a[0].importe, -103555.69);
  EXPECT_EQ(a[0].fecha, dbf::DayNumber(2016, 11, 17));
}

TEST(Fixtures, LargeAndMemolessTablesRead) {
  auto big = OpenReference("cdx-20k/fixture.dbf", dbf::MemoKind::kFpt);
  ASSERT_TRUE(big);
  const auto rows = ReadRows(*big);
  ASSERT_EQ(rows.size(), 20000u);
  int deleted = 0;
  for (const Row& r : rows) deleted += r.deleted;
  EXPECT_EQ(deleted, 769);

  for (const char* rel : {"cdx2/fixture2.dbf", "ntx2/fixture2.dbf"}) {
    auto t = OpenReference(rel, dbf::MemoKind::kFpt);
    ASSERT_TRUE(t);
    std::uint32_t count = 0;
    ASSERT_TRUE(t->RecordCount(&count).ok());
    EXPECT_EQ(count, 3000u);
    ASSERT_TRUE(t->GoTo(1).ok());
    EXPECT_EQ(dbf::DecodeNumber(t->record(), t->fields()[0]), 6567);
    EXPECT_DOUBLE_EQ(dbf::DecodeNumber(t->record(), t->fields()[2]), -3.6727);
  }
}

// A table built here, field by field, from the reference values is the reference file:
// the same header, descriptors, records, end mark and memo file, byte for byte (but the
// date of the last update and the index flag, which the indexes set).
TEST(Fixtures, TablesBuiltHereAreTheReferenceFiles) {
  const struct {
    const char* folder;
    dbf::MemoKind memo;
    const char* memo_name;
  } cases[] = {{"cdx-1k", dbf::MemoKind::kFpt, "fixture.fpt"}, {"ntx-1k", dbf::MemoKind::kDbt, "fixture.dbt"}};
  for (const auto& c : cases) {
    auto source = OpenReference(std::string(c.folder) + "/fixture.dbf", c.memo);
    ASSERT_TRUE(source);
    const auto rows = ReadRows(*source);
    MemoryFileSystem fs;
    ASSERT_TRUE(DbfTable::Create(fs, "fixture.dbf", testing::FixtureStructure(), c.memo).ok());
    TableOpenOptions o;
    o.memo_kind = c.memo;
    std::unique_ptr<DbfTable> t;
    ASSERT_TRUE(DbfTable::Open(fs, "fixture.dbf", o, &t).ok());
    for (const Row& r : rows) {
      ASSERT_TRUE(t->Append().ok());
      ASSERT_TRUE(t->PutCharacter(0, r.codigo).ok());
      ASSERT_TRUE(t->PutCharacter(1, r.nombre).ok());
      ASSERT_TRUE(t->PutDate(2, r.fecha).ok());
      ASSERT_TRUE(t->PutNumber(3, r.importe).ok());
      ASSERT_TRUE(t->PutLogical(4, r.activo).ok());
      ASSERT_TRUE(t->PutMemo(5, r.notas).ok());
      if (r.deleted) {
        ASSERT_TRUE(t->SetDeleted(true).ok());
      }
    }
    ASSERT_TRUE(t->Close().ok());
    std::string ours = fs.Contents("fixture.dbf");
    std::string reference = ReadWholeFile(ReferenceFile(std::string(c.folder) + "/fixture.dbf"));
    ASSERT_EQ(ours.size(), reference.size());
    for (std::size_t at : {1, 2, 3, 28}) ours[at] = reference[at] = 0;
    EXPECT_TRUE(ours == reference) << c.folder;
    EXPECT_TRUE(fs.Contents(PathWithExtension("fixture.dbf", MemoExtension(c.memo))) ==
                ReadWholeFile(ReferenceFile(std::string(c.folder) + "/" + c.memo_name)))
        << c.memo_name;
  }
}

}  // namespace
}  // namespace xb::rdd
