#include "services/layouts.h"

#include <windows.h>

#include "data/program_settings.h"
#include "services/services_test_support.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "services/window_fit.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/controls/tget.h"
#include "ui/core/tbar.h"
#include "ui/core/tfont.h"

namespace svc {
namespace {

using testing::N;
using testing::S;
using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using xb::Value;

class LayoutsTest : public testing::ServicesTest {
 protected:
  void SetUp() override {
    ServicesTest::SetUp();
    qzw_CreaUsuarios(true, false);
    AddUser("01", "Ana", "x");
    AddUser("02", "Luis", "x");
    cCodUser("01");
    ASSERT_TRUE(OpenTable(UsuariosTable(), "Lista", false));
  }
  void TearDown() override {
    CloseArea();
    ServicesTest::TearDown();
  }
  // A window titled `title` with a browse over the user list.
  xb::Ref<ui::TWBrowse> BrowseIn(ui::TWindow& window, std::vector<int> widths) {
    xb::Array sizes = xb::Array::New();
    for (int w : widths) sizes.Append(N(w));
    return ConfBrwNew({.row = 5, .col = 5, .width = 300, .height = 120,
                       .headers = Value(xb::Array::Of({S("Cód."), S("Nombre"), S("Grupo")})),
                       .col_sizes = Value(sizes), .parent = ui::WindowRef(&window),
                       .alias = std::string("Lista"), .pixel = true});
  }
  xb::Ref<ui::TWindow> Titled(const std::string& title, int top, int left, int width, int height) {
    ui::TWindow::NewParams p;
    p.caption = title;
    return Make(top, left, width, height, p);
  }
};

TEST_F(LayoutsTest, WindowSizesAndColumnWidthsAreSavedAndRestored) {
  {
    auto window = Titled("Clientes", 30, 40, 420, 260);
    auto browse = BrowseIn(*window, {40, 200, 60});
    browse->aColSizes = Value(xb::Array::Of({N(55), N(40000), N(90)}));  // a width too wide to keep
    ui::TFont::Spec spec;
    spec.face = "Courier New";
    spec.height = -16;
    spec.bold = true;
    browse->SetFont(ui::TFont::New(spec));
    browse->nxClrText = RGB(128, 0, 0);
    ::MoveWindow(window->hWnd, 100, 80, 500, 300, TRUE);
    X("CONFBROWSE(GETWNDDEFAULT(), NIL)");  // no window: nothing
    ConfBrowse(*window, {browse.get()});
  }
  const std::vector<testing::Rec> windows = Records(CnfBrwTable());
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(std::string(windows[0][0].second.AsString()), "Clientes" + std::string(56, ' '));
  EXPECT_EQ(windows[0][1].second.AsInt(), 80);   // nTop
  EXPECT_EQ(windows[0][2].second.AsInt(), 100);  // nLeft
  EXPECT_EQ(windows[0][3].second.AsInt(), 379);  // nBottom: the last pixel row
  EXPECT_EQ(windows[0][4].second.AsInt(), 599);
  EXPECT_EQ(windows[0][7].second.AsInt(), 1);    // one browse
  const std::vector<testing::Rec> lists = Records(CnfLbxTable());
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(std::string(lists[0][0].second.AsString()), "Clientes" + std::string(56, ' ') + " 1");
  EXPECT_EQ(lists[0][1].second.AsInt(), 55);
  EXPECT_EQ(lists[0][2].second.AsInt(), 0);
  EXPECT_EQ(lists[0][3].second.AsInt(), 90);
  EXPECT_EQ(lists[0][4].second.AsInt(), 0);
  EXPECT_EQ(FieldOf(CnfLbxTable(), "CTITWNDLB", "Clientes" + std::string(56, ' ') + " 1", "NCOLOR").AsInt(),
            RGB(128, 0, 0));

  // The same window made again comes back as it was left.
  auto window = Titled("Clientes", 10, 10, 200, 150);
  EXPECT_TRUE(RestoreWindow(*window));
  RECT r{};
  GetWindowRect(window->hWnd, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 80);
  EXPECT_EQ(r.right, 600);
  EXPECT_EQ(r.bottom, 380);
  auto browse = BrowseIn(*window, {40, 200, 60});
  EXPECT_EQ(browse->GetColSizes(), (std::vector<int>{55, 200, 90}));
  ASSERT_TRUE(browse->oFont);
  EXPECT_TRUE(browse->oFont->lBold);
  EXPECT_EQ(browse->nxClrText, RGB(128, 0, 0));
  EXPECT_EQ(browse->nLineStyle, 5);  // and the user's look

  // Another title: nothing saved.
  auto other = Titled("Proveedores", 10, 10, 200, 150);
  EXPECT_FALSE(RestoreWindow(*other));
  EXPECT_EQ(BrowseIn(*other, {40, 200, 60})->GetColSizes(), (std::vector<int>{40, 200, 60}));
}

// What does not fit the layout fields is not kept, and saving says nothing: a window left
// of the main screen (a second monitor) keeps the place it had, a column wider than 9999
// pixels its default width.
TEST_F(LayoutsTest, WhatDoesNotFitItsFieldIsNotKept) {
  {
    auto window = Titled("Clientes", 30, 40, 420, 260);
    auto browse = BrowseIn(*window, {40, 200, 60});
    ::MoveWindow(window->hWnd, 100, 80, 500, 300, TRUE);
    ConfBrowse(*window, {browse.get()});
    ::MoveWindow(window->hWnd, -1500, 80, 500, 300, TRUE);
    browse->aColSizes = Value(xb::Array::Of({N(55), N(12000), N(90)}));
    ConfBrowse(*window, {browse.get()});
    auto fresh = Titled("Nuevos", 30, 40, 420, 260);
    ::MoveWindow(fresh->hWnd, -1500, -1200, 500, 300, TRUE);
    ConfBrowse(*fresh, {});
  }
  EXPECT_TRUE(errors.empty());
  const std::vector<testing::Rec> windows = Records(CnfBrwTable());
  ASSERT_EQ(windows.size(), 1u);
  EXPECT_EQ(windows[0][1].second.AsInt(), 80);
  EXPECT_EQ(windows[0][2].second.AsInt(), 100);
  EXPECT_EQ(windows[0][4].second.AsInt(), 599);
  const std::vector<testing::Rec> lists = Records(CnfLbxTable());
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0][1].second.AsInt(), 55);
  EXPECT_EQ(lists[0][2].second.AsInt(), 0);
  EXPECT_EQ(lists[0][3].second.AsInt(), 90);
  auto fresh = Titled("Nuevos", 10, 10, 200, 150);
  EXPECT_FALSE(RestoreWindow(*fresh));
}

