// The program's help: one help file and one current topic, opened through WinHelpA.
// Without a help file every request says so and answers false.
#pragma once

#include <string>

#include "runtime/value.h"

namespace ui {

void SetHelpFile(std::string file);
const std::string& GetHelpFile();
void SetHelpTopic(xb::Value topic);
const xb::Value& GetHelpTopic();

// A numeric topic opens that context; a text topic (or, without one, the current topic) is
// looked up as a keyword.
bool HelpTopic(const xb::Value& topic = {});
bool HelpIndex();
bool HelpSearch(const std::string& text = {});
bool HelpPopup(int context);
// WINHELP: WinHelpA of User32.dll, loaded by name for the call (a file of "" is the program's).
bool CallWinHelpFile(const std::string& file, unsigned command = 3, std::uintptr_t data = 0);

}  // namespace ui
