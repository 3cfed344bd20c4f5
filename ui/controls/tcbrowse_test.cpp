// The column browse under Wine over a table of thousands of records: the cell painter's
// edge cases in pixels, frozen columns, one-row scrolls against a full repaint, clicks,
// searches on character, numeric and date orders, the bar's logical position on CDX and NTX
// tables with deleted records, cells edited (written, cancelled, locked by another program)
// and headers dragged.
#include "ui/controls/tcbrowse.h"

#include <gtest/gtest.h>

#include <functional>
#include <variant>

#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/mouse_input.h"
#include "ui/bridge/cursors.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/image_strip.h"
#include "ui/controls/browse_paint.h"
#include "ui/controls/cell_paint.h"
#include "ui/controls/controls_test_support.h"
#include "ui/controls/table_source.h"
#include "ui/controls/tccolumn.h"
#include "ui/controls/tqzbrowse.h"
#include "ui/controls/tscrollbar.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;

constexpr int kRecords = 3000;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

Value X(std::string_view text) { return xb::EvalMacro(text); }
std::string Code(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%05d", n);
  return text;
}

// The client area's pixels.
std::vector<COLORREF> Pixels(HWND hwnd) {
  const Rect client = GetClientRect(hwnd);
  HDC dc = GetDC(hwnd);
  std::vector<COLORREF> pixels;
  for (int y = 0; y < client.bottom; ++y)
    for (int x = 0; x < client.right; ++x) pixels.push_back(GetPixel(dc, x, y));
  ReleaseDC(hwnd, dc);
  return pixels;
}

class TCBrowseTest : public test::TablesTest {
 protected:
  static void SetUpTestSuite() { folder_ = MakeFolder("vdr_cbrw"); }
  static void TearDownTestSuite() {
    RemoveFolder(folder_, {"artic.dbf", "artic.cdx", "small.dbf", "small.cdx", "small.ntx", "ready", "release"});
  }
  void SetUp() override {
    TablesTest::SetUp();
    xb::SetValue(xb::SET_DELETED, Value::Logical(true));
    xb::SetValue(xb::SET_DATEFORMAT, Value::String("dd-mm-yyyy"));
    MakeTable();
    window_ = Make(20, 20, 520, 400);
    ShowWindow(window_->hWnd, SW_SHOW);
    SetForegroundWindow(window_->hWnd);
  }
  void TearDown() override {
    ImageStrip::Shared().Clear();
    TablesTest::TearDown();
  }

  // ARTIC: kRecords records, every seventh deleted, with an order on each field.
  void MakeTable() {
    const std::string path = folder_ + "artic";
    static const char* const names[] = {"Alimentación Pérez", "Bodegas Ruiz", "Cafetería Central", "Droguería López",
                                        "Estanco Gómez", "Ferretería Sol", "Ñandú Hermanos"};
    ASSERT_TRUE(MakeShops(path, kRecords, names,
                          {{"CODIGO", "CODIGO"}, {"IMPORTE", "IMPORTE"}, {"FECHA", "FECHA"}, {"NOMBRE", "UPPER(NOMBRE)"}}));
    ASSERT_TRUE(Use(path, "ARTIC"));
    xb::CallFunction("ORDSETFOCUS", {Value::String("CODIGO")});
    X("DBGOTOP()");
  }

  static xb::Ref<TCColumn> Column(const char* heading, int field, int width, const char* order = "",
                                  int align = 0) {
    TCColumn::NewParams p;
    p.heading = Value::String(heading);
    p.data = xb::CallFunction("FIELDSETGETBLOCK", {Value::String("ARTIC"), Value::Integer(field)});
    p.edit = true;
    p.order = order;
    p.align = Value::Integer(align);
    auto c = xb::MakeRef<TCColumn>();
    c->New(p);
    c->nWidth = width;
    return c;
  }

