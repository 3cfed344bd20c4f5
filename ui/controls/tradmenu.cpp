#include "ui/controls/tradmenu.h"

#include <algorithm>

#include "runtime/args.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

}  // namespace

TRadMenu::TRadMenu() : xb::Object(Cls()) {}
TRadMenu::~TRadMenu() = default;

TRadMenu& TRadMenu::New(const NewParams& p) {
  bSetGet = p.set_get;
  bChange = p.change;
  cMsg = p.message;
  lUpdate = p.update;
  KeepNumeric();  // a value that is no option's number, or 0, starts at the first
  const WindowRef parent = p.parent ? p.parent : GetWndDefault();
  // The step: character rows (the height over 13) or pixels.
  const int step = p.pixel ? p.height.value_or(13) : (p.height ? std::max(*p.height / 13, 1) : 1);
  aItems.clear();
  for (std::size_t i = 0; i < p.prompts.size(); ++i) {
    auto radio = xb::MakeRef<TRadio>();
    TRadio::NewParams r;
    r.row = p.row + static_cast<int>(i) * step;
    r.col = p.col;
    r.prompt = p.prompts[i];
    r.group = i == 0;
    r.position = static_cast<int>(i) + 1;
    r.checked = r.position == nOption();
    r.parent = parent;
    r.radio_menu = this;
    if (i < p.help_ids.size()) r.help_id = p.help_ids[i];
    else r.help_id = p.help_ids.empty() ? 100 + static_cast<int>(i) : p.help_ids.front();
    r.clr_text = p.clr_text;
    r.clr_pane = p.clr_pane;
    r.message = p.message;
    r.update = p.update;
    r.when = p.when;
    r.width = p.width;
    r.valid = p.valid;
    r.design = p.design;
    r.pixel = p.pixel;
    radio->New(r);
    if (p.look_3d) radio->Set3DLook();
    aItems.push_back(radio);
  }
  return *this;
}

TRadMenu& TRadMenu::ReDefine(const ReDefineParams& p) {
  bSetGet = p.set_get;
  bChange = p.change;
  cMsg = p.message;
  lUpdate = p.update;
  KeepNumeric();
  const WindowRef parent = p.parent ? p.parent : GetWndDefault();
  aItems.clear();
  for (std::size_t i = 0; i < p.ids.size(); ++i) {
    auto radio = xb::MakeRef<TRadio>();
    TRadio::ReDefineParams r;
    r.id = p.ids[i];
    r.position = static_cast<int>(i) + 1;
    r.checked = r.position == nOption();
    r.parent = parent;
    r.group = this;
    if (i < p.help_ids.size()) r.help_id = p.help_ids[i];
    else r.help_id = p.help_ids.empty() ? 100 + static_cast<int>(i) : p.help_ids.front();
    r.clr_text = p.clr_text;
    r.clr_pane = p.clr_pane;
    r.message = p.message;
    r.update = p.update;
    r.when = p.when;
    r.valid = p.valid;
    radio->ReDefine(r);
    aItems.push_back(radio);
  }
  return *this;
}

int TRadMenu::nOption() const {
  const Value v = bSetGet.IsBlock() ? bSetGet.AsBlock().Eval() : Value();
  return v.IsNumber() ? static_cast<int>(v.AsInt()) : 0;
}

void TRadMenu::Store(int option) {
  if (bSetGet.IsBlock()) bSetGet.AsBlock().Eval({Value::Integer(option)});
}

void TRadMenu::KeepNumeric() {
  const Value v = bSetGet.IsBlock() ? bSetGet.AsBlock().Eval() : Value();
  if (!v.IsNumber() || v.AsInt() == 0) Store(1);
}

void TRadMenu::SetnOption(int option) {
  xb::Ref<TRadMenu> keep(this);
  Store(option);
  if (bChange.IsBlock()) bChange.AsBlock().Eval({Value::Integer(option), Self()});
}

