// TControl's design mode (moving a control on the grid, its sizing dots, Delete), dragging
// its data over other windows, its docking slot (nAlign) and its place read through the window.
#include <cstdint>
#include <cstdlib>
#include <iterator>

#include "runtime/array.h"
#include "runtime/function_table.h"
#include "runtime/symbol.h"
#include "ui/bridge/cursors.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/window_geometry.h"
#include "ui/core/design_dots.h"
#include "ui/core/msg_box.h"
#include "ui/core/tcontrol.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

// The last key a parent records when one of its controls is pressed in design mode.
constexpr int kDesignClickKey = 1002;
// How far the mouse moves with the button down before a drag begins.
constexpr int kDragStart = 5;

// A move or resize in design mode, from the press to the release of the button.
struct DesignDrag {
  HWND control = nullptr;
  Rect start;        // the control's rectangle in its parent when the button went down
  Rect shown;        // the frame drawn now
  POINT anchor = {};  // the grid point where the button went down, in the parent
  bool framed = false;
};
DesignDrag g_design;
// The grid point of the last press in design mode, in the parent (class data nPoint).
POINT g_anchor = {};

// The control whose data is being dragged over other windows (null: none).
HWND g_drag_source = nullptr;

xb::Value Int(std::int64_t n) { return xb::Value::Integer(n); }

// A 16-bit coordinate of a captured mouse left of or above the window.
int Signed16(int value) { return value > 32768 ? value - 65536 : value; }

POINT InParent(HWND control, int row, int col) {
  POINT at = {Signed16(col), Signed16(row)};
  MapWindowPoints(control, GetParent(control), &at, 1);
  return at;
}

POINT GridPoint(POINT at) {
  const GridSize grid = GetGridSize();
  return {SnapToGrid(at.x, grid.width), SnapToGrid(at.y, grid.height)};
}

// The frame that follows the mouse, drawn over the parent and its children; drawing it
// again on the same place takes it away.
void DrawFrame(HWND parent, const Rect& r) {
  HDC dc = GetDCEx(parent, nullptr, DCX_CACHE);
  if (dc == nullptr) return;
  const RECT frame = r.ToRECT();
  DrawFocusRect(dc, &frame);
  ReleaseDC(parent, dc);
}

void EndDesignDrag() {
  if (g_design.framed && IsWindow(g_design.control)) DrawFrame(GetParent(g_design.control), g_design.shown);
  g_design = DesignDrag{};
}

HCURSOR DragCursorOf(const TWindow& w) {
  if (auto* own = dynamic_cast<WindowCursor*>(w.oDragCursor.get())) {
    if (HCURSOR cursor = own->hCursor()) return cursor;
  }
  return GetCursorDrag();
}

// The drop: the window under the pointer, when it is one of this program's, receives DROPOVER
// with the key flags and the point in its client area (row in the low word).
void PostDrop(HWND source, int row, int col, WPARAM keys) {
  POINT at = {Signed16(col), Signed16(row)};
  ClientToScreen(source, &at);
  HWND target = WindowFromPoint(at);
  if (target == nullptr) return;
  DWORD process = 0;
  GetWindowThreadProcessId(target, &process);
  if (process != GetCurrentProcessId()) return;
  ScreenToClient(target, &at);
  PostMessageA(target, kFwDropOver, keys, MAKELPARAM(static_cast<WORD>(at.y), static_cast<WORD>(at.x)));
}

enum Align { kAlignNone = 1, kAlignTop, kAlignLeft, kAlignBottom, kAlignRight, kAlignClient };

WindowRef* AlignSlot(TWindow& parent, int align) {
  switch (align) {
    case kAlignTop: return &parent.oTop;
    case kAlignLeft: return &parent.oLeft;
    case kAlignBottom: return &parent.oBottom;
    case kAlignRight: return &parent.oRight;
    case kAlignClient: return &parent.oClient;
    default: return nullptr;
  }
}

}  // namespace

// ---- place ------------------------------------------------------------------------------------

int TControl::GetTop() const { return hWnd != nullptr ? WindowBoxOf(hWnd).top : nTop; }
int TControl::GetLeft() const { return hWnd != nullptr ? WindowBoxOf(hWnd).left : nLeft; }

