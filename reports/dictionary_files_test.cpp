#include "reports/dictionary_files.h"

#include <gtest/gtest.h>

#include "data/data_test_support.h"
#include "reports/dictionary_tables.h"
#include "reports/dictionary_ui.h"
#include "reports/report_functions.h"
#include "runtime/lib/strings.h"
#include "runtime/object.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::dbf::FieldSpec;

// The index run's meter: its total and the positions it is set to.
class Meter : public xb::Object {
 public:
  Meter() : Object(Cls()) {}
  static const xb::Class& Cls() {
    static const xb::Class& c = []() -> const xb::Class& {
      xb::Class& c = xb::Class::Define("DICTTESTMETER");
      c.Data("NTOTAL", &Meter::total);
      c.Method("SET", [](xb::Object& o, xb::Args& a) {
        xb::Class::Cast<Meter>(o).positions.push_back(a.Int(1));
        return Value();
      });
      return c;
    }();
    return c;
  }
  std::int64_t total = 0;
  std::vector<std::int64_t> positions;
};

// The dialogs as the file routines see them.
class RecordingDictUi final : public DictionaryUi {
 public:
  void OpenIndexBar(int total) override {
    index_bars.push_back(total);
    meter = xb::MakeRef<Meter>();
    meter->total = total;
  }
  Value IndexMeter() override { return meter ? meter->AsValue() : Value(); }
  xb::Ref<Meter> meter;
  void OpenStructCheck() override { ++struct_checks; }
  void StructCheckTable(std::string_view table) override { checked.emplace_back(table); }
  std::vector<int> index_bars;
  int struct_checks = 0;
  std::vector<std::string> checked;
};

// A file system that fails the Nth rename from now on (1-based; 0: none).
class FailingRenames final : public xb::rdd::FileSystem {
 public:
  explicit FailingRenames(xb::rdd::FileSystem& base) : base_(base) {}
  xb::rdd::Status Open(const std::string& path, const xb::rdd::OpenOptions& options,
                       std::unique_ptr<xb::rdd::File>* file) override {
    return base_.Open(path, options, file);
  }
  xb::rdd::Status Remove(const std::string& path) override { return base_.Remove(path); }
  xb::rdd::Status Rename(const std::string& from, const std::string& to) override {
    if (++renames == fail_at) return xb::rdd::Status::Io(5, "rename refused");
    return base_.Rename(from, to);
  }
  bool Exists(const std::string& path) override { return base_.Exists(path); }
  int fail_at = 0;
  int renames = 0;

 private:
  xb::rdd::FileSystem& base_;
};

class DictionaryFilesTest : public data::testing::DataTest {
 protected:
  void SetUp() override {
    DataTest::SetUp();
    RegisterReportFunctions();
    SetDictUi(&dict_ui);
    memory().MakeFolder("INF\\");
  }
  void TearDown() override {
    SetDictUi(nullptr);
    DataTest::TearDown();
  }
  // "NAME Tw.d ..." of the table at `path`.
  std::string StructureOf(const std::string& path) {
    const int area = Use(path, "LOOK", false);
    if (area == 0) return "(no abre)";
    xb::rdd::WorkArea& a = *areas().Area(area);
    std::string s;
    for (int f = 1; f <= a.FieldCount(); ++f) {
      const auto& field = *a.FieldAt(f);
      s += field.name + " " + field.type + std::to_string(field.length) + "." + std::to_string(field.decimals) + " ";
    }
    a.Close();
    return s;
  }
  static std::string Expected(const DictTable& t) {
    std::string s;
    for (const FieldSpec& f : t.fields) {
      s += f.name + " " + f.type + std::to_string(f.length) + "." + std::to_string(f.decimals) + " ";
    }
    return s;
  }
  RecordingDictUi dict_ui;
};

