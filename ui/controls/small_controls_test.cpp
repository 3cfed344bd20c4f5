// Radio groups made by program code and moved by the dialog manager's arrows, group boxes,
// and icons from resources and files (a window's own icon among them).
#include <gtest/gtest.h>

#include <vector>

#include "runtime/macro.h"
#include "runtime/memvar.h"
#include "ui/bridge/gdi_handles.h"
#include "tests/support/mouse_input.h"
#include "tests/support/pump.h"
#include "ui/controls/controls_test_support.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tgroup.h"
#include "ui/controls/ticon.h"
#include "ui/controls/tradmenu.h"
#include "ui/core/tdialog.h"

namespace ui {
namespace {

using test::Blk;
using vdr::test::WindowText;
using xb::Args;
using xb::Value;

const std::string kPictures = VDR_TEST_PICTURES;

class SmallControlsTest : public test::ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    window_ = Make(40, 40, 360, 260);
    ShowWindow(window_->hWnd, SW_SHOW);
  }
  static int Checked(const TRadio& radio) {
    return static_cast<int>(SendMessageA(radio.hWnd, BM_GETCHECK, 0, 0));
  }
  xb::Ref<TWindow> window_;
};

TEST_F(SmallControlsTest, ARadioGroupMadeByProgramCode) {
  struct Case {
    Value start;
    int option;       // the option it starts with
    std::vector<int> keys;
    int after;        // the option after the keys
  } cases[] = {
      {Value::Integer(0), 1, {VK_DOWN, VK_DOWN, VK_DOWN}, 1},  // 0 is the first; Down on the third goes round
      {Value::String("x"), 1, {VK_UP}, 3},
      {Value::Integer(2), 2, {VK_RIGHT, VK_LEFT, VK_LEFT}, 1},
  };
  for (const Case& c : cases) {
    const SetGet option = SetGet::Of(c.start);
    std::vector<int> changes;
    auto group = xb::MakeRef<TRadMenu>();
    group->New({.row = 2, .col = 2, .prompts = {"Uno", "Dos", "Tres"}, .set_get = option.block, .parent = window_,
                .change = Blk([&](Args& a) {
                  changes.push_back(static_cast<int>(a.Int(1)));
                  return Value();
                }),
                .clr_text = RGB(0, 0, 0), .clr_pane = RGB(255, 255, 255), .width = 80});
    ASSERT_EQ(group->aItems.size(), 3u);
    EXPECT_EQ(option.Get().AsInt(), c.option);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Checked(*group->aItems[i]), i + 1 == c.option ? 1 : 0) << i;
    EXPECT_NE(GetWindowLongA(group->aItems[0]->hWnd, GWL_STYLE) & WS_GROUP, 0);
    EXPECT_EQ(GetWindowLongA(group->aItems[1]->hWnd, GWL_STYLE) & WS_GROUP, 0);
    // The buttons are a row of 13 apart.
    RECT first = {}, second = {};
    GetWindowRect(group->aItems[0]->hWnd, &first);
    GetWindowRect(group->aItems[1]->hWnd, &second);
    EXPECT_EQ(second.top - first.top, 13);
    for (int key : c.keys) {
      HWND focus = group->aItems[static_cast<std::size_t>(option.Get().AsInt() - 1)]->hWnd;
      SetFocus(focus);
      Key(focus, key);
    }
    EXPECT_EQ(option.Get().AsInt(), c.after);
    EXPECT_EQ(changes.size(), c.keys.size());  // one change a key
    EXPECT_EQ(GetFocus(), group->aItems[static_cast<std::size_t>(c.after - 1)]->hWnd);
    // A click chooses.
    SendMessageA(group->aItems[1]->hWnd, BM_CLICK, 0, 0);
    EXPECT_EQ(option.Get().AsInt(), 2);
    Screenshot(window_->hWnd, "radio_group_new");
    group->End();
  }
}

