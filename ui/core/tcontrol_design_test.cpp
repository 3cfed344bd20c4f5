// A control's design mode (the grid, the sizing dots, moving, resizing and deleting with the
// mouse and the keyboard), dragging its data over other windows, its docking slot and its
// place read through the window.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/array.h"
#include "runtime/macro.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/mouse_input.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/cursors.h"
#include "ui/bridge/device_context.h"
#include "ui/core/core_test_support.h"
#include "ui/core/design_dots.h"
#include "ui/core/plain_control.h"

namespace ui {
namespace {

using test::Blk;
using vdr::test::DialogAnswerer;
using vdr::test::LeftButton;
using vdr::test::MouseToClient;
using xb::Args;
using xb::Value;

TEST(DesignGridTest, PointsSnapToTheNearestGridLine) {
  struct Case {
    int value, step, snapped;
  };
  for (const Case& c : std::vector<Case>{{0, 8, 0}, {3, 8, 0}, {4, 8, 8}, {11, 8, 8}, {12, 8, 16}, {-3, 8, 0},
                                         {-4, 8, 0}, {-5, 8, -8}, {-12, 8, -8}, {-13, 8, -16}, {7, 1, 7}, {14, 10, 10},
                                         {15, 10, 20}}) {
    EXPECT_EQ(SnapToGrid(c.value, c.step), c.snapped) << c.value << " on " << c.step;
  }
}

TEST(DesignGridTest, MovesAndDotsGiveTheirRectangles) {
  const Rect start{40, 40, 64, 136};  // top, left, bottom, right
  const GridSize grid{8, 8};
  struct Case {
    int dot, dx, dy;
    Rect expected;
  };
  for (const Case& c : std::vector<Case>{
           {0, 16, -8, {32, 56, 56, 152}},   // the whole control
           {1, 8, 8, {48, 48, 64, 136}},     // top-left corner
           {2, 24, -16, {24, 40, 64, 136}},  // top edge: only rows count
           {3, 16, 8, {48, 40, 64, 152}},    // top-right corner
           {4, -16, 40, {40, 40, 64, 120}},  // right edge: only columns count
           {5, 16, 16, {40, 40, 80, 152}},   // bottom-right corner
           {6, 8, 32, {40, 40, 96, 136}},    // bottom edge
           {7, -8, -8, {40, 32, 56, 136}},   // bottom-left corner
           {8, 24, 0, {40, 64, 64, 136}},    // left edge
           // Dragged past the opposite edge, the control stays a grid step wide and high.
           {4, -200, 0, {40, 40, 64, 48}},
           {1, 200, 200, {56, 128, 64, 136}},
           {6, 0, -100, {40, 40, 48, 136}},
       }) {
    EXPECT_EQ(DragRect(start, c.dot, c.dx, c.dy, grid), c.expected) << "dot " << c.dot;
  }
}

class ControlDesignTest : public test::FrameworkTest {
 protected:
  void TearDown() override {
    SetGridSize(8, 8);
    test::FrameworkTest::TearDown();
  }

  // A shown window that has the input, as a person's window has it.
  xb::Ref<TWindow> Shown(int top, int left, int width, int height) {
    auto w = Make(top, left, width, height);
    ShowWindow(w->hWnd, SW_SHOW);
    SetForegroundWindow(w->hWnd);
    UpdateWindow(w->hWnd);
    vdr::test::PumpPending();
    return w;
  }

  static xb::Ref<PlainControl> Button(const WindowRef& parent, int top, int left, int width, int height,
                                      const std::string& caption, DWORD more_style = 0) {
    PlainControl::Params p;
    p.top = top;
    p.left = left;
    p.width = width;
    p.height = height;
    p.windows_class = "BUTTON";
    p.caption = caption;
    p.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | more_style;
    p.parent = parent;
    return PlainControl::Place(p);
  }

  static xb::Ref<PlainControl> Designed(const WindowRef& parent, int top, int left, int width, int height,
                                        const std::string& caption) {
    // As the controls made in design mode, it does not paint over the dots.
    auto control = Button(parent, top, left, width, height, caption, WS_CLIPSIBLINGS);
    control->lDesign = true;
    control->CheckDots();
    return control;
  }

