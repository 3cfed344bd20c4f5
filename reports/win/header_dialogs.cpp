#include "reports/win/header_dialogs.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "data/data_ui.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/macro.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "reports/win/tbrwdataqz.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tcombobox.h"
#include "ui/controls/twbrowse.h"

namespace reports {
namespace {

using xb::Value;

constexpr const char* kKinds[] = {"Texto",          "Línea o caja", "Imagen",          "Código de empresa",
                                  "Nombre de empresa", "Número de página", "Fecha",      "Texto 1 del listado",
                                  "Texto 2 del listado", "Nombre de usuario", "Dato de cabecera"};
constexpr int kKindCount = static_cast<int>(std::size(kKinds));
constexpr int kImage = 3;
constexpr const char* kAdjustNames[] = {"Izquierda", "Centrado", "Derecha"};
constexpr const char* kAdjustCodes[] = {"I", "C", "D"};

std::string Text(HWND dialog, int id) {
  char buffer[512] = {};
  GetDlgItemTextA(dialog, id, buffer, sizeof buffer);
  return std::string(xb::AllTrim(buffer));
}

// A number typed with a decimal comma or point.
double Number(HWND dialog, int id) {
  std::string t = Text(dialog, id);
  for (char& c : t)
    if (c == ',') c = '.';
  return std::atof(t.c_str());
}

void SetNumber(HWND dialog, int id, double value, int decimals = 1) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  std::string t = buffer;
  for (char& c : t)
    if (c == '.') c = ',';
  SetDlgItemTextA(dialog, id, t.c_str());
}

std::string Mm(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%5.1f", value);
  std::string t = buffer;
  for (char& c : t)
    if (c == '.') c = ',';
  return t;
}

xb::Array ItemRow(const HeaderItem& item) {
  return xb::Array::Of({FlagPicture(item.activo, item.activo ? "ACTIVO" : "NOACTIVO"), Value::String(HeaderItemKind(item)),
                        Value::String(Mm(item.linea)), Value::String(Mm(item.columna)), Value::String(item.texto),
                        Value::String(kAdjustNames[nAjuste(item.ajuste) == 0 ? 0 : nAjuste(item.ajuste) == 1 ? 2 : 1])});
}

// The second coordinates of an image are its height and width.
void LabelSecondCoordinates(HWND dialog, int kind) {
  SetDlgItemTextA(dialog, 204, kind == kImage ? "Alto de imagen" : "2ª Coordenada vertical");
  SetDlgItemTextA(dialog, 205, kind == kImage ? "Ancho de imagen" : "2ª Coordenada horizontal");
}

}  // namespace

std::string HeaderItemKind(const HeaderItem& item) {
  if (item.dato >= 1 && item.dato <= 10) return kKinds[item.dato - 1];
  // A datum of the header data, by the number its text holds.
  const int number = std::atoi(item.texto.c_str());
  if (xb::IsFunctionRegistered("CDESCDATOCAB")) {
    const Value d = xb::CallFunction("CDESCDATOCAB", {Value::Integer(number)});
    if (d.IsString() && !xb::AllTrim(d.AsString()).empty()) return std::string(xb::AllTrim(d.AsString()));
  }
  return "Dato " + std::to_string(number);
}

