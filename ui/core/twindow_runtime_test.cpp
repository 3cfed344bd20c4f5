// Windows reached from text compiled at run time: TWINDOW's messages and the window module's
// functions.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "runtime/runtime.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/window_text.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/resources.h"
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

// Property(n), PropCount, Event(n) and EveCount read the class's own lists.
TEST_F(TWindowRuntimeTest, PropertiesAndEventsAreTheClasssLists) {
  auto w = Make();
  EXPECT_EQ(With(w, "{|o| o:PropCount() }").AsInt(), 11);
  EXPECT_EQ(With(w, "{|o| Len( o:aProperties ) }").AsInt(), 11);
  EXPECT_EQ(With(w, "{|o| o:Property( 1 ) }").AsString(), "cTitle");
  EXPECT_EQ(With(w, "{|o| o:Property( 11 ) }").AsString(), "oFont");
  EXPECT_TRUE(With(w, "{|o| o:Property( 12 ) }").IsNil());
  EXPECT_TRUE(With(w, "{|o| o:Property( 0 ) }").IsNil());
  EXPECT_EQ(With(w, "{|o| o:EveCount() }").AsInt(), 6);
  EXPECT_EQ(With(w, "{|o| o:Event( 2 )[ 1 ] + '/' + o:Event( 2 )[ 4 ] }").AsString(), "OnMouseMove/nKeyFlags");
  EXPECT_EQ(With(w, "{|o| Len( o:Event( 4 ) ) }").AsInt(), 1);
  EXPECT_EQ(With(w, "{|o| o:aEvents[ 6 ][ 1 ] }").AsString(), "OnResize");
  EXPECT_TRUE(With(w, "{|o| o:lRegistered }").AsLogical());
  EXPECT_TRUE(With(w, "{|o| o:oMItemSelect }").IsNil());  // no menu item under the cursor
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
  // A slot that holds no window leaves the pair as the last call left it.
  w->bLClicked = Blk([](Args&) { return Value::Integer(7); });
  xb::CallFunction("_VXH", {Value::Integer(0), Value::Integer(WM_LBUTTONDOWN), Value::Integer(0), Value::Integer(0),
                            Value::Integer(w->Slot())});
  const Value unchanged = xb::CallFunction("_VXH", {Value::Integer(0), Value::Integer(WM_LBUTTONDOWN), Value::Integer(0),
                                                    Value::Integer(0), Value::Integer(NWindows() + 5)});
  ASSERT_TRUE(unchanged.IsArray());
  EXPECT_EQ(unchanged.AsArray()[0].AsInt(), 7);
  EXPECT_EQ(unchanged.AsArray()[1].AsInt(), reinterpret_cast<std::intptr_t>(reinterpret_cast<void*>(w->nOldProc)));
}

TEST_F(TWindowRuntimeTest, MHandleEventSendsTheMethodOfTheMessageTable) {
  auto w = Make();
  With(w, "{|o| o:bLClicked := {|nRow, nCol| nRow * 1000 + nCol }, o:bKeyDown := {|nKey| nKey + 1 } }");
  struct Case {
    const char* text;
    Value answer;
  };
  const Case cases[] = {
      {"{|o| o:mHandleEvent( 513, 0, 9 * 65536 + 7 ) }", Value::Integer(9007)},  // WM_LBUTTONDOWN
      {"{|o| o:mHandleEvent( 256, 65, 0 ) }", Value::Integer(66)},              // WM_KEYDOWN
      {"{|o| o:mHandleEvent( 1, 0, 0 ) }", Value()},                             // none in the table
      {"{|o| o:mHandleEvent( 2100, 0, 0 ) }", Value()},
      // Objects from files and VBX events: the framework's placeholders answer.
      {"{|o| o:ReadFile( 'ventana.obj' ) }", Value()},
      {"{|o| o:VbxFireEvent( 0 ) }", Value()},
  };
  for (const Case& c : cases) {
    const Value got = With(w, c.text);
    EXPECT_EQ(got.ValType(), c.answer.ValType()) << c.text;
    EXPECT_TRUE(got.SameAs(c.answer)) << c.text;
  }
}