  // The dots' centres in their parent's client area, when all eight show.
  static std::vector<POINT> ShownDots() {
    std::vector<POINT> centres;
    for (HWND dot : DesignDotWindows()) {
      if (dot == nullptr || !IsWindowVisible(dot)) return {};
      const Rect r = GetCoors(dot);
      centres.push_back({r.left + kDotSize / 2, r.top + kDotSize / 2});
    }
    return centres;
  }

  static std::vector<POINT> DotsAround(const Rect& r) {
    std::vector<POINT> centres;
    for (int dot = 1; dot <= kDotCount; ++dot) centres.push_back(DotCentre(r, dot));
    return centres;
  }

  static bool Same(const std::vector<POINT>& a, const std::vector<POINT>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (a[i].x != b[i].x || a[i].y != b[i].y) return false;
    }
    return true;
  }

  static void Drag(HWND window, POINT from, POINT to) {
    ASSERT_TRUE(MouseToClient(window, from));
    LeftButton(true);
    // A person's drag passes through the points between.
    ASSERT_TRUE(MouseToClient(window, {(from.x + to.x) / 2, (from.y + to.y) / 2}));
    ASSERT_TRUE(MouseToClient(window, to));
  }
};

TEST_F(ControlDesignTest, GridSizeIsSetAndReadByName) {
  auto grid = [] {
    const xb::Array a = xb::EvalMacro("GETGRIDSIZE()").AsArray();
    return std::pair<std::int64_t, std::int64_t>{a.Get(0).AsInt(), a.Get(1).AsInt()};
  };
  EXPECT_EQ(grid(), (std::pair<std::int64_t, std::int64_t>{8, 8}));
  struct Case {
    const char* call;
    std::int64_t width, height;
  };
  for (const Case& c : std::vector<Case>{{"SETGRIDSIZE(10)", 10, 10},
                                         {"SETGRIDSIZE(4, 6)", 4, 6},
                                         {"SETGRIDSIZE(, 12)", 4, 12},
                                         {"SETGRIDSIZE('x')", 4, 12},
                                         {"SETGRIDSIZE(0, -3)", 1, 1},
                                         {"SETGRIDSIZE(99999999999)", 1000, 1000}}) {
    xb::EvalMacro(c.call);
    EXPECT_EQ(grid(), (std::pair<std::int64_t, std::int64_t>{c.width, c.height})) << c.call;
  }
}

// Design mode driven by the mouse and the keyboard as a person does it: a click gives the
// control the dots, dragging it moves it on the grid when the button is released, dragging a
// dot resizes it, and Delete asks before ending it.
TEST_F(ControlDesignTest, TheMouseMovesAndResizesADesignedControlOnTheGrid) {
  auto w = Shown(40, 40, 420, 300);
  auto uno = Designed(w, 40, 40, 96, 24, "Uno");
  auto dos = Designed(w, 160, 220, 96, 24, "Dos");
  ASSERT_NE(uno->hWnd, nullptr);
  EXPECT_TRUE(uno->lDrag);
  for (HWND dot : DesignDotWindows()) {
    ASSERT_NE(dot, nullptr);
    EXPECT_EQ(GetParent(dot), w->hWnd);
    EXPECT_FALSE(IsWindowVisible(dot)) << "the dots show with the focus";
  }

  // A click: the focus and the dots, and the button does not press.
  int clicks = 0;
  uno->on_click = [&] { ++clicks; };
  ASSERT_TRUE(MouseToClient(uno->hWnd, {20, 12}));
  LeftButton(true);
  LeftButton(false);
  EXPECT_EQ(GetFocus(), uno->hWnd);
  EXPECT_EQ(w->nLastKey, 1002);
  EXPECT_TRUE(Same(ShownDots(), DotsAround(GetCoors(uno->hWnd)))) << "the dots around the control";
  EXPECT_EQ(clicks, 0);

  // Moved by (+37, +21): by grid steps, when the button is released.
  Drag(uno->hWnd, {10, 10}, {47, 31});
  EXPECT_EQ(GetCoors(uno->hWnd), (Rect{40, 40, 64, 136})) << "only a frame follows the mouse";
  EXPECT_TRUE(vdr::test::SaveWindowBitmap(w->hWnd, vdr::test::ScreenshotFolder() + "\\control_design_move.bmp"));
  EXPECT_TRUE(uno->lCaptured);
  LeftButton(false);
  EXPECT_FALSE(uno->lCaptured);
  EXPECT_EQ(GetCoors(uno->hWnd), (Rect{64, 80, 88, 176}));
  EXPECT_EQ(uno->nTop, 64);
  EXPECT_EQ(uno->nLeft, 80);
  EXPECT_TRUE(Same(ShownDots(), DotsAround(GetCoors(uno->hWnd)))) << "the dots follow";

  // The bottom-right dot dragged by (+20, +13): two grid steps each way.
  const POINT corner = DotCentre(GetCoors(uno->hWnd), 5);
  Drag(w->hWnd, corner, {corner.x + 20, corner.y + 13});
  EXPECT_EQ(uno->nMResize, 5);
  LeftButton(false);
  EXPECT_EQ(uno->nMResize, 0);
  EXPECT_EQ(GetCoors(uno->hWnd), (Rect{64, 80, 104, 192}));
  EXPECT_TRUE(Same(ShownDots(), DotsAround(GetCoors(uno->hWnd))));

  // The left dot dragged far right: the control keeps a grid step of width.
  const POINT left = DotCentre(GetCoors(uno->hWnd), 8);
  Drag(w->hWnd, left, {left.x + 150, left.y});
  LeftButton(false);
  EXPECT_EQ(GetCoors(uno->hWnd), (Rect{64, 184, 104, 192}));

  // A coarser grid.
  SetGridSize(20, 20);
  Drag(dos->hWnd, {5, 5}, {5 + 33, 5 + 3});
  LeftButton(false);
  EXPECT_EQ(GetCoors(dos->hWnd), (Rect{160, 260, 184, 356})) << "from (220, 160) to (260, 160)";
  SetGridSize(8, 8);

  // Back to the first control, resized so that the screenshot shows it.
  MouseToClient(uno->hWnd, {3, 3});
  LeftButton(true);
  LeftButton(false);
  uno->Move(64, 80, 112, 40);
  EXPECT_TRUE(Same(ShownDots(), DotsAround(GetCoors(uno->hWnd)))) << "Move: the dots follow";
  RedrawWindow(w->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  vdr::test::PumpPending();
  EXPECT_TRUE(vdr::test::SaveWindowBitmap(w->hWnd, vdr::test::ScreenshotFolder() + "\\control_design_dots.bmp"));

  // Delete asks; "No" keeps the control.
  {
    DialogAnswerer answerer(DialogAnswerer::Press("No"));
    test::PressKeys({VK_DELETE});
    vdr::test::PumpUntil([&] { return !answerer.seen().empty(); }, 3000);
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].AllText(), "Delete this control ?");
  }
  vdr::test::PumpPending();
  EXPECT_TRUE(IsWindow(uno->hWnd));
  EXPECT_EQ(w->aControls.size(), 2u);

