#include "app/program/progress_dialog.h"

#include <algorithm>
#include <memory>

#include "app/org/organisation_state.h"
#include "app/org/phase_marks.h"
#include "data/program_settings.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "ui/bridge/cursors.h"
#include "ui/bridge/message_loop.h"
#include "ui/core/tfont.h"

namespace app {
namespace {

using xb::Value;

constexpr int kHelpTopic = 820000000;
constexpr int kFirstCheckBox = 301;
constexpr int kFirstMeterControl = 100;  // meter n is control 100 + n
constexpr int kStartButton = 552;
constexpr int kCloseButton = 553;
constexpr int kLabels[] = {100, 91, 92};
constexpr DWORD kPumpIntervalMs = 40;

ProgressDialog* g_current = nullptr;

// INDEXDATA's indexer and the events it reports to (the open dialog's, else its own).
struct IndexDataState {
  ReportingEvents loose_events;
  std::unique_ptr<CatalogueIndexer> indexer;
  OrganiserEvents* events = nullptr;
};
IndexDataState& IndexData() {
  static IndexDataState state;
  return state;
}

Value Action(std::function<void()> fn) {
  return Value(xb::Block::Native([fn = std::move(fn)](xb::Args&) {
    fn();
    return Value();
  }));
}

// INDEXBAR keeps the hourglass over the whole dialog while the organisation runs: the
// controls ask their parent first, and the dialog answers for them.
class IndexBarDialog final : public ui::TDialog {
 public:
  explicit IndexBarDialog(const ProgressDialog& progress) : progress_(progress) {}
  ui::Answer HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) override {
    if (message == WM_SETCURSOR && progress_.running()) {
      ui::CursorWait();
      return ui::Answer::Number(TRUE);
    }
    return TDialog::HandleEvent(message, wparam, lparam);
  }

 private:
  const ProgressDialog& progress_;
};

// The colour of the group label: the user's label colour when the module that keeps it is
// there, else the dialog's text colour.
std::optional<COLORREF> LabelColour() {
  if (!xb::IsFunctionRegistered("NCLRSAY")) return std::nullopt;
  const Value colour = xb::CallFunction("NCLRSAY");
  if (!colour.IsNumber()) return std::nullopt;
  return static_cast<COLORREF>(colour.AsInt());
}

ui::WindowRef MainWindow() {
  const Value& window = data::oWnd();
  if (!window.IsObject()) return {};
  return ui::WindowRef(dynamic_cast<ui::TWindow*>(window.AsObject().get()));
}

}  // namespace

ProgressDialog::ProgressDialog(ui::WindowRef browse) : browse_(std::move(browse)) {
  const bool starting[] = {true, true, true, true, false};
  for (std::size_t i = 0; i < options_.size(); ++i) options_[i] = ui::SetGet::Of(Value::Logical(starting[i]));
  for (ui::SetGet& value : values_) value = ui::SetGet::Of(Value::Integer(0));
  CloseIndexDataTable();  // the last table indexed is forgotten when the dialog opens
  previous_ = g_current;
  g_current = this;
}

ProgressDialog::~ProgressDialog() {
  CloseIndexDataTable();
  g_current = previous_;
}

ProgressDialog* ProgressDialog::Current() { return g_current; }

OrganiseOptions ProgressDialog::Options() const {
  OrganiseOptions o;
  o.auxiliary = options_[0].Get().AsLogical();
  o.masters = options_[1].Get().AsLogical();
  o.documents = options_[2].Get().AsLogical();
  o.accumulators = options_[3].Get().AsLogical();
  o.risk = options_[4].Get().AsLogical();
  return o;
}

int ProgressDialog::MeterValue(int meter) const {
  if (meter < 1 || meter > kMeterCount) return 0;
  return static_cast<int>(values_[static_cast<std::size_t>(meter - 1)].Get().AsDouble());
}

