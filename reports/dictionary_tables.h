// The 23 tables of the report generator's dictionary: their structures and index tags, in
// the dictionary's order. Every table but MtrDirec has one compound index file named like
// the table. Other modules (the document headers of the listings) take CabeH and CabeD from
// here, so a header table is never rebuilt to another structure.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/array.h"
#include "runtime/rdd/dbf_format.h"

namespace reports {

struct DictTag {
  std::string_view name;
  std::string_view key;
};

struct DictTable {
  std::string_view name;  // as the file is named, "Tablas"
  std::vector<xb::rdd::dbf::FieldSpec> fields;
  std::vector<DictTag> tags;  // empty: the table has no index file
  bool indexed() const { return !tags.empty(); }
};

// The 23 tables in the dictionary's order.
const std::vector<DictTable>& DictionaryTables();
// A table by name, without regard to case; nullptr when it is none of them.
const DictTable* FindDictTable(std::string_view name);

// {{name, type, width, decimals}, ...} and {{tag, key}, ...} of one table.
xb::Array StructureArray(const DictTable& table);
xb::Array TagArray(const DictTable& table);

// AFICHEROS: {{name, indexed}, ...}. ASTRUFICHEROS: one structure a table. AINDEXFICHEROS:
// one tag list for each indexed table.
xb::Array aFicheros();
xb::Array aStruFicheros();
xb::Array aIndexFicheros();
// ASTRUCABEH, ASTRUCABED: {structure, tags} of CabeH and CabeD.
xb::Array aStruCabeH();
xb::Array aStruCabeD();

// Registers AFICHEROS, ASTRUFICHEROS, AINDEXFICHEROS, ASTRUCABEH and ASTRUCABED.
void RegisterDictionaryTables();

}  // namespace reports
