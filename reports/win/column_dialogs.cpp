#include "reports/win/column_dialogs.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <vector>

#include "data/data_ui.h"
#include "reports/report_columns.h"
#include "reports/report_definitions.h"
#include "reports/report_lists.h"
#include "reports/tdictqz.h"
#include "reports/win/report_page_device.h"
#include "runtime/lib/strings.h"
#include "services/dialog_helpers.h"
#include "ui/controls/tcombobox.h"
#include "ui/controls/twbrowse.h"

namespace reports {
namespace {

using xb::Value;

enum : int {
  kBrowse = 110,
  kAdd = 401, kEdit = 402, kDelete = 403, kUp = 404, kDown = 405, kPreview = 406, kCalc = 407, kHelp = 3,
  // TI_ANADIR_COLUMNA
  kSource = 101, kItems = 102,
  // TI_EDITAR_COLUMNA
  kKind = 101, kFrom = 102, kTitle = 103, kWidth = 104, kDecimals = 105, kAlign = 106, kTotal = 107, kMask = 108,
  kLine = 109, kStart = 110, kHeight = 111,
  // TI_COLUMNA_CALCULADA
  kColumn = 101, kOperator = 102, kAppend = 103, kOpen = 104, kClose = 105, kFormula = 106, kCheck = 107,
  kAccumulated = 108, kClear = 109,
};

std::function<bool()>& PrinterCheck() {
  static std::function<bool()> check;
  return check;
}

std::string ItemText(HWND dialog, int id) {
  char text[1024] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

int ItemNumber(HWND dialog, int id) { return static_cast<int>(GetDlgItemInt(dialog, id, nullptr, FALSE)); }

void Fill(HWND control, UINT add, UINT reset, const std::vector<std::string>& items) {
  SendMessageA(control, reset, 0, 0);
  for (const std::string& item : items) SendMessageA(control, add, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int Selected(HWND dialog, int id, UINT message) {
  const LRESULT at = SendDlgItemMessageA(dialog, id, message, 0, 0);
  return at < 0 ? -1 : static_cast<int>(at);
}

std::string Alignment(const std::string& code) {
  const std::string c(xb::AllTrim(code));
  return c == "I" ? "Izquierda" : c == "D" ? "Derecha" : "Centrado";
}

// The list's order: by printed line, then by start.
std::vector<ColumnaRow> ListOrder(const std::string& code) {
  std::vector<ColumnaRow> columns = ReadColumnas(code);
  std::stable_sort(columns.begin(), columns.end(), [](const ColumnaRow& a, const ColumnaRow& b) {
    return a.nLinea != b.nLinea ? a.nLinea < b.nLinea : a.nPInicial < b.nPInicial;
  });
  return columns;
}

}  // namespace

bool HayImpresora() {
  if (PrinterCheck()) return PrinterCheck()();
  DWORD needed = 0, count = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
  if (needed == 0) return false;
  std::vector<BYTE> buffer(needed);
  if (!EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, buffer.data(), needed, &needed, &count))
    return false;
  return count > 0;
}

void SetPrinterCheck(std::function<bool()> check) { PrinterCheck() = std::move(check); }

bool PreviewColumnas(const std::string& code) {
  if (!HayImpresora()) {
    data::Ui().MsgStop("Imposible previsualizar, el sistema no tiene instalada ninguna impresora", "Atención");
    return false;
  }
  if (ReadColumnas(code).empty()) {
    data::Ui().MsgStop("Debe definir alguna columna", "Atención");
    return false;
  }
  StDestino destino;
  destino.nDestino = 1;
  destino.lPreview = true;
  std::unique_ptr<ReportDevice> device = MakeReportDevice(destino, "Previsualización " + code);
  if (!device || !device->Ready()) return false;
  return DoPreview(code, *device);
}

bool AddColumna(const std::string& code) {
  const std::string master = MasterOf(code);
  if (master.empty()) return false;
  const std::vector<std::string> tables = TablasOfrecidas(master);
  const std::vector<ExpresionOfrecida> expressions = CargaExpresiones(master);
  std::vector<std::string> sources;
  for (const std::string& t : tables) sources.push_back(t == master ? t + " (tabla maestra)" : t);
  sources.push_back("Expresiones de la tabla maestra");
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TI_ANADIR_COLUMNA"), " Añadir columna");
  ui::TDialog* box = dialog.get();
  std::vector<CampoOfrecido> fields;
  const auto source = [&]() { return Selected(box->hWnd, kSource, CB_GETCURSEL); };
  const auto load = [&] {
    const int at = source();
    std::vector<std::string> items;
    if (at >= 0 && static_cast<std::size_t>(at) < tables.size()) {
      fields = CamposDe(tables[static_cast<std::size_t>(at)]);
      for (const CampoOfrecido& f : fields) items.push_back(f.description.empty() ? f.field : f.description + " (" + f.field + ")");
    } else {
      for (const ExpresionOfrecida& e : expressions) items.push_back(e.description + " (" + e.code + ")");
    }
    Fill(GetDlgItem(box->hWnd, kItems), LB_ADDSTRING, LB_RESETCONTENT, items);
    SendDlgItemMessageA(box->hWnd, kItems, LB_SETCURSEL, 0, 0);
  };
  bool added = false;
  const auto add = [&] {
    const int at = source();
    const int item = Selected(box->hWnd, kItems, LB_GETCURSEL);
    if (at < 0 || item < 0) return;
    int idcol = 0;
    if (static_cast<std::size_t>(at) < tables.size()) {
      if (static_cast<std::size_t>(item) >= fields.size()) return;
      idcol = AddColumnaCampo(code, tables[static_cast<std::size_t>(at)], fields[static_cast<std::size_t>(item)].field);
    } else if (static_cast<std::size_t>(item) < expressions.size()) {
      const ExpresionOfrecida& e = expressions[static_cast<std::size_t>(item)];
      idcol = AddColumnaExpresion(code, e.code, e.parametro);
    }
    if (idcol > 0) {
      added = true;
      box->End(IDOK);
    }
  };
  std::vector<xb::Ref<ui::TButton>> buttons;
  buttons.push_back(svc::Button(dialog, IDOK, add));
  buttons.push_back(svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); }));
  xb::Array items = xb::Array::New();
  for (const std::string& text : sources) items.Append(Value::String(text));
  auto combo = xb::MakeRef<ui::TComboBox>();
  combo->ReDefine({.id = kSource, .items = Value(items), .parent = dialog, .change = svc::Action(load)});
  svc::RunDialog(dialog, [&] {
    SendDlgItemMessageA(box->hWnd, kSource, CB_SETCURSEL, 0, 0);
    load();
    return true;
  });
  return added;
}

