#include "runtime/rdd/cdx_tag.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace xb::rdd::cdx {
namespace {

constexpr int kMaxDepth = 32;                   // deeper trees are loops in a damaged file
constexpr std::uint64_t kMaxSteps = 1u << 26;   // bound on page steps of one walk

BagStatus Corrupt(const char* what) {
  return BagStatus::Error(BagCode::kCorrupt, std::string("Índice CDX dañado: ") + what);
}

// Holds the bag's index lock for one read.
class ReadScope {
 public:
  explicit ReadScope(TagHost& host) : host_(host), status_(host.BeginRead()) {}
  ~ReadScope() { if (status_.ok()) host_.EndRead(); }
  const BagStatus& status() const { return status_; }
 private:
  TagHost& host_;
  BagStatus status_;
};

}  // namespace

CdxTag::CdxTag(TagHost& host, PageFile& file, std::uint32_t header_offset, const TagHeader& header,
               KeyType type, std::string name, const unsigned char* weight, std::uint32_t min_recno_hint)
    : host_(host), file_(file), header_offset_(header_offset), header_(header), fill_(FillByte(type)),
      weight_(type == KeyType::kCharacter ? weight : CodePageEn().weight), min_recno_hint_(min_recno_hint) {
  info_.name = std::move(name);
  info_.key = header.key;
  info_.condition = header.condition;
  info_.type = type;
  info_.key_length = header.key_length;
  info_.unique = header.options & kOptUnique;
  info_.descending = header.descending;
}

void CdxTag::Invalidate(std::uint32_t header_offset, const TagHeader& header) {
  header_offset_ = header_offset;
  header_ = header;
  info_.key = header.key;
  info_.condition = header.condition;
  info_.key_length = header.key_length;
  info_.unique = header.options & kOptUnique;
  info_.descending = header.descending;
  cache_.clear();
  cursor_.clear();
  cursor_recno_ = 0;
}

int CdxTag::Compare(const std::string& a, const std::string& b, std::size_t n) const {
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x != y) return weight_[x] < weight_[y] ? -1 : 1;
  }
  return 0;
}

BagStatus CdxTag::Load(std::uint32_t offset, PagePtr& out) {
  auto it = cache_.find(offset);
  if (it != cache_.end()) {
    out = it->second;
    return BagStatus::Ok();
  }
  if (cached_only_) {
    missed_ = true;
    return BagStatus::Error(BagCode::kLocked, "página no leída");
  }
  std::string raw;
  BagStatus st = file_.ReadAt(offset, kPageSize, raw);
  if (!st.ok()) return st;
  auto page = std::make_shared<Page>();
  st = DecodePage(reinterpret_cast<const unsigned char*>(raw.data()), offset, header_.key_length, fill_, *page);
  if (!st.ok()) return st;
  if (cache_.size() > kCachedPages) cache_.clear();
  cache_[offset] = page;
  out = std::move(page);
  return BagStatus::Ok();
}

std::uint32_t CdxTag::MaxRecno(const Page& page) const {
  std::uint32_t m = min_recno_hint_;
  for (const Entry& e : page.entries) m = std::max(m, e.recno);
  return m;
}

BagStatus CdxTag::Store(const Page& page) {
  std::string raw;
  if (page.leaf()) {
    if (!EncodeLeaf(page, header_.key_length, fill_, LeafBitsFor(header_.key_length, MaxRecno(page)), raw))
      return Corrupt("hoja sin espacio");
  } else {
    EncodeInterior(page, header_.key_length, raw);
  }
  return file_.WriteAt(page.offset, raw);
}

template <class Ge>
BagStatus CdxTag::Descend(const Ge& ge, Path& path) {
  path.clear();
  std::uint32_t offset = header_.root;
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    PagePtr page;
    BagStatus st = Load(offset, page);
    if (!st.ok()) return st;
    const auto& entries = page->entries;
    int i = 0;
    while (i < int(entries.size()) && !ge(entries[i])) ++i;
    if (page->leaf()) {
      path.push_back({page, i});
      return BagStatus::Ok();
    }
    if (entries.empty()) return Corrupt("página interior vacía");
    if (i == int(entries.size())) i = int(entries.size()) - 1;
    path.push_back({page, i});
    offset = entries[i].child;
  }
  return Corrupt("árbol demasiado profundo o con bucles");
}

