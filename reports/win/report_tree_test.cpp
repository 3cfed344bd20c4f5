// The report, graphics and restoration trees as the user drives them: by letters, the
// right button and their buttons' access.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <map>
#include <thread>

#include "data/data_functions.h"
#include "data/program_settings.h"
#include "data/win/windowed_data_ui.h"
#include "reports/report_definitions.h"
#include "reports/report_functions.h"
#include "reports/report_run.h"
#include "reports/report_test_support.h"
#include "reports/tdictqz.h"
#include "reports/win/report_tree.h"
#include "reports/win/report_window_functions.h"
#include "reports/win/report_window_test_support.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/rdd/test_support.h"
#include "runtime/rdd/workareas.h"
#include "runtime/sets.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/pump.h"
#include "tests/support/screenshot.h"
#include "ui/bridge/resources.h"
#include "ui/controls/controls.h"
#include "ui/controls/tqztreeview.h"
#include "ui/core/core_test_support.h"
#include "ui/core/tmenu.h"
#include "ui/core/tmenuitem.h"
#include "ui/core/window_table.h"

namespace reports {
namespace {

using testing::Add;
using testing::Shot;
using testing::X;
using vdr::test::DialogAnswerer;
using vdr::test::SeenDialog;
using xb::Value;

ui::TQZTreeView* TreeOf(HWND dialog) {
  return dynamic_cast<ui::TQZTreeView*>(ui::OWndFromHwnd(GetDlgItem(dialog, 100)).get());
}

// The tree's items as indented lines.
void Lines(const std::vector<xb::Ref<ui::TTVItemQZ>>& items, int depth, std::vector<std::string>& out) {
  for (const auto& item : items) {
    out.push_back(std::string(static_cast<std::size_t>(depth) * 2, ' ') + item->cPrompt);
    Lines(item->aItems, depth + 1, out);
  }
}
std::vector<std::string> Lines(ui::TQZTreeView& tree) {
  std::vector<std::string> out;
  Lines(tree.aItems, 0, out);
  return out;
}

ui::TTVItemQZ* Find(const std::vector<xb::Ref<ui::TTVItemQZ>>& items, const std::string& prompt) {
  for (const auto& item : items) {
    if (item->cPrompt == prompt) return item.get();
    if (ui::TTVItemQZ* inner = Find(item->aItems, prompt)) return inner;
  }
  return nullptr;
}

// "1" for each enabled button of the open tree, "0" for each disabled one.
std::string Enabled() {
  std::string s;
  for (const TreeButtonState& b : OpenTreeButtons()) s += b.enabled ? '1' : '0';
  return s;
}

constexpr const char* kBuilding = "Construyendo árbol, espere por favor...";

// Each showing of the message "Construyendo árbol...", watched through hooks of this
// thread: the tree's items when it opens and when it closes, whether its text was on the
// screen, and the tree's items whenever it answered the questions another thread keeps
// asking it while it shows (answered only when it pumps).
class BuildingWatch {
 public:
  struct Shown {
    int items_at_open = -1, items_at_close = -1;
    bool visible = false, inked = false;
    std::vector<int> items_when_answering{};
  };
  BuildingWatch() {
    Self() = this;
    cbt_ = SetWindowsHookExA(WH_CBT, &Cbt, nullptr, GetCurrentThreadId());
    sent_ = SetWindowsHookExA(WH_CALLWNDPROC, &Sent, nullptr, GetCurrentThreadId());
  }
  ~BuildingWatch() {
    UnhookWindowsHookEx(cbt_);
    UnhookWindowsHookEx(sent_);
    Self() = nullptr;
    if (asker_.joinable()) asker_.join();
  }
  const std::vector<Shown>& shown() {
    if (asker_.joinable()) asker_.join();
    return shown_;
  }

