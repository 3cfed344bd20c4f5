// An NTX file: one tag, a B-tree of 1024-byte pages, with its own lock and change counter.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <thread>
#include <unordered_map>

#include "runtime/rdd/key_sort.h"
#include "runtime/rdd/ntx_format.h"
#include "runtime/rdd/order_bag.h"
#include "runtime/rdd/spare_buffers.h"

namespace xb::rdd {
namespace ntx {
namespace {

constexpr std::uint64_t kLockOffset = 0x7FFFFFFEu;
constexpr int kLockTries = 2000;
constexpr int kMaxDepth = 32;
constexpr std::uint64_t kMaxSteps = 1u << 26;

BagStatus Corrupt(const char* what) {
  return BagStatus::Error(BagCode::kCorrupt, std::string("Índice NTX dañado: ") + what);
}

std::uint16_t Get16(const std::string& b, std::size_t at) { return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8); }
void Set16(std::string& b, std::size_t at, std::uint16_t v) { b[at] = char(v); b[at + 1] = char(v >> 8); }
void Set32(std::string& b, std::size_t at, std::uint32_t v) { for (int i = 0; i < 4; ++i) b[at + i] = char(v >> (8 * i)); }

// Builds the pages of a whole tag from sorted keys, the way the established runtime fills them,
// so the files come out byte for byte the same: pages are filled in eight page buffers taken in
// turn (a written page gives its buffer back, not cleared, and its level takes the next one at
// once); a full page sends the next key one level up; at the end the last page of a level that is less than half full takes keys over from
// its left neighbour through the separator above them.
class TreeBuilder {
 public:
  TreeBuilder(const Header& h, std::string& region) : h_(h), region_(region) {
    for (int i = 0; i < kBuffers; ++i) free_.push_back(FreshBuffer());
  }

  void Add(const char* key, std::uint32_t recno) { Push(0, key, recno, 0, 0); }

  std::uint32_t Finish() {
    if (levels_.empty()) levels_.emplace_back();
    std::uint32_t child = 0;
    for (std::size_t level = 0; level < levels_.size(); ++level) {
      Level& l = levels_[level];
      Take(l);
      if (level > 0) Set32(l.buf, Slot(l.buf, l.count), child);
      child = Write(level);
    }
    for (std::size_t level = 0; level + 1 < levels_.size(); ++level) Rebalance(level);
    return child;
  }

 private:
  struct SlotRef { std::size_t level; std::size_t page; int slot; };
  struct Level {
    std::string buf;
    int count = 0;
    std::vector<std::uint32_t> written;  // offsets of this level's pages, in order
    SlotRef separator{};                 // where the last key sent up from this level went
  };

  static constexpr int kBuffers = 8;

  int Base() const { return 2 + 2 * (h_.max_items + 1); }
  int Slot(const std::string& buf, int i) const { return Get16(buf, 2 + 2 * i); }

  std::string FreshBuffer() const {
    std::string buf(kPageSize, '\0');
    for (int i = 0; i <= h_.max_items; ++i) Set16(buf, 2 + 2 * i, std::uint16_t(Base() + i * h_.item_size));
    return buf;
  }

  // A level starting a page takes the buffer given back longest ago.
  void Take(Level& l) {
    if (!l.buf.empty()) return;
    l.buf = std::move(free_.front());
    free_.pop_front();
    l.count = 0;
  }

  std::uint32_t Write(std::size_t level) {
    Level& l = levels_[level];
    Set16(l.buf, 0, std::uint16_t(l.count));
    const std::uint32_t at = kPageSize + std::uint32_t(region_.size());
    region_.append(l.buf);
    l.written.push_back(at);
    free_.push_back(std::move(l.buf));
    l.buf.clear();
    return at;
  }

  void Push(std::size_t level, const char* key, std::uint32_t recno, std::uint32_t child, std::size_t origin) {
    if (levels_.size() <= level) levels_.emplace_back();
    Level& l = levels_[level];
    Take(l);
    if (l.count == h_.max_items) {
      Set32(l.buf, Slot(l.buf, l.count), child);
      const std::uint32_t page = Write(level);
      Take(levels_[level]);  // the next page of this level before the key goes up
      Push(level + 1, key, recno, page, origin);
      return;
    }
    const int at = Slot(l.buf, l.count);
    Set32(l.buf, at, child);
    Set32(l.buf, at + 4, recno);
    std::memcpy(l.buf.data() + at + 8, key, h_.key_length);
    for (std::size_t i = origin; i < level; ++i) levels_[i].separator = {level, l.written.size(), l.count};
    ++l.count;
  }

