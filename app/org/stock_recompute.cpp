#include "app/org/stock_recompute.h"

#include <array>
#include <vector>

#include "app/org/flat_key_map.h"
#include "app/org/index_catalogue.h"
#include "app/org/recompute_support.h"

namespace app {
namespace {

enum Sum { kPendingReceipt, kPendingDelivery, kEntries, kExits, kSums };
// The fields of Articulo that hold the sums.
constexpr std::string_view kSumFields[kSums] = {"NPENDREC", "NPENDSER", "NENTACU", "NSALACU"};

class Accumulators {
 public:
  Accumulators(OrgTable& articles, OrgTable& kits)
      : index_(articles, &kits), sums_(articles.RecordCount() + 1) {}

  // A line of `reference` moving `quantity`; with `expand`, a kit moves its components.
  void Add(std::string_view reference, double quantity, Sum sum, bool expand) {
    if (TrimRight(reference).empty()) return;
    if (!expand) {
      if (const std::uint32_t article = index_.Find(reference)) sums_[article][sum] += quantity;
      return;
    }
    for (const ArticleIndex::Part& part : index_.Parts(reference)) sums_[part.article][sum] += quantity * part.quantity;
  }
  const std::array<double, kSums>& Of(std::uint32_t article) const { return sums_[article]; }

