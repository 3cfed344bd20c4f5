// TWBrowse: cell editing and the report of its contents.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "runtime/function_table.h"
#include "runtime/lib/dates.h"
#include "runtime/lib/numbers.h"
#include "runtime/rdd/workareas.h"
#include "ui/bridge/common_dialogs.h"
#include "ui/bridge/text_drawing.h"
#include "ui/controls/browse_paint.h"
#include "ui/controls/set_get.h"
#include "ui/controls/list_text.h"
#include "ui/controls/table_source.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/tcombobox.h"
#include "ui/controls/tget.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/msg_box.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"
#include "ui/core/value_text.h"

namespace ui {
namespace {

xb::rdd::WorkArea* AreaOf(const std::string& alias) {
  auto& areas = xb::rdd::WorkAreas::Get();
  xb::rdd::WorkArea* area = areas.Area(areas.AreaOfAlias(alias));
  return area != nullptr && area->used() ? area : nullptr;
}

// The items a value is chosen from: those given, or .T./.F. for a logical; none else.
xb::Array ChoiceItems(const xb::Value& value, const xb::Value& items) {
  if (items.IsArray() && !items.AsArray().empty()) {
    xb::Array texts = xb::Array::New();
    for (const xb::Value& item : items.AsArray()) texts.Append(xb::Value::String(CValToChar(item)));
    return texts;
  }
  if (value.IsLogical()) return xb::Array::Of({xb::Value::String(".T."), xb::Value::String(".F.")});
  return {};
}

// The text a value shows among the items, and the value a chosen text gives back.
std::string ChoiceText(const xb::Value& value, const xb::Array& items) {
  if (value.IsLogical()) return std::string(items.Get(value.AsLogical() ? 0 : 1).AsString());
  return CValToChar(value);
}

xb::Value ChoiceValue(const xb::Value& old, const std::string& text, const xb::Array& items) {
  if (old.IsLogical()) return xb::Value::Logical(FoldedText(text) == FoldedText(items.Get(0).AsString()));
  return xb::Value::String(text);
}

}  // namespace

void TWBrowse::EndCellEditor() {
  if (cell_editor_) {
    ControlRef editor = std::move(cell_editor_);
    cell_editor_ = nullptr;
    editor->End();
  }
}

bool TWBrowse::lEditCol(int column, xb::Value& value, const std::string& picture, const xb::Value& valid,
                        std::optional<COLORREF> fore, std::optional<COLORREF> back, const xb::Value& items,
                        const xb::Value& action) {
  if (hWnd == nullptr) return false;
  if (lCellStyle && nColAct != column) {
    nColAct = column;
    Repaint();
    ::UpdateWindow(hWnd);
  }
  const std::optional<Rect> cell =
      ABrwPosRect(hWnd, nRowPos, GetColSizes(), nColPos, column, oFont ? oFont->hFont : nullptr, nHLine);
  if (!cell) return false;
  // The browse's colours, as the row's cells take them.
  const auto [text_colour, pane_colour] = ColoursOfRow(nRowPos);
  const xb::Value old = value;
  const SetGet variable = SetGet::Of(value);

  auto dialog = xb::MakeRef<TDialog>();
  TDialog::NewParams d;
  d.pixel = true;
  d.style = WS_POPUP | WS_VISIBLE;
  d.top = 0;
  d.left = 0;
  d.bottom = cell->Height() - 1;
  d.right = cell->Width() - 2;
  d.clr_text = text_colour;
  d.clr_pane = pane_colour;
  d.parent = WindowRef(this);
  d.font = oFont;
  dialog->New(d);

  bool confirmed = false;
  TDialog* box = dialog.get();
  const Rect at = *cell;
  TDialog::ActivateParams activate;
  if (const xb::Array choices = ChoiceItems(value, items)) {
    // Chosen in a combo box: choosing, or Enter, confirms.
    const SetGet text = SetGet::Of(xb::Value::String(ChoiceText(value, choices)));
    auto combo = xb::MakeRef<TComboBox>();
    TComboBox::NewParams c;
    c.pixel = true;
    c.set_get = text.block;
    c.items = xb::Value(choices);
    c.width = cell->Width() + 3;
    c.height = 50;
    c.parent = dialog;
    c.clr_text = fore.value_or(text_colour);
    c.clr_pane = back.value_or(pane_colour);
    c.font = oFont;
    c.valid = valid;
    combo->New(c);
    combo->nDlgCode = DLGC_WANTALLKEYS;
    combo->bChange = xb::Value(xb::Block::Native([box, &confirmed](xb::Args&) {
      confirmed = true;
      box->End(IDOK);
      return xb::Value();
    }));
    combo->on_key = [box, &confirmed](int key) {
      if (key != VK_RETURN && key != VK_ESCAPE) return false;
      confirmed = key == VK_RETURN;
      box->End(confirmed ? IDOK : IDCANCEL);
      return true;
    };
    TComboBox* control = combo.get();
    activate.init = xb::Value(xb::Block::Native([box, control, at](xb::Args&) {
      ::SetWindowPos(box->hWnd, HWND_TOP, at.left + 1, at.top + 1, at.Width() - 1, at.Height(), SWP_SHOWWINDOW);
      ::SetWindowPos(control->hWnd, nullptr, -1, -3, at.Width() + 3, 50, SWP_NOZORDER);
      return xb::Value();
    }));
    dialog->Activate(activate);
    if (confirmed) value = ChoiceValue(old, TrimRight(std::string(text.Get().AsString())), choices);
    else value = old;
    ::SetFocus(hWnd);
    return confirmed;
  }

  // The dialog is one pixel narrower than the cell; a button, when there is one, takes its
  // right end, 15 pixels wide.
  constexpr int kButtonWidth = 15;
  const int inside = cell->Width() - 1;
  const bool button = action.IsBlock();
  auto get = xb::MakeRef<TGet>();
  TGet::NewParams g;
  g.pixel = true;
  if (button) {
    // The whole cell up to the button; only the get's right border shows.
    g.row = -3;
    g.col = -1;
    g.width = inside - kButtonWidth + 1;
    g.height = cell->Height() + 6;
  } else {
    g.row = std::max(nHLine / 2 - 1, 0);
    g.col = 2;
    g.width = cell->Width() - 4;
    g.height = cell->Height() - 2 * g.row - 1;
  }
  g.set_get = variable.block;
  g.parent = dialog;
  g.picture = picture;
  g.valid = valid;
  g.fore = fore.value_or(text_colour);
  g.back = back.value_or(pane_colour);
  g.font = oFont;
  g.no_border = !button;
  get->New(g);
  // Enter confirms, Escape gives up; either ends the editor.
  TGet* field = get.get();
  xb::Ref<TButton> chooser;
  std::optional<xb::Value> chosen;  // what the button's action answered
  if (button) {
    chooser = xb::MakeRef<TButton>();
    TButton::NewParams b;
    b.pixel = true;
    b.row = 0;
    b.col = inside - kButtonWidth;
    b.width = kButtonWidth;
    b.height = cell->Height();
    b.caption = "...";
    b.parent = dialog;
    b.action = xb::Value(xb::Block::Native([box, field, action, variable, &chosen, &confirmed](xb::Args&) {
      field->Assign();
      const xb::Value args[] = {variable.Get()};
      chosen = xb::EvalValue(action, args);
      confirmed = true;
      box->End(IDOK);
      return xb::Value();
    }));
    chooser->New(b);
  }
  get->on_key = [box, field, &confirmed](int key) {
    if (key == VK_RETURN) {
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
  TButton* pick = chooser.get();
  const RECT place = {g.col, g.row, g.col + g.width, g.row + g.height};
  activate.init = xb::Value(xb::Block::Native([box, field, pick, at, inside, place](xb::Args&) {
    // Over the cell, one pixel inside its grid lines; the get and the button in pixels.
    ::SetWindowPos(box->hWnd, HWND_TOP, at.left + 1, at.top + 1, inside, at.Height(), SWP_SHOWWINDOW);
    ::SetWindowPos(field->hWnd, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    if (pick != nullptr && pick->hWnd != nullptr)
      ::SetWindowPos(pick->hWnd, nullptr, inside - kButtonWidth, 0, kButtonWidth, at.Height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    return xb::Value();
  }));
  dialog->Activate(activate);
  if (confirmed) {
    value = chosen ? *chosen : variable.Get();
  } else {
    value = old;
  }
  ::SetFocus(hWnd);
  return confirmed;
}

bool TWBrowse::EditCol(int column, const xb::Value& value, const std::string& picture, const xb::Value& post_edit,
                       std::optional<COLORREF> fore, std::optional<COLORREF> back, const xb::Value& items) {
  EndCellEditor();
  if (hWnd == nullptr) return false;
  const std::optional<Rect> cell =
      ABrwPosRect(hWnd, nRowPos, GetColSizes(), nColPos, column, oFont ? oFont->hFont : nullptr, nHLine);
  if (!cell) return false;
  const auto [text_colour, pane_colour] = ColoursOfRow(nRowPos);
  POINT at = {cell->left, cell->top};
  ::ScreenToClient(hWnd, &at);
  nLastKey = 0;
  TWBrowse* self = this;
  if (const xb::Array choices = ChoiceItems(value, items)) {
    const SetGet text = SetGet::Of(xb::Value::String(ChoiceText(value, choices)));
    auto combo = xb::MakeRef<TComboBox>();
    TComboBox::NewParams c;
    c.pixel = true;
    c.row = at.y + 1;
    c.col = at.x + 1;
    c.set_get = text.block;
    c.items = xb::Value(choices);
    const int column_width = cell->Width();
    c.width = value.IsLogical() ? std::min(100, std::max(column_width, 50)) : column_width;
    c.height = value.IsLogical() ? 60 : std::max(200, static_cast<int>(choices.size()) * 25);
    c.parent = WindowRef(this);
    c.clr_text = fore.value_or(text_colour);
    c.clr_pane = back.value_or(pane_colour);
    c.font = oFont;
    combo->New(c);
    if (combo->hWnd == nullptr) return false;
    combo->Set3DLook();
    combo->nDlgCode = DLGC_WANTALLKEYS;
    combo->on_key = [self](int key) {
      if (key != VK_RETURN && key != VK_ESCAPE) return false;
      self->nLastKey = key;
      ::SetFocus(self->hWnd);
      return true;
    };
    const xb::Value old = value;
    combo->on_lost_focus = [self, text, post_edit, old, choices]() {
      const bool escaped = self->nLastKey == VK_ESCAPE;
      if (post_edit.IsBlock()) {
        post_edit.AsBlock().Eval(
            {escaped ? xb::Value() : ChoiceValue(old, TrimRight(std::string(text.Get().AsString())), choices),
             xb::Value::Integer(escaped ? VK_ESCAPE : self->nLastKey)});
      }
      self->EndCellEditor();
    };
    cell_editor_ = ControlRef(combo.get());
    ::SetFocus(combo->hWnd);
    return false;
  }
  const SetGet variable = SetGet::Of(value);
  auto get = xb::MakeRef<TGet>();
  TGet::NewParams g;
  g.pixel = true;
  g.row = at.y + 1;
  g.col = at.x + 1;
  g.width = cell->Width();
  g.height = cell->Height() - 1;
  g.set_get = variable.block;
  g.parent = WindowRef(this);
  g.picture = picture;
  g.fore = fore.value_or(text_colour);
  g.back = back.value_or(pane_colour);
  g.font = oFont;
  get->New(g);
  if (get->hWnd == nullptr) return false;
  get->Set3DLook();
  get->on_key = [self](int key) {
    if (key != VK_RETURN && key != VK_ESCAPE) return false;
    self->nLastKey = key;
    ::SetFocus(self->hWnd);  // leaving the editor ends it
    return true;
  };
  get->on_lost_focus = [self, variable, post_edit]() {
    const bool escaped = self->nLastKey == VK_ESCAPE;
    if (post_edit.IsBlock()) {
      post_edit.AsBlock().Eval({escaped ? xb::Value() : variable.Get(),
                                xb::Value::Integer(escaped ? VK_ESCAPE : self->nLastKey)});
    }
    self->EndCellEditor();
  };
  cell_editor_ = ControlRef(get.get());
  ::SetFocus(get->hWnd);
  return false;
}

void TWBrowse::Edit(int column) {
  if (column < 1) column = 1;
  for (;;) {
    const xb::Array cells = Values();
    if (static_cast<std::size_t>(column) > cells.size()) return;
    xb::Value value = cells.Get(static_cast<std::size_t>(column) - 1);
    bool confirmed = false;
    xb::rdd::WorkArea* area = cAlias == "ARRAY" ? nullptr : AreaOf(cAlias);
    // Only a column that shows its field as the field's own text is written back; any
    // other is edited all the same, and the value typed goes nowhere.
    const bool field = area != nullptr && column <= area->FieldCount() &&
                       CValToChar(area->GetField(column)) == CValToChar(value);
    if (field) {
      if (!area->LockRecord(area->recno(), false)) {
        MsgStop(xb::Value::String("Record locked!"), "Please, try again");
        return;
      }
      const char type = area->FieldAt(column)->type;
      // A logical is chosen in a combo box and comes back a logical; the rest is typed as text.
      xb::Value edited = type == 'L' ? area->GetField(column) : xb::Value::String(CValToChar(value));
      confirmed = lEditCol(column, edited, {}, {});
      if (confirmed) {
        const std::string typed(edited.AsString());
        xb::Value stored;
        switch (type) {
          case 'D': stored = xb::Value::FromDate(xb::CToD(typed)); break;
          case 'L': stored = xb::Value::Logical(edited.AsLogical()); break;
          case 'N': stored = xb::Val(typed); break;
          default: stored = edited; break;
        }
        area->PutField(column, stored);
        area->Commit();
        DrawLine(nRowPos);
        DrawSelect();
      }
      area->Unlock(area->recno());
    } else {
      confirmed = lEditCol(column, value, {}, {});
    }
    if (!confirmed || !lAutoSkip) return;
    if (column < ColumnCount()) {
      GoRight();
      ++column;
    } else {
      nColPos = 1;
      column = 1;
      GoDown();
      if (lHitBottom) return;
    }
  }
}

// ---- report -----------------------------------------------------------------------------------------------

std::vector<std::vector<std::string>> TWBrowse::ReportRows() {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> titles;
  const xb::Array headers = aHeaders.IsArray() ? aHeaders.AsArray() : xb::Array();
  const xb::Array first = Values();
  for (std::size_t i = 0; i < first.size(); ++i) {
    const xb::Value h = headers.Get(i);
    titles.push_back(h.IsString() ? std::string(h.AsString()) : " ");
  }
  rows.push_back(titles);
  if (LogicLen() < 1) return rows;
  TableSource* source = Source();
  const std::uint32_t record = source != nullptr ? source->RecNo() : 0;
  const int element = nAt;
  if (bGoTop.IsBlock()) bGoTop.AsBlock().Eval({Self()});
  for (int guard = 0; guard < nLen + 1; ++guard) {
    std::vector<std::string> line;
    for (const xb::Value& cell : Values()) {
      // Images are blanked; numbers print as text.
      line.push_back(cell.IsArray() ? std::string(" ") : CValToChar(cell));
    }
    rows.push_back(std::move(line));
    if (Skip(1) != 1) break;
  }
  if (source != nullptr) source->GoTo(record);
  nAt = element;
  Repaint();
  return rows;
}

// ---- font ------------------------------------------------------------------------------------------------

bool TWBrowse::SelFont() {
  ChooseFontParams params;
  HFONT current = oFont ? oFont->hFont : nullptr;
  if (current == nullptr && hWnd != nullptr) current = reinterpret_cast<HFONT>(::SendMessageA(hWnd, WM_GETFONT, 0, 0));
  LOGFONTA start = {};
  if (current != nullptr && ::GetObjectA(current, sizeof start, &start) == sizeof start) params.font = start;
  const ChosenFont chosen = ChooseFontDialog(params);
  if (!chosen.confirmed) return false;
  SetFont(TFont::New(TFont::SpecOf(chosen.font)));
  Refresh();
  return true;
}

namespace {
BrowseReporter g_reporter = nullptr;
}  // namespace

void SetBrowseReporter(BrowseReporter reporter) { g_reporter = reporter; }

void TWBrowse::Report(const std::string& title, bool preview) {
  if (g_reporter == nullptr) return;
  BrowseReport report;
  report.title = title.empty() && oWnd ? oWnd->GetText() : title;
  // One reading of the clock, so date and time agree across midnight.
  const xb::LocalTime now = xb::CurrentLocalTime();
  char time[16];
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", now.hour, now.minute, now.second);
  report.heading = "Date: " + xb::DToC(xb::Date::FromYmd(now.year, now.month, now.day)) + ", Time: " + time;
  std::vector<std::vector<std::string>> rows = ReportRows();
  report.titles = rows.front();
  rows.erase(rows.begin());
  report.rows = std::move(rows);
  // Widths in characters of the browse's font; a column without a width counts as 80 pixels.
  const int b = std::max(GetTextWidth(nullptr, "B", oFont ? oFont->hFont : nullptr), 1);
  const std::vector<int> widths = GetColSizes();
  for (std::size_t i = 0; i < report.titles.size(); ++i)
    report.widths.push_back((i < widths.size() && widths[i] != 0 ? widths[i] : 80) / b);
  report.preview = preview;
  g_reporter(report);
}

}  // namespace ui
