#include "reports/tinforme_object.h"

#include <algorithm>
#include <array>
#include <optional>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "reports/report_columns.h"
#include "reports/report_definitions.h"
#include "reports/tdictqz.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }
std::string Text(const Value& v) { return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string(); }

TInformeObject& Self(Object& o) { return xb::Class::Cast<TInformeObject>(o); }

// The folder of the report list and trees: the open dictionary's, else the reports' folder.
std::string ListFolder() { return TDictQZ::cPath().empty() ? data::cPathInforme() : TDictQZ::cPath(); }

// The DATA and their initial values: nil unless given.
const char* const kNilData[] = {"OREPORT",    "CMAININFORME", "NMNUOPTION",     "OSTDESTINO", "ODLG",
                                "OBRW",       "LFROMDICT",    "LTREE",          "CTABLAMAESTRA", "CMASTERALIAS",
                                "NMASTERENTORNO", "CALIASCOL", "CTITULOGRUPO",  "CPIEGRUPO",  "OTMP",
                                "CQZTITULO",  "CCONDLIS",     "CDESDE",         "CHASTA",     "CCABECERA"};
const std::pair<const char*, bool> kLogicalData[] = {
    {"LJUMP", false}, {"LDESGLOSE", true},  {"LSTOTALES", false},    {"LORDEN", true},
    {"LCAMPO", true}, {"LTEMPORAL", false}, {"LFUETEMPORAL", false}, {"LAGRUPADO", false}};
const std::pair<const char*, int> kNumberData[] = {
    {"NCOLUMNAS", 1}, {"NLINEAS", 1}, {"NFUENTE", 1}, {"NCOL", 1}, {"NPAGE", 0}};
const char* const kArrayData[] = {
    "ACABECERAS",    "AANCHOS",    "ANDECIMALS",  "AAJUSTES",     "ALINEAS",    "ACAMPOS",    "AMASCARAS",
    "ANOMRANGOS",    "ARANGOS",    "AREGISTRO",   "AREGPREDE",    "ALASTINI",   "APATH",      "ACEJECTFOR",
    "ACTITULOGRUPO", "ACPIEGRUPO", "ALINEAGRUPO", "ACOLGRUPO",    "ACOLIMPRG",  "APRIMERA",   "APARAMS",
    "AVALPARAMS",    "AEXPRESIONES", "ARESULTEXP", "ACOLORES",    "ANTOTALES",  "ANSUBTOTALES", "ANSTOTALES",
    "ALTOTALES",     "ALPICTURE",  "ATIPOS",      "ALONGITUD",    "ARLINEAS",   "ADATOSINI"};

// The class data, shared by every object: the tables and fields (nil until set) and the
// column lists of the report being edited.
struct ClassData {
  Value acTablas, acCampos;
  std::array<Value, 6> columns;  // acColumnas, acDesColum, acTipColum, aImpColum, aCndAncho, aCndDecimal
};
ClassData& Shared() {
  static ClassData data = [] {
    ClassData d;
    for (Value& v : d.columns) v = Value(xb::Array::New());
    return d;
  }();
  return data;
}
const char* const kColumnLists[] = {"ACCOLUMNAS", "ACDESCOLUM", "ACTIPCOLUM", "AIMPCOLUM", "ACNDANCHO", "ACNDDECIMAL"};

xb::Class& MutableCls() {
  static xb::Class& c = []() -> xb::Class& {
    xb::Class& c = xb::Class::Define("TINFORME", &TDictQZ::Cls());
    for (const char* name : kNilData) c.Var(name);
    for (const auto& [name, value] : kLogicalData) c.Var(name, Value::Logical(value));
    for (const auto& [name, value] : kNumberData) c.Var(name, Value::Integer(value));
    // Each object gets arrays of its own (see the constructor).
    for (const char* name : kArrayData) c.Var(name, Value(xb::Array::New()));
    c.Property("LRUNNING", [](Object&) { return Value::Logical(TInforme::lRunning); },
               [](Object&, const Value& v) { TInforme::lRunning = v.IsLogical() && v.AsLogical(); });
    c.Property("ACTABLAS", [](Object&) { return Shared().acTablas; }, [](Object&, const Value& v) { Shared().acTablas = v; });
    c.Property("ACCAMPOS", [](Object&) { return Shared().acCampos; }, [](Object&, const Value& v) { Shared().acCampos = v; });
    for (std::size_t i = 0; i < std::size(kColumnLists); ++i)
      c.Property(kColumnLists[i], [i](Object&) { return Shared().columns[i]; },
                 [i](Object&, const Value& v) { Shared().columns[i] = v; });
    return c;
  }();
  return c;
}

