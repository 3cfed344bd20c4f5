// Columns of the column browse without windows: their measured and given widths, the
// alignment texts, colour pairs turned into colour blocks, and the saved record read back,
// refused whole when it is short or malformed.
#include "ui/controls/tccolumn.h"

#include <gtest/gtest.h>

#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/test_env.h"
#include "ui/controls/tccolumn_format.h"

namespace ui {
namespace {

using xb::Args;
using xb::Value;

Value Blk(std::function<Value(Args&)> fn) { return Value(xb::Block::Native(std::move(fn))); }
Value Const(Value v) { return Blk([v](Args&) { return v; }); }

class TCColumnTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    RegisterColumnClasses();
    // Text 7 pixels a character; dialog units 6 wide; "W+/B" white on blue, "N/W" black on white.
    xb::RegisterFunction("GETTEXTWIDTH", [](Args& a) { return Value::Integer(7 * static_cast<int>(a.Str(2).size())); });
    xb::RegisterFunction("GETDLGBASEUNITS", [](Args&) { return Value::Integer((16 << 16) | 6); });
    xb::RegisterFunction("NGETFORERGB", [](Args& a) { return Value::Integer(a.Str(1) == "W+/B" ? 0xFFFFFF : 0); });
    xb::RegisterFunction("NGETBACKRGB", [](Args& a) { return Value::Integer(a.Str(1) == "W+/B" ? 0x800000 : 0xFFFFFF); });
  }
  static xb::Ref<TCColumn> Column(TCColumn::NewParams p) {
    auto c = xb::MakeRef<TCColumn>();
    c->New(p);
    return c;
  }
};

TEST_F(TCColumnTest, WidthsAreMeasuredOrGivenInDialogUnits) {
  struct Case {
    const char* heading;
    Value value;
    const char* picture;
    Value width;
    bool bitmap;
    int pixels;
  } cases[] = {
      {"Código", Value::String("00001"), "", Value(), false, 32},            // 0.67 x 7 x (6 + 1)
      {"N", Value::String("Alimentación Pérez"), "", Value(), false, 89},   // the value is longer
      {"Importe", Value::Double(1234.5, 2), "@E 999,999.99", Value(), false, 51},  // as shown: 10 + 1
      {"Marca", Value::Integer(1), "", Value(), true, 16},                   // a bitmap column
      {"Nombre", Value::String("x"), "", Value::Integer(40), false, 30},     // 40 units of 6 / 8
      {"Nombre", Value::String("x"), "", Value::Integer(41), true, 30},      // given wins over bitmap
  };
  for (const Case& c : cases) {
    TCColumn::NewParams p;
    p.heading = Value::String(c.heading);
    p.data = Const(c.value);
    p.picture = c.picture;
    p.width = c.width;
    p.bitmap = c.bitmap;
    EXPECT_EQ(Column(p)->nWidth, c.pixels) << c.heading;
  }
}

TEST_F(TCColumnTest, AlignmentsAndDefaults) {
  struct Case {
    Value align;
    int expected;
  } cases[] = {
      {Value::Integer(0), 0},       {Value::Integer(2), 2},         {Value::Integer(3), 0},
      {Value::Integer(-1), 0},      {Value::String("LEFT"), 0},     {Value::String("center"), 1},
      {Value::String("RIGHT"), 2},  {Value::String("R"), 1},        // "CENTER" holds "R" first
      {Value::String("IGHT"), 2},   {Value::String("xyz"), 0},      {Value::Logical(true), 0},
      {Value(), 0},
  };
  for (const Case& c : cases) {
    TCColumn::NewParams p;
    p.align = c.align;
    p.width = Value::Integer(10);
    EXPECT_EQ(Column(p)->nAlign, c.expected) << xb::CallFunction("VALTYPE", {c.align}).AsString();
  }
  auto plain = Column({});
  EXPECT_EQ(plain->Heading(), "");
  EXPECT_TRUE(plain->CellValue().IsNil());
  EXPECT_EQ(plain->cMsg, "Press Esc to cancel");
  ASSERT_TRUE(plain->bValid.IsBlock());
  EXPECT_TRUE(plain->bValid.AsBlock().Eval().AsLogical());
  EXPECT_EQ(plain->nEditMove, 0);
  EXPECT_FALSE(plain->HasFooting());
}

TEST_F(TCColumnTest, ColourPairsBecomeColourBlocksAndEmptyColoursGo) {
  TCColumn::NewParams pair;
  pair.clr_fore = Const(Value::String("W+/B"));
  pair.clr_back = Const(Value::Integer(0x00FF00));  // a pair gives both colours
  pair.width = Value::Integer(10);
  auto c = Column(pair);
  ASSERT_TRUE(c->bClrFore.IsBlock() && c->bClrBack.IsBlock());
  EXPECT_EQ(c->Fore(1, 1, 7), 0xFFFFFFu);
  EXPECT_EQ(c->Back(1, 1, 7), 0x800000u);

  // Per row: the block sees the row and the column.
  TCColumn::NewParams rows;
  rows.clr_fore = Blk([](Args& a) { return a.Int(1) == 2 ? Value::Integer(255) : Value::Integer(1); });
  rows.clr_back = Const(Value::Integer(0));  // empty: the browse's colour
  rows.width = Value::Integer(10);
  auto r = Column(rows);
  EXPECT_EQ(r->Fore(2, 1, 9), 255u);
  EXPECT_EQ(r->Fore(3, 1, 9), 1u);
  EXPECT_TRUE(r->bClrBack.IsNil());
  EXPECT_EQ(r->Back(2, 1, 9), 9u);

  TCColumn::NewParams none;
  none.clr_fore = Const(Value());
  none.width = Value::Integer(10);
  EXPECT_TRUE(Column(none)->bClrFore.IsNil());
}

