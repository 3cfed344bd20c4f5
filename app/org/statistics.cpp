#include "app/org/statistics.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <map>
#include <vector>

#include "app/org/index_catalogue.h"
#include "app/org/recompute_support.h"
#include "app/org/risk_recompute.h"
#include "runtime/codepage.h"
#include "runtime/rdd/dbf_table.h"
#include "runtime/rdd/workareas.h"
#include "runtime/runtime.h"

namespace app {
namespace {

constexpr int kMonths = 12;

std::string Pad(std::string_view text, std::size_t width) {
  std::string out(text.substr(0, std::min(text.size(), width)));
  out.resize(width, ' ');
  return out;
}

// NMAYOR: the position of the largest absolute value; ties go to the earlier.
int Largest(const double (&v)[3]) {
  int best = 0;
  for (int i = 1; i < 3; ++i)
    if (std::fabs(v[i]) > std::fabs(v[best])) best = i;
  return best;
}

// Record and order of every table given, put back when the scope ends.
class PositionKeeper {
 public:
  void Keep(OrgTable* t) {
    if (t && t->is_open()) kept_.push_back({t, t->Save()});
  }
  ~PositionKeeper() {
    for (auto it = kept_.rbegin(); it != kept_.rend(); ++it)
      if (it->first->is_open()) it->first->Restore(it->second);
  }

 private:
  std::vector<std::pair<OrgTable*, OrgTable::Position>> kept_;
};

// A record of a shared table is locked while it is written; an exclusive one needs none.
bool LockForWrite(OrgTable& t) { return !t.area().table().shared() || t.area().LockRecord(0, false); }
void UnlockAfterWrite(OrgTable& t) {
  if (t.area().table().shared()) t.area().Unlock(0);
}

void WarnFourthRate() {
  if (xb::IsFunctionRegistered("MSGSTOP"))
    xb::CallFunction("MSGSTOP", {xb::Value::String("No podemos utilizar más de tres tipos de I.V.A.\n\ren una misma factura"),
                                 xb::Value::String("Atención")});
}

// ---- the rows of Graph ------------------------------------------------------------------------

struct GraphRow {
  std::string key1, code, key2;
  double year[kMonths] = {}, last[kMonths] = {};
};

struct YearSums {
  double year = 0, last = 0;
};

class Years {
 public:
  explicit Years(xb::Date working_date) {
    int month = 0, day = 0;
    working_date.ToYmd(this_year_, month, day);
  }
  bool Counts(xb::Date date) const {
    int year = 0, month = 0, day = 0;
    date.ToYmd(year, month, day);
    return year == this_year_ || year == this_year_ - 1;
  }
  // Adds an amount dated `date` (this year or last) to a row and, when given, to a sum.
  void Add(GraphRow& row, xb::Date date, double amount, YearSums* sums) const {
    int year = 0, month = 0, day = 0;
    date.ToYmd(year, month, day);
    if (month < 1 || month > kMonths) return;
    if (year == this_year_) {
      row.year[month - 1] += amount;
      if (sums) sums->year += amount;
    } else if (year == this_year_ - 1) {
      row.last[month - 1] += amount;
      if (sums) sums->last += amount;
    }
  }

 private:
  int this_year_ = 0;
};

// Graph as the rebuild writes it. A value that does not fit its field keeps the value the
// row had before the rebuild (a new row's field stays empty), and is told.
class GraphWriter {
 public:
  GraphWriter(OrgTable& graph, OrganiserEvents* events) : graph_(graph), fit_(events, "Graph") {
    for (int k = 0; k < 4; ++k) keys_[k] = graph.Field(kKeyFields[k]);
    for (int m = 0; m < kMonths; ++m) {
      year_[m] = graph.Field("VALOR" + std::to_string(m + 1));
      last_[m] = graph.Field("VALOR" + std::to_string(m + 1) + "AA");
    }
  }
  OrgTable& graph() { return graph_; }

  // The values of the row the table stands on, for when its new ones do not fit.
  void Remember() {
    Values& v = old_[Key()];
    for (int m = 0; m < kMonths; ++m) {
      v[m] = graph_.Num(year_[m]);
      v[kMonths + m] = graph_.Num(last_[m]);
    }
  }
  // Every live row.
  void RememberAll() {
    const std::uint32_t count = graph_.RecordCount();
    for (std::uint32_t r = 1; r <= count; ++r)
      if (graph_.GoToLive(r)) Remember();
  }

  void Append(const GraphRow& row) {
    if (!graph_.area().Append()) return;
    graph_.PutText(keys_[0], row.key1);
    graph_.PutText(keys_[1], row.code);
    graph_.PutText(keys_[2], row.key2);
    const auto old = old_.find(Key());
    for (int m = 0; m < kMonths; ++m) {
      Put(year_[m], row.year[m], old == old_.end() ? nullptr : &old->second[m]);
      Put(last_[m], row.last[m], old == old_.end() ? nullptr : &old->second[kMonths + m]);
    }
    UnlockAfterWrite(graph_);
  }

  // A value of the row the table stands on; one that does not fit leaves the field.
  void Correct(int pos, double value) { fit_.Put(graph_, pos, value, Key()); }

 private:
  using Values = std::array<double, 2 * kMonths>;

