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
  FreeDrawing();
}

void PageReportDevice::FreeDrawing() {
  for (auto& [n, font] : fonts_)
    if (font) font->End();
  fonts_.clear();
  colours_.clear();
  own_fonts_ = 0;
  for (auto& [n, pen] : pens_)
    if (pen) pen->End();
  pens_.clear();
  for (auto& pen : report_pens_)
    if (pen) pen->End();
  report_pens_.clear();
  if (horz_pen_) horz_pen_->End();
  horz_pen_ = nullptr;
  for (auto& [colour, brush] : brushes_)
    if (brush) brush->End();
  brushes_.clear();
}

void PageReportDevice::UseFonts(const std::vector<Value>& fonts) {
  for (std::size_t i = 0; i < fonts.size(); ++i) {
    auto* given = fonts[i].IsObject() ? dynamic_cast<ui::TFont*>(fonts[i].AsObject().get()) : nullptr;
    if (given == nullptr) continue;
    ui::TFont::Spec spec = given->CurrentSpec();
    spec.device = printer_->MeasureDC();
    const int number = static_cast<int>(i) + 1;
    if (auto it = fonts_.find(number); it != fonts_.end() && it->second) it->second->End();
    fonts_[number] = ui::TFont::New(spec);
    colours_[number] = 0;
    own_fonts_ = std::max(own_fonts_, number);
  }
}

void PageReportDevice::UsePens(const std::vector<Value>& pens) {
  HDC dc = printer_->MeasureDC();
  for (const Value& v : pens) {
    auto* given = v.IsObject() ? dynamic_cast<ui::TPen*>(v.AsObject().get()) : nullptr;
    report_pens_.push_back(given == nullptr ? ui::TPen::New(PS_SOLID, 1, 0, dc)
                                            : ui::TPen::New(given->nStyle, given->nWidth, static_cast<COLORREF>(given->nColor), dc));
    if (report_pens_.size() == 1 && horz_pen_ == nullptr) {
      if (given != nullptr) horz_pen_ = ui::TPen::New(given->nStyle, given->nWidth, static_cast<COLORREF>(given->nColor), dc);
      else horz_pen_ = ui::TPen::New(PS_SOLID, 1, 0, dc);
    }
  }
}

std::vector<Value> PageReportDevice::FontObjects() {
  std::vector<Value> fonts;
  for (int n = 1; n <= own_fonts_; ++n) {
    auto it = fonts_.find(n);
    fonts.push_back(it != fonts_.end() && it->second ? Value(it->second) : Value());
  }
  return fonts;
}

std::vector<Value> PageReportDevice::PenObjects() {
  std::vector<Value> pens;
  for (const auto& pen : report_pens_) pens.push_back(pen ? Value(pen) : Value());
  return pens;
}

ui::TPen* PageReportDevice::HorzPen() {
  if (!horz_pen_) horz_pen_ = ui::TPen::New(PS_SOLID, 1, 0, printer_->MeasureDC());
  return horz_pen_.get();
}

Value PageReportDevice::HorzPenObject() { return horz_pen_ ? Value(horz_pen_) : Value(); }

void PageReportDevice::SetHorzPenColour(std::uint32_t colour) {
  if (horz_pen_) horz_pen_->End();
  horz_pen_ = ui::TPen::New(PS_SOLID, 1, static_cast<COLORREF>(colour), printer_->MeasureDC());
}

void PageReportDevice::PenLine(int top, int left, int bottom, int right, int pen) {
  ui::TPen* chosen = pen >= 1 && pen <= static_cast<int>(report_pens_.size())
                         ? report_pens_[static_cast<std::size_t>(pen - 1)].get()
                         : HorzPen();
  printer_->Line(top, left, bottom, right, chosen);
}

Value PageReportDevice::BrushObject(std::uint32_t colour) {
  auto it = brushes_.find(colour);
  if (it == brushes_.end()) it = brushes_.emplace(colour, ui::TBrush::New("", static_cast<COLORREF>(colour))).first;
  return Value(it->second);
}

void PageReportDevice::FillRect(int top, int left, int bottom, int right, std::uint32_t colour) {
  BrushObject(colour);
  printer_->FillRect(ui::Rect{top, left, bottom, right}, brushes_[colour]->hBrush);
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
  if (own_fonts_ > 0 && number != 1) return Font(1);
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

void PageReportDevice::SayColour(int row, int col, std::string_view text, int font, int width, int pad,
                                 std::uint32_t colour) {
  printer_->Say(row, col, text, Font(font), width, static_cast<COLORREF>(colour), output::kTransparent,
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
int PageReportDevice::PenWidth() { return std::max(1, HorzPen()->nWidth); }
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

EngineDevice MakeEngineDevice(const EngineDeviceRequest& r) {
  xb::Ref<output::TPrinter> printer;
  if (auto* given = r.device.IsObject() ? dynamic_cast<output::TPrinter*>(r.device.AsObject().get()) : nullptr) {
    printer = xb::Ref<output::TPrinter>(given);
  } else if (r.screen && r.html) {
    printer = output::TQZWebPr::New(r.document);
  } else if (r.printer || r.screen) {
    output::TPrinter::NewParams params;
    params.document = r.document;
    params.preview = r.screen;
    printer = output::QzPrinter::New(params);
  }
  if (!printer) return {};
  auto device = std::make_unique<PageReportDevice>(printer);
  // Without fonts, Arial of 10 points; without pens, a solid black one a point wide. Those
  // made here go once the device has its copies.
  std::vector<Value> fonts = r.fonts, pens = r.pens;
  xb::Ref<ui::TFont> made_font;
  xb::Ref<ui::TPen> made_pen;
  if (fonts.empty()) {
    ui::TFont::Spec spec;
    spec.face = "ARIAL";
    spec.height = -10;
    made_font = ui::TFont::New(spec);
    fonts.push_back(Value(made_font));
  }
  if (pens.empty()) {
    made_pen = ui::TPen::New(PS_SOLID, 1, 0);
    pens.push_back(Value(made_pen));
  }
  device->UseFonts(fonts);
  device->UsePens(pens);
  if (made_font) made_font->End();
  if (made_pen) made_pen->End();
  return {std::move(device), Value(printer)};
}

void InstallReportOutputs() {
  SetEngineDeviceMaker(MakeEngineDevice);
  ReportRunHook hook = CurrentReportRunHook();
  hook.device = MakeReportDevice;
  hook.list_progress = PlayWithListProgress;
  SetReportRunHook(hook);
}

}  // namespace reports
