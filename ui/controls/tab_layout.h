// Where the tabs of a folder and of a tab strip lie: pure geometry, shared by painting, the
// mouse and the scroll arrows.
#pragma once

#include <vector>

namespace ui {

// A folder's tab width: the whole width for no tab; with `all_width` the width shared
// equally; otherwise the widest prompt + 40, but never more than the equal share.
int FolderTabSize(int width, const std::vector<int>& prompt_widths, bool all_width);

// The folder tab under a click at x, tabs of the given widths from x 0; a click past the
// last tab takes the last one. 0 without tabs.
int FolderTabAt(int x, const std::vector<int>& tab_widths);

// One tab of a strip as drawn: [left, right] pixels, 1-based index into the prompts. Clicks
// from left up to the next tab's left take it.
struct StripTab {
  int index = 0;
  int left = 0;
  int right = 0;
  int next = 0;
};

struct StripLayout {
  std::vector<StripTab> tabs;
  bool last_shown = false;  // lBottom: the last prompt is drawn whole
};

// The tabs of a strip from `first`: x starts at 5, a tab is its size + 2 x margin wide and
// the next starts size + 10 further; a tab that would pass `width` ends the strip.
StripLayout LayOutStrip(const std::vector<int>& sizes, int first, int margin, int width);

// The strip's tab under x, 0 for none (left of the first, past the last one drawn).
int StripTabAt(const StripLayout& layout, int x);

// True when the tabs need the scroll arrows: 5 + the sum of size + 2 x margin passes the width.
bool StripNeedsArrows(const std::vector<int>& sizes, int margin, int width);

}  // namespace ui
