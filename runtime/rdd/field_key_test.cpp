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
