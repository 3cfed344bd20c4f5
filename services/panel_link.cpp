#include "services/panel_link.h"

#include <cstddef>
#include <optional>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "runtime/function_table.h"
#include "services/close_request.h"
#include "services/exec_spool.h"
#include "services/mail_spool.h"
#include "ui/core/tstruct.h"
#include "ui/core/twindow.h"

namespace svc {

const char* const kPanelTitle = "QZ Panel de Gestión";

namespace {

using xb::Args;
using xb::Value;

struct LinkState {
  std::optional<HWND> panel;
  std::optional<HWND> program;
  std::uint32_t last_id = 0;
};

LinkState& State() {
  static LinkState state;
  return state;
}

HWND MainWindowHandle() {
  const Value& main = data::oWnd();
  if (!main.IsObject()) return nullptr;
  auto* window = dynamic_cast<ui::TWindow*>(main.AsObject().get());
  return window != nullptr ? window->hWnd : nullptr;
}

// FindWindowA bound at the time of the call, as the suite binds what it does not import.
HWND FindPanel() {
  HMODULE user = ::LoadLibraryA("User32.dll");
  if (user == nullptr) {
    data::Ui().MsgAlert("Error code: " + std::to_string(::GetLastError()) + " loading User32.dll", "Atención");
    return nullptr;
  }
  using FindWindowFn = HWND(WINAPI*)(LPCSTR, LPCSTR);
  auto find = reinterpret_cast<FindWindowFn>(reinterpret_cast<void*>(::GetProcAddress(user, "FindWindowA")));
  HWND panel = find != nullptr ? find(kPanelClass, kPanelTitle) : nullptr;
  ::FreeLibrary(user);
  return panel;
}

LRESULT SendRecord(HWND panel, HWND program, int code, const std::string& record) {
  if (panel == nullptr) return 0;
  COPYDATASTRUCT data{};
  data.dwData = static_cast<ULONG_PTR>(code);
  data.cbData = static_cast<DWORD>(record.size());
  data.lpData = const_cast<char*>(record.data());
  return ::SendMessageA(panel, WM_COPYDATA, reinterpret_cast<WPARAM>(program), reinterpret_cast<LPARAM>(&data));
}

std::uint64_t HandleBits(HWND window) { return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(window)); }

HWND HandleArg(const Args& a, int n) { return reinterpret_cast<HWND>(static_cast<std::intptr_t>(a.Int(n))); }
Value HandleValue(HWND window) { return Value::Integer(static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(window))); }

// A flag given as 1/0 or as a logical.
bool FlagArg(const Args& a, int n, bool fallback) {
  const Value& v = a.Arg(n);
  if (v.IsLogical()) return v.AsLogical();
  if (v.IsNumber()) return v.AsInt() != 0;
  return fallback;
}

std::string TextArg(const Args& a, int n) { return a.Arg(n).IsString() ? std::string(a.Str(n)) : std::string(); }

const COPYDATASTRUCT* CopyData(LPARAM lparam) { return reinterpret_cast<const COPYDATASTRUCT*>(lparam); }

}  // namespace

HWND QzccHwnd() {
  LinkState& state = State();
  if (!state.panel) state.panel = FindPanel();
  return *state.panel;
}

void SetQzccHwnd(HWND panel) { State().panel = panel; }

HWND AppHwnd() {
  LinkState& state = State();
  if (!state.program) state.program = MainWindowHandle();
  return *state.program;
}

void SetAppHwnd(HWND window) { State().program = window; }
void ForgetAppHwnd() { State().program.reset(); }

LRESULT SendEmail(const panel::MailMessageRecord& record, HWND program, HWND panel) {
  panel::MailMessageRecord sent = record;
  sent.window = HandleBits(program);
  return SendRecord(panel, program, panel::kMailMessage, panel::EncodeMail(sent));
}

