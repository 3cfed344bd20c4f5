#include "app/org/index_data.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>

#include "runtime/codepage.h"
#include "runtime/rdd/file_system.h"
#include "runtime/rdd/key_sort.h"
#include "runtime/rdd/work_threads.h"
#include "runtime/rdd/workareas.h"

namespace app {
namespace {

std::string Key(const std::string& folder, std::string_view table) {
  return folder + xb::Upper(xb::CodePageEn(), table);
}

// Events kept to be told later, in their order.
class HeldEvents final : public OrganiserEvents {
 public:
  void Title(std::string_view title) override {
    Hold([t = std::string(title)](OrganiserEvents& e) { e.Title(t); });
  }
  void Meter(int meter, int value) override {
    Hold([=](OrganiserEvents& e) { e.Meter(meter, value); });
  }
  void TableFailed(const TableFailure& failure) override {
    Hold([failure](OrganiserEvents& e) { e.TableFailed(failure); });
  }
  void Skipped(std::string_view what, std::string_view why) override {
    Hold([w = std::string(what), y = std::string(why)](OrganiserEvents& e) { e.Skipped(w, y); });
  }
  void Noted(std::string_view text) override {
    Hold([t = std::string(text)](OrganiserEvents& e) { e.Noted(t); });
  }
  void Pump() override {
    Hold([](OrganiserEvents& e) { e.Pump(); });
  }

  void TellTo(OrganiserEvents& events) {
    std::vector<std::function<void(OrganiserEvents&)>> held = std::move(held_);
    held_.clear();
    for (const auto& tell : held) tell(events);
  }

 private:
  void Hold(std::function<void(OrganiserEvents&)> tell) { held_.push_back(std::move(tell)); }

  std::vector<std::function<void(OrganiserEvents&)>> held_;
};

}  // namespace

struct CatalogueIndexer::Ahead {
  ~Ahead() {
    if (sorted.valid()) sorted.wait();  // the sort works on `keys`
  }
  bool Sorted() const { return !sorted.valid() || sorted.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }

