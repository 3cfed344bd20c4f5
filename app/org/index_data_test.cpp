#include "app/org/index_data.h"

#include <gtest/gtest.h>

#include "app/org/org_table.h"
#include "app/org/org_test_support.h"
#include "runtime/rdd/dbf_table.h"
#include "runtime/rdd/faulty_file_system.h"

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
// place (another program grabbed it meanwhile), nor, with `refuse_placing`, be replaced by one.
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
    if (refuse_placing && xb::rdd::PathExtension(to) == ".dbf") return xb::rdd::Status::Io(32, "renombrar: en uso por otro proceso");
    const xb::rdd::Status s = base_.Rename(from, to);
    if (s.ok()) grabbed = to;
    return s;
  }
  bool Exists(const std::string& path) override { return base_.Exists(path); }
  std::string grabbed;
  bool refuse_placing = false;

 private:
  xb::rdd::FileSystem& base_;
};

TEST_F(IndexData, APackedTableThatCannotBeOpenedAgainIsToldAndLeftClosed) {
  const auto rows = RowsOfTable("Familias");
  // A packed table, marked as having an index or yet to be, takes its place when the indexer
  // closes and is never opened again: another program holding it by then changes nothing.
  // One holding the old table when the packed one is to take its place is told, and the old
  // table stays, whole.
  for (const bool refused : {false, true}) {
    for (const auto& [together, marked] : {std::pair{true, true}, {false, true}, {true, false}, {false, false}}) {
      SCOPED_TRACE(std::string(together ? "rows together" : "row by row") + (marked ? ", marked" : "") +
                   (refused ? ", placing refused" : ""));
      for (const char* old : {"EMP/Familias.cdx", "EMP/Familias.pk$", "EMP/Familias.cd$"})
        if (memory().Exists(old)) ASSERT_TRUE(memory().Remove(old).ok());
      testing::WriteTable("EMP/", "Familias", {{{"CCODFAM", S("01")}}, {{"CCODFAM", S("02")}, {"*", L(true)}}});
      if (marked) {
        std::unique_ptr<xb::rdd::DbfTable> t;
        ASSERT_TRUE(xb::rdd::DbfTable::Open(memory(), "EMP/Familias.dbf", {}, &t).ok());
        ASSERT_TRUE(t->SetStructuralIndex(true).ok());
      }
      const std::string old_table = memory().Contents("EMP/Familias.dbf");
      GrabbedAfterPack grabbing(memory());
      grabbing.refuse_placing = refused;
      areas().set_file_system(&grabbing);
      events.failures.clear();
      {
        CatalogueIndexer indexer(folders, events);
        std::vector<const CatalogueRow*> all;
        for (const CatalogueRow& row : rows) all.push_back(&row);
        if (together) EXPECT_TRUE(indexer.IndexRows(all));
        else
          for (const CatalogueRow& row : rows) EXPECT_TRUE(indexer.IndexRow(row));
        indexer.Close();
        EXPECT_EQ(indexer.failed(), refused);
      }
      areas().set_file_system(&memory());
      EXPECT_EQ(events.failures.empty(), !refused);
      EXPECT_EQ(testing::LiveRecords("EMP/", "Familias", {"CCODFAM"}).size(), 1u);
      for (const char* temp : {"EMP/Familias.pk$", "EMP/Familias.cd$"}) EXPECT_FALSE(memory().Exists(temp)) << temp;
      if (refused) {
        EXPECT_EQ(memory().Contents("EMP/Familias.dbf"), old_table);
        EXPECT_FALSE(memory().Exists("EMP/Familias.cdx"));
      } else {
        EXPECT_EQ(Tags("EMP/", "Familias").size(), rows.size());
      }
    }
  }
}

// The codes of the live records, read from the table's file alone (its index may be damaged).
std::vector<std::string> LiveCodes(xb::rdd::FileSystem& fs, const std::string& path) {
  std::vector<std::string> codes;
  std::unique_ptr<xb::rdd::DbfTable> t;
  if (!xb::rdd::DbfTable::Open(fs, path, {}, &t).ok()) return codes;
  const int field = t->FieldIndex("CCODFAM");
  for (std::uint32_t r = 1; r <= t->known_count(); ++r)
    if (t->GoTo(r).ok() && !t->deleted())
      codes.emplace_back(TrimRight(xb::rdd::dbf::DecodeCharacter(t->record(), t->fields()[std::size_t(field)])));
  return codes;
}

