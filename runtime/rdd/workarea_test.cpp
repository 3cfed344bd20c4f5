// Work areas through the xBase functions, as run-time compiled text uses them.
#include "runtime/rdd/workareas.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <tuple>

#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/rdd/faulty_file_system.h"
#include "runtime/rdd/key_sort.h"
#include "runtime/rdd/memory_file_system.h"
#include "runtime/rdd/test_support.h"
#include "runtime/test_env.h"

namespace xb::rdd {
namespace {

using xb::testing::RecordingErrorBlock;

class TablesTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    InitTables();
    previous_codepage_ = SetCodePage("ESWIN");
    memory_.MakeFolder("datos/");
    WorkAreas::Get().set_file_system(&memory_);
  }
  void TearDown() override {
    ResetTables();
    SetCodePage(previous_codepage_);
    RuntimeTest::TearDown();
  }

  static Value X(std::string_view text) { return EvalMacro(text); }
  static bool L(std::string_view text) { return X(text).AsLogical(); }
  static std::int64_t N(std::string_view text) { return X(text).AsInt(); }
  static std::string S(std::string_view text) { return std::string(X(text).AsString()); }

  // A reference file copied into the memory folder "datos/".
  void Put(const std::string& relative) {
    memory_.SetContents("datos/" + PathName(relative), testing::ReadWholeFile(testing::ReferenceFile(relative)));
  }
  void PutFixture(const std::string& folder) {
    if (folder == "cdx2") return Put("cdx2/fixture2.dbf");
    Put(folder + "/fixture.dbf");
    Put(folder + (folder.rfind("ntx", 0) == 0 ? "/fixture.dbt" : "/fixture.fpt"));
  }

  // Tags built on `table` (and its memo) packed synced aside: fed with the keys the pack gathers
  // as it keeps the records (`fed`), or read from the packed table afterwards.
  struct PackedTags {
    std::vector<BagCode> outcomes;
    std::string cdx, dbf, fpt;
    std::uint64_t read = 0;  // bytes read of the table and of its packed file
    bool gathered = false;   // fed: every tag's keys were in when the pack ended
  };
  void PackAndTag(bool fed, const std::string& table, const std::string& memo, const std::vector<TagSpec>& specs,
                  PackedTags* out) {
    const std::string path = fed ? "datos/dado" : "datos/leido";
    memory_.SetContents(path + ".dbf", table);
    memory_.SetContents(path + ".fpt", memo);
    WorkArea::OpenRequest request;
    request.path = path + ".dbf";
    request.alias = fed ? "DADO" : "LEIDO";
    request.driver = FindDriver("DBFCDX");
    request.open_structural_bag = false;
    WorkArea& area = *WorkAreas::Get().Area(fed ? 2 : 1);
    FaultyFileSystem counted(memory_);
    ASSERT_TRUE(area.Open(counted, request));
    std::unique_ptr<TagKeys> keys = fed ? StartCdxTags(specs, area.key_compiler()) : nullptr;
    ASSERT_TRUE(area.Pack(nullptr, /*sync_aside=*/true, keys.get()));
    ASSERT_TRUE(area.CreateBag(area.StructuralBagPath(), true));
    std::vector<BagStatus> each;
    if (fed) {
      out->gathered = keys->gathered();
      area.StructuralBag()->CreateTags(*keys, area.record_source(), each);
    } else {
      area.StructuralBag()->CreateTags(specs, area.record_source(), each);
    }
    for (const BagStatus& st : each) out->outcomes.push_back(st.code);
    area.Close();
    out->read = counted.counts(path + ".dbf").read_bytes + counted.counts(path + ".pk$").read_bytes;
    out->cdx = memory_.Contents(path + ".cdx");
    out->dbf = memory_.Contents(path + ".dbf");
    out->fpt = memory_.Contents(path + ".fpt");
  }

  static std::vector<TagSpec> Specs(const std::vector<std::tuple<const char*, const char*, const char*, bool>>& rows) {
    std::vector<TagSpec> specs;
    for (const auto& [name, key, condition, unique] : rows) {
      TagSpec spec;
      spec.name = name;
      spec.key = key;
      spec.condition = condition;
      spec.unique = unique;
      specs.push_back(spec);
    }
    return specs;
  }

  MemoryFileSystem memory_;
  std::string previous_codepage_;
};

