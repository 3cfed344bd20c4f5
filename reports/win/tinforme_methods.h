// The methods of TINFORME that open the report generator's dialogs: the tree's actions, the
// report dialog, the duplicate and related-report dialogs, the column list and its dialogs,
// the layout preview, a graphic and the restoration tree; the keys of the open tree or list;
// End closes the open tree or list.
#pragma once

namespace reports {

void InstallTInformeMethods();

}  // namespace reports
