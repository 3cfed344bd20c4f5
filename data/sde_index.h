// SDEINDEX: re-indexes the start folder's own tables, in this order: the agenda and the year
// planner, the "Macros" table, the user tables, the current user's layouts, printers and
// access maps, and the report dictionary. User tables that nobody has made yet are made with
// their default rows, as the log-in makes them on a fresh folder.
//
// Only the "Macros" table is this module's; every other step is the public function of the
// module that owns those tables (NTXAGENDA, CREAPLANNWIN, QZW_CREAUSUARIOS, NTXCONFBRW,
// NTXIMPRDBF, NTXMAPAS, DICTREINDEX), called by name when that module is linked in.
#pragma once

namespace data {

void SdeIndex();

// Registers SDEINDEX.
void RegisterSdeIndex();

}  // namespace data
