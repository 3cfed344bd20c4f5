#include "output/trline.h"

#include <algorithm>

#include "output/treport.h"
#include "runtime/block.h"
#include "ui/core/value_text.h"

namespace output {
namespace {

xb::Value Const(xb::Value v) {
  return xb::Value(xb::Block::Native([v](xb::Args&) { return v; }));
}

}  // namespace

TRLine::TRLine() : xb::Object(Cls()) {}

void TRLine::Traverse(xb::GcVisitor& visitor) {
  Object::Traverse(visitor);
  for (const auto* list : {&aLine, &aFont})
    for (const xb::Value& v : *list)
      if (xb::GcObject* t = v.GcTarget()) visitor.Visit(t);
  if (xb::GcObject* t = Cargo.GcTarget()) visitor.Visit(t);
}

void TRLine::ClearValues() {
  Object::ClearValues();
  aLine.clear();
  aFont.clear();
  Cargo = xb::Value();
}

xb::Ref<TRLine> TRLine::New(const std::vector<xb::Value>& lines, TReport* report, int pad) {
  auto line = xb::MakeRef<TRLine>();
  line->Init(lines, report, pad);
  return line;
}

void TRLine::Init(const std::vector<xb::Value>& lines, TReport* report, int pad) {
  oReport = report;
  aLine = lines;
  if (aLine.empty()) aLine.push_back(Const(xb::Value::String("")));
  aFont.assign(aLine.size(), Const(xb::Value::Integer(1)));
  aPad.assign(aLine.size(), pad);
  aWidth.assign(aLine.size(), 0);
  aRow.assign(aLine.size(), 0);
}

std::string TRLine::Text(std::size_t line) const {
  if (line >= aLine.size()) return {};
  const xb::Value v = TReport::Eval(aLine[line]);
  return v.IsString() ? std::string(v.AsString()) : ui::CValToChar(v);
}

int TRLine::FontIndex(std::size_t line) const {
  if (line >= aFont.size()) return 1;
  const xb::Value v = TReport::Eval(aFont[line]);
  return v.IsNumber() ? static_cast<int>(v.AsInt()) : 1;
}

void TRLine::Stabilize(int top, int col) {
  nCol = col;
  nWidth = 0;
  aRow.assign(aLine.size(), top);
  aWidth.assign(aLine.size(), 0);
  if (Text(0).empty()) {
    nHeight = 0;
    return;
  }
  PageDevice* device = oReport != nullptr ? oReport->Device() : nullptr;
  int y = top;
  for (std::size_t i = 0; i < aLine.size(); ++i) {
    const std::string text = Text(i);
    ui::TFont* font = oReport->Font(FontIndex(i));
    aRow[i] = y;
    y += device != nullptr ? device->GetTextHeight(text, font) : 0;
    aWidth[i] = device != nullptr ? device->GetTextWidth(text, font) : 0;
    nWidth = std::max(nWidth, aWidth[i]);
  }
  nHeight = y - top;
}

void TRLine::Say(int offset) {
  if (oReport == nullptr || oReport->Device() == nullptr || Text(0).empty()) return;
  PageDevice& device = *oReport->Device();
  for (std::size_t i = 0; i < aLine.size(); ++i) {
    const int font = FontIndex(i);
    int x = nCol;
    if (aPad[i] == 2) x = oReport->nMargin + oReport->nRptWidth - aWidth[i];
    else if (aPad[i] == 3) x = oReport->nMargin + oReport->nRptWidth / 2 - aWidth[i] / 2;
    device.Say(aRow[i] + offset, x, Text(i), oReport->Font(font), 0, oReport->TextColour(font), kTransparent,
               Pad::kLeft);
  }
}

void TRLine::Restabilize() {
  if (oReport != nullptr && oReport->lStable) oReport->Stabilize();
}

void TRLine::Add(xb::Value text, xb::Value font, int pad) {
  aLine.push_back(text.IsNil() ? Const(xb::Value::String("")) : text);
  aFont.push_back(font.IsNil() ? (aFont.empty() ? Const(xb::Value::Integer(1)) : aFont.front()) : font);
  aPad.push_back(pad);
  aWidth.push_back(0);
  aRow.push_back(0);
  Restabilize();
}

void TRLine::Ins(int position, xb::Value text, xb::Value font, int pad) {
  const std::size_t at = static_cast<std::size_t>(std::clamp(position, 1, static_cast<int>(aLine.size()) + 1) - 1);
  const xb::Value first_font = aFont.empty() ? Const(xb::Value::Integer(1)) : aFont.front();
  aLine.insert(aLine.begin() + at, text.IsNil() ? Const(xb::Value::String("")) : text);
  aFont.insert(aFont.begin() + at, font.IsNil() ? first_font : font);
  aPad.insert(aPad.begin() + at, pad);
  aWidth.insert(aWidth.begin() + at, 0);
  aRow.insert(aRow.begin() + at, 0);
  Restabilize();
}

void TRLine::Del(int from, int to) {
  if (to == 0) to = from;
  const int n = static_cast<int>(aLine.size());
  from = std::max(from, 1);
  to = std::min(to, n);
  if (from > to) return;
  const auto a = static_cast<std::ptrdiff_t>(from - 1), b = static_cast<std::ptrdiff_t>(to);
  aLine.erase(aLine.begin() + a, aLine.begin() + b);
  aFont.erase(aFont.begin() + a, aFont.begin() + b);
  aPad.erase(aPad.begin() + a, aPad.begin() + b);
  aWidth.erase(aWidth.begin() + a, aWidth.begin() + b);
  aRow.erase(aRow.begin() + a, aRow.begin() + b);
  Restabilize();
}

}  // namespace output
