// TQZReport: how its pieces are drawn: column titles, data and totals, rules, the grid,
// separators, underlines, shading and the page totals. A text file draws rules as rows of
// "-" and the grid as "|"; it has no shading and no underlines.
#include <algorithm>
#include <optional>
#include <string>

#include "reports/report_engine.h"
#include "runtime/lib/strings.h"

namespace reports {
std::pair<int, int> TQZReport::Span() const {
  if (aColumns.empty()) return {nMargin, nRptWidth};
  int left = aColumns.front().nCol, right = 0;
  for (const TQZRCol& c : aColumns) {
    left = std::min(left, c.nCol);
    right = std::max(right, c.nCol + c.nWidth);
  }
  return {left, std::max({right - left, oHeader.nWidth, oTitle.nWidth, oFooter.nWidth})};
}

std::optional<std::uint32_t> TQZReport::TextColour(int font) const {
  if (aClrText.empty()) return std::nullopt;
  if (font < 1 || font > static_cast<int>(aClrText.size())) font = 1;
  return aClrText[static_cast<std::size_t>(font - 1)];
}

void TQZReport::SayText(int row, int col, std::string_view text, int font, int width, int pad) {
  if (const std::optional<std::uint32_t> colour = TextColour(font))
    device_->SayColour(row, col, text, font, width, pad, *colour);
  else
    device_->Say(row, col, text, font, width, pad);
}

void TQZReport::SayLine(const TQZRLine& line, int offset) {
  if (line.Text(0).empty()) return;
  const auto [left, width] = Span();
  for (std::size_t i = 0; i < line.aLine.size() && i < line.aRow.size(); ++i) {
    int col = line.nCol;
    if (line.aLine[i].nPad == 2) col = left + width - line.aWidth[i];
    else if (line.aLine[i].nPad == 3) col = left + width / 2 - line.aWidth[i] / 2;
    SayText(line.aRow[i] + offset, col, line.Text(i), line.Font(i), 0, 1);
  }
}

void TQZReport::SayTitle(std::size_t i, int row, int line, int col) {
  const TQZRCol& c = aColumns[i];
  if (line < 1 || line > c.TitleLines()) return;
  const int pad = device_->IsText() ? 1 : c.nPad;
  SayText(row, col < 0 ? c.nCol : col, c.TitleText(line), c.aFonts[1], c.nWidth, pad);
}

void TQZReport::SayData(std::size_t i, int row, int line, bool group_column, int col) {
  SayValue(i, row, col < 0 ? aColumns[i].nCol : col, line, group_column, aColumns[i].DataValue(line));
}

void TQZReport::SayValue(std::size_t i, int row, int col, int line, bool group_column, const xb::Value& value) {
  if (std::optional<std::string> text = CellText(i, line, group_column, value)) DrawCell(i, row, col, *text);
}

std::optional<std::string> TQZReport::CellText(std::size_t i, int line, bool group_column, const xb::Value& value) {
  TQZRCol& c = aColumns[i];
  if (line < 1 || line > c.DataLines()) return std::nullopt;
  xb::Value shown = value;
  if (c.lAcumulada) {
    const double so_far = aGroups.empty() ? c.nTotal : aGroups.back().aTotal[i];
    shown = xb::Value::Number(TotalNumber(value) + so_far);
  }
  std::string text = c.DataText(shown, line);
  if (group_column) {
    // A group column prints a value only when it changes.
    if (c.aLastValue.size() < static_cast<std::size_t>(line)) c.aLastValue.resize(static_cast<std::size_t>(line));
    std::optional<std::string>& last = c.aLastValue[static_cast<std::size_t>(line - 1)];
    if (last && *last == text) return std::nullopt;
    last = text;
  }
  return text;
}

void TQZReport::DrawCell(std::size_t i, int row, int col, const std::string& text) {
  const TQZRCol& c = aColumns[i];
  SayText(row, col, text, c.aFonts[0], c.nWidth, c.nPad);
  if (c.lUnderline) UnderlineText(i, c.lTextUnd, c.lDobleUnd, row + c.nDataHeight, text);
}

void TQZReport::SayTotal(std::size_t i, int row, double total, int font) {
  const TQZRCol& c = aColumns[i];
  if (!c.lTotal) return;
  SayText(row, c.nCol, c.TotalText(total), font, c.nWidth, c.nPad);
}

void TQZReport::Underline(std::size_t i, bool text, bool twice, int line, int row) {
  const TQZRCol& c = aColumns[i];
  UnderlineText(i, text, twice, row, c.DataText(c.DataValue(line), line));
}

void TQZReport::UnderlineText(std::size_t i, bool text, bool twice, int row, const std::string& shown) {
  const TQZRCol& c = aColumns[i];
  int from = c.nCol, to = c.nCol + c.nWidth;
  if (text) {
    // The text itself, where its alignment put it.
    const int w = device_->TextWidth(xb::AllTrim(shown), c.aFonts[0]);
    if (c.nPad == 2) from = c.nCol + c.nWidth - w;
    else if (c.nPad == 3) from = c.nCol + c.nWidth / 2 - w / 2;
    to = from + w;
  } else if (c.lGrid) {
    from -= nSeparator / 2;
    to += nSeparator / 2;
  }
  if (twice) {
    const int p = device_->PenWidth();
    device_->PenLine(row - p, from, row - p, to, c.nPen);
    device_->PenLine(row + p, from, row + p, to, c.nPen);
  } else {
    device_->PenLine(row, from, row, to, c.nPen);
  }
}

void TQZReport::ColumnSeparator(std::size_t i, int row, bool force) {
  const TQZRCol& c = aColumns[i];
  if (!c.lSeparator && !force) return;
  const int h = c.lGrid ? nSeparator / 2 : 0;
  device_->PenLine(row, c.nCol - h, row, c.nCol + c.nWidth + h, c.nPen);
}

void TQZReport::Shadow(int height) {
  if (!lGlobalShadow) return;
  lThisShadow = !lThisShadow;
  if (!lThisShadow) return;
  // The brush is made once, in the colour of that moment.
  if (!nShdBrush) nShdBrush = nClrShadow;
  for (const TQZRCol& c : aColumns) device_->FillRect(nRow, c.nCol, nRow + height, c.nCol + c.nWidth, *nShdBrush);
}

void TQZReport::Grid(int height, int row) {
  if (!lGrid || height <= 0) return;
  if (device_->IsText()) {
    for (int r = row; r < row + height; ++r) {
      for (const TQZRCol& c : aColumns) {
        if (!c.lGrid) continue;
        if (c.nCol > 1) device_->Say(r, c.nCol - 1, "|", 1, 0, 1);
        device_->Say(r, c.nCol + c.nWidth, "|", 1, 0, 1);
      }
    }
    return;
  }
  const int half = nSeparator / 2;
  for (const TQZRCol& c : aColumns) {
    if (!c.lGrid) continue;
    device_->PenLine(row, c.nCol - half, row + height, c.nCol - half, c.nPen);
    device_->PenLine(row, c.nCol + c.nWidth + half, row + height, c.nCol + c.nWidth + half, c.nPen);
  }
}

void TQZReport::TotalLine(int kind, int pos) {
  if (kind != 1 && kind != 2) return;
  if (device_->IsText()) {
    for (const TQZRCol& c : aColumns) device_->Say(nRow, c.nCol, std::string(static_cast<std::size_t>(c.nWidth), '-'), 1, 0, 1);
    const TQZRCol& first = aColumns.front();
    const TQZRCol& last = aColumns.back();
    if (first.lGrid && first.nCol > 1) device_->Say(nRow, first.nCol - 1, "|", 1, 0, 1);
    if (last.lGrid) device_->Say(nRow, last.nCol + last.nWidth, "|", 1, 0, 1);
    nRow += nStdLineHeight;
    return;
  }
  const int w = device_->PenWidth() * 10;
  const int join = lJoin ? nSeparator / 2 : 0;
  auto rule = [&](int row) {
    for (const TQZRCol& c : aColumns) device_->PenLine(row, c.nCol - join, row, c.nCol + c.nWidth + join, 0);
  };
  // The grid reaches the rule from above (0), from below (1) or across it (2).
  if (kind == 1) {
    if (pos == 0) Grid(w / 2, nRow);
    else if (pos == 1) Grid(w / 2, nRow + w / 2);
    else Grid(w, nRow);
    rule(nRow + w / 2);
  } else {
    if (pos == 0) Grid(w * 3 / 5, nRow);
    else if (pos == 1) Grid(w * 3 / 5, nRow + w * 2 / 5);
    else Grid(w, nRow);
    rule(nRow + w * 2 / 5);
    rule(nRow + w * 3 / 5);
  }
  nRow += w;
}

void TQZReport::Separator(int pen) {
  if (device_->IsText()) {
    for (const TQZRCol& c : aColumns) {
      if (c.nCol > 1) device_->Say(nRow, c.nCol - 1, "|", 1, 0, 1);
      device_->Say(nRow, c.nCol, std::string(static_cast<std::size_t>(c.nWidth), '-'), 1, 0, 1);
      device_->Say(nRow, c.nCol + c.nWidth, "|", 1, 0, 1);
    }
    nRow += nStdLineHeight;
    return;
  }
  const auto [left, width] = Span();
  const int half = nSeparator / 2;
  if (pen < 1 || pen >= device_->PenCount()) pen = 0;
  device_->PenLine(nRow, left - (aColumns.front().lGrid ? half : 0), nRow,
                   left + width + (aColumns.back().lGrid ? half : 0), pen);
  nRow += 4 * device_->PenWidth();
}

void TQZReport::PageTotal() {
  if (!lTotal) {
    if (lSeparator || lJoin) TotalLine(nTotalLine, 0);
    return;
  }
  // Totals stand on their columns' printed lines.
  const int depth = TotalsDepth();
  if (lBoxOnTotal) {
    TotalLine(nTotalLine, 2);
    Grid(nStdLineHeight + depth, nRow);
  } else {
    TotalLine(nTotalLine, 0);
  }
  const std::string& label = lFinish ? cGrandTotal : cPageTotal;
  if (!label.empty()) SayText(nRow, aColumns.front().nCol, label, nTotalFont, 0, 1);
  if (lFinish || !cPageTotal.empty()) {
    for (std::size_t i = 0; i < aColumns.size(); ++i)
      SayTotal(i, nRow + LineOffset(aColumns[i].nLinea), aColumns[i].nTotal, aColumns[i].aFonts[2]);
  }
  nRow += depth;
  // Boxed totals close under their line; the others keep a blank line after them.
  if (lBoxOnTotal) {
    nRow += nStdLineHeight;
    TotalLine(nTotalLine, 0);
  } else {
    nRow += 2 * nStdLineHeight;
  }
}

}  // namespace reports
