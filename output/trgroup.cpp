#include "output/trgroup.h"

#include <algorithm>

#include "output/treport.h"
#include "runtime/block.h"
#include "ui/core/value_text.h"

namespace output {

bool SameKey(const xb::Value& a, const xb::Value& b) {
  if (a.ValType() != b.ValType()) return false;
  switch (a.type()) {
    case xb::Type::Nil: return true;
    case xb::Type::Logical: return a.AsLogical() == b.AsLogical();
    case xb::Type::Number: return a.AsDouble() == b.AsDouble();
    case xb::Type::Date: return a.AsDate() == b.AsDate();
    case xb::Type::String:
    case xb::Type::Memo: return a.AsString() == b.AsString();
    default: return a.SameAs(b);
  }
}

TRGroup::TRGroup() : xb::Object(Cls()) {}

void TRGroup::Traverse(xb::GcVisitor& visitor) {
  Object::Traverse(visitor);
  for (const xb::Value* v : {&bGroup, &bHeader, &bFooter, &bHeadFont, &bFootFont, &cValue, &cOldValue, &Cargo})
    if (xb::GcObject* t = v->GcTarget()) visitor.Visit(t);
}

void TRGroup::ClearValues() {
  Object::ClearValues();
  bGroup = bHeader = bFooter = bHeadFont = bFootFont = cValue = cOldValue = Cargo = xb::Value();
}

xb::Ref<TRGroup> TRGroup::New(const NewParams& params, TReport* report) {
  auto group = xb::MakeRef<TRGroup>();
  group->Init(params, report);
  return group;
}

void TRGroup::Init(const NewParams& p, TReport* report) {
  oReport = report;
  bGroup = p.key;
  bHeader = p.header;
  bFooter = p.footer;
  bHeadFont = p.font.IsBlock() ? p.font : xb::Value(xb::Block::Native([](xb::Args&) { return xb::Value::Integer(1); }));
  bFootFont = bHeadFont;
  lEject = p.eject;
  lHeader = bHeader.IsBlock();
  lFooter = bFooter.IsBlock();
}

void TRGroup::Evaluate() { cValue = TReport::Eval(bGroup); }

bool TRGroup::Check() const { return !SameKey(TReport::Eval(bGroup), cOldValue); }

void TRGroup::Reset() {
  nCounter = 0;
  aTotal.assign(oReport != nullptr ? oReport->aColumns.size() : 0, 0.0);
  Evaluate();
  cOldValue = cValue;
}

std::string TRGroup::HeaderText() const {
  if (!bHeader.IsBlock()) return {};
  const xb::Value v = TReport::Eval(bHeader);
  return v.IsString() ? std::string(v.AsString()) : ui::CValToChar(v);
}

std::string TRGroup::FooterText() const {
  if (!bFooter.IsBlock()) return {};
  const xb::Value v = TReport::Eval(bFooter);
  return v.IsString() ? std::string(v.AsString()) : ui::CValToChar(v);
}

void TRGroup::Stabilize(int order) {
  nOrder = order;
  PageDevice* device = oReport->Device();
  const int std_height = oReport->nStdLineHeight;
  auto font_of = [&](const xb::Value& block) {
    const xb::Value v = TReport::Eval(block);
    return oReport->Font(v.IsNumber() ? static_cast<int>(v.AsInt()) : 1);
  };
  nHeaderHeight = lHeader ? std::max(device->GetTextHeight(HeaderText(), font_of(bHeadFont)), std_height) : 0;
  nFooterHeight = lFooter || oReport->lTotal
                      ? std::max(lFooter ? device->GetTextHeight(FooterText(), font_of(bFootFont)) : 0, std_height)
                      : 0;
  if (aTotal.size() != oReport->aColumns.size()) aTotal.assign(oReport->aColumns.size(), 0.0);
}

bool TRGroup::Header(int row) {
  if (!lHeader) return false;
  const xb::Value f = TReport::Eval(bHeadFont);
  const int font = f.IsNumber() ? static_cast<int>(f.AsInt()) : 1;
  const std::string text = kept_header_ ? *kept_header_ : HeaderText();
  kept_header_.reset();
  oReport->Device()->Say(row, oReport->nMargin, text, oReport->Font(font), 0, oReport->TextColour(font), kOpaque,
                         Pad::kLeft);
  if (FooterText().empty() && oReport->lSummary) Total(row);
  return true;
}

bool TRGroup::Footer(int row) {
  if (!lFooter) {
    if (!oReport->lSummary) Total(row);
    return false;
  }
  const xb::Value f = TReport::Eval(bFootFont);
  const int font = f.IsNumber() ? static_cast<int>(f.AsInt()) : 1;
  oReport->Device()->Say(row, oReport->nMargin, FooterText(), oReport->Font(font), 0, oReport->TextColour(font),
                         kOpaque, Pad::kLeft);
  Total(row);
  return true;
}

void TRGroup::Total(int) {
  if (!oReport->lTotal) return;
  PageDevice& device = *oReport->Device();
  for (std::size_t i = 0; i < oReport->aColumns.size(); ++i) {
    TRColumn& column = *oReport->aColumns[i];
    if (!column.lTotal || i >= aTotal.size() || i >= oReport->aCols.size()) continue;
    const std::string text = column.TotalText(aTotal[i]);
    const int font = column.TotalFont();
    const int w = device.GetTextWidth(text, oReport->Font(font));
    int x = oReport->aCols[i];
    if (column.nPad == 2) x += column.nWidth - w;
    else if (column.nPad == 3) x += column.nWidth / 2 - w / 2;
    device.Say(oReport->nRow, x, text, oReport->Font(font), 0, oReport->TextColour(font), kTransparent, Pad::kLeft);
  }
}

}  // namespace output
