// The field dialog of the dictionary: "Datos generales" (the Campos row) and "Valores
// predefinidos" (its coded values in CampoRes, edited in a working copy that is saved with the
// field, under its new table and name when they changed).
#include <windows.h>

#include <memory>
#include <utility>

#include "data/data_ui.h"
#include "data/table_access.h"
#include "reports/tdictqz.h"
#include "reports/win/row_dialogs.h"
#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "ui/controls/tfolder.h"
#include "ui/controls/twbrowse.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

using CodedValue = std::pair<std::string, std::string>;  // VALOR, RESULTA

constexpr int kFolder = 300;
constexpr int kTablePicker = 113;
constexpr int kValues = 110;

// The controls' positions in FieldDialog.
constexpr std::size_t kTabla = 0, kCampo = 1, kTipo = 2, kLongitud = 3, kDecimal = 4;

WorkArea* AreaOfTable(std::string_view table) {
  WorkAreas& areas = WorkAreas::Get();
  return areas.Area(areas.AreaOfAlias(TDictQZ::AliasOf(table)));
}

std::string Upper(std::string_view s) { return xb::Upper(xb::CurrentCodePage(), xb::AllTrim(s)); }

std::string Field(WorkArea& area, std::string_view name) {
  const int pos = area.FieldPos(name);
  if (pos == 0 || area.eof()) return {};
  const Value v = area.GetField(pos);
  return v.IsString() ? std::string(xb::AllTrim(v.AsString())) : std::string();
}

std::string DlgText(HWND dialog, int id) {
  char buffer[512] = {};
  GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
  return std::string(xb::AllTrim(buffer));
}

std::vector<CodedValue> ReadCodedValues(const std::string& table, const std::string& field) {
  std::vector<CodedValue> values;
  WorkArea* area = AreaOfTable("CampoRes");
  if (area == nullptr || table.empty()) return values;
  const std::uint32_t recno = area->recno();
  const int order = area->controlling_order();
  area->SetControllingOrder(0);
  for (area->GoTop(); !area->eof(); area->Skip(1))
    if (Upper(Field(*area, "TABLA")) == Upper(table) && Upper(Field(*area, "CAMPO")) == Upper(field))
      values.emplace_back(Field(*area, "VALOR"), Field(*area, "RESULTA"));
  area->SetControllingOrder(order);
  area->GoTo(recno);
  return values;
}

// The coded values of the field `was` (table, name) replaced by `values` under `now`.
void SaveCodedValues(const CodedValue& was, const CodedValue& now, const std::vector<CodedValue>& values) {
  WorkArea* area = AreaOfTable("CampoRes");
  if (area == nullptr) return;
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(area->number());
  const bool shared = area->table().shared();
  const auto of = [area](const CodedValue& key) {
    return !key.first.empty() && Upper(Field(*area, "TABLA")) == Upper(key.first) &&
           Upper(Field(*area, "CAMPO")) == Upper(key.second);
  };
  const int order = area->controlling_order();
  area->SetControllingOrder(0);
  for (area->GoTop(); !area->eof(); area->Skip(1)) {
    if (!of(was) && !of(now)) continue;
    if (shared && !data::lNetRecLock()) continue;
    area->Delete();
    if (shared) area->Unlock(area->recno());
  }
  area->SetControllingOrder(order);
  for (const CodedValue& v : values) {
    if (!(shared ? data::lNetRecAdd() : area->Append(false))) break;
    area->PutField(area->FieldPos("TABLA"), Value::String(Upper(now.first)));
    area->PutField(area->FieldPos("CAMPO"), Value::String(Upper(now.second)));
    area->PutField(area->FieldPos("VALOR"), Value::String(v.first));
    area->PutField(area->FieldPos("RESULTA"), Value::String(v.second));
    if (shared) area->Unlock(area->recno());
  }
  area->Commit();
  WorkAreas::Get().SelectArea(keep);
}

// What the dialog's parts share while it runs.
struct FieldPages {
  xb::Ref<ui::TFolder> folder = xb::MakeRef<ui::TFolder>();
  xb::Ref<ui::TWBrowse> browse = xb::MakeRef<ui::TWBrowse>();
  std::vector<xb::Ref<ui::TButton>> buttons;
  std::vector<CodedValue> values;
  xb::Array rows = xb::Array::New();

  void Load() {
    rows.Resize(0);
    for (const CodedValue& v : values)
      rows.Append(Value(xb::Array::Of({Value::String(v.first), Value::String(v.second)})));
  }
  void Refresh() {
    Load();
    browse->SetArray(rows);
    browse->Refresh();
  }
  CodedValue* Current() {
    const int at = browse->nAt;
    return at >= 1 && static_cast<std::size_t>(at) <= values.size() ? &values[static_cast<std::size_t>(at - 1)] : nullptr;
  }
};

}  // namespace

