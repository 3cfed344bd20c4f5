#include "ui/core/twindow.h"

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "runtime/block.h"
#include "runtime/error.h"
#include "runtime/function_table.h"
#include "runtime/proc_stack.h"
#include "runtime/string_compare.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/common_dialogs.h"
#include "ui/bridge/device_context.h"
#include "ui/bridge/drawing.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/mdi_helpers.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/modeless_dialogs.h"
#include "ui/bridge/plain_boxes.h"
#include "ui/bridge/resources.h"
#include "ui/bridge/text_colors.h"
#include "ui/bridge/text_drawing.h"
#include "ui/bridge/window_classes.h"
#include "ui/bridge/window_dispatch.h"
#include "ui/core/framework_error.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

constexpr int kRowPixels = 16;
constexpr int kColPixels = 8;

// The Windows position of a framework coordinate: the default-position marker becomes
// CW_USEDEFAULT.
int WindowsPosition(int value) { return value == kDefaultPosition ? CW_USEDEFAULT : value; }

std::string LastErrorText() {
  char* text = nullptr;
  const DWORD code = GetLastError();
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                     FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = text != nullptr ? text : "";
  if (text != nullptr) LocalFree(text);
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
  return result;
}

// Reports an error that escaped a handler: to the error block, or, when that fails too, in
// a message box, since nothing may cross the window procedure.
void ReportHandlerError(const xb::ErrorRef& error) {
  try {
    const xb::Value block = xb::GetErrorBlock();
    if (block.IsBlock()) {
      const xb::Value arg(error);
      block.AsBlock().Call(std::span<const xb::Value>(&arg, 1));
      return;
    }
  } catch (const xb::BreakSignal&) {
    return;  // the error block left with BREAK: the handler is abandoned
  } catch (...) {
  }
  if (Unattended()) {
    TellUnattended("Error", xb::ErrorText(*error));
    return;
  }
  MessageBoxA(nullptr, xb::ErrorText(*error).c_str(), "Error", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

}  // namespace

namespace {
ScrollBarMaker g_scroll_bar_maker = nullptr;
IconMaker g_icon_maker = nullptr;
}  // namespace

void SetScrollBarMaker(ScrollBarMaker maker) { g_scroll_bar_maker = maker; }
void SetIconMaker(IconMaker maker) { g_icon_maker = maker; }
IconMaker GetIconMaker() { return g_icon_maker; }
ScrollBarMaker GetScrollBarMaker() { return g_scroll_bar_maker; }

WindowMenuItem* TWindow::oMItemSelect = nullptr;
int TWindow::nToolTip = 900;

TWindow::TWindow() : TWindow(Cls()) {}

TWindow::TWindow(const xb::Class& cls) : xb::Object(cls) {}

TWindow::~TWindow() = default;

void TWindow::Traverse(xb::GcVisitor& visitor) {
  xb::Object::Traverse(visitor);
  auto visit = [&](xb::Object* held) {
    if (held != nullptr) visitor.Visit(held);
  };
  for (const WindowRef& control : aControls) visit(control.get());
  for (xb::Object* held : {static_cast<xb::Object*>(oWnd.get()), static_cast<xb::Object*>(oCtlFocus.get()),
                           static_cast<xb::Object*>(oTop.get()), static_cast<xb::Object*>(oLeft.get()),
                           static_cast<xb::Object*>(oBottom.get()), static_cast<xb::Object*>(oRight.get()),
                           static_cast<xb::Object*>(oClient.get()), static_cast<xb::Object*>(oBrush.get()),
                           static_cast<xb::Object*>(oFont.get()), oCursor.get(), oDragCursor.get(), oIcon.get(),
                           oMenu.get(), oSysMenu.get(), oPopup.get(), oMsgBar.get(), oBar.get(), oVScroll.get(),
                           oHScroll.get()}) {
    visit(held);
  }
}

void TWindow::ClearValues() {
  xb::Object::ClearValues();
  aControls.clear();
  oWnd = oCtlFocus = oTop = oLeft = oBottom = oRight = oClient = nullptr;
  oBrush = nullptr;
  oFont = nullptr;
  oCursor = oDragCursor = oIcon = oMenu = oSysMenu = oPopup = oMsgBar = oBar = oVScroll = oHScroll = nullptr;
}

bool& TWindow::Registered(const xb::Class& cls) {
  static std::map<const xb::Class*, bool> registered;
  return registered[&cls];
}

// ---- dispatch ----------------------------------------------------------------------------

Answer DispatchToWindow(TWindow& window, UINT message, WPARAM wparam, LPARAM lparam) {
  WindowRef keep(&window);  // alive while its own handler runs, even if it ends itself
  ++window.dispatch_depth_;
  if (message == WM_DESTROY) window.destroying_ = true;
  Answer answer;
  try {
    answer = window.HandleEvent(message, wparam, lparam);
  } catch (const xb::UnhandledError& e) {
    ReportHandlerError(e.error());
  } catch (const xb::BreakSignal&) {
    // BREAK without a sequence inside the handler: the handler ends here.
  } catch (const std::exception& e) {
    ReportHandlerError(xb::MakeError("Vexilo", xb::EG_UNSUPPORTED, 0, window.ClassName(), e.what()));
  } catch (...) {
    ReportHandlerError(xb::MakeError("Vexilo", xb::EG_UNSUPPORTED, 0, window.ClassName(),
                                     "Unknown error in a window handler"));
  }
  if (message == WM_NCDESTROY) window.gone_ = true;
  if (--window.dispatch_depth_ == 0 && window.gone_ && window.slot_ != 0) window.FinishUnlink();
  return answer;
}

Answer TWindow::HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COPYDATA) {
    // A management-panel record: the spools that take replies exist once the panel link
    // has made them (asked with .F., they are not made here); until then the record is
    // dropped.
    if (xb::IsFunctionRegistered("QZGETMSG")) {
      const auto code = xb::CallFunction("QZGETMSG", {xb::Value::Integer(lparam)}).AsInt();
      auto spool = [](const char* name) {
        return xb::IsFunctionRegistered(name) ? xb::CallFunction(name, {xb::Value::Logical(false)}) : xb::Value();
      };
      if (code == 1001) {
        const xb::Value mail = spool("OMAILSPOOL");
        if (!mail.IsNil()) xb::Send(mail, "READINFO", {xb::Value::Integer(lparam)});
      } else if (code == 1003 || code == 1005 || code == 1006) {
        const xb::Value exec = spool("OEXECSPOOL");
        if (!exec.IsNil()) {
          xb::Send(exec, "READINFO", {xb::Value::Integer(code), xb::Value::Integer(lparam)});
        }
      } else if (code == 1012 && xb::IsFunctionRegistered("QZCC_CLOSEAPP")) {
        xb::CallFunction("QZCC_CLOSEAPP");
      }
    }
    return Answer::Number(0);
  }
  return DecodeMessage(*this, message, wparam, lparam);
}