// A missing table is made on its own: the other keeps what it holds.
TEST_F(LayoutsTest, AMissingLayoutTableIsMadeAlone) {
  auto window = Titled("Artículos", 30, 40, 420, 260);
  auto browse = BrowseIn(*window, {40, 200, 60});
  ConfBrowse(*window, {browse.get()});
  auto second = Titled("Familias", 30, 40, 420, 260);
  auto browse2 = BrowseIn(*second, {10, 20, 30});
  EraseFile(DbfOf(CnfBrwTable()));
  EraseFile(IndexOf(CnfBrwTable()));
  ConfBrowse(*second, {browse2.get()});
  EXPECT_EQ(Records(CnfBrwTable()).size(), 1u);
  EXPECT_EQ(Records(CnfLbxTable()).size(), 2u);  // "Artículos" kept

  EraseFile(IndexOf(CnfLbxTable()));
  X("NTXCONFBRW()");
  EXPECT_TRUE(FileExists(IndexOf(CnfLbxTable())));
  ASSERT_TRUE(SavedBrowseLayout("Artículos", 1).has_value());

  // The user's layouts erased: windows come back as made.
  X("DELCONFBRW('01')");
  EXPECT_FALSE(FileExists(DbfOf(CnfBrwTable())));
  EXPECT_FALSE(FileExists(IndexOf(CnfLbxTable())));
  EXPECT_FALSE(SavedWindowLayout("Artículos").has_value());
}