 private:
  static BuildingWatch*& Self() {
    static BuildingWatch* self = nullptr;
    return self;
  }
  static int TreeItems() {
    HWND tree = GetDlgItem(FindWindowA(nullptr, "Informes"), 100);
    return tree == nullptr ? -1 : static_cast<int>(SendMessageA(tree, TVM_GETCOUNT, 0, 0));
  }
  // Dark pixels of the label as the screen shows it now, nothing repainted for the look.
  static bool Inked(HWND label) {
    RECT r{};
    GetClientRect(label, &r);
    HDC dc = GetDC(label);
    int dark = 0;
    for (int y = 0; y < r.bottom; ++y)
      for (int x = 0; x < r.right; ++x)
        if (const COLORREF c = GetPixel(dc, x, y); c != CLR_INVALID && GetRValue(c) + GetGValue(c) + GetBValue(c) < 200) ++dark;
    ReleaseDC(label, dc);
    return dark > 20;
  }
  static LRESULT CALLBACK Cbt(int code, WPARAM wp, LPARAM lp) {
    BuildingWatch* self = Self();
    if (self != nullptr && code == HCBT_CREATEWND) {
      const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lp)->lpcs;
      if (cs->lpszName != nullptr && !IS_INTRESOURCE(cs->lpszName) && std::string(cs->lpszName) == kBuilding) {
        if (self->asker_.joinable()) self->asker_.join();
        self->box_ = cs->hwndParent;
        self->label_ = reinterpret_cast<HWND>(wp);
        self->shown_.push_back({TreeItems()});
        self->asker_ = std::thread([box = self->box_] {
          while (IsWindow(box)) {
            DWORD_PTR result = 0;
            SendMessageTimeoutA(box, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
          }
        });
      }
    } else if (self != nullptr && code == HCBT_DESTROYWND && self->box_ != nullptr && reinterpret_cast<HWND>(wp) == self->box_) {
      Shown& s = self->shown_.back();
      s.items_at_close = TreeItems();
      s.visible = IsWindowVisible(self->box_) != 0;
      s.inked = Inked(self->label_);
      if (self->shown_.size() == 1) Shot(self->box_, "report_tree_building");
      self->box_ = nullptr;
    }
    return CallNextHookEx(nullptr, code, wp, lp);
  }
  static LRESULT CALLBACK Sent(int code, WPARAM wp, LPARAM lp) {
    BuildingWatch* self = Self();
    const CWPSTRUCT* m = reinterpret_cast<CWPSTRUCT*>(lp);
    if (self != nullptr && code == HC_ACTION && self->box_ != nullptr && m->hwnd == self->box_ && m->message == WM_NULL)
      self->shown_.back().items_when_answering.push_back(TreeItems());
    return CallNextHookEx(nullptr, code, wp, lp);
  }