  // "Sí" ends it; the dots go to the control that takes the focus.
  HWND gone = uno->hWnd;
  {
    DialogAnswerer answerer(DialogAnswerer::Press("Sí"));
    test::PressKeys({VK_DELETE});
    vdr::test::PumpUntil([&] { return !IsWindow(gone); }, 3000);
  }
  EXPECT_FALSE(IsWindow(gone));
  ASSERT_EQ(w->aControls.size(), 1u);
  EXPECT_EQ(w->aControls[0].get(), dos.get());
  EXPECT_EQ(GetFocus(), dos->hWnd);
  EXPECT_TRUE(Same(ShownDots(), DotsAround(GetCoors(dos->hWnd))));

  // The last control deleted: the dots hide.
  gone = dos->hWnd;
  {
    DialogAnswerer answerer(DialogAnswerer::Press("Sí"));
    test::PressKeys({VK_DELETE});
    vdr::test::PumpUntil([&] { return !IsWindow(gone); }, 3000);
  }
  EXPECT_TRUE(w->aControls.empty());
  for (HWND dot : DesignDotWindows()) EXPECT_FALSE(IsWindowVisible(dot));
}

// Outside design mode Delete is the control's and the mouse is the window's.
TEST_F(ControlDesignTest, OutsideDesignModeTheMouseAndDeleteAreNotTheDesigners) {
  auto w = Shown(40, 40, 300, 200);
  auto uno = Button(w, 40, 40, 96, 24, "Uno");
  int clicks = 0;
  uno->on_click = [&] { ++clicks; };
  DialogAnswerer answerer(DialogAnswerer::Press("Sí"));
  Drag(uno->hWnd, {10, 10}, {40, 30});
  LeftButton(false);
  EXPECT_EQ(GetCoors(uno->hWnd), (Rect{40, 40, 64, 136}));
  EXPECT_EQ(clicks, 0) << "released off the button";
  MouseToClient(uno->hWnd, {10, 10});
  LeftButton(true);
  LeftButton(false);
  EXPECT_EQ(clicks, 1);
  test::PressKeys({VK_DELETE});
  vdr::test::PumpUntil([] { return false; }, 200);
  EXPECT_TRUE(answerer.seen().empty());
  EXPECT_TRUE(IsWindow(uno->hWnd));
}