bool EditColumna(const std::string& code, int idcol) {
  const std::vector<ColumnaRow> columns = ReadColumnas(code);
  const auto it = std::find_if(columns.begin(), columns.end(), [&](const ColumnaRow& c) { return c.nIdCol == idcol; });
  if (it == columns.end()) return false;
  ColumnaRow column = *it;
  const int lines = LineasRegistro(code);
  std::string from = column.cDescripc;
  if (column.nTipoCol == 2 || column.nTipoCol == 8) from = column.cCodExpr + ": " + column.cDescripc;
  if (column.nTipoCol == 3 || column.nTipoCol == 6 || column.nTipoCol == 9) from = column.cCodExpr + ": " + column.cDescripc;
  if (column.nTipoCol == 4 || column.nTipoCol == 5) from = column.cDatos;
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TI_EDITAR_COLUMNA"), " Editar Columna");
  ui::TDialog* box = dialog.get();
  std::vector<xb::Ref<ui::PlainControl>> labels;
  labels.push_back(svc::Label(dialog, kKind, ClaseColumna(column.nTipoCol)));
  labels.push_back(svc::Label(dialog, kFrom, from));
  labels.push_back(svc::Label(dialog, kHeight, "Los registros de este informe ocupan " + std::to_string(lines) + " líneas"));
  bool saved = false;
  std::vector<xb::Ref<ui::TButton>> buttons;
  buttons.push_back(svc::Button(dialog, IDOK, [&, box] {
    HWND h = box->hWnd;
    column.cTitulo = ItemText(h, kTitle);
    column.nAncho = ItemNumber(h, kWidth);
    column.nNumDecimal = ItemNumber(h, kDecimals);
    const int align = Selected(h, kAlign, CB_GETCURSEL);
    column.cAlineacion = align == 0 ? "I" : align == 2 ? "D" : "C";
    column.lTotal = IsDlgButtonChecked(h, kTotal) == BST_CHECKED;
    column.cMascara = ItemText(h, kMask);
    column.nLinea = ItemNumber(h, kLine);
    column.nPInicial = ItemNumber(h, kStart);
    if (column.nAncho < 1 || column.nLinea < 1 || column.nPInicial < 1) {
      data::Ui().MsgStop("El ancho, la línea y la posición inicial deben ser mayores que 0", "Atención");
      return;
    }
    saved = GuardaColumna(code, column);
    box->End(IDOK);
  }));
  buttons.push_back(svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); }));
  svc::RunDialog(dialog, [&] {
    HWND h = box->hWnd;
    SetDlgItemTextA(h, kTitle, column.cTitulo.c_str());
    SetDlgItemInt(h, kWidth, static_cast<UINT>(column.nAncho), FALSE);
    SetDlgItemInt(h, kDecimals, static_cast<UINT>(column.nNumDecimal), FALSE);
    Fill(GetDlgItem(h, kAlign), CB_ADDSTRING, CB_RESETCONTENT, {"Izquierda", "Centrado", "Derecha"});
    const std::string align(xb::AllTrim(column.cAlineacion));
    SendDlgItemMessageA(h, kAlign, CB_SETCURSEL, align == "I" ? 0 : align == "D" ? 2 : 1, 0);
    CheckDlgButton(h, kTotal, column.lTotal ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(h, kMask, column.cMascara.c_str());
    SetDlgItemInt(h, kLine, static_cast<UINT>(column.nLinea), FALSE);
    SetDlgItemInt(h, kStart, static_cast<UINT>(column.nPInicial), FALSE);
    return true;
  });
  return saved;
}

