#include "reports/report_definitions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <regex>

#include "data/currency.h"
#include "data/display_masks.h"
#include "data/data_ui.h"
#include "data/table_access.h"
#include "data/table_views.h"
#include "reports/access_rules.h"
#include "reports/table_search.h"
#include "reports/tdictqz.h"
#include "runtime/array.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/file_system.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }

WorkArea* AreaOf(std::string_view alias) {
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

std::size_t FieldWidth(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  const xb::rdd::dbf::Field* f = pos == 0 ? nullptr : a.FieldAt(pos);
  return f == nullptr ? std::string::npos : f->length;
}

void Put(WorkArea& a, std::string_view name, const Value& v) {
  const int pos = a.FieldPos(name);
  if (pos > 0) a.PutField(pos, v);
}

// Whether a row of one of the six tables belongs to the report (Informes and Columnas and
// CnfColum by code; the others by code and document "I").
bool OfReport(WorkArea& a, std::string_view table, const std::string& code) {
  if (Upper(Text(a, "INFORME")) != code) return false;
  if (table == "Condicio" || table == "Recol" || table == "Inicial") return Text(a, "INFDOC") == "I";
  return true;
}

// The records of the report in one table, in natural order (deleted ones left out).
std::vector<std::uint32_t> RowsOf(WorkArea& a, std::string_view table, const std::string& code) {
  std::vector<std::uint32_t> rows;
  const int order = a.controlling_order();
  const std::uint32_t at = a.recno();
  a.SetControllingOrder(0);
  for (a.GoTop(); !a.eof(); a.Skip(1))
    if (!a.Deleted() && OfReport(a, table, code)) rows.push_back(a.recno());
  a.SetControllingOrder(order);
  if (at > 0) a.GoTo(at);
  return rows;
}

std::vector<Value> Record(WorkArea& a) {
  std::vector<Value> values;
  for (int i = 1; i <= a.FieldCount(); ++i) values.push_back(a.GetField(i));
  return values;
}

// Appends a row with the values of fields of the same name.
bool AppendLike(WorkArea& target, WorkArea& source, const std::vector<Value>& values,
                const std::function<void(WorkArea&)>& change) {
  if (!target.Append()) return false;
  for (int i = 1; i <= source.FieldCount(); ++i) {
    const xb::rdd::dbf::Field* f = source.FieldAt(i);
    if (f == nullptr) continue;
    const int pos = target.FieldPos(f->name);
    if (pos > 0) target.PutField(pos, values[static_cast<std::size_t>(i - 1)]);
  }
  if (change) change(target);
  target.Commit();
  target.Unlock(target.recno());
  return true;
}

bool FullAccess(std::string_view code, const char* refusal) {
  const std::string alias = TDictQZ::AliasOf("Informes");
  if (cAccesoInforme(alias, code, false, true, {}) == "2") return true;
  data::Ui().MsgStop(refusal, " Acceso denegado");
  return false;
}

// The report's rows of the six working tables deleted: every one is locked first, and
// nothing goes unless all are held.
bool DeleteRows(const std::string& code) {
  struct Held {
    WorkArea* area;
    std::uint32_t record;
  };
  std::vector<Held> held;
  bool all = true;
  for (const std::string& table : DefinitionTables()) {
    WorkArea* a = AreaOf(TDictQZ::AliasOf(table));
    if (a == nullptr) continue;
    for (std::uint32_t record : RowsOf(*a, table, code)) {
      if (!a->LockRecord(record, true)) {
        all = false;
        break;
      }
      held.push_back({a, record});
    }
    if (!all) break;
  }
  if (!all) {
    for (const Held& h : held) h.area->Unlock(h.record);
    return false;
  }
  for (const Held& h : held) {
    h.area->GoTo(h.record);
    h.area->Delete();
  }
  for (const Held& h : held) {
    h.area->Commit();
    h.area->Unlock(h.record);
  }
  return true;
}

// The run-parameter store, one xBase array: what compiled text writes into the array
// TI_ASTATIC answers stays in the store.
xb::Array& StaticStore() {
  static xb::Array store = xb::Array::New();
  return store;
}

}  // namespace

const std::vector<std::string>& DefinitionTables() {
  static const std::vector<std::string> tables = {"Informes", "Condicio", "Columnas", "Recol", "CnfColum", "Inicial"};
  return tables;
}