TEST_F(DictionaryFilesTest, AnEmptyFolderGetsEveryTableAndIndexFile) {
  ASSERT_TRUE(CheckStruct("INF"));
  ASSERT_TRUE(DictReindex("INF", true));
  // The meter counts 20 steps; the 22 tables' calls of TI_INDEXDATA leave it full.
  EXPECT_EQ(dict_ui.index_bars, std::vector<int>{20});
  ASSERT_EQ(dict_ui.meter->positions.size(), 22u);
  EXPECT_EQ(dict_ui.meter->positions[18], 19);
  EXPECT_EQ(dict_ui.meter->positions.back(), 20) << "the meter ends full";
  EXPECT_EQ(dict_ui.checked.size(), 23u);
  for (const DictTable& t : DictionaryTables()) {
    SCOPED_TRACE(std::string(t.name));
    const std::string path = "INF\\" + std::string(t.name) + ".dbf";
    EXPECT_EQ(StructureOf(path), Expected(t));
    EXPECT_EQ(memory().Exists("INF\\" + std::string(t.name) + ".cdx"), t.indexed());
    if (!t.indexed()) continue;
    ASSERT_GT(Use(path, "LOOK", true), 0);
    ASSERT_EQ(X("ORDCOUNT()").AsInt(), static_cast<std::int64_t>(t.tags.size()));
    for (std::size_t i = 0; i < t.tags.size(); ++i) {
      const std::string n = std::to_string(i + 1);
      EXPECT_EQ(xb::Upper(xb::CurrentCodePage(), X("ORDNAME(" + n + ")").AsString()),
                xb::Upper(xb::CurrentCodePage(), t.tags[i].name));
      EXPECT_EQ(X("ORDKEY(" + n + ")").AsString(), t.tags[i].key);
    }
    X("DBCLOSEAREA()");
  }
  EXPECT_FALSE(CheckStruct("INF\\")) << "nothing left to change";
}

TEST_F(DictionaryFilesTest, WithoutForceNothingIsTouchedUnlessAnIndexFileIsMissing) {
  ASSERT_TRUE(CheckStruct("INF\\"));
  ASSERT_TRUE(X("DICTREINDEX('INF', .T.)").AsLogical());
  const std::string before = memory().Contents("INF\\Campos.cdx");
  dict_ui.index_bars.clear();
  failing().ForgetOpens();
  EXPECT_TRUE(X("DICTREINDEX('INF')").AsLogical());
  EXPECT_TRUE(dict_ui.index_bars.empty()) << "no dialog";
  for (const DictTable& t : DictionaryTables()) {
    EXPECT_TRUE(failing().OpenTimes("INF\\" + std::string(t.name) + ".dbf").empty()) << t.name;
  }
  EXPECT_EQ(memory().Contents("INF\\Campos.cdx"), before);

  // One index file gone: every table is indexed again.
  ASSERT_TRUE(memory().Remove("INF\\SubCat.cdx").ok());
  ASSERT_TRUE(DictReindex("INF", false));
  EXPECT_EQ(dict_ui.index_bars, std::vector<int>{20});
  EXPECT_FALSE(failing().OpenTimes("INF\\Tablas.dbf").empty());
  EXPECT_TRUE(memory().Exists("INF\\SubCat.cdx"));
}

TEST_F(DictionaryFilesTest, AFolderWithoutTheDictionaryIsLeftAlone) {
  memory().MakeFolder("VACIO\\");
  EXPECT_TRUE(DictReindex("VACIO", false));
  EXPECT_TRUE(DictReindex("VACIO", true));
  EXPECT_TRUE(dict_ui.index_bars.empty());
  EXPECT_TRUE(ui().messages.empty());
  EXPECT_FALSE(memory().Exists("VACIO\\Campos.cdx"));
}

TEST_F(DictionaryFilesTest, ATableThatCannotBeTakenIsToldOnce) {
  ASSERT_TRUE(CheckStruct("INF"));
  failing().Fail("INF\\Indices.dbf", 32);
  EXPECT_FALSE(DictReindex("INF", true));
  int alerts = 0;
  for (const auto& m : ui().messages) {
    if (m.text.starts_with("Se ha producido algún error durante la generación de índices.")) {
      ++alerts;
      EXPECT_EQ(m.title, " Atención");
    }
  }
  EXPECT_EQ(alerts, 1);
  EXPECT_TRUE(memory().Exists("INF\\Campos.cdx"));
  EXPECT_FALSE(memory().Exists("INF\\Relacion.cdx")) << "stops at the first failure";
}

