// A compound index file: the tag directory, the tags in creation order, the index lock.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <utility>

#include "runtime/rdd/cdx_format.h"
#include "runtime/rdd/cdx_page.h"
#include "runtime/rdd/cdx_tag.h"
#include "runtime/rdd/key_sort.h"
#include "runtime/rdd/order_bag.h"
#include "runtime/rdd/spare_buffers.h"

namespace xb::rdd {
namespace cdx {
namespace {

// The byte other processes of the suite lock while they read (shared) or change (exclusive) it.
constexpr std::uint64_t kLockOffset = 0x7FFFFFFEu;
constexpr int kLockTries = 2000;  // 5 ms apart: ten seconds
// The directory's record numbers are file offsets: its leaves always hold 24-bit numbers.
constexpr std::uint32_t kDirectoryRecnoHint = 0xFFFFFF;

std::string TagName(std::string_view name) {
  std::string n = Upper(CodePageEn(), name);
  while (!n.empty() && (n.back() == ' ' || n.back() == '\0')) n.pop_back();
  return n;
}

BagStatus CompileIfNeeded(ExpressionCompiler& compiler, const std::string& text, std::shared_ptr<KeyExpression>& expr) {
  if (expr) return BagStatus::Ok();
  std::unique_ptr<KeyExpression> compiled;
  BagStatus st = compiler.Compile(text, compiled);
  if (!st.ok()) return st;
  if (!compiled) return BagStatus::Error(BagCode::kExpression, "Expresión no válida: " + text);
  expr = std::move(compiled);
  return BagStatus::Ok();
}

// The stored form of each tag's keys: the first value fixes the type and the length.
std::vector<KeyEncoder> Encoders(const std::vector<TagSpec>& specs) {
  std::vector<KeyEncoder> encoders;
  encoders.reserve(specs.size());
  for (const TagSpec& spec : specs) {
    encoders.push_back([key = spec.key](const KeyValue& v, bool first, KeySet& s, std::string& out) {
      if (first) {
        s.type = v.type;
        s.key_length = v.type == KeyType::kCharacter ? int(v.text.size()) : v.type == KeyType::kLogical ? 1 : 8;
        if (s.key_length == 0 || s.key_length > kMaxKeyLength)
          return BagStatus::Error(BagCode::kBadArgument, "Longitud de clave no válida: " + key);
      }
      if (!EncodeKey(v, s.type, s.key_length, out))
        return BagStatus::Error(BagCode::kExpression, "Tipo de clave distinto en un registro: " + key);
      return BagStatus::Ok();
    });
  }
  return encoders;
}

// The specs checked (name) and compiled, ready for their keys.
std::unique_ptr<TagKeys> StartTags(const std::vector<TagSpec>& specs, ExpressionCompiler& compiler) {
  std::vector<BagStatus> each(specs.size(), BagStatus::Ok());
  std::vector<TagSpec> compiled(specs);
  for (std::size_t i = 0; i < specs.size(); ++i) {
    const std::string name = TagName(specs[i].name);
    if (name.empty() || name.size() > std::size_t(kTagNameLength)) {
      each[i] = BagStatus::Error(BagCode::kBadArgument, "Nombre de etiqueta no válido: " + specs[i].name);
      continue;
    }
    each[i] = CompileIfNeeded(compiler, specs[i].key, compiled[i].key_expr);
    if (each[i].ok() && !specs[i].condition.empty())
      each[i] = CompileIfNeeded(compiler, specs[i].condition, compiled[i].for_expr);
  }
  std::vector<KeyEncoder> encoders = Encoders(compiled);
  return std::make_unique<TagKeys>(std::move(compiled), std::move(each), std::move(encoders));
}

class CdxBag : public OrderBag, public TagHost {
 public:
  CdxBag(std::unique_ptr<BagFile> file, ExpressionCompiler& compiler, const BagOptions& options)
      : file_(std::move(file)), compiler_(compiler), options_(options),
        codepage_(options.codepage ? *options.codepage : CurrentCodePage()) {}

  BagStatus Open() {
    if (!options_.shared) return Load();
    BagStatus st = Acquire(false);
    if (st.ok()) Release();
    return st;
  }

  BagStatus Create() {
    BagStatus st = WriteEmpty();
    return st.ok() ? Load() : st;
  }