xb::Value TWindow::Eval(const xb::Value& block, std::initializer_list<xb::Value> args) {
  if (!block.IsBlock()) return xb::Value();
  return block.AsBlock().Eval(args);
}

Answer TWindow::AnswerOf(const xb::Value& value) {
  if (value.IsNil()) return {};
  if (value.IsNumber()) return Answer::Number(static_cast<LRESULT>(value.AsInt()));
  return Answer::Logical(value.AsLogical());  // any other value counts as false
}

// ---- construction and life -----------------------------------------------------------------

TWindow& TWindow::New(const NewParams& p) {
  const int row = p.pixel ? 1 : kRowPixels;
  const int col = p.pixel ? 1 : kColPixels;
  nTop = p.top * row;
  nLeft = p.left * col;
  nBottom = p.bottom * row;
  nRight = p.right * col;
  DWORD style = p.style;
  if (style == 0) {
    const bool none = xb::UpperName(p.border) == "NONE";
    style = WS_CLIPCHILDREN;
    if (none) style |= WS_POPUP;
    if (xb::UpperName(p.border) == "SINGLE") style |= WS_THICKFRAME;
    if (p.caption_bar) {
      style |= WS_CAPTION;
      if (p.sys_menu) style |= WS_SYSMENU;
      if (p.minimize_box) style |= WS_MINIMIZEBOX;
      if (p.maximize_box) style |= WS_MAXIMIZEBOX;
    }
    if (p.vscroll) style |= WS_VSCROLL;
    if (p.hscroll) style |= WS_HSCROLL;
  }
  if (p.maximized) style |= WS_MAXIMIZE;
  nStyle = style;
  cCaption = p.caption;
  oCursor = p.cursor;
  oMenu = p.menu;
  oWnd = p.parent;
  oIcon = p.icon;
  lVisible = true;
  aControls.clear();
  nLastKey = 0;
  lValidating = false;
  SetColor(p.clr_text, p.clr_pane.value_or(GetSysColor(COLOR_WINDOW)), p.brush);
  Register();
  Create();
  if (hWnd != nullptr && oMenu) SetMenu(oMenu);
  if (hWnd != nullptr && oIcon) SetIcon(oIcon);  // its own, whatever the class was registered with
  if (hWnd != nullptr) {
    if (ScrollBarMaker maker = GetScrollBarMaker()) {
      if ((nStyle & WS_VSCROLL) != 0) oVScroll = maker(*this, true);
      if ((nStyle & WS_HSCROLL) != 0) oHScroll = maker(*this, false);
    }
  }
  GetFont();
  SetWndDefault(WindowRef(this));
  return *this;
}

