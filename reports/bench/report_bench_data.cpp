#include "reports/bench/report_bench_data.h"

#include <filesystem>
#include <map>
#include <memory>

#include "data/table_access.h"
#include "reports/tdictqz.h"
#include "runtime/function_table.h"
#include "runtime/rdd/dbf_table.h"
#include "runtime/rdd/workareas.h"

namespace reports::bench {
namespace {

using xb::Value;
using xb::rdd::DbfTable;
using xb::rdd::Status;
using Row = std::map<std::string, Value>;

Value S(std::string_view s) { return Value::String(s); }
Value N(double n) { return Value::Integer(static_cast<std::int64_t>(n)); }
Value L(bool b) { return Value::Logical(b); }

std::string Code(const char* prefix, std::uint32_t n, int width) {
  std::string digits = std::to_string(n);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
  return prefix + digits;
}

// The amount of sale n, in cents.
std::uint32_t Cents(std::uint32_t n) { return (n * 104729u) % 100000u; }

// A table written record by record, straight through the table engine.
class Writer {
 public:
  bool Create(const std::string& path, const std::vector<xb::rdd::dbf::FieldSpec>& fields, std::string* error) {
    xb::rdd::FileSystem& fs = xb::rdd::WorkAreas::Get().file_system();
    Status s = DbfTable::Create(fs, path, fields, xb::rdd::dbf::MemoKind::kFpt);
    if (s.ok()) s = DbfTable::Open(fs, path, {}, &table_);
    return Check(s, path, error);
  }
  DbfTable& operator*() { return *table_; }
  DbfTable* operator->() { return table_.get(); }
  bool Close(const std::string& path, std::string* error) { return Check(table_->Close(), path, error); }
  static bool Check(const Status& s, const std::string& path, std::string* error) {
    if (!s.ok()) *error = path + ": " + s.message();
    return s.ok();
  }

