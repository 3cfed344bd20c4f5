#include "data/win/data_dialogs.h"

#include <windows.h>

#include "data/program_settings.h"
#include "runtime/block.h"
#include "ui/core/plain_control.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"

namespace data {
namespace {

constexpr COLORREF kRed = 128;
constexpr COLORREF kDarkBlue = 8388608;

// A dialog of the resource library in the default dialog font.
ui::DialogRef Dialog(xb::Value resource, int help_id = 0) {
  ui::TFont::Spec spec;
  spec.face = std::string(cFontName());
  spec.width = nFontVSize();
  spec.height = nFontHSize();
  ui::TDialog::NewParams params;
  params.resource = std::move(resource);
  params.font = ui::TFont::New(spec);
  params.help_id = help_id;
  auto dialog = xb::MakeRef<ui::TDialog>();
  dialog->New(params);
  return dialog;
}

// A label of the dialog's resource showing `text` in `colour`.
void Label(const ui::DialogRef& dialog, int id, const std::string& text, COLORREF colour) {
  auto label = xb::MakeRef<ui::PlainControl>();
  label->Redefine(id, dialog);
  label->cCaption = text;
  label->nClrText = colour;
  label->nClrPane = dialog->nClrPane;
}

// A button of the dialog's resource that ends it with its own identifier.
void Button(const ui::DialogRef& dialog, int id) {
  auto button = xb::MakeRef<ui::PlainControl>();
  button->Redefine(id, dialog);
  ui::TDialog* d = dialog.get();  // the dialog outlives its modal run; no cycle through the callback
  button->on_click = [d, id] { d->End(id); };
}

// The help button: the dialog's help topic, as the F1 key gives it.
void HelpButton(const ui::DialogRef& dialog, int id) {
  auto button = xb::MakeRef<ui::PlainControl>();
  button->Redefine(id, dialog);
  ui::TDialog* d = dialog.get();
  button->on_click = [d] { d->HelpTopic(); };
}

// Runs the dialog modally; the identifier of the button that ended it, 0 when none did.
int Run(const ui::DialogRef& dialog) {
  ui::TDialog* d = dialog.get();
  // The labels' texts, once their windows exist.
  const xb::Value init(xb::Block::Native([d](xb::Args&) {
    for (const ui::WindowRef& control : d->aControls)
      if (control->hWnd && !control->cCaption.empty()) SetWindowTextA(control->hWnd, control->cCaption.c_str());
    return xb::Value();
  }));
  ui::TDialog::ActivateParams params;
  params.centered = true;
  params.init = init;
  dialog->Activate(params);
  return dialog->nResult.IsNumber() ? static_cast<int>(dialog->nResult.AsInt()) : 0;
}

}  // namespace

bool ShowLockQuestion(const std::vector<std::string>& texts) {
  const ui::DialogRef dialog = Dialog(xb::Value::Integer(20048));
  const int ids[] = {100, 110, 120};
  for (std::size_t i = 0; i < 3; ++i) Label(dialog, ids[i], i < texts.size() ? texts[i] : std::string(), kRed);
  Button(dialog, 555);
  Button(dialog, 556);
  return Run(dialog) != 555;
}

bool ShowDeleteQuestion(bool touch_screen) {
  const ui::DialogRef dialog = Dialog(xb::Value::String(touch_screen ? "ELIMINAR_T" : "ELIMINAR"), 999100000);
  Label(dialog, 100, "Esta opción elimina el registro activo", kDarkBlue);
  Label(dialog, 101, "Si confirma se perderá definitivamente", kDarkBlue);
  Label(dialog, 102, "¿ Desea eliminar el registro activo ? ", kRed);
  Label(dialog, 103, "Ejecute la organización de ficheros cuando disponga de tiempo", kDarkBlue);
  Button(dialog, 552);
  Button(dialog, 553);
  HelpButton(dialog, 540);
  return Run(dialog) == 552;
}

}  // namespace data
