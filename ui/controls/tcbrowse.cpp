// TCBrowse: construction, columns, data sources, painting and moving.
#include "ui/controls/tcbrowse.h"

#include <algorithm>

#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/image_strip.h"
#include "ui/controls/area_scope.h"
#include "ui/controls/browse_paint.h"
#include "ui/controls/cell_paint.h"
#include "ui/controls/date_seek.h"
#include "ui/controls/table_source.h"
#include "ui/controls/tccolumn.h"
#include "ui/controls/tscrollbar.h"
#include "ui/core/value_text.h"

namespace ui {
namespace {

constexpr COLORREF kLightGrey = 12632256;
constexpr COLORREF kTeal = 8421376;
constexpr COLORREF kNavy = 8388608;
constexpr COLORREF kYellow = 65535;
constexpr COLORREF kUnfocused = 8421504;

xb::Value Native(std::function<xb::Value(xb::Args&)> fn) { return xb::Value(xb::Block::Native(std::move(fn))); }

TCBrowse* LastBrowseArg(const xb::Args& a) {
  return a.Count() > 0 ? dynamic_cast<TCBrowse*>(a.Obj(a.Count()).get()) : nullptr;
}

xb::Value Call(const char* name, std::initializer_list<xb::Value> args = {}) { return xb::CallFunction(name, args); }

}  // namespace

TCBrowse::TCBrowse() : TCBrowse(Cls()) {}
TCBrowse::TCBrowse(const xb::Class& cls) : TWBrowse(cls) { lRePaint = true; }

void TCBrowse::Traverse(xb::GcVisitor& visitor) {
  TWBrowse::Traverse(visitor);
  if (xb::GcObject* context = oCtx.GcTarget()) visitor.Visit(context);  // a property, not a Data
}

void TCBrowse::ClearValues() {
  TWBrowse::ClearValues();
  aColumns = aArray = oDbf = oCtx = bSeekChange = aImages = aBitmaps = xb::Value();
}

// ---- construction ---------------------------------------------------------------------------------

TCBrowse& TCBrowse::New(const NewParams& params, bool cell_brw) {
  lRePaint = false;
  aColumns = xb::Value(xb::Array::New());
  aImages = xb::Value(xb::Array::New());
  aBitmaps = xb::Value(xb::Array::New());
  lCellBrw = cell_brw;
  nCell = 1;
  nEClrFore = ::GetSysColor(COLOR_WINDOWTEXT);
  nEClrBack = ::GetSysColor(COLOR_WINDOW);
  NewParams p = params;
  if (p.col_sizes.IsNil()) p.col_sizes = xb::Value(xb::Array::New());
  p.no_border = false;
  TWBrowse::New(p);
  SetColor(0, kLightGrey);
  nLineStyle = kCellRaised;
  return *this;
}

TCBrowse& TCBrowse::ReDefine(int id, const RedefineParams& params, bool cell_brw) {
  lRePaint = false;
  aColumns = xb::Value(xb::Array::New());
  aImages = xb::Value(xb::Array::New());
  aBitmaps = xb::Value(xb::Array::New());
  lCellBrw = cell_brw;
  nCell = 1;
  nEClrFore = ::GetSysColor(COLOR_WINDOWTEXT);
  nEClrBack = ::GetSysColor(COLOR_WINDOW);
  RedefineParams p = params;
  if (p.col_sizes.IsNil()) p.col_sizes = xb::Value(xb::Array::New());
  TWBrowse::ReDefine(id, p);
  SetColor(0, kLightGrey);
  nClrForeHead = 0;
  nClrBackHead = kLightGrey;
  nLineStyle = kCellRaised;
  return *this;
}

void TCBrowse::Default() {
  TControl::Default();
  const int visible = nWidth() - 16;
  if (!nOClrForeHead) nOClrForeHead = kYellow;
  if (!nOClrBackHead) nOClrBackHead = nClrBackHead == kTeal ? kNavy : kTeal;
  if (!nClrFFoot) nClrFFoot = nClrForeHead;
  if (!nClrBFoot) nClrBFoot = nClrBackHead;
  xb::Array sizes = xb::Array::New();
  int total = 0;
  for (int c = 1; c <= Columns(); ++c) {
    TCColumn* col = Col(c);
    sizes.Append(xb::Value::Integer(col->nWidth));
    if (nAdjColumn > 0 && total + col->nWidth > visible && nAdjColumn < c) {
      TCColumn* adj = Col(nAdjColumn);
      adj->nWidth += visible - total;
      sizes[static_cast<std::size_t>(nAdjColumn) - 1] = xb::Value::Integer(adj->nWidth);
      nAdjColumn = 0;
    }
    total += col->nWidth;
    if (nColOrder == 0 && !IsArray() && !col->cOrder.empty()) SetOrder(c);
    if (col->HasFooting()) lFooting = true;
  }
  if (nAdjColumn > 0 && total < visible && nAdjColumn <= Columns()) {
    TCColumn* adj = Col(nAdjColumn);
    adj->nWidth += visible - total;
    sizes[static_cast<std::size_t>(nAdjColumn) - 1] = xb::Value::Integer(adj->nWidth);
  }
  aColSizes = xb::Value(sizes);
  nLen = LogicLen();
  const LONG style = hWnd != nullptr ? ::GetWindowLongA(hWnd, GWL_STYLE) : 0;
  if (!lNoVScroll && (style & WS_VSCROLL) != 0) {
    TScrollBar::WinParams v;
    v.min = std::min(1, nLen);
    v.max = nLen;
    oVBar = TScrollBar::OverWindow(*this, v);
    oVScroll = oVBar;
    ResetBarPos();
  }
  if (!lNoHScroll && (style & WS_HSCROLL) != 0) {
    TScrollBar::WinParams h;
    h.vertical = false;
    h.min = std::min(1, Columns());
    h.max = Columns();
    oHBar = TScrollBar::OverWindow(*this, h);
    oHScroll = oHBar;
  }
  if (!oFont && oWnd) oFont = oWnd->oFont;
}

// ---- columns -----------------------------------------------------------------------------------------

int TCBrowse::Columns() const { return aColumns.IsArray() ? static_cast<int>(aColumns.AsArray().size()) : 0; }

TCColumn* TCBrowse::Col(int n) const {
  if (n < 1 || n > Columns()) return nullptr;
  return dynamic_cast<TCColumn*>(aColumns.AsArray().Get(static_cast<std::size_t>(n) - 1).AsObject().get());
}

void TCBrowse::LoadFields() {
  auto& areas = xb::rdd::WorkAreas::Get();
  xb::rdd::WorkArea* area = areas.Area(areas.AreaOfAlias(cAlias));
  if (area == nullptr || !area->used()) return;
  for (int f = 1; f <= area->FieldCount(); ++f) {
    const auto* field = area->FieldAt(f);
    TCColumn::NewParams p;
    p.heading = xb::Value::String(field->name);
    p.data = Call("FIELDSETGETBLOCK", {xb::Value::String(cAlias), xb::Value::Integer(f)});
    p.align = xb::Value::Integer(field->type == 'N' ? 2 : 0);
    p.edit = true;
    auto column = xb::MakeRef<TCColumn>();
    {
      AreaScope in(cAlias);
      column->New(p);
    }
    column->cData = cAlias + "->" + field->name;
    AddColumn(column->Self());
  }
}

xb::Value TCBrowse::AddColumn(const xb::Value& column) {
  auto* col = dynamic_cast<TCColumn*>(column.AsObject().get());
  if (col == nullptr) return xb::Value();
  if (!aColumns.IsArray()) aColumns = xb::Value(xb::Array::New());
  if (!aColSizes.IsArray()) aColSizes = xb::Value(xb::Array::New());
  aColumns.AsArray().Append(column);
  aColSizes.AsArray().Append(xb::Value::Integer(col->nWidth));
  return column;
}

xb::Value TCBrowse::InsColumn(int pos, const xb::Value& column) {
  auto* col = dynamic_cast<TCColumn*>(column.AsObject().get());
  if (col == nullptr) return xb::Value();
  pos = std::clamp(pos, 1, Columns() + 1);
  SyncColSizes();
  auto& columns = aColumns.AsArray().Items();
  columns.insert(columns.begin() + (pos - 1), column);
  auto& sizes = aColSizes.AsArray().Items();
  sizes.insert(sizes.begin() + (pos - 1), xb::Value::Integer(col->nWidth));
  if (lCellBrw) {
    nCell = pos;
    HiliteCell(nCell);
  }
  if (!col->cOrder.empty()) SetOrder(pos);
  if (oHBar) oHBar->SetRange(1, Columns());
  if (oHBar && lCellBrw) oHBar->SetPos(nCell);
  Refresh(false);
  if (hWnd != nullptr) ::SetFocus(hWnd);
  return column;
}

xb::Value TCBrowse::DelColumn(int pos) {
  if (Columns() <= 1) return xb::Value();
  pos = std::clamp(pos, 1, Columns());
  SyncColSizes();
  const xb::Value removed = aColumns.AsArray().Get(static_cast<std::size_t>(pos) - 1);
  auto& columns = aColumns.AsArray().Items();
  columns.erase(columns.begin() + (pos - 1));
  auto& sizes = aColSizes.AsArray().Items();
  sizes.erase(sizes.begin() + (pos - 1));
  if (nColOrder == pos) nColOrder = 0;
  else if (nColOrder > pos) --nColOrder;
  if (lCellBrw) {
    if (nCell == pos && nCell > 1) --nCell;
    nCell = std::clamp(nCell, 1, Columns());
    HiliteCell(nCell);
  }
  nColPos = std::clamp(nColPos, 1, Columns());
  if (oHBar) oHBar->SetRange(1, Columns());
  Refresh(false);
  if (hWnd != nullptr) ::SetFocus(hWnd);
  return removed;
}

xb::Value TCBrowse::GetColumn(int pos) const {
  if (Columns() == 0) return xb::Value();
  return aColumns.AsArray().Get(static_cast<std::size_t>(std::clamp(pos, 1, Columns())) - 1);
}

void TCBrowse::SwitchCols(int col1, int col2) {
  const int count = Columns();
  if (col1 <= nFreeze || col2 <= nFreeze || col1 > count || col2 > count || col1 < 1 || col2 < 1 || col1 == col2)
    return;
  SyncColSizes();
  xb::Array columns = aColumns.AsArray();
  xb::Array sizes = aColSizes.AsArray();
  const std::size_t a = static_cast<std::size_t>(col1) - 1, b = static_cast<std::size_t>(col2) - 1;
  const xb::Value first = columns.Get(a);
  columns[a] = columns.Get(b);
  columns[b] = first;
  const xb::Value width = sizes.Get(a);
  sizes[a] = sizes.Get(b);
  sizes[b] = width;
  if (nColOrder == col1) nColOrder = col2;
  else if (nColOrder == col2) nColOrder = col1;
}

void TCBrowse::Exchange(int col1, int col2) {
  SwitchCols(col1, col2);
  Refresh(false);
  if (hWnd != nullptr) ::SetFocus(hWnd);
}

void TCBrowse::SyncColSizes() {
  if (aColSizes.IsArray() && static_cast<int>(aColSizes.AsArray().size()) >= Columns()) return;
  xb::Array sizes = xb::Array::New();
  for (int c = 1; c <= Columns(); ++c) sizes.Append(xb::Value::Integer(Col(c)->nWidth));
  aColSizes = xb::Value(sizes);
}

int TCBrowse::FixColPos() {
  if (nColPos <= nFreeze) nColPos = nFreeze + 1;
  nColPos = std::min(nColPos, std::max(Columns(), 1));
  return nColPos;
}

std::vector<TCBrowse::Span> TCBrowse::Walk() {
  std::vector<Span> spans;
  const std::vector<int> widths = GetColSizes();
  const int count = std::min(Columns(), static_cast<int>(widths.size()));
  const int room = hWnd != nullptr ? GetClientRect(hWnd).Width() : nWidth();
  FixColPos();
  int x = 0;
  auto add = [&](int c) {
    if (x > room) return false;
    const int w = widths[static_cast<std::size_t>(c) - 1];
    spans.push_back(Span{c, x, c == count ? -1 : w});
    x += w;
    return true;
  };
  for (int c = 1; c <= std::min(nFreeze, count); ++c)
    if (!add(c)) return spans;
  for (int c = nColPos; c <= count; ++c)
    if (!add(c)) break;
  return spans;
}

int TCBrowse::CellX(int col) {
  for (const Span& s : Walk())
    if (s.col == col) return s.x;
  return -1;
}

int TCBrowse::nAtCol(int x) const {
  auto* self = const_cast<TCBrowse*>(this);
  int found = 0;
  for (const Span& s : self->Walk()) {
    if (x >= s.x && (s.width < 0 || x < s.x + s.width)) return s.col;
    found = s.col;
  }
  return found;
}

// ---- sources -------------------------------------------------------------------------------------------

void TCBrowse::SetArray(const xb::Array& array) {
  aArray = xb::Value(array);
  TWBrowse::SetArray(array);
  nRowPos = nColPos = 1;
  if (lCellBrw) HiliteCell(1);
  const int count = static_cast<int>(array.size());
  if (oVBar) {
    oVBar->SetRange(1, count);
    oVBar->SetPos(1);
  }
  if (oHBar) {
    oHBar->SetRange(1, Columns());
    oHBar->SetPos(1);
  }
}

void TCBrowse::SetoDBF(const xb::Value& dbf) {
  oDbf = dbf;
  if (!dbf.IsObject()) return;
  if (std::string(xb::Send(dbf, "CLASSNAME").AsString()) == "TMULTIDBF") {
    if (xb::HasMessage(dbf, xb::Intern("OCTX"))) oCtx = xb::Send(dbf, "OCTX");
    // The browse moves the object itself: its begin- and end-of-file blocks, and its
    // parent's, are cleared.
    const xb::Value parent = xb::HasMessage(dbf, xb::Intern("OPARENT")) ? xb::Send(dbf, "OPARENT") : xb::Value();
    for (const xb::Value& table : {dbf, parent}) {
      if (!table.IsObject()) continue;
      for (const char* setter : {"_BBOF", "_BEOF"}) {
        const xb::Value none[] = {xb::Value()};
        if (xb::HasMessage(table, xb::Intern(setter))) xb::Send(table, xb::Intern(setter), none);
      }
    }
  }
  nRowPos = nColPos = 1;
  cAlias = "DBFOBJECT";
  source_.reset();
  own_skip_ = xb::Value();
  auto object = [](const xb::Args& a) {
    TCBrowse* b = LastBrowseArg(a);
    return b != nullptr ? b->oDbf : xb::Value();
  };
  bLogicLen = Native([object](xb::Args& a) {
    const int count = static_cast<int>(xb::Send(object(a), "RECCOUNT").AsInt());
    if (TCBrowse* b = LastBrowseArg(a)) b->nLen = count;
    return xb::Value::Integer(count);
  });
  bGoTop = Native([object](xb::Args& a) { return xb::Send(object(a), "GOTOP"); });
  bGoBottom = Native([object](xb::Args& a) { return xb::Send(object(a), "GOBOTTOM"); });
  bSkip = Native([object](xb::Args& a) {
    return xb::Value::Integer(xb::Send(object(a), "SKIPPER", {xb::Value::Integer(a.Int(1))}).AsInt());
  });
}

void TCBrowse::SetContext(const xb::Value& context) {
  if (context.IsNil()) {
    lAutoCtx = false;
    oCtx = xb::Value();
    return;
  }
  oCtx = context;
}

void TCBrowse::Reset() {
  nRowPos = nColPos = 1;
  nLen = LogicLen();
  if (oVBar) {
    oVBar->SetRange(1, nLen);
    oVBar->SetPos(1);
  }
}

void TCBrowse::SaveContext() {
  if (oCtx.IsObject()) {
    xb::Send(oCtx, "SAVE");
    return;
  }
  if (!lAutoCtx || IsArray() || IsDbfObject()) return;
  AreaScope in(cAlias);
  if (!in.used()) return;
  context_ = Context{static_cast<std::uint32_t>(Call("RECNO").AsInt()), std::string(Call("ORDNAME").AsString())};
}

void TCBrowse::RestoreContext() {
  if (oCtx.IsObject()) {
    xb::Send(oCtx, "RESTORE");
    return;
  }
  if (!lAutoCtx || !context_ || IsArray() || IsDbfObject()) return;
  AreaScope in(cAlias);
  if (!in.used()) return;
  if (!context_->order.empty()) Call("ORDSETFOCUS", {xb::Value::String(context_->order)});
  Call("DBGOTO", {xb::Value::Integer(context_->record)});
}

// ---- painting --------------------------------------------------------------------------------------------

bool TCBrowse::Focused() const { return hWnd != nullptr && ::GetFocus() == hWnd; }
HFONT TCBrowse::FontHandle() const { return oFont ? oFont->hFont : nullptr; }

int TCBrowse::nRowCount() const {
  if (hWnd == nullptr) return 0;
  return std::max(0, NWRows(hWnd, FontHandle(), nHLine) - (lFooting ? 2 : 1));
}

void TCBrowse::PaintCell(int row, const Span& span, const xb::Value& value, int align, COLORREF fore, COLORREF back,
                         int bitmap_mode) {
  CellPaint c;
  c.hwnd = hWnd;
  c.dc = paint_dc_;
  c.row = row;
  c.x = span.x;
  c.width = span.width;
  c.value = value;
  c.align = align;
  c.fore = fore;
  c.back = back;
  c.font = FontHandle();
  c.bitmap_mode = bitmap_mode;
  c.line_style = row == 0 || (lFooting && row == nRowCount() + 1) ? kCellRaised : nLineStyle;
  c.h_line = nHLine;
  c.strip = ImageStrip::Shared().bitmap();
  TcDrawCell(c);
}

xb::Value TCBrowse::ShownValue(TCColumn& column) const {
  if (!column.lBitMap || !column.Picture().empty()) return xb::Value::String(column.Shown());
  const xb::Value value = column.CellValue();
  if (aBitmaps.IsArray() && !aBitmaps.AsArray().empty()) {
    const xb::Array images = aBitmaps.AsArray();
    const int n = static_cast<int>(value.AsInt());
    if (n >= 1 && n <= static_cast<int>(images.size())) return images.Get(static_cast<std::size_t>(n) - 1);
    return xb::Value();
  }
  return value;
}

void TCBrowse::DrawHeaders() {
  if (hWnd == nullptr) return;
  COLORREF fore = nClrForeHead, back = nClrBackHead;
  COLORREF order_fore = nOClrForeHead.value_or(fore), order_back = nOClrBackHead.value_or(back);
  if (xb::IsFunctionRegistered("LCLASSIC") && Call("LCLASSIC").AsLogical()) fore = order_fore = 0, back = order_back = kLightGrey;
  SyncColSizes();
  for (const Span& s : Walk()) {
    TCColumn* col = Col(s.col);
    const COLORREF text = col->cOrder.empty() ? fore : order_fore;
    const COLORREF pane = s.col == nColOrder ? order_back : back;
    PaintCell(0, s, xb::Value::String(col->Heading()), col->nAlign, text, pane, 0);
  }
  if (lFooting) DrawFooters();
}

void TCBrowse::DrawFooters() {
  const int row = nRowCount() + 1;
  for (const Span& s : Walk()) {
    TCColumn* col = Col(s.col);
    const xb::Value text = col->cFooting.IsString() ? col->cFooting : xb::Value::String("");
    PaintCell(row, s, text, col->nAlign, nClrFFoot.value_or(nClrForeHead), nClrBFoot.value_or(nClrBackHead), 0);
  }
}

void TCBrowse::DrawLine(int row) {
  // The cursor row, drawn as a move leaves it, is followed by the code's bSkipColor.
  const bool cursor_row = row == 0;
  if (cursor_row) row = nRowPos;
  if (hWnd == nullptr) return;
  if (lIconView) {
    DrawIcon(row, false);
    return;
  }
  {
    AreaScope in(IsArray() || IsDbfObject() ? std::string() : cAlias);
    const COLORREF text = TextColourNow(), pane = PaneColourNow();  // blocks: once a row
    for (const Span& s : Walk()) {
      TCColumn* col = Col(s.col);
      PaintCell(row, s, ShownValue(*col), col->nAlign, col->Fore(row, s.col, text), col->Back(row, s.col, pane),
                col->lBitMap ? 1 : 0);
    }
    if (lFooting && nRowPos == 1 && paint_dc_ == nullptr) DrawFooters();
  }
  if (cursor_row) RunSkipColor();
}

void TCBrowse::DrawSelect() {
  if (hWnd == nullptr) return;
  if (lIconView) {
    DrawIcon(nRowPos, true);
    return;
  }
  const bool focused = Focused();
  if (LogicLen() < 1) return;
  // Without a lit bar the row keeps its plain look, painted (it may just have scrolled in).
  if (lNoLiteBar || (lNoGrayBar && !focused)) {
    DrawLine(nRowPos);
    return;
  }
  AreaScope in(IsArray() || IsDbfObject() ? std::string() : cAlias);
  const COLORREF text = TextColourNow(), pane = PaneColourNow();
  for (const Span& s : Walk()) {
    TCColumn* col = Col(s.col);
    if (s.col == 1 && hBmpCursor != 0) {
      PaintCell(nRowPos, s, xb::Value::Integer(hBmpCursor), 0, nClrForeFocus, focused ? nClrBackFocus : kUnfocused, 1);
      continue;
    }
    if (col->lNoLite) {
      PaintCell(nRowPos, s, ShownValue(*col), col->nAlign, col->Fore(nRowPos, s.col, text),
                col->Back(nRowPos, s.col, pane), col->lBitMap ? 2 : 0);
    } else {
      PaintCell(nRowPos, s, ShownValue(*col), col->nAlign, LitFore(s.col), focused ? nClrBackFocus : kUnfocused,
                col->lBitMap ? 1 : 0);
    }
  }
}

void TCBrowse::Paint(HDC dc) {
  if (hWnd == nullptr) return;
  if (lIconView) {
    DrawIcons(dc);
    return;
  }
  paint_dc_ = dc;
  const bool focused = Focused();
  // The caller's place in a shared area, put back after the browse painted its own.
  std::optional<Context> callers;
  if (!focused && !IsArray() && !IsDbfObject() && (context_ || oCtx.IsObject())) {
    AreaScope in(cAlias);
    if (in.used())
      callers = Context{static_cast<std::uint32_t>(Call("RECNO").AsInt()), std::string(Call("ORDNAME").AsString())};
    RestoreContext();
  }
  TableSource* source = Source();
  if (source != nullptr) source->Skip(0);
  DrawHeaders();
  const int rows = nRowCount();
  int last_drawn = 0;
  if (LogicLen() > 0 && rows > 0 && Columns() > 0) {
    nRowPos = std::clamp(nRowPos, 1, rows);
    const int moved = Skip(1 - nRowPos);
    nRowPos = 1 - moved;
    int row = 1;
    for (;;) {
      DrawLine(row);
      last_drawn = row;
      if (row >= rows || Skip(1) != 1) break;
      ++row;
    }
    Skip(nRowPos - row);
    nRowPos = std::clamp(nRowPos, 1, std::max(last_drawn, 1));
  }
  // Rows without records: the pane colour, so nothing of an earlier paint stays.
  const int height = nHRow();
  if (rows > last_drawn && height > 0) {
    const Rect client = GetClientRect(hWnd);
    RECT empty = {client.left, (last_drawn + 1) * height, client.right, (rows + 1) * height};
    HDC target = dc != nullptr ? dc : ::GetDC(hWnd);
    HBRUSH pane = ::CreateSolidBrush(nClrPane);
    ::FillRect(target, &empty, pane);
    ::DeleteObject(pane);
    if (dc == nullptr) ::ReleaseDC(hWnd, target);
  }
  if (last_drawn > 0) DrawSelect();
  if (source != nullptr) {
    lHitTop = source->Bof();
    lHitBottom = source->Eof();
  }
  if (!focused) {
    SaveContext();
    if (callers) {
      AreaScope in(cAlias);
      if (!callers->order.empty()) Call("ORDSETFOCUS", {xb::Value::String(callers->order)});
      Call("DBGOTO", {xb::Value::Integer(callers->record)});
    }
  }
  paint_dc_ = nullptr;
}

Answer TCBrowse::EraseBkGnd(HDC dc) {
  const Rect client = GetClientRect(hWnd);
  const int below = (nRowCount() + (lFooting ? 2 : 1)) * nHRow();
  if (below < client.bottom) {
    HBRUSH pane = ::CreateSolidBrush(nClrPane);
    RECT rest = {client.left, below, client.right, client.bottom};
    ::FillRect(dc, &rest, pane);
    ::DeleteObject(pane);
  }
  return Answer::Number(1);
}

// ---- moving -----------------------------------------------------------------------------------------------

void TCBrowse::GoDown(bool draw) {
  if (LogicLen() < 1) return;
  ResetSeek();
  RunSeekChange();
  if (lHitBottom) return;
  if (draw) DrawLine();
  if (Skip(1) == 1) {
    lHitTop = false;
    if (nRowPos < nRowCount()) {
      ++nRowPos;
    } else if (draw) {
      TcScrollRows(hWnd, 1, FontHandle(), nHLine, nRowCount());
    }
  } else {
    lHitBottom = true;
  }
  if (draw) DrawSelect();
  if (oVBar) oVBar->GoDown();
  if (draw) RunChange();
  SaveContext();
}

void TCBrowse::GoUp(bool draw) {
  if (LogicLen() < 1) return;
  ResetSeek();
  RunSeekChange();
  if (lHitTop) return;
  if (draw) DrawLine();
  if (Skip(-1) == -1) {
    lHitBottom = false;
    if (nRowPos > 1) {
      --nRowPos;
    } else if (draw) {
      TcScrollRows(hWnd, -1, FontHandle(), nHLine, nRowCount());
      DrawLine(1);
    }
  } else {
    lHitTop = true;
  }
  if (draw) DrawSelect();
  if (oVBar) oVBar->GoUp();
  if (draw) RunChange();
  SaveContext();
}

void TCBrowse::PageUp(int lines) {
  ResetSeek();
  TWBrowse::PageUp(lines);
  SaveContext();
}

void TCBrowse::PageDown(int lines) {
  ResetSeek();
  TWBrowse::PageDown(lines);
  SaveContext();
}

void TCBrowse::UpStable() {
  TWBrowse::UpStable();
  SaveContext();
}

void TCBrowse::Refresh(bool erase) {
  SaveContext();
  TWBrowse::Refresh(erase);
}

Answer TCBrowse::VScroll(WPARAM wparam, LPARAM lparam) {
  const Answer answer = TWBrowse::VScroll(wparam, lparam);
  SaveContext();
  return answer;
}

void TCBrowse::GoTop() {
  if (LogicLen() < 1 || lHitTop) return;
  if (bGoTop.IsBlock()) bGoTop.AsBlock().Eval({Self()});
  lHitTop = true;
  lHitBottom = false;
  nRowPos = 1;
  Refresh(false);
  if (oVBar) oVBar->GoTop();
  RunChange();
  if (lCellBrw) HiliteCell(nCell);
  SaveContext();
}

void TCBrowse::GoBottom() {
  if (LogicLen() < 1 || lHitBottom) return;
  lHitTop = false;
  if (bGoBottom.IsBlock()) bGoBottom.AsBlock().Eval({Self()});
  const int back = Skip(-(std::max(nRowCount(), 1) - 1));
  nRowPos = 1 - back;
  Skip(-back);
  lHitBottom = true;
  Repaint();
  if (oVBar) {
    if (oVBar->GetRange().second != nLen) oVBar->SetRange(1, nLen);
    oVBar->GoBottom();
  }
  RunChange();
  if (lCellBrw) HiliteCell(nCell);
  SaveContext();
}

void TCBrowse::GoLeft() {
  if (!lCellBrw) {
    // The scrolled columns move; the frozen ones stay.
    if (FixColPos() > nFreeze + 1) {
      --nColPos;
      Repaint();
      if (oHBar) oHBar->SetPos(nColPos);
    }
    return;
  }
  if (nCell > 1) {
    --nCell;
    if (nColPos > nFreeze + 1 && nColPos > nCell) {
      --nColPos;
      Refresh(false);
    }
    if (oHBar) oHBar->GoUp();
  }
  HiliteCell(nCell);
  DrawSelect();
}

void TCBrowse::GoRight() {
  const int count = Columns();
  if (!lCellBrw) {
    if (FixColPos() < count) {
      ++nColPos;
      Repaint();
      if (oHBar) oHBar->SetPos(nColPos);
    }
    return;
  }
  FixColPos();
  if (nFreeze > 0 && nCell < nColPos - 1) {
    nCell = nColPos - 1;
    if (oHBar) oHBar->SetPos(nCell);
  }
  if (nCell < count) {
    ++nCell;
    if (ScrollToFit(nCell)) Refresh(false);
    if (oHBar) oHBar->GoDown();
  }
  HiliteCell(nCell);
  DrawSelect();
}

bool TCBrowse::ScrollToFit(int cell) {
  const int count = Columns();
  if (hWnd == nullptr || cell <= nFreeze || cell > count) return false;
  FixColPos();
  SyncColSizes();
  const std::vector<int> widths = GetColSizes();
  int right = 0;
  for (int c = 1; c <= std::min(nFreeze, count); ++c) right += widths[static_cast<std::size_t>(c) - 1];
  for (int c = nColPos; c <= cell; ++c) right += widths[static_cast<std::size_t>(c) - 1];
  const int room = GetClientRect(hWnd).Width();
  bool scrolled = false;
  while (right > room && nColPos < cell && nColPos < count) {
    right -= widths[static_cast<std::size_t>(nColPos) - 1];
    ++nColPos;
    scrolled = true;
  }
  return scrolled;
}

bool TCBrowse::HiliteCell(int cell, std::optional<int> pixel) {
  if (!lCellBrw) return false;
  const int old = nCell;
  const int old_pos = nColPos;
  const int count = Columns();
  if (pixel) {
    // The cell walks to the column under the point, one column at a time; a column cut by
    // the right edge scrolls the columns after the frozen ones until it shows whole.
    const int target = std::clamp(nAtCol(*pixel), 1, std::max(count, 1));
    nCell = std::clamp(nCell, 1, std::max(count, 1));
    while (nCell != target) {
      nCell += nCell < target ? 1 : -1;
      ScrollToFit(nCell);
    }
  } else {
    nCell = std::clamp(cell, 1, std::max(count, 1));
  }
  const bool changed = nCell != old;
  for (int c = 1; c <= count; ++c) Col(c)->lNoLite = !Col(c)->lFixLite;
  if (TCColumn* current = Col(nCell)) current->lNoLite = false;
  if (changed && oHBar) oHBar->SetPos(nCell);
  if ((changed && oHBar) || nColPos != old_pos) Refresh(false);
  return changed;
}

void TCBrowse::ResetBarPos() {
  nLen = LogicLen();
  int position = 1;
  if (TableSource* s = Source()) {
    position = s->Position();
  } else if (IsArray()) {
    position = nAt;
  } else if (IsDbfObject()) {
    // What the object answers; else the place the bar kept through the moves.
    if (xb::HasMessage(oDbf, xb::Intern("ORDKEYNO"))) position = static_cast<int>(xb::Send(oDbf, "ORDKEYNO").AsInt());
    else if (xb::HasMessage(oDbf, xb::Intern("RECNO"))) position = static_cast<int>(xb::Send(oDbf, "RECNO").AsInt());
    else if (oVBar) position = oVBar->GetPos();
  }
  position = std::clamp(position, 1, std::max(nLen, 1));
  if (oVBar) {
    oVBar->SetRange(std::min(1, nLen), nLen);
    oVBar->SetPos(position);
  }
  nRowPos = std::max(1, std::min(nRowPos, position));
}

// ---- order and search ----------------------------------------------------------------------------------------

bool TCBrowse::SetOrder(int col) {
  TCColumn* column = Col(col);
  if (column == nullptr || column->cOrder.empty() || IsArray()) return false;
  bool changed = false;
  if (IsDbfObject()) {
    xb::Send(oDbf, "SETORDER", {xb::Value::String(column->cOrder)});
    changed = true;
  } else {
    AreaScope in(cAlias);
    if (!in.used()) return false;
    const std::string before(Call("ORDNAME").AsString());
    Call("ORDSETFOCUS", {xb::Value::String(column->cOrder)});
    const std::string key(Call("ORDKEY").AsString());
    cOrderType = key.empty() ? std::string() : std::string(Call("VALTYPE", {xb::EvalMacro(key)}).AsString());
    changed = before != std::string(Call("ORDNAME").AsString());
  }
  SaveContext();
  if (TableSource* s = Source()) s->Invalidate();
  ResetBarPos();
  nColOrder = col;
  if (hWnd != nullptr) {
    UpStable();
    Refresh(false);
  }
  ResetSeek();
  if (hWnd != nullptr) ::SetFocus(hWnd);
  RunSeekChange();
  return changed;
}

void TCBrowse::ResetSeek() {
  if (cOrderType == "D") cSeek = EmptyDateText();
  else cSeek.clear();
}

void TCBrowse::RunSeekChange() {
  if (bSeekChange.IsBlock()) bSeekChange.AsBlock().Eval({Self()});
}

void TCBrowse::Tone() {
  if (xb::IsFunctionRegistered("TONE")) Call("TONE", {xb::Value::Integer(500), xb::Value::Integer(1)});
  else ::MessageBeep(0);
}

}  // namespace ui
