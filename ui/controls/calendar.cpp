#include "ui/controls/calendar.h"

#include <cstdlib>

#include "runtime/args.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/lib/dates.h"
#include "ui/bridge/message_loop.h"
#include "ui/controls/calendar_grid.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/tget.h"
#include "ui/controls/tsay.h"
#include "ui/core/menu_builder.h"
#include "ui/core/tcursor.h"
#include "ui/core/tfont.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using xb::Args;
using xb::Value;

constexpr const char* kDateLabel = "FECHA";
constexpr const char* kDayNameLabel = "DIAS";
constexpr const char* kDayNames[] = {"Lun", "Mar", "Mie", "Jue", "Vie", "Sab", "Dom"};

xb::Date Today() {
  const xb::LocalTime now = xb::CurrentLocalTime();
  return xb::Date::FromYmd(now.year, now.month, now.day);
}

Value Native(std::function<Value(Args&)> fn) { return Value(xb::Block::Native(std::move(fn))); }

// A label's block answering a fixed text.
Value Text(std::string text) {
  return Native([text = std::move(text)](Args&) { return Value::String(text); });
}

// The hand cursor of the day buttons: the framework's, shared.
xb::ObjectRef Hand() {
  static xb::Ref<TCursor> cursor = TCursor::New("", "HAND");
  return xb::ObjectRef(cursor.get());
}

bool IsDayButton(const TWindow& control) { return control.GetClass().IsDerivedFrom("TBTNBMP"); }

bool HasCargo(const TWindow& control, const char* text) {
  return control.Cargo.IsString() && control.Cargo.AsString() == text;
}

// One day button as the grid shows it for the chosen date.
void ShowDay(TBtnBmp& button, xb::Date day, xb::Date chosen, xb::Date today) {
  int year = 0, month = 0, d = 0;
  day.ToYmd(year, month, d);
  button.cCaption = PaddedNumber(d, 2);
  button.Cargo = Value::FromDate(day);
  button.SetColor(calendar::DayColour(day, chosen, today), button.nClrPane);
  const bool selected = day == chosen;
  button.lPressed = button.lBtnDown = selected;
  button.cToolTip = selected ? Value::String("Selección") : day == today ? Value::String("Hoy") : Value();
  if (button.hWnd != nullptr) {
    ::SetWindowTextA(button.hWnd, button.cCaption.c_str());
    button.Refresh(false);
  }
}

xb::Ref<TFont> PromptFont() {
  TFont::Spec spec;
  spec.face = xb::IsFunctionRegistered("CFONTNAME") ? std::string(xb::CallFunction("CFONTNAME").AsString()) : "MS Sans Serif";
  spec.width = xb::IsFunctionRegistered("NFONTVSIZE") ? static_cast<int>(xb::CallFunction("NFONTVSIZE").AsInt()) : 0;
  spec.height = xb::IsFunctionRegistered("NFONTHSIZE") ? static_cast<int>(xb::CallFunction("NFONTHSIZE").AsInt()) : -8;
  return TFont::New(spec);
}

// The dialog's menu; private to this module.
void BuildMenu(TDialog& dialog, const Value& set_date) {
  TDialog* box = &dialog;  // the menu lives with the dialog
  auto move = [box, set_date](int action) {
    return Native([box, set_date, action](Args&) {
      MoveCalendar(*box, action, set_date);
      return Value();
    });
  };
  auto item = [](const char* prompt, Value action) {
    TMenuItem::Spec spec;
    spec.prompt = prompt;
    spec.action = std::move(action);
    MenuAddItem(spec);
  };
  MenuBegin(false, false, box);
  item("&Hoy", Native([box, set_date](Args&) {
         if (set_date.IsBlock()) set_date.AsBlock().Eval({Value::FromDate(Today())});
         box->End(1);
         return Value();
       }));
  item("An&t.", Value());
  MenuBegin();
  item("&Mes", move(calendar::kPrevMonth));
  item("&Año", move(calendar::kPrevYear));
  MenuEnd();
  item("&Sig.", Value());
  MenuBegin();
  item("&Mes", move(calendar::kNextMonth));
  item("&Año", move(calendar::kNextYear));
  MenuEnd();
  item("+/-", Value());
  MenuBegin();
  item("&Sumar días", move(calendar::kAddDays));
  item("&Restar días", move(calendar::kSubtractDays));
  MenuEnd();
  item("&Aceptar", Native([box](Args&) {
         box->End(1);
         return Value();
       }));
  MenuEnd();
}

