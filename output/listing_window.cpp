#include "output/listing_window.h"

#include <commdlg.h>

#include <algorithm>
#include <array>
#include <memory>

#include "data/program_settings.h"
#include "output/destination_config.h"
#include "output/listing_driver.h"
#include "output/printer_table.h"
#include "output/tprinter2.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/operators.h"
#include "services/dialog_helpers.h"
#include "services/table_helpers.h"
#include "ui/bridge/common_dialogs.h"
#include "ui/bridge/message_loop.h"
#include "ui/controls/tcheckbox.h"
#include "ui/controls/ticon.h"
#include "ui/core/msg_box.h"
#include "ui/core/window_table.h"

namespace output {
namespace {

using xb::Args;
using xb::Value;

constexpr int kButtonWidth = 80, kButtonHeight = 20;

std::vector<xb::Ref<TWList>>& Open() {
  static std::vector<xb::Ref<TWList>> open;
  return open;
}
TWList* g_drawn = nullptr;
ui::WindowRef g_running;

bool Same(const Value& a, const Value& b) {
  if (a.IsNil() || b.IsNil()) return a.IsNil() && b.IsNil();
  return xb::OpExactEqual(a, b).AsLogical();
}

std::int64_t RecNo() { return xb::CallFunction("RECNO").AsInt(); }
void GoTo(std::int64_t n) { xb::CallFunction("DBGOTO", {Value::Integer(n)}); }
bool Eof() { return xb::CallFunction("EOF").AsLogical(); }

// The one being drawn while its block runs.
class Drawing {
 public:
  explicit Drawing(TWList* list) : previous_(g_drawn), destination_(nDestinoListado()) {
    g_drawn = list;
    nDestinoListado(kWindow);
  }
  ~Drawing() {
    g_drawn = previous_;
    nDestinoListado(destination_);
  }
  Drawing(const Drawing&) = delete;
  Drawing& operator=(const Drawing&) = delete;

