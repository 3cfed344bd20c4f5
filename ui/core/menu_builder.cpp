#include "ui/core/menu_builder.h"

#include <vector>

#include "runtime/function_table.h"
#include "ui/core/menu_draw_item.h"
#include "ui/core/menu_image_strip.h"

namespace ui {
namespace {

struct Level {
  xb::Ref<TMenu> menu;
  std::vector<xb::Ref<TMenuItem>> items;
  bool root = false;  // a menu bar: its text items stay plain
};

struct BuildState {
  std::vector<Level> levels;
  xb::Ref<TAccTable> accelerators;
};

BuildState& Build() {
  static BuildState state;
  return state;
}

}  // namespace

xb::Ref<TMenu> MenuBegin(bool popup, bool system, TWindow* window) {
  BuildState& b = Build();
  Level level;
  if (system && window != nullptr) {
    level.menu = TMenu::NewSys(*window);
  } else {
    const bool as_popup = popup || !b.levels.empty();
    level.menu = TMenu::New(as_popup, b.levels.empty() ? window : nullptr);
    level.root = !as_popup;
  }
  b.levels.push_back(std::move(level));
  return b.levels.back().menu;
}

xb::Ref<TMenuItem> MenuAddItem(const TMenuItem::Spec& spec) {
  BuildState& b = Build();
  if (b.levels.empty()) return nullptr;
  xb::Ref<TMenuItem> item = TMenuItem::New(spec);
  b.levels.back().items.push_back(item);
  if (spec.virt_key != 0) {
    if (!b.accelerators) b.accelerators = TAccTable::New();
    b.accelerators->Add(spec.vk_state, spec.virt_key, item->nId);
  }
  return item;
}

xb::Ref<TMenu> MenuEnd() {
  BuildState& b = Build();
  if (b.levels.empty()) return nullptr;
  Level level = std::move(b.levels.back());
  b.levels.pop_back();
  for (auto& item : level.items) level.menu->Add(item, level.root);
  if (!b.levels.empty()) {
    Level& above = b.levels.back();
    if (!above.items.empty()) above.items.back()->bAction = xb::Value(level.menu);
    return level.menu;
  }
  // The whole menu's shortcuts go to the outermost menu: the one a window activates.
  if (b.accelerators) {
    if (level.menu->oAccTable) level.menu->oAccTable->End();
    level.menu->oAccTable = std::move(b.accelerators);
    b.accelerators = nullptr;
  }
  if (TWindow* window = level.menu->oWnd.get(); window != nullptr && window->hWnd != nullptr) {
    if (window->oMenu.get() == level.menu.get()) {
      level.menu->ActivateAccelerators();
      DrawMenuBar(window->hWnd);
    }
  }
  return level.menu;
}

xb::Ref<TMenu> LastMenu() {
  BuildState& b = Build();
  return b.levels.empty() ? nullptr : b.levels.back().menu;
}

int LastItemPos() {
  BuildState& b = Build();
  return b.levels.empty() ? 0 : static_cast<int>(b.levels.back().items.size());
}

}  // namespace ui
