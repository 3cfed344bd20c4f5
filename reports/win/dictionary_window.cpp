#include "reports/win/dictionary_window.h"

#include <windows.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "data/data_ui.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "reports/dictionary_check.h"
#include "reports/dictionary_rows.h"
#include "reports/expression_rows.h"
#include "reports/list_helpers.h"
#include "reports/table_search.h"
#include "reports/win/expression_dialogs.h"
#include "reports/win/header_dialogs.h"
#include "reports/win/report_tree.h"
#include "reports/win/row_dialogs.h"
#include "reports/win/tbrwdataqz.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "services/hot_keys.h"
#include "services/menu_access.h"
#include "services/user_look.h"
#include "ui/bridge/common_dialogs.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/controls/tmeter.h"
#include "ui/core/msg_box.h"
#include "ui/core/tmenuitem.h"
#include "ui/core/tmsgbar.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

constexpr const char* kGeneratorName = "Generador de informes";

WorkArea* AreaOfTable(std::string_view table) {
  WorkAreas& areas = WorkAreas::Get();
  return areas.Area(areas.AreaOfAlias(TDictQZ::AliasOf(table)));
}

std::string Field(WorkArea& area, std::string_view name) {
  const int pos = area.FieldPos(name);
  if (pos == 0 || area.eof()) return {};
  const Value v = area.GetField(pos);
  return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
}

DictAliases Aliases() {
  DictAliases a;
  a.tablas = TDictQZ::AliasOf("Tablas");
  a.campos = TDictQZ::AliasOf("Campos");
  a.indices = TDictQZ::AliasOf("Indices");
  a.relacion = TDictQZ::AliasOf("Relacion");
  a.reltab = TDictQZ::AliasOf("RelTab");
  return a;
}

bool Ask(const std::string& text) { return ui::MsgYesNo(Value::String(text), "Atención"); }

// Deletes the current row of the area under its lock.
void DeleteCurrent(WorkArea& area) {
  if (area.eof()) return;
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(area.number());
  const bool shared = area.table().shared();
  if (!shared || data::lNetRecLock()) {
    area.Delete();
    area.Commit();
    if (shared) area.Unlock(area.recno());
  }
  WorkAreas::Get().SelectArea(keep);
}

std::string Capitalised(const std::string& name) {
  std::string s = xb::Lower(xb::CurrentCodePage(), name);
  if (!s.empty()) s[0] = xb::Upper(xb::CurrentCodePage(), s.substr(0, 1))[0];
  return s;
}

std::string DlgText(HWND dialog, int id) {
  char buffer[512] = {};
  GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
  return std::string(xb::AllTrim(buffer));
}

// Import1Table: a ".DBF" file chosen and its description imported.
bool Import1Table() {
  ui::FileDialogParams p;
  p.mask = "Tablas (*.DBF)|*.dbf";
  p.title = "Seleccione un fichero";
  const std::string file = ui::FileDialog(p);
  if (file.empty()) return false;
  if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES) {
    data::Ui().MsgStop("Fichero no existe", "Atención");
    return false;
  }
  return DoImport(Aliases(), file);
}

// The pickers of the dictionary's dialogs: a described table chosen into the control `id`.
void PickTable(HWND dialog, int id, const std::string& title) {
  const Value chosen = uDblFinBin({.code_field = "TABLA", .alias = TDictQZ::AliasOf("Tablas")}, title);
  if (chosen.IsString()) SetDlgItemTextA(dialog, id, std::string(xb::AllTrim(chosen.AsString())).c_str());
}

// A tag of the table named in `table_id` chosen into the control `id` (its description, or
// the tag and its key when it has none).
void PickTag(HWND dialog, int table_id, int id) {
  const std::string table = xb::Upper(xb::CurrentCodePage(), DlgText(dialog, table_id));
  WorkArea* area = AreaOfTable("Indices");
  if (area == nullptr || table.empty()) return;
  std::vector<std::pair<std::int64_t, ChoiceRow>> tags;
  const std::uint32_t recno = area->recno();
  const int order = area->controlling_order();
  area->SetControllingOrder(0);
  for (area->GoTop(); !area->eof(); area->Skip(1)) {
    if (xb::Upper(xb::CurrentCodePage(), Field(*area, "TABLA")) != table) continue;
    const std::string tag = Field(*area, "TAG"), description = Field(*area, "DESCRIPC");
    tags.emplace_back(area->GetField(area->FieldPos("ORDEN")).AsInt(),
                      ChoiceRow{Value::String(tag), description.empty() ? tag + " - " + Field(*area, "EXPRESION") : description});
  }
  area->SetControllingOrder(order);
  area->GoTo(recno);
  std::stable_sort(tags.begin(), tags.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<ChoiceRow> rows;
  for (auto& t : tags) rows.push_back(std::move(t.second));
  if (const auto chosen = PickChoice(" Seleccione Indices", rows))
    SetDlgItemTextA(dialog, id, std::string(rows[*chosen].code.AsString()).c_str());
}

// The index dialog with its table picker and the expression builder of its key.
RowDialog IndexRow(bool add) {
  RowDialog d = IndexDialog(TDictQZ::AliasOf("Indices"), add);
  auto held = std::make_shared<std::vector<xb::Ref<ui::TButton>>>();
  d.define = [held](const ui::DialogRef& dialog) {
    ui::TDialog* box = dialog.get();
    held->push_back(svc::Button(dialog, 113, [box] { PickTable(box->hWnd, 101, "tabla"); }));
    auto builder = svc::Button(dialog, 105, [box] {
      SetDlgItemTextA(box->hWnd, 104, ExpBuilder(DlgText(box->hWnd, 101), DlgText(box->hWnd, 104)).c_str());
    });
    builder->cToolTip = Value::String("Constructor de expresiones");
    held->push_back(builder);
  };
  return d;
}

// " Mantenimiento de relaciones": a relation added or the current one changed, its search
// expression checked on the destination's tag and saved with the paths it opens.
void EditRelation(bool add) {
  WorkArea* area = AreaOfTable("Relacion");
  if (area == nullptr || (!add && area->eof())) return;
  struct Row {
    std::string origin, destination, tag, expression, description, products;
    bool direct = false;
  } was;
  if (!add) {
    was = {Field(*area, "TABORIGEN"), Field(*area, "TABDESTINO"), Field(*area, "INDDESTINO"), Field(*area, "EXPBUSCAR"),
           Field(*area, "DESCRIPC"),  Field(*area, "PRODUCTOS"),
           area->GetField(area->FieldPos("DIRECTA")).AsLogical()};
  }
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TD_CREAR_RELACION"), " Mantenimiento de relaciones");
  ui::TDialog* box = dialog.get();
  std::vector<xb::Ref<ui::TButton>> buttons;
  auto builder = svc::Button(dialog, 105, [box] {
    SetDlgItemTextA(box->hWnd, 104, ExpBuilder(DlgText(box->hWnd, 101), DlgText(box->hWnd, 104)).c_str());
  });
  builder->cToolTip = Value::String("Constructor de expresiones");
  buttons.push_back(builder);
  buttons.push_back(svc::Button(dialog, 109, [box] { PickTable(box->hWnd, 101, "Tabla Origen"); }));
  buttons.push_back(svc::Button(dialog, 110, [box] { PickTable(box->hWnd, 102, "Tabla Destino"); }));
  buttons.push_back(svc::Button(dialog, 111, [box] { PickTag(box->hWnd, 102, 103); }));
  buttons.push_back(svc::Button(dialog, IDOK, [box, add, was] {
    HWND h = box->hWnd;
    const std::string origin = DlgText(h, 101), destination = DlgText(h, 102), tag = DlgText(h, 103),
                      expression = DlgText(h, 104);
    if (origin.empty() || destination.empty()) return;
    if (!lCheckRelacion(TDictQZ::AliasOf("Indices"), destination, tag, expression)) {
      data::Ui().MsgStop("Expresión incorrecta", "Atención");
      return;
    }
    const auto same = [](const std::string& a, const std::string& b) {
      return xb::Upper(xb::CurrentCodePage(), a) == xb::Upper(xb::CurrentCodePage(), b);
    };
    const bool moved = add || !same(origin, was.origin) || !same(destination, was.destination) || !same(tag, was.tag) ||
                       !same(expression, was.expression);
    if (moved && ExisteRelacion(TDictQZ::AliasOf("Relacion"), origin, destination, tag, expression)) {
      data::Ui().MsgStop("Nombre duplicado", "Atención");
      return;
    }
    const bool direct = IsDlgButtonChecked(h, 107) == BST_CHECKED;
    if (add) {
      GuardaRelacion(Aliases(), origin, expression, destination, tag, DlgText(h, 106), direct, DlgText(h, 108));
    } else if (!ModificaRelacion(Aliases(), origin, expression, destination, tag, DlgText(h, 106), direct,
                                 DlgText(h, 108))) {
      return;
    }
    box->End(IDOK);
  }));
  buttons.push_back(svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); }));
  svc::RunDialog(dialog, [box, add, was] {
    if (add) return true;
    HWND h = box->hWnd;
    SetDlgItemTextA(h, 101, was.origin.c_str());
    SetDlgItemTextA(h, 102, was.destination.c_str());
    SetDlgItemTextA(h, 103, was.tag.c_str());
    SetDlgItemTextA(h, 104, was.expression.c_str());
    SetDlgItemTextA(h, 106, was.description.c_str());
    CheckDlgButton(h, 107, was.direct ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(h, 108, was.products.c_str());
    return true;
  });
}