void TWindow::Register(UINT class_style) {
  bool& registered = Registered(GetClass());
  if (registered) return;
  if (nClrPane == 0 && !oBrush) nClrPane = GetSysColor(COLOR_WINDOW);
  if (!oBrush) oBrush = TBrush::New("", nClrPane);
  const std::string name = ClassName();
  WNDCLASSA wc = {};
  if (!GetClassInfoA(GetInstance(), name.c_str(), &wc)) {
    WindowClassSpec spec;
    spec.name = name;
    spec.style = class_style | CS_GLOBALCLASS | CS_DBLCLKS;
    spec.cursor = LoadCursorA(nullptr, IDC_ARROW);
    spec.background = oBrush->hBrush;
    if (auto* icon = dynamic_cast<WindowIcon*>(oIcon.get())) spec.icon = icon->hIcon();
    RegisterWindowClass(spec);
  }
  registered = true;
}

void TWindow::Create(std::string class_name) {
  if (class_name.empty()) class_name = ClassName();
  DWORD style = nStyle != 0 ? nStyle : WS_OVERLAPPEDWINDOW;
  if (IsChildWindow()) style |= WS_CHILD;
  int width = nRight - nLeft + 1;
  int height = nBottom - nTop + 1;
  if (nBottom == kDefaultPosition) {
    width = nRight;
    height = nBottom;
  }
  HWND parent = oWnd ? oWnd->hWnd : nullptr;
  SetLastError(0);
  hWnd = CreateWindowExA(0, class_name.c_str(), cCaption.c_str(), style, WindowsPosition(nLeft),
                         WindowsPosition(nTop), WindowsPosition(width), WindowsPosition(height),
                         parent,
                         (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(nId)) : nullptr,
                         GetInstance(), nullptr);
  if (hWnd == nullptr) {
    WndCreateError(class_name);
    return;
  }
  Link();
}

void TWindow::WndCreateError(const std::string& class_name) const {
  const std::string text = "\r\nClass: " + class_name + "\r\nCaption: " + cCaption +
                           "\r\nSystem Error: " + LastErrorText();
  RaiseFrameworkError(static_cast<int>(FrameworkError::kCannotCreateWindow), text);
}

void TWindow::Link(bool subclass) {
  InstallWindowDispatch();
  if (hWnd != nullptr && slot_ == 0) {
    slot_ = TakeSlot(WindowRef(this));
    if (subclass) nOldProc = XChangeProc(hWnd, slot_);
  }
  // Middle button with Ctrl held opens the object inspector, when the program has one.
  bMButtonDown = xb::Value(xb::Block::Native([](xb::Args& a) -> xb::Value {
    if ((a.Int(3) & MK_CONTROL) != 0 && xb::IsFunctionRegistered("OINSPECT")) {
      return xb::CallFunction("OINSPECT", {a.Arg(4)});
    }
    return xb::Value();
  }));
}

void TWindow::UnLink() {
  // While Windows destroys the window its messages still arrive; the entry goes when the
  // last of them has been handled.
  if (destroying_ && dispatch_depth_ > 0) return;
  FinishUnlink();
}

void TWindow::FinishUnlink() {
  if (slot_ == 0) return;
  const int slot = slot_;
  slot_ = 0;
  WindowRef keep(this);
  if (nOldProc != nullptr) {
    XFreeProc(RestProc(hWnd != nullptr ? hWnd : SlotWindow(slot), nOldProc));
  } else {
    RestProc(SlotWindow(slot), nullptr);  // a window gone: the slot forgets it
  }
  nOldProc = nullptr;
  FreeSlot(slot);
  if (gone_) {
    // The children are gone before their parent; dropping them breaks the cycles.
    aControls.clear();
    oCtlFocus = nullptr;
    oTop = oLeft = oBottom = oRight = oClient = nullptr;
  }
}

