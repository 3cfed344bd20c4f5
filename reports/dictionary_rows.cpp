#include "reports/dictionary_rows.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <tuple>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "reports/relation_paths.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/object.h"
#include "runtime/rdd/file_system.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

using xb::rdd::SelectedArea;

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }

WorkArea* AreaOf(std::string_view alias) {
  WorkAreas& areas = WorkAreas::Get();
  return areas.Area(areas.AreaOfAlias(xb::AllTrim(alias)));
}

std::string Text(WorkArea& area, std::string_view name) {
  const int pos = area.FieldPos(name);
  if (pos == 0) return {};
  const Value v = area.GetField(pos);
  return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
}

std::int64_t Number(WorkArea& area, std::string_view name) {
  const int pos = area.FieldPos(name);
  return pos == 0 ? 0 : area.GetField(pos).AsInt();
}

void Put(WorkArea& area, std::string_view name, const Value& v) {
  const int pos = area.FieldPos(name);
  if (pos > 0) area.PutField(pos, v);
}

// Calls `f` on each row of the area in natural order (it may delete the row); the area
// stays on the row it was on.
template <typename F>
void EachRow(WorkArea& area, F&& f) {
  const int order = area.controlling_order();
  const std::uint32_t recno = area.recno();
  const bool at_end = area.eof();
  area.SetControllingOrder(0);
  for (area.GoTop(); !area.eof(); area.Skip(1)) f();
  area.SetControllingOrder(order);
  if (at_end) {
    area.GoBottom();
    area.Skip(1);
  } else {
    area.GoTo(recno);
  }
}

// Appends a row to a shared or exclusive table; false when the append lock is refused.
bool AppendRow(WorkArea& area) {
  SelectedArea keep;
  WorkAreas::Get().SelectArea(area.number());
  if (area.table().shared()) return data::lNetRecAdd();
  return area.Append(false);
}

// Deletes the current row (under its lock when shared).
void DeleteRow(WorkArea& area) {
  SelectedArea keep;
  WorkAreas::Get().SelectArea(area.number());
  if (area.table().shared() && !data::lNetRecLock()) return;
  area.Delete();
  if (area.table().shared()) area.Unlock(area.recno());
}

// Locks the current row for a change (always granted on an exclusive table).
bool LockRow(WorkArea& area) {
  SelectedArea keep;
  WorkAreas::Get().SelectArea(area.number());
  return !area.table().shared() || data::lNetRecLock();
}

void EndRow(WorkArea& area) {
  area.Commit();
  if (area.table().shared()) area.Unlock(area.recno());
}

std::string Capitalised(std::string_view name) {
  std::string s = xb::Lower(xb::CurrentCodePage(), name);
  if (!s.empty()) s[0] = xb::Upper(xb::CurrentCodePage(), s.substr(0, 1))[0];
  return s;
}

// The `Relacion` and `RelTab` rows leaving from `master`: their destinations.
std::set<std::string> Reached(WorkArea* area, std::string_view master) {
  std::set<std::string> out;
  if (area == nullptr) return out;
  EachRow(*area, [&] {
    if (Upper(Text(*area, "TABORIGEN")) == Upper(master)) out.insert(Upper(Text(*area, "TABDESTINO")));
  });
  return out;
}

bool Compiles(std::string_view expression) {
  return !xb::AllTrim(expression).empty() && xb::TryCompileBlock(xb::AllTrim(expression)).has_value();
}

// The current row's field values in the table's order as given by `values`.
void PutValues(WorkArea& area, const xb::Array& values) {
  for (int f = 1; f <= area.FieldCount() && static_cast<std::size_t>(f) <= values.size(); ++f) {
    const Value& v = values[static_cast<std::size_t>(f - 1)].Deref();
    if (!v.IsNil()) area.PutField(f, v);
  }
}