  std::string Key() const {
    std::string key;
    for (int pos : keys_) key += graph_.Text(pos);
    return std::string(TrimRight(key));
  }
  void Put(int pos, double value, const double* old) {
    if (graph_.Fits(pos, value)) {
      graph_.PutNum(pos, value);
      return;
    }
    fit_.Overflow(graph_, pos, value, Key());
    if (old) graph_.PutNum(pos, *old);
  }

  static constexpr const char* kKeyFields[4] = {"CLAVE1", "CCOD", "CLAVE2", "CLAVE3"};

  OrgTable& graph_;
  NumberFit fit_;
  int keys_[4];  // the fields of a row's key, in kKeyFields' order
  int year_[kMonths], last_[kMonths];
  std::unordered_map<std::string, Values> old_;
};

// Corrects VALOR1 / VALOR1AA of a totals row by what an entity's rows held before and now.
void CorrectTotals(GraphWriter& w, std::string_view key, const YearSums& before, const YearSums& now) {
  OrgTable& graph = w.graph();
  graph.SetOrder(1);
  if (!graph.Seek(xb::rdd::KeyValue::Text(std::string(key)))) return;
  if (!LockForWrite(graph)) return;
  const int year = graph.Field("VALOR1"), last = graph.Field("VALOR1AA");
  w.Correct(year, graph.Num(year) - before.year + now.year);
  w.Correct(last, graph.Num(last) - before.last + now.last);
  UnlockAfterWrite(graph);
}

// The live records of a master table by code, in the order of its order 1 (the code's
// collation, then record number): the order the rows of Graph are written in.
class Entities {
 public:
  Entities(OrgTable& table, std::string_view field) {
    const int pos = table.Field(field);
    const std::uint32_t count = table.RecordCount();
    for (std::uint32_t r = 1; r <= count; ++r) {
      if (!table.GoToLive(r)) continue;
      const std::string_view code = table.Text(pos);
      const auto next = static_cast<std::uint32_t>(order_.size());
      if (index_.Insert(TrimRight(code), next) == next) order_.emplace_back(code);
    }
    rows_.resize(order_.size());
  }
  // The row of an entity's code, created on first use; nullptr when the code is not an entity.
  GraphRow* Row(std::string_view code, std::string_view key1) {
    const std::uint32_t found = index_.Find(TrimRight(code));
    if (found == FlatKeyMap::kNone) return nullptr;
    std::unique_ptr<GraphRow>& row = rows_[found];
    if (!row) row = std::make_unique<GraphRow>(GraphRow{Pad(key1, 2), Pad(order_[found], 6), "FA"});
    return row.get();
  }
  // The rows made, in the entities' order.
  void Append(GraphWriter& graph) {
    std::vector<std::size_t> sorted(order_.size());
    for (std::size_t i = 0; i < sorted.size(); ++i) sorted[i] = i;
    const xb::CodePage& cp = xb::CurrentCodePage();
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](std::size_t a, std::size_t b) { return xb::Collate(cp, order_[a], order_[b]) < 0; });
    for (std::size_t i : sorted)
      if (rows_[i]) graph.Append(*rows_[i]);
  }

 private:
  std::vector<std::string> order_;  // codes as stored, in record order
  FlatKeyMap index_;                 // code without its trailing blanks -> index in order_
  std::vector<std::unique_ptr<GraphRow>> rows_;
};

