#include "services/close_request.h"

#include <windows.h>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "services/dialog_helpers.h"
#include "services/table_helpers.h"
#include "services/user_tables.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/tsay.h"
#include "ui/core/tdialog.h"
#include "ui/core/ttimer.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

constexpr int kCountdown = 10;
unsigned g_tick = 999;

Value Shown(std::string text) {
  return Value(xb::Block::Native([text = std::move(text)](Args&) { return Value::String(text); }));
}

}  // namespace

void SetCloseCountdownTick(unsigned milliseconds) { g_tick = milliseconds; }

void Qzcc_CloseApp() {
  auto dialog = xb::MakeRef<ui::TDialog>();
  ui::TDialog::NewParams params;
  params.caption = "Atención";
  params.font = DefaultDialogFont();
  params.width = 330;
  params.height = 110;
  dialog->New(params);
  dialog->lValidEsc = true;
  auto say = xb::MakeRef<ui::TSay>();
  // A dialog built in memory places its controls in halves of its pixels.
  say->New({.row = 8, .col = 6, .get = Shown("Se ha detectado un Error Grave y la aplicación se cerrará en 10 Seg."),
            .parent = dialog, .font = params.font, .pixel = true, .width = 153, .height = 9});
  bool closing = false;
  ui::TDialog* box = dialog.get();
  auto close = [box, &closing] {
    closing = true;
    box->End(IDOK);
  };
  auto button = xb::MakeRef<ui::TButton>();
  button->New({.row = 26, .col = 55, .caption = "Cerrar en ...", .parent = dialog,
               .action = Action(close), .width = 55, .height = 13, .font = params.font, .is_default = true,
               .pixel = true});
  int count = 0;
  bool started = false;
  ui::TButton* shown = button.get();
  xb::Ref<ui::TTimer> timer;
  const Value init(xb::Block::Native([&](Args&) {
    timer = ui::TTimer::New(static_cast<int>(g_tick), Action([&] {
                              if (!started) {
                                started = true;
                                count = kCountdown;
                                return;
                              }
                              if (count <= 0) return;
                              --count;
                              const std::string text = "Cerrando en " + std::to_string(count) + " s.";
                              ::SetWindowTextA(shown->hWnd, text.c_str());
                              ::UpdateWindow(box->hWnd);
                              if (count == 0) close();
                            }),
                            box);
    timer->Activate();
    return Value::Logical(true);
  }));
  // Only the button or the countdown closes it.
  const Value valid(xb::Block::Native([&closing](Args&) { return Value::Logical(closing); }));
  dialog->Activate({.centered = true, .valid = valid, .init = init});
  if (timer) timer->End();

  // The tables closed first: the user table may be held by a window (the user
  // maintenance) that the log-out must not wait for.
  Call("DBCLOSEALL");
  Logout();
  CallIfThere("RESALLFREE");
  Call("__QUIT");
}

void RegisterCloseRequestFunctions() {
  xb::RegisterFunction("QZCC_CLOSEAPP", [](Args&) {
    Qzcc_CloseApp();
    return Value();
  });
}

}  // namespace svc