// The report code of a method's argument; without one, the report the Informes table stands on.
std::string CodeOf(Args& a, int n) {
  if (a.Arg(n).IsString()) return Upper(a.Str(n));
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int area = areas.AreaOfAlias(TDictQZ::AliasOf("Informes"));
  if (area == 0 || areas.Area(area)->eof()) return {};
  xb::rdd::WorkArea& inf = *areas.Area(area);
  return Upper(Text(inf.GetField(inf.FieldPos("INFORME"))));
}

// The report a step works on: its definition read and its conditions copy started empty,
// as a run starts them; false when it has no column.
bool StartCopy(TInforme& run, const std::string& code) {
  run.cMainInforme = code;
  run.aCopiadas.clear();
  run.aNomRangos.clear();
  run.aRangos.clear();
  run.aDatosIni = {};
  run.lOrden = true;
  return run.ReadDefinition(code);
}

// A step over the report its argument `n` names (none: the one read last, or the run going's).
bool ReportArg(TInformeObject& self, Args& a, int n) {
  if (self.run.Running() || !a.Arg(n).IsString()) return !self.run.aColumnas.empty();
  return StartCopy(self.run, Upper(a.Str(n)));
}

void NoRun() { data::Ui().MsgStop("No hay ningún informe en ejecución.", "Atención"); }

