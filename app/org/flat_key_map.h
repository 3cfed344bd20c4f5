// Text keys to numbers in one flat table: open addressing over an array of slots, the keys
// kept side by side in one buffer. The recomputations look a key up for every line of the
// long document tables (millions of them); here a lookup is one hash and a cache line or
// two, and allocates nothing.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace app {

class FlatKeyMap {
 public:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  // The value of `key`; kNone when it is not there.
  std::uint32_t Find(std::string_view key) const {
    if (slots_.empty()) return kNone;
    const std::uint32_t hash = Hash(key);
    for (std::size_t i = hash & mask_;; i = (i + 1) & mask_) {
      const Slot& s = slots_[i];
      if (s.length == kEmpty) return kNone;
      if (Holds(s, hash, key)) return s.value;
    }
  }

  // Adds key = value unless the key is there; returns the value the key holds.
  std::uint32_t Insert(std::string_view key, std::uint32_t value) {
    if ((size_ + 1) * 4 >= slots_.size() * 3) Grow();
    const std::uint32_t hash = Hash(key);
    std::size_t i = hash & mask_;
    for (;; i = (i + 1) & mask_) {
      const Slot& s = slots_[i];
      if (s.length == kEmpty) break;
      if (Holds(s, hash, key)) return s.value;
    }
    slots_[i] = {hash, static_cast<std::uint32_t>(keys_.size()), static_cast<std::uint32_t>(key.size()), value};
    keys_.append(key);
    ++size_;
    return value;
  }

  std::size_t size() const { return size_; }

 private:
  static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;  // a length no key has

  // Everything a lookup compares but the key's bytes, in one place.
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t offset = 0;  // of the key in keys_
    std::uint32_t length = kEmpty;
    std::uint32_t value = 0;
  };

  bool Holds(const Slot& s, std::uint32_t hash, std::string_view key) const {
    return s.hash == hash && s.length == key.size() &&
           (key.empty() || std::memcmp(keys_.data() + s.offset, key.data(), key.size()) == 0);
  }

  static std::uint32_t Hash(std::string_view key) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ key.size();
    std::size_t i = 0;
    for (; i + 8 <= key.size(); i += 8) {
      std::uint64_t word;
      std::memcpy(&word, key.data() + i, 8);
      h = (h ^ word) * 0xFF51AFD7ED558CCDull;
      h ^= h >> 32;
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, key.data() + i, key.size() - i);
    h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 29;
    return static_cast<std::uint32_t>(h);
  }

  void Grow() {
    const std::size_t size = slots_.empty() ? 64 : slots_.size() * 2;
    std::vector<Slot> grown(size);
    mask_ = size - 1;
    for (const Slot& s : slots_) {
      if (s.length == kEmpty) continue;
      std::size_t i = s.hash & mask_;
      while (grown[i].length != kEmpty) i = (i + 1) & mask_;
      grown[i] = s;
    }
    slots_ = std::move(grown);
  }

  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
  std::size_t size_ = 0;
  std::string keys_;
};

}  // namespace app