TEST_F(SmallControlsTest, TheDialogManagersArrowMovesTheOptionOnce) {
  const SetGet option = SetGet::Of(Value::Integer(1));
  std::vector<int> changes;
  auto dialog = xb::MakeRef<TDialog>();
  dialog->New({.resource = Value::String("FININ2")});
  auto group = xb::MakeRef<TRadMenu>();
  group->ReDefine({.set_get = option.block, .parent = dialog, .ids = {102, 103, 101}, .change = Blk([&](Args& a) {
                     changes.push_back(static_cast<int>(a.Int(1)));
                     return Value();
                   })});
  std::vector<int> seen;
  dialog->bStart = Blk([&, d = dialog.get()](Args&) {
    HWND first = GetDlgItem(d->hWnd, 102);
    SetFocus(first);
    // Through the dialog's own loop, as a key the user presses.
    PostMessageA(first, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageA(first, WM_KEYUP, VK_DOWN, 0xC0000001);
    vdr::test::PumpUntil([&] { return option.Get().AsInt() != 1; }, 2000);
    vdr::test::PumpPending();
    seen.push_back(static_cast<int>(option.Get().AsInt()));
    HWND now = GetFocus();
    PostMessageA(now, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageA(now, WM_KEYUP, VK_DOWN, 0xC0000001);
    vdr::test::PumpUntil([&] { return option.Get().AsInt() != 2; }, 2000);
    vdr::test::PumpPending();
    seen.push_back(static_cast<int>(option.Get().AsInt()));
    d->End();
    return Value();
  });
  dialog->Activate({.centered = true});
  EXPECT_EQ(seen, (std::vector<int>{2, 3}));
  EXPECT_EQ(changes, (std::vector<int>{2, 3}));
}

TEST_F(SmallControlsTest, AGroupBoxAroundControls) {
  auto box = xb::MakeRef<TGroup>();
  box->New({.top = 10, .left = 10, .bottom = 120, .right = 200, .caption = Value::String("Datos"), .parent = window_,
            .clr_text = RGB(0, 0, 0), .clr_pane = RGB(255, 255, 255), .pixel = true});
  ASSERT_NE(box->hWnd, nullptr);
  EXPECT_EQ(WindowText(box->hWnd), "Datos");
  EXPECT_EQ(GetWindowLongA(box->hWnd, GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
  RECT r = {};
  GetClientRect(box->hWnd, &r);
  EXPECT_EQ(r.right, 191);  // right and bottom are the last pixels
  EXPECT_EQ(r.bottom, 111);
  // A caption from a block follows its value on Refresh.
  int count = 3;
  box->bGet = Blk([&](Args&) { return Value::String("Registros: " + std::to_string(count)); });
  box->Refresh();
  EXPECT_EQ(WindowText(box->hWnd), "Registros: 3");
  count = 4;
  box->Refresh();
  EXPECT_EQ(WindowText(box->hWnd), "Registros: 4");
  // Cells of 14 x 7 without the pixel flag; no colours given: the window's (its caption is
  // written white, as the window writes).
  auto cells = xb::MakeRef<TGroup>();
  cells->New({.top = 9, .left = 30, .bottom = 12, .right = 45, .caption = Value::String("Otro"), .parent = window_});
  RECT w = {};
  GetWindowRect(cells->hWnd, &w);
  POINT at = {w.left, w.top};
  ScreenToClient(window_->hWnd, &at);
  EXPECT_EQ(at.y, 9 * 14);
  EXPECT_EQ(at.x, 30 * 7);
  // In a dialog's resource: the caption read from it.
  auto dialog = xb::MakeRef<TDialog>();
  dialog->New({.resource = Value::String("FININ2")});
  auto redefined = xb::MakeRef<TGroup>();
  redefined->ReDefine({.id = 0, .parent = dialog});
  EXPECT_GT(redefined->nId, 100);
  Screenshot(window_->hWnd, "group_box");
}

// A plain group box lets a click through to the window under it; one made in design mode
// takes the press and is moved with the mouse (four grid steps of 8 for 30 pixels).
TEST_F(SmallControlsTest, AGroupBoxTakesTheMouseOnlyInDesignMode) {
  SetForegroundWindow(window_->hWnd);
  std::vector<int> window_clicks;
  window_->bLClicked = Blk([&](Args& a) {
    window_clicks.push_back(static_cast<int>(a.Int(2)));
    return Value();
  });
  for (bool design : {false, true}) {
    SCOPED_TRACE(design ? "design" : "plain");
    window_clicks.clear();
    auto box = xb::MakeRef<TGroup>();
    box->New({.top = 40, .left = 40, .bottom = 119, .right = 159, .caption = Value::String("Datos"), .parent = window_,
              .clr_text = RGB(0, 0, 0), .clr_pane = RGB(255, 255, 255), .pixel = true, .design = design});
    ASSERT_NE(box->hWnd, nullptr);
    ASSERT_TRUE(vdr::test::MouseToClient(box->hWnd, {30, 40}));
    vdr::test::LeftButton(true);
    ASSERT_TRUE(vdr::test::MouseToClient(box->hWnd, {30 + 30, 40 + 1}));
    vdr::test::LeftButton(false);
    RECT at = {};
    GetWindowRect(box->hWnd, &at);
    MapWindowPoints(nullptr, window_->hWnd, reinterpret_cast<POINT*>(&at), 2);
    if (design) {
      EXPECT_TRUE(window_clicks.empty());
      EXPECT_EQ(at.left, 72);
      EXPECT_EQ(at.right - at.left, 120);
      Screenshot(window_->hWnd, "group_box_designed");
      box->HideDots();
    } else {
      EXPECT_EQ(window_clicks, (std::vector<int>{40 + 30}));  // the window's own column
      EXPECT_EQ(at.left, 40);
    }
    EXPECT_EQ(GetCapture(), nullptr);
    DestroyWindow(box->hWnd);
  }
}

TEST_F(SmallControlsTest, IconsFromResourcesAndFiles) {
  struct Case {
    const char* what;
    std::string resource;
    std::string file;
    bool shown;
  } cases[] = {
      {"a resource", "PRUEBAICO", "", true},
      {"a file", "", kPictures + "prueba.ico", true},
      {"the resource wins", "PRUEBAICO", kPictures + "nohay.ico", true},
      {"a missing file", "", kPictures + "nohay.ico", false},
      {"a picture that is no icon", "", kPictures + "prueba32.bmp", false},
      {"nothing", "", "", false},
  };
  int col = 1;
  for (const Case& c : cases) {
    auto icon = xb::MakeRef<TIcon>();
    icon->New({.row = 10, .col = col, .resource = c.resource, .file = c.file, .parent = window_});
    col += 5;
    EXPECT_EQ(icon->hIcon() != nullptr, c.shown) << c.what;
    ASSERT_NE(icon->hWnd, nullptr) << c.what;
    RECT r = {};
    GetClientRect(icon->hWnd, &r);
    EXPECT_EQ(r.right, 32) << c.what;
    if (c.shown) {
      RedrawWindow(icon->hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      MemorySurface s(1, 1);
      WindowDC dc(icon->hWnd);
      BitBlt(s.dc(), 0, 0, 1, 1, dc.get(), 4, 4, SRCCOPY);
      EXPECT_EQ(s.Pixel(0, 0), RGB(0, 140, 60)) << c.what;  // the icon's green
    }
  }
  Screenshot(window_->hWnd, "icons");
  // SetFile and SetName keep the icon when the new one cannot be had.
  auto icon = xb::MakeRef<TIcon>();
  icon->New({.row = 1, .col = 1, .resource = "PRUEBAICO", .parent = window_});
  HICON before = icon->hIcon();
  EXPECT_FALSE(icon->SetFile(kPictures + "nohay.ico"));
  EXPECT_FALSE(icon->SetName("NOHAY"));
  EXPECT_EQ(icon->hIcon(), before);
  EXPECT_TRUE(icon->SetFile(kPictures + "prueba.ico"));
  EXPECT_NE(icon->hIcon(), nullptr);
  EXPECT_EQ(icon->cIcoFile, kPictures + "prueba.ico");
  // A click on it runs bLClicked with the point of the icon.
  std::vector<std::pair<int, int>> clicks;
  icon->bLClicked = Blk([&](Args& a) {
    clicks.emplace_back(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)));
    return Value();
  });
  SetForegroundWindow(window_->hWnd);
  ASSERT_TRUE(vdr::test::MouseToClient(icon->hWnd, {12, 20}));
  vdr::test::LeftButton(true);
  vdr::test::LeftButton(false);
  EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{20, 12}}));
}

