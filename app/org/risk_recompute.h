// The recomputation of the customers' risk (option 5 of the organisation): what customers
// owe on delivery notes not yet invoiced and on receipts not yet paid, and how much of it is
// overdue, in the company's currency.
#pragma once

#include <string>

#include "app/org/organiser_events.h"
#include "data/currency.h"

namespace app {

// Opens the nine tables it needs exclusively, then sets `NRIESGOALC` and `NMOROSOS` of every
// customer. When a table cannot be opened nothing is changed and the result is false.
bool RecomputeRisk(const std::string& company_folder, const data::CompanySettings& company, OrganiserEvents& events);

class OrgTable;

// NTOTALB: the total of the delivery note `notes` stands on, from its lines in `lines`
// (order 1 by note number), each line and the total rounded to `decimals`.
double DeliveryNoteTotal(OrgTable& notes, OrgTable& lines, int decimals);

// The currency of the document a table stands on (CCODDIV, NVALEURO99, NVALEURO, NVALDIV).
data::DocumentCurrency CurrencyOf(const OrgTable& document);

// The same for passes over many documents: the fields found once.
class CurrencyFields {
 public:
  explicit CurrencyFields(const OrgTable& documents);
  data::DocumentCurrency Read(const OrgTable& document) const;

 private:
  int code_, euro_value99_, euro_value_, value_;
};

}  // namespace app
