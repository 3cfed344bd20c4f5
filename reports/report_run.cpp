#include "reports/report_run.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <regex>

#include "data/data_ui.h"
#include "data/table_views.h"
#include "data/temporary_tables.h"
#include "reports/access_rules.h"
#include "reports/expressions.h"
#include "reports/report_engine.h"
#include "reports/report_masks.h"
#include "reports/report_text_device.h"
#include "reports/tdictqz.h"
#include "runtime/block.h"
#include "runtime/codepage.h"
#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/lib/numbers.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/number.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

ReportRunHook& Hook() {
  static ReportRunHook hook;
  return hook;
}

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), s); }
std::string Trim(std::string_view s) { return std::string(xb::AllTrim(s)); }
std::string RTrim(std::string_view s) { return std::string(xb::RTrim(s)); }

WorkArea* AreaOf(std::string_view alias) {
  WorkAreas& areas = WorkAreas::Get();
  const int n = areas.AreaOfAlias(Trim(alias));
  return n == 0 ? nullptr : areas.Area(n);
}

std::string Text(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0) return {};
  const Value v = a.GetField(pos);
  return v.IsString() ? RTrim(v.AsString()) : std::string();
}
int Number(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0) return 0;
  const Value v = a.GetField(pos);
  return v.IsNumber() ? static_cast<int>(v.AsDouble()) : 0;
}
double Real(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0) return 0;
  const Value v = a.GetField(pos);
  return v.IsNumber() ? v.AsDouble() : 0;
}
bool Logical(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0) return false;
  const Value v = a.GetField(pos);
  return v.IsLogical() && v.AsLogical();
}

using xb::rdd::SelectedArea;

// Calls f on every row of `alias` in the order of `tag` from the key on while `same` holds.
template <typename Same, typename F>
void EachFrom(std::string_view alias, std::string_view tag, const std::string& key, Same&& same, F&& f) {
  WorkArea* area = AreaOf(alias);
  if (area == nullptr) return;
  SelectedArea keep;
  WorkAreas::Get().SelectArea(area->number());
  xb::CallFunction("ORDSETFOCUS", {Value::String(tag)});
  xb::CallFunction("DBSEEK", {Value::String(key), Value::Logical(true)});
  for (; !area->eof() && same(*area); area->Skip(1)) f(*area);
}

// Evaluates text in an area, compiled once per run.
class Compiled {
 public:
  Value Eval(const std::string& text, WorkArea* area = nullptr, std::initializer_list<Value> args = {}) {
    auto it = blocks_.find(text);
    if (it == blocks_.end()) {
      // A block's text is the block; any other text an expression.
      xb::Block block;
      if (Trim(text).starts_with("{")) {
        const Value v = xb::EvalMacro(text);
        if (v.IsBlock()) block = v.AsBlock();
      }
      it = blocks_.emplace(text, block ? block : GenBlock(text)).first;
    }
    SelectedArea keep;
    if (area != nullptr) WorkAreas::Get().SelectArea(area->number());
    return it->second.Eval(args);
  }

 private:
  std::map<std::string, xb::Block> blocks_;
};

Value EmptyOf(const std::string& type, int width) {
  if (type == "N" || type == "H") return Value::Integer(0);
  if (type == "L") return Value::Logical(false);
  if (type == "D" || type == "F") return Value::FromDate(xb::Date());
  return Value::String(std::string(static_cast<std::size_t>(std::max(width, 0)), ' '));
}

bool SameType(const Value& v, const std::string& type) {
  if (type == "N" || type == "H") return v.IsNumber();
  if (type == "L") return v.IsLogical();
  if (type == "D" || type == "F") return v.IsDate();
  return v.IsString();
}

std::string ValueText(const Value& v) {
  if (v.IsString()) return std::string(v.AsString());
  if (v.IsLogical()) return v.AsLogical() ? ".T." : ".F.";
  if (v.IsDate()) return v.AsDate().Dtos();
  if (v.IsNumber()) return Trim(xb::NumberToStr(v));
  return {};
}

// "Colum" and all its digits, as whole tokens.
bool NamesColumn(const std::string& text, const std::string& name) {
  const std::regex word("\\b" + name + "\\b", std::regex::icase);
  return std::regex_search(text, word);
}

// Pieces of a " + " list.
std::vector<std::string> Pieces(const std::string& text) {
  std::vector<std::string> out;
  std::size_t at = 0;
  while (at <= text.size()) {
    const std::size_t plus = text.find('+', at);
    const std::string piece = Trim(text.substr(at, plus == std::string::npos ? std::string::npos : plus - at));
    if (!piece.empty()) out.push_back(piece);
    if (plus == std::string::npos) break;
    at = plus + 1;
  }
  return out;
}

// The order-preserving key text of a work field, numbers by value (negative ones too).
std::string KeyOf(const std::string& field, const std::string& type) {
  if (type == "D" || type == "F") return "DToS( " + field + " )";
  if (type == "N" || type == "H") return "Str( " + field + " + 10000000000000, 21, 6 )";
  if (type == "L") return "IIf( " + field + ", 'T', 'F' )";
  return "Upper( " + field + " )";
}

