// The shared dialogs as the user sees and answers them: the working date, the user's
// configuration record and the about box.
#include "data/win/program_dialogs.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>

#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "data/table_access.h"
#include "data/win/data_win_test_support.h"
#include "runtime/function_table.h"
#include "runtime/object.h"
#include "runtime/sets.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
#include "ui/core/tmsgbar.h"
#include "ui/core/tmsgitem.h"

namespace data {
namespace {

using testing::Holder;
using vdr::test::DialogAnswerer;
using vdr::test::ItemText;
using vdr::test::SeenDialog;
using vdr::test::WindowText;
using xb::Value;

// The first child whose window class contains `part`, without regard to case.
HWND ChildOfClass(HWND parent, const char* part) {
  struct Search {
    const char* part;
    HWND found = nullptr;
  } search{part};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        char name[64] = {};
        GetClassNameA(child, name, sizeof name);
        std::string have = name, want = s->part;
        for (std::string* t : {&have, &want})
          for (char& c : *t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (have.find(want) == std::string::npos) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void Type(HWND edit, const std::string& text) {
  SetFocus(edit);
  SendMessageA(edit, WM_KEYDOWN, VK_HOME, 0);
  for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
}

class ProgramDialogsTest : public testing::WindowedDataTest {
 protected:
  void SetUp() override {
    WindowedDataTest::SetUp();
    access_ = "2";
    xb::RegisterFunction("CACCESOMENU", [this](xb::Args& a) {
      asked_.emplace_back(a.Str(1));
      return Value::String(access_);
    });
    xb::SetValue(xb::SET_DATEFORMAT, Value::String("dd-mm-yy"));
    dSetDate(xb::Date::FromYmd(2024, 1, 10));
  }

  // A main window with a message bar showing the clock and the date.
  xb::Ref<ui::TMsgBar> MainWindowWithBar() {
    window_ = Make(20, 20, 500, 300);
    SetMainWindow(Value(window_));
    ui::TMsgBar::NewParams bar;
    bar.text = "Listo";
    bar.clock = true;
    bar.date = true;
    return ui::TMsgBar::New(*window_, bar);
  }
  void TearDown() override {
    SetMainWindow(Value());
    WindowedDataTest::TearDown();
  }

  std::string access_;
  std::vector<std::string> asked_;
  xb::Ref<ui::TWindow> window_;
};

TEST_F(ProgramDialogsTest, WithoutAccessTheWorkingDateStaysAndNoDialogShows) {
  access_ = "0";
  DialogAnswerer answerer(DialogAnswerer::Press("Cancelar"));
  const Value result = xb::EvalMacro("DGETDATE()");
  ASSERT_TRUE(result.IsLogical());
  EXPECT_FALSE(result.AsLogical());
  EXPECT_TRUE(answerer.seen().empty());
  EXPECT_EQ(asked_, std::vector<std::string>{"dGetDate"});
}

TEST_F(ProgramDialogsTest, ANewWorkingDateIsTypedWithItsCenturyAndTheFormatComesBack) {
  const xb::Ref<ui::TMsgBar> bar = MainWindowWithBar();
  ASSERT_TRUE(bar->oDate);
  EXPECT_EQ(bar->oDate->cMsg.size(), 8u);
  int step = 0;
  std::size_t date_shown = 0;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title != " Cambio fecha de trabajo") return 0;
    HWND edit = ChildOfClass(d.hwnd, "Edit");
    if (edit == nullptr) return 0;
    if (step++ == 0) {
      EXPECT_EQ(WindowText(edit), "10-01-2024");
      EXPECT_EQ(d.AllText(), "Nueva fecha");
      date_shown = bar->oDate ? bar->oDate->cMsg.size() : 0;
      Type(edit, "15032031");
      return 0;
    }
    vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\working_date.bmp");
    return d.ButtonId("Aceptar");
  });
  const Value result = dGetDate();
  EXPECT_EQ(result.AsDate(), xb::Date::FromYmd(2031, 3, 15));
  EXPECT_EQ(dSetDate(), xb::Date::FromYmd(2031, 3, 15));
  EXPECT_EQ(date_shown, 10u);  // the bar showed the century meanwhile
  EXPECT_EQ(xb::GetSetValue(xb::SET_DATEFORMAT).AsString(), "dd-mm-yy");
  ASSERT_TRUE(bar->oDate && bar->oClock);
  EXPECT_EQ(bar->oDate->cMsg.size(), 8u);
}

TEST_F(ProgramDialogsTest, CancellingKeepsTheDateAndTheCenturyFormatComesBackToo) {
  xb::SetValue(xb::SET_DATEFORMAT, Value::String("dd-mm-yyyy"));
  int step = 0;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    HWND edit = ChildOfClass(d.hwnd, "Edit");
    if (edit == nullptr) return 0;
    if (step++ == 0) {
      Type(edit, "01012000");
      return 0;
    }
    return d.ButtonId("Cancelar");
  });
  EXPECT_EQ(dGetDate().AsDate(), xb::Date::FromYmd(2024, 1, 10));
  EXPECT_EQ(xb::GetSetValue(xb::SET_DATEFORMAT).AsString(), "dd-mm-yyyy");
}

