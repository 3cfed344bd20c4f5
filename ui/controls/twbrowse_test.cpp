// The record browse under Wine over a table of thousands of records: moving by line, page,
// thumb and mouse with the record pointer, the selected row and the thumb in step; marks
// shown as bitmaps; another program's deletions; arrays; columns; the report's rows.
#include "ui/controls/twbrowse.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/rdd/test_process.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "runtime/test_env.h"
#include "tests/support/dialog_answerer.h"
#include "ui/bridge/image_strip.h"
#include "ui/controls/controls_test_support.h"
#include "ui/controls/table_source.h"
#include "ui/controls/tget.h"
#include "ui/controls/tscrollbar.h"
#include "ui/core/tfont.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;

constexpr int kRecords = 3000;

Value X(std::string_view text) { return xb::EvalMacro(text); }
std::string Code(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%05d", n);
  return text;
}

class TWBrowseTest : public test::TablesTest {
 protected:
  // One table for the suite, made once: CLIENTES of kRecords records, every seventh
  // deleted, ordered by CODIGO.
  static void SetUpTestSuite() { folder_ = MakeFolder("vdr_brw"); }
  static void TearDownTestSuite() { RemoveFolder(folder_, {"clientes.dbf", "clientes.cdx"}); }
  void SetUp() override {
    TablesTest::SetUp();
    xb::SetValue(xb::SET_DELETED, Value::Logical(true));
    xb::SetValue(xb::SET_DATEFORMAT, Value::String("dd-mm-yyyy"));
    MakeTable();
    window_ = Make(20, 20, 520, 400);
    ShowWindow(window_->hWnd, SW_SHOW);
    SetForegroundWindow(window_->hWnd);
    checked_ = ImageStrip::Shared().Load("BMPCHECKED");
    unchecked_ = ImageStrip::Shared().Load("BMPUNCHECKED");
    ASSERT_TRUE(checked_ && unchecked_);
  }
  void TearDown() override {
    ImageStrip::Shared().Clear();
    TablesTest::TearDown();
  }

  void MakeTable() {
    const std::string path = folder_ + "clientes";
    static const char* const names[] = {"Alimentación Pérez", "Bodegas Ruiz & Hijos", "Cafetería Central",
                                        "Droguería López", "Estanco Gómez", "Ferretería O'Neill", "Granja Sol"};
    ASSERT_TRUE(MakeShops(path, kRecords, names, {{"CODIGO", "CODIGO"}}));
    ASSERT_TRUE(Use(path, "CLIENTES"));
    xb::CallFunction("ORDSETFOCUS", {Value::String("CODIGO")});
    X("DBGOTOP()");
  }
  // The records a browse shows now (a test may have deleted some of the suite's table): the
  // keys SET DELETED shows (ORDKEYCOUNT counts the deleted records' too).
  static int Visible() { return static_cast<int>(X("ADSKEYCOUNT()").AsInt()); }

  // The browse over CLIENTES: a mark, the code, the name, the amount and the date. Each
  // painted row's code goes to painted_. `adjust` changes New's parameters first.
  xb::Ref<TWBrowse> Browse(const std::function<void(TWBrowse::NewParams&)>& adjust = {}) {
    TWBrowse::NewParams p;
    p.row = 0;
    p.col = 0;
    p.pixel = true;
    p.width = 500;
    p.height = 360;
    p.parent = window_;
    p.alias = "CLIENTES";
    p.headers = X("{'Sel.', 'Código', 'Nombre', 'Importe', 'Fecha'}");
    p.col_sizes = X("{30, 60, 200, 90, 90}");
    p.line = Blk([this](Args&) {
      const std::string code = Field("CODIGO");
      painted_.push_back(code);
      const bool marked = marks_.count(code) > 0;
      const StripImage& image = marked ? *checked_ : *unchecked_;
      return Value(xb::Array::Of({Value(xb::Array::Of({Value::Integer(image.slot), Value::Integer(image.width),
                                                        Value::Integer(image.height)})),
                                  Value::String(code), FieldValue("NOMBRE"), FieldValue("IMPORTE"),
                                  FieldValue("FECHA")}));
    });
    p.dbl_click = Blk([this](Args&) {
      const std::string code = Field("CODIGO");
      if (!marks_.erase(code)) marks_.insert(code);
      browse_->DrawSelect();
      return Value();
    });
    if (adjust) adjust(p);
    auto b = xb::MakeRef<TWBrowse>();
    b->New(p);
    b->aJustify = X("{.F., .F., .F., .T., .F.}");
    browse_ = b;
    made_.push_back(b->hWnd);
    return b;
  }
  static int KeyNo() { return static_cast<int>(X("ADSKEYNO()").AsInt()); }  // among them