BagStatus CdxTag::Edge(bool last, Path& path) {
  path.clear();
  std::uint32_t offset = header_.root;
  for (int depth = 0; depth < kMaxDepth; ++depth) {
    PagePtr page;
    BagStatus st = Load(offset, page);
    if (!st.ok()) return st;
    const int n = int(page->entries.size());
    if (page->leaf()) {
      path.push_back({page, last ? std::max(n - 1, 0) : 0});
      return BagStatus::Ok();
    }
    if (n == 0) return Corrupt("página interior vacía");
    path.push_back({page, last ? n - 1 : 0});
    offset = page->entries[last ? n - 1 : 0].child;
  }
  return Corrupt("árbol demasiado profundo o con bucles");
}

bool CdxTag::AtEntry(const Path& path) const {
  return !path.empty() && path.back().index >= 0 && path.back().index < int(path.back().page->entries.size());
}

BagStatus CdxTag::Step(Path& path, bool forward, bool& moved) {
  moved = false;
  if (path.empty()) return BagStatus::Ok();
  Path work = path;
  for (std::uint64_t guard = 0; guard < kMaxSteps; ++guard) {
    // Climb to the nearest level that has a neighbour in the wanted direction.
    std::size_t level = work.size();
    while (level > 0) {
      Level& l = work[level - 1];
      const int n = int(l.page->entries.size());
      if (forward ? l.index + 1 < n : l.index > 0) break;
      --level;
    }
    if (level == 0) return BagStatus::Ok();  // no neighbour: path unchanged
    work.resize(level);
    work.back().index += forward ? 1 : -1;
    // Down to the leaf at the near edge.
    while (!work.back().page->leaf()) {
      if (work.size() >= std::size_t(kMaxDepth)) return Corrupt("árbol demasiado profundo o con bucles");
      PagePtr child;
      BagStatus st = Load(work.back().page->entries[work.back().index].child, child);
      if (!st.ok()) return st;
      const int n = int(child->entries.size());
      if (!child->leaf() && n == 0) return Corrupt("página interior vacía");
      work.push_back({child, forward ? 0 : std::max(n - 1, 0)});
    }
    if (AtEntry(work)) {
      path = std::move(work);
      moved = true;
      return BagStatus::Ok();
    }
    // An empty leaf inside the tree: keep going.
  }
  return Corrupt("recorrido sin fin");
}

BagStatus CdxTag::Settle(Path& path, bool forward, const RecordFilter& visible, bool& at_entry) {
  at_entry = AtEntry(path);
  if (!visible) return BagStatus::Ok();
  while (at_entry && !visible(Current(path).recno)) {
    bool moved;
    BagStatus st = Step(path, forward, moved);
    if (!st.ok()) return st;
    if (!moved) {
      at_entry = false;
      break;
    }
  }
  return BagStatus::Ok();
}

void CdxTag::Remember(const Path& path) {
  if (AtEntry(path)) {
    cursor_ = path;
    cursor_recno_ = Current(path).recno;
  } else {
    cursor_.clear();
    cursor_recno_ = 0;
  }
}

BagStatus CdxTag::EvaluateKey(std::string& key) {
  key.clear();
  if (!key_expr_) return BagStatus::Error(BagCode::kExpression, "Expresión de índice no compilada: " + info_.key);
  if (for_expr_) {
    KeyValue cond;
    BagStatus st = for_expr_->Evaluate(cond);
    if (!st.ok()) return st;
    if (cond.type != KeyType::kLogical)
      return BagStatus::Error(BagCode::kExpression, "La condición FOR no es lógica: " + info_.condition);
    if (!cond.logical) return BagStatus::Ok();
  }
  KeyValue value;
  BagStatus st = key_expr_->Evaluate(value);
  if (!st.ok()) return st;
  if (!EncodeKey(value, info_.type, info_.key_length, key))
    return BagStatus::Error(BagCode::kExpression, "Tipo de clave distinto del índice: " + info_.key);
  return BagStatus::Ok();
}

