// The runtime class TFOLDER: the messages text compiled at run time may send, with their
// arguments by position; SYSWAIT and FOLDPAINT by name.
#include "runtime/function_table.h"
#include "ui/controls/folder_paint.h"
#include "ui/controls/tfolder.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

TFolder& As(Object& o) { return xb::Class::Cast<TFolder>(o); }

std::optional<COLORREF> Colour(const Args& a, int n) {
  if (!a.Arg(n).IsNumber()) return std::nullopt;
  return static_cast<COLORREF>(a.Int(n));
}

std::vector<std::string> Texts(const Value& v) {
  std::vector<std::string> texts;
  if (v.IsArray())
    for (const Value& t : v.AsArray()) texts.emplace_back(t.IsString() ? t.AsString() : std::string_view());
  return texts;
}

std::vector<Value> Items(const Value& v) {
  std::vector<Value> items;
  if (v.IsArray())
    for (const Value& t : v.AsArray()) items.push_back(t);
  return items;
}

WindowRef WindowArg(const Args& a, int n) {
  auto* w = dynamic_cast<TWindow*>(a.Obj(n).get());
  return w != nullptr ? WindowRef(w) : nullptr;
}

}  // namespace

const xb::Class& TFolder::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TFOLDER", &TControl::Cls());
    using F = TFolder;
    c.Data("APROMPTS", &F::aPrompts)
        .Data("ADIALOGS", &F::aDialogs)
        .Data("AENABLE", &F::aEnable)
        .Data("NOPTION", &F::nOption)
        .Data("NTABSIZE", &F::nTabSize)
        .Data("NFDHEIGHT", &F::nFdHeight)
        .Data("LALLWIDTH", &F::lAllWidth)
        .Data("LWIN95LOOK", &F::lWin95Look);
    c.Property("OFONT2", [](Object& o) { return As(o).oFont2 ? Value(As(o).oFont2) : Value(); }, nullptr);
    c.Property("APROPERTIES", [](Object&) {
      xb::Array names = xb::Array::New();
      for (const char* n : {"aPrompts", "cVarName", "nClrText", "nClrPane", "nAlign", "nTop", "nLeft", "nWidth",
                            "nHeight", "nOption", "Cargo"})
        names.Append(Value::String(n));
      return Value(names);
    }, nullptr);
    // New(nTop, nLeft, aPrompts, aDialogs, oWnd, nOption, nClrFore, nClrBack, lPixel, lDesign,
    //     nWidth, nHeight, cMsg, lAllWidth, oFont)
    c.Method("NEW", [](Object& o, Args& a) {
      NewParams p;
      p.top = static_cast<int>(a.Int(1));
      p.left = static_cast<int>(a.Int(2));
      if (a.Arg(3).IsArray()) p.prompts = Texts(a.Arg(3));
      p.dialogs = a.Arg(4).IsArray() ? a.Arg(4).AsArray().size() : 0;
      p.parent = WindowArg(a, 5);
      if (a.Arg(6).IsNumber()) p.option = static_cast<int>(a.Int(6));
      p.fore = Colour(a, 7);
      p.back = Colour(a, 8);
      p.pixel = a.Log(9);
      p.design = a.Log(10);
      if (a.Arg(11).IsNumber()) p.width = static_cast<int>(a.Int(11));
      if (a.Arg(12).IsNumber()) p.height = static_cast<int>(a.Int(12));
      p.message = std::string(a.Str(13));
      p.all_width = a.Log(14, true);
      if (auto* font = dynamic_cast<TFont*>(a.Obj(15).get())) p.font = xb::Ref<TFont>(font);
      return As(o).New(p).Self();
    });
    // ReDefine(nId, aPrompts, aDialogs, oWnd, nOption, nClrFore, nClrBack, bChange, lAllWidth)
    c.Method("REDEFINE", [](Object& o, Args& a) {
      RedefineParams p;
      p.prompts = Texts(a.Arg(2));
      p.dialogs = Items(a.Arg(3));
      p.parent = WindowArg(a, 4);
      if (a.Arg(5).IsNumber()) p.option = static_cast<int>(a.Int(5));
      p.fore = Colour(a, 6);
      p.back = Colour(a, 7);
      p.change = a.Arg(8);
      p.all_width = a.Log(9);
      return As(o).ReDefine(static_cast<int>(a.Int(1)), p).Self();
    });
    c.Method("DISPLAY", [](Object& o, Args&) {
      As(o).Display();
      return Value::Integer(0);
    });
    c.Method("PAINT", [](Object& o, Args&) {
      F& f = As(o);
      if (f.hWnd != nullptr) {
        HDC dc = ::GetDC(f.hWnd);
        f.Paint(dc);
        ::ReleaseDC(f.hWnd, dc);
      }
      return Value();
    });
    c.Method("DEFAULT", [](Object& o, Args&) {
      As(o).Default();
      return Value();
    });
    c.Method("ADDITEM", [](Object& o, Args& a) {
      As(o).AddItem(std::string(a.Str(1)));
      return Value();
    });
    c.Method("DELITEM", [](Object& o, Args&) {
      As(o).DelItem();
      return Value();
    });
    c.Method("DELPAGES", [](Object& o, Args&) {
      As(o).DelPages();
      return Value();
    });
    c.Method("LOADPAGES", [](Object& o, Args& a) {
      As(o).LoadPages(Items(a.Arg(1)), a.Arg(2));
      return Value();
    });
    c.Method("SETOPTION", [](Object& o, Args& a) {
      As(o).SetOption(static_cast<int>(a.Int(1)));
      return Value();
    });
    c.Method("GETHOTPOS", [](Object& o, Args& a) { return Value::Integer(As(o).GetHotPos(static_cast<int>(a.Int(1)))); });
    c.Method("REFRESH", [](Object& o, Args&) {
      As(o).Refresh();
      return Value();
    });
    c.Method("UPDATE", [](Object& o, Args&) {
      As(o).UpdatePages();
      return Value();
    });
    return c;
  }();
  return cls;
}

void RegisterFolderControls() {
  (void)TFolder::Cls();
  xb::RegisterFunction("TFOLDER", [](Args&) { return Value(xb::MakeRef<TFolder>()); });
  xb::RegisterFunction("SYSWAIT", [](Args& a) {
    SysWait(a.Arg(1).IsNumber() ? a.Num(1) : 0.1);
    return Value();
  });
  RegisterFolderPaint();
}

}  // namespace ui
