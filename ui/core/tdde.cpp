#include "ui/core/tdde.h"

#include <dde.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "runtime/function_table.h"
#include "ui/bridge/message_loop.h"
#include "ui/core/msg_box.h"

namespace ui {
namespace {

struct DdeState {
  std::vector<DdeRef> conversations;
  int pending = TDde::kNone;
  TDde* starting = nullptr;  // the conversation Activate is starting
  bool initiating = false;   // the initiate broadcast is in progress
  TDde* executing = nullptr;
  // Windows the program sent a terminate to: their answering terminate needs no answer.
  std::set<HWND> terminated;
};

DdeState& State() {
  static DdeState state;
  return state;
}

void DeleteAtom(ATOM& atom) {
  if (atom != 0) GlobalDeleteAtom(atom);
  atom = 0;
}

void PostTerminate(HWND to, LPARAM lparam = 0) {
  if (to == nullptr) return;
  PostMessageA(to, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(GetWndApp()), lparam);
  State().terminated.insert(to);
}

}  // namespace

TDde::TDde() : xb::Object(Cls()) {}

void TDde::Traverse(xb::GcVisitor& visitor) {
  xb::Object::Traverse(visitor);
  if (oWndServer) visitor.Visit(oWndServer.get());
}

void TDde::ClearValues() {
  xb::Object::ClearValues();
  oWndServer = nullptr;
  bAction = bEnd = xb::Value();
}

int TDde::PendingOperation() { return State().pending; }
const std::vector<DdeRef>& TDde::Conversations() { return State().conversations; }

TDde& TDde::New(const std::string& service, const std::string& topic, const std::string& item, xb::Value action,
                xb::Value end_block) {
  nService = GlobalAddAtomA(service.c_str());
  nTopic = GlobalAddAtomA(topic.c_str());
  nItem = GlobalAddAtomA(item.c_str());
  bAction = std::move(action);
  bEnd = std::move(end_block);
  lActive = false;
  State().conversations.push_back(DdeRef(this));
  return *this;
}

void TDde::Activate() {
  DdeState& state = State();
  DdeRef keep(this);
  state.pending = kInitiate;
  state.starting = this;
  state.initiating = true;
  // Every top-level window; one that does not answer within a second is passed over.
  DWORD_PTR result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(GetWndApp()),
                      MAKELPARAM(nService, nTopic), SMTO_ABORTIFHUNG | SMTO_NORMAL, 1000, &result);
  state.initiating = false;
  state.starting = nullptr;
}

void TDde::Execute(const std::string& command) {
  DdeState& state = State();
  DdeRef keep(this);
  state.pending = kExecute;
  if (!oWndServer) {
    MsgAlert(xb::Value::String("DDE Object not properly initialized!"));
    return;
  }
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, command.size() + 1);
  if (block == nullptr) return;
  if (auto* bytes = static_cast<char*>(GlobalLock(block))) {
    std::memcpy(bytes, command.c_str(), command.size() + 1);
    GlobalUnlock(block);
  }
  if (!PostMessageA(oWndServer->hWnd, WM_DDE_EXECUTE, reinterpret_cast<WPARAM>(GetWndApp()),
                    reinterpret_cast<LPARAM>(block))) {
    GlobalFree(block);
    return;
  }
  state.executing = this;
  // No time limit: the wait ends with the acknowledgement, with the end of the conversation
  // or with the quit message.
  while (state.pending != kAcknowledged && !ended_ && oWndServer) {
    if (!SysRefresh()) break;
    if (state.pending == kAcknowledged) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  if (state.executing == this) state.executing = nullptr;
}

void TDde::End() {
  if (ended_) return;
  ended_ = true;
  DdeRef keep(this);
  if (oWndServer) PostTerminate(oWndServer->hWnd);
  if (lActive && bEnd.IsBlock()) {
    const xb::Value block = std::move(bEnd);
    bEnd = xb::Value();
    block.AsBlock().Eval({xb::Value()});
  }
  DeleteAtom(nService);
  DeleteAtom(nTopic);
  DeleteAtom(nItem);
  lActive = false;
}