// The message methods answer text that calls them by name, with their arguments in order.
TEST_F(TWindowRuntimeTest, MessageMethodsAreCalledFromText) {
  auto w = Make();
  With(w, "{|o| o:bLClicked := {|nRow, nCol, nFlags| nRow * 1000 + nCol + nFlags }, "
          "o:bLDblClick := {|nRow| nRow }, o:bMMoved := {|nRow, nCol| nRow + nCol }, "
          "o:bRClicked := {|nRow, nCol, nFlags, oSelf| oSelf:Cargo := nRow * 10 + nCol }, "
          "o:bMoved := {|nRow, nCol, oSelf| oSelf:nLastKey := nRow - nCol }, "
          "o:bValid := {|| .F. } }");
  struct Case {
    const char* text;
    Value answer;
  };
  const Case cases[] = {
      {"{|o| o:LButtonDown( 9, 7, 1 ) }", Value::Integer(9008)},
      {"{|o| o:LDblClick( 4, 5, 0 ) }", Value::Integer(4)},
      {"{|o| o:MouseMove( 3, 4, 0 ) }", Value::Integer(7)},
      {"{|o| o:RButtonDown( 2, 3, 0 ) }", Value()},  // evaluated, NIL answered
      {"{|o| o:Cargo }", Value::Integer(23)},
      {"{|o| o:Moved( 8, 3 ), o:nLastKey }", Value::Integer(5)},
      {"{|o| o:SysCommand( 61536 ) }", Value::Logical(false)},  // SC_CLOSE: End() refused
      {"{|o| o:MouseWheel( 0, 120, 0, 0 ) }", Value()},
      {"{|o| o:GetDlgCode( 13 ) }", Value()},
      {"{|o| o:QueryEndSession() }", Value::Integer(0)},
      {"{|o| o:VScroll( 0, 0 ) }", Value::Integer(0)},
  };
  for (const Case& c : cases) {
    const Value got = With(w, c.text);
    EXPECT_EQ(got.ValType(), c.answer.ValType()) << c.text;
    EXPECT_TRUE(got.SameAs(c.answer)) << c.text;
  }
  WindowDC dc(w->hWnd);
  EXPECT_EQ(xb::Send(w->Self(), "ERASEBKGND", {Value::Integer(reinterpret_cast<std::intptr_t>(dc.get()))}).AsInt(), 1);
}

TEST_F(TWindowRuntimeTest, SelColorChangesTheTextOrThePaneColour) {
  auto w = Make();
  With(w, "{|o| o:SetColor( 255, 65280 ) }");
  struct Case {
    const char* text;
    const char* red;  // typed into the dialog; nullptr: cancelled
    COLORREF text_colour;
    COLORREF pane_colour;
  };
  const Case cases[] = {
      {"{|o| o:SelColor() }", "10", RGB(10, 20, 30), 65280},
      {"{|o| o:SelColor( .F. ) }", "40", RGB(10, 20, 30), RGB(40, 20, 30)},
      {"{|o| o:SelColor() }", nullptr, RGB(10, 20, 30), RGB(40, 20, 30)},
  };
  for (const Case& c : cases) {
    vdr::test::DialogAnswerer answerer([&](const vdr::test::SeenDialog& d) {
      if (c.red == nullptr) return IDCANCEL;
      SetDlgItemTextA(d.hwnd, 706, c.red);  // red, green and blue of the full dialog
      SetDlgItemTextA(d.hwnd, 707, "20");
      SetDlgItemTextA(d.hwnd, 708, "30");
      return IDOK;
    });
    With(w, c.text);
    EXPECT_EQ(answerer.seen().size(), 1u) << c.text;
    EXPECT_EQ(w->nClrText, c.text_colour) << c.text;
    EXPECT_EQ(w->nClrPane, c.pane_colour) << c.text;
  }
  EXPECT_EQ(w->oBrush->nRGBColor, RGB(40, 20, 30));  // the pane's brush follows
}

