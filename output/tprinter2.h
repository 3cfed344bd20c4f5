// TPrinter2: the line printer of the fixed listings, a job on the user's main or secondary
// printer of the printer table with its six fonts (normal, compressed, expanded, each plain
// and bold), text by listing line and character column, by millimetres or by pixels, lines,
// boxes and bitmaps, paper and orientation changes and the page range of the print dialog.
// The listing destination decides whether a drawing goes to the printer or to one of the
// virtual drawing methods, which the HTML listing device overrides.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "output/printer_helpers.h"
#include "runtime/object.h"

namespace output {

class TPrinter2 : public xb::Object {
 public:
  TPrinter2();
  explicit TPrinter2(const xb::Class& cls);
  ~TPrinter2() override;
  static const xb::Class& Cls();

  // Opens printer 1 (main) or 2 (secondary), through the print dialog when asked.
  void New(bool dialog, int printer);
  int EmpiezaDoc(const std::string& document = "Listado QZ");
  int EmpiezaPagina();
  void End();
  bool Ok() const { return hDC != nullptr; }

  int nHeight() const { return Caps(VERTRES); }
  int nWidth() const { return Caps(HORZRES); }
  int nVertSize() const { return Caps(VERTSIZE); }
  int nHorzSize() const { return Caps(HORZSIZE); }
  int nLogPixelX() const { return Caps(LOGPIXELSX); }
  int nLogPixelY() const { return Caps(LOGPIXELSY); }

  struct SayOptions {
    std::string picture;
    bool compressed = false, expanded = false, bold = false, right = false, centre = false;
    bool pixels = false, mm = false;
    std::optional<COLORREF> text, back;
  };
  void SayPrinter(int row, int col, const xb::Value& value, const SayOptions& options);
  void Say(double row, double col, const std::string& text, bool pixels = false, bool mm = false);
  void Say2(double row_mm, double col_mm, const std::string& text);
  void Linea(double row1, double col1, double row2, double col2, COLORREF colour = 0, int width = 1, int style = 0,
             bool pixels = false, bool mm = false, bool offset = false);
  void Box(double row1, double col1, double row2, double col2, int style = 0, int width = 2, COLORREF colour = 0,
           bool pixels = false, bool mm = false, bool offset = false);
  // A bitmap (resource or .bmp file) drawn with the raster operation given (0: a plain copy).
  void SayBitMap(double row, double col, const xb::Value& bitmap, double width, double height, bool mm = true,
                 bool pixels = false, DWORD raster = 0);
  void SayBitmap2(double top, double left, const xb::Value& bitmap, double width, double height);
  // Straight on the printer's context, in pixels: a text formatted in a rectangle (DrawText's
  // flags; its height, 0 without a context), the text alignment, the current position moved
  // to (x col, y row) and a line drawn from it to another.
  int Draw(int top, int left, int bottom, int right, const std::string& text, int flags);
  void Align(int flags);
  void SetPos(int row, int col);
  void Line(int row, int col);
  POINT InMM2Pix(double row, double col) const;  // {x col, y row}

  bool lSetLinPie(int lines);
  void SetLinFootI(int lines);
  void DatosPagina();
  TPrinter2& ActivarFuente(int font);
  void Comprimida(bool bold = false);
  void Normal(bool bold = false);
  void Expandida(bool bold = false);
  void PesoNegrita();
  void PesoNormal();
  void SetAlineacion(int align);
  void PutPrnColor(std::optional<COLORREF> text, std::optional<COLORREF> back);
  void DelPrnColor();
  // Paper: a paper number (-1 none), or a length and width in millimetres.
  void CambiarPapel(int paper = -1, int length = 0, int width = 0);
  void ResetearPapel();
  void SetOrientation(int orientation = 1, int copies = 1);
  // Whether the listing's current page lies outside the page range.
  bool OutOfRange() const;

  // The other destinations (HTML): the same drawing in the pixels computed.
  virtual void QZTextOut(int row, int col, const std::string& text, bool align, int row_rc, int col_rc);
  virtual void QZLine(int r0, int c0, int r1, int c1, COLORREF colour, int width, int style);
  virtual void QZRectangle(int r0, int c0, int r1, int c1, COLORREF colour, int width, int style);
  virtual void QZDibDraw(int row, int col, const xb::Value& bitmap, int width, int height);

  // Text metrics of a font (GETTM's order) and its average width.
  struct FontSlot {
    HFONT handle = nullptr;
    std::string face;
    int points = 0;
    bool bold = false, italic = false;
    TEXTMETRICA metrics{};
    int average = 0;
  };

  int nPrinter = 1;
  HDC hDC = nullptr;
  int nLineasPagina = 0, nLineasPie = 0, nLineasFootI = 0, nColumnas = 0;
  int nAltoLinea = 0, nAltoChar = 0, nExtLeading = 0, nAnchoChar = 0, nMaxAnchoChar = 0;
  int nTipoFont = 0;
  std::array<FontSlot, 6> acFonts{};
  HGDIOBJ hFont0 = nullptr;
  PageRange aPages;
  int nCursorPos = 0;
  double nSaltoLinea = 0, nSavSaltoLinea = 0;
  bool lBold = false;
  int nAlign = 24;
  COLORREF nClrText = 0, nClrBack = 16777215;
  std::string cImpresora, cDriver, cPuerto;
  std::optional<COLORREF> hOldText, hOldBack;
  int nXOffSet = 0, nYOffset = 0;

 private:
  int Caps(int index) const { return hDC != nullptr ? ::GetDeviceCaps(hDC, index) : 0; }
  bool MakeFonts();
  void DeleteFonts();
  void SelectFont(int slot);
  int CurrentSize() const;  // 1 normal, 2 compressed, 3 expanded, 0 none
  int AverageWidth() const;
  int Ascent() const;
  POINT Position(double row, double col, bool pixels, bool mm) const;
  void Ends(double row1, double col1, double row2, double col2, bool pixels, bool mm, bool offset, POINT& a,
            POINT& b) const;
  bool NewContext(const char* failure);
  bool ended_ = false;
};

// The current printer of the listings (PRINT2NEW ... End); null when none.
xb::Ref<TPrinter2> Impresora();
void Impresora(xb::Ref<TPrinter2> printer);
// PRINT2NEW: a new current printer; false when none results.
bool Print2New(bool dialog, int printer);
int Print2Cd(const std::string& document);
int Print2Cp();
int Print2Fp();
int Print2Fd();
int Print2Ad();

void RegisterTPrinter2();

}  // namespace output
