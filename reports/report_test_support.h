// What the report generator's tests share: field values, rows appended to the dictionary's
// tables (by field or as macro text), small tables made in a folder and listed in the
// dictionary, what a text file holds, a page device to record on, and a fixture with the
// dictionary open in memory.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_test_support.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "reports/report_device.h"
#include "reports/report_functions.h"
#include "reports/report_run.h"
#include "reports/report_text_device.h"
#include "reports/tdictqz.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"

namespace reports::testing {

using Row = std::map<std::string, xb::Value>;

// xBase text evaluated.
inline xb::Value X(const std::string& text) { return xb::EvalMacro(text); }

inline xb::Value S(std::string_view s) { return xb::Value::String(s); }
// A whole number, or one with `decimals` decimals.
inline xb::Value N(double n, int decimals = 0) {
  return decimals ? xb::Value::Double(n, decimals) : xb::Value::Integer(static_cast<std::int64_t>(n));
}
inline xb::Value L(bool b) { return xb::Value::Logical(b); }

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
  X(TDictQZ::AliasOf(table) + "->(DBAPPEND(), " + assignments + ", DBCOMMIT(), DBUNLOCK())");
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
  ASSERT_TRUE(X("DBCREATE('" + file + "', " + structure + ", 'ADS')").AsLogical());
  ASSERT_TRUE(data::lNetUse(file, {.exclusive = true, .alias = "T"}));
  for (const std::string& row : rows) X("DBAPPEND(), " + row);
  if (listed.tag) X("ORDCREATE(, 'CODIGO', 'CODIGO')");
  X("DBCLOSEAREA()");
  const std::string upper = xb::Upper(xb::CurrentCodePage(), name);
  Add("Tablas", "TABLA := '" + upper + "', RUTA := '" + folder + "', FICHERO := '" + name + "'" +
                    (listed.visible ? ", VISIBLE := 'S'" : ""));
  if (listed.tag) Add("Indices", "TABLA := '" + upper + "', ORDEN := 1, TAG := 'CODIGO', EXPRESION := 'CODIGO'");
}

// The bytes of a file; empty when there is none.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream all;
  all << in.rdbuf();
  return all.str();
}

// A page of the report text file: the lines given, the rest empty, each ending CR LF.
inline std::string Page(const std::vector<std::string>& lines) {
  std::string page;
  for (std::size_t i = 0; i < TQZRFile::kRows; ++i) page += (i < lines.size() ? lines[i] : "") + "\r\n";
  return page;
}

// A file of the system's temporary folder named after `prefix` and the running test.
inline std::string TestFile(const std::string& prefix) {
  const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  return (std::filesystem::temp_directory_path() / (prefix + test + ".txt")).string();
}

// A row of the dictionary's field list.
inline void AddField(const char* table, int order, const char* field, const char* type, int length, int decimals,
                     const char* description) {
  Add("Campos", std::string("TABLA := '") + table + "', ORDEN := " + std::to_string(order) + ", CAMPO := '" + field +
                    "', TIPO := '" + type + "', LONGITUD := " + std::to_string(length) +
                    ", DECIMAL := " + std::to_string(decimals) + ", DESCRIPC := '" + description + "'");
}