  // An empty compound file: header and an empty tag directory.
  BagStatus WriteEmpty() {
    BagStatus st = file_.file().Truncate(0);
    if (!st.ok()) return st;
    if (!(st = file_.Refresh()).ok()) return st;
    TagHeader h;
    h.file_header = true;
    h.options = kOptCompact | kOptCompound | kOptStructural;
    h.key_length = kTagNameLength;
    h.root = kHeaderSize;
    std::string raw, leaf;
    if (!(st = EncodeTagHeader(h, raw)).ok()) return st;
    Page root;
    root.attr = kAttrRoot | kAttrLeaf;
    EncodeLeaf(root, kTagNameLength, ' ', LeafBitsFor(kTagNameLength, kDirectoryRecnoHint), leaf);
    file_.Allocate(kHeaderSize + kPageSize);
    if (!(st = file_.WriteAt(0, raw + leaf)).ok()) return st;
    directory_header_ = h;
    directory_ = std::make_unique<CdxTag>(*this, file_, 0, h, KeyType::kCharacter, "", CodePageEn().weight,
                                          kDirectoryRecnoHint);
    return BagStatus::Ok();
  }

  // Reads the file header and the tag directory; keeps tag objects (and their positions) of
  // tags that are still there.
  BagStatus Load() {
    BagStatus st = file_.Refresh();
    if (!st.ok()) return st;
    if (file_.size() < kHeaderSize + kPageSize) return Corrupt("fichero demasiado corto");
    std::string raw(kHeaderSize, '\0');
    if (!(st = file_.file().Read(0, raw.data(), kHeaderSize)).ok()) return st;
    TagHeader h;
    if (!(st = DecodeTagHeader(reinterpret_cast<const unsigned char*>(raw.data()), h)).ok()) return st;
    if (!(h.options & kOptCompound) || h.key_length != kTagNameLength) return Corrupt("no es un índice compuesto");
    directory_header_ = h;
    directory_ = std::make_unique<CdxTag>(*this, file_, 0, h, KeyType::kCharacter, "", CodePageEn().weight,
                                          kDirectoryRecnoHint);
    std::vector<Entry> entries;
    if (!(st = directory_->Entries(entries)).ok()) return st;
    std::vector<std::unique_ptr<CdxTag>> tags;
    for (const Entry& e : entries) {
      const std::string name = TagName(e.key);
      if (name.empty() || !file_.Valid(e.recno, kHeaderSize)) return Corrupt("directorio de etiquetas no válido");
      for (const auto& t : tags)
        if (t->header_offset() == e.recno || t->Info().name == name) return Corrupt("etiqueta repetida");
      std::string th_raw;
      if (!(st = file_.ReadAt(e.recno, kHeaderSize, th_raw)).ok()) return st;
      TagHeader th;
      if (!(st = DecodeTagHeader(reinterpret_cast<const unsigned char*>(th_raw.data()), th)).ok()) return st;
      auto old = std::find_if(tags_.begin(), tags_.end(), [&](const auto& t) { return t && t->Info().name == name; });
      if (old != tags_.end() && (*old)->header().key == th.key) {
        (*old)->Invalidate(e.recno, th);
        tags.push_back(std::move(*old));
        continue;
      }
      std::shared_ptr<KeyExpression> key_expr, for_expr;
      KeyType type = KeyType::kCharacter;
      std::unique_ptr<KeyExpression> compiled;
      if (compiler_.Compile(th.key, compiled).ok() && compiled) {
        key_expr = std::move(compiled);
        KeyValue v;
        if (key_expr->Evaluate(v).ok()) type = v.type;
      }
      if (!th.condition.empty() && compiler_.Compile(th.condition, compiled).ok() && compiled)
        for_expr = std::move(compiled);
      if ((type == KeyType::kNumeric || type == KeyType::kDate) && th.key_length != 8) type = KeyType::kCharacter;
      if (type == KeyType::kLogical && th.key_length != 1) type = KeyType::kCharacter;
      auto tag = std::make_unique<CdxTag>(*this, file_, e.recno, th, type, name, codepage_.weight);
      tag->SetExpressions(std::move(key_expr), std::move(for_expr));
      tags.push_back(std::move(tag));
    }
    // Creation order is the order of the tag headers in the file.
    std::sort(tags.begin(), tags.end(), [](const auto& a, const auto& b) { return a->header_offset() < b->header_offset(); });
    tags_ = std::move(tags);
    counter_ = h.counter;
    return BagStatus::Ok();
  }

