#include "reports/report_columns.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <functional>
#include <optional>

#include "data/data_ui.h"
#include "data/table_access.h"
#include "reports/access_rules.h"
#include "reports/dictionary_rows.h"
#include "reports/expressions.h"
#include "reports/relation_paths.h"
#include "reports/report_definitions.h"
#include "reports/report_engine.h"
#include "reports/tdictqz.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::SelectedArea;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

std::string Trim(std::string_view s) { return std::string(xb::AllTrim(s)); }
std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }

WorkArea* AreaOf(std::string_view table) {
  const std::string alias = TDictQZ::AliasOf(table);
  if (alias.empty()) return nullptr;
  const int n = WorkAreas::Get().AreaOfAlias(alias);
  return n == 0 ? nullptr : WorkAreas::Get().Area(n);
}

std::string Text(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0) return {};
  const Value v = a.GetField(pos);
  return v.IsString() ? Trim(v.AsString()) : std::string();
}
int Number(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0) return 0;
  const Value v = a.GetField(pos);
  return v.IsNumber() ? static_cast<int>(v.AsInt()) : 0;
}
bool Logical(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0) return false;
  const Value v = a.GetField(pos);
  return v.IsLogical() && v.AsLogical();
}
void Put(WorkArea& a, std::string_view name, const Value& v) {
  const int pos = a.FieldPos(name);
  if (pos > 0) a.PutField(pos, v);
}
Value S(std::string_view s) { return Value::String(s); }
Value N(int n) { return Value::Integer(n); }
Value L(bool b) { return Value::Logical(b); }

// Calls `f` on every row in natural order; `f` answers false to stop. The area stays where it was.
void EachRow(WorkArea& a, const std::function<bool()>& f) {
  const int order = a.controlling_order();
  const std::uint32_t recno = a.recno();
  const bool at_end = a.eof();
  a.SetControllingOrder(0);
  for (a.GoTop(); !a.eof(); a.Skip(1))
    if (!f()) break;
  a.SetControllingOrder(order);
  if (at_end) {
    a.GoBottom();
    a.Skip(1);
  } else {
    a.GoTo(recno);
  }
}

// Positions the area on the first row that `match` accepts; false when none does.
bool Find(WorkArea& a, const std::function<bool()>& match) {
  std::optional<std::uint32_t> found;
  EachRow(a, [&] {
    if (match()) found = a.recno();
    return !found;
  });
  if (found) a.GoTo(*found);
  return found.has_value();
}

bool LockCurrent(WorkArea& a) {
  SelectedArea keep;
  WorkAreas::Get().SelectArea(a.number());
  return !a.table().shared() || data::lNetRecLock();
}
bool Append(WorkArea& a) {
  SelectedArea keep;
  WorkAreas::Get().SelectArea(a.number());
  if (a.table().shared()) return data::lNetRecAdd();
  return a.Append(false);
}
void Release(WorkArea& a) {
  a.Commit();
  if (a.table().shared()) a.Unlock(a.recno());
}

bool OfReport(WorkArea& a, const std::string& code) { return Upper(Text(a, "INFORME")) == code; }

ColumnaRow ReadRow(WorkArea& a) {
  ColumnaRow c;
  c.nIdCol = Number(a, "IDCOL");
  c.nTipoCol = Number(a, "TIPOCOL");
  c.cTitulo = Trim(Text(a, "TITULO"));
  c.cDatos = Text(a, "DATOS");
  c.nAncho = Number(a, "ANCHO");
  c.nNumDecimal = Number(a, "NUMDECIMAL");
  c.cAlineacion = Text(a, "ALINEACION");
  c.lTotal = Logical(a, "TOTAL");
  c.lPicture = Logical(a, "PICTURE");
  c.cMascara = Text(a, "MASCARA");
  c.cCampo = Text(a, "CAMPO");
  c.cTipo = Upper(Text(a, "TIPO"));
  c.nLongitud = Number(a, "LONGITUD");
  c.nDecimal = Number(a, "DECIMAL");
  c.cCodExpr = Text(a, "CODEXPR");
  c.nParametro = Number(a, "PARAMETRO");
  c.cCampoRel = Text(a, "CAMPOREL");
  c.nLinea = std::max(1, Number(a, "LINEA"));
  c.nPInicial = Number(a, "PINICIAL");
  c.cFunDatos = Text(a, "FUNDATOS");
  c.cDescripc = Text(a, "DESCRIPC");
  c.nAnchoMax = Number(a, "ANCHOMAX");
  c.lImprimir = Logical(a, "IMPRIMIR");
  c.cDivisa = Text(a, "DIVISA");
  c.cFuncTit = Text(a, "FUNCTIT");
  c.lIniGrupo = Logical(a, "INIGRUPO");
  c.cVisible = Text(a, "VISIBLE");
  return c;
}

