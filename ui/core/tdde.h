// TDde: the client side of a DDE conversation. Activate finds a server by service and topic
// (the first that answers; any later one is told to terminate at once), Execute posts a
// command and lets messages run until the server acknowledges it, ends the conversation or
// the program quits, and End terminates the conversation once. The application window hands
// the acknowledgements and terminations it receives to DDEACK and DDETERMINATE.
//
// The server's window object is bare: it only names the window, which it never links,
// subclasses, closes or destroys.
#pragma once

#include <windows.h>
#include <dde.h>

#include <string>
#include <vector>

#include "runtime/object.h"
#include "ui/core/twindow.h"

namespace ui {

class TDde;
using DdeRef = xb::Ref<TDde>;

class TDde : public xb::Object {
 public:
  // The module's pending operation.
  static constexpr int kNone = 0;
  static constexpr int kInitiate = WM_DDE_FIRST;          // 992
  static constexpr int kExecute = WM_DDE_FIRST + 8;       // 1000
  static constexpr int kAcknowledged = WM_DDE_FIRST + 4;  // 996

  TDde();
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  // Adds the three names as global atoms and joins the module's list; nothing is sent.
  TDde& New(const std::string& service, const std::string& topic, const std::string& item,
            xb::Value action = {}, xb::Value end_block = {});
  void Activate();
  // Without a server: "DDE Object not properly initialized!" and nothing is sent.
  void Execute(const std::string& command);
  // Once per conversation: the terminate posted, bEnd run (when active), the atoms deleted.
  void End();

  HWND ServerWindow() const { return oWndServer ? oWndServer->hWnd : nullptr; }
  bool Ended() const { return ended_; }

  ATOM nService = 0;
  ATOM nTopic = 0;
  ATOM nItem = 0;
  xb::Value bAction;
  xb::Value bEnd;
  WindowRef oWndServer;
  bool lActive = false;

  static int PendingOperation();
  static const std::vector<DdeRef>& Conversations();

 private:
  bool ended_ = false;
};

// DDEACK(hServer, lParam) and DDETERMINATE(hWnd), as the application window calls them.
void DdeAck(HWND server, LPARAM lparam);
void DdeTerminate(HWND window);

void RegisterDdeClass();

}  // namespace ui