TEST_F(TablesTest, AreasAliasesAndFieldsByName) {
  PutFixture("cdx-1k");
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFCDX', 'datos/fixture', 'FIX', .T., .F.)"));
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFCDX', 'datos/fixture.dbf', 'otra', .T., .T.)"));
  EXPECT_EQ(N("SELECT()"), 2);
  EXPECT_EQ(S("ALIAS()"), "OTRA");
  EXPECT_EQ(S("ALIAS(1)"), "FIX");
  EXPECT_EQ(N("SELECT('fix')"), 1);
  EXPECT_EQ(N("SELECT('nada')"), 0);
  EXPECT_TRUE(L("USED()"));
  EXPECT_EQ(S("FIX->CODIGO"), "Q06562    ");
  EXPECT_EQ(N("FIX->(RECNO())"), 1);
  X("DBSELECTAREA('FIX')");
  EXPECT_EQ(N("SELECT()"), 1);
  EXPECT_EQ(S("NOMBRE"), X("FIELDGET(2)").AsString());
  EXPECT_EQ(N("FIELDPOS('importe')"), 4);
  EXPECT_EQ(S("FIELDNAME(6)"), "NOTAS");
  EXPECT_EQ(N("FCOUNT()"), 6);
  EXPECT_EQ(N("FIELDLEN(4)") * 100 + N("FIELDDEC(4)"), 1202);
  EXPECT_EQ(S("FIELDTYPE(5)"), "L");
  EXPECT_EQ(S("VALTYPE(NOTAS)"), "M");
  const Array s = X("DBSTRUCT()").AsArray();
  ASSERT_EQ(s.size(), 6u);
  EXPECT_EQ(s[3].AsArray()[0].AsString(), "IMPORTE");
  EXPECT_EQ(s[3].AsArray()[1].AsString(), "N");
  EXPECT_EQ(s[3].AsArray()[2].AsInt(), 12);
  EXPECT_EQ(s[3].AsArray()[3].AsInt(), 2);
  // SELECT 0 / a new area: the lowest free number.
  X("DBSELECTAREA(0)");
  EXPECT_EQ(N("SELECT()"), 3);
  EXPECT_FALSE(L("USED()"));
  EXPECT_EQ(S("ALIAS()"), "");
  EXPECT_TRUE(L("EOF()") && L("BOF()"));
  EXPECT_EQ(N("RECNO()") + N("LASTREC()"), 0);
  X("DBCLOSEALL()");
  EXPECT_EQ(N("SELECT()"), 1);
  EXPECT_FALSE(L("USED()"));
}

TEST_F(TablesTest, ManyAreasAtOnce) {
  PutFixture("cdx2");
  for (int i = 1; i <= 300; ++i)
    ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFCDX', 'datos/fixture2', 'T" + std::to_string(i) + "', .T.)")) << i;
  EXPECT_EQ(N("SELECT()"), 300);
  EXPECT_EQ(N("T255->NNUMPED"), 6567);
  X("DBSELECTAREA(17)");
  X("DBCLOSEAREA()");
  X("DBSELECTAREA(0)");
  EXPECT_EQ(N("SELECT()"), 17);
}

// Open failures reach the error block with the generic code and the OS code of the cause;
// when the block takes the default, the open reports false and NETERR() is set.
TEST_F(TablesTest, OpenFailuresCarryTheirCodes) {
  PutFixture("cdx2");
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFCDX', 'datos/fixture2', 'EXCL', .F.)"));
  const struct {
    const char* open;
    int os_code;
  } cases[] = {
      {"DBUSEAREA(.T., 'DBFCDX', 'datos/nada', , .T.)", 2},
      {"DBUSEAREA(.T., 'DBFCDX', 'nocarpeta/fixture2', , .T.)", 3},
      {"DBUSEAREA(.T., 'DBFCDX', 'datos/fixture2', 'OTRA', .T.)", 32},
  };
  for (const auto& c : cases) {
    RecordingErrorBlock block(Value::Logical(false));
    EXPECT_FALSE(L(c.open)) << c.open;
    ASSERT_EQ(block.count, 1) << c.open;
    EXPECT_EQ(block.error()->genCode, EG_OPEN);
    EXPECT_EQ(block.error()->osCode, c.os_code);
    EXPECT_EQ(block.error()->subsystem, "DBFCDX");
    EXPECT_TRUE(block.error()->canRetry && block.error()->canDefault);
    EXPECT_FALSE(block.error()->filename.empty());
    EXPECT_TRUE(L("NETERR()"));
    EXPECT_FALSE(L("USED()"));
  }
  // Retried while the block says so: the same error object counts the tries.
  int calls = 0;
  ErrorBlockScope scope(Value(Block::Native([&](Args& a) {
    ++calls;
    if (calls == 3) X("EXCL->(DBCLOSEAREA())");  // the other user leaves
    return Value::Logical(true);
  })));
  EXPECT_TRUE(L("DBUSEAREA(.T., 'DBFCDX', 'datos/fixture2', 'OTRA', .T.)"));
  EXPECT_EQ(calls, 3);
  EXPECT_FALSE(L("NETERR()"));
}

// The causes a file system can give (too many files, access denied) keep their codes too,
// for creates as well as opens.
TEST_F(TablesTest, OperatingSystemCodesOfEveryCause) {
  class Refusing : public FileSystem {
   public:
    explicit Refusing(FileSystem& base) : base_(base) {}
    Status Open(const std::string& path, const OpenOptions& o, std::unique_ptr<File>* f) override {
      if (code) return Status::Io(code, OsErrorText(code));
      return base_.Open(path, o, f);
    }
    Status Remove(const std::string& p) override { return base_.Remove(p); }
    Status Rename(const std::string& a, const std::string& b) override { return base_.Rename(a, b); }
    bool Exists(const std::string& p) override { return base_.Exists(p); }
    int code = 0;

   private:
    FileSystem& base_;
  } refusing(memory_);
  WorkAreas::Get().set_file_system(&refusing);
  for (int code : {2, 3, 4, 5, 32}) {
    refusing.code = code;
    RecordingErrorBlock block(Value::Logical(false));
    EXPECT_FALSE(L("DBUSEAREA(.T., 'ADS', 'datos/x')"));
    EXPECT_EQ(block.error()->genCode, EG_OPEN);
    EXPECT_EQ(block.error()->osCode, code);
    EXPECT_FALSE(L("DBCREATE('datos/x', {{'A', 'C', 5, 0}}, 'ADS')"));
    EXPECT_EQ(block.error()->genCode, EG_CREATE);
    EXPECT_EQ(block.error()->osCode, code);
    EXPECT_TRUE(L("NETERR()"));
  }
}

