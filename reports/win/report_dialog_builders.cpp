#include "reports/win/report_dialog_builders.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "reports/report_definitions.h"
#include "reports/report_run.h"
#include "reports/value_helpers.h"
#include "runtime/codepage.h"
#include "runtime/lib/strings.h"
#include "services/dialog_helpers.h"
#include "ui/controls/tcombobox.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/msg_box.h"

namespace reports {
namespace {

using xb::Value;

std::string DlgText(HWND dialog, int id) {
  char buffer[512] = {};
  GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
  return std::string(xb::AllTrim(buffer));
}

int Selected(HWND dialog, int id) {
  const LRESULT at = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
  return at == CB_ERR ? -1 : static_cast<int>(at);
}

void Select(HWND dialog, int id, int at) { SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(at), 0); }

void Fill(HWND dialog, int id, const std::vector<std::string>& items) {
  SendDlgItemMessageA(dialog, id, CB_RESETCONTENT, 0, 0);
  for (const std::string& item : items)
    SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int IndexOf(const std::vector<ReportColumn>& columns, const std::string& field) {
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (xb::Upper(xb::CurrentCodePage(), columns[i].field) == xb::Upper(xb::CurrentCodePage(), field))
      return static_cast<int>(i);
  return -1;
}

// "Ninguno" and the columns' descriptions, for the order and group boxes.
std::vector<std::string> ColumnChoices(const std::vector<ReportColumn>& columns) {
  std::vector<std::string> items = {"Ninguno"};
  for (const ReportColumn& c : columns) items.push_back(c.description);
  return items;
}

std::vector<std::string> Pieces(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t plus = text.find('+', start);
    const std::string piece(xb::AllTrim(text.substr(start, plus == std::string::npos ? std::string::npos : plus - start)));
    if (!piece.empty()) out.push_back(piece);
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
  return out;
}

std::string Joined(const std::vector<std::string>& pieces) {
  std::string out;
  for (const std::string& p : pieces) out += (out.empty() ? "" : " + ") + p;
  return out;
}

// A row of combo boxes where each choice enables the next and clears the later ones.
struct Cascade {
  int first = 0;
  int count = 0;
  // After a change of box `changed` (0-based); -1 at the start.
  void Apply(HWND dialog, int changed) const {
    for (int j = changed + 1; j < count; ++j) {
      if (changed >= 0) Select(dialog, first + j, 0);
      const bool on = j == 0 || Selected(dialog, first + j - 1) > 0;
      EnableWindow(GetDlgItem(dialog, first + j), on);
    }
  }
  // The columns chosen (0-based), up to the first none.
  std::vector<int> Chosen(HWND dialog) const {
    std::vector<int> chosen;
    for (int j = 0; j < count; ++j) {
      const int at = Selected(dialog, first + j);
      if (at <= 0) break;
      chosen.push_back(at - 1);
    }
    return chosen;
  }
};

// The boxes of a cascade as combo controls that tell their changes.
std::vector<xb::Ref<ui::TComboBox>> CascadeBoxes(const ui::DialogRef& dialog, const Cascade& cascade,
                                                 const std::vector<std::string>& items) {
  std::vector<xb::Ref<ui::TComboBox>> boxes;
  xb::Array list = xb::Array::New();
  for (const std::string& item : items) list.Append(Value::String(item));
  ui::TDialog* box = dialog.get();
  for (int j = 0; j < cascade.count; ++j) {
    auto combo = xb::MakeRef<ui::TComboBox>();
    combo->ReDefine({.id = cascade.first + j,
                     .items = Value(list),
                     .parent = dialog,
                     .change = Value(xb::Block::Native([box, cascade, j](xb::Args&) {
                       cascade.Apply(box->hWnd, j);
                       return Value();
                     }))});
    boxes.push_back(combo);
  }
  return boxes;
}

bool ValidDate(int year, int month, int day) {
  static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12 || day < 1 || day > days[month - 1]) return false;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month != 2 || day <= 28 || leap;
}

// The rows of a browse of the builders, as an array browse's lines.
xb::Ref<ui::TWBrowse> ArrayBrowse(const ui::DialogRef& dialog, int id, const std::shared_ptr<xb::Array>& rows,
                                  const std::vector<std::string>& headers, const std::vector<int>& sizes) {
  auto browse = xb::MakeRef<ui::TWBrowse>();
  ui::TWBrowse* list = browse.get();
  xb::Array head = xb::Array::New(), width = xb::Array::New();
  for (const std::string& h : headers) head.Append(Value::String(h));
  for (int w : sizes) width.Append(Value::Integer(w));
  browse->ReDefine(id, {.line = Value(xb::Block::Native([list, rows](xb::Args&) {
                          const std::size_t at = static_cast<std::size_t>(std::max(1, list->nAt) - 1);
                          const Value row = at < rows->size() ? rows->Get(at) : Value();
                          return row.IsArray() ? row : Value(xb::Array::New());
                        })),
                        .parent = dialog,
                        .headers = Value(head),
                        .col_sizes = Value(width)});
  browse->SetArray(*rows);
  return browse;
}

}  // namespace

