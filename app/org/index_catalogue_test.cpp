#include "app/org/index_catalogue.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/org/org_environment.h"
#include "app/org/org_test_support.h"
#include "app/org/table_schemas.h"
#include "runtime/codepage.h"
#include "runtime/rdd/field_key.h"

namespace app {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::string Up(std::string_view s) { return xb::Upper(xb::CodePageEn(), s); }

// Consecutive rows of one table: a table opened and packed once, with the tags it gets.
struct TableRun {
  std::size_t first, count;
};
std::vector<TableRun> TableRuns() {
  const auto rows = IndexCatalogue();
  std::vector<TableRun> runs;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i > 0 && rows[i].table == rows[i - 1].table && rows[i].option == rows[i - 1].option) ++runs.back().count;
    else runs.push_back({i, 1});
  }
  return runs;
}

TEST(IndexCatalogue, HoldsEveryTableAndTagInOptionOrder) {
  const auto rows = IndexCatalogue();
  EXPECT_EQ(rows.size(), 301u);
  EXPECT_EQ(CatalogueTables().size(), 144u);
  EXPECT_EQ(TableRuns().size(), 145u);
  int option = 1;
  for (const CatalogueRow& row : rows) {
    EXPECT_GE(row.option, option) << row.table << "." << row.tag;
    option = row.option;
    EXPECT_LE(row.option, 4);
  }
  EXPECT_EQ(rows.front().table, "Listados");
  EXPECT_EQ(rows.back().table, "Graph");
}

// Options 1 to 3 give each table its own meter, 4 to 146 in order; the gaps table fills the
// first meter after them and the statistics table's second pass the statistics meter.
TEST(IndexCatalogue, MetersFollowTheTables) {
  const auto rows = IndexCatalogue();
  int expected = kFirstCatalogueMeter;
  for (const TableRun& run : TableRuns()) {
    const CatalogueRow& first = rows[run.first];
    for (std::size_t i = run.first; i < run.first + run.count; ++i) EXPECT_EQ(rows[i].meter, first.meter);
    if (first.option <= 3) {
      EXPECT_EQ(first.meter, expected) << first.table;
      ++expected;
    } else if (first.table == "Huecos") {
      EXPECT_EQ(first.meter, kGapsMeter);
    } else {
      EXPECT_EQ(first.table, "Graph");
      EXPECT_EQ(first.meter, kStatisticsMeter);
      EXPECT_TRUE(first.after_statistics);
    }
  }
  EXPECT_EQ(expected, kLastCatalogueMeter + 1);
}

TEST(IndexCatalogue, TitlesOpenTableRunsOnly) {
  const auto rows = IndexCatalogue();
  std::set<std::size_t> run_starts;
  for (const TableRun& run : TableRuns()) run_starts.insert(run.first);
  int titles = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].title.empty()) continue;
    ++titles;
    EXPECT_TRUE(run_starts.count(i)) << rows[i].table << " " << rows[i].title;
  }
  EXPECT_EQ(titles, 77);
  EXPECT_EQ(rows[4].title, "DIVISAS");
  EXPECT_EQ(RowsOfTable("Graph").back().title, "ACTUALIZANDO GRAFICOS");
}

TEST(IndexCatalogue, TagNamesAreUniquePerTableAndFitTheIndexFile) {
  const auto rows = IndexCatalogue();
  for (const TableRun& run : TableRuns()) {
    std::set<std::string> names;
    for (std::size_t i = run.first; i < run.first + run.count; ++i) {
      EXPECT_TRUE(names.insert(Up(rows[i].tag)).second) << rows[i].table << "." << rows[i].tag;
      EXPECT_LE(rows[i].tag.size(), 10u) << rows[i].tag;
    }
  }
  // The statistics table's two passes create the same tag.
  const auto graph = RowsOfTable("graph");
  ASSERT_EQ(graph.size(), 2u);
  EXPECT_EQ(graph[0].tag, graph[1].tag);
  EXPECT_EQ(graph[0].key, graph[1].key);
}

TEST(IndexCatalogue, OnlyTheSupplierPriceTagsAreUnique) {
  std::vector<std::string> unique;
  for (const CatalogueRow& row : IndexCatalogue())
    if (row.unique) unique.push_back(std::string(row.table) + "." + std::string(row.tag));
  EXPECT_THAT(unique, ElementsAre("PrecProv.cCdRfUnq", "PrecProv.cCdDtUnq"));
}