TEST_F(TablesTest, MovementPhantomRecordAndSetDeleted) {
  PutFixture("cdx-1k");
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFCDX', 'datos/fixture', 'FIX', .F.)"));
  EXPECT_EQ(N("LASTREC()"), 1000);
  auto visible = [&]() {
    int n = 0;
    for (X("DBGOTOP()"); !L("EOF()"); X("DBSKIP()")) ++n;
    return n;
  };
  EXPECT_EQ(visible(), 1000);
  SetValue(SET_DELETED, Value::Logical(true));
  EXPECT_EQ(visible(), 956);
  int first_deleted = 0;
  for (int r = 1; r <= 1000 && !first_deleted; ++r) {
    X("DBGOTO(" + std::to_string(r) + ")");
    if (L("DELETED()")) first_deleted = r;
  }
  ASSERT_GT(first_deleted, 1);
  // DBGOTO reaches a deleted record; a skip passes over it.
  X("DBGOTO(" + std::to_string(first_deleted - 1) + ")");
  X("DBSKIP()");
  EXPECT_GT(N("RECNO()"), first_deleted);
  X("DBSKIP(-1)");
  EXPECT_EQ(N("RECNO()"), first_deleted - 1);
  // Off the top: BOF on the first visible record. Off the end: EOF on the phantom record.
  X("DBGOTOP()");
  const std::int64_t top = N("RECNO()");
  X("DBSKIP(-1)");
  EXPECT_TRUE(L("BOF()"));
  EXPECT_FALSE(L("EOF()"));
  EXPECT_EQ(N("RECNO()"), top);
  X("DBGOBOTTOM()");
  const std::int64_t bottom = N("RECNO()");
  X("DBSKIP()");
  EXPECT_TRUE(L("EOF()"));
  EXPECT_FALSE(L("BOF()"));
  EXPECT_EQ(N("RECNO()"), 1001);
  EXPECT_EQ(S("CODIGO"), std::string(10, ' '));
  EXPECT_EQ(X("IMPORTE").AsDouble(), 0.0);
  EXPECT_TRUE(X("FECHA").AsDate().IsEmpty());
  EXPECT_FALSE(L("ACTIVO"));
  EXPECT_EQ(S("NOTAS"), "");
  X("DBSKIP(-1)");
  EXPECT_EQ(N("RECNO()"), bottom);
  X("DBGOTO(5000)");
  EXPECT_TRUE(L("EOF()") && L("BOF()"));
}

TEST_F(TablesTest, EmptyTable) {
  ASSERT_TRUE(L("DBCREATE('datos/vacia', {{'A', 'C', 5, 0}, {'N', 'N', 5, 1}}, 'DBFNTX', .T., 'V')"));
  EXPECT_EQ(S("ALIAS()"), "V");
  X("DBGOTOP()");
  EXPECT_TRUE(L("BOF()") && L("EOF()"));
  X("DBGOBOTTOM()");
  EXPECT_TRUE(L("BOF()") && L("EOF()"));
  X("DBSKIP(-1)");
  EXPECT_TRUE(L("BOF()"));
  EXPECT_EQ(N("RECNO()"), 1);
}

TEST_F(TablesTest, CreateAppendWriteAndReadBack) {
  for (const char* driver : {"DBFCDX", "DBFNTX", "ADS"}) {
    const std::string d = driver;
    ASSERT_TRUE(L("DBCREATE('datos/nueva', {{'CODIGO', 'C', 10, 0}, {'IMPORTE', 'N', 12, 2}, {'FECHA', 'D', 8, 0},"
                  " {'ACTIVO', 'L', 1, 0}, {'NOTAS', 'M', 10, 0}}, '" + d + "')"));
    ASSERT_TRUE(L("DBUSEAREA(.T., '" + d + "', 'datos/nueva', 'N', .F.)"));
    for (int i = 1; i <= 3; ++i) {
      X("DBAPPEND()");
      X("FIELDPUT(1, 'C" + std::to_string(i) + "')");
      X("N->IMPORTE := " + std::to_string(i) + " * 1.5");
      X("FIELDPUT(3, 0d20240229)");
      X("ACTIVO := .T.");
      SetMemvar(Intern("cNota"), Value::String("nota " + std::to_string(i) + "\r\nñ"));
      X("NOTAS := cNota");
    }
    X("DBCOMMIT()");
    X("DBCLOSEAREA()");
    ASSERT_TRUE(L("DBUSEAREA(.T., '" + d + "', 'datos/nueva', 'N', .T.)"));
    EXPECT_EQ(N("LASTREC()"), 3);
    X("DBGOTO(2)");
    EXPECT_EQ(S("CODIGO"), "C2        ");
    EXPECT_EQ(X("IMPORTE").AsDouble(), 3.0);
    EXPECT_EQ(X("FECHA").AsDate(), Date::FromYmd(2024, 2, 29));
    EXPECT_TRUE(L("ACTIVO"));
    EXPECT_EQ(S("NOTAS"), "nota 2\r\n\xF1");
    EXPECT_EQ(X("IMPORTE").Decimals(), 2);
    X("DBCLOSEAREA()");
    EXPECT_TRUE(memory_.Exists(d == "DBFNTX" ? "datos/nueva.dbt" : "datos/nueva.fpt")) << d;
  }
}

