#include "output/listing_window.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

#include "data/program_settings.h"
#include "output/destination_config.h"
#include "output/listing_driver.h"
#include "output/printer_table.h"
#include "output/tprinter2.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/operators.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "services/table_helpers.h"
#include "ui/bridge/message_loop.h"
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
bool g_window_made = false;

bool Same(const Value& a, const Value& b) {
  if (a.IsNil() || b.IsNil()) return a.IsNil() && b.IsNil();
  return xb::OpExactEqual(a, b).AsLogical();
}

xb::rdd::WorkArea& Table() { return xb::rdd::WorkAreas::Get().Current(); }
void GoTo(std::int64_t n) { Table().GoTo(static_cast<std::uint32_t>(std::max<std::int64_t>(n, 0))); }

// The one being drawn while its block runs, with the window destination.
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

// A value set for a scope and given back after, even when the listing's block fails.
template <typename T>
class Temporarily {
 public:
  Temporarily(T& ref, T value) : ref_(ref), old_(ref) { ref_ = value; }
  ~Temporarily() { ref_ = old_; }
  Temporarily(const Temporarily&) = delete;
  Temporarily& operator=(const Temporarily&) = delete;

 private:
  T& ref_;
  T old_;
};

bool Touches(const RECT& a, const RECT& b) {
  RECT common;
  return ::IntersectRect(&common, &a, &b) != 0;
}

}  // namespace

// The listing's table selected while the window works on it; the selection before comes back.
class TWList::AreaScope {
 public:
  explicit AreaScope(const TWList& list) : previous_(xb::rdd::WorkAreas::Get().CurrentArea()) {
    if (list.area_ > 0) xb::rdd::WorkAreas::Get().SelectArea(list.area_);
  }
  ~AreaScope() { xb::rdd::WorkAreas::Get().SelectArea(previous_); }
  AreaScope(const AreaScope&) = delete;
  AreaScope& operator=(const AreaScope&) = delete;

 private:
  int previous_;
};

// The listing draws on `dc` with the normal font, baseline alignment and its colour; the
// context is given back as it was, and a wider line found resizes the horizontal bar.
class TWList::DrawingOn {
 public:
  DrawingOn(TWList& list, HDC dc) : list_(list), dc_(dc), saved_(::SaveDC(dc)), widest_(list.nColsLinea) {
    list.dc_ = dc;
    ::SelectObject(dc, list.font_);
    list.bold_on_ = false;
    ::SetTextAlign(dc, TA_BASELINE | TA_LEFT);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, list.params_.fore);
  }
  ~DrawingOn() {
    ::RestoreDC(dc_, saved_);
    list_.dc_ = nullptr;
    if (list_.nColsLinea != widest_) list_.UpdateScrollBars();
  }
  DrawingOn(const DrawingOn&) = delete;
  DrawingOn& operator=(const DrawingOn&) = delete;

 private:
  TWList& list_;
  HDC dc_;
  int saved_;
  int widest_;
};

// A pass over records that may be long. The outermost scope runs it: from then on each record
// asks PassGoing whether to go on; at the end, what the pass's note covered and what was
// painted meanwhile is drawn again, and a closing or a layout asked meanwhile follows.
class TWList::LongPass {
 public:
  LongPass(TWList& list, bool stoppable) : list_(list), outer_(!list.busy_) {
    if (!outer_) return;
    keep_ = xb::Ref<TWList>(&list);
    list.busy_ = true;
    list.stoppable_ = stoppable;
    list.stop_pass_ = false;
    list.pass_start_ = list.last_pump_ = ::GetTickCount();
    list.pass_done_ = 0;
    list.note_rect_ = list.painted_in_pass_ = RECT{};
    list.cursor_before_pass_ = nullptr;
  }
  ~LongPass() {
    if (!outer_) return;
    TWList& l = list_;
    l.busy_ = false;
    if (l.cursor_before_pass_ != nullptr) ::SetCursor(l.cursor_before_pass_);
    HWND hwnd = l.oWndL ? l.oWndL->hWnd : nullptr;
    if (hwnd == nullptr) return;
    RECT again{};
    ::UnionRect(&again, &l.note_rect_, &l.painted_in_pass_);
    if (!::IsRectEmpty(&again)) ::InvalidateRect(hwnd, &again, TRUE);
    l.note_rect_ = l.painted_in_pass_ = RECT{};
    if (l.layout_after_pass_) {
      l.layout_after_pass_ = false;
      RECT client{};
      ::GetClientRect(hwnd, &client);
      ::PostMessageA(hwnd, WM_SIZE, ::IsZoomed(hwnd) ? SIZE_MAXIMIZED : SIZE_RESTORED,
                     MAKELPARAM(client.right, client.bottom));
    }
    if (l.close_after_pass_) {
      l.close_after_pass_ = false;
      ::PostMessageA(hwnd, WM_CLOSE, 0, 0);
    }
  }
  LongPass(const LongPass&) = delete;
  LongPass& operator=(const LongPass&) = delete;

