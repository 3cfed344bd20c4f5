#include "reports/relation_paths.h"

#include <deque>
#include <set>
#include <tuple>

#include "runtime/codepage.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

std::string Key(std::string_view table) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(table)); }

using Path = std::vector<std::size_t>;

// Breadth-first: every path that starts at `from` (every table when empty), shortest first.
std::vector<Path> Paths(const std::vector<Relation>& relations, std::string_view from) {
  std::vector<Path> found;
  std::deque<Path> queue;
  for (std::size_t i = 0; i < relations.size(); ++i) {
    if (!from.empty() && relations[i].origin != Key(from)) continue;
    if (relations[i].origin == relations[i].destination) continue;
    queue.push_back({i});
  }
  while (!queue.empty()) {
    Path path = std::move(queue.front());
    queue.pop_front();
    found.push_back(path);
    const Relation& last = relations[path.back()];
    if (!last.direct || static_cast<int>(path.size()) >= kMaxRelationHops) continue;
    std::set<std::string> seen = {relations[path.front()].origin};
    for (std::size_t hop : path) seen.insert(relations[hop].destination);
    for (std::size_t i = 0; i < relations.size(); ++i) {
      if (!relations[i].direct || relations[i].origin != last.destination) continue;
      if (seen.contains(relations[i].destination)) continue;
      Path longer = path;
      longer.push_back(i);
      queue.push_back(std::move(longer));
    }
  }
  return found;
}

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

}  // namespace

std::vector<RelTabRow> RelTabPaths(const std::vector<Relation>& relations) {
  std::vector<RelTabRow> rows;
  std::set<std::tuple<std::string, std::string, int, int>> taken;
  for (const Path& path : Paths(relations, {})) {
    if (path.size() < 2) continue;
    RelTabRow row;
    row.origin = relations[path.front()].origin;
    row.destination = relations[path.back()].destination;
    row.first_id = relations[path.front()].id;
    row.last_id = relations[path.back()].id;
    for (std::size_t hop : path) {
      if (relations[hop].products.empty()) continue;
      if (!row.products.empty()) row.products += " .and. ";
      row.products += relations[hop].products;
    }
    if (taken.insert({row.origin, row.destination, row.first_id, row.last_id}).second) rows.push_back(row);
  }
  return rows;
}

std::vector<std::vector<std::size_t>> FindRelationPaths(const std::vector<Relation>& relations,
                                                        std::string_view from, std::string_view to) {
  std::vector<Path> paths;
  for (Path& p : Paths(relations, from)) {
    if (relations[p.back()].destination == Key(to)) paths.push_back(std::move(p));
  }
  return paths;
}

std::vector<Relation> ReadRelations(std::string_view alias) {
  std::vector<Relation> relations;
  WorkArea* area = AreaOf(alias);
  if (area == nullptr) return relations;
  const int order = area->controlling_order();
  const std::uint32_t recno = area->recno();
  area->SetControllingOrder(0);
  for (area->GoTop(); !area->eof(); area->Skip(1)) {
    Relation r;
    r.origin = Key(Text(*area, "TABORIGEN"));
    r.destination = Key(Text(*area, "TABDESTINO"));
    r.id = static_cast<int>(area->GetField(area->FieldPos("IDREL")).AsInt());
    r.direct = area->GetField(area->FieldPos("DIRECTA")).AsLogical();
    r.products = Text(*area, "PRODUCTOS");
    r.description = Text(*area, "DESCRIPC");
    relations.push_back(std::move(r));
  }
  area->SetControllingOrder(order);
  area->GoTo(recno);
  return relations;
}

bool RebuildRelTab(std::string_view alias, const std::vector<Relation>& relations) {
  WorkArea* area = AreaOf(alias);
  if (area == nullptr) return false;
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(area->number());
  bool ok = area->Zap();
  for (const RelTabRow& row : ok ? RelTabPaths(relations) : std::vector<RelTabRow>{}) {
    if (!area->Append(false)) {
      ok = false;
      break;
    }
    area->PutField(area->FieldPos("TABORIGEN"), Value::String(row.origin));
    area->PutField(area->FieldPos("TABDESTINO"), Value::String(row.destination));
    area->PutField(area->FieldPos("IDREL"), Value::Integer(row.first_id));
    area->PutField(area->FieldPos("IDDIRECTA"), Value::Integer(row.last_id));
    area->PutField(area->FieldPos("PRODUCTOS"), Value::String(row.products));
  }
  area->Commit();
  WorkAreas::Get().SelectArea(keep);
  return ok;
}

}  // namespace reports
