#include "runtime/rdd/dbf_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>

#include "runtime/rdd/faulty_file_system.h"
#include "runtime/rdd/memory_file_system.h"
#include "runtime/rdd/test_support.h"

namespace xb::rdd {
namespace {

constexpr int kCodigo = 0, kNombre = 1, kFecha = 2, kImporte = 3, kActivo = 4, kNotas = 5;

TableOpenOptions Options(bool shared, dbf::MemoKind memo = dbf::MemoKind::kFpt) {
  TableOpenOptions o;
  o.shared = shared;
  o.memo_kind = memo;
  return o;
}

std::unique_ptr<DbfTable> OpenTable(FileSystem& fs, const std::string& path, const TableOpenOptions& o) {
  std::unique_ptr<DbfTable> t;
  Status s = DbfTable::Open(fs, path, o, &t);
  EXPECT_TRUE(s.ok()) << s.message();
  return t;
}

std::string Codigo(DbfTable& t) { return dbf::DecodeCharacter(t.record(), t.fields()[kCodigo]); }

// Appends records "C1".."Cn" with a memo on every third, deleting every fourth.
void Fill(DbfTable& t, int n) {
  for (int i = 1; i <= n; ++i) {
    ASSERT_TRUE(t.Append().ok());
    ASSERT_TRUE(t.PutCharacter(kCodigo, "C" + std::to_string(i)).ok());
    ASSERT_TRUE(t.PutNumber(kImporte, i * 1.25).ok());
    if (i % 3 == 0) {
      ASSERT_TRUE(t.PutMemo(kNotas, "memo " + std::to_string(i) + std::string(i % 150, '.')).ok());
    }
    if (i % 4 == 0) {
      ASSERT_TRUE(t.SetDeleted(true).ok());
    }
  }
}

// Code -> memo of every record of a table, and how many there are (duplicates show).
struct Contents {
  std::map<std::string, std::string> live;
  int records = 0, deleted = 0;
};

Contents Read(FileSystem& fs, const std::string& path) {
  Contents c;
  auto t = OpenTable(fs, path, Options(false));
  if (!t) return c;
  std::uint32_t n = 0;
  EXPECT_TRUE(t->RecordCount(&n).ok());
  for (std::uint32_t r = 1; r <= n; ++r) {
    EXPECT_TRUE(t->GoTo(r).ok());
    ++c.records;
    if (t->deleted()) {
      ++c.deleted;
      continue;
    }
    std::string memo;
    EXPECT_TRUE(t->GetMemo(kNotas, &memo).ok());
    EXPECT_TRUE(c.live.emplace(Codigo(*t), memo).second) << "duplicate " << Codigo(*t);
  }
  return c;
}

class DbfTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(DbfTable::Create(memory_, "t.dbf", testing::FixtureStructure(), dbf::MemoKind::kFpt).ok());
  }
  MemoryFileSystem memory_;
};

TEST_F(DbfTableTest, PhantomRecordAtTheEnd) {
  auto t = OpenTable(memory_, "t.dbf", Options(false));
  EXPECT_TRUE(t->at_phantom());
  EXPECT_EQ(t->recno(), 1u);
  Fill(*t, 3);
  for (std::uint32_t r : {0u, 4u, 99u}) {
    ASSERT_TRUE(t->GoTo(r).ok());
    EXPECT_TRUE(t->at_phantom());
    EXPECT_EQ(t->recno(), 4u);
    EXPECT_EQ(t->record(), std::string(82, ' '));
    EXPECT_TRUE(t->PutCharacter(kCodigo, "ignored").ok());  // changes nothing
  }
  ASSERT_TRUE(t->GoTo(2).ok());
  EXPECT_EQ(Codigo(*t), "C2        ");
  EXPECT_DOUBLE_EQ(dbf::DecodeNumber(t->record(), t->fields()[kImporte]), 2.5);
  EXPECT_EQ(t->PutNumber(kCodigo, 1).code(), StatusCode::kDataType);
  EXPECT_EQ(t->PutNumber(kImporte, 1e12).code(), StatusCode::kDataWidth);
  ASSERT_TRUE(t->Close().ok());
  EXPECT_EQ(Read(memory_, "t.dbf").records, 3);
}

