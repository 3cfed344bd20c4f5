// A control of a Windows class (push button, label, list box, edit field) that the
// framework's own dialogs place without a control class of their own: the message boxes and
// the error dialog. It answers a click and a focus through plain C++ callbacks.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/core/tcontrol.h"

namespace ui {

class PlainControl : public TControl {
 public:
  PlainControl() = default;

  struct Params {
    int top = 0;                  // pixels of the parent's client area, or of its in-memory template
    int left = 0;
    int width = 0;
    int height = 0;
    int id = 0;                   // 0: a new identifier
    std::string windows_class{};  // "BUTTON", "STATIC", "LISTBOX", "EDIT"
    std::string caption{};
    DWORD style = WS_CHILD | WS_VISIBLE;
    WindowRef parent{};
  };
  // Created at once when the parent's window exists; else defined on the parent dialog.
  static xb::Ref<PlainControl> Place(const Params& params);

  std::string cToChar(const std::string& class_name = {}) override;
  Answer Click() override;
  Answer GotFocus(HWND losing) override;

  std::function<void()> on_click;
  std::function<void()> on_focus;

 private:
  std::string windows_class_;
};

}  // namespace ui
