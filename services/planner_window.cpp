#include "services/planner_window.h"

#include <algorithm>
#include <map>

#include "data/data_ui.h"
#include "data/field_checks.h"
#include "data/program_settings.h"
#include "data/record_helpers.h"
#include "data/table_access.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/lib/strings.h"
#include "runtime/rdd/workareas.h"
#include "services/dialog_helpers.h"
#include "services/hot_keys.h"
#include "services/layouts.h"
#include "services/menu_access.h"
#include "services/planner_tables.h"
#include "services/table_helpers.h"
#include "services/window_fit.h"
#include "ui/bridge/image_strip.h"
#include "ui/bridge/message_loop.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/core/help.h"
#include "ui/core/tbar.h"
#include "ui/core/tmenuitem.h"
#include "ui/core/ttimer.h"
#include "ui/core/window_table.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

constexpr const char* kOption = "PlannWin";
constexpr const char* kWindowTitle = " Planning";
constexpr int kHelpTopic = 999000008;
constexpr int kPlannerDialog = 20054;
constexpr int kSearchDialog = 20052;
constexpr int kCalendarFrame = 300;
constexpr int kFirstKey = 400;
constexpr int kFirstKeyText = 410;
constexpr int kBlinkTick = 750;
constexpr int kWindowInset = 30;
constexpr const char* kMonthNames[] = {"Ene", "Feb", "Mar", "Abr", "May", "Jun",
                                       "Jul", "Ago", "Sep", "Oct", "Nov", "Dic"};

PlannerDialog* g_dialog = nullptr;
xb::Ref<ui::TMdiChild> g_window;

bool LevelTwo() { return cAccesoMenu(kOption) == "2"; }

xb::rdd::WorkArea* AliasArea(const char* alias) {
  xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
  const int number = areas.AreaOfAlias(alias);
  return number != 0 ? areas.Area(number) : nullptr;
}

Value AreaField(const char* alias, const char* field) {
  xb::rdd::WorkArea* area = AliasArea(alias);
  if (area == nullptr || !area->used()) return Value();
  const int pos = area->FieldPos(field);
  return pos != 0 ? area->GetField(pos) : Value();
}

int CurrentYear() {
  const Value today = xb::CallFunction("YEAR", {xb::CallFunction("DATE")});
  return today.IsNumber() ? static_cast<int>(today.AsInt()) : 2000;
}

// The wait notice of the drawing, modeless; closed by its owner.
ui::DialogRef WaitNotice() {
  ui::DialogRef wait = ResourceDialog(Value::String("ESPERAR"));
  Picture(wait, 100, "BMP_INFORMACION");
  Label(wait, 101, "Cargando planning...");
  wait->Activate({.centered = true, .modal = false});
  ui::SysRefresh();
  return wait;
}

void CloseNotice(const ui::DialogRef& wait) {
  if (wait && wait->hWnd != nullptr) {
    ::DestroyWindow(wait->hWnd);
    ui::SysRefresh();
  }
}

}  // namespace

PlannerDialog* OpenPlannerDialog() { return g_dialog; }

PlannerDialog::PlannerDialog(PlannerMode mode, bool may_edit_concepts)
    : mode_(mode), may_edit_concepts_(may_edit_concepts) {}

PlannerDialog::~PlannerDialog() {
  if (g_dialog == this) g_dialog = nullptr;
  if (memory_ != nullptr) {
    ::SelectObject(memory_, old_bitmap_);
    ::DeleteDC(memory_);
  }
  if (bitmap_ != nullptr) ::DeleteObject(bitmap_);
}

bool PlannerDialog::Run() {
  if (mode_ == PlannerMode::kAdd) {
    title_value_ = ui::SetGet::Of(Value::String(std::string(35, ' ')));
    LoadYear(CurrentYear());
  } else {
    const Planner p = CurrentPlanner();
    xb::rdd::WorkArea* area = AliasArea(kPlannerAlias);
    if (area == nullptr || area->eof()) return false;
    record_ = area->recno();
    title_value_ = ui::SetGet::Of(Value::String(p.title));
    year_ = p.year;
    months_ = p.months;
  }
  year_value_ = ui::SetGet::Of(Value::Integer(year_));
  dialog_ = ResourceDialog(Value::Integer(kPlannerDialog), std::nullopt, kHelpTopic);
  MakeControls();
  g_dialog = this;
  RunDialog(dialog_, [this] {
    Init();
    return true;
  });
  StopRange();
  g_dialog = nullptr;
  return saved_;
}

