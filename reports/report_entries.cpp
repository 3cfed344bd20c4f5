// The entries of a report run: RunGenInforme and RunDirectInforme, and the menu functions
// INFORMES, INFGRAFICOS and INFDIRECTO.
#include <algorithm>
#include <array>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/table_views.h"
#include "reports/access_rules.h"
#include "reports/direct_list.h"
#include "reports/dictionary_files.h"
#include "reports/report_definitions.h"
#include "reports/report_run.h"
#include "reports/report_text_device.h"
#include "reports/tdictqz.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }

std::string Field(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  const Value v = pos == 0 ? Value() : a.GetField(pos);
  return v.IsString() ? std::string(xb::RTrim(v.AsString())) : std::string();
}

// The Informes row of a code (the area positioned on it), or nullptr.
WorkArea* FindInforme(const std::string& code) {
  WorkAreas& areas = WorkAreas::Get();
  const int n = areas.AreaOfAlias(TDictQZ::AliasOf("Informes"));
  if (n == 0) return nullptr;
  WorkArea& a = *areas.Area(n);
  const int order = a.controlling_order();
  a.SetControllingOrder(0);
  WorkArea* found = nullptr;
  for (a.GoTop(); !a.eof(); a.Skip(1)) {
    if (!a.Deleted() && Upper(Field(a, "INFORME")) == Upper(code)) {
      found = &a;
      break;
    }
  }
  const std::uint32_t at = a.recno();
  a.SetControllingOrder(order);
  if (found != nullptr) a.GoTo(at);
  return found;
}

// The dictionary opened for one entry and closed when it ends (unless it was open already).
class OpenedDictionary {
 public:
  explicit OpenedDictionary(const std::string& folder) {
    if (!TDictQZ::AliasOf("Informes").empty()) {
      ok_ = true;
      return;
    }
    dict_ = xb::MakeRef<TDictQZ>();
    dict_->New(folder);
    ok_ = dict_->Activate("I", false);
    if (!ok_) dict_ = nullptr;
  }
  ~OpenedDictionary() {
    if (dict_) dict_->End();
  }
  bool ok() const { return ok_; }

 private:
  xb::Ref<TDictQZ> dict_;
  bool ok_ = false;
};

std::string Folder(xb::Args& a) {
  return a.Arg(1).IsString() && !xb::AllTrim(a.Str(1)).empty() ? std::string(a.Str(1)) : data::cPathInforme();
}

// LCHKMENU by name (the menus are the windowed program's): may the option be opened?
bool lChkMenu(const char* option) {
  if (!xb::IsFunctionRegistered("LCHKMENU")) return true;
  const Value ok = xb::CallFunction("LCHKMENU", {Value::String(option)});
  return !ok.IsLogical() || ok.AsLogical();
}

std::string Text(const Value& v) { return v.IsString() ? std::string(v.AsString()) : std::string(); }

}  // namespace

bool TInforme::RunGenInforme(const std::string& cInforme) {
  aStatic().assign(aStatic().size(), Value());
  data::DataUi& ui = data::Ui();
  WorkArea* row = FindInforme(cInforme);
  if (row == nullptr) return false;
  if (cAccesoInforme(TDictQZ::AliasOf("Informes"), cInforme, false, true, {}) == "0") {
    ui.MsgStop("No dispone de acceso para ejecutar este informe.", "Acceso denegado.");
    return false;
  }
  if (lRunning) {
    ui.MsgStop("¡ Hay un informe en ejecución, por favor, espere a que finalize.!", "Atención.");
    return false;
  }
  lRunning = true;
  const auto running = CurrentReportRunHook().running;
  if (running) running(true);
  const auto end = [&] {
    EndPreviewReport();
    if (running) running(false);
  };
  row = FindInforme(cInforme);
  const int pos = row->FieldPos("DIRECTO");
  const bool direct = pos > 0 && row->GetField(pos).IsLogical() && row->GetField(pos).AsLogical();
  bool ok = false;
  try {
    ok = direct ? RunDirectInforme(cInforme) : RunInforme(cInforme);
  } catch (...) {
    end();
    throw;
  }
  end();
  return ok;
}