TEST_F(TablesTest, WrongTypesAndWidthsAreErrors) {
  ASSERT_TRUE(L("DBCREATE('datos/t', {{'A', 'C', 3, 0}, {'N', 'N', 5, 2}}, 'DBFCDX', .T.)"));
  X("DBAPPEND()");
  RecordingErrorBlock block(Value::Logical(false));
  X("FIELDPUT(1, 12)");
  ASSERT_EQ(block.count, 1);
  EXPECT_EQ(block.error()->genCode, EG_DATATYPE);
  X("N := 123.45");
  EXPECT_EQ(block.error()->genCode, EG_DATAWIDTH);
  X("A := 'ABCDEF'");  // text is cut to the field, quietly
  EXPECT_EQ(block.count, 2);
  EXPECT_EQ(S("A"), "ABC");
  EXPECT_TRUE(X("FIELDPUT(9, 1)").IsNil());
  // A structure that cannot be a table.
  EXPECT_FALSE(L("DBCREATE('datos/mal', {{'1A', 'C', 3, 0}})"));
  EXPECT_EQ(block.error()->genCode, EG_ARG);
  EXPECT_FALSE(L("DBCREATE('datos/mal', {{'A', 'X', 3, 0}})"));
  EXPECT_FALSE(L("DBCREATE('datos/mal', 'no')"));
  EXPECT_FALSE(memory_.Exists("datos/mal.dbf"));
}

TEST_F(TablesTest, SharedTablesLocksAndUnlockedWrites) {
  PutFixture("ntx-1k");
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFNTX', 'datos/fixture', 'A', .T.)"));
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFNTX', 'datos/fixture', 'B', .T.)"));
  X("A->(DBGOTO(10))");
  X("B->(DBGOTO(10))");
  {
    // A write to an unlocked record of a shared table raises the xBase error.
    RecordingErrorBlock block(Value::Logical(false));
    X("A->CODIGO := 'X'");
    ASSERT_EQ(block.count, 1);
    EXPECT_EQ(block.error()->genCode, EG_UNLOCKED);
    EXPECT_EQ(block.error()->subsystem, "DBFNTX");
    X("A->(DBDELETE())");
    EXPECT_EQ(block.count, 2);
    EXPECT_FALSE(L("A->(DELETED())"));
  }
  EXPECT_TRUE(L("A->(RLOCK())"));
  EXPECT_FALSE(L("B->(RLOCK())"));
  EXPECT_FALSE(L("B->(FLOCK())"));
  X("A->CODIGO := 'CAMBIADO'");
  X("A->(DBUNLOCK())");  // written when the lock goes
  X("B->(DBSKIP(0))");
  EXPECT_EQ(S("B->CODIGO"), "CAMBIADO  ");
  // DBRLOCK(n) adds to the list; RLOCK() keeps only the current record.
  EXPECT_TRUE(L("B->(DBRLOCK(3))") && L("B->(DBRLOCK(4))") && L("B->(DBRLOCK(10))"));
  EXPECT_EQ(X("B->(DBRLOCKLIST())").AsArray().size(), 3u);
  EXPECT_TRUE(L("B->(RLOCK())"));
  EXPECT_EQ(X("B->(DBRLOCKLIST())").AsArray().size(), 1u);
  EXPECT_EQ(N("B->(DBRLOCKLIST()[1])"), 10);
  // DBAPPEND locks the new record; the other area cannot take it, nor the file.
  X("A->(DBAPPEND())");
  EXPECT_FALSE(L("NETERR()"));
  EXPECT_EQ(N("A->(RECNO())"), 1001);
  EXPECT_FALSE(L("B->(DBRLOCK(1001))"));
  X("A->CODIGO := 'NUEVO'");
  X("A->(DBUNLOCK())");
  X("B->(DBUNLOCK())");
  // While one area holds the file lock, the other cannot append: NETERR.
  EXPECT_TRUE(L("B->(FLOCK())"));
  {
    RecordingErrorBlock block(Value::Logical(false));
    X("A->(DBAPPEND())");
    EXPECT_TRUE(L("NETERR()"));
    ASSERT_GE(block.count, 1);
    EXPECT_EQ(block.error()->genCode, EG_APPENDLOCK);
    EXPECT_EQ(N("A->(LASTREC())"), 1001);
  }
  // Pack and zap need the table to themselves.
  {
    RecordingErrorBlock block(Value::Logical(false));
    X("A->(__DBPACK())");
    EXPECT_EQ(block.error()->genCode, EG_SHARED);
    X("A->(__DBZAP())");
    EXPECT_EQ(block.error()->genCode, EG_SHARED);
    EXPECT_EQ(N("A->(LASTREC())"), 1001);
  }
}

