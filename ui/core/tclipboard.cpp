#include "ui/core/tclipboard.h"

#include "runtime/function_table.h"
#include "ui/bridge/input_wrappers.h"
#include "ui/core/window_table.h"

namespace ui {

TClipBoard::TClipBoard() : xb::Object(Cls()) {}

void TClipBoard::Traverse(xb::GcVisitor& visitor) {
  xb::Object::Traverse(visitor);
  if (oWnd) visitor.Visit(oWnd.get());
}

void TClipBoard::ClearValues() {
  xb::Object::ClearValues();
  oWnd = nullptr;
}

TClipBoard& TClipBoard::New(int format, WindowRef window) {
  nFormat = format;
  if (!window) window = WndMain();
  if (!window) window = GetWndDefault();
  oWnd = std::move(window);
  return *this;
}

bool TClipBoard::Open() { return OpenClipboard(oWnd ? oWnd->hWnd : nullptr) != FALSE; }
bool TClipBoard::Empty() { return EmptyClipboard() != FALSE; }
bool TClipBoard::Close() { return CloseClipboard() != FALSE; }

void TClipBoard::Clear() {
  if (!Open()) return;
  Empty();
  Close();
}

bool TClipBoard::IsEmpty() { return GetText().empty(); }

bool TClipBoard::SetData(const xb::Value& value) {
  if (nFormat == kText) return SetClipboardText(value.IsString() ? value.AsString() : std::string_view{});
  if (nFormat == kBitmap) {
    HBITMAP bitmap = nullptr;
    if (value.IsNumber()) {
      bitmap = reinterpret_cast<HBITMAP>(static_cast<std::intptr_t>(value.AsInt()));
    } else if (value.IsObject() && xb::HasMessage(value, xb::Intern("HBITMAP"))) {
      bitmap = reinterpret_cast<HBITMAP>(static_cast<std::intptr_t>(xb::Send(value, "HBITMAP").AsInt()));
    }
    return SetClipboardBitmap(bitmap);
  }
  return false;
}

xb::Value TClipBoard::GetData() {
  if (nFormat == kText) return xb::Value::String(ClipboardText());
  if (nFormat == kBitmap) return xb::Value::Integer(reinterpret_cast<std::intptr_t>(ClipboardBitmap()));
  return xb::Value();
}

bool TClipBoard::SetText(const std::string& text) {
  if (!Open()) return false;
  Empty();
  const bool put = SetClipboardText(text);
  const bool closed = Close();
  return put && closed;
}

std::string TClipBoard::GetText() {
  if (!Open()) return {};
  std::string text = ClipboardText();
  Close();
  return text;
}

bool TClipBoard::SetBitmap(HBITMAP bitmap) {
  if (!Open()) return false;
  const bool put = SetClipboardBitmap(bitmap);
  const bool closed = Close();
  return put && closed;
}

HBITMAP TClipBoard::GetBitmap() {
  if (!Open()) return nullptr;
  HBITMAP copy = ClipboardBitmap();
  Close();
  return copy;
}

const xb::Class& TClipBoard::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    using xb::Args;
    using xb::Object;
    using xb::Value;
    auto self = [](Object& o) -> TClipBoard& { return xb::Class::Cast<TClipBoard>(o); };
    xb::Class& c = xb::Class::Define("TCLIPBOARD");
    c.Data("NFORMAT", &TClipBoard::nFormat);
    c.Property("OWND", [self](Object& o) { return self(o).oWnd ? Value(self(o).oWnd) : Value(); },
               [self](Object& o, const Value& v) {
                 auto* w = dynamic_cast<TWindow*>(v.AsObject().get());
                 self(o).oWnd = w != nullptr ? WindowRef(w) : nullptr;
               });
    // New(nFormat, oWnd)
    c.Method("NEW", [self](Object& o, Args& a) {
      auto* w = dynamic_cast<TWindow*>(a.Obj(2).get());
      self(o).New(a.Arg(1).IsNumber() ? static_cast<int>(a.Int(1)) : kText, w != nullptr ? WindowRef(w) : nullptr);
      return o.AsValue();
    });
    c.Method("CLEAR", [self](Object& o, Args&) { self(o).Clear(); return Value(); });
    c.Method("OPEN", [self](Object& o, Args&) { return Value::Logical(self(o).Open()); });
    c.Method("EMPTY", [self](Object& o, Args&) { return Value::Logical(self(o).Empty()); });
    c.Method("CLOSE", [self](Object& o, Args&) { return Value::Logical(self(o).Close()); });
    c.Method("END", [self](Object& o, Args&) { self(o).End(); return Value(); });
    c.Method("ISEMPTY", [self](Object& o, Args&) { return Value::Logical(self(o).IsEmpty()); });
    c.Method("SETDATA", [self](Object& o, Args& a) { return Value::Logical(self(o).SetData(a.Arg(1))); });
    c.Method("GETDATA", [self](Object& o, Args&) { return self(o).GetData(); });
    c.Method("SETTEXT", [self](Object& o, Args& a) {
      return Value::Logical(self(o).SetText(a.Arg(1).IsString() ? std::string(a.Str(1)) : std::string()));
    });
    c.Method("GETTEXT", [self](Object& o, Args&) { return Value::String(self(o).GetText()); });
    c.Method("SETBITMAP", [self](Object& o, Args& a) {
      HBITMAP bitmap = nullptr;
      const Value& given = a.Arg(1);
      if (given.IsNumber()) {
        bitmap = reinterpret_cast<HBITMAP>(static_cast<std::intptr_t>(given.AsInt()));
      } else if (given.IsObject() && xb::HasMessage(given, xb::Intern("HBITMAP"))) {
        bitmap = reinterpret_cast<HBITMAP>(static_cast<std::intptr_t>(xb::Send(given, "HBITMAP").AsInt()));
      }
      return Value::Logical(self(o).SetBitmap(bitmap));
    });
    c.Method("GETBITMAP", [self](Object& o, Args&) {
      return Value::Integer(reinterpret_cast<std::intptr_t>(self(o).GetBitmap()));
    });
    return c;
  }();
  return cls;
}

void RegisterClipboardClass() {
  (void)TClipBoard::Cls();
  xb::RegisterFunction("TCLIPBOARD", [](xb::Args&) { return xb::Value(xb::MakeRef<TClipBoard>()); });
}

}  // namespace ui