const char* const kOperadores[] = {"", "==", "<>", "< ", "> ", "<=", ">=", "Empty(", ".not. Empty(", "$"};

template <typename T>
bool Compare(const T& a, const T& b, const std::string& op) {
  if (op == "<>") return a != b;
  if (op == "< ") return a < b;
  if (op == "> ") return a > b;
  if (op == "<=") return a <= b;
  if (op == ">=") return a >= b;
  return a == b;
}

bool EmptyValue(const Value& v) {
  if (v.IsNil()) return true;
  if (v.IsString()) return Trim(v.AsString()).empty();
  if (v.IsNumber()) return v.AsDouble() == 0;
  if (v.IsLogical()) return !v.AsLogical();
  if (v.IsDate()) return v.AsDate().IsEmpty();
  return false;
}

}  // namespace

void SetReportRunHook(ReportRunHook hook) { Hook() = std::move(hook); }
const ReportRunHook& CurrentReportRunHook() { return Hook(); }

std::string ConditionDate(std::string_view text) {
  const std::string t = Trim(text);
  auto digits = [&](std::size_t from, std::size_t n) {
    for (std::size_t i = from; i < from + n; ++i)
      if (i >= t.size() || !std::isdigit(static_cast<unsigned char>(t[i]))) return false;
    return true;
  };
  if (t.size() == 8 && digits(0, 8)) return t;
  const bool dashed = t.size() >= 8 && (t[2] == '-' || t[2] == '/') && (t[5] == '-' || t[5] == '/') &&
                      digits(0, 2) && digits(3, 2);
  if (dashed && t.size() == 10 && digits(6, 4)) return t.substr(6, 4) + t.substr(3, 2) + t.substr(0, 2);
  if (dashed && t.size() == 8 && digits(6, 2)) {
    const int yy = std::stoi(t.substr(6, 2));
    const int epoch = xb::Sets().epoch;
    int year = epoch / 100 * 100 + yy;
    if (year < epoch) year += 100;
    return std::to_string(year) + t.substr(3, 2) + t.substr(0, 2);
  }
  return {};
}

struct TInforme::Run {
  bool opened_dict = false;
  xb::Ref<TDictQZ> dict;
  int view = 0;
  std::vector<std::pair<std::string, std::string>> tables;  // {name upper, alias}
  xb::Ref<data::TTemporal> tmp;
  WorkArea* master = nullptr;
  WorkArea* work = nullptr;
  int area_before = 0;
  Compiled code;
  // The Informes row.
  std::string titulo, desde, hasta, cabecera, infmaster;
  bool ljump = false, desglose = true;
  int margen = 0, lineasr = 1;
  int fnt_tit = 1, fnt_lin = 1, fnt_sub = 1, fnt_tot = 1;
  std::vector<std::string> masks;
  struct Group {
    std::string key, header, footer;
    std::vector<std::pair<int, std::string>> headings;  // {line, text}
  };
  std::vector<Group> groups;
  std::vector<bool> group_columns;
  std::string first_key;
  bool calculated = false;
};

TInforme::TInforme() = default;
TInforme::~TInforme() = default;

xb::Value TInforme::ChangeValues(const std::string& table, const std::string& field, const Value& value,
                                 int anchomax) {
  if (anchomax <= 0) return value;
  const std::string alias = TDictQZ::AliasOf("CampoRes");
  std::string text = Trim(ValueText(value));
  if (value.IsLogical()) text = Upper(text);
  Value result = value;
  EachFrom(alias, "TCampo", Upper(xb::PadR(table, 10) + field),
           [&](WorkArea& a) { return Upper(Text(a, "TABLA")) == Upper(table) && Upper(Text(a, "CAMPO")) == Upper(field); },
           [&](WorkArea& a) {
             std::string stored = Trim(Text(a, "VALOR"));
             if (value.IsLogical()) stored = Upper(stored);
             if (stored == text) result = Value::String(Text(a, "RESULTA"));
           });
  return result;
}