void DdeAck(HWND server, LPARAM lparam) {
  DdeState& state = State();
  if (state.initiating) {
    // An initiate acknowledgement carries atoms of the server's for the client to delete.
    GlobalDeleteAtom(LOWORD(lparam));
    GlobalDeleteAtom(HIWORD(lparam));
    if (state.pending == TDde::kInitiate && state.starting != nullptr) {
      auto bare = xb::MakeRef<TWindow>();
      bare->hWnd = server;
      state.starting->oWndServer = bare;
      state.starting->lActive = true;
    } else {
      PostTerminate(server);  // a second server: the conversation is the first one's
    }
    state.pending = TDde::kAcknowledged;
    return;
  }
  // The acknowledgement of a command returns the command's block.
  UINT_PTR status = 0, block = 0;
  if (UnpackDDElParam(WM_DDE_ACK, lparam, &status, &block)) {
    if (block != 0 && state.executing != nullptr && state.executing->ServerWindow() == server) {
      GlobalFree(reinterpret_cast<HGLOBAL>(block));
    }
    FreeDDElParam(WM_DDE_ACK, lparam);
  }
  state.pending = TDde::kAcknowledged;
}

void DdeTerminate(HWND window) {
  DdeState& state = State();
  auto found = std::find_if(state.conversations.begin(), state.conversations.end(),
                            [window](const DdeRef& d) { return d && d->ServerWindow() == window; });
  if (found != state.conversations.end()) {
    const DdeRef conversation = *found;
    const bool answer = conversation->Ended();  // to the terminate End posted
    conversation->End();
    std::erase(state.conversations, conversation);
    if (answer) state.terminated.erase(window);
    return;
  }
  // The answer to a terminate of the program's own is not answered again, so that two of
  // its windows never keep answering each other.
  if (state.terminated.erase(window) > 0) return;
  PostTerminate(window, 1);
}

const xb::Class& TDde::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    using xb::Args;
    using xb::Object;
    using xb::Value;
    auto self = [](Object& o) -> TDde& { return xb::Class::Cast<TDde>(o); };
    xb::Class& c = xb::Class::Define("TDDE");
    c.Property("NSERVICE", [self](Object& o) { return Value::Integer(self(o).nService); }, nullptr);
    c.Property("NTOPIC", [self](Object& o) { return Value::Integer(self(o).nTopic); }, nullptr);
    c.Property("NITEM", [self](Object& o) { return Value::Integer(self(o).nItem); }, nullptr);
    c.Data("BACTION", &TDde::bAction);
    c.Data("BEND", &TDde::bEnd);
    c.Data("LACTIVE", &TDde::lActive);
    c.Property("OWNDSERVER", [self](Object& o) { return self(o).oWndServer ? Value(self(o).oWndServer) : Value(); },
               nullptr);
    // New(cService, cTopic, cItem, bAction, bEnd)
    c.Method("NEW", [self](Object& o, Args& a) {
      self(o).New(std::string(a.Str(1)), std::string(a.Str(2)), std::string(a.Str(3)), a.Arg(4), a.Arg(5));
      return o.AsValue();
    });
    c.Method("ACTIVATE", [self](Object& o, Args&) { self(o).Activate(); return Value(); });
    c.Method("EXECUTE", [self](Object& o, Args& a) { self(o).Execute(std::string(a.Str(1))); return Value(); });
    c.Method("END", [self](Object& o, Args&) { self(o).End(); return Value(); });
    return c;
  }();
  return cls;
}

void RegisterDdeClass() {
  (void)TDde::Cls();
  xb::RegisterFunction("TDDE", [](xb::Args&) { return xb::Value(xb::MakeRef<TDde>()); });
  xb::RegisterFunction("DDEACK", [](xb::Args& a) {
    DdeAck(reinterpret_cast<HWND>(static_cast<std::intptr_t>(a.Int(1))), static_cast<LPARAM>(a.Int(2)));
    return xb::Value();
  });
  xb::RegisterFunction("DDETERMINATE", [](xb::Args& a) {
    DdeTerminate(reinterpret_cast<HWND>(static_cast<std::intptr_t>(a.Int(1))));
    return xb::Value();
  });
}

}  // namespace ui
