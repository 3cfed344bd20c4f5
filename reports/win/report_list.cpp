#include "reports/win/report_list.h"

#include <memory>
#include <vector>

#include "data/program_settings.h"
#include "reports/report_definitions.h"
#include "reports/report_run.h"
#include "reports/tdictqz.h"
#include "reports/win/column_dialogs.h"
#include "reports/win/dictionary_window.h"
#include "reports/win/listing_tree.h"
#include "reports/win/report_dialog.h"
#include "reports/win/report_output_dialog.h"
#include "reports/win/report_page_device.h"
#include "reports/win/report_run_dialogs.h"
#include "reports/win/tbrwdataqz.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "ui/core/msg_box.h"
#include "ui/core/window_table.h"

namespace reports {
namespace {

using xb::Value;

struct ListState {
  std::unique_ptr<TBrwDataQZ> list;
  xb::Ref<TDictQZ> dict;  // opened for the list, closed with it
  std::vector<ui::WindowRef> held;  // the bar's buttons a run disabled
};

ListState& State() {
  static ListState state;
  return state;
}

// The code of the report the list stands on.
std::string Current(const std::string& alias) {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int n = areas.AreaOfAlias(alias);
  if (n == 0 || areas.Area(n)->eof()) return {};
  xb::rdd::WorkArea& a = *areas.Area(n);
  const Value v = a.GetField(a.FieldPos("INFORME"));
  return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
}

void ShowList(const std::string& folder) {
  ListState& s = State();
  if (s.list && s.list->open()) {
    s.list->Refresh();
    return;
  }
  if (TDictQZ::AliasOf("Informes").empty()) {
    s.dict = xb::MakeRef<TDictQZ>();
    s.dict->New(folder.empty() ? data::cPathInforme() : folder);
    if (!s.dict->Activate("I", false)) {
      s.dict = nullptr;
      return;
    }
  }
  ui::TMdiFrame* frame = DictionaryFrame();
  if (frame == nullptr) frame = dynamic_cast<ui::TMdiFrame*>(ui::WndMain().get());
  if (frame == nullptr) return;
  const std::string alias = TDictQZ::AliasOf("Informes");
  s.list = std::make_unique<TBrwDataQZ>("Informes", alias, "Informes");
  s.list->bAdd = [] { MngInformes(false); };
  s.list->bEdit = [alias] {
    const std::string code = Current(alias);
    if (!code.empty()) MngInformes(true, code);
  };
  s.list->bDel = [alias] {
    const std::string code = Current(alias);
    // MsgNoYes answers true for its first button, "No".
    if (!code.empty() && !ui::MsgNoYes(Value::String("¿ Desea eliminar el informe " + code + " ?"), "Atención, confirme"))
      DelInforme(code);
  };
  s.list->aExtraButtons.push_back({"TD_CAMPOS", "Columnas de este informe", "Columnas de este informe", [alias] {
                                     const std::string code = Current(alias);
                                     if (!code.empty()) Columnas(code);
                                   }});
  s.list->aExtraButtons.push_back({"Printer", "Ejecutar informe", "Ejecutar informe", [alias] {
                                     const std::string code = Current(alias);
                                     if (code.empty()) return;
                                     TInforme inf;
                                     inf.RunGenInforme(code);
                                   }});
  s.list->aExtraButtons.push_back({"TI_INFORME", "Duplicar informe", "Duplicar informe", [alias] {
                                     const std::string code = Current(alias);
                                     if (!code.empty()) DuplicateInformeDialog(code);
                                   }});
  // The menu option shows as open while the list is.
  s.list->on_end = [] {
    CheckMenuOption("Informes", false);
    if (State().dict) State().dict->End();
    State().dict = nullptr;
  };
  CheckMenuOption("Informes", true);
  s.list->Activate(*frame);
}

}  // namespace

// While a report runs the list's bar buttons are disabled; afterwards those that were
// enabled come back, unless their when block now says no.
static void RunningList(bool running) {
  ListState& s = State();
  if (running) {
    s.held.clear();
    if (TBrwDataQZ* list = ReportList(); list != nullptr && list->bar() != nullptr)
      for (const ui::WindowRef& b : list->bar()->Buttons())
        if (b && b->hWnd != nullptr && IsWindowEnabled(b->hWnd)) {
          b->Disable();
          InvalidateRect(b->hWnd, nullptr, TRUE);
          s.held.push_back(b);
        }
    return;
  }
  for (const ui::WindowRef& b : s.held)
    if (b->hWnd != nullptr && b->lWhen()) {
      b->Enable();
      InvalidateRect(b->hWnd, nullptr, TRUE);
    }
  s.held.clear();
}

void InstallReportWindows() {
  InstallReportOutputs();
  InstallRunDialogs();
  ReportRunHook hook = CurrentReportRunHook();
  hook.show_list = [](bool, const std::string& folder) { ShowList(folder); };
  hook.sel_destino = [](StDestino& d, const std::string& code, const std::string& title) {
    return SelDestino(d, code, title);
  };
  hook.wide_question = WideQuestion;
  hook.running = [previous = hook.running](bool running) {
    if (previous) previous(running);
    RunningList(running);
  };
  SetReportRunHook(hook);
}

TBrwDataQZ* ReportList() {
  ListState& s = State();
  return s.list && s.list->open() ? s.list.get() : nullptr;
}

}  // namespace reports