bool TInforme::RunDirectInforme(const std::string& cInforme, int nEntorno, const std::string& cAliasIn,
                                 const std::string& cCond) {
  WorkArea* row = FindInforme(cInforme);
  if (row == nullptr) return false;
  const std::string code = Upper(Field(*row, "INFORME"));
  const std::string titulo(xb::AllTrim(Field(*row, "TITULO")));
  const std::string cabecera = Field(*row, "CABECERA");
  const auto number = [row](const char* name) {
    const int pos = row->FieldPos(name);
    return pos > 0 && row->GetField(pos).IsNumber() ? static_cast<int>(row->GetField(pos).AsDouble()) : 0;
  };
  const int margen = number("MARGEN");
  // DTBuildFonts: the report's title, line, total and subtotal fonts (a number Fonts does not
  // hold prints in Arial).
  const std::array<int, 4> fonts{number("FNT_TIT"), number("FNT_LIN"), number("FNT_TOT"), number("FNT_SUB")};
  std::string alias = cAliasIn;
  int view = nEntorno;
  cCondLis = cCond;
  bool own_view = false;
  if (alias.empty()) {
    // The first initial-value function lays the page text out and names its work table.
    std::string function;
    WorkAreas& areas = WorkAreas::Get();
    if (const int n = areas.AreaOfAlias(TDictQZ::AliasOf("Inicial")); n > 0) {
      WorkArea& a = *areas.Area(n);
      a.SetControllingOrder(0);
      for (a.GoTop(); !a.eof() && function.empty(); a.Skip(1))
        if (!a.Deleted() && Upper(Field(a, "INFORME")) == code && Field(a, "INFDOC") == "I")
          function = std::string(xb::AllTrim(Field(a, "FUNCION")));
    }
    function = function.substr(0, function.find('('));
    if (function.empty()) return false;
    const Value block = xb::EvalMacro("{ | nEntorno | " + function + " ( nEntorno ) } ");
    const Value result = block.IsBlock() ? block.AsBlock().Eval({Value::Integer(nEntorno)}) : Value();
    if (!result.IsArray() || result.AsArray().size() < 2 || !result.AsArray()[1].IsString()) return false;
    const xb::Array items = result.AsArray();
    if (items[0].IsNumber()) view = static_cast<int>(items[0].AsDouble());
    alias = std::string(xb::AllTrim(items[1].AsString()));
    if (items.size() > 2 && items[2].IsString()) cCondLis = std::string(items[2].AsString());
    own_view = true;
  }
  if (alias.empty()) return false;
  bool printed = false;
  const ReportRunHook& hook = CurrentReportRunHook();
  if (!hook.sel_destino || hook.sel_destino(oStDestino, code, titulo)) {
    std::unique_ptr<ReportDevice> device;
    if (oStDestino.nDestino == 2) device = std::make_unique<TQZRFile>(std::string(xb::AllTrim(oStDestino.cFileDst)));
    else if (hook.device) device = hook.device(oStDestino, "Imprimiendo ...");
    if (device) {
      TDirectList list(device.get());
      list.nMgIzMM = margen;
      list.anFonts = fonts;
      const DesignedHeader header = ReadDesignedHeader(cabecera);
      RunProgress* progress = nullptr;
      list.bStartPage = [&](TDirectList& l) {
        if (progress != nullptr) progress->Page(l.nPage);
        l.nPxStartRow = ImprimeCabecera(*l.Device(), cabecera, l.nPage, titulo, cCondLis);
        l.nDnMargin = header.found ? l.Device()->MmToRow(header.pfinal) : 0;
      };
      // On the printer and the preview the listing runs under its progress dialog, which
      // shows the page and may cancel it; the pages made so far still print.
      if (hook.list_progress && !device->IsText() && device->Ready()) {
        bool played = false;
        hook.list_progress(*device, "Imprimiendo ...", [&](RunProgress& p) {
          if (played) return;
          played = true;
          progress = &p;
          list.bRefresh = [&] {
            if (p.Cancelled()) list.lBreak = true;
          };
          printed = list.Print(alias);
          progress = nullptr;
          list.bRefresh = nullptr;
        });
        if (!played) list.lBreak = true;  // cancelled before it started
        device->End();
      } else {
        printed = list.Execute(alias);
      }
      if (list.lBreak) printed = false;
      nPage = list.nPage;
    }
  }
  // The end: the work table closed, the view of the business function restored.
  if (own_view) {
    if (view > 0) data::RestoreView(view);
    WorkAreas& areas = WorkAreas::Get();
    if (const int n = areas.AreaOfAlias(alias); n > 0) areas.Area(n)->Close();
  }
  EndPreviewReport();
  return printed;
}

