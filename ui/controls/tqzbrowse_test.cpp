// The editing column browse under Wine: cells edited in place (written, refused when the
// column's bWhen says no or another program holds the record, the lookup button), and the
// row editor accepting only valid rows.
#include "ui/controls/tqzbrowse.h"

#include <gtest/gtest.h>

#include <set>

#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/mouse_input.h"
#include "ui/bridge/device_context.h"
#include "ui/controls/cell_paint.h"
#include "ui/controls/controls_test_support.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tccolumn.h"
#include "ui/controls/tget.h"
#include "ui/core/tfont.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using test::Blk;
using vdr::test::WindowText;
using xb::Args;
using xb::Value;

Value X(std::string_view text) { return xb::EvalMacro(text); }

class TQZBrowseTest : public test::TablesTest {
 protected:
  void SetUp() override {
    TablesTest::SetUp();
    folder_ = MakeFolder("vdr_qzbrw");
    path_ = folder_ + "modelos";
    xb::CallFunction("DBCREATE", {Value::String(path_), X("{{'CODIGO','C',5,0},{'NOMBRE','C',30,0}}")});
    ASSERT_TRUE(Use(path_, "MODELOS"));
    for (int i = 1; i <= 30; ++i) {
      X("DBAPPEND()");
      xb::CallFunction("FIELDPUT", {Value::Integer(1), Value::String("M" + std::to_string(100 + i))});
      xb::CallFunction("FIELDPUT", {Value::Integer(2), Value::String("Modelo " + std::to_string(i))});
    }
    X("DBUNLOCK()");
    X("DBGOTOP()");
    window_ = Make(20, 20, 460, 300);
    ShowWindow(window_->hWnd, SW_SHOW);
    SetForegroundWindow(window_->hWnd);
  }
  void TearDown() override {
    TablesTest::TearDown();
    RemoveFolder(folder_, {"modelos.dbf", "ready", "release"});
  }