// The Columnas row of a column, current in its area; nullptr when there is none.
WorkArea* SeekColumn(const std::string& code, int idcol) {
  WorkArea* a = AreaOf("Columnas");
  if (a == nullptr) return nullptr;
  return Find(*a, [&] { return OfReport(*a, code) && Number(*a, "IDCOL") == idcol; }) ? a : nullptr;
}

// The position after the last printed column of a line, one blank on: where a new column starts.
int NextStart(const std::vector<ColumnaRow>& columns, int line) {
  int start = 1;
  for (const ColumnaRow& c : columns)
    if (c.lImprimir && c.nLinea == line) start = std::max(start, c.nPInicial + c.nAncho + 1);
  return start;
}

// The fields every new column takes alike.
struct NewColumn {
  int kind = 1;
  std::string titulo, datos, codexpr, camporel, fundatos, tipo = "C", mascara, divisa, functit, visible;
  int ancho = 0, decimales = 0, anchomax = 0, parametro = 0;
  bool imprimir = true, picture = false;
};

// The printed width of a field: its maximum width; for numbers the length of its mask, or
// without one the field's width (the plain mask a run gives it is as long).
int PrintedWidth(const std::string& type, int width, int decimals, int anchomax, const std::string& mask,
                 const std::string& description) {
  if (type == "N") {
    std::string m = Trim(mask);
    const std::size_t blank = m.find(' ');
    if (m.starts_with("@")) m = blank == std::string::npos ? std::string() : Trim(m.substr(blank + 1));
    if (!m.empty() && m.find('(') == std::string::npos) return static_cast<int>(m.size());
    return anchomax > 0 ? anchomax : std::max(width, 1);
  }
  return anchomax > 0 ? anchomax : LenCampo(type, width, decimals, description);
}

int AppendColumn(const std::string& code, const NewColumn& n) {
  WorkArea* a = AreaOf("Columnas");
  if (a == nullptr) return 0;
  const std::vector<ColumnaRow> columns = ReadColumnas(code);
  int idcol = 1;
  for (const ColumnaRow& c : columns) idcol = std::max(idcol, c.nIdCol + 1);
  if (!Append(*a)) return 0;
  Put(*a, "INFORME", S(code));
  Put(*a, "IDCOL", N(idcol));
  Put(*a, "TIPOCOL", N(n.kind));
  Put(*a, "TITULO", S(n.titulo));
  Put(*a, "DESCRIPC", S(n.titulo));
  Put(*a, "DATOS", S(n.datos));
  Put(*a, "CODEXPR", S(n.codexpr));
  Put(*a, "PARAMETRO", N(n.parametro));
  Put(*a, "FUNDATOS", S(n.fundatos));
  Put(*a, "ANCHO", N(n.ancho));
  Put(*a, "NUMDECIMAL", N(std::min(n.decimales, 9)));
  Put(*a, "DECIMAL", N(n.decimales));
  Put(*a, "ALINEACION", S(n.tipo == "C" ? "I" : "D"));
  Put(*a, "TOTAL", L(false));
  Put(*a, "PICTURE", L(n.picture));
  Put(*a, "MASCARA", S(n.mascara));
  Put(*a, "CAMPO", S("Colum" + std::to_string(idcol)));
  Put(*a, "TIPO", S(n.tipo == "F" ? "D" : n.tipo));
  Put(*a, "LONGITUD", N(n.anchomax));
  Put(*a, "ANCHOMAX", N(n.anchomax));
  Put(*a, "CAMPOREL", S(n.camporel));
  Put(*a, "LINEA", N(1));
  Put(*a, "PINICIAL", N(NextStart(columns, 1)));
  Put(*a, "IMPRIMIR", L(n.imprimir));
  Put(*a, "DIVISA", S(n.divisa));
  Put(*a, "FUNCTIT", S(n.functit));
  Put(*a, "VISIBLE", S(n.visible));
  Put(*a, "INIGRUPO", L(true));
  Release(*a);
  return idcol;
}

// A relation with what its search needs.
struct Hop {
  std::string destination, tag, expression, description;
};

