// Screen and system information, the waiting helpers and pixel padding (LARGEFONTS,
// CWINVERSION, WAITSECONDS, MSGRUN, STOPUNTIL, XPADR ...).
//
// The waiting helpers measure by the tick count's difference (so they survive its wrap), let
// the queued messages run while they wait, and return as soon as a message pass meets the
// quit message.
#pragma once

#include <string>
#include <string_view>

#include "runtime/value.h"

namespace ui {

// "XP" (NT 5.1 and later), "2000", "NT"; "ME", "98" or "95" on the older family.
std::string CWinVersion();

// Waits that many milliseconds; false when the wait ended at the quit message.
bool WaitMilliseconds(unsigned milliseconds);
// Runs message passes until the block answers .T.; false when it ended at the quit message.
bool StopUntil(const xb::Value& condition);
// A small modal dialog with the text centred ("Please, wait..." when empty), 3 rows high or
// 4 with a title, that runs the action once shown (default: one second) and closes.
void MsgRun(const std::string& text, const std::string& title, const xb::Value& action);

// Pads with the fill character (one space when none) until the text is at least `width`
// pixels wide on the screen; stops when the fill adds no width.
std::string XPadR(std::string_view text, int width, std::string_view fill);
std::string XPadL(std::string_view text, int width, std::string_view fill);
// Centres the trimmed text in `width` pixels with the fill character.
std::string XPadC(std::string_view text, int width, std::string_view fill);

void RegisterScreenAndWaits();

}  // namespace ui
