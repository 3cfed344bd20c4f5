// The index catalogue of the suite: every table the organisation packs, and every tag it
// creates on it, in the order they are created. Table names, tag names and key texts are
// the suite's vocabulary: the other programs open these tags by name and seek by these
// keys, so they are data to be kept exactly as they stand.
//
// Also here: the order-bag list that table views open with each table (AINDEXCHAIN), and
// the start folder's own tables that the start-folder re-index takes.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace app {

enum class CatalogueFolder {
  kCompany,  // the company's data folder, "..\DBF" + code + "\"
  kStart,    // the start folder "..\DBF\"
};

// One tag to create (one INDEXDATA call).
struct CatalogueRow {
  int option;              // check box of the progress dialog that runs it, 1 to 4
  std::string_view title;  // group title shown before this row; empty: none
  std::string_view table;
  CatalogueFolder folder;
  std::string_view tag;
  std::string_view key;    // key expression text, compiled when the tag is created
  int meter;               // progress meter the row fills
  bool unique;
  // The row of option 4 that re-creates the statistics table's tag once the statistics are
  // rebuilt; the option's own pass leaves it to that step.
  bool after_statistics;
};

// Meters of the progress dialog.
inline constexpr int kMeterCount = 155;
inline constexpr int kFirstCatalogueMeter = 4;   // meters 1 to 3 fill when option 1 starts
inline constexpr int kLastCatalogueMeter = 146;  // the last row of option 3
inline constexpr int kGapsMeter = 147;           // the gaps table (option 4)
inline constexpr int kPendingSupplierMeter = 147;
inline constexpr int kPendingCustomerMeter = 148;
inline constexpr int kEntriesMeter = 149;
inline constexpr int kEntriesProductionMeter = 150;
inline constexpr int kExitsMeter = 151;
inline constexpr int kStatisticsMeter = 152;
inline constexpr int kRiskResetMeter = 153;
inline constexpr int kRiskNotesMeter = 154;
inline constexpr int kRiskReceiptsMeter = 155;

// Every row, in creation order.
std::span<const CatalogueRow> IndexCatalogue();

// The distinct tables of the catalogue in the order they first appear, with their folder.
struct CatalogueTable {
  std::string_view table;
  CatalogueFolder folder;
};
std::vector<CatalogueTable> CatalogueTables();

// The rows of one table, in creation order (both passes of the statistics table).
std::vector<CatalogueRow> RowsOfTable(std::string_view table);

// AINDEXCHAIN: one text per table, the table name then its tags, separated by commas
// (blanks are not significant).
std::span<const std::string_view> OrderBagList();

// The tags a table view opens with a table: those of the first entry whose table name (the
// text before the first comma, blanks removed) is the table's, without regard to case.
// Empty when the list has no entry for it.
std::vector<std::string> OrderBagTags(std::string_view table);

// A tag the start folder's re-index creates itself.
struct StartFolderTag {
  std::string_view table;
  std::string_view tag;
  std::string_view key;
};

// The start-folder re-index (SDEINDEX), step by step. Steps other than the macro table
// belong to their modules, which re-create their own indexes; `routine` names them.
struct StartFolderStep {
  std::string_view routine;  // the routine that re-indexes; empty for the macro table
  std::string_view tables;   // the tables it takes, as they are named
  std::string_view when;     // the condition it runs under; empty: always
};
std::span<const StartFolderStep> StartFolderSteps();
// The macro table's tag, created after the table is packed.
const StartFolderTag& MacroTableTag();

}  // namespace app