// The relation paths from the master to `table`, each its hops.
std::vector<std::vector<Hop>> PathsTo(std::string_view master, std::string_view table) {
  std::vector<Relation> relations;
  std::vector<Hop> hops;
  WorkArea* a = AreaOf("Relacion");
  if (a == nullptr) return {};
  EachRow(*a, [&] {
    Relation r;
    r.origin = Upper(Text(*a, "TABORIGEN"));
    r.destination = Upper(Text(*a, "TABDESTINO"));
    r.id = Number(*a, "IDREL");
    r.direct = Logical(*a, "DIRECTA");
    r.description = Text(*a, "DESCRIPC");
    relations.push_back(r);
    hops.push_back({r.destination, Text(*a, "INDDESTINO"), Text(*a, "EXPBUSCAR"), r.description});
    return true;
  });
  std::vector<std::vector<Hop>> paths;
  for (const std::vector<std::size_t>& path : FindRelationPaths(relations, Upper(master), Upper(table))) {
    std::vector<Hop> p;
    for (std::size_t at : path) p.push_back(hops[at]);
    paths.push_back(std::move(p));
  }
  return paths;
}

bool Refuse(const std::string& text) {
  data::Ui().MsgStop(text, "Atención");
  return false;
}

bool FieldRow(WorkArea& campos, const std::string& table, const std::string& field) {
  return Find(campos, [&] { return Upper(Text(campos, "TABLA")) == table && Upper(Text(campos, "CAMPO")) == field; });
}

bool Ask(const std::string& text, const std::string& title) {
  const Value yes = xb::CallFunction("MSGYESNO", {S(text), S(title)});
  return yes.IsLogical() && yes.AsLogical();
}

}  // namespace

std::vector<ColumnaRow> ReadColumnas(std::string_view code_in) {
  std::vector<ColumnaRow> columns;
  WorkArea* a = AreaOf("Columnas");
  if (a == nullptr) return columns;
  const std::string code = Upper(code_in);
  EachRow(*a, [&] {
    if (OfReport(*a, code)) columns.push_back(ReadRow(*a));
    return true;
  });
  std::stable_sort(columns.begin(), columns.end(), [](const auto& x, const auto& y) { return x.nIdCol < y.nIdCol; });
  return columns;
}

std::string MasterOf(std::string_view code_in) {
  WorkArea* a = AreaOf("Informes");
  const std::string code = Upper(code_in);
  if (a == nullptr || !Find(*a, [&] { return OfReport(*a, code); })) return {};
  return Upper(Text(*a, "TABLAMAST"));
}

int LineasRegistro(std::string_view code_in) {
  WorkArea* a = AreaOf("Informes");
  const std::string code = Upper(code_in);
  if (a == nullptr || !Find(*a, [&] { return OfReport(*a, code); })) return 1;
  return std::max(1, Number(*a, "LINEASR"));
}

bool lColumnasEditables(std::string_view code_in) {
  const std::string code = Upper(code_in);
  if (cAccesoInforme(TDictQZ::AliasOf("Informes"), code, false, true, {}) != "2") {
    data::Ui().MsgStop("No dispone de acceso para modificar las columnas de este informe.", " Acceso denegado");
    return false;
  }
  WorkArea* a = AreaOf("Informes");
  if (a == nullptr || !Find(*a, [&] { return OfReport(*a, code); })) return false;
  const std::string master = Upper(Text(*a, "INFMASTER"));
  if (!master.empty() && master != code) return Refuse("Las columnas de este informe no son configurables");
  return true;
}

bool lCheckRelacion(std::string_view master, std::string_view table) {
  return Upper(master) == Upper(table) || !PathsTo(master, table).empty();
}