void PlannerDialog::MakeControls() {
  const bool adding = mode_ == PlannerMode::kAdd;
  const Value when_adding(xb::Block::Native([adding](Args&) { return Value::Logical(adding); }));
  title_get_ = xb::MakeRef<ui::TGet>();
  title_get_->ReDefine(103, {.set_get = title_value_.block, .parent = dialog_, .picture = "@K", .when = when_adding});
  year_get_ = xb::MakeRef<ui::TGet>();
  year_get_->ReDefine(102, {.set_get = year_value_.block,
                            .parent = dialog_,
                            .picture = "9999",
                            .valid = Value(xb::Block::Native([this](Args&) {
                              // A year left at 0 is refused when saving, which says so.
                              const int year = static_cast<int>(year_value_.Get().AsInt());
                              if (year < 1 || year > 9999) return Value::Logical(true);
                              if (year != year_) {
                                LoadYear(year);
                                Draw();
                                Repaint();
                              }
                              return Value::Logical(true);
                            })),
                            .when = when_adding});
  const Value line(xb::Block::Native([](Args&) {
    const Value colour = AreaField(kConceptAlias, "NCOLOR");
    Value picture;
    if (const auto image = ui::ImageStrip::Shared().Load(planner::SwatchFor(colour.IsNumber() ? colour.AsInt() : -1)))
      picture = Value(xb::Array::Of({Value::Integer(image->slot), Value::Integer(image->width),
                                     Value::Integer(image->height)}));
    return Value(xb::Array::Of({picture, AreaField(kConceptAlias, "CCONCEP")}));
  }));
  browse_ = xb::MakeRef<ui::TWBrowse>();
  browse_->ReDefine(107, {.line = line,
                          .parent = dialog_,
                          .headers = Value(xb::Array::Of({Value::String("Color"), Value::String("Descripción")})),
                          .col_sizes = Value(xb::Array::Of({Value::Integer(40), Value::Integer(140)})),
                          .change = Action([this] { StopRange(); }),
                          .dbl_click = Action([this] { EditConcept(); }),
                          .alias = std::string(kConceptAlias)});
  for (int i = 0; i < 5; ++i) Label(dialog_, kFirstKeyText + i, "");
  auto save = Button(dialog_, 550, [this] {
    if (Save()) dialog_->End(IDOK);
  });
  const bool viewing = mode_ == PlannerMode::kView;
  save->bWhen = Value(xb::Block::Native([viewing](Args&) { return Value::Logical(!viewing); }));
  Button(dialog_, 551, [this] { dialog_->End(IDCANCEL); });
  Button(dialog_, 540, [] { ui::HelpTopic(Value::Integer(kHelpTopic)); });
}

void PlannerDialog::Init() {
  HWND frame = ::GetDlgItem(dialog_->hWnd, kCalendarFrame);
  if (frame != nullptr) {
    RECT r;
    ::GetWindowRect(frame, &r);
    ::MapWindowPoints(nullptr, dialog_->hWnd, reinterpret_cast<POINT*>(&r), 2);
    ::ShowWindow(frame, SW_HIDE);  // the calendar is painted in its place
    frame_ = {r.left, r.top, r.left + kPlannerLabels + planner::kDaysPerRow * kPlannerCell,
              r.top + kPlannerHeader + 12 * kPlannerCell};
  }
  for (int i = 0; i < 5; ++i)
    if (HWND key = ::GetDlgItem(dialog_->hWnd, kFirstKey + i)) ::ShowWindow(key, SW_HIDE);
  dialog_->bPainted = Value(xb::Block::Native([this](Args& a) {
    Paint(reinterpret_cast<HDC>(static_cast<std::intptr_t>(a.Int(1))));
    return Value();
  }));
  dialog_->bLClicked = Value(xb::Block::Native([this](Args& a) {
    Click(static_cast<int>(a.Int(2)), static_cast<int>(a.Int(1)), (a.Int(3) & MK_SHIFT) != 0);
    return Value();
  }));
  ShowKeys();
  const ui::DialogRef wait = WaitNotice();
  Draw();
  CloseNotice(wait);
  ::SetForegroundWindow(dialog_->hWnd);
  Repaint();
}