BagStatus CdxTag::Locate(const std::string& key, std::uint32_t recno, Path& path) {
  const std::size_t n = header_.key_length;
  return Descend(
      [&](const Entry& e) {
        const int c = Compare(e.key, key, n);
        return c > 0 || (c == 0 && e.recno >= recno);
      },
      path);
}

BagStatus CdxTag::GoTop(TagPosition& pos, const RecordFilter& visible) {
  ReadScope lock(host_);
  if (!lock.status().ok()) return lock.status();
  pos = {};
  Path path;
  BagStatus st = Edge(info_.descending, path);
  bool at = false;
  if (st.ok()) st = Settle(path, !info_.descending, visible, at);
  if (!st.ok()) return st;
  if (at) pos.recno = Current(path).recno;
  Remember(at ? path : Path{});
  return BagStatus::Ok();
}

BagStatus CdxTag::GoBottom(TagPosition& pos, const RecordFilter& visible) {
  ReadScope lock(host_);
  if (!lock.status().ok()) return lock.status();
  pos = {};
  Path path;
  BagStatus st = Edge(!info_.descending, path);
  bool at = false;
  if (st.ok()) st = Settle(path, info_.descending, visible, at);
  if (!st.ok()) return st;
  if (at) pos.recno = Current(path).recno;
  Remember(at ? path : Path{});
  return BagStatus::Ok();
}

BagStatus CdxTag::Skip(std::uint32_t from, std::int64_t n, TagPosition& pos, bool& bof_eof,
                       const RecordFilter& visible) {
  ReadScope lock(host_);
  if (!lock.status().ok()) return lock.status();
  pos = {};
  bof_eof = false;
  if (n == 0) {
    pos.recno = from;
    return BagStatus::Ok();
  }
  const bool phys_forward = (n > 0) != info_.descending;
  std::uint64_t steps = n > 0 ? std::uint64_t(n) : std::uint64_t(-n);
  Path path;
  BagStatus st;
  auto off_the_end = [&] {
    bof_eof = true;
    Remember(Path{});
    return BagStatus::Ok();
  };
  if (from != 0 && from == cursor_recno_ && AtEntry(cursor_)) {
    path = cursor_;
  } else {
    // Lost track (another order moved the record, or the file changed): find the record by
    // its key. When it is not in the tag, the neighbouring key in the direction of the skip
    // counts as the first step.
    std::string key;
    if (!(st = EvaluateKey(key)).ok()) return st;
    if (key.empty()) {
      KeyValue v;
      if (!(st = key_expr_->Evaluate(v)).ok()) return st;
      if (!EncodeKey(v, info_.type, info_.key_length, key)) key.assign(info_.key_length, fill_);
    }
    if (!(st = Locate(key, from, path)).ok()) return st;
    if (!(AtEntry(path) && Current(path).recno == from)) {
      if (!phys_forward) {
        bool moved = false;
        if (AtEntry(path)) st = Step(path, false, moved);
        else { st = Edge(true, path); moved = AtEntry(path); }
        if (!st.ok()) return st;
        if (!moved) return off_the_end();
      } else if (!AtEntry(path)) {
        return off_the_end();
      }
      bool at;
      if (!(st = Settle(path, phys_forward, visible, at)).ok()) return st;
      if (!at) return off_the_end();
      --steps;
    }
  }
  for (; steps > 0; --steps) {
    bool moved = false, at = false;
    st = Step(path, phys_forward, moved);
    if (st.ok() && moved) st = Settle(path, phys_forward, visible, at);
    if (!st.ok()) return st;
    if (!moved || !at) return off_the_end();
  }
  pos.recno = Current(path).recno;
  Remember(path);
  return BagStatus::Ok();
}

// A seek over pages already cached takes no lock when the file is unchanged since they were
// read; a page it lacks sends it to the locked search.
BagStatus CdxTag::Seek(const KeyValue& value, SeekMode mode, bool last, TagPosition& pos,
                       const RecordFilter& visible) {
  if (!cache_.empty() && host_.Unchanged()) {
    cached_only_ = true;
    missed_ = false;
    BagStatus st = SeekIn(value, mode, last, pos, visible);
    cached_only_ = false;
    if (!missed_) return st;
  }
  ReadScope lock(host_);
  if (!lock.status().ok()) return lock.status();
  return SeekIn(value, mode, last, pos, visible);
}

