// Docking of controls, dropped files kept by the window, and the window's design aids
// (Save/Load, cGenPrg, GenDbf).
#include "ui/core/window_design.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/rdd/workareas.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "ui/bridge/window_geometry.h"
#include "ui/core/core_test_support.h"
#include "ui/core/plain_control.h"
#include "ui/core/tcontrol.h"

namespace ui {
namespace {

using xb::Value;

class WindowDesignTest : public test::FrameworkTest {
 protected:
  xb::Ref<PlainControl> Child(const WindowRef& parent, int width, int height, const std::string& caption = {}) {
    PlainControl::Params p;
    p.windows_class = "STATIC";
    p.parent = parent;
    p.width = width;
    p.height = height;
    p.caption = caption;
    return PlainControl::Place(p);
  }
  static bool Same(const WindowBox& got, const WindowBox& want) {
    return got.left == want.left && got.top == want.top && got.width == want.width && got.height == want.height;
  }
};

TEST_F(WindowDesignTest, ControlsDockOnEachResize) {
  auto w = Make(40, 40, 420, 320);
  auto top = Child(w, 10, 30);
  auto bottom = Child(w, 10, 20);
  auto left = Child(w, 50, 10);
  auto client = Child(w, 10, 10);
  client->nClientBevel = 4;
  w->oTop = top;
  w->oBottom = bottom;
  w->oLeft = left;
  w->oClient = client;
  MoveWindow(w->hWnd, 40, 40, 440, 330, TRUE);
  RECT area;
  GetClientRect(w->hWnd, &area);
  const int W = area.right, H = area.bottom;
  EXPECT_TRUE(Same(WindowBoxOf(top->hWnd), {0, 0, W, 30}));
  EXPECT_TRUE(Same(WindowBoxOf(bottom->hWnd), {0, H - 20, W, 20}));
  EXPECT_TRUE(Same(WindowBoxOf(left->hWnd), {0, 30, 50, H - 50}));
  // The client leaves its bevel between the bars (the left bar counts one pixel less).
  EXPECT_TRUE(Same(WindowBoxOf(client->hWnd), {49 + 4, 30 + 4, W - 49 - 8, H - 30 - 20 - 8}));

  // Each control docks itself by name, too.
  MoveWindow(top->hWnd, 5, 5, 10, 30, TRUE);
  MoveWindow(client->hWnd, 5, 5, 10, 10, TRUE);
  xb::SetMemvar(xb::Intern("OTOP"), Value(top));
  xb::SetMemvar(xb::Intern("OCLI"), Value(client));
  xb::EvalMacro("oTop:AdjTop()");
  xb::EvalMacro("oCli:AdjClient()");
  EXPECT_TRUE(Same(WindowBoxOf(top->hWnd), {0, 0, W, 30}));
  EXPECT_TRUE(Same(WindowBoxOf(client->hWnd), {49 + 4, 30 + 4, W - 49 - 8, H - 30 - 20 - 8}));
  w->oTop = w->oBottom = w->oLeft = w->oClient = nullptr;
}

HDROP MakeDrop(const char* name) {
  const std::string list = std::string(name) + '\0' + '\0';
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->pt = POINT{5, 6};
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

TEST_F(WindowDesignTest, ADropStaysValidUntilTheNextOneOrTheWindowsEnd) {
  auto w = Make();
  std::vector<std::string> dropped;
  w->bDropFiles = test::Blk([&](xb::Args& a) {
    dropped.emplace_back(a.Arr(3).Get(0).AsString());
    return Value();
  });
  HDROP first = MakeDrop("C:\\uno.txt");
  SendMessageA(w->hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(first), 0);
  EXPECT_EQ(w->hDrop, first);
  EXPECT_NE(GlobalSize(first), 0u);  // still the program's to read
  HDROP second = MakeDrop("C:\\dos.txt");
  SendMessageA(w->hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(second), 0);
  EXPECT_EQ(dropped, (std::vector<std::string>{"C:\\uno.txt", "C:\\dos.txt"}));
  EXPECT_EQ(GlobalSize(first), 0u);  // finished when the next came
  EXPECT_NE(GlobalSize(second), 0u);
  DestroyWindow(w->hWnd);
  EXPECT_EQ(GlobalSize(second), 0u);  // finished with the window
}

TEST_F(WindowDesignTest, SavedPropertiesLoadIntoAnotherWindow) {
  auto w = Make();
  w->SetText("Guardada");
  w->cVarName = "oVentana";
  w->nClrText = RGB(1, 2, 3);
  xb::SetMemvar(xb::Intern("OW"), Value(w));
  const std::string record(xb::EvalMacro("oW:Save()").AsString());
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(record[0], 'O');

  auto other = Make();
  xb::SetMemvar(xb::Intern("OOTRA"), Value(other));
  xb::SetMemvar(xb::Intern("CREC"), Value::String(record));
  EXPECT_TRUE(xb::EvalMacro("oOtra:Load( cRec )").AsLogical());
  EXPECT_EQ(other->GetText(), "Guardada");
  EXPECT_EQ(other->cVarName, "oVentana");
  EXPECT_EQ(other->nClrText, RGB(1, 2, 3));

  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string file = std::string(temp) + "vdr_ventana.txt";
  xb::SetMemvar(xb::Intern("CFILE"), Value::String(file));
  EXPECT_TRUE(xb::EvalMacro("oW:SaveFile( cFile )").AsLogical());
  other->SetText("Otra");
  EXPECT_TRUE(xb::EvalMacro("oOtra:LoadFile( cFile )").AsLogical());
  EXPECT_EQ(other->GetText(), "Guardada");
  DeleteFileA(file.c_str());
  EXPECT_NE(std::string(xb::EvalMacro("oW:SaveToText()").AsString()).find("cTitle = Guardada"), std::string::npos);

  std::vector<std::string> seen;
  vdr::test::DialogAnswerer answer([&](const vdr::test::SeenDialog& d) {
    seen.push_back(d.AllText());
    return d.buttons.empty() ? 0 : d.buttons.front().id;
  });
  EXPECT_FALSE(xb::EvalMacro("oOtra:LoadFile( 'c:\\no\\existe.txt' )").AsLogical());
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_NE(seen[0].find("File not found: c:\\no\\existe.txt"), std::string::npos);
}

TEST_F(WindowDesignTest, SourceTextAndControlTable) {
  xb::rdd::InitTables();
  auto w = Make();
  Child(w, 80, 20, "Nombre");
  Child(w, 60, 25, "Importe");
  const std::string text = CGenPrg(*w);
  EXPECT_EQ(text.substr(0, text.find('\r')), "#include \"Vexilo.ch\"");
  EXPECT_NE(text.find("static oWnd"), std::string::npos);
  EXPECT_NE(text.find("function Main()"), std::string::npos);
  EXPECT_NE(text.find("DEFINE WINDOW oWnd TITLE \"Prueba\""), std::string::npos);
  EXPECT_NE(text.find("DEFINE BRUSH oBrush"), std::string::npos);
  EXPECT_LT(text.find("DEFINE WINDOW"), text.find("ACTIVATE WINDOW oWnd"));

  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string table = std::string(temp) + "vdr_controles.dbf";
  DeleteFileA(table.c_str());
  ASSERT_TRUE(GenDbf(*w, table));
  ASSERT_TRUE(xb::CallFunction("DBUSEAREA", {Value::Logical(true), Value(), Value::String(table), Value::String("CTL"),
                                             Value::Logical(false)}).AsLogical());
  EXPECT_EQ(xb::EvalMacro("RECCOUNT()").AsInt(), 2);
  xb::EvalMacro("DBGOTO( 2 )");
  EXPECT_EQ(std::string(xb::EvalMacro("RTRIM( FIELD->CAPTION )").AsString()), "Importe");
  EXPECT_EQ(xb::EvalMacro("FIELD->HEIGHT").AsInt(), 25);
  xb::EvalMacro("DBCLOSEAREA()");
  // An existing table is overwritten only when the user says so.
  std::vector<std::string> seen;
  vdr::test::DialogAnswerer answer([&](const vdr::test::SeenDialog& d) {
    seen.push_back(d.title);
    const int no = d.ButtonId("No");
    return no != 0 ? no : (d.buttons.empty() ? 0 : d.buttons.back().id);
  });
  EXPECT_FALSE(GenDbf(*w, table));
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "This file already exists");
  DeleteFileA(table.c_str());
}

}  // namespace
}  // namespace ui