  void Rebalance(std::size_t level) {
    Level& l = levels_[level];
    if (l.written.size() < 2) return;
    char* right = region_.data() + (l.written.back() - kPageSize);
    char* left = region_.data() + (l.written[l.written.size() - 2] - kPageSize);
    auto count = [](const char* p) { return int(std::uint8_t(p[0]) | std::uint8_t(p[1]) << 8); };
    auto offs = [](char* p, int i) -> std::uint16_t { return std::uint16_t(std::uint8_t(p[2 + 2 * i]) | std::uint8_t(p[3 + 2 * i]) << 8); };
    auto set_offs = [](char* p, int i, std::uint16_t v) { p[2 + 2 * i] = char(v); p[3 + 2 * i] = char(v >> 8); };
    const int n_right = count(right), n_left = count(left);
    if (n_right >= h_.half) return;
    const SlotRef& s = l.separator;
    char* sep_page = region_.data() + (levels_[s.level].written[s.page] - kPageSize);
    char* sep = sep_page + offs(sep_page, s.slot);
    const int total = n_left + 1 + n_right, keep = total / 2, moved = n_left - keep;
    for (int j = n_right; j >= 0; --j) {
      const std::uint16_t a = offs(right, j + moved), b = offs(right, j);
      set_offs(right, j + moved, b);
      set_offs(right, j, a);
    }
    const int item = h_.item_size;
    for (int k = 0; k + 1 < moved; ++k) std::memcpy(right + offs(right, k), left + offs(left, keep + 1 + k), item);
    char* last = right + offs(right, moved - 1);
    std::memcpy(last, left + offs(left, n_left), 4);  // left's rightmost child
    std::memcpy(last + 4, sep + 4, item - 4);         // the old separator
    std::memcpy(sep + 4, left + offs(left, keep) + 4, item - 4);
    right[0] = char(n_right + moved);
    right[1] = char((n_right + moved) >> 8);
    left[0] = char(keep);
    left[1] = char(keep >> 8);
  }

  const Header& h_;
  std::string& region_;  // pages from offset 1024 on
  std::vector<Level> levels_;
  std::deque<std::string> free_;
};

class NtxBag : public OrderBag, public Tag {
 public:
  NtxBag(std::unique_ptr<BagFile> file, ExpressionCompiler& compiler, const BagOptions& options)
      : file_(std::move(file)), compiler_(compiler), options_(options),
        codepage_(options.codepage ? *options.codepage : CurrentCodePage()) {}

  BagStatus Open() {
    BagStatus st = Acquire(false);
    if (st.ok() && !options_.shared) st = Load();
    if (st.ok()) Release();
    return st;
  }

  // ---- OrderBag
  BagKind Kind() const override { return BagKind::kNtx; }
  int TagCount() const override { return has_tag_ ? 1 : 0; }
  Tag* TagAt(int index) override { return has_tag_ && index == 0 ? this : nullptr; }
  int FindTag(std::string_view name) const override {
    if (!has_tag_) return -1;
    std::string n = Upper(CodePageEn(), name);
    while (!n.empty() && n.back() == ' ') n.pop_back();
    return n == info_.name ? 0 : -1;
  }

  BagStatus CreateTag(const TagSpec& spec, RecordSource& records) override {
    if (options_.read_only) return BagStatus::Error(BagCode::kReadOnly, "Índice abierto sólo para lectura");
    std::shared_ptr<KeyExpression> key_expr = spec.key_expr, for_expr = spec.for_expr;
    BagStatus st = Compile(spec.key, key_expr);
    if (st.ok() && !spec.condition.empty()) st = Compile(spec.condition, for_expr);
    if (!st.ok()) return st;
    KeySet set;
    auto encode = [&](const KeyValue& v, bool first, KeySet& s, std::string& out) {
      if (first) {
        s.type = v.type;
        s.decimals = 0;
        switch (v.type) {
          case KeyType::kCharacter: s.key_length = int(v.text.size()); break;
          case KeyType::kNumeric:
            s.key_length = v.width > 0 ? v.width : 10;
            s.decimals = v.width > 0 ? v.decimals : 0;
            break;
          case KeyType::kDate: s.key_length = 8; break;
          case KeyType::kLogical: s.key_length = 1; break;
        }
        if (s.key_length == 0 || s.key_length > kMaxKeyLength)
          return BagStatus::Error(BagCode::kBadArgument, "Longitud de clave no válida: " + spec.key);
      }
      if (!EncodeKey(v, s.type, s.key_length, s.decimals, out))
        return BagStatus::Error(BagCode::kExpression, "Tipo de clave distinto en un registro: " + spec.key);
      return BagStatus::Ok();
    };
    if (!(st = CollectKeys(records, *key_expr, for_expr.get(), encode, set, spec.scope)).ok()) return st;
    SortKeys(set, set.type == KeyType::kCharacter ? codepage_.weight : CodePageEn().weight, spec.descending);
    if (spec.unique) UniqueKeys(set);

    Header h;
    h.signature = spec.condition.empty() ? kSignature : kSignatureFor;
    h.counter = 1;
    h.key_length = std::uint16_t(set.key_length);
    h.item_size = std::uint16_t(set.key_length + 8);
    h.decimals = std::uint16_t(set.decimals);
    h.max_items = std::uint16_t(MaxItems(set.key_length));
    h.half = h.max_items / 2;
    h.key = spec.key;
    h.condition = spec.condition;
    h.name = Upper(CodePageEn(), spec.name).substr(0, 10);
    h.unique = spec.unique;
    h.descending = spec.descending;
    const std::size_t region_bytes = std::size_t(set.order.size() / std::max<int>(1, h.max_items) + 2) * kPageSize;
    auto region = TakeSpare<std::string>(region_bytes);
    region.reserve(region_bytes);
    TreeBuilder builder(h, region);
    const std::size_t count = set.order.size(), length = std::size_t(set.key_length);
    for (std::size_t i = 0; i < count; ++i) {
      // Sorted keys lie scattered over the key set: ask for the coming ones early.
      if (i + 8 < count) __builtin_prefetch(set.keys.data() + set.order[i + 8] * length);
      builder.Add(set.keys.data() + set.order[i] * length, set.recnos[set.order[i]]);
    }
    h.root = builder.Finish();

    if (!(st = records.BeforeWrite()).ok()) {
      GiveBack(std::move(region));
      return st;
    }
    if (!(st = Acquire(true)).ok()) return st;
    std::string raw;
    EncodeHeader(h, raw);
    st = file_->Truncate(0);
    if (st.ok()) st = file_->Write(0, raw.data(), raw.size());
    if (st.ok()) st = file_->Write(raw.size(), region.data(), region.size());
    if (st.ok()) st = file_->Flush();
    if (st.ok()) {
      header_ = h;
      counter_seen_ = h.counter;
      file_size_ = raw.size() + region.size();
      Adopt(set.type, key_expr, for_expr);
    }
    GiveBack(std::move(region));
    Release();
    return st;
  }

