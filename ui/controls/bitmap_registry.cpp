#include "ui/controls/bitmap_registry.h"

#include <algorithm>
#include <vector>

#include "ui/bridge/bitmaps.h"
#include "ui/bridge/palette_table.h"
#include "ui/bridge/resources.h"

namespace ui {
namespace {

struct Entry {
  std::string name;
  SharedBitmap picture;
  int count = 0;
};

std::vector<Entry>& Registry() {
  static std::vector<Entry> entries;
  return entries;
}

std::string Key(const std::string& name) {
  const auto first = name.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  std::string key = name.substr(first, name.find_last_not_of(' ') - first + 1);
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return key;
}

BitmapAndPalette Load(const std::string& name) {
  if (name.find('.') != std::string::npos) return PalBmpRead(nullptr, name);
  if (const std::optional<WORD> number = ResourceNumber(name)) return PalBmpLoad(MAKEINTRESOURCEA(*number));
  return PalBmpLoad(name.c_str());
}

}  // namespace

SharedBitmap RegisterBitmap(const std::string& name) {
  const std::string key = Key(name);
  if (key.empty()) return {};
  std::vector<Entry>& entries = Registry();
  for (Entry& e : entries) {
    if (e.name == key) {
      ++e.count;
      return e.picture;
    }
  }
  const BitmapAndPalette loaded = Load(name.substr(name.find_first_not_of(' ')));
  if (loaded.bitmap == nullptr) return {};
  PalBmpNew(nullptr, loaded.bitmap, loaded.palette);
  entries.push_back({key, {loaded.bitmap, loaded.palette}, 1});
  return {loaded.bitmap, loaded.palette};
}

void ReleaseBitmap(HBITMAP bitmap) {
  if (bitmap == nullptr) return;
  std::vector<Entry>& entries = Registry();
  auto it = std::find_if(entries.begin(), entries.end(), [bitmap](const Entry& e) { return e.picture.bitmap == bitmap; });
  if (it == entries.end() || --it->count > 0) return;
  if (!PalBmpFree(it->picture.bitmap, it->picture.palette)) {
    DeleteObject(it->picture.bitmap);
    if (it->picture.palette != nullptr) DeleteObject(it->picture.palette);
  }
  entries.erase(it);
}

int BitmapUsers(HBITMAP bitmap) {
  for (const Entry& e : Registry())
    if (e.picture.bitmap == bitmap) return e.count;
  return 0;
}

}  // namespace ui
