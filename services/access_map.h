// The access-map editor (MAPUSER): the options of the menu table as a tree, each leaf showing
// the level the user's or the group's access string gives its record ("2" full, "1" read
// only, "0" none), set one option or all of them at once. A leaf carries its record number,
// so options with equal prompts keep apart. The access strings hold 255 levels: an option at
// a record past 255 shows as disabled and cannot be set.
#pragma once

#include <string>
#include <vector>

#include "runtime/object.h"
#include "services/user_maintenance.h"
#include "ui/controls/tlinklist.h"
#include "ui/controls/ttreeitem.h"

namespace ui {
class TWBrowse;
}

namespace svc {

enum class AccessMapOf { kUser = 1, kGroup = 2 };

// OGETMENUTREE: the tree of the menu table open under `menu_alias` (folders for records of
// kind 0, leaves for kinds 1 and 9; kinds 3 and 4 end a folder), the leaves' pictures from the
// levels of `access`. Each leaf's Cargo is its record number.
struct MenuTree {
  xb::Ref<ui::TLinkList> tree;
  std::vector<std::string> texts;  // the option's prompt without "&", by record number (0 unused)
  std::vector<bool> settable;      // by record number
};
MenuTree oGetMenuTree(const std::string& menu_alias, const std::string& access);

// The picture of a level: "BmpEnable", "BmpReadOnly", "BmpDisable".
const char* LevelPicture(char level);

// The editor over the current record of the user table (or of the group table) open under
// the aliases. The string of this program (QZ_NACCESO) is written under the record's lock at
// each change.
class AccessMapEditor {
 public:
  AccessMapEditor(AccessMapOf of, const UserTableAliases& aliases, std::string menu_alias);

  // False, with the refusal, for the supervisor and the administrators' group, or when there
  // is no record.
  bool Load();
  // The level of the option of `item` (a leaf); a folder, or an option that cannot be set,
  // changes nothing. True when the string changed.
  bool SetOne(ui::TTreeItem* item, char level);
  // Every level of the string, and every settable leaf's picture.
  bool SetAll(char level);
  // Closing: a user whose string changed no longer follows his group; a group whose string
  // changed may hand it to its users (`propagate` answers the question; none: it is asked).
  void Close(std::function<bool()> propagate = {});

  const std::string& access() const { return access_; }
  const std::string& title() const { return title_; }
  const MenuTree& tree() const { return tree_; }
  bool changed() const { return access_ != original_; }

 private:
  bool Write();
  void Picture(ui::TTreeItem& item, char level);

  AccessMapOf of_;
  UserTableAliases aliases_;
  std::string menu_alias_;
  std::string field_;
  std::string original_, access_, title_, code_;
  MenuTree tree_;
};

// MAPUSER: the editor's dialog (20045) over the selected user (mode 1) or group (mode 2) of
// the table the browse shows. The menu table is the one open under `menu_alias`; when none is
// open there, "MenuWinE" (or "MenuWin") of the start folder is opened for the while.
void MapUser(ui::TWBrowse* browse, AccessMapOf of, const UserTableAliases& aliases = {},
             const std::string& menu_alias = {});

// Registers MAPUSER and OGETMENUTREE.
void RegisterAccessMapFunctions();

}  // namespace svc