  // Keys gathered for another format: read again in this one's.
  void CreateTags(TagKeys& keys, RecordSource& records, std::vector<BagStatus>& each) override {
    OrderBag::CreateTags(keys.specs(), records, each);
  }

  BagStatus Rebuild(RecordSource& records) override {
    if (!has_tag_) return BagStatus::Ok();
    TagSpec spec;
    spec.name = info_.name;
    spec.key = info_.key;
    spec.condition = info_.condition;
    spec.unique = info_.unique;
    spec.descending = info_.descending;
    spec.key_expr = key_expr_;
    spec.for_expr = for_expr_;
    return CreateTag(spec, records);
  }

  BagStatus DestroyTag(std::string_view name) override {
    if (FindTag(name) != 0) return BagStatus::Error(BagCode::kNotFound, "No existe la etiqueta " + std::string(name));
    has_tag_ = false;
    return file_->Truncate(0);
  }

  BagStatus CurrentKeys(RecordKeys& out) override {
    out.keys.assign(has_tag_ ? 1 : 0, std::string());
    return has_tag_ ? EvaluateKey(out.keys[0]) : BagStatus::Ok();
  }

  BagStatus UpdateKeys(std::uint32_t recno, const RecordKeys* before) override {
    if (!has_tag_) return BagStatus::Ok();
    if (options_.read_only) return BagStatus::Error(BagCode::kReadOnly, "Índice abierto sólo para lectura");
    std::string now;
    BagStatus st = EvaluateKey(now);
    if (!st.ok()) return st;
    const std::string old = before && !before->keys.empty() ? before->keys[0] : std::string();
    if (before && old == now) return BagStatus::Ok();
    if (!(st = Acquire(true)).ok()) return st;
    changed_ = true;
    if (!old.empty()) st = Remove(old, recno);
    if (st.ok() && !now.empty()) st = Insert(now, recno);
    BagStatus end = EndWrite();
    return st.ok() ? end : st;
  }

  BagStatus Flush() override { return file_->Flush(); }

  // ---- Tag
  const TagInfo& Info() const override { return info_; }

  BagStatus GoTop(TagPosition& pos, const RecordFilter& visible) override { return EdgeMove(false, pos, visible); }
  BagStatus GoBottom(TagPosition& pos, const RecordFilter& visible) override { return EdgeMove(true, pos, visible); }

