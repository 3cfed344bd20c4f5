// The file-system seam: the real and the in-memory file systems must agree on what the
// engine relies on (codes of failed opens, share modes, per-handle byte-range locks).
#include <gtest/gtest.h>

#include <memory>

#include "runtime/rdd/faulty_file_system.h"
#include "runtime/rdd/file_system.h"
#include "runtime/rdd/memory_file_system.h"
#include "runtime/rdd/buffered_file.h"
#include "runtime/rdd/test_support.h"

namespace xb::rdd {
namespace {

struct Env {
  virtual ~Env() = default;
  virtual FileSystem& fs() = 0;
  virtual std::string folder() = 0;
};

struct RealEnv : Env {
  testing::TempFolder temp;
  FileSystem& fs() override { return RealFileSystem(); }
  std::string folder() override { return temp.path(); }
};

struct MemoryEnv : Env {
  MemoryFileSystem memory;
  MemoryEnv() { memory.MakeFolder("data/"); }
  FileSystem& fs() override { return memory; }
  std::string folder() override { return "data/"; }
};

class FileSystemTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) env_ = std::make_unique<MemoryEnv>();
    else env_ = std::make_unique<RealEnv>();
  }
  FileSystem& fs() { return env_->fs(); }
  std::string at(const std::string& name) { return env_->folder() + name; }

  std::unique_ptr<File> OpenOk(const std::string& name, Share share, bool create = false) {
    OpenOptions o;
    o.share = share;
    o.create = create;
    std::unique_ptr<File> f;
    Status s = fs().Open(at(name), o, &f);
    EXPECT_TRUE(s.ok()) << s.message();
    return f;
  }

  std::unique_ptr<Env> env_;
};

TEST_P(FileSystemTest, FailedOpensCarryTheSystemCodes) {
  std::unique_ptr<File> f;
  Status s = fs().Open(at("missing.dbf"), OpenOptions(), &f);
  EXPECT_EQ(s.code(), StatusCode::kIo);
  EXPECT_EQ(s.os_code(), os_error::kFileNotFound);
  s = fs().Open(at("nofolder/missing.dbf"), OpenOptions(), &f);
  EXPECT_EQ(s.os_code(), os_error::kPathNotFound);

  auto created = OpenOk("t.dbf", Share::kExclusive, true);
  OpenOptions o;
  o.create = true;
  o.must_not_exist = true;
  o.share = Share::kShared;
  created.reset();
  s = fs().Open(at("t.dbf"), o, &f);
  EXPECT_EQ(s.os_code(), os_error::kFileExists);
}

TEST_P(FileSystemTest, ShareModesExcludeOtherHandles) {
  OpenOk("t.dbf", Share::kExclusive, true).reset();
  struct Case {
    Share first, second;
    bool second_opens;
  } cases[] = {
      {Share::kShared, Share::kShared, true},
      {Share::kShared, Share::kExclusive, false},
      {Share::kExclusive, Share::kShared, false},
      {Share::kExclusive, Share::kExclusive, false},
  };
  for (const auto& c : cases) {
    auto first = OpenOk("t.dbf", c.first);
    OpenOptions o;
    o.share = c.second;
    std::unique_ptr<File> second;
    Status s = fs().Open(at("t.dbf"), o, &second);
    EXPECT_EQ(s.ok(), c.second_opens);
    if (!c.second_opens) {
      EXPECT_EQ(s.os_code(), os_error::kSharingViolation);
    }
  }
  // A refused open that asked to truncate leaves the file alone.
  auto holder = OpenOk("t.dbf", Share::kExclusive);
  ASSERT_TRUE(holder->Write(0, "abc", 3).ok());
  OpenOptions trunc;
  trunc.share = Share::kShared;
  trunc.truncate = true;
  std::unique_ptr<File> refused;
  EXPECT_FALSE(fs().Open(at("t.dbf"), trunc, &refused).ok());
  std::uint64_t size = 0;
  ASSERT_TRUE(holder->Size(&size).ok());
  EXPECT_EQ(size, 3u);
}

