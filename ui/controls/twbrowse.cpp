// TWBrowse: construction, data sources and navigation.
#include "ui/controls/twbrowse.h"

#include <algorithm>

#include "runtime/function_table.h"
#include "runtime/rdd/workareas.h"
#include "ui/bridge/image_strip.h"
#include "ui/bridge/text_drawing.h"
#include "ui/controls/browse_paint.h"
#include "ui/controls/table_source.h"
#include "ui/controls/tlinklist.h"
#include "ui/controls/ttreeitem.h"
#include "ui/controls/tget.h"
#include "ui/controls/tscrollbar.h"
#include "ui/core/msg_box.h"
#include "ui/core/tdialog.h"
#include "ui/core/value_text.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

constexpr int kRowPixels = 14;
constexpr int kColPixels = 8;

TWBrowse* BrowseArg(const xb::Args& a, int n) { return dynamic_cast<TWBrowse*>(a.Obj(n).get()); }

// The browse is the movement blocks' last argument.
TWBrowse* LastBrowseArg(const xb::Args& a) { return a.Count() > 0 ? BrowseArg(a, a.Count()) : nullptr; }

xb::Value Native(std::function<xb::Value(xb::Args&)> fn) { return xb::Value(xb::Block::Native(std::move(fn))); }

std::string CurrentAlias() { return std::string(xb::CallFunction("ALIAS").AsString()); }

}  // namespace

TWBrowse::TWBrowse() : TWBrowse(Cls()) {}

TWBrowse::TWBrowse(const xb::Class& cls) : TControl(cls) {
  lTCB = cls.IsDerivedFrom("TQZBROWSE") || cls.IsDerivedFrom("TCBROWSE");
  for (xb::Value* settings : ColumnSettings()) *settings = xb::Value(xb::Array::New());
}

std::vector<xb::Value*> TWBrowse::ColumnSettings() {
  return {&aPictures,  &aEditables, &aMessages,  &abValids,   &acErrors, &alNoHilite, &acOrder, &acFooting,
          &abPrevEdit, &abPostEdit, &anEditMove, &alFixLite, &abChange, &abWhen,     &abPicture};
}

TWBrowse::~TWBrowse() { *alive_ = nullptr; }

void TWBrowse::Traverse(xb::GcVisitor& visitor) {
  TControl::Traverse(visitor);
  for (const xb::Value* colour : {&text_block_, &pane_block_, &stripe_text_, &stripe_pane_})
    if (xb::GcObject* held = colour->GcTarget()) visitor.Visit(held);
  for (xb::Object* held : {static_cast<xb::Object*>(oVBar.get()), static_cast<xb::Object*>(oHBar.get()),
                           static_cast<xb::Object*>(cell_editor_.get())}) {
    if (held != nullptr) visitor.Visit(held);
  }
}

void TWBrowse::ClearValues() {
  TControl::ClearValues();
  oVBar = oHBar = nullptr;
  cell_editor_ = nullptr;
  bLine = bSkip = bGoTop = bGoBottom = bLogicLen = bAdd = own_skip_ = xb::Value();
  aHeaders = aColSizes = aJustify = aActions = uValue1 = uValue2 = xb::Value();
  aIcons = bIconDraw = bIconText = aBmpWidths = aBmpHeight = bSkipColor = xb::Value();
  text_block_ = pane_block_ = stripe_text_ = stripe_pane_ = xb::Value();
  for (xb::Value* settings : ColumnSettings()) *settings = xb::Value();
}

// ---- construction ---------------------------------------------------------------------------------

template <typename Params>
void TWBrowse::TakeCommon(const Params& p) {
  bLine = p.line;
  aHeaders = p.headers;
  aColSizes = p.col_sizes;
  bChange = p.change;
  bLDblClick = p.dbl_click;
  bRClicked = p.r_clicked;
  oCursor = p.cursor;
  cMsg = p.message;
  lUpdate = p.update;
  cAlias = p.alias.value_or(CurrentAlias());
  bWhen = p.when;
  bValid = p.valid;
  bLClicked = p.l_clicked;
  aActions = p.actions;
  nHLine = p.h_line;
  nxClrLine = p.line_colour;
}

