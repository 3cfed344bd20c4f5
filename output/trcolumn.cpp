#include "output/trcolumn.h"

#include <algorithm>

#include "output/treport.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "ui/core/value_text.h"

namespace output {
namespace {

xb::Value Const(xb::Value v) {
  return xb::Value(xb::Block::Native([v](xb::Args&) { return v; }));
}

std::string Transform(const xb::Value& value, const std::string& picture) {
  const xb::Value text = xb::CallFunction("TRANSFORM", {value, xb::Value::String(picture)});
  return text.IsString() ? std::string(text.AsString()) : ui::CValToChar(value);
}

int IndexOf(const xb::Value& block) {
  const xb::Value v = TReport::Eval(block);
  return v.IsNumber() ? static_cast<int>(v.AsInt()) : 1;
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

TRColumn::TRColumn() : xb::Object(Cls()) {}

void TRColumn::Traverse(xb::GcVisitor& visitor) {
  Object::Traverse(visitor);
  for (const auto* list : {&aData, &aTitle})
    for (const xb::Value& v : *list)
      if (xb::GcObject* t = v.GcTarget()) visitor.Visit(t);
  for (const xb::Value* v : {&bDataFont, &bTitleFont, &bTotalFont, &bTotalExpr, &bColor, &Cargo})
    if (xb::GcObject* t = v->GcTarget()) visitor.Visit(t);
}

void TRColumn::ClearValues() {
  Object::ClearValues();
  aData.clear();
  aTitle.clear();
  bDataFont = bTitleFont = bTotalFont = bTotalExpr = bColor = Cargo = xb::Value();
}

xb::Ref<TRColumn> TRColumn::New(const NewParams& params, TReport* report) {
  auto column = xb::MakeRef<TRColumn>();
  column->Init(params, report);
  return column;
}

void TRColumn::Init(const NewParams& p, TReport* report) {
  oReport = report;
  aTitle = p.titles;
  if (aTitle.empty()) aTitle.push_back(Const(xb::Value::String("")));
  aData = p.data;
  if (aData.empty()) aData.push_back(Const(xb::Value::String("")));
  nCol = p.col;
  nSize = p.size;
  bDataFont = p.data_font.IsBlock() ? p.data_font : Const(xb::Value::Integer(1));
  bTitleFont = Const(xb::Value::Integer(1));
  bTotalFont = bDataFont;
  lTotal = p.total;
  bTotalExpr = p.total_expr;
  lTotalExpr = p.total_expr.IsBlock();
  lShadow = p.shadow;
  lGrid = p.grid;
  nPen = p.pen > 0 ? p.pen : 1;
  cTotalPict = p.pictures.empty() ? std::string() : p.pictures.front();
  aPicture = p.pictures;
  aPicture.resize(aData.size(), cTotalPict);
  const std::string align = Upper(p.align);
  if (align == "LEFT") nPad = 1;
  else if (align == "RIGHT") nPad = 2;
  else if (align == "CENTER" || align == "CENTERED") nPad = 3;
  else if (!align.empty()) nPad = 1;
  else nPad = TReport::Eval(aData.front()).IsNumber() ? 2 : 1;
}

int TRColumn::DataFont() const { return IndexOf(bDataFont); }
int TRColumn::TitleFont() const { return IndexOf(bTitleFont); }
int TRColumn::TotalFont() const { return IndexOf(bTotalFont); }

std::string TRColumn::DataText(int line) const {
  if (line < 1 || line > static_cast<int>(aData.size())) return {};
  const std::size_t i = static_cast<std::size_t>(line - 1);
  return Transform(TReport::Eval(aData[i]), aPicture[i]);
}

std::string TRColumn::TitleText(int line) const {
  if (line < 1 || line > static_cast<int>(aTitle.size())) return {};
  const xb::Value v = TReport::Eval(aTitle[static_cast<std::size_t>(line - 1)]);
  return v.IsString() ? std::string(v.AsString()) : ui::CValToChar(v);
}

std::string TRColumn::TotalText(double total) const { return Transform(xb::Value::Number(total), cTotalPict); }

void TRColumn::Stabilize(int order) {
  PageDevice* device = oReport->Device();
  const std::string pattern = oReport->cCharPattern;
  ui::TFont* data_font = oReport->Font(DataFont());
  ui::TFont* title_font = oReport->Font(TitleFont());
  nDataHeight = device->GetTextHeight(pattern, data_font);
  nTitleHeight = device->GetTextHeight(pattern, title_font);
  auto pattern_width = [&](std::size_t n, ui::TFont* font) {
    std::string run;
    for (std::size_t i = 0; i < n; ++i) run += pattern;
    return device->GetTextWidth(run, font);
  };
  if (nSize > 0) {
    nWidth = pattern_width(static_cast<std::size_t>(nSize), data_font);
    return;
  }
  for (int line = 1; line <= static_cast<int>(aData.size()); ++line)
    nWidth = std::max(nWidth, pattern_width(DataText(line).size(), data_font));
  for (int line = 1; line <= static_cast<int>(aTitle.size()); ++line)
    nWidth = std::max(nWidth, pattern_width(TitleText(line).size(), title_font));
  nOrder = order;
}

void TRColumn::SayTitle(int row, int col, int line) {
  if (line < 1 || line > static_cast<int>(aTitle.size())) return;
  nCurLine = line;
  const int font = TitleFont();
  oReport->Device()->Say(row, col, TitleText(line), oReport->Font(font), nWidth, oReport->TextColour(font),
                         kTransparent, static_cast<Pad>(nPad - 1));
}

void TRColumn::SayData(int row, int col, int line) {
  if (line < 1 || line > static_cast<int>(aData.size())) return;
  nCurLine = line;
  const int font = DataFont();
  std::optional<COLORREF> colour = oReport->TextColour(font);
  if (bColor.IsBlock()) {
    const xb::Value c = TReport::Eval(bColor);
    if (c.IsNumber()) colour = static_cast<COLORREF>(c.AsInt());
  }
  oReport->Device()->Say(row, col, DataText(line), oReport->Font(font), nWidth, colour, kTransparent,
                         static_cast<Pad>(nPad - 1));
  if (lUnderline) Underline(lTextUnd, lDobleUnd, line, row + nDataHeight);
}

void TRColumn::SayTotal(int row, int col) {
  if (!lTotal) return;
  const int font = TotalFont();
  oReport->Device()->Say(row, col, TotalText(nTotal), oReport->Font(font), nWidth, oReport->TextColour(font),
                         kTransparent, static_cast<Pad>(nPad - 1));
}

void TRColumn::Underline(bool text_only, bool two_lines, int line, int row) {
  PageDevice& device = *oReport->Device();
  const int half = oReport->nSeparator / 2;
  int from = nCalCol, to = nCalCol + nWidth;
  if (!text_only && lGrid) {
    from = nCalCol + half;
    to = from + nWidth + half;
  } else if (text_only) {
    std::string text = DataText(line);
    text.erase(0, text.find_first_not_of(' '));
    text.erase(text.find_last_not_of(' ') + 1);
    const int w = device.GetTextWidth(text, oReport->Font(DataFont()));
    if (nPad == 2) from = nCalCol + nWidth - w;
    else if (nPad == 3) from = nCalCol + nWidth / 2 - w / 2;
    else from = nCalCol;
    to = from + w;
  }
  ui::TPen* pen = oReport->Pen(nPen);
  if (two_lines) {
    const int p = pen != nullptr ? std::max(pen->nWidth, 1) : 1;
    device.Line(row - p, from, row - p, to, pen);
    device.Line(row + p, from, row + p, to, pen);
  } else {
    device.Line(row, from, row, to, pen);
  }
}

void TRColumn::Separator(int row, bool force) {
  if (!lSeparator && !force) return;
  const int h = lGrid ? oReport->nSeparator / 2 : 0;
  oReport->Device()->Line(row, nCalCol - h, row, nCalCol + nWidth + h, oReport->Pen(nPen));
}

void TRColumn::TitleHeight() {
  if (nWidth != 0) return;
  PageDevice* device = oReport->Device();
  const std::string pattern = oReport->cCharPattern;
  ui::TFont* data_font = oReport->Font(DataFont());
  nDataHeight = static_cast<int>(aData.size()) * device->GetTextHeight(pattern, data_font);
  nTitleHeight = static_cast<int>(aTitle.size()) * device->GetTextHeight(pattern, oReport->Font(TitleFont()));
  for (int line = 1; line <= static_cast<int>(aData.size()); ++line) {
    std::string run;
    for (std::size_t i = 0; i < DataText(line).size(); ++i) run += pattern;
    nWidth = std::max(nWidth, device->GetTextWidth(run, data_font));
  }
}

}  // namespace output
