#include "ui/core/tbrush.h"

#include <algorithm>
#include <array>

#include "runtime/string_compare.h"
#include "runtime/symbol.h"
#include "runtime/array.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/builtin_images.h"
#include "ui/bridge/resources.h"
#include "ui/core/resource_log.h"

namespace ui {
namespace {

std::vector<TBrush*>& LiveList() {
  static std::vector<TBrush*> live;
  return live;
}

int HatchStyle(std::string_view style) {
  static constexpr std::array<std::string_view, 6> kHatches = {
      "HORIZONTAL", "VERTICAL", "FDIAGONAL", "BDIAGONAL", "CROSS", "DIAGCROSS"};
  for (size_t i = 0; i < kHatches.size(); ++i) {
    if (style == kHatches[i]) return static_cast<int>(i);
  }
  return -1;
}

// The framework's pattern styles, over its built-in pictures 1 to 4.
int PatternNumber(std::string_view style) {
  static constexpr std::array<std::string_view, 4> kPatterns = {"BORLAND", "BRICKS", "TILED", "TABS"};
  for (size_t i = 0; i < kPatterns.size(); ++i) {
    if (style == kPatterns[i]) return static_cast<int>(i) + 1;
  }
  return 0;
}

}  // namespace

TBrush::TBrush() : xb::Object(Cls()) {}

TBrush::~TBrush() {
  // Dropped without its last End: it must not stay findable, nor keep its GDI objects.
  auto& live = LiveList();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  if (hBrush != nullptr && !stock_) DeleteObject(hBrush);
  if (hBitmap != nullptr) DeleteObject(hBitmap);
}

const xb::Class& TBrush::Cls() {
  static const xb::Class& cls = [] () -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TBRUSH");
    c.Property("HBRUSH", [](xb::Object& o) { return xb::Value::Integer(reinterpret_cast<std::intptr_t>(xb::Class::Cast<TBrush>(o).hBrush)); }, nullptr);
    c.Data("NCOUNT", &TBrush::nCount);
    c.Data("CSTYLE", &TBrush::cStyle);
    c.Property("NRGBCOLOR", [](xb::Object& o) { return xb::Value::Integer(xb::Class::Cast<TBrush>(o).nRGBColor); }, nullptr);
    c.Property("HBITMAP", [](xb::Object& o) { return xb::Value::Integer(reinterpret_cast<std::intptr_t>(xb::Class::Cast<TBrush>(o).hBitmap)); }, nullptr);
    c.Data("CBMPFILE", &TBrush::cBmpFile);
    c.Data("CBMPRES", &TBrush::cBmpRes);
    // Class data: the live brushes.
    c.Property("ABRUSHES", [](xb::Object&) {
      xb::Array list = xb::Array::New();
      for (TBrush* brush : LiveList()) list.Append(brush->AsValue());
      return xb::Value(list);
    }, nullptr);
    // New(style, colour, bitmap file, bitmap resource): the live brush of those, or a new one.
    c.Method("NEW", [](xb::Object&, xb::Args& a) {
      return xb::Value(TBrush::New(a.Str(1), static_cast<COLORREF>(a.Int(2)), a.Str(3), a.Str(4)));
    });
    c.Method("CGENPRG", [](xb::Object& o, xb::Args&) { return xb::Value::String(xb::Class::Cast<TBrush>(o).cGenPrg()); });
    c.Method("END", [](xb::Object& o, xb::Args&) { xb::Class::Cast<TBrush>(o).End(); return xb::Value(); });
    c.Method("RELEASE", [](xb::Object& o, xb::Args&) { xb::Class::Cast<TBrush>(o).End(); return xb::Value(); });
    return c;
  }();
  return cls;
}

const std::vector<TBrush*>& TBrush::Live() { return LiveList(); }

xb::Ref<TBrush> TBrush::New(std::string_view style, COLORREF colour, std::string_view bitmap_file,
                            std::string_view bitmap_resource) {
  const std::string upper = xb::UpperName(style);
  for (TBrush* live : LiveList()) {
    if (live->cStyle == upper && live->nRGBColor == colour && live->cBmpFile == bitmap_file &&
        live->cBmpRes == bitmap_resource) {
      ++live->nCount;
      return xb::Ref<TBrush>(live);
    }
  }
  auto brush = xb::MakeRef<TBrush>();
  brush->cStyle = upper;
  brush->nRGBColor = colour;
  brush->cBmpFile = std::string(bitmap_file);
  brush->cBmpRes = std::string(bitmap_resource);
  if (!bitmap_file.empty()) {
    brush->hBitmap = ReadBitmap(nullptr, brush->cBmpFile);
  } else if (!bitmap_resource.empty()) {
    brush->hBitmap = LoadBitmapA(GetResources(), brush->cBmpRes.c_str());
  }
  if (brush->hBitmap == nullptr && PatternNumber(upper) > 0) brush->hBitmap = VxBrushes(PatternNumber(upper));
  if (brush->hBitmap != nullptr) {
    brush->hBrush = CreatePatternBrush(brush->hBitmap);
  } else if (upper == "NULL") {
    brush->hBrush = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    brush->stock_ = true;
  } else if (const int hatch = HatchStyle(upper); hatch >= 0) {
    brush->hBrush = CreateHatchBrush(hatch, colour);
  } else {
    brush->hBrush = CreateSolidBrush(colour);
  }
  brush->nCount = 1;
  LiveList().push_back(brush.get());
  return brush;
}

std::string TBrush::cGenPrg() const {
  std::string text = "DEFINE BRUSH oBrush";
  if (!cStyle.empty()) text += " STYLE " + cStyle;
  if (cStyle.empty() || HatchStyle(cStyle) >= 0) text += " COLOR " + std::to_string(nRGBColor);
  if (!cBmpFile.empty()) text += " FILE \"" + cBmpFile + "\"";
  if (!cBmpRes.empty()) text += " RESOURCE \"" + cBmpRes + "\"";
  return text;
}

void TBrush::End() {
  if (nCount == 0) nCount = 1;  // an unset count counts as one user
  if (--nCount >= 1) return;
  auto& live = LiveList();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  if (hBrush != nullptr && !stock_ && !DeleteObject(hBrush)) {
    LogResourceFailure("DeleteObject( ::hBrush ) failed from TBrush:End()", hBrush);
  }
  if (hBitmap != nullptr) DeleteObject(hBitmap);
  hBrush = nullptr;
  hBitmap = nullptr;
  nCount = 0;
}

}  // namespace ui
