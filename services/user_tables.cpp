#include "services/user_tables.h"

#include <set>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "data/table_access.h"
#include "runtime/function_table.h"
#include "runtime/rdd/workareas.h"
#include "services/password.h"
#include "services/user_look.h"
#include "services/user_session.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

constexpr std::string_view kCodeDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Creates the table and writes its one default row.
bool CreateWithRow(const std::string& table, const std::vector<FieldDef>& fields, void (*write)()) {
  if (!CreateTable(table, fields)) return false;
  SelectedAreaScope keep;
  if (!OpenTable(table, "_QzNew", true)) return false;
  OpenedArea area(true);
  Area().Append();
  write();
  Area().Commit();
  return true;
}

void WriteSupervisor() {
  PutField("CCODIGO", Value::String(kSupervisor));
  PutField("CNOMBRE", Value::String("Supervisor"));
  PutField("CCLAVE", Value::String(cEncripta(std::string(kPasswordLength, ' '))));
  PutField("LACTIVO", Value::Logical(false));
  for (const char* field : {"ACCESOS1", "ACCESOS2", "ACCESOS3", "ACCESOS4"}) PutField(field, Value::String(FullAccess()));
  PutField("LLOGO", Value::Logical(true));
  PutField("GRUPO", Value::String(kAdministrators));
}

void WriteAdministrators() {
  PutField("CODIGO", Value::String(kAdministrators));
  PutField("DESCRIPC", Value::String("Administradores"));
  for (const char* field : {"ACCESOS1", "ACCESOS2", "ACCESOS3", "ACCESOS4"}) PutField(field, Value::String(FullAccess()));
}

// The index file made again from nothing: erased, then the tags built over the table
// opened exclusively (packed first when asked).
void RebuildIndex(const std::string& table, const std::vector<TagDef>& tags, bool pack) {
  if (!FileExists(DbfOf(table))) return;
  EraseFile(IndexOf(table));
  data::CheckMdx(DbfOf(table));
  SelectedAreaScope keep;
  if (!OpenTable(table, "_QzIndex", true)) return;
  OpenedArea area(true);
  if (pack) Call("__DBPACK");
  CreateTags(tags);
}

bool Missing(const std::string& table) { return !FileExists(DbfOf(table)); }
bool MissingIndex(const std::string& table) { return FileExists(DbfOf(table)) && !FileExists(IndexOf(table)); }

// Each user's code, in code order, from the user table opened for the purpose.
std::vector<std::string> UserCodes() {
  std::vector<std::string> codes;
  SelectedAreaScope keep;
  if (!OpenTable(UsuariosTable(), "_QzUsers", false)) return codes;
  OpenedArea users(true);
  SelectOrder(1);
  for (Call("DBGOTOP"); !Area().eof(); Area().Skip(1)) codes.push_back(FieldText("CCODIGO"));
  return codes;
}

void FillConfig() {
  const std::vector<std::string> codes = UserCodes();
  SelectedAreaScope keep;
  if (!OpenTable(ConfigTable(), "_QzConfig", false)) return;
  OpenedArea config(true);
  for (const std::string& code : codes) {
    if (!data::lNetRecAdd()) break;
    PutField("CCODIGO", Value::String(code));
    Area().Unlock();
  }
  Area().Commit();
}

void FillColours() {
  const std::vector<std::string> codes = UserCodes();
  SelectedAreaScope keep;
  OpenedArea fonts;
  if (OpenTableQuietly(FontsTable(), "_QzFonts", false)) fonts.Adopt();
  if (!OpenTable(ColorWTable(), "_QzColorW", true)) return;
  OpenedArea colours(true);
  for (const std::string& code : codes)
    SaveColors("_QzColorW", true, code, fonts ? "_QzFonts" : "", false);
}

}  // namespace

std::string UsuariosTable() { return data::cPathStart() + "Usuarios"; }
std::string GrpUserTable() { return data::cPathStart() + "GrpUser"; }
std::string ConfigTable() { return data::cPathStart() + "Config"; }
std::string ColorWTable() { return data::cPathStart() + "ColorW"; }

