// The listing window over tables of thousands and of a million records: it shows at once and
// finds the records as it is scrolled; a move draws only the records that enter and tells
// those that leave; continuous subtotals read back from its file match a walk of the same
// records after every move by line, page, thumb, Home and End; groups are searched as the
// user asks; and every way of closing it ends the listing.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "output/listing_driver.h"
#include "output/listing_window.h"
#include "output/output_test_support.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/rdd/dbf_format.h"
#include "runtime/rdd/workareas.h"
#include "services/user_session.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/modeless_dialogs.h"
#include "ui/core/core_test_support.h"

namespace output {
namespace {

using test::TempFolder;
using xb::Args;
using xb::Value;
namespace dbf = xb::rdd::dbf;

Value X(const std::string& text) { return xb::EvalMacro(text); }
xb::rdd::WorkArea& Table() { return xb::rdd::WorkAreas::Get().Current(); }

// Record i's amount: quarters, some of them negative (kept exactly by the subtotal file).
double Amount(std::uint32_t i) { return static_cast<double>((i * 37) % 1000) / 4.0 - 50; }
// Record i's family: groups of `size` records.
std::string Family(std::uint32_t i, std::uint32_t size) {
  const std::uint32_t f = (i - 1) / size;
  return {static_cast<char>('A' + f / 26 % 26), static_cast<char>('A' + f % 26)};
}

// A table written straight to its file (CODIGO C 8, FAMILIA C 2, IMPORTE N 10 2), opened as
// the current area under `alias`.
void WriteTable(const std::string& path, const std::string& alias, std::uint32_t n, std::uint32_t family = 1000000) {
  dbf::Header header;
  std::vector<dbf::Field> fields;
  ASSERT_TRUE(dbf::Layout({{"CODIGO", 'C', 8, 0}, {"FAMILIA", 'C', 2, 0}, {"IMPORTE", 'N', 10, 2}},
                          dbf::MemoKind::kNone, &header, &fields)
                  .ok());
  header.record_count = n;
  std::string bytes = dbf::EncodeHeaderArea(header, fields);
  bytes.reserve(bytes.size() + static_cast<std::size_t>(n) * header.record_length + 1);
  std::string record(header.record_length, ' ');
  for (std::uint32_t i = 1; i <= n; ++i) {
    char code[16];
    std::snprintf(code, sizeof code, "%08u", i);
    dbf::EncodeCharacter(record.data(), fields[0], code);
    dbf::EncodeCharacter(record.data(), fields[1], Family(i, family));
    ASSERT_TRUE(dbf::EncodeNumber(record.data(), fields[2], Amount(i)).ok());
    bytes += record;
  }
  bytes.push_back(dbf::kEndOfFile);
  std::ofstream(path, std::ios::binary) << bytes;
  X("DBUSEAREA(.T., 'ADS', '" + path + "', '" + alias + "', .F., .F.)");
  X("DBGOTOP()");
}

// The listing's own code: a header, a detail line with the running subtotal, a footer; with
// saved subtotals it reads its subtotal back at event 15 and saves it after each record,
// through the messages compiled text sends. Every event is counted.
struct SubtotalListing {
  bool saved = true;
  int lines = 1;       // lines a record: with two the subtotal goes on the second
  double initial = 0;  // given to SetValIniSTC when not 0
  Value subtotal = Value::NewRef(Value::Number(0));
  std::map<std::int64_t, double> printed;  // record -> running subtotal it last showed
  std::map<int, int> count;                // event -> times since Reset
  std::vector<std::pair<int, int>> seen;   // (event, line) in order, since Reset
  std::function<void(int, Args&)> also;

  void Reset() {
    count.clear();
    seen.clear();
  }
  Value Block() {
    return Value(xb::Block::Native([this](Args& a) {
      const int event = static_cast<int>(a.Int(1));
      const int line = static_cast<int>(a.Int(2));
      ++count[event];
      seen.emplace_back(event, line);
      const Value window = Value(WList());
      auto say = [&](int row, int col, const Value& v) {
        ListingItem item;
        item.row = row;
        item.col = col;
        item.value = v;
        SayListado(item);
      };
      switch (event) {
        case kWinHeader:
          if (saved && initial != 0) xb::Send(window, "SETVALINISTC", {Value::Number(initial)});
          say(line, 0, Value::String("LISTADO CON SUBTOTALES"));
          a.SetRef(2, Value::Integer(line + 2));
          break;
        case kWinDetail: {
          const double amount = Table().GetField(3).AsDouble();
          subtotal.AsRefCell()->value = Value::Number(subtotal.Deref().AsDouble() + amount);
          printed[Table().recno()] = subtotal.Deref().AsDouble();
          say(line, 0, Table().GetField(1));
          say(line, 10, Table().GetField(3));
          say(lines == 2 ? line + 1 : line, 22, subtotal.Deref());
          if (saved) xb::Send(window, "SUBTOTCONTINUO", {subtotal, Value::Integer(0)});
          break;
        }
        case kWinSubtotals:
          if (saved) xb::Send(window, "SUBTOTCONTINUO", {subtotal, Value::Integer(-1)});
          break;
        case kWinFooter:
        case kWinFooter2:
          say(line, 0, Value::String(event == kWinFooter2 ? "Fin del listado" : "Sigue..."));
          break;
        default:
          break;
      }
      if (also) also(event, a);
      return Value();
    }));
  }
};

class ListingWindowTest : public ui::test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    test::StartListingRun(folder_.path(), functions_);
    nDestinoListado(0);
    // The program's main window, with its loop running: the listing window returns at once.
    main_ = Make<ui::TWindow>(10, 10, 300, 200);
    ui::SetWndApp(main_->hWnd);
    ui::SetLoopRunning(true);
  }
  void TearDown() override {
    for (const auto& open : WlAwList()) open->Close();
    X("WL_ISRUNNING(NIL, .T.)");
    xb::rdd::ResetTables();
    FrameworkTest::TearDown();
    functions_.Restore();
  }