std::vector<CampoOfrecido> CamposDe(std::string_view table_in) {
  std::vector<CampoOfrecido> fields;
  WorkArea* a = AreaOf("Campos");
  if (a == nullptr) return fields;
  const std::string table = Upper(table_in);
  std::vector<std::pair<int, CampoOfrecido>> ordered;
  EachRow(*a, [&] {
    if (Upper(Text(*a, "TABLA")) == table && Upper(Text(*a, "VISIBLE")) != "N")
      ordered.push_back({Number(*a, "ORDEN"), {Text(*a, "CAMPO"), Text(*a, "DESCRIPC"), Upper(Text(*a, "TIPO"))}});
    return true;
  });
  std::stable_sort(ordered.begin(), ordered.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
  for (auto& [order, f] : ordered) fields.push_back(std::move(f));
  return fields;
}

std::vector<std::string> TablasOfrecidas(std::string_view master_in) {
  const std::string master = Upper(master_in);
  std::vector<std::string> tables{master};
  WorkArea* a = AreaOf("Tablas");
  if (a == nullptr) return tables;
  EachRow(*a, [&] {
    const std::string t = Upper(Text(*a, "TABLA"));
    if (t != master && Upper(Text(*a, "VISIBLE")) != "N") tables.push_back(t);
    return true;
  });
  std::sort(tables.begin() + 1, tables.end());
  return tables;
}

std::vector<ExpresionOfrecida> CargaExpresiones(std::string_view master_in) {
  const std::string master = Upper(master_in);
  std::vector<ExpresionOfrecida> offered;
  WorkArea* e = AreaOf("Expresio");
  WorkArea* c = AreaOf("ExprCol");
  if (e == nullptr || c == nullptr) return offered;
  std::vector<std::string> codes;
  EachRow(*e, [&] {
    if (Upper(Text(*e, "TABLA")) == master) codes.push_back(Upper(Text(*e, "CODIGO")));
    return true;
  });
  for (const std::string& code : codes) {
    std::vector<ExpresionOfrecida> elements;
    EachRow(*c, [&] {
      if (Upper(Text(*c, "CODIGO")) == code)
        elements.push_back({code, Text(*c, "DESCRIPC"), Number(*c, "PARAMETRO")});
      return true;
    });
    std::stable_sort(elements.begin(), elements.end(), [](const auto& x, const auto& y) { return x.parametro < y.parametro; });
    offered.insert(offered.end(), elements.begin(), elements.end());
  }
  return offered;
}

int AddColumnaCampo(std::string_view code_in, std::string_view table_in, std::string_view field_in) {
  const std::string code = Upper(code_in), table = Upper(table_in), field = Upper(field_in);
  const std::string master = MasterOf(code);
  WorkArea* campos = AreaOf("Campos");
  if (campos == nullptr || master.empty()) return 0;
  const bool is_master = table == master;
  for (const ColumnaRow& c : ReadColumnas(code)) {
    const bool of_field = c.nTipoCol == 1 || c.nTipoCol == 7 || c.nTipoCol == 2 || c.nTipoCol == 8;
    const bool same_table = (c.nTipoCol == 1 || c.nTipoCol == 7) ? is_master : Upper(c.cCodExpr) == table;
    if (of_field && same_table && Upper(c.cCampoRel) == field) return Refuse("Columna ya existente"), 0;
  }
  if (!FieldRow(*campos, table, field)) return Refuse("No puede añadir este campo como columna de su informe"), 0;
  NewColumn n;
  n.tipo = Upper(Text(*campos, "TIPO"));
  if (n.tipo.empty() || std::string("CNLDFH").find(n.tipo) == std::string::npos)
    return Refuse("No puede añadir este campo como columna de su informe"), 0;
  const int width = Number(*campos, "LONGITUD");
  n.decimales = Number(*campos, "DECIMAL");
  const std::string description = Text(*campos, "DESCRIPC");
  n.titulo = description.empty() ? Text(*campos, "CAMPO") : description;
  n.mascara = Text(*campos, "MASCARA");
  n.divisa = Text(*campos, "DIVISA");
  n.functit = Text(*campos, "FUNCTIT");
  n.visible = "S";
  n.camporel = Text(*campos, "CAMPO");
  const int anchomax = Number(*campos, "ANCHOMAX");
  n.anchomax = anchomax > 0 ? anchomax : LenCampo(n.tipo, width, n.decimales, description);
  n.ancho = PrintedWidth(n.tipo, width, n.decimales, anchomax, n.mascara, description);
  const bool values = Logical(*campos, "VALORES");
  std::vector<Hop> path;
  if (is_master) {
    n.kind = values ? 7 : 1;
    n.datos = n.titulo;
    n.codexpr = master;
  } else {
    const std::vector<std::vector<Hop>> paths = PathsTo(master, table);
    if (paths.empty())
      return Refuse("No es posible añadir esta columna.No hay relación establecida entre la tabla maestra y la tabla "
                    "actual"),
             0;
    std::size_t chosen = 0;
    if (paths.size() > 1) {
      xb::Array descriptions = xb::Array::New();
      for (const std::vector<Hop>& p : paths) {
        std::string text;
        for (const Hop& h : p) text += (text.empty() ? "" : " / ") + h.description;
        descriptions.Append(S(text));
      }
      const Value answer = xb::CallFunction("TI_SELECTRELACION", {Value(descriptions)});
      const int at = answer.IsNumber() ? static_cast<int>(answer.AsInt()) : 0;
      if (at < 1 || at > static_cast<int>(paths.size())) return 0;
      chosen = static_cast<std::size_t>(at - 1);
    }
    path = paths[chosen];
    n.kind = values ? 8 : 2;
    n.datos = path.front().expression;
    n.codexpr = table;
  }
  const int idcol = AppendColumn(code, n);
  if (idcol == 0 || path.empty()) return idcol;
  WorkArea* recol = AreaOf("Recol");
  if (recol == nullptr) return idcol;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (!Append(*recol)) break;
    Put(*recol, "INFORME", S(code));
    Put(*recol, "IDCOL", N(idcol));
    Put(*recol, "ORDEN", N(static_cast<int>(i) + 1));
    Put(*recol, "TABBUSCAR", S(path[i].destination));
    Put(*recol, "INDBUSCAR", S(path[i].tag));
    Put(*recol, "EXPBUSCAR", S(i + 1 < path.size() ? path[i + 1].expression : n.camporel));
    Put(*recol, "INFDOC", S("I"));
    Put(*recol, "IDCUERPO", N(0));
    Release(*recol);
  }
  return idcol;
}

