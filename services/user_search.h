// The incremental search of a user in a browse over the user table: by code or by name, each
// key extending the typed beginning and moving the browse to the first user it matches.
#pragma once

#include <string>

namespace ui {
class TWBrowse;
}

namespace svc {

enum class UserSearchFrom { kLogin, kMaintenance };

// UDBLUSER (dialog 20018, or its twin 20076 of the maintenance window): searches the table
// open under `alias`, which the browse shows; the table keeps the order chosen.
void UserSearch(ui::TWBrowse& browse, const std::string& alias, UserSearchFrom from = UserSearchFrom::kLogin);

}  // namespace svc
