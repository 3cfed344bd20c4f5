// Packing a table and creating its tags anew (INDEXDATA, without the dialog): the first tag
// of a table opens it exclusively, packs it and erases its index file; every tag is then
// built over all its records, in the order the catalogue gives them. The table stays open
// while the following tags are of the same table. A packed table and its new index are
// written beside the old table and put in its place once their files are synced, when the
// table is closed (or, placed aside, on another thread after that): until then the old table
// stays where it is, whole, with its old index, which goes just before the packed table
// takes its place.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/org/index_catalogue.h"
#include "app/org/org_table.h"
#include "app/org/organiser_events.h"

namespace app {

class CatalogueIndexer {
 public:
  // `pack` false: the tables keep their deleted records (the demo data's first indexes).
  CatalogueIndexer(Folders folders, OrganiserEvents& events, bool pack = true);
  ~CatalogueIndexer();

  // One row of the catalogue. False when its table could not be opened (the row is skipped,
  // the failure reported and remembered) or its tag could not be built.
  bool IndexRow(const CatalogueRow& row);
  // Consecutive rows of one table: its tags are built with one pass over its records, then
  // their meters filled in the rows' order. False when any row failed.
  bool IndexRows(const std::vector<const CatalogueRow*>& rows);
  // IndexRows that tells the rows' group titles first, and leaves the table's tags to be
  // sorted on another thread while the caller goes on: the next tables are packed meanwhile.
  // The tags are written, and their failures and meters told, once sorted, when too many
  // tables wait, at any other call, or at Close. What each table meets is told in the same
  // order, and each table's files are written in the same order, as by IndexRows one table
  // after another.
  void IndexRowsAhead(const std::vector<const CatalogueRow*>& rows);
  // The same for any table and tag; `meter` 0 fills none.
  bool IndexTag(std::string_view table, const std::string& folder, std::string_view tag, std::string_view key,
                bool unique, int meter);
  // Closes the table being indexed and puts the packed tables in their places; the next tag
  // opens its table afresh.
  void Close();
  // The packed tables take their places on another thread, each once its table is closed and
  // its files are synced, while the next tables are packed and indexed; Close waits for them
  // and tells, in their order, those that could not.
  void PlaceAside() { place_aside_ = true; }

  // Set when a table did not open; the recomputations are then not run. Complete after Close.
  bool failed() const { return failed_; }
  const Folders& folders() const { return folders_; }

 private:
  // With `specs`, *keys takes their tags' keys, gathered as the table is packed.
  bool OpenAndPack(std::string_view table, const std::string& folder, const std::vector<xb::rdd::TagSpec>* specs = nullptr,
                   std::unique_ptr<xb::rdd::TagKeys>* keys = nullptr);
  // Writes the tags of `rows` into the new index of `table`, from `keys` (sorted already or
  // not) or, without them, read from the table; tells each failure and fills the meters.
  bool BuildTags(OrgTable& table, const std::vector<const CatalogueRow*>& rows,
                 const std::vector<xb::rdd::TagSpec>& specs, xb::rdd::TagKeys* keys);
  // Writes the tags of the first table left by IndexRowsAhead; then it is closed or, with
  // `stay_open` when it was the last and no table is open, it is the open one again.
  void FinishFirstAhead(bool stay_open);
  // Every table left by IndexRowsAhead, in turn.
  void FinishAhead();
  void CloseTable();
  void CloseTable(OrgTable& table);
  void PlacePacked();
  bool TableStillOpen(OrgTable& table);
  const std::string& FolderOf(const CatalogueRow& row) const;

  // A table packed whose tags are being sorted on another thread.
  struct Ahead;
  // At most so many tables wait for their tags, holding at most so many bytes of keys beyond
  // the first's: many small tables are packed while a big one's keys are sorted.
  static constexpr std::size_t kTablesAhead = 16;
  static constexpr std::size_t kKeyBytesAhead = std::size_t(128) << 20;
  bool TooManyAhead() const;

  Folders folders_;
  // The caller's events, or what holds them while the tables before are finished.
  OrganiserEvents* tell_;
  std::unique_ptr<OrgTable> table_ = std::make_unique<OrgTable>();
  std::string last_;  // folder + name of the table open and packed
  std::deque<std::unique_ptr<Ahead>> ahead_;
  std::size_t key_bytes_ahead_ = 0;
  struct Unplaced {
    std::string table;
    std::unique_ptr<xb::rdd::PackPlacement> placement;
  };
  std::vector<Unplaced> unplaced_;
  bool failed_ = false;
  bool pack_ = true;
  bool place_aside_ = false;
};

// The macro table of the start folder (re-indexed by the start-folder step): when it exists,
// packed and its tag created anew. True when there is no such table or it was done.
bool ReindexMacroTable(const std::string& start_folder, OrganiserEvents& events);

}  // namespace app