std::optional<std::pair<int, int>> ImagePixels(const std::string& file) {
  HANDLE image = LoadImageA(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  if (image == nullptr) return std::nullopt;
  BITMAP bm{};
  const bool read = GetObjectA(image, sizeof bm, &bm) != 0;
  DeleteObject(image);
  if (!read) return std::nullopt;
  return std::make_pair(static_cast<int>(bm.bmWidth), static_cast<int>(std::abs(bm.bmHeight)));
}

namespace {

void FillImageSize(HeaderItem& item) {
  if (item.dato != kImage || item.linea2 != 0 || item.columna2 != 0) return;
  if (const auto pixels = ImagePixels(item.texto)) {
    item.columna2 = ImageDefaultMm(pixels->first);
    item.linea2 = ImageDefaultMm(pixels->second);
  }
}

}  // namespace

bool MngCabItem(HeaderItem& item, bool add, bool view) {
  const char* mode = view ? " Visualizar" : add ? " Añadir" : " Modificar";
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TI_CABED"), std::string(mode) + " elemento de cabecera");
  ui::TDialog* box = dialog.get();
  ui::SetGet kind_value = ui::SetGet::Of(Value::Integer(std::clamp(item.dato, 1, kKindCount)));
  xb::Array kinds = xb::Array::New();
  for (const char* k : kKinds) kinds.Append(Value::String(k));
  auto kind_combo = xb::MakeRef<ui::TComboBox>();
  kind_combo->ReDefine({.id = 100,
                        .set_get = kind_value.block,
                        .items = Value(kinds),
                        .parent = dialog,
                        .change = svc::Action([box, kind_value] {
                          LabelSecondCoordinates(box->hWnd, static_cast<int>(kind_value.Get().AsInt()));
                        })});
  bool accepted = false;
  auto ok = svc::Button(dialog, IDOK, [box, &item, &accepted, view] {
    HWND h = box->hWnd;
    if (view) {  // shown only: the item stays as it is
      box->End(IDOK);
      return;
    }
    const LRESULT kind = SendMessageA(GetDlgItem(h, 100), CB_GETCURSEL, 0, 0);
    item.dato = kind == CB_ERR ? 1 : static_cast<int>(kind) + 1;
    item.texto = Text(h, 101);
    item.linea = Number(h, 102);
    item.columna = Number(h, 103);
    item.linea2 = Number(h, 104);
    item.columna2 = Number(h, 105);
    FillImageSize(item);
    item.longmax = Number(h, 106);
    item.interlinea = Number(h, 107);
    item.grosor = static_cast<int>(Number(h, 108));
    item.fuente = static_cast<int>(Number(h, 109));
    const LRESULT adjust = SendMessageA(GetDlgItem(h, 110), CB_GETCURSEL, 0, 0);
    item.ajuste = kAdjustCodes[adjust == CB_ERR ? 0 : adjust];
    item.activo = IsDlgButtonChecked(h, 111) == BST_CHECKED;
    accepted = true;
    box->End(IDOK);
  });
  auto cancel = svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); });
  svc::RunDialog(dialog, [box, &item] {
    HWND h = box->hWnd;
    LabelSecondCoordinates(h, item.dato);
    for (const char* a : kAdjustNames) SendMessageA(GetDlgItem(h, 110), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(a));
    const int adjust = nAjuste(item.ajuste);
    SendMessageA(GetDlgItem(h, 110), CB_SETCURSEL, adjust == 0 ? 0 : adjust == 1 ? 2 : 1, 0);
    SetDlgItemTextA(h, 101, item.texto.c_str());
    SetNumber(h, 102, item.linea);
    SetNumber(h, 103, item.columna);
    SetNumber(h, 104, item.linea2);
    SetNumber(h, 105, item.columna2);
    SetNumber(h, 106, item.longmax);
    SetNumber(h, 107, item.interlinea);
    SetNumber(h, 108, item.grosor, 0);
    SetNumber(h, 109, item.fuente, 0);
    CheckDlgButton(h, 111, item.activo ? BST_CHECKED : BST_UNCHECKED);
    return true;
  });
  return accepted;
}