bool ConditionValue(const std::string& type, const std::string& typed, std::string* stored) {
  const std::string t(xb::AllTrim(typed));
  if (type == "N") {
    const std::string n = Us(t);
    bool ok = !n.empty();
    int dots = 0, digits = 0;
    for (std::size_t i = 0; i < n.size() && ok; ++i) {
      if (n[i] == '-' && i == 0) continue;
      if (n[i] == '.') ok = ++dots == 1;
      else if (std::isdigit(static_cast<unsigned char>(n[i]))) ++digits;
      else ok = false;
    }
    if (!ok || digits == 0) {
      ui::MsgStop(Value::String("Número no válido"), "Atención");
      return false;
    }
    *stored = n;
    return true;
  }
  if (type == "D" || type == "F") {
    const std::string ymd = ConditionDate(t);
    if (ymd.size() != 8 || !ValidDate(std::stoi(ymd.substr(0, 4)), std::stoi(ymd.substr(4, 2)), std::stoi(ymd.substr(6, 2)))) {
      ui::MsgStop(Value::String("Fecha no válida"), "Atención");
      return false;
    }
    *stored = ymd.substr(6, 2) + "-" + ymd.substr(4, 2) + "-" + ymd.substr(0, 4);
    return true;
  }
  if (type == "H") {
    std::string digits;
    for (char ch : t)
      if (std::isdigit(static_cast<unsigned char>(ch))) digits += ch;
      else if (ch != ':') digits = "x";
    if (digits.size() == 3) digits = "0" + digits;
    if (digits.size() != 4 || std::stoi(digits.substr(2, 2)) >= 60) {
      ui::MsgStop(Value::String("Hora no válida"), "Atención");
      return false;
    }
    *stored = std::to_string(static_cast<int>(cHoraToMin(digits)));
    return true;
  }
  *stored = t;
  return true;
}