// TI_SAVETABLE, TI_LSAVECAMPO, TI_LSAVEINDICE: the row added or the current one changed; a
// key another row holds is refused ("Nombre duplicado").
bool SaveRow(std::string_view alias, bool add, const xb::Array& values, std::string_view order,
             std::string_view key_expression) {
  WorkArea* area = AreaOf(alias);
  if (area == nullptr || !values) return false;
  SelectedArea keep;
  WorkAreas::Get().SelectArea(area->number());
  const std::uint32_t current = area->recno();
  const std::string key(key_expression);
  // The values' key (fields joined by "+"), sought in the order.
  std::string wanted;
  std::size_t start = 0;
  while (start <= key.size()) {
    const std::size_t plus = key.find('+', start);
    const std::string field = Upper(key.substr(start, plus == std::string::npos ? std::string::npos : plus - start));
    const int pos = area->FieldPos(field);
    if (pos > 0 && static_cast<std::size_t>(pos) <= values.size()) {
      const Value& v = values[static_cast<std::size_t>(pos - 1)].Deref();
      wanted += xb::PadR(v.IsString() ? v.AsString() : std::string_view(), area->FieldAt(pos)->length);
    }
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
  const int previous_order = area->controlling_order();
  xb::CallFunction("ORDSETFOCUS", {Value::String(order)});
  const bool found = xb::CallFunction("DBSEEK", {Value::String(xb::Upper(xb::CurrentCodePage(), wanted))}).AsLogical();
  const bool other = found && (add || area->recno() != current);
  area->SetControllingOrder(previous_order);
  area->GoTo(current);
  if (other) {
    data::Ui().MsgStop("Nombre duplicado", "Atención");
    return false;
  }
  if (add) {
    if (!AppendRow(*area)) return false;
  } else if (area->table().shared() && !data::lNetRecLock()) {
    return false;
  }
  PutValues(*area, values);
  EndRow(*area);
  return true;
}

}  // namespace

bool HasIdentifier(std::string_view text, std::string_view name) {
  const std::string wanted = Upper(name);
  if (wanted.empty()) return false;
  const auto is_word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
  for (std::size_t i = 0; i < text.size();) {
    if (!is_word(text[i])) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < text.size() && is_word(text[j])) ++j;
    if (Upper(text.substr(i, j - i)) == wanted) return true;
    i = j;
  }
  return false;
}

bool DoImport(const DictAliases& dict, const std::string& file) {
  WorkArea* tablas = AreaOf(dict.tablas);
  WorkArea* campos = AreaOf(dict.campos);
  WorkArea* indices = AreaOf(dict.indices);
  if (tablas == nullptr || campos == nullptr || indices == nullptr) return false;
  const std::string folder = xb::rdd::PathFolder(file);
  const std::string file_name = xb::rdd::PathName(file);
  std::string name = xb::Upper(xb::CurrentCodePage(), file_name.substr(0, file_name.rfind('.')));
  if (data::lRistelo() && name.size() > 2) name.resize(name.size() - 2);
  name = name.substr(0, 10);
  bool exists = false;
  EachRow(*tablas, [&] { exists = exists || Upper(Text(*tablas, "TABLA")) == name; });
  if (exists) {
    data::Ui().MsgStop("Ya existe una tabla con el nombre " + name + ".\n\r" +
                           "Deberá eliminar la tabla antes de añadir otra con el mismo nombre",
                       "Atención");
    return false;
  }
  SelectedArea keep;
  WorkAreas& areas = WorkAreas::Get();
  const int free_area = areas.FirstFreeArea();
  bool opened = false;
  {
    data::QuietTableFailures quiet;
    areas.SelectArea(free_area);
    opened = xb::CallFunction("DBUSEAREA", {Value::Logical(false), Value(), Value::String(file), Value::String("Temp"),
                                            Value::Logical(true)})
                 .AsLogical() &&
             areas.Current().used();
  }
  if (!opened) {
    data::Ui().MsgStop("Se ha producido algún error durante la apertura del fichero" + file + ".\n\r" +
                           "Compruebe que el fichero es accesible y no está corrupto",
                       "Atención");
    return false;
  }
  WorkArea& temp = areas.Current();
  if (AppendRow(*tablas)) {
    Put(*tablas, "TABLA", Value::String(name));
    Put(*tablas, "RUTA", Value::String(folder));
    Put(*tablas, "FICHERO", Value::String(file_name));
    Put(*tablas, "DESCRIPC", Value::String(Capitalised(name)));
    Put(*tablas, "VISIBLE", Value::String("S"));
    EndRow(*tablas);
  }
  for (int f = 1; f <= temp.FieldCount(); ++f) {
    const auto& field = *temp.FieldAt(f);
    if (!AppendRow(*campos)) break;
    Put(*campos, "TABLA", Value::String(name));
    Put(*campos, "ORDEN", Value::Integer(f));
    Put(*campos, "CAMPO", Value::String(field.name));
    Put(*campos, "TIPO", Value::String(std::string(1, field.type)));
    Put(*campos, "LONGITUD", Value::Integer(field.length));
    Put(*campos, "DECIMAL", Value::Integer(field.decimals));
    Put(*campos, "DESCRIPC", Value::String(field.name));
    Put(*campos, "VISIBLE", Value::String("S"));
    Put(*campos, "ANCHOMAX", Value::Integer(field.length));
    EndRow(*campos);
  }
  areas.SelectArea(temp.number());
  for (int i = 1; i <= temp.OrderCount(); ++i) {
    const Value tag = xb::CallFunction("ORDNAME", {Value::Integer(i)});
    const Value key = xb::CallFunction("ORDKEY", {Value::Integer(i)});
    if (!AppendRow(*indices)) break;
    Put(*indices, "TABLA", Value::String(name));
    Put(*indices, "ORDEN", Value::Integer(i));
    Put(*indices, "TAG", tag);
    Put(*indices, "EXPRESION", key);
    EndRow(*indices);
  }
  temp.Close();
  return true;
}