bool DelInforme(std::string_view code_in) {
  const std::string code = Upper(code_in);
  if (!FullAccess(code, "No dispone de acceso para eliminar este informe.")) return false;
  if (!DeleteRows(code)) {
    data::Ui().MsgStop("El informe está siendo utilizado por otro usuario. No se ha eliminado nada.", "Atención");
    return false;
  }
  return true;
}

bool DuplicateInforme(std::string_view from_in, std::string_view to_in, std::string_view category) {
  const std::string from = Upper(from_in);
  if (!FullAccess(from, "No dispone de acceso para duplicar este informe.")) return false;
  WorkArea* informes = AreaOf(TDictQZ::AliasOf("Informes"));
  if (informes == nullptr) return false;
  // The code as it will be stored: a longer one is cut to the field, and checked so.
  const std::string to = Upper(std::string(to_in).substr(0, FieldWidth(*informes, "INFORME")));
  if (!RowsOf(*informes, "Informes", to).empty() || to.empty()) {
    data::Ui().MsgStop("Nombre de informe duplicado", "Atención");
    return false;
  }
  if (RowsOf(*informes, "Informes", from).empty()) {
    data::Ui().MsgStop("Informe no existe", "Atención");
    return false;
  }
  for (const std::string& table : DefinitionTables()) {
    WorkArea* a = AreaOf(TDictQZ::AliasOf(table));
    if (a == nullptr) continue;
    for (std::uint32_t record : RowsOf(*a, table, from)) {
      a->GoTo(record);
      const std::vector<Value> values = Record(*a);
      const bool own_master = Upper(Text(*a, "INFMASTER")) == from;
      AppendLike(*a, *a, values, [&](WorkArea& t) {
        Put(t, "INFORME", Value::String(to));
        if (table == "Informes") {
          Put(t, "CATEGORIA", Value::String(category));
          if (own_master) Put(t, "INFMASTER", Value::String(to));
        }
      });
    }
  }
  return true;
}

std::vector<std::string> RestauraInf() {
  data::DataUi& ui = data::Ui();
  const Value user = xb::CallFunction("CCODUSER");
  if (!user.IsString() || std::string(xb::AllTrim(user.AsString())) != "00") {
    ui.MsgStop("Esta opción es de uso exclusivo del usuario Supervisor.", " Atención");
    return {};
  }
  // The working tables free: nobody else holds Informes.
  {
    data::QuietTableFailures quiet;
    const std::string path = TDictQZ::cPath() + "Informes.dbf";
    const Value opened = xb::CallFunction("DBUSEAREA", {Value::Logical(true), Value(), Value::String(path),
                                                        Value::String("INFLIBRE"), Value::Logical(false)});
    const bool free = opened.IsLogical() && opened.AsLogical() && AreaOf("INFLIBRE") != nullptr;
    if (WorkArea* a = AreaOf("INFLIBRE")) a->Close();
    if (!free) {
      ui.MsgStop("Es necesario tener acceso exclusivo al fichero de informes.", "Atención");
      return {};
    }
  }
  std::vector<std::string> aliases;
  for (int n = 1; n <= 8; ++n) {
    const std::string alias = "DINFO" + std::to_string(n);
    data::QuietTableFailures quiet;
    const Value opened = xb::CallFunction("DBUSEAREA", {Value::Logical(true), Value(),
                                                        Value::String(TDictQZ::cPath() + "DInfo" + std::to_string(n) + ".dbf"),
                                                        Value::String(alias), Value::Logical(false)});
    if (!opened.IsLogical() || !opened.AsLogical() || AreaOf(alias) == nullptr) {
      CloseDelivered(aliases);
      ui.MsgStop("Imposible abrir ficheros para la restauración.", "Atención");
      return {};
    }
    aliases.push_back(alias);
  }
  return aliases;
}

void CloseDelivered(const std::vector<std::string>& aliases) {
  for (const std::string& alias : aliases)
    if (WorkArea* a = AreaOf(alias)) a->Close();
}