bool MngCondicion(ConditionRow& row, const std::vector<ReportColumn>& columns, bool add) {
  const ui::DialogRef dialog =
      svc::ResourceDialog(Value::String("TI_CONDICION"), add ? " Añadir condición" : " Modificar condición");
  ui::TDialog* box = dialog.get();
  const auto type_of = [&columns](int at) -> std::string {
    if (at < 0 || at >= static_cast<int>(columns.size())) return {};
    const ReportColumn& c = columns[static_cast<std::size_t>(at)];
    if (c.kind == 7 || c.kind == 8) return "V";
    return c.type == "F" ? "D" : c.type.empty() ? "C" : c.type;
  };
  // The value controls by the column's type: a list of values for "L" and "V".
  const auto show_values = [box, &columns, type_of](int at) {
    HWND h = box->hWnd;
    const std::string type = type_of(at);
    std::vector<std::string> values;
    if (type == "L") values = {"Cierto", "Falso"};
    else if (type == "V") {
      const ReportColumn& c = columns[static_cast<std::size_t>(at)];
      values = aResulta(c.table, c.source);
    }
    Fill(h, 104, values);
    if (!values.empty()) Select(h, 104, 0);
    const bool listed = type == "L" || type == "V";
    EnableWindow(GetDlgItem(h, 104), listed);
    EnableWindow(GetDlgItem(h, 103), !listed);
  };
  std::vector<std::string> names;
  for (const ReportColumn& c : columns) names.push_back(c.description);
  xb::Array list = xb::Array::New();
  for (const std::string& n : names) list.Append(Value::String(n));
  auto column_box = xb::MakeRef<ui::TComboBox>();
  column_box->ReDefine({.id = 101, .items = Value(list), .parent = dialog, .change = Value(xb::Block::Native([box, show_values](xb::Args&) {
                          show_values(Selected(box->hWnd, 101));
                          return Value();
                        }))});
  bool accepted = false;
  auto ok = svc::Button(dialog, IDOK, [&, box] {
    HWND h = box->hWnd;
    const int at = Selected(h, 101);
    if (at < 0 || at >= static_cast<int>(columns.size())) {
      SetFocus(GetDlgItem(h, 101));
      return;
    }
    const ReportColumn& c = columns[static_cast<std::size_t>(at)];
    const std::string type = type_of(at);
    const int op = std::max(0, Selected(h, 102)) + 2;
    std::string value;
    if (op == 8 || op == 9) value.clear();
    else if (type == "L") value = Selected(h, 104) == 1 ? ".F." : ".T.";
    else if (type == "V") value = std::to_string(std::max(0, Selected(h, 104)) + 1);
    else if (!ConditionValue(type, DlgText(h, 103), &value)) {
      SetFocus(GetDlgItem(h, 103));
      return;
    }
    row.tabla = c.table;
    row.campo = c.source;
    row.fldtipo = type;
    row.columna = c.field;
    row.operador = op;
    row.valor = value;
    row.enlace = std::max(0, Selected(h, 105)) + 1;
    accepted = true;
    box->End(IDOK);
  });
  auto cancel = svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); });
  svc::RunDialog(dialog, [&, box] {
    HWND h = box->hWnd;
    const int at = IndexOf(columns, row.columna);
    Select(h, 101, std::max(0, at));
    show_values(columns.empty() ? -1 : std::max(0, at));
    const std::vector<std::string>& ops = OperatorNames();
    Fill(h, 102, std::vector<std::string>(ops.begin() + 1, ops.end()));
    Select(h, 102, std::max(0, row.operador - 2));
    Fill(h, 105, {"Ninguno", "y además", "o bien"});
    Select(h, 105, std::clamp(row.enlace - 1, 0, 2));
    const std::string type = type_of(at);
    if (!add) {
      if (type == "L") Select(h, 104, row.valor == ".F." ? 1 : 0);
      else if (type == "V") Select(h, 104, std::max(0, std::atoi(row.valor.c_str()) - 1));
      else if (type == "H") SetDlgItemTextA(h, 103, std::string(xb::AllTrim(nMinToHora(std::atof(row.valor.c_str()), true))).c_str());
      else SetDlgItemTextA(h, 103, row.valor.c_str());
    }
    return true;
  });
  return accepted;
}

