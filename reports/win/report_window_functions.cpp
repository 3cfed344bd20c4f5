#include "reports/win/report_window_functions.h"

#include <windows.h>

#include "reports/value_helpers.h"
#include "runtime/function_table.h"
#include "services/font_choice.h"
#include "ui/core/twindow.h"
#include "reports/win/access_maps.h"
#include "reports/win/choice_dialogs.h"
#include "reports/win/report_dialog.h"
#include "reports/win/report_list.h"
#include "reports/win/report_tree.h"
#include "reports/win/tdtreport.h"
#include "reports/win/tinforme_methods.h"
#include "reports/win/dictionary_dialogs.h"
#include "reports/win/dictionary_window.h"
#include "reports/win/header_dialogs.h"
#include "reports/win/inspectors.h"
#include "reports/win/listing_tree.h"
#include "reports/win/report_output_dialog.h"
#include "reports/win/report_page_device.h"
#include "reports/win/tbrwdataqz.h"
#include "reports/win/wait_dialogs.h"

namespace reports {

void RegisterReportWindowFunctions() {
  RegisterChoiceDialogs();
  RegisterWaitDialogs();
  RegisterInspectors();
  RegisterListingTree();
  RegisterAccessMaps();
  InstallDictionaryDialogs();
  InstallDictionaryWindow();
  RegisterHeaderDialogs();
  InstallReportWindows();
  RegisterReportDialog();
  InstallReportTree();
  InstallTInformeMethods();
  RegisterTDTReport();
  RegisterSelDestino();
  RegisterHeaderTextFunctions();
  RegisterBrowserFunctions();
  // TI_SELECFONT(nFont, oSay): the font dialog over the Fonts row; its number.
  xb::RegisterFunction("TI_SELECFONT", [](xb::Args& a) {
    const xb::Value& say = a.Arg(2);
    auto* label = say.IsObject() ? dynamic_cast<ui::TWindow*>(say.AsObject().get()) : nullptr;
    return xb::Value::Integer(svc::SelectFont(static_cast<int>(a.Int(1, 1)), label));
  });
  SetScreenPixelsPerInch([] {
    HDC screen = GetDC(nullptr);
    const int pixels = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return pixels;
  });
}

}  // namespace reports
