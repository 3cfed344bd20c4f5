// The access maps of a user: which fixed listings (USRLISTADOS, dialog 20047) and which
// reports, at which level (USRINFORMES), the user selected in the user maintenance may run.
// Each map opens its tables exclusively, edits a working list and writes it back on saving.
#pragma once

#include <string>

#include "runtime/value.h"

namespace reports {

// USRLISTADOS: the listing map of the current row of `user_alias` (its CCODIGO).
void UsrListados(const xb::Value& user_browse, const std::string& user_alias, const std::string& table = "Listados",
                 const std::string& title = "Listados");
// USRINFORMES: the report map of the same user over the dictionary's Informes, Categor and
// SubCat.
void UsrInformes(const xb::Value& user_browse, const std::string& user_alias);

// Registers USRLISTADOS, USRINFORMES, MAPLISTADOS, MAPINFORME, CREACOMPBMP and COPIABITS.
void RegisterAccessMaps();

}  // namespace reports
