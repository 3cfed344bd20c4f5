// Shared pieces of the controls' tests: the framework and the controls started, keys typed
// into a window, and screenshots.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/core_test_support.h"

namespace ui::test {

class ControlsTest : public FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    InitControls();
    ASSERT_NE(SetResources("VDRE.DLL"), nullptr);
  }
  void TearDown() override {
    FreeResources();
    FrameworkTest::TearDown();
  }

  // Keys as the message loop delivers them: the key down, then its character when it has one.
  static void Key(HWND hwnd, int key) {
    SendMessageA(hwnd, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
    SendMessageA(hwnd, WM_KEYUP, static_cast<WPARAM>(key), 0xC0000001);
  }
  static void Type(HWND hwnd, const std::string& text) {
    for (char c : text) {
      const auto code = static_cast<unsigned char>(c);
      SendMessageA(hwnd, WM_CHAR, static_cast<WPARAM>(code), 1);
    }
  }
  static std::string Text(HWND hwnd) {
    char text[512] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
  }
  static int CaretAt(HWND edit) {
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
  }
  // Saves the window as NAME.bmp among the screenshots.
  static void Screenshot(HWND hwnd, const std::string& name) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    vdr::test::PumpPending();
    EXPECT_TRUE(vdr::test::SaveWindowBitmap(hwnd, vdr::test::ScreenshotFolder() + "\\" + name + ".bmp"));
  }
};

// Runs a step every few milliseconds from whatever message loop runs (a modal editor's),
// until the step says it is done. A dialog still open after five seconds is closed, so a
// failing test fails instead of waiting for ever.
class StepWhile {
 public:
  explicit StepWhile(std::function<bool()> step) {
    current_ = std::move(step);
    ticks_ = 0;
    timer_ = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) {
      if (current_) {
        const std::function<bool()> step = std::exchange(current_, nullptr);  // not re-entered
        if (!step()) current_ = step;
      }
      if (++ticks_ > 170) {
        char name[16] = {};
        HWND active = GetActiveWindow();
        GetClassNameA(active, name, sizeof name);
        if (std::string(name) == "#32770") EndDialog(active, IDCANCEL);
      }
    });
  }
  ~StepWhile() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  StepWhile(const StepWhile&) = delete;
  StepWhile& operator=(const StepWhile&) = delete;

 private:
  static inline std::function<bool()> current_;
  static inline int ticks_ = 0;
  UINT_PTR timer_ = 0;
};

}  // namespace ui::test
