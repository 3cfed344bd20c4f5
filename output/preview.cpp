#include "output/preview.h"

#include <algorithm>
#include <string>

#include "output/preview_library.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/printer_device.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/controls/tcombobox.h"
#include "ui/controls/tscrollbar.h"
#include "ui/controls/tsay.h"
#include "ui/core/menu_builder.h"
#include "ui/core/msg_box.h"
#include "ui/core/screen_waits.h"
#include "ui/core/tbar.h"
#include "ui/core/tcursor.h"
#include "ui/core/tfont.h"
#include "ui/core/tmsgbar.h"
#include "ui/core/window_table.h"

namespace output {
namespace {

using namespace text;

using xb::Value;

Preview* g_open = nullptr;


template <typename T>
T* As(const xb::ObjectRef& object) {
  return dynamic_cast<T*>(object.get());
}

bool LargeFonts() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  ::ReleaseDC(nullptr, screen);
  return dpi == 120;
}

void SetButton(PreviewFace face, const xb::ObjectRef& object, const char* picture, int message, int tip, bool repaint) {
  auto* button = As<ui::TBtnBmp>(object);
  if (button == nullptr) return;
  {
    PreviewLibrary library(face);
    button->FreeBitmaps();
    button->LoadBitmaps({.resource1 = picture}, false);
  }
  button->cMsg = PreviewString(message, face);
  button->cToolTip = Value::String(PreviewTip(tip, face));
  if (repaint) button->Refresh();
}

void EnableItem(const xb::ObjectRef& object, bool enabled) {
  if (auto* item = As<ui::TMenuItem>(object)) {
    if (enabled) item->Enable();
    else item->Disable();
  }
}

}  // namespace

Preview* Preview::Open() { return g_open; }
void Preview::SetOpen(Preview* preview) { g_open = preview; }

std::string Preview::PageLabel() const {
  return PreviewString(kPagePrefix, face_) + std::to_string(page_) + " / " + std::to_string(page_count());
}

xb::ObjectRef Preview::v_bar() const { return window_ ? window_->oVScroll : nullptr; }
xb::ObjectRef Preview::h_bar() const { return window_ ? window_->oHScroll : nullptr; }

bool Preview::Landscape() const { return printer_->nHorzSize() >= printer_->nVertSize(); }

void Preview::RefreshLabel() {
  if (auto* label = As<ui::TSay>(label_)) label->SetText(Value::String(PageLabel()));
}

void Preview::ShowPage(TMetaFile& control, int page) {
  control.SetFile(page >= 1 && page <= page_count() ? printer_->aMeta[static_cast<std::size_t>(page - 1)] : "");
  control.Refresh();
}

// ---- layout -----------------------------------------------------------------------------------------

void Preview::PaintMeta() {
  if (!window_ || window_->hWnd == nullptr || ::IsIconic(window_->hWnd)) return;
  const ui::Rect client = window_->GetCliRect();
  int w = client.right - client.left + 1, h = client.bottom - client.top + 1;
  const int b = LargeFonts() ? 100 : 80;
  if (!two_) {
    double f = Landscape() ? 0.4 : 0.25;
    if (zoom_) {
      f = 0.47;
      w -= 20;
      h -= 20;
    }
    const int left = static_cast<int>(w / 2 - w * f), right = static_cast<int>(w / 2 + w * f);
    page1_->Move(50, left, right - left, h - b - 50);
    page1_->Show();
    page2_->Hide();
  } else {
    const double f = 0.4;
    const int left = static_cast<int>(w / 4 - (w / 2) * f), right = static_cast<int>(w / 4 + (w / 2) * f);
    page1_->Move(50, left, right - left, h - b - 50);
    page2_->Move(50, left + w / 2, right - left, h - b - 50);
    ShowPage(*page2_, page_ + 1);
    page1_->Show();
    page2_->Show();
  }
  page1_->SetFocus();
}

// ---- navigation ---------------------------------------------------------------------------------------

void Preview::TopPage() {
  if (page_ == 1) {
    ::MessageBeep(MB_OK);
    return;
  }
  page_ = 1;
  PreviewLibrary library(face_);
  ShowPage(*page1_, page_);
  RefreshLabel();
  if (two_) ShowPage(*page2_, page_ + 1);
  page1_->SetFocus();
}

