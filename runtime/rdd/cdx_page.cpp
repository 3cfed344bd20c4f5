#include "runtime/rdd/cdx_page.h"

namespace xb::rdd::cdx {

BagStatus PageFile::Refresh() { return file_->Size(size_); }

BagStatus PageFile::ReadAt(std::uint32_t offset, std::size_t n, std::string& out) {
  if (!Valid(offset, n))
    return BagStatus::Error(BagCode::kCorrupt, "Índice CDX dañado: puntero de página fuera del fichero");
  out.resize(n);
  return file_->Read(offset, out.data(), n);
}

BagStatus PageFile::WriteAt(std::uint32_t offset, const std::string& data) {
  BagStatus st = file_->Write(offset, data.data(), data.size());
  if (st.ok() && offset + data.size() > size_) size_ = offset + data.size();
  return st;
}

std::uint32_t PageFile::Allocate(std::uint32_t bytes) {
  const std::uint64_t at = (size_ + kPageSize - 1) / kPageSize * kPageSize;
  size_ = at + bytes;
  return std::uint32_t(at);
}

}  // namespace xb::rdd::cdx
