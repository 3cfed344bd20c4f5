// Shared pieces of the window framework's tests: a fixture with the runtime and the
// framework started, and window objects made in pixels.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

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

inline xb::Value Blk(std::function<xb::Value(xb::Args&)> fn) { return xb::Value(xb::Block::Native(std::move(fn))); }

}  // namespace ui::test
