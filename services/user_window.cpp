#include "services/user_window.h"

#include <map>

#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "runtime/block.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "services/font_choice.h"
#include "services/hot_keys.h"
#include "services/layouts.h"
#include "services/menu_access.h"
#include "services/user_dialogs.h"
#include "services/user_search.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "services/window_fit.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/core/tmdiframe.h"
#include "ui/core/tmenuitem.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

constexpr const char* kOption = "Usuarios";
constexpr const char* kWindowTitle = " Usuarios";
constexpr int kWindowInset = 30;
constexpr int kTabsHeight = 21;

enum class Act { kAdd, kModify, kDelete, kView, kFind, kConfig, kMap, kReports, kListados, kListadoB, kListadoC,
                 kGroups, kFont, kClose };

struct BarButton {
  Act act;
  const char* picture;
  const char* tooltip;
  bool write;  // only at level "2" of the option
};

constexpr BarButton kButtons[] = {
    {Act::kAdd, "PBmpAdd1", "(A)ñadir usuario", true},
    {Act::kModify, "PBmpMod1", "(M)odificar usuario", true},
    {Act::kDelete, "PBmpDel1", "(E)liminar usuario", true},
    {Act::kView, "PBmpZoo1", "(Z)oom, visualizar datos del usuario", false},
    {Act::kFind, "PBmpFin1", "(L)ocalizar usuario", false},
    {Act::kConfig, "PBmpCon1", "(C)onfigurar", true},
    {Act::kMap, "PBmpMap1", "(P) Mapas de acceso", true},
    {Act::kReports, "TI_Informe", "(I) Mapa de acceso para informes", true},
    {Act::kListados, "TI_Informe", "(D) Mapas de acceso para listados", true},
    {Act::kListadoB, "TI_Informe", "(X) Mapas de acceso para listados Excel", true},
    {Act::kListadoC, "TI_Informe", "(W) Mapas de acceso para listados Word", true},
    {Act::kGroups, "GUsuario", "(G)rupos de usuarios", true},
    {Act::kFont, "PBmpFon1", "(F)uente, seleccionar fuente de trabajo", false},
    {Act::kClose, "PBmpEnd1", "(S)alir y cerrar ventana de usuarios", false},
};

// The listing maps and the report map belong to the listing and report modules: they are
// reached by name through blocks compiled when clicked.
struct ListingMap {
  Act act;
  const char* table;
  const char* title;
};
constexpr ListingMap kListingMaps[] = {
    {Act::kListados, "Listados", "Listados"},
    {Act::kListadoB, "ListadoB", "List. Excel"},
    {Act::kListadoC, "ListadoC", "List. Word"},
};

bool Writes() { return cAccesoMenu(kOption) == "2"; }

bool ListingTableThere(const char* name) {
  const std::string table = data::cPathStart() + name;
  return FileExists(DbfOf(table)) && FileExists(IndexOf(table));
}

bool Present(Act act, const UserWindowButtons& b) {
  switch (act) {
    case Act::kConfig: return b.config;
    case Act::kListados: return b.listados;
    case Act::kListadoB: return b.listado_b;
    case Act::kListadoC: return b.listado_c;
    default: return true;
  }
}

std::string Trim(std::string_view text) { return std::string(xb::AllTrim(text)); }

class UserWindowState {
 public:
  xb::Ref<ui::TMdiChild> window;
  xb::Ref<ui::TBar> bar;
  xb::Ref<ui::TWBrowse> browse;
  xb::Ref<ui::TTabs> tabs;
  UserTablesOpen tables;
  std::string keys;
  std::map<std::string, std::string> groups;  // code -> description, for the list
  int position = 0;       // the option's place in the menu
  int menu_area = 0;

  bool open() const { return window && window->hWnd != nullptr; }

  void LoadGroups() {
    groups.clear();
    xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
    const int number = areas.AreaOfAlias(tables.aliases().groups);
    if (number == 0) return;
    SelectedAreaScope keep;
    areas.SelectArea(number);
    const data::AreaStatus status = data::aSetStatus();
    for (Call("DBGOTOP"); !Area().eof(); Area().Skip(1))
      groups[xb::Upper(xb::CurrentCodePage(), Trim(FieldText("CODIGO")))] = FieldText("DESCRIPC");
    data::GetStatus({}, status);
  }

  Value Line() {
    xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
    const int number = areas.AreaOfAlias(tables.aliases().users);
    if (number == 0) return Value(xb::Array::New());
    xb::rdd::WorkArea* users = areas.Area(number);
    auto field = [users](const char* name) { return users->GetField(users->FieldPos(name)); };
    const std::string group = Trim(field("GRUPO").AsString());
    const auto found = groups.find(xb::Upper(xb::CurrentCodePage(), group));
    const Value description = Value::String(found != groups.end() ? found->second : std::string());
    const Value state = Value::String(field("LACTIVO").AsLogical() ? "Activo" : "Inactivo");
    return Value(xb::Array::Of({field("CCODIGO"), field("CNOMBRE"), description, state}));
  }

