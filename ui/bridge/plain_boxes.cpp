#include "ui/bridge/plain_boxes.h"

#include <windows.h>

#include "ui/bridge/common_dialogs.h"

namespace ui {
namespace {

UnattendedSink& Sink() {
  static UnattendedSink sink;
  return sink;
}

}  // namespace

void SetUnattended(UnattendedSink sink) { Sink() = std::move(sink); }
bool Unattended() { return static_cast<bool>(Sink()); }
void TellUnattended(std::string_view title, std::string_view text) {
  if (Sink()) Sink()(title, text);
}

void NMsgBox(const xb::Value& value, const std::string& title) {
  const std::string text = ValueText(value);
  if (Unattended()) {
    TellUnattended(title, text);
    return;
  }
  MessageBoxA(GetActiveWindow(), text.c_str(), title.c_str(), MB_OK | MB_ICONWARNING);
}

}  // namespace ui