int AddColumnaExpresion(std::string_view code_in, std::string_view expression_in, int parametro) {
  const std::string code = Upper(code_in), expression = Upper(expression_in);
  WorkArea* e = AreaOf("Expresio");
  WorkArea* c = AreaOf("ExprCol");
  if (e == nullptr || c == nullptr || MasterOf(code).empty()) return 0;
  for (const ColumnaRow& col : ReadColumnas(code)) {
    const bool of_expression = col.nTipoCol == 3 || col.nTipoCol == 6 || col.nTipoCol == 9;
    if (of_expression && Upper(col.cCodExpr) == expression && col.nParametro == parametro)
      return Refuse("Columna ya existente"), 0;
  }
  if (!Find(*e, [&] { return Upper(Text(*e, "CODIGO")) == expression; }) ||
      !Find(*c, [&] { return Upper(Text(*c, "CODIGO")) == expression && Number(*c, "PARAMETRO") == parametro; }))
    return Refuse("No puede añadir este campo como columna de su informe"), 0;
  NewColumn n;
  n.kind = Logical(*e, "GRUPO") ? 9 : 3;
  n.imprimir = n.kind != 9;
  n.datos = Text(*e, "EXPRESION");
  n.codexpr = Text(*e, "CODIGO");
  n.fundatos = Text(*e, "FUNDATOS");
  n.parametro = parametro;
  const std::string element = Text(*c, "DESCRIPC");
  n.titulo = element.empty() ? Text(*e, "DESCRIPC") : element;
  const std::string funcolumna = Text(*e, "FUNCOLUMNA");
  if (n.kind == 3 && !funcolumna.empty()) {
    // The column function, called with the expression's description, gives the column's.
    n.kind = 6;
    std::string name = funcolumna;
    if (const std::size_t paren = name.find('('); paren != std::string::npos) name = Trim(name.substr(0, paren));
    const std::string text = "{ | cTitulo | " + name + "( cTitulo ) }";
    if (!xb::CheckSyntax(text)) {
      const Value v = xb::MacroBlock(text).Eval({S(Text(*e, "DESCRIPC"))});
      if (v.IsString() && !Trim(v.AsString()).empty()) n.titulo = Trim(v.AsString());
    }
  }
  n.tipo = Upper(Text(*c, "TIPO"));
  if (n.tipo.empty()) n.tipo = "C";
  const int width = Number(*c, "LONGITUD");
  n.decimales = Number(*c, "DECIMAL");
  n.mascara = Text(*c, "MASCARA");
  n.divisa = Text(*c, "DIVISA");
  n.visible = Text(*c, "VISIBLE");
  n.camporel = Text(*c, "CAMPO");
  const int anchomax = Number(*c, "ANCHOMAX");
  n.anchomax = anchomax > 0 ? anchomax : LenCampo(n.tipo, width, n.decimales, n.titulo);
  n.ancho = PrintedWidth(n.tipo, width, n.decimales, anchomax, n.mascara, n.titulo);
  return AppendColumn(code, n);
}

std::string ClaseColumna(int kind) {
  switch (kind) {
    case 1:
    case 7: return "Columna directa. Campo de la tabla maestra";
    case 2:
    case 8: return "Columna relacionada. Dato de una tabla auxiliar";
    case 3:
    case 6:
    case 9: return "Columna de expresión. Expresión de la tabla maestra";
    default: return TipoCol(kind);
  }
}