 private:
  std::unique_ptr<DbfTable> table_;
};

bool WriteTables(const ReportBenchData& d, std::string* error) {
  Writer families;
  const std::string families_path = "DBF\\Familias.dbf";
  if (!families.Create(families_path, {{"CODIGO", 'C', 3, 0}, {"NOMBRE", 'C', 20, 0}}, error)) return false;
  for (std::uint32_t n = 0; n < d.families; ++n) {
    if (!Writer::Check(families->Append(), families_path, error)) return false;
    (void)families->PutCharacter(0, Code("F", n, 2));
    (void)families->PutCharacter(1, Code("Familia ", n, 2));
  }
  if (!families.Close(families_path, error)) return false;

  Writer articles;
  const std::string articles_path = "DBF\\Articulos.dbf";
  if (!articles.Create(articles_path, {{"CODIGO", 'C', 4, 0}, {"FAMILIA", 'C', 3, 0}}, error)) return false;
  for (std::uint32_t n = 0; n < d.articles; ++n) {
    if (!Writer::Check(articles->Append(), articles_path, error)) return false;
    (void)articles->PutCharacter(0, Code("A", n, 3));
    (void)articles->PutCharacter(1, Code("F", n % d.families, 2));
  }
  if (!articles.Close(articles_path, error)) return false;

  Writer sales;
  const std::string sales_path = "DBF\\Ventas.dbf";
  if (!sales.Create(sales_path, {{"CODIGO", 'C', 8, 0}, {"ARTICULO", 'C', 4, 0}, {"IMPORTE", 'N', 12, 2},
                                 {"UNIDADES", 'N', 6, 0}},
                    error))
    return false;
  for (std::uint32_t n = 1; n <= d.records; ++n) {
    if (!Writer::Check(sales->Append(), sales_path, error)) return false;
    (void)sales->PutCharacter(0, Code("V", n, 7));
    (void)sales->PutCharacter(1, Code("A", (n * 7919u) % d.articles, 3));
    (void)sales->PutNumber(2, static_cast<double>(Cents(n)) / 100.0);
    (void)sales->PutNumber(3, static_cast<double>(n % 50u));
  }
  if (!sales.Close(sales_path, error)) return false;

  // The related tables' code tags.
  for (const char* table : {"Articulos", "Familias"}) {
    const Value used = xb::CallFunction("DBUSEAREA", {L(true), S("ADS"), S(std::string("DBF\\") + table),
                                                      S("BENCHIDX"), L(false)});
    if (!used.IsLogical() || !used.AsLogical()) {
      *error = std::string("DBF\\") + table + ": no se pudo abrir";
      return false;
    }
    xb::CallFunction("ORDCREATE", {Value(), S("CODIGO"), S("CODIGO")});
    xb::CallFunction("DBCLOSEAREA");
  }
  return true;
}

bool Add(std::string_view table, const Row& row, std::string* error) {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  xb::rdd::WorkArea* a = areas.Area(areas.AreaOfAlias(TDictQZ::AliasOf(table)));
  if (a == nullptr || !a->Append()) {
    *error = std::string(table) + ": no se pudo añadir";
    return false;
  }
  for (const auto& [name, value] : row) {
    const int pos = a->FieldPos(name);
    if (pos == 0) {
      *error = std::string(table) + "." + name + ": no existe";
      return false;
    }
    a->PutField(pos, value);
  }
  a->Commit();
  return true;
}

bool WriteDictionary(std::string* error) {
  const std::string code = kBenchReport;
  for (const char* table : {"Ventas", "Articulos", "Familias"})
    if (!Add("Tablas", {{"TABLA", S(std::string(table) == "Ventas" ? "VENTAS" : std::string(table) == "Articulos" ? "ARTICULOS" : "FAMILIAS")},
                        {"RUTA", S("DBF\\")}, {"FICHERO", S(table)}, {"VISIBLE", S("S")}},
             error))
      return false;
  for (const char* table : {"ARTICULOS", "FAMILIAS"})
    if (!Add("Indices", {{"TABLA", S(table)}, {"ORDEN", N(1)}, {"TAG", S("CODIGO")}, {"EXPRESION", S("CODIGO")}}, error))
      return false;
  if (!Add("Expresio", {{"CODIGO", S("IVA")}, {"TABLA", S("VENTAS")}, {"ENTORNO", S("ENTV")}}, error) ||
      !Add("Entorno", {{"ENTORNO", S("ENTV")}, {"TABLA", S("VENTAS")}, {"ORDEN", N(1)}, {"INICIAL", S("S")}}, error))
    return false;
  if (!Add("Informes", {{"INFORME", S(code)}, {"CATEGORIA", S("GEN")}, {"TABLAMAST", S("VENTAS")},
                        {"DESCRIPC", S("Ventas por familia")}, {"TITULO", S("Ventas por familia y artículo")},
                        {"DESDE", S("Total página")}, {"HASTA", S("Total general")}, {"DESGLOSE", L(true)},
                        {"LINEASR", N(1)}, {"INFMASTER", S(code)}, {"ACCESO1", S("002")}},
           error))
    return false;
  auto column = [&](int id, Row row) {
    Row base{{"INFORME", S(code)}, {"IDCOL", N(id)}, {"TIPOCOL", N(1)}, {"CAMPO", S("Colum" + std::to_string(id))},
             {"LINEA", N(1)}, {"IMPRIMIR", L(true)}, {"INIGRUPO", L(true)}, {"TIPO", S("C")}, {"ALINEACION", S("I")}};
    for (auto& [k, v] : row) base[k] = v;
    return Add("Columnas", base, error);
  };
  auto number = [](int pinicial, Row extra) {
    Row row{{"TIPO", S("N")}, {"ANCHO", N(16)}, {"NUMDECIMAL", N(2)}, {"DECIMAL", N(2)}, {"ALINEACION", S("D")},
            {"PINICIAL", N(pinicial)}, {"TOTAL", L(true)}, {"MASCARA", S("@E 9,999,999,999.99")}, {"ANCHOMAX", N(16)}};
    for (auto& [k, v] : extra) row[k] = v;
    return row;
  };
  if (!column(1, {{"TITULO", S("Venta")}, {"ANCHO", N(8)}, {"PINICIAL", N(1)}, {"CAMPOREL", S("CODIGO")},
                  {"ANCHOMAX", N(8)}}) ||
      !column(2, {{"TITULO", S("Art.")}, {"ANCHO", N(4)}, {"PINICIAL", N(10)}, {"CAMPOREL", S("ARTICULO")},
                  {"ANCHOMAX", N(4)}}) ||
      // Ventas.ARTICULO -> Articulos.FAMILIA -> Familias.NOMBRE
      !column(3, {{"TITULO", S("Familia")}, {"TIPOCOL", N(2)}, {"DATOS", S("ARTICULO")}, {"ANCHO", N(12)},
                  {"PINICIAL", N(15)}, {"CAMPOREL", S("NOMBRE")}, {"ANCHOMAX", N(20)}, {"CODEXPR", S("FAMILIAS")}}) ||
      !column(4, number(28, {{"TITULO", S("Importe")}, {"CAMPOREL", S("IMPORTE")}})) ||
      !column(5, number(45, {{"TITULO", S("IVA")}, {"TIPOCOL", N(3)}, {"CODEXPR", S("IVA")}, {"DATOS", S("BENCH_IVA")},
                             {"PARAMETRO", N(1)}})) ||
      !column(6, number(62, {{"TITULO", S("Total")}, {"TIPOCOL", N(4)}, {"DATOS", S("Colum4 + Colum5")}})))
    return false;
  int step = 0;
  for (auto [table, expression] : {std::pair{"ARTICULOS", "FAMILIA"}, std::pair{"FAMILIAS", "NOMBRE"}})
    if (!Add("Recol", {{"INFORME", S(code)}, {"IDCOL", N(3)}, {"ORDEN", N(++step)}, {"TABBUSCAR", S(table)},
                       {"INDBUSCAR", S("CODIGO")}, {"EXPBUSCAR", S(expression)}, {"INFDOC", S("I")}, {"IDCUERPO", N(0)}},
             error))
      return false;
  auto condition = [&](const char* tipo, const char* orden, Row row) {
    Row base{{"INFORME", S(code)}, {"TIPO", S(tipo)}, {"ORDEN", S(orden)}, {"INFDOC", S("I")}};
    for (auto& [k, v] : row) base[k] = v;
    return Add("Condicio", base, error);
  };
  // Importe > 10; by family, then article, each record in code order.
  return condition("C", "A", {{"COLUMNA", S("Colum4")}, {"OPERADOR", N(5)}, {"VALOR", S("10")}, {"FLDTIPO", S("N")},
                              {"ENLACE", N(1)}}) &&
         condition("B", "A", {{"CAMPO", S("Colum3")}, {"TEXTOTIT", S("Familia:")}, {"TEXTOPIE", S("Total familia")},
                              {"IMPRIME", S("Colum3")}, {"VALOR", S("1")}}) &&
         condition("B", "B", {{"CAMPO", S("Colum2")}, {"TEXTOPIE", S("Total artículo")}}) &&
         condition("A", "A", {{"COLUMNA", S("Colum1")}, {"CAMPO", S("Colum1")}, {"FLDTIPO", S("C")}});
}

}  // namespace

bool WriteReportBenchData(const ReportBenchData& data, std::string* error) {
  std::error_code ignored;
  std::filesystem::create_directory("DBF\\", ignored);
  if (!WriteTables(data, error)) return false;
  xb::Ref<TDictQZ> dict = xb::MakeRef<TDictQZ>();
  dict->New("INF");
  if (!dict->Activate("I", false)) {
    *error = "INF: no se pudo abrir el diccionario";
    return false;
  }
  const bool written = WriteDictionary(error);
  dict->End();
  return written;
}

std::uint64_t ExpectedTotalCents(const ReportBenchData& data) {
  std::uint64_t total = 0;
  for (std::uint32_t n = 1; n <= data.records; ++n)
    if (Cents(n) > 1000) total += Cents(n);
  return total;
}

void RegisterBenchFunctions() {
  xb::RegisterFunction("BENCH_IVA", [](xb::Args& a) {
    xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
    double importe = 0;
    if (xb::rdd::WorkArea* master = areas.Area(areas.AreaOfAlias(a.Str(1)))) {
      const Value v = master->GetField(master->FieldPos("IMPORTE"));
      if (v.IsNumber()) importe = v.AsDouble();
    }
    xb::Array result = xb::Array::New();
    result.Append(Value::Double(importe * 0.21, 2));
    return Value(result);
  });
}

}  // namespace reports::bench