void TWindow::Activate(const ActivateParams& p) {
  xb::ProcScope scope("TWINDOW:ACTIVATE");
  nResult = xb::Value();
  lValidating = false;
  bValid = p.valid;
  bDropFiles = p.drop_files;
  if (!bDropFiles.IsNil() && hWnd != nullptr) DragAcceptFiles(hWnd, TRUE);
  bPainted = p.painted;
  bRClicked = p.r_clicked;
  if (auto* bar = dynamic_cast<WindowScrollBar*>(oVScroll.get())) {
    bar->SetBlocks(p.v_up, p.v_down, p.v_page_up, p.v_page_down);
  }
  if (auto* bar = dynamic_cast<WindowScrollBar*>(oHScroll.get())) {
    bar->SetBlocks(p.h_up, p.h_down, p.h_page_up, p.h_page_down);
  }
  AEvalWhen();
  const std::string show = xb::UpperName(p.show);
  int mode = SW_SHOWNORMAL;
  if (show == "ICONIZED") mode = SW_SHOWMINIMIZED;
  if (show == "MAXIMIZED") mode = SW_SHOWMAXIMIZED;
  ShowWindow(hWnd, mode);
  UpdateWindow(hWnd);
  lVisible = true;
  if (!LWRunning()) SetWndApp(hWnd);
  Eval(bInit, {Self()});
  const Rect client = GetCliRect();
  ReSize(IsIconic() ? SIZE_MINIMIZED : SIZE_RESTORED, client.right, client.bottom);
  if (!oWnd && !LWRunning()) {
    WinRun(hWnd);
    lVisible = false;  // the loop ends with the window
  }
}

bool TWindow::lValid() {
  if (bValid.IsNil()) return true;
  const xb::Value result = Eval(bValid, {Self()});
  return result.IsLogical() ? result.AsLogical() : true;
}

bool TWindow::lWhen() {
  if (bWhen.IsNil()) return true;
  const xb::Value result = Eval(bWhen, {Self()});
  return result.IsLogical() ? result.AsLogical() : true;
}

bool TWindow::End() {
  const bool valid = lValid();
  if (valid && hWnd != nullptr) PostMessageA(hWnd, WM_CLOSE, 0, 0);
  return valid;
}

Answer TWindow::Destroy() {
  if (hWnd == nullptr) return {};
  WindowRef keep(this);
  if (oBrush) oBrush->End();
  if (auto* cursor = dynamic_cast<WindowCursor*>(oCursor.get())) cursor->End();
  if (auto* cursor = dynamic_cast<WindowCursor*>(oDragCursor.get())) cursor->End();
  if (auto* icon = dynamic_cast<WindowIcon*>(oIcon.get())) icon->EndIcon();
  if (oFont) oFont->End();
  if (WindowMenu* menu = MenuOf(oMenu)) menu->Destroy();
  if (WindowMenu* menu = MenuOf(oSysMenu)) menu->End();
  if (hDrop != nullptr) {  // the last drop kept for the program
    DragFinish(hDrop);
    hDrop = nullptr;
  }
  if (auto* bar = dynamic_cast<WindowScrollBar*>(oVScroll.get())) bar->DestroyBar();
  if (auto* bar = dynamic_cast<WindowScrollBar*>(oHScroll.get())) bar->DestroyBar();
  DestroyToolTip();
  UnLink();
  if (GetWndApp() == hWnd) PostQuitMessage(0);
  DeregDialog(hWnd);
  if (GetWndDefault().get() == this) SetWndDefault(nullptr);
  hWnd = nullptr;
  return {};
}

bool TWindow::IsIconic() const { return hWnd != nullptr && ::IsIconic(hWnd); }

// ---- device contexts and painting ---------------------------------------------------------

HDC TWindow::GetDC() {
  if (nPaintCount++ == 0 || hDC == nullptr) hDC = ::GetDC(hWnd);
  return hDC;
}

void TWindow::ReleaseDC() {
  if (nPaintCount > 0 && --nPaintCount == 0 && hDC != nullptr) {
    ::ReleaseDC(hWnd, hDC);
    hDC = nullptr;
  }
}

Answer TWindow::BeginPaint() {
  hDC = ui::BeginPaint(hWnd, cPS);
  ++nPaintCount;
  return {};
}

Answer TWindow::EndPaint() {
  if (nPaintCount > 0) --nPaintCount;
  ui::EndPaint(hWnd, cPS);
  cPS.clear();
  hDC = nullptr;
  return Answer::Number(0);
}

