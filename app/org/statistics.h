// Monthly statistics (`Graph`) and the document totals they are made of: per customer, agent
// and supplier, the amounts invoiced each month of this year and of last year, in the
// company's currency, with a totals row for customers and one for suppliers.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "app/org/flat_key_map.h"
#include "app/org/org_table.h"
#include "app/org/organiser_events.h"
#include "data/currency.h"
#include "runtime/date.h"

namespace app {

// NTOTFAC's six numbers.
struct InvoiceTotals {
  double base = 0;         // taxable base
  double vat = 0;
  double surcharge = 0;    // equivalence surcharge
  double outlays = 0;      // lines paid on the customer's behalf, not taxed
  double withholding = 0;  // income-tax withholding
  double financial = 0;    // financial surcharge
  double Total() const { return base + vat + surcharge + outlays - withholding + financial; }
};

// What the totals read of a document's header (an invoice, a delivery note, a ticket).
struct DocumentHeader {
  std::string serie, currency;
  double number = 0;
  double euro_value = 0;    // NVALEURO, the value NCHANGEDIVPTS converts with
  bool vat_included = false;
  double special_discount = 0, prompt_discount = 0;  // NDTOESP, NDPP
  double discount = 0;      // NDTO of a ticket's header
  double freight = 0, freight_vat = 0;
  int vat_kind = 1;         // NTIPOIVA: 1 VAT by rates, 2 one flat rate
  bool surcharge = false;   // LRECARGO
  double withholding = 0, flat_vat = 0, financial = 0;  // NIRPF, NPORCIVA, NRECFINANC
  int financial_on = 1;     // NTRECFIN: 1 on the base, else on the total
};

// Field positions of a document table, found once.
struct HeaderFields {
  explicit HeaderFields(const OrgTable& t);
  DocumentHeader Read(const OrgTable& t) const;
  int serie, number, currency, euro_value, vat_included, special, prompt, discount, freight, freight_vat, vat_kind,
      surcharge, withholding, flat_vat, financial, financial_on;
};
struct LineFields {
  explicit LineFields(const OrgTable& t);
  int serie, number, ref, qty, ticket_qty, price, price_div, discount, line_discount, vat, outlay;
};

// An invoice's lines summed by VAT rate (three rates at most), before the header's
// discounts and taxes.
struct InvoiceLines {
  struct Slot {
    double rate = 0, base = 0, surcharge_rate = 0;
    bool used = false;
  };
  std::array<Slot, 3> slots{};
  double outlays = 0, gross = 0;
  bool fourth_rate = false;  // a line of a fourth rate found no slot
};

// Totals of documents, with what they look up (an article's advance flag, a VAT rate's
// surcharge) remembered while the object lives.
class DocumentTotals {
 public:
  DocumentTotals(const data::CompanySettings& company, OrgTable* vat, OrgTable* articles);
  // For passes over many documents: the advances are read in one pass over the articles
  // instead of sought one reference at a time.
  void ReadAllAdvances();

  // NTOTFAC: the customer invoice `header` stands on, from its lines (order 1, by serie and
  // number). `lines_only`: the header discounts only as the company's flags enable them.
  // `warn`: a fourth VAT rate shows the stop message. Signs are negative for serie "C".
  InvoiceTotals Invoice(OrgTable& header, OrgTable& lines, bool lines_only, bool warn, bool include_advances);
  // The same in two steps, for passes that gather the lines of many invoices at once: each
  // line into its invoice's sums, then the invoice from its sums.
  void AddInvoiceLine(InvoiceLines& sums, const DocumentHeader& header, const OrgTable& lines, const LineFields& f,
                      bool include_advances);
  InvoiceTotals Finish(const DocumentHeader& header, const InvoiceLines& sums, bool lines_only, bool warn) const;

  // NTOTDOCEST: the amount of the line `lines` stands on, of kind 1 to 5, in the company's
  // currency.
  double Line(const DocumentHeader& header, const OrgTable& lines, const LineFields& f, int kind, double multiplier = 1,
              bool include_outlays = false);

 private:
  bool IsAdvance(std::string_view reference);
  // The reference as the order Upper( cRef ) holds it, in a buffer reused by every lookup.
  std::string_view KeyOf(std::string_view reference);
  double SurchargeRate(double vat_rate);

  const data::CompanySettings& company_;
  OrgTable* vat_;
  OrgTable* articles_;
  FlatKeyMap advance_;  // reference -> 1 when an advance, 0 when not
  std::string key_;
  bool all_advances_ = false;
  std::unordered_map<double, double> surcharge_;
};

// The twelve tables of UPDATEGRAPH, in the order of its arguments.
struct GraphTables {
  OrgTable *customers, *agents, *suppliers, *graph, *invoices, *invoice_lines, *vat, *notes, *note_lines,
      *supplier_invoices, *supplier_invoice_lines, *articles;
};

// UPDATEGRAPH: `kind` empty rebuilds the whole table; "C", "A" or "P" with a code rebuilds
// that customer's, agent's or supplier's rows and corrects the totals row. This year is the
// working date's. Every table's record and order are put back at the end. A value that does
// not fit its field keeps the row's old one and is told to `events` (when given); the whole
// table is emptied only once its new rows are made.
void UpdateGraph(std::string_view kind, std::string_view code, GraphTables& tables, const data::CompanySettings& company,
                 xb::Date working_date, OrganiserEvents* events = nullptr);

// The statistics step of the organisation: opens the twelve tables exclusively and rebuilds
// `Graph`, written without its index (its index file is erased; the organisation creates its
// tag afterwards). False, changing nothing, when a table cannot be opened.
bool RebuildStatistics(const std::string& company_folder, const data::CompanySettings& company, xb::Date working_date,
                       OrganiserEvents& events);

// Registers UPDATEGRAPH, NTOTFAC and NTOTDOCEST for run-time compiled text; they work on
// the tables open under the aliases given and read the current company's settings.
void RegisterStatisticsFunctions();

}  // namespace app
