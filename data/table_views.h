// Table views: a set of tables that a process opens together, each under an alias of its own
// (the table's name and a number, so that several views may hold one table at once), and
// closes together, putting back what it changed: the caller's alias variables, the position
// of the tables it shared with an earlier view, the alias numbers. A view opens all or
// nothing.
//
//   ViewBegin();
//   ViewAdd({.table = "Clientes", .indexes = {"cCodCli"}}, alias_ref);   // "Clientes1"
//   ViewAddTemp({.base = "TmpInf", .structure_of = "1"}, tmp_ref);       // a copy of entry 1
//   const int view = nOpenView();                                        // 0: nothing opened
//   ...
//   RestoreView(view);                                                   // closed, erased
//
// Temporary tables are created in the temporary folder under the first free name: a name
// whose file is held open elsewhere cannot be erased and is passed over.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/array.h"
#include "runtime/value.h"

namespace data {

struct ViewTable {
  std::string table{};               // its name, without folder or extension
  std::vector<std::string> indexes{};  // CDX: any name means the structural index; NTX: files
  std::string mode{};                // "EXCLUSIVE" opens exclusively, anything else shared
  bool accounting = false;           // from the accounting product's folder
  bool from_catalogue = false;       // the indexes are the catalogue's tags (AINDEXCHAIN)
  std::string folder{};              // given: the table is there (the indexes keep their names)
  bool second_accounting = false;    // the second accounting set (implies `accounting`)
  std::string driver{};              // empty: the default driver
};

struct ViewTempTable {
  std::string base{};                // the name; the identified user's code is appended
  std::string structure_of{};        // number (as text) of the earlier entry it copies
  bool keep = false;                 // not erased when the view closes
  std::vector<std::string> keys{};   // key expressions, one tag each ("Tag" + entry + key)
  std::string folder{};              // empty: the temporary folder
  std::string driver{};
};

// VIEWBEGIN: starts a new build list; `quiet` views give no messages.
bool ViewBegin(bool quiet = false);
// VIEWADD / VIEWADDTEMP: appends an entry and returns the alias the table will have. A
// by-reference `alias_var` receives it; its previous value comes back at RestoreView.
std::string ViewAdd(const ViewTable& table, const xb::Value& alias_var = {});
std::string ViewAddTemp(const ViewTempTable& table, const xb::Value& alias_var = {});
// NOPENVIEW: opens the build list as a new view; its number, or 0 when one table failed
// (after one message, none when quiet), everything of the view then closed again. The
// by-reference elements of `alias_vars` receive the aliases in entry order. With
// `share_with`, a table that view already holds (same file) is used under its alias.
int nOpenView(const xb::Array& alias_vars = {}, int share_with = 0);
// RESTOREVIEW: closes the view: false for a number below 1 or one that is not open. The
// variables the view took get their values from before it back; so does each by-reference
// element of `alias_vars`: the value of that same variable, else that of its place among
// NOPENVIEW's array (or the VIEWADD variables).
bool RestoreView(int view, const xb::Array& alias_vars = {});
// TMPERASE: closes and erases the temporary table held under `alias` (table, memo and
// index files) and forgets it; true when its table file was erased.
bool TmpErase(std::string_view alias);
// SETALIAS: keeps a value in the views' state.
void SetAlias(const xb::Value& value);

// CALLINDEX: the tags that the catalogue's order-bag list (AINDEXCHAIN, when registered)
// gives for a table: those of the entry whose name is the table's, else those of the first
// entry, in list order, whose name begins with it; case and blanks do not count.
std::vector<std::string> CatalogueTags(std::string_view table);

// The first free file of a temporary table: for n = 0, 1, 2 ... erases `stem` + n + ".dbf"
// (and, when that went, its index and memo files) and takes the first n whose table file is
// no longer there. Returns `stem` + n.
std::string FreeTemporaryStem(const std::string& stem);
// Erases a table's files: table, memo and index files of every driver.
bool EraseTableFiles(const std::string& stem);

// The views' state back to its start (tests). Open tables stay open.
void ResetTableViews();

// Registers VIEWBEGIN, VIEWADD, VIEWADDTEMP, NOPENVIEW, RESTOREVIEW, TMPERASE, CALLINDEX and
// SETALIAS.
void RegisterTableViews();

}  // namespace data