TRadio* TRadMenu::Item(int option) const {
  if (option < 1 || option > static_cast<int>(aItems.size())) return nullptr;
  return aItems[static_cast<std::size_t>(option - 1)].get();
}

void TRadMenu::SetOption(int option) {
  if (Item(option) == nullptr || option == nOption()) return;
  if (TRadio* current = Item(nOption())) current->SetCheck(false);
  SetnOption(option);
  if (TRadio* chosen = Item(option)) chosen->SetCheck(true);
}

void TRadMenu::Select(const TRadio& radio) {
  for (std::size_t i = 0; i < aItems.size(); ++i) {
    if (aItems[i].get() == &radio || (radio.hWnd != nullptr && aItems[i]->hWnd == radio.hWnd)) {
      SetOption(static_cast<int>(i) + 1);
      return;
    }
  }
}

void TRadMenu::Refresh() {
  TRadio* chosen = Item(nOption());
  TRadio* previous = nullptr;
  for (const auto& item : aItems)
    if (item->lChecked && item.get() != chosen) previous = item.get();
  if (previous == nullptr) {
    if (chosen != nullptr && !chosen->lChecked) chosen->SetCheck(true);
    return;
  }
  previous->SetCheck(false);
  if (chosen != nullptr) chosen->SetCheck(true);
  if (bChange.IsBlock()) bChange.AsBlock().Eval({Value::Integer(nOption()), Self()});
}

void TRadMenu::GoPrev() {
  const int count = static_cast<int>(aItems.size());
  if (count == 0) return;
  const int option = nOption();
  SetOption(option <= 1 || option > count ? count : option - 1);
}

void TRadMenu::GoNext() {
  const int count = static_cast<int>(aItems.size());
  if (count == 0) return;
  const int option = nOption();
  SetOption(option >= count || option < 1 ? 1 : option + 1);
}

void TRadMenu::Enable() {
  for (const auto& item : aItems) item->Enable();
}
void TRadMenu::Disable() {
  for (const auto& item : aItems) item->Disable();
}
void TRadMenu::Show() {
  for (const auto& item : aItems) item->Show();
}
void TRadMenu::Hide() {
  for (const auto& item : aItems) item->Hide();
}
void TRadMenu::End() {
  for (const auto& item : aItems) item->End();
}
void TRadMenu::Set3DLook() {
  for (const auto& item : aItems) item->Set3DLook();
}

void TRadMenu::Traverse(xb::GcVisitor& visitor) {
  xb::Object::Traverse(visitor);
  for (const auto& item : aItems)
    if (item) visitor.Visit(item.get());
}

void TRadMenu::ClearValues() {
  xb::Object::ClearValues();
  aItems.clear();
}

// ---- runtime classes -------------------------------------------------------------------------

