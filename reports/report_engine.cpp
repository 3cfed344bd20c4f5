#include "reports/report_engine.h"

#include <algorithm>
#include <cmath>

#include "runtime/lib/numbers.h"
#include "runtime/lib/picture.h"
#include "runtime/lib/strings.h"
#include "runtime/number.h"

namespace reports {
namespace {

// Digits after the picture's last ".", as the number is rounded before it is shown.
int PictureDecimals(const std::string& picture) {
  const std::size_t blank = picture.find(' ');
  const std::string templ = picture.starts_with("@") ? (blank == std::string::npos ? "" : picture.substr(blank + 1))
                                                     : picture;
  const std::size_t dot = templ.rfind('.');
  if (dot == std::string::npos) return 0;
  return static_cast<int>(templ.size() - dot - 1);
}

std::string WithoutBlanks(std::string text) {
  std::erase(text, ' ');
  return text;
}

double Round(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale;
}

// A character total ("1.234") read as a number.
double AsNumber(const xb::Value& value) {
  if (value.IsNumber()) return value.AsDouble();
  if (!value.IsString()) return 0;
  std::string text(value.AsString());
  std::erase(text, '.');
  std::replace(text.begin(), text.end(), ',', '.');
  const xb::Value number = xb::Val(text);
  return number.IsNumber() ? number.AsDouble() : 0;
}

std::string NumberText(double value, const std::string& picture) {
  const int decimals = PictureDecimals(picture);
  const xb::Value rounded = xb::Value::Double(Round(value, decimals), decimals);
  if (picture.empty()) return std::string(xb::AllTrim(xb::NumberToStr(rounded)));
  return WithoutBlanks(xb::Transform(rounded, xb::Picture(picture)));
}

}  // namespace

std::string TransHoras(const xb::Value& minutes, int size) {
  double total = 0;
  if (minutes.IsNumber()) total = minutes.AsDouble();
  else if (minutes.IsString()) total = AsNumber(xb::Value::String(xb::AllTrim(minutes.AsString())));
  if (size < 8) return "";
  const bool negative = total < 0;
  const auto whole = static_cast<std::int64_t>(std::fabs(total));
  const std::string hours = xb::NumberToStr(xb::Value::Integer(whole / 60), size - 7);
  const std::string mins = xb::NumberToStr(xb::Value::Integer(whole % 60), 2);
  const std::string text = (negative ? "- " : "") + std::string(xb::LTrim(hours)) + " h, " + mins + "'";
  return std::string(xb::AllTrim(text));
}

// ---- columns and groups ----------------------------------------------------------------------------

std::string TQZRCol::DataText(const xb::Value& value) const {
  if (cTipoCol == "H") return TransHoras(value, nSize);
  if (cTipoCol == "N" && value.IsNumber()) return NumberText(value.AsDouble(), cPicture);
  if (cPicture.empty()) {
    if (value.IsString()) return std::string(value.AsString());
    return xb::Transform(value, xb::Picture(""));
  }
  return xb::Transform(value, xb::Picture(cPicture));
}

std::string TQZRCol::TotalText(double total) const {
  if (cTipoCol == "H") return TransHoras(xb::Value::Number(total), nSize);
  return NumberText(total, std::string(xb::AllTrim(cTotalPict)));
}

void TQZRGroup::Reset(const TQZReport& report) {
  aTotal.resize(report.aColumns.size(), 0.0);
  for (std::size_t i = 0; i < aTotal.size(); ++i)
    if (report.aColumns[i].lIniGrupo) aTotal[i] = 0;
  nCounter = 0;
  cValue = cOldValue = bGroup ? bGroup() : std::string();
}

bool TQZRGroup::Check() {
  cOldValue = bGroup ? bGroup() : std::string();
  return cOldValue != cValue;
}

// ---- the report --------------------------------------------------------------------------------------

TQZReport::TQZReport(ReportDevice* device) : device_(device) { lCreated = device_ != nullptr && device_->Ready(); }

int TQZReport::BandLines() const {
  int lines = std::max(nLineasReg, 1);
  for (const TQZRCol& c : aColumns) lines = std::max(lines, c.nLinea);
  return lines;
}

void TQZReport::Stabilize() {
  lStable = false;
  if (!lCreated) return;
  if (aColumns.empty()) {
    lCreated = false;
    return;
  }
  ReportDevice& d = *device_;
  nAltoCabecera = d.MmToRow(nAltoCabMM);
  nMargenIzdo = d.MmToCol(nMgIzMM);
  nDnMargin = d.MmToRow(nMgDnMM);
  nSeparator = std::max(1, d.TextWidth(cCharPattern, nStdFont));
  nStdLineHeight = std::max(1, d.TextHeight(nStdFont));
  nTopMargin = static_cast<int>(d.LogPixY() * 0.2);
  nLeftMargin = nRightMargin = static_cast<int>(d.LogPixX() * 0.2);

  lTotal = false;
  line_height_ = 1;
  for (TQZRCol& c : aColumns) {
    lTotal = lTotal || c.lTotal;
    line_height_ = std::max({line_height_, d.TextHeight(c.aFonts[0]), d.TextHeight(c.aFonts[1])});
    const int pattern = std::max(1, d.TextWidth(cCharPattern, c.aFonts[0]));
    c.nWidth = c.nSize > 0 ? c.nSize * pattern : std::max(1, d.TextWidth(c.cTitle, c.aFonts[1]));
    c.nCol = c.nAnchoCol > 0 ? nMargenIzdo + c.nAnchoCol * std::max(1, d.TextWidth("b", c.aFonts[0])) : 0;
    c.lLastValue = false;
    c.nTotal = 0;
  }
  for (TQZRGroup& g : aGroups) {
    g.lHeader = !g.cHeader.empty() || !g.aHeadings.empty();
    g.lFooter = !g.cFooter.empty();
    g.aTotal.assign(aColumns.size(), 0.0);
  }

  // The columns' places: their own, or after the one before (the first at the centring margin).
  auto place = [this](int margin) {
    int end = 0;
    for (std::size_t i = 0; i < aColumns.size(); ++i) {
      TQZRCol& c = aColumns[i];
      const int col = c.nAnchoCol > 0 ? c.nCol : (i == 0 ? margin : end + nSeparator);
      if (c.nAnchoCol == 0) c.nCol = col;
      end = col + c.nWidth;
      nRptWidth = std::max(nRptWidth, end);
    }
  };
  nRptWidth = 0;
  place(0);
  const int page = d.Width() - nLeftMargin - nRightMargin;
  if (d.IsText()) {
    d.Widen(nRptWidth + 10 * nSeparator);
  } else if (nRptWidth > page) {
    if (lAutoLand && !lIsNarrow && d.Orientation() == 1) {
      lIsNarrow = true;
      return;
    }
    lIsNarrow = false;
    if (!bWideQuestion || !bWideQuestion()) return;
    nRptWidth = page;
  }
  nMargin = std::max(0, (d.Width() - nLeftMargin - nRightMargin - nRptWidth) / 2) + nLeftMargin;
  place(nMargin);
  nTitleRow = nTopMargin;
  nBottomRow = d.Height() - nDnMargin - (lTotal ? nStdLineHeight + line_height_ : 0);
  lStable = true;
}

bool TQZReport::Activate() {
  if (!lCreated) {
    End();
    return false;
  }
  Stabilize();
  if (lIsNarrow) {
    device_->SetLandscape();
    lAutoLand = false;
    Stabilize();
  }
  if (!lStable) {
    lCreated = false;
    End();
    return false;
  }
  Play();
  End();
  return nPage > 0;
}

void TQZReport::Skip() {
  if (bSkip) bSkip();
}

void TQZReport::Play() {
  StartPage();
  if (!aGroups.empty()) {
    while (While() && !For()) Skip();
    for (std::size_t i = 0; i < aGroups.size(); ++i) {
      aGroups[i].Reset(*this);
      StartGroup(static_cast<int>(i) + 1);
    }
  }
  const int band = BandLines() * line_height_;
  while (!lBreak && While()) {
    if (bRefresh) bRefresh();
    if (lBreak) break;
    if (!For()) {
      Skip();
      continue;
    }
    for (TQZRGroup& g : aGroups) ++g.nCounter;
    if (!lSummary) StartLine(band);
    for (std::size_t i = 0; i < aColumns.size(); ++i) SayColumn(i, nRow + (aColumns[i].nLinea - 1) * line_height_);
    if (!lSummary) {
      nRow += band;
      lFirstRow = false;
    }
    Skip();
    if (aGroups.empty()) continue;
    while (While() && !For()) Skip();
    if (!While()) break;
    // The first group whose key changed ends with every group inside it, innermost first.
    std::size_t changed = aGroups.size();
    for (std::size_t i = 0; i < aGroups.size(); ++i) {
      if (aGroups[i].Check()) {
        changed = i;
        break;
      }
    }
    for (std::size_t n = aGroups.size(); n > changed; --n) EndGroup(static_cast<int>(n), n == 1 && lPageGroup);
    for (std::size_t i = 0; i < aGroups.size(); ++i) {
      if (aGroups[i].lNeedStart) StartGroup(static_cast<int>(i) + 1);
    }
  }
  if (lBreak) return;
  for (std::size_t n = aGroups.size(); n > 0; --n)
    if (aGroups[n - 1].nCounter > 0) EndGroup(static_cast<int>(n), lPageGroup);
}

void TQZReport::SayColumn(std::size_t i, int row) {
  TQZRCol& c = aColumns[i];
  const xb::Value value = c.bData ? c.bData() : xb::Value::String("");
  if (!lSummary || c.lGroupCol) {
    xb::Value shown = value;
    if (c.lAcumulada) {
      const double so_far = aGroups.empty() ? c.nTotal : aGroups.back().aTotal[i];
      shown = xb::Value::Number(AsNumber(value) + so_far);
    }
    const std::string text = c.DataText(shown);
    if (!c.lGroupCol || !c.lLastValue || text != c.uLastValue) {
      device_->Say(row, c.nCol, text, c.aFonts[0], c.nWidth, c.nPad);
      if (c.lGroupCol) {
        c.uLastValue = text;
        c.lLastValue = true;
      }
    }
  }
  AddTotals(i, value);
}

void TQZReport::AddTotals(std::size_t i, const xb::Value& value) {
  TQZRCol& c = aColumns[i];
  if (!((lTotal && c.lTotal && (!c.bTotalFor || c.bTotalFor())) || c.lAcumulada)) return;
  if (!value.IsNumber() && !value.IsString()) return;
  const double n = AsNumber(value);
  c.nTotal += n;
  for (TQZRGroup& g : aGroups) g.aTotal[i] += n;
}

void TQZReport::StartLine(int height) {
  if (nRow + height > nBottomRow) EndPage();
}

void TQZReport::StartPage() {
  device_->StartPage();
  ++nPage;
  if (bPageShown) bPageShown(nPage);
  nRow = 0;
  if (bStartPage && !in_start_page_) {
    in_start_page_ = true;
    bStartPage(*this);
    in_start_page_ = false;
  }
  ColTitle();
  lFirstRow = true;
}

void TQZReport::EndPage() {
  PageTotal();
  device_->EndPage();
  if (!lFinish) StartPage();
}

void TQZReport::ColTitle() {
  nRow += nTitleRow;
  TotalLine(nTitleUpLine);
  int lines = 1;
  for (const TQZRCol& c : aColumns) {
    lines = std::max(lines, c.nLinea);
    const int pad = device_->IsText() ? 1 : c.nPad;
    device_->Say(nRow + (c.nLinea - 1) * line_height_, c.nCol, c.cTitle, c.aFonts[1], c.nWidth, pad);
  }
  nRow += lines * line_height_;
  TotalLine(nTitleDnLine);
  lFirstRow = true;
}

void TQZReport::TotalLine(int kind) {
  if (kind != 1 && kind != 2) return;
  if (device_->IsText()) {
    for (const TQZRCol& c : aColumns) device_->Say(nRow, c.nCol, std::string(static_cast<std::size_t>(c.nWidth), '-'), 1, 0, 1);
    nRow += nStdLineHeight;
    return;
  }
  const int w = device_->PenWidth() * 10;
  for (const TQZRCol& c : aColumns) {
    if (kind == 1) {
      device_->Line(nRow + w / 2, c.nCol, nRow + w / 2, c.nCol + c.nWidth);
    } else {
      device_->Line(nRow + w * 2 / 5, c.nCol, nRow + w * 2 / 5, c.nCol + c.nWidth);
      device_->Line(nRow + w * 3 / 5, c.nCol, nRow + w * 3 / 5, c.nCol + c.nWidth);
    }
  }
  nRow += w;
}

void TQZReport::PageTotal() {
  if (!lTotal) return;
  TotalLine(nTotalLine);
  const std::string& label = lFinish ? cGrandTotal : cPageTotal;
  if (!label.empty()) device_->Say(nRow, aColumns.front().nCol, label, nTotalFont, 0, 1);
  if (lFinish || !cPageTotal.empty()) {
    for (const TQZRCol& c : aColumns) {
      if (c.lTotal) device_->Say(nRow, c.nCol, c.TotalText(c.nTotal), c.aFonts[2], c.nWidth, c.nPad);
    }
  }
  nRow += 2 * nStdLineHeight;
}

void TQZReport::StartGroup(int n) {
  TQZRGroup& g = aGroups[static_cast<std::size_t>(n - 1)];
  if (n == 1) {
    for (TQZRCol& c : aColumns) c.lLastValue = false;
  }
  g.Reset(*this);
  g.lNeedStart = false;
  if (!While() || !g.lHeader) return;
  // One printed line for each heading line number; the caption opens the first.
  std::vector<std::pair<int, std::string>> lines;
  for (const TQZRGroup::Heading& h : g.aHeadings) {
    const std::string text = h.bText ? h.bText() : std::string();
    if (lines.empty() || h.nLine > lines.back().first) lines.emplace_back(h.nLine, std::string());
    std::string& line = lines.back().second;
    if (!text.empty()) line += (line.empty() ? "" : " ") + text;
  }
  if (lines.empty()) lines.emplace_back(1, std::string());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string text = (i == 0 ? g.cHeader : std::string()) + lines[i].second;
    StartLine(line_height_);
    device_->Say(nRow, aColumns.front().nCol, text, g.nFont, 0, 1);
    nRow += line_height_;
    lFirstRow = false;
  }
}