TEST_F(DbfTableTest, HeaderCountAndDateAreRightAfterClose) {
  for (bool shared : {false, true}) {
    ASSERT_TRUE(DbfTable::Create(memory_, "h.dbf", testing::FixtureStructure(), dbf::MemoKind::kFpt).ok());
    std::string bytes = memory_.Contents("h.dbf");
    bytes[1] = 80;  // an old date, so the close has to write today's
    memory_.SetContents("h.dbf", bytes);
    auto t = OpenTable(memory_, "h.dbf", Options(shared));
    Fill(*t, 37);
    ASSERT_TRUE(t->Close().ok());
    bytes = memory_.Contents("h.dbf");
    dbf::Header h;
    ASSERT_TRUE(dbf::DecodeHeader(bytes, &h).ok());
    EXPECT_EQ(h.record_count, 37u);
    EXPECT_EQ(dbf::DayNumber(h.year, h.month, h.day), Today());
    EXPECT_EQ(bytes.size(), 226u + 37 * 82 + 1);
    EXPECT_EQ(bytes.back(), dbf::kEndOfFile);
  }
}

// Every change reaches the file once: an exclusive table writes each record (appended or
// changed) in one run and its header once; a memo once with its header at close.
TEST_F(DbfTableTest, NothingIsWrittenTwice) {
  FaultyFileSystem counted(memory_);
  auto t = OpenTable(counted, "t.dbf", Options(false));
  for (int i = 0; i < 1000; ++i) {
    ASSERT_TRUE(t->Append().ok());
    ASSERT_TRUE(t->PutCharacter(kCodigo, "X").ok());
    ASSERT_TRUE(t->PutNumber(kImporte, i).ok());
    ASSERT_TRUE(t->PutCharacter(kNombre, "Y").ok());
  }
  ASSERT_TRUE(t->Close().ok());
  EXPECT_EQ(counted.counts("t.dbf").bytes, 32u + 1000 * 82 + 1);
  EXPECT_LE(counted.counts("t.dbf").writes, 3);

  // Changing records near each other, some twice, writes each changed record once.
  counted.ResetCounts();
  t = OpenTable(counted, "t.dbf", Options(false));
  for (std::uint32_t r : {5u, 30u, 5u, 6u, 30u}) {
    ASSERT_TRUE(t->GoTo(r).ok());
    ASSERT_TRUE(t->PutLogical(kActivo, true).ok());
    ASSERT_TRUE(t->PutLogical(kActivo, false).ok());
  }
  ASSERT_TRUE(t->Close().ok());
  EXPECT_EQ(counted.counts("t.dbf").bytes, 32u + 3 * 82);

  // A shared table writes a changed record once when it goes cold.
  counted.ResetCounts();
  t = OpenTable(counted, "t.dbf", Options(true));
  ASSERT_TRUE(t->LockRecord(7).ok());
  ASSERT_TRUE(t->GoTo(7).ok());
  ASSERT_TRUE(t->PutCharacter(kCodigo, "A").ok());
  ASSERT_TRUE(t->PutCharacter(kNombre, "B").ok());
  ASSERT_TRUE(t->GoTo(8).ok());
  ASSERT_TRUE(t->GoTo(7).ok());
  ASSERT_TRUE(t->UnlockAll().ok());
  EXPECT_EQ(counted.counts("t.dbf").bytes, 82u);
  EXPECT_EQ(counted.counts("t.fpt").writes, 0);
  ASSERT_TRUE(t->Close().ok());  // and the header once, for the date
  EXPECT_EQ(counted.counts("t.dbf").bytes, 82u + 32);
}