void PlannerDialog::LoadYear(int year) {
  year_ = year;
  months_ = planner::NewYear(year);
  StopRange();
}

bool PlannerDialog::Save() {
  if (mode_ == PlannerMode::kView) return false;
  if (mode_ == PlannerMode::kAdd) {
    title_get_->Assign();
    year_get_->Assign();
    const std::string title(xb::AllTrim(title_value_.Get().AsString()));
    const int year = static_cast<int>(year_value_.Get().AsInt());
    if (!data::lNotEmpty(Value::String(title), "El título del planning no puede quedar vacío")) {
      title_get_->SetFocus();
      return false;
    }
    if (!data::lNotEmpty(Value::Integer(year < 1 ? 0 : year), "El año del planning no puede quedar vacío")) {
      year_get_->SetFocus();
      return false;
    }
    if (year != year_) LoadYear(year);
    saved_ = AddPlanner({title, year_, months_});
    return saved_;
  }
  xb::rdd::WorkArea* area = AliasArea(kPlannerAlias);
  if (area == nullptr) return false;
  area->GoTo(record_);
  saved_ = SavePlanner(months_);
  return saved_;
}

COLORREF PlannerDialog::ColourOf(char key) const {
  const auto found = colours_.find(key);
  return found != colours_.end() ? found->second : RGB(255, 255, 255);
}

void PlannerDialog::ShowKeys() {
  const std::vector<ConceptRow> concepts = ReadConcepts();
  for (int i = 0; i < 5; ++i) {
    HWND text = ::GetDlgItem(dialog_->hWnd, kFirstKeyText + i);
    if (text != nullptr) ::SetWindowTextA(text, i < static_cast<int>(concepts.size()) ? concepts[i].text.c_str() : "");
  }
}