  // The records of a walk of the table: those the filter keeps, in order.
  static std::vector<std::int64_t> Walk(std::uint32_t n, const std::function<bool(std::uint32_t)>& keep) {
    std::vector<std::int64_t> records;
    for (std::uint32_t i = 1; i <= n; ++i)
      if (keep(i)) records.push_back(i);
    return records;
  }

  TempFolder folder_;
  xb::FunctionTableSnapshot functions_;
  xb::Ref<ui::TWindow> main_;
};

// The client area's pixels as drawn now.
std::vector<std::uint32_t> ClientPixels(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HDC dc = GetDC(hwnd);
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* first = static_cast<const std::uint32_t*>(bits);
  std::vector<std::uint32_t> pixels(first, first + static_cast<std::size_t>(client.right) * client.bottom);
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(hwnd, dc);
  return pixels;
}

bool KeptByFilter(std::uint32_t i) { return i % 7 != 3; }

Value FilterBlock() {
  return Value(xb::Block::Native([](Args&) { return Value::Logical(KeptByFilter(Table().recno())); }));
}

// ---- scrolling with continuous subtotals ------------------------------------------------------------

TEST_F(ListingWindowTest, ContinuousSubtotalsMatchAWalkAfterEveryMove) {
  constexpr std::uint32_t kRecords = 3000;
  WriteTable(folder_ / "Ventas.dbf", "VENTAS", kRecords);
  const std::vector<std::int64_t> walk = Walk(kRecords, KeptByFilter);
  // The running subtotal from the initial value the listing sets.
  constexpr double kInitial = 1000.25;
  std::map<std::int64_t, double> running;
  double sum = kInitial;
  for (std::int64_t r : walk) running[r] = sum += Amount(static_cast<std::uint32_t>(r));

  // Records of one line and of two.
  for (int lines : {1, 2}) {
    SCOPED_TRACE(std::to_string(lines) + " lines a record");
    X("VENTAS->(DBGOTOP())");
    SubtotalListing listing;
    listing.initial = kInitial;
    listing.lines = lines;
    WListParams p;
    p.line = listing.Block();
    p.alias = "VENTAS";
    p.title = "Ventas con subtotales";
    p.for_ = FilterBlock();
    p.foot_lines = 1;
    p.save_subtotals = true;
    p.lines_per_record = lines;
    xb::Ref<TWList> w = WListNew(p);
    ASSERT_TRUE(w);
    HWND hwnd = w->Window()->hWnd;
    UpdateWindow(hwnd);
    const int per_page = w->RecordsPerPage();
    ASSERT_GT(per_page, 5);
    // Shown at once: only the first page was looked for.
    EXPECT_LE(w->KnownRecords(), per_page + 1);
    EXPECT_FALSE(w->RangeComplete());
    ASSERT_TRUE(w->oFileSTC);
    const std::string subtotal_file = w->oFileSTC->cFileName;

    int step = 0;
    auto check = [&](const std::string& move) {
      ++step;
      SCOPED_TRACE(move + " (step " + std::to_string(step) + ", position " + std::to_string(w->Position()) + ")");
      const std::vector<std::int64_t>& drawn = w->DrawnRecords();
      ASSERT_FALSE(drawn.empty());
      const auto at = static_cast<std::size_t>(w->Position());
      ASSERT_LE(at + drawn.size(), walk.size());
      EXPECT_TRUE(std::equal(drawn.begin(), drawn.end(), walk.begin() + static_cast<std::ptrdiff_t>(at)));
      for (std::int64_t record : drawn)
        ASSERT_NEAR(listing.printed[record], running[record], 0.001) << "record " << record;
      int scroll_min = 0, scroll_max = 0;
      GetScrollRange(hwnd, SB_VERT, &scroll_min, &scroll_max);
      EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), w->Position());
      EXPECT_GE(scroll_max, w->Position());
    };
    check("first page");
    // What the listing's code may read of the window.
    xb::SetMemvar(xb::Intern("oW"), Value(w));
    EXPECT_EQ(X("oW:nRegDetalle").AsInt(), per_page);
    EXPECT_EQ(X("oW:nLineasReg").AsInt(), lines);
    EXPECT_EQ(X("LEN(oW:aNReg)").AsInt(), per_page);
    EXPECT_EQ(X("oW:aNReg[1]").AsInt(), walk.front());
    EXPECT_TRUE(X("oW:lSalvarSTC").AsLogical());
    EXPECT_FALSE(X("oW:lEjectFor").AsLogical());
    EXPECT_EQ(X("oW:cAlias").AsString(), "VENTAS");
    EXPECT_EQ(X("oW:oFileSTC:cFileName").AsString(), subtotal_file);
    xb::SetMemvar(xb::Intern("oW"), Value());
    // While a record is scrolled in, the window says which move it is.
    std::vector<bool> line_down_seen;
    listing.also = [&line_down_seen](int event, Args&) {
      if (event == kWinSubtotals) line_down_seen.push_back(X("WLIST():lLineaDown .AND. !WLIST():lPaginaDown").AsLogical());
    };

    // Line by line: one record enters and one leaves; neither header nor footer is sent.
    for (int i = 0; i < 2 * per_page + 5; ++i) {
      listing.Reset();
      SendMessageA(hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
      EXPECT_EQ(listing.count[kWinDetail], 1);
      EXPECT_EQ(listing.count[kWinLeaves], 1);
      EXPECT_EQ(listing.count[kWinHeader] + listing.count[kWinFooter] + listing.count[kWinFooter2], 0);
      EXPECT_EQ(listing.count[kWinSubtotals], 1);
      check("line down");
    }
    EXPECT_EQ(w->Position(), 2 * per_page + 5);
    listing.also = nullptr;
    EXPECT_EQ(line_down_seen, std::vector<bool>(static_cast<std::size_t>(2 * per_page + 5), true));
    EXPECT_LT(w->KnownRecords(), 4 * per_page);  // the range grew with the scrolling only
    for (int i = 0; i < 4; ++i) {
      listing.Reset();
      SendMessageA(hwnd, WM_KEYDOWN, VK_NEXT, 0);
      EXPECT_EQ(listing.count[kWinDetail], per_page);
      EXPECT_EQ(listing.count[kWinLeaves], per_page);
      EXPECT_EQ(listing.count[kWinFooter], 1);
      EXPECT_EQ(listing.count[kWinHeader], 0);
      check("page down");
    }
    for (int i = 0; i < per_page + 3; ++i) {
      listing.Reset();
      SendMessageA(hwnd, WM_KEYDOWN, VK_UP, 0);
      EXPECT_EQ(listing.count[kWinDetail], 1);
      EXPECT_EQ(listing.count[kWinLeaves], 1);
      EXPECT_EQ(listing.count[kWinHeader] + listing.count[kWinFooter], 0);
      check("line up");
    }
    for (int i = 0; i < 2; ++i) {
      SendMessageA(hwnd, WM_VSCROLL, SB_PAGEUP, 0);
      check("page up");
    }
    // The vertical bar's message takes the keys' codes too: Down and Up a record, PgDn and
    // PgUp a page.
    struct KeyCode {
      WPARAM code;
      int records;
    };
    for (const KeyCode& k : {KeyCode{VK_DOWN, 1}, KeyCode{VK_NEXT, per_page}, KeyCode{VK_UP, -1},
                             KeyCode{VK_PRIOR, -per_page}}) {
      const std::int64_t before = w->Position();
      SendMessageA(hwnd, WM_VSCROLL, k.code, 0);
      EXPECT_EQ(w->Position(), before + k.records) << "code " << k.code;
      check("code " + std::to_string(k.code));
    }
    // By the thumb: ahead of what was found, back, ahead again, then Home and End.
    for (int to : {2100, 120, 1500, 1501, 1499, 2520}) {
      listing.Reset();
      SendMessageA(hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, to), 0);
      EXPECT_EQ(w->Position(), to);
      EXPECT_EQ(listing.count[kWinHeader], 0);
      check("thumb to " + std::to_string(to));
    }
    SendMessageA(hwnd, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(w->Position(), 0);
    check("home");
    SendMessageA(hwnd, WM_KEYDOWN, VK_END, 0);
    EXPECT_TRUE(w->RangeComplete());
    EXPECT_EQ(w->KnownRecords(), static_cast<std::int64_t>(walk.size()));
    EXPECT_EQ(w->DrawnRecords().back(), walk.back());
    check("end");
    listing.Reset();
    SendMessageA(hwnd, WM_KEYDOWN, VK_DOWN, 0);  // at the end: nothing
    EXPECT_EQ(listing.count[kWinDetail], 0);
    SendMessageA(hwnd, WM_KEYDOWN, VK_PRIOR, 0);
    check("page up from the end");
    SendMessageA(hwnd, WM_KEYDOWN, VK_NEXT, 0);
    check("page down to the end");
    for (int i = 0; i < 3; ++i) {
      SendMessageA(hwnd, WM_KEYDOWN, VK_UP, 0);
      check("line up near the end");
    }
    for (int i = 0; i < 3; ++i) {
      SendMessageA(hwnd, WM_KEYDOWN, VK_DOWN, 0);
      check("line down to the end");
    }
    // What the scrolling left on the screen is what a whole repaint draws.
    EXPECT_TRUE(vdr::test::SaveWindowBitmap(hwnd, vdr::test::ScreenshotFolder() + "\\listing_window_subtotals" + std::to_string(lines) + ".bmp"));
    const std::vector<std::uint32_t> scrolled = ClientPixels(hwnd);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    check("repaint");
    EXPECT_TRUE(scrolled == ClientPixels(hwnd)) << "the scrolled window differs from its repaint";
    // Back to the start: the initial value.
    SendMessageA(hwnd, WM_VSCROLL, SB_TOP, 0);
    check("top");
    EXPECT_NEAR(listing.printed[walk.front()], kInitial + Amount(static_cast<std::uint32_t>(walk.front())), 0.001);
    EXPECT_NE(GetFileAttributesA(subtotal_file.c_str()), INVALID_FILE_ATTRIBUTES);
    w->Close();
  }
}

