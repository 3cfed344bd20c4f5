// ReportDevice: what the report generator's banded engine draws on. Rows and columns are
// device units: pixels on a printer or a preview page, rows and characters on the text file.
// Fonts are the report's font numbers (from 1); each device makes its own fonts from them.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace reports {

class ReportDevice {
 public:
  virtual ~ReportDevice() = default;

  // The device could be made (a printer context, an open file).
  virtual bool Ready() const = 0;
  // A character-cell device: rules are rows of "-".
  virtual bool IsText() const = 0;
  // Pages drawn for the preview (not printed).
  virtual bool IsScreen() const { return false; }
  // HTML pages, where a header text is aligned in its length.
  virtual bool IsHtml() const { return false; }

  virtual void StartPage() = 0;
  virtual void EndPage() = 0;
  // Ends the job; a preview device shows its pages.
  virtual void End() = 0;

  // A text at (row, col) in a font; with a width, aligned within it by pad (1 left, 2 right,
  // 3 centred); without one, from col.
  virtual void Say(int row, int col, std::string_view text, int font, int width, int pad) = 0;
  // The same in a colour of its own (0x00BBGGRR) instead of the font's.
  virtual void SayColour(int row, int col, std::string_view text, int font, int width, int pad,
                         std::uint32_t /*colour*/) {
    Say(row, col, text, font, width, pad);
  }
  virtual void Line(int /*top*/, int /*left*/, int /*bottom*/, int /*right*/) {}
  // A rule with the report's pen `pen` (from 1; 0 or a pen it does not have: the horizontal
  // rules' pen).
  virtual void PenLine(int top, int left, int bottom, int right, int /*pen*/) { Line(top, left, bottom, right); }
  // A rectangle filled with an RGB colour (0x00BBGGRR), under the texts drawn after it: the
  // shading of a line. A text device has no colours.
  virtual void FillRect(int /*top*/, int /*left*/, int /*bottom*/, int /*right*/, std::uint32_t /*colour*/) {}
  // The designed header's drawings: a line or a box with a pen of `points` width, and a
  // picture file stretched over a rectangle. A text device has none of them.
  virtual void HeaderLine(int /*top*/, int /*left*/, int /*bottom*/, int /*right*/, int /*points*/) {}
  virtual void HeaderBox(int /*top*/, int /*left*/, int /*bottom*/, int /*right*/, int /*points*/) {}
  virtual void HeaderPicture(int /*top*/, int /*left*/, int /*bottom*/, int /*right*/, std::string_view /*file*/) {}

  virtual int TextWidth(std::string_view text, int font) = 0;
  virtual int TextHeight(int font) = 0;
  virtual int Width() = 0;
  virtual int Height() = 0;
  virtual int LogPixX() = 0;
  virtual int LogPixY() = 0;
  virtual int Orientation() = 0;  // 1 portrait, 2 landscape
  virtual void SetLandscape() {}
  // A text device grows to a report wider than its rows.
  virtual void Widen(int /*width*/) {}
  // The width of a horizontal rule's pen.
  virtual int PenWidth() { return 1; }
  // How many pens the report gave.
  virtual int PenCount() { return 0; }

  // The drawing objects as compiled text sees them: the report's fonts and pens made for the
  // device (TFont, TPen), the horizontal rules' pen and the solid brush of a colour (TBrush,
  // made on the first call); none on a text file.
  virtual std::vector<xb::Value> FontObjects() { return {}; }
  virtual std::vector<xb::Value> PenObjects() { return {}; }
  virtual xb::Value HorzPenObject() { return {}; }
  virtual xb::Value BrushObject(std::uint32_t /*colour*/) { return {}; }
  // The horizontal pen made again in a colour.
  virtual void SetHorzPenColour(std::uint32_t /*colour*/) {}
  // Frees the fonts, pens and brushes the report printed with; the objects above are gone.
  virtual void FreeDrawing() {}

  // Millimetres from the page's corner as a row and as a column.
  virtual int MmToRow(double mm) = 0;
  virtual int MmToCol(double mm) = 0;
};

}  // namespace reports
