#include "ui/core/screen_waits.h"

#include <windows.h>

#include <set>

#include "runtime/array.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/system_wrappers.h"
#include "ui/bridge/text_drawing.h"
#include "ui/core/plain_control.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"

namespace ui {
namespace {

using xb::Args;
using xb::Value;

int ScreenCaps(int index) {
  WindowDC dc(nullptr);
  return GetDeviceCaps(dc.get(), index);
}

int ScreenWidth(std::string_view text) {
  WindowDC dc(nullptr);
  return GetTextWidth(dc.get(), text);
}

std::string Trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return std::string(s);
}

std::string FillOf(std::string_view fill) { return fill.empty() ? std::string(" ") : std::string(fill.substr(0, 1)); }

std::string Pad(std::string_view text, int width, std::string_view given_fill, bool left) {
  std::string out(text);
  const std::string fill = FillOf(given_fill);
  int now = ScreenWidth(out);
  while (now < width) {
    const std::string longer = left ? fill + out : out + fill;
    const int w = ScreenWidth(longer);
    if (w <= now) break;  // the fill adds nothing: it never would
    out = longer;
    now = w;
  }
  return out;
}

xb::Ref<TFont> WaitFont() {
  TFont::Spec spec;
  spec.face = "Ms Sans Serif";
  spec.height = -12;
  return TFont::New(spec);
}

BOOL CALLBACK CollectTitle(HWND hwnd, LPARAM list) {
  char title[512] = {};
  if (GetWindowTextA(hwnd, title, sizeof title) > 0) reinterpret_cast<std::set<std::string>*>(list)->insert(title);
  return TRUE;
}

}  // namespace

std::string CWinVersion() {
  const OSVERSIONINFOA v = WindowsVersion();
  if (v.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    if (v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1)) return "XP";
    if (v.dwMajorVersion == 5) return "2000";
    return "NT";
  }
  if (v.dwMinorVersion >= 90) return "ME";
  if (v.dwMinorVersion >= 10) return "98";
  return "95";
}

bool WaitMilliseconds(unsigned milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (!SysRefresh()) return false;
    const DWORD elapsed = GetTickCount() - start;  // right across the wrap
    if (elapsed >= milliseconds) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
  }
}

bool StopUntil(const Value& condition) {
  if (!condition.IsBlock()) return true;
  for (;;) {
    const Value done = condition.AsBlock().Eval({});
    if (done.IsLogical() && done.AsLogical()) return true;
    WaitMessage();
    if (!SysRefresh()) return false;
  }
}

void MsgRun(const std::string& given_text, const std::string& title, const Value& action) {
  const std::string text = given_text.empty() ? "Please, wait..." : given_text;
  auto dialog = xb::MakeRef<TDialog>();
  TDialog::NewParams p;
  p.bottom = title.empty() ? 3 : 4;
  p.right = static_cast<int>(text.size()) + 4;
  p.style = title.empty() ? (WS_POPUP | DS_MODALFRAME) : TDialog::kDefaultStyle;
  if (!title.empty()) p.caption = title;
  p.font = WaitFont();
  dialog->New(p);
  dialog->lHelpIcon = false;
  PlainControl::Params label;
  label.id = 5000;
  label.windows_class = "STATIC";
  label.caption = text;
  label.style = WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX;
  label.width = (dialog->nRight - dialog->nLeft) / 2;
  label.height = 10;
  label.top = (dialog->nBottom - dialog->nTop) / 4 - 5;
  label.parent = dialog;
  PlainControl::Place(label);
  TDialog::ActivateParams activate;
  activate.centered = true;
  // The action runs once the dialog shows, then the dialog closes.
  TDialog* shown = dialog.get();  // lives to the end of this call
  activate.init = Value(xb::Block::Native([shown, action](Args&) {
    ShowWindow(shown->hWnd, SW_SHOW);
    UpdateWindow(shown->hWnd);
    SysRefresh();
    if (action.IsBlock()) action.AsBlock().Eval({shown->Self()});
    else WaitMilliseconds(1000);
    shown->End(IDOK);
    return Value();
  }));
  dialog->Activate(activate);
}