namespace {

struct Described {
  std::int64_t order = 0;
  std::string name, type;
  std::int64_t width = 0, decimals = 0;
};

std::string Line(const Described* d) {
  if (d == nullptr) return {};
  return std::to_string(d->order) + " " + d->name + " " + d->type + " " + std::to_string(d->width) + " " +
         std::to_string(d->decimals);
}

}  // namespace

std::vector<std::string> ActualTabla(const DictAliases& dict, std::string_view table, std::string_view file_alias) {
  std::vector<std::string> diffs;
  WorkArea* campos = AreaOf(dict.campos);
  WorkArea* file = AreaOf(file_alias);
  if (campos == nullptr || file == nullptr) return diffs;
  const std::string name = Upper(table);
  std::vector<Described> described;
  std::int64_t last = 0;
  EachRow(*campos, [&] {
    if (Upper(Text(*campos, "TABLA")) != name) return;
    described.push_back({Number(*campos, "ORDEN"), Upper(Text(*campos, "CAMPO")), Text(*campos, "TIPO"),
                         Number(*campos, "LONGITUD"), Number(*campos, "DECIMAL")});
    last = std::max(last, Number(*campos, "ORDEN"));
  });
  for (int f = 1; f <= file->FieldCount(); ++f) {
    const auto& field = *file->FieldAt(f);
    const Described real{f, field.name, std::string(1, field.type), field.length, field.decimals};
    const auto it = std::find_if(described.begin(), described.end(), [&](const Described& d) { return d.name == real.name; });
    const Described* in_dict = it == described.end() ? nullptr : &*it;
    const bool same = in_dict != nullptr && (in_dict->type == real.type || (in_dict->type == "F" && real.type == "D")) &&
                      in_dict->width == real.width && in_dict->decimals == real.decimals;
    if (same) continue;
    diffs.push_back(Line(&real) + " | " + Line(in_dict));
    if (in_dict != nullptr || !AppendRow(*campos)) continue;
    Put(*campos, "TABLA", Value::String(name));
    Put(*campos, "ORDEN", Value::Integer(++last));
    Put(*campos, "CAMPO", Value::String(real.name));
    Put(*campos, "TIPO", Value::String(real.type));
    Put(*campos, "LONGITUD", Value::Integer(real.width));
    Put(*campos, "DECIMAL", Value::Integer(real.decimals));
    Put(*campos, "DESCRIPC", Value::String(real.name));
    Put(*campos, "VISIBLE", Value::String("S"));
    Put(*campos, "ANCHOMAX", Value::Integer(real.width));
    EndRow(*campos);
  }
  for (const Described& d : described) {
    bool in_file = false;
    for (int f = 1; f <= file->FieldCount(); ++f) in_file = in_file || file->FieldAt(f)->name == d.name;
    if (!in_file) diffs.push_back(" | " + Line(&d));
  }
  return diffs;
}