  HHOOK cbt_ = nullptr, sent_ = nullptr;
  HWND box_ = nullptr, label_ = nullptr;
  std::thread asker_;
  std::vector<Shown> shown_;
};

// One step of a drive through a tree: the item to select ("" leaves it) and the key typed.
struct Step {
  std::string select;
  char key;
  std::function<void(ui::TQZTreeView&)> check = {};
};

class ReportTreeTest : public testing::ReportWindowTest<> {
 protected:
  ReportTreeTest() : ReportWindowTest({.user = "05", .window_functions = true, .outputs = false}) {}
  void SetUp() override {
    DialogAnswerer setup([](const SeenDialog& d) {
      if (d.title.find("Atenci") == std::string::npos) return 0;
      ADD_FAILURE() << d.title << ": " << d.AllText();
      return d.buttons.empty() ? 0 : d.buttons[0].id;
    });
    ASSERT_NO_FATAL_FAILURE(ReportWindowTest::SetUp());
    xb::RegisterFunction("GRAFICOPRUEBA", [this](xb::Args& a) {
      graphics_.push_back(std::string(a.Str(1)) + (X("TI_LGRAFICOFROMDICT()").AsLogical() ? "+" : "-"));
      return Value();
    });
    Add("Categor", "CATEGORIA := 'VEN', DESCRIPC := 'Ventas', INFDOC := 'I'");
    Add("Categor", "CATEGORIA := 'COM', DESCRIPC := 'Compras', INFDOC := 'I'");
    Add("SubCat", "SUBCAT := 'DIA', CATEGORIA := 'VEN', DESCRIPC := 'Diarias'");
    Add("Informes", "INFORME := 'INF1', CATEGORIA := 'VEN', DESCRIPC := 'Ventas por cliente', ACCESO1 := '052'");
    Add("Informes", "INFORME := 'INF2', CATEGORIA := 'VEN', SUBCAT := 'DIA', DESCRIPC := 'Caja del día', "
                    "ACCESO1 := '051'");
    Add("Informes", "INFORME := 'INF3', CATEGORIA := 'COM', DESCRIPC := 'Proveedores'");
    Add("GrafCat", "CODIGO := 'EST', DESCRIPC := 'Estadísticas'");
    Add("Graficos", "CODIGO := 'G1', CATEGORIA := 'EST', DESCRIPC := 'Ventas mensuales', "
                    "FUNCION := \"GraficoPrueba('G1')\"");
  }
  // The reports, "code description" each, in the table's order.
  std::vector<std::string> Codes(bool described = false) {
    std::vector<std::string> codes;
    const std::string a = TDictQZ::AliasOf("Informes");
    X(a + "->(DBGoTop())");
    while (!X(a + "->(Eof())").AsLogical()) {
      codes.emplace_back(xb::AllTrim(X(a + "->INFORME").AsString()));
      if (described) codes.back() += " " + std::string(xb::AllTrim(X(a + "->DESCRIPC").AsString()));
      X(a + "->(DBSkip())");
    }
    return codes;
  }

  // Drives each tree by its title through its steps (each once the tree is enabled again,
  // with no menu open), then closes it with "S"; a menu open on a tree goes to `on_menu`
  // and is closed, other dialogs go to `others`.
  void Drive(const std::function<void()>& open, std::map<std::string, std::vector<Step>> trees,
             std::function<int(const SeenDialog&)> others = {}, std::function<void(ui::TMenu&)> on_menu = {}) {
    std::map<std::string, std::size_t> next;
    std::map<HWND, bool> closing;
    bool menu_handled = false;
    DialogAnswerer answerer([&](const SeenDialog& d) -> int {
      if (d.AllText() == kBuilding) return 0;  // it closes by itself
      auto it = trees.find(d.title);
      if (it == trees.end()) {
        if (others) return others(d);
        texts_.push_back(d.title + ": " + d.AllText());
        return d.buttons.empty() ? 0 : d.buttons[0].id;
      }
      ui::TQZTreeView* tree = TreeOf(d.hwnd);
      if (tree == nullptr || !IsWindowEnabled(d.hwnd)) return 0;
      // A menu may be seen by more than one poll before it closes: it is handled once.
      if (auto* menu = dynamic_cast<ui::TMenu*>(tree->oPopup.get())) {
        if (on_menu && !menu_handled) on_menu(*menu);
        menu_handled = true;
        EndMenu();
        return 0;
      }
      menu_handled = false;
      std::size_t& n = next[d.title];
      if (n < it->second.size()) {
        const Step& s = it->second[n++];
        if (!s.select.empty()) {
          ui::TTVItemQZ* item = Find(tree->aItems, s.select);
          EXPECT_NE(item, nullptr) << s.select;
          if (item != nullptr) tree->Select(*item);
        }
        if (s.check) s.check(*tree);
        if (s.key != 0) PostMessageA(tree->hWnd, WM_CHAR, static_cast<WPARAM>(s.key), 0);
        return 0;
      }
      if (!closing[d.hwnd]) {
        closing[d.hwnd] = true;
        PostMessageA(tree->hWnd, WM_CHAR, 's', 0);
      }
      return 0;
    });
    open();
    seen_ = answerer.seen();
    std::string titles;
    for (const SeenDialog& d : seen_) titles += "[" + d.title + "]";
    for (const auto& [title, steps] : trees) EXPECT_EQ(next[title], steps.size()) << title << " among " << titles;
  }

