#include "runtime/rdd/memo_fpt.h"

#include <algorithm>
#include <cstring>

#include "runtime/rdd/lock.h"
#include "runtime/rdd/buffered_file.h"

namespace xb::rdd::fpt {
namespace {

std::uint32_t GetBE32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return static_cast<std::uint32_t>(u[0]) << 24 | static_cast<std::uint32_t>(u[1]) << 16 |
         static_cast<std::uint32_t>(u[2]) << 8 | u[3];
}
void PutBE32(char* p, std::uint32_t v) {
  p[0] = static_cast<char>(v >> 24);
  p[1] = static_cast<char>(v >> 16);
  p[2] = static_cast<char>(v >> 8);
  p[3] = static_cast<char>(v);
}
std::uint32_t GetLE32(const char* p) {
  const auto* u = reinterpret_cast<const unsigned char*>(p);
  return static_cast<std::uint32_t>(u[3]) << 24 | static_cast<std::uint32_t>(u[2]) << 16 |
         static_cast<std::uint32_t>(u[1]) << 8 | u[0];
}
void PutLE32(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(v >> (8 * i));
}

Status Corrupt(const std::string& what) {
  return Status::Error(StatusCode::kCorrupt, "fichero memo FPT dañado: " + what);
}

std::uint64_t BlocksFor(std::uint64_t bytes, std::uint32_t block_size) {
  return (bytes + block_size - 1) / block_size;
}

class FptFile final : public MemoFile {
 public:
  FptFile(std::unique_ptr<File> file, bool shared, bool writable)
      : file_(std::move(file)), shared_(shared), writable_(writable) {}

  Status Init() {
    // Only bytes 4.. are read here: the memo lock covers byte 0 and, on Windows, keeps
    // other handles from reading it while a process allocates.
    char head[4];
    XB_RETURN_IF_ERROR(file_->ReadExact(4, head, sizeof head).WithContext("cabecera FPT"));
    block_size_ = static_cast<unsigned char>(head[2]) << 8 | static_cast<unsigned char>(head[3]);
    if (block_size_ == 0) return Corrupt("tamaño de bloque 0");
    std::uint64_t size = 0;
    XB_RETURN_IF_ERROR(file_->Size(&size));
    if (size < kBaseHeaderSize) return Corrupt("fichero más corto que la cabecera");
    char flex[sizeof kFlexSignature - 1];
    std::size_t got = 0;
    XB_RETURN_IF_ERROR(file_->Read(kBaseHeaderSize, flex, sizeof flex, &got));
    flex_ = got == sizeof flex && std::memcmp(flex, kFlexSignature, sizeof flex) == 0;
    first_block_ = static_cast<std::uint32_t>(BlocksFor(flex_ ? kHeaderSize : kBaseHeaderSize, block_size_));
    return Status();
  }

  Status Read(std::uint32_t block, std::string* text) override {
    if (block < first_block_) return Corrupt("puntero de memo dentro de la cabecera");
    // Most memos are short: one read brings the block header and the text.
    const std::uint64_t at = static_cast<std::uint64_t>(block) * block_size_;
    char first[512];
    std::size_t got = 0;
    XB_RETURN_IF_ERROR(file_->Read(at, first, sizeof first, &got));
    if (got < 8) return Corrupt("puntero de memo fuera del fichero");
    const std::uint32_t type = GetBE32(first);
    const std::uint32_t length = GetBE32(first + 4);
    if (type != kTypeText && type != kTypePicture) return Corrupt("tipo de memo desconocido");
    if (8 + static_cast<std::uint64_t>(length) <= got) {
      text->assign(first + 8, length);
      return Status();
    }
    std::uint64_t size = 0;
    XB_RETURN_IF_ERROR(file_->Size(&size));
    if (length > size - at - 8) return Corrupt("longitud de memo más allá del fichero");
    text->resize(length);
    std::memcpy(text->data(), first + 8, got - 8);
    return file_->ReadExact(at + got, text->data() + (got - 8), length - (got - 8));
  }