void Preview::PrevPage() {
  if (page_ <= 1) {
    ::MessageBeep(MB_OK);
    return;
  }
  --page_;
  PreviewLibrary library(face_);
  ShowPage(*page1_, page_);
  RefreshLabel();
  if (two_) ShowPage(*page2_, page_ + 1);
  page1_->SetFocus();
}

void Preview::NextPage() {
  if (page_ >= page_count()) {
    ::MessageBeep(MB_OK);
    return;
  }
  ++page_;
  PreviewLibrary library(face_);
  ShowPage(*page1_, page_);
  RefreshLabel();
  if (two_) ShowPage(*page2_, page_ + 1);
  page1_->SetFocus();
}

void Preview::BottomPage() {
  if (page_ == page_count()) {
    ::MessageBeep(MB_OK);
    return;
  }
  page_ = page_count();
  PreviewLibrary library(face_);
  ShowPage(*page1_, page_);
  RefreshLabel();
  if (two_) ShowPage(*page2_, 0);  // the last page has nothing after it
  page1_->SetFocus();
}

// ---- modes --------------------------------------------------------------------------------------------

void Preview::TwoPages(bool repaint_button) {
  if (!two_) {
    if (page_count() == 1 || Landscape()) {
      ::MessageBeep(MB_OK);
      return;
    }
    if (zoom_) Zoom(true);
    two_ = true;
    SetButton(face_, two_button_, "One_Page", kOneMsg, kOnePrompt, repaint_button);
    EnableItem(two_item_, false);
    EnableItem(one_item_, true);
  } else {
    two_ = false;
    SetButton(face_, two_button_, "Two_Pages", kTwoMsg, kTwoPrompt, repaint_button);
    EnableItem(two_item_, true);
    EnableItem(one_item_, false);
  }
  window_->Refresh();
  PaintMeta();
}

void Preview::Zoom(bool repaint_button) {
  auto* vbar = As<ui::TScrollBar>(v_bar());
  auto* hbar = As<ui::TScrollBar>(h_bar());
  if (!zoom_) {
    if (two_) TwoPages(true);
    zoom_ = true;
    SetButton(face_, zoom_button_, "Unzoom", kUnzoomMsg, kUnzoomPrompt, repaint_button);
    EnableItem(zoom_item_, false);
    EnableItem(unzoom_item_, true);
    for (ui::TScrollBar* bar : {vbar, hbar}) {
      if (bar == nullptr) continue;
      bar->SetRange(1, 20 * factor_);
      bar->SetPos(1);
      bar->nPgStep = std::max(1, 20 * factor_ / 10);
    }
    // The program's preview shows the magnifier only where a click zooms.
    if (face_.own) page1_->oCursor = nullptr;
    page1_->ZoomIn();
  } else {
    zoom_ = false;
    SetButton(face_, zoom_button_, "Zoom", kZoomMsg, kZoomPrompt, repaint_button);
    EnableItem(zoom_item_, true);
    EnableItem(unzoom_item_, false);
    for (ui::TScrollBar* bar : {vbar, hbar}) {
      if (bar != nullptr) bar->SetRange(0, 0);
    }
    if (face_.own) page1_->oCursor = lupa_;
    page1_->ZoomOut();
  }
  PaintMeta();
}

void Preview::SetFactor(std::optional<int> chosen) {
  const bool opening = !chosen;
  if (chosen) factor_ = std::clamp(*chosen, 1, 9);
  for (int i = 0; i < 9; ++i) {
    if (auto* item = As<ui::TMenuItem>(factor_items_[i])) item->SetCheck(i + 1 == factor_);
  }
  if (auto* combo = dynamic_cast<ui::TComboBox*>(factor_combo_.get())) {
    if (combo->nAt != factor_) {
      combo->Set(Value::Integer(factor_));
      combo->VarPut(Value::Integer(factor_));
    }
  }
  page1_->SetZoomFactor(factor_, 2 * factor_);
  if (!zoom_ && !opening) {
    Zoom(true);
  } else if (zoom_) {
    for (const xb::ObjectRef& object : {v_bar(), h_bar()}) {
      if (auto* bar = As<ui::TScrollBar>(object)) {
        bar->SetRange(1, 20 * factor_);
        bar->nPgStep = std::max(1, 20 * factor_ / 10);
      }
    }
  }
  page1_->SetFocus();
}