  std::vector<std::string> graphics_;
  std::vector<SeenDialog> seen_;
  std::vector<std::string> texts_;
};

TEST_F(ReportTreeTest, TheTreeLaysOutCategoriesAndItsButtonsFollowTheAccess) {
  struct Case {
    const char* select;
    const char* enabled;  // (A)ñadir (M)odificar (E)liminar (C)olumnas E(J)ecutar (D)uplicar Ca(B)eceras (S)alir
  };
  const Case cases[] = {
      {"Ventas por cliente", "11111111"},  // level 2
      {"Caja del día", "10101101"},        // level 1
      {"Proveedores", "10101101"},         // level 0: refused when used
      {"Ventas", "10000001"},              // a folder
  };
  std::vector<std::string> lines, tips, got;
  std::vector<Step> steps;
  steps.push_back({"", 0, [&](ui::TQZTreeView& tree) {
                     lines = Lines(tree);
                     for (const TreeButtonState& b : OpenTreeButtons()) tips.push_back(b.tooltip);
                   }});
  for (const Case& c : cases) {
    steps.push_back({c.select, 0, [&, c](ui::TQZTreeView& tree) {
                       got.push_back(std::string(c.select) + " " + Enabled());
                     }});
    // Shown once the buttons have been painted for it.
    if (std::string(c.select) == "Caja del día")
      steps.push_back({"", 0, [](ui::TQZTreeView& tree) { Shot(GetParent(tree.hWnd), "report_tree"); }});
  }
  Drive([] { X("INFORMES(NIL, NIL, NIL, NIL, NIL, .F.)"); }, {{"Informes", steps}});
  EXPECT_EQ(lines, (std::vector<std::string>{"Compras", "  Proveedores", "Ventas", "  Diarias", "    Caja del día",
                                             "  Ventas por cliente"}));
  EXPECT_EQ(tips, (std::vector<std::string>{"(A)ñadir", "(M)odificar", "(E)liminar", "(C)olumnas de este informe",
                                            "E(J)ecutar informe", "(D)uplicar informe", "Ca(B)eceras de informes",
                                            "(S)alir"}));
  std::vector<std::string> expected;
  for (const Case& c : cases) expected.push_back(std::string(c.select) + " " + c.enabled);
  EXPECT_EQ(got, expected);
  EXPECT_TRUE(OpenTreeButtons().empty()) << "closed by (S)alir";
  EXPECT_TRUE(texts_.empty()) << texts_.front();
}

TEST_F(ReportTreeTest, TheTreeIsLaidOutUnderItsMessageWhichPaintsAndAnswers) {
  // Enough reports for the laying out to last a while.
  constexpr int kMany = 5000;
  const std::string informes = TDictQZ::AliasOf("Informes");
  X(informes + "->(FLOCK())");
  for (int n = 0; n < kMany; ++n)
    X(informes + "->(DBAPPEND(.F.), FIELDPUT(FIELDPOS('INFORME'), 'M" + std::to_string(n) +
      "'), FIELDPUT(FIELDPOS('CATEGORIA'), 'COM'), FIELDPUT(FIELDPOS('DESCRIPC'), 'Compra " + std::to_string(n) + "'))");
  X(informes + "->(DBCOMMIT(), DBUNLOCK())");
  const int items = 2 + 1 + 3 + kMany;  // two categories, a subcategory, three reports
  BuildingWatch watch;
  std::vector<bool> focused;
  Drive([] { EXPECT_TRUE(ActivateArbol()); },
        {{"Informes",
          {{"", 0, [&](ui::TQZTreeView& tree) { focused.push_back(GetFocus() == tree.hWnd); }},
           {"Ventas por cliente", 'e'},  // deleted: laid out again
           {"", 0, [&](ui::TQZTreeView& tree) { focused.push_back(GetFocus() == tree.hWnd); }}}}},
        [&](const SeenDialog& d) -> int {
          texts_.push_back(d.title + ": " + d.AllText());
          return d.title == "Atención, confirme" ? d.ButtonId("Sí") : (d.buttons.empty() ? 0 : d.buttons[0].id);
        });
  const std::vector<BuildingWatch::Shown>& shown = watch.shown();
  ASSERT_EQ(shown.size(), 2u) << "opened, then laid out again after the delete";
  EXPECT_EQ(shown[0].items_at_open, 0);
  EXPECT_EQ(shown[0].items_at_close, items);
  EXPECT_EQ(shown[1].items_at_open, items) << "the old tree shows until the message is up";
  EXPECT_EQ(shown[1].items_at_close, items - 1);
  for (const BuildingWatch::Shown& s : shown) {
    EXPECT_TRUE(s.visible);
    EXPECT_TRUE(s.inked) << "its text painted";
  }
  // Answered while the new tree grows.
  const auto midway = [](const BuildingWatch::Shown& s, int total) {
    return std::any_of(s.items_when_answering.begin(), s.items_when_answering.end(),
                       [total](int n) { return n > 0 && n < total; });
  };
  EXPECT_TRUE(midway(shown[0], items)) << shown[0].items_when_answering.size();
  EXPECT_TRUE(midway(shown[1], items - 1)) << shown[1].items_when_answering.size();
  EXPECT_EQ(focused, (std::vector<bool>{true, true})) << "the tree keeps the focus once the message goes";
  EXPECT_EQ(texts_, std::vector<std::string>{"Atención, confirme: ¿ Desea eliminar el informe INF1 ?"})
      << "nothing else to answer";
}

TEST_F(ReportTreeTest, TheSupervisorAlsoRestoresAndTheRightButtonListsTheLetters) {
  user_ = "00";
  std::vector<std::string> tips, prompts;
  Drive([] { EXPECT_TRUE(ActivateArbol()); },
        {{"Informes",
          {{"Caja del día", 0, [&](ui::TQZTreeView& tree) {
              for (const TreeButtonState& b : OpenTreeButtons()) tips.push_back(b.tooltip);
              PostMessageA(tree.hWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 10));
            }}}}},
        {}, [&](ui::TMenu& menu) {
          for (const auto& item : menu.aItems) prompts.push_back(item->cPrompt);
        });
  EXPECT_EQ(tips, (std::vector<std::string>{"(A)ñadir", "(M)odificar", "(E)liminar", "(C)olumnas de este informe",
                                            "E(J)ecutar informe", "(D)uplicar informe", "Ca(B)eceras de informes",
                                            "Res(T)aurar informes", "(S)alir"}));
  ASSERT_EQ(prompts.size(), 10u) << "nine buttons, \"(S)alir\" after a separator";
  EXPECT_NE(prompts[0].find("&"), std::string::npos);
  EXPECT_EQ(prompts[8], "");
}

TEST_F(ReportTreeTest, TheActionsReachTheirFunctions) {
  std::vector<std::string> calls, texts, add_menu;
  ReportTreeHook hook;
  hook.mng_informes = [&](bool edit, const std::string& code, const std::string& category, const std::string& subcat) {
    calls.push_back(std::string(edit ? "modificar " : "añadir ") + code + "/" + category + "/" + subcat);
    return false;
  };
  hook.columnas = [&](const std::string& code) { calls.push_back("columnas " + code); };
  hook.duplicar = [&](const std::string& code) {
    calls.push_back("duplicar " + code);
    return DuplicateInforme(code, "INF9", "COM");
  };
  SetReportTreeHook(hook);
  std::vector<std::string> after_duplicate, after_add;
  const auto others = [&](const SeenDialog& d) -> int {
    if (d.title == " Añadir categoría") {
      SetDlgItemTextA(d.hwnd, 101, "NUE");
      SetDlgItemTextA(d.hwnd, 102, "Nuevas");
      return IDOK;
    }
    if (d.title == "Ca(B)eceras de informes") {
      texts.push_back(d.title);
      return IDCANCEL;
    }
    texts.push_back(d.title + ": " + d.AllText());
    if (d.title == "Atención, confirme") return d.ButtonId("Sí");
    return d.buttons.empty() ? 0 : d.buttons[0].id;
  };
  Drive([] { EXPECT_TRUE(ActivateArbol()); },
        {{"Informes",
          {{"Ventas por cliente", 'm'},
           {"Ventas por cliente", 'c'},
           {"Ventas por cliente", 'b'},
           {"Caja del día", 'm'},  // disabled: nothing
           {"Ventas por cliente", 'D'},
           {"", 0, [&](ui::TQZTreeView& tree) { after_duplicate = Lines(tree); }},
           {"Proveedores", 'j'},
           {"Caja del día", 'e'},
           {"Ventas por cliente", 'e'},  // the copy, under Compras
           {"Diarias", 'a'},  // a report in this subcategory
           {"", 'a'},
           {"", 0, [&](ui::TQZTreeView& tree) { after_add = Lines(tree); }}}}},
        others, [&](ui::TMenu& menu) {
          if (add_menu.empty()) {
            for (const auto& item : menu.aItems) add_menu.push_back(item->cPrompt);
            menu.aItems[0]->Run();
          } else {
            menu.aItems[2]->Run();
          }
        });
  EXPECT_EQ(calls, (std::vector<std::string>{"modificar INF1//", "columnas INF1", "duplicar INF1", "añadir /VEN/DIA"}));
  EXPECT_EQ(after_duplicate, (std::vector<std::string>{"Compras", "  Proveedores", "  Ventas por cliente", "Ventas",
                                                       "  Diarias", "    Caja del día", "  Ventas por cliente"}));
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "Ca(B)eceras de informes",
                       "Acceso denegado.: No dispone de acceso para ejecutar este informe.",
                       "Atención, confirme: ¿ Desea eliminar el informe INF2 ?",
                       " Acceso denegado: No dispone de acceso para eliminar este informe.",
                       "Atención, confirme: ¿ Desea eliminar el informe INF9 ?"}));
  EXPECT_EQ(Codes(), (std::vector<std::string>{"INF1", "INF2", "INF3"}));
  EXPECT_EQ(add_menu, (std::vector<std::string>{"Añadir informe", "Añadir subcategoría", "Añadir categoría", "Salir"}));
  EXPECT_EQ(after_add, (std::vector<std::string>{"Compras", "  Proveedores", "Nuevas", "Ventas", "  Diarias",
                                                 "    Caja del día", "  Ventas por cliente"}));
}

