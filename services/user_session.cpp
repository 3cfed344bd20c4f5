#include "services/user_session.h"

#include "data/record_helpers.h"
#include "runtime/function_table.h"
#include "runtime/rdd/workareas.h"
#include "services/table_helpers.h"
#include "services/user_tables.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

struct Session {
  std::string cod_usuario{kSupervisor};
  std::string cod_user{kSupervisor};
  std::string usuario = "Inactivo";
  Value version;  // array of pairs
  std::string file_ver;
  Value config_record;  // array
  bool config = false;
  bool logout_due = false;
  bool touch = false;
};

Session& State() {
  static Session session;
  return session;
}

void HandToPrinterLayer(const std::string& code) { CallIfThere("SETUSER", {Value::String(code)}); }

// The user's configuration record read from the area of `alias`, or a blank one.
xb::Array ReadConfigRecord(std::string_view alias) {
  SelectedAreaScope keep;
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  OpenedArea own;
  int area = alias.empty() ? 0 : areas.AreaOfAlias(alias);
  if (area == 0) {
    if (!lConfig() || !OpenTableQuietly(ConfigTable(), "_QzConfig", false)) {
      return xb::Array::Of({Value::String(State().cod_user)});
    }
    own.Adopt();
    area = own.number();
  }
  areas.SelectArea(area);
  const data::AreaStatus status = data::aSetStatus();
  SelectOrder(1);
  xb::Array record;
  if (Seek(Value::String(State().cod_user))) {
    record = data::aCamposLee();
  } else {
    record = data::aCamposBlank();
    if (record.empty()) record.Append(Value());
    record[0] = Value::String(State().cod_user);
  }
  if (!own) data::GetStatus({}, status);
  return record;
}

}  // namespace

const std::string& cCodUsuario() { return State().cod_usuario; }
const std::string& cCodUsuario(std::string_view code) { return State().cod_usuario = std::string(code); }

std::string cCodUser() {
  HandToPrinterLayer(State().cod_user);
  return State().cod_user;
}

std::string cCodUser(std::string_view code) {
  State().cod_user = std::string(code);
  return cCodUser();
}

const std::string& cUsuario() { return State().usuario; }
void SetUserName(std::string_view name) { State().usuario = std::string(name); }

xb::Array aQzVersion() {
  if (!State().version.IsArray()) State().version = Value(xb::Array::New());
  return State().version.AsArray();
}
void SetVersionRecord(xb::Array pairs) { State().version = Value(std::move(pairs)); }
const std::string& cFileVer() { return State().file_ver; }
void SetFileVer(std::string_view path) { State().file_ver = std::string(path); }

xb::Array qz_aUsuario(bool read, int field, const Value& value, std::string_view alias) {
  Session& s = State();
  xb::Array held = s.config_record.IsArray() ? s.config_record.AsArray() : xb::Array();
  if (field > 1 && held && static_cast<std::size_t>(field) <= held.size()) {
    held[field - 1] = value;
  } else if (read) {
    held = ReadConfigRecord(alias);
  } else if (!held || held.empty()) {
    held = xb::Array::Of({Value::String(s.cod_user)});
  }
  s.config_record = Value(held);
  return held;
}

bool lConfig() { return State().config; }
bool lConfig(bool exists) { return State().config = exists; }
bool lHacerLogout() { return State().logout_due; }
void SetLogoutDue(bool due) { State().logout_due = due; }
bool lIsTactil() { return State().touch; }
bool lIsTactil(bool on) { return State().touch = on; }

void ResetSession() { State() = Session{}; }

void RegisterSessionFunctions() {
  xb::RegisterFunction("CCODUSUARIO", [](Args& a) {
    if (a.Arg(1).IsString()) cCodUsuario(a.Str(1));
    return Value::String(cCodUsuario());
  });
  xb::RegisterFunction("CCODUSER", [](Args& a) {
    return Value::String(a.Arg(1).IsString() ? cCodUser(a.Str(1)) : cCodUser());
  });
  xb::RegisterFunction("CUSUARIO", [](Args&) { return Value::String(cUsuario()); });
  xb::RegisterFunction("AQZVERSION", [](Args&) { return Value(aQzVersion()); });
  xb::RegisterFunction("CFILEVER", [](Args&) { return Value::String(cFileVer()); });
  xb::RegisterFunction("QZ_AUSUARIO", [](Args& a) {
    return Value(qz_aUsuario(a.Log(1), static_cast<int>(a.Int(2)), a.Arg(3), a.Str(4)));
  });
  xb::RegisterFunction("LCONFIG", [](Args& a) {
    if (a.Arg(1).IsLogical()) lConfig(a.Log(1));
    return Value::Logical(lConfig());
  });
  xb::RegisterFunction("LHACERLOGOUT", [](Args&) { return Value::Logical(lHacerLogout()); });
  xb::RegisterFunction("LISTACTIL", [](Args& a) {
    if (a.Arg(1).IsLogical()) lIsTactil(a.Log(1));
    return Value::Logical(lIsTactil());
  });
}

}  // namespace svc
