#include "ui/controls/tget.h"

#include <commdlg.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "runtime/function_table.h"
#include "runtime/lib/dates.h"
#include "runtime/lib/picture.h"
#include "runtime/sets.h"
#include "ui/bridge/bar_helpers.h"
#include "ui/bridge/message_loop.h"
#include "ui/controls/set_get.h"
#include "ui/controls/tscrollbar.h"
#include "ui/core/msg_box.h"
#include "ui/core/tdialog.h"
#include "ui/core/value_text.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

constexpr int kRowPixels = 13;
constexpr int kColPixels = 8;
constexpr int kInsertCaret = 6;
constexpr int kOverwriteCaret = 2;

bool ShiftHeld() { return ::GetKeyState(VK_SHIFT) < 0; }
bool CtrlHeld() { return ::GetKeyState(VK_CONTROL) < 0; }

// A block over a private value: the variable of a field made without one.
xb::Value PrivateVariable(xb::Value initial) { return SetGet::Of(std::move(initial)).block; }

std::string ClipboardText(bool* available) {
  *available = ::OpenClipboard(nullptr) != FALSE;
  if (!*available) return {};
  std::string text;
  if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(::GlobalLock(data))) {
      text = p;
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

bool PutClipboardText(const std::string& text) {
  if (!::OpenClipboard(nullptr)) return false;
  ::EmptyClipboard();
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  bool ok = false;
  if (block != nullptr) {
    if (char* p = static_cast<char*>(::GlobalLock(block))) {
      std::copy(text.begin(), text.end(), p);
      p[text.size()] = '\0';
      ::GlobalUnlock(block);
      ok = ::SetClipboardData(CF_TEXT, block) != nullptr;
    }
    if (!ok) ::GlobalFree(block);
  }
  ::CloseClipboard();
  return ok;
}

std::string Trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  const std::size_t first = s.find_first_not_of(' ');
  return first == std::string::npos ? std::string() : s.substr(first);
}

// The system's open dialog over one mask; "" when cancelled.
std::string OpenFileDialog(const std::string& mask, const std::string& title, HWND owner) {
  std::string filter = mask + '\0' + mask + '\0' + '\0';
  char file[MAX_PATH] = {};
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter.c_str();
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  return ::GetOpenFileNameA(&ofn) ? std::string(file) : std::string();
}

}  // namespace

TGet::TGet() : TGet(Cls()) {}

TGet::TGet(const xb::Class& cls) : TControl(cls) {}

void TGet::Traverse(xb::GcVisitor& visitor) {
  TControl::Traverse(visitor);
  if (oGet) visitor.Visit(oGet.get());
  if (oVSpin) visitor.Visit(oVSpin.get());
}

void TGet::ClearValues() {
  TControl::ClearValues();
  oGet = nullptr;
  oVSpin = nullptr;
  bMin = bMax = xb::Value();
}

void TGet::MakeGet(const xb::Value& set_get, const std::string& picture) {
  cPicture = picture;
  const xb::Class* clip = xb::Class::Find("TCLIPGET");
  oGet = clip != nullptr ? xb::MakeRef<xb::Get>(*clip) : xb::MakeRef<xb::Get>(xb::Get::Cls());
  oGet->block = set_get;
  oGet->row = oGet->col = 20;
  oGet->SetPicture(picture);
  bSetGet = set_get;
  switch (oGet->VarGet().ValType()) {
    case 'N': nTipoTeclado = "N"; break;
    case 'C': case 'M': nTipoTeclado = "C"; break;
    case 'D': nTipoTeclado = "D"; break;
    default: nTipoTeclado.clear(); break;
  }
}

