#include "reports/work_tables.h"

#include "data/data_test_support.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "reports/report_functions.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/object.h"

namespace reports {
namespace {

using xb::Value;

const std::vector<xb::rdd::dbf::FieldSpec> kLines = {{"INFORME", 'C', 6, 0}, {"LINEA", 'N', 3, 0},
                                                     {"TEXTO", 'C', 10, 0}};

// A meter or a label as the index run sees them.
class FakeMeter : public xb::Object {
 public:
  FakeMeter() : Object(Cls()) {}
  static const xb::Class& Cls() {
    static const xb::Class& c = [] () -> const xb::Class& {
      xb::Class& c = xb::Class::Define("FAKEREPORTMETER");
      c.Data("NTOTAL", &FakeMeter::total);
      c.Method("SET", [](xb::Object& o, xb::Args& a) {
        xb::Class::Cast<FakeMeter>(o).positions.push_back(a.Int(1));
        return Value();
      });
      c.Method("SETTEXT", [](xb::Object& o, xb::Args& a) {
        xb::Class::Cast<FakeMeter>(o).texts.emplace_back(a.Str(1));
        return Value();
      });
      return c;
    }();
    return c;
  }
  std::int64_t total = 2;
  std::vector<std::int64_t> positions;
  std::vector<std::string> texts;
};

class WorkTablesTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportFunctions();
    ResetIndexDataCount();
    xb::RegisterFunction("CCODUSER", [](xb::Args&) { return Value::String("05"); });
    memory().MakeFolder("..\\TMP\\");
  }
  // Rows {informe, linea, texto}.
  void MakeLines(const std::string& path, const std::vector<std::tuple<std::string, int, std::string>>& rows) {
    CreateTable(path, kLines, static_cast<int>(rows.size()), [&rows](xb::rdd::WorkArea& a, int n) {
      const auto& [informe, linea, texto] = rows[static_cast<std::size_t>(n - 1)];
      a.PutField(1, Value::String(informe));
      a.PutField(2, Value::Integer(linea));
      a.PutField(3, Value::String(texto));
    });
  }
  // The rows in record order, deleted ones left out: "INFORME" + linea + "TEXTO".
  std::string Rows(const std::string& alias) {
    xb::rdd::WorkArea& a = *areas().Area(areas().AreaOfAlias(alias));
    const int order = a.controlling_order();
    a.SetControllingOrder(0);
    std::string rows;
    for (a.GoTop(); !a.eof(); a.Skip(1)) {
      rows += std::string(xb::AllTrim(a.GetField(1).AsString())) + std::to_string(a.GetField(2).AsInt()) +
              std::string(xb::AllTrim(a.GetField(3).AsString())) + " ";
    }
    a.SetControllingOrder(order);
    return rows;
  }
};

TEST_F(WorkTablesTest, TemporaryNamesAsPublicFunction) {
  EXPECT_EQ(X("TI_CTNAME('..\\TMP\\', .T., 'Inf')").AsString(), "Tmp05GInf0");
  EXPECT_EQ(X("TI_CTNAME('..\\TMP\\')").AsString(), "Tmp050");
}

TEST_F(WorkTablesTest, ATableIsReindexedFromScratchAndTheMeterNeverPassesItsTotal) {
  MakeLines("..\\DBF01\\Lineas.dbf", {{"B", 1, "x"}, {"A", 2, "y"}, {"C", 3, "z"}});
  ASSERT_GT(Use("..\\DBF01\\Lineas.dbf", "MAKING", false), 0);
  X("ORDCREATE(, 'VIEJA', 'TEXTO')");
  X("DBGOTO(3)");
  X("DBDELETE()");
  X("DBCLOSEAREA()");
  auto meter = xb::MakeRef<FakeMeter>();
  const Value tags = X("{{'Informe', 'INFORME'}, {'Linea', 'STR(LINEA)', .T.}}");
  for (int call = 1; call <= 3; ++call)
    EXPECT_TRUE(IndexData("Lineas", "..\\DBF01\\", tags.AsArray(), Value(meter), Value(meter)));
  EXPECT_EQ(meter->positions, (std::vector<std::int64_t>{1, 2, 2}));
  EXPECT_EQ(meter->texts[0], "Lineas Indice nº 1");
  EXPECT_EQ(meter->texts[1], "Lineas Indice nº 2");
  ASSERT_TRUE(data::lNetUse("..\\DBF01\\Lineas"));
  EXPECT_EQ(X("ORDNAME(1) + '/' + ORDNAME(2) + '/' + ORDNAME(3)").AsString(), "INFORME/LINEA/");
  EXPECT_EQ(X("RECCOUNT()").AsInt(), 2);  // packed
  X("DBCLOSEAREA()");
  EXPECT_TRUE(errors.empty());
}