 private:
  TWList& list_;
  bool outer_;
  xb::Ref<TWList> keep_;  // the window's closing may drop the last other reference
};

TWList::TWList() : xb::Object(Cls()) {}
TWList::~TWList() { DeleteFonts(); }

// ---- the listing's blocks -------------------------------------------------------------------------

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

// ---- the range -------------------------------------------------------------------------------------

std::int64_t TWList::KnownRecords() const {
  return groups_.empty() ? 0 : static_cast<std::int64_t>(Current().records.size());
}

bool TWList::RangeComplete() const { return groups_.empty() || Current().complete; }

std::int64_t TWList::RecordAt(std::int64_t position) const {
  const auto& records = Current().records;
  if (position < 0 || position >= static_cast<std::int64_t>(records.size())) return 0;
  return records[static_cast<std::size_t>(position)];
}

void TWList::Extend(std::int64_t count) {
  GroupSeen& g = Current();
  if (g.complete || static_cast<std::int64_t>(g.records.size()) >= count) return;
  if (g.first == 0) {
    g.complete = all_groups_ = true;
    return;
  }
  xb::rdd::WorkArea& table = Table();
  if (!table.used()) return;
  LongPass pass(*this, true);
  if (g.records.empty()) {
    GoTo(g.first);
  } else {
    GoTo(g.records.back());
    table.Skip(1);
  }
  while (static_cast<std::int64_t>(g.records.size()) < count) {
    // The window's messages may move the table: it is put back on the record.
    const std::uint32_t at = table.recno();
    if (!PassGoing(static_cast<std::int64_t>(g.records.size()))) break;
    if (table.recno() != at) GoTo(at);
    if (table.eof() || Stops()) {
      g.complete = all_groups_ = true;
      break;
    }
    if (Passes()) {
      if (params_.group_navigation && !Same(Key(), g.key)) {
        g.complete = true;
        next_group_first_ = table.recno();
        break;
      }
      g.records.push_back(table.recno());
    }
    table.Skip(1);
  }
}

std::int64_t TWList::LastPosition() const {
  return std::max<std::int64_t>(0, KnownRecords() - nRegDetalle);
}

// ---- creation ----------------------------------------------------------------------------------------

