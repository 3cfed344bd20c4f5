// The message boxes: texts, titles, buttons and answers, as the user sees and presses them.
#include "ui/core/msg_box.h"

#include <gtest/gtest.h>

#include "runtime/function_table.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
#include "ui/bridge/plain_boxes.h"
#include "ui/core/core_test_support.h"

namespace ui {
namespace {

using vdr::test::DialogAnswerer;
using vdr::test::ItemText;
using vdr::test::SeenDialog;
using xb::Value;

class MsgBoxTest : public test::FrameworkTest {
 protected:
  static std::vector<std::string> Buttons(const SeenDialog& d) {
    std::vector<std::string> texts;
    for (const auto& b : d.buttons) texts.push_back(b.text);
    return texts;
  }
  static void Shot(const SeenDialog& d, const std::string& name) {
    EXPECT_TRUE(vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\" + name + ".bmp"));
  }
  static HWND Child(HWND dialog, const char* windows_class) { return FindWindowExA(dialog, nullptr, windows_class, nullptr); }
};

TEST_F(MsgBoxTest, NamedBoxesShowTheirTextsAndAnswer) {
  struct Case {
    const char* call;
    const char* press;
    const char* title;
    std::vector<std::string> buttons;
    Value result;
    int icon;  // the system icon shown
  };
  const Case cases[] = {
      {"MSGINFO( 'Copia terminada' )", "Aceptar", "Información", {"Aceptar"}, Value(), 32516},
      {"MSGSTOP( 'Copia terminada', 'Copias' )", "Aceptar", "Copias", {"Aceptar"}, Value::Integer(1), 32513},
      {"MSGALERT( 'Copia terminada' )", "Aceptar", "Información", {"Aceptar"}, Value::Integer(1), 32515},
      {"MSGYESNO( 'Copia terminada' )", "Sí", "Información", {"&Sí", "&No"}, Value::Logical(true), 32514},
      {"MSGYESNO( 'Copia terminada' )", "No", "Información", {"&Sí", "&No"}, Value::Logical(false), 32514},
      {"MSGNOYES( 'Copia terminada' )", "No", "Atención", {"&No", "&Sí"}, Value::Logical(true), 32514},
      {"MSGNOYES( 'Copia terminada' )", "Sí", "Atención", {"&No", "&Sí"}, Value::Logical(false), 32514},
      {"MSGRETRYCANCEL( 'Copia terminada' )", "Reintentar", "Atención", {"&Reintentar", "Cancelar"},
       Value::Logical(true), 32514},
      {"MSGRETRYCANCEL( 'Copia terminada' )", "Cancelar", "Atención", {"&Reintentar", "Cancelar"},
       Value::Logical(false), 32514},
      {"_ALERT( 'Copia terminada', { '&Uno', '&Dos', '&Tres' } )", "Dos", "Atención", {"&Uno", "&Dos", "&Tres"},
       Value::Integer(2), 32514},
      {"_ALERT( 'Copia terminada' )", "Aceptar", "Atención", {"&Aceptar"}, Value::Integer(0), 32513},
  };
  for (const Case& c : cases) {
    HICON icon = nullptr;
    DialogAnswerer answerer([&](const SeenDialog& d) {
      for (HWND child = GetWindow(d.hwnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && Child(d.hwnd, "Static") != nullptr) {
          icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        }
      }
      return d.ButtonId(c.press);
    });
    const Value result = xb::EvalMacro(c.call);
    EXPECT_EQ(icon, LoadIconA(nullptr, MAKEINTRESOURCEA(c.icon))) << c.call;
    ASSERT_EQ(answerer.seen().size(), 1u) << c.call;
    const SeenDialog& seen = answerer.seen()[0];
    EXPECT_EQ(seen.title, c.title) << c.call;
    EXPECT_EQ(seen.AllText(), "Copia terminada") << c.call;
    EXPECT_EQ(Buttons(seen), c.buttons) << c.call;
    EXPECT_EQ(result.ValType(), c.result.ValType()) << c.call;
    EXPECT_TRUE(result.SameAs(c.result)) << c.call;
  }
}

// A run nobody watches: no box shows, each tells the sink what it would have said and
// answers its default button.
TEST_F(MsgBoxTest, UnattendedBoxesTellAndTakeTheirDefault) {
  std::vector<std::string> told;
  SetUnattended([&](std::string_view title, std::string_view text) {
    told.push_back(std::string(title) + "|" + std::string(text));
  });
  DialogAnswerer answerer(DialogAnswerer::Press("Aceptar"));
  EXPECT_EQ(MsgStop(Value::String("Parado"), "Error"), 1);
  EXPECT_TRUE(MsgYesNo(Value::String("¿ Seguimos ?")));
  EXPECT_EQ(xb::EvalMacro("_ALERT( 'Uno;Dos' )").AsInt(), 0);
  EXPECT_EQ(xb::EvalMacro("ALERT( 'Texto', { 'A', 'B' }, 'Tit', 2 )").AsInt(), 2);
  SetUnattended({});
  EXPECT_TRUE(answerer.seen().empty());
  EXPECT_EQ(told, (std::vector<std::string>{"Error|Parado", "Información|¿ Seguimos ?", "Atención|Uno;Dos", "Tit|Texto"}));
}

TEST_F(MsgBoxTest, ClosingTheBoxAnswersNoButton) {
  DialogAnswerer answerer([](const SeenDialog& d) {
    PostMessageA(d.hwnd, WM_CLOSE, 0, 0);
    return 0;
  });
  EXPECT_FALSE(MsgYesNo(Value::String("¿ Seguimos ?")));
  EXPECT_EQ(MsgStop(Value::String("Parado")), 0);
}

TEST_F(MsgBoxTest, SemicolonsAndLineFeedsBreakLinesAndLongLinesWrap) {
  RECT label = {};
  int lines_height = 0;
  DialogAnswerer answerer([&](const SeenDialog& d) {
    HWND text = Child(d.hwnd, "Static");
    while (text != nullptr && GetWindowTextLengthA(text) == 0) text = FindWindowExA(d.hwnd, text, "Static", nullptr);
    if (text != nullptr) GetWindowRect(text, &label);
    lines_height = label.bottom - label.top;
    return d.ButtonId("Aceptar");
  });
  MsgInfo(Value::String("Uno;Dos\n\rTres"));
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].AllText(), "Uno\r\nDos\r\nTres");
  const int three_lines = lines_height;

