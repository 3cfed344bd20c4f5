// The dialogs of the user maintenance: one user added, changed or viewed, and the user
// groups (to maintain them, or to pick one for a user). They work over the maintenance's
// tables (user_maintenance.h), open under their aliases.
#pragma once

#include <optional>
#include <string>

#include "services/user_maintenance.h"
#include "ui/core/twindow.h"

namespace ui {
class TGet;
class TWBrowse;
}  // namespace ui

namespace svc {

// LINSMODUSER (dialog 20077): adds a user, changes the selected one or shows him, over
// `browse` (the user list, refreshed after a change). The owner window is disabled while it
// is open. True when a user was saved.
bool lInsModUser(ui::TWBrowse* browse, UserMode mode, ui::WindowRef owner = {},
                 const UserTableAliases& aliases = {});

struct GroupDialogParams {
  ui::WindowRef owner;
  // Pick mode: one button takes the selected group's code into `group_field` (whose
  // validation then runs) and closes. Opened only from the picker (key 0) or by "+" (43).
  bool pick = false;
  int key = 0;
  ui::TGet* group_field = nullptr;
  UserTableAliases aliases;
};

// GRPUSER (dialog 20035, " Grupos de usuarios", its layout saved): the group list with its
// buttons. Answers the code picked, in pick mode.
std::optional<std::string> GrpUser(const GroupDialogParams& params);

// Registers LINSMODUSER and GRPUSER.
void RegisterUserDialogFunctions();

}  // namespace svc