TEST_F(TWindowRuntimeTest, SayBitmapDrawsAFileOrAResourcePicture) {
  ASSERT_NE(SetResources("VDRE.DLL"), nullptr);
  auto w = Make(40, 40, 320, 200);
  ShowWindow(w->hWnd, SW_SHOWNA);
  vdr::test::PumpPending();
  // A 4 x 4 picture of one colour in a file.
  char temp[MAX_PATH] = {};
  GetTempPathA(sizeof temp, temp);
  const std::string file = std::string(temp) + "vdr_saybitmap.bmp";
  {
    MemorySurface s(4, 4);
    s.Clear(RGB(200, 30, 90));
    HGLOBAL dib = DibFromBitmap(s.bitmap(), nullptr);
    ASSERT_TRUE(DibWrite(file, dib));
    GlobalFree(dib);
  }
  auto pixel = [&](int x, int y) {
    WindowDC dc(w->hWnd);
    return GetPixel(dc.get(), x, y);
  };
  With(w, "{|o| o:SayBitmap( 10, 20, '" + file + "' ) }");
  EXPECT_EQ(pixel(20, 10), RGB(200, 30, 90));
  EXPECT_EQ(pixel(23, 13), RGB(200, 30, 90));
  EXPECT_NE(pixel(24, 14), RGB(200, 30, 90));
  // Stretched to the size given.
  With(w, "{|o| o:SayBitmap( 50, 20, '" + file + "', 20, 10 ) }");
  EXPECT_EQ(pixel(39, 59), RGB(200, 30, 90));
  // A resource of the module by name and by number: its corner as the picture's own.
  HBITMAP header = LoadBitmapA(GetResources(), MAKEINTRESOURCEA(24004));
  ASSERT_NE(header, nullptr);
  MemorySurface own(1, 1);
  {
    MemoryDC source(own.dc());
    SelectionScope select(source.get(), header);
    BitBlt(own.dc(), 0, 0, 1, 1, source.get(), 0, 0, SRCCOPY);
  }
  DeleteObject(header);
  With(w, "{|o| o:SayBitmap( 100, 150, 24004 ) }");
  EXPECT_EQ(pixel(150, 100), own.Pixel(0, 0));
  // A name that is no picture, or an all-digit name too long for a number, draws nothing.
  With(w, "{|o| o:SayBitmap( 100, 250, 'NOEXISTE' ), o:SayBitmap( 100, 250, '123456789012345678901' ) }");
  DeleteFileA(file.c_str());
  FreeResources();
}

// The errors of a window or dialog that Windows did not create, raised by name.
TEST_F(TWindowRuntimeTest, CreationErrorsCarryTheClassCaptionOrResource) {
  auto w = Make();
  xb::testing::RecordingErrorBlock errors{Value()};
  struct Case {
    const char* text;
    int sub_code;
    const char* operation_start;
  };
  const Case cases[] = {
      {"{|o| WndCreateError( o ) }", 6, "\r\nClass: TWINDOW\r\nCaption: Prueba\r\nSystem Error: "},
      {"{|o| WndCreateError( o, 'NOCLASE' ) }", 6, "\r\nClass: NOCLASE\r\nCaption: Prueba\r\nSystem Error: "},
      {"{|o| CreateDlgError( TDialog():New( ,,,, 'Sin recurso' ) ) }", 3, "\r\nTitle: Sin recurso"},
      {"{|o| CreateDlgError( TDialog():New( ,,,,, 'NOEXISTE' ) ) }", 3, "\r\nResource: NOEXISTE"},
  };
  int count = 0;
  for (const Case& c : cases) {
    With(w, c.text);
    ASSERT_EQ(errors.count, ++count) << c.text;
    EXPECT_EQ(errors.error()->subCode, c.sub_code) << c.text;
    EXPECT_TRUE(errors.error()->operation.starts_with(c.operation_start)) << c.text << ": " << errors.error()->operation;
  }
  EXPECT_EQ(errors.error()->operation, "\r\nResource: NOEXISTE");
}

TEST_F(TWindowRuntimeTest, ChooseFontCancelledAnswersTheFontGiven) {
  vdr::test::DialogAnswerer answerer(vdr::test::DialogAnswerer::PressId(IDCANCEL));
  const Value font = xb::EvalMacro(
      "CHOOSEFONT( { -13, 0, 0, 0, 700, .F., .F., .F., 0, 0, 0, 0, 0, 'Arial' }, 255 )");
  ASSERT_TRUE(font.IsArray());
  ASSERT_EQ(font.AsArray().size(), 14u);
  EXPECT_EQ(font.AsArray().Get(0).AsInt(), -13);
  EXPECT_EQ(font.AsArray().Get(4).AsInt(), 700);
  EXPECT_EQ(font.AsArray().Get(13).AsString(), "Arial");
  EXPECT_EQ(answerer.seen().size(), 1u);
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