const xb::Class& TRadMenu::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TRADMENU");
    auto self = [](Object& o) -> TRadMenu& { return xb::Class::Cast<TRadMenu>(o); };
    c.Data("BSETGET", &TRadMenu::bSetGet);
    c.Data("BCHANGE", &TRadMenu::bChange);
    c.Data("CMSG", &TRadMenu::cMsg);
    c.Data("CVARNAME", &TRadMenu::cVarName);
    c.Data("LUPDATE", &TRadMenu::lUpdate);
    c.Property("AITEMS",
               [self](Object& o) {
                 xb::Array items = xb::Array::New();
                 for (const auto& item : self(o).aItems) items.Append(item->Self());
                 return Value(items);
               },
               nullptr);
    c.Property("NOPTION", [self](Object& o) { return Value::Integer(self(o).nOption()); },
               [self](Object& o, const Value& v) { self(o).SetnOption(static_cast<int>(v.AsInt())); });
    // ReDefine(bSetGet, oWnd, aHelpIds, aIds, bChange, nClrText, nClrPane, cMsg, lUpdate, bWhen, bValid)
    c.Method("REDEFINE", [self](Object& o, Args& a) {
      ReDefineParams p;
      p.set_get = a.Arg(1);
      if (a.Arg(2).IsObject()) p.parent = WindowRef(dynamic_cast<TWindow*>(a.Obj(2).get()));
      auto numbers = [](const Value& v) {
        std::vector<int> out;
        if (const xb::Array list = v.AsArray())
          for (const Value& n : list) out.push_back(static_cast<int>(n.AsInt()));
        return out;
      };
      p.help_ids = numbers(a.Arg(3));
      p.ids = numbers(a.Arg(4));
      p.change = a.Arg(5);
      if (a.Arg(6).IsNumber()) p.clr_text = static_cast<COLORREF>(a.Int(6));
      if (a.Arg(7).IsNumber()) p.clr_pane = static_cast<COLORREF>(a.Int(7));
      p.message = a.Arg(8).IsString() ? std::string(a.Str(8)) : std::string();
      p.update = a.Log(9);
      p.when = a.Arg(10);
      p.valid = a.Arg(11);
      return self(o).ReDefine(p).Self();
    });
    // New(nRow, nCol, acItems, bSetGet, oWnd, aHelpIds, bChange, nClrText, nClrPane, cMsg,
    //     lUpdate, bWhen, nHeight, nWidth, bValid, lDesign, l3D, lPixel)
    c.Method("NEW", [self](Object& o, Args& a) {
      NewParams p;
      p.row = static_cast<int>(a.Int(1));
      p.col = static_cast<int>(a.Int(2));
      if (const xb::Array prompts = a.Arr(3))
        for (const Value& prompt : prompts) p.prompts.emplace_back(prompt.AsString());
      p.set_get = a.Arg(4);
      if (a.Arg(5).IsObject()) p.parent = WindowRef(dynamic_cast<TWindow*>(a.Obj(5).get()));
      if (const xb::Array ids = a.Arr(6))
        for (const Value& n : ids) p.help_ids.push_back(static_cast<int>(n.AsInt()));
      p.change = a.Arg(7);
      if (a.Arg(8).IsNumber()) p.clr_text = static_cast<COLORREF>(a.Int(8));
      if (a.Arg(9).IsNumber()) p.clr_pane = static_cast<COLORREF>(a.Int(9));
      p.message = a.Arg(10).IsString() ? std::string(a.Str(10)) : std::string();
      p.update = a.Log(11);
      p.when = a.Arg(12);
      if (a.Arg(13).IsNumber()) p.height = static_cast<int>(a.Int(13));
      if (a.Arg(14).IsNumber()) p.width = static_cast<int>(a.Int(14));
      p.valid = a.Arg(15);
      p.design = a.Log(16);
      p.look_3d = a.Log(17);
      p.pixel = a.Log(18);
      return self(o).New(p).Self();
    });
    c.Method("SETOPTION", [self](Object& o, Args& a) {
      self(o).SetOption(static_cast<int>(a.Int(1)));
      return Value();
    });
    c.Method("REFRESH", [self](Object& o, Args&) {
      self(o).Refresh();
      return Value();
    });
    c.Method("GONEXT", [self](Object& o, Args&) {
      self(o).GoNext();
      return Value();
    });
    c.Method("GOPREV", [self](Object& o, Args&) {
      self(o).GoPrev();
      return Value();
    });
    c.Method("ENABLE", [self](Object& o, Args&) {
      self(o).Enable();
      return Value();
    });
    c.Method("DISABLE", [self](Object& o, Args&) {
      self(o).Disable();
      return Value();
    });
    auto each = [&c, self](const char* name, void (TRadMenu::*fn)()) {
      c.Method(name, [self, fn](Object& o, Args&) {
        (self(o).*fn)();
        return Value();
      });
    };
    each("SHOW", &TRadMenu::Show);
    each("HIDE", &TRadMenu::Hide);
    each("END", &TRadMenu::End);
    each("SET3DLOOK", &TRadMenu::Set3DLook);
    c.Method("SELECT", [self](Object& o, Args& a) {
      if (auto* radio = dynamic_cast<TRadio*>(a.Obj(1).get())) self(o).Select(*radio);
      return Value();
    });
    return c;
  }();
  return cls;
}