bool RecuperaInf(const std::vector<std::string>& delivered, std::string_view code_in) {
  const std::string code = Upper(code_in);
  if (delivered.size() < DefinitionTables().size()) return false;
  if (!FullAccess(code, "No dispone de acceso para recuperar este informe.")) return false;
  data::DataUi& ui = data::Ui();
  ui.MsgInfo("Este proceso devolverá el informe seleccionado al estado inicial. Si Vd. modificó este informe, "
             "perderá todos los cambios realizados. Opere con extrema precaución.",
             "Atención");
  const Value yes = xb::CallFunction("MSGYESNO", {Value::String(" ¿ Desea restaurar el informe ?"),
                                                  Value::String("Atención, confirme")});
  if (!yes.IsLogical() || !yes.AsLogical()) return false;
  // The working rows go only when every one is held, so a report is never left half restored.
  if (!DeleteRows(code)) {
    ui.MsgStop("El informe está siendo utilizado por otro usuario. No se ha restaurado nada.", "Atención");
    return false;
  }
  for (std::size_t i = 0; i < DefinitionTables().size(); ++i) {
    const std::string& table = DefinitionTables()[i];
    WorkArea* work = AreaOf(TDictQZ::AliasOf(table));
    WorkArea* from = AreaOf(delivered[i]);
    if (work == nullptr || from == nullptr) continue;
    for (std::uint32_t record : RowsOf(*from, table, code)) {
      from->GoTo(record);
      AppendLike(*work, *from, Record(*from), {});
    }
  }
  ui.MsgInfo("Informe restaurado.", " Información");
  return true;
}

bool ActDbf(std::string_view target_alias, std::string_view copy_alias, std::string_view informe,
            std::string_view infdoc, std::string_view type) {
  WorkArea* target = AreaOf(target_alias);
  WorkArea* copy = AreaOf(copy_alias);
  if (target == nullptr || copy == nullptr) return false;
  const std::string code = Upper(informe);
  auto mine = [&](WorkArea& a) {
    return Upper(Text(a, "INFORME")) == code && Text(a, "INFDOC") == std::string(infdoc) &&
           (type.empty() || Text(a, "TIPO") == std::string(type));
  };
  std::vector<std::uint32_t> old;
  target->SetControllingOrder(0);
  for (target->GoTop(); !target->eof(); target->Skip(1))
    if (!target->Deleted() && mine(*target)) old.push_back(target->recno());
  for (std::uint32_t record : old) {
    if (!target->LockRecord(record, true)) return false;
  }
  for (std::uint32_t record : old) {
    target->GoTo(record);
    target->Delete();
    target->Commit();
    target->Unlock(record);
  }
  std::vector<std::uint32_t> rows;
  const int order = copy->controlling_order();
  for (copy->GoTop(); !copy->eof(); copy->Skip(1))
    if (!copy->Deleted() && mine(*copy)) rows.push_back(copy->recno());
  copy->SetControllingOrder(order);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    copy->GoTo(rows[i]);
    const bool last = i + 1 == rows.size();
    AppendLike(*target, *copy, Record(*copy), [&](WorkArea& t) {
      if (type.empty()) return;
      const int pos = t.FieldPos("ENLACE");
      if (pos == 0) return;
      const Value link = t.GetField(pos);
      const double n = link.IsNumber() ? link.AsDouble() : 0;
      if (last) t.PutField(pos, Value::Integer(1));
      else if (n < 2) t.PutField(pos, Value::Integer(2));
    });
  }
  return true;
}

std::string TipoCol(int kind) {
  switch (kind) {
    case 1: case 7: return "Campo de la tabla maestra.";
    case 2: case 8: return "Dato de una tabla auxiliar.";
    case 3: case 6: return "Expresión de la tabla maestra.";
    case 4: return "Columna calculada.";
    case 5: return "Columna acumulada.";
    case 9: return "Columna de expresión de grupo.";
    default: return "";
  }
}

std::string ExpToN(std::string_view formula, const std::vector<std::string>& fields,
                   const std::vector<std::string>& types, const std::vector<std::string>& masks) {
  static const std::regex column("\\b[Cc][Oo][Ll][Uu][Mm][0-9]+\\b");
  std::string out;
  std::string rest(formula);
  std::smatch m;
  while (std::regex_search(rest, m, column)) {
    out += m.prefix();
    std::string name = m.str();
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (Upper(fields[i]) != Upper(name)) continue;
      if (i < types.size() && types[i] == "C") {
        const std::string mask = i < masks.size() ? masks[i] : std::string();
        name = mask.empty() ? "Val( _US( " + fields[i] + " ) )"
                            : "Val( _US( Transform( " + fields[i] + ", \"" + mask + "\" ) ) )";
      } else {
        name = fields[i];
      }
    }
    out += name;
    rest = m.suffix();
  }
  return out + rest;
}

double nEuros(double value, bool euros, std::string_view currency) {
  if (!euros || xb::AllTrim(currency) != "P") return value;
  return std::round(value / data::kPesetasPerEuro * 100.0) / 100.0;
}