  // The browse over ARTIC: code, name, amount and date, each with its order.
  // `editing`: the editing browse made on it (TQZBrowse).
  xb::Ref<TCBrowse> Browse(bool cell = false, int freeze = 0, int h_line = 5, bool footers = false,
                           bool editing = false) {
    TWBrowse::NewParams p;
    p.pixel = true;
    p.width = 500;
    p.height = 360;
    p.parent = window_;
    p.alias = "ARTIC";
    p.h_line = h_line;
    xb::Ref<TCBrowse> b;
    if (editing) {
      auto q = xb::MakeRef<TQZBrowse>();
      q->New(p, cell);
      b = q;
    } else {
      b = xb::MakeRef<TCBrowse>();
      b->New(p, cell);
    }
    b->nHLine = h_line;
    b->nFreeze = freeze;
    b->AddColumn(Column("Código", 1, 70, "CODIGO")->Self());
    b->AddColumn(Column("Nombre", 2, 180, "NOMBRE")->Self());
    b->AddColumn(Column("Importe", 3, 110, "IMPORTE", 2)->Self());
    b->AddColumn(Column("Fecha", 4, 100, "FECHA")->Self());
    b->AddColumn(Column("Código bis", 1, 120)->Self());
    if (footers) b->Col(3)->cFooting = Value::String("Total");
    b->Default();
    browse_ = b;
    made_.push_back(b->hWnd);
    RedrawWindow(b->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return b;
  }
  // The record's position among the keys SET DELETED shows (ORDKEYNO counts deleted records too).
  static int KeyNo() { return static_cast<int>(X("ADSKEYNO()").AsInt()); }
  void Repaint() { RedrawWindow(browse_->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

  static std::string folder_;
  xb::Ref<TWindow> window_;
  xb::Ref<TCBrowse> browse_;
};

std::string TCBrowseTest::folder_;

// ---- the cell painter ------------------------------------------------------------------------------------

TEST_F(TCBrowseTest, TheCellPainterFillsFramesAndClipsAsItsEdgeCasesSay) {
  HWND hwnd = window_->hWnd;
  const Rect client = GetClientRect(hwnd);
  HDC dc = GetDC(hwnd);
  const int h = TcRowHeight(hwnd, nullptr, 5);
  auto paint = [&](int row, int x, int width, int style, COLORREF back = kRed, Value value = Value::String("")) {
    CellPaint c;
    c.hwnd = hwnd;
    c.dc = dc;
    c.row = row;
    c.x = x;
    c.width = width;
    c.value = value;
    c.back = back;
    c.line_style = style;
    c.h_line = 5;
    TcDrawCell(c);
  };
  auto blank = [&] {
    RECT all = client.ToRECT();
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  };
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW) & 0xFFFFFF;
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT) & 0xFFFFFF;
  struct Case {
    const char* what;
    int row, x, width, style;
    int px, py;  // a pixel to look at
    COLORREF expected;
  };
  const int t = 2 * h;  // row 2
  const Case cases[] = {
      {"the background fills the cell", 2, 40, 60, 0, 70, t + h / 2, kRed},
      {"style 0 draws no grid", 2, 40, 60, 0, 40, t, kRed},
      {"style 5 frames in black: bottom", 2, 40, 60, 5, 70, t + h, RGB(0, 0, 0)},
      {"style 5 frames in black: left, one pixel outside", 2, 40, 60, 5, 39, t + h / 2, RGB(0, 0, 0)},
      {"style 3 is raised: shadow below", 2, 40, 60, 3, 70, t + h - 1, shadow},
      {"style 3 is raised: light on top", 2, 40, 60, 3, 70, t, light},
      {"the cell is widened by two pixels", 2, 40, 60, 0, 101, t + h / 2, kRed},
      {"width -1 reaches the right edge", 2, 40, -1, 0, client.right - 1, t + h / 2, kRed},
      {"a width past the edge stops at it", 2, 40, 5000, 0, client.right - 1, t + h / 2, kRed},
      {"a cell beyond the width paints nothing", 2, client.right + 1, 60, 0, client.right - 1, t + h / 2,
       RGB(255, 255, 255)},
      {"a row below the bottom paints nothing", client.bottom / h, 40, 60, 5, 70, client.bottom - 2,
       RGB(255, 255, 255)},
      {"the header is framed in black", 0, 40, 60, 0, 39, h / 2, RGB(0, 0, 0)},
  };
  for (const Case& c : cases) {
    blank();
    paint(c.row, c.x, c.width, c.style);
    EXPECT_EQ(GetPixel(dc, c.px, c.py), c.expected) << c.what;
  }
  // Dotted: black and background alternate along the top.
  blank();
  paint(2, 40, 60, 4);
  int black = 0, red = 0;
  for (int x = 42; x < 90; ++x) {
    const COLORREF p = GetPixel(dc, x, t);
    black += p == RGB(0, 0, 0);
    red += p == kRed;
  }
  EXPECT_GT(black, 10);
  EXPECT_GT(red, 10);

  // Strip pictures: centred in a wide cell, their white background turned the cell's colour;
  // cut to a narrow cell from its left.
  const auto tick = ImageStrip::Shared().Load("BMPCHECKED");
  ASSERT_TRUE(tick);
  const Value ref(xb::Array::Of({Value::Integer(tick->slot), Value::Integer(tick->width), Value::Integer(tick->height)}));
  blank();
  CellPaint c;
  c.hwnd = hwnd;
  c.dc = dc;
  c.row = 3;
  c.x = 100;
  c.width = 100;
  c.value = ref;
  c.back = kBlue;
  c.bitmap_mode = 1;
  c.h_line = 5;
  c.strip = ImageStrip::Shared().bitmap();
  TcDrawCell(c);
  const int left = 102 + (96 / 2 - tick->width / 2);  // content 102..198
  int dark = 0, white = 0;
  for (int x = 100; x < 200; ++x)
    for (int y = 3 * h; y < 4 * h; ++y) {
      const COLORREF p = GetPixel(dc, x, y);
      dark += p == RGB(0, 0, 0);
      white += p == RGB(255, 255, 255);
    }
  EXPECT_GT(dark, 5) << "the tick is drawn";
  EXPECT_LT(white, tick->width * tick->height / 2) << "only the box's inside stays white";
  // The picture's top-left corner (its background) took the cell's colour; it stands centred.
  const int ch = h - 1;
  EXPECT_EQ(GetPixel(dc, left - 1, 3 * h + (ch / 2 - tick->height / 2)), kBlue);
  blank();
  c.width = 8;  // narrower than the picture: nothing right of the cell
  TcDrawCell(c);
  for (int x = 111; x < 140; ++x) EXPECT_EQ(GetPixel(dc, x, 3 * h + h / 2), RGB(255, 255, 255)) << x;
  ReleaseDC(hwnd, dc);

  // The rectangle of a cell, in screen coordinates; reaching the right edge: 18 pixels inside.
  const Rect window = GetWndRect(hwnd);
  const Rect r = ATcBrwPosRect(hwnd, 2, 30, 50, nullptr, 5);
  EXPECT_EQ(r, (Rect{window.top + 1 + 2 * h, window.left + 30, window.top + 1 + 3 * h, window.left + 80}));
  EXPECT_EQ(ATcBrwPosRect(hwnd, 1, 30, window.Width(), nullptr, 5).right, window.right - 18);
  EXPECT_EQ(NTcWRow(hwnd, 2 * h + 1, nullptr, 5), 2);
  EXPECT_EQ(NTcWRow(hwnd, -1, nullptr, 5), -1);  // signed, above the header
}

// The selected row as each setting draws it, read where the cells hold no text: lit in the
// focus colour, grey without the focus, plain when the lit bar is off (or off without the
// focus), a column that is never lit, the cell and the always-lit columns of the cell
// cursor, and the cursor picture in the first column.
TEST_F(TCBrowseTest, TheSelectedRowIsLitAsItsSettingsSay) {
  // The cursor picture: blue with a white corner, which is drawn through.
  HDC screen = GetDC(nullptr);
  HBITMAP arrow = CreateCompatibleBitmap(screen, 16, 16);
  ReleaseDC(nullptr, screen);
  {
    MemoryDC dc(nullptr);
    SelectionScope select(dc.get(), arrow);
    RECT all = {0, 0, 16, 16};
    Brush blue(CreateSolidBrush(kBlue));
    FillRect(dc.get(), &all, blue.get());
    SetPixel(dc.get(), 0, 0, RGB(255, 255, 255));
  }
  constexpr COLORREF kPlain = 12632256, kGrey = 8421504;
  enum Lit { kFocus, kGreyBar, kPane, kCursor };
  struct Case {
    const char* what;
    bool cell, focused;
    std::function<void(TCBrowse&)> set;
    std::vector<std::pair<int, Lit>> at;  // {x, how the row shows there}
  } cases[] = {
      {"focused", false, true, [](TCBrowse&) {}, {{240, kFocus}, {450, kFocus}}},
      {"without the focus", false, false, [](TCBrowse&) {}, {{240, kGreyBar}}},
      {"lNoGrayBar without the focus", false, false, [](TCBrowse& b) { b.lNoGrayBar = true; }, {{240, kPane}}},
      {"lNoGrayBar with the focus", false, true, [](TCBrowse& b) { b.lNoGrayBar = true; }, {{240, kFocus}}},
      {"lNoLiteBar", false, true, [](TCBrowse& b) { b.lNoLiteBar = true; }, {{240, kPane}, {450, kPane}}},
      {"a column never lit", false, true, [](TCBrowse& b) { b.Col(2)->lNoLite = true; }, {{240, kPane}, {450, kFocus}}},
      {"the cell and an always-lit column", true, true,
       [](TCBrowse& b) {
         b.Col(4)->lFixLite = true;
         b.HiliteCell(1);
       },
       {{60, kFocus}, {240, kPane}, {450, kFocus}}},
      {"the cursor picture", false, true, [&](TCBrowse& b) { b.hBmpCursor = reinterpret_cast<std::intptr_t>(arrow); },
       {{10, kCursor}, {40, kFocus}}},
  };
  // A field beside the browse to take the focus.
  HWND other = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 365, 100, 22, window_->hWnd, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    X("DBGOTOP()");
    auto b = Browse(c.cell);
    c.set(*b);
    SetFocus(c.focused ? b->hWnd : other);
    ASSERT_EQ(GetFocus(), c.focused ? b->hWnd : other);
    Repaint();
    const int h = b->nHRow();
    HDC dc = GetDC(b->hWnd);
    for (const auto& [x, lit] : c.at) {
      const int y = lit == kCursor ? h + 1 + 8 : h + h / 2;
      const COLORREF expected = lit == kFocus ? b->nClrBackFocus : lit == kGreyBar ? kGrey : lit == kPane ? kPlain : kBlue;
      EXPECT_EQ(GetPixel(dc, x, y), expected) << "at " << x;
    }
    ReleaseDC(b->hWnd, dc);
    if (c.cell) Screenshot(window_->hWnd, "cbrowse_lit_cells");
    DestroyWindow(b->hWnd);
  }
  DestroyWindow(other);
  DeleteObject(arrow);
}

// ---- frozen columns, one-row scrolls, clicks ----------------------------------------------------------------

TEST_F(TCBrowseTest, FrozenColumnsNeverMoveWhenTheOthersScrollRight) {
  for (bool cell : {false, true}) {
    auto b = Browse(cell, 2);
    SetFocus(b->hWnd);
    const std::vector<COLORREF> before = Pixels(b->hWnd);
    const int frozen = 70 + 180;
    for (int i = 0; i < 4; ++i) Key(b->hWnd, VK_RIGHT);
    UpdateWindow(b->hWnd);
    const std::vector<TCBrowse::Span> spans = b->Walk();
    ASSERT_GE(spans.size(), 3u);
    EXPECT_EQ(spans[0].col, 1);
    EXPECT_EQ(spans[1].col, 2);
    EXPECT_EQ(spans[1].x, 70);
    EXPECT_GT(spans[2].col, 3) << "the scrolled columns moved";
    if (cell) {
      EXPECT_EQ(b->nCell, 5);
    }
    // The frozen part of the header and rows away from the selection looks as it did.
    const std::vector<COLORREF> after = Pixels(b->hWnd);
    const int width = GetClientRect(b->hWnd).Width();
    const int h = b->nHRow();
    int differ = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < frozen - 2; ++x) differ += before[y * width + x] != after[y * width + x];
    EXPECT_EQ(differ, 0) << (cell ? "cell mode" : "row mode");
    test::ControlsTest::Screenshot(window_->hWnd, cell ? "cbrowse_frozen_cells" : "cbrowse_frozen");
    DestroyWindow(b->hWnd);
  }
}

