#include "output/tfont2.h"

#include <cctype>
#include <cmath>
#include <cstdio>

#include "output/printer_table.h"
#include "runtime/function_table.h"
#include "ui/bridge/common_dialogs.h"

namespace output {
namespace {

using xb::Args;
using xb::Value;

bool g_error = false;

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The face with its number (from `pos`, from 1; the first digits when 0) replaced by `cpi`
// ("Courier 10cpi" -> "Courier 17cpi"); a face without one gets it after a blank.
std::string RenamedFace(const std::string& face, double cpi, int pos = 0) {
  std::size_t start = pos > 0 ? static_cast<std::size_t>(pos - 1) : face.find_first_of("0123456789");
  char number[16];
  std::snprintf(number, sizeof number, cpi == std::floor(cpi) ? "%.0f" : "%.2f", cpi);
  if (start >= face.size() || !std::isdigit(static_cast<unsigned char>(face[start]))) return face + " " + number;
  std::size_t end = face.find_first_not_of("0123456789.", start);
  return face.substr(0, start) + number + (end == std::string::npos ? "" : face.substr(end));
}

}  // namespace

bool ErrorFonts() {
  const bool error = g_error;
  g_error = false;
  return error;
}

TFont2::TFont2() : xb::Object(Cls()) {}
TFont2::~TFont2() { Release(); }

void TFont2::Release() {
  if (hFont != nullptr) ::DeleteObject(hFont);
  hFont = nullptr;
}

void TFont2::Create(LOGFONTA lf, HDC dc) {
  Release();
  hFont = ::CreateFontIndirectA(&lf);
  if (hFont == nullptr || dc == nullptr) return;
  HGDIOBJ previous = ::SelectObject(dc, hFont);
  ::GetTextMetricsA(dc, &aTextMet);
  char face[LF_FACESIZE] = {};
  ::GetTextFaceA(dc, sizeof face, face);
  ::SelectObject(dc, previous);
  cFaceName = face;
  nHeight = -aTextMet.tmHeight;
  nWidth = aTextMet.tmAveCharWidth;
  nPitchAndFamily = aTextMet.tmPitchAndFamily;
  nWeight = aTextMet.tmWeight;
  lItalic = aTextMet.tmItalic != 0;
  lUnderline = aTextMet.tmUnderlined != 0;
  lStrikeOut = aTextMet.tmStruckOut != 0;
  nCharSet = aTextMet.tmCharSet;
  nEscapement = lf.lfEscapement;
  nOrientation = lf.lfOrientation;
  nOutPrecision = lf.lfOutPrecision;
  nClipPrecision = lf.lfClipPrecision;
  nQuality = lf.lfQuality;
  nPointSize = static_cast<int>(PixTw(2, aTextMet.tmHeight - aTextMet.tmInternalLeading, dc) / 20.0 + 0.5);
  hFontOld = nullptr;
}

int TFont2::Cpi(HDC dc) const {
  if (aTextMet.tmAveCharWidth <= 0 || dc == nullptr) return 0;
  const int twips = PixTw(1, aTextMet.tmAveCharWidth, dc);
  return twips > 0 ? 1440 / twips : 0;
}

bool TFont2::FontAncho(double target, HDC dc) {
  LOGFONTA lf = {};
  ::GetObjectA(hFont, sizeof lf, &lf);
  int points = std::max(1, nPointSize);
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  int unchanged = 0, direction = 0, last = Cpi(dc);
  while (Cpi(dc) != static_cast<int>(target)) {
    const int step = Cpi(dc) <= target ? -1 : 1;
    if ((direction != 0 && step != direction) || points + step < 1 || unchanged >= 5) {
      g_error = true;
      return false;
    }
    direction = step;
    points += step;
    lf.lfHeight = -static_cast<LONG>(points * dpi / 72.0 + 0.5);
    lf.lfWidth = 0;
    Create(lf, dc);
    unchanged = Cpi(dc) == last ? unchanged + 1 : 0;
    last = Cpi(dc);
  }
  return true;
}

bool TFont2::ForceCpi(double cpi, HDC dc) {
  if (cpi <= 0) return true;
  LOGFONTA lf = {};
  ::GetObjectA(hFont, sizeof lf, &lf);
  const std::string asked = lf.lfFaceName;
  if (Upper(asked).find("CPI") != std::string::npos || Upper(asked).find("PITCH") != std::string::npos) {
    if (Cpi(dc) == static_cast<int>(cpi)) return true;
    // The face names its pitch: the one of the target, as the device calls it.
    std::string wanted = RenamedFace(asked, cpi);
    lstrcpynA(lf.lfFaceName, wanted.c_str(), LF_FACESIZE);
    Create(lf, dc);
    if (Upper(cFaceName) != Upper(wanted) && cpi == 17) {
      wanted = RenamedFace(asked, 16.67);
      lstrcpynA(lf.lfFaceName, wanted.c_str(), LF_FACESIZE);
      Create(lf, dc);
    }
    if (Upper(cFaceName) != Upper(wanted)) {
      g_error = true;
      return false;
    }
    return true;
  }
  return FontAncho(cpi, dc);
}

bool TFont2::Redefine(const Source& s, HDC dc) {
  LOGFONTA lf = {};
  if (s.choose) {
    ui::ChooseFontParams p;
    if (s.description) p.font = ui::LogFontOf(s.description);
    if (!s.screen) p.printer = dc;
    const ui::ChosenFont chosen = ui::ChooseFontDialog(p);
    if (!chosen.confirmed) return false;
    lf = chosen.font;
  } else if (s.handle != nullptr) {
    ::GetObjectA(s.handle, sizeof lf, &lf);
  } else if (s.description) {
    lf = ui::LogFontOf(s.description);
    lf.lfHeight = -TwPix(2, std::abs(lf.lfHeight), dc);
  } else {
    lstrcpynA(lf.lfFaceName, s.face.c_str(), LF_FACESIZE);
    lf.lfHeight = s.point_size > 0 && !s.face.empty() ? -TwPix(2, s.point_size * 20, dc) : s.height;
    lf.lfWidth = s.width;
    lf.lfWeight = s.weight;
    lf.lfItalic = s.italic;
    lf.lfUnderline = s.underline;
    lf.lfStrikeOut = s.strike_out;
    lf.lfOutPrecision = static_cast<BYTE>(s.out_precision);
    lf.lfPitchAndFamily = static_cast<BYTE>(s.pitch_and_family);
    lf.lfCharSet = static_cast<BYTE>(s.charset);
    lf.lfEscapement = s.escapement;
    lf.lfOrientation = s.orientation;
    lf.lfClipPrecision = static_cast<BYTE>(s.clip_precision);
    lf.lfQuality = static_cast<BYTE>(s.quality);
  }
  Create(lf, dc);
  ForceCpi(s.cpi, dc);
  return hFont != nullptr;
}

bool TFont2::NewFromTable(int font, int printer, HDC dc, double cpi) {
  Source s;
  s.description = LeeFontDatos(font, printer);
  if (s.description.Get(13).IsNil()) return false;
  s.cpi = cpi;
  return Redefine(s, dc);
}

bool TFont2::New(int font, int printer, const Source& source, HDC dc) {
  if (font > 0) return NewFromTable(font, printer, dc, source.cpi);
  if (source.choose || source.handle != nullptr || source.description) return Redefine(source, dc);
  Source values = source;
  values.point_size = source.height;
  values.height = 0;
  return Redefine(values, dc);
}

std::string TFont2::FontName(double cpi, int pos) const { return RenamedFace(cFaceName, cpi, pos); }

void TFont2::Activate(HDC dc) {
  if (dc == nullptr || hFont == nullptr) return;
  hFontOld = ::SelectObject(dc, hFont);
  ::SetTextAlign(dc, TA_BASELINE | TA_LEFT);
}

void TFont2::DeActivate(HDC dc) {
  if (dc != nullptr && hFontOld != nullptr) ::SelectObject(dc, hFontOld);
  hFontOld = nullptr;
}

void TFont2::SetWeight(int weight, HDC dc) {
  if (weight == nWeight || hFont == nullptr) return;
  LOGFONTA lf = {};
  ::GetObjectA(hFont, sizeof lf, &lf);
  lf.lfWeight = weight;
  Create(lf, dc);
}

const xb::Class& TFont2::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TFONT2");
    auto F = [](xb::Object& o) -> TFont2& { return xb::Class::Cast<TFont2>(o); };
    auto dc_of = [](const Args& a, int n) { return reinterpret_cast<HDC>(static_cast<std::intptr_t>(a.Int(n))); };
    c.Property("HFONT", [F](xb::Object& o) { return Value::Integer(reinterpret_cast<std::intptr_t>(F(o).hFont)); }, nullptr);
    c.Data("CFACENAME", &TFont2::cFaceName);
    c.Data("NHEIGHT", &TFont2::nHeight);
    c.Data("NWIDTH", &TFont2::nWidth);
    c.Data("NWEIGHT", &TFont2::nWeight);
    c.Data("NPOINTSIZE", &TFont2::nPointSize);
    c.Data("NPITCHANDFAMILY", &TFont2::nPitchAndFamily);
    c.Data("LITALIC", &TFont2::lItalic);
    // New( nFont, nPrinter, hDC, nCPI, lChoose, lScreen, hFont, cFace, nWidth, nHeight, nWeight, lItalic,
    //      lUnderline, lStrikeOut, nCharSet, nOutPrecision, nClipPrecision, nQuality, nPitchAndFamily,
    //      nEscapement, nOrientation ): font group nFont of the printer's record; without one the
    // chooser, a font handle or the values, nHeight in points. Nothing when none was made.
    c.Method("NEW", [F, dc_of](xb::Object& o, Args& a) {
      TFont2::Source s;
      s.cpi = a.Num(4);
      s.choose = a.Log(5);
      s.screen = a.Log(6);
      if (a.Arg(7).IsNumber() && a.Int(7) != 0) s.handle = reinterpret_cast<HFONT>(static_cast<std::intptr_t>(a.Int(7)));
      s.face = std::string(a.Str(8));
      s.width = static_cast<int>(a.Int(9));
      s.height = static_cast<int>(a.Int(10));
      s.weight = static_cast<int>(a.Int(11));
      s.italic = a.Log(12);
      s.underline = a.Log(13);
      s.strike_out = a.Log(14);
      s.charset = static_cast<int>(a.Int(15));
      s.out_precision = static_cast<int>(a.Int(16));
      s.clip_precision = static_cast<int>(a.Int(17));
      s.quality = static_cast<int>(a.Int(18));
      s.pitch_and_family = static_cast<int>(a.Int(19));
      s.escapement = static_cast<int>(a.Int(20));
      s.orientation = static_cast<int>(a.Int(21));
      const bool made = F(o).New(a.IsNil(1) ? 0 : static_cast<int>(a.Int(1)), a.IsNil(2) ? 1 : static_cast<int>(a.Int(2)),
                                 s, dc_of(a, 3));
      return made ? o.AsValue() : Value();
    });
    c.Method("FONTNAME", [F](xb::Object& o, Args& a) {
      return Value::String(F(o).FontName(a.Num(1), a.IsNil(2) ? 0 : static_cast<int>(a.Int(2))));
    });
    // Redefine( xFont, @lOk, hFont, hDC, lChoose, lScreen, cFace, nWidth, nHeight, nWeight, lItalic, lUnderline,
    //           lStrikeOut, nOutPrecision, nPitchAndFamily, nCharSet, nEscapement, nOrientation, nClipPrecision,
    //           nQuality, nCPI, nPointSize )
    c.Method("REDEFINE", [F, dc_of](xb::Object& o, Args& a) {
      TFont2::Source s;
      if (a.Arg(1).IsArray()) s.description = a.Arr(1);
      else if (a.Arg(1).IsObject() && xb::HasMessage(a.Arg(1), xb::Intern("HFONT")))
        s.handle = reinterpret_cast<HFONT>(static_cast<std::intptr_t>(xb::Send(a.Arg(1), "HFONT").AsInt()));
      if (a.Arg(3).IsNumber() && a.Int(3) != 0) s.handle = reinterpret_cast<HFONT>(static_cast<std::intptr_t>(a.Int(3)));
      s.choose = a.Log(5);
      s.screen = a.Log(6);
      s.face = std::string(a.Str(7));
      s.width = static_cast<int>(a.Int(8));
      s.height = static_cast<int>(a.Int(9));
      s.weight = static_cast<int>(a.Int(10));
      s.italic = a.Log(11);
      s.underline = a.Log(12);
      s.strike_out = a.Log(13);
      s.out_precision = static_cast<int>(a.Int(14));
      s.pitch_and_family = static_cast<int>(a.Int(15));
      s.charset = static_cast<int>(a.Int(16));
      s.escapement = static_cast<int>(a.Int(17));
      s.orientation = static_cast<int>(a.Int(18));
      s.clip_precision = static_cast<int>(a.Int(19));
      s.quality = static_cast<int>(a.Int(20));
      s.cpi = a.Num(21);
      s.point_size = static_cast<int>(a.Int(22));
      const bool ok = F(o).Redefine(s, dc_of(a, 4));
      a.SetRef(2, Value::Logical(ok));
      return ok ? o.AsValue() : Value();
    });
    c.Method("ACTIVATE", [F, dc_of](xb::Object& o, Args& a) { F(o).Activate(dc_of(a, 1)); return Value(); });
    c.Method("DEACTIVATE", [F, dc_of](xb::Object& o, Args& a) { F(o).DeActivate(dc_of(a, 1)); return Value(); });
    c.Method("SETWEIGHT", [F, dc_of](xb::Object& o, Args& a) {
      F(o).SetWeight(static_cast<int>(a.Int(1)), dc_of(a, 2));
      return Value();
    });
    c.Method("FONTANCHO", [F, dc_of](xb::Object& o, Args& a) { return Value::Logical(F(o).FontAncho(a.Num(1), dc_of(a, 3))); });
    c.Method("RELEASE", [F](xb::Object& o, Args&) { F(o).Release(); return Value(); });
    c.Method("END", [F](xb::Object& o, Args&) { F(o).End(); return Value(); });
    return c;
  }();
  return cls;
}

void RegisterTFont2() {
  (void)TFont2::Cls();
  xb::RegisterFunction("TFONT2", [](Args&) { return Value(xb::MakeRef<TFont2>()); });
  xb::RegisterFunction("ERRORFONTS", [](Args&) { return Value::Logical(ErrorFonts()); });
}

}  // namespace output
