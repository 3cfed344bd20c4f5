#include "ui/controls/memo_edit.h"

#include "runtime/block.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/tmultiget.h"
#include "ui/core/help.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"

namespace ui {
namespace {

xb::Value Action(std::function<void()> fn) {
  return xb::Value(xb::Block::Native([fn = std::move(fn)](xb::Args&) {
    fn();
    return xb::Value();
  }));
}

}  // namespace

bool MemoEdit(std::string& text, const MemoEditParams& p) {
  TFont::Spec spec;
  spec.face = "Ms Sans Serif";
  spec.width = 0;
  spec.height = -8;  // TFont makes it -12, the smallest it draws
  xb::Ref<TFont> font = TFont::New(spec);

  auto dialog = xb::MakeRef<TDialog>();
  TDialog::NewParams dp;
  dp.top = static_cast<int>(p.top * 15.1);
  dp.left = static_cast<int>(p.left * 7.9);
  dp.bottom = static_cast<int>(p.bottom * 15.1);
  dp.right = static_cast<int>(p.right * 7.9);
  dp.pixel = true;
  dp.caption = p.title;
  dp.font = font;
  dialog->New(dp);

  const SetGet work = SetGet::Of(xb::Value::String(text));
  auto edit = xb::MakeRef<TMultiGet>();
  TMultiGet::NewParams ep;
  ep.row = 4;
  ep.col = 3;
  ep.set_get = work.block;
  ep.parent = dialog;
  ep.width = 100;
  ep.height = 100;
  ep.pixel = true;
  edit->New(ep);

  bool confirmed = false;
  auto button = [&](int col, const char* caption, std::function<void()> action) {
    auto b = xb::MakeRef<TButton>();
    TButton::NewParams bp;
    bp.row = 78;
    bp.col = col;
    bp.caption = caption;
    bp.parent = dialog;
    bp.action = Action(std::move(action));
    bp.width = 36;
    bp.height = 13;
    bp.pixel = true;
    b->New(bp);
    return b;
  };
  TDialog* dlg = dialog.get();
  TMultiGet* field = edit.get();
  auto ok = button(90, "&Ok", [&confirmed, &text, work, dlg, field] {
    field->Assign();  // the text typed last, whether or not the focus left the field
    const xb::Value edited = work.Get();
    text = edited.IsString() ? std::string(edited.AsString()) : std::string();
    confirmed = true;
    dlg->End(IDOK);
  });
  auto cancel = button(134, "&Cancel", [dlg] { dlg->End(); });
  auto help = button(176, "&Help", [] { HelpTopic(); });

  TDialog::ActivateParams ap;
  ap.centered = false;
  ap.modal = true;
  ap.init = xb::Value(xb::Block::Native([dlg, field, ok, cancel, help](xb::Args&) {
    const int w = dlg->nWidth();
    const int h = dlg->nHeight();
    field->SetSize(w - 17, h - 69);
    ok->Move(h - 57, w - 250);
    cancel->Move(h - 57, w - 167);
    help->Move(h - 57, w - 84);
    return xb::Value();
  }));
  dialog->Activate(ap);
  font->End();
  return confirmed;
}

}  // namespace ui