// The whole table anew, every table read once in record order.
void RebuildGraph(GraphWriter& writer, GraphTables& t, const data::CompanySettings& company, const Years& years) {
  DocumentTotals totals(company, t.vat, t.articles);
  totals.ReadAllAdvances();
  const int result_decimals = data::ResultDecimals(company);
  Entities customers(*t.customers, "CCODCLI"), agents(*t.agents, "CCODAGE"), suppliers(*t.suppliers, "CCODPRO");
  YearSums customer_sums, supplier_sums;

  // Customer invoices: every one of this year or last, for its customer and its agent.
  {
    OrgTable& inv = *t.invoices;
    const HeaderFields hf(inv);
    const int client = inv.Field("CCODCLI"), agent = inv.Field("CCODAGE"), date = inv.Field("DFECFAC");
    const CurrencyFields currency(inv);
    struct Invoice {
      DocumentHeader header;
      GraphRow *customer, *agent;
      xb::Date date;
      double value;
      std::size_t sums;
    };
    std::vector<Invoice> invoices;
    std::vector<InvoiceLines> sums;
    FlatKeyMap by_key;  // the lines of a key count for every invoice of it
    std::string key;
    const std::uint32_t count = inv.RecordCount();
    invoices.reserve(count);
    sums.reserve(count);
    for (std::uint32_t r = 1; r <= count; ++r) {
      if (!inv.GoToLive(r) || !years.Counts(inv.Day(date))) continue;
      GraphRow* c = customers.Row(inv.Text(client), "CG");
      GraphRow* a = agents.Row(inv.Text(agent), "AG");
      if (!c && !a) continue;
      DocumentHeader h = hf.Read(inv);
      DocumentKey(h.serie, h.number, &key);
      const std::uint32_t index = by_key.Insert(key, static_cast<std::uint32_t>(sums.size()));
      if (index == sums.size()) sums.emplace_back();
      invoices.push_back({std::move(h), c, a, inv.Day(date), data::DocumentValue(company, currency.Read(inv)), index});
    }
    std::vector<const DocumentHeader*> first(sums.size(), nullptr);
    for (const Invoice& i : invoices)
      if (!first[i.sums]) first[i.sums] = &i.header;
    OrgTable& lines = *t.invoice_lines;
    const LineFields lf(lines);
    const std::uint32_t line_count = lines.RecordCount();
    for (std::uint32_t r = 1; r <= line_count; ++r) {
      if (!lines.GoToLive(r)) continue;
      DocumentKey(lines.Text(lf.serie), lines.Num(lf.number), &key);
      const std::uint32_t index = by_key.Find(key);
      if (index != FlatKeyMap::kNone) totals.AddInvoiceLine(sums[index], *first[index], lines, lf, false);
    }
    for (const Invoice& i : invoices) {
      const InvoiceTotals total = totals.Finish(i.header, sums[i.sums], false, true);
      const double amount = data::RoundAmount((total.Total() - i.header.freight) * i.value, result_decimals);
      if (i.customer) years.Add(*i.customer, i.date, amount, &customer_sums);
      if (i.agent) years.Add(*i.agent, i.date, amount, nullptr);  // agents never enter the totals
    }
  }

  // Suppliers: delivery notes, then invoices of type 1.
  std::vector<std::pair<GraphRow*, std::pair<xb::Date, double>>> supplier_amounts;
  {
    OrgTable& notes = *t.notes;
    const int who = notes.Field("CCODPRO"), date = notes.Field("DFECALB"), number = notes.Field("NNUMALB"),
              currency = notes.Field("CCODDIV");
    const CurrencyFields note_currency(notes);
    struct Note {
      GraphRow* row;
      xb::Date date;
      double number, value;
      int decimals;
    };
    std::vector<Note> list;
    std::unordered_map<double, std::vector<std::pair<int, double>>> sums;  // number -> (decimals, sum)
    const std::uint32_t count = notes.RecordCount();
    list.reserve(count);
    for (std::uint32_t r = 1; r <= count; ++r) {
      if (!notes.GoToLive(r) || !years.Counts(notes.Day(date))) continue;
      GraphRow* row = suppliers.Row(notes.Text(who), "PG");
      if (!row) continue;
      const int decimals = data::ResultDecimals(company, notes.Text(currency));
      list.push_back(
          {row, notes.Day(date), notes.Num(number), data::DocumentValue(company, note_currency.Read(notes)), decimals});
      auto& per_number = sums[notes.Num(number)];
      if (std::none_of(per_number.begin(), per_number.end(), [&](const auto& p) { return p.first == decimals; }))
        per_number.emplace_back(decimals, 0.0);
    }
    OrgTable& lines = *t.note_lines;
    const LineFields lf(lines);
    const std::uint32_t line_count = lines.RecordCount();
    for (std::uint32_t r = 1; r <= line_count; ++r) {
      if (!lines.GoToLive(r)) continue;
      auto it = sums.find(lines.Num(lf.number));
      if (it == sums.end()) continue;
      const double amount = lines.Num(lf.qty) * lines.Num(lf.price_div) * (1 - lines.Num(lf.discount) / 100) -
                            lines.Num(lf.line_discount);
      for (auto& [decimals, sum] : it->second) sum += data::RoundAmount(amount, decimals);
    }
    for (const Note& n : list) {
      double sum = 0;
      for (const auto& [decimals, s] : sums[n.number])
        if (decimals == n.decimals) sum = s;
      years.Add(*n.row, n.date, data::RoundAmount(sum * n.value, result_decimals), &supplier_sums);
    }
  }
  {
    OrgTable& inv = *t.supplier_invoices;
    const HeaderFields hf(inv);
    const int who = inv.Field("CCODPRO"), date = inv.Field("DFECFAC"), type = inv.Field("NTIPOFAC");
    struct Invoice {
      DocumentHeader header;
      GraphRow* row;
      xb::Date date;
    };
    std::vector<Invoice> list;
    FlatKeyMap by_key;                             // serie and number -> group
    std::vector<std::vector<std::size_t>> groups;  // the invoices of each serie and number
    std::string key;
    const std::uint32_t count = inv.RecordCount();
    list.reserve(count);
    for (std::uint32_t r = 1; r <= count; ++r) {
      if (!inv.GoToLive(r) || inv.Num(type) != 1 || !years.Counts(inv.Day(date))) continue;
      GraphRow* row = suppliers.Row(inv.Text(who), "PG");
      if (!row) continue;
      DocumentHeader h = hf.Read(inv);
      DocumentKey(h.serie, h.number, &key);
      const std::uint32_t group = by_key.Insert(key, static_cast<std::uint32_t>(groups.size()));
      if (group == groups.size()) groups.emplace_back();
      groups[group].push_back(list.size());
      list.push_back({std::move(h), row, inv.Day(date)});
    }
    std::vector<double> sums(list.size(), 0.0);
    OrgTable& lines = *t.supplier_invoice_lines;
    const LineFields lf(lines);
    const std::uint32_t line_count = lines.RecordCount();
    for (std::uint32_t r = 1; r <= line_count; ++r) {
      if (!lines.GoToLive(r)) continue;
      DocumentKey(lines.Text(lf.serie), lines.Num(lf.number), &key);
      const std::uint32_t group = by_key.Find(key);
      if (group == FlatKeyMap::kNone) continue;
      for (std::size_t i : groups[group]) sums[i] += totals.Line(list[i].header, lines, lf, 5);
    }
    for (std::size_t i = 0; i < list.size(); ++i)
      years.Add(*list[i].row, list[i].date, data::RoundAmount(sums[i], result_decimals), &supplier_sums);
  }

  // Emptied only now that every row is made, and written at once.
  writer.RememberAll();
  t.graph->area().Zap();
  customers.Append(writer);
  agents.Append(writer);
  suppliers.Append(writer);
  GraphRow a{"AA", "AAAAAA", "AA"};
  a.year[0] = customer_sums.year;
  a.last[0] = customer_sums.last;
  writer.Append(a);
  GraphRow b{"BB", "BBBBBB", "BB"};
  b.year[0] = supplier_sums.year;
  b.last[0] = supplier_sums.last;
  writer.Append(b);
}

