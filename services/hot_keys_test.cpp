#include "services/hot_keys.h"

#include <windows.h>

#include <functional>

#include "services/services_test_support.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/core/tbar.h"
#include "ui/core/tmenu.h"
#include "ui/core/tmenuitem.h"

namespace svc {
namespace {

using ui::TBar;
using ui::TBtnBmp;
using xb::Value;

struct Action {
  const char* picture;
  const char* tooltip;
};
const Action kActions[] = {{"PBMPMAR1", "Marcar/Desmarcar"}, {"PBMPMGR1", "Todas"}, {"PBMPREM1", "Ninguna"},
                           {"PBMPSAV1", "Liberar"},          {"PBMPFIN1", "Buscar"}, {"GENERAR", "Generar"},
                           {"PBMPFON1", "Fuentes"},          {"PBMPEND1", "Cerrar"}};

class HotKeysTest : public testing::ServicesTest {
 protected:
  // The organisation window's bar: each button notes its number; the third only while
  // `third_enabled` holds; the last starts a group.
  xb::Ref<TBar> Bar(ui::TWindow& w) {
    TBar::NewParams p;
    p.btn_width = 23;
    p.btn_height = 25;
    auto bar = TBar::New(w, p);
    for (int i = 0; i < 8; ++i) {
      TBtnBmp::BarParams b;
      b.pictures.resource1 = kActions[i].picture;
      b.tooltip = kActions[i].tooltip;
      b.message = std::string("Mensaje ") + kActions[i].tooltip;
      b.action = ui::test::Blk([this, i](xb::Args&) {
        clicked.push_back(i + 1);
        return Value();
      });
      b.group = i == 7;
      if (i == 2) b.when = ui::test::Blk([this](xb::Args&) { return Value::Logical(third_enabled); });
      TBtnBmp::NewBar(*bar, b);
    }
    return bar;
  }
  std::vector<int> clicked;
  bool third_enabled = false;
};

TEST_F(HotKeysTest, KeysClickTheButtonOfTheirLetter) {
  auto w = Make(40, 40, 500, 200);
  auto bar = Bar(*w);
  const Value controls{xb::ObjectRef(bar)};
  const std::string keys = "MTNLBGFS";
  struct Case {
    int key;
    std::vector<int> clicked;
  };
  const Case cases[] = {
      {'m', {1}},        {'T', {2}},  {VK_RETURN, {1}},  // Enter: the default letter
      {'N', {}},                                          // its When condition does not hold
      {'s', {8}},        {'+', {}},   {'Z', {}},           // "A" and "Z" have no button
  };
  for (const Case& c : cases) {
    clicked.clear();
    ActKeys(c.key, controls, keys);
    EXPECT_EQ(clicked, c.clicked) << c.key;
  }
  third_enabled = true;
  clicked.clear();
  ActKeys('n', controls, keys);
  ActKeys(VK_RETURN, controls, keys, "G");
  EXPECT_EQ(clicked, (std::vector<int>{3, 6}));
}

// The pop-up menu lists the buttons by their tool tips with their letters, a separator
// before a group, and clicks the button chosen.
TEST_F(HotKeysTest, TheRightClickMenuListsTheButtons) {
  auto w = Make(40, 40, 500, 200);
  auto bar = Bar(*w);
  static std::function<void()> on_timer;
  std::vector<std::string> prompts;
  std::vector<bool> enabled;
  on_timer = [&] {
    auto* menu = dynamic_cast<ui::TMenu*>(w->oPopup.get());
    if (menu == nullptr) return;
    for (const auto& item : menu->aItems) {
      prompts.push_back(item->cPrompt);
      enabled.push_back(item->WhenHolds());
    }
    menu->aItems[4]->Run();  // "&Buscar"
    EndMenu();
  };
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
    if (on_timer) on_timer();
    on_timer = nullptr;
  });
  PopupMenu(10, 10, w.get(), Value(xb::ObjectRef(bar)), "MTNLBGFS");
  KillTimer(nullptr, timer);
  EXPECT_EQ(prompts, (std::vector<std::string>{"&Marcar/Desmarcar", "&Todas", "&Ninguna", "&Liberar", "&Buscar",
                                               "&Generar", "&Fuentes", "", "Cerrar"}));
  EXPECT_EQ(enabled[2], false);
  EXPECT_EQ(clicked, (std::vector<int>{5}));
}

}  // namespace
}  // namespace svc