TEST_F(TCBrowseTest, OneRowScrollsLeaveWhatAFullRepaintDrawsAndClicksLandOnTheirRows) {
  for (int h_line : {0, 5}) {
    auto b = Browse(false, 1, h_line, true);
    SetFocus(b->hWnd);
    const int rows = b->nRowCount();
    ASSERT_GT(rows, 8);
    for (int i = 0; i < rows + 4; ++i) Key(b->hWnd, VK_DOWN);
    EXPECT_EQ(b->nRowPos, rows);
    const std::vector<COLORREF> scrolled = Pixels(b->hWnd);
    Repaint();
    EXPECT_EQ(scrolled, Pixels(b->hWnd)) << "down, nHLine " << h_line;
    for (int i = 0; i < rows + 2; ++i) Key(b->hWnd, VK_UP);
    EXPECT_EQ(b->nRowPos, 1);
    const std::vector<COLORREF> back = Pixels(b->hWnd);
    Repaint();
    EXPECT_EQ(back, Pixels(b->hWnd)) << "up, nHLine " << h_line;

    // A click on the row drawn at row 4, then at row 2.
    const int h = b->nHRow();
    for (int row : {4, 2}) {
      const int from = KeyNo();
      const int at = b->nRowPos;
      SendMessageA(b->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, row * h + h / 2));
      SendMessageA(b->hWnd, WM_LBUTTONUP, 0, MAKELPARAM(200, row * h + h / 2));
      EXPECT_EQ(b->nRowPos, row);
      EXPECT_EQ(KeyNo(), from + row - at);
      EXPECT_EQ(b->oVBar->GetPos(), KeyNo());
      HDC dc = GetDC(b->hWnd);
      EXPECT_EQ(GetPixel(dc, 300, row * h + h / 2), b->nClrBackFocus) << "the selection is drawn there";
      ReleaseDC(b->hWnd, dc);
    }
    test::ControlsTest::Screenshot(window_->hWnd, "cbrowse_rows_hline" + std::to_string(h_line));
    DestroyWindow(b->hWnd);
  }
}

// ---- search -------------------------------------------------------------------------------------------------

TEST_F(TCBrowseTest, TheSearchSeeksCharacterNumericAndDateOrders) {
  auto b = Browse();
  SetFocus(b->hWnd);
  EXPECT_EQ(b->nColOrder, 1);  // the first column with an order
  EXPECT_EQ(b->cOrderType, "C");
  Type(b->hWnd, "01");
  EXPECT_EQ(Field("CODIGO"), "01000");
  Type(b->hWnd, "9");
  EXPECT_EQ(Field("CODIGO"), "01900");
  Type(b->hWnd, "A");  // no code "019A": dropped
  EXPECT_EQ(b->cSeek, "019");
  EXPECT_EQ(Field("CODIGO"), "01900");
  EXPECT_EQ(b->oVBar->GetPos(), KeyNo());
  Type(b->hWnd, "\b");
  EXPECT_EQ(b->cSeek, "01");

  // The names' order: the code page's letters are typed as they are keyed.
  SendMessageA(b->hWnd, WM_LBUTTONDBLCLK, 0, MAKELPARAM(100, 5));  // the header of "Nombre"
  EXPECT_EQ(b->nColOrder, 2);
  EXPECT_TRUE(b->cSeek.empty());
  Type(b->hWnd, "\xF1");  // ñ
  EXPECT_EQ(b->cSeek, "\xD1");
  EXPECT_EQ(Field("NOMBRE").substr(0, 5), "\xD1" "and\xFA");

  // The amounts: a letter beeps and changes nothing; digits seek the value.
  b->SetOrder(3);
  EXPECT_EQ(b->cOrderType, "N");
  const std::string before = Field("CODIGO");
  Type(b->hWnd, "x");
  EXPECT_TRUE(b->cSeek.empty());
  EXPECT_EQ(Field("CODIGO"), before);
  Type(b->hWnd, "125");
  EXPECT_EQ(Field("CODIGO"), "00010");

  // The dates: sought once every digit is typed, with the date itself.
  b->SetOrder(4);
  EXPECT_EQ(b->cOrderType, "D");
  EXPECT_EQ(b->cSeek, "  -  -    ");
  const std::string at = Field("CODIGO");
  Type(b->hWnd, "0501");
  EXPECT_EQ(b->cSeek, "05-01-    ");
  EXPECT_EQ(Field("CODIGO"), at);
  Type(b->hWnd, "2003");
  EXPECT_EQ(b->cSeek, "05-01-2003");
  EXPECT_EQ(Field("CODIGO"), "00004");
  Type(b->hWnd, "\b");
  EXPECT_EQ(b->cSeek, "05-01-200 ");
  test::ControlsTest::Screenshot(window_->hWnd, "cbrowse_seek");
}

TEST_F(TCBrowseTest, TheBarStandsAtTheLogicalPositionOnCdxAndNtxTables) {
  for (const char* driver : {"DBFCDX", "DBFNTX"}) {
    const std::string path = folder_ + "small";
    for (const char* f : {"small.dbf", "small.cdx", "small.ntx"}) DeleteFileA((folder_ + f).c_str());
    xb::CallFunction("DBCREATE", {Value::String(path), X("{{'CODIGO','C',5,0}}"), Value::String(driver)});
    ASSERT_TRUE(Use(path, "SMALL", driver)) << driver;
    for (int i = 1; i <= 50; ++i) {
      X("DBAPPEND()");
      xb::CallFunction("FIELDPUT", {Value::Integer(1), Value::String(Code(51 - i))});  // record order is not key order
      if (i % 7 == 0) X("DBDELETE()");
    }
    X("DBUNLOCK()");
    xb::CallFunction("ORDCREATE", {Value::String(std::string(driver) == "DBFNTX" ? path + ".ntx" : path),
                                   Value::String("CODIGO"), Value::String("CODIGO")});
    TWBrowse::NewParams p;
    p.pixel = true;
    p.width = 300;
    p.height = 200;
    p.parent = window_;
    p.alias = "SMALL";
    auto b = xb::MakeRef<TCBrowse>();
    b->New(p);
    TCColumn::NewParams cp;
    cp.heading = Value::String("Código");
    cp.data = xb::CallFunction("FIELDSETGETBLOCK", {Value::String("SMALL"), Value::Integer(1)});
    auto col = xb::MakeRef<TCColumn>();
    col->New(cp);
    col->nWidth = 80;
    b->AddColumn(col->Self());
    b->Default();
    made_.push_back(b->hWnd);
    EXPECT_EQ(b->nLen, 43) << driver;
    // Code 00031 is record 20; codes below it that are deleted: records 49, 42, 35, 28, 21.
    ASSERT_TRUE(X("DBSEEK('00031')").AsLogical()) << driver;
    b->nRowPos = 40;
    b->ResetBarPos();
    EXPECT_EQ(b->oVBar->GetPos(), 31 - 5) << driver;
    EXPECT_EQ(b->oVBar->GetRange(), (std::pair{1, 43})) << driver;
    EXPECT_EQ(b->nRowPos, 26) << driver;
    // Without an order: the place among the records shown in record order.
    X("ORDSETFOCUS(0)");
    b->ResetBarPos();
    EXPECT_EQ(b->oVBar->GetPos(), 20 - 2) << driver;  // records 7 and 14 deleted before it
    X("DBGOTOP()");
    b->nRowPos = 5;
    b->ResetBarPos();
    EXPECT_EQ(b->nRowPos, 1) << driver;  // never below 1, never above the position
    DestroyWindow(b->hWnd);
    X("SMALL->(DBCLOSEAREA())");
  }
}