  // Repaints the whole browse now; the codes drawn, row by row, then the selected one.
  std::vector<std::string> Repainted() {
    painted_.clear();
    RedrawWindow(browse_->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return painted_;
  }
  // What a person sees and what the program holds agree: the selected row shows the record
  // under the pointer, and the thumb stands at its place among the records shown.
  void ExpectInStep(const char* where) {
    const std::vector<std::string> rows = Repainted();
    ASSERT_GE(rows.size(), 2u) << where;
    const std::string selected = rows.back();
    const std::vector<std::string> drawn(rows.begin(), rows.end() - 1);
    ASSERT_GE(static_cast<int>(drawn.size()), browse_->nRowPos) << where;
    EXPECT_EQ(drawn[static_cast<std::size_t>(browse_->nRowPos) - 1], selected) << where;
    EXPECT_EQ(Field("CODIGO"), selected) << where;
    EXPECT_EQ(browse_->oVBar->GetPos(), KeyNo()) << where;
    EXPECT_EQ(browse_->oVBar->GetRange().second, browse_->nLen) << where;
  }
  void Send(UINT message, WPARAM wparam, LPARAM lparam = 0) { SendMessageA(browse_->hWnd, message, wparam, lparam); }

  static std::string folder_;
  xb::Ref<TWindow> window_;
  xb::Ref<TWBrowse> browse_;
  std::vector<std::string> painted_;
  std::set<std::string> marks_;
  std::optional<StripImage> checked_, unchecked_;
};

std::string TWBrowseTest::folder_;

TEST_F(TWBrowseTest, LinesPagesAndTheThumbKeepPointerSelectionAndThumbInStep) {
  auto b = Browse();
  SetFocus(b->hWnd);
  ASSERT_EQ(b->LogicLen(), Visible());
  EXPECT_EQ(b->oVBar->GetRange(), (std::pair{1, Visible()}));
  ExpectInStep("start");
  const int rows = b->nRowCount();
  ASSERT_GT(rows, 10);

  for (int i = 0; i < 5; ++i) Key(b->hWnd, VK_DOWN);
  EXPECT_EQ(b->nRowPos, 6);
  EXPECT_EQ(Field("CODIGO"), "00006");
  ExpectInStep("five lines down");
  for (int i = 0; i < rows; ++i) Key(b->hWnd, VK_DOWN);  // past the last row: the rows scroll
  EXPECT_EQ(b->nRowPos, rows);
  ExpectInStep("scrolled by lines");
  Key(b->hWnd, VK_NEXT);
  EXPECT_EQ(b->nRowPos, rows);
  ExpectInStep("a page down");
  Key(b->hWnd, VK_PRIOR);
  Key(b->hWnd, VK_UP);
  ExpectInStep("a page and a line up");

  Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1500));
  EXPECT_EQ(KeyNo(), 1500);
  ExpectInStep("thumb in the middle");
  Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3));
  EXPECT_EQ(KeyNo(), 3);
  EXPECT_EQ(b->nRowPos, 1);  // near the top the record chosen is the first row
  ExpectInStep("thumb near the top");

  Key(b->hWnd, VK_END);
  EXPECT_EQ(KeyNo(), Visible());
  EXPECT_EQ(b->nRowPos, rows);
  ExpectInStep("bottom");
  EXPECT_EQ(Repainted().size(), static_cast<std::size_t>(rows) + 1);  // the selected row is the last drawn
  Key(b->hWnd, VK_DOWN);
  EXPECT_TRUE(b->lHitBottom);
  ExpectInStep("below the bottom");

  Key(b->hWnd, VK_HOME);
  EXPECT_EQ(KeyNo(), 1);
  ExpectInStep("top");
  // Ctrl+C and Ctrl+R page the records with the thumb.
  Send(WM_CHAR, 3);
  EXPECT_EQ(KeyNo(), rows + 1);
  ExpectInStep("Ctrl+C");
  Send(WM_CHAR, 18);
  EXPECT_EQ(KeyNo(), 1);
  ExpectInStep("Ctrl+R");
  // A wheel turn is one line; a click selects the row under it.
  RECT r;
  GetWindowRect(b->hWnd, &r);
  Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), MAKELPARAM(r.left + 100, r.top + 50));
  EXPECT_EQ(KeyNo(), 2);
  const int h = b->nHRow();
  Send(WM_LBUTTONDOWN, 0, MAKELPARAM(150, 5 * h + h / 2));
  Send(WM_LBUTTONUP, 0, MAKELPARAM(150, 5 * h + h / 2));
  EXPECT_EQ(b->nRowPos, 5);
  ExpectInStep("clicked");
  // The row under a point, as a right click takes it: a data row moves there, the header
  // and below the rows do not.
  EXPECT_TRUE(b->GoToRowAt(2 * h + h / 2));
  EXPECT_EQ(b->nRowPos, 2);
  ExpectInStep("row under a point");
  EXPECT_FALSE(b->GoToRowAt(h / 2));
  EXPECT_FALSE(b->GoToRowAt((rows + 3) * h));
  EXPECT_EQ(b->nRowPos, 2);
  Screenshot(window_->hWnd, "browse_lines");
}

TEST_F(TWBrowseTest, MarksToggleAndShowTheirBitmaps) {
  auto b = Browse();
  SetFocus(b->hWnd);
  Key(b->hWnd, VK_DOWN);
  Key(b->hWnd, VK_DOWN);
  const int h = b->nHRow();
  const int y = b->nRowPos * h + h / 2;
  Send(WM_LBUTTONDBLCLK, 0, MAKELPARAM(100, y));
  EXPECT_EQ(marks_, (std::set<std::string>{"00003"}));
  Key(b->hWnd, VK_DOWN);
  Key(b->hWnd, VK_DOWN);
  Send(WM_LBUTTONDBLCLK, 0, MAKELPARAM(100, b->nRowPos * h + h / 2));
  Key(b->hWnd, VK_DOWN);
  Repainted();
  // The tick of a checked box: black pixels in the first cell of row 3, none in row 4's.
  HDC dc = GetDC(b->hWnd);
  auto black_in_row = [&](int row) {
    int n = 0;
    for (int x = 0; x < 30; ++x)
      for (int yy = row * h; yy < (row + 1) * h - 1; ++yy) n += GetPixel(dc, x, yy) == RGB(0, 0, 0);
    return n;
  };
  const int ticked = black_in_row(3);
  const int empty = black_in_row(4);
  ReleaseDC(b->hWnd, dc);
  EXPECT_GT(ticked, empty + 8);
  // Marked again: unmarked.
  Key(b->hWnd, VK_UP);
  Key(b->hWnd, VK_UP);
  Key(b->hWnd, VK_UP);
  Send(WM_LBUTTONDBLCLK, 0, MAKELPARAM(100, b->nRowPos * h + h / 2));
  EXPECT_EQ(marks_, (std::set<std::string>{"00005"}));
  Screenshot(window_->hWnd, "browse_marks");
}

TEST_F(TWBrowseTest, RepaintsRightAfterAnotherProgramDeletes) {
  auto b = Browse();
  SetFocus(b->hWnd);
  Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1000));
  for (int i = 0; i < 4; ++i) Key(b->hWnd, VK_DOWN);
  ExpectInStep("before");
  const int before = Visible();
  const std::string current = Field("CODIGO");
  const int row = b->nRowPos;
  // Another program deletes the current record, the ones drawn above it and others further on.
  const int number = std::stoi(current);
  std::vector<std::string> steps = {"xbase", "=DBUSEAREA(.T., 'DBFCDX', '" + folder_ + "clientes', 'C', .T., .F.)",
                                    "ORDSETFOCUS('CODIGO')"};
  std::vector<std::string> gone;
  for (int n = number, taken = 0; taken < 4; --n) {
    if (n % 7 == 0) continue;  // deleted already
    gone.push_back(Code(n));
    ++taken;
  }
  for (int n = number + 60; n <= number + 100; n += 5)
    if (n % 7 != 0) gone.push_back(Code(n));
  for (const std::string& code : gone) {
    steps.push_back("=DBSEEK('" + code + "')");
    steps.push_back("=RLOCK()");
    steps.push_back("DBDELETE()");
    steps.push_back("DBUNLOCK()");
  }
  xb::rdd::testing::ChildProcess other(steps);
  ASSERT_TRUE(other.started());
  ASSERT_EQ(other.Wait(), 0);

  b->Refresh();
  UpdateWindow(b->hWnd);
  EXPECT_EQ(b->nLen, before - static_cast<int>(gone.size()));
  ExpectInStep("after the deletions");
  for (const std::string& code : Repainted()) {
    EXPECT_TRUE(std::find(gone.begin(), gone.end(), code) == gone.end()) << code << " is still shown";
  }
  EXPECT_EQ(b->nRowPos, row);  // the same screen row, now the next record
  EXPECT_GT(Field("CODIGO"), current);
  Screenshot(window_->hWnd, "browse_after_deletions");
}

