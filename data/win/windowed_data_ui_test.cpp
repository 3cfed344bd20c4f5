// The data layer with its windows: the messages and questions as the user sees and answers
// them, and waits that keep the program's windows alive.
#include "data/win/windowed_data_ui.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>

#include "data/data_functions.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "data/win/data_win_test_support.h"
#include "runtime/rdd/test_process.h"
#include "runtime/rdd/test_support.h"
#include "runtime/rdd/workareas.h"
#include "runtime/runtime.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/resources.h"
#include "ui/core/core_test_support.h"

namespace data {
namespace {

using testing::Holder;
using testing::WindowedDataTest;
using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using xb::Value;

// The texts of a dialog of the resource library: its picture (item 600, named by its
// resource) must show, and the labels follow it.
std::string LabelTexts(const SeenDialog& d, const char* picture) {
  EXPECT_FALSE(d.texts.empty());
  if (d.texts.empty()) return {};
  EXPECT_EQ(d.texts[0], picture);
  std::string labels;
  for (std::size_t i = 1; i < d.texts.size(); ++i) labels += (i > 1 ? "\n" : "") + d.texts[i];
  return labels;
}

bool ShowsPicture(HWND dialog) {
  return SendMessageA(GetDlgItem(dialog, 600), STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
}

std::vector<std::string> Buttons(const SeenDialog& d) {
  std::vector<std::string> texts;
  for (const auto& b : d.buttons) texts.push_back(b.text);
  return texts;
}

TEST_F(WindowedDataTest, AMissingTableIsOneStopBox) {
  DialogAnswerer answerer(DialogAnswerer::Press("Aceptar"));
  EXPECT_FALSE(xb::EvalMacro("LNETUSE('" + folder_ / "Articulo" + "', .F., 10)").AsLogical());
  ASSERT_EQ(answerer.seen().size(), 1u);
  const SeenDialog& box = answerer.seen()[0];
  EXPECT_EQ(box.title, "Atención");
  const std::string folder = xb::Upper(xb::CodePageEn(), folder_.path());
  EXPECT_EQ(box.AllText(), "No se ha encontrado el fichero que se intentaba abrir :Articulo.dbf.\r\n"
                           "Compruebe que este fichero exista en el directorio :\r\n" + folder);
  EXPECT_EQ(Buttons(box), std::vector<std::string>{"Aceptar"});
}

TEST_F(WindowedDataTest, ATableHeldExclusivelyByAnotherProcessIsAnAlertAtOnce) {
  Holder holder(folder_, {"open", table_, "foxpro", "exclusive"});
  ASSERT_TRUE(holder.holding());
  DialogAnswerer answerer(DialogAnswerer::Press("Aceptar"));
  const DWORD start = GetTickCount();
  EXPECT_FALSE(xb::EvalMacro("LNETUSE('" + table_ + "', .F., 0)").AsLogical());
  EXPECT_LT(GetTickCount() - start, 900u);  // no second attempt a second later
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].title, "Acceso denegado");
  EXPECT_EQ(answerer.seen()[0].AllText(),
            "Es necesario tener acceso exclusivo al fichero Clientes.dbf. Revise los procesos abiertos");
  EXPECT_EQ(holder.Release(), 0);
}

// While it waits for a record that another process holds, the program's windows go on
// receiving their messages.
TEST_F(WindowedDataTest, RecordLockWaitKeepsWindowsResponsive) {
  Holder holder(folder_, {"rlock", table_, "foxpro", "2"});
  ASSERT_TRUE(holder.holding());
  ASSERT_TRUE(lNetUse(table_));
  xb::EvalMacro("DBGOTO(2)");

  auto window = Make();
  static int ticks = 0;
  ticks = 0;
  const UINT_PTR timer = SetTimer(window->hWnd, 77, 50, [](HWND, UINT, UINT_PTR, DWORD) { ++ticks; });
  DialogAnswerer answerer(DialogAnswerer::Press("Aceptar"));
  const DWORD start = GetTickCount();
  EXPECT_FALSE(xb::EvalMacro("LNETRECLOCK(2)").AsLogical());
  const DWORD waited = GetTickCount() - start;
  KillTimer(window->hWnd, timer);
  EXPECT_GE(waited, 1900u);
  EXPECT_LT(waited, 6000u);
  EXPECT_GE(ticks, 10);  // a timer of 50 ms went on firing during two seconds
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].title, "Acceso denegado");
  EXPECT_EQ(answerer.seen()[0].AllText(), "El registro que se intenta procesar está bloqueado");

  // Released while it waits: the lock is taken.
  static std::string release_file;
  release_file = holder.release_file();
  SetTimer(window->hWnd, 78, 700, [](HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    xb::rdd::testing::TouchFile(release_file);
  });
  EXPECT_TRUE(lNetRecLock(0));
  EXPECT_EQ(holder.Release(), 0);
}

