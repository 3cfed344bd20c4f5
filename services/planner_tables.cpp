#include "services/planner_tables.h"

#include <cstdlib>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/table_helpers.h"
#include "ui/bridge/cursors.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

xb::rdd::WorkAreas& Areas() { return xb::rdd::WorkAreas::Get(); }

struct AgendaTable {
  const char* name;
  std::vector<TagDef> tags;
};

const std::vector<AgendaTable>& AgendaTables() {
  static const std::vector<AgendaTable> tables = {
      {"Agenda", {{"Agenda", "Upper( cApellidos )"}, {"AgeCla", "cClave"}, {"AgePos", "cCodPostal "}}},
      {"FmtAge1", {{"FmtAge1", "nCodFmt"}}},
      // The second format table's tag bears the third table's name, in its own file.
      {"FmtAge2", {{"FmtAge3", "nCodFmt"}}},
      {"FmtAge3", {{"FmtAge3", "nCodFmt"}}},
  };
  return tables;
}

const std::vector<TagDef> kPlannerTags = {{"PlanWTit", "Upper( cTitulo )"}, {"PlanWAni", "cAnio"}};
const std::vector<TagDef> kConceptTags = {{"PlanWCon", "cClave"}};

std::vector<FieldDef> PlannerFields() {
  std::vector<FieldDef> fields = {{"cTitulo", 'C', 35}, {"cAnio", 'C', 4}};
  for (int m = 1; m <= 12; ++m) fields.push_back({"Mes" + std::to_string(m), 'C', planner::kDaysPerRow});
  return fields;
}

const std::vector<FieldDef> kConceptFields = {{"cConcep", 'C', 20}, {"nColor", 'N', 12}, {"cClave", 'C', 1}};

// The table taken exclusively without its index files, so that they can be replaced.
bool OpenExclusive(const std::string& table, const std::string& alias) {
  data::NetUseOptions options;
  options.exclusive = true;
  options.alias = alias;
  options.with_index = false;
  return data::lNetUse(table, options);
}

std::string TagFile(const std::string& table, std::string_view tag) {
  const std::size_t slash = table.find_last_of("\\/");
  return IndexOf(table.substr(0, slash == std::string::npos ? 0 : slash + 1) + std::string(tag));
}

// A table whose tags each live in a file of the tag's name: created when missing, its tag
// files made anew.
bool RebuildTagFiles(const std::string& table, const std::string& alias, const std::vector<FieldDef>& fields,
                     const std::vector<TagDef>& tags, bool* created) {
  *created = false;
  if (!FileExists(DbfOf(table))) {
    if (!CreateTable(table, fields)) return false;
    *created = true;
  }
  if (!OpenExclusive(table, alias)) return false;
  for (const TagDef& tag : tags) EraseFile(TagFile(table, tag.name));
  return true;
}

std::string Trimmed(const Value& v) { return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string(); }

// The key's own UPPER, so that seeks meet the index's keys.
std::string Upper(std::string_view text) {
  return std::string(xb::CallFunction("UPPER", {Value::String(xb::AllTrim(text))}).AsString());
}

std::string YearText(int year) {
  std::string text = std::to_string(year);
  if (text.size() < 4) text.insert(0, 4 - text.size(), ' ');
  return text;
}

bool SelectAlias(const char* alias) {
  const int area = Areas().AreaOfAlias(alias);
  if (area == 0) return false;
  Areas().SelectArea(area);
  return true;
}

}  // namespace

std::string PlannWinTable() { return data::cPathStart() + "PlannWin"; }
std::string ConcPlanTable() { return data::cPathStart() + "ConcPlan"; }

void Lib_IndexData(std::string_view tag, std::string_view key, bool unique) {
  ui::CursorWait();
  const std::string text(key);
  xb::CallFunction("ORDCREATE", {Value::String(tag), Value::String(tag), Value::String(text),
                                 xb::EvalMacro("{ ||" + text + "}"), Value::Logical(unique)});
  ui::CursorArrow();
}

void NtxAgenda() {
  for (const AgendaTable& t : AgendaTables()) {
    const std::string table = data::cPathStart() + t.name;
    if (!FileExists(DbfOf(table))) continue;
    SelectedAreaScope keep;
    if (!OpenExclusive(table, t.name)) continue;
    OpenedArea area(true);
    EraseFile(IndexOf(table));
    Area().Pack();
    CreateTags(t.tags);
  }
}

bool CreaPlannWin() {
  SelectedAreaScope keep;
  bool ok = true;
  bool created = false;
  if (RebuildTagFiles(PlannWinTable(), kPlannerAlias, PlannerFields(), kPlannerTags, &created)) {
    OpenedArea area(true);
    for (const TagDef& tag : kPlannerTags) Lib_IndexData(tag.name, tag.key);
  } else {
    ok = false;
  }
  if (RebuildTagFiles(ConcPlanTable(), kConceptAlias, kConceptFields, kConceptTags, &created)) {
    OpenedArea area(true);
    if (created) {
      for (const planner::Concept& c : planner::kConcepts) {
        if (!Area().Append()) break;
        PutField("cConcep", Value::String(c.text));
        PutField("nColor", Value::Integer(c.colour));
        PutField("cClave", Value::String(std::string(1, c.key)));
      }
      Area().Commit();
    }
    for (const TagDef& tag : kConceptTags) Lib_IndexData(tag.name, tag.key);
  } else {
    ok = false;
  }
  return ok;
}

