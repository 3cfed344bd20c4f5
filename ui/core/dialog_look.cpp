#include "ui/core/dialog_look.h"

#include "runtime/function_table.h"
#include "runtime/object.h"
#include "ui/core/tbrush.h"

namespace ui {
namespace {

xb::Ref<TBrush>& SharedBrush() {
  static xb::Ref<TBrush> brush;
  return brush;
}

}  // namespace

bool LClassic() {
  // The user's look belongs to the program's services, above this layer: asked by name.
  if (!xb::IsFunctionRegistered("LCLASSIC")) return false;
  return xb::CallFunction("LCLASSIC").AsLogical();
}

void GetFondo() {
  if (!SharedBrush()) SharedBrush() = TBrush::New("NULL", 0);
}

HBRUSH GetTransp() { return SharedBrush() ? SharedBrush()->hBrush : nullptr; }

void ReleaseFondo() {
  if (SharedBrush()) SharedBrush()->End();
  SharedBrush() = nullptr;
}

int NRes() {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  if (width > 1000) return 1;
  if (width > 700) return 2;
  return 3;
}

void RegisterDialogLookFunctions() {
  // GETFONDO( oDlg ): the dialog's own look decides; without a dialog, the user's.
  xb::RegisterFunction("GETFONDO", [](xb::Args& a) {
    const xb::Value dialog = a.Arg(1);
    const bool classic = dialog.IsObject() && xb::HasMessage(dialog, xb::Intern("LCLASSIC"))
                             ? xb::Send(dialog, "LCLASSIC").AsLogical()
                             : LClassic();
    if (!classic) GetFondo();
    return xb::Value();
  });
  xb::RegisterFunction("GETTRANSP", [](xb::Args&) {
    return xb::Value::Integer(reinterpret_cast<std::intptr_t>(GetTransp()));
  });
  xb::RegisterFunction("RELEASEFONDO", [](xb::Args&) {
    ReleaseFondo();
    return xb::Value();
  });
  xb::RegisterFunction("NRES", [](xb::Args&) { return xb::Value::Integer(NRes()); });
  // The background bitmap is never loaded in this system.
  xb::RegisterFunction("HFONDO", [](xb::Args&) { return xb::Value::Integer(0); });
  xb::RegisterFunction("__LFONDO", [](xb::Args&) { return xb::Value::Logical(false); });
  xb::RegisterFunction("XRESALLFREE", [](xb::Args&) {
    for (const char* name : {"RESALLFREE", "DELBMPBTN", "DELBMPBRW", "DELBMPMNU", "DELBMPCBX"}) {
      if (xb::IsFunctionRegistered(name)) xb::CallFunction(name);
    }
    return xb::Value();
  });
}

}  // namespace ui
