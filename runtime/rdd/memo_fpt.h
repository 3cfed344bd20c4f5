// FPT memo files, as the classic CDX driver writes them.
//
// Header, 1024 bytes:
//   0..3     next free block, big-endian
//   4..5     zero
//   6..7     block size in bytes, big-endian (64)
//   8..17    signature "Harbour", NUL padded
//   18..511  zero (a free-block list for some writers; this engine keeps none)
//   512..523 "FlexFile3" 0x03 and two zero bytes
//   524..531 zero
//   532..535 update counter, little-endian: one more for every memo written
//   536..1023 zero
// Blocks are counted from the start of the file, so the first memo sits at block
// 1024 / block size. A memo: type (1: text), big-endian 4 bytes; length, big-endian 4 bytes;
// the text; zeros to the end of its last block, whose last byte is 0xAF when the memo
// does not fill it. Files written by other programs may have a 512-byte header and any
// block size; they are read the same way.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/rdd/memo_file.h"

namespace xb::rdd::fpt {

inline constexpr std::uint32_t kHeaderSize = 1024;
inline constexpr std::uint32_t kBaseHeaderSize = 512;
inline constexpr std::uint32_t kDefaultBlockSize = 64;
inline constexpr std::uint32_t kFlexCounterOffset = 532;
inline constexpr std::uint32_t kTypeText = 1;
inline constexpr std::uint32_t kTypePicture = 0;
inline constexpr unsigned char kBlockFiller = 0xAF;
inline constexpr char kSignature[] = "Harbour";
inline constexpr char kFlexSignature[] = "FlexFile3\x03";

// The header of a new, empty file.
std::string EmptyHeader(std::uint32_t block_size = kDefaultBlockSize);

Status Create(FileSystem& fs, const std::string& path, std::unique_ptr<MemoFile>* memo);
Status Open(FileSystem& fs, const std::string& path, const OpenOptions& options,
            std::unique_ptr<MemoFile>* memo);

}  // namespace xb::rdd::fpt