  BagStatus Skip(std::uint32_t from, std::int64_t n, TagPosition& pos, bool& bof_eof,
                 const RecordFilter& visible) override {
    Scope lock(*this);
    if (!lock.status.ok()) return lock.status;
    pos = {};
    bof_eof = false;
    if (n == 0) {
      pos.recno = from;
      return BagStatus::Ok();
    }
    const bool forward = n > 0;
    std::uint64_t steps = forward ? std::uint64_t(n) : std::uint64_t(-n);
    Path path;
    BagStatus st;
    auto off_the_end = [&] {
      bof_eof = true;
      cursor_.clear();
      cursor_recno_ = 0;
      return BagStatus::Ok();
    };
    if (from != 0 && from == cursor_recno_ && AtEntry(cursor_)) {
      path = cursor_;
    } else {
      std::string key;
      if (!(st = KeyIgnoringFor(key)).ok()) return st;
      if (!(st = Locate(key, from, path)).ok()) return st;
      if (!(AtEntry(path) && Current(path).recno == from)) {
        if (!forward) {
          bool moved = false;
          if (AtEntry(path)) st = Step(path, false, moved);
          else { st = Edge(true, path); moved = AtEntry(path); }
          if (!st.ok()) return st;
          if (!moved) return off_the_end();
        } else if (!AtEntry(path)) {
          return off_the_end();
        }
        bool at;
        if (!(st = Settle(path, forward, visible, at)).ok()) return st;
        if (!at) return off_the_end();
        --steps;
      }
    }
    for (; steps > 0; --steps) {
      bool moved = false, at = false;
      st = Step(path, forward, moved);
      if (st.ok() && moved) st = Settle(path, forward, visible, at);
      if (!st.ok()) return st;
      if (!moved || !at) return off_the_end();
    }
    pos.recno = Current(path).recno;
    Remember(path);
    return BagStatus::Ok();
  }

  BagStatus Seek(const KeyValue& value, SeekMode mode, bool last, TagPosition& pos,
                 const RecordFilter& visible) override {
    Scope lock(*this);
    if (!lock.status.ok()) return lock.status;
    pos = {};
    if (value.type != info_.type) {
      Remember(Path{});
      return BagStatus::Ok();
    }
    std::string key;
    if (info_.type == KeyType::kCharacter) key = value.text.substr(0, header_.key_length);
    else EncodeKey(value, info_.type, header_.key_length, header_.decimals, key);
    const std::size_t n = key.size();
    Path path;
    BagStatus st = Descend([&](const Item& e) {
      const int c = Order(e.key, key, n);
      return last ? c > 0 : c >= 0;
    }, path);
    if (!st.ok()) return st;
    if (last) {
      bool moved = false;
      if (!AtEntry(path)) { st = Edge(true, path); moved = AtEntry(path); }
      else st = Step(path, false, moved);
      if (!st.ok()) return st;
      if (!moved) path.clear();
    }
    bool at = false;
    if (!(st = Settle(path, !last, visible, at)).ok()) return st;
    if (at) {
      pos.found = Order(Current(path).key, key, n) == 0;
      if (pos.found || mode == SeekMode::kSoft) pos.recno = Current(path).recno;
    }
    // Not found: a soft seek stands on the next key in tag order, whether the last or the first
    // match was asked for.
    if (last && !pos.found && mode == SeekMode::kSoft) return Seek(value, mode, false, pos, visible);
    Remember(pos.recno ? path : Path{});
    return BagStatus::Ok();
  }

  BagStatus KeyCount(std::uint32_t& count, const RecordFilter& visible) override {
    Scope lock(*this);
    if (!lock.status.ok()) return lock.status;
    count = 0;
    std::vector<Item> all;
    BagStatus st = Entries(all);
    for (const Item& e : all) count += (!visible || visible(e.recno)) ? 1 : 0;
    return st;
  }

  BagStatus KeyNo(std::uint32_t recno, std::uint32_t& position, const RecordFilter& visible) override {
    Scope lock(*this);
    if (!lock.status.ok()) return lock.status;
    position = 0;
    if (recno == 0 || (visible && !visible(recno))) return BagStatus::Ok();
    std::string key;
    BagStatus st = EvaluateKey(key);
    if (!st.ok() || key.empty()) return st;
    Path path;
    if (!(st = Edge(false, path)).ok()) return st;
    std::uint32_t n = 0;
    for (std::uint64_t guard = 0; AtEntry(path) && guard < kMaxSteps; ++guard) {
      const Item& e = Current(path);
      if (!visible || visible(e.recno)) ++n;
      if (e.recno == recno && e.key == key) {
        position = n;
        return BagStatus::Ok();
      }
      bool moved;
      if (!(st = Step(path, true, moved)).ok()) return st;
      if (!moved) break;
    }
    return BagStatus::Ok();
  }

  BagStatus CurrentKeyValue(KeyValue& out) override {
    std::string key;
    BagStatus st = EvaluateKey(key);
    if (st.ok()) out = key.empty() ? KeyValue{} : DecodeKey(key, info_.type);
    return st;
  }

  BagStatus Entries(std::vector<Item>& out) {
    out.clear();
    Path path;
    BagStatus st = Edge(false, path);
    for (std::uint64_t guard = 0; st.ok() && AtEntry(path) && guard < kMaxSteps; ++guard) {
      out.push_back(Current(path));
      bool moved;
      st = Step(path, true, moved);
      if (!moved) break;
    }
    return st;
  }

  BagStatus Create() {
    has_tag_ = false;
    return file_->Truncate(0);
  }

 private:
  using PagePtr = std::shared_ptr<Page>;
  struct Level { PagePtr page; int index; };  // key index on the last level, child index above
  using Path = std::vector<Level>;

  struct Scope {
    explicit Scope(NtxBag& b) : bag(b), status(b.Acquire(false)) {}
    ~Scope() { if (status.ok()) bag.Release(); }
    NtxBag& bag;
    BagStatus status;
  };