TEST_F(DbfTableTest, SharedTablesNeedLocksAndSeeEachOther) {
  auto a = OpenTable(memory_, "t.dbf", Options(true));
  auto b = OpenTable(memory_, "t.dbf", Options(true));
  // Append locks the new record for its writer.
  ASSERT_TRUE(a->Append().ok());
  EXPECT_TRUE(a->IsRecordLocked(1));
  EXPECT_EQ(b->LockRecord(1).code(), StatusCode::kLocked);
  ASSERT_TRUE(a->PutCharacter(kCodigo, "primero").ok());
  ASSERT_TRUE(a->PutMemo(kNotas, "nota compartida").ok());
  ASSERT_TRUE(a->UnlockAll().ok());
  // The other process sees the record and its memo at once.
  ASSERT_TRUE(b->GoTo(1).ok());
  EXPECT_EQ(Codigo(*b), "primero   ");
  std::string memo;
  ASSERT_TRUE(b->GetMemo(kNotas, &memo).ok());
  EXPECT_EQ(memo, "nota compartida");
  // No write without the record's lock.
  EXPECT_EQ(b->PutCharacter(kCodigo, "x").code(), StatusCode::kUnlocked);
  ASSERT_TRUE(b->LockRecord(1).ok());
  EXPECT_EQ(a->LockRecord(1).code(), StatusCode::kLocked);
  EXPECT_EQ(a->LockFile().code(), StatusCode::kLocked);  // the file lock covers the records
  ASSERT_TRUE(b->PutCharacter(kCodigo, "segundo").ok());
  // Appending releases the other locks unless asked to keep them.
  ASSERT_TRUE(b->Append(/*keep_locks=*/true).ok());
  EXPECT_EQ(b->LockedRecords(), (std::vector<std::uint32_t>{1, 2}));
  ASSERT_TRUE(b->Append().ok());
  EXPECT_EQ(b->LockedRecords(), (std::vector<std::uint32_t>{3}));
  std::uint32_t count = 0;
  ASSERT_TRUE(a->RecordCount(&count).ok());
  EXPECT_EQ(count, 3u);
  ASSERT_TRUE(a->GoTo(1).ok());
  EXPECT_EQ(Codigo(*a), "segundo   ");
  // A file lock keeps the others from locking records, and from appending.
  ASSERT_TRUE(b->UnlockAll().ok());
  ASSERT_TRUE(a->LockFile().ok());
  EXPECT_EQ(b->LockRecord(2).code(), StatusCode::kLocked);
  EXPECT_EQ(b->Append().code(), StatusCode::kLocked);
  ASSERT_TRUE(a->GoTo(2).ok());
  EXPECT_TRUE(a->PutCharacter(kCodigo, "con flock").ok());
  ASSERT_TRUE(a->UnlockAll().ok());
  EXPECT_TRUE(b->LockRecord(2).ok());
  // Exclusive use is refused while shared users are in.
  std::unique_ptr<DbfTable> c;
  EXPECT_EQ(DbfTable::Open(memory_, "t.dbf", Options(false), &c).os_code(), os_error::kSharingViolation);
  EXPECT_EQ(a->Pack().code(), StatusCode::kShared);
  EXPECT_EQ(a->Zap().code(), StatusCode::kShared);
}

// A record read before it was locked is read again under the lock, so a change made by
// another process in between is not written over.
TEST_F(DbfTableTest, LockingReadsTheRecordAgain) {
  {
    auto t = OpenTable(memory_, "t.dbf", Options(false));
    Fill(*t, 3);
  }
  for (bool file_lock : {false, true}) {
    auto a = OpenTable(memory_, "t.dbf", Options(true));
    auto b = OpenTable(memory_, "t.dbf", Options(true));
    ASSERT_TRUE(a->GoTo(2).ok());
    ASSERT_TRUE(b->LockRecord(2).ok());
    ASSERT_TRUE(b->GoTo(2).ok());
    ASSERT_TRUE(b->PutCharacter(kNombre, file_lock ? "de B con flock" : "de B").ok());
    ASSERT_TRUE(b->UnlockAll().ok());
    ASSERT_TRUE(file_lock ? a->LockFile().ok() : a->LockRecord(2).ok());
    ASSERT_TRUE(a->PutCharacter(kCodigo, "de A").ok());
    ASSERT_TRUE(a->UnlockAll().ok());
    ASSERT_TRUE(b->GoTo(2).ok());
    EXPECT_EQ(Codigo(*b), "de A      ");
    EXPECT_EQ(dbf::DecodeCharacter(b->record(), b->fields()[kNombre]).substr(0, 14),
              file_lock ? "de B con flock" : "de B          ");
  }
}

TEST_F(DbfTableTest, PackKeepsLiveRecordsAndTheirMemos) {
  auto t = OpenTable(memory_, "t.dbf", Options(false));
  Fill(*t, 500);
  ASSERT_TRUE(t->Close().ok());
  const Contents before = Read(memory_, "t.dbf");
  const std::string memo_before = memory_.Contents("t.fpt");
  t = OpenTable(memory_, "t.dbf", Options(false));
  ASSERT_TRUE(t->Pack().ok());
  EXPECT_FALSE(memory_.Exists("t.pk$"));
  std::uint32_t n = 0;
  ASSERT_TRUE(t->RecordCount(&n).ok());
  EXPECT_EQ(n, 375u);
  ASSERT_TRUE(t->GoTo(1).ok());  // still usable after the file was replaced
  EXPECT_EQ(Codigo(*t), "C1        ");
  ASSERT_TRUE(t->Close().ok());
  const Contents after = Read(memory_, "t.dbf");
  EXPECT_EQ(after.live, before.live);
  EXPECT_EQ(after.records, 375);
  EXPECT_EQ(memory_.Contents("t.fpt"), memo_before);

  t = OpenTable(memory_, "t.dbf", Options(false));
  ASSERT_TRUE(t->Zap().ok());
  ASSERT_TRUE(t->Close().ok());
  EXPECT_EQ(Read(memory_, "t.dbf").records, 0);
  EXPECT_EQ(memory_.Contents("t.dbf").size(), 227u);
  EXPECT_EQ(memory_.Contents("t.fpt").size(), 1024u);
}