 private:
  TWList* previous_;
  int destination_;
};

LOGFONTA WindowFont() {
  LOGFONTA lf = {};
  lstrcpynA(lf.lfFaceName, "Courier New", LF_FACESIZE);
  HDC screen = ::GetDC(nullptr);
  lf.lfHeight = -TwPix(2, 180, screen);
  if (!svc::FileExists(svc::DbfOf(GesVenTable()))) CreaVenDbf();
  {
    svc::SelectedAreaScope keep;
    if (svc::OpenTableQuietly(GesVenTable(), "_QzGesVen", false)) {
      svc::OpenedArea area(true);
      xb::CallFunction("DBGOTOP");
      if (!svc::Area().eof()) {
        std::string face = svc::FieldText("CFACENAME1");
        while (!face.empty() && face.back() == ' ') face.pop_back();
        lstrcpynA(lf.lfFaceName, face.c_str(), LF_FACESIZE);
        lf.lfHeight = -TwPix(2, std::abs(svc::FieldNumber("NHEIGHT1")), screen);
        lf.lfWeight = static_cast<LONG>(svc::FieldNumber("NWEIGHT1"));
        lf.lfItalic = svc::FieldLogical("LITALIC1");
        lf.lfCharSet = static_cast<BYTE>(svc::FieldNumber("NCHARSET1"));
        lf.lfPitchAndFamily = static_cast<BYTE>(svc::FieldNumber("NPITCHFAM1"));
      }
    }
  }
  ::ReleaseDC(nullptr, screen);
  return lf;
}

}  // namespace

// ---- the window ---------------------------------------------------------------------------------------

TWinOwn::TWinOwn() : ui::TWindow(Cls()) {}

const xb::Class& TWinOwn::Cls() {
  static const xb::Class& cls = xb::Class::Define("TWINOWN", &ui::TWindow::Cls());
  return cls;
}

ui::Answer TWinOwn::Paint() {
  if (list != nullptr && hDC != nullptr && !IsIconic()) list->PaintAll(hDC);
  return ui::Answer::Number(0);
}

ui::Answer TWinOwn::ReSize(int type, int width, int height) {
  ui::TWindow::ReSize(type, width, height);
  if (type == SIZE_MINIMIZED || list == nullptr) return {};
  list->Layout();
  ::InvalidateRect(hWnd, nullptr, TRUE);
  return {};
}

ui::Answer TWinOwn::VScroll(WPARAM wparam, LPARAM lparam) {
  if (lparam != 0 || list == nullptr) return {};
  switch (LOWORD(wparam)) {
    case SB_LINEUP: list->LineUp(); break;
    case SB_LINEDOWN: list->LineDown(); break;
    case SB_PAGEUP: list->PageUp(); break;
    case SB_PAGEDOWN: list->PageDown(); break;
    case SB_TOP: list->Home(); break;
    case SB_BOTTOM: list->EndOfRange(); break;
    default: break;
  }
  return ui::Answer::Number(0);
}

ui::Answer TWinOwn::HScroll(WPARAM wparam, LPARAM lparam) {
  if (lparam != 0 || list == nullptr) return {};
  const int page = std::max(1, list->nColsVentana);
  switch (LOWORD(wparam)) {
    case SB_LINELEFT: list->CharLeft(1); break;
    case SB_LINERIGHT: list->CharRight(1); break;
    case SB_PAGELEFT: list->CharLeft(page); break;
    case SB_PAGERIGHT: list->CharRight(page); break;
    case SB_THUMBPOSITION: list->CharRight(HIWORD(wparam) - list->HorizontalPosition()); break;
    case SB_LEFT: list->CharLeft(list->HorizontalPosition()); break;
    case SB_RIGHT: list->CharRight(list->WidestLine()); break;
    default: break;
  }
  return ui::Answer::Number(0);
}

ui::Answer TWinOwn::KeyDown(int key, LPARAM flags) {
  if (list == nullptr) return ui::TWindow::KeyDown(key, flags);
  switch (key) {
    case VK_UP: list->LineUp(); return ui::Answer::Number(0);
    case VK_DOWN: list->LineDown(); return ui::Answer::Number(0);
    case VK_PRIOR: list->PageUp(); return ui::Answer::Number(0);
    case VK_NEXT: list->PageDown(); return ui::Answer::Number(0);
    case VK_LEFT: list->CharLeft(std::max(1, list->nColsVentana)); return ui::Answer::Number(0);
    case VK_RIGHT: list->CharRight(std::max(1, list->nColsVentana)); return ui::Answer::Number(0);
    case VK_HOME: list->Home(); return ui::Answer::Number(0);
    case VK_END: list->EndOfRange(); return ui::Answer::Number(0);
    case VK_ESCAPE: key = 'C'; break;
    default: break;
  }
  const char letter = static_cast<char>(std::toupper(key));
  for (auto& [l, button] : buttons) {
    if (l == letter && button->hWnd != nullptr && ::IsWindowEnabled(button->hWnd)) {
      ::SendMessageA(button->hWnd, BM_CLICK, 0, 0);
      return ui::Answer::Number(0);
    }
  }
  return ui::TWindow::KeyDown(key, flags);
}

ui::Answer TWinOwn::LDblClick(int row, int col, WPARAM keys) {
  if (list == nullptr || list->params_.dbl_click.IsNil()) return ui::TWindow::LDblClick(row, col, keys);
  const std::vector<std::int64_t>& drawn = list->DrawnRecords();
  const std::int64_t first = drawn.empty() ? 0 : drawn.front();
  const int line = (row - list->nPixBarra) / std::max(1, list->yChar);
  const Value self = Value(xb::ObjectRef(this));
  if (row < list->nPixBarra) return {};
  if (line < list->nLineasCabecera) {
    xb::EvalValue(list->params_.dbl_click, std::array<Value, 3>{Value::Integer(3), Value::Integer(first), self});
  } else if (line < list->nLineasCabecera + list->nRegDetalle * list->nLineasReg) {
    const std::size_t n = static_cast<std::size_t>((line - list->nLineasCabecera) / list->nLineasReg);
    xb::EvalValue(list->params_.dbl_click,
                  std::array<Value, 3>{Value::Integer(2), Value::Integer(n < drawn.size() ? drawn[n] : 0), self});
  } else {
    xb::EvalValue(list->params_.dbl_click, std::array<Value, 3>{Value::Integer(1), Value::Integer(first), self});
  }
  return ui::Answer::Number(0);
}

ui::Answer TWinOwn::GetMinMaxInfo(MINMAXINFO* info) {
  if (list == nullptr || info == nullptr) return {};
  AjustarY(info, list->nPixBarra + list->nPixCabecera + list->nLineasReg * list->yChar + list->nPixPie,
           10 * list->xChar);
  return ui::Answer::Number(0);
}

ui::Answer TWinOwn::GotFocus(HWND) { return ui::Answer::Number(0); }

ui::Answer TWinOwn::MouseMove(int row, int col, WPARAM keys) {
  HWND focus = ::GetFocus();
  if (focus != nullptr && focus != hWnd && ::GetParent(focus) == hWnd) ::SetFocus(hWnd);
  return ui::TWindow::MouseMove(row, col, keys);
}

// ---- the listing ---------------------------------------------------------------------------------------

TWList::TWList() : xb::Object(Cls()) {}
TWList::~TWList() { DeleteFonts(); }

Value TWList::Fire(int event, int line, int column) {
  Drawing drawing(this);
  const Value line_ref = ListingLineRef();
  line_ref.AsRefCell()->value = Value::Integer(line);
  const Value column_ref = Value::NewRef(Value::Integer(column));
  if (params_.line.IsNil()) return Value();
  return xb::EvalValue(params_.line, std::array<Value, 3>{Value::Integer(event), line_ref, column_ref});
}

bool TWList::Passes() {
  if (params_.for_.IsNil()) return true;
  const Value v = xb::EvalValue(params_.for_, {});
  return !v.IsLogical() || v.AsLogical();
}

bool TWList::Stops() {
  if (params_.while_.IsNil()) return false;
  const Value v = xb::EvalValue(params_.while_, {});
  return v.IsLogical() && v.AsLogical();
}

Value TWList::Key() { return params_.group.IsNil() ? Value() : xb::EvalValue(params_.group, {}); }

std::vector<std::int64_t> TWList::RangeFrom(std::int64_t first, std::int64_t* next_group) {
  std::vector<std::int64_t> range;
  GoTo(first);
  const Value key = Key();
  *next_group = 0;
  while (!Eof() && !Stops()) {
    if (Passes()) {
      if (params_.group_navigation && !Same(Key(), key)) {
        *next_group = RecNo();
        break;
      }
      range.push_back(RecNo());
    }
    xb::CallFunction("DBSKIP");
  }
  return range;
}

bool TWList::New(const WListParams& params) {
  params_ = params;
  cTitulo = params.title;
  nLineasPie = params.foot_lines;
  nLineasReg = std::max(1, params.lines_per_record);
  if (!params.alias.empty()) xb::CallFunction("DBSELECTAREA", {Value::String(params.alias)});
  while (!Eof() && !Stops() && !Passes()) xb::CallFunction("DBSKIP");
  const std::int64_t first = RecNo();
  MakeFonts(WindowFont());
  std::int64_t next = 0;
  std::vector<std::int64_t> records = RangeFrom(first, &next);
  groups_.push_back({first, records});
  next_group_first_ = next;
  all_groups_ = next == 0;
  SetRange(std::move(records));
  if (params.save_subtotals) {
    oFileSTC = xb::MakeRef<TFileC>();
    oFileSTC->New({.mode = 3, .prefix = "LST"});
  }
  nDestinoListado(kWindow);

  oWndL = xb::MakeRef<TWinOwn>();
  oWndL->list = this;
  ui::TWindow::NewParams wp;
  wp.top = 30;
  wp.left = 30;
  wp.bottom = 30 + 460;
  wp.right = 30 + 700;
  wp.caption = params.title;
  wp.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL;
  wp.clr_text = params.fore;
  wp.clr_pane = params.back;
  wp.pixel = true;
  wp.icon = ui::TIcon::OfName("LISTADO");
  wp.parent = ui::OWndFromHwnd(ui::GetWndApp());
  oWndL->New(wp);
  if (oWndL->hWnd == nullptr) {
    ui::MsgStop(Value::String("No se pudo crear la ventana de listado"), "ERROR DE LISTADO");
    oWndL = nullptr;
    return false;
  }
  MenuStrItem(::GetSystemMenu(oWndL->hWnd, FALSE), SC_CLOSE, "Cerrar Esc, Alt+F4");
  nPixBarra = kButtonHeight + 10;
  struct ButtonDef {
    char letter;
    const char* caption;
    const char* tip;
    std::function<void()> action;
    bool shown;
  };
  const ButtonDef defs[] = {
      {'S', "[S]iguiente", "Avanzar Subtotal", [this] { NextGroup(); }, params.group_navigation},
      {'A', "[A]nterior", "Retroceder Subtotal", [this] { PrevGroup(); }, params.group_navigation},
      {'F', "[F]uentes", "Seleccionar Fuentes", [this] { ChooseWindowFont(); }, true},
      {'C', "[C]errar", "Cerrar Listado", [this] { Close(); }, true},
      {'R', "[R]efrescar", "Actualizar Texto",
       [this] { ::InvalidateRect(oWndL->hWnd, nullptr, TRUE); }, params.title != "LIBRO MAYOR"},
      {'Y', "A[y]uda", "Ayuda",
       [this] {
         xb::EvalValue(params_.help, std::array<Value, 2>{Value(xb::ObjectRef(oWndL)), Value::String(cTitulo)});
       },
       !params.help.IsNil()},
      {'I', "[I]mprimir", "Imprimir", [this] { Print(); }, params.to_printer},
  };
  auto font = ui::TFont::New({.face = std::string(data::cFontName()), .height = -11});
  int x = 5;
  for (const ButtonDef& def : defs) {
    if (!def.shown) continue;
    auto button = xb::MakeRef<ui::TButton>();
    button->New({.row = 5, .col = x, .caption = def.caption, .parent = oWndL, .action = svc::Action(def.action),
                 .width = kButtonWidth, .height = kButtonHeight, .font = font, .pixel = true});
    button->cToolTip = Value::String(def.tip);
    buttons_.push_back({def.letter, button});
    oWndL->buttons.push_back({def.letter, button});
    x += kButtonWidth + 4;
  }
  EnableButton('A', false);
  EnableButton('S', !all_groups_);
  Open().push_back(xb::Ref<TWList>(this));
  g_drawn = this;
  lPrimeraPagina = true;
  Layout();
  oWndL->Activate({.show = "NORMAL"});
  return true;
}

void TWList::MakeFonts(const LOGFONTA& font) {
  DeleteFonts();
  font_ = ::CreateFontIndirectA(&font);
  LOGFONTA bold = font;
  bold.lfWeight = FW_BOLD;
  bold_ = ::CreateFontIndirectA(&bold);
  HDC screen = ::GetDC(nullptr);
  HGDIOBJ previous = ::SelectObject(screen, font_);
  ::GetTextMetricsA(screen, &metrics_);
  SIZE digits{};
  ::GetTextExtentPoint32A(screen, "0123456789", 10, &digits);
  average_ = std::max(1, static_cast<int>(digits.cx / 10));
  ::SelectObject(screen, previous);
  ::ReleaseDC(nullptr, screen);
  xChar = average_;
  yChar = metrics_.tmHeight + metrics_.tmExternalLeading;
}

void TWList::DeleteFonts() {
  if (font_ != nullptr) ::DeleteObject(font_);
  if (bold_ != nullptr) ::DeleteObject(bold_);
  font_ = bold_ = nullptr;
}

std::string TWList::FontFace() const {
  LOGFONTA lf = {};
  if (font_ != nullptr) ::GetObjectA(font_, sizeof lf, &lf);
  return lf.lfFaceName;
}

std::vector<std::string> TWList::FontValues(int font) const {
  HDC screen = ::GetDC(nullptr);
  HGDIOBJ previous = ::SelectObject(screen, font == 2 ? bold_ : font_);
  TEXTMETRICA tm = {};
  ::GetTextMetricsA(screen, &tm);
  char face[LF_FACESIZE] = {};
  ::GetTextFaceA(screen, sizeof face, face);
  const int twips = PixTw(2, tm.tmHeight - tm.tmInternalLeading, screen);
  ::SelectObject(screen, previous);
  ::ReleaseDC(nullptr, screen);
  std::string trimmed = face;
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
  return {trimmed, CPaso(tm.tmPitchAndFamily), std::to_string(static_cast<int>(twips / 20.0 + 0.5))};
}

void TWList::EnableButton(char letter, bool on) {
  for (auto& [l, button] : buttons_)
    if (l == letter && button->hWnd != nullptr) ::EnableWindow(button->hWnd, on);
}

void TWList::SetRange(std::vector<std::int64_t> range) {
  range_ = std::move(range);
  position_ = 0;
}

void TWList::Layout() {
  if (!oWndL || oWndL->hWnd == nullptr) return;
  RECT client{};
  ::GetClientRect(oWndL->hWnd, &client);
  nAncho = client.right - client.left;
  nAlto = client.bottom - client.top;
  xChar = average_;
  yChar = metrics_.tmHeight + metrics_.tmExternalLeading;
  nColsVentana = nAncho / std::max(1, xChar);
  const int room = nAlto - nPixBarra;
  nLineasPagina = room / std::max(1, yChar);
  if (room % std::max(1, yChar) == 0) --nLineasPagina;
  // The header's lines, measured from the first record of the listing.
  measuring_ = true;
  const std::int64_t keep = RecNo();
  if (!range_.empty()) GoTo(range_.front());
  Fire(kWinHeader, 0);
  nLineasCabecera = static_cast<int>(ListingLineRef().Deref().AsInt());
  GoTo(keep);
  measuring_ = false;
  nPixCabecera = nLineasCabecera * yChar;
  nLineasDetalle = nLineasPagina - nLineasCabecera - nLineasPie;
  const int before = nRegDetalle;
  nRegDetalle = std::max(1, nLineasDetalle / nLineasReg);
  nPixPie = nLineasPie * yChar + room % std::max(1, yChar);
  if (before > nRegDetalle && static_cast<int>(aNReg.size()) > nRegDetalle) {
    for (std::size_t i = static_cast<std::size_t>(nRegDetalle); i < aNReg.size(); ++i) {
      GoTo(aNReg[i]);
      Fire(kWinLeaves, 0);
    }
    GoTo(keep);
    aNReg.resize(static_cast<std::size_t>(nRegDetalle));
  }
  if (params_.save_subtotals && oFileSTC && oFileSTC->IsOpen() && !lPrimeraPagina) {
    lSTCResize = true;
    SaveSubtotals();
    const int n = uValIniSTC.IsArray() ? static_cast<int>(uValIniSTC.AsArray().size()) : 1;
    oFileSTC->nSeek(static_cast<std::int64_t>(position_) * TFileC::kNumberBytes * n);
  }
  UpdateScrollBars();
}

void TWList::UpdateScrollBars() {
  if (!oWndL || oWndL->hWnd == nullptr) return;
  const int last = std::max(0, static_cast<int>(range_.size()) - nRegDetalle);
  ::SetScrollRange(oWndL->hWnd, SB_VERT, 0, last, FALSE);
  ::SetScrollPos(oWndL->hWnd, SB_VERT, position_, TRUE);
  const int wide = nColsLinea > nColsVentana ? nColsLinea - nColsVentana : 0;
  ::SetScrollRange(oWndL->hWnd, SB_HORZ, 0, wide, FALSE);
  ::SetScrollPos(oWndL->hWnd, SB_HORZ, std::min(h_position_, wide), TRUE);
}

void TWList::PaintAll(HDC dc) {
  dc_ = dc;
  HGDIOBJ previous = ::SelectObject(dc, font_);
  bold_on_ = false;
  ::SetTextAlign(dc, TA_BASELINE | TA_LEFT);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, params_.fore);
  const std::int64_t keep = RecNo();
  const int widest = nColsLinea;
  if (!range_.empty()) GoTo(range_[std::min<std::size_t>(static_cast<std::size_t>(position_), range_.size() - 1)]);
  Fire(kWinHeader, 0);
  aNReg.clear();
  for (int i = 0; i < nRegDetalle && position_ + i < static_cast<int>(range_.size()); ++i) {
    const std::int64_t record = range_[static_cast<std::size_t>(position_ + i)];
    GoTo(record);
    aNReg.push_back(record);
    Fire(kWinDetail, nLineasCabecera + i * nLineasReg);
  }
  if (nLineasPie > 0) {
    const bool last = position_ + nRegDetalle >= static_cast<int>(range_.size());
    Fire(last ? kWinFooter2 : kWinFooter, nLineasPagina - nLineasPie);
  }
  GoTo(keep);
  ::SelectObject(dc, previous);
  dc_ = nullptr;
  lLineaUp = lLineaDown = lPaginaUp = lPaginaDown = lSTCResize = false;
  lPrimeraPagina = false;
  if (nColsLinea != widest) UpdateScrollBars();
}