// One customer's, agent's or supplier's rows anew, found by seeking.
void RebuildEntity(GraphWriter& writer, char who, std::string_view code, GraphTables& t,
                   const data::CompanySettings& company, const Years& years) {
  OrgTable& graph = *t.graph;
  graph.SetOrder(1);
  const std::string code6 = Pad(code, 6);
  YearSums before, now;
  {
    const std::string key = std::string(1, who) + "G" + code6;
    const int key1 = graph.Field("CLAVE1"), cod = graph.Field("CCOD");
    for (bool more = graph.Seek(xb::rdd::KeyValue::Text(key)); more && !graph.eof();) {
      if (std::string(graph.Text(key1)) + std::string(graph.Text(cod)) != key) break;
      for (int m = 1; m <= kMonths; ++m) {
        before.year += graph.Num(graph.Field("VALOR" + std::to_string(m)));
        before.last += graph.Num(graph.Field("VALOR" + std::to_string(m) + "AA"));
      }
      writer.Remember();
      if (LockForWrite(graph)) {
        graph.area().Delete();
        UnlockAfterWrite(graph);
      }
      graph.Skip();
    }
  }
  OrgTable& master = who == 'C' ? *t.customers : who == 'A' ? *t.agents : *t.suppliers;
  const int master_code = master.Field(who == 'C' ? "CCODCLI" : who == 'A' ? "CCODAGE" : "CCODPRO");
  master.SetOrder(1);
  const bool found =
      master_code && master.Seek(xb::rdd::KeyValue::Text(Pad(code, master.area().FieldAt(master_code)->length)));
  GraphRow row{std::string(1, who) + "G", code6, "FA"};
  bool any = false;
  if (found) {
    const std::string wanted(master.Text(master_code));
    DocumentTotals totals(company, t.vat, t.articles);
    const int result_decimals = data::ResultDecimals(company);
    if (who == 'C' || who == 'A') {
      OrgTable& inv = *t.invoices;
      const int field = inv.Field(who == 'C' ? "CCODCLI" : "CCODAGE"), date = inv.Field("DFECFAC");
      inv.SetOrder(who == 'C' ? 2 : 3);
      for (bool more = inv.Seek(xb::rdd::KeyValue::Text(wanted)); more && !inv.eof(); inv.Skip()) {
        if (inv.Text(field) != wanted) break;
        if (!years.Counts(inv.Day(date))) continue;
        const InvoiceTotals total = totals.Invoice(inv, *t.invoice_lines, false, true, false);
        const double amount = data::RoundAmount((total.Total() - inv.Num(inv.Field("NPORTES"))) *
                                              data::DocumentValue(company, CurrencyOf(inv)),
                                          result_decimals);
        years.Add(row, inv.Day(date), amount, &now);
        any = true;
      }
    } else {
      OrgTable& notes = *t.notes;
      OrgTable& note_lines = *t.note_lines;
      const LineFields nf(note_lines);
      const int who_field = notes.Field("CCODPRO"), date = notes.Field("DFECALB"), number = notes.Field("NNUMALB");
      notes.SetOrder(2);
      note_lines.SetOrder(1);
      for (bool more = notes.Seek(xb::rdd::KeyValue::Text(wanted)); more && !notes.eof(); notes.Skip()) {
        if (notes.Text(who_field) != wanted) break;
        if (!years.Counts(notes.Day(date))) continue;
        const int decimals = data::ResultDecimals(company, notes.Text(notes.Field("CCODDIV")));
        const double n = notes.Num(number);
        double sum = 0;
        for (bool line = note_lines.Seek(xb::rdd::KeyValue::Number(n)); line && !note_lines.eof(); note_lines.Skip()) {
          if (note_lines.Num(nf.number) != n) break;
          sum += data::RoundAmount(note_lines.Num(nf.qty) * note_lines.Num(nf.price_div) *
                                     (1 - note_lines.Num(nf.discount) / 100) -
                                 note_lines.Num(nf.line_discount),
                             decimals);
        }
        years.Add(row, notes.Day(date), data::RoundAmount(sum * data::DocumentValue(company, CurrencyOf(notes)), result_decimals),
                  &now);
        any = true;
      }
      OrgTable& inv = *t.supplier_invoices;
      OrgTable& lines = *t.supplier_invoice_lines;
      const HeaderFields hf(inv);
      const LineFields lf(lines);
      const int who_inv = inv.Field("CCODPRO"), inv_date = inv.Field("DFECFAC"), type = inv.Field("NTIPOFAC");
      inv.SetOrder(2);
      lines.SetOrder(1);
      for (bool more = inv.Seek(xb::rdd::KeyValue::Text(wanted)); more && !inv.eof(); inv.Skip()) {
        if (inv.Text(who_inv) != wanted) break;
        if (inv.Num(type) != 1 || !years.Counts(inv.Day(inv_date))) continue;
        const DocumentHeader h = hf.Read(inv);
        double sum = 0;
        for (bool line = lines.Seek(xb::rdd::KeyValue::Number(h.number)); line && !lines.eof(); lines.Skip()) {
          if (lines.Num(lf.number) != h.number) break;
          if (lf.serie && lines.Text(lf.serie) != h.serie) continue;
          sum += totals.Line(h, lines, lf, 5);
        }
        years.Add(row, inv.Day(inv_date), data::RoundAmount(sum, result_decimals), &now);
        any = true;
      }
    }
  }
  if (any) writer.Append(row);
  // Agents' amounts are the customers' once more: only customers and suppliers have totals.
  if (who == 'C') CorrectTotals(writer, "AAAAAAAAAA", before, now);
  else if (who == 'P') CorrectTotals(writer, "BBBBBBBBBB", before, now);
}

}  // namespace