TEST_F(WorkTablesTest, ATableThatCannotBeTakenKeepsItsIndex) {
  MakeLines("..\\DBF01\\Lineas.dbf", {{"B", 1, "x"}});
  ASSERT_GT(Use("..\\DBF01\\Lineas.dbf", "HOLDER", true), 0);
  X("ORDCREATE(, 'VIEJA', 'TEXTO')");
  EXPECT_FALSE(IndexData("Lineas", "..\\DBF01\\", X("{{'Informe', 'INFORME'}}").AsArray()));
  EXPECT_TRUE(memory().Exists("..\\DBF01\\Lineas.cdx"));
  ASSERT_EQ(ui().messages.size(), 1u);
  EXPECT_EQ(ui().messages[0].title, "Acceso denegado");
  EXPECT_EQ(X("HOLDER->(ORDNAME(1))").AsString(), "VIEJA");
}

TEST_F(WorkTablesTest, TheRowsOfOneKeyGoBetweenATableAndItsCopy) {
  MakeLines("..\\DBF01\\Master.dbf", {{"INF1", 1, "uno"}, {"INF2", 1, "otro"}, {"INF1", 2, "dos"}});
  MakeLines("..\\TMP\\Copia.dbf", {});
  for (const char* t : {"..\\DBF01\\Master.dbf", "..\\TMP\\Copia.dbf"}) {
    ASSERT_GT(Use(t, "MAKING", false), 0);
    X("ORDCREATE(, 'INFORME', 'UPPER(INFORME) + STR(LINEA, 3)')");
    X("DBCLOSEAREA()");
  }
  ASSERT_TRUE(data::lNetUse("..\\DBF01\\Master"));
  data::NetUseOptions exclusive;
  exclusive.exclusive = true;
  ASSERT_TRUE(data::lNetUse("..\\TMP\\Copia", exclusive));

  EXPECT_TRUE(X("TI_MASTERTOTEMP('Master', 'Copia', 1, 'inf1')").AsLogical());
  EXPECT_EQ(Rows("Copia"), "INF11uno INF12dos ");
  X("Copia->(DBGOTOP(), FIELDPUT(3, 'UNO'), DBAPPEND(), FIELDPUT(1, 'INF1'), FIELDPUT(2, 3), FIELDPUT(3, 'tres'))");
  EXPECT_TRUE(X("TI_TEMPTOMASTER('Copia', 'Master', 1, 'INF1')").AsLogical());
  EXPECT_EQ(Rows("Master"), "INF21otro INF11UNO INF12dos INF13tres ");
  EXPECT_TRUE(X("Master->(DBRLOCK(1))").AsLogical());  // the file lock went with the copy
  X("Master->(DBUNLOCK())");

  // Another process holding a record lock refuses the file lock: nothing changes.
  const int other = Use("..\\DBF01\\Master.dbf", "OTHER", true);
  ASSERT_GT(other, 0);
  ASSERT_TRUE(X("OTHER->(DBRLOCK(1))").AsLogical());
  X("Copia->(DBGOTOP(), FIELDPUT(3, 'cambio'))");
  EXPECT_FALSE(X("TI_TEMPTOMASTER('Copia', 'Master', 1, 'INF1')").AsLogical());
  EXPECT_EQ(Rows("Master"), "INF21otro INF11UNO INF12dos INF13tres ");
  ASSERT_FALSE(ui().messages.empty());
  EXPECT_EQ(ui().messages.back().text, "El fichero que se intenta procesar está bloqueado");
  EXPECT_TRUE(errors.empty());
}

TEST_F(WorkTablesTest, ARecordIsCopiedFieldByName) {
  MakeLines("..\\DBF01\\Master.dbf", {{"INF1", 7, "siete"}});
  CreateTable("..\\TMP\\Otra.dbf", {{"TEXTO", 'C', 10, 0}, {"NADA", 'L', 1, 0}, {"LINEA", 'N', 3, 0}}, 1);
  ASSERT_TRUE(data::lNetUse("..\\DBF01\\Master"));
  data::NetUseOptions exclusive;
  exclusive.exclusive = true;
  ASSERT_TRUE(data::lNetUse("..\\TMP\\Otra", exclusive));
  X("DBSELECTAREA('Master')");
  X("TI_RECCOPY('Otra')");
  EXPECT_EQ(X("Otra->(TRIM(TEXTO) + STR(LINEA, 2))").AsString(), "siete 7");
  EXPECT_FALSE(X("Otra->NADA").AsLogical());
}

}  // namespace
}  // namespace reports
