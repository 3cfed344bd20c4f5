// Many meters drawn by one control: the progress dialog's 155 meters as one window look as
// the 155 meter windows did, pixel for pixel; a changed meter is painted alone, once.
#include "ui/controls/tmeter_group.h"

#include <gtest/gtest.h>

#include <functional>

#include "runtime/heap.h"
#include "runtime/test_env.h"

#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/controls/set_get.h"
#include "ui/core/core_test_support.h"
#include "ui/core/tdialog.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using test::Blk;
using xb::Args;
using xb::Value;

constexpr int kMeters = 155;
// Meter index (0-based) and value shown: full, half, a quarter, almost empty, the last.
constexpr std::pair<int, int> kShown[] = {{0, 100}, {1, 50}, {31, 25}, {80, 3}, {154, 77}};

TMeter::ReDefineParams MeterParams(int i, const SetGet& value, const DialogRef& dialog) {
  return {.id = 101 + i, .set_get = value.block, .total = 100, .parent = dialog, .no_percentage = true,
          .clr_pane = GetSysColor(15), .clr_text = GetSysColor(16), .clr_bar = GetSysColor(13),
          .clr_bar_text = GetSysColor(14)};
}

class TMeterGroupTest : public test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    InitControls();
    ASSERT_NE(SetResources("VDRE.DLL"), nullptr);
    for (int i = 0; i < kMeters; ++i) values.push_back(SetGet::Of(Value::Integer(0)));
    for (auto [i, value] : kShown) values[static_cast<std::size_t>(i)].Put(Value::Integer(value));
  }
  void TearDown() override {
    FreeResources();
    FrameworkTest::TearDown();
  }
  static DialogRef Dialog() {
    auto d = xb::MakeRef<TDialog>();
    TDialog::NewParams p;
    p.resource = Value::Integer(10222);
    d->New(p);
    return d;
  }
  // The dialog's client area, pixel by pixel, once everything is painted.
  static std::vector<COLORREF> Client(HWND dialog) {
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT r = {};
    GetClientRect(dialog, &r);
    MemorySurface s(r.right, r.bottom);
    HDC dc = GetDC(dialog);
    BitBlt(s.dc(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(dialog, dc);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < r.bottom; ++y)
      for (int x = 0; x < r.right; ++x) pixels.push_back(s.Pixel(x, y));
    return pixels;
  }
  // Runs the dialog with `bind` binding its meters and `look` looking at it while it shows.
  static void Run(const DialogRef& dialog, const std::function<void()>& look) {
    dialog->bStart = Blk([&](Args&) {
      look();
      PostMessageA(dialog->hWnd, WM_COMMAND, IDCANCEL, 0);
      return Value();
    });
    TDialog::ActivateParams p;
    p.centered = true;
    dialog->Activate(p);
  }
  std::vector<SetGet> values;
};

