#include "ui/bridge/dialog_boxes.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ui/bridge/dialog_templates.h"
#include "ui/bridge/modeless_dialogs.h"

namespace ui {
namespace {

DialogDispatcher g_dispatcher = nullptr;

// The creation stack, filled from the top: entry 49 is the outermost modal dialog.
struct Creation {
  HWND window = nullptr;  // nullptr until its first message
  xb::ObjectRef dialog;
};
std::array<Creation, kMaxModalDialogs> g_stack;
int g_top = kMaxModalDialogs;  // kMaxModalDialogs: empty

// The modeless dialog being created, while its creation call runs, and its window once its
// first message told it.
struct ModelessCreationEntry {
  HWND window = nullptr;
  xb::ObjectRef dialog;
};
ModelessCreationEntry g_creating;

// The windows of the modeless dialogs made so far: a message of one of them reaching the
// procedure while another dialog is being created is not the new dialog's.
std::vector<HWND>& ModelessWindows() {
  static std::vector<HWND> windows;
  return windows;
}

void ForgetGoneModelessWindows() {
  std::erase_if(ModelessWindows(), [](HWND w) { return !IsWindow(w); });
}

bool IsKnownModelessWindow(HWND window) {
  const auto& windows = ModelessWindows();
  return std::find(windows.begin(), windows.end(), window) != windows.end();
}

// Holds a creation-stack entry and the loop-running flag for one modal run.
class ModalRun {
 public:
  explicit ModalRun(const xb::ObjectRef& dialog) : loop_was_running_(SetLoopRunning(true)) {
    if (g_top > 0) {
      g_stack[--g_top] = Creation{nullptr, dialog};
      pushed_ = true;
    }
  }
  ~ModalRun() {
    if (pushed_) g_stack[g_top++] = Creation{};
    SetLoopRunning(loop_was_running_);
  }
  ModalRun(const ModalRun&) = delete;
  ModalRun& operator=(const ModalRun&) = delete;

 private:
  bool loop_was_running_;
  bool pushed_ = false;
};

class ModelessCreation {
 public:
  explicit ModelessCreation(const xb::ObjectRef& dialog) : previous_(g_creating) {
    // A handle of a dialog gone may come back for the new one.
    ForgetGoneModelessWindows();
    g_creating = ModelessCreationEntry{nullptr, dialog};
  }
  ~ModelessCreation() { g_creating = previous_; }
  ModelessCreation(const ModelessCreation&) = delete;
  ModelessCreation& operator=(const ModelessCreation&) = delete;
  HWND Made(HWND window) {
    if (window != nullptr) ModelessWindows().push_back(window);
    return window;
  }

 private:
  ModelessCreationEntry previous_;
};

// The object of a modal dialog window: its entry, or the newest entry not yet bound.
xb::ObjectRef FindModalObject(HWND window) {
  for (int i = g_top; i < kMaxModalDialogs; ++i) {
    if (g_stack[i].window == window) return g_stack[i].dialog;
  }
  if (g_top < kMaxModalDialogs && g_stack[g_top].window == nullptr && g_stack[g_top].dialog) {
    g_stack[g_top].window = window;
    return g_stack[g_top].dialog;
  }
  return nullptr;
}

Answer Deliver(xb::Object& dialog, bool modal, HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (g_dispatcher == nullptr) return {};
  const LPARAM argument = message == WM_INITDIALOG ? reinterpret_cast<LPARAM>(window) : lparam;
  return g_dispatcher(dialog, modal, message, wparam, argument);
}

// A movable, zero-filled global copy of a template, freed when it goes.
class GlobalTemplate {
 public:
  explicit GlobalTemplate(std::string_view bytes) {
    HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    block_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size());
    if (block_ != nullptr) {
      data_ = static_cast<DLGTEMPLATE*>(GlobalLock(block_));
      if (data_ != nullptr) memcpy(data_, bytes.data(), bytes.size());
    }
    SetCursor(previous);
  }
  ~GlobalTemplate() {
    if (block_ == nullptr) return;
    if (data_ != nullptr) GlobalUnlock(block_);
    GlobalFree(block_);
  }
  GlobalTemplate(const GlobalTemplate&) = delete;
  GlobalTemplate& operator=(const GlobalTemplate&) = delete;
  const DLGTEMPLATE* get() const { return data_; }

