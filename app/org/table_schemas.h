// The structure of every table the organisation touches: the catalogue's tables, the
// company table, the version table, the company settings and the macro table. Fields cover
// every key expression of the catalogue and every field the recomputations read or write,
// plus the ordinary fields such tables carry. The demo-data generator writes tables with
// these structures, and the tests build their fixtures from them.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/org/index_catalogue.h"
#include "runtime/rdd/dbf_format.h"

namespace app {

// How the demo data fills a table.
enum class DemoRole {
  kFixed,     // a handful of records whatever the size
  kMaster,    // grows with the size: customers, articles ...
  kDocument,  // document headers, numbered from 1
  kLines,     // records of the documents of `parent`, carrying their number
  kSettings,  // one record (the company's settings, the version)
};

struct TableSchema {
  std::string_view table;
  CatalogueFolder folder;
  // Fields as "NAME Tlen[.dec]" separated by blanks: "CCODCLI C6 NIMPORTE N14.2 DFECHA D".
  std::string_view fields;
  DemoRole role;
  std::string_view parent;  // kLines: the header table
  int per_million;          // share of the demo size, in parts of a million (kMaster, kDocument, kLines)
  int minimum;              // records at the smallest size
};

std::span<const TableSchema> Schemas();
// By table name, without regard to case; nullptr when unknown.
const TableSchema* FindSchema(std::string_view table);
// The fields as DBCREATE takes them.
std::vector<xb::rdd::dbf::FieldSpec> Structure(const TableSchema& schema);

}  // namespace app