void TControl::SetTop(int top) {
  if (hWnd == nullptr) {
    nTop = top;
    return;
  }
  WndSetTop(hWnd, top);
  CoorsUpdate();
  FollowDots();
}

void TControl::SetLeft(int left) {
  if (hWnd == nullptr) {
    nLeft = left;
    return;
  }
  WndSetLeft(hWnd, left);
  CoorsUpdate();
  FollowDots();
}

void TControl::Move(int top, int left, int width, int height, bool repaint) {
  TWindow::Move(top, left, width, height, repaint);
  FollowDots();
}

void TControl::FollowDots() {
  if (lDrag && lFocused && hWnd != nullptr) ShowDots();
}

const std::vector<std::string>& TControl::AlignNames() {
  static const std::vector<std::string> names = {"None", "Top", "Left", "Bottom", "Right", "Client"};
  return names;
}

int TControl::nAlign() const {
  if (!oWnd) return kAlignNone;
  for (int align = kAlignTop; align <= kAlignClient; ++align) {
    if (AlignSlot(*oWnd, align)->get() == this) return align;
  }
  return kAlignNone;
}

void TControl::SetAlign(int align) {
  if (!oWnd || align < kAlignNone || align > kAlignClient) return;
  WindowRef keep(this);
  for (int slot = kAlignTop; slot <= kAlignClient; ++slot) {
    WindowRef& holder = *AlignSlot(*oWnd, slot);
    if (holder.get() == this) holder = nullptr;
  }
  if (WindowRef* slot = AlignSlot(*oWnd, align)) *slot = keep;
  DockSiblings();
}

void TControl::DockSiblings() {
  if (!oWnd) return;
  WindowRef parent = oWnd;
  for (int align : {kAlignTop, kAlignBottom, kAlignLeft, kAlignRight, kAlignClient}) {
    auto* control = dynamic_cast<TControl*>(AlignSlot(*parent, align)->get());
    if (control == nullptr || control->hWnd == nullptr) continue;
    switch (align) {
      case kAlignTop: control->AdjTop(); break;
      case kAlignBottom: control->AdjBottom(); break;
      case kAlignLeft: control->AdjLeft(); break;
      case kAlignRight: control->AdjRight(); break;
      default: control->AdjClient(); break;
    }
  }
}

// ---- design mode ----------------------------------------------------------------------------------

void TControl::CheckDots() {
  if (lDesign) lDrag = true;
  if (lDrag && oWnd && oWnd->hWnd != nullptr) MakeDesignDots(oWnd->hWnd);
}

void TControl::ShowDots() {
  if (hWnd != nullptr) ShowDesignDots(hWnd);
}

void TControl::HideDots() { HideDesignDots(); }

Rect TControl::MResize(int dot, int row, int col) {
  const Rect now = GetCoors(hWnd);
  if (hWnd == nullptr || dot < 1 || dot > kDotCount) return now;
  const bool dragging = g_design.control == hWnd;
  const Rect start = dragging ? g_design.start : now;
  const POINT from = dragging ? g_design.anchor : GridPoint(DotCentre(now, dot));
  const POINT to = GridPoint(InParent(hWnd, row, col));
  return DragRect(start, dot, to.x - from.x, to.y - from.y, GetGridSize());
}

Answer TControl::DesignButtonDown(int row, int col) {
  if (oWnd) oWnd->nLastKey = kDesignClickKey;
  HWND parent = hWnd != nullptr ? GetParent(hWnd) : nullptr;
  if (parent == nullptr) return Answer::Number(0);
  WindowRef keep(this);
  if (::GetFocus() != hWnd) ::SetFocus(hWnd);  // the dots come with the focus
  EndDesignDrag();
  g_design.control = hWnd;
  g_design.start = g_design.shown = GetCoors(hWnd);
  g_design.anchor = g_anchor = GridPoint(InParent(hWnd, row, col));
  lCaptured = true;
  SetCapture(hWnd);
  DrawFrame(parent, g_design.shown);
  g_design.framed = true;
  return Answer::Number(0);
}

