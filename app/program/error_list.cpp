#include "app/program/error_list.h"

#include "app/org/error_table.h"
#include "data/program_settings.h"
#include "output/listing_state.h"
#include "output/tprinter2.h"
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
constexpr int kPrintButton = 505;

ui::WindowRef MainWindow() {
  const Value& window = data::oWnd();
  if (!window.IsObject()) return {};
  return ui::WindowRef(dynamic_cast<ui::TWindow*>(window.AsObject().get()));
}

// "Listado de Errores de Empresas" on the main printer, in millimetres: the title, a rule, one
// line per error 5 mm apart, a new page when the paper ends.
void PrintErrorList() {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  xb::rdd::WorkArea* table = areas.Area(areas.AreaOfAlias(kErrorTableAlias));
  if (table == nullptr || !output::Print2New(false, 1) || !output::Impresora()->Ok()) return;
  xb::Ref<output::TPrinter2> printer = output::Impresora();
  const int destination = output::nDestinoListado();
  output::nDestinoListado(output::kMainPrinter);
  output::SetPaginaL(0);
  const int last_row = printer->nVertSize() - 10;
  auto start_page = [&] {
    output::Print2Cp();
    output::SetPaginaL(output::nPaginaL() + 1);
    printer->SetAlineacion(TA_BASELINE | TA_CENTER);
    printer->Say(20, 105, "Listado de Errores de Empresas", false, true);
    printer->SetAlineacion(TA_BASELINE | TA_LEFT);
    printer->Linea(23, 5, 23, 195, 0, 1, 0, false, true);
  };
  if (output::Print2Cd("Listado de Errores de Empresas") > 0) {
    start_page();
    int row = 30;
    const int text = table->FieldPos("TEXTO");
    for (table->GoTop(); !table->eof(); table->Skip(1)) {
      if (row > last_row) {
        output::Print2Fp();
        start_page();
        row = 30;
      }
      const Value line = table->GetField(text);
      printer->Say(row, 5, std::string(line.IsString() ? line.AsString() : ""), false, true);
      row += 5;
    }
    output::Print2Fp();
    output::Print2Fd();
  }
  table->GoTop();
  printer->End();
  output::nDestinoListado(destination);
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
  auto print = xb::MakeRef<ui::TButton>();
  print->ReDefine({.id = kPrintButton, .action = Value(xb::Block::Native([](xb::Args&) {
                     PrintErrorList();
                     return Value();
                   })),
                   .parent = dialog});
  ui::TDialog::ActivateParams a;
  a.centered = true;
  dialog->Activate(a);
}

}  // namespace app