bool CalcColumna(const std::string& code) {
  if (!lPuedeCalcular(code)) {
    data::Ui().MsgStop("Sólo se pueden añadir columnas calculadas si el informe contiene columnas con datos numéricos "
                       "o columnas de expresiones",
                       "Atención");
    return false;
  }
  std::vector<ColumnaRow> operands;
  for (const ColumnaRow& c : ReadColumnas(code))
    if (c.cTipo == "N" || c.cTipo == "H" || c.nTipoCol == 3 || c.nTipoCol == 6) operands.push_back(c);
  std::vector<std::string> names;
  for (const ColumnaRow& c : operands) names.push_back(c.cCampo + "  " + c.cTitulo);
  struct Operator {
    const char* name;
    const char* text;
  };
  static const Operator kOperators[] = {{"Más", " + "}, {"Menos", " - "}, {"Multiplicado por", " * "},
                                        {"Dividido por", " / "}, {"Ninguno", ""}};
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TI_COLUMNA_CALCULADA"), " Columna calculada");
  ui::TDialog* box = dialog.get();
  const auto append = [box](const std::string& text) {
    SetDlgItemTextA(box->hWnd, kFormula, (ItemText(box->hWnd, kFormula) + text).c_str());
  };
  bool added = false;
  std::vector<xb::Ref<ui::TButton>> buttons;
  buttons.push_back(svc::Button(dialog, kAppend, [&, box] {
    const int column = Selected(box->hWnd, kColumn, CB_GETCURSEL);
    const int op = Selected(box->hWnd, kOperator, CB_GETCURSEL);
    if (column < 0) return;
    append(operands[static_cast<std::size_t>(column)].cCampo + (op >= 0 ? kOperators[op].text : ""));
  }));
  buttons.push_back(svc::Button(dialog, kOpen, [&] { append("( "); }));
  buttons.push_back(svc::Button(dialog, kClose, [&] { append(" )"); }));
  buttons.push_back(svc::Button(dialog, kClear, [box] { SetDlgItemTextA(box->hWnd, kFormula, ""); }));
  buttons.push_back(svc::Button(dialog, kCheck, [&, box] { CalcExpresion(code, ItemText(box->hWnd, kFormula)); }));
  buttons.push_back(svc::Button(dialog, IDOK, [&, box] {
    const bool accumulated = IsDlgButtonChecked(box->hWnd, kAccumulated) == BST_CHECKED;
    if (AddColumnaCalculada(code, ItemText(box->hWnd, kFormula), accumulated) > 0) {
      added = true;
      box->End(IDOK);
    }
  }));
  buttons.push_back(svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); }));
  svc::RunDialog(dialog, [&] {
    Fill(GetDlgItem(box->hWnd, kColumn), CB_ADDSTRING, CB_RESETCONTENT, names);
    SendDlgItemMessageA(box->hWnd, kColumn, CB_SETCURSEL, 0, 0);
    std::vector<std::string> ops;
    for (const Operator& o : kOperators) ops.push_back(o.name);
    Fill(GetDlgItem(box->hWnd, kOperator), CB_ADDSTRING, CB_RESETCONTENT, ops);
    SendDlgItemMessageA(box->hWnd, kOperator, CB_SETCURSEL, 4, 0);
    return true;
  });
  return added;
}

