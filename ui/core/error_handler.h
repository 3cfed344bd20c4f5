// The error handler every run-time error reaches (the error block ERRORSYS installs). In
// order: a zero divisor yields 0; a failed open or create whose cause is a known system
// condition (OS codes 2, 3, 4, 5, 32) fails quietly: NETERR() is set, the cause is kept as
// NERRORCODE() and the operation answers false, so the table-access layer can tell the
// user; a failed append lock sets NETERR() and answers false. Anything else is written to
// "Error.log" in the current folder and shown in a dialog where the user quits ("&Salir"),
// retries ("&Reintentar", when the error allows it) or takes the default ("&Defecto"). An
// error raised while that dialog shows ends the program at once. In a run nobody watches
// (ui::Unattended) the dialog does not show: the error goes to the unattended sink and the
// operation takes its default.
#pragma once

#include "runtime/error.h"

namespace ui {

// ERRORSYS: installs the error block that hands every error to ErrorDialog.
void ErrorSys();
// That block itself, for code that must answer to it while another is in place.
xb::Value ErrorSysBlock();

// ERRORDIALOG: 0 for a zero divisor, false for the default, true to retry; quitting ends
// the program (exit code 1) through the runtime's quit handler.
xb::Value ErrorDialog(const xb::ErrorRef& error);

// True while the error dialog shows.
bool ErrorDialogShowing();

void RegisterErrorHandlerFunctions();

}  // namespace ui