// ---- drawing ------------------------------------------------------------------------------------------

void TWList::SayVentana(int row, int col, const Value& value, const std::string& picture, bool, bool, bool bold,
                        bool right, bool centre, std::optional<COLORREF> text, std::optional<COLORREF> back) {
  const std::string shown = ListingText(value, picture);
  const int length = static_cast<int>(shown.size());
  nColsLinea = std::max(nColsLinea, col + length + ((right || centre) ? 4 : 0));
  if (measuring_ || dc_ == nullptr || row >= nLineasPagina) return;
  const bool was_bold = bold_on_;
  if (bold && !bold_on_) PesoNegrita();
  UINT align = TA_BASELINE | TA_LEFT;
  int at = col - h_position_;
  if (right) {
    align = TA_BASELINE | TA_RIGHT;
    ++at;
  } else if (centre) {
    align = TA_BASELINE | TA_CENTER;
    ++at;
  }
  ::SetTextAlign(dc_, align);
  COLORREF old_text = 0, old_back = 0;
  if (text) old_text = ::SetTextColor(dc_, *text);
  if (back) {
    old_back = ::SetBkColor(dc_, *back);
    ::SetBkMode(dc_, OPAQUE);
  }
  const int x = at * average_;
  const int y = nPixBarra + metrics_.tmAscent + metrics_.tmExternalLeading + row * yChar;
  ::TextOutA(dc_, x, y, shown.data(), length);
  if (text) ::SetTextColor(dc_, old_text);
  if (back) {
    ::SetBkColor(dc_, old_back);
    ::SetBkMode(dc_, TRANSPARENT);
  }
  if (bold && !was_bold) PesoNormal();
  ::SetTextAlign(dc_, TA_BASELINE | TA_LEFT);
}

