// Several processes on one table: the helper program holds opens and locks, appends, and
// packs, while this process checks what it sees. Run natively and under Wine.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>

#include "runtime/rdd/dbf_table.h"
#include "runtime/rdd/test_process.h"
#include "runtime/rdd/test_support.h"

namespace xb::rdd {
namespace {

using testing::ChildProcess;

struct Scheme {
  const char* name;
  LockScheme locks;
  dbf::MemoKind memo;
};
const Scheme kSchemes[] = {{"clipper", LockScheme::kClipper, dbf::MemoKind::kDbt},
                           {"foxpro", LockScheme::kFoxPro, dbf::MemoKind::kFpt}};

TableOpenOptions Options(const Scheme& scheme, bool shared) {
  TableOpenOptions o;
  o.shared = shared;
  o.lock_scheme = scheme.locks;
  o.memo_kind = scheme.memo;
  return o;
}

// Code -> memo of the live records; the number of records; duplicates fail the test.
struct Live {
  std::map<std::string, std::string> memos;
  std::uint32_t records = 0;
};

Live ReadLive(const std::string& path, const Scheme& scheme) {
  Live live;
  std::unique_ptr<DbfTable> t;
  Status s = DbfTable::Open(RealFileSystem(), path, Options(scheme, false), &t);
  EXPECT_TRUE(s.ok()) << s.message();
  if (!s.ok()) return live;
  EXPECT_TRUE(t->RecordCount(&live.records).ok());
  for (std::uint32_t r = 1; r <= live.records; ++r) {
    EXPECT_TRUE(t->GoTo(r).ok());
    if (t->deleted()) continue;
    std::string code = dbf::DecodeCharacter(t->record(), t->fields()[0]);
    while (!code.empty() && code.back() == ' ') code.pop_back();
    std::string memo;
    EXPECT_TRUE(t->GetMemo(5, &memo).ok());
    EXPECT_TRUE(live.memos.emplace(code, memo).second) << "duplicate " << code;
  }
  return live;
}

class CrossProcess : public ::testing::TestWithParam<Scheme> {
 protected:
  void SetUp() override {
    path_ = folder_ / "tabla.dbf";
    ASSERT_TRUE(DbfTable::Create(RealFileSystem(), path_, testing::FixtureStructure(), GetParam().memo).ok());
    auto t = Open(false);
    for (int i = 1; i <= 10; ++i) {
      ASSERT_TRUE(t->Append().ok());
      ASSERT_TRUE(t->PutCharacter(0, "R" + std::to_string(i)).ok());
    }
    ASSERT_TRUE(t->Close().ok());
  }

  std::unique_ptr<DbfTable> Open(bool shared) {
    std::unique_ptr<DbfTable> t;
    Status s = DbfTable::Open(RealFileSystem(), path_, Options(GetParam(), shared), &t);
    EXPECT_TRUE(s.ok()) << s.message();
    return t;
  }
  Status TryOpen(bool shared) {
    std::unique_ptr<DbfTable> t;
    return DbfTable::Open(RealFileSystem(), path_, Options(GetParam(), shared), &t);
  }

  // Starts the helper with `command TABLE SCHEME args... READY RELEASE` and waits until it
  // holds what it was asked to.
  std::unique_ptr<ChildProcess> Hold(const std::string& command, std::vector<std::string> args) {
    const std::string tag = std::to_string(++holds_);
    ready_ = folder_ / ("ready" + tag);
    release_ = folder_ / ("release" + tag);
    std::vector<std::string> argv{command, path_, GetParam().name};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.push_back(ready_);
    argv.push_back(release_);
    auto child = std::make_unique<ChildProcess>(argv);
    EXPECT_TRUE(child->started());
    EXPECT_TRUE(testing::WaitForFile(ready_)) << command << " did not get ready";
    return child;
  }
  int Release(ChildProcess& child) {
    testing::TouchFile(release_);
    return child.Wait();
  }
  int Run(std::vector<std::string> args) {
    args.insert(args.begin() + 1, {path_, GetParam().name});
    ChildProcess child(args);
    return child.Wait();
  }

