// Shared pieces of the controls' tests: the framework and the controls started, keys typed
// into a window, and screenshots.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/rdd/test_process.h"
#include "runtime/rdd/workareas.h"
#include "tests/support/mouse_input.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
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
  // A left click at the client point (x, y) through the system's input, as a person clicks;
  // messages run until `done` holds (or a moment passes when there is nothing to wait for).
  static void Click(HWND hwnd, int x, int y, const std::function<bool()>& done = {}) {
    Mouse(hwnd, x, y, MOUSEEVENTF_LEFTDOWN);
    Mouse(hwnd, x, y, MOUSEEVENTF_LEFTUP, done);
  }
  // The pointer moved to the client point (x, y) through the system's input, with the button
  // change `buttons` there (MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP or 0); messages run as
  // for Click.
  // The pointer is settled there before the button changes: under X a move's late echo
  // could otherwise put the press where the pointer was before.
  static void Mouse(HWND hwnd, int x, int y, DWORD buttons, const std::function<bool()>& done = {}) {
    POINT at = {x, y};
    ClientToScreen(hwnd, &at);
    POINT now = {};
    GetCursorPos(&now);
    if (buttons == 0 || now.x != at.x || now.y != at.y) EXPECT_TRUE(vdr::test::MouseTo(at));
    if (buttons != 0) {
      INPUT input = {};
      input.type = INPUT_MOUSE;
      input.mi.dwFlags = buttons;
      SendInput(1, &input, sizeof(INPUT));
    }
    if (done) vdr::test::PumpUntil(done, 5000);
    else vdr::test::PumpUntil([] { return false; }, 150);
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

// Tests over tables: the table engine and the Spanish Windows code page for each test,
// tables in a temporary folder of their own.
class TablesTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    xb::rdd::InitTables();
    code_page_ = xb::SetCodePage("ESWIN");
  }
  void TearDown() override {
    xb::rdd::ResetTables();
    xb::SetCodePage(code_page_);
    ControlsTest::TearDown();
  }

  // "<temporary folder>\<prefix>_<process id>\", made.
  static std::string MakeFolder(const std::string& prefix) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + prefix + "_" + std::to_string(GetCurrentProcessId()) + "\\";
    FreshFolder(folder);
    return folder;
  }
  // The files, then the folder.
  static void RemoveFolder(const std::string& folder, std::initializer_list<const char*> files) {
    for (const char* f : files) DeleteFileA((folder + f).c_str());
    RemoveDirectoryA(folder.c_str());
  }
  // DBUSEAREA(.T., driver, path, alias, shared, .F.).
  static bool Use(const std::string& path, const std::string& alias, const char* driver = "DBFCDX",
                  bool shared = true) {
    return xb::CallFunction("DBUSEAREA", {xb::Value::Logical(true), xb::Value::String(driver), xb::Value::String(path),
                                          xb::Value::String(alias), xb::Value::Logical(shared),
                                          xb::Value::Logical(false)})
        .AsLogical();
  }
  // A field of the current record by name.
  static xb::Value FieldValue(const char* name) {
    return xb::CallFunction("FIELDGET", {xb::CallFunction("FIELDPOS", {xb::Value::String(name)})});
  }
  static std::string Field(const char* name) { return std::string(FieldValue(name).AsString()); }

  // A table of shops at `path`, made once: CODIGO C5 ("00001", ...), NOMBRE C30 (names[i % 7]),
  // IMPORTE N10.2 (i x 12.5) and FECHA D (2003-01-01 + i), every seventh record deleted, with
  // the orders `tags` ({name, key}). False when it could not be made.
  static bool MakeShops(const std::string& path, int records, const char* const (&names)[7],
                        std::initializer_list<std::pair<const char*, const char*>> tags) {
    if (GetFileAttributesA((path + ".dbf").c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    xb::CallFunction("DBCREATE", {xb::Value::String(path), xb::EvalMacro("{{'CODIGO','C',5,0},{'NOMBRE','C',30,0},"
                                                                         "{'IMPORTE','N',10,2},{'FECHA','D',8,0}}")});
    if (!Use(path, "BUILD", "DBFCDX", false)) return false;
    for (int i = 1; i <= records; ++i) {
      char code[8];
      std::snprintf(code, sizeof code, "%05d", i);
      xb::CallFunction("DBAPPEND");
      xb::CallFunction("FIELDPUT", {xb::Value::Integer(1), xb::Value::String(code)});
      xb::CallFunction("FIELDPUT", {xb::Value::Integer(2), xb::Value::String(names[i % 7])});
      xb::CallFunction("FIELDPUT", {xb::Value::Integer(3), xb::Value::Double(i * 12.5, 2)});
      xb::CallFunction("FIELDPUT", {xb::Value::Integer(4), xb::Value::FromDate(xb::Date{2452641 + i})});
      if (i % 7 == 0) xb::CallFunction("DBDELETE");
    }
    for (const auto& [name, key] : tags)
      xb::CallFunction("ORDCREATE", {xb::Value::String(path), xb::Value::String(name), xb::Value::String(key)});
    xb::CallFunction("DBCLOSEAREA");
    return true;
  }

  std::string code_page_;
};

// Another program holding one record of a table: it opens the table shared and locks the
// record until Release() (or the end of the scope). The word passes through the files
// "ready" and "release" in `folder`.
class RecordHeldElsewhere {
 public:
  RecordHeldElsewhere(const std::string& folder, const std::string& table, int record)
      : ready_(Fresh(folder + "ready")),
        release_(Fresh(folder + "release")),
        other_({"xbase", "=DBUSEAREA(.T., 'DBFCDX', '" + table + "', 'A', .T., .F.)",
                "DBGOTO(" + std::to_string(record) + ")", "=RLOCK()", "@ready:" + ready_, "@wait:" + release_}) {}
  ~RecordHeldElsewhere() { Release(); }
  RecordHeldElsewhere(const RecordHeldElsewhere&) = delete;
  RecordHeldElsewhere& operator=(const RecordHeldElsewhere&) = delete;

  // The other program started and holds the record.
  bool Held() const { return other_.started() && xb::rdd::testing::WaitForFile(ready_); }
  // Lets the record go; the other program's exit code.
  int Release() {
    xb::rdd::testing::TouchFile(release_);
    return other_.Wait();
  }

 private:
  static std::string Fresh(const std::string& path) {
    DeleteFileA(path.c_str());
    return path;
  }
  std::string ready_, release_;
  xb::rdd::testing::ChildProcess other_;
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