  std::string long_line;
  for (int i = 0; i < 40; ++i) long_line += "palabra ";
  MsgInfo(Value::String(long_line));
  EXPECT_LE(label.right - label.left, 375);
  EXPECT_GT(lines_height, three_lines);  // wrapped onto several lines
  MsgInfo(Value());
  EXPECT_EQ(answerer.seen().back().AllText(), "");
}

TEST_F(MsgBoxTest, AlertWithSecondsClosesItself) {
  DialogAnswerer answerer([](const SeenDialog&) { return 0; });
  const DWORD start = GetTickCount();
  EXPECT_EQ(xb::EvalMacro("_ALERT( 'Se cierra solo', 1 )").AsInt(), 0);
  const DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 900u);
  EXPECT_LT(took, 5000u);
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].title, "Atención");
}

TEST_F(MsgBoxTest, AlertWithSecondsAnswersTheButtonPressedInTime) {
  {
    DialogAnswerer answerer(DialogAnswerer::Press("Aceptar"));
    const DWORD start = GetTickCount();
    EXPECT_EQ(xb::EvalMacro("_ALERT( 'Se cierra solo', 30 )").AsInt(), 1);
    EXPECT_LT(GetTickCount() - start, 20000u);
    ASSERT_EQ(answerer.seen().size(), 1u);
  }
  {
    DialogAnswerer answerer([](const SeenDialog& d) {
      PostMessageA(d.hwnd, WM_CLOSE, 0, 0);
      return 0;
    });
    EXPECT_EQ(xb::EvalMacro("_ALERT( 'Se cierra solo', 30 )").AsInt(), 0);  // closed, no button
  }
  // Nobody watching: the box runs out of its time.
  SetUnattended([](std::string_view, std::string_view) {});
  EXPECT_EQ(xb::EvalMacro("_ALERT( 'Se cierra solo', 30 )").AsInt(), 0);
  SetUnattended({});
}

