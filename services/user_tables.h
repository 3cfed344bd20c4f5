// The user tables of the start folder, shared with every program of the suite: `Usuarios`
// (one record a user), `GrpUser` (user groups), `Config` (one configuration record a user)
// and `ColorW` (one colour scheme a user, see user_look.h). Their structures, tags and
// default rows are fixed: other programs read these files.
//
// QZW_CREAUSUARIOS creates what is missing and rebuilds missing indexes; the backup pair
// "Usuarios.seg"/"Usuarios.sgx" restores a lost user table.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/array.h"
#include "services/table_helpers.h"

namespace svc {

inline constexpr std::string_view kSupervisor = "00";
inline constexpr std::string_view kAdministrators = "000";
// Length of each access string of a user or group.
inline constexpr std::size_t kAccessLength = 255;

// The tables (start folder and name, without extension).
std::string UsuariosTable();
std::string GrpUserTable();
std::string ConfigTable();
std::string ColorWTable();

const std::vector<FieldDef>& UsuariosFields();
const std::vector<TagDef>& UsuariosTags();
const std::vector<FieldDef>& GrpUserFields();
const std::vector<TagDef>& GrpUserTags();
// `cCodigo` followed by the configuration fields (QZ_ACONFIG).
std::vector<FieldDef> ConfigFields();
const std::vector<TagDef>& ConfigTags();
const std::vector<TagDef>& ColorWTags();

// QZ_ACONFIG: the per-user configuration fields, as a table structure.
const std::vector<FieldDef>& QzAConfig();

// QZW_CREAUSUARIOS: with `create`, makes the missing user and group tables with their
// default rows (a lost user table is restored from its backup pair when there is one), and
// the configuration table; with `reindex`, rebuilds every index of the
// four tables; indexes found missing are always rebuilt. A new configuration table gets one
// record for each user, a new colour table the default scheme of each user.
void qzw_CreaUsuarios(bool create, bool reindex);

// COMPRUEBAFICHEROUSUARIOS: restores the user table and its index from the backup pair when
// the table is missing, or makes the pair when it is missing.
void CompruebaFicheroUsuarios();
// Copies the user table and its index to the backup pair (the maintenance window does it on
// closing).
void SaveUserBackup();

// The code proposed for a new user: two characters over "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"
// ("00" is the supervisor's). The last code in code order advanced, right digit first, with
// the carry after "Z" ("0Z" gives "10"), so that a deleted user's code does not pass to the
// next new one; past "ZZ", the first code nobody has. nullopt when every code is taken.
// Reads the table open under `alias`.
std::optional<std::string> NextUserCode(std::string_view alias);
// CNEWCODIGO: the same, with the refusal when the space is full ("" then).
std::string cNewCodigo(std::string_view alias);

// An access string of one level character, as the tables store them.
std::string FullAccess(char level = '2');

// LOGOUT: clears the active mark of the user who logged in (network mode), or of every user
// whose record can be locked (one station); nothing unless a log-in succeeded. True when the
// current user's mark was cleared in network mode.
bool Logout();

// Registers QZW_CREAUSUARIOS, COMPRUEBAFICHEROUSUARIOS, CNEWCODIGO, QZ_ACONFIG and LOGOUT.
void RegisterUserTableFunctions();

}  // namespace svc
