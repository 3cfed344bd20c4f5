#include "reports/list_helpers.h"

#include <algorithm>

#include "runtime/function_table.h"
#include "runtime/lib/strings.h"

namespace reports {

int MngListBox(std::vector<std::string>& items, int at, ListAction action, const std::string& item_in) {
  const int count = static_cast<int>(items.size());
  at = count == 0 ? 0 : std::clamp(at, 1, count);
  switch (action) {
    case ListAction::kAdd: {
      const std::string item(xb::AllTrim(item_in));
      if (item.empty()) return at;
      const auto found = std::find(items.begin(), items.end(), item);
      if (found != items.end()) return static_cast<int>(found - items.begin()) + 1;
      items.insert(items.begin() + at, item);
      return at + 1;
    }
    case ListAction::kDelete:
      if (at == 0) return 0;
      items.erase(items.begin() + (at - 1));
      return std::min(at, count - 1);
    case ListAction::kUp:
      if (at <= 1) return at;
      std::swap(items[at - 1], items[at - 2]);
      return at - 1;
    case ListAction::kDown:
      if (at == 0 || at >= count) return at;
      std::swap(items[at - 1], items[at]);
      return at + 1;
  }
  return at;
}

int ShowColors(std::int64_t colour) {
  static constexpr std::int64_t kColours[] = {0,     8388736, 16711935, 8421376, 16776960, 255,     32768,    65280,
                                              16777215, 8421504, 32896, 128,     65535,    12632256, 8388608, 16711680};
  for (std::size_t i = 0; i < std::size(kColours); ++i)
    if (kColours[i] == colour) return static_cast<int>(i) + 1;
  return 0;
}

void RegisterListHelpers() {
  // TI_MNGLISTBOX(aItems, nAt, nAction, cItem): aItems changed in place; the new position.
  xb::RegisterFunction("TI_MNGLISTBOX", [](xb::Args& a) {
    xb::Array list = a.Arr(1);
    if (!list) return xb::Value::Integer(0);
    std::vector<std::string> items;
    for (std::size_t i = 0; i < list.size(); ++i)
      items.emplace_back(list[i].Deref().IsString() ? std::string(list[i].Deref().AsString()) : std::string());
    const int action = static_cast<int>(a.Int(3));
    if (action < 1 || action > 4) return xb::Value::Integer(a.Int(2));
    const int at = MngListBox(items, static_cast<int>(a.Int(2)), static_cast<ListAction>(action), std::string(a.Str(4)));
    list.Resize(0);
    for (const std::string& item : items) list.Append(xb::Value::String(item));
    return xb::Value::Integer(at);
  });
  xb::RegisterFunction("TI_SHOWCOLORS", [](xb::Args& a) { return xb::Value::Integer(ShowColors(a.Int(1))); });
}

}  // namespace reports