bool FilterBuilder(ReportCopies& copies, const std::string& type, const std::vector<ReportColumn>& columns) {
  const std::vector<ConditionRow> before = copies.Rows(type);
  const int t = type[0] - 'A';
  const bool was_changed = t >= 0 && t < 4 && copies.changed[t];
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TI_CONDICIONES"), " Constructor de expresiones");
  ui::TDialog* box = dialog.get();
  auto rows = std::make_shared<xb::Array>(xb::Array::New());
  auto current = std::make_shared<std::vector<ConditionRow>>();
  const auto reload = [&copies, type, rows, current] {
    *current = copies.Rows(type);
    rows->Resize(0);
    const std::vector<std::string>& ops = OperatorNames();
    for (const ConditionRow& r : *current) {
      const std::string op = r.operador >= 1 && r.operador <= static_cast<int>(ops.size()) ? ops[r.operador - 1] : "";
      rows->Append(Value(xb::Array::Of({Value::String(r.orden), Value::String(r.tabla), Value::String(r.campo),
                                       Value::String(op), Value::String(r.fldtipo)})));
    }
  };
  reload();
  auto browse = ArrayBrowse(dialog, 110, rows, {"Orden", "Tabla", "Campo", "Operador", "Tipo"}, {40, 70, 110, 90, 30});
  ui::TWBrowse* list = browse.get();
  const auto refresh = [box, list, rows, reload, current, type, &columns] {
    reload();
    list->SetArray(*rows);
    list->Refresh();
    SetDlgItemTextA(box->hWnd, 120, FillSay(type, *current, columns).c_str());
  };
  const auto edit = [&columns, type](ConditionRow& row, bool add) {
    return type == "B" ? GroupBuilder(row, columns) : MngCondicion(row, columns, add);
  };
  std::vector<xb::Ref<ui::TButton>> buttons;
  buttons.push_back(svc::Button(dialog, 201, [&copies, type, edit, refresh] {
    ConditionRow row;
    row.tipo = type;
    if (edit(row, true)) {
      copies.Save(row);
      refresh();
    }
  }));
  buttons.push_back(svc::Button(dialog, 202, [&copies, list, current, edit, refresh] {
    const int at = list->nAt;
    if (at < 1 || at > static_cast<int>(current->size())) return;
    ConditionRow row = (*current)[static_cast<std::size_t>(at - 1)];
    if (edit(row, false)) {
      copies.Save(row);
      refresh();
    }
  }));
  buttons.push_back(svc::Button(dialog, 203, [&copies, list, current, refresh] {
    const int at = list->nAt;
    if (at < 1 || at > static_cast<int>(current->size())) return;
    copies.Delete((*current)[static_cast<std::size_t>(at - 1)].recno);
    refresh();
  }));
  buttons.push_back(svc::Button(dialog, 204, [&copies, type, refresh] {
    if (ClearCondiciones(copies, type)) refresh();
  }));
  bool accepted = false;
  buttons.push_back(svc::Button(dialog, IDOK, [box, &accepted] {
    accepted = true;
    box->End(IDOK);
  }));
  buttons.push_back(svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); }));
  buttons.push_back(svc::Button(dialog, 3, [box] { PostMessageA(box->hWnd, WM_KEYDOWN, VK_F1, 0); }));
  svc::RunDialog(dialog, [box, current, type, &columns] {
    SetDlgItemTextA(box->hWnd, 120, FillSay(type, *current, columns).c_str());
    return true;
  });
  if (accepted) {
    if (t >= 0 && t < 4) copies.changed[t] = true;
  } else {
    copies.Replace(type, before, true);
    if (t >= 0 && t < 4) copies.changed[t] = was_changed;
  }
  return accepted;
}

std::vector<int> InitOrder(const std::vector<ConditionRow>& rows, const std::vector<ReportColumn>& columns, int boxes) {
  std::vector<int> chosen(static_cast<std::size_t>(std::max(0, boxes)), -1);
  std::size_t j = 0;
  for (const ConditionRow& r : rows) {
    const int at = IndexOf(columns, r.columna.empty() ? r.campo : r.columna);
    if (at < 0) continue;
    if (j >= chosen.size()) break;
    chosen[j++] = at;
  }
  return chosen;
}