const std::vector<FieldDef>& UsuariosFields() {
  static const std::vector<FieldDef> fields = {
      {"cCodigo", 'C', 2, 0},     {"cNombre", 'C', 25, 0},    {"cClave", 'C', 10, 0},     {"lActivo", 'L', 1, 0},
      {"Accesos1", 'C', 255, 0},  {"Accesos2", 'C', 255, 0},  {"Accesos3", 'C', 255, 0},  {"Accesos4", 'C', 255, 0},
      {"lLogo", 'L', 1, 0},       {"UltEmpresa", 'C', 3, 0},  {"Grupo", 'C', 3, 0},
  };
  return fields;
}

const std::vector<TagDef>& UsuariosTags() {
  static const std::vector<TagDef> tags = {
      {"Codigo", "cCodigo"}, {"Nombre", "UPPER( cNombre )"}, {"Grupo", "UPPER( Grupo )"}};
  return tags;
}

const std::vector<FieldDef>& GrpUserFields() {
  static const std::vector<FieldDef> fields = {
      {"Codigo", 'C', 3, 0},      {"Descripc", 'C', 25, 0},   {"Accesos1", 'C', 255, 0},
      {"Accesos2", 'C', 255, 0},  {"Accesos3", 'C', 255, 0},  {"Accesos4", 'C', 255, 0},
  };
  return fields;
}

const std::vector<TagDef>& GrpUserTags() {
  static const std::vector<TagDef> tags = {{"Codigo", "UPPER( Codigo )"}};
  return tags;
}

const std::vector<FieldDef>& QzAConfig() {
  static const std::vector<FieldDef> fields = {{"lPriority", 'L', 1, 0}, {"RUTAAEB", 'C', 70, 0}, {"lModTickC", 'L', 1, 0}};
  return fields;
}

std::vector<FieldDef> ConfigFields() {
  std::vector<FieldDef> fields = {{"cCodigo", 'C', 2, 0}};
  fields.insert(fields.end(), QzAConfig().begin(), QzAConfig().end());
  return fields;
}

const std::vector<TagDef>& ConfigTags() {
  static const std::vector<TagDef> tags = {{"Codigo", "cCodigo"}};
  return tags;
}

const std::vector<TagDef>& ColorWTags() {
  static const std::vector<TagDef> tags = {{"Codigo", "cCodigo"}};
  return tags;
}

std::string FullAccess(char level) { return std::string(kAccessLength, level); }

void qzw_CreaUsuarios(bool create, bool reindex) {
  const std::string users = UsuariosTable(), groups = GrpUserTable(), config = ConfigTable(), colours = ColorWTable();
  if (reindex)
    for (const std::string& table : {users, groups, colours, config}) EraseFile(IndexOf(table));
  // Only what is missing is made: a table that is there keeps its records, and a lost user
  // table comes back from its backup pair rather than as a fresh supervisor alone.
  if (create && Missing(users)) {
    if (FileExists(data::cPathStart() + "Usuarios.seg")) CompruebaFicheroUsuarios();
    if (Missing(users)) CreateWithRow(users, UsuariosFields(), &WriteSupervisor);
  }
  if (create && Missing(groups)) CreateWithRow(groups, GrpUserFields(), &WriteAdministrators);
  if (MissingIndex(users) || MissingIndex(groups)) {
    RebuildIndex(users, UsuariosTags(), true);
    RebuildIndex(groups, GrpUserTags(), true);
  }

  bool config_new = false;
  if (create && Missing(config) && !QzAConfig().empty()) config_new = CreateTable(config, ConfigFields());
  lConfig(!Missing(config));
  if (MissingIndex(config)) RebuildIndex(config, ConfigTags(), false);
  if (config_new) FillConfig();

  bool colours_new = false;
  if (Missing(colours)) colours_new = CreateTable(colours, ColorWFields());
  if (MissingIndex(colours)) RebuildIndex(colours, ColorWTags(), false);
  if (colours_new) FillColours();
}

void CompruebaFicheroUsuarios() {
  const std::string start = data::cPathStart();
  const std::string table = start + "Usuarios.dbf", index = start + "Usuarios.cdx";
  const std::string table_copy = start + "Usuarios.seg", index_copy = start + "Usuarios.sgx";
  if (!FileExists(table) && FileExists(table_copy)) {
    CopyWholeFile(table_copy, table);
    if (FileExists(index_copy)) CopyWholeFile(index_copy, index);
  } else if (!FileExists(table_copy) && FileExists(table)) {
    SaveUserBackup();
  }
}

