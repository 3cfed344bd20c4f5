// DBT memo files, as the classic NTX driver writes them.
//
// Header, 512 bytes (block 0):
//   0..3    next free block, little-endian
//   4..5    block size, little-endian (512)
//   8..17   signature "Harbour", NUL padded
//   other   zero
// A memo starts at block * 512: the text, then two 0x1A bytes. Nothing pads the last
// block, so the file ends right after the last memo written at its end. Readers stop at the
// first 0x1A, so a text cannot hold that byte.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/rdd/memo_file.h"

namespace xb::rdd::dbt {

inline constexpr std::uint32_t kBlockSize = 512;
inline constexpr char kTerminator = 0x1A;
inline constexpr char kSignature[] = "Harbour";

std::string EmptyHeader();

Status Create(FileSystem& fs, const std::string& path, std::unique_ptr<MemoFile>* memo);
Status Open(FileSystem& fs, const std::string& path, const OpenOptions& options,
            std::unique_ptr<MemoFile>* memo);

}  // namespace xb::rdd::dbt