  // ---- OrderBag
  BagKind Kind() const override { return BagKind::kCdx; }
  int TagCount() const override { return int(tags_.size()); }
  Tag* TagAt(int index) override { return index >= 0 && index < int(tags_.size()) ? tags_[index].get() : nullptr; }
  int FindTag(std::string_view name) const override {
    const std::string n = TagName(name);
    for (std::size_t i = 0; i < tags_.size(); ++i)
      if (tags_[i]->Info().name == n) return int(i);
    return -1;
  }

  BagStatus CreateTag(const TagSpec& spec, RecordSource& records) override {
    std::vector<BagStatus> each;
    CreateTags({spec}, records, each);
    return each[0];
  }

  void CreateTags(const std::vector<TagSpec>& specs, RecordSource& records, std::vector<BagStatus>& each) override {
    std::unique_ptr<TagKeys> keys = StartTags(specs, compiler_);
    CreateTags(*keys, records, each);
  }

  void CreateTags(TagKeys& keys, RecordSource& records, std::vector<BagStatus>& each) override {
    if (!keys.gathered()) keys.Gather(records);
    SortTags(keys);
    each = keys.each();
    const std::vector<TagSpec>& specs = keys.specs();
    std::vector<KeySet>& sets = keys.sets();
    const BagStatus settled = records.BeforeWrite();
    for (std::size_t i = 0; i < specs.size(); ++i) {
      if (each[i].ok() && !settled.ok()) each[i] = settled;
      if (!each[i].ok()) continue;
      BagStatus st = BeginWrite();
      if (!st.ok()) {
        each[i] = st;
        continue;
      }
      const std::string name = TagName(specs[i].name);
      if (FindTag(name) >= 0) st = DropTag(name);
      if (st.ok()) st = WriteTag(name, specs[i], sets[i], nullptr);
      BagStatus end = EndWrite();
      each[i] = st.ok() ? end : st;
      sets[i] = KeySet();  // its buffers go back for the next tag
    }
  }

  void SortTags(TagKeys& keys) override {
    if (!keys.gathered() || keys.sorted()) return;
    Sort(keys);
    keys.MarkSorted();
  }

  BagStatus Rebuild(RecordSource& records) override {
    std::vector<TagSpec> specs;
    std::vector<BagStatus> each;
    for (const auto& tag : tags_) {
      const TagInfo& info = tag->Info();
      TagSpec spec;
      spec.name = info.name;
      spec.key = info.key;
      spec.condition = info.condition;
      spec.unique = info.unique;
      spec.descending = info.descending;
      spec.key_expr = tag->key_expression();  // a rebuild takes every record: no scope
      spec.for_expr = tag->for_expression();
      BagStatus st = CompileIfNeeded(compiler_, spec.key, spec.key_expr);
      if (st.ok() && !spec.condition.empty()) st = CompileIfNeeded(compiler_, spec.condition, spec.for_expr);
      if (!st.ok()) return st;
      specs.push_back(std::move(spec));
      each.push_back(BagStatus::Ok());
    }
    TagKeys keys(specs, each, Encoders(specs));
    keys.Gather(records);
    Sort(keys);
    for (const BagStatus& st : keys.each())
      if (!st.ok()) return st;
    std::vector<KeySet>& sets = keys.sets();
    BagStatus st = records.BeforeWrite();
    if (!st.ok()) return st;
    st = BeginWrite();
    if (!st.ok()) return st;
    std::vector<std::unique_ptr<CdxTag>> keep = std::move(tags_);
    tags_.clear();
    st = WriteEmpty();
    for (std::size_t i = 0; i < specs.size() && st.ok(); ++i)
      st = WriteTag(TagName(specs[i].name), specs[i], sets[i], std::move(keep[i]));
    BagStatus end = EndWrite();
    return st.ok() ? end : st;
  }

  BagStatus DestroyTag(std::string_view name) override {
    BagStatus st = BeginWrite();
    if (!st.ok()) return st;
    st = DropTag(TagName(name));
    BagStatus end = EndWrite();
    return st.ok() ? end : st;
  }

  BagStatus CurrentKeys(RecordKeys& out) override {
    out.keys.assign(tags_.size(), std::string());
    for (std::size_t i = 0; i < tags_.size(); ++i) {
      BagStatus st = tags_[i]->EvaluateKey(out.keys[i]);
      if (!st.ok()) return st;
    }
    return BagStatus::Ok();
  }

