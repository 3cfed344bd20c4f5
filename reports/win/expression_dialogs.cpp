#include "reports/win/expression_dialogs.h"

#include <windows.h>

#include <vector>

#include "data/data_ui.h"
#include "data/table_access.h"
#include "reports/dictionary_check.h"
#include "reports/tdictqz.h"
#include "runtime/codepage.h"
#include "runtime/lib/numbers.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tcombobox.h"
#include "ui/controls/twbrowse.h"

namespace reports {
namespace {

using xb::Value;
using xb::rdd::WorkArea;
using xb::rdd::WorkAreas;

// TD_CREAR_EXPRESION's parameter list and its buttons.
constexpr int kParams = 120;
constexpr int kParamAdd = 121;
constexpr int kParamModify = 122;
constexpr int kParamDelete = 123;

constexpr const char* kTypeNames[] = {"Carácter", "Número", "Lógico", "Fecha", "Hora"};
constexpr const char* kTypeCodes[] = {"C", "N", "L", "D", "H"};

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

int DlgNumber(HWND dialog, int id) { return static_cast<int>(xb::Val(DlgText(dialog, id)).AsInt()); }

int TypeIndex(const std::string& code) {
  for (int i = 0; i < static_cast<int>(std::size(kTypeCodes)); ++i)
    if (code == kTypeCodes[i]) return i;
  return 0;
}

// Width and decimals as the type allows: decimals for numbers, a fixed width for dates and
// logicals.
void FitControls(HWND dialog, int type) {
  const std::string code = kTypeCodes[type];
  EnableWindow(GetDlgItem(dialog, 104), code == "C" || code == "N" || code == "H");
  EnableWindow(GetDlgItem(dialog, 105), code == "N");
  if (code != "N") SetDlgItemTextA(dialog, 105, "0");
  if (code == "D") SetDlgItemTextA(dialog, 104, "8");
  if (code == "L") SetDlgItemTextA(dialog, 104, "1");
}

// Whether `code` is one of the environments.
bool IsEnvironment(const std::string& code) {
  WorkArea* area = AreaOfTable("Entorno");
  if (area == nullptr) return false;
  const std::uint32_t recno = area->recno();
  const int order = area->controlling_order();
  area->SetControllingOrder(0);
  bool found = false;
  for (area->GoTop(); !area->eof() && !found; area->Skip(1))
    found = !area->Deleted() && Upper(Field(*area, "ENTORNO")) == Upper(code);
  area->SetControllingOrder(order);
  area->GoTo(recno);
  return found;
}

Value ParamRow(const ExprParam& p) {
  return Value(xb::Array::Of({Value::String(std::to_string(p.parametro)), Value::String(p.descripc),
                              Value::String(TypeName(p.tipo)), Value::String(std::to_string(p.longitud)),
                              Value::String(p.mascara)}));
}

}  // namespace

ExpressionCheck CheckOnTable(const std::string& table, const std::string& function) {
  WorkArea* tablas = AreaOfTable("Tablas");
  std::string path;
  if (tablas != nullptr) {
    const std::uint32_t recno = tablas->recno();
    const int order = tablas->controlling_order();
    tablas->SetControllingOrder(0);
    for (tablas->GoTop(); !tablas->eof() && path.empty(); tablas->Skip(1)) {
      if (Upper(Field(*tablas, "TABLA")) != Upper(table)) continue;
      const bool exacta = tablas->GetField(tablas->FieldPos("EXACTA")).AsLogical();
      path = DescribedTableFolder(exacta, Field(*tablas, "RUTA")) + Field(*tablas, "FICHERO");
    }
    tablas->SetControllingOrder(order);
    tablas->GoTo(recno);
  }
  const int keep = WorkAreas::Get().CurrentArea();
  data::NetUseOptions options;
  options.alias = "ChkExpr";
  if (path.empty() || !data::lNetUse(path, options)) {
    WorkAreas::Get().SelectArea(keep);
    return CheckExpresion({}, function);
  }
  WorkArea& opened = WorkAreas::Get().Current();
  const ExpressionCheck verdict = CheckExpresion("ChkExpr", function);
  opened.Close();
  WorkAreas::Get().SelectArea(keep);
  return verdict;
}

bool ExprColumnas(int parametro, bool add) {
  WorkArea* area = AreaOfTable("Expresio");
  const std::string exprcol = TDictQZ::AliasOf("ExprCol");
  if (area == nullptr || area->eof() || exprcol.empty()) return false;
  const std::string code = Field(*area, "CODIGO");
  std::vector<ExprParam> params = ReadExprColumnas(exprcol, code);
  ExprParam* param = nullptr;
  ExprParam added;
  if (add) {
    added.parametro = NextParametro(params);
    if (added.parametro > 99) return false;  // PARAMETRO holds two digits
    param = &added;
  } else {
    for (ExprParam& p : params)
      if (p.parametro == parametro) param = &p;
    if (param == nullptr) return false;
  }
  if (!ExprColumnas(*param, add)) return false;
  if (add) params.push_back(added);
  return SaveExprColumnas(exprcol, code, params);
}

std::string TypeName(const std::string& code) { return kTypeNames[TypeIndex(code)]; }

bool ExprColumnas(ExprParam& param, bool add) {
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TD_COLUMNAS_EXPRESION"), " Columnas de la expresión");
  ui::TDialog* box = dialog.get();
  ui::SetGet type = ui::SetGet::Of(Value::Integer(TypeIndex(param.tipo) + 1));
  xb::Array names = xb::Array::New();
  for (const char* n : kTypeNames) names.Append(Value::String(n));
  auto combo = xb::MakeRef<ui::TComboBox>();
  combo->ReDefine({.id = 103,
                   .set_get = type.block,
                   .items = Value(names),
                   .parent = dialog,
                   .change = svc::Action([box, type] {
                     FitControls(box->hWnd, std::clamp(static_cast<int>(type.Get().AsInt()) - 1, 0, 4));
                   })});
  bool accepted = false;
  auto ok = svc::Button(dialog, IDOK, [box, &param, &accepted, type] {
    HWND h = box->hWnd;
    ExprParam p = param;
    p.descripc = DlgText(h, 102);
    if (p.descripc.empty()) {
      SetFocus(GetDlgItem(h, 102));
      return;
    }
    p.tipo = kTypeCodes[std::clamp(static_cast<int>(type.Get().AsInt()) - 1, 0, 4)];
    p.longitud = DlgNumber(h, 104);
    p.decimal = DlgNumber(h, 105);
    p.mascara = DlgText(h, 106);
    p.campo = Upper(DlgText(h, 107));
    p.anchomax = DlgNumber(h, 108);
    p.divisa = Upper(DlgText(h, 109));
    p.visible = IsDlgButtonChecked(h, 110) == BST_CHECKED ? "S" : "N";
    FitParamToType(p);
    param = p;
    accepted = true;
    box->End(IDOK);
  });
  auto cancel = svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); });
  svc::RunDialog(dialog, [box, &param, add] {
    HWND h = box->hWnd;
    SetDlgItemTextA(h, 101, std::to_string(param.parametro).c_str());
    SendDlgItemMessageA(h, 101, EM_SETREADONLY, TRUE, 0);
    SetDlgItemTextA(h, 102, param.descripc.c_str());
    SetDlgItemTextA(h, 104, std::to_string(param.longitud).c_str());
    SetDlgItemTextA(h, 105, std::to_string(param.decimal).c_str());
    SetDlgItemTextA(h, 106, param.mascara.c_str());
    SetDlgItemTextA(h, 107, param.campo.c_str());
    SetDlgItemTextA(h, 108, std::to_string(param.anchomax).c_str());
    SetDlgItemTextA(h, 109, param.divisa.c_str());
    CheckDlgButton(h, 110, add || param.visible == "S" ? BST_CHECKED : BST_UNCHECKED);
    FitControls(h, TypeIndex(param.tipo));
    return true;
  });
  return accepted;
}