bool EditCodedValue(const std::string& title, std::string& value, std::string& result) {
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TD_VALOR"), title);
  ui::TDialog* box = dialog.get();
  bool accepted = false;
  auto ok = svc::Button(dialog, IDOK, [box, &value, &result, &accepted] {
    value = DlgText(box->hWnd, 101);
    result = DlgText(box->hWnd, 102);
    if (value.empty()) return;
    accepted = true;
    box->End(IDOK);
  });
  auto cancel = svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); });
  svc::RunDialog(dialog, [box, &value, &result] {
    SetDlgItemTextA(box->hWnd, 101, value.c_str());
    SetDlgItemTextA(box->hWnd, 102, result.c_str());
    return true;
  });
  return accepted;
}

bool MngCampo(bool add) {
  WorkArea* area = AreaOfTable("Campos");
  if (area == nullptr || (!add && area->eof())) return false;
  const CodedValue was = add ? CodedValue() : CodedValue(Field(*area, "TABLA"), Field(*area, "CAMPO"));
  const std::string old_type = add ? std::string() : Field(*area, "TIPO");
  auto pages = std::make_shared<FieldPages>();
  pages->values = ReadCodedValues(was.first, was.second);
  RowDialog d = FieldDialog(TDictQZ::AliasOf("Campos"), add);
  d.resource = "TD_FOLDER_CAMPOS";
  d.help_id = 999000011;
  d.define = [pages](const ui::DialogRef& dialog) {
    pages->folder->ReDefine(kFolder, {.prompts = {"&Datos generales", "&Valores predefinidos"},
                                      .dialogs = {Value::String("TD_CAMPOS_GENERAL"), Value::String("TD_CAMPOS_VALORES")},
                                      .parent = dialog});
    const ui::DialogRef general(pages->folder->Page(1));
    const ui::DialogRef coded(pages->folder->Page(2));
    FieldPages* p = pages.get();
    p->buttons.push_back(svc::Button(general, kTablePicker, [p] {
      HWND h = p->folder->Page(1)->hWnd;
      if (!xb::IsFunctionRegistered("TI_UDBLFINBIN")) return;
      const Value chosen = xb::CallFunction("TI_UDBLFINBIN", {Value::String("TABLA"), Value::String("tabla"),
                                                                Value::String(TDictQZ::AliasOf("Tablas"))});
      if (chosen.IsString()) SetDlgItemTextA(h, 101, std::string(xb::AllTrim(chosen.AsString())).c_str());
    }));
    p->Load();
    ui::TWBrowse* list = p->browse.get();
    p->browse->ReDefine(kValues, {.line = Value(xb::Block::Native([list, p](xb::Args&) {
                                    const Value& row = p->rows.Get(static_cast<std::size_t>(list->nAt - 1));
                                    return row.IsArray() ? row : Value(xb::Array::Of({Value::String(""), Value::String("")}));
                                  })),
                                  .parent = coded,
                                  .headers = Value(xb::Array::Of({Value::String("Valor"), Value::String("Resultado")})),
                                  .col_sizes = Value(xb::Array::Of({Value::Integer(60), Value::Integer(200)}))});
    p->browse->SetArray(p->rows);
    p->buttons.push_back(svc::Button(coded, 400, [p] {
      CodedValue v;
      if (EditCodedValue(" Añadir", v.first, v.second)) p->values.push_back(v);
      p->Refresh();
    }));
    p->buttons.push_back(svc::Button(coded, 401, [p] {
      if (CodedValue* v = p->Current(); v != nullptr && EditCodedValue(" Modificar", v->first, v->second)) p->Refresh();
    }));
    p->buttons.push_back(svc::Button(coded, 402, [p] {
      const int at = p->browse->nAt;
      if (p->Current() == nullptr || !data::Ui().ConfirmDelete(false)) return;
      p->values.erase(p->values.begin() + (at - 1));
      p->Refresh();
    }));
  };
  d.host = [pages](int) {
    ui::TDialog* page = pages->folder->Page(1);
    return page != nullptr ? page->hWnd : nullptr;
  };
  d.adjust = [old_type](std::vector<std::string>& values) {
    std::string& type = values[kTipo];
    if (type == "D" && old_type == "F") type = "F";  // shown as a date, kept as it was stored
    if (type != "N") values[kDecimal] = "0";
    if (type == "D" || type == "F") values[kLongitud] = "8";
    if (type == "L") values[kLongitud] = "1";
  };
  d.saved = [pages, was](const std::vector<std::string>& values) {
    SaveCodedValues(was, {values[kTabla], values[kCampo]}, pages->values);
  };
  return EditRow(d, add);
}

}  // namespace reports
