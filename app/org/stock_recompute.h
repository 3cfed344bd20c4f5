// The recomputation of the articles' accumulators (option 4 of the organisation): pending
// receipts and deliveries from the open order lines, entries from supplier delivery notes,
// closed production orders and supplier invoices, exits from customer delivery notes,
// customer invoices and closed tickets. Kits move their components.
#pragma once

#include <string>

#include "app/org/organiser_events.h"

namespace app {

// Opens the twelve tables of the company folder it needs exclusively, computes, and writes
// `NPENDREC`, `NPENDSER`, `NENTACU` and `NSALACU` of every article. When a table cannot be
// opened nothing is changed, the failure is reported, and the result is false.
bool RecomputeStock(const std::string& company_folder, OrganiserEvents& events);

}  // namespace app