TWBrowse& TWBrowse::New(const NewParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  nTop = p.pixel ? p.row : p.row * kRowPixels;
  nLeft = p.pixel ? p.col : p.col * kColPixels;
  nBottom = nTop + p.height - 1;
  nRight = nLeft + p.width - 1;
  TakeCommon(p);
  lDrag = p.design;
  lDesign = p.design;
  nStyle = WS_CHILD | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE | WS_TABSTOP;
  if (!p.no_border) nStyle |= WS_BORDER;
  if (p.design) nStyle |= WS_CLIPSIBLINGS;
  Register(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS);
  ImageStrip::Shared();
  lTree = false;
  nRowPos = nColPos = nColAct = 1;
  lMChange = true;
  lAutoEdit = lAutoSkip = lCellStyle = false;
  lClassic = xb::IsFunctionRegistered("LCLASSIC") && xb::CallFunction("LCLASSIC").AsLogical();
  SetFilter(p.field, p.value1, p.value2);
  bAdd = Native([](xb::Args& a) -> xb::Value {
    if (TWBrowse* b = LastBrowseArg(a)) {
      if (auto* area = xb::rdd::WorkAreas::Get().Area(xb::rdd::WorkAreas::Get().AreaOfAlias(b->cAlias))) {
        area->Append();
        if (TableSource* s = b->Source()) s->Invalidate();
        b->UpStable();
      }
    }
    return xb::Value();
  });
  nLineStyle = kLineSolid;
  // The window black on white; the colours asked for are the plain ones rows take when they
  // do not alternate, and the background below them.
  SetColor(0, RGB(255, 255, 255));
  nXClrPane = p.back;
  nxClrText = p.fore;
  oFont = p.font ? p.font : (oWnd ? oWnd->oFont : nullptr);
  if (oWnd && oWnd->hWnd != nullptr) {
    if (nId == 0) nId = GetNewId();
    Create();
    if (hWnd != nullptr) {
      if (oFont) SetFont(oFont);
      Default();
      oWnd->AddControl(WindowRef(this));
    }
  } else if (auto* dialog = dynamic_cast<TDialog*>(oWnd.get())) {
    dialog->DefControl(WindowRef(this));
  }
  if (lDesign) CheckDots();
  StripesAdvance();
  return *this;
}

TWBrowse& TWBrowse::ReDefine(int id, const RedefineParams& p) {
  TakeCommon(p);
  oFont = p.font;
  lDrag = false;
  nRowPos = nColPos = nColAct = 1;
  lMChange = true;
  lClassic = xb::IsFunctionRegistered("LCLASSIC") && xb::CallFunction("LCLASSIC").AsLogical();
  SetFilter(p.field, p.value1, p.value2);
  nLineStyle = kLineSolid;
  SetColor(p.fore, p.back);
  nXClrPane = p.back;
  nxClrText = p.fore;
  ImageStrip::Shared();
  Register(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS);
  Redefine(id, p.parent ? p.parent : GetWndDefault());
  if (!lTCB) LoadLook();
  return *this;
}

void TWBrowse::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (hWnd != nullptr) Default();
}

