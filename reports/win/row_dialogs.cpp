#include "reports/win/row_dialogs.h"

#include <windows.h>

#include "data/data_ui.h"
#include "data/table_access.h"
#include "reports/dictionary_rows.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/numbers.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }

std::string FieldText(WorkArea& area, const std::string& name) {
  const int pos = area.FieldPos(name);
  if (pos == 0 || area.eof()) return {};
  const Value v = area.GetField(pos);
  if (v.IsLogical()) return v.AsLogical() ? ".T." : ".F.";
  if (v.IsNumber()) {
    const auto& f = *area.FieldAt(pos);
    return std::string(xb::AllTrim(xb::CallFunction("STR", {v, Value::Integer(f.length), Value::Integer(f.decimals)}).AsString()));
  }
  return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
}

std::string ControlValue(HWND dialog, const RowControl& c) {
  switch (c.kind) {
    case RowControl::kCheck: {
      const bool on = IsDlgButtonChecked(dialog, c.id) == BST_CHECKED;
      if (!c.yes.empty() || !c.no.empty()) return on ? c.yes : c.no;
      return on ? ".T." : ".F.";
    }
    case RowControl::kCombo: {
      const LRESULT at = SendDlgItemMessageA(dialog, c.id, CB_GETCURSEL, 0, 0);
      return at == CB_ERR || static_cast<std::size_t>(at) >= c.codes.size() ? std::string() : c.codes[at];
    }
    default: {
      char buffer[512] = {};
      GetDlgItemTextA(dialog, c.id, buffer, sizeof buffer);
      return std::string(xb::AllTrim(buffer));
    }
  }
}

void ShowValue(HWND dialog, const RowControl& c, const std::string& value) {
  switch (c.kind) {
    case RowControl::kCheck: {
      const bool on = !c.yes.empty() ? value == c.yes : value == ".T.";
      CheckDlgButton(dialog, c.id, on ? BST_CHECKED : BST_UNCHECKED);
      break;
    }
    case RowControl::kCombo: {
      const std::string& code = !c.shown_for.empty() && value == c.shown_for ? c.shown_as : value;
      for (const std::string& n : c.names) SendDlgItemMessageA(dialog, c.id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(n.c_str()));
      for (std::size_t i = 0; i < c.codes.size(); ++i)
        if (c.codes[i] == code) SendDlgItemMessageA(dialog, c.id, CB_SETCURSEL, i, 0);
      if (SendDlgItemMessageA(dialog, c.id, CB_GETCURSEL, 0, 0) == CB_ERR) SendDlgItemMessageA(dialog, c.id, CB_SETCURSEL, 0, 0);
      break;
    }
    default: SetDlgItemTextA(dialog, c.id, value.c_str()); break;
  }
}

// Whether another row holds the values of every key control.
bool KeyTaken(WorkArea& area, const RowDialog& d, const std::vector<std::string>& values, bool add) {
  const std::uint32_t current = area.recno();
  const int order = area.controlling_order();
  area.SetControllingOrder(0);
  bool taken = false;
  for (area.GoTop(); !area.eof() && !taken; area.Skip(1)) {
    bool same = add || area.recno() != current;
    for (std::size_t i = 0; same && i < d.controls.size(); ++i)
      if (d.controls[i].key) same = Upper(FieldText(area, d.controls[i].field)) == Upper(values[i]);
    taken = same;
  }
  area.SetControllingOrder(order);
  area.GoTo(current);
  return taken;
}

bool Save(WorkArea& area, const RowDialog& d, const std::vector<std::string>& values, bool add) {
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(area.number());
  const bool shared = area.table().shared();
  const bool ok = add ? (shared ? data::lNetRecAdd() : area.Append(false)) : (!shared || data::lNetRecLock());
  if (ok) {
    for (std::size_t i = 0; i < d.controls.size(); ++i) {
      const int pos = area.FieldPos(d.controls[i].field);
      if (pos == 0) continue;
      const auto& f = *area.FieldAt(pos);
      if (f.type == 'L') area.PutField(pos, Value::Logical(values[i] == ".T."));
      else if (f.type == 'N') area.PutField(pos, xb::Val(values[i]));
      else area.PutField(pos, Value::String(d.controls[i].key ? Upper(values[i]) : values[i]));
    }
    area.Commit();
    if (shared) area.Unlock(area.recno());
  }
  WorkAreas::Get().SelectArea(keep);
  return ok;
}

