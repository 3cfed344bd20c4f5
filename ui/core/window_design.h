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

// The window's image printed on the program's page printer (_PRINTBEGIN ... _PRINTEND, by
// name) at (row, col), `scale` times its size in pixels; on `printer`'s current page when one
// is given, else on a page of a job of its own (the print dialog chooses with `user`).
void PrintWindowImage(TWindow& window, const xb::Value& printer, int row, int col, int scale, bool user = false);

// SAVE, SAVETOTEXT, SAVEFILE, LOAD, LOADFILE, GENDBF, CGENPRG, HARDCOPY and PRINT of TWindow.
void DefineWindowDesignAids(xb::Class& c);

}  // namespace ui
