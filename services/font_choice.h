// Fonts the user chooses: the listing fonts kept by number in the report dictionary's `Fonts`
// table, and a browse's own font.
#pragma once

#include <windows.h>

#include "runtime/object.h"
#include "services/user_look.h"

namespace ui {
class TFont;
class TWindow;
}  // namespace ui

namespace svc {

// SELECTFONT: the font dialog on font `number` of `Fonts` (Arial 5 x 14 when there is none);
// the font chosen is found in the table (same face, colour, bold, italic, width and height) or
// added under the number after the last. `label`, when given, shows it ("Arial, 10 Negrita").
// Answers the font's number (`number` when the dialog is cancelled or the table does not open).
int SelectFont(int number = 1, ui::TWindow* label = nullptr);

// The number of the font in the `Fonts` table of the selected area with the same face,
// colour, bold, italic, width and height; else a record appended for it, numbered one after
// the last (1 in an empty table). 0 when the record cannot be added.
int FindOrAddFont(const FontDesc& font, COLORREF colour);

// The description a label shows of a font: face, ", ", size in points, " Negrita", " Cursiva".
std::string FontDescription(const std::string& face, int height, bool bold, bool italic);

// A font object of a LOGFONT.
xb::Ref<ui::TFont> FontOf(const LOGFONTA& font);
// The LOGFONT of a window's font (the system's dialog font when it has none).
LOGFONTA LogFontOfWindow(ui::TWindow& window);

// SELFON: the font dialog on the window's (a browse's) font; the font chosen becomes its font,
// its text colour too when one was chosen; the window is repainted and takes the focus.
void SelFon(ui::TWindow& window);

// Registers SELECTFONT and SELFON.
void RegisterFontChoiceFunctions();

}  // namespace svc
