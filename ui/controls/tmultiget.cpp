#include "ui/controls/tmultiget.h"

#include <algorithm>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/object.h"
#include "runtime/sets.h"
#include "ui/bridge/bar_helpers.h"
#include "ui/core/msg_box.h"
#include "ui/core/tclipboard.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"
#include "ui/core/tmenu.h"
#include "ui/core/value_text.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

constexpr int kRowPixels = 13;
constexpr int kColPixels = 8;
constexpr int kInsertCaretWidth = 6;

bool ShiftHeld() { return GetKeyState(VK_SHIFT) < 0; }
bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }

std::string RightTrimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string ValueText(const xb::Value& value) {
  if (value.IsNil()) return {};
  return value.IsString() ? std::string(value.AsString()) : CValToChar(value);
}

}  // namespace

TMultiGet::TMultiGet() : TControl(Cls()) {}

TMultiGet& TMultiGet::New(const NewParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  bSetGet = p.set_get;
  cCaption = RightTrimmed(ValueText(VarGet()));
  nTop = p.pixel ? p.row : p.row * kRowPixels;
  nLeft = p.pixel ? p.col : p.col * kColPixels;
  const int width = p.width != 0 ? p.width : static_cast<int>(cCaption.size() * 3.5);
  nBottom = nTop + p.height - 1;
  nRight = nLeft + width - 1;
  DWORD style = WS_CHILD | WS_VISIBLE | ES_WANTRETURN | ES_MULTILINE;
  if (!p.read_only) style |= WS_TABSTOP;
  if (!p.no_border) style |= WS_BORDER;
  if (!p.no_vscroll) style |= WS_VSCROLL;
  if (p.hscroll) style |= WS_HSCROLL;
  if (p.design) style |= WS_CLIPSIBLINGS;
  if (p.centre) style |= ES_CENTER;
  else if (p.right) style |= ES_RIGHT;
  nStyle = style;
  oFont = p.font;
  oCursor = p.cursor;
  cMsg = p.message;
  lUpdate = p.update;
  bWhen = p.when;
  bValid = p.valid;
  bChange = p.change;
  lReadOnly = p.read_only;
  lDesign = p.design;
  hHeap = 0;
  SetColor(p.fore.value_or(GetSysColor(COLOR_WINDOWTEXT)), p.back.value_or(GetSysColor(COLOR_WINDOW)));
  CreateOrDefine("EDIT");
  if (lDesign) CheckDots();
  return *this;
}

TMultiGet& TMultiGet::ReDefine(const ReDefineParams& p) {
  bSetGet = p.set_get;
  nHelpId = p.help_id;
  oFont = p.font;
  oCursor = p.cursor;
  cMsg = p.message;
  lUpdate = p.update;
  bWhen = p.when;
  bValid = p.valid;
  bChange = p.change;
  lReadOnly = p.read_only;
  hHeap = 0;
  SetColor(p.fore.value_or(GetSysColor(COLOR_WINDOWTEXT)), p.back.value_or(GetSysColor(COLOR_WINDOW)));
  Redefine(p.id, p.parent ? p.parent : GetWndDefault());
  return *this;
}

void TMultiGet::Create(std::string class_name) {
  TControl::Create(class_name.empty() ? "EDIT" : class_name);
  if (hWnd == nullptr) return;
  // A memo may be longer than the control's default 30000 characters.
  SendMessageA(hWnd, EM_SETLIMITTEXT, 0, 0);
  Default();
  hHeap = 0;
}

void TMultiGet::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (hWnd == nullptr) return;
  SendMessageA(hWnd, EM_SETLIMITTEXT, 0, 0);
  SetWindowTextA(hWnd, ValueText(VarGet()).c_str());
  Default();
}

void TMultiGet::Default() {
  TControl::Default();
  if (oFont) {
    SetFont(oFont);
  } else if (oWnd && oWnd->oFont) {
    SetFont(oWnd->oFont);
  }
}

// ---- text ------------------------------------------------------------------------------------

