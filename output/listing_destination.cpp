// The destination dialog of the listings (SELDESTINO) and the driver's public functions.
#include <windows.h>

#include <memory>

#include "data/program_settings.h"
#include "output/document_headers.h"
#include "output/listing_driver.h"
#include "output/printer_table.h"
#include "output/tprinter2.h"
#include "output/set_get.h"
#include "runtime/block.h"
#include "runtime/function_table.h"
#include "services/dialog_helpers.h"
#include "services/table_helpers.h"
#include "ui/bridge/message_loop.h"
#include "ui/controls/tbitmap.h"
#include "ui/controls/tget.h"
#include "ui/core/msg_box.h"
#include "ui/core/window_table.h"

namespace output {
namespace {

using xb::Args;
using xb::Value;

std::string Trim(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// The header models' codes and descriptions, and the one proposed.
struct Headers {
  bool there = false;
  std::vector<std::pair<std::string, std::string>> models;  // code, description
  std::string last_active;
  std::string Description(const std::string& code) const {
    for (const auto& [c, d] : models)
      if (Trim(c) == Trim(code)) return d;
    return {};
  }
  bool Has(const std::string& code) const {
    for (const auto& m : models)
      if (Trim(m.first) == Trim(code)) return true;
    return false;
  }
};

Headers ReadHeaders() {
  Headers h;
  if (!svc::FileExists(svc::DbfOf(CabeHTable()))) return h;
  svc::SelectedAreaScope keep;
  if (!svc::OpenTableQuietly(CabeHTable(), "_QzCabeH", false)) return h;
  svc::OpenedArea area(true);
  h.there = true;
  svc::SelectOrder(1);
  for (xb::CallFunction("DBGOTOP"); !svc::Area().eof(); svc::Area().Skip(1)) {
    const std::string code = svc::FieldText("COD");
    h.models.push_back({code, Trim(svc::FieldText("DESCRIP"))});
    if (svc::FieldLogical("ACTIVO")) h.last_active = code;
  }
  return h;
}

void PressF1() {
  ::keybd_event(VK_F1, 0, 0, 0);
  ::keybd_event(VK_F1, 0, KEYEVENTF_KEYUP, 0);
}

}  // namespace

int SelDestino(int mask, DestinationChoice& choice, bool no_header) {
  EnsureGesPrn();
  const Headers headers = ReadHeaders();
  std::string header = !choice.header.empty() ? choice.header : headers.last_active;
  ui::WindowRef main = ui::OWndFromHwnd(ui::GetWndApp());
  ui::DialogRef dialog = svc::ResourceDialog(Value::Integer(20070), std::nullopt, 0, main);
  const auto [name, port] = NombresImpresora(1);
  PrinterNamesRow row;
  const bool has_main = [&] {
    const std::string table = GesPrnTable();
    if (!svc::FileExists(svc::DbfOf(table))) return false;
    svc::SelectedAreaScope keep;
    if (!svc::OpenTableQuietly(table, "_QzGesPrn", false)) return false;
    svc::OpenedArea area(true);
    svc::SelectOrder(1);
    return svc::Seek(Value::String("1"));
  }();
  auto printer_label =
      svc::Label(dialog, 101, has_main ? name + " en " + port : "No hay impresoras instaladas en la aplicación");
  auto destination = std::make_shared<int>(0);
  auto choose = [dialog = dialog.get(), destination](int d) {
    return [dialog, destination, d] {
      *destination = d;
      dialog->End(IDOK);
      if (HWND main_hwnd = ui::GetWndApp()) ::SetFocus(main_hwnd);
    };
  };
  std::vector<std::pair<int, bool>> enabled = {
      {410, has_main},           {412, has_main},
      {413, (mask & kWindow) != 0}, {414, (mask & kTextFile) != 0},
      {415, (mask & kHtml) != 0},  {416, (mask & kHtmlMail) != 0},
  };
  svc::Button(dialog, 410, choose(kMainPrinter));
  svc::Button(dialog, 412, choose(kDialogPrinter));
  svc::Button(dialog, 413, choose(kWindow));
  svc::Button(dialog, 414, choose(kTextFile));
  svc::Button(dialog, 415, choose(kHtml));
  svc::Button(dialog, 416, choose(kHtmlMail));
  svc::Button(dialog, 400, choose(kNoDestination));
  svc::Button(dialog, 401, [] { PressF1(); });
  ui::TDialog* d = dialog.get();
  svc::Button(dialog, 411, [d, printer_label] {
    if (xb::IsFunctionRegistered("CONFDESTINO")) xb::CallFunction("CONFDESTINO");
    const auto [n, p] = NombresImpresora(1);
    const bool ok = n.rfind("No hay", 0) != 0;
    ::SetDlgItemTextA(d->hWnd, 101, ok ? (n + " en " + p).c_str() : "No hay impresoras instaladas en la aplicación");
    ::EnableWindow(::GetDlgItem(d->hWnd, 410), ok);
    ::EnableWindow(::GetDlgItem(d->hWnd, 412), ok);
  });

  auto code = std::make_shared<Value>(Value::String(header.empty() ? std::string(3, ' ') : header));
  auto margin = std::make_shared<Value>(Value::Integer(choice.margin));
  auto copies = std::make_shared<Value>(Value::Integer(std::max(choice.copies, 1)));
  auto description = svc::Label(dialog, 90, headers.Description(header));
  const bool header_enabled = headers.there && !no_header;
  auto code_get = xb::MakeRef<ui::TGet>();
  code_get->ReDefine(100, {.set_get = SetGet(code),
                           .parent = dialog,
                           .picture = "@!",
                           .valid = Value(xb::Block::Native([headers, d, code](Args&) {
                             const std::string c = Trim(std::string(code->AsString()));
                             if (c.empty()) return Value::Logical(true);
                             if (!headers.Has(c)) {
                               ui::MsgAlert(Value::String(" Cabecera no existe"));
                               return Value::Logical(false);
                             }
                             ::SetDlgItemTextA(d->hWnd, 90, headers.Description(c).c_str());
                             return Value::Logical(true);
                           }))});
  auto search = xb::MakeRef<ui::TBitmap>();
  search->ReDefine({.id = 600,
                    .resource = "LUPA",
                    .parent = dialog,
                    .l_clicked = Value(xb::Block::Native([code, code_get, d, headers](Args&) {
                      if (!xb::IsFunctionRegistered("UFINDCABEZA")) return Value();
                      const Value found = xb::CallFunction("UFINDCABEZA", {*code});
                      if (found.IsString() && !Trim(std::string(found.AsString())).empty()) {
                        *code = found;
                        code_get->Refresh();
                        ::SetDlgItemTextA(d->hWnd, 90, headers.Description(std::string(found.AsString())).c_str());
                      }
                      return Value();
                    })),
                    .message = "Búsqueda de modelo de cabecera"});
  search->cToolTip = Value::String("Búsqueda de modelo de cabecera");
  auto margin_get = xb::MakeRef<ui::TGet>();
  margin_get->ReDefine(111, {.set_get = SetGet(margin), .parent = dialog, .picture = "999",
                             .valid = Value(xb::Block::Native([margin](Args&) {
                               return Value::Logical(margin->AsDouble() >= 0);
                             }))});
  auto copies_get = xb::MakeRef<ui::TGet>();
  copies_get->ReDefine(112, {.set_get = SetGet(copies), .parent = dialog, .picture = "999",
                             .valid = Value(xb::Block::Native([copies](Args&) {
                               return Value::Logical(copies->AsDouble() >= 1);
                             }))});
  svc::RunDialog(dialog, [d, enabled, header_enabled] {
    for (const auto& [id, on] : enabled) ::EnableWindow(::GetDlgItem(d->hWnd, id), on);
    ::EnableWindow(::GetDlgItem(d->hWnd, 100), header_enabled);
    ::EnableWindow(::GetDlgItem(d->hWnd, 600), header_enabled);
    return true;
  });
  choice.destination = *destination;
  const std::string chosen = Trim(std::string(code->AsString()));
  if (!chosen.empty() && header_enabled) CActivo(chosen);
  choice.header = CActivo();
  choice.margin = static_cast<int>(margin->AsInt());
  choice.copies = std::max(1, static_cast<int>(copies->AsInt()));
  return 1;
}

void RegisterListingDriver() {
  using xb::RegisterFunction;
  // SELLISTAR( bLine, bWhile, bFor, bGroup, cTitle, lPageGroup, lWindow, lPrinter, lFile, nWinFootLines, cAlias,
  //            nClrFore, nClrBack, bEnd, nLinesPerRecord, nFootLines, lSaveSubtotals, bDblClick, bHelp, @cHeader,
  //            lFonts, lWindowToPrinter, lLandscape, lHtml, lSheet, lHtmlMail )
  RegisterFunction("SELLISTAR", [](Args& a) {
    ListingParams p;
    p.line = a.Arg(1);
    p.while_ = a.Arg(2);
    p.for_ = a.Arg(3);
    p.group = a.Arg(4);
    if (a.Arg(5).IsString()) p.title = std::string(a.Str(5));
    p.page_group = a.Log(6, true);
    p.window = a.Log(7, true);
    p.printer = a.Log(8, true);
    p.file = a.Log(9, true);
    p.win_foot_lines = a.IsNil(10) ? 0 : static_cast<int>(a.Int(10));
    p.alias = a.Arg(11).IsString() ? std::string(a.Str(11)) : std::string();
    p.clr_fore = a.Arg(12);
    p.clr_back = a.Arg(13);
    p.end = a.Arg(14);
    p.lines_per_record = a.IsNil(15) ? 1 : static_cast<int>(a.Int(15));
    p.foot_lines = a.IsNil(16) ? 0 : static_cast<int>(a.Int(16));
    p.save_subtotals = a.Log(17);
    p.dbl_click = a.Arg(18);
    p.help = a.Arg(19);
    p.header = a.Arg(20).IsString() ? std::string(a.Str(20)) : std::string();
    p.fonts = a.Log(21);
    p.window_to_printer = a.Log(22);
    p.landscape = a.Log(23);
    p.html = a.Log(24, true);
    p.sheet = a.Log(25, true);
    p.html_mail = a.Log(26, true);
    SelListar(p);
    a.SetRef(20, Value::String(p.header));
    return Value();
  });
  RegisterFunction("NDESTINOLISTADO", [](Args& a) {
    if (a.Arg(1).IsNumber()) nDestinoListado(static_cast<int>(a.Int(1)));
    return Value::Integer(nDestinoListado());
  });
  RegisterFunction("NMARGENIMP", [](Args& a) {
    if (a.Arg(1).IsNumber()) nMargenImp(static_cast<int>(a.Int(1)));
    return Value::Integer(nMargenImp());
  });
  RegisterFunction("NPAGINAL", [](Args&) { return Value::Integer(nPaginaL()); });
  RegisterFunction("NLINEAL", [](Args&) { return Value::Integer(nLineaL()); });
  RegisterFunction("ABORTAR", [](Args& a) {
    Abortar(a.Log(1, true));
    return Value();
  });
  RegisterFunction("LABORTADO", [](Args&) { return Value::Logical(lAbortado()); });
  RegisterFunction("ERRORLISTADO", [](Args& a) {
    ErrorListado(static_cast<int>(a.Int(1)));
    return Value();
  });
  RegisterFunction("DLGLISTAR", [](Args& a) {
    DlgListar(static_cast<int>(a.Int(1)), std::string(a.Str(2)), std::string(a.Str(3)),
              a.IsNil(4) ? 0 : static_cast<int>(a.Int(4)));
    return Value();
  });
  // SAYLISTADO( nRow, nCol, xValue, cPicture, lCompressed, lExpanded, lBold, lRight, lCentre, P10, P11,
  //             nClrText, nClrBack, lPixels, lMM )
  RegisterFunction("SAYLISTADO", [](Args& a) {
    ListingItem item;
    if (a.Arg(1).IsNumber()) item.row = static_cast<int>(a.Int(1));
    item.col = a.IsNil(2) ? 0 : static_cast<int>(a.Int(2));
    item.value = a.Arg(3);
    item.picture = a.Arg(4).IsString() ? std::string(a.Str(4)) : std::string();
    item.compressed = a.Log(5);
    item.expanded = a.Log(6);
    item.bold = a.Log(7);
    item.right = a.Log(8);
    item.centre = a.Log(9);
    if (a.Arg(12).IsNumber()) item.text = static_cast<COLORREF>(a.Int(12));
    if (a.Arg(13).IsNumber()) item.back = static_cast<COLORREF>(a.Int(13));
    item.pixels = a.Log(14);
    item.mm = a.Log(15);
    SayListado(item);
    return Value();
  });
  RegisterFunction("LINLISTADO", [](Args& a) {
    auto i = [&a](int n, int def) { return a.IsNil(n) ? def : static_cast<int>(a.Int(n)); };
    LinListado(i(1, 0), i(2, 0), i(3, 0), i(4, 0), static_cast<COLORREF>(i(5, 0)), i(6, 1), i(7, 0));
    return Value();
  });
  RegisterFunction("SAYFILE", [](Args& a) {
    SayFile(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), a.Arg(3),
            a.Arg(4).IsString() ? std::string(a.Str(4)) : std::string(), a.Log(5), a.Log(6));
    return Value();
  });
  RegisterFunction("LINEAFILE", [](Args& a) {
    LineaFile(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), static_cast<int>(a.Int(3)),
              static_cast<int>(a.Int(4)));
    return Value();
  });
  auto on_font = [](void (TPrinter2::*printer_fn)(bool), const char* window_message) {
    return [printer_fn, window_message](Args&) {
      const int d = nDestinoListado();
      if (IsPrinterDestination(d) || IsHtmlDestination(d)) {
        if (xb::Ref<TPrinter2> prn = Impresora()) ((*prn).*printer_fn)(false);
      } else if (d == kWindow && xb::IsFunctionRegistered("WLIST")) {
        const Value window = xb::CallFunction("WLIST");
        if (window.IsObject()) xb::Send(window, window_message);
      }
      return Value();
    };
  };
  RegisterFunction("COMPRESSED", on_font(&TPrinter2::Comprimida, "COMPRIMIDA"));
  RegisterFunction("EXPANDED", on_font(&TPrinter2::Expandida, "EXPANDIDA"));
  RegisterFunction("NORMALTYPE", on_font(&TPrinter2::Normal, "NORMAL"));
  RegisterFunction("EXPANDACTIVATE", [](Args&) { return xb::CallFunction("EXPANDED"); });
  RegisterFunction("EXPANDDEACTIVATE", [](Args&) { return Value(); });
  auto on_weight = [](bool bold) {
    return [bold](Args&) {
      const int d = nDestinoListado();
      if (IsPrinterDestination(d) || IsHtmlDestination(d)) {
        if (xb::Ref<TPrinter2> prn = Impresora()) bold ? prn->PesoNegrita() : prn->PesoNormal();
      } else if (d == kWindow && xb::IsFunctionRegistered("WLIST")) {
        const Value window = xb::CallFunction("WLIST");
        if (window.IsObject()) xb::Send(window, bold ? "PESONEGRITA" : "PESONORMAL");
      }
      return Value();
    };
  };
  RegisterFunction("BOLDACTIVATE", on_weight(true));
  RegisterFunction("BOLDDEACTIVATE", on_weight(false));
  RegisterFunction("LLSTFICHERO", [](Args&) { return Value::Logical(nDestinoListado() == kTextFile); });
  RegisterFunction("LLSTIMPRESORA", [](Args&) { return Value::Logical(IsPrinterDestination(nDestinoListado())); });
  // SELDESTINO( nMask, @nDestination, lNoHeader, @cHeader, @nMargin, @nCopies )
  RegisterFunction("SELDESTINO", [](Args& a) {
    DestinationChoice choice;
    choice.header = a.Arg(4).IsString() ? std::string(a.Str(4)) : std::string();
    choice.margin = a.IsNil(5) ? 0 : static_cast<int>(a.Int(5));
    choice.copies = a.IsNil(6) ? 1 : static_cast<int>(a.Int(6));
    const int printer = SelDestino(a.IsNil(1) ? 255 : static_cast<int>(a.Int(1)), choice, a.Log(3));
    a.SetRef(2, Value::Integer(choice.destination));
    a.SetRef(4, Value::String(choice.header));
    a.SetRef(5, Value::Integer(choice.margin));
    a.SetRef(6, Value::Integer(choice.copies));
    return Value::Integer(printer);
  });
  RegisterFunction("ANOMIMPRE", [](Args& a) {
    PrinterNamesRow row;
    const int printer = a.IsNil(1) ? 1 : static_cast<int>(a.Int(1));
    if (!LInfoImpre(row, printer)) row = PrinterNamesRow{};
    return Value(xb::Array::Of({Value::String(row.driver), Value::String(row.name), Value::String(row.port)}));
  });
  RegisterFunction("LISTT", [](Args& a) { return Value::Logical((a.Int(1) & 4) != 0); });
  RegisterFunction("LISDEVICE", [](Args& a) { return Value::Logical((a.Int(1) & 8) != 0); });
}

}  // namespace output
