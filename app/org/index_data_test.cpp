#include "app/org/index_data.h"

#include <gtest/gtest.h>

#include "app/org/org_table.h"
#include "app/org/org_test_support.h"
#include "runtime/rdd/dbf_table.h"

namespace app {
namespace {

using testing::D;
using testing::L;
using testing::N;
using testing::Rec;
using testing::S;

class IndexData : public testing::OrgTest {
 protected:
  void SetUp() override {
    OrgTest::SetUp();
    memory().MakeFolder("EMP/");
    memory().MakeFolder("DBF/");
  }
  Folders folders{"EMP/", "DBF/"};
  testing::RecordedEvents events;

  // The tags of a table's structural index, in their order, as "NAME=key".
  std::vector<std::string> Tags(const std::string& folder, std::string_view table) {
    std::vector<std::string> out;
    OrgTable t;
    TableFailure failure;
    if (!t.Open(folder, table, &failure)) return out;
    for (int i = 1; i <= t.area().OrderCount(); ++i) {
      const xb::rdd::TagInfo& info = t.area().OrderAt(i)->Info();
      out.push_back(info.name + "=" + info.key + (info.unique ? " (unique)" : ""));
    }
    return out;
  }
  void IndexTable(CatalogueIndexer& indexer, std::string_view table) {
    for (const CatalogueRow& row : RowsOfTable(table))
      if (!row.after_statistics) indexer.IndexRow(row);
  }
};

TEST_F(IndexData, PacksAndCreatesTheTagsInCatalogueOrderOverAllRecords) {
  testing::WriteTable("EMP/", "Divisas",
                      {{{"CCODDIV", S("USD")}, {"CDETDIV", S("dólar")}},
                       {{"CCODDIV", S("EUR")}, {"CDETDIV", S("euro")}, {"*", L(true)}},
                       {{"CCODDIV", S("GBP")}, {"CDETDIV", S("Libra")}},
                       {{"CCODDIV", S("CHF")}, {"CDETDIV", S("Ñandú")}}});
  {
    CatalogueIndexer indexer(folders, events);
    IndexTable(indexer, "Divisas");
    EXPECT_FALSE(indexer.failed());
  }
  EXPECT_TRUE(events.failures.empty());
  EXPECT_EQ(Tags("EMP/", "Divisas"), (std::vector<std::string>{"CCODDIV=cCodDiv", "CDETDIV=Upper( cDetDiv )"}));
  OrgTable t;
  TableFailure failure;
  ASSERT_TRUE(t.Open("EMP/", "Divisas", &failure));
  EXPECT_EQ(t.RecordCount(), 3u);  // the deleted one is packed away
  for (int order = 1; order <= 2; ++order) {
    std::uint32_t keys = 0;
    ASSERT_TRUE(t.area().OrderAt(order)->KeyCount(keys).ok());
    EXPECT_EQ(keys, 3u);  // every record, whatever record the table stood on
  }
  t.SetOrder(2);
  std::vector<std::string> names;
  for (t.GoTop(); !t.eof(); t.Skip()) names.emplace_back(TrimRight(t.Text(t.Field("CDETDIV"))));
  EXPECT_EQ(names, (std::vector<std::string>{"dólar", "Libra", "Ñandú"}));
  EXPECT_EQ(events.meters, (std::vector<std::pair<int, int>>{{6, 100}, {6, 100}}));
}

TEST_F(IndexData, UniqueTagsKeepTheFirstRecordOfAKey) {
  testing::WriteTable("EMP/", "PrecProv",
                      {{{"CCODPRO", S("000001")}, {"CREF", S("r1")}, {"CDETALLE", S("uno")}},
                       {{"CCODPRO", S("000001")}, {"CREF", S("R1")}, {"CDETALLE", S("otro")}},
                       {{"CCODPRO", S("000002")}, {"CREF", S("R1")}, {"CDETALLE", S("dos")}}});
  CatalogueIndexer indexer(folders, events);
  IndexTable(indexer, "PrecProv");
  indexer.Close();
  OrgTable t;
  TableFailure failure;
  ASSERT_TRUE(t.Open("EMP/", "PrecProv", &failure));
  ASSERT_EQ(t.area().OrderCount(), 5);
  EXPECT_TRUE(t.area().OrderAt(4)->Info().unique);
  std::uint32_t keys = 0;
  ASSERT_TRUE(t.area().OrderAt(4)->KeyCount(keys).ok());
  EXPECT_EQ(keys, 2u);  // cCodPro + Upper( cRef ): "000001R1" once
  ASSERT_TRUE(t.area().OrderAt(3)->KeyCount(keys).ok());
  EXPECT_EQ(keys, 3u);
}

// A table another program holds is not touched: its index stays, the failure is told with
// the operating system's reason, and every further row of it tries and tells again.
TEST_F(IndexData, ATableInUseKeepsItsIndex) {
  testing::WriteTable("EMP/", "Zonas", {{{"CCODZONA", S("001")}, {"CNOMZONA", S("Norte")}}});
  {
    CatalogueIndexer first(folders, events);
    IndexTable(first, "Zonas");
  }
  const std::string index_before = memory().Contents("EMP/Zonas.cdx");
  ASSERT_FALSE(index_before.empty());

  std::unique_ptr<xb::rdd::DbfTable> held;
  xb::rdd::TableOpenOptions shared;
  shared.shared = true;
  ASSERT_TRUE(xb::rdd::DbfTable::Open(memory(), "EMP/Zonas.dbf", shared, &held).ok());
  CatalogueIndexer indexer(folders, events);
  IndexTable(indexer, "Zonas");
  EXPECT_TRUE(indexer.failed());
  ASSERT_EQ(events.failures.size(), 2u);
  EXPECT_EQ(events.failures[0].table, "Zonas");
  EXPECT_EQ(events.failures[0].os_code, 32);
  EXPECT_EQ(memory().Contents("EMP/Zonas.cdx"), index_before);
}

TEST_F(IndexData, AMissingTableIsToldAndSkipped) {
  CatalogueIndexer indexer(folders, events);
  EXPECT_FALSE(indexer.IndexRow(RowsOfTable("Rappels").front()));
  EXPECT_TRUE(indexer.failed());
  ASSERT_EQ(events.failures.size(), 1u);
  EXPECT_EQ(events.failures[0].os_code, 2);
  EXPECT_NE(events.failures[0].path.find("Rappels"), std::string::npos);
}

// Whatever the index file holds, the table is organised: it is never opened.
TEST_F(IndexData, DamagedOrForeignIndexesDoNotStopIt) {
  const std::vector<Rec> zones = {{{"CCODZONA", S("002")}, {"CNOMZONA", S("Sur")}},
                                  {{"CCODZONA", S("001")}, {"CNOMZONA", S("Norte")}}};
  testing::WriteTable("EMP/", "Zonas", zones);
  testing::WriteTable("EMP/", "Seccion", {{{"CCODSEC", S("01")}}});
  {
    CatalogueIndexer indexer(folders, events);
    IndexTable(indexer, "Seccion");  // a valid index of another table
  }
  const std::vector<std::string> garbage = {std::string(1024, '\xFF'), std::string(), memory().Contents("EMP/Seccion.cdx")};
  for (const std::string& bytes : garbage) {
    memory().SetContents("EMP/Zonas.cdx", bytes);
    ASSERT_TRUE(xb::rdd::ClearStructuralIndexFlag(memory(), "EMP/Zonas.dbf").ok());
    {
      // The table says it has an index.
      std::unique_ptr<xb::rdd::DbfTable> t;
      ASSERT_TRUE(xb::rdd::DbfTable::Open(memory(), "EMP/Zonas.dbf", {}, &t).ok());
      ASSERT_TRUE(t->SetStructuralIndex(true).ok());
      ASSERT_TRUE(t->Close().ok());
    }
    CatalogueIndexer indexer(folders, events);
    IndexTable(indexer, "Zonas");
    indexer.Close();
    EXPECT_FALSE(indexer.failed());
    EXPECT_EQ(Tags("EMP/", "Zonas"), (std::vector<std::string>{"CCODZONA=cCodZona", "CNOMZONA=Upper( cNomZona )"}));
  }
  EXPECT_TRUE(events.failures.empty());
}

TEST_F(IndexData, ConsecutiveRowsOfATablePackItOnce) {
  testing::WriteTable("EMP/", "Familias", {{{"CCODFAM", S("01")}}, {{"CCODFAM", S("02")}, {"*", L(true)}}});
  CatalogueIndexer indexer(folders, events);
  const auto rows = RowsOfTable("Familias");
  ASSERT_EQ(rows.size(), 6u);
  indexer.IndexRow(rows[0]);
  // A record deleted between two tags stays until the table is packed again.
  {
    OrgTable other;
    TableFailure failure;
    EXPECT_FALSE(other.Open("EMP/", "Familias", &failure));  // held exclusively meanwhile
  }
  for (std::size_t i = 1; i < rows.size(); ++i) indexer.IndexRow(rows[i]);
  indexer.Close();
  EXPECT_EQ(Tags("EMP/", "Familias").size(), 6u);
  EXPECT_EQ(testing::LiveRecords("EMP/", "Familias", {"CCODFAM"}).size(), 1u);
}

// Files as in memory, except that a table cannot be opened again once a packed file took its
// place (another program grabbed it meanwhile).
class GrabbedAfterPack final : public xb::rdd::FileSystem {
 public:
  explicit GrabbedAfterPack(xb::rdd::FileSystem& base) : base_(base) {}
  xb::rdd::Status Open(const std::string& path, const xb::rdd::OpenOptions& options,
                       std::unique_ptr<xb::rdd::File>* file) override {
    if (path == grabbed) return xb::rdd::Status::Io(32, "abrir: en uso por otro proceso");
    return base_.Open(path, options, file);
  }
  xb::rdd::Status Remove(const std::string& path) override { return base_.Remove(path); }
  xb::rdd::Status Rename(const std::string& from, const std::string& to) override {
    const xb::rdd::Status s = base_.Rename(from, to);
    if (s.ok()) grabbed = to;
    return s;
  }
  bool Exists(const std::string& path) override { return base_.Exists(path); }
  std::string grabbed;