  Status Write(std::uint32_t old_block, std::string_view text, std::uint32_t* block) override {
    if (!writable_) return Status::Error(StatusCode::kReadOnly, "fichero memo de sólo lectura");
    if (text.empty()) {
      *block = 0;
      return Status();
    }
    if (text.size() > 0xFFFFFFFFu - 8) return Status::Error(StatusCode::kDataWidth, "memo demasiado largo");
    const std::uint64_t blocks = BlocksFor(8 + text.size(), block_size_);
    const std::string image = Image(text, blocks);
    if (old_block != 0 && OldBlocks(old_block) >= blocks) {
      XB_RETURN_IF_ERROR(file_->Write(static_cast<std::uint64_t>(old_block) * block_size_, image.data(), image.size()));
      *block = old_block;
      ++pending_updates_;
      return Status();
    }
    return Allocate(image, blocks, block);
  }

  Status Zap() override {
    if (!writable_) return Status::Error(StatusCode::kReadOnly, "fichero memo de sólo lectura");
    XB_RETURN_IF_ERROR(file_->Truncate(0));
    const std::string header = EmptyHeader(block_size_);
    XB_RETURN_IF_ERROR(file_->Write(0, header.data(), header.size()));
    flex_ = true;
    first_block_ = static_cast<std::uint32_t>(BlocksFor(kHeaderSize, block_size_));
    next_free_ = 0;
    pending_updates_ = 0;
    header_dirty_ = false;
    return Status();
  }

  Status Flush() override {
    if (!header_dirty_ && pending_updates_ == 0) return Status();
    if (!writable_) return Status();
    if (shared_) {
      // In-place rewrites of a shared file only count; the count reaches the header with
      // the next allocation.
      return Status();
    }
    if (next_free_ == 0) XB_RETURN_IF_ERROR(NextFree(&next_free_));
    XB_RETURN_IF_ERROR(WriteHeader(next_free_));
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
      next = got == sizeof head ? GetBE32(head) : 0;
    }
    *stated_end = static_cast<std::uint64_t>(next) * block_size_;
    return Status();
  }

  Status WholeWithin(std::uint32_t block, std::uint64_t size, bool* whole) override {
    *whole = false;
    const std::uint64_t at = static_cast<std::uint64_t>(block) * block_size_;
    if (block < first_block_ || at + 8 > size) return Status();
    char head[8];
    XB_RETURN_IF_ERROR(file_->ReadExact(at, head, sizeof head));
    *whole = GetBE32(head + 4) <= size - at - 8;
    return Status();
  }

  std::uint32_t block_size() const override { return block_size_; }
  dbf::MemoKind kind() const override { return dbf::MemoKind::kFpt; }

 private:
  std::string Image(std::string_view text, std::uint64_t blocks) const {
    std::string image(blocks * block_size_, '\0');
    PutBE32(image.data(), kTypeText);
    PutBE32(image.data() + 4, static_cast<std::uint32_t>(text.size()));
    std::memcpy(image.data() + 8, text.data(), text.size());
    if ((8 + text.size()) % block_size_ != 0) image.back() = static_cast<char>(kBlockFiller);
    return image;
  }

  // Blocks the memo at `block` occupies; 0 when it cannot be read (its space is not reused).
  std::uint64_t OldBlocks(std::uint32_t block) {
    if (block < first_block_) return 0;
    std::uint64_t size = 0;
    if (!file_->Size(&size).ok()) return 0;
    const std::uint64_t at = static_cast<std::uint64_t>(block) * block_size_;
    char head[8];
    if (at + 8 > size || !file_->ReadExact(at, head, sizeof head).ok()) return 0;
    const std::uint64_t length = GetBE32(head + 4);
    if (length > size - at - 8) return 0;
    return BlocksFor(8 + length, block_size_);
  }

  // The first block past the data. A writer of this format always extends the file to the
  // end of the memo's last block and keeps the header's next free block there, so the file's
  // own end is the same number, and one that a damaged or stale header cannot move: never
  // inside the data, never far beyond it.
  Status NextFree(std::uint32_t* next) {
    std::uint64_t size = 0;
    XB_RETURN_IF_ERROR(file_->Size(&size));
    const std::uint64_t n = std::max<std::uint64_t>(first_block_, BlocksFor(size, block_size_));
    if (n > 0xFFFFFFFFu) return Status::Error(StatusCode::kDataWidth, "fichero memo lleno");
    *next = static_cast<std::uint32_t>(n);
    return Status();
  }

