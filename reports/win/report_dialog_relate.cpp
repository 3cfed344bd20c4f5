// The duplicate dialog (" Duplicar informe") and the related reports of a master report
// ("TI_RELINFORME").
#include <windows.h>

#include <algorithm>

#include "reports/access_rules.h"
#include "reports/dictionary_rows.h"
#include "reports/report_definitions.h"
#include "reports/table_search.h"
#include "reports/tdictqz.h"
#include "reports/win/report_dialog.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "ui/core/msg_box.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }

WorkArea* AreaOf(std::string_view alias) {
  if (alias.empty()) return nullptr;
  const int n = WorkAreas::Get().AreaOfAlias(xb::AllTrim(alias));
  return n == 0 ? nullptr : WorkAreas::Get().Area(n);
}

std::string Text(WorkArea& a, std::string_view name) {
  const int pos = a.FieldPos(name);
  if (pos == 0 || a.eof()) return {};
  const Value v = a.GetField(pos);
  return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
}

std::string DlgText(HWND dialog, int id) {
  char buffer[256] = {};
  GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
  return std::string(xb::AllTrim(buffer));
}

struct ReportEntry {
  std::string code, description, master, category;
  bool maestro = false;
};

std::vector<ReportEntry> AllReports() {
  std::vector<ReportEntry> out;
  WorkArea* a = AreaOf(TDictQZ::AliasOf("Informes"));
  if (a == nullptr) return out;
  const int order = a->controlling_order();
  const std::uint32_t record = a->recno();
  a->SetControllingOrder(0);
  for (a->GoTop(); !a->eof(); a->Skip(1)) {
    if (a->Deleted()) continue;
    const Value m = a->GetField(a->FieldPos("MAESTRO"));
    out.push_back({Text(*a, "INFORME"), Text(*a, "DESCRIPC"), Text(*a, "INFMASTER"), Text(*a, "CATEGORIA"),
                   m.IsLogical() && m.AsLogical()});
  }
  a->SetControllingOrder(order);
  a->GoTo(record);
  return out;
}

std::string Shown(const ReportEntry& e) { return e.code + " - " + e.description; }

void FillList(HWND dialog, int id, const std::vector<ReportEntry>& entries) {
  SendDlgItemMessageA(dialog, id, LB_RESETCONTENT, 0, 0);
  for (const ReportEntry& e : entries)
    SendDlgItemMessageA(dialog, id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Shown(e).c_str()));
}

}  // namespace

bool DuplicateInformeDialog(const std::string& code) {
  const std::string informes = TDictQZ::AliasOf("Informes");
  WorkArea* list = AreaOf(informes);
  if (list == nullptr) return false;
  // The caller's list keeps its order (the access and the copy seek the code).
  struct Order {
    WorkArea& area;
    int order;
    ~Order() { area.SetControllingOrder(order); }
  } keep{*list, list->controlling_order()};
  if (cAccesoInforme(informes, code, false, true, "") != "2") {
    ui::MsgStop(Value::String("No dispone de acceso para duplicar este informe."), " Acceso denegado");
    return false;
  }
  std::string category;
  for (const ReportEntry& e : AllReports())
    if (Upper(e.code) == Upper(code)) category = e.category;
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TI_DUPLICAR_INFORME"), " Duplicar informe");
  ui::TDialog* box = dialog.get();
  bool done = false;
  const ui::WindowRef owner(box);
  auto find = svc::Button(dialog, 112, [box, owner] {
    std::string description;
    const Value chosen = uDblFinBin({.code_field = "CATEGORIA", .alias = TDictQZ::AliasOf("Categor")}, "Categoría",
                                    Value(owner), &description);
    if (!chosen.IsString()) return;
    SetDlgItemTextA(box->hWnd, 102, std::string(xb::AllTrim(chosen.AsString())).c_str());
    SetDlgItemTextA(box->hWnd, 122, description.c_str());
  });
  auto ok = svc::Button(dialog, IDOK, [&, box] {
    const std::string to = Upper(DlgText(box->hWnd, 101));
    const std::string cat = Upper(DlgText(box->hWnd, 102));
    if (to.empty()) {
      SetFocus(GetDlgItem(box->hWnd, 101));
      return;
    }
    if (cat.empty() || !lValidCategoria(TDictQZ::AliasOf("Categor"), cat)) {
      if (!cat.empty()) ui::MsgStop(Value::String("Categoría no válida"), "Atención");
      SetFocus(GetDlgItem(box->hWnd, 102));
      return;
    }
    if (!DuplicateInforme(code, to, cat)) return;
    done = true;
    box->End(IDOK);
  });
  auto cancel = svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); });
  svc::RunDialog(dialog, [box, category, list] {
    // The code and the category take no more than their fields hold.
    for (const auto& [id, field] : {std::pair{101, "INFORME"}, std::pair{102, "CATEGORIA"}})
      if (const int pos = list->FieldPos(field); pos > 0)
        SendDlgItemMessageA(box->hWnd, id, EM_LIMITTEXT, list->FieldAt(pos)->length, 0);
    SetDlgItemTextA(box->hWnd, 102, category.c_str());
    return true;
  });
  return done;
}

