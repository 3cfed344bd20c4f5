// The bridge's functions called by name, as code blocks and run-time text call them.
#include "ui/bridge/bridge_functions.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "runtime/function_table.h"
#include "runtime/runtime.h"
#include "runtime/test_env.h"
#include "tests/support/dialog_answerer.h"
#include <cstring>

#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/message_decoder.h"
#include "ui/bridge/probe_window_test_support.h"
#include "ui/bridge/resources.h"

namespace ui {
namespace {

using xb::Value;

class BridgeFunctionsTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    RegisterBridgeFunctions();
  }
  void TearDown() override {
    FreeResources();
    RuntimeTest::TearDown();
  }
  static Value Eval(std::string_view text) { return xb::EvalMacro(text); }
  static Value Call(std::string_view name, std::initializer_list<Value> args = {}) {
    return xb::CallFunction(name, args);
  }
  static Value Num(std::int64_t n) { return Value::Integer(n); }
  static Value H(const void* p) { return Value::Integer(reinterpret_cast<std::intptr_t>(p)); }
};

TEST_F(BridgeFunctionsTest, EveryFunctionOfTheBridgeIsRegisteredByItsName) {
  static constexpr const char* kNames[] = {
      // dispatch, dialogs, loop, resources, calls by descriptor
      "WNDHANDLEEVENT", "XCHANGEPROC", "XFREEPROC", "RESTPROC", "DIALOGBOX", "DIALOGBOXINDIRECT", "CREATEDLG",
      "CREATEDLGINDIRECT", "ENDDIALOG", "GETDLGBASEUNITS", "REGDIALOG", "CANREGDIALOG", "DEREGDIALOG",
      "LWRUNNING", "CDLG2CHR", "CCTRL2CHR", "GETRESOURCES", "WINRUN", "SYSREFRESH", "SETWNDAPP", "GETWNDAPP",
      "SETACCTABLE", "SETTIMER", "KILLTIMER", "GETTICKCOUNT", "WAITMESSAGE", "GETFRAMEPROC", "GETMDICHLPROC",
      "CMDISTRUCT", "SETRESOURCES", "FREERESOURCES", "FINDRESOURCE", "GETFREESYSTEMRESOURCES", "LOADLIBRARY",
      "FREELIBRARY", "GLOBALALLOC", "GLOBALFREE", "GLOBALLOCK", "GLOBALUNLOCK", "NEXTMEM", "RESALLFREE",
      "GETPROCADDRESS", "CALLDLL",
      // windows, menus and input
      "CREATEWINDOW", "DESTROYWINDOW", "CLOSEWINDOW", "UPDATEWINDOW", "POSTMESSAGE", "SENDMESSAGE",
      "CALLWINDOWPROC", "DEFWINDOWPROC", "SETWINDOWTEXT", "GETWINDOWTEXT", "GETWINTXTLENGHT", "GETCLASSNAME",
      "GETCLASSINFO", "GETWINDOWLONG", "SETWINDOWLONG", "ISCHILD", "ISICONIC", "ISZOOMED", "ISWINDOWVISIBLE",
      "ISWINDOWENABLED", "ENABLEWINDOW", "GETACTIVEWINDOW", "SETACTIVEWINDOW", "BRINGWINDOWTOTOP",
      "GETPARENT", "SETPARENT", "GETWINDOW", "GETDESKTOPWINDOW", "WINDOWFROMPOINT", "ISOVERWND",
      "WNDHASSCROLLS", "GETDLGITEM", "NEXTDLGTAB", "MOVEWINDOW", "SETWINDOWPOS", "WNDSETSIZE", "WNDWIDTH",
      "WNDHEIGHT", "WNDTOP", "WNDLEFT", "WNDCENTER", "WNDADJTOP", "WNDADJBOTTOM", "WNDADJLEFT", "WNDADJRIGHT",
      "WNDADJCLIENT", "SETMINMAX", "SETWINDOWORG", "DPTOLP", "LPTODP", "GETDEVICECAPS", "GETERRMSG",
      "NLOWORD", "NHIWORD", "NLOBYTE", "NMAKELONG", "GETNMHDRCODE", "GETNMHDRHWNDFROM", "CREATEMENU",
      "CREATEPOPUPMENU", "LOADMENU", "DESTROYMENU", "ISMENU", "APPENDMENU", "INSERTMENU", "MODIFYMENU",
      "REMOVEMENU", "ENABLEMENUITEM", "CHECKMENUITEM", "HILITEMENUITEM", "GETMENUSTATE", "GETMENUSTRING",
      "GETMITEMCOUNT", "GETMITEMID", "GETSUBMENU", "GETSYSTEMMENU", "SETMENU", "DRAWMENUBAR", "TRACKPOPUP",
      "MENUMEASUREITEM", "GETMEAITEM", "GETDRAWITEM", "GETDRAWMENU", "GETKEYSTATE", "GETKEYTOGGLE",
      "KEYTOGGLE", "CREATECARET", "SHOWCARET", "HIDECARET", "DESTROYCARET", "GETCARETPOS", "SETSCROLLRANGE",
      "SETSCROLLPOS", "GETSCROLLRANGE", "GETSCROLLPOS", "LBXGETITEM", "LBXGETSELITEMS", "MGETLINE",
      "MGETREPLACE", "OPENCLIPBOARD", "CLOSECLIPBOARD", "EMPTYCLIPBOARD", "SETCLIPBOARDDATA", "GETCLPDATA",
      "CREATEPATTERNBRUSH", "DRAGACCEPTFILES", "DRAGQUERYFILES", "DRAGQUERYPOINT", "DRAGFINISH",
      // system, profile, registry and text
      "WINEXEC", "GETWINDIR", "GETMODULEFILENAME", "GETVERSION", "ISWINNT", "ISWIN95", "QZ_ISWINNT",
      "GETNUMTASKS", "GETCPU", "GETPROFINT", "GETPROFSTRING", "WRITEPROFSTRING", "GETPVPROFINT",
      "GETPVPROFSTRING", "WRITEPPROSTRING", "DELINISECTION", "DELINIENTRY", "REGOPENKEY", "REGQUERYVALUE",
      "REGCLOSEKEY", "CGETDIR", "QZCGETDIR", "CHOOSECOLOR", "LZCOPYFILE", "LOADSTRING", "HELPCTRLHWND",
      "GLOBALADDATOM", "GLOBALGETATOMNAME", "GLOBALDELATOM", "DDECOMMAND", "DDEGETCOMMAND", "STRTOKEN",
      "STRCAPFIRST", "ANSITOOEM", "ISANSI", "DRAWMSGITEM", "GETTM", "GETDIMTEXT", "BITAND", "CTL3DLOOK",
      // drawing and GDI
      "TEXTOUT", "EXTTEXTOUT", "DRAWTEXT", "SETTEXTALIGN", "GETTEXTALIGN", "SETTEXTCOLOR", "SETBKCOLOR",
      "GETTEXTCOLOR", "GETBKCOLOR", "SETBKMODE", "GETSYSCOLOR", "GETTEXTWIDTH", "GETTEXTHEIGHT",
      "NWNDCHRHEIGHT", "GETFONTINFO", "CREATEFONT", "WSAY", "WSAYRECT", "NGETFORERGB", "NGETBACKRGB",
      "NRGBRED", "NRGBGREEN", "NRGBBLUE", "GETDC", "RELEASEDC", "CREATEDC", "CREATECDC", "DELETEDC", "SAVEDC",
      "RESTOREDC", "SETMAPMODE", "SETWINDOWEXT", "SETVIEWPORTEXT", "SETVIEWORG", "SELECTOBJECT", "BITBLT",
      "STRETCHBL", "FILLRECT", "INVERTRECT", "DRAWFOCUSRECT", "FRAMEDOT", "INVALIDATERECT", "GETCLIENTRECT",
      "GETWNDRECT", "GETCOORS", "CLIENTTOSCREEN", "SCREENTOCLIENT", "BEGINPAINT", "ENDPAINT", "WNDPRINT",
      "MOVETO", "LINETO", "RECTANGLE", "ELLIPSE", "POLYPOLYGON", "FLOODFILL", "SETPIXEL", "CREATEPEN",
      "CREATESOLIDBRUSH", "CREATEHATCHBRUSH", "GETSTOCKOBJECT", "SETBLACKPEN", "DELETEOBJECT", "WNDBOX",
      "WNDBOXIN", "WNDBOXRAISED", "CURSORARROW", "CURSORIBEAM", "CURSORWE", "CURSORWAIT", "CURSORHAND",
      "GETCURSORHAND", "CURSORCATCH", "GETCURSORSTOP", "GETCURSORDRAG", "LOADCURSOR", "WSETCURSOR",
      "DESTROYCURSOR", "LOADICON", "EXTRACTICON", "DRAWICON", "DRAWICONFOCUS", "DESTROYICON", "SETCAPTURE",
      "GETCAPTURE", "RELEASECAPTURE", "SETFOCUS", "GETFOCUS", "SHOWWINDOW", "MESSAGEBEEP", "MSGBEEP",
      "GETSYSMETRICS", "GETINSTANCE", "GETMODULEHANDLE", "POSTQUITMESSAGE", "LMKDIR", "LCHDIR", "LRMDIR",
      "NOR", "NAND", "NNOT", "LAND", "NPTRWORD", "I2HEX", "CCHR2DATA", "MOVEGET", "MGETCREATE", "BARADJUST",
      "BARINVERT", "CTRLDRAWFOCUS", "DOTSADJUST", "LBXMEASURE", "TCBRWSCROLL", "TVSETIMAGELIST",
      "TVGETSELECTED", "TVGETSELTEXT", "TVSELECT", "TVDELETEITEM", "TVDELETEALLITEMS", "TVHITTEST",
      "ILCREATE", "ILDESTROY", "ILADD", "ILADDMASKED", "ILSETBKCOLOR", "METERPAINT", "CHOOSEFONTH",
      // bitmaps, printer, painters, common dialogs and metafiles
      "VXBRUSHES", "VXBITMAP", "ATREEBMPS", "READBITMAP", "LOADBITMAP", "PALBMPREAD", "PALBMPLOAD",
      "PALBMPDRAW", "PALBMPNEW", "PALBMPFREE", "SETFOREBMP", "QRYNEWPALEVENT", "PALCHGEVENT", "DIBREAD",
      "DIBWRITE", "DIBPALETTE", "DIBDRAW", "DIBFROMBITMAP", "DRAWBITMAP", "DRAWMASKED", "DRAWGRAYED",
      "NBMPWIDTH", "NBMPHEIGHT", "PRINTERINIT", "GETPRINTDC", "PRINTERSETUP", "GETPRINTDEFAULT", "RESETDC",
      "COMDLGXERR", "PRNLANDSCAPE", "PRNPORTRAIT", "PRNGETORIENTATION", "PRNSETSIZE", "PRNSETPAGE",
      "PRNSETCOPIES", "PRNBINSOURCE", "DRAFTMODE", "PRNGETNAME", "PRNGETPORT", "PRNGETDRIVE", "PRNOFFSET",
      "PRNGETSIZE", "IMPORTRAWFILE", "STARTDOC", "ENDDOC", "STARTPAGE", "ENDPAGE", "PALBTNPAINT", "BARPAINT",
      "MSGPAINT", "LBXDRAWITEM", "CGETFILE", "FINDTEXT", "NMSGBOX", "MSGABOUT", "CREATEMETAFILE",
      "CLOSEMETAFILE", "GETMETAFILE", "DELETEMETAFILE", "PLAYMETAFILE", "GETPMETAFILE",
  };
  for (const char* name : kNames) EXPECT_TRUE(xb::IsFunctionRegistered(name)) << name;
}