bool MngExpresiones(bool add) {
  WorkArea* area = AreaOfTable("Expresio");
  if (area == nullptr || (!add && area->eof())) return false;
  const std::string exprcol = TDictQZ::AliasOf("ExprCol");
  std::vector<ExprParam> params = add ? std::vector<ExprParam>{} : ReadExprColumnas(exprcol, Field(*area, "CODIGO"));
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TD_CREAR_EXPRESION"), " Mantenimiento de expresiones");
  ui::TDialog* box = dialog.get();
  xb::Array rows = xb::Array::New();
  const auto load = [&rows, &params] {
    rows.Resize(0);
    for (const ExprParam& p : params) rows.Append(ParamRow(p));
  };
  load();
  auto browse = xb::MakeRef<ui::TWBrowse>();
  ui::TWBrowse* list = browse.get();
  browse->ReDefine(kParams, {.line = Value(xb::Block::Native([list, &rows](xb::Args&) {
                               const Value& row = rows.Get(static_cast<std::size_t>(list->nAt - 1));
                               return row.IsArray() ? row : Value(xb::Array::New());
                             })),
                             .parent = dialog,
                             .headers = Value(xb::Array::Of({Value::String("Parámetro"), Value::String("Descripción"),
                                                             Value::String("Tipo"), Value::String("Longitud"),
                                                             Value::String("Máscara")})),
                             .col_sizes = Value(xb::Array::Of({Value::Integer(50), Value::Integer(110), Value::Integer(55),
                                                               Value::Integer(45), Value::Integer(70)}))});
  browse->SetArray(rows);
  const auto refresh = [list, &rows, &load] {
    load();
    list->SetArray(rows);
    list->Refresh();
  };
  const auto current = [list, &params]() -> ExprParam* {
    const int at = list->nAt;
    return at >= 1 && static_cast<std::size_t>(at) <= params.size() ? &params[static_cast<std::size_t>(at - 1)] : nullptr;
  };
  std::vector<xb::Ref<ui::TButton>> buttons;
  buttons.push_back(svc::Button(dialog, kParamAdd, [&params, refresh] {
    ExprParam p;
    p.parametro = NextParametro(params);
    if (p.parametro > 99) return;  // PARAMETRO holds two digits
    if (ExprColumnas(p, true)) {
      params.push_back(p);
      refresh();
    }
  }));
  buttons.push_back(svc::Button(dialog, kParamModify, [current, refresh] {
    if (ExprParam* p = current(); p != nullptr && ExprColumnas(*p, false)) refresh();
  }));
  buttons.push_back(svc::Button(dialog, kParamDelete, [list, &params, refresh] {
    const int at = list->nAt;
    if (at < 1 || static_cast<std::size_t>(at) > params.size() || !data::Ui().ConfirmDelete(false)) return;
    params.erase(params.begin() + (at - 1));
    refresh();
  }));
  buttons.push_back(svc::Button(dialog, 110, [box] { CheckOnTable(DlgText(box->hWnd, 103), DlgText(box->hWnd, 104)); }));
  bool saved = false;
  buttons.push_back(svc::Button(dialog, IDOK, [box, add, &params, &saved, exprcol] {
    HWND h = box->hWnd;
    // The environment, when given, is one of the environments (its tables are the expression's).
    if (const std::string entorno = DlgText(h, 102); !entorno.empty() && !IsEnvironment(entorno)) {
      data::Ui().MsgStop("Entorno no válido", "Atención");
      SetFocus(GetDlgItem(h, 102));
      return;
    }
    const xb::Array values = xb::Array::Of(
        {Value::String(DlgText(h, 101)), Value::String(DlgText(h, 108)), Value::String(DlgText(h, 103)),
         Value::String(DlgText(h, 104)), Value::String(DlgText(h, 105)), Value::String(DlgText(h, 106)),
         Value::String(DlgText(h, 102)), Value::Logical(IsDlgButtonChecked(h, 107) == BST_CHECKED),
         Value::String(DlgText(h, 109))});
    if (!GuardaExpresion(TDictQZ::AliasOf("Expresio"), add, values)) return;
    saved = SaveExprColumnas(exprcol, DlgText(h, 101), params);
    box->End(IDOK);
  }));
  buttons.push_back(svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); }));
  svc::RunDialog(dialog, [box, add, area] {
    HWND h = box->hWnd;
    if (!add) {
      const std::pair<int, const char*> fields[] = {{101, "CODIGO"},    {102, "ENTORNO"},  {103, "TABLA"},
                                                    {104, "EXPRESION"}, {105, "FUNDATOS"}, {106, "FUNCOLUMNA"},
                                                    {108, "DESCRIPC"},  {109, "PRODUCTOS"}};
      for (const auto& [id, name] : fields) SetDlgItemTextA(h, id, Field(*area, name).c_str());
      CheckDlgButton(h, 107, area->GetField(area->FieldPos("GRUPO")).AsLogical() ? BST_CHECKED : BST_UNCHECKED);
      SendDlgItemMessageA(h, 101, EM_SETREADONLY, TRUE, 0);
      SendDlgItemMessageA(h, 102, EM_SETREADONLY, TRUE, 0);
      // The table is the expression's own only without an environment.
      if (!Field(*area, "ENTORNO").empty()) SendDlgItemMessageA(h, 103, EM_SETREADONLY, TRUE, 0);
    }
    return true;
  });
  return saved;
}