TEST_F(LayoutsTest, TheReservedSlotsOfTwoWindows) {
  EXPECT_EQ(nCoorAsien(), 0);
  auto window = Titled("Gestión de asientos", 30, 40, 420, 260);
  ConfBrowse(*window, {});
  ASSERT_TRUE(SavedWindowLayout("Gestión de asientos").has_value());
  EXPECT_EQ(X("NCOORASIEN()").AsInt(), 1);
  EXPECT_EQ(CoorAsien().left, 40);
  EXPECT_EQ(nCoorPgc(), 0);
}

TEST_F(LayoutsTest, TheEnvironmentQuestionErasesTheLayouts) {
  auto window = Titled("Clientes", 30, 40, 420, 260);
  ConfBrowse(*window, {});
  std::vector<std::string> texts;
  {
    DialogAnswerer no([&](const SeenDialog& d) {
      texts.push_back(d.title + ": " + d.AllText());
      return 553;
    });
    Entorno();
  }
  EXPECT_TRUE(FileExists(DbfOf(CnfBrwTable())));
  {
    DialogAnswerer yes([](const SeenDialog&) { return 552; });
    X("ENTORNO()");
  }
  EXPECT_FALSE(FileExists(DbfOf(CnfBrwTable())));
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], " Entorno:  ¿ Desea recuperar los valores originales de fuentes y tamaños de ventana ?");
}

// SETBROWSE puts the browse beside the bar, by the bar's edge, less the margins.
TEST_F(LayoutsTest, BrowsesFitBesideTheirBar) {
  auto window = Titled("Encaje", 30, 40, 420, 260);
  RECT client{};
  GetClientRect(window->hWnd, &client);
  auto browse = BrowseIn(*window, {40, 200, 60});
  struct Case {
    const char* position;
    ui::Rect expected;  // with the bar's width w and height h put in below
  };
  ui::TBar::NewParams p;
  p.btn_width = 23;
  p.btn_height = 25;
  p.position = "TOP";
  auto bar = ui::TBar::New(*window, p);
  ui::TBtnBmp::BarParams b;
  b.pictures.resource1 = "PBMPEND1";
  ui::TBtnBmp::NewBar(*bar, b);
  SetBrowse(*window, *browse, bar.get(), {0, 0, 0, 24});
  RECT r{};
  GetWindowRect(browse->hWnd, &r);
  MapWindowPoints(nullptr, window->hWnd, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.top, bar->nHeight());
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right, client.right);
  EXPECT_EQ(r.bottom, client.bottom - 24);

  bar->nMode = ui::TBar::kLeft;
  X("SETBROWSE(GETWNDDEFAULT(), NIL, NIL)");  // nothing to fit
  const ui::Rect left = BrowsePlace(*window, bar.get(), {2, 3, 4, 5});
  EXPECT_EQ(left.top, 1);
  EXPECT_EQ(left.left, 3 + bar->nWidth() - 1);
  EXPECT_EQ(left.right, client.right - 4);
  EXPECT_EQ(left.bottom, client.bottom - 5);
  bar->nMode = ui::TBar::kBottom;
  const ui::Rect bottom = BrowsePlace(*window, bar.get(), {2, 3, 4, 5});
  EXPECT_EQ(bottom.bottom, client.bottom - (5 + bar->nHeight() + 2));
  EXPECT_EQ(bottom.left, 2);
}

