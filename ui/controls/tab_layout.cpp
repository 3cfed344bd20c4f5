#include "ui/controls/tab_layout.h"

#include <algorithm>

namespace ui {

int FolderTabSize(int width, const std::vector<int>& prompt_widths, bool all_width) {
  const int n = static_cast<int>(prompt_widths.size());
  if (n == 0) return width;
  const int share = width / n;
  if (all_width) return share;
  int widest = 0;
  for (int w : prompt_widths) widest = std::max(widest, w + 40);
  return std::min(widest, share);
}

int FolderTabAt(int x, const std::vector<int>& tab_widths) {
  const int n = static_cast<int>(tab_widths.size());
  if (n == 0) return 0;
  int left = 0;
  int tab = 1;
  while (tab < n && x > left + tab_widths[static_cast<std::size_t>(tab) - 1]) {
    left += tab_widths[static_cast<std::size_t>(tab) - 1];
    ++tab;
  }
  return tab;
}

StripLayout LayOutStrip(const std::vector<int>& sizes, int first, int margin, int width) {
  StripLayout layout;
  const int n = static_cast<int>(sizes.size());
  int x = 5;
  for (int i = std::max(first, 1); i <= n; ++i) {
    const int size = sizes[static_cast<std::size_t>(i) - 1];
    const StripTab tab{i, x, x + size + 2 * margin, x + size + 10};
    if (tab.right > width) {
      layout.last_shown = false;
      break;
    }
    layout.tabs.push_back(tab);
    if (i == n) layout.last_shown = true;
    x += size + 10;
  }
  return layout;
}

int StripTabAt(const StripLayout& layout, int x) {
  for (const StripTab& tab : layout.tabs)
    if (x >= tab.left && x < tab.next) return tab.index;
  return 0;
}

bool StripNeedsArrows(const std::vector<int>& sizes, int margin, int width) {
  int total = 5;
  for (int size : sizes) total += size + 2 * margin;
  return total > width;
}

}  // namespace ui