TEST_P(FileSystemTest, ByteRangeLocksBelongToTheHandle) {
  OpenOk("t.dbf", Share::kExclusive, true).reset();
  auto a = OpenOk("t.dbf", Share::kShared);
  auto b = OpenOk("t.dbf", Share::kShared);
  const std::uint64_t far = 1000000000ULL;
  ASSERT_TRUE(a->Lock(far + 5, 1).ok());
  EXPECT_EQ(b->Lock(far + 5, 1).code(), StatusCode::kLocked);
  EXPECT_EQ(b->Lock(far, 10).code(), StatusCode::kLocked);  // overlapping
  EXPECT_TRUE(b->Lock(far + 6, 1).ok());                     // next byte is free
  ASSERT_TRUE(a->Unlock(far + 5, 1).ok());
  EXPECT_TRUE(b->Lock(far + 5, 1).ok());
  // Closing a handle releases its locks, and only its own.
  a.reset();
  auto c = OpenOk("t.dbf", Share::kShared);
  EXPECT_EQ(c->Lock(far + 6, 1).code(), StatusCode::kLocked);
  b.reset();
  EXPECT_TRUE(c->Lock(far + 6, 1).ok());
  // Locks far above 2 GB (the FoxPro scheme sits just below it) work too.
  EXPECT_TRUE(c->Lock(0x7FFFFFFEULL - 3, 1).ok());
}

TEST_P(FileSystemTest, ReadWriteSizeTruncate) {
  auto f = OpenOk("t.bin", Share::kExclusive, true);
  ASSERT_TRUE(f->Write(10, "xyz", 3).ok());  // beyond the end: zeros in between
  std::uint64_t size = 0;
  ASSERT_TRUE(f->Size(&size).ok());
  EXPECT_EQ(size, 13u);
  char buf[20];
  std::size_t got = 0;
  ASSERT_TRUE(f->Read(8, buf, sizeof buf, &got).ok());
  EXPECT_EQ(got, 5u);
  EXPECT_EQ(std::string(buf, 5), std::string("\0\0xyz", 5));
  EXPECT_EQ(f->ReadExact(8, buf, 6).code(), StatusCode::kCorrupt);
  ASSERT_TRUE(f->Truncate(4).ok());
  ASSERT_TRUE(f->Size(&size).ok());
  EXPECT_EQ(size, 4u);
  EXPECT_TRUE(f->Sync().ok());
}

TEST_P(FileSystemTest, RenameReplacesTheTarget) {
  auto a = OpenOk("a.tmp", Share::kExclusive, true);
  ASSERT_TRUE(a->Write(0, "new", 3).ok());
  a.reset();
  auto b = OpenOk("b.dbf", Share::kExclusive, true);
  ASSERT_TRUE(b->Write(0, "old!", 4).ok());
  b.reset();
  ASSERT_TRUE(fs().Rename(at("a.tmp"), at("b.dbf")).ok());
  EXPECT_FALSE(fs().Exists(at("a.tmp")));
  auto c = OpenOk("b.dbf", Share::kShared);
  std::uint64_t size = 0;
  ASSERT_TRUE(c->Size(&size).ok());
  EXPECT_EQ(size, 3u);
  c.reset();
  EXPECT_TRUE(fs().Remove(at("b.dbf")).ok());
  EXPECT_EQ(fs().Remove(at("b.dbf")).os_code(), os_error::kFileNotFound);
}

// A file still open (a pack written aside) takes the target's place and is closed; refused
// while another handle holds the target (Windows), both files stay as they were.
TEST_P(FileSystemTest, AnOpenFileRenamedTakesTheTargetsPlaceAndIsClosed) {
  auto old = OpenOk("b.dbf", Share::kExclusive, true);
  ASSERT_TRUE(old->Write(0, "old!", 4).ok());
  old.reset();
  auto packed = OpenOk("b.pk$", Share::kExclusive, true);
  ASSERT_TRUE(packed->Write(0, "new", 3).ok());
  ASSERT_TRUE(packed->Truncate(3).ok());  // already that size
  ASSERT_TRUE(fs().RenameAndClose(std::move(packed), at("b.pk$"), at("b.dbf")).ok());
  EXPECT_FALSE(fs().Exists(at("b.pk$")));
  auto placed = OpenOk("b.dbf", Share::kExclusive);  // no handle left on it
  char buf[8];
  std::size_t got = 0;
  ASSERT_TRUE(placed->Read(0, buf, sizeof buf, &got).ok());
  EXPECT_EQ(std::string(buf, got), "new");

#if !defined(_WIN32)
  if (!GetParam()) return;  // a POSIX rename replaces a file still open
#endif
  auto next = OpenOk("c.pk$", Share::kExclusive, true);
  ASSERT_TRUE(next->Write(0, "next", 4).ok());
  EXPECT_FALSE(fs().RenameAndClose(std::move(next), at("c.pk$"), at("b.dbf")).ok());
  auto left = OpenOk("c.pk$", Share::kExclusive);
  ASSERT_TRUE(left->Read(0, buf, sizeof buf, &got).ok());
  EXPECT_EQ(std::string(buf, got), "next");
  ASSERT_TRUE(placed->Read(0, buf, sizeof buf, &got).ok());
  EXPECT_EQ(std::string(buf, got), "new");
}