std::vector<ConditionRow> GenOrder(const std::string& type, const std::vector<int>& chosen,
                                   const std::vector<ReportColumn>& columns) {
  std::vector<ConditionRow> rows;
  for (int at : chosen) {
    if (at < 0 || at >= static_cast<int>(columns.size())) break;
    const ReportColumn& c = columns[static_cast<std::size_t>(at)];
    ConditionRow r;
    r.tipo = type;
    r.tabla = c.table;
    r.campo = c.source;
    r.columna = c.field;
    r.fldtipo = c.type;
    r.enlace = 2;
    rows.push_back(r);
  }
  return rows;
}

bool OrderBuilder(ReportCopies& copies, const std::vector<ReportColumn>& columns) {
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TI_ORDEN"), " Ordenar informe por ...");
  ui::TDialog* box = dialog.get();
  const Cascade cascade{101, 5};
  const auto boxes = CascadeBoxes(dialog, cascade, ColumnChoices(columns));
  bool accepted = false;
  auto ok = svc::Button(dialog, IDOK, [&, box] {
    copies.Replace("A", GenOrder("A", cascade.Chosen(box->hWnd), columns));
    copies.changed[0] = true;
    accepted = true;
    box->End(IDOK);
  });
  auto cancel = svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); });
  auto help = svc::Button(dialog, 3, [box] { PostMessageA(box->hWnd, WM_KEYDOWN, VK_F1, 0); });
  svc::RunDialog(dialog, [&, box] {
    const std::vector<int> chosen = InitOrder(copies.Rows("A"), columns, cascade.count);
    for (int j = 0; j < cascade.count; ++j) Select(box->hWnd, cascade.first + j, chosen[static_cast<std::size_t>(j)] + 1);
    cascade.Apply(box->hWnd, -1);
    return true;
  });
  return accepted;
}

bool GroupBuilder(ConditionRow& row, const std::vector<ReportColumn>& columns) {
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TI_GRUPOS"), " Agrupar cuando cambie...");
  ui::TDialog* box = dialog.get();
  const Cascade keys{101, 3}, printed{121, 3};
  const std::vector<std::string> choices = ColumnChoices(columns);
  const auto key_boxes = CascadeBoxes(dialog, keys, choices);
  const auto printed_boxes = CascadeBoxes(dialog, printed, choices);
  bool accepted = false;
  auto ok = svc::Button(dialog, IDOK, [&, box] {
    HWND h = box->hWnd;
    const std::vector<int> chosen = keys.Chosen(h);
    if (chosen.empty()) {
      SetFocus(GetDlgItem(h, keys.first));
      return;
    }
    std::vector<std::string> fields, shown, lines;
    for (int at : chosen) fields.push_back(columns[static_cast<std::size_t>(at)].field);
    const std::vector<int> heading = printed.Chosen(h);
    for (std::size_t j = 0; j < heading.size(); ++j) {
      shown.push_back(columns[static_cast<std::size_t>(heading[j])].field);
      const int line = std::atoi(DlgText(h, 131 + static_cast<int>(j)).c_str());
      lines.push_back(std::to_string(std::max(1, line)));
    }
    const ReportColumn& first = columns[static_cast<std::size_t>(chosen.front())];
    row.tabla = first.table;
    row.campo = Joined(fields);
    row.columna = first.field;
    row.fldtipo = first.type;
    row.textotit = DlgText(h, 111);
    row.textopie = DlgText(h, 112);
    row.imprime = Joined(shown);
    row.valor = Joined(lines);
    accepted = true;
    box->End(IDOK);
  });
  auto cancel = svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); });
  auto help = svc::Button(dialog, 3, [box] { PostMessageA(box->hWnd, WM_KEYDOWN, VK_F1, 0); });
  svc::RunDialog(dialog, [&, box] {
    HWND h = box->hWnd;
    const std::vector<std::string> fields = Pieces(row.campo), shown = Pieces(row.imprime), lines = Pieces(row.valor);
    for (int j = 0; j < keys.count; ++j)
      Select(h, keys.first + j, j < static_cast<int>(fields.size()) ? IndexOf(columns, fields[static_cast<std::size_t>(j)]) + 1 : 0);
    for (int j = 0; j < printed.count; ++j) {
      const bool has = j < static_cast<int>(shown.size());
      Select(h, printed.first + j, has ? IndexOf(columns, shown[static_cast<std::size_t>(j)]) + 1 : 0);
      SetDlgItemTextA(h, 131 + j, has && j < static_cast<int>(lines.size()) ? lines[static_cast<std::size_t>(j)].c_str() : "1");
    }
    keys.Apply(h, -1);
    printed.Apply(h, -1);
    SetDlgItemTextA(h, 111, row.textotit.c_str());
    SetDlgItemTextA(h, 112, row.textopie.c_str());
    return true;
  });
  return accepted;
}