TEST_F(BridgeFunctionsTest, SmallHelpersByName) {
  EXPECT_EQ(Eval("NOR( 1, 2, 4 )").AsInt(), 7);
  EXPECT_EQ(Eval("NAND( 7, 6, 14 )").AsInt(), 6);
  EXPECT_FALSE(Eval("LAND( 6, 1 )").AsLogical());
  EXPECT_EQ(Eval("I2HEX( 74565 )").AsString(), "2345");
  EXPECT_EQ(Eval("NGETFORERGB( 'W+/B' )").AsInt(), 0xFFFFFF);
  EXPECT_EQ(Eval("NGETBACKRGB( 'W+/B' )").AsInt(), 0x800000);
  EXPECT_EQ(Eval("NGETBACKRGB( 'N/W*' )").AsInt(), 0xFFFFFF);
  EXPECT_EQ(Eval("NRGBGREEN( 0x123456 )").AsInt(), 0x34);
  EXPECT_FALSE(Eval("DELETEOBJECT( 0 )").AsLogical());
  EXPECT_FALSE(Eval("GLOBALFREE( 0 )").AsLogical());
  EXPECT_TRUE(Eval("LRMDIR( 'x' )").IsNil());
  EXPECT_TRUE(Eval("RESALLFREE()").IsNil());
  EXPECT_EQ(Eval("GETFREESYSTEMRESOURCES( 0 )").AsInt(), 90);
  // Changed in place when passed by reference.
  Value name = Value::NewRef(Value::String("CLIENTES"));
  xb::Value args[] = {name};
  EXPECT_EQ(xb::CallFunction(xb::Intern("CCHR2DATA"), args).AsString(), "cLientes");
  EXPECT_EQ(name.Deref().AsString(), "cLientes");
}

