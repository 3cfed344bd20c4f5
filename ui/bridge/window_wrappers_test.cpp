// The window, geometry, list, clipboard and drop wrappers called by name, on real windows.
#include "ui/bridge/window_wrappers.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/test_env.h"
#include "tests/support/pump.h"
#include "ui/bridge/bridge_functions.h"
#include "ui/bridge/input_wrappers.h"
#include "ui/bridge/probe_window_test_support.h"
#include "ui/bridge/resources.h"
#include "ui/bridge/window_geometry.h"

namespace ui {
namespace {

using xb::Value;

Value N(std::int64_t n) { return Value::Integer(n); }
Value H(const void* p) { return Value::Integer(reinterpret_cast<std::intptr_t>(p)); }
Value S(std::string_view s) { return Value::String(s); }

class WindowWrappersTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    RegisterBridgeFunctions();
  }
  void TearDown() override {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
      if (IsWindow(*it)) DestroyWindow(*it);
    }
    vdr::test::PumpPending();
    RuntimeTest::TearDown();
  }
  // A borderless window: its outer size is its client size.
  HWND Make(int x, int y, int width, int height, HWND parent = nullptr, const char* cls = "STATIC") {
    const DWORD style = parent != nullptr ? WS_CHILD | WS_VISIBLE : WS_POPUP;
    HWND h = CreateWindowExA(0, cls, "", style, x, y, width, height, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
    made_.push_back(h);
    return h;
  }
  static Value Call(std::string_view name, std::initializer_list<Value> args = {}) {
    return xb::CallFunction(name, args);
  }
  static WindowBox Box(HWND h) { return WindowBoxOf(h); }

  std::vector<HWND> made_;
};

struct DockCase {
  const char* what;
  bool parent_is_child;
  int top, bottom, left, right;  // bar sizes, 0 for none
  bool flag;
  int margin;
  WindowBox expected;
};

TEST_F(WindowWrappersTest, ClientFitsBetweenBars) {
  // A 400 x 300 client area; L counts the left bar's width less one.
  const DockCase cases[] = {
      {"no bars", false, 0, 0, 0, 0, false, 0, {-1, -1, 402, 303}},
      {"no bars, flag", false, 0, 0, 0, 0, true, 0, {-1, -1, 402, 301}},
      {"four bars", false, 30, 20, 50, 40, false, 0, {48, 28, 313, 253}},
      {"four bars, flag", false, 30, 20, 50, 40, true, 0, {48, 29, 313, 252}},
      {"margin", false, 30, 20, 50, 40, false, 5, {54, 35, 301, 240}},
      {"child parent, top and bottom", true, 30, 20, 0, 0, false, 0, {0, 28, 400, 252}},
      {"child parent, bottom and left", true, 0, 20, 50, 0, false, 0, {49, 0, 351, 281}},
      {"only a right bar", false, 0, 0, 0, 60, false, 0, {-1, -1, 342, 303}},
  };
  for (const DockCase& c : cases) {
    SCOPED_TRACE(c.what);
    HWND frame = Make(10, 10, 400, 300);
    HWND parent = c.parent_is_child ? Make(0, 0, 400, 300, frame) : frame;
    auto bar = [&](int size, int x, int y, int w, int h) { return size > 0 ? Make(x, y, w, h, parent) : nullptr; };
    HWND top = bar(c.top, 0, 0, 400, c.top);
    HWND bottom = bar(c.bottom, 0, 0, 400, c.bottom);
    HWND left = bar(c.left, 0, 0, c.left, 100);
    HWND right = bar(c.right, 0, 0, c.right, 100);
    HWND client = Make(5, 5, 10, 10, parent);
    Call("WNDADJCLIENT", {H(client), H(top), H(bottom), H(left), H(right), Value::Logical(c.flag), N(c.margin)});
    const WindowBox got = Box(client);
    EXPECT_EQ(got.left, c.expected.left);
    EXPECT_EQ(got.top, c.expected.top);
    EXPECT_EQ(got.width, c.expected.width);
    EXPECT_EQ(got.height, c.expected.height);
  }
}

