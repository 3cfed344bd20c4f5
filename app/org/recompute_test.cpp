#include <gtest/gtest.h>

#include "app/org/index_catalogue.h"
#include "app/org/index_data.h"
#include "app/org/org_test_support.h"
#include "app/org/recompute_support.h"
#include "app/org/risk_recompute.h"
#include "app/org/stock_recompute.h"

namespace app {
namespace {

using testing::L;
using testing::N;
using testing::Rec;
using testing::S;

class Recompute : public testing::OrgTest {
 protected:
  void SetUp() override {
    OrgTest::SetUp();
    memory().MakeFolder("EMP/");
  }
  testing::RecordedEvents events;

  // Every table the stock recomputation opens, empty but for `Articulo` and `Kits`.
  void WriteStockTables() {
    testing::WriteTable("EMP/", "Articulo",
                        {{{"CREF", S("A1")}, {"NPENDREC", N(555)}, {"NSALACU", N(555)}},
                         {{"CREF", S("A2")}, {"NENTACU", N(1)}},
                         {{"CREF", S("K1")}, {"LKIT", L(true)}},
                         {{"CREF", S("a4")}},
                         {{"CREF", S("A5")}, {"NSALACU", N(99)}, {"*", L(true)}}});
    testing::WriteTable("EMP/", "Kits",
                        {{{"CREF", S("k1")}, {"CREFCOMP", S("A1")}, {"NCANTIDAD", N(2)}},
                         {{"CREF", S("K1")}, {"CREFCOMP", S("A2")}, {"NCANTIDAD", N(3)}},
                         {{"CREF", S("K1")}, {"CREFCOMP", S("NOEXISTE")}, {"NCANTIDAD", N(7)}}});
    for (std::string_view t : {"PedProL", "PedCliL", "AlbProL", "CabProd", "FacProL", "FacProT", "AlbCliL", "FacCliL",
                               "FacCliT", "HTicketL"})
      testing::WriteTable("EMP/", t, {});
  }
  std::vector<double> Sums(std::uint32_t article) {
    std::vector<double> out;
    for (std::string_view f : {"NPENDREC", "NPENDSER", "NENTACU", "NSALACU"})
      out.push_back(testing::ReadField("EMP/", "Articulo", article, f).AsDouble());
    return out;
  }
};

// A hand-checked company: each line below says what it adds.
TEST_F(Recompute, StockAccumulatorsWithKits) {
  WriteStockTables();
  testing::WriteTable("EMP/", "PedProL",
                      {{{"CREF", S("A1")}, {"NCANPED", N(10)}, {"NCANENT", N(4)}},   // A1 pending receipt 6
                       {{"CREF", S("A2")}, {"NCANPED", N(5)}, {"NCANENT", N(5)}},    // served
                       {{"CREF", S("A1")}, {"NCANPED", N(3)}, {"NCANENT", N(5)}},    // over-served: nothing
                       {{"CREF", S("K1")}, {"NCANPED", N(2)}, {"NCANENT", N(0)}}});  // kits not expanded: K1 2
  testing::WriteTable("EMP/", "PedCliL",
                      {{{"CREF", S("K1")}, {"NCANPED", N(4)}, {"NCANENT", N(1)}},  // 3 kits: A1 6, A2 9
                       {{"CREF", S("A2")}, {"NCANPED", N(2)}, {"NCANENT", N(0)}},  // A2 2
                       {{"CREF", S("")}, {"NCANPED", N(5)}},                       // no reference
                       {{"CREF", S("ZZ")}, {"NCANPED", N(5)}},                     // no such article
                       {{"CREF", S("A1")}, {"NCANPED", N(8)}, {"*", L(true)}}});   // deleted
  testing::WriteTable("EMP/", "AlbProL",
                      {{{"CREF", S("A1")}, {"NCANENT", N(7)}},    // A1 entries 7
                       {{"CREF", S("K1")}, {"NCANENT", N(1)}}});  // K1 1
  testing::WriteTable("EMP/", "CabProd",
                      {{{"CREF", S("A2")}, {"LCERRADA", L(true)}, {"NCANTIDAD", N(10)}},   // A2 10
                       {{"CREF", S("A1")}, {"LCERRADA", L(false)}, {"NCANTIDAD", N(99)}}});
  testing::WriteTable("EMP/", "FacProT",
                      {{{"CSERIE", S("A")}, {"NNUMFAC", N(1)}, {"NTIPOFAC", N(1)}},
                       {{"CSERIE", S("A")}, {"NNUMFAC", N(2)}, {"NTIPOFAC", N(2)}},
                       {{"CSERIE", S("B")}, {"NNUMFAC", N(1)}, {"NTIPOFAC", N(1)}}});
  testing::WriteTable("EMP/", "FacProL",
                      {{{"CSERIE", S("B")}, {"NNUMFAC", N(1)}, {"CREF", S("A2")}, {"NCANENT", N(4)}},    // A2 4
                       {{"CSERIE", S("A")}, {"NNUMFAC", N(1)}, {"CREF", S("A1")}, {"NCANENT", N(3)}},    // A1 3
                       {{"CSERIE", S("A")}, {"NNUMFAC", N(1)}, {"CREF", S("A2")}, {"NCANENT", N(1)}},    // A2 1
                       {{"CSERIE", S("A")}, {"NNUMFAC", N(2)}, {"CREF", S("A1")}, {"NCANENT", N(100)}}});  // type 2
  testing::WriteTable("EMP/", "AlbCliL",
                      {{{"CREF", S("A1")}, {"NCANENT", N(2)}},    // A1 exits 2
                       {{"CREF", S("K1")}, {"NCANENT", N(1)}}});  // A1 2, A2 3
  testing::WriteTable("EMP/", "FacCliT",
                      {{{"CSERIE", S("A")}, {"NNUMFAC", N(1)}, {"NTIPOFAC", N(1)}},
                       {{"CSERIE", S("C")}, {"NNUMFAC", N(1)}, {"NTIPOFAC", N(1)}},
                       {{"CSERIE", S("A")}, {"NNUMFAC", N(2)}, {"NTIPOFAC", N(2)}}});
  testing::WriteTable("EMP/", "FacCliL",
                      {{{"CSERIE", S("A")}, {"NNUMFAC", N(1)}, {"CREF", S("A1")}, {"NCANENT", N(5)}},     // A1 5
                       {{"CSERIE", S("C")}, {"NNUMFAC", N(1)}, {"CREF", S("A2")}, {"NCANENT", N(2)}},     // A2 -2
                       {{"CSERIE", S("A")}, {"NNUMFAC", N(2)}, {"CREF", S("A1")}, {"NCANENT", N(50)}},    // type 2
                       {{"CSERIE", S("C")}, {"NNUMFAC", N(1)}, {"CREF", S("K1")}, {"NCANENT", N(1)}}});   // A1 -2, A2 -3
  testing::WriteTable("EMP/", "HTicketL",
                      {{{"CREF", S("A2")}, {"NCANT", N(4)}},     // A2 4
                       {{"CREF", S("A4")}, {"NCANT", N(1)}},     // a4 1: references are sought in upper case
                       {{"CREF", S("A5")}, {"NCANT", N(3)}}});   // a deleted article is not found

  ASSERT_TRUE(RecomputeStock("EMP/", events));
  EXPECT_TRUE(events.failures.empty());
  EXPECT_EQ(Sums(1), (std::vector<double>{6, 6, 10, 7}));
  EXPECT_EQ(Sums(2), (std::vector<double>{0, 11, 15, 2}));
  EXPECT_EQ(Sums(3), (std::vector<double>{2, 0, 1, 0}));
  EXPECT_EQ(Sums(4), (std::vector<double>{0, 0, 0, 1}));
  EXPECT_EQ(Sums(5), (std::vector<double>{0, 0, 0, 99}));  // deleted: left as it was
  EXPECT_EQ(events.titles, (std::vector<std::string>{"ACTUALIZANDO PENDIENTES", "ACTUALIZANDO ACUMULADO ENTRADAS",
                                                     "ACTUALIZANDO ACUMULADO SALIDAS"}));
}

// Sums that do not fit their fields leave them as they were; the first 20 are told one by
// one, the rest as a count, and every other field and article is written.
TEST_F(Recompute, SumsThatDoNotFitLeaveTheirFieldsAndAreTold) {
  std::vector<Rec> articles, lines;
  for (int i = 1; i <= 25; ++i) {
    const std::string ref = "B" + std::to_string(i);
    articles.push_back({{"CREF", S(ref)}, {"NSALACU", N(i)}, {"NENTACU", N(i)}});
    for (int n = 0; n < 150; ++n) lines.push_back({{"CREF", S(ref)}, {"NCANT", N(99999999.999)}});
  }
  articles.push_back({{"CREF", S("C1")}, {"NSALACU", N(4)}});
  lines.push_back({{"CREF", S("C1")}, {"NCANT", N(3)}});
  WriteStockTables();
  testing::WriteTable("EMP/", "Articulo", articles);
  testing::WriteTable("EMP/", "HTicketL", lines);
  EXPECT_TRUE(RecomputeStock("EMP/", events));
  EXPECT_TRUE(events.failures.empty());
  for (std::uint32_t r = 1; r <= 25; ++r) EXPECT_EQ(Sums(r), (std::vector<double>{0, 0, 0, double(r)})) << r;
  EXPECT_EQ(Sums(26), (std::vector<double>{0, 0, 0, 3}));
  ASSERT_EQ(events.notes.size(), 21u);
  EXPECT_EQ(events.notes[0], "Articulo B1 NSALACU 14999999999.850 no cabe");
  EXPECT_EQ(events.notes[20], "Articulo: 5 números más no caben en su campo");
}

TEST_F(Recompute, StockChangesNothingWhenATableIsMissing) {
  WriteStockTables();
  ASSERT_TRUE(memory().Remove("EMP/HTicketL.dbf").ok());
  EXPECT_FALSE(RecomputeStock("EMP/", events));
  ASSERT_EQ(events.failures.size(), 1u);
  EXPECT_EQ(events.failures[0].table, "HTicketL");
  EXPECT_EQ(events.skipped.size(), 1u);
  EXPECT_EQ(Sums(1), (std::vector<double>{555, 0, 0, 555}));
  // Every table opened before the missing one was closed again.
  OrgTable articles;
  TableFailure failure;
  EXPECT_TRUE(articles.Open("EMP/", "Articulo", &failure));
}

// Passes by record number open their tables without their index, which stays as it was,
// unless a field written to a table is in a key of the catalogue's tags.
TEST_F(Recompute, TablesOpenWithTheirIndexOnlyWhenAWrittenFieldIsInAKey) {
  testing::WriteTable("EMP/", "Articulo", {{{"CREF", S("A1")}}, {{"CREF", S("a2")}, {"NCANT_TAC", N(3)}}});
  testing::WriteTable("EMP/", "Graph", {{{"CLAVE1", S("CG")}, {"CCOD", S("000001")}}});
  {
    CatalogueIndexer indexer(Folders{"EMP/", "DBF/"}, events);
    for (std::string_view table : {"Articulo", "Graph"})
      for (const CatalogueRow& row : RowsOfTable(table))
        if (!row.after_statistics) indexer.IndexRow(row);
  }
  ASSERT_TRUE(events.failures.empty());
  const std::string articles_index = memory().Contents("EMP/Articulo.cdx");
  ASSERT_FALSE(articles_index.empty());

  constexpr std::string_view kSums[] = {"NPENDREC", "NSALACU"};
  constexpr std::string_view kTouchAmount[] = {"NSALACU", "nCant_Tac"};  // Str( ... nCant_Tac ... ) in a key
  constexpr std::string_view kReference[] = {"cref"};
  const struct {
    const char* what;
    bool by_record;
    std::initializer_list<TableSet::Written> written;
    int orders;
  } cases[] = {
      {"seeking", false, {}, 7},
      {"read only", true, {}, 0},
      {"sums written", true, {{"Articulo", kSums}}, 0},
      {"another table's key field", true, {{"Graph", kReference}}, 0},
      {"a field of a Str() in a key", true, {{"Articulo", kTouchAmount}}, 7},
      {"a key field, in other case", true, {{"Articulo", kReference}}, 7},
  };
  for (const auto& c : cases) {
    TableSet t;
    ASSERT_TRUE(c.by_record ? t.OpenByRecord("EMP/", {"Articulo"}, events, c.written)
                            : t.Open("EMP/", {"Articulo"}, events))
        << c.what;
    EXPECT_EQ(t["Articulo"].area().OrderCount(), c.orders) << c.what;
    EXPECT_EQ(t["Articulo"].area().controlling_order(), c.orders ? 1 : 0) << c.what;
    t.Close();
    EXPECT_EQ(memory().Contents("EMP/Articulo.cdx"), articles_index) << c.what;
  }
  // A table rebuilt whole loses its index file.
  TableSet t;
  ASSERT_TRUE(t.OpenByRecord("EMP/", {"Graph", "Articulo"}, events, {}, {"Graph"}));
  EXPECT_EQ(t["Graph"].area().OrderCount(), 0);
  t.Close();
  EXPECT_FALSE(memory().Exists("EMP/Graph.cdx"));
  EXPECT_EQ(memory().Contents("EMP/Articulo.cdx"), articles_index);
}

// Written without its index, the stock leaves Articulo's tags as they were, and right.
TEST_F(Recompute, StockLeavesTheArticlesIndexAsItWas) {
  WriteStockTables();
  testing::WriteTable("EMP/", "HTicketL", {{{"CREF", S("A2")}, {"NCANT", N(4)}}});
  {
    CatalogueIndexer indexer(Folders{"EMP/", "DBF/"}, events, /*pack=*/false);
    for (const CatalogueRow& row : RowsOfTable("Articulo")) indexer.IndexRow(row);
  }
  const std::string index = memory().Contents("EMP/Articulo.cdx");
  ASSERT_TRUE(RecomputeStock("EMP/", events));
  EXPECT_TRUE(events.failures.empty());
  EXPECT_EQ(Sums(2), (std::vector<double>{0, 0, 0, 4}));
  EXPECT_EQ(memory().Contents("EMP/Articulo.cdx"), index);
  OrgTable articles;
  TableFailure failure;
  ASSERT_TRUE(articles.Open("EMP/", "Articulo", &failure));
  articles.SetOrder(1);
  EXPECT_TRUE(articles.Seek(xb::rdd::KeyValue::Text("A4")));
  EXPECT_EQ(articles.recno(), 4u);
}

class Risk : public Recompute {
 protected:
  void WriteRiskTables() {
    testing::WriteTable("EMP/", "Clientes",
                        {{{"CCODCLI", S("000001")}, {"NRIESGOALC", N(1)}, {"NMOROSOS", N(1)}},
                         {{"CCODCLI", S("000002")}},
                         {{"CCODCLI", S("000003")}, {"NRIESGOALC", N(33)}, {"*", L(true)}}});
    testing::WriteTable("EMP/", "Divisas",
                        {{{"CCODDIV", S("EUR")}, {"NDECRES", N(2)}, {"LZONAEURO", L(true)}, {"NTASACONV", N(1)}},
                         {{"CCODDIV", S("USD")}, {"NDECRES", N(2)}, {"NVALEURO99", N(0.5)}}});
    testing::WriteTable(
        "EMP/", "AlbCliT",
        {{{"NNUMALB", N(1)}, {"CCODCLI", S("000001")}, {"CCODDIV", S("EUR")}, {"NVALEURO", N(1)}, {"NDTOESP", N(10)},
          {"NPORTES", N(5)}},                                                                                  // 27.50
         {{"NNUMALB", N(2)}, {"CCODCLI", S("000001")}, {"LFACTURADO", L(true)}},                              // invoiced
         {{"NNUMALB", N(3)}, {"CCODCLI", S("000002")}, {"CCODDIV", S("USD")}, {"NVALEURO", N(0.5)}},          // 15
         {{"NNUMALB", N(4)}, {"CCODCLI", S("000003")}, {"CCODDIV", S("EUR")}},                                // deleted customer
         {{"NNUMALB", N(5)}, {"CCODCLI", S("999999")}, {"CCODDIV", S("EUR")}}});                              // unknown
    testing::WriteTable("EMP/", "AlbCliL",
                        {{{"NNUMALB", N(1)}, {"NCANENT", N(2)}, {"NPREUNIT", N(10)}},                                // 20
                         {{"NNUMALB", N(3)}, {"NCANENT", N(3)}, {"NPREUNIT", N(10)}},                                // 30
                         {{"NNUMALB", N(1)}, {"NCANENT", N(1)}, {"NPREUNIT", N(7.5)}, {"NDTO", N(20)}, {"NDTOLIN", N(1)}},  // 5
                         {{"NNUMALB", N(2)}, {"NCANENT", N(1)}, {"NPREUNIT", N(100)}},
                         {{"NNUMALB", N(4)}, {"NCANENT", N(1)}, {"NPREUNIT", N(50)}}});
    testing::WriteTable(
        "EMP/", "Recibos",
        {{{"CSERIE", S("A")}, {"CCODCLI", S("000001")}, {"NIMPORTE", N(100)}, {"NESTADO", N(1)}, {"CCODDIV", S("EUR")}},
         {{"CSERIE", S("A")}, {"CCODCLI", S("000001")}, {"NIMPORTE", N(40)}, {"NESTADO", N(3)}, {"CCODDIV", S("EUR")}},
         {{"CSERIE", S("C")}, {"CCODCLI", S("000001")}, {"NIMPORTE", N(10)}, {"NESTADO", N(1)}, {"CCODDIV", S("EUR")}},
         {{"CSERIE", S("A")}, {"CCODCLI", S("000002")}, {"NIMPORTE", N(70)}, {"NESTADO", N(2)}, {"CCODDIV", S("EUR")}},
         {{"CSERIE", S("A")}, {"CCODCLI", S("000002")}, {"NIMPORTE", N(20)}, {"NESTADO", N(3)}, {"CCODDIV", S("USD")},
          {"NVALEURO", N(0.5)}}});
    for (std::string_view t : {"FacCliT", "FacCliL", "Ivas", "Claves"}) testing::WriteTable("EMP/", t, {});
  }
  data::CompanySettings Euro() {
    data::CompanySettings c;
    c.AddCurrency({"EUR", 3, 2, 1, 1, true, 1});
    c.AddCurrency({"USD", 3, 2, 0.5, 0, false, 0.5});
    return c;
  }
};

TEST_F(Risk, NotesNotInvoicedAndReceiptsNotPaid) {
  WriteRiskTables();
  ASSERT_TRUE(RecomputeRisk("EMP/", Euro(), events));
  EXPECT_TRUE(events.failures.empty());
  // 27.50 + 100 + 40 - 10 (serie "C"); overdue: the receipt of state 3.
  EXPECT_DOUBLE_EQ(testing::ReadField("EMP/", "Clientes", 1, "NRIESGOALC").AsDouble(), 157.5);
  EXPECT_DOUBLE_EQ(testing::ReadField("EMP/", "Clientes", 1, "NMOROSOS").AsDouble(), 40);
  // 30 dollars at 0.5 and an overdue receipt of 20 dollars.
  EXPECT_DOUBLE_EQ(testing::ReadField("EMP/", "Clientes", 2, "NRIESGOALC").AsDouble(), 25);
  EXPECT_DOUBLE_EQ(testing::ReadField("EMP/", "Clientes", 2, "NMOROSOS").AsDouble(), 10);
  EXPECT_DOUBLE_EQ(testing::ReadField("EMP/", "Clientes", 3, "NRIESGOALC").AsDouble(), 33);
}

TEST_F(Risk, ChangesNothingWhenATableIsMissing) {
  WriteRiskTables();
  ASSERT_TRUE(memory().Remove("EMP/Claves.dbf").ok());
  EXPECT_FALSE(RecomputeRisk("EMP/", Euro(), events));
  EXPECT_EQ(events.skipped.size(), 1u);
  EXPECT_DOUBLE_EQ(testing::ReadField("EMP/", "Clientes", 1, "NRIESGOALC").AsDouble(), 1);
}

}  // namespace
}  // namespace app