Value TInforme::EvalRelacion(Run& run, const ColumnDef& column) {
  Value value = run.code.Eval(column.cDatos, run.master);
  bool ok = true;
  const std::string recol = TDictQZ::AliasOf("Recol");
  std::vector<std::tuple<std::string, std::string, std::string>> steps;
  EachFrom(recol, "InCoOrd", Upper(xb::PadR(cMainInforme, 10) + "I" + xb::PadL("0", 3) + xb::PadL(std::to_string(column.nIdCol), 3)),
           [&](WorkArea& a) {
             return Upper(Text(a, "INFORME")) == Upper(cMainInforme) && Text(a, "INFDOC") == "I" &&
                    Number(a, "IDCUERPO") == 0 && Number(a, "IDCOL") == column.nIdCol;
           },
           [&](WorkArea& a) { steps.emplace_back(Text(a, "TABBUSCAR"), Text(a, "INDBUSCAR"), Text(a, "EXPBUSCAR")); });
  for (const auto& [table, tag, expression] : steps) {
    WorkArea* area = nullptr;
    for (const auto& [name, alias] : run.tables)
      if (name == Upper(Trim(table))) area = AreaOf(alias);
    if (area == nullptr) {
      ok = false;
      break;
    }
    SelectedArea keep;
    WorkAreas::Get().SelectArea(area->number());
    xb::CallFunction("ORDSETFOCUS", {Value::String(tag)});
    const Value found = xb::CallFunction("DBSEEK", {value, Value::Logical(false)});
    if (!found.IsLogical() || !found.AsLogical()) {
      ok = false;
      break;
    }
    value = run.code.Eval(expression, area);
  }
  return ok ? value : Value();
}

bool TInforme::CheckOne(const CondicionRow& row) {
  std::size_t pos = 0;
  while (pos < aCampos.size() && Upper(aCampos[pos]) != Upper(Trim(row.cColumna))) ++pos;
  Value value = !aRegPrede[pos].IsNil() ? aRegPrede[pos] : aRegistro[pos];
  if (!row.cFuncion.empty()) value = GenBlock("{ | cValor | " + row.cFuncion + " ( cValor ) }").Eval({value});
  const int op_index = row.nOperador >= 1 && row.nOperador <= 10 ? row.nOperador - 1 : 0;
  std::string op = kOperadores[op_index];
  if (op.empty()) op = "==";
  if (op_index == 7) return EmptyValue(value);
  if (op_index == 8) return !EmptyValue(value);
  const std::string type = Upper(Trim(row.cFldTipo));
  if (op == "$") return ValueText(value).find(Trim(row.cValor)) != std::string::npos;
  if (type == "N" || type == "H") {
    const double a = std::round((value.IsNumber() ? value.AsDouble() : 0) * 1e6) / 1e6;
    const Value b_value = xb::Val(Trim(row.cValor));
    const double b = std::round((b_value.IsNumber() ? b_value.AsDouble() : 0) * 1e6) / 1e6;
    return Compare(a, b, op);
  }
  if (type == "L") {
    const std::string a = value.IsLogical() && value.AsLogical() ? "2" : "1";
    const std::string b = Upper(Trim(row.cValor)) == ".T." ? "2" : "1";
    return Compare(a, b, op);
  }
  if (type == "D" || type == "F") {
    const std::string a = value.IsDate() ? value.AsDate().Dtos() : ConditionDate(ValueText(value));
    return Compare(a, ConditionDate(row.cValor), op);
  }
  if (type == "A") {
    for (std::size_t i = 0; i < aNomRangos.size(); ++i) {
      if (aNomRangos[i] != Upper(Trim(row.cTabla) + Trim(row.cCampo))) continue;
      const std::string a = Trim(ValueText(value));
      for (const std::string& item : aRangos[i])
        if (Trim(item) == a) return true;
    }
    return false;
  }
  std::string a = Trim(ValueText(value));
  std::string b = Trim(row.cValor);
  if (type == "V") {
    std::vector<std::string> results;
    EachFrom(TDictQZ::AliasOf("CampoRes"), "TCampo", Upper(xb::PadR(row.cTabla, 10) + row.cCampo),
             [&](WorkArea& r) {
               return Upper(Text(r, "TABLA")) == Upper(Trim(row.cTabla)) && Upper(Text(r, "CAMPO")) == Upper(Trim(row.cCampo));
             },
             [&](WorkArea& r) { results.push_back(Trim(Text(r, "RESULTA"))); });
    const Value n = xb::Val(b);
    const int at = n.IsNumber() ? static_cast<int>(n.AsDouble()) : 0;
    a = Upper(a);
    b = at >= 1 && at <= static_cast<int>(results.size()) ? Upper(results[static_cast<std::size_t>(at - 1)]) : a;
    return Compare(a, b, op);
  }
  if (value.IsLogical() || Upper(b) == ".T." || Upper(b) == ".F.") {
    a = Upper(a);
    b = Upper(b);
  }
  std::replace(a.begin(), a.end(), '"', '\'');
  std::replace(b.begin(), b.end(), '"', '\'');
  const std::size_t width = std::max(a.size(), b.size());
  a = xb::PadR(a, static_cast<std::int64_t>(width));
  b = xb::PadR(b, static_cast<std::int64_t>(width));
  return Compare(a, b, op);
}