  BagStatus Compile(const std::string& text, std::shared_ptr<KeyExpression>& expr) {
    if (expr) return BagStatus::Ok();
    std::unique_ptr<KeyExpression> compiled;
    BagStatus st = compiler_.Compile(text, compiled);
    if (st.ok() && !compiled) st = BagStatus::Error(BagCode::kExpression, "Expresión no válida: " + text);
    if (st.ok()) expr = std::move(compiled);
    return st;
  }

  void Adopt(KeyType type, std::shared_ptr<KeyExpression> key_expr, std::shared_ptr<KeyExpression> for_expr) {
    has_tag_ = true;
    info_ = {};
    info_.name = header_.name;
    info_.key = header_.key;
    info_.condition = header_.condition;
    info_.type = type;
    info_.key_length = header_.key_length;
    info_.decimals = header_.decimals;
    info_.unique = header_.unique;
    info_.descending = header_.descending;
    weight_ = type == KeyType::kCharacter ? codepage_.weight : CodePageEn().weight;
    key_expr_ = std::move(key_expr);
    for_expr_ = std::move(for_expr);
    cache_.clear();
    cursor_.clear();
    cursor_recno_ = 0;
  }

  BagStatus Load() {
    BagStatus st = file_->Size(file_size_);
    if (!st.ok()) return st;
    if (file_size_ < 2 * kPageSize) return Corrupt("fichero demasiado corto");
    unsigned char raw[kPageSize];
    if (!(st = file_->Read(0, raw, kPageSize)).ok()) return st;
    Header h;
    if (!(st = DecodeHeader(raw, file_size_, h)).ok()) return st;
    const bool same = has_tag_ && h.key == header_.key && h.key_length == header_.key_length;
    header_ = h;
    counter_seen_ = h.counter;
    if (same) {
      Adopt(info_.type, key_expr_, for_expr_);
      return BagStatus::Ok();
    }
    std::shared_ptr<KeyExpression> key_expr, for_expr;
    KeyType type = KeyType::kCharacter;
    std::unique_ptr<KeyExpression> compiled;
    if (compiler_.Compile(h.key, compiled).ok() && compiled) {
      key_expr = std::move(compiled);
      KeyValue v;
      if (key_expr->Evaluate(v).ok()) type = v.type;
    }
    if (!h.condition.empty() && compiler_.Compile(h.condition, compiled).ok() && compiled) for_expr = std::move(compiled);
    if (type == KeyType::kLogical && h.key_length != 1) type = KeyType::kCharacter;
    if (type == KeyType::kDate && h.key_length != 8) type = KeyType::kCharacter;
    Adopt(type, key_expr, for_expr);
    return BagStatus::Ok();
  }

  BagStatus Acquire(bool exclusive) {
    if (!options_.shared) return BagStatus::Ok();
    if (depth_++ > 0) return BagStatus::Ok();
    BagStatus st;
    for (int i = 0; i < kLockTries; ++i) {
      st = file_->Lock(kLockOffset, 1, exclusive);
      if (st.code != BagCode::kLocked) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!st.ok()) {
      depth_ = 0;
      return st;
    }
    std::uint64_t size = 0;
    st = file_->Size(size);
    if (st.ok() && size >= 4) {
      unsigned char c[2];
      st = file_->Read(2, c, 2);
      const std::uint16_t counter = std::uint16_t(c[0] | c[1] << 8);
      if (st.ok() && (counter != counter_seen_ || !loaded_)) {
        st = Load();
        loaded_ = st.ok();
      }
    }
    if (!st.ok()) Release();
    return st;
  }

  void Release() {
    if (!options_.shared || depth_ == 0) return;
    if (--depth_ == 0) file_->Unlock(kLockOffset, 1);
  }

  BagStatus EndWrite() {
    BagStatus st;
    if (options_.shared && depth_ == 1 && changed_) {
      header_.counter = std::uint16_t(header_.counter + 1);
      counter_seen_ = header_.counter;
      unsigned char c[2] = {std::uint8_t(header_.counter), std::uint8_t(header_.counter >> 8)};
      st = file_->Write(2, c, 2);
      if (st.ok()) st = file_->Flush();
    }
    changed_ = false;
    Release();
    return st;
  }

  int Compare(const std::string& a, const std::string& b, std::size_t n) const {
    for (std::size_t i = 0; i < n; ++i) {
      const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
      if (x != y) return weight_[x] < weight_[y] ? -1 : 1;
    }
    return 0;
  }
  // Key order as stored: a descending tag keeps its keys from the greatest down.
  int Order(const std::string& a, const std::string& b, std::size_t n) const {
    const int c = Compare(a, b, n);
    return info_.descending ? -c : c;
  }