TEST_F(TablesTest, PackAndZapKeepMemosRight) {
  PutFixture("ntx-1k");
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFNTX', 'datos/fixture', 'F', .F.)"));
  std::vector<std::pair<std::string, std::string>> live;
  for (X("DBGOTOP()"); !L("EOF()"); X("DBSKIP()"))
    if (!L("DELETED()")) live.emplace_back(S("CODIGO"), S("NOTAS"));
  X("__DBPACK()");
  EXPECT_EQ(N("LASTREC()"), 956);
  ASSERT_EQ(live.size(), 956u);
  X("DBGOTOP()");
  EXPECT_EQ(N("RECNO()"), 1);
  for (const auto& [codigo, notas] : live) {
    EXPECT_EQ(S("CODIGO"), codigo);
    EXPECT_EQ(S("NOTAS"), notas);
    X("DBSKIP()");
  }
  EXPECT_TRUE(L("EOF()"));
  X("__DBZAP()");
  EXPECT_EQ(N("LASTREC()"), 0);
  EXPECT_TRUE(L("EOF()"));
  X("DBCLOSEAREA()");
  EXPECT_EQ(memory_.Contents("datos/fixture.dbt").size(), 512u);
}

TEST_F(TablesTest, DriversAndTheirNames) {
  const Array list = X("RDDLIST()").AsArray();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(N("RDDREGISTER('ADS', 1)"), 1);
  EXPECT_EQ(N("RDDREGISTER('OTRO', 1)"), 3);
  EXPECT_EQ(S("RDDSETDEFAULT('ADS')"), "DBFNTX");
  EXPECT_EQ(S("RDDSETDEFAULT()"), "ADS");
  EXPECT_EQ(S("ORDBAGEXT()"), ".cdx");
  {
    RecordingErrorBlock block(Value::Logical(false));
    EXPECT_EQ(S("RDDSETDEFAULT('NINGUNO')"), "ADS");
    EXPECT_EQ(block.count, 1);
    EXPECT_EQ(S("RDDSETDEFAULT()"), "ADS");
  }
  EXPECT_EQ(N("ADSSETSERVERTYPE(1)"), 0);
  EXPECT_EQ(N("ADSSETFILETYPE(2)"), 2);
  EXPECT_EQ(N("ADSGETLASTERROR()"), 0);
  PutFixture("ntx-1k");
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFNTX', 'datos/fixture', , .T.)"));
  EXPECT_EQ(S("RDDNAME()"), "DBFNTX");
  EXPECT_EQ(S("ORDBAGEXT()"), ".ntx");
  EXPECT_EQ(S("ALIAS()"), "FIXTURE");
  PutFixture("cdx2");
  ASSERT_TRUE(L("DBUSEAREA(.T., , 'datos/fixture2', 'OTRO', .T.)")) << "the default driver";
  EXPECT_EQ(S("RDDNAME()"), "ADS");
}

// The structural index opens with its table and keeps its keys as records change; pack
// rebuilds it. A missing structural index (after DELDBFMDX or not) leaves the table usable.
TEST_F(TablesTest, StructuralIndexOpensWithTheTable) {
  PutFixture("cdx-1k");
  Put("cdx-1k/fixture.cdx");
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFCDX', 'datos/fixture', 'F', .F.)"));
  WorkArea& area = WorkAreas::Get().Current();
  ASSERT_EQ(area.OrderCount(), 6);
  area.SetControllingOrder(1);  // CODIGO
  X("DBGOTOP()");
  std::string previous;
  int keys = 0;
  for (; !L("EOF()"); X("DBSKIP()"), ++keys) previous = S("CODIGO");
  EXPECT_EQ(keys, 1000);
  // A changed key moves the record in the order.
  X("DBGOTOP()");
  const std::int64_t first = N("RECNO()");
  X("CODIGO := 'zzzzzzzzzz'");
  X("DBGOBOTTOM()");
  EXPECT_EQ(N("RECNO()"), first);
  // Pack rebuilds every tag over the records left.
  SetValue(SET_DELETED, Value::Logical(false));
  X("__DBPACK()");
  std::uint32_t count = 0;
  ASSERT_TRUE(area.ControllingTag()->KeyCount(count).ok());
  EXPECT_EQ(count, 956u);
  X("DBCLOSEAREA()");

  // Asked to, the table opens without its index file even when it is there.
  WorkArea::OpenRequest request;
  request.path = "datos/fixture.dbf";
  request.alias = "SIN";
  request.driver = FindDriver("DBFCDX");
  request.open_structural_bag = false;
  WorkArea& bare = *WorkAreas::Get().Area(5);
  ASSERT_TRUE(bare.Open(memory_, request));
  EXPECT_EQ(bare.OrderCount(), 0);
  EXPECT_TRUE(bare.table().structural_index());
  bare.Close();

  // Without its index file the table opens with no orders; DELDBFMDX clears the flag.
  ASSERT_TRUE(memory_.Remove("datos/fixture.cdx").ok());
  ASSERT_TRUE(L("DBUSEAREA(.T., 'ADS', 'datos/fixture', 'F', .F.)"));
  EXPECT_EQ(WorkAreas::Get().Current().OrderCount(), 0);
  X("DBCLOSEAREA()");
  EXPECT_EQ(memory_.Contents("datos/fixture.dbf")[28], 1);
  EXPECT_TRUE(L("DELDBFMDX('datos/fixture.dbf')"));
  EXPECT_EQ(memory_.Contents("datos/fixture.dbf")[28], 0);
  EXPECT_FALSE(L("DELDBFMDX('datos/nada.dbf')"));
}

