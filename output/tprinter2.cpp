#include "output/tprinter2.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "output/listing_state.h"
#include "output/printer_table.h"
#include "runtime/function_table.h"
#include "services/table_helpers.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/printer_device.h"
#include "ui/core/msg_box.h"

namespace output {
namespace {

using xb::Value;

constexpr const char* kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr UINT kBaseline = TA_BASELINE | TA_LEFT;  // 24

xb::Ref<TPrinter2> g_printer;

bool Exists(const std::string& file) { return ::GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

struct FontGroup {
  std::string face;
  int height = 0, weight = 0, charset = 0, out = 0, clip = 0, quality = 0, pitch = 0;
  bool italic = false, underline = false, strike = false;
};

std::string Trim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace

TPrinter2::TPrinter2() : xb::Object(Cls()) {}
TPrinter2::TPrinter2(const xb::Class& cls) : xb::Object(cls) {}
TPrinter2::~TPrinter2() {
  if (!ended_ && hDC != nullptr) End();
}

void TPrinter2::New(bool dialog, int printer) {
  nPrinter = printer;
  EnsureGesPrn();
  PrinterNamesRow row;
  if (!LInfoImpre(row, printer)) return;
  cImpresora = row.name;
  cPuerto = row.port;
  cDriver = row.driver;
  if (!dialog) {
    hDC = DcImpresora(cImpresora, cPuerto, cDriver);
    aPages = PageRange{};
    if (hDC == nullptr) {
      ui::MsgStop(Value::String(printer == 1 ? "No se pudo crear la impresora principal"
                                             : "No se pudo crear la impresora secundaria"),
                  " Error de impresora");
      return;
    }
  } else {
    HDC dc = nullptr;
    if (!DcDlgImpresora(cImpresora, cPuerto, cDriver, dc, aPages, ui::GetWndApp())) return;
    hDC = dc;
  }
  if (hDC == nullptr) return;
  const POINT offset = ui::PrnOffset(hDC);
  nXOffSet = offset.x;
  nYOffset = offset.y;

  std::array<FontGroup, 3> groups{};
  double feed = 0;
  int foot = 0;
  {
    svc::SelectedAreaScope keep;
    if (svc::OpenTable(GesPrnTable(), "_QzGesPrn", false)) {
      svc::OpenedArea area(true);
      svc::SelectOrder(1);
      if (svc::Seek(Value::String(std::to_string(printer)))) {
        for (int k = 0; k < 3; ++k) {
          const std::string n = std::to_string(k + 1);
          FontGroup& g = groups[static_cast<std::size_t>(k)];
          g.face = Trim(svc::FieldText("CFACENAME" + n));
          g.height = static_cast<int>(svc::FieldNumber("NHEIGHT" + n));
          g.weight = static_cast<int>(svc::FieldNumber("NWEIGHT" + n));
          g.italic = svc::FieldLogical("LITALIC" + n);
          g.underline = svc::FieldLogical("LUNDERLIN" + n);
          g.strike = svc::FieldLogical("LSTRIKEOU" + n);
          g.charset = static_cast<int>(svc::FieldNumber("NCHARSET" + n));
          g.out = static_cast<int>(svc::FieldNumber("NOUTPRECI" + n));
          g.clip = static_cast<int>(svc::FieldNumber("NCLIPPREC" + n));
          g.quality = static_cast<int>(svc::FieldNumber("NQUALITY" + n));
          g.pitch = static_cast<int>(svc::FieldNumber("NPITCHFAM" + n));
        }
        feed = svc::FieldNumber("NSALTOLMM");
        foot = static_cast<int>(svc::FieldNumber("NLINEASPIE"));
      }
    }
  }
  for (int i = 0; i < 6; ++i) {
    const FontGroup& g = groups[static_cast<std::size_t>(i % 3)];
    LOGFONTA lf = {};
    lf.lfHeight = -TwPix(2, std::abs(g.height), hDC);
    lf.lfWeight = i < 3 ? g.weight : FW_BOLD;
    lf.lfItalic = g.italic;
    lf.lfUnderline = g.underline;
    lf.lfStrikeOut = g.strike;
    lf.lfCharSet = static_cast<BYTE>(g.charset);
    lf.lfOutPrecision = static_cast<BYTE>(g.out);
    lf.lfClipPrecision = static_cast<BYTE>(g.clip);
    lf.lfQuality = static_cast<BYTE>(g.quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(g.pitch);
    lstrcpynA(lf.lfFaceName, g.face.c_str(), LF_FACESIZE);
    FontSlot& slot = acFonts[static_cast<std::size_t>(i)];
    slot.handle = ::CreateFontIndirectA(&lf);
    if (slot.handle == nullptr) {
      if (i < 3) ui::MsgAlert(Value::String("Error al crear los tipos de impresora"), " Atención");
      else ui::MsgStop(Value::String("Error al crear los tipos de impresora"), "Atención");
      DeleteFonts();
      return;
    }
    slot.face = g.face;
    slot.points = std::abs(g.height) / 20;
    slot.bold = i >= 3;
    slot.italic = g.italic;
    HGDIOBJ previous = ::SelectObject(hDC, slot.handle);
    ::GetTextMetricsA(hDC, &slot.metrics);
    SIZE size{};
    ::GetTextExtentPoint32A(hDC, kAlphabet, 52, &size);
    slot.average = size.cx / 52;
    ::SelectObject(hDC, previous);
  }
  hFont0 = ::SelectObject(hDC, acFonts[0].handle);
  nTipoFont = 1;
  lBold = false;
  nSaltoLinea = nSavSaltoLinea = feed;
  nLineasPie = foot;
  DatosPagina();
  nCursorPos = 0;
  nLineasFootI = 0;
  nClrText = 0;
  nAlign = 24;
  nClrBack = 16777215;
  ::SetTextAlign(hDC, kBaseline);
  if (nDestinoListado() == 0) nDestinoListado(kMainPrinter);
}

void TPrinter2::DeleteFonts() {
  for (FontSlot& slot : acFonts) {
    if (slot.handle != nullptr) ::DeleteObject(slot.handle);
    slot = FontSlot{};
  }
}

int TPrinter2::EmpiezaDoc(const std::string& document) {
  if (hDC == nullptr) return -1;
  return Impre2Cd(hDC, document.empty() ? "Listado QZ" : document);
}

int TPrinter2::EmpiezaPagina() {
  if (hDC == nullptr) return -1;
  if (hFont0 != nullptr) ::SelectObject(hDC, hFont0);
  const int result = Impre2Cp(hDC);
  ActivarFuente(nTipoFont >= 4 ? nTipoFont : (nTipoFont == 0 ? 0 : nTipoFont));
  return result;
}

void TPrinter2::End() {
  ended_ = true;
  if (hDC != nullptr) {
    if (hFont0 != nullptr) ::SelectObject(hDC, hFont0);
    ::DeleteDC(hDC);
    hDC = nullptr;
  }
  DeleteFonts();
  ResetDm();
  if (g_printer.get() == this) g_printer = nullptr;
}

// ---- page metrics and fonts -----------------------------------------------------------------------

void TPrinter2::DatosPagina() {
  if (hDC == nullptr || acFonts[0].handle == nullptr) return;
  const TEXTMETRICA& m = acFonts[0].metrics;
  nAltoLinea = nSaltoLinea > 0 ? static_cast<int>(std::lround(nSaltoLinea * 10 * nLogPixelY() / 254.0))
                               : static_cast<int>(m.tmHeight + m.tmExternalLeading);
  nExtLeading = m.tmExternalLeading;
  nAltoChar = m.tmHeight;
  nLineasPagina = nAltoLinea > 0 ? (nHeight() - m.tmAscent - m.tmDescent) / nAltoLinea : 0;
  if (nLineasPie > 0) nLineasPagina -= nLineasPie;
  nAnchoChar = acFonts[0].average;
  nMaxAnchoChar = m.tmMaxCharWidth;
  nColumnas = nAnchoChar > 0 ? nWidth() / nAnchoChar - 1 : 0;
}

bool TPrinter2::lSetLinPie(int lines) {
  nLineasPagina += nLineasPie - lines;
  nLineasPie = lines;
  return true;
}

void TPrinter2::SetLinFootI(int lines) {
  nLineasPagina += nLineasFootI - lines;
  nLineasFootI = lines;
}

void TPrinter2::SelectFont(int slot) {
  if (hDC == nullptr) return;
  if (slot == 0) {
    if (hFont0 != nullptr) ::SelectObject(hDC, hFont0);
  } else if (acFonts[static_cast<std::size_t>(slot - 1)].handle != nullptr) {
    ::SelectObject(hDC, acFonts[static_cast<std::size_t>(slot - 1)].handle);
  }
  ::SetTextAlign(hDC, kBaseline);
}

TPrinter2& TPrinter2::ActivarFuente(int font) {
  if (font > 6 || font < 0) font = 1;
  if (font == 0) {
    nTipoFont = 0;
    SelectFont(0);
  } else if (font <= 3) {
    nTipoFont = font;
    SelectFont(lBold ? font + 3 : font);
  } else {
    nTipoFont = font;
    lBold = false;
    SelectFont(font);
  }
  return *this;
}

int TPrinter2::CurrentSize() const { return nTipoFont >= 1 && nTipoFont <= 3 ? nTipoFont : 0; }

void TPrinter2::Normal(bool bold) {
  if (nTipoFont >= 4) return;
  if (CurrentSize() == 1 && lBold == bold) return;
  lBold = bold;
  ActivarFuente(1);
}

void TPrinter2::Comprimida(bool bold) {
  if (nTipoFont >= 4) return;
  if (CurrentSize() == 2 && lBold == bold) return;
  lBold = bold;
  ActivarFuente(2);
}

void TPrinter2::Expandida(bool bold) {
  if (nTipoFont >= 4) return;
  if (CurrentSize() == 3 && lBold == bold) return;
  lBold = bold;
  ActivarFuente(3);
}

void TPrinter2::PesoNegrita() {
  if (lBold) return;
  const int size = CurrentSize();
  if (size == 0) {
    Normal(true);
    return;
  }
  lBold = true;
  ActivarFuente(size);
}

void TPrinter2::PesoNormal() {
  if (!lBold) return;
  const int size = CurrentSize();
  if (size == 0) {
    Normal(false);
    return;
  }
  lBold = false;
  ActivarFuente(size);
}

void TPrinter2::SetAlineacion(int align) {
  nAlign = align;
  if (hDC != nullptr) ::SetTextAlign(hDC, static_cast<UINT>(align));
}

int TPrinter2::Draw(int top, int left, int bottom, int right, const std::string& text, int flags) {
  if (hDC == nullptr) return 0;
  RECT r{left, top, right, bottom};
  return ::DrawTextA(hDC, text.c_str(), static_cast<int>(text.size()), &r, static_cast<UINT>(flags));
}

void TPrinter2::Align(int flags) {
  if (hDC != nullptr) ::SetTextAlign(hDC, static_cast<UINT>(flags));
}

void TPrinter2::SetPos(int row, int col) {
  if (hDC != nullptr) ::MoveToEx(hDC, col, row, nullptr);
}

void TPrinter2::Line(int row, int col) {
  if (hDC != nullptr) ::LineTo(hDC, col, row);
}

void TPrinter2::PutPrnColor(std::optional<COLORREF> text, std::optional<COLORREF> back) {
  if (hDC == nullptr) return;
  if (text) {
    hOldText = ::SetTextColor(hDC, *text);
    nClrText = *text;
  }
  if (back) {
    hOldBack = ::SetBkColor(hDC, *back);
    nClrBack = *back;
  }
}

void TPrinter2::DelPrnColor() {
  if (hDC == nullptr) return;
  if (hOldText) ::SetTextColor(hDC, *hOldText);
  if (hOldBack) ::SetBkColor(hDC, *hOldBack);
  hOldText.reset();
  hOldBack.reset();
}

// ---- positions ------------------------------------------------------------------------------------

int TPrinter2::AverageWidth() const {
  const int slot = nTipoFont == 0 ? 1 : (nTipoFont <= 3 && lBold ? nTipoFont + 3 : nTipoFont);
  return acFonts[static_cast<std::size_t>(slot - 1)].average;
}

int TPrinter2::Ascent() const { return acFonts[0].metrics.tmAscent; }

POINT TPrinter2::Position(double row, double col, bool pixels, bool mm) const {
  if (pixels) return POINT{static_cast<LONG>(col), static_cast<LONG>(row)};
  if (mm) return POINT{MmPix(1, col, hDC), MmPix(2, row, hDC)};
  return POINT{static_cast<LONG>(col * AverageWidth()), static_cast<LONG>(row * nAltoLinea + Ascent())};
}

POINT TPrinter2::InMM2Pix(double row, double col) const {
  const int vsize = nVertSize(), hsize = nHorzSize();
  if (vsize == 0 || hsize == 0) return POINT{0, 0};
  const int y = std::max(0, static_cast<int>(row * nHeight() / vsize) - nYOffset);
  const int x = std::max(0, static_cast<int>(col * nWidth() / hsize) - nXOffSet);
  return POINT{x, y};
}

bool TPrinter2::OutOfRange() const {
  return aPages.range && (nPaginaL() < aPages.from || nPaginaL() > aPages.to);
}

// ---- drawing ----------------------------------------------------------------------------------------

void TPrinter2::Say(double row, double col, const std::string& text, bool pixels, bool mm) {
  if (hDC == nullptr) return;
  const POINT p = Position(row, col, pixels, mm);
  const int destination = nDestinoListado();
  if (IsHtmlDestination(destination)) {
    QZTextOut(p.y, p.x, text, nAlign != 24, static_cast<int>(row), static_cast<int>(col));
    return;
  }
  ::TextOutA(hDC, p.x, p.y, text.data(), static_cast<int>(text.size()));
}

void TPrinter2::Say2(double row_mm, double col_mm, const std::string& text) {
  const POINT p = InMM2Pix(row_mm, col_mm);
  Say(p.y, p.x, text, true, false);
}

void TPrinter2::SayPrinter(int row, int col, const xb::Value& value, const SayOptions& o) {
  if (value.IsNil() || hDC == nullptr || OutOfRange()) return;
  const std::string text = ListingText(value, o.picture);
  const int size = CurrentSize(), type = nTipoFont;
  const bool bold = lBold;
  bool changed = true;
  if (o.compressed) Comprimida(o.bold);
  else if (o.expanded) Expandida(o.bold);
  else if (o.bold) PesoNegrita();
  else changed = false;
  double at = col;
  SetAlineacion(24);
  if (o.right) {
    SetAlineacion(26);
    at += 1;
  } else if (o.centre) {
    SetAlineacion(30);
    at += 1;
  }
  PutPrnColor(o.text, o.back);
  Say(row, at, text, o.pixels, o.mm);
  DelPrnColor();
  if (changed) {
    if (type >= 4) {
      ActivarFuente(type);
    } else {
      lBold = bold;
      ActivarFuente(size == 0 ? 1 : size);
    }
  }
  SetAlineacion(24);
}

// The two ends of a line or a box in pixels: lines and columns of text reach through the last
// column, at the middle of the line's height.
void TPrinter2::Ends(double row1, double col1, double row2, double col2, bool pixels, bool mm, bool offset,
                     POINT& a, POINT& b) const {
  if (!pixels && !mm) {
    a = Position(row1, col1, false, false);
    b = Position(row2, col2 + 1, false, false);
    a.y -= nAltoLinea / 2;
    b.y -= nAltoLinea / 2;
  } else {
    a = Position(row1, col1, pixels, mm);
    b = Position(row2, col2, pixels, mm);
    if (mm && offset) {
      a.y -= nYOffset;
      b.y -= nYOffset;
      a.x -= nXOffSet;
      b.x -= nXOffSet;
    }
  }
}

void TPrinter2::Linea(double row1, double col1, double row2, double col2, COLORREF colour, int width, int style,
                      bool pixels, bool mm, bool offset) {
  if (hDC == nullptr || OutOfRange()) return;
  POINT a, b;
  Ends(row1, col1, row2, col2, pixels, mm, offset, a, b);
  if (IsHtmlDestination(nDestinoListado())) {
    QZLine(a.y, a.x, b.y, b.x, colour, width, style);
    return;
  }
  HPEN pen = nullptr;
  if (style != 0 || width != 0 || colour != 0) {
    pen = ::CreatePen(style, width, colour);
    ::SelectObject(hDC, pen);
  }
  ::MoveToEx(hDC, a.x, a.y, nullptr);
  ::LineTo(hDC, b.x, b.y);
  ::SelectObject(hDC, ::GetStockObject(BLACK_PEN));
  if (pen != nullptr) ::DeleteObject(pen);
}

void TPrinter2::Box(double row1, double col1, double row2, double col2, int style, int width, COLORREF colour,
                    bool pixels, bool mm, bool offset) {
  if (hDC == nullptr || OutOfRange()) return;
  POINT a, b;
  Ends(row1, col1, row2, col2, pixels, mm, offset, a, b);
  if (IsHtmlDestination(nDestinoListado())) {
    QZRectangle(a.y, a.x, b.y, b.x, colour, width, style);
    return;
  }
  HPEN pen = ::CreatePen(style, width, colour);
  HGDIOBJ previous = ::SelectObject(hDC, pen);
  // A frame only: what is printed inside stays.
  HGDIOBJ brush = ::SelectObject(hDC, ::GetStockObject(NULL_BRUSH));
  ::Rectangle(hDC, a.x, a.y, b.x, b.y);
  ::SelectObject(hDC, brush);
  ::SelectObject(hDC, previous);
  ::DeleteObject(pen);
}

void TPrinter2::SayBitMap(double row, double col, const xb::Value& bitmap, double width, double height, bool mm,
                          bool pixels, DWORD raster) {
  if (hDC == nullptr || OutOfRange()) return;
  if (pixels) mm = false;
  POINT p = Position(row, col, pixels, mm);
  if (!pixels && !mm) p.y -= static_cast<int>(nAltoLinea * 0.85);
  int w = static_cast<int>(width), h = static_cast<int>(height);
  if (!pixels) {
    w = MmPix(1, width, hDC);
    h = MmPix(2, height, hDC);
  }
  if (IsHtmlDestination(nDestinoListado())) {
    QZDibDraw(p.y, p.x, bitmap, w, h);
    return;
  }
  HGLOBAL dib = nullptr;
  HPALETTE palette = nullptr;
  const std::string name = bitmap.IsString() ? std::string(bitmap.AsString()) : std::string();
  if (bitmap.IsString() && Exists(name)) {
    dib = ui::DibRead(name);
    if (dib != nullptr) palette = ui::DibPalette(dib);
  } else if (bitmap.IsNumber() || bitmap.IsString()) {
    const ui::BitmapAndPalette loaded = ui::PalBmpLoad(bitmap.IsNumber() ? MAKEINTRESOURCEA(bitmap.AsInt()) : name.c_str());
    if (loaded.bitmap != nullptr) {
      dib = ui::DibFromBitmap(loaded.bitmap, loaded.palette);
      ::DeleteObject(loaded.bitmap);
    }
    palette = loaded.palette;
  }
  if (dib != nullptr) {
    ui::DibDraw(hDC, dib, palette, p.y, p.x, w, h, raster);
    ::GlobalFree(dib);
  }
  if (palette != nullptr) ::DeleteObject(palette);
}

void TPrinter2::SayBitmap2(double top, double left, const xb::Value& bitmap, double width, double height) {
  const POINT corner = InMM2Pix(top, left);
  // The size is a length: no margin comes off it.
  const int vsize = nVertSize(), hsize = nHorzSize();
  const int h = vsize == 0 ? 0 : static_cast<int>(height * nHeight() / vsize);
  const int w = hsize == 0 ? 0 : static_cast<int>(width * nWidth() / hsize);
  SayBitMap(corner.y, corner.x, bitmap, w, h, false, true);
}

void TPrinter2::QZTextOut(int, int, const std::string&, bool, int, int) {}
void TPrinter2::QZLine(int, int, int, int, COLORREF, int, int) {}
void TPrinter2::QZRectangle(int, int, int, int, COLORREF, int, int) {}
void TPrinter2::QZDibDraw(int, int, const xb::Value&, int, int) {}

// ---- paper ------------------------------------------------------------------------------------------

bool TPrinter2::NewContext(const char* failure) {
  if (hDC != nullptr) {
    if (hFont0 != nullptr) ::SelectObject(hDC, hFont0);
    ::DeleteDC(hDC);
  }
  hDC = DcImpresora(cImpresora, cPuerto, cDriver, HeldDevMode() != nullptr);
  if (hDC == nullptr) {
    ui::MsgAlert(Value::String(failure), "Atención");
    End();
    return false;
  }
  const POINT offset = ui::PrnOffset(hDC);
  nXOffSet = offset.x;
  nYOffset = offset.y;
  hFont0 = ::GetCurrentObject(hDC, OBJ_FONT);
  DatosPagina();
  lBold = false;
  ActivarFuente(1);
  return true;
}

void TPrinter2::CambiarPapel(int paper, int length, int width) {
  if (paper == -1 && length == 0 && width == 0) return;
  if (hDC == nullptr || !GetDm(cDriver, cImpresora, cPuerto)) return;
  const int current = GetDmField(8);
  if (paper == DMPAPER_USER && width == 0) {
    const std::vector<int> papers = GetPrnCaps(cImpresora, cPuerto, cDriver, DC_PAPERS);
    const std::vector<int> sizes = GetPrnCaps(cImpresora, cPuerto, cDriver, DC_PAPERSIZE);
    const auto at = std::find(papers.begin(), papers.end(), current);
    const std::size_t i = static_cast<std::size_t>(at - papers.begin());
    if (at != papers.end() && 2 * i < sizes.size()) width = sizes[2 * i] / 10;
  }
  int fields = GetDmField(6);
  if (paper >= 0) {
    fields |= DM_PAPERSIZE;
    SetDmField(8, paper);
  }
  if (length > 0 && width > 0) {
    fields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
    SetDmField(9, 10 * length);
    SetDmField(10, 10 * width);
  }
  SetDmField(6, fields);
  NewContext("Error en cambio de papel");
}

void TPrinter2::SetOrientation(int orientation, int copies) {
  if (hDC == nullptr || !GetDm(cDriver, cImpresora, cPuerto)) return;
  SetDmField(6, GetDmField(6) | DM_ORIENTATION | DM_COPIES);
  SetDmField(7, orientation);
  SetDmField(12, copies);
  NewContext("Error en cambio de orientación de papel.");
}

void TPrinter2::ResetearPapel() {
  if (hDC == nullptr) return;
  ResetDm();
  NewContext("Error en reset de papel");
}

// ---- the current printer ----------------------------------------------------------------------------

xb::Ref<TPrinter2> Impresora() { return g_printer; }
void Impresora(xb::Ref<TPrinter2> printer) { g_printer = std::move(printer); }

bool Print2New(bool dialog, int printer) {
  if (g_printer && g_printer->hDC != nullptr) {
    ::DeleteDC(g_printer->hDC);
    g_printer->hDC = nullptr;
  }
  auto created = xb::MakeRef<TPrinter2>();
  g_printer = created;
  created->New(dialog, printer);
  return true;
}

namespace {
bool g_page_open = false;
}

int Print2Cd(const std::string& document) {
  g_page_open = false;
  return g_printer ? g_printer->EmpiezaDoc(document) : -1;
}

int Print2Cp() {
  if (!g_printer) return -1;
  const PageRange& range = g_printer->aPages;
  const int next = nPaginaL() + 1;
  if (range.range && (next < range.from || next > range.to)) return 0;
  const int result = g_printer->EmpiezaPagina();
  g_page_open = result > 0;
  return result;
}

int Print2Fp() {
  if (!g_printer || g_printer->hDC == nullptr) return -1;
  if (!g_page_open) return 1;
  g_page_open = false;
  return Impre2Fp(g_printer->hDC);
}

int Print2Fd() {
  if (!g_printer || g_printer->hDC == nullptr) return -1;
  if (g_page_open) Print2Fp();
  return Impre2Fd(g_printer->hDC);
}

int Print2Ad() {
  if (!g_printer || g_printer->hDC == nullptr) return -1;
  const PageRange& range = g_printer->aPages;
  if (range.range && nPaginaL() > range.to) {
    // Past the range everything asked for is printed: the document ends as it is.
    Print2Fd();
    return 0;
  }
  g_page_open = false;
  return Impre2Ad(g_printer->hDC);
}

}  // namespace output