void Columnas(const std::string& code_in) {
  const std::string code(xb::AllTrim(code_in));
  if (!lColumnasEditables(code)) return;
  std::vector<ColumnaRow> columns;
  xb::Array rows = xb::Array::New();
  const auto load = [&] {
    columns = ListOrder(code);
    rows.Resize(0);
    for (const ColumnaRow& c : columns)
      rows.Append(Value(xb::Array::Of({Value::String(c.lImprimir ? "Sí" : "No"), Value::String(std::to_string(c.nLinea)),
                                       Value::String(std::to_string(c.nPInicial)), Value::String(std::to_string(c.nAncho)),
                                       Value::String(Alignment(c.cAlineacion)), Value::String(c.cTitulo),
                                       Value::String(TipoCol(c.nTipoCol))})));
  };
  load();
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TI_COLUMNAS"), " Columnas del informe " + code);
  ui::TDialog* box = dialog.get();
  auto browse = xb::MakeRef<ui::TWBrowse>();
  ui::TWBrowse* list = browse.get();
  const auto current = [&]() -> int {
    const int at = list->nAt;
    return at >= 1 && static_cast<std::size_t>(at) <= columns.size() ? columns[static_cast<std::size_t>(at - 1)].nIdCol : 0;
  };
  // Reloads the list and stands on the column `idcol` (or on the first).
  const auto refresh = [&](int idcol) {
    load();
    list->SetArray(rows);
    list->lHitTop = false;
    list->GoTop();
    list->Refresh();
    const auto it = std::find_if(columns.begin(), columns.end(), [&](const ColumnaRow& c) { return c.nIdCol == idcol; });
    const long at = it == columns.end() ? 0 : static_cast<long>(it - columns.begin());
    for (long i = 0; i < at; ++i) list->GoDown();
  };
  const auto edit = [&] {
    const int idcol = current();
    if (idcol > 0 && EditColumna(code, idcol)) refresh(idcol);
  };
  const Value blank = Value(xb::Array::Of({Value::String(""), Value::String(""), Value::String(""), Value::String(""),
                                           Value::String(""), Value::String(""), Value::String("")}));
  browse->ReDefine(kBrowse, {.line = Value(xb::Block::Native([list, &rows, blank](xb::Args&) {
                               const Value& row = rows.Get(static_cast<std::size_t>(list->nAt - 1));
                               return row.IsArray() ? row : blank;
                             })),
                             .parent = dialog,
                             .headers = Value(xb::Array::Of({Value::String("Visible"), Value::String("Línea"),
                                                             Value::String("Inicio"), Value::String("Ancho"),
                                                             Value::String("Alineación"), Value::String("Título"),
                                                             Value::String("Tipo")})),
                             .col_sizes = Value(xb::Array::Of({Value::Integer(44), Value::Integer(36), Value::Integer(40),
                                                               Value::Integer(40), Value::Integer(64), Value::Integer(130),
                                                               Value::Integer(190)})),
                             .dbl_click = svc::Action(edit)});
  browse->SetArray(rows);
  std::vector<xb::Ref<ui::TButton>> buttons;
  buttons.push_back(svc::Button(dialog, kAdd, [&] {
    if (AddColumna(code)) refresh(ReadColumnas(code).empty() ? 0 : ReadColumnas(code).back().nIdCol);
  }));
  buttons.push_back(svc::Button(dialog, kEdit, edit));
  buttons.push_back(svc::Button(dialog, kDelete, [&] {
    const int idcol = current();
    if (idcol > 0 && DelColumna(code, idcol)) refresh(0);
  }));
  buttons.push_back(svc::Button(dialog, kUp, [&] {
    const int idcol = current();
    if (idcol > 0 && UpColumn(code, idcol)) refresh(idcol);
  }));
  buttons.push_back(svc::Button(dialog, kDown, [&] {
    const int idcol = current();
    if (idcol > 0 && DownColumn(code, idcol)) refresh(idcol);
  }));
  buttons.push_back(svc::Button(dialog, kCalc, [&] {
    if (CalcColumna(code)) refresh(ReadColumnas(code).back().nIdCol);
  }));
  buttons.push_back(svc::Button(dialog, kPreview, [&] { PreviewColumnas(code); }));
  buttons.push_back(svc::Button(dialog, kHelp, [box] { PostMessageA(box->hWnd, WM_KEYDOWN, VK_F1, 0); }));
  buttons.push_back(svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); }));
  svc::RunDialog(dialog, [list] {
    list->SetFocus();
    return false;
  });
}

}  // namespace reports
