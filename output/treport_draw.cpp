// TReport: how its pieces are drawn: column titles, rules, page and grand totals, shadow,
// grid, separators, and the free drawing methods. A graphic device draws lines; the text
// device draws the same rules with box characters of code page 437.
#include <algorithm>
#include <string>

#include "output/treport.h"
#include "output/trfile.h"
#include "ui/core/value_text.h"

namespace output {
namespace {

// Box characters by rule style (1 single, 2 double) and position (0 closing, 1 opening,
// 2 middle): fill, junction, left corner, right corner.
struct RuleChars {
  char fill, junction, left, right;
};
constexpr char C(unsigned char c) { return static_cast<char>(c); }
constexpr RuleChars kRules[2][3] = {
    {{C(0xC4), C(0xC1), C(0xC0), C(0xD9)}, {C(0xC4), C(0xC2), C(0xDA), C(0xBF)}, {C(0xC4), C(0xC5), C(0xC3), C(0xB4)}},
    {{C(0xCD), C(0xCF), C(0xD4), C(0xBE)}, {C(0xCD), C(0xD1), C(0xD5), C(0xB8)}, {C(0xCD), C(0xD8), C(0xC6), C(0xB5)}},
};
constexpr char kGridChar = C(0xB3);

TRFile& Text(PageDevice* device) { return static_cast<TRFile&>(*device); }

}  // namespace

void TReport::ColTitle() {
  nRow = nTitleRow;
  TotalLine(nTitleUpLine, 1);
  for (int line = 1; line <= nMaxTitle; ++line) {
    int height = 0;
    for (std::size_t i = 0; i < aColumns.size(); ++i) {
      aColumns[i]->SayTitle(nRow, aCols[i], line);
      height = std::max(height, aColumns[i]->nTitleHeight);
    }
    if (nTitleUpLine != 0) Grid(height);
    nRow += height;
  }
  TotalLine(nTitleDnLine, 2);
  lFirstRow = true;
}

void TReport::TotalLine(int style, int position) {
  if (style != 1 && style != 2) return;  // 0 is none; other styles draw nothing
  position = std::clamp(position, 0, 2);
  const double j = lJoin ? nSeparator / 2.0 : 0;
  if (TextDevice()) {
    const RuleChars& chars = kRules[style - 1][position];
    const int t = nStdLineHeight;
    Grid(t, nRow, chars.junction);
    TRFile& file = Text(device_);
    for (std::size_t i = 0; i < aColumns.size(); ++i)
      file.SayRaw(nRow, aCols[i], std::string(static_cast<std::size_t>(aColumns[i]->nWidth), chars.fill));
    if (!aColumns.empty() && aColumns.front()->lGrid) file.SayRaw(nRow, aCols.front() - 1, std::string(1, chars.left));
    if (!aColumns.empty() && aColumns.back()->lGrid)
      file.SayRaw(nRow, aCols.back() + aColumns.back()->nWidth, std::string(1, chars.right));
    nRow += t;
    return;
  }
  const double width = oPenHorz ? oPenHorz->nWidth : 1;
  auto line = [&](int row) {
    for (std::size_t i = 0; i < aColumns.size(); ++i) {
      device_->Line(row, static_cast<int>(aCols[i] - j), row, static_cast<int>(aCols[i] + aColumns[i]->nWidth + j),
                    oPenHorz.get());
    }
  };
  if (style == 1) {
    const int t = static_cast<int>(width * 10);
    const int half = static_cast<int>(t * 0.5);
    if (position == 0) Grid(half, nRow);
    else if (position == 1) Grid(half, nRow + half);
    else Grid(t, nRow);
    line(nRow + half);
    nRow += t;
  } else {
    const double t = width * 10;
    if (position == 0) Grid(static_cast<int>(t * 0.6), nRow);
    else if (position == 1) Grid(static_cast<int>(t * 0.6), nRow + static_cast<int>(t * 0.4));
    else Grid(static_cast<int>(t), nRow);
    line(nRow + static_cast<int>(t * 0.4));
    line(nRow + static_cast<int>(t * 0.6));
    nRow += static_cast<int>(t);
  }
}

void TReport::PageTotal() {
  if (!lTotal || (!lPageTotal && !lFinish)) {
    if (lSeparator || lJoin) TotalLine(nTotalLine, 0);
    return;
  }
  if (lBoxOnTotal) {
    TotalLine(nTotalLine, 2);
    Grid();
  } else {
    TotalLine(nTotalLine, 0);
  }
  const std::string& label = lFinish ? cGrandTotal : cPageTotal;
  if (!label.empty() && !aCols.empty()) {
    const int font = StdFont();
    device_->Say(nRow, aCols.front(), label, Font(font), 0, TextColour(font), kOpaque, Pad::kLeft);
  }
  for (std::size_t i = 0; i < aColumns.size(); ++i) aColumns[i]->SayTotal(nRow, aCols[i]);
  nRow += nStdLineHeight;
  if (lBoxOnTotal) TotalLine(nTotalLine, 0);
}

void TReport::Shadow(int height) {
  if (!lShadow || TextDevice()) return;
  if (!oShdBrush) oShdBrush.reset(::CreateSolidBrush(nClrShadow));
  if (HDC out = device_->OutputDC()) ::SetBkMode(out, TRANSPARENT);
  for (std::size_t i = 0; i < aColumns.size(); ++i) {
    const TRColumn& c = *aColumns[i];
    if (!c.lShadow) continue;
    const ui::TPen* pen = Pen(c.nPen);
    const int e = c.lGrid ? 2 * (pen != nullptr ? pen->nWidth : 1) : 0;
    device_->FillRect(ui::Rect{nRow, aCols[i] - e, nRow + height, aCols[i] + c.nWidth + e}, oShdBrush.get());
  }
}

void TReport::Grid(int height, std::optional<int> row, std::optional<char> character) {
  if (height == 0) height = nStdLineHeight;
  if (!lGrid || height == 0) return;
  const int at = row.value_or(nRow);
  if (TextDevice()) {
    TRFile& file = Text(device_);
    const std::string bar(static_cast<std::size_t>(std::max(nSeparator, 1)), character.value_or(kGridChar));
    for (std::size_t i = 0; i < aColumns.size(); ++i) {
      if (!aColumns[i]->lGrid) continue;
      file.SayRaw(at, aCols[i] - nSeparator, bar);
      file.SayRaw(at, aCols[i] + aColumns[i]->nWidth, bar);
    }
    return;
  }
  if (HDC out = device_->OutputDC()) ::SetBkMode(out, TRANSPARENT);
  const double half = nSeparator / 2.0;
  for (std::size_t i = 0; i < aColumns.size(); ++i) {
    const TRColumn& c = *aColumns[i];
    if (!c.lGrid) continue;
    const int left = static_cast<int>(aCols[i] - half), right = static_cast<int>(aCols[i] + c.nWidth + half);
    device_->Line(at, left, at + height, left, Pen(c.nPen));
    device_->Line(at, right, at + height, right, Pen(c.nPen));
  }
}

void TReport::Separator(int pen, std::optional<int> row) {
  const int at = row.value_or(nRow);
  if (TextDevice()) {
    std::string text(1, C(0xC3));
    for (const auto& c : aColumns) {
      text.append(static_cast<std::size_t>(c->nWidth), C(0xC4));
      text += C(0xC5);
    }
    text.back() = C(0xB4);
    Text(device_).SayRaw(at, nMargin - nSeparator, text);
    Shadow(nStdLineHeight);
    nRow += nStdLineHeight;
    return;
  }
  ui::TPen* chosen = pen > 0 && pen < static_cast<int>(aPen.size()) ? aPen[static_cast<std::size_t>(pen - 1)].get()
                                                                    : oPenHorz.get();
  for (const auto& c : aColumns) c->Separator(at, false);
  NewLine(4 * (chosen != nullptr ? std::max(chosen->nWidth, 1) : 1));
}

void TReport::Say(int column, const xb::Value& text, int font, int pad, std::optional<int> row) {
  if (device_ == nullptr || aCols.empty()) return;
  if (column < 1 || column > static_cast<int>(aCols.size())) column = 1;
  if (font < 1 || font > static_cast<int>(aFont.size())) font = 1;
  device_->Say(row.value_or(nRow), aCols[static_cast<std::size_t>(column - 1)], ui::CValToChar(text), Font(font), 0,
               TextColour(font), kTransparent, static_cast<Pad>(std::clamp(pad, 1, 3) - 1));
}

void TReport::SayBitmap(double row, double col, const xb::Value& bitmap, double size_a, double size_b, int unit) {
  if (device_ == nullptr) return;
  POINT at;
  if (unit == 2) {
    at = device_->Cmtr2Pix(row, col);
    size_a /= 2.54;
    size_b /= 2.54;
  } else {
    at = device_->Inch2Pix(row, col);
  }
  device_->SayBitmap(at.y, at.x, bitmap, static_cast<int>(nLogPixY * size_a), static_cast<int>(nLogPixX * size_b));
}

void TReport::Box(double top, double left, double bottom, double right, int pen, int unit) {
  if (device_ == nullptr) return;
  const POINT a = unit == 2 ? device_->Cmtr2Pix(top, left) : device_->Inch2Pix(top, left);
  const POINT b = unit == 2 ? device_->Cmtr2Pix(bottom, right) : device_->Inch2Pix(bottom, right);
  device_->Box(a.y, a.x, b.y, b.x, Pen(pen));
}

void TReport::Line(double top, double left, double bottom, double right, int pen, int unit) {
  if (device_ == nullptr) return;
  const POINT a = unit == 2 ? device_->Cmtr2Pix(top, left) : device_->Inch2Pix(top, left);
  const POINT b = unit == 2 ? device_->Cmtr2Pix(bottom, right) : device_->Inch2Pix(bottom, right);
  device_->Line(a.y, a.x, b.y, b.x, Pen(pen));
}

void TReport::SetTxtColor(COLORREF colour, int font) {
  if (font < 1) font = 1;
  if (aClrText.size() < static_cast<std::size_t>(font)) aClrText.resize(static_cast<std::size_t>(font), 0);
  aClrText[static_cast<std::size_t>(font - 1)] = colour;
}

void TReport::SetShdColor(COLORREF colour) {
  nClrShadow = colour;
  oShdBrush.reset();
}

void TReport::SetPenColor(std::optional<COLORREF> colour) {
  if (!colour) return;
  if (oPenHorz) oPenHorz->End();
  oPenHorz = ui::TPen::New(PS_SOLID, std::max(1, nLogPixX / 72), *colour);
}

void TReport::Margin(double value, int which, int unit) {
  if (unit == 2) value = static_cast<int>(value / 2.54);  // whole inches
  switch (which) {
    case 4: nTopMargin = static_cast<int>(nLogPixY * value); break;
    case 5: nDnMargin = static_cast<int>(nLogPixY * value); break;
    case 1: nLeftMargin = static_cast<int>(nLogPixX * value); break;
    case 2: nRightMargin = static_cast<int>(nLogPixX * value); break;
    default: break;
  }
  lStable = false;
}

}  // namespace output