void TWList::Linea(int row1, int col1, int row2, int col2, COLORREF colour, int width, int style) {
  if (measuring_ || dc_ == nullptr) return;
  HPEN pen = nullptr;
  if (style != 0 || width != 0 || colour != 0) {
    pen = ::CreatePen(style, width, colour);
    ::SelectObject(dc_, pen);
  }
  const int x1 = (col1 - h_position_) * average_, x2 = (col2 + 1 - h_position_) * average_;
  const int y1 = row1 * yChar + metrics_.tmAscent + nPixBarra - yChar / 2;
  const int y2 = row2 * yChar + metrics_.tmAscent + nPixBarra - yChar / 2;
  ::MoveToEx(dc_, x1, y1, nullptr);
  ::LineTo(dc_, x2, y2);
  ::SelectObject(dc_, ::GetStockObject(BLACK_PEN));
  if (pen != nullptr) ::DeleteObject(pen);
}

void TWList::PesoNegrita() {
  bold_on_ = true;
  if (dc_ != nullptr) ::SelectObject(dc_, bold_);
}

void TWList::PesoNormal() {
  bold_on_ = false;
  if (dc_ != nullptr) ::SelectObject(dc_, font_);
}

Value TWList::Totales(int n) const {
  if (n < 1 || n > static_cast<int>(groups_.size())) return Value::Integer(0);
  return Value::Integer(static_cast<std::int64_t>(groups_[static_cast<std::size_t>(n - 1)].records.size()));
}