LRESULT WebExplore(std::string_view address, bool new_window, HWND panel, HWND program) {
  return SendRecord(panel, program, panel::kWebAddress, panel::EncodeWebAddress(address, new_window));
}

LRESULT RegExec(std::string_view path, HWND panel, HWND program) {
  return SendRecord(panel, program, panel::kDocumentRequest, panel::EncodeDocumentRequest(::GetTickCount(), path));
}

LRESULT ExecInstance(const panel::ExecInstanceRecord& record, int message_type, HWND panel, HWND program) {
  return SendRecord(panel, program, message_type, panel::EncodeExecInstance(record));
}

LRESULT SendHwnd(std::uint32_t process_id, HWND window, HWND panel, HWND program) {
  return SendRecord(panel, program, panel::kWindowHandle, panel::EncodeWindowHandle(process_id, HandleBits(window)));
}

LRESULT NotifyAppClosed(std::uint32_t process_id, HWND panel, HWND program) {
  return SendRecord(panel, program, panel::kAppClosed, panel::EncodeAppClosed(process_id));
}

int QzGetMsg(LPARAM lparam) {
  const COPYDATASTRUCT* data = CopyData(lparam);
  return data != nullptr ? static_cast<int>(data->dwData) : 0;
}

panel::Reply mReadInfo(LPARAM lparam) {
  const COPYDATASTRUCT* data = CopyData(lparam);
  if (data == nullptr || data->lpData == nullptr) return {};
  return panel::DecodeReply(std::string_view(static_cast<const char*>(data->lpData), data->cbData));
}

LRESULT Qzcc_SendHwnd(bool reset) {
  if (reset) ForgetAppHwnd();
  const HWND program = AppHwnd();
  return SendHwnd(::GetCurrentProcessId(), program, QzccHwnd(), program);
}

LRESULT Qzcc_AppClosed() { return NotifyAppClosed(::GetCurrentProcessId(), QzccHwnd(), AppHwnd()); }

LRESULT QzccWebBrowse(std::string_view address, bool new_window) {
  return WebExplore(address.empty() ? kDefaultWebAddress : address, new_window, QzccHwnd(), AppHwnd());
}

LRESULT QzccRegType(std::string_view path) { return RegExec(path, QzccHwnd(), AppHwnd()); }

void InitQzcc() {
  (void)oMailSpool();
  (void)oExecSpool();
  Qzcc_SendHwnd(true);
}

std::uint32_t NewPanelIdentifier() {
  LinkState& state = State();
  std::uint32_t id = ::GetTickCount();
  if (id <= state.last_id) id = state.last_id + 1;
  state.last_id = id;
  return id;
}

void ResetPanelLink() {
  EndMailSystem();
  EndExecSystem();
  State() = LinkState{};
}