// A press and a move of more than 5 pixels with bDragBegin set start a drag: the drag cursor
// shows, and the window under the pointer at the release receives the drop information, the
// point in its client area and the key flags.
TEST_F(ControlDesignTest, DraggingDropsOverTheWindowUnderThePointer) {
  auto source = Shown(40, 40, 240, 160);
  auto target = Shown(40, 320, 240, 160);
  auto uno = Button(source, 30, 30, 96, 24, "Uno");
  std::vector<std::string> begun;
  uno->bDragBegin = Blk([&](Args& a) {
    begun.push_back(std::to_string(a.Int(1)) + "," + std::to_string(a.Int(2)));
    xb::EvalMacro("SETDROPINFO('ficha 7')");
    return Value();
  });
  std::vector<Value> dropped;
  target->bDropOver = Blk([&](Args& a) {
    dropped = {a.Arg(1), a.Arg(2), a.Arg(3)};
    return Value();
  });
  int clicks = 0;
  uno->on_click = [&] { ++clicks; };

  ASSERT_TRUE(MouseToClient(uno->hWnd, {20, 10}));
  LeftButton(true);
  ASSERT_TRUE(MouseToClient(uno->hWnd, {25, 10}));
  EXPECT_TRUE(begun.empty()) << "5 pixels are not a drag";
  ASSERT_TRUE(MouseToClient(uno->hWnd, {27, 12}));
  ASSERT_EQ(begun.size(), 1u);
  EXPECT_EQ(begun[0], "12,27");
  EXPECT_EQ(GetCursor(), GetCursorDrag());
  ASSERT_TRUE(MouseToClient(target->hWnd, {50, 30}));
  EXPECT_EQ(GetCursor(), GetCursorDrag());
  LeftButton(false);
  vdr::test::PumpUntil([&] { return !dropped.empty(); }, 2000);
  ASSERT_EQ(dropped.size(), 3u);
  EXPECT_EQ(dropped[0].AsString(), "ficha 7");
  EXPECT_EQ(dropped[1].AsInt(), 30);  // row
  EXPECT_EQ(dropped[2].AsInt(), 50);  // column
  EXPECT_EQ(begun.size(), 1u);
  EXPECT_EQ(clicks, 0) << "a drop is no click";
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(xb::EvalMacro("GETDROPINFO()").IsNil()) << "the drop took it";

  // Without bDragBegin the same moves are no drag.
  uno->bDragBegin = Value();
  dropped.clear();
  ASSERT_TRUE(MouseToClient(uno->hWnd, {20, 10}));
  LeftButton(true);
  ASSERT_TRUE(MouseToClient(target->hWnd, {50, 30}));
  LeftButton(false);
  vdr::test::PumpUntil([] { return false; }, 200);
  EXPECT_TRUE(dropped.empty());
}

