#include "ui/core/msg_box.h"

#include <algorithm>
#include <cmath>

#include "runtime/block.h"
#include "runtime/function_table.h"
#include "runtime/lib/memo_lines.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/message_loop.h"
#include "ui/bridge/plain_boxes.h"
#include "ui/bridge/resources.h"
#include "ui/core/plain_control.h"
#include "ui/core/tdialog.h"
#include "ui/core/tfont.h"
#include "ui/core/value_text.h"

namespace ui {
namespace {

struct KindLook {
  LPCSTR icon;
  UINT sound;
};

KindLook LookOf(AlertKind kind) {
  switch (kind) {
    case AlertKind::kQuestion: return {MAKEINTRESOURCEA(32514), 32};
    case AlertKind::kWarning: return {MAKEINTRESOURCEA(32515), 64};
    case AlertKind::kInformation: return {MAKEINTRESOURCEA(32516), 0};
    default: return {MAKEINTRESOURCEA(32513), 48};
  }
}

// ";" and "\n\r" break lines; both become "\r\n".
std::string BreakLines(std::string text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && i + 1 < text.size() && text[i + 1] == '\r') {
      out += "\r\n";
      ++i;
    } else if (text[i] == ';') {
      out += "\r\n";
    } else {
      out += text[i];
    }
  }
  return out;
}

xb::Ref<TFont> BoxFont() {
  TFont::Spec spec;
  spec.face = "Ms Sans Serif";
  spec.width = xb::IsFunctionRegistered("NFONTVSIZE") ? static_cast<int>(xb::CallFunction("NFONTVSIZE").AsInt()) : 0;
  spec.height = xb::IsFunctionRegistered("NFONTHSIZE") ? static_cast<int>(xb::CallFunction("NFONTHSIZE").AsInt()) : -12;
  return TFont::New(spec);
}