std::vector<std::string> ActualIndices(const DictAliases& dict, std::string_view table, std::string_view file_alias) {
  std::vector<std::string> diffs;
  WorkArea* indices = AreaOf(dict.indices);
  WorkArea* file = AreaOf(file_alias);
  if (indices == nullptr || file == nullptr) return diffs;
  const std::string name = Upper(table);
  std::vector<std::pair<std::string, std::string>> described;  // tag, key
  std::int64_t last = 0;
  EachRow(*indices, [&] {
    if (Upper(Text(*indices, "TABLA")) != name) return;
    described.emplace_back(Upper(Text(*indices, "TAG")), Text(*indices, "EXPRESION"));
    last = std::max(last, Number(*indices, "ORDEN"));
  });
  SelectedArea keep;
  for (int i = 1; i <= file->OrderCount(); ++i) {
    WorkAreas::Get().SelectArea(file->number());
    const std::string tag(xb::AllTrim(xb::CallFunction("ORDNAME", {Value::Integer(i)}).AsString()));
    const std::string key(xb::AllTrim(xb::CallFunction("ORDKEY", {Value::Integer(i)}).AsString()));
    const auto it = std::find_if(described.begin(), described.end(), [&](const auto& d) { return d.first == Upper(tag); });
    if (it != described.end() && Upper(it->second) == Upper(key)) continue;
    diffs.push_back(tag + " " + key + " | " + (it == described.end() ? std::string() : it->first + " " + it->second));
    if (it != described.end() || !AppendRow(*indices)) continue;
    Put(*indices, "TABLA", Value::String(name));
    Put(*indices, "ORDEN", Value::Integer(++last));
    Put(*indices, "TAG", Value::String(tag));
    Put(*indices, "EXPRESION", Value::String(key));
    EndRow(*indices);
  }
  return diffs;
}

void DeleteTableRows(const DictAliases& dict, std::string_view table, std::string_view camposres) {
  const std::string name = Upper(table);
  for (const std::string* alias : {&dict.campos, &dict.indices}) {
    if (WorkArea* area = AreaOf(*alias)) {
      EachRow(*area, [&] {
        if (Upper(Text(*area, "TABLA")) == name) DeleteRow(*area);
      });
    }
  }
  if (WorkArea* area = camposres.empty() ? nullptr : AreaOf(camposres)) {
    EachRow(*area, [&] {
      if (Upper(Text(*area, "TABLA")) == name) DeleteRow(*area);
    });
  }
  if (WorkArea* area = AreaOf(dict.tablas)) {
    EachRow(*area, [&] {
      if (Upper(Text(*area, "TABLA")) == name) DeleteRow(*area);
    });
  }
}

bool FieldInUse(const DictAliases& dict, std::string_view table, std::string_view field) {
  const std::string name = Upper(table);
  bool used = false;
  if (WorkArea* area = AreaOf(dict.indices)) {
    EachRow(*area, [&] {
      used = used || (Upper(Text(*area, "TABLA")) == name && HasIdentifier(Text(*area, "EXPRESION"), field));
    });
  }
  if (WorkArea* area = AreaOf(dict.relacion)) {
    EachRow(*area, [&] {
      const bool of_table = Upper(Text(*area, "TABORIGEN")) == name || Upper(Text(*area, "TABDESTINO")) == name;
      used = used || (of_table && HasIdentifier(Text(*area, "EXPBUSCAR"), field));
    });
  }
  return used;
}

bool ExisteRelacion(std::string_view alias, std::string_view origin, std::string_view destination,
                    std::string_view tag, std::string_view expression) {
  WorkArea* area = AreaOf(alias);
  if (area == nullptr) return false;
  bool found = false;
  EachRow(*area, [&] {
    found = found || (Upper(Text(*area, "TABORIGEN")) == Upper(origin) &&
                      Upper(Text(*area, "TABDESTINO")) == Upper(destination) &&
                      Upper(Text(*area, "INDDESTINO")) == Upper(tag) &&
                      Upper(Text(*area, "EXPBUSCAR")) == Upper(expression));
  });
  return found;
}

bool lCheckRelacion(std::string_view indices_alias, std::string_view destination, std::string_view tag,
                    std::string_view expression) {
  if (!Compiles(expression)) return false;
  WorkArea* area = AreaOf(indices_alias);
  if (area == nullptr) return false;
  bool found = false;
  EachRow(*area, [&] {
    found = found || (Upper(Text(*area, "TABLA")) == Upper(destination) && Upper(Text(*area, "TAG")) == Upper(tag));
  });
  return found;
}