TEST_F(WindowWrappersTest, BarsTakeTheirEdges) {
  HWND frame = Make(10, 10, 400, 300);
  HWND top = Make(7, 7, 50, 30, frame);
  HWND bottom = Make(7, 7, 50, 20, frame);
  HWND left = Make(7, 7, 60, 10, frame);
  HWND right = Make(7, 7, 40, 10, frame);
  Call("WNDADJTOP", {H(top)});
  Call("WNDADJBOTTOM", {H(bottom)});
  Call("WNDADJLEFT", {H(left), H(top), H(bottom)});
  Call("WNDADJRIGHT", {H(right), H(top), H(bottom)});
  auto same = [](const WindowBox& a, const WindowBox& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
  };
  EXPECT_TRUE(same(Box(top), {0, 0, 400, 30}));
  EXPECT_TRUE(same(Box(bottom), {0, 280, 400, 20}));
  EXPECT_TRUE(same(Box(left), {0, 30, 60, 250}));
  EXPECT_TRUE(same(Box(right), {360, 30, 40, 250}));
  // Without bars the side bar runs the whole height.
  Call("WNDADJLEFT", {H(left), N(0), N(0)});
  EXPECT_TRUE(same(Box(left), {0, 0, 60, 300}));
}

TEST_F(WindowWrappersTest, MovesSizesAndCentring) {
  HWND frame = Make(10, 10, 400, 300);
  HWND child = Make(20, 30, 100, 50, frame);
  // MOVEWINDOW(h, nTop, nLeft, nWidth, nHeight): a width of 0 keeps the size.
  EXPECT_TRUE(Call("MOVEWINDOW", {H(child), N(40), N(60), N(0), N(0)}).AsLogical());
  EXPECT_EQ(Call("WNDTOP", {H(child)}).AsInt(), 40);
  EXPECT_EQ(Call("WNDLEFT", {H(child)}).AsInt(), 60);
  EXPECT_EQ(Call("WNDWIDTH", {H(child)}).AsInt(), 100);
  EXPECT_EQ(Call("WNDHEIGHT", {H(child)}).AsInt(), 50);
  EXPECT_EQ(Call("WNDWIDTH", {H(child), N(120)}).AsInt(), 120);
  EXPECT_EQ(Call("WNDHEIGHT", {H(child)}).AsInt(), 50);
  EXPECT_EQ(Call("WNDTOP", {H(child), N(5)}).AsInt(), 5);
  EXPECT_EQ(Call("WNDLEFT", {H(child)}).AsInt(), 60);
  EXPECT_TRUE(Call("WNDSETSIZE", {H(child), N(200), N(100)}).AsLogical());
  EXPECT_EQ(Box(child).left, 60);
  EXPECT_EQ(Box(child).width, 200);
  Call("WNDCENTER", {H(child), H(frame)});
  EXPECT_EQ(Box(child).left, 100);
  EXPECT_EQ(Box(child).top, 100);
  {
    // Without a window to centre on, the desktop's centre, whatever part of it is kept free.
    HWND top = Make(0, 0, 200, 100);
    RECT desk = {}, work = {};
    GetWindowRect(GetDesktopWindow(), &desk);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT smaller = {desk.left, desk.top, desk.left + (desk.right - desk.left) / 2, desk.bottom};
    ASSERT_TRUE(SystemParametersInfoA(SPI_SETWORKAREA, 0, &smaller, 0));
    Call("WNDCENTER", {H(top)});
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &work, 0);
    EXPECT_EQ(Box(top).left, desk.left + (desk.right - desk.left - 200) / 2);
    EXPECT_EQ(Box(top).top, desk.top + (desk.bottom - desk.top - 100) / 2);
  }
  // SETWINDOWPOS(h, hAfter, nTop, nLeft, nWidth, nHeight, nFlags)
  EXPECT_TRUE(Call("SETWINDOWPOS", {H(child), N(0), N(7), N(9), N(30), N(20), N(SWP_NOZORDER)}).AsLogical());
  EXPECT_EQ(Box(child).top, 7);
  EXPECT_EQ(Box(child).left, 9);
  // An invalid window changes nothing and says so.
  DestroyWindow(child);
  EXPECT_FALSE(Call("MOVEWINDOW", {H(child), N(1), N(1), N(10), N(10)}).AsLogical());
  EXPECT_FALSE(Call("WNDSETSIZE", {H(child), N(1), N(1)}).AsLogical());
  EXPECT_FALSE(Call("DESTROYWINDOW", {H(child)}).AsLogical());
  EXPECT_FALSE(Call("ENABLEWINDOW", {H(child), Value::Logical(true)}).AsLogical());
  EXPECT_EQ(Call("GETWINDOWTEXT", {H(child)}).AsString(), "");
}