  std::unique_ptr<OrgTable> table;
  std::string key;
  std::vector<const CatalogueRow*> rows;
  std::unique_ptr<xb::rdd::TagKeys> keys;
  std::size_t key_bytes = 0;  // gathered, before the sort
  std::future<void> sorted;
  HeldEvents held;  // its titles and what its opening met: told once the tables before are finished
};

CatalogueIndexer::CatalogueIndexer(Folders folders, OrganiserEvents& events, bool pack)
    : folders_(std::move(folders)), tell_(&events), pack_(pack) {}

CatalogueIndexer::~CatalogueIndexer() { Close(); }

void CatalogueIndexer::Close() {
  FinishAhead();
  CloseTable();
  PlacePacked();
}

void CatalogueIndexer::CloseTable() {
  CloseTable(*table_);
  last_.clear();
}

void CatalogueIndexer::CloseTable(OrgTable& table) {
  if (table.is_open()) {
    Unplaced u{table.name(), nullptr};
    table.CloseUnplaced(&u.placement);
    if (u.placement && place_aside_) u.placement->PlaceAside();
    if (u.placement) unplaced_.push_back(std::move(u));
  }
  table.Close();
  if (!place_aside_) PlacePacked();
}

// The packed files were synced on another thread meanwhile: here each is waited for and put
// in its place (or its placement there waited for), its index after it.
void CatalogueIndexer::PlacePacked() {
  std::vector<Unplaced> unplaced = std::move(unplaced_);
  unplaced_.clear();
  for (Unplaced& u : unplaced) {
    const xb::rdd::Status s = u.placement->Place();
    if (s.ok()) continue;
    failed_ = true;
    tell_->TableFailed({u.table, s.file().empty() ? u.placement->path() : s.file(), s.os_code(), s.message()});
  }
}

const std::string& CatalogueIndexer::FolderOf(const CatalogueRow& row) const {
  return row.folder == CatalogueFolder::kStart ? folders_.start : folders_.company;
}

bool CatalogueIndexer::IndexRow(const CatalogueRow& row) {
  return IndexTag(row.table, FolderOf(row), row.tag, row.key, row.unique, row.meter);
}

namespace {

std::vector<xb::rdd::TagSpec> SpecsOf(const std::vector<const CatalogueRow*>& rows) {
  std::vector<xb::rdd::TagSpec> specs;
  for (const CatalogueRow* row : rows) {
    xb::rdd::TagSpec spec;
    spec.name = std::string(row->tag);
    spec.key = std::string(row->key);
    spec.unique = row->unique;
    specs.push_back(std::move(spec));
  }
  return specs;
}

}  // namespace

bool CatalogueIndexer::IndexRows(const std::vector<const CatalogueRow*>& rows) {
  FinishAhead();
  if (rows.empty()) return true;
  const CatalogueRow& first = *rows.front();
  const std::string& folder = FolderOf(first);
  const std::vector<xb::rdd::TagSpec> specs = SpecsOf(rows);
  // Opened here, the table's keys are gathered as it is packed.
  std::unique_ptr<xb::rdd::TagKeys> keys;
  if ((last_ != Key(folder, first.table) || !table_->is_open()) && !OpenAndPack(first.table, folder, &specs, &keys)) {
    // Every row tries its table again and reports for itself.
    failed_ = true;
    for (std::size_t i = 1; i < rows.size(); ++i) IndexRow(*rows[i]);
    return false;
  }
  return BuildTags(*table_, rows, specs, keys.get());
}

void CatalogueIndexer::IndexRowsAhead(const std::vector<const CatalogueRow*>& rows) {
  if (rows.empty()) return;
  const CatalogueRow& first = *rows.front();
  const std::string& folder = FolderOf(first);
  const std::string key = Key(folder, first.table);
  // Its own table still open, waiting or yet to be placed, or left unpacked: one table after
  // another, so what placing the tables before meets is told where it was.
  const std::string path = TablePath(folder, first.table);
  if (!pack_ || (last_ == key && table_->is_open()) ||
      std::any_of(ahead_.begin(), ahead_.end(), [&](const auto& a) { return a->key == key; }) ||
      std::any_of(unplaced_.begin(), unplaced_.end(), [&](const Unplaced& u) { return u.placement->path() == path; })) {
    FinishAhead();
    for (const CatalogueRow* row : rows)
      if (!row->title.empty()) tell_->Title(row->title);
    IndexRows(rows);
    return;
  }
  auto ahead = std::make_unique<Ahead>();
  ahead->key = key;
  ahead->rows = rows;
  for (const CatalogueRow* row : rows)
    if (!row->title.empty()) ahead->held.Title(row->title);
  // Packed while the tags of the tables before are sorted; what it meets is told after what
  // they met.
  const std::vector<xb::rdd::TagSpec> specs = SpecsOf(rows);
  bool opened = false;
  {
    struct Holding {
      OrganiserEvents*& tell;
      OrganiserEvents* before;
      ~Holding() { tell = before; }
    } holding{tell_, tell_};
    tell_ = &ahead->held;
    opened = OpenAndPack(first.table, folder, &specs, &ahead->keys);
  }
  if (!opened) {
    FinishAhead();
    ahead->held.TellTo(*tell_);
    failed_ = true;
    for (std::size_t i = 1; i < rows.size(); ++i) IndexRow(*rows[i]);
    return;
  }
  ahead->table = std::move(table_);
  table_ = std::make_unique<OrgTable>();
  last_.clear();
  if (ahead->keys) {
    for (const xb::rdd::KeySet& set : ahead->keys->sets())
      ahead->key_bytes += set.keys.size() + set.recnos.size() * sizeof(set.recnos[0]);
  }
  key_bytes_ahead_ += ahead->key_bytes;
  // The sort touches only the keys; the table and its work area wait for FinishFirstAhead.
  if (xb::rdd::OrderBag* bag = ahead->table->area().StructuralBag(); bag && ahead->keys) {
    xb::rdd::TagKeys* sorting = ahead->keys.get();
    ahead->sorted = xb::rdd::RunAside([bag, sorting] { bag->SortTags(*sorting); });
  }
  if (ahead_.empty()) ahead->held.TellTo(*tell_);
  ahead_.push_back(std::move(ahead));
  while (!ahead_.empty() && (TooManyAhead() || ahead_.front()->Sorted())) FinishFirstAhead(false);
}

bool CatalogueIndexer::TooManyAhead() const {
  return ahead_.size() > kTablesAhead ||
         (ahead_.size() > 1 && key_bytes_ahead_ - ahead_.front()->key_bytes > kKeyBytesAhead);
}

void CatalogueIndexer::FinishAhead() {
  while (!ahead_.empty()) FinishFirstAhead(true);
}

void CatalogueIndexer::FinishFirstAhead(bool stay_open) {
  const std::unique_ptr<Ahead> ahead = std::move(ahead_.front());
  ahead_.pop_front();
  key_bytes_ahead_ -= ahead->key_bytes;
  if (ahead->sorted.valid()) ahead->sorted.get();
  BuildTags(*ahead->table, ahead->rows, SpecsOf(ahead->rows), ahead->keys.get());
  if (ahead->table->is_open()) {
    // Asked for by a call that does not pack another table: it stays open, as after IndexRows.
    if (stay_open && ahead_.empty() && !table_->is_open()) {
      table_ = std::move(ahead->table);
      last_ = ahead->key;
    } else {
      CloseTable(*ahead->table);
    }
  }
  if (!ahead_.empty()) ahead_.front()->held.TellTo(*tell_);
}

bool CatalogueIndexer::BuildTags(OrgTable& table, const std::vector<const CatalogueRow*>& rows,
                                 const std::vector<xb::rdd::TagSpec>& specs, xb::rdd::TagKeys* keys) {
  const CatalogueRow& first = *rows.front();
  xb::rdd::WorkArea& area = table.area();
  std::vector<xb::rdd::BagStatus> built;
  if (xb::rdd::OrderBag* bag = area.StructuralBag()) {
    if (keys) bag->CreateTags(*keys, area.record_source(), built);
    else bag->CreateTags(specs, area.record_source(), built);
  } else {
    built.assign(rows.size(), xb::rdd::BagStatus::Error(xb::rdd::BagCode::kNotFound, "sin índice"));
  }
  bool ok = true;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!built[i].ok()) {
      ok = false;
      tell_->TableFailed({std::string(first.table), area.StructuralBagPath(), 0,
                          "etiqueta " + std::string(rows[i]->tag) + ": " + built[i].message});
    }
    if (rows[i]->meter) tell_->Meter(rows[i]->meter, 100);
    tell_->Pump();
  }
  if (!TableStillOpen(table)) return false;
  area.GoTop();
  return ok;
}