TEST(IndexCatalogue, StartFolderTables) {
  std::set<std::string> start;
  for (const CatalogueTable& t : CatalogueTables())
    if (t.folder == CatalogueFolder::kStart) start.insert(std::string(t.table));
  EXPECT_EQ(start, (std::set<std::string>{"Listados", "ListadoB", "WItemDoc", "Fonts", "Bancos", "Naciones", "Bandera",
                                          "Cajas", "ModCajas", "Bascula", "Cajon", "Tickets", "Visor", "MPago",
                                          "Terminal", "Avisos"}));
}

TEST(IndexCatalogue, KeysKeepTheirTextAsWritten) {
  std::map<std::string, std::string> keys;
  for (const CatalogueRow& row : IndexCatalogue()) keys[std::string(row.table) + "." + std::string(row.tag)] = row.key;
  EXPECT_EQ(keys["DirCli.cDirCli"], "cCodCli  + cIdenDir");
  EXPECT_EQ(keys["PrecDiv.cRefDiv"], "Upper( cRef )           + cCodDiv + cProp1 + cProp2");
  EXPECT_EQ(keys["Articulo.cFamTacR"],
            "If( lBmpTactil, \"1\", \"0\" ) + cCodFam + Str( 9999999999.999999 - nCant_Tac, 17, 6 ) + cRef");
  EXPECT_EQ(keys["HTicketT.nHtickT5"], "If( ! lPagado, \"0\", \"1\" ) + cSerie + Str( nNumTicket, 9 )");
}

// Every key takes its value from its record alone, so a table's keys are gathered as it is
// packed and the table is read once.
TEST(IndexCatalogue, KeysComeFromTheirRecordAlone) {
  for (const CatalogueRow& row : IndexCatalogue())
    EXPECT_TRUE(xb::rdd::KeyOfRecordAlone(row.key)) << row.table << "." << row.tag << ": " << row.key;
  EXPECT_TRUE(xb::rdd::KeyOfRecordAlone(MacroTableTag().key));
}

// ---- the order-bag list ---------------------------------------------------------------------

TEST(OrderBagList, MatchesTheWholeTableNameWithoutRegardToCase) {
  EXPECT_EQ(OrderBagList().size(), 145u);
  EXPECT_THAT(OrderBagTags("ConfKey"), ElementsAre("ConfKE"));
  EXPECT_THAT(OrderBagTags("CONFKEYD"), ElementsAre("ConfKD"));
  EXPECT_THAT(OrderBagTags("confkeyp"), ElementsAre("ConfKP"));
  EXPECT_THAT(OrderBagTags("Ivas"), ElementsAre("cTipoIva", "cDetIva"));
  EXPECT_THAT(OrderBagTags("Articulo"), ElementsAre("cRef", "cDetalle", "cFamRef", "cFamDet", "cFamTacR", "cFamDesT"));
  EXPECT_THAT(OrderBagTags(" Cta "), ElementsAre("Codc"));
  EXPECT_THAT(OrderBagTags("Cta_Rem"), ElementsAre("cCtaRem", "cCtaNom"));
  EXPECT_THAT(OrderBagTags("IClaves"), IsEmpty());  // listed without tags
  EXPECT_THAT(OrderBagTags("Claves"), IsEmpty());   // not listed
  EXPECT_THAT(OrderBagTags("Ticket"), IsEmpty());   // a prefix of listed names only
  EXPECT_THAT(OrderBagTags(""), IsEmpty());
}

TEST(OrderBagList, TheFirstEntryOfATableWins) {
  EXPECT_THAT(OrderBagTags("CodBarC"), ElementsAre("cCodigo"));
  EXPECT_THAT(OrderBagTags("TicketT"), ElementsAre("nTickT1", "nTickT1"));
}

class OrderBagFunction : public testing::OrgTest {};

TEST_F(OrderBagFunction, FromCompiledText) {
  RegisterOrganisationFunctions();
  EXPECT_EQ(xb::EvalMacro("Len( AINDEXCHAIN() )").AsInt(), 145);
  EXPECT_EQ(xb::EvalMacro("AINDEXCHAIN()[ 1 ]").AsString(), "Ivas,cTipoIva,cDetIva");
  EXPECT_EQ(xb::EvalMacro("ATail( AINDEXCHAIN() )").AsString(), "Inven,cInven1");
}

