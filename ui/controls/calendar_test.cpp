// The calendar dialog driven as a user does: its grid and label, moving by months and years
// from its menu, adding days through the day-count prompt, choosing a day, Enter, "Hoy", and
// closing it, with and without an edit field to fill.
#include "ui/controls/calendar.h"

#include <gtest/gtest.h>

#include <functional>

#include "runtime/lib/dates.h"
#include "tests/support/dialog_answerer.h"
#include "ui/controls/controls_test_support.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/controls/tget.h"
#include "ui/controls/tsay.h"
#include "ui/core/tdialog.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using vdr::test::WindowText;
using xb::Value;

xb::Date D(int day, int month, int year) { return xb::Date::FromYmd(year, month, day); }

xb::Date Today() {
  const xb::LocalTime now = xb::CurrentLocalTime();
  return D(now.day, now.month, now.year);
}

class CalendarTest : public test::ControlsTest {
 protected:
  // What the calendar dialog shows.
  struct Look {
    std::string label;
    std::vector<std::string> captions;  // the 42 day buttons
    std::string pressed;                // the caption of the pressed one
    std::vector<COLORREF> colours;
  };
  static Look Read(TDialog& dialog) {
    Look look;
    for (const WindowRef& control : dialog.aControls) {
      if (auto* button = dynamic_cast<TBtnBmp*>(control.get())) {
        look.captions.push_back(button->cCaption);
        look.colours.push_back(button->nClrText);
        if (button->lBtnDown) look.pressed = button->cCaption;
      } else if (auto* say = dynamic_cast<TSay*>(control.get())) {
        if (say->Cargo.IsString() && say->Cargo.AsString() == "FECHA") look.label = WindowText(say->hWnd);
      }
    }
    return look;
  }
  static TBtnBmp* Button(TDialog& dialog, const std::string& caption) {
    for (const WindowRef& control : dialog.aControls)
      if (auto* button = dynamic_cast<TBtnBmp*>(control.get()); button != nullptr && button->cCaption == caption)
        return button;
    return nullptr;
  }
  static TBtnBmp* Pressed(TDialog& dialog) {
    for (const WindowRef& control : dialog.aControls)
      if (auto* button = dynamic_cast<TBtnBmp*>(control.get()); button != nullptr && button->lBtnDown) return button;
    return nullptr;
  }
  // The identifier of a menu item: the bar's item `top`, or item `item` of its pop-up.
  static int MenuId(HWND dialog, int top, int item = -1) {
    HMENU bar = GetMenu(dialog);
    if (item < 0) return static_cast<int>(GetMenuItemID(bar, top));
    return static_cast<int>(GetMenuItemID(GetSubMenu(bar, top), item));
  }
  static void Choose(HWND dialog, int id) { PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

  // Opens the calendar; `drive` is called with the dialog while it shows, step 0, 1 ...,
  // and answers a button or menu identifier to end it, or 0 to be called again.
  Value Run(const Value& date, const std::function<int(HWND, TDialog&, int)>& drive, const Value& get = {}) {
    int step = 0;
    bool busy = false;
    DialogAnswerer answerer([&](const SeenDialog& seen) -> int {
      if (seen.title != "Fecha de trabajo") return prompt ? prompt(seen) : 0;
      auto* dialog = dynamic_cast<TDialog*>(OWndFromHwnd(seen.hwnd).get());
      // Busy while its own prompt shows, or while a screenshot pumps messages.
      if (dialog == nullptr || busy || !IsWindowEnabled(seen.hwnd)) return 0;
      if (step > 40) return IDCANCEL;  // lost: end rather than hang
      busy = true;
      const int answer = drive(seen.hwnd, *dialog, step++);
      busy = false;
      return answer;
    });
    return QzMsgDate(date, Value::String("Fecha de trabajo"), get);
  }
  std::function<int(const SeenDialog&)> prompt;
};

TEST_F(CalendarTest, MovesByMonthsAndYearsFromItsMenu) {
  const Value chosen = Run(Value::FromDate(D(31, 3, 2003)), [&](HWND hwnd, TDialog& dialog, int step) {
    const Look look = Read(dialog);
    EXPECT_EQ(look.captions.size(), 42u);
    switch (step) {
      case 0:
        EXPECT_EQ(look.label, "Lunes, 31 Marzo 2003");
        EXPECT_EQ(look.captions.front(), "24");  // Monday 24-02: March 2003 starts on a Saturday
        EXPECT_EQ(look.captions[5], " 1");
        EXPECT_EQ(look.pressed, "31");
        EXPECT_EQ(look.colours[0], 8421504u);  // February: grey
        EXPECT_EQ(look.colours[5], 0u);        // March: black
        EXPECT_EQ(look.colours[35], 16711680u);  // the chosen day: blue
        EXPECT_EQ(GetFocus(), Pressed(dialog)->hWnd);
        EXPECT_EQ(Pressed(dialog)->cToolTip.AsString(), "Selecci\xF3n");
        Screenshot(hwnd, "calendar_march_2003");
        Choose(hwnd, MenuId(hwnd, 1, 0));  // "An&t." / "&Mes"
        return 0;
      case 1:
        EXPECT_EQ(look.label, "Viernes, 28 Febrero 2003");
        EXPECT_EQ(look.pressed, "28");
        EXPECT_EQ(look.captions.front(), "27");  // Monday 27-01
        EXPECT_EQ(GetFocus(), Pressed(dialog)->hWnd);  // Enter takes the day shown
        Choose(hwnd, MenuId(hwnd, 2, 1));  // "&Sig." / "&Año"
        return 0;
      case 2:
        EXPECT_EQ(look.label, "S\xE1" "bado, 28 Febrero 2004");
        Choose(hwnd, MenuId(hwnd, 2, 0));  // "&Sig." / "&Mes"
        return 0;
      default:
        EXPECT_EQ(look.label, "Domingo, 28 Marzo 2004");
        Screenshot(hwnd, "calendar_march_2004");
        return MenuId(hwnd, 4);  // "&Aceptar"
    }
  });
  EXPECT_EQ(chosen.AsDate(), D(28, 3, 2004));
}

TEST_F(CalendarTest, AddsAndSubtractsDaysAskedInThePrompt) {
  std::vector<std::string> prompts;
  std::string typed = "10";
  prompt = [&](const SeenDialog& seen) -> int {
    if (seen.title != "D\xED" "as") return 0;
    prompts.push_back(seen.AllText());
    HWND edit = FindWindowExA(seen.hwnd, nullptr, "Edit", nullptr);
    SetFocus(edit);
    Type(edit, typed);
    return seen.ButtonId("A");
  };
  const Value chosen = Run(Value::FromDate(D(25, 2, 2004)), [&](HWND hwnd, TDialog& dialog, int step) {
    const Look look = Read(dialog);
    if (step == 0) {
      Choose(hwnd, MenuId(hwnd, 3, 0));  // "+/-" / "&Sumar días"
      return 0;
    }
    if (step == 1) {
      EXPECT_EQ(look.label, "S\xE1" "bado,  6 Marzo 2004");
      typed = "3";
      Choose(hwnd, MenuId(hwnd, 3, 1));  // "&Restar días"
      return 0;
    }
    EXPECT_EQ(look.label, "Mi\xE9rcoles,  3 Marzo 2004");
    return MenuId(hwnd, 4);
  });
  EXPECT_EQ(chosen.AsDate(), D(3, 3, 2004));
  EXPECT_EQ(prompts, (std::vector<std::string>{"Sumar :", "Restar :"}));
}

TEST_F(CalendarTest, ChoosingADayEnterTodayAndClosing) {
  const xb::Date start = D(10, 5, 2003);
  struct Case {
    const char* what;
    Value argument;
    std::function<int(HWND, TDialog&)> act;
    Value expected;
  } cases[] = {
      {"a day button", Value::FromDate(start),
       [](HWND, TDialog& d) {
         xb::Send(Button(d, "15")->Self(), "CLICK");
         return 0;
       },
       Value::FromDate(D(15, 5, 2003))},
      {"Enter on the day shown", Value::FromDate(start),
       [](HWND, TDialog&) {
         PostMessageA(GetFocus(), WM_CHAR, VK_RETURN, 1);
         return 0;
       },
       Value::FromDate(start)},
      {"Hoy", Value::FromDate(start), [](HWND hwnd, TDialog&) { return MenuId(hwnd, 0); }, Value::FromDate(Today())},
      {"closed", Value::FromDate(start), [](HWND, TDialog&) { return IDCANCEL; }, Value::FromDate(start)},
      {"closed, no date", Value(), [](HWND, TDialog&) { return IDCANCEL; }, Value()},
      {"closed, an empty date", Value::FromDate(xb::Date{}), [](HWND, TDialog&) { return IDCANCEL; },
       Value::FromDate(xb::Date{})},
  };
  for (const Case& c : cases) {
    bool acted = false;
    const Value chosen = Run(c.argument, [&](HWND hwnd, TDialog& d, int) -> int {
      if (acted) return 0;
      acted = true;
      return c.act(hwnd, d);
    });
    EXPECT_EQ(chosen.ValType(), c.expected.ValType()) << c.what;
    EXPECT_EQ(chosen.AsDate(), c.expected.AsDate()) << c.what;
  }
}

TEST_F(CalendarTest, FillsItsEditField) {
  auto window = Make();
  const xb::Date before = D(1, 1, 2000);
  struct Case {
    Value argument;
    bool accept;
    xb::Date field;  // the field's value afterwards
  } cases[] = {
      {Value::FromDate(D(10, 5, 2003)), true, D(10, 5, 2003)},
      {Value::FromDate(D(10, 5, 2003)), false, D(10, 5, 2003)},  // the date it opened with
      {Value(), false, before},                                   // nothing chosen: left alone
      {Value::FromDate(xb::Date{}), false, before},
  };
  for (const Case& c : cases) {
    const SetGet value = SetGet::Of(Value::FromDate(before));
    auto get = xb::MakeRef<TGet>();
    get->New({.row = 10, .col = 10, .set_get = value.block, .parent = window, .width = 80, .height = 20,
              .pixel = true});
    Run(c.argument, [&](HWND hwnd, TDialog&, int) { return c.accept ? MenuId(hwnd, 4) : IDCANCEL; }, get->Self());
    EXPECT_EQ(value.Get().AsDate(), c.field) << c.argument.AsDate().Dtos() << " " << c.accept;
    EXPECT_EQ(WindowText(get->hWnd), xb::DToC(c.field));
    get->End();
  }
}

TEST_F(CalendarTest, TheModuleFunctionsByName) {
  for (const char* name : {"QZ_MSGDATE", "DDATETOSTRING", "MSGGET", "MOVECALENDAR"})
    EXPECT_TRUE(xb::IsFunctionRegistered(name)) << name;
  EXPECT_EQ(xb::CallFunction("DDATETOSTRING", {Value::FromDate(D(28, 2, 2004))}).AsString(),
            "S\xE1" "bado, 28 Febrero 2004");
  EXPECT_EQ(xb::CallFunction("DDATETOSTRING", {Value::FromDate(xb::Date{})}).AsString(), "");
  // MSGGET given up puts the value back.
  DialogAnswerer answerer([](const SeenDialog& seen) {
    if (seen.title != "Cantidad") return 0;
    Type(FindWindowExA(seen.hwnd, nullptr, "Edit", nullptr), "7");
    return IDCANCEL;
  });
  Value n = Value::Integer(4);
  EXPECT_FALSE(MsgGet("Cantidad", "Unidades :", n));
  EXPECT_EQ(n.AsInt(), 4);
}

}  // namespace
}  // namespace ui