bool TWList::New(const WListParams& params) {
  params_ = params;
  cTitulo = params.title;
  nLineasPie = params.foot_lines;
  nLineasReg = std::max(1, params.lines_per_record);
  if (!params.alias.empty()) xb::CallFunction("DBSELECTAREA", {Value::String(params.alias)});
  area_ = xb::rdd::WorkAreas::Get().CurrentArea();
  // The listing's first record; the rest are found as the window needs them.
  GroupSeen first;
  {
    xb::rdd::WorkArea& table = Table();
    while (table.used() && !table.eof() && !Stops() && !Passes()) table.Skip(1);
    if (table.used() && !table.eof() && !Stops()) {
      first.first = table.recno();
      first.key = Key();
    }
    if (table.used()) {
      const bool ordered = xb::CallFunction("INDEXORD").AsInt() > 0;
      estimate_ = xb::CallFunction(ordered ? "ORDKEYCOUNT" : "LASTREC").AsInt();
    }
  }
  first.subtotal = Value::Integer(0);
  groups_.push_back(first);
  MakeFonts(WindowFont());
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
  g_window_made = oWndL->hWnd != nullptr;
  if (!g_window_made) {
    ui::MsgStop(Value::String("No se pudo crear la ventana de listado"), "ERROR DE LISTADO");
    oWndL->list = nullptr;
    oWndL = nullptr;
    if (oFileSTC) {
      oFileSTC->Close();
      oFileSTC->Remove();
      oFileSTC = nullptr;
    }
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
  EnableButton('S', params.group_navigation);
  Open().push_back(xb::Ref<TWList>(this));
  g_drawn = this;
  pending_first_ = true;
  Layout();
  oWndL->Activate({.show = "NORMAL"});
  return true;
}

// ---- fonts ---------------------------------------------------------------------------------------------

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
  ::SelectObject(screen, bold_);
  ::GetTextExtentPoint32A(screen, "0123456789", 10, &digits);
  bold_average_ = std::max(1, static_cast<int>(digits.cx / 10));
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

// ---- layout ------------------------------------------------------------------------------------------

RECT TWList::HeaderBand() const { return {0, nPixBarra, nAncho, nPixBarra + nPixCabecera}; }

RECT TWList::DetailBand() const {
  return {0, nPixBarra + nPixCabecera, nAncho, nPixBarra + (nLineasPagina - nLineasPie) * yChar};
}

RECT TWList::FooterBand() const { return {0, nPixBarra + (nLineasPagina - nLineasPie) * yChar, nAncho, nAlto}; }

RECT TWList::RecordSlots() const {
  const RECT band = DetailBand();
  return {0, band.top, nAncho, std::min<LONG>(band.bottom, band.top + nRegDetalle * nLineasReg * yChar)};
}

void TWList::Layout() {
  if (!oWndL || oWndL->hWnd == nullptr) return;
  AreaScope area(*this);
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
  {
    Temporarily measuring(measuring_, true);
    GoTo(groups_.front().first);
    Fire(kWinHeader, 0);
    nLineasCabecera = static_cast<int>(ListingLineRef().Deref().AsInt());
  }
  nPixCabecera = nLineasCabecera * yChar;
  nLineasDetalle = nLineasPagina - nLineasCabecera - nLineasPie;
  nRegDetalle = std::max(1, nLineasDetalle / nLineasReg);
  nPixPie = nLineasPie * yChar + room % std::max(1, yChar);
  // The records that no longer fit leave.
  while (static_cast<int>(aNReg.size()) > nRegDetalle) {
    GoTo(aNReg.back());
    Fire(kWinLeaves, nLineasCabecera + (static_cast<int>(aNReg.size()) - 1) * nLineasReg);
    aNReg.pop_back();
  }
  if (RangeComplete()) position_ = std::min(position_, LastPosition());
  // Repainted whole; with saved subtotals the slots are written again from the position on.
  if (!pending_first_) pending_resize_ = true;
  UpdateScrollBars();
}

void TWList::UpdateScrollBars() {
  if (!oWndL || oWndL->hWnd == nullptr) return;
  // While its end is unknown the range reaches one record further (so the bar can move on)
  // or as far as the table may hold.
  std::int64_t last = LastPosition();
  if (!RangeComplete()) {
    last = std::max(last, position_) + 1;
    if (!params_.group_navigation) last = std::max(last, estimate_ - nRegDetalle);
  }
  SCROLLINFO v{sizeof v, SIF_RANGE | SIF_POS | SIF_PAGE, 0, static_cast<int>(std::min<std::int64_t>(last, INT_MAX)), 0,
               static_cast<int>(position_), 0};
  ::SetScrollInfo(oWndL->hWnd, SB_VERT, &v, TRUE);
  const int wide = nColsLinea > nColsVentana ? nColsLinea - nColsVentana : 0;
  SCROLLINFO h{sizeof h, SIF_RANGE | SIF_POS | SIF_PAGE, 0, wide, 0, std::min(h_position_, wide), 0};
  ::SetScrollInfo(oWndL->hWnd, SB_HORZ, &h, TRUE);
}

// ---- drawing ---------------------------------------------------------------------------------------

void TWList::Paint(HDC dc, const RECT& area) {
  if (busy_) {
    // The listing's block is busy with the pass: the area is drawn again after it.
    HBRUSH ground = ::CreateSolidBrush(params_.back);
    ::FillRect(dc, &area, ground);
    ::DeleteObject(ground);
    ::UnionRect(&painted_in_pass_, &painted_in_pass_, &area);
    if (!::IsRectEmpty(&note_rect_)) DrawPassNote(dc);
    return;
  }
  DrawBands(dc, Touches(area, HeaderBand()), Touches(area, DetailBand()), Touches(area, FooterBand()));
}

void TWList::DrawNow(bool header, bool detail, bool footer, bool read_subtotals) {
  if (!oWndL || oWndL->hWnd == nullptr) return;
  HWND hwnd = oWndL->hWnd;
  HDC dc = ::GetDC(hwnd);
  HBRUSH ground = ::CreateSolidBrush(params_.back);
  for (const auto& [on, band] : {std::pair{header, HeaderBand()}, std::pair{detail, DetailBand()},
                                 std::pair{footer, FooterBand()}}) {
    if (!on) continue;
    ::FillRect(dc, &band, ground);
    ::ValidateRect(hwnd, &band);
    // What a pass's note covered or left blank here is drawn now, not again after the pass.
    RECT rest{};
    if (::SubtractRect(&rest, &note_rect_, &band)) note_rect_ = rest;
    else note_rect_ = RECT{};
    if (::SubtractRect(&rest, &painted_in_pass_, &band)) painted_in_pass_ = rest;
    else painted_in_pass_ = RECT{};
  }
  ::DeleteObject(ground);
  DrawBands(dc, header, detail, footer, read_subtotals);
  ::ReleaseDC(hwnd, dc);
}

void TWList::DrawBands(HDC dc, bool header, bool detail, bool footer, bool read_subtotals) {
  AreaScope area(*this);
  DrawingOn on(*this, dc);
  if (header) {
    GoTo(aNReg.empty() ? Current().first : aNReg.front());
    Fire(kWinHeader, 0);
  }
  if (detail) DrawDetail(read_subtotals);
  if (footer) DrawFooter();
}

void TWList::DrawDetail(bool read_subtotals) {
  Extend(position_ + nRegDetalle);
  Temporarily first(lPrimeraPagina, pending_first_);
  Temporarily resize(lSTCResize, pending_resize_ && !pending_first_);
  pending_first_ = pending_resize_ = false;
  const bool writing = lPrimeraPagina || lSTCResize || (lPaginaDown && !lRangoSTC);
  if (params_.save_subtotals && read_subtotals) {
    SaveSubtotals();
    // What this drawing saves is written from the position's slot on.
    if ((lPrimeraPagina || lSTCResize) && oFileSTC && oFileSTC->IsOpen())
      oFileSTC->nSeek(position_ * TFileC::kNumberBytes * SubtotalValues());
  }
  const int saved = ::SaveDC(dc_);
  const RECT band = DetailBand();
  ::IntersectClipRect(dc_, band.left, band.top, band.right, band.bottom);
  aNReg.clear();
  for (int i = 0; i < nRegDetalle && position_ + i < KnownRecords(); ++i) {
    const std::int64_t record = RecordAt(position_ + i);
    GoTo(record);
    aNReg.push_back(record);
    Fire(kWinDetail, nLineasCabecera + i * nLineasReg);
  }
  ::RestoreDC(dc_, saved);
  if (writing) stc_written_ = std::max<std::int64_t>(stc_written_, position_ + static_cast<std::int64_t>(aNReg.size()));
  AfterMove();
}

void TWList::DrawFooter() {
  if (nLineasPie <= 0) return;
  GoTo(aNReg.empty() ? Current().first : aNReg.back());
  const bool last = RangeComplete() && position_ + nRegDetalle >= KnownRecords();
  Fire(last ? kWinFooter2 : kWinFooter, nLineasPagina - nLineasPie);
}

void TWList::DrawRecordNow(std::int64_t position, int slot) {
  HWND hwnd = oWndL->hWnd;
  HDC dc = ::GetDC(hwnd);
  const RECT slots = RecordSlots();
  RECT place{0, slots.top + slot * nLineasReg * yChar, nAncho, slots.top + (slot + 1) * nLineasReg * yChar};
  HBRUSH ground = ::CreateSolidBrush(params_.back);
  ::FillRect(dc, &place, ground);
  ::DeleteObject(ground);
  ::ValidateRect(hwnd, &place);
  struct Release {
    HWND hwnd;
    HDC dc;
    ~Release() { ::ReleaseDC(hwnd, dc); }
  } release{hwnd, dc};
  DrawingOn on(*this, dc);
  const RECT band = DetailBand();
  ::IntersectClipRect(dc, band.left, band.top, band.right, band.bottom);
  SaveSubtotals();
  GoTo(RecordAt(position));
  Fire(kWinDetail, nLineasCabecera + slot * nLineasReg);
}

// ---- long passes -----------------------------------------------------------------------------------------

namespace {
constexpr DWORD kPumpEvery = 50;     // ms between two looks at the window's messages
constexpr DWORD kNoteAfter = 300;    // ms of a pass before its note shows

std::string Thousands(std::int64_t n) {
  std::string digits = std::to_string(n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back('.');
    out.push_back(digits[i]);
  }
  return out;
}

std::string NoteText(std::int64_t done, bool stoppable) {
  return "Recorriendo el listado: " + Thousands(done) + " registros." + (stoppable ? " Esc para parar." : "");
}

bool IsInput(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK);
}
}  // namespace

