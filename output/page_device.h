// PageDevice: what a report draws on, page by page. The framework printer (TPrinter) prints
// on paper or draws metafile pages for its preview; the text device (TRFile) writes pages of
// character cells to a file. Rows and columns are device units: pixels on a printer, rows
// and characters on the text device.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "runtime/value.h"
#include "ui/bridge/rect.h"

namespace ui {
class TFont;
class TPen;
}  // namespace ui

namespace output {

// Say's alignment and background mode.
enum class Pad { kLeft = 0, kRight = 1, kCentre = 2 };
inline constexpr int kTransparent = TRANSPARENT;  // 1
inline constexpr int kOpaque = OPAQUE;            // 2

class PageDevice {
 public:
  virtual ~PageDevice() = default;

  // The text device writes characters: rules and grids are drawn with box characters.
  virtual bool IsText() const { return false; }
  // Where drawing goes (the printer's context or the page's metafile); null on the text device.
  virtual HDC OutputDC() const = 0;
  // The context fonts and pens are made for, and text is measured on.
  virtual HDC MeasureDC() const = 0;
  // The document's name.
  virtual std::string DocumentName() const = 0;
  // Pages go to metafiles for a preview.
  virtual bool IsPreview() const { return false; }

  virtual void StartPage() = 0;
  virtual void EndPage() = 0;
  // Ends the job; a preview device shows its pages first.
  virtual void End() = 0;
  virtual void ShowPreview() { End(); }

  // A text at (row, col): without width, aligned by `pad` at the column; with a width,
  // within col .. col + width. NIL colour: the current one.
  virtual void Say(int row, int col, std::string_view text, ui::TFont* font, int width,
                   std::optional<COLORREF> colour, int background, Pad pad) = 0;
  virtual void Line(int top, int left, int bottom, int right, ui::TPen* pen) = 0;
  virtual void Box(int top, int left, int bottom, int right, ui::TPen* pen) = 0;
  virtual void FillRect(const ui::Rect& rect, HBRUSH brush) = 0;
  // A picture from the resource module (a number or a name) or a .BMP file, with a raster
  // operation (0: the picture as it is).
  virtual void SayBitmap(int row, int col, const xb::Value& bitmap, int width, int height, DWORD raster = 0) = 0;

  virtual int GetTextWidth(std::string_view text, ui::TFont* font) = 0;
  virtual int GetTextHeight(std::string_view text, ui::TFont* font) = 0;
  // Centimetres and inches from the paper's corner to {row, col} in device units.
  virtual POINT Cmtr2Pix(double row, double col) = 0;  // x = col, y = row
  virtual POINT Inch2Pix(double row, double col) = 0;

  virtual int nVertRes() = 0;
  virtual int nHorzRes() = 0;
  virtual int nLogPixelX() = 0;
  virtual int nLogPixelY() = 0;
  virtual int GetOrientation() = 0;  // 1 portrait, 2 landscape
  virtual void SetLandscape() = 0;
};

}  // namespace output
