#include "runtime/rdd/memory_file_system.h"

#include <algorithm>
#include <cstring>

namespace xb::rdd {

struct MemoryFileSystem::Node {
  std::string data;
  std::string synced;
  struct Range {
    const void* owner;
    std::uint64_t offset, length;
    bool exclusive;
  };
  std::vector<Range> locks;
  std::vector<std::pair<const void*, Share>> opens;
};

struct MemoryFileSystem::Shared {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<Node>> files;
  std::set<std::string> folders{""};
  unsigned long generation = 0;  // bumped by a crash: older handles are dead
};

namespace {

std::string Key(const std::string& path) {
  std::string key = path;
  for (char& c : key) {
    if (c == '\\') c = '/';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

bool Overlaps(std::uint64_t a, std::uint64_t alen, std::uint64_t b, std::uint64_t blen) {
  return a < b + blen && b < a + alen;
}

Status Locked() { return Status::Error(StatusCode::kLocked, "zona bloqueada por otro usuario"); }
Status Dead() { return Status::Io(os_error::kAccessDenied, "el fichero ya no está disponible"); }

using Node = MemoryFileSystem::Node;
using Shared = MemoryFileSystem::Shared;

class MemoryFile final : public File {
 public:
  MemoryFile(std::shared_ptr<Shared> shared, std::shared_ptr<Node> node, bool writable)
      : shared_(std::move(shared)), node_(std::move(node)), writable_(writable),
        generation_(shared_->generation) {}

  ~MemoryFile() override {
    std::lock_guard<std::mutex> guard(shared_->mutex);
    if (!alive()) return;
    auto& locks = node_->locks;
    locks.erase(std::remove_if(locks.begin(), locks.end(), [&](auto& r) { return r.owner == this; }),
                locks.end());
    auto& opens = node_->opens;
    opens.erase(std::remove_if(opens.begin(), opens.end(), [&](auto& o) { return o.first == this; }),
                opens.end());
  }

  Status Read(std::uint64_t offset, void* data, std::size_t size, std::size_t* got) override {
    std::lock_guard<std::mutex> guard(shared_->mutex);
    if (!alive()) return Dead();
    if (LockedByOther(offset, size, false)) return Locked();
    const std::string& d = node_->data;
    const std::size_t n = offset >= d.size() ? 0 : std::min<std::size_t>(size, d.size() - offset);
    if (n) std::memcpy(data, d.data() + offset, n);
    *got = n;
    return Status();
  }

  Status Write(std::uint64_t offset, const void* data, std::size_t size) override {
    std::lock_guard<std::mutex> guard(shared_->mutex);
    if (!alive()) return Dead();
    if (!writable_) return Status::Io(os_error::kAccessDenied, "escritura: acceso denegado");
    if (LockedByOther(offset, size, true)) return Locked();
    std::string& d = node_->data;
    if (d.size() < offset + size) d.resize(offset + size, '\0');
    if (size) std::memcpy(d.data() + offset, data, size);
    return Status();
  }

  Status Size(std::uint64_t* size) override {
    std::lock_guard<std::mutex> guard(shared_->mutex);
    if (!alive()) return Dead();
    *size = node_->data.size();
    return Status();
  }

  Status Truncate(std::uint64_t size) override {
    std::lock_guard<std::mutex> guard(shared_->mutex);
    if (!alive()) return Dead();
    if (!writable_) return Status::Io(os_error::kAccessDenied, "truncar: acceso denegado");
    node_->data.resize(size, '\0');
    return Status();
  }

  Status Sync() override {
    std::lock_guard<std::mutex> guard(shared_->mutex);
    if (!alive()) return Dead();
    node_->synced = node_->data;
    return Status();
  }

  Status Lock(std::uint64_t offset, std::uint64_t length, bool exclusive) override {
    std::lock_guard<std::mutex> guard(shared_->mutex);
    if (!alive()) return Dead();
    for (const auto& r : node_->locks)
      if (Overlaps(r.offset, r.length, offset, length) && (exclusive || r.exclusive)) return Locked();
    node_->locks.push_back({this, offset, length, exclusive});
    return Status();
  }

  Status Unlock(std::uint64_t offset, std::uint64_t length) override {
    std::lock_guard<std::mutex> guard(shared_->mutex);
    if (!alive()) return Dead();
    auto& locks = node_->locks;
    for (auto it = locks.begin(); it != locks.end(); ++it) {
      if (it->owner == this && it->offset == offset && it->length == length) {
        locks.erase(it);
        return Status();
      }
    }
    return Status::Io(os_error::kLockViolation, "desbloqueo de una zona no bloqueada");
  }

 private:
  bool alive() const { return generation_ == shared_->generation; }

  // Any lock of another handle keeps this one from writing; only exclusive ones from reading.
  bool LockedByOther(std::uint64_t offset, std::uint64_t length, bool writing) const {
    for (const auto& r : node_->locks)
      if (r.owner != this && (writing || r.exclusive) && Overlaps(r.offset, r.length, offset, length))
        return true;
    return false;
  }

  std::shared_ptr<Shared> shared_;
  std::shared_ptr<Node> node_;
  bool writable_;
  unsigned long generation_;
};

}  // namespace

MemoryFileSystem::MemoryFileSystem() : shared_(std::make_shared<Shared>()) {}
MemoryFileSystem::~MemoryFileSystem() = default;

Status MemoryFileSystem::Open(const std::string& path, const OpenOptions& options,
                              std::unique_ptr<File>* file) {
  std::lock_guard<std::mutex> guard(shared_->mutex);
  const std::string key = Key(path);
  if (!shared_->folders.count(Key(PathFolder(path))))
    return Status::Io(os_error::kPathNotFound, OsErrorText(os_error::kPathNotFound));
  auto it = shared_->files.find(key);
  if (it == shared_->files.end()) {
    if (!options.create)
      return Status::Io(os_error::kFileNotFound, OsErrorText(os_error::kFileNotFound));
    it = shared_->files.emplace(key, std::make_shared<Node>()).first;
  } else if (options.create && options.must_not_exist) {
    return Status::Io(os_error::kFileExists, OsErrorText(os_error::kFileExists));
  }
  Node& node = *it->second;
  for (const auto& open : node.opens)
    if (open.second == Share::kExclusive || options.share == Share::kExclusive)
      return Status::Io(os_error::kSharingViolation, OsErrorText(os_error::kSharingViolation));
  if (options.truncate) node.data.clear();
  auto handle = std::make_unique<MemoryFile>(shared_, it->second, options.access == Access::kReadWrite);
  node.opens.emplace_back(handle.get(), options.share);
  *file = std::move(handle);
  return Status();
}

Status MemoryFileSystem::Remove(const std::string& path) {
  std::lock_guard<std::mutex> guard(shared_->mutex);
  auto it = shared_->files.find(Key(path));
  if (it == shared_->files.end())
    return Status::Io(os_error::kFileNotFound, OsErrorText(os_error::kFileNotFound));
  if (!it->second->opens.empty())
    return Status::Io(os_error::kSharingViolation, OsErrorText(os_error::kSharingViolation));
  shared_->files.erase(it);
  return Status();
}

Status MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  std::lock_guard<std::mutex> guard(shared_->mutex);
  auto src = shared_->files.find(Key(from));
  if (src == shared_->files.end())
    return Status::Io(os_error::kFileNotFound, OsErrorText(os_error::kFileNotFound));
  if (!src->second->opens.empty())
    return Status::Io(os_error::kSharingViolation, OsErrorText(os_error::kSharingViolation));
  auto dst = shared_->files.find(Key(to));
  if (dst != shared_->files.end() && !dst->second->opens.empty())
    return Status::Io(os_error::kAccessDenied, OsErrorText(os_error::kAccessDenied));
  auto node = src->second;
  shared_->files.erase(src);
  shared_->files[Key(to)] = std::move(node);
  return Status();
}

bool MemoryFileSystem::Exists(const std::string& path) {
  std::lock_guard<std::mutex> guard(shared_->mutex);
  return shared_->files.count(Key(path)) != 0;
}

void MemoryFileSystem::MakeFolder(const std::string& folder) {
  std::lock_guard<std::mutex> guard(shared_->mutex);
  std::string key = Key(folder);
  if (!key.empty() && key.back() != '/') key.push_back('/');
  shared_->folders.insert(key);
}

void MemoryFileSystem::SetContents(const std::string& path, std::string bytes) {
  std::lock_guard<std::mutex> guard(shared_->mutex);
  auto& node = shared_->files[Key(path)];
  if (!node) node = std::make_shared<Node>();
  node->data = bytes;
  node->synced = std::move(bytes);
}

std::string MemoryFileSystem::Contents(const std::string& path) const {
  std::lock_guard<std::mutex> guard(shared_->mutex);
  auto it = shared_->files.find(Key(path));
  return it == shared_->files.end() ? std::string() : it->second->data;
}

void MemoryFileSystem::SimulateCrash() {
  std::lock_guard<std::mutex> guard(shared_->mutex);
  ++shared_->generation;
  for (auto& [key, node] : shared_->files) {
    node->data = node->synced;
    node->locks.clear();
    node->opens.clear();
  }
}

}  // namespace xb::rdd