// The steps of a run that compiled text may call: over the run going when a function the run
// calls asks, else over the report named (its definition and a conditions copy of its own).
void DefineRunSteps(xb::Class& c) {
  // EvalInicial( aResultado, cInforme ): an initial-value function's result taken: its
  // conditions and orders join the conditions copy, a scan range becomes aDatosIni. .F. stops.
  c.Method("EVALINICIAL", [](Object& o, Args& a) {
    TInformeObject& self = Self(o);
    InformeDictionary dict;
    if (!dict.ok() || !ReportArg(self, a, 2)) return Value::Logical(false);
    const bool go = self.run.EvalInicial(a.Arg(1));
    self.SyncRun();
    return Value::Logical(go);
  });
  // InsCondicion( cColumna, aCondicion, cInforme ): one condition { code, field, value, upper,
  // operator, link, parenthesis } on the work field cColumna into the conditions copy;
  // answers how many conditions the copy holds (.F.: no such column).
  c.Method("INSCONDICION", [](Object& o, Args& a) {
    TInformeObject& self = Self(o);
    if (!a.Arg(1).IsString() || !a.Arg(2).IsArray()) return xb::ArgumentError("INSCONDICION", 3012, a.Raw());
    InformeDictionary dict;
    if (!dict.ok() || !ReportArg(self, a, 3)) return Value::Logical(false);
    const std::string field = Upper(a.Str(1));
    for (const ColumnDef& column : self.run.aColumnas) {
      if (Upper(column.cCampo) != field) continue;
      self.run.InsCondicion(column, a.Arr(2));
      self.SyncRun();
      return Value::Integer(static_cast<std::int64_t>(
          std::count_if(self.run.aCopiadas.begin(), self.run.aCopiadas.end(), [](const CondicionRow& r) { return r.cTipo == "C"; })));
    }
    return Value::Logical(false);
  });
  // CheckCondicion( cTipo, aRegistro, lCopiadas, cInforme ): whether the work record (the
  // values given column by column, else the run's) passes the report's conditions ("C") or
  // holds a stop condition ("D"); with lCopiadas, those of the conditions copy.
  c.Method("CHECKCONDICION", [](Object& o, Args& a) {
    TInformeObject& self = Self(o);
    const std::string type = a.Arg(1).IsString() ? Upper(a.Str(1)) : std::string();
    if ((type != "C" && type != "D") || !(a.Arg(2).IsNil() || a.Arg(2).IsArray()))
      return xb::ArgumentError("CHECKCONDICION", 3012, a.Raw());
    InformeDictionary dict;
    if (!dict.ok() || !ReportArg(self, a, 4)) return Value::Logical(false);
    TInforme& run = self.run;
    if (!run.Running() && !a.Arg(2).IsArray()) {
      NoRun();
      return Value::Logical(false);
    }
    // A record given stands in for the run's while it is checked.
    const std::vector<Value> registro = run.aRegistro, prede = run.aRegPrede;
    if (a.Arg(2).IsArray()) {
      const xb::Array given = a.Arr(2);
      run.aRegistro.assign(run.aCampos.size(), Value());
      for (std::size_t i = 0; i < run.aRegistro.size() && i < given.size(); ++i) run.aRegistro[i] = given.Get(i);
      run.aRegPrede.assign(run.aCampos.size(), Value());
    }
    const bool holds = run.CheckCondicion(a.Log(3) ? run.aCopiadas : run.aCondiciones, type);
    run.aRegistro = registro;
    run.aRegPrede = prede;
    return Value::Logical(holds);
  });
  // ChangeValues( cTabla, cCampo, xValor, nAnchoMax ): the printed value of a substituted one;
  // nAnchoMax 0 leaves every value as it is.
  c.Method("CHANGEVALUES", [](Object& o, Args& a) {
    if (!a.Arg(1).IsString() || !a.Arg(2).IsString()) return xb::ArgumentError("CHANGEVALUES", 3012, a.Raw());
    InformeDictionary dict;
    if (!dict.ok()) return a.Arg(3);
    const int anchomax = a.Arg(4).IsNumber() ? static_cast<int>(a.Int(4)) : 1;
    return Self(o).run.ChangeValues(Text(a.Arg(1)), Text(a.Arg(2)), a.Arg(3), anchomax);
  });
  // DefEntorno( cExpresion ): { aAlias, aTablas } of the expression's environment; an alias
  // is "" for a table the run going did not open.
  c.Method("DEFENTORNO", [](Object& o, Args& a) {
    if (!a.Arg(1).IsString()) return xb::ArgumentError("DEFENTORNO", 3012, a.Raw());
    InformeDictionary dict;
    xb::Array aliases = xb::Array::New(), names = xb::Array::New();
    if (dict.ok()) {
      std::vector<std::string> tables;
      for (const std::string& alias : Self(o).run.DefEntorno(Text(a.Arg(1)), tables)) aliases.Append(Value::String(alias));
      for (const std::string& t : tables) names.Append(Value::String(xb::AllTrim(t)));
    }
    return Value(xb::Array::Of({Value(aliases), Value(names)}));
  });
  // EvalRelacion( nIdCol ): the related column's value for the record the run going scans
  // (or, after OpenInforme, the master's current record).
  c.Method("EVALRELACION", [](Object& o, Args& a) {
    TInformeObject& self = Self(o);
    if (!self.run.Running()) {
      NoRun();
      return Value();
    }
    InformeDictionary dict;
    return self.run.EvalRelacion(static_cast<int>(a.Int(1))).value_or(Value());
  });
  // OpenInforme( cInforme, cInfDoc, nEntorno ): the report's tables opened as its run opens
  // them, kept open until CloseInforme: { aAlias, aTablas }, .F. when they cannot be opened.
  c.Method("OPENINFORME", [](Object& o, Args& a) {
    TInformeObject& self = Self(o);
    InformeDictionary dict;
    if (!dict.ok()) return Value::Logical(false);
    const auto tables = self.run.OpenInforme(CodeOf(a, 1), static_cast<int>(a.Int(3)));
    if (!tables) return Value::Logical(false);
    xb::Array aliases = xb::Array::New(), names = xb::Array::New();
    for (const auto& [name, alias] : *tables) {
      aliases.Append(Value::String(alias));
      names.Append(Value::String(name));
    }
    self.Set("NMASTERENTORNO", Value::Integer(self.run.nMasterEntorno()));
    self.SyncRun();
    return Value(xb::Array::Of({Value(aliases), Value(names)}));
  });
  // CloseInforme(): the tables OpenInforme opened closed, the view before it restored.
  c.Method("CLOSEINFORME", [](Object& o, Args&) {
    TInformeObject& self = Self(o);
    self.run.CloseInforme();
    self.Set("NMASTERENTORNO", Value());
    return Value();
  });
  // InsGrupos( @cKey, @cFirstKey, nGrupo, cInforme ): group nGrupo (from 1) of the report:
  // its key joined to cKey (the first also to cFirstKey); answers its heading texts
  // { { nLinea, cExpresion }, ... }, .F. when it has no such group or names an unknown column.
  c.Method("INSGRUPOS", [](Object& o, Args& a) {
    TInformeObject& self = Self(o);
    if (!a.Arg(3).IsNumber()) return xb::ArgumentError("INSGRUPOS", 3012, a.Raw());
    InformeDictionary dict;
    if (!dict.ok() || !ReportArg(self, a, 4)) return Value::Logical(false);
    std::int64_t n = a.Int(3);
    for (const CondicionRow& row : self.run.aCondiciones) {
      if (row.cTipo != "B" || --n != 0) continue;
      std::string key = a.Arg(1).IsString() ? Text(a.Arg(1)) : std::string();
      std::string first = a.Arg(2).IsString() ? Text(a.Arg(2)) : std::string();
      const auto headings = self.run.InsGrupos(row, key, first);
      if (!headings) return Value::Logical(false);
      if (a.IsByRef(1)) a.SetRef(1, Value::String(key));
      if (a.IsByRef(2)) a.SetRef(2, Value::String(first));
      xb::Array out = xb::Array::New();
      for (const auto& [line, text] : *headings) out.Append(Value(xb::Array::Of({Value::Integer(line), Value::String(text)})));
      return Value(out);
    }
    return Value::Logical(false);
  });
  // SelDestino( cInforme, cTitulo ): the output asked for (the report's code and title unless
  // given); .T. when chosen.
  c.Method("SELDESTINO", [](Object& o, Args& a) {
    TInformeObject& self = Self(o);
    const auto& ask = CurrentReportRunHook().sel_destino;
    const std::string code = a.Arg(1).IsString() ? Upper(a.Str(1)) : self.run.cMainInforme;
    self.run.oStDestino.lOk = ask && ask(self.run.oStDestino, code, a.Arg(2).IsString() ? Text(a.Arg(2)) : code);
    return Value::Logical(self.run.oStDestino.lOk);
  });
}