// " Relaciones indirectas": the table pairs joined through other tables, as `RelTab` holds them.
void IndirectRelations() {
  WorkArea* area = AreaOfTable("RelTab");
  if (area == nullptr) return;
  xb::Array rows = xb::Array::New();
  const std::uint32_t recno = area->recno();
  const bool at_end = area->eof();
  const int order = area->controlling_order();
  area->SetControllingOrder(1);
  for (area->GoTop(); !area->eof(); area->Skip(1))
    rows.Append(Value(xb::Array::Of({Value::String(Field(*area, "TABORIGEN")), Value::String(Field(*area, "TABDESTINO"))})));
  area->SetControllingOrder(order);
  if (at_end) {
    area->GoBottom();
    area->Skip(1);
  } else {
    area->GoTo(recno);
  }
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TD_INDIRECTA"), " Relaciones indirectas");
  ui::TDialog* box = dialog.get();
  auto browse = xb::MakeRef<ui::TWBrowse>();
  ui::TWBrowse* list = browse.get();
  browse->ReDefine(110, {.line = Value(xb::Block::Native([list, &rows](xb::Args&) {
                           if (list->nAt < 1 || static_cast<std::size_t>(list->nAt) > rows.size())
                             return Value(xb::Array::Of({Value::String(""), Value::String("")}));
                           return rows.Get(static_cast<std::size_t>(list->nAt - 1));
                         })),
                         .parent = dialog,
                         .headers = Value(xb::Array::Of({Value::String("Origen"), Value::String("Destino")})),
                         .col_sizes = Value(xb::Array::Of({Value::Integer(120), Value::Integer(120)}))});
  browse->SetArray(rows);
  std::vector<xb::Ref<ui::TButton>> buttons;
  buttons.push_back(svc::Button(dialog, IDOK, [box] { box->End(IDOK); }));
  svc::RunDialog(dialog);
}

// An environment's dialog: its code (only when adding), description and tables.
void EditEnvironment(bool add) {
  WorkArea* area = AreaOfTable("Entorno");
  if (area == nullptr || (!add && area->eof())) return;
  std::string code = add ? std::string() : Field(*area, "ENTORNO");
  std::string description = add ? std::string() : Field(*area, "DESCRIPC");
  std::vector<std::string> tables;
  if (!add) {
    std::vector<std::pair<std::int64_t, std::string>> rows;
    const std::uint32_t recno = area->recno();
    const int order = area->controlling_order();
    area->SetControllingOrder(0);
    for (area->GoTop(); !area->eof(); area->Skip(1))
      if (xb::Upper(xb::CurrentCodePage(), Field(*area, "ENTORNO")) == xb::Upper(xb::CurrentCodePage(), code))
        rows.emplace_back(area->GetField(area->FieldPos("ORDEN")).AsInt(), Field(*area, "TABLA"));
    area->SetControllingOrder(order);
    area->GoTo(recno);
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& r : rows) tables.push_back(r.second);
  }
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TD_CREAR_ENTORNO"), add ? " Añadir" : " Modificar");
  ui::TDialog* box = dialog.get();
  // The tables in order, the first the initial one: the list box (103) managed by its buttons.
  const auto show = [box, &tables](int at) {
    HWND list = GetDlgItem(box->hWnd, 103);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& t : tables) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(at - 1), 0);
  };
  const auto manage = [box, &tables, show](ListAction action) {
    const int at = static_cast<int>(SendDlgItemMessageA(box->hWnd, 103, LB_GETCURSEL, 0, 0)) + 1;
    const std::string item = xb::Upper(xb::CurrentCodePage(), DlgText(box->hWnd, 104));
    show(MngListBox(tables, at, action, item));
    if (action == ListAction::kAdd) SetDlgItemTextA(box->hWnd, 104, "");
  };
  std::vector<xb::Ref<ui::TButton>> buttons;
  buttons.push_back(svc::Button(dialog, 105, [manage] { manage(ListAction::kAdd); }));
  buttons.push_back(svc::Button(dialog, 106, [manage] { manage(ListAction::kDelete); }));
  buttons.push_back(svc::Button(dialog, 107, [manage] { manage(ListAction::kUp); }));
  buttons.push_back(svc::Button(dialog, 108, [manage] { manage(ListAction::kDown); }));
  buttons.push_back(svc::Button(dialog, IDOK, [box, add, &tables] {
    HWND h = box->hWnd;
    const std::string c = DlgText(h, 101);
    if (c.empty() || tables.empty()) return;
    if (add) {
      WorkArea* a = AreaOfTable("Entorno");
      bool taken = false;
      const std::uint32_t recno = a->recno();
      for (a->GoTop(); !a->eof() && !taken; a->Skip(1))
        taken = xb::Upper(xb::CurrentCodePage(), Field(*a, "ENTORNO")) == xb::Upper(xb::CurrentCodePage(), c);
      a->GoTo(recno);
      if (taken) {
        data::Ui().MsgStop("Nombre duplicado", "Atención");
        return;
      }
    }
    SaveEntorno(TDictQZ::AliasOf("Entorno"), c, DlgText(h, 102), tables);
    box->End(IDOK);
  }));
  buttons.push_back(svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); }));
  svc::RunDialog(dialog, [box, add, code, description, show] {
    HWND h = box->hWnd;
    SetDlgItemTextA(h, 101, code.c_str());
    if (!add) SendDlgItemMessageA(h, 101, EM_SETREADONLY, TRUE, 0);
    SetDlgItemTextA(h, 102, description.c_str());
    show(1);
    return true;
  });
}

// ActualTabla / ActualIndices over a chosen file of the described table: the differences
// shown, what the dictionary lacks added.
void UpdateFromFile(const std::string& table, bool tags) {
  WorkArea* tablas = AreaOfTable("Tablas");
  std::string described_file;
  if (tablas != nullptr) {
    const std::uint32_t recno = tablas->recno();
    for (tablas->GoTop(); !tablas->eof() && described_file.empty(); tablas->Skip(1))
      if (xb::Upper(xb::CurrentCodePage(), Field(*tablas, "TABLA")) == xb::Upper(xb::CurrentCodePage(), table))
        described_file = Field(*tablas, "FICHERO");
    tablas->GoTo(recno);
  }
  ui::FileDialogParams p;
  p.mask = "Tablas (*.dbf)|*.dbf";
  p.title = "Seleccione fichero";
  const std::string file = ui::FileDialog(p);
  if (file.empty()) return;
  const std::string name = file.substr(file.find_last_of("\\/") == std::string::npos ? 0 : file.find_last_of("\\/") + 1);
  if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES ||
      xb::Upper(xb::CurrentCodePage(), name) != xb::Upper(xb::CurrentCodePage(), described_file)) {
    data::Ui().MsgStop("El fichero no existe o no tiene el mismo nombre", "Atención");
    return;
  }
  const int keep = WorkAreas::Get().CurrentArea();
  data::NetUseOptions options;
  options.alias = "Temp";
  if (!data::lNetUse(file, options)) {
    WorkAreas::Get().SelectArea(keep);
    return;
  }
  WorkArea& opened = WorkAreas::Get().Current();
  const std::vector<std::string> diffs = tags ? ActualIndices(Aliases(), table, "Temp") : ActualTabla(Aliases(), table, "Temp");
  opened.Close();
  WorkAreas::Get().SelectArea(keep);
  ShowDiferencias(diffs);
}

