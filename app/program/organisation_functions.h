// The organisation's public functions, for run-time compiled text (menu actions and the
// suite's other modules): INDEXALL(oBrw), LORGEMPR(oStart, oClose, oSay1, oSay2, oSay3, oDlg),
// GENINDICES(oSay1, oSay2, oSay3), INDEXDATA(cTag, cTable, cKey, nMeter, , , cFolder,
// lUnique), CHECKSDISABLE(aControls) and LDSPORG().
//
// While the progress dialog is open they work through it (its options, meters and label);
// without it, through the labels they are given and the messages and error table alone.
#pragma once

namespace app {

void RegisterOrganisationWindowFunctions();

}  // namespace app
