#include "ui/controls/tqzbrowse.h"

#include <algorithm>
#include <tuple>
#include <utility>

#include "runtime/function_table.h"
#include "ui/bridge/device_context.h"
#include "ui/controls/area_scope.h"
#include "ui/controls/cell_paint.h"
#include "ui/controls/tbitmap.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/tccolumn.h"
#include "ui/controls/tscrollbar.h"
#include "ui/core/msg_box.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

Value Call(const char* name, std::initializer_list<Value> args = {}) { return xb::CallFunction(name, args); }

Value Never() { return Value(xb::Block::Native([](Args&) { return Value::Logical(false); })); }

// The default dialog font: CFONTNAME, NFONTVSIZE wide and NFONTHSIZE high.
xb::Ref<TFont> DialogFont() {
  TFont::Spec spec;
  spec.face = xb::IsFunctionRegistered("CFONTNAME") ? std::string(Call("CFONTNAME").AsString()) : "MS Sans Serif";
  spec.width = xb::IsFunctionRegistered("NFONTVSIZE") ? static_cast<int>(Call("NFONTVSIZE").AsInt()) : 0;
  spec.height = xb::IsFunctionRegistered("NFONTHSIZE") ? static_cast<int>(Call("NFONTHSIZE").AsInt()) : -12;
  return TFont::New(spec);
}

}  // namespace

TQZBrowse::TQZBrowse() : TQZBrowse(Cls()) {}
TQZBrowse::TQZBrowse(const xb::Class& cls) : TCBrowse(cls) {
  editor_look_ = EditorLook{"Si", "No", "Editar: ", true};
}

TQZBrowse& TQZBrowse::New(const NewParams& params, bool cell_brw) {
  NewParams p = params;
  p.h_line = 0;  // compact rows
  TCBrowse::New(p, cell_brw);
  nHLine = 0;
  return *this;
}

TQZBrowse& TQZBrowse::ReDefine(int id, const RedefineParams& params, bool cell_brw) {
  RedefineParams p = params;
  p.h_line = 0;
  TCBrowse::ReDefine(id, p, cell_brw);
  nHLine = 0;
  return *this;
}

COLORREF TQZBrowse::LitFore(int col) const {
  return nFreeze > 0 && col == nFreeze ? RGB(255, 255, 255) : nClrForeFocus;
}

bool TQZBrowse::Editable(int col) {
  TCColumn* column = Col(col);
  if (column == nullptr || !column->lEdit || bLDblClick.IsBlock()) return false;
  return !column->bWhen.IsBlock() || column->bWhen.AsBlock().Eval({Self()}).AsLogical();
}

void TQZBrowse::GoLeft() {
  if (!lCellBrw) {
    TCBrowse::GoLeft();
    return;
  }
  if (nCell > nFreeze + 1) {
    --nCell;
    if (nCell < FixColPos() && nColPos > nFreeze + 1) {
      --nColPos;
      Refresh(false);
    }
    if (oHBar) oHBar->GoUp();
  }
  HiliteCell(nCell);
  DrawSelect();
  RunChange();
}

void TQZBrowse::GoRight() {
  TCBrowse::GoRight();
  if (lCellBrw) RunChange();
}

Answer TQZBrowse::KeyDown(int key, LPARAM flags) {
  if (key == VK_RETURN) {
    if (lCellBrw && Editable(nCell)) {
      from_enter_ = true;
      EditCell(nCell);
      from_enter_ = false;
    }
    return Answer::Number(0);
  }
  TCBrowse::KeyDown(key, flags);
  return Answer::Number(0);
}

Answer TQZBrowse::KeyChar(int key, LPARAM flags) {
  if (key != VK_RETURN && bKeyChar.IsBlock())
    bKeyChar.AsBlock().Eval({Value::Integer(key), Value::Integer(flags), Self()});
  return TCBrowse::KeyChar(key, flags);
}

Answer TQZBrowse::LDblClick(int row, int col, WPARAM keys) {
  if (lIconView) return TWBrowse::LDblClick(row, col, keys);
  const int clicked = NTcWRow(hWnd, row, oFont ? oFont->hFont : nullptr, nHLine);
  if (clicked == 0) {
    SetOrder(nAtCol(col));
    return Answer::Number(0);
  }
  if (clicked == nRowPos && LogicLen() > 0) {
    const int at = nAtCol(col);
    if (Editable(at)) {
      EditCell(at);
      return Answer::Number(0);
    }
  }
  if (bLDblClick.IsBlock()) bLDblClick.AsBlock().Eval({Value::Integer(row), Value::Integer(col), Value::Integer(keys), Self()});
  return Answer::Number(0);
}