TEST_F(TWBrowseTest, ScopesCountAndEndWithinTheirKeys) {
  auto b = Browse();
  b->SetFilter("CODIGO", Value::String("01000"), Value::String("01099"));
  b->Refresh();
  EXPECT_EQ(b->LogicLen(), 100 - 15);  // 01001, 01008 ... 01099 are deleted
  SetFocus(b->hWnd);
  Key(b->hWnd, VK_END);
  EXPECT_EQ(Field("CODIGO"), "01098");
  EXPECT_EQ(Repainted().size(), static_cast<std::size_t>(b->nRowCount()) + 1);
  Key(b->hWnd, VK_DOWN);
  EXPECT_EQ(Field("CODIGO"), "01098");
  Key(b->hWnd, VK_HOME);
  EXPECT_EQ(Field("CODIGO"), "01000");
  Key(b->hWnd, VK_UP);
  EXPECT_EQ(Field("CODIGO"), "01000");
  EXPECT_EQ(b->RecCount(Value::String("01050")), 50 - 8);
}

TEST_F(TWBrowseTest, ArraysOfFewerElementsThanRows) {
  auto b = Browse();
  xb::Array items = X("{{'uno'}, {'dos'}, {'tres'}}").AsArray();
  b->SetArray(items);
  b->bLine = Blk([b, items](Args&) { return items.Get(static_cast<std::size_t>(b->nAt) - 1); });
  b->aHeaders = X("{'Elemento'}");
  b->aColSizes = X("{100}");
  b->Refresh();
  SetFocus(b->hWnd);
  Key(b->hWnd, VK_END);
  EXPECT_EQ(b->nRowPos, 3);
  EXPECT_EQ(b->nAt, 3);
  Key(b->hWnd, VK_HOME);
  Key(b->hWnd, VK_NEXT);
  EXPECT_EQ(b->nAt, 3);
  Key(b->hWnd, VK_DOWN);
  EXPECT_TRUE(b->lHitBottom);
  EXPECT_EQ(b->nAt, 3);
}

TEST_F(TWBrowseTest, ColumnsScrollAndResize) {
  auto b = Browse();
  Send(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3));  // code and position both in wParam
  EXPECT_EQ(b->nColPos, 3);
  EXPECT_EQ(b->oHBar->GetPos(), 3);
  Send(WM_HSCROLL, MAKEWPARAM(SB_TOP, 0));
  EXPECT_EQ(b->nColPos, 1);
  Send(WM_HSCROLL, MAKEWPARAM(SB_LINEDOWN, 0));
  EXPECT_EQ(b->nColPos, 2);
  Send(WM_HSCROLL, MAKEWPARAM(SB_LINEUP, 0));
  EXPECT_EQ(b->nColPos, 1);
  // The border right of "Código" (x 89) dragged far left: the column keeps 5 pixels.
  Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(89, 5));
  EXPECT_TRUE(b->lCaptured);
  Send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(2, 5));
  Send(WM_LBUTTONUP, 0, MAKELPARAM(2, 5));
  EXPECT_EQ(b->GetColSizes()[1], 5);
  EXPECT_FALSE(b->lCaptured);
}

TEST_F(TWBrowseTest, StripesStayWithTheirRecordsWhenOneRowScrolls) {
  auto b = Browse();
  SetFocus(b->hWnd);
  const int rows = b->nRowCount();
  for (int i = 1; i < rows; ++i) Key(b->hWnd, VK_DOWN);
  Repainted();
  const int h = b->nHRow();
  HDC dc = GetDC(b->hWnd);
  const COLORREF before = GetPixel(dc, 480, 3 * h + 2);  // row 3's background
  ReleaseDC(b->hWnd, dc);
  const std::string record = Repainted()[2];
  Key(b->hWnd, VK_DOWN);  // one row scrolls up: the record is on row 2
  UpdateWindow(b->hWnd);
  dc = GetDC(b->hWnd);
  EXPECT_EQ(GetPixel(dc, 480, 2 * h + 2), before);
  ReleaseDC(b->hWnd, dc);
  EXPECT_EQ(Repainted()[1], record);
  EXPECT_NE(b->PaneColour(2), b->PaneColour(3));
}

// Each row is painted in the colours of stripe nPRow, then bSkipColor runs: a paint makes
// it advance nPRow row by row (and replaces any block code gave); a move holds nPRow at the
// row it leaves, so that row keeps its own stripe.
TEST_F(TWBrowseTest, RowsTakeTheStripeOfNPRowThatBSkipColorAdvancesInAPaintAndHoldsInAMove) {
  auto b = Browse();
  xb::SetMemvar(xb::Intern("OBRW"), b->Self());
  SetFocus(b->hWnd);
  Repainted();
  const int rows = b->nRowCount();
  EXPECT_EQ(X("ValType(oBrw:bSkipColor)").AsString(), "B");
  EXPECT_EQ(b->nPRow, rows + 1) << "advanced once for each row painted";
  ASSERT_NE(b->PaneColour(1), b->PaneColour(2));
  const int h = b->nHRow();
  auto row_colour = [&](int row) {
    UpdateWindow(b->hWnd);
    HDC dc = GetDC(b->hWnd);
    const COLORREF c = GetPixel(dc, 480, row * h + 2);
    ReleaseDC(b->hWnd, dc);
    return c;
  };
  Key(b->hWnd, VK_DOWN);
  Key(b->hWnd, VK_DOWN);
  EXPECT_EQ(b->nRowPos, 3);
  EXPECT_EQ(b->nPRow, 2) << "held at the row the last move left";
  X("Eval(oBrw:bSkipColor, oBrw)");
  EXPECT_EQ(b->nPRow, 2);
  EXPECT_EQ(row_colour(1), b->PaneColour(1));
  EXPECT_EQ(row_colour(2), b->PaneColour(2));
  // Compiled text that sets nPRow paints a row in that stripe's colours: the selected row
  // drawn plain in the colour of the even rows.
  ASSERT_NE(b->PaneColour(3), b->PaneColour(2));
  X("oBrw:nPRow := 2, oBrw:DrawLine()");
  EXPECT_EQ(row_colour(3), b->PaneColour(2));
  // As it stands, without the repaint a screenshot makes.
  EXPECT_TRUE(vdr::test::SaveWindowBitmap(window_->hWnd, vdr::test::ScreenshotFolder() + "\\wbrowse_stripe_row.bmp"));
  // A paint makes the block its own again, and each row its own stripe.
  X("oBrw:bSkipColor := {|o| o:nPRow := 1 }");
  Repainted();
  EXPECT_EQ(b->nPRow, rows + 1);
  EXPECT_EQ(row_colour(2), b->PaneColour(2));
  EXPECT_EQ(row_colour(4), b->PaneColour(4));
  X("Eval(oBrw:bSkipColor, oBrw)");
  EXPECT_EQ(b->nPRow, rows + 2);
}

