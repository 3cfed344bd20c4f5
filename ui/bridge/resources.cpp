#include "ui/bridge/resources.h"

#include <vector>

namespace ui {
namespace {

constexpr int kCacheGrowth = 16;

struct CachedLibrary {
  ATOM atom = 0;  // 0: free entry
  HMODULE module = nullptr;
};

std::vector<CachedLibrary> g_cache;
HMODULE g_current = nullptr;

CachedLibrary* FindByAtom(ATOM atom) {
  for (CachedLibrary& entry : g_cache) {
    if (entry.atom == atom) return &entry;
  }
  return nullptr;
}

void Release(CachedLibrary& entry) {
  const CachedLibrary gone = entry;
  entry = CachedLibrary{};
  // A freed library must not stay the resource module.
  if (gone.module != nullptr && gone.module == g_current) g_current = nullptr;
  if (gone.module != nullptr) FreeLibrary(gone.module);
  if (gone.atom != 0) GlobalDeleteAtom(gone.atom);
}

}  // namespace

HMODULE LoadCachedLibrary(const std::string& file) {
  const ATOM atom = GlobalAddAtomA(file.c_str());
  if (atom == 0) return nullptr;
  if (CachedLibrary* known = FindByAtom(atom)) {
    GlobalDeleteAtom(atom);  // the reference just taken; the entry keeps its own
    return known->module;
  }
  CachedLibrary* slot = FindByAtom(0);
  if (slot == nullptr) {
    const size_t used = g_cache.size();
    g_cache.resize(used + kCacheGrowth);
    slot = &g_cache[used];
  }
  slot->atom = atom;
  slot->module = LoadLibraryA(file.c_str());
  return slot->module;
}

void FreeCachedLibrary(const std::string& file) {
  const ATOM atom = GlobalFindAtomA(file.c_str());
  if (atom == 0) return;
  if (CachedLibrary* entry = FindByAtom(atom)) Release(*entry);
}

void FreeCachedLibrary(HMODULE module) {
  if (module == nullptr) return;
  for (CachedLibrary& entry : g_cache) {
    if (entry.module == module) {
      Release(entry);
      return;
    }
  }
}

int LibraryCacheCapacity() { return static_cast<int>(g_cache.size()); }

HMODULE SetResources(const std::string& library) {
  g_current = LoadCachedLibrary(library);
  return g_current;
}

HMODULE SetResources(HMODULE module) {
  g_current = module;
  return g_current;
}

HMODULE CurrentResources() { return g_current; }

HMODULE GetResources() { return g_current != nullptr ? g_current : GetInstance(); }

void FreeResources() {
  for (CachedLibrary& entry : g_cache) Release(entry);
  g_cache.clear();
  g_cache.shrink_to_fit();
  g_current = nullptr;
}

int GetFreeSystemResources(int) { return 90; }

std::uint64_t NextMem() {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return 0;
  return status.ullTotalPhys;
}

HINSTANCE GetInstance() {
  static const HINSTANCE instance = GetModuleHandleA(nullptr);
  return instance;
}

std::optional<WORD> ResourceNumber(std::string_view name) {
  if (name.empty() || name.size() > 5 || name.find_first_not_of("0123456789") != std::string_view::npos) return {};
  unsigned number = 0;
  for (char c : name) number = number * 10 + static_cast<unsigned>(c - '0');
  if (number == 0 || number > 0xFFFF) return {};
  return static_cast<WORD>(number);
}

}  // namespace ui
