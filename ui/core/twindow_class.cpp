// The messages of class TWINDOW that text compiled at run time may send: its data (read
// with NAME, assigned with _NAME) and its methods, taking their arguments by position.
#include <cstdint>
#include <utility>

#include "runtime/array.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "ui/bridge/text_colors.h"
#include "ui/core/twindow.h"
#include "ui/core/window_design.h"
#include "ui/core/window_table.h"

namespace ui {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

TWindow& W(Object& o) { return xb::Class::Cast<TWindow>(o); }

Value Int(std::int64_t n) { return Value::Integer(n); }
Value Handle(const void* h) { return Value::Integer(reinterpret_cast<std::intptr_t>(h)); }
template <typename H>
H AsHandle(const Value& v) {
  return reinterpret_cast<H>(static_cast<std::intptr_t>(v.AsInt()));
}

Value AnswerValue(const Answer& a) {
  switch (a.kind()) {
    case Answer::Kind::kNumber: return Int(a.number());
    case Answer::Kind::kLogical: return Value::Logical(a.logical());
    default: return Value();
  }
}

Value RectValue(const Rect& r) {
  return Value(xb::Array::Of({Int(r.top), Int(r.left), Int(r.bottom), Int(r.right)}));
}

Rect RectOf(const Value& v) {
  const xb::Array a = v.AsArray();
  if (!a || a.size() < 4) return Rect{};
  return Rect{static_cast<int>(a[0].AsInt()), static_cast<int>(a[1].AsInt()),
              static_cast<int>(a[2].AsInt()), static_cast<int>(a[3].AsInt())};
}

WindowRef WindowOf(const Value& v) {
  xb::ObjectRef o = v.AsObject();
  if (!o) return nullptr;
  auto* w = dynamic_cast<TWindow*>(o.get());
  return w != nullptr ? WindowRef(w) : nullptr;
}

Value ArrayOfWindows(const std::vector<WindowRef>& windows) {
  xb::Array a = xb::Array::New();
  for (const WindowRef& w : windows) a.Append(w ? Value(w) : Value());
  return Value(a);
}

const char* const kProperties[] = {"cTitle", "cVarName", "nClrText", "nClrPane", "nTop", "nLeft",
                                   "nWidth", "nHeight", "Cargo", "oMenu", "oFont"};
struct EventInfo {
  const char* name;
  std::vector<const char*> params;
};
const EventInfo kEvents[] = {{"OnClick", {"nRow", "nCol"}},
                             {"OnMouseMove", {"nRow", "nCol", "nKeyFlags"}},
                             {"OnKeyDown", {"nKey", "nFlags"}},
                             {"OnMove", {}},
                             {"OnPaint", {}},
                             {"OnResize", {}}};

Value EventValue(const EventInfo& e) {
  xb::Array a = xb::Array::Of({Value::String(e.name)});
  for (const char* p : e.params) a.Append(Value::String(p));
  return Value(a);
}

// Methods that evaluate their block when one is set (the edit requests).
#define VDR_BLOCK_REQUEST(NAME, MEMBER)                                         \
  c.Method(NAME, [](Object& o, Args&) {                                        \
    TWindow& w = W(o);                                                         \
    return w.MEMBER.IsBlock() ? w.MEMBER.AsBlock().Eval({w.Self()}) : Value(); \
  })

#define VDR_VALUE_DATA(NAME, MEMBER) c.Data(NAME, &TWindow::MEMBER)

#define VDR_HANDLE_DATA(NAME, MEMBER, TYPE)                                          \
  c.Property(NAME, [](Object& o) { return Handle(W(o).MEMBER); },                 \
             [](Object& o, const Value& v) { W(o).MEMBER = AsHandle<TYPE>(v); })

#define VDR_NUMBER_DATA(NAME, MEMBER, TYPE)                                                 \
  c.Property(NAME, [](Object& o) { return Int(static_cast<std::int64_t>(W(o).MEMBER)); }, \
             [](Object& o, const Value& v) { W(o).MEMBER = static_cast<TYPE>(v.AsInt()); })

#define VDR_OBJECT_DATA(NAME, MEMBER)                                                \
  c.Property(NAME, [](Object& o) { return W(o).MEMBER ? Value(W(o).MEMBER) : Value(); }, \
             [](Object& o, const Value& v) { W(o).MEMBER = v.AsObject(); })

#define VDR_WINDOW_DATA(NAME, MEMBER)                                                \
  c.Property(NAME, [](Object& o) { return W(o).MEMBER ? Value(W(o).MEMBER) : Value(); }, \
             [](Object& o, const Value& v) { W(o).MEMBER = WindowOf(v); })

void DefineMessages(xb::Class& c) {
  // Identity and geometry.
  VDR_HANDLE_DATA("HWND", hWnd, HWND);
  VDR_HANDLE_DATA("HDC", hDC, HDC);
  VDR_HANDLE_DATA("HCTLFOCUS", hCtlFocus, HWND);
  VDR_HANDLE_DATA("HDROP", hDrop, HDROP);
  c.Property("NOLDPROC", [](Object& o) { return Handle(reinterpret_cast<void*>(W(o).nOldProc)); }, nullptr);
  c.Property("CPS", [](Object& o) { return Value::String(W(o).cPS); }, nullptr);
  VDR_VALUE_DATA("NPAINTCOUNT", nPaintCount);
  VDR_VALUE_DATA("NID", nId);
  VDR_VALUE_DATA("CCAPTION", cCaption);
  VDR_VALUE_DATA("CVARNAME", cVarName);
  VDR_VALUE_DATA("CARGO", Cargo);
  VDR_VALUE_DATA("NTOP", nTop);
  VDR_VALUE_DATA("NLEFT", nLeft);
  VDR_VALUE_DATA("NBOTTOM", nBottom);
  VDR_VALUE_DATA("NRIGHT", nRight);
  VDR_NUMBER_DATA("NSTYLE", nStyle, DWORD);
  VDR_VALUE_DATA("NCHRHEIGHT", nChrHeight);
  VDR_VALUE_DATA("NCHRWIDTH", nChrWidth);
  c.Property("NWIDTH", [](Object& o) { return Int(W(o).nWidth()); },
             [](Object& o, const Value& v) { W(o).SetWidth(static_cast<int>(v.AsInt())); });
  c.Property("NHEIGHT", [](Object& o) { return Int(W(o).nHeight()); },
             [](Object& o, const Value& v) { W(o).SetHeight(static_cast<int>(v.AsInt())); });
  c.Property("AMINMAXINFO",
             [](Object& o) -> Value {
               const auto& info = W(o).aMinMaxInfo;
               if (!info) return Value();
               const POINT* p = &info->ptReserved;
               xb::Array a = xb::Array::New();
               for (int i = 0; i < 5; ++i) {
                 a.Append(Int(p[i].x));
                 a.Append(Int(p[i].y));
               }
               return Value(a);
             },
             [](Object& o, const Value& v) {
               const xb::Array a = v.AsArray();
               if (!a) {
                 W(o).aMinMaxInfo.reset();
                 return;
               }
               MINMAXINFO info = {};
               POINT* p = &info.ptReserved;
               for (size_t i = 0; i < 10; ++i) {
                 LONG& field = (i % 2 == 0) ? p[i / 2].x : p[i / 2].y;
                 field = static_cast<LONG>(a.Get(i).AsInt());
               }
               W(o).aMinMaxInfo = info;
             });
  c.Property("CTITLE", [](Object& o) { return Value::String(W(o).GetText()); },
             [](Object& o, const Value& v) { W(o).SetText(std::string(v.AsString())); });

  // State.
  VDR_VALUE_DATA("LACTIVE", lActive);
  VDR_VALUE_DATA("LCANCEL", lCancel);
  VDR_VALUE_DATA("LFOCUSED", lFocused);
  VDR_VALUE_DATA("LVISIBLE", lVisible);
  VDR_VALUE_DATA("LDESIGN", lDesign);
  VDR_VALUE_DATA("LVBX", lVbx);
  VDR_VALUE_DATA("LVALIDATING", lValidating);
  VDR_VALUE_DATA("NLASTKEY", nLastKey);
  VDR_VALUE_DATA("NRESULT", nResult);
  VDR_VALUE_DATA("NHELPID", nHelpId);
  VDR_VALUE_DATA("CMSG", cMsg);
  VDR_VALUE_DATA("CTOOLTIP", cToolTip);
  VDR_VALUE_DATA("LFONDO", lFondo);
  VDR_VALUE_DATA("CBMPFONDO", cBmpFondo);
  VDR_VALUE_DATA("LBMPFONDO", lBmpFondo);
  VDR_VALUE_DATA("LCLASSIC", lClassic);
  VDR_VALUE_DATA("CMSGINFO", cMsgInfo);

  // Colours and objects.
  VDR_NUMBER_DATA("NCLRPANE", nClrPane, COLORREF);
  VDR_NUMBER_DATA("NCLRTEXT", nClrText, COLORREF);
  c.Property("OBRUSH", [](Object& o) { return W(o).oBrush ? Value(W(o).oBrush) : Value(); },
             [](Object& o, const Value& v) {
               auto* b = dynamic_cast<TBrush*>(v.AsObject().get());
               W(o).oBrush = b != nullptr ? xb::Ref<TBrush>(b) : nullptr;
             });
  c.Property("OFONT", [](Object& o) { return W(o).oFont ? Value(W(o).oFont) : Value(); },
             [](Object& o, const Value& v) {
               auto* f = dynamic_cast<TFont*>(v.AsObject().get());
               W(o).oFont = f != nullptr ? xb::Ref<TFont>(f) : nullptr;
             });
  VDR_OBJECT_DATA("OCURSOR", oCursor);
  VDR_OBJECT_DATA("ODRAGCURSOR", oDragCursor);
  VDR_OBJECT_DATA("OICON", oIcon);
  VDR_OBJECT_DATA("OMENU", oMenu);
  VDR_OBJECT_DATA("OSYSMENU", oSysMenu);
  VDR_OBJECT_DATA("OPOPUP", oPopup);
  VDR_OBJECT_DATA("OMSGBAR", oMsgBar);
  VDR_OBJECT_DATA("OBAR", oBar);
  VDR_OBJECT_DATA("OVSCROLL", oVScroll);
  VDR_OBJECT_DATA("OHSCROLL", oHScroll);
  VDR_WINDOW_DATA("OWND", oWnd);
  VDR_WINDOW_DATA("OCTLFOCUS", oCtlFocus);
  VDR_WINDOW_DATA("OTOP", oTop);
  VDR_WINDOW_DATA("OLEFT", oLeft);
  VDR_WINDOW_DATA("OBOTTOM", oBottom);
  VDR_WINDOW_DATA("ORIGHT", oRight);
  VDR_WINDOW_DATA("OCLIENT", oClient);
  c.Property("ACONTROLS", [](Object& o) { return ArrayOfWindows(W(o).aControls); },
             [](Object& o, const Value& v) {
               std::vector<WindowRef> controls;
               if (const xb::Array a = v.AsArray()) {
                 for (const Value& item : a) controls.push_back(WindowOf(item));
               }
               W(o).aControls = std::move(controls);
             });

  // Event blocks.
  VDR_VALUE_DATA("BINIT", bInit);
  VDR_VALUE_DATA("BMOVED", bMoved);
  VDR_VALUE_DATA("BLCLICKED", bLClicked);
  VDR_VALUE_DATA("BLBUTTONUP", bLButtonUp);
  VDR_VALUE_DATA("BKEYDOWN", bKeyDown);
  VDR_VALUE_DATA("BPAINTED", bPainted);
  VDR_VALUE_DATA("BMBUTTONDOWN", bMButtonDown);
  VDR_VALUE_DATA("BMBUTTONUP", bMButtonUp);
  VDR_VALUE_DATA("BRCLICKED", bRClicked);
  VDR_VALUE_DATA("BRBUTTONUP", bRButtonUp);
  VDR_VALUE_DATA("BRESIZED", bResized);
  VDR_VALUE_DATA("BLDBLCLICK", bLDblClick);
  VDR_VALUE_DATA("BWHEN", bWhen);
  VDR_VALUE_DATA("BVALID", bValid);
  VDR_VALUE_DATA("BKEYCHAR", bKeyChar);
  VDR_VALUE_DATA("BMMOVED", bMMoved);
  VDR_VALUE_DATA("BGOTFOCUS", bGotFocus);
  VDR_VALUE_DATA("BLOSTFOCUS", bLostFocus);
  VDR_VALUE_DATA("BDROPFILES", bDropFiles);
  VDR_VALUE_DATA("BDDEINIT", bDdeInit);
  VDR_VALUE_DATA("BDDEEXECUTE", bDdeExecute);
  VDR_VALUE_DATA("BCOMMNOTIFY", bCommNotify);
  VDR_VALUE_DATA("BMENUSELECT", bMenuSelect);
  VDR_VALUE_DATA("BZIP", bZip);
  VDR_VALUE_DATA("BUNZIP", bUnZip);
  VDR_VALUE_DATA("BDROPOVER", bDropOver);
  VDR_VALUE_DATA("BCOPY", bCopy);
  VDR_VALUE_DATA("BCUT", bCut);
  VDR_VALUE_DATA("BFIND", bFind);
  VDR_VALUE_DATA("BPASTE", bPaste);
  VDR_VALUE_DATA("BPRINT", bPrint);
  VDR_VALUE_DATA("BUNDO", bUnDo);
  VDR_VALUE_DATA("BREDO", bReDo);
  VDR_VALUE_DATA("BDELETE", bDelete);
  VDR_VALUE_DATA("BSELECTALL", bSelectAll);
  VDR_VALUE_DATA("BFINDNEXT", bFindNext);
  VDR_VALUE_DATA("BREPLACE", bReplace);
  VDR_VALUE_DATA("BPROPERTIES", bProperties);
  VDR_VALUE_DATA("BSOCKET", bSocket);
  VDR_VALUE_DATA("BTASKBAR", bTaskBar);
  VDR_VALUE_DATA("BNOTIFY", bNotify);
  VDR_VALUE_DATA("ONCLICK", OnClick);
  VDR_VALUE_DATA("ONMOUSEMOVE", OnMouseMove);
  VDR_VALUE_DATA("ONKEYDOWN", OnKeyDown);
  VDR_VALUE_DATA("ONMOVE", OnMove);
  VDR_VALUE_DATA("ONPAINT", OnPaint);
  VDR_VALUE_DATA("ONRESIZE", OnResize);

  // Class data.
  c.Property("OMITEMSELECT", [](Object&) -> Value {
    auto* item = dynamic_cast<xb::Object*>(TWindow::oMItemSelect);
    return item != nullptr ? item->AsValue() : Value();
  }, nullptr);
  c.Property("LREGISTERED", [](Object& o) { return Value::Logical(TWindow::IsRegistered(o.GetClass())); }, nullptr);
  c.Property("NTOOLTIP", [](Object&) { return Int(TWindow::nToolTip); },
             [](Object&, const Value& v) { TWindow::nToolTip = static_cast<int>(v.AsInt()); });
  // The lists are the class's own (APROPERTIES, AEVENTS), which derived classes redefine.
  c.Property("APROPERTIES", [](Object&) {
    xb::Array names = xb::Array::New();
    for (const char* name : kProperties) names.Append(Value::String(name));
    return Value(names);
  }, nullptr);
  c.Property("AEVENTS", [](Object&) {
    xb::Array events = xb::Array::New();
    for (const EventInfo& e : kEvents) events.Append(EventValue(e));
    return Value(events);
  }, nullptr);
  auto list_of = [](Object& o, const char* name) { return xb::Send(o.AsValue(), name).AsArray(); };
  auto count_of = [list_of](Object& o, const char* name) {
    const xb::Array list = list_of(o, name);
    return Int(list ? static_cast<std::int64_t>(list.size()) : 0);
  };
  auto item_of = [list_of](Object& o, const char* name, std::int64_t n) {
    const xb::Array list = list_of(o, name);
    return list && n >= 1 && n <= static_cast<std::int64_t>(list.size()) ? list.Get(static_cast<size_t>(n - 1))
                                                                          : Value();
  };
  c.Method("PROPCOUNT", [count_of](Object& o, Args&) { return count_of(o, "APROPERTIES"); });
  c.Method("PROPERTY", [item_of](Object& o, Args& a) { return item_of(o, "APROPERTIES", a.Int(1)); });
  c.Method("EVECOUNT", [count_of](Object& o, Args&) { return count_of(o, "AEVENTS"); });
  c.Method("EVENT", [item_of](Object& o, Args& a) { return item_of(o, "AEVENTS", a.Int(1)); });

  // Construction and life.
  c.Method("NEW", [](Object& o, Args& a) {
    TWindow::NewParams p;
    if (!a.IsNil(1)) p.top = static_cast<int>(a.Int(1));
    if (!a.IsNil(2)) p.left = static_cast<int>(a.Int(2));
    if (!a.IsNil(3)) p.bottom = static_cast<int>(a.Int(3));
    if (!a.IsNil(4)) p.right = static_cast<int>(a.Int(4));
    p.caption = std::string(a.Str(5));
    p.style = static_cast<DWORD>(a.Int(6));
    p.menu = a.Obj(7);
    if (auto* b = dynamic_cast<TBrush*>(a.Obj(8).get())) p.brush = xb::Ref<TBrush>(b);
    if (a.Arg(9).IsString()) {
      if (IconMaker make = GetIconMaker()) p.icon = make(std::string(a.Str(9)));
    } else {
      p.icon = a.Obj(9);
    }
    p.parent = WindowOf(a.Arg(10));
    p.vscroll = a.Log(11);
    p.hscroll = a.Log(12);
    if (!a.IsNil(13)) p.clr_text = static_cast<COLORREF>(a.Int(13));
    if (!a.IsNil(14)) p.clr_pane = static_cast<COLORREF>(a.Int(14));
    p.cursor = a.Obj(15);
    if (!a.IsNil(16)) p.border = std::string(a.Str(16));
    p.sys_menu = a.Log(17, true);
    p.caption_bar = a.Log(18, true);
    p.minimize_box = a.Log(19, true);
    p.maximize_box = a.Log(20, true);
    p.pixel = a.Log(21);
    return W(o).New(p).Self();
  });
  c.Method("ACTIVATE", [](Object& o, Args& a) {
    TWindow::ActivateParams p;
    if (!a.IsNil(1)) p.show = std::string(a.Str(1));
    p.r_clicked = a.Arg(3);
    p.painted = a.Arg(6);
    p.v_up = a.Arg(9);
    p.v_down = a.Arg(10);
    p.v_page_up = a.Arg(11);
    p.v_page_down = a.Arg(12);
    p.h_up = a.Arg(13);
    p.h_down = a.Arg(14);
    p.h_page_up = a.Arg(15);
    p.h_page_down = a.Arg(16);
    p.valid = a.Arg(17);
    p.drop_files = a.Arg(18);
    W(o).Activate(p);
    return Value();
  });
  c.Method("REGISTER", [](Object& o, Args& a) {
    W(o).Register(a.IsNil(1) ? (CS_VREDRAW | CS_HREDRAW) : static_cast<UINT>(a.Int(1)));
    return Value();
  });
  c.Method("CREATE", [](Object& o, Args& a) { W(o).Create(std::string(a.Str(1))); return Value(); });
  c.Method("LINK", [](Object& o, Args& a) { W(o).Link(a.Log(1, true)); return Value(); });
  c.Method("UNLINK", [](Object& o, Args&) { W(o).UnLink(); return Value(); });
  c.Method("END", [](Object& o, Args&) { return Value::Logical(W(o).End()); });
  c.Method("LVALID", [](Object& o, Args&) { return Value::Logical(W(o).lValid()); });
  c.Method("LWHEN", [](Object& o, Args&) { return Value::Logical(W(o).lWhen()); });
  c.Method("DESTROY", [](Object& o, Args&) { return AnswerValue(W(o).Destroy()); });
  c.Method("CLOSE", [](Object& o, Args& a) { return AnswerValue(W(o).Close(static_cast<WPARAM>(a.Int(1)))); });
  c.Method("HANDLEEVENT", [](Object& o, Args& a) {
    return AnswerValue(W(o).HandleEvent(static_cast<UINT>(a.Int(1)), static_cast<WPARAM>(a.Int(2)),
                                        static_cast<LPARAM>(a.Int(3))));
  });
  // mHandleEvent(nMsg, nWParam, nLParam): the message method of the message table, NIL for a
  // message it has none for.
  c.Method("MHANDLEEVENT", [](Object& o, Args& a) {
    return AnswerValue(DecodeMessage(W(o), static_cast<UINT>(a.Int(1)), static_cast<WPARAM>(a.Int(2)),
                                     static_cast<LPARAM>(a.Int(3))));
  });

  // Showing and placing.
  c.Method("REFRESH", [](Object& o, Args& a) { W(o).Refresh(a.Log(1, true)); return Value(); });
  c.Method("SETFOCUS", [](Object& o, Args&) { W(o).SetFocus(); return Value(); });
  c.Method("SHOW", [](Object& o, Args&) { W(o).Show(); return Value(); });
  c.Method("HIDE", [](Object& o, Args&) { W(o).Hide(); return Value(); });
  c.Method("MAXIMIZE", [](Object& o, Args&) { W(o).Maximize(); return Value(); });
  c.Method("MINIMIZE", [](Object& o, Args&) { W(o).Minimize(); return Value(); });
  c.Method("ICONIZE", [](Object& o, Args&) { W(o).Iconize(); return Value(); });
  c.Method("NORMAL", [](Object& o, Args&) { W(o).Normal(); return Value(); });
  c.Method("RESTORE", [](Object& o, Args&) { W(o).Restore(); return Value(); });
  c.Method("GOTOP", [](Object& o, Args&) { W(o).GoTop(); return Value(); });
  c.Method("ENABLE", [](Object& o, Args&) { W(o).Enable(); return Value(); });
  c.Method("DISABLE", [](Object& o, Args&) { W(o).Disable(); return Value(); });
  c.Method("CAPTURE", [](Object& o, Args&) { W(o).Capture(); return Value(); });
  c.Method("CENTER", [](Object& o, Args& a) {
    WindowRef over = WindowOf(a.Arg(1));
    W(o).Center(over.get());
    return Value();
  });
  c.Method("SETTEXT", [](Object& o, Args& a) { W(o).SetText(std::string(a.Str(1))); return Value(); });
  c.Method("GETTEXT", [](Object& o, Args&) { return Value::String(W(o).GetText()); });
  c.Method("COORSUPDATE", [](Object& o, Args&) { W(o).CoorsUpdate(); return Value(); });
  c.Method("SETCOORS", [](Object& o, Args& a) { W(o).SetCoors(RectOf(a.Arg(1))); return Value(); });
  c.Method("MOVE", [](Object& o, Args& a) {
    W(o).Move(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)),
              static_cast<int>(a.Int(4)), a.Log(5, true));
    return Value();
  });
  c.Method("SETSIZE", [](Object& o, Args& a) {
    W(o).SetSize(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), a.Log(3, true));
    return Value();
  });
  c.Method("GETCLIRECT", [](Object& o, Args&) { return RectValue(W(o).GetCliRect()); });
  c.Method("GETRECT", [](Object& o, Args&) { return RectValue(W(o).GetRect()); });
  c.Method("NVERTRES", [](Object& o, Args&) { return Int(W(o).nVertRes()); });
  c.Method("NHORZRES", [](Object& o, Args&) { return Int(W(o).nHorzRes()); });
  c.Method("TOOLWINDOW", [](Object& o, Args&) { W(o).ToolWindow(); return Value(); });
  c.Method("CLIENTEDGE", [](Object& o, Args&) { W(o).ClientEdge(); return Value(); });

  // Colours, fonts, menus, messages.
  c.Method("SETCOLOR", [](Object& o, Args& a) {
    xb::Ref<TBrush> brush;
    if (auto* b = dynamic_cast<TBrush*>(a.Obj(3).get())) brush = xb::Ref<TBrush>(b);
    if (a.Arg(1).IsString()) {
      W(o).SetColor(std::string(a.Str(1)), brush);
    } else {
      W(o).SetColor(static_cast<COLORREF>(a.Int(1)), static_cast<COLORREF>(a.Int(2)), brush);
    }
    return Value();
  });
  c.Method("SETBRUSH", [](Object& o, Args& a) {
    if (auto* b = dynamic_cast<TBrush*>(a.Obj(1).get())) W(o).SetBrush(xb::Ref<TBrush>(b));
    return Value();
  });
  c.Method("SETFONT", [](Object& o, Args& a) {
    if (auto* f = dynamic_cast<TFont*>(a.Obj(1).get())) W(o).SetFont(xb::Ref<TFont>(f));
    return Value();
  });
  c.Method("GETFONT", [](Object& o, Args&) {
    xb::Ref<TFont> f = W(o).GetFont();
    return f ? Value(f) : Value();
  });
  c.Method("SELFONT", [](Object& o, Args&) { return Value::Logical(W(o).SelFont()); });
  c.Method("SELCOLOR", [](Object& o, Args& a) { W(o).SelColor(a.Log(1, true)); return Value(); });
  c.Method("SETMENU", [](Object& o, Args& a) { W(o).SetMenu(a.Obj(1)); return Value(); });
  c.Method("SETICON", [](Object& o, Args& a) { W(o).SetIcon(a.Obj(1)); return Value(); });
  c.Method("HELP", [](Object& o, Args&) { W(o).Help(); return Value(); });
  c.Method("NCPAINT", [](Object& o, Args&) { W(o).NcPaint(); return Value(); });
  c.Method("XREFRESH", [](Object& o, Args&) { W(o).xRefresh(); return Value(); });
  c.Method("INSPECT", [](Object& o, Args& a) { W(o).Inspect(std::string(a.Str(1))); return Value(); });
  c.Method("SETMSG", [](Object& o, Args& a) { W(o).SetMsg(std::string(a.Str(1)), a.Log(2)); return Value(); });
  c.Method("HELPTOPIC", [](Object& o, Args&) { W(o).HelpTopic(); return Value(); });

  // Controls.
  c.Method("ADDCONTROL", [](Object& o, Args& a) { W(o).AddControl(WindowOf(a.Arg(1))); return Value(); });
  c.Method("AEVALWHEN", [](Object& o, Args&) { W(o).AEvalWhen(); return Value(); });
  c.Method("UPDATE", [](Object& o, Args&) { W(o).Update(); return Value(); });
  c.Method("FIRSTACTIVECTRL", [](Object& o, Args&) {
    WindowRef w = W(o).FirstActiveCtrl();
    return w ? Value(w) : Value();
  });
  c.Method("LASTACTIVECTRL", [](Object& o, Args&) {
    WindowRef w = W(o).LastActiveCtrl();
    return w ? Value(w) : Value();
  });
  c.Method("GONEXTCTRL", [](Object& o, Args& a) { W(o).GoNextCtrl(AsHandle<HWND>(a.Arg(1))); return Value(); });
  c.Method("GOPREVCTRL", [](Object& o, Args& a) { W(o).GoPrevCtrl(AsHandle<HWND>(a.Arg(1))); return Value(); });
  c.Method("CHILDLEVEL", [](Object& o, Args& a) {
    std::string name(a.Str(1));
    if (xb::ObjectRef other = a.Obj(1)) name = other->ClassName();
    return Int(W(o).ChildLevel(name));
  });
  c.Method("SENDMSG", [](Object& o, Args& a) {
    return Int(W(o).SendMsg(static_cast<UINT>(a.Int(1)), static_cast<WPARAM>(a.Int(2)),
                            static_cast<LPARAM>(a.Int(3))));
  });
  c.Method("POSTMSG", [](Object& o, Args& a) {
    return Value::Logical(W(o).PostMsg(static_cast<UINT>(a.Int(1)), static_cast<WPARAM>(a.Int(2)),
                                       static_cast<LPARAM>(a.Int(3))));
  });

  // Drawing.
  c.Method("GETDC", [](Object& o, Args&) { return Handle(W(o).GetDC()); });
  c.Method("RELEASEDC", [](Object& o, Args&) { W(o).ReleaseDC(); return Value(); });
  c.Method("SAY", [](Object& o, Args& a) {
    TWindow& w = W(o);
    TWindow::SayStyle s;
    if (a.Arg(4).IsString()) {
      s.fore = NGetForeRGB(a.Str(4));
      s.back = NGetBackRGB(a.Str(4));
    } else {
      if (!a.IsNil(4)) s.fore = static_cast<COLORREF>(a.Int(4));
      if (!a.IsNil(5)) s.back = static_cast<COLORREF>(a.Int(5));
    }
    if (auto* f = dynamic_cast<TFont*>(a.Obj(6).get())) s.font = f->hFont;
    s.pixel = a.Log(7);
    s.transparent = a.Log(8);
    if (!a.IsNil(9)) s.align = static_cast<UINT>(a.Int(9));
    w.Say(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), std::string(a.Str(3)), s);
    return Value();
  });
  // SayBitmap(nRow, nCol, cBitmap, nWidth, nHeight, nRop)
  c.Method("SAYBITMAP", [](Object& o, Args& a) {
    const std::string bitmap = a.Arg(3).IsNumber() ? std::to_string(a.Int(3)) : std::string(a.Str(3));
    W(o).SayBitmap(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), bitmap, static_cast<int>(a.Int(4)),
                   static_cast<int>(a.Int(5)), static_cast<DWORD>(a.Int(6)));
    return Value();
  });
  c.Method("SAYRECT", [](Object& o, Args& a) {
    W(o).SayRect(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), std::string(a.Str(3)),
                 static_cast<int>(a.Int(4)));
    return Value();
  });
  c.Method("LINE", [](Object& o, Args& a) {
    HPEN pen = nullptr;
    if (xb::ObjectRef p = a.Obj(5)) pen = AsHandle<HPEN>(xb::Send(Value(p), "HPEN"));
    W(o).Line(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)),
              static_cast<int>(a.Int(4)), pen);
    return Value();
  });
  c.Method("BOX", [](Object& o, Args& a) {
    W(o).Box(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)),
             static_cast<int>(a.Int(4)));
    return Value();
  });
  c.Method("CIRCLE", [](Object& o, Args& a) {
    W(o).Circle(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)));
    return Value();
  });
  c.Method("SETPIXEL", [](Object& o, Args& a) {
    W(o).SetPixel(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), static_cast<COLORREF>(a.Int(3)));
    return Value();
  });
  c.Method("FLOODFILL", [](Object& o, Args& a) {
    W(o).FloodFill(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)),
                   static_cast<COLORREF>(a.Int(3)), static_cast<COLORREF>(a.Int(4)));
    return Value();
  });

  // Tooltips.
  c.Method("CHECKTOOLTIP", [](Object& o, Args&) { W(o).CheckToolTip(); return Value(); });
  c.Method("SHOWTOOLTIP", [](Object& o, Args& a) {
    std::optional<int> row, col;
    std::optional<std::string> text;
    if (!a.IsNil(1)) row = static_cast<int>(a.Int(1));
    if (!a.IsNil(2)) col = static_cast<int>(a.Int(2));
    if (!a.IsNil(3)) text = std::string(a.Str(3));
    W(o).ShowToolTip(row, col, text);
    return Value();
  });
  c.Method("DESTROYTOOLTIP", [](Object& o, Args&) { W(o).DestroyToolTip(); return Value(); });

  // Message methods, for text that calls them directly.
  c.Method("KEYDOWN", [](Object& o, Args& a) { return AnswerValue(W(o).KeyDown(static_cast<int>(a.Int(1)), a.Int(2))); });
  c.Method("KEYCHAR", [](Object& o, Args& a) { return AnswerValue(W(o).KeyChar(static_cast<int>(a.Int(1)), a.Int(2))); });
  c.Method("COMMAND", [](Object& o, Args& a) {
    return AnswerValue(W(o).Command(static_cast<WPARAM>(a.Int(1)), static_cast<LPARAM>(a.Int(2))));
  });
  c.Method("RESIZE", [](Object& o, Args& a) {
    TWindow& w = W(o);
    const Rect client = w.GetCliRect();
    return AnswerValue(w.ReSize(static_cast<int>(a.Int(1)), a.IsNil(2) ? client.right : static_cast<int>(a.Int(2)),
                                a.IsNil(3) ? client.bottom : static_cast<int>(a.Int(3))));
  });
  c.Method("GOTFOCUS", [](Object& o, Args& a) { return AnswerValue(W(o).GotFocus(AsHandle<HWND>(a.Arg(1)))); });
  c.Method("LOSTFOCUS", [](Object& o, Args& a) { return AnswerValue(W(o).LostFocus(AsHandle<HWND>(a.Arg(1)))); });
  c.Method("KILLFOCUS", [](Object& o, Args& a) { return AnswerValue(W(o).LostFocus(AsHandle<HWND>(a.Arg(1)))); });
  c.Method("TIMER", [](Object& o, Args& a) { return AnswerValue(W(o).Timer(static_cast<WPARAM>(a.Int(1)), 0)); });
  c.Method("PAINT", [](Object& o, Args&) { return AnswerValue(W(o).Paint()); });
  c.Method("HELPF1", [](Object& o, Args&) { return AnswerValue(W(o).HelpF1()); });
  // The mouse methods take (nRow, nCol, nKeyFlags).
  using MouseMethod = Answer (TWindow::*)(int, int, WPARAM);
  const std::pair<const char*, MouseMethod> mouse[] = {
      {"LBUTTONDOWN", &TWindow::LButtonDown}, {"LBUTTONUP", &TWindow::LButtonUp},
      {"LDBLCLICK", &TWindow::LDblClick},     {"RBUTTONDOWN", &TWindow::RButtonDown},
      {"RBUTTONUP", &TWindow::RButtonUp},     {"MBUTTONDOWN", &TWindow::MButtonDown},
      {"MBUTTONUP", &TWindow::MButtonUp},     {"MOUSEMOVE", &TWindow::MouseMove}};
  for (const auto& [name, method] : mouse) {
    c.Method(name, [method](Object& o, Args& a) {
      return AnswerValue((W(o).*method)(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)),
                                        static_cast<WPARAM>(a.Int(3))));
    });
  }
  c.Method("NCMOUSEMOVE", [](Object& o, Args& a) {
    return AnswerValue(W(o).NcMouseMove(static_cast<WPARAM>(a.Int(1)), static_cast<int>(a.Int(2)),
                                        static_cast<int>(a.Int(3))));
  });
  // Moved( nRow, nCol )
  c.Method("MOVED", [](Object& o, Args& a) {
    return AnswerValue(W(o).Moved(0, static_cast<int>(a.Int(2)), static_cast<int>(a.Int(1))));
  });
  c.Method("SYSCOMMAND", [](Object& o, Args& a) {
    return AnswerValue(W(o).SysCommand(static_cast<WPARAM>(a.Int(1)), static_cast<LPARAM>(a.Int(2))));
  });
  c.Method("VSCROLL", [](Object& o, Args& a) {
    return AnswerValue(W(o).VScroll(static_cast<WPARAM>(a.Int(1)), static_cast<LPARAM>(a.Int(2))));
  });
  c.Method("HSCROLL", [](Object& o, Args& a) {
    return AnswerValue(W(o).HScroll(static_cast<WPARAM>(a.Int(1)), static_cast<LPARAM>(a.Int(2))));
  });
  c.Method("ERASEBKGND", [](Object& o, Args& a) { return AnswerValue(W(o).EraseBkGnd(AsHandle<HDC>(a.Arg(1)))); });
  c.Method("CTLCOLOR", [](Object& o, Args& a) {
    return AnswerValue(W(o).CtlColor(AsHandle<HWND>(a.Arg(1)), AsHandle<HDC>(a.Arg(2))));
  });
  c.Method("GETDLGCODE", [](Object& o, Args& a) { return AnswerValue(W(o).GetDlgCode(static_cast<WPARAM>(a.Int(1)))); });
  // MouseWheel( nKeys, nDelta, nXPos, nYPos )
  c.Method("MOUSEWHEEL", [](Object& o, Args& a) {
    return AnswerValue(W(o).MouseWheel(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)),
                                       static_cast<int>(a.Int(3)), static_cast<int>(a.Int(4))));
  });
  c.Method("BEGINPAINT", [](Object& o, Args&) { return AnswerValue(W(o).BeginPaint()); });
  c.Method("ENDPAINT", [](Object& o, Args&) { return AnswerValue(W(o).EndPaint()); });
  c.Method("QUERYENDSESSION", [](Object& o, Args&) { return AnswerValue(W(o).QueryEndSession()); });
  c.Method("DROPOVER", [](Object& o, Args& a) {
    return AnswerValue(W(o).DropOver(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)),
                                     static_cast<LPARAM>(a.Int(3))));
  });

  // Edit requests.
  VDR_BLOCK_REQUEST("COPY", bCopy);
  VDR_BLOCK_REQUEST("CUT", bCut);
  VDR_BLOCK_REQUEST("PASTE", bPaste);
  VDR_BLOCK_REQUEST("DELETE", bDelete);
  VDR_BLOCK_REQUEST("FIND", bFind);
  VDR_BLOCK_REQUEST("FINDNEXT", bFindNext);
  VDR_BLOCK_REQUEST("REPLACE", bReplace);
  VDR_BLOCK_REQUEST("SELECTALL", bSelectAll);
  VDR_BLOCK_REQUEST("UNDO", bUnDo);
  VDR_BLOCK_REQUEST("REDO", bReDo);
  VDR_BLOCK_REQUEST("PROPERTIES", bProperties);
  VDR_BLOCK_REQUEST("ZIP", bZip);
  VDR_BLOCK_REQUEST("UNZIP", bUnZip);

  // Objects read from a file and VBX events: what the placeholders of the framework answer.
  c.Method("READFILE", [](Object&, Args& a) { return xb::CallFunction(xb::Intern("ULOADOBJECT"), a.Raw()); });
  c.Method("VBXFIREEVENT", [](Object& o, Args& a) {
    return xb::CallFunction("VBXEVENT", {W(o).Self(), a.Arg(1)});
  });
}

}  // namespace

const xb::Class& TWindow::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TWINDOW");
    DefineMessages(c);
    DefineWindowDesignAids(c);
    return c;
  }();
  return cls;
}

}  // namespace ui
