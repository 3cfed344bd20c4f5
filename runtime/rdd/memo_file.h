// A table's memo file (FPT or DBT): texts addressed by the block number that the record's
// memo field holds.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/rdd/dbf_format.h"
#include "runtime/rdd/file_system.h"

namespace xb::rdd {

class MemoFile {
 public:
  virtual ~MemoFile() = default;

  // Reads the memo at `block` (not 0). A pointer outside the file or a length past its end
  // is kCorrupt; nothing is read beyond the file.
  virtual Status Read(std::uint32_t block, std::string* text) = 0;
  // Stores `text` and returns its block in *block (0 for an empty text). The memo at
  // `old_block` (0: none) is overwritten in place when the new text fits its blocks;
  // otherwise new blocks are taken at the end of the file.
  virtual Status Write(std::uint32_t old_block, std::string_view text, std::uint32_t* block) = 0;
  // Empties the file back to a bare header.
  virtual Status Zap() = 0;
  // Writes what is kept in memory (the header of an exclusive file).
  virtual Status Flush() = 0;
  virtual Status Sync() = 0;

  // The file's size, and where its header says the data ends (the next free block's
  // offset). A file shorter than its data was cut: memos near its end may be incomplete.
  virtual Status Extent(std::uint64_t* size, std::uint64_t* stated_end) = 0;
  // Whether the memo at `block` lies whole within the first `size` bytes of the file.
  virtual Status WholeWithin(std::uint32_t block, std::uint64_t size, bool* whole) = 0;

  virtual std::uint32_t block_size() const = 0;
  virtual dbf::MemoKind kind() const = 0;
};

// Memo file name extension of each kind, with the dot.
const char* MemoExtension(dbf::MemoKind kind);

// Creates an empty memo file (replacing one that exists) and opens it exclusively.
Status CreateMemoFile(FileSystem& fs, const std::string& path, dbf::MemoKind kind,
                      std::unique_ptr<MemoFile>* memo);
// Opens an existing memo file. In shared mode the header is re-read under the memo lock
// before every allocation, so several processes can add memos to one file.
Status OpenMemoFile(FileSystem& fs, const std::string& path, dbf::MemoKind kind,
                    const OpenOptions& options, std::unique_ptr<MemoFile>* memo);

}  // namespace xb::rdd