TEST_F(ProgramDialogsTest, TheMagnifierOpensTheCalendarOnTheField) {
  std::vector<std::string> calls;
  xb::RegisterFunction("QZ_MSGDATE", [&calls](xb::Args& a) {
    calls.push_back(a.Dat(1).Dtos() + " " + std::string(a.Str(2)));
    const Value chosen = Value::FromDate(xb::Date::FromYmd(2025, 12, 31));
    xb::Send(a.Arg(3), "VARPUT", {chosen});
    xb::Send(a.Arg(3), "REFRESH");
    return chosen;
  });
  int step = 0;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    HWND button = ChildOfClass(d.hwnd, "BtnBmp");
    if (button == nullptr) {
      ADD_FAILURE() << "no calendar button";
      return d.ButtonId("Cancelar");
    }
    if (step++ == 0) {
      PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
      PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
      return 0;
    }
    return calls.empty() ? 0 : d.ButtonId("Aceptar");
  });
  EXPECT_EQ(dGetDate().AsDate(), xb::Date::FromYmd(2025, 12, 31));
  EXPECT_EQ(calls, std::vector<std::string>{"20240110 Seleccione fecha"});
}

class UserConfigTest : public testing::WindowedDataTest {
 protected:
  // A configuration table with `level`: the ninth field some of the suite's tables have.
  void MakeConfig(bool level) {
    config_ = folder_ / (level ? "ConfigN.dbf" : "Config.dbf");
    std::string fields = "{{'CCODIGO', 'C', 2, 0}, {'LPRIORITY', 'L', 1, 0}, {'RUTAAEB', 'C', 70, 0}, "
                         "{'LMODTICKC', 'L', 1, 0}";
    if (level) fields += ", {'A', 'C', 1, 0}, {'B', 'C', 1, 0}, {'C', 'C', 1, 0}, {'D', 'C', 1, 0}, {'NNIVEL', 'N', 1, 0}";
    ASSERT_TRUE(xb::EvalMacro("DBCREATE('" + config_ + "', " + fields + "}, 'ADS')").AsLogical());
    ASSERT_TRUE(lNetUse(config_));
    for (const char* code : {"00", "01"}) {
      xb::EvalMacro("DBAPPEND()");
      xb::EvalMacro("FIELDPUT(1, '" + std::string(code) + "'), FIELDPUT(4, .T.)");
    }
    xb::EvalMacro("DBCOMMIT(), DBUNLOCK(), DBGOTO(2)");
  }
  static void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

  std::string config_;
};

TEST_F(UserConfigTest, TheRecordIsEditedAndWrittenBackUnderItsLock) {
  MakeConfig(false);
  bool edit_enabled = true;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title != "  Configuración de usuarios") return 0;
    EXPECT_EQ(SendMessageA(GetDlgItem(d.hwnd, 100), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(GetDlgItem(d.hwnd, 101), BM_GETCHECK, 0, 0), BST_CHECKED);
    edit_enabled = IsWindowEnabled(GetDlgItem(d.hwnd, 102)) != FALSE;
    Click(d.hwnd, 100);
    Click(d.hwnd, 101);
    vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\user_config.bmp");
    return 550;
  });
  EXPECT_TRUE(xb::EvalMacro("QZ_USERCONFIG()").AsLogical());
  EXPECT_FALSE(edit_enabled);  // no ninth field
  EXPECT_EQ(xb::EvalMacro("RECNO()").AsInt(), 2);
  EXPECT_TRUE(xb::EvalMacro("LPRIORITY").AsLogical());
  EXPECT_FALSE(xb::EvalMacro("LMODTICKC").AsLogical());
  EXPECT_TRUE(xb::EvalMacro("DBRLOCKLIST()").AsArray().empty());  // unlocked after
  xb::EvalMacro("DBGOTO(1)");
  EXPECT_FALSE(xb::EvalMacro("LPRIORITY").AsLogical());
}