// The coded values of a field ("Valor", "Resultado" in CampoRes), added, changed and deleted.
void CodedValues(const std::string& table, const std::string& field) {
  WorkArea* area = AreaOfTable("CampoRes");
  if (area == nullptr || table.empty() || field.empty()) return;
  std::vector<std::uint32_t> records;
  xb::Array rows = xb::Array::New();
  const auto load = [&] {
    records.clear();
    rows.Resize(0);
    const int order = area->controlling_order();
    area->SetControllingOrder(0);
    for (area->GoTop(); !area->eof(); area->Skip(1)) {
      if (xb::Upper(xb::CurrentCodePage(), Field(*area, "TABLA")) != xb::Upper(xb::CurrentCodePage(), table) ||
          xb::Upper(xb::CurrentCodePage(), Field(*area, "CAMPO")) != xb::Upper(xb::CurrentCodePage(), field))
        continue;
      records.push_back(area->recno());
      rows.Append(Value(xb::Array::Of({Value::String(Field(*area, "VALOR")), Value::String(Field(*area, "RESULTA"))})));
    }
    area->SetControllingOrder(order);
  };
  load();
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TD_VALORES"));
  ui::TDialog* box = dialog.get();
  auto browse = xb::MakeRef<ui::TWBrowse>();
  ui::TWBrowse* list = browse.get();
  browse->ReDefine(110, {.line = Value(xb::Block::Native([list, &rows](xb::Args&) {
                           const Value& row = rows.Get(static_cast<std::size_t>(list->nAt - 1));
                           return row.IsArray() ? row : Value(xb::Array::Of({Value::String(""), Value::String("")}));
                         })),
                         .parent = dialog,
                         .headers = Value(xb::Array::Of({Value::String("Valor"), Value::String("Resultado")})),
                         .col_sizes = Value(xb::Array::Of({Value::Integer(60), Value::Integer(200)}))});
  browse->SetArray(rows);
  const auto refresh = [&] {
    load();
    list->SetArray(rows);
    list->Refresh();
  };
  const auto write = [area](const std::string& value, const std::string& result, const std::string& t,
                            const std::string& f, bool add) {
    const int keep = WorkAreas::Get().CurrentArea();
    WorkAreas::Get().SelectArea(area->number());
    const bool shared = area->table().shared();
    if (add ? (shared ? data::lNetRecAdd() : area->Append(false)) : (!shared || data::lNetRecLock())) {
      area->PutField(area->FieldPos("TABLA"), Value::String(xb::Upper(xb::CurrentCodePage(), t)));
      area->PutField(area->FieldPos("CAMPO"), Value::String(xb::Upper(xb::CurrentCodePage(), f)));
      area->PutField(area->FieldPos("VALOR"), Value::String(value));
      area->PutField(area->FieldPos("RESULTA"), Value::String(result));
      area->Commit();
      if (shared) area->Unlock(area->recno());
    }
    WorkAreas::Get().SelectArea(keep);
  };
  std::vector<xb::Ref<ui::TButton>> buttons;
  buttons.push_back(svc::Button(dialog, 400, [&] {
    std::string value, result;
    if (EditCodedValue(" Añadir", value, result)) write(value, result, table, field, true);
    refresh();
  }));
  buttons.push_back(svc::Button(dialog, 401, [&] {
    const int at = list->nAt;
    if (at < 1 || static_cast<std::size_t>(at) > records.size()) return;
    area->GoTo(records[static_cast<std::size_t>(at - 1)]);
    std::string value = Field(*area, "VALOR"), result = Field(*area, "RESULTA");
    if (EditCodedValue(" Modificar", value, result)) write(value, result, table, field, false);
    refresh();
  }));
  buttons.push_back(svc::Button(dialog, 402, [&] {
    const int at = list->nAt;
    if (at < 1 || static_cast<std::size_t>(at) > records.size()) return;
    area->GoTo(records[static_cast<std::size_t>(at - 1)]);
    if (data::Ui().ConfirmDelete(false)) DeleteCurrent(*area);
    refresh();
  }));
  buttons.push_back(svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); }));
  svc::RunDialog(dialog);
}

// Whether any live row of `table` has `field` equal to `value` (upper-cased, trimmed).
bool Uses(const std::string& table, const std::string& field, const std::string& value) {
  WorkArea* area = AreaOfTable(table);
  if (area == nullptr) return false;
  const std::uint32_t recno = area->recno();
  const int order = area->controlling_order();
  area->SetControllingOrder(0);
  bool found = false;
  const std::string wanted = xb::Upper(xb::CurrentCodePage(), value);
  for (area->GoTop(); !area->eof() && !found; area->Skip(1))
    found = !area->Deleted() && xb::Upper(xb::CurrentCodePage(), Field(*area, field)) == wanted;
  area->SetControllingOrder(order);
  area->GoTo(recno);
  return found;
}

// The row operations of the lists, on the current row of their table; the methods of the
// same names run them from compiled text. False when there was nothing to do or it was
// refused or cancelled.
bool DeleteTable() {
  WorkArea* area = AreaOfTable("Tablas");
  if (area == nullptr || area->eof()) return false;
  if (!Ask("¿ Desea eliminar esta tabla ? ( Se eliminarán todos los campos e indices )")) return false;
  DeleteTableRows(Aliases(), Field(*area, "TABLA"), TDictQZ::AliasOf("CampoRes"));
  return true;
}

bool DelCampo() {
  WorkArea* area = AreaOfTable("Campos");
  if (area == nullptr || area->eof()) return false;
  if (FieldInUse(Aliases(), Field(*area, "TABLA"), Field(*area, "CAMPO"))) {
    data::Ui().MsgStop("No se puede borrar este campo, forma parte de la expresión\n\rde un índice o de una relación",
                       "Atención");
    return false;
  }
  if (!Ask("¿ Desea eliminar este campo ?")) return false;
  DeleteCurrent(*area);
  return true;
}

// The field's visibility toggled between "S" and "N".
bool SelCampo() {
  WorkArea* area = AreaOfTable("Campos");
  if (area == nullptr || area->eof()) return false;
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(area->number());
  const bool locked = !area->table().shared() || data::lNetRecLock();
  if (locked) {
    const bool on = Field(*area, "VISIBLE") == "S";
    area->PutField(area->FieldPos("VISIBLE"), Value::String(on ? "N" : "S"));
    area->Commit();
    if (area->table().shared()) area->Unlock(area->recno());
  }
  WorkAreas::Get().SelectArea(keep);
  return locked;
}

bool DelIndice() {
  WorkArea* area = AreaOfTable("Indices");
  if (area == nullptr || area->eof() || !data::Ui().ConfirmDelete(false)) return false;
  DeleteCurrent(*area);
  return true;
}

bool DelRelacionRow() {
  WorkArea* area = AreaOfTable("Relacion");
  if (area == nullptr || area->eof() || !data::Ui().ConfirmDelete(false)) return false;
  DelRelacion(Aliases());
  return true;
}

// Deleting an environment takes every table of it.
bool DelEntorno() {
  WorkArea* area = AreaOfTable("Entorno");
  if (area == nullptr || area->eof() || !data::Ui().ConfirmDelete(false)) return false;
  const std::string code = xb::Upper(xb::CurrentCodePage(), Field(*area, "ENTORNO"));
  const int order = area->controlling_order();
  area->SetControllingOrder(0);
  for (area->GoTop(); !area->eof(); area->Skip(1))
    if (!area->Deleted() && xb::Upper(xb::CurrentCodePage(), Field(*area, "ENTORNO")) == code) DeleteCurrent(*area);
  area->SetControllingOrder(order);
  return true;
}