 private:
  xb::rdd::FileSystem& base_;
};

TEST_F(IndexData, APackedTableThatCannotBeOpenedAgainIsToldAndLeftClosed) {
  const auto rows = RowsOfTable("Familias");
  // The packed table takes its place as the first tag is written, or at once when the table
  // has yet to be marked as having an index.
  for (const auto& [together, marked] : {std::pair{true, true}, {false, true}, {true, false}, {false, false}}) {
    SCOPED_TRACE(std::string(together ? "rows together" : "row by row") + (marked ? ", marked" : ""));
    testing::WriteTable("EMP/", "Familias", {{{"CCODFAM", S("01")}}, {{"CCODFAM", S("02")}, {"*", L(true)}}});
    if (marked) {
      std::unique_ptr<xb::rdd::DbfTable> t;
      ASSERT_TRUE(xb::rdd::DbfTable::Open(memory(), "EMP/Familias.dbf", {}, &t).ok());
      ASSERT_TRUE(t->SetStructuralIndex(true).ok());
    }
    GrabbedAfterPack grabbing(memory());
    areas().set_file_system(&grabbing);
    events.failures.clear();
    {
      CatalogueIndexer indexer(folders, events);
      std::vector<const CatalogueRow*> all;
      for (const CatalogueRow& row : rows) all.push_back(&row);
      if (together) EXPECT_FALSE(indexer.IndexRows(all));
      else
        for (const CatalogueRow& row : rows) EXPECT_FALSE(indexer.IndexRow(row));
      EXPECT_TRUE(indexer.failed());
    }
    areas().set_file_system(&memory());
    EXPECT_FALSE(events.failures.empty());
    EXPECT_EQ(testing::LiveRecords("EMP/", "Familias", {"CCODFAM"}).size(), 1u);
  }
}

TEST_F(IndexData, TheMacroTableOfTheStartFolder) {
  EXPECT_TRUE(ReindexMacroTable("DBF/", events));  // none: nothing to do
  testing::WriteTable("DBF/", "Macros", {{{"NOMBRE", S("zeta")}}, {{"NOMBRE", S("Alfa")}, {"*", L(true)}}});
  EXPECT_TRUE(ReindexMacroTable("DBF/", events));
  EXPECT_EQ(Tags("DBF/", "Macros"), (std::vector<std::string>{"NOMBRE=Upper(Nombre)"}));
  EXPECT_EQ(testing::LiveRecords("DBF/", "Macros", {"NOMBRE"}).size(), 1u);
}

}  // namespace
}  // namespace app
