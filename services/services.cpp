#include "services/services.h"

#include "services/hot_keys.h"
#include "services/login.h"
#include "services/menu_access.h"
#include "services/menu_table.h"
#include "services/password.h"
#include "services/user_look.h"
#include "services/user_session.h"
#include "services/user_tables.h"

namespace svc {

void RegisterServiceFunctions() {
  RegisterPasswordFunctions();
  RegisterSessionFunctions();
  RegisterUserTableFunctions();
  RegisterLookFunctions();
  RegisterMenuAccessFunctions();
  RegisterMenuTableFunctions();
  RegisterHotKeyFunctions();
  RegisterLoginFunctions();
}

void ResetServices() {
  ResetSession();
  ResetLook();
  ResetMenuAccess();
}

}  // namespace svc