// The table is taken exclusively, without its index, before its index file goes: a table
// that another program holds keeps its index, and an old index is never opened (stale,
// damaged or written by another driver, it is about to be replaced anyway).
bool CatalogueIndexer::OpenAndPack(std::string_view table, const std::string& folder,
                                   const std::vector<xb::rdd::TagSpec>* specs, std::unique_ptr<xb::rdd::TagKeys>* keys) {
  CloseTable();
  const std::string path = TablePath(folder, table);
  // A table packed earlier and met again is put in its place before it is opened.
  if (std::any_of(unplaced_.begin(), unplaced_.end(), [&](const Unplaced& u) { return u.placement->path() == path; }))
    PlacePacked();
  TableFailure failure;
  if (!table_->Open(folder, table, &failure, /*with_index=*/false)) {
    tell_->TableFailed(failure);
    return false;
  }
  xb::rdd::WorkArea& area = table_->area();
  const std::string bag = area.StructuralBagPath();
  const bool old_index = xb::rdd::WorkAreas::Get().file_system().Exists(bag);
  if (keys && pack_) *keys = xb::rdd::StartCdxTags(*specs, area.key_compiler());
  xb::rdd::PackDamage damage;
  TableFailure packing;
  bool ok = false;
  xb::rdd::Status removed;
  {
    ErrorCatcher catcher;
    try {
      ok = !pack_ || area.Pack(&damage, /*sync_aside=*/true, keys ? keys->get() : nullptr);
      // The old index goes as the packed table takes its place, or now when nothing was packed
      // (a table that another program holds keeps it).
      if (ok && old_index) removed = area.table().RemoveBeforePlacing(bag);
      ok = ok && removed.ok() && area.CreateBag(bag, true) && area.table().is_open();
    } catch (const xb::UnhandledError&) {
      ok = false;
    }
    if (!ok && removed.ok()) packing = catcher.Failure(table, path);
  }
  // Told once the catcher is gone: what the message's own windows raise must reach the
  // program's error handler, not this one.
  if (!removed.ok()) packing = {std::string(table), bag, removed.os_code(), removed.message()};
  if (!ok) {
    tell_->TableFailed(packing);
    table_->Close();
    return false;
  }
  if (damage.missing_records > 0) {
    tell_->Noted(ShortPath(path) + ": faltan " + std::to_string(damage.missing_records) + " de sus " +
                 std::to_string(damage.stated_records) + " registros");
  }
  if (damage.memo_pointers_cleared > 0) {
    tell_->Noted(ShortPath(xb::rdd::PathWithExtension(path, ".fpt")) + ": " +
                 std::to_string(damage.memo_pointers_cleared) + " memos fuera del fichero, borrados");
  }
  last_ = Key(folder, table);
  return true;
}