void FocusChosen(TDialog& dialog) {
  for (const WindowRef& control : dialog.aControls) {
    auto* button = dynamic_cast<TBtnBmp*>(control.get());
    if (button != nullptr && button->lBtnDown && button->hWnd != nullptr) {
      ::SetFocus(button->hWnd);
      return;
    }
  }
}

}  // namespace

void MoveCalendar(TDialog& dialog, int action, const Value& set_date) {
  DialogRef keep(&dialog);
  xb::Date base = Today();
  TSay* label = nullptr;
  std::vector<TBtnBmp*> buttons;
  std::vector<TSay*> day_names;
  for (const WindowRef& control : dialog.aControls) {
    if (!control) continue;
    if (IsDayButton(*control)) {
      auto* button = static_cast<TBtnBmp*>(control.get());
      if (button->lBtnDown && button->Cargo.IsDate()) {
        base = button->Cargo.AsDate();
        button->GoUp();
      }
      buttons.push_back(button);
    } else if (auto* say = dynamic_cast<TSay*>(control.get())) {
      if (HasCargo(*say, kDateLabel)) label = say;
      else if (HasCargo(*say, kDayNameLabel)) day_names.push_back(say);
    }
  }
  int days = 0;
  if (action == calendar::kAddDays || action == calendar::kSubtractDays) {
    Value n = Value::Integer(0);
    MsgGet("Días", action == calendar::kAddDays ? "Sumar :" : "Restar :", n);
    days = static_cast<int>(n.AsInt());
  }
  const xb::Date chosen = calendar::Move(base, action, days);
  if (label != nullptr) label->SetText(Value::String(calendar::DateToString(chosen)));
  const auto grid = calendar::MonthGrid(chosen);
  const xb::Date today = Today();
  for (std::size_t i = 0; i < buttons.size() && i < grid.size(); ++i) ShowDay(*buttons[i], grid[i], chosen, today);
  for (TSay* name : day_names) name->Refresh();
  if (set_date.IsBlock()) set_date.AsBlock().Eval({Value::FromDate(chosen)});
  FocusChosen(dialog);
}

bool MsgGet(const std::string& title, const std::string& prompt, Value& value) {
  const Value old = value;
  const SetGet variable = SetGet::Of(value);
  auto dialog = xb::MakeRef<TDialog>();
  TDialog::NewParams d;
  d.caption = title;
  d.width = 112;
  d.height = 52;
  d.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  d.font = PromptFont();
  dialog->New(d);
  auto label = xb::MakeRef<TSay>();
  label->New({.row = 2, .col = 5, .get = Text(prompt), .parent = dialog, .pixel = true});
  auto get = xb::MakeRef<TGet>();
  get->New({.row = 12, .col = 5, .set_get = variable.block, .parent = dialog, .width = 25, .height = 11,
            .picture = "", .pixel = true, .right = true});
  bool accepted = false;
  TDialog* box = dialog.get();
  auto ok = xb::MakeRef<TButton>();
  ok->New({.row = 12, .col = 36, .caption = "&A", .parent = dialog, .action = Native([box, &accepted](Args&) {
             accepted = true;
             box->End(IDOK);
             return Value();
           }),
           .width = 15, .height = 10, .is_default = true, .pixel = true});
  dialog->Activate({.centered = true});
  if (accepted) value = variable.Get();
  else value = old;
  return accepted;
}

