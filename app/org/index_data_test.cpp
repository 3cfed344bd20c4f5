#include "app/org/index_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <future>
#include <initializer_list>
#include <map>
#include <utility>

#include "app/org/org_table.h"
#include "app/org/org_test_support.h"
#include "runtime/rdd/dbf_table.h"
#include "runtime/rdd/faulty_file_system.h"
#include "runtime/rdd/work_threads.h"

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
  // Removes those of `paths` that exist.
  void RemoveFiles(std::initializer_list<std::string> paths) {
    for (const std::string& path : paths) {
      if (memory().Exists(path)) {
        ASSERT_TRUE(memory().Remove(path).ok()) << path;
      }
    }
  }
  // The power goes just before the n-th change to the files, or that change fails.
  void CrashOrFailAt(xb::rdd::FaultyFileSystem& faulty, bool crash, long n) {
    if (crash) {
      faulty.before_change = [this, n](long change) {
        if (change == n) memory().SimulateCrash();
      };
    } else {
      faulty.FailAt(n);
    }
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
      ASSERT_NO_FATAL_FAILURE(RemoveFiles({"EMP/Familias.cdx", "EMP/Familias.pk$", "EMP/Familias.cd$"}));
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
std::vector<std::string> LiveCodes(xb::rdd::FileSystem& fs, const std::string& path,
                                   std::string_view code = "CCODFAM") {
  std::vector<std::string> codes;
  std::unique_ptr<xb::rdd::DbfTable> t;
  if (!xb::rdd::DbfTable::Open(fs, path, {}, &t).ok()) return codes;
  const int field = t->FieldIndex(code);
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

// A packed table and its index take their places when the table closes or, placed aside, on
// the sync thread after that and at the indexer's Close at the latest; until then the old
// table stays whole in its place, with its old index.
TEST_F(IndexData, PackedTablesTakeTheirPlaceWithTheirIndexWhenClosed) {
  const auto families = RowsOfTable("Familias");
  const auto zones = RowsOfTable("Zonas");
  for (const bool aside : {true, false}) {
    SCOPED_TRACE(aside ? "placed aside" : "as each table closes");
    ASSERT_NO_FATAL_FAILURE(RemoveFiles({"EMP/Familias.cdx", "EMP/Zonas.cdx"}));
    testing::WriteTable("EMP/", "Familias",
                        {{{"CCODFAM", S("01")}}, {{"CCODFAM", S("02")}, {"*", L(true)}}, {{"CCODFAM", S("03")}}});
    testing::WriteTable("EMP/", "Zonas", {{{"CCODZONA", S("001")}, {"*", L(true)}}, {{"CCODZONA", S("002")}}});
    {
      CatalogueIndexer unpacked(folders, events, /*pack=*/false);
      IndexTable(unpacked, "Familias");
      IndexTable(unpacked, "Zonas");
    }
    const std::string familias = memory().Contents("EMP/Familias.dbf");
    const std::string zonas = memory().Contents("EMP/Zonas.dbf");
    const std::string familias_index = memory().Contents("EMP/Familias.cdx");
    const std::string zonas_index = memory().Contents("EMP/Zonas.cdx");
    ASSERT_FALSE(familias_index.empty());
    {
      CatalogueIndexer indexer(folders, events);
      if (aside) indexer.PlaceAside();
      std::vector<const CatalogueRow*> rows;
      for (const CatalogueRow& row : families) rows.push_back(&row);
      EXPECT_TRUE(indexer.IndexRows(rows));
      EXPECT_EQ(memory().Contents("EMP/Familias.dbf"), familias);
      EXPECT_EQ(memory().Contents("EMP/Familias.cdx"), familias_index);
      rows.clear();
      for (const CatalogueRow& row : zones) rows.push_back(&row);
      EXPECT_TRUE(indexer.IndexRows(rows));
      EXPECT_EQ(memory().Contents("EMP/Zonas.dbf"), zonas);
      EXPECT_EQ(memory().Contents("EMP/Zonas.cdx"), zonas_index);
      // Placed aside, Familias may be in its place already or not yet.
      if (!aside) {
        EXPECT_NE(memory().Contents("EMP/Familias.dbf"), familias);
        EXPECT_NE(memory().Contents("EMP/Familias.cdx"), familias_index);
      }
      indexer.Close();
      EXPECT_FALSE(indexer.failed());
    }
    EXPECT_TRUE(events.failures.empty());
    for (const char* temp : {"EMP/Familias.pk$", "EMP/Familias.cd$", "EMP/Zonas.pk$", "EMP/Zonas.cd$"})
      EXPECT_FALSE(memory().Exists(temp)) << temp;
    EXPECT_EQ(LiveCodes(memory(), "EMP/Familias.dbf"), (std::vector<std::string>{"01", "03"}));
    EXPECT_EQ(LiveCodes(memory(), "EMP/Zonas.dbf", "CCODZONA"), (std::vector<std::string>{"002"}));
    EXPECT_EQ(Tags("EMP/", "Familias").size(), families.size());
    EXPECT_EQ(Tags("EMP/", "Zonas").size(), zones.size());
    for (const auto& [table, live] : {std::pair{"Familias", 2u}, {"Zonas", 1u}}) {
      OrgTable t;
      TableFailure failure;
      ASSERT_TRUE(t.Open("EMP/", table, &failure));
      EXPECT_EQ(t.RecordCount(), live) << table;
      std::uint32_t keys = 0;
      ASSERT_TRUE(t.area().OrderAt(1)->KeyCount(keys).ok());
      EXPECT_EQ(keys, live) << table;
    }
  }
}

// An old index that another program holds cannot go: a packed table never takes its place
// over it (told when it would have), and a table with nothing to pack is told at once. Either
// way the table and its old index stay as they were, and no temporary file is left.
TEST_F(IndexData, AnOldIndexHeldByAnotherProgramKeepsItsTableAsItWas) {
  for (const bool packed : {true, false}) {
    for (const bool aside : {true, false}) {
      SCOPED_TRACE(std::string(packed ? "to pack" : "nothing to pack") + (aside ? ", placed aside" : ""));
      ASSERT_NO_FATAL_FAILURE(RemoveFiles({"EMP/Familias.cdx"}));
      testing::WriteTable("EMP/", "Familias", {{{"CCODFAM", S("01")}}, {{"CCODFAM", S("02")}, {"*", L(!packed)}}});
      {
        CatalogueIndexer unpacked(folders, events, /*pack=*/false);
        IndexTable(unpacked, "Familias");
      }
      const std::string table = memory().Contents("EMP/Familias.dbf");
      const std::string index = memory().Contents("EMP/Familias.cdx");
      std::unique_ptr<xb::rdd::File> held;
      xb::rdd::OpenOptions shared;
      shared.share = xb::rdd::Share::kShared;
      ASSERT_TRUE(memory().Open("EMP/Familias.cdx", shared, &held).ok());
      events.failures.clear();
      {
        CatalogueIndexer indexer(folders, events);
        if (aside) indexer.PlaceAside();
        IndexTable(indexer, "Familias");
        indexer.Close();
        EXPECT_TRUE(indexer.failed());
      }
      held.reset();
      ASSERT_FALSE(events.failures.empty());
      EXPECT_EQ(events.failures[0].table, "Familias");
      EXPECT_EQ(events.failures[0].path, "EMP/Familias.cdx");
      EXPECT_EQ(memory().Contents("EMP/Familias.dbf"), table);
      EXPECT_EQ(memory().Contents("EMP/Familias.cdx"), index);
      for (const char* temp : {"EMP/Familias.pk$", "EMP/Familias.cd$"}) EXPECT_FALSE(memory().Exists(temp)) << temp;
    }
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
  const auto families = RowsOfTable("Familias");
  std::vector<const CatalogueRow*> rows;
  for (const CatalogueRow& row : families) rows.push_back(&row);
  // Indexed before, as it was: its old index goes only as the packed table takes its place.
  {
    CatalogueIndexer unpacked(folders, events, /*pack=*/false);
    ASSERT_TRUE(unpacked.IndexRows(rows));
  }
  const std::string original = memory().Contents("EMP/Familias.dbf");
  const std::string old_index = memory().Contents("EMP/Familias.cdx");
  for (const bool indexed_before : {false, true}) {
    for (const bool crash : {true, false}) {
      for (long n = 1;; ++n) {
        SCOPED_TRACE((crash ? "crash at change " : "failing change ") + std::to_string(n) +
                     (indexed_before ? ", indexed before" : ""));
        ASSERT_NO_FATAL_FAILURE(RemoveFiles({"EMP/Familias.cdx", "EMP/Familias.pk$", "EMP/Familias.cd$"}));
        memory().SetContents("EMP/Familias.dbf", original);
        if (indexed_before) memory().SetContents("EMP/Familias.cdx", old_index);
        xb::rdd::FaultyFileSystem faulty(memory());
        CrashOrFailAt(faulty, crash, n);
        areas().set_file_system(&faulty);
        bool done = false;
        {
          CatalogueIndexer indexer(folders, events);
          indexer.PlaceAside();
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
            if (t.area().OrderAt(order)->KeyCount(keys).ok()) {
              EXPECT_EQ(keys, records) << "order " << order;
            }
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
}

// Tables whose tags are sorted while the next one is packed have their files written in
// another order: a power cut or a failing change at any step still loses no live record and
// leaves no index whole that does not match its table, whether the indexer is closed or only
// dropped (as when the company's run is left by an error).
TEST_F(IndexData, TablesIndexedAheadLeaveNoIndexThatDoesNotMatchItsTableAfterACrashAtAnyStep) {
  struct Table {
    std::string name, code;
    std::vector<std::string> live;
    std::vector<CatalogueRow> rows;
    std::string original;
  };
  std::vector<Table> tables = {{"Familias", "CCODFAM", {"01", "03"}, RowsOfTable("Familias"), ""},
                               {"Zonas", "CCODZONA", {"002"}, RowsOfTable("Zonas"), ""}};
  testing::WriteTable("EMP/", "Familias",
                      {{{"CCODFAM", S("01")}}, {{"CCODFAM", S("02")}, {"*", L(true)}}, {{"CCODFAM", S("03")}}});
  testing::WriteTable("EMP/", "Zonas", {{{"CCODZONA", S("001")}, {"*", L(true)}}, {{"CCODZONA", S("002")}}});
  // Indexed before, as they were: their old indexes go only as the packed tables take their places.
  {
    CatalogueIndexer unpacked(folders, events, /*pack=*/false);
    for (const Table& table : tables) IndexTable(unpacked, table.name);
  }
  std::map<std::string, std::string> old_index;
  for (Table& table : tables) {
    MarkIndexed(memory(), "EMP/" + table.name + ".dbf");
    table.original = memory().Contents("EMP/" + table.name + ".dbf");
    old_index[table.name] = memory().Contents("EMP/" + table.name + ".cdx");
  }
  for (const bool indexed_before : {false, true}) {
    for (const bool crash : {true, false}) {
      for (const bool closed : {true, false}) {
        for (long n = 1;; ++n) {
          SCOPED_TRACE((crash ? "crash at change " : "failing change ") + std::to_string(n) +
                       (closed ? ", closed" : ", dropped") + (indexed_before ? ", indexed before" : ""));
          for (const Table& table : tables) {
            const std::string stem = "EMP/" + table.name;
            ASSERT_NO_FATAL_FAILURE(RemoveFiles({stem + ".cdx", stem + ".pk$", stem + ".cd$"}));
            memory().SetContents("EMP/" + table.name + ".dbf", table.original);
            if (indexed_before) memory().SetContents(stem + ".cdx", old_index[table.name]);
          }
          xb::rdd::FaultyFileSystem faulty(memory());
          CrashOrFailAt(faulty, crash, n);
          areas().set_file_system(&faulty);
          {
            CatalogueIndexer indexer(folders, events);
            indexer.PlaceAside();
            for (const Table& table : tables) {
              std::vector<const CatalogueRow*> rows;
              for (const CatalogueRow& row : table.rows) rows.push_back(&row);
              indexer.IndexRowsAhead(rows);
            }
            if (closed) indexer.Close();
          }
          areas().set_file_system(&memory());
          faulty.Heal();
          const bool reached = crash ? faulty.changes() >= n : faulty.failed();
          for (const Table& table : tables) {
            SCOPED_TRACE(table.name);
            const std::string path = "EMP/" + table.name + ".dbf";
            EXPECT_EQ(LiveCodes(memory(), path, table.code), table.live);
            std::uint32_t records = 0;
            {
              std::unique_ptr<xb::rdd::DbfTable> t;
              ASSERT_TRUE(xb::rdd::DbfTable::Open(memory(), path, {}, &t).ok());
              records = t->known_count();
            }
            OrgTable t;
            TableFailure failure;
            const bool whole = memory().Exists("EMP/" + table.name + ".cdx") && t.Open("EMP/", table.name, &failure) &&
                               t.area().OrderCount() == int(table.rows.size());
            if (whole) {
              for (int order = 1; order <= t.area().OrderCount(); ++order) {
                std::uint32_t keys = 0;
                if (t.area().OrderAt(order)->KeyCount(keys).ok()) {
                  EXPECT_EQ(keys, records) << "order " << order;
                }
              }
            }
            if (!reached) {
              EXPECT_TRUE(whole);
              EXPECT_EQ(records, table.live.size());
            }
          }
          if (!reached) break;
          ASSERT_LT(n, 400);
        }
      }
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
    ASSERT_NO_FATAL_FAILURE(RemoveFiles({"EMP/Familias.cdx", "EMP/Familias.pk$", "EMP/Familias.cd$"}));
    memory().SetContents("EMP/Familias.dbf", original);
    xb::rdd::FaultyFileSystem faulty(memory());
    CrashOrFailAt(faulty, /*crash=*/true, n);
    areas().set_file_system(&faulty);
    {
      CatalogueIndexer indexer(folders, events);
      indexer.PlaceAside();
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

// Everything told, in one list, in its order.
struct LoggedEvents final : OrganiserEvents {
  std::vector<std::string> log;
  void Title(std::string_view t) override { log.push_back("título " + std::string(t)); }
  void Meter(int meter, int value) override { log.push_back("medidor " + std::to_string(meter) + " " + std::to_string(value)); }
  void TableFailed(const TableFailure& f) override {
    log.push_back("fallo " + f.table + " " + f.path + " " + std::to_string(f.os_code) + " " + f.description);
  }
  void Skipped(std::string_view what, std::string_view why) override {
    log.push_back("omitido " + std::string(what) + " " + std::string(why));
  }
  void Noted(std::string_view text) override { log.push_back("nota " + std::string(text)); }
};

// Files as in memory, except that the new index of one table takes nothing past its empty tag
// directory: every tag written into it fails. `opening` is told every path opened.
class RefusingTags final : public xb::rdd::FileSystem {
 public:
  RefusingTags(xb::rdd::FileSystem& base, std::string refused) : base_(base), refused_(std::move(refused)) {}
  xb::rdd::Status Open(const std::string& path, const xb::rdd::OpenOptions& options,
                       std::unique_ptr<xb::rdd::File>* file) override {
    if (opening) opening(path);
    xb::rdd::Status s = base_.Open(path, options, file);
    if (s.ok() && path == refused_) *file = std::make_unique<Refusing>(std::move(*file));
    return s;
  }
  xb::rdd::Status Remove(const std::string& path) override { return base_.Remove(path); }
  xb::rdd::Status Rename(const std::string& from, const std::string& to) override { return base_.Rename(from, to); }
  bool Exists(const std::string& path) override { return base_.Exists(path); }
  std::function<void(const std::string&)> opening;

 private:
  class Refusing final : public xb::rdd::File {
   public:
    explicit Refusing(std::unique_ptr<xb::rdd::File> file) : file_(std::move(file)) {}
    xb::rdd::Status Read(std::uint64_t offset, void* data, std::size_t size, std::size_t* got) override {
      return file_->Read(offset, data, size, got);
    }
    xb::rdd::Status Write(std::uint64_t offset, const void* data, std::size_t size) override {
      if (offset >= 1536) return xb::rdd::Status::Io(112, "escribir: disco lleno");
      return file_->Write(offset, data, size);
    }
    xb::rdd::Status Size(std::uint64_t* size) override { return file_->Size(size); }
    xb::rdd::Status Truncate(std::uint64_t size) override { return file_->Truncate(size); }
    xb::rdd::Status Sync() override { return file_->Sync(); }
    xb::rdd::Status Lock(std::uint64_t offset, std::uint64_t length, bool exclusive) override {
      return file_->Lock(offset, length, exclusive);
    }
    xb::rdd::Status Unlock(std::uint64_t offset, std::uint64_t length) override { return file_->Unlock(offset, length); }

   private:
    std::unique_ptr<xb::rdd::File> file_;
  };

  xb::rdd::FileSystem& base_;
  std::string refused_;
};

// Tables whose tags are sorted while the next ones are packed tell the same, in the same
// order, and leave the same files as tables indexed one after another: with a table missing
// in the middle, a tag whose keys change type, a damaged table whose tags cannot be written,
// a table met again, and a table indexed row by row while others still wait.
TEST_F(IndexData, TablesIndexedAheadTellAndWriteWhatTablesIndexedInTurnDo) {
  const std::vector<std::string> tables = {"Divisas", "Zonas", "Familias", "Seccion", "Rappels"};
  const CatalogueRow bad_key{1, "", "Zonas", CatalogueFolder::kCompany, "cMala", "iif( cCodZona = \"001\", 1, cCodZona )", 8, false, false};
  std::vector<std::vector<CatalogueRow>> groups = {RowsOfTable("Divisas"), RowsOfTable("Zonas"), RowsOfTable("Rappels"),
                                                   RowsOfTable("Familias"), RowsOfTable("Divisas")};
  groups[1].push_back(bad_key);
  const std::vector<CatalogueRow> seccion = RowsOfTable("Seccion");
  auto write_tables = [&] {
    for (const std::string& table : tables) {
      for (const char* ext : {".dbf", ".cdx", ".pk$", ".cd$"}) {
        if (memory().Exists("EMP/" + table + ext)) {
          ASSERT_TRUE(memory().Remove("EMP/" + table + ext).ok());
        }
      }
    }
    testing::WriteTable("EMP/", "Divisas", {{{"CCODDIV", S("USD")}}, {{"CCODDIV", S("EUR")}, {"*", L(true)}}});
    testing::WriteTable("EMP/", "Zonas", {{{"CCODZONA", S("002")}, {"CNOMZONA", S("Sur")}}, {{"CCODZONA", S("001")}}});
    testing::WriteTable("EMP/", "Seccion", {{{"CCODSEC", S("01")}, {"*", L(true)}}, {{"CCODSEC", S("02")}}});
    testing::WriteTable("EMP/", "Familias",
                        {{{"CCODFAM", S("01")}}, {{"CCODFAM", S("02")}, {"*", L(true)}}, {{"CCODFAM", S("03")}}});
    // Its last record and end mark cut off: the header counts one more than the file holds.
    std::string familias = memory().Contents("EMP/Familias.dbf");
    const std::size_t record_length = std::uint8_t(familias[10]) | std::uint8_t(familias[11]) << 8;
    familias.resize(familias.size() - 1 - record_length);
    memory().SetContents("EMP/Familias.dbf", familias);
  };
  struct Run {
    std::vector<std::string> told;
    std::map<std::string, std::string> files;
    bool failed = false;
  };
  auto run = [&](bool ahead, bool aside) {
    write_tables();
    RefusingTags refusing(memory(), "EMP/Familias.cd$");
    // The sorts wait until the missing table is tried, as a big table's sort outlasts the
    // packs of the next ones: the tables before it wait with what they met untold.
    std::promise<void> gate;
    bool opened = false;
    auto open_gate = [&] {
      if (!std::exchange(opened, true)) gate.set_value();
    };
    xb::rdd::RunAside([waiting = gate.get_future().share()] { waiting.wait(); });
    refusing.opening = [&](const std::string& path) {
      if (path == "EMP/Rappels.dbf") open_gate();
    };
    areas().set_file_system(&refusing);
    LoggedEvents logged;
    Run r;
    {
      CatalogueIndexer indexer(folders, logged);
      if (aside) indexer.PlaceAside();
      for (std::size_t g = 0; g < groups.size(); ++g) {
        std::vector<const CatalogueRow*> rows;
        for (const CatalogueRow& row : groups[g]) rows.push_back(&row);
        if (ahead) {
          indexer.IndexRowsAhead(rows);
        } else {
          for (const CatalogueRow* row : rows)
            if (!row->title.empty()) logged.Title(row->title);
          indexer.IndexRows(rows);
        }
        if (g == 3)
          for (const CatalogueRow& row : seccion) indexer.IndexRow(row);
      }
      indexer.Close();
      r.failed = indexer.failed();
    }
    open_gate();
    areas().set_file_system(&memory());
    r.told = logged.log;
    for (const std::string& table : tables)
      for (const char* ext : {".dbf", ".cdx", ".pk$", ".cd$"})
        if (memory().Exists("EMP/" + table + ext)) r.files["EMP/" + table + ext] = memory().Contents("EMP/" + table + ext);
    return r;
  };
  for (const bool aside : {true, false}) {
    SCOPED_TRACE(aside ? "placed aside" : "placed as each table closes");
    const Run in_turn = run(false, aside);
    const Run ahead = run(true, aside);
    EXPECT_EQ(ahead.told, in_turn.told);
    EXPECT_EQ(ahead.failed, in_turn.failed);
    EXPECT_TRUE(ahead.failed);
    EXPECT_EQ(ahead.files, in_turn.files);
    // What was to be seen happened: each kind of failure, and every table but the missing
    // one and the one whose index could not be written indexed.
    auto told = [&](const std::string& start) {
      return std::count_if(ahead.told.begin(), ahead.told.end(), [&](const std::string& t) { return t.rfind(start, 0) == 0; });
    };
    EXPECT_EQ(told("fallo Rappels"), std::ptrdiff_t(groups[2].size()));
    EXPECT_EQ(told("fallo Zonas EMP/Zonas.cdx 0 etiqueta cMala"), 1);
    EXPECT_EQ(told("fallo Familias EMP/Familias.cdx 0 etiqueta"), std::ptrdiff_t(groups[3].size()));
    EXPECT_EQ(told("nota "), 1);
    EXPECT_EQ(Tags("EMP/", "Divisas").size(), groups[0].size());
    EXPECT_EQ(Tags("EMP/", "Zonas").size(), groups[1].size() - 1);
    EXPECT_EQ(Tags("EMP/", "Seccion").size(), seccion.size());
    EXPECT_EQ(testing::LiveRecords("EMP/", "Divisas", {"CCODDIV"}).size(), 1u);
    EXPECT_EQ(testing::LiveRecords("EMP/", "Seccion", {"CCODSEC"}).size(), 1u);
    EXPECT_EQ(LiveCodes(memory(), "EMP/Familias.dbf"), (std::vector<std::string>{"01"}));
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
