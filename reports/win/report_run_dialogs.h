// The windowed parts of a report run: the wait dialog "Espere por favor..." with the run's
// five steps, its meter, the page printed and a cancel button, and the euro question.
#pragma once

#include <memory>
#include <utility>

#include "reports/report_run.h"

namespace reports {

// PIDEEUROS: the dialog "TI_EURO": {go on, in euros}. A run nobody watches goes on in the
// report's own currencies without showing it.
std::pair<bool, bool> PideEuros();

// The modeless wait dialog "TI_ESPERAR" over the active window; it paints and answers its
// cancel button whenever the run asks whether it was cancelled.
std::unique_ptr<RunProgress> OpenRunProgress();

// Installs both in the report run and registers PIDEEUROS (@lEuros): .F. when cancelled.
void InstallRunDialogs();

}  // namespace reports