  Status Allocate(const std::string& image, std::uint64_t blocks, std::uint32_t* block) {
    if (shared_) XB_RETURN_IF_ERROR(LockWaiting(*file_, kMemoLock, kShortLockWait));
    Status s = AllocateLocked(image, blocks, block);
    if (shared_) {
      Status u = file_->Unlock(kMemoLock.offset, kMemoLock.length);
      if (s.ok()) s = std::move(u);
    }
    return s;
  }

  Status AllocateLocked(const std::string& image, std::uint64_t blocks, std::uint32_t* block) {
    std::uint32_t at = next_free_;
    if (shared_ || at == 0) XB_RETURN_IF_ERROR(NextFree(&at));
    if (at + blocks > 0xFFFFFFFFu) return Status::Error(StatusCode::kDataWidth, "fichero memo lleno");
    XB_RETURN_IF_ERROR(file_->Write(static_cast<std::uint64_t>(at) * block_size_, image.data(), image.size()));
    next_free_ = static_cast<std::uint32_t>(at + blocks);
    ++pending_updates_;
    *block = at;
    if (shared_) return WriteHeader(next_free_);
    header_dirty_ = true;
    return Status();
  }

  // Next free block and update counter. In shared mode the caller holds the memo lock.
  Status WriteHeader(std::uint32_t next) {
    if (!flex_) {
      char head[4];
      PutBE32(head, next);
      XB_RETURN_IF_ERROR(file_->Write(0, head, sizeof head));
      pending_updates_ = 0;
      return Status();
    }
    std::string header(kHeaderSize, '\0');
    XB_RETURN_IF_ERROR(file_->ReadExact(0, header.data(), header.size()));
    PutBE32(header.data(), next);
    char* counter = header.data() + kFlexCounterOffset;
    PutLE32(counter, GetLE32(counter) + pending_updates_);
    XB_RETURN_IF_ERROR(file_->Write(0, header.data(), header.size()));
    pending_updates_ = 0;
    return Status();
  }

  std::unique_ptr<File> file_;
  bool shared_;
  bool writable_;
  bool flex_ = false;
  bool header_dirty_ = false;
  std::uint32_t block_size_ = kDefaultBlockSize;
  std::uint32_t first_block_ = 0;
  std::uint32_t next_free_ = 0;  // exclusive files only; 0 until first needed
  std::uint32_t pending_updates_ = 0;
};

}  // namespace

std::string EmptyHeader(std::uint32_t block_size) {
  std::string header(kHeaderSize, '\0');
  PutBE32(header.data(), static_cast<std::uint32_t>(BlocksFor(kHeaderSize, block_size)));
  header[6] = static_cast<char>(block_size >> 8);
  header[7] = static_cast<char>(block_size);
  std::memcpy(header.data() + 8, kSignature, sizeof kSignature - 1);
  std::memcpy(header.data() + kBaseHeaderSize, kFlexSignature, sizeof kFlexSignature - 1);
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
  auto fpt = std::make_unique<FptFile>(BufferExclusive(std::move(file)), false, true);
  XB_RETURN_IF_ERROR(fpt->Init());
  *memo = std::move(fpt);
  return Status();
}

Status Open(FileSystem& fs, const std::string& path, const OpenOptions& options,
            std::unique_ptr<MemoFile>* memo) {
  std::unique_ptr<File> file;
  XB_RETURN_IF_ERROR(fs.Open(path, options, &file));
  // A file no one else can open gets its new memos written in large pieces.
  if (options.share == Share::kExclusive && options.access == Access::kReadWrite) file = BufferExclusive(std::move(file));
  auto fpt = std::make_unique<FptFile>(std::move(file), options.share == Share::kShared,
                                       options.access == Access::kReadWrite);
  XB_RETURN_IF_ERROR(fpt->Init());
  *memo = std::move(fpt);
  return Status();
}

}  // namespace xb::rdd::fpt
