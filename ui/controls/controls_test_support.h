// Shared pieces of the controls' tests: the framework and the controls started, keys typed
// into a window, and screenshots.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

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

}  // namespace ui::test