BagStatus CdxTag::SeekIn(const KeyValue& value, SeekMode mode, bool last, TagPosition& pos,
                         const RecordFilter& visible) {
  pos = {};
  std::string key;
  if (value.type != info_.type) {
    Remember(Path{});
    return BagStatus::Ok();
  }
  if (info_.type == KeyType::kCharacter) {
    key = value.text.substr(0, info_.key_length);
  } else {
    EncodeKey(value, info_.type, info_.key_length, key);
  }
  const std::size_t n = key.size();
  // Physical positions: `lower` = first entry >= key, `upper` = first entry > key (prefixes).
  const bool want_upper = info_.descending != last;
  Path path;
  BagStatus st = Descend(
      [&](const Entry& e) {
        const int c = Compare(e.key, key, n);
        return want_upper ? c > 0 : c >= 0;
      },
      path);
  if (!st.ok()) return st;
  bool tag_forward = !last;
  if (want_upper) {
    // The match (or the next key in tag order) is the entry before `upper`.
    bool moved = false;
    if (!AtEntry(path)) {
      st = Edge(true, path);
      moved = AtEntry(path);
    } else {
      st = Step(path, false, moved);
    }
    if (!st.ok()) return st;
    if (!moved) path.clear();
  }
  bool at = false;
  st = Settle(path, tag_forward != info_.descending, visible, at);
  if (!st.ok()) return st;
  if (at) {
    pos.found = Compare(Current(path).key, key, n) == 0;
    if (pos.found || mode == SeekMode::kSoft) pos.recno = Current(path).recno;
  }
  // Not found: a soft seek stands on the next key in tag order, whether the last or the first
  // match was asked for.
  if (last && !pos.found && mode == SeekMode::kSoft) return SeekIn(value, mode, false, pos, visible);
  Remember(pos.recno ? path : Path{});
  return BagStatus::Ok();
}

BagStatus CdxTag::KeyCount(std::uint32_t& count, const RecordFilter& visible) {
  ReadScope lock(host_);
  if (!lock.status().ok()) return lock.status();
  count = 0;
  Path path;
  BagStatus st = Edge(false, path);
  if (!st.ok()) return st;
  while (AtEntry(path)) {
    Level& leaf = path.back();
    if (visible) {
      for (const Entry& e : leaf.page->entries) count += visible(e.recno) ? 1 : 0;
    } else {
      count += std::uint32_t(leaf.page->entries.size());
    }
    leaf.index = int(leaf.page->entries.size()) - 1;
    bool moved;
    st = Step(path, true, moved);
    if (!st.ok()) return st;
    if (!moved) break;
  }
  return BagStatus::Ok();
}

BagStatus CdxTag::KeyNo(std::uint32_t recno, std::uint32_t& position, const RecordFilter& visible) {
  ReadScope lock(host_);
  if (!lock.status().ok()) return lock.status();
  position = 0;
  if (recno == 0 || (visible && !visible(recno))) return BagStatus::Ok();
  std::string key;
  BagStatus st = EvaluateKey(key);
  if (!st.ok() || key.empty()) return st;
  Path target;
  st = Locate(key, recno, target);
  if (!st.ok()) return st;
  if (!AtEntry(target) || Current(target).recno != recno) return BagStatus::Ok();
  // Count from the tag's first key up to the target, leaf by leaf.
  Path path;
  st = Edge(info_.descending, path);
  if (!st.ok()) return st;
  const Page* goal = target.back().page.get();
  const int goal_index = target.back().index;
  std::uint32_t n = 0;
  while (AtEntry(path)) {
    Level& leaf = path.back();
    const auto& entries = leaf.page->entries;
    const bool here = leaf.page.get() == goal;
    int from = 0, to = int(entries.size()) - 1;
    if (here) (info_.descending ? from : to) = goal_index;
    for (int i = from; i <= to; ++i) n += (!visible || visible(entries[i].recno)) ? 1 : 0;
    if (here) {
      position = n;
      return BagStatus::Ok();
    }
    leaf.index = info_.descending ? 0 : int(entries.size()) - 1;
    bool moved;
    st = Step(path, !info_.descending, moved);
    if (!st.ok()) return st;
    if (!moved) break;
  }
  return BagStatus::Ok();
}