RowDialog CategoryRow(RowMode mode) { return CategoryDialog(TDictQZ::AliasOf("Categor"), mode); }
RowDialog SubCatRow(RowMode mode) { return SubCategoryDialog(TDictQZ::AliasOf("SubCat"), TDictQZ::AliasOf("Categor"), mode); }
RowDialog GraphicRow(bool categories, RowMode mode) {
  return categories ? GraphicCategoryDialog(TDictQZ::AliasOf("GrafCat"), mode)
                    : GraphicDialog(TDictQZ::AliasOf("Graficos"), mode);
}

// A category with reports or subcategories is kept.
bool DelCategoria() {
  return DeleteRow(CategoryRow(RowMode::kDelete), [] {
    const std::string category = Field(*AreaOfTable("Categor"), "CATEGORIA");
    const char* refusal = nullptr;
    if (Uses("Informes", "CATEGORIA", category))
      refusal = "Es imposible borrar la categoría por tener informes asociados";
    else if (Uses("SubCat", "CATEGORIA", category))
      refusal = "Es imposible borrar la categoría por tener subcategorías asociadas";
    if (refusal != nullptr) data::Ui().MsgStop(refusal, "Atención");
    return refusal != nullptr;
  });
}

bool DelSubCat() {
  return DeleteRow(SubCatRow(RowMode::kDelete), [] {
    if (!Uses("Informes", "SUBCAT", Field(*AreaOfTable("SubCat"), "SUBCAT"))) return false;
    data::Ui().MsgStop("Es imposible borrar la subcategoría por tener informes asociados", "Atención");
    return true;
  });
}

// A category that graphics are filed under is kept, or they would leave the graphics tree.
bool DelGrafico(bool categories) {
  return DeleteRow(GraphicRow(categories, RowMode::kDelete), [categories] {
    WorkArea* area = AreaOfTable("GrafCat");
    if (!categories || area == nullptr || !Uses("Graficos", "CATEGORIA", Field(*area, "CODIGO"))) return false;
    data::Ui().MsgStop("Es imposible borrar la categoría de gráficos por tener gráficos asociados", "Atención");
    return true;
  });
}

struct Button {
  const char* bitmap;
  const char* tooltip;
  bool group;
};

const Button kButtons[] = {
    {"TD_TABLAS", "Tablas", false},
    {"TD_CAMPOS", "Campos", false},
    {"TD_INDICES", "Indices", false},
    {"TD_RELACION", "Relaciones", false},
    {"TD_EXPRESION", "Expresiones", false},
    {"TD_ENTORNOS", "Entornos", false},
    {"TD_CABECERAS", "Ca(B)eceras de informes", true},
    {"TI_INFORMES", "Informes", false},
    {"TD_CATEGORIAS", "Categorías", false},
    {"TD_CATEGORIAS", "Subcategorías", false},
    {"TD_CATEGORIAS", "Categorías de gráficos", true},
    {"TI_GRAFICOS", "Gráficos", false},
    {"TD_CHECK", "Comprobar estructuras", true},
    {"TD_CHECK", "Comprobar relaciones", false},
    {"PBMPEND1", "Terminar", true},
    {"PBMPIMP1", "Inspector", false},
    {"TI_ARBOL", "Informes", true},
    {"TI_ARBOL", "Graficos", false},
};

