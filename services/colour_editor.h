// The user's colour-scheme editor (COLORES, dialog 20010) and its browse-look dialog (20011):
// a sample screen in the scheme being edited, a button for each colour and font, the
// defaults, and saving to the user's `ColorW` record. What each colour and font dialog
// answers is put into the working scheme by the functions below, which the dialogs call.
#pragma once

#include <windows.h>

#include "services/user_look.h"
#include "ui/core/twindow.h"

namespace ui {
class TWBrowse;
}

namespace svc {

// The colours of a scheme the editors' buttons choose, by the button's identifier: 400 to 405
// in the scheme editor (desktop, enabled text and background, disabled text and background,
// informative texts), 304 to 313, 316 and 317 in the look dialog (grid, header text and
// background, browse text and background, alternate rows' colours, focused row's text and
// background). nullptr for another identifier.
std::uint32_t* SchemeColour(ColorScheme& scheme, int button);
// A colour the Windows dialog answered, into the working scheme.
void SetSchemeColour(ColorScheme& scheme, int button, COLORREF colour);

// 510: the default colours (system colours as Windows gives them now) and listing fonts
// number 1; the working font stays.
void DefaultColours(ColorScheme& scheme);
// 511: the default dialog font, not bold, not italic.
void DefaultWorkingFont(ColorScheme& scheme);
// 512: line style 5 and the default grid colour.
void DefaultBrowseLook(ColorScheme& scheme);
// 410: the font the Windows dialog answered becomes the working font.
void SetWorkingFont(ColorScheme& scheme, const LOGFONTA& font);
// 301: no grid lines (line style 0); unchecked, line style 5.
void SetNoLines(ColorScheme& scheme, bool no_lines);
// Whether a control of the look dialog is enabled for the scheme: the style choice and the
// grid colour not without lines, the alternate rows' colours only when rows alternate, no
// colour button with the classic look.
bool LookControlEnabled(const ColorScheme& scheme, int id);

// The scheme's look on a browse (its colours, grid, row spacing; the classic look).
void ShowLook(ui::TWBrowse& browse, const ColorScheme& scheme);

// 500: rewrites the user's record of the `ColorW` table open under `colorw_alias` under a
// lock, loads the accessors from it and repaints the main window's client area in the
// desktop colour. False when the record cannot be written.
bool SaveScheme(const ColorScheme& scheme, const std::string& colorw_alias, const std::string& fonts_alias,
                const std::string& user_code);

// The browse-look dialog (20011) over `scheme`: true when accepted (the scheme changed).
bool BrowseLook(ColorScheme& scheme, ui::WindowRef owner = {});

// COLORES: the editor of the current user's scheme. The option "Colores" must pass LCHKMENU
// and LFREEMENU; the tables are freed, the option unchecked and the scheme loaded again
// (CARGACOLORES) when it closes.
void Colores();

// Registers COLORES.
void RegisterColourEditorFunctions();

}  // namespace svc