TEST_F(UserConfigTest, TheLevelShowsAStoredZeroAsNine) {
  MakeConfig(true);
  std::string shown;
  int step = 0;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title != "  Configuración de usuarios") return 0;
    if (step++ == 0) {
      shown = ItemText(d.hwnd, 102);
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d.hwnd, 102)));
      Type(GetDlgItem(d.hwnd, 102), "5");
      return 0;
    }
    return 550;
  });
  EXPECT_TRUE(QzUserConfig());
  EXPECT_EQ(shown, "9");
  EXPECT_EQ(xb::EvalMacro("NNIVEL").AsInt(), 5);
}

TEST_F(UserConfigTest, ARecordHeldByAnotherProcessIsNotWritten) {
  MakeConfig(false);
  xb::EvalMacro("DBCLOSEAREA()");
  Holder holder(folder_, {"rlock", config_, "foxpro", "2"});
  ASSERT_TRUE(holder.holding());
  ASSERT_TRUE(lNetUse(config_));
  xb::EvalMacro("DBGOTO(2)");
  std::vector<std::string> titles;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    titles.push_back(d.title);
    if (d.title == "  Configuración de usuarios") {
      Click(d.hwnd, 100);
      return 550;
    }
    return d.ButtonId("Aceptar");
  });
  EXPECT_FALSE(QzUserConfig());
  EXPECT_EQ(titles, (std::vector<std::string>{"  Configuración de usuarios", "Acceso denegado"}));
  EXPECT_EQ(holder.Release(), 0);
  xb::EvalMacro("DBGOTO(2)");
  EXPECT_FALSE(xb::EvalMacro("LPRIORITY").AsLogical());
}

class AboutBoxTest : public testing::WindowedDataTest {
 protected:
  void SetUp() override {
    WindowedDataTest::SetUp();
    cPathStart(folder_.path());
    xb::SetValue(xb::SET_DATEFORMAT, Value::String("dd-mm-yyyy"));
  }
};

TEST_F(AboutBoxTest, TheProductVersionAndProgramFile) {
  ASSERT_TRUE(xb::EvalMacro("DBCREATE('" + folder_ / "VerVDRe.dbf" +
                            "', {{'PRODUCTO', 'C', 40, 0}, {'VERSION', 'C', 10, 0}, {'FECHA', 'D', 8, 0}}, 'ADS')")
                  .AsLogical());
  ASSERT_TRUE(lNetUse(folder_ / "VerVDRe"));
  xb::EvalMacro("DBAPPEND(), FIELDPUT(1, 'QZ Vendaro E Ombrisa'), FIELDPUT(2, '2003'), "
                "FIELDPUT(3, STOD('20030601')), DBCLOSEAREA()");
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string program = path;
  const Value entry = xb::EvalMacro("DIRECTORY('" + program + "')[1]");
  const std::int64_t size = entry.AsArray()[1].AsInt();
  const std::string size_picture = size < 10000000 ? "@E 9,999,999" : "@E 9,999,999,999";
  const std::string file_line =
      "Data_win_tests.exe - " +
      std::string(xb::EvalMacro("TRANSFORM(" + std::to_string(size) + ", '" + size_picture + "')").AsString()) +
      " bytes - " + std::string(xb::EvalMacro("DTOC(DIRECTORY('" + program + "')[1][3])").AsString());
  std::vector<std::string> texts;
  bool picture = false;
  LONG large = 0;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    if (d.title != "Acerca de") return 0;
    for (int id : {91, 92, 94}) texts.push_back(ItemText(d.hwnd, id));
    picture = SendMessageA(GetDlgItem(d.hwnd, 600), STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(d.hwnd, 181), WM_GETFONT, 0, 0)), sizeof font, &font);
    large = font.lfHeight;
    vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\about.bmp");
    return 401;
  });
  xb::EvalMacro("ACERCADE()");
  EXPECT_EQ(texts, (std::vector<std::string>{"QZ Vendaro E Ombrisa", "Versión 2003 del 01-06-2003", file_line}));
  EXPECT_EQ(file_line.find('*'), std::string::npos);  // a program this large still shows its size
  EXPECT_TRUE(picture);
  EXPECT_EQ(large, -15);
  EXPECT_EQ(xb::rdd::WorkAreas::Get().AreaOfAlias("Version"), 0);
}

TEST_F(AboutBoxTest, WithoutTheVersionTableTheProductHasItsDefaultName) {
  std::vector<std::string> titles;
  std::string product;
  DialogAnswerer answerer([&](const SeenDialog& d) -> int {
    titles.push_back(d.title);
    if (d.title == "Acerca de") {
      product = ItemText(d.hwnd, 91);
      return 401;
    }
    return d.ButtonId("Aceptar");
  });
  AcercaDe();
  EXPECT_EQ(titles, (std::vector<std::string>{"Atención", "Acerca de"}));  // the table's message first
  EXPECT_EQ(product, "QZ Producto");
}

}  // namespace
}  // namespace data