class DictionaryWindow {
 public:
  void Show(TDictQZ& dict) {
    dict_ = xb::Ref<TDictQZ>(&dict);
    frame_ = xb::MakeRef<ui::TMdiFrame>();
    ui::TMdiFrame::NewParams p;
    p.caption = dict.cTitle;
    // The window text's system colour on the user's background of disabled fields.
    p.clr_text = GetSysColor(COLOR_WINDOWTEXT);
    if (const Value back = svc::LookGet(svc::Look::kDisable2); back.IsNumber())
      p.clr_pane = static_cast<COLORREF>(back.AsInt());
    frame_->New(p);
    ui::TMsgBar::NewParams m;
    m.text = kGeneratorName;
    ui::TMsgBar::New(*frame_, m);
    ui::TBar::NewParams b;
    b.btn_width = 28;
    b.btn_height = 28;
    bar_ = ui::TBar::New(*frame_, b);
    for (std::size_t i = 0; i < std::size(kButtons); ++i) {
      const Button& button = kButtons[i];
      ui::TBtnBmp::BarParams bp;
      bp.pictures.resource1 = button.bitmap;
      bp.tooltip = button.tooltip;
      bp.message = button.tooltip;
      bp.group = button.group;
      bp.action = svc::Action([this, i] { Run(i); });
      ui::TBtnBmp::NewBar(*bar_, bp);
    }
    // PopUp: the bar's buttons as a menu, by their letters.
    bar_->bRClicked = Value(xb::Block::Native([this](xb::Args& a) {
      PopUp(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)));
      return Value();
    }));
    frame_->bValid = Value(xb::Block::Native([this](xb::Args&) {
      Closing();
      return Value::Logical(true);
    }));
    ShowWindow(frame_->hWnd, SW_SHOWMAXIMIZED);
    frame_->ReSize(SIZE_MAXIMIZED, 0, 0);
    UpdateWindow(frame_->hWnd);
  }

  // Closes the frame (its lists go with it); the objects stay until their windows are gone.
  void End() {
    if (closing_) return;
    closing_ = true;
    if (frame_ && frame_->hWnd != nullptr) frame_->End();
  }
  bool gone() const { return !frame_ || frame_->hWnd == nullptr || !IsWindow(frame_->hWnd); }
  bool Of(const TDictQZ& dict) const { return dict_.get() == &dict; }
  void RefreshLists() {
    for (auto& [key, list] : lists_)
      if (list->open()) list->Refresh();
  }

  ui::TMdiFrame* frame() const { return frame_ && frame_->hWnd != nullptr ? frame_.get() : nullptr; }
  TBrwDataQZ* List(const std::string& title) {
    auto it = lists_.find(title);
    return it != lists_.end() && it->second->open() ? it->second.get() : nullptr;
  }

  void PopUp(int row, int col) {
    svc::PopupMenu(row, col, frame_.get(), Value(xb::ObjectRef(bar_)), "MACIREFXPT");
  }

  // A maintenance method sent to the dictionary: the list, tree or dialog it names; the
  // fields and indexes of `table` when one is given.
  void Method(const std::string& name, const std::string& table) {
    if (name == "TABLAS") Tablas();
    else if (name == "CAMPOS") Campos(table);
    else if (name == "INDICES") Indices(table);
    else if (name == "RELACIONES") Relaciones();
    else if (name == "EXPRESIONES") Expresiones();
    else if (name == "ENTORNOS") Entornos();
    else if (name == "CATEGORIAS") Categorias();
    else if (name == "SUBCAT") SubCategorias();
    else if (name == "GRAFCATE") Run(10);
    else if (name == "GRAFICOS") Run(11);
    else if (name == "INFORMES") Run(7);
  }

  void Run(std::size_t button) {
    switch (button) {
      case 0: Tablas(); break;
      case 1: Campos({}); break;
      case 2: Indices({}); break;
      case 3: Relaciones(); break;
      case 4: Expresiones(); break;
      case 5: Entornos(); break;
      case 6: Cabeceras(); break;
      case 7: CallIfThere("INFORMES", {Value::String(TDictQZ::cPath())}); break;
      case 8: Categorias(); break;
      case 9: SubCategorias(); break;
      case 10: Graphics("GrafCat", "GrafCat", "Categorías de gráficos"); break;
      case 11: Graphics("Graficos", "Graficos", "Gráficos"); break;
      case 12: CheckFiles(TDictQZ::cPath(), false); break;
      case 13: CheckRelations(); break;
      case 14: if (dict_) dict_->End(); break;
      case 15: CallIfThere("TI_OBJECTINSPECTOR", {dict_ ? dict_->AsValue() : Value()}); break;
      case 16:
        CallIfThere("INFORMES", {Value::String(TDictQZ::cPath()), Value(), Value(), Value(), Value(), Value::Logical(false)});
        break;
      case 17: CallIfThere("INFGRAFICOS", {Value::String(TDictQZ::cPath())}); break;
      default: break;
    }
  }

 private:
  // "Comprobar relaciones": RelTab is rebuilt exclusively, so the window lets its own handle
  // go for the check and takes it again, in the same area under the same alias, after.
  void CheckRelations() {
    const std::string alias = TDictQZ::AliasOf("RelTab");
    WorkArea* area = AreaOfTable("RelTab");
    if (area == nullptr) {
      CheckFiles(TDictQZ::cPath(), true);
      return;
    }
    const int number = area->number(), order = area->controlling_order();
    if (TBrwDataQZ* list = List("Relaciones")) list->Refresh();
    area->Close();
    CheckFiles(TDictQZ::cPath(), true);
    const int keep = WorkAreas::Get().CurrentArea();
    WorkAreas::Get().SelectArea(number);
    data::NetUseOptions options;
    options.alias = alias;
    options.new_area = false;
    if (data::lNetUse(TDictQZ::cPath() + "RelTab", options)) WorkAreas::Get().Current().SetControllingOrder(order);
    WorkAreas::Get().SelectArea(keep);
  }

  static void CallIfThere(const char* name, std::initializer_list<Value> args = {}) {
    if (xb::IsFunctionRegistered(name)) xb::CallFunction(name, args);
  }

  TBrwDataQZ& Open(const std::string& key, std::unique_ptr<TBrwDataQZ> list, int depth = 1) {
    if (auto it = lists_.find(key); it != lists_.end() && it->second->open()) it->second->End();
    TBrwDataQZ& l = *list;
    lists_[key] = std::move(list);
    l.Activate(*frame_, depth);
    return l;
  }

  void Tablas() {
    auto list = std::make_unique<TBrwDataQZ>("Tablas", TDictQZ::AliasOf("Tablas"), "Tablas auxiliares");
    list->bAdd = [] { Import1Table(); };
    list->bEdit = [] { EditRow(TableDialog(TDictQZ::AliasOf("Tablas")), false); };
    list->bDel = [] { DeleteTable(); };
    list->aExtraButtons = {
        {"TD_CAMPOS", "Campos de esta tabla", "Campos", [this] { Campos(Current("Tablas", "TABLA")); }},
        {"TD_INDICES", "Indices de esta tabla", "Indices", [this] { Indices(Current("Tablas", "TABLA")); }},
        {"TD_TABLAS", "Importar las tablas de un directorio", "Importar", [this] {
           if (ImportFolder() > 0)
             if (TBrwDataQZ* tablas = List("Tablas")) tablas->Refresh();
         }},
    };
    Open("Tablas", std::move(list));
  }

  static std::string Current(const std::string& table, const std::string& field) {
    WorkArea* area = AreaOfTable(table);
    return area != nullptr ? Field(*area, field) : std::string();
  }

  void Campos(const std::string& table) {
    const std::string caption = table.empty() ? "Campos" : "Campos de " + Capitalised(table);
    auto list = std::make_unique<TBrwDataQZ>("Campos", TDictQZ::AliasOf("Campos"), caption);
    if (!table.empty()) {
      list->cField = "TABLA";
      list->uValue1 = Value::String(xb::PadR(table, 10));
      list->nOrdenFiltro = 1;
    }
    list->bAdd = [] { MngCampo(true); };
    list->bEdit = [] { MngCampo(false); };
    list->bDel = [] { DelCampo(); };
    list->aExtraButtons = {{"TD_TABLAS", "Actualizar campos", "Actualizar", [table] {
                              const std::string t = table.empty() ? Current("Campos", "TABLA") : table;
                              if (!t.empty()) UpdateFromFile(t, false);
                            }},
                           {"TD_CAMPOS", "Valores predefinidos", "Valores", [] {
                              CodedValues(Current("Campos", "TABLA"), Current("Campos", "CAMPO"));
                            }},
                           {"TD_CHECK", "Campo seleccionable para informes", "Seleccionar", [] { SelCampo(); }}};
    Open("Campos", std::move(list), table.empty() ? 1 : 2);
  }

  void Indices(const std::string& table) {
    const std::string caption = table.empty() ? "Indices" : "Indices de " + Capitalised(table);
    auto list = std::make_unique<TBrwDataQZ>("Indices", TDictQZ::AliasOf("Indices"), caption);
    if (!table.empty()) {
      list->cField = "TABLA";
      list->uValue1 = Value::String(xb::PadR(table, 10));
      list->nOrdenFiltro = 1;
    }
    list->bAdd = [] { EditRow(IndexRow(true), true); };
    list->aExtraButtons = {{"TD_INDICES", "Actualizar Indices", "Indices", [table] {
                              const std::string t = table.empty() ? Current("Indices", "TABLA") : table;
                              if (!t.empty()) UpdateFromFile(t, true);
                            }}};
    list->bEdit = [] { EditRow(IndexRow(false), false); };
    list->bDel = [] { DelIndice(); };
    Open("Indices", std::move(list), table.empty() ? 1 : 2);
  }

  // Graphics and their categories; a category that graphics are filed under is kept, or
  // they would leave the graphics tree.
  void Graphics(const std::string& title, const std::string& table, const std::string& caption) {
    auto list = std::make_unique<TBrwDataQZ>(title, TDictQZ::AliasOf(table), caption);
    const bool categories = table == "GrafCat";
    list->bAdd = [categories] { EditRow(GraphicRow(categories, RowMode::kAdd), true); };
    list->bEdit = [categories] { EditRow(GraphicRow(categories, RowMode::kModify), false); };
    list->bDel = [categories] { DelGrafico(categories); };
    Open(title, std::move(list));
  }

  void Expresiones() {
    auto list = std::make_unique<TBrwDataQZ>("Expresiones", TDictQZ::AliasOf("Expresio"), "Expresiones");
    list->bAdd = [] { MngExpresiones(true); };
    list->bEdit = [] { MngExpresiones(false); };
    list->bDel = [] { DelExpresion(); };
    list->aExtraButtons = {{"TD_EXPRESION", "Asignar esta expresión a otro entorno", "Duplicar", [] { DupExpresion(); }}};
    Open("Expresiones", std::move(list));
  }

  void Relaciones() {
    auto list = std::make_unique<TBrwDataQZ>("Relaciones", TDictQZ::AliasOf("Relacion"), "Relaciones");
    list->bAdd = [] { EditRelation(true); };
    list->bEdit = [] { EditRelation(false); };
    list->bDel = [] { DelRelacionRow(); };
    list->aExtraButtons = {{"TD_RELACION", "Chequear relaciones indirectas generadas", "Relaciones indirectas",
                            [] { IndirectRelations(); }}};
    Open("Relaciones", std::move(list));
  }

  // One row an environment, its initial one (the tag "Entorn2" on INICIAL); deleting takes
  // every table of the environment.
  void Entornos() {
    auto list = std::make_unique<TBrwDataQZ>("Entornos", TDictQZ::AliasOf("Entorno"), "Entornos para expresiones");
    list->cField = "INICIAL";
    list->uValue1 = Value::String("S");
    list->nOrdenFiltro = 2;
    list->bAdd = [] { EditEnvironment(true); };
    list->bEdit = [] { EditEnvironment(false); };
    list->bDel = [] { DelEntorno(); };
    Open("Entornos", std::move(list));
  }

  void Cabeceras() { CabInformes(); }

  void Categorias() {
    auto list = std::make_unique<TBrwDataQZ>("Categorias", TDictQZ::AliasOf("Categor"), "Categorías de informes");
    list->bAdd = [] { EditRow(CategoryRow(RowMode::kAdd), true); };
    list->bEdit = [] { EditRow(CategoryRow(RowMode::kModify), false); };
    list->bDel = [] { DelCategoria(); };
    Open("Categorias", std::move(list));
  }

  void SubCategorias() {
    auto list = std::make_unique<TBrwDataQZ>("Subcategorias", TDictQZ::AliasOf("SubCat"), "Subcategorías de informes");
    list->bAdd = [] { EditRow(SubCatRow(RowMode::kAdd), true); };
    list->bEdit = [] { EditRow(SubCatRow(RowMode::kModify), false); };
    list->bDel = [] { DelSubCat(); };
    Open("Subcategorias", std::move(list));
  }

  // The frame closed by the user: the dictionary ends with it.
  void Closing() {
    if (closing_) return;
    closing_ = true;
    if (dict_ && dict_->lAbierto) dict_->End();
  }

  xb::Ref<TDictQZ> dict_;
  xb::Ref<ui::TMdiFrame> frame_;
  xb::Ref<ui::TBar> bar_;
  std::map<std::string, std::unique_ptr<TBrwDataQZ>> lists_;
  bool closing_ = false;
};