void TQZReport::GroupTotal(const TQZRGroup& group, int row) {
  if (!lTotal) return;
  for (std::size_t i = 0; i < aColumns.size(); ++i) {
    const TQZRCol& c = aColumns[i];
    if (c.lTotal) device_->Say(row, c.nCol, c.TotalText(group.aTotal[i]), c.aFonts[3], c.nWidth, c.nPad);
  }
}

void TQZReport::EndGroup(int n, bool eject) {
  TQZRGroup& g = aGroups[static_cast<std::size_t>(n - 1)];
  if (!lSummary && lTotal) {
    StartLine(2 * line_height_);
    TotalLine(nGroupLine);
  }
  if (g.lFooter || lTotal) {
    if (lSummary || !lTotal) StartLine(line_height_);
    if (g.lFooter) device_->Say(nRow, aColumns.front().nCol, g.cFooter, g.nFootFont > 0 ? g.nFootFont : g.nFont, 0, 1);
    GroupTotal(g, nRow);
  }
  nRow += line_height_;
  lFirstRow = false;
  if (g.lEject && eject && While() && For()) EndPage();  // a footer was just printed: never the first row
  g.nCounter = 0;
  g.lNeedStart = true;
}

void TQZReport::End() {
  if (ended_) return;
  ended_ = true;
  lFinish = true;
  if (device_ == nullptr) return;
  if (!lCreated || !lStable) {
    device_->End();
    return;
  }
  if (!lBreak && bEnd) bEnd(*this);
  if (nPage > 0) EndPage();
  device_->End();
}

}  // namespace reports