int GuardaRelacion(const DictAliases& dict, std::string_view origin, std::string_view expression,
                   std::string_view destination, std::string_view tag, std::string_view description, bool direct,
                   std::string_view products) {
  WorkArea* relacion = AreaOf(dict.relacion);
  if (relacion == nullptr) return 0;
  std::int64_t last = 0;
  EachRow(*relacion, [&] { last = std::max(last, Number(*relacion, "IDREL")); });
  const int id = static_cast<int>(last + 1);
  if (!AppendRow(*relacion)) return 0;
  Put(*relacion, "TABORIGEN", Value::String(Upper(origin)));
  Put(*relacion, "EXPBUSCAR", Value::String(xb::AllTrim(expression)));
  Put(*relacion, "TABDESTINO", Value::String(Upper(destination)));
  Put(*relacion, "INDDESTINO", Value::String(xb::AllTrim(tag)));
  Put(*relacion, "DESCRIPC", Value::String(xb::AllTrim(description)));
  Put(*relacion, "IDREL", Value::Integer(id));
  Put(*relacion, "DIRECTA", Value::Logical(direct));
  Put(*relacion, "PRODUCTOS", Value::String(xb::AllTrim(products)));
  EndRow(*relacion);
  // A direct relation opens paths; RelTab is brought in line with every path there is.
  if (direct) SyncRelTab(dict);
  return id;
}

void SyncRelTab(const DictAliases& dict) {
  WorkArea* reltab = AreaOf(dict.reltab);
  if (reltab == nullptr) return;
  using PathKey = std::tuple<std::string, std::string, std::int64_t, std::int64_t>;
  std::map<PathKey, std::string> paths;
  for (const RelTabRow& row : RelTabPaths(ReadRelations(dict.relacion)))
    paths.emplace(PathKey{row.origin, row.destination, row.first_id, row.last_id}, row.products);
  std::set<PathKey> present;
  EachRow(*reltab, [&] {
    const PathKey key{Upper(Text(*reltab, "TABORIGEN")), Upper(Text(*reltab, "TABDESTINO")), Number(*reltab, "IDREL"),
                      Number(*reltab, "IDDIRECTA")};
    const auto path = paths.find(key);
    if (path == paths.end() || present.contains(key)) {
      DeleteRow(*reltab);
      return;
    }
    present.insert(key);
    if (Text(*reltab, "PRODUCTOS") == path->second || !LockRow(*reltab)) return;
    Put(*reltab, "PRODUCTOS", Value::String(path->second));
    EndRow(*reltab);
  });
  for (const auto& [key, products] : paths) {
    if (present.contains(key)) continue;
    if (!AppendRow(*reltab)) break;
    Put(*reltab, "TABORIGEN", Value::String(std::get<0>(key)));
    Put(*reltab, "TABDESTINO", Value::String(std::get<1>(key)));
    Put(*reltab, "IDREL", Value::Integer(std::get<2>(key)));
    Put(*reltab, "IDDIRECTA", Value::Integer(std::get<3>(key)));
    Put(*reltab, "PRODUCTOS", Value::String(products));
    EndRow(*reltab);
  }
  reltab->Commit();
}

bool ModificaRelacion(const DictAliases& dict, std::string_view origin, std::string_view expression,
                      std::string_view destination, std::string_view tag, std::string_view description, bool direct,
                      std::string_view products) {
  WorkArea* relacion = AreaOf(dict.relacion);
  if (relacion == nullptr || relacion->eof() || !LockRow(*relacion)) return false;
  Put(*relacion, "TABORIGEN", Value::String(Upper(origin)));
  Put(*relacion, "EXPBUSCAR", Value::String(xb::AllTrim(expression)));
  Put(*relacion, "TABDESTINO", Value::String(Upper(destination)));
  Put(*relacion, "INDDESTINO", Value::String(xb::AllTrim(tag)));
  Put(*relacion, "DESCRIPC", Value::String(xb::AllTrim(description)));
  Put(*relacion, "DIRECTA", Value::Logical(direct));
  Put(*relacion, "PRODUCTOS", Value::String(xb::AllTrim(products)));
  EndRow(*relacion);
  SyncRelTab(dict);
  return true;
}

void DelRelacion(const DictAliases& dict) {
  WorkArea* relacion = AreaOf(dict.relacion);
  if (relacion == nullptr || relacion->eof()) return;
  DeleteRow(*relacion);
  relacion->Commit();
  SyncRelTab(dict);
}

