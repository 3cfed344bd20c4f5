#include "services/menu_access.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/string_compare.h"
#include "services/panel_link.h"
#include "services/table_helpers.h"
#include "services/user_session.h"
#include "ui/core/tmenu.h"
#include "ui/core/tmenuitem.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

struct MenuState {
  std::vector<MenuOption> options;  // index 0 is position 1
  xb::Ref<ui::TMenu> menu;
  int access_field = 1;
  std::string doc_name = "Documen.wri";
};

MenuState& State() {
  static MenuState state;
  return state;
}

// xBase's `entry = name` with SET EXACT off: the entry begins with the name.
bool BeginsWith(std::string_view entry, std::string_view name) { return xb::CompareStrings(entry, name, false) == 0; }

bool FileOnDisk(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void ReindexMapTable(const std::string& table, const std::string& alias, const std::vector<TagDef>& tags) {
  if (!FileExists(DbfOf(table))) return;
  EraseFile(IndexOf(table));
  SelectedAreaScope keep;
  if (!OpenTable(table, alias, true)) return;
  OpenedArea area(true);
  CreateTags(tags);
}

}  // namespace

void ClearMenuOptions() {
  State().options.clear();
  State().menu = nullptr;
}

void SetMenuOption(int position, MenuOption option) {
  if (position < 1) return;
  std::vector<MenuOption>& options = State().options;
  if (options.size() < static_cast<std::size_t>(position)) options.resize(position);
  options[position - 1] = std::move(option);
}

const MenuOption* MenuOptionAt(int position) {
  const std::vector<MenuOption>& options = State().options;
  if (position < 1 || static_cast<std::size_t>(position) > options.size()) return nullptr;
  return &options[position - 1];
}

int MenuOptionCount() { return static_cast<int>(State().options.size()); }
void SetMenuObject(xb::Ref<ui::TMenu> menu) { State().menu = std::move(menu); }

int FindMenuOption(std::string_view name) {
  if (name.empty()) return 0;
  const std::vector<MenuOption>& options = State().options;
  for (std::size_t i = 0; i < options.size(); ++i)
    if (options[i].level != 0 && BeginsWith(options[i].name, name)) return static_cast<int>(i) + 1;
  return 0;
}

std::string cAccesoMenu(std::string_view name) {
  const MenuOption* option = MenuOptionAt(FindMenuOption(name));
  return option ? std::string(1, option->level) : std::string("0");
}

bool lChkMenu(std::string_view name, int* position, const Value& window) {
  const int found = FindMenuOption(name);
  if (position) *position = found;
  const MenuOption* option = MenuOptionAt(found);
  if (option == nullptr) {
    data::Ui().MsgStop("No se ha localizado la opción " + std::string(xb::AllTrim(name)) +
                          " en las opciones válidas de menú.",
                      " Atención");
    return false;
  }
  if (option->item && option->item->lChecked) {
    if (window.IsObject()) xb::Send(window, "END");
    return false;
  }
  const bool usable = option->item ? option->item->lActive : (option->level == '1' || option->level == '2');
  if (usable) return true;
  data::Ui().MsgStop(data::JoinLines({"Opción no accesible para el usuario " + cUsuario() + ".", "Consulte su mapa de accesos"}),
                    "Atención");
  return false;
}

bool lFreeMenu() {
  for (const MenuOption& option : State().options) {
    if (!option.item || !option.item->lChecked) continue;
    data::Ui().MsgStop(data::JoinLines({"Esta opción es de trabajo único en el programa.",
                                      "Cierre todas las opciones y vuelva a ejecutar"}),
                      "Opción exclusiva, acceso denegado");
    return false;
  }
  return true;
}

int qz_nAcceso() { return State().access_field; }
int qz_nAcceso(int field) {
  if (field >= 1 && field <= 4) State().access_field = field;
  return State().access_field;
}