TGet& TGet::New(const NewParams& p) {
  oWnd = p.parent ? p.parent : GetWndDefault();
  MakeGet(p.set_get.IsNil() ? PrivateVariable(xb::Value::String(std::string(50, ' '))) : p.set_get, p.picture);
  oFont = p.font ? p.font : (oWnd ? oWnd->oFont : nullptr);
  int height = p.height;
  if (height == 0) height = oFont && oFont->nInpHeight != 0 ? std::abs(oFont->nInpHeight) : 12;
  if (p.spinner) height = std::max(height, 15);
  const xb::Value value = oGet->VarGet();
  const std::string caption = cPicture.empty() ? CValToChar(value) : xb::Transform(value, xb::Picture(cPicture));
  nTop = p.pixel ? p.row : p.row * kRowPixels;
  nLeft = p.pixel ? p.col : p.col * kColPixels;
  nBottom = nTop + height - 1;
  const int width = p.width != 0 ? p.width - 1 : static_cast<int>((1 + caption.size()) * 3.5);
  nRight = nLeft + width + (p.spinner ? 20 : 0);

  DWORD style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL;
  if (!p.no_border) style |= WS_BORDER;
  if (!p.read_only) style |= WS_TABSTOP;
  if (p.design) style |= WS_CLIPSIBLINGS;
  if (p.spinner) style |= WS_VSCROLL;
  if (p.read_only) style |= ES_READONLY;
  if (p.centre) style |= ES_CENTER;
  else if (p.right) style |= ES_RIGHT;
  nStyle = style;
  bValid = p.valid;
  bWhen = p.when;
  bChange = p.change;
  cMsg = p.message;
  lUpdate = p.update;
  lReadOnly = p.read_only;
  lPassword = p.password;
  lNoBorder = p.no_border;
  lDesign = p.design;
  nHelpId = p.help_id;
  nPos = 1;
  nClrDef = p.back.value_or(::GetSysColor(COLOR_WINDOW));
  SetColor(p.fore.value_or(::GetSysColor(COLOR_WINDOWTEXT)), nClrDef);

  // The caption is the buffer the picture makes.
  oGet->SetFocus();
  cCaption = oGet->Buffer();
  oGet->KillFocus();
  if (CreateOrDefine("EDIT")) {
    if (p.spinner) Spinner(p.up, p.down, p.min, p.max);
  }
  if (lDesign) CheckDots();
  return *this;
}

TGet& TGet::ReDefine(int id, const RedefineParams& p) {
  xb::Value set_get = p.set_get;
  if (set_get.IsBlock() && set_get.AsBlock().Eval().IsNil()) set_get.AsBlock().Eval({xb::Value::String(std::string(30, ' '))});
  if (set_get.IsNil()) set_get = PrivateVariable(xb::Value::String(std::string(30, ' ')));
  MakeGet(set_get, p.picture);
  nHelpId = p.help_id;
  bValid = p.valid;
  bWhen = p.when;
  bChange = p.change;
  cMsg = p.message;
  lUpdate = p.update;
  lReadOnly = p.read_only;
  oFont = p.font;
  nClrDef = p.back.value_or(::GetSysColor(COLOR_WINDOW));
  SetColor(p.fore.value_or(::GetSysColor(COLOR_WINDOWTEXT)), nClrDef);
  nPos = 1;
  if (p.spinner) {
    bMin = p.min;
    bMax = p.max;
    bGoUpSpin_ = p.up;
    bGoDownSpin_ = p.down;
    spin_on_initiate_ = true;
  }
  Redefine(id, p.parent ? p.parent : GetWndDefault());
  return *this;
}

void TGet::Create(std::string class_name) {
  TControl::Create(class_name.empty() ? "EDIT" : class_name);
  if (hWnd == nullptr) return;
  if (oFont) SetFont(oFont);
  ShowText(DispText());
}

void TGet::Initiate(HWND dialog) {
  TControl::Initiate(dialog);
  if (hWnd == nullptr) return;
  oGet->SetFocus();
  const LONG style = ::GetWindowLongA(hWnd, GWL_STYLE);
  if ((style & ES_PASSWORD) != 0) lPassword = true;
  if ((style & ES_READONLY) != 0) lReadOnly = true;
  // A read-only field on the default colours looks disabled.
  if (lReadOnly && nClrDef == ::GetSysColor(COLOR_WINDOW)) {
    SetColor(::GetSysColor(COLOR_GRAYTEXT), ::GetSysColor(COLOR_BTNFACE));
  }
  if (lNoBorder) {
    ::SetWindowLongA(hWnd, GWL_STYLE, style & ~WS_BORDER);
    ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  }
  ShowText(DispText());
  oGet->KillFocus();
  if (spin_on_initiate_) Spinner(bGoUpSpin_, bGoDownSpin_, bMin, bMax);
}