// A window made smaller drops the records that no longer fit (event 11); made larger again it
// draws more, their subtotals continuing from the position.
TEST_F(ListingWindowTest, AResizedWindowKeepsItsSubtotals) {
  WriteTable(folder_ / "Ventas.dbf", "VENTAS", 400);
  SubtotalListing listing;
  WListParams p;
  p.line = listing.Block();
  p.alias = "VENTAS";
  p.save_subtotals = true;
  p.foot_lines = 1;
  xb::Ref<TWList> w = WListNew(p);
  ASSERT_TRUE(w);
  HWND hwnd = w->Window()->hWnd;
  UpdateWindow(hwnd);
  for (int i = 0; i < 30; ++i) SendMessageA(hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
  const int per_page = w->RecordsPerPage();
  RECT frame;
  GetWindowRect(hwnd, &frame);
  listing.Reset();
  SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, (frame.bottom - frame.top) / 2,
               SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_LT(w->RecordsPerPage(), per_page);
  EXPECT_EQ(listing.count[kWinLeaves], per_page - w->RecordsPerPage());
  SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + 120,
               SWP_NOMOVE | SWP_NOZORDER);
  UpdateWindow(hwnd);
  EXPECT_GT(w->RecordsPerPage(), per_page);
  for (int i = 0; i < 5; ++i) SendMessageA(hwnd, WM_KEYDOWN, i < 2 ? VK_NEXT : VK_DOWN, 0);
  SendMessageA(hwnd, WM_KEYDOWN, VK_PRIOR, 0);
  double sum = 0;
  std::map<std::int64_t, double> running;
  for (std::uint32_t i = 1; i <= 400; ++i) running[i] = sum += Amount(i);
  ASSERT_EQ(static_cast<int>(w->DrawnRecords().size()), w->RecordsPerPage());
  for (std::int64_t record : w->DrawnRecords())
    EXPECT_NEAR(listing.printed[record], running[record], 0.001) << "record " << record;
}

