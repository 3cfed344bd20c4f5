#include "reports/access_rules.h"

#include "data/data_ui.h"
#include "data/table_access.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

std::string WithoutBlanks(std::string_view text) {
  std::string s;
  for (char c : text) {
    if (c != ' ') s += c;
  }
  return s;
}

std::string Code(std::string_view user) { return std::string(xb::AllTrim(user)); }

std::string CurrentUser() {
  if (!xb::IsFunctionRegistered("CCODUSER")) return {};
  const Value code = xb::CallFunction("CCODUSER");
  return code.IsString() ? Code(code.AsString()) : std::string();
}

WorkArea* AreaOf(std::string_view alias) {
  WorkAreas& areas = WorkAreas::Get();
  return areas.Area(areas.AreaOfAlias(xb::AllTrim(alias)));
}

Value Field(WorkArea& area, std::string_view name) {
  const int pos = area.FieldPos(name);
  return pos > 0 ? area.GetField(pos) : Value();
}

std::string Text(WorkArea& area, std::string_view name) {
  const Value v = Field(area, name);
  return v.IsString() ? std::string(v.AsString()) : std::string();
}

// Positions the area on `code` in the order named `order`; false when absent.
bool SeekCode(WorkArea& area, std::string_view order, std::string_view code) {
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(area.number());
  xb::CallFunction("ORDSETFOCUS", {Value::String(order)});
  const bool found = xb::CallFunction("DBSEEK", {Value::String(xb::Upper(xb::CurrentCodePage(), code))}).AsLogical();
  WorkAreas::Get().SelectArea(keep);
  return found;
}

struct Target {
  WorkArea* area = nullptr;
  std::string user;
  bool found = true;
};

Target Find(std::string_view alias, std::string_view code_field, std::string_view order, std::string_view code,
            bool for_user, bool seek, std::string_view user) {
  Target t;
  t.area = AreaOf(alias);
  t.user = for_user && !xb::AllTrim(user).empty() ? Code(user) : CurrentUser();
  if (t.area == nullptr) return t;
  const std::string wanted = xb::AllTrim(code).empty() ? Text(*t.area, code_field) : std::string(code);
  if (seek) t.found = SeekCode(*t.area, order, xb::AllTrim(wanted));
  return t;
}

bool PutUnderLock(WorkArea& area, const std::vector<std::pair<std::string_view, std::string>>& fields) {
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(area.number());
  const bool shared = area.table().shared();
  bool ok = !shared || data::lNetRecLock();
  if (ok) {
    for (const auto& [name, value] : fields) area.PutField(area.FieldPos(name), Value::String(value));
    area.Commit();
    if (shared) area.Unlock(area.recno());
  }
  WorkAreas::Get().SelectArea(keep);
  return ok;
}

// Walks every row of the area in natural order.
template <typename F>
bool EachRow(WorkArea& area, F&& f) {
  const int order = area.controlling_order();
  area.SetControllingOrder(0);
  bool ok = true;
  for (area.GoTop(); !area.eof(); area.Skip(1)) ok = f() && ok;
  area.SetControllingOrder(order);
  area.GoTop();
  return ok;
}

}  // namespace

bool ListingAllows(std::string_view accesos, std::string_view user) {
  const std::string codes = WithoutBlanks(accesos);
  const std::string u = Code(user);
  if (u == kSupervisor) return true;
  if (u.empty()) return false;
  for (std::size_t i = 0; i + 2 <= codes.size(); i += 2) {
    if (codes.compare(i, 2, u) == 0) return true;
  }
  return false;
}

std::string ReportLevel(std::string_view access, std::string_view user) {
  const std::string u = Code(user);
  if (u == kSupervisor) return "2";
  const std::string entries = WithoutBlanks(access);
  for (std::size_t i = 0; !u.empty() && i + 3 <= entries.size(); i += 3) {
    if (entries.compare(i, 2, u) == 0) return entries.substr(i + 2, 1);
  }
  return "0";
}

std::optional<std::string> ListingWithUser(std::string_view accesos, std::string_view user, bool allow,
                                           std::size_t width) {
  const std::string codes = WithoutBlanks(accesos);
  const std::string u = Code(user);
  if (ListingAllows(codes, u) == allow || u.size() != 2) return std::nullopt;
  if (allow) {
    if (codes.size() + 2 > width) return std::string();
    return codes + u;
  }
  std::string kept;
  for (std::size_t i = 0; i < codes.size(); i += 2) {
    const std::string entry = codes.substr(i, 2);
    if (entry != u) kept += entry;
  }
  return kept;
}