Answer TControl::DesignMouseMove(int row, int col) {
  if (!lCaptured || g_design.control != hWnd) {
    ::SetCursor(GetCursorCatch());
    return Answer::Number(0);
  }
  Rect next;
  if (nMResize != 0) {
    ::SetCursor(DotCursor(nMResize));
    next = MResize(nMResize, row, col);
  } else {
    ::SetCursor(GetCursorCatch());
    const POINT to = GridPoint(InParent(hWnd, row, col));
    next = DragRect(g_design.start, 0, to.x - g_design.anchor.x, to.y - g_design.anchor.y, GetGridSize());
  }
  if (!(next == g_design.shown)) {
    HWND parent = GetParent(hWnd);
    DrawFrame(parent, g_design.shown);
    g_design.shown = next;
    DrawFrame(parent, g_design.shown);
  }
  return Answer::Number(0);
}

Answer TControl::DesignButtonUp() {
  // A control that releases the mouse itself first (a column browse) still ends the move.
  if (g_design.control != hWnd) return Answer::Number(0);
  const Rect target = g_design.shown;
  EndDesignDrag();
  lCaptured = false;
  nMResize = 0;
  ReleaseCapture();
  if (!(target == GetCoors(hWnd))) {
    Move(target.top, target.left, target.Width(), target.Height());
  }
  return Answer::Number(0);
}

void TControl::CaptureLost(HWND taker) {
  if (taker == hWnd) return;  // the control took the mouse again itself
  // Taken while the button is down the move is given up; a control that releases the mouse
  // itself as the button comes up still has its move ended by the release.
  if (g_design.control == hWnd && GetKeyState(VK_LBUTTON) < 0) {
    EndDesignDrag();
    lCaptured = false;
    nMResize = 0;
  }
  if (g_drag_source == hWnd) g_drag_source = nullptr;
}

// ---- dragging -------------------------------------------------------------------------------------

void TControl::DragBegin(int row, int col, WPARAM keys) {
  WindowRef keep(this);
  lMouseDown = false;
  Eval(bDragBegin, {Int(row), Int(col), Int(static_cast<std::int64_t>(keys)), Self()});
  if (hWnd == nullptr || !IsWindow(hWnd)) return;
  g_drag_source = hWnd;
  SetCapture(hWnd);
  ::SetCursor(DragCursorOf(*this));
}

// ---- mouse and keys ----------------------------------------------------------------------------------

Answer TControl::LButtonDown(int row, int col, WPARAM keys) {
  if (lDrag) return DesignButtonDown(row, col);
  lMouseDown = true;
  nLastRow = row;
  nLastCol = col;
  return TWindow::LButtonDown(row, col, keys);
}

Answer TControl::MouseMove(int row, int col, WPARAM keys) {
  if (lDrag) return DesignMouseMove(row, col);
  return TWindow::MouseMove(row, col, keys);
}

Answer TControl::LButtonUp(int row, int col, WPARAM keys) {
  if (lDrag) return DesignButtonUp();
  lMouseDown = false;
  return TWindow::LButtonUp(row, col, keys);
}

bool TControl::DragMouse(UINT message, int row, int col, WPARAM keys) {
  if (lDrag) return false;
  const bool dragging = g_drag_source != nullptr && g_drag_source == hWnd;
  if (message == WM_LBUTTONUP) {
    lMouseDown = false;
    if (!dragging) return false;
    g_drag_source = nullptr;
    ReleaseCapture();
    PostDrop(hWnd, row, col, keys);
    return true;
  }
  if (dragging) {
    ::SetCursor(DragCursorOf(*this));
    return true;
  }
  if ((keys & MK_LBUTTON) == 0) lMouseDown = false;
  if (lMouseDown && !bDragBegin.IsNil() &&
      (std::abs(row - nLastRow) > kDragStart || std::abs(col - nLastCol) > kDragStart)) {
    DragBegin(row, col, keys);
    return true;
  }
  return false;
}