// ---- editing --------------------------------------------------------------------------------------------

TEST_F(TCBrowseTest, CellEditsAreWrittenCancelledOrRefusedWhenAnotherProgramHoldsTheRecord) {
  auto b = Browse(true);
  SetFocus(b->hWnd);
  Key(b->hWnd, VK_DOWN);
  Key(b->hWnd, VK_DOWN);
  Key(b->hWnd, VK_RIGHT);
  ASSERT_EQ(Field("CODIGO"), "00003");
  ASSERT_EQ(b->nCell, 2);
  const std::string name = Field("NOMBRE");
  auto edit = [&](const std::string& text, int last_key) {
    HWND seen = nullptr;
    test::StepWhile typing([&] {
      HWND editor = GetFocus();
      if (editor == nullptr || editor == b->hWnd) return false;
      seen = editor;
      SendMessageA(editor, EM_SETSEL, 0, -1);
      Type(editor, text);
      Key(editor, last_key);
      return true;
    });
    Key(b->hWnd, VK_RETURN);
    return seen;
  };
  HWND editor = edit("Nuevo", VK_RETURN);
  ASSERT_NE(editor, nullptr);
  EXPECT_FALSE(IsWindow(editor));
  EXPECT_EQ(Field("NOMBRE"), "Nuevo" + std::string(25, ' '));
  EXPECT_EQ(GetFocus(), b->hWnd);
  edit("Otro", VK_ESCAPE);
  EXPECT_EQ(Field("NOMBRE"), "Nuevo" + std::string(25, ' '));

  // Another program holds the record: "Record in use", nothing written.
  test::RecordHeldElsewhere other(folder_, folder_ + "artic", 3);
  ASSERT_TRUE(other.Held());
  {
    std::vector<vdr::test::SeenDialog> boxes;
    vdr::test::DialogAnswerer answer([&](const vdr::test::SeenDialog& d) {
      boxes.push_back(d);
      return d.ButtonId("OK") != 0 ? d.ButtonId("OK") : d.ButtonId("Aceptar");
    });
    edit("Bloqueado", VK_RETURN);
    EXPECT_EQ(other.Release(), 0);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().title, "Please, try again");
    EXPECT_NE(boxes.back().AllText().find("Record in use"), std::string::npos) << boxes.back().AllText();
  }
  X("DBSKIP(0)");
  EXPECT_EQ(Field("NOMBRE"), "Nuevo" + std::string(25, ' '));
  test::ControlsTest::Screenshot(window_->hWnd, "cbrowse_edit");
  X("RLOCK()");
  xb::CallFunction("FIELDPUT", {Value::Integer(2), Value::String(name)});
  X("DBUNLOCK()");
}

// ---- columns ------------------------------------------------------------------------------------------------

TEST_F(TCBrowseTest, HeadersDroppedOnAnotherSwapColumnsAndBordersKeepALeastWidth) {
  auto b = Browse();
  const int h = b->nHRow();
  auto drag = [&](int from, int to) {
    SendMessageA(b->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from, h / 2));
    SendMessageA(b->hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to, h / 2));
    SendMessageA(b->hWnd, WM_LBUTTONUP, 0, MAKELPARAM(to, h / 2));
  };
  auto heading = [&](int n) { return b->Col(n)->Heading(); };
  drag(100, 300);  // "Nombre" onto "Importe"
  EXPECT_EQ(heading(2), "Importe");
  EXPECT_EQ(heading(3), "Nombre");
  EXPECT_EQ(b->GetColSizes()[1], 110);
  EXPECT_EQ(b->nColOrder, 1);
  drag(100, 120);  // onto itself
  EXPECT_EQ(heading(2), "Importe");
  EXPECT_FALSE(b->lColDrag);
  EXPECT_FALSE(b->lCaptured);
  // The border right of "Código" (x 69) dragged far left: 5 pixels are left.
  drag(69, 2);
  EXPECT_EQ(b->Col(1)->nWidth, 5);
  EXPECT_EQ(b->GetColSizes()[0], 5);
  drag(4, 64);
  EXPECT_EQ(b->Col(1)->nWidth, 65);
  test::ControlsTest::Screenshot(window_->hWnd, "cbrowse_dragged");
  // A border dragged down off the header ends where it was left.
  SendMessageA(b->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(64, h / 2));
  SendMessageA(b->hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(80, h / 2));
  SendMessageA(b->hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(120, 5 * h));
  EXPECT_FALSE(b->lLineDrag);
  EXPECT_FALSE(b->lCaptured);
  EXPECT_EQ(b->Col(1)->nWidth, 81);
  SendMessageA(b->hWnd, WM_LBUTTONUP, 0, MAKELPARAM(120, 5 * h));
  EXPECT_EQ(b->Col(1)->nWidth, 81);
  // Frozen columns are never swapped.
  b->nFreeze = 1;
  b->SwitchCols(1, 3);
  EXPECT_EQ(heading(1), "Código");
}

TEST_F(TCBrowseTest, AClickOnACellCutByTheRightEdgeWalksThereAndScrollsItIntoView) {
  // Widths 70, 180, 110, 100, 120 in about 480 pixels: the fifth column is cut.
  struct Case {
    int freeze;
    int x;          // where the click lands on the second data row
    int cell;       // the cell then
    int col_pos;    // the first scrolled column then
  } cases[] = {
      {0, 300, 3, 1},  // a whole cell: nothing scrolls
      {0, 470, 5, 3},  // cut: the columns scroll until it ends inside the browse
      {1, 470, 5, 3},  // past the frozen column too
      {1, 20, 1, 2},   // the frozen column
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.freeze) + " at " + std::to_string(c.x));
    X("DBGOTOP()");
    auto b = Browse(true, c.freeze);
    int changes = 0;
    b->bChange = Blk([&](Args&) {
      ++changes;
      return Value();
    });
    const int h = b->nHRow();
    Click(b->hWnd, c.x, 2 * h + h / 2, [&] { return b->nRowPos == 2 && !(GetKeyState(VK_LBUTTON) & 0x8000); });
    EXPECT_EQ(b->nRowPos, 2);
    EXPECT_EQ(b->nCell, c.cell);
    EXPECT_EQ(b->nColPos, c.col_pos);
    EXPECT_EQ(changes, 1);
    UpdateWindow(b->hWnd);
    // The cell clicked is the lit one, drawn whole inside the browse.
    int left = -1, width = 0;
    for (const TCBrowse::Span& s : b->Walk())
      if (s.col == c.cell) {
        left = s.x;
        width = s.width < 0 ? GetClientRect(b->hWnd).Width() - s.x : s.width;
      }
    ASSERT_GE(left, 0);
    EXPECT_LE(left + width, GetClientRect(b->hWnd).Width() + 1);
    HDC dc = GetDC(b->hWnd);
    EXPECT_EQ(GetPixel(dc, left + width / 2, 2 * h + 2), b->nClrBackFocus);
    ReleaseDC(b->hWnd, dc);
    if (c.x == 470 && c.freeze == 1) Screenshot(window_->hWnd, "cbrowse_cut_cell_clicked");
    DestroyWindow(b->hWnd);
  }
}

// A click that moves only the cell runs bChange in the editing browse, not in this one; a click
// on another row runs it in both.
TEST_F(TCBrowseTest, OnlyTheEditingBrowseRunsBChangeForAClickOnAnotherCellOfTheRow) {
  struct Case {
    bool editing;
    int on_cell;  // bChange runs after the click on another cell of the row
  } cases[] = {{false, 0}, {true, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.editing ? "TQZBrowse" : "TCBrowse");
    X("DBGOTOP()");
    auto b = Browse(true, 0, 5, false, c.editing);
    EXPECT_FALSE(b->lRePaint);
    int changes = 0;
    b->bChange = Blk([&](Args&) {
      ++changes;
      return Value();
    });
    const int h = b->nHRow();
    auto click = [&](int x, int y) {
      ASSERT_TRUE(vdr::test::MouseToClient(b->hWnd, {x, y}));
      vdr::test::LeftButton(true);
      vdr::test::LeftButton(false);
    };
    click(300, h + h / 2);
    EXPECT_EQ(b->nRowPos, 1);
    EXPECT_EQ(b->nCell, 3);
    EXPECT_EQ(changes, c.on_cell);
    click(100, 3 * h + h / 2);
    EXPECT_EQ(b->nRowPos, 3);
    EXPECT_EQ(changes, c.on_cell + 1);
    DestroyWindow(b->hWnd);
  }
}

