#include "services/user_maintenance.h"

#include <array>

#include "data/data_ui.h"
#include "data/field_checks.h"
#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "data/table_access.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/layouts.h"
#include "services/menu_access.h"
#include "services/password.h"
#include "services/user_look.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "ui/core/msg_box.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

constexpr std::array<const char*, 4> kAccessFields = {"ACCESOS1", "ACCESOS2", "ACCESOS3", "ACCESOS4"};
constexpr std::size_t kUserCodeLength = 2;
constexpr std::size_t kGroupCodeLength = 3;
constexpr std::size_t kNameLength = 25;

std::string Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::string UpperTrim(std::string_view text) { return xb::Upper(xb::CurrentCodePage(), Trim(text)); }

std::string Padded(std::string text, std::size_t length) {
  text.resize(length, ' ');
  return text;
}

// Selects the area open under `alias`; false when there is none.
bool SelectAlias(std::string_view alias) {
  if (alias.empty()) return false;
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int area = areas.AreaOfAlias(alias);
  if (area == 0 || !areas.Area(area)->used()) return false;
  areas.SelectArea(area);
  return true;
}

// This program's access string (QZ_NACCESO) of the current record.
std::string ProgramAccessField() { return "ACCESOS" + std::to_string(qz_nAcceso()); }

// Seeks `key` in the tag of the selected area and puts the area back where it was when the
// scope ends.
class SeekScope {
 public:
  SeekScope() : status_(data::aSetStatus()) {}
  ~SeekScope() { data::GetStatus({}, status_); }
  bool Find(std::string_view tag, const std::string& key) {
    SelectOrder(tag);
    return Seek(Value::String(key));
  }

 private:
  data::AreaStatus status_;
};

struct GroupRecord {
  std::string code;
  std::string description;
  std::array<std::string, 4> access;
};

std::optional<GroupRecord> FindGroup(const UserTableAliases& aliases, std::string_view code) {
  const std::string key = UpperTrim(code);
  if (key.empty()) return std::nullopt;
  SelectedAreaScope keep;
  if (!SelectAlias(aliases.groups)) return std::nullopt;
  SeekScope position;
  if (!position.Find("Codigo", Padded(key, kGroupCodeLength))) return std::nullopt;
  GroupRecord group{FieldText("CODIGO"), FieldText("DESCRIPC"), {}};
  for (std::size_t i = 0; i < kAccessFields.size(); ++i) group.access[i] = FieldText(kAccessFields[i]);
  return group;
}

bool UserCodeTaken(const UserTableAliases& aliases, const std::string& code) {
  SelectedAreaScope keep;
  if (!SelectAlias(aliases.users)) return false;
  SeekScope position;
  return position.Find("Codigo", Padded(code, kUserCodeLength));
}

// The record of `code` in the configuration table, appended when the user has none.
bool SeekConfigRecord(const std::string& code) {
  SelectOrder(1);
  if (Seek(Value::String(Padded(code, kUserCodeLength)))) return true;
  if (!data::lNetRecAdd()) return false;
  PutField("CCODIGO", Value::String(code));
  Area().Commit();
  return true;
}

void EraseTableFiles(const std::string& table) {
  EraseFile(DbfOf(table));
  EraseFile(IndexOf(table));
}

// The per-user tables of other modules and of the access-map editor.
void RemoveUserFiles(const std::string& code) {
  data::DelImprDbf(code);
  data::DelVenDbf(code);
  DelConfBrw(code);
  const std::string start = data::cPathStart();
  EraseTableFiles(start + "MapaCF" + code);
  EraseFile(IndexOf(start + "MapnCF" + code));
  EraseTableFiles(start + "MapaCV" + code);
}

}  // namespace

UserTablesOpen::~UserTablesOpen() { Close(); }

bool UserTablesOpen::Open(const UserTableAliases& given) {
  Close();
  aliases_ = given;
  if (!lConfig() || !FileExists(DbfOf(ConfigTable()))) aliases_.config.clear();
  const bool fonts = FileExists(DbfOf(FontsTable()));
  if (!fonts) aliases_.fonts.clear();
  SelectedAreaScope keep;
  OpenedArea users, colours, groups, fonts_area, config;
  auto open = [](OpenedArea& area, const std::string& table, const std::string& alias) {
    if (!OpenTable(table, alias, true)) return false;
    area.Adopt();
    SelectOrder(1);
    Call("DBGOTOP");
    return true;
  };
  if (!open(users, UsuariosTable(), aliases_.users) || !open(colours, ColorWTable(), aliases_.colours) ||
      !open(groups, GrpUserTable(), aliases_.groups) || (fonts && !open(fonts_area, FontsTable(), aliases_.fonts)) ||
      (!aliases_.config.empty() && !open(config, ConfigTable(), aliases_.config)))
    return false;
  // Every table opened: the areas now stay open until Close.
  areas_ = {users.Release(), colours.Release(), groups.Release(), fonts_area.Release(), config.Release()};
  open_ = true;
  return true;
}