bool TInforme::CheckCondicion(const std::vector<CondicionRow>& rows, const std::string& cTipo) {
  std::vector<const CondicionRow*> mine;
  for (const CondicionRow& r : rows) {
    if (r.cTipo != cTipo) continue;
    const std::string col = Upper(Trim(r.cColumna));
    if (std::none_of(aCampos.begin(), aCampos.end(), [&](const std::string& f) { return Upper(f) == col; })) continue;
    mine.push_back(&r);
  }
  if (mine.empty()) return cTipo != "D";
  // Left to right over every row; "(" and ")" of copied conditions nest.
  std::size_t at = 0;
  std::function<bool()> chain = [&]() {
    bool result = true;
    int link = -1;
    while (at < mine.size()) {
      const CondicionRow& r = *mine[at];
      bool operand;
      if (Trim(r.cParent1) == "(" ) {
        CondicionRow plain = r;
        plain.cParent1.clear();
        operand = CheckOne(plain);
        ++at;
        // The rest of the parenthesis, joined by this row's link.
        const int inner_link = r.nEnlace;
        const bool rest = at < mine.size() ? chain() : true;
        operand = inner_link == 2 ? operand && rest : inner_link == 0 ? rest : operand || rest;
      } else {
        operand = CheckOne(r);
        ++at;
      }
      if (link < 0) result = operand;
      else if (link == 2) result = result && operand;
      else if (link == 1 || link == 3) result = result || operand;
      else result = operand;
      link = r.nEnlace;
      if (Trim(r.cParent1) == ")") break;
    }
    return result;
  };
  return chain();
}

bool TInforme::RunInforme(const std::string& cInforme, bool lOpenDict, const std::string& cAliasIn,
                          const std::string& cCondLisIn) {
  Run run;
  run.area_before = WorkAreas::Get().CurrentArea();
  cCondLis = cCondLisIn;
  if (lOpenDict) {
    run.dict = xb::MakeRef<TDictQZ>();
    run.dict->New(TDictQZ::cPath());
    if (!run.dict->Activate("I", false)) return false;
    run.opened_dict = true;
  }
  bool printed = false;
  try {
    printed = DoRun(run, cInforme, cAliasIn);
  } catch (...) {
    Cleanup(run);
    throw;
  }
  Cleanup(run);
  return printed;
}

void TInforme::Cleanup(Run& run) {
  if (run.tmp) {
    run.tmp->End(true);
    run.tmp = nullptr;
  }
  if (run.view > 0) data::RestoreView(run.view);
  run.view = 0;
  if (run.opened_dict && run.dict) run.dict->End();
  run.opened_dict = false;
  WorkAreas::Get().SelectArea(run.area_before);
}

