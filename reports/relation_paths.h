// Paths between the dictionary's tables through its relations. A path is a chain of
// `Relacion` rows, each hop leaving from the table the previous one reached, at most four
// hops, no table twice. Only direct relations are chained; one that is not direct is a path
// of one hop on its own.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace reports {

inline constexpr int kMaxRelationHops = 4;

struct Relation {
  std::string origin;       // TABORIGEN, trimmed and upper case
  std::string destination;  // TABDESTINO
  int id = 0;               // IDREL
  bool direct = false;      // DIRECTA
  std::string products;     // PRODUCTOS, trimmed
  std::string description;  // DESCRIPC, trimmed
};

struct RelTabRow {
  std::string origin;
  std::string destination;
  int first_id = 0;   // IDREL: the first hop's relation
  int last_id = 0;    // IDDIRECTA: the last hop's relation
  std::string products;  // the hops' conditions joined by " .and. "
};

// Every path of two hops or more, shortest first, one row for each origin, destination,
// first and last relation.
std::vector<RelTabRow> RelTabPaths(const std::vector<Relation>& relations);

// The paths from `from` to `to`, shortest first, each the positions in `relations` of its hops.
std::vector<std::vector<std::size_t>> FindRelationPaths(const std::vector<Relation>& relations,
                                                        std::string_view from, std::string_view to);

// The relations of the `Relacion` table open under `alias`, in record order.
std::vector<Relation> ReadRelations(std::string_view alias);

// `RelTab` (open under `alias`, exclusively) emptied and filled from `relations`; false when
// it cannot be emptied.
bool RebuildRelTab(std::string_view alias, const std::vector<Relation>& relations);

}  // namespace reports
