// Page access of one CDX file: bounded reads, writes and allocation at the end of the file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/rdd/cdx_format.h"
#include "runtime/rdd/order_bag.h"

namespace xb::rdd::cdx {

class PageFile {
 public:
  explicit PageFile(std::unique_ptr<BagFile> file) : file_(std::move(file)) {}

  BagFile& file() { return *file_; }
  // Re-reads the file size (after another process may have grown the file).
  BagStatus Refresh();
  std::uint64_t size() const { return size_; }

  // Reads `n` bytes at a page-aligned offset inside the file, past the file header.
  BagStatus ReadAt(std::uint32_t offset, std::size_t n, std::string& out);
  BagStatus WriteAt(std::uint32_t offset, const std::string& data);
  // Reserves `bytes` (a multiple of the page size) at the end of the file.
  std::uint32_t Allocate(std::uint32_t bytes);
  // True when a page (or tag header) of `n` bytes may live at `offset`.
  bool Valid(std::uint32_t offset, std::size_t n) const {
    return offset >= kHeaderSize && offset % kPageSize == 0 && offset + n <= size_;
  }

 private:
  std::unique_ptr<BagFile> file_;
  std::uint64_t size_ = 0;
};

}  // namespace xb::rdd::cdx