std::string TWList::PassNote() const {
  if (!busy_ || ::IsRectEmpty(&note_rect_)) return {};
  return NoteText(pass_done_, stoppable_);
}

void TWList::CloseAfterPass() {
  close_after_pass_ = true;
  stop_pass_ = true;
}

bool TWList::PassGoing(std::int64_t done) {
  if (!busy_) return true;
  if (ended_ || (stop_pass_ && stoppable_)) return false;
  const DWORD now = ::GetTickCount();
  if (now - last_pump_ < kPumpEvery) return true;
  last_pump_ = now;
  pass_done_ = done;
  if (now - pass_start_ >= kNoteAfter && oWndL && oWndL->hWnd != nullptr && !::IsIconic(oWndL->hWnd)) {
    if (cursor_before_pass_ == nullptr) cursor_before_pass_ = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    HDC dc = ::GetDC(oWndL->hWnd);
    DrawPassNote(dc);
    ::ReleaseDC(oWndL->hWnd, dc);
  }
  PumpDuringPass();
  return !ended_ && !(stop_pass_ && stoppable_);
}

// The thread's messages while a pass runs: what paints, times and moves windows goes on; input
// to other windows, and the listing window's own clicks and keys, wait for the pass to end
// (they are dropped), except Escape, which stops it, and the system keys (Alt+F4 closes it).
void TWList::PumpDuringPass() {
  HWND own = oWndL ? oWndL->hWnd : nullptr;
  xb::Ref<TWList> keep(this);
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      stop_pass_ = true;
      return;
    }
    const bool ours = own != nullptr && (msg.hwnd == own || ::IsChild(own, msg.hwnd));
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && ours) {
      stop_pass_ = true;
      continue;
    }
    if (IsInput(msg.message)) {
      const bool system_key = msg.message == WM_SYSKEYDOWN || msg.message == WM_SYSKEYUP || msg.message == WM_SYSCHAR;
      const bool frame = msg.message >= WM_NCMOUSEMOVE && msg.message <= WM_NCXBUTTONDBLCLK;
      if (!ours || !(system_key || frame)) continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
    if (!oWndL) return;  // the window went
  }
}

