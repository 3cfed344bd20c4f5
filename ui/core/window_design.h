// The window class's design aids, for programmers (the program's own windows do not use
// them): a table describing a window's controls, source text that would re-create the
// window, and the window's properties saved as text and read back.
#pragma once

#include <string>

#include "runtime/object.h"

namespace ui {

class TWindow;

// Writes a table of the window's controls (CONTROL, CAPTION, ID, TOP, LEFT, WIDTH, HEIGHT,
// STYLE, CLRTEXT, CLRPANE); an existing file is overwritten only when the user says so.
bool GenDbf(TWindow& window, const std::string& file);
// The source text that would re-create the window; written to `file` when one is named.
std::string CGenPrg(TWindow& window, const std::string& file = {});

// SAVE, SAVETOTEXT, SAVEFILE, LOAD, LOADFILE, GENDBF and CGENPRG of TWindow.
void DefineWindowDesignAids(xb::Class& c);

}  // namespace ui
