// The header-model lookup under Wine over a small CabeH: the search by code and by
// description, a letter that leads nowhere dropped, Enter, a double click, cancel, and the
// field and its label written by UFINDCABEZA.
#include "ui/controls/header_lookup.h"

#include <gtest/gtest.h>

#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "ui/controls/controls_test_support.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tget.h"
#include "ui/controls/tsay.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/tfont.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using vdr::test::WindowText;
using xb::Value;

Value X(std::string_view text) { return xb::EvalMacro(text); }

class HeaderLookupTest : public test::TablesTest {
 protected:
  void SetUp() override {
    TablesTest::SetUp();
    folder_ = MakeFolder("vdr_cabeh");
    // CabeH as the report generator's dictionary describes it.
    const std::string path = folder_ + "cabeh";
    xb::CallFunction("DBCREATE", {Value::String(path), X("{{'COD','C',3,0},{'DESCRIP','C',100,0},"
                                                        "{'POSICION','N',5,1},{'ACTIVO','L',1,0},{'PFINAL','N',5,1}}"),
                                  Value::String("DBFCDX")});
    ASSERT_TRUE(Use(path, "CABEH", "DBFCDX", false));
    const std::pair<const char*, const char*> models[] = {
        {"A01", "Albarán de venta"}, {"AB1", "Abono a cliente"},   {"AB2", "Abono de proveedor"},
        {"B10", "Bono regalo"},      {"C05", "Carta de pedido"},   {"F01", "Factura simplificada"}};
    for (const auto& [code, description] : models) {
      X("DBAPPEND()");
      xb::CallFunction("FIELDPUT", {Value::Integer(1), Value::String(code)});
      xb::CallFunction("FIELDPUT", {Value::Integer(2), Value::String(description)});
    }
    xb::CallFunction("ORDCREATE", {Value::String(path), Value::String("Codigo"), Value::String("Cod")});
    xb::CallFunction("ORDCREATE", {Value::String(path), Value::String("Descrip"), Value::String("Upper( Descrip )")});
    X("ORDSETFOCUS(1)");
    X("DBGOTO(6)");
    window_ = Make(20, 20, 400, 200);
    ShowWindow(window_->hWnd, SW_SHOW);
  }
  void TearDown() override {
    TablesTest::TearDown();
    RemoveFolder(folder_, {"cabeh.dbf", "cabeh.cdx"});
  }

  // The lookup dialog, once it shows.
  static HWND Lookup() {
    HWND active = GetActiveWindow();
    char name[16] = {};
    GetClassNameA(active, name, sizeof name);
    if (std::string(name) != "#32770" || GetDlgItem(active, 200) == nullptr) return nullptr;
    return active;
  }

  std::string folder_;
  xb::Ref<TWindow> window_;
};

TEST_F(HeaderLookupTest, TypingSeeksLetterByLetterDropsWhatLeadsNowhereAndEnterChooses) {
  std::string title, label, after_ab, after_z, field_text;
  std::string found;
  COLORREF pane = 1;
  {
    test::StepWhile steps([&] {
      HWND dialog = Lookup();
      if (dialog == nullptr) return false;
      title = WindowText(dialog);
      HWND edit = GetDlgItem(dialog, 100);
      Type(edit, "a");
      Type(edit, "B");
      after_ab = Field("COD");
      Type(edit, "Z");  // no code "ABZ"
      after_z = Field("COD");
      field_text = WindowText(edit);
      label = WindowText(GetDlgItem(dialog, 99));
      const WindowRef models = OWndFromHwnd(GetDlgItem(dialog, 200));
      if (const auto* b = dynamic_cast<TWBrowse*>(models.get())) pane = b->PaneColour(2);
      test::ControlsTest::Screenshot(dialog, "lookup_ab");
      // Enter in the browse takes the record it shows.
      HWND browse = GetDlgItem(dialog, 200);
      SetFocus(browse);
      Key(browse, VK_RETURN);
      Type(browse, "\r");
      return true;
    });
    found = UFind("CABEH");
  }
  EXPECT_EQ(title, " Localización de modelo de cabecera");
  EXPECT_EQ(after_ab, "AB1");
  EXPECT_EQ(after_z, "AB1");
  EXPECT_EQ(field_text, "aB ");  // as typed; sought in upper case
  EXPECT_EQ(label, "Código");
  EXPECT_EQ(pane, GetSysColor(COLOR_WINDOW)) << "no stripes: the window colour";
  EXPECT_EQ(found, "AB1");
  EXPECT_EQ(X("RECNO()").AsInt(), 6) << "the table's record as it was";
  EXPECT_EQ(X("INDEXORD()").AsInt(), 1);
}