void TWBrowse::Default() {
  TControl::Default();
  if (!aHeaders.IsArray()) aHeaders = xb::Value(xb::Array::New());
  if (aColSizes.IsNil()) aColSizes = xb::Value(xb::Array::New());
  xb::rdd::WorkArea* area = nullptr;
  if (bLine.IsNil()) {
    if (cAlias.empty()) cAlias = CurrentAlias();
    bLine = Native([](xb::Args& a) -> xb::Value {
      TWBrowse* b = LastBrowseArg(a);
      return b != nullptr ? xb::Value(AFields(*b)) : xb::Value(xb::Array::New());
    });
    xb::Array justify = xb::Array::New();
    area = xb::rdd::WorkAreas::Get().Area(xb::rdd::WorkAreas::Get().AreaOfAlias(cAlias));
    for (int f = 1; area != nullptr && f <= area->FieldCount(); ++f)
      justify.Append(xb::Value::Logical(area->FieldAt(f)->type == 'N'));
    aJustify = xb::Value(justify);
  }
  if (area == nullptr) area = xb::rdd::WorkAreas::Get().Area(xb::rdd::WorkAreas::Get().AreaOfAlias(cAlias));
  const xb::Array values = Values();
  xb::Array headers = aHeaders.AsArray();
  if (headers.size() < values.size()) {
    if (!Cargo.IsNil()) {
      aHeaders = xb::Value(xb::Array::Of({xb::Value::String("")}));
    } else if (area != nullptr && area->used()) {
      xb::Array names = xb::Array::New();
      for (int f = 1; f <= area->FieldCount(); ++f) names.Append(xb::Value::String(area->FieldAt(f)->name));
      aHeaders = xb::Value(names);
    }
  }
  if (aColSizes.IsArray() && aColSizes.AsArray().size() < values.size()) {
    xb::Array sizes = xb::Array::New();
    const xb::Array h = aHeaders.AsArray();
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (!values.Get(i).IsString()) {
        sizes.Append(xb::Value::Integer(15));
        continue;
      }
      const std::size_t header = i < h.size() ? h.Get(i).StringLength() : 0;
      const std::size_t chars = std::max(header, values.Get(i).StringLength()) + 1;
      sizes.Append(xb::Value::Integer(GetTextWidth(nullptr, std::string(chars, 'B'), oFont ? oFont->hFont : nullptr)));
    }
    aColSizes = xb::Value(sizes);
  }
  const LONG style = hWnd != nullptr ? ::GetWindowLongA(hWnd, GWL_STYLE) : 0;
  char class_name[32] = {};
  if (hWnd != nullptr) ::GetClassNameA(hWnd, class_name, sizeof class_name);
  const int records = LogicLen();
  if ((style & WS_VSCROLL) != 0 || std::string_view(class_name) == "ListBox") {
    TScrollBar::WinParams v;
    v.min = std::min(1, records);
    v.max = records;
    v.page_step = std::min(nRowCount(), std::max(records - 1, 0));
    oVBar = TScrollBar::OverWindow(*this, v);
    oVScroll = oVBar;
  }
  if (lTree) {
    RemoveHBar();
  } else if ((style & WS_HSCROLL) != 0 && Cargo.IsNil()) {
    TScrollBar::WinParams h;
    h.vertical = false;
    h.min = 1;
    h.max = std::max(ColumnCount(), 1);
    oHBar = TScrollBar::OverWindow(*this, h);
    oHScroll = oHBar;
  }
  if (!oFont && oWnd) oFont = oWnd->oFont;
  if (source_ && source_->HasScope() && bGoTop.IsBlock()) bGoTop.AsBlock().Eval({Self()});
  SyncThumb();
  RunChange();
  ResetColor();
  nPRow = 0;
}

// ---- data sources ----------------------------------------------------------------------------------

TableSource* TWBrowse::Source() const {
  if (!source_ || !bSkip.SameAs(own_skip_)) return nullptr;
  return source_.get();
}

void TWBrowse::SetFilter(const std::string& field, const xb::Value& value1, const xb::Value& value2) {
  cField = field;
  uValue1 = value1;
  uValue2 = value2.IsNil() ? value1 : value2;
  source_ = std::make_unique<TableSource>(cAlias);
  if (!value1.IsNil()) {
    source_->SetScope(field, uValue1, uValue2);
    if (!source_->ScopeTypesAgree())
      MsgAlert(xb::Value::String("TWBrowse SetFilter() types don't match with current Index Key type!"));
  }
  source_->SetCountLimit(nMaxFilter);
  // The blocks reach the source through the browse they are given, never through a pointer
  // that could outlive it.
  auto source_of = [](const xb::Args& a) -> TableSource* {
    TWBrowse* b = LastBrowseArg(a);
    return b != nullptr && b->source_ ? b->source_.get() : nullptr;
  };
  bGoTop = Native([source_of](xb::Args& a) {
    if (TableSource* s = source_of(a)) s->GoTop();
    return xb::Value();
  });
  bGoBottom = Native([source_of](xb::Args& a) {
    if (TableSource* s = source_of(a)) s->GoBottom();
    return xb::Value();
  });
  bSkip = Native([source_of](xb::Args& a) {
    TableSource* s = source_of(a);
    return xb::Value::Integer(s != nullptr ? s->Skip(static_cast<int>(a.Int(1))) : 0);
  });
  own_skip_ = bSkip;
  bLogicLen = Native([source_of](xb::Args& a) {
    TableSource* s = source_of(a);
    TWBrowse* b = LastBrowseArg(a);
    if (s != nullptr && b != nullptr) s->SetCountLimit(b->nMaxFilter);
    const int count = s != nullptr && s->Used() ? s->Count() : 0;
    if (b != nullptr) b->nLen = count;
    return xb::Value::Integer(count);
  });
  nLen = LogicLen();
  lHitTop = lHitBottom = false;
  if (source_->HasScope()) bGoTop.AsBlock().Eval({Self()});
}