TEST_F(BridgeFunctionsTest, RectanglesArraysAndDefaults) {
  const Value zero = Eval("GETCLIENTRECT( 0 )");
  ASSERT_TRUE(zero.IsArray());
  ASSERT_EQ(zero.AsArray().size(), 4u);
  for (const Value& v : zero.AsArray()) EXPECT_EQ(v.AsInt(), 0);
  EXPECT_EQ(Eval("DRAWTEXT( 0 )").AsInt(), 0);  // fewer than two arguments: nothing drawn

  MemorySurface s(200, 40);
  s.Clear(RGB(255, 255, 255));
  const Value height = Call("DRAWTEXT", {H(s.dc()), Value::String("Texto")});
  EXPECT_GT(height.AsInt(), 0);
  int dark = 0;
  for (int x = 0; x < 200; ++x) {
    for (int y = 0; y < 40; ++y) dark += s.Pixel(x, y) != RGB(255, 255, 255);
  }
  EXPECT_GT(dark, 10);

  // Missing or wrong arguments count as 0: no DC, nothing drawn, no crash.
  EXPECT_FALSE(Eval("TEXTOUT()").AsLogical());
  EXPECT_FALSE(Eval("TEXTOUT( 'no es un DC', 1, 2, 'x' )").AsLogical());

  const Value brush = Call("CREATESOLIDBRUSH", {Num(RGB(255, 0, 0))});
  s.Clear(RGB(255, 255, 255));
  xb::Array rect = xb::Array::Of({Num(5), Num(10), Num(15), Num(30)});
  Call("FILLRECT", {H(s.dc()), Value(rect), brush});
  EXPECT_EQ(s.Pixel(10, 5), RGB(255, 0, 0));
  EXPECT_EQ(s.Pixel(29, 14), RGB(255, 0, 0));
  EXPECT_EQ(s.Pixel(30, 15), RGB(255, 255, 255));
  EXPECT_TRUE(Call("DELETEOBJECT", {brush}).AsLogical());
}