SIZE TextSize(HDC dc, const std::string& text) {
  SIZE size = {};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

// The widest of the text's lines, as MEMOLINE breaks them at 254 characters.
int WidestLine(HDC dc, const std::string& text) {
  int widest = 0;
  for (const std::string& line : xb::MemoLines(text, xb::MemoLayout{254, 4, true})) {
    widest = std::max(widest, static_cast<int>(TextSize(dc, line).cx));
  }
  return widest;
}

int WidestText(HDC dc, const std::vector<std::string>& texts) {
  int widest = 0;
  for (const std::string& t : texts) widest = std::max(widest, static_cast<int>(TextSize(dc, t).cx));
  return widest;
}

void CenterOn(HWND window, HWND owner) {
  RECT area = {};
  if (owner != nullptr && IsWindowVisible(owner)) {
    GetWindowRect(owner, &area);
  } else {
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT own = {};
  GetWindowRect(window, &own);
  const int x = area.left + ((area.right - area.left) - (own.right - own.left)) / 2;
  const int y = area.top + ((area.bottom - area.top) - (own.bottom - own.top)) / 2;
  SetWindowPos(window, nullptr, std::max(0, x), std::max(0, y), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

DialogRef NewBox(const std::string& title, const xb::Ref<TFont>& font) {
  auto dialog = xb::MakeRef<TDialog>();
  TDialog::NewParams p;
  p.caption = title;
  p.pixel = true;
  p.bottom = 100;
  p.right = 200;
  p.font = font;
  dialog->New(p);
  dialog->lHelpIcon = false;  // no "?" button
  return dialog;
}

HWND IconLabel(const DialogRef& dialog, HICON icon, int top, int left) {
  HWND label = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_ICON, left, top, 32, 32, dialog->hWnd,
                               nullptr, GetInstance(), nullptr);
  SendMessageA(label, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  return label;
}

std::string Default(const xb::Value& v, const char* fallback) {
  return v.IsString() ? std::string(v.AsString()) : fallback;
}

}  // namespace

// ---- _ALERT ---------------------------------------------------------------------------------------

int ShowAlert(const AlertParams& params) {
  const bool timed = !params.buttons.has_value() && params.timeout_seconds > 0;
  // A box with buttons given, or a timed one, answers the button pressed.
  const bool answer_counts = params.buttons.has_value() || timed;
  if (Unattended()) {
    // Nobody to answer: the default button, the first; a timed box runs out of time.
    TellUnattended(params.title, params.text);
    return answer_counts && !timed ? 1 : 0;
  }
  std::vector<std::string> buttons = params.buttons.value_or(std::vector<std::string>{"&Aceptar"});
  if (buttons.empty()) buttons.push_back("&Aceptar");
  AlertKind kind = params.kind.value_or(buttons.size() > 1 ? AlertKind::kQuestion : AlertKind::kStop);
  if (static_cast<int>(kind) < 1 || static_cast<int>(kind) > 4) kind = AlertKind::kStop;
  const KindLook look = LookOf(kind);
  const std::string text = BreakLines(params.text);
  const xb::Ref<TFont> font = BoxFont();
  const DialogRef dialog = NewBox(params.title, font);
  int chosen = 0;
  const int timeout = timed ? params.timeout_seconds : 0;

  dialog->bInit = xb::Value(xb::Block::Native([&](xb::Args&) -> xb::Value {
    MessageBeep(look.sound);
    HWND hwnd = dialog->hWnd;
    WindowDC dc(hwnd);
    SelectionScope select(dc.get(), font->hFont);
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc.get(), &tm);
    const bool touch = xb::IsFunctionRegistered("LISTACTIL") && xb::CallFunction("LISTACTIL").AsLogical();
    const int line_height = tm.tmHeight + (touch ? 3 : 21);
    const int button_height = line_height + 8;
    const int text_width = std::min(WidestLine(dc.get(), text) + 10, 375);
    const int button_width = WidestText(dc.get(), buttons) + 40;
    const int n = static_cast<int>(buttons.size());
    const int span = (button_width + 10) * n;
    const int width = std::max(70 + text_width + 50, 50 + span + 50 - 20) + 8;
    RECT measure = {0, 0, text_width, 0};
    DrawTextA(dc.get(), text.c_str(), static_cast<int>(text.size()), &measure,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    const int text_height = static_cast<int>(measure.bottom - measure.top) + 15;
    const int inner = 3 * line_height + text_height + 4 + button_height;
    SetWindowPos(hwnd, nullptr, 0, 0, width, inner + GetSystemMetrics(SM_CYCAPTION),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    HWND label = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 70,
                                 2 * line_height, text_width, text_height, hwnd, nullptr, GetInstance(), nullptr);
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font->hFont), FALSE);
    IconLabel(dialog, LoadIconA(nullptr, look.icon), line_height, 18);

    const int top = inner - line_height - button_height;
    int right = width - 8 - 10;
    std::vector<xb::Ref<PlainControl>> made(buttons.size());
    for (int i = n - 1; i >= 0; --i) {
      PlainControl::Params b;
      b.top = top;
      b.left = right - button_width;
      b.width = button_width;
      b.height = button_height;
      b.windows_class = "BUTTON";
      b.caption = buttons[static_cast<size_t>(i)];
      b.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      b.parent = dialog;
      made[static_cast<size_t>(i)] = PlainControl::Place(b);
      right -= button_width + 10;
    }
    // In tab order from the first button.
    for (int i = 0; i < n; ++i) {
      auto& button = made[static_cast<size_t>(i)];
      if (!button || button->hWnd == nullptr) continue;
      SetWindowPos(button->hWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      button->on_click = [&chosen, i, d = dialog.get()] {
        chosen = i + 1;
        if (d->hWnd != nullptr) KillTimer(d->hWnd, 1);
        d->End(i + 1);
      };
    }
    if (timeout > 0) {
      SetTimer(hwnd, 1, static_cast<UINT>(timeout) * 1000, [](HWND box, UINT, UINT_PTR id, DWORD) {
        KillTimer(box, id);
        EndDialog(box, 0);  // closed by time: no button
      });
    }
    CenterOn(hwnd, GetWindow(hwnd, GW_OWNER));
    if (n == 1 && made[0] && made[0]->hWnd != nullptr) {
      SetFocus(made[0]->hWnd);
      return xb::Value::Logical(false);
    }
    return xb::Value();
  }));
  TDialog::ActivateParams activate;
  activate.init = dialog->bInit;
  dialog->Activate(activate);
  dialog->bInit = xb::Value();  // the block refers to this frame
  return answer_counts ? chosen : 0;
}

void MsgInfo(const xb::Value& text, const std::string& title) {
  ShowAlert({.text = text.IsNil() ? std::string() : CValToChar(text), .buttons = std::vector<std::string>{"Aceptar"},
             .title = title, .kind = AlertKind::kInformation});
}

int MsgStop(const xb::Value& text, const std::string& title) {
  return ShowAlert({.text = CValToChar(text), .buttons = std::vector<std::string>{"Aceptar"}, .title = title,
                    .kind = AlertKind::kStop});
}

int MsgAlert(const xb::Value& text, const std::string& title) {
  return ShowAlert({.text = CValToChar(text), .buttons = std::vector<std::string>{"Aceptar"}, .title = title,
                    .kind = AlertKind::kWarning});
}

bool MsgYesNo(const xb::Value& text, const std::string& title) {
  return ShowAlert({.text = CValToChar(text), .buttons = std::vector<std::string>{"&Sí", "&No"}, .title = title,
                    .kind = AlertKind::kQuestion}) == 1;
}

bool MsgNoYes(const xb::Value& text, const std::string& title) {
  return ShowAlert({.text = CValToChar(text), .buttons = std::vector<std::string>{"&No", "&Sí"}, .title = title,
                    .kind = AlertKind::kQuestion}) == 1;
}

bool MsgRetryCancel(const xb::Value& text, const std::string& title) {
  return ShowAlert({.text = CValToChar(text), .buttons = std::vector<std::string>{"&Reintentar", "Cancelar"},
                    .title = title, .kind = AlertKind::kQuestion}) == 1;
}

// ---- ALERT -----------------------------------------------------------------------------------------

namespace {

HICON AlertIcon(const xb::Value& icon) {
  if (icon.IsString()) {
    const std::string name(icon.AsString());
    if (GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES) {
      if (HANDLE h = LoadImageA(nullptr, name.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE)) {
        return static_cast<HICON>(h);
      }
    }
    if (HICON h = LoadIconA(GetResources(), name.c_str())) return h;
  } else if (icon.IsNumber()) {
    if (HICON h = LoadIconA(nullptr, MAKEINTRESOURCEA(static_cast<int>(icon.AsInt())))) return h;
  }
  return LoadIconA(nullptr, MAKEINTRESOURCEA(32515));
}

}  // namespace

int AlertBox(const AlertBoxParams& params) {
  std::vector<std::string> options = params.options.empty() ? std::vector<std::string>{"&OK"} : params.options;
  if (Unattended()) {
    TellUnattended(params.title, params.text);
    const int n = static_cast<int>(options.size());
    return params.default_option >= 1 && params.default_option <= n ? params.default_option : 1;
  }
  const std::string text = BreakLines(params.text);
  const xb::Ref<TFont> font = BoxFont();
  const DialogRef dialog = NewBox(params.title, font);
  const int n = static_cast<int>(options.size());
  const int default_option = params.default_option >= 1 && params.default_option <= n ? params.default_option : 1;
  dialog->Cargo = xb::Value::Integer(0);
  const HICON icon = AlertIcon(params.icon);

  dialog->bInit = xb::Value(xb::Block::Native([&](xb::Args&) -> xb::Value {
    HWND hwnd = dialog->hWnd;
    WindowDC dc(hwnd);
    SelectionScope select(dc.get(), font->hFont);
    TEXTMETRICA tm = {};
    GetTextMetricsA(dc.get(), &tm);
    const int char_height = tm.tmHeight;
    constexpr int kMargin = 10;
    constexpr int kIcon = 32;
    const int lines = static_cast<int>(std::max<size_t>(1, xb::MemoLineCount(text, xb::MemoLayout{254, 4, true})));
    const int full_width = WidestLine(dc.get(), text) + 10;
    const int full_height = lines * char_height;
    const bool too_wide = full_width > 500;
    const bool too_high = full_height > 400;
    // A field that scrolls keeps its text area clear of its scroll bars.
    const int text_width = std::min(full_width, 500) + (too_high ? GetSystemMetrics(SM_CXVSCROLL) + 4 : 0);
    const int text_height = too_wide || too_high
                                ? std::max(std::min(full_height, 400), 100) + (too_wide ? GetSystemMetrics(SM_CYHSCROLL) : 0)
                                : full_height;
    const int text_left = kMargin + kIcon + kMargin;

    const int button_width = std::max(WidestText(dc.get(), options) + 50, 100);
    const int button_height = static_cast<int>(std::lround(1.7 * char_height));
    const int row_width = n * button_width + (n + 2) * 7;
    const int client_width = std::max(text_left + text_width + kMargin, row_width + 10);
    const int button_top = kMargin + std::max(text_height, kIcon) + kMargin;
    const int client_height = button_top + button_height + kMargin;

    RECT frame = {0, 0, client_width, client_height};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(hwnd, GWL_EXSTYLE)));
    SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    IconLabel(dialog, icon, kMargin, kMargin);

    if (too_wide || too_high) {
      // Too long for a label: a read-only field that scrolls, without caret or selection.
      PlainControl::Params e;
      e.top = kMargin;
      e.left = text_left;
      e.width = text_width;
      e.height = text_height;
      e.windows_class = "EDIT";
      e.caption = text;
      // The lines are the text's own: the field never wraps them.
      e.style = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL |
                (too_high ? WS_VSCROLL : 0) | (too_wide ? WS_HSCROLL : 0);
      e.parent = dialog;
      auto edit = PlainControl::Place(e);
      edit->SetColor(dialog->nClrText, dialog->nClrPane);
      edit->on_focus = [h = edit->hWnd] {
        SendMessageA(h, EM_SETSEL, static_cast<WPARAM>(-1), 0);
        HideCaret(h);
      };
    } else {
      HWND label = CreateWindowExA(0, "STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, text_left,
                                   kMargin, text_width, text_height, hwnd, nullptr, GetInstance(), nullptr);
      SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font->hFont), FALSE);
    }

    int left = (client_width - (n * button_width + (n - 1) * 7)) / 2;
    HWND focus = nullptr;
    for (int i = 0; i < n; ++i) {
      PlainControl::Params b;
      b.top = button_top;
      b.left = left;
      b.width = button_width;
      b.height = button_height;
      b.windows_class = "BUTTON";
      b.caption = options[static_cast<size_t>(i)];
      b.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i + 1 == default_option ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      b.parent = dialog;
      auto button = PlainControl::Place(b);
      button->on_click = [i, d = dialog.get()] {
        d->Cargo = xb::Value::Integer(i + 1);
        d->End(i + 1);
      };
      if (i + 1 == default_option) focus = button->hWnd;
      left += button_width + 7;
    }
    CenterOn(hwnd, nullptr);
    if (focus != nullptr) SetFocus(focus);
    return xb::Value::Logical(false);
  }));
  TDialog::ActivateParams activate;
  activate.init = dialog->bInit;
  dialog->Activate(activate);
  dialog->bInit = xb::Value();
  return static_cast<int>(dialog->Cargo.AsInt());
}

