// The display masks of report columns: a numeric picture built from a width and decimals,
// a picture cut to a width, and the mask a column prints with.
#pragma once

#include <string>
#include <string_view>

namespace reports {

// TI_CPICTURE: "@E" + ("Z " or " ") + nines with "," every three digits over the integer
// digits (width less the decimals and their point) less a quarter of them, then "." and
// the decimals' nines. (10, 2) gives "@E 999,999.99".
std::string cPicture(int width, int decimals, bool blank_zero = false);

// TI_CCORTAMASCARA: the "@E " or "@EZ " prefix kept and the last `length` characters of the
// rest, one fewer when that piece would start with ",".
std::string cCortaMascara(std::string_view picture, int length);

struct ColumnMask {
  std::string mask{};    // MASCARA: a picture, or an expression in parentheses giving one
  bool picture = false;  // PICTURE: build a numeric picture from width and decimals
  std::string currency{};  // DIVISA: "P" pesetas, "E" euros
  bool euros = false;    // the report prints in euros
  int width = 0;
  int decimals = 0;
  std::string type{};    // TIPO
};
// TI_MASCARA: the mask a column prints with. Only numeric columns get one of their own; in
// euros a pesetas column's mask becomes its euro form.
std::string Mascara(const ColumnMask& column);

// Registers TI_CPICTURE, TI_CCORTAMASCARA and TI_MASCARA.
void RegisterReportMasks();

}  // namespace reports