// ---- field positions --------------------------------------------------------------------

HeaderFields::HeaderFields(const OrgTable& t)
    : serie(t.Field("CSERIE")),
      number(t.Field("NNUMFAC") ? t.Field("NNUMFAC") : t.Field("NNUMALB") ? t.Field("NNUMALB") : t.Field("NNUMTICKET")),
      currency(t.Field("CCODDIV")),
      euro_value(t.Field("NVALEURO")),
      vat_included(t.Field("LIVAINCL")),
      special(t.Field("NDTOESP")),
      prompt(t.Field("NDPP")),
      discount(t.Field("NDTO")),
      freight(t.Field("NPORTES")),
      freight_vat(t.Field("NIVAPORTES")),
      vat_kind(t.Field("NTIPOIVA")),
      surcharge(t.Field("LRECARGO")),
      withholding(t.Field("NIRPF")),
      flat_vat(t.Field("NPORCIVA")),
      financial(t.Field("NRECFINANC")),
      financial_on(t.Field("NTRECFIN")) {}

DocumentHeader HeaderFields::Read(const OrgTable& t) const {
  DocumentHeader h;
  h.serie = std::string(t.Text(serie));
  h.number = t.Num(number);
  h.currency = std::string(TrimRight(t.Text(currency)));
  h.euro_value = t.Num(euro_value);
  h.vat_included = t.Log(vat_included);
  h.special_discount = t.Num(special);
  h.prompt_discount = t.Num(prompt);
  h.discount = t.Num(discount);
  h.freight = t.Num(freight);
  h.freight_vat = t.Num(freight_vat);
  h.vat_kind = vat_kind ? static_cast<int>(t.Num(vat_kind)) : 1;
  h.surcharge = t.Log(surcharge);
  h.withholding = t.Num(withholding);
  h.flat_vat = t.Num(flat_vat);
  h.financial = t.Num(financial);
  h.financial_on = financial_on ? static_cast<int>(t.Num(financial_on)) : 1;
  return h;
}

LineFields::LineFields(const OrgTable& t)
    : serie(t.Field("CSERIE")),
      number(t.Field("NNUMFAC") ? t.Field("NNUMFAC") : t.Field("NNUMALB") ? t.Field("NNUMALB") : t.Field("NNUMTICKET")),
      ref(t.Field("CREF")),
      qty(t.Field("NCANENT")),
      ticket_qty(t.Field("NCANT")),
      price(t.Field("NPREUNIT")),
      price_div(t.Field("NPREDIV")),
      discount(t.Field("NDTO")),
      line_discount(t.Field("NDTOLIN")),
      vat(t.Field("NIVA")),
      outlay(t.Field("LSUPLIDOS")) {}

// ---- document totals --------------------------------------------------------------------

DocumentTotals::DocumentTotals(const data::CompanySettings& company, OrgTable* vat, OrgTable* articles)
    : company_(company),
      vat_(vat && vat->is_open() ? vat : nullptr),
      articles_(articles && articles->is_open() ? articles : nullptr) {}

void DocumentTotals::ReadAllAdvances() {
  if (!articles_) return;
  const OrgTable::Position kept = articles_->Save();
  const int ref = articles_->Field("CREF"), advance = articles_->Field("LANTICIPO");
  const std::uint32_t count = articles_->RecordCount();
  for (std::uint32_t r = 1; r <= count; ++r) {
    if (!articles_->GoToLive(r)) continue;
    const std::string_view key = KeyOf(articles_->Text(ref));
    if (!key.empty()) advance_.Insert(key, articles_->Log(advance) ? 1 : 0);
  }
  articles_->Restore(kept);
  all_advances_ = true;
}

