#include "reports/win/report_dialog_rows.h"

#include <algorithm>
#include <cmath>

#include "reports/report_definitions.h"
#include "reports/tdictqz.h"
#include "reports/value_helpers.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }

WorkArea* AreaOf(std::string_view alias) {
  if (alias.empty()) return nullptr;
  WorkAreas& areas = WorkAreas::Get();
  const int n = areas.AreaOfAlias(xb::AllTrim(alias));
  return n == 0 ? nullptr : areas.Area(n);
}

std::string Text(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0) return {};
  const Value v = a.GetField(pos);
  return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
}

int Number(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0) return 0;
  const Value v = a.GetField(pos);
  return v.IsNumber() ? static_cast<int>(std::lround(v.AsDouble())) : 0;
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

// Every live row of an area in its controlling order.
template <typename F>
void Each(WorkArea& a, F&& f) {
  for (a.GoTop(); !a.eof(); a.Skip(1))
    if (!a.Deleted()) f(a);
}

// Copies the current row of `from` into a new row of `to`, field by field.
void CopyRow(WorkArea& from, WorkArea& to) {
  if (!to.Append(false)) return;
  for (int f = 1; f <= from.FieldCount(); ++f) {
    const int pos = to.FieldPos(from.FieldAt(f)->name);
    if (pos > 0) to.PutField(pos, from.GetField(f));
  }
  to.Commit();
}

// Copies the report's rows of a dictionary table into the copy, field by field.
void CopyIn(WorkArea& from, WorkArea& to, const std::string& code) {
  const int order = from.controlling_order();
  from.SetControllingOrder(0);
  Each(from, [&](WorkArea& a) {
    if (Upper(Text(a, "INFORME")) == code && Text(a, "INFDOC") == "I") CopyRow(a, to);
  });
  from.SetControllingOrder(order);
}

ConditionRow ReadRow(WorkArea& a) {
  ConditionRow r;
  r.recno = a.recno();
  r.tipo = Text(a, "TIPO");
  r.orden = Text(a, "ORDEN");
  r.enlace = Number(a, "ENLACE");
  r.tabla = Text(a, "TABLA");
  r.campo = Text(a, "CAMPO");
  r.operador = Number(a, "OPERADOR");
  r.valor = Text(a, "VALOR");
  r.fldtipo = Text(a, "FLDTIPO");
  r.textotit = Text(a, "TEXTOTIT");
  r.textopie = Text(a, "TEXTOPIE");
  r.columna = Text(a, "COLUMNA");
  r.imprime = Text(a, "IMPRIME");
  return r;
}

void WriteRow(WorkArea& a, const ConditionRow& r) {
  Put(a, "TIPO", Value::String(r.tipo));
  Put(a, "ORDEN", Value::String(r.orden));
  Put(a, "ENLACE", Value::Integer(r.enlace));
  Put(a, "TABLA", Value::String(r.tabla));
  Put(a, "CAMPO", Value::String(r.campo));
  Put(a, "OPERADOR", Value::Integer(r.operador));
  Put(a, "VALOR", Value::String(r.valor));
  Put(a, "FLDTIPO", Value::String(r.fldtipo));
  Put(a, "INFDOC", Value::String("I"));
  Put(a, "TEXTOTIT", Value::String(r.textotit));
  Put(a, "TEXTOPIE", Value::String(r.textopie));
  Put(a, "COLUMNA", Value::String(r.columna));
  Put(a, "IMPRIME", Value::String(r.imprime));
  a.Commit();
}

int TypeIndex(const std::string& type) {
  return type.size() == 1 && type[0] >= 'A' && type[0] <= 'D' ? type[0] - 'A' : -1;
}

// The pieces of a " + " list.
std::vector<std::string> Pieces(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t plus = text.find('+', start);
    const std::string piece(xb::AllTrim(text.substr(start, plus == std::string::npos ? std::string::npos : plus - start)));
    if (!piece.empty()) out.push_back(piece);
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
  return out;
}

std::string DescriptionOf(const std::vector<ReportColumn>& columns, const std::string& field) {
  const ReportColumn* c = ColumnOf(columns, field);
  return c == nullptr ? field : c->description;
}

}  // namespace

