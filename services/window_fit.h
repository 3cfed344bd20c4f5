// Browses fitted into their windows, the main window's client edges, and a browse's row
// edited in place.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "runtime/value.h"
#include "ui/bridge/rect.h"
#include "ui/core/tmdichild.h"
#include "ui/core/tmdiframe.h"

namespace ui {
class TBar;
class TDialog;
class TWBrowse;
class TWindow;
}  // namespace ui

namespace svc {

struct Margins {
  int top = 0;
  int left = 0;
  int right = 0;
  int bottom = 0;
};

// SETBROWSE: the browse's place in the window's client area beside the bar, by the bar's
// mode (1 top, 2 left, 3 right, 4 bottom, 5 floating; no bar counts as a top bar of no
// height), less the margins.
ui::Rect BrowsePlace(ui::TWindow& window, ui::TBar* bar, const Margins& margins);
void SetBrowse(ui::TWindow& window, ui::TWindow& browse, ui::TBar* bar, const Margins& margins);

// NMDITOP, NMDILEFT, NMDIBOTTOM, NMDIRIGHT: the edges of the main window's client area (its
// MDI client's, when it has one), in its client coordinates.
ui::Rect MdiClientArea();
// A pixel MDI child's place `inset` pixels inside that area, with its caption.
ui::TMdiChild::NewParams InsetMdiChild(const std::string& caption, int inset);

struct EditLineParams {
  ui::TWBrowse* browse = nullptr;
  std::vector<std::string> labels{};  // one a column; default the browse's headers
  std::string caption{};              // none: a borderless box
  // Creates the edit controls on the box, one a column, in order.
  std::function<void(ui::TDialog& box)> create{};
  // Asked once every control is valid, before the box closes accepted: false keeps it open.
  std::function<bool(ui::TDialog& box)> valid{};
  // Run once the box is placed and the controls moved over their columns.
  std::function<void(ui::TDialog& box)> resize{};
  // The box's top edge, in pixels of the browse's client area; default over the current row.
  std::optional<int> top{};
  bool horizontal_bar = false;      // room for a horizontal scroll bar
};
// LEDITLINE: a box in the default dialog font over the browse's current row, a dark blue
// label heading each column in the browse's font and the caller's controls moved over the
// columns (2 pixels apart); Enter on its default button closes it once every control, and
// then the caller's valid, accepts. True when it was closed so; false when cancelled, or
// when no block creates the controls.
bool lEditLine(const EditLineParams& params);

// Registers SETBROWSE, NMDITOP, NMDILEFT, NMDIBOTTOM, NMDIRIGHT and LEDITLINE.
void RegisterWindowFitFunctions();

}  // namespace svc