// ---- moving -----------------------------------------------------------------------------------------

void TWList::SaveSubtotals() {
  if (params_.save_subtotals) Fire(kWinSubtotals, 0);
}

void TWList::MoveTo(int position) {
  const int last = std::max(0, static_cast<int>(range_.size()) - nRegDetalle);
  position = std::clamp(position, 0, last);
  if (position == position_) return;
  // The records that leave the window.
  const std::int64_t keep = RecNo();
  for (std::size_t i = 0; i < aNReg.size(); ++i) {
    const int index = position_ + static_cast<int>(i);
    if (index < position || index >= position + nRegDetalle) {
      GoTo(aNReg[i]);
      Fire(kWinLeaves, 0);
    }
  }
  GoTo(keep);
  lRangoSTC = position == last;
  position_ = position;
  SaveSubtotals();
  UpdateScrollBars();
  RECT below{0, nPixBarra, nAncho, nAlto};
  RepintaRec(oWndL->hWnd, below, true);
}

void TWList::LineDown() {
  lLineaDown = true;
  MoveTo(position_ + 1);
}
void TWList::LineUp() {
  lLineaUp = true;
  MoveTo(position_ - 1);
}
void TWList::PageDown() {
  lPaginaDown = true;
  MoveTo(position_ + nRegDetalle);
}
void TWList::PageUp() {
  lPaginaUp = true;
  MoveTo(position_ - nRegDetalle);
}
void TWList::Home() { MoveTo(0); }
void TWList::EndOfRange() { MoveTo(static_cast<int>(range_.size())); }

void TWList::CharRight(int n) {
  const int wide = nColsLinea > nColsVentana ? nColsLinea - nColsVentana : 0;
  const int to = std::clamp(h_position_ + n, 0, wide);
  if (to == h_position_) return;
  const int dx = (h_position_ - to) * average_;
  h_position_ = to;
  UpdateScrollBars();
  RECT below{nPixBarra, 0, nAlto, nAncho};
  if (std::abs(dx) * 2 >= nAncho) {
    RECT all{0, nPixBarra, nAncho, nAlto};
    RepintaRec(oWndL->hWnd, all, true);
  } else {
    WinScroll(oWndL->hWnd, 0, dx, below);
  }
}

void TWList::CharLeft(int n) { CharRight(-n); }

void TWList::NextGroup() {
  if (!params_.group_navigation) return;
  if (group_ + 1 < static_cast<int>(groups_.size())) {
    ++group_;
    GoTo(groups_[static_cast<std::size_t>(group_)].first);
    Fire(kWinGroupAgain, 0);
    SetRange(groups_[static_cast<std::size_t>(group_)].records);
  } else {
    if (all_groups_) return;
    Fire(kWinSearch, 0);
    for (std::size_t i = static_cast<std::size_t>(position_ + nRegDetalle); i < range_.size(); ++i) {
      GoTo(range_[i]);
      Fire(kWinGroupRecord, 0);
    }
    if (next_group_first_ == 0) {
      all_groups_ = true;
      Fire(kWinSearch, -1);
      EnableButton('S', false);
      return;
    }
    std::int64_t next = 0;
    std::vector<std::int64_t> records = RangeFrom(next_group_first_, &next);
    groups_.push_back({next_group_first_, records});
    ++group_;
    GoTo(next_group_first_);
    Fire(kWinNewGroup, 0);
    next_group_first_ = next;
    all_groups_ = next == 0;
    SetRange(std::move(records));
  }
  if (oFileSTC && oFileSTC->IsOpen()) oFileSTC->nSeek(0);
  EnableButton('A', true);
  EnableButton('S', group_ + 1 < static_cast<int>(groups_.size()) || !all_groups_);
  aNReg.clear();
  UpdateScrollBars();
  ::InvalidateRect(oWndL->hWnd, nullptr, TRUE);
}

void TWList::PrevGroup() {
  if (!params_.group_navigation || group_ == 0) return;
  --group_;
  GoTo(groups_[static_cast<std::size_t>(group_)].first);
  Fire(kWinGroupAgain, 0);
  SetRange(groups_[static_cast<std::size_t>(group_)].records);
  if (oFileSTC && oFileSTC->IsOpen()) oFileSTC->nSeek(0);
  EnableButton('A', group_ > 0);
  EnableButton('S', true);
  aNReg.clear();
  UpdateScrollBars();
  ::InvalidateRect(oWndL->hWnd, nullptr, TRUE);
}

bool TWList::TakeFont(const LOGFONTA& font) {
  HFONT probe = ::CreateFontIndirectA(&font);
  HDC screen = ::GetDC(nullptr);
  HGDIOBJ previous = ::SelectObject(screen, probe);
  TEXTMETRICA tm = {};
  ::GetTextMetricsA(screen, &tm);
  ::SelectObject(screen, previous);
  ::ReleaseDC(nullptr, screen);
  ::DeleteObject(probe);
  const int line = tm.tmHeight + tm.tmExternalLeading;
  int lines = (nAlto - nPixBarra) / std::max(1, line);
  if ((nAlto - nPixBarra) % std::max(1, line) == 0) --lines;
  const int header = nLineasCabecera;
  if ((lines - header - nLineasPie) / nLineasReg < 1) {
    ui::MsgAlert(Value::String("El tamaño seleccionado es demasiado grande"), "ERROR EN LA SELECCION DE FUENTE");
    return false;
  }
  MakeFonts(font);
  h_position_ = 0;
  Layout();
  ::InvalidateRect(oWndL->hWnd, nullptr, TRUE);
  return true;
}