// ---- what it shows ------------------------------------------------------------------------------

std::string TGet::DispText() const {
  const std::string& buffer = oGet->Buffer();
  if (lPassword && oGet->Type() == 'C') return std::string(Trimmed(buffer).size(), '*');
  return buffer;
}

void TGet::ShowText(const std::string& text) {
  if (hWnd == nullptr) return;
  char current[1024] = {};
  const int length = ::GetWindowTextA(hWnd, current, sizeof current);
  if (length < static_cast<int>(sizeof current) - 1 && text == std::string(current, static_cast<std::size_t>(length))) return;
  ::SetWindowTextA(hWnd, text.c_str());
}

void TGet::MoveCaret(int pos) {
  if (hWnd == nullptr) return;
  const int at = std::max(pos, 1) - 1;
  ::SendMessageA(hWnd, EM_SETSEL, static_cast<WPARAM>(at), static_cast<LPARAM>(at));
}

void TGet::EditUpdate() {
  if (!oGet->HasFocus()) return;
  ShowText(DispText());
  nPos = oGet->Pos();
  MoveCaret(nPos);
}

std::string TGet::cText() const {
  if (hWnd == nullptr) return oGet->Buffer();
  const int length = ::GetWindowTextLengthA(hWnd);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  ::GetWindowTextA(hWnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

void TGet::SetText(const xb::Value& value) {
  oGet->VarPut(value);
  Refresh();
}

void TGet::Refresh(bool) {
  if (oGet->HasFocus()) {
    oGet->UpdateBuffer();
  } else {
    oGet->SetFocus();
    oGet->KillFocus();
  }
  ShowText(DispText());
}

LRESULT TGet::ToEdit(UINT message, WPARAM wparam, LPARAM lparam) {
  if (hWnd == nullptr) return 0;
  if (nOldProc != nullptr) return ::CallWindowProcA(nOldProc, hWnd, message, wparam, lparam);
  return ::DefWindowProcA(hWnd, message, wparam, lparam);
}

void TGet::CreateInsertCaret() {
  if (hWnd == nullptr || ::GetFocus() != hWnd) return;
  TEXTMETRICA metrics = {};
  HDC dc = ::GetDC(hWnd);
  HGDIOBJ old = oFont ? ::SelectObject(dc, oFont->hFont) : nullptr;
  ::GetTextMetricsA(dc, &metrics);
  if (old != nullptr) ::SelectObject(dc, old);
  ::ReleaseDC(hWnd, dc);
  ::CreateCaret(hWnd, nullptr, xb::Sets().insert ? kInsertCaret : kOverwriteCaret, metrics.tmHeight);
  ::ShowCaret(hWnd);
}

// ---- selection and clipboard ---------------------------------------------------------------------

std::pair<int, int> TGet::GetSelPos() const {
  DWORD start = 0, end = 0;
  if (hWnd != nullptr) ::SendMessageA(hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {static_cast<int>(start), static_cast<int>(end)};
}

std::string TGet::GetSel() const {
  const auto [start, end] = GetSelPos();
  const std::string text = cText();
  if (start >= end || start >= static_cast<int>(text.size())) return {};
  return text.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

void TGet::GetDelSel(int start, int end) {
  if (!oGet->HasFocus() || start >= end) return;
  // From the right, so the positions to its left stay where they are; each deletion moves
  // only its own run of positions.
  for (int p = end; p > start; --p) {
    oGet->SetPos(p);
    if (oGet->mask() && oGet->mask()->IsEditable(static_cast<std::size_t>(p) - 1)) oGet->Delete();
  }
  oGet->Assign();
  oGet->SetPos(start + 1);
  EditUpdate();
}

void TGet::SelectAll() { SetSel(0, -1); }

void TGet::SetSel(int start, int end) {
  if (hWnd != nullptr) ::SendMessageA(hWnd, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
}

void TGet::Copy() {
  const std::string selected = GetSel();
  if (selected.empty()) return;
  if (!PutClipboardText(selected)) MsgAlert(xb::Value::String("El portapapeles no está disponible"), "Atención");
}

void TGet::Cut() {
  if (lReadOnly) return;
  const auto [start, end] = GetSelPos();
  if (start >= end) return;
  Copy();
  GetDelSel(start, end);
}

void TGet::Paste(std::optional<std::string> text) {
  if (lReadOnly) return;
  if (!text) {
    bool available = false;
    text = ClipboardText(&available);
    if (!available) {
      MsgAlert(xb::Value::String("El portapapeles no está disponible"), "Atención");
      return;
    }
  }
  const bool had_focus = oGet->HasFocus();
  if (!had_focus) oGet->SetFocus();
  const auto [start, end] = GetSelPos();
  if (start < end) GetDelSel(start, end);
  switch (oGet->Type()) {
    case 'N':
      // A number pasted is the new value, whichever point it was written with.
      oGet->VarPut(xb::ReadTypedNumber(*text));
      oGet->UpdateBuffer();
      break;
    case 'D':
      oGet->VarPut(xb::Value::FromDate(xb::CToD(Trimmed(*text))));
      oGet->UpdateBuffer();
      break;
    default:
      oGet->SetPos(nPos);
      oGet->Insert(*text);  // the picture decides what each position takes
      break;
  }
  EditUpdate();
  if (!had_focus) {
    oGet->Assign();
    oGet->KillFocus();
    ShowText(DispText());
  }
  ChangeAnswer(xb::Value::Integer(0), xb::Value());
}

void TGet::UnDo() {
  if (lReadOnly) return;
  if (oGet->HasFocus()) {
    oGet->Undo();
    EditUpdate();
  } else {
    oGet->SetFocus();
    oGet->Undo();
    oGet->KillFocus();
    ShowText(DispText());
  }
}

std::string TGet::SelFile(std::string mask, std::string title) {
  const xb::Value value = oGet->VarGet();
  if (mask.empty()) mask = value.IsString() ? Trimmed(std::string(value.AsString())) : std::string();
  if (mask.empty()) mask = "*.*";
  if (title.empty()) title = "Por favor, seleccione un fichero";
  std::string chosen;
  if (xb::IsFunctionRegistered("CGETFILE")) {
    const xb::Value answer = xb::CallFunction("CGETFILE", {xb::Value::String(mask), xb::Value::String(title)});
    if (answer.IsString()) chosen = std::string(answer.AsString());
  } else {
    chosen = OpenFileDialog(mask, title, hWnd);
  }
  if (chosen.empty()) return chosen;
  std::string stored = chosen;
  if (value.IsString() && stored.size() < value.AsString().size()) stored.resize(value.AsString().size(), ' ');
  oGet->VarPut(xb::Value::String(stored));
  Refresh();
  return chosen;
}

xb::Value TGet::ChangeAnswer(const xb::Value& key, const xb::Value& flags) {
  if (!bChange.IsBlock()) return xb::Value();
  const xb::Value args[] = {key, flags, Self()};
  return bChange.AsBlock().Call(args);
}

bool TGet::RunChange(int key, LPARAM flags) {
  const bool none = key == 0 && flags == 0;
  const xb::Value answer = ChangeAnswer(none ? xb::Value() : xb::Value::Integer(key),
                                        none ? xb::Value() : xb::Value::Integer(flags));
  return !(answer.IsLogical() && !answer.AsLogical());
}

// ---- spinner ---------------------------------------------------------------------------------------

void TGet::Spinner(const xb::Value& up, const xb::Value& down, const xb::Value& min, const xb::Value& max) {
  if (lReadOnly || hWnd == nullptr) return;
  bMin = min;
  bMax = max;
  TScrollBar::WinParams params;
  params.min = 0;
  params.max = 2;
  TGet* self = this;
  auto step = [self](const xb::Value& block, int direction) {
    return xb::Value(xb::Block::Native([self, block, direction](xb::Args&) {
      if (::GetFocus() != self->hWnd) ::SetFocus(self->hWnd);
      if (block.IsBlock()) {
        block.AsBlock().Eval({self->Self()});
      } else if (direction > 0) {
        self->Inc();
      } else {
        self->Dec();
      }
      if (self->oVSpin) self->oVSpin->SetPos(1);  // both arrows stay live
      return xb::Value();
    }));
  };
  params.go_up = step(up, 1);
  params.go_down = step(down, -1);
  oVSpin = TScrollBar::OverWindow(*this, params);
  oVSpin->SetPos(1);
  oVScroll = oVSpin;
}

void TGet::Step(int direction) {
  if (lReadOnly) return;
  const bool had_focus = oGet->HasFocus();
  if (!had_focus) oGet->SetFocus();
  if (oGet->BadDate()) {
    if (!had_focus) oGet->KillFocus();
    return;
  }
  oGet->Assign();
  oGet->UpdateBuffer();
  oGet->SetPos(nPos);
  const xb::Value before = oGet->VarGet();
  std::optional<xb::Value> stepped;
  const int point = oGet->DecPos();
  if (oGet->Type() == 'N' && point > 0 && nPos >= point && oGet->mask()) {
    // At or after the decimal point the caret steps the digit before it (the first decimal
    // right after the point): 1 / 10 ^ MAX(1, caret - point - 1).
    const int decimals = static_cast<int>(oGet->mask()->templ().size()) - point;
    const double step = direction / std::pow(10.0, std::max(1, nPos - point - 1));
    stepped = xb::Value::Double(before.AsDouble() + step, decimals);
  } else {
    stepped = oGet->Stepped(direction);
  }
  if (!stepped) {
    if (!had_focus) oGet->KillFocus();
    return;
  }
  const xb::Value& limit_block = direction > 0 ? bMax : bMin;
  if (limit_block.IsBlock()) {
    const xb::Value limit = limit_block.AsBlock().Eval();
    const bool beyond = stepped->IsDate() && limit.IsDate()
                            ? (direction > 0 ? stepped->AsDate() > limit.AsDate() : stepped->AsDate() < limit.AsDate())
                            : (direction > 0 ? stepped->AsDouble() > limit.AsDouble()
                                             : stepped->AsDouble() < limit.AsDouble());
    if (beyond && (limit.IsNumber() || limit.IsDate())) {
      ::MessageBeep(static_cast<UINT>(-1));
      if (!had_focus) oGet->KillFocus();
      return;
    }
  }
  oGet->VarPut(*stepped);
  oGet->UpdateBuffer();
  oGet->SetPos(nPos);
  ShowText(DispText());
  if (oGet->Type() == 'D') {
    // The part that changed is selected.
    const std::string& format = oGet->mask()->dateFormat();
    std::size_t at = std::min<std::size_t>(static_cast<std::size_t>(std::max(nPos, 1)) - 1, format.empty() ? 0 : format.size() - 1);
    auto letter = [](char c) { return std::string_view("dDmMyY").find(c) != std::string_view::npos; };
    while (at > 0 && !letter(format[at])) --at;
    std::size_t first = at, last = at;
    while (first > 0 && format[first - 1] == format[at]) --first;
    while (last + 1 < format.size() && format[last + 1] == format[at]) ++last;
    SetSel(static_cast<int>(first), static_cast<int>(last) + 1);
  } else {
    MoveCaret(nPos);
  }
  if (!had_focus) {
    oGet->KillFocus();
    ShowText(DispText());
  }
  if (!before.SameAs(*stepped)) RunChange(0, 0);
}

TGet& TGet::Inc() {
  Step(1);
  return *this;
}

TGet& TGet::Dec() {
  Step(-1);
  return *this;
}

// ---- focus and validation --------------------------------------------------------------------------

Answer TGet::GetDlgCode(WPARAM key) {
  if (oWnd && oWnd->aControls.size() > 1 && !oWnd->lValidating) oWnd->nLastKey = static_cast<int>(key);
  return Answer::Number(DLGC_WANTALLKEYS);
}

Answer TGet::GotFocus(HWND losing) {
  if (!lDesign) {
    if (!oGet->HasFocus()) oGet->SetFocus();
    ShowText(DispText());
    const char type = oGet->Type();
    if (type == 'N' || type == 'D') nPos = 1;
    oGet->SetPos(nPos);
    ToEdit(WM_SETFOCUS, reinterpret_cast<WPARAM>(losing), 0);
    MoveCaret(oGet->Pos());
    nPos = oGet->Pos();
    CreateInsertCaret();
  }
  TControl::GotFocus(losing);
  return Answer::Number(0);
}

Answer TGet::LostFocus(HWND receiving) {
  TControl::LostFocus(receiving);
  if (!oGet->HasFocus()) oGet->SetFocus();
  if (lPassword) ReadBackFromWindow();
  if (!oGet->BadDate() && !lReadOnly && (oGet->Changed() || !oGet->UnTransform().SameAs(oGet->Original()))) {
    oGet->Assign();
    oGet->UpdateBuffer();
  }
  ShowText(DispText());
  if (!oGet->BadDate()) {
    oGet->KillFocus();
    ShowText(DispText());
    nPos = 1;
  }
  if (on_lost_focus) {
    const std::function<void()> after = on_lost_focus;  // it may end the field
    after();
  }
  return {};
}

bool TGet::lValid() {
  if (oGet->BadDate()) {
    if (xb::IsFunctionRegistered("TONE")) xb::CallFunction("TONE", {xb::Value::Integer(100), xb::Value::Integer(3)});
    return false;
  }
  if (!bValid.IsBlock()) return true;
  const xb::Value answer = bValid.AsBlock().Eval({Self()});
  const bool ok = !(answer.IsLogical() && !answer.AsLogical());
  if (!ok && oWnd) oWnd->nLastKey = 0;
  return ok;
}

void TGet::ReadBackFromWindow() {
  if (!oGet->HasFocus()) return;
  std::string text = cText();
  if (lPassword && text.find_first_not_of('*') == std::string::npos) return;  // the stars shown
  oGet->SetBuffer(text);
  oGet->Assign();
}

// ---- keys --------------------------------------------------------------------------------------------

Answer TGet::KeyDown(int key, LPARAM flags) {
  nLastKey = key;
  if (oWnd) oWnd->nLastKey = key;
  if (on_key && on_key(key)) return Answer::Number(0);
  const bool shift = ShiftHeld();
  const bool ctrl = CtrlHeld();
  switch (key) {
    case VK_TAB:
    case VK_RETURN:
      return Answer::Number(0);  // the field moves on with the character that follows
    case VK_UP:
    case VK_DOWN:
      if (oWnd && oWnd->aControls.size() > 1) {
        if (key == VK_UP) oWnd->GoPrevCtrl(hWnd);
        else oWnd->GoNextCtrl(hWnd);
      }
      return Answer::Number(1);
    case VK_LEFT:
    case VK_RIGHT:
      if (!oGet->HasFocus()) oGet->SetFocus();
      if (key == VK_LEFT) {
        if (ctrl) oGet->WordLeft();
        else oGet->Left();
      } else {
        if (ctrl) oGet->WordRight();
        else oGet->Right();
      }
      nPos = oGet->Pos();
      MoveCaret(nPos);
      return Answer::Number(0);
    case VK_INSERT:
      if (shift) {
        Paste();
        return Answer::Number(0);
      }
      if (ctrl) {
        Copy();
        return Answer::Number(0);
      }
      xb::SetValue(xb::SET_INSERT, xb::Value::Logical(!xb::Sets().insert));
      CreateInsertCaret();
      return Answer::Number(0);
    case 'V':
    case 'X':
    case 'C':
      if (!ctrl) break;
      // Paste runs bChange itself; a read-only field changes nothing and runs nothing.
      if (key == 'C') {
        Copy();
      } else if (key == 'V') {
        Paste();
      } else if (!lReadOnly) {
        Cut();
        RunChange(key, flags);
      }
      return Answer::Number(0);
    case VK_HOME:
    case VK_END:
      if (shift) {
        ToEdit(WM_KEYDOWN, static_cast<WPARAM>(key), flags);
        nPos = GetSelPos().first + 1;
        return Answer::Number(0);
      }
      if (!oGet->HasFocus()) oGet->SetFocus();
      if (key == VK_HOME) oGet->Home();
      else oGet->End();
      nPos = oGet->Pos();
      MoveCaret(nPos);
      return Answer::Number(0);
    case VK_DELETE:
    case VK_BACK: {
      if (lReadOnly) return Answer::Number(0);
      if (!oGet->HasFocus()) oGet->SetFocus();
      const auto [start, end] = GetSelPos();
      if (start < end) {
        if (shift && key == VK_DELETE) Copy();
        GetDelSel(start, end);
      } else {
        oGet->SetPos(nPos);
        if (key == VK_DELETE) oGet->Delete();
        else oGet->BackSpace();
        EditUpdate();
      }
      RunChange(key, flags);
      return Answer::Number(0);
    }
    default:
      break;
  }
  return TControl::KeyDown(key, flags);
}

Answer TGet::KeyChar(int key, LPARAM flags) {
  if ((flags & (1 << 24)) != 0 && RunKeyHandler(key)) return Answer::Number(0);
  if (lReadOnly) {
    if (key == VK_ESCAPE && oWnd) oWnd->End();
    return Answer::Number(0);
  }
  switch (key) {
    case VK_BACK:
    case 3:   // Ctrl+C, Ctrl+V, Ctrl+X: done on the key itself
    case 22:
    case 24:
      return Answer::Number(0);
    case 26:  // Ctrl+Z
      UnDo();
      return Answer::Number(0);
    case VK_TAB:
    case VK_RETURN: {
      const bool back = key == VK_TAB && ShiftHeld();
      // With bChange, the focus moves on only when it answers .T.
      if (bChange.IsBlock()) {
        const xb::Value answer = ChangeAnswer(xb::Value::Integer(key), xb::Value::Integer(flags));
        if (!answer.IsLogical() || !answer.AsLogical()) return Answer::Number(0);
      }
      if (oWnd) {
        if (back) oWnd->GoPrevCtrl(hWnd);
        else oWnd->GoNextCtrl(hWnd);
      }
      if (key == VK_RETURN) TControl::KeyChar(key, flags);
      return Answer::Number(0);
    }
    default:
      break;
  }
  if (key < 32 || key > 255) return TControl::KeyChar(key, flags);

  if (!oGet->HasFocus()) oGet->SetFocus();
  const auto [start, end] = GetSelPos();
  if (start < end) GetDelSel(start, end);
  oGet->SetPos(nPos);
  const char c = static_cast<char>(key);
  if (oGet->Type() == 'N' && (c == '.' || c == ',')) {
    oGet->ToDecPos();
    EditUpdate();
    return Answer::Number(0);
  }
  if (!RunChange(key, flags)) return Answer::Number(0);
  if (xb::Sets().insert) oGet->Insert(std::string(1, c));
  else oGet->Overstrike(std::string(1, c));
  if (oGet->Rejected()) ::MessageBeep(static_cast<UINT>(-1));
  EditUpdate();
  if (oGet->TypeOut()) {
    if (xb::Sets().confirm) {
      ::MessageBeep(static_cast<UINT>(-1));
    } else if (oWnd) {
      oWnd->nLastKey = VK_RETURN;
      oWnd->GoNextCtrl(hWnd);
    }
  }
  return Answer::Number(0);
}

Answer TGet::KeyUp(int key, LPARAM flags) {
  if (key == VK_UP || key == VK_DOWN) return Answer::Number(1);
  return {};
}

// ---- mouse -------------------------------------------------------------------------------------------

Answer TGet::LButtonDown(int row, int col, WPARAM keys) {
  if (lDrag) return TControl::LButtonDown(row, col, keys);
  ToEdit(WM_LBUTTONDOWN, keys, MAKELPARAM(col, row));
  nPos = GetSelPos().first + 1;
  if (oGet->HasFocus()) oGet->SetPos(nPos);
  TControl::LButtonDown(row, col, keys);
  return Answer::Number(1);
}

Answer TGet::LButtonUp(int row, int col, WPARAM keys) {
  if (lDrag) return TControl::LButtonUp(row, col, keys);
  ToEdit(WM_LBUTTONUP, keys, MAKELPARAM(col, row));
  const std::string text = cText();
  const std::string trimmed = Trimmed(text);
  if (text == "( )") {
    nPos = 2;
  } else if (trimmed.empty() || trimmed == "/  /" || trimmed == "0" || trimmed == "-  -" || text == " / /" ||
             text == " - -") {
    nPos = 1;
  } else {
    const auto [start, end] = GetSelPos();
    nPos = (start == end ? end : start) + 1;
  }
  if (oGet->HasFocus()) {
    oGet->SetPos(nPos);
    if (GetSelPos().first == GetSelPos().second) MoveCaret(oGet->Pos());
  }
  return Answer::Number(0);
}

Answer TGet::RButtonDown(int row, int col, WPARAM keys) {
  if (::GetFocus() != hWnd) {
    ::SetFocus(hWnd);
    if (::GetFocus() != hWnd) return Answer::Number(0);
  }
  if (bRClicked.IsBlock()) {
    bRClicked.AsBlock().Eval({xb::Value::Integer(row), xb::Value::Integer(col), xb::Value::Integer(static_cast<std::int64_t>(keys)), Self()});
    return Answer::Number(0);
  }
  enum { kUndo = 1, kCut, kCopy, kPaste, kDelete, kSelectAll };
  const auto [start, end] = GetSelPos();
  const bool selection = start < end;
  bool available = false;
  const bool clipboard = !ClipboardText(&available).empty();
  const bool original = oGet->HasFocus() && oGet->UnTransform().SameAs(oGet->Original());
  HMENU menu = ::CreatePopupMenu();
  auto item = [&](UINT id, const char* text, bool enabled) {
    ::AppendMenuA(menu, MF_STRING | (enabled ? 0 : MF_GRAYED), id, text);
  };
  item(kUndo, "&Deshacer", !lReadOnly && !original);
  item(kCut, "Cor&tar", selection && !lReadOnly);
  item(kCopy, "&Copiar", selection);
  item(kPaste, "&Pegar", clipboard && !lReadOnly);
  item(kDelete, "&Eliminar", selection && !lReadOnly);
  ::AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  item(kSelectAll, "Seleccionar to&do", true);
  POINT at = {col, row - 60};
  ::ClientToScreen(hWnd, &at);
  const int chosen = ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, hWnd, nullptr);
  ::DestroyMenu(menu);
  switch (chosen) {
    case kUndo: UnDo(); break;
    case kCut: Cut(); break;
    case kCopy: Copy(); break;
    case kPaste: Paste(); break;
    case kDelete: GetDelSel(start, end); break;
    case kSelectAll: SelectAll(); break;
    default: break;
  }
  return Answer::Number(0);
}

Answer TGet::MouseMove(int row, int col, WPARAM keys) {
  if (lDrag) return TControl::MouseMove(row, col, keys);
  if (oWnd) oWnd->SetMsg(cMsg);  // an empty one brings the bar's default text back
  HCURSOR cursor = nullptr;
  if (auto* own = dynamic_cast<WindowCursor*>(oCursor.get())) cursor = own->hCursor();
  ::SetCursor(cursor != nullptr ? cursor : ::LoadCursorA(nullptr, IDC_IBEAM));
  CheckToolTip();
  if (bMMoved.IsBlock()) {
    bMMoved.AsBlock().Eval({xb::Value::Integer(row), xb::Value::Integer(col), xb::Value::Integer(static_cast<std::int64_t>(keys)), Self()});
  }
  return Answer::Number(0);
}

Answer TGet::HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_KEYUP: return KeyUp(static_cast<int>(wparam), lparam);
    case WM_PASTE: Paste(); return Answer::Number(0);
    case WM_CUT: Cut(); return Answer::Number(0);
    case WM_CLEAR: {
      const auto [start, end] = GetSelPos();
      GetDelSel(start, end);
      return Answer::Number(0);
    }
    default: return TControl::HandleEvent(message, wparam, lparam);
  }
}

Answer TGet::Destroy() { return TControl::Destroy(); }

Answer TGet::ReSize(int type, int width, int height) {
  if (lDrag) Refresh();
  return TControl::ReSize(type, width, height);
}

void TGet::Move(int top, int left, int width, int height, bool repaint) {
  TControl::Move(top, left, width, height, repaint);
  MoveGet(hWnd);
}

}  // namespace ui
