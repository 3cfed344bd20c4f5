#include "app/win/error_list.h"

#include <commctrl.h>

#include "app/error_table.h"
#include "app/program_settings.h"
#include "runtime/block.h"
#include "ui/controls/tbutton.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"

namespace app {
namespace {

using xb::Value;

constexpr int kColumnWidth = 500;
constexpr int kCloseButtons[] = {520, 540};

ui::WindowRef MainWindow() {
  const Value& window = oWnd();
  if (!window.IsObject()) return {};
  return ui::WindowRef(dynamic_cast<ui::TWindow*>(window.AsObject().get()));
}

// The list's one column and its rows.
void FillList(HWND list, const std::vector<std::string>& lines) {
  if (!list) return;
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  char heading[] = "Descripción del Error";
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.cx = kColumnWidth;
  column.pszText = heading;
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string text = lines[i];
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = text.data();
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  if (!lines.empty()) ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

}  // namespace

void ShowErrorList(const std::vector<std::string>& lines, const ui::WindowRef& parent) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);

  auto dialog = xb::MakeRef<ui::TDialog>();
  ui::TFont::Spec font;
  font.face = std::string(cFontName());
  font.width = nFontVSize();
  font.height = nFontHSize();
  ui::TDialog::NewParams p;
  p.resource = Value::String("DESCUADRE");
  p.caption = " Errores de ficheros";
  p.parent = parent ? parent : MainWindow();
  p.font = ui::TFont::New(font);
  dialog->New(p);
  std::vector<xb::Ref<ui::TButton>> buttons;
  for (int id : kCloseButtons) {
    auto button = xb::MakeRef<ui::TButton>();
    ui::TDialog* d = dialog.get();
    button->ReDefine({.id = id, .action = Value(xb::Block::Native([d](xb::Args&) { return Value::Logical(d->End()); })),
                      .parent = dialog});
    buttons.push_back(button);
  }
  ui::TDialog::ActivateParams a;
  a.centered = true;
  a.init = Value(xb::Block::Native([&lines, d = dialog.get()](xb::Args&) {
    FillList(GetDlgItem(d->hWnd, kErrorListControl), lines);
    return Value();
  }));
  dialog->Activate(a);
}

void LDspOrg(const ui::WindowRef& parent) { ShowErrorList(ErrorLines(), parent); }

}  // namespace app
