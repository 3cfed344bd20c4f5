// The runtime classes TMETER, TCHECKBOX, TSAY and TBUTTON: the messages text compiled at run
// time may send, with their arguments by position as the xBase constructors take them.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <optional>

#include "runtime/function_table.h"
#include "ui/controls/calendar.h"
#include "ui/controls/controls.h"
#include "ui/controls/tcombobox.h"
#include "ui/controls/tlistbox.h"
#include "ui/controls/tgroup.h"
#include "ui/controls/ticon.h"
#include "ui/controls/tbitmap.h"
#include "ui/controls/tqztreeview.h"
#include "ui/controls/tbtnbmp.h"
#include "ui/controls/tbutton.h"
#include "ui/controls/header_lookup.h"
#include "ui/controls/tcbrowse.h"
#include "ui/controls/tqzbrowse.h"
#include "ui/controls/tcheckbox.h"
#include "ui/controls/tfolder.h"
#include "ui/controls/ttabs.h"
#include "ui/controls/tmeter.h"
#include "ui/controls/tmultiget.h"
#include "ui/controls/tradmenu.h"
#include "ui/controls/tsay.h"
#include "ui/controls/twbrowse.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

template <typename T>
xb::Ref<T> ObjectArg(const Args& a, int n) {
  auto* p = dynamic_cast<T*>(a.Obj(n).get());
  return p != nullptr ? xb::Ref<T>(p) : nullptr;
}

std::optional<COLORREF> Colour(const Args& a, int n) {
  if (!a.Arg(n).IsNumber()) return std::nullopt;
  return static_cast<COLORREF>(a.Int(n));
}

std::optional<int> Number(const Args& a, int n) {
  if (!a.Arg(n).IsNumber()) return std::nullopt;
  return static_cast<int>(a.Int(n));
}

int Int(const Args& a, int n, int fallback = 0) { return a.Arg(n).IsNumber() ? static_cast<int>(a.Int(n)) : fallback; }

std::string Text(const Args& a, int n, const char* fallback) {
  return a.Arg(n).IsString() ? std::string(a.Str(n)) : std::string(fallback);
}

std::string Text(const Args& a, int n, const std::string& fallback) {
  return a.Arg(n).IsString() ? std::string(a.Str(n)) : fallback;
}

template <typename T>
T& As(Object& o) {
  return xb::Class::Cast<T>(o);
}

}  // namespace

// ---- TMETER ------------------------------------------------------------------------------------

const xb::Class& TMeter::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TMETER", &TControl::Cls());
    c.Data("NTOTAL", &TMeter::nTotal);
    c.Data("NREFRESH", &TMeter::nRefresh);
    c.Property("NCLRBAR", [](Object& o) { return Value::Integer(As<TMeter>(o).nClrBar); },
               [](Object& o, const Value& v) { As<TMeter>(o).nClrBar = static_cast<COLORREF>(v.AsInt()); });
    c.Property("NCLRBTEXT", [](Object& o) { return Value::Integer(As<TMeter>(o).nClrBText); },
               [](Object& o, const Value& v) { As<TMeter>(o).nClrBText = static_cast<COLORREF>(v.AsInt()); });
    c.Data("CTEXT", &TMeter::cText);
    c.Data("LPERCENTAGE", &TMeter::lPercentage);
    // New(nRow, nCol, bSetGet, nTotal, oWnd, nWidth, nHeight, lUpdate, lPixel, oFont, cText,
    //     lNoPercentage, nClrPane, nClrText, nClrBar, nClrBText, lDesign)
    c.Method("NEW", [](Object& o, Args& a) {
      TMeter::NewParams p;
      p.row = Int(a, 1);
      p.col = Int(a, 2);
      p.set_get = a.Arg(3);
      if (a.Arg(4).IsNumber()) p.total = a.Num(4);
      p.parent = ObjectArg<TWindow>(a, 5);
      p.width = Int(a, 6, 300);
      p.height = Int(a, 7, 20);
      p.update = a.Log(8);
      p.pixel = a.Log(9);
      p.font = ObjectArg<TFont>(a, 10);
      p.text = Text(a, 11, p.text);
      p.no_percentage = a.Log(12);
      p.clr_pane = Colour(a, 13);
      p.clr_text = Colour(a, 14);
      if (auto bar = Colour(a, 15)) p.clr_bar = *bar;
      if (auto bar_text = Colour(a, 16)) p.clr_bar_text = *bar_text;
      p.design = a.Log(17);
      return As<TMeter>(o).New(p).Self();
    });
    // ReDefine(nId, bSetGet, nTotal, oWnd, lUpdate, oFont, cText, lNoPercentage, nClrPane,
    //          nClrText, nClrBar, nClrBText)
    c.Method("REDEFINE", [](Object& o, Args& a) {
      TMeter::ReDefineParams p;
      p.id = Int(a, 1);
      p.set_get = a.Arg(2);
      if (a.Arg(3).IsNumber()) p.total = a.Num(3);
      p.parent = ObjectArg<TWindow>(a, 4);
      p.update = a.Log(5);
      p.font = ObjectArg<TFont>(a, 6);
      p.text = Text(a, 7, p.text);
      p.no_percentage = a.Log(8);
      p.clr_pane = Colour(a, 9);
      p.clr_text = Colour(a, 10);
      if (auto bar = Colour(a, 11)) p.clr_bar = *bar;
      if (auto bar_text = Colour(a, 12)) p.clr_bar_text = *bar_text;
      return As<TMeter>(o).ReDefine(p).Self();
    });
    c.Method("SET", [](Object& o, Args& a) {
      As<TMeter>(o).Set(a.Arg(1).IsNumber() ? std::optional<double>(a.Num(1)) : std::nullopt);
      return Value();
    });
    c.Method("SETTOTAL", [](Object& o, Args& a) {
      As<TMeter>(o).SetTotal(a.Num(1));
      return Value();
    });
    return c;
  }();
  return cls;
}