TEST_F(WindowWrappersTest, MessagesTextsAndClasses) {
  test::ProbeLog log;
  test::ProbeWindow probe(&log, WS_POPUP);
  const Value h = H(probe.get());
  EXPECT_EQ(Call("SENDMESSAGE", {h, N(test::kProbe), N(0), N(0)}).AsInt(), test::kProbeAnswer);
  // A text lParam: SENDMESSAGE passes the text; the posted copy outlives the caller's string.
  EXPECT_NE(Call("SENDMESSAGE", {h, N(WM_SETTEXT), N(0), S("Título enviado")}).AsInt(), 0);
  EXPECT_EQ(Call("GETWINDOWTEXT", {h}).AsString(), "Título enviado");
  constexpr UINT kPosted = WM_APP + 5;
  EXPECT_NE(Call("POSTMESSAGE", {h, N(kPosted), N(0), S(std::string("Texto ") + "puesto")}).AsInt(), 0);
  MSG posted = {};
  ASSERT_TRUE(PeekMessageA(&posted, probe.get(), kPosted, kPosted, PM_REMOVE));
  EXPECT_STREQ(reinterpret_cast<const char*>(posted.lParam), "Texto puesto");
  const std::string long_text(300, 'x');
  Call("SETWINDOWTEXT", {h, S(long_text)});
  EXPECT_EQ(Call("GETWINDOWTEXT", {h}).AsString(), long_text);
  EXPECT_EQ(Call("GETWINTXTLENGHT", {h}).AsInt(), 300);
  EXPECT_EQ(Call("GETCLASSNAME", {h}).AsString(), "VdrBridgeProbe");
  // -1 reaches every top-level window; a destroyed one nothing.
  EXPECT_NE(Call("POSTMESSAGE", {N(-1), N(WM_NULL), N(0), N(0)}).AsInt(), 0);
  HWND gone = Make(0, 0, 10, 10);
  DestroyWindow(gone);
  EXPECT_EQ(Call("POSTMESSAGE", {H(gone), N(WM_NULL), N(0), N(0)}).AsInt(), 0);
  EXPECT_EQ(Call("SENDMESSAGE", {H(gone), N(WM_NULL), N(0), N(0)}).AsInt(), 0);

  // Long values through the pointer-wide forms.
  const std::int64_t wide = std::int64_t{0x12345678} << 8;
  Call("SETWINDOWLONG", {h, N(GWLP_USERDATA), N(wide)});
  EXPECT_EQ(Call("GETWINDOWLONG", {h, N(GWLP_USERDATA)}).AsInt(), wide);
  Call("SETWINDOWLONG", {h, N(GWLP_USERDATA), N(0)});

  // REGISTERCLASS with only a name: style 0, the program's instance, background 6.
  EXPECT_TRUE(Call("REGISTERCLASS", {S("VdrClaseSola")}).AsLogical());
  EXPECT_FALSE(Call("REGISTERCLASS", {S("VdrClaseSola")}).AsLogical());  // already there
  const Value info = Call("GETCLASSINFO", {H(GetInstance()), S("VdrClaseSola")});
  ASSERT_TRUE(info.IsArray());
  ASSERT_EQ(info.AsArray().size(), 10u);
  EXPECT_EQ(info.AsArray()[0].AsInt(), 0);
  EXPECT_EQ(info.AsArray()[4].AsInt(), reinterpret_cast<std::intptr_t>(GetInstance()));
  EXPECT_EQ(info.AsArray()[7].AsInt(), COLOR_WINDOW + 1);
  EXPECT_TRUE(info.AsArray()[8].IsNil());
  EXPECT_EQ(info.AsArray()[9].AsString(), "VdrClaseSola");
  EXPECT_TRUE(Call("REGISTERCLASS", {S("VdrClaseMenu"), N(CS_DBLCLKS), N(0), N(0), N(0), N(0), N(0), S("MENUPRUEBA")})
                  .AsLogical());
  const Value with_menu = Call("GETCLASSINFO", {H(GetInstance()), S("VdrClaseMenu")});
  EXPECT_EQ(with_menu.AsArray()[0].AsInt(), CS_DBLCLKS);
  EXPECT_EQ(with_menu.AsArray()[8].AsString(), "MENUPRUEBA");
  EXPECT_TRUE(Call("GETCLASSINFO", {H(GetInstance()), S("VdrNoRegistrada")}).IsNil());
  HWND made = Make(0, 0, 50, 50, nullptr, "VdrClaseSola");
  EXPECT_NE(made, nullptr);
  UnregisterClassA("VdrClaseSola", GetInstance());
}