BagStatus CdxTag::CurrentKeyValue(KeyValue& out) {
  std::string key;
  BagStatus st = EvaluateKey(key);
  if (!st.ok()) return st;
  out = key.empty() ? KeyValue{} : DecodeKey(key, info_.type);
  return BagStatus::Ok();
}

BagStatus CdxTag::Entries(std::vector<Entry>& out) {
  out.clear();
  Path path;
  BagStatus st = Edge(false, path);
  if (!st.ok()) return st;
  while (AtEntry(path)) {
    Level& leaf = path.back();
    out.insert(out.end(), leaf.page->entries.begin(), leaf.page->entries.end());
    leaf.index = int(leaf.page->entries.size()) - 1;
    bool moved;
    st = Step(path, true, moved);
    if (!st.ok()) return st;
    if (!moved) break;
  }
  return BagStatus::Ok();
}

// ---- Changes ----------------------------------------------------------------------------------

BagStatus CdxTag::WriteBack(Path& path, std::size_t level, bool last_changed, std::size_t inserted) {
  Page& page = *path[level].page;
  const bool fits = page.leaf() ? [&] {
    std::string raw;
    return EncodeLeaf(page, header_.key_length, fill_, LeafBitsFor(header_.key_length, MaxRecno(page)), raw);
  }() : int(page.entries.size()) <= InteriorCapacity(header_.key_length);
  if (!fits) return Split(path, level, inserted);
  BagStatus st = Store(page);
  if (!st.ok() || !last_changed || level == 0 || page.entries.empty()) return st;
  Level& up = path[level - 1];
  Entry& e = up.page->entries[up.index];
  e.key = page.entries.back().key;
  e.recno = page.entries.back().recno;
  return WriteBack(path, level - 1, up.index == int(up.page->entries.size()) - 1);
}

// An interior page one entry over its capacity hands an entry to a sibling under the same
// parent when one has room. With long keys a page holds two entries, and a split leaves one of
// them: without this the tree would grow a level for every few splits.
BagStatus CdxTag::Lend(Path& path, std::size_t level, bool& lent) {
  lent = false;
  Page& page = *path[level].page;
  if (page.leaf() || level == 0 || page.entries.size() < 2) return BagStatus::Ok();
  Level& up = path[level - 1];
  auto& parent = up.page->entries;
  const int capacity = InteriorCapacity(header_.key_length);
  for (const int side : {-1, 1}) {
    const int at = up.index + side;
    if (at < 0 || at >= int(parent.size())) continue;
    PagePtr sibling;
    BagStatus st = Load(parent[at].child, sibling);
    if (!st.ok()) return st;
    if (sibling->leaf() || int(sibling->entries.size()) >= capacity) continue;
    if (side < 0) {
      sibling->entries.push_back(page.entries.front());
      page.entries.erase(page.entries.begin());
    } else {
      sibling->entries.insert(sibling->entries.begin(), page.entries.back());
      page.entries.pop_back();
    }
    for (const auto& [index, p] : {std::pair<int, const Page*>{at, sibling.get()}, {up.index, &page}}) {
      parent[index].key = p->entries.back().key;
      parent[index].recno = p->entries.back().recno;
    }
    if (!(st = Store(*sibling)).ok() || !(st = Store(page)).ok()) return st;
    lent = true;
    return WriteBack(path, level - 1, std::max(at, up.index) == int(parent.size()) - 1);
  }
  return BagStatus::Ok();
}

