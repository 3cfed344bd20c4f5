#include "app/org/org_environment.h"

#include "app/org/index_catalogue.h"
#include "app/org/statistics.h"
#include "runtime/rdd/driver.h"
#include "runtime/rdd/workareas.h"
#include "runtime/runtime.h"

namespace app {

void RegisterOrganisationFunctions() {
  RegisterStatisticsFunctions();
  // AINDEXCHAIN(): the order-bag list, one text per table.
  xb::RegisterFunction("AINDEXCHAIN", [](xb::Args&) {
    xb::Array list = xb::Array::New();
    for (std::string_view entry : OrderBagList()) list.Append(xb::Value::String(entry));
    return xb::Value(list);
  });
}

void InitOrganisationEnvironment() {
  xb::InitRuntime();
  xb::rdd::InitTables();
  RegisterOrganisationFunctions();
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
