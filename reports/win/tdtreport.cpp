#include "reports/win/tdtreport.h"

#include <windows.h>

#include <cstdio>

#include "output/browse_report.h"
#include "output/trline.h"
#include "runtime/function_table.h"
#include "runtime/lib/dates.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/tdialog.h"
#include "ui/core/value_text.h"

namespace reports {
namespace {

using xb::Value;

Value Text(std::string text) {
  return Value(xb::Block::Native([text = std::move(text)](xb::Args&) { return Value::String(text); }));
}

// "Fecha: " date ", Hora: " time, one reading of the clock.
std::string DateTimeLine() {
  const xb::LocalTime now = xb::CurrentLocalTime();
  char time[16];
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", now.hour, now.minute, now.second);
  return "Fecha: " + xb::DToC(xb::Date::FromYmd(now.year, now.month, now.day)) + ", Hora: " + time;
}

// TI_REPORT: every field of the browse's table, record by record from the top.
void TableReport(const std::string& alias) {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int n = areas.AreaOfAlias(alias);
  if (n == 0) return;
  xb::rdd::WorkArea& a = *areas.Area(n);
  std::vector<std::string> titles;
  std::vector<int> widths;
  for (int i = 1; i <= a.FieldCount(); ++i) {
    const xb::rdd::dbf::Field* f = a.FieldAt(i);
    titles.emplace_back(f->name);
    widths.push_back(std::max<int>(static_cast<int>(f->name.size()), f->length));
  }
  std::vector<std::vector<std::string>> rows;
  const std::uint32_t at = a.recno();
  for (a.GoTop(); !a.eof(); a.Skip(1)) {
    std::vector<std::string> row;
    for (int i = 1; i <= a.FieldCount(); ++i) row.push_back(ui::CValToChar(a.GetField(i)));
    rows.push_back(std::move(row));
  }
  a.GoTo(at);
  output::PrintRows("Report: " + alias, DateTimeLine(), "Página: ", titles, widths, rows, true);
}

}  // namespace

TDTReport::TDTReport() : output::TReport(Cls()) {}

const xb::Class& TDTReport::Cls() {
  static const xb::Class& c = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TDTREPORT", &output::TReport::Cls());
    c.Property("ODLG", [](xb::Object& o) { return Value(xb::Class::Cast<TDTReport>(o).oRptWnd); }, nullptr);
    return c;
  }();
  return c;
}

void TDTReport::Init(const NewParams& params) {
  NewParams p = params;
  if (p.document.empty()) p.document = "Listado QZ";
  output::TReport::Init(p);
}

void TDTReport::StartPage() {
  // The progress dialog is titled with the document once it shows.
  if (auto* dialog = dynamic_cast<ui::TDialog*>(oRptWnd.get()); dialog != nullptr && dialog->hWnd != nullptr && nPage == 0)
    SetWindowTextA(dialog->hWnd, cName.c_str());
  output::TReport::StartPage();
}

bool PrintBrowseRows(const std::string& title, const std::vector<std::string>& titles, const std::vector<int>& widths,
                     const std::vector<std::vector<std::string>>& rows, bool preview, const std::string& file) {
  TDTReport::NewParams p;
  p.title = {Text(title)};
  p.header = {Text(DateTimeLine())};
  p.to_printer = !preview && file.empty();
  p.to_screen = preview && file.empty();
  p.file = file;
  p.document = title;
  auto report = xb::MakeRef<TDTReport>();
  report->Init(p);
  output::RunRows(*report, "Página: ", titles, widths, rows);
  return report->lCreated && !report->lBreak;
}

void RegisterTDTReport() {
  (void)TDTReport::Cls();
  xb::RegisterFunction("TDTREPORT", [](xb::Args&) { return Value(xb::MakeRef<TDTReport>()); });
  // TI_REPORT(oBrw)
  xb::RegisterFunction("TI_REPORT", [](xb::Args& a) {
    auto* browse = dynamic_cast<ui::TWBrowse*>(a.Obj(1).get());
    if (browse != nullptr) TableReport(browse->cAlias);
    return Value();
  });
}

}  // namespace reports