// ---- groups ---------------------------------------------------------------------------------------

TEST_F(ListingWindowTest, GroupsAreSearchedAsAskedAndKeepTheirOwnSubtotals) {
  constexpr std::uint32_t kRecords = 250, kFamily = 100;  // families of 100, 100 and 50
  WriteTable(folder_ / "Ventas.dbf", "VENTAS", kRecords, kFamily);
  SubtotalListing listing;
  std::vector<std::string> groups_seen;
  listing.also = [&](int event, Args& a) {
    const std::string code(Table().GetField(1).AsString());
    if (event == kWinGroupRecord || event == kWinNewGroup || event == kWinGroupAgain || event == kWinSearch)
      groups_seen.push_back(std::to_string(event) + ":" + std::to_string(a.Int(2)) + ":" + code);
  };
  WListParams p;
  p.line = listing.Block();
  p.alias = "VENTAS";
  p.group = Value(xb::Block::Native([](Args&) { return Table().GetField(2); }));
  p.group_navigation = true;
  p.save_subtotals = true;
  xb::Ref<TWList> w = WListNew(p);
  ASSERT_TRUE(w);
  HWND hwnd = w->Window()->hWnd;
  UpdateWindow(hwnd);
  const int per_page = w->RecordsPerPage();
  auto check_group = [&](std::uint32_t first) {
    double sum = 0;
    for (std::int64_t record : w->DrawnRecords()) {
      EXPECT_EQ(Family(static_cast<std::uint32_t>(record), kFamily), Family(first, kFamily));
      sum = 0;
      for (auto i = first; i <= record; ++i) sum += Amount(i);
      EXPECT_NEAR(listing.printed[record], sum, 0.001) << "record " << record;
    }
  };
  HWND next = nullptr, previous = nullptr;
  for (const auto& [letter, button] : w->Window()->buttons) {
    if (letter == 'S') next = button->hWnd;
    if (letter == 'A') previous = button->hWnd;
  }
  ASSERT_TRUE(next && previous);
  EXPECT_FALSE(IsWindowEnabled(previous));
  // Totales answers the group's own subtotal.
  EXPECT_EQ(X("WLIST():Totales()").AsInt(), 0);
  X("WLIST():Totales(111)");
  for (int i = 0; i < 2; ++i) SendMessageA(hwnd, WM_KEYDOWN, VK_NEXT, 0);
  check_group(1);
  const std::int64_t last_shown = w->DrawnRecords().back();
  // [S]iguiente: the rest of the group is passed on (event 10), then the next one shown.
  groups_seen.clear();
  SendMessageA(hwnd, WM_KEYDOWN, 'S', 0);
  EXPECT_EQ(w->Group(), 1) << "the key only shows the button pressed";
  EXPECT_TRUE(SendMessageA(next, BM_GETSTATE, 0, 0) & BST_PUSHED);
  SendMessageA(hwnd, WM_KEYUP, 'S', 0);
  EXPECT_FALSE(SendMessageA(next, BM_GETSTATE, 0, 0) & BST_PUSHED);
  ASSERT_EQ(w->Group(), 2);
  ASSERT_FALSE(groups_seen.empty());
  EXPECT_EQ(groups_seen.front().substr(0, 5), "14:0:");
  EXPECT_EQ(groups_seen[1], "10:0:" + std::string(8 - std::to_string(last_shown + 1).size(), '0') +
                                std::to_string(last_shown + 1));
  EXPECT_EQ(groups_seen.back(), "12:0:00000101");
  EXPECT_EQ(static_cast<int>(groups_seen.size()), 2 + 100 - static_cast<int>(last_shown));
  EXPECT_EQ(w->DrawnRecords().front(), 101);
  EXPECT_EQ(w->KnownRecords(), per_page);  // the new group shows at once
  EXPECT_TRUE(IsWindowEnabled(previous));
  check_group(101);
  EXPECT_EQ(X("WLIST():Totales()").AsInt(), 0);
  X("WLIST():Totales(222)");
  for (int i = 0; i < 4; ++i) SendMessageA(hwnd, WM_VSCROLL, SB_LINEDOWN, 0);
  check_group(101);
  // The third and last group; then the search finds the end: event 14 with -1.
  SendMessageA(next, BM_CLICK, 0, 0);
  ASSERT_EQ(w->Group(), 3);
  check_group(201);
  groups_seen.clear();
  SendMessageA(next, BM_CLICK, 0, 0);
  EXPECT_EQ(w->Group(), 3);
  ASSERT_FALSE(groups_seen.empty());
  EXPECT_EQ(groups_seen.back().substr(0, 6), "14:-1:");
  EXPECT_FALSE(IsWindowEnabled(next));
  EXPECT_TRUE(w->RangeComplete());
  // Back: a group seen again (event 13) from its start, its subtotals and Totales its own.
  listing.Reset();
  SendMessageA(previous, BM_CLICK, 0, 0);
  EXPECT_EQ(w->Group(), 2);
  EXPECT_EQ(listing.count[kWinGroupAgain], 1);
  EXPECT_EQ(w->Position(), 0);
  check_group(101);
  EXPECT_EQ(X("WLIST():Totales()").AsInt(), 222);
  SendMessageA(hwnd, WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(w->DrawnRecords().back(), 200);
  check_group(101);
  for (int i = 0; i < 3; ++i) SendMessageA(hwnd, WM_KEYDOWN, VK_PRIOR, 0);
  check_group(101);
  SendMessageA(previous, BM_CLICK, 0, 0);
  EXPECT_EQ(w->Group(), 1);
  EXPECT_EQ(X("WLIST():Totales()").AsInt(), 111);
  EXPECT_FALSE(IsWindowEnabled(previous));
  EXPECT_TRUE(IsWindowEnabled(next));
  SendMessageA(hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 60), 0);
  check_group(1);
}

