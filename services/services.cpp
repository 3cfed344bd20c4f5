#include "services/services.h"

#include "services/access_map.h"
#include "services/colour_editor.h"
#include "services/font_choice.h"
#include "services/hot_keys.h"
#include "services/layouts.h"
#include "services/login.h"
#include "services/menu_access.h"
#include "services/menu_table.h"
#include "services/panel_link.h"
#include "services/password.h"
#include "services/planner_tables.h"
#include "services/planner_window.h"
#include "services/user_dialogs.h"
#include "services/user_look.h"
#include "services/user_maintenance.h"
#include "services/user_session.h"
#include "services/user_tables.h"
#include "services/user_window.h"
#include "services/window_fit.h"

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
  RegisterUserMaintenanceFunctions();
  RegisterUserDialogFunctions();
  RegisterFontChoiceFunctions();
  RegisterLayoutFunctions();
  RegisterWindowFitFunctions();
  RegisterPanelLinkFunctions();
  RegisterPlannerTableFunctions();
  RegisterPlannerWindowFunctions();
  RegisterUserWindowFunctions();
  RegisterAccessMapFunctions();
  RegisterColourEditorFunctions();
}

void ResetServices() {
  ResetSession();
  ResetLook();
  ResetMenuAccess();
  ResetLayouts();
  ResetPanelLink();
}

}  // namespace svc
