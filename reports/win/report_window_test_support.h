// The fixture of the report generator's window tests (VDRE.DLL's resources, the runtime, the
// tables and the data layer started afresh, the report functions registered, a fresh folder
// as the program's start folder with the dictionary open in its INF\, and the report outputs),
// and what the tests do to the windows they drive.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "data/data_functions.h"
#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/win/windowed_data_ui.h"
#include "output/output.h"
#include "output/output_test_support.h"
#include "reports/dictionary_ui.h"
#include "reports/report_functions.h"
#include "reports/report_run.h"
#include "reports/tdictqz.h"
#include "reports/win/column_dialogs.h"
#include "reports/win/report_page_device.h"
#include "reports/win/report_tree.h"
#include "reports/win/report_window_functions.h"
#include "runtime/function_table.h"
#include "runtime/rdd/driver.h"
#include "runtime/rdd/test_support.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
#include "ui/bridge/printer_device.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/core/core_test_support.h"

namespace reports::testing {

// A screenshot of `window` saved as `name`.bmp.
inline void Shot(HWND window, const std::string& name) {
  vdr::test::SaveWindowBitmap(window, vdr::test::ScreenshotFolder() + "\\" + name + ".bmp");
}

// A button of a dialog clicked; returns when the click has been handled.
inline void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A button of a dialog clicked; returns at once (the button may open a modal dialog).
inline void Post(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// The first button of a message box.
inline int Ok(const vdr::test::SeenDialog& d) { return d.buttons.empty() ? 0 : d.buttons[0].id; }

using vdr::test::ItemText;

// A combo's item chosen as the user does: the selection and its notification.
inline void Choose(HWND dialog, int id, int at) {
  HWND combo = GetDlgItem(dialog, id);
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

// While it lives, the output dialog asking where HTML pages go is answered as the user does:
// in html\`name`\ among the screenshots (emptied first), "indice" the index page, none of
// the three options checked.
class HtmlDestination {
 public:
  explicit HtmlDestination(const std::string& name)
      : parent_(vdr::test::ScreenshotFolder() + "\\html\\"), name_(name), answer_([this](const vdr::test::SeenDialog& d) {
          if (d.title != "Destino del Listado/Informe.") return 0;
          SetDlgItemTextA(d.hwnd, 100, parent_.c_str());
          SetDlgItemTextA(d.hwnd, 101, name_.c_str());
          SetDlgItemTextA(d.hwnd, 102, "indice");
          for (int option : {300, 301, 302}) CheckDlgButton(d.hwnd, option, BST_UNCHECKED);
          return 400;
        }) {
    CreateDirectoryA(parent_.c_str(), nullptr);
    output::test::EraseTree(Folder());
  }
  // Where the pages go, ending in a backslash.
  std::string Folder() const { return parent_ + name_ + "\\"; }

 private:
  std::string parent_, name_;
  vdr::test::DialogAnswerer answer_;
};

// The rectangles a PostScript job fills in light grey (RGB 192, 192, 192), as
// {left, top, width, height} in its units: the printer driver draws a filled rectangle as
// "x y moveto w 0 rlineto 0 h rlineto ... closepath" followed by its colour and "fill".
inline std::vector<std::array<int, 4>> GreyFills(const std::string& ps) {
  std::vector<std::array<int, 4>> fills;
  std::istringstream lines(ps);
  std::vector<std::string> recent;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    recent.push_back(line);
    if (line != "fill" || recent.size() < 8 || recent[recent.size() - 2] != "0.75 0.75 0.75 setrgbcolor") continue;
    const std::size_t at = recent.size() - 8;  // moveto, rlineto, rlineto, rlineto, closepath, gsave
    std::array<int, 4> r{};
    int ignored = 0;
    if (std::sscanf(recent[at].c_str(), "%d %d moveto", &r[0], &r[1]) == 2 &&
        std::sscanf(recent[at + 1].c_str(), "%d %d rlineto", &r[2], &ignored) == 2 &&
        std::sscanf(recent[at + 2].c_str(), "%d %d rlineto", &ignored, &r[3]) == 2)
      fills.push_back(r);
  }
  return fills;
}

struct ReportWindowOptions {
  std::string user = "00";        // what CCODUSER answers at first (`user_`)
  bool exe_folder = false;        // the folder is also cPathExe
  bool window_functions = false;  // the report window functions registered
  bool outputs = true;            // the printers, the preview and the report outputs
  bool dictionary = true;         // 255 handles, INF\ and INF\TEMP\ made, the dictionary open
};

// `Folder` is the temporary folder's class; `folder` its constructor's arguments.
template <typename Folder = xb::rdd::testing::TempFolder>
class ReportWindowTest : public ui::test::FrameworkTest {
 protected:
  template <typename... FolderArgs>
  explicit ReportWindowTest(ReportWindowOptions options = {}, FolderArgs&&... folder)
      : options_(std::move(options)), user_(options_.user), folder_(std::forward<FolderArgs>(folder)...) {}

  void SetUp() override {
    FrameworkTest::SetUp();
    ASSERT_NE(ui::SetResources("VDRE.DLL"), nullptr);
    ui::InitControls();
    if (options_.outputs) {
      output::InitOutput();
      ui::PrinterInit();
    }
    xb::rdd::InitTables();
    xb::rdd::ResetTables();
    data::RegisterDataFunctions();
    data::ResetProgramSettings();
    data::InstallWindowedDataUi();
    RegisterReportFunctions();
    if (options_.window_functions) RegisterReportWindowFunctions();
    xb::rdd::SetDefaultDriver("ADS");
    xb::SetValue(xb::SET_DELETED, xb::Value::Logical(true));
    xb::RegisterFunction("CCODUSER", [this](xb::Args&) { return xb::Value::String(user_); });
    data::cPathStart(folder_.path());
    if (options_.exe_folder) data::cPathExe(folder_.path());
    data::cPathInforme(folder_.path() + "INF\\");
    data::cPathDbf(folder_.path());  // the company's folder, where the tests' tables are
    if (options_.dictionary) {
      data::nHandlers(255);
      CreateDirectoryA((folder_.path() + "INF").c_str(), nullptr);
      CreateDirectoryA((folder_.path() + "INF\\TEMP").c_str(), nullptr);
      dict_ = xb::MakeRef<TDictQZ>();
      dict_->New(folder_.path() + "INF");
      ASSERT_TRUE(dict_->Activate("I", false));
    }
    if (options_.outputs) InstallReportOutputs();
  }
  void TearDown() override {
    SetPrinterCheck({});
    SetReportTreeHook({});
    TDictQZ::lDebug() = false;
    if (dict_ && dict_->lAbierto) dict_->End();
    SetReportRunHook({});
    xb::rdd::ResetTables();
    SetDictUi(nullptr);
    data::SetDataUi(nullptr);
    if (options_.outputs) ui::PrinterInit();
    ui::FreeResources();
    FrameworkTest::TearDown();
  }
  // Whether a run left no temporary table in INF\TEMP\.
  bool NoTemporaryTables() {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder_.path() + "INF\\TEMP\\*.dbf").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return true;
    FindClose(h);
    return false;
  }

  ReportWindowOptions options_;
  std::string user_;
  Folder folder_;
  xb::Ref<TDictQZ> dict_;
};

}  // namespace reports::testing