TEST_F(BridgeFunctionsTest, WindowsPointsAndPainting) {
  test::ProbeLog log;
  test::ProbeWindow window(&log, WS_POPUP | WS_VISIBLE);
  SetWindowPos(window.get(), nullptr, 100, 50, 200, 100, SWP_NOZORDER);
  const Value h = H(window.get());
  const Value rect = Call("GETCLIENTRECT", {h});
  EXPECT_EQ(rect.AsArray()[3].AsInt(), 200);
  EXPECT_EQ(rect.AsArray()[2].AsInt(), 100);

  // A point given as {y, x} is converted and written back.
  xb::Array point = xb::Array::Of({Num(10), Num(20)});
  const Value screen = Call("CLIENTTOSCREEN", {h, Value(point)});
  EXPECT_EQ(screen.AsArray()[0].AsInt(), 60);
  EXPECT_EQ(screen.AsArray()[1].AsInt(), 120);
  EXPECT_EQ(point[0].AsInt(), 60);
  EXPECT_EQ(point[1].AsInt(), 120);

  // BEGINPAINT gives the PAINTSTRUCT back through its reference; ENDPAINT takes it.
  InvalidateRect(window.get(), nullptr, TRUE);
  Value ps = Value::NewRef(Value::String(""));
  Value args[] = {h, ps};
  const Value dc = xb::CallFunction(xb::Intern("BEGINPAINT"), args);
  EXPECT_NE(dc.AsInt(), 0);
  EXPECT_EQ(ps.Deref().AsString().size(), sizeof(PAINTSTRUCT));
  Call("ENDPAINT", {h, ps.Deref()});
  EXPECT_FALSE(GetUpdateRect(window.get(), nullptr, FALSE));
  // INVALIDATERECT takes a rectangle or, in its place, the erase flag.
  Call("INVALIDATERECT", {h, Value::Logical(false)});
  EXPECT_TRUE(GetUpdateRect(window.get(), nullptr, FALSE));
  ValidateRect(window.get(), nullptr);
  Call("INVALIDATERECT", {h, Value(xb::Array::Of({Num(0), Num(0), Num(5), Num(5)}))});
  RECT dirty;
  GetUpdateRect(window.get(), &dirty, FALSE);
  EXPECT_EQ(dirty.right, 5);
  EXPECT_TRUE(Call("SHOWWINDOW", {h, Num(SW_HIDE)}).AsLogical());
  EXPECT_FALSE(Call("SHOWWINDOW", {Num(0)}).AsLogical());
}