bool GuardaColumna(std::string_view code_in, const ColumnaRow& c) {
  WorkArea* a = SeekColumn(Upper(code_in), c.nIdCol);
  if (a == nullptr || !LockCurrent(*a)) return false;
  Put(*a, "TITULO", S(c.cTitulo));
  Put(*a, "ANCHO", N(std::max(c.nAncho, 1)));
  Put(*a, "NUMDECIMAL", N(std::clamp(c.nNumDecimal, 0, 9)));
  Put(*a, "ALINEACION", S(c.cAlineacion));
  Put(*a, "TOTAL", L(c.lTotal));
  Put(*a, "MASCARA", S(c.cMascara));
  Put(*a, "LINEA", N(std::clamp(c.nLinea, 1, 9)));
  Put(*a, "PINICIAL", N(std::max(c.nPInicial, 1)));
  Release(*a);
  return true;
}

bool DelColumna(std::string_view code_in, int idcol) {
  const std::string code = Upper(code_in);
  const std::vector<ColumnaRow> columns = ReadColumnas(code);
  const auto it = std::find_if(columns.begin(), columns.end(), [&](const ColumnaRow& c) { return c.nIdCol == idcol; });
  if (it == columns.end()) return false;
  const std::string name = it->cCampo;
  if (WorkArea* g = AreaOf("Graficos")) {
    bool used = false;
    EachRow(*g, [&] {
      const std::string function = Text(*g, "FUNCION");
      used = HasIdentifier(function, code) && HasIdentifier(function, name);
      return !used;
    });
    if (used)
      return Refuse("No puede eliminar una columna que forma parte de un gráfico. Antes debe eliminar la columna del "
                    "gráfico");
  }
  for (const ColumnaRow& c : columns)
    if ((c.nTipoCol == 4 || c.nTipoCol == 5) && c.nIdCol != idcol && !lDelete(c.cDatos, name))
      return Refuse("No puede eliminar una columna que forma parte de una columna calculada o acumulada. Antes debe "
                    "eliminar la columna calculada o acumulada.");
  if (WorkArea* k = AreaOf("Condicio")) {
    bool used = false;
    EachRow(*k, [&] {
      if (OfReport(*k, code) && Text(*k, "INFDOC") == "I")
        used = HasIdentifier(Text(*k, "COLUMNA"), name) || HasIdentifier(Text(*k, "CAMPO"), name) ||
               HasIdentifier(Text(*k, "IMPRIME"), name);
      return !used;
    });
    if (used)
      return Refuse("No puede eliminar una columna que forma parte de una condición del listado. Revise las "
                    "condiciones del listado ( Orden y Subtotales ) antes de eliminar la columna");
  }
  if (!Ask(" ¿ Desea eliminar esta columna del informe ?", "Atención, confirme")) return false;
  WorkArea* a = SeekColumn(code, idcol);
  if (a == nullptr || !LockCurrent(*a)) return false;
  a->Delete();
  Release(*a);
  for (const char* table : {"Recol", "CnfColum"}) {
    WorkArea* r = AreaOf(table);
    if (r == nullptr) continue;
    EachRow(*r, [&] {
      if (OfReport(*r, code) && Number(*r, "IDCOL") == idcol && LockCurrent(*r)) {
        r->Delete();
        Release(*r);
      }
      return true;
    });
  }
  return true;
}

namespace {

// Exchanges the column's start with its neighbour on the line (the one before it when
// `up`); the second of the two then follows the first after one blank.
bool MoveColumn(std::string_view code_in, int idcol, bool up) {
  const std::string code = Upper(code_in);
  const std::vector<ColumnaRow> columns = ReadColumnas(code);
  const auto self = std::find_if(columns.begin(), columns.end(), [&](const ColumnaRow& c) { return c.nIdCol == idcol; });
  if (self == columns.end() || !self->lImprimir) return false;
  const ColumnaRow* near = nullptr;
  for (const ColumnaRow& c : columns) {
    if (!c.lImprimir || c.nLinea != self->nLinea || c.nIdCol == idcol) continue;
    const bool beyond = up ? c.nPInicial < self->nPInicial : c.nPInicial > self->nPInicial;
    if (beyond && (near == nullptr || (up ? c.nPInicial > near->nPInicial : c.nPInicial < near->nPInicial))) near = &c;
  }
  if (near == nullptr) return false;
  const ColumnaRow& first = up ? *self : *near;
  const ColumnaRow& second = up ? *near : *self;
  const int start = std::min(self->nPInicial, near->nPInicial);
  const std::pair<int, int> moves[] = {{first.nIdCol, start}, {second.nIdCol, start + first.nAncho + 1}};
  for (const auto& [id, at] : moves) {
    WorkArea* a = SeekColumn(code, id);
    if (a == nullptr || !LockCurrent(*a)) return false;
    Put(*a, "PINICIAL", N(at));
    Release(*a);
  }
  return true;
}

}  // namespace

