// Fuzz target: FPT and DBT memo files read and written at block numbers taken from the
// input, as damaged memo pointers would give them. Nothing may crash, hang or read outside
// the file, and a memo just written must read back.
//
// Input: byte 0 kind (bit 0: DBT), byte 1 the number of operations (at most 16), then five
// bytes per operation (a byte whose bit 0 says write, a block number little-endian), then
// the memo file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "runtime/rdd/memo_file.h"
#include "runtime/rdd/memory_file_system.h"

using namespace xb::rdd;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const dbf::MemoKind kind = data[0] & 1 ? dbf::MemoKind::kDbt : dbf::MemoKind::kFpt;
  const std::size_t ops = std::min<std::size_t>(data[1] & 15, (size - 2) / 5);
  const std::size_t file_at = 2 + ops * 5;
  MemoryFileSystem fs;
  fs.SetContents("m", std::string(reinterpret_cast<const char*>(data) + file_at, size - file_at));
  std::unique_ptr<MemoFile> memo;
  if (!OpenMemoFile(fs, "m", kind, OpenOptions(), &memo).ok()) return 0;
  for (std::size_t i = 0; i < ops; ++i) {
    const std::uint8_t* op = data + 2 + i * 5;
    const std::uint32_t block = op[1] | op[2] << 8 | op[3] << 16 | static_cast<std::uint32_t>(op[4]) << 24;
    std::string text;
    if (!(op[0] & 1)) {
      (void)memo->Read(block, &text);
      continue;
    }
    const std::string written(static_cast<std::size_t>(op[0]) * 13 % 1500 + 1, static_cast<char>('a' + i));
    std::uint32_t at = 0;
    if (!memo->Write(block, written, &at).ok()) continue;
    if (!memo->Read(at, &text).ok() || text != written) std::abort();
  }
  (void)memo->Flush();
  return 0;
}