// nAlign reads the parent's docking slot that holds the control and moves it to another.
TEST_F(ControlDesignTest, AlignMovesTheControlToADockingSlot) {
  auto w = Make(40, 40, 400, 300);
  auto uno = Button(w, 100, 100, 80, 30, "Uno");
  const Rect client = w->GetCliRect();
  const Value self = uno->Self();
  EXPECT_EQ(xb::Send(self, "NALIGN").AsInt(), 1);
  const int W = client.right, H = client.bottom;
  struct Case {
    int align;
    WindowRef TWindow::*slot;
    Rect expected;  // in the parent's client area
  };
  for (const Case& c : std::vector<Case>{
           {2, &TWindow::oTop, {0, 0, 30, W}},
           {4, &TWindow::oBottom, {H - 30, 0, H, W}},
           {3, &TWindow::oLeft, {0, 0, H, 80}},
           {5, &TWindow::oRight, {0, W - 80, H, W}},
       }) {
    uno->Move(100, 100, 80, 30);
    xb::Send(self, "_NALIGN", {Value::Integer(c.align)});
    EXPECT_EQ(xb::Send(self, "NALIGN").AsInt(), c.align);
    EXPECT_EQ(GetCoors(uno->hWnd), c.expected) << c.align;
    for (WindowRef TWindow::*slot : {&TWindow::oTop, &TWindow::oLeft, &TWindow::oBottom, &TWindow::oRight,
                                     &TWindow::oClient}) {
      EXPECT_EQ(((*w).*slot).get() == uno.get(), slot == c.slot) << c.align << ": one slot at a time";
    }
  }
  // The client fills what the other docked items leave.
  auto bar = Button(w, 0, 0, 80, 20, "Barra");
  xb::Send(bar->Self(), "_NALIGN", {Value::Integer(2)});
  xb::Send(self, "_NALIGN", {Value::Integer(6)});
  EXPECT_EQ(w->oClient.get(), uno.get());
  EXPECT_EQ(GetCoors(uno->hWnd).top, 18) << "below the top item, over its last two rows";
  // A number outside the list changes nothing; "None" leaves the slots where the control is.
  xb::Send(self, "_NALIGN", {Value::Integer(9)});
  EXPECT_EQ(xb::Send(self, "NALIGN").AsInt(), 6);
  const Rect placed = GetCoors(uno->hWnd);
  xb::Send(self, "_NALIGN", {Value::Integer(1)});
  EXPECT_EQ(xb::Send(self, "NALIGN").AsInt(), 1);
  EXPECT_EQ(w->oClient.get(), nullptr);
  EXPECT_EQ(GetCoors(uno->hWnd), placed);

  const Value names = xb::Send(self, "INSPECT", {Value::String("nAlign")});
  ASSERT_TRUE(names.IsArray());
  std::vector<std::string> texts;
  for (const Value& v : names.AsArray()) texts.emplace_back(v.AsString());
  EXPECT_EQ(texts, (std::vector<std::string>{"None", "Top", "Left", "Bottom", "Right", "Client"}));
  EXPECT_TRUE(xb::Send(self, "INSPECT", {Value::String("cTitle")}).IsNil());
  // Among the properties a control lists.
  EXPECT_EQ(xb::Send(self, "APROPERTIES").AsArray().size(), 12u);
  EXPECT_EQ(xb::Send(self, "PROPCOUNT").AsInt(), 12);
  EXPECT_EQ(xb::Send(self, "PROPERTY", {Value::Integer(6)}).AsString(), "nAlign");
  EXPECT_EQ(xb::Send(self, "PROPERTY", {Value::Integer(3)}).AsString(), "l3D");
}

// nTop and nLeft are the window's while it exists, the data's before.
TEST_F(ControlDesignTest, TopAndLeftAreReadAndWrittenThroughTheWindow) {
  auto w = Make(40, 40, 300, 200);
  auto uno = Button(w, 20, 30, 80, 24, "Uno");
  const Value self = uno->Self();
  MoveWindow(uno->hWnd, 50, 60, 80, 24, TRUE);  // behind the object's back
  EXPECT_EQ(xb::Send(self, "NTOP").AsInt(), 60);
  EXPECT_EQ(xb::Send(self, "NLEFT").AsInt(), 50);
  xb::Send(self, "_NTOP", {Value::Integer(11)});
  xb::Send(self, "_NLEFT", {Value::Integer(13)});
  EXPECT_EQ(GetCoors(uno->hWnd), (Rect{11, 13, 35, 93}));
  EXPECT_EQ(uno->nTop, 11);
  EXPECT_EQ(uno->nLeft, 13);

  auto later = xb::MakeRef<PlainControl>();  // no window yet
  xb::Send(later->Self(), "_NTOP", {Value::Integer(7)});
  EXPECT_EQ(later->nTop, 7);
  EXPECT_EQ(xb::Send(later->Self(), "NTOP").AsInt(), 7);

  EXPECT_FALSE(xb::Send(self, "L3D").AsLogical());
  xb::Send(self, "_L3D", {Value::Logical(true)});
  EXPECT_TRUE(uno->l3DLook);
  EXPECT_TRUE(xb::Send(self, "L3D").AsLogical());
  xb::Send(self, "_L3D", {Value::Logical(false)});
  EXPECT_FALSE(uno->l3DLook);
}

}  // namespace
}  // namespace ui