bool IsRelated(const DictAliases& dict, std::string_view master, std::string_view table) {
  const std::string wanted = Upper(table);
  return Reached(AreaOf(dict.relacion), master).contains(wanted) || Reached(AreaOf(dict.reltab), master).contains(wanted);
}

void SaveEntorno(std::string_view alias, std::string_view entorno, std::string_view description,
                 const std::vector<std::string>& tables) {
  WorkArea* area = AreaOf(alias);
  if (area == nullptr) return;
  const std::string code = Upper(entorno);
  EachRow(*area, [&] {
    if (Upper(Text(*area, "ENTORNO")) == code) DeleteRow(*area);
  });
  for (std::size_t i = 0; i < tables.size(); ++i) {
    if (!AppendRow(*area)) return;
    Put(*area, "ENTORNO", Value::String(code));
    Put(*area, "DESCRIPC", Value::String(xb::AllTrim(description)));
    Put(*area, "TABLA", Value::String(Upper(tables[i])));
    Put(*area, "ORDEN", Value::Integer(static_cast<std::int64_t>(i + 1)));
    Put(*area, "INICIAL", Value::String(i == 0 ? "S" : ""));
    EndRow(*area);
  }
}

int LenCampo(std::string_view type, int width, int decimals, std::string_view description, int max_width) {
  (void)decimals;
  const std::string t = Upper(type);
  int len = t == "D" || t == "F" ? 8 : t == "L" ? 1 : width;
  if (max_width > 0) len = std::min(len, max_width);
  return std::max<int>(len, static_cast<int>(xb::AllTrim(description).size()));
}

int FontRow(std::string_view alias, std::string_view face, double width, double height, bool bold, bool italic,
            std::int64_t color) {
  WorkArea* area = AreaOf(alias);
  if (area == nullptr) return 0;
  std::int64_t last = 0;
  std::int64_t equal = 0;
  EachRow(*area, [&] {
    const std::int64_t n = Number(*area, "NFONT");
    last = std::max(last, n);
    if (equal == 0 && Upper(Text(*area, "CFACENAME")) == Upper(face) &&
        std::abs(area->GetField(area->FieldPos("NWIDTH")).AsDouble() - width) < 0.005 &&
        std::abs(area->GetField(area->FieldPos("NHEIGHT")).AsDouble() - height) < 0.005 &&
        area->GetField(area->FieldPos("LBOLD")).AsLogical() == bold &&
        area->GetField(area->FieldPos("LITALIC")).AsLogical() == italic && Number(*area, "NCOLOR") == color) {
      equal = n;
    }
  });
  if (equal != 0) return static_cast<int>(equal);
  if (!AppendRow(*area)) return 0;
  Put(*area, "NFONT", Value::Integer(last + 1));
  Put(*area, "CFACENAME", Value::String(xb::AllTrim(face)));
  Put(*area, "LBOLD", Value::Logical(bold));
  Put(*area, "LITALIC", Value::Logical(italic));
  Put(*area, "NWIDTH", Value::Double(width, 2));
  Put(*area, "NHEIGHT", Value::Double(height, 2));
  Put(*area, "NCOLOR", Value::Integer(color));
  EndRow(*area);
  return static_cast<int>(last + 1);
}

std::string FontLabel(std::string_view face, double points, bool bold, bool italic) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f", points);
  std::string size = buffer;
  while (size.back() == '0') size.pop_back();
  if (size.back() == '.') size.pop_back();
  std::string label = std::string(xb::AllTrim(face)) + ", " + size;
  if (bold) label += " Negrita";
  if (italic) label += " Cursiva";
  return label;
}

int nPosFont(const xb::Array& fonts, std::int64_t font) {
  for (std::size_t i = 0; fonts && i < fonts.size(); ++i) {
    const Value& v = fonts[i].Deref();
    if (v.IsNumber() && v.AsInt() == font) return static_cast<int>(i + 1);
  }
  return 0;
}

bool lValidCategoria(std::string_view alias, std::string_view category) {
  if (xb::AllTrim(category).empty()) return true;
  WorkArea* area = AreaOf(alias);
  if (area == nullptr) return false;
  bool found = false;
  EachRow(*area, [&] { found = found || Upper(Text(*area, "CATEGORIA")) == Upper(category); });
  return found;
}