TEST_F(TCBrowseTest, AHeaderDraggedShowsTheCatchCursorAndBordersTheWestEastOne) {
  auto b = Browse();
  const int h = b->nHRow();
  const HCURSOR west_east = LoadCursorA(nullptr, IDC_SIZEWE);
  HCURSOR over_border = nullptr, over_header = nullptr, dragging = nullptr;
  Mouse(b->hWnd, 69, h / 2, 0, [&] { return (over_border = GetCursor()) == west_east; });
  Mouse(b->hWnd, 120, h / 2, 0, [&] { return (over_header = GetCursor()) == GetCursorHand(); });
  Mouse(b->hWnd, 120, h / 2, MOUSEEVENTF_LEFTDOWN, [&] { return b->lColDrag; });
  Mouse(b->hWnd, 200, h / 2, 0, [&] { return (dragging = GetCursor()) == GetCursorCatch(); });
  Mouse(b->hWnd, 300, h / 2, 0);
  EXPECT_EQ(GetCursor(), GetCursorCatch());
  Mouse(b->hWnd, 300, h / 2, MOUSEEVENTF_LEFTUP, [&] { return !b->lColDrag; });
  EXPECT_EQ(over_border, west_east);
  EXPECT_EQ(over_header, GetCursorHand());
  EXPECT_EQ(dragging, GetCursorCatch());
  EXPECT_EQ(b->Col(3)->Heading(), "Nombre") << "dropped on \"Importe\"";
}

// A person's mouse on the header: a border dragged 30 pixels right widens its column by 30;
// a double click on a heading orders the browse by that column, whose header then takes the
// active order's colour.
TEST_F(TCBrowseTest, APersonWidensAColumnAndOrdersByAnotherFromTheHeader) {
  auto b = Browse();
  const int h = b->nHRow();
  ASSERT_EQ(b->nColOrder, 1);
  ASSERT_TRUE(vdr::test::MouseToClient(b->hWnd, {69, h / 2}));  // the border right of "Código"
  vdr::test::LeftButton(true);
  EXPECT_TRUE(b->lLineDrag);
  ASSERT_TRUE(vdr::test::MouseToClient(b->hWnd, {85, h / 2}));
  ASSERT_TRUE(vdr::test::MouseToClient(b->hWnd, {99, h / 2}));
  vdr::test::LeftButton(false);
  EXPECT_FALSE(b->lLineDrag);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(b->Col(1)->nWidth, 100);
  EXPECT_EQ(b->GetColSizes()[0], 100);
  // "Fecha" now runs from 390 to 490.
  ASSERT_TRUE(vdr::test::MouseToClient(b->hWnd, {420, h / 2}));
  for (int i = 0; i < 2; ++i) {
    vdr::test::LeftButton(true);
    vdr::test::LeftButton(false);
  }
  EXPECT_EQ(b->nColOrder, 4);
  EXPECT_EQ(X("ORDSETFOCUS()").AsString(), "FECHA");
  EXPECT_EQ(b->cOrderType, "D");
  EXPECT_EQ(b->Col(4)->Heading(), "Fecha") << "a double click moves no column";
  UpdateWindow(b->hWnd);
  HDC dc = GetDC(b->hWnd);
  EXPECT_EQ(GetPixel(dc, 450, 3), static_cast<COLORREF>(*b->nOClrBackHead));
  EXPECT_EQ(GetPixel(dc, 10, 3), b->nClrBackHead);
  ReleaseDC(b->hWnd, dc);
  test::ControlsTest::Screenshot(window_->hWnd, "cbrowse_widened_and_ordered");
}

TEST_F(TCBrowseTest, ReportTakesTheFocusAndGoesToTheTop) {
  auto b = Browse();
  SetFocus(b->hWnd);
  for (int i = 0; i < 5; ++i) Key(b->hWnd, VK_DOWN);
  ASSERT_EQ(KeyNo(), 6);
  SetFocus(window_->hWnd);
  xb::SetMemvar(xb::Intern("OBRW"), b->Self());
  X("oBrw:Report('Artículos', .F.)");
  EXPECT_EQ(GetFocus(), b->hWnd);
  EXPECT_EQ(KeyNo(), 1);
  EXPECT_EQ(b->nRowPos, 1);
}

