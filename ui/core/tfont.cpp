#include "ui/core/tfont.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "runtime/function_table.h"
#include "runtime/symbol.h"
#include "ui/bridge/common_dialogs.h"
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

// A device given as a DC number or as an object answering hDC (a printer).
HDC DeviceOf(const xb::Value& device) {
  if (device.IsNumber()) return reinterpret_cast<HDC>(static_cast<std::intptr_t>(device.AsInt()));
  if (device.IsObject() && xb::HasMessage(device, xb::Intern("HDC"))) {
    return reinterpret_cast<HDC>(static_cast<std::intptr_t>(xb::Send(device, "HDC").AsInt()));
  }
  return nullptr;
}

LOGFONTA LogFontOf(const TFont::Spec& spec) {
  LOGFONTA lf = {};
  lf.lfHeight = spec.height;
  lf.lfWidth = spec.width;
  lf.lfEscapement = spec.escapement;
  lf.lfOrientation = spec.orientation;
  lf.lfWeight = spec.bold ? FW_BOLD : spec.weight;
  lf.lfItalic = spec.italic;
  lf.lfUnderline = spec.underline;
  lf.lfStrikeOut = spec.strike_out;
  lf.lfCharSet = static_cast<BYTE>(spec.char_set);
  lf.lfOutPrecision = static_cast<BYTE>(spec.out_precision);
  lf.lfClipPrecision = static_cast<BYTE>(spec.clip_precision);
  lf.lfQuality = static_cast<BYTE>(spec.quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(spec.pitch_family);
  std::strncpy(lf.lfFaceName, spec.face.c_str(), LF_FACESIZE - 1);
  return lf;
}

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
    c.Data("NESCAPEMENT", &TFont::nEscapement);
    c.Data("NORIENTATION", &TFont::nOrientation);
    c.Data("NCHARSET", &TFont::nCharSet);
    c.Data("NOUTPRECISION", &TFont::nOutPrecision);
    c.Data("NCLIPPRECISION", &TFont::nClipPrecision);
    c.Data("NQUALITY", &TFont::nQuality);
    c.Data("NPITCHFAMILY", &TFont::nPitchFamily);
    c.Property("HFONTOLD", [](xb::Object& o) {
      return xb::Value::Integer(reinterpret_cast<std::intptr_t>(xb::Class::Cast<TFont>(o).hFontOld));
    }, nullptr);
    // The sizes read from the font itself; assigning sets the size the font is asked for.
    auto set_height = [](xb::Object& o, const xb::Value& v) { xb::Class::Cast<TFont>(o).nInpHeight = static_cast<int>(v.AsInt()); };
    c.Property("NHEIGHT", [](xb::Object& o) { return xb::Value::Integer(xb::Class::Cast<TFont>(o).nHeight()); }, set_height);
    c.Property("NWIDTH", [](xb::Object& o) { return xb::Value::Integer(xb::Class::Cast<TFont>(o).nWidth()); },
               [](xb::Object& o, const xb::Value& v) { xb::Class::Cast<TFont>(o).nInpWidth = static_cast<int>(v.AsInt()); });
    c.Property("NSIZE", [](xb::Object& o) { return xb::Value::Integer(std::abs(xb::Class::Cast<TFont>(o).nInpHeight)); },
               [](xb::Object& o, const xb::Value& v) { xb::Class::Cast<TFont>(o).nInpHeight = -std::abs(static_cast<int>(v.AsInt())); });
    c.Method("NEW", [](xb::Object&, xb::Args& a) { return xb::Value(TFont::New(a)); });
    c.Method("CHOOSE", [](xb::Object& o, xb::Args& a) {
      COLORREF colour = static_cast<COLORREF>(a.Int(1));
      xb::Ref<TFont> chosen = xb::Class::Cast<TFont>(o).Choose(a.Arg(1).IsNumber() ? &colour : nullptr);
      if (a.IsByRef(1)) a.SetRef(1, xb::Value::Integer(colour));
      return xb::Value(chosen);
    });
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

xb::Ref<TFont> TFont::New(const xb::Args& a) {
  Spec spec;
  if (a.Arg(1).IsString()) spec.face = std::string(a.Str(1));
  spec.width = static_cast<int>(a.Int(2));
  spec.height = static_cast<int>(a.Int(3, 14));
  spec.bold = a.Log(5);
  spec.escapement = static_cast<int>(a.Int(6));
  spec.orientation = static_cast<int>(a.Int(7));
  spec.weight = static_cast<int>(a.Int(8));
  spec.italic = a.Log(9);
  spec.underline = a.Log(10);
  spec.strike_out = a.Log(11);
  spec.char_set = static_cast<int>(a.Int(12));
  spec.out_precision = static_cast<int>(a.Int(13));
  spec.clip_precision = static_cast<int>(a.Int(14));
  spec.quality = static_cast<int>(a.Int(15));
  spec.device = DeviceOf(a.Arg(16));
  spec.pitch_family = static_cast<int>(a.Int(17));
  if (a.Log(4)) {
    ChooseFontParams params;
    params.font = LogFontOf(spec);
    params.printer = spec.device;
    const ChosenFont chosen = ChooseFontDialog(params);
    if (chosen.confirmed) {
      HDC device = spec.device;
      spec = SpecOf(chosen.font);
      spec.bold = chosen.font.lfWeight != FW_NORMAL;
      spec.device = device;
    }
  }
  return New(spec);
}

TFont::Spec TFont::CurrentSpec() const {
  Spec spec;
  spec.face = cFaceName;
  spec.width = nInpWidth;
  spec.height = nInpHeight;
  spec.bold = lBold;
  spec.escapement = nEscapement;
  spec.orientation = nOrientation;
  spec.weight = nWeight;
  spec.italic = lItalic;
  spec.underline = lUnderline;
  spec.strike_out = lStrikeOut;
  spec.char_set = nCharSet;
  spec.out_precision = nOutPrecision;
  spec.clip_precision = nClipPrecision;
  spec.quality = nQuality;
  spec.pitch_family = nPitchFamily;
  return spec;
}

xb::Ref<TFont> TFont::Choose(COLORREF* colour) {
  ChooseFontParams params;
  params.font = LogFontOf(CurrentSpec());
  if (colour != nullptr) params.colour = *colour;
  params.effects = colour != nullptr;
  const ChosenFont chosen = ChooseFontDialog(params);
  if (!chosen.confirmed) return xb::Ref<TFont>(this);
  if (colour != nullptr) *colour = chosen.colour;
  Spec spec = SpecOf(chosen.font);
  spec.bold = chosen.font.lfWeight != FW_NORMAL;
  xb::Ref<TFont> keep(this);
  End();
  return New(spec);
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
