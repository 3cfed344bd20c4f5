// What the tests of the listings, the HTML export and the previews share: a temporary folder,
// the program started as a listing finds it, the printer table's rows of the test printers,
// a listing's texts, and steps run one timer tick apart.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstddef>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "data/data_functions.h"
#include "data/program_settings.h"
#include "output/listing_driver.h"
#include "output/output.h"
#include "output/preview.h"
#include "runtime/function_table.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "services/services.h"
#include "services/table_helpers.h"
#include "services/user_session.h"
#include "ui/bridge/printer_device.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/core/twindow.h"

namespace output::test {

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Erases `folder` (ending in a backslash) with everything below it.
inline void EraseTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &found);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) EraseTree(folder + name + "\\");
      else DeleteFileA((folder + name).c_str());
    } while (FindNextFileA(h, &found));
    FindClose(h);
  }
  RemoveDirectoryA(folder.c_str());
}

// A fresh folder of the temporary folder, named after `prefix`, erased with what it holds.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "vdrlst") {
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    path_ = std::string(temp) + prefix + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++count_) + "\\";
    // Wine numbers processes afresh each time its server starts: a run killed earlier may
    // have left a folder of this name, with its tables.
    EraseTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() { EraseTree(path_); }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  static inline int count_ = 0;
  std::string path_;
};

// The runtime, the tables, the services and the printers started afresh, `folder` as the
// program's folder and its INF\ as the reports'; user "01", the listing to the printer.
// `before` takes the function table as it stood before the data, services and listing
// functions were registered: the fixture restores it when its test ends, so neither they nor
// what the test replaces stay for the program's next tests.
inline void StartListingRun(const std::string& folder, xb::FunctionTableSnapshot& before) {
  ASSERT_NE(ui::SetResources("VDRE.DLL"), nullptr);
  ui::InitControls();  // registers once a program: kept
  before = xb::FunctionTableSnapshot::Take();
  xb::rdd::InitTables();
  xb::rdd::ResetTables();
  data::RegisterDataFunctions();
  data::ResetProgramSettings();
  svc::RegisterServiceFunctions();
  svc::ResetServices();
  InitOutput();
  ui::PrinterInit();
  xb::SetValue(xb::SET_DELETED, xb::Value::Logical(true));
  xb::SetValue(xb::SET_DATEFORMAT, xb::Value::String("dd-mm-yyyy"));
  xb::rdd::SetDefaultDriver("ADS");
  data::cPathStart(folder);
  data::cPathExe(folder);
  CreateDirectoryA((folder + "INF").c_str(), nullptr);
  data::cPathInforme(folder + "INF\\");
  svc::cCodUser("01");
}

// A row of the printer table (open and selected) for a test printer with Courier New in its
// three sizes.
inline void AppendTestPrinter(const std::string& name, const std::string& port, const std::string& role, int code,
                              double line_mm = 4.2, int foot_lines = 0) {
  svc::Area().Append();
  svc::PutField("CNOMBRE", xb::Value::String(name));
  svc::PutField("CDRIVER", xb::Value::String("winspool"));
  svc::PutField("CPUERTO", xb::Value::String(port));
  svc::PutField("NACTIVA", xb::Value::String(role));
  for (int k = 1; k <= 3; ++k) {
    const std::string n = std::to_string(k);
    svc::PutField("CFACENAME" + n, xb::Value::String("Courier New"));
    svc::PutField("NHEIGHT" + n, xb::Value::Integer(k == 2 ? -160 : (k == 3 ? -280 : -200)));
    svc::PutField("NWEIGHT" + n, xb::Value::Integer(400));
  }
  svc::PutField("NSALTOLMM", xb::Value::Number(line_mm));
  svc::PutField("NLINEASPIE", xb::Value::Integer(foot_lines));
  svc::PutField("NCODIMPRES", xb::Value::Integer(code));
  svc::Area().Commit();
}

// Calls `tick` every `ms` milliseconds from the thread's message loop while it lives, one at a
// time: a tick that runs a loop of its own (a modal dialog) holds the next ones back.
class Ticker {
 public:
  Ticker(UINT ms, std::function<void()> tick) : tick_(std::move(tick)) {
    timer_ = SetTimer(nullptr, 0, ms, &Fire);
    Live()[timer_] = this;
  }
  ~Ticker() {
    KillTimer(nullptr, timer_);
    Live().erase(timer_);
  }
  Ticker(const Ticker&) = delete;
  Ticker& operator=(const Ticker&) = delete;

 private:
  static std::map<UINT_PTR, Ticker*>& Live() {
    static std::map<UINT_PTR, Ticker*> live;
    return live;
  }
  static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) {
    const auto found = Live().find(id);
    if (found == Live().end() || found->second->busy_) return;
    Ticker* self = found->second;
    self->busy_ = true;
    self->tick_();
    self->busy_ = false;
  }
  std::function<void()> tick_;
  bool busy_ = false;
  UINT_PTR timer_ = 0;
};

// A value said on the listing by SayListado at `row`, `col`.
inline void SayAt(int row, int col, const xb::Value& value, const std::string& picture = {}, bool right = false) {
  ListingItem item;
  item.row = row;
  item.col = col;
  item.value = value;
  item.picture = picture;
  item.right = right;
  SayListado(item);
}

// Runs the steps one timer tick apart inside the preview's own loop, then closes the
// preview. A step that opens a modal dialog holds the next ones back until it returns.
class WhilePreviewOpen {
 public:
  explicit WhilePreviewOpen(std::vector<std::function<void(Preview&)>> steps) : steps_(std::move(steps)) {}
  bool done() const { return next_ == steps_.size(); }

 private:
  void Step() {
    Preview* preview = Preview::Open();
    if (preview == nullptr) return;
    if (next_ < steps_.size()) steps_[next_++](*preview);
    else preview->window()->End();
  }
  std::vector<std::function<void(Preview&)>> steps_;
  std::size_t next_ = 0;
  Ticker ticker_{60, [this] { Step(); }};
};

}  // namespace output::test
