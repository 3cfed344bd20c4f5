// The listing window's font dialog, its printing elsewhere, and what text compiled at run time
// reaches of it: the TWLIST class and the module's functions.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <array>
#include <memory>

#include "output/listing_driver.h"
#include "output/listing_window.h"
#include "output/printer_table.h"
#include "output/tprinter2.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "services/dialog_helpers.h"
#include "ui/bridge/common_dialogs.h"
#include "ui/controls/tcheckbox.h"
#include "ui/core/msg_box.h"
#include "ui/core/window_table.h"

namespace output {
namespace {

using xb::Args;
using xb::Value;

ui::WindowRef g_running;

}  // namespace

bool TWList::TakeFont(const LOGFONTA& font) {
  HFONT probe = ::CreateFontIndirectA(&font);
  HDC screen = ::GetDC(nullptr);
  HGDIOBJ previous = ::SelectObject(screen, probe);
  TEXTMETRICA tm = {};
  ::GetTextMetricsA(screen, &tm);
  ::SelectObject(screen, previous);
  ::ReleaseDC(nullptr, screen);
  ::DeleteObject(probe);
  const int line = tm.tmHeight + tm.tmExternalLeading;
  int lines = (nAlto - nPixBarra) / std::max(1, line);
  if ((nAlto - nPixBarra) % std::max(1, line) == 0) --lines;
  const int header = nLineasCabecera;
  if ((lines - header - nLineasPie) / nLineasReg < 1) {
    ui::MsgAlert(Value::String("El tamaño seleccionado es demasiado grande"), "ERROR EN LA SELECCION DE FUENTE");
    return false;
  }
  MakeFonts(font);
  h_position_ = 0;
  Layout();
  ::InvalidateRect(oWndL->hWnd, nullptr, TRUE);
  return true;
}

void TWList::ChooseWindowFont() {
  ui::DialogRef dialog = svc::ResourceDialog(Value::Integer(20069), std::nullopt, 0, oWndL);
  ui::TDialog* d = dialog.get();
  auto fixed = std::make_shared<Value>(Value::Logical(false));
  auto truetype = std::make_shared<Value>(Value::Logical(false));
  auto cell = [](std::shared_ptr<Value> c) {
    return Value(xb::Block::Native([c](Args& a) {
      if (a.Count() > 0 && !a.IsNil(1)) *c = a.Arg(1);
      return *c;
    }));
  };
  for (auto [id, c] : {std::pair{114, fixed}, std::pair{115, truetype}}) {
    auto check = xb::MakeRef<ui::TCheckBox>();
    check->ReDefine({.id = id, .set_get = cell(c), .parent = dialog});
  }
  auto show = [this, d] {
    const std::vector<std::string> shown = FontValues(1);
    for (int i = 0; i < 3; ++i) ::SetDlgItemTextA(d->hWnd, 201 + i, shown[static_cast<std::size_t>(i)].c_str());
    ::ShowWindow(::GetDlgItem(d->hWnd, 112), TrueTypeFont() ? SW_SHOWNA : SW_HIDE);
  };
  svc::Button(dialog, 111, [this, fixed, truetype, show] {
    ui::ChooseFontParams p;
    LOGFONTA lf = {};
    ::GetObjectA(font_, sizeof lf, &lf);
    p.font = lf;
    p.flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | (fixed->AsLogical() ? CF_FIXEDPITCHONLY : 0) |
              (truetype->AsLogical() ? CF_TTONLY : 0);
    const ui::ChosenFont chosen = ui::ChooseFontDialog(p);
    if (chosen.confirmed && TakeFont(chosen.font)) show();
  });
  svc::Button(dialog, 520, [d] { d->End(520); });
  svc::Button(dialog, 540, [] {
    ::keybd_event(VK_F1, 0, 0, 0);
    ::keybd_event(VK_F1, 0, KEYEVENTF_KEYUP, 0);
  });
  ::EnableWindow(oWndL->hWnd, FALSE);
  svc::RunDialog(dialog, [show] {
    show();
    return true;
  });
  ::EnableWindow(oWndL->hWnd, TRUE);
  SaveSubtotals();
}

void TWList::Print() {
  xb::Ref<TWList> keep(this);  // closing the window may drop the list's last reference
  DestinationChoice choice;
  choice.header = params_.header;
  const int printer = SelDestino(kTextFile + kMainPrinter + kHtml + kSheet + kHtmlMail, choice, false);
  // Only the file, a printer or HTML print it again; otherwise the window stays.
  if (choice.destination != kTextFile && !IsPrinterDestination(choice.destination) &&
      !IsHtmlDestination(choice.destination))
    return;
  StartOver();
  const WListParams p = params_;
  closed_ = true;  // ends the window, not the listing
  Close();
  ListingParams lp;
  lp.line = p.line;
  lp.while_ = p.while_;
  lp.for_ = p.for_;
  lp.group = p.group;
  lp.title = p.title;
  lp.page_group = p.page_group;
  lp.alias = p.alias;
  lp.end = p.end;
  lp.header = choice.header;
  lp.landscape = p.landscape;
  RunListing(lp, choice, printer);
  if ((IsPrinterDestination(choice.destination) || IsHtmlDestination(choice.destination)) &&
      (!Impresora() || !Impresora()->Ok()))
    nDestinoListado(kWindow);
}

const xb::Class& TWList::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TWLIST");
    auto L = [](xb::Object& o) -> TWList& { return xb::Class::Cast<TWList>(o); };
    c.Method("SAYVENTANA", [L](xb::Object& o, Args& a) {
      auto colour = [&a](int n) {
        return a.Arg(n).IsNumber() ? std::optional<COLORREF>(static_cast<COLORREF>(a.Int(n))) : std::nullopt;
      };
      L(o).SayVentana(a.IsNil(1) ? nLineaL() : static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), a.Arg(3),
                      a.Arg(4).IsString() ? std::string(a.Str(4)) : std::string(), a.Log(5), a.Log(6), a.Log(7),
                      a.Log(8), a.Log(9), colour(12), colour(13));
      return Value();
    });
    c.Method("LINEA", [L](xb::Object& o, Args& a) {
      L(o).Linea(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)),
                 static_cast<int>(a.Int(4)), static_cast<COLORREF>(a.Int(5)), static_cast<int>(a.Int(6, 1)),
                 static_cast<int>(a.Int(7)));
      return Value();
    });
    for (const char* name : {"COMPRIMIDA", "NORMAL", "EXPANDIDA"}) c.Method(name, [](xb::Object&, Args&) { return Value(); });
    c.Method("PESONEGRITA", [L](xb::Object& o, Args&) { L(o).PesoNegrita(); return Value(); });
    c.Method("PESONORMAL", [L](xb::Object& o, Args&) { L(o).PesoNormal(); return Value(); });
    c.Method("TOTALES", [L](xb::Object& o, Args& a) { return L(o).Totales(a.Arg(1)); });
    c.Method("SUBTOTCONTINUO", [L](xb::Object& o, Args& a) {
      Value subtotal = a.Arg(1);
      L(o).SubTotContinuo(subtotal, static_cast<int>(a.Int(2)));
      if (!subtotal.IsArray()) a.SetRef(1, subtotal);
      return Value();
    });
    c.Method("SETVALINISTC", [L](xb::Object& o, Args& a) { L(o).SetValIniSTC(a.Arg(1)); return Value(); });
    c.Method("END", [L](xb::Object& o, Args&) { L(o).Close(); return Value(); });
    c.Property("OWNDL", [L](xb::Object& o) { return L(o).Window() ? Value(xb::ObjectRef(L(o).Window())) : Value(); }, nullptr);
    c.Property("CTITULO", [L](xb::Object& o) { return Value::String(L(o).cTitulo); }, nullptr);
    // The layout and the scrolling state, as the listing's block may read them (not set).
    auto number = [&c, L](const char* name, int TWList::*member) {
      c.Property(name, [L, member](xb::Object& o) { return Value::Integer(L(o).*member); }, nullptr);
    };
    auto flag = [&c, L](const char* name, bool TWList::*member) {
      c.Property(name, [L, member](xb::Object& o) { return Value::Logical(L(o).*member); }, nullptr);
    };
    number("XCHAR", &TWList::xChar);
    number("YCHAR", &TWList::yChar);
    number("NALTO", &TWList::nAlto);
    number("NANCHO", &TWList::nAncho);
    number("NPIXBARRA", &TWList::nPixBarra);
    number("NLINEASCABECERA", &TWList::nLineasCabecera);
    number("NPIXCABECERA", &TWList::nPixCabecera);
    number("NLINEASPIE", &TWList::nLineasPie);
    number("NPIXPIE", &TWList::nPixPie);
    number("NLINEASDETALLE", &TWList::nLineasDetalle);
    number("NREGDETALLE", &TWList::nRegDetalle);
    number("NCOLSLINEA", &TWList::nColsLinea);
    number("NCOLSVENTANA", &TWList::nColsVentana);
    number("NLINEASPAGINA", &TWList::nLineasPagina);
    number("NLINEASREG", &TWList::nLineasReg);
    flag("LLINEAUP", &TWList::lLineaUp);
    flag("LLINEADOWN", &TWList::lLineaDown);
    flag("LPAGINAUP", &TWList::lPaginaUp);
    flag("LPAGINADOWN", &TWList::lPaginaDown);
    flag("LPRIMERAPAGINA", &TWList::lPrimeraPagina);
    flag("LNEWSUBTOTAL", &TWList::lNewSubTotal);
    flag("LSUBTOTAL", &TWList::lSubTotal);
    flag("LRANGO", &TWList::lRango);
    flag("LRANGOSTC", &TWList::lRangoSTC);
    flag("LSTCRESIZE", &TWList::lSTCResize);
    // The records drawn, in order; {-1} before the first drawing.
    c.Property("ANREG", [L](xb::Object& o) {
      xb::Array records = xb::Array::New();
      for (std::int64_t r : L(o).aNReg) records.Append(Value::Integer(r));
      if (records.size() == 0) records.Append(Value::Integer(-1));
      return Value(records);
    }, nullptr);
    c.Property("CALIAS", [L](xb::Object& o) { return Value::String(L(o).params_.alias); }, nullptr);
    c.Property("LEJECTFOR", [L](xb::Object& o) { return Value::Logical(L(o).params_.group_navigation); }, nullptr);
    c.Property("LSALVARSTC", [L](xb::Object& o) { return Value::Logical(L(o).params_.save_subtotals); }, nullptr);
    c.Property("UVALINISTC", [L](xb::Object& o) { return L(o).uValIniSTC; }, nullptr);
    c.Property("OFILESTC", [L](xb::Object& o) { return L(o).oFileSTC ? Value(L(o).oFileSTC) : Value(); }, nullptr);
    return c;
  }();
  return cls;
}