void TWBrowse::SetArray(const xb::Array& array) {
  nAt = 1;
  cAlias = "ARRAY";
  source_.reset();
  own_skip_ = xb::Value();
  bLogicLen = Native([array](xb::Args& a) {
    const int count = static_cast<int>(array.size());
    if (TWBrowse* b = LastBrowseArg(a)) b->nLen = count;
    return xb::Value::Integer(count);
  });
  bGoTop = Native([](xb::Args& a) {
    if (TWBrowse* b = LastBrowseArg(a)) b->nAt = 1;
    return xb::Value();
  });
  bGoBottom = Native([array](xb::Args& a) {
    if (TWBrowse* b = LastBrowseArg(a)) b->nAt = std::max(static_cast<int>(array.size()), 1);
    return xb::Value();
  });
  bSkip = Native([array](xb::Args& a) {
    TWBrowse* b = LastBrowseArg(a);
    if (b == nullptr) return xb::Value::Integer(0);
    const int count = static_cast<int>(array.size());
    const int from = b->nAt;
    b->nAt = std::clamp(from + static_cast<int>(a.Int(1)), 1, std::max(count, 1));
    return xb::Value::Integer(b->nAt - from);
  });
}

void TWBrowse::SetTree(TLinkList& tree) {
  lTree = true;
  lMChange = false;
  source_.reset();
  own_skip_ = xb::Value();
  const xb::Ref<TLinkList> list(&tree);
  // The current item, shared by the blocks (and kept in Cargo for compiled text).
  const auto current = xb::MakeRef<xb::RefCell>();
  auto item_of = [current]() { return dynamic_cast<TTreeItem*>(current->value.AsObject().get()); };
  auto set = [current](TWBrowse* b, TTreeItem* item) {
    current->value = item != nullptr ? item->Self() : xb::Value();
    if (b != nullptr) b->Cargo = current->value;
  };
  set(this, tree.First());
  bLine = Native([item_of](xb::Args&) {
    TTreeItem* item = item_of();
    return item != nullptr ? xb::Value(item->GetLabel()) : xb::Value(xb::Array::New());
  });
  aColSizes = Native([item_of](xb::Args&) {
    TTreeItem* item = item_of();
    return item != nullptr ? xb::Value(item->ColSizes())
                           : xb::Value(xb::Array::Of({xb::Value::Integer(16), xb::Value::Integer(300)}));
  });
  bGoTop = Native([list, set](xb::Args& a) {
    set(LastBrowseArg(a), list->First());
    return xb::Value();
  });
  bGoBottom = Native([list, set](xb::Args& a) {
    set(LastBrowseArg(a), list->GetLast());
    return xb::Value();
  });
  bSkip = Native([item_of, set](xb::Args& a) {
    TTreeItem* item = item_of();
    if (item == nullptr) return xb::Value::Integer(0);
    int n = static_cast<int>(a.Int(1));
    set(LastBrowseArg(a), item->Skip(n));
    return xb::Value::Integer(n);
  });
  bLogicLen = Native([list](xb::Args& a) {
    const int count = list->nCount();
    if (TWBrowse* b = LastBrowseArg(a)) b->nLen = count;
    return xb::Value::Integer(count);
  });
  auto toggle = [item_of](TWBrowse* b) {
    TTreeItem* item = item_of();
    if (item == nullptr || !item->HasTree()) return;
    item->Toggle();
    if (b != nullptr) b->Refresh();
  };
  bLDblClick = Native([toggle](xb::Args& a) {
    toggle(LastBrowseArg(a));
    return xb::Value();
  });
  bKeyChar = Native([toggle](xb::Args& a) {
    if (a.Int(1) == VK_RETURN) toggle(LastBrowseArg(a));
    return xb::Value();
  });
  RemoveHBar();
  tree.Draw();
  nHLine = 0;
}

