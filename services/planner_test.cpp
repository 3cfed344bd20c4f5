#include <windows.h>

#include <map>

#include "data/program_settings.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/menu_access.h"
#include "services/menu_table.h"
#include "services/planner_tables.h"
#include "services/planner_window.h"
#include "services/planner_year.h"
#include "services/services_test_support.h"
#include "services/table_helpers.h"
#include "services/user_tables.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/screenshot.h"
#include "tests/support/window_text.h"
#include "ui/core/tmdiframe.h"
#include "ui/core/tmenu.h"
#include "ui/core/tmenuitem.h"

namespace svc {
namespace {

using testing::N;
using testing::S;
using xb::Value;
namespace pl = planner;

// ---- the calendar ---------------------------------------------------------------------------

TEST(PlannerYearTest, ANewYearFillsWeekdaysAndLeavesNoDayPastAMonthsEnd) {
  struct Case {
    int year;
    int february_days;
    const char* january;  // the first days of January
  };
  // 2024: a leap year starting on a Monday; 2023 on a Sunday; 2022 on a Saturday.
  const Case cases[] = {{2024, 29, "CCCCCDE"}, {2023, 28, "ECCCCCD"}, {2022, 28, "DECCCCC"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.year);
    const pl::Months months = pl::NewYear(c.year);
    EXPECT_EQ(months[0].substr(0, 7), c.january);
    EXPECT_EQ(pl::DaysInMonth(c.year, 2), c.february_days);
    for (int m = 1; m <= 12; ++m) {
      ASSERT_EQ(months[m - 1].size(), 31u);
      const int days = pl::DaysInMonth(c.year, m);
      EXPECT_EQ(months[m - 1].find(' '), days == 31 ? std::string::npos : static_cast<std::size_t>(days)) << m;
      EXPECT_EQ(months[m - 1].find_first_not_of(' ', days), std::string::npos) << m;
    }
  }
  EXPECT_EQ(pl::WeekdayLetter(2022, 1, 1), 'S');
  EXPECT_EQ(pl::WeekdayLetter(2024, 2, 29), 'J');
  EXPECT_EQ(pl::WeekdayLetter(2023, 12, 31), 'D');
  EXPECT_EQ(pl::WeekdayLetter(2000, 3, 1), 'X');
  EXPECT_FALSE(pl::IsLeapYear(1900));
  EXPECT_TRUE(pl::IsLeapYear(2000));
}

TEST(PlannerYearTest, RangesMarkBothWaysAndNeverPastAMonthsEnd) {
  const pl::Months fresh = pl::NewYear(2023);
  // The same rectangle from either corner.
  for (const auto& [m1, d1, m2, d2] : {std::tuple{1, 28, 3, 31}, std::tuple{3, 31, 1, 28}, std::tuple{1, 31, 3, 28}}) {
    pl::Months months = fresh;
    pl::MarkRange(months, 2023, m1, d1, m2, d2, 'A');
    EXPECT_EQ(months[0].substr(27), "AAAA");
    EXPECT_EQ(months[1].substr(27), "A   ");  // 28 February only
    EXPECT_EQ(months[2].substr(27), "AAAA");
    EXPECT_EQ(months[0].substr(0, 27), fresh[0].substr(0, 27));
    EXPECT_EQ(months[3], fresh[3]);
  }
  pl::Months months = fresh;
  pl::MarkDay(months, 2023, 2, 30, 'B');
  pl::MarkDay(months, 2023, 13, 1, 'B');
  EXPECT_EQ(months, fresh);
  // Whatever a stored record holds past a month's end is no day.
  months[1] = std::string(31, 'Z');
  EXPECT_EQ(pl::ConceptAt(months, 2023, 2, 28), 'Z');
  EXPECT_EQ(pl::ConceptAt(months, 2023, 2, 29), ' ');
  EXPECT_EQ(pl::Normalised({"AB"})[0], "AB" + std::string(29, ' '));
}

TEST(PlannerYearTest, EachColourHasItsSwatch) {
  EXPECT_EQ(pl::SwatchFor(0), "BM_NEGRO");
  EXPECT_EQ(pl::SwatchFor(16711680), "BM_AZULCLARO");
  EXPECT_EQ(pl::SwatchFor(8421504), "BM_GRISCLARO");
  EXPECT_EQ(pl::SwatchFor(1), "");
  for (const pl::Concept& c : pl::kConcepts) EXPECT_NE(pl::SwatchFor(c.colour), "") << c.key;
}

// ---- the tables ------------------------------------------------------------------------------

class PlannerTablesTest : public testing::ServicesTest {
 protected:
  std::string StartFile(const std::string& name) { return std::string(kStart) + name; }
  bool Exists(const std::string& name) { return FileExists(StartFile(name)); }
  // A concept record as key|text|colour.
  static std::string ConceptText(const testing::Rec& rec) {
    std::map<std::string, Value> f(rec.begin(), rec.end());
    return std::string(f["CCLAVE"].AsString()) + "|" + std::string(xb::AllTrim(f["CCONCEP"].AsString())) + "|" +
           std::to_string(f["NCOLOR"].AsInt());
  }
  // The tags of the table open under `alias`: name and key.
  std::vector<std::string> Tags(const std::string& alias) {
    std::vector<std::string> tags;
    X("DbSelectArea( '" + alias + "' )");
    for (int i = 1; !X("OrdName(" + std::to_string(i) + ")").AsString().empty(); ++i)
      tags.push_back(std::string(X("OrdName(" + std::to_string(i) + ")").AsString()) + "=" +
                     std::string(X("OrdKey(" + std::to_string(i) + ")").AsString()));
    return tags;
  }
};

TEST_F(PlannerTablesTest, CreaPlannWinOnAnEmptyFolderMakesTablesTagsAndConcepts) {
  ASSERT_TRUE(CreaPlannWin());
  for (const char* file : {"PlannWin.dbf", "ConcPlan.dbf", "PlanWTit.cdx", "PlanWAni.cdx", "PlanWCon.cdx"})
    EXPECT_TRUE(Exists(file)) << file;
  EXPECT_FALSE(Exists("PlannWin.cdx"));
  const auto concepts = Records(StartFile("ConcPlan"));
  ASSERT_EQ(concepts.size(), 16u);
  for (std::size_t i = 0; i < concepts.size(); ++i) {
    const pl::Concept& c = pl::kConcepts[i];
    EXPECT_EQ(ConceptText(concepts[i]), std::string(1, c.key) + "|" + c.text + "|" + std::to_string(c.colour));
  }
  EXPECT_EQ(areas().AreaOfAlias(kPlannerAlias), 0);
  ASSERT_TRUE(OpenPlannerTables());
  EXPECT_EQ(Tags(kPlannerAlias), (std::vector<std::string>{"PLANWTIT=Upper( cTitulo )", "PLANWANI=cAnio"}));
  EXPECT_EQ(Tags(kConceptAlias), (std::vector<std::string>{"PLANWCON=cClave"}));
  const auto read = ReadConcepts();
  ASSERT_EQ(read.size(), 16u);
  EXPECT_EQ(read[3].text, "Sábado");
  EXPECT_EQ(read[15].colour, 32896);
  ClosePlannerTables();
}

TEST_F(PlannerTablesTest, ALostIndexIsMadeAgainAndTheDataStays) {
  ASSERT_TRUE(CreaPlannWin());
  ASSERT_TRUE(OpenPlannerTables());
  ASSERT_TRUE(AddPlanner({"Tienda Centro", 2024, pl::NewYear(2024)}));
  ClosePlannerTables();
  EraseFile(StartFile("PlanWAni.cdx"));
  ASSERT_TRUE(CreaPlannWin());
  EXPECT_TRUE(Exists("PlanWAni.cdx"));
  EXPECT_EQ(Records(StartFile("ConcPlan")).size(), 16u);
  ASSERT_TRUE(OpenPlannerTables());
  EXPECT_TRUE(FindPlanner("2024", true));
  EXPECT_EQ(CurrentPlanner().title, "Tienda Centro");
  ClosePlannerTables();
}

TEST_F(PlannerTablesTest, PlannersAreAddedOnceFoundSavedAndDeleted) {
  ASSERT_TRUE(CreaPlannWin());
  ASSERT_TRUE(OpenPlannerTables());
  ASSERT_TRUE(AddPlanner({"Tienda Centro", 2024, pl::NewYear(2024)}));
  ASSERT_TRUE(AddPlanner({"Almacén", 2024, pl::NewYear(2024)}));
  ASSERT_TRUE(AddPlanner({"Tienda Centro", 2025, pl::NewYear(2025)}));
  // The title counts in upper case and trimmed, with the year.
  EXPECT_FALSE(AddPlanner({"  tienda centro ", 2024, pl::NewYear(2024)}));
  ASSERT_EQ(log().messages.size(), 1u);
  EXPECT_EQ(log().messages[0].text, "Clave duplicada");
  EXPECT_EQ(log().messages[0].title, "Valor no aceptado");

  EXPECT_TRUE(FindPlanner("almacén", false));
  EXPECT_EQ(CurrentPlanner().title, "Almacén");
  EXPECT_TRUE(FindPlanner("2025", true));
  Planner found = CurrentPlanner();
  EXPECT_EQ(found.title, "Tienda Centro");
  EXPECT_EQ(found.year, 2025);
  EXPECT_EQ(found.months, pl::NewYear(2025));
  log().messages.clear();
  EXPECT_FALSE(FindPlanner("1999", true));
  ASSERT_EQ(log().messages.size(), 1u);
  EXPECT_EQ(log().messages[0].text, "Registro no localizado");
  EXPECT_EQ(log().messages[0].title, "Información");
  EXPECT_EQ(CurrentPlanner().year, 2025);  // the pointer stays

  pl::Months months = found.months;
  pl::MarkDay(months, 2025, 12, 25, 'A');
  ASSERT_TRUE(SavePlanner(months));
  EXPECT_EQ(CurrentPlanner().months[11][24], 'A');
  EXPECT_TRUE(X("DbSelectArea( 'PlannWin' ), Len( DbRLockList() ) == 0").AsLogical());

  ASSERT_TRUE(SaveConceptText('H', "Inventario"));
  EXPECT_EQ(ReadConcepts()[5].text, "Inventario");
  ClosePlannerTables();
  EXPECT_EQ(ConceptText(Records(StartFile("ConcPlan"))[5]), "H|Inventario|0");
}

TEST_F(PlannerTablesTest, NtxAgendaPacksAndIndexesEveryAgendaTable) {
  WriteTable(StartFile("Agenda"), {{"CAPELLIDOS", "C40"}, {"CCLAVE", "C6"}, {"CCODPOSTAL", "C5"}},
             {{{"CAPELLIDOS", S("perez")}, {"CCLAVE", S("000002")}, {"CCODPOSTAL", S("28001")}},
              {{"CAPELLIDOS", S("García")}, {"CCLAVE", S("000001")}, {"CCODPOSTAL", S("08002")}},
              {{"CAPELLIDOS", S("Borrado")}, {"CCLAVE", S("000003")}, {"CCODPOSTAL", S("41003")}}});
  X("DbUseArea( .T., , '" + StartFile("Agenda") + "', 'X', .F. ), DbGoto( 3 ), DbDelete(), DbCloseArea()");
  for (const char* t : {"FmtAge1", "FmtAge2", "FmtAge3"})
    WriteTable(StartFile(t), {{"NCODFMT", "N4"}}, {{{"NCODFMT", N(7)}}, {{"NCODFMT", N(3)}}});
  NtxAgenda();
  EXPECT_TRUE(log().messages.empty());
  for (const char* file : {"Agenda.cdx", "FmtAge1.cdx", "FmtAge2.cdx", "FmtAge3.cdx"}) EXPECT_TRUE(Exists(file)) << file;

  X("DbUseArea( .T., , '" + StartFile("Agenda") + "', 'AGENDA', .T. )");
  EXPECT_EQ(X("RecCount()").AsInt(), 2);  // packed
  EXPECT_EQ(Tags("AGENDA"), (std::vector<std::string>{"AGENDA=Upper( cApellidos )", "AGECLA=cClave", "AGEPOS=cCodPostal"}));
  EXPECT_TRUE(X("OrdSetFocus( 'AgePos' ), DbSeek( '08002' )").AsLogical());
  EXPECT_EQ(std::string(xb::AllTrim(X("AGENDA->CAPELLIDOS").AsString())), "García");
  EXPECT_TRUE(X("OrdSetFocus( 'Agenda' ), DbSeek( 'PEREZ' )").AsLogical());
  X("DbCloseArea()");
  X("DbUseArea( .T., , '" + StartFile("FmtAge2") + "', 'F2', .T. )");
  EXPECT_EQ(Tags("F2"), (std::vector<std::string>{"FMTAGE3=nCodFmt"}));
  EXPECT_TRUE(X("OrdSetFocus( 1 ), DbSeek( 3 )").AsLogical());
  EXPECT_EQ(X("RecNo()").AsInt(), 2);
  X("DbCloseArea()");
}

TEST_F(PlannerTablesTest, ATableHeldElsewhereKeepsItsIndexAndIsReported) {
  WriteTable(StartFile("Agenda"), {{"CAPELLIDOS", "C40"}, {"CCLAVE", "C6"}, {"CCODPOSTAL", "C5"}},
             {{{"CAPELLIDOS", S("García")}, {"CCLAVE", S("000001")}, {"CCODPOSTAL", S("08002")}}},
             {{"AGENDA", "Upper( cApellidos )"}});
  X("DbUseArea( .T., , '" + StartFile("Agenda") + "', 'HELD', .T. )");
  NtxAgenda();
  EXPECT_FALSE(log().messages.empty());
  EXPECT_TRUE(Exists("Agenda.cdx"));
  EXPECT_EQ(Tags("HELD"), (std::vector<std::string>{"AGENDA=Upper( cApellidos )"}));
  X("DbCloseArea()");

  // The same for the planner tables.
  // An open that failed before does not make the next one fail.
  ASSERT_TRUE(CreaPlannWin());
  X("DbUseArea( .T., , '" + StartFile("ConcPlan") + "', 'HELD', .T. )");
  log().messages.clear();
  EXPECT_FALSE(CreaPlannWin());
  EXPECT_FALSE(log().messages.empty());
  EXPECT_TRUE(Exists("PlanWCon.cdx"));
  X("DbCloseArea()");
}

TEST_F(PlannerTablesTest, TheStartFolderReindexRunsBothSteps) {
  ASSERT_TRUE(X("CREAPLANNWIN()").AsLogical());
  EraseFile(StartFile("PlanWTit.cdx"));
  WriteTable(StartFile("FmtAge1"), {{"NCODFMT", "N4"}}, {{{"NCODFMT", N(1)}}});
  X("SDEINDEX()");
  EXPECT_TRUE(Exists("PlanWTit.cdx"));
  EXPECT_TRUE(Exists("FmtAge1.cdx"));
}

// ---- the window and the dialog (under Wine) -----------------------------------------------------

class PlannerWindowTest : public PlannerTablesTest {
 protected:
  void SetUp() override {
    PlannerTablesTest::SetUp();
    frame_ = OpenMainFrame(940, 680);
    SetMenuOption(1, {nullptr, "PlannWin", '2'});
    ASSERT_TRUE(CreaPlannWin());
    ASSERT_TRUE(OpenPlannerTables());
  }
  void TearDown() override {
    ClosePlannerTables();
    data::SetMainWindow(Value());
    frame_ = {};
    PlannerTablesTest::TearDown();
  }
  // Moves the concept list to a concept.
  static void SelectConcept(char key) {
    X(std::string("ConcPlan->( DbSeek( '") + key + "' ) )");
  }
  static void ClickCell(PlannerDialog& d, int month, int day, bool shift) {
    const POINT p = d.CellCentre(month, day);
    SendMessageA(d.hwnd(), WM_LBUTTONDOWN, shift ? MK_LBUTTON | MK_SHIFT : MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageA(d.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  }
  // A message box that no test expects is noted and closed, so that nothing waits.
  int Stray(const vdr::test::SeenDialog& d, PlannerDialog* planner) {
    if ((planner != nullptr && d.hwnd == planner->hwnd()) || d.title == "Planning" || d.buttons.empty()) return 0;
    ADD_FAILURE() << "unexpected: " << d.title << ": " << d.AllText();
    return d.buttons.front().id;
  }
  xb::Ref<ui::TMdiFrame> frame_;
};

TEST_F(PlannerWindowTest, TheDialogPaintsClicksAndRangesAndSaves) {
  const int year = static_cast<int>(X("Year( Date() )").AsInt());
  struct Seen {
    COLORREF before = 0, after = 0, range_end = 0, past_end = 0;
    bool pending = false;
    std::string months_after;
  } seen;
  bool done = false;
  vdr::test::DialogAnswerer answerer([&](const vdr::test::SeenDialog& d) -> int {
    PlannerDialog* planner = OpenPlannerDialog();
    if (int stray = Stray(d, planner)) return stray;
    if (done || planner == nullptr || d.hwnd != planner->hwnd()) return 0;
    done = true;
    HWND title = GetDlgItem(d.hwnd, 103);
    SetFocus(title);
    for (char c : std::string("Tienda Centro")) SendMessageA(title, WM_CHAR, static_cast<unsigned char>(c), 0);
    seen.before = planner->CellColour(3, 2);
    SelectConcept('A');
    ClickCell(*planner, 3, 2, false);
    seen.after = planner->CellColour(3, 2);
    // A range from 31 January up to 28 February... and back over to 30 March.
    SelectConcept('B');
    ClickCell(*planner, 3, 30, true);
    seen.pending = planner->range_pending();
    ClickCell(*planner, 1, 28, true);
    seen.range_end = planner->CellColour(1, 28);
    seen.past_end = planner->CellColour(2, 30);
    vdr::test::SaveWindowBitmap(d.hwnd, vdr::test::ScreenshotFolder() + "\\planner_dialog.bmp");
    return 550;
  });
  PlannerDialog dialog(PlannerMode::kAdd, true);
  EXPECT_TRUE(dialog.Run());
  ASSERT_TRUE(done);
  EXPECT_EQ(seen.after, static_cast<COLORREF>(128));
  EXPECT_NE(seen.before, seen.after);
  EXPECT_TRUE(seen.pending);
  EXPECT_EQ(seen.range_end, static_cast<COLORREF>(65535));
  EXPECT_EQ(seen.past_end, GetSysColor(COLOR_BTNFACE));
  ASSERT_TRUE(FindPlanner("TIENDA CENTRO", false));
  const Planner saved = CurrentPlanner();
  EXPECT_EQ(saved.year, year);
  pl::Months expected = pl::NewYear(year);
  pl::MarkDay(expected, year, 3, 2, 'A');
  pl::MarkRange(expected, year, 1, 28, 3, 30, 'B');
  EXPECT_EQ(saved.months, expected);
}

// A planner added without a title, or with the year 0, is refused with a message that says
// which is missing; the dialog stays open and nothing is written.
TEST_F(PlannerWindowTest, AddingSaysWhatIsMissing) {
  std::vector<std::string> told;
  int step = 0;
  vdr::test::DialogAnswerer answerer([&](const vdr::test::SeenDialog& d) -> int {
    PlannerDialog* planner = OpenPlannerDialog();
    if (planner == nullptr || d.hwnd != planner->hwnd()) {
      if (d.buttons.empty()) return 0;  // the notice shown while the calendar is drawn
      told.push_back(d.title + ": " + d.AllText());
      return d.buttons.front().id;
    }
    if (!IsWindowEnabled(d.hwnd) || static_cast<int>(told.size()) < step) return 0;
    auto press = [&](int id) {
      PostMessageA(d.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d.hwnd, id)));
    };
    switch (step++) {
      case 0: press(550); break;  // no title
      case 1: {
        HWND title = GetDlgItem(d.hwnd, 103);
        SetFocus(title);
        for (char c : std::string("Tienda")) SendMessageA(title, WM_CHAR, static_cast<unsigned char>(c), 0);
        HWND year = GetDlgItem(d.hwnd, 102);
        SetFocus(year);
        SendMessageA(year, WM_KEYDOWN, VK_HOME, 0);
        for (char c : std::string("0000")) SendMessageA(year, WM_CHAR, static_cast<unsigned char>(c), 0);
        press(550);
        break;
      }
      default: return 551;
    }
    return 0;
  });
  PlannerDialog dialog(PlannerMode::kAdd, true);
  EXPECT_FALSE(dialog.Run());
  EXPECT_EQ(told, (std::vector<std::string>{"Valor no Aceptado: El título del planning no puede quedar vacío",
                                            "Valor no Aceptado: El año del planning no puede quedar vacío"}));
  EXPECT_TRUE(Records(StartFile("PlannWin")).empty());
}

TEST_F(PlannerWindowTest, ViewModeMarksNothingAndCannotSave) {
  ASSERT_TRUE(AddPlanner({"Almacén", 2022, pl::NewYear(2022)}));
  ASSERT_TRUE(FindPlanner("almacén", false));
  bool done = false;
  COLORREF first = 0;
  bool save_enabled = true;
  vdr::test::DialogAnswerer answerer([&](const vdr::test::SeenDialog& d) -> int {
    PlannerDialog* planner = OpenPlannerDialog();
    if (int stray = Stray(d, planner)) return stray;
    if (done || planner == nullptr || d.hwnd != planner->hwnd()) return 0;
    done = true;
    SelectConcept('A');
    ClickCell(*planner, 1, 1, false);
    first = planner->CellColour(1, 1);
    save_enabled = IsWindowEnabled(GetDlgItem(d.hwnd, 550)) != 0;
    return 551;
  });
  PlannerDialog dialog(PlannerMode::kView, true);
  EXPECT_FALSE(dialog.Run());
  ASSERT_TRUE(done);
  EXPECT_EQ(first, static_cast<COLORREF>(16711680));  // 1 January 2022 stays a Saturday
  EXPECT_FALSE(save_enabled);
  EXPECT_EQ(CurrentPlanner().months, pl::NewYear(2022));
}

TEST_F(PlannerWindowTest, TheWindowOpensOnceWithItsBar) {
  ClosePlannerTables();
  PlannWin();
  ui::TMdiChild* window = PlannerWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(vdr::test::WindowText(window->hWnd), " Planning");
  EXPECT_NE(areas().AreaOfAlias(kPlannerAlias), 0);
  RECT r;
  GetWindowRect(window->hWnd, &r);
  MapWindowPoints(nullptr, GetParent(window->hWnd), reinterpret_cast<POINT*>(&r), 2);
  // 30 pixels in from the client area's edges (its 3D edge aside).
  EXPECT_NEAR(r.left, 30, 2);
  EXPECT_NEAR(r.top, 30, 2);
  vdr::test::PumpPending();
  vdr::test::SaveWindowBitmap(frame_->hWnd, vdr::test::ScreenshotFolder() + "\\planner_window.bmp");
  PlannWin();
  EXPECT_EQ(PlannerWindow(), window);
  window->End();
  vdr::test::PumpUntil([] { return PlannerWindow() == nullptr; });
  EXPECT_EQ(PlannerWindow(), nullptr);
  EXPECT_EQ(areas().AreaOfAlias(kPlannerAlias), 0);
}

// Chosen from the menu while open (its item checked), the option closes the window, as the
// other windows of options do.
TEST_F(PlannerWindowTest, ItsOptionChosenAgainClosesTheWindow) {
  ClosePlannerTables();
  qzw_CreaUsuarios(true, false);  // the supervisor, every option at "2"
  WriteMenuTable({{0, "", "&Utilidades", ""}, {1, "PlannWin", "&Planning", "PlannWin()"}, {3, "", "", ""}}, "MenuWinE");
  xb::Ref<ui::TMenu> menu = oMenuInit({.table = "MenuWinE"});
  const MenuOption* option = MenuOptionAt(FindMenuOption("PlannWin"));
  ASSERT_NE(option, nullptr);
  ASSERT_TRUE(option->item);
  option->item->Run();
  ASSERT_NE(PlannerWindow(), nullptr);
  EXPECT_TRUE(option->item->lChecked);
  option->item->Run();
  vdr::test::PumpUntil([] { return PlannerWindow() == nullptr; });
  EXPECT_EQ(PlannerWindow(), nullptr);
  EXPECT_FALSE(option->item->lChecked);
  EXPECT_EQ(areas().AreaOfAlias(kPlannerAlias), 0);
  EXPECT_TRUE(errors.empty());
  menu->End();
}

TEST_F(PlannerWindowTest, ItsKeyDeletesAPlannerAfterTheQuestion) {
  ASSERT_TRUE(AddPlanner({"Almacén", 2022, pl::NewYear(2022)}));
  ASSERT_TRUE(AddPlanner({"Tienda", 2023, pl::NewYear(2023)}));
  ClosePlannerTables();
  PlannWin();
  ASSERT_NE(PlannerWindow(), nullptr);
  std::vector<std::string> asked;
  vdr::test::DialogAnswerer answerer([&](const vdr::test::SeenDialog& d) {
    asked.push_back(d.AllText());
    return 552;  // "Sí"
  });
  // The first planner by title: "Almacén".
  ASSERT_NE(PlannerBrowse(), nullptr);
  HWND browse = PlannerBrowse()->hWnd;
  ASSERT_NE(browse, nullptr);
  SendMessageA(browse, WM_CHAR, 'e', 0);
  vdr::test::PumpPending();
  EXPECT_EQ(asked.size(), 1u);
  EXPECT_TRUE(errors.empty());
  PlannerWindow()->End();
  vdr::test::PumpUntil([] { return PlannerWindow() == nullptr; });
  const auto left = Records(StartFile("PlannWin"));
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(std::string(xb::AllTrim(left[0][0].second.AsString())), "Tienda");
}

// Keys pressed on the list as a person presses them: each clicks the button of the character
// it types, or none.
TEST_F(PlannerWindowTest, KeysPressedOnTheListClickTheButtonOfTheirCharacter) {
  ClosePlannerTables();
  PlannWin();
  ASSERT_NE(PlannerWindow(), nullptr);
  auto* bar = dynamic_cast<ui::TWindow*>(PlannerWindow()->oBar.get());
  ASSERT_NE(bar, nullptr);
  const std::shared_ptr<std::string> clicked = testing::RecordClicks(bar->aControls);
  for (const testing::HotKeyCase& c : testing::HotKeyCases()) {
    clicked->clear();
    testing::PressOn(PlannerBrowse()->hWnd, c.keys);
    EXPECT_EQ(*clicked, c.letter ? std::string(1, c.letter) : std::string()) << c.name;
  }
  EXPECT_NE(PlannerWindow(), nullptr);
  PlannerWindow()->End();
  vdr::test::PumpUntil([] { return PlannerWindow() == nullptr; });
}

}  // namespace
}  // namespace svc
