// The program's side of the link with the management panel, the suite's program that sends
// e-mail, opens web addresses and documents and runs programs for the others. The panel's
// main window is found by its class and title; requests go to it as WM_COPYDATA messages
// (panel_records.h) from the program window, which also receives the panel's replies (the
// window classes route them to the spools) and its close request.
//
// The panel window is looked up once and kept, 0 (no panel) included. The program window
// is the main window unless the log-in dialog has made itself the program window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "services/panel_records.h"

namespace svc {

// The panel window's class and title ("QZ Panel de Gestión").
inline constexpr const char* kPanelClass = "TfrmQZPanelDeGestion";
extern const char* const kPanelTitle;

// QZCCHWND: the panel window, looked up on first use (FindWindowA bound from User32.dll).
HWND QzccHwnd();
void SetQzccHwnd(HWND panel);
// APPHWND: the program window; when none is held, the main window's (0 without one).
HWND AppHwnd();
void SetAppHwnd(HWND window);
// Forgets the program window: the next APPHWND takes the main window again.
void ForgetAppHwnd();

// The senders: each answers SendMessageA's result (0 when there is no panel).
LRESULT SendEmail(const panel::MailMessageRecord& record, HWND program, HWND panel);
LRESULT WebExplore(std::string_view address, bool new_window, HWND panel, HWND program);
LRESULT RegExec(std::string_view path, HWND panel, HWND program);
LRESULT ExecInstance(const panel::ExecInstanceRecord& record, int message_type, HWND panel, HWND program);
LRESULT SendHwnd(std::uint32_t process_id, HWND window, HWND panel, HWND program);
LRESULT NotifyAppClosed(std::uint32_t process_id, HWND panel, HWND program);

// QZGETMSG: the code of the COPYDATASTRUCT at `lparam` (0 for none). MREADINFO: its reply
// record ({0, 0} when it is not 8 bytes).
int QzGetMsg(LPARAM lparam);
panel::Reply mReadInfo(LPARAM lparam);

// QZCC_SENDHWND: announces the process and the program window (first forgotten with
// `reset`, so the main window is announced).
LRESULT Qzcc_SendHwnd(bool reset = false);
// QZCC_APPCLOSED: tells the panel the process has closed.
LRESULT Qzcc_AppClosed();
// The address QZCCWEBBROWSE opens when given none: the maker's site.
inline constexpr std::string_view kDefaultWebAddress = "http://www.qzvendaro.es/";
// QZCCWEBBROWSE: opens the address (the maker's site when empty) in the panel's browser.
LRESULT QzccWebBrowse(std::string_view address = {}, bool new_window = false);
// QZCCREGTYPE: opens the document with the program registered for its type.
LRESULT QzccRegType(std::string_view path);
// INITQZCC: both spools made, the main window announced.
void InitQzcc();

// A new identifier for a queued message or instance: the tick count, raised above the last
// identifier given when it is not above it.
std::uint32_t NewPanelIdentifier();

// The link and both spools back to the start (tests).
void ResetPanelLink();

// Registers QZCCHWND, APPHWND, SENDEMAIL, WEBEXPLORE, REGEXEC, EXECINSTANCE, SENDHWND,
// NOTIFYAPPCLOSED, QZGETMSG, MREADINFO, QZCC_SENDHWND, QZCC_APPCLOSED, QZCCWEBBROWSE,
// QZCCREGTYPE, INITQZCC, HB_GETPROCID, QZCC_ESCAPE, QZCC_UNESCAPE and QZCC_COPYDATASTRUCT.
void RegisterPanelLinkFunctions();

}  // namespace svc