void TWBrowse::RemoveHBar() {
  // Range 0, 0 hides the window's own bar; without the object no paint gives it a range again.
  if (oHBar) {
    oHBar->SetRange(0, 0);
  } else if (hWnd != nullptr && (::GetWindowLongA(hWnd, GWL_STYLE) & WS_HSCROLL) != 0) {
    ::SetScrollRange(hWnd, SB_HORZ, 0, 0, TRUE);
  }
  if (oHScroll.get() == oHBar.get()) oHScroll = nullptr;
  oHBar = nullptr;
}

void TWBrowse::SetCols(const xb::Array& blocks, const xb::Value& headers, const xb::Value& col_sizes) {
  bLine = Native([blocks](xb::Args&) {
    xb::Array cells = xb::Array::New();
    for (const xb::Value& b : blocks) cells.Append(b.IsBlock() ? b.AsBlock().Eval() : b);
    return xb::Value(cells);
  });
  if (headers.IsArray()) aHeaders = headers;
  if (col_sizes.IsArray() || col_sizes.IsBlock()) aColSizes = col_sizes;
  if (!aColSizes.IsBlock() && aColSizes.AsArray().size() < blocks.size()) {
    aColSizes = xb::Value(xb::Array::New());
    Default();
  }
  xb::Array justify = xb::Array::New();
  for (std::size_t i = 0; i < blocks.size(); ++i) justify.Append(xb::Value::Logical(false));
  aJustify = xb::Value(justify);
  if (oHBar) oHBar->SetRange(1, static_cast<int>(blocks.size()));
}

// ---- movement primitives ------------------------------------------------------------------------------

int TWBrowse::Skip(int n) {
  if (bSkip.IsBlock()) return static_cast<int>(bSkip.AsBlock().Eval({xb::Value::Integer(n), Self()}).AsInt());
  return source_ ? source_->Skip(n) : 0;
}

int TWBrowse::LogicLen() {
  if (bLogicLen.IsBlock()) nLen = static_cast<int>(bLogicLen.AsBlock().Eval({Self()}).AsInt());
  return nLen;
}

bool TWBrowse::HasRecords() { return LogicLen() > 0 || lTree; }

void TWBrowse::RunChange() {
  if (bChange.IsBlock()) bChange.AsBlock().Eval({Self()});
}

xb::Array TWBrowse::Values() {
  if (!bLine.IsBlock()) return xb::Array::New();
  const xb::Value cells = bLine.AsBlock().Eval({Self()});
  if (cells.IsArray()) return cells.AsArray();
  return xb::Array::Of({cells});
}

int TWBrowse::ColumnCount() const {
  if (aHeaders.IsArray() && !aHeaders.AsArray().empty()) return static_cast<int>(aHeaders.AsArray().size());
  return static_cast<int>(GetColSizes().size());
}

void TWBrowse::SyncThumb() {
  if (!oVBar) return;
  if (TableSource* s = Source()) {
    const int position = s->Position();
    if (position > 0) oVBar->SetPos(position);
  } else if (cAlias == "ARRAY") {
    oVBar->SetPos(nAt);
  }
}

// ---- navigation ----------------------------------------------------------------------------------------