bool TInforme::DoRun(Run& run, const std::string& cInforme, const std::string& cAliasIn) {
  data::DataUi& ui = data::Ui();
  const std::string informes = TDictQZ::AliasOf("Informes");
  WorkArea* inf = AreaOf(informes);
  if (inf == nullptr) return false;
  if (cAccesoInforme(informes, cInforme, false, true, {}) == "0") {
    ui.MsgStop("No dispone de acceso para ejecutar este informe.", "Acceso denegado");
    return false;
  }
  {
    SelectedArea keep;
    WorkAreas::Get().SelectArea(inf->number());
    xb::CallFunction("ORDSETFOCUS", {Value::String("Informe")});
    xb::CallFunction("DBSEEK", {Value::String(Upper(Trim(cInforme)))});
  }
  if (inf->eof()) return false;
  cTablaMaestra = Trim(Text(*inf, "TABLAMAST"));
  cMainInforme = Trim(Text(*inf, "INFORME"));
  run.titulo = Trim(Text(*inf, "TITULO"));
  run.desde = RTrim(Text(*inf, "DESDE"));
  run.hasta = RTrim(Text(*inf, "HASTA"));
  run.cabecera = Text(*inf, "CABECERA");
  run.infmaster = Text(*inf, "INFMASTER");
  run.ljump = Logical(*inf, "LJUMP");
  run.desglose = Logical(*inf, "DESGLOSE");
  run.margen = Number(*inf, "MARGEN");
  run.lineasr = std::max(1, Number(*inf, "LINEASR"));
  run.fnt_tit = Number(*inf, "FNT_TIT");
  run.fnt_lin = Number(*inf, "FNT_LIN");
  run.fnt_sub = Number(*inf, "FNT_SUB");
  run.fnt_tot = Number(*inf, "FNT_TOT");

  // The columns, in IDCOL order.
  aColumnas.clear();
  const std::string code = Upper(cMainInforme);
  EachFrom(TDictQZ::AliasOf("Columnas"), "Informe", Upper(xb::PadR(cMainInforme, 10)),
           [&](WorkArea& a) { return Upper(Text(a, "INFORME")) == code; },
           [&](WorkArea& a) {
             ColumnDef c;
             c.nIdCol = Number(a, "IDCOL");
             c.nTipoCol = Number(a, "TIPOCOL");
             c.cTitulo = Trim(Text(a, "TITULO"));
             c.cDatos = Trim(Text(a, "DATOS"));
             c.nAncho = Number(a, "ANCHO");
             c.nNumDecimal = Number(a, "NUMDECIMAL");
             c.cAlineacion = Text(a, "ALINEACION");
             c.lTotal = Logical(a, "TOTAL");
             c.lPicture = Logical(a, "PICTURE");
             c.cMascara = Trim(Text(a, "MASCARA"));
             c.cCampo = Trim(Text(a, "CAMPO"));
             c.cTipo = Upper(Trim(Text(a, "TIPO")));
             if (c.cTipo == "F") c.cTipo = "D";
             c.nLongitud = Number(a, "LONGITUD");
             c.nDecimal = Number(a, "DECIMAL");
             c.cCodExpr = Trim(Text(a, "CODEXPR"));
             c.nParametro = Number(a, "PARAMETRO");
             c.cCampoRel = Trim(Text(a, "CAMPOREL"));
             c.nLinea = std::max(1, Number(a, "LINEA"));
             c.nPInicial = Number(a, "PINICIAL");
             c.cFunDatos = Trim(Text(a, "FUNDATOS"));
             c.cDescripc = Trim(Text(a, "DESCRIPC"));
             c.nAnchoMax = Number(a, "ANCHOMAX");
             c.lImprimir = Logical(a, "IMPRIMIR");
             c.cDivisa = Trim(Text(a, "DIVISA"));
             c.cFuncTit = Trim(Text(a, "FUNCTIT"));
             c.lIniGrupo = Logical(a, "INIGRUPO");
             aColumnas.push_back(c);
           });
  if (aColumnas.empty()) {
    ui.MsgStop("Este informe no tiene definida ninguna columna.\n\rDebe añadir al menos una columna para poder "
               "ejecutar el informe",
               "Atención");
    return false;
  }
  // Conditions, orders and groups of the report.
  aCondiciones.clear();
  EachFrom(TDictQZ::AliasOf("Condicio"), "Informe", Upper(xb::PadR(cMainInforme, 10)) + "I",
           [&](WorkArea& a) { return Upper(Text(a, "INFORME")) == code && Text(a, "INFDOC") == "I"; },
           [&](WorkArea& a) {
             CondicionRow r;
             r.cTipo = Text(a, "TIPO");
             r.cOrden = Text(a, "ORDEN");
             r.nEnlace = Number(a, "ENLACE");
             r.cTabla = Trim(Text(a, "TABLA"));
             r.cCampo = Trim(Text(a, "CAMPO"));
             r.nOperador = Number(a, "OPERADOR");
             r.cValor = Text(a, "VALOR");
             r.cFldTipo = Trim(Text(a, "FLDTIPO"));
             r.cTextoTit = RTrim(Text(a, "TEXTOTIT"));
             r.cTextoPie = RTrim(Text(a, "TEXTOPIE"));
             r.cColumna = Trim(Text(a, "COLUMNA"));
             r.cImprime = Trim(Text(a, "IMPRIME"));
             aCondiciones.push_back(r);
           });

  // The master table and the tables of the search chains.
  std::vector<std::string> wanted{cTablaMaestra};
  EachFrom(TDictQZ::AliasOf("Recol"), "InCoOrd", Upper(xb::PadR(cMainInforme, 10)) + "I",
           [&](WorkArea& a) { return Upper(Text(a, "INFORME")) == code && Text(a, "INFDOC") == "I"; },
           [&](WorkArea& a) {
             const std::string t = Trim(Text(a, "TABBUSCAR"));
             if (std::none_of(wanted.begin(), wanted.end(), [&](const std::string& w) { return Upper(w) == Upper(t); }))
               wanted.push_back(t);
           });
  data::ViewBegin(true);
  std::vector<std::string> names;
  for (const std::string& table : wanted) {
    std::string file, folder;
    bool found = false;
    EachFrom(TDictQZ::AliasOf("Tablas"), "Tabla", Upper(table),
             [&](WorkArea& a) { return Upper(Text(a, "TABLA")) == Upper(table); },
             [&](WorkArea& a) {
               file = Trim(Text(a, "FICHERO"));
               folder = Trim(Text(a, "RUTA"));
               found = true;
             });
    if (!found || file.empty()) continue;
    bool indexed = false;
    EachFrom(TDictQZ::AliasOf("Indices"), "Tabla", Upper(table),
             [&](WorkArea& a) { return Upper(Text(a, "TABLA")) == Upper(table); }, [&](WorkArea&) { indexed = true; });
    data::ViewTable t;
    t.table = file;
    t.folder = folder;
    if (indexed) t.indexes = {file};
    names.push_back(Upper(table));
    run.tables.emplace_back(Upper(table), data::ViewAdd(t));
  }
  run.view = run.tables.empty() ? 0 : data::nOpenView();
  if (run.view == 0) {
    ui.MsgStop("Se ha producido algún error durante la apertura de los ficheros\n\rrevise los procesos abiertos",
               "Atención");
    return false;
  }
  run.master = cAliasIn.empty() ? AreaOf(run.tables.front().second) : AreaOf(cAliasIn);
  if (run.master == nullptr) return false;
  cMasterAlias = run.master->alias();

  // The work table: one field a column, then lTotaliza.
  xb::Array structure = xb::Array::New();
  aCampos.clear();
  for (const ColumnDef& c : aColumnas) {
    const std::string type = c.cTipo == "H" ? "N" : c.cTipo.empty() ? "C" : c.cTipo;
    int width = type == "N" ? 20 : type == "D" ? 8 : type == "L" ? 1 : std::max(1, c.nAnchoMax);
    if (c.cTipo == "H") width = 20;
    const int decimals = type == "N" ? (c.cDivisa == "P" && c.nDecimal == 0 ? 6 : c.nDecimal) : 0;
    xb::Array field = xb::Array::New();
    field.Append(Value::String(c.cCampo));
    field.Append(Value::String(type));
    field.Append(Value::Integer(width));
    field.Append(Value::Integer(decimals));
    structure.Append(Value(field));
    aCampos.push_back(c.cCampo);
    if (c.nTipoCol == 4 || c.nTipoCol == 5) run.calculated = true;
  }
  {
    xb::Array field = xb::Array::New();
    for (Value v : {Value::String("lTotaliza"), Value::String("L"), Value::Integer(1), Value::Integer(0)})
      field.Append(v);
    structure.Append(Value(field));
  }
  xb::Array sources = xb::Array::New();
  sources.Append(Value(structure));
  run.tmp = xb::MakeRef<data::TTemporal>();
  if (!run.tmp->Create(Value(sources), TDictQZ::cTempPath(), 1)) {
    run.tmp = nullptr;
    ui.MsgStop("Debe cerrar el informe anterior, antes de poder ejecutar otro informe", "Atención");
    return false;
  }
  acTmpFiles.clear();
  for (const Value& f : run.tmp->acFiles) acTmpFiles.push_back(TDictQZ::cTempPath() + std::string(f.AsString()));
  run.work = AreaOf(run.tmp->acAlias.Get(0).AsString());

  // Masks.
  run.masks.clear();
  for (const ColumnDef& c : aColumnas) {
    run.masks.push_back(Mascara({.mask = c.cMascara, .picture = c.lPicture, .currency = c.cDivisa, .euros = false,
                                 .width = c.nAncho, .decimals = c.nNumDecimal, .type = c.cTipo}));
  }

  // The output.
  if (Hook().sel_destino && !Hook().sel_destino(oStDestino, cMainInforme, run.titulo)) return false;

  // Groups: cumulative keys over the group columns, headings from the printed ones.
  run.groups.clear();
  run.group_columns.assign(aColumnas.size(), false);
  std::string key;
  for (const CondicionRow& r : aCondiciones) {
    if (r.cTipo != "B") continue;
    Run::Group g;
    g.footer = !r.cTextoPie.empty() ? r.cTextoPie : run.desde;
    g.header = r.cTextoTit.empty() ? std::string() : r.cTextoTit + " ";
    bool known = true;
    for (const std::string& name : Pieces(r.cCampo)) {
      auto it = std::find_if(aColumnas.begin(), aColumnas.end(),
                             [&](const ColumnDef& c) { return Upper(c.cCampo) == Upper(name); });
      if (it == aColumnas.end()) {
        known = false;
        ui.MsgStop("El informe agrupa u ordena por una columna que no existe: " + name, "Atención");
        return false;
      }
      run.group_columns[static_cast<std::size_t>(it - aColumnas.begin())] = true;
      key += (key.empty() ? "" : " + ") + KeyOf(it->cCampo, it->cTipo);
    }
    if (!known || key.empty()) {
      ui.MsgStop("El informe agrupa u ordena por una columna que no existe: " + r.cCampo, "Atención");
      return false;
    }
    g.key = key;
    const std::vector<std::string> lines = Pieces(r.cValor);
    const std::vector<std::string> printed = Pieces(r.cImprime);
    for (std::size_t i = 0; i < printed.size(); ++i) {
      auto it = std::find_if(aColumnas.begin(), aColumnas.end(),
                             [&](const ColumnDef& c) { return Upper(c.cCampo) == Upper(printed[i]); });
      if (it == aColumnas.end()) continue;
      std::string text;
      if (it->nTipoCol == 9) text = it->cDatos + "(" + it->cCampo + ")";
      else if (it->cTipo == "D") text = "DToC( " + it->cCampo + " )";
      else if (it->cTipo == "N" || it->cTipo == "H") text = "LTrim( Str( " + it->cCampo + " ) )";
      else text = "AllTrim( " + it->cCampo + " )";
      const int line = i < lines.size() ? std::max(1, std::atoi(lines[i].c_str())) : 1;
      g.headings.emplace_back(line, text);
    }
    if (run.first_key.empty()) run.first_key = key;
    run.groups.push_back(g);
  }

  // The scan.
  run.master->GoTop();
  while (!run.master->eof()) {
    aRegistro.assign(aColumnas.size(), Value());
    aRegPrede.assign(aColumnas.size(), Value());
    for (std::size_t i = 0; i < aColumnas.size(); ++i) {
      const ColumnDef& c = aColumnas[i];
      Value value = EmptyOf(c.cTipo, c.nAnchoMax);
      switch (c.nTipoCol) {
        case 1:
        case 7: {
          const int pos = run.master->FieldPos(c.cCampoRel);
          if (pos > 0) value = run.master->GetField(pos);
          if (c.nTipoCol == 7) {
            aRegPrede[i] = value;
            value = ChangeValues(cTablaMaestra, c.cCampoRel, value, c.nAnchoMax);
          }
          break;
        }
        case 2:
        case 8: {
          value = EvalRelacion(run, c);
          if (c.nTipoCol == 8) {
            aRegPrede[i] = value;
            value = ChangeValues(c.cCodExpr, c.cCampoRel, value, c.nAnchoMax);
          }
          break;
        }
        case 3:
        case 6:
        case 9: {
          const Value result = run.code.Eval(
              "{ | cAlias, aDbfs, aTablas, aResult, cInforme | " + c.cDatos +
                  "( cAlias, aDbfs, aTablas, aResult, cInforme ) }",
              run.master, {Value::String(cMasterAlias), Value(xb::Array::New()), Value(xb::Array::New()),
                           Value(xb::Array::New()), Value::String(run.infmaster)});
          if (result.IsArray()) {
            const xb::Array items = result.AsArray();
            const std::size_t at = static_cast<std::size_t>(std::max(c.nParametro, 1) - 1);
            value = at < items.size() ? items[at] : Value();
          } else {
            value = c.nParametro <= 1 ? result : Value();
          }
          break;
        }
        default:
          value = Value::Integer(0);
      }
      if (!SameType(value, c.cTipo == "H" ? "N" : c.cTipo)) value = EmptyOf(c.cTipo, c.nAnchoMax);
      if (value.IsString() && c.nAncho > 0 && static_cast<int>(value.AsString().size()) > c.nAnchoMax && c.nAnchoMax > 0)
        value = Value::String(value.AsString().substr(0, static_cast<std::size_t>(c.nAnchoMax)));
      if (value.IsNumber()) {
        const int digits = c.cTipo == "H" ? 19 : std::max(c.nAnchoMax, 1);
        if (std::fabs(value.AsDouble()) > std::pow(10.0, std::min(digits, 19 - c.nDecimal)) - 1) value = Value::Integer(0);
      }
      aRegistro[i] = value;
    }
    if (CheckCondicion(aCondiciones, "D") || CheckCondicion(aCopiadas, "D")) break;
    if (CheckCondicion(aCondiciones, "C") && CheckCondicion(aCopiadas, "C")) {
      run.work->Append();
      for (std::size_t i = 0; i < aColumnas.size(); ++i) run.work->PutField(static_cast<int>(i) + 1, aRegistro[i]);
    }
    run.master->Skip(1);
  }

  // Calculated columns: their formulas over the work fields; a zero divisor gives 0.
  if (run.calculated) {
    for (run.work->GoTop(); !run.work->eof(); run.work->Skip(1)) {
      for (std::size_t i = 0; i < aColumnas.size(); ++i) {
        const ColumnDef& c = aColumnas[i];
        if (c.nTipoCol != 4 && c.nTipoCol != 5) continue;
        Value value;
        try {
          xb::QuietErrorScope quiet;
          value = run.code.Eval(c.cDatos, run.work);
        } catch (const xb::UnhandledError&) {
          value = Value::Integer(0);
        }
        if (!value.IsNumber()) value = Value::Integer(0);
        if (std::fabs(value.AsDouble()) > std::pow(10.0, std::max(c.nAnchoMax - c.nDecimal - 1, 1)) - 1)
          value = Value::Integer(0);
        run.work->PutField(static_cast<int>(i) + 1, value);
      }
    }
  }

  cDesde.clear();
  cHasta.clear();
  if (!OrderInforme(run)) return false;
  return ReportInforme(run);
}