void RegisterPanelLinkFunctions() {
  RegisterMailSpoolFunctions();
  RegisterExecSpoolFunctions();
  RegisterCloseRequestFunctions();
  xb::RegisterFunction("QZCCHWND", [](Args& a) {
    if (a.Arg(1).IsNumber()) SetQzccHwnd(HandleArg(a, 1));
    return HandleValue(QzccHwnd());
  });
  xb::RegisterFunction("APPHWND", [](Args& a) {
    if (a.Arg(1).IsNumber()) SetAppHwnd(HandleArg(a, 1));
    return HandleValue(AppHwnd());
  });
  xb::RegisterFunction("SENDEMAIL", [](Args& a) {
    panel::MailMessageRecord r;
    r.id = static_cast<std::uint32_t>(a.Int(1));
    r.recipients = TextArg(a, 2);
    r.copies = TextArg(a, 3);
    r.blind_copies = TextArg(a, 4);
    r.subject = TextArg(a, 5);
    r.text = TextArg(a, 6);
    r.attachments = TextArg(a, 7);
    r.show_dialog = FlagArg(a, 8, false);
    return Value::Integer(SendEmail(r, HandleArg(a, 9), HandleArg(a, 10)));
  });
  xb::RegisterFunction("WEBEXPLORE", [](Args& a) {
    return Value::Integer(WebExplore(TextArg(a, 1), FlagArg(a, 2, false), HandleArg(a, 3), HandleArg(a, 4)));
  });
  xb::RegisterFunction("REGEXEC",
                       [](Args& a) { return Value::Integer(RegExec(TextArg(a, 1), HandleArg(a, 2), HandleArg(a, 3))); });
  xb::RegisterFunction("EXECINSTANCE", [](Args& a) {
    panel::ExecInstanceRecord r;
    r.id = static_cast<std::uint32_t>(a.Int(1));
    r.full_path = TextArg(a, 2);
    r.parameters = TextArg(a, 3);
    r.folder = TextArg(a, 4);
    r.wait = FlagArg(a, 5, false);
    r.show_progress = FlagArg(a, 6, false);
    const int type = a.Arg(7).IsNumber() ? static_cast<int>(a.Int(7)) : panel::kExecProgram;
    return Value::Integer(ExecInstance(r, type, HandleArg(a, 8), HandleArg(a, 9)));
  });
  xb::RegisterFunction("SENDHWND", [](Args& a) {
    return Value::Integer(SendHwnd(static_cast<std::uint32_t>(a.Int(1)), HandleArg(a, 2), HandleArg(a, 3), HandleArg(a, 4)));
  });
  xb::RegisterFunction("NOTIFYAPPCLOSED", [](Args& a) {
    return Value::Integer(NotifyAppClosed(static_cast<std::uint32_t>(a.Int(1)), HandleArg(a, 2), HandleArg(a, 3)));
  });
  xb::RegisterFunction("QZGETMSG", [](Args& a) { return Value::Integer(QzGetMsg(static_cast<LPARAM>(a.Int(1)))); });
  xb::RegisterFunction("MREADINFO", [](Args& a) {
    const panel::Reply reply = mReadInfo(static_cast<LPARAM>(a.Int(1)));
    return Value(xb::Array::Of({Value::Integer(reply.id), Value::Integer(reply.result)}));
  });
  xb::RegisterFunction("QZCC_SENDHWND", [](Args& a) { return Value::Integer(Qzcc_SendHwnd(a.Log(1))); });
  xb::RegisterFunction("QZCC_APPCLOSED", [](Args&) { return Value::Integer(Qzcc_AppClosed()); });
  xb::RegisterFunction("QZCCWEBBROWSE",
                       [](Args& a) { return Value::Integer(QzccWebBrowse(TextArg(a, 1), FlagArg(a, 2, false))); });
  xb::RegisterFunction("QZCCREGTYPE", [](Args& a) { return Value::Integer(QzccRegType(TextArg(a, 1))); });
  xb::RegisterFunction("INITQZCC", [](Args&) {
    InitQzcc();
    return Value();
  });
  xb::RegisterFunction("HB_GETPROCID", [](Args&) { return Value::Integer(::GetCurrentProcessId()); });
  xb::RegisterFunction("QZCC_ESCAPE", [](Args& a) { return Value::String(panel::Escape(TextArg(a, 1))); });
  xb::RegisterFunction("QZCC_UNESCAPE", [](Args& a) { return Value::String(panel::Unescape(TextArg(a, 1))); });
  xb::RegisterFunction("QZCC_COPYDATASTRUCT", [](Args&) {
    // The native COPYDATASTRUCT of this 64-bit program: ULONG_PTR, DWORD, its alignment, PVOID.
    static_assert(sizeof(COPYDATASTRUCT) == 24 && offsetof(COPYDATASTRUCT, lpData) == 16);
    auto image = xb::MakeRef<ui::TStruct>();
    image->AddMember("dwData", 7, 8);
    image->AddMember("cbData", 7);
    image->AddMember("Reserved", 7);
    image->AddMember("lpData", 7, 8);
    return Value(xb::ObjectRef(image));
  });
}

}  // namespace svc