std::optional<std::string> ReportWithLevel(std::string_view access, std::string_view user, char level) {
  std::string entries = WithoutBlanks(access);
  const std::string u = Code(user);
  if (u.size() != 2) return std::nullopt;
  for (std::size_t i = 0; i + 3 <= entries.size(); i += 3) {
    if (entries.compare(i, 2, u) != 0) continue;
    if (entries[i + 2] == level) return std::nullopt;
    entries[i + 2] = level;
    return entries;
  }
  if (level == '0') return std::nullopt;  // no entry already means "0"
  if (entries.size() + 3 > kReportAccessWidth) return std::string();
  return entries + u + level;
}

void TellListFull(std::string_view code) {
  data::Ui().MsgAlert("No caben más usuarios en la lista de accesos de " + std::string(xb::AllTrim(code)),
                      " Atención");
}

bool cAccesoListado(std::string_view alias, std::string_view code, bool for_user, bool seek, std::string_view user) {
  const Target t = Find(alias, "CODIGO", "CODIGO", code, for_user, seek, user);
  if (t.user == kSupervisor) return true;
  if (t.area == nullptr || !t.found || t.area->eof()) return false;
  return ListingAllows(Text(*t.area, "ACCESOS"), t.user);
}

std::string cAccesoInforme(std::string_view alias, std::string_view code, bool for_user, bool seek,
                           std::string_view user) {
  const Target t = Find(alias, "INFORME", "Informe", code, for_user, seek, user);
  if (t.user == kSupervisor) return "2";
  if (t.area == nullptr || !t.found || t.area->eof()) return "0";
  return ReportLevel(Text(*t.area, "ACCESO1") + Text(*t.area, "ACCESO2"), t.user);
}

bool SaveListingMap(std::string_view alias, const std::map<std::string, char>& levels, std::string_view user) {
  WorkArea* area = AreaOf(alias);
  if (area == nullptr) return false;
  const int width = area->FieldPos("ACCESOS") > 0 ? area->FieldAt(area->FieldPos("ACCESOS"))->length : 0;
  return EachRow(*area, [&] {
    const std::string code(xb::AllTrim(Text(*area, "CODIGO")));
    const auto it = levels.find(code);
    if (it == levels.end()) return true;
    const auto changed = ListingWithUser(Text(*area, "ACCESOS"), user, it->second == '2', width);
    if (!changed) return true;
    if (changed->empty() && it->second == '2') {
      TellListFull(code);
      return true;
    }
    return PutUnderLock(*area, {{"ACCESOS", *changed}});
  });
}

bool SaveReportMap(std::string_view alias, const std::map<std::string, char>& levels, std::string_view user) {
  WorkArea* area = AreaOf(alias);
  if (area == nullptr) return false;
  return EachRow(*area, [&] {
    const std::string code(xb::AllTrim(Text(*area, "INFORME")));
    const auto it = levels.find(code);
    if (it == levels.end()) return true;
    const auto changed = ReportWithLevel(Text(*area, "ACCESO1") + Text(*area, "ACCESO2"), user, it->second);
    if (!changed) return true;
    if (changed->empty()) {
      TellListFull(code);
      return true;
    }
    const std::string first = changed->substr(0, std::min<std::size_t>(200, changed->size()));
    const std::string rest = changed->size() > 200 ? changed->substr(200) : std::string();
    return PutUnderLock(*area, {{"ACCESO1", first}, {"ACCESO2", rest}});
  });
}

void RegisterAccessRules() {
  // CACCESOLISTADO(cAlias, cCodigo, lUsuario, lSeek, cCodUser)
  xb::RegisterFunction("CACCESOLISTADO", [](xb::Args& a) {
    return Value::Logical(cAccesoListado(a.Str(1), a.Str(2), a.Log(3), a.Log(4), a.Str(5)));
  });
  // CACCESOINFORME(cAlias, cInforme, lUsuario, lSeek, cCodUser)
  xb::RegisterFunction("CACCESOINFORME", [](xb::Args& a) {
    return Value::String(cAccesoInforme(a.Str(1), a.Str(2), a.Log(3), a.Log(4), a.Str(5)));
  });
}

}  // namespace reports
