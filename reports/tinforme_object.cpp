#include "reports/tinforme_object.h"

#include <array>
#include <optional>

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

void DefineMethods(xb::Class& c) {
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
