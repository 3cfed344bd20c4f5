#include "output/destination_config.h"

#include <commdlg.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

#include "data/program_settings.h"
#include "output/printer_helpers.h"
#include "output/printer_table.h"
#include "output/set_get.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "services/dialog_helpers.h"
#include "services/user_session.h"
#include "ui/bridge/common_dialogs.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/profile.h"
#include "ui/controls/tcheckbox.h"
#include "ui/controls/tfolder.h"
#include "ui/controls/tget.h"
#include "ui/controls/tlistbox.h"
#include "ui/controls/tradmenu.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/msg_box.h"
#include "ui/core/window_table.h"

namespace output {
namespace {

using xb::Args;
using xb::Value;

constexpr const char* kNoAccess = "No se pudo acceder a la impresora.\r\nRevise las impresoras instaladas en Windows";

std::string Trim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

void Select(const char* alias) { xb::CallFunction("DBSELECTAREA", {Value::String(alias)}); }

struct MeasuredFont {
  LOGFONTA font{};
  TEXTMETRICA metrics{};
  std::string face;
};

// The font `base` at the point size that gives `cpi` characters an inch on the context (as
// near as the sizes allow).
MeasuredFont FontAtCpi(HDC dc, LOGFONTA base, int cpi) {
  const int dpi_y = ::GetDeviceCaps(dc, LOGPIXELSY), dpi_x = ::GetDeviceCaps(dc, LOGPIXELSX);
  MeasuredFont m;
  int points = std::max(1, 120 / cpi);
  int direction = 0;
  for (int step = 0; step < 40; ++step) {
    base.lfHeight = -static_cast<LONG>(std::lround(points * dpi_y / 72.0));
    base.lfWidth = 0;
    HFONT font = ::CreateFontIndirectA(&base);
    HGDIOBJ previous = ::SelectObject(dc, font);
    ::GetTextMetricsA(dc, &m.metrics);
    char face[LF_FACESIZE] = {};
    ::GetTextFaceA(dc, sizeof face, face);
    ::SelectObject(dc, previous);
    ::DeleteObject(font);
    m.font = base;
    m.face = face;
    const int current = m.metrics.tmAveCharWidth > 0 ? dpi_x / m.metrics.tmAveCharWidth : 0;
    if (current == cpi) break;
    const int next_direction = current < cpi ? -1 : 1;
    if ((direction != 0 && next_direction != direction) || points + next_direction < 1) break;
    direction = next_direction;
    points += next_direction;
  }
  return m;
}

void WriteFontGroup(int group, const MeasuredFont& m, HDC dc) {
  const std::string n = std::to_string(group);
  svc::PutField("CFACENAME" + n, Value::String(m.face));
  svc::PutField("NHEIGHT" + n,
                Value::Integer(-PixTw(2, m.metrics.tmHeight - m.metrics.tmInternalLeading, dc)));
  svc::PutField("NWEIGHT" + n, Value::Integer(m.metrics.tmWeight));
  svc::PutField("LITALIC" + n, Value::Logical(m.metrics.tmItalic != 0));
  svc::PutField("LUNDERLIN" + n, Value::Logical(m.metrics.tmUnderlined != 0));
  svc::PutField("LSTRIKEOU" + n, Value::Logical(m.metrics.tmStruckOut != 0));
  svc::PutField("NCHARSET" + n, Value::Integer(m.metrics.tmCharSet));
  svc::PutField("NOUTPRECI" + n, Value::Integer(m.font.lfOutPrecision));
  svc::PutField("NCLIPPREC" + n, Value::Integer(m.font.lfClipPrecision));
  svc::PutField("NQUALITY" + n, Value::Integer(m.font.lfQuality));
  svc::PutField("NPITCHFAM" + n, Value::Integer(m.font.lfPitchAndFamily));
  svc::PutField("NPITCHFTM" + n, Value::Integer(m.metrics.tmPitchAndFamily));
}

struct Row {
  std::int64_t record;
  char role;
  int code;
};

// The printers in role order.
std::vector<Row> Rows() {
  Select(kGesPrnAlias);
  svc::SelectOrder(1);
  std::vector<Row> rows;
  for (xb::CallFunction("DBGOTOP"); !svc::Area().eof(); svc::Area().Skip(1)) {
    const std::string role = svc::FieldText("NACTIVA");
    rows.push_back({xb::CallFunction("RECNO").AsInt(), role.empty() ? ' ' : role[0],
                    static_cast<int>(svc::FieldNumber("NCODIMPRES"))});
  }
  return rows;
}

void SetRole(std::int64_t record, char role) {
  Select(kGesPrnAlias);
  xb::CallFunction("DBGOTO", {Value::Integer(record)});
  svc::PutField("NACTIVA", Value::String(std::string(1, role)));
  svc::Area().Commit();
}

// The installed printer's driver and port ("driver,port" of the profile's devices).
std::pair<std::string, std::string> DriverAndPort(const std::string& name) {
  const std::string value = ui::GetProfString("devices", name, "");
  const std::size_t comma = value.find(',');
  if (comma == std::string::npos) return {value, ""};
  return {value.substr(0, comma), value.substr(comma + 1)};
}

void PressF1() {
  ::keybd_event(VK_F1, 0, 0, 0);
  ::keybd_event(VK_F1, 0, KEYEVENTF_KEYUP, 0);
}

}  // namespace

std::string CPaso(int pitch) { return (pitch & 1) != 0 ? "Variable" : "Fijo"; }

std::string GesVenTable() { return data::cPathStart() + "GesVen" + svc::cCodUser(); }

const std::vector<svc::FieldDef>& GesVenFields() {
  static const std::vector<svc::FieldDef> fields = {
      {"CFACENAME1", 'C', 32}, {"NHEIGHT1", 'N', 6},   {"NWEIGHT1", 'N', 6},   {"LITALIC1", 'L', 1},
      {"LUNDERLIN1", 'L', 1},  {"LSTRIKEOU1", 'L', 1}, {"NCHARSET1", 'N', 4},  {"NOUTPRECI1", 'N', 4},
      {"NCLIPPREC1", 'N', 4},  {"NQUALITY1", 'N', 4},  {"NPITCHFAM1", 'N', 4}, {"NPITCHFTM1", 'N', 4}};
  return fields;
}

bool CreaVenDbf() {
  if (!svc::CreateTable(GesVenTable(), GesVenFields())) return false;
  svc::SelectedAreaScope keep;
  if (!svc::OpenTable(GesVenTable(), "_QzGesVen", true)) return false;
  svc::OpenedArea area(true);
  HWND main = ui::GetWndApp();
  HDC dc = ::GetDC(main);
  LOGFONTA lf = {};
  lf.lfHeight = -static_cast<LONG>(std::lround(9 * ::GetDeviceCaps(dc, LOGPIXELSY) / 72.0));
  lf.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  lstrcpynA(lf.lfFaceName, "Courier New", LF_FACESIZE);
  HFONT font = ::CreateFontIndirectA(&lf);
  HGDIOBJ previous = ::SelectObject(dc, font);
  TEXTMETRICA tm = {};
  ::GetTextMetricsA(dc, &tm);
  svc::Area().Append();
  svc::PutField("CFACENAME1", Value::String(lf.lfFaceName));
  svc::PutField("NHEIGHT1", Value::Integer(-PixTw(2, tm.tmHeight - tm.tmInternalLeading, dc)));
  svc::PutField("NWEIGHT1", Value::Integer(tm.tmWeight));
  svc::PutField("LITALIC1", Value::Logical(tm.tmItalic != 0));
  svc::PutField("LUNDERLIN1", Value::Logical(tm.tmUnderlined != 0));
  svc::PutField("LSTRIKEOU1", Value::Logical(tm.tmStruckOut != 0));
  svc::PutField("NCHARSET1", Value::Integer(tm.tmCharSet));
  svc::PutField("NOUTPRECI1", Value::Integer(lf.lfOutPrecision));
  svc::PutField("NCLIPPREC1", Value::Integer(lf.lfClipPrecision));
  svc::PutField("NQUALITY1", Value::Integer(lf.lfQuality));
  svc::PutField("NPITCHFAM1", Value::Integer(lf.lfPitchAndFamily));
  svc::PutField("NPITCHFTM1", Value::Integer(tm.tmPitchAndFamily));
  svc::Area().Commit();
  ::SelectObject(dc, previous);
  ::DeleteObject(font);
  ::ReleaseDC(main, dc);
  return true;
}

bool AddPrinter(const std::string& name, const std::string& description) {
  const auto [driver, port] = DriverAndPort(name);
  HDC ic = IcImpresora(name, port, driver);
  if (ic == nullptr) {
    ui::MsgStop(Value::String(kNoAccess), "ERROR");
    return false;
  }
  const std::vector<Row> rows = Rows();
  const bool has_main = std::any_of(rows.begin(), rows.end(), [](const Row& r) { return r.role == '1'; });
  const bool has_second = std::any_of(rows.begin(), rows.end(), [](const Row& r) { return r.role == '2'; });
  std::set<int> codes;
  for (const Row& r : rows) codes.insert(r.code);
  int code = 1;
  while (codes.count(code) != 0) ++code;
  LOGFONTA base = {};
  ::GetObjectA(::GetStockObject(SYSTEM_FONT), sizeof base, &base);
  const MeasuredFont fonts[3] = {FontAtCpi(ic, base, 10), FontAtCpi(ic, base, 17), FontAtCpi(ic, base, 5)};
  Select(kGesPrnAlias);
  svc::Area().Append();
  svc::PutField("CNOMBRE", Value::String(name));
  svc::PutField("CDRIVER", Value::String(driver));
  svc::PutField("CPUERTO", Value::String(port));
  svc::PutField("CDESCRI", Value::String(description));
  svc::PutField("NACTIVA", Value::String(!has_main ? "1" : (!has_second ? "2" : "3")));
  for (int i = 0; i < 3; ++i) WriteFontGroup(i + 1, fonts[i], ic);
  const TEXTMETRICA& tm = fonts[0].metrics;
  const double feed = (tm.tmHeight + tm.tmExternalLeading) * 25.4 / ::GetDeviceCaps(ic, LOGPIXELSY);
  svc::PutField("NSALTOLMM", Value::Number(std::round(feed * 10) / 10));
  svc::PutField("NLINEASPIE", Value::Integer(4));
  svc::PutField("NCODIMPRES", Value::Integer(code));
  svc::Area().Commit();
  ::DeleteDC(ic);
  return true;
}

void DeletePrinter(bool ask) {
  Select(kGesPrnAlias);
  if (svc::Area().eof()) return;
  const std::string role = svc::FieldText("NACTIVA");
  if (ask) {
    bool go = true;
    if (role == "1") {
      go = ui::MsgYesNo(Value::String("Esta impresora está activada como impresora primaria.\n\rSi usted la elimina, la "
                                      "impresora secundaria se activará como impresora primaria, \n\ry la siguiente en "
                                      "la lista como impresora secundaria. \n\r¿ Desea continuar ?"),
                        "Borrar impresora");
    } else if (role == "2") {
      go = ui::MsgYesNo(Value::String("Esta impresora está activada como impresora secundaria.\n\rSi usted la elimina la "
                                      "siguiente en la lista se activará como secundaria."),
                        "Borrar Impresora");
    }
    if (go) go = ui::MsgYesNo(Value::String("¿ Desea Borrar la impresora ?"), "Borrar Impresora");
    if (!go) return;
  }
  xb::CallFunction("DBDELETE");
  xb::CallFunction("__DBPACK");
  const std::vector<Row> rows = Rows();
  if (role == "1") {
    if (!rows.empty()) SetRole(rows[0].record, '1');
    if (rows.size() > 1) SetRole(rows[1].record, '2');
  } else if (role == "2") {
    for (const Row& r : rows) {
      if (r.role != '1') {
        SetRole(r.record, '2');
        break;
      }
    }
  }
  Select(kGesPrnAlias);
  xb::CallFunction("DBGOTOP");
}

void MakeRole(char role) {
  Select(kGesPrnAlias);
  if (svc::Area().eof()) return;
  const std::int64_t chosen = xb::CallFunction("RECNO").AsInt();
  const std::string was = svc::FieldText("NACTIVA");
  const std::vector<Row> rows = Rows();
  if (rows.size() < 2 || (!was.empty() && was[0] == role)) {
    xb::CallFunction("DBGOTO", {Value::Integer(chosen)});
    return;
  }
  const char other = role == '1' ? '2' : '1';
  for (const Row& r : rows) {
    if (r.role == role) SetRole(r.record, !was.empty() && was[0] == other ? other : '3');
  }
  SetRole(chosen, role);
}

void SetWindowFont(const LOGFONTA& font) {
  Select(kGesVenAlias);
  if (svc::Area().eof()) xb::CallFunction("DBGOTOP");
  if (svc::Area().eof()) svc::Area().Append();
  HDC screen = ::GetDC(nullptr);
  svc::PutField("CFACENAME1", Value::String(font.lfFaceName));
  svc::PutField("NHEIGHT1", Value::Integer(-PixTw(2, std::abs(font.lfHeight), screen)));
  svc::PutField("NWEIGHT1", Value::Integer(font.lfWeight));
  svc::PutField("LITALIC1", Value::Logical(font.lfItalic != 0));
  svc::PutField("LUNDERLIN1", Value::Logical(font.lfUnderline != 0));
  svc::PutField("LSTRIKEOU1", Value::Logical(font.lfStrikeOut != 0));
  svc::PutField("NCHARSET1", Value::Integer(font.lfCharSet));
  svc::PutField("NOUTPRECI1", Value::Integer(font.lfOutPrecision));
  svc::PutField("NCLIPPREC1", Value::Integer(font.lfClipPrecision));
  svc::PutField("NQUALITY1", Value::Integer(font.lfQuality));
  svc::PutField("NPITCHFAM1", Value::Integer(font.lfPitchAndFamily));
  svc::PutField("NPITCHFTM1", Value::Integer(font.lfPitchAndFamily));
  svc::Area().Commit();
  ::ReleaseDC(nullptr, screen);
}

namespace {

// The window font's labels of the window page from the GesVen record.
void ShowWindowFont(HWND page) {
  if (page == nullptr) return;
  Select(kGesVenAlias);
  const int pitch = static_cast<int>(svc::FieldNumber("NPITCHFTM1"));
  ::SetDlgItemTextA(page, 201, Trim(svc::FieldText("CFACENAME1")).c_str());
  ::SetDlgItemTextA(page, 202, CPaso(pitch).c_str());
  ::SetDlgItemTextA(page, 203,
                    std::to_string(static_cast<int>(-svc::FieldNumber("NHEIGHT1") / 20 + 0.5)).c_str());
  ::ShowWindow(::GetDlgItem(page, 112), (pitch & TMPF_TRUETYPE) != 0 ? SW_SHOWNA : SW_HIDE);
}

LOGFONTA WindowFontOfTable() {
  Select(kGesVenAlias);
  LOGFONTA lf = {};
  HDC screen = ::GetDC(nullptr);
  lf.lfHeight = -TwPix(2, std::abs(svc::FieldNumber("NHEIGHT1")), screen);
  ::ReleaseDC(nullptr, screen);
  lf.lfWeight = static_cast<LONG>(svc::FieldNumber("NWEIGHT1"));
  lf.lfItalic = svc::FieldLogical("LITALIC1");
  lf.lfCharSet = static_cast<BYTE>(svc::FieldNumber("NCHARSET1"));
  lf.lfPitchAndFamily = static_cast<BYTE>(svc::FieldNumber("NPITCHFAM1"));
  lstrcpynA(lf.lfFaceName, Trim(svc::FieldText("CFACENAME1")).c_str(), LF_FACESIZE);
  return lf;
}

// The new printer's dialog: the installed printers, a description; OK adds it.
void NewPrinterDialog(ui::WindowRef owner) {
  ui::DialogRef dialog = svc::ResourceDialog(Value::Integer(20072), std::nullopt, 0, owner);
  const std::vector<std::string> printers = LListaImpresoras();
  xb::Array items = xb::Array::New();
  for (const std::string& p : printers) items.Append(Value::String(p));
  auto chosen = std::make_shared<Value>(Value::String(""));
  auto description = std::make_shared<Value>(Value::String(std::string(128, ' ')));
  ui::TDialog* d = dialog.get();
  auto list = xb::MakeRef<ui::TListBox>();
  list->ReDefine({.id = 101,
                  .set_get = SetGet(chosen),
                  .items = Value(items),
                  .change = Value(xb::Block::Native([d, chosen](Args&) {
                    ::SetDlgItemTextA(d->hWnd, 103, std::string(chosen->AsString()).c_str());
                    ::EnableWindow(::GetDlgItem(d->hWnd, 550), !chosen->AsString().empty());
                    return Value();
                  })),
                  .parent = dialog});
  auto get = xb::MakeRef<ui::TGet>();
  get->ReDefine(102, {.set_get = SetGet(description), .parent = dialog});
  bool accepted = false;
  svc::Button(dialog, 550, [&accepted, d, get] {
    get->Assign();
    accepted = true;
    d->End(550);
  });
  svc::Button(dialog, 551, [d] { d->End(551); });
  svc::RunDialog(dialog, [d] {
    ::EnableWindow(::GetDlgItem(d->hWnd, 550), FALSE);
    return true;
  });
  if (accepted && !chosen->AsString().empty())
    AddPrinter(std::string(chosen->AsString()), Trim(std::string(description->AsString())));
}

// The labels of the printer-data dialog from the current GesPrn record, measured on `dc` (an
// information context of the printer, made here when null). False when the printer cannot
// be reached.
bool FillPrinterData(HWND dialog, HDC dc) {
  HCURSOR previous_cursor = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
  Select(kGesPrnAlias);
  const xb::Array record = xb::CallFunction("ACAMPOSLEE").AsArray();
  auto field = [&](int n) { return record ? record.Get(static_cast<std::size_t>(n - 1)) : Value(); };
  const std::string name = Trim(std::string(field(1).AsString()));
  const std::string driver = Trim(std::string(field(2).AsString()));
  const std::string port = Trim(std::string(field(3).AsString()));
  const bool own = dc == nullptr;
  if (own) dc = IcImpresora(name, port, driver);
  if (dc == nullptr) {
    ::SetCursor(previous_cursor);
    ui::MsgStop(Value::String(kNoAccess), "ERROR");
    return false;
  }
  ::SetDlgItemTextA(dialog, 101, (name + " en " + port).c_str());
  static const char* const kFixed[] = {"78", "129", "38"};
  static const int kTrueType[] = {112, 118, 119}, kDevice[] = {113, 120, 121};
  int height1 = 0;
  for (int i = 1; i <= 3; ++i) {
    const int base = 12 * (i - 1) + 6;
    LOGFONTA lf = {};
    lf.lfHeight = -TwPix(2, std::abs(field(base + 1).AsDouble()), dc);
    lf.lfWeight = static_cast<LONG>(field(base + 2).AsInt());
    lf.lfItalic = field(base + 3).AsLogical();
    lf.lfUnderline = field(base + 4).AsLogical();
    lf.lfStrikeOut = field(base + 5).AsLogical();
    lf.lfCharSet = static_cast<BYTE>(field(base + 6).AsInt());
    lf.lfOutPrecision = static_cast<BYTE>(field(base + 7).AsInt());
    lf.lfClipPrecision = static_cast<BYTE>(field(base + 8).AsInt());
    lf.lfQuality = static_cast<BYTE>(field(base + 9).AsInt());
    lf.lfPitchAndFamily = static_cast<BYTE>(field(base + 10).AsInt());
    lstrcpynA(lf.lfFaceName, Trim(std::string(field(base).AsString())).c_str(), LF_FACESIZE);
    HFONT font = ::CreateFontIndirectA(&lf);
    HGDIOBJ previous = ::SelectObject(dc, font);
    TEXTMETRICA tm = {};
    ::GetTextMetricsA(dc, &tm);
    SIZE digits{};
    ::GetTextExtentPoint32A(dc, "0123456789", 10, &digits);
    ::SelectObject(dc, previous);
    ::DeleteObject(font);
    if (i == 1) height1 = tm.tmHeight;
    const int pitch = static_cast<int>(field(base + 11).AsInt());
    const int average = std::max(1, static_cast<int>(digits.cx / 10));
    ::SetDlgItemTextA(dialog, 200 + i, Trim(std::string(field(base).AsString())).c_str());
    ::SetDlgItemTextA(dialog, 203 + i, CPaso(pitch).c_str());
    ::SetDlgItemTextA(dialog, 206 + i,
                      std::to_string(static_cast<int>(-field(base + 1).AsDouble() / 20 + 0.5)).c_str());
    ::SetDlgItemTextA(dialog, 209 + i, std::to_string(::GetDeviceCaps(dc, HORZRES) / average).c_str());
    ::SetDlgItemTextA(dialog, 212 + i, kFixed[i - 1]);
    ::ShowWindow(::GetDlgItem(dialog, kTrueType[i - 1]), (pitch & TMPF_TRUETYPE) != 0 ? SW_SHOWNA : SW_HIDE);
    ::ShowWindow(::GetDlgItem(dialog, kDevice[i - 1]), (pitch & TMPF_DEVICE) != 0 ? SW_SHOWNA : SW_HIDE);
  }
  ::SetMapMode(dc, MM_LOMETRIC);
  POINT feed{0, -static_cast<LONG>(std::lround(field(42).AsDouble() * 10))};
  ::LPtoDP(dc, &feed, 1);
  ::SetMapMode(dc, MM_TEXT);
  const int d = std::abs(static_cast<int>(feed.y));
  const int lines = d > 0 ? (::GetDeviceCaps(dc, VERTRES) - height1) / d - static_cast<int>(field(43).AsInt()) : 0;
  ::SetDlgItemTextA(dialog, 303, std::to_string(lines).c_str());
  if (own) ::DeleteDC(dc);
  ::SetCursor(previous_cursor);
  return true;
}

// The printer-data dialog of the current printer: its fonts, line feed and footer lines.
void PrinterDataDialog(ui::WindowRef owner, bool can_write) {
  Select(kGesPrnAlias);
  if (svc::Area().eof()) return;
  ui::DialogRef dialog = svc::ResourceDialog(Value::Integer(20056), std::nullopt, 0, owner);
  ui::TDialog* d = dialog.get();
  auto feed = std::make_shared<Value>(Value::Number(svc::FieldNumber("NSALTOLMM")));
  auto foot = std::make_shared<Value>(Value::Integer(static_cast<std::int64_t>(svc::FieldNumber("NLINEASPIE"))));
  auto store = [d](const char* field, const Value& value) {
    Select(kGesPrnAlias);
    svc::PutField(field, value);
    svc::Area().Commit();
    FillPrinterData(d->hWnd, nullptr);
  };
  auto feed_get = xb::MakeRef<ui::TGet>();
  feed_get->ReDefine(301, {.set_get = SetGet(feed), .parent = dialog, .picture = "@E 999.9",
                           .valid = Value(xb::Block::Native([feed, store](Args&) {
                             if (feed->AsDouble() <= 0) {
                               ui::MsgAlert(Value::String("El valor debe ser mayor de cero"));
                               return Value::Logical(false);
                             }
                             store("NSALTOLMM", *feed);
                             return Value::Logical(true);
                           })),
                           .read_only = !can_write});
  auto foot_get = xb::MakeRef<ui::TGet>();
  foot_get->ReDefine(302, {.set_get = SetGet(foot), .parent = dialog, .picture = "@E 99",
                           .valid = Value(xb::Block::Native([foot, store](Args&) {
                             if (foot->AsDouble() < 0) {
                               ui::MsgAlert(Value::String("El valor debe ser mayor de cero"));
                               return Value::Logical(false);
                             }
                             store("NLINEASPIE", *foot);
                             return Value::Logical(true);
                           })),
                           .read_only = !can_write});
  auto fixed = std::make_shared<Value>(Value::Logical(false));
  auto truetype = std::make_shared<Value>(Value::Logical(false));
  for (auto [id, cell] : {std::pair{401, fixed}, std::pair{402, truetype}}) {
    auto check = xb::MakeRef<ui::TCheckBox>();
    check->ReDefine({.id = id, .set_get = SetGet(cell), .parent = dialog});
  }
  for (int group = 1; group <= 3; ++group) {
    svc::Button(dialog, 500 + group, [group, d, fixed, truetype, can_write] {
      if (!can_write) return;
      Select(kGesPrnAlias);
      const std::string name = Trim(svc::FieldText("CNOMBRE")), port = Trim(svc::FieldText("CPUERTO")),
                        driver = Trim(svc::FieldText("CDRIVER"));
      HDC ic = IcImpresora(name, port, driver);
      if (ic == nullptr) {
        ui::MsgStop(Value::String(kNoAccess), "ERROR");
        return;
      }
      const std::string n = std::to_string(group);
      LOGFONTA lf = {};
      lf.lfHeight = -TwPix(2, std::abs(svc::FieldNumber("NHEIGHT" + n)), ic);
      lf.lfWeight = static_cast<LONG>(svc::FieldNumber("NWEIGHT" + n));
      lstrcpynA(lf.lfFaceName, Trim(svc::FieldText("CFACENAME" + n)).c_str(), LF_FACESIZE);
      ui::ChooseFontParams p;
      p.font = lf;
      p.printer = ic;
      p.flags = CF_PRINTERFONTS | CF_INITTOLOGFONTSTRUCT | (fixed->AsLogical() ? CF_FIXEDPITCHONLY : 0) |
                (truetype->AsLogical() ? CF_TTONLY : 0);
      const ui::ChosenFont chosen = ui::ChooseFontDialog(p);
      if (chosen.confirmed) {
        MeasuredFont m;
        m.font = chosen.font;
        HFONT font = ::CreateFontIndirectA(&chosen.font);
        HGDIOBJ previous = ::SelectObject(ic, font);
        ::GetTextMetricsA(ic, &m.metrics);
        char face[LF_FACESIZE] = {};
        ::GetTextFaceA(ic, sizeof face, face);
        m.face = face;
        ::SelectObject(ic, previous);
        ::DeleteObject(font);
        Select(kGesPrnAlias);
        WriteFontGroup(group, m, ic);
        svc::Area().Commit();
        FillPrinterData(d->hWnd, ic);
      }
      ::DeleteDC(ic);
    });
  }
  svc::Button(dialog, 550, [d] { d->End(550); });
  svc::RunDialog(dialog, [d] {
    FillPrinterData(d->hWnd, nullptr);
    return true;
  });
}

}  // namespace

bool ConfDestino(const std::vector<bool>& folders, int folder) {
  if (xb::IsFunctionRegistered("CACCESOMENU") &&
      xb::CallFunction("CACCESOMENU", {Value::String("ConfDestino")}).AsString() == "0")
    return false;
  const bool can_write = !xb::IsFunctionRegistered("CACCESOMENU") ||
                         xb::CallFunction("CACCESOMENU", {Value::String("ConfDestino")}).AsString() == "2";
  EnsureGesPrn();
  if (!svc::FileExists(svc::DbfOf(GesVenTable()))) CreaVenDbf();
  svc::SelectedAreaScope keep;
  if (!svc::OpenTable(GesPrnTable(), kGesPrnAlias, true)) return false;
  svc::OpenedArea printers(true);
  svc::SelectOrder(1);
  xb::CallFunction("DBGOTOP");
  if (!svc::OpenTable(GesVenTable(), kGesVenAlias, true)) return false;
  svc::OpenedArea window_font(true);
  xb::CallFunction("DBGOTOP");

  ui::WindowRef main = ui::OWndFromHwnd(ui::GetWndApp());
  ui::DialogRef dialog = svc::ResourceDialog(Value::Integer(20071), std::nullopt, 0, main);
  auto tabs = xb::MakeRef<ui::TFolder>();
  tabs->ReDefine(300, {.prompts = {"&Impresora", "&Ventana", "&Fichero"},
                       .dialogs = {Value::Integer(20057), Value::Integer(20058), Value::Integer(20055)},
                       .parent = dialog,
                       .option = std::clamp(folder, 1, 3)});
  ui::WindowRef printer_page(tabs->Page(1)), window_page(tabs->Page(2)), file_page(tabs->Page(3));
  ui::TDialog* d = dialog.get();

  const Value line(xb::Block::Native([](Args&) {
    Select(kGesPrnAlias);
    return Value(xb::Array::Of({Value::String(Trim(svc::FieldText("CNOMBRE"))),
                                Value::String(Trim(svc::FieldText("CPUERTO"))),
                                Value::String(Trim(svc::FieldText("CDESCRI"))),
                                Value::String(Trim(svc::FieldText("CDRIVER")))}));
  }));
  auto browse = xb::MakeRef<ui::TWBrowse>();
  browse->ReDefine(101, {.line = line,
                         .parent = printer_page,
                         .headers = Value(xb::Array::Of({Value::String("Nombre"), Value::String("Puerto"),
                                                         Value::String("Descripción"), Value::String("Driver")})),
                         .col_sizes = Value(xb::Array::Of({Value::Integer(100), Value::Integer(50),
                                                           Value::Integer(100), Value::Integer(50)})),
                         .alias = std::string(kGesPrnAlias)});
  auto refresh = [browse] {
    Select(kGesPrnAlias);
    browse->Refresh();
  };
  auto add_button = [](const ui::WindowRef& page, int id, std::function<void()> action) {
    auto button = xb::MakeRef<ui::TButton>();
    button->ReDefine({.id = id, .action = svc::Action(std::move(action)), .parent = page});
    return button;
  };
  add_button(printer_page, 102, [refresh, dialog] {
    NewPrinterDialog(dialog);
    refresh();
  });
  add_button(printer_page, 103, [refresh] {
    DeletePrinter(true);
    refresh();
  });
  add_button(printer_page, 104, [refresh, dialog, can_write] {
    PrinterDataDialog(dialog, can_write);
    refresh();
  });
  add_button(printer_page, 105, [] {
    Select(kGesPrnAlias);
    SetPrnConf(Trim(svc::FieldText("CDRIVER")), Trim(svc::FieldText("CNOMBRE")), Trim(svc::FieldText("CPUERTO")));
  });
  add_button(printer_page, 106, [refresh] {
    MakeRole('1');
    refresh();
  });
  add_button(printer_page, 107, [refresh] {
    MakeRole('2');
    refresh();
  });

  auto fixed = std::make_shared<Value>(Value::Logical(false));
  auto truetype = std::make_shared<Value>(Value::Logical(false));
  for (auto [id, cell] : {std::pair{401, fixed}, std::pair{402, truetype}}) {
    auto check = xb::MakeRef<ui::TCheckBox>();
    check->ReDefine({.id = id, .set_get = SetGet(cell), .parent = window_page});
  }
  ui::TWindow* wp = window_page.get();
  add_button(window_page, 501, [fixed, truetype, wp] {
    ui::ChooseFontParams p;
    p.font = WindowFontOfTable();
    p.flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | (fixed->AsLogical() ? CF_FIXEDPITCHONLY : 0) |
              (truetype->AsLogical() ? CF_TTONLY : 0);
    const ui::ChosenFont chosen = ui::ChooseFontDialog(p);
    if (!chosen.confirmed) return;
    SetWindowFont(chosen.font);
    ShowWindowFont(wp->hWnd);
  });
  auto kind = std::make_shared<Value>(Value::Integer(1));
  auto radios = xb::MakeRef<ui::TRadMenu>();
  radios->ReDefine({.set_get = SetGet(kind), .parent = file_page, .ids = {101, 102}});

  svc::Button(dialog, 510, [d] { d->End(510); });
  svc::Button(dialog, 540, [] { PressF1(); });
  svc::RunDialog(dialog, [d, tabs, folders, wp, can_write, printer_page] {
    for (std::size_t i = 0; i < 3; ++i) {
      const bool on = i < folders.size() ? folders[i] : true;
      if (xb::Array enable = tabs->aEnable.IsArray() ? tabs->aEnable.AsArray() : xb::Array())
        if (i < enable.size()) enable[i] = Value::Logical(on);
    }
    ShowWindowFont(wp->hWnd);
    if (!can_write)
      for (int id : {102, 103, 106, 107}) ::EnableWindow(::GetDlgItem(printer_page->hWnd, id), FALSE);
    (void)d;
    return true;
  });
  return true;
}

void RegisterDestinationConfig() {
  using xb::RegisterFunction;
  RegisterFunction("CREAVENDBF", [](Args&) { return Value::Logical(CreaVenDbf()); });
  // CONFDESTINO( aFolders, nFolder )
  RegisterFunction("CONFDESTINO", [](Args& a) {
    std::vector<bool> folders = {true, true, true};
    if (xb::Array given = a.Arr(1)) {
      for (std::size_t i = 0; i < given.size() && i < 3; ++i) folders[i] = given.Get(i).AsLogical();
    }
    return Value::Logical(ConfDestino(folders, a.IsNil(2) ? 1 : static_cast<int>(a.Int(2))));
  });
  RegisterFunction("DLGPRINT", [](Args&) { return Value::Logical(ConfDestino({true, false, false}, 1)); });
  RegisterFunction("CPASO", [](Args& a) { return Value::String(CPaso(static_cast<int>(a.Int(1)))); });
  RegisterFunction("NCHARSET", [](Args&) { return Value::Integer(2); });
  // VALORESFONTS( oDlg, hDC ): the printer-data labels of the current GesPrn record.
  RegisterFunction("VALORESFONTS", [](Args& a) {
    auto* dialog = dynamic_cast<ui::TWindow*>(a.Obj(1).get());
    if (dialog == nullptr) return Value::Logical(false);
    return Value::Logical(
        FillPrinterData(dialog->hWnd, reinterpret_cast<HDC>(static_cast<std::intptr_t>(a.Int(2)))));
  });
}

}  // namespace output