void PlannerDialog::Draw() {
  const int width = kPlannerLabels + planner::kDaysPerRow * kPlannerCell + 1;
  const int height = kPlannerHeader + 12 * kPlannerCell + 1;
  if (memory_ == nullptr) {
    HDC screen = ::GetDC(nullptr);
    memory_ = ::CreateCompatibleDC(screen);
    bitmap_ = ::CreateCompatibleBitmap(screen, width, height);
    ::ReleaseDC(nullptr, screen);
    old_bitmap_ = ::SelectObject(memory_, bitmap_);
  }
  colours_.clear();
  for (const ConceptRow& c : ReadConcepts()) colours_[c.key] = static_cast<COLORREF>(c.colour);
  RECT all{0, 0, width, height};
  ::FillRect(memory_, &all, ::GetSysColorBrush(COLOR_BTNFACE));
  ::SetBkMode(memory_, TRANSPARENT);
  HGDIOBJ old_font = ::SelectObject(memory_, ::GetStockObject(DEFAULT_GUI_FONT));
  ::SetTextColor(memory_, RGB(0, 0, 0));
  for (int d = 1; d <= planner::kDaysPerRow; ++d) {
    RECT r{kPlannerLabels + (d - 1) * kPlannerCell, 0, kPlannerLabels + d * kPlannerCell, kPlannerHeader};
    const std::string number = std::to_string(d);
    ::DrawTextA(memory_, number.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  for (int m = 1; m <= 12; ++m) {
    RECT r{2, kPlannerHeader + (m - 1) * kPlannerCell, kPlannerLabels, kPlannerHeader + m * kPlannerCell};
    ::DrawTextA(memory_, kMonthNames[m - 1], -1, &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    for (int d = 1; d <= planner::DaysInMonth(year_, m); ++d) DrawCell(memory_, m, d, false);
  }
  ::SelectObject(memory_, old_font);
}

void PlannerDialog::DrawCell(HDC dc, int month, int day, bool blink_white) const {
  if (!planner::IsDay(year_, month, day)) return;
  const int x = kPlannerLabels + (day - 1) * kPlannerCell;
  const int y = kPlannerHeader + (month - 1) * kPlannerCell;
  RECT cell{x, y, x + kPlannerCell + 1, y + kPlannerCell + 1};
  HBRUSH fill = ::CreateSolidBrush(ColourOf(planner::ConceptAt(months_, year_, month, day)));
  ::FillRect(dc, &cell, fill);
  ::DeleteObject(fill);
  ::FrameRect(dc, &cell, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
  const char letter[2] = {planner::WeekdayLetter(year_, month, day), '\0'};
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, blink_white ? RGB(255, 255, 255) : RGB(0, 0, 0));
  HGDIOBJ old_font = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
  ::DrawTextA(dc, letter, 1, &cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  ::SelectObject(dc, old_font);
}

void PlannerDialog::Paint(HDC dc) {
  if (memory_ == nullptr || dc == nullptr) return;
  ::BitBlt(dc, frame_.left, frame_.top, frame_.right - frame_.left + 1, frame_.bottom - frame_.top + 1, memory_, 0, 0,
           SRCCOPY);
  // The colour keys of the first five concepts.
  const std::vector<ConceptRow> concepts = ReadConcepts();
  for (int i = 0; i < 5 && i < static_cast<int>(concepts.size()); ++i) {
    HWND key = ::GetDlgItem(dialog_->hWnd, kFirstKey + i);
    if (key == nullptr) continue;
    RECT r;
    ::GetWindowRect(key, &r);
    ::MapWindowPoints(nullptr, dialog_->hWnd, reinterpret_cast<POINT*>(&r), 2);
    HBRUSH fill = ::CreateSolidBrush(static_cast<COLORREF>(concepts[i].colour));
    ::FillRect(dc, &r, fill);
    ::DeleteObject(fill);
    ::FrameRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  }
}

void PlannerDialog::Repaint() {
  if (dialog_ && dialog_->hWnd != nullptr) {
    ::InvalidateRect(dialog_->hWnd, nullptr, TRUE);
    ::UpdateWindow(dialog_->hWnd);
  }
}

bool PlannerDialog::CellAt(int x, int y, int* month, int* day) const {
  const int cx = x - frame_.left - kPlannerLabels;
  const int cy = y - frame_.top - kPlannerHeader;
  if (cx < 0 || cy < 0) return false;
  *day = cx / kPlannerCell + 1;
  *month = cy / kPlannerCell + 1;
  return *day <= planner::kDaysPerRow && *month <= 12;
}

POINT PlannerDialog::CellCentre(int month, int day) const {
  return {frame_.left + kPlannerLabels + (day - 1) * kPlannerCell + kPlannerCell / 2,
          frame_.top + kPlannerHeader + (month - 1) * kPlannerCell + kPlannerCell / 2};
}

COLORREF PlannerDialog::CellColour(int month, int day) const {
  if (memory_ == nullptr) return CLR_INVALID;
  // A corner of the cell, clear of its letter.
  return ::GetPixel(memory_, kPlannerLabels + (day - 1) * kPlannerCell + 2,
                    kPlannerHeader + (month - 1) * kPlannerCell + 2);
}

char PlannerDialog::SelectedConcept() const {
  const Value key = AreaField(kConceptAlias, "CCLAVE");
  return key.IsString() && !key.AsString().empty() ? key.AsString()[0] : ' ';
}

void PlannerDialog::Click(int x, int y, bool shift) {
  if (mode_ == PlannerMode::kView) return;
  int month = 0, day = 0;
  if (!CellAt(x, y, &month, &day) || !planner::IsDay(year_, month, day)) return;
  const char key = SelectedConcept();
  if (key == ' ') return;
  if (shift && range_pending_) {
    const int from_month = range_month_, from_day = range_day_;
    StopRange();
    planner::MarkRange(months_, year_, from_month, from_day, month, day, key);
  } else if (shift) {
    planner::MarkDay(months_, year_, month, day, key);
    range_pending_ = true;
    range_month_ = month;
    range_day_ = day;
    blink_white_ = false;
    auto timer = ui::TTimer::New(kBlinkTick, Action([this] { Blink(); }), dialog_.get());
    timer->Activate();
    blink_timer_ = xb::ObjectRef(timer);
  } else {
    StopRange();
    planner::MarkDay(months_, year_, month, day, key);
  }
  Draw();
  Repaint();
}

void PlannerDialog::Blink() {
  if (!range_pending_ || memory_ == nullptr) return;
  blink_white_ = !blink_white_;
  DrawCell(memory_, range_month_, range_day_, blink_white_);
  Repaint();
}

void PlannerDialog::StopRange() {
  if (blink_timer_) {
    if (auto* timer = dynamic_cast<ui::TTimer*>(blink_timer_.get())) timer->End();
    blink_timer_ = {};
  }
  if (range_pending_ && memory_ != nullptr) {
    range_pending_ = false;
    DrawCell(memory_, range_month_, range_day_, false);
    Repaint();
  }
  range_pending_ = false;
}

void PlannerDialog::EditConcept() {
  if (!may_edit_concepts_) return;
  const char key = SelectedConcept();
  if (key == ' ') return;
  Value text = AreaField(kConceptAlias, "CCONCEP");
  if (!browse_->lEditCol(2, text)) return;
  SaveConceptText(key, text.IsString() ? text.AsString() : std::string_view());
  browse_->Refresh();
  ShowKeys();
  Draw();
  Repaint();
}

// ---- the planner window ---------------------------------------------------------------------

namespace {

struct BarAction {
  const char* picture;
  const char* tooltip;
  bool needs_level_two;
};

constexpr BarAction kBarActions[] = {
    {"PBMPMAR1", "(A)ñadir planning", true},
    {"PBMPSAV1", "(M)odificar planning", true},
    {"PBMPREM1", "(E)liminar planning", true},
    {"LUPA", "(Z)oom, visualizar planning", false},
    {"PBMPFIN1", "(L)ocalizar planning", false},
    {"PBMPFON1", "(F)uentes, selecionar tipo de letra", false},
    {"PBMPEND1", "(S)alir y abandonar planning", false},
};
constexpr const char* kHotKeys = "AMEZLFS";

class PlannerWindowState {
 public:
  xb::Ref<ui::TMdiChild> window;
  xb::Ref<ui::TBar> bar;
  xb::Ref<ui::TWBrowse> browse;

  void Refresh() {
    if (!browse) return;
    browse->Refresh();
    browse->SetFocus();
  }

  void OpenDialog(PlannerMode mode) {
    if (mode != PlannerMode::kAdd) {
      xb::rdd::WorkArea* area = AliasArea(kPlannerAlias);
      if (area == nullptr || area->eof()) return;
    }
    PlannerDialog dialog(mode, LevelTwo());
    dialog.Run();
    Refresh();
  }

  void Delete() {
    SelectedAreaScope keep;
    xb::rdd::WorkAreas& areas = xb::rdd::WorkAreas::Get();
    areas.SelectArea(areas.AreaOfAlias(kPlannerAlias));
    if (Area().eof() || !data::lNetRecLock()) return;
    data::lDelRecord(Value(xb::ObjectRef(browse)));
    Area().Commit();
    Area().Unlock();
    Refresh();
  }

  void Search() {
    ui::DialogRef dialog = ResourceDialog(Value::Integer(kSearchDialog), " Localizar planning");
    ui::SetGet title = ui::SetGet::Of(Value::String(std::string(35, ' ')));
    ui::SetGet year = ui::SetGet::Of(Value::String("    "));
    auto title_get = xb::MakeRef<ui::TGet>();
    title_get->ReDefine(101, {.set_get = title.block, .parent = dialog, .picture = "@K"});
    auto year_get = xb::MakeRef<ui::TGet>();
    year_get->ReDefine(102, {.set_get = year.block, .parent = dialog, .picture = "9999"});
    Button(dialog, 550, [&] { dialog->End(IDOK); });
    Button(dialog, 551, [&] { dialog->End(IDCANCEL); });
    if (RunDialog(dialog) != IDOK) return;
    const std::string text(xb::AllTrim(title.Get().AsString()));
    const std::string year_text(xb::AllTrim(year.Get().IsString() ? year.Get().AsString() : ""));
    if (text.empty() && year_text.empty()) return;
    FindPlanner(text.empty() ? year_text : text, text.empty());
    Refresh();
  }

  void Close() {
    if (window && window->hWnd != nullptr) window->End();
  }

  void Run(int index) {
    switch (index) {
      case 0: OpenDialog(PlannerMode::kAdd); break;
      case 1: OpenDialog(PlannerMode::kModify); break;
      case 2: Delete(); break;
      case 3: OpenDialog(PlannerMode::kView); break;
      case 4: Search(); break;
      case 5:
        if (browse) browse->SelFont();
        break;
      case 6: Close(); break;
    }
  }
};

PlannerWindowState& WindowState() {
  static auto* state = new PlannerWindowState();
  return *state;
}

}  // namespace

ui::TMdiChild* PlannerWindow() {
  PlannerWindowState& s = WindowState();
  return s.window && s.window->hWnd != nullptr ? s.window.get() : nullptr;
}

ui::TWBrowse* PlannerBrowse() { return PlannerWindow() != nullptr ? WindowState().browse.get() : nullptr; }

void PlannWin() {
  PlannerWindowState& s = WindowState();
  // Its option chosen again while the window is open (its item checked) closes it.
  int position = 0;
  const Value open_window = PlannerWindow() != nullptr ? Value(xb::ObjectRef(s.window)) : Value();
  if (!lChkMenu(kOption, &position, open_window)) return;
  if (PlannerWindow() != nullptr) {  // open, though its option's item is not checked
    ::BringWindowToTop(s.window->hWnd);
    return;
  }
  if ((!FileExists(DbfOf(PlannWinTable())) || !FileExists(DbfOf(ConcPlanTable()))) && !CreaPlannWin()) return;
  if (!OpenPlannerTables()) return;

  ui::TMdiChild::NewParams params = InsetMdiChild(kWindowTitle, kWindowInset);
  params.help_id = kHelpTopic;
  s.window = xb::MakeRef<ui::TMdiChild>();
  s.window->New(params);

  ui::TBar::NewParams bar_params;
  s.bar = ui::TBar::New(*s.window, bar_params);
  for (int i = 0; i < static_cast<int>(std::size(kBarActions)); ++i) {
    const BarAction& a = kBarActions[i];
    ui::TBtnBmp::BarParams b;
    b.pictures.resource1 = a.picture;
    b.tooltip = a.tooltip;
    b.message = a.tooltip;
    b.action = Action([i] { WindowState().Run(i); });
    if (a.needs_level_two) b.when = Value(xb::Block::Native([](Args&) { return Value::Logical(LevelTwo()); }));
    b.group = i == 6;
    ui::TBtnBmp::NewBar(*s.bar, b);
  }

  const Value line(xb::Block::Native([](Args&) {
    return Value(xb::Array::Of({AreaField(kPlannerAlias, "CTITULO"), AreaField(kPlannerAlias, "CANIO")}));
  }));
  ui::TWBrowse::NewParams browse_params;
  browse_params.line = line;
  browse_params.headers = Value(xb::Array::Of({Value::String("Título"), Value::String("Año")}));
  browse_params.col_sizes = Value(xb::Array::Of({Value::Integer(250), Value::Integer(60)}));
  browse_params.parent = s.window;
  browse_params.alias = std::string(kPlannerAlias);
  browse_params.pixel = true;
  browse_params.dbl_click = Action([] { WindowState().Run(3); });
  browse_params.r_clicked = Value(xb::Block::Native([](Args& a) {
    PlannerWindowState& state = WindowState();
    PopupMenu(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), state.browse.get(),
              Value(xb::ObjectRef(state.bar)), kHotKeys);
    return Value();
  }));
  s.browse = ConfBrwNew(browse_params);
  // Typed characters, not key codes: F4 or Insert must not pass for a letter.
  s.browse->bKeyChar = Value(xb::Block::Native([](Args& a) {
    const bool clicked = ActKeys(static_cast<int>(a.Int(1)), Value(xb::ObjectRef(WindowState().bar)), kHotKeys, "M");
    return clicked ? Value::Integer(0) : Value();
  }));
  SetBrowse(*s.window, *s.browse, s.bar.get(), {});
  s.window->bResized = Value(xb::Block::Native([](Args&) {
    PlannerWindowState& state = WindowState();
    if (state.window && state.browse) SetBrowse(*state.window, *state.browse, state.bar.get(), {});
    return Value();
  }));

  // The option's item stays checked while its window is open.
  auto check = [position](bool on) {
    if (const MenuOption* option = MenuOptionAt(position); option != nullptr && option->item) option->item->SetCheck(on);
  };
  check(true);
  ui::TWindow::ActivateParams activate;
  activate.valid = Value(xb::Block::Native([check](Args&) {
    PlannerWindowState& state = WindowState();
    if (state.window && state.browse) ConfBrowse(*state.window, {state.browse.get()});
    ClosePlannerTables();
    check(false);
    return Value::Logical(true);
  }));
  RestoreWindow(*s.window);
  s.window->Activate(activate);
  s.browse->SetFocus();
}

void RegisterPlannerWindowFunctions() {
  xb::RegisterFunction("PLANNWIN", [](Args&) {
    PlannWin();
    return Value();
  });
}

}  // namespace svc