void ProgressDialog::Build() {
  dialog_ = xb::MakeRef<IndexBarDialog>(*this);
  ui::TFont::Spec font;
  font.face = std::string(data::cFontName());
  font.width = data::nFontVSize();
  font.height = data::nFontHSize();
  ui::TDialog::NewParams p;
  p.resource = Value::String("INDEXBAR");
  p.parent = MainWindow();
  p.font = ui::TFont::New(font);
  p.help_id = kHelpTopic;
  dialog_->New(p);

  // The 155 meters are one window: the template's meter items give way to it.
  meters_ = xb::MakeRef<ui::TMeterGroup>();
  dialog_->edit_template = [group = meters_.get()](std::string_view t) {
    return group->TakeMeters(t, kFirstMeterControl + 1);
  };
  meters_->ReDefine(kFirstMeterControl + 1, dialog_);
  for (int i = 0; i < kMeterCount; ++i) {
    meters_->Meter({.id = kFirstMeterControl + 1 + i,
                    .set_get = values_[static_cast<std::size_t>(i)].block,
                    .total = 100,
                    .parent = dialog_,
                    .no_percentage = true,
                    .clr_pane = GetSysColor(COLOR_BTNFACE),
                    .clr_text = GetSysColor(COLOR_BTNSHADOW),
                    .clr_bar = GetSysColor(COLOR_HIGHLIGHT),
                    .clr_bar_text = GetSysColor(COLOR_HIGHLIGHTTEXT)});
  }
  for (int i = 0; i < 5; ++i) {
    auto check = xb::MakeRef<ui::TCheckBox>();
    check->ReDefine({.id = kFirstCheckBox + i, .set_get = options_[static_cast<std::size_t>(i)].block, .parent = dialog_});
    checks_.push_back(check);
  }
  for (std::size_t i = 0; i < labels_.size(); ++i) {
    labels_[i] = xb::MakeRef<ui::TSay>();
    ui::TSay::ReDefineParams say;
    say.id = kLabels[i];
    say.parent = dialog_;
    if (i > 0) say.clr_text = LabelColour();
    labels_[i]->ReDefine(say);
  }
  start_ = xb::MakeRef<ui::TButton>();
  start_->ReDefine({.id = kStartButton, .action = Action([this] { Start(); }), .parent = dialog_});
  close_ = xb::MakeRef<ui::TButton>();
  close_->ReDefine({.id = kCloseButton, .action = Action([this] { dialog_->End(); }), .parent = dialog_});
}

void ProgressDialog::Run(bool start_at_once) {
  // In parameter mode the dialog opens as the window has just been painted for the first
  // time: the browse shows the companies as they are.
  if (!ParameterMode()) RefreshBrowse();
  SetCursor(ui::CursorArrow());
  Build();
  ui::TDialog::ActivateParams p;
  p.centered = true;
  p.valid = Value(xb::Block::Native([this](xb::Args&) { return Value::Logical(!running_); }));
  if (start_at_once) {
    // The start button's own action, once the dialog shows.
    dialog_->bStart = Action([this] {
      PostMessageA(dialog_->hWnd, WM_COMMAND, MAKEWPARAM(kStartButton, BN_CLICKED),
                   reinterpret_cast<LPARAM>(start_->hWnd));
    });
  }
  dialog_->Activate(p);
  meters_ = nullptr;
  checks_.clear();
  for (auto& label : labels_) label = nullptr;
  start_ = close_ = nullptr;
  dialog_ = nullptr;
}

void ProgressDialog::Start() {
  if (started_) return;
  started_ = running_ = true;
  MarkPhase("arranque");
  CloseIndexDataTable();
  ui::CursorWait();
  OrganiseMarkedCompanies(Options(), *this, *this);
  running_ = false;
  RefreshBrowse();  // on the company it stood on, not on the end of the table
  SetCursor(ui::CursorArrow());
  if (dialog_) dialog_->End(IDOK);
}

void ProgressDialog::RefreshBrowse() {
  if (browse_ && browse_->hWnd) browse_->Refresh();
}

void ProgressDialog::Title(std::string_view title) {
  ui::TSay* label = labels_[1].get();
  if (!label || title == title_) return;
  title_ = std::string(title);
  label->SetText(Value::String(title));
  if (label->hWnd) UpdateWindow(label->hWnd);
}

