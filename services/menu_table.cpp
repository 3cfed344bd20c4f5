#include "services/menu_table.h"

#include <windows.h>

#include <vector>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "services/menu_access.h"
#include "services/table_helpers.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "ui/bridge/message_loop.h"
#include "ui/core/help.h"
#include "ui/core/menu_builder.h"
#include "ui/core/tmenu.h"
#include "ui/core/tmenuitem.h"
#include "ui/core/twindow.h"
#include "ui/core/window_table.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

enum Kind { kPopup = 0, kOption = 1, kSeparator = 2, kEndPopup = 3, kWindowMenu = 4, kHelpMenu = 5, kHidden = 9 };

Value Native(std::function<void()> action) {
  return Value(xb::Block::Native([action = std::move(action)](Args&) {
    action();
    return Value();
  }));
}

ui::TWindow* MainWindow() { return dynamic_cast<ui::TWindow*>(data::oWnd().AsObject().get()); }

HWND MdiClient() {
  ui::TWindow* main = MainWindow();
  if (main == nullptr || main->hWnd == nullptr) return nullptr;
  return ::FindWindowExA(main->hWnd, nullptr, "MDICLIENT", nullptr);
}

void ToClient(UINT message, WPARAM wparam = 0) {
  if (HWND client = MdiClient()) ::SendMessageA(client, message, wparam, 0);
}