  BagStatus UpdateKeys(std::uint32_t recno, const RecordKeys* before) override {
    if (options_.read_only) return BagStatus::Error(BagCode::kReadOnly, "Índice abierto sólo para lectura");
    RecordKeys after;
    BagStatus st = CurrentKeys(after);
    if (!st.ok()) return st;
    if (!(st = BeginWrite()).ok()) return st;
    for (std::size_t i = 0; i < tags_.size() && st.ok(); ++i) {
      const std::string old = before && i < before->keys.size() ? before->keys[i] : std::string();
      if (before && old == after.keys[i]) continue;
      if (!old.empty()) st = tags_[i]->Remove(old, recno);
      if (st.ok() && !after.keys[i].empty()) st = tags_[i]->Insert(after.keys[i], recno);
    }
    BagStatus end = EndWrite();
    return st.ok() ? end : st;
  }

  BagStatus Flush() override { return file_.file().Flush(); }

  // ---- TagHost: the index lock and the change counter
  BagStatus BeginRead() override { return Acquire(false); }
  // Nobody changed the file since its pages were cached: a read of cached pages needs no
  // lock (a change in progress is not seen: the pages are the ones before it).
  bool Unchanged() override {
    if (!options_.shared || depth_ > 0 || !directory_) return false;
    unsigned char bytes[4];
    if (!file_.file().Read(8, bytes, 4).ok()) return false;
    return (bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24) == counter_;
  }
  void EndRead() override { Release(); }
  BagStatus BeginWrite() override {
    if (options_.read_only) return BagStatus::Error(BagCode::kReadOnly, "Índice abierto sólo para lectura");
    BagStatus st = Acquire(true);
    if (st.ok()) changed_ = true;
    return st;
  }
  BagStatus EndWrite() override {
    BagStatus st;
    if (options_.shared && depth_ == 1 && changed_) {
      // Tell other processes to drop what they cached.
      ++counter_;
      char bytes[4];
      for (int i = 0; i < 4; ++i) bytes[i] = char(counter_ >> (8 * i));
      st = file_.file().Write(8, bytes, 4);
      if (st.ok()) st = file_.file().Flush();
      changed_ = false;
    }
    Release();
    return st;
  }

 private:
  static BagStatus Corrupt(const char* what) {
    return BagStatus::Error(BagCode::kCorrupt, std::string("Índice CDX dañado: ") + what);
  }

  BagStatus Acquire(bool exclusive) {
    if (!options_.shared) return BagStatus::Ok();
    if (depth_++ > 0) return BagStatus::Ok();
    BagStatus st;
    for (int i = 0; i < kLockTries; ++i) {
      st = file_.file().Lock(kLockOffset, 1, exclusive);
      if (st.code != BagCode::kLocked) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!st.ok()) {
      depth_ = 0;
      return st;
    }
    // Another process may have changed the file since we last looked.
    unsigned char bytes[4];
    st = file_.file().Read(8, bytes, 4);
    const std::uint32_t counter = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | std::uint32_t(bytes[3]) << 24;
    // Load reads the size again; it changes only with the counter, but a change is checked.
    if (st.ok() && (counter != counter_ || !directory_)) st = Load();
    else if (st.ok() && exclusive) st = file_.Refresh();
    if (!st.ok()) Release();
    return st;
  }

  void Release() {
    if (!options_.shared || depth_ == 0) return;
    if (--depth_ == 0) file_.file().Unlock(kLockOffset, 1);
  }

  BagStatus DropTag(const std::string& name) {
    const int i = FindTag(name);
    if (i < 0) return BagStatus::Error(BagCode::kNotFound, "No existe la etiqueta " + name);
    std::string key = name;
    key.resize(kTagNameLength, ' ');
    BagStatus st = directory_->Remove(key, tags_[i]->header_offset());
    if (st.ok()) tags_.erase(tags_.begin() + i);
    return st;
  }