// Compiled text sees nClrText and nClrPane as blocks giving the stripe colours of row nPRow
// once a paint or a move has set them, and as numbers once SetColor or an assignment has;
// DrawLine paints with what code sets, a block or a number.
TEST_F(TWBrowseTest, NClrTextAndNClrPaneAreStripeBlocksAfterPaintsAndMovesAndWhatCodeSetsOtherwise) {
  constexpr COLORREF kNavy = RGB(0, 0, 128), kCream = RGB(255, 255, 204);
  auto b = Browse([](TWBrowse::NewParams& p) {
    p.fore = kNavy;
    p.back = kCream;
  });
  // The window black on white; the colours asked for are those of rows that do not alternate.
  EXPECT_EQ(b->nClrText, RGB(0, 0, 0));
  EXPECT_EQ(b->nClrPane, RGB(255, 255, 255));
  EXPECT_EQ(b->nxClrText, kNavy);
  EXPECT_EQ(b->nXClrPane, kCream);
  b->nClrTRow2 = RGB(128, 0, 0);
  xb::SetMemvar(xb::Intern("OBRW"), b->Self());
  SetFocus(b->hWnd);
  const int h = b->nHRow();
  const LPARAM row5 = MAKELPARAM(100, 5 * h + h / 2);
  struct Case {
    const char* what;
    std::function<void()> act;
    const char* kinds;  // ValType of nClrText and of nClrPane after it
  };
  const Case cases[] = {
      {"a paint", [&] { Repainted(); }, "BB"},
      {"SetColor", [&] { X("oBrw:SetColor(255, 65280)"); }, "NN"},
      {"a key", [&] { Key(b->hWnd, VK_DOWN); }, "BB"},
      {"a number assigned", [&] { X("oBrw:nClrText := 16711680"); }, "NB"},
      {"the scroll bar", [&] { Send(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0)); }, "BB"},
      {"SetColor with a pair of letters", [&] { X("oBrw:SetColor('W/B')"); }, "NN"},
      {"a click on another row",
       [&] {
         Send(WM_LBUTTONDOWN, MK_LBUTTON, row5);
         Send(WM_LBUTTONUP, 0, row5);
       },
       "BB"},
  };
  for (const Case& c : cases) {
    c.act();
    EXPECT_EQ(X("ValType(oBrw:nClrText) + ValType(oBrw:nClrPane)").AsString(), std::string(c.kinds)) << c.what;
  }
  EXPECT_EQ(b->nRowPos, 5);
  // The blocks answer the stripe of the row nPRow names when they are evaluated.
  ASSERT_NE(b->PaneColour(1), b->PaneColour(2));
  ASSERT_NE(b->TextColour(1), b->TextColour(2));
  for (int row : {1, 2}) {
    b->nPRow = row;
    EXPECT_EQ(X("Eval(oBrw:nClrPane)").AsInt(), static_cast<std::int64_t>(b->PaneColour(row))) << row;
    EXPECT_EQ(X("Eval(oBrw:nClrText)").AsInt(), static_cast<std::int64_t>(b->TextColour(row))) << row;
  }
  X("oBrw:SetColor(255, 65280)");
  EXPECT_EQ(X("oBrw:nClrText").AsInt(), 255);
  EXPECT_EQ(X("oBrw:nClrPane").AsInt(), 65280);

  // What code sets paints row 2 (not the selected one).
  UpdateWindow(b->hWnd);
  HDC dc = GetDC(b->hWnd);
  auto pane_of_row_2 = [&] { return GetPixel(dc, 480, 2 * h + 2); };
  auto text_pixels_of_row_2 = [&](COLORREF colour) {
    int n = 0;
    for (int y = 2 * h; y < 3 * h; ++y)
      for (int x = 90; x < 290; ++x) n += GetPixel(dc, x, y) == colour;
    return n;
  };
  X("oBrw:nClrPane := {|| 255 }, oBrw:DrawLine(2)");
  EXPECT_EQ(pane_of_row_2(), RGB(255, 0, 0)) << "a block";
  X("oBrw:nClrPane := 65280, oBrw:DrawLine(2)");
  EXPECT_EQ(pane_of_row_2(), RGB(0, 255, 0)) << "a number";
  X("oBrw:nClrText := {|| 16711680 }, oBrw:DrawLine(2)");
  EXPECT_GT(text_pixels_of_row_2(RGB(0, 0, 255)), 20) << "the name written in the block's colour";
  ReleaseDC(b->hWnd, dc);
  // A paint gives each row its stripe again.
  Repainted();
  dc = GetDC(b->hWnd);
  EXPECT_EQ(pane_of_row_2(), b->PaneColour(2));
  EXPECT_EQ(text_pixels_of_row_2(RGB(0, 0, 255)), 0);
  ReleaseDC(b->hWnd, dc);
}