std::vector<HWND> MdiChildren() {
  std::vector<HWND> children;
  if (HWND client = MdiClient())
    for (HWND child = ::GetWindow(client, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
      if (::GetWindow(child, GW_OWNER) == nullptr) children.push_back(child);
  return children;
}

// The listing windows are top-level windows of class TWinOwn, not MDI children: they are
// ended one by one.
void EndListingWindows() {
  std::vector<HWND> windows;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND hwnd, LPARAM out) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  for (HWND hwnd : windows) {
    if (!::IsWindow(hwnd)) continue;
    const ui::WindowRef window = ui::OWndFromHwnd(hwnd);
    if (window && window->GetClass().IsDerivedFrom("TWINOWN")) window->End();
  }
}

void CloseAll() {
  if (!lChkMenu("Cerrar todas")) return;
  EndListingWindows();
  ui::SysRefresh();
  for (HWND child : MdiChildren())
    if (::IsWindow(child)) ::SendMessageA(child, WM_CLOSE, 0, 0);
}

struct FixedItem {
  const char* prompt;
  const char* message;
  int help_id;
  const char* name;
  void (*action)();
};

const FixedItem kWindowItems[] = {
    {"&1. Mosaico vertical", "Organizar las ventanas verticalmente", 910000000, "Mosaico Vertical",
     [] { ToClient(WM_MDITILE, MDITILE_VERTICAL); }},
    {"&2. Mosaico horizontal", "Organizar las ventanas horizontalmente", 920000000, "Mosaico Horizontal",
     [] { ToClient(WM_MDITILE, MDITILE_HORIZONTAL); }},
    {"&3. Cascada", "Organizar las ventanas en cascada", 930000000, "Cascada", [] { ToClient(WM_MDICASCADE); }},
    {"&4. Siguiente ventana", "Mostrar la siguiente ventana", 940000000, "Siguiente Ventana",
     [] { ToClient(WM_MDINEXT); }},
    {"&5. Ordenar iconos", "Ordenar las ventanas minimizadas", 950000000, "Ordenar Iconos",
     [] { ToClient(WM_MDIICONARRANGE); }},
    {"&6. Minimizar todas", "Minimizar las ventanas abiertas", 960000000, "Minimizar todas",
     [] {
       for (HWND child : MdiChildren()) ::ShowWindow(child, SW_MINIMIZE);
     }},
    {"&7. Cerrar todas", "Cerrar todas las ventanas abiertas", 970000000, "Cerrar todas", &CloseAll},
};

void AddWindowMenu(int first_position) {
  ui::MenuAddItem({.prompt = "&Ventana", .message = "Ventanas MDI"});
  ui::MenuBegin(true);
  int position = first_position;
  for (const FixedItem& fixed : kWindowItems) {
    xb::Ref<ui::TMenuItem> item = ui::MenuAddItem(
        {.prompt = fixed.prompt, .message = fixed.message, .action = Native(fixed.action), .help_id = fixed.help_id});
    SetMenuOption(position++, {item, fixed.name, '2'});
  }
  ui::MenuEnd();
}

void AddHelpMenu() {
  ui::MenuAddItem({.prompt = "A&yuda", .message = "Para obtener ayuda, pulse F1"});
  ui::MenuBegin(true);
  ui::MenuAddItem({.prompt = "&1. Contenido...",
                   .message = "Muestra los contenidos de la ayuda",
                   .action = Native([] { ui::HelpIndex(); }),
                   .help_id = 999000017});
  ui::MenuAddItem({.prompt = "&2. Buscar...",
                   .message = "Localizar un tema de ayuda específico",
                   .action = Native([] { ui::HelpSearch(); }),
                   .help_id = 999000018});
  ui::MenuAddItem({});
  ui::MenuAddItem({.prompt = "&3. Documentación adicional",
                   .message = "Documentación de última hora no impresa",
                   .action = Native(&DocAdicional),
                   .resource_name = "DocAdic",
                   .help_id = 999000016});
  ui::MenuAddItem({});
  ui::MenuAddItem({.prompt = "&4. Acerca de...",
                   .message = "Muestra información acerca del programa, número de versión y copyright",
                   .action = Native([] { CallIfThere("ACERCADE"); }),
                   .resource_name = "Acerca",
                   .help_id = 999000015});
  ui::MenuEnd();
}

std::string WithoutAmpersand(std::string text) {
  std::erase(text, '&');
  return text;
}

// The option's action: the block of its text, or, when the text does not compile, one that
// says so.
Value ActionOf(const std::string& action, const std::string& prompt) {
  const std::string text = "{ ||" + action + "}";
  if (!xb::CheckSyntax(text)) return Value(xb::MacroBlock(text));
  const std::string option = WithoutAmpersand(prompt);
  return Native([option, action] {
    data::Ui().MsgStop(data::JoinLines({"La opción " + option + " no se puede ejecutar:",
                                      "su acción en la tabla de menús no es válida (" + action + ")."}),
                      "Atención");
  });
}

bool FileOnDisk(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The user's access string for this program, padded with "0".
std::string UserAccess(int field) {
  if (!Seek(Value::String(cCodUser()))) return std::string(kAccessLength, '0');
  std::string access(xb::AllTrim(FieldText("ACCESOS" + std::to_string(field))));
  if (access.size() < kAccessLength) access.resize(kAccessLength, '0');
  return access;
}

// The item spec of the current menu record.
ui::TMenuItem::Spec SpecOfRecord() {
  ui::TMenuItem::Spec spec;
  spec.prompt = EvalTextoMenu(xb::AllTrim(FieldText("ITEM")));
  spec.message = EvalTextoMenu(xb::AllTrim(FieldText("MSG")));
  const std::string bitmap(xb::AllTrim(FieldText("DISK")));
  if (!bitmap.empty()) (FileOnDisk(bitmap) ? spec.bitmap_file : spec.resource_name) = bitmap;
  spec.vk_state = static_cast<int>(FieldNumber("ACELERA1"));
  spec.virt_key = static_cast<int>(FieldNumber("ACELERA2"));
  if (HasField("NHELP")) spec.help_id = static_cast<int>(FieldNumber("NHELP"));
  return spec;
}

}  // namespace

xb::Ref<ui::TMenu> oMakeMenu(const MenuInitParams& params) {
  std::string table = data::cPathStart() + params.table;
  if (!FileExists(DbfOf(table))) table = data::cPathStart() + "MenuWin";
  SelectedAreaScope keep;
  xb::Ref<ui::TMenu> bar = ui::MenuBegin(false);
  int open_levels = 1;
  auto end_all = [&] {
    for (; open_levels > 0; --open_levels) ui::MenuEnd();
    SetMenuObject(bar);
    return bar;
  };

  std::string access;
  {
    if (!OpenTable(UsuariosTable(), "_QzMnuUser", false)) return end_all();
    OpenedArea users(true);
    SelectOrder(1);
    access = UserAccess(params.access_field);
  }
  if (!OpenTable(table, "MenuTree", false)) return end_all();
  OpenedArea menu(true);
  Area().SetControllingOrder(0);
  const int last_record = static_cast<int>(Area().RecordCount());
  for (Call("DBGOTOP"); !Area().eof() && open_levels > 0; Area().Skip(1)) {
    const int position = static_cast<int>(Area().recno());
    const int kind = static_cast<int>(FieldNumber("TIPOMENU"));
    switch (kind) {
      case kPopup:
        ui::MenuAddItem(SpecOfRecord());
        ui::MenuBegin(true);
        ++open_levels;
        break;
      case kOption:
      case kHidden: {
        ui::TMenuItem::Spec spec = SpecOfRecord();
        const char level = static_cast<std::size_t>(position) <= access.size() ? access[position - 1] : '0';
        if (FieldLogical("CONTROL")) spec.active = level == '1' || level == '2';
        const std::string action(xb::AllTrim(FieldText("ACTION")));
        if (!action.empty()) spec.action = ActionOf(action, spec.prompt);
        spec.checked = FieldLogical("MARK");
        xb::Ref<ui::TMenuItem> item = kind == kOption ? ui::MenuAddItem(spec) : nullptr;
        SetMenuOption(position, {item, std::string(xb::AllTrim(FieldText("NAME"))), level});
        break;
      }
      case kSeparator:
        ui::MenuAddItem({});
        break;
      case kEndPopup:
        if (open_levels > 1) {
          ui::MenuEnd();
          --open_levels;
        }
        break;
      case kWindowMenu:
        if (params.window_menu) AddWindowMenu(last_record + 1);
        if (!params.help_menu) end_all();
        break;
      case kHelpMenu:
        if (params.help_menu) {
          AddHelpMenu();
          end_all();
        }
        break;
      default:
        break;
    }
  }
  return end_all();
}

xb::Ref<ui::TMenu> oMenuInit(const MenuInitParams& params) {
  qz_nAcceso(params.access_field);
  ClearMenuOptions();
  return oMakeMenu(params);
}

xb::Ref<ui::TMenu> ReloadMenu(const MenuInitParams& params) {
  xb::Ref<ui::TMenu> menu = oMenuInit(params);
  ui::TWindow* main = MainWindow();
  if (main == nullptr) return menu;
  if (auto* old = dynamic_cast<ui::TMenu*>(main->oMenu.get()); old != nullptr && old != menu.get()) old->End();
  main->SetMenu(xb::ObjectRef(menu));
  if (main->hWnd != nullptr) ::DrawMenuBar(main->hWnd);
  main->Refresh();
  return menu;
}

namespace {

MenuInitParams ParamsOf(Args& a) {
  MenuInitParams p;
  p.window_menu = a.Log(1);
  p.help_menu = a.Log(2);
  if (a.Arg(4).IsString() && !xb::AllTrim(a.Str(4)).empty()) p.table = std::string(xb::AllTrim(a.Str(4)));
  if (a.Arg(5).IsNumber()) p.access_field = static_cast<int>(a.Int(5));
  return p;
}

Value MenuValue(const xb::Ref<ui::TMenu>& menu) { return menu ? Value(xb::ObjectRef(menu)) : Value(); }

}  // namespace

void RegisterMenuTableFunctions() {
  xb::RegisterFunction("OMENUINIT", [](Args& a) { return MenuValue(oMenuInit(ParamsOf(a))); });
  xb::RegisterFunction("OMAKEMENU", [](Args& a) { return MenuValue(oMakeMenu(ParamsOf(a))); });
  xb::RegisterFunction("RELOADMENU", [](Args& a) { return MenuValue(ReloadMenu(ParamsOf(a))); });
}

}  // namespace svc