std::string_view DocumentTotals::KeyOf(std::string_view reference) {
  reference = TrimRight(reference);
  const xb::CodePage& cp = xb::CurrentCodePage();
  key_.resize(reference.size());
  for (std::size_t i = 0; i < reference.size(); ++i)
    key_[i] = static_cast<char>(xb::UpperChar(cp, static_cast<unsigned char>(reference[i])));
  return key_;
}

bool DocumentTotals::IsAdvance(std::string_view reference) {
  if (!articles_) return false;
  const std::string_view key = KeyOf(reference);
  if (key.empty()) return false;
  const std::uint32_t known = advance_.Find(key);
  if (known != FlatKeyMap::kNone) return known != 0;
  if (all_advances_) return false;
  bool advance = false;
  const OrgTable::Position kept = articles_->Save();
  if (xb::rdd::Tag* tag = articles_->area().OrderAt(1)) {
    articles_->SetOrder(1);
    advance = articles_->Seek(xb::rdd::KeyValue::Text(Pad(key, static_cast<std::size_t>(tag->Info().key_length)))) &&
              articles_->Log(articles_->Field("LANTICIPO"));
  }
  articles_->Restore(kept);
  advance_.Insert(key, advance ? 1 : 0);
  return advance;
}

double DocumentTotals::SurchargeRate(double vat_rate) {
  if (!vat_) return 0;
  auto it = surcharge_.find(vat_rate);
  if (it != surcharge_.end()) return it->second;
  double rate = 0;
  const OrgTable::Position kept = vat_->Save();
  const int vat_field = vat_->Field("NPORCIVA"), surcharge_field = vat_->Field("NPORCREQ");
  const std::uint32_t count = vat_->RecordCount();
  for (std::uint32_t r = 1; r <= count; ++r) {
    if (vat_->GoToLive(r) && vat_->Num(vat_field) == vat_rate) {
      rate = vat_->Num(surcharge_field);
      break;
    }
  }
  vat_->Restore(kept);
  surcharge_.emplace(vat_rate, rate);
  return rate;
}

// ACTIVAS: the line's base goes to the slot of its rate, or to the first free one; the
// slots stay sorted by rate. Outlays are not taxed and go apart.
void DocumentTotals::AddInvoiceLine(InvoiceLines& sums, const DocumentHeader& header, const OrgTable& lines,
                                    const LineFields& f, bool include_advances) {
  if (!include_advances && IsAdvance(lines.Text(f.ref))) return;
  const int decimals = data::ResultDecimals(company_, header.currency);
  const double amount =
      data::RoundAmount(lines.Num(f.qty) * lines.Num(f.price) * (1 - lines.Num(f.discount) / 100) - lines.Num(f.line_discount),
                  decimals);
  if (lines.Log(f.outlay)) {
    sums.outlays += amount;
    return;
  }
  sums.gross += amount;
  const double rate = lines.Num(f.vat);
  const double base = header.vat_included ? amount / (1 + rate / 100) : amount;
  for (InvoiceLines::Slot& s : sums.slots) {
    if (s.used && s.rate == rate) {
      s.base += base;
      return;
    }
  }
  for (InvoiceLines::Slot& s : sums.slots) {
    if (s.used) continue;
    s = {rate, base, SurchargeRate(rate), true};
    std::stable_sort(sums.slots.begin(), sums.slots.end(), [](const InvoiceLines::Slot& a, const InvoiceLines::Slot& b) {
      if (a.used != b.used) return a.used;
      return a.used && a.rate < b.rate;
    });
    return;
  }
  sums.fourth_rate = true;
}

InvoiceTotals DocumentTotals::Finish(const DocumentHeader& header, const InvoiceLines& sums, bool lines_only,
                                     bool warn) const {
  if (warn && sums.fourth_rate) WarnFourthRate();
  const int decimals = data::ResultDecimals(company_, header.currency);
  double special = header.special_discount, prompt = header.prompt_discount;
  if (lines_only) {
    if (!company_.discount_esp) special = 0;
    if (!company_.discount_pp) prompt = 0;
  }
  const double factor = (1 - special / 100) * (1 - prompt / 100);
  double base[3] = {}, vat[3] = {}, req[3] = {};
  for (int i = 0; i < 3; ++i) {
    const InvoiceLines::Slot& s = sums.slots[static_cast<std::size_t>(i)];
    if (!s.used) continue;
    base[i] = data::RoundAmount(s.base * factor, decimals);
    vat[i] = header.vat_kind == 1 ? data::RoundAmount(base[i] * s.rate / 100, decimals) : 0;
    req[i] = header.surcharge ? data::RoundAmount(base[i] * s.surcharge_rate / 100, decimals) : 0;
  }
  if (header.vat_included) {
    // Bases worked back from prices with VAT may miss the gross total by the roundings: a
    // large difference is shared out by base, what remains goes to the largest base.
    const double gross = data::RoundAmount(sums.gross * factor, decimals);
    auto missing = [&] {
      return data::RoundAmount(gross - (base[0] + vat[0] + base[1] + vat[1] + base[2] + vat[2]), decimals);
    };
    const double bases = base[0] + base[1] + base[2];
    if (std::fabs(missing()) > 1 && bases != 0) {
      const double diff = missing();
      for (double& b : base) b += data::RoundAmount(diff * b / bases, decimals);
    }
    base[Largest(base)] += missing();
  }

  // The freight is taxed at its own rate, without the discounts of the lines.
  InvoiceTotals t;
  t.base = base[0] + base[1] + base[2] + header.freight;
  t.vat = vat[0] + vat[1] + vat[2] +
          (header.vat_kind == 1 ? data::RoundAmount(header.freight * header.freight_vat / 100, decimals) : 0);
  t.surcharge = req[0] + req[1] + req[2];
  t.outlays = sums.outlays;
  t.withholding = data::RoundAmount((t.base + (company_.irpf_on_vat ? t.vat : 0)) * header.withholding / 100, decimals);
  if (header.vat_kind == 2) t.vat += data::RoundAmount(t.base * header.flat_vat / 100, decimals);
  if (header.financial != 0) {
    const double on =
        header.financial_on == 1 ? t.base : t.base + t.vat + t.surcharge + t.outlays - t.withholding;
    t.financial = data::RoundAmount(on * header.financial / 100, decimals);
  }
  if (header.serie == "C")
    for (double* v : {&t.base, &t.vat, &t.surcharge, &t.outlays, &t.withholding, &t.financial}) *v = -*v;
  return t;
}

