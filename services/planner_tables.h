// The start folder's shared tables of the year planner and of the business library's agenda,
// and their indexes.
//
//   PlannWin  cTitulo C35, cAnio C4, Mes1 .. Mes12 C31; tags "PlanWTit" (Upper( cTitulo ))
//             and "PlanWAni" (cAnio), each in an index file of its own name.
//   ConcPlan  cConcep C20, nColor N12, cClave C1; tag "PlanWCon" (cClave) in "PlanWCon".
//   Agenda, FmtAge1, FmtAge2, FmtAge3: one index file per table, named after it.
//
// Re-indexing takes each table exclusively first: a table another station holds keeps its
// index, and LNETUSE reports it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "services/planner_year.h"

namespace svc {

inline constexpr const char* kPlannerAlias = "PlannWin";
inline constexpr const char* kConceptAlias = "ConcPlan";

// Folder and name of each table (no extension).
std::string PlannWinTable();
std::string ConcPlanTable();

// LIB_INDEXDATA: the tag over every record of the selected area, in an index file of the
// tag's name, the key compiled from "{ ||" + key + "}"; the wait cursor shows meanwhile.
void Lib_IndexData(std::string_view tag, std::string_view key, bool unique = false);

// NTXAGENDA: each agenda table present is taken exclusively, its index file erased, the
// table packed and its tags made.
void NtxAgenda();
// CREAPLANNWIN: creates the planner tables that are missing (the concepts written in), and
// rebuilds the index files of those that exist. False when a table could not be taken.
bool CreaPlannWin();

// The planner tables opened shared with their index files, in new areas under their
// aliases ("PlannWin" ordered by title). False (nothing left open) when either fails.
bool OpenPlannerTables();
void ClosePlannerTables();

// A planner record, as the dialog edits it.
struct Planner {
  std::string title;  // as typed (stored in 35 characters)
  int year = 0;
  planner::Months months;
};

// Reads the planner under PlannWin's record pointer.
Planner CurrentPlanner();
// True when a live planner other than record `except` has the title (upper case, trimmed)
// and year.
bool PlannerExists(std::string_view title, int year, std::uint32_t except = 0);
// Appends a planner: false, with "Clave duplicada" / "Valor no aceptado", when it exists, or
// when the record cannot be added.
bool AddPlanner(const Planner& planner);
// Writes the months of the planner under the record pointer under its record lock.
bool SavePlanner(const planner::Months& months);
// Seeks a title (upper case) or, with `by_year`, a year; "Registro no localizado" when none.
bool FindPlanner(std::string_view text, bool by_year);

// A concept as the table holds it.
struct ConceptRow {
  char key = ' ';
  std::string text;  // trimmed
  std::int64_t colour = 0;
};
// The concepts in the order of their keys.
std::vector<ConceptRow> ReadConcepts();
// Writes a concept's text under its record lock.
bool SaveConceptText(char key, std::string_view text);

// Registers LIB_INDEXDATA, NTXAGENDA and CREAPLANNWIN.
void RegisterPlannerTableFunctions();

}  // namespace svc