// A pack synced aside puts the packed table in its place as the first tag is written; when it
// cannot be opened again there, the table is closed and what follows reports it missing.
bool CatalogueIndexer::TableStillOpen(OrgTable& table) {
  if (table.area().table().is_open()) return true;
  failed_ = true;
  CloseTable(table);
  if (&table == table_.get()) last_.clear();
  PlacePacked();
  return false;
}

bool CatalogueIndexer::IndexTag(std::string_view table, const std::string& folder, std::string_view tag,
                                std::string_view key, bool unique, int meter) {
  FinishAhead();
  if (last_ != Key(folder, table) || !table_->is_open()) {
    if (!OpenAndPack(table, folder)) {
      failed_ = true;
      return false;
    }
  }
  xb::rdd::WorkArea& area = table_->area();
  xb::rdd::TagSpec spec;
  spec.name = std::string(tag);
  spec.key = std::string(key);
  spec.unique = unique;
  xb::rdd::OrderBag* bag = area.StructuralBag();
  const xb::rdd::BagStatus built = bag ? bag->CreateTag(spec, area.record_source())
                                       : xb::rdd::BagStatus::Error(xb::rdd::BagCode::kNotFound, "sin índice");
  if (!built.ok()) {
    tell_->TableFailed({std::string(table), area.StructuralBagPath(), 0,
                        "etiqueta " + std::string(tag) + ": " + built.message});
  }
  if (TableStillOpen(*table_)) area.GoTop();
  if (meter) tell_->Meter(meter, 100);
  tell_->Pump();
  return built.ok();
}

bool ReindexMacroTable(const std::string& start_folder, OrganiserEvents& events) {
  const StartFolderTag& macros = MacroTableTag();
  if (!xb::rdd::WorkAreas::Get().file_system().Exists(TablePath(start_folder, macros.table))) return true;
  CatalogueIndexer indexer(Folders{start_folder, start_folder}, events);
  return indexer.IndexTag(macros.table, start_folder, macros.tag, macros.key, false, 0);
}

}  // namespace app