// `inserted` is where the entry that overflowed the page went.
BagStatus CdxTag::Split(Path& path, std::size_t level, std::size_t inserted) {
  bool lent = false;
  BagStatus st = Lend(path, level, lent);
  if (!st.ok() || lent) return st;
  Page& left = *path[level].page;
  auto right = std::make_shared<Page>();
  right->attr = left.attr & kAttrLeaf;
  // Appending at the end of the tree: the full page stays full and the new entry starts the
  // next one, so appends in key order leave every page full.
  const std::size_t half =
      left.right == kNone && inserted + 1 == left.entries.size() ? inserted : left.entries.size() / 2;
  right->entries.assign(left.entries.begin() + half, left.entries.end());
  left.entries.resize(half);
  right->offset = file_.Allocate(kPageSize);
  right->left = left.offset;
  right->right = left.right;
  if (left.right != kNone) {
    PagePtr next;
    st = Load(left.right, next);
    if (!st.ok()) return st;
    next->left = right->offset;
    st = Store(*next);
    if (!st.ok()) return st;
  }
  left.right = right->offset;
  cache_[right->offset] = right;
  auto as_parent_entry = [](const Page& p) {
    return Entry{p.entries.back().key, p.entries.back().recno, p.offset};
  };
  if (left.root() || level == 0) {  // a damaged file may lack the root mark
    left.attr &= ~kAttrRoot;
    auto root = std::make_shared<Page>();
    root->attr = kAttrRoot;
    root->offset = file_.Allocate(kPageSize);
    root->entries = {as_parent_entry(left), as_parent_entry(*right)};
    cache_[root->offset] = root;
    if (!(st = Store(left)).ok() || !(st = Store(*right)).ok() || !(st = Store(*root)).ok()) return st;
    header_.root = root->offset;
    std::string raw;
    st = EncodeTagHeader(header_, raw);
    return st.ok() ? file_.WriteAt(header_offset_, raw) : st;
  }
  if (!(st = Store(left)).ok() || !(st = Store(*right)).ok()) return st;
  Level& up = path[level - 1];
  auto& entries = up.page->entries;
  entries[up.index] = as_parent_entry(left);
  entries.insert(entries.begin() + up.index + 1, as_parent_entry(*right));
  return WriteBack(path, level - 1, up.index + 1 == int(entries.size()) - 1, std::size_t(up.index) + 1);
}

BagStatus CdxTag::Insert(const std::string& key, std::uint32_t recno) {
  cursor_.clear();
  cursor_recno_ = 0;
  // Pages that splits make are cached without being loaded: the cache is bounded here too.
  if (cache_.size() > kCachedPages) cache_.clear();
  Path path;
  BagStatus st;
  if (info_.unique) {
    st = Descend([&](const Entry& e) { return Compare(e.key, key, key.size()) >= 0; }, path);
    if (!st.ok()) return st;
    if (AtEntry(path) && Compare(Current(path).key, key, key.size()) == 0) return BagStatus::Ok();
  }
  st = Locate(key, recno, path);
  if (!st.ok()) return st;
  if (AtEntry(path) && Current(path).recno == recno && Compare(Current(path).key, key, key.size()) == 0)
    return BagStatus::Ok();  // already there
  Level& leaf = path.back();
  auto& entries = leaf.page->entries;
  entries.insert(entries.begin() + leaf.index, Entry{key, recno, 0});
  return WriteBack(path, path.size() - 1, leaf.index == int(entries.size()) - 1, std::size_t(leaf.index));
}

BagStatus CdxTag::Remove(const std::string& key, std::uint32_t recno) {
  cursor_.clear();
  cursor_recno_ = 0;
  Path path;
  BagStatus st = Locate(key, recno, path);
  if (!st.ok()) return st;
  if (!AtEntry(path) || Current(path).recno != recno || Compare(Current(path).key, key, key.size()) != 0)
    return BagStatus::Ok();  // not in the tag
  for (std::size_t level = path.size(); level-- > 0;) {
    Page& page = *path[level].page;
    const int index = path[level].index;
    page.entries.erase(page.entries.begin() + index);
    if (!page.entries.empty() || level == 0) {
      if (page.entries.empty() && !page.leaf()) page.attr = kAttrRoot | kAttrLeaf;  // empty tree
      return WriteBack(path, level, index == int(page.entries.size()));
    }
    // The page is empty: unlink it from its siblings and drop it from its parent.
    for (std::uint32_t side : {page.left, page.right}) {
      if (side == kNone) continue;
      PagePtr other;
      if (!(st = Load(side, other)).ok()) return st;
      (side == page.left ? other->right : other->left) = side == page.left ? page.right : page.left;
      if (!(st = Store(*other)).ok()) return st;
    }
    cache_.erase(page.offset);
  }
  return BagStatus::Ok();
}