TEST_F(TCBrowseTest, InspectGivesABlockThatEditsTheColumnList) {
  auto b = Browse(true);
  xb::SetMemvar(xb::Intern("OBRW"), b->Self());
  EXPECT_TRUE(X("oBrw:Inspect('nTop')").IsNil());
  const Value block = X("oBrw:Inspect('aColumns')");
  ASSERT_TRUE(block.IsBlock());
  // In the editor: the list of headings, then the buttons pressed in order (a number
  // chooses that line first).
  auto edit = [&](std::vector<std::variant<int, const char*>> steps) {
    std::vector<std::string> listed;
    test::StepWhile working([&] {
      HWND box = GetActiveWindow();
      if (box == nullptr || vdr::test::WindowText(box) != "Edit columns") return false;
      HWND list = nullptr;
      for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[16] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (_stricmp(cls, "ListBox") == 0) list = child;
      }
      if (list == nullptr) return false;
      for (int i = 0; i < static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0)); ++i) {
        char text[64] = {};
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        listed.emplace_back(text);
      }
      for (const auto& step : steps) {
        if (const int* line = std::get_if<int>(&step)) {
          SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(*line - 1), 0);
          continue;
        }
        for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
          if (vdr::test::WindowText(child) == std::get<const char*>(step)) SendMessageA(child, BM_CLICK, 0, 0);
      }
      return true;
    });
    const bool confirmed = xb::EvalValue(block, {}).AsLogical();
    return std::pair{confirmed, listed};
  };
  auto headings = [&] {
    std::vector<std::string> h;
    for (int c = 1; c <= b->Columns(); ++c) h.push_back(b->Col(c)->Heading());
    return h;
  };
  const std::vector<std::string> before = headings();
  // Cancelled: nothing changes.
  auto [cancelled, listed] = edit({5, "&Up", 1, "&Delete", "&Cancel"});
  EXPECT_FALSE(cancelled);
  EXPECT_EQ(listed, before);
  EXPECT_EQ(headings(), before);
  // "Código bis" up two places, "Código" deleted, "Fecha" (the last) down: nothing.
  b->SetOrder(2);
  ASSERT_EQ(b->nColOrder, 2);
  auto [confirmed, shown] = edit({5, "&Up", "&Up", 1, "&Delete", 4, "&Down", "&Ok"});
  EXPECT_TRUE(confirmed);
  EXPECT_EQ(headings(), (std::vector<std::string>{"Nombre", "Código bis", "Importe", "Fecha"}));
  EXPECT_EQ(b->GetColSizes(), (std::vector<int>{180, 120, 110, 100}));
  EXPECT_EQ(b->nColOrder, 1) << "the ordered column \"Nombre\" is first now";
  // The last column cannot be deleted.
  edit({1, "&Delete", 1, "&Delete", 1, "&Delete", 1, "&Delete", "&Ok"});
  EXPECT_EQ(b->Columns(), 1);
  RedrawWindow(b->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

TEST_F(TCBrowseTest, ColumnsAreInsertedAndDeletedWithinTheirBoundsAndFootersTakeARow) {
  auto b = Browse();
  EXPECT_TRUE(b->InsColumn(3, Value()).IsNil());
  EXPECT_EQ(b->Columns(), 5);
  auto extra = Column("Extra", 2, 50);
  EXPECT_TRUE(b->InsColumn(0, extra->Self()).IsObject());
  EXPECT_EQ(b->Col(1)->Heading(), "Extra");
  EXPECT_EQ(b->GetColSizes()[0], 50);
  const Value removed = b->DelColumn(99);  // the last one
  ASSERT_TRUE(removed.IsObject());
  EXPECT_EQ(dynamic_cast<TCColumn*>(removed.AsObject().get())->Heading(), "Código bis");
  EXPECT_EQ(b->Columns(), 5);
  while (b->Columns() > 1) b->DelColumn(1);
  EXPECT_TRUE(b->DelColumn(1).IsNil()) << "the last column stays";
  EXPECT_EQ(b->Columns(), 1);
  DestroyWindow(b->hWnd);

  auto f = Browse(false, 0, 5, true);
  EXPECT_TRUE(f->lFooting);
  const int rows = f->nRowCount();
  f->lFooting = false;
  EXPECT_EQ(f->nRowCount(), rows + 1);
  f->lFooting = true;
  test::ControlsTest::Screenshot(window_->hWnd, "cbrowse_footers");
}

TEST_F(TCBrowseTest, ColumnWidthsReplacedByCodeAreMadeAgainFromTheColumnsBeforeUse) {
  // Code may put an empty array or a block in aColSizes; what moves or reorders columns
  // before the next paint works on the columns' own widths.
  auto b = Browse(true);
  const std::pair<const char*, std::function<void()>> steps[] = {
      {"GoRight", [&] { b->GoRight(); }},
      {"HScroll to the last page", [&] {
         b->nCell = b->Columns();
         SendMessageA(b->hWnd, WM_HSCROLL, SB_PAGEDOWN, 0);
       }},
      {"SwitchCols", [&] { b->SwitchCols(2, 3); }},
      {"InsColumn", [&] { b->InsColumn(2, Column("Otra", 2, 40)->Self()); }},
      {"DelColumn", [&] { b->DelColumn(2); }},
  };
  for (const char* replaced : {"{}", "{|| {}}"}) {
    for (const auto& [name, step] : steps) {
      b->aColSizes = X(replaced);
      step();
      ASSERT_TRUE(b->aColSizes.IsArray()) << name << " " << replaced;
      const std::vector<int> widths = b->GetColSizes();
      ASSERT_EQ(static_cast<int>(widths.size()), b->Columns()) << name << " " << replaced;
      for (int c = 1; c <= b->Columns(); ++c) EXPECT_EQ(widths[c - 1], b->Col(c)->nWidth) << name << " " << c;
    }
  }
  // A border dragged while the widths are replaced.
  DestroyWindow(b->hWnd);
  b = Browse();
  const int h = b->nHRow();
  const int border = b->Col(1)->nWidth - 1;
  SendMessageA(b->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(border, h / 2));
  b->aColSizes = X("{}");
  SendMessageA(b->hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(border + 20, h / 2));
  SendMessageA(b->hWnd, WM_LBUTTONUP, 0, MAKELPARAM(border + 20, h / 2));
  EXPECT_EQ(b->Col(1)->nWidth, 90);
  ASSERT_EQ(static_cast<int>(b->GetColSizes().size()), b->Columns());
  EXPECT_EQ(b->GetColSizes()[0], 90);
}

TEST_F(TCBrowseTest, RunTimeTextBuildsAColumnBrowseAndPaintsCells) {
  const Value b = xb::Send(xb::CallFunction("TCBROWSE"), "NEW",
                           {Value::Integer(0), Value::Integer(0), Value::Integer(300), Value::Integer(200), Value(),
                            Value(), Value(), window_->Self(), Value(), Value(), Value(), Value(), Value(), Value(),
                            Value(), Value(), Value(), Value(), Value(), Value(), Value::String("ARTIC"),
                            Value::Logical(true), Value(), Value(), Value(), Value::Logical(true)});
  auto* browse = dynamic_cast<TCBrowse*>(b.AsObject().get());
  ASSERT_NE(browse, nullptr);
  made_.push_back(browse->hWnd);
  EXPECT_TRUE(xb::Send(b, "LCELLBRW").AsLogical());
  xb::Send(b, "LOADFIELDS");
  EXPECT_EQ(browse->Columns(), 4);
  EXPECT_EQ(browse->Col(3)->nAlign, 2);
  EXPECT_EQ(browse->Col(2)->cData, "ARTIC->NOMBRE");
  EXPECT_EQ(xb::Send(b, "GETCOLUMN", {Value::Integer(9)}).AsObject().get(), browse->Col(4));
  // TCDRAWCELL by name, with fewer than nine arguments: black on white.
  HDC dc = GetDC(window_->hWnd);
  xb::CallFunction("TCDRAWCELL", {Value::Integer(reinterpret_cast<std::intptr_t>(window_->hWnd)),
                                  Value::Integer(reinterpret_cast<std::intptr_t>(dc)), Value::Integer(8),
                                  Value::Integer(350), Value::Integer(60), Value::String(""), Value::Integer(0)});
  const int h = TcRowHeight(window_->hWnd, nullptr, 0);
  EXPECT_EQ(GetPixel(dc, 380, 8 * h + h / 2), RGB(255, 255, 255));
  ReleaseDC(window_->hWnd, dc);
}

TEST_F(TCBrowseTest, PagesAndTheThumbKeepRecordSelectionAndBarInStep) {
  auto b = Browse(false, 1, 5, true);
  SetFocus(b->hWnd);
  const int visible = static_cast<int>(X("ADSKEYCOUNT()").AsInt());
  EXPECT_EQ(b->nLen, visible);
  EXPECT_EQ(b->oVBar->GetRange(), (std::pair{1, visible}));
  const int rows = b->nRowCount();
  // After each move the rows drawn are what a full repaint draws, and the bar stands at the
  // selected record's place.
  auto in_step = [&](const char* where) {
    UpdateWindow(b->hWnd);
    const std::vector<COLORREF> now = Pixels(b->hWnd);
    Repaint();
    EXPECT_EQ(now, Pixels(b->hWnd)) << where;
    EXPECT_EQ(b->oVBar->GetPos(), KeyNo()) << where;
    EXPECT_GE(b->nRowPos, 1) << where;
    EXPECT_LE(b->nRowPos, rows) << where;
  };
  Key(b->hWnd, VK_NEXT);
  EXPECT_EQ(KeyNo(), 1 + rows);
  in_step("a page down");
  Key(b->hWnd, VK_NEXT);
  Key(b->hWnd, VK_PRIOR);
  EXPECT_EQ(KeyNo(), 1 + rows);
  in_step("a page down and up");
  SendMessageA(b->hWnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, visible / 2), 0);
  EXPECT_EQ(KeyNo(), visible / 2);
  in_step("the thumb in the middle");
  Key(b->hWnd, VK_END);
  EXPECT_EQ(KeyNo(), visible);
  EXPECT_EQ(b->nRowPos, rows);
  in_step("the end");
  for (int i = 0; i < 3; ++i) Key(b->hWnd, VK_DOWN);  // nothing below the last
  EXPECT_EQ(KeyNo(), visible);
  in_step("past the end");
  Key(b->hWnd, VK_HOME);
  EXPECT_EQ(KeyNo(), 1);
  EXPECT_EQ(b->nRowPos, 1);
  in_step("the top");
  test::ControlsTest::Screenshot(window_->hWnd, "cbrowse_paged");
}

