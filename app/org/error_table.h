// The organisation's error table: "OrgAll" in the temporary folder, one character field
// `Texto` of 70, open exclusively under the alias "cDbOrg" for the whole run. Every table
// of a company that does not open and every recomputation that is skipped leaves one line
// in it; when it holds lines at the end, the error list shows them.
//
// The table stays open in its own work area across companies; what reaches it from here
// never changes the selected area.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace app {

inline constexpr std::string_view kErrorTableName = "OrgAll";
inline constexpr std::string_view kErrorTableAlias = "cDbOrg";
inline constexpr int kErrorLineWidth = 70;

// CREARDBF for the error table: erases it and creates it empty in `folder` (with its
// separator). False when it cannot be created.
bool CreateErrorTable(const std::string& folder);
// Opens it exclusively with 3 tries under its alias, in a new work area (LNETUSE, with its
// message when it fails). Remembered, so that it can be opened again if it is lost.
bool OpenErrorTable(const std::string& folder);
// True while it is open under its alias.
bool ErrorTableOpen();
// Opens it again from where it was opened when it is no longer open; true when it is open.
bool EnsureErrorTableOpen();
// Appends one line, cut to the field's width, unless the run has written the same line
// already (one line per table and cause). False when the table is not open (and could not
// be opened again) or the line could not be written. A new line is also told to the
// listener, unless `told` says that what it stands for has been told already.
bool AddErrorLine(std::string_view text, bool told = false);
// Lines written since the table was created (repeated ones not counted).
int ErrorLineCount();
// Whether the run has written this line (cut as AddErrorLine cuts it) already.
bool ErrorLineWritten(std::string_view text);

// Who hears of each new line (the run's log in parameter mode); none by default.
using ErrorLineListener = std::function<void(std::string_view line)>;
void SetErrorLineListener(ErrorLineListener listener);

// While one lives, the messages shown are about failures that the code showing them writes
// into the error table itself: whoever turns messages into lines leaves them alone.
class LinedMessages {
 public:
  LinedMessages();
  ~LinedMessages();
  LinedMessages(const LinedMessages&) = delete;
  LinedMessages& operator=(const LinedMessages&) = delete;
  static bool active();
};
// Its live lines, blanks at the end removed.
std::vector<std::string> ErrorLines();
// Closes it and erases its file (the end of the run).
void CloseErrorTable();
void EraseErrorTable(const std::string& folder);

}  // namespace app