TEST_F(ReportTreeTest, ARunDisablesTheButtonsUntilItEnds) {
  std::string before, during, after;
  Drive([] { EXPECT_TRUE(ActivateArbol()); },
        {{"Informes",
          {{"Ventas por cliente", 0, [&](ui::TQZTreeView&) { before = Enabled(); }},
           {"", 'j'},  // it has no columns: the run stops with its message
           {"", 0, [&](ui::TQZTreeView&) { after = Enabled(); }}}}},
        [&](const SeenDialog& d) -> int {
          if (d.AllText().find("ninguna columna") != std::string::npos) during = Enabled();
          return d.buttons.empty() ? 0 : d.buttons[0].id;
        });
  ASSERT_NE(before.find('1'), std::string::npos);
  EXPECT_EQ(during, std::string(before.size(), '0'));
  EXPECT_EQ(after, before);
}

TEST_F(ReportTreeTest, TheGraphicsTreeRunsTheChosenGraphic) {
  Drive([] { X("INFGRAFICOS()"); },
        {{"Gráficos",
          {{"", 0, [](ui::TQZTreeView& tree) {
              EXPECT_EQ(Lines(tree), (std::vector<std::string>{"Estadísticas", "  Ventas mensuales"}));
              EXPECT_EQ(Enabled(), "11");
              Shot(GetParent(tree.hWnd), "graphics_tree");
            }},
           {"Ventas mensuales", 'j'},
           {"Estadísticas", 'J'}}}});  // a folder: the tree is laid out again
  EXPECT_EQ(graphics_, std::vector<std::string>{"G1+"});
  EXPECT_FALSE(X("TI_LGRAFICOFROMDICT()").AsLogical());
  EXPECT_FALSE(DoGrafico("NADA"));
}

