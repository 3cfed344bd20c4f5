// One tag of a CDX file: a B+ tree of compressed leaves, walked, searched and changed here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "runtime/rdd/cdx_format.h"
#include "runtime/rdd/cdx_page.h"
#include "runtime/rdd/order_bag.h"

namespace xb::rdd::cdx {

// What a tag needs from its bag: the index lock around each operation.
class TagHost {
 public:
  virtual ~TagHost() = default;
  virtual BagStatus BeginRead() = 0;
  virtual void EndRead() = 0;
  // True when the pages cached may be read without the lock: nobody changed the file since.
  virtual bool Unchanged() { return false; }
  virtual BagStatus BeginWrite() = 0;
  virtual BagStatus EndWrite() = 0;
};

class CdxTag : public Tag {
 public:
  // `weight` orders character keys (a code page's collation); `min_recno_bits_for` is the least
  // record number a rewritten leaf must be able to hold (the directory keeps file offsets).
  CdxTag(TagHost& host, PageFile& file, std::uint32_t header_offset, const TagHeader& header,
         KeyType type, std::string name, const unsigned char* weight, std::uint32_t min_recno_hint = 0);

  // ---- Tag
  const TagInfo& Info() const override { return info_; }
  BagStatus GoTop(TagPosition& pos, const RecordFilter& visible) override;
  BagStatus GoBottom(TagPosition& pos, const RecordFilter& visible) override;
  BagStatus Skip(std::uint32_t from, std::int64_t n, TagPosition& pos, bool& bof_eof,
                 const RecordFilter& visible) override;
  BagStatus Seek(const KeyValue& key, SeekMode mode, bool last, TagPosition& pos,
                 const RecordFilter& visible) override;
  BagStatus KeyCount(std::uint32_t& count, const RecordFilter& visible) override;
  BagStatus KeyNo(std::uint32_t recno, std::uint32_t& position, const RecordFilter& visible) override;
  BagStatus CurrentKeyValue(KeyValue& out) override;

  // ---- For the bag
  std::uint32_t header_offset() const { return header_offset_; }
  const TagHeader& header() const { return header_; }
  void SetExpressions(std::shared_ptr<KeyExpression> key, std::shared_ptr<KeyExpression> condition) {
    key_expr_ = std::move(key);
    for_expr_ = std::move(condition);
  }
  const std::shared_ptr<KeyExpression>& key_expression() const { return key_expr_; }
  const std::shared_ptr<KeyExpression>& for_expression() const { return for_expr_; }
  // Forgets cached pages and the position (another process changed the file).
  void Invalidate(std::uint32_t header_offset, const TagHeader& header);
  // The stored key of the current record; empty when the FOR condition excludes it.
  BagStatus EvaluateKey(std::string& key);
  // Changes the keys of one record (locks already held by the caller).
  BagStatus Insert(const std::string& key, std::uint32_t recno);
  BagStatus Remove(const std::string& key, std::uint32_t recno);
  // Every entry in physical order (tests and the tag directory).
  BagStatus Entries(std::vector<Entry>& out);

  // Writes a whole tree for sorted keys into `region`, whose first byte lies at file offset
  // `base` (right after the tag header); pages are numbered in the order they fill. Returns the
  // root page offset.
  static std::uint32_t BuildTree(const std::vector<SortedKey>& keys, int key_length, char fill,
                                 std::uint32_t max_recno, std::uint32_t base, std::string& region);

  int Compare(const std::string& a, const std::string& b, std::size_t n) const;
  // Pages kept decoded; past kCachedPages the cache starts again.
  static constexpr std::size_t kCachedPages = 4096;
  std::size_t cached_pages() const { return cache_.size(); }

 private:
  using PagePtr = std::shared_ptr<Page>;
  struct Level { PagePtr page; int index; };
  using Path = std::vector<Level>;

  BagStatus Load(std::uint32_t offset, PagePtr& out);
  BagStatus SeekIn(const KeyValue& key, SeekMode mode, bool last, TagPosition& pos, const RecordFilter& visible);
  BagStatus Store(const Page& page);
  // Descends to the first entry for which `ge` holds (entries are in ascending order); an empty
  // path means the tag is empty; index == size at the leaf means "after the last entry".
  template <class Ge> BagStatus Descend(const Ge& ge, Path& path);
  BagStatus Edge(bool last, Path& path);
  BagStatus Step(Path& path, bool forward, bool& moved);
  bool AtEntry(const Path& path) const;
  const Entry& Current(const Path& path) const { return path.back().page->entries[path.back().index]; }
  BagStatus Locate(const std::string& key, std::uint32_t recno, Path& path);
  BagStatus Settle(Path& path, bool forward, const RecordFilter& visible, bool& at_entry);
  void Remember(const Path& path);
  // Writes the page at `level` (splitting it when it overflows; `inserted` is where its new
  // entry went) and the parents' last keys when `last_changed`.
  BagStatus WriteBack(Path& path, std::size_t level, bool last_changed, std::size_t inserted = 0);
  BagStatus Split(Path& path, std::size_t level, std::size_t inserted);
  BagStatus Lend(Path& path, std::size_t level, bool& lent);
  std::uint32_t MaxRecno(const Page& page) const;

  TagHost& host_;
  PageFile& file_;
  std::uint32_t header_offset_;
  TagHeader header_;
  TagInfo info_;
  char fill_;
  const unsigned char* weight_;
  std::uint32_t min_recno_hint_;
  std::shared_ptr<KeyExpression> key_expr_, for_expr_;
  std::unordered_map<std::uint32_t, PagePtr> cache_;
  // Set while a seek reads cached pages only; a page missing from the cache then sets missed_.
  bool cached_only_ = false, missed_ = false;
  // Position: the entry last answered, kept to skip from it without a search.
  Path cursor_;
  std::uint32_t cursor_recno_ = 0;
};

}  // namespace xb::rdd::cdx
