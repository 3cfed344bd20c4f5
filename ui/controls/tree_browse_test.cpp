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

}  // namespace
}  // namespace ui