  xb::Ref<TQZBrowse> Browse() {
    TWBrowse::NewParams p;
    p.pixel = true;
    p.width = 440;
    p.height = 260;
    p.parent = window_;
    p.alias = "MODELOS";
    auto b = xb::MakeRef<TQZBrowse>();
    b->New(p, true);
    for (int f : {1, 2}) {
      TCColumn::NewParams c;
      c.heading = Value::String(f == 1 ? "Código" : "Nombre");
      c.data = xb::CallFunction("FIELDSETGETBLOCK", {Value::String("MODELOS"), Value::Integer(f)});
      c.edit = true;
      auto col = xb::MakeRef<TCColumn>();
      col->New(c);
      col->nWidth = f == 1 ? 80 : 300;
      b->AddColumn(col->Self());
    }
    b->Default();
    made_.push_back(b->hWnd);
    RedrawWindow(b->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return b;
  }
  // Enter on the current cell; `step` works the editor once it has the focus.
  static bool EditWith(TQZBrowse& b, const std::function<void(HWND)>& step) {
    bool opened = false;
    test::StepWhile typing([&] {
      HWND editor = GetFocus();
      if (editor == nullptr || editor == b.hWnd) return false;
      opened = true;
      step(editor);
      return true;
    });
    Key(b.hWnd, VK_RETURN);
    return opened;
  }

  std::string folder_, path_;
  xb::Ref<TWindow> window_;
};

TEST_F(TQZBrowseTest, CellsAreEditedInPlaceUnlessTheColumnOrAnotherProgramSaysNo) {
  auto b = Browse();
  EXPECT_EQ(b->nHLine, 0);
  SetFocus(b->hWnd);
  Key(b->hWnd, VK_DOWN);
  Key(b->hWnd, VK_RIGHT);
  ASSERT_EQ(b->nCell, 2);
  ASSERT_EQ(Field("CODIGO"), "M102 ");
  EXPECT_TRUE(EditWith(*b, [](HWND editor) {
    SendMessageA(editor, EM_SETSEL, 0, -1);
    Type(editor, "Nuevo");
    Key(editor, VK_RETURN);
  }));
  EXPECT_EQ(Field("NOMBRE"), "Nuevo" + std::string(25, ' '));
  test::ControlsTest::Screenshot(window_->hWnd, "qzbrowse_edited");

  // The column's bWhen says no: no editor.
  b->Col(2)->bWhen = Blk([](Args&) { return Value::Logical(false); });
  bool opened = EditWith(*b, [](HWND editor) { Key(editor, VK_ESCAPE); });
  EXPECT_FALSE(opened);
  b->Col(2)->bWhen = Value();

  // The lookup button runs the column's bChange with the key 43.
  std::vector<int> keys;
  b->Col(2)->bChange = Blk([&](Args& a) {
    keys.push_back(static_cast<int>(a.Int(1)));
    return Value::Logical(true);
  });
  EXPECT_TRUE(EditWith(*b, [](HWND editor) {
    HWND box = GetParent(editor);
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      if (child == editor) continue;
      SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
      SendMessageA(child, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
    Key(editor, VK_ESCAPE);
  }));
  EXPECT_EQ(keys, (std::vector<int>{43}));
  b->Col(2)->bChange = Value();

  // Another program holds the record: "Registro en uso", nothing written.
  test::RecordHeldElsewhere other(folder_, path_, 2);
  ASSERT_TRUE(other.Held());
  std::vector<vdr::test::SeenDialog> boxes;
  {
    vdr::test::DialogAnswerer answer([&](const vdr::test::SeenDialog& d) {
      boxes.push_back(d);
      return d.ButtonId("OK") != 0 ? d.ButtonId("OK") : d.ButtonId("Aceptar");
    });
    EditWith(*b, [](HWND editor) {
      SendMessageA(editor, EM_SETSEL, 0, -1);
      Type(editor, "Bloqueado");
      Key(editor, VK_RETURN);
    });
  }
  EXPECT_EQ(other.Release(), 0);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().title, "Reintente");
  EXPECT_NE(boxes.back().AllText().find("Registro en uso"), std::string::npos);
  X("DBSKIP(0)");
  EXPECT_EQ(Field("NOMBRE"), "Nuevo" + std::string(25, ' '));
}

TEST_F(TQZBrowseTest, TheEditorStandsOnTheCellAndBPostGetHasItsControlBeforeTheEditing) {
  auto b = Browse();
  b->lLogicDrop = true;
  SetFocus(b->hWnd);
  Key(b->hWnd, VK_DOWN);
  Key(b->hWnd, VK_RIGHT);
  // A text cell with a lookup, then a logical one: bPostGet has the control while the editor
  // is still to be worked.
  struct Case {
    Value value;
    const char* control;  // the class bPostGet sees
    const char* shot;
  } cases[] = {{Value::String("Modelo 2"), "TGET", "qzbrowse_cell_editor"},
               {Value::Logical(true), "TCOMBOBOX", "qzbrowse_logical_editor"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control);
    std::string post_get;
    bool post_get_before_editing = false;
    RECT box = {}, control = {};
    b->Col(2)->bChange = c.value.IsLogical() ? Value() : Blk([](Args&) { return Value::Logical(true); });
    b->Col(2)->bData = Blk([v = c.value](Args&) { return v; });
    b->Col(2)->bPostGet = Blk([&](Args& a) {
      post_get = a.Arg(1).IsObject() ? std::string(a.Obj(1)->ClassName()) : "";
      return Value();
    });
    EXPECT_TRUE(EditWith(*b, [&](HWND editor) {
      post_get_before_editing = !post_get.empty();
      HWND dialog = editor;
      while (GetParent(dialog) != nullptr && (GetWindowLongA(dialog, GWL_STYLE) & WS_POPUP) == 0)
        dialog = GetParent(dialog);
      GetWindowRect(dialog, &box);
      GetWindowRect(editor, &control);
      test::ControlsTest::Screenshot(GetDesktopWindow(), c.shot);
      PostMessageA(dialog, WM_CLOSE, 0, 0);
    }));
    EXPECT_EQ(post_get, c.control);
    EXPECT_TRUE(post_get_before_editing);
    // Over the second column of the selected row, one pixel inside the cell's place.
    const Rect cell = ATcBrwPosRect(b->hWnd, b->nRowPos, 80, 300, b->oFont ? b->oFont->hFont : nullptr, b->nHLine);
    EXPECT_EQ(box.left, cell.left + 1);
    EXPECT_EQ(box.top, cell.top + 1);
    // A combo box higher than the compact row shows whole: its value and its arrow.
    if (c.value.IsLogical()) {
      EXPECT_LE(control.bottom, box.bottom);
      EXPECT_LE(control.right, box.right);
    }
  }
}

TEST_F(TQZBrowseTest, AClickInTheIconViewSelectsTheIconClicked) {
  auto b = Browse();
  b->bIconText = Blk([](Args&) { return Value::String(Field("CODIGO")); });
  b->lIconView = true;
  int changes = 0;
  b->bChange = Blk([&](Args&) {
    ++changes;
    return Value();
  });
  RedrawWindow(b->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  ASSERT_GT(b->IconsShown(), 12);
  // Icons stand 50 pixels apart from (10, 10), eight a line in this browse.
  struct Case {
    int x, y;
    int icon;          // selected after the click
    const char* code;  // the record then
    int changes;       // bChange so far
  } cases[] = {
      {80, 20, 2, "M102 ", 1},    // the second icon of the first line
      {30, 70, 9, "M109 ", 2},    // the first of the second line
      {95, 95, 9, "M109 ", 2},    // between icons: nothing changes
      {180, 70, 12, "M112 ", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.icon);
    ASSERT_TRUE(vdr::test::MouseToClient(b->hWnd, {c.x, c.y}));
    vdr::test::LeftButton(true);
    vdr::test::LeftButton(false);
    EXPECT_EQ(b->nRowPos, c.icon);
    EXPECT_EQ(Field("CODIGO"), c.code);
    EXPECT_EQ(changes, c.changes);
  }
  // The selected icon's text has its focus frame, the one before has none.
  test::ControlsTest::Screenshot(window_->hWnd, "qzbrowse_icons");
  HDC dc = GetDC(b->hWnd);
  // The text's top row: the pane and the text's ground, and the frame's dots when focused.
  auto framed = [&](int icon) {
    const int x = (icon - 1) % 8 * 50 + 2, y = (icon - 1) / 8 * 50 + 42;
    std::set<COLORREF> seen;
    for (int i = 0; i < 48; ++i) seen.insert(GetPixel(dc, x + i, y));
    return seen.size() > 2;
  };
  EXPECT_TRUE(framed(12));
  EXPECT_FALSE(framed(9));
  ReleaseDC(b->hWnd, dc);
  // A double click on the selected icon opens no cell editor, also where the rows' arithmetic
  // would make it the selected row (icon 2 at y 37: row 2); with bLDblClick it runs that once.
  bool editor = false;
  test::StepWhile close_editors([&] {
    HWND focus = GetFocus();
    if (focus == nullptr || focus == b->hWnd || !IsChild(GetAncestor(focus, GA_ROOT), focus)) return false;
    editor = true;
    PostMessageA(GetAncestor(focus, GA_ROOT), WM_CLOSE, 0, 0);
    return true;
  });
  ASSERT_TRUE(vdr::test::MouseToClient(b->hWnd, {80, 37}));
  for (int i = 0; i < 4; ++i) vdr::test::LeftButton(i % 2 == 0);
  EXPECT_EQ(b->nRowPos, 2);
  EXPECT_FALSE(editor);
  int double_clicks = 0;
  b->bLDblClick = Blk([&](Args&) {
    ++double_clicks;
    return Value();
  });
  vdr::test::PumpUntil([] { return false; }, GetDoubleClickTime() + 50);  // the next click starts anew
  for (int i = 0; i < 4; ++i) vdr::test::LeftButton(i % 2 == 0);
  EXPECT_EQ(double_clicks, 1);
  EXPECT_FALSE(editor);
  EXPECT_EQ(GetFocus(), b->hWnd);
}

TEST_F(TQZBrowseTest, TheRowEditorAcceptsOnlyValidRowsAndEscapeCancels) {
  auto b = Browse();
  b->Col(1)->lEdit = false;
  SetFocus(b->hWnd);
  const SetGet code = SetGet::Of(Value::String("M101 "));
  const SetGet name = SetGet::Of(Value::String(std::string(30, ' ')));
  auto make = Blk([&](Args& a) {
    auto* dialog = dynamic_cast<TWindow*>(a.Obj(1).get());
    xb::Array gets = a.Arr(2);
    for (const SetGet* v : {&code, &name}) {
      TGet::NewParams g;
      g.pixel = true;
      g.width = 60;
      g.height = 16;
      g.set_get = v->block;
      g.parent = WindowRef(dialog);
      if (v == &name) g.valid = Blk([&](Args&) { return Value::Logical(!std::string(name.Get().AsString()).starts_with(" ")); });
      auto get = xb::MakeRef<TGet>();
      get->New(g);
      gets.Append(get->Self());
    }
    return Value();
  });
  auto press_a = [](HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
      if (WindowText(child) == "&A") SendMessageA(child, BM_CLICK, 0, 0);
  };
  // The name's lookup: a "Lupa" button beside it while it has the focus.
  std::vector<int> keys;
  b->Col(2)->bChange = Blk([&](Args& a) {
    keys.push_back(static_cast<int>(a.Int(1)));
    return Value::Logical(true);
  });
  auto visible_pictures = [](HWND box) {
    int n = 0;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      char cls[16] = {};
      GetClassNameA(child, cls, sizeof cls);
      if (_stricmp(cls, "Edit") != 0 && _stricmp(cls, "Button") != 0 && IsWindowVisible(child)) ++n;
    }
    return n;
  };
  int tries = 0, pictures_elsewhere = -1, pictures_on_name = -1;
  bool accepted = false;
  {
    test::StepWhile steps([&] {
      HWND focus = GetFocus();
      if (focus == nullptr || focus == b->hWnd) return false;
      HWND box = GetParent(focus);
      ++tries;
      HWND edits[2] = {};
      int found = 0;
      for (HWND child = GetWindow(box, GW_CHILD); child != nullptr && found < 2; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[16] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (_stricmp(cls, "Edit") == 0) edits[found++] = child;
      }
      for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
        if (WindowText(child) == "&A") SetFocus(child);  // away from the name
      pictures_elsewhere = visible_pictures(box);
      SetFocus(edits[1]);
      pictures_on_name = visible_pictures(box);
      for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char cls[16] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (_stricmp(cls, "Edit") != 0 && _stricmp(cls, "Button") != 0 && IsWindowVisible(child)) {
          SendMessageA(child, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
          SendMessageA(child, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        }
      }
      press_a(box);  // the name is empty: refused
      if (!IsWindow(box)) return true;
      test::ControlsTest::Screenshot(box, "qzbrowse_row_editor");
      SetFocus(edits[1]);  // the name's field
      Type(edits[1], "Fila");
      press_a(box);
      return true;
    });
    accepted = b->lEditLine(xb::Array::New(), make, Value(), Value(), Value());
  }
  EXPECT_TRUE(accepted);
  EXPECT_EQ(tries, 1);
  EXPECT_EQ(pictures_elsewhere, 0);
  EXPECT_EQ(pictures_on_name, 1);
  EXPECT_EQ(keys, (std::vector<int>{43}));
  // Escape gives up. The row editor shows the default dialog font.
  const xb::FunctionTableSnapshot functions = xb::FunctionTableSnapshot::Take();
  xb::RegisterFunction("CFONTNAME", [](Args&) { return Value::String("Arial"); });
  xb::RegisterFunction("NFONTVSIZE", [](Args&) { return Value::Integer(0); });
  xb::RegisterFunction("NFONTHSIZE", [](Args&) { return Value::Integer(-13); });
  LOGFONTA look = {};
  {
    test::StepWhile steps([&] {
      HWND focus = GetFocus();
      if (focus == nullptr || focus == b->hWnd) return false;
      if (const WindowRef box = OWndFromHwnd(GetParent(focus)); box && box->oFont)
        GetObjectA(box->oFont->hFont, sizeof look, &look);
      PostMessageA(GetParent(focus), WM_CLOSE, 0, 0);
      return true;
    });
    EXPECT_FALSE(b->lEditLine(xb::Array::New(), make, Value(), Value(), Value()));
  }
  functions.Restore();
  EXPECT_STREQ(look.lfFaceName, "Arial");
  EXPECT_EQ(look.lfHeight, -13);
  EXPECT_EQ(look.lfWidth, 0);
}

TEST_F(TQZBrowseTest, CompactRowsScrollAsAFullRepaintDrawsThemAndClicksLandOnTheirRows) {
  auto b = Browse();
  b->nFreeze = 1;
  SetFocus(b->hWnd);
  auto pixels = [&] {
    const Rect client = GetClientRect(b->hWnd);
    HDC dc = GetDC(b->hWnd);
    std::vector<COLORREF> all;
    for (int y = 0; y < client.bottom; ++y)
      for (int x = 0; x < client.right; ++x) all.push_back(GetPixel(dc, x, y));
    ReleaseDC(b->hWnd, dc);
    return all;
  };
  auto repainted = [&] {
    RedrawWindow(b->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return pixels();
  };
  const int rows = b->nRowCount();
  ASSERT_LT(rows, 30);
  for (int i = 0; i < rows + 3; ++i) Key(b->hWnd, VK_DOWN);
  EXPECT_EQ(Field("CODIGO"), "M" + std::to_string(101 + rows + 3) + " ");
  std::vector<COLORREF> scrolled = pixels();
  const std::vector<COLORREF> full = repainted();
  const int width = GetClientRect(b->hWnd).Width();
  for (std::size_t i = 0; i < scrolled.size(); ++i)
    if (scrolled[i] != full[i]) {
      ADD_FAILURE() << "first difference at x " << i % width << ", y " << i / width << " row height " << b->nHRow()
                    << ": " << scrolled[i] << " vs " << full[i];
      break;
    }
  for (int i = 0; i < rows + 1; ++i) Key(b->hWnd, VK_UP);
  scrolled = pixels();
  EXPECT_EQ(scrolled, repainted()) << "up";
  // The selected row's frozen cell has white text on the focus colour.
  const int h = b->nHRow();
  const int at = b->nRowPos;
  const std::string before = Field("CODIGO");
  SendMessageA(b->hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, (at + 2) * h + h / 2));
  SendMessageA(b->hWnd, WM_LBUTTONUP, 0, MAKELPARAM(200, (at + 2) * h + h / 2));
  EXPECT_EQ(b->nRowPos, at + 2);
  EXPECT_EQ(Field("CODIGO"), "M" + std::to_string(std::stoi(before.substr(1)) + 2) + " ");
  test::ControlsTest::Screenshot(window_->hWnd, "qzbrowse_rows");
}

TEST_F(TQZBrowseTest, CellKeysRunBChangeAndStopAtTheFirstColumnAfterTheFrozenOnes) {
  // Six columns of 100 pixels in a browse about 280 wide, the first frozen.
  TWBrowse::NewParams p;
  p.pixel = true;
  p.width = 300;
  p.height = 200;
  p.parent = window_;
  p.alias = "MODELOS";
  auto b = xb::MakeRef<TQZBrowse>();
  b->New(p, true);
  for (int c = 1; c <= 6; ++c) {
    TCColumn::NewParams cp;
    cp.heading = Value::String("Columna " + std::to_string(c));
    cp.data = xb::CallFunction("FIELDSETGETBLOCK", {Value::String("MODELOS"), Value::Integer(c % 2 == 1 ? 1 : 2)});
    auto col = xb::MakeRef<TCColumn>();
    col->New(cp);
    col->nWidth = 100;
    b->AddColumn(col->Self());
  }
  b->nFreeze = 1;
  b->Default();
  made_.push_back(b->hWnd);
  int changes = 0;
  b->bChange = Blk([&](Args&) {
    ++changes;
    return Value();
  });
  SetForegroundWindow(window_->hWnd);
  SetFocus(b->hWnd);
  struct Step {
    WORD key;
    int cell;     // nCell after it
    int col_pos;  // nColPos after it
  } steps[] = {
      {VK_RIGHT, 2, 2}, {VK_RIGHT, 3, 3}, {VK_RIGHT, 4, 4}, {VK_RIGHT, 5, 5}, {VK_RIGHT, 6, 6},
      {VK_RIGHT, 6, 6},  // the last column: it stays
      {VK_LEFT, 5, 5},  {VK_LEFT, 4, 4},  {VK_LEFT, 3, 3},  {VK_LEFT, 2, 2},
      {VK_LEFT, 2, 2},   // the first column after the frozen one: it stays
  };
  int n = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(++n);
    const int before = changes;
    test::PressKeys({s.key});
    vdr::test::PumpUntil([&] { return changes > before; }, 2000);
    EXPECT_EQ(changes, before + 1) << "bChange once a key";
    EXPECT_EQ(b->nCell, s.cell);
    EXPECT_EQ(b->nColPos, s.col_pos);
    if (n == 5) test::ControlsTest::Screenshot(window_->hWnd, "qzbrowse_last_cell");
  }
  // The lit cell is the one named.
  UpdateWindow(b->hWnd);
  HDC dc = GetDC(b->hWnd);
  EXPECT_EQ(GetPixel(dc, 150, b->nHRow() + 2), b->nClrBackFocus);  // the second column, after the frozen one
  EXPECT_NE(GetPixel(dc, 250, b->nHRow() + 2), b->nClrBackFocus);
  ReleaseDC(b->hWnd, dc);
}

}  // namespace
}  // namespace ui
