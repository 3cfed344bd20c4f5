#include "app/program/error_list.h"

#include "app/org/error_table.h"
#include "data/program_settings.h"
#include "runtime/block.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"

namespace app {
namespace {

using xb::Value;

constexpr int kColumnWidth = 500;
constexpr int kCloseButtons[] = {520, 540};

ui::WindowRef MainWindow() {
  const Value& window = data::oWnd();
  if (!window.IsObject()) return {};
  return ui::WindowRef(dynamic_cast<ui::TWindow*>(window.AsObject().get()));
}

}  // namespace

void LDspOrg(const ui::WindowRef& parent) {
  if (!ErrorTableOpen()) return;
  auto dialog = xb::MakeRef<ui::TDialog>();
  ui::TFont::Spec font;
  font.face = std::string(data::cFontName());
  font.width = data::nFontVSize();
  font.height = data::nFontHSize();
  ui::TDialog::NewParams p;
  p.resource = Value::String("DESCUADRE");
  p.caption = " Errores de ficheros";
  p.parent = parent ? parent : MainWindow();
  p.font = ui::TFont::New(font);
  dialog->New(p);

  // The list starts at its first line, wherever the last line written left the table.
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  if (xb::rdd::WorkArea* table = areas.Area(areas.AreaOfAlias(kErrorTableAlias))) table->GoTop();

  auto browse = xb::MakeRef<ui::TWBrowse>();
  ui::TWBrowse::RedefineParams b;
  b.line = xb::EvalMacro("{|| { " + std::string(kErrorTableAlias) + "->Texto } }");
  b.parent = dialog;
  b.headers = Value(xb::Array::Of({Value::String("Descripción del Error")}));
  b.col_sizes = Value(xb::Array::Of({Value::Integer(kColumnWidth)}));
  b.alias = std::string(kErrorTableAlias);
  browse->ReDefine(kErrorListBrowse, b);

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
  dialog->Activate(a);
}

}  // namespace app
