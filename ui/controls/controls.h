// The framework's small controls: the progress meter TMeter, the check box TCheckBox, the
// label TSay, the push button TButton and the bitmap button TBtnBmp (each a TControl,
// created with New on a window that exists or bound with ReDefine to an item of a dialog).
// InitControls registers their runtime classes and constructor functions (TMETER(),
// TCHECKBOX(), TSAY(), TBUTTON(), TBTNBMP()) and the button image store's functions, and those
// of the scroll bars, the edit field and the record browse (twbrowse.h), and the radio group
// (tradmenu.h); call it after InitWindowFramework.
#pragma once

namespace ui {

void InitControls();

}  // namespace ui
