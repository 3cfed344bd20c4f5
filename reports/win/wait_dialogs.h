// Messages that stay on screen while a process runs: TI_TMSGRUN around an action, and the
// modeless "Realizando proceso, espere por favor ..." box that TI_OPENDLGWAIT opens and
// TI_CLOSEDLGWAIT closes.
#pragma once

#include <string>

#include "runtime/value.h"

namespace reports {

// TI_TMSGRUN: the message ("Espere, por favor..." when none) shown while the action runs.
void TMsgRun(const std::string& message, const std::string& title, const xb::Value& action);
// TI_OPENDLGWAIT: shows the wait box (one at a time) and answers it.
xb::Value OpenDlgWait();
// TI_CLOSEDLGWAIT: closes it.
void CloseDlgWait();

// Registers TI_TMSGRUN, TI_OPENDLGWAIT and TI_CLOSEDLGWAIT.
void RegisterWaitDialogs();

}  // namespace reports
