#include <gtest/gtest.h>

#include <cstring>

#include "runtime/rdd/dbf_format.h"
#include "runtime/rdd/memo_dbt.h"
#include "runtime/rdd/memo_fpt.h"
#include "runtime/rdd/memory_file_system.h"
#include "runtime/rdd/test_support.h"

namespace xb::rdd {
namespace {

using testing::ReferenceFile;
using testing::ReadWholeFile;

struct Kind {
  dbf::MemoKind kind;
  const char* folder;
  const char* memo;
};
const Kind kKinds[] = {{dbf::MemoKind::kFpt, "cdx-1k", "fixture.fpt"},
                       {dbf::MemoKind::kDbt, "ntx-1k", "fixture.dbt"}};

// The memo pointers of the reference table, in record order.
std::vector<std::uint32_t> ReferencePointers(const std::string& folder) {
  const std::string bytes = ReadWholeFile(ReferenceFile(folder + "/fixture.dbf"));
  dbf::Header h;
  std::vector<dbf::Field> fields;
  EXPECT_TRUE(dbf::DecodeHeader(bytes, &h).ok());
  EXPECT_TRUE(dbf::DecodeFields(bytes, h, &fields).ok());
  std::vector<std::uint32_t> out;
  for (std::uint32_t r = 0; r < h.record_count; ++r)
    out.push_back(dbf::DecodeMemoBlock(std::string_view(bytes).substr(h.header_length + r * h.record_length, h.record_length), fields[5]));
  return out;
}

std::unique_ptr<MemoFile> OpenIn(MemoryFileSystem& fs, const Kind& k, const std::string& bytes, Share share) {
  fs.SetContents(k.memo, bytes);
  OpenOptions o;
  o.share = share;
  std::unique_ptr<MemoFile> memo;
  Status s = OpenMemoFile(fs, k.memo, k.kind, o, &memo);
  EXPECT_TRUE(s.ok()) << s.message();
  return memo;
}

// Writing the reference memos in record order into a new file gives the reference file,
// byte for byte: header, block numbers, padding and the FPT update counter.
TEST(Memo, WritingTheReferenceMemosGivesTheReferenceFile) {
  for (const Kind& k : kKinds) {
    const std::string reference = ReadWholeFile(ReferenceFile(std::string(k.folder) + "/" + k.memo));
    MemoryFileSystem fs;
    auto source = OpenIn(fs, k, reference, Share::kShared);
    std::unique_ptr<MemoFile> fresh;
    ASSERT_TRUE(CreateMemoFile(fs, "new", k.kind, &fresh).ok());
    int memos = 0;
    for (std::uint32_t block : ReferencePointers(k.folder)) {
      if (block == 0) continue;
      std::string text;
      ASSERT_TRUE(source->Read(block, &text).ok()) << block;
      std::uint32_t written = 0;
      ASSERT_TRUE(fresh->Write(0, text, &written).ok());
      EXPECT_EQ(written, block);
      ++memos;
    }
    EXPECT_GT(memos, 500);
    ASSERT_TRUE(fresh->Flush().ok());
    EXPECT_TRUE(fs.Contents("new") == reference) << k.memo;
  }
}

TEST(Memo, RewritesInPlaceWhenTheTextFits) {
  for (const Kind& k : kKinds) {
    MemoryFileSystem fs;
    std::unique_ptr<MemoFile> memo;
    ASSERT_TRUE(CreateMemoFile(fs, "m", k.kind, &memo).ok());
    const std::uint32_t bs = memo->block_size();
    std::uint32_t a = 0, b = 0, c = 0;
    ASSERT_TRUE(memo->Write(0, std::string(bs * 2, 'a'), &a).ok());
    ASSERT_TRUE(memo->Write(0, "second", &b).ok());
    ASSERT_TRUE(memo->Write(a, "short", &c).ok());
    EXPECT_EQ(c, a) << "a shorter text stays in place";
    ASSERT_TRUE(memo->Write(b, std::string(bs * 3, 'z'), &c).ok());
    EXPECT_GT(c, b) << "a longer text moves to the end";
    std::uint32_t none = 7;
    ASSERT_TRUE(memo->Write(a, "", &none).ok());
    EXPECT_EQ(none, 0u);
    std::string text;
    ASSERT_TRUE(memo->Read(a, &text).ok());
    EXPECT_EQ(text, "short");
    ASSERT_TRUE(memo->Read(b, &text).ok());
    EXPECT_EQ(text, "second");
    ASSERT_TRUE(memo->Read(c, &text).ok());
    EXPECT_EQ(text, std::string(bs * 3, 'z'));
    ASSERT_TRUE(memo->Zap().ok());
    EXPECT_EQ(fs.Contents("m"), k.kind == dbf::MemoKind::kFpt ? fpt::EmptyHeader() : dbt::EmptyHeader());
  }
}

// Two processes adding memos to one shared file never get the same blocks.
TEST(Memo, SharedFilesAllocateUnderTheMemoLock) {
  for (const Kind& k : kKinds) {
    MemoryFileSystem fs;
    std::unique_ptr<MemoFile> created;
    ASSERT_TRUE(CreateMemoFile(fs, k.memo, k.kind, &created).ok());
    created.reset();
    OpenOptions shared;
    shared.share = Share::kShared;
    std::unique_ptr<MemoFile> one, two;
    ASSERT_TRUE(OpenMemoFile(fs, k.memo, k.kind, shared, &one).ok());
    ASSERT_TRUE(OpenMemoFile(fs, k.memo, k.kind, shared, &two).ok());
    std::vector<std::pair<std::uint32_t, std::string>> written;
    for (int i = 0; i < 20; ++i) {
      MemoFile& m = i % 2 ? *one : *two;
      std::string text(static_cast<std::size_t>(30 + i * 37), static_cast<char>('A' + i));
      std::uint32_t block = 0;
      ASSERT_TRUE(m.Write(0, text, &block).ok());
      written.emplace_back(block, text);
    }
    for (const auto& [block, text] : written) {
      std::string back;
      ASSERT_TRUE(one->Read(block, &back).ok());
      EXPECT_EQ(back, text);
    }
  }
}

TEST(Memo, DamagedPointersAndLengthsAreReportedNotFollowed) {
  // FPT: a memo at block 16 whose length field claims more than the file holds.
  std::string fpt = fpt::EmptyHeader();
  fpt.resize(1024 + 64, '\0');
  fpt[1024 + 3] = 1;
  std::memcpy(fpt.data() + 1024 + 4, "\x7F\xFF\xFF\xF0", 4);
  // DBT: a memo at block 1 with no terminator before the end of the file.
  std::string dbt = dbt::EmptyHeader() + "sin final";
  const struct {
    const Kind& kind;
    std::string bytes;
    std::uint32_t block;
    StatusCode code;
    const char* text;
  } cases[] = {
      {kKinds[0], fpt, 16, StatusCode::kCorrupt, ""},        // length past the end
      {kKinds[0], fpt, 3, StatusCode::kCorrupt, ""},         // inside the header
      {kKinds[0], fpt, 900000, StatusCode::kCorrupt, ""},    // past the end
      {kKinds[0], fpt, 0xFFFFFFFF, StatusCode::kCorrupt, ""},
      {kKinds[1], dbt, 1, StatusCode::kOk, "sin final"},     // what is there is sound
      {kKinds[1], dbt, 0, StatusCode::kCorrupt, ""},
      {kKinds[1], dbt, 5000, StatusCode::kCorrupt, ""},
  };
  for (const auto& c : cases) {
    MemoryFileSystem fs;
    auto memo = OpenIn(fs, c.kind, c.bytes, Share::kExclusive);
    std::string text;
    Status s = memo->Read(c.block, &text);
    EXPECT_EQ(s.code(), c.code) << c.kind.memo << " block " << c.block << ": " << s.message();
    if (s.ok()) {
      EXPECT_EQ(text, c.text);
    }
  }
  // A memo written over a damaged one goes to fresh blocks right after the data.
  MemoryFileSystem fs;
  auto memo = OpenIn(fs, kKinds[0], fpt, Share::kExclusive);
  std::uint32_t block = 0;
  ASSERT_TRUE(memo->Write(16, "nuevo", &block).ok());
  EXPECT_EQ(block, 17u);
  // A header whose next free block lies far past the end (or inside the data) does not move
  // new memos there: they go right after the data.
  for (const Kind& k : kKinds) {
    for (const char* next : {"\xFF\xFF\xFF\x00", "\x01\x00\x00\x00"}) {
      std::string bytes = k.kind == dbf::MemoKind::kFpt ? fpt::EmptyHeader() : dbt::EmptyHeader();
      bytes.append(4 * 512, 'x');
      std::memcpy(bytes.data(), next, 4);
      MemoryFileSystem fs2;
      auto m = OpenIn(fs2, k, bytes, Share::kShared);
      ASSERT_TRUE(m->Write(0, "nuevo", &block).ok());
      EXPECT_EQ(static_cast<std::uint64_t>(block) * m->block_size(), bytes.size()) << k.memo;
      EXPECT_LT(fs2.Contents(k.memo).size(), bytes.size() + 1024);
    }
  }
}

TEST(Memo, ShortOrEmptyFilesDoNotOpen) {
  for (const Kind& k : kKinds) {
    for (const std::string& bytes : {std::string(), std::string(100, '\0')}) {
      MemoryFileSystem fs;
      fs.SetContents(k.memo, bytes);
      std::unique_ptr<MemoFile> memo;
      EXPECT_EQ(OpenMemoFile(fs, k.memo, k.kind, OpenOptions(), &memo).code(), StatusCode::kCorrupt);
    }
  }
}

}  // namespace
}  // namespace xb::rdd