TEST_F(WindowWrappersTest, WordsAndRecords) {
  struct Row {
    const char* text;
    std::int64_t expected;
  };
  const Row rows[] = {
      {"NLOWORD( 65535 )", -1},          {"NLOWORD( 0x12345 )", 0x2345},
      {"NHIWORD( -1 )", -1},             {"NHIWORD( 0x7FFF0000 )", 0x7FFF},
      {"NHIWORD( -65536 * 3 )", -3},     {"NLOBYTE( 0x1234 )", 0x34},
      {"NMAKELONG( 1, 2 )", 0x20001},    {"NMAKELONG( 65535, 32768 )", -2147418113LL},
      {"NMAKELONG( -1, -1 )", -1},
  };
  for (const Row& r : rows) EXPECT_EQ(xb::EvalMacro(r.text).AsInt(), r.expected) << r.text;

  NMHDR header = {};
  header.hwndFrom = reinterpret_cast<HWND>(static_cast<std::intptr_t>(0x1234567890));
  header.code = static_cast<UINT>(-402);
  EXPECT_EQ(Call("GETNMHDRCODE", {H(&header)}).AsInt(), -402);
  EXPECT_EQ(Call("GETNMHDRHWNDFROM", {H(&header)}).AsInt(), 0x1234567890);
  EXPECT_EQ(Call("GETNMHDRCODE", {N(0)}).AsInt(), 0);

  MINMAXINFO mm = {};
  EXPECT_EQ(Call("SETMINMAX", {H(&mm), Value(xb::Array::Of({N(1), N(2), N(3), N(4), N(5), N(6), N(7), N(8)}))})
                .AsInt(),
            0);
  EXPECT_EQ(mm.ptMaxSize.x, 1);
  EXPECT_EQ(mm.ptMaxPosition.y, 4);
  EXPECT_EQ(mm.ptMinTrackSize.x, 5);
  EXPECT_EQ(mm.ptMaxTrackSize.y, 8);

  HELPINFO help = {};
  help.cbSize = sizeof help;
  help.hItemHandle = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(0x7654321000));
  EXPECT_EQ(Call("HELPCTRLHWND", {H(&help)}).AsInt(), 0x7654321000);
}

