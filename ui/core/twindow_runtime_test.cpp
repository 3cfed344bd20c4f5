// Windows reached from text compiled at run time: TWINDOW's messages and the window module's
// functions.
#include <gtest/gtest.h>
#include <windows.h>

#include "runtime/runtime.h"
#include "tests/support/pump.h"
#include "tests/support/window_text.h"
#include "ui/core/core_test_support.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;

class TWindowRuntimeTest : public test::FrameworkTest {
 protected:
  // Evaluates block text with the window as its parameter.
  Value With(const WindowRef& w, std::string_view block_text) {
    return xb::MacroBlock(block_text).Eval({w->Self()});
  }
};

TEST_F(TWindowRuntimeTest, TextReadsAndAssignsTheWindowsData) {
  auto w = Make();
  EXPECT_EQ(With(w, "{|o| o:ClassName() }").AsString(), "TWINDOW");
  EXPECT_EQ(With(w, "{|o| o:hWnd }").AsInt(), reinterpret_cast<std::intptr_t>(w->hWnd));
  EXPECT_EQ(With(w, "{|o| o:cTitle }").AsString(), "Prueba");
  EXPECT_EQ(With(w, "{|o| o:cTitle := 'Organización', o:cTitle }").AsString(), "Organización");
  EXPECT_EQ(vdr::test::WindowText(w->hWnd), "Organización");
  EXPECT_TRUE(With(w, "{|o| o:oWnd }").IsNil());
  EXPECT_EQ(With(w, "{|o| o:Cargo := { 1, 'dos' }, Len( o:Cargo ) }").AsInt(), 2);
  EXPECT_EQ(w->Cargo.AsArray().size(), 2u);
  EXPECT_EQ(With(w, "{|o| o:nResult := 5, o:nResult }").AsInt(), 5);
  EXPECT_EQ(With(w, "{|o| o:nWidth }").AsInt(), 320);
  EXPECT_EQ(With(w, "{|o| o:nHeight := 150, o:nHeight }").AsInt(), 150);
  EXPECT_EQ(With(w, "{|o| o:nClrPane := 255, o:nClrPane }").AsInt(), 255);
}

TEST_F(TWindowRuntimeTest, MinimumAndMaximumSizesGivenAsText) {
  auto w = Make();
  // {reserved x, y, max size x, y, max position x, y, min track x, y, max track x, y}
  With(w, "{|o| o:aMinMaxInfo := { 0, 0, 800, 600, 0, 0, 250, 180, 500, 400 } }");
  MoveWindow(w->hWnd, 40, 40, 100, 100, TRUE);  // smaller than allowed
  RECT r;
  GetWindowRect(w->hWnd, &r);
  EXPECT_EQ(r.right - r.left, 250);
  EXPECT_EQ(r.bottom - r.top, 180);
  MoveWindow(w->hWnd, 40, 40, 900, 900, TRUE);  // larger than allowed
  GetWindowRect(w->hWnd, &r);
  EXPECT_EQ(r.right - r.left, 500);
  EXPECT_EQ(r.bottom - r.top, 400);
  EXPECT_EQ(With(w, "{|o| o:aMinMaxInfo[ 7 ] }").AsInt(), 250);
}

TEST_F(TWindowRuntimeTest, TextShowsHidesAndPlacesTheWindow) {
  auto w = Make();
  With(w, "{|o| o:Show() }");
  EXPECT_TRUE(IsWindowVisible(w->hWnd));
  With(w, "{|o| o:Hide() }");
  EXPECT_FALSE(IsWindowVisible(w->hWnd));
  With(w, "{|o| o:Maximize() }");
  EXPECT_TRUE(IsZoomed(w->hWnd));
  With(w, "{|o| o:Restore() }");
  EXPECT_FALSE(IsZoomed(w->hWnd));
  With(w, "{|o| o:Minimize() }");
  EXPECT_TRUE(IsIconic(w->hWnd));
  With(w, "{|o| o:Restore() }");
  EXPECT_FALSE(IsIconic(w->hWnd));

  With(w, "{|o| o:Center() }");
  RECT area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  RECT r;
  GetWindowRect(w->hWnd, &r);
  EXPECT_NEAR((r.left + r.right) / 2, (area.left + area.right) / 2, 1);
  EXPECT_NEAR((r.top + r.bottom) / 2, (area.top + area.bottom) / 2, 1);
  EXPECT_EQ(w->nLeft, r.left);

  With(w, "{|o| o:Move( 10, 20, 200, 100 ) }");
  GetWindowRect(w->hWnd, &r);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 10);
  EXPECT_EQ(r.right - r.left, 200);
  EXPECT_EQ(With(w, "{|o| o:GetCliRect()[3] }").AsInt(), w->GetCliRect().bottom);

  With(w, "{|o| o:Show(), o:Refresh() }");
  EXPECT_TRUE(GetUpdateRect(w->hWnd, nullptr, FALSE));
}

TEST_F(TWindowRuntimeTest, EndFromTextAsksTheValidBlockWrittenAsText) {
  auto w = Make();
  HWND hwnd = w->hWnd;
  With(w, "{|o| o:bValid := {|| .F. } }");
  EXPECT_FALSE(With(w, "{|o| o:End() }").AsLogical());
  vdr::test::PumpPending();
  EXPECT_TRUE(IsWindow(hwnd));
  With(w, "{|o| o:bValid := {|oWin| oWin:Cargo := 'cerrando', .T. } }");
  EXPECT_TRUE(With(w, "{|o| o:End() }").AsLogical());
  EXPECT_TRUE(vdr::test::PumpUntil([&] { return !IsWindow(hwnd); }, 2000));
  EXPECT_EQ(w->Cargo.AsString(), "cerrando");
  EXPECT_EQ(With(w, "{|o| o:hWnd }").AsInt(), 0);
}

