// Value and type helpers of the report generator: empty values of a column type, loose
// comparisons of a stored value with a typed one, hours kept as minutes, Spanish number
// texts made readable, font heights in points.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "runtime/value.h"

namespace reports {

// TI_UVALTIPO: " " for "C", 0 for "N", .F. for "L", the empty date for "D" or "F", NIL else.
xb::Value uValTipo(std::string_view type);
// TI_COMPARE: text against anything as trimmed upper-case text (a number made text by Str),
// a number against anything read as a number, anything else by plain equality.
bool Compare(const xb::Value& a, const xb::Value& b);
// TI_CHORAS: "   2 h, 30'" for 150: the whole hours (the sign of a negative value before
// them) in 4 places, the minutes of the absolute value in 2; "" for an empty value.
std::string cHoras(const xb::Value& minutes);
// TI_NMINTOHORA: Str(Int(n / 60), 2) [+ ":"] + Str(Int(n % 60), 2).
std::string nMinToHora(double minutes, bool colon);
// TI_CHORATOMIN: the first two digits as hours and the last two as minutes, in minutes.
double cHoraToMin(std::string_view hhmm = "0000");
// _US: "1.234,5" -> "1234.5": without "." and blanks, "," made ".".
std::string Us(std::string_view number);
// TI_NSIZE: a font height in pixels of a screen of `pixels_per_inch` as points: a fraction
// of exactly a quarter is dropped, any other gets a quarter more; never negative.
double nSize(double height, int pixels_per_inch);

// The screen's logical pixels per inch TI_NSIZE uses: 96 until the windowed part says.
void SetScreenPixelsPerInch(std::function<int()> source);
int ScreenPixelsPerInch();

// Registers TI_UVALTIPO, TI_NVALTON, TI_LVALTOL, TI_COMPARE, TI_CHORAS, TI_NMINTOHORA,
// TI_CHORATOMIN, _US and TI_NSIZE.
void RegisterValueHelpers();

}  // namespace reports
