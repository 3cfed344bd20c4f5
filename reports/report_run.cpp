#include "reports/report_run.h"
#include "reports/report_run_state.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <map>
#include <regex>

#include "data/currency.h"
#include "data/data_ui.h"
#include "data/table_views.h"
#include "data/temporary_tables.h"
#include "reports/access_rules.h"
#include "reports/dictionary_check.h"
#include "reports/expressions.h"
#include "reports/report_definitions.h"
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
#include "runtime/rdd/file_system.h"
#include "runtime/rdd/spare_buffers.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"

namespace reports {

using namespace run_detail;

namespace {

ReportRunHook& Hook() {
  static ReportRunHook hook;
  return hook;
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

// A text file written whole (the debug mode's logs).
void WriteText(const std::string& path, const std::string& text) {
  xb::rdd::FileSystem& fs = WorkAreas::Get().file_system();
  std::unique_ptr<xb::rdd::File> file;
  xb::rdd::OpenOptions options;
  options.create = true;
  options.truncate = true;
  if (fs.Open(path, options, &file).ok()) (void)file->Write(0, text.data(), text.size());
}

// The order-preserving key text of a work field, numbers by value (negative ones too).
std::string KeyOf(const std::string& field, const std::string& type) {
  if (type == "D" || type == "F") return "DToS( " + field + " )";
  if (type == "N" || type == "H") return "Str( " + field + " + 10000000000000, 21, 6 )";
  if (type == "L") return "IIf( " + field + ", 'T', 'F' )";
  return "Upper( " + field + " )";
}

}  // namespace

void SetReportRunHook(ReportRunHook hook) { Hook() = std::move(hook); }
const ReportRunHook& CurrentReportRunHook() { return Hook(); }

TInforme::TInforme() = default;
TInforme::~TInforme() { CloseInforme(); }

xb::Value TInforme::ChangeValues(Run& run, const std::string& table, const std::string& field, const Value& value,
                                 int anchomax) {
  if (anchomax <= 0) return value;
  const std::string key = Upper(xb::PadR(table, 10) + field);
  auto list = run.value_lists.find(key);
  if (list == run.value_lists.end()) {
    std::vector<std::pair<std::string, std::string>> rows;
    EachFrom(TDictQZ::AliasOf("CampoRes"), "TCampo", key,
             [&](WorkArea& a) { return Upper(Text(a, "TABLA")) == Upper(table) && Upper(Text(a, "CAMPO")) == Upper(field); },
             [&](WorkArea& a) { rows.emplace_back(Trim(Text(a, "VALOR")), Text(a, "RESULTA")); });
    list = run.value_lists.emplace(key, std::move(rows)).first;
  }
  std::string text = Trim(ValueText(value));
  if (value.IsLogical()) text = Upper(text);
  Value result = value;
  for (const auto& [stored, resulta] : list->second)
    if ((value.IsLogical() ? Upper(stored) : stored) == text) result = Value::String(resulta);
  return result;
}

Value TInforme::EvalRelacion(Run& run, const ColumnDef& column) {
  Value value = run.code.Eval(column.cDatos, run.master);
  auto chain = run.chains.find(column.nIdCol);
  if (chain == run.chains.end()) {
    std::vector<Run::Step> steps;
    EachFrom(TDictQZ::AliasOf("Recol"), "InCoOrd",
             Upper(xb::PadR(cMainInforme, 10) + "I" + xb::PadL("0", 3) + xb::PadL(std::to_string(column.nIdCol), 3)),
             [&](WorkArea& a) {
               return Upper(Text(a, "INFORME")) == Upper(cMainInforme) && Text(a, "INFDOC") == "I" &&
                      Number(a, "IDCUERPO") == 0 && Number(a, "IDCOL") == column.nIdCol;
             },
             [&](WorkArea& a) {
               Run::Step step{nullptr, Text(a, "INDBUSCAR"), Text(a, "EXPBUSCAR")};
               for (const auto& [name, alias] : run.tables)
                 if (name == Upper(Trim(Text(a, "TABBUSCAR")))) step.area = AreaOf(alias);
               steps.push_back(step);
             });
    chain = run.chains.emplace(column.nIdCol, std::move(steps)).first;
  }
  for (Run::Step& step : chain->second) {
    if (step.area == nullptr) return Value();
    WorkArea& area = *step.area;
    const bool again = step.sought && SameKey(value, step.key) &&
                       (step.recno == 0 ? area.eof() : !area.eof() && area.recno() == step.recno);
    if (!again) {
      SelectedArea keep;
      WorkAreas::Get().SelectArea(area.number());
      xb::CallFunction("ORDSETFOCUS", {Value::String(step.tag)});
      const Value found = xb::CallFunction("DBSEEK", {value, Value::Logical(false)});
      step.sought = true;
      step.key = value;
      step.recno = found.IsLogical() && found.AsLogical() && !area.eof() ? area.recno() : 0;
    }
    if (step.recno == 0) return Value();
    value = run.code.Eval(step.expression, step.area);
  }
  return value;
}

bool TInforme::RunInforme(const std::string& cInforme, bool lOpenDict, const std::string& cAliasIn,
                          const std::string& cCondLisIn, int nEntorno, const Value& aParamsIn, const Value& lEurosIn) {
  Run run;
  run.area_before = WorkAreas::Get().CurrentArea();
  nCopiados = 0;
  cCondLis = cCondLisIn;
  run.share_with = nEntorno;  // the caller's view: its tables are used as they are
  // The run-parameter store cleared; a given euro answer goes in its first slot.
  std::vector<Value>& store = aStatic();
  std::fill(store.begin(), store.end(), Value());
  if (lEurosIn.IsLogical()) {
    if (store.empty()) store.resize(1);
    store[0] = lEurosIn;
  }
  // Parameters: a character code names an expression, a number an initial-value function.
  aParams.clear();
  aValParams.clear();
  if (aParamsIn.IsArray()) {
    for (const Value& pair : aParamsIn.AsArray()) {
      if (!pair.IsArray() || pair.AsArray().size() < 2) continue;
      const Value code = pair.AsArray()[0];
      if (code.IsString()) aParams.emplace_back(Upper(Trim(code.AsString())), pair.AsArray()[1]);
      else if (code.IsNumber()) aValParams[static_cast<int>(code.AsDouble())] = pair.AsArray()[1];
    }
  }
  if (lOpenDict) {
    run.dict = xb::MakeRef<TDictQZ>();
    run.dict->New(TDictQZ::cPath());
    if (!run.dict->Activate("I", false)) return false;
    run.opened_dict = true;
  }
  bool printed = false;
  // The functions the run calls may ask this object for its steps while it goes.
  Run* const outer = current_;
  current_ = &run;
  try {
    printed = DoRun(run, cInforme, cAliasIn);
  } catch (...) {
    current_ = outer;
    Cleanup(run);
    throw;
  }
  current_ = outer;
  Cleanup(run);
  return printed;
}

xb::Value TInforme::ChangeValues(const std::string& table, const std::string& field, const Value& value, int anchomax) {
  if (current_ != nullptr) return ChangeValues(*current_, table, field, value, anchomax);
  Run run;
  return ChangeValues(run, table, field, value, anchomax);
}

std::vector<std::string> TInforme::DefEntorno(const std::string& code, std::vector<std::string>& tables) {
  if (current_ != nullptr) return DefEntorno(*current_, code, tables);
  Run run;
  return DefEntorno(run, code, tables);
}

std::optional<xb::Value> TInforme::EvalRelacion(int nIdCol) {
  if (current_ == nullptr || current_->master == nullptr) return std::nullopt;
  for (const ColumnDef& c : aColumnas)
    if (c.nIdCol == nIdCol && (c.nTipoCol == 2 || c.nTipoCol == 8)) return EvalRelacion(*current_, c);
  return std::nullopt;
}

void TInforme::Cleanup(Run& run) {
  run.progress.reset();
  if (run.tmp) {
    run.tmp->End(true);
    run.tmp = nullptr;
  }
  // The work table's tag build kept its buffers for builds to follow: none does.
  xb::rdd::DropSpareBuffers();
  if (run.other_view > 0) data::RestoreView(run.other_view);
  run.other_view = 0;
  if (run.view > 0) data::RestoreView(run.view);
  run.view = 0;
  if (run.opened_dict && run.dict) run.dict->End();
  run.opened_dict = false;
  for (const Run::Kept& k : run.kept) {
    WorkArea* area = WorkAreas::Get().Area(k.area);
    if (area == nullptr || !area->used()) continue;
    area->SetControllingOrder(k.order);
    area->GoTo(k.recno);
  }
  run.kept.clear();
  WorkAreas::Get().SelectArea(run.area_before);
  if (run.broken) EndPreviewReport();
}

bool TInforme::ReadDefinition(const std::string& cInforme) {
  const std::string code = Upper(Trim(cInforme));
  // The columns, in IDCOL order.
  aColumnas.clear();
  EachFrom(TDictQZ::AliasOf("Columnas"), "Informe", Upper(xb::PadR(code, 10)),
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
  // Conditions, orders and groups of the report.
  aCondiciones.clear();
  EachFrom(TDictQZ::AliasOf("Condicio"), "Informe", Upper(xb::PadR(code, 10)) + "I",
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

  aCampos.clear();
  for (const ColumnDef& c : aColumnas) aCampos.push_back(c.cCampo);
  return !aColumnas.empty();
}

bool TInforme::OpenInforme(Run& run) {
  data::DataUi& ui = data::Ui();
  const std::string code = Upper(cMainInforme);
  // The master table, the tables of the expressions' environments and of the search chains.
  std::vector<std::string> wanted{cTablaMaestra};
  auto want = [&wanted](const std::string& t) {
    if (!t.empty() && std::none_of(wanted.begin(), wanted.end(), [&](const std::string& w) { return Upper(w) == Upper(t); }))
      wanted.push_back(t);
  };
  for (const ColumnDef& c : aColumnas)
    if (c.nTipoCol == 3 || c.nTipoCol == 6 || c.nTipoCol == 9)
      for (const std::string& t : TablasExp(c.cCodExpr)) want(Trim(t));
  EachFrom(TDictQZ::AliasOf("Recol"), "InCoOrd", Upper(xb::PadR(cMainInforme, 10)) + "I",
           [&](WorkArea& a) { return Upper(Text(a, "INFORME")) == code && Text(a, "INFDOC") == "I"; },
           [&](WorkArea& a) { want(Trim(Text(a, "TABBUSCAR"))); });
  // Each table's Tablas row: tables flagged EXACTA live in the branch's folder or their
  // RUTA, the others in the company's folder. A master without a row stops the run.
  struct Opening {
    std::string name, file, folder;
    bool temporal = false;
    std::vector<std::string> keys;  // its Indices rows
  };
  std::vector<Opening> openings;
  for (const std::string& table : wanted) {
    Opening o{Upper(table)};
    bool found = false, exacta = false;
    std::string ruta;
    EachFrom(TDictQZ::AliasOf("Tablas"), "Tabla", Upper(table),
             [&](WorkArea& a) { return Upper(Text(a, "TABLA")) == Upper(table); },
             [&](WorkArea& a) {
               o.file = Trim(Text(a, "FICHERO"));
               ruta = Trim(Text(a, "RUTA"));
               exacta = Logical(a, "EXACTA");
               o.temporal = Logical(a, "TEMPORAL");
               found = true;
             });
    if (!found || o.file.empty()) {
      if (openings.empty() || TDictQZ::lDebug()) ui.MsgStop("Tabla " + o.name + " no existe", "Atención");
      if (openings.empty()) return false;
      continue;
    }
    o.folder = DescribedTableFolder(exacta, ruta);
    EachFrom(TDictQZ::AliasOf("Indices"), "Tabla", Upper(table),
             [&](WorkArea& a) { return Upper(Text(a, "TABLA")) == Upper(table); },
             [&](WorkArea& a) { o.keys.push_back(Trim(Text(a, "EXPRESION"))); });
    openings.push_back(std::move(o));
  }
  if (TDictQZ::lDebug()) {
    std::string log;
    for (const Opening& o : openings)
      log += o.name + " -> " + o.folder + o.file + " : " + std::to_string(o.keys.size()) + " índices\r\n";
    WriteText(TDictQZ::cPath() + "Tablas.log", log);
  }
  data::ViewBegin(true);
  std::vector<Value> aliases;
  for (const Opening& o : openings) {
    data::ViewTable t;
    t.table = o.file;
    t.folder = o.folder;
    if (!o.keys.empty()) t.indexes = {o.file};
    // The alias comes back through a reference: a table of the caller's view keeps its own.
    aliases.push_back(Value::NewRef());
    run.tables.emplace_back(o.name, data::ViewAdd(t, aliases.back()));
    // A temporary master: the run scans a temporary copy ("_" + its name) with its keys.
    if (run.tables.size() == 1 && o.name == Upper(cTablaMaestra) && o.temporal) {
      lTemporal = lFueTemporal = true;
      aliases.push_back(Value::NewRef());
      run.tables.emplace_back("_" + o.name,
                              data::ViewAddTemp({.base = "QZT", .structure_of = "1", .keys = o.keys}, aliases.back()));
    }
  }
  run.view = run.tables.empty() ? 0 : data::nOpenView({}, run.share_with);
  for (std::size_t i = 0; run.view > 0 && i < run.tables.size(); ++i)
    if (const Value alias = aliases[i].Deref(); alias.IsString()) run.tables[i].second = std::string(alias.AsString());
  // A table with fewer index tags than the dictionary describes cannot be searched as the
  // report expects: the opening fails.
  for (std::size_t i = 0, o = 0; run.view > 0 && i < run.tables.size(); ++i) {
    if (run.tables[i].first.starts_with("_")) continue;
    WorkArea* area = AreaOf(run.tables[i].second);
    const std::size_t described = openings[o++].keys.size();
    if (area == nullptr || static_cast<std::size_t>(area->OrderCount()) >= described) continue;
    if (TDictQZ::lDebug())
      ui.MsgStop("El número de indices reales de un fichero no coincide con el número almacenado en el diccionario",
                 "Atención");
    data::RestoreView(run.view);
    run.view = 0;
  }
  if (run.view == 0) {
    ui.MsgStop("Se ha producido algún error durante la apertura de los ficheros\n\rrevise los procesos abiertos",
               "Atención");
    return false;
  }
  return true;
}

std::optional<std::vector<std::pair<std::string, std::string>>> TInforme::OpenInforme(const std::string& cInforme,
                                                                                      int nEntorno) {
  if (current_ != nullptr) return std::nullopt;
  WorkArea* inf = AreaOf(TDictQZ::AliasOf("Informes"));
  if (inf == nullptr) return std::nullopt;
  {
    SelectedArea keep;
    WorkAreas::Get().SelectArea(inf->number());
    xb::CallFunction("ORDSETFOCUS", {Value::String("Informe")});
    xb::CallFunction("DBSEEK", {Value::String(Upper(Trim(cInforme)))});
  }
  if (inf->eof()) return std::nullopt;
  cTablaMaestra = Trim(Text(*inf, "TABLAMAST"));
  cMainInforme = Trim(Text(*inf, "INFORME"));
  lTemporal = lFueTemporal = false;
  ReadDefinition(cMainInforme);
  auto run = std::make_unique<Run>();
  run->share_with = nEntorno;
  run->area_before = WorkAreas::Get().CurrentArea();
  if (!OpenInforme(*run)) {
    WorkAreas::Get().SelectArea(run->area_before);
    return std::nullopt;
  }
  run->master = AreaOf(run->tables[lFueTemporal ? 1 : 0].second);
  if (run->master != nullptr) cMasterAlias = run->master->alias();
  std::vector<std::pair<std::string, std::string>> tables = run->tables;
  WorkAreas::Get().SelectArea(run->area_before);
  opened_ = std::move(run);
  current_ = opened_.get();
  return tables;
}

int TInforme::nMasterEntorno() const { return current_ != nullptr ? current_->view : 0; }

void TInforme::CloseInforme() {
  if (!opened_) return;
  if (current_ == opened_.get()) current_ = nullptr;
  if (opened_->view > 0) data::RestoreView(opened_->view);
  WorkAreas::Get().SelectArea(opened_->area_before);
  opened_.reset();
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

  if (!ReadDefinition(cMainInforme)) {
    ui.MsgStop("Este informe no tiene definida ninguna columna.\n\rDebe añadir al menos una columna para poder "
               "ejecutar el informe",
               "Atención");
    return false;
  }
  const std::string code = Upper(cMainInforme);
  aCopiadas.clear();
  aNomRangos.clear();
  aRangos.clear();
  aDatosIni = {};
  lAgrupado = false;
  lOrden = true;
  lEuros = false;
  lTemporal = lFueTemporal = false;
  nPage = 0;

  if (!OpenInforme(run)) return false;
  if (!cAliasIn.empty()) lTemporal = true;
  run.master = !cAliasIn.empty() ? AreaOf(cAliasIn)
               : lFueTemporal    ? AreaOf(run.tables[1].second)
                                 : AreaOf(run.tables.front().second);
  if (run.master == nullptr) return false;
  if (!cAliasIn.empty()) run.Keep(*run.master);
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

  // The initial-value functions, in order, while the run may go on.
  std::vector<std::pair<int, std::string>> functions;
  EachFrom(TDictQZ::AliasOf("Inicial"), "Informe", Upper(xb::PadR(cMainInforme, 10) + "I"),
           [&](WorkArea& a) { return Upper(Text(a, "INFORME")) == code && Text(a, "INFDOC") == "I"; },
           [&](WorkArea& a) {
             const std::string f = Trim(Text(a, "FUNCION"));
             functions.emplace_back(Number(a, "ORDEN"), Trim(f.substr(0, f.find('('))));
           });
  std::stable_sort(functions.begin(), functions.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Value>& store = aStatic();
  bool ran = false;
  for (std::size_t i = 0; i < functions.size(); ++i) {
    if (functions[i].second.empty()) continue;
    const auto given = aValParams.find(static_cast<int>(i) + 1);
    const Value param = given != aValParams.end() ? given->second : Value(xb::Array::New());
    const Value result = run.code.Eval("{ | nEntorno, cAlias, uParam, cInforme | " + functions[i].second +
                                           "( nEntorno, cAlias, uParam, cInforme ) }",
                                       nullptr,
                                       {Value::Integer(run.view), Value::String(!cAliasIn.empty() ? cAliasIn : cMasterAlias),
                                        param, Value::String(run.infmaster)});
    ran = true;
    if (!EvalInicial(result)) return false;
    if (!result.IsArray()) continue;
    const xb::Array items = result.AsArray();
    auto at = [&items](std::size_t n) { return n <= items.size() ? items[n - 1] : Value(); };
    if (at(4).IsArray())
      for (const Value& p : at(4).AsArray())
        if (p.IsArray() && p.AsArray().size() >= 2 && p.AsArray()[0].IsString())
          aParams.emplace_back(Upper(Trim(p.AsArray()[0].AsString())), p.AsArray()[1]);
    if (at(5).IsArray() && at(5).AsArray().size() >= 1 && at(5).AsArray()[0].IsString()) {
      if (WorkArea* other = AreaOf(at(5).AsArray()[0].AsString())) {
        run.Keep(*other);
        run.master = other;
        cMasterAlias = other->alias();
        lTemporal = true;
        const Value view = at(5).AsArray().size() >= 2 ? at(5).AsArray()[1] : Value();
        if (view.IsNumber() && view.AsDouble() > 0) run.other_view = static_cast<int>(view.AsDouble());
      }
    }
    if (at(6).IsLogical()) {
      if (store.empty()) store.resize(1);
      store[0] = at(6);
    }
    if (at(7).IsString()) cCondLis = std::string(at(7).AsString());
    if (at(8).IsLogical()) lAgrupado = at(8).AsLogical();
    if (at(9).IsNumber()) nPage = std::max(0, static_cast<int>(at(9).AsDouble()) - 1);
  }

  // The euro answer: the store's, else asked when the report has amounts in a currency.
  if (!store.empty() && store[0].IsLogical()) {
    lEuros = store[0].AsLogical();
  } else if (!ran && Hook().pide_euros &&
             std::any_of(aColumnas.begin(), aColumnas.end(), [](const ColumnDef& c) { return c.cDivisa == "P" || c.cDivisa == "E"; })) {
    const auto [go, euros] = Hook().pide_euros();
    if (!go) return false;
    lEuros = euros;
  }

  // Masks; in euros a calculated column over a pesetas one takes the euro form.
  run.masks.clear();
  std::vector<std::string> types, currencies;
  for (const ColumnDef& c : aColumnas) {
    run.masks.push_back(Mascara({.mask = c.cMascara, .picture = c.lPicture, .currency = c.cDivisa, .euros = lEuros,
                                 .width = c.nAncho, .decimals = c.nNumDecimal, .type = c.cTipo}));
    types.push_back(c.cTipo);
    currencies.push_back(c.cDivisa);
  }
  if (lEuros)
    for (std::size_t i = 0; i < aColumnas.size(); ++i)
      if (aColumnas[i].nTipoCol == 4 || aColumnas[i].nTipoCol == 5)
        run.masks[i] = CalMascara(aColumnas[i].cDatos, run.masks[i], aCampos, currencies);

  // A temporary master or a given area prints straight from that area, unless a column is
  // not one of its fields, amounts change currency, or conditions or a scan range apply:
  // then the work table is filled from it.
  const bool converts = data::Pts2Euros(data::CurrentCompany(), "").rate != 1;
  if (lTemporal) {
    const bool plain = std::all_of(aColumnas.begin(), aColumnas.end(), [&](const ColumnDef& c) {
      return c.nTipoCol == 1 && run.master->FieldPos(c.cCampoRel) > 0;
    });
    const bool currency = converts && std::any_of(aColumnas.begin(), aColumnas.end(), [this](const ColumnDef& c) {
      return (c.cDivisa == "P" && lEuros) || (c.cDivisa == "E" && !lEuros);
    });
    auto conditions = [](const std::vector<CondicionRow>& rows) {
      return std::any_of(rows.begin(), rows.end(), [](const CondicionRow& r) { return r.cTipo == "C" || r.cTipo == "D"; });
    };
    run.straight = plain && !currency && !conditions(aCondiciones) && !conditions(aCopiadas) && !aDatosIni.lSet;
    if (!run.straight) lTemporal = false;
  }

  // Expression columns: their parameters, given or from their data function, once a code.
  run.expressions.clear();
  run.value_params.assign(aColumnas.size(), Value::String(""));
  for (std::size_t i = 0; i < aColumnas.size(); ++i) {
    const ColumnDef& c = aColumnas[i];
    if (c.nTipoCol != 3 && c.nTipoCol != 6 && c.nTipoCol != 9) continue;
    if (c.nTipoCol == 6) run.value_params[i] = Value::String(c.cDescripc);
    const std::string key = Upper(c.cCodExpr);
    if (run.expressions.count(key) > 0) continue;
    Run::Expression& e = run.expressions[key];
    auto given = std::find_if(aParams.begin(), aParams.end(), [&](const auto& p) { return p.first == key; });
    const std::string fundatos = Trim(c.cFunDatos.substr(0, c.cFunDatos.find('(')));
    if (given != aParams.end()) e.params = given->second;
    else if (!fundatos.empty())
      e.params = run.code.Eval("{ | cTitulo | " + fundatos + "( cTitulo ) }", nullptr, {Value::String(c.cDescripc)});
    if (!e.params.IsArray()) e.params = e.params.IsNil() ? Value(xb::Array::New()) : [&] {
      xb::Array one = xb::Array::New();
      one.Append(e.params);
      return Value(one);
    }();
  }

  // The output.
  if (Hook().sel_destino && !Hook().sel_destino(oStDestino, cMainInforme, run.titulo)) return false;
  if (Hook().wait_dialog) run.progress = Hook().wait_dialog();
  if (run.progress) {
    run.progress->Done(RunProgress::kAbriendo);
    run.progress->SetTotal(static_cast<long>(run.master->RecordCount()));
  }

  // Groups: cumulative keys over the group columns, headings from the printed ones.
  run.groups.clear();
  run.group_columns.assign(aColumnas.size(), false);
  std::string key;
  for (const CondicionRow& r : aCondiciones)
    if (r.cTipo == "B" && !InsGrupos(run, r, key)) return false;

  // The scan, from the start value of the range when there is one.
  const int totaliza = run.master->FieldPos("LTOTALIZA");
  long count = 0;
  for (StartScan(run); !run.straight && InScan(run); run.master->Skip(1)) {
    if (run.progress) {
      run.progress->SetPos(++count);
      if (run.progress->Cancelled()) {
        run.broken = true;
        return false;
      }
    }
    aRegistro.assign(aColumnas.size(), Value());
    aRegPrede.assign(aColumnas.size(), Value());
    for (auto& [key, e] : run.expressions) e.evaluated = false;
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
            value = ChangeValues(run, cTablaMaestra, c.cCampoRel, value, c.nAnchoMax);
          }
          break;
        }
        case 2:
        case 8: {
          value = EvalRelacion(run, c);
          if (c.nTipoCol == 8) {
            aRegPrede[i] = value;
            value = ChangeValues(run, c.cCodExpr, c.cCampoRel, value, c.nAnchoMax);
          }
          break;
        }
        case 3:
        case 6:
        case 9: {
          const Value result = EvalExpresion(run, c, run.value_params[i]);
          const xb::Array items = result.AsArray();
          const std::size_t at = static_cast<std::size_t>(std::max(c.nParametro, 1) - 1);
          value = at < items.size() ? items[at] : Value();
          break;
        }
        default:
          value = Value::Integer(0);
      }
      if (converts && value.IsNumber()) value = Value::Number(nEuros(value.AsDouble(), lEuros, c.cDivisa));
      aRegistro[i] = Fitted(c, value);
    }
    if (CheckCondicion(aCondiciones, "D") || CheckCondicion(aCopiadas, "D")) break;
    if (CheckCondicion(aCondiciones, "C") && CheckCondicion(aCopiadas, "C")) {
      run.work->Append();
      ++nCopiados;
      for (std::size_t i = 0; i < aColumnas.size(); ++i) run.work->PutField(static_cast<int>(i) + 1, aRegistro[i]);
      if (lAgrupado && totaliza > 0)
        run.work->PutField(static_cast<int>(aColumnas.size()) + 1, run.master->GetField(totaliza));
    }
  }
  if (run.progress) run.progress->Done(RunProgress::kRecogiendo);

