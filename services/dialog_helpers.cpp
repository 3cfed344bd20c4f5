#include "services/dialog_helpers.h"

#include "data/program_settings.h"
#include "runtime/block.h"
#include "ui/bridge/resources.h"
#include "ui/controls/tbutton.h"
#include "ui/core/plain_control.h"
#include "ui/core/tfont.h"

namespace svc {

using xb::Value;

xb::Ref<ui::TFont> DefaultDialogFont() {
  ui::TFont::Spec spec;
  spec.face = std::string(data::cFontName());
  spec.width = data::nFontVSize();
  spec.height = data::nFontHSize();
  return ui::TFont::New(spec);
}

ui::DialogRef ResourceDialog(const Value& resource, std::optional<std::string> caption, int help_id,
                             ui::WindowRef parent) {
  ui::TDialog::NewParams params;
  params.resource = resource;
  params.caption = std::move(caption);
  params.font = DefaultDialogFont();
  params.help_id = help_id;
  params.parent = std::move(parent);
  auto dialog = xb::MakeRef<ui::TDialog>();
  dialog->New(params);
  return dialog;
}

Value Action(std::function<void()> action) {
  return Value(xb::Block::Native([action = std::move(action)](xb::Args&) {
    action();
    return Value();
  }));
}

xb::Ref<ui::TButton> Button(const ui::DialogRef& dialog, int id, std::function<void()> action) {
  auto button = xb::MakeRef<ui::TButton>();
  button->ReDefine({.id = id, .action = Action(std::move(action)), .parent = dialog});
  return button;
}

namespace {

// A label of a resource: its text goes in whenever its window is bound (a folder's pages are
// bound with the folder, not by the dialog that runs them).
class LabelControl final : public ui::PlainControl {
 public:
  void Initiate(HWND dialog) override {
    PlainControl::Initiate(dialog);
    if (hWnd != nullptr && !cCaption.empty()) ::SetWindowTextA(hWnd, cCaption.c_str());
  }
};

}  // namespace

xb::Ref<ui::PlainControl> Label(const ui::DialogRef& dialog, int id, const std::string& text,
                                std::optional<COLORREF> colour) {
  auto label = xb::MakeRef<LabelControl>();
  label->Redefine(id, dialog);
  label->cCaption = text;
  if (colour) {
    label->nClrText = *colour;
    label->nClrPane = dialog->nClrPane;
  }
  return label;
}

namespace {

// A picture of the resource library in a static control of the dialog.
class PictureControl final : public ui::PlainControl {
 public:
  explicit PictureControl(std::string name) : name_(std::move(name)) {}
  void Initiate(HWND dialog) override {
    PlainControl::Initiate(dialog);
    if (hWnd == nullptr) return;
    bitmap_ = static_cast<HBITMAP>(::LoadImageA(ui::GetResources(), name_.c_str(), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    if (bitmap_ != nullptr) ::SendMessageA(hWnd, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_));
  }
  ui::Answer Destroy() override {
    const ui::Answer answer = PlainControl::Destroy();
    if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
    bitmap_ = nullptr;
    return answer;
  }

 private:
  std::string name_;
  HBITMAP bitmap_ = nullptr;
};

}  // namespace

void Picture(const ui::DialogRef& dialog, int id, const std::string& name) {
  auto picture = xb::MakeRef<PictureControl>(name);
  picture->Redefine(id, dialog);
}

int RunDialog(const ui::DialogRef& dialog, std::function<bool()> init, std::function<bool()> valid) {
  const Value on_init(xb::Block::Native([&init](xb::Args&) { return Value::Logical(init ? init() : true); }));
  ui::TDialog::ActivateParams params;
  params.centered = true;
  params.init = on_init;
  if (valid)
    params.valid = Value(xb::Block::Native([&valid](xb::Args&) { return Value::Logical(valid()); }));
  dialog->Activate(params);
  return dialog->nResult.IsNumber() ? static_cast<int>(dialog->nResult.AsInt()) : 0;
}

}  // namespace svc