void TWBrowse::GoDown(bool draw) {
  if ((LogicLen() < 1 && !lTree) || lHitBottom) return;
  StripesHold();
  if (draw) DrawLine();
  if (Skip(1) == 1) {
    lHitTop = false;
    if (nRowPos < nRowCount()) {
      ++nRowPos;
    } else {
      DC();
      if (draw) ScrollRows(-1);
    }
  } else {
    lHitBottom = true;
  }
  if (draw) DrawSelect();
  if (oVBar) oVBar->GoDown();
  if (draw) RunChange();
}

void TWBrowse::GoUp(bool draw) {
  if ((LogicLen() < 1 && !lTree) || lHitTop) return;
  StripesHold();
  if (draw) DrawLine();
  if (Skip(-1) == -1) {
    lHitBottom = false;
    if (nRowPos > 1) {
      --nRowPos;
    } else {
      UC();
      if (draw) ScrollRows(1);
    }
  } else {
    lHitTop = true;
  }
  if (draw) DrawSelect();
  if (oVBar) oVBar->GoUp();
  if (draw) RunChange();
}

void TWBrowse::PageDown(int lines) {
  if (LogicLen() < 1) return;
  const int count = lines > 0 ? lines : nRowCount();
  const int keep = nRowPos;
  for (int i = 0; i < count && !lHitBottom; ++i) GoDown(false);
  if (!lHitBottom) nRowPos = keep;
  Repaint();
  RunChange();
}

void TWBrowse::PageUp(int lines) {
  if (LogicLen() < 1) return;
  const int count = lines > 0 ? lines : nRowCount();
  const int keep = nRowPos;
  for (int i = 0; i < count && !lHitTop; ++i) GoUp(false);
  if (!lHitTop) nRowPos = keep;
  Repaint();
  RunChange();
}

void TWBrowse::GoTop() {
  if (LogicLen() < 1 || lHitTop) return;
  if (bGoTop.IsBlock()) bGoTop.AsBlock().Eval({Self()});
  lHitTop = true;
  lHitBottom = false;
  nRowPos = 1;
  ResetColor();
  Repaint();
  if (oVBar) oVBar->GoTop();
  RunChange();
}

void TWBrowse::GoBottom() {
  // The count made now, so the selected row is the last one drawn.
  if (LogicLen() < 1 || lHitBottom) return;
  lHitTop = false;
  if (bGoBottom.IsBlock()) bGoBottom.AsBlock().Eval({Self()});
  nRowPos = std::max(1, std::min(nLen, nRowCount()));
  Repaint();
  lHitBottom = true;
  if (oVBar) {
    if (oVBar->GetRange().second != nLen) oVBar->SetRange(1, nLen);
    oVBar->GoBottom();
  }
  RunChange();
}

void TWBrowse::GoRight() {
  const int columns = ColumnCount();
  if (nColAct >= columns) return;
  ++nColAct;
  while (!IsColVisible(nColAct) && nColPos < nColAct) ++nColPos;
  if (!lCellStyle) nColPos = nColAct;
  Repaint();
  if (oHBar) oHBar->GoDown();
}

void TWBrowse::GoLeft() {
  if (nColAct <= 1) return;
  if (lCellStyle && IsColVisible(nColAct - 1)) {
    --nColAct;
  } else {
    --nColAct;
    nColPos = std::max(1, nColPos - 1);
  }
  Repaint();
  if (oHBar) oHBar->GoUp();
}

void TWBrowse::UpStable() {
  const int keep_row = nRowPos;
  std::uint32_t record = 0;
  TableSource* s = Source();
  if (s != nullptr) {
    if (!s->Shows()) s->Skip(1);  // a record the browse no longer shows: the next one
    record = s->RecNo();
  }
  const int element = nAt;
  nRowPos = 1;
  lHitTop = false;
  GoTop();
  lHitTop = lHitBottom = false;
  // The record is left current where it is met; within the first page it takes its row.
  for (int row = 1;; ++row) {
    const bool met = s != nullptr ? s->RecNo() == record : nAt == element;
    if (met) {
      nRowPos = row;
      break;
    }
    if (row > nRowCount() || Skip(1) != 1) {
      if (s != nullptr && record != 0) s->GoTo(record);
      nAt = element;
      nRowPos = std::min(keep_row, std::max(nRowCount(), 1));
      break;
    }
  }
  SyncThumb();
  Repaint();
  RunChange();
}

