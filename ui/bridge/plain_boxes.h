// Plain Windows message boxes (NMSGBOX), and the switch that keeps every box of a run nobody
// watches from showing.
//
// Unattended: while a sink is set, the framework's boxes are not shown; what each would have
// said goes to the sink, and the box answers as if its default button had been pressed, so
// the run goes on without waiting for a click.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace ui {

// What a box would have said: its title and its text (lines as given).
using UnattendedSink = std::function<void(std::string_view title, std::string_view text)>;
// Sets the sink; an empty one shows the boxes again.
void SetUnattended(UnattendedSink sink);
bool Unattended();
// Hands a box's title and text to the sink (nothing when none is set).
void TellUnattended(std::string_view title, std::string_view text);

// NMSGBOX: the value's text (ValueText) in a system message box owned by the active window,
// with the warning icon and an OK button.
void NMsgBox(const xb::Value& value, const std::string& title = "Alert");

}  // namespace ui