// The row deleted under its lock; false when it could not be locked.
bool Delete(WorkArea& area) {
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(area.number());
  const bool shared = area.table().shared();
  const bool ok = !shared || data::lNetRecLock();
  if (ok) {
    area.Delete();
    area.Commit();
    if (shared) area.Unlock(area.recno());
  }
  WorkAreas::Get().SelectArea(keep);
  return ok;
}

std::string Verb(RowMode mode) {
  return mode == RowMode::kAdd ? " Añadir" : mode == RowMode::kModify ? " Modificar" : " Eliminar";
}

}  // namespace

bool DeleteRow(const RowDialog& d, const std::function<bool()>& refused) {
  WorkArea* area = WorkAreas::Get().Area(WorkAreas::Get().AreaOfAlias(d.alias));
  if (area == nullptr || area->eof()) return false;
  const std::uint32_t row = area->recno();
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String(d.resource), d.title, d.help_id);
  ui::TDialog* box = dialog.get();
  if (d.define) d.define(dialog);
  const auto host = [&d, box](int id) { return d.host ? d.host(id) : box->hWnd; };
  bool deleted = false;
  auto ok = svc::Button(dialog, IDOK, [&, box] {
    // The row asked about, though the list may have moved meanwhile.
    if (area->recno() != row) area->GoTo(row);
    if (!refused || !refused()) deleted = Delete(*area);
    box->End(IDOK);
  });
  auto cancel = svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); });
  svc::RunDialog(dialog, [&] {
    for (const RowControl& c : d.controls) {
      const HWND at = host(c.id);
      ShowValue(at, c, FieldText(*area, c.field));
      if (c.kind == RowControl::kEdit) SendDlgItemMessageA(at, c.id, EM_SETREADONLY, TRUE, 0);
      else EnableWindow(GetDlgItem(at, c.id), FALSE);
    }
    SetFocus(GetDlgItem(box->hWnd, IDOK));
    return false;
  });
  return deleted;
}

bool EditRow(const RowDialog& d, bool add) {
  WorkArea* area = WorkAreas::Get().Area(WorkAreas::Get().AreaOfAlias(d.alias));
  if (area == nullptr || (!add && area->eof())) return false;
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String(d.resource), d.title, d.help_id);
  ui::TDialog* box = dialog.get();
  if (d.define) d.define(dialog);
  const auto host = [&d, box](int id) { return d.host ? d.host(id) : box->hWnd; };
  bool saved = false;
  auto ok = svc::Button(dialog, IDOK, [&, box] {
    std::vector<std::string> values;
    for (const RowControl& c : d.controls) values.push_back(ControlValue(host(c.id), c));
    for (std::size_t i = 0; i < d.controls.size(); ++i) {
      const RowControl& c = d.controls[i];
      if (c.required && values[i].empty()) {
        SetFocus(GetDlgItem(host(c.id), c.id));
        return;
      }
    }
    if (KeyTaken(*area, d, values, add)) {
      data::Ui().MsgStop("Nombre duplicado", "Atención");
      return;
    }
    if (d.check) {
      if (const int id = d.check(values); id != 0) {
        SetFocus(GetDlgItem(host(id), id));
        return;
      }
    }
    if (d.adjust) d.adjust(values);
    saved = Save(*area, d, values, add);
    if (saved && d.saved) d.saved(values);
    box->End(IDOK);
  });
  auto cancel = svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); });
  svc::RunDialog(dialog, [&, box] {
    for (const RowControl& c : d.controls) {
      ShowValue(host(c.id), c, add ? (c.kind == RowControl::kCheck && !c.yes.empty() ? c.yes : std::string())
                                   : FieldText(*area, c.field));
      if (c.fixed_when_editing && !add) SendDlgItemMessageA(host(c.id), c.id, EM_SETREADONLY, TRUE, 0);
    }
    return true;
  });
  return saved;
}

RowDialog IndexDialog(const std::string& alias, bool add) {
  RowDialog d;
  d.resource = "TD_EDITAR_INDICE";
  d.title = add ? "Añadir índice" : "Editar índice";
  d.alias = alias;
  d.controls = {
      {.id = 101, .field = "TABLA", .required = true, .key = true},
      {.id = 102, .field = "ORDEN"},
      {.id = 103, .field = "TAG", .required = true, .key = true},
      {.id = 104, .field = "EXPRESION", .required = true},
      {.kind = RowControl::kCheck, .id = 106, .field = "UNICO"},
      {.id = 107, .field = "DESCRIPC"},
  };
  return d;
}