TEST_F(BridgeFunctionsTest, SubclassingByNameRefusesSlotTwoThousand) {
  test::ProbeLog log;
  test::ProbeWindow window(&log);
  vdr::test::DialogAnswerer answerer([](const vdr::test::SeenDialog& d) {
    return d.buttons.empty() ? 0 : d.buttons.front().id;
  });
  EXPECT_EQ(Call("XCHANGEPROC", {H(window.get()), Num(2000)}).AsInt(), 0);
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].title, "Error from _XBPPProc");
  const Value old = Call("XCHANGEPROC", {H(window.get()), Num(1999)});
  EXPECT_NE(old.AsInt(), 0);
  EXPECT_NE(Call("RESTPROC", {H(window.get()), old}).AsInt(), 0);
  EXPECT_TRUE(Call("XFREEPROC", {Num(1)}).IsNil());
}

TEST_F(BridgeFunctionsTest, ResourcesLoopAndAccelerators) {
  const Value vdre = Eval("SETRESOURCES( 'VDRE.DLL' )");
  EXPECT_NE(vdre.AsInt(), 0);
  EXPECT_EQ(Eval("SETRESOURCES( 'vdre.dll' )").AsInt(), vdre.AsInt());
  EXPECT_EQ(Eval("SETRESOURCES( .T. )").AsInt(), vdre.AsInt());  // anything else: no change
  EXPECT_EQ(Eval("GETRESOURCES()").AsInt(), vdre.AsInt());
  EXPECT_NE(Eval("FINDRESOURCE( GETRESOURCES(), 'FININ2', 5 )").AsInt(), 0);
  EXPECT_EQ(Eval("SETRESOURCES( 0 )").AsInt(), 0);
  EXPECT_EQ(Eval("GETRESOURCES()").AsInt(), Eval("GETINSTANCE()").AsInt());

  EXPECT_TRUE(Eval("SYSREFRESH()").AsLogical());
  EXPECT_FALSE(Eval("LWRUNNING()").AsLogical());
  const Value table = Eval("SETACCTABLE( { { 116, 0, 100 }, { 83, 8, 101 } } )");
  EXPECT_NE(table.AsInt(), 0);
  EXPECT_TRUE(Eval("SETACCTABLE()").IsNil());
  EXPECT_TRUE(Eval("SETACCTABLE( 'x' )").IsNil());

  const Value record = Eval("CMDISTRUCT( 'Hija', 'Título', 0, 0, 300, 32768, 0, 0 )");
  ASSERT_EQ(record.AsString().size(), sizeof(MDICREATESTRUCTA));
  MDICREATESTRUCTA r;
  std::memcpy(&r, record.AsString().data(), sizeof r);
  EXPECT_EQ(r.cx, CW_USEDEFAULT);
  EXPECT_EQ(r.cy, 300);
  EXPECT_GT(Eval("GETTICKCOUNT()").AsInt(), 0);
  // System cursors and icons by number from no module.
  EXPECT_EQ(Eval("LOADCURSOR( 0, 32512 )").AsInt(), reinterpret_cast<std::intptr_t>(LoadCursorA(nullptr, IDC_ARROW)));
  EXPECT_NE(Eval("LOADICON( 0, 32512 )").AsInt(), 0);
}

TEST_F(BridgeFunctionsTest, TheDecoderByNameSendsToAMessageTarget) {
  struct Target : xb::Object, MessageTarget {
    Target() : xb::Object(Cls()) {}
    static const xb::Class& Cls() {
      static const xb::Class& c = xb::Class::Define("TDECODERTARGET");
      return c;
    }
    Answer KeyDown(int key, LPARAM) override { return Answer::Number(key + 1); }
    Answer NcActivate(bool active) override { return Answer::Logical(!active); }
  };
  auto target = xb::MakeRef<Target>();
  EXPECT_EQ(Call("WNDHANDLEEVENT", {Value(target), Num(WM_KEYDOWN), Num(40), Num(0)}).AsInt(), 41);
  EXPECT_TRUE(Call("WNDHANDLEEVENT", {Value(target), Num(WM_NCACTIVATE), Num(0), Num(0)}).AsLogical());
  EXPECT_TRUE(Call("WNDHANDLEEVENT", {Value(target), Num(WM_USER), Num(0), Num(0)}).IsNil());
  EXPECT_TRUE(Call("WNDHANDLEEVENT", {Value::String("no"), Num(WM_KEYDOWN), Num(0), Num(0)}).IsNil());
}

}  // namespace
}  // namespace ui

