// What the services' tests share: the runtime, the table engine, the data-access layer, the
// window framework and the services set up as the program sets them, tables in memory under
// a start folder, messages recorded (or shown, for the tests that answer them), and helpers
// that write and read the user tables and menu tables.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "data/data_ui.h"
#include "data/win/windowed_data_ui.h"
#include "runtime/rdd/memory_file_system.h"
#include "runtime/rdd/workareas.h"
#include "runtime/runtime.h"
#include "ui/core/core_test_support.h"
#include "ui/core/tmdiframe.h"

namespace svc::testing {

// Messages of the data layer and the services, recorded; questions answered "give up" and
// "yes".
class MessageLog final : public data::DataUi {
 public:
  struct Message {
    std::string kind;
    std::string text;
    std::string title;
  };
  void MsgStop(std::string_view text, std::string_view title) override { Add("stop", text, title); }
  void MsgAlert(std::string_view text, std::string_view title) override { Add("alert", text, title); }
  void MsgInfo(std::string_view text, std::string_view title) override { Add("info", text, title); }
  bool GiveUpLock(const std::vector<std::string>&) override { return true; }
  bool ConfirmDelete(bool) override { return confirm_delete; }
  void RunMessages(std::uint32_t wait_ms) override;
  std::uint32_t TickCount() override;

  std::vector<Message> messages;
  bool confirm_delete = true;

 private:
  void Add(const char* kind, std::string_view text, std::string_view title) {
    messages.push_back({kind, std::string(text), std::string(title)});
  }
};

// One record: field name = value; fields not named stay blank.
using Rec = std::vector<std::pair<std::string, xb::Value>>;

inline xb::Value S(std::string_view s) { return xb::Value::String(s); }
inline xb::Value N(double n) { return xb::Value::Number(n); }
inline xb::Value L(bool b) { return xb::Value::Logical(b); }

// One record of a menu table: kind, name, item, action, control and mark flags.
struct MenuRow {
  int kind;
  std::string name;
  std::string item;
  std::string action;
  bool control = true;
  bool mark = false;
};

class ServicesTest : public ui::test::FrameworkTest {
 protected:
  static constexpr const char* kStart = "..\\DBF\\";
  static constexpr const char* kReports = "..\\INF\\";

  void SetUp() override;
  void TearDown() override;

  xb::rdd::MemoryFileSystem& memory() { return *memory_; }
  xb::rdd::WorkAreas& areas() { return xb::rdd::WorkAreas::Get(); }
  MessageLog& log() { return log_; }
  // Messages go to the framework's message boxes from now on.
  void ShowMessages() { data::SetDataUi(&windowed_); }

  // xBase text evaluated.
  static xb::Value X(const std::string& text) { return xb::EvalMacro(text); }

  // Writes a table (replacing it) with the structure and records given, and its tags.
  void WriteTable(const std::string& table, const std::vector<std::pair<std::string, std::string>>& structure,
                  const std::vector<Rec>& records, const std::vector<std::pair<std::string, std::string>>& tags = {});
  // Every live record of a table (folder and name, no extension) as field = value.
  std::vector<Rec> Records(const std::string& table);
  // One field of the live record whose `key_field` trims to `key`; NIL when none.
  xb::Value FieldOf(const std::string& table, const std::string& key_field, const std::string& key,
                    const std::string& field);
  // Adds a user (the tables made first when missing).
  void AddUser(const std::string& code, const std::string& name, const std::string& password,
               const std::string& access = std::string(255, '2'), const std::string& group = "", bool active = false);
  // Adds a group with its four access strings.
  void AddGroup(const std::string& code, const std::string& name, const std::array<std::string, 4>& access);
  void AddGroup(const std::string& code, const std::string& name, const std::string& access) {
    AddGroup(code, name, {access, access, access, access});
  }
  // Puts the table open under `alias` on the record whose first order finds `code`.
  void GoTo(const std::string& alias, const std::string& code);
  // Writes the fonts table of the start folder with its two tags.
  void WriteFonts(const std::vector<Rec>& fonts);
  // A shown frame window `width` x `height` pixels at 10,10, made the program's main window.
  xb::Ref<ui::TMdiFrame> OpenMainFrame(int width, int height);
  // Writes a menu table of the start folder (message, bitmap, accelerators and help left
  // blank).
  void WriteMenuTable(const std::vector<MenuRow>& rows, const std::string& name = "MenuVdrE");

  std::vector<xb::ErrorRef> errors;

 private:
  std::unique_ptr<xb::rdd::MemoryFileSystem> memory_;
  MessageLog log_;
  data::WindowedDataUi windowed_;
  data::DataUi* previous_ui_ = nullptr;
};

// Field name = value pairs in a table's field order.
std::string RecText(const Rec& rec);

// A key as a person presses it on a list whose buttons answer hot keys, and the letter of
// the button it must click ('\0': none). Typed characters count, not key codes: keypad "1"
// is no "A", Insert no "-", F4 no "S".
struct HotKeyCase {
  const char* name;
  std::vector<WORD> keys;  // pressed together, through the system's input
  char letter;
};
const std::vector<HotKeyCase>& HotKeyCases();

// Each button of `controls` (bar buttons, push buttons) with a tool tip "(X)..." records
// its letter X when clicked, in place of its action. The record lives with the buttons.
std::shared_ptr<std::string> RecordClicks(const std::vector<ui::WindowRef>& controls);

// Presses `keys` through the system's input on `focus`, its top-level window brought to the
// foreground first, and handles the messages they make.
void PressOn(HWND focus, const std::vector<WORD>& keys);

}  // namespace svc::testing
