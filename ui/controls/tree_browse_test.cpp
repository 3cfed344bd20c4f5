// A record browse showing a tree built with TREEBEGIN / _TREEITEM / TREEEND: its lines,
// moving over them, Enter and a double click opening and closing branches.
#include <gtest/gtest.h>

#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/rdd/workareas.h"
#include "ui/controls/controls_test_support.h"
#include "ui/controls/tlinklist.h"
#include "ui/controls/ttreeitem.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/tdialog.h"

namespace ui {
namespace {

using xb::Value;

class TreeBrowseTest : public test::ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    xb::rdd::InitTables();
  }
  xb::Ref<TWBrowse> Browse(TWindow& window) {
    TWBrowse::NewParams p;
    p.pixel = true;
    p.width = 300;
    p.height = 220;
    p.parent = WindowRef(&window);
    p.alias = "";
    auto b = xb::MakeRef<TWBrowse>();
    b->New(p);
    made_.push_back(b->hWnd);
    return b;
  }
  static std::string Current(TWBrowse& b) {
    auto* item = dynamic_cast<TTreeItem*>(b.Cargo.AsObject().get());
    return item != nullptr ? item->cPrompt : "";
  }
};

TEST_F(TreeBrowseTest, BranchesOpenAndCloseFromTheKeyboardAndTheMouse) {
  auto window = Make(40, 40, 340, 280);
  ShowWindow(window->hWnd, SW_SHOW);
  auto b = Browse(*window);
  const Value tree = xb::EvalMacro(
      "(TreeBegin('BMPVERDE', 'BMPROJO'),"
      "   _TreeItem('Empresas'),"
      "   TreeBegin('BMPUNCHECKED', 'BMPCHECKED'),"
      "     _TreeItem('Altas'), _TreeItem('Bajas'),"
      "   TreeEnd(),"
      "   _TreeItem('Usuarios'),"
      "   TreeBegin(), _TreeItem('Supervisor', 'BMPCHECKED'), TreeEnd(),"
      "   _TreeItem('Grupos'),"
      " TreeEnd())");
  auto* list = dynamic_cast<TLinkList*>(tree.AsObject().get());
  ASSERT_NE(list, nullptr);
  b->SetTree(*list);
  b->GoTop();
  b->Refresh();
  EXPECT_TRUE(b->lTree);
  EXPECT_EQ(b->nHLine, 0);
  EXPECT_EQ(b->LogicLen(), 3);
  EXPECT_EQ(Current(*b), "Empresas");
  EXPECT_EQ(b->GetColSizes(), (std::vector<int>{16, 16, 300}));
  Screenshot(window->hWnd, "tree_browse_closed");

  SetFocus(b->hWnd);
  SendMessageA(b->hWnd, WM_CHAR, VK_RETURN, 1);  // opens "Empresas"
  EXPECT_EQ(b->LogicLen(), 5);
  Key(b->hWnd, VK_DOWN);
  Key(b->hWnd, VK_DOWN);
  EXPECT_EQ(Current(*b), "Bajas");
  EXPECT_EQ(b->GetColSizes(), (std::vector<int>{16, 16, 16, 300}));  // one level deeper
  Key(b->hWnd, VK_DOWN);
  EXPECT_EQ(Current(*b), "Usuarios");
  EXPECT_EQ(b->nRowPos, 4);
  // A double click on the selected line opens "Usuarios".
  const int y = b->nHRow() * b->nRowPos + b->nHRow() / 2;
  SendMessageA(b->hWnd, WM_LBUTTONDBLCLK, 0, MAKELPARAM(60, y));
  EXPECT_EQ(b->LogicLen(), 6);
  Key(b->hWnd, VK_END);
  EXPECT_EQ(Current(*b), "Grupos");
  EXPECT_EQ(b->nRowPos, 6);
  Screenshot(window->hWnd, "tree_browse_open");
  // Enter on an item without branches changes nothing; on "Empresas" it closes.
  SendMessageA(b->hWnd, WM_CHAR, VK_RETURN, 1);
  EXPECT_EQ(b->LogicLen(), 6);
  Key(b->hWnd, VK_HOME);
  EXPECT_EQ(Current(*b), "Empresas");
  SendMessageA(b->hWnd, WM_CHAR, VK_RETURN, 1);
  EXPECT_EQ(b->LogicLen(), 4);
  Key(b->hWnd, VK_END);
  EXPECT_EQ(Current(*b), "Grupos");
  Key(b->hWnd, VK_UP);
  EXPECT_EQ(Current(*b), "Supervisor");
  // What compiled text sees.
  xb::DeclarePublic(xb::Intern("OBRW"));
  xb::SetMemvar(xb::Intern("OBRW"), b->Self());
  EXPECT_EQ(xb::EvalMacro("oBrw:Cargo:cPrompt").AsString(), "Supervisor");
  EXPECT_EQ(xb::EvalMacro("oBrw:Cargo:nLevel").AsInt(), 2);
  list->End();
}

