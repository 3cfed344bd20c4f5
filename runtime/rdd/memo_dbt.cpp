#include "runtime/rdd/memo_dbt.h"

#include <algorithm>
#include <cstring>

#include "runtime/rdd/lock.h"
#include "runtime/rdd/buffered_file.h"

namespace xb::rdd::dbt {
namespace {

void PutLE32(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(v >> (8 * i));
}

std::uint32_t GetLE32(const char* p) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(p[i]);
  return v;
}

Status Corrupt(const std::string& what) {
  return Status::Error(StatusCode::kCorrupt, "fichero memo DBT dañado: " + what);
}

std::uint64_t BlocksFor(std::uint64_t bytes) { return (bytes + kBlockSize - 1) / kBlockSize; }

class DbtFile final : public MemoFile {
 public:
  DbtFile(std::unique_ptr<File> file, bool shared, bool writable)
      : file_(std::move(file)), shared_(shared), writable_(writable) {}

  Status Init() {
    std::uint64_t size = 0;
    XB_RETURN_IF_ERROR(file_->Size(&size));
    if (size < kBlockSize) return Corrupt("fichero más corto que la cabecera");
    return Status();
  }

  Status Read(std::uint32_t block, std::string* text) override { return Scan(block, nullptr, text); }

  Status Write(std::uint32_t old_block, std::string_view text, std::uint32_t* block) override {
    if (!writable_) return Status::Error(StatusCode::kReadOnly, "fichero memo de sólo lectura");
    if (text.empty()) {
      *block = 0;
      return Status();
    }
    std::string image(text);
    image.append(2, kTerminator);
    const std::uint64_t blocks = BlocksFor(image.size());
    if (old_block != 0) {
      // The old memo surely holds its text and one terminator; only that much is reused.
      std::uint64_t old_length = 0;
      if (Scan(old_block, &old_length, nullptr).ok() && BlocksFor(old_length + 1) >= blocks) {
        XB_RETURN_IF_ERROR(file_->Write(static_cast<std::uint64_t>(old_block) * kBlockSize, image.data(), image.size()));
        *block = old_block;
        return Status();
      }
    }
    if (shared_) XB_RETURN_IF_ERROR(LockWaiting(*file_, kMemoLock, kShortLockWait));
    Status s = Allocate(image, blocks, block);
    if (shared_) {
      Status u = file_->Unlock(kMemoLock.offset, kMemoLock.length);
      if (s.ok()) s = std::move(u);
    }
    return s;
  }

  Status Zap() override {
    if (!writable_) return Status::Error(StatusCode::kReadOnly, "fichero memo de sólo lectura");
    XB_RETURN_IF_ERROR(file_->Truncate(0));
    const std::string header = EmptyHeader();
    XB_RETURN_IF_ERROR(file_->Write(0, header.data(), header.size()));
    next_free_ = 0;
    header_dirty_ = false;
    return Status();
  }

  Status Flush() override {
    if (!header_dirty_ || shared_ || !writable_) return Status();
    char head[4];
    PutLE32(head, next_free_);
    XB_RETURN_IF_ERROR(file_->Write(0, head, sizeof head));
    header_dirty_ = false;
    return Status();
  }

  Status Sync() override { return file_->Sync(); }

  Status Extent(std::uint64_t* size, std::uint64_t* stated_end) override {
    XB_RETURN_IF_ERROR(file_->Size(size));
    std::uint32_t next = next_free_;
    if (next == 0) {
      char head[4];
      std::size_t got = 0;
      XB_RETURN_IF_ERROR(file_->Read(0, head, sizeof head, &got));
      next = got == sizeof head ? GetLE32(head) : 0;
    }
    *stated_end = static_cast<std::uint64_t>(next) * kBlockSize;
    return Status();
  }

  // A memo runs to its terminator or to the end of the file: whole when it starts within it.
  Status WholeWithin(std::uint32_t block, std::uint64_t size, bool* whole) override {
    *whole = block != 0 && static_cast<std::uint64_t>(block) * kBlockSize < size;
    return Status();
  }

  std::uint32_t block_size() const override { return kBlockSize; }
  dbf::MemoKind kind() const override { return dbf::MemoKind::kDbt; }