TEST_F(ReportTreeTest, TheSupervisorRestoresADeliveredReportFromItsTree) {
  const char* tables[] = {"Informes", "Condicio", "Columnas", "Recol", "CnfColum", "Inicial", "Categor", "SubCat"};
  for (int n = 0; n < 8; ++n) {
    const std::string file = folder_.path() + "INF\\DInfo" + std::to_string(n + 1) + ".dbf";
    ASSERT_TRUE(X("DBCREATE('" + file + "', " + TDictQZ::AliasOf(tables[n]) + "->(DBSTRUCT()), 'ADS')").AsLogical());
  }
  auto deliver = [&](int n, const std::string& assignments) {
    X("DBUSEAREA(.T., , '" + folder_.path() + "INF\\DInfo" + std::to_string(n) + ".dbf', 'ENTREGA', .F.)");
    X("ENTREGA->(DBAPPEND(), " + assignments + ", DBCOMMIT()), ENTREGA->(DBCLOSEAREA())");
  };
  deliver(1, "INFORME := 'INF1', CATEGORIA := 'VEN', DESCRIPC := 'Original'");
  deliver(7, "CATEGORIA := 'VEN', DESCRIPC := 'Ventas entregadas'");
  // The message boxes (the dictionary's progress boxes are left alone).
  const auto answer = [this](const SeenDialog& d) -> int {
    const int yes = d.ButtonId("Sí"), ok = d.ButtonId("Aceptar");
    if (yes == 0 && ok == 0) return 0;
    texts_.push_back(d.title + ": " + d.AllText());
    return yes != 0 ? yes : ok;
  };
  user_ = "00";
  // The dictionary open elsewhere holds the report tables.
  Drive([] { EXPECT_TRUE(ActivateArbol()); }, {{"Informes", {{"Caja del día", 't'}}}}, answer);
  EXPECT_EQ(texts_, std::vector<std::string>{"Atención: Es necesario tener acceso exclusivo al fichero de informes."});
  texts_.clear();
  // Opened by the tree itself, they are let go while checked.
  dict_->End();
  std::vector<std::string> delivered;
  Drive([] { EXPECT_TRUE(ActivateArbol()); },
        {{"Informes", {{"Caja del día", 'T'}}},
         {"Restauración", {{"", 0, [&](ui::TQZTreeView& tree) {
                              delivered = Lines(tree);
                              EXPECT_EQ(Enabled(), "01");
                              Shot(GetParent(tree.hWnd), "restore_tree");
                            }},
                           {"Original", 'r'}}}},
        answer);
  EXPECT_EQ(delivered, (std::vector<std::string>{"Ventas entregadas", "  Original"}));
  EXPECT_EQ(texts_, (std::vector<std::string>{
                        "Atención: Este proceso devolverá el informe seleccionado al estado inicial. Si Vd. modificó "
                        "este informe, perderá todos los cambios realizados. Opere con extrema precaución.",
                        "Atención, confirme:  ¿ Desea restaurar el informe ?",
                        " Información: Informe restaurado."}));
  EXPECT_EQ(xb::rdd::WorkAreas::Get().AreaOfAlias("DINFO1"), 0) << "the delivered tables closed";
  EXPECT_TRUE(TDictQZ::AliasOf("Informes").empty()) << "the tree's dictionary closed with it";
  ASSERT_TRUE(dict_->Activate("I", false));
  EXPECT_EQ(Codes(true), (std::vector<std::string>{"INF1 Original", "INF2 Caja del día", "INF3 Proveedores"}));
}

}  // namespace
}  // namespace reports