 private:
  ArticleIndex index_;
  std::vector<std::array<double, kSums>> sums_;
};

// Every live record of a table, with the meter moving.
template <class F>
void EachRecord(OrgTable& table, OrganiserEvents& events, int meter, F&& f) {
  const std::uint32_t count = table.RecordCount();
  MeterPass pass(events, meter, count);
  for (std::uint32_t r = 1; r <= count; ++r) {
    if (table.GoToLive(r)) f();
    pass.Step();
  }
}

// The invoices of type 1 among `headers`, by serie and number.
FlatKeyMap TypeOneInvoices(OrgTable& headers, OrganiserEvents& events, int meter) {
  FlatKeyMap invoices;
  const int type = headers.Field("NTIPOFAC"), serie = headers.Field("CSERIE"), number = headers.Field("NNUMFAC");
  std::string key;
  EachRecord(headers, events, meter, [&] {
    if (headers.Num(type) != 1) return;
    DocumentKey(headers.Text(serie), headers.Num(number), &key);
    invoices.Insert(key, 0);
  });
  return invoices;
}

}  // namespace

bool RecomputeStock(const std::string& company_folder, OrganiserEvents& events) {
  events.Title("ACTUALIZANDO PENDIENTES");
  TableSet t;
  if (!t.OpenByRecord(company_folder,
                      {"Articulo", "PedProL", "PedCliL", "AlbProL", "CabProd", "Kits", "FacProL", "FacProT",
                       "AlbCliL", "FacCliL", "FacCliT", "HTicketL"},
                      events, {{"Articulo", kSumFields}})) {
    events.Skipped("ACTUALIZANDO PENDIENTES", "No se han actualizado los acumulados de artículos");
    return false;
  }
  OrgTable& articles = t["Articulo"];
  Accumulators acc(articles, t["Kits"]);

  // Pending quantities of the order lines not yet served.
  auto pending = [&](OrgTable& lines, int meter, Sum sum, bool expand) {
    const int ref = lines.Field("CREF"), ordered = lines.Field("NCANPED"), served = lines.Field("NCANENT");
    EachRecord(lines, events, meter, [&] {
      const double open = lines.Num(ordered) - lines.Num(served);
      if (open > 0) acc.Add(lines.Text(ref), open, sum, expand);
    });
  };
  pending(t["PedProL"], kPendingSupplierMeter, kPendingReceipt, false);
  pending(t["PedCliL"], kPendingCustomerMeter, kPendingDelivery, true);

  events.Title("ACTUALIZANDO ACUMULADO ENTRADAS");
  {
    OrgTable& lines = t["AlbProL"];
    const int ref = lines.Field("CREF"), qty = lines.Field("NCANENT");
    EachRecord(lines, events, kEntriesMeter, [&] { acc.Add(lines.Text(ref), lines.Num(qty), kEntries, false); });
  }
  {
    OrgTable& orders = t["CabProd"];
    const int ref = orders.Field("CREF"), closed = orders.Field("LCERRADA"), qty = orders.Field("NCANTIDAD");
    EachRecord(orders, events, kEntriesProductionMeter, [&] {
      if (orders.Log(closed)) acc.Add(orders.Text(ref), orders.Num(qty), kEntries, false);
    });
  }
  {
    // Supplier invoices of type 1: their lines are those of the same number and series (a
    // line of the same number in another series belongs to another invoice).
    OrgTable& headers = t["FacProT"];
    OrgTable& lines = t["FacProL"];
    const FlatKeyMap invoices = TypeOneInvoices(headers, events, kEntriesProductionMeter);
    const int serie = lines.Field("CSERIE"), number = lines.Field("NNUMFAC"), ref = lines.Field("CREF"),
              qty = lines.Field("NCANENT");
    std::string key;
    EachRecord(lines, events, kEntriesProductionMeter, [&] {
      DocumentKey(lines.Text(serie), lines.Num(number), &key);
      if (invoices.Find(key) != FlatKeyMap::kNone) acc.Add(lines.Text(ref), lines.Num(qty), kEntries, false);
    });
  }

  events.Title("ACTUALIZANDO ACUMULADO SALIDAS");
  {
    OrgTable& lines = t["AlbCliL"];
    const int ref = lines.Field("CREF"), qty = lines.Field("NCANENT");
    EachRecord(lines, events, kExitsMeter, [&] { acc.Add(lines.Text(ref), lines.Num(qty), kExits, true); });
  }
  {
    // Customer invoices of type 1; a line of serie "C" (a rectifying invoice) gives back.
    OrgTable& headers = t["FacCliT"];
    OrgTable& lines = t["FacCliL"];
    const FlatKeyMap invoices = TypeOneInvoices(headers, events, kExitsMeter);
    const int serie = lines.Field("CSERIE"), number = lines.Field("NNUMFAC"), ref = lines.Field("CREF"),
              qty = lines.Field("NCANENT");
    std::string key;
    EachRecord(lines, events, kExitsMeter, [&] {
      DocumentKey(lines.Text(serie), lines.Num(number), &key);
      if (invoices.Find(key) == FlatKeyMap::kNone) return;
      const double q = lines.Num(qty);
      acc.Add(lines.Text(ref), lines.Text(serie) == "C" ? -q : q, kExits, true);
    });
  }
  {
    OrgTable& lines = t["HTicketL"];
    const int ref = lines.Field("CREF"), qty = lines.Field("NCANT");
    EachRecord(lines, events, kExitsMeter, [&] { acc.Add(lines.Text(ref), lines.Num(qty), kExits, true); });
  }

  // Every article gets its sums, those without movements 0; a sum that does not fit its
  // field leaves it as it was.
  int fields[kSums];
  for (int s = 0; s < kSums; ++s) fields[s] = articles.Field(kSumFields[s]);
  const int ref = articles.Field("CREF");
  bool written = true;
  TableFailure failure;
  {
    NumberFit fit(&events, "Articulo");
    ErrorCatcher catcher;
    try {
      const std::uint32_t count = articles.RecordCount();
      for (std::uint32_t r = 1; r <= count; ++r) {
        if (!articles.GoToLive(r)) continue;
        const auto& sums = acc.Of(r);
        for (int s = 0; s < kSums; ++s)
          if (!fit.Put(articles, fields[s], sums[s], articles.Text(ref)) && articles.Fits(fields[s], sums[s]))
            written = false;
      }
      articles.area().Commit();
    } catch (const xb::UnhandledError&) {
      written = false;
    }
    if (catcher.caught()) {
      failure = catcher.Failure("Articulo", TablePath(company_folder, "Articulo"));
      written = false;
    }
  }
  if (!failure.table.empty()) events.TableFailed(failure);
  t.Close();
  return written;
}

}  // namespace app