void UserTablesOpen::Close() {
  if (!open_) return;
  open_ = false;
  SelectedAreaScope keep;
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  for (int area : areas_) {
    if (area == 0) continue;
    areas.SelectArea(area);
    CloseArea();
  }
  areas_ = {};
  // The maintenance is where users change: the backup pair follows the table.
  SaveUserBackup();
}

bool lMayTouchUser(std::string_view row_code) {
  if (Trim(row_code) != kSupervisor || cCodUsuario() == kSupervisor) return true;
  data::Ui().MsgStop("Sólo el usuario Supervisor puede modificar o visualizar sus datos.", " Atención");
  return false;
}

std::optional<UserForm> UserFormFor(const UserTableAliases& aliases, UserMode mode) {
  if (mode == UserMode::kAdd) {
    const std::string code = cNewCodigo(aliases.users);
    if (code.empty()) return std::nullopt;
    return UserForm{code, std::string(kNameLength, ' '), std::string(kPasswordLength, ' '),
                    std::string(kGroupCodeLength, ' ')};
  }
  SelectedAreaScope keep;
  if (!SelectAlias(aliases.users) || Area().eof()) return std::nullopt;
  UserForm form{FieldText("CCODIGO"), FieldText("CNOMBRE"), std::string(kPasswordLength, ' '), FieldText("GRUPO")};
  if (!lMayTouchUser(form.code)) return std::nullopt;
  if (mode == UserMode::kModify) form.password = cDesencripta(FieldText("CCLAVE"));
  return form;
}

std::optional<std::string> GroupDescription(const UserTableAliases& aliases, std::string_view code) {
  if (std::optional<GroupRecord> group = FindGroup(aliases, code)) return group->description;
  return std::nullopt;
}

bool InsertUser(const UserTableAliases& aliases, const UserForm& form) {
  const std::string code = Trim(form.code);
  if (code.empty() || Trim(form.name).empty()) {
    data::Ui().MsgStop("El nombre del usuario no puede quedar en blanco", "Atención");
    return false;
  }
  if (UserCodeTaken(aliases, code)) {
    data::Ui().MsgStop("El código " + code + " ya pertenece a otro usuario", "Atención");
    return false;
  }
  const std::optional<GroupRecord> group = FindGroup(aliases, form.group);
  {
    SelectedAreaScope keep;
    if (!SelectAlias(aliases.users) || !data::lNetRecAdd()) return false;
    PutField("CCODIGO", Value::String(code));
    PutField("CNOMBRE", Value::String(form.name));
    PutField("CCLAVE", Value::String(cEncripta(form.password)));
    PutField("LACTIVO", Value::Logical(false));
    PutField("LLOGO", Value::Logical(true));
    PutField("GRUPO", Value::String(group ? group->code : std::string()));
    for (std::size_t i = 0; i < kAccessFields.size(); ++i)
      PutField(kAccessFields[i], Value::String(group ? group->access[i] : FullAccess('0')));
    Area().Commit();
    Area().Unlock();
  }
  // Adding a user must not change the look of the one working.
  SaveColors(aliases.colours, true, code, aliases.fonts, false);
  if (!aliases.config.empty()) {
    SelectedAreaScope keep;
    if (SelectAlias(aliases.config) && data::lNetRecAdd()) {
      PutField("CCODIGO", Value::String(code));
      Area().Commit();
      Area().Unlock();
    }
    ConfigUser(aliases, true);
  }
  return true;
}

bool UpdateUser(const UserTableAliases& aliases, const UserForm& form, std::function<bool()> keep_permissions) {
  if (Trim(form.name).empty()) {
    data::Ui().MsgStop("El nombre del usuario no puede quedar en blanco", "Atención");
    return false;
  }
  const std::optional<GroupRecord> group = FindGroup(aliases, form.group);
  SelectedAreaScope keep;
  if (!SelectAlias(aliases.users) || Area().eof() || !data::lNetRecLock()) return false;
  PutField("CNOMBRE", Value::String(form.name));
  PutField("CCLAVE", Value::String(cEncripta(form.password)));
  if (group) {
    if (UpperTrim(FieldText("GRUPO")) != UpperTrim(group->code)) {
      const bool keep_his =
          keep_permissions
              ? keep_permissions()
              : ui::MsgYesNo(Value::String("Ha cambiado la asignación de grupo de este usuario.\n\r"
                                           "Puede conservar los permisos de este usuario o asignarle \n\r"
                                           "los predeterminados para este grupo.\n\r"
                                           "¿ Desea conservar sus permisos ?"),
                             "Atención");
      if (!keep_his) PutField(ProgramAccessField(), Value::String(group->access[qz_nAcceso() - 1]));
    }
    PutField("GRUPO", Value::String(group->code));
  } else {
    PutField("GRUPO", Value::String(""));
  }
  Area().Commit();
  Area().Unlock();
  return true;
}