RowDialog FieldDialog(const std::string& alias, bool add) {
  RowDialog d;
  d.resource = "TD_FOLDER_CAMPOS";
  d.title = add ? "Añadir campo" : "Modificar campo";
  d.alias = alias;
  d.controls = {
      {.id = 101, .field = "TABLA", .required = true, .key = true},
      {.id = 102, .field = "CAMPO", .required = true, .key = true},
      {.kind = RowControl::kCombo, .id = 103, .field = "TIPO",
       .names = {"Carácter", "Número", "Lógico", "Fecha"}, .codes = {"C", "N", "L", "D"}, .shown_for = "F",
       .shown_as = "D"},
      {.id = 104, .field = "LONGITUD"},
      {.id = 105, .field = "DECIMAL"},
      {.id = 106, .field = "DESCRIPC", .required = true},
      {.id = 107, .field = "MASCARA"},
      {.id = 108, .field = "ANCHOMAX"},
      {.id = 109, .field = "DIVISA"},
      {.id = 110, .field = "FUNCTIT"},
      {.kind = RowControl::kCheck, .id = 111, .field = "VALORES"},
      {.id = 112, .field = "ORDEN"},
  };
  return d;
}

RowDialog GraphicDialog(const std::string& alias, RowMode mode) {
  RowDialog d;
  d.resource = "TD_GRAFICO";
  d.title = Verb(mode) + " gráfico";
  d.alias = alias;
  d.controls = {
      {.id = 101, .field = "CODIGO", .required = true, .key = true, .fixed_when_editing = true},
      {.id = 102, .field = "CATEGORIA"},
      {.id = 103, .field = "DESCRIPC", .required = true},
      {.id = 104, .field = "FUNCION"},
  };
  return d;
}

RowDialog GraphicCategoryDialog(const std::string& alias, RowMode mode) {
  RowDialog d;
  d.resource = "TD_GRAFCAT";
  d.title = Verb(mode) + " categoría de gráfico";
  d.alias = alias;
  d.controls = {
      {.id = 101, .field = "CODIGO", .required = true, .key = true, .fixed_when_editing = true},
      {.id = 102, .field = "DESCRIPC", .required = true},
  };
  return d;
}

RowDialog TableDialog(const std::string& alias) {
  RowDialog d;
  d.resource = "TD_EDITAR_TABLA";
  d.title = " Modificar tabla";
  d.alias = alias;
  d.controls = {
      {.id = 101, .field = "TABLA", .required = true, .key = true},
      {.id = 102, .field = "DESCRIPC", .required = true},
      {.id = 103, .field = "FICHERO"},
      {.id = 104, .field = "RUTA"},
      {.kind = RowControl::kCheck, .id = 105, .field = "EXACTA"},
      {.kind = RowControl::kCheck, .id = 106, .field = "VISIBLE", .yes = "S", .no = "N"},
      {.kind = RowControl::kCheck, .id = 107, .field = "TEMPORAL"},
      {.id = 108, .field = "PRODUCTOS"},
  };
  return d;
}

RowDialog CategoryDialog(const std::string& alias, RowMode mode) {
  RowDialog d;
  d.resource = "TD_CATEGORIA";
  d.title = Verb(mode) + " categoría";
  d.alias = alias;
  d.controls = {
      {.id = 101, .field = "CATEGORIA", .required = true, .key = true, .fixed_when_editing = true},
      {.id = 102, .field = "DESCRIPC", .required = true},
      {.kind = RowControl::kCombo, .id = 103, .field = "INFDOC", .names = {"Informes", "Documentos"}, .codes = {"I", "D"}},
      {.id = 104, .field = "MAESTRA"},
      {.id = 105, .field = "CUERPO1"},
      {.id = 106, .field = "CUERPO2"},
      {.id = 107, .field = "CUERPO3"},
      {.id = 108, .field = "COMENTARIO"},
      {.id = 109, .field = "PRODUCTOS"},
  };
  return d;
}

RowDialog SubCategoryDialog(const std::string& alias, const std::string& categories, RowMode mode) {
  RowDialog d;
  d.resource = "TD_SUBCATEGORIA";
  d.title = Verb(mode) + " subcategoría";
  d.alias = alias;
  d.controls = {
      {.id = 101, .field = "SUBCAT", .required = true, .key = true, .fixed_when_editing = true},
      {.id = 102, .field = "DESCRIPC", .required = true},
      {.id = 103, .field = "CATEGORIA", .required = true},
      {.id = 104, .field = "PRODUCTOS"},
  };
  d.check = [categories](const std::vector<std::string>& values) {
    return lValidCategoria(categories, values[2]) ? 0 : 103;
  };
  return d;
}

}  // namespace reports