TEST(StartFolder, MacroTableStepAndTag) {
  const auto steps = StartFolderSteps();
  ASSERT_EQ(steps.size(), 8u);
  EXPECT_EQ(steps[2].tables, "Macros");
  EXPECT_TRUE(steps[2].routine.empty());
  EXPECT_EQ(MacroTableTag().tag, "Nombre");
  EXPECT_EQ(MacroTableTag().key, "Upper(Nombre)");
}

// ---- keys against the tables' structures -------------------------------------------------------

class CatalogueKeys : public testing::OrgTest {};

// The key's type: a key that is one field takes the field's type, any other gives text.
char ExpectedType(const CatalogueRow& row, xb::rdd::WorkArea& area) {
  std::string key(row.key);
  while (!key.empty() && key.back() == ' ') key.pop_back();
  while (!key.empty() && key.front() == ' ') key.erase(key.begin());
  const int pos = area.FieldPos(Up(key));
  return pos ? area.FieldAt(pos)->type : 'C';
}

void FillSample(xb::rdd::WorkArea& area) {
  ASSERT_TRUE(area.Append());
  for (int i = 1; i <= area.FieldCount(); ++i) {
    const auto* f = area.FieldAt(i);
    switch (f->type) {
      case 'C': area.PutField(i, xb::Value::String("ñ" + std::string(f->length, 'a'))); break;
      case 'N': area.PutField(i, xb::Value::Integer(7)); break;
      case 'D': area.PutField(i, xb::Value::FromDate(xb::Date::FromYmd(2026, 3, 14))); break;
      case 'L': area.PutField(i, xb::Value::Logical(true)); break;
      default: area.PutField(i, xb::Value::Memo("memo")); break;
    }
  }
  area.Commit();
}

TEST_F(CatalogueKeys, EveryKeyCompilesEvaluatesAndBuildsItsTag) {
  for (const CatalogueTable& table : CatalogueTables()) {
    SCOPED_TRACE(std::string(table.table));
    const TableSchema* schema = FindSchema(table.table);
    ASSERT_NE(schema, nullptr);
    EXPECT_EQ(schema->folder, table.folder);
    xb::rdd::WorkArea& area = CreateAndOpen(*schema);
    FillSample(area);
    testing::SelectScope select(area.number());
    ASSERT_TRUE(area.CreateBag(area.StructuralBagPath(), true));
    for (const CatalogueRow& row : RowsOfTable(table.table)) {
      if (row.after_statistics) continue;
      SCOPED_TRACE(std::string(row.tag));
      xb::SyntaxError error;
      const auto block = xb::TryCompileBlock(row.key, &error);
      ASSERT_TRUE(block.has_value()) << error.message;
      const xb::Value key = block->Eval();
      EXPECT_EQ(key.ValType(), ExpectedType(row, area));
      if (key.IsString()) {
        EXPECT_GT(key.StringLength(), 0u);
        EXPECT_LE(key.StringLength(), 240u);  // the longest key a compound index holds
      }
      xb::rdd::TagSpec spec;
      spec.name = std::string(row.tag);
      spec.key = std::string(row.key);
      spec.unique = row.unique;
      const xb::rdd::BagStatus built = area.StructuralBag()->CreateTag(spec, area.record_source());
      EXPECT_TRUE(built.ok()) << built.message;
    }
    area.Close();
  }
}

TEST(TableSchemas, EveryStructureIsAValidTable) {
  std::set<std::string> names;
  for (const TableSchema& schema : Schemas()) {
    SCOPED_TRACE(std::string(schema.table));
    EXPECT_TRUE(names.insert(Up(schema.table)).second);
    xb::rdd::dbf::Header header;
    std::vector<xb::rdd::dbf::Field> fields;
    const auto specs = Structure(schema);
    EXPECT_GE(specs.size(), 1u);
    EXPECT_TRUE(xb::rdd::dbf::Layout(specs, xb::rdd::dbf::MemoKind::kFpt, &header, &fields).ok());
    if (schema.role == DemoRole::kLines) {
      EXPECT_NE(FindSchema(schema.parent), nullptr);
    }
  }
  for (std::string_view extra : {"Empresa", "VerVDRe", "Claves", "Macros"}) EXPECT_NE(FindSchema(extra), nullptr);
}

}  // namespace
}  // namespace app
