// TWBrowse: painting, row colours and the look.
#include <algorithm>

#include "runtime/function_table.h"
#include "runtime/rdd/workareas.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/image_strip.h"
#include "ui/controls/browse_paint.h"
#include "ui/controls/table_source.h"
#include "ui/controls/tscrollbar.h"
#include "ui/controls/twbrowse.h"

namespace ui {
namespace {

constexpr COLORREF kUnfocusedSelection = RGB(128, 128, 128);

bool Is(const char* function) { return xb::IsFunctionRegistered(function); }
COLORREF Colour(const char* function) { return static_cast<COLORREF>(xb::CallFunction(function).AsInt()); }

// A colour that is a block gives its answer; one that answers no number, `number`.
COLORREF Evaluated(const xb::Value& block, COLORREF number) {
  if (!block.IsBlock()) return number;
  const xb::Value colour = block.AsBlock().Eval();
  return colour.IsNumber() ? static_cast<COLORREF>(colour.AsInt()) : number;
}

}  // namespace

int TWBrowse::nHRow() const {
  if (hWnd == nullptr) return 1;
  return BrowseRowHeight(hWnd, oFont ? oFont->hFont : nullptr, lTree ? 0 : nHLine);
}

int TWBrowse::nRowCount() const {
  if (hWnd == nullptr) return 0;
  const int height = nHRow();
  return height > 0 ? std::max(0, GetClientRect(hWnd).Height() / height - 1) : 0;
}

// ---- stripes -----------------------------------------------------------------------------------------

void TWBrowse::ResetColor() {
  cColor.clear();
  for (int i = 0; i < 100; ++i) cColor += i % 2 == 0 ? '2' : '1';
}

void TWBrowse::DC() {
  if (cColor.size() <= 1) return;
  const char last = cColor.back();
  cColor.erase(cColor.begin());
  cColor += last == '1' ? '2' : '1';
}

void TWBrowse::UC() {
  if (cColor.size() <= 1) return;
  const char first = cColor.front();
  cColor.insert(cColor.begin(), first == '1' ? '2' : '1');
  cColor.pop_back();
}

COLORREF TWBrowse::PaneColour(int row) const {
  const char kind = row >= 1 && row <= static_cast<int>(cColor.size()) ? cColor[static_cast<std::size_t>(row) - 1] : '1';
  if (lAlterClr) return kind == '1' ? nClrPRow1 : nClrPRow2;
  if (nLineStyle == kLineClassic) return ::GetSysColor(COLOR_BTNFACE);
  return nXClrPane;
}

COLORREF TWBrowse::TextColour(int row) const {
  const char kind = row >= 1 && row <= static_cast<int>(cColor.size()) ? cColor[static_cast<std::size_t>(row) - 1] : '1';
  if (lAlterClr) return kind == '1' ? nClrTRow1 : nClrTRow2;
  if (nLineStyle == kLineClassic) return 0;
  return nxClrText;
}

void TWBrowse::StripesAdvance() {
  if (lTCB) return;
  bSkipColor = xb::Value(xb::Block::Native([](xb::Args& a) {
    if (auto* b = a.Count() > 0 ? dynamic_cast<TWBrowse*>(a.Obj(a.Count()).get()) : nullptr) ++b->nPRow;
    return xb::Value();
  }));
}

void TWBrowse::StripesHold() {
  if (lTCB) return;
  nPRow = nRowPos;
  bSkipColor = xb::Value(xb::Block::Native([](xb::Args&) { return xb::Value(); }));
  StripeColourBlocks();
}

void TWBrowse::StripeColourBlocks() {
  if (lTCB) return;
  if (!stripe_text_.IsBlock()) {
    const std::shared_ptr<TWBrowse*> alive = alive_;
    auto stripe = [alive](bool text) {
      return xb::Value(xb::Block::Native([alive, text](xb::Args&) {
        const TWBrowse* b = *alive;
        if (b == nullptr) return xb::Value();
        return xb::Value::Integer(text ? b->TextColour(b->nPRow) : b->PaneColour(b->nPRow));
      }));
    };
    stripe_text_ = stripe(true);
    stripe_pane_ = stripe(false);
  }
  text_block_ = stripe_text_;
  pane_block_ = stripe_pane_;
}

xb::Value TWBrowse::TextColourValue() const {
  return text_block_.IsBlock() ? text_block_ : xb::Value::Integer(nClrText);
}

xb::Value TWBrowse::PaneColourValue() const {
  return pane_block_.IsBlock() ? pane_block_ : xb::Value::Integer(nClrPane);
}

void TWBrowse::SetTextColourValue(const xb::Value& colour) {
  text_block_ = colour.IsBlock() ? colour : xb::Value();
  if (!colour.IsBlock()) nClrText = static_cast<COLORREF>(colour.AsInt());
}

void TWBrowse::SetPaneColourValue(const xb::Value& colour) {
  pane_block_ = colour.IsBlock() ? colour : xb::Value();
  if (!colour.IsBlock()) nClrPane = static_cast<COLORREF>(colour.AsInt());
}

COLORREF TWBrowse::TextColourNow() const { return Evaluated(text_block_, nClrText); }
COLORREF TWBrowse::PaneColourNow() const { return Evaluated(pane_block_, nClrPane); }

std::pair<COLORREF, COLORREF> TWBrowse::ColoursOfRow(int row) {
  const int kept = nPRow;
  nPRow = row;
  const std::pair<COLORREF, COLORREF> colours{TextColourNow(), PaneColourNow()};
  nPRow = kept;
  return colours;
}

void TWBrowse::SetColor(COLORREF fore, COLORREF back, xb::Ref<TBrush> brush) {
  TControl::SetColor(fore, back, std::move(brush));
  text_block_ = pane_block_ = xb::Value();
}

void TWBrowse::SetColor(const std::string& pair, xb::Ref<TBrush> brush) {
  TControl::SetColor(pair, std::move(brush));
  text_block_ = pane_block_ = xb::Value();
}

void TWBrowse::RunSkipColor() {
  if (bSkipColor.IsBlock()) bSkipColor.AsBlock().Eval({Self()});
}

COLORREF TWBrowse::nClrLine() const {
  return nLineStyle == kLineClassic ? ::GetSysColor(COLOR_BTNSHADOW) : nxClrLine;
}

// ---- rows -----------------------------------------------------------------------------------------------

void TWBrowse::PaintRow(HDC dc, int row, COLORREF text, COLORREF pane, bool selected,
                        const std::function<void()>& after) {
  if (hWnd == nullptr || lTCB) return;
  BrowseRow r;
  r.row = row;
  const xb::Array cells = row == 0 ? aHeaders.AsArray() : Values();
  for (const xb::Value& v : cells) r.values.push_back(v);
  r.widths = GetColSizes();
  r.first_column = nColPos;
  r.text = text;
  r.pane = pane;
  r.font = oFont ? oFont->hFont : nullptr;
  r.tree = lTree;
  if (aJustify.IsArray())
    for (const xb::Value& j : aJustify.AsArray()) r.right_aligned.push_back(j.AsLogical());
  r.line_style = nLineStyle;
  r.extra = nHLine;
  r.line_colour = nClrLine();
  r.active_column = nColAct;
  r.active_cell_only = selected && lCellStyle && lDrawingSel;
  PaintBrowseRow(hWnd, dc, r, ImageStrip::Shared(), after);
}

void TWBrowse::PaintStripedRow(HDC dc, int row) {
  PaintRow(dc, row, lAlterClr ? TextColourNow() : nxClrText, PaneColourNow(), false, [this] { RunSkipColor(); });
}

void TWBrowse::PaintEmptyRow(HDC dc, int row) {
  BrowseRow r;
  r.row = row;
  r.widths = GetColSizes();
  r.values.assign(std::max<std::size_t>(r.widths.size(), 1), xb::Value::String(" "));
  r.first_column = nColPos;
  r.text = TextColour(nPRow);
  r.pane = PaneColour(nPRow);
  r.font = oFont ? oFont->hFont : nullptr;
  r.line_style = nLineStyle;
  r.extra = nHLine;
  r.line_colour = nClrLine();
  PaintBrowseRow(hWnd, dc, r, ImageStrip::Shared(), [this] { RunSkipColor(); });
}

void TWBrowse::DrawLine(int row) {
  if (row == 0) row = nRowPos;
  if (lIconView) {
    DrawIcon(row, false);
    return;
  }
  PaintStripedRow(nullptr, row);
}

void TWBrowse::DrawSelect() {
  if (lIconView) {
    DrawIcon(nRowPos, true);
    return;
  }
  const bool focused = hWnd != nullptr && ::GetFocus() == hWnd;
  PaintRow(nullptr, nRowPos, nClrForeFocus, focused ? nClrBackFocus : kUnfocusedSelection, true);
}

void TWBrowse::Paint(HDC dc) {
  if (hWnd == nullptr || lTCB) return;
  if (lIconView) {
    DrawIcons(dc);
    return;
  }
  SelectionScope font(dc, oFont ? oFont->hFont : nullptr);  // once, not for each row
  TableSource* source = Source();
  if (nRowPos == 1 && !lTree && cAlias != "ARRAY") {
    // A step back and forward again reads the first row's record as it is on disk now; one
    // no longer shown (deleted by another program) gives way to the next.
    auto& areas = xb::rdd::WorkAreas::Get();
    xb::rdd::WorkArea* area = areas.Area(areas.AreaOfAlias(cAlias));
    if (area != nullptr && area->used() && !area->eof()) {
      area->Skip(-1);
      if (!area->bof()) area->Skip(1);
    }
  } else if (source != nullptr) {
    source->Skip(0);  // the current record as it is on disk now
  }
  nPRow = 1;
  PaintRow(dc, 0, nClrForeHead, nClrBackHead, false);
  StripesAdvance();
  StripeColourBlocks();
  const int rows = nRowCount();
  int last_drawn = 0;
  if (LogicLen() > 0 && rows > 0) {
    nRowPos = std::clamp(nRowPos, 1, rows);
    // Up to the first visible row; fewer records above than rows (deleted by another program)
    // move the selection up with its record.
    const int moved = Skip(1 - nRowPos);
    nRowPos = 1 - moved;
    int row = 1;
    bool more = true;
    while (row <= rows && more) {
      PaintStripedRow(dc, row);
      last_drawn = row;
      if (Skip(1) == 1) {
        ++row;
      } else {
        more = false;
      }
    }
    Skip(nRowPos - row);
    if (nRowPos > last_drawn) nRowPos = std::max(last_drawn, 1);
  }
  if (!lClassic && nLineStyle != kLineClassic) {
    for (int row = last_drawn + 1; row <= rows; ++row) PaintEmptyRow(dc, row);
  } else if (last_drawn < rows) {
    // The classic look draws no empty rows: their place takes the pane, not what was there.
    const Rect client = GetClientRect(hWnd);
    Brush pane(::CreateSolidBrush(nXClrPane));
    RECT rest = {client.left, (last_drawn + 1) * nHRow(), client.right, (rows + 1) * nHRow()};
    ::FillRect(dc, &rest, pane.get());
  }
  if (last_drawn > 0) {
    const bool focused = ::GetFocus() == hWnd;
    PaintRow(dc, nRowPos, nClrForeFocus, focused ? nClrBackFocus : kUnfocusedSelection, true);
  }
  if (source != nullptr) {
    lHitTop = source->Bof();
    lHitBottom = source->Eof();
  }
}

Answer TWBrowse::Display() {
  PAINTSTRUCT ps = {};
  HDC dc = ::BeginPaint(hWnd, &ps);
  const int before = nLen;
  const int count = LogicLen();
  if (oVBar) {
    if (oVBar->GetRange().second != count || count != before) {
      oVBar->SetRange(std::min(1, count), count);
      SyncThumb();
    }
  }
  if (oHBar) oHBar->SetRange(1, std::max(ColumnCount(), 1));
  Paint(dc);
  if (resync_thumb_) {
    // The paint may have moved the pointer off a record that is gone.
    resync_thumb_ = false;
    SyncThumb();
  }
  ::EndPaint(hWnd, &ps);
  return Answer::Number(0);
}

void TWBrowse::Refresh(bool erase) {
  if (TableSource* s = Source()) s->Invalidate();
  if (hWnd == nullptr) return;
  const int count = LogicLen();
  if (oVBar) {
    oVBar->SetRange(std::min(1, count), count);
    SyncThumb();
  }
  resync_thumb_ = true;
  TWindow::Refresh(erase);
}

Answer TWBrowse::EraseBkGnd(HDC dc) {
  // Rows paint themselves; only the part below the last whole row needs the background.
  const Rect client = GetClientRect(hWnd);
  const int below = (nRowCount() + 1) * nHRow();
  if (below < client.bottom) {
    Brush pane(::CreateSolidBrush(nXClrPane));
    RECT rest = {client.left, below, client.right, client.bottom};
    ::FillRect(dc, &rest, pane.get());
  }
  return Answer::Number(1);
}

void TWBrowse::ScrollRows(int rows) {
  if (lIconView) {
    Repaint();  // icons do not move by rows
    return;
  }
  const int height = nHRow();
  const Rect client = GetClientRect(hWnd);
  Rect data{height, client.left, height * (nRowCount() + 1), client.right};
  ScrollWindowRows(hWnd, rows * height, data);
}

Answer TWBrowse::ReSize(int type, int width, int height) {
  cColor.clear();
  for (int i = 0; i < nRowCount() + 4; ++i) cColor += i % 2 == 0 ? '1' : '2';
  return TControl::ReSize(type, width, height);
}

// ---- the look -----------------------------------------------------------------------------------------

void TWBrowse::LoadLook() {
  if (Is("LCLASSIC") && xb::CallFunction("LCLASSIC").AsLogical()) {
    lWClassic(false);
    return;
  }
  // The user's colours (their functions exist once the look is loaded at log-in).
  if (!Is("NLINESTYLE")) return;
  nLineStyle = static_cast<int>(xb::CallFunction("NLINESTYLE").AsInt());
  nXClrPane = Colour("NCLRPANE");
  nxClrText = Colour("NCLRTEXT");
  SetColor(nxClrText, nXClrPane);
  nClrForeHead = Colour("NCLRFHDR");
  nClrBackHead = Colour("NCLRBHDR");
  nClrBackFocus = Colour("NCLRBACKFOCUS");
  nClrForeFocus = Colour("NCLRFOREFOCUS");
  nxClrLine = Colour("NXCLRLINE");
  nClrTRow1 = Colour("NCLRTROW1");
  nClrPRow1 = Colour("NCLRPROW1");
  nClrTRow2 = Colour("NCLRTROW2");
  nClrPRow2 = Colour("NCLRPROW2");
  lAlterClr = xb::CallFunction("LALTERCLR").AsLogical();
  nHLine = static_cast<int>(xb::CallFunction("NHLINE").AsInt());
}

void TWBrowse::lWClassic(bool refresh) {
  nLineStyle = kLineClassic;
  nClrForeHead = ::GetSysColor(COLOR_BTNTEXT);
  nClrBackHead = ::GetSysColor(COLOR_BTNFACE);
  nClrBackFocus = ::GetSysColor(COLOR_ACTIVECAPTION);
  nClrForeFocus = ::GetSysColor(COLOR_CAPTIONTEXT);
  lAlterClr = false;
  nHLine = 0;
  nXClrPane = ::GetSysColor(COLOR_BTNFACE);
  nxClrText = ::GetSysColor(COLOR_BTNTEXT);
  nxClrLine = 0;
  SetColor(nxClrText, nXClrPane);
  if (refresh) Repaint();
}

void TWBrowse::AdjClient() {
  if (!oWnd || oWnd->hWnd == nullptr) return;
  const Rect client = GetClientRect(oWnd->hWnd);
  int top = -1, left = 0, width = client.Width(), height = client.Height();
  if (auto* bar = dynamic_cast<TWindow*>(oWnd->oBar.get())) {
    const int mode = xb::HasMessage(bar->Self(), xb::Intern("NMODE")) ? static_cast<int>(xb::Send(bar->Self(), "NMODE").AsInt()) : 1;
    switch (mode) {
      case 1: top += bar->nHeight() - 1; height -= bar->nHeight() + 1; break;
      case 2: left = bar->nWidth() - 2; width -= bar->nWidth() - 2; break;
      case 3: width -= bar->nWidth() - 2; break;
      case 4: height -= bar->nHeight() - 2; break;
      default: break;
    }
  }
  if (auto* msg = dynamic_cast<TWindow*>(oWnd->oMsgBar.get())) height -= msg->nHeight() - 4;
  if (oWnd->oTop) {
    top += oWnd->oTop->nHeight();
    height -= oWnd->oTop->nHeight();
  }
  if (oWnd->oBottom) height -= oWnd->oBottom->nHeight();
  if (oWnd->oLeft) {
    left += oWnd->oLeft->nWidth() - 2;
    width -= oWnd->oLeft->nWidth() - 2;
  }
  if (oWnd->oRight) width -= oWnd->oRight->nWidth() - 2;
  Move(top, left, width, height);
}

}  // namespace ui
