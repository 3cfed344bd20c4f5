// One company's organisation without its dialog (GENINDICES): the catalogue option by
// option, the start folder's tables, then the recomputations the options ask for. The
// progress dialog runs this with its meters and messages as the events.
#pragma once

#include "app/org/organiser_events.h"
#include "data/currency.h"
#include "runtime/date.h"

namespace app {

// The five check boxes of the progress dialog.
struct OrganiseOptions {
  bool auxiliary = true;     // 1: auxiliary tables
  bool masters = true;       // 2: master files
  bool documents = true;     // 3: documents
  bool accumulators = true;  // 4: gaps table, stock accumulators and (when kept) statistics
  bool risk = false;         // 5: customer risk
};

struct OrganiseResult {
  bool table_failed = false;  // a catalogue table did not open: no recomputation was run
  bool stock = false;         // the accumulators were recomputed
  bool statistics = false;    // the statistics were rebuilt
  bool risk = false;          // the customer risk was recomputed
};

// The company's data folder and the start folder are given; `company` holds its settings
// (read from its own `Claves` and `Divisas`), nullptr when they could not be read: the
// tables are organised all the same, and the recomputations are skipped and told. This
// year is the working date's.
OrganiseResult OrganiseCompany(const Folders& folders, const OrganiseOptions& options, const data::CompanySettings* company,
                               xb::Date working_date, OrganiserEvents& events);

// Reads a company's settings from its `Claves` and `Divisas` (opened exclusively and closed
// again). False, with the failure reported, when either cannot be read.
bool LoadCompanySettings(const std::string& company_folder, data::CompanySettings* settings, OrganiserEvents& events);

}  // namespace app
