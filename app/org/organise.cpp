#include "app/org/organise.h"

#include <memory>
#include <vector>

#include "app/org/index_catalogue.h"
#include "app/org/index_data.h"
#include "app/org/phase_marks.h"
#include "app/org/risk_recompute.h"
#include "app/org/statistics.h"
#include "app/org/stock_recompute.h"
#include "runtime/rdd/dbf_table.h"
#include "runtime/rdd/workareas.h"

namespace app {

void OrganiserEvents::ReindexStartFolder(const std::string& start_folder) { ReindexMacroTable(start_folder, *this); }

OrganiseResult OrganiseCompany(const Folders& folders, const OrganiseOptions& options, const data::CompanySettings* company,
                               xb::Date working_date, OrganiserEvents& events) {
  OrganiseResult result;
  CatalogueIndexer indexer(folders, events);
  indexer.PlaceAside();
  const bool wanted[] = {false, options.auxiliary, options.masters, options.documents, options.accumulators};
  if (options.auxiliary) {
    for (int meter = 1; meter < kFirstCatalogueMeter; ++meter) events.Meter(meter, 100);
    events.Pump();
  }
  // The rows of one table, one after another in the catalogue, are built together (their
  // titles told by the indexer, in turn), each table's tags sorted while the next is packed.
  std::vector<const CatalogueRow*> rows;
  auto flush = [&] {
    indexer.IndexRowsAhead(rows);
    rows.clear();
  };
  for (const CatalogueRow& row : IndexCatalogue()) {
    if (!wanted[row.option] || row.after_statistics) continue;
    if (!rows.empty() && (rows.front()->table != row.table || rows.front()->folder != row.folder)) flush();
    rows.push_back(&row);
  }
  flush();
  indexer.Close();
  events.ReindexStartFolder(folders.start);
  MarkPhase("compactar e indexar");

  result.table_failed = indexer.failed();
  const char* why = result.table_failed ? "falta algún fichero" : !company ? "sin configuración" : nullptr;
  if (options.accumulators) {
    if (why) {
      events.Skipped("ACTUALIZANDO PENDIENTES", std::string("No se han actualizado los acumulados: ") + why);
    } else {
      result.stock = RecomputeStock(folders.company, events);
      MarkPhase("acumulados");
      if (company->statistics) {
        result.statistics = RebuildStatistics(folders.company, *company, working_date, events);
        for (const CatalogueRow& row : IndexCatalogue())
          if (row.after_statistics) indexer.IndexRow(row);
        indexer.Close();
        MarkPhase("graficos");
      }
      events.Meter(kStatisticsMeter, 100);
      events.Pump();
    }
  }
  if (options.risk) {
    if (why) events.Skipped("RIESGO DE CLIENTES", std::string("No se ha actualizado el riesgo: ") + why);
    else result.risk = RecomputeRisk(folders.company, *company, events);
    MarkPhase("riesgo");
  }
  return result;
}

namespace {

// A table read straight from its file, exclusively and without its index: the settings are
// read before the organisation rebuilds the indexes, so a damaged one must not matter.
class SettingsReader {
 public:
  bool Open(const std::string& folder, std::string_view table, OrganiserEvents& events) {
    const std::string path = TablePath(folder, table);
    xb::rdd::TableOpenOptions options;
    options.memo_kind = xb::rdd::dbf::MemoKind::kFpt;
    const xb::rdd::Status s = xb::rdd::DbfTable::Open(xb::rdd::WorkAreas::Get().file_system(), path, options, &table_);
    if (s.ok()) return true;
    events.TableFailed({std::string(table), s.file().empty() ? path : s.file(),
                        s.code() == xb::rdd::StatusCode::kIo ? s.os_code() : 0, s.message()});
    return false;
  }
  ~SettingsReader() {
    if (table_) (void)table_->Close();
  }
  // Goes to the next live record; false after the last.
  bool Next() {
    std::uint32_t count = 0;
    if (!table_->RecordCount(&count).ok()) return false;
    while (++record_ <= count) {
      if (table_->GoTo(record_).ok() && !table_->deleted()) return true;
    }
    return false;
  }
  const xb::rdd::dbf::Field* Field(std::string_view name) const {
    const int i = table_->FieldIndex(name);
    return i < 0 ? nullptr : &table_->fields()[static_cast<std::size_t>(i)];
  }
  std::string Text(std::string_view name) const {
    const auto* f = Field(name);
    return f ? std::string(TrimRight(xb::rdd::dbf::DecodeCharacter(table_->record(), *f))) : std::string();
  }
  double Num(std::string_view name) const {
    const auto* f = Field(name);
    return f ? xb::rdd::dbf::DecodeNumber(table_->record(), *f) : 0;
  }
  bool Log(std::string_view name) const {
    const auto* f = Field(name);
    return f && xb::rdd::dbf::DecodeLogical(table_->record(), *f);
  }

 private:
  std::unique_ptr<xb::rdd::DbfTable> table_;
  std::uint32_t record_ = 0;
};

}  // namespace

bool LoadCompanySettings(const std::string& company_folder, data::CompanySettings* settings, OrganiserEvents& events) {
  data::CompanySettings loaded;
  {
    SettingsReader claves;
    if (!claves.Open(company_folder, "Claves", events)) return false;
    if (claves.Next()) {
      loaded.currency = claves.Text("CCODDIV");
      loaded.result_decimals = static_cast<int>(claves.Num("NDECRES"));
      loaded.irpf_on_vat = claves.Log("LIRPFAGR");
      loaded.statistics = claves.Log("LGRAFCLI");
      loaded.discount_pp = claves.Log("LDTOPP");
      loaded.discount_esp = claves.Log("LDTOESP");
    }
    if (loaded.currency.empty()) loaded.currency = "EUR";
  }
  SettingsReader currencies;
  if (!currencies.Open(company_folder, "Divisas", events)) return false;
  while (currencies.Next()) {
    data::Currency c;
    c.code = currencies.Text("CCODDIV");
    c.price_decimals = static_cast<int>(currencies.Num("NDECPREC"));
    c.result_decimals = static_cast<int>(currencies.Num("NDECRES"));
    c.euro_value = currencies.Num("NVALEURO99");
    c.rate = currencies.Num("NTASACONV");
    c.euro_zone = currencies.Log("LZONAEURO");
    c.value = currencies.Num("NVALDIV");
    loaded.AddCurrency(c);
  }
  *settings = std::move(loaded);
  return true;
}

}  // namespace app