void DefineMethods(xb::Class& c) {
  DefineRunSteps(c);
  c.Method("NEW", [](Object& o, Args&) { return o.AsValue(); });
  // Activate( nOption, cMode ): the report list; ActivateArbol: the report tree.
  c.Method("ACTIVATE", [](Object& o, Args& a) {
    TInformeObject& self = Self(o);
    self.Set("NMNUOPTION", a.Arg(1));
    self.Set("LFROMDICT", Value::Logical(Upper(a.Str(2)) == "D" || !TDictQZ::AliasOf("Informes").empty()));
    self.Set("LTREE", Value::Logical(false));
    if (const auto& show = CurrentReportRunHook().show_list) show(false, ListFolder());
    return Value();
  });
  c.Method("ACTIVATEARBOL", [](Object& o, Args&) {
    TInformeObject& self = Self(o);
    self.Set("LFROMDICT", Value::Logical(!TDictQZ::AliasOf("Informes").empty()));
    self.Set("LTREE", Value::Logical(true));
    if (const auto& show = CurrentReportRunHook().show_list) show(true, ListFolder());
    return Value();
  });
  c.Method("ARBOLGRAFICOS", [](Object&, Args&) {
    if (const auto& show = CurrentReportRunHook().show_graphics) show(ListFolder());
    return Value();
  });
  // The runs.
  c.Method("RUNGENINFORME", [](Object& o, Args& a) {
    TInformeObject& self = Self(o);
    InformeDictionary dict;
    const bool ok = dict.ok() && self.run.RunGenInforme(CodeOf(a, 1));
    self.SyncRun();
    return Value::Logical(ok);
  });
  // RunInforme( cInforme, lOpenDict, cAlias, cCondLis, nEntorno, aParams, lEuros )
  c.Method("RUNINFORME", [](Object& o, Args& a) {
    TInformeObject& self = Self(o);
    const bool own = a.Log(2);
    std::optional<InformeDictionary> dict;
    if (!own) dict.emplace();
    const bool ok = (own || dict->ok()) &&
                    self.run.RunInforme(CodeOf(a, 1), own, Text(a.Arg(3)), Text(a.Arg(4)), static_cast<int>(a.Int(5)),
                                        a.Arg(6), a.Arg(7));
    self.SyncRun();
    return Value::Logical(ok);
  });
  // RunDirectInforme( cInforme, nEntorno, cAlias, cCond )
  c.Method("RUNDIRECTINFORME", [](Object& o, Args& a) {
    TInformeObject& self = Self(o);
    InformeDictionary dict;
    const bool ok = dict.ok() && self.run.RunDirectInforme(CodeOf(a, 1), static_cast<int>(a.Int(2)), Text(a.Arg(3)),
                                                           Text(a.Arg(4)));
    self.SyncRun();
    return Value::Logical(ok);
  });
  // EndPreviewReport: the end of a run, its guard cleared.
  c.Method("ENDPREVIEWREPORT", [](Object& o, Args&) {
    Self(o).run.EndPreviewReport();
    return Value();
  });
  c.Method("DELINFORME", [](Object&, Args& a) {
    InformeDictionary dict;
    return Value::Logical(dict.ok() && DelInforme(CodeOf(a, 1)));
  });
  // RecuperaInf( cInforme ): the supervisor's restoration of one delivered report; the
  // working tables are checked free before the dictionary is opened for the copy.
  c.Method("RECUPERAINF", [](Object&, Args& a) {
    const std::string code = Upper(a.Str(1));
    const std::vector<std::string> delivered = RestauraInf();
    if (delivered.empty()) return Value::Logical(false);
    bool done = false;
    {
      InformeDictionary dict;
      done = dict.ok() && RecuperaInf(delivered, code);
    }
    CloseDelivered(delivered);
    return Value::Logical(done);
  });
  // lCheckRelacion( cTabla, cMaestra ): the master is the object's cTablaMaestra unless given.
  c.Method("LCHECKRELACION", [](Object& o, Args& a) {
    const std::string master = a.Arg(2).IsString() ? Upper(a.Str(2)) : Upper(Text(Self(o).Get("CTABLAMAESTRA")));
    InformeDictionary dict;
    return Value::Logical(dict.ok() && !master.empty() && lCheckRelacion(master, Upper(a.Str(1))));
  });
  // CargaExpresiones( cMaestra ): { { cCodigo, cDescripcion, nParametro }, ... }
  c.Method("CARGAEXPRESIONES", [](Object& o, Args& a) {
    const std::string master = a.Arg(1).IsString() ? Upper(a.Str(1)) : Upper(Text(Self(o).Get("CTABLAMAESTRA")));
    xb::Array out = xb::Array::New();
    InformeDictionary dict;
    if (!dict.ok()) return Value(out);
    for (const ExpresionOfrecida& e : CargaExpresiones(master))
      out.Append(Value(xb::Array::Of({Value::String(e.code), Value::String(e.description), Value::Integer(e.parametro)})));
    return Value(out);
  });
  // ColInforme( cInforme ): the class data of the report's columns; answers acColumnas.
  c.Method("COLINFORME", [](Object&, Args& a) {
    InformeDictionary dict;
    if (dict.ok()) FillEditedColumns(CodeOf(a, 1));
    return Shared().columns[0];
  });
  // DelColumna, UpColumn, DownColumn( cInforme, nIdCol )
  struct ColumnMethod {
    const char* name;
    bool (*fn)(std::string_view, int);
  };
  for (const ColumnMethod& m : {ColumnMethod{"DELCOLUMNA", &DelColumna}, ColumnMethod{"UPCOLUMN", &UpColumn},
                                ColumnMethod{"DOWNCOLUMN", &DownColumn}})
    c.Method(m.name, [fn = m.fn](Object&, Args& a) {
      InformeDictionary dict;
      return Value::Logical(dict.ok() && fn(CodeOf(a, 1), static_cast<int>(a.Int(2))));
    });
  // CalcExpresion( cInforme, cFormula ): the formula checked, the answer told.
  c.Method("CALCEXPRESION", [](Object&, Args& a) {
    InformeDictionary dict;
    return Value::Logical(dict.ok() && CalcExpresion(CodeOf(a, 1), a.Str(2)));
  });
  c.Method("END", [](Object&, Args&) { return Value(); });
}

}  // namespace