std::string cMascaraNumeros(int width, int decimals) {
  const int integers = std::max(1, decimals > 0 ? width - decimals - 1 : width);
  std::string mask = "@E " + std::string(static_cast<std::size_t>(integers), '9');
  if (decimals > 0) mask += "." + std::string(static_cast<std::size_t>(decimals), '9');
  return mask;
}

std::string CalMascara(std::string_view formula, std::string_view mask, const std::vector<std::string>& fields,
                       const std::vector<std::string>& currencies) {
  for (std::size_t i = 0; i < fields.size() && i < currencies.size(); ++i) {
    const std::regex word("\\b" + fields[i] + "\\b", std::regex::icase);
    if (xb::AllTrim(currencies[i]) == "P" && std::regex_search(std::string(formula), word))
      return data::cMasEuro(mask, true);
  }
  return std::string(mask);
}

std::vector<std::string> aResulta(std::string_view table, std::string_view field, bool stored) {
  std::vector<std::string> out;
  WorkArea* a = AreaOf(TDictQZ::AliasOf("CampoRes"));
  if (a == nullptr) return out;
  const int order = a->controlling_order();
  a->SetControllingOrder(0);
  for (a->GoTop(); !a->eof(); a->Skip(1)) {
    if (a->Deleted() || Upper(Text(*a, "TABLA")) != Upper(table) || Upper(Text(*a, "CAMPO")) != Upper(field)) continue;
    out.push_back(Text(*a, stored ? "VALOR" : "RESULTA"));
  }
  a->SetControllingOrder(order);
  return out;
}

std::vector<std::string> TablasExp(std::string_view code) {
  std::vector<std::string> tables;
  WorkArea* exp = AreaOf(TDictQZ::AliasOf("Expresio"));
  WorkArea* env = AreaOf(TDictQZ::AliasOf("Entorno"));
  if (exp == nullptr) return tables;
  std::string entorno, own;
  exp->SetControllingOrder(0);
  for (exp->GoTop(); !exp->eof(); exp->Skip(1)) {
    if (!exp->Deleted() && Upper(Text(*exp, "CODIGO")) == Upper(code)) {
      entorno = Upper(Text(*exp, "ENTORNO"));
      own = Text(*exp, "TABLA");
      break;
    }
  }
  if (!entorno.empty() && env != nullptr) {
    std::vector<std::pair<int, std::string>> rows;
    env->SetControllingOrder(0);
    for (env->GoTop(); !env->eof(); env->Skip(1)) {
      if (!env->Deleted() && Upper(Text(*env, "ENTORNO")) == entorno) {
        const Value n = env->GetField(env->FieldPos("ORDEN"));
        rows.emplace_back(n.IsNumber() ? static_cast<int>(n.AsDouble()) : 0, Text(*env, "TABLA"));
      }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [n, t] : rows) tables.push_back(t);
  }
  if (tables.empty() && !own.empty()) tables.push_back(own);
  return tables;
}

std::vector<std::string> InformesOf(std::string_view master) {
  std::vector<std::string> out;
  ChoiceQuery q{.code_field = "INFORME", .alias = TDictQZ::AliasOf("Informes"), .order = {},
                .filter_field = "INFMASTER", .filter_value = Value::String(Upper(master))};
  for (const ChoiceRow& row : ChoiceRows(q))
    if (row.code.IsString()) out.emplace_back(xb::AllTrim(row.code.AsString()));
  return out;
}

void RelInformes(std::string_view master_in, const std::vector<std::string>& following) {
  const std::string master = Upper(master_in);
  WorkArea* a = AreaOf(TDictQZ::AliasOf("Informes"));
  if (a == nullptr) return;
  const int order = a->controlling_order();
  a->SetControllingOrder(0);
  for (a->GoTop(); !a->eof(); a->Skip(1)) {
    if (a->Deleted()) continue;
    const std::string code = Upper(Text(*a, "INFORME"));
    if (code == master) continue;
    const bool follows = std::any_of(following.begin(), following.end(), [&](const std::string& f) { return Upper(f) == code; });
    const bool did = Upper(Text(*a, "INFMASTER")) == master;
    if (!follows && !did) continue;
    if (!a->LockRecord(a->recno(), true)) continue;
    Put(*a, "INFMASTER", Value::String(follows ? master : code));
    a->Commit();
    a->Unlock(a->recno());
  }
  a->SetControllingOrder(order);
}

bool lFichero(const std::string& file) {
  const std::string name(xb::AllTrim(file));
  std::FILE* f = name.empty() ? nullptr : std::fopen(name.c_str(), "ab");
  if (f != nullptr) {
    std::fclose(f);
    return true;
  }
  data::Ui().MsgStop("El fichero indicado no puede crearse.", " Atención");
  return false;
}