INSTANTIATE_TEST_SUITE_P(Both, FileSystemTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Memory" : "Real"; });

TEST(MemoryFileSystem, CrashKeepsOnlySyncedData) {
  MemoryFileSystem fs;
  OpenOptions o;
  o.create = true;
  std::unique_ptr<File> f;
  ASSERT_TRUE(fs.Open("t", o, &f).ok());
  ASSERT_TRUE(f->Write(0, "synced", 6).ok());
  ASSERT_TRUE(f->Sync().ok());
  ASSERT_TRUE(f->Write(0, "LOST!!", 6).ok());
  fs.SimulateCrash();
  EXPECT_EQ(fs.Contents("t"), "synced");
  // The dead handle can do nothing more, and holds no share mode.
  EXPECT_FALSE(f->Write(0, "x", 1).ok());
  std::unique_ptr<File> g;
  EXPECT_TRUE(fs.Open("T", OpenOptions(), &g).ok());  // names are case-insensitive
}

TEST(MemoryFileSystem, OpenFilesCannotBeRenamedOrRemoved) {
  MemoryFileSystem fs;
  fs.SetContents("a", "1");
  fs.SetContents("b", "2");
  std::unique_ptr<File> f;
  ASSERT_TRUE(fs.Open("b", OpenOptions(), &f).ok());
  EXPECT_FALSE(fs.Rename("a", "b").ok());
  EXPECT_FALSE(fs.Remove("b").ok());
  EXPECT_EQ(f->Lock(0, 1).code(), StatusCode::kOk);
  EXPECT_EQ(f->Lock(0, 1).code(), StatusCode::kLocked);  // not re-entrant, as on Windows
}

// Writes past the end are held and written out in one piece, reads come from a read-ahead
// piece; the file reads as if every write had gone through.
TEST(BufferedFile, ReadsAsIfWrittenThrough) {
  MemoryFileSystem memory;
  FaultyFileSystem counted(memory);
  OpenOptions o;
  o.create = true;
  std::unique_ptr<File> raw;
  ASSERT_TRUE(counted.Open("t", o, &raw).ok());
  auto f = BufferExclusive(std::move(raw), 64);
  ASSERT_TRUE(f->Write(0, "head", 4).ok());  // an empty file's first write goes through
  EXPECT_EQ(memory.Contents("t"), "head");
  for (char c = 'a'; c <= 'e'; ++c) ASSERT_TRUE(f->Write(4 + (c - 'a'), &c, 1).ok());
  EXPECT_EQ(memory.Contents("t"), "head");
  std::uint64_t size = 0;
  ASSERT_TRUE(f->Size(&size).ok());
  EXPECT_EQ(size, 9u);
  char buf[9];
  ASSERT_TRUE(f->ReadExact(0, buf, 9).ok());
  EXPECT_EQ(std::string(buf, 9), "headabcde");
  EXPECT_EQ(counted.counts("t").writes, 2);
  // A write inside the file writes the held bytes first, in order.
  ASSERT_TRUE(f->Write(20, "zz", 2).ok());
  ASSERT_TRUE(f->Write(0, "HEAD", 4).ok());
  EXPECT_EQ(memory.Contents("t"), std::string("HEADabcde") + std::string(11, '\0') + "zz");
  ASSERT_TRUE(f->ReadExact(0, buf, 5).ok());  // the piece read before is not served stale
  EXPECT_EQ(std::string(buf, 5), "HEADa");
  // Past the limit the buffer goes out by itself.
  ASSERT_TRUE(f->Write(22, std::string(100, 'x').data(), 100).ok());
  EXPECT_EQ(memory.Contents("t").size(), 122u);
}

TEST(FaultyFileSystem, FailsTheNthChangeAndCountsWrites) {
  MemoryFileSystem memory;
  FaultyFileSystem fs(memory);
  OpenOptions o;
  o.create = true;
  std::unique_ptr<File> f;
  ASSERT_TRUE(fs.Open("t", o, &f).ok());  // change 1
  fs.FailAt(2);
  EXPECT_TRUE(f->Write(0, "a", 1).ok());
  Status s = f->Write(1, "b", 1);
  EXPECT_EQ(s.os_code(), os_error::kDiskFull);
  EXPECT_FALSE(f->Sync().ok());  // sticky
  fs.Heal();
  EXPECT_TRUE(f->Write(1, "c", 1).ok());
  EXPECT_EQ(memory.Contents("t"), "ac");
  EXPECT_EQ(fs.counts("t").writes, 2);  // the failed write reached nothing
}

}  // namespace
}  // namespace xb::rdd
