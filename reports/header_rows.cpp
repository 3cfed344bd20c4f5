#include "reports/header_rows.h"

#include <cmath>

#include "data/data_ui.h"
#include "data/table_access.h"
#include "runtime/codepage.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

WorkArea* AreaOf(std::string_view alias) {
  WorkAreas& areas = WorkAreas::Get();
  return areas.Area(areas.AreaOfAlias(xb::AllTrim(alias)));
}

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }

Value Get(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  return pos == 0 ? Value() : a.GetField(pos);
}
std::string Text(WorkArea& a, std::string_view name) {
  const Value v = Get(a, name);
  return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
}
double Num(WorkArea& a, std::string_view name) {
  const Value v = Get(a, name);
  return v.IsNumber() ? v.AsDouble() : 0;
}
bool Log(WorkArea& a, std::string_view name) {
  const Value v = Get(a, name);
  return v.IsLogical() && v.AsLogical();
}
void Put(WorkArea& a, std::string_view name, const Value& v) {
  const int pos = a.FieldPos(name);
  if (pos > 0) a.PutField(pos, v);
}

// Runs `f` with the area selected; restores the selection.
template <typename F>
auto In(WorkArea& a, F&& f) {
  struct Keep {
    int area = WorkAreas::Get().CurrentArea();
    ~Keep() { WorkAreas::Get().SelectArea(area); }
  } keep;
  WorkAreas::Get().SelectArea(a.number());
  return f();
}

bool Lock(WorkArea& a) { return !a.table().shared() || In(a, [] { return data::lNetRecLock(); }); }
bool Add(WorkArea& a) { return In(a, [&a] { return a.table().shared() ? data::lNetRecAdd() : a.Append(false); }); }
void Done(WorkArea& a) {
  a.Commit();
  if (a.table().shared()) a.Unlock(a.recno());
}

// The record numbers of the rows whose COD is `code`.
std::vector<std::uint32_t> RowsOf(WorkArea& a, const std::string& code) {
  std::vector<std::uint32_t> rows;
  const int order = a.controlling_order();
  a.SetControllingOrder(0);
  for (a.GoTop(); !a.eof(); a.Skip(1))
    if (Upper(Text(a, "COD")) == code) rows.push_back(a.recno());
  a.SetControllingOrder(order);
  return rows;
}

void Delete(WorkArea& a, const std::vector<std::uint32_t>& rows) {
  for (std::uint32_t r : rows) {
    a.GoTo(r);
    if (!Lock(a)) continue;
    In(a, [&a] { return a.Delete(); });
    Done(a);
  }
}

}  // namespace

bool LoadHeader(std::string_view cabeh, std::string_view cabed, std::string_view code, Header* header) {
  WorkArea* h = AreaOf(cabeh);
  WorkArea* d = AreaOf(cabed);
  const std::string wanted = Upper(code);
  if (h == nullptr || d == nullptr) return false;
  const std::vector<std::uint32_t> rows = RowsOf(*h, wanted);
  if (rows.empty()) return false;
  h->GoTo(rows.front());
  *header = {};
  header->cod = Text(*h, "COD");
  header->descrip = Text(*h, "DESCRIP");
  header->posicion = Num(*h, "POSICION");
  header->activo = Log(*h, "ACTIVO");
  header->pfinal = Num(*h, "PFINAL");
  const std::uint32_t keep = d->recno();
  for (std::uint32_t r : RowsOf(*d, wanted)) {
    d->GoTo(r);
    HeaderItem item;
    item.dato = static_cast<int>(Num(*d, "DATO"));
    item.texto = Text(*d, "TEXTO");
    item.linea = Num(*d, "LINEA");
    item.columna = Num(*d, "COLUMNA");
    item.linea2 = Num(*d, "LINEA2");
    item.columna2 = Num(*d, "COLUMNA2");
    item.longmax = Num(*d, "LONGMAX");
    item.interlinea = Num(*d, "INTERLINEA");
    item.ajuste = Text(*d, "AJUSTE");
    item.activo = Log(*d, "ACTIVO");
    item.grosor = static_cast<int>(Num(*d, "GROSOR"));
    item.fuente = static_cast<int>(Num(*d, "FUENTE"));
    header->items.push_back(item);
  }
  d->GoTo(keep);
  return true;
}

bool SaveHeader(std::string_view cabeh, std::string_view cabed, const Header& header, bool add) {
  WorkArea* h = AreaOf(cabeh);
  WorkArea* d = AreaOf(cabed);
  if (h == nullptr || d == nullptr) return false;
  const std::string code = Upper(header.cod);
  const std::uint32_t current = h->recno();
  bool taken = false;
  for (std::uint32_t r : RowsOf(*h, code)) taken = taken || add || r != current;
  if (code.empty() || taken) {
    h->GoTo(current);
    data::Ui().MsgStop("Nombre duplicado", "Atención");
    return false;
  }
  h->GoTo(current);
  std::string old_code;
  if (add) {
    if (!Add(*h)) return false;
  } else {
    old_code = Upper(Text(*h, "COD"));
    if (!Lock(*h)) return false;
  }
  Put(*h, "COD", Value::String(code));
  Put(*h, "DESCRIP", Value::String(header.descrip));
  Put(*h, "POSICION", Value::Double(header.posicion, 1));
  Put(*h, "ACTIVO", Value::Logical(header.activo));
  Put(*h, "PFINAL", Value::Double(header.pfinal, 1));
  Done(*h);
  Delete(*d, RowsOf(*d, old_code.empty() ? code : old_code));
  for (const HeaderItem& item : header.items) {
    if (!Add(*d)) return false;
    Put(*d, "COD", Value::String(code));
    Put(*d, "DATO", Value::Integer(item.dato));
    Put(*d, "TEXTO", Value::String(item.texto));
    Put(*d, "LINEA", Value::Double(item.linea, 1));
    Put(*d, "COLUMNA", Value::Double(item.columna, 1));
    Put(*d, "LINEA2", Value::Double(item.linea2, 1));
    Put(*d, "COLUMNA2", Value::Double(item.columna2, 1));
    Put(*d, "LONGMAX", Value::Double(item.longmax, 1));
    Put(*d, "INTERLINEA", Value::Double(item.interlinea, 1));
    Put(*d, "AJUSTE", Value::String(item.ajuste));
    Put(*d, "ACTIVO", Value::Logical(item.activo));
    Put(*d, "GROSOR", Value::Integer(item.grosor));
    Put(*d, "FUENTE", Value::Integer(item.fuente));
    Done(*d);
  }
  return true;
}

void DeleteHeader(std::string_view cabeh, std::string_view cabed, std::string_view code) {
  const std::string wanted = Upper(code);
  if (WorkArea* d = AreaOf(cabed)) Delete(*d, RowsOf(*d, wanted));
  if (WorkArea* h = AreaOf(cabeh)) Delete(*h, RowsOf(*h, wanted));
}

double ImageDefaultMm(int pixels) { return std::round(pixels / 3.0 * 10.0) / 10.0; }

int nAjuste(std::string_view code) {
  const std::string c = Upper(code);
  return c == "I" ? 0 : c == "D" ? 1 : 2;
}

}  // namespace reports