TEST_F(WindowedDataTest, LockQuestionTriesAgainOrGivesUp) {
  Holder holder(folder_, {"rlock", table_, "foxpro", "1"});
  ASSERT_TRUE(holder.holding());
  ASSERT_TRUE(lNetUse(table_));
  xb::EvalMacro("DBGOTO(1)");

  // Try again at the first question, give up at the second.
  int asked = 0;
  bool picture = false;
  DialogAnswerer give_up([&](const SeenDialog& d) {
    ++asked;
    if (asked == 1) {
      Shot(d, "lock_question");
      picture = ShowsPicture(d.hwnd);
    }
    return asked < 2 ? 555 : 556;
  });
  EXPECT_FALSE(xb::EvalMacro("LNETQSTLOCK({'Ficha en uso', 'por otro usuario', '¿ Reintentar ?'})").AsLogical());
  ASSERT_EQ(give_up.seen().size(), 2u);
  EXPECT_EQ(LabelTexts(give_up.seen()[0], "BMP_STOP"), "Ficha en uso\npor otro usuario\n¿ Reintentar ?");
  EXPECT_EQ(Buttons(give_up.seen()[0]), (std::vector<std::string>{"&Reintentar", "&Abandonar"}));
  EXPECT_TRUE(picture);
  EXPECT_EQ(xb::EvalMacro("LEN(DBRLOCKLIST())").AsInt(), 0);
  EXPECT_EQ(holder.Release(), 0);
}

TEST_F(WindowedDataTest, ClosingTheLockQuestionGivesUp) {
  Holder holder(folder_, {"rlock", table_, "foxpro", "1"});
  ASSERT_TRUE(holder.holding());
  ASSERT_TRUE(lNetUse(table_));
  xb::EvalMacro("DBGOTO(1)");
  DialogAnswerer closer([](const SeenDialog& d) {
    PostMessageA(d.hwnd, WM_CLOSE, 0, 0);
    return 0;
  });
  EXPECT_FALSE(lNetQstLock({"Ficha en uso"}));
  EXPECT_EQ(closer.seen().size(), 1u);
  EXPECT_TRUE(xb::EvalMacro("LGOQUESTION({'x'})").AsLogical());
  EXPECT_EQ(holder.Release(), 0);
}

TEST_F(WindowedDataTest, DeleteConfirmationShowsItsTextsAndDeletes) {
  NetUseOptions o;
  o.exclusive = true;
  ASSERT_TRUE(lNetUse(table_, o));
  xb::EvalMacro("DBGOTO(2)");
  {
    DialogAnswerer no(DialogAnswerer::PressId(553));
    EXPECT_FALSE(xb::EvalMacro("LDELRECORD()").AsLogical());
    ASSERT_EQ(no.seen().size(), 1u);
    EXPECT_EQ(LabelTexts(no.seen()[0], "BMP_BOMBA"),
              "Esta opción elimina el registro activo\nSi confirma se perderá definitivamente\n"
              "¿ Desea eliminar el registro activo ? \nEjecute la organización de ficheros cuando disponga de tiempo");
    EXPECT_EQ(Buttons(no.seen()[0]), (std::vector<std::string>{"&Sí", "&No", "A&yuda"}));
    EXPECT_FALSE(xb::EvalMacro("DELETED()").AsLogical());
  }
  DialogAnswerer yes([](const SeenDialog& d) {
    Shot(d, "delete_question");
    return 552;
  });
  EXPECT_TRUE(xb::EvalMacro("LDELRECORD()").AsLogical());
  EXPECT_EQ(xb::EvalMacro("RECNO()").AsInt(), 3);
  xb::EvalMacro("SET(11, .F.)");
  xb::EvalMacro("DBGOTO(2)");
  EXPECT_TRUE(xb::EvalMacro("DELETED()").AsLogical());
}

}  // namespace
}  // namespace data
