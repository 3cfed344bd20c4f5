// The data layer's DataUi as the program shows it: the framework's message boxes, the lock
// question and the delete confirmation as dialogs of the resource library, the system tick
// count, and pending messages run through the framework's message loop. A box shows under
// the program's own error handler; in a run nobody watches (ui::Unattended) nothing shows:
// the boxes tell the unattended sink, the lock question is given up, a deletion refused.
#pragma once

#include "data/data_ui.h"

namespace data {

class WindowedDataUi final : public DataUi {
 public:
  void MsgStop(std::string_view text, std::string_view title) override;
  void MsgAlert(std::string_view text, std::string_view title) override;
  void MsgInfo(std::string_view text, std::string_view title) override;
  bool GiveUpLock(const std::vector<std::string>& texts) override;
  bool ConfirmDelete(bool touch_screen) override;
  // Runs what is pending; when nothing is, sleeps until a message arrives or the time passes.
  void RunMessages(std::uint32_t wait_ms) override;
  std::uint32_t TickCount() override;
};

// Makes the windowed DataUi the layer's and registers the functions that only Windows has
// (GETCURRENTDIRECTORY, SETCURRENTDIRECTORY, GETPATHSHORT) and the shared dialogs (DGETDATE,
// QZ_USERCONFIG, ACERCADE). The program calls it at start,
// after the window framework is up.
void InstallWindowedDataUi();

}  // namespace data
