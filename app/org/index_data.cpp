#include "app/org/index_data.h"

#include <algorithm>

#include "runtime/codepage.h"
#include "runtime/rdd/file_system.h"
#include "runtime/rdd/key_sort.h"
#include "runtime/rdd/workareas.h"

namespace app {
namespace {

std::string Key(const std::string& folder, std::string_view table) {
  return folder + xb::Upper(xb::CodePageEn(), table);
}

}  // namespace

CatalogueIndexer::CatalogueIndexer(Folders folders, OrganiserEvents& events, bool pack)
    : folders_(std::move(folders)), events_(events), pack_(pack) {}

void CatalogueIndexer::Close() {
  CloseTable();
  PlacePacked();
}

void CatalogueIndexer::CloseTable() {
  if (table_.is_open()) {
    Unplaced u{table_.name(), nullptr};
    table_.CloseUnplaced(&u.placement);
    if (u.placement) unplaced_.push_back(std::move(u));
  }
  table_.Close();
  last_.clear();
  if (!defer_placement_) PlacePacked();
}

// The packed files were synced on another thread meanwhile: here each is waited for and put
// in its place, its index after it.
void CatalogueIndexer::PlacePacked() {
  std::vector<Unplaced> unplaced = std::move(unplaced_);
  unplaced_.clear();
  for (Unplaced& u : unplaced) {
    const xb::rdd::Status s = u.placement->Place();
    if (s.ok()) continue;
    failed_ = true;
    events_.TableFailed({u.table, s.file().empty() ? u.placement->path() : s.file(), s.os_code(), s.message()});
  }
}

const std::string& CatalogueIndexer::FolderOf(const CatalogueRow& row) const {
  return row.folder == CatalogueFolder::kStart ? folders_.start : folders_.company;
}

bool CatalogueIndexer::IndexRow(const CatalogueRow& row) {
  return IndexTag(row.table, FolderOf(row), row.tag, row.key, row.unique, row.meter);
}

bool CatalogueIndexer::IndexRows(const std::vector<const CatalogueRow*>& rows) {
  if (rows.empty()) return true;
  const CatalogueRow& first = *rows.front();
  const std::string& folder = FolderOf(first);
  std::vector<xb::rdd::TagSpec> specs;
  for (const CatalogueRow* row : rows) {
    xb::rdd::TagSpec spec;
    spec.name = std::string(row->tag);
    spec.key = std::string(row->key);
    spec.unique = row->unique;
    specs.push_back(std::move(spec));
  }
  // Opened here, the table's keys are gathered as it is packed.
  std::unique_ptr<xb::rdd::TagKeys> keys;
  if ((last_ != Key(folder, first.table) || !table_.is_open()) && !OpenAndPack(first.table, folder, &specs, &keys)) {
    // Every row tries its table again and reports for itself.
    failed_ = true;
    for (std::size_t i = 1; i < rows.size(); ++i) IndexRow(*rows[i]);
    return false;
  }
  xb::rdd::WorkArea& area = table_.area();
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
      events_.TableFailed({std::string(first.table), area.StructuralBagPath(), 0,
                           "etiqueta " + std::string(rows[i]->tag) + ": " + built[i].message});
    }
    if (rows[i]->meter) events_.Meter(rows[i]->meter, 100);
    events_.Pump();
  }
  if (!TableStillOpen()) return false;
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
  if (!table_.Open(folder, table, &failure, /*with_index=*/false)) {
    events_.TableFailed(failure);
    return false;
  }
  xb::rdd::FileSystem& fs = xb::rdd::WorkAreas::Get().file_system();
  const std::string bag = table_.area().StructuralBagPath();
  if (fs.Exists(bag)) {
    const xb::rdd::Status removed = fs.Remove(bag);
    if (!removed.ok()) {
      events_.TableFailed({std::string(table), bag, removed.os_code(), removed.message()});
      table_.Close();
      return false;
    }
  }
  if (keys && pack_) *keys = xb::rdd::StartCdxTags(*specs, table_.area().key_compiler());
  xb::rdd::PackDamage damage;
  TableFailure packing;
  bool ok = false;
  {
    ErrorCatcher catcher;
    try {
      ok = (!pack_ || table_.area().Pack(&damage, /*sync_aside=*/true, keys ? keys->get() : nullptr)) &&
           table_.area().CreateBag(table_.area().StructuralBagPath(), true) && table_.area().table().is_open();
    } catch (const xb::UnhandledError&) {
      ok = false;
    }
    if (!ok) packing = catcher.Failure(table, path);
  }
  // Told once the catcher is gone: what the message's own windows raise must reach the
  // program's error handler, not this one.
  if (!ok) {
    events_.TableFailed(packing);
    table_.Close();
    return false;
  }
  if (damage.missing_records > 0) {
    events_.Noted(ShortPath(path) + ": faltan " + std::to_string(damage.missing_records) + " de sus " +
                  std::to_string(damage.stated_records) + " registros");
  }
  if (damage.memo_pointers_cleared > 0) {
    events_.Noted(ShortPath(xb::rdd::PathWithExtension(path, ".fpt")) + ": " +
                  std::to_string(damage.memo_pointers_cleared) + " memos fuera del fichero, borrados");
  }
  last_ = Key(folder, table);
  return true;
}

// A pack synced aside puts the packed table in its place as the first tag is written; when it
// cannot be opened again there, the table is closed and what follows reports it missing.
bool CatalogueIndexer::TableStillOpen() {
  if (table_.area().table().is_open()) return true;
  failed_ = true;
  Close();
  return false;
}

bool CatalogueIndexer::IndexTag(std::string_view table, const std::string& folder, std::string_view tag,
                                std::string_view key, bool unique, int meter) {
  if (last_ != Key(folder, table) || !table_.is_open()) {
    if (!OpenAndPack(table, folder)) {
      failed_ = true;
      return false;
    }
  }
  xb::rdd::WorkArea& area = table_.area();
  xb::rdd::TagSpec spec;
  spec.name = std::string(tag);
  spec.key = std::string(key);
  spec.unique = unique;
  xb::rdd::OrderBag* bag = area.StructuralBag();
  const xb::rdd::BagStatus built = bag ? bag->CreateTag(spec, area.record_source())
                                       : xb::rdd::BagStatus::Error(xb::rdd::BagCode::kNotFound, "sin índice");
  if (!built.ok()) {
    events_.TableFailed({std::string(table), area.StructuralBagPath(), 0,
                         "etiqueta " + std::string(tag) + ": " + built.message});
  }
  if (TableStillOpen()) area.GoTop();
  if (meter) events_.Meter(meter, 100);
  events_.Pump();
  return built.ok();
}

bool ReindexMacroTable(const std::string& start_folder, OrganiserEvents& events) {
  const StartFolderTag& macros = MacroTableTag();
  if (!xb::rdd::WorkAreas::Get().file_system().Exists(TablePath(start_folder, macros.table))) return true;
  CatalogueIndexer indexer(Folders{start_folder, start_folder}, events);
  return indexer.IndexTag(macros.table, start_folder, macros.tag, macros.key, false, 0);
}

}  // namespace app