const std::vector<std::string>& OperatorNames() {
  static const std::vector<std::string> names = {"",      "igual a",           "distinto de",       "menor que",
                                                 "mayor que", "menor o igual que", "mayor o igual que", "vacío",
                                                 "no vacío",  "que contenga"};
  return names;
}

const std::vector<std::string>& LinkNames() {
  static const std::vector<std::string> names = {"", "y además ", "o bien"};
  return names;
}

std::vector<ReportColumn> ColInforme(const std::string& code, const std::string& master) {
  std::vector<ReportColumn> columns;
  WorkArea* a = AreaOf(TDictQZ::AliasOf("Columnas"));
  if (a == nullptr || code.empty()) return columns;
  const int order = a->controlling_order();
  a->SetControllingOrder(0);
  Each(*a, [&](WorkArea& r) {
    if (Upper(Text(r, "INFORME")) != Upper(code)) return;
    ReportColumn c;
    c.id = Number(r, "IDCOL");
    c.kind = Number(r, "TIPOCOL");
    c.field = Text(r, "CAMPO");
    c.source = Text(r, "CAMPOREL");
    c.table = c.kind == 2 || c.kind == 8 ? Text(r, "CODEXPR") : master;
    c.description = Text(r, "DESCRIPC");
    if (c.description.empty()) c.description = Text(r, "TITULO");
    c.type = Text(r, "TIPO");
    c.width = Number(r, "ANCHO");
    c.decimals = Number(r, "NUMDECIMAL");
    c.printed = Logical(r, "IMPRIMIR");
    columns.push_back(c);
  });
  a->SetControllingOrder(order);
  std::stable_sort(columns.begin(), columns.end(), [](const ReportColumn& x, const ReportColumn& y) { return x.id < y.id; });
  return columns;
}

const ReportColumn* ColumnOf(const std::vector<ReportColumn>& columns, const std::string& field) {
  for (const ReportColumn& c : columns)
    if (Upper(c.field) == Upper(field)) return &c;
  return nullptr;
}

ReportCopies::~ReportCopies() { Close(); }

bool ReportCopies::Open(const std::string& code) {
  Close();
  WorkArea* condicio = AreaOf(TDictQZ::AliasOf("Condicio"));
  WorkArea* inicial = AreaOf(TDictQZ::AliasOf("Inicial"));
  WorkArea* tablas = AreaOf(TDictQZ::AliasOf("Tablas"));
  if (condicio == nullptr || inicial == nullptr || tablas == nullptr) return false;
  const int keep = WorkAreas::Get().CurrentArea();
  tmp_ = xb::MakeRef<data::TTemporal>();
  const xb::Array sources =
      xb::Array::Of({Value::String(condicio->alias()), Value::String(inicial->alias()), Value::String(tablas->alias())});
  if (!tmp_->Create(Value(sources), TDictQZ::cTempPath(), 1) || tmp_->acAlias.size() < 3) {
    tmp_ = nullptr;
    WorkAreas::Get().SelectArea(keep);
    return false;
  }
  cond_alias = std::string(tmp_->acAlias.Get(0).AsString());
  ini_alias = std::string(tmp_->acAlias.Get(1).AsString());
  tablas_alias = std::string(tmp_->acAlias.Get(2).AsString());
  const auto tag = [](const char* name, const char* key) {
    return Value(xb::Array::Of({Value::String(name), Value::String(key)}));
  };
  tmp_->CreateIndex(cond_alias, xb::Array::Of({tag("Indice1", "Tipo + Orden")}));
  tmp_->CreateIndex(ini_alias, xb::Array::Of({tag("Indice2", "Orden"), tag("Indice3", "Funcion")}));
  tmp_->CreateIndex(tablas_alias, xb::Array::Of({tag("Indice4", "Upper( Tabla )"), tag("Descrip", "Upper( Descripc ) ")}));
  if (!code.empty()) {
    CopyIn(*condicio, *AreaOf(cond_alias), Upper(code));
    CopyIn(*inicial, *AreaOf(ini_alias), Upper(code));
  }
  // The tables a master may be chosen from: the visible ones.
  const int order = tablas->controlling_order();
  const std::uint32_t record = tablas->recno();
  tablas->SetControllingOrder(0);
  WorkArea& visible = *AreaOf(tablas_alias);
  Each(*tablas, [&](WorkArea& a) {
    if (Upper(Text(a, "VISIBLE")) == "S") CopyRow(a, visible);
  });
  tablas->SetControllingOrder(order);
  tablas->GoTo(record);
  visible.GoTop();
  WorkAreas::Get().SelectArea(keep);
  return true;
}

