#include "ui/core/error_handler.h"

#include <windows.h>

#include <cstdio>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/lib/environment.h"
#include "runtime/rdd/workareas.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/modeless_dialogs.h"
#include "ui/bridge/plain_boxes.h"
#include "ui/bridge/resources.h"
#include "ui/core/error_report.h"
#include "ui/core/framework_error.h"
#include "ui/core/plain_control.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"

namespace ui {
namespace {

bool g_showing = false;

// The level of the code that raised the error, counted from ERRORDIALOG itself (level 0)
// under the error block (level 1).
constexpr int kRaiserLevel = 2;

class ShowingScope {
 public:
  ShowingScope() { g_showing = true; }
  ~ShowingScope() { g_showing = false; }
  ShowingScope(const ShowingScope&) = delete;
  ShowingScope& operator=(const ShowingScope&) = delete;
};

bool IsOneOf(int code, std::initializer_list<int> codes) {
  for (int c : codes) {
    if (c == code) return true;
  }
  return false;
}

void SetNetErr() { xb::rdd::WorkAreas::Get().set_net_error(true); }

// NERRORCODE belongs to the table-access layer above the framework: reached by name.
void KeepErrorCode(int code) {
  if (xb::IsFunctionRegistered("NERRORCODE")) xb::CallFunction("NERRORCODE", {xb::Value::Integer(code)});
}

void Quit() {
  FreeResources();
  xb::SetErrorLevel(1);
  xb::CallFunction("__QUIT");
}

// The table engine's last error, as the system error it stands for.
void MapEngineError(xb::Error& e) {
  if (!xb::IsFunctionRegistered("ADSGETLASTERROR")) return;
  switch (xb::CallFunction("ADSGETLASTERROR").AsInt()) {
    case 7004: e.osCode = 4; break;
    case 7008: e.osCode = 5; break;
    case 5004: e.osCode = 2; break;
    case 7040: e.osCode = 5; break;
    default: break;
  }
}

void WriteLog(const std::string& text) {
  // A log that cannot be written is no reason to hide the error.
  if (FILE* f = std::fopen("Error.log", "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

std::string Setting(const char* function, const char* fallback) {
  return xb::IsFunctionRegistered(function) ? std::string(xb::CallFunction(function).AsString()) : fallback;
}
int Setting(const char* function, int fallback) {
  return xb::IsFunctionRegistered(function) ? static_cast<int>(xb::CallFunction(function).AsInt()) : fallback;
}

enum class Choice { kNone, kRetry, kDefault };

Choice ShowErrorDialog(const xb::Error& error, const ErrorReport& report) {
  TFont::Spec spec;
  spec.face = Setting("CFONTNAME", "MS Sans Serif");
  spec.width = Setting("NFONTVSIZE", 0);
  spec.height = Setting("NFONTHSIZE", -12);
  const xb::Ref<TFont> font = TFont::New(spec);
  auto dialog = xb::MakeRef<TDialog>();
  TDialog::NewParams p;
  p.caption = "Quellar: Librería para Windows";
  p.width = 300;
  p.height = 250;  // the Windows NT layout
  p.font = font;
  dialog->New(p);
  Choice choice = Choice::kNone;

  auto place = [&](int top, int left, int width, int height, const std::string& windows_class,
                   const std::string& caption, DWORD style) {
    PlainControl::Params c;
    c.top = top;
    c.left = left;
    c.width = width;
    c.height = height;
    c.windows_class = windows_class;
    c.caption = caption;
    c.style = WS_CHILD | WS_VISIBLE | style;
    c.parent = dialog;
    return PlainControl::Place(c);
  };
  place(3, 22, 127, 23, "STATIC", " Descripción del error: " + ErrorMessage(error), WS_BORDER | SS_NOPREFIX);
  place(24, 6, 50, 8, "STATIC", "&Secuencias", 0);
  place(24, 90, 60, 8, "STATIC", "Vea fichero Error.log", 0);
  auto list = place(33, 3, 145, 78, "LISTBOX", "",
                    WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT);
  const bool retry = error.canRetry;
  constexpr int kRow = 111;
  if (retry) {
    place(kRow, 13, 30, 12, "BUTTON", "&Reintentar", WS_TABSTOP)->on_click = [&, d = dialog.get()] {
      choice = Choice::kRetry;
      d->End(IDOK);
    };
  }
  auto quit = place(kRow, retry ? 60 : 37, 30, 12, "BUTTON", "&Salir", WS_TABSTOP | BS_DEFPUSHBUTTON);
  quit->on_click = [&, d = dialog.get()] {
    choice = Choice::kNone;
    d->End(IDCANCEL);
  };
  place(kRow, 108, 30, 12, "BUTTON", "&Defecto", WS_TABSTOP)->on_click = [&, d = dialog.get()] {
    choice = Choice::kDefault;
    d->End(IDOK);
  };
  TDialog::ActivateParams activate;
  activate.centered = true;
  activate.init = xb::Value(xb::Block::Native([&](xb::Args&) {
    for (const std::string& line : report.calls) {
      SendMessageA(list->hWnd, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    SendMessageA(list->hWnd, LB_SETCURSEL, 0, 0);
    HWND stop = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_ICON, 8, 8, 32, 32, dialog->hWnd, nullptr,
                                GetInstance(), nullptr);
    SendMessageA(stop, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_HAND)), 0);
    SetFocus(quit->hWnd);
    return xb::Value::Logical(false);
  }));
  dialog->Activate(activate);
  font->End();  // the dialog ended its own use
  return choice;
}

}  // namespace

bool ErrorDialogShowing() { return g_showing; }

xb::Value ErrorDialog(const xb::ErrorRef& error) {
  if (!error) return xb::Value::Logical(false);
  xb::Error& e = *error;
  if (e.genCode == xb::EG_ZERODIV) return xb::Value::Integer(0);
  MapEngineError(e);
  e.canDefault = true;
  if ((e.genCode == xb::EG_OPEN && IsOneOf(e.osCode, {32, 5, 4, 2, 3})) ||
      (e.genCode == xb::EG_CREATE && IsOneOf(e.osCode, {3, 4, 5, 2}))) {
    SetNetErr();
    KeepErrorCode(e.osCode);
    return xb::Value::Logical(false);
  }
  if (e.genCode == xb::EG_APPENDLOCK) {
    SetNetErr();
    return xb::Value::Logical(false);
  }
  if (g_showing) {
    // An error inside the error dialog: nothing can be trusted any more.
    Quit();
    return xb::Value::Logical(false);
  }
  const ErrorReport report = BuildErrorReport(e, kRaiserLevel);
  WriteLog(report.text);
  Choice choice = Choice::kNone;
  if (Unattended()) {
    // Nobody to choose: the operation takes its default and the run goes on.
    TellUnattended("Error", ErrorMessage(e));
    choice = Choice::kDefault;
  } else {
    ShowingScope showing;
    choice = ShowErrorDialog(e, report);
  }
  if (choice == Choice::kNone || (choice == Choice::kRetry && !LWRunning())) {
    Quit();
    return xb::Value::Logical(false);
  }
  if (choice == Choice::kDefault && (e.genCode == xb::EG_OPEN || e.genCode == xb::EG_CREATE)) {
    SetNetErr();  // the caller must not take the failed open for a success
  }
  return xb::Value::Logical(choice == Choice::kRetry);
}

xb::Value ErrorSysBlock() {
  return xb::Value(xb::Block::Native([](xb::Args& a) { return xb::CallFunction("ERRORDIALOG", {a.Arg(1)}); },
                                     "{|oError| ErrorDialog( oError ) }"));
}

void ErrorSys() { xb::SetErrorBlock(ErrorSysBlock()); }

void RegisterErrorHandlerFunctions() {
  auto error_of = [](const xb::Args& a) -> xb::ErrorRef {
    auto* e = dynamic_cast<xb::Error*>(a.Obj(1).get());
    return e != nullptr ? xb::ErrorRef(e) : nullptr;
  };
  xb::RegisterFunction("ERRORSYS", [](xb::Args&) {
    ErrorSys();
    return xb::Value();
  });
  xb::RegisterFunction("ERRORDIALOG", [error_of](xb::Args& a) { return ErrorDialog(error_of(a)); });
  xb::RegisterFunction("ERRORMESSAGE", [error_of](xb::Args& a) {
    const xb::ErrorRef e = error_of(a);
    return xb::Value::String(e ? ErrorMessage(*e) : std::string());
  });
  xb::RegisterFunction("CGETINFO", [](xb::Args& a) { return xb::Value::String(CGetInfo(a.Arg(1))); });
  xb::RegisterFunction("INFOVERSION", [](xb::Args&) { return xb::Value::String(InfoVersion()); });
  xb::RegisterFunction("DOBREAK", [](xb::Args&) -> xb::Value { xb::Break(); });
  xb::RegisterFunction("__LOWMEMERROR", [](xb::Args&) {
    return RaiseFrameworkError(static_cast<int>(FrameworkError::kMemoryLow), "");
  });
}

}  // namespace ui
