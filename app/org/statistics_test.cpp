#include "app/org/statistics.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/org/index_data.h"
#include "app/org/org_test_support.h"
#include "app/org/recompute_support.h"

namespace app {
namespace {

using testing::D;
using testing::L;
using testing::N;
using testing::Rec;
using testing::S;

class Statistics : public testing::OrgTest {
 protected:
  void SetUp() override {
    OrgTest::SetUp();
    memory().MakeFolder("EMP/");
    RegisterStatisticsFunctions();
    company.AddCurrency({"EUR", 3, 2, 1, 1, true, 1});
    WriteCompany();
  }

  // A hand-checked company; the working date is 15-06-2026.
  void WriteCompany() {
    testing::WriteTable("EMP/", "Clientes", {{{"CCODCLI", S("000001")}}, {{"CCODCLI", S("000002")}}});
    testing::WriteTable("EMP/", "Agentes", {{{"CCODAGE", S("01")}}});
    testing::WriteTable("EMP/", "Proveedo", {{{"CCODPRO", S("000001")}}});
    testing::WriteTable("EMP/", "Graph", {{{"CLAVE1", S("CG")}, {"CCOD", S("000009")}, {"VALOR1", N(5)}}});
    testing::WriteTable("EMP/", "Ivas",
                        {{{"CTIPOIVA", S("1")}, {"NPORCIVA", N(21)}, {"NPORCREQ", N(5.2)}},
                         {{"CTIPOIVA", S("2")}, {"NPORCIVA", N(10)}, {"NPORCREQ", N(1.4)}}});
    testing::WriteTable("EMP/", "Articulo", {{{"CREF", S("ANT")}, {"LANTICIPO", L(true)}}, {{"CREF", S("R1")}}});
    auto invoice = [](std::string_view serie, int number, std::string_view client, xb::Value date, Rec more = {}) {
      Rec r = {{"CSERIE", S(serie)}, {"NNUMFAC", N(number)}, {"CCODCLI", S(client)}, {"DFECFAC", date},
               {"NTIPOFAC", N(1)},   {"CCODDIV", S("EUR")},    {"NVALEURO", N(1)},     {"NTIPOIVA", N(1)}};
      r.insert(r.end(), more.begin(), more.end());
      return r;
    };
    testing::WriteTable("EMP/", "FacCliT",
                        {invoice("A", 1, "000001", D(2026, 3, 10), {{"CCODAGE", S("01")}}),        // 143
                         invoice("C", 1, "000001", D(2025, 11, 5)),                                // -12.10 last year
                         invoice("A", 2, "000002", D(2024, 5, 1)),                                 // two years ago
                         invoice("A", 3, "000002", D(2026, 1, 20),
                                 {{"NPORTES", N(6.5)}, {"NIVAPORTES", N(21)}, {"NIRPF", N(15)}}),  // 106.39
                         invoice("A", 4, "000002", D(2026, 1, 25), {{"NTIPOFAC", N(2)}})});        // 12.10
    auto line = [](std::string_view serie, int number, double qty, double price, double vat, std::string_view ref = "R1") {
      return Rec{{"CSERIE", S(serie)}, {"NNUMFAC", N(number)}, {"CREF", S(ref)},
                 {"NCANENT", N(qty)},  {"NPREUNIT", N(price)}, {"NIVA", N(vat)}};
    };
    testing::WriteTable("EMP/", "FacCliL",
                        {line("A", 1, 2, 50, 21), line("C", 1, 1, 10, 21), line("A", 1, 1, 20, 10),
                         line("A", 1, 1, 1000, 21, "ANT"),  // an advance: not in the statistics
                         line("A", 2, 1, 500, 21), line("A", 3, 1, 100, 21), line("A", 4, 1, 10, 21)});
    testing::WriteTable("EMP/", "AlbProT",
                        {{{"NNUMALB", N(1)}, {"CCODPRO", S("000001")}, {"DFECALB", D(2026, 2, 2)}, {"CCODDIV", S("EUR")},
                          {"NVALEURO", N(1)}}});
    testing::WriteTable("EMP/", "AlbProL",
                        {{{"NNUMALB", N(1)}, {"NCANENT", N(2)}, {"NPREDIV", N(15)}, {"NDTO", N(10)}}});  // 27
    testing::WriteTable("EMP/", "FacProT",
                        {{{"NNUMFAC", N(1)}, {"CSERIE", S("A")}, {"CCODPRO", S("000001")}, {"DFECFAC", D(2026, 2, 20)},
                          {"NTIPOFAC", N(1)}, {"CCODDIV", S("EUR")}, {"NVALEURO", N(1)}},
                         {{"NNUMFAC", N(2)}, {"CSERIE", S("A")}, {"CCODPRO", S("000001")}, {"DFECFAC", D(2026, 4, 1)},
                          {"NTIPOFAC", N(2)}, {"CCODDIV", S("EUR")}, {"NVALEURO", N(1)}}});
    testing::WriteTable("EMP/", "FacProL",
                        {{{"NNUMFAC", N(1)}, {"CSERIE", S("A")}, {"NCANENT", N(3)}, {"NPREUNIT", N(10)}},    // 30
                         {{"NNUMFAC", N(2)}, {"CSERIE", S("A")}, {"NCANENT", N(1)}, {"NPREUNIT", N(99)}}});  // type 2
  }