// Marks a table as having a structural index, as one indexed before is.
void MarkIndexed(xb::rdd::FileSystem& fs, const std::string& path) {
  std::unique_ptr<xb::rdd::DbfTable> t;
  ASSERT_TRUE(xb::rdd::DbfTable::Open(fs, path, {}, &t).ok());
  ASSERT_TRUE(t->SetStructuralIndex(true).ok());
}

// A packed table and its index take their places when the table closes or, deferred, when
// the indexer closes; until then the old table stays whole in its place, without an index.
TEST_F(IndexData, PackedTablesTakeTheirPlaceWithTheirIndexWhenClosed) {
  const auto families = RowsOfTable("Familias");
  const auto zones = RowsOfTable("Zonas");
  for (const bool deferred : {true, false}) {
    SCOPED_TRACE(deferred ? "deferred" : "as each table closes");
    for (const char* old : {"EMP/Familias.cdx", "EMP/Zonas.cdx"})
      if (memory().Exists(old)) ASSERT_TRUE(memory().Remove(old).ok());
    testing::WriteTable("EMP/", "Familias",
                        {{{"CCODFAM", S("01")}}, {{"CCODFAM", S("02")}, {"*", L(true)}}, {{"CCODFAM", S("03")}}});
    testing::WriteTable("EMP/", "Zonas", {{{"CCODZONA", S("001")}, {"*", L(true)}}, {{"CCODZONA", S("002")}}});
    MarkIndexed(memory(), "EMP/Familias.dbf");
    MarkIndexed(memory(), "EMP/Zonas.dbf");
    const std::string familias = memory().Contents("EMP/Familias.dbf");
    const std::string zonas = memory().Contents("EMP/Zonas.dbf");
    {
      CatalogueIndexer indexer(folders, events);
      if (deferred) indexer.DeferPlacement();
      std::vector<const CatalogueRow*> rows;
      for (const CatalogueRow& row : families) rows.push_back(&row);
      EXPECT_TRUE(indexer.IndexRows(rows));
      EXPECT_EQ(memory().Contents("EMP/Familias.dbf"), familias);
      EXPECT_FALSE(memory().Exists("EMP/Familias.cdx"));
      rows.clear();
      for (const CatalogueRow& row : zones) rows.push_back(&row);
      EXPECT_TRUE(indexer.IndexRows(rows));
      EXPECT_EQ(memory().Contents("EMP/Zonas.dbf"), zonas);
      EXPECT_FALSE(memory().Exists("EMP/Zonas.cdx"));
      EXPECT_EQ(memory().Contents("EMP/Familias.dbf") == familias, deferred);
      EXPECT_EQ(memory().Exists("EMP/Familias.cdx"), !deferred);
      indexer.Close();
      EXPECT_FALSE(indexer.failed());
    }
    EXPECT_TRUE(events.failures.empty());
    for (const char* temp : {"EMP/Familias.pk$", "EMP/Familias.cd$", "EMP/Zonas.pk$", "EMP/Zonas.cd$"})
      EXPECT_FALSE(memory().Exists(temp)) << temp;
    EXPECT_EQ(LiveCodes(memory(), "EMP/Familias.dbf"), (std::vector<std::string>{"01", "03"}));
    EXPECT_EQ(Tags("EMP/", "Familias").size(), families.size());
    EXPECT_EQ(Tags("EMP/", "Zonas").size(), zones.size());
    OrgTable t;
    TableFailure failure;
    ASSERT_TRUE(t.Open("EMP/", "Familias", &failure));
    EXPECT_EQ(t.RecordCount(), 2u);
    std::uint32_t keys = 0;
    ASSERT_TRUE(t.area().OrderAt(1)->KeyCount(keys).ok());
    EXPECT_EQ(keys, 2u);
  }
}

