#include "app/program/organisation_functions.h"

#include "app/org/organisation_state.h"
#include "app/program/error_list.h"
#include "app/program/progress_dialog.h"
#include "data/currency.h"
#include "data/program_settings.h"
#include "runtime/args.h"
#include "runtime/function_table.h"
#include "ui/bridge/message_loop.h"

namespace app {
namespace {

using xb::Args;
using xb::Value;

ui::WindowRef WindowArg(Args& a, int i) {
  const Value v = a.Arg(i);
  if (!v.IsObject()) return {};
  return ui::WindowRef(dynamic_cast<ui::TWindow*>(v.AsObject().get()));
}

// Reports without the dialog: the group title goes to the label given, if any.
class LabelEvents final : public ReportingEvents, public CompanyLoopView {
 public:
  explicit LabelEvents(ui::WindowRef label) : label_(std::move(label)) {}
  void Title(std::string_view title) override {
    if (auto* say = dynamic_cast<ui::TSay*>(label_.get())) {
      say->SetText(Value::String(title));
      if (say->hWnd) UpdateWindow(say->hWnd);
    }
  }
  void Pump() override { ui::SysRefresh(); }

 private:
  ui::WindowRef label_;
};

Value IndexAllFn(Args& a) {
  IndexAll(WindowArg(a, 1));
  return Value();
}

Value LOrgEmprFn(Args& a) {
  if (ProgressDialog* progress = ProgressDialog::Current()) {
    progress->Start();
    return Value();
  }
  CloseIndexDataTable();
  LabelEvents events(WindowArg(a, 4));
  ChecksDisable({WindowArg(a, 1), WindowArg(a, 2)});
  OrganiseMarkedCompanies(OrganiseOptions{}, events, events);
  if (ui::WindowRef dialog = WindowArg(a, 6)) dialog->End();
  return Value();
}

Value GenIndicesFn(Args& a) {
  CloseIndexDataTable();
  ProgressDialog* progress = ProgressDialog::Current();
  LabelEvents loose(WindowArg(a, 2));
  ReportingEvents& events = progress ? static_cast<ReportingEvents&>(*progress) : loose;
  events.SetCompany(data::cCodEmpresa());
  OrganiseCompany(Folders{data::cPathDbf(), data::cPathStart()}, progress ? progress->Options() : OrganiseOptions{},
                  &data::CurrentCompany(), data::dSetDate(), events);
  return Value();
}

Value IndexDataFn(Args& a) {
  CatalogueIndexer& indexer = IndexDataIndexer();
  const std::string folder = a.Arg(7).IsString() && !a.Str(7).empty() ? std::string(a.Str(7)) : data::cPathDbf();
  indexer.IndexTag(a.Str(2), folder, a.Str(1), a.Str(3), a.Arg(8).AsLogical(), static_cast<int>(a.Arg(4).AsInt()));
  return Value();
}

Value ChecksDisableFn(Args& a) {
  std::vector<ui::WindowRef> controls;
  if (const xb::Array list = a.Arg(1).AsArray()) {
    for (const Value& v : list)
      if (v.IsObject()) controls.emplace_back(dynamic_cast<ui::TWindow*>(v.AsObject().get()));
  }
  ChecksDisable(controls);
  return Value();
}

Value LDspOrgFn(Args& a) {
  LDspOrg(WindowArg(a, 1));
  return Value();
}

}  // namespace

void RegisterOrganisationWindowFunctions() {
  xb::RegisterFunction("INDEXALL", IndexAllFn);
  xb::RegisterFunction("LORGEMPR", LOrgEmprFn);
  xb::RegisterFunction("GENINDICES", GenIndicesFn);
  xb::RegisterFunction("INDEXDATA", IndexDataFn);
  xb::RegisterFunction("CHECKSDISABLE", ChecksDisableFn);
  xb::RegisterFunction("LDSPORG", LDspOrgFn);
}

}  // namespace app
