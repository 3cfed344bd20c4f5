// Temporary work tables: their free names, their tags, and TTEmporal, a set of them created
// from given structures and opened as one view.
//
//   auto tmp = xb::MakeRef<TTemporal>();
//   tmp->Create(structure, cPathTmp(), 3);   // three tables, opened exclusively
//   tmp->CreateIndex(alias, tags);           // tags on one of them, order 1 selected
//   tmp->End();                              // closed and erased
#pragma once

#include <string>
#include <string_view>

#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/value.h"

namespace data {

// A free temporary table name in `folder`: "Tmp" + the user code (CCODUSER) + "G" when
// `group` + `suffix` + the first number whose table file is not there once erased (a file
// held open elsewhere cannot be). Its leftover index and memo files are erased. The name
// comes back without folder or extension.
std::string TemporaryName(std::string_view folder, bool group = false, std::string_view suffix = {});

// Creates on the selected area, over all its records, one tag per {name, key expression
// [, unique]}, then selects the first. True.
bool IndexGeneral(const xb::Array& tags);

class TTemporal : public xb::Object {
 public:
  TTemporal();
  static const xb::Class& Cls();

  // The structure source: an array of field definitions (one table), an array of items
  // (one table each: a field list, or an alias whose structure is copied) or an alias. With
  // one structure `tables` tables are made of it. True when they were created and opened.
  bool Create(const xb::Value& source, std::string folder = ".\\", int tables = 1);
  // Creates the tags on the table of `alias`, then selects order 1 and goes to the top.
  void CreateIndex(std::string_view alias, const xb::Array& tags);
  // Closes the view; with `erase` the tables' files go too.
  void End(bool erase = true);

  std::int64_t nEntorno = 0;
  xb::Array acAlias = xb::Array::New();
  xb::Array acFiles = xb::Array::New();
  std::string cPath;
  bool lExito = false;
};

// Registers TTEMPORAL (the class's function), TI_CTNAME's core is TemporaryName.
void RegisterTemporaryTables();

}  // namespace data