// ---- closing ---------------------------------------------------------------------------------------

// Where the window's close box is, in screen coordinates.
POINT CloseBox(HWND hwnd) {
  RECT frame;
  GetWindowRect(hwnd, &frame);
  const int caption = GetSystemMetrics(SM_CYCAPTION);
  for (int x = frame.right - 2; x > frame.right - 6 * caption; --x) {
    for (int y = frame.top + 2; y < frame.top + caption + 8; y += 2) {
      if (SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) return {x - caption / 4, y + 2};
    }
  }
  return {-1, -1};
}

// The mouse at a screen point, as the system's input (the position travels with the event).
void Mouse(DWORD flags, int x, int y) {
  INPUT i{};
  i.type = INPUT_MOUSE;
  i.mi.dx = (x * 65536 + 32768) / GetSystemMetrics(SM_CXSCREEN);
  i.mi.dy = (y * 65536 + 32768) / GetSystemMetrics(SM_CYSCREEN);
  i.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &i, sizeof i);
}

// Inputs one timer tick apart, as a hand gives them (the ticks go on inside the modal loops
// of the frame and the scroll bar while they follow the mouse).
void InputSteps(const std::vector<std::function<void()>>& steps, const std::function<bool()>& done) {
  std::size_t next = 0;
  test::Ticker ticker(60, [&] {
    if (next < steps.size()) steps[next++]();
  });
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return next == steps.size() && done(); }, 20000));
  vdr::test::PumpPending();
}