bool OpenPlannerTables() {
  ClosePlannerTables();
  SelectedAreaScope keep;
  const bool missing = !FileExists(TagFile(PlannWinTable(), "PlanWTit")) ||
                       !FileExists(TagFile(PlannWinTable(), "PlanWAni")) ||
                       !FileExists(TagFile(ConcPlanTable(), "PlanWCon"));
  if (missing && !CreaPlannWin()) return false;
  data::NetUseOptions options;
  options.alias = kPlannerAlias;
  if (!data::lNetUse(PlannWinTable(), options)) return false;
  for (const TagDef& tag : kPlannerTags) xb::CallFunction("ORDLISTADD", {Value::String(tag.name)});
  SelectOrder(1);
  Area().GoTop();
  options.alias = kConceptAlias;
  if (!data::lNetUse(ConcPlanTable(), options)) {
    ClosePlannerTables();
    return false;
  }
  xb::CallFunction("ORDLISTADD", {Value::String(kConceptTags[0].name)});
  SelectOrder(1);
  Area().GoTop();
  return true;
}

void ClosePlannerTables() {
  SelectedAreaScope keep;
  for (const char* alias : {kPlannerAlias, kConceptAlias})
    if (SelectAlias(alias)) Area().Close();
}

Planner CurrentPlanner() {
  SelectedAreaScope keep;
  Planner p;
  if (!SelectAlias(kPlannerAlias) || Area().eof()) return p;
  p.title = Trimmed(Field("cTitulo"));
  p.year = std::atoi(Trimmed(Field("cAnio")).c_str());
  for (int m = 1; m <= 12; ++m) p.months[m - 1] = FieldText("Mes" + std::to_string(m));
  p.months = planner::Normalised(p.months);
  return p;
}

bool PlannerExists(std::string_view title, int year, std::uint32_t except) {
  SelectedAreaScope keep;
  if (!SelectAlias(kPlannerAlias)) return false;
  xb::rdd::WorkArea& area = Area();
  const std::uint32_t at = area.recno();
  const std::string wanted = Upper(title);
  bool found = false;
  for (area.GoTop(); !area.eof() && !found; area.Skip(1)) {
    if (area.Deleted() || area.recno() == except) continue;
    found = Upper(FieldText("cTitulo")) == wanted && std::atoi(Trimmed(Field("cAnio")).c_str()) == year;
  }
  area.GoTo(at);
  return found;
}

bool AddPlanner(const Planner& p) {
  if (PlannerExists(p.title, p.year)) {
    data::Ui().MsgStop("Clave duplicada", "Valor no aceptado");
    return false;
  }
  SelectedAreaScope keep;
  if (!SelectAlias(kPlannerAlias) || !data::lNetRecAdd()) return false;
  PutField("cTitulo", Value::String(p.title));
  PutField("cAnio", Value::String(YearText(p.year)));
  for (int m = 1; m <= 12; ++m) PutField("Mes" + std::to_string(m), Value::String(p.months[m - 1]));
  Area().Commit();
  Area().Unlock();
  return true;
}

bool SavePlanner(const planner::Months& months) {
  SelectedAreaScope keep;
  if (!SelectAlias(kPlannerAlias) || Area().eof() || !data::lNetRecLock()) return false;
  for (int m = 1; m <= 12; ++m) PutField("Mes" + std::to_string(m), Value::String(months[m - 1]));
  Area().Commit();
  Area().Unlock(Area().recno());
  return true;
}

bool FindPlanner(std::string_view text, bool by_year) {
  SelectedAreaScope keep;
  if (!SelectAlias(kPlannerAlias)) return false;
  xb::rdd::WorkArea& area = Area();
  const std::uint32_t at = area.recno();
  SelectOrder(by_year ? "PlanWAni" : "PlanWTit");
  const bool found = Seek(Value::String(by_year ? YearText(std::atoi(std::string(text).c_str())) : Upper(text)));
  if (!found) area.GoTo(at);
  // The record found stays current under the title order.
  SelectOrder("PlanWTit");
  if (!found) data::Ui().MsgInfo("Registro no localizado", "Información");
  return found;
}

std::vector<ConceptRow> ReadConcepts() {
  SelectedAreaScope keep;
  std::vector<ConceptRow> rows;
  if (!SelectAlias(kConceptAlias)) return rows;
  xb::rdd::WorkArea& area = Area();
  const std::uint32_t at = area.recno();
  for (area.GoTop(); !area.eof(); area.Skip(1)) {
    const std::string key = FieldText("cClave");
    if (area.Deleted() || key.empty()) continue;
    rows.push_back({key[0], Trimmed(Field("cConcep")), static_cast<std::int64_t>(FieldNumber("nColor"))});
  }
  area.GoTo(at);
  return rows;
}

bool SaveConceptText(char key, std::string_view text) {
  SelectedAreaScope keep;
  if (!SelectAlias(kConceptAlias)) return false;
  if (!Seek(Value::String(std::string(1, key))) || !data::lNetRecLock()) return false;
  PutField("cConcep", Value::String(text));
  Area().Commit();
  Area().Unlock(Area().recno());
  return true;
}

void RegisterPlannerTableFunctions() {
  xb::RegisterFunction("LIB_INDEXDATA", [](Args& a) {
    Lib_IndexData(a.Str(1), a.Str(3), a.Log(4, false));
    return Value();
  });
  xb::RegisterFunction("NTXAGENDA", [](Args&) {
    NtxAgenda();
    return Value();
  });
  xb::RegisterFunction("CREAPLANNWIN", [](Args&) { return Value::Logical(CreaPlannWin()); });
}

}  // namespace svc