  BagStatus Load(std::uint32_t offset, PagePtr& out) {
    auto it = cache_.find(offset);
    if (it != cache_.end()) {
      out = it->second;
      return BagStatus::Ok();
    }
    if (offset < kPageSize || offset % kPageSize != 0 || offset + kPageSize > file_size_)
      return Corrupt("puntero de página fuera del fichero");
    unsigned char raw[kPageSize];
    BagStatus st = file_->Read(offset, raw, kPageSize);
    if (!st.ok()) return st;
    auto page = std::make_shared<Page>();
    if (!(st = DecodePage(raw, header_, offset, *page)).ok()) return st;
    if (cache_.size() > 4096) cache_.clear();
    cache_[offset] = page;
    out = std::move(page);
    return BagStatus::Ok();
  }

  BagStatus Store(const Page& page) {
    std::string raw;
    EncodePage(page, header_, raw);
    BagStatus st = file_->Write(page.offset, raw.data(), raw.size());
    if (st.ok()) file_size_ = std::max<std::uint64_t>(file_size_, page.offset + kPageSize);
    return st;
  }

  std::uint32_t Allocate() {
    const std::uint64_t at = (file_size_ + kPageSize - 1) / kPageSize * kPageSize;
    file_size_ = at + kPageSize;
    return std::uint32_t(at);
  }

  bool AtEntry(const Path& p) const {
    return !p.empty() && p.back().index >= 0 && p.back().index < p.back().page->count();
  }
  const Item& Current(const Path& p) const { return p.back().page->items[p.back().index]; }

  // Goes down from `offset` to a leaf along the first (or last) children.
  BagStatus DownEdge(std::uint32_t offset, bool last, Path& path) {
    for (;;) {
      if (path.size() >= std::size_t(kMaxDepth)) return Corrupt("árbol demasiado profundo o con bucles");
      PagePtr page;
      BagStatus st = Load(offset, page);
      if (!st.ok()) return st;
      const int n = page->count();
      if (page->leaf()) {
        path.push_back({page, last ? n - 1 : 0});
        return BagStatus::Ok();
      }
      path.push_back({page, last ? n : 0});
      offset = page->items[last ? n : 0].child;
    }
  }

  BagStatus Edge(bool last, Path& path) {
    path.clear();
    BagStatus st = DownEdge(header_.root, last, path);
    if (st.ok() && !AtEntry(path) && path.size() > 1) return Corrupt("página vacía");
    return st;
  }

  template <class Ge> BagStatus Descend(const Ge& ge, Path& path) {
    path.clear();
    std::uint32_t offset = header_.root;
    for (;;) {
      if (path.size() >= std::size_t(kMaxDepth)) return Corrupt("árbol demasiado profundo o con bucles");
      PagePtr page;
      BagStatus st = Load(offset, page);
      if (!st.ok()) return st;
      int i = 0;
      while (i < page->count() && !ge(page->items[i])) ++i;
      path.push_back({page, i});
      if (page->leaf()) break;
      offset = page->items[i].child;
    }
    // Past the end of a leaf: the answer is the key above it (or nothing).
    while (!path.empty() && path.back().index >= path.back().page->count()) path.pop_back();
    return BagStatus::Ok();
  }

  BagStatus Step(Path& path, bool forward, bool& moved) {
    moved = false;
    if (path.empty()) return BagStatus::Ok();
    Path work = path;
    for (std::uint64_t guard = 0; guard < kMaxSteps; ++guard) {
      Level& top = work.back();
      BagStatus st;
      if (!top.page->leaf()) {
        // Interior key: its neighbour is at the edge of the subtree beside it.
        const int child = forward ? top.index + 1 : top.index;
        top.index = child;
        if (!(st = DownEdge(top.page->items[child].child, !forward, work)).ok()) return st;
      } else if (forward ? top.index + 1 < top.page->count() : top.index > 0) {
        top.index += forward ? 1 : -1;
      } else {
        work.pop_back();
        while (!work.empty() && (forward ? work.back().index >= work.back().page->count() : work.back().index == 0))
          work.pop_back();
        if (work.empty()) return BagStatus::Ok();
        if (!forward) --work.back().index;
      }
      if (AtEntry(work)) {
        path = std::move(work);
        moved = true;
        return BagStatus::Ok();
      }
      return Corrupt("página vacía");
    }
    return Corrupt("recorrido sin fin");
  }

  BagStatus Settle(Path& path, bool forward, const RecordFilter& visible, bool& at) {
    at = AtEntry(path);
    while (at && visible && !visible(Current(path).recno)) {
      bool moved;
      BagStatus st = Step(path, forward, moved);
      if (!st.ok()) return st;
      if (!moved) at = false;
    }
    return BagStatus::Ok();
  }

  void Remember(const Path& path) {
    cursor_ = AtEntry(path) ? path : Path{};
    cursor_recno_ = AtEntry(path) ? Current(path).recno : 0;
  }