 private:
  HGLOBAL block_ = nullptr;
  DLGTEMPLATE* data_ = nullptr;
};

int Unsigned16(INT_PTR result) { return static_cast<int>(static_cast<std::uint16_t>(result)); }

}  // namespace

void SetDialogDispatcher(DialogDispatcher dispatcher) { g_dispatcher = dispatcher; }

INT_PTR CALLBACK ModalDialogProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  const xb::ObjectRef dialog = FindModalObject(window);
  if (!dialog) return FALSE;
  const Answer answer = Deliver(*dialog, true, window, message, wparam, lparam);
  // A number is also the message's own result (DefDlgProc returns it for messages whose
  // result is not the procedure's return value).
  if (answer.is_number() && IsWindow(window)) SetWindowLongPtrA(window, DWLP_MSGRESULT, answer.number());
  return answer.DialogResult();
}

INT_PTR CALLBACK ModelessDialogProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!g_creating.dialog) return FALSE;
  // The first message from a window not yet known tells the new dialog's window; another
  // dialog's messages are left to its own procedure chain.
  if (g_creating.window == nullptr && !IsKnownModelessWindow(window)) g_creating.window = window;
  if (g_creating.window != window) return FALSE;
  const xb::ObjectRef dialog = g_creating.dialog;
  const Answer answer = Deliver(*dialog, false, window, message, wparam, lparam);
  if (answer.is_number()) return answer.number() != 0 ? TRUE : FALSE;
  return answer.logical() ? TRUE : FALSE;
}

std::string ResourceDialogTemplate(HINSTANCE instance, const DialogName& name) {
  HRSRC found = FindResourceA(instance, name.Resource(), MAKEINTRESOURCEA(5));  // RT_DIALOG
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(instance, found);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) return {};
  return std::string(static_cast<const char*>(bytes), SizeofResource(instance, found));
}

int ModalDialog(HINSTANCE instance, const DialogName& name, HWND owner, const xb::ObjectRef& dialog) {
  ModalRun run(dialog);
  return Unsigned16(DialogBoxParamA(instance, name.Resource(), owner, &ModalDialogProcedure, 0));
}

int ModalDialogIndirect(HINSTANCE instance, std::string_view dialog_template, HWND owner,
                        const xb::ObjectRef& dialog) {
  if (dialog_template.empty()) return 0;
  // Windows would read a template cut short past its end: it is not handed over.
  if (!SplitDialogTemplate(dialog_template)) return 0xFFFF;
  ModalRun run(dialog);
  GlobalTemplate copy(dialog_template);
  if (copy.get() == nullptr) return 0xFFFF;
  return Unsigned16(DialogBoxIndirectParamA(instance, copy.get(), owner, &ModalDialogProcedure, 0));
}

HWND ModelessDialog(HINSTANCE instance, const DialogName& name, HWND owner, const xb::ObjectRef& dialog) {
  ModelessCreation creating(dialog);
  return creating.Made(CreateDialogParamA(instance, name.Resource(), owner, &ModelessDialogProcedure, 0));
}

HWND ModelessDialogIndirect(HINSTANCE instance, std::string_view dialog_template, HWND owner,
                            const xb::ObjectRef& dialog) {
  if (dialog_template.empty() || !SplitDialogTemplate(dialog_template)) return nullptr;
  ModelessCreation creating(dialog);
  GlobalTemplate copy(dialog_template);
  if (copy.get() == nullptr) return nullptr;
  return creating.Made(CreateDialogIndirectParamA(instance, copy.get(), owner, &ModelessDialogProcedure, 0));
}

void EndDialogResult(HWND dialog, int result) {
  ::EndDialog(dialog, static_cast<INT_PTR>(static_cast<std::uint16_t>(result)));
}

int ModalDialogDepth() { return kMaxModalDialogs - g_top; }

}  // namespace ui