bool ClearCondiciones(ReportCopies& copies, const std::string& type) {
  if (copies.Rows(type).empty()) return false;
  if (!ui::MsgYesNo(Value::String(std::string("¿ Desea borrar todas las ") + (type == "B" ? "agrupaciones ?" : "condiciones ?")),
                    " Atención"))
    return false;
  copies.Clear(type);
  return true;
}

bool MngInicial(InicialRow& row) {
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TI_INICIAL"), " Mantenimiento de funciones iniciales");
  ui::TDialog* box = dialog.get();
  bool accepted = false;
  auto ok = svc::Button(dialog, IDOK, [&, box] {
    HWND h = box->hWnd;
    if (DlgText(h, 102).empty()) {
      SetFocus(GetDlgItem(h, 102));
      return;
    }
    row.orden = std::atoi(DlgText(h, 101).c_str());
    row.funcion = DlgText(h, 102);
    row.descripc = DlgText(h, 103);
    accepted = true;
    box->End(IDOK);
  });
  auto cancel = svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); });
  svc::RunDialog(dialog, [&, box] {
    HWND h = box->hWnd;
    SetDlgItemTextA(h, 101, std::to_string(row.orden).c_str());
    SetDlgItemTextA(h, 102, row.funcion.c_str());
    SetDlgItemTextA(h, 103, row.descripc.c_str());
    return true;
  });
  return accepted;
}

std::function<void()> Iniciales(const ui::DialogRef& page, ReportCopies& copies) {
  auto rows = std::make_shared<xb::Array>(xb::Array::New());
  auto current = std::make_shared<std::vector<InicialRow>>();
  ReportCopies* c = &copies;
  const auto reload = [c, rows, current] {
    *current = c->Iniciales();
    rows->Resize(0);
    for (const InicialRow& r : *current)
      rows->Append(Value(xb::Array::Of({Value::Integer(r.orden), Value::String(r.funcion), Value::String(r.descripc)})));
  };
  reload();
  auto browse = ArrayBrowse(page, 501, rows, {"Orden", "Función", "Descripción"}, {40, 150, 180});
  ui::TWBrowse* list = browse.get();
  const auto refresh = [list, rows, reload] {
    reload();
    list->SetArray(*rows);
    list->Refresh();
  };
  // The controls live as long as the page: the page keeps them through its control list.
  svc::Button(page, 502, [c, current, refresh] {
    InicialRow row;
    for (const InicialRow& r : *current) row.orden = std::max(row.orden, r.orden);
    ++row.orden;
    if (MngInicial(row)) {
      c->SaveInicial(row);
      refresh();
    }
  });
  svc::Button(page, 503, [c, list, current, refresh] {
    const int at = list->nAt;
    if (at < 1 || at > static_cast<int>(current->size())) return;
    InicialRow row = (*current)[static_cast<std::size_t>(at - 1)];
    if (MngInicial(row)) {
      c->SaveInicial(row);
      refresh();
    }
  });
  svc::Button(page, 504, [c, list, current, refresh] {
    const int at = list->nAt;
    if (at < 1 || at > static_cast<int>(current->size())) return;
    c->DeleteInicial((*current)[static_cast<std::size_t>(at - 1)].recno);
    refresh();
  });
  return refresh;
}

}  // namespace reports