Answer TControl::KeyDown(int key, LPARAM flags) {
  if (!lDrag || key != VK_DELETE) return TWindow::KeyDown(key, flags);
  WindowRef keep(this);
  if (!MsgYesNo(xb::Value::String("Delete this control ?"))) return Answer::Number(0);
  WindowRef parent = oWnd;
  if (!End()) return Answer::Number(0);
  HideDots();
  // The dots go to the control that takes the focus next, when it is designed too.
  HWND next = nullptr;
  if (parent) {
    for (const WindowRef& other : parent->aControls) {
      if (other && other.get() != this && other->hWnd != nullptr && IsWindow(other->hWnd)) {
        next = other->hWnd;
        break;
      }
    }
  }
  if (next != nullptr) ::SetFocus(next);
  return Answer::Number(0);
}

// ---- runtime messages ----------------------------------------------------------------------------------

void DefineControlDesignMessages(xb::Class& c) {
  using xb::Args;
  using xb::Object;
  using xb::Value;
  auto self = [](Object& o) -> TControl& { return xb::Class::Cast<TControl>(o); };
  c.Property("NTOP", [self](Object& o) { return Int(self(o).GetTop()); },
             [self](Object& o, const Value& v) { self(o).SetTop(static_cast<int>(v.AsInt())); });
  c.Property("NLEFT", [self](Object& o) { return Int(self(o).GetLeft()); },
             [self](Object& o, const Value& v) { self(o).SetLeft(static_cast<int>(v.AsInt())); });
  c.Property("NALIGN", [self](Object& o) { return Int(self(o).nAlign()); },
             [self](Object& o, const Value& v) {
               if (v.IsNumber()) self(o).SetAlign(static_cast<int>(v.AsInt()));
             });
  c.Property("L3D", [self](Object& o) { return Value::Logical(self(o).l3DLook); },
             [self](Object& o, const Value& v) {
               if (v.IsLogical() && v.AsLogical()) {
                 self(o).Set3DLook();
               } else {
                 self(o).l3DLook = false;
               }
             });
  c.Method("INSPECT", [self](Object& o, Args& a) -> Value {
    const std::string data = xb::UpperName(a.Str(1));
    if (data == "NALIGN") {
      xb::Array names = xb::Array::New();
      for (const std::string& name : TControl::AlignNames()) names.Append(Value::String(name));
      return Value(names);
    }
    self(o).Inspect(std::string(a.Str(1)));
    return Value();
  });
  c.Method("CHECKDOTS", [self](Object& o, Args&) { self(o).CheckDots(); return Value(); });
  c.Method("SHOWDOTS", [self](Object& o, Args&) { self(o).ShowDots(); return Value(); });
  c.Method("HIDEDOTS", [self](Object& o, Args&) { self(o).HideDots(); return Value(); });
  c.Method("MRESIZE", [self](Object& o, Args& a) {
    const Rect r = self(o).MResize(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)));
    return Value(xb::Array::Of({Int(r.top), Int(r.left), Int(r.bottom), Int(r.right)}));
  });
  c.Method("DRAGBEGIN", [self](Object& o, Args& a) {
    self(o).DragBegin(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), static_cast<WPARAM>(a.Int(3)));
    return Value();
  });
  // Class data: the properties, the dots' windows and the design anchor {nRow, nCol}.
  static const char* const kProperties[] = {"cTitle", "cVarName", "l3D",   "nClrText", "nClrPane", "nAlign",
                                            "nTop",   "nLeft",    "nWidth", "nHeight", "oFont",    "Cargo"};
  c.Property("APROPERTIES", [](Object&) {
    xb::Array names = xb::Array::New();
    for (const char* name : kProperties) names.Append(Value::String(name));
    return Value(names);
  }, nullptr);
  c.Property("ADOTS", [](Object&) {
    xb::Array dots = xb::Array::New();
    for (HWND dot : DesignDotWindows()) {
      if (dot != nullptr) dots.Append(Int(reinterpret_cast<std::intptr_t>(dot)));
    }
    return Value(dots);
  }, nullptr);
  c.Property("NPOINT", [](Object&) {
    return Value(xb::Array::Of({Int(g_anchor.y), Int(g_anchor.x)}));
  }, nullptr);
}

}  // namespace ui
