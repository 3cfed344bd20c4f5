// The two devices of the HTML export: TQZWebLS in place of the listing printer and TQZWebPr
// in place of the framework printer. They measure on a real printer's context and record
// every item in their builder's work table instead of drawing it.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "output/html_export.h"
#include "output/html_listing.h"
#include "output/listing_state.h"
#include "runtime/rdd/workareas.h"
#include "services/table_helpers.h"
#include "ui/bridge/bitmaps.h"
#include "ui/core/tfont.h"
#include "ui/core/tpen.h"

namespace output {
namespace {

using xb::Value;

bool Exists(const std::string& file) {
  const DWORD a = ::GetFileAttributesA(file.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The picture as a file of the export: a file given is copied beside the pages, a resource
// bitmap written there as a .BMP. Its name there; empty when there is no picture.
std::string ImageFile(TQZWeb& web, const Value& bitmap) {
  if (bitmap.IsString() && Exists(std::string(bitmap.AsString()))) return web.AddImage(std::string(bitmap.AsString()));
  if (!bitmap.IsString() && !bitmap.IsNumber()) return {};
  const std::string resource = bitmap.IsNumber() ? std::to_string(bitmap.AsInt()) : std::string(bitmap.AsString());
  const ui::BitmapAndPalette loaded =
      ui::PalBmpLoad(bitmap.IsNumber() ? MAKEINTRESOURCEA(bitmap.AsInt()) : resource.c_str());
  if (loaded.bitmap == nullptr) return {};
  HGLOBAL dib = ui::DibFromBitmap(loaded.bitmap, loaded.palette);
  ::DeleteObject(loaded.bitmap);
  if (loaded.palette != nullptr) ::DeleteObject(loaded.palette);
  if (dib == nullptr) return {};
  const std::string name = html::SafeName("IMG_" + resource + ".bmp");
  const std::string path = web.DocumentDir(web.lDocumentBased ? web.nDocument : 0) + name;
  const bool written = ui::DibWrite(path, dib);
  ::GlobalFree(dib);
  return written ? web.AddImage(path, name) : std::string();
}

struct FontFacts {
  std::string face;
  int points = 10;
  bool bold = false, italic = false;
};

FontFacts FactsOf(HFONT font, int pixels_per_inch) {
  FontFacts f;
  LOGFONTA lf = {};
  if (font == nullptr || ::GetObjectA(font, sizeof lf, &lf) == 0) return f;
  f.face = lf.lfFaceName;
  if (pixels_per_inch > 0 && lf.lfHeight != 0)
    f.points = std::max(1, static_cast<int>(std::lround(std::abs(lf.lfHeight) * 72.0 / pixels_per_inch)));
  f.bold = lf.lfWeight >= FW_SEMIBOLD;
  f.italic = lf.lfItalic != 0;
  if (f.face.empty()) f.face = "Arial";
  return f;
}

void Order(double& a, double& b) {
  if (a > b) std::swap(a, b);
}

// A line (kind 3) or a box (kind 4) in the device's millimetres; a box's corners, and those of
// a straight line, in order.
template <class Device>
TQZWeb::Item Stroke(Device& device, int kind, int r0, int c0, int r1, int c1, COLORREF colour, int width,
                    int style) {
  TQZWeb::Item item;
  item.kind = kind;
  item.row = r0;
  item.col = c0;
  item.top = device.MmY(r0);
  item.left = device.MmX(c0);
  item.bottom = device.MmY(r1);
  item.right = device.MmX(c1);
  if (kind == 4 || r0 == r1 || c0 == c1) {
    Order(item.top, item.bottom);
    Order(item.left, item.right);
  }
  item.colour = colour;
  const int pixels_per_inch = device.nLogPixelY();
  item.grosor = pixels_per_inch > 0 ? static_cast<int>(std::lround(width / (pixels_per_inch / 72.0))) : width;
  item.estilo = style;
  return item;
}

// A picture recorded at its place and size; nothing when there is none.
template <class Device>
void RecordPicture(Device& device, const Value& bitmap, int row, int col, int width, int height) {
  const std::string name = ImageFile(*device.oQZWeb, bitmap);
  if (name.empty()) return;
  TQZWeb::Item item;
  item.kind = 2;
  item.data = name;
  item.row = row;
  item.col = col;
  item.top = device.MmY(row);
  item.left = device.MmX(col);
  item.height = device.MmY(height);
  item.width = device.MmX(width);
  device.oQZWeb->Record(item);
}

}  // namespace

// ---- TQZWebLS --------------------------------------------------------------------------------------

TQZWebLS::TQZWebLS() : TPrinter2(Cls()) {}

TQZWebLS::~TQZWebLS() {
  if (oQZWeb && oQZWeb->oDevice == this) oQZWeb->oDevice = nullptr;
}

void TQZWebLS::Traverse(xb::GcVisitor& visitor) {
  TPrinter2::Traverse(visitor);
  if (oQZWeb) visitor.Visit(oQZWeb.get());
}

void TQZWebLS::ClearValues() {
  TPrinter2::ClearValues();
  if (oQZWeb && oQZWeb->oDevice == this) oQZWeb->oDevice = nullptr;
  oQZWeb = nullptr;
}

void TQZWebLS::New(const std::string& title, bool landscape, int printer, bool document_based) {
  oQZWeb = xb::MakeRef<TQZWeb>();
  oQZWeb->New(1, title, landscape, document_based);
  if (!oQZWeb->Ok()) return;
  TPrinter2::New(false, printer);
  if (!Ok()) {
    oQZWeb->End();
    return;
  }
  oQZWeb->hMeasure = hDC;
  oQZWeb->oDevice = this;
  static const char* const kClasses[] = {"FNT_NORMAL",   "FNT_COMPRI",   "FNT_EXPAND",
                                         "FNT_NORMAL_B", "FNT_COMPRI_B", "FNT_EXPAND_B"};
  for (std::size_t i = 0; i < acFonts.size(); ++i) {
    const FontSlot& s = acFonts[i];
    const FontFacts f = FactsOf(s.handle, nLogPixelY());
    oQZWeb->AddFont({static_cast<int>(i) + 1, s.handle, s.face.empty() ? f.face : s.face, s.points > 0 ? s.points : f.points,
                     s.bold || f.bold, s.italic || f.italic, 0, kClasses[i]});
  }
}

bool TQZWebLS::WebOk() const { return oQZWeb && oQZWeb->Ok() && Ok(); }

void TQZWebLS::WebEnd() {
  if (oQZWeb) {
    oQZWeb->End();
    oQZWeb->hMeasure = nullptr;
    oQZWeb->oDevice = nullptr;
  }
  if (Impresora().get() == this) Impresora(nullptr);
  TPrinter2::End();
  for (HFONT font : fonts_made_) ::DeleteObject(font);
  fonts_made_.clear();
}

void TQZWebLS::SelectFont(const std::string& alias, int key) {
  if (!oQZWeb) return;
  const int n = oQZWeb->SelectFont(alias, key);
  const TQZWeb::WebFont f = oQZWeb->GetFont(n);
  LOGFONTA lf = {};
  lf.lfHeight = -static_cast<LONG>(std::lround(f.points * nLogPixelY() / 72.0));
  lf.lfWeight = f.bold ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = f.italic;
  lstrcpynA(lf.lfFaceName, f.face.c_str(), LF_FACESIZE);
  HFONT font = ::CreateFontIndirectA(&lf);
  TQZWeb::WebFont kept = f;
  kept.handle = font;
  oQZWeb->AddFont(kept);
  if (hDC != nullptr && font != nullptr) {
    ::SelectObject(hDC, font);
    ::SetTextColor(hDC, f.colour);
  }
  // A font made here that no number keeps any more, and not selected, is freed.
  if (font != nullptr) fonts_made_.push_back(font);
  std::erase_if(fonts_made_, [this](HFONT made) {
    const bool kept = oQZWeb->FontByHandle(made) != 0 || (hDC != nullptr && ::GetCurrentObject(hDC, OBJ_FONT) == made);
    if (!kept) ::DeleteObject(made);
    return !kept;
  });
}

double TQZWebLS::MmY(double pixels) const { return nHeight() > 0 ? pixels * nVertSize() / nHeight() : 0; }
double TQZWebLS::MmX(double pixels) const { return nWidth() > 0 ? pixels * nHorzSize() / nWidth() : 0; }

// The font selected on the context: one of the listing's six, one chosen by SelectFont, or
// another a caller selected (a document header's), added once.
int TQZWebLS::CurrentFont() {
  HFONT current = static_cast<HFONT>(::GetCurrentObject(hDC, OBJ_FONT));
  for (std::size_t i = 0; i < acFonts.size(); ++i)
    if (acFonts[i].handle == current) return static_cast<int>(i) + 1;
  const FontFacts f = FactsOf(current, nLogPixelY());
  for (const TQZWeb::WebFont& w : oQZWeb->acFonts)
    if (w.handle == current && w.face == f.face && w.points == f.points && w.bold == f.bold && w.italic == f.italic)
      return w.number;
  return oQZWeb->AddFont({0, current, f.face, f.points, f.bold, f.italic, 0, {}});
}

void TQZWebLS::QZTextOut(int row, int col, const std::string& text, bool, int row_rc, int col_rc) {
  if (!WebOk()) return;
  TQZWeb::Item item;
  item.kind = 1;
  item.data = text;
  item.font = CurrentFont();
  SIZE size = {};
  ::GetTextExtentPoint32A(hDC, text.data(), static_cast<int>(text.size()), &size);
  TEXTMETRICA tm = {};
  ::GetTextMetricsA(hDC, &tm);
  double left = col, top = row;
  if (nAlign == 26 || nAlign == 2) {
    left -= size.cx;
    item.adjust = "R";
  } else if (nAlign == 30 || nAlign == 6) {
    left -= size.cx / 2.0;
    item.adjust = "C";
  }
  // The baseline alignment places the text's foot at the row; a page places its top.
  if ((nAlign & TA_BASELINE) == TA_BASELINE) top -= tm.tmAscent;
  item.row = row_rc;
  item.col = col_rc;
  item.top = MmY(top);
  item.left = MmX(left);
  item.colour = ::GetTextColor(hDC);
  oQZWeb->Record(item);
}

void TQZWebLS::QZLine(int r0, int c0, int r1, int c1, COLORREF colour, int width, int style) {
  if (!WebOk()) return;
  oQZWeb->Record(Stroke(*this, 3, r0, c0, r1, c1, colour, width, style));
}

void TQZWebLS::QZRectangle(int r0, int c0, int r1, int c1, COLORREF colour, int width, int style) {
  if (!WebOk()) return;
  oQZWeb->Record(Stroke(*this, 4, r0, c0, r1, c1, colour, width, style));
}

void TQZWebLS::QZDibDraw(int row, int col, const Value& bitmap, int width, int height) {
  if (WebOk()) RecordPicture(*this, bitmap, row, col, width, height);
}

xb::Ref<TPrinter2> NewHtmlListingDevice(const std::string& title, bool landscape, int printer, int destination) {
  auto device = xb::MakeRef<TQZWebLS>();
  device->New(title, landscape, printer, false);
  if (device->oQZWeb) device->oQZWeb->nHTMLView = destination;
  return device;
}

void EndHtmlListingDevice(const xb::Ref<TPrinter2>& device) {
  if (auto* web = dynamic_cast<TQZWebLS*>(device.get())) web->WebEnd();
  else if (device) device->End();
}

void ActivateHtmlListingDevice(const xb::Ref<TPrinter2>& device) {
  if (auto* web = dynamic_cast<TQZWebLS*>(device.get()); web != nullptr && web->WebOk()) web->oQZWeb->Activate();
}

// ---- TQZWebPr --------------------------------------------------------------------------------------

TQZWebPr::TQZWebPr() : TPrinter(Cls()) {}

void TQZWebPr::Traverse(xb::GcVisitor& visitor) {
  TPrinter::Traverse(visitor);
  if (oQZWeb) visitor.Visit(oQZWeb.get());
}

void TQZWebPr::ClearValues() {
  TPrinter::ClearValues();
  oQZWeb = nullptr;
}

xb::Ref<TQZWebPr> TQZWebPr::New(const std::string& title, bool document_based) {
  auto device = xb::MakeRef<TQZWebPr>();
  device->Init(title, document_based);
  return device;
}

void TQZWebPr::Init(const std::string& title, bool document_based) {
  if (oQZWeb) return;
  svc::SelectedAreaScope keep;
  oQZWeb = xb::MakeRef<TQZWeb>();
  oQZWeb->New(2, title, false, document_based);
  if (!oQZWeb->Ok()) return;
  NewParams p;
  p.document = oQZWeb->cTitle;
  TPrinter::Init(p);
  if (hDC == nullptr) {
    oQZWeb->End();
    return;
  }
  hDCOut = hDC;
  oQZWeb->hMeasure = hDC;
}

bool TQZWebPr::WebOk() const { return oQZWeb && oQZWeb->Ok() && hDC != nullptr; }

double TQZWebPr::MmY(double pixels) { return nVertRes() > 0 ? pixels * nVertSize() / nVertRes() : 0; }
double TQZWebPr::MmX(double pixels) { return nHorzRes() > 0 ? pixels * nHorzSize() / nHorzRes() : 0; }

void TQZWebPr::ShowPreview() {
  if (WebOk()) oQZWeb->Activate();
  End();
}

void TQZWebPr::StartPage() {
  if (!WebOk()) return;
  ++nPage;
  ++oQZWeb->nPage;
}

void TQZWebPr::End() {
  if (web_ended_) return;
  web_ended_ = true;
  if (oQZWeb) {
    oQZWeb->End();
    oQZWeb->hMeasure = nullptr;
    oQZWeb->oDevice = nullptr;
  }
  hDCOut = nullptr;
  TPrinter::End();
}

void TQZWebPr::Say(int row, int col, std::string_view text, ui::TFont* font, int width,
                   std::optional<COLORREF> colour, int, Pad pad) {
  if (!WebOk()) return;
  const int text_width = GetTextWidth(text, font);
  if (font == nullptr) font = oFont.get();
  HFONT handle = font != nullptr ? font->hFont : static_cast<HFONT>(::GetCurrentObject(hDC, OBJ_FONT));
  const FontFacts f = FactsOf(handle, nLogPixelY());
  TQZWeb::Item item;
  item.kind = 1;
  item.data = std::string(text);
  item.colour = colour.value_or(::GetTextColor(hDC));
  item.font = oQZWeb->Select2Font(handle, f.face, f.points, f.bold, f.italic, item.colour);
  double left = col;
  item.adjust = pad == Pad::kRight ? "R" : (pad == Pad::kCentre ? "C" : "L");
  if (width != 0) {
    if (pad == Pad::kRight) left = col + width - text_width;
    else if (pad == Pad::kCentre) left = col + (width - text_width) / 2.0;
  } else if (pad == Pad::kRight) {
    left = col - text_width;
  } else if (pad == Pad::kCentre) {
    left = col - text_width / 2.0;
  }
  item.row = row;
  item.col = col;
  item.top = MmY(row);
  item.left = MmX(std::max(0.0, left));
  oQZWeb->Record(item);
}

void TQZWebPr::SayBitmap(int row, int col, const Value& bitmap, int width, int height, DWORD) {
  if (WebOk()) RecordPicture(*this, bitmap, row, col, width, height);
}

void TQZWebPr::Line(int top, int left, int bottom, int right, ui::TPen* pen) {
  if (!WebOk()) return;
  const int pen_width = pen != nullptr ? pen->nWidth : 1;
  const COLORREF colour = pen != nullptr ? static_cast<COLORREF>(pen->nColor) : 0;
  oQZWeb->Record(Stroke(*this, 3, top, left, bottom, right, colour, pen_width, pen != nullptr ? pen->nStyle : 0));
}

void TQZWebPr::Box(int top, int left, int bottom, int right, ui::TPen* pen) {
  if (!WebOk()) return;
  const int pen_width = pen != nullptr ? pen->nWidth : 1;
  const COLORREF colour = pen != nullptr ? static_cast<COLORREF>(pen->nColor) : 0;
  oQZWeb->Record(Stroke(*this, 4, top, left, bottom, right, colour, pen_width, pen != nullptr ? pen->nStyle : 0));
}

}  // namespace output