void SaveUserBackup() {
  const std::string start = data::cPathStart();
  if (!FileExists(start + "Usuarios.dbf")) return;
  ReplaceWithCopy(start + "Usuarios.dbf", start + "Usuarios.seg");
  if (FileExists(start + "Usuarios.cdx")) ReplaceWithCopy(start + "Usuarios.cdx", start + "Usuarios.sgx");
}

std::optional<std::string> NextUserCode(std::string_view alias) {
  SelectedAreaScope keep;
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int area = alias.empty() ? areas.CurrentArea() : areas.AreaOfAlias(alias);
  std::set<std::string> taken;
  if (area != 0 && areas.Area(area)->used()) {
    areas.SelectArea(area);
    const data::AreaStatus status = data::aSetStatus();
    for (Call("DBGOTOP"); !Area().eof(); Area().Skip(1)) taken.insert(FieldText("CCODIGO"));
    data::GetStatus({}, status);
  }
  // The last code in code order, its right digit advanced, the carry going left after "Z".
  if (!taken.empty()) {
    const std::string& last = *taken.rbegin();
    const std::size_t high = last.size() == 2 ? kCodeDigits.find(last[0]) : std::string_view::npos;
    const std::size_t low = last.size() == 2 ? kCodeDigits.find(last[1]) : std::string_view::npos;
    if (high != std::string_view::npos && low != std::string_view::npos) {
      if (low + 1 < kCodeDigits.size()) return std::string{kCodeDigits[high], kCodeDigits[low + 1]};
      if (high + 1 < kCodeDigits.size()) return std::string{kCodeDigits[high + 1], kCodeDigits[0]};
    }
  }
  // Past "ZZ" (or after a code outside the code space): the first code nobody has.
  for (char high : kCodeDigits)
    for (char low : kCodeDigits) {
      const std::string code{high, low};
      if (!taken.contains(code)) return code;
    }
  return std::nullopt;
}

std::string cNewCodigo(std::string_view alias) {
  if (std::optional<std::string> code = NextUserCode(alias)) return *code;
  data::Ui().MsgStop(data::JoinLines({"No quedan códigos libres para nuevos usuarios.",
                                    "Elimine algún usuario que ya no se use antes de añadir otro"}),
                    "Atención");
  return {};
}

bool Logout() {
  if (!lHacerLogout() || !data::qz_lPrimero()) return false;
  data::qz_lPrimero(false);
  bool cleared = false;
  {
    SelectedAreaScope keep;
    if (FileExists(DbfOf(UsuariosTable())) && OpenTable(UsuariosTable(), "_Usuarios", false, 3)) {
      OpenedArea users(true);
      SelectOrder(1);
      if (data::lNetwork()) {
        if (Seek(Value::String(cCodUsuario())) && data::lNetRecLock()) {
          PutField("LACTIVO", Value::Logical(false));
          Area().Commit();
          Area().Unlock();
          cleared = true;
        }
      } else {
        for (Call("DBGOTOP"); !Area().eof(); Area().Skip(1)) {
          if (!Area().LockRecord(Area().recno(), false)) continue;
          PutField("LACTIVO", Value::Logical(false));
          Area().Commit();
          Area().Unlock();
        }
      }
    }
  }
  SetLogoutDue(false);
  data::qz_lPrimero(true);
  return cleared;
}

void RegisterUserTableFunctions() {
  xb::RegisterFunction("QZW_CREAUSUARIOS", [](Args& a) {
    qzw_CreaUsuarios(a.Log(1), a.Log(2));
    return Value();
  });
  xb::RegisterFunction("COMPRUEBAFICHEROUSUARIOS", [](Args&) {
    CompruebaFicheroUsuarios();
    return Value();
  });
  xb::RegisterFunction("CNEWCODIGO", [](Args& a) { return Value::String(cNewCodigo(a.Str(1))); });
  xb::RegisterFunction("QZ_ACONFIG", [](Args&) {
    xb::Array fields = xb::Array::New();
    for (const FieldDef& f : QzAConfig())
      fields.Append(Value(xb::Array::Of({Value::String(f.name), Value::String(std::string(1, f.type)),
                                         Value::Integer(f.length), Value::Integer(f.decimals)})));
    return Value(fields);
  });
  xb::RegisterFunction("LOGOUT", [](Args&) { return Value::Logical(Logout()); });
}

}  // namespace svc