  void Refresh() {
    if (!browse || browse->hWnd == nullptr) return;
    browse->UpStable();
    browse->Refresh(false);
    browse->SetFocus();
  }

  void Run(Act act) {
    if (!open()) return;
    const Value browse_value{xb::ObjectRef(browse)};
    switch (act) {
      case Act::kAdd:
      case Act::kModify:
      case Act::kView:
        lInsModUser(browse.get(), act == Act::kAdd ? UserMode::kAdd : act == Act::kModify ? UserMode::kModify
                                                                                         : UserMode::kView,
                    window, tables.aliases());
        break;
      case Act::kDelete: DelUser(tables.aliases(), browse_value); break;
      case Act::kFind:
        UserSearch(*browse, tables.aliases().users, UserSearchFrom::kMaintenance);
        ShowOrder();
        break;
      case Act::kConfig: ConfigUser(tables.aliases()); break;
      case Act::kMap: CallIfThere("MAPUSER", {browse_value, Value::Integer(1)}); break;
      case Act::kReports:
        xb::EvalMacro("{ | oBrw, cDbUser | UsrInformes( oBrw, cDbUser ) }")
            .AsBlock()
            .Eval({browse_value, Value::String(tables.aliases().users)});
        break;
      case Act::kListados:
      case Act::kListadoB:
      case Act::kListadoC:
        for (const ListingMap& map : kListingMaps) {
          if (map.act != act) continue;
          const std::string text = std::string("{ | oBrw, cDbUser, cTitulo | UsrListados( oBrw, cDbUser, '") +
                                   map.table + "', cTitulo ) }";
          xb::EvalMacro(text).AsBlock().Eval(
              {browse_value, Value::String(tables.aliases().users), Value::String(map.title)});
        }
        break;
      case Act::kGroups: {
        GroupDialogParams params;
        params.owner = window;
        params.aliases = tables.aliases();
        GrpUser(params);
        LoadGroups();
        break;
      }
      case Act::kFont: SelFon(*browse); break;
      case Act::kClose: window->End(); return;
    }
    Refresh();
  }

  // The tabs on the order the search left.
  void ShowOrder() {
    xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
    const int number = areas.AreaOfAlias(tables.aliases().users);
    if (number == 0 || !tabs || tabs->hWnd == nullptr) return;
    tabs->SetOption(areas.Area(number)->controlling_order());
  }

  void ChooseOrder(int order) {
    xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
    const int number = areas.AreaOfAlias(tables.aliases().users);
    if (number == 0) return;
    areas.Area(number)->SetControllingOrder(order);
    Refresh();
  }

  // The bar at the top, the tabs along the bottom, the list between them.
  void Fit() {
    if (!open() || !browse) return;
    SetBrowse(*window, *browse, bar.get(), {.bottom = kTabsHeight});
    if (tabs && tabs->hWnd != nullptr) {
      RECT client;
      ::GetClientRect(window->hWnd, &client);
      ::MoveWindow(tabs->hWnd, 0, client.bottom - kTabsHeight, client.right, kTabsHeight, TRUE);
    }
  }

  void Closed() {
    if (window && browse) ConfBrowse(*window, {browse.get()});
    tables.Close();  // the backup pair is copied once the tables are closed
    xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
    if (menu_area != 0 && areas.Area(menu_area)->used()) {
      SelectedAreaScope keep;
      areas.SelectArea(menu_area);
      CloseArea();
    }
    menu_area = 0;
    if (const MenuOption* option = MenuOptionAt(position); option != nullptr && option->item)
      option->item->SetCheck(false);
  }
};

UserWindowState& State() {
  static auto* state = new UserWindowState();
  return *state;
}

// The menu table ("MenuWin" when the one named is not there), shared, under the window's
// alias; 0 when it cannot be opened, after the table layer's message saying why.
int OpenMenuTable(const std::string& name) {
  std::string table = data::cPathStart() + name;
  if (!FileExists(DbfOf(table)) && FileExists(DbfOf(data::cPathStart() + "MenuWin"))) table = data::cPathStart() + "MenuWin";
  SelectedAreaScope keep;
  if (!OpenTable(table, kUsersMenuAlias, false)) return 0;
  return xb::rdd::WorkAreas::Get().CurrentArea();
}

}  // namespace

UserWindowButtons UserWindowButtonsNow() {
  UserWindowButtons b;
  b.config = lConfig() && FileExists(DbfOf(ConfigTable()));
  b.listados = ListingTableThere("Listados");
  b.listado_b = ListingTableThere("ListadoB");
  b.listado_c = ListingTableThere("ListadoC");
  return b;
}

std::string UserWindowKeys(const UserWindowButtons& b) {
  std::string keys = "AMEZL";
  if (b.config) keys += "C";
  keys += "PI";
  if (b.listados) keys += "D";
  if (b.listado_b) keys += "X";
  if (b.listado_c) keys += "W";
  return keys + "GFS";
}