  BagStatus EdgeMove(bool bottom, TagPosition& pos, const RecordFilter& visible) {
    Scope lock(*this);
    if (!lock.status.ok()) return lock.status;
    pos = {};
    if (!has_tag_) return BagStatus::Ok();
    Path path;
    bool at = false;
    BagStatus st = Edge(bottom, path);
    if (st.ok()) st = Settle(path, !bottom, visible, at);
    if (!st.ok()) return st;
    if (at) pos.recno = Current(path).recno;
    Remember(at ? path : Path{});
    return BagStatus::Ok();
  }

  BagStatus EvaluateKey(std::string& key) {
    key.clear();
    if (!key_expr_) return BagStatus::Error(BagCode::kExpression, "Expresión de índice no compilada: " + info_.key);
    if (for_expr_) {
      KeyValue cond;
      BagStatus st = for_expr_->Evaluate(cond);
      if (!st.ok()) return st;
      if (cond.type != KeyType::kLogical) return BagStatus::Error(BagCode::kExpression, "La condición FOR no es lógica");
      if (!cond.logical) return BagStatus::Ok();
    }
    return KeyIgnoringFor(key);
  }

  BagStatus KeyIgnoringFor(std::string& key) {
    if (!key_expr_) return BagStatus::Error(BagCode::kExpression, "Expresión de índice no compilada: " + info_.key);
    KeyValue v;
    BagStatus st = key_expr_->Evaluate(v);
    if (!st.ok()) return st;
    if (!EncodeKey(v, info_.type, header_.key_length, header_.decimals, key))
      return BagStatus::Error(BagCode::kExpression, "Tipo de clave distinto del índice: " + info_.key);
    return BagStatus::Ok();
  }

  BagStatus Locate(const std::string& key, std::uint32_t recno, Path& path) {
    return Descend([&](const Item& e) {
      const int c = Order(e.key, key, key.size());
      return c > 0 || (c == 0 && e.recno >= recno);
    }, path);
  }

  // Descends to the leaf slot where (key, recno) belongs; the path ends with the insert index.
  BagStatus PathToLeaf(const std::string& key, std::uint32_t recno, Path& path) {
    path.clear();
    std::uint32_t offset = header_.root;
    for (;;) {
      if (path.size() >= std::size_t(kMaxDepth)) return Corrupt("árbol demasiado profundo o con bucles");
      PagePtr page;
      BagStatus st = Load(offset, page);
      if (!st.ok()) return st;
      int i = 0;
      while (i < page->count()) {
        const int c = Order(page->items[i].key, key, key.size());
        if (c > 0 || (c == 0 && page->items[i].recno >= recno)) break;
        ++i;
      }
      path.push_back({page, i});
      if (page->leaf()) return BagStatus::Ok();
      offset = page->items[i].child;
    }
  }

  BagStatus WriteHeader() {
    std::string raw;
    EncodeHeader(header_, raw);
    return file_->Write(0, raw.data(), raw.size());
  }

  BagStatus Insert(const std::string& key, std::uint32_t recno) {
    cursor_.clear();
    cursor_recno_ = 0;
    Path path;
    BagStatus st;
    if (info_.unique) {
      if (!(st = Descend([&](const Item& e) { return Order(e.key, key, key.size()) >= 0; }, path)).ok()) return st;
      if (AtEntry(path) && Order(Current(path).key, key, key.size()) == 0) return BagStatus::Ok();
    }
    if (!(st = PathToLeaf(key, recno, path)).ok()) return st;
    Item carry{0, recno, key};
    std::uint32_t left_page = 0, right_page = 0;
    for (std::size_t level = path.size(); level-- > 0;) {
      Page& page = *path[level].page;
      const int at = path[level].index;
      if (page.leaf()) {
        page.items.insert(page.items.begin() + at, Item{0, carry.recno, carry.key});
      } else {
        // A child split: the key that came up goes between its two halves.
        page.items.insert(page.items.begin() + at, Item{left_page, carry.recno, carry.key});
        page.items[at + 1].child = right_page;
      }
      if (page.count() <= header_.max_items) return Store(page);
      const int middle = page.count() / 2;
      auto right = std::make_shared<Page>();
      right->offset = Allocate();
      right->items.assign(page.items.begin() + middle + 1, page.items.end());
      carry = page.items[middle];
      page.items.resize(middle + 1);
      page.items[middle] = Item{carry.child, 0, std::string()};
      cache_[right->offset] = right;
      if (!(st = Store(page)).ok() || !(st = Store(*right)).ok()) return st;
      left_page = page.offset;
      right_page = right->offset;
    }
    // The root split: a new root holds the middle key.
    auto root = std::make_shared<Page>();
    root->offset = Allocate();
    root->items = {Item{left_page, carry.recno, carry.key}, Item{right_page, 0, std::string()}};
    cache_[root->offset] = root;
    if (!(st = Store(*root)).ok()) return st;
    header_.root = root->offset;
    return WriteHeader();
  }

