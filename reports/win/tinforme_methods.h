// The methods of TINFORME that open the report generator's dialogs: the tree's actions, the
// report dialog, the duplicate and related-report dialogs, the column list and its dialogs,
// the layout preview, a graphic and the restoration tree; the keys of the open tree or list;
// Show brings the object's dialog (else the open report dialog, tree or list) to the front,
// End closes the open tree or list. The report dialog's own steps (GuardaInforme, the order,
// group and condition builders, GenLine, FillSay, the initial-value functions) work on the
// report dialog open at the time, and say so when there is none.
#pragma once

namespace reports {

void InstallTInformeMethods();

}  // namespace reports
