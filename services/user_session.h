// The log-in's state: who is identified, the code used in per-user file names, the version
// record read at log-in, the user's configuration record, and the touch-screen mode. Each
// value has its accessor, in C++ and under its upper-case name for compiled text.
#pragma once

#include <string>
#include <string_view>

#include "runtime/array.h"
#include "runtime/value.h"

namespace svc {

// CCODUSUARIO: the identified user's code ("00", the supervisor, until someone logs in).
const std::string& cCodUsuario();
const std::string& cCodUsuario(std::string_view code);
// CCODUSER: the code appended to per-user table and file names. Every call, reading or
// setting, also hands the value to the printer flag-file layer (SETUSER) when it is there.
std::string cCodUser();
std::string cCodUser(std::string_view code);
// CUSUARIO: the identified user's name ("Inactivo" before log-in).
const std::string& cUsuario();
void SetUserName(std::string_view name);
// AQZVERSION: the version record, {field name, value} for each field of the version
// table's first record; CFILEVER: the version table read at log-in.
xb::Array aQzVersion();
void SetVersionRecord(xb::Array pairs);
const std::string& cFileVer();
void SetFileVer(std::string_view path);

// QZ_AUSUARIO: the current user's configuration record (values of the `Config` fields).
// A field number above 1 within the held record stores `value` there; else `read` seeks
// cCodUser() in `alias` (default the configuration table of the start folder) and holds
// its values, or a blank record with the user code first when there is none; else makes
// sure a record is held (at least {user code}). Returns the held record.
xb::Array qz_aUsuario(bool read = false, int field = 0, const xb::Value& value = {}, std::string_view alias = {});

// LCONFIG: the configuration table exists.
bool lConfig();
bool lConfig(bool exists);
// LHACERLOGOUT: a log-in succeeded, so a log-out is due.
bool lHacerLogout();
void SetLogoutDue(bool due);
// LISTACTIL: touch-screen mode (dialogs take their touch variants).
bool lIsTactil();
bool lIsTactil(bool on);

// Everything back to its start values (the start of the program; tests).
void ResetSession();

// Registers CCODUSUARIO, CCODUSER, CUSUARIO, AQZVERSION, CFILEVER, QZ_AUSUARIO, LCONFIG,
// LHACERLOGOUT and LISTACTIL.
void RegisterSessionFunctions();

}  // namespace svc