// A pack with nothing to do changes no file; a table that only looks so (a record deleted, no
// end-of-file mark, a record count above the records held) is written anew.
TEST_F(DbfTableTest, PackRewritesATableOnlyWhenItHasSomethingToDo) {
  auto t = OpenTable(memory_, "t.dbf", Options(false));
  for (int i = 1; i <= 3000; ++i) {
    ASSERT_TRUE(t->Append().ok());
    ASSERT_TRUE(t->PutCharacter(kCodigo, "C" + std::to_string(i)).ok());
  }
  ASSERT_TRUE(t->Close().ok());
  const std::string clean = memory_.Contents("t.dbf");
  const std::size_t header_length = 227 - 1, record_length = (clean.size() - header_length - 1) / 3000;
  struct Case {
    const char* name;
    std::function<void(std::string&)> spoil;
    bool rewritten;
    std::uint32_t records;
  };
  const Case cases[] = {
      {"nothing to do", [](std::string&) {}, false, 3000},
      {"last record deleted", [&](std::string& b) { b[header_length + 2999 * record_length] = '*'; }, true, 2999},
      {"first record deleted", [&](std::string& b) { b[header_length] = '*'; }, true, 2999},
      {"no end-of-file mark", [](std::string& b) { b.pop_back(); }, true, 3000},
      {"count above the records", [](std::string& b) { b[4] = char(0xB9); }, true, 3000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = clean;
    c.spoil(bytes);
    memory_.SetContents("t.dbf", bytes);
    FaultyFileSystem faulty(memory_);
    t = OpenTable(faulty, "t.dbf", Options(false));
    ASSERT_TRUE(t->Pack().ok());
    EXPECT_EQ(faulty.changes() > 0, c.rewritten);
    ASSERT_TRUE(t->GoTo(1).ok());
    EXPECT_EQ(Codigo(*t), c.name == std::string("first record deleted") ? "C2        " : "C1        ");
    ASSERT_TRUE(t->Close().ok());
    t.reset();
    const std::string after = memory_.Contents("t.dbf");
    if (!c.rewritten) {
      EXPECT_EQ(after, clean);
    }
    EXPECT_EQ(Read(memory_, "t.dbf").records, int(c.records));
    EXPECT_EQ(after.back(), char(dbf::kEndOfFile));
  }
}

// A pack that fails at its n-th write, truncation, sync or rename (a full disk), for every
// n until it completes, leaves every live record in place, exactly once.
TEST_F(DbfTableTest, PackFailingAtAnyStepLosesNothing) {
  auto t = OpenTable(memory_, "t.dbf", Options(false));
  Fill(*t, 300);
  ASSERT_TRUE(t->Close().ok());
  const Contents before = Read(memory_, "t.dbf");
  const std::string original = memory_.Contents("t.dbf");
  for (long n = 1;; ++n) {
    memory_.SetContents("t.dbf", original);
    FaultyFileSystem faulty(memory_);
    t = OpenTable(faulty, "t.dbf", Options(false));
    faulty.FailAt(n);
    const Status s = t->Pack();
    (void)t->Close();
    t.reset();
    faulty.Heal();
    const Contents after = Read(memory_, "t.dbf");
    EXPECT_EQ(after.live, before.live) << "failing change " << n;
    EXPECT_TRUE(after.records == before.records || after.records == 225) << after.records;
    if (!faulty.failed()) {
      EXPECT_TRUE(s.ok()) << s.message();
      EXPECT_EQ(after.records, 225);
      break;
    }
    EXPECT_FALSE(s.ok()) << "failing change " << n;
    ASSERT_LT(n, 100);
  }
}

// A power cut at any step of a pack (whatever was not synced is lost) leaves the old table
// or the packed one.
TEST_F(DbfTableTest, PackSurvivesACrashAtAnyStep) {
  auto t = OpenTable(memory_, "t.dbf", Options(false));
  Fill(*t, 300);
  ASSERT_TRUE(t->Commit().ok());
  ASSERT_TRUE(t->Close().ok());
  const Contents before = Read(memory_, "t.dbf");
  const std::string original = memory_.Contents("t.dbf");
  for (long n = 1; n < 50; ++n) {
    memory_.SetContents("t.dbf", original);
    FaultyFileSystem faulty(memory_);
    t = OpenTable(faulty, "t.dbf", Options(false));
    faulty.before_change = [&](long change) {
      if (change == n) memory_.SimulateCrash();
    };
    const Status s = t->Pack();
    t.reset();
    const Contents after = Read(memory_, "t.dbf");
    EXPECT_EQ(after.live, before.live) << "crash at change " << n;
    if (s.ok()) break;
  }
}

// A pack synced aside keeps the old table in its place until it settles; a failing change or
// a power cut at any step, while the packed file is read or as it settles, leaves the old
// table or the packed one.
TEST_F(DbfTableTest, PackSyncedAsideSurvivesAFailureOrACrashAtAnyStep) {
  auto t = OpenTable(memory_, "t.dbf", Options(false));
  Fill(*t, 300);
  ASSERT_TRUE(t->Commit().ok());
  ASSERT_TRUE(t->Close().ok());
  const Contents before = Read(memory_, "t.dbf");
  const std::string original = memory_.Contents("t.dbf");
  for (const bool crash : {false, true}) {
    for (long n = 1;; ++n) {
      SCOPED_TRACE((crash ? "crash at change " : "failing change ") + std::to_string(n));
      memory_.SetContents("t.dbf", original);
      FaultyFileSystem faulty(memory_);
      t = OpenTable(faulty, "t.dbf", Options(false));
      if (crash) {
        faulty.before_change = [&](long change) {
          if (change == n) memory_.SimulateCrash();
        };
      } else {
        faulty.FailAt(n);
      }
      const Status packed = t->PackSyncingAside();
      if (packed.ok()) {
        EXPECT_EQ(memory_.Contents("t.dbf"), original);  // still in its place
        std::uint32_t count = 0;
        ASSERT_TRUE(t->RecordCount(&count).ok());
        EXPECT_EQ(count, 225u);  // read from the packed file
        if (t->GoTo(225).ok()) {
          EXPECT_EQ(Codigo(*t), "C299      ");
        }
      }
      const Status settled = t->Settle();
      t.reset();
      faulty.Heal();
      const Contents after = Read(memory_, "t.dbf");
      EXPECT_EQ(after.live, before.live);
      EXPECT_TRUE(after.records == before.records || after.records == 225) << after.records;
      if (packed.ok() && settled.ok() && !faulty.failed() && after.records == 225) break;
      ASSERT_LT(n, 100);
    }
  }
}

TEST_F(DbfTableTest, DamagedFilesOpenWithAClearErrorOrReadWhatIsSound) {
  auto t = OpenTable(memory_, "t.dbf", Options(false));
  Fill(*t, 10);
  ASSERT_TRUE(t->Close().ok());
  const std::string good = memory_.Contents("t.dbf");

  // A record count larger than the file: the records the file holds.
  std::string bytes = good;
  bytes[4] = static_cast<char>(200);
  memory_.SetContents("t.dbf", bytes);
  t = OpenTable(memory_, "t.dbf", Options(false));
  EXPECT_EQ(t->known_count(), 10u);
  t.reset();
  // Cut in the middle of record 8.
  memory_.SetContents("t.dbf", good.substr(0, 226 + 7 * 82 + 40));
  t = OpenTable(memory_, "t.dbf", Options(false));
  EXPECT_EQ(t->known_count(), 7u);
  ASSERT_TRUE(t->GoTo(8).ok());
  EXPECT_TRUE(t->at_phantom());
  t.reset();
  // A header longer than the file.
  bytes = good.substr(0, 200);
  memory_.SetContents("t.dbf", bytes);
  std::unique_ptr<DbfTable> bad;
  EXPECT_EQ(DbfTable::Open(memory_, "t.dbf", Options(false), &bad).code(), StatusCode::kCorrupt);
  // A memo pointer past the end of the memo file: that memo fails, the rest reads.
  bytes = good;
  std::memcpy(bytes.data() + 226 + 2 * 82 + 72, "    999999", 10);
  memory_.SetContents("t.dbf", bytes);
  t = OpenTable(memory_, "t.dbf", Options(false));
  ASSERT_TRUE(t->GoTo(3).ok());
  std::string memo;
  EXPECT_EQ(t->GetMemo(kNotas, &memo).code(), StatusCode::kCorrupt);
  ASSERT_TRUE(t->GoTo(6).ok());
  EXPECT_TRUE(t->GetMemo(kNotas, &memo).ok());
  EXPECT_EQ(memo.substr(0, 6), "memo 6");
  t.reset();
  // A record that can no longer be read (the file was cut under a shared table): an error,
  // and the table stands on the phantom record.
  memory_.SetContents("t.dbf", good);
  t = OpenTable(memory_, "t.dbf", Options(true));
  memory_.SetContents("t.dbf", good.substr(0, 226 + 2 * 82));
  EXPECT_EQ(t->GoTo(9).code(), StatusCode::kCorrupt);
  EXPECT_TRUE(t->at_phantom());
  EXPECT_EQ(t->record(), std::string(82, ' '));
  t.reset();
  // No memo file.
  memory_.SetContents("t.dbf", good);
  ASSERT_TRUE(memory_.Remove("t.fpt").ok());
  EXPECT_EQ(DbfTable::Open(memory_, "t.dbf", Options(false), &bad).os_code(), os_error::kFileNotFound);
}

// A pack of a damaged table mends it and says what it mended: the records the header counts
// but the file lacks, and the pointers to memos the memo file no longer holds whole (it was
// cut), which are cleared so that every memo of the packed table reads.
TEST_F(DbfTableTest, PackReportsAndMendsWhatWasLost) {
  auto t = OpenTable(memory_, "t.dbf", Options(false));
  Fill(*t, 300);  // memos on every third record, every fourth deleted
  ASSERT_TRUE(t->Close().ok());
  const std::string good = memory_.Contents("t.dbf"), memo = memory_.Contents("t.fpt");

  struct Case {
    const char* what;
    std::string dbf, fpt;
    std::uint32_t missing;
    bool memos_lost;
  };
  std::string count_beyond = good;
  count_beyond[4] = static_cast<char>(0x90);
  count_beyond[5] = static_cast<char>(0x01);  // 400 records stated
  const Case cases[] = {
      {"sound", good, memo, 0, false},
      {"header counts 400", count_beyond, memo, 100, false},
      {"table cut at record 120", good.substr(0, 226 + 120 * 82), memo, 180, false},
      {"memo file cut in half", good, memo.substr(0, memo.size() / 2), 0, true},
      {"memo file cut inside a memo", good, memo.substr(0, memo.size() / 2 + 5), 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    memory_.SetContents("t.dbf", c.dbf);
    memory_.SetContents("t.fpt", c.fpt);
    t = OpenTable(memory_, "t.dbf", Options(false));
    EXPECT_EQ(t->missing_records(), c.missing);
    PackDamage damage;
    ASSERT_TRUE(t->Pack(&damage).ok());
    EXPECT_EQ(damage.missing_records, c.missing);
    EXPECT_EQ(damage.memo_pointers_cleared > 0, c.memos_lost);
    EXPECT_EQ(t->missing_records(), 0u);
    ASSERT_TRUE(t->Close().ok());

    // Every memo left reads, and the memos cleared are exactly those that did not.
    t = OpenTable(memory_, "t.dbf", Options(false));
    std::uint32_t n = 0, with_memo = 0;
    ASSERT_TRUE(t->RecordCount(&n).ok());
    for (std::uint32_t r = 1; r <= n; ++r) {
      ASSERT_TRUE(t->GoTo(r).ok());
      std::string text;
      ASSERT_TRUE(t->GetMemo(kNotas, &text).ok()) << r;
      with_memo += !text.empty();
    }
    const std::uint32_t live_memos = c.missing == 180 ? 30 : 75;  // of records 1-120, or all 300
    EXPECT_EQ(with_memo + damage.memo_pointers_cleared, live_memos);
    t.reset();
  }
}

// A pack reads its records in blocks of about a megabyte. Wherever the first record to drop
// lies (first block, either side of a block's edge, a later block) or when only the end-of-file
// mark is wrong, the packed file holds the live records once, in order, each shown once as it
// is, and the records are read twice at most (the check, then the copy).
TEST_F(DbfTableTest, PackOfALargeTableKeepsEachRecordOnce) {
  const std::string empty = memory_.Contents("t.dbf");
  const std::size_t header = empty.size() - 1, length = 82;
  const std::size_t block = (std::size_t(1) << 20) / length;  // records a pack reads at a time
  const std::size_t records = 3 * block - 500;
  std::string table = empty.substr(0, header) + std::string(records * length, ' ') + char(dbf::kEndOfFile);
  for (std::size_t r = 1; r <= records; ++r) {
    char code[16];
    const int n = std::snprintf(code, sizeof code, "%zu", r);
    std::memcpy(table.data() + header + (r - 1) * length + 1, code, std::size_t(n));
  }
  for (int b = 0; b < 4; ++b) table[4 + b] = char(records >> (8 * b));
  const std::uint64_t table_bytes = records * length;
  struct Case {
    const char* name;
    std::vector<std::size_t> deleted;
    bool no_end_mark;
  };
  const Case cases[] = {
      {"in the first block", {5, block + 3, records}, false},
      {"at the edge of the first block", {block, block + 1, records}, false},
      {"in the last block", {2 * block + 1, records}, false},
      {"no end-of-file mark", {}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = table;
    for (std::size_t r : c.deleted) bytes[header + (r - 1) * length] = '*';
    if (c.no_end_mark) bytes.pop_back();
    std::string live;
    live.reserve(records * length);
    for (std::size_t r = 1; r <= records; ++r)
      if (bytes[header + (r - 1) * length] != '*') live.append(bytes, header + (r - 1) * length, length);
    memory_.SetContents("t.dbf", std::move(bytes));
    FaultyFileSystem counted(memory_);
    auto t = OpenTable(counted, "t.dbf", Options(false));
    ASSERT_TRUE(t);
    std::uint32_t shown = 0, wrong = 0;
    const RecordShown show = [&](std::uint32_t recno) {
      ++shown;
      if (recno != shown || t->recno() != recno || t->record() != std::string_view(live).substr((recno - 1) * length, length))
        ++wrong;
    };
    ASSERT_TRUE(t->PackSyncingAside(nullptr, show).ok());
    ASSERT_TRUE(t->Close().ok());
    EXPECT_LE(counted.counts("t.dbf").read_bytes, 2 * table_bytes + 4 * (header + 4096));
    EXPECT_EQ(shown, live.size() / length);
    EXPECT_EQ(wrong, 0u);
    const std::string packed = memory_.Contents("t.dbf");
    ASSERT_EQ(packed.size(), header + live.size() + 1);
    EXPECT_TRUE(packed.compare(header, live.size(), live) == 0) << "the packed records are not the live ones";
    EXPECT_EQ(packed.back(), char(dbf::kEndOfFile));
    std::uint32_t count = 0;
    for (int b = 0; b < 4; ++b) count |= std::uint32_t(std::uint8_t(packed[4 + b])) << (8 * b);
    EXPECT_EQ(count, live.size() / length);
  }
}

// A large pack is read and written a block at a time: a write failing at any block (a full
// disk) fails the pack, leaves the old table whole and no temporary file.
TEST_F(DbfTableTest, PackOfALargeTableFailingAtAnyBlockLosesNothing) {
  const std::string empty = memory_.Contents("t.dbf");
  const std::size_t header = empty.size() - 1, length = 82;
  const std::size_t records = 3 * ((std::size_t(1) << 20) / length) + 77;
  std::string table = empty.substr(0, header) + std::string(records * length, ' ') + char(dbf::kEndOfFile);
  for (std::size_t r = 1; r <= records; ++r) {
    char code[16];
    const int n = std::snprintf(code, sizeof code, "%zu", r);
    std::memcpy(table.data() + header + (r - 1) * length + 1, code, std::size_t(n));
    if (r % 7 == 0) table[header + (r - 1) * length] = '*';
  }
  for (int b = 0; b < 4; ++b) table[4 + b] = char(records >> (8 * b));
  for (long n = 1;; ++n) {
    SCOPED_TRACE("failing change " + std::to_string(n));
    memory_.SetContents("t.dbf", table);
    FaultyFileSystem faulty(memory_);
    auto t = OpenTable(faulty, "t.dbf", Options(false));
    ASSERT_TRUE(t);
    faulty.FailAt(n, os_error::kDiskFull, /*sticky=*/false);
    Status s = t->PackSyncingAside();
    if (s.ok()) s = t->Settle();
    (void)t->Close();
    t.reset();
    EXPECT_FALSE(memory_.Exists("t.pk$"));
    if (!faulty.failed()) {
      ASSERT_TRUE(s.ok()) << s.message();
      EXPECT_EQ(Read(memory_, "t.dbf").records, int(records - records / 7));
      break;
    }
    EXPECT_FALSE(s.ok());
    EXPECT_EQ(memory_.Contents("t.dbf"), table);
    ASSERT_LT(n, 40);
  }
}

// A memo file cut short of what its header says has each memo's length read to know whether
// it is whole: the memo file is read once for that, by the check or by the copy, wherever the
// first lost memo lies, and with the records shown or not.
TEST_F(DbfTableTest, PackOfACutMemoFileReadsItOnce) {
  auto t = OpenTable(memory_, "t.dbf", Options(false));
  const int records = 600;
  auto text_of = [](int r) { return "memo " + std::to_string(r) + std::string(200, '.'); };  // 4 blocks each
  for (int i = 1; i <= records; ++i) {
    ASSERT_TRUE(t->Append().ok());
    ASSERT_TRUE(t->PutCharacter(kCodigo, "C" + std::to_string(i)).ok());
    ASSERT_TRUE(t->PutMemo(kNotas, text_of(i)).ok());
  }
  ASSERT_TRUE(t->Close().ok());
  t.reset();
  const std::string dbf = memory_.Contents("t.dbf"), fpt = memory_.Contents("t.fpt");
  const struct {
    const char* name;
    std::size_t memo_bytes;  // of the memo file kept
    bool showing;
  } cases[] = {
      {"first memo lost near the end", fpt.size() - 100, false},
      {"first memo lost near the end, shown", fpt.size() - 100, true},
      {"first memo lost halfway", fpt.size() / 2, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    memory_.SetContents("t.dbf", dbf);
    memory_.SetContents("t.fpt", fpt.substr(0, c.memo_bytes));
    FaultyFileSystem counted(memory_);
    t = OpenTable(counted, "t.dbf", Options(false));
    ASSERT_TRUE(t);
    counted.ResetCounts();
    PackDamage damage;
    ASSERT_TRUE((c.showing ? t->PackSyncingAside(&damage, [](std::uint32_t) {}) : t->Pack(&damage)).ok());
    // Besides the memos: its header, and one read-ahead piece of 64 KB read again.
    EXPECT_LE(counted.counts("t.fpt").read_bytes, c.memo_bytes + 512 + 64 * 1024);
    EXPECT_GT(damage.memo_pointers_cleared, 0u);
    ASSERT_TRUE(t->Close().ok());
    t.reset();
    // The memos kept all read; the others were cleared.
    t = OpenTable(memory_, "t.dbf", Options(false));
    std::uint32_t with_memo = 0;
    for (int r = 1; r <= records; ++r) {
      ASSERT_TRUE(t->GoTo(std::uint32_t(r)).ok());
      std::string text;
      ASSERT_TRUE(t->GetMemo(kNotas, &text).ok()) << r;
      if (text.empty()) continue;
      ++with_memo;
      EXPECT_EQ(text, text_of(r));
    }
    EXPECT_EQ(with_memo + damage.memo_pointers_cleared, std::uint32_t(records));
    t.reset();
  }
}

TEST_F(DbfTableTest, StructuralIndexFlag) {
  auto t = OpenTable(memory_, "t.dbf", Options(false));
  ASSERT_TRUE(t->SetStructuralIndex(true).ok());
  ASSERT_TRUE(t->Close().ok());
  std::string with = memory_.Contents("t.dbf");
  EXPECT_EQ(with[28], 1);
  ASSERT_TRUE(ClearStructuralIndexFlag(memory_, "t.dbf").ok());
  std::string without = memory_.Contents("t.dbf");
  EXPECT_EQ(without[28], 0);
  without[28] = 1;
  EXPECT_EQ(without, with);  // nothing else changed
  EXPECT_EQ(ClearStructuralIndexFlag(memory_, "none.dbf").os_code(), os_error::kFileNotFound);
  EXPECT_FALSE(memory_.Exists("none.dbf"));
  // Only bit 0 is cleared: the other flag bits of byte 28 are kept.
  std::string flagged = with;
  flagged[28] = static_cast<char>(0x07);
  memory_.SetContents("t.dbf", flagged);
  ASSERT_TRUE(ClearStructuralIndexFlag(memory_, "t.dbf").ok());
  std::string kept = flagged;
  kept[28] = static_cast<char>(0x06);
  EXPECT_EQ(memory_.Contents("t.dbf"), kept);
  // A file shorter than a table header is refused and left as it was.
  memory_.SetContents("short.dbf", std::string(31, '\x01'));
  EXPECT_FALSE(ClearStructuralIndexFlag(memory_, "short.dbf").ok());
  EXPECT_EQ(memory_.Contents("short.dbf"), std::string(31, '\x01'));
  memory_.SetContents("t.dbf", with);
  t = OpenTable(memory_, "t.dbf", Options(false));
  EXPECT_EQ(ClearStructuralIndexFlag(memory_, "t.dbf").os_code(), os_error::kSharingViolation);
}

TEST_F(DbfTableTest, ReadOnlyTablesRefuseChanges) {
  TableOpenOptions o = Options(true);
  o.read_only = true;
  auto t = OpenTable(memory_, "t.dbf", o);
  EXPECT_EQ(t->Append().code(), StatusCode::kReadOnly);
  EXPECT_EQ(t->SetDeleted(true).code(), StatusCode::kReadOnly);
  EXPECT_TRUE(t->Close().ok());
}

}  // namespace
}  // namespace xb::rdd