  // Sorts the keys of each tag gathered (a unique tag keeps the first record of a key) and
  // builds its pages.
  void Sort(TagKeys& keys) const {
    for (std::size_t i = 0; i < keys.specs().size(); ++i) {
      if (!keys.each()[i].ok()) continue;
      KeySet& set = keys.sets()[i];
      SortKeys(set, set.type == KeyType::kCharacter ? codepage_.weight : CodePageEn().weight, false);
      if (keys.specs()[i].unique) UniqueKeys(set);
      auto sorted = TakeSpare<std::vector<SortedKey>>(set.order.size() * sizeof(SortedKey));
      sorted.reserve(set.order.size());
      for (std::uint32_t k : set.order) sorted.push_back({set.keys.data() + std::size_t(k) * set.key_length, set.recnos[k]});
      set.pages = TakeSpare<std::string>(set.order.size() * std::size_t(set.key_length + 4) + 2 * kPageSize);
      set.root = CdxTag::BuildTree(sorted, set.key_length, FillByte(set.type), set.record_count, 0, set.pages);
      GiveBack(std::move(sorted));
      // The pages hold the keys now: the tags of a big table need not keep both.
      GiveBack(std::exchange(set.keys, {}));
      GiveBack(std::exchange(set.recnos, {}));
      GiveBack(std::exchange(set.order, {}));
    }
  }

  // Writes a tag's pages built from its sorted keys at the end of the file and lists it in the
  // directory; `reuse` keeps an existing tag object (and the work area's pointer to it).
  BagStatus WriteTag(const std::string& name, const TagSpec& spec, KeySet& set, std::unique_ptr<CdxTag> reuse) {
    BagStatus st;
    TagHeader h;
    h.key_length = std::uint16_t(set.key_length);
    h.options = kOptCompact | kOptCompound | (spec.unique ? kOptUnique : 0) |
                (spec.condition.empty() ? 0 : kOptFor);
    h.descending = spec.descending;
    h.key = spec.key;
    h.condition = spec.condition;
    const std::uint32_t header_offset = file_.Allocate(kHeaderSize);
    const std::uint32_t base = header_offset + kHeaderSize;
    MovePages(set.pages.data(), set.pages.size(), set.key_length, base);
    h.root = set.root + base;
    file_.Allocate(std::uint32_t(set.pages.size()));
    std::string raw;
    if (!(st = EncodeTagHeader(h, raw)).ok()) return st;
    if (!(st = file_.WriteAt(header_offset, raw)).ok()) return st;
    st = file_.WriteAt(base, set.pages);
    GiveBack(std::move(set.pages));
    if (!st.ok()) return st;
    std::string dir_key = name;
    dir_key.resize(kTagNameLength, ' ');
    if (!(st = directory_->Insert(dir_key, header_offset)).ok()) return st;
    if (reuse) {
      reuse->Invalidate(header_offset, h);
      tags_.push_back(std::move(reuse));
    } else {
      auto tag = std::make_unique<CdxTag>(*this, file_, header_offset, h, set.type, name, codepage_.weight);
      tag->SetExpressions(spec.key_expr, spec.for_expr);
      tags_.push_back(std::move(tag));
    }
    return BagStatus::Ok();
  }

  PageFile file_;
  ExpressionCompiler& compiler_;
  BagOptions options_;
  const CodePage& codepage_;
  TagHeader directory_header_;
  std::unique_ptr<CdxTag> directory_;
  std::vector<std::unique_ptr<CdxTag>> tags_;
  std::uint32_t counter_ = 0;
  int depth_ = 0;
  bool changed_ = false;
};

}  // namespace
}  // namespace cdx

std::unique_ptr<TagKeys> StartCdxTags(const std::vector<TagSpec>& specs, ExpressionCompiler& compiler) {
  return cdx::StartTags(specs, compiler);
}

BagStatus OpenCdx(std::unique_ptr<BagFile> file, ExpressionCompiler& compiler, const BagOptions& options,
                  std::unique_ptr<OrderBag>& out) {
  auto bag = std::make_unique<cdx::CdxBag>(std::move(file), compiler, options);
  BagStatus st = bag->Open();
  if (st.ok()) out = std::move(bag);
  return st;
}

BagStatus CreateCdx(std::unique_ptr<BagFile> file, ExpressionCompiler& compiler, const BagOptions& options,
                    std::unique_ptr<OrderBag>& out) {
  auto bag = std::make_unique<cdx::CdxBag>(std::move(file), compiler, options);
  BagStatus st = bag->Create();
  if (st.ok()) out = std::move(bag);
  return st;
}

}  // namespace xb::rdd