ChoiceQuery ReportCopies::MasterTables() const {
  return {.code_field = "TABLA", .alias = tablas_alias, .order = Value::String("Descrip")};
}

std::optional<std::string> ReportCopies::MasterDescription(const std::string& table) const {
  WorkArea* a = AreaOf(tablas_alias);
  if (a == nullptr || xb::AllTrim(table).empty()) return std::nullopt;
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(a->number());
  const int width = a->FieldAt(a->FieldPos("TABLA"))->length;
  xb::CallFunction("ORDSETFOCUS", {Value::String("Indice4")});
  const bool found = xb::CallFunction("DBSEEK", {Value::String(xb::PadR(Upper(table), width))}).AsLogical();
  std::optional<std::string> description;
  if (found) description = Text(*a, "DESCRIPC");
  WorkAreas::Get().SelectArea(keep);
  return description;
}

void ReportCopies::Close() {
  if (tmp_) {
    const int keep = WorkAreas::Get().CurrentArea();
    tmp_->End(true);
    tmp_ = nullptr;
    WorkAreas::Get().SelectArea(keep);
  }
  cond_alias.clear();
  ini_alias.clear();
  tablas_alias.clear();
}

std::vector<ConditionRow> ReportCopies::Rows(const std::string& type) const {
  std::vector<ConditionRow> rows;
  WorkArea* a = AreaOf(cond_alias);
  if (a == nullptr) return rows;
  Each(*a, [&](WorkArea& r) {
    if (Text(r, "TIPO") == type) rows.push_back(ReadRow(r));
  });
  return rows;
}

void ReportCopies::Save(ConditionRow row) {
  WorkArea* a = AreaOf(cond_alias);
  if (a == nullptr) return;
  if (row.recno == 0) {
    std::vector<ConditionRow> rows = Rows(row.tipo);
    row.orden = NextOrden(rows);
    if (!rows.empty() && rows.back().enlace < 2) {
      a->GoTo(rows.back().recno);
      Put(*a, "ENLACE", Value::Integer(2));
      a->Commit();
    }
    if (!a->Append(false)) return;
  } else {
    a->GoTo(row.recno);
  }
  WriteRow(*a, row);
  if (const int t = TypeIndex(row.tipo); t >= 0) changed[t] = true;
}

void ReportCopies::Delete(std::uint32_t recno) {
  WorkArea* a = AreaOf(cond_alias);
  if (a == nullptr || recno == 0) return;
  a->GoTo(recno);
  if (const int t = TypeIndex(Text(*a, "TIPO")); t >= 0) changed[t] = true;
  a->Delete();
  a->Commit();
}

void ReportCopies::Clear(const std::string& type) {
  for (const ConditionRow& r : Rows(type)) Delete(r.recno);
  if (const int t = TypeIndex(type); t >= 0) changed[t] = true;
}

void ReportCopies::Replace(const std::string& type, std::vector<ConditionRow> rows, bool as_they_are) {
  Clear(type);
  WorkArea* a = AreaOf(cond_alias);
  if (a == nullptr) return;
  char letter = 'A';
  for (ConditionRow& r : rows) {
    r.tipo = type;
    if (!as_they_are) r.orden = std::string(1, letter++);
    if (!a->Append(false)) return;
    WriteRow(*a, r);
  }
}

std::vector<InicialRow> ReportCopies::Iniciales() const {
  std::vector<InicialRow> rows;
  WorkArea* a = AreaOf(ini_alias);
  if (a == nullptr) return rows;
  Each(*a, [&](WorkArea& r) {
    rows.push_back({r.recno(), Number(r, "ORDEN"), Text(r, "FUNCION"), Text(r, "DESCRIPC")});
  });
  return rows;
}

