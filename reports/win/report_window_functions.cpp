#include "reports/win/report_window_functions.h"

#include <windows.h>

#include "reports/value_helpers.h"
#include "reports/win/choice_dialogs.h"
#include "reports/win/inspectors.h"
#include "reports/win/wait_dialogs.h"

namespace reports {

void RegisterReportWindowFunctions() {
  RegisterChoiceDialogs();
  RegisterWaitDialogs();
  RegisterInspectors();
  SetScreenPixelsPerInch([] {
    HDC screen = GetDC(nullptr);
    const int pixels = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return pixels;
  });
}

}  // namespace reports
