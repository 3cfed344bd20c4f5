// One dialog built in memory with the list, choice and picture controls together, driven as
// a user would: a combo box with pictures, a drop-down combo typed into, a radio group in a
// group box, a list box with pictures and several items chosen, an icon and a bitmap scrolled
// and zoomed, every one bound to a value that follows what the user does.
#include <gtest/gtest.h>

#include "tests/support/pump.h"
#include "ui/controls/controls_test_support.h"
#include "ui/controls/list_text.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tbitmap.h"
#include "ui/controls/tcombobox.h"
#include "ui/controls/tget.h"
#include "ui/controls/tgroup.h"
#include "ui/controls/ticon.h"
#include "ui/controls/tlistbox.h"
#include "ui/controls/tradmenu.h"
#include "ui/controls/tsay.h"
#include "ui/core/tdialog.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;

Value Items(std::initializer_list<const char*> texts) {
  xb::Array list = xb::Array::New();
  for (const char* t : texts) list.Append(Value::String(t));
  return Value(list);
}

class ShowcaseTest : public test::ControlsTest {};

TEST_F(ShowcaseTest, ADialogOfListsChoicesAndPictures) {
  const SetGet light = SetGet::Of(Value::Integer(1));
  const SetGet city = SetGet::Of(Value::String("Sevilla"));
  const SetGet option = SetGet::Of(Value::Integer(1));
  const SetGet state = SetGet::Of(Value::String(""));

  auto dialog = xb::MakeRef<TDialog>();
  dialog->New({.caption = std::string("Controles"), .width = 420, .height = 250});
  auto lights = xb::MakeRef<TComboBox>();
  lights->New({.row = 6, .col = 6, .set_get = light.block, .items = Items({"Libre", "En uso", "Bloqueada"}),
               .width = 90, .height = 60, .parent = dialog, .pixel = true,
               .pictures = Items({"BMPVERDE", "BMPROJO", "BMPNOCHK"})});
  auto cities = xb::MakeRef<TComboBox>();
  cities->New({.row = 22, .col = 6, .set_get = city.block, .items = Items({"Sevilla", "Madrid", "Bilbao"}),
               .width = 90, .height = 60, .parent = dialog, .pixel = true, .style = TComboBox::kDropDown});
  auto frame = xb::MakeRef<TGroup>();
  frame->New({.top = 38, .left = 4, .bottom = 82, .right = 96, .caption = Value::String("Orden"), .parent = dialog,
              .pixel = true});
  auto order = xb::MakeRef<TRadMenu>();
  order->New({.row = 46, .col = 6, .prompts = {"C\xF3" "digo", "Nombre", "Fecha"}, .set_get = option.block,
              .parent = dialog, .height = 11, .width = 60, .pixel = true});
  auto states = xb::MakeRef<TListBox>();
  states->New({.row = 6, .col = 102, .set_get = state.block, .items = Items({"Libre", "En uso", "Bloqueada"}),
               .width = 70, .height = 44, .parent = dialog, .pixel = true,
               .pictures = Items({"BMPVERDE", "BMPROJO", "BMPNOCHK"}), .multiple = true});
  auto icon = xb::MakeRef<TIcon>();
  icon->New({.row = 4, .col = 23, .resource = "PRUEBAICO", .parent = dialog});
  auto picture = xb::MakeRef<TBitmap>();
  picture->New({.row = 56, .col = 102, .width = 60, .height = 40, .resource = "PRUEBA48", .parent = dialog,
                .scroll = true, .pixel = true});

  std::vector<std::string> chosen;
  dialog->bStart = Blk([&, d = dialog.get()](Args&) {
    // The third light, chosen from the list.
    SendMessageA(lights->hWnd, CB_SETCURSEL, 2, 0);
    SendMessageA(d->hWnd, WM_COMMAND, MAKEWPARAM(lights->nId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(lights->hWnd));
    // A city typed into the drop-down's edit part.
    HWND edit = cities->oGet->hWnd;
    SetFocus(edit);
    cities->oGet->SelectAll();
    Key(edit, VK_DELETE);
    Type(edit, "Toledo");
    SetFocus(states->hWnd);
    vdr::test::PumpPending();
    // The second order, clicked; two states chosen.
    SendMessageA(order->aItems[1]->hWnd, BM_CLICK, 0, 0);
    states->SetSelItems({1, 3});
    SendMessageA(d->hWnd, WM_COMMAND, MAKEWPARAM(states->nId, LBN_SELCHANGE), reinterpret_cast<LPARAM>(states->hWnd));
    chosen = states->aSelections();
    // The picture zoomed and scrolled to its middle.
    picture->Zoom(3);
    SendMessageA(picture->hWnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30), 0);
    SendMessageA(picture->hWnd, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 20), 0);
    Screenshot(d->hWnd, "showcase_dialog");
    d->End(IDOK);
    return Value();
  });
  dialog->Activate({.centered = true});

  EXPECT_EQ(light.Get().AsInt(), 3);
  EXPECT_EQ(TrimRight(std::string(city.Get().AsString())), "Toledo");
  EXPECT_EQ(option.Get().AsInt(), 2);
  EXPECT_EQ(chosen, (std::vector<std::string>{"Libre", "Bloqueada"}));
  EXPECT_FALSE(state.Get().AsString().empty());
  EXPECT_EQ(picture->nZoom, 3);
  EXPECT_EQ(picture->nY, -30);
  EXPECT_EQ(picture->nX, -20);
}

}  // namespace
}  // namespace ui
