// What the data layer's window tests share: the framework, the resource library and the
// windowed DataUi set up as the program sets them, a table in a folder of its own, and
// another process holding a table or a record.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "data/data_functions.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "data/table_views.h"
#include "data/win/windowed_data_ui.h"
#include "runtime/macro.h"
#include "runtime/rdd/test_process.h"
#include "runtime/rdd/test_support.h"
#include "runtime/rdd/workareas.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/core/core_test_support.h"

namespace data::testing {

// Another process holding the table ("open ... exclusive") or one of its records ("rlock ...
// n") until the test lets it go (at the latest when the holder goes out of scope).
class Holder {
 public:
  Holder(const xb::rdd::testing::TempFolder& folder, std::vector<std::string> args)
      : ready_(folder / "ready"), release_(folder / "release") {
    args.push_back(ready_);
    args.push_back(release_);
    child_ = std::make_unique<xb::rdd::testing::ChildProcess>(args);
    ready_seen_ = xb::rdd::testing::WaitForFile(ready_);
  }
  ~Holder() { Release(); }
  bool holding() const { return ready_seen_; }
  // Lets go; the helper's exit code.
  int Release() {
    if (child_) {
      xb::rdd::testing::TouchFile(release_);
      exit_code_ = child_->Wait();
      child_.reset();
      std::remove(ready_.c_str());
      std::remove(release_.c_str());
    }
    return exit_code_;
  }
  const std::string& release_file() const { return release_; }

 private:
  std::string ready_, release_;
  std::unique_ptr<xb::rdd::testing::ChildProcess> child_;
  bool ready_seen_ = false;
  int exit_code_ = -1;
};

class WindowedDataTest : public ui::test::FrameworkTest {
 protected:
  void SetUp() override {
    FrameworkTest::SetUp();
    ASSERT_NE(ui::SetResources("VDRE.DLL"), nullptr);
    ui::InitControls();
    xb::rdd::InitTables();
    xb::rdd::ResetTables();
    RegisterDataFunctions();
    ResetProgramSettings();
    ResetTableViews();
    InstallWindowedDataUi();
    xb::rdd::SetDefaultDriver("ADS");
    table_ = folder_ / "Clientes.dbf";
    ASSERT_TRUE(xb::EvalMacro("DBCREATE('" + table_ + "', {{'CODIGO', 'C', 6, 0}}, 'ADS')").AsLogical());
    ASSERT_TRUE(lNetUse(table_));
    for (int i = 0; i < 3; ++i) xb::EvalMacro("DBAPPEND()");
    xb::EvalMacro("DBCLOSEALL()");
  }
  void TearDown() override {
    xb::rdd::ResetTables();
    SetDataUi(nullptr);
    ui::FreeResources();
    FrameworkTest::TearDown();
  }
  static void Shot(const vdr::test::SeenDialog& d, const std::string& name) {
    EXPECT_TRUE(vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\" + name + ".bmp"));
  }

  xb::rdd::testing::TempFolder folder_;
  std::string table_;
};

}  // namespace data::testing