TEST_F(TCBrowseTest, AnArrayBrowseMovesThroughItsElementsAndIgnoresTypedKeys) {
  TWBrowse::NewParams p;
  p.pixel = true;
  p.width = 300;
  p.height = 200;
  p.parent = window_;
  auto b = xb::MakeRef<TCBrowse>();
  b->New(p, true);
  made_.push_back(b->hWnd);
  xb::Array items = xb::Array::New();
  for (int i = 1; i <= 40; ++i) items.Append(Value::String("Elemento " + std::to_string(i)));
  TCBrowse* self = b.get();
  TCColumn::NewParams cp;
  cp.heading = Value::String("Texto");
  cp.data = Blk([self, items](Args& a) {
    if (a.Count() > 0 && !a.IsNil(1)) items[static_cast<std::size_t>(self->nAt) - 1] = a.Arg(1);
    return items.Get(static_cast<std::size_t>(self->nAt) - 1);
  });
  cp.edit = true;
  auto col = xb::MakeRef<TCColumn>();
  col->New(cp);
  col->nWidth = 200;
  b->AddColumn(col->Self());
  b->SetArray(items);
  b->Default();
  SetFocus(b->hWnd);
  EXPECT_EQ(b->nLen, 40);
  for (int i = 0; i < 5; ++i) Key(b->hWnd, VK_DOWN);
  EXPECT_EQ(b->nAt, 6);
  EXPECT_EQ(b->oVBar->GetPos(), 6);
  Type(b->hWnd, "Ele");
  EXPECT_EQ(b->nAt, 6);
  EXPECT_TRUE(b->cSeek.empty());
  Key(b->hWnd, VK_END);
  EXPECT_EQ(b->nAt, 40);
  // An edit of an array cell is stored without any lock.
  {
    test::StepWhile typing([&] {
      HWND editor = GetFocus();
      if (editor == nullptr || editor == b->hWnd) return false;
      SendMessageA(editor, EM_SETSEL, 0, -1);
      Type(editor, "Cambiado");
      Key(editor, VK_RETURN);
      return true;
    });
    Key(b->hWnd, VK_RETURN);
  }
  EXPECT_EQ(std::string(items.Get(39).AsString()).substr(0, 8), "Cambiado");
}

// The code's bSkipColor runs after the cursor row is drawn without a row number: a move by
// key or click leaves the old row that way; a paint draws its rows by number and runs none.
// Here it counts, and the cells' background follows the count: white for even, yellow odd.
TEST_F(TCBrowseTest, BSkipColorRunsAfterTheCursorRowIsDrawnWithoutItsNumber) {
  constexpr COLORREF kWhite = RGB(255, 255, 255);
  constexpr COLORREF kYellow = RGB(255, 255, 0);
  TWBrowse::NewParams p;
  p.pixel = true;
  p.width = 300;
  p.height = 240;
  p.parent = window_;
  auto b = xb::MakeRef<TCBrowse>();
  b->New(p);
  made_.push_back(b->hWnd);
  browse_ = b;
  xb::Array items = xb::Array::New();
  for (int i = 1; i <= 30; ++i) items.Append(Value::String("Elemento " + std::to_string(i)));
  TCBrowse* self = b.get();
  TCColumn::NewParams cp;
  cp.heading = Value::String("Texto");
  cp.data = Blk([self, items](Args&) { return items.Get(static_cast<std::size_t>(self->nAt) - 1); });
  auto col = xb::MakeRef<TCColumn>();
  col->New(cp);
  col->nWidth = 200;
  b->AddColumn(col->Self());
  b->SetArray(items);
  b->Default();
  xb::DeclarePublic(xb::Intern("NSKIPS"));
  xb::SetMemvar(xb::Intern("NSKIPS"), Value::Integer(0));
  xb::SetMemvar(xb::Intern("OBRW"), b->Self());
  X("oBrw:bSkipColor := {|o| nSkips++ }");
  X("oBrw:GetColumn(1):bClrBack := {|nRow, nCol| iif(nSkips % 2 == 0, 16777215, 65535) }");
  SetFocus(b->hWnd);
  Repaint();
  EXPECT_EQ(X("nSkips").AsInt(), 0) << "a paint draws its rows by number";
  const int h = b->nHRow();
  auto row_colour = [&](int row) {
    UpdateWindow(b->hWnd);
    HDC dc = GetDC(b->hWnd);
    const COLORREF c = GetPixel(dc, 250, row * h + h / 2);
    ReleaseDC(b->hWnd, dc);
    return c;
  };
  for (int i = 0; i < 3; ++i) Key(b->hWnd, VK_DOWN);
  EXPECT_EQ(X("nSkips").AsInt(), 3);
  EXPECT_EQ(b->nRowPos, 4);
  struct Seen {
    int row;
    COLORREF colour;
  };
  for (const Seen& e : {Seen{1, kWhite}, Seen{2, kYellow}, Seen{3, kWhite}, Seen{4, b->nClrBackFocus},
                        Seen{5, kWhite}})
    EXPECT_EQ(row_colour(e.row), e.colour) << "row " << e.row;
  // From compiled text: a row by number runs nothing; the cursor row without one does.
  X("oBrw:DrawLine(4)");
  EXPECT_EQ(X("nSkips").AsInt(), 3);
  EXPECT_EQ(row_colour(4), kYellow);
  X("oBrw:DrawLine()");
  EXPECT_EQ(X("nSkips").AsInt(), 4);
  EXPECT_EQ(row_colour(4), kYellow);
  X("oBrw:DrawLine(4)");
  EXPECT_EQ(row_colour(4), kWhite);
  // A person clicks row 7: the old row is drawn (white, count 4), then the count moves on.
  Click(b->hWnd, 100, 7 * h + h / 2, [&] { return b->nRowPos == 7; });
  EXPECT_EQ(b->nRowPos, 7);
  EXPECT_EQ(X("nSkips").AsInt(), 5);
  EXPECT_EQ(row_colour(4), kWhite);
  EXPECT_EQ(row_colour(7), b->nClrBackFocus);
  // As it stands: a repaint would draw every row in the count's colour of now.
  EXPECT_TRUE(vdr::test::SaveWindowBitmap(window_->hWnd, vdr::test::ScreenshotFolder() + "\\cbrowse_skip_color.bmp"));
}

// A table object as the business modules have them: RecCount, GoTop, GoBottom, Skipper,
// Seek and SetOrder over 50 rows.
struct RowsObject {
  int at = 1;
  int count = 50;
  std::string order;
  static const xb::Class& Cls() {
    static const xb::Class& cls = [] () -> const xb::Class& {
      xb::Class& c = xb::Class::Define("TPRUEBAFILAS");
      c.Method("RECCOUNT", [](xb::Object&, Args&) { return Value::Integer(Rows().count); });
      c.Method("GOTOP", [](xb::Object&, Args&) { Rows().at = 1; return Value(); });
      c.Method("GOBOTTOM", [](xb::Object&, Args&) { Rows().at = Rows().count; return Value(); });
      c.Method("SKIPPER", [](xb::Object&, Args& a) {
        const int from = Rows().at;
        Rows().at = std::clamp(from + static_cast<int>(a.Int(1)), 1, Rows().count);
        return Value::Integer(Rows().at - from);
      });
      c.Method("SEEK", [](xb::Object&, Args& a) {
        const int wanted = static_cast<int>(a.Int(1));  // the browse seeks a number for a numeric order
        if (wanted < 1 || wanted > Rows().count) return Value::Logical(false);
        Rows().at = wanted;
        return Value::Logical(true);
      });
      c.Method("SETORDER", [](xb::Object&, Args& a) { Rows().order = std::string(a.Str(1)); return Value(); });
      return c;
    }();
    return cls;
  }
  static RowsObject& Rows() {
    static RowsObject rows;
    return rows;
  }
};

// A column browse paints no stripes of its own: a colour block code gives it stays, and each
// row takes the block's answer for its record.
TEST_F(TCBrowseTest, ANClrPaneBlockCodeGivesPaintsEachRowInItsAnswer) {
  constexpr COLORREF kWhite = RGB(255, 255, 255);
  constexpr COLORREF kYellow = RGB(255, 255, 0);
  auto b = Browse();
  xb::SetMemvar(xb::Intern("OBRW"), b->Self());
  X("oBrw:nClrPane := {|| iif(RecNo() % 2 == 0, 65535, 16777215) }");
  SetFocus(b->hWnd);
  Key(b->hWnd, VK_HOME);
  Repaint();
  EXPECT_EQ(X("ValType(oBrw:nClrPane)").AsString(), "B");
  const int h = b->nHRow();
  HDC dc = GetDC(b->hWnd);
  for (int row = 2; row <= 4; ++row) {
    X("DBSKIP(1)");
    const COLORREF expected = X("RecNo()").AsInt() % 2 == 0 ? kYellow : kWhite;
    EXPECT_EQ(GetPixel(dc, 300, row * h + 2), expected) << "row " << row;
  }
  ReleaseDC(b->hWnd, dc);
  Key(b->hWnd, VK_HOME);
  EXPECT_EQ(X("ValType(oBrw:nClrPane)").AsString(), "B") << "a move leaves it too";
  X("oBrw:SetColor(0, 16777215)");
  EXPECT_EQ(X("ValType(oBrw:nClrPane)").AsString(), "N");
}

