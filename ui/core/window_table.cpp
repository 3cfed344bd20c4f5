#include "ui/core/window_table.h"

#include <algorithm>
#include <string>

#include "ui/bridge/window_dispatch.h"

namespace ui {
namespace {

std::vector<WindowRef>& Table() {
  static std::vector<WindowRef> table(1);  // entry 0 is never a slot
  return table;
}

WindowRef g_default_window;
xb::Value g_drop_info;

std::optional<Answer> Dispatch(const SlotMessage& m) {
  WindowRef window = WindowInSlot(m.slot);
  if (!window) return std::nullopt;
  return DispatchToWindow(*window, m.message, m.wparam, m.lparam);
}

std::string ClassNameOf(HWND hwnd) {
  char name[128] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

std::vector<HWND> BrowseAncestors(HWND hwnd) {
  std::vector<HWND> found;
  for (HWND h = GetParent(hwnd); h != nullptr; h = GetParent(h)) {
    const std::string name = ClassNameOf(h);
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    if (upper.find("BROWSE") != std::string::npos) found.push_back(h);
    const bool child = (GetWindowLongA(h, GWL_STYLE) & WS_CHILD) != 0;
    if ((name == "#32770" && !child) || upper == "TMDICHILD" || upper == "TWINDOW") break;
  }
  return found;
}

}  // namespace

void InstallWindowDispatch() { SetWindowDispatcher(&Dispatch); }

int TakeSlot(const WindowRef& window) {
  auto& table = Table();
  for (size_t slot = 1; slot < table.size(); ++slot) {
    if (!table[slot]) {
      table[slot] = window;
      return static_cast<int>(slot);
    }
  }
  table.push_back(window);
  return static_cast<int>(table.size() - 1);
}

void FreeSlot(int slot) {
  auto& table = Table();
  if (slot >= 1 && static_cast<size_t>(slot) < table.size()) {
    WindowRef gone = std::move(table[static_cast<size_t>(slot)]);
    table[static_cast<size_t>(slot)] = nullptr;
    // `gone` may be the last reference: it goes after the entry is clear.
  }
}

WindowRef WindowInSlot(int slot) {
  const auto& table = Table();
  if (slot < 1 || static_cast<size_t>(slot) >= table.size()) return nullptr;
  return table[static_cast<size_t>(slot)];
}

int NWindows() { return static_cast<int>(Table().size() - 1); }

std::vector<WindowRef> GetAllWin() {
  const auto& table = Table();
  return std::vector<WindowRef>(table.begin() + 1, table.end());
}

WindowRef WndMain() {
  for (const WindowRef& w : GetAllWin()) {
    if (w && !w->oWnd) return w;
  }
  return nullptr;
}

WindowRef OWndFromHwnd(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  for (const WindowRef& w : GetAllWin()) {
    if (w && w->hWnd == hwnd) return w;
  }
  return nullptr;
}

void SetWndDefault(WindowRef window) { g_default_window = std::move(window); }
WindowRef GetWndDefault() { return g_default_window; }

void SetDropInfo(xb::Value info) { g_drop_info = std::move(info); }

xb::Value GetDropInfo() {
  xb::Value info = std::move(g_drop_info);
  g_drop_info = xb::Value();
  return info;
}

bool WndParents(HWND a, HWND b) {
  const std::vector<HWND> first = BrowseAncestors(a);
  for (HWND h : BrowseAncestors(b)) {
    if (std::find(first.begin(), first.end(), h) != first.end()) return true;
  }
  return false;
}

}  // namespace ui
