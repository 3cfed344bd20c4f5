// TReport: definition, layout and run (its drawing is in treport_draw.cpp).
#include "output/treport.h"

#include <algorithm>

#include "output/preview_library.h"
#include "output/report_progress.h"
#include "output/tprinter.h"
#include "output/trfile.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/workarea_host.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/resources.h"
#include "ui/core/msg_box.h"

namespace output {
namespace {

xb::Value Const(xb::Value v) {
  return xb::Value(xb::Block::Native([v](xb::Args&) { return v; }));
}

// Not at the end of the current work area's table (or no table: nothing to run over).
bool NotEof() {
  const xb::Value eof = xb::CallFunction("EOF", {});
  return eof.IsLogical() && !eof.AsLogical();
}

}  // namespace

TReport::TReport() : TReport(Cls()) {}

TReport::TReport(const xb::Class& cls) : xb::Object(cls) {}

TReport::~TReport() { FreeDrawing(); }

void TReport::Traverse(xb::GcVisitor& visitor) {
  Object::Traverse(visitor);
  auto visit = [&](xb::GcObject* o) {
    if (o != nullptr) visitor.Visit(o);
  };
  visit(oDevice.get());
  visit(oTitle.get());
  visit(oHeader.get());
  visit(oFooter.get());
  visit(oRptWnd.get());
  visit(oPenHorz.get());
  for (const auto& g : aGroups) visit(g.get());
  for (const auto& c : aColumns) visit(c.get());
  for (const auto& f : aFont) visit(f.get());
  for (const auto& p : aPen) visit(p.get());
  for (const xb::Value* v : {&bFor, &bWhile, &bInit, &bEnd, &bStartLine, &bEndLine, &bStartPage, &bEndPage,
                             &bStartGroup, &bEndGroup, &bSkip, &bStdFont, &bPreview, &bChange, &bPostEnd, &bPostPage,
                             &bPostGroup, &bStartRecord, &Cargo})
    visit(v->GcTarget());
}

void TReport::ClearValues() {
  Object::ClearValues();
  oDevice = nullptr;
  device_ = nullptr;
  oTitle = oHeader = oFooter = nullptr;
  oRptWnd = nullptr;
  aGroups.clear();
  aColumns.clear();
  for (xb::Value* v : {&bFor, &bWhile, &bInit, &bEnd, &bStartLine, &bEndLine, &bStartPage, &bEndPage, &bStartGroup,
                       &bEndGroup, &bSkip, &bStdFont, &bPreview, &bChange, &bPostEnd, &bPostPage, &bPostGroup,
                       &bStartRecord, &Cargo})
    *v = xb::Value();
}

xb::Value TReport::Eval(const xb::Value& block, std::initializer_list<xb::Value> args) {
  if (!block.IsBlock()) return xb::Value();
  return block.AsBlock().Eval(args);
}

void TReport::Hook(bool& running, const xb::Value& block) {
  if (running || !block.IsBlock()) return;
  running = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{running};
  Eval(block, {Self()});
}

// ---- definition --------------------------------------------------------------------------------------

void TReport::Init(const NewParams& p) {
  auto align = [](const std::string& word) {
    std::string w = word;
    for (char& c : w) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return w == "RIGHT" ? 2 : (w == "CENTER" || w == "CENTERED") ? 3 : 1;
  };
  lSummary = p.summary;
  cRptFile = p.report_file;
  cResName = p.resource;
  lPrinter = p.to_printer;
  lScreen = p.to_screen;
  cFile = p.file;
  bStdFont = Const(xb::Value::Integer(1));
  bPreview = xb::Value(xb::Block::Native([](xb::Args& a) {
    if (auto* device = dynamic_cast<PageDevice*>(a.Obj(1).get())) device->ShowPreview();
    return xb::Value();
  }));

  if (p.device) {
    oDevice = p.device;
  } else if (!cFile.empty()) {
    oDevice = TRFile::New(cFile);
  } else {
    TPrinter::NewParams pp;
    if (!p.document.empty()) pp.document = p.document;
    pp.preview = lScreen;
    oDevice = TPrinter::New(pp);
  }
  device_ = dynamic_cast<PageDevice*>(oDevice.get());
  if (device_ == nullptr) return;
  cName = !device_->DocumentName().empty() ? device_->DocumentName() : std::string("Printing report");
  if (!p.document.empty()) cName = p.document;
  const bool graphic = !device_->IsText();
  if (graphic && device_->MeasureDC() == nullptr) return;  // no printer: nothing is made
  if (!graphic && !dynamic_cast<TRFile&>(*device_).IsOpen()) return;
  lPrinter = lPrinter || (graphic && !device_->IsPreview());
  lScreen = lScreen || device_->IsPreview();

  nWidth = device_->nHorzRes();
  nHeight = device_->nVertRes();
  nLogPixX = device_->nLogPixelX();
  nLogPixY = device_->nLogPixelY();
  HDC dc = device_->MeasureDC();
  oPenHorz = ui::TPen::New(PS_SOLID, std::max(1, nLogPixX / 72), 0);
  // Fonts and pens are made again for the device.
  if (p.fonts.empty()) {
    aFont.push_back(graphic ? ui::TFont::New({.face = "ARIAL", .height = -10, .device = dc}) : nullptr);
  } else {
    for (const auto& font : p.fonts) {
      if (!graphic || !font) {
        aFont.push_back(nullptr);
        continue;
      }
      ui::TFont::Spec spec = font->CurrentSpec();
      spec.device = dc;
      aFont.push_back(ui::TFont::New(spec));
    }
  }
  aClrText.assign(aFont.size(), 0);
  const std::vector<xb::Ref<ui::TPen>> pens =
      p.pens.empty() ? std::vector<xb::Ref<ui::TPen>>{ui::TPen::New(PS_SOLID, 1, 0)} : p.pens;
  for (const auto& pen : pens) {
    aPen.push_back(pen ? ui::TPen::New(pen->nStyle, pen->nWidth, static_cast<COLORREF>(pen->nColor), graphic ? dc : nullptr)
                       : ui::TPen::New(PS_SOLID, 1, 0, graphic ? dc : nullptr));
  }
  oTitle = TRLine::New(p.title, this, align(p.title_align));
  oHeader = TRLine::New(p.header, this, align(p.header_align));
  oFooter = TRLine::New(p.footer, this, align(p.footer_align));
  nTopMargin = nDnMargin = static_cast<int>(nLogPixY * 0.2);
  nLeftMargin = nRightMargin = static_cast<int>(nLogPixX * 0.2);
  lCreated = true;
}

void TReport::AddColumn(xb::Ref<TRColumn> column) {
  if (!column) return;
  column->oReport = this;
  aColumns.push_back(std::move(column));
  lStable = false;
}

void TReport::DelColumn(int n) {
  if (n >= 1 && n <= static_cast<int>(aColumns.size())) aColumns.erase(aColumns.begin() + (n - 1));
  lStable = false;
}

void TReport::InsColumn(xb::Ref<TRColumn> column, int n) {
  if (!column) return;
  column->oReport = this;
  const int at = std::clamp(n, 1, static_cast<int>(aColumns.size()) + 1) - 1;
  aColumns.insert(aColumns.begin() + at, std::move(column));
  lStable = false;
}

void TReport::AddGroup(xb::Ref<TRGroup> group) {
  if (!group) return;
  group->oReport = this;
  aGroups.push_back(std::move(group));
  lGroup = true;
  lStable = false;
}

void TReport::DelGroup(int n) {
  if (n >= 1 && n <= static_cast<int>(aGroups.size())) aGroups.erase(aGroups.begin() + (n - 1));
  lGroup = !aGroups.empty();
  lStable = false;
}

ui::TFont* TReport::Font(int index) const {
  if (index < 1 || index > static_cast<int>(aFont.size())) index = 1;
  return aFont.empty() ? nullptr : aFont[static_cast<std::size_t>(index - 1)].get();
}

COLORREF TReport::TextColour(int index) const {
  if (index < 1 || index > static_cast<int>(aClrText.size())) index = 1;
  return aClrText.empty() ? 0 : aClrText[static_cast<std::size_t>(index - 1)];
}

ui::TPen* TReport::Pen(int index) const {
  if (index < 1 || index > static_cast<int>(aPen.size())) index = 1;
  return aPen.empty() ? nullptr : aPen[static_cast<std::size_t>(index - 1)].get();
}

int TReport::StdFont() const {
  const xb::Value v = Eval(bStdFont);
  return v.IsNumber() ? static_cast<int>(v.AsInt()) : 1;
}

// ---- layout --------------------------------------------------------------------------------------------

void TReport::Stabilize() {
  lStable = false;
  if (!lCreated || device_ == nullptr) return;
  if (aColumns.empty()) {
    lCreated = false;
    return;
  }
  ui::TFont* std_font = Font(StdFont());
  if (nSeparator <= 0) nSeparator = device_->GetTextWidth(cCharPattern, std_font);
  nStdLineHeight = device_->GetTextHeight(cCharPattern, std_font);

  nMaxTitle = nMaxData = 0;
  for (const auto& c : aColumns) {
    nMaxTitle = std::max(nMaxTitle, static_cast<int>(c->aTitle.size()));
    nMaxData = std::max(nMaxData, static_cast<int>(c->aData.size()));
  }
  const xb::Value empty = Const(xb::Value::String(""));
  for (const auto& c : aColumns) {
    c->aTitle.resize(static_cast<std::size_t>(nMaxTitle), empty);
    c->aData.resize(static_cast<std::size_t>(nMaxData), empty);
    c->aPicture.resize(static_cast<std::size_t>(nMaxData), c->cTotalPict);
  }

  lTotal = lShadow = lGrid = false;
  for (const auto& c : aColumns) {
    lTotal = lTotal || c->lTotal;
    lShadow = lShadow || c->lShadow;
    lGrid = lGrid || c->lGrid;
  }
  for (std::size_t i = 0; i < aGroups.size(); ++i) aGroups[i]->Stabilize(static_cast<int>(i) + 1);
  oHeader->Stabilize(nTopMargin, 0);
  oTitle->Stabilize(nTopMargin + oHeader->nHeight, 0);
  oFooter->Stabilize(0, 0);
  for (std::size_t i = 0; i < aColumns.size(); ++i) aColumns[i]->Stabilize(static_cast<int>(i) + 1);

  nRptWidth = 0;
  for (std::size_t i = 0; i < aColumns.size(); ++i) nRptWidth += aColumns[i]->nWidth + (i > 0 ? nSeparator : 0);
  nRptWidth = std::max({nRptWidth, oTitle->nWidth, oHeader->nWidth, oFooter->nWidth});
  nWidth = device_->nHorzRes();
  if (device_->IsText()) nWidth = std::max(nWidth, nRptWidth + 10 * nSeparator);

  if (nRptWidth > nWidth - nLeftMargin - nRightMargin && !device_->IsText()) {
    if (lAutoLand && device_->GetOrientation() != 2) {
      lIsNarrow = true;
      return;
    }
    lIsNarrow = false;
    PreviewLibrary library;
    if (!ui::MsgYesNo(xb::Value::String(PreviewString(text::kWideQuestion)), PreviewString(text::kWideTitle))) return;
  }

  nMargin = std::max((nWidth - nLeftMargin - nRightMargin - nRptWidth) / 2, 0) + nLeftMargin;
  aCols.assign(aColumns.size(), 0);
  for (std::size_t i = 0; i < aColumns.size(); ++i) {
    TRColumn& c = *aColumns[i];
    if (c.nCol > 0) aCols[i] = c.nCol;
    else if (i == 0) aCols[i] = nMargin;
    else aCols[i] = aCols[i - 1] + aColumns[i - 1]->nWidth + nSeparator;
    c.nCalCol = aCols[i];
  }
  aDataHeight.assign(static_cast<std::size_t>(nMaxData), 0);
  nTitleHeight = 0;
  for (int line = 0; line < std::max(nMaxData, nMaxTitle); ++line) {
    int title = 0;
    for (const auto& c : aColumns) {
      if (line < nMaxData) aDataHeight[static_cast<std::size_t>(line)] =
          std::max(aDataHeight[static_cast<std::size_t>(line)], c->nDataHeight);
      if (line < nMaxTitle) title = std::max(title, c->nTitleHeight);
    }
    nTitleHeight += title;
  }

  nHeight = device_->nVertRes();
  oHeader->Stabilize(nTopMargin, nMargin);
  oTitle->Stabilize(nTopMargin + oHeader->nHeight, nMargin);
  oFooter->Stabilize(nHeight - oFooter->nHeight - nDnMargin, nMargin);
  const int rule = device_->IsText() ? nStdLineHeight : (oPenHorz ? oPenHorz->nWidth * 10 : 0);
  nTitleRow = oHeader->nHeight + oTitle->nHeight + nTopMargin;
  // Room for the closing rule too, so the totals never run into the footer.
  const bool closing_rule = nTotalLine != 0 && (lTotal || lSeparator || lJoin);
  nBottomRow = nHeight - oFooter->nHeight - nDnMargin - (lTotal ? nStdLineHeight : 0) -
               (lBoxOnTotal ? nStdLineHeight : 0) - (closing_rule ? rule : 0);
  nFirstdRow = nTitleRow + (nTitleUpLine != 0 ? rule : 0) + nTitleHeight + (nTitleDnLine != 0 ? rule : 0);
  nLastdRow = nBottomRow - (lTotal ? nStdLineHeight / 2 : 0) - (lBoxOnTotal ? nStdLineHeight : 0);
  lStable = true;
}

// ---- the run ----------------------------------------------------------------------------------------------

bool TReport::For() {
  const xb::Value v = Eval(bFor);
  return !v.IsLogical() || v.AsLogical();
}

bool TReport::While() {
  const xb::Value v = Eval(bWhile);
  return v.IsLogical() && v.AsLogical();
}

void TReport::Activate(const ActivateParams& p) {
  auto keep = [](xb::Value& block, const xb::Value& given) {
    if (!given.IsNil()) block = given;
  };
  keep(bFor, p.for_block);
  keep(bWhile, p.while_block);
  keep(bInit, p.init);
  keep(bEnd, p.end);
  keep(bStartPage, p.start_page);
  keep(bEndPage, p.end_page);
  keep(bStartGroup, p.start_group);
  keep(bEndGroup, p.end_group);
  keep(bStartLine, p.start_line);
  keep(bEndLine, p.end_line);
  keep(bChange, p.change);
  keep(bPostEnd, p.post_end);
  keep(bPostPage, p.post_page);
  keep(bPostGroup, p.post_group);
  if (bFor.IsNil()) bFor = Const(xb::Value::Logical(true));
  if (bWhile.IsNil()) bWhile = xb::Value(xb::Block::Native([](xb::Args&) { return xb::Value::Logical(NotEof()); }));

  // The library's strings and dialogs for the run; the module in force before comes back on
  // every path.
  hOldRes = ui::CurrentResources();
  PreviewLibrary library;
  if (!library.loaded()) {
    ui::MsgAlert(xb::Value::String(PreviewLibraryFile() + " not found"), "Error");
    lBreak = true;
    End();
    return;
  }
  if (lGroup) {
    while (While() && !For()) {
      ui::SysRefresh();
      Skip(1);
    }
  }
  if (!lCreated) {
    End();
    return;
  }
  Stabilize();
  if (lIsNarrow) {
    device_->SetLandscape();
    lIsNarrow = false;
    lAutoLand = false;
    Stabilize();
  }
  if (!lStable) {
    lCreated = false;
    End();
    return;
  }
  RunWithProgress(*this, device_->IsPreview() ? "PREVIEW_PROC" : "PRINT_PROC", library.module());
  End();
}

void TReport::Play() {
  StartPage();
  Eval(bInit, {Self()});
  for (std::size_t i = 0; i < aGroups.size(); ++i) {
    aGroups[i]->Reset();
    StartGroup(static_cast<int>(i) + 1);
  }
  while (!lBreak && While()) {
    ui::SysRefresh();
    if (lBreak) break;
    if (!For()) {
      Skip(1);
      continue;
    }
    for (const auto& g : aGroups) g->Evaluate();
    Eval(bStartRecord, {Self()});
    for (int line = 1; line <= nMaxData; ++line) {
      const int height = aDataHeight.empty() ? nStdLineHeight : aDataHeight[static_cast<std::size_t>(line - 1)];
      if (!lSummary) StartLine(height);
      for (std::size_t i = 0; i < aColumns.size(); ++i) {
        TRColumn& c = *aColumns[i];
        if (!lSummary) c.SayData(nRow, aCols[i], line);
        // Each data line adds its number; a total expression, the record's, once.
        if (!c.lTotal || (c.lTotalExpr && line > 1)) continue;
        const std::size_t at = static_cast<std::size_t>(line - 1);
        const xb::Value v = c.lTotalExpr ? Eval(c.bTotalExpr) : (at < c.aData.size() ? Eval(c.aData[at]) : xb::Value());
        if (v.IsNumber()) {
          c.nTotal += v.AsDouble();
          for (const auto& g : aGroups) g->aTotal[i] += v.AsDouble();
        }
      }
      if (!lSummary) EndLine(height);
    }
    for (const auto& g : aGroups) ++g->nCounter;
    Skip(1);
    // Records the run leaves out do not break a group.
    while (!aGroups.empty() && While() && !For()) Skip(1);
    if (!aGroups.empty() && While()) {
      // The first group whose key changed ends, with every group inside it, innermost first.
      std::size_t changed = aGroups.size();
      for (std::size_t i = 0; i < aGroups.size(); ++i) {
        if (aGroups[i]->Check()) {
          changed = i;
          break;
        }
      }
      for (std::size_t i = aGroups.size(); i > changed; --i) EndGroup(static_cast<int>(i));
      for (std::size_t i = 0; i < aGroups.size(); ++i) {
        if (aGroups[i]->lNeedStart) {
          aGroups[i]->Reset();
          StartGroup(static_cast<int>(i) + 1);
        }
      }
    }
  }
  if (!lBreak) {
    for (std::size_t i = aGroups.size(); i > 0; --i) {
      if (aGroups[i - 1]->nCounter > 0) EndGroup(static_cast<int>(i));
    }
  }
}

void TReport::Skip(int n) {
  ++nCounter;
  Hook(in_change_, bChange);
  if (bSkip.IsBlock()) Eval(bSkip, {xb::Value::Integer(n)});
  else xb::CallFunction("DBSKIP", {xb::Value::Integer(n)});
}

// ---- pages, lines and groups -----------------------------------------------------------------------------

void TReport::StartPage() {
  device_->StartPage();
  ++nPage;
  ReportProgressPage(*this, nPage);
  Hook(in_start_page_, bStartPage);
  oHeader->Say();
  oTitle->Say();
  ColTitle();
  lFirstRow = true;
}

void TReport::EndPage() {
  Hook(in_end_page_, bEndPage);
  PageTotal();
  oFooter->Say();
  Hook(in_end_page_, bPostPage);
  if (lFinish) Hook(in_end_page_, bPostEnd);
  device_->EndPage();
  if (!lFinish) StartPage();
}

void TReport::NewLine(int height) { nRow += height != 0 ? height : nStdLineHeight; }

void TReport::StartLine(int height, bool separator) {
  if (nRow + height > nBottomRow) EndPage();
  if (separator || (lSeparator && !lFirstRow)) Separator();
  Shadow(height);
  Grid(height);
  Hook(in_start_line_, bStartLine);
}

void TReport::EndLine(int height) {
  Hook(in_end_line_, bEndLine);
  nRow += height;
  lFirstRow = false;
}

void TReport::StartGroup(int n) {
  if (!While() || n < 1 || n > static_cast<int>(aGroups.size())) return;
  TRGroup& g = *aGroups[static_cast<std::size_t>(n - 1)];
  g.lNeedStart = false;
  Hook(in_start_group_, bStartGroup);
  if (lSummary) g.KeepHeader();
  if (!lSummary && g.lHeader) {
    StartLine(g.nHeaderHeight);
    g.Header(nRow);
    EndLine(g.nHeaderHeight);
  }
}

void TReport::EndGroup(int n) {
  if (n < 1 || n > static_cast<int>(aGroups.size())) return;
  TRGroup& g = *aGroups[static_cast<std::size_t>(n - 1)];
  Hook(in_end_group_, bEndGroup);
  if (lSummary && g.lHeader) {
    StartLine(g.nHeaderHeight);
    g.Header(nRow);
    EndLine(g.nHeaderHeight);
  }
  if (!lSummary && lTotal) {
    StartLine(2 * g.nFooterHeight);
    TotalLine(nGroupLine, 0);
    g.Footer(nRow);
    EndLine(g.nFooterHeight);
  } else if (g.lFooter) {
    StartLine(g.nFooterHeight);
    g.Footer(nRow);
    EndLine(g.nFooterHeight);
  }
  Hook(in_end_group_, bPostGroup);
  if (g.lEject && While()) EndPage();
  g.nCounter = 0;
  g.aTotal.assign(aColumns.size(), 0.0);
  g.lNeedStart = true;
}

void TReport::End() {
  if (ended_) return;
  ended_ = true;
  lFinish = true;
  if (!lCreated) {
    if (device_ != nullptr) device_->End();
    FreeDrawing();
    return;
  }
  if (!lBreak) Eval(bEnd, {Self()});
  if (nPage > 0) EndPage();
  ui::SetResources(hOldRes);
  if (device_->IsPreview() && nPage > 0) {
    preview_shown_ = true;
    Eval(bPreview, {oDevice});
  } else {
    device_->End();
  }
  FreeDrawing();
}

void TReport::FreeDrawing() {
  for (auto& font : aFont)
    if (font) font->End();
  aFont.clear();
  for (auto& pen : aPen)
    if (pen) pen->End();
  aPen.clear();
  if (oPenHorz) oPenHorz->End();
  oPenHorz = nullptr;
  oShdBrush.reset();
}

}  // namespace output