Answer TWindow::Paint() {
  if (IsIconic()) {
    const bool mdi_child = GetClass().IsDerivedFrom("TMDICHILD");
    SendMessageA(hWnd, mdi_child ? WM_ERASEBKGND : WM_ICONERASEBKGND,
                 reinterpret_cast<WPARAM>(hDC), 0);
    HICON icon = nullptr;
    if (auto* own = dynamic_cast<WindowIcon*>(oIcon.get())) icon = own->hIcon();
    ::DrawIcon(hDC, 0, 0, icon != nullptr ? icon : LoadIconA(nullptr, IDI_APPLICATION));
    return {};
  }
  if (bPainted.IsBlock()) return AnswerOf(Eval(bPainted, {xb::Value::Integer(reinterpret_cast<std::intptr_t>(hDC)), xb::Value::String(cPS), Self()}));
  return {};
}

Answer TWindow::EraseBkGnd(HDC dc) {
  const Rect client = GetCliRect();
  if (IsIconic()) {
    if (!oWnd || !oWnd->oBrush) return Answer::Number(0);
    FillRect(dc, client, oWnd->oBrush->hBrush);
    return Answer::Number(1);
  }
  if (oBrush && oBrush->hBrush != nullptr) {
    FillRect(dc, client, oBrush->hBrush);
    return Answer::Number(1);
  }
  return {};
}

// ---- geometry ---------------------------------------------------------------------------

Rect TWindow::GetCliRect() const { return ui::GetClientRect(hWnd); }

Rect TWindow::GetRect() const { return ui::GetWndRect(hWnd); }

int TWindow::nWidth() const {
  if (hWnd != nullptr) {
    const Rect r = GetRect();
    return r.right - r.left;
  }
  return nRight - nLeft + 1;
}

int TWindow::nHeight() const {
  if (hWnd != nullptr) {
    const Rect r = GetRect();
    return r.bottom - r.top;
  }
  return nBottom - nTop + 1;
}

void TWindow::SetWidth(int width) {
  if (hWnd != nullptr) {
    SetSize(width, nHeight());
  } else {
    nRight = nLeft + width - 1;
  }
}

void TWindow::SetHeight(int height) {
  if (hWnd != nullptr) {
    SetSize(nWidth(), height);
  } else {
    nBottom = nTop + height - 1;
  }
}

int TWindow::nVertRes() const {
  WindowDC dc(hWnd);
  return GetDeviceCaps(dc.get(), VERTRES);
}

int TWindow::nHorzRes() const {
  WindowDC dc(hWnd);
  return GetDeviceCaps(dc.get(), HORZRES);
}

void TWindow::CoorsUpdate() {
  if (hWnd == nullptr) return;
  const Rect r = GetCoors(hWnd);
  nTop = r.top;
  nLeft = r.left;
  nBottom = r.bottom - 1;
  nRight = r.right - 1;
}

void TWindow::SetCoors(const Rect& r) {
  nTop = r.top;
  nLeft = r.left;
  nBottom = r.bottom;
  nRight = r.right;
  if (hWnd != nullptr) MoveWindow(hWnd, r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1, TRUE);
}

void TWindow::Move(int top, int left, int width, int height, bool repaint) {
  if (width <= 0) width = nWidth();
  if (height <= 0) height = nHeight();
  MoveWindow(hWnd, left, top, width, height, repaint);
  CoorsUpdate();
}