TEST_F(TCColumnTest, SavedColumnsLoadBackAndBrokenRecordsChangeNothing) {
  TCColumn::NewParams p;
  p.heading = Value::String("Descripción");
  p.picture = "@!";
  p.width = Value::Integer(80);
  auto saved = Column(p);
  saved->OnEdit = Value::String("EditaDescripcion()");
  const std::string record = saved->Save();
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(record[0], 'O');
  EXPECT_EQ(static_cast<unsigned char>(record[1]) | static_cast<unsigned char>(record[2]) << 8,
            static_cast<int>(record.size()));
  const std::optional<std::string_view> body = ColumnRecordBody(record, "TCCOLUMN");
  ASSERT_TRUE(body.has_value());

  auto loaded = xb::MakeRef<TCColumn>();
  ASSERT_TRUE(loaded->Load(*body));
  EXPECT_EQ(loaded->Heading(), "Descripción");
  EXPECT_EQ(loaded->cPicture, "@!");
  EXPECT_EQ(loaded->nWidth, 60);
  EXPECT_EQ(loaded->OnEdit.AsString(), "EditaDescripcion()");
  // What equals a fresh column is not stored: an empty column saves no items.
  const std::string empty = xb::MakeRef<TCColumn>()->Save();
  EXPECT_EQ(DecodeColumnBody(*ColumnRecordBody(empty, "TCCOLUMN"))->size(), 0u);

  // Every cut of the body, and a few malformed ones, raise an error and leave the column as it was.
  std::vector<std::string> broken;
  for (std::size_t n = 0; n < body->size(); ++n) broken.emplace_back(body->substr(0, n));
  std::string bad_type(*body);
  bad_type[2 + 2 + std::string("cHeading").size()] = 'X';
  broken.push_back(bad_type);
  broken.push_back(std::string(*body) + "z");                       // bytes left over
  broken.push_back(std::string("\x01\x00\x05\x00nSize", 7) + "N\x01\x00" "5");  // no such property
  broken.push_back(std::string("\x01\x00\x08\x00" "cHeading" "A\x02\x00", 15));  // nested length too short
  for (const std::string& text : broken) {
    auto column = Column(p);
    xb::testing::RecordingErrorBlock errors;
    EXPECT_FALSE(column->Load(text)) << text.size();
    EXPECT_EQ(errors.count, 1) << text.size();
    ASSERT_NE(errors.error(), nullptr);
    EXPECT_EQ(errors.error()->genCode, xb::EG_CORRUPTION);
    EXPECT_EQ(column->Heading(), "Descripción");
    EXPECT_EQ(column->nWidth, 60);
  }
}

TEST_F(TCColumnTest, ARecordTooLongForItsLengthRaisesAnErrorInsteadOfSavingNothingQuietly) {
  struct Case {
    std::size_t heading;  // characters of the heading
    bool fits;
  } cases[] = {{100, true}, {kMaxColumnText - 200, true}, {kMaxColumnText + 1, false}, {kMaxColumnText - 20, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.heading);
    TCColumn::NewParams p;
    p.heading = Value::String(std::string(c.heading, 'x'));
    p.width = Value::Integer(10);
    auto column = Column(p);
    xb::testing::RecordingErrorBlock errors;
    const Value saved = xb::EvalValue(Value(xb::Block::Native([&](Args&) { return xb::Send(column->Self(), "SAVE"); })), {});
    if (c.fits) {
      EXPECT_EQ(errors.count, 0);
      EXPECT_GT(saved.AsString().size(), c.heading);
    } else {
      ASSERT_EQ(errors.count, 1);
      EXPECT_EQ(errors.error()->genCode, xb::EG_LIMIT);
      EXPECT_EQ(errors.error()->operation, "TCCOLUMN:SAVE");
      EXPECT_EQ(saved.AsString(), "");
    }
  }
}

TEST_F(TCColumnTest, RunTimeTextMakesColumns) {
  const Value c = xb::EvalMacro("TCColumn():New('Total', {|| 12}, '999', , , 'RIGHT', 20, , .T.)");
  ASSERT_TRUE(c.IsObject());
  EXPECT_EQ(xb::Send(c, "NALIGN").AsInt(), 2);
  EXPECT_EQ(xb::Send(c, "NWIDTH").AsInt(), 15);
  EXPECT_TRUE(xb::Send(c, "LEDIT").AsLogical());
  EXPECT_EQ(xb::EvalValue(xb::Send(c, "BDATA"), {}).AsInt(), 12);
  EXPECT_EQ(xb::Send(c, "APROPERTIES").AsArray().size(), 3u);
}

}  // namespace
}  // namespace ui