TInformeObject::TInformeObject() : TDictQZ(Cls()) {
  // An array DATA starts as an empty array of this object's own.
  for (int i = 0; i < SlotCount(); ++i)
    if (Slot(i).IsArray()) Slot(i) = Value(xb::Array::New());
}

const xb::Class& TInformeObject::Cls() {
  static const xb::Class& c = []() -> const xb::Class& {
    xb::Class& c = MutableCls();
    DefineMethods(c);
    return c;
  }();
  return c;
}

Value TInformeObject::Get(std::string_view name) { return xb::Send(AsValue(), name); }

void TInformeObject::Set(std::string_view name, const Value& value) {
  xb::Send(AsValue(), "_" + std::string(name), {value});
}

void TInformeObject::SyncRun() {
  for (const auto& [name, text] : {std::pair<const char*, const std::string*>{"CMAININFORME", &run.cMainInforme},
                                   {"CTABLAMAESTRA", &run.cTablaMaestra},
                                   {"CMASTERALIAS", &run.cMasterAlias},
                                   {"CCONDLIS", &run.cCondLis},
                                   {"CDESDE", &run.cDesde},
                                   {"CHASTA", &run.cHasta}})
    if (!text->empty()) Set(name, Value::String(*text));
  Set("NPAGE", Value::Integer(run.nPage));
  Set("LTEMPORAL", Value::Logical(run.lTemporal));
  Set("LFUETEMPORAL", Value::Logical(run.lFueTemporal));
  Set("LAGRUPADO", Value::Logical(run.lAgrupado));
  Set("LORDEN", Value::Logical(run.lOrden));
  // The conditions copy's scan range and named value lists.
  xb::Array datos = xb::Array::New();
  if (run.aDatosIni.lSet)
    datos = xb::Array::Of({Value::String(run.aDatosIni.cCampo), run.aDatosIni.uDesde, run.aDatosIni.uHasta,
                           Value::String("C"), run.aDatosIni.uOrden});
  Set("ADATOSINI", Value(datos));
  xb::Array names = xb::Array::New(), ranges = xb::Array::New();
  for (const std::string& name : run.aNomRangos) names.Append(Value::String(name));
  for (const std::vector<std::string>& range : run.aRangos) {
    xb::Array items = xb::Array::New();
    for (const std::string& item : range) items.Append(Value::String(item));
    ranges.Append(Value(items));
  }
  Set("ANOMRANGOS", Value(names));
  Set("ARANGOS", Value(ranges));
}

