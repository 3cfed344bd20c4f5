#include "data/sde_index.h"

#include <string>

#include "data/program_settings.h"
#include "data/table_access.h"
#include "runtime/function_table.h"
#include "runtime/rdd/workareas.h"

namespace data {
namespace {

using xb::Value;

// A step of another module: its public function, when it is there.
void Step(std::string_view function, std::initializer_list<Value> args = {}) {
  if (xb::IsFunctionRegistered(function)) xb::CallFunction(function, args);
}

bool Exists(const std::string& path) { return xb::rdd::WorkAreas::Get().file_system().Exists(path); }

std::string UserCode() {
  if (!xb::IsFunctionRegistered("CCODUSER")) return {};
  const Value code = xb::CallFunction("CCODUSER");
  return code.IsString() ? std::string(code.AsString()) : std::string();
}

// The macro table: packed and its one tag ("Nombre", Upper(Nombre)) built again.
void ReindexMacros() {
  const std::string table = cPathStart() + "Macros.dbf";
  if (!Exists(table)) return;
  CheckMdx(table);
  (void)xb::rdd::WorkAreas::Get().file_system().Remove(IndexFileOf(table));
  NetUseOptions options;
  options.exclusive = true;
  options.retries = 0;
  options.alias = "Macros";
  if (!lNetUse(cPathStart() + "Macros", options)) return;
  xb::CallFunction("__DBPACK");
  xb::CallFunction("ORDCREATE", {Value(), Value::String("Nombre"), Value::String("Upper(Nombre)")});
  xb::CallFunction("DBCLOSEAREA");
}

}  // namespace

void SdeIndex() {
  Step("NTXAGENDA");
  Step("CREAPLANNWIN");
  ReindexMacros();
  const std::string start = cPathStart();
  // User tables nobody has made yet (no one ever logged in) are made with their default rows,
  // as the log-in makes them on a fresh folder; the others are only re-indexed.
  const bool users_missing = !Exists(start + "Usuarios.dbf") || !Exists(start + "GrpUser.dbf");
  Step("QZW_CREAUSUARIOS", {Value::Logical(users_missing), Value::Logical(true)});
  const std::string user = UserCode();
  if (Exists(start + "CnfBrw" + user + ".Dbf")) Step("NTXCONFBRW");
  if (Exists(start + "GesPrn" + user + ".Dbf")) Step("NTXIMPRDBF");
  if (Exists(start + "MapaCF" + user + ".Dbf") && Exists(start + "MapaCV" + user + ".Dbf")) Step("NTXMAPAS");
  if (Exists(cPathInforme() + "Tablas.dbf")) Step("DICTREINDEX", {Value::String(cPathInforme()), Value::Logical(true)});
}

void RegisterSdeIndex() {
  xb::RegisterFunction("SDEINDEX", [](xb::Args&) {
    SdeIndex();
    return Value();
  });
}

}  // namespace data