std::string TMultiGet::cText() const {
  if (hWnd == nullptr) return cCaption;
  const int length = GetWindowTextLengthA(hWnd);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(hWnd, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(got, 0)));
  return text;
}

void TMultiGet::SetText(const std::string& text) {
  if (hWnd != nullptr) SetWindowTextA(hWnd, text.c_str());
}

void TMultiGet::Refresh(bool) { SetText(ValueText(VarGet())); }

void TMultiGet::Assign() {
  if (hWnd != nullptr) VarPut(xb::Value::String(cText()));
}

void TMultiGet::RunChange(const xb::Value& key, const xb::Value& flags) {
  if (bChange.IsBlock()) bChange.AsBlock().Eval({key, flags, Self()});
}

LRESULT TMultiGet::ToEdit(UINT message, WPARAM wparam, LPARAM lparam) {
  if (hWnd == nullptr) return 0;
  if (nOldProc != nullptr) return CallWindowProcA(nOldProc, hWnd, message, wparam, lparam);
  return DefWindowProcA(hWnd, message, wparam, lparam);
}

// ---- selection, lines and the clipboard ----------------------------------------------------------

std::pair<int, int> TMultiGet::Selection() const {
  DWORD start = 0, end = 0;
  if (hWnd != nullptr) SendMessageA(hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {static_cast<int>(start), static_cast<int>(end)};
}

std::string TMultiGet::GetSel() const {
  const auto [start, end] = Selection();
  if (start >= end) return {};
  const std::string text = cText();
  if (static_cast<size_t>(start) >= text.size()) return {};
  return text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
}

int TMultiGet::GetRow() const {
  if (hWnd == nullptr) return 1;
  return static_cast<int>(SendMessageA(hWnd, EM_LINEFROMCHAR, static_cast<WPARAM>(Selection().first), 0)) + 1;
}

int TMultiGet::GetCol() const {
  if (hWnd == nullptr) return 1;
  const LRESULT first = SendMessageA(hWnd, EM_LINEINDEX, static_cast<WPARAM>(GetRow() - 1), 0);
  return Selection().first - static_cast<int>(first) + 1;
}

void TMultiGet::Copy() {
  auto clip = xb::MakeRef<TClipBoard>();
  clip->New(TClipBoard::kText, WindowRef(this));
  if (!clip->SetText(GetSel())) MsgAlert(xb::Value::String("The clipboard is not available now!"));
}

void TMultiGet::Cut() {
  if (lReadOnly) {
    MsgAlert(xb::Value::String("The get is read only!"), "Can't cut");
    return;
  }
  SendMsg(WM_CUT);
  Assign();
  RunChange({}, {});
}

void TMultiGet::Del() {
  if (lReadOnly) {
    MsgAlert(xb::Value::String("The get is read only!"), "Can't delete");
    return;
  }
  SendMsg(WM_CLEAR);
  Assign();
  RunChange({}, {});
}

void TMultiGet::Paste(std::optional<std::string> text) {
  if (lReadOnly) return;
  if (text) {
    auto clip = xb::MakeRef<TClipBoard>();
    clip->New(TClipBoard::kText, WindowRef(this));
    clip->SetText(*text);
  }
  SendMsg(WM_PASTE);
  Assign();
  RunChange({}, {});
}

void TMultiGet::DelLine(int line) {
  if (hWnd == nullptr) return;
  if (line <= 0) line = GetRow();
  const auto start = SendMessageA(hWnd, EM_LINEINDEX, static_cast<WPARAM>(line - 1), 0);
  if (start < 0) return;
  auto next = SendMessageA(hWnd, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
  if (next < 0) next = GetWindowTextLengthA(hWnd);
  SendMessageA(hWnd, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(next));
  Cut();
}

void TMultiGet::UnDo() {
  SendMsg(EM_UNDO);
  Assign();
}

void TMultiGet::SelectAll() { SendMsg(EM_SETSEL, 0, -1); }

void TMultiGet::Print() {
  // The framework's printer lives above the controls: it is reached by its public functions.
  using xb::Value;
  const Value printer =
      xb::IsFunctionRegistered("PRINTBEGIN") ? xb::CallFunction("PRINTBEGIN", {Value::String("Notes")}) : Value();
  const std::int64_t dc = printer.IsObject() ? xb::Send(printer, "HDC").AsInt() : 0;
  if (dc == 0) {
    if (printer.IsObject()) xb::CallFunction("PRINTEND");
    MsgStop(Value::String("Printer not ready!"));
    return;
  }
  Assign();
  const std::string text = cText();
  TFont::Spec spec;
  spec.face = GetSysFont();
  spec.height = -11;
  spec.device = reinterpret_cast<HDC>(static_cast<std::intptr_t>(dc));
  const xb::Ref<TFont> font = TFont::New(spec);
  constexpr int kLinesAPage = 60;
  const std::int64_t line_height = xb::Send(printer, "NVERTRES").AsInt() / kLinesAPage;
  int line = 0;
  for (std::size_t from = 0;;) {
    const std::size_t end = text.find("\r\n", from);
    if (line % kLinesAPage == 0) {
      if (line > 0) xb::CallFunction("PAGEEND");
      xb::CallFunction("PAGEBEGIN");
    }
    xb::Send(printer, "SAY",
             {Value::Integer(line % kLinesAPage * line_height), Value::Integer(0),
              Value::String(text.substr(from, end == std::string::npos ? std::string::npos : end - from)),
              Value(font)});
    ++line;
    if (end == std::string::npos) break;
    from = end + 2;
  }
  xb::CallFunction("PAGEEND");
  xb::CallFunction("PRINTEND");
  font->End();
}

void TMultiGet::Move(int top, int left, int width, int height, bool repaint) {
  TControl::Move(top, left, width, height, repaint);
  MoveGet(hWnd);
}

// ---- messages ---------------------------------------------------------------------------------------

Answer TMultiGet::GotFocus(HWND losing) {
  TControl::GotFocus(losing);
  ToEdit(WM_SETFOCUS, reinterpret_cast<WPARAM>(losing), 0);
  if (xb::Sets().insert && hWnd != nullptr && GetFocus() == hWnd) {
    TEXTMETRICA metrics = {};
    HDC dc = ::GetDC(hWnd);
    HGDIOBJ old = oFont ? SelectObject(dc, oFont->hFont) : nullptr;
    GetTextMetricsA(dc, &metrics);
    if (old != nullptr) SelectObject(dc, old);
    ::ReleaseDC(hWnd, dc);
    CreateCaret(hWnd, nullptr, kInsertCaretWidth, metrics.tmHeight);
    ShowCaret(hWnd);
  }
  return Answer::Number(0);
}

Answer TMultiGet::LostFocus(HWND receiving) {
  const Answer answer = TControl::LostFocus(receiving);
  Assign();
  nPos = Selection().first;
  return answer;
}

Answer TMultiGet::KeyDown(int key, LPARAM flags) {
  const bool paste_or_cut = (key == VK_INSERT && ShiftHeld()) || (CtrlHeld() && (key == 'V' || key == 'X'));
  if (paste_or_cut) {
    if (!lReadOnly) {
      ToEdit(WM_KEYDOWN, static_cast<WPARAM>(key), flags);
      RunChange(xb::Value::Integer(key), xb::Value::Integer(flags));
    }
    return Answer::Number(0);
  }
  if (key == VK_DELETE && lReadOnly) return Answer::Number(0);
  return TControl::KeyDown(key, flags);
}

Answer TMultiGet::KeyChar(int key, LPARAM flags) {
  if ((flags & (1 << 24)) != 0 && RunKeyHandler(key)) return Answer::Number(0);
  // Read-only: no character edits it; Tab and Escape still leave.
  if (lReadOnly && key != VK_TAB && key != VK_ESCAPE) return Answer::Number(0);
  if (!lReadOnly && bChange.IsBlock()) {
    const xb::Value answer = bChange.AsBlock().Eval({xb::Value::Integer(key), xb::Value::Integer(flags), Self()});
    if (answer.IsLogical() && !answer.AsLogical()) return Answer::Number(0);
  }
  if (key == VK_RETURN && (nStyle & ES_WANTRETURN) != 0) {
    if (oWnd) oWnd->nLastKey = 0;
    return {};  // a new line
  }
  if (key == VK_ESCAPE) {
    if (auto* dialog = dynamic_cast<TDialog*>(oWnd.get()); dialog != nullptr && dialog->IsModal()) return {};
  }
  return TControl::KeyChar(key, flags);
}

Answer TMultiGet::RButtonDown(int row, int col, WPARAM keys) {
  if (hWnd == nullptr) return Answer::Number(0);
  if (GetFocus() != hWnd) {
    ::SetFocus(hWnd);
    if (GetFocus() != hWnd) return Answer::Number(0);
  }
  if (bRClicked.IsBlock()) {
    bRClicked.AsBlock().Eval({xb::Value::Integer(row), xb::Value::Integer(col),
                              xb::Value::Integer(static_cast<std::int64_t>(keys)), Self()});
    return Answer::Number(0);
  }
  xb::Ref<TMultiGet> self(this);
  const auto [start, end] = Selection();
  const bool selection = start < end;
  auto clip = xb::MakeRef<TClipBoard>();
  clip->New(TClipBoard::kText, WindowRef(this));
  const bool clipboard_text = !clip->IsEmpty();
  auto menu = TMenu::New(true);
  auto add = [&](const char* prompt, bool active, void (*action)(TMultiGet&)) {
    TMenuItem::Spec spec;
    if (prompt != nullptr) {
      spec.prompt = prompt;
      spec.active = active;
      spec.action = xb::Value(xb::Block::Native([self, action](xb::Args&) {
        action(*self);
        return xb::Value();
      }));
    }
    menu->Add(TMenuItem::New(spec));
  };
  add("&Undo", SendMsg(EM_CANUNDO) != 0, [](TMultiGet& m) { m.UnDo(); });
  add(nullptr, true, nullptr);
  add("Cu&t", selection && !lReadOnly, [](TMultiGet& m) { m.Cut(); });
  add("&Copy", selection, [](TMultiGet& m) { m.Copy(); });
  add("&Paste", clipboard_text && !lReadOnly, [](TMultiGet& m) { m.Paste(); });
  add("&Delete", selection && !lReadOnly, [](TMultiGet& m) { m.Del(); });
  add(nullptr, true, nullptr);
  add("P&rint", true, [](TMultiGet& m) { m.Print(); });
  add(nullptr, true, nullptr);
  add("Select &All", true, [](TMultiGet& m) { m.SelectAll(); });
  menu->Activate(row - 60, col, *this);
  return Answer::Number(0);
}

Answer TMultiGet::LButtonUp(int row, int col, WPARAM keys) {
  const Answer answer = TControl::LButtonUp(row, col, keys);
  if (lDesign) Refresh();
  return answer;
}

Answer TMultiGet::MouseMove(int row, int col, WPARAM keys) {
  if (lDesign) return TControl::MouseMove(row, col, keys);
  SetMsg(cMsg);  // an empty one brings the bar's default text back
  HCURSOR cursor = nullptr;
  if (auto* own = dynamic_cast<WindowCursor*>(oCursor.get())) cursor = own->hCursor();
  SetCursor(cursor != nullptr ? cursor : LoadCursorA(nullptr, IDC_IBEAM));
  CheckToolTip();
  if (bMMoved.IsBlock()) {
    bMMoved.AsBlock().Eval({xb::Value::Integer(row), xb::Value::Integer(col),
                            xb::Value::Integer(static_cast<std::int64_t>(keys)), Self()});
  }
  return {};  // the control selects with the mouse
}

Answer TMultiGet::Destroy() {
  hHeap = 0;
  return TControl::Destroy();
}

}  // namespace ui