void TWindow::SetSize(int width, int height, bool repaint) {
  SetWindowPos(hWnd, nullptr, 0, 0, width, height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
  CoorsUpdate();
}

void TWindow::Center(TWindow* over) {
  RECT area = {};
  HWND around = over != nullptr ? over->hWnd : (oWnd ? oWnd->hWnd : nullptr);
  if (around != nullptr) {
    GetWindowRect(around, &area);
  } else {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT own = {};
  GetWindowRect(hWnd, &own);
  POINT at = {area.left + ((area.right - area.left) - (own.right - own.left)) / 2,
              area.top + ((area.bottom - area.top) - (own.bottom - own.top)) / 2};
  if (HWND parent = GetParent(hWnd); parent != nullptr && (GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD)) {
    ::ScreenToClient(parent, &at);
  }
  SetWindowPos(hWnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  CoorsUpdate();
}

void TWindow::Show() { ShowWindow(hWnd, SW_SHOWNA); }
void TWindow::Hide() { ShowWindow(hWnd, SW_HIDE); }
void TWindow::Maximize() { ShowWindow(hWnd, SW_MAXIMIZE); }
void TWindow::Minimize() { ShowWindow(hWnd, SW_MINIMIZE); }
void TWindow::Normal() { ShowWindow(hWnd, SW_SHOWNORMAL); }
void TWindow::Restore() { ShowWindow(hWnd, SW_RESTORE); }
void TWindow::GoTop() { BringWindowToTop(hWnd); }

void TWindow::Enable() {
  lActive = true;
  EnableWindow(hWnd, TRUE);
}

void TWindow::Disable() {
  lActive = false;
  EnableWindow(hWnd, FALSE);
}

void TWindow::Capture() { SetCapture(hWnd); }

void TWindow::SetText(const std::string& text) {
  cCaption = text;
  if (hWnd != nullptr) SetWindowTextA(hWnd, text.c_str());
}

std::string TWindow::GetText() const {
  if (hWnd == nullptr) return cCaption;
  const int length = GetWindowTextLengthA(hWnd);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(hWnd, text.data(), length + 1);
  text.resize(static_cast<size_t>(got));
  return text;
}

// ---- colours, fonts, menus -------------------------------------------------------------

void TWindow::SetColor(COLORREF fore, COLORREF back, xb::Ref<TBrush> brush) {
  nClrText = fore;
  nClrPane = back;
  if (brush && brush.get() == oBrush.get()) return;  // its own brush: the use is counted
  if (oBrush) oBrush->End();
  oBrush = brush ? brush : TBrush::New("", nClrPane);
  if (brush) ++brush->nCount;  // the window holds one use of a brush it was given
}

void TWindow::SetColor(const std::string& pair, xb::Ref<TBrush> brush) {
  SetColor(NGetForeRGB(pair), NGetBackRGB(pair), std::move(brush));
}

void TWindow::SetBrush(xb::Ref<TBrush> brush) {
  if (!brush || brush.get() == oBrush.get()) return;
  ++brush->nCount;
  if (oBrush) oBrush->End();
  oBrush = std::move(brush);
  Refresh();
}

void TWindow::SetFont(xb::Ref<TFont> font) {
  if (!font) return;
  if (oFont && oFont->hFont != font->hFont) oFont->End();
  if (oFont.get() != font.get()) ++font->nCount;
  oFont = std::move(font);
  if (hWnd != nullptr) SendMessageA(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(oFont->hFont), TRUE);
}

bool TWindow::SelFont() {
  ChooseFontParams params;
  const xb::Ref<TFont> current = GetFont();
  LOGFONTA start = {};
  if (current && current->hFont != nullptr && GetObjectA(current->hFont, sizeof start, &start) == sizeof start) {
    params.font = start;
  }
  const ChosenFont chosen = ChooseFontDialog(params);
  if (!chosen.confirmed) return false;
  SetFont(TFont::New(TFont::SpecOf(chosen.font)));
  Refresh();
  return true;
}

xb::Ref<TFont> TWindow::GetFont() {
  if (!oFont && oWnd && oWnd->oFont) {
    oFont = oWnd->oFont;
    ++oFont->nCount;
    if (hWnd != nullptr) SendMessageA(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(oFont->hFont), FALSE);
    return oFont;
  }
  if (!oFont) {
    auto handle = hWnd != nullptr ? reinterpret_cast<HFONT>(SendMessageA(hWnd, WM_GETFONT, 0, 0)) : nullptr;
    if (handle != nullptr) {
      oFont = TFont::Wrap(handle);
      WindowDC dc(hWnd);
      SelectionScope select(dc.get(), handle);
      TEXTMETRICA tm = {};
      GetTextMetricsA(dc.get(), &tm);
      SIZE b = {};
      GetTextExtentPoint32A(dc.get(), "B", 1, &b);
      nChrHeight = tm.tmHeight;
      nChrWidth = b.cx;
    } else {
      TFont::Spec spec;
      spec.face = GetSysFont();
      spec.width = 0;
      spec.height = -12;
      oFont = TFont::New(spec);
    }
  }
  return oFont;
}

WindowMenu* TWindow::MenuOf(const xb::ObjectRef& object) const {
  return dynamic_cast<WindowMenu*>(object.get());
}

void TWindow::SetMenu(xb::ObjectRef menu) {
  oMenu = std::move(menu);
  WindowMenu* m = MenuOf(oMenu);
  if (m == nullptr || hWnd == nullptr) return;
  ::SetMenu(hWnd, m->hMenu());
  m->SetWindow(this);
  m->ActivateAccelerators();
}

void TWindow::SetIcon(xb::ObjectRef icon) {
  oIcon = std::move(icon);
  auto* own = dynamic_cast<WindowIcon*>(oIcon.get());
  if (own == nullptr || hWnd == nullptr) return;
  SendMessageA(hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(own->hIcon()));
}

void TWindow::SetMsg(const std::string& text, bool as_default) {
  if (auto* bar = dynamic_cast<WindowBar*>(oMsgBar.get())) {
    bar->SetMsg(text, as_default);
  } else if (oWnd) {
    oWnd->SetMsg(text, as_default);
  }
}

void TWindow::SetFocus() {
  if (lWhen() && hWnd != nullptr) ::SetFocus(hWnd);
}

// ---- controls ----------------------------------------------------------------------------

void TWindow::AddControl(WindowRef control) {
  if (!control) return;
  aControls.push_back(std::move(control));
  lValidating = false;
}

void TWindow::AEvalWhen() {
  for (const WindowRef& control : aControls) {
    if (!control || control->bWhen.IsNil()) continue;
    if (control->lWhen()) {
      control->Enable();
    } else {
      control->Disable();
    }
  }
}

void TWindow::Update() {
  for (const WindowRef& control : aControls) {
    if (control) control->UpdateFromParent();
  }
}

void TWindow::Refresh(bool erase) {
  if (hWnd != nullptr) InvalidateRect(hWnd, std::nullopt, erase);
}

LRESULT TWindow::SendMsg(UINT message, WPARAM wparam, LPARAM lparam) {
  return SendMessageA(hWnd, message, wparam, lparam);
}

bool TWindow::PostMsg(UINT message, WPARAM wparam, LPARAM lparam) {
  return PostMessageA(hWnd, message, wparam, lparam) != FALSE;
}

void TWindow::ToolWindow() {
  SetWindowLongA(hWnd, GWL_EXSTYLE, GetWindowLongA(hWnd, GWL_EXSTYLE) | WS_EX_TOOLWINDOW);
  SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TWindow::ClientEdge() {
  SetWindowLongA(hWnd, GWL_EXSTYLE, GetWindowLongA(hWnd, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
  SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

int TWindow::ChildLevel(std::string_view class_name) const {
  const std::string wanted = xb::UpperName(class_name);
  int level = 0;
  for (const xb::Class* c = &GetClass(); c != nullptr; c = c->Parent(), ++level) {
    if (c->Name() == wanted) return level + 1;
  }
  return 0;
}

WindowRef TWindow::ControlOf(HWND child) const {
  WindowRef found;
  for (const WindowRef& control : aControls) {
    if (control && control->hWnd == child) found = control;  // the last match wins
  }
  return found;
}

namespace {

bool IsTabStop(const TWindow& control) {
  return control.lActive && control.hWnd != nullptr &&
         (GetWindowLongA(control.hWnd, GWL_STYLE) & WS_TABSTOP) != 0;
}

// A radio button stands for its whole run of buttons: only the checked one is a stop.
bool IsActiveStop(const std::vector<WindowRef>& controls, size_t i) {
  const TWindow& c = *controls[i];
  if (c.RadioGroup() == nullptr) return IsTabStop(c);
  if (!c.IsCheckedRadio() || !c.lActive) return false;
  return true;
}

}  // namespace

WindowRef TWindow::FirstActiveCtrl() {
  if (aControls.empty()) return nullptr;
  if (aControls.size() == 1) return aControls.front();
  for (size_t i = 0; i < aControls.size(); ++i) {
    if (aControls[i] && IsActiveStop(aControls, i)) return aControls[i];
  }
  return aControls.front();
}

WindowRef TWindow::LastActiveCtrl() {
  if (aControls.empty()) return nullptr;
  if (aControls.size() == 1) return aControls.front();
  for (size_t i = aControls.size(); i-- > 0;) {
    if (aControls[i] && IsActiveStop(aControls, i)) return aControls[i];
  }
  return aControls.front();
}

namespace {

bool InPage(const TWindow& window) {
  return window.oWnd && window.oWnd->oWnd &&
         (window.oWnd->oWnd->GetClass().IsDerivedFrom("TFOLDER") ||
          window.oWnd->oWnd->GetClass().IsDerivedFrom("TPAGES"));
}

std::string WindowsClass(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return xb::UpperName(name);
}

}  // namespace

void TWindow::GoNextCtrl(HWND control) {
  WindowRef last = LastActiveCtrl();
  HWND next = nullptr;
  if (last && last->hWnd == control && InPage(*this)) {
    // Past the last stop of a page: the next stop after the folder in its own window.
    TWindow* folder = oWnd->oWnd.get();
    next = GetNextDlgTabItem(folder->oWnd ? folder->oWnd->hWnd : GetParent(folder->hWnd),
                             folder->hWnd, FALSE);
  } else {
    next = GetNextDlgTabItem(hWnd, control, FALSE);
    if (next == control && WindowsClass(control) == "EDIT") {
      next = GetNextDlgTabItem(GetParent(hWnd), control, FALSE);
    }
  }
  if (next != nullptr && next != control) {
    hCtlFocus = next;
    ::SetFocus(next);
  }
}

void TWindow::GoPrevCtrl(HWND control) {
  WindowRef first = FirstActiveCtrl();
  HWND prev = nullptr;
  if (first && first->hWnd == control && InPage(*this)) {
    TWindow* folder = oWnd->oWnd.get();
    prev = GetNextDlgTabItem(folder->oWnd ? folder->oWnd->hWnd : GetParent(folder->hWnd),
                             folder->hWnd, TRUE);
  } else {
    prev = GetNextDlgTabItem(hWnd, control, TRUE);
  }
  if (prev == nullptr || prev == control) return;
  // Going back into a folder: its current page's last stop.
  if (WindowRef target = OWndFromHwnd(prev); target && target->FocusTarget() != target->hWnd) {
    prev = target->FocusTarget();
  }
  hCtlFocus = prev;
  ::SetFocus(prev);
}

// ---- drawing wrappers ------------------------------------------------------------------

void TWindow::Say(int row, int col, const std::string& text, const SayStyle& style) {
  ui::SayStyle say;
  say.fore = style.fore.value_or(nClrText);
  say.back = style.back.value_or(nClrPane);
  say.font = style.font != nullptr ? style.font : (oFont ? oFont->hFont : nullptr);
  say.pixels = style.pixel;
  say.transparent = style.transparent;
  say.align = style.align;
  HDC dc = GetDC();
  WSay(hWnd, dc, row, col, text, say);
  ReleaseDC();
}

void TWindow::SayRect(int row, int col, const std::string& text, int width) {
  HDC dc = GetDC();
  SelectionScope font(dc, oFont ? oFont->hFont : nullptr);
  WSayRect(hWnd, dc, row, col, text, nClrText, nClrPane, width);
  ReleaseDC();
}

void TWindow::Line(int top, int left, int bottom, int right, HPEN pen) {
  HDC dc = GetDC();
  MoveTo(dc, left, top);
  LineTo(dc, right, bottom, pen);
  ReleaseDC();
}

void TWindow::Box(int top, int left, int bottom, int right) {
  HDC dc = GetDC();
  WndBox(dc, top, left, bottom, right);
  ReleaseDC();
}

void TWindow::Circle(int row, int col, int width) {
  HDC dc = GetDC();
  Ellipse(dc, col, row, col + width, row + width);
  ReleaseDC();
}

void TWindow::SetPixel(int x, int y, COLORREF colour) {
  HDC dc = GetDC();
  ::SetPixel(dc, x, y, colour);
  ReleaseDC();
}

void TWindow::FloodFill(int row, int col, COLORREF border, COLORREF fill) {
  HDC dc = GetDC();
  ui::FloodFill(dc, col, row, border, fill);
  ReleaseDC();
}

void TWindow::SelColor(bool fore) {
  const COLORREF before = fore ? nClrText : nClrPane;
  const COLORREF chosen = ChooseColorDialog(before);
  if (chosen == before) return;
  if (fore) {
    SetColor(chosen, nClrPane);
  } else {
    SetColor(nClrText, chosen);
  }
  Refresh();
}

void TWindow::SayBitmap(int row, int col, const std::string& bitmap, int width, int height, DWORD rop) {
  if (hWnd == nullptr || bitmap.empty()) return;
  const DWORD attributes = GetFileAttributesA(bitmap.c_str());
  const bool file = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  const std::optional<WORD> number = ResourceNumber(bitmap);
  Bitmap picture(file ? ReadBitmap(nullptr, bitmap)
                      : LoadBitmapFrom(GetResources(), number ? MAKEINTRESOURCEA(*number) : bitmap.c_str()));
  if (!picture) return;
  HDC dc = GetDC();
  DrawBitmap(dc, picture.get(), row, col, width, height, rop);
  ReleaseDC();
}

}  // namespace ui
