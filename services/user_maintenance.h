// The user and group maintenance without its window: the tables it works over, adding,
// changing, viewing and deleting users, their configuration record, and adding and deleting
// groups. The maintenance window and its dialogs call these; each one works on the current
// record of the table open under its alias, as a browse over that table shows it.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/value.h"
#include "services/table_helpers.h"

namespace svc {

// The aliases the maintenance opens its tables under. `config` is empty when the
// configuration table does not exist.
struct UserTableAliases {
  std::string users = "Usuarios";
  std::string colours = "ColorW";
  std::string groups = "GrpUser";
  std::string fonts = "Fonts";
  std::string config = "Config";
};

// The maintenance's tables, opened exclusively (the menu table is not among them): the user,
// colour and group tables, the report dictionary's `Fonts` and, when it exists, `Config`.
// Either all of them open or none stays open. Closed when the object goes.
class UserTablesOpen {
 public:
  UserTablesOpen() = default;
  ~UserTablesOpen();
  UserTablesOpen(const UserTablesOpen&) = delete;
  UserTablesOpen& operator=(const UserTablesOpen&) = delete;

  // False (and nothing open) when one of them cannot be opened.
  bool Open(const UserTableAliases& aliases = {});
  void Close();
  bool is_open() const { return open_; }
  const UserTableAliases& aliases() const { return aliases_; }

 private:
  UserTableAliases aliases_;
  std::array<int, 5> areas_{};
  bool open_ = false;
};

// What the user dialog edits: the password in clear (9 characters at most).
struct UserForm {
  std::string code;
  std::string name;
  std::string password;
  std::string group;
};

enum class UserMode { kAdd = 1, kModify = 2, kView = 3 };

// The supervisor's record is his alone: another user may neither change nor see it. False,
// with the message, when `row_code` is the supervisor's and the current user is not.
bool lMayTouchUser(std::string_view row_code);

// The form for the mode: a new user with the first free code (nullopt when none is left: the
// message was shown), or the current user record (the password only to modify).
std::optional<UserForm> UserFormFor(const UserTableAliases& aliases, UserMode mode);

// The group's description, when the group exists (its code compared in upper case, blanks
// trimmed). An empty code is no group.
std::optional<std::string> GroupDescription(const UserTableAliases& aliases, std::string_view code);

// Appends a new user: scrambled password, `lLogo` set; a group that exists gives him its code
// and its four access strings, otherwise he has no group and no access at all. Then his
// default colour scheme and, with `Config`, his configuration record. The user table stays on
// the new record. False when the code or the name is missing or the code is taken (message).
bool InsertUser(const UserTableAliases& aliases, const UserForm& form);

// Rewrites the current user record's name and password under a lock. A group that exists
// and differs from his asks `keep_permissions` ("Ha cambiado la asignación de grupo...");
// when it answers false, the group's access string of this program (QZ_NACCESO) becomes his.
// The group code is stored either way; a group that does not exist clears his group. With
// no `keep_permissions` the question is shown.
bool UpdateUser(const UserTableAliases& aliases, const UserForm& form,
                std::function<bool()> keep_permissions = {});

// DELUSER: deletes the current user record, unless he is the one logged in, the supervisor
// or marked active (logged in somewhere), after the confirmation (LDELRECORD, over `browse` when given), and with it his
// per-user tables (printers, window fonts, layouts, access-map work tables), his colour
// scheme and his configuration record. True when the user was deleted.
bool DelUser(const UserTableAliases& aliases, const xb::Value& browse = {});

// CONFIGUSER: edits the current user's configuration record (QZ_USERCONFIG) under a lock;
// the supervisor rule applies unless `just_added`. When it is the identified user's record,
// the held record is read again. False when there is no configuration table or record.
bool ConfigUser(const UserTableAliases& aliases, bool just_added = false);

// Appends a group with no access at all (four strings of "0"). False, after the message of
// NewGroupCodeAccepted, when the code is empty or taken. The group table stays on the new
// record.
bool InsertGroup(const UserTableAliases& aliases, std::string_view code, std::string_view description);
// Whether a new group may take `code`: not empty and no group's yet; else a message says which.
bool NewGroupCodeAccepted(const UserTableAliases& aliases, std::string_view code);
// Rewrites the current group's description under a lock.
bool UpdateGroup(const UserTableAliases& aliases, std::string_view description);
// Deletes the current group after the confirmation, unless it is the administrators' or
// users still belong to it (messages). True when it was deleted.
bool DeleteGroup(const UserTableAliases& aliases, const xb::Value& browse = {});

// Registers DELUSER and CONFIGUSER.
void RegisterUserMaintenanceFunctions();

}  // namespace svc