// ---- TCHECKBOX ---------------------------------------------------------------------------------

const xb::Class& TCheckBox::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TCHECKBOX", &TControl::Cls());
    // New(nRow, nCol, cCaption, bSetGet, oWnd, nWidth, nHeight, nHelpId, bChange, oFont, bValid,
    //     nClrFore, nClrBack, lDesign, lPixel, cMsg, lUpdate, bWhen)
    c.Method("NEW", [](Object& o, Args& a) {
      TCheckBox::NewParams p;
      p.row = Int(a, 1);
      p.col = Int(a, 2);
      p.caption = Text(a, 3, "&CheckBox");
      p.set_get = a.Arg(4);
      p.parent = ObjectArg<TWindow>(a, 5);
      p.width = Number(a, 6);
      p.height = Int(a, 7, 19);
      p.help_id = Int(a, 8, 100);
      p.change = a.Arg(9);
      p.font = ObjectArg<TFont>(a, 10);
      p.valid = a.Arg(11);
      p.clr_text = Colour(a, 12);
      p.clr_pane = Colour(a, 13);
      p.design = a.Log(14);
      p.pixel = a.Log(15);
      p.message = Text(a, 16, "");
      p.update = a.Log(17);
      p.when = a.Arg(18);
      return As<TCheckBox>(o).New(p).Self();
    });
    // ReDefine(nId, bSetGet, oWnd, nHelpId, bChange, bValid, nClrFore, nClrBack, cMsg, lUpdate, bWhen)
    c.Method("REDEFINE", [](Object& o, Args& a) {
      TCheckBox::ReDefineParams p;
      p.id = Int(a, 1);
      p.set_get = a.Arg(2);
      p.parent = ObjectArg<TWindow>(a, 3);
      p.help_id = Int(a, 4);
      p.change = a.Arg(5);
      p.valid = a.Arg(6);
      p.clr_text = Colour(a, 7);
      p.clr_pane = Colour(a, 8);
      p.message = Text(a, 9, "");
      p.update = a.Log(10);
      p.when = a.Arg(11);
      return As<TCheckBox>(o).ReDefine(p).Self();
    });
    c.Method("RESET", [](Object& o, Args&) {
      As<TCheckBox>(o).Reset();
      return Value();
    });
    c.Method("CGENPRG", [](Object& o, Args&) { return Value::String(As<TCheckBox>(o).cGenPrg()); });
    return c;
  }();
  return cls;
}

// ---- TSAY --------------------------------------------------------------------------------------

