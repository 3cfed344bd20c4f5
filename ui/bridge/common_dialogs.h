// The Windows common dialogs for fonts, colours and files, as the framework's classes and the
// services open them: CHOOSEFONTH over a font array, CHOOSECOLOR over an RGB colour, CGETFILE
// over a mask of description and pattern pairs; and the plain system boxes NMSGBOX and
// MSGABOUT, which show any value as text.
//
// A font array holds 14 values in LOGFONT order: height, width, escapement, orientation,
// weight, italic, underline, strike-out (logicals), character set, output precision, clip
// precision, quality, pitch and family, face name.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <optional>
#include <string>

#include "runtime/array.h"
#include "runtime/value.h"

namespace ui {

// The font array of a LOGFONT, and back (a missing or mistyped value reads as 0, false or "").
xb::Array FontArray(const LOGFONTA& font);
LOGFONTA LogFontOf(const xb::Array& font);

struct ChooseFontParams {
  std::optional<LOGFONTA> font{};      // the font the dialog starts on
  std::optional<COLORREF> colour{};    // the text colour, when the caller keeps one
  HDC printer = nullptr;               // the printer's fonts as well
  DWORD flags = 0;                     // non-zero: replaces the whole flag word
  bool effects = false;                // underline, strike-out and colour choices
};
struct ChosenFont {
  LOGFONTA font{};
  COLORREF colour = 0;
  bool confirmed = false;
};
// The font dialog owned by the active window. Cancelled, it answers the font it was given
// (zeros and an empty face when none) and the colour unchanged.
ChosenFont ChooseFontDialog(const ChooseFontParams& params);

// The colour dialog owned by the active window, its custom colours the greys from white down
// in steps of 0x101010; CC_ENABLEHOOK is added to the flags. The colour chosen, or `initial`
// when cancelled.
COLORREF ChooseColorDialog(COLORREF initial, DWORD flags = CC_RGBINIT | CC_FULLOPEN);

struct FileDialogParams {
  std::string mask;           // "Description|pattern|..."; without "|" the initial file name
  std::string title;          // "" : "Select the file"
  int filter_index = 0;       // 0: the first pair
  std::string initial_dir;
  bool save = false;
  bool long_names = false;
  DWORD flags = 0;            // non-zero: replaces the whole flag word
};
// The open (or save) dialog owned by the active window: the chosen path, "" when cancelled.
std::string FileDialog(const FileDialogParams& params);

// The text the plain boxes show for a value: "nil", integers in decimal, other numbers as
// "%f", dates by the date format, ".T." / ".F.", strings as they are, "Array", "Object",
// anything else "ValtoChar not suported type yet".
std::string ValueText(const xb::Value& value);

// Registers CHOOSEFONTH, CHOOSECOLOR, CGETFILE, NMSGBOX, MSGABOUT and FINDTEXT.
void RegisterCommonDialogs();

}  // namespace ui