void RegisterDictionaryRows() {
  using xb::Args;
  // TI_EXISTERELACION(cAlias, cOrigen, cDestino, cTag, cExpBuscar)
  xb::RegisterFunction("TI_EXISTERELACION", [](Args& a) {
    return Value::Logical(ExisteRelacion(a.Str(1), a.Str(2), a.Str(3), a.Str(4), a.Str(5)));
  });
  // TI_LCHECKRELACION(cAliasIndices, cDestino, cTag, cExpBuscar)
  xb::RegisterFunction("TI_LCHECKRELACION", [](Args& a) {
    return Value::Logical(lCheckRelacion(a.Str(1), a.Str(2), a.Str(3), a.Str(4)));
  });
  // TI_GUARDARELACION(cAliasRel, cAliasRelTab, cOrigen, cExpBuscar, cDestino, cTag, cDescrip, lDirecta, cProductos)
  xb::RegisterFunction("TI_GUARDARELACION", [](Args& a) {
    DictAliases dict;
    dict.relacion = std::string(a.Str(1, "Relacion"));
    dict.reltab = std::string(a.Str(2, "RelTab"));
    return Value::Integer(
        GuardaRelacion(dict, a.Str(3), a.Str(4), a.Str(5), a.Str(6), a.Str(7), a.Log(8), a.Str(9)));
  });
  // TI_SAVEENTORNO(cAlias, cEntorno, cDescrip, aTablas)
  xb::RegisterFunction("TI_SAVEENTORNO", [](Args& a) {
    std::vector<std::string> tables;
    const xb::Array list = a.Arr(4);
    for (std::size_t i = 0; list && i < list.size(); ++i) {
      if (list[i].Deref().IsString() && !xb::AllTrim(list[i].Deref().AsString()).empty()) {
        tables.emplace_back(list[i].Deref().AsString());
      }
    }
    SaveEntorno(a.Str(1), a.Str(2), a.Str(3), tables);
    return Value::Logical(true);
  });
  // TI_SAVETABLE / TI_LSAVECAMPO / TI_LSAVEINDICE(cAlias, lNew, aValues): values in field order.
  xb::RegisterFunction("TI_SAVETABLE", [](Args& a) {
    return Value::Logical(SaveRow(a.Str(1), a.Log(2), a.Arr(3), "Tabla", "TABLA"));
  });
  xb::RegisterFunction("TI_LSAVECAMPO", [](Args& a) {
    return Value::Logical(SaveRow(a.Str(1), a.Log(2), a.Arr(3), "TCampo", "TABLA+CAMPO"));
  });
  xb::RegisterFunction("TI_LSAVEINDICE", [](Args& a) {
    return Value::Logical(SaveRow(a.Str(1), a.Log(2), a.Arr(3), "TabTag", "TABLA+TAG"));
  });
  // TI_LCHGFIELDS(cAlias, aValues): whether the values differ from the current row's.
  xb::RegisterFunction("TI_LCHGFIELDS", [](Args& a) {
    WorkArea* area = AreaOf(a.Str(1));
    const xb::Array values = a.Arr(2);
    if (area == nullptr || !values) return Value::Logical(false);
    for (int f = 1; f <= area->FieldCount() && static_cast<std::size_t>(f) <= values.size(); ++f) {
      const Value& v = values[static_cast<std::size_t>(f - 1)].Deref();
      if (v.IsNil()) continue;
      const Value now = area->GetField(f);
      const bool same = v.IsString() && now.IsString() ? xb::RTrim(v.AsString()) == xb::RTrim(now.AsString())
                        : v.IsNumber() && now.IsNumber() ? v.AsDouble() == now.AsDouble()
                        : v.IsLogical() && now.IsLogical() ? v.AsLogical() == now.AsLogical()
                                                           : false;
      if (!same) return Value::Logical(true);
    }
    return Value::Logical(false);
  });
  // TI_LNOEXISTE(cAlias, xOrder, cKey): true when the key is not there (the caller tells).
  xb::RegisterFunction("TI_LNOEXISTE", [](Args& a) {
    WorkArea* area = AreaOf(a.Str(1));
    if (area == nullptr) return Value::Logical(true);
    SelectedArea keep;
    WorkAreas::Get().SelectArea(area->number());
    const int order = area->controlling_order();
    const std::uint32_t recno = area->recno();
    xb::CallFunction("ORDSETFOCUS", {a.Arg(2)});
    const bool found = xb::CallFunction("DBSEEK", {Value::String(xb::Upper(xb::CurrentCodePage(), a.Str(3)))}).AsLogical();
    area->SetControllingOrder(order);
    area->GoTo(recno);
    return Value::Logical(!found);
  });
  // TI_LNOINDICE(cAliasIndices, cTabla, cTag): true when the table has no such tag.
  xb::RegisterFunction("TI_LNOINDICE", [](Args& a) {
    return Value::Logical(!lCheckRelacion(a.Str(1), a.Str(2), a.Str(3), ".T."));
  });
  // TI_EXPRADD(cExpr, cText): the text appended to the expression.
  xb::RegisterFunction("TI_EXPRADD", [](Args& a) {
    return Value::String(std::string(xb::RTrim(a.Str(1))) + std::string(a.Str(2)));
  });
  // TI_LCAMBIA(cTipo, @nLen, @nDec, oGetLen, oGetDec): the width and decimals a type allows.
  xb::RegisterFunction("TI_LCAMBIA", [](Args& a) {
    const std::string type(xb::AllTrim(a.Str(1)));
    const bool width = type == "Carácter" || type == "Número";
    const bool decimals = type == "Número";
    const auto enable = [](const Value& get, bool on) {
      if (get.IsObject() && xb::HasMessage(get, xb::Intern(on ? "ENABLE" : "DISABLE"))) {
        xb::Send(get, on ? "ENABLE" : "DISABLE");
      }
    };
    if (type == "Fecha" && a.IsByRef(2)) a.SetRef(2, Value::Integer(8));
    if (type == "Lógico" && a.IsByRef(2)) a.SetRef(2, Value::Integer(1));
    if (!decimals && a.IsByRef(3)) a.SetRef(3, Value::Integer(0));
    enable(a.Arg(4), width);
    enable(a.Arg(5), decimals);
    return Value::Logical(true);
  });
  // TI_FILLARRAY(cAlias, cField): the field's values of every row.
  xb::RegisterFunction("TI_FILLARRAY", [](Args& a) {
    xb::Array out = xb::Array::New();
    WorkArea* area = AreaOf(a.Str(1));
    if (area == nullptr || area->FieldPos(a.Str(2)) == 0) return Value(out);
    const int pos = area->FieldPos(a.Str(2));
    EachRow(*area, [&] { out.Append(area->GetField(pos)); });
    return Value(out);
  });
  // TI_ADATOSCABH(cAliasCabeD, cCod): the header's items, each its fields in order.
  xb::RegisterFunction("TI_ADATOSCABH", [](Args& a) {
    xb::Array out = xb::Array::New();
    WorkArea* area = AreaOf(a.Str(1));
    if (area == nullptr) return Value(out);
    const std::string code = Upper(a.Str(2));
    EachRow(*area, [&] {
      if (Upper(Text(*area, "COD")) != code) return;
      xb::Array row = xb::Array::New();
      for (int f = 1; f <= area->FieldCount(); ++f) row.Append(area->GetField(f));
      out.Append(Value(row));
    });
    return Value(out);
  });
  // TI_UEMPTYCOMBOS(aCombos): every combo back to "Ninguno".
  xb::RegisterFunction("TI_UEMPTYCOMBOS", [](Args& a) {
    const xb::Array combos = a.Arr(1);
    for (std::size_t i = 0; combos && i < combos.size(); ++i) {
      const Value& combo = combos[i].Deref();
      if (combo.IsObject() && xb::HasMessage(combo, xb::Intern("SET"))) xb::Send(combo, "SET", {Value::String("Ninguno")});
    }
    return Value();
  });
  xb::RegisterFunction("TI_NPOSFONT", [](Args& a) { return Value::Integer(nPosFont(a.Arr(1), a.Int(2))); });
  // LVALIDCATEGORIA(cAlias, cCategoria)
  xb::RegisterFunction("LVALIDCATEGORIA", [](Args& a) { return Value::Logical(lValidCategoria(a.Str(1), a.Str(2))); });
  // TI_LENCAMPO(cTipo, nLen, nDec, cDescrip, nAnchoMax)
  xb::RegisterFunction("TI_LENCAMPO", [](Args& a) {
    return Value::Integer(LenCampo(a.Str(1), static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)), a.Str(4),
                                   static_cast<int>(a.Int(5))));
  });
}

}  // namespace reports
