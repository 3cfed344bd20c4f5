// The shared dialogs of the program's library:
//   the working date (built in code): " Cambio fecha de trabajo", an edit on the date with the
//         calendar's magnifier ("lupaDate"), "&Aceptar" and "&Cancelar";
//   "Priority" the user's configuration record: check boxes 100 (field 2) and 101 (field 4),
//         edit 102 (field 9, picture "9"), 550 accepts, 551 cancels;
//   21001 the about box: picture 600 "BMP_LOGO_QZ", labels 91 (product), 92 (version), 94
//         (program file), 181-183 and 191-193 in the larger font, 401 closes.
#pragma once

#include "runtime/value.h"

namespace data {

// DGETDATE: lets the user change the working date (DSETDATE) when his access to "dGetDate"
// is not "0"; the working date afterwards, or .F. without access. The dialog edits the date
// with the century; the date format in use before comes back afterwards.
xb::Value dGetDate(const xb::Value& window = {});

// QZ_USERCONFIG: edits the selected area's current record (the user's configuration) and
// writes it back under the record's lock when accepted; true when written.
bool QzUserConfig();

// ACERCADE: the about box, with the product and version of the program's version table
// "VerVDRe" of the start folder (the one the log-in reads), opened under the alias "Version".
void AcercaDe();

// Registers DGETDATE, QZ_USERCONFIG and ACERCADE.
void RegisterProgramDialogs();

}  // namespace data
