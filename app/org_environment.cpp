#include "app/org_environment.h"

#include "app/statistics.h"
#include "runtime/rdd/driver.h"
#include "runtime/rdd/workareas.h"
#include "runtime/runtime.h"

namespace app {

void InitOrganisationEnvironment() {
  xb::InitRuntime();
  xb::rdd::InitTables();
  RegisterStatisticsFunctions();
  xb::SetValue(xb::SET_CODEPAGE, xb::Value::String("ESWIN"));
  xb::SetValue(xb::SET_DELETED, xb::Value::Logical(true));
  xb::SetValue(xb::SET_EXCLUSIVE, xb::Value::Logical(true));
  xb::SetValue(xb::SET_DATEFORMAT, xb::Value::String("dd-mm-yyyy"));
  xb::SetValue(xb::SET_EPOCH, xb::Value::Integer(1920));
  xb::SetValue(xb::SET_CONFIRM, xb::Value::Logical(false));
  xb::rdd::RegisterDriver("ADS");
  xb::rdd::SetDefaultDriver("ADS");
}

}  // namespace app