  // Graph's rows as "CLAVE1|CCOD|CLAVE2" with the months that hold something.
  std::vector<std::string> Rows() {
    std::vector<std::string> fields = {"CLAVE1", "CCOD", "CLAVE2"};
    for (int m = 1; m <= 12; ++m) {
      fields.push_back("VALOR" + std::to_string(m));
      fields.push_back("VALOR" + std::to_string(m) + "AA");
    }
    std::vector<std::string> out;
    for (const Rec& r : testing::LiveRecords("EMP/", "Graph", fields)) {
      std::string text = std::string(r[0].second.AsString()) + "|" + std::string(r[1].second.AsString()) + "|" +
                         std::string(r[2].second.AsString());
      for (std::size_t i = 3; i < r.size(); ++i) {
        if (r[i].second.AsDouble() == 0) continue;
        char value[64];
        std::snprintf(value, sizeof value, " %s=%.2f", r[i].first.c_str() + 5, r[i].second.AsDouble());
        text += value;
      }
      out.push_back(text);
    }
    return out;
  }

  void IndexAll() {
    CatalogueIndexer indexer(Folders{"EMP/", "EMP/"}, events);
    for (std::string_view t : {"Clientes", "Agentes", "Proveedo", "Graph", "FacCliT", "FacCliL", "Ivas", "AlbProT",
                               "AlbProL", "FacProT", "FacProL", "Articulo"})
      for (const CatalogueRow& row : RowsOfTable(t))
        if (!row.after_statistics) indexer.IndexRow(row);
  }