// ---- scrolling a zoomed page --------------------------------------------------------------------------

void Preview::VScroll(int dir, bool page, std::optional<int> pos) {
  auto* bar = As<ui::TScrollBar>(v_bar());
  if (bar == nullptr || bar->GetRange().second == 0) return;
  const int max = bar->GetRange().second;
  const int unit = printer_->nVertRes() / max;
  int move = pos ? *pos : (page ? max / 10 : 1);
  if (dir == 1) move = -move;
  if (dir == 0) {
    bar->SetPos(pos.value_or(bar->GetPos()));
    move = 0;
  }
  const int origin = std::clamp(unit * (bar->GetPos() + move - 1), 0, printer_->nVertRes());
  page1_->SetOrg(std::nullopt, origin);
  page1_->Refresh();
}

void Preview::HScroll(int dir, bool page, std::optional<int> pos) {
  auto* bar = As<ui::TScrollBar>(h_bar());
  if (bar == nullptr || bar->GetRange().second == 0) return;
  const int max = bar->GetRange().second;
  const int unit = printer_->nHorzRes() / max;
  int move = pos ? *pos : (page ? max / 10 : 1);
  if (dir == 1) move = -move;
  if (dir == 0) {
    bar->SetPos(pos.value_or(bar->GetPos()));
    move = 0;
  }
  const int origin = std::clamp(unit * (bar->GetPos() + move - 1), 0, printer_->nHorzRes());
  page1_->SetOrg(origin, std::nullopt);
  page1_->Refresh();
}

void Preview::SetOrg1(int col, int row) {
  if (zoom_) {
    Zoom(true);
    return;
  }
  const ui::Rect r = page1_->GetCliRect();
  const int wc = std::max(r.right - r.left, 1), hc = std::max(r.bottom - r.top, 1);
  const int h = std::max(static_cast<int>(static_cast<double>(col) / wc * 20 * factor_) - 9, 0);
  const int v = std::max(static_cast<int>(static_cast<double>(row) / hc * 20 * factor_) - 9, 0);
  Zoom(true);
  if (h != 0) {
    HScroll(2, false, h);
    if (auto* bar = As<ui::TScrollBar>(h_bar())) bar->SetPos(h);
  }
  if (v != 0) {
    VScroll(2, false, v);
    if (auto* bar = As<ui::TScrollBar>(v_bar())) bar->SetPos(v);
  }
}

void Preview::SetOrg2(int col, int row) {
  if (page2_->cCaption.empty()) return;
  if (zoom_) {
    Zoom(true);
    return;
  }
  const ui::Rect r = page2_->GetCliRect();
  const int wc = std::max(r.right - r.left, 1), hc = std::max(r.bottom - r.top, 1);
  const int h = std::max(static_cast<int>(static_cast<double>(col) / wc * 20 * factor_) - 9, 0);
  const int v = std::max(static_cast<int>(static_cast<double>(row) / hc * 20 * factor_) - 9, 0);
  page1_->SetFile(page2_->cCaption);
  ++page_;
  ShowPage(*page2_, page_ + 1);
  {
    PreviewLibrary library(face_);
    RefreshLabel();
  }
  Zoom(true);
  if (h != 0) {
    HScroll(2, false, h);
    if (auto* bar = As<ui::TScrollBar>(h_bar())) bar->SetPos(h);
  }
  if (v != 0) {
    VScroll(2, false, v);
    if (auto* bar = As<ui::TScrollBar>(v_bar())) bar->SetPos(v);
  }
}

