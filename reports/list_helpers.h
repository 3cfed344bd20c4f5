// Small helpers of the dictionary's dialogs: an ordered list of texts managed by its buttons
// (add, delete, up, down) and the place of a colour among the report generator's colours.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace reports {

enum class ListAction { kAdd = 1, kDelete = 2, kUp = 3, kDown = 4 };

// TI_MNGLISTBOX: `action` on the list at `at` (1-based, 0 none): an item added after the
// current one (a text already there is not added again, it becomes the current one), the
// current one deleted, or moved up or down. Returns the current position afterwards (0 when
// the list is empty).
int MngListBox(std::vector<std::string>& items, int at, ListAction action, const std::string& item = {});

// TI_SHOWCOLORS: the position (1-based) of a colour among TI_ANCOLORES, 0 when not there.
int ShowColors(std::int64_t colour);

// Registers TI_MNGLISTBOX and TI_SHOWCOLORS.
void RegisterListHelpers();

}  // namespace reports
