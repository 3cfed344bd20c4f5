// The loop over the marked companies (LORGEMPR without its dialog): each company marked in
// the selection array, walked in code order, is blocked in `Empresa`, organised with its
// own settings and freed again.
//
// `Empresa` and the error table stay open in their own work areas across companies; every
// other area opened while a company is organised is closed after it. When `Empresa` is lost
// anyway, it is opened again to free the company, and the loop stops with a message.
#pragma once

#include <string>
#include <string_view>

#include "app/org/organise.h"
#include "app/org/reporting_events.h"

namespace app {

inline constexpr std::string_view kCompanyTableAlias = "Empresa";

// What the window does around each company.
class CompanyLoopView {
 public:
  virtual ~CompanyLoopView() = default;
  // The company is blocked and about to be organised.
  virtual void CompanyStarting(std::string_view code) {}
  // The company is organised and free again.
  virtual void CompanyFinished(std::string_view code) {}
};

struct CompanyLoopResult {
  int organised = 0;       // companies organised and freed
  bool completed = false;  // every marked company was; false when the company table was lost
};

// The data folder of a company: the start folder's own folder name followed by the code
// ("..\DBF\" and "01" give "..\DBF01\").
std::string CompanyFolder(std::string_view start_folder, std::string_view code);

// Organises every marked company; sets the organisation-done flag when it gets through all
// of them, and `Empresa` stands again on the company it stood on before. The folders and the current company (cPathDbf, cCodEmpresa, CurrentCompany) are
// those of the last company organised.
CompanyLoopResult OrganiseMarkedCompanies(const OrganiseOptions& options, ReportingEvents& events,
                                          CompanyLoopView& view);

}  // namespace app