InvoiceTotals DocumentTotals::Invoice(OrgTable& header, OrgTable& lines, bool lines_only, bool warn,
                                      bool include_advances) {
  const DocumentHeader h = HeaderFields(header).Read(header);
  const LineFields f(lines);
  InvoiceLines sums;
  const OrgTable::Position kept = lines.Save();
  lines.SetOrder(1);
  for (bool more = lines.Seek(xb::rdd::KeyValue::Text(h.serie + StrOf(h.number, 7))); more && !lines.eof();
       lines.Skip()) {
    if (lines.Text(f.serie) != h.serie || lines.Num(f.number) != h.number) break;
    AddInvoiceLine(sums, h, lines, f, include_advances);
  }
  lines.Restore(kept);
  return Finish(h, sums, lines_only, warn);
}

double DocumentTotals::Line(const DocumentHeader& header, const OrgTable& lines, const LineFields& f, int kind,
                            double multiplier, bool include_outlays) {
  const int decimals = data::ResultDecimals(company_, header.currency);
  if ((kind == 3 || kind == 5) && lines.Log(f.outlay) && !include_outlays) return 0;
  const double dto = 1 - lines.Num(f.discount) / 100;
  const double discounts = (1 - header.special_discount / 100) * (1 - header.prompt_discount / 100);
  const double qty = lines.Num(f.qty), price = lines.Num(f.price), dto_line = lines.Num(f.line_discount);
  const double vat = lines.Num(f.vat);
  double amount = 0;
  switch (kind) {
    case 1:
      amount = (qty * lines.Num(f.price_div) * dto - dto_line) * multiplier;
      break;
    case 2:
    case 5:
      amount = qty * price * dto - dto_line;
      if (!IsAdvance(lines.Text(f.ref))) amount *= discounts;
      amount *= multiplier;
      break;
    case 3:
      amount = qty * price * dto - dto_line;
      if (header.vat_included) amount /= 1 + vat / 100;
      if (!IsAdvance(lines.Text(f.ref))) amount *= discounts;
      amount *= (header.serie == "C" ? -1 : 1) * multiplier;
      break;
    case 4:
      amount = (lines.Num(f.ticket_qty) * price * dto - dto_line) / (1 + vat / 100) * (1 - header.discount / 100) *
               multiplier;
      break;
    default:
      return 0;
  }
  amount = data::RoundAmount(amount, decimals);
  // Into the company's currency: NCHANGEDIVPTS takes that way with its flag (without it a
  // euro company's amounts would come out in pesetas, a peseta company's in euros).
  if (kind != 4) amount = data::ChangeCurrency(company_, amount, header.currency, header.euro_value, true);
  return data::RoundAmount(amount, data::ResultDecimals(company_));
}

// ---- UPDATEGRAPH -------------------------------------------------------------------------

void UpdateGraph(std::string_view kind, std::string_view code, GraphTables& t, const data::CompanySettings& company,
                 xb::Date working_date, OrganiserEvents* events) {
  PositionKeeper keeper;
  for (OrgTable* table : {t.customers, t.agents, t.suppliers, t.graph, t.invoices, t.invoice_lines, t.vat, t.notes,
                          t.note_lines, t.supplier_invoices, t.supplier_invoice_lines, t.articles})
    keeper.Keep(table);
  const Years years(working_date);
  const std::string_view trimmed = TrimRight(kind);
  GraphWriter writer(*t.graph, events);
  if (trimmed.empty()) {
    RebuildGraph(writer, t, company, years);
  } else {
    const char who = static_cast<char>(std::toupper(static_cast<unsigned char>(trimmed.front())));
    if (who == 'C' || who == 'A' || who == 'P') RebuildEntity(writer, who, code, t, company, years);
  }
  t.graph->area().Commit();
}

