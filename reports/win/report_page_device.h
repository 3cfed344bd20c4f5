// The report generator's printer, preview and HTML outputs: the banded engine and the direct
// listings draw on the program's page printer (_TPrinter), on its preview pages (shown by
// QZ_RPREVIEW at the end) or on the HTML device (TQZWebPr), with the dictionary's fonts.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "output/tprinter.h"
#include "reports/report_device.h"
#include "reports/report_engine_objects.h"
#include "reports/report_run.h"
#include "ui/core/tbrush.h"
#include "ui/core/tfont.h"
#include "ui/core/tpen.h"

namespace reports {

class PageReportDevice : public ReportDevice {
 public:
  explicit PageReportDevice(xb::Ref<output::TPrinter> printer);
  ~PageReportDevice() override;

  bool Ready() const override;
  bool IsText() const override { return false; }
  bool IsScreen() const override;
  bool IsHtml() const override;
  void StartPage() override;
  void EndPage() override;
  void End() override;
  void Say(int row, int col, std::string_view text, int font, int width, int pad) override;
  void SayColour(int row, int col, std::string_view text, int font, int width, int pad, std::uint32_t colour) override;
  void Line(int top, int left, int bottom, int right) override;
  void PenLine(int top, int left, int bottom, int right, int pen) override;
  void FillRect(int top, int left, int bottom, int right, std::uint32_t colour) override;
  void HeaderLine(int top, int left, int bottom, int right, int points) override;
  void HeaderBox(int top, int left, int bottom, int right, int points) override;
  void HeaderPicture(int top, int left, int bottom, int right, std::string_view file) override;
  int TextWidth(std::string_view text, int font) override;
  int TextHeight(int font) override;
  int Width() override;
  int Height() override;
  int LogPixX() override;
  int LogPixY() override;
  int Orientation() override;
  void SetLandscape() override;
  int PenWidth() override;
  int PenCount() override { return static_cast<int>(report_pens_.size()); }
  std::vector<xb::Value> FontObjects() override;
  std::vector<xb::Value> PenObjects() override;
  xb::Value HorzPenObject() override;
  xb::Value BrushObject(std::uint32_t colour) override;
  void SetHorzPenColour(std::uint32_t colour) override;
  void FreeDrawing() override;
  int MmToRow(double mm) override;
  int MmToCol(double mm) override;

  output::TPrinter& printer() const { return *printer_; }
  // A report's own fonts and pens (TFont and TPen objects), made again for the device: font
  // and pen n are the nth given instead of the dictionary's (a number it did not give: font 1);
  // the horizontal pen takes the first pen's style and colour.
  void UseFonts(const std::vector<xb::Value>& fonts);
  void UsePens(const std::vector<xb::Value>& pens);
  // Copies and draft mode of the output choice for this job; the printer's own come back
  // when the job ends.
  void SetCopies(int copies, bool draft);

 private:
  // A font of the dictionary's Fonts table by number, made once for the device (a number
  // not there: Arial of 10 points, black).
  ui::TFont* Font(int number);
  COLORREF Colour(int number);
  // A black pen of `points` width (at least one), made once for the device.
  ui::TPen* Pen(int points);
  // The horizontal rules' pen: solid black, one point wide, unless the report gave pens.
  ui::TPen* HorzPen();
  void RestoreCopies();

  xb::Ref<output::TPrinter> printer_;
  std::map<int, xb::Ref<ui::TFont>> fonts_;
  std::map<int, COLORREF> colours_;
  std::map<int, xb::Ref<ui::TPen>> pens_;
  std::vector<xb::Ref<ui::TPen>> report_pens_;
  xb::Ref<ui::TPen> horz_pen_;
  std::map<std::uint32_t, xb::Ref<ui::TBrush>> brushes_;
  int own_fonts_ = 0;  // fonts the report gave
  bool ended_ = false;
  // The printer's copies and quality before SetCopies changed them.
  std::optional<std::pair<short, short>> restore_;
};

// The device of an output choice: 1 the printer (its preview when chosen, modal), with the
// copies and draft mode chosen; 3 HTML.
std::unique_ptr<ReportDevice> MakeReportDevice(const StDestino& destino, const std::string& document);

// The device a report made by compiled text asks for: the printer, its preview, HTML, or
// the printer object given.
EngineDevice MakeEngineDevice(const EngineDeviceRequest& request);

// Installs the windowed outputs in the report run and in the reports of compiled text.
void InstallReportOutputs();

// TI_NLENMM(oPrn, cText, oFont): the text's width in millimetres on the printer, in the font
// (the printer's own without one).
double nLenMM(output::TPrinter& printer, std::string_view text, ui::TFont* font);
// TI_PRNTEXT(oPrn, cText, nMaxMM, nSpacing, nRow, nCol, oFont, cAjuste): a header text at
// (nRow, nCol) millimetres; wider than nMaxMM (when given) it goes on lines that each fit,
// nSpacing millimetres apart, aligned in that length by cAjuste ("I", "D" or "C"). Returns the
// row in millimetres below its last line.
double PrnText(output::TPrinter& printer, const std::string& text, double max_mm, double spacing, double row,
               double col, ui::TFont* font, const std::string& ajuste);
// Registers TI_PRNTEXT and TI_NLENMM.
void RegisterHeaderTextFunctions();

}  // namespace reports
