#include "services/hot_keys.h"

#include <windows.h>

#include <string>
#include <vector>

#include "data/program_settings.h"
#include "runtime/array.h"
#include "runtime/block.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "ui/core/bar_button.h"
#include "ui/core/tcontrol.h"
#include "ui/core/tmenu.h"
#include "ui/core/tmenuitem.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

// The controls of a window (its own list), or the elements of an array.
std::vector<Value> ControlsOf(const Value& container) {
  const Value& v = container.Deref();
  std::vector<Value> controls;
  if (v.IsArray()) {
    for (const Value& element : v.AsArray()) controls.push_back(element.Deref());
  } else if (auto* window = dynamic_cast<ui::TWindow*>(v.AsObject().get())) {
    for (const ui::WindowRef& control : window->aControls) controls.emplace_back(xb::ObjectRef(control));
  }
  return controls;
}

ui::TWindow* WindowOf(const Value& v) { return dynamic_cast<ui::TWindow*>(v.AsObject().get()); }

char UpperLetter(int key) {
  return static_cast<char>(xb::UpperChar(xb::CurrentCodePage(), static_cast<unsigned char>(key)));
}

bool IsCombo(const xb::Object& o) { return o.GetClass().IsDerivedFrom("TCOMBOBOX"); }

std::string TipOf(ui::TWindow& control, bool from_array) {
  const Value& tip = control.cToolTip;
  std::string text;
  if (tip.IsString()) text = std::string(tip.AsString());
  else if (tip.IsBlock()) text = std::string(tip.AsBlock().Eval().AsString());
  if ((text.empty() || from_array) && control.GetClass().IsDerivedFrom("TBUTTON")) {
    text = control.hWnd != nullptr ? control.GetText() : control.cCaption;
    std::erase(text, '&');
  }
  return text;
}

// "&" before the first occurrence of the letter, in any case.
std::string WithHotLetter(std::string text, char letter) {
  const xb::CodePage& cp = xb::CurrentCodePage();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (xb::UpperChar(cp, static_cast<unsigned char>(text[i])) == static_cast<unsigned char>(letter)) {
      text.insert(i, 1, '&');
      break;
    }
  }
  return text;
}

void Click(const xb::Ref<ui::TWindow>& control) {
  if (auto* c = dynamic_cast<ui::TControl*>(control.get())) c->Click();
}

}  // namespace

bool ActKeys(int key, const Value& controls, std::string_view keys, std::string_view default_letter) {
  char letter = 0;
  if (key == '+') letter = 'A';
  else if (key == '-') letter = 'E';
  else if (key == VK_RETURN) letter = default_letter.empty() ? 'M' : UpperLetter(static_cast<unsigned char>(default_letter[0]));
  else if (key > 0 && key < 256) letter = UpperLetter(key);
  if (letter == 0) return false;
  const std::size_t at = keys.find(letter);
  if (at == std::string_view::npos) return false;
  const std::vector<Value> list = ControlsOf(controls);
  if (at >= list.size()) return false;
  ui::TWindow* control = WindowOf(list[at]);
  if (control == nullptr || !control->lWhen()) return false;
  Click(xb::Ref<ui::TWindow>(control));
  return true;
}

void PopupMenu(int row, int col, ui::TWindow* window, const Value& controls, std::string_view keys) {
  if (window == nullptr) window = WindowOf(data::oWnd());
  if (window == nullptr || window->hWnd == nullptr) return;
  const bool from_array = controls.Deref().IsArray();
  const std::vector<Value> list = ControlsOf(controls);
  xb::Ref<ui::TMenu> menu = ui::TMenu::New(true);
  for (std::size_t i = 0; i < list.size(); ++i) {
    ui::TWindow* control = WindowOf(list[i]);
    if (control == nullptr || IsCombo(*control)) continue;
    if (auto* button = dynamic_cast<ui::BarButton*>(control); button != nullptr && button->StartsGroup() && !menu->aItems.empty())
      menu->Add(ui::TMenuItem::New({}));
    std::string text = TipOf(*control, from_array);
    if (i < keys.size()) text = WithHotLetter(std::move(text), UpperLetter(static_cast<unsigned char>(keys[i])));
    xb::Ref<ui::TWindow> target(control);
    ui::TMenuItem::Spec spec;
    spec.prompt = text;
    spec.message = control->cMsg;
    spec.action = Value(xb::Block::Native([target](Args&) {
      Click(target);
      return Value();
    }));
    spec.when = control->bWhen;
    menu->Add(ui::TMenuItem::New(spec));
  }
  menu->Activate(row, col, *window);
}

void RegisterHotKeyFunctions() {
  xb::RegisterFunction("ACTKEYS", [](Args& a) {
    const std::string_view letter = a.Arg(4).IsString() ? a.Str(4) : std::string_view("M");
    return Value::Logical(ActKeys(static_cast<int>(a.Int(1)), a.Arg(2), a.Str(3), letter));
  });
  xb::RegisterFunction("POPUPMENU", [](Args& a) {
    PopupMenu(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), WindowOf(a.Arg(3)), a.Arg(4), a.Str(5));
    return Value();
  });
}

}  // namespace svc