// Tags whose keys a pack gathers as it keeps the records are the tags built by reading the
// packed table afterwards, byte for byte, whatever the pack finds: deleted records early or
// late or none, a wrong end-of-file mark, memos cut off, nothing left, a record count that
// disagrees with the file, bytes past its end-of-file mark. The table is read once (twice when
// only its end-of-file mark is wrong: found after the records were read).
TEST_F(TablesTest, TagsFedByThePackAreTheTagsReadFromThePackedTable) {
  const std::string dbf = testing::ReadWholeFile(testing::ReferenceFile("cdx-1k/fixture.dbf"));
  const std::string fpt = testing::ReadWholeFile(testing::ReferenceFile("cdx-1k/fixture.fpt"));
  const std::size_t header = std::uint8_t(dbf[8]) | std::uint8_t(dbf[9]) << 8;
  const std::size_t length = std::uint8_t(dbf[10]) | std::uint8_t(dbf[11]) << 8;
  const std::size_t records = (dbf.size() - 1 - header) / length;
  auto mark = [&](std::string& t, std::size_t record, char flag) { t[header + (record - 1) * length] = flag; };
  auto recalled = [&] {
    std::string t = dbf;
    for (std::size_t r = 1; r <= records; ++r) mark(t, r, ' ');
    return t;
  };
  struct Case {
    const char* name;
    std::function<void(std::string& table, std::string& memo)> change;
    int reads = 1;
  };
  const std::vector<Case> cases = {
      {"as it stands", [](std::string&, std::string&) {}},
      {"nothing deleted", [&](std::string& t, std::string&) { t = recalled(); }},
      {"only the last deleted", [&](std::string& t, std::string&) { t = recalled(), mark(t, records, '*'); }},
      {"wrong end-of-file mark", [&](std::string& t, std::string&) { t = recalled(), t.back() = ' '; }, 2},
      {"memo file cut", [&](std::string& t, std::string& m) { t = recalled(), m.resize(m.size() / 2); }},
      {"every record deleted", [&](std::string& t, std::string&) {
         for (std::size_t r = 1; r <= records; ++r) mark(t, r, '*');
       }},
      {"not marked indexed", [](std::string& t, std::string&) { t[28] = 0; }},
      {"no records", [&](std::string& t, std::string&) { t = t.substr(0, header) + '\x1A', t[4] = t[5] = 0; }},
      {"last record cut short", [&](std::string& t, std::string&) { t = recalled(), t.resize(t.size() - 1 - length / 2); }},
      {"header counts one less", [&](std::string& t, std::string&) { t = recalled(), t[4] = char(std::uint8_t(t[4]) - 1); }},
      {"bytes past the mark", [&](std::string& t, std::string&) { t = recalled() + "xyz"; }},
  };
  const std::vector<TagSpec> specs = Specs({{"CODIGO", "CODIGO", "", false},
                                            {"NOMBRE", "UPPER(NOMBRE)+CODIGO", "", false},
                                            {"FECHA", "DTOS(FECHA)+CODIGO", "", false},
                                            {"IMPORTE", "STR(IMPORTE,12,2)", "", false},
                                            {"ACTIVOS", "CODIGO", "ACTIVO", false},
                                            {"UNICO", "CODIGO", "", true},
                                            {"NUMERO", "IMPORTE", "", false},
                                            {"ORDEN", "STR(RECNO(),6)+LEFT(NOTAS,8)", "", false},
                                            {"MAL", "NOEXISTE+", "", false}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string table = dbf, memo = fpt;
    c.change(table, memo);
    PackedTags read, fed;
    PackAndTag(false, table, memo, specs, &read);
    PackAndTag(true, table, memo, specs, &fed);
    if (HasFatalFailure()) return;
    EXPECT_TRUE(fed.gathered);
    // Besides the records: headers, and a few kilobytes at each opening (the first records).
    EXPECT_LE(fed.read, c.reads * (records * length) + 4 * (header + 4096));
    EXPECT_EQ(read.outcomes, fed.outcomes);
    EXPECT_EQ(std::count(read.outcomes.begin(), read.outcomes.end(), BagCode::kOk), int(specs.size()) - 1);
    EXPECT_GT(read.cdx.size(), 1024u);
    EXPECT_TRUE(read.cdx == fed.cdx) << "the indexes differ";
    EXPECT_TRUE(read.dbf == fed.dbf) << "the tables differ";
  }
}

// A table larger than the block a pack reads at a time, whose first record to drop (deleted, or
// with its memo lost) lies past the first block, or right at its edges: the packed table holds
// the live records, and it and the tags fed by the pack are those of a pack and a build read
// from the packed table. The pack reads the records up to that block twice (its check, then
// its copy), no more.
TEST_F(TablesTest, PackedPastTheFirstBlockTablesAndTagsAreAsReadFromThePackedTable) {
  const std::string dbf = testing::ReadWholeFile(testing::ReferenceFile("cdx-20k/fixture.dbf"));
  const std::string fpt = testing::ReadWholeFile(testing::ReferenceFile("cdx-20k/fixture.fpt"));
  const std::size_t header = std::uint8_t(dbf[8]) | std::uint8_t(dbf[9]) << 8;
  const std::size_t length = std::uint8_t(dbf[10]) | std::uint8_t(dbf[11]) << 8;
  const std::size_t records = (dbf.size() - 1 - header) / length;
  const std::size_t block = (1u << 20) / length;  // records a pack reads at a time
  ASSERT_GT(records, block + 1000);
  auto record = [&](const std::string& t, std::size_t r) { return t.substr(header + (r - 1) * length, length); };
  auto memo_of = [&](const std::string& rec) {  // NOTAS, the last field: a block number in digits
    return std::uint32_t(std::strtoul(rec.substr(length - 10).c_str(), nullptr, 10));
  };
  std::string recalled = dbf;
  for (std::size_t r = 1; r <= records; ++r) recalled[header + (r - 1) * length] = ' ';
  // The memo of the first record past the first block that has one: the memo file cut at its
  // block (of 64 bytes) loses that memo and the later ones.
  std::uint32_t cut_at = 0;
  for (std::size_t r = block + 1; r <= records && !cut_at; ++r) cut_at = memo_of(record(recalled, r));
  ASSERT_NE(cut_at, 0u);
  const struct {
    const char* name;
    std::vector<std::size_t> deleted;
    bool memo_cut;
  } cases[] = {
      {"first deleted opens the second block", {block + 1, block + 7, records}, false},
      {"first deleted ends the first block", {block, block + 1, records - 1}, false},
      {"first deleted well past the first block", {block + 2345, block + 2346, records - 3}, false},
      {"only the last deleted", {records}, false},
      {"memo lost past the first block", {}, true},
  };
  std::vector<TagSpec> specs = Specs({{"NOMBRE", "UPPER(NOMBRE)+CODIGO", "", false},
                                      {"ACTIVOS", "CODIGO", "ACTIVO", false},
                                      {"UNICO", "CODIGO", "", true},
                                      {"ORDEN", "STR(RECNO(),6)+LEFT(NOTAS,8)", "", false},
                                      {"DESC", "CODIGO", "", false}});
  specs.back().descending = true;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string table = recalled, memo = fpt;
    for (std::size_t r : c.deleted) table[header + (r - 1) * length] = '*';
    if (c.memo_cut) memo.resize(std::size_t(cut_at) * 64);
    // The live records in their order, the pointers to lost memos cleared, and the mark.
    std::string kept;
    for (std::size_t r = 1; r <= records; ++r) {
      std::string rec = record(table, r);
      if (rec[0] == '*') continue;
      if (c.memo_cut && memo_of(rec) >= cut_at) rec.replace(length - 10, 10, 10, ' ');
      kept += rec;
    }
    kept += '\x1A';
    PackedTags read, fed;
    PackAndTag(false, table, memo, specs, &read);
    PackAndTag(true, table, memo, specs, &fed);
    if (HasFatalFailure()) return;
    EXPECT_TRUE(read.dbf.substr(header) == kept) << "the packed records are not the live ones";
    EXPECT_TRUE(fed.gathered);
    EXPECT_LE(fed.read, 2 * records * length + 4 * (header + 4096));
    EXPECT_LE(read.read, 3 * records * length + 4 * (header + 4096));  // packed, then read for the tags
    EXPECT_EQ(read.outcomes, std::vector<BagCode>(specs.size(), BagCode::kOk));
    EXPECT_EQ(read.outcomes, fed.outcomes);
    EXPECT_TRUE(read.cdx == fed.cdx) << "the indexes differ";
    EXPECT_TRUE(read.dbf == fed.dbf) << "the tables differ";
    EXPECT_TRUE(read.fpt == fed.fpt) << "the memo files differ";
  }
}