TEST_F(SmallControlsTest, AWindowsIconOfAName) {
  for (const std::string& name : {std::string("PRUEBAICO"), kPictures + "prueba.ico"}) {
    xb::DeclarePublic(xb::Intern("CICON"));
    xb::SetMemvar(xb::Intern("CICON"), Value::String(name));
    const Value made = xb::EvalMacro("TWindow():New(2, 2, 20, 40, 'Con icono', , , , cIcon)");
    auto* window = dynamic_cast<TWindow*>(made.AsObject().get());
    ASSERT_NE(window, nullptr);
    made_.push_back(window->hWnd);
    auto* icon = dynamic_cast<TIcon*>(window->oIcon.get());
    ASSERT_NE(icon, nullptr) << name;
    EXPECT_EQ(icon->hWnd, nullptr);  // windowless
    ASSERT_NE(icon->hIcon(), nullptr) << name;
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(window->hWnd, WM_GETICON, ICON_BIG, 0)), icon->hIcon());
    xb::Ref<TIcon> keep(icon);
    DestroyWindow(window->hWnd);
    vdr::test::PumpPending();
    EXPECT_EQ(keep->hIcon(), nullptr);  // ended with its window
  }
}

TEST_F(SmallControlsTest, AnMdiFrameAndChildShowTheIconOfAName) {
  xb::DeclarePublic(xb::Intern("CICON"));
  xb::SetMemvar(xb::Intern("CICON"), Value::String("PRUEBAICO"));
  const Value frame = xb::EvalMacro("TMdiFrame():New(2, 2, 24, 60, 'Marco', , , , cIcon)");
  auto* window = dynamic_cast<TWindow*>(frame.AsObject().get());
  ASSERT_NE(window, nullptr);
  made_.push_back(window->hWnd);
  xb::DeclarePublic(xb::Intern("OMARCO"));
  xb::SetMemvar(xb::Intern("OMARCO"), frame);
  const Value child = xb::EvalMacro("TMdiChild():New(1, 1, 10, 30, 'Hija', , , oMarco, cIcon)");
  auto* inner = dynamic_cast<TWindow*>(child.AsObject().get());
  ASSERT_NE(inner, nullptr);
  std::vector<xb::Ref<TIcon>> icons;
  for (TWindow* w : {window, inner}) {
    auto* icon = dynamic_cast<TIcon*>(w->oIcon.get());
    ASSERT_NE(icon, nullptr) << w->cCaption;
    ASSERT_NE(icon->hIcon(), nullptr) << w->cCaption;
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(w->hWnd, WM_GETICON, ICON_BIG, 0)), icon->hIcon()) << w->cCaption;
    icons.emplace_back(icon);
  }
  ShowWindow(window->hWnd, SW_SHOW);
  Screenshot(window->hWnd, "mdi_icons");
  DestroyWindow(window->hWnd);
  vdr::test::PumpPending();
  for (const auto& icon : icons) EXPECT_EQ(icon->hIcon(), nullptr);  // ended with their windows
  xb::SetMemvar(xb::Intern("OMARCO"), Value());
}

}  // namespace
}  // namespace ui
