#include "ui/core/window_design.h"

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "runtime/array.h"
#include "runtime/function_table.h"
#include "runtime/symbol.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/window_geometry.h"
#include "ui/core/msg_box.h"
#include "ui/core/object_text.h"
#include "ui/core/tbrush.h"
#include "ui/core/twindow.h"
#include "ui/core/value_text.h"

namespace ui {
namespace {

using xb::Value;

Value Call(std::string_view name, std::initializer_list<Value> args = {}) { return xb::CallFunction(name, args); }

Value Field(const char* name, const char* type, int length, int decimals = 0) {
  return Value(xb::Array::Of({Value::String(name), Value::String(type), Value::Integer(length), Value::Integer(decimals)}));
}

bool FileExists(const std::string& file) { return GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WriteText(const std::string& file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

// The text an object gives for itself, when it answers CGENPRG.
std::string OwnText(const Value& object) {
  if (!object.IsObject() || !xb::HasMessage(object, xb::Intern("CGENPRG"))) return {};
  const Value text = xb::Send(object, "CGENPRG");
  return text.IsString() ? std::string(text.AsString()) : std::string();
}

std::string SaveToText(const Value& window) {
  std::string text;
  for (std::int64_t n = 1, count = xb::Send(window, "PROPCOUNT").AsInt(); n <= count; ++n) {
    const std::string name(xb::Send(window, "PROPERTY", {Value::Integer(n)}).AsString());
    text += name + " = " + CValToChar(xb::Send(window, name)) + "\r\n";
  }
  return text;
}

}  // namespace

bool GenDbf(TWindow& window, const std::string& file) {
  if (FileExists(file) && !MsgYesNo(Value::String("Do you want to overwrite it ?"), "This file already exists")) {
    return false;
  }
  const Value structure(xb::Array::Of({Field("CONTROL", "C", 15), Field("CAPTION", "C", 40), Field("ID", "N", 4),
                                       Field("TOP", "N", 4), Field("LEFT", "N", 4), Field("WIDTH", "N", 4),
                                       Field("HEIGHT", "N", 4), Field("STYLE", "N", 15), Field("CLRTEXT", "N", 10),
                                       Field("CLRPANE", "N", 10)}));
  Call("DBCREATE", {Value::String(file), structure});
  if (!Call("DBUSEAREA", {Value::Logical(true), Value(), Value::String(file), Value::String("GENDBF"),
                          Value::Logical(false)}).AsLogical()) {
    return false;
  }
  for (const WindowRef& control : window.aControls) {
    if (!control) continue;
    const WindowBox box = WindowBoxOf(control->hWnd);
    Call("DBAPPEND");
    const Value values[] = {Value::String(control->ClassName()), Value::String(control->GetText()),
                            Value::Integer(control->nId), Value::Integer(box.top), Value::Integer(box.left),
                            Value::Integer(box.width), Value::Integer(box.height),
                            Value::Integer(control->nStyle), Value::Integer(control->nClrText),
                            Value::Integer(control->nClrPane)};
    for (int i = 0; i < 10; ++i) Call("FIELDPUT", {Value::Integer(i + 1), values[i]});
  }
  Call("DBCLOSEAREA");
  return true;
}

std::string CGenPrg(TWindow& window, const std::string& file) {
  std::string text = "#include \"Vexilo.ch\"\r\n\r\nstatic oWnd\r\n\r\nfunction Main()\r\n\r\n";
  text += "   DEFINE WINDOW oWnd TITLE \"" + window.GetText() + "\"\r\n";
  if (window.oBrush) text += "\r\n   " + window.oBrush->cGenPrg() + "\r\n   oWnd:SetBrush( oBrush )\r\n";
  if (window.oBar) {
    const std::string bar = OwnText(Value(window.oBar));
    text += "\r\n   " + (bar.empty() ? std::string("DEFINE BUTTONBAR OF oWnd") : bar) + "\r\n";
  }
  if (window.oMsgBar) {
    const Value bar(window.oMsgBar);
    const Value def = xb::HasMessage(bar, xb::Intern("CMSGDEF")) ? xb::Send(bar, "CMSGDEF") : Value::String("");
    text += "\r\n   SET MESSAGE OF oWnd TO \"" + std::string(def.AsString()) + "\"\r\n";
  }
  for (const WindowRef& control : window.aControls) {
    if (!control) continue;
    const std::string own = OwnText(Value(control));
    if (!own.empty()) text += "\r\n   " + own + "\r\n";
  }
  text += "\r\n   ACTIVATE WINDOW oWnd\r\n\r\nreturn nil\r\n";
  if (!file.empty()) WriteText(file, text);
  return text;
}

void PrintWindowImage(TWindow& window, const Value& printer, int row, int col, int scale, bool user) {
  if (window.hWnd == nullptr || (!printer.IsObject() && !xb::IsFunctionRegistered("_PRINTBEGIN"))) return;
  RECT r{};
  ::GetWindowRect(window.hWnd, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = ::GetWindowDC(window.hWnd);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  ::SelectObject(memory, previous);
  ::DeleteDC(memory);
  ::ReleaseDC(window.hWnd, screen);
  HGLOBAL dib = DibFromBitmap(bitmap, nullptr);
  ::DeleteObject(bitmap);
  const Value job = printer.IsObject() ? printer
                                       : xb::CallFunction("_PRINTBEGIN", {Value::String(window.GetText()),
                                                                          Value::Logical(user)});
  if (!printer.IsObject()) xb::CallFunction("_PAGEBEGIN");
  if (job.IsObject() && dib != nullptr) {
    HDC out = reinterpret_cast<HDC>(static_cast<std::intptr_t>(xb::Send(job, "HDCOUT").AsInt()));
    if (out != nullptr) DibDraw(out, dib, nullptr, row, col, width * scale, height * scale);
  }
  if (!printer.IsObject()) {
    xb::CallFunction("_PAGEEND");
    xb::CallFunction("_PRINTEND");
  }
  if (dib != nullptr) ::GlobalFree(dib);
}

void DefineWindowDesignAids(xb::Class& c) {
  auto self = [](xb::Object& o) -> TWindow& { return xb::Class::Cast<TWindow>(o); };
  // HardCopy( nScale, lUser )
  c.Method("HARDCOPY", [self](xb::Object& o, xb::Args& a) {
    PrintWindowImage(self(o), Value(), 0, 0, a.IsNil(1) ? 4 : static_cast<int>(a.Int(1)), a.Log(2));
    return Value();
  });
  // Print( oPrn, nRow, nCol, nScale ): bPrint instead when the window has one.
  c.Method("PRINT", [self](xb::Object& o, xb::Args& a) {
    TWindow& window = self(o);
    if (window.bPrint.IsBlock()) return window.bPrint.AsBlock().Eval({o.AsValue()});
    PrintWindowImage(window, a.Arg(1), static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)),
                     a.IsNil(4) ? 4 : static_cast<int>(a.Int(4)));
    return Value();
  });
  c.Method("SAVE", [](xb::Object& o, xb::Args&) { return Value::String(SaveObject(o.AsValue())); });
  c.Method("SAVETOTEXT", [](xb::Object& o, xb::Args&) { return Value::String(SaveToText(o.AsValue())); });
  c.Method("SAVEFILE", [](xb::Object& o, xb::Args& a) {
    return Value::Logical(WriteText(std::string(a.Str(1)), SaveObject(o.AsValue())));
  });
  c.Method("LOAD", [](xb::Object& o, xb::Args& a) { return Value::Logical(LoadObject(o.AsValue(), a.Str(1))); });
  c.Method("LOADFILE", [](xb::Object& o, xb::Args& a) {
    const std::string file(a.Str(1));
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      MsgAlert("File not found: " + file);
      return Value::Logical(false);
    }
    const std::string record((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Value::Logical(LoadObject(o.AsValue(), record));
  });
  c.Method("GENDBF", [self](xb::Object& o, xb::Args& a) { return Value::Logical(GenDbf(self(o), std::string(a.Str(1)))); });
  c.Method("CGENPRG", [self](xb::Object& o, xb::Args& a) { return Value::String(CGenPrg(self(o), std::string(a.Str(1)))); });
}

}  // namespace ui
