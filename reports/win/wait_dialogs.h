// Messages that stay on screen while a process runs: TI_TMSGRUN around an action, the
// modeless "Realizando proceso, espere por favor ..." box that TI_OPENDLGWAIT opens and
// TI_CLOSEDLGWAIT closes, and WaitNotice for work done here.
#pragma once

#include <windows.h>

#include <string>

#include "runtime/value.h"
#include "ui/core/tdialog.h"

namespace reports {

// TI_TMSGRUN: the message ("Espere, por favor..." when none) shown while the action runs.
void TMsgRun(const std::string& message, const std::string& title, const xb::Value& action);
// TI_OPENDLGWAIT: shows the wait box (one at a time) and answers it.
xb::Value OpenDlgWait();
// TI_CLOSEDLGWAIT: closes it.
void CloseDlgWait();

// A message on screen while the work of its scope runs: painted when made, closed when the
// scope ends. Step(), called often, paints what waits to be painted and answers the
// message's own messages a few times a second; other input waits for the work to end, so
// nothing runs in the middle of it. It never waits for anyone.
class WaitNotice {
 public:
  explicit WaitNotice(const std::string& text);
  ~WaitNotice();
  WaitNotice(const WaitNotice&) = delete;
  WaitNotice& operator=(const WaitNotice&) = delete;

  void Step();

 private:
  ui::DialogRef box_;
  DWORD last_ = 0;
};

// Registers TI_TMSGRUN, TI_OPENDLGWAIT and TI_CLOSEDLGWAIT.
void RegisterWaitDialogs();

}  // namespace reports