std::vector<Value>& aStatic() { return StaticStore().Items(); }

void RegisterReportDefinitions() {
  auto strings = [](const std::vector<std::string>& list) {
    xb::Array a = xb::Array::New();
    for (const std::string& s : list) a.Append(Value::String(s));
    return Value(a);
  };
  auto text_list = [](const Value& v) {
    std::vector<std::string> out;
    if (v.IsArray())
      for (const Value& item : v.AsArray()) out.push_back(item.IsString() ? std::string(item.AsString()) : std::string());
    return out;
  };
  xb::RegisterFunction("TI_ACTDBF", [](xb::Args& a) {
    return Value::Logical(ActDbf(a.Str(1), a.Str(2), a.Str(3), a.Str(4), a.Arg(5).IsString() ? a.Str(5) : ""));
  });
  xb::RegisterFunction("TI_TIPOCOL", [](xb::Args& a) { return Value::String(TipoCol(static_cast<int>(a.Int(1)))); });
  xb::RegisterFunction("TI_EXPTON", [text_list](xb::Args& a) {
    return Value::String(ExpToN(a.Str(1), text_list(a.Arg(2)), text_list(a.Arg(3)), text_list(a.Arg(4))));
  });
  xb::RegisterFunction("TI_NEUROS", [](xb::Args& a) {
    const Value v = a.Arg(1);
    if (!v.IsNumber()) return v;
    return Value::Number(nEuros(v.AsDouble(), a.Log(2), a.Arg(3).IsString() ? a.Str(3) : ""));
  });
  xb::RegisterFunction("CMASCARANUMEROS", [](xb::Args& a) {
    return Value::String(cMascaraNumeros(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2))));
  });
  xb::RegisterFunction("TI_CALMASCARA", [text_list](xb::Args& a) {
    std::vector<std::string> currencies;
    if (a.Arg(4).IsArray()) {
      for (const Value& info : a.Arg(4).AsArray()) {
        const Value c = info.IsArray() && info.AsArray().size() > 0 ? info.AsArray()[0] : Value();
        currencies.push_back(c.IsString() ? std::string(c.AsString()) : std::string());
      }
    }
    return Value::String(CalMascara(a.Str(1), a.Str(2), text_list(a.Arg(3)), currencies));
  });
  xb::RegisterFunction("ARESULTA", [strings](xb::Args& a) { return strings(aResulta(a.Str(1), a.Str(2), a.Log(3))); });
  xb::RegisterFunction("TI_TABLASEXP", [strings](xb::Args& a) { return strings(TablasExp(a.Str(1))); });
  xb::RegisterFunction("TI_UFINDINFORME", [](xb::Args& a) {
    const std::vector<std::string> found = InformesOf(a.Str(2));
    if (found.empty()) return Value();
    if (found.size() == 1) return Value::String(found.front());
    ChoiceQuery q{.code_field = "INFORME", .alias = std::string(a.Str(1)), .order = {}, .filter_field = "INFMASTER",
                  .filter_value = Value::String(Upper(a.Str(2)))};
    return uDblFinBin(q, "informe");
  });
  xb::RegisterFunction("TI_RELINFORMES", [text_list](xb::Args& a) {
    RelInformes(a.Str(1), text_list(a.Arg(2)));
    return Value();
  });
  xb::RegisterFunction("TI_RECUPERAINF", [](xb::Args& a) {
    const std::vector<std::string> delivered = RestauraInf();
    if (delivered.empty()) return Value::Logical(false);
    const bool done = RecuperaInf(delivered, a.Str(1));
    CloseDelivered(delivered);
    return Value::Logical(done);
  });
  xb::RegisterFunction("LFICHERO", [](xb::Args& a) { return Value::Logical(lFichero(std::string(a.Str(1)))); });
  xb::RegisterFunction("TI_ASTATIC", [](xb::Args& a) {
    std::vector<Value>& store = aStatic();
    // The given values are copied in, so the store stays the array earlier answers handed out.
    if (a.Arg(1).IsArray()) store = std::vector<Value>(a.Arg(1).AsArray().begin(), a.Arg(1).AsArray().end());
    if (a.Arg(2).IsNumber()) store.resize(static_cast<std::size_t>(std::max<std::int64_t>(0, a.Int(2))));
    if (a.Log(3)) std::fill(store.begin(), store.end(), Value());
    return Value(StaticStore());
  });
}

}  // namespace reports