  // Calculated columns: their formulas over the work fields, a character field read as a
  // number (TI_EXPTON); a zero divisor gives 0.
  if (run.calculated) {
    std::vector<std::string> formulas(aColumnas.size());
    for (std::size_t i = 0; i < aColumnas.size(); ++i)
      if (aColumnas[i].nTipoCol == 4 || aColumnas[i].nTipoCol == 5)
        formulas[i] = ExpToN(aColumnas[i].cDatos, aCampos, types, run.masks);
    for (run.work->GoTop(); !run.work->eof(); run.work->Skip(1)) {
      for (std::size_t i = 0; i < aColumnas.size(); ++i) {
        const ColumnDef& c = aColumnas[i];
        if (c.nTipoCol != 4 && c.nTipoCol != 5) continue;
        Value value;
        try {
          xb::QuietErrorScope quiet;
          value = run.code.Eval(formulas[i], run.work);
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

  if (run.progress) run.progress->Done(RunProgress::kCalculando);

  cDesde.clear();
  cHasta.clear();
  if (!OrderInforme(run)) return false;
  if (run.progress) run.progress->Done(RunProgress::kOrdenando);
  return ReportInforme(run);
}

bool TInforme::InsGrupos(Run& run, const CondicionRow& r, std::string& key) {
  Run::Group g;
  g.footer = !r.cTextoPie.empty() ? r.cTextoPie : run.desde;
  g.header = r.cTextoTit.empty() ? std::string() : r.cTextoTit + " ";
  bool known = true;
  for (const std::string& name : Pieces(r.cCampo)) {
    auto it = std::find_if(aColumnas.begin(), aColumnas.end(),
                           [&](const ColumnDef& c) { return Upper(c.cCampo) == Upper(name); });
    if (it == aColumnas.end()) {
      known = false;
      data::Ui().MsgStop("El informe agrupa u ordena por una columna que no existe: " + name, "Atención");
      return false;
    }
    run.group_columns[static_cast<std::size_t>(it - aColumnas.begin())] = true;
    key += (key.empty() ? "" : " + ") + KeyOf(run.FieldOf(*it), it->cTipo);
  }
  if (!known || key.empty()) {
    data::Ui().MsgStop("El informe agrupa u ordena por una columna que no existe: " + r.cCampo, "Atención");
    return false;
  }
  g.key = key;
  int first_heading = -1;
  const std::vector<std::string> lines = Pieces(r.cValor);
  const std::vector<std::string> printed = Pieces(r.cImprime);
  for (std::size_t i = 0; i < printed.size(); ++i) {
    auto it = std::find_if(aColumnas.begin(), aColumnas.end(),
                           [&](const ColumnDef& c) { return Upper(c.cCampo) == Upper(printed[i]); });
    if (it == aColumnas.end()) continue;
    if (first_heading < 0) first_heading = static_cast<int>(it - aColumnas.begin());
    std::string text;
    const std::string& field = run.FieldOf(*it);
    if (it->nTipoCol == 9) text = it->cDatos + "(" + field + ")";
    else if (it->cTipo == "D") text = "DToC( " + field + " )";
    else if (it->cTipo == "N" || it->cTipo == "H") text = "LTrim( Str( " + field + " ) )";
    else text = "AllTrim( " + field + " )";
    const int line = i < lines.size() ? std::max(1, std::atoi(lines[i].c_str())) : 1;
    g.headings.emplace_back(line, text);
  }
  if (run.first_key.empty()) run.first_key = key;
  run.groups.push_back(g);
  run.first_heading.push_back(first_heading);
  return true;
}

std::optional<std::vector<std::pair<int, std::string>>> TInforme::InsGrupos(const CondicionRow& row, std::string& key,
                                                                            std::string& first_key) {
  // A run of its own: the groups of the run going stay as they are.
  Run run;
  run.group_columns.assign(aColumnas.size(), false);
  run.first_key = first_key;
  if (!InsGrupos(run, row, key)) return std::nullopt;
  first_key = run.first_key;
  return run.groups.back().headings;
}

std::vector<std::string> TInforme::DefEntorno(Run& run, const std::string& code, std::vector<std::string>& tables) {
  if (auto known = run.environments.find(code); known != run.environments.end()) {
    tables = known->second.first;
    return known->second.second;
  }
  tables = TablasExp(code);
  std::vector<std::string> aliases;
  for (std::size_t i = 0; i < tables.size(); ++i) {
    std::string name = Upper(Trim(tables[i]));
    // A temporary master's following alias is its temporary copy's.
    if (lFueTemporal && i == 0 && name == Upper(cTablaMaestra) && tables.size() > 2) name = "_" + name;
    std::string alias;
    for (const auto& [opened, a] : run.tables)
      if (opened == name) alias = a;
    aliases.push_back(alias);
  }
  run.environments[code] = {tables, aliases};
  return aliases;
}

Value TInforme::EvalExpresion(Run& run, const ColumnDef& column, const Value& value_param) {
  const std::string key = Upper(column.cCodExpr);
  Run::Expression& shared = run.expressions[key];
  // A value parameter of its own makes the column's evaluation its own.
  const bool own = value_param.IsString() && !value_param.AsString().empty();
  Run::Expression& e = own ? run.expressions[key + "\x01" + std::string(value_param.AsString())] : shared;
  if (own && e.params.IsNil()) e.params = shared.params;
  if (e.evaluated) return e.result;
  xb::Array params = xb::Array::New();
  if (e.params.IsArray())
    for (const Value& p : e.params.AsArray()) params.Append(p);
  if (own) params.Append(value_param);
  std::vector<std::string> tables;
  const std::vector<std::string> aliases = DefEntorno(run, column.cCodExpr, tables);
  xb::Array dbfs = xb::Array::New(), names = xb::Array::New();
  for (const std::string& a : aliases) dbfs.Append(Value::String(a));
  for (const std::string& t : tables) names.Append(Value::String(t));
  const std::string function = Trim(column.cDatos.substr(0, column.cDatos.find('(')));
  Value result = run.code.Eval("{ | cAlias, aDbfs, aTablas, aResult, cInforme | " + function +
                                   "( cAlias, aDbfs, aTablas, aResult, cInforme ) }",
                               run.master, {Value::String(cMasterAlias), Value(dbfs), Value(names), Value(params),
                                            Value::String(run.infmaster)});
  if (!result.IsArray()) {
    xb::Array one = xb::Array::New();
    one.Append(result);
    result = Value(one);
  }
  e.result = result;
  e.evaluated = true;
  return result;
}

bool TInforme::OrderInforme(Run& run) {
  std::string key = run.groups.empty() ? std::string() : run.groups.back().key;
  // The orders of the initial-value functions in letter order, then the report's own.
  std::vector<CondicionRow> orders;
  for (const CondicionRow& r : aCopiadas)
    if (r.cTipo == "A") orders.push_back(r);
  std::stable_sort(orders.begin(), orders.end(), [](const CondicionRow& a, const CondicionRow& b) { return a.cOrden < b.cOrden; });
  if (lOrden) std::copy(aCondiciones.begin(), aCondiciones.end(), std::back_inserter(orders));
  for (const CondicionRow& r : orders) {
    if (r.cTipo != "A") continue;
    auto it = std::find_if(aColumnas.begin(), aColumnas.end(),
                           [&](const ColumnDef& c) { return Upper(c.cCampo) == Upper(Trim(r.cColumna.empty() ? r.cCampo : r.cColumna)); });
    if (it == aColumnas.end()) {
      data::Ui().MsgStop("El informe agrupa u ordena por una columna que no existe: " + r.cColumna, "Atención");
      return false;
    }
    key += (key.empty() ? "" : " + ") + KeyOf(run.FieldOf(*it), it->cTipo);
  }
  if (!key.empty() && run.straight) {
    // The scanned area keeps its own orders: its records are sorted here, as the work
    // table's tag sorts them (by collation, equal keys in the area's order).
    std::vector<std::pair<std::string, std::uint32_t>> keys;
    for (run.master->GoTop(); !run.master->eof(); run.master->Skip(1))
      keys.emplace_back(ValueText(run.code.Eval(key, run.master)), run.master->recno());
    const xb::CodePage& cp = xb::CurrentCodePage();
    std::stable_sort(keys.begin(), keys.end(),
                     [&cp](const auto& a, const auto& b) { return xb::Collate(cp, a.first, b.first) < 0; });
    run.order.clear();
    for (const auto& k : keys) run.order.push_back(k.second);
    run.sorted = true;
  } else if (!key.empty()) {
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
    run.First();
    if (run.More()) {
      cDesde = ValueText(run.code.Eval(shown, run.printed()));
      run.Last();
      cHasta = ValueText(run.code.Eval(shown, run.printed()));
    }
  }
  run.First();
  return true;
}


}  // namespace reports