TEST_F(TWindowRuntimeTest, BlocksWrittenAsTextRunOnTheirEvents) {
  auto w = Make();
  With(w, "{|o| o:bLClicked := {|nRow, nCol| o:Cargo := nRow * 1000 + nCol, 1 } }");
  EXPECT_EQ(SendMessageA(w->hWnd, WM_LBUTTONDOWN, 0, MAKELPARAM(30, 20)), 1);
  EXPECT_EQ(w->Cargo.AsInt(), 20030);
  // A block that fails reaches the error block; the window goes on.
  xb::testing::RecordingErrorBlock errors(Value::Integer(0));
  With(w, "{|o| o:bLClicked := {|| 1 / 0 } }");
  SendMessageA(w->hWnd, WM_LBUTTONDOWN, 0, 0);
  EXPECT_GE(errors.count, 1);
  EXPECT_EQ(errors.error()->genCode, xb::EG_ZERODIV);
  EXPECT_TRUE(IsWindow(w->hWnd));
}

TEST_F(TWindowRuntimeTest, AnUnknownMessageIsTheRuntimesError) {
  auto w = Make();
  xb::testing::RecordingErrorBlock errors(Value::Integer(0));
  With(w, "{|o| o:NoSuchMessage() }");
  ASSERT_EQ(errors.count, 1);
  EXPECT_EQ(errors.error()->subCode, 1004);
}

TEST_F(TWindowRuntimeTest, WindowsAreCreatedAndFoundFromText) {
  const Value made = xb::EvalMacro("TWindow():New( 1, 1, 10, 40, 'Desde texto' )");
  ASSERT_TRUE(made.IsObject());
  auto* w = dynamic_cast<TWindow*>(made.AsObject().get());
  ASSERT_NE(w, nullptr);
  made_.push_back(w->hWnd);
  EXPECT_EQ(w->GetText(), "Desde texto");
  RECT r;
  GetWindowRect(w->hWnd, &r);
  EXPECT_EQ(r.left, 8);
  EXPECT_EQ(r.top, 16);
  const std::string handle = std::to_string(reinterpret_cast<std::intptr_t>(w->hWnd));
  EXPECT_EQ(xb::EvalMacro("OWndFromHwnd( " + handle + " ):cTitle").AsString(), "Desde texto");
  EXPECT_TRUE(xb::EvalMacro("OWndFromHwnd( 0 )").IsNil());
  EXPECT_GE(xb::EvalMacro("NWindows()").AsInt(), w->Slot());
  EXPECT_EQ(xb::EvalMacro("GetWndDefault()").AsObject().get(), w);
  EXPECT_TRUE(xb::EvalMacro("WndMain():IsDerivedFrom( 'TWINDOW' )").AsLogical());
  // The dispatch function answers NIL for slot 0 and {result, previous procedure} otherwise.
  EXPECT_TRUE(xb::EvalMacro("_VXH( 0, 16, 0, 0, 0 )").IsNil());
  w->bLClicked = Blk([](Args&) { return Value::Integer(42); });
  const Value pair = xb::CallFunction("_VXH", {Value::Integer(0), Value::Integer(WM_LBUTTONDOWN), Value::Integer(0),
                                               Value::Integer(0), Value::Integer(w->Slot())});
  ASSERT_TRUE(pair.IsArray());
  EXPECT_EQ(pair.AsArray()[0].AsInt(), 42);
  EXPECT_EQ(pair.AsArray()[1].AsInt(), reinterpret_cast<std::intptr_t>(reinterpret_cast<void*>(w->nOldProc)));
  // A message the window does not handle: NIL first.
  const Value none = xb::CallFunction("_VXH", {Value::Integer(0), Value::Integer(WM_USER + 500), Value::Integer(0),
                                               Value::Integer(0), Value::Integer(w->Slot())});
  EXPECT_TRUE(none.AsArray()[0].IsNil());
}

TEST_F(TWindowRuntimeTest, FrameworkErrorsHaveTheirTexts) {
  struct Case {
    int code;
    const char* subsystem;
    int sub_code;
    const char* description;
    int severity;
  };
  const Case cases[] = {{1, "Vexilo", 1, "Non defined Id", 3},
                        {2, "Vexilo", 2, "Duplicated Id", 3},
                        {3, "Vexilo", 3, "Cannot create Dialog Box", 3},
                        {4, "BASE", 5300, "Memory Low", 1},
                        {6, "Vexilo", 6, "Cannot create window or control", 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    const Value e = xb::CallFunction("_VXGENERROR", {Value::Integer(c.code), Value::String("op")});
    auto* error = dynamic_cast<xb::Error*>(e.AsObject().get());
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->subsystem, c.subsystem);
    EXPECT_EQ(error->subCode, c.sub_code);
    EXPECT_EQ(error->description, c.description);
    EXPECT_EQ(error->severity, c.severity);
    EXPECT_EQ(error->canDefault, c.severity < 3);
    EXPECT_EQ(error->operation, "op");
  }
}

}  // namespace
}  // namespace ui