  testing::TempFolder folder_;
  std::string path_, ready_, release_;
  int holds_ = 0;
};

TEST_P(CrossProcess, SharedAndExclusiveOpensAreRespected) {
  auto child = Hold("open", {"exclusive"});
  EXPECT_EQ(TryOpen(true).os_code(), os_error::kSharingViolation);
  EXPECT_EQ(TryOpen(false).os_code(), os_error::kSharingViolation);
  EXPECT_EQ(Release(*child), 0);
  EXPECT_TRUE(TryOpen(false).ok());

  child = Hold("open", {"shared"});
  EXPECT_EQ(TryOpen(false).os_code(), os_error::kSharingViolation);
  auto mine = Open(true);
  // A third process cannot have it exclusively either.
  EXPECT_EQ(Run({"open", "exclusive", folder_ / "x", folder_ / "y"}), os_error::kSharingViolation);
  EXPECT_EQ(Release(*child), 0);
}

TEST_P(CrossProcess, RecordAndFileLocksAreSeenByOtherProcesses) {
  auto t = Open(true);
  auto child = Hold("rlock", {"5"});
  EXPECT_EQ(t->LockRecord(5).code(), StatusCode::kLocked);
  EXPECT_EQ(t->LockFile().code(), StatusCode::kLocked);
  ASSERT_TRUE(t->LockRecord(6).ok());
  ASSERT_TRUE(t->GoTo(6).ok());
  EXPECT_TRUE(t->PutCharacter(0, "mio").ok());
  ASSERT_TRUE(t->GoTo(5).ok());
  EXPECT_EQ(t->PutCharacter(0, "suyo").code(), StatusCode::kUnlocked);
  EXPECT_EQ(Release(*child), 0);
  EXPECT_TRUE(t->LockRecord(5).ok());

  // Our record lock keeps the other process from that record and from the file lock.
  EXPECT_EQ(Run({"rlock", "5", folder_ / "r", folder_ / "s"}), 40);
  EXPECT_EQ(Run({"flock", folder_ / "r", folder_ / "s"}), 40);
  ASSERT_TRUE(t->UnlockAll().ok());

  child = Hold("flock", {});
  EXPECT_EQ(t->LockRecord(1).code(), StatusCode::kLocked);
  EXPECT_EQ(t->Append().code(), StatusCode::kLocked);
  EXPECT_EQ(Release(*child), 0);
  EXPECT_TRUE(t->LockFile().ok());
}

TEST_P(CrossProcess, AppendLocksTheNewRecord) {
  auto t = Open(true);
  auto child = Hold("hold-append", {});
  std::uint32_t count = 0;
  ASSERT_TRUE(t->RecordCount(&count).ok());
  EXPECT_EQ(count, 11u);
  EXPECT_EQ(t->LockRecord(11).code(), StatusCode::kLocked);
  EXPECT_EQ(Release(*child), 0);
  EXPECT_TRUE(t->LockRecord(11).ok());
}

// Processes appending at the same time (header lock, memo lock) lose no record and no memo.
TEST_P(CrossProcess, ConcurrentAppendsLoseNothing) {
  const int per_process = 60;
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (const char* tag : {"A", "B", "C"})
    children.push_back(std::make_unique<ChildProcess>(
        std::vector<std::string>{"append", path_, GetParam().name, std::to_string(per_process), tag}));
  for (auto& c : children) EXPECT_EQ(c->Wait(), 0);
  const Live live = ReadLive(path_, GetParam());
  EXPECT_EQ(live.records, 10u + 3 * per_process);
  for (const char* tag : {"A", "B", "C"}) {
    for (int i = 1; i <= per_process; ++i) {
      const std::string code = tag + std::to_string(i);
      auto it = live.memos.find(code);
      ASSERT_NE(it, live.memos.end()) << code;
      EXPECT_EQ(it->second, "memo de " + code);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Drivers, CrossProcess, ::testing::ValuesIn(kSchemes),
                         [](const auto& info) { return std::string(info.param.name); });

// A packing process that ends abruptly, at each of its file changes in turn, leaves every
// live record of the table in place, exactly once.
class PackInAnotherProcess : public ::testing::Test {
 protected:
  void MakeTable(int records) {
    path_ = folder_ / "pack.dbf";
    ASSERT_TRUE(DbfTable::Create(RealFileSystem(), path_, testing::FixtureStructure(), kSchemes[0].memo).ok());
    std::unique_ptr<DbfTable> t;
    ASSERT_TRUE(DbfTable::Open(RealFileSystem(), path_, Options(kSchemes[0], false), &t).ok());
    for (int i = 1; i <= records; ++i) {
      ASSERT_TRUE(t->Append().ok());
      ASSERT_TRUE(t->PutCharacter(0, "P" + std::to_string(i)).ok());
      if (i % 1000 == 1) {
        ASSERT_TRUE(t->PutMemo(5, "nota " + std::to_string(i)).ok());
      }
      if (i % 3 == 0) {
        ASSERT_TRUE(t->SetDeleted(true).ok());
      }
    }
    ASSERT_TRUE(t->Close().ok());
    original_ = testing::ReadWholeFile(path_);
    before_ = ReadLive(path_, kSchemes[0]);
  }
  void CheckNothingLost(const std::string& when) {
    const Live after = ReadLive(path_, kSchemes[0]);
    EXPECT_TRUE(after.memos == before_.memos) << when;
    EXPECT_TRUE(after.records == before_.records || after.records == before_.memos.size())
        << when << ": " << after.records << " records";
  }

  testing::TempFolder folder_;
  std::string path_, original_;
  Live before_;
};

TEST_F(PackInAnotherProcess, EndingAtAnyChangeLosesNothing) {
  MakeTable(3000);
  for (int die_at = 1;; ++die_at) {
    testing::WriteWholeFile(path_, original_);
    ChildProcess child({"pack", path_, "clipper", std::to_string(die_at)});
    const int code = child.Wait();
    CheckNothingLost("ended at change " + std::to_string(die_at));
    if (code == 0) break;
    EXPECT_EQ(code, 86);
    ASSERT_LT(die_at, 50);
  }
}

TEST_F(PackInAnotherProcess, KilledAtRandomMomentsLosesNothing) {
  if (!testing::CanKillProcesses()) GTEST_SKIP() << "no way to kill a process here";
  MakeTable(100000);
  // How long a whole pack takes, to spread the kills over it.
  const auto start = std::chrono::steady_clock::now();
  {
    testing::WriteWholeFile(path_, original_);
    ChildProcess child({"pack", path_, "clipper", "0"});
    ASSERT_EQ(child.Wait(), 0);
  }
  const auto full = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  std::printf("one pack of %u records in another process: %lld us\n", before_.records,
              static_cast<long long>(full.count()));
  std::mt19937 random(12345);
  for (int round = 0; round < 12; ++round) {
    testing::WriteWholeFile(path_, original_);
    const auto delay = std::chrono::microseconds(std::uniform_int_distribution<long long>(0, full.count())(random));
    ChildProcess child({"pack", path_, "clipper", "0"});
    std::this_thread::sleep_for(delay);
    child.Kill();
    child.Wait();
    CheckNothingLost("killed after " + std::to_string(delay.count()) + " us");
  }
}

}  // namespace
}  // namespace xb::rdd
