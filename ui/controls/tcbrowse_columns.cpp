// TCBrowse's design aid: the column list edited in a dialog (order and removal).
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "runtime/block.h"
#include "runtime/symbol.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/tcbrowse.h"
#include "ui/controls/tccolumn.h"
#include "ui/controls/tlistbox.h"
#include "ui/controls/tscrollbar.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"

namespace ui {

xb::Value TCBrowse::InspectBlock(const std::string& data) {
  const std::string name = xb::UpperName(data);
  if (name != "ACOLUMNS") return xb::Value();
  TCBrowse* self = this;
  return xb::Value(xb::Block::Native([self](xb::Args&) { return xb::Value::Logical(self->EditColumns()); }));
}

bool TCBrowse::EditColumns() {
  const int count = Columns();
  if (count < 1) return false;
  // order[i]: the column (1-based, as it is now) shown at line i + 1 of the list.
  std::vector<int> order;
  xb::Array headings = xb::Array::New();
  for (int c = 1; c <= count; ++c) {
    order.push_back(c);
    const std::string heading = Col(c)->Heading();
    headings.Append(xb::Value::String(heading.empty() ? "(" + std::to_string(c) + ")" : heading));
  }

  TFont::Spec spec;
  spec.face = "Ms Sans Serif";
  spec.height = -8;
  xb::Ref<TFont> font = TFont::New(spec);
  auto dialog = xb::MakeRef<TDialog>();
  TDialog::NewParams dp;
  dp.pixel = true;
  dp.width = 260;
  dp.height = 200;
  dp.caption = "Edit columns";
  dp.font = font;
  dp.parent = oWnd;
  dialog->New(dp);

  const SetGet chosen = SetGet::Of(xb::Value::Integer(1));
  auto list = xb::MakeRef<TListBox>();
  TListBox::NewParams lp;
  lp.row = 6;
  lp.col = 6;
  lp.set_get = chosen.block;
  lp.items = xb::Value(headings);
  lp.width = 170;
  lp.height = 158;
  lp.parent = dialog;
  lp.pixel = true;
  list->New(lp);

  bool confirmed = false;
  TDialog* box = dialog.get();
  TListBox* lines = list.get();
  std::vector<xb::Ref<TButton>> buttons;
  auto button = [&](int row, const char* caption, std::function<void()> action) {
    auto b = xb::MakeRef<TButton>();
    TButton::NewParams bp;
    bp.row = row;
    bp.col = 186;
    bp.caption = caption;
    bp.parent = dialog;
    bp.width = 64;
    bp.height = 20;
    bp.pixel = true;
    bp.action = xb::Value(xb::Block::Native([action = std::move(action)](xb::Args&) {
      action();
      return xb::Value();
    }));
    b->New(bp);
    buttons.push_back(b);
  };
  button(6, "&Up", [&order, lines] {
    const int at = lines->GetPos();
    if (at < 2) return;
    std::swap(order[static_cast<std::size_t>(at) - 2], order[static_cast<std::size_t>(at) - 1]);
    lines->SwapUp();
  });
  button(30, "&Down", [&order, lines] {
    const int at = lines->GetPos();
    if (at < 1 || at >= lines->Len()) return;
    std::swap(order[static_cast<std::size_t>(at) - 1], order[static_cast<std::size_t>(at)]);
    lines->SwapDown();
  });
  button(54, "&Delete", [&order, lines] {
    const int at = lines->GetPos();
    if (at < 1 || lines->Len() < 2) return;  // a browse keeps one column
    order.erase(order.begin() + (at - 1));
    lines->Del(at);
  });
  button(120, "&Ok", [&confirmed, box] {
    confirmed = true;
    box->End(IDOK);
  });
  button(144, "&Cancel", [box] { box->End(); });
  TDialog::ActivateParams ap;
  ap.centered = true;
  dialog->Activate(ap);
  font->End();
  if (!confirmed) return false;

  // The columns and their widths in the new order; the ordered column and the cell follow.
  SyncColSizes();
  const xb::Array old_columns = aColumns.AsArray();
  const xb::Array old_sizes = aColSizes.AsArray();
  xb::Array columns = xb::Array::New();
  xb::Array sizes = xb::Array::New();
  int order_col = 0;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const std::size_t from = static_cast<std::size_t>(order[i]) - 1;
    columns.Append(old_columns.Get(from));
    sizes.Append(old_sizes.Get(from));
    if (order[i] == nColOrder) order_col = static_cast<int>(i) + 1;
  }
  aColumns = xb::Value(columns);
  aColSizes = xb::Value(sizes);
  nColOrder = order_col;
  nFreeze = std::min(nFreeze, Columns());
  nCell = std::clamp(nCell, 1, Columns());
  nColPos = std::clamp(nColPos, 1, Columns());
  if (lCellBrw) HiliteCell(nCell);
  if (oHBar) oHBar->SetRange(1, Columns());
  Refresh(false);
  return true;
}

}  // namespace ui