// A meter's new value is painted by the next pump: the engine pumps after every tag and
// every step of a meter. The changed meters are invalidated there too, together, once
// however many steps they took meanwhile (each invalidation is a round trip to the window
// system).
void ProgressDialog::Meter(int meter, int value) {
  if (!meters_ || meter < 1 || meter > kMeterCount) return;
  const std::size_t i = static_cast<std::size_t>(meter - 1);
  const ui::SetGet& stored = values_[i];
  value = std::clamp(value, 0, 100);
  if (stored.Get().AsInt() == value) return;
  stored.Put(Value::Integer(value));
  changed_[i] = true;
  any_changed_ = true;
}

void ProgressDialog::InvalidateChangedMeters() {
  if (!any_changed_ || meters_held_) return;
  any_changed_ = false;
  std::vector<int> ids;
  for (std::size_t i = 0; i < changed_.size(); ++i) {
    if (!changed_[i]) continue;
    changed_[i] = false;
    ids.push_back(kFirstMeterControl + 1 + static_cast<int>(i));
  }
  if (meters_) meters_->Invalidate(ids);
}

// A message box runs its own loop: the meters show their values behind it.
void ProgressDialog::TableFailed(const TableFailure& failure) {
  InvalidateChangedMeters();
  ReportingEvents::TableFailed(failure);
}

void ProgressDialog::Skipped(std::string_view what, std::string_view why) {
  InvalidateChangedMeters();
  ReportingEvents::Skipped(what, why);
}

void ProgressDialog::Noted(std::string_view text) {
  InvalidateChangedMeters();
  ReportingEvents::Noted(text);
}

// Pending messages run at most every few hundredths of a second: enough for the dialog to
// repaint and answer at once, without a round of the message queue after each of the
// thousands of steps.
void ProgressDialog::Pump() {
  const DWORD now = GetTickCount();
  if (now - last_pump_ < kPumpIntervalMs) return;
  PumpNow();
}

void ProgressDialog::PumpNow() {
  last_pump_ = GetTickCount();
  InvalidateChangedMeters();
  ui::SysRefresh();
  if (running_) ui::CursorWait();
}

void ProgressDialog::CompanyStarting(std::string_view) {
  meters_held_ = false;
  std::vector<ui::WindowRef> controls(checks_.begin(), checks_.end());
  ChecksDisable(controls);
  RefreshBrowse();
  ChecksDisable({start_, close_});
  PumpNow();
}

// The meters go back to zero, painted so as the next company starts: after the last one the
// dialog closes, and nobody would see them empty.
void ProgressDialog::CompanyFinished(std::string_view) {
  for (int meter = 1; meter <= kMeterCount; ++meter) Meter(meter, 0);
  meters_held_ = true;
  if (labels_[1]) Title("");
  RefreshBrowse();
  PumpNow();
}

void IndexAll(const ui::WindowRef& browse) {
  ProgressDialog progress(browse);
  progress.SetRepeatMessages(!ParameterMode());  // nobody watches: each failure told once
  progress.Run(ParameterMode());
}

CatalogueIndexer& IndexDataIndexer() {
  IndexDataState& state = IndexData();
  state.loose_events.SetCompany(data::cCodEmpresa());
  OrganiserEvents* events = g_current ? static_cast<OrganiserEvents*>(g_current) : &state.loose_events;
  if (!state.indexer || state.events != events) {
    state.indexer = std::make_unique<CatalogueIndexer>(Folders{data::cPathDbf(), data::cPathStart()}, *events);
    state.events = events;
  }
  return *state.indexer;
}

void CloseIndexDataTable() {
  IndexDataState& state = IndexData();
  state.indexer.reset();
  state.events = nullptr;
}

void ChecksDisable(const std::vector<ui::WindowRef>& controls) {
  for (const ui::WindowRef& control : controls) {
    if (!control) continue;
    control->Disable();
    if (control->hWnd) {
      InvalidateRect(control->hWnd, nullptr, TRUE);
      UpdateWindow(control->hWnd);
    }
  }
}

}  // namespace app