// A power cut (what was not synced is lost) or a failing change at any step of packing and
// indexing loses no live record, and leaves no index whole with all its tags that does not
// match its table: either the old table, without an index or with a damaged one, or the
// packed table with its index.
TEST_F(IndexData, ACrashOrAFailureAtAnyStepLeavesNoIndexThatDoesNotMatchItsTable) {
  testing::WriteTable("EMP/", "Familias",
                      {{{"CCODFAM", S("01")}}, {{"CCODFAM", S("02")}, {"*", L(true)}}, {{"CCODFAM", S("03")}}});
  MarkIndexed(memory(), "EMP/Familias.dbf");
  const std::string original = memory().Contents("EMP/Familias.dbf");
  const auto families = RowsOfTable("Familias");
  std::vector<const CatalogueRow*> rows;
  for (const CatalogueRow& row : families) rows.push_back(&row);
  for (const bool crash : {true, false}) {
    for (long n = 1;; ++n) {
      SCOPED_TRACE((crash ? "crash at change " : "failing change ") + std::to_string(n));
      for (const char* old : {"EMP/Familias.cdx", "EMP/Familias.pk$", "EMP/Familias.cd$"})
        if (memory().Exists(old)) ASSERT_TRUE(memory().Remove(old).ok());
      memory().SetContents("EMP/Familias.dbf", original);
      xb::rdd::FaultyFileSystem faulty(memory());
      if (crash) {
        faulty.before_change = [&](long change) {
          if (change == n) memory().SimulateCrash();
        };
      } else {
        faulty.FailAt(n);
      }
      areas().set_file_system(&faulty);
      bool done = false;
      {
        CatalogueIndexer indexer(folders, events);
        indexer.DeferPlacement();
        done = indexer.IndexRows(rows);
        indexer.Close();
        done = done && !indexer.failed();
      }
      areas().set_file_system(&memory());
      faulty.Heal();
      const bool reached = crash ? faulty.changes() >= n : faulty.failed();
      const std::vector<std::string> live = LiveCodes(memory(), "EMP/Familias.dbf");
      EXPECT_EQ(live, (std::vector<std::string>{"01", "03"}));
      std::uint32_t records = 0;
      {
        std::unique_ptr<xb::rdd::DbfTable> t;
        ASSERT_TRUE(xb::rdd::DbfTable::Open(memory(), "EMP/Familias.dbf", {}, &t).ok());
        records = t->known_count();
      }
      OrgTable t;
      TableFailure failure;
      if (memory().Exists("EMP/Familias.cdx") && t.Open("EMP/", "Familias", &failure) &&
          t.area().OrderCount() == int(families.size())) {
        for (int order = 1; order <= t.area().OrderCount(); ++order) {
          std::uint32_t keys = 0;
          if (t.area().OrderAt(order)->KeyCount(keys).ok()) EXPECT_EQ(keys, records) << "order " << order;
        }
      }
      t.Close();
      if (!reached) {
        EXPECT_TRUE(done);
        EXPECT_EQ(records, 2u);
        break;
      }
      ASSERT_LT(n, 200);
    }
  }
}

// A table yet to be marked as having an index is marked in its packed file, synced before it
// takes its place: after a power cut at any step, a new index in place stands beside a
// packed table that is marked as having it.
TEST_F(IndexData, APackedTableTakesItsPlaceMarkedAfterACrashAtAnyStep) {
  testing::WriteTable("EMP/", "Familias",
                      {{{"CCODFAM", S("01")}}, {{"CCODFAM", S("02")}, {"*", L(true)}}, {{"CCODFAM", S("03")}}});
  const std::string original = memory().Contents("EMP/Familias.dbf");
  const auto families = RowsOfTable("Familias");
  std::vector<const CatalogueRow*> rows;
  for (const CatalogueRow& row : families) rows.push_back(&row);
  for (long n = 1;; ++n) {
    SCOPED_TRACE("crash at change " + std::to_string(n));
    for (const char* old : {"EMP/Familias.cdx", "EMP/Familias.pk$", "EMP/Familias.cd$"})
      if (memory().Exists(old)) ASSERT_TRUE(memory().Remove(old).ok());
    memory().SetContents("EMP/Familias.dbf", original);
    xb::rdd::FaultyFileSystem faulty(memory());
    faulty.before_change = [&](long change) {
      if (change == n) memory().SimulateCrash();
    };
    areas().set_file_system(&faulty);
    {
      CatalogueIndexer indexer(folders, events);
      indexer.DeferPlacement();
      indexer.IndexRows(rows);
      indexer.Close();
    }
    areas().set_file_system(&memory());
    faulty.Heal();
    EXPECT_EQ(LiveCodes(memory(), "EMP/Familias.dbf"), (std::vector<std::string>{"01", "03"}));
    std::unique_ptr<xb::rdd::DbfTable> t;
    ASSERT_TRUE(xb::rdd::DbfTable::Open(memory(), "EMP/Familias.dbf", {}, &t).ok());
    if (memory().Exists("EMP/Familias.cdx")) {
      EXPECT_EQ(t->known_count(), 2u);
      EXPECT_TRUE(t->structural_index());
    }
    if (faulty.changes() < n) {
      EXPECT_EQ(t->known_count(), 2u);
      EXPECT_TRUE(t->structural_index());
      break;
    }
    ASSERT_LT(n, 200);
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