bool TInforme::OrderInforme(Run& run) {
  std::string key = run.groups.empty() ? std::string() : run.groups.back().key;
  for (const CondicionRow& r : aCondiciones) {
    if (r.cTipo != "A") continue;
    auto it = std::find_if(aColumnas.begin(), aColumnas.end(),
                           [&](const ColumnDef& c) { return Upper(c.cCampo) == Upper(Trim(r.cColumna.empty() ? r.cCampo : r.cColumna)); });
    if (it == aColumnas.end()) {
      data::Ui().MsgStop("El informe agrupa u ordena por una columna que no existe: " + r.cColumna, "Atención");
      return false;
    }
    key += (key.empty() ? "" : " + ") + KeyOf(it->cCampo, it->cTipo);
  }
  if (!key.empty()) {
    xb::Array tags = xb::Array::New();
    xb::Array tag = xb::Array::New();
    tag.Append(Value::String("Indice"));
    tag.Append(Value::String(key));
    tags.Append(Value(tag));
    run.tmp->CreateIndex(run.work->alias(), tags);
  }
  if (!run.first_key.empty() && !run.groups.empty()) {
    // The first group's key at the first and last records (as Str for numbers).
    std::string shown = run.first_key;
    shown = std::regex_replace(shown, std::regex("Str\\( (\\w+) \\+ 10000000000000, 21, 6 \\)"), "Str( $1 )");
    run.work->GoTop();
    if (!run.work->eof()) {
      cDesde = ValueText(run.code.Eval(shown, run.work));
      run.work->GoBottom();
      cHasta = ValueText(run.code.Eval(shown, run.work));
    }
  }
  run.work->GoTop();
  return true;
}

