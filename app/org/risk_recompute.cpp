#include "app/org/risk_recompute.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "app/org/index_catalogue.h"
#include "app/org/recompute_support.h"

namespace app {

data::DocumentCurrency CurrencyOf(const OrgTable& document) { return CurrencyFields(document).Read(document); }

CurrencyFields::CurrencyFields(const OrgTable& documents)
    : code_(documents.Field("CCODDIV")),
      euro_value99_(documents.Field("NVALEURO99")),
      euro_value_(documents.Field("NVALEURO")),
      value_(documents.Field("NVALDIV")) {}

data::DocumentCurrency CurrencyFields::Read(const OrgTable& document) const {
  data::DocumentCurrency c;
  c.code = std::string(TrimRight(document.Text(code_)));
  if (euro_value99_) c.euro_value99 = document.Num(euro_value99_);
  c.euro_value = document.Num(euro_value_);
  c.value = document.Num(value_);
  return c;
}

double DeliveryNoteTotal(OrgTable& notes, OrgTable& lines, int decimals) {
  const double number = notes.Num(notes.Field("NNUMALB"));
  const int l_number = lines.Field("NNUMALB"), qty = lines.Field("NCANENT"), price = lines.Field("NPREUNIT"),
            dto = lines.Field("NDTO"), dto_line = lines.Field("NDTOLIN");
  double sum = 0;
  lines.SetOrder(1);
  for (bool more = lines.Seek(xb::rdd::KeyValue::Number(number)); more && !lines.eof(); lines.Skip()) {
    if (lines.Num(l_number) != number) break;
    sum += data::RoundAmount(lines.Num(qty) * lines.Num(price) * (1 - lines.Num(dto) / 100) - lines.Num(dto_line), decimals);
  }
  const double discounts = (1 - notes.Num(notes.Field("NDTOESP")) / 100) * (1 - notes.Num(notes.Field("NDPP")) / 100);
  return data::RoundAmount(sum * discounts, decimals) + notes.Num(notes.Field("NPORTES"));
}

namespace {
// The fields of Clientes the risk is written to.
constexpr std::string_view kRiskFields[] = {"NRIESGOALC", "NMOROSOS"};
}  // namespace

bool RecomputeRisk(const std::string& company_folder, const data::CompanySettings& company, OrganiserEvents& events) {
  TableSet t;
  if (!t.OpenByRecord(company_folder,
                      {"Clientes", "AlbCliT", "AlbCliL", "FacCliT", "FacCliL", "Ivas", "Divisas", "Recibos", "Claves"},
                      events, {{"Clientes", kRiskFields}})) {
    events.Skipped("RIESGO DE CLIENTES", "No se ha actualizado el riesgo de los clientes");
    return false;
  }
  OrgTable& customers = t["Clientes"];
  const int code = customers.Field("CCODCLI");
  // The customer a code finds (the first live record of the code), as a seek would.
  const auto found = FirstRecordByKey(customers, [&] { return std::string(TrimRight(customers.Text(code))); });
  auto customer = [&](std::string_view wanted) -> std::uint32_t {
    auto it = found.find(std::string(TrimRight(wanted)));
    return it == found.end() ? 0 : it->second;
  };
  struct Risk {
    double risk = 0, overdue = 0;
  };
  std::vector<Risk> risks(customers.RecordCount() + 1);
  events.Meter(kRiskResetMeter, 100);
  events.Pump();
  const int result_decimals = data::ResultDecimals(company);

  // Delivery notes not invoiced: their totals (NTOTALB) from their lines, gathered by note
  // number in one pass over the lines; the lines of a number count for every note of it.
  {
    OrgTable& currencies = t["Divisas"];
    const int div_code = currencies.Field("CCODDIV"), div_decimals = currencies.Field("NDECRES");
      const auto currency_records =
        FirstRecordByKey(currencies, [&] { return std::string(TrimRight(currencies.Text(div_code))); });

    OrgTable& notes = t["AlbCliT"];
    const int invoiced = notes.Field("LFACTURADO"), client = notes.Field("CCODCLI"), currency = notes.Field("CCODDIV"),
              number = notes.Field("NNUMALB"), special = notes.Field("NDTOESP"), prompt = notes.Field("NDPP"),
              freight = notes.Field("NPORTES");
    const CurrencyFields note_currency(notes);
    struct Note {
      std::uint32_t customer;
      double number, factor, freight, value;
      int decimals;
    };
    std::vector<Note> open;
    std::unordered_map<double, std::vector<std::pair<int, double>>> sums;  // number -> (decimals, sum)
    const std::uint32_t count = notes.RecordCount();
    {
      MeterPass pass(events, kRiskNotesMeter, count * 2);
      for (std::uint32_t r = 1; r <= count; ++r, pass.Step()) {
        if (!notes.GoToLive(r) || notes.Log(invoiced)) continue;
        const std::uint32_t c = customer(notes.Text(client));
        if (!c) continue;
        int decimals = 0;
        if (auto it = currency_records.find(std::string(TrimRight(notes.Text(currency))));
            it != currency_records.end()) {
          if (currencies.GoToLive(it->second)) decimals = static_cast<int>(currencies.Num(div_decimals));
        }
        const double n = notes.Num(number);
        open.push_back({c, n, (1 - notes.Num(special) / 100) * (1 - notes.Num(prompt) / 100), notes.Num(freight),
                        data::DocumentValue(company, note_currency.Read(notes)), decimals});
        auto& per_number = sums[n];
        if (std::none_of(per_number.begin(), per_number.end(), [&](const auto& p) { return p.first == decimals; }))
          per_number.emplace_back(decimals, 0.0);
      }
      OrgTable& lines = t["AlbCliL"];
      const int l_number = lines.Field("NNUMALB"), qty = lines.Field("NCANENT"), price = lines.Field("NPREUNIT"),
                dto = lines.Field("NDTO"), dto_line = lines.Field("NDTOLIN");
      const std::uint32_t line_count = lines.RecordCount();
      MeterPass line_pass(events, kRiskNotesMeter, line_count);
      for (std::uint32_t r = 1; r <= line_count; ++r, line_pass.Step()) {
        if (!lines.GoToLive(r)) continue;
        auto it = sums.find(lines.Num(l_number));
        if (it == sums.end()) continue;
        const double amount = lines.Num(qty) * lines.Num(price) * (1 - lines.Num(dto) / 100) - lines.Num(dto_line);
        for (auto& [decimals, sum] : it->second) sum += data::RoundAmount(amount, decimals);
      }
    }
    for (const Note& note : open) {
      double sum = 0;
      for (const auto& [decimals, s] : sums[note.number])
        if (decimals == note.decimals) sum = s;
      const double total = data::RoundAmount(sum * note.factor, note.decimals) + note.freight;
      risks[note.customer].risk += data::RoundAmount(total * note.value, result_decimals);
    }
    events.Meter(kRiskNotesMeter, 100);
    events.Pump();
  }
  // Receipts not paid (state 2 is paid); state 3 is overdue. Serie "C" gives back.
  {
    OrgTable& receipts = t["Recibos"];
    const int state = receipts.Field("NESTADO"), client = receipts.Field("CCODCLI"), amount = receipts.Field("NIMPORTE"),
              serie = receipts.Field("CSERIE");
    const CurrencyFields receipt_currency(receipts);
    const std::uint32_t count = receipts.RecordCount();
    MeterPass pass(events, kRiskReceiptsMeter, count);
    for (std::uint32_t r = 1; r <= count; ++r, pass.Step()) {
      if (!receipts.GoToLive(r) || receipts.Num(state) == 2) continue;
      const std::uint32_t c = customer(receipts.Text(client));
      if (!c) continue;
      double a = data::RoundAmount(receipts.Num(amount) * data::DocumentValue(company, receipt_currency.Read(receipts)),
                                   result_decimals);
      if (receipts.Text(serie) == "C") a = -a;
      risks[c].risk += a;
      if (receipts.Num(state) == 3) risks[c].overdue += a;
    }
    pass.Done();
  }

  bool written = true;
  TableFailure failure;
  {
    const int risk = customers.Field(kRiskFields[0]), overdue = customers.Field(kRiskFields[1]),
              code = customers.Field("CCODCLI");
    NumberFit fit(&events, "Clientes");
    ErrorCatcher catcher;
    try {
      const std::uint32_t count = customers.RecordCount();
      for (std::uint32_t r = 1; r <= count; ++r) {
        if (!customers.GoToLive(r)) continue;
        for (const auto& [field, value] : {std::pair{risk, risks[r].risk}, std::pair{overdue, risks[r].overdue}})
          if (!fit.Put(customers, field, value, customers.Text(code)) && customers.Fits(field, value)) written = false;
      }
      customers.area().Commit();
    } catch (const xb::UnhandledError&) {
      written = false;
    }
    if (catcher.caught()) {
      failure = catcher.Failure("Clientes", TablePath(company_folder, "Clientes"));
      written = false;
    }
  }
  if (!failure.table.empty()) events.TableFailed(failure);
  t.Close();
  return written;
}

}  // namespace app