void TQZBrowse::EditCell(int col) {
  TCColumn* column = Col(col);
  if (column == nullptr || LogicLen() < 1) return;
  if (column->bPrevEdit.IsBlock()) column->bPrevEdit.AsBlock().Eval({Self()});
  const bool table = !IsArray() && !IsDbfObject();
  Value value;
  {
    AreaScope in(table ? cAlias : std::string());
    value = column->CellValue();
  }
  if (lEditCol(col, value, column->Picture(), column->bValid, nEClrFore, nEClrBack, column->cMsg, column->cError)) {
    if (table) {
      AreaScope in(cAlias);
      if (Call("RLOCK").AsLogical()) {
        column->StoreValue(value);
        Call("DBUNLOCK");
        if (column->bPostEdit.IsBlock()) column->bPostEdit.AsBlock().Eval({Self()});
        MoveAfterEdit(column->nEditMove);
      } else {
        MsgStop(Value::String("Registro en uso"), "Reintente");
      }
    } else {
      column->StoreValue(value);
      if (from_enter_) {
        if (column->bPostEdit.IsBlock()) column->bPostEdit.AsBlock().Eval({Self()});
        MoveAfterEdit(column->nEditMove);
      }
    }
  }
  DrawSelect();
}

bool TQZBrowse::lEditLine(xb::Array gets, const Value& make_controls1, const Value& make_controls2,
                          const Value& valid, const Value& end) {
  if (hWnd == nullptr || LogicLen() < 1 || !gets) return false;
  const std::vector<Span> spans = Walk();
  if (spans.empty()) return false;
  const int room = GetClientRect(hWnd).Width();
  const int width = std::min(room, spans.back().width < 0 ? room : spans.back().x + spans.back().width);
  const Rect row = ATcBrwPosRect(hWnd, nRowPos, 0, width, oFont ? oFont->hFont : nullptr, nHLine);

  auto dialog = xb::MakeRef<TDialog>();
  TDialog::NewParams d;
  d.pixel = true;
  d.style = WS_POPUP | WS_VISIBLE;
  d.bottom = row.Height() - 1;
  d.right = row.Width() - 1;
  d.parent = oWnd ? oWnd : WindowRef(this);
  d.clr_text = TextColourNow();
  d.clr_pane = PaneColourNow();
  const xb::Ref<TFont> font = DialogFont();
  d.font = font;
  dialog->New(d);
  TDialog* box = dialog.get();

  for (const Value& make : {make_controls1, make_controls2})
    if (make.IsBlock()) make.AsBlock().Eval({dialog->Self(), Value(gets), Self()});
  std::vector<TControl*> controls;
  for (std::size_t i = 0; i < gets.size(); ++i) {
    auto* control = dynamic_cast<TControl*>(gets.Get(i).AsObject().get());
    controls.push_back(control);
    TCColumn* column = Col(static_cast<int>(i) + 1);
    if (control != nullptr && (column == nullptr || !column->lEdit)) control->bWhen = Never();
  }

  // A column with a lookup (bChange) gets a "Lupa" button, shown at its cell's right end
  // while its control has the focus.
  std::vector<TBitmap*> lookups(controls.size(), nullptr);
  std::vector<xb::Ref<TBitmap>> kept;
  std::vector<std::pair<Value, Value>> focus_blocks(controls.size());  // the caller's, put back after
  for (std::size_t i = 0; i < controls.size(); ++i) {
    TCColumn* column = Col(static_cast<int>(i) + 1);
    TControl* control = controls[i];
    if (control == nullptr || column == nullptr || !column->bChange.IsBlock()) continue;
    xb::Ref<TBitmap> button = LookupButton(dialog, row.Height(), column->bChange, control);
    if (button->hWnd != nullptr) ::ShowWindow(button->hWnd, SW_HIDE);
    TBitmap* shown = button.get();
    lookups[i] = shown;
    kept.push_back(button);
    const Value got = control->bGotFocus, lost = control->bLostFocus;
    focus_blocks[i] = {got, lost};
    control->bGotFocus = Value(xb::Block::Native([got, shown](Args& a) {
      if (shown->hWnd != nullptr) ::ShowWindow(shown->hWnd, SW_SHOWNA);
      return got.IsBlock() ? xb::EvalValue(got, a.Raw()) : Value();
    }));
    control->bLostFocus = Value(xb::Block::Native([lost, shown](Args& a) {
      if (shown->hWnd != nullptr) ::ShowWindow(shown->hWnd, SW_HIDE);
      return lost.IsBlock() ? xb::EvalValue(lost, a.Raw()) : Value();
    }));
  }

  bool accepted = false;
  // LCHKVALID: every editable control's valid block, then the caller's.
  auto check = [controls, valid, box, &accepted, this]() {
    for (std::size_t i = 0; i < controls.size(); ++i) {
      TControl* control = controls[i];
      TCColumn* column = Col(static_cast<int>(i) + 1);
      if (control == nullptr || column == nullptr || !column->lEdit) continue;
      if (!control->lValid()) {
        control->SetFocus();
        return;
      }
    }
    if (valid.IsBlock() && !valid.AsBlock().Eval({Self()}).AsLogical()) return;
    accepted = true;
    box->End(IDOK);
  };
  auto ok = xb::MakeRef<TButton>();
  TButton::NewParams b;
  b.pixel = true;
  b.caption = "&A";
  b.width = 20;
  b.height = row.Height();
  b.parent = dialog;
  b.action = Value(xb::Block::Native([check](Args&) {
    check();
    return Value();
  }));
  ok->New(b);

  // SETNEWPOS: each control over its column, "&A" after the last.
  std::vector<Span> laid = spans;
  TDialog::ActivateParams a;
  a.valid = end;
  a.init = Value(xb::Block::Native([box, controls, lookups, laid, row, room, button = ok.get()](Args&) {
    int right = 0;
    const int h = row.Height();
    for (const Span& s : laid) {
      const int w = s.width < 0 ? room - s.x : s.width;
      right = std::max(right, s.x + w);
      const std::size_t i = static_cast<std::size_t>(s.col) - 1;
      if (i >= controls.size() || controls[i] == nullptr || controls[i]->hWnd == nullptr) continue;
      const bool lookup = lookups[i] != nullptr && lookups[i]->hWnd != nullptr;
      ::SetWindowPos(controls[i]->hWnd, nullptr, s.x + 1, 0, std::max(w - 2 - (lookup ? h : 0), 1), h, SWP_NOZORDER);
      if (lookup) ::SetWindowPos(lookups[i]->hWnd, HWND_TOP, s.x + w - 1 - h, 0, h, h, SWP_NOACTIVATE);
    }
    const int total = std::min(right + 22, room);
    ::SetWindowPos(button->hWnd, nullptr, total - 21, 0, 20, row.Height(), SWP_NOZORDER);
    ::SetWindowPos(box->hWnd, HWND_TOP, row.left, row.top, total, row.Height(), SWP_SHOWWINDOW);
    return Value();
  }));
  dialog->Activate(a);
  font->End();
  for (std::size_t i = 0; i < controls.size(); ++i)
    if (lookups[i] != nullptr) std::tie(controls[i]->bGotFocus, controls[i]->bLostFocus) = focus_blocks[i];
  ::SetFocus(hWnd);
  DrawSelect();
  return accepted;
}

