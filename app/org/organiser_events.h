// What the organisation tells whoever shows it: the window code answers with the progress
// dialog's label and meters, the open-failure messages and the error table's lines; the
// engine-level callers (tests, benchmark) with nothing, or a record of what happened.
#pragma once

#include <string>
#include <string_view>

#include "app/org/org_table.h"

namespace app {

// The folders of one company's organisation, each ending in its separator.
struct Folders {
  std::string company;  // "..\DBF01\"
  std::string start;    // "..\DBF\"
};

class OrganiserEvents {
 public:
  virtual ~OrganiserEvents() = default;
  // The title of the group being worked on (label 91).
  virtual void Title(std::string_view title) {}
  // A progress meter's new value, 0 to 100.
  virtual void Meter(int meter, int value) {}
  // A table could not be opened (its rows are skipped; a recomputation that needed it is).
  virtual void TableFailed(const TableFailure& failure) {}
  // A recomputation was not done; `why` says so in the user's words.
  virtual void Skipped(std::string_view what, std::string_view why) {}
  // Something the organisation found and dealt with that the user must know of: damage of
  // a table mended, a number that did not fit its field.
  virtual void Noted(std::string_view text) {}
  // Lets pending window messages run (after every tag and every meter step).
  virtual void Pump() {}
  // Re-indexes the start folder's own tables (SDEINDEX). Here only the macro table, which
  // the organisation owns; the program adds the agenda, planner, user, layout, printer,
  // access-map and dictionary tables of their modules, in their order around it.
  virtual void ReindexStartFolder(const std::string& start_folder);
};

}  // namespace app