TEST_F(MsgBoxTest, EnglishAlertDefaultsAndLongTexts) {
  {
    DialogAnswerer answerer(DialogAnswerer::Press("OK"));
    EXPECT_EQ(xb::EvalMacro("ALERT()").AsInt(), 1);
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].title, "Attention");
    EXPECT_EQ(answerer.seen()[0].AllText(), "Alert dialog box");
    EXPECT_EQ(Buttons(answerer.seen()[0]), std::vector<std::string>{"&OK"});
  }
  {
    int focused = 0;
    bool field = false;
    DialogAnswerer answerer([&](const SeenDialog& d) {
      focused = GetDlgCtrlID(GetFocus());
      field = Child(d.hwnd, "Edit") != nullptr;
      Shot(d, "core_alert_long");
      return d.ButtonId("Tres");
    });
    std::string text;
    for (int i = 0; i < 60; ++i) text += "Línea " + std::to_string(i) + " del informe;";
    xb::SetMemvar(xb::Intern("CTEXTO"), Value::String(text));
    EXPECT_EQ(xb::EvalMacro("ALERT( CTEXTO, { '&Uno', '&Dos', '&Tres' }, 'Informe', 2 )").AsInt(), 3);
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0].title, "Informe");
    EXPECT_TRUE(field);  // too high for a label: a field that scrolls
    EXPECT_EQ(focused, answerer.seen()[0].ButtonId("Dos"));
  }
}

TEST_F(MsgBoxTest, Screenshots) {
  DialogAnswerer answerer([](const SeenDialog& d) {
    Shot(d, d.buttons.size() > 1 ? "core_msgyesno" : "core_msginfo");
    return d.ButtonId(d.buttons.size() > 1 ? "No" : "Aceptar");
  });
  MsgYesNo(Value::String("¿ Desea eliminar el registro activo ?;Si confirma se perderá definitivamente"));
  MsgInfo(Value::String("Información de la versión"));
  EXPECT_EQ(answerer.seen().size(), 2u);
}

TEST_F(MsgBoxTest, RunHideShowsTheTextWhileTheActionRuns) {
  std::string text;
  bool visible = false;
  HWND box = nullptr;
  xb::RegisterFunction("T_MIRA", [&](xb::Args& a) {
    const xb::Value dialog = a.Arg(1);
    box = reinterpret_cast<HWND>(static_cast<std::intptr_t>(xb::Send(dialog, "HWND").AsInt()));
    visible = IsWindowVisible(box) != FALSE;
    text = ItemText(box, 5000);
    EXPECT_TRUE(vdr::test::SaveWindowBitmap(box, vdr::test::ScreenshotFolder() + "\\core_msgrunhide.bmp"));
    return Value();
  });
  xb::EvalMacro("MSGRUNHIDE( 'Copiando ficheros', , {|oDlg| T_MIRA( oDlg ) } )");
  EXPECT_TRUE(visible);
  EXPECT_EQ(text, "Copiando ficheros");
  EXPECT_FALSE(IsWindow(box));  // closed once the action ended
  xb::EvalMacro("MSGRUNHIDE( , 'Espere', {|oDlg| T_MIRA( oDlg ) } )");
  EXPECT_EQ(text, "Please, wait...");
  EXPECT_FALSE(IsWindow(box));
}

}  // namespace
}  // namespace ui
