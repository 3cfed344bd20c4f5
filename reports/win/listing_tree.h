// The tree of the fixed listings (ARBOLDELISTADOS): the listing table of the start folder
// laid out by its folders, run from its leaves under each user's access.
#pragma once

#include <string>

namespace reports {

struct ListingTreeOptions {
  bool non_modal = false;
  std::string table = "Listados";
  std::string name = "ArbolDeListados";  // the menu option it checks while open
  std::string title = "Listados";
};

// Opens the table and shows the tree; false when the table cannot be opened or is empty.
bool ArbolDeListados(const ListingTreeOptions& options);

// Runs the listing `code` of the table open under `alias` when the current user may; the
// refusal's message otherwise.
void RunListing(const std::string& alias, const std::string& code);

// The menu item of the option `name` checked (its window open) or not; nothing when the menu
// has no such option.
void CheckMenuOption(const std::string& name, bool on);

// Registers ARBOLDELISTADOS.
void RegisterListingTree();

}  // namespace reports