// Keys and FOR conditions that ask the table its record count or position, or may (a user
// function, macro text), come out as when built on the packed table: the pack cannot answer
// its count before it ends, so those are read from the packed table after it; the keys of the
// record alone (its number and deletion mark too) are still gathered by the pack.
TEST_F(TablesTest, KeysThatAskTheTableComeOutAsOnThePackedTable) {
  const std::string dbf = testing::ReadWholeFile(testing::ReferenceFile("cdx-1k/fixture.dbf"));
  const std::string fpt = testing::ReadWholeFile(testing::ReferenceFile("cdx-1k/fixture.fpt"));
  const std::size_t header = std::uint8_t(dbf[8]) | std::uint8_t(dbf[9]) << 8;
  const std::size_t length = std::uint8_t(dbf[10]) | std::uint8_t(dbf[11]) << 8;
  const std::size_t records = (dbf.size() - 1 - header) / length;
  const FunctionTableSnapshot functions = FunctionTableSnapshot::Take();
  RegisterFunction("CUENTAPROPIA", [](Args&) { return CallFunction("LASTREC"); });
  SetMemvar(Intern("cClave"), Value::String("STR(LASTREC(),6)+CODIGO"));
  const std::vector<TagSpec> asking = Specs({{"CUENTA", "STR(RECCOUNT(),6)+CODIGO", "", false},
                                             {"MITAD", "CODIGO", "RECNO() <= LASTREC() / 2", false},
                                             {"PROPIA", "STR(CUENTAPROPIA(),6)+CODIGO", "", false},
                                             {"MACRO", "&cClave", "", false}});
  const std::vector<TagSpec> alone = Specs({{"CODIGO", "CODIGO", "", false},
                                            {"BORRADO", "IIF(DELETED(),'B','V')+STR(RECNO(),6)", "", false},
                                            {"NUMERO", "STR(9999999999.999999 - IMPORTE, 17, 6) + CODIGO", "", false}});
  std::vector<TagSpec> mixed = alone;
  mixed.insert(mixed.begin() + 1, asking.begin(), asking.end());
  const struct {
    const char* name;
    char flag;          // every record's deletion mark; ' ' keeps the table's own
    std::size_t reads;  // times the records are read when fed
  } tables[] = {{"as it stands", ' ', 2}, {"every record deleted", '*', 1}};
  const struct {
    const char* name;
    const std::vector<TagSpec>* specs;
  } sets[] = {{"asking", &asking}, {"mixed", &mixed}};
  for (const auto& t : tables) {
    std::string table = dbf;
    if (t.flag != ' ')
      for (std::size_t r = 1; r <= records; ++r) table[header + (r - 1) * length] = t.flag;
    for (const auto& set : sets) {
      SCOPED_TRACE(std::string(t.name) + ", " + set.name);
      PackedTags read, fed;
      PackAndTag(false, table, fpt, *set.specs, &read);
      PackAndTag(true, table, fpt, *set.specs, &fed);
      if (HasFatalFailure()) return;
      EXPECT_FALSE(fed.gathered);
      EXPECT_LE(fed.read, t.reads * (records * length) + 4 * (header + 4096));
      EXPECT_EQ(read.outcomes, std::vector<BagCode>(set.specs->size(), BagCode::kOk));
      EXPECT_EQ(read.outcomes, fed.outcomes);
      EXPECT_TRUE(read.cdx == fed.cdx) << "the indexes differ";
      EXPECT_TRUE(read.dbf == fed.dbf) << "the tables differ";
    }
  }
  functions.Restore();
}

