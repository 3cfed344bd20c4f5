#include "app/organise.h"

#include "app/index_catalogue.h"
#include "app/index_data.h"
#include "app/risk_recompute.h"
#include "app/statistics.h"
#include "app/stock_recompute.h"

namespace app {

void OrganiserEvents::ReindexStartFolder(const std::string& start_folder) { ReindexMacroTable(start_folder, *this); }

OrganiseResult OrganiseCompany(const Folders& folders, const OrganiseOptions& options, const CompanySettings& company,
                               xb::Date working_date, OrganiserEvents& events) {
  OrganiseResult result;
  CatalogueIndexer indexer(folders, events);
  const bool wanted[] = {false, options.auxiliary, options.masters, options.documents, options.accumulators};
  if (options.auxiliary) {
    for (int meter = 1; meter < kFirstCatalogueMeter; ++meter) events.Meter(meter, 100);
    events.Pump();
  }
  for (const CatalogueRow& row : IndexCatalogue()) {
    if (!wanted[row.option] || row.after_statistics) continue;
    if (!row.title.empty()) events.Title(row.title);
    indexer.IndexRow(row);
  }
  indexer.Close();
  events.ReindexStartFolder(folders.start);

  result.table_failed = indexer.failed();
  if (options.accumulators) {
    if (result.table_failed) {
      events.Skipped("ACTUALIZANDO PENDIENTES", "No se han actualizado los acumulados: falta algún fichero");
    } else {
      result.stock = RecomputeStock(folders.company, events);
      if (company.statistics) {
        result.statistics = RebuildStatistics(folders.company, company, working_date, events);
        for (const CatalogueRow& row : IndexCatalogue())
          if (row.after_statistics) indexer.IndexRow(row);
        indexer.Close();
      }
      events.Meter(kStatisticsMeter, 100);
      events.Pump();
    }
  }
  if (options.risk) {
    if (result.table_failed) events.Skipped("RIESGO DE CLIENTES", "No se ha actualizado el riesgo: falta algún fichero");
    else result.risk = RecomputeRisk(folders.company, company, events);
  }
  return result;
}

bool LoadCompanySettings(const std::string& company_folder, CompanySettings* settings, OrganiserEvents& events) {
  CompanySettings loaded;
  {
    OrgTable claves;
    TableFailure failure;
    if (!claves.Open(company_folder, "Claves", &failure)) {
      events.TableFailed(failure);
      return false;
    }
    claves.GoTop();
    loaded.currency = std::string(TrimRight(claves.Text(claves.Field("CCODDIV"))));
    if (loaded.currency.empty()) loaded.currency = "EUR";
    loaded.result_decimals = static_cast<int>(claves.Num(claves.Field("NDECRES")));
    loaded.irpf_on_vat = claves.Log(claves.Field("LIRPFAGR"));
    loaded.statistics = claves.Log(claves.Field("LGRAFCLI"));
    loaded.discount_pp = claves.Log(claves.Field("LDTOPP"));
    loaded.discount_esp = claves.Log(claves.Field("LDTOESP"));
  }
  OrgTable currencies;
  TableFailure failure;
  if (!currencies.Open(company_folder, "Divisas", &failure)) {
    events.TableFailed(failure);
    return false;
  }
  const std::uint32_t count = currencies.RecordCount();
  for (std::uint32_t r = 1; r <= count; ++r) {
    if (!currencies.GoToLive(r)) continue;
    Currency c;
    c.code = std::string(TrimRight(currencies.Text(currencies.Field("CCODDIV"))));
    c.price_decimals = static_cast<int>(currencies.Num(currencies.Field("NDECPREC")));
    c.result_decimals = static_cast<int>(currencies.Num(currencies.Field("NDECRES")));
    c.euro_value = currencies.Num(currencies.Field("NVALEURO99"));
    c.rate = currencies.Num(currencies.Field("NTASACONV"));
    c.euro_zone = currencies.Log(currencies.Field("LZONAEURO"));
    c.value = currencies.Num(currencies.Field("NVALDIV"));
    loaded.AddCurrency(c);
  }
  *settings = std::move(loaded);
  return true;
}

}  // namespace app