constexpr int kBuilderText = 100;
constexpr int kBuilderFields = 110;
constexpr int kBuilderAddField = 120;

// The described fields of a table, in order.
std::vector<std::string> FieldsOf(const std::string& table) {
  std::vector<std::pair<std::int64_t, std::string>> fields;
  WorkArea* area = AreaOfTable("Campos");
  if (area == nullptr) return {};
  const std::uint32_t recno = area->recno();
  const int order = area->controlling_order();
  area->SetControllingOrder(0);
  const std::string wanted = xb::Upper(xb::CurrentCodePage(), xb::AllTrim(table));
  for (area->GoTop(); !area->eof(); area->Skip(1)) {
    if (xb::Upper(xb::CurrentCodePage(), Field(*area, "TABLA")) != wanted) continue;
    fields.emplace_back(area->GetField(area->FieldPos("ORDEN")).AsInt(), Field(*area, "CAMPO"));
  }
  area->SetControllingOrder(order);
  area->GoTo(recno);
  std::stable_sort(fields.begin(), fields.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> names;
  for (auto& f : fields) names.push_back(std::move(f.second));
  return names;
}

std::string DialogText(HWND dialog, int id) {
  const int length = GetWindowTextLengthA(GetDlgItem(dialog, id));
  std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
  GetDlgItemTextA(dialog, id, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(std::max(length, 0)));
  return text;
}

void Append(HWND dialog, const std::string& piece) {
  SetDlgItemTextA(dialog, kBuilderText, (DialogText(dialog, kBuilderText) + piece).c_str());
}

std::unique_ptr<DictionaryWindow>& Window() {
  static std::unique_ptr<DictionaryWindow> window;
  return window;
}

// Windows being closed: kept until their frame is destroyed, as their blocks point to them.
std::vector<std::unique_ptr<DictionaryWindow>>& Closed() {
  static std::vector<std::unique_ptr<DictionaryWindow>> closed;
  return closed;
}

TBrwDataQZ*& HeaderList() {
  static TBrwDataQZ* list = nullptr;
  return list;
}

// The window of `dict` shown, the one before kept until its frame is gone.
void SetWindowFor(TDictQZ& dict) {
  std::erase_if(Closed(), [](const auto& w) { return w->gone(); });
  if (Window()) Closed().push_back(std::move(Window()));
  Window() = std::make_unique<DictionaryWindow>();
  Window()->Show(dict);
}

std::string Current(const std::string& table, const std::string& field) {
  WorkArea* area = AreaOfTable(table);
  return area != nullptr ? Field(*area, field) : std::string();
}

// Argument `n` as a text, or the current row's `field` of `table` without one.
std::string ArgOr(xb::Args& a, int n, const std::string& table, const std::string& field) {
  return a.Arg(n).IsString() && !xb::AllTrim(a.Str(n)).empty() ? std::string(xb::AllTrim(a.Str(n))) : Current(table, field);
}

// The mode of a maintenance method: lEdit (.T. modify, else add) or nMode (1 add, 2 modify,
// 3 delete, 4 copy).
int ModeArg(xb::Args& a) {
  if (a.Arg(1).IsNumber()) return static_cast<int>(a.Int(1));
  return a.Log(1) ? 2 : 1;
}

// A row dialog in the mode asked: added, changed or deleted (`del` with its refusals).
Value RowMode3(int mode, const std::function<RowDialog(RowMode)>& dialog, const std::function<bool()>& del) {
  if (mode == 3) return Value::Logical(del());
  if (mode != 1 && mode != 2) return Value::Logical(false);
  return Value::Logical(EditRow(dialog(mode == 1 ? RowMode::kAdd : RowMode::kModify), mode == 1));
}

using RowMethodFn = std::function<Value(xb::Args&)>;

// The maintenance methods that work on the current row of a dictionary table, as compiled
// text sends them to the dictionary.
const std::map<std::string, RowMethodFn>& RowMethods() {
  static const std::map<std::string, RowMethodFn> methods = {
      {"DOIMPORT", [](xb::Args& a) { return Value::Logical(DoImport(Aliases(), std::string(xb::AllTrim(a.Str(1))))); }},
      {"EDITTABLE", [](xb::Args&) { return Value::Logical(EditRow(TableDialog(TDictQZ::AliasOf("Tablas")), false)); }},
      {"DELETETABLE", [](xb::Args&) { return Value::Logical(DeleteTable()); }},
      {"ACTUALTABLA",
       [](xb::Args& a) {
         const std::string table = ArgOr(a, 1, "Tablas", "TABLA");
         if (!table.empty()) UpdateFromFile(table, false);
         return Value::Logical(!table.empty());
       }},
      {"ACTUALINDICES",
       [](xb::Args& a) {
         const std::string table = ArgOr(a, 1, "Tablas", "TABLA");
         if (!table.empty()) UpdateFromFile(table, true);
         return Value::Logical(!table.empty());
       }},
      {"MNGCAMPO", [](xb::Args& a) { return Value::Logical(MngCampo(!a.Log(1))); }},
      {"VALORCAMPO",
       [](xb::Args& a) {
         const std::string table = ArgOr(a, 1, "Campos", "TABLA"), field = ArgOr(a, 2, "Campos", "CAMPO");
         CodedValues(table, field);
         return Value::Logical(!table.empty() && !field.empty());
       }},
      {"DELCAMPO", [](xb::Args&) { return Value::Logical(DelCampo()); }},
      {"SELCAMPO", [](xb::Args&) { return Value::Logical(SelCampo()); }},
      {"CHECKIND",
       [](xb::Args& a) {
         return Value::Logical(FieldInUse(Aliases(), ArgOr(a, 1, "Campos", "TABLA"), ArgOr(a, 2, "Campos", "CAMPO")));
       }},
      {"MNGINDICE", [](xb::Args& a) { return Value::Logical(EditRow(IndexRow(!a.Log(1)), !a.Log(1))); }},
      {"DELINDICE", [](xb::Args&) { return Value::Logical(DelIndice()); }},
      {"MNGRELACIONES",
       [](xb::Args& a) {
         EditRelation(!a.Log(1));
         return Value();
       }},
      {"DELRELACION", [](xb::Args&) { return Value::Logical(DelRelacionRow()); }},
      {"MNGEXPRESIONES", [](xb::Args& a) { return Value::Logical(MngExpresiones(!a.Log(1))); }},
      {"DUPEXPRESIONES", [](xb::Args&) { return Value::Logical(DupExpresion()); }},
      // ExprColumnas( lEdit, nParametro ): a parameter of the current expression.
      {"EXPRCOLUMNAS",
       [](xb::Args& a) { return Value::Logical(ExprColumnas(static_cast<int>(a.Int(2)), !a.Log(1))); }},
      {"CONSTRUYEARBOL",
       [](xb::Args& a) {
         return Value::Logical(ConstruyeArbol(a.Arg(1).IsString() ? std::string(xb::AllTrim(a.Str(1))) : std::string()));
       }},
      // GuardaExpresion( lNew, aValues ): Expresio's fields in order.
      {"GUARDAEXPRESION",
       [](xb::Args& a) {
         if (!a.Arg(2).IsArray()) return Value::Logical(false);
         return Value::Logical(GuardaExpresion(TDictQZ::AliasOf("Expresio"), a.Log(1), a.Arg(2).AsArray()));
       }},
      {"CHECKEXPRESION",
       [](xb::Args& a) {
         return Value::Logical(CheckOnTable(ArgOr(a, 1, "Expresio", "TABLA"), ArgOr(a, 2, "Expresio", "FUNDATOS")) ==
                               ExpressionCheck::kCorrect);
       }},
      {"EXPBUILDER",
       [](xb::Args& a) { return Value::String(ExpBuilder(std::string(xb::AllTrim(a.Str(1))), std::string(a.Str(2)))); }},
      {"MNGENTORNOS",
       [](xb::Args& a) {
         EditEnvironment(!a.Log(1));
         return Value();
       }},
      {"MNGCATEGORIAS", [](xb::Args& a) { return RowMode3(ModeArg(a), CategoryRow, DelCategoria); }},
      {"MNGSUBCAT", [](xb::Args& a) { return RowMode3(ModeArg(a), SubCatRow, DelSubCat); }},
      {"MNGGRAFICOS",
       [](xb::Args& a) {
         return RowMode3(ModeArg(a), [](RowMode m) { return GraphicRow(false, m); }, [] { return DelGrafico(false); });
       }},
      {"MNGCATGRAFICOS",
       [](xb::Args& a) {
         return RowMode3(ModeArg(a), [](RowMode m) { return GraphicRow(true, m); }, [] { return DelGrafico(true); });
       }},
      {"MNGCABLIS",
       [](xb::Args& a) {
         const int mode = ModeArg(a);
         if (mode < 1 || mode > 4) return Value::Logical(false);
         constexpr HeaderMode kModes[] = {HeaderMode::kAdd, HeaderMode::kModify, HeaderMode::kDelete, HeaderMode::kCopy};
         return Value::Logical(MngCabLis(TDictQZ::AliasOf("CabeH"), TDictQZ::AliasOf("CabeD"), kModes[mode - 1]));
       }},
  };
  return methods;
}

}  // namespace

