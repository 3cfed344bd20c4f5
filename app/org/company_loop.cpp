#include "app/org/company_loop.h"

#include <algorithm>
#include <vector>

#include "app/org/error_table.h"
#include "app/org/organisation_state.h"
#include "app/org/phase_marks.h"
#include "data/currency_functions.h"
#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "runtime/rdd/workareas.h"
#include "runtime/symbol.h"

namespace app {
namespace {

using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

WorkArea* CompanyArea() {
  const int number = WorkAreas::Get().AreaOfAlias(kCompanyTableAlias);
  return number ? WorkAreas::Get().Area(number) : nullptr;
}

std::string CodeOf(WorkArea& empresa) {
  const int pos = empresa.FieldPos("CODEMP");
  return pos ? std::string(TrimRight(empresa.GetField(pos).AsString())) : std::string();
}

// Stands on the company's record: the one it was on, else the first with its code.
bool GoToCompany(WorkArea& empresa, std::uint32_t record, const std::string& code) {
  empresa.GoTo(record);
  if (!empresa.eof() && CodeOf(empresa) == code) return true;
  const std::uint32_t count = empresa.RecordCount();
  for (std::uint32_t r = 1; r <= count; ++r) {
    empresa.GoTo(r);
    if (!empresa.Deleted() && CodeOf(empresa) == code) return true;
  }
  return false;
}

// LACTIVA: the company shows as blocked to everyone else while it is organised. Written at
// once, so another program that reads the table sees it.
bool SetBlocked(WorkArea& empresa, bool blocked) {
  const int pos = empresa.FieldPos("LACTIVA");
  if (!pos) return false;
  ErrorCatcher catcher;
  try {
    const std::uint32_t record = empresa.recno();
    if (!empresa.LockRecord(record, true)) return false;
    const bool written = empresa.PutField(pos, xb::Value::Logical(blocked));
    empresa.Commit();
    empresa.Unlock(record);
    return written && !catcher.caught();
  } catch (const xb::UnhandledError&) {
    return false;
  }
}

// The areas that hold a table now. The organisation opens its tables in the lowest free
// areas, so the first ones are all that can be in use.
constexpr int kScannedAreas = 1024;
std::vector<int> AreasInUse() {
  std::vector<int> used;
  for (int n = 1; n <= kScannedAreas; ++n)
    if (WorkAreas::Get().Area(n)->used()) used.push_back(n);
  return used;
}

// Closes what the company's organisation left open; the company table and the error table
// stay.
void CloseAreasOpenedSince(const std::vector<int>& before) {
  for (int n : AreasInUse()) {
    if (std::find(before.begin(), before.end(), n) != before.end()) continue;
    WorkArea& area = *WorkAreas::Get().Area(n);
    if (area.alias() == xb::UpperName(kCompanyTableAlias) || area.alias() == xb::UpperName(kErrorTableAlias)) continue;
    area.Close();
  }
}

// The company table is gone: opened again to free the company, then the loop stops.
void CompanyTableLost(const std::string& code, std::uint32_t record) {
  bool freed = false;
  {
    const int selected = WorkAreas::Get().CurrentArea();
    data::NetUseOptions options;
    options.exclusive = true;
    options.retries = 3;
    options.alias = std::string(kCompanyTableAlias);
    if (data::lNetUse(data::cPathStart() + "Empresa", options)) {
      WorkArea* empresa = CompanyArea();
      empresa->SetControllingOrder(1);
      freed = GoToCompany(*empresa, record, code) && SetBlocked(*empresa, false);
    }
    WorkAreas::Get().SelectArea(selected);
  }
  if (freed) {
    data::Ui().MsgStop(data::JoinLines({"Se ha perdido el acceso al fichero de Empresas.", "La organización se ha detenido."}),
                 "Error");
  } else {
    data::Ui().MsgStop(data::JoinLines({"Se ha perdido el acceso al fichero de Empresas.", "La organización se ha detenido.",
                            "La empresa " + code + " ha quedado bloqueada: libérela antes de trabajar en ella."}),
                 "Error");
  }
}

}  // namespace

std::string CompanyFolder(std::string_view start_folder, std::string_view code) {
  std::string folder(start_folder);
  char separator = '\\';
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
    separator = folder.back();
    folder.pop_back();
  }
  return folder + std::string(code) + separator;
}

CompanyLoopResult OrganiseMarkedCompanies(const OrganiseOptions& options, ReportingEvents& events,
                                          CompanyLoopView& view) {
  CompanyLoopResult result;
  WorkArea* empresa = CompanyArea();
  if (!empresa) {
    data::Ui().MsgStop(data::JoinLines({"El fichero de Empresas no está abierto.", "La organización no se ha realizado."}),
                 "Error");
    return result;
  }
  // The company the window stands on, to stand on again at the end: the walk leaves the
  // table at its end, where a browse shows an empty row.
  const std::uint32_t current = empresa->recno();
  const std::string current_code = CodeOf(*empresa);
  empresa->SetControllingOrder(1);
  empresa->GoTop();
  while (!empresa->eof()) {
    const std::uint32_t record = empresa->recno();
    if (!IsCompanyMarked(record)) {
      empresa->Skip(1);
      continue;
    }
    const std::string code = CodeOf(*empresa);
    const std::string folder = CompanyFolder(data::cPathStart(), code);
    data::cPathDbf(folder);
    data::cCodEmpresa(code);
    events.SetCompany(code);
    SetBlocked(*empresa, true);
    view.CompanyStarting(code);

    const std::vector<int> before = AreasInUse();
    data::CompanySettings settings;
    const bool have_settings = LoadCompanySettings(folder, &settings, events);
    if (have_settings) data::CurrentCompany() = std::move(settings);
    else data::ResetCurrentCompany();
    OrganiseCompany(Folders{folder, data::cPathStart()}, options, have_settings ? &data::CurrentCompany() : nullptr, data::dSetDate(),
                    events);
    CloseAreasOpenedSince(before);

    empresa = CompanyArea();
    if (!empresa) {
      CompanyTableLost(code, record);
      return result;
    }
    empresa->SetControllingOrder(1);
    if (GoToCompany(*empresa, record, code)) SetBlocked(*empresa, false);
    EnsureErrorTableOpen();
    data::cPathDbf(folder);
    ++result.organised;
    view.CompanyFinished(code);
    MarkPhase("cierre de la empresa");

    // Whatever the window did with the record pointer, the walk goes on after this company.
    empresa = CompanyArea();
    if (!empresa) {
      CompanyTableLost(code, record);
      return result;
    }
    empresa->SetControllingOrder(1);
    GoToCompany(*empresa, record, code);
    empresa->Skip(1);
  }
  if (!GoToCompany(*empresa, current, current_code)) empresa->GoTop();
  SetOrganisationDone(true);
  result.completed = true;
  return result;
}

}  // namespace app