void RegisterListingWindow() {
  (void)TWList::Cls();
  (void)TWinOwn::Cls();
  using xb::RegisterFunction;
  // WLISTNEW( bLine, cAlias, cTitle, nFootLines, nClrFore, nClrBack, bWhile, bGroup, bFor, bEnd,
  //           nLinesPerRecord, lGroup, lSaveSubtotals, bDblClick, bHelp, lPageGroup, cHeader, lFonts,
  //           lToPrinter, lLandscape )
  RegisterFunction("WLISTNEW", [](Args& a) {
    WListParams p;
    p.line = a.Arg(1);
    p.alias = a.Arg(2).IsString() ? std::string(a.Str(2)) : std::string();
    if (a.Arg(3).IsString()) p.title = std::string(a.Str(3));
    p.foot_lines = static_cast<int>(a.Int(4));
    if (a.Arg(5).IsNumber()) p.fore = static_cast<COLORREF>(a.Int(5));
    if (a.Arg(6).IsNumber()) p.back = static_cast<COLORREF>(a.Int(6));
    p.while_ = a.Arg(7);
    p.group = a.Arg(8);
    p.for_ = a.Arg(9);
    p.end = a.Arg(10);
    p.lines_per_record = a.IsNil(11) ? 1 : static_cast<int>(a.Int(11));
    p.group_navigation = a.Log(12);
    p.save_subtotals = a.Log(13);
    p.dbl_click = a.Arg(14);
    p.help = a.Arg(15);
    p.page_group = a.Log(16);
    p.header = a.Arg(17).IsString() ? std::string(a.Str(17)) : std::string();
    p.fonts = a.Log(18);
    p.to_printer = a.Log(19);
    p.landscape = a.Log(20);
    xb::Ref<TWList> list = WListNew(p);
    return list ? Value(list) : Value();
  });
  RegisterFunction("WLIST", [](Args&) { return WList() ? Value(WList()) : Value(); });
  RegisterFunction("WLISTFIN", [](Args&) {
    WListFin();
    return Value();
  });
  RegisterFunction("WL_AWLIST", [](Args&) {
    xb::Array list = xb::Array::New();
    for (const auto& w : WlAwList()) list.Append(Value(w));
    return Value(list);
  });
  RegisterFunction("LWINOWN", [](Args&) { return Value::Logical(LWinOwn()); });
  // WL_ISRUNNING( oWnd, lClear )
  RegisterFunction("WL_ISRUNNING", [](Args& a) {
    if (auto* window = dynamic_cast<ui::TWindow*>(a.Obj(1).get()); window != nullptr && !g_running)
      g_running = ui::WindowRef(window);
    if (a.Log(2)) g_running = nullptr;
    return Value::Logical(static_cast<bool>(g_running));
  });
  RegisterFunction("WL_DLGLISTADO", [](Args&) { return Value(); });
  RegisterFunction("WL_ENDHOOK", [](Args&) {
    if (g_running && g_running->hWnd != nullptr) {
      ::ShowWindow(g_running->hWnd, SW_SHOW);
      ::EnableWindow(g_running->hWnd, TRUE);
      ::SetFocus(g_running->hWnd);
    }
    return Value();
  });
  RegisterFunction("QZ_WINDOWTOPRINTER", [](Args& a) {
    auto* list = dynamic_cast<TWList*>(a.Obj(1).get());
    if (list == nullptr) list = WList().get();
    if (list != nullptr) list->Print();
    return Value();
  });
  // WINSCROLL( hWnd, nDy, nDx, aRect {top, left, bottom, right} )
  RegisterFunction("WINSCROLL", [](Args& a) {
    const xb::Array r = a.Arr(4);
    auto at = [&r](std::size_t i) { return static_cast<LONG>(r ? r.Get(i).AsInt() : 0); };
    WinScroll(reinterpret_cast<HWND>(static_cast<std::intptr_t>(a.Int(1))), static_cast<int>(a.Int(2)),
              static_cast<int>(a.Int(3)), RECT{at(1), at(0), at(3), at(2)});
    return Value();
  });
  RegisterFunction("AJUSTARY", [](Args& a) {
    AjustarY(reinterpret_cast<MINMAXINFO*>(static_cast<std::intptr_t>(a.Int(1))), static_cast<int>(a.Int(2)),
             static_cast<int>(a.Int(3)));
    return Value();
  });
  // REPINTAREC( hWnd, aRect {left, top, right, bottom}, lErase )
  RegisterFunction("REPINTAREC", [](Args& a) {
    const xb::Array r = a.Arr(2);
    auto at = [&r](std::size_t i) { return static_cast<LONG>(r ? r.Get(i).AsInt() : 0); };
    RepintaRec(reinterpret_cast<HWND>(static_cast<std::intptr_t>(a.Int(1))), RECT{at(0), at(1), at(2), at(3)},
               a.Log(3));
    return Value();
  });
  RegisterFunction("MENUSTRITEM", [](Args& a) {
    return Value::Logical(MenuStrItem(reinterpret_cast<HMENU>(static_cast<std::intptr_t>(a.Int(1))),
                                      static_cast<UINT>(static_cast<std::uint16_t>(a.Int(2))), std::string(a.Str(3))));
  });
  // VALFONTVENTANA( nFont, aLabels, @aValues, oDlg )
  RegisterFunction("VALFONTVENTANA", [](Args& a) {
    TWList* list = WList().get();
    xb::Array values = xb::Array::Of({Value::String(""), Value::String(""), Value::String("")});
    ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    if (list != nullptr) {
      const std::vector<std::string> shown = list->FontValues(a.IsNil(1) ? 1 : static_cast<int>(a.Int(1)));
      for (std::size_t i = 0; i < 3; ++i) values[i] = Value::String(shown[i]);
      if (auto* dialog = dynamic_cast<ui::TWindow*>(a.Obj(4).get()); dialog != nullptr && dialog->hWnd != nullptr) {
        for (int i = 0; i < 3; ++i) ::SetDlgItemTextA(dialog->hWnd, 201 + i, shown[static_cast<std::size_t>(i)].c_str());
        ::ShowWindow(::GetDlgItem(dialog->hWnd, 112), list->TrueTypeFont() ? SW_SHOWNA : SW_HIDE);
      }
    }
    ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
    if (a.IsByRef(3)) a.SetRef(3, Value(values));
    else if (xb::Array given = a.Arr(3)) {
      given.Resize(3);
      for (std::size_t i = 0; i < 3; ++i) given[i] = values[i];
    }
    return Value();
  });
}

}  // namespace output