const xb::Class& TSay::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TSAY", &TControl::Cls());
    c.Data("L3D", &TSay::l3D);
    c.Data("CPICTURE", &TSay::cPicture);
    c.Data("BGET", &TSay::bGet);
    c.Data("LWANTCLICK", &TSay::lWantClick);
    // New(nRow, nCol, bGet, oWnd, cPicture, oFont, lCentered, lRight, lBorder, lPixels,
    //     nClrText, nClrBack, nWidth, nHeight, lDesign, lUpdate, lShaded, lBox, lRaised)
    c.Method("NEW", [](Object& o, Args& a) {
      TSay::NewParams p;
      p.row = Int(a, 1);
      p.col = Int(a, 2);
      p.get = a.Arg(3);
      p.parent = ObjectArg<TWindow>(a, 4);
      p.picture = Text(a, 5, "");
      p.font = ObjectArg<TFont>(a, 6);
      p.centered = a.Log(7);
      p.right = a.Log(8);
      p.border = a.Log(9);
      p.pixel = a.Log(10);
      p.clr_text = Colour(a, 11);
      p.clr_pane = Colour(a, 12);
      p.width = Number(a, 13);
      p.height = Number(a, 14);
      p.design = a.Log(15);
      p.update = a.Log(16);
      p.box_black = a.Log(17);
      p.box_grey = a.Log(18);
      p.box_white = a.Log(19);
      return As<TSay>(o).New(p).Self();
    });
    // ReDefine(nId, bGet, oWnd, cPicture, nClrText, nClrBack, lUpdate, oFont)
    c.Method("REDEFINE", [](Object& o, Args& a) {
      TSay::ReDefineParams p;
      p.id = Int(a, 1);
      p.get = a.Arg(2);
      p.parent = ObjectArg<TWindow>(a, 3);
      p.picture = Text(a, 4, "");
      p.clr_text = Colour(a, 5);
      p.clr_pane = Colour(a, 6);
      p.update = a.Log(7);
      p.font = ObjectArg<TFont>(a, 8);
      return As<TSay>(o).ReDefine(p).Self();
    });
    c.Method("SETTEXT", [](Object& o, Args& a) {
      As<TSay>(o).SetText(a.Arg(1));
      return Value();
    });
    c.Method("CGENPRG", [](Object& o, Args&) { return Value::String(As<TSay>(o).cGenPrg()); });
    return c;
  }();
  return cls;
}

// ---- TBUTTON -----------------------------------------------------------------------------------

const xb::Class& TButton::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TBUTTON", &TControl::Cls());
    c.Data("BACTION", &TButton::bAction);
    c.Data("LDEFAULT", &TButton::lDefault);
    c.Data("LPROCESSING", &TButton::lProcessing);
    // New(nRow, nCol, cCaption, oWnd, bAction, nWidth, nHeight, nHelpId, oFont, lDefault,
    //     lPixel, lDesign, cMsg, lUpdate, bWhen, bValid, lCancel)
    c.Method("NEW", [](Object& o, Args& a) {
      TButton::NewParams p;
      p.row = Int(a, 1);
      p.col = Int(a, 2);
      p.caption = Text(a, 3, "&Button");
      p.parent = ObjectArg<TWindow>(a, 4);
      p.action = a.Arg(5);
      p.width = Number(a, 6);
      p.height = Int(a, 7, 13);
      p.help_id = Int(a, 8, 100);
      p.font = ObjectArg<TFont>(a, 9);
      p.is_default = a.Log(10);
      p.pixel = a.Log(11);
      p.design = a.Log(12);
      p.message = Text(a, 13, "");
      p.update = a.Log(14);
      p.when = a.Arg(15);
      p.valid = a.Arg(16);
      p.cancel = a.Log(17);
      return As<TButton>(o).New(p).Self();
    });
    // ReDefine(nId, bAction, oWnd, nHelpId, cMsg, lUpdate, bWhen, bValid, cPrompt, lCancel)
    c.Method("REDEFINE", [](Object& o, Args& a) {
      TButton::ReDefineParams p;
      p.id = Int(a, 1);
      p.action = a.Arg(2);
      p.parent = ObjectArg<TWindow>(a, 3);
      p.help_id = Int(a, 4);
      p.message = Text(a, 5, "");
      p.update = a.Log(6);
      p.when = a.Arg(7);
      p.valid = a.Arg(8);
      p.caption = Text(a, 9, "");
      p.cancel = a.Log(10);
      return As<TButton>(o).ReDefine(p).Self();
    });
    c.Method("CGENPRG", [](Object& o, Args&) { return Value::String(As<TButton>(o).cGenPRG()); });
    return c;
  }();
  return cls;
}

// ---- registration ------------------------------------------------------------------------------

void InitControls() {
  static bool done = false;
  if (done) return;
  done = true;
  const INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&classes);
  (void)TMeter::Cls();
  (void)TCheckBox::Cls();
  (void)TSay::Cls();
  (void)TButton::Cls();
  RegisterBtnBmpFunctions();
  xb::RegisterFunction("TMETER", [](Args&) { return Value(xb::MakeRef<TMeter>()); });
  xb::RegisterFunction("TCHECKBOX", [](Args&) { return Value(xb::MakeRef<TCheckBox>()); });
  xb::RegisterFunction("TSAY", [](Args&) { return Value(xb::MakeRef<TSay>()); });
  xb::RegisterFunction("TBUTTON", [](Args&) { return Value(xb::MakeRef<TButton>()); });
  RegisterBrowseControls();
  RegisterRadioControls();
  RegisterCalendar();
  RegisterMultiGetControls();
  RegisterComboBox();
  RegisterListBox();
  RegisterGroup();
  RegisterIcon();
  RegisterFolderControls();
  RegisterBitmapControl();
  RegisterTreeView();
  RegisterTabs();
  RegisterColumnBrowses();
  RegisterHeaderLookup();
  RegisterQZBrowse();
}

}  // namespace ui