std::uint32_t CdxTag::BuildTree(const std::vector<SortedKey>& keys, int key_length, char fill,
                                std::uint32_t max_recno, std::uint32_t base, std::string& region) {
  const LeafBits bits = LeafBitsFor(key_length, max_recno);
  const LeafPacker packer(key_length, fill, bits);
  const int capacity = InteriorCapacity(key_length);
  region.reserve(keys.size() * std::size_t(bits.bytes + key_length) + 2 * kPageSize);
  auto allocate = [&] {
    const auto at = base + std::uint32_t(region.size());
    region.append(kPageSize, '\0');
    return at;
  };
  auto write = [&](const Page& page) {
    std::string raw;
    EncodeInterior(page, key_length, raw);
    std::memcpy(region.data() + (page.offset - base), raw.data(), kPageSize);
  };
  // A leaf holds a run of the sorted keys, encoded where they lie.
  auto write_leaf = [&](const Page& page, std::size_t begin, std::size_t end) {
    EncodeLeafKeys(keys.data() + begin, int(end - begin), page.attr, page.left, page.right, key_length, fill, bits,
                   region.data() + (page.offset - base));
  };
  auto parent_entry = [&](std::size_t last, std::uint32_t offset) {
    return Entry{std::string(keys[last].key, std::size_t(key_length)), keys[last].recno, offset};
  };
  std::vector<Page> levels;  // the page being filled on each level; [0] is the leaf level (no entries)
  auto open_level = [&](std::uint16_t attr) {
    Page p;
    p.attr = attr;
    p.offset = allocate();
    levels.push_back(std::move(p));
  };
  // Adds an entry to an interior level, closing its page first when it is full.
  std::function<void(std::size_t, Entry)> push = [&](std::size_t level, Entry e) {
    if (levels.size() <= level) open_level(kAttrInterior);
    Page& page = levels[level];
    if (int(page.entries.size()) == capacity) {
      const std::uint32_t next = allocate();
      page.right = next;
      write(page);
      Entry up{page.entries.back().key, page.entries.back().recno, page.offset};
      const std::uint32_t left = page.offset;
      push(level + 1, std::move(up));
      Page& fresh = levels[level];
      fresh.entries.clear();
      fresh.offset = next;
      fresh.left = left;
      fresh.right = kNone;
    }
    levels[level].entries.push_back(std::move(e));
  };
  open_level(kAttrLeaf);
  int used = 0;
  std::size_t leaf_begin = 0;  // first key of the leaf being filled
  for (std::size_t i = 0; i < keys.size(); ++i) {
    // Sorted keys lie scattered over the key set: ask for the coming ones early.
    if (i + 8 < keys.size()) __builtin_prefetch(keys[i + 8].key);
    int cost = packer.Cost(keys[i].key, i > leaf_begin ? keys[i - 1].key : nullptr);
    if (used + cost > LeafPacker::kSpace) {
      const std::uint32_t next = allocate();
      Page& leaf = levels[0];
      leaf.right = next;
      write_leaf(leaf, leaf_begin, i);
      const std::uint32_t left = leaf.offset;
      push(1, parent_entry(i - 1, left));
      Page& fresh = levels[0];
      fresh.offset = next;
      fresh.left = left;
      fresh.right = kNone;
      leaf_begin = i;
      used = 0;
      cost = packer.Cost(keys[i].key, nullptr);
    }
    used += cost;
  }
  // Close the last page of every level, bottom up; the top one is the root.
  for (std::size_t level = 0; level < levels.size(); ++level) {
    Page& page = levels[level];
    if (level + 1 == levels.size()) page.attr |= kAttrRoot;
    if (level == 0) write_leaf(page, leaf_begin, keys.size());
    else write(page);
    if (level + 1 == levels.size()) return page.offset;
    if (level == 0) push(1, parent_entry(keys.size() - 1, page.offset));
    else push(level + 1, Entry{page.entries.back().key, page.entries.back().recno, page.offset});
  }
  return 0;
}

}  // namespace xb::rdd::cdx