void TWList::ChooseWindowFont() {
  ui::DialogRef dialog = svc::ResourceDialog(Value::Integer(20069), std::nullopt, 0, oWndL);
  ui::TDialog* d = dialog.get();
  auto fixed = std::make_shared<Value>(Value::Logical(false));
  auto truetype = std::make_shared<Value>(Value::Logical(false));
  auto cell = [](std::shared_ptr<Value> c) {
    return Value(xb::Block::Native([c](Args& a) {
      if (a.Count() > 0 && !a.IsNil(1)) *c = a.Arg(1);
      return *c;
    }));
  };
  for (auto [id, c] : {std::pair{114, fixed}, std::pair{115, truetype}}) {
    auto check = xb::MakeRef<ui::TCheckBox>();
    check->ReDefine({.id = id, .set_get = cell(c), .parent = dialog});
  }
  auto show = [this, d] {
    const std::vector<std::string> shown = FontValues(1);
    for (int i = 0; i < 3; ++i) ::SetDlgItemTextA(d->hWnd, 201 + i, shown[static_cast<std::size_t>(i)].c_str());
    ::ShowWindow(::GetDlgItem(d->hWnd, 112), TrueTypeFont() ? SW_SHOWNA : SW_HIDE);
  };
  svc::Button(dialog, 111, [this, fixed, truetype, show] {
    ui::ChooseFontParams p;
    LOGFONTA lf = {};
    ::GetObjectA(font_, sizeof lf, &lf);
    p.font = lf;
    p.flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | (fixed->AsLogical() ? CF_FIXEDPITCHONLY : 0) |
              (truetype->AsLogical() ? CF_TTONLY : 0);
    const ui::ChosenFont chosen = ui::ChooseFontDialog(p);
    if (chosen.confirmed && TakeFont(chosen.font)) show();
  });
  svc::Button(dialog, 520, [d] { d->End(520); });
  svc::Button(dialog, 540, [] {
    ::keybd_event(VK_F1, 0, 0, 0);
    ::keybd_event(VK_F1, 0, KEYEVENTF_KEYUP, 0);
  });
  ::EnableWindow(oWndL->hWnd, FALSE);
  svc::RunDialog(dialog, [show] {
    show();
    return true;
  });
  ::EnableWindow(oWndL->hWnd, TRUE);
  SaveSubtotals();
}

void TWList::Print() {
  DestinationChoice choice;
  choice.header = params_.header;
  const int printer = SelDestino(kTextFile + kMainPrinter + kHtml + kSheet + kHtmlMail, choice, false);
  if (choice.destination == kNoDestination) return;
  GoTo(groups_.front().first);
  SetLineaL(0);
  SetPaginaL(0);
  Fire(kWinStartOver, 0);
  GoTo(groups_.front().first);
  const WListParams p = params_;
  closed_ = true;  // ends the window, not the listing
  Close();
  ListingParams lp;
  lp.line = p.line;
  lp.while_ = p.while_;
  lp.for_ = p.for_;
  lp.group = p.group;
  lp.title = p.title;
  lp.page_group = p.page_group;
  lp.alias = p.alias;
  lp.end = p.end;
  lp.header = choice.header;
  lp.landscape = p.landscape;
  RunListing(lp, choice, printer);
  if ((IsPrinterDestination(choice.destination) || IsHtmlDestination(choice.destination)) &&
      (!Impresora() || !Impresora()->Ok()))
    nDestinoListado(kWindow);
}

void TWList::Close() {
  if (!oWndL) return;
  const bool listing_ends = !closed_;
  if (oFileSTC) {
    oFileSTC->Close();
    oFileSTC->Remove();
    oFileSTC = nullptr;
  }
  HWND main = ui::GetWndApp();
  xb::Ref<TWinOwn> window = oWndL;
  oWndL = nullptr;
  window->list = nullptr;
  if (window->hWnd != nullptr) ::DestroyWindow(window->hWnd);
  if (main != nullptr && ::IsWindow(main)) ::SetFocus(main);
  if (listing_ends && !params_.end.IsNil()) xb::EvalValue(params_.end, {});
  if (main != nullptr && ::IsWindow(main)) ::ShowWindow(main, SW_SHOW);
  DeleteFonts();
  EndOfListingHook();
  nDestinoListado(0);
  auto& open = Open();
  open.erase(std::remove_if(open.begin(), open.end(), [this](const xb::Ref<TWList>& w) { return w.get() == this; }),
             open.end());
  if (g_drawn == this) g_drawn = nullptr;
}

// ---- continuous subtotals -----------------------------------------------------------------------------

void TWList::SetValIniSTC(const Value& value) {
  if (value.IsNil()) return;
  if (value.IsArray()) {
    xb::Array copy = xb::Array::New();
    for (const Value& v : value.AsArray()) copy.Append(v);
    uValIniSTC = Value(copy);
  } else {
    uValIniSTC = value;
  }
}

void TWList::SubTotContinuo(Value& subtotal, int mode) {
  if (!oFileSTC || !oFileSTC->IsOpen()) return;
  const bool array = subtotal.IsArray();
  const int n = array ? static_cast<int>(subtotal.AsArray().size()) : 1;
  const int p = position_, r = nRegDetalle;
  const std::int64_t slot_bytes = static_cast<std::int64_t>(TFileC::kNumberBytes) * n;
  auto read = [&](int slot) {
    if (slot < 0) {
      // Before the first slot: the initial value, or zeros.
      if (array) {
        xb::Array items = subtotal.AsArray();
        for (int i = 0; i < n; ++i) {
          const Value initial = uValIniSTC.IsArray() ? uValIniSTC.AsArray().Get(static_cast<std::size_t>(i)) : Value();
          items[static_cast<std::size_t>(i)] = initial.IsNumber() ? initial : Value::Integer(0);
        }
      } else {
        subtotal = uValIniSTC.IsNumber() ? uValIniSTC : Value::Integer(0);
      }
      return;
    }
    const std::int64_t start = slot * slot_bytes;
    for (int i = 0; i < n; ++i) {
      oFileSTC->nSeek(start + static_cast<std::int64_t>(TFileC::kNumberBytes) * i);
      Value v;
      oFileSTC->nRead(v, 'N');
      if (array) subtotal.AsArray()[static_cast<std::size_t>(i)] = v;
      else subtotal = v;
    }
    oFileSTC->nSeek(start + slot_bytes);
  };
  auto write = [&](std::optional<int> slot) {
    std::int64_t start = slot ? *slot * slot_bytes : oFileSTC->nSeek(0, FILE_CURRENT);
    for (int i = 0; i < n; ++i) {
      oFileSTC->nSeek(start + static_cast<std::int64_t>(TFileC::kNumberBytes) * i);
      oFileSTC->nWrite(array ? subtotal.AsArray().Get(static_cast<std::size_t>(i)) : subtotal);
    }
    oFileSTC->nSeek(start + slot_bytes);
  };
  if (mode == -1) {
    if (lLineaUp || lPaginaUp) read(p - 1);
    else if (lLineaDown) read(p - 2 + r);
    else if (lPaginaDown) read(p - 1 + r);
    else read(p - 1);
    return;
  }
  if (mode != 0) return;
  if (lLineaDown && !lRangoSTC) write(p - 1 + r);
  else if (lPaginaDown && !lRangoSTC) write(std::nullopt);
  else if (lPrimeraPagina && !(lNewSubTotal && !lRango)) write(std::nullopt);
  else if (lSTCResize) write(std::nullopt);
}

