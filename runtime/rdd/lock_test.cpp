#include "runtime/rdd/lock.h"

#include <gtest/gtest.h>

#include "runtime/rdd/dbf_table.h"
#include "runtime/rdd/memory_file_system.h"
#include "runtime/rdd/test_support.h"

namespace xb::rdd {
namespace {

TEST(LockLayout, OffsetsOfTheClassicSchemes) {
  const TableLockLayout clipper{LockScheme::kClipper, false, 226, 82};
  const TableLockLayout fox{LockScheme::kFoxPro, false, 226, 82};
  const TableLockLayout fox_indexed{LockScheme::kFoxPro, true, 226, 82};
  const struct {
    const char* what;
    LockRange got, want;
  } cases[] = {
      {"clipper record 1", clipper.Record(1), {1000000001ULL, 1}},
      {"clipper record 1000", clipper.Record(1000), {1000001000ULL, 1}},
      {"clipper file", clipper.File(), {1000000001ULL, 1000000000ULL}},
      {"clipper header", clipper.Header(), {1000000000ULL, 1}},
      {"foxpro record 1", fox.Record(1), {0x40000000ULL + 226, 1}},
      {"foxpro record 3", fox.Record(3), {0x40000000ULL + 226 + 2 * 82, 1}},
      {"foxpro file", fox.File(), {0x40000001ULL, 0x3FFFFFFDULL}},
      {"foxpro header", fox.Header(), {0x40000000ULL, 1}},
      {"foxpro indexed record 1", fox_indexed.Record(1), {0x7FFFFFFDULL, 1}},
      {"foxpro indexed record 1000", fox_indexed.Record(1000), {0x7FFFFFFEULL - 1000, 1}},
      {"foxpro indexed file", fox_indexed.File(), {0x77FFFFFFULL, 0x07FFFFFFULL}},
      {"foxpro indexed header", fox_indexed.Header(), {0x7FFFFFFEULL, 1}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.got.offset, c.want.offset) << c.what;
    EXPECT_EQ(c.got.length, c.want.length) << c.what;
  }
  // Every record lock lies inside the file lock, and the header lock outside it.
  for (const auto* l : {&clipper, &fox, &fox_indexed}) {
    for (std::uint32_t r : {1u, 2u, 5000u, 100000u}) {
      EXPECT_GE(l->Record(r).offset, l->File().offset);
      EXPECT_LT(l->Record(r).offset, l->File().offset + l->File().length);
    }
    EXPECT_TRUE(l->Header().offset < l->File().offset ||
                l->Header().offset >= l->File().offset + l->File().length);
  }
}

// The table takes exactly those bytes: another program probing them finds them locked.
TEST(LockLayout, TablesLockTheDocumentedBytes) {
  for (LockScheme scheme : {LockScheme::kClipper, LockScheme::kFoxPro}) {
    for (bool indexed : {false, true}) {
      MemoryFileSystem fs;
      ASSERT_TRUE(DbfTable::Create(fs, "t.dbf", testing::FixtureStructure(), dbf::MemoKind::kFpt).ok());
      if (indexed) {
        std::unique_ptr<DbfTable> t;
        ASSERT_TRUE(DbfTable::Open(fs, "t.dbf", TableOpenOptions(), &t).ok());
        ASSERT_TRUE(t->SetStructuralIndex(true).ok());
      }
      TableOpenOptions o;
      o.shared = true;
      o.lock_scheme = scheme;
      std::unique_ptr<DbfTable> t;
      ASSERT_TRUE(DbfTable::Open(fs, "t.dbf", o, &t).ok());
      const TableLockLayout layout{scheme, indexed, 226, 82};
      OpenOptions probe_options;
      probe_options.share = Share::kShared;
      std::unique_ptr<File> probe;
      ASSERT_TRUE(fs.Open("t.dbf", probe_options, &probe).ok());

      ASSERT_TRUE(t->LockRecord(42).ok());
      EXPECT_EQ(probe->Lock(layout.Record(42).offset, 1).code(), StatusCode::kLocked);
      EXPECT_TRUE(probe->Lock(layout.Record(41).offset, 1).ok());
      ASSERT_TRUE(probe->Unlock(layout.Record(41).offset, 1).ok());
      ASSERT_TRUE(t->UnlockAll().ok());
      ASSERT_TRUE(t->LockFile().ok());
      EXPECT_EQ(probe->Lock(layout.File().offset, 1).code(), StatusCode::kLocked);
      EXPECT_EQ(probe->Lock(layout.File().offset + layout.File().length - 1, 1).code(), StatusCode::kLocked);
      EXPECT_TRUE(probe->Lock(layout.Header().offset, 1).ok());
      ASSERT_TRUE(t->UnlockAll().ok());
    }
  }
}

}  // namespace
}  // namespace xb::rdd
