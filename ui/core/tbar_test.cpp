// The button bar's own pop-up menu: the edges it offers to dock at, and a header picture whose
// name is all digits but no resource number.
#include "ui/core/tbar.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/pump.h"
#include "ui/bridge/resources.h"
#include "ui/core/core_test_support.h"
#include "ui/core/tmenu.h"
#include "ui/core/tmenuitem.h"

namespace ui {
namespace {

using test::DuringMenu;
using test::OpenMenuWindow;
using xb::Value;

class TBarTest : public test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    ASSERT_NE(SetResources("VDRE.DLL"), nullptr);
  }
  void TearDown() override {
    FreeResources();
    FrameworkTest::TearDown();
  }
  // What a right click on the bar offers, read while its pop-up is open.
  static std::vector<std::string> Offered(TBar& bar) {
    std::vector<std::string> prompts;
    DuringMenu during({[&] {
      if (auto* menu = dynamic_cast<TMenu*>(bar.oPopup.get())) {
        for (const auto& item : menu->aItems) prompts.push_back(item->cPrompt);
      }
      EndMenu();
    }});
    SendMessageA(bar.hWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 5));
    EXPECT_TRUE(during.fired());
    return prompts;
  }
};

TEST_F(TBarTest, ThePopUpOffersOnlyTheFreeEdges) {
  struct Case {
    const char* name;
    const char* position;
    bool top, left, right, bottom;  // edges already held by another item of the window
    std::vector<std::string> offered;
  };
  const Case cases[] = {
      {"all free", "TOP", false, false, false, false, {"&Left", "&Right", "&Bottom", "&Float"}},
      {"left held", "TOP", false, true, false, false, {"&Right", "&Bottom", "&Float"}},
      {"right and bottom held", "TOP", false, false, true, true, {"&Left", "&Float"}},
      {"at the bottom, top held", "BOTTOM", true, false, false, false, {"&Left", "&Right", "&Float"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto w = Make(40, 40, 480, 300);
    ShowWindow(w->hWnd, SW_SHOW);
    SetForegroundWindow(w->hWnd);
    TWindow::NewParams child;
    child.parent = w;
    child.style = WS_CHILD | WS_VISIBLE;
    auto held = Make(0, 0, 40, 40, child);
    if (c.top) w->oTop = held;
    if (c.left) w->oLeft = held;
    if (c.right) w->oRight = held;
    if (c.bottom) w->oBottom = held;
    TBar::NewParams p;
    p.position = c.position;
    p.mode = std::string(c.position) == "TOP" ? TBar::kTop : TBar::kBottom;
    auto bar = TBar::New(*w, p);
    ASSERT_NE(bar->hWnd, nullptr);
    bar->bRClicked = Value();  // the bar's own pop-up
    EXPECT_EQ(Offered(*bar), c.offered);
    DestroyWindow(w->hWnd);
  }
}

TEST_F(TBarTest, AnAllDigitHeaderTooLongForANumberIsTakenAsAName) {
  auto w = Make(40, 40, 480, 300);
  TBar::NewParams p;
  p.mode = TBar::kLeft;
  p.header = "123456789012345678901234567890";
  auto bar = TBar::New(*w, p);  // no such resource: no picture, and no failure
  ASSERT_NE(bar->hWnd, nullptr);
  EXPECT_EQ(bar->hBmpHeader, nullptr);
  p.header = "24004";  // the maker's header by number
  auto numbered = TBar::New(*w, p);
  EXPECT_NE(numbered->hBmpHeader, nullptr);
}

}  // namespace
}  // namespace ui