// Sales -> articles -> families in `folder`, their fields and relations, the sales' expression
// VALORVEN (TEST_VALOR: the amount times the units, in its master's environment), the report
// category VEN and its subcategory S1.
inline void AddSalesDictionary(const std::string& folder) {
  Table(folder, "Ventas", "{{'CODIGO', 'C', 6, 0}, {'ARTICULO', 'C', 4, 0}, {'IMPORTE', 'N', 8, 2}, {'UNIDADES', 'N', 5, 0}}",
        {"FIELDPUT(1, 'V1'), FIELDPUT(2, 'P1'), FIELDPUT(3, 10), FIELDPUT(4, 2)",
         "FIELDPUT(1, 'V2'), FIELDPUT(2, 'M1'), FIELDPUT(3, 5), FIELDPUT(4, 1)",
         "FIELDPUT(1, 'V3'), FIELDPUT(2, 'P2'), FIELDPUT(3, 2), FIELDPUT(4, 3)",
         "FIELDPUT(1, 'V4'), FIELDPUT(2, 'M1'), FIELDPUT(3, 1.5), FIELDPUT(4, 4)",
         "FIELDPUT(1, 'V5'), FIELDPUT(2, 'P1'), FIELDPUT(3, 0.5), FIELDPUT(4, 1)"},
        {.visible = true});
  Table(folder, "Articulos", "{{'CODIGO', 'C', 4, 0}, {'FAMILIA', 'C', 3, 0}}",
        {"FIELDPUT(1, 'P1'), FIELDPUT(2, 'PAN')", "FIELDPUT(1, 'P2'), FIELDPUT(2, 'PAN')",
         "FIELDPUT(1, 'M1'), FIELDPUT(2, 'MAN')"},
        {.tag = true, .visible = true});
  Table(folder, "Familias", "{{'CODIGO', 'C', 3, 0}, {'NOMBRE', 'C', 10, 0}}",
        {"FIELDPUT(1, 'PAN'), FIELDPUT(2, 'Panadería')", "FIELDPUT(1, 'MAN'), FIELDPUT(2, 'Mantequera')"},
        {.tag = true, .visible = true});
  AddField("VENTAS", 1, "CODIGO", "C", 6, 0, "Código");
  AddField("VENTAS", 2, "ARTICULO", "C", 4, 0, "Artículo");
  AddField("VENTAS", 3, "IMPORTE", "N", 8, 2, "Importe");
  AddField("VENTAS", 4, "UNIDADES", "N", 5, 0, "Unidades");
  AddField("ARTICULOS", 1, "FAMILIA", "C", 3, 0, "Código de familia");
  AddField("FAMILIAS", 1, "NOMBRE", "C", 10, 0, "Familia");
  Add("Relacion", "TABORIGEN := 'VENTAS', EXPBUSCAR := 'ARTICULO', TABDESTINO := 'ARTICULOS', INDDESTINO := 'CODIGO', "
                  "DESCRIPC := 'Artículo', IDREL := 1, DIRECTA := .T.");
  Add("Relacion", "TABORIGEN := 'ARTICULOS', EXPBUSCAR := 'FAMILIA', TABDESTINO := 'FAMILIAS', INDDESTINO := 'CODIGO', "
                  "DESCRIPC := 'Familia', IDREL := 2, DIRECTA := .T.");
  Add("Expresio", "CODIGO := 'VALORVEN', DESCRIPC := 'Valor', TABLA := 'VENTAS', EXPRESION := 'TEST_VALOR'");
  Add("ExprCol", "CODIGO := 'VALORVEN', PARAMETRO := 1, TIPO := 'N', LONGITUD := 8, DECIMAL := 2, DESCRIPC := 'Valor'");
  xb::RegisterFunction("TEST_VALOR", [](xb::Args& a) {
    const std::string alias(a.Str(1));
    xb::Array r = xb::Array::New();
    r.Append(xb::Value::Number(X(alias + "->IMPORTE").AsDouble() * X(alias + "->UNIDADES").AsDouble()));
    return xb::Value(r);
  });
  Add("Categor", "CATEGORIA := 'VEN', DESCRIPC := 'Ventas', INFDOC := 'I'");
  Add("SubCat", "CATEGORIA := 'VEN', SUBCAT := 'S1', DESCRIPC := 'Diarias'");
}

// A page device that draws nowhere: a portrait page 2000 units wide and 3000 high, with the
// resolution and millimetre scale given. Tests record what they need by overriding.
class PageDeviceStub : public ReportDevice {
 public:
  explicit PageDeviceStub(int pixels_per_inch = 254, int units_per_mm = 10)
      : pixels_per_inch_(pixels_per_inch), units_per_mm_(units_per_mm) {}
  bool Ready() const override { return true; }
  bool IsText() const override { return false; }
  void StartPage() override {}
  void EndPage() override {}
  void End() override {}
  int Width() override { return 2000; }
  int Height() override { return 3000; }
  int LogPixX() override { return pixels_per_inch_; }
  int LogPixY() override { return pixels_per_inch_; }
  int Orientation() override { return 1; }
  int MmToRow(double mm) override { return static_cast<int>(mm * units_per_mm_); }
  int MmToCol(double mm) override { return static_cast<int>(mm * units_per_mm_); }

 private:
  int pixels_per_inch_;
  int units_per_mm_;
};

// The report functions registered and the dictionary open in memory at INF\ (INF\TEMP\ and
// DBF\, the company's folder, made too), with 255 handles; CCODUSER answers `user_`.
class ReportDictionaryTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportFunctions();
    memory().MakeFolder("INF\\");
    memory().MakeFolder("INF\\TEMP\\");
    memory().MakeFolder("DBF\\");
    data::cPathDbf("DBF\\");  // the company's folder: described tables without EXACTA are there
    data::nHandlers(255);
    xb::RegisterFunction("CCODUSER", [this](xb::Args&) { return xb::Value::String(user_); });
    dict_ = xb::MakeRef<TDictQZ>();
    dict_->New("INF");
    ASSERT_TRUE(dict_->Activate("I", false));
  }
  void TearDown() override {
    SetReportRunHook({});
    dict_->End();
    DataTest::TearDown();
  }

  std::string user_ = "00";
  xb::Ref<TDictQZ> dict_;
};

}  // namespace reports::testing