TEST_F(HeaderLookupTest, TheLookupsFontEndsWithIt) {
  // Every live font and its uses, before and after a lookup that is cancelled.
  auto fonts = [] {
    std::vector<std::pair<TFont*, int>> uses;
    for (TFont* f : TFont::Live()) uses.emplace_back(f, f->nCount);
    return uses;
  };
  const auto before = fonts();
  bool shown = false;
  {
    test::StepWhile steps([&] {
      HWND dialog = Lookup();
      if (dialog == nullptr) return false;
      shown = true;
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(401, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, 401)));
      return true;
    });
    EXPECT_EQ(UFind("CABEH"), "   ");
  }
  EXPECT_TRUE(shown);
  EXPECT_EQ(fonts(), before);
}

TEST_F(HeaderLookupTest, TheDescriptionOrderSearchesTheDescriptionsAndADoubleClickChooses) {
  std::string label, field_text;
  std::string found;
  {
    test::StepWhile steps([&] {
      HWND dialog = Lookup();
      if (dialog == nullptr) return false;
      SendMessageA(GetDlgItem(dialog, 103), BM_CLICK, 0, 0);
      HWND edit = GetDlgItem(dialog, 100);
      Type(edit, "car");
      field_text = WindowText(edit);
      label = WindowText(GetDlgItem(dialog, 99));
      test::ControlsTest::Screenshot(dialog, "lookup_description");
      // The selected row of the browse, double clicked.
      HWND browse = GetDlgItem(dialog, 200);
      const WindowRef owner = OWndFromHwnd(browse);
      const auto* b = dynamic_cast<TWBrowse*>(owner.get());
      const int h = b != nullptr ? b->nHRow() : 16;
      const int row = b != nullptr ? b->nRowPos : 1;
      SendMessageA(browse, WM_LBUTTONDBLCLK, 0, MAKELPARAM(40, row * h + h / 2));
      return true;
    });
    found = UFind("CABEH");
  }
  EXPECT_EQ(label, "Descripción");
  EXPECT_EQ(field_text.substr(0, 4), "car ");
  EXPECT_EQ(field_text.size(), 100u);
  EXPECT_EQ(found, "C05");
}

TEST_F(HeaderLookupTest, UFindCabezaWritesTheChoiceOrEmptiesFieldAndLabelOnCancel) {
  const SetGet value = SetGet::Of(Value::String("F01"));
  auto get = xb::MakeRef<TGet>();
  TGet::NewParams g;
  g.pixel = true;
  g.row = 10;
  g.col = 10;
  g.width = 60;
  g.height = 20;
  g.set_get = value.block;
  g.parent = window_;
  get->New(g);
  auto say = xb::MakeRef<TSay>();
  TSay::NewParams s;
  s.pixel = true;
  s.row = 10;
  s.col = 80;
  s.width = 250;
  s.parent = window_;
  say->New(s);

  EXPECT_TRUE(UFindCabeza(13, get.get(), say.get(), "CABEH")) << "only the lookup key acts";
  std::string shown_at_start;
  {
    test::StepWhile steps([&] {
      HWND dialog = Lookup();
      if (dialog == nullptr) return false;
      shown_at_start = Field("COD");  // positioned on the field's code
      Type(GetDlgItem(dialog, 100), "B");
      SendMessageA(GetDlgItem(dialog, 400), BM_CLICK, 0, 0);
      return true;
    });
    EXPECT_FALSE(UFindCabeza(43, get.get(), say.get(), "CABEH"));
  }
  EXPECT_EQ(shown_at_start, "F01");
  EXPECT_EQ(value.Get().AsString(), "B10");
  EXPECT_EQ(WindowText(say->hWnd), "Bono regalo");
  test::ControlsTest::Screenshot(window_->hWnd, "lookup_chosen");
  {
    test::StepWhile steps([&] {
      HWND dialog = Lookup();
      if (dialog == nullptr) return false;
      SendMessageA(GetDlgItem(dialog, 401), BM_CLICK, 0, 0);
      return true;
    });
    EXPECT_FALSE(UFindCabeza(43, get.get(), say.get(), "CABEH"));
  }
  EXPECT_EQ(value.Get().AsString(), "   ");
  EXPECT_EQ(WindowText(say->hWnd), "");
}

}  // namespace
}  // namespace ui