bool UpColumn(std::string_view code, int idcol) { return MoveColumn(code, idcol, true); }
bool DownColumn(std::string_view code, int idcol) { return MoveColumn(code, idcol, false); }

bool lPuedeCalcular(std::string_view code) {
  for (const ColumnaRow& c : ReadColumnas(code))
    if (c.cTipo == "N" || c.cTipo == "H" || c.nTipoCol == 3 || c.nTipoCol == 6) return true;
  return false;
}

bool lCheckFormula(std::string_view code, std::string_view formula) {
  if (Trim(formula).empty()) return false;
  const std::vector<ColumnaRow> columns = ReadColumnas(code);
  std::string text(formula);
  for (const std::string& operand : ColumnOperands(formula)) {
    const bool known = std::any_of(columns.begin(), columns.end(), [&](const ColumnaRow& c) { return Upper(c.cCampo) == operand; });
    if (!known) return false;
  }
  // Each operand, as a whole token, becomes a number.
  std::string plain;
  for (std::size_t i = 0; i < text.size();) {
    const std::string rest = Upper(text.substr(i, 5));
    const bool starts = rest == "COLUM" && (i == 0 || !(std::isalnum(static_cast<unsigned char>(text[i - 1])) || text[i - 1] == '_'));
    std::size_t j = i + 5;
    while (starts && j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) ++j;
    if (starts && j > i + 5) {
      plain += "1";
      i = j;
    } else {
      plain += text[i++];
    }
  }
  const Value type = xb::CallFunction("TYPE", {S(plain)});
  return type.IsString() && Trim(type.AsString()) == "N";
}

bool CalcExpresion(std::string_view code, std::string_view formula) {
  if (lCheckFormula(code, formula)) {
    data::Ui().MsgInfo("Expresión correcta", "Información");
    return true;
  }
  data::Ui().MsgStop("Expresión incorrecta", "Atención");
  return false;
}

std::string TipoHoras(std::string_view formula, const std::vector<ColumnaRow>& columns, std::string_view type) {
  for (const std::string& operand : ColumnOperands(formula)) {
    for (const ColumnaRow& c : columns) {
      if (Upper(c.cCampo) != operand || c.cTipo != "H") continue;
      if (Ask("Uno o más operandos de la expresión son de tipo horas/minutos. \n\r¿ Desea que el resultado se imprima "
              "con ese formato ?",
              " Atención"))
        return "H";
      return std::string(type);
    }
  }
  return std::string(type);
}

int AddColumnaCalculada(std::string_view code_in, std::string_view formula, bool acumulada) {
  const std::string code = Upper(code_in);
  if (!lCheckFormula(code, formula)) return Refuse("Expresión incorrecta"), 0;
  const std::vector<ColumnaRow> columns = ReadColumnas(code);
  NewColumn n;
  n.kind = acumulada ? 5 : 4;
  n.datos = Trim(formula);
  n.tipo = TipoHoras(formula, columns, "N");
  int width = 10, decimals = 0;
  for (const std::string& operand : ColumnOperands(formula))
    for (const ColumnaRow& c : columns)
      if (Upper(c.cCampo) == operand) {
        width = std::max(width, std::max(c.nAncho, c.nAnchoMax));
        decimals = std::max(decimals, c.nDecimal);
      }
  n.ancho = n.anchomax = width;
  n.decimales = decimals;
  n.picture = n.tipo == "N";
  n.visible = "S";
  int idcol = 1;
  for (const ColumnaRow& c : columns) idcol = std::max(idcol, c.nIdCol + 1);
  n.titulo = " Columna " + std::to_string(idcol);
  return AppendColumn(code, n);
}

