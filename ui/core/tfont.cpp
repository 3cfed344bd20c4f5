#include "ui/core/tfont.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "runtime/symbol.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/core/resource_log.h"

namespace ui {
namespace {

std::vector<TFont*>& LiveList() {
  static std::vector<TFont*> live;
  return live;
}

struct StockFont {
  std::string_view name;
  int object;
};
constexpr std::array<StockFont, 6> kStockFonts = {{{"OEM_FIXED_FONT", OEM_FIXED_FONT},
                                                   {"ANSI_FIXED_FONT", ANSI_FIXED_FONT},
                                                   {"ANSI_VAR_FONT", ANSI_VAR_FONT},
                                                   {"SYSTEM_FONT", SYSTEM_FONT},
                                                   {"DEVICE_DEFAULT_FONT", DEVICE_DEFAULT_FONT},
                                                   {"SYSTEM_FIXED_FONT", SYSTEM_FIXED_FONT}}};

TEXTMETRICA Metrics(HFONT font) {
  WindowDC dc(nullptr);
  SelectionScope select(dc.get(), font);
  TEXTMETRICA tm = {};
  GetTextMetricsA(dc.get(), &tm);
  return tm;
}

}  // namespace

TFont::TFont() : xb::Object(Cls()) {}

TFont::~TFont() {
  auto& live = LiveList();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  if (hFont != nullptr && lDestroy) DeleteObject(hFont);
}

const xb::Class& TFont::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TFONT");
    c.Property("HFONT", [](xb::Object& o) {
      return xb::Value::Integer(reinterpret_cast<std::intptr_t>(xb::Class::Cast<TFont>(o).hFont));
    }, nullptr);
    c.Data("CFACENAME", &TFont::cFaceName);
    c.Data("LBOLD", &TFont::lBold);
    c.Data("LITALIC", &TFont::lItalic);
    c.Data("LUNDERLINE", &TFont::lUnderline);
    c.Data("LSTRIKEOUT", &TFont::lStrikeOut);
    c.Data("NINPHEIGHT", &TFont::nInpHeight);
    c.Data("NINPWIDTH", &TFont::nInpWidth);
    c.Data("NWEIGHT", &TFont::nWeight);
    c.Data("NCOUNT", &TFont::nCount);
    c.Data("LDESTROY", &TFont::lDestroy);
    c.Data("LNEW", &TFont::lNew);
    c.Property("NHEIGHT", [](xb::Object& o) { return xb::Value::Integer(xb::Class::Cast<TFont>(o).nHeight()); }, nullptr);
    c.Property("NWIDTH", [](xb::Object& o) { return xb::Value::Integer(xb::Class::Cast<TFont>(o).nWidth()); }, nullptr);
    c.Property("NSIZE", [](xb::Object& o) { return xb::Value::Integer(std::abs(xb::Class::Cast<TFont>(o).nInpHeight)); }, nullptr);
    c.Method("END", [](xb::Object& o, xb::Args&) { xb::Class::Cast<TFont>(o).End(); return xb::Value(); });
    c.Method("RELEASE", [](xb::Object& o, xb::Args&) { xb::Class::Cast<TFont>(o).End(); return xb::Value(); });
    c.Method("ACTIVATE", [](xb::Object& o, xb::Args& a) {
      xb::Class::Cast<TFont>(o).Activate(reinterpret_cast<HDC>(a.Int(1)));
      return xb::Value();
    });
    c.Method("DEACTIVATE", [](xb::Object& o, xb::Args& a) {
      xb::Class::Cast<TFont>(o).DeActivate(reinterpret_cast<HDC>(a.Int(1)));
      return xb::Value();
    });
    return c;
  }();
  return cls;
}

const std::vector<TFont*>& TFont::Live() { return LiveList(); }

bool TFont::SameAs(const TFont& o) const {
  return cFaceName == o.cFaceName && nInpHeight == o.nInpHeight && nInpWidth == o.nInpWidth &&
         nEscapement == o.nEscapement && nOrientation == o.nOrientation && nWeight == o.nWeight &&
         lItalic == o.lItalic && lUnderline == o.lUnderline && lBold == o.lBold &&
         lStrikeOut == o.lStrikeOut && nCharSet == o.nCharSet && nOutPrecision == o.nOutPrecision &&
         nClipPrecision == o.nClipPrecision && nQuality == o.nQuality &&
         nPitchFamily == o.nPitchFamily;
}