bool DelUser(const UserTableAliases& aliases, const Value& browse) {
  SelectedAreaScope keep;
  if (!SelectAlias(aliases.users) || Area().eof()) return false;
  const std::string code = Trim(FieldText("CCODIGO"));
  if (code == cCodUsuario()) {
    data::Ui().MsgStop("No se puede eliminar el usuario activo", "Acceso denegado");
    return false;
  }
  if (code == kSupervisor) {
    data::Ui().MsgStop("El Supervisor no puede ser eliminado", "Eliminación denegada");
    return false;
  }
  // A user logged in elsewhere may hold his own tables open: he is freed from the log-in
  // list first. The mark is read again under the lock.
  if (!data::lNetRecLock()) return false;
  if (FieldLogical("LACTIVO")) {
    Area().Unlock(Area().recno());
    data::Ui().MsgStop("No se puede eliminar el usuario activo", "Acceso denegado");
    return false;
  }
  const std::uint32_t record = Area().recno();
  if (!data::lDelRecord(browse)) {
    Area().Unlock(record);
    return false;
  }
  Area().Unlock(record);
  RemoveUserFiles(code);
  DelColores(code, aliases.colours);
  if (!aliases.config.empty() && SelectAlias(aliases.config)) {
    SeekScope position;
    if (position.Find("Codigo", Padded(code, kUserCodeLength)) && data::lNetRecLock()) {
      Area().Delete();
      Area().Commit();
      Area().Unlock();
    }
  }
  return true;
}

bool ConfigUser(const UserTableAliases& aliases, bool just_added) {
  if (aliases.config.empty()) return false;
  SelectedAreaScope keep;
  if (!SelectAlias(aliases.users) || Area().eof()) return false;
  const std::string code = Trim(FieldText("CCODIGO"));
  if (!just_added && !lMayTouchUser(code)) return false;
  if (!SelectAlias(aliases.config) || !SeekConfigRecord(code) || !data::lNetRecLock()) return false;
  CallIfThere("QZ_USERCONFIG");
  Area().Commit();
  Area().Unlock();
  if (code == Trim(cCodUser())) qz_aUsuario(true, 0, {}, aliases.config);
  return true;
}

bool NewGroupCodeAccepted(const UserTableAliases& aliases, std::string_view code) {
  const std::string key = UpperTrim(code);
  if (!data::lNotEmpty(Value::String(key), "El código del grupo no puede quedar vacío")) return false;
  if (FindGroup(aliases, key)) {
    data::Ui().MsgStop("Clave duplicada", "Valor no aceptado");
    return false;
  }
  return true;
}

bool InsertGroup(const UserTableAliases& aliases, std::string_view code, std::string_view description) {
  if (!NewGroupCodeAccepted(aliases, code)) return false;
  const std::string key = UpperTrim(code);
  SelectedAreaScope keep;
  if (!SelectAlias(aliases.groups) || !data::lNetRecAdd()) return false;
  PutField("CODIGO", Value::String(key));
  PutField("DESCRIPC", Value::String(description));
  for (const char* field : kAccessFields) PutField(field, Value::String(FullAccess('0')));
  Area().Commit();
  Area().Unlock();
  return true;
}

bool UpdateGroup(const UserTableAliases& aliases, std::string_view description) {
  SelectedAreaScope keep;
  if (!SelectAlias(aliases.groups) || Area().eof() || !data::lNetRecLock()) return false;
  PutField("DESCRIPC", Value::String(description));
  Area().Commit();
  Area().Unlock();
  return true;
}

bool DeleteGroup(const UserTableAliases& aliases, const Value& browse) {
  SelectedAreaScope keep;
  if (!SelectAlias(aliases.groups) || Area().eof()) return false;
  const std::string code = UpperTrim(FieldText("CODIGO"));
  if (code == kAdministrators) {
    data::Ui().MsgStop("El grupo Administradores no puede eliminarse", "Atención");
    return false;
  }
  bool in_use = false;
  if (SelectAlias(aliases.users)) {
    SeekScope position;
    in_use = position.Find("Grupo", Padded(code, kGroupCodeLength));
  }
  if (in_use) {
    data::Ui().MsgStop("No es posible eliminar este grupo de usuarios.\n\rExisten usuarios asignados a este grupo",
                      "Atención");
    return false;
  }
  SelectAlias(aliases.groups);
  if (!data::lNetRecLock()) return false;
  const std::uint32_t record = Area().recno();
  const bool deleted = data::lDelRecord(browse);
  Area().Unlock(record);
  return deleted;
}

void RegisterUserMaintenanceFunctions() {
  // The maintenance window's tables under their own names.
  xb::RegisterFunction("DELUSER", [](Args& a) { return Value::Logical(DelUser(UserTableAliases{}, a.Arg(1))); });
  xb::RegisterFunction("CONFIGUSER", [](Args& a) {
    UserTableAliases aliases;
    if (!lConfig()) aliases.config.clear();
    return Value::Logical(ConfigUser(aliases, a.Log(2)));
  });
}

}  // namespace svc