ui::TMdiChild* UsersWindow() { return State().open() ? State().window.get() : nullptr; }
ui::TWBrowse* UsersBrowse() { return UsersWindow() != nullptr ? State().browse.get() : nullptr; }
ui::TBar* UsersBar() { return UsersWindow() != nullptr ? State().bar.get() : nullptr; }
ui::TTabs* UsersTabs() { return UsersWindow() != nullptr ? State().tabs.get() : nullptr; }

void Usuarios(const std::string& menu_table) {
  UserWindowState& s = State();
  CompruebaFicheroUsuarios();
  int position = 0;
  const Value open_window = s.open() ? Value(xb::ObjectRef(s.window)) : Value();
  if (!lChkMenu(kOption, &position, open_window)) return;
  if (s.open()) {  // open, though its option's item is not checked
    ::BringWindowToTop(s.window->hWnd);
    return;
  }

  UserTableAliases aliases;
  if (!s.tables.Open(aliases)) return;
  s.menu_area = OpenMenuTable(menu_table);
  if (s.menu_area == 0) {
    s.tables.Close();
    return;
  }
  s.position = position;
  s.LoadGroups();

  s.window = ConfMdiChildNew(InsetMdiChild(kWindowTitle, kWindowInset));

  const UserWindowButtons present = UserWindowButtonsNow();
  s.keys = UserWindowKeys(present);
  ui::TBar::NewParams bar_params;
  bar_params.btn_width = 25;
  bar_params.btn_height = 27;
  s.bar = ui::TBar::New(*s.window, bar_params);
  for (const BarButton& button : kButtons) {
    if (!Present(button.act, present)) continue;
    const Act act = button.act;
    ui::TBtnBmp::BarParams b;
    b.pictures.resource1 = button.picture;
    b.tooltip = button.tooltip;
    b.message = button.tooltip;
    b.action = Action([act] { State().Run(act); });
    if (button.write) b.when = Value(xb::Block::Native([](Args&) { return Value::Logical(Writes()); }));
    b.group = act == Act::kGroups || act == Act::kClose;
    ui::TBtnBmp::NewBar(*s.bar, b);
  }

  ui::TWBrowse::NewParams browse_params;
  browse_params.line = Value(xb::Block::Native([](Args&) { return State().Line(); }));
  browse_params.headers = Value(xb::Array::Of(
      {Value::String("Cód."), Value::String("Nombre"), Value::String("Grupo"), Value::String("Estado")}));
  browse_params.col_sizes =
      Value(xb::Array::Of({Value::Integer(30), Value::Integer(300), Value::Integer(100), Value::Integer(70)}));
  browse_params.parent = s.window;
  browse_params.alias = aliases.users;
  browse_params.pixel = true;
  browse_params.dbl_click = Action([] {
    if (Writes()) State().Run(Act::kModify);
  });
  browse_params.r_clicked = Value(xb::Block::Native([](Args& a) {
    UserWindowState& state = State();
    PopupMenu(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), state.browse.get(),
              Value(xb::ObjectRef(state.bar)), state.keys);
    return Value();
  }));
  s.browse = ConfBrwNew(browse_params);
  s.browse->nClrForeFocus = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
  s.browse->nClrBackFocus = ::GetSysColor(COLOR_HIGHLIGHT);
  // Typed characters, not key codes: F4 or Insert must not pass for a letter.
  s.browse->bKeyChar = Value(xb::Block::Native([](Args& a) {
    UserWindowState& state = State();
    const bool clicked = ActKeys(static_cast<int>(a.Int(1)), Value(xb::ObjectRef(state.bar)), state.keys, "M");
    return clicked ? Value::Integer(0) : Value();
  }));

  s.tabs = xb::MakeRef<ui::TTabs>();
  s.tabs->New({.prompts = {"Código", "Nombre", "Grupo"},
               .action = Value(xb::Block::Native([](Args& a) {
                 State().ChooseOrder(static_cast<int>(a.Int(1)));
                 return Value();
               })),
               .parent = s.window,
               .pixel = true,
               .width = 300,
               .height = kTabsHeight});
  s.Fit();
  s.window->bResized = Value(xb::Block::Native([](Args&) {
    State().Fit();
    return Value();
  }));

  // The option's item stays checked while its window is open.
  if (const MenuOption* option = MenuOptionAt(position); option != nullptr && option->item) option->item->SetCheck(true);
  ui::TWindow::ActivateParams activate;
  activate.valid = Value(xb::Block::Native([](Args&) {
    State().Closed();
    return Value::Logical(true);
  }));
  ConfActivMdiChild(*s.window, activate);
  s.Fit();
  s.browse->SetFocus();
}

void RegisterUserWindowFunctions() {
  xb::RegisterFunction("USUARIOS", [](Args& a) {
    Usuarios(a.Arg(1).IsString() && !Trim(a.Str(1)).empty() ? Trim(a.Str(1)) : "MenuWinE");
    return Value();
  });
}

}  // namespace svc
