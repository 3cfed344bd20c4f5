// Shared pieces of the window framework's tests: a fixture with the runtime and the
// framework started, and window objects made in pixels.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "runtime/test_env.h"
#include "tests/support/pump.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/modeless_dialogs.h"
#include "ui/core/core_functions.h"
#include "ui/core/twindow.h"
#include "ui/core/window_table.h"

namespace ui::test {

class FrameworkTest : public xb::testing::RuntimeTest {
 protected:
  void SetUp() override {
    RuntimeTest::SetUp();
    InitWindowFramework();
  }
  void TearDown() override {
    for (HWND h : made_) {
      if (IsWindow(h)) DestroyWindow(h);
    }
    vdr::test::PumpPending();
    SetWndApp(nullptr);  // a window gone: no dialog may take it as owner
    // A window made the application window by a test must not stay it for the next.
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    SetLoopRunning(false);
    RuntimeTest::TearDown();
  }

  // A window in pixels at (top, left) of width x height; destroyed after the test.
  template <typename T = TWindow>
  xb::Ref<T> Make(int top = 40, int left = 40, int width = 320, int height = 200,
                  TWindow::NewParams p = {}) {
    auto w = xb::MakeRef<T>();
    p.top = top;
    p.left = left;
    p.bottom = top + height - 1;
    p.right = left + width - 1;
    p.pixel = true;
    if (p.caption.empty()) p.caption = "Prueba";
    w->New(p);
    made_.push_back(w->hWnd);
    return w;
  }

  std::vector<HWND> made_;
};

// Runs steps one timer tick apart while a menu's own loop runs (menus are modal): what a
// step posts to the menu is handled by that loop before the next step.
class DuringMenu {
 public:
  explicit DuringMenu(std::vector<std::function<void()>> steps, UINT delay = 150) {
    current_ = this;
    steps_ = std::move(steps);
    timer_ = SetTimer(nullptr, 0, delay, &Fire);
  }
  ~DuringMenu() {
    if (timer_ != 0) KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  bool fired() const { return next_ == steps_.size(); }

 private:
  static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD) {
    DuringMenu* self = current_;
    if (self == nullptr || self->next_ >= self->steps_.size()) return;
    const size_t step = self->next_++;
    if (self->next_ == self->steps_.size()) {
      KillTimer(nullptr, self->timer_);
      self->timer_ = 0;
    }
    self->steps_[step]();
  }
  static inline DuringMenu* current_ = nullptr;
  std::vector<std::function<void()>> steps_;
  size_t next_ = 0;
  UINT_PTR timer_ = 0;
};

inline HWND OpenMenuWindow() { return FindWindowA("#32768", nullptr); }

// Keys pressed through the system's input, as a person types them: each of `keys` goes down
// in order, then all come up in reverse order (Ctrl+F4 is {VK_CONTROL, VK_F4}).
inline void PressKeys(std::initializer_list<WORD> keys) {
  std::vector<INPUT> input;
  for (WORD key : keys) {
    INPUT i = {};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = key;
    input.push_back(i);
  }
  for (auto it = keys.end(); it != keys.begin();) {
    INPUT i = {};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = *--it;
    i.ki.dwFlags = KEYEVENTF_KEYUP;
    input.push_back(i);
  }
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

// A folder of that name made empty: Wine numbers processes afresh each time its server
// starts, so a run killed earlier may have left one named after the same process number.
inline void FreshFolder(const std::string& folder) {
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  CreateDirectoryA(folder.c_str(), nullptr);
}

inline xb::Value Blk(std::function<xb::Value(xb::Args&)> fn) { return xb::Value(xb::Block::Native(std::move(fn))); }

}  // namespace ui::test