// ---- MSGRUNHIDE / MSGWAITHIDE -------------------------------------------------------------------------

void MsgRunHide(const std::string& given_text, const std::string& title, const xb::Value& action) {
  const std::string text = given_text.empty() ? "Please, wait..." : given_text;
  const xb::Ref<TFont> font = BoxFont();
  auto dialog = xb::MakeRef<TDialog>();
  TDialog::NewParams p;
  p.bottom = title.empty() ? 3 : 4;
  p.right = static_cast<int>(text.size()) + 4;
  p.style = title.empty() ? (WS_POPUP | DS_MODALFRAME) : TDialog::kDefaultStyle;
  if (!title.empty()) p.caption = title;
  p.font = font;
  dialog->New(p);
  dialog->lHelpIcon = false;
  PlainControl::Params label;
  label.id = 5000;
  label.windows_class = "STATIC";
  label.caption = text;
  label.style = WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX;
  label.width = (dialog->nRight - dialog->nLeft) / 2;
  label.height = 10;
  label.top = (dialog->nBottom - dialog->nTop) / 4 - 5;
  label.parent = dialog;
  PlainControl::Place(label);
  TDialog::ActivateParams activate;
  activate.modal = false;
  activate.centered = true;
  dialog->Activate(activate);
  if (dialog->hWnd == nullptr) return;
  UpdateWindow(dialog->hWnd);
  SysRefresh();
  if (action.IsBlock()) {
    action.AsBlock().Eval({dialog->Self()});
  } else {
    const DWORD until = GetTickCount() + 1000;
    while (static_cast<int>(until - GetTickCount()) > 0) {
      SysRefresh();
      Sleep(10);
    }
  }
  if (dialog->hWnd != nullptr) DestroyWindow(dialog->hWnd);
}

