// The record browse's cell editors choosing in a combo box: a logical field edited by a
// double click and written back as a logical, and the editors of compiled text given items.
#include <gtest/gtest.h>

#include <functional>

#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "runtime/rdd/workareas.h"
#include "ui/controls/controls_test_support.h"
#include "ui/controls/tcombobox.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;

Value X(std::string_view text) { return xb::EvalMacro(text); }

// The combo box the editor shows, once it has the focus.
TComboBox* OpenCombo() {
  HWND focus = GetFocus();
  auto* combo = dynamic_cast<TComboBox*>(OWndFromHwnd(focus).get());
  return combo;
}

class BrowseComboTest : public test::ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    xb::rdd::InitTables();
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "vdr_brwcbx_" + std::to_string(GetCurrentProcessId());
    EraseTable();  // a run killed earlier may have left its table, and an index would be opened with it
    xb::CallFunction("DBCREATE", {Value::String(path_), X("{{'NOMBRE','C',20,0},{'ACTIVO','L',1,0}}")});
    ASSERT_TRUE(xb::CallFunction("DBUSEAREA", {Value::Logical(true), Value::String("DBFCDX"), Value::String(path_),
                                               Value::String("SOCIOS"), Value::Logical(false), Value::Logical(false)})
                    .AsLogical());
    for (const char* name : {"Ana", "Bruno", "Carmen"}) {
      X("DBAPPEND()");
      xb::CallFunction("FIELDPUT", {Value::Integer(1), Value::String(name)});
      xb::CallFunction("FIELDPUT", {Value::Integer(2), Value::Logical(true)});
    }
    X("DBGOTOP()");
    window_ = Make(40, 40, 420, 260);
    ShowWindow(window_->hWnd, SW_SHOW);
  }
  void TearDown() override {
    X("DBCLOSEALL()");
    EraseTable();
    ControlsTest::TearDown();
  }
  xb::Ref<TWBrowse> Browse() {
    TWBrowse::NewParams p;
    p.pixel = true;
    p.width = 400;
    p.height = 200;
    p.parent = window_;
    p.alias = "SOCIOS";
    p.col_sizes = X("{150, 80}");
    auto b = xb::MakeRef<TWBrowse>();
    b->New(p);
    made_.push_back(b->hWnd);
    return b;
  }
  void EraseTable() const {
    for (const char* ext : {".dbf", ".cdx"}) DeleteFileA((path_ + ext).c_str());
  }
  static bool Choose(TComboBox& combo, int n) {
    SendMessageA(combo.hWnd, CB_SETCURSEL, static_cast<WPARAM>(n - 1), 0);
    SendMessageA(GetParent(combo.hWnd), WM_COMMAND, MAKEWPARAM(combo.nId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo.hWnd));
    return true;
  }

  std::string path_;
  xb::Ref<TWindow> window_;
};

TEST_F(BrowseComboTest, ALogicalFieldIsChosenInAComboBox) {
  auto b = Browse();
  b->lAutoEdit = true;
  SetFocus(b->hWnd);
  Key(b->hWnd, VK_DOWN);  // "Bruno"
  const int h = b->nHRow();
  std::vector<std::string> items;
  std::string shown;
  {
    test::StepWhile choose([&] {
      TComboBox* combo = OpenCombo();
      if (combo == nullptr) return false;
      for (const Value& item : combo->aItems) items.emplace_back(item.AsString());
      shown = combo->cVarGet();
      Screenshot(GetParent(combo->hWnd), "browse_logical_cell");
      return Choose(*combo, 2);  // ".F.": choosing confirms
    });
    SendMessageA(b->hWnd, WM_LBUTTONDBLCLK, 0, MAKELPARAM(200, b->nRowPos * h + h / 2));
  }
  EXPECT_EQ(items, (std::vector<std::string>{".T.", ".F."}));
  EXPECT_EQ(shown, ".T.");
  EXPECT_EQ(X("SOCIOS->NOMBRE").AsString(), "Bruno" + std::string(15, ' '));
  const Value stored = X("SOCIOS->ACTIVO");
  ASSERT_TRUE(stored.IsLogical());
  EXPECT_FALSE(stored.AsLogical());
  // Escape gives up: the field stays.
  {
    test::StepWhile give_up([&] {
      TComboBox* combo = OpenCombo();
      if (combo == nullptr) return false;
      SendMessageA(combo->hWnd, CB_SETCURSEL, 0, 0);
      Key(combo->hWnd, VK_ESCAPE);
      return true;
    });
    SendMessageA(b->hWnd, WM_LBUTTONDBLCLK, 0, MAKELPARAM(200, b->nRowPos * h + h / 2));
  }
  EXPECT_FALSE(X("SOCIOS->ACTIVO").AsLogical());
}

TEST_F(BrowseComboTest, TheEditorsOfCompiledTextTakeItems) {
  auto b = Browse();
  SetFocus(b->hWnd);
  xb::DeclarePublic(xb::Intern("OBRW"));
  xb::SetMemvar(xb::Intern("OBRW"), b->Self());
  // lEditCol with items: the text chosen comes back.
  {
    test::StepWhile choose([&] {
      TComboBox* combo = OpenCombo();
      return combo != nullptr && Choose(*combo, 1);
    });
    EXPECT_TRUE(X("(cVar := 'Bajo', oBrw:lEditCol(1, @cVar, , , , , {'Alto', 'Medio', 'Bajo'}))").AsLogical());
  }
  EXPECT_EQ(X("cVar").AsString(), "Alto");
  // EditCol inside the browse: a logical in a combo; Enter posts the value chosen.
  std::vector<std::pair<Value, int>> posted;
  xb::SetMemvar(xb::Intern("BPOST"), Blk([&](Args& a) {
                  posted.emplace_back(a.Arg(1), static_cast<int>(a.Int(2)));
                  return Value();
                }));
  X("oBrw:EditCol(2, .F., , bPost)");
  TComboBox* combo = OpenCombo();
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(GetParent(combo->hWnd), b->hWnd);
  EXPECT_TRUE(xb::Send(b->Self(), "OGET").IsObject());
  EXPECT_EQ(combo->cVarGet(), ".F.");
  SendMessageA(combo->hWnd, CB_SETCURSEL, 0, 0);
  SendMessageA(b->hWnd, WM_COMMAND, MAKEWPARAM(combo->nId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo->hWnd));
  HWND editor = combo->hWnd;
  Key(editor, VK_RETURN);
  vdr::test::PumpPending();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_TRUE(posted[0].first.IsLogical());
  EXPECT_TRUE(posted[0].first.AsLogical());
  EXPECT_EQ(posted[0].second, VK_RETURN);
  EXPECT_FALSE(IsWindow(editor));
  EXPECT_TRUE(xb::Send(b->Self(), "OGET").IsNil());
}

}  // namespace
}  // namespace ui
