// The user's look: his colour scheme (fields, informative texts, the desktop, every browse),
// the fonts of the four kinds of listing line and his working font, kept one record a user in
// `ColorW` of the start folder, loaded at log-in into accessors that windows, dialogs, browses
// and listings read by name (NCLRDESKTOP, NLINESTYLE, NCLRPANE, ...).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/object.h"
#include "runtime/value.h"
#include "services/table_helpers.h"

namespace ui {
class TFont;
}

namespace svc {

// The working font's description (OUSERFONT's {face, width, height, bold, italic}).
struct FontDesc {
  std::string face;
  double width = 0;
  int height = 0;
  bool bold = false;
  bool italic = false;
};

// One `ColorW` record's values (all but the user code). Colours are Windows RGB numbers.
struct ColorScheme {
  std::uint32_t desktop = 0, enable_text = 0, enable_back = 0, disable_text = 0, disable_back = 0, say = 0;
  int font_titulo = 1, font_linea = 1, font_stotal = 1, font_total = 1;  // numbers in `Fonts`
  FontDesc font;
  int line_style = 5;
  bool colour_browses = false;
  std::uint32_t grid = 6842472, header_text = 0, header_back = 13292503, text = 0, pane = 16777215;
  std::uint32_t odd_text = 0, odd_back = 16777215, even_text = 0, even_back = 15396845;
  bool alternate = true;
  int row_spacing = 5;
  std::uint32_t focus_back = 8750724, focus_text = 16777215;
  bool classic = false;
};

// The scheme a new record takes (system colours as Windows gives them now; the default
// dialog font; the current classic-look flag).
ColorScheme DefaultScheme();
// Reads / writes the selected area's `ColorW` record (the user code is not touched).
ColorScheme ReadScheme();
void WriteScheme(const ColorScheme& scheme);

// `ColorW`'s structure and the report dictionary's `Fonts` table (in CPATHINFORME).
const std::vector<FieldDef>& ColorWFields();
std::string FontsTable();

// The accessors, by the name compiled text calls them. Each holds NIL until set, and then
// answers its default (see LookDefault) or NIL when it has none.
enum class Look {
  kDesktop, kEnable1, kEnable2, kDisable1, kDisable2, kSay,
  kFontTitulo, kFontLinea, kFontSTotal, kFontTotal,
  kClrTitulo, kClrLinea, kClrSTotal, kClrTotal,
  kLineStyle, kColourBrowses, kGrid, kHeaderText, kHeaderBack, kText, kPane,
  kOddText, kOddBack, kEvenText, kEvenBack, kAlternate, kRowSpacing, kFocusBack, kFocusText, kClassic,
};
xb::Value LookGet(Look slot);
void LookSet(Look slot, const xb::Value& value);

// Typed readers of the accessors the program uses most.
std::optional<std::uint32_t> nClrDesktop();  // NCLRDESKTOP
int nLineStyle();                            // NLINESTYLE
bool lClassic();                             // LCLASSIC
// LCOLORBRW: sets the coloured-browses flag; both answer LCLASSIC().
bool lColorBrw();
bool lColorBrw(bool on);
std::uint32_t nClrPane();                    // NCLRPANE

// Loads every accessor from the scheme; the listing fonts' colours come from `Fonts` (open
// under `fonts_alias` when given, else opened for the purpose; 0 when it is not there).
void ApplyScheme(const ColorScheme& scheme, std::string_view fonts_alias = {});
// The scheme the accessors hold now (what SAVECOLORS writes without its new flag).
ColorScheme CurrentScheme();

// OUSERFONT: the working font's description, and a new font object made from it.
FontDesc UserFontDesc();
void SetUserFontDesc(const FontDesc& desc);
xb::Ref<ui::TFont> oUserFont();

// CARGACOLORES: loads the scheme of cCodUser() from `ColorW`, writing the default record
// first when he has none. False when the table cannot be opened (the accessors are kept).
bool CargaColores();
// SAVECOLORS: with `is_new` appends the user's default record to the table open under
// `colorw_alias`; otherwise rewrites his record, under a lock, from the current scheme. Then
// loads the accessors from the record, unless `load` is false (the tables' creation writes
// every user's record and must not change the look of the one logged in).
bool SaveColors(std::string_view colorw_alias, bool is_new, std::string_view user_code = {},
                std::string_view fonts_alias = {}, bool load = true);
// DELCOLORES: deletes the user's record under a lock.
bool DelColores(std::string_view user_code, std::string_view colorw_alias = {});
// RESTAURAFONTS: the working font back to the default dialog font and the four listing
// fonts back to number 1, in the accessors and in the user's record.
void RestauraFonts();

// Everything back to unset (tests; the start of the program).
void ResetLook();

// Registers the accessors (NCLRDESKTOP ... LCLASSIC), OUSERFONT, CARGACOLORES, SAVECOLORS,
// DELCOLORES and RESTAURAFONTS.
void RegisterLookFunctions();

}  // namespace svc