TFont::Spec TFont::SpecOf(const LOGFONTA& f) {
  Spec spec;
  spec.face = std::string(f.lfFaceName, ::strnlen(f.lfFaceName, LF_FACESIZE));
  spec.width = f.lfWidth;
  spec.height = f.lfHeight;
  spec.bold = f.lfWeight >= FW_BOLD;
  spec.escapement = f.lfEscapement;
  spec.orientation = f.lfOrientation;
  spec.weight = f.lfWeight;
  spec.italic = f.lfItalic != 0;
  spec.underline = f.lfUnderline != 0;
  spec.strike_out = f.lfStrikeOut != 0;
  spec.char_set = f.lfCharSet;
  spec.out_precision = f.lfOutPrecision;
  spec.clip_precision = f.lfClipPrecision;
  spec.quality = f.lfQuality;
  spec.pitch_family = f.lfPitchAndFamily;
  return spec;
}

xb::Ref<TFont> TFont::New(const Spec& spec) {
  auto font = xb::MakeRef<TFont>();
  std::string face = spec.face;
  if (xb::UpperName(face) == "SYSTAHOMA") face = "TAHOMA";
  int height = spec.height;
  if (height < 0 && -height < 12) height = -12;
  if (spec.device != nullptr) height = MulDiv(height, GetDeviceCaps(spec.device, LOGPIXELSY), 72);
  font->cFaceName = face;
  font->nInpHeight = height;
  font->nInpWidth = spec.width;
  font->nEscapement = spec.escapement;
  font->nOrientation = spec.orientation;
  font->nWeight = spec.bold ? FW_BOLD : spec.weight;
  font->lBold = spec.bold;
  font->lItalic = spec.italic;
  font->lUnderline = spec.underline;
  font->lStrikeOut = spec.strike_out;
  font->nCharSet = spec.char_set;
  font->nOutPrecision = spec.out_precision;
  font->nClipPrecision = spec.clip_precision;
  font->nQuality = spec.quality;
  font->nPitchFamily = spec.pitch_family;

  for (TFont* live : LiveList()) {
    if (live->SameAs(*font)) {
      ++live->nCount;
      live->lNew = false;
      return xb::Ref<TFont>(live);
    }
  }
  const std::string upper = xb::UpperName(face);
  const auto stock = std::find_if(kStockFonts.begin(), kStockFonts.end(),
                                  [&](const StockFont& s) { return s.name == upper; });
  if (stock != kStockFonts.end()) {
    font->hFont = static_cast<HFONT>(GetStockObject(stock->object));
    const TEXTMETRICA tm = Metrics(font->hFont);
    font->nInpHeight = tm.tmHeight;
    font->nInpWidth = tm.tmAveCharWidth;
    font->lBold = tm.tmWeight >= FW_BOLD;
    font->lDestroy = false;
  } else {
    font->hFont = CreateFontA(height, spec.width, spec.escapement, spec.orientation, font->nWeight,
                              spec.italic, spec.underline, spec.strike_out,
                              static_cast<DWORD>(spec.char_set), static_cast<DWORD>(spec.out_precision),
                              static_cast<DWORD>(spec.clip_precision), static_cast<DWORD>(spec.quality),
                              static_cast<DWORD>(spec.pitch_family), face.c_str());
    font->lDestroy = true;
  }
  font->nCount = 1;
  font->lNew = true;
  LiveList().push_back(font.get());
  return font;
}

xb::Ref<TFont> TFont::Wrap(HFONT handle) {
  auto font = xb::MakeRef<TFont>();
  font->hFont = handle;
  LOGFONTA lf = {};
  GetObjectA(handle, sizeof lf, &lf);
  font->cFaceName = lf.lfFaceName;
  font->nInpHeight = lf.lfHeight;
  font->nInpWidth = lf.lfWidth;
  font->nWeight = lf.lfWeight;
  font->lBold = lf.lfWeight >= FW_BOLD;
  font->lItalic = lf.lfItalic != 0;
  font->nCount = 1;
  font->lDestroy = false;
  return font;
}

void TFont::End() {
  if (--nCount >= 1) return;
  auto& live = LiveList();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  if (hFont != nullptr && lDestroy && !DeleteObject(hFont)) {
    LogResourceFailure("DeleteObject( ::hFont ) failed from TFont:End()", hFont,
                       std::to_string(nCount) + (lDestroy ? " .T." : " .F."));
  }
  hFont = nullptr;
  nCount = 0;
}

void TFont::Activate(HDC dc) { hFontOld = static_cast<HFONT>(SelectObject(dc, hFont)); }

void TFont::DeActivate(HDC dc) {
  if (hFontOld != nullptr) SelectObject(dc, hFontOld);
  hFontOld = nullptr;
}

int TFont::nHeight() const { return hFont ? Metrics(hFont).tmHeight : 0; }
int TFont::nWidth() const { return hFont ? Metrics(hFont).tmAveCharWidth : 0; }

std::string GetSysFont() {
  LOGFONTA lf = {};
  GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
  return lf.lfFaceName[0] != '\0' ? lf.lfFaceName : "MS Sans Serif";
}

}  // namespace ui