TEST_F(WindowWrappersTest, ListBoxesAndEditLines) {
  HWND frame = Make(10, 10, 300, 200);
  HWND list = CreateWindowExA(0, "LISTBOX", "", WS_CHILD | WS_VISIBLE | LBS_MULTIPLESEL, 0, 0, 200, 150, frame, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  for (const char* item : {"Uno", "Dos", "Tres"}) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  SendMessageA(list, LB_SETSEL, TRUE, 0);
  SendMessageA(list, LB_SETSEL, TRUE, 2);
  EXPECT_EQ(Call("LBXGETITEM", {H(list), N(2)}).AsString(), "Dos");
  EXPECT_EQ(Call("LBXGETITEM", {H(list), N(4)}).AsString(), "");
  EXPECT_EQ(Call("LBXGETITEM", {H(list), N(0)}).AsString(), "");
  const Value selected = Call("LBXGETSELITEMS", {H(list)});
  ASSERT_EQ(selected.AsArray().size(), 2u);
  EXPECT_EQ(selected.AsArray()[0].AsInt(), 1);
  EXPECT_EQ(selected.AsArray()[1].AsInt(), 3);

  HWND edit = CreateWindowExA(0, "EDIT", "primera\r\nsegunda", WS_CHILD | ES_MULTILINE, 0, 0, 200, 100, frame,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(Call("MGETLINE", {H(edit), N(1)}).AsString(), "segunda");
  SendMessageA(edit, EM_SETSEL, 0, 7);
  Call("MGETREPLACE", {H(edit), S("1ª")});
  EXPECT_EQ(Call("MGETLINE", {H(edit), N(0)}).AsString(), "1ª");

  // Scroll bars of a window.
  HWND scrolled = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VSCROLL, 0, 0, 100, 100, frame, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
  EXPECT_TRUE(Call("WNDHASSCROLLS", {H(scrolled)}).AsLogical());
  EXPECT_FALSE(Call("WNDHASSCROLLS", {H(list)}).AsLogical());
  Call("SETSCROLLRANGE", {H(scrolled), N(SB_VERT), N(1), N(50), Value::Logical(false)});
  const Value range = Call("GETSCROLLRANGE", {H(scrolled), N(SB_VERT)});
  EXPECT_EQ(range.AsArray()[0].AsInt(), 1);
  EXPECT_EQ(range.AsArray()[1].AsInt(), 50);
  Call("SETSCROLLPOS", {H(scrolled), N(SB_VERT), N(20), Value::Logical(false)});
  EXPECT_EQ(Call("SETSCROLLPOS", {H(scrolled), N(SB_VERT), N(30), Value::Logical(false)}).AsInt(), 20);
  EXPECT_EQ(Call("GETSCROLLPOS", {H(scrolled), N(SB_VERT)}).AsInt(), 30);
}

TEST_F(WindowWrappersTest, ClipboardTextAndBitmap) {
  HWND owner = Make(0, 0, 10, 10);
  ASSERT_TRUE(Call("OPENCLIPBOARD", {H(owner)}).AsLogical());
  EXPECT_TRUE(Call("EMPTYCLIPBOARD").AsLogical());
  EXPECT_TRUE(Call("SETCLIPBOARDDATA", {N(1), S("Copiado: año")}).AsLogical());
  HDC screen = GetDC(nullptr);
  HBITMAP picture = CreateCompatibleBitmap(screen, 8, 6);
  ReleaseDC(nullptr, screen);
  EXPECT_TRUE(Call("SETCLIPBOARDDATA", {N(2), H(picture)}).AsLogical());
  EXPECT_TRUE(Call("CLOSECLIPBOARD").AsLogical());
  DeleteObject(picture);  // the clipboard holds its own copy

  ASSERT_TRUE(Call("OPENCLIPBOARD", {H(owner)}).AsLogical());
  EXPECT_EQ(Call("GETCLPDATA", {N(1)}).AsString(), "Copiado: año");
  const Value copy = Call("GETCLPDATA", {N(2)});
  ASSERT_NE(copy.AsInt(), 0);
  BITMAP info = {};
  GetObjectA(reinterpret_cast<HBITMAP>(copy.AsInt()), sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 8);
  EXPECT_EQ(info.bmHeight, 6);
  DeleteObject(reinterpret_cast<HBITMAP>(copy.AsInt()));
  EmptyClipboard();
  EXPECT_EQ(Call("GETCLPDATA", {N(1)}).AsString(), "");
  EXPECT_EQ(Call("GETCLPDATA", {N(2)}).AsInt(), 0);
  CloseClipboard();
}

// A drop as the shell hands it over: a DROPFILES header and the names, each NUL-ended.
HDROP MakeDrop(const std::vector<std::string>& names, POINT at) {
  std::string list;
  for (const std::string& n : names) list += n + '\0';
  list += '\0';
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->pt = at;
  drop->fNC = FALSE;
  drop->fWide = FALSE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

TEST_F(WindowWrappersTest, DroppedFiles) {
  const std::string deep = "C:\\" + std::string(300, 'c') + "\\fichero.txt";  // longer than MAX_PATH
  HDROP drop = MakeDrop({"C:\\datos\\uno.dbf", deep}, POINT{12, 34});
  const Value files = Call("DRAGQUERYFILES", {H(drop)});
  ASSERT_EQ(files.AsArray().size(), 2u);
  EXPECT_EQ(files.AsArray()[0].AsString(), "C:\\datos\\uno.dbf");
  EXPECT_EQ(files.AsArray()[1].AsString(), deep);
  Value point = Value::NewRef(Value());
  Value args[] = {H(drop), point};
  EXPECT_TRUE(xb::CallFunction(xb::Intern("DRAGQUERYPOINT"), args).AsLogical());
  ASSERT_TRUE(point.Deref().IsArray());
  EXPECT_EQ(point.Deref().AsArray()[0].AsInt(), 12);
  EXPECT_EQ(point.Deref().AsArray()[1].AsInt(), 34);
  // DRAGFINISH leaves the drop to the window that took it: the handle still reads.
  EXPECT_TRUE(Call("DRAGFINISH", {H(drop)}).IsNil());
  EXPECT_EQ(Call("DRAGQUERYFILES", {H(drop)}).AsArray().size(), 2u);
  DragFinish(drop);
  EXPECT_EQ(Call("DRAGQUERYFILES", {N(0)}).AsArray().size(), 0u);
}

}  // namespace
}  // namespace ui