// ---- the runtime class --------------------------------------------------------------------------------

const xb::Class& TQZBrowse::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TQZBROWSE", &TCBrowse::Cls());
    // TCBrowse's constructors, then the compact rows.
    for (const char* name : {"NEW", "REDEFINE"}) {
      const xb::MethodEntry* parent = TCBrowse::Cls().Lookup(xb::Intern(name));
      c.Method(name, [parent](Object& o, Args& a) {
        const Value self = parent->fn(o, a);
        xb::Class::Cast<TQZBrowse>(o).nHLine = 0;
        return self;
      });
    }
    c.Method("LEDITLINE", [](Object& o, Args& a) {
      // lEditLine(aGets, bMakeControls1, bMakeControls2, bValid, bEnd)
      return Value::Logical(xb::Class::Cast<TQZBrowse>(o).lEditLine(a.Arr(1), a.Arg(2), a.Arg(3), a.Arg(4), a.Arg(5)));
    });
    return c;
  }();
  return cls;
}

void RegisterQZBrowse() {
  static bool done = false;
  if (done) return;
  done = true;
  (void)TQZBrowse::Cls();
  xb::RegisterFunction("TQZBROWSE", [](Args&) { return Value(xb::MakeRef<TQZBrowse>()); });
}

}  // namespace ui