 private:
  // The memo at `block`: the bytes before its first terminator, or before the end of the
  // file when a damaged file lacks one. Gives its length, its text, or both.
  Status Scan(std::uint32_t block, std::uint64_t* length, std::string* text) {
    if (block == 0) return Corrupt("puntero de memo dentro de la cabecera");
    const std::uint64_t start = static_cast<std::uint64_t>(block) * kBlockSize;
    if (text) text->clear();
    char buf[kBlockSize * 8];
    std::uint64_t at = start;
    for (;;) {
      std::size_t got = 0;
      XB_RETURN_IF_ERROR(file_->Read(at, buf, sizeof buf, &got));
      if (got == 0) {
        if (at == start) return Corrupt("puntero de memo fuera del fichero");
        break;
      }
      const void* end = std::memchr(buf, kTerminator, got);
      const std::size_t take = end ? static_cast<std::size_t>(static_cast<const char*>(end) - buf) : got;
      if (text) text->append(buf, take);
      at += take;
      if (end) break;
    }
    if (length) *length = at - start;
    return Status();
  }

  Status Allocate(const std::string& image, std::uint64_t blocks, std::uint32_t* block) {
    std::uint32_t at = next_free_;
    if (shared_ || at == 0) {
      // The block after the data, which is what the header holds when it is sound; a damaged
      // or stale header can move it neither into the data nor far beyond the file.
      std::uint64_t size = 0;
      XB_RETURN_IF_ERROR(file_->Size(&size));
      const std::uint64_t n = std::max<std::uint64_t>(1, BlocksFor(size));
      if (n > 0xFFFFFFFFu) return Status::Error(StatusCode::kDataWidth, "fichero memo lleno");
      at = static_cast<std::uint32_t>(n);
    }
    if (at + blocks > 0xFFFFFFFFu) return Status::Error(StatusCode::kDataWidth, "fichero memo lleno");
    XB_RETURN_IF_ERROR(file_->Write(static_cast<std::uint64_t>(at) * kBlockSize, image.data(), image.size()));
    next_free_ = static_cast<std::uint32_t>(at + blocks);
    *block = at;
    if (!shared_) {
      header_dirty_ = true;
      return Status();
    }
    char head[4];
    PutLE32(head, next_free_);
    return file_->Write(0, head, sizeof head);
  }

  std::unique_ptr<File> file_;
  bool shared_;
  bool writable_;
  bool header_dirty_ = false;
  std::uint32_t next_free_ = 0;  // exclusive files only; 0 until first needed
};

}  // namespace

std::string EmptyHeader() {
  std::string header(kBlockSize, '\0');
  PutLE32(header.data(), 1);
  header[4] = static_cast<char>(kBlockSize & 0xFF);
  header[5] = static_cast<char>(kBlockSize >> 8);
  std::memcpy(header.data() + 8, kSignature, sizeof kSignature - 1);
  return header;
}

Status Create(FileSystem& fs, const std::string& path, std::unique_ptr<MemoFile>* memo) {
  std::unique_ptr<File> file;
  OpenOptions options;
  options.create = true;
  options.truncate = true;
  XB_RETURN_IF_ERROR(fs.Open(path, options, &file));
  const std::string header = EmptyHeader();
  XB_RETURN_IF_ERROR(file->Write(0, header.data(), header.size()));
  auto dbt = std::make_unique<DbtFile>(BufferExclusive(std::move(file)), false, true);
  XB_RETURN_IF_ERROR(dbt->Init());
  *memo = std::move(dbt);
  return Status();
}

Status Open(FileSystem& fs, const std::string& path, const OpenOptions& options,
            std::unique_ptr<MemoFile>* memo) {
  std::unique_ptr<File> file;
  XB_RETURN_IF_ERROR(fs.Open(path, options, &file));
  // A file no one else can open gets its new memos written in large pieces.
  if (options.share == Share::kExclusive && options.access == Access::kReadWrite) file = BufferExclusive(std::move(file));
  auto dbt = std::make_unique<DbtFile>(std::move(file), options.share == Share::kShared,
                                       options.access == Access::kReadWrite);
  XB_RETURN_IF_ERROR(dbt->Init());
  *memo = std::move(dbt);
  return Status();
}

}  // namespace xb::rdd::dbt