void Preview::CheckKey(int key) {
  if (!zoom_) {
    switch (key) {
      case VK_HOME: TopPage(); break;
      case VK_END: BottomPage(); break;
      case VK_PRIOR: PrevPage(); break;
      case VK_NEXT: NextPage(); break;
      default: break;
    }
    return;
  }
  auto* vbar = As<ui::TScrollBar>(v_bar());
  auto* hbar = As<ui::TScrollBar>(h_bar());
  if (vbar == nullptr || hbar == nullptr) return;
  switch (key) {
    case VK_UP: vbar->GoUp(); break;
    case VK_DOWN: vbar->GoDown(); break;
    case VK_PRIOR: vbar->PageUp(); break;
    case VK_NEXT: vbar->PageDown(); break;
    case VK_LEFT: hbar->GoUp(); break;
    case VK_RIGHT: hbar->GoDown(); break;
    case VK_HOME:
      vbar->SetPos(vbar->GetRange().first);
      hbar->SetPos(hbar->GetRange().first);
      page1_->SetOrg(0, 0);
      page1_->Refresh();
      break;
    case VK_END:
      vbar->SetPos(vbar->GetRange().second);
      hbar->SetPos(hbar->GetRange().second);
      page1_->SetOrg(static_cast<int>(0.8 * printer_->nHorzRes()), static_cast<int>(0.8 * printer_->nVertRes()));
      page1_->Refresh();
      break;
    default:
      break;
  }
}

// ---- printing from the preview -----------------------------------------------------------------------

void Preview::PrintPrv(ui::TWindow* dialog, int choice, int from, int to) {
  HCURSOR previous = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
  HDC dc = printer_->hDC;
  std::string document = printer_->cDocument;
  ui::StartPrintDoc(dc, document);
  auto play = [&](int page) {
    if (page < 1 || page > page_count()) return;
    ::StartPage(dc);
    if (HMETAFILE metafile = ::GetMetaFileA(printer_->aMeta[static_cast<std::size_t>(page - 1)].c_str())) {
      ::PlayMetaFile(dc, metafile);
      ::DeleteMetaFile(metafile);
    }
    ::EndPage(dc);
  };
  if (choice == 2) {
    play(page_);
  } else {
    const int first = choice == 3 ? std::max(from, 1) : 1;
    const int last = choice == 3 ? std::min(to, page_count()) : page_count();
    for (int page = first; page <= last; ++page) play(page);
  }
  ::EndDoc(dc);
  ::SetCursor(previous != nullptr ? previous : ::LoadCursorA(nullptr, IDC_ARROW));
  if (dialog != nullptr) dialog->End();
}

// ---- closing ---------------------------------------------------------------------------------------------

void Preview::Close() {
  if (closed_) return;
  closed_ = true;
  if (window_) window_->oIcon = nullptr;
  if (auto* font = As<ui::TFont>(font_)) font->End();
  page1_->End();
  page2_->End();
  printer_->End();
  if (auto* hand = As<ui::TCursor>(hand_)) hand->End();
  if (auto* lupa = As<ui::TCursor>(lupa_)) lupa->End();
  if (g_open == this) g_open = nullptr;
  if (hidden_main_ != nullptr && ::IsWindow(hidden_main_)) {
    ::ShowWindow(hidden_main_, SW_SHOW);
    ::EnableWindow(hidden_main_, TRUE);
    ::SetFocus(hidden_main_);
  }
  hidden_main_ = nullptr;
  if (printer_->lPrvModal) ShowReportDialog(true);
  report_ = nullptr;
}

void Preview::ShowReportDialog(bool show) {
  if (!report_ || !xb::HasMessage(Value(report_), xb::Intern("ODLG"))) return;
  const Value dialog = xb::Send(Value(report_), "ODLG");
  auto* window = dynamic_cast<ui::TWindow*>(dialog.IsObject() ? dialog.AsObject().get() : nullptr);
  if (window == nullptr || window->hWnd == nullptr) return;
  if (!show) {
    ::ShowWindow(window->hWnd, SW_MINIMIZE);
    ::ShowWindow(window->hWnd, SW_HIDE);
    return;
  }
  ::ShowWindow(window->hWnd, SW_RESTORE);
  ::EnableWindow(window->hWnd, TRUE);
  window->Refresh();
  ::SetFocus(window->hWnd);
}

}  // namespace output