void CabInformes(const std::string& menu_option, const std::string& code) {
  const std::string cabeh = TDictQZ::AliasOf("CabeH");
  const std::string cabed = TDictQZ::AliasOf("CabeD");
  WorkArea* area = AreaOfTable("CabeH");
  if (area == nullptr) return;
  TBrwDataQZ list("Cabeceras", cabeh, "Ca(B)eceras de informes", menu_option);
  list.nId = 100;
  const auto run = [cabeh, cabed](HeaderMode mode) { MngCabLis(cabeh, cabed, mode); };
  list.bAdd = [run] { run(HeaderMode::kAdd); };
  list.bEdit = [run] { run(HeaderMode::kModify); };
  list.bDel = [run] { run(HeaderMode::kDelete); };
  list.aExtraButtons = {{"TD_CABECERAS", "Duplicar cabecera", "Duplicar", [run] { run(HeaderMode::kCopy); }}};
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TI_CABECERAS"), "Ca(B)eceras de informes", 988000005);
  list.Activate(dialog);
  if (!code.empty()) {
    // The header asked for, when there is one.
    const std::uint32_t recno = area->recno();
    bool found = false;
    for (area->GoTop(); !area->eof() && !found; area->Skip(1))
      found = xb::Upper(xb::CurrentCodePage(), Field(*area, "COD")) == xb::Upper(xb::CurrentCodePage(), xb::AllTrim(code));
    if (found) area->Skip(-1);
    else area->GoTo(recno);
  }
  TBrwDataQZ* outer = HeaderList();
  HeaderList() = &list;
  svc::RunDialog(dialog);
  HeaderList() = outer;
}

ui::TMdiFrame* DictionaryFrame() { return Window() ? Window()->frame() : nullptr; }

TBrwDataQZ* DictionaryList(const std::string& title) {
  if (title == "Cabeceras" && HeaderList() != nullptr) return HeaderList();
  return Window() ? Window()->List(title) : nullptr;
}

std::vector<std::string> DictionaryBarTips() {
  std::vector<std::string> tips;
  for (const Button& b : kButtons) tips.emplace_back(b.tooltip);
  return tips;
}

void RunDictionaryButton(const std::string& tooltip) {
  if (!Window()) return;
  for (std::size_t i = 0; i < std::size(kButtons); ++i) {
    if (tooltip == kButtons[i].tooltip) {
      Window()->Run(i);
      return;
    }
  }
}

const std::vector<BuilderOperator>& BuilderOperators() {
  static const std::vector<BuilderOperator> operators = {
      {150, " = ", "Igual a"},
      {160, " <> ", "Distinto de"},
      {170, " .and. ", "Y ( Operador lógico )"},
      {180, " + ", "Más"},
      {190, " < ", "Menor que "},
      {200, " > ", "Mayor que "},
      {210, " .or. ", "O ( Operador lógico )"},
      {220, " - ", "Menos"},
      {230, " <= ", "Menor o igual que"},
      {240, " >= ", "Mayor o igual que"},
      {250, " .not. ", "NO ( Operador lógico )"},
      {260, " * ", "Multiplicado por"},
      {270, " ( ", "Comienzo de expresión"},
      {280, " ) ", "Fin de expresión"},
      {290, " $ ", "Contenido en"},
      {300, " / ", "Dividido por"},
  };
  return operators;
}

std::string ExpBuilder(const std::string& table, const std::string& expression) {
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TD_CONSTRUCTOR_EXPRESIONES"), " Constructor de expresiones");
  ui::TDialog* box = dialog.get();
  std::vector<xb::Ref<ui::TButton>> buttons;
  for (const BuilderOperator& op : BuilderOperators()) {
    const std::string text = op.text;
    auto button = svc::Button(dialog, op.id, [box, text] { Append(box->hWnd, text); });
    button->cToolTip = Value::String(op.tooltip);
    buttons.push_back(button);
  }
  buttons.push_back(svc::Button(dialog, kBuilderAddField, [box] {
    HWND list = GetDlgItem(box->hWnd, kBuilderFields);
    const LRESULT at = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (at == LB_ERR) return;
    char name[64] = {};
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(name));
    Append(box->hWnd, name);
  }));
  std::string result = expression;
  buttons.push_back(svc::Button(dialog, IDOK, [box, &result] {
    result = DialogText(box->hWnd, kBuilderText);
    box->End(IDOK);
  }));
  buttons.push_back(svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); }));
  const std::vector<std::string> fields = FieldsOf(table);
  svc::RunDialog(dialog, [box, &fields, &expression] {
    SetDlgItemTextA(box->hWnd, kBuilderText, expression.c_str());
    HWND list = GetDlgItem(box->hWnd, kBuilderFields);
    for (const std::string& f : fields) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.c_str()));
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    return true;
  });
  return result;
}

int SelectRelacion(const std::vector<std::string>& descriptions) {
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TI_SEL_RELACION"), " Seleccione campo de la relación");
  ui::TDialog* box = dialog.get();
  int chosen = 0;
  auto ok = svc::Button(dialog, IDOK, [box, &chosen] {
    const LRESULT at = SendMessageA(GetDlgItem(box->hWnd, 100), CB_GETCURSEL, 0, 0);
    chosen = at == CB_ERR ? 0 : static_cast<int>(at) + 1;
    box->End(IDOK);
  });
  auto cancel = svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); });
  svc::RunDialog(dialog, [box, &descriptions] {
    HWND combo = GetDlgItem(box->hWnd, 100);
    for (const std::string& d : descriptions) SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(d.c_str()));
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    return true;
  });
  return chosen;
}

void EditCodedValues(const std::string& table, const std::string& field) { CodedValues(table, field); }