bool RelInforme(const std::string& code) {
  const std::vector<ReportEntry> reports = AllReports();
  auto self = std::find_if(reports.begin(), reports.end(), [&](const ReportEntry& e) { return Upper(e.code) == Upper(code); });
  if (self == reports.end() || !self->maestro) {
    ui::MsgStop(Value::String("Debe seleccionar un informe maestro para relacionar."), " Atención");
    return false;
  }
  // Those whose products hold (every one in debug mode), and those already following.
  std::vector<std::string> offered_codes;
  if (!TDictQZ::lDebug()) {
    for (const ChoiceRow& r : ChoiceRows({.code_field = "INFORME", .alias = TDictQZ::AliasOf("Informes")}))
      if (r.code.IsString()) offered_codes.push_back(Upper(r.code.AsString()));
  }
  auto available = std::make_shared<std::vector<ReportEntry>>();
  auto following = std::make_shared<std::vector<ReportEntry>>();
  for (const ReportEntry& e : reports) {
    if (Upper(e.code) == Upper(code)) continue;
    if (Upper(e.master) == Upper(code)) following->push_back(e);
    else if (TDictQZ::lDebug() ||
             std::find(offered_codes.begin(), offered_codes.end(), Upper(e.code)) != offered_codes.end())
      available->push_back(e);
  }
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TI_RELINFORME"));
  ui::TDialog* box = dialog.get();
  // TI_INFREL on the entries: the chosen one moves to the other list.
  const auto move = [box, available, following](bool forward) {
    const int id = forward ? 101 : 102;
    const LRESULT at = SendDlgItemMessageA(box->hWnd, id, LB_GETCURSEL, 0, 0);
    std::vector<ReportEntry>& from = forward ? *available : *following;
    std::vector<ReportEntry>& to = forward ? *following : *available;
    if (at == LB_ERR || static_cast<std::size_t>(at) >= from.size()) return;
    to.push_back(from[static_cast<std::size_t>(at)]);
    from.erase(from.begin() + at);
    FillList(box->hWnd, 101, *available);
    FillList(box->hWnd, 102, *following);
  };
  auto right = svc::Button(dialog, 103, [move] { move(true); });
  auto left = svc::Button(dialog, 104, [move] { move(false); });
  bool done = false;
  auto ok = svc::Button(dialog, IDOK, [&, box] {
    std::vector<std::string> codes;
    for (const ReportEntry& e : *following) codes.push_back(e.code);
    RelInformes(code, codes);
    done = true;
    box->End(IDOK);
  });
  auto cancel = svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); });
  svc::RunDialog(dialog, [box, available, following] {
    FillList(box->hWnd, 101, *available);
    FillList(box->hWnd, 102, *following);
    return true;
  });
  return done;
}

void RegisterRelatedReports() {
  // TI_INFREL(aFrom, aTo, nAt): element nAt of aFrom moved to the end of aTo.
  xb::RegisterFunction("TI_INFREL", [](xb::Args& a) {
    xb::Array from = a.Arr(1), to = a.Arr(2);
    const std::int64_t at = a.Int(3);
    if (!from || !to || at < 1 || static_cast<std::size_t>(at) > from.size()) return Value::Logical(false);
    to.Append(from.Get(static_cast<std::size_t>(at - 1)));
    for (std::size_t i = static_cast<std::size_t>(at - 1); i + 1 < from.size(); ++i) from[i] = from.Get(i + 1);
    from.Resize(from.size() - 1);
    return Value::Logical(true);
  });
}

}  // namespace reports
