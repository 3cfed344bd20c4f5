#include "ui/bridge/slot_procs.h"

#include <array>
#include <utility>

namespace ui {
namespace {

BridgeProc g_bridge = nullptr;

template <int kSlot>
LRESULT CALLBACK SlotProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (g_bridge == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
  return g_bridge(hwnd, message, wparam, lparam, kSlot);
}

template <int... kSlots>
constexpr std::array<WNDPROC, sizeof...(kSlots)> MakeSlotTable(std::integer_sequence<int, kSlots...>) {
  return {&SlotProc<kSlots>...};
}

constexpr std::array<WNDPROC, kSlotCount> kSlotTable =
    MakeSlotTable(std::make_integer_sequence<int, kSlotCount>{});

}  // namespace

WNDPROC SlotProcedure(int slot) {
  if (slot < 0 || slot >= kSlotCount) return nullptr;
  return kSlotTable[slot];
}

int SlotOfProcedure(WNDPROC proc) {
  if (proc == nullptr) return -1;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (kSlotTable[slot] == proc) return slot;
  }
  return -1;
}

void SetBridgeProc(BridgeProc bridge) { g_bridge = bridge; }

}  // namespace ui