std::string XPadR(std::string_view text, int width, std::string_view fill) { return Pad(text, width, fill, false); }
std::string XPadL(std::string_view text, int width, std::string_view fill) { return Pad(text, width, fill, true); }

std::string XPadC(std::string_view text, int width, std::string_view given_fill) {
  const std::string core = Trimmed(text);
  const std::string fill = FillOf(given_fill);
  const int step = ScreenWidth(fill);
  const int missing = width - ScreenWidth(core);
  if (step <= 0 || missing <= 0) return core;
  const int count = (missing + step - 1) / step;
  std::string out;
  for (int i = 0; i < count / 2; ++i) out += fill;
  out += core;
  for (int i = 0; i < count - count / 2; ++i) out += fill;
  return out;
}

void RegisterScreenAndWaits() {
  using xb::RegisterFunction;
  RegisterFunction("LARGEFONTS", [](Args&) { return Value::Logical(ScreenCaps(LOGPIXELSY) == 120); });
  RegisterFunction("COLORSQTY", [](Args&) {
    const int bits = ScreenCaps(BITSPIXEL) * ScreenCaps(PLANES);
    return Value::Integer(bits >= 62 ? INT64_MAX : std::int64_t{1} << bits);
  });
  RegisterFunction("SCRRESOLUTION", [](Args&) {
    return Value(xb::Array::Of({Value::Integer(GetSystemMetrics(SM_CXSCREEN)), Value::Integer(GetSystemMetrics(SM_CYSCREEN))}));
  });
  RegisterFunction("CWINVERSION", [](Args&) { return Value::String(CWinVersion()); });
  RegisterFunction("ISWIN2000", [](Args&) { return Value::Logical(CWinVersion().find("2000") != std::string::npos); });
  RegisterFunction("GETSYSFONT", [](Args&) {
    const bool nt = xb::CallFunction("ISWINNT").AsLogical();
    const bool w95 = xb::CallFunction("ISWIN95").AsLogical();
    return Value::String(nt || w95 ? "Ms Sans Serif" : "System");
  });
  RegisterFunction("GETTASKS", [](Args&) {
    std::set<std::string> titles;
    EnumWindows(&CollectTitle, reinterpret_cast<LPARAM>(&titles));
    xb::Array list = xb::Array::New();
    for (const std::string& t : titles) list.Append(Value::String(t));
    return Value(list);
  });
  RegisterFunction("WAITSECONDS", [](Args& a) {
    const double seconds = a.IsNil(1) ? 1.0 : a.Num(1);
    WaitMilliseconds(seconds > 0 ? static_cast<unsigned>(seconds * 1000) : 0);
    return Value();
  });
  RegisterFunction("MSGRUN", [](Args& a) {
    MsgRun(std::string(a.Str(1)), std::string(a.Str(2)), a.Arg(3));
    return Value();
  });
  RegisterFunction("MSGWAIT", [](Args& a) {
    const double seconds = a.IsNil(3) || a.Num(3) <= 0 ? 4.0 : a.Num(3);
    MsgRun(std::string(a.Str(1)), std::string(a.Str(2)), Value(xb::Block::Native([seconds](Args&) {
             WaitMilliseconds(static_cast<unsigned>(seconds * 1000));
             return Value();
           })));
    return Value();
  });
  RegisterFunction("STOPUNTIL", [](Args& a) {
    StopUntil(a.Arg(1));
    return Value();
  });
  RegisterFunction("XPADR", [](Args& a) { return Value::String(XPadR(a.Str(1), static_cast<int>(a.Int(2)), a.Str(3))); });
  RegisterFunction("XPADL", [](Args& a) { return Value::String(XPadL(a.Str(1), static_cast<int>(a.Int(2)), a.Str(3))); });
  RegisterFunction("XPADC", [](Args& a) { return Value::String(XPadC(a.Str(1), static_cast<int>(a.Int(2)), a.Str(3))); });
}

}  // namespace ui