bool RebuildStatistics(const std::string& company_folder, const data::CompanySettings& company, xb::Date working_date,
                       OrganiserEvents& events) {
  events.Title("ACTUALIZANDO GRAFICOS");
  TableSet t;
  // The whole rebuild goes by record number (UPDATEGRAPH's own seeks are for one entity).
  if (!t.OpenByRecord(company_folder,
                      {"Clientes", "Agentes", "Proveedo", "Graph", "FacCliT", "FacCliL", "Ivas", "AlbProT", "AlbProL",
                       "FacProT", "FacProL", "Articulo"},
                      events, {}, {"Graph"})) {
    events.Skipped("ACTUALIZANDO GRAFICOS", "No se han actualizado los gráficos");
    return false;
  }
  GraphTables g{&t["Clientes"], &t["Agentes"], &t["Proveedo"], &t["Graph"],   &t["FacCliT"],  &t["FacCliL"],
                &t["Ivas"],     &t["AlbProT"], &t["AlbProL"],  &t["FacProT"], &t["FacProL"], &t["Articulo"]};
  bool ok = true;
  TableFailure failure;
  {
    ErrorCatcher catcher;
    try {
      UpdateGraph("", "", g, company, working_date, &events);
    } catch (const xb::UnhandledError&) {
      ok = false;
    }
    if (catcher.caught()) {
      failure = catcher.Failure("Graph", TablePath(company_folder, "Graph"));
      ok = false;
    }
  }
  // Told once the catcher is gone, so that the message's windows answer to the program.
  if (!failure.table.empty()) events.TableFailed(failure);
  t.Close();
  return ok;
}

// ---- functions for run-time compiled text -----------------------------------------------------

namespace {

// The table open under an alias, borrowed for the call; false (and the error raised) when
// no area has that alias.
bool BorrowAlias(OrgTable& table, const xb::Value& alias, std::string_view function, xb::Args& a) {
  const int area = alias.IsString() ? xb::rdd::WorkAreas::Get().AreaOfAlias(TrimRight(alias.AsString())) : 0;
  if (area && table.Borrow(area, TrimRight(alias.AsString()))) return true;
  xb::RaiseBaseError(xb::EG_NOALIAS, 1002, function, a.Raw());
  return false;
}

xb::Date WorkingDate() {
  if (xb::IsFunctionRegistered("DSETDATE")) {
    const xb::Value d = xb::CallFunction("DSETDATE");
    if (d.IsDate() && !d.AsDate().IsEmpty()) return d.AsDate();
  }
  return xb::Date{xb::rdd::Today()};
}

xb::Value FnUpdateGraph(xb::Args& a) {
  OrgTable tables[12];
  for (int i = 0; i < 12; ++i)
    if (!BorrowAlias(tables[i], a.Arg(3 + i), "UPDATEGRAPH", a)) return xb::Value();
  GraphTables g{&tables[0], &tables[1], &tables[2], &tables[3], &tables[4],  &tables[5],
                &tables[6], &tables[7], &tables[8], &tables[9], &tables[10], &tables[11]};
  UpdateGraph(a.Str(1), a.Str(2), g, data::CurrentCompany(), WorkingDate());
  return xb::Value();
}

// NTOTFAC(@aTotales, lLineas, cCabecera, cLineas, cIvas, lAviso, lAnticipos, cArticulos):
// fills the six totals and returns the invoice's total.
xb::Value FnNTotFac(xb::Args& a) {
  OrgTable header, lines, vat, articles;
  if (!BorrowAlias(header, a.Arg(3), "NTOTFAC", a) || !BorrowAlias(lines, a.Arg(4), "NTOTFAC", a)) return xb::Value();
  if (a.Arg(5).IsString()) BorrowAlias(vat, a.Arg(5), "NTOTFAC", a);
  if (a.Arg(8).IsString()) BorrowAlias(articles, a.Arg(8), "NTOTFAC", a);
  DocumentTotals totals(data::CurrentCompany(), &vat, &articles);
  const InvoiceTotals t = totals.Invoice(header, lines, a.Log(2), a.Log(6, true), a.Log(7, true));
  xb::Array result = a.Arr(1) ? a.Arr(1) : xb::Array::New();
  const double values[6] = {t.base, t.vat, t.surcharge, t.outlays, t.withholding, t.financial};
  if (result.size() < 6) result.Resize(6);
  for (std::size_t i = 0; i < 6; ++i) result[i] = xb::Value::Number(values[i]);
  if (!a.Arr(1)) a.SetRef(1, xb::Value(result));
  return xb::Value::Number(t.Total());
}

// NTOTDOCEST(cCabecera, cLineas, nTipo, nMultiplicador, lSuplidos, cArticulos)
xb::Value FnNTotDocEst(xb::Args& a) {
  OrgTable header, lines, articles;
  if (!BorrowAlias(header, a.Arg(1), "NTOTDOCEST", a) || !BorrowAlias(lines, a.Arg(2), "NTOTDOCEST", a))
    return xb::Value::Number(0);
  if (a.Arg(6).IsString()) BorrowAlias(articles, a.Arg(6), "NTOTDOCEST", a);
  DocumentTotals totals(data::CurrentCompany(), nullptr, &articles);
  return xb::Value::Number(totals.Line(HeaderFields(header).Read(header), lines, LineFields(lines),
                                       static_cast<int>(a.Int(3)), a.Num(4, 1), a.Log(5)));
}

}  // namespace

void RegisterStatisticsFunctions() {
  xb::RegisterFunction("UPDATEGRAPH", FnUpdateGraph);
  xb::RegisterFunction("NTOTFAC", FnNTotFac);
  xb::RegisterFunction("NTOTDOCEST", FnNTotDocEst);
}

}  // namespace app
