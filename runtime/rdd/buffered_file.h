// A file that only its own handle uses (an exclusive memo file), read and written through
// memory: writes past the end of a non-empty file are held and written out in large pieces,
// as when a program adds many memos one after another, and small reads are served from a
// read-ahead piece, as when it reads them back in order. Any other write, a read of held
// bytes, a truncation or a sync writes the held bytes out first, so the file reads as if
// every write had gone through at once.
#pragma once

#include <cstddef>
#include <memory>

#include "runtime/rdd/file_system.h"

namespace xb::rdd {

std::unique_ptr<File> BufferExclusive(std::unique_ptr<File> file, std::size_t limit = 1 << 20);

}  // namespace xb::rdd
