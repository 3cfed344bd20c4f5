// Standard menus in English, for programs without texts of their own: File, Edit, Help and
// Window, each appended to a menu as a submenu. Their actions reach the active window.
#include <cstdio>
#include <string>
#include <vector>

#include "runtime/block.h"
#include "ui/core/help.h"
#include "ui/core/msg_box.h"
#include "ui/core/tmenu.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

struct StandardItem {
  const char* prompt;  // nullptr: a separator
  const char* message;
  const char* request;  // the message sent to the active window; nullptr: none
};

// A block that sends `request` to the active window object when it answers it.
xb::Value Request(const std::string& request, std::vector<xb::Value> args = {}) {
  return xb::Value(xb::Block::Native([request, args](xb::Args&) -> xb::Value {
    WindowRef window = OWndFromHwnd(GetActiveWindow());
    if (!window) return xb::Value();
    const xb::Value target = window->Self();
    const xb::Symbol& message = xb::Intern(request);
    if (!xb::HasMessage(target, message)) return xb::Value();
    return xb::Send(target, message, args);
  }));
}

// The program's file name and the date it was built (its file's date).
std::string ProgramFileAndDate() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string text = path;
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  SYSTEMTIME utc = {}, local = {};
  if (GetFileAttributesExA(path, GetFileExInfoStandard, &data) && FileTimeToSystemTime(&data.ftLastWriteTime, &utc) &&
      SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
    char date[16] = {};
    std::snprintf(date, sizeof date, "%02d-%02d-%04d", local.wDay, local.wMonth, local.wYear);
    text += "\n\r";
    text += date;
  }
  return text;
}

xb::Value Call(bool (*help)()) {
  return xb::Value(xb::Block::Native([help](xb::Args&) { return xb::Value::Logical(help()); }));
}

void AddStandard(TMenu& menu, const char* prompt, const char* message, const std::vector<StandardItem>& items,
                 const std::vector<xb::Value>& actions = {}) {
  auto sub = TMenu::New(true);
  for (size_t i = 0; i < items.size(); ++i) {
    TMenuItem::Spec spec;
    if (items[i].prompt != nullptr) {
      spec.prompt = items[i].prompt;
      spec.message = items[i].message;
      if (i < actions.size() && !actions[i].IsNil()) {
        spec.action = actions[i];
      } else if (items[i].request != nullptr) {
        spec.action = Request(items[i].request);
      }
    }
    sub->Add(TMenuItem::New(spec));
  }
  TMenuItem::Spec spec;
  spec.prompt = prompt;
  spec.message = message;
  spec.action = xb::Value(sub);
  menu.Add(TMenuItem::New(spec), !menu.lPopup);
}

}  // namespace

void TMenu::AddFile() {
  AddStandard(*this, "&File", "File management",
              {{"&New...\tCtrl+N", "Creates a new file", nullptr},
               {"&Open...\tCtrl+O", "Opens an existing file", nullptr},
               {"&Save\tCtrl+S", "Saves the current file", nullptr},
               {"Save &as...\tAlt+A", "Saves the current file under another name", nullptr},
               {"Save al&l", "Saves every open file", nullptr},
               {nullptr, nullptr, nullptr},
               {"&Print...\tCtrl+P", "Prints the current file", "PRINT"},
               {"P&rinter Setup...\tAlt+P", "Chooses the printer and its options", nullptr},
               {nullptr, nullptr, nullptr},
               {"&Exit...\tAlt+F4", "Ends the application", "END"}});
}

void TMenu::AddEdit() {
  AddStandard(*this, "&Edit", "Editing",
              {{"&Undo\tCtrl+Z", "Undoes the last change", "UNDO"},
               {"&Redo\tCtrl+Y", "Does again what was undone", "REDO"},
               {nullptr, nullptr, nullptr},
               {"Cu&t\tCtrl+X", "Moves the selection to the clipboard", "CUT"},
               {"&Copy\tCtrl+C", "Copies the selection to the clipboard", "COPY"},
               {"&Paste\tCtrl+V", "Inserts the clipboard's contents", "PASTE"},
               {"&Delete\tDel", "Deletes the selection", "DELETE"},
               {"Select &all\tCtrl+A", "Selects everything", "SELECTALL"},
               {nullptr, nullptr, nullptr},
               {"&Find...\tCtrl+F", "Finds a text", "FIND"},
               {"Find &next\tF3", "Finds the next occurrence", "FINDNEXT"},
               {"R&eplace...\tCtrl+H", "Replaces a text", "REPLACE"}});
}

void TMenu::AddHelp(const std::string& program) {
  xb::Value about;
  if (!program.empty()) {
    about = xb::Value(xb::Block::Native([program](xb::Args&) {
      MsgInfo(xb::Value::String(ProgramFileAndDate()), program);
      return xb::Value();
    }));
  }
  AddStandard(*this, "&Help", "Help",
              {{"&Contents", "Shows the contents of the help", nullptr},
               {"&Search for Help on...\tF1", "Searches the help for a topic", nullptr},
               {"Using &help", "How to use the help", nullptr},
               {nullptr, nullptr, nullptr},
               {"&About...", "About this application", nullptr}},
              {Call(&HelpIndex), Call([] { return HelpSearch(); }),
               Call([] { return CallWinHelpFile("", HELP_HELPONHELP); }), xb::Value(), about});
}

void TMenu::AddMdi() {
  AddStandard(*this, "&Window", "Window management",
              {{"Tile &vertical", "Places the windows side by side", "TILE"},
               {"Tile &horizontal", "Places the windows one above the other", nullptr},
               {"&Cascade", "Places the windows in cascade", "CASCADE"},
               {"&Next Window\tCtrl+F6", "Activates the next window", "NEXTWINDOW"},
               {"&Arrange icons", "Arranges the minimised windows", "ARRANGEICONS"},
               {"&Iconize all", "Minimises every window", "ICONIZEALL"},
               {"C&lose all", "Closes every window", "CLOSEALL"}},
              {xb::Value(), Request("TILE", {xb::Value::Logical(true)})});
}

}  // namespace ui
