#include "ui/controls/header_lookup.h"

#include <algorithm>
#include <utility>

#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/get.h"
#include "runtime/lib/strings.h"
#include "ui/controls/area_scope.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/tget.h"
#include "ui/controls/tradmenu.h"
#include "ui/controls/tsay.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"

namespace ui {
namespace {

using xb::Value;

constexpr int kDialog = 20008;
constexpr int kLabel = 99;
constexpr int kEdit = 100;
constexpr int kBrowse = 200;
constexpr int kChoose = 400;
constexpr int kCancel = 401;
constexpr int kCodeOrder = 1;
constexpr int kCodeWidth = 3;
constexpr int kDescriptionWidth = 100;
constexpr const char* kNothing = "   ";

bool Is(const char* name) { return xb::IsFunctionRegistered(name); }
Value Call(const char* name, std::initializer_list<Value> args = {}) { return xb::CallFunction(name, args); }

// The area's record and order (ASETSTATUS), and back (GETSTATUS).
Value SaveStatus(const std::string& alias) {
  AreaScope in(alias);
  if (Is("ASETSTATUS")) return Call("ASETSTATUS", {Value::String(alias)});
  return Value(xb::Array::Of({Call("RECNO"), Call("INDEXORD")}));
}

void RestoreStatus(const std::string& alias, const Value& status) {
  AreaScope in(alias);
  if (Is("GETSTATUS")) {
    Call("GETSTATUS", {Value::String(alias), status});
    return;
  }
  const xb::Array pair = status.AsArray();
  Call("ORDSETFOCUS", {pair.Get(1)});
  Call("DBGOTO", {pair.Get(0)});
}

// The description of a code (AGETFIELD's second element).
std::string Description(const std::string& code, const std::string& alias) {
  if (code.find_first_not_of(' ') == std::string::npos) return {};
  if (Is("AGETFIELD")) {
    const Value found = Call("AGETFIELD", {Value::String(code), Value::Integer(1), Value::String(alias)});
    if (found.IsArray() && found.AsArray().size() >= 2) return std::string(xb::RTrim(found.AsArray().Get(1).AsString()));
    return {};
  }
  const Value status = SaveStatus(alias);
  std::string text;
  {
    AreaScope in(alias);
    Call("ORDSETFOCUS", {Value::Integer(kCodeOrder)});
    if (Call("DBSEEK", {Value::String(code)}).AsLogical())
      text = std::string(xb::RTrim(Call("FIELDGET", {Call("FIELDPOS", {Value::String("DESCRIP")})}).AsString()));
  }
  RestoreStatus(alias, status);
  return text;
}

int Width(int order) { return order == kCodeOrder ? kCodeWidth : kDescriptionWidth; }
const char* LabelText(int order) { return order == kCodeOrder ? "Código" : "Descripción"; }

COLORREF Colour(const char* name, COLORREF fallback) {
  return Is(name) ? static_cast<COLORREF>(Call(name).AsInt()) : fallback;
}

}  // namespace

bool ChgGet(const std::string& alias, int order, TGet* field, TSay* label, TWBrowse* browse) {
  {
    AreaScope in(alias);
    Call("ORDSETFOCUS", {Value::Integer(order)});
  }
  if (field != nullptr) {
    field->cPicture = std::string(static_cast<std::size_t>(Width(order)), 'X');
    field->oGet->SetPicture(field->cPicture);
    field->SetText(Value::String(std::string(static_cast<std::size_t>(Width(order)), ' ')));
    field->oGet->SetPos(1);
    field->EditUpdate();
  }
  if (label != nullptr) label->SetText(Value::String(LabelText(order)));
  if (browse != nullptr) {
    browse->UpStable();
    browse->Refresh();
  }
  return true;
}

bool LKeyPush(int key, TGet* field, const std::string& alias, TWBrowse* browse, TSay* label, int order) {
  if (key <= 31 || field == nullptr) return true;
  if (key > 255) return false;
  const int width = Width(order);
  const std::string buffer = field->oGet->Buffer();
  const int caret = std::max(1, field->oGet->Pos());
  std::string text = buffer.substr(0, std::min<std::size_t>(buffer.size(), static_cast<std::size_t>(caret - 1)));
  if (static_cast<int>(text.size()) >= width) return false;
  text.push_back(static_cast<char>(key));

  const Value status = SaveStatus(alias);
  bool found = false;
  {
    AreaScope in(alias);
    Call("ORDSETFOCUS", {Value::Integer(order)});
    if (text.size() == 1) {
      field->cPicture = std::string(static_cast<std::size_t>(width), 'X');
      field->oGet->SetPicture(field->cPicture);
      if (label != nullptr) label->SetText(Value::String(LabelText(order)));
    }
    found = Call("DBSEEK", {Value::String(xb::Upper(xb::CurrentCodePage(), text))}).AsLogical();
  }
  if (found) {
    if (browse != nullptr) {
      browse->UpStable();
      browse->Refresh();
    }
    field->SetText(Value::String(xb::PadR(text, static_cast<std::size_t>(width))));
    field->oGet->SetPos(static_cast<int>(text.size()) + 1);
    field->nPos = static_cast<int>(text.size()) + 1;
    field->EditUpdate();
  } else {
    // Nothing starts so: the table stays where it was and the key is dropped, silently.
    RestoreStatus(alias, status);
  }
  return false;
}

std::string UFind(const std::string& alias) {
  const Value status = SaveStatus(alias);
  {
    AreaScope in(alias);
    Call("ORDSETFOCUS", {Value::Integer(kCodeOrder)});
  }
  auto dialog = xb::MakeRef<TDialog>();
  TFont::Spec font;
  font.face = Is("CFONTNAME") ? std::string(Call("CFONTNAME").AsString()) : "MS Sans Serif";
  font.width = Is("NFONTVSIZE") ? static_cast<int>(Call("NFONTVSIZE").AsInt()) : 0;
  font.height = Is("NFONTHSIZE") ? static_cast<int>(Call("NFONTHSIZE").AsInt()) : -8;
  TDialog::NewParams p;
  p.resource = Value::Integer(kDialog);
  p.caption = " Localización de modelo de cabecera";
  const xb::Ref<TFont> look = TFont::New(font);
  p.font = look;
  dialog->New(p);

  std::string chosen = kNothing;
  TDialog* box = dialog.get();
  bool done = false;
  auto choose = [&chosen, &done, box, alias]() {
    if (std::exchange(done, true)) return;
    {
      AreaScope in(alias);
      if (!Call("EOF").AsLogical())
        chosen = std::string(Call("FIELDGET", {Call("FIELDPOS", {Value::String("COD")})}).AsString());
    }
    box->End();
  };

  auto label = xb::MakeRef<TSay>();
  label->ReDefine({.id = kLabel, .parent = dialog, .clr_text = Colour("NCLRSAY", ::GetSysColor(COLOR_BTNTEXT))});

  const SetGet order = SetGet::Of(Value::Integer(kCodeOrder));
  const SetGet text = SetGet::Of(Value::String(kNothing));
  auto browse = xb::MakeRef<TWBrowse>();
  auto field = xb::MakeRef<TGet>();
  TGet* edit = field.get();
  TSay* say = label.get();
  TWBrowse* models = browse.get();
  field->ReDefine(kEdit, {.set_get = text.block,
                          .parent = dialog,
                          .picture = std::string(kCodeWidth, 'X'),
                          .fore = Colour("NCLRENA1", ::GetSysColor(COLOR_WINDOWTEXT)),
                          .back = Colour("NCLRENA2", ::GetSysColor(COLOR_WINDOW)),
                          .change = Value(xb::Block::Native([edit, say, models, alias, order](xb::Args& a) {
                            return Value::Logical(LKeyPush(static_cast<int>(a.Int(1)), edit, alias, models, say,
                                                           static_cast<int>(order.Get().AsInt())));
                          }))});

  auto options = xb::MakeRef<TRadMenu>();
  options->ReDefine({.set_get = order.block,
                     .parent = dialog,
                     .ids = {102, 103},
                     .change = Value(xb::Block::Native([edit, say, models, alias, order](xb::Args&) {
                       return Value::Logical(ChgGet(alias, static_cast<int>(order.Get().AsInt()), edit, say, models));
                     }))});

  auto field_of = [alias](const char* name) {
    return Value(xb::Block::Native([alias, name](xb::Args&) {
      AreaScope in(alias);
      return Call("FIELDGET", {Call("FIELDPOS", {Value::String(name)})});
    }));
  };
  TWBrowse::RedefineParams b;
  const Value cod = field_of("COD"), descrip = field_of("DESCRIP");
  b.line = Value(xb::Block::Native([cod, descrip](xb::Args&) {
    return Value(xb::Array::Of({cod.AsBlock().Eval(), descrip.AsBlock().Eval()}));
  }));
  b.parent = dialog;
  b.headers = Value(xb::Array::Of({Value::String("Código"), Value::String("Descripción")}));
  b.col_sizes = Value(xb::Array::Of({Value::Integer(90), Value::Integer(350)}));
  b.alias = alias;
  b.dbl_click = Value(xb::Block::Native([choose](xb::Args&) {
    choose();
    return Value();
  }));
  b.fore = 0;
  b.back = Is("LCOLORBRW") && Call("LCOLORBRW").AsLogical() ? ::GetSysColor(COLOR_BTNFACE) : ::GetSysColor(COLOR_WINDOW);
  browse->ReDefine(kBrowse, b);
  // The user's line style; black on the button face or on the window colour, no stripes.
  if (Is("NLINESTYLE")) browse->nLineStyle = static_cast<int>(Call("NLINESTYLE").AsInt());
  browse->lAlterClr = false;
  browse->nxClrText = 0;
  browse->nXClrPane = b.back;
  browse->SetColor(0, b.back);
  // Enter in the browse chooses, before any default button of the dialog.
  browse->bKeyDown = Value(xb::Block::Native([choose](xb::Args& a) {
    if (a.Int(1) == VK_RETURN) choose();
    return Value();
  }));

  auto accept = xb::MakeRef<TButton>();
  accept->ReDefine({.id = kChoose, .action = Value(xb::Block::Native([choose](xb::Args&) {
                      choose();
                      return Value();
                    })),
                    .parent = dialog});
  auto cancel = xb::MakeRef<TButton>();
  cancel->ReDefine({.id = kCancel, .action = Value(xb::Block::Native([box](xb::Args&) { return Value::Logical(box->End()); })),
                    .parent = dialog,
                    .cancel = true});

  TDialog::ActivateParams a;
  a.centered = true;
  a.init = Value(xb::Block::Native([edit](xb::Args&) {
    edit->SetFocus();
    return Value::Logical(false);
  }));
  dialog->Activate(a);
  look->End();  // the dialog held its own use
  RestoreStatus(alias, status);
  return chosen;
}

bool UFindCabeza(int key, TGet* field, TSay* label, const std::string& alias) {
  if (key != 43) return true;
  if (field != nullptr) {
    field->SetFocus();
    const Value current = field->VarValue();
    const std::string code(xb::RTrim(current.IsString() ? current.AsString() : std::string_view()));
    AreaScope in(alias);
    if (!Call("DBSEEK", {Value::String(code)}).AsLogical()) Call("DBGOTOP");
  }
  const std::string code = UFind(alias);
  if (field != nullptr) {
    field->oGet->VarPut(Value::String(code));
    field->Refresh();
  }
  if (label != nullptr) {
    const std::string description = Description(code, alias);
    label->bGet = Value(xb::Block::Native([description](xb::Args&) { return Value::String(description); }));
    label->Refresh();
  }
  if (field != nullptr) field->SetFocus();
  return false;
}

void RegisterHeaderLookup() {
  using xb::Args;
  auto get = [](const Args& a, int n) { return dynamic_cast<TGet*>(a.Obj(n).get()); };
  auto say = [](const Args& a, int n) { return dynamic_cast<TSay*>(a.Obj(n).get()); };
  auto brw = [](const Args& a, int n) { return dynamic_cast<TWBrowse*>(a.Obj(n).get()); };
  // UFINDCABEZA(nKey, uUnused, oGet, oSay, cAlias)
  xb::RegisterFunction("UFINDCABEZA", [get, say](Args& a) {
    return Value::Logical(UFindCabeza(static_cast<int>(a.Int(1)), get(a, 3), say(a, 4), std::string(a.Str(5))));
  });
  xb::RegisterFunction("UFIND", [](Args& a) { return Value::String(UFind(std::string(a.Str(1)))); });
  // CHGGET(cAlias, nOrder, oGet, oSay, oBrw)
  xb::RegisterFunction("CHGGET", [get, say, brw](Args& a) {
    return Value::Logical(ChgGet(std::string(a.Str(1)), static_cast<int>(a.Int(2)), get(a, 3), say(a, 4), brw(a, 5)));
  });
  // LKEYPUSH(nKey, nFlags, oGet, cAlias, oBrw, oSay, nOrder)
  xb::RegisterFunction("LKEYPUSH", [get, say, brw](Args& a) {
    return Value::Logical(LKeyPush(static_cast<int>(a.Int(1)), get(a, 3), std::string(a.Str(4)), brw(a, 5), say(a, 6),
                                   a.IsNil(7) ? kCodeOrder : static_cast<int>(a.Int(7))));
  });
}

}  // namespace ui