InformeDictionary::InformeDictionary() {
  if (!TDictQZ::AliasOf("Informes").empty()) return;
  dict_ = xb::MakeRef<TDictQZ>();
  // A folder known already is not checked again.
  if (TDictQZ::cPath().empty()) dict_->New(data::cPathInforme());
  if (!dict_->Activate("I", false)) dict_ = nullptr;
}

InformeDictionary::~InformeDictionary() {
  if (dict_) dict_->End();
}

bool InformeDictionary::ok() const { return !TDictQZ::AliasOf("Informes").empty(); }

int FillEditedColumns(std::string_view code) {
  std::array<xb::Array, 6> lists;
  for (xb::Array& list : lists) list = xb::Array::New();
  const std::vector<ColumnaRow> columns = ReadColumnas(code);
  for (const ColumnaRow& col : columns) {
    lists[0].Append(Value::String(col.cCampo));
    lists[1].Append(Value::String(col.cDescripc.empty() ? col.cTitulo : col.cDescripc));
    lists[2].Append(Value::String(col.cTipo));
    lists[3].Append(Value::Logical(col.lImprimir));
    lists[4].Append(Value::Integer(col.nAncho));
    lists[5].Append(Value::Integer(col.nNumDecimal));
  }
  for (std::size_t i = 0; i < lists.size(); ++i) Shared().columns[i] = Value(lists[i]);
  return static_cast<int>(columns.size());
}

void AddTInformeMethod(std::string_view message, xb::MethodFn fn) {
  (void)TInformeObject::Cls();
  MutableCls().Method(message, std::move(fn));
}

void RegisterTInforme() {
  (void)TInformeObject::Cls();
  xb::RegisterFunction("TINFORME", [](Args&) { return Value(xb::MakeRef<TInformeObject>()); });
}

}  // namespace reports
