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
      if (s.entry == 0) return kNone;
      if (s.hash == hash && KeyOf(entries_[s.entry - 1]) == key) return entries_[s.entry - 1].value;
    }
  }

  // Adds key = value unless the key is there; returns the value the key holds.
  std::uint32_t Insert(std::string_view key, std::uint32_t value) {
    if ((entries_.size() + 1) * 4 >= slots_.size() * 3) Grow();
    const std::uint32_t hash = Hash(key);
    std::size_t i = hash & mask_;
    for (;; i = (i + 1) & mask_) {
      const Slot& s = slots_[i];
      if (s.entry == 0) break;
      if (s.hash == hash && KeyOf(entries_[s.entry - 1]) == key) return entries_[s.entry - 1].value;
    }
    entries_.push_back({static_cast<std::uint32_t>(keys_.size()), static_cast<std::uint32_t>(key.size()), value});
    keys_.append(key);
    slots_[i] = {hash, static_cast<std::uint32_t>(entries_.size())};
    return value;
  }

  std::size_t size() const { return entries_.size(); }

 private:
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t entry = 0;  // index in entries_ + 1; 0: empty
  };
  struct Entry {
    std::uint32_t offset;
    std::uint32_t length;
    std::uint32_t value;
  };

  std::string_view KeyOf(const Entry& e) const { return std::string_view(keys_).substr(e.offset, e.length); }

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
      if (s.entry == 0) continue;
      std::size_t i = s.hash & mask_;
      while (grown[i].entry != 0) i = (i + 1) & mask_;
      grown[i] = s;
    }
    slots_ = std::move(grown);
  }

  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
  std::vector<Entry> entries_;
  std::string keys_;
};

}  // namespace app
