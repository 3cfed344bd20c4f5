#include "data/data_ui.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

namespace data {
namespace {

class HeadlessUi final : public DataUi {
 public:
  void MsgStop(std::string_view text, std::string_view title) override { Print(text, title); }
  void MsgAlert(std::string_view text, std::string_view title) override { Print(text, title); }
  void MsgInfo(std::string_view text, std::string_view title) override { Print(text, title); }
  // Nobody can answer: giving up is the only answer that ends the question.
  bool GiveUpLock(const std::vector<std::string>&) override { return true; }
  bool ConfirmDelete(bool) override { return false; }
  void RunMessages(std::uint32_t wait_ms) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min<std::uint32_t>(wait_ms, 50)));
  }
  std::uint32_t TickCount() override {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
  }

 private:
  static void Print(std::string_view text, std::string_view title) {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(title.size()), title.data(), static_cast<int>(text.size()),
                 text.data());
  }
};

HeadlessUi g_headless;
DataUi* g_ui = &g_headless;

}  // namespace

DataUi& Ui() { return *g_ui; }

DataUi* SetDataUi(DataUi* ui) {
  DataUi* previous = g_ui;
  g_ui = ui ? ui : &g_headless;
  return previous;
}

void Segundos(double seconds) {
  if (!(seconds > 0)) return;
  // Half the tick count's range at most, so that the wrap-around never confuses the wait.
  const double ms = std::min(std::round(seconds * 1000.0), 2147483647.0);
  const auto wait = static_cast<std::uint32_t>(ms);
  DataUi& ui = Ui();
  const std::uint32_t start = ui.TickCount();
  for (std::uint32_t elapsed = 0; elapsed < wait; elapsed = TicksSince(start, ui.TickCount()))
    ui.RunMessages(wait - elapsed);
}

std::string JoinLines(std::initializer_list<std::string_view> lines) {
  std::string text;
  bool first = true;
  for (std::string_view line : lines) {
    if (!first) text += "\n\r";
    text += line;
    first = false;
  }
  return text;
}

}  // namespace data