// A click given at once, move, press and release (the frame's button follows the mouse in a
// loop of its own that takes only mouse messages).
void Click(POINT at) {
  Mouse(0, at.x, at.y);
  Mouse(MOUSEEVENTF_LEFTDOWN, at.x, at.y);
  Mouse(MOUSEEVENTF_LEFTUP, at.x, at.y);
}

TEST_F(ListingWindowTest, EveryWayOfClosingEndsTheListing) {
  WriteTable(folder_ / "Ventas.dbf", "VENTAS", 200);
  struct Case {
    const char* how;
    std::function<void(HWND, TWList&)> close;
  };
  const std::vector<Case> cases = {
      {"the close box",
       [](HWND hwnd, TWList&) {
         const POINT box = CloseBox(hwnd);
         ASSERT_GE(box.x, 0) << "no close box found";
         Click(box);
       }},
      {"Alt+F4", [](HWND, TWList&) { ui::test::PressKeys({VK_MENU, VK_F4}); }},
      {"Escape", [](HWND, TWList&) { ui::test::PressKeys({VK_ESCAPE}); }},
      {"the [C]errar button",
       [](HWND hwnd, TWList& w) {
         for (const auto& [letter, button] : w.Window()->buttons)
           if (letter == 'C') SendMessageA(button->hWnd, BM_CLICK, 0, 0);
         (void)hwnd;
       }},
      {"the C key, on its release",
       [](HWND hwnd, TWList&) {
         SendMessageA(hwnd, WM_KEYDOWN, 'C', 0);
         EXPECT_TRUE(IsWindow(hwnd)) << "pressing the key only shows the button pressed";
         SendMessageA(hwnd, WM_KEYUP, 'C', 0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    // A window registered as running, hidden and disabled while the listing shows.
    auto running = Make<ui::TWindow>(20, 400, 200, 120);
    ShowWindow(running->hWnd, SW_HIDE);
    EnableWindow(running->hWnd, FALSE);
    xb::CallFunction("WL_ISRUNNING", {Value(xb::ObjectRef(running)), Value::Logical(false)});
    ShowWindow(main_->hWnd, SW_HIDE);
    X("VENTAS->(DBGOTOP())");
    SubtotalListing listing;
    int ended = 0;
    WListParams p;
    p.line = listing.Block();
    p.alias = "VENTAS";
    p.save_subtotals = true;
    p.end = Value(xb::Block::Native([&](Args&) {
      ++ended;
      EXPECT_EQ(Table().alias(), "VENTAS");
      return Value();
    }));
    nDestinoListado(kWindow);
    xb::Ref<TWList> w = WListNew(p);
    ASSERT_TRUE(w);
    EXPECT_TRUE(X("LWINOWN()").AsLogical());
    HWND hwnd = w->Window()->hWnd;
    char item[64] = {};
    GetMenuStringA(GetSystemMenu(hwnd, FALSE), SC_CLOSE, item, sizeof item, MF_BYCOMMAND);
    EXPECT_STREQ(item, "Cerrar Esc, Alt+F4");
    SetForegroundWindow(hwnd);
    SetFocus(hwnd);
    UpdateWindow(hwnd);
    vdr::test::PumpPending();
    const std::string subtotal_file = w->oFileSTC->cFileName;
    ASSERT_NE(GetFileAttributesA(subtotal_file.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(X("LEN(WL_AWLIST())").AsInt(), 1);

    c.close(hwnd, *w);
    EXPECT_TRUE(vdr::test::PumpUntil([&] { return !IsWindow(hwnd); }, 5000));
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(GetFileAttributesA(subtotal_file.c_str()), INVALID_FILE_ATTRIBUTES) << subtotal_file;
    EXPECT_TRUE(IsWindowVisible(main_->hWnd));
    EXPECT_TRUE(IsWindowVisible(running->hWnd)) << "the end-of-listing hook";
    EXPECT_TRUE(IsWindowEnabled(running->hWnd));
    EXPECT_EQ(nDestinoListado(), 0);
    EXPECT_EQ(X("LEN(WL_AWLIST())").AsInt(), 0);
    EXPECT_FALSE(w->Window());
    X("WL_ISRUNNING(NIL, .T.)");
  }
}

// ---- a long pass --------------------------------------------------------------------------------------

// Another thread's look at the listing window while the test's thread is in a pass: whether the
// window answers, whether it paints what is uncovered, then a key or command posted to it.
class Prober {
 public:
  Prober(HWND hwnd, std::atomic<bool>& in_pass, UINT message, WPARAM wparam, std::string screenshot)
      : thread_([=, this, &in_pass] {
          while (!in_pass) Sleep(5);
          Sleep(400);
          for (int i = 0; i < 5 && in_pass; ++i) {
            DWORD_PTR result = 0;
            const DWORD sent = GetTickCount();
            if (SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0) ++answered;
            slowest = std::max<DWORD>(slowest, GetTickCount() - sent);
            Sleep(20);
          }
          // Uncovered: the whole client area waits to be painted, and is, while the pass goes on.
          InvalidateRect(hwnd, nullptr, TRUE);
          for (int i = 0; i < 100 && in_pass && GetUpdateRect(hwnd, nullptr, FALSE); ++i) Sleep(10);
          painted = in_pass && !GetUpdateRect(hwnd, nullptr, FALSE);
          if (painted && !screenshot.empty())
            vdr::test::SaveWindowBitmap(hwnd, vdr::test::ScreenshotFolder() + "\\" + screenshot);
          still_in_pass = in_pass.load();
          PostMessageA(hwnd, message, wparam, message == WM_KEYDOWN ? 1 : 0);
        }) {}
  ~Prober() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }
  std::atomic<int> answered{0};
  std::atomic<DWORD> slowest{0};
  std::atomic<bool> painted{false}, still_in_pass{false};

 private:
  std::thread thread_;
};

// Dragging the thumb far ahead through a listing whose filter is slow keeps the window
// answering: it answers messages, paints what is uncovered with a note of how far the pass has
// got, and Escape stops the pass where it is, the window showing as far as it got with its
// subtotals right. Closing it during a pass (Alt+F4) stops the pass and ends the listing after.
TEST_F(ListingWindowTest, ALongPassKeepsTheWindowAnsweringAndEscapeStopsIt) {
  constexpr std::uint32_t kRecords = 4000;
  WriteTable(folder_ / "Lento.dbf", "LENTO", kRecords);
  const std::vector<std::int64_t> walk = Walk(kRecords, KeptByFilter);
  std::map<std::int64_t, double> running;
  double sum = 0;
  for (std::int64_t r : walk) running[r] = sum += Amount(static_cast<std::uint32_t>(r));
  SubtotalListing listing;
  TWList* shown = nullptr;
  std::string note;
  bool ended = false;
  WListParams p;
  p.line = listing.Block();
  p.alias = "LENTO";
  p.title = "Filtro lento";
  p.save_subtotals = true;
  p.foot_lines = 1;
  // A millisecond a record: passing thousands of them takes seconds.
  p.for_ = Value(xb::Block::Native([&](Args&) {
    Sleep(1);
    if (shown != nullptr && shown->Busy() && !shown->PassNote().empty()) note = shown->PassNote();
    return Value::Logical(KeptByFilter(Table().recno()));
  }));
  p.end = Value(xb::Block::Native([&](Args&) {
    ended = true;
    return Value();
  }));
  xb::Ref<TWList> w = WListNew(p);
  ASSERT_TRUE(w);
  shown = w.get();
  HWND hwnd = w->Window()->hWnd;
  UpdateWindow(hwnd);
  std::atomic<bool> in_pass{false};
  {
    Prober prober(hwnd, in_pass, WM_KEYDOWN, VK_ESCAPE, "listing_window_long_pass.bmp");
    in_pass = true;
    SendMessageA(hwnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 3200), 0);
    in_pass = false;
    prober.Join();
    // The window answered and painted while the pass ran; Escape stopped it before the target.
    EXPECT_EQ(prober.answered, 5);
    EXPECT_LT(prober.slowest, 500u);
    EXPECT_TRUE(prober.painted);
    EXPECT_TRUE(prober.still_in_pass);
  }
  HWND still = w->Window() ? w->Window()->hWnd : nullptr;
  EXPECT_EQ(still, hwnd) << "Escape stops the pass, not the listing";
  EXPECT_FALSE(w->Busy());
  EXPECT_LT(w->Position(), 3200);
  EXPECT_GT(w->Position(), 0);
  EXPECT_LT(w->KnownRecords(), 3200);
  EXPECT_TRUE(note.rfind("Recorriendo el listado: ", 0) == 0 && note.find(" Esc para parar.") != std::string::npos)
      << note;
  // As far as it got, with its subtotals.
  auto check = [&](const std::string& what) {
    SCOPED_TRACE(what);
    const std::vector<std::int64_t>& drawn = w->DrawnRecords();
    ASSERT_EQ(static_cast<int>(drawn.size()), w->RecordsPerPage());
    const auto at = static_cast<std::size_t>(w->Position());
    EXPECT_TRUE(std::equal(drawn.begin(), drawn.end(), walk.begin() + static_cast<std::ptrdiff_t>(at)));
    for (std::int64_t record : drawn) EXPECT_NEAR(listing.printed[record], running[record], 0.001) << record;
  };
  check("stopped thumb");
  for (int i = 0; i < 3; ++i) SendMessageA(hwnd, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageA(hwnd, WM_KEYDOWN, VK_NEXT, 0);
  check("moved on");

  // Closed during the pass to the end: the pass stops, then the listing ends.
  std::atomic<bool> to_end{false};
  bool closed_in_pass = false;
  {
    Prober prober(hwnd, to_end, WM_SYSCOMMAND, SC_CLOSE, {});
    to_end = true;
    SendMessageA(hwnd, WM_KEYDOWN, VK_END, 0);
    to_end = false;
    closed_in_pass = IsWindow(hwnd) != FALSE;
    prober.Join();
    EXPECT_TRUE(prober.still_in_pass);
    EXPECT_TRUE(prober.painted);
  }
  EXPECT_TRUE(closed_in_pass) << "the window closes after the pass, not inside it";
  EXPECT_FALSE(w->RangeComplete());
  ASSERT_TRUE(vdr::test::PumpUntil([&] { return !IsWindow(hwnd); }, 5000));
  EXPECT_TRUE(ended);
  EXPECT_TRUE(WlAwList().empty());
  EXPECT_EQ(nDestinoListado(), 0);
}

// ---- a million records ----------------------------------------------------------------------------

// The thumb of the window's bar dragged by the mouse to `fraction` of its way.
void DragThumb(HWND hwnd, double fraction) {
  SCROLLBARINFO bar{};
  bar.cbSize = sizeof bar;
  ASSERT_TRUE(GetScrollBarInfo(hwnd, OBJID_VSCROLL, &bar));
  const int x = (bar.rcScrollBar.left + bar.rcScrollBar.right) / 2;
  const int thumb = bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2;
  const int arrow = bar.rcScrollBar.right - bar.rcScrollBar.left;
  const int y = bar.rcScrollBar.top + arrow +
                static_cast<int>(fraction * (bar.rcScrollBar.bottom - bar.rcScrollBar.top - 2 * arrow));
  InputSteps({[=] { Mouse(0, x, thumb); }, [=] { Mouse(MOUSEEVENTF_LEFTDOWN, x, thumb); },
              [=] { Mouse(0, x, (thumb + y) / 2); }, [=] { Mouse(0, x, y); },
              [=] { Mouse(MOUSEEVENTF_LEFTUP, x, y); }},
             [] { return GetCapture() == nullptr; });
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The q-th record the filter keeps (from 0): six of every seven, all but 7k + 3.
std::int64_t KeptRecord(std::int64_t q) { return 7 * (q / 6) + (q % 6 < 2 ? q % 6 + 1 : q % 6 + 2); }

TEST_F(ListingWindowTest, AMillionRecordsShowAtOnceAndReachTheirEnd) {
  constexpr std::uint32_t kRecords = 1000000;
  constexpr std::int64_t kKept = kRecords - (kRecords + 4) / 7;
  WriteTable(folder_ / "Grande.dbf", "GRANDE", kRecords);
  SubtotalListing listing;
  listing.saved = false;
  WListParams p;
  p.line = listing.Block();
  p.alias = "GRANDE";
  p.title = "Un millón de registros";
  p.for_ = FilterBlock();
  p.while_ = X("{|| .F. }");
  auto start = std::chrono::steady_clock::now();
  xb::Ref<TWList> w = WListNew(p);
  ASSERT_TRUE(w);
  HWND hwnd = w->Window()->hWnd;
  UpdateWindow(hwnd);
  const double shown = Seconds(start);
  const int per_page = w->RecordsPerPage();
  EXPECT_LE(w->KnownRecords(), per_page + 1);
  // The bar reaches as far as the table may hold before the records are found.
  int low = 0, high = 0;
  GetScrollRange(hwnd, SB_VERT, &low, &high);
  EXPECT_EQ(high, static_cast<int>(kRecords) - per_page);

  SetForegroundWindow(hwnd);
  SetFocus(hwnd);
  start = std::chrono::steady_clock::now();
  DragThumb(hwnd, 0.5);
  const double to_middle = Seconds(start);
  const std::int64_t middle = w->Position();
  EXPECT_GT(middle, kKept / 4);
  EXPECT_LT(middle, kKept * 3 / 4);
  EXPECT_FALSE(w->RangeComplete());
  ASSERT_EQ(static_cast<int>(w->DrawnRecords().size()), per_page);
  EXPECT_EQ(w->DrawnRecords().front(), KeptRecord(middle));

  // Ctrl+End, pressed as a person does.
  listing.Reset();
  start = std::chrono::steady_clock::now();
  ui::test::PressKeys({VK_CONTROL, VK_END});
  ASSERT_TRUE(vdr::test::PumpUntil([&] { return w->RangeComplete() && !w->DrawnRecords().empty() &&
                                                w->DrawnRecords().back() == kRecords; },
                                   20000));
  const double to_end = Seconds(start);
  EXPECT_EQ(w->KnownRecords(), kKept);
  EXPECT_EQ(listing.count[kWinDetail], per_page) << "only the page shown is drawn";
  GetScrollRange(hwnd, SB_VERT, &low, &high);
  EXPECT_EQ(high, kKept - per_page);
  EXPECT_EQ(GetScrollPos(hwnd, SB_VERT), high);

  // Known now, the thumb goes anywhere at once.
  start = std::chrono::steady_clock::now();
  DragThumb(hwnd, 0.25);
  const double to_quarter = Seconds(start);
  EXPECT_EQ(w->DrawnRecords().front(), KeptRecord(w->Position()));
  EXPECT_LT(w->Position(), middle);
  std::printf("listing window over %u records: shown in %.3f s; thumb dragged to the middle in %.3f s, "
              "Ctrl+End then in %.3f s, thumb to a quarter in %.3f s (the drags take 0.3 s of timer ticks)\n",
              kRecords, shown, to_middle, to_end, to_quarter);
}

}  // namespace
}  // namespace output
