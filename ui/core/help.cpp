#include "ui/core/help.h"

#include <windows.h>

#include "ui/core/msg_box.h"

namespace ui {
namespace {

std::string g_help_file;
xb::Value g_help_topic;

constexpr unsigned kHelpContext = 1;
constexpr unsigned kHelpPartialKey = 257;
constexpr unsigned kHelpContents = 11;
constexpr unsigned kHelpPartialKeySearch = 261;
constexpr unsigned kHelpContextPopup = 8;

bool NoHelpFile() {
  if (!g_help_file.empty()) return false;
  // The program's own box: a run nobody watches goes on without it.
  MsgAlert(xb::Value::String("No hay fichero de ayuda disponible."), " Atención");
  return true;
}

bool CallWinHelp(const std::string& file, unsigned command, ULONG_PTR data) {
  HMODULE user = LoadLibraryA("User32.dll");
  if (user == nullptr) {
    const std::string text = "Error code: " + std::to_string(GetLastError()) + " loading User32.dll";
    MsgAlert(xb::Value::String(text), "Atención");
    return false;
  }
  using WinHelpFn = BOOL(WINAPI*)(HWND, LPCSTR, UINT, ULONG_PTR);
  auto fn = reinterpret_cast<WinHelpFn>(reinterpret_cast<void*>(GetProcAddress(user, "WinHelpA")));
  const bool ok = fn != nullptr && fn(GetActiveWindow(), file.c_str(), command, data) != FALSE;
  FreeLibrary(user);
  return ok;
}

}  // namespace

void SetHelpFile(std::string file) { g_help_file = std::move(file); }
const std::string& GetHelpFile() { return g_help_file; }
void SetHelpTopic(xb::Value topic) { g_help_topic = std::move(topic); }
const xb::Value& GetHelpTopic() { return g_help_topic; }

bool HelpTopic(const xb::Value& topic) {
  if (NoHelpFile()) return false;
  const xb::Value& which = topic.IsNil() ? g_help_topic : topic;
  if (which.IsNumber()) {
    return CallWinHelp(g_help_file, kHelpContext, static_cast<ULONG_PTR>(which.AsInt()));
  }
  const std::string key(which.AsString());
  return CallWinHelp(g_help_file, kHelpPartialKey, reinterpret_cast<ULONG_PTR>(key.c_str()));
}

bool HelpIndex() {
  if (NoHelpFile()) return false;
  return CallWinHelp(g_help_file, kHelpContents, 0);
}

bool HelpSearch(const std::string& text) {
  if (NoHelpFile()) return false;
  return CallWinHelp(g_help_file, kHelpPartialKeySearch, reinterpret_cast<ULONG_PTR>(text.c_str()));
}

bool HelpPopup(int context) {
  if (NoHelpFile()) return false;
  return CallWinHelp(g_help_file, kHelpContextPopup, static_cast<ULONG_PTR>(context));
}

bool CallWinHelpFile(const std::string& file, unsigned command, std::uintptr_t data) {
  if (file.empty() && NoHelpFile()) return false;
  return CallWinHelp(file.empty() ? g_help_file : file, command, data);
}

}  // namespace ui