  BagStatus Remove(const std::string& key, std::uint32_t recno) {
    cursor_.clear();
    cursor_recno_ = 0;
    Path path;
    BagStatus st = Locate(key, recno, path);
    if (!st.ok()) return st;
    if (!AtEntry(path) || Current(path).recno != recno || Compare(Current(path).key, key, key.size()) != 0)
      return BagStatus::Ok();
    // A key in an interior page is replaced by its predecessor from the leaves.
    if (!path.back().page->leaf()) {
      Level& at = path.back();
      if (!(st = DownEdge(at.page->items[at.index].child, true, path)).ok()) return st;
      const Item pred = Current(path);
      Item& slot = at.page->items[at.index];
      slot.key = pred.key;
      slot.recno = pred.recno;
      if (!(st = Store(*at.page)).ok()) return st;
    }
    Page& leaf = *path.back().page;
    leaf.items.erase(leaf.items.begin() + path.back().index);
    if (leaf.count() > 0 || path.size() == 1) return Store(leaf);
    return FixEmpty(path, path.size() - 1);
  }

  // A page (not the root) has no key left: borrow one through the parent, or merge.
  BagStatus FixEmpty(Path& path, std::size_t level) {
    BagStatus st;
    Page& empty = *path[level].page;
    Page& parent = *path[level - 1].page;
    const int c = path[level - 1].index;  // child index of `empty` in `parent`
    const bool has_left = c > 0;
    PagePtr sibling;
    if (!(st = Load(parent.items[has_left ? c - 1 : c + 1].child, sibling)).ok()) return st;
    Item& sep = parent.items[has_left ? c - 1 : c];
    const std::uint32_t lonely = empty.items[0].child;  // the empty page's only child
    if (sibling->count() > 1) {
      // Rotate one key through the parent.
      if (has_left) {
        Item moved = sibling->items[sibling->count() - 1];
        empty.items = {Item{sibling->items.back().child, sep.recno, sep.key}, Item{lonely, 0, {}}};
        sibling->items.pop_back();
        sibling->items.back() = Item{moved.child, 0, {}};
        sep.key = moved.key;
        sep.recno = moved.recno;
      } else {
        Item moved = sibling->items[0];
        empty.items = {Item{lonely, sep.recno, sep.key}, Item{moved.child, 0, {}}};
        sibling->items.erase(sibling->items.begin());
        sep.key = moved.key;
        sep.recno = moved.recno;
      }
      if (!(st = Store(empty)).ok() || !(st = Store(*sibling)).ok()) return st;
      return Store(parent);
    }
    // Merge the empty page, the separator and the sibling into the sibling.
    if (has_left) {
      sibling->items.back() = Item{sibling->items.back().child, sep.recno, sep.key};
      sibling->items.push_back(Item{lonely, 0, {}});
      parent.items.erase(parent.items.begin() + (c - 1));
      parent.items[c - 1].child = sibling->offset;
    } else {
      sibling->items.insert(sibling->items.begin(), Item{lonely, sep.recno, sep.key});
      parent.items.erase(parent.items.begin() + c);
      parent.items[c].child = sibling->offset;
    }
    cache_.erase(empty.offset);
    if (!(st = Store(*sibling)).ok()) return st;
    if (parent.count() > 0) return Store(parent);
    if (level - 1 == 0) {  // the root lost its last key: its only child becomes the root
      header_.root = parent.items[0].child;
      cache_.erase(parent.offset);
      return WriteHeader();
    }
    return FixEmpty(path, level - 1);
  }

  std::unique_ptr<BagFile> file_;
  ExpressionCompiler& compiler_;
  BagOptions options_;
  const CodePage& codepage_;
  Header header_;
  TagInfo info_;
  bool has_tag_ = false, loaded_ = false, changed_ = false;
  const unsigned char* weight_ = nullptr;
  std::shared_ptr<KeyExpression> key_expr_, for_expr_;
  std::unordered_map<std::uint32_t, PagePtr> cache_;
  Path cursor_;
  std::uint32_t cursor_recno_ = 0;
  std::uint64_t file_size_ = 0;
  std::uint16_t counter_seen_ = 0;
  int depth_ = 0;
};

}  // namespace
}  // namespace ntx

BagStatus OpenNtx(std::unique_ptr<BagFile> file, ExpressionCompiler& compiler, const BagOptions& options,
                  std::unique_ptr<OrderBag>& out) {
  auto bag = std::make_unique<ntx::NtxBag>(std::move(file), compiler, options);
  BagStatus st = bag->Open();
  if (st.ok() && bag->TagCount() == 0) st = BagStatus::Error(BagCode::kCorrupt, "Índice NTX dañado: sin etiqueta");
  if (st.ok()) out = std::move(bag);
  return st;
}

BagStatus CreateNtx(std::unique_ptr<BagFile> file, ExpressionCompiler& compiler, const BagOptions& options,
                    std::unique_ptr<OrderBag>& out) {
  auto bag = std::make_unique<ntx::NtxBag>(std::move(file), compiler, options);
  BagStatus st = bag->Create();
  if (st.ok()) out = std::move(bag);
  return st;
}

}  // namespace xb::rdd
