// The report list of INFORMES: the Informes table in a TBrwDataQZ child of the dictionary's
// window (or of the program's main frame), its delete running DelInforme and an extra button
// running the current report.
#pragma once

namespace reports {

class TBrwDataQZ;

// Installs the list and the printer, preview and HTML outputs in the report run.
void InstallReportWindows();

// The open list (tests): nullptr when closed.
TBrwDataQZ* ReportList();

}  // namespace reports