// A row edited in place: the caller's field over its column, closed by Enter once valid.
TEST_F(LayoutsTest, EditingARowInPlace) {
  auto window = Titled("Grupos", 30, 40, 420, 260);
  window->Show();
  auto browse = BrowseIn(*window, {40, 200, 60});
  ui::SetGet name = ui::SetGet::Of(S(std::string(25, ' ')));
  xb::Ref<ui::TGet> field;
  std::vector<std::string> seen;
  DialogAnswerer answerer([&](const SeenDialog& d) {
    seen.push_back(d.AllText());
    HWND edit = field->hWnd;
    SetFocus(edit);
    for (char c : std::string("Ventas")) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
    return d.ButtonId("Aceptar");
  });
  const bool done = lEditLine({.browse = browse.get(),
                               .labels = {"Código", "Descripción"},
                               .create = [&](ui::TDialog& box) {
                                 auto code = xb::MakeRef<ui::TGet>();
                                 code->New({.set_get = ui::SetGet::Of(S("001")).block, .parent = ui::WindowRef(&box),
                                            .width = 30, .height = 16, .pixel = true});
                                 field = xb::MakeRef<ui::TGet>();
                                 field->New({.set_get = name.block, .parent = ui::WindowRef(&box), .width = 100,
                                             .height = 16, .pixel = true});
                               }});
  EXPECT_TRUE(done);
  EXPECT_TRUE(errors.empty());
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "Código\nDescripción");
  EXPECT_EQ(std::string(name.Get().AsString()).substr(0, 6), "Ventas");
  EXPECT_FALSE(lEditLine({.browse = browse.get()}));  // no block: nothing to edit
}

// LEDITLINE by name with its valid block, resize block and top: the box stands where it is
// told, in the default dialog font with its labels in the browse's font; the resize block
// runs once it is placed; a valid block answering .F. keeps it open.
TEST_F(LayoutsTest, EditingARowTakesItsValidResizeAndTop) {
  auto window = Titled("Grupos", 30, 40, 420, 260);
  window->Show();
  auto browse = BrowseIn(*window, {40, 200, 60});
  ui::TFont::Spec spec;
  spec.face = "Courier New";
  spec.height = -16;
  browse->SetFont(ui::TFont::New(spec));
  int valid_calls = 0, resize_calls = 0;
  HWND resized = nullptr;
  const Value create = ui::test::Blk([](xb::Args& a) {
    auto field = xb::MakeRef<ui::TGet>();
    field->New({.set_get = ui::SetGet::Of(S("001")).block, .parent = ui::WindowRef(dynamic_cast<ui::TWindow*>(a.Obj(1).get())),
                .width = 30, .height = 16, .pixel = true});
    return Value();
  });
  const Value valid = ui::test::Blk([&](xb::Args& a) {
    EXPECT_TRUE(a.Arg(2).IsArray());  // the values, then the browse
    EXPECT_EQ(a.Obj(3).get(), browse.get());
    return Value::Logical(++valid_calls > 1);
  });
  const Value resize = ui::test::Blk([&](xb::Args& a) {
    ++resize_calls;
    resized = dynamic_cast<ui::TWindow*>(a.Obj(1).get())->hWnd;
    return Value();
  });
  auto face = [](HWND hwnd) {
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0)), sizeof font, &font);
    return std::string(font.lfFaceName);
  };
  int step = 0;
  RECT box{};
  std::string box_face, label_face;
  DialogAnswerer answerer([&](const SeenDialog& d) {
    const int ok = d.ButtonId("Aceptar");
    auto press = [&] { PostMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(ok, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, ok))); };
    if (step == 0) {
      GetWindowRect(d.hwnd, &box);
      box_face = face(GetDlgItem(d.hwnd, ok));  // the box's own controls take its font
      label_face = face(GetWindow(d.hwnd, GW_CHILD));
      press();
      step = 1;
    } else if (step == 1 && valid_calls == 1) {
      press();
      step = 2;
    }
    return 0;
  });
  const Value done = xb::CallFunction(
      "LEDITLINE", {Value(xb::ObjectRef(browse)), Value(xb::Array::Of({S("001")})), create, Value(), valid, resize,
                    Value(xb::Array::Of({S("Código")})), Value::Integer(40)});
  EXPECT_TRUE(done.AsLogical());
  EXPECT_EQ(valid_calls, 2);
  EXPECT_EQ(resize_calls, 1);
  EXPECT_NE(resized, nullptr);
  POINT given{0, 40};
  ClientToScreen(browse->hWnd, &given);
  EXPECT_EQ(box.top, given.y);
  EXPECT_EQ(box_face, data::cFontName());
  EXPECT_EQ(label_face, "Courier New");
  EXPECT_TRUE(errors.empty());
}

}  // namespace
}  // namespace svc
