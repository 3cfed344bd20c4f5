// TCBrowse: the incremental search, keys, the mouse (header drags and border drags) and the
// cell editor.
#include <algorithm>
#include <utility>

#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "ui/bridge/cursors.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/message_decoder.h"
#include "ui/controls/area_scope.h"
#include "ui/controls/cell_paint.h"
#include "ui/controls/date_seek.h"
#include "ui/controls/memo_edit.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tbitmap.h"
#include "ui/controls/table_source.h"
#include "ui/controls/tcbrowse.h"
#include "ui/controls/tccolumn.h"
#include "ui/controls/tcombobox.h"
#include "ui/controls/tget.h"
#include "ui/controls/tscrollbar.h"
#include "ui/core/msg_box.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"

namespace ui {
namespace {

constexpr int kMinColumnWidth = 5;
constexpr int kBandWidth = 4;

xb::Value Call(const char* name, std::initializer_list<xb::Value> args = {}) { return xb::CallFunction(name, args); }

}  // namespace

// ---- search -------------------------------------------------------------------------------------------

void TCBrowse::Seek(int key) {
  AreaScope in(IsDbfObject() ? std::string() : cAlias);
  std::string key_text;
  if (!IsDbfObject()) {
    if (!in.used()) return;
    key_text = std::string(Call("ORDKEY").AsString());
    if (key_text.empty()) return;  // no active order
    if (cOrderType.empty()) {
      cOrderType = std::string(Call("VALTYPE", {xb::EvalMacro(key_text)}).AsString());
      ResetSeek();
    }
  }
  std::string text = cSeek;
  const std::string type = cOrderType.empty() ? "C" : cOrderType;
  if (type == "D") {
    if (text.empty()) text = EmptyDateText();
    const DateSeekStep step = DateSeek(text, key);
    if (step.beep) {
      Tone();
      return;
    }
    text = step.text;
  } else if (key == VK_BACK) {
    if (!text.empty()) text.pop_back();
  } else if (type == "N") {
    if (key < '0' || key > '9') {
      Tone();
      return;
    }
    text += static_cast<char>(key);
  } else {
    const std::size_t room = key_text.empty() ? 255 : xb::EvalMacro(key_text).StringLength();
    if (text.size() >= room) {
      Tone();
      return;
    }
    // Upper case as the keys were made: the code page's letters too.
    text += std::string(Call("UPPER", {xb::Value::String(std::string(1, static_cast<char>(key)))}).AsString());
  }

  bool seek = true;
  xb::Value sought = xb::Value::String(text);
  if (type == "N") {
    sought = Call("VAL", {xb::Value::String(text)});
  } else if (type == "D") {
    seek = DateSeekComplete(text);
    sought = Call("CTOD", {xb::Value::String(text)});
  }
  if (seek && !(key == VK_BACK && text.empty() && type != "D")) {
    const std::uint32_t before = IsDbfObject() ? 0 : static_cast<std::uint32_t>(Call("RECNO").AsInt());
    bool found = false, eof = false;
    if (IsDbfObject()) {
      found = xb::Send(oDbf, "SEEK", {sought, xb::Value::Logical(true)}).AsLogical();
    } else {
      Call("DBSEEK", {sought, xb::Value::Logical(true)});
      found = Call("FOUND").AsLogical();
      eof = Call("EOF").AsLogical();
    }
    if (eof || (type == "C" && !found)) {
      if (!IsDbfObject()) Call("DBGOTO", {xb::Value::Integer(before)});
      Tone();
      return;  // the character is dropped again
    }
    const std::uint32_t after = IsDbfObject() ? 1 : static_cast<std::uint32_t>(Call("RECNO").AsInt());
    if (after != before) {
      if (TableSource* s = Source()) s->Invalidate();
      ResetBarPos();
      Refresh(false);
    }
  }
  cSeek = text;
  SaveContext();
  RunSeekChange();
}

// ---- keys -----------------------------------------------------------------------------------------------

Answer TCBrowse::KeyChar(int key, LPARAM flags) {
  const bool printable = (key >= 32 && key <= 126) || key >= 128;
  if (printable || key == VK_BACK) {
    if (!IsArray()) Seek(key);
    return Answer::Number(0);
  }
  return TWBrowse::KeyChar(key, flags);
}

Answer TCBrowse::KeyDown(int key, LPARAM flags) {
  if (key == VK_RETURN && lCellBrw && !bLDblClick.IsBlock()) {
    TCColumn* col = Col(nCell);
    if (col != nullptr && col->lEdit) {
      EditCell(nCell);
      return Answer::Number(0);
    }
  }
  return TWBrowse::KeyDown(key, flags);
}

Answer TCBrowse::HScroll(WPARAM wparam, LPARAM lparam) {
  if (!lCellBrw) return TWBrowse::HScroll(wparam, lparam);
  if (lparam != 0) return {};
  const int code = LowWord(wparam);
  const int position = HighWord(wparam);
  EndCellEditor();
  const int count = Columns();
  switch (code) {
    case SB_LINEUP: GoLeft(); break;
    case SB_LINEDOWN: GoRight(); break;
    case SB_PAGEUP:
      if (FixColPos() > nFreeze + 1) {
        --nColPos;
        nCell = nColPos;
        HiliteCell(nCell);
        if (oHBar) oHBar->SetPos(nCell);
        Refresh(false);
      }
      break;
    case SB_PAGEDOWN: {
      if (FixColPos() < count) {
        ++nColPos;
        nCell = std::max(nCell, nColPos);
      }
      if (nCell >= count || (oHBar && nCell >= oHBar->GetRange().second)) {
        // The last columns fill the width.
        SyncColSizes();
        const std::vector<int> widths = GetColSizes();
        int room = GetClientRect(hWnd).Width();
        for (int c = 1; c <= std::min(nFreeze, count); ++c) room -= widths[static_cast<std::size_t>(c) - 1];
        int c = count;
        int used = 0;
        while (c > nFreeze + 1 && used + widths[static_cast<std::size_t>(c) - 1] <= room) used += widths[static_cast<std::size_t>(--c)];
        nColPos = std::max(c + 1, nFreeze + 1);
        if (nColPos > count) nColPos = count;
        nCell = count;
      }
      HiliteCell(nCell);
      if (oHBar) oHBar->SetPos(nCell);
      Refresh(false);
      break;
    }
    case SB_TOP:
      nCell = 1;
      nColPos = nFreeze + 1;
      HiliteCell(1);
      if (oHBar) oHBar->SetPos(1);
      Refresh(false);
      break;
    case SB_BOTTOM:
      nCell = count;
      HScroll(MAKEWPARAM(SB_PAGEDOWN, 0), 0);
      break;
    case SB_THUMBPOSITION:
      if (count > 0) {
        nColPos = std::clamp(position, nFreeze + 1, count);
        nCell = std::clamp(position, 1, count);
        HiliteCell(nCell);
        if (oHBar) oHBar->SetPos(nCell);
        Refresh(false);
      }
      break;
    default:
      return {};
  }
  return Answer::Number(0);
}

// ---- mouse ----------------------------------------------------------------------------------------------

std::optional<std::pair<int, int>> TCBrowse::BorderOf(int x) {
  for (const Span& s : Walk()) {
    if (s.width < 0) break;
    const int right = s.x + s.width - 1;
    if (std::abs(x - right) <= 1) return std::pair{s.col, right};
  }
  return std::nullopt;
}

Answer TCBrowse::LButtonDown(int row, int col, WPARAM keys) {
  if (lDesign || lIconView) return TWBrowse::LButtonDown(row, col, keys);
  if (::GetFocus() != hWnd) ::SetFocus(hWnd);
  const int clicked = NTcWRow(hWnd, row, FontHandle(), nHLine);
  if (clicked == 0 && lMChange) {
    if (const auto border = BorderOf(col)) {
      lLineDrag = true;
      nDragCol = border->first;
      line_start_ = col;
      line_col_ = border->first;
      line_last_ = -1;
      VertLine(col);
    } else {
      lColDrag = true;
      nDragCol = nAtCol(col);
    }
    ::SetCapture(hWnd);
    lCaptured = true;
    return Answer::Number(0);
  }
  if (LogicLen() < 1) return Answer::Number(0);
  bool row_changed = false;
  if (clicked >= 1 && clicked <= nRowCount() && clicked != nRowPos) {
    DrawLine();
    const int moved = Skip(clicked - nRowPos);
    nRowPos += moved;
    if (oVBar) oVBar->SetPos(oVBar->GetPos() + moved);
    lHitTop = lHitBottom = false;
    row_changed = true;
  }
  const bool cell_changed = clicked >= 1 && lCellBrw && HiliteCell(nCell, col);
  if (row_changed || cell_changed) {
    DrawSelect();
    if (row_changed || CellClickRunsChange()) RunChange();
    SaveContext();
  }
  return Answer::Number(0);
}

void TCBrowse::VertLine(std::optional<int> x) {
  if (hWnd == nullptr) return;
  HDC dc = ::GetDC(hWnd);
  const int height = GetClientRect(hWnd).Height();
  if (line_last_ >= 0) ::PatBlt(dc, line_last_, 0, kBandWidth, height, DSTINVERT);
  line_last_ = -1;
  if (x) {
    // Never left of the column's least width.
    int least = 0;
    for (const Span& s : Walk())
      if (s.col == line_col_) least = s.x + kMinColumnWidth - 1;
    line_last_ = std::max(*x, least);
    ::PatBlt(dc, line_last_, 0, kBandWidth, height, DSTINVERT);
    ::ReleaseDC(hWnd, dc);
    return;
  }
  ::ReleaseDC(hWnd, dc);
  // Applied: the column follows the border.
  if (line_col_ < 1 || line_col_ > Columns()) return;
  const int end = last_drag_x_;
  TCColumn* column = Col(line_col_);
  const int width = std::max(column->nWidth + end - line_start_, kMinColumnWidth);
  column->nWidth = width;
  SyncColSizes();
  aColSizes.AsArray()[static_cast<std::size_t>(line_col_) - 1] = xb::Value::Integer(width);
  line_col_ = 0;
  Refresh(false);
}

Answer TCBrowse::MouseMove(int row, int col, WPARAM keys) {
  if (lIconView || lDesign) return TWBrowse::MouseMove(row, col, keys);
  const int x = static_cast<short>(col);
  const int at_row = NTcWRow(hWnd, static_cast<short>(row), FontHandle(), nHLine);
  // Away from the header, over the frozen columns or without lMChange a drag ends.
  if (at_row != 0 || !lMChange || (nFreeze > 0 && nAtCol(x) <= nFreeze)) {
    ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
    if (lCaptured && (lLineDrag || lColDrag)) {
      ::ReleaseCapture();
      lCaptured = false;
      if (std::exchange(lLineDrag, false)) VertLine();
      lColDrag = false;
      nDragCol = 0;
    }
    const bool change = lMChange;
    lMChange = false;
    const Answer answer = TControl::MouseMove(row, col, keys);
    lMChange = change;
    return answer;
  }
  if (lLineDrag) {
    CursorWE();
    VertLine(x);
    last_drag_x_ = line_last_;
    return Answer::Number(0);
  }
  if (lColDrag) {
    CursorCatch();
    return Answer::Number(0);
  }
  if (BorderOf(x)) CursorWE();
  else CursorHand();
  return Answer::Number(0);
}

Answer TCBrowse::LButtonUp(int row, int col, WPARAM keys) {
  if (lCaptured) {
    ::ReleaseCapture();
    lCaptured = false;
  }
  const int x = static_cast<short>(col);
  if (lLineDrag) {
    lLineDrag = false;
    if (line_last_ < 0) last_drag_x_ = line_start_;
    VertLine();
    return Answer::Number(0);
  }
  if (lColDrag) {
    lColDrag = false;
    const int at_row = NTcWRow(hWnd, static_cast<short>(row), FontHandle(), nHLine);
    const int target = nAtCol(x);
    if (at_row == 0 && x >= 0 && x < nWidth() - 16 && target != nDragCol && target > 0) Exchange(nDragCol, target);
    nDragCol = 0;
    return Answer::Number(0);
  }
  return TControl::LButtonUp(row, col, keys);
}

Answer TCBrowse::LDblClick(int row, int col, WPARAM keys) {
  const int clicked = NTcWRow(hWnd, row, FontHandle(), nHLine);
  if (clicked == 0) {
    SetOrder(nAtCol(col));
    return Answer::Number(0);
  }
  if (clicked == nRowPos && LogicLen() > 0) {
    const int at = nAtCol(col);
    TCColumn* column = Col(at);
    if (column != nullptr && column->lEdit && !bLDblClick.IsBlock()) {
      EditCell(at);
      return Answer::Number(0);
    }
  }
  return TControl::LDblClick(row, col, keys);
}

Answer TCBrowse::Destroy() {
  if (oCtx.IsObject() && xb::HasMessage(oCtx, xb::Intern("END"))) xb::Send(oCtx, "END");
  oCtx = xb::Value();
  return TWBrowse::Destroy();
}

Answer TCBrowse::GotFocus(HWND losing) {
  RestoreContext();
  return TWBrowse::GotFocus(losing);
}

Answer TCBrowse::LostFocus(HWND receiving) {
  const Answer answer = TWBrowse::LostFocus(receiving);
  SaveContext();
  return answer;
}

// ---- editing ----------------------------------------------------------------------------------------------

void TCBrowse::MoveAfterEdit(int how) {
  switch (how) {
    case 1: GoRight(); break;
    case 2: GoDown(); break;
    case 3: GoLeft(); break;
    case 4: GoUp(); break;
    default: break;
  }
}

void TCBrowse::EditCell(int col) {
  TCColumn* column = Col(col);
  if (column == nullptr || LogicLen() < 1) return;
  if (column->bPrevEdit.IsBlock()) column->bPrevEdit.AsBlock().Eval({Self()});
  xb::Value value;
  {
    AreaScope in(IsArray() || IsDbfObject() ? std::string() : cAlias);
    value = column->CellValue();
  }
  const std::string message = column->cMsg;
  if (lEditCol(col, value, column->Picture(), column->bValid, nEClrFore, nEClrBack, message, column->cError)) {
    if (!IsArray() && !IsDbfObject()) {
      AreaScope in(cAlias);
      if (Call("RLOCK").AsLogical()) {
        column->StoreValue(value);
        Call("DBUNLOCK");
        if (column->bPostEdit.IsBlock()) column->bPostEdit.AsBlock().Eval({Self()});
        MoveAfterEdit(column->nEditMove);
      } else {
        MsgStop(xb::Value::String("Record in use"), "Please, try again");
      }
    } else {
      column->StoreValue(value);
    }
  }
  DrawSelect();
}

bool TCBrowse::lEditCol(int col, xb::Value& value, const std::string& picture, const xb::Value& valid,
                        std::optional<COLORREF> fore, std::optional<COLORREF> back, const std::string& message,
                        const std::string& error) {
  if (hWnd == nullptr || LogicLen() < 1) return false;
  TCColumn* column = Col(col);
  const int x = CellX(col);
  if (column == nullptr || x < 0) return false;
  if (value.IsString() && value.IsMemo()) {
    std::string text(value.AsString());
    MemoEditParams m;
    m.title = editor_look_.memo_title + column->Heading();
    if (!MemoEdit(text, m)) return false;
    value = xb::Value::String(text);
    return true;
  }
  int width = 0;
  for (const Span& s : Walk())
    if (s.col == col) width = s.width < 0 ? GetClientRect(hWnd).Width() - s.x : s.width;
  const Rect cell = ATcBrwPosRect(hWnd, nRowPos, x, width, FontHandle(), nHLine);
  const xb::Value old = value;
  const SetGet variable = SetGet::Of(value);

  // The editor's font: the browse's, at least 14 high (TQZBrowse's of weight 500 unless bold).
  xb::Ref<TFont> font = oFont;
  LOGFONTA look = {};
  if (oFont && oFont->hFont != nullptr && ::GetObjectA(oFont->hFont, sizeof look, &look) == sizeof look) {
    if (std::abs(look.lfHeight) < 14) look.lfHeight = look.lfHeight < 0 ? -14 : 14;
    if (editor_look_.half && look.lfWeight < FW_BOLD) look.lfWeight = 500;
    font = TFont::New(TFont::SpecOf(look));
  }
  struct FontEnd {
    xb::Ref<TFont> font;
    bool own;
    ~FontEnd() {
      if (own && font) font->End();
    }
  } font_end{font, font.get() != oFont.get()};

  auto dialog = xb::MakeRef<TDialog>();
  TDialog::NewParams d;
  d.pixel = true;
  d.style = WS_POPUP | WS_VISIBLE;
  d.bottom = cell.Height() - 1;
  d.right = cell.Width() - 1;
  d.parent = oWnd ? oWnd : WindowRef(this);
  d.font = font;
  if (editor_look_.half) {
    d.clr_text = TextColourNow();
    d.clr_pane = PaneColourNow();  // the rest of the cell keeps the row's colours
  }
  dialog->New(d);
  TDialog* box = dialog.get();
  bool confirmed = false;
  const Rect at = cell;
  const int inset = editor_look_.half ? 1 : 0;  // TQZBrowse's editor stands one pixel inside the cell
  // A combo box stands at the editor's top left in pixels, its arrow in sight; the editor
  // grows to its height when the row is lower, so the value shows whole.
  const TWindow* choice = nullptr;
  SIZE choice_size = {};
  TDialog::ActivateParams activate;
  activate.init = xb::Value(xb::Block::Native([box, at, inset, &choice, &choice_size](xb::Args&) {
    int height = at.Height();
    if (choice != nullptr && choice->hWnd != nullptr) {
      ::SetWindowPos(choice->hWnd, nullptr, 0, 0, choice_size.cx, choice_size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
      height = std::max(height, choice->nHeight());
    }
    ::SetWindowPos(box->hWnd, HWND_TOP, at.left + inset, at.top + inset, at.Width(), height, SWP_SHOWWINDOW);
    return xb::Value();
  }));

  if (value.IsLogical() && lLogicDrop) {
    const SetGet text = SetGet::Of(xb::Value::String(value.AsLogical() ? editor_look_.yes : editor_look_.no));
    auto combo = xb::MakeRef<TComboBox>();
    TComboBox::NewParams c;
    c.pixel = true;
    c.set_get = text.block;
    c.items = xb::Value(xb::Array::Of({xb::Value::String(editor_look_.yes), xb::Value::String(editor_look_.no)}));
    c.width = editor_look_.half ? cell.Width() / 2 : cell.Width();
    c.height = 32 + 40;
    c.parent = dialog;
    c.font = font;
    c.message = message;
    combo->New(c);
    combo->nDlgCode = DLGC_WANTALLKEYS;
    combo->on_key = [box, &confirmed](int key) {
      if (key != VK_RETURN && key != VK_ESCAPE) return false;
      confirmed = key == VK_RETURN;
      box->End(confirmed ? IDOK : IDCANCEL);
      return true;
    };
    if (column->bPostGet.IsBlock()) column->bPostGet.AsBlock().Eval({combo->Self()});
    choice = combo.get();
    choice_size = {c.width, c.height};
    dialog->Activate(activate);
    if (confirmed) value = xb::Value::Logical(std::string(text.Get().AsString()).rfind(editor_look_.yes, 0) == 0);
    else value = old;
    ::SetFocus(hWnd);
    return confirmed;
  }

  auto get = xb::MakeRef<TGet>();
  TGet::NewParams g;
  g.pixel = true;
  g.width = cell.Width();
  g.height = cell.Height();
  const bool lookup = editor_look_.half && column->bChange.IsBlock();
  if (editor_look_.half) g.width = cell.Width() / 2;
  if (lookup) {
    g.col = cell.Height() / 2 + 2;
    g.change = column->bChange;
  }
  g.set_get = variable.block;
  g.parent = dialog;
  g.picture = picture;
  g.valid = valid;
  g.fore = fore.value_or(nEClrFore);
  g.back = back.value_or(nEClrBack);
  g.font = font;
  g.message = message;
  g.no_border = true;
  get->New(g);
  get->cError = error;
  TGet* field = get.get();
  xb::Ref<TBitmap> magnifier;
  if (lookup) magnifier = LookupButton(dialog, cell.Height() / 2, column->bChange, field);
  if (column->bPostGet.IsBlock()) column->bPostGet.AsBlock().Eval({get->Self()});
  get->on_key = [box, field, &confirmed](int key) {
    if (key == VK_RETURN) {
      if (!field->lValid()) return true;
      field->Assign();
      confirmed = true;
      box->End(IDOK);
      return true;
    }
    if (key == VK_ESCAPE) {
      box->End(IDCANCEL);
      return true;
    }
    return false;
  };
  dialog->Activate(activate);
  value = confirmed ? variable.Get() : old;
  ::SetFocus(hWnd);
  return confirmed;
}

xb::Ref<TBitmap> TCBrowse::LookupButton(const WindowRef& parent, int size, const xb::Value& change,
                                        TControl* control) {
  TBitmap::NewParams m;
  m.pixel = true;
  m.width = size;
  m.height = size;
  m.resource = "LUPA";
  m.no_border = true;
  m.parent = parent;
  // The key 43 ('+') with the control, as a lookup block expects.
  m.l_clicked = xb::Value(xb::Block::Native([change, control](xb::Args&) {
    return change.AsBlock().Eval({xb::Value::Integer(43), xb::Value(), control->Self()});
  }));
  auto button = xb::MakeRef<TBitmap>();
  button->New(m);
  button->lTransparent = true;
  return button;
}

bool TCBrowse::SelFont() {
  if (!TWBrowse::SelFont()) return false;
  const COLORREF text = nClrText;
  for (int c = 1; c <= Columns(); ++c) Col(c)->bClrFore = xb::Value();
  nClrText = text;
  Refresh(false);
  return true;
}

void TCBrowse::Report(const std::string&, bool, int) {
  if (hWnd == nullptr) return;
  ::SetFocus(hWnd);
  GoTop();
}

}  // namespace ui