// Compiled text drags a column border with VertLine: with a column the line starts over its
// right border, without one it moves (never nearer than 5 pixels to the column's left edge),
// each line inverted and the previous one put back; the release sets the width.
TEST_F(TWBrowseTest, VertLineByNameDrawsTheBorderDragAndLRegisteredIsTheClasssData) {
  auto b = Browse();
  xb::SetMemvar(xb::Intern("OBRW"), b->Self());
  const int y = 3 * b->nHRow() + 2;
  auto pixel = [&](int x) {
    HDC dc = GetDC(b->hWnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(b->hWnd, dc);
    return c;
  };
  auto inverted = [](COLORREF c) { return c ^ 0xFFFFFF; };
  struct Case {
    int to;        // where the line is moved
    int drawn_at;  // where it is drawn
    int width;     // the width of "Código" after the release
  };
  for (const Case& c : {Case{150, 150, 60 + 61}, Case{2, 34, 5}}) {
    b->aColSizes = X("{30, 60, 200, 90, 90}");
    Repainted();
    const COLORREF at_border = pixel(90), at_end = pixel(c.drawn_at + 1);
    X("oBrw:lCaptured := .T., oBrw:VertLine(89, 2)");
    EXPECT_EQ(pixel(90), inverted(at_border)) << c.to;
    X("oBrw:VertLine(" + std::to_string(c.to) + ")");
    EXPECT_EQ(pixel(90), at_border) << c.to;
    EXPECT_EQ(pixel(c.drawn_at + 1), inverted(at_end)) << c.to;
    X("oBrw:LButtonUp(5, " + std::to_string(c.to) + ", 0)");
    EXPECT_EQ(pixel(c.drawn_at + 1), at_end) << c.to;
    EXPECT_FALSE(b->lCaptured);
    EXPECT_EQ(b->GetColSizes()[1], c.width) << c.to;
  }
  // lRegistered: the browse's window class is registered; one value for the class.
  EXPECT_TRUE(X("oBrw:lRegistered").AsLogical());
  X("oBrw:lRegistered := .F.");
  EXPECT_FALSE(X("TWBrowse():lRegistered").AsLogical());
  X("oBrw:lRegistered := .T.");
  EXPECT_TRUE(X("TWBrowse():lRegistered").AsLogical());
}

// Another program deletes the record of the first row: the paint steps back and forward
// again, so the row shows the next record and the pointer stands on it (at the top of the
// table the step back stays on the first record shown).
TEST_F(TWBrowseTest, APaintStepsOffTheFirstRowsRecordAnotherProgramDeleted) {
  auto b = Browse();
  SetFocus(b->hWnd);
  // Through a handle of its own; record n holds code n.
  auto mark = [&](const std::string& code, bool deleted) {
    ASSERT_TRUE(Use(folder_ + "clientes", "OTRO"));
    X("DBGOTO(" + std::to_string(std::stoi(code)) + ")");
    ASSERT_TRUE(X("RLOCK()").AsLogical());
    X(deleted ? "DBDELETE()" : "DBRECALL()");
    X("DBUNLOCK(), DBCLOSEAREA(), DBSELECTAREA('CLIENTES')");
  };
  struct Case {
    const char* what;
    std::function<void()> place;
  };
  const Case cases[] = {
      {"the first record of the table", [&] { Key(b->hWnd, VK_HOME); }},
      {"a page down", [&] { Key(b->hWnd, VK_NEXT); }},
      {"the first record of a scope",
       [&] {
         b->SetFilter("CODIGO", Value::String("02000"), Value::String("02099"));
         b->nRowPos = 1;
         b->Refresh();
         UpdateWindow(b->hWnd);
       }},
  };
  for (const Case& c : cases) {
    c.place();
    ASSERT_EQ(b->nRowPos, 1) << c.what;
    const std::string gone = Field("CODIGO");
    X("DBSKIP(1)");
    const std::string next = Field("CODIGO");
    X("DBSKIP(-1)");
    mark(gone, true);
    painted_.clear();
    b->Refresh();
    UpdateWindow(b->hWnd);
    const std::vector<std::string> rows = painted_;  // the first paint after it
    EXPECT_EQ(Field("CODIGO"), next) << c.what;
    EXPECT_EQ(b->nRowPos, 1) << c.what;
    ASSERT_FALSE(rows.empty()) << c.what;
    EXPECT_EQ(rows.front(), next) << c.what;
    EXPECT_EQ(rows.back(), next) << c.what << ": selected";
    EXPECT_TRUE(std::find(rows.begin(), rows.end(), gone) == rows.end()) << c.what << ": " << gone << " shown";
    mark(gone, false);
  }
}

TEST_F(TWBrowseTest, TheCellEditorWritesTheFieldOnEnterAndNothingOnEscape) {
  TWBrowse::NewParams p;
  p.pixel = true;
  p.width = 500;
  p.height = 360;
  p.parent = window_;
  p.alias = "CLIENTES";
  p.col_sizes = X("{60, 200, 90, 90}");
  auto b = xb::MakeRef<TWBrowse>();
  b->New(p);  // no line block: the fields themselves
  browse_ = b;
  b->lAutoEdit = true;
  SetFocus(b->hWnd);
  Key(b->hWnd, VK_DOWN);
  Key(b->hWnd, VK_DOWN);
  ASSERT_EQ(Field("CODIGO"), "00003");
  const int h = b->nHRow();
  // Double click on the name: the editor opens over the cell; a new name, Enter.
  HWND seen = nullptr;
  {
    test::StepWhile typing([&] {
      HWND editor = GetFocus();
      if (editor == nullptr || editor == b->hWnd) return false;
      seen = GetParent(editor);
      SendMessageA(editor, EM_SETSEL, 0, -1);
      Type(editor, "Nuevo nombre");
      Key(editor, VK_RETURN);
      return true;
    });
    Send(WM_LBUTTONDBLCLK, 0, MAKELPARAM(150, b->nRowPos * h + h / 2));
  }
  ASSERT_NE(seen, nullptr);
  EXPECT_FALSE(IsWindow(seen));  // the editor is gone
  EXPECT_EQ(Field("NOMBRE"), "Nuevo nombre" + std::string(18, ' '));
  EXPECT_EQ(GetFocus(), b->hWnd);
  {
    test::StepWhile typing([&] {
      HWND editor = GetFocus();
      if (editor == nullptr || editor == b->hWnd) return false;
      Type(editor, "zz");
      Key(editor, VK_ESCAPE);
      return true;
    });
    Send(WM_LBUTTONDBLCLK, 0, MAKELPARAM(150, b->nRowPos * h + h / 2));
  }
  EXPECT_EQ(Field("NOMBRE"), "Nuevo nombre" + std::string(18, ' '));
  // Put back for the other tests.
  X("RLOCK()");
  xb::CallFunction("FIELDPUT", {Value::Integer(2), Value::String("Droguería López")});
  X("DBUNLOCK()");

  // The editor in the browse itself: Enter gives the value and the key, Escape NIL and 27.
  std::vector<std::pair<Value, int>> posted;
  const Value post = Blk([&](Args& a) {
    posted.emplace_back(a.Arg(1), static_cast<int>(a.Int(2)));
    return Value();
  });
  b->EditCol(3, Value::Integer(125), "9999", post);
  HWND editor = GetFocus();
  ASSERT_NE(editor, b->hWnd);
  EXPECT_EQ(GetParent(editor), b->hWnd);
  const Value open = xb::Send(b->Self(), "OGET");  // the open editor, as run-time text sees it
  ASSERT_TRUE(open.IsObject());
  EXPECT_EQ(dynamic_cast<TGet*>(open.AsObject().get())->hWnd, editor);
  Type(editor, "77");
  Key(editor, VK_RETURN);
  vdr::test::PumpPending();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0].first.AsInt(), 77);
  EXPECT_EQ(posted[0].second, VK_RETURN);
  EXPECT_EQ(GetFocus(), b->hWnd);
  EXPECT_FALSE(IsWindow(editor));
  EXPECT_TRUE(xb::Send(b->Self(), "OGET").IsNil());
  b->EditCol(3, Value::Integer(125), "9999", post);
  Key(GetFocus(), VK_ESCAPE);
  vdr::test::PumpPending();
  ASSERT_EQ(posted.size(), 2u);
  EXPECT_TRUE(posted[1].first.IsNil());
  EXPECT_EQ(posted[1].second, VK_ESCAPE);
}