class DictionaryRepairTest : public DictionaryFilesTest {
 protected:
  // Campos as an older program left it: ORDEN and ANCHOMAX as text, CAMPO and DESCRIPC of
  // other widths, LONGITUD wider than now, a field the dictionary no longer has.
  void MakeOldCampos() {
    const std::vector<FieldSpec> old = {{"TABLA", 'C', 10, 0},    {"ORDEN", 'C', 3, 0},  {"CAMPO", 'C', 20, 0},
                                        {"TIPO", 'C', 1, 0},      {"LONGITUD", 'N', 6, 0}, {"DECIMAL", 'N', 3, 0},
                                        {"DESCRIPC", 'C', 80, 0}, {"VIEJO", 'C', 5, 0},  {"ANCHOMAX", 'C', 4, 0}};
    CreateTable("INF\\Campos.dbf", old, 2, [](xb::rdd::WorkArea& a, int n) {
      a.PutField(1, Value::String("CLIENTES"));
      a.PutField(2, Value::String(n == 1 ? "  7" : "x"));
      a.PutField(3, Value::String("NOMBRE"));
      a.PutField(4, Value::String("C"));
      a.PutField(5, Value::Integer(n == 1 ? 40 : 123456));
      a.PutField(7, Value::String(std::string(70, 'd') + "FIN"));
      a.PutField(8, Value::String("old"));
      a.PutField(9, Value::String(n == 1 ? "12" : "9999"));
    });
    memory().SetContents("INF\\Campos.cdx", "old index");
  }
  // "TABLA|ORDEN|CAMPO|LONGITUD|DESCRIPC(len)|ANCHOMAX" of each row.
  std::string Rows() {
    const int area = Use("INF\\Campos.dbf", "CAMPOS", false);
    if (area == 0) return "(no abre)";
    xb::rdd::WorkArea& a = *areas().Area(area);
    a.SetControllingOrder(0);
    std::string s;
    for (a.GoTop(); !a.eof(); a.Skip(1)) {
      s += std::string(xb::AllTrim(a.GetField(a.FieldPos("TABLA")).AsString())) + "|" +
           std::to_string(a.GetField(a.FieldPos("ORDEN")).AsInt()) + "|" +
           std::string(xb::AllTrim(a.GetField(a.FieldPos("CAMPO")).AsString())) + "|" +
           std::to_string(a.GetField(a.FieldPos("LONGITUD")).AsInt()) + "|" +
           std::to_string(xb::AllTrim(a.GetField(a.FieldPos("DESCRIPC")).AsString()).size()) + "|" +
           std::to_string(a.GetField(a.FieldPos("ANCHOMAX")).AsInt()) + " ";
    }
    a.Close();
    return s;
  }
};

TEST_F(DictionaryRepairTest, ATableOfAnotherStructureIsRebuiltWithItsRows) {
  MakeOldCampos();
  errors.clear();
  ASSERT_TRUE(CheckStruct("INF"));
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(StructureOf("INF\\Campos.dbf"), Expected(*FindDictTable("Campos")));
  // Text became number and back; a number too wide for its field and an unreadable one stay empty.
  EXPECT_EQ(Rows(), "CLIENTES|7|NOMBRE|40|60|12 CLIENTES|0|NOMBRE|0|60|0 ");
  EXPECT_FALSE(memory().Exists("INF\\chkfile.dbf"));
  EXPECT_FALSE(memory().Exists("INF\\Campos.dbf.bak"));
  EXPECT_FALSE(memory().Exists("INF\\Campos.cdx")) << "the old index goes; the forced re-index makes it";
}

TEST_F(DictionaryRepairTest, AFailureBetweenTheStepsLeavesATableThatReads) {
  // Renames of one rebuild: the table aside, its index aside, the new table in.
  for (int fail_at = 1; fail_at <= 3; ++fail_at) {
    SCOPED_TRACE(fail_at);
    MakeOldCampos();
    const std::string old_rows = Rows();
    FailingRenames renames(failing());
    renames.fail_at = fail_at;
    areas().set_file_system(&renames);
    CheckStruct("INF");
    areas().set_file_system(&failing());
    EXPECT_EQ(Rows(), old_rows) << "the old table is still in its place";
    EXPECT_NE(StructureOf("INF\\Campos.dbf"), Expected(*FindDictTable("Campos")));
    EXPECT_FALSE(memory().Exists("INF\\chkfile.dbf"));
    // The next check finishes the work.
    ASSERT_TRUE(CheckStruct("INF"));
    EXPECT_EQ(Rows(), "CLIENTES|7|NOMBRE|40|60|12 CLIENTES|0|NOMBRE|0|60|0 ");
  }
}

TEST_F(DictionaryRepairTest, ATableLeftAsideByAStoppedRebuildTakesItsPlaceAgain) {
  MakeOldCampos();
  ASSERT_TRUE(memory().Rename("INF\\Campos.dbf", "INF\\Campos.dbf.bak").ok());
  ASSERT_TRUE(CheckStruct("INF"));
  EXPECT_EQ(Rows(), "CLIENTES|7|NOMBRE|40|60|12 CLIENTES|0|NOMBRE|0|60|0 ");
}

}  // namespace
}  // namespace reports
