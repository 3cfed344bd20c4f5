// What the report generator's tests share: rows appended to the dictionary's tables, by field
// or as macro text, and small tables made in a folder and listed in the dictionary.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "data/table_access.h"
#include "reports/tdictqz.h"
#include "runtime/codepage.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"

namespace reports::testing {

using Row = std::map<std::string, xb::Value>;

// A row appended to a dictionary table, its fields by name; committed and unlocked.
inline void Add(std::string_view table, const Row& row) {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  xb::rdd::WorkArea* a = areas.Area(areas.AreaOfAlias(TDictQZ::AliasOf(table)));
  ASSERT_NE(a, nullptr) << table;
  ASSERT_TRUE(a->Append());
  for (const auto& [name, value] : row) {
    const int pos = a->FieldPos(name);
    ASSERT_GT(pos, 0) << table << "." << name;
    a->PutField(pos, value);
  }
  a->Commit();
  a->Unlock(a->recno());
}

// A row appended to a dictionary table as macro text: "FIELD := value, ...".
inline void Add(std::string_view table, const std::string& assignments) {
  xb::EvalMacro(TDictQZ::AliasOf(table) + "->(DBAPPEND(), " + assignments + ", DBCOMMIT(), DBUNLOCK())");
}

struct Listed {
  bool tag = false;      // a "CODIGO" tag, made and listed in Indices
  bool visible = false;  // VISIBLE "S" in Tablas
};

// The table `folder` + `name` made with `structure` (an array as macro text) and one record a
// row (its FIELDPUTs as macro text), listed in the dictionary's Tablas.
inline void Table(const std::string& folder, const std::string& name, const std::string& structure,
                  const std::vector<std::string>& rows, Listed listed = {}) {
  const std::string file = folder + name + ".dbf";
  ASSERT_TRUE(xb::EvalMacro("DBCREATE('" + file + "', " + structure + ", 'ADS')").AsLogical());
  ASSERT_TRUE(data::lNetUse(file, {.exclusive = true, .alias = "T"}));
  for (const std::string& row : rows) xb::EvalMacro("DBAPPEND(), " + row);
  if (listed.tag) xb::EvalMacro("ORDCREATE(, 'CODIGO', 'CODIGO')");
  xb::EvalMacro("DBCLOSEAREA()");
  const std::string upper = xb::Upper(xb::CurrentCodePage(), name);
  Add("Tablas", "TABLA := '" + upper + "', RUTA := '" + folder + "', FICHERO := '" + name + "'" +
                    (listed.visible ? ", VISIBLE := 'S'" : ""));
  if (listed.tag) Add("Indices", "TABLA := '" + upper + "', ORDEN := 1, TAG := 'CODIGO', EXPRESION := 'CODIGO'");
}

}  // namespace reports::testing