TEST_F(TWBrowseTest, TheEditorTakesTheColoursPassedAndItsButtonSetsTheValue) {
  auto b = Browse();
  SetFocus(b->hWnd);
  Key(b->hWnd, VK_DOWN);
  xb::SetMemvar(xb::Intern("OBRW"), b->Self());
  constexpr COLORREF kFore = RGB(0, 0, 160), kBack = RGB(255, 255, 160);
  struct Seen {
    COLORREF fore = 0, back = 0, shown = 0;
    int button_width = 0;
    RECT box = {}, get = {}, button = {};
  } seen;
  // Over the name: the colours given; the button "..." at the editor's right end, clicked.
  test::StepWhile working([&] {
    HWND editor = GetFocus();
    if (editor == nullptr || editor == b->hWnd) return false;
    HWND box = GetParent(editor);
    const WindowRef get = OWndFromHwnd(editor);
    if (!get) return false;
    seen.fore = get->nClrText;
    seen.back = get->nClrPane;
    GetWindowRect(box, &seen.box);
    GetWindowRect(editor, &seen.get);
    RECT inside = {};
    GetClientRect(editor, &inside);
    RedrawWindow(editor, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = GetDC(editor);
    seen.shown = GetPixel(dc, inside.right - 3, inside.bottom / 2);
    ReleaseDC(editor, dc);
    Screenshot(box, "wbrowse_editor_button");
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      if (vdr::test::WindowText(child) != "...") continue;
      GetWindowRect(child, &seen.button);
      seen.button_width = seen.button.right - seen.button.left;
      Click(child, 5, 5);
    }
    return true;
  });
  const Value confirmed = X("(cVar := 'Bodegas', oBrw:lEditCol(3, @cVar, '@!', , " + std::to_string(kFore) + ", " +
                            std::to_string(kBack) + ", , {|u| 'Elegido ' + Trim(u)}))");
  EXPECT_TRUE(confirmed.AsLogical());
  EXPECT_EQ(X("cVar").AsString(), "Elegido BODEGAS");
  EXPECT_EQ(seen.fore, kFore);
  EXPECT_EQ(seen.back, kBack);
  EXPECT_EQ(seen.shown, kBack);
  EXPECT_EQ(seen.button_width, 15);
  // The get covers the cell up to the button, its border outside the editor but on the right.
  EXPECT_LT(seen.get.left, seen.box.left);
  EXPECT_LT(seen.get.top, seen.box.top);
  EXPECT_GT(seen.get.bottom, seen.box.bottom);
  EXPECT_EQ(seen.get.right, seen.button.left);
  EXPECT_EQ(seen.button.right, seen.box.right);
}

TEST_F(TWBrowseTest, ShowSizesListsEachHeaderWithItsWidthOneALine) {
  auto b = Browse();
  b->aColSizes = X("{30, 60, 200, 90, 7}");
  std::string shown;
  vdr::test::DialogAnswerer answer([&](const vdr::test::SeenDialog& seen) {
    shown = seen.AllText();
    test::ControlsTest::Screenshot(seen.hwnd, "wbrowse_show_sizes");
    return seen.ButtonId("Aceptar") != 0 ? seen.ButtonId("Aceptar") : IDOK;
  });
  b->ShowSizes();
  EXPECT_EQ(shown, "Sel.:  30\r\nCódigo:  60\r\nNombre: 200\r\nImporte:  90\r\nFecha:   7\r\n");
}

TEST_F(TWBrowseTest, EditOpensTheEditorOnAColumnThatIsNotItsFieldAndWritesNothing) {
  auto b = Browse();  // the third column shows the name, the third field is the amount
  SetFocus(b->hWnd);
  Key(b->hWnd, VK_DOWN);
  const std::string name = Field("NOMBRE");
  const Value amount = FieldValue("IMPORTE");
  std::string shown;
  {
    test::StepWhile typing([&] {
      HWND editor = GetFocus();
      if (editor == nullptr || editor == b->hWnd) return false;
      shown = vdr::test::WindowText(editor);
      SendMessageA(editor, EM_SETSEL, 0, -1);
      Type(editor, "Otro");
      Key(editor, VK_RETURN);
      return true;
    });
    b->Edit(3);
  }
  EXPECT_EQ(shown, name);
  EXPECT_EQ(Field("NOMBRE"), name);
  EXPECT_TRUE(FieldValue("IMPORTE").SameAs(amount));
  EXPECT_EQ(GetFocus(), b->hWnd);
}

TEST_F(TWBrowseTest, CellRectanglesAndScrollsByNameRefuseArraysThatAreNone) {
  auto b = Browse();
  const Value hwnd = Value::Integer(reinterpret_cast<std::intptr_t>(b->hWnd));
  auto call = [&](const Value& widths) {
    return xb::CallFunction("ABRWPOSRECT", {hwnd, Value::Integer(1), widths, Value::Integer(1), Value::Integer(2),
                                            Value::Integer(0), Value::Integer(5)});
  };
  const Value cell = call(X("{30, 60, 200}"));
  ASSERT_TRUE(cell.IsArray());
  EXPECT_EQ(cell.AsArray().size(), 4u);
  for (const Value& bad : {Value(), Value::String("30,60"), Value::Integer(30)}) {
    xb::testing::RecordingErrorBlock errors;
    EXPECT_TRUE(call(bad).IsNil());
    ASSERT_EQ(errors.count, 1);
    EXPECT_EQ(errors.error()->genCode, xb::EG_ARG);
    EXPECT_EQ(errors.error()->operation, "ABRWPOSRECT");
  }
  // SCROLLWINDOWEX's clip rectangle likewise: four numbers, or an argument error.
  for (const Value& bad : {Value(), X("{0, 0}")}) {
    xb::testing::RecordingErrorBlock errors;
    xb::CallFunction("SCROLLWINDOWEX", {hwnd, Value::Integer(-10), bad});
    ASSERT_EQ(errors.count, 1);
    EXPECT_EQ(errors.error()->operation, "SCROLLWINDOWEX");
  }
}