Value QzMsgDate(const Value& date, const Value& title, const Value& get) {
  const xb::Date today = Today();
  const xb::Date start = date.IsDate() && !date.AsDate().IsEmpty() ? date.AsDate() : today;
  const SetGet chosen = SetGet::Of(Value::FromDate(start));
  const Value set_date = chosen.block;
  const std::string caption = title.IsString() ? std::string(title.AsString()) : "Seleccione una fecha";

  TFont::Spec spec;
  spec.face = GetSysFont();
  spec.height = -8;
  const xb::Ref<TFont> font = TFont::New(spec);
  auto dialog = xb::MakeRef<TDialog>();
  dialog->New({.caption = caption, .font = font, .width = 200, .height = 190});
  TDialog* box = dialog.get();

  auto label = xb::MakeRef<TSay>();
  label->New({.row = 2, .col = 10,
              .get = Native([chosen](Args&) { return Value::String(calendar::DateToString(chosen.Get().AsDate())); }),
              .parent = dialog, .font = font, .pixel = true, .clr_text = calendar::kChosen, .width = 180,
              .height = 8});
  label->Cargo = Value::String(kDateLabel);
  for (int i = 1; i <= 7; ++i) {
    auto name = xb::MakeRef<TSay>();
    name->New({.row = 10, .col = 14 * i - 12, .get = Text(kDayNames[i - 1]), .parent = dialog,
               .font = font, .pixel = true, .clr_text = calendar::kToday, .width = 12, .height = 8});
    name->Cargo = Value::String(kDayNameLabel);
  }
  const auto grid = calendar::MonthGrid(start);
  for (int w = 2; w <= 7; ++w) {
    for (int i = 1; i <= 7; ++i) {
      TBtnBmp::NewParams b;
      b.top = 10 * w;
      b.left = 14 * i - 12;
      b.width = 12;
      b.height = 10;
      b.parent = dialog;
      b.font = font;
      b.border = false;
      b.message = {};
      xb::Ref<TBtnBmp> button = TBtnBmp::New(b);
      TBtnBmp* self = button.get();
      button->bAction = Native([self, box, set_date](Args&) {
        if (self->Cargo.IsDate()) set_date.AsBlock().Eval({self->Cargo});
        box->End(1);
        return Value();
      });
      button->oCursor = Hand();
      ShowDay(*button, grid[static_cast<std::size_t>((w - 2) * 7 + i - 1)], start, today);
    }
  }
  TDialog::ActivateParams activate;
  activate.centered = true;
  activate.init = Native([box, set_date](Args&) {
    BuildMenu(*box, set_date);
    FocusChosen(*box);
    return Value::Logical(false);  // the focus is the chosen day's
  });
  dialog->Activate(activate);
  const bool accepted = dialog->nResult.AsInt() == 1;
  if (get.IsObject()) {
    if (accepted || (date.IsDate() && !date.AsDate().IsEmpty())) {
      xb::Send(get, "VARPUT", {accepted ? chosen.Get() : Value::FromDate(start)});
      xb::Send(get, "REFRESH");
    }
  }
  return accepted ? chosen.Get() : date;
}

void RegisterCalendar() {
  xb::RegisterFunction("QZ_MSGDATE", [](Args& a) { return QzMsgDate(a.Arg(1), a.Arg(2), a.Arg(3)); });
  xb::RegisterFunction("DDATETOSTRING",
                       [](Args& a) { return Value::String(calendar::DateToString(a.Arg(1).AsDate())); });
  xb::RegisterFunction("MSGGET", [](Args& a) {
    Value value = a.Arg(3);
    const bool accepted = MsgGet(std::string(a.Str(1)), std::string(a.Str(2)), value);
    a.SetRef(3, value);
    return Value::Logical(accepted);
  });
  xb::RegisterFunction("MOVECALENDAR", [](Args& a) {
    if (auto* dialog = dynamic_cast<TDialog*>(a.Obj(1).get())) MoveCalendar(*dialog, static_cast<int>(a.Int(2)), a.Arg(3));
    return Value();
  });
}

}  // namespace ui