namespace ui {
namespace {

class MenuWrappersTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    RegisterBridgeFunctions();
  }
  static Value Eval(std::string_view text) { return xb::EvalMacro(text); }
};

TEST_F(MenuWrappersTest, MenusBuiltAndChangedByName) {
  const Value menu = Eval("CREATEPOPUPMENU()");
  xb::SetMemvar(xb::Intern("HM"), menu);
  EXPECT_TRUE(Eval("ISMENU( hM )").AsLogical());
  EXPECT_TRUE(Eval("APPENDMENU( hM, 0, 20001, '&Abrir' )").AsLogical());
  EXPECT_TRUE(Eval("APPENDMENU( hM, 2048, 0, '' )").AsLogical());
  EXPECT_TRUE(Eval("INSERTMENU( hM, 0, 1024, 20002, '&Nuevo' )").AsLogical());  // by position
  EXPECT_EQ(Eval("GETMITEMCOUNT( hM )").AsInt(), 3);
  EXPECT_EQ(Eval("GETMITEMID( hM, 1 )").AsInt(), 20001);
  EXPECT_EQ(Eval("GETMENUSTRING( hM, 20002, 0 )").AsString(), "&Nuevo");
  EXPECT_TRUE(Eval("CHECKMENUITEM( hM, 20001, 8 )").AsLogical());
  EXPECT_EQ(Eval("GETMENUSTATE( hM, 20001, 0 )").AsInt() & MF_CHECKED, MF_CHECKED);
  EXPECT_TRUE(Eval("ENABLEMENUITEM( hM, 20001, 1 )").AsLogical());
  EXPECT_EQ(Eval("GETMENUSTATE( hM, 20001, 0 )").AsInt() & MF_GRAYED, MF_GRAYED);
  EXPECT_TRUE(Eval("MODIFYMENU( hM, 20001, 0, 20001, '&Abrir empresa' )").AsLogical());
  EXPECT_EQ(Eval("GETMENUSTRING( hM, 20001, 0 )").AsString(), "&Abrir empresa");
  EXPECT_TRUE(Eval("REMOVEMENU( hM, 20002, 0 )").AsLogical());
  EXPECT_EQ(Eval("GETMITEMCOUNT( hM )").AsInt(), 2);
  EXPECT_EQ(Eval("GETMENUSTRING( hM, 99, 0 )").AsString(), "");
  EXPECT_TRUE(Eval("DESTROYMENU( hM )").AsLogical());
  EXPECT_FALSE(Eval("ISMENU( hM )").AsLogical());
}

TEST_F(MenuWrappersTest, MeasureRecordsAndKeyToggles) {
  MEASUREITEMSTRUCT measure = {};
  measure.itemID = 20005;
  const Value record = Value::Integer(reinterpret_cast<std::intptr_t>(&measure));
  xb::CallFunction("MENUMEASUREITEM", {record, Value::Integer(120)});
  EXPECT_EQ(measure.itemWidth, 120u);
  EXPECT_EQ(static_cast<int>(measure.itemHeight), GetSystemMetrics(SM_CYMENU));
  EXPECT_EQ(xb::CallFunction("GETMEAITEM", {record}).AsInt(), 20005);
  DRAWITEMSTRUCT draw = {};
  draw.itemID = 20006;
  draw.hwndItem = reinterpret_cast<HWND>(0x1234);
  const Value draw_record = Value::Integer(reinterpret_cast<std::intptr_t>(&draw));
  EXPECT_EQ(xb::CallFunction("GETDRAWITEM", {draw_record}).AsInt(), 20006);
  EXPECT_EQ(xb::CallFunction("GETDRAWMENU", {draw_record}).AsInt(), 0x1234);

  const bool before = Eval("GETKEYTOGGLE( 20 )").AsLogical();
  Eval("KEYTOGGLE( 20 )");
  EXPECT_NE(Eval("GETKEYTOGGLE( 20 )").AsLogical(), before);
  Eval("KEYTOGGLE( 20 )");
  EXPECT_EQ(Eval("GETKEYTOGGLE( 20 )").AsLogical(), before);
  EXPECT_FALSE(Eval("GETKEYSTATE( 20 )").AsLogical());
}

}  // namespace
}  // namespace ui