// The pass's note, framed in the middle of the detail band.
void TWList::DrawPassNote(HDC dc) {
  if (!busy_ || !oWndL) return;
  const std::string text = NoteText(pass_done_, stoppable_);
  const int saved = ::SaveDC(dc);
  ::SelectObject(dc, font_);
  SIZE size{};
  ::GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
  const RECT band = DetailBand();
  const int width = size.cx + 24, height = size.cy + 16;
  const int left = std::max<int>(band.left, (band.left + band.right - width) / 2);
  const int top = std::max<int>(band.top, (band.top + band.bottom - height) / 2);
  RECT box{left, top, left + width, top + height};
  // The box only grows while the pass runs, so no piece of a longer text is left behind.
  if (!::IsRectEmpty(&note_rect_)) ::UnionRect(&box, &box, &note_rect_);
  note_rect_ = box;
  ::IntersectClipRect(dc, band.left, band.top, band.right, band.bottom);
  ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
  ::SelectObject(dc, ::GetStockObject(WHITE_BRUSH));
  ::Rectangle(dc, box.left, box.top, box.right, box.bottom);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(0, 0, 0));
  ::SetTextAlign(dc, TA_TOP | TA_CENTER);
  ::TextOutA(dc, (box.left + box.right) / 2, (box.top + box.bottom - size.cy) / 2, text.data(),
             static_cast<int>(text.size()));
  ::RestoreDC(dc, saved);
}

// ---- drawing called through the listing's block -------------------------------------------------------

