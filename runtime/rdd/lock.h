// Where a shared table's locks lie. Locks are byte ranges of the DBF file far beyond its
// data, at the offsets of the classic drivers' default schemes, so every program of the
// suite that uses those drivers sees our locks and we see theirs:
//
//   Clipper scheme (NTX driver): base 1,000,000,000
//     record n: base + n, 1 byte   file: base + 1, 1,000,000,000 bytes   header: base, 1 byte
//   FoxPro scheme (CDX driver), table without a structural index: base 0x40000000
//     record n: base + header length + (n - 1) * record length, 1 byte
//     file: base + 1, 0x3FFFFFFD bytes                                 header: base, 1 byte
//   FoxPro scheme, table with a structural index (header byte 28, bit 0): base 0x7FFFFFFE
//     record n: base - n, 1 byte   file: base - 0x07FFFFFF, 0x07FFFFFF bytes   header: base, 1 byte
//
// The file range covers every record lock, so a file lock and a record lock exclude each
// other. The header lock serialises appends. A memo file is locked at its first byte while
// a process takes new blocks from it.
#pragma once

#include <chrono>
#include <cstdint>

#include "runtime/rdd/file_system.h"

namespace xb::rdd {

enum class LockScheme { kClipper, kFoxPro };

struct LockRange {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  bool operator==(const LockRange&) const = default;
};

struct TableLockLayout {
  LockScheme scheme = LockScheme::kClipper;
  bool structural_index = false;  // header byte 28, read when the table opens
  std::uint16_t header_length = 0;
  std::uint16_t record_length = 0;

  LockRange Record(std::uint32_t record) const;
  LockRange File() const;
  LockRange Header() const;
};

inline constexpr LockRange kMemoLock{0, 1};

// How long an operation waits for a short-lived lock (header, memo) before giving up.
inline constexpr std::chrono::milliseconds kShortLockWait{10000};

// Takes a lock, trying again until `wait` has passed (zero: one attempt).
Status LockWaiting(File& file, LockRange range, std::chrono::milliseconds wait);

}  // namespace xb::rdd
