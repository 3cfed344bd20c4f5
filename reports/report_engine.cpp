#include "reports/report_engine.h"

#include <algorithm>
#include <cmath>

#include "data/value_text.h"
#include "runtime/block.h"
#include "runtime/lib/numbers.h"
#include "runtime/lib/picture.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/number.h"
#include "runtime/symbol.h"

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

std::string NumberText(double value, const std::string& picture) {
  const int decimals = PictureDecimals(picture);
  const xb::Value rounded = xb::Value::Double(Round(value, decimals), decimals);
  if (picture.empty()) return std::string(xb::AllTrim(xb::NumberToStr(rounded)));
  return WithoutBlanks(xb::Transform(rounded, xb::Picture(picture)));
}

// The pieces of an expression joined by "+" outside strings and parentheses.
std::vector<std::string> PlusPieces(const std::string& expr) {
  std::vector<std::string> pieces(1);
  int depth = 0;
  char quote = 0;
  for (char c : expr) {
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '(' || c == '[' || c == '{') {
      ++depth;
    } else if (c == ')' || c == ']' || c == '}') {
      --depth;
    } else if (c == '+' && depth == 0) {
      pieces.emplace_back();
      continue;
    }
    pieces.back() += c;
  }
  return pieces;
}

// The text of an expression's value; "" when it does not compile.
std::string EvalText(const std::string& expr, const std::vector<xb::Value>& args = {}, bool with_group = false) {
  const std::string text(xb::AllTrim(expr));
  if (text.empty()) return {};
  const std::string source = with_group ? "{ | cGrupo | " + text + " }" : "{ || " + text + " }";
  if (xb::CheckSyntax(source)) return {};
  return data::ValueText(xb::MacroBlock(source).Call(args));
}

}  // namespace

double TotalNumber(const xb::Value& value) {
  if (value.IsNumber()) return value.AsDouble();
  if (!value.IsString()) return 0;
  std::string text(value.AsString());
  std::erase(text, '.');
  std::replace(text.begin(), text.end(), ',', '.');
  const xb::Value number = xb::Val(text);
  return number.IsNumber() ? number.AsDouble() : 0;
}

std::string TransHoras(const xb::Value& minutes, int size) {
  double total = 0;
  if (minutes.IsNumber()) total = minutes.AsDouble();
  else if (minutes.IsString()) total = TotalNumber(xb::Value::String(xb::AllTrim(minutes.AsString())));
  if (size < 8) return "";
  const bool negative = total < 0;
  const auto whole = static_cast<std::int64_t>(std::fabs(total));
  const std::string hours = xb::NumberToStr(xb::Value::Integer(whole / 60), size - 7);
  const std::string mins = xb::NumberToStr(xb::Value::Integer(whole % 60), 2);
  const std::string text = (negative ? "- " : "") + std::string(xb::LTrim(hours)) + " h, " + mins + "'";
  return std::string(xb::AllTrim(text));
}

// ---- lines, columns and groups ---------------------------------------------------------------------

void TQZRLine::Add(std::string text, int font, int pad) {
  aLine.push_back({[text = std::move(text)] { return text; }, font, pad, nullptr});
}

std::string TQZRLine::Text(std::size_t line) const {
  return line < aLine.size() && aLine[line].bText ? aLine[line].bText() : std::string();
}

int TQZRLine::Font(std::size_t line) const {
  if (line >= aLine.size()) return 1;
  return std::max(1, aLine[line].bFont ? aLine[line].bFont() : aLine[line].nFont);
}

void TQZRLine::Stabilize(ReportDevice& device, int top, int col) {
  aRow.assign(aLine.size(), top);
  aWidth.assign(aLine.size(), 0);
  nCol = col;
  nHeight = nWidth = 0;
  if (Text(0).empty()) return;
  int row = top;
  for (std::size_t i = 0; i < aLine.size(); ++i) {
    aRow[i] = row;
    aWidth[i] = device.TextWidth(Text(i), Font(i));
    nWidth = std::max(nWidth, aWidth[i]);
    row += device.TextHeight(Font(i));
  }
  nHeight = row - top;
}

