// The meter, check box, label and push button: in the index generation's progress dialog,
// created on a window, and in the focus and validation protocol of a dialog.
#include <gtest/gtest.h>

#include "runtime/test_env.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/tcheckbox.h"
#include "ui/controls/tmeter.h"
#include "ui/controls/tsay.h"
#include "ui/core/core_test_support.h"
#include "ui/core/plain_control.h"
#include "ui/core/tdialog.h"

namespace ui {
namespace {

using test::Blk;
using vdr::test::WindowText;
using xb::Args;
using xb::Value;

class ControlsTest : public test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    InitControls();
    ASSERT_NE(SetResources("VDRE.DLL"), nullptr);
  }
  void TearDown() override {
    FreeResources();
    FrameworkTest::TearDown();
  }
  static DialogRef Dialog(Value resource) {
    auto d = xb::MakeRef<TDialog>();
    TDialog::NewParams p;
    p.resource = std::move(resource);
    d->New(p);
    return d;
  }
  static void Press(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  static COLORREF Pixel(HWND hwnd, int x, int y) {
    MemorySurface s(1, 1);
    WindowDC dc(hwnd);
    BitBlt(s.dc(), 0, 0, 1, 1, dc.get(), x, y, SRCCOPY);
    return s.Pixel(0, 0);
  }
  static void Shot(HWND hwnd, const char* name) {
    EXPECT_TRUE(vdr::test::SaveWindowBitmap(hwnd, vdr::test::ScreenshotFolder() + "\\" + name + ".bmp"));
  }
};

TEST_F(ControlsTest, ProgressDialogWithItsOptionsMetersLabelsAndButtons) {
  auto dialog = Dialog(Value::Integer(10222));
  std::vector<SetGet> options;
  for (bool on : {true, true, true, true, false}) options.push_back(SetGet::Of(Value::Logical(on)));
  std::vector<SetGet> values;
  std::vector<xb::Ref<TMeter>> meters;
  for (int i = 0; i < 155; ++i) {
    values.push_back(SetGet::Of(Value::Integer(0)));
    auto meter = xb::MakeRef<TMeter>();
    meter->ReDefine({.id = 101 + i, .set_get = values.back().block, .total = 100, .parent = dialog,
                     .no_percentage = true, .clr_pane = GetSysColor(15), .clr_text = GetSysColor(16),
                     .clr_bar = GetSysColor(13), .clr_bar_text = GetSysColor(14)});
    meters.push_back(meter);
  }
  std::vector<xb::Ref<TCheckBox>> boxes;
  std::vector<Value> changes;
  for (int i = 0; i < 5; ++i) {
    auto box = xb::MakeRef<TCheckBox>();
    box->ReDefine({.id = 301 + i, .set_get = options[static_cast<size_t>(i)].block, .parent = dialog,
                   .change = Blk([&](Args& a) {
                     changes.push_back(a.Arg(1));
                     return Value();
                   })});
    boxes.push_back(box);
  }
  auto title = xb::MakeRef<TSay>();
  title->ReDefine({.id = 100, .parent = dialog});
  auto group = xb::MakeRef<TSay>();
  group->ReDefine({.id = 91, .get = Blk([](Args&) { return Value::String("Preparando"); }), .parent = dialog});
  auto table = xb::MakeRef<TSay>();
  table->ReDefine({.id = 92, .parent = dialog});
  int started = 0;
  auto start = xb::MakeRef<TButton>();
  start->ReDefine({.id = 552, .action = Blk([&](Args&) {
                     ++started;
                     group->SetText(Value::String("Ficheros maestros"));
                     table->SetText(Value::String("CLIENTES"));
                     meters[0]->Set(100);
                     meters[1]->Set(50);
                     meters[31]->Set(25);
                     return Value();
                   }),
                   .parent = dialog});
  auto quit = xb::MakeRef<TButton>();
  quit->ReDefine({.id = 553, .action = Blk([&](Args&) { return Value::Logical(dialog->End()); }), .parent = dialog});

  std::vector<int> marks;
  std::string title_text, group_text, table_text;
  COLORREF full = 0, half_left = 0, half_right = 0;
  dialog->bStart = Blk([&](Args&) {
    for (const auto& box : boxes) marks.push_back(static_cast<int>(SendMessageA(box->hWnd, BM_GETCHECK, 0, 0)));
    title_text = title->cCaption;
    SendMessageA(boxes[4]->hWnd, BM_CLICK, 0, 0);  // the user ticks the fifth option
    vdr::test::PumpPending();
    start->SetFocus();
    SendMessageA(start->hWnd, WM_KEYDOWN, VK_RETURN, 0);  // Enter on the button
    vdr::test::PumpPending();
    RedrawWindow(dialog->hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT r = {};
    GetClientRect(meters[0]->hWnd, &r);
    full = Pixel(meters[0]->hWnd, r.right - 3, r.bottom / 2);
    half_left = Pixel(meters[1]->hWnd, r.right / 4, r.bottom / 2);
    half_right = Pixel(meters[1]->hWnd, r.right * 3 / 4, r.bottom / 2);
    group_text = WindowText(group->hWnd);
    table_text = WindowText(table->hWnd);
    Shot(dialog->hWnd, "controls_indexbar");
    Press(dialog->hWnd, 553);
    return Value();
  });
  TDialog::ActivateParams p;
  p.centered = true;
  dialog->Activate(p);

  EXPECT_EQ(dialog->nResult.AsInt(), 2);
  EXPECT_EQ(marks, (std::vector<int>{1, 1, 1, 1, 0}));
  EXPECT_TRUE(options[4].Get().AsLogical());
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_TRUE(changes[0].AsLogical());
  // read from the resource
  EXPECT_EQ(title_text, "Se empaquetan los ficheros de las empresas marcadas y se regeneran sus índices.");
  EXPECT_EQ(started, 1);
  EXPECT_EQ(group_text, "Ficheros maestros");
  EXPECT_EQ(table_text, "CLIENTES");
  EXPECT_EQ(values[0].Get().AsInt(), 100);
  EXPECT_EQ(full, GetSysColor(13));
  EXPECT_EQ(half_left, GetSysColor(13));
  EXPECT_EQ(half_right, GetSysColor(15));
}

TEST_F(ControlsTest, MeterSetClampsAndRepaintsFromOnePercent) {
  auto w = Make();
  SetGet value = SetGet::Of(Value());
  auto meter = xb::MakeRef<TMeter>();
  meter->New({.row = 10, .col = 10, .set_get = value.block, .total = 1000, .parent = w, .width = 200, .height = 20,
              .pixel = true});
  ASSERT_NE(meter->hWnd, nullptr);
  EXPECT_EQ(value.Get().AsInt(), 0);  // NIL became 0
  vdr::test::PumpPending();
  meter->Set(9);
  EXPECT_EQ(value.Get().AsInt(), 9);
  EXPECT_EQ(meter->nRefresh, 0);
  EXPECT_FALSE(GetUpdateRect(meter->hWnd, nullptr, FALSE));
  meter->Set(10);
  EXPECT_EQ(meter->nRefresh, 1);
  meter->Set(2000);
  EXPECT_EQ(value.Get().AsInt(), 1000);
  meter->Set(-5);
  EXPECT_EQ(value.Get().AsInt(), 0);
  EXPECT_EQ(meter->Percent(), 0);

  meter->SetTotal(0);
  const double refreshes = meter->nRefresh;
  meter->Set(5);
  EXPECT_EQ(value.Get().AsInt(), 0);  // clamped to the total
  EXPECT_EQ(meter->nRefresh, refreshes);
  EXPECT_EQ(meter->Percent(), 0);
}

TEST_F(ControlsTest, LabelFormatsItsValueAndKeepsAValuePut) {
  auto w = Make();
  SetGet amount = SetGet::Of(Value::Double(1234.5, 2));
  auto say = xb::MakeRef<TSay>();
  say->New({.row = 10, .col = 10, .get = amount.block, .parent = w, .picture = "@E 999,999.99", .pixel = true,
            .width = 120});
  ASSERT_NE(say->hWnd, nullptr);
  EXPECT_EQ(WindowText(say->hWnd), "  1.234,50");
  amount.Put(Value::Integer(10));
  say->Refresh();
  EXPECT_EQ(WindowText(say->hWnd), "     10,00");
  say->VarPut(Value::Integer(99));
  amount.Put(Value::Integer(5));
  say->Refresh();
  EXPECT_EQ(WindowText(say->hWnd), "     99,00");  // no longer follows the block given at creation
  auto plain = xb::MakeRef<TSay>();
  plain->New({.row = 2, .col = 3, .get = Blk([](Args&) { return Value::Logical(true); }), .parent = w});
  EXPECT_EQ(WindowText(plain->hWnd), ".t.");
  EXPECT_EQ(plain->nTop, 2 * 15 + 2);
  EXPECT_EQ(plain->nLeft, 3 * 6);
  EXPECT_EQ(plain->nClrPane, w->nClrPane);  // on a plain window, the window's pane
}

TEST_F(ControlsTest, CheckBoxKeepsALogicalAndFlipsItOnClick) {
  auto w = Make();
  SetGet wrong = SetGet::Of(Value::String("x"));
  std::vector<Value> changes;
  auto box = xb::MakeRef<TCheckBox>();
  box->New({.row = 1, .col = 1, .caption = "&Activo", .set_get = wrong.block, .parent = w,
            .change = Blk([&](Args& a) {
              changes.push_back(a.Arg(1));
              return Value();
            })});
  ASSERT_NE(box->hWnd, nullptr);
  EXPECT_TRUE(wrong.Get().IsLogical());
  EXPECT_FALSE(wrong.Get().AsLogical());
  SendMessageA(box->hWnd, BM_CLICK, 0, 0);
  vdr::test::PumpPending();
  EXPECT_TRUE(wrong.Get().AsLogical());
  EXPECT_EQ(SendMessageA(box->hWnd, BM_GETCHECK, 0, 0), BST_CHECKED);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_TRUE(changes[0].AsLogical());
  box->Reset();
  EXPECT_FALSE(wrong.Get().AsLogical());
  EXPECT_EQ(SendMessageA(box->hWnd, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  auto own = xb::MakeRef<TCheckBox>();
  own->New({.row = 3, .col = 1, .parent = w});
  EXPECT_EQ(own->cCaption, "&CheckBox");
  EXPECT_FALSE(own->Checked());
}

TEST_F(ControlsTest, ButtonRunsItsActionOnceWhileItRuns) {
  auto w = Make();
  int runs = 0;
  xb::Ref<TButton> button = xb::MakeRef<TButton>();
  button->New({.row = 10, .col = 10, .caption = "&Generar", .parent = w, .action = Blk([&](Args&) {
                 ++runs;
                 // Enter again while the action runs: the click waits for nothing.
                 SendMessageA(button->hWnd, WM_KEYDOWN, VK_RETURN, 0);
                 vdr::test::PumpPending();
                 return Value();
               }),
               .pixel = true});
  ASSERT_NE(button->hWnd, nullptr);
  EXPECT_EQ(button->nRight - button->nLeft, 48);  // 8 characters of 6 pixels
  SendMessageA(button->hWnd, WM_KEYDOWN, VK_RETURN, 0);
  vdr::test::PumpPending();
  EXPECT_EQ(runs, 1);
  EXPECT_FALSE(button->lProcessing);
  SendMessageA(button->hWnd, WM_KEYDOWN, VK_RETURN, 0);
  vdr::test::PumpPending();
  EXPECT_EQ(runs, 2);
}

TEST_F(ControlsTest, EnterInAFieldPressesTheDefaultButton) {
  auto d = Dialog(Value::String("VALIDA"));
  auto code = xb::MakeRef<PlainControl>();
  code->Redefine(201, d);
  int accepted = 0;
  auto accept = xb::MakeRef<TButton>();
  accept->ReDefine({.id = IDOK, .action = Blk([&](Args&) {
                      ++accepted;
                      return Value();
                    }),
                    .parent = d});
  TDialog::ActivateParams p;
  p.init = Blk([&](Args&) {
    SetFocus(code->hWnd);
    return Value::Logical(false);
  });
  d->bStart = Blk([&](Args&) {
    SendMessageA(code->hWnd, WM_CHAR, VK_RETURN, 0);
    vdr::test::PumpPending();
    Press(d->hWnd, IDCANCEL);
    return Value();
  });
  d->Activate(p);
  EXPECT_EQ(accepted, 1);
}

TEST_F(ControlsTest, CancelButtonLeavesAnInvalidFieldWithoutValidating) {
  struct Case {
    bool cancel;
    int checks;  // validations of the field on the way to the button and its click
  };
  for (const Case& c : {Case{true, 0}, Case{false, 2}}) {
    auto d = Dialog(Value::String("VALIDA"));
    auto code = xb::MakeRef<PlainControl>();
    code->Redefine(201, d);
    int checks = 0;
    code->bValid = Blk([&](Args&) {
      ++checks;
      return Value::Logical(false);
    });
    auto button = xb::MakeRef<TButton>();
    int clicks = 0;
    button->ReDefine({.id = 551, .action = Blk([&](Args&) {
                        ++clicks;
                        return Value();
                      }),
                      .parent = d, .cancel = c.cancel});
    HWND focus = nullptr, code_window = nullptr;
    TDialog::ActivateParams p;
    p.init = Blk([&](Args&) {
      code_window = code->hWnd;
      SetFocus(code->hWnd);
      return Value::Logical(false);
    });
    d->bStart = Blk([&](Args&) {
      SetFocus(button->hWnd);  // as a click on it moves the focus
      vdr::test::PumpPending();
      focus = GetFocus();
      Press(d->hWnd, 551);
      vdr::test::PumpPending();
      Press(d->hWnd, IDCANCEL);
      return Value();
    });
    d->Activate(p);
    EXPECT_EQ(checks, c.checks) << c.cancel;
    EXPECT_EQ(clicks, c.cancel ? 1 : 0) << c.cancel;  // an invalid field drops other clicks
    if (!c.cancel) {
      EXPECT_EQ(focus, code_window);
    }
  }
}

TEST_F(ControlsTest, DesignSourceText) {
  auto w = Make();
  auto button = xb::MakeRef<TButton>();
  button->New({.row = 10, .col = 20, .caption = "&Ok", .parent = w, .width = 40, .height = 12, .pixel = true});
  EXPECT_EQ(button->cGenPRG(),
            "\r\n@  10,  20 BUTTON \"&Ok\" SIZE  41,  13 PIXEL OF oWnd ;\r\n   ACTION MsgInfo( \"Not defined yet!\" )");
  auto box = xb::MakeRef<TCheckBox>();
  box->New({.row = 5, .col = 6, .caption = "&Sí", .parent = w, .width = 30, .height = 10, .pixel = true});
  EXPECT_EQ(box->cGenPrg(), "\r\n@ 5, 6 CHECKBOX lVar PROMPT \"&Sí\" SIZE 31, 11 PIXEL OF oWnd");
  auto say = xb::MakeRef<TSay>();
  say->New({.row = 7, .col = 8, .get = Blk([](Args&) { return Value::String("Hola"); }), .parent = w, .pixel = true,
            .width = 30, .height = 10});
  EXPECT_EQ(say->cGenPrg(), "\r\n@   7,   8 SAY \"Hola\" SIZE  29,   9 PIXEL OF oWnd");
}

TEST_F(ControlsTest, ControlsOnAWindowScreenshot) {
  TWindow::NewParams look;
  look.clr_text = 0;
  look.clr_pane = GetSysColor(COLOR_BTNFACE);
  auto w = Make(40, 40, 360, 160, look);
  SetGet done = SetGet::Of(Value::Integer(42));
  auto meter = xb::MakeRef<TMeter>();
  meter->New({.row = 10, .col = 10, .set_get = done.block, .total = 100, .parent = w, .width = 300, .height = 20,
              .pixel = true});
  auto box = xb::MakeRef<TCheckBox>();
  box->New({.row = 40, .col = 10, .caption = "&Copia de seguridad", .parent = w, .width = 160, .pixel = true});
  auto say = xb::MakeRef<TSay>();
  say->New({.row = 70, .col = 10, .get = Blk([](Args&) { return Value::String("Organizando ficheros..."); }),
            .parent = w, .pixel = true, .width = 200});
  auto button = xb::MakeRef<TButton>();
  button->New({.row = 100, .col = 240, .caption = "&Salir", .parent = w, .width = 70, .height = 24, .pixel = true});
  ShowWindow(w->hWnd, SW_SHOW);
  vdr::test::PumpPending();
  RedrawWindow(w->hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  Shot(w->hWnd, "controls_window");
  EXPECT_EQ(Pixel(meter->hWnd, 60, 10), TMeter::kBarColour);
  EXPECT_EQ(Pixel(meter->hWnd, 250, 10), w->nClrPane);
}

}  // namespace
}  // namespace ui
