// Modal and modeless dialog boxes, from a template of the resource module (by name or
// number) or from one built in memory (dialog_templates.h), and the two dialog procedures
// that deliver their messages to the dialog objects.
//
// The xBase functions DIALOGBOX, DIALOGBOXINDIRECT, CREATEDLG and CREATEDLGINDIRECT are
// ModalDialog, ModalDialogIndirect, ModelessDialog and ModelessDialogIndirect here.
//
// Modal dialogs nest. Each one running holds an entry of a creation stack of 50, bound to
// its window on the first message its procedure receives, so nested dialogs find their
// objects innermost first; a 51st dialog runs without an entry and its procedure answers
// FALSE to everything. A modeless dialog's object is known to its procedure while the
// creation call runs (WM_INITDIALOG among its messages); afterwards the dialog class
// subclasses the window and its messages arrive through the window dispatch instead.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "runtime/object.h"
#include "ui/bridge/answer.h"

namespace ui {

inline constexpr int kMaxModalDialogs = 50;

// Delivers one message to a dialog object: `lparam` is the dialog's handle for
// WM_INITDIALOG, the message's own otherwise. An object that is not a dialog, or a dialog
// that receives its messages otherwise, answers nothing (the procedure returns FALSE).
using DialogDispatcher = Answer (*)(xb::Object& dialog, bool modal, UINT message, WPARAM wparam, LPARAM lparam);
void SetDialogDispatcher(DialogDispatcher dispatcher);

// A template of the resource module: a name, or a number when `number` is not 0.
struct DialogName {
  std::string name{};
  int number = 0;
  LPCSTR Resource() const { return number != 0 ? MAKEINTRESOURCEA(number) : name.c_str(); }
};

// The bytes of a dialog template of the module; empty when it has none of that name.
std::string ResourceDialogTemplate(HINSTANCE instance, const DialogName& name);

// Runs a modal dialog with `dialog` as its object; the dialog's result as an unsigned
// 16-bit number (65535 when Windows could not create it).
int ModalDialog(HINSTANCE instance, const DialogName& name, HWND owner, const xb::ObjectRef& dialog);
// The same over a template built in memory; 0 at once for an empty template, 65535 (as for
// a dialog Windows could not create) for one that is not whole.
int ModalDialogIndirect(HINSTANCE instance, std::string_view dialog_template, HWND owner,
                        const xb::ObjectRef& dialog);

// Creates a modeless dialog; its window, nullptr when it could not be created (or the
// template is empty or not whole).
HWND ModelessDialog(HINSTANCE instance, const DialogName& name, HWND owner, const xb::ObjectRef& dialog);
HWND ModelessDialogIndirect(HINSTANCE instance, std::string_view dialog_template, HWND owner,
                            const xb::ObjectRef& dialog);

// ENDDIALOG: ends a modal dialog with the result cut to 16 bits.
void EndDialogResult(HWND dialog, int result);

// Creation-stack entries in use (modal dialogs running with an object).
int ModalDialogDepth();

// The procedures themselves (exposed for tests).
INT_PTR CALLBACK ModalDialogProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK ModelessDialogProcedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace ui