const xb::Class& TRadio::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TRADIO", &TControl::Cls());
    auto self = [](Object& o) -> TRadio& { return xb::Class::Cast<TRadio>(o); };
    c.Data("LCHECKED", &TRadio::lChecked);
    c.Data("NPOS", &TRadio::nPos);
    c.Property("ORADMENU", [self](Object& o) { return self(o).oRadMenu ? Value(self(o).oRadMenu) : Value(); },
               nullptr);
    // New(nRow, nCol, cPrompt, lGroup, lChecked, nPos, oWnd, oRadMenu, nHelpId, nClrText,
    //     nClrPane, cMsg, lUpdate, bWhen, nWidth, nHeight, bValid, lDesign, lPixel)
    c.Method("NEW", [self](Object& o, Args& a) {
      TRadio::NewParams p;
      p.row = static_cast<int>(a.Int(1));
      p.col = static_cast<int>(a.Int(2));
      p.prompt = std::string(a.Str(3));
      p.group = a.Log(4);
      p.checked = a.Log(5);
      p.position = static_cast<int>(a.Int(6, 1));
      if (a.Arg(7).IsObject()) p.parent = WindowRef(dynamic_cast<TWindow*>(a.Obj(7).get()));
      p.radio_menu = dynamic_cast<TRadMenu*>(a.Obj(8).get());
      p.help_id = static_cast<int>(a.Int(9, 100));
      if (a.Arg(10).IsNumber()) p.clr_text = static_cast<COLORREF>(a.Int(10));
      if (a.Arg(11).IsNumber()) p.clr_pane = static_cast<COLORREF>(a.Int(11));
      p.message = std::string(a.Str(12));
      p.update = a.Log(13);
      p.when = a.Arg(14);
      if (a.Arg(15).IsNumber()) p.width = static_cast<int>(a.Int(15));
      if (a.Arg(16).IsNumber()) p.height = static_cast<int>(a.Int(16));
      p.valid = a.Arg(17);
      p.design = a.Log(18);
      p.pixel = a.Log(19);
      return self(o).New(p).Self();
    });
    // ReDefine(nId, lChecked, nPos, oWnd, oRadMenu, nHelpId, nClrText, nClrPane, cMsg, lUpdate,
    //          bWhen, bValid)
    c.Method("REDEFINE", [self](Object& o, Args& a) {
      TRadio::ReDefineParams p;
      p.id = static_cast<int>(a.Int(1));
      p.checked = a.Log(2);
      p.position = static_cast<int>(a.Int(3, 1));
      if (a.Arg(4).IsObject()) p.parent = WindowRef(dynamic_cast<TWindow*>(a.Obj(4).get()));
      p.group = dynamic_cast<TRadMenu*>(a.Obj(5).get());
      p.help_id = static_cast<int>(a.Int(6, 100));
      if (a.Arg(7).IsNumber()) p.clr_text = static_cast<COLORREF>(a.Int(7));
      if (a.Arg(8).IsNumber()) p.clr_pane = static_cast<COLORREF>(a.Int(8));
      p.message = a.Arg(9).IsString() ? std::string(a.Str(9)) : std::string();
      p.update = a.Log(10);
      p.when = a.Arg(11);
      p.valid = a.Arg(12);
      return self(o).ReDefine(p).Self();
    });
    c.Method("SETCHECK", [self](Object& o, Args& a) {
      self(o).SetCheck(a.Log(1));
      return Value();
    });
    c.Method("LISCHECKED", [self](Object& o, Args&) { return Value::Logical(self(o).lIsChecked()); });
    return c;
  }();
  return cls;
}

void RegisterRadioControls() {
  (void)TRadMenu::Cls();
  (void)TRadio::Cls();
  xb::RegisterFunction("TRADMENU", [](Args&) { return Value(xb::MakeRef<TRadMenu>()); });
  xb::RegisterFunction("TRADIO", [](Args&) { return Value(xb::MakeRef<TRadio>()); });
}

}  // namespace ui