void ShowDiferencias(const std::vector<std::string>& lines) {
  xb::Array rows = xb::Array::New();
  for (const std::string& line : lines) {
    const std::size_t bar = line.find(" | ");
    const std::string file = bar == std::string::npos ? line : line.substr(0, bar);
    const std::string dict = bar == std::string::npos ? std::string() : line.substr(bar + 3);
    rows.Append(Value(xb::Array::Of({Value::String(file), Value::String(dict)})));
  }
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TD_DIFERENCIAS"), "Diferencias");
  ui::TDialog* box = dialog.get();
  auto browse = xb::MakeRef<ui::TWBrowse>();
  ui::TWBrowse* list = browse.get();
  browse->ReDefine(110, {.line = Value(xb::Block::Native([list, &rows](xb::Args&) {
                           const Value& row = rows.Get(static_cast<std::size_t>(list->nAt - 1));
                           return row.IsArray() ? row : Value(xb::Array::Of({Value::String(""), Value::String("")}));
                         })),
                         .parent = dialog,
                         .headers = Value(xb::Array::Of({Value::String("Fichero"), Value::String("Diccionario")})),
                         .col_sizes = Value(xb::Array::Of({Value::Integer(200), Value::Integer(200)}))});
  browse->SetArray(rows);
  auto ok = svc::Button(dialog, IDOK, [box] { box->End(IDOK); });
  svc::RunDialog(dialog);
}

int ImportTables(const std::string& folder_in) {
  std::string folder = folder_in;
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  std::vector<std::string> files;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "*.dbf").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.emplace_back(found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    data::Ui().MsgStop("No se han encontrado bases de datos en el directorio " + folder, "Atención");
    return 0;
  }
  std::vector<bool> marked(files.size(), false);
  xb::Array rows = xb::Array::New();
  const auto load = [&] {
    rows.Resize(0);
    for (std::size_t i = 0; i < files.size(); ++i)
      rows.Append(Value(
          xb::Array::Of({FlagPicture(marked[i], marked[i] ? "TD_CHECKED" : "TD_UNCHECKED"), Value::String(files[i])})));
  };
  load();
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TD_SELECCION_FICHEROS"));
  ui::TDialog* box = dialog.get();
  auto browse = xb::MakeRef<ui::TWBrowse>();
  ui::TWBrowse* list = browse.get();
  const auto refresh = [&] {
    load();
    list->SetArray(rows);
    list->Refresh();
  };
  const auto toggle = [&] {
    const int at = list->nAt;
    if (at >= 1 && static_cast<std::size_t>(at) <= files.size()) marked[at - 1] = !marked[at - 1];
    refresh();
    for (int i = 1; i < at; ++i) list->GoDown();  // the cursor stays on the row marked
  };
  browse->ReDefine(110, {.line = Value(xb::Block::Native([list, &rows](xb::Args&) {
                           const Value& row = rows.Get(static_cast<std::size_t>(list->nAt - 1));
                           return row.IsArray() ? row : Value(xb::Array::Of({Value::String(""), Value::String("")}));
                         })),
                         .parent = dialog,
                         .headers = Value(xb::Array::Of({Value::String("Sel."), Value::String("Fichero")})),
                         .col_sizes = Value(xb::Array::Of({Value::Integer(40), Value::Integer(220)})),
                         .dbl_click = svc::Action(toggle)});
  browse->SetArray(rows);
  browse->bKeyChar = Value(xb::Block::Native([&](xb::Args& a) {
    if (a.Int(1) == ' ') toggle();
    return Value();
  }));
  ui::SetGet done = ui::SetGet::Of(Value::Integer(0));
  auto meter = xb::MakeRef<ui::TMeter>();
  meter->ReDefine({.id = 100, .set_get = done.block, .total = static_cast<double>(files.size()), .parent = dialog});
  int imported = 0;
  std::vector<xb::Ref<ui::TButton>> buttons;
  buttons.push_back(svc::Button(dialog, 401, [&] {
    std::fill(marked.begin(), marked.end(), true);
    refresh();
  }));
  buttons.push_back(svc::Button(dialog, 402, [&] {
    std::fill(marked.begin(), marked.end(), false);
    refresh();
  }));
  buttons.push_back(svc::Button(dialog, IDOK, [&, box] {
    for (std::size_t i = 0; i < files.size(); ++i) {
      if (marked[i] && DoImport(Aliases(), folder + files[i])) ++imported;
      meter->Set(static_cast<double>(i + 1));
    }
    box->End(IDOK);
  }));
  buttons.push_back(svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); }));
  svc::RunDialog(dialog);
  return imported;
}

int ImportFolder() {
  if (!xb::IsFunctionRegistered("CGETDIR")) return 0;
  const Value chosen = xb::CallFunction("CGETDIR", {Value::String("Seleccione directorio"), Value::String("C:\\")});
  if (!chosen.IsString() || xb::AllTrim(chosen.AsString()).empty()) return 0;
  return ImportTables(std::string(xb::AllTrim(chosen.AsString())));
}

void InstallDictionaryWindow() {
  // TI_SELECTRELACION(aDescripciones)
  xb::RegisterFunction("TI_SELECTRELACION", [](xb::Args& a) {
    std::vector<std::string> descriptions;
    const xb::Array list = a.Arr(1);
    for (std::size_t i = 0; list && i < list.size(); ++i)
      descriptions.emplace_back(list[i].Deref().IsString() ? list[i].Deref().AsString() : "");
    return Value::Integer(SelectRelacion(descriptions));
  });
  // CABECERA(lFlag, cCodigo): the dictionary of the reports' folder opened straight on its
  // header list (its access that of the menu option "Cabecera" when the flag is set), on the
  // header given; the dictionary closes with the list.
  xb::RegisterFunction("CABECERA", [](xb::Args& a) {
    const std::string code = a.Arg(2).IsString() ? std::string(a.Str(2)) : std::string();
    if (!TDictQZ::AliasOf("CabeH").empty()) {
      // The dictionary open already: its headers, and it stays open.
      CabInformes(a.Log(1) ? "Cabecera" : "", code);
      return Value();
    }
    auto dict = xb::MakeRef<TDictQZ>();
    dict->New(data::cPathInforme());
    if (!dict->Activate("ID", false)) return Value();
    CabInformes(a.Log(1) ? "Cabecera" : "", code);
    dict->End();
    return Value();
  });
  // TI_EXPBUILDER(cTabla, cExpresion): the expression builder.
  xb::RegisterFunction("TI_EXPBUILDER", [](xb::Args& a) {
    return Value::String(ExpBuilder(std::string(a.Str(1)), std::string(a.Str(2))));
  });
  DictionaryWindowHook hook;
  hook.method = [](TDictQZ& dict, const std::string& name, xb::Args& a) -> Value {
    if (const auto row = RowMethods().find(name); row != RowMethods().end()) {
      // The rows they work on are the open dictionary's.
      if (TDictQZ::AliasOf("Tablas").empty()) return Value();
      const Value result = row->second(a);
      if (Window() && !Window()->gone()) Window()->RefreshLists();
      return result;
    }
    if (name == "CABINFORMES") {
      CabInformes();
    } else if (name == "ARBOL_INFORMES") {
      return Value::Logical(ActivateArbol(TDictQZ::cPath()));
    } else if (name == "ARBOL_GRAFICOS") {
      return Value::Logical(ArbolGraficos(TDictQZ::cPath()));
    } else if (name == "IMPORTTABLES") {
      return Value::Integer(ImportFolder());
    } else if (name == "IMPORT1TABLE") {
      return Value::Logical(Import1Table());
    } else {
      // The lists live in the dictionary's window: it opens first when it is not there.
      if (!Window() || Window()->gone()) SetWindowFor(dict);
      if (name == "POPUP") Window()->PopUp(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)));
      else if (name != "SHOWWINDOW") Window()->Method(name, a.Arg(1).IsString() ? std::string(xb::AllTrim(a.Str(1))) : "");
    }
    return Value();
  };
  hook.show = SetWindowFor;
  hook.end = [](TDictQZ& dict) {
    // The menu option that opened the dictionary shows as open no more.
    if (dict.nMnu2Option.IsNumber() && dict.nMnu2Option.AsInt() > 0)
      if (const svc::MenuOption* option = svc::MenuOptionAt(static_cast<int>(dict.nMnu2Option.AsInt()));
          option != nullptr && option->item)
        option->item->SetCheck(false);
    // A dictionary opened over the window's (CABECERA, a run) leaves the window alone.
    if (!Window() || !Window()->Of(dict)) return;
    Closed().push_back(std::move(Window()));
    Closed().back()->End();
  };
  SetDictionaryWindowHook(hook);
}

}  // namespace reports