TEST_F(TWBrowseTest, RunTimeTextDrivesTheBrowseByItsMessages) {
  const Value b = xb::Send(xb::CallFunction("TWBROWSE"), "NEW",
                           {Value::Integer(0), Value::Integer(0), Value::Integer(400), Value::Integer(300), Value(),
                            Value(), Value(), window_->Self(), Value(), Value(), Value(), Value(), Value(), Value(),
                            Value(), Value(), Value(), Value(), Value(), Value(), Value::String("CLIENTES"),
                            Value::Logical(true)});
  ASSERT_TRUE(b.IsObject());
  auto* browse = dynamic_cast<TWBrowse*>(b.AsObject().get());
  ASSERT_NE(browse, nullptr);
  made_.push_back(browse->hWnd);
  EXPECT_EQ(xb::Send(b, "AHEADERS").AsArray().Get(1).AsString(), "NOMBRE");  // the field names
  xb::Send(b, "GOBOTTOM");
  EXPECT_EQ(xb::Send(b, "NROWPOS").AsInt(), browse->nRowCount());
  EXPECT_EQ(KeyNo(), Visible());
  xb::Send(b, "GOTOP");
  xb::Send(b, "PAGEDOWN");
  EXPECT_EQ(KeyNo(), browse->nRowCount() + 1);
  EXPECT_EQ(xb::Send(b, "NLEN").AsInt(), Visible());
  xb::Send(b, "_NROWPOS", {Value::Integer(1)});
  EXPECT_EQ(browse->nRowPos, 1);
}

// The messages compiled text sends: scrolls sideways by code and position, the mouse by
// client pixels (the wheel by screen ones), the dialog code; the per-column settings start
// empty.
TEST_F(TWBrowseTest, RunTimeTextSendsTheMouseScrollAndDialogMessages) {
  auto b = Browse();
  xb::SetMemvar(xb::Intern("OBRW"), b->Self());
  SetFocus(b->hWnd);
  const int h = b->nHRow();
  POINT wheel = {100, 3 * h + h / 2};
  ClientToScreen(b->hWnd, &wheel);
  struct Case {
    std::string text;
    std::function<bool()> holds;
    const char* what;
  };
  const Case cases[] = {
      {"oBrw:HScroll(4, 3)", [&] { return b->nColPos == 3 && b->oHBar->GetPos() == 3; }, "to column 3"},
      {"oBrw:HScroll(6, 0)", [&] { return b->nColPos == 1; }, "to the first column"},
      {"oBrw:HScroll(1, 0)", [&] { return b->nColPos == 2; }, "one column right"},
      {"oBrw:HScroll(6, 0)", [&] { return b->nColPos == 1; }, "back"},
      {"oBrw:LButtonDown(" + std::to_string(3 * h + h / 2) + ", 100, 0)",
       [&] { return b->nRowPos == 3 && Field("CODIGO") == Code(3); }, "a click on row 3"},
      {"oBrw:MouseWheel(0, -120, " + std::to_string(wheel.x) + ", " + std::to_string(wheel.y) + ")",
       [&] { return b->nRowPos == 4; }, "the wheel turned back: a row down"},
      {"oBrw:LDblClick(" + std::to_string(4 * h + h / 2) + ", 100, 0)",
       [&] { return marks_.count(Field("CODIGO")) == 1; }, "a double click on the selected row runs bLDblClick"},
      {"oBrw:MouseMove(5, 89, 0)", [&] { return GetCursor() == LoadCursorA(nullptr, IDC_SIZEWE); },
       "over a border the west-east cursor"},
      {"oBrw:GetDlgCode(40) == 4", [&] { return window_->nLastKey == 40; }, "all keys, the last one kept"},
  };
  for (const Case& c : cases) {
    const Value answer = X(c.text);
    if (answer.IsLogical()) EXPECT_TRUE(answer.AsLogical()) << c.what;
    EXPECT_TRUE(c.holds()) << c.what;
  }
  for (const char* settings : {"aPictures", "aEditables", "aMessages", "abValids", "acErrors", "alNoHilite", "acOrder",
                               "acFooting", "abPrevEdit", "abPostEdit", "anEditMove", "alFixLite", "abChange",
                               "abWhen", "abPicture"}) {
    EXPECT_EQ(X(std::string("Len(oBrw:") + settings + ")").AsInt(), 0) << settings;
  }
  // A person's pointer over the border, and dragging it: the west-east cursor.
  const HCURSOR west_east = LoadCursorA(nullptr, IDC_SIZEWE);
  Mouse(b->hWnd, 100, 5, 0);
  Mouse(b->hWnd, 89, 5, 0, [&] { return GetCursor() == west_east; });
  EXPECT_EQ(GetCursor(), west_east);
  Mouse(b->hWnd, 89, 5, MOUSEEVENTF_LEFTDOWN, [&] { return b->lCaptured; });
  Mouse(b->hWnd, 120, 5, 0, [&] { return GetCursor() == west_east; });
  EXPECT_EQ(GetCursor(), west_east);
  Mouse(b->hWnd, 120, 5, MOUSEEVENTF_LEFTUP, [&] { return !b->lCaptured; });
  EXPECT_EQ(b->GetColSizes()[1], 60 + 31);
  X("AAdd(oBrw:aPictures, '@!')");
  EXPECT_EQ(X("Len(oBrw:aPictures) + Len(oBrw:aEditables)").AsInt(), 1) << "each its own array";
}