// ---- the module's functions -----------------------------------------------------------------------------

xb::Ref<TWList> WListNew(const WListParams& params) {
  HCURSOR previous = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
  auto list = xb::MakeRef<TWList>();
  ::SetCursor(previous);
  if (!list->New(params)) return nullptr;
  return list;
}

xb::Ref<TWList> WList() { return g_drawn != nullptr ? xb::Ref<TWList>(g_drawn) : nullptr; }
std::vector<xb::Ref<TWList>> WlAwList() { return Open(); }

void WinScroll(HWND hwnd, int dy, int dx, const RECT& rect) {
  // rect is {top, left, bottom, right}
  const RECT r{rect.top, rect.left, rect.bottom, rect.right};
  const RECT area{r.left, r.top, r.right, r.bottom};
  ::ScrollWindow(hwnd, dx, dy, &area, &area);
}

void AjustarY(MINMAXINFO* info, int min_height, int min_width) {
  if (info == nullptr) return;
  const int height = min_height + ::GetSystemMetrics(SM_CYCAPTION) + 2 * ::GetSystemMetrics(SM_CYFRAME) +
                     ::GetSystemMetrics(SM_CYHSCROLL);
  const int width = min_width + ::GetSystemMetrics(SM_CXVSCROLL) + 2 * ::GetSystemMetrics(SM_CXFRAME);
  info->ptMinTrackSize.y = std::max<LONG>(info->ptMinTrackSize.y, height);
  info->ptMinTrackSize.x = std::max<LONG>(info->ptMinTrackSize.x, width);
}

void RepintaRec(HWND hwnd, const RECT& rect, bool erase) { ::InvalidateRect(hwnd, &rect, erase); }

bool MenuStrItem(HMENU menu, UINT id, const std::string& text) {
  if (menu == nullptr) return false;
  const std::string cut = text.substr(0, 131);
  return ::ModifyMenuA(menu, id, MF_BYCOMMAND | MF_STRING, id, cut.c_str()) != 0;
}

const xb::Class& TWList::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TWLIST");
    auto L = [](xb::Object& o) -> TWList& { return xb::Class::Cast<TWList>(o); };
    c.Method("SAYVENTANA", [L](xb::Object& o, Args& a) {
      auto colour = [&a](int n) {
        return a.Arg(n).IsNumber() ? std::optional<COLORREF>(static_cast<COLORREF>(a.Int(n))) : std::nullopt;
      };
      L(o).SayVentana(a.IsNil(1) ? nLineaL() : static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), a.Arg(3),
                      a.Arg(4).IsString() ? std::string(a.Str(4)) : std::string(), a.Log(5), a.Log(6), a.Log(7),
                      a.Log(8), a.Log(9), colour(12), colour(13));
      return Value();
    });
    c.Method("LINEA", [L](xb::Object& o, Args& a) {
      L(o).Linea(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)),
                 static_cast<int>(a.Int(4)), static_cast<COLORREF>(a.Int(5)), static_cast<int>(a.Int(6, 1)),
                 static_cast<int>(a.Int(7)));
      return Value();
    });
    for (const char* name : {"COMPRIMIDA", "NORMAL", "EXPANDIDA"}) c.Method(name, [](xb::Object&, Args&) { return Value(); });
    c.Method("PESONEGRITA", [L](xb::Object& o, Args&) { L(o).PesoNegrita(); return Value(); });
    c.Method("PESONORMAL", [L](xb::Object& o, Args&) { L(o).PesoNormal(); return Value(); });
    c.Method("TOTALES", [L](xb::Object& o, Args& a) { return L(o).Totales(static_cast<int>(a.Int(1))); });
    c.Method("SUBTOTCONTINUO", [L](xb::Object& o, Args& a) {
      Value subtotal = a.Arg(1);
      L(o).SubTotContinuo(subtotal, static_cast<int>(a.Int(2)));
      if (!subtotal.IsArray()) a.SetRef(1, subtotal);
      return Value();
    });
    c.Method("SETVALINISTC", [L](xb::Object& o, Args& a) { L(o).SetValIniSTC(a.Arg(1)); return Value(); });
    c.Method("END", [L](xb::Object& o, Args&) { L(o).Close(); return Value(); });
    c.Property("OWNDL", [L](xb::Object& o) { return L(o).Window() ? Value(xb::ObjectRef(L(o).Window())) : Value(); }, nullptr);
    c.Property("CTITULO", [L](xb::Object& o) { return Value::String(L(o).cTitulo); }, nullptr);
    return c;
  }();
  return cls;
}

