// The services' dialogs come from numbered resources of the business-module library, in the
// default dialog font, with their controls bound by identifier.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "runtime/value.h"
#include "ui/controls/tbutton.h"
#include "ui/core/plain_control.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"

namespace svc {

// The default dialog font (CFONTNAME, NFONTVSIZE, NFONTHSIZE).
xb::Ref<ui::TFont> DefaultDialogFont();

// A dialog of the resource library (a name or a number) in the default font.
ui::DialogRef ResourceDialog(const xb::Value& resource, std::optional<std::string> caption = std::nullopt,
                             int help_id = 0, ui::WindowRef parent = {});

// A block that runs `action` and answers NIL.
xb::Value Action(std::function<void()> action);

// A push button of the dialog's resource running `action`.
xb::Ref<ui::TButton> Button(const ui::DialogRef& dialog, int id, std::function<void()> action);

// A label of the dialog's resource showing `text` (in `colour` when given), set when its
// window is bound: when the dialog starts, or with the folder of a page.
xb::Ref<ui::PlainControl> Label(const ui::DialogRef& dialog, int id, const std::string& text,
                                std::optional<COLORREF> colour = std::nullopt);

// A picture control of the dialog's resource showing the resource bitmap `name`; the bitmap
// is freed with the control's window.
void Picture(const ui::DialogRef& dialog, int id, const std::string& name);

// Runs the dialog modally, centred, with `init` run once its controls exist (the labels' texts
// are set before); `init` answers false when it gave the focus itself. `valid`, when given,
// runs whenever the dialog is about to close and may keep it open (false). Answers nResult as
// a number (0 when none).
int RunDialog(const ui::DialogRef& dialog, std::function<bool()> init = {}, std::function<bool()> valid = {});

}  // namespace svc