TEST_F(TWBrowseTest, TheReportPrintsNumbersAsTextAndBlanksOnlyImages) {
  auto b = Browse();
  b->SetFilter("CODIGO", Value::String("00001"), Value::String("00003"));
  const auto rows = b->ReportRows();
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{"Sel.", "Código", "Nombre", "Importe", "Fecha"}));
  EXPECT_EQ(rows[1][0], " ");
  EXPECT_EQ(rows[1][1], "00001");
  EXPECT_EQ(rows[1][3], "12.50");
  EXPECT_EQ(rows[3][3], "37.50");

  static BrowseReport printed;
  SetBrowseReporter([](const BrowseReport& r) { printed = r; });
  b->Report("Clientes", false);
  SetBrowseReporter(nullptr);
  EXPECT_EQ(printed.title, "Clientes");
  EXPECT_EQ(printed.heading.substr(0, 6), "Date: ");
  EXPECT_EQ(printed.titles.size(), 5u);
  ASSERT_EQ(printed.rows.size(), 3u);
  EXPECT_EQ(printed.rows[2][3], "37.50");
  EXPECT_EQ(printed.widths.size(), 5u);
  EXPECT_GT(printed.widths[2], printed.widths[1]);
}


TEST_F(TWBrowseTest, TheIconViewShowsRecordsAsIconsWithTheirTexts) {
  auto b = Browse();
  SetFocus(b->hWnd);
  // The table first: the texts are the records' codes; painting leaves the pointer alone.
  for (int i = 0; i < 3; ++i) Key(b->hWnd, VK_DOWN);
  const std::string current = Field("CODIGO");
  std::vector<std::string> texts;
  b->bIconText = Blk([&](Args&) {
    texts.push_back(Field("CODIGO"));
    return Value::String(texts.back());
  });
  b->lIconView = true;
  Repainted();
  EXPECT_EQ(Field("CODIGO"), current);
  ASSERT_EQ(static_cast<int>(texts.size()), b->IconsShown());
  EXPECT_EQ(texts.front(), "00001");
  EXPECT_EQ(texts[3], current);  // the selected record is the fourth icon
  EXPECT_EQ(texts[6], "00008");  // 00007 is deleted

  // An array of 20 with an icon of its own: three lines of nine, nine and two.
  xb::Array items = X("{'uno','dos','tres','cuatro','cinco','seis','siete','ocho','nueve','diez','once',"
                      "'doce','trece','catorce','quince','dieciséis','diecisiete','dieciocho','diecinueve',"
                      "'veinte'}").AsArray();
  b->SetArray(items);
  b->bIconText = Blk([b, items](Args&) { return items.Get(static_cast<std::size_t>(b->nAt) - 1); });
  b->aIcons = xb::Array::Of({Value::Integer(reinterpret_cast<std::intptr_t>(LoadIconA(nullptr, IDI_ERROR)))});
  b->bIconDraw = Blk([](Args&) { return Value::Integer(1); });
  b->nRowPos = 1;
  Repainted();
  ASSERT_EQ(b->IconsShown(), 20);
  EXPECT_EQ(b->nAt, 1);
  RECT client;
  GetClientRect(b->hWnd, &client);
  ASSERT_EQ((client.right - 42) / 50 + 1, 9) << "nine icons a line";
  struct Case {
    int row, col, icon;
  } cases[] = {
      {15, 15, 1},   {9, 9, 1},     {41, 41, 1},   {8, 20, 0},    {20, 42, 0},   {20, 70, 2},
      {20, 420, 9},  {20, 470, 0},  {70, 20, 10},  {120, 20, 19}, {120, 70, 20}, {120, 120, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(b->nAtIcon(c.row, c.col), c.icon) << "row " << c.row << ", column " << c.col;

  // Each shown icon has its picture and its text white on dark blue; the cells after the
  // last are plain.
  HDC dc = GetDC(b->hWnd);
  auto count_in = [&](int left, int top, int right, int bottom, COLORREF colour) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) n += GetPixel(dc, x, y) == colour;
    return n;
  };
  const COLORREF pane = b->nXClrPane;
  for (int n : {1, 9, 20}) {
    const int x = (n - 1) % 9 * 50 + 10;
    const int y = (n - 1) / 9 * 50 + 10;
    EXPECT_LT(count_in(x, y, x + 32, y + 32, pane), 32 * 32) << "the picture of icon " << n;
    EXPECT_GT(count_in(x - 8, y + 32, x + 40, y + 45, RGB(0, 0, 128)), 20) << "the text of icon " << n;
    EXPECT_GT(count_in(x - 8, y + 32, x + 40, y + 45, RGB(255, 255, 255)), 3) << "the text of icon " << n;
  }
  EXPECT_EQ(count_in(110, 110, 160, 155, pane), 50 * 45);  // where icon 21 would be
  ReleaseDC(b->hWnd, dc);
  Screenshot(window_->hWnd, "browse_icons");
  // Redrawing one icon does not move the pointer either.
  b->DrawIcon(5, true);
  EXPECT_EQ(b->nAt, 1);
}

TEST_F(TWBrowseTest, TheFontDialogGivesTheBrowseItsFont) {
  auto b = Browse();
  // A TrueType face of the system, so the dialog can start on it and answer it.
  LOGFONTA face{};
  HDC screen = GetDC(nullptr);
  LOGFONTA any{};
  any.lfCharSet = DEFAULT_CHARSET;
  EnumFontFamiliesExA(
      screen, &any,
      [](const LOGFONTA* font, const TEXTMETRICA*, DWORD type, LPARAM out) -> int {
        if (font->lfFaceName[0] == '@' || (type & TRUETYPE_FONTTYPE) == 0) return 1;
        *reinterpret_cast<LOGFONTA*>(out) = *font;
        return 0;
      },
      reinterpret_cast<LPARAM>(&face), 0);
  ReleaseDC(nullptr, screen);
  ASSERT_NE(face.lfFaceName[0], '\0');
  TFont::Spec spec;
  spec.face = face.lfFaceName;
  spec.height = -20;
  b->SetFont(TFont::New(spec));
  const HFONT before = b->oFont->hFont;
  {
    vdr::test::DialogAnswerer cancel([](const vdr::test::SeenDialog&) { return IDCANCEL; });
    EXPECT_FALSE(xb::Send(b->Self(), "SELFONT").AsLogical());
  }
  EXPECT_EQ(b->oFont->hFont, before);
  {
    vdr::test::DialogAnswerer accept([](const vdr::test::SeenDialog&) { return IDOK; });
    EXPECT_TRUE(b->SelFont());
  }
  ASSERT_TRUE(b->oFont);
  EXPECT_EQ(b->oFont->cFaceName, std::string(face.lfFaceName));
  EXPECT_GE(b->nHRow(), 20);  // the rows follow the font's height
}

}  // namespace
}  // namespace ui