void RegisterListingWindow() {
  (void)TWList::Cls();
  (void)TWinOwn::Cls();
  using xb::RegisterFunction;
  // WLISTNEW( bLine, cAlias, cTitle, nFootLines, nClrFore, nClrBack, bWhile, bGroup, bFor, bEnd,
  //           nLinesPerRecord, lGroup, lSaveSubtotals, bDblClick, bHelp, lPageGroup, cHeader, lFonts,
  //           lToPrinter, lLandscape )
  RegisterFunction("WLISTNEW", [](Args& a) {
    WListParams p;
    p.line = a.Arg(1);
    p.alias = a.Arg(2).IsString() ? std::string(a.Str(2)) : std::string();
    if (a.Arg(3).IsString()) p.title = std::string(a.Str(3));
    p.foot_lines = static_cast<int>(a.Int(4));
    if (a.Arg(5).IsNumber()) p.fore = static_cast<COLORREF>(a.Int(5));
    if (a.Arg(6).IsNumber()) p.back = static_cast<COLORREF>(a.Int(6));
    p.while_ = a.Arg(7);
    p.group = a.Arg(8);
    p.for_ = a.Arg(9);
    p.end = a.Arg(10);
    p.lines_per_record = a.IsNil(11) ? 1 : static_cast<int>(a.Int(11));
    p.group_navigation = a.Log(12);
    p.save_subtotals = a.Log(13);
    p.dbl_click = a.Arg(14);
    p.help = a.Arg(15);
    p.page_group = a.Log(16);
    p.header = a.Arg(17).IsString() ? std::string(a.Str(17)) : std::string();
    p.fonts = a.Log(18);
    p.to_printer = a.Log(19);
    p.landscape = a.Log(20);
    xb::Ref<TWList> list = WListNew(p);
    return list ? Value(list) : Value();
  });
  RegisterFunction("WLIST", [](Args&) { return WList() ? Value(WList()) : Value(); });
  RegisterFunction("WLISTFIN", [](Args&) {
    if (TWList* list = g_drawn) {
      auto& open = Open();
      open.erase(std::remove_if(open.begin(), open.end(), [list](const xb::Ref<TWList>& w) { return w.get() == list; }),
                 open.end());
    }
    return Value();
  });
  RegisterFunction("WL_AWLIST", [](Args&) {
    xb::Array list = xb::Array::New();
    for (const auto& w : Open()) list.Append(Value(w));
    return Value(list);
  });
  // WL_ISRUNNING( oWnd, lClear )
  RegisterFunction("WL_ISRUNNING", [](Args& a) {
    if (auto* window = dynamic_cast<ui::TWindow*>(a.Obj(1).get()); window != nullptr && !g_running)
      g_running = ui::WindowRef(window);
    if (a.Log(2)) g_running = nullptr;
    return Value::Logical(static_cast<bool>(g_running));
  });
  RegisterFunction("WL_DLGLISTADO", [](Args&) { return Value(); });
  RegisterFunction("WL_ENDHOOK", [](Args&) {
    if (g_running && g_running->hWnd != nullptr) {
      ::ShowWindow(g_running->hWnd, SW_SHOW);
      ::EnableWindow(g_running->hWnd, TRUE);
      ::SetFocus(g_running->hWnd);
    }
    return Value();
  });
  RegisterFunction("QZ_WINDOWTOPRINTER", [](Args& a) {
    auto* list = dynamic_cast<TWList*>(a.Obj(1).get());
    if (list == nullptr) list = g_drawn;
    if (list != nullptr) list->Print();
    return Value();
  });
  // WINSCROLL( hWnd, nDy, nDx, aRect {top, left, bottom, right} )
  RegisterFunction("WINSCROLL", [](Args& a) {
    const xb::Array r = a.Arr(4);
    auto at = [&r](std::size_t i) { return static_cast<LONG>(r ? r.Get(i).AsInt() : 0); };
    WinScroll(reinterpret_cast<HWND>(static_cast<std::intptr_t>(a.Int(1))), static_cast<int>(a.Int(2)),
              static_cast<int>(a.Int(3)), RECT{at(0), at(1), at(2), at(3)});
    return Value();
  });
  RegisterFunction("AJUSTARY", [](Args& a) {
    AjustarY(reinterpret_cast<MINMAXINFO*>(static_cast<std::intptr_t>(a.Int(1))), static_cast<int>(a.Int(2)),
             static_cast<int>(a.Int(3)));
    return Value();
  });
  // REPINTAREC( hWnd, aRect {left, top, right, bottom}, lErase )
  RegisterFunction("REPINTAREC", [](Args& a) {
    const xb::Array r = a.Arr(2);
    auto at = [&r](std::size_t i) { return static_cast<LONG>(r ? r.Get(i).AsInt() : 0); };
    RepintaRec(reinterpret_cast<HWND>(static_cast<std::intptr_t>(a.Int(1))), RECT{at(0), at(1), at(2), at(3)},
               a.Log(3));
    return Value();
  });
  RegisterFunction("MENUSTRITEM", [](Args& a) {
    return Value::Logical(MenuStrItem(reinterpret_cast<HMENU>(static_cast<std::intptr_t>(a.Int(1))),
                                      static_cast<UINT>(static_cast<std::uint16_t>(a.Int(2))), std::string(a.Str(3))));
  });
  // VALFONTVENTANA( nFont, aLabels, @aValues, oDlg )
  RegisterFunction("VALFONTVENTANA", [](Args& a) {
    TWList* list = g_drawn;
    xb::Array values = xb::Array::Of({Value::String(""), Value::String(""), Value::String("")});
    HCURSOR previous = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    if (list != nullptr) {
      const std::vector<std::string> shown = list->FontValues(a.IsNil(1) ? 1 : static_cast<int>(a.Int(1)));
      for (std::size_t i = 0; i < 3; ++i) values[i] = Value::String(shown[i]);
      if (auto* dialog = dynamic_cast<ui::TWindow*>(a.Obj(4).get()); dialog != nullptr && dialog->hWnd != nullptr) {
        for (int i = 0; i < 3; ++i) ::SetDlgItemTextA(dialog->hWnd, 201 + i, shown[static_cast<std::size_t>(i)].c_str());
        ::ShowWindow(::GetDlgItem(dialog->hWnd, 112), list->TrueTypeFont() ? SW_SHOWNA : SW_HIDE);
      }
    }
    ::SetCursor(previous);
    if (a.IsByRef(3)) a.SetRef(3, Value(values));
    else if (xb::Array given = a.Arr(3)) {
      given.Resize(3);
      for (std::size_t i = 0; i < 3; ++i) given[i] = values[i];
    }
    return Value();
  });
}

}  // namespace output