// A tree's lines do not scroll sideways: the horizontal bar is taken away, whether the
// browse's window was made before the tree was given (the bar object then exists) or the
// tree was given to a browse of a dialog not yet shown, and no paint brings it back.
TEST_F(TreeBrowseTest, ATreeBrowseHasNoHorizontalScrollBar) {
  struct Case {
    const char* name;
    bool in_dialog;
  };
  for (const Case& c : {Case{"tree_browse_no_hbar", false}, Case{"tree_browse_no_hbar_dialog", true}}) {
    SCOPED_TRACE(c.name);
    const Value tree = xb::EvalMacro(
        "(TreeBegin('BMPVERDE', 'BMPROJO'),"
        "   _TreeItem('Empresas'),"
        "   TreeBegin(), _TreeItem('Altas'), _TreeItem('Bajas'), TreeEnd(),"
        "   _TreeItem('Usuarios'),"
        " TreeEnd())");
    auto* list = dynamic_cast<TLinkList*>(tree.AsObject().get());
    ASSERT_NE(list, nullptr);
    list->OpenAll();
    TWBrowse::NewParams p;
    p.pixel = true;
    p.width = 300;
    p.height = 200;
    p.alias = "";
    auto b = xb::MakeRef<TWBrowse>();
    DialogRef dialog;
    xb::Ref<TWindow> window;
    if (c.in_dialog) {
      dialog = xb::MakeRef<TDialog>();
      dialog->New({.top = 40, .left = 40, .caption = "Árbol", .pixel = true, .width = 520, .height = 400});
      p.parent = dialog;
      p.width = 220;  // a dialog in memory stretches its controls
      p.height = 150;
      b->New(p);
      ASSERT_EQ(b->hWnd, nullptr);
      b->SetTree(*list);
      dialog->Activate({.modal = false});
      ASSERT_NE(b->hWnd, nullptr);
    } else {
      window = Make(40, 40, 340, 260);
      ShowWindow(window->hWnd, SW_SHOW);
      p.parent = WindowRef(window.get());
      b->New(p);
      made_.push_back(b->hWnd);
      ASSERT_TRUE(b->oHBar) << "a browse made in a window has the bar at first";
      b->SetTree(*list);
    }
    b->Refresh();
    HWND top = c.in_dialog ? dialog->hWnd : window->hWnd;
    Screenshot(top, c.name);  // paints the browse too
    EXPECT_EQ(b->LogicLen(), 4);
    EXPECT_FALSE(b->oHBar);
    int min = -1, max = -1;
    GetScrollRange(b->hWnd, SB_HORZ, &min, &max);
    EXPECT_EQ(min, 0);
    EXPECT_EQ(max, 0);
    EXPECT_EQ(GetWindowLongA(b->hWnd, GWL_STYLE) & WS_HSCROLL, 0) << "the bar is hidden";
    EXPECT_NE(GetWindowLongA(b->hWnd, GWL_STYLE) & WS_VSCROLL, 0);
    // The client area reaches the lower border: no bar below the rows.
    RECT outer = {}, client = {};
    GetWindowRect(b->hWnd, &outer);
    GetClientRect(b->hWnd, &client);
    AdjustWindowRectEx(&client, static_cast<DWORD>(GetWindowLongA(b->hWnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(b->hWnd, GWL_EXSTYLE)));
    EXPECT_EQ(client.bottom - client.top, outer.bottom - outer.top);
    // Keys that move sideways leave it hidden.
    SetFocus(b->hWnd);
    Key(b->hWnd, VK_RIGHT);
    Key(b->hWnd, VK_LEFT);
    UpdateWindow(b->hWnd);
    GetScrollRange(b->hWnd, SB_HORZ, &min, &max);
    EXPECT_EQ(max, 0);
    if (c.in_dialog) DestroyWindow(dialog->hWnd);
    list->End();
  }
}

}  // namespace
}  // namespace ui