  data::CompanySettings company;
  testing::RecordedEvents events;
  const xb::Date today = xb::Date::FromYmd(2026, 6, 15);
};

TEST_F(Statistics, FullRebuild) {
  IndexAll();
  ASSERT_TRUE(memory().Exists("EMP/Graph.cdx"));
  ASSERT_TRUE(RebuildStatistics("EMP/", company, today, events));
  EXPECT_TRUE(events.failures.empty());
  EXPECT_FALSE(memory().Exists("EMP/Graph.cdx"));  // written without it; the organisation indexes it after
  EXPECT_EQ(Rows(), (std::vector<std::string>{
                        "CG|000001|FA 3=143.00 11AA=-12.10",
                        "CG|000002|FA 1=118.49",
                        "AG|01    |FA 3=143.00",
                        "PG|000001|FA 2=57.00",
                        "AA|AAAAAA|AA 1=261.49 1AA=-12.10",
                        "BB|BBBBBB|BB 1=57.00",
                    }));
}

TEST_F(Statistics, OneCustomerAgainCorrectsTheTotals) {
  // Graph as the full rebuild left it, and a new invoice of customer 1 in June: 121.
  ASSERT_TRUE(memory().Remove("EMP/Graph.dbf").ok());
  testing::WriteTable("EMP/", "Graph",
                      {{{"CLAVE1", S("CG")}, {"CCOD", S("000001")}, {"CLAVE2", S("FA")}, {"VALOR3", N(143)},
                        {"VALOR11AA", N(-12.1)}},
                       {{"CLAVE1", S("AG")}, {"CCOD", S("01")}, {"CLAVE2", S("FA")}, {"VALOR3", N(143)}},
                       {{"CLAVE1", S("AA")}, {"CCOD", S("AAAAAA")}, {"CLAVE2", S("AA")}, {"VALOR1", N(261.49)},
                        {"VALOR1AA", N(-12.1)}}});
  {
    OrgTable t;
    TableFailure failure;
    ASSERT_TRUE(t.Open("EMP/", "FacCliT", &failure));
    ASSERT_TRUE(t.area().Append());
    t.PutText(t.Field("CSERIE"), "A");
    t.PutNum(t.Field("NNUMFAC"), 5);
    t.PutText(t.Field("CCODCLI"), "000001");
    t.PutDay(t.Field("DFECFAC"), xb::Date::FromYmd(2026, 6, 1));
    t.PutNum(t.Field("NTIPOIVA"), 1);
    t.PutText(t.Field("CCODDIV"), "EUR");
    t.PutNum(t.Field("NVALEURO"), 1);
  }
  {
    OrgTable t;
    TableFailure failure;
    ASSERT_TRUE(t.Open("EMP/", "FacCliL", &failure));
    ASSERT_TRUE(t.area().Append());
    t.PutText(t.Field("CSERIE"), "A");
    t.PutNum(t.Field("NNUMFAC"), 5);
    t.PutNum(t.Field("NCANENT"), 1);
    t.PutNum(t.Field("NPREUNIT"), 100);
    t.PutNum(t.Field("NIVA"), 21);
  }
  IndexAll();
  data::CurrentCompany() = company;  // what the function reads
  TableSet t;
  ASSERT_TRUE(t.Open("EMP/",
                     {"Clientes", "Agentes", "Proveedo", "Graph", "FacCliT", "FacCliL", "Ivas", "AlbProT", "AlbProL",
                      "FacProT", "FacProL", "Articulo"},
                     events));
  // Through the function table, as the other modules call it.
  xb::CallFunction("UPDATEGRAPH", {S("C"), S("000001"), S("CLIENTES"), S("AGENTES"), S("PROVEEDO"), S("GRAPH"),
                                   S("FACCLIT"), S("FACCLIL"), S("IVAS"), S("ALBPROT"), S("ALBPROL"), S("FACPROT"),
                                   S("FACPROL"), S("ARTICULO")});
  t.Close();
  data::CurrentCompany() = data::CompanySettings();
  EXPECT_EQ(Rows(), (std::vector<std::string>{
                        "AG|01    |FA 3=143.00",
                        "AA|AAAAAA|AA 1=382.49 1AA=-12.10",
                        "CG|000001|FA 3=143.00 6=121.00 11AA=-12.10",
                    }));
}

// Amounts that do not fit Graph's fields: those fields keep what the row held before the
// rebuild (a new row's stay empty), each is told, and every other row and value is written.
TEST_F(Statistics, AmountsThatDoNotFitKeepTheRowsOldValues) {
  ASSERT_TRUE(memory().Remove("EMP/Graph.dbf").ok());
  testing::WriteTable("EMP/", "Graph",
                      {{{"CLAVE1", S("CG")}, {"CCOD", S("000002")}, {"CLAVE2", S("FA")}, {"VALOR1", N(7)},
                        {"VALOR5", N(3)}},
                       {{"CLAVE1", S("AA")}, {"CCOD", S("AAAAAA")}, {"CLAVE2", S("AA")}, {"VALOR1", N(9)}}});
  {
    // Customer 2's invoice 3 of January gets a line of 1e17.
    OrgTable t;
    TableFailure failure;
    ASSERT_TRUE(t.Open("EMP/", "FacCliL", &failure));
    ASSERT_TRUE(t.area().Append());
    t.PutText(t.Field("CSERIE"), "A");
    t.PutNum(t.Field("NNUMFAC"), 3);
    t.PutNum(t.Field("NCANENT"), 99999999.999);
    t.PutNum(t.Field("NPREUNIT"), 999999999.9999);
  }
  ASSERT_TRUE(RebuildStatistics("EMP/", company, today, events));
  EXPECT_TRUE(events.failures.empty());
  EXPECT_EQ(Rows(), (std::vector<std::string>{
                        "CG|000001|FA 3=143.00 11AA=-12.10",
                        "CG|000002|FA 1=7.00",  // its new January did not fit; its May is gone
                        "AG|01    |FA 3=143.00",
                        "PG|000001|FA 2=57.00",
                        "AA|AAAAAA|AA 1=9.00 1AA=-12.10",
                        "BB|BBBBBB|BB 1=57.00",
                    }));
  ASSERT_EQ(events.notes.size(), 2u);
  EXPECT_EQ(events.notes[0].substr(0, 24), "Graph CG000002FA VALOR1 ");
  EXPECT_EQ(events.notes[0].substr(events.notes[0].size() - 8), " no cabe");
  EXPECT_EQ(events.notes[1].substr(0, 24), "Graph AAAAAAAAAA VALOR1 ");
}

class InvoiceTotalsTest : public Statistics {
 protected:
  // NTOTFAC through the function table on invoice `n` of serie A.
  std::vector<double> Totals(int n, bool lines_only = false, bool advances = true) {
    OrgTable& inv = tables["FacCliT"];
    inv.SetOrder(1);
    EXPECT_TRUE(inv.Seek(xb::rdd::KeyValue::Text("A" + StrOf(n, 7))));
    xb::Value result = xb::Value::NewRef(xb::Value(xb::Array::New()));
    const xb::Value total = xb::CallFunction("NTOTFAC", {result, L(lines_only), S("FACCLIT"), S("FACCLIL"), S("IVAS"),
                                                        L(true), L(advances), S("ARTICULO")});
    std::vector<double> out;
    for (const xb::Value& v : result.Deref().AsArray()) out.push_back(v.AsDouble());
    out.push_back(total.AsDouble());
    return out;
  }
  void SetUp() override {
    Statistics::SetUp();
    IndexAll();
    ASSERT_TRUE(tables.Open("EMP/", {"FacCliT", "FacCliL", "Ivas", "Articulo"}, events));
    data::CurrentCompany() = company;
    xb::Def("MSGSTOP", [this](std::string_view text, std::string_view title) {
      messages.push_back(std::string(text) + "|" + std::string(title));
    });
  }
  void TearDown() override {
    tables.Close();
    data::CurrentCompany() = data::CompanySettings();
    Statistics::TearDown();
  }
  TableSet tables;
  std::vector<std::string> messages;
};

TEST_F(InvoiceTotalsTest, BaseVatWithholdingAndAdvances) {
  // 100 at 21 % and 20 at 10 %, and an advance of 1000 when advances count.
  EXPECT_EQ(Totals(1, false, false), (std::vector<double>{120, 23, 0, 0, 0, 0, 143}));
  EXPECT_EQ(Totals(1), (std::vector<double>{1120, 233, 0, 0, 0, 0, 1353}));
  // Freight 6.50 at 21 % (1.365 rounds to 1.37), withholding 15 % of 106.50 (15.975 to 15.98).
  EXPECT_EQ(Totals(3), (std::vector<double>{106.5, 22.37, 0, 0, 15.98, 0, 112.89}));
  EXPECT_TRUE(messages.empty());
}

TEST_F(InvoiceTotalsTest, SurchargeAndDiscounts) {
  OrgTable& inv = tables["FacCliT"];
  inv.SetOrder(1);
  ASSERT_TRUE(inv.Seek(xb::rdd::KeyValue::Text("A" + StrOf(1, 7))));
  inv.PutLog(inv.Field("LRECARGO"), true);
  inv.PutNum(inv.Field("NDTOESP"), 10);
  // Bases 90 (21 %) and 18 (10 %); surcharges 5.2 % and 1.4 % of them from the VAT table.
  EXPECT_EQ(Totals(1, false, false), (std::vector<double>{108, 20.7, 4.93, 0, 0, 0, 133.63}));
  // Lines only: the special discount counts only when the company says so.
  EXPECT_EQ(Totals(1, true, false), (std::vector<double>{120, 23, 5.48, 0, 0, 0, 148.48}));
}

TEST_F(InvoiceTotalsTest, AFourthRateIsRefused) {
  OrgTable& lines = tables["FacCliL"];
  for (double rate : {4.0, 0.0}) {
    ASSERT_TRUE(lines.area().Append());
    lines.PutText(lines.Field("CSERIE"), "A");
    lines.PutNum(lines.Field("NNUMFAC"), 1);
    lines.PutNum(lines.Field("NCANENT"), 1);
    lines.PutNum(lines.Field("NPREUNIT"), 10);
    lines.PutNum(lines.Field("NIVA"), rate);
  }
  const std::vector<double> t = Totals(1, false, false);
  EXPECT_EQ(t[0], 130);  // 100 + 20 + 10 at 4 %; the line at 0 % found no slot
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "No podemos utilizar más de tres tipos de I.V.A.\n\ren una misma factura|Atención");
}

TEST_F(InvoiceTotalsTest, LineAmountsByKind) {
  OrgTable& inv = tables["FacCliT"];
  OrgTable& lines = tables["FacCliL"];
  inv.SetOrder(1);
  ASSERT_TRUE(inv.Seek(xb::rdd::KeyValue::Text("A" + StrOf(1, 7))));
  inv.PutNum(inv.Field("NDTOESP"), 10);
  inv.PutLog(inv.Field("LIVAINCL"), true);
  lines.SetOrder(1);
  ASSERT_TRUE(lines.Seek(xb::rdd::KeyValue::Text("A" + StrOf(1, 7))));  // 2 x 50 at 21 %
  auto kind = [](int k) {
    return xb::CallFunction("NTOTDOCEST", {S("FACCLIT"), S("FACCLIL"), N(k), N(1), L(false), S("ARTICULO")}).AsDouble();
  };
  EXPECT_DOUBLE_EQ(kind(2), 90);      // with the special discount
  EXPECT_DOUBLE_EQ(kind(3), 74.38);   // and the VAT taken out of the price
  EXPECT_DOUBLE_EQ(kind(5), 90);
  lines.PutLog(lines.Field("LSUPLIDOS"), true);
  EXPECT_DOUBLE_EQ(kind(5), 0);       // outlays only when asked for
}

// Documents written one case at a time, each with its header and its lines, and their
// amounts asked of the functions by name.
class DocumentArithmetic : public Statistics {
 protected:
  void SetUp() override {
    Statistics::SetUp();
    company.AddCurrency({"PTS", 0, 0, 0.006010, 166.386, true, 0});
    company.AddCurrency({"USD", 3, 2, 0.92, 0, false, 0.92});
    company.result_decimals = 2;
    Index("Articulo");
  }
  void TearDown() override {
    data::CurrentCompany() = data::CompanySettings();
    Statistics::TearDown();
  }
  void Index(std::string_view table) {
    CatalogueIndexer indexer(Folders{"EMP/", "EMP/"}, events);
    for (const CatalogueRow& row : RowsOfTable(table))
      if (!row.after_statistics) indexer.IndexRow(row);
  }
  // Writes the document and opens it with the articles and the VAT rates; the company's
  // currency is `currency`.
  void Document(std::string_view header, std::string_view lines, const Rec& head, const std::vector<Rec>& rows,
                std::string_view currency = "EUR") {
    tables.Close();
    testing::WriteTable("EMP/", header, {head});
    testing::WriteTable("EMP/", lines, rows);
    Index(lines);
    ASSERT_TRUE(tables.Open("EMP/", {header, lines, "Ivas", "Articulo"}, events));
    data::CompanySettings settings = company;
    settings.currency = std::string(currency);
    data::CurrentCompany() = settings;
  }
  TableSet tables;
};

// NTOTDOCEST: one line's amount by kind, in the company's currency, rounded to its decimals.
TEST_F(DocumentArithmetic, LineAmountsByKind) {
  struct Case {
    const char* name;
    int kind;
    double multiplier;
    bool outlays;
    Rec head, line;
    double amount;
    const char* company = "EUR";
  };
  const Rec discounts = {{"CSERIE", S("A")}, {"NNUMFAC", N(1)}, {"CCODDIV", S("EUR")}, {"NDTOESP", N(10)}, {"NDPP", N(2)}};
  const Rec plain = {{"CSERIE", S("A")}, {"NNUMFAC", N(1)}, {"CCODDIV", S("EUR")}};
  auto line = [](double qty, double price, Rec more = {}) {
    Rec r = {{"CSERIE", S("A")}, {"NNUMFAC", N(1)}, {"CREF", S("R1")}, {"NCANENT", N(qty)}, {"NPREUNIT", N(price)},
             {"NIVA", N(21)}};
    r.insert(r.end(), more.begin(), more.end());
    return r;
  };
  auto with = [](Rec r, Rec more) {
    for (auto& [name, value] : more) {
      auto it = std::find_if(r.begin(), r.end(), [&](const auto& f) { return f.first == name; });
      if (it != r.end()) it->second = value;
      else r.emplace_back(name, value);
    }
    return r;
  };
  const Rec sold = line(2, 50, {{"NDTO", N(10)}, {"NDTOLIN", N(5)}});  // 2 x 50 - 10 % - 5 = 85
  const Case cases[] = {
      // 85 less the header's 10 % and 2 %.
      {"2", 2, 1, false, discounts, sold, 74.97},
      {"2 por dos", 2, 2, false, discounts, sold, 149.94},
      {"2 de un anticipo, sin los descuentos de cabecera", 2, 1, false, discounts, with(sold, {{"CREF", S("ANT")}}), 85},
      {"5", 5, 1, false, discounts, sold, 74.97},
      {"5 de un suplido", 5, 1, false, discounts, with(sold, {{"LSUPLIDOS", L(true)}}), 0},
      {"5 de un suplido que cuenta", 5, 1, true, discounts, with(sold, {{"LSUPLIDOS", L(true)}}), 74.97},
      // 121 with 21 % of VAT in it: 100, less the header's 10 %.
      {"3 con IVA incluido", 3, 1, false, with(plain, {{"LIVAINCL", L(true)}, {"NDTOESP", N(10)}}), line(1, 121), 90},
      {"3 de la serie C", 3, 1, false, with(plain, {{"CSERIE", S("C")}, {"LIVAINCL", L(true)}, {"NDTOESP", N(10)}}),
       with(line(1, 121), {{"CSERIE", S("C")}}), -90},
      {"3 sin IVA incluido", 3, 3, false, plain, line(1, 121), 363},
      {"3 de un suplido", 3, 1, false, plain, with(line(1, 121), {{"LSUPLIDOS", L(true)}}), 0},
      // 3 x 3.335 = 10.005: half away from zero.
      {"redondeo", 2, 1, false, plain, line(3, 3.335), 10.01},
      // Documents in another currency come into the company's.
      {"dólares en una empresa en euros", 2, 1, false, with(plain, {{"CCODDIV", S("USD")}, {"NVALEURO", N(0.5)}}), sold,
       42.5},
      {"pesetas en una empresa en euros", 2, 1, false, with(plain, {{"CCODDIV", S("PTS")}}), line(1, 1000), 6.01},
      {"euros en una empresa en pesetas", 2, 1, false, plain, line(1, 10), 1663.86, "PTS"},
      {"dólares en una empresa en pesetas", 2, 1, false, with(plain, {{"CCODDIV", S("USD")}, {"NVALEURO", N(0.5)}}),
       line(1, 10), 831.93, "PTS"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Document("FacCliT", "FacCliL", c.head, {c.line}, c.company);
    const double amount = xb::CallFunction("NTOTDOCEST", {S("FACCLIT"), S("FACCLIL"), N(c.kind), N(c.multiplier),
                                                          L(c.outlays), S("ARTICULO")})
                              .AsDouble();
    EXPECT_NEAR(amount, c.amount, 1e-9);
  }
  // Kind 1, a supplier's delivery note at its own price: (3 x 12.50 - 10 % - 1) x 2.
  Document("AlbProT", "AlbProL", {{"NNUMALB", N(1)}, {"CCODDIV", S("EUR")}},
           {{{"NNUMALB", N(1)}, {"CREF", S("R1")}, {"NCANENT", N(3)}, {"NPREDIV", N(12.5)}, {"NDTO", N(10)},
             {"NDTOLIN", N(1)}}});
  EXPECT_DOUBLE_EQ(xb::CallFunction("NTOTDOCEST", {S("ALBPROT"), S("ALBPROL"), N(1), N(2)}).AsDouble(), 65.5);
  // Kind 4, a ticket: prices with VAT, the ticket's discount, never converted.
  Document("HTicketT", "HTicketL", {{"CSERIE", S("T")}, {"NNUMTICKET", N(1)}, {"NDTO", N(10)}},
           {{{"CSERIE", S("T")}, {"NNUMTICKET", N(1)}, {"NCANT", N(2)}, {"NPREUNIT", N(12.1)}, {"NIVA", N(21)},
             {"NDTOLIN", N(2.42)}}});
  EXPECT_DOUBLE_EQ(xb::CallFunction("NTOTDOCEST", {S("HTICKETT"), S("HTICKETL"), N(4)}).AsDouble(), 16.2);
  tables.Close();
}

// NTOTFAC: the six totals of an invoice and its total, for invoice A 1.
TEST_F(DocumentArithmetic, InvoiceTotals) {
  struct Case {
    const char* name;
    Rec head;
    std::vector<Rec> lines;
    std::vector<double> totals;  // base, VAT, surcharge, outlays, withholding, financial, total
    bool irpf_on_vat = false;
  };
  const Rec head = {{"CSERIE", S("A")}, {"NNUMFAC", N(1)}, {"CCODDIV", S("EUR")}, {"NTIPOIVA", N(1)}, {"NTRECFIN", N(1)}};
  auto with = [](Rec r, Rec more) {
    for (auto& [name, value] : more) {
      auto it = std::find_if(r.begin(), r.end(), [&](const auto& f) { return f.first == name; });
      if (it != r.end()) it->second = value;
      else r.emplace_back(name, value);
    }
    return r;
  };
  auto line = [](double price, double vat, Rec more = {}) {
    Rec r = {{"CSERIE", S("A")}, {"NNUMFAC", N(1)}, {"CREF", S("R1")}, {"NCANENT", N(1)}, {"NPREUNIT", N(price)},
             {"NIVA", N(vat)}};
    r.insert(r.end(), more.begin(), more.end());
    return r;
  };
  const std::vector<Rec> two_rates = {line(100, 21), line(20, 10)};  // 120: VAT 21 + 2
  const Case cases[] = {
      {"dos tipos", head, two_rates, {120, 23, 0, 0, 0, 0, 143}},
      {"suplido sin impuestos", head, {line(100, 21), line(30, 21, {{"LSUPLIDOS", L(true)}})}, {100, 21, 0, 30, 0, 0, 151}},
      // Withholding of 15 %: on the base, or on base and VAT when the company says so.
      {"retención", with(head, {{"NIRPF", N(15)}}), two_rates, {120, 23, 0, 0, 18, 0, 125}},
      {"retención con IVA", with(head, {{"NIRPF", N(15)}}), two_rates, {120, 23, 0, 0, 21.45, 0, 121.55}, true},
      // Financial surcharge of 2 %: on the base, or on the whole invoice.
      {"recargo financiero sobre la base", with(head, {{"NRECFINANC", N(2)}}), two_rates, {120, 23, 0, 0, 0, 2.4, 145.4}},
      {"recargo financiero sobre el total", with(head, {{"NRECFINANC", N(2)}, {"NTRECFIN", N(2)}}), two_rates,
       {120, 23, 0, 0, 0, 2.86, 145.86}},
      // One flat VAT of 16 % on the base instead of the rates', after the withholding.
      {"IVA único", with(head, {{"NTIPOIVA", N(2)}, {"NPORCIVA", N(16)}, {"NIRPF", N(10)}}), two_rates,
       {120, 19.2, 0, 0, 12, 0, 127.2}},
      // Prices with VAT: 100 at 21 % is 82.64 + 17.35, a cent short: it goes to the base.
      {"IVA incluido", with(head, {{"LIVAINCL", L(true)}}), {line(100, 21)}, {82.65, 17.35, 0, 0, 0, 0, 100}},
      // 82.64 + 17.35 and 45.45 + 4.55 (4.545 rounds up) miss 150 by a cent: to the largest base.
      {"IVA incluido en dos tipos", with(head, {{"LIVAINCL", L(true)}}), {line(100, 21), line(50, 10)},
       {128.1, 21.9, 0, 0, 0, 0, 150}},
      // A flat VAT leaves the rates' VAT out: the 31 missing are shared by the bases, 15.50 each.
      {"IVA incluido con IVA único", with(head, {{"LIVAINCL", L(true)}, {"NTIPOIVA", N(2)}}),
       {line(121, 21), line(110, 10)}, {231, 0, 0, 0, 0, 0, 231}},
      // Serie C gives everything back.
      {"serie C", with(head, {{"CSERIE", S("C")}, {"NIRPF", N(15)}}),
       {with(line(100, 21), {{"CSERIE", S("C")}}), with(line(20, 10), {{"CSERIE", S("C")}})},
       {-120, -23, 0, 0, -18, 0, -125}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Document("FacCliT", "FacCliL", c.head, c.lines);
    data::CurrentCompany().irpf_on_vat = c.irpf_on_vat;
    OrgTable& inv = tables["FacCliT"];
    inv.area().GoTo(1);
    xb::Value result = xb::Value::NewRef(xb::Value(xb::Array::New()));
    const xb::Value total = xb::CallFunction(
        "NTOTFAC", {result, L(false), S("FACCLIT"), S("FACCLIL"), S("IVAS"), L(true), L(true), S("ARTICULO")});
    std::vector<double> got;
    for (const xb::Value& v : result.Deref().AsArray()) got.push_back(v.AsDouble());
    got.push_back(total.AsDouble());
    ASSERT_EQ(got.size(), c.totals.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], c.totals[i], 1e-9) << i;
  }
  tables.Close();
}

TEST_F(Statistics, TicketLinesNetOfVat) {
  testing::WriteTable("EMP/", "HTicketT", {{{"CSERIE", S("T")}, {"NNUMTICKET", N(1)}, {"NDTO", N(10)}}});
  testing::WriteTable("EMP/", "HTicketL",
                      {{{"CSERIE", S("T")}, {"NNUMTICKET", N(1)}, {"NCANT", N(2)}, {"NPREUNIT", N(12.1)}, {"NIVA", N(21)}}});
  TableSet t;
  ASSERT_TRUE(t.Open("EMP/", {"HTicketT", "HTicketL"}, events));
  data::CurrentCompany() = company;
  // 2 x 12.10 = 24.20 with VAT, 20 without, less the ticket's 10 %.
  EXPECT_DOUBLE_EQ(xb::EvalMacro("NTOTDOCEST( \"HTICKETT\", \"HTICKETL\", 4 )").AsDouble(), 18);
  EXPECT_DOUBLE_EQ(xb::EvalMacro("NTOTDOCEST( \"HTICKETT\", \"HTICKETL\", 4, 2 )").AsDouble(), 36);
  data::CurrentCompany() = data::CompanySettings();
}

}  // namespace
}  // namespace app