namespace {

// One table of kMenuEntries entries (more when the menu table reaches past them), the
// entries without option given `empty`.
template <typename Of>
xb::Array MenuTableOf(Of of, const Value& empty) {
  const std::vector<MenuOption>& options = State().options;
  xb::Array table = xb::Array::New();
  for (std::size_t i = 0; i < std::max(kMenuEntries, options.size()); ++i)
    table.Append(i < options.size() ? of(options[i]) : empty);
  return table;
}

}  // namespace

xb::Array aGetMenu() {
  return MenuTableOf([](const MenuOption& o) { return o.item ? Value(xb::ObjectRef(o.item)) : Value(); }, Value());
}

xb::Array aMnuNames() {
  return MenuTableOf([](const MenuOption& o) { return Value::String(o.name); }, Value::String(""));
}

xb::Array aMnuReado() {
  return MenuTableOf([](const MenuOption& o) { return Value::String(o.level ? std::string(1, o.level) : std::string()); },
                     Value::String(""));
}

xb::Ref<ui::TMenu> oGetMenu() { return State().menu; }

std::string Traduce(std::string_view text) { return std::string(text); }
std::string EvalTextoMenu(std::string_view text) { return Traduce(text); }

const std::string& DocAdicName() { return State().doc_name; }
const std::string& DocAdicName(std::string_view name) { return State().doc_name = std::string(name); }

void DocAdicional() {
  const std::string file = data::cPathExe() + DocAdicName();
  if (!FileOnDisk(file)) {
    data::Ui().MsgStop("No se ha localizado el fichero de documentación adicional ( DOCUMEN.WRI )", "Atención");
    return;
  }
  QzccRegType(file);
}

void NtxMapas() {
  const std::string code = cCodUsuario();
  ReindexMapTable(data::cPathStart() + "MapaCF" + code, "Mapas1",
                  {{"Cod", "COD", true}, {"Nombre", "NOMBRE", true}});
  ReindexMapTable(data::cPathStart() + "MapaCV" + code, "Mapas2", {{"Cod", "COD"}});
}

void ResetMenuAccess() { State() = MenuState{}; }

void RegisterMenuAccessFunctions() {
  xb::Def("CACCESOMENU", [](std::string_view name) { return cAccesoMenu(name); });
  xb::RegisterFunction("LCHKMENU", [](Args& a) {
    int position = 0;
    const bool ok = lChkMenu(a.Str(1), &position, a.Arg(3));
    a.SetRef(2, Value::Integer(position));
    return Value::Logical(ok);
  });
  xb::RegisterFunction("LFREEMENU", [](Args&) { return Value::Logical(lFreeMenu()); });
  xb::RegisterFunction("QZ_NACCESO", [](Args& a) {
    if (a.Arg(1).IsNumber()) qz_nAcceso(static_cast<int>(a.Int(1)));
    return Value::Integer(qz_nAcceso());
  });
  xb::RegisterFunction("AGETMENU", [](Args&) { return Value(aGetMenu()); });
  xb::RegisterFunction("AMNUNAMES", [](Args&) { return Value(aMnuNames()); });
  xb::RegisterFunction("AMNUREADO", [](Args&) { return Value(aMnuReado()); });
  xb::RegisterFunction("OGETMENU", [](Args&) {
    return oGetMenu() ? Value(xb::ObjectRef(oGetMenu())) : Value();
  });
  xb::RegisterFunction("TRADUCE", [](Args& a) { return a.Arg(1).IsString() ? Value::String(Traduce(a.Str(1))) : a.Arg(1); });
  xb::RegisterFunction("EVALTEXTOMENU", [](Args& a) {
    return a.Arg(1).IsString() ? Value::String(EvalTextoMenu(a.Str(1))) : a.Arg(1);
  });
  xb::RegisterFunction("DOCADICNAME", [](Args& a) {
    if (a.Arg(1).IsString()) DocAdicName(a.Str(1));
    return Value::String(DocAdicName());
  });
  xb::RegisterFunction("DOCADICIONAL", [](Args&) {
    DocAdicional();
    return Value();
  });
  xb::RegisterFunction("NTXMAPAS", [](Args&) {
    NtxMapas();
    return Value();
  });
}

}  // namespace svc