bool DoPreview(std::string_view code_in, ReportDevice& device) {
  const std::string code = Upper(code_in);
  WorkArea* inf = AreaOf("Informes");
  if (inf == nullptr || !Find(*inf, [&] { return OfReport(*inf, code); })) return false;
  std::vector<ColumnaRow> columns = ReadColumnas(code);
  if (columns.empty()) {
    data::Ui().MsgStop("Debe definir alguna columna", "Atención");
    return false;
  }
  std::string title = Text(*inf, "TITULO");
  if (title.empty()) title = "Sin título";
  const std::string cabecera = Text(*inf, "CABECERA");
  const int fnt_tit = std::max(1, Number(*inf, "FNT_TIT")), fnt_lin = std::max(1, Number(*inf, "FNT_LIN"));
  const int fnt_sub = std::max(1, Number(*inf, "FNT_SUB")), fnt_tot = std::max(1, Number(*inf, "FNT_TOT"));
  // Per-column fonts.
  std::map<int, std::array<int, 4>> fonts;
  if (WorkArea* f = AreaOf("CnfColum"))
    EachRow(*f, [&] {
      if (OfReport(*f, code))
        fonts[Number(*f, "IDCOL")] = {Number(*f, "FNT_LIN"), Number(*f, "FNT_TIT"), Number(*f, "FNT_TOT"), Number(*f, "FNT_SUB")};
      return true;
    });
  TQZReport report(&device);
  report.cPageTotal = Text(*inf, "DESDE");
  report.cGrandTotal = Text(*inf, "HASTA");
  report.nTitleUpLine = 0;
  report.nTitleDnLine = 1;
  report.nTotalLine = 1;
  report.nLineasReg = std::max(1, Number(*inf, "LINEASR"));
  report.nMgIzMM = Number(*inf, "MARGEN");
  report.nTotalFont = fnt_tot;
  report.nSubTTFont = fnt_sub;
  const DesignedHeader header = cabecera.empty() ? DesignedHeader{} : ReadDesignedHeader(cabecera);
  if (header.found) {
    report.nAltoCabMM = header.posicion;
    report.nMgDnMM = header.pfinal;
    report.bStartPage = [cabecera, title](TQZReport& r) {
      r.nRow = ImprimeCabecera(*r.Device(), cabecera, r.nPage, title, "");
    };
  } else {
    report.bStartPage = [title, fnt_tit](TQZReport& r) {
      ReportDevice& d = *r.Device();
      d.Say(r.nTopMargin, r.nLeftMargin, title, fnt_tit, d.Width() - r.nLeftMargin - r.nRightMargin, 3);
      r.nRow = r.nTopMargin + d.TextHeight(fnt_tit);
    };
  }
  std::stable_sort(columns.begin(), columns.end(), [](const auto& x, const auto& y) {
    return x.nLinea != y.nLinea ? x.nLinea < y.nLinea : x.nPInicial < y.nPInicial;
  });
  for (const ColumnaRow& c : columns) {
    if (!c.lImprimir) continue;
    TQZRCol col;
    col.cTitle = c.cTitulo;
    if (c.nAncho > 0 && static_cast<int>(col.cTitle.size()) > c.nAncho) col.cTitle.resize(static_cast<std::size_t>(c.nAncho));
    col.bData = [] { return Value::String(""); };
    col.cTipoCol = "C";
    col.nAnchoCol = c.nPInicial;
    col.nSize = c.nAncho;
    col.nPad = Upper(c.cAlineacion) == "D" ? 2 : Upper(c.cAlineacion) == "I" ? 1 : 3;
    col.nLinea = c.nLinea;
    col.aFonts = {fnt_lin, fnt_tit, fnt_tot, fnt_sub};
    if (const auto f = fonts.find(c.nIdCol); f != fonts.end())
      for (std::size_t i = 0; i < 4; ++i)
        if (f->second[i] > 0) col.aFonts[i] = f->second[i];
    report.AddColumn(col);
  }
  report.bWhile = [] { return false; };
  report.bSkip = [] {};
  return report.Activate();
}

void RegisterReportColumns() {
  // TI_TIPOHORAS(cFormula, cAliasColumnas, @cTipo): the columns of the alias's table by
  // their work field ("CAMPO") and type.
  xb::RegisterFunction("TI_TIPOHORAS", [](xb::Args& a) {
    std::vector<ColumnaRow> columns;
    const int n = WorkAreas::Get().AreaOfAlias(Trim(a.Str(2)));
    if (WorkArea* area = n == 0 ? nullptr : WorkAreas::Get().Area(n))
      EachRow(*area, [&] {
        columns.push_back(ReadRow(*area));
        return true;
      });
    const std::string type = a.Arg(3).IsString() ? std::string(a.Str(3)) : std::string("N");
    const std::string result = TipoHoras(a.Str(1), columns, type);
    if (a.IsByRef(3)) a.SetRef(3, S(result));
    return S(result);
  });
}

}  // namespace reports