bool MngCabLis(const std::string& cabeh, const std::string& cabed, HeaderMode mode) {
  Header header;
  if (mode != HeaderMode::kAdd) {
    xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
    xb::rdd::WorkArea* h = areas.Area(areas.AreaOfAlias(cabeh));
    if (h == nullptr || h->eof()) return false;
    const Value code = h->GetField(h->FieldPos("COD"));
    if (!LoadHeader(cabeh, cabed, code.IsString() ? code.AsString() : "", &header)) return false;
    if (mode == HeaderMode::kCopy) header.cod.clear();
  }
  const bool deleting = mode == HeaderMode::kDelete;
  const char* title = mode == HeaderMode::kAdd      ? " Añadir"
                      : mode == HeaderMode::kModify ? " Modificar"
                      : deleting                    ? " Eliminar"
                                                    : " Copiar";
  const ui::DialogRef dialog = svc::ResourceDialog(Value::String("TI_CABEH"), std::string(title) + " cabecera");
  ui::TDialog* box = dialog.get();
  xb::Array rows = xb::Array::New();
  const auto reload = [&rows, &header] {
    rows.Resize(0);
    for (const HeaderItem& item : header.items) rows.Append(Value(ItemRow(item)));
  };
  reload();
  auto browse = xb::MakeRef<ui::TWBrowse>();
  ui::TWBrowse* list = browse.get();
  const auto current = [list, &header]() -> HeaderItem* {
    const int at = list->nAt;
    return at >= 1 && static_cast<std::size_t>(at) <= header.items.size() ? &header.items[static_cast<std::size_t>(at - 1)]
                                                                          : nullptr;
  };
  browse->ReDefine(110, {.line = Value(xb::Block::Native([list, &rows](xb::Args&) {
                           const Value& row = rows.Get(static_cast<std::size_t>(list->nAt - 1));
                           return row.IsArray() ? row : Value(xb::Array::New());
                         })),
                         .parent = dialog,
                         .headers = Value(xb::Array::Of({Value::String("A."), Value::String("Tipo"), Value::String("Línea"),
                                                         Value::String("Columna"), Value::String("Texto"),
                                                         Value::String("Alineación")})),
                         .col_sizes = Value(xb::Array::Of({Value::Integer(24), Value::Integer(110), Value::Integer(44),
                                                           Value::Integer(50), Value::Integer(160), Value::Integer(70)}))});
  browse->SetArray(rows);
  const auto refresh = [list, &rows, &reload] {
    reload();
    list->SetArray(rows);
    list->Refresh();
  };
  std::vector<xb::Ref<ui::TButton>> buttons;
  buttons.push_back(svc::Button(dialog, 400, [&header, refresh] {
    HeaderItem item;
    if (MngCabItem(item, true)) {
      header.items.push_back(item);
      refresh();
    }
  }));
  buttons.push_back(svc::Button(dialog, 401, [current, refresh] {
    if (HeaderItem* item = current(); item != nullptr && MngCabItem(*item, false)) refresh();
  }));
  buttons.push_back(svc::Button(dialog, 402, [list, &header, refresh] {
    const int at = list->nAt;
    if (at < 1 || static_cast<std::size_t>(at) > header.items.size()) return;
    header.items.erase(header.items.begin() + (at - 1));
    refresh();
  }));
  buttons.push_back(svc::Button(dialog, 403, [box, &header] { ProbarCabecera(header.cod.empty() ? Text(box->hWnd, 101) : header.cod); }));
  // The list's keys: A(ñadir), M(odificar), E(liminar), (visuali)Z(ar), P(robar).
  browse->bKeyChar = Value(xb::Block::Native([box, current](xb::Args& a) {
    const int key = std::toupper(static_cast<int>(a.Int(1)));
    const std::pair<int, int> buttons_of[] = {{'A', 400}, {'M', 401}, {'E', 402}, {'P', 403}};
    for (const auto& [letter, id] : buttons_of) {
      if (key != letter) continue;
      if (!IsWindowEnabled(GetDlgItem(box->hWnd, id))) return Value::Logical(true);
      SendMessageA(box->hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box->hWnd, id)));
      return Value::Logical(true);
    }
    if (key != 'Z') return Value();
    if (HeaderItem* item = current()) {
      HeaderItem copy = *item;
      MngCabItem(copy, false, true);
    }
    return Value::Logical(true);
  }));
  bool saved = false;
  buttons.push_back(svc::Button(dialog, IDOK, [&, box] {
    HWND h = box->hWnd;
    if (deleting) {
      DeleteHeader(cabeh, cabed, header.cod);
      saved = true;
      box->End(IDOK);
      return;
    }
    header.cod = Text(h, 101);
    header.descrip = Text(h, 102);
    header.posicion = Number(h, 103);
    header.pfinal = Number(h, 104);
    header.activo = IsDlgButtonChecked(h, 105) == BST_CHECKED;
    if (SaveHeader(cabeh, cabed, header, mode != HeaderMode::kModify)) {
      saved = true;
      box->End(IDOK);
    }
  }));
  buttons.push_back(svc::Button(dialog, IDCANCEL, [box] { box->End(IDCANCEL); }));
  svc::RunDialog(dialog, [box, &header, mode, deleting] {
    HWND h = box->hWnd;
    SetDlgItemTextA(h, 101, header.cod.c_str());
    if (mode == HeaderMode::kModify) SendDlgItemMessageA(h, 101, EM_SETREADONLY, TRUE, 0);
    SetDlgItemTextA(h, 102, header.descrip.c_str());
    SetNumber(h, 103, header.posicion);
    SetNumber(h, 104, header.pfinal);
    CheckDlgButton(h, 105, header.activo ? BST_CHECKED : BST_UNCHECKED);
    if (deleting) {
      // Shown as it is: nothing of it can be changed.
      for (int id : {101, 102, 103, 104}) SendDlgItemMessageA(h, id, EM_SETREADONLY, TRUE, 0);
      for (int id : {105, 400, 401, 402}) EnableWindow(GetDlgItem(h, id), FALSE);
    }
    return true;
  });
  return saved;
}

