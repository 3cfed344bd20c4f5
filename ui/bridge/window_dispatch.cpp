#include "ui/bridge/window_dispatch.h"

#include <array>

#include "ui/bridge/plain_boxes.h"
#include "ui/bridge/posted_texts.h"
#include "ui/bridge/slot_procs.h"

namespace ui {
namespace {

// What each slot subclasses. Kept here, not only by the window object, so that a message that
// the object does not answer (or that arrives after the object has gone) still reaches the
// window's own procedure.
struct SlotRecord {
  HWND hwnd = nullptr;
  WNDPROC previous = nullptr;
};

std::array<SlotRecord, kSlotCount> g_slots;
WindowDispatcher g_dispatcher = nullptr;

}  // namespace

void SetWindowDispatcher(WindowDispatcher dispatcher) { g_dispatcher = dispatcher; }

LRESULT BridgeProcedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, int slot) {
  // A text posted with the message is freed once the window has handled it.
  const PostedTextDelivery delivery(hwnd, message, lparam);
  // Copied before the call: the dispatch may unlink the window and reuse the slot.
  const SlotRecord record = (slot >= 0 && slot < kSlotCount) ? g_slots[slot] : SlotRecord{};
  if (record.hwnd != hwnd) {
    // A window that this slot no longer serves: nobody knows its object.
    return DefWindowProcA(hwnd, message, wparam, lparam);
  }
  std::optional<Answer> answer;
  if (g_dispatcher != nullptr) answer = g_dispatcher(SlotMessage{hwnd, message, wparam, lparam, slot});
  if (answer && answer->handled()) return answer->WindowResult();
  // A handler that destroyed its own window: its class procedure must not see it again.
  if (!IsWindow(hwnd)) return 0;
  if (record.previous != nullptr) {
    return CallWindowProcA(record.previous, hwnd, message, wparam, lparam);
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

WNDPROC XChangeProc(HWND hwnd, int slot) {
  WNDPROC proc = SlotProcedure(slot);
  if (proc == nullptr) {
    // A run nobody watches is told, not stopped by a box.
    if (Unattended()) {
      TellUnattended("Error from _XBPPProc", "wAt > 2000");
    } else {
      MessageBoxA(nullptr, "wAt > 2000", "Error from _XBPPProc", MB_OK);
    }
    return nullptr;
  }
  if (!IsWindow(hwnd)) return nullptr;
  SetBridgeProc(&BridgeProcedure);
  const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
  if (current == proc && g_slots[slot].hwnd == hwnd) {
    // Already subclassed through this slot: the slot must not become its own predecessor.
    return g_slots[slot].previous;
  }
  // The record first: the window may receive a message as soon as the procedure is in place.
  const SlotRecord before = g_slots[slot];
  g_slots[slot] = SlotRecord{hwnd, current};
  SetLastError(0);
  auto previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
  if (previous == nullptr && GetLastError() != 0) {
    g_slots[slot] = before;
    return nullptr;
  }
  g_slots[slot].previous = previous;
  return previous;
}

WNDPROC RestProc(HWND hwnd, WNDPROC old_proc) {
  if (!IsWindow(hwnd)) {
    // Destroyed: nothing to give back, but the slot must not keep its handle.
    for (SlotRecord& record : g_slots) {
      if (record.hwnd == hwnd && hwnd != nullptr) record = SlotRecord{};
    }
    return nullptr;
  }
  if (old_proc == nullptr) return nullptr;
  auto replaced = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old_proc)));
  const int slot = SlotOfProcedure(replaced);
  if (slot >= 0 && g_slots[slot].hwnd == hwnd) g_slots[slot] = SlotRecord{};
  return replaced;
}

HWND SlotWindow(int slot) {
  return (slot >= 0 && slot < kSlotCount) ? g_slots[slot].hwnd : nullptr;
}

WNDPROC SlotPreviousProcedure(int slot) {
  return (slot >= 0 && slot < kSlotCount) ? g_slots[slot].previous : nullptr;
}

}  // namespace ui
