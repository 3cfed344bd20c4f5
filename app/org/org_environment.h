// The run-time settings the organisation works under, as the program sets them at start:
// the Spanish code page, deleted records hidden, exclusive use by default, dates
// "dd-mm-yyyy" with epoch 1920, the runtime's functions and the table engine registered.
#pragma once

namespace app {

void InitOrganisationEnvironment();

// Registers the organisation's functions that run-time compiled text calls: AINDEXCHAIN,
// UPDATEGRAPH, NTOTFAC and NTOTDOCEST.
void RegisterOrganisationFunctions();

}  // namespace app