TEST_F(TMeterGroupTest, LooksAsTheMeterWindowsDid) {
  std::vector<COLORREF> windows, group;
  {
    auto dialog = Dialog();
    std::vector<xb::Ref<TMeter>> meters;
    for (int i = 0; i < kMeters; ++i) {
      meters.push_back(xb::MakeRef<TMeter>());
      meters.back()->ReDefine(MeterParams(i, values[static_cast<std::size_t>(i)], dialog));
    }
    Run(dialog, [&] { windows = Client(dialog->hWnd); });
  }
  auto dialog = Dialog();
  auto meters = xb::MakeRef<TMeterGroup>();
  dialog->edit_template = [&](std::string_view t) { return meters->TakeMeters(t, 101); };
  meters->ReDefine(101, dialog);
  for (int i = 0; i < kMeters; ++i) meters->Meter(MeterParams(i, values[static_cast<std::size_t>(i)], dialog));
  int children = 0;
  LRESULT bitmap = 0;
  Run(dialog, [&] {
    group = Client(dialog->hWnd);
    for (HWND c = GetWindow(dialog->hWnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++children;
    bitmap = SendDlgItemMessageA(dialog->hWnd, 600, STM_GETIMAGE, IMAGE_BITMAP, 0);
    EXPECT_TRUE(vdr::test::SaveWindowBitmap(dialog->hWnd, vdr::test::ScreenshotFolder() + "\\meter_group.bmp"));
  });

  ASSERT_EQ(windows.size(), group.size());
  int differing = 0;
  for (std::size_t i = 0; i < windows.size(); ++i) differing += windows[i] != group[i];
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(children, 4 + 5 + 1 + 2);  // bitmap, 3 labels, 5 options, the meters, 2 buttons
  EXPECT_NE(bitmap, 0);                // still from the resource module
  EXPECT_EQ(meters->Find(101 + 31)->Current(), 25);
  EXPECT_EQ(meters->Find(100), nullptr);
}

TEST_F(TMeterGroupTest, PaintsOnlyTheChangedMetersOnce) {
  auto dialog = Dialog();
  auto meters = xb::MakeRef<TMeterGroup>();
  dialog->edit_template = [&](std::string_view t) { return meters->TakeMeters(t, 101); };
  meters->ReDefine(101, dialog);
  for (int i = 0; i < kMeters; ++i) meters->Meter(MeterParams(i, values[static_cast<std::size_t>(i)], dialog));
  int first = 0, changed = 0, alone = 0, none = 0;
  std::vector<COLORREF> before, after;
  Run(dialog, [&] {
    before = Client(dialog->hWnd);
    first = meters->nPainted;
    meters->nPainted = 0;
    for (int step = 1; step <= 10; ++step) {  // many steps of two meters, one paint
      values[2].Put(Value::Integer(step * 10));
      values[120].Put(Value::Integer(step * 5));
      meters->Invalidate(std::vector<int>{103, 221});
    }
    UpdateWindow(meters->hWnd);
    changed = meters->nPainted;
    meters->nPainted = 0;
    values[40].Put(Value::Integer(60));
    meters->Invalidate(141);
    UpdateWindow(meters->hWnd);
    alone = meters->nPainted;
    meters->nPainted = 0;
    UpdateWindow(meters->hWnd);
    none = meters->nPainted;
    after = Client(dialog->hWnd);
  });
  EXPECT_GE(first, kMeters);
  EXPECT_EQ(changed, 2);
  EXPECT_EQ(alone, 1);
  EXPECT_EQ(none, 0);
  EXPECT_NE(before, after);
  EXPECT_EQ(values[2].Get().AsInt(), 100);
}

TEST_F(TMeterGroupTest, AMeterTheTemplateLacksIsAFrameworkError) {
  auto dialog = Dialog();
  auto meters = xb::MakeRef<TMeterGroup>();
  dialog->edit_template = [&](std::string_view t) { return meters->TakeMeters(t, 101); };
  meters->ReDefine(101, dialog);
  meters->Meter(MeterParams(0, values[0], dialog));
  meters->Meter(MeterParams(400, values[1], dialog));
  xb::testing::RecordingErrorBlock errors;
  Run(dialog, [] {});
  ASSERT_EQ(errors.count, 1);
  EXPECT_EQ(errors.error()->operation, "No:    501");
}

// The group holds its meters, they their dialog and the dialog the group: dropped, all of it
// is collected.
TEST_F(TMeterGroupTest, AGroupWithItsMetersAndDialogIsCollected) {
  xb::CollectGarbage();
  const std::size_t before = xb::LiveContainerCount();
  {
    auto dialog = Dialog();
    auto meters = xb::MakeRef<TMeterGroup>();
    meters->ReDefine(101, dialog);
    for (int i = 0; i < 3; ++i) meters->Meter(MeterParams(i, values[static_cast<std::size_t>(i)], dialog));
    SetWndDefault(nullptr);  // the dialog made itself the default window
  }
  EXPECT_GT(xb::LiveContainerCount(), before);
  xb::CollectGarbage();
  EXPECT_EQ(xb::LiveContainerCount(), before);
}

}  // namespace
}  // namespace ui