bool TInforme::ReportInforme(Run& run) {
  std::unique_ptr<ReportDevice> device;
  if (oStDestino.nDestino == 2) device = std::make_unique<TQZRFile>(Trim(oStDestino.cFileDst));
  else if (Hook().device) device = Hook().device(oStDestino, run.titulo.substr(0, 30));
  if (!device || !device->Ready()) return false;

  if (cCondLis.empty()) cCondLis = Trim(cDesde + " " + cHasta);
  TQZReport report(device.get());
  report.lSummary = !run.desglose;
  report.cPageTotal = run.desde;
  report.cGrandTotal = run.hasta;
  report.nTitleUpLine = 0;
  report.nTitleDnLine = 1;
  report.nTotalLine = 1;
  report.lPageGroup = run.ljump;
  report.nLineasReg = run.lineasr;
  report.nMgIzMM = run.margen;
  report.nTotalFont = std::max(1, run.fnt_tot);
  report.nSubTTFont = std::max(1, run.fnt_sub);
  // The designed header: its height and bottom margin are known before the layout.
  if (!RTrim(run.cabecera).empty()) {
    const DesignedHeader header = ReadDesignedHeader(run.cabecera);
    report.nAltoCabMM = header.posicion;
    report.nMgDnMM = header.pfinal;
    report.bStartPage = [this, &run](TQZReport& r) {
      r.nRow = ImprimeCabecera(*r.Device(), run.cabecera, r.nPage, run.titulo, cCondLis);
    };
  }
  WorkArea* work = run.work;
  const auto fields = std::make_shared<std::vector<int>>();
  for (std::size_t i = 0; i < aColumnas.size(); ++i) {
    const ColumnDef& c = aColumnas[i];
    if (!c.lImprimir) continue;
    TQZRCol col;
    col.cTitle = c.cTitulo;
    if (c.nAncho > 0 && static_cast<int>(col.cTitle.size()) > c.nAncho) col.cTitle.resize(static_cast<std::size_t>(c.nAncho));
    const int pos = static_cast<int>(i) + 1;
    const int width = c.nAncho;
    col.bData = [work, pos, width]() {
      Value v = work->GetField(pos);
      if (v.IsString()) v = Value::String(RTrim(v.AsString().substr(0, static_cast<std::size_t>(std::max(width, 0)))));
      return v;
    };
    col.cPicture = col.cTotalPict = (c.cTipo == "C" && (c.nTipoCol == 3 || c.nTipoCol == 6)) ? "" : run.masks[i];
    col.cTipoCol = c.cTipo.empty() ? "C" : c.cTipo;
    col.nAnchoCol = c.nPInicial;
    col.nSize = c.nAncho;
    col.nPad = Upper(c.cAlineacion) == "D" ? 2 : Upper(c.cAlineacion) == "I" ? 1 : 3;
    col.nLinea = c.nLinea;
    col.lTotal = c.lTotal;
    col.lAcumulada = c.nTipoCol == 5;
    col.lIniGrupo = c.lIniGrupo;
    col.lGroupCol = run.group_columns[i];
    const int line = std::max(1, run.fnt_lin), title = std::max(1, run.fnt_tit);
    col.aFonts = {line, title, std::max(1, run.fnt_tot), std::max(1, run.fnt_sub)};
    report.AddColumn(col);
  }
  for (const Run::Group& g : run.groups) {
    TQZRGroup group;
    group.bGroup = [this, &run, key = g.key]() { return ValueText(run.code.Eval(key, run.work)); };
    group.cHeader = g.header;
    group.cFooter = g.footer;
    group.lEject = true;
    group.nFont = std::max(1, run.fnt_sub);
    for (const auto& [line, text] : g.headings)
      group.aHeadings.push_back({line, [&run, text = text]() { return ValueText(run.code.Eval(text, run.work)); }});
    report.AddGroup(group);
  }
  report.bWhile = [work] { return !work->eof(); };
  report.bSkip = [work] { work->Skip(1); };
  report.bEnd = [this](TQZReport&) { EndPreviewReport(); };
  report.bWideQuestion = Hook().wide_question;
  work->GoTop();
  const bool printed = report.Activate();
  EndPreviewReport();  // a cancelled run too
  nPage = report.nPage;
  return printed;
}

}  // namespace reports
