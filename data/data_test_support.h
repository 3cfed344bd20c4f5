// What the data layer's tests share: the runtime and the table engine set up as the program
// sets them (deleted records hidden, exclusive use by default), tables in memory, a DataUi
// that records every message and question and runs on a clock of its own, and a file system
// that fails the opens of chosen files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/data_ui.h"
#include "runtime/rdd/dbf_format.h"
#include "runtime/rdd/memory_file_system.h"
#include "runtime/rdd/workareas.h"
#include "runtime/runtime.h"

namespace data::testing {

// A DataUi for tests. Time is its own tick count: waiting for messages moves it on by the
// time waited, so a wait of a second takes no time and every wait is recorded.
class RecordingUi final : public DataUi {
 public:
  struct Message {
    std::string kind;  // "stop", "alert", "info"
    std::string text;
    std::string title;
  };

  void MsgStop(std::string_view text, std::string_view title) override { Record("stop", text, title); }
  void MsgAlert(std::string_view text, std::string_view title) override { Record("alert", text, title); }
  void MsgInfo(std::string_view text, std::string_view title) override { Record("info", text, title); }
  bool GiveUpLock(const std::vector<std::string>& texts) override;
  bool ConfirmDelete(bool touch_screen) override;
  void RunMessages(std::uint32_t wait_ms) override;
  std::uint32_t TickCount() override { return tick; }

  // Milliseconds since the test began.
  std::uint32_t Elapsed() const { return tick - start; }

  std::vector<Message> messages;
  std::vector<std::vector<std::string>> questions;  // texts of each lock question
  std::deque<bool> give_up_answers;                 // answered in turn; then true
  std::function<void()> on_question;                // called as each question is shown
  bool confirm_delete = true;
  std::vector<bool> delete_questions;               // the touch-screen flag of each
  int message_runs = 0;                             // RunMessages calls
  // Called at each RunMessages with the elapsed time, as a window message would run then.
  std::function<void(std::uint32_t)> on_messages;

  // Starts just before the tick count wraps around, so that every wait crosses it.
  std::uint32_t start = 0xFFFFFC00u;
  std::uint32_t tick = start;

 private:
  void Record(const char* kind, std::string_view text, std::string_view title) {
    messages.push_back({kind, std::string(text), std::string(title)});
  }
};

// A file system over another that fails the next opens of chosen files (by name, without
// regard to case) with an operating-system code, and notes when each open was tried.
class FailingOpens final : public xb::rdd::FileSystem {
 public:
  FailingOpens(xb::rdd::FileSystem& base, const RecordingUi& clock) : base_(base), clock_(clock) {}

  // The next `times` opens of `name` fail with `os_code` (-1: every one).
  void Fail(const std::string& name, int os_code, int times = -1);
  // Elapsed times of the opens of `name` (a table's opens, not its memo's or index's).
  std::vector<std::uint32_t> OpenTimes(const std::string& name) const;
  void ForgetOpens() { opens_.clear(); }

  xb::rdd::Status Open(const std::string& path, const xb::rdd::OpenOptions& options,
                       std::unique_ptr<xb::rdd::File>* file) override;
  xb::rdd::Status Remove(const std::string& path) override { return base_.Remove(path); }
  xb::rdd::Status Rename(const std::string& from, const std::string& to) override { return base_.Rename(from, to); }
  bool Exists(const std::string& path) override { return base_.Exists(path); }

 private:
  struct Failure {
    int os_code = 0;
    int times = 0;
  };
  xb::rdd::FileSystem& base_;
  const RecordingUi& clock_;
  std::map<std::string, Failure> failures_;
  std::map<std::string, std::vector<std::uint32_t>> opens_;
};

class DataTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  xb::rdd::MemoryFileSystem& memory() { return *memory_; }
  xb::rdd::WorkAreas& areas() { return xb::rdd::WorkAreas::Get(); }
  RecordingUi& ui() { return ui_; }

  // Tables go through a FailingOpens over the memory.
  FailingOpens& failing() { return *failing_; }

  // Creates a table in memory (folders are made as needed) with `records` records made by
  // `fill(area, n)`; it is closed again.
  void CreateTable(const std::string& path, const std::vector<xb::rdd::dbf::FieldSpec>& fields, int records = 0,
                   const std::function<void(xb::rdd::WorkArea&, int)>& fill = {});
  // Makes the selected area's table go in natural order.
  void NaturalOrder() { areas().Current().SetControllingOrder(0); }
  // Opens a table in a new area through DBUSEAREA; returns the area number.
  int Use(const std::string& path, const std::string& alias, bool shared);

  // xBase text evaluated.
  static xb::Value X(const std::string& text) { return xb::EvalMacro(text); }

  // The errors that reached the program's error block (it answers "default").
  std::vector<xb::ErrorRef> errors;

 private:
  std::unique_ptr<xb::rdd::MemoryFileSystem> memory_;
  std::unique_ptr<FailingOpens> failing_;
  RecordingUi ui_;
  DataUi* previous_ui_ = nullptr;
};

}  // namespace data::testing
