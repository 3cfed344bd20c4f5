#include "reports/win/report_page_device.h"

#include <algorithm>
#include <cmath>

#include "output/html_export.h"
#include "output/qz_printer.h"
#include "reports/tdictqz.h"
#include "reports/win/direct_list_progress.h"
#include "runtime/lib/strings.h"
#include "runtime/function_table.h"
#include "runtime/rdd/workareas.h"
#include "ui/bridge/printer_device.h"

namespace reports {
namespace {

using xb::Value;

output::Pad PadOf(int pad) { return pad == 2 ? output::Pad::kRight : pad == 3 ? output::Pad::kCentre : output::Pad::kLeft; }

}  // namespace

PageReportDevice::PageReportDevice(xb::Ref<output::TPrinter> printer) : printer_(std::move(printer)) {}

PageReportDevice::~PageReportDevice() {
  RestoreCopies();
  for (auto& [n, font] : fonts_)
    if (font) font->End();
  for (auto& [n, pen] : pens_)
    if (pen) pen->End();
}

ui::TPen* PageReportDevice::Pen(int points) {
  points = std::max(1, points);
  auto it = pens_.find(points);
  if (it == pens_.end()) it = pens_.emplace(points, ui::TPen::New(PS_SOLID, points, 0, printer_->MeasureDC())).first;
  return it->second.get();
}

void PageReportDevice::HeaderLine(int top, int left, int bottom, int right, int points) {
  printer_->Line(top, left, bottom, right, Pen(points));
}

void PageReportDevice::HeaderBox(int top, int left, int bottom, int right, int points) {
  printer_->Box(top, left, bottom, right, Pen(points));
}

void PageReportDevice::HeaderPicture(int top, int left, int bottom, int right, std::string_view file) {
  if (file.empty() || right <= left || bottom <= top) return;
  printer_->SayBitmap(top, left, Value::String(file), right - left, bottom - top);
}

bool PageReportDevice::Ready() const { return printer_ && printer_->MeasureDC() != nullptr; }
bool PageReportDevice::IsScreen() const { return printer_ && printer_->IsPreview(); }
bool PageReportDevice::IsHtml() const { return dynamic_cast<output::TQZWebPr*>(printer_.get()) != nullptr; }
void PageReportDevice::StartPage() { printer_->StartPage(); }
void PageReportDevice::EndPage() { printer_->EndPage(); }

void PageReportDevice::End() {
  if (ended_ || !printer_) return;
  ended_ = true;
  if (printer_->IsPreview()) printer_->ShowPreview();
  else printer_->End();
  RestoreCopies();
}

void PageReportDevice::RestoreCopies() {
  if (!restore_) return;
  ui::PrnSetCopies(restore_->first);
  if (restore_->second != DMRES_DRAFT) ui::PrnDraftMode(false);
  restore_.reset();
}

void PageReportDevice::SetCopies(int copies, bool draft) {
  if (!printer_ || (copies <= 1 && !draft)) return;
  const std::optional<DEVMODEA> before = ui::PrnDevMode();
  if (!before) return;
  restore_ = std::make_pair(before->dmCopies, before->dmPrintQuality);
  if (copies > 1) printer_->SetCopies(copies);
  if (draft) printer_->DraftMode(true);
}

ui::TFont* PageReportDevice::Font(int number) {
  auto it = fonts_.find(number);
  if (it != fonts_.end()) return it->second.get();
  ui::TFont::Spec spec;
  spec.face = "Arial";
  spec.device = printer_->MeasureDC();
  double points = 10;
  COLORREF colour = 0;
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  if (const int n = areas.AreaOfAlias(TDictQZ::AliasOf("Fonts")); n > 0) {
    xb::rdd::WorkArea& a = *areas.Area(n);
    const int order = a.controlling_order();
    a.SetControllingOrder(0);
    for (a.GoTop(); !a.eof(); a.Skip(1)) {
      const Value number_value = a.GetField(a.FieldPos("NFONT"));
      if (a.Deleted() || !number_value.IsNumber() || number_value.AsDouble() != number) continue;
      spec.face = std::string(xb::AllTrim(a.GetField(a.FieldPos("CFACENAME")).AsString()));
      spec.bold = a.GetField(a.FieldPos("LBOLD")).IsLogical() && a.GetField(a.FieldPos("LBOLD")).AsLogical();
      spec.italic = a.GetField(a.FieldPos("LITALIC")).IsLogical() && a.GetField(a.FieldPos("LITALIC")).AsLogical();
      const Value height = a.GetField(a.FieldPos("NHEIGHT"));
      if (height.IsNumber() && height.AsDouble() != 0) points = std::fabs(height.AsDouble());
      const Value c = a.GetField(a.FieldPos("NCOLOR"));
      if (c.IsNumber()) colour = static_cast<COLORREF>(c.AsDouble());
      break;
    }
    a.SetControllingOrder(order);
  }
  // Heights are points, scaled once to the device's resolution by the font.
  spec.height = -static_cast<int>(std::lround(points));
  xb::Ref<ui::TFont> font = ui::TFont::New(spec);
  colours_[number] = colour;
  return (fonts_[number] = font).get();
}

COLORREF PageReportDevice::Colour(int number) {
  Font(number);
  return colours_[number];
}

void PageReportDevice::Say(int row, int col, std::string_view text, int font, int width, int pad) {
  printer_->Say(row, col, text, Font(font), width, Colour(font), output::kTransparent,
                width > 0 ? PadOf(pad) : output::Pad::kLeft);
}

void PageReportDevice::Line(int top, int left, int bottom, int right) { printer_->Line(top, left, bottom, right, nullptr); }
int PageReportDevice::TextWidth(std::string_view text, int font) { return printer_->GetTextWidth(text, Font(font)); }
int PageReportDevice::TextHeight(int font) { return printer_->GetTextHeight("B", Font(font)); }
int PageReportDevice::Width() { return printer_->nHorzRes(); }
int PageReportDevice::Height() { return printer_->nVertRes(); }
int PageReportDevice::LogPixX() { return printer_->nLogPixelX(); }
int PageReportDevice::LogPixY() { return printer_->nLogPixelY(); }
int PageReportDevice::Orientation() { return printer_->GetOrientation(); }
void PageReportDevice::SetLandscape() {
  printer_->SetLandscape();
  for (auto& [n, font] : fonts_)
    if (font) font->End();
  fonts_.clear();
}
int PageReportDevice::PenWidth() { return std::max(1, printer_->nLogPixelX() / 72); }
int PageReportDevice::MmToRow(double mm) { return static_cast<int>(mm / 25.4 * printer_->nLogPixelY()); }
int PageReportDevice::MmToCol(double mm) { return static_cast<int>(mm / 25.4 * printer_->nLogPixelX()); }

std::unique_ptr<ReportDevice> MakeReportDevice(const StDestino& destino, const std::string& document) {
  xb::Ref<output::TPrinter> printer;
  if (destino.nDestino == 3) {
    printer = output::TQZWebPr::New(document.empty() ? std::string("Título") : document);
  } else {
    output::TPrinter::NewParams params;
    params.document = document.empty() ? std::string("Listado QZ") : document;
    params.preview = destino.lPreview;
    params.modal = destino.lPreview;  // the run waits for its preview to close
    printer = output::QzPrinter::New(params);
  }
  if (!printer) return nullptr;
  auto device = std::make_unique<PageReportDevice>(printer);
  if (destino.nDestino == 1 && device->Ready()) device->SetCopies(destino.nCopias, destino.nModo == 2);
  return device;
}

double nLenMM(output::TPrinter& printer, std::string_view text, ui::TFont* font) {
  const int pixels = printer.nLogPixelX();
  return pixels > 0 ? printer.GetTextWidth(text, font) * 25.4 / pixels : 0;
}

double PrnText(output::TPrinter& printer, const std::string& text, double max_mm, double spacing, double row,
               double col, ui::TFont* font, const std::string& ajuste) {
  const std::vector<std::string> lines =
      max_mm > 0 ? WrapText([&](std::string_view line) { return static_cast<int>(nLenMM(printer, line, font) * 10); }, text,
                            static_cast<int>(max_mm * 10))
                 : std::vector<std::string>{text};
  const std::string pad(xb::AllTrim(ajuste));
  for (const std::string& line : lines) {
    const POINT at = printer.Cmtr2Pix(row / 10, col / 10);
    const int width = max_mm > 0 ? printer.Cmtr2Pix(0, (col + max_mm) / 10).x - at.x : 0;
    printer.Say(at.y, at.x, line, font, width, std::nullopt, output::kTransparent,
                width > 0 ? PadOf(pad == "D" ? 2 : pad == "C" ? 3 : 1) : output::Pad::kLeft);
    row += spacing;
  }
  return row;
}

void RegisterHeaderTextFunctions() {
  const auto printer_of = [](xb::Args& a) { return dynamic_cast<output::TPrinter*>(a.Obj(1).get()); };
  const auto font_of = [](xb::Args& a, int n) { return dynamic_cast<ui::TFont*>(a.Obj(n).get()); };
  xb::RegisterFunction("TI_NLENMM", [printer_of, font_of](xb::Args& a) {
    output::TPrinter* printer = printer_of(a);
    return Value::Number(printer != nullptr ? nLenMM(*printer, a.Str(2), font_of(a, 3)) : 0);
  });
  xb::RegisterFunction("TI_PRNTEXT", [printer_of, font_of](xb::Args& a) {
    output::TPrinter* printer = printer_of(a);
    if (printer == nullptr) return Value::Number(a.Arg(5).IsNumber() ? a.Arg(5).AsDouble() : 0);
    const auto number = [&a](int n) { return a.Arg(n).IsNumber() ? a.Arg(n).AsDouble() : 0.0; };
    return Value::Number(PrnText(*printer, std::string(a.Str(2)), number(3), number(4), number(5), number(6),
                                 font_of(a, 7), std::string(a.Str(8))));
  });
}

void InstallReportOutputs() {
  ReportRunHook hook = CurrentReportRunHook();
  hook.device = MakeReportDevice;
  hook.list_progress = PlayWithListProgress;
  SetReportRunHook(hook);
}

}  // namespace reports