void RegisterReportRun() {
  // INFORMES(cPath, cInforme, nEntorno, aParams, cAlias, lList, cCondLis, lEuros)
  xb::RegisterFunction("INFORMES", [](xb::Args& a) {
    const std::string folder = Folder(a);
    const std::string code = a.Arg(2).IsString() ? std::string(xb::AllTrim(a.Str(2))) : std::string();
    if (code.empty()) {
      if (!lChkMenu("Informes")) return Value();
      // An open dictionary (its own window) is not indexed again under itself.
      if (TDictQZ::AliasOf("Informes").empty()) xb::CallFunction("DICTREINDEX", {Value::String(folder)});
      if (CurrentReportRunHook().show_list) CurrentReportRunHook().show_list(a.Arg(6).IsLogical() && !a.Log(6), folder);
      return Value();
    }
    if (TInforme::lRunning) {
      data::Ui().MsgStop("¡ Hay un informe en ejecución, por favor, espere a que finalize.!", "Atención.");
      return Value::Logical(false);
    }
    OpenedDictionary dict(folder);
    if (!dict.ok()) return Value::Logical(false);
    std::string chosen = code;
    const std::vector<std::string> following = InformesOf(code);
    if (following.size() > 1) {
      const Value v = xb::CallFunction("TI_UFINDINFORME", {Value::String(TDictQZ::AliasOf("Informes")), Value::String(code)});
      if (!v.IsString()) return Value::Logical(false);
      chosen = std::string(xb::AllTrim(v.AsString()));
    } else if (following.size() == 1) {
      chosen = following.front();
    }
    TInforme inf;
    TInforme::lRunning = true;
    bool ok = false;
    try {
      ok = inf.RunInforme(chosen, false, Text(a.Arg(5)), Text(a.Arg(7)), a.Arg(3).IsNumber() ? static_cast<int>(a.Int(3)) : 0,
                          a.Arg(4), a.Arg(8));
    } catch (...) {
      inf.EndPreviewReport();
      throw;
    }
    inf.EndPreviewReport();
    return Value::Logical(ok);
  });
  // INFGRAFICOS(cPath)
  xb::RegisterFunction("INFGRAFICOS", [](xb::Args& a) {
    if (!lChkMenu("InfGraficos")) return Value();
    const std::string folder = Folder(a);
    if (TDictQZ::AliasOf("Informes").empty()) xb::CallFunction("DICTREINDEX", {Value::String(folder)});
    if (CurrentReportRunHook().show_graphics) CurrentReportRunHook().show_graphics(folder);
    return Value();
  });
  // INFDIRECTO(cPath, cInforme, nEntorno, cAlias, cCond)
  xb::RegisterFunction("INFDIRECTO", [](xb::Args& a) {
    const std::string folder = Folder(a);
    if (TDictQZ::AliasOf("Informes").empty()) xb::CallFunction("DICTREINDEX", {Value::String(folder)});
    OpenedDictionary dict(folder);
    if (!dict.ok() || FindInforme(Text(a.Arg(2))) == nullptr) return Value::Logical(false);
    TInforme inf;
    return Value::Logical(inf.RunDirectInforme(Text(a.Arg(2)), a.Arg(3).IsNumber() ? static_cast<int>(a.Int(3)) : 0,
                                               Text(a.Arg(4)), Text(a.Arg(5))));
  });
}

}  // namespace reports
