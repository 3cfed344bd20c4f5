#include "services/window_fit.h"

#include <windows.h>

#include "data/program_settings.h"
#include "runtime/function_table.h"
#include "services/dialog_helpers.h"
#include "ui/controls/twbrowse.h"
#include "ui/core/plain_control.h"
#include "ui/core/tbar.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"

namespace svc {
namespace {

using xb::Args;
using xb::Value;

constexpr COLORREF kDarkBlue = 8388608;
constexpr int kColumnGap = 2;
constexpr int kFrame = 19;
constexpr int kOkWidth = 60;

int FontHeight(ui::TWindow& window) {
  HDC dc = ::GetDC(window.hWnd);
  HFONT font = window.oFont ? window.oFont->hFont : reinterpret_cast<HFONT>(::SendMessageA(window.hWnd, WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? ::SelectObject(dc, font) : nullptr;
  TEXTMETRICA metrics{};
  ::GetTextMetricsA(dc, &metrics);
  if (old) ::SelectObject(dc, old);
  ::ReleaseDC(window.hWnd, dc);
  return metrics.tmHeight;
}

ui::TWindow* MainWindow() { return dynamic_cast<ui::TWindow*>(data::oWnd().AsObject().get()); }

}  // namespace

ui::Rect BrowsePlace(ui::TWindow& window, ui::TBar* bar, const Margins& m) {
  RECT client{};
  ::GetClientRect(window.hWnd, &client);
  const int mode = bar ? bar->nMode : ui::TBar::kTop;
  const int bar_width = bar && bar->hWnd ? bar->nWidth() : 0;
  const int bar_height = bar && bar->hWnd ? bar->nHeight() : 0;
  ui::Rect r{client.top, client.left, client.bottom - m.bottom, client.right - m.right};
  switch (mode) {
    case ui::TBar::kLeft:
      r.top = client.top + m.top - 1;
      r.left = client.left + m.left + bar_width - 1;
      break;
    case ui::TBar::kRight:
      r.top = client.top + m.top - 1;
      r.left = client.left + m.left - 1;
      r.right = client.right - (m.right + bar_width + 1);
      break;
    case ui::TBar::kBottom:
      r.top = client.top + m.top - 1;
      r.left = client.left + m.left - 1;
      r.bottom = client.bottom - (m.bottom + bar_height + 2);
      break;
    case ui::TBar::kFloat:
      r.top = client.top + m.top - 1;
      r.left = client.left + m.left - 1;
      break;
    default:  // top
      r.top = client.top + m.top + bar_height;
      r.left = client.left + m.left;
      break;
  }
  return r;
}

void SetBrowse(ui::TWindow& window, ui::TWindow& browse, ui::TBar* bar, const Margins& margins) {
  if (window.hWnd == nullptr || browse.hWnd == nullptr) return;
  const ui::Rect r = BrowsePlace(window, bar, margins);
  browse.Move(r.top, r.left, std::max(0, r.right - r.left), std::max(0, r.bottom - r.top));
}

ui::TMdiChild::NewParams InsetMdiChild(const std::string& caption, int inset) {
  const ui::Rect area = MdiClientArea();
  ui::TMdiChild::NewParams params;
  params.caption = caption;
  params.pixel = true;
  params.top = area.top + inset;
  params.left = area.left + inset;
  params.bottom = area.bottom - inset;
  params.right = area.right - inset;
  return params;
}

ui::Rect MdiClientArea() {
  ui::TWindow* main = MainWindow();
  if (main == nullptr || main->hWnd == nullptr) return {};
  RECT area{};
  if (HWND client = ::FindWindowExA(main->hWnd, nullptr, "MDICLIENT", nullptr)) {
    ::GetWindowRect(client, &area);
    ::MapWindowPoints(nullptr, main->hWnd, reinterpret_cast<POINT*>(&area), 2);
  } else {
    ::GetClientRect(main->hWnd, &area);
  }
  return ui::Rect::From(area);
}

bool lEditLine(const EditLineParams& p) {
  if (!p.create || p.browse == nullptr || p.browse->hWnd == nullptr) return false;
  ui::TWBrowse& browse = *p.browse;
  const std::vector<int> widths = browse.GetColSizes();
  std::vector<std::string> labels = p.labels;
  if (labels.empty() && browse.aHeaders.IsArray())
    for (const Value& h : browse.aHeaders.AsArray()) labels.emplace_back(h.AsString());

  // The columns shown, from the first visible one: their left edges in the browse.
  struct Column {
    int left;
    int width;
    std::string label;
  };
  std::vector<Column> columns;
  int x = 0;
  for (int c = std::max(1, browse.nColPos); c <= static_cast<int>(widths.size()); ++c) {
    const int width = widths[c - 1];
    columns.push_back({x, width, c <= static_cast<int>(labels.size()) ? labels[c - 1] : std::string()});
    x += width + kColumnGap;
  }
  const int row_height = browse.nHRow();
  const int label_height = FontHeight(browse) + 5;
  const int bar_height = p.horizontal_bar ? ::GetSystemMetrics(SM_CYHSCROLL) : 0;
  const int height = kFrame + label_height + row_height + bar_height;
  const int width = x + kOkWidth + 8;

  int top = 0;
  if (p.top) {
    POINT given{0, *p.top};
    ::ClientToScreen(browse.hWnd, &given);
    top = given.y;
  } else {
    POINT row_top{0, browse.nRowPos * row_height};
    ::ClientToScreen(browse.hWnd, &row_top);
    top = row_top.y - label_height - 2 - (p.caption.empty() ? 0 : ::GetSystemMetrics(SM_CYCAPTION));
  }

  auto box = xb::MakeRef<ui::TDialog>();
  ui::TDialog::NewParams params;
  params.pixel = true;
  params.width = width;
  params.height = height;
  params.style = WS_POPUP | WS_BORDER | (p.caption.empty() ? 0 : WS_CAPTION);
  if (!p.caption.empty()) params.caption = p.caption;
  params.font = DefaultDialogFont();
  params.parent = ui::WindowRef(&browse);
  box->New(params);
  for (const Column& c : columns) {
    auto label = ui::PlainControl::Place({.top = 2, .left = c.left + 2, .width = c.width, .height = label_height - 2,
                                          .windows_class = "STATIC", .caption = c.label,
                                          .style = WS_CHILD | WS_VISIBLE, .parent = box});
    label->nClrText = kDarkBlue;
    if (browse.oFont) label->SetFont(browse.oFont);
  }
  const std::size_t first_own = box->aControls.size();
  p.create(*box);
  std::vector<ui::WindowRef> created(box->aControls.begin() + static_cast<std::ptrdiff_t>(first_own), box->aControls.end());
  ui::TDialog* d = box.get();
  auto ok = ui::PlainControl::Place({.top = label_height + 1, .left = x + 4, .width = kOkWidth, .height = row_height,
                                     .windows_class = "BUTTON", .caption = "&Aceptar",
                                     .style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, .parent = box});
  ok->on_click = [d, created, valid = p.valid] {
    for (const ui::WindowRef& control : created)
      if (auto* c = dynamic_cast<ui::TControl*>(control.get()); c != nullptr && !c->lValid()) return;
    if (valid && !valid(*d)) return;
    d->End(IDOK);
  };
  const int left = [&] {
    POINT origin{0, 0};
    ::ClientToScreen(browse.hWnd, &origin);
    return static_cast<int>(origin.x);
  }();
  ui::TDialog::ActivateParams run;
  run.init = Value(xb::Block::Native([d, created, columns, label_height, row_height, left, top, width, height,
                                      resize = p.resize](Args&) {
    ::MoveWindow(d->hWnd, left, top, width, height, FALSE);
    for (std::size_t i = 0; i < created.size() && i < columns.size(); ++i)
      if (created[i]->hWnd != nullptr)
        ::MoveWindow(created[i]->hWnd, columns[i].left + 2, label_height + 1, columns[i].width - kColumnGap, row_height,
                     TRUE);
    if (resize) resize(*d);
    if (!created.empty() && created.front()->hWnd != nullptr) ::SetFocus(created.front()->hWnd);
    return Value::Logical(created.empty());
  }));
  box->Activate(run);
  return box->nResult.IsNumber() && box->nResult.AsInt() == IDOK;
}

void RegisterWindowFitFunctions() {
  xb::RegisterFunction("SETBROWSE", [](Args& a) {
    auto* window = dynamic_cast<ui::TWindow*>(a.Obj(1).get());
    auto* browse = dynamic_cast<ui::TWindow*>(a.Obj(2).get());
    if (window != nullptr && browse != nullptr)
      SetBrowse(*window, *browse, dynamic_cast<ui::TBar*>(a.Obj(3).get()),
                {static_cast<int>(a.Int(4)), static_cast<int>(a.Int(5)), static_cast<int>(a.Int(6)),
                 static_cast<int>(a.Int(7))});
    return Value();
  });
  xb::RegisterFunction("NMDITOP", [](Args&) { return Value::Integer(MdiClientArea().top); });
  xb::RegisterFunction("NMDILEFT", [](Args&) { return Value::Integer(MdiClientArea().left); });
  xb::RegisterFunction("NMDIBOTTOM", [](Args&) { return Value::Integer(MdiClientArea().bottom); });
  xb::RegisterFunction("NMDIRIGHT", [](Args&) { return Value::Integer(MdiClientArea().right); });
  // LEDITLINE(oBrw, aValues, bCreate | bEdit, cCaption, bValid, bResize, aLabels, nTop, lHScroll):
  // each block gets the box, the values and the browse; a valid block answering .F. keeps
  // the box open.
  xb::RegisterFunction("LEDITLINE", [](Args& a) {
    EditLineParams p;
    p.browse = dynamic_cast<ui::TWBrowse*>(a.Obj(1).get());
    const Value values = a.Arg(2);
    const Value block = a.Arg(3);
    const Value browse = a.Arg(1);
    if (block.IsBlock())
      p.create = [block, values, browse](ui::TDialog& box) { block.AsBlock().Eval({box.Self(), values, browse}); };
    p.caption = std::string(a.Str(4));
    if (const Value valid = a.Arg(5); valid.IsBlock())
      p.valid = [valid, values, browse](ui::TDialog& box) {
        const Value answer = valid.AsBlock().Eval({box.Self(), values, browse});
        return !answer.IsLogical() || answer.AsLogical();
      };
    if (const Value resize = a.Arg(6); resize.IsBlock())
      p.resize = [resize, values, browse](ui::TDialog& box) { resize.AsBlock().Eval({box.Self(), values, browse}); };
    if (a.Arg(8).IsNumber()) p.top = static_cast<int>(a.Int(8));
    if (const xb::Array labels = a.Arr(7))
      for (const Value& l : labels) p.labels.emplace_back(l.AsString());
    p.horizontal_bar = a.Log(9);
    return Value::Logical(lEditLine(p));
  });
}

}  // namespace svc