void ReportCopies::SaveInicial(const InicialRow& row) {
  WorkArea* a = AreaOf(ini_alias);
  if (a == nullptr) return;
  if (row.recno == 0) {
    if (!a->Append(false)) return;
  } else {
    a->GoTo(row.recno);
  }
  Put(*a, "ORDEN", Value::Integer(row.orden));
  Put(*a, "FUNCION", Value::String(row.funcion));
  Put(*a, "DESCRIPC", Value::String(row.descripc));
  Put(*a, "INFDOC", Value::String("I"));
  a->Commit();
  ini_changed = true;
}

void ReportCopies::DeleteInicial(std::uint32_t recno) {
  WorkArea* a = AreaOf(ini_alias);
  if (a == nullptr || recno == 0) return;
  a->GoTo(recno);
  a->Delete();
  a->Commit();
  ini_changed = true;
}

bool ReportCopies::WriteBack(const std::string& code) {
  WorkArea* cond = AreaOf(cond_alias);
  WorkArea* ini = AreaOf(ini_alias);
  if (cond == nullptr || ini == nullptr) return false;
  // A new report's rows were made before its code was known.
  for (WorkArea* a : {cond, ini}) {
    Each(*a, [&](WorkArea& r) {
      Put(r, "INFORME", Value::String(code));
      Put(r, "INFDOC", Value::String("I"));
    });
    a->Commit();
  }
  bool ok = true;
  const std::string condicio = TDictQZ::AliasOf("Condicio");
  for (int t = 0; t < 4; ++t)
    if (changed[t]) ok = ActDbf(condicio, cond_alias, code, "I", std::string(1, static_cast<char>('A' + t))) && ok;
  if (ini_changed) ok = ActDbf(TDictQZ::AliasOf("Inicial"), ini_alias, code, "I") && ok;
  return ok;
}

std::string NextOrden(const std::vector<ConditionRow>& rows) {
  char highest = 0;
  for (const ConditionRow& r : rows)
    if (!r.orden.empty()) highest = std::max(highest, r.orden[0]);
  return std::string(1, highest == 0 ? 'A' : static_cast<char>(highest + 1));
}

std::string GenLine(const ConditionRow& row, const std::vector<ReportColumn>& columns) {
  const std::vector<std::string>& ops = OperatorNames();
  const std::string op = row.operador >= 1 && row.operador <= static_cast<int>(ops.size()) ? ops[row.operador - 1] : "";
  const bool emptiness = row.operador == 8 || row.operador == 9;
  std::string text = "El contenido de la columna " + DescriptionOf(columns, row.columna) + (emptiness ? " esté " : " sea ") + op;
  if (!emptiness) {
    std::string value = row.valor;
    const std::string type = Upper(row.fldtipo);
    if (type == "L") {
      value = Upper(row.valor) == ".T." ? "cierto" : "falso";
    } else if (type == "H") {
      value = std::string(xb::AllTrim(nMinToHora(std::atof(row.valor.c_str()), true)));
    } else if (type == "V") {
      const std::vector<std::string> results = aResulta(row.tabla, row.campo);
      const int at = std::atoi(row.valor.c_str());
      if (at >= 1 && at <= static_cast<int>(results.size())) value = results[at - 1];
    }
    text += " " + value;
  }
  const std::vector<std::string>& links = LinkNames();
  if (row.enlace >= 1 && row.enlace <= static_cast<int>(links.size()) && !links[row.enlace - 1].empty())
    text += " " + std::string(xb::AllTrim(links[row.enlace - 1]));
  return text;
}

std::string FillSay(const std::string& type, const std::vector<ConditionRow>& rows,
                    const std::vector<ReportColumn>& columns) {
  std::string out;
  if (type == "A") {
    for (const ConditionRow& r : rows)
      out += (out.empty() ? "Ordenar por " : " y además ") +
             DescriptionOf(columns, r.columna.empty() ? r.campo : r.columna);
    return out;
  }
  for (const ConditionRow& r : rows) {
    if (!out.empty()) out += "\r\n";
    if (type == "B") {
      std::string line;
      for (const std::string& piece : Pieces(r.campo))
        line += (line.empty() ? "Agrupar cuando cambie " : " más ") + DescriptionOf(columns, piece);
      out += line;
    } else {
      out += GenLine(r, columns);
    }
  }
  return out;
}

}  // namespace reports
