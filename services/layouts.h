// Saved layouts, per user, in the start folder: each window's rectangle and state by its
// title in "CnfBrw" + user code, and each of its browses' column widths, font and text colour
// by the title and the browse's number in "CnfLbx" + user code. Windows and browses made
// through CONFBRWNEW, CONFBRWREDEFINE and CONFDLGNEW come back as the user left them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "runtime/object.h"
#include "services/table_helpers.h"
#include "ui/bridge/rect.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/tdialog.h"
#include "ui/core/tmdichild.h"
#include "ui/core/tmdiframe.h"

namespace svc {

inline constexpr int kSavedColumns = 50;

// The current user's two layout tables (start folder, name and user code).
std::string CnfBrwTable(const std::string& user_code = {});
std::string CnfLbxTable(const std::string& user_code = {});
const std::vector<FieldDef>& CnfBrwFields();
const std::vector<FieldDef>& CnfLbxFields();

// CONFBROWSE: saves the window's rectangle (screen pixels; iconised or maximised, the one it
// is restored to), iconic and zoomed state and the number of browses under its title, and
// each browse's column widths (a width above 9999, more than the field holds, is kept as 0),
// font and text colour under the title and its number. A window whose rectangle the fields
// cannot hold (beyond -999 to 9999) keeps the record it had. A missing table is made (the
// other is left as it is), a missing index too.
void ConfBrowse(ui::TWindow& window, const std::vector<ui::TWBrowse*>& browses);

struct SavedWindow {
  ui::Rect rect;  // screen pixels, {top, left, bottom, right}
  bool iconic = false;
  bool zoomed = false;
  int browses = 0;
};
// The window saved under this title (cut to 64 characters).
std::optional<SavedWindow> SavedWindowLayout(const std::string& title);

struct SavedBrowse {
  std::vector<int> widths;  // the saved columns, 0 where none was kept
  LOGFONTA font{};
  COLORREF colour = 0;
};
// The browse `number` of the window saved under this title.
std::optional<SavedBrowse> SavedBrowseLayout(const std::string& title, int number);

// Gives the browse the widths, font and text colour saved for it, then the user's line style
// and look. False when nothing was saved.
bool RestoreBrowse(ui::TWBrowse& browse, const std::string& title, int number);
// Puts the window at its saved rectangle, iconic or zoomed as saved. False when nothing was.
bool RestoreWindow(ui::TWindow& window);

// CONFBRWNEW / CONFBRWREDEFINE: a browse made as TWBrowse's New / ReDefine does, restored as
// saved for its parent's title (its number: one more than the browses the parent has).
xb::Ref<ui::TWBrowse> ConfBrwNew(const ui::TWBrowse::NewParams& params);
xb::Ref<ui::TWBrowse> ConfBrwRedefine(int id, const ui::TWBrowse::RedefineParams& params);
// CONFDLGNEW: a dialog made as TDialog's New does, placed at its saved rectangle once it shows.
ui::DialogRef ConfDlgNew(const ui::TDialog::NewParams& params);

// CONFMDICHILDNEW: an MDI child made as TMdiChild's New does, placed at its saved rectangle.
xb::Ref<ui::TMdiChild> ConfMdiChildNew(const ui::TMdiChild::NewParams& params);
// CONFACTIVMDICHILD: activates the child iconised or maximised as saved (else as `params`
// say) and gives the buttons of its bars the hand cursor.
void ConfActivMdiChild(ui::TMdiChild& child, ui::TWindow::ActivateParams params = {});

// NTXCONFBRW: both layout tables' indexes made again (when both tables are there).
void NtxConfBrw();
// DELCONFBRW: erases the user's two layout tables and their indexes.
void DelConfBrw(const std::string& user_code);

// NCOORASIEN, NCOORPGC: the reserved slots of the windows "Gestión de asientos" and "PLAN
// GENERAL CONTABLE", filled when their layouts are read: 1 with the rectangle, 2 when the
// window was iconic, 0 when none.
int nCoorAsien();
int nCoorPgc();
ui::Rect CoorAsien();
ui::Rect CoorPgc();

// ENTORNO: asks whether to bring back the original fonts and window sizes; yes erases the
// user's layouts and restores the default working font.
void Entorno();

// Slots back to empty (tests).
void ResetLayouts();

// Registers CONFBROWSE, CONFBRWNEW, CONFBRWREDEFINE, CONFDLGNEW, CONFMDICHILDNEW,
// CONFACTIVMDICHILD, NTXCONFBRW, DELCONFBRW,
// NCOORASIEN, NCOORPGC and ENTORNO.
void RegisterLayoutFunctions();

}  // namespace svc
