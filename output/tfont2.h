// TFont2: the font object of the listing printers and the listing window. It builds a font
// from the printer table, from a font handle, from a description, from the font chooser or
// from explicit values, reads its real metrics back, and can force a number of characters an
// inch (a face naming its pitch is renamed; otherwise the point size moves one point at a
// time; ERRORFONTS tells when the target was not met).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "runtime/array.h"
#include "runtime/object.h"

namespace output {

class TFont2 : public xb::Object {
 public:
  TFont2();
  ~TFont2() override;
  static const xb::Class& Cls();

  struct Source {
    xb::Array description{};   // a 14-item description, height in twips
    HFONT handle = nullptr;    // a font handle, height in pixels
    bool choose = false;       // the font chooser
    bool screen = false;
    std::string face;
    int width = 0, height = 0, weight = 0;
    bool italic = false, underline = false, strike_out = false;
    int out_precision = 0, pitch_and_family = 0, charset = 0, escapement = 0, orientation = 0;
    int clip_precision = 0, quality = 0;
    double cpi = 0;
    int point_size = 0;
  };
  // Redefine: false when the chooser was cancelled.
  bool Redefine(const Source& source, HDC dc);
  // New from font group `font` (1..3) of the printer's record of the table.
  bool NewFromTable(int font, int printer, HDC dc, double cpi = 0);
  // New: with a font number, that group of the printer's record; else the chooser when asked,
  // else a font handle's, else the values of `source`, its height in points. False when
  // nothing was made (a cancelled chooser, a missing record).
  bool New(int font, int printer, const Source& source, HDC dc);
  // The face with its pitch number (the digits from position `pos`, from 1; the first ones
  // when 0) as `cpi`: "Courier 10cpi" with 17 is "Courier 17cpi".
  std::string FontName(double cpi, int pos = 0) const;

  void Activate(HDC dc);
  void DeActivate(HDC dc);
  void SetWeight(int weight, HDC dc);
  void Release();
  void End() { Release(); }
  // The characters an inch the font gives on the device.
  int Cpi(HDC dc) const;
  // Point sizes one at a time towards `target` characters an inch; false when not met.
  bool FontAncho(double target, HDC dc);

  HFONT hFont = nullptr;
  HGDIOBJ hFontOld = nullptr;
  std::string cFaceName;
  bool lItalic = false, lUnderline = false, lStrikeOut = false;
  int nHeight = 0, nWidth = 0, nEscapement = 0, nOrientation = 0, nWeight = 0, nCharSet = 0;
  int nOutPrecision = 0, nClipPrecision = 0, nQuality = 0, nPitchAndFamily = 0, nPointSize = 0;
  TEXTMETRICA aTextMet{};
  int nCount = 0;

 private:
  void Create(LOGFONTA font, HDC dc);
  bool ForceCpi(double cpi, HDC dc);
};

// ERRORFONTS: true once after a characters-an-inch request was not met.
bool ErrorFonts();

void RegisterTFont2();

}  // namespace output
