#include "runtime/rdd/field_key.h"

#include <gtest/gtest.h>

#include "runtime/block.h"
#include "runtime/codepage.h"
#include "runtime/macro.h"
#include "runtime/rdd/memory_file_system.h"
#include "runtime/rdd/test_support.h"
#include "runtime/rdd/workareas.h"
#include "runtime/test_env.h"

namespace xb::rdd {
namespace {

class FieldKeyTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    InitTables();
    previous_codepage_ = SetCodePage("ESWIN");
    memory_.MakeFolder("datos/");
    WorkAreas::Get().set_file_system(&memory_);
    for (const char* file : {"fixture.dbf", "fixture.fpt"})
      memory_.SetContents(std::string("datos/") + file,
                          testing::ReadWholeFile(testing::ReferenceFile(std::string("cdx-1k/") + file)));
    EvalMacro("DBUSEAREA(.T., 'DBFCDX', 'datos/fixture', 'F', .T.)");
  }
  void TearDown() override {
    ResetTables();
    SetCodePage(previous_codepage_);
    RuntimeTest::TearDown();
  }

  MemoryFileSystem memory_;
  std::string previous_codepage_;
};

// A planned key gives, on every record of the reference table, the very text or value the
// expression compiled as a block gives, or leaves the record to the block where a part is not
// what the plan takes (memo text, a number where text goes); other shapes get no plan.
TEST_F(FieldKeyTest, PlannedKeysAreTheBlocksValues) {
  WorkArea& area = WorkAreas::Get().Current();
  enum Plan { kNone, kPlanned, kToTheBlock };
  const struct {
    const char* text;
    Plan plan;
  } cases[] = {
      {"CODIGO", kPlanned},
      {"Upper( Nombre ) + codigo", kPlanned},
      {"DTOS(FECHA)+CODIGO", kPlanned},
      {"STR(IMPORTE,12,2)", kPlanned},
      {"STR(IMPORTE, 8) + STR(IMPORTE,3) + STR(IMPORTE)", kPlanned},
      {"CODIGO + STR(IMPORTE, 12, 2) + DTOS(FECHA) + UPPER(NOMBRE)", kPlanned},
      {"IMPORTE", kPlanned},
      {"FECHA", kPlanned},
      {"ACTIVO", kPlanned},
      {"NOTAS", kPlanned},
      {"UPPER(NOTAS)", kToTheBlock},
      {"CODIGO + IMPORTE", kToTheBlock},
      {"UPPER(IMPORTE)", kToTheBlock},
      {"STR(IMPORTE, 12.5)", kNone},
      {"STR(9999999999.999999 - IMPORTE, 17, 6) + CODIGO", kNone},
      {"IF(ACTIVO, '1', '0') + CODIGO", kNone},
      {"F->CODIGO", kNone},
      {"CODIGO + 'X'", kNone},
      {"LEFT(CODIGO, 3)", kNone},
      {"NADA", kNone},
      {"UPPER(NADA)", kNone},
      {"CODIGO +", kNone},
      {"STR(IMPORTE, 12, 2", kNone},
  };
  for (const auto& c : cases) {
    std::unique_ptr<FieldKey> plan = FieldKey::Compile(area, c.text);
    EXPECT_EQ(plan != nullptr, c.plan != kNone) << c.text;
    if (!plan) continue;
    const Block block = CompileBlock(c.text);
    int records = 0, asked = 0;
    for (EvalMacro("DBGOTOP()"); !EvalMacro("EOF()").AsLogical(); EvalMacro("DBSKIP()"), ++records) {
      std::string text = "x", expected = "x";
      Value value, expected_value;
      const FieldKey::Result r = plan->Append(text, value);
      if (r == FieldKey::Result::kAsked) {
        EXPECT_EQ(text, "x") << c.text;
        ++asked;
        continue;
      }
      const bool is_text = block.EvalString(expected, expected_value);
      ASSERT_EQ(r == FieldKey::Result::kText, is_text) << c.text;
      EXPECT_EQ(text, expected) << c.text;
      if (!is_text) {
        EXPECT_TRUE(value.SameAs(expected_value) && value.type() == expected_value.type()) << c.text;
      }
    }
    EXPECT_EQ(records, 1000);
    EXPECT_EQ(asked, c.plan == kToTheBlock ? records : 0) << c.text;
  }
}