// Key expressions see the fields of their own area whatever area is selected.
TEST_F(TablesTest, KeysEvaluateInTheirOwnArea) {
  PutFixture("cdx-1k");
  Put("cdx-1k/fixture.cdx");
  PutFixture("cdx2");
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFCDX', 'datos/fixture', 'F', .T.)"));
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFCDX', 'datos/fixture2', 'G', .T.)"));
  WorkArea& f = *WorkAreas::Get().Area(1);
  f.SetControllingOrder(2);  // UPPER(NOMBRE)+CODIGO
  X("F->(DBGOTOP())");
  EXPECT_TRUE(L("F->(RLOCK())"));
  X("F->NOMBRE := 'ZZZZ'");  // area G stays selected while F's keys are taken
  X("F->(DBUNLOCK())");
  X("F->(DBGOBOTTOM())");
  EXPECT_EQ(S("F->NOMBRE").substr(0, 4), "ZZZZ");
  EXPECT_EQ(N("SELECT()"), 2);
}

// Keys built in one buffer (fields read in place) are the values the blocks give, on every
// record of the reference table and for every kind of field.
TEST_F(TablesTest, KeyTextBuiltInPlaceIsTheBlocksValue) {
  PutFixture("cdx-1k");
  ASSERT_TRUE(L("DBUSEAREA(.T., 'DBFCDX', 'datos/fixture', 'F', .T.)"));
  const char* const keys[] = {"CODIGO", "UPPER(NOMBRE)+CODIGO", "DTOS(FECHA)+CODIGO", "STR(IMPORTE,12,2)",
                              "IF(ACTIVO, '1', '0') + CODIGO", "STR(9999999999.999999 - IMPORTE, 17, 6) + CODIGO",
                              "NOTAS", "CODIGO + NOTAS", "F->CODIGO + FIELD->NOMBRE", "IMPORTE", "FECHA", "ACTIVO"};
  std::vector<Block> blocks;
  for (const char* k : keys) blocks.push_back(CompileBlock(k));
  int records = 0;
  for (X("DBGOTOP()"); !L("EOF()"); X("DBSKIP()"), ++records) {
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      const Value value = blocks[i].Eval();
      std::string text = "x";
      Value other;
      if (blocks[i].EvalString(text, other)) {
        EXPECT_EQ(value.type(), Type::String) << keys[i];
        EXPECT_EQ(text.substr(1), value.AsString()) << keys[i];
      } else {
        EXPECT_EQ(text, "x") << keys[i];
        EXPECT_TRUE(other.SameAs(value) && other.type() == value.type()) << keys[i];
      }
    }
  }
  EXPECT_EQ(records, 1000);
}

}  // namespace
}  // namespace xb::rdd