void TWList::SayVentana(int row, int col, const Value& value, const std::string& picture, bool, bool, bool bold,
                        bool right, bool centre, std::optional<COLORREF> text, std::optional<COLORREF> back) {
  if (passing_) return;
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
  const int x = at * (bold_on_ ? bold_average_ : average_);  // the selected font's
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

Value TWList::Totales(const Value& value) {
  if (groups_.empty()) return Value();
  if (!value.IsNil()) Current().subtotal = value;
  return Current().subtotal;
}

// ---- moving vertically -----------------------------------------------------------------------------

void TWList::SaveSubtotals() {
  if (params_.save_subtotals) Fire(kWinSubtotals, 0);
}

int TWList::SubtotalValues() const {
  return uValIniSTC.IsArray() ? std::max<int>(1, static_cast<int>(uValIniSTC.AsArray().size())) : 1;
}

void TWList::AfterMove() {
  const auto drawn = static_cast<std::int64_t>(aNReg.size());
  lRango = RangeComplete();
  lSubTotal = lRango && position_ + drawn >= KnownRecords();
  lRangoSTC = params_.save_subtotals && lRango && stc_written_ >= KnownRecords();
  UpdateScrollBars();
}

void TWList::AllLeave() {
  for (std::size_t i = 0; i < aNReg.size(); ++i) {
    GoTo(aNReg[i]);
    Fire(kWinLeaves, nLineasCabecera + static_cast<int>(i) * nLineasReg);
  }
  aNReg.clear();
}

void TWList::PassTo(std::int64_t count) {
  if (!params_.save_subtotals) return;
  count = std::min(count, KnownRecords());
  if (stc_written_ >= count) return;
  LongPass pass(*this, true);
  // As a page down from the page whose last record is the last slot written: the listing
  // reads that slot back, then saves each record's subtotal in turn.
  {
    Temporarily at(position_, stc_written_ - nRegDetalle);
    Temporarily down(lPaginaDown, true);
    lRangoSTC = false;
    SaveSubtotals();
    Temporarily passing(passing_, true);
    for (std::int64_t s = stc_written_; s < count; ++s) {
      if (!PassGoing(s)) {
        count = s;  // stopped: the slots written so far
        break;
      }
      GoTo(RecordAt(s));
      Fire(kWinDetail, nLineasCabecera);
    }
  }
  stc_written_ = count;
}

void TWList::Settle() {
  if (pending_first_ || pending_resize_) DrawNow(true, true, true);
}

void TWList::LineDown() {
  if (!oWndL || ended_) return;
  AreaScope area(*this);
  Settle();
  const int r = nRegDetalle;
  if (static_cast<int>(aNReg.size()) < r) return;  // the range ends inside the window
  Extend(position_ + r + 1);
  if (position_ + r >= KnownRecords()) {
    AfterMove();
    return;
  }
  PassTo(position_ + r);
  if (params_.save_subtotals && stc_written_ < position_ + r) {  // the pass was stopped
    AfterMove();
    return;
  }
  GoTo(aNReg.front());
  Fire(kWinLeaves, nLineasCabecera);
  aNReg.erase(aNReg.begin());
  ++position_;
  {
    Temporarily down(lLineaDown, true);
    WinScroll(oWndL->hWnd, -nLineasReg * yChar, 0, RecordSlots());
    aNReg.push_back(RecordAt(position_ + r - 1));
    DrawRecordNow(position_ + r - 1, r - 1);
  }
  if (!lRangoSTC) stc_written_ = std::max<std::int64_t>(stc_written_, position_ + r);
  AfterMove();
}

void TWList::LineUp() {
  if (!oWndL || ended_ || position_ == 0) return;
  AreaScope area(*this);
  Settle();
  const int r = nRegDetalle;
  // Unless the window stands at the end of its range, the last record leaves.
  if (static_cast<int>(aNReg.size()) >= r) {
    GoTo(aNReg.back());
    Fire(kWinLeaves, nLineasCabecera + (r - 1) * nLineasReg);
    aNReg.pop_back();
  }
  --position_;
  {
    Temporarily up(lLineaUp, true);
    WinScroll(oWndL->hWnd, nLineasReg * yChar, 0, RecordSlots());
    aNReg.insert(aNReg.begin(), RecordAt(position_));
    DrawRecordNow(position_, 0);
  }
  AfterMove();
}

void TWList::PageDown() {
  if (!oWndL || ended_) return;
  AreaScope area(*this);
  Settle();
  const int r = nRegDetalle;
  Extend(position_ + 2 * r);
  std::int64_t target = std::min(position_ + r, LastPosition());
  if (target <= position_) {
    AfterMove();
    return;
  }
  AllLeave();
  if (target == position_ + r && (!params_.save_subtotals || stc_written_ >= position_ + r)) {
    // The listing reads the subtotal of the page's last record (before the position moves)
    // and saves each record of the new page in turn.
    Temporarily down(lPaginaDown, true);
    SaveSubtotals();
    position_ = target;
    DrawNow(false, true, true, false);
    return;
  }
  // Less than a page is left: the new records' subtotals are saved first (as far as the pass
  // got, when it was stopped).
  PassTo(target + r);
  if (params_.save_subtotals) target = std::max(position_, std::min(target, stc_written_));
  position_ = target;
  DrawNow(false, true, true);
}

void TWList::PageUp() {
  if (!oWndL || ended_ || position_ == 0) return;
  AreaScope area(*this);
  Settle();
  AllLeave();
  position_ = std::max<std::int64_t>(0, position_ - nRegDetalle);
  Temporarily up(lPaginaUp, true);
  DrawNow(false, true, true);
}

void TWList::ThumbTo(std::int64_t target) {
  if (!oWndL || ended_) return;
  AreaScope area(*this);
  Settle();
  {
    LongPass pass(*this, true);
    target = std::max<std::int64_t>(0, target);
    if (target > position_) {
      Extend(target + nRegDetalle);
      target = std::min(target, LastPosition());
    }
    if (target == position_) {
      AfterMove();
      return;
    }
    AllLeave();
    PassTo(target + nRegDetalle);
    // Stopped on the way: as far as the subtotals were passed.
    if (params_.save_subtotals) target = std::min(target, stc_written_);
    position_ = target;
  }
  DrawNow(false, true, true);
}

void TWList::Home() { ThumbTo(0); }

void TWList::EndOfListing() {
  if (!oWndL || ended_) return;
  // One pass: stopped while the records are found, the window goes as far as they got.
  LongPass pass(*this, true);
  {
    AreaScope area(*this);
    Extend(INT64_MAX);
  }
  ThumbTo(LastPosition());
}

// ---- moving sideways ---------------------------------------------------------------------------------

void TWList::CharRight(int n) {
  const int wide = nColsLinea > nColsVentana ? nColsLinea - nColsVentana : 0;
  const int to = std::clamp(h_position_ + n, 0, wide);
  if (to == h_position_) return;
  const int dx = (h_position_ - to) * average_;
  h_position_ = to;
  UpdateScrollBars();
  const RECT below{0, nPixBarra, nAncho, nAlto};
  if (std::abs(dx) * 2 >= nAncho) RepintaRec(oWndL->hWnd, below, true);
  else WinScroll(oWndL->hWnd, 0, dx, below);
}

void TWList::CharLeft(int n) { CharRight(-n); }

// ---- groups --------------------------------------------------------------------------------------------

void TWList::ShowGroupFromStart() {
  position_ = 0;
  aNReg.clear();
  if (oFileSTC && oFileSTC->IsOpen()) oFileSTC->nSeek(0);
  stc_written_ = 0;
  lRangoSTC = false;
  pending_first_ = true;
  pending_resize_ = false;
  EnableButton('A', group_ > 0);
  EnableButton('S', group_ + 1 < static_cast<int>(groups_.size()) || !all_groups_);
  DrawNow(true, true, true);
}

void TWList::NextGroup() {
  if (!oWndL || ended_ || !params_.group_navigation) return;
  AreaScope area(*this);
  Settle();
  lNewSubTotal = false;
  if (group_ + 1 < static_cast<int>(groups_.size())) {
    ++group_;
    GoTo(Current().first);
    Fire(kWinGroupAgain, 0);
    ShowGroupFromStart();
    return;
  }
  if (all_groups_) return;
  // The records of this group after the window's last are passed on to the listing (event
  // 10) until the next group starts or the listing ends. The search answers the window's
  // messages as it goes, to its end: the listing has been told that it started.
  Fire(kWinSearch, 0);
  GroupSeen& g = Current();
  {
    LongPass pass(*this, false);
    const std::int64_t from = position_ + static_cast<std::int64_t>(aNReg.size());
    for (std::int64_t s = from; s < KnownRecords(); ++s) {
      PassGoing(s - from);
      if (ended_) return;
      GoTo(RecordAt(s));
      Fire(kWinGroupRecord, 0);
    }
    while (!g.complete) {
      const std::int64_t before = KnownRecords();
      Extend(before + 1);
      if (KnownRecords() == before) break;
      PassGoing(before - from);
      if (ended_) return;
      GoTo(RecordAt(before));
      Fire(kWinGroupRecord, 0);
    }
  }
  if (all_groups_) {
    Fire(kWinSearch, -1);
    EnableButton('S', false);
    AfterMove();
    return;
  }
  GroupSeen next;
  next.first = next_group_first_;
  GoTo(next.first);
  next.key = Key();
  next.subtotal = Value::Integer(0);
  groups_.push_back(next);
  ++group_;
  Fire(kWinNewGroup, 0);
  ShowGroupFromStart();
  lNewSubTotal = true;
}

void TWList::PrevGroup() {
  if (!oWndL || ended_ || !params_.group_navigation || group_ == 0) return;
  AreaScope area(*this);
  Settle();
  lNewSubTotal = false;
  --group_;
  GoTo(Current().first);
  Fire(kWinGroupAgain, 0);
  ShowGroupFromStart();
}

void TWList::StartOver() {
  if (area_ > 0) xb::rdd::WorkAreas::Get().SelectArea(area_);
  GoTo(groups_.front().first);
  SetLineaL(0);
  SetPaginaL(0);
  Fire(kWinStartOver, 0);
  GoTo(groups_.front().first);
}

// ---- closing -------------------------------------------------------------------------------------------

void TWList::Close(bool destroy_window) {
  if (ended_ || !oWndL) return;
  xb::Ref<TWList> keep(this);  // the list of open windows may hold the last reference
  ended_ = true;
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
  if (destroy_window && window->hWnd != nullptr) ::DestroyWindow(window->hWnd);
  const bool main_there = main != nullptr && main != window->hWnd && ::IsWindow(main);
  if (main_there) ::SetFocus(main);
  if (listing_ends && !params_.end.IsNil()) {
    AreaScope area(*this);
    xb::EvalValue(params_.end, {});
  }
  if (main_there) ::ShowWindow(main, SW_SHOW);
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
  const std::int64_t p = position_, r = nRegDetalle;
  const std::int64_t slot_bytes = static_cast<std::int64_t>(TFileC::kNumberBytes) * n;
  // A slot is read or written in one call: its numbers' integers in order, so that the file
  // stands after the slot, as after each of its values in turn.
  auto read = [&](std::int64_t slot) {
    if (slot < 0) {
      // Before the first slot: the initial value, or zeros; the file stands at slot 0.
      if (array) {
        xb::Array items = subtotal.AsArray();
        for (int i = 0; i < n; ++i) {
          const Value initial = uValIniSTC.IsArray() ? uValIniSTC.AsArray().Get(static_cast<std::size_t>(i)) : Value();
          items[static_cast<std::size_t>(i)] = initial.IsNumber() ? initial : Value::Integer(0);
        }
      } else {
        subtotal = uValIniSTC.IsNumber() ? uValIniSTC : Value::Integer(0);
      }
      oFileSTC->nSeek(0);
      return;
    }
    oFileSTC->nSeek(slot * slot_bytes);
    Value bytes;
    oFileSTC->nRead(bytes, 'C', static_cast<int>(slot_bytes));
    const std::string_view got = bytes.IsString() ? bytes.AsString() : std::string_view();
    for (int i = 0; i < n; ++i) {
      std::int32_t parts[3] = {};
      const std::size_t at = static_cast<std::size_t>(i) * TFileC::kNumberBytes;
      if (got.size() >= at + TFileC::kNumberBytes) std::memcpy(parts, got.data() + at, TFileC::kNumberBytes);
      const Value v = Value::Number(JoinNumber(parts));
      if (array) subtotal.AsArray()[static_cast<std::size_t>(i)] = v;
      else subtotal = v;
    }
  };
  auto write = [&](std::optional<std::int64_t> slot) {
    std::string bytes(static_cast<std::size_t>(slot_bytes), '\0');
    for (int i = 0; i < n; ++i) {
      const Value v = array ? subtotal.AsArray().Get(static_cast<std::size_t>(i)) : subtotal;
      std::int32_t parts[3];
      SplitNumber(v.IsNumber() ? v.AsDouble() : 0, parts);
      std::memcpy(bytes.data() + static_cast<std::size_t>(i) * TFileC::kNumberBytes, parts, TFileC::kNumberBytes);
    }
    if (slot) oFileSTC->nSeek(*slot * slot_bytes);
    oFileSTC->nWrite(Value::String(bytes));
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
bool LWinOwn() { return g_window_made; }

void WListFin() {
  if (TWList* list = g_drawn) {
    auto& open = Open();
    open.erase(std::remove_if(open.begin(), open.end(), [list](const xb::Ref<TWList>& w) { return w.get() == list; }),
               open.end());
  }
}

}  // namespace output