// STR and DTOS of a field give its own bytes when they are as the call writes them; any other
// form the field may hold (written by another program, damaged) gives what the block gives.
TEST_F(FieldKeyTest, NumbersAndDatesAsStoredGiveTheBlocksText) {
  EvalMacro("DBCLOSEAREA()");
  ASSERT_TRUE(DbfTable::Create(memory_, "datos/formas.dbf",
                               {{"IMPORTE", 'N', 6, 2}, {"NUMERO", 'N', 5, 0}, {"FECHA", 'D', 8, 0}},
                               dbf::MemoKind::kNone)
                  .ok());
  // IMPORTE, NUMERO and FECHA as the record holds them.
  const struct {
    const char *amount, *number, *date;
  } rows[] = {
      {"  1.50", "  123", "20240229"}, {" -1.25", "   -7", "19991231"}, {"  0.05", "    0", "        "},
      {"-99.99", "99999", "00010101"}, {"001.50", "  007", "20230229"}, {"1.50  ", "12   ", "20231301"},
      {"  -0.0", "   -0", "2023 101"}, {" -0.00", "  1 2", "00000000"}, {"    .5", "*****", "2024022 "},
      {"  1.5 ", "     ", "abcdefgh"}, {" 12345", "  +12", "20240230"}, {"******", " 1.0 ", "        "},
      {"      ", "-0000", "99991231"}, {"+1.50 ", "1e3  ", "20000101"},
  };
  {
    std::unique_ptr<DbfTable> t;
    ASSERT_TRUE(DbfTable::Open(memory_, "datos/formas.dbf", {}, &t).ok());
    for (const auto& r : rows) {
      ASSERT_TRUE(t->Append().ok());
      ASSERT_TRUE(t->PutRecord(std::string(" ") + r.amount + r.number + r.date).ok());
    }
    ASSERT_TRUE(t->Close().ok());
  }
  EvalMacro("DBUSEAREA(.T., 'DBFCDX', 'datos/formas', 'F', .T.)");
  WorkArea& area = WorkAreas::Get().Current();
  for (const char* text : {"STR(IMPORTE, 6, 2)", "STR(IMPORTE, 9, 2)", "STR(IMPORTE, 4, 2)", "STR(IMPORTE, 6)",
                           "STR(NUMERO, 5)", "STR(NUMERO, 8)", "STR(NUMERO, 2)", "STR(NUMERO, 5, 0)",
                           "STR(NUMERO, 7, 1)", "DTOS(FECHA)", "STR(NUMERO, 5) + DTOS(FECHA) + STR(IMPORTE, 6, 2)"}) {
    std::unique_ptr<FieldKey> plan = FieldKey::Compile(area, text);
    ASSERT_NE(plan, nullptr) << text;
    const Block block = CompileBlock(text);
    int records = 0;
    for (EvalMacro("DBGOTOP()"); !EvalMacro("EOF()").AsLogical(); EvalMacro("DBSKIP()"), ++records) {
      std::string key, expected;
      Value value, expected_value;
      ASSERT_EQ(plan->Append(key, value), FieldKey::Result::kText) << text;
      ASSERT_TRUE(block.EvalString(expected, expected_value)) << text;
      EXPECT_EQ(key, expected) << text << ", record " << records + 1;
    }
    EXPECT_EQ(records, static_cast<int>(std::size(rows)));
  }
}

// Keys of the record alone: its fields, number and deletion mark through functions of their
// arguments; anything that asks the table's count or position, or may (a function of the
// program, macro text, a message, an assignment), is not.
TEST_F(FieldKeyTest, KeysOfTheRecordAlone) {
  const struct {
    const char* text;
    bool alone;
  } cases[] = {
      {"CODIGO", true},
      {"Upper( Nombre ) + codigo", true},
      {"If( ACTIVO, \"1\", \"0\" ) + CODIGO + Str( 9999999999.999999 - IMPORTE, 17, 6 )", true},
      {"IIF(DELETED(), 'B', 'V') + STR(RECNO(), 6) + LEFT(NOTAS, 8)", true},
      {"F->CODIGO + 'RECCOUNT()'", true},
      {"STR(RECCOUNT(), 6) + CODIGO", false},
      {"CODIGO + STR(LASTREC())", false},
      {"IIF(EOF(), ' ', CODIGO)", false},
      {"STR(ORDKEYCOUNT())", false},
      {"F->(STR(RECNO() + LASTREC()))", false},
      {"MIFUNCION(CODIGO)", false},
      {"&cClave", false},
      {"(nVeces := 1, CODIGO)", false},
      {"oTabla:cCodigo", false},
      {"EVAL({|| CODIGO})", false},
      {"CODIGO +", false},
  };
  for (const auto& c : cases) EXPECT_EQ(KeyOfRecordAlone(c.text), c.alone) << c.text;
}

}  // namespace
}  // namespace xb::rdd