void ProbarCabecera(const std::string& code) {
  if (!xb::IsFunctionRegistered("SELLISTAR")) return;
  // A listing of one page: its header the model, the sample texts as the title and conditions.
  const std::string text =
      "SELLISTAR( {|nEvent| nil}, {|| .T.}, , , 'Nombre de listado', , , , , , , , , , , , , , , '" + code + "' )";
  if (xb::IsFunctionRegistered("SETDATOCABECERA")) {
    xb::CallFunction("SETDATOCABECERA", {Value::Integer(8), Value::String("Nombre de listado"), Value::String("Nombre de listado")});
    xb::CallFunction("SETDATOCABECERA",
                     {Value::Integer(9), Value::String("Condiciones de listado"), Value::String("Condiciones de listado")});
    xb::CallFunction("SETDATOCABECERA", {Value::Integer(10), Value::String("Nombre de usuario"), Value::String("Nombre de usuario")});
  }
  xb::EvalMacro(text);
}

void RegisterHeaderDialogs() {
  // TI_SETAJUSTE(hDC, cAjuste): the device's text alignment for the code (0, 2 or 6).
  xb::RegisterFunction("TI_SETAJUSTE", [](xb::Args& a) {
    const int adjust = nAjuste(a.Str(2));
    const UINT align = adjust == 0 ? TA_LEFT : adjust == 1 ? TA_RIGHT : TA_CENTER;
    SetTextAlign(reinterpret_cast<HDC>(static_cast<INT_PTR>(a.Int(1))), align);
    return Value::Integer(static_cast<std::int64_t>(align));
  });
  xb::RegisterFunction("TI_NAJUSTE", [](xb::Args& a) { return Value::Integer(nAjuste(a.Str(1))); });
  // MM2PIX1(hDC, nMm, lVertical): millimetres times the device's pixels over its size in
  // millimetres, less the printable offset, never below 0.
  xb::RegisterFunction("MM2PIX1", [](xb::Args& a) {
    HDC dc = reinterpret_cast<HDC>(static_cast<INT_PTR>(a.Int(1)));
    const bool vertical = a.Log(3);
    const double pixels = GetDeviceCaps(dc, vertical ? VERTRES : HORZRES);
    const double mm = GetDeviceCaps(dc, vertical ? VERTSIZE : HORZSIZE);
    const double offset = GetDeviceCaps(dc, vertical ? PHYSICALOFFSETY : PHYSICALOFFSETX);
    const double value = mm > 0 ? a.Num(2) * pixels / mm - offset : 0;
    return Value::Integer(static_cast<std::int64_t>(std::max(0.0, value)));
  });
  // MM2PIX2(hDC, nMm, lVertical): through the 0.1-millimetre mapping mode of the device.
  xb::RegisterFunction("MM2PIX2", [](xb::Args& a) {
    HDC dc = reinterpret_cast<HDC>(static_cast<INT_PTR>(a.Int(1)));
    const int previous = SetMapMode(dc, MM_LOMETRIC);
    POINT p{a.Log(3) ? 0 : static_cast<LONG>(a.Num(2) * 10), a.Log(3) ? -static_cast<LONG>(a.Num(2) * 10) : 0};
    LPtoDP(dc, &p, 1);
    SetMapMode(dc, previous);
    return Value::Integer(a.Log(3) ? p.y : p.x);
  });
}

}  // namespace reports
