// _TPrinter: the program's own page device, the framework printer with the program's face:
// Spanish texts, a preview (QZ_RPREVIEW) over the program's own strings and pictures, and a
// current job of its own for _PRINTBEGIN, _PAGEBEGIN, _PAGEEND and _PRINTEND.
#pragma once

#include "output/tprinter.h"
#include "runtime/object.h"

namespace output {

class QzPrinter : public TPrinter {
 public:
  QzPrinter();
  static const xb::Class& Cls();
  static xb::Ref<QzPrinter> New(const NewParams& params);

  const char* NoPrinterText() const override;
  // The preview of the pages drawn (QZ_RPREVIEW), or End when there is nothing to show.
  void ShowPreview() override;
  void End() override;
  // Character cells from 1; rows and columns below 1 count as 1.
  void QzCharSay(int row, int col, std::string_view text);
  // The font given becomes the job's font; the width is measured on the printer with it, the
  // height is the font's own.
  int GetTextWidth(std::string_view text, ui::TFont* font) override;
  int GetTextHeight(std::string_view text, ui::TFont* font) override;
  // A point in pixels as {x, y} in millimetres and in inches, by the printer's pixels per
  // inch (Pix2Mmtr, Pix2Inch).
  std::pair<double, double> PixToMm(int x, int y);
  std::pair<double, double> PixToInch(int x, int y);
  // The names of the printer the printing layer holds now (PRNGETNAME, PRNGETDRIVE,
  // PRNGETPORT).
  std::string GetModel() const override;
  std::string GetDriver() const override;
  std::string GetPort() const override;

 protected:
  // A change of the paper's settings takes a new context (Rebuild, lModified).
  void ApplySettings() override { Rebuild(); }
  HDC MappingDC() const override { return hDC; }
};

// The current job of _PRINTBEGIN ... _PRINTEND; null when none.
xb::Ref<QzPrinter> QzCurrentPrinter();
void SetQzCurrentPrinter(xb::Ref<QzPrinter> printer);
xb::Ref<QzPrinter> QzPrintBegin(const std::string& document, bool user, bool preview, const xb::Value& model,
                                bool modal);
void QzPrintEnd();

// QZ_RPREVIEW: the preview of a job's pages; `report` (optional) has its dialog hidden while a
// modal preview is open.
void QzRPreview(xb::Ref<TPrinter> printer, xb::ObjectRef report = nullptr);

// Registers _TPRINTER, _PRINTBEGIN, _PAGEBEGIN, _PAGEEND, _PRINTEND, _OPRINTER, PRINTSTACK and
// QZ_RPREVIEW.
void RegisterQzPrinter();

}  // namespace output