bool DupExpresion() {
  WorkArea* area = AreaOfTable("Expresio");
  if (area == nullptr || area->eof()) return false;
  const std::string code = Field(*area, "CODIGO");
  if (ReadExprColumnas(TDictQZ::AliasOf("ExprCol"), code).empty()) {
    data::Ui().MsgStop("Esta expresión no tiene ninguna columna.\n\rImposible duplicar", "Atención");
    return false;
  }
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TD_DUPLICAR_EXPRESION"), " Duplicar expresión");
  ui::TDialog* box = dialog.get();
  bool copied = false;
  auto ok = svc::Button(dialog, IDOK, [box, code, &copied] {
    const std::string to = DlgText(box->hWnd, 101);
    if (to.empty()) {
      SetFocus(GetDlgItem(box->hWnd, 101));
      return;
    }
    copied = DupExpresiones(TDictQZ::AliasOf("Expresio"), TDictQZ::AliasOf("ExprCol"), code, to);
    if (copied) box->End(IDOK);  // a code taken: another may be given
  });
  auto cancel = svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); });
  svc::RunDialog(dialog, [box, code] {
    SetDlgItemTextA(box->hWnd, 100, code.c_str());
    return true;
  });
  return copied;
}

void DelExpresion() {
  WorkArea* area = AreaOfTable("Expresio");
  if (area == nullptr || area->eof() || !data::Ui().ConfirmDelete(false)) return;
  const std::string code = Field(*area, "CODIGO");
  const int keep = WorkAreas::Get().CurrentArea();
  WorkAreas::Get().SelectArea(area->number());
  const bool shared = area->table().shared();
  if (!shared || data::lNetRecLock()) {
    area->Delete();
    area->Commit();
    if (shared) area->Unlock(area->recno());
    SaveExprColumnas(TDictQZ::AliasOf("ExprCol"), code, {});
  }
  WorkAreas::Get().SelectArea(keep);
}

}  // namespace reports