void MsgWaitHide(const std::string& text, const std::string& title, int seconds) {
  const int wait = seconds > 0 ? seconds : 4;
  MsgRunHide(text, title, xb::Value(xb::Block::Native([wait](xb::Args&) {
    const DWORD until = GetTickCount() + static_cast<DWORD>(wait) * 1000;
    while (static_cast<int>(until - GetTickCount()) > 0) {
      SysRefresh();
      Sleep(10);
    }
    return xb::Value();
  })));
}

// ---- registration ------------------------------------------------------------------------------------

void RegisterMessageBoxFunctions() {
  auto title = [](const xb::Args& a, int n, const char* fallback) { return Default(a.Arg(n), fallback); };
  xb::RegisterFunction("MSGINFO", [title](xb::Args& a) {
    MsgInfo(a.Arg(1), title(a, 2, "Información"));
    return xb::Value();
  });
  xb::RegisterFunction("MSGSTOP", [title](xb::Args& a) {
    return xb::Value::Integer(MsgStop(a.Arg(1), title(a, 2, "Información")));
  });
  xb::RegisterFunction("MSGALERT", [title](xb::Args& a) {
    return xb::Value::Integer(MsgAlert(a.Arg(1), title(a, 2, "Información")));
  });
  xb::RegisterFunction("MSGYESNO", [title](xb::Args& a) {
    return xb::Value::Logical(MsgYesNo(a.Arg(1), title(a, 2, "Información")));
  });
  xb::RegisterFunction("MSGNOYES", [title](xb::Args& a) {
    return xb::Value::Logical(MsgNoYes(a.Arg(1), title(a, 2, "Atención")));
  });
  xb::RegisterFunction("MSGRETRYCANCEL", [title](xb::Args& a) {
    return xb::Value::Logical(MsgRetryCancel(a.Arg(1), title(a, 2, "Atención")));
  });
  xb::RegisterFunction("_ALERT", [title](xb::Args& a) {
    AlertParams p;
    p.text = a.IsNil(1) ? " " : CValToChar(a.Arg(1));
    if (const xb::Array list = a.Arr(2)) {
      std::vector<std::string> buttons;
      for (const xb::Value& b : list) buttons.push_back(CValToChar(b));
      p.buttons = std::move(buttons);
    } else if (a.Arg(2).IsNumber()) {
      p.timeout_seconds = static_cast<int>(a.Int(2));
    }
    p.title = title(a, 3, "Atención");
    if (a.Arg(4).IsNumber()) p.kind = static_cast<AlertKind>(a.Int(4));
    return xb::Value::Integer(ShowAlert(p));
  });
  xb::RegisterFunction("ALERT", [title](xb::Args& a) {
    AlertBoxParams p;
    if (!a.IsNil(1)) p.text = CValToChar(a.Arg(1));
    if (const xb::Array list = a.Arr(2)) {
      p.options.clear();
      for (const xb::Value& o : list) p.options.push_back(CValToChar(o));
    }
    p.title = title(a, 3, "Attention");
    if (a.Arg(4).IsNumber()) p.default_option = static_cast<int>(a.Int(4));
    if (!a.IsNil(5)) p.icon = a.Arg(5);
    return xb::Value::Integer(AlertBox(p));
  });
  xb::RegisterFunction("MSGRUNHIDE", [](xb::Args& a) {
    MsgRunHide(std::string(a.Str(1)), std::string(a.Str(2)), a.Arg(3));
    return xb::Value();
  });
  xb::RegisterFunction("MSGWAITHIDE", [](xb::Args& a) {
    MsgWaitHide(std::string(a.Str(1)), std::string(a.Str(2)), static_cast<int>(a.Int(3)));
    return xb::Value();
  });
}

}  // namespace ui