void TWBrowse::RecAdd() {
  if (bAdd.IsBlock()) bAdd.AsBlock().Eval({Self()});
}

bool TWBrowse::lCloseArea() {
  auto& areas = xb::rdd::WorkAreas::Get();
  if (const int number = areas.AreaOfAlias(cAlias); number != 0 && cAlias != "ARRAY") {
    if (xb::rdd::WorkArea* area = areas.Area(number)) area->Close();
  }
  cAlias.clear();
  return true;
}

int TWBrowse::RecCount(const xb::Value& seek) {
  if (!source_) return LogicLen();
  if (seek.IsNil() || !source_->HasScope() || seek.SameAs(uValue1)) return source_->Count();
  TableSource from(cAlias);
  from.SetScope(cField, seek, uValue2);
  from.SetCountLimit(nMaxFilter);
  return from.Count();
}

// ---- columns -------------------------------------------------------------------------------------------

std::vector<int> TWBrowse::GetColSizes() const {
  xb::Value sizes = aColSizes;
  if (sizes.IsBlock()) sizes = sizes.AsBlock().Eval();
  std::vector<int> widths;
  if (sizes.IsArray())
    for (const xb::Value& w : sizes.AsArray()) widths.push_back(static_cast<int>(w.AsInt()));
  return widths;
}

bool TWBrowse::IsColVisible(int column) const {
  if (column < nColPos) return false;
  const std::vector<int> widths = GetColSizes();
  int visible = nWidth();
  if (hWnd != nullptr && (::GetWindowLongA(hWnd, GWL_STYLE) & WS_VSCROLL) != 0) visible -= 16;
  int sum = 0;
  int c = nColPos;
  for (; c <= column && c <= static_cast<int>(widths.size()); ++c) {
    sum += widths[static_cast<std::size_t>(c) - 1];
    if (sum >= visible) break;
  }
  return c > column && sum <= visible;
}

int TWBrowse::nAtCol(int x) const {
  const std::vector<int> widths = GetColSizes();
  int c = nColPos - 1;
  int sum = 0;
  while (sum < x && c < static_cast<int>(widths.size())) {
    sum += widths[static_cast<std::size_t>(c)];
    ++c;
  }
  return c;
}

void TWBrowse::ShowSizes() {
  const std::vector<int> widths = GetColSizes();
  const xb::Array headers = aHeaders.AsArray();
  std::string text;
  for (std::size_t i = 0; i < widths.size(); ++i) {
    char width[8];
    std::snprintf(width, sizeof width, "%3d", widths[i]);
    text += std::string(headers.Get(i).AsString()) + ": " + width + "\n\r";
  }
  MsgInfo(xb::Value::String(text));
}

// ---- cells of a table ------------------------------------------------------------------------------------

xb::Array AFields(TWBrowse& browse) {
  auto& areas = xb::rdd::WorkAreas::Get();
  xb::rdd::WorkArea* area = areas.Area(areas.AreaOfAlias(browse.cAlias));
  if (area == nullptr || !area->used()) return xb::Array::New();
  const std::vector<int> widths = browse.GetColSizes();
  const int fields = area->FieldCount();
  if (widths.empty()) return xb::Array::New(static_cast<std::size_t>(fields));
  xb::Array cells = xb::Array::New();
  int used = 0;
  const int room = browse.nWidth();
  for (int c = 1; c <= static_cast<int>(widths.size()); ++c) {
    const bool visible = c >= browse.nColPos && used <= room && c <= fields;
    if (c >= browse.nColPos) used += widths[static_cast<std::size_t>(c) - 1];
    if (!visible) {
      cells.Append(xb::Value::String(""));
      continue;
    }
    if (area->FieldAt(c)->type == 'M') {
      cells.Append(xb::Value::String(area->GetField(c).StringLength() > 0 ? "<Memo>" : "<memo>"));
    } else {
      cells.Append(xb::Value::String(CValToChar(area->GetField(c))));
    }
  }
  return cells;
}

}  // namespace ui