std::string TQZRCol::TitleText(int line) const {
  if (aTitle.empty()) return line == 1 ? cTitle : std::string();
  return line >= 1 && line <= static_cast<int>(aTitle.size()) ? aTitle[static_cast<std::size_t>(line - 1)] : std::string();
}

xb::Value TQZRCol::DataValue(int line) const {
  const std::function<xb::Value()>* block = nullptr;
  if (aData.empty()) {
    if (line == 1) block = &bData;
  } else if (line >= 1 && line <= static_cast<int>(aData.size())) {
    block = &aData[static_cast<std::size_t>(line - 1)].bData;
  }
  return block != nullptr && *block ? (*block)() : xb::Value::String("");
}

const std::string& TQZRCol::Picture(int line) const {
  if (aData.empty() || line < 1 || line > static_cast<int>(aData.size())) return cPicture;
  return aData[static_cast<std::size_t>(line - 1)].cPicture;
}

std::string TQZRCol::DataText(const xb::Value& value, int line) const {
  const std::string& picture = Picture(line);
  if (cTipoCol == "H") return TransHoras(value, nSize);
  if (cTipoCol == "N" && value.IsNumber()) return NumberText(value.AsDouble(), picture);
  if (picture.empty()) {
    if (value.IsString()) return std::string(value.AsString());
    return xb::Transform(value, xb::Picture(""));
  }
  return xb::Transform(value, xb::Picture(picture));
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

std::string TQZRGroup::ConstruyeTexto(std::string cText, const std::string& cExpr) const {
  // Pieces that apply a function to the group's value are called with it; the runs of other
  // pieces between them are evaluated as one expression each.
  std::string run;
  auto flush = [&] {
    if (!run.empty()) cText += EvalText(run);
    run.clear();
  };
  for (const std::string& piece : PlusPieces(cExpr)) {
    if (xb::UpperName(piece).find("(CGRUPO)") != std::string::npos) {
      flush();
      cText += EvalText(piece, {xb::Value::String(cValue)}, true);
    } else {
      run += (run.empty() ? "" : "+") + piece;
    }
  }
  flush();
  return cText;
}

// ---- the report --------------------------------------------------------------------------------------

TQZReport::TQZReport(ReportDevice* device) { SetDevice(device); }

void TQZReport::SetDevice(ReportDevice* device) {
  device_ = device;
  lCreated = device_ != nullptr && device_->Ready();
}

int TQZReport::PrintedLines() const {
  int lines = 1;
  for (const TQZRCol& c : aColumns) lines = std::max(lines, c.nLinea);
  return lines;
}

int TQZReport::TitleOffset(int line) const {
  return line >= 1 && line < static_cast<int>(title_offset_.size()) ? title_offset_[static_cast<std::size_t>(line)] : 0;
}

int TQZReport::LineOffset(int line) const {
  return line >= 1 && line < static_cast<int>(line_offset_.size()) ? line_offset_[static_cast<std::size_t>(line)] : 0;
}

int TQZReport::DataLineHeight(int line) const {
  const int own = line >= 1 && line <= static_cast<int>(aDataHeight.size()) ? aDataHeight[static_cast<std::size_t>(line - 1)]
                                                                          : nStdLineHeight;
  return LineOffset(PrintedLines()) + own;
}

int TQZReport::TotalsDepth() const {
  int line = 1;
  for (const TQZRCol& c : aColumns)
    if (c.lTotal) line = std::max(line, c.nLinea);
  return LineOffset(line);
}

int TQZReport::RuleHeight() { return device_->IsText() ? nStdLineHeight : device_->PenWidth() * 10; }

int TQZReport::SeparatorHeight() { return device_->IsText() ? nStdLineHeight : 4 * device_->PenWidth(); }

int TQZReport::FooterHeight(const TQZRGroup& g) {
  int height = g.lFooter ? g.nFooterHeight : 0;
  if (lTotal) {
    for (const TQZRCol& c : aColumns)
      if (c.lTotal) height = std::max(height, device_->TextHeight(c.aFonts[3]));
  }
  return height > 0 ? height : nStdLineHeight;
}

void TQZReport::ApplyAdded() {
  for (std::size_t i = 0; i < aColumns.size(); ++i) {
    if (i < aLineCol.size()) aColumns[i].nLinea = std::max(1, aLineCol[i]);
    if (i < aColGroup.size()) aColumns[i].lGroupCol = aColGroup[i];
  }
  for (std::size_t n = 0; n < aGroups.size() && n < aHeadGroup.size(); ++n) {
    TQZRGroup& g = aGroups[n];
    g.aHeadings.clear();
    for (std::size_t i = 0; i < aHeadGroup[n].size(); ++i) {
      const int line = n < aLineGroup.size() && i < aLineGroup[n].size() ? aLineGroup[n][i] : 1;
      const std::string& expr = aHeadGroup[n][i];
      g.aHeadings.push_back({line, [this, n, expr] { return aGroups[n].ConstruyeTexto("", expr); },
                             xb::AllTrim(expr).empty()});
    }
  }
}

void TQZReport::Stabilize() {
  lStable = false;
  if (!lCreated) return;
  if (aColumns.empty()) {
    lCreated = false;
    return;
  }
  ApplyAdded();
  ReportDevice& d = *device_;
  nAltoCabecera = d.MmToRow(nAltoCabMM);
  nMargenIzdo = d.MmToCol(nMgIzMM);
  nDnMargin = d.MmToRow(nMgDnMM);
  if (nSeparator <= 0) nSeparator = std::max(1, d.TextWidth(cCharPattern, nStdFont));
  nStdLineHeight = std::max(1, d.TextHeight(nStdFont));
  nTopMargin = static_cast<int>(d.LogPixY() * 0.2);
  nLeftMargin = nRightMargin = static_cast<int>(d.LogPixX() * 0.2);

  lTotal = lShadow = lGrid = false;
  lGroup = !aGroups.empty();
  nMaxTitle = nMaxData = 1;
  int title_height = 1, data_height = 1;
  for (std::size_t i = 0; i < aColumns.size(); ++i) {
    StabilizeColumn(i);
    const TQZRCol& c = aColumns[i];
    lTotal = lTotal || c.lTotal;
    lShadow = lShadow || c.lShadow;
    lGrid = lGrid || c.lGrid;
    nMaxTitle = std::max(nMaxTitle, c.TitleLines());
    nMaxData = std::max(nMaxData, c.DataLines());
    title_height = std::max(title_height, c.nTitleHeight);
    data_height = std::max(data_height, c.nDataHeight);
  }
  // Each printed line of a band lies below the one before by its columns' tallest title (in
  // the data, at least by their tallest value, so that lines never overlap).
  const int printed = PrintedLines();
  title_offset_.assign(static_cast<std::size_t>(printed) + 1, 0);
  line_offset_.assign(static_cast<std::size_t>(printed) + 1, 0);
  for (int line = 1; line < printed; ++line) {
    int title = 0, data = 0;
    for (const TQZRCol& c : aColumns) {
      if (c.nLinea != line) continue;
      title = std::max(title, c.nTitleHeight);
      data = std::max({data, c.nTitleHeight, c.nDataHeight});
    }
    title_offset_[static_cast<std::size_t>(line) + 1] = title_offset_[static_cast<std::size_t>(line)] + title;
    line_offset_[static_cast<std::size_t>(line) + 1] = line_offset_[static_cast<std::size_t>(line)] + data;
  }
  for (std::size_t n = 0; n < aGroups.size(); ++n) StabilizeGroup(static_cast<int>(n) + 1);
  oHeader.Stabilize(d, 0);
  oTitle.Stabilize(d, 0);
  oFooter.Stabilize(d, 0);

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
  nRptWidth = std::max({0, oHeader.nWidth, oTitle.nWidth, oFooter.nWidth});
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
  aCols.clear();
  for (const TQZRCol& c : aColumns) aCols.push_back(c.nCol);

  // Header and title lines below the designed header, the footer above the bottom margin.
  const int rule = RuleHeight();
  const int left = Span().first;
  oHeader.Stabilize(d, nTopMargin + nAltoCabecera, left);
  oTitle.Stabilize(d, nTopMargin + nAltoCabecera + oHeader.nHeight, left);
  oFooter.Stabilize(d, d.Height() - oFooter.nHeight - nDnMargin, left);
  nTitleRow = oHeader.nHeight + oTitle.nHeight + nTopMargin;
  aDataHeight.assign(static_cast<std::size_t>(nMaxData), data_height);
  nBottomRow = d.Height() - oFooter.nHeight - nDnMargin - (lTotal ? nStdLineHeight + data_height + TotalsDepth() : 0) -
               (lSeparator || (lJoin && !lTotal) ? rule : 0) - (lBoxOnTotal ? nStdLineHeight : 0);
  nTitleHeight = nMaxTitle * title_height;
  nFirstDRow = nTitleRow + nTitleHeight + (nTitleUpLine != 0 ? nStdLineHeight : 0) +
               (nTitleDnLine != 0 ? nStdLineHeight : 0);
  nLastDRow = nBottomRow - (lTotal ? nStdLineHeight / 2 : 0);
  lStable = true;
  lFinish = false;
}

void TQZReport::StabilizeColumn(std::size_t i) {
  ReportDevice& d = *device_;
  TQZRCol& c = aColumns[i];
  c.nOrder = static_cast<int>(i) + 1;
  c.nDataHeight = d.TextHeight(c.aFonts[0]);
  c.nTitleHeight = d.TextHeight(c.aFonts[1]);
  const int pattern = std::max(1, d.TextWidth(cCharPattern, c.aFonts[0]));
  if (c.nSize > 0) {
    c.nWidth = c.nSize * pattern;
  } else {
    // As wide as its widest title or value, in pattern characters.
    const int title_pattern = std::max(1, d.TextWidth(cCharPattern, c.aFonts[1]));
    int widest = 1;
    for (int line = 1; line <= c.TitleLines(); ++line)
      widest = std::max(widest, static_cast<int>(c.TitleText(line).size()) * title_pattern);
    for (int line = 1; line <= c.DataLines(); ++line)
      widest = std::max(widest, static_cast<int>(c.DataText(c.DataValue(line), line).size()) * pattern);
    c.nWidth = widest;
  }
  c.nCol = c.nAnchoCol > 0 ? nMargenIzdo + c.nAnchoCol * std::max(1, d.TextWidth("b", c.aFonts[0])) : 0;
  c.aLastValue.clear();
  c.nTotal = 0;
}

void TQZReport::StabilizeGroup(int n) {
  ReportDevice& d = *device_;
  TQZRGroup& g = aGroups[static_cast<std::size_t>(n - 1)];
  g.nOrder = n;
  // Without a caption, a heading entry that is not blank makes the heading.
  g.lHeader = !g.cHeader.empty() ||
              std::any_of(g.aHeadings.begin(), g.aHeadings.end(), [](const TQZRGroup::Heading& h) { return !h.lBlank; });
  g.lFooter = !g.cFooter.empty();
  g.nHeaderHeight = g.lHeader ? d.TextHeight(g.nFont) : 0;
  g.nFooterHeight = g.lFooter ? d.TextHeight(g.FootFont()) : 0;
  g.aTotal.assign(aColumns.size(), 0.0);
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
  // A preview device was left open for its pages to be shown.
  if (bPreview) bPreview(*this);
  else if (device_->IsScreen()) device_->End();
  return nPage > 0;
}

void TQZReport::Run(const Hook& hook, bool& running) {
  if (!hook || running) return;
  running = true;
  hook(*this);
  running = false;
}

void TQZReport::Skip() {
  ++nCounter;
  Run(bChange, in_change_);
  if (bSkip) bSkip();
}

void TQZReport::nLineaReg(int n) {
  if (n < 2 || n > static_cast<int>(aColumns.size())) return;
  const int line = aColumns[static_cast<std::size_t>(n - 2)].nLinea;
  if (aColumns[static_cast<std::size_t>(n - 1)].nLinea == line) return;
  int height = 0;
  for (int i = n - 2; i >= 0 && aColumns[static_cast<std::size_t>(i)].nLinea == line; --i)
    height = std::max(height, aColumns[static_cast<std::size_t>(i)].nTitleHeight);
  nRow += height;
}

void TQZReport::Play() {
  StartPage();
  Run(bInit, in_init_);
  if (!aGroups.empty()) {
    while (While() && !For()) Skip();
    for (std::size_t i = 0; i < aGroups.size(); ++i) {
      aGroups[i].Reset(*this);
      StartGroup(static_cast<int>(i) + 1);
    }
  }
  const int least = std::max(nLineasReg, 1) * (aDataHeight.empty() ? nStdLineHeight : aDataHeight.front());
  while (!lBreak && While()) {
    if (bRefresh) bRefresh();
    if (lBreak) break;
    if (!For()) {
      Skip();
      continue;
    }
    for (TQZRGroup& g : aGroups) ++g.nCounter;
    const int page = nPage;
    int top = nRow;
    // Each data line holds the columns' printed lines, one under the other.
    for (int line = 1; line <= nMaxData; ++line) {
      nDataLine = line;
      const int height = DataLineHeight(line);
      if (!lSummary) {
        StartLine(height, lSeparator && line == 1);
        if (line == 1) top = nRow;
      }
      const int row = nRow;
      for (std::size_t i = 0; i < aColumns.size(); ++i) {
        TQZRCol& c = aColumns[i];
        if (line > c.DataLines()) continue;
        const xb::Value value = c.DataValue(line);
        if (!lSummary) {
          SayValue(i, row + LineOffset(c.nLinea), c.nCol, line, c.lGroupCol, value);
        } else if (c.lGroupCol) {
          // A summary's group value waits for the line it stands on, its group's footing, so
          // that the line's shading does not cover it.
          if (std::optional<std::string> text = CellText(i, line, true, value))
            pending_.push_back({i, LineOffset(c.nLinea), c.nCol, std::move(*text)});
        }
        AddTotals(i, line, value);
      }
      nRow = row;
      if (!lSummary) EndLine(height);
    }
    // A record takes at least its lines.
    if (!lSummary && nPage == page && nRow < top + least) {
      Grid(top + least - nRow, nRow);
      nRow = top + least;
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

void TQZReport::AddTotals(std::size_t i, int line, const xb::Value& shown) {
  TQZRCol& c = aColumns[i];
  if (!((lTotal && c.lTotal && (!c.bTotalFor || c.bTotalFor())) || c.lAcumulada)) return;
  const TQZRCol::DataLine* own = c.aData.empty() ? nullptr : &c.aData[static_cast<std::size_t>(line - 1)];
  const xb::Value value = own != nullptr && own->bTotal ? own->bTotal() : shown;
  if (!value.IsNumber() && !value.IsString()) return;
  const double n = TotalNumber(value);
  c.nTotal += n;
  for (TQZRGroup& g : aGroups) g.aTotal[i] += n;
}

void TQZReport::StartLine(int height, bool separator) {
  if (nRow + height + (separator && !lFirstRow ? SeparatorHeight() : 0) > nBottomRow) EndPage();
  if (separator && !lFirstRow) Separator();
  Shadow(height);
  Grid(height, nRow);
  DrawPending();
  Run(bStartLine, in_start_line_);
}

void TQZReport::DrawPending() {
  std::vector<Cell> cells;
  cells.swap(pending_);
  for (const Cell& cell : cells) DrawCell(cell.column, nRow + cell.offset, cell.col, cell.text);
}

void TQZReport::EndLine(int height) {
  Run(bEndLine, in_end_line_);
  nRow += height;
  lFirstRow = false;
}

void TQZReport::StartPage() {
  device_->StartPage();
  ++nPage;
  if (bPageShown) bPageShown(nPage);
  nRow = 0;
  Run(bStartPage, in_start_page_);
  SayLine(oHeader);
  SayLine(oTitle);
  ColTitle();
  lFirstRow = true;
}

void TQZReport::EndPage() {
  DrawPending();
  Run(bEndPage, in_end_page_);
  PageTotal();
  SayLine(oFooter);
  Run(bPostPage, in_end_page_);
  if (lFinish) Run(bPostEnd, in_end_page_);
  device_->EndPage();
  if (!lFinish) StartPage();
}

void TQZReport::ColTitle() {
  nRow += nTitleRow;
  TotalLine(nTitleUpLine, 1);
  const int printed = PrintedLines();
  int tallest = 1;
  for (const TQZRCol& c : aColumns) tallest = std::max(tallest, c.nTitleHeight);
  const int step = TitleOffset(printed) + tallest;
  for (int line = 1; line <= nMaxTitle; ++line) {
    if (nTitleUpLine == 0) Grid(step, nRow);
    for (std::size_t i = 0; i < aColumns.size(); ++i) SayTitle(i, nRow + TitleOffset(aColumns[i].nLinea), line);
    nRow += step;
  }
  TotalLine(nTitleDnLine, 2);
  lFirstRow = true;
}

void TQZReport::StartGroup(int n) {
  TQZRGroup& g = aGroups[static_cast<std::size_t>(n - 1)];
  if (n == 1) {
    for (TQZRCol& c : aColumns) c.aLastValue.clear();
  }
  g.Reset(*this);
  g.lNeedStart = false;
  if (!While()) return;
  Run(bStartGroup, in_start_group_);
  if (!g.lHeader) return;
  // One printed line for each heading line number; the caption opens the first.
  std::vector<std::pair<int, std::string>> lines;
  for (const TQZRGroup::Heading& h : g.aHeadings) {
    const std::string text = h.bText ? h.bText() : std::string();
    if (lines.empty() || h.nLine > lines.back().first) lines.emplace_back(h.nLine, std::string());
    std::string& line = lines.back().second;
    if (!text.empty()) line += (line.empty() ? "" : " ") + text;
  }
  if (lines.empty()) lines.emplace_back(1, std::string());
  const int height = std::max(g.nHeaderHeight, 1);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string text = (i == 0 ? g.cHeader : std::string()) + lines[i].second;
    StartLine(height);
    GroupHeader(n, nRow, text);
    EndLine(height);
  }
}

void TQZReport::GroupHeader(int n, int row, const std::string& text) {
  const TQZRGroup& g = aGroups[static_cast<std::size_t>(n - 1)];
  if (g.lHeader) SayText(row, aColumns.front().nCol, text, g.nFont, 0, 1);
}

void TQZReport::GroupFooter(int n, int row) {
  const TQZRGroup& g = aGroups[static_cast<std::size_t>(n - 1)];
  if (g.lFooter) SayText(row, aColumns.front().nCol, g.cFooter, g.FootFont(), 0, 1);
  GroupTotal(n, row);
}

void TQZReport::GroupTotal(int n, int row) {
  if (!lTotal) return;
  const TQZRGroup& g = aGroups[static_cast<std::size_t>(n - 1)];
  for (std::size_t i = 0; i < aColumns.size(); ++i)
    SayTotal(i, row + LineOffset(aColumns[i].nLinea), g.aTotal[i], aColumns[i].aFonts[3]);
}

void TQZReport::EndGroup(int n, bool eject) {
  TQZRGroup& g = aGroups[static_cast<std::size_t>(n - 1)];
  Run(bEndGroup, in_end_group_);
  // The footing and the subtotals, which stand on their columns' printed lines.
  const int depth = lTotal ? TotalsDepth() : 0;
  const int height = FooterHeight(g) + depth;
  if (!lSummary && lTotal) {
    StartLine(2 * height - depth);
    TotalLine(nGroupLine);
  }
  if (g.lFooter || lTotal) {
    StartLine(height);
    GroupFooter(n, nRow);
    EndLine(height);
  } else {
    nRow += nStdLineHeight;
  }
  Run(bPostGroup, in_end_group_);
  if (!lFirstRow && g.lEject && eject && While() && For()) EndPage();
  g.nCounter = 0;
  g.lNeedStart = true;
}

void TQZReport::End() {
  if (ended_) return;
  ended_ = true;
  lFinish = true;
  if (!lCreated || !lStable) {
    // Nothing was printed; the device ends and the end block still runs (it tidies up after
    // the run).
    nShdBrush.reset();
    if (device_ != nullptr) {
      device_->FreeDrawing();
      device_->End();
    }
    if (bEnd) bEnd(*this);
    return;
  }
  if (!lBreak && bEnd) bEnd(*this);
  if (nPage > 0) EndPage();
  // The preview takes over a screen device.
  if (!device_->IsScreen()) device_->End();
  nShdBrush.reset();
  device_->FreeDrawing();
}

}  // namespace reports