TEST_F(TCBrowseTest, ATableObjectIsBrowsedThroughItsOwnMessages) {
  RowsObject::Rows() = RowsObject{};
  const Value rows(RowsObject::Cls().New());
  TWBrowse::NewParams p;
  p.pixel = true;
  p.width = 300;
  p.height = 200;
  p.parent = window_;
  auto b = xb::MakeRef<TCBrowse>();
  b->New(p);
  made_.push_back(b->hWnd);
  b->SetoDBF(rows);
  EXPECT_EQ(b->cAlias, "DBFOBJECT");
  TCColumn::NewParams cp;
  cp.heading = Value::String("Fila");
  cp.data = Blk([](Args&) { return Value::Integer(RowsObject::Rows().at); });
  cp.order = "FILA";
  auto col = xb::MakeRef<TCColumn>();
  col->New(cp);
  col->nWidth = 100;
  b->AddColumn(col->Self());
  b->Default();
  EXPECT_EQ(RowsObject::Rows().order, "FILA") << "the column's order set through the object";
  EXPECT_EQ(b->nLen, 50);
  SetFocus(b->hWnd);
  RedrawWindow(b->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  for (int i = 0; i < 3; ++i) Key(b->hWnd, VK_DOWN);
  EXPECT_EQ(RowsObject::Rows().at, 4);
  Key(b->hWnd, VK_END);
  EXPECT_EQ(RowsObject::Rows().at, 50);
  Key(b->hWnd, VK_HOME);
  EXPECT_EQ(RowsObject::Rows().at, 1);
  b->cOrderType = "N";
  Type(b->hWnd, "27");
  EXPECT_EQ(RowsObject::Rows().at, 27);
  EXPECT_EQ(b->cSeek, "27");
}

TEST_F(TCBrowseTest, AMultiTableObjectHasItsAndItsParentsFileEndBlocksCleared) {
  // Such an object as the business modules have: its context, its parent table, and a block
  // for each end of the file, which the browse's own moves must not run.
  static const xb::Class& parent_class =
      xb::Class::Define("TPRUEBAPADRE").Var("BBOF").Var("BEOF");
  static const xb::Class& multi = [] () -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TMULTIDBF");
    c.Var("BBOF").Var("BEOF").Var("OPARENT").Var("OCTX");
    c.Method("RECCOUNT", [](xb::Object&, Args&) { return Value::Integer(3); });
    c.Method("GOTOP", [](xb::Object&, Args&) { return Value(); });
    c.Method("GOBOTTOM", [](xb::Object&, Args&) { return Value(); });
    c.Method("SKIPPER", [](xb::Object&, Args&) { return Value::Integer(0); });
    return c;
  }();
  const Value block = Blk([](Args&) { return Value(); });
  const Value parent(parent_class.New());
  xb::Send(parent, "_BBOF", {block});
  xb::Send(parent, "_BEOF", {block});
  const Value object(multi.New());
  const Value context = Value::String("contexto");
  for (const char* setter : {"_BBOF", "_BEOF"}) xb::Send(object, setter, {block});
  xb::Send(object, "_OPARENT", {parent});
  xb::Send(object, "_OCTX", {context});
  auto b = Browse();
  b->SetoDBF(object);
  EXPECT_EQ(b->cAlias, "DBFOBJECT");
  EXPECT_TRUE(b->oCtx.SameAs(context));
  for (const Value& table : {object, parent}) {
    EXPECT_TRUE(xb::Send(table, "BBOF").IsNil());
    EXPECT_TRUE(xb::Send(table, "BEOF").IsNil());
  }
  b->oCtx = Value();  // not a context object: nothing to end with the browse
  // A table object of another class keeps its blocks.
  static const xb::Class& other = xb::Class::Define("TPRUEBATABLA", &multi);
  const Value plain(other.New());
  xb::Send(plain, "_BBOF", {block});
  b->SetoDBF(plain);
  EXPECT_TRUE(xb::Send(plain, "BBOF").IsBlock());
}

TEST_F(TCBrowseTest, DateSeekByName) {
  const xb::FunctionTableSnapshot functions = xb::FunctionTableSnapshot::Take();
  int beeps = 0;
  xb::RegisterFunction("TONE", [&beeps](Args&) {
    ++beeps;
    return Value();
  });
  struct Case {
    const char* text;
    int key;
    const char* after;
    int beeps;
  } cases[] = {
      {"  -  -    ", '1', "1 -  -    ", 0},
      {"12-0 -    ", '3', "12-03-    ", 0},
      {"12-03-2004", '5', "12-03-2004", 1},  // no blank left
      {"12-0 -    ", 'x', "12-0 -    ", 1},  // not a digit
      {"12-0 -    ", 8, "12-  -    ", 0},
      {"12-  -    ", 8, "1 -  -    ", 0},    // over the separator
  };
  for (const Case& c : cases) {
    beeps = 0;
    EXPECT_EQ(xb::CallFunction("DATESEEK", {Value::String(c.text), Value::Integer(c.key)}).AsString(), c.after)
        << c.text << " " << c.key;
    EXPECT_EQ(beeps, c.beeps) << c.text << " " << c.key;
  }
  functions.Restore();
}

TEST_F(TCBrowseTest, AnUnfocusedBrowseKeepsItsRecordWhileOtherCodeMovesTheArea) {
  auto b = Browse();
  std::vector<std::string> painted;
  TCColumn::NewParams cp;
  cp.heading = Value::String("Pintado");
  cp.data = Blk([&](Args&) {
    painted.push_back(Field("CODIGO"));
    return Value::String(painted.back());
  });
  auto col = xb::MakeRef<TCColumn>();
  col->New(cp);
  col->nWidth = 60;
  b->InsColumn(1, col->Self());
  // Another window takes the focus (a window hands its own to its controls).
  auto other = Make(300, 300, 200, 100);
  ShowWindow(other->hWnd, SW_SHOW);
  SetFocus(b->hWnd);
  SetFocus(other->hWnd);  // the browse saves its place
  ASSERT_NE(GetFocus(), b->hWnd);
  // The caller seeks and asks for a refresh: the browse takes that record.
  X("DBSEEK('00100')");
  b->Refresh();
  painted.clear();
  UpdateWindow(b->hWnd);
  ASSERT_FALSE(painted.empty());
  EXPECT_EQ(painted.back(), "00100") << "the selected row";
  EXPECT_EQ(Field("CODIGO"), "00100");
  EXPECT_EQ(b->oVBar->GetPos(), KeyNo());
  // Other code moves the area without telling the browse: a repaint shows the browse's own
  // rows and leaves the area where that code put it.
  X("DBGOTOP()");
  painted.clear();
  RedrawWindow(b->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ASSERT_FALSE(painted.empty());
  EXPECT_EQ(painted.back(), "00100");
  EXPECT_EQ(Field("CODIGO"), "00001");
  // Back in the browse: its record again.
  SetFocus(b->hWnd);
  EXPECT_EQ(Field("CODIGO"), "00100");
  // Without the automatic context the browse paints from wherever the area is.
  b->SetContext(Value());
  SetFocus(other->hWnd);
  X("DBGOTOP()");
  painted.clear();
  RedrawWindow(b->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(Field("CODIGO"), painted.back());
}

}  // namespace
}  // namespace ui
