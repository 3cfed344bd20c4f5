// The messages of TQZWEB, TQZWEBLS and TQZWEBPR that compiled text may send, and the
// functions ASTRUQZWEB, ASTRU2QZWEB, GETDOCUMENTSTRUCT and LDIROK.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "output/html_export.h"
#include "runtime/array.h"
#include "runtime/function_table.h"
#include "services/mail_spool.h"
#include "ui/core/tstruct.h"

namespace output {
namespace {

using xb::Args;
using xb::Object;
using xb::Value;

std::string S(const Args& a, int n, const std::string& def = {}) {
  return a.Arg(n).IsString() ? std::string(a.Str(n)) : def;
}

xb::Array Structure(const std::vector<FieldSpec>& fields) {
  xb::Array a = xb::Array::New();
  for (const FieldSpec& f : fields)
    a.Append(Value(xb::Array::Of({Value::String(f.name), Value::String(std::string(1, f.type)),
                                  Value::Integer(f.length), Value::Integer(f.decimals)})));
  return a;
}

// BeginDocument( cTitle, aTo, aCc, aBcc, cText, cName ): .T. when the document was begun, .F.
// (after the message) when its folder could not be made or there is no builder.
Value BeginDocumentOf(TQZWeb* web, Args& a) {
  if (web == nullptr) return Value::Logical(false);
  return Value::Logical(web->BeginDocument(S(a, 1, "Título"), svc::ListItems(a.Arg(2)), svc::ListItems(a.Arg(3)),
                     svc::ListItems(a.Arg(4)), S(a, 5), S(a, 6)));
}

// The builder's messages that the devices forward.
template <class Device>
void DefineForwards(xb::Class& c, TQZWeb* (*web)(Object&)) {
  c.Property("OQZWEB", [web](Object& o) { return web(o) ? web(o)->AsValue() : Value(); }, nullptr);
  c.Method("ACTIVATE", [web](Object& o, Args&) {
    if (TQZWeb* w = web(o)) w->Activate();
    return Value();
  });
  c.Method("PREVIEW", [web](Object& o, Args&) {
    if (TQZWeb* w = web(o)) w->Activate();
    return Value();
  });
  c.Method("BEGINDOCUMENT", [web](Object& o, Args& a) { return BeginDocumentOf(web(o), a); });
  c.Method("ENDDOCUMENT", [](Object&, Args&) { return Value(); });
}

TQZWeb& W(Object& o) { return xb::Class::Cast<TQZWeb>(o); }
int I(const Args& a, int n, int def = 0) { return a.IsNil(n) ? def : static_cast<int>(a.Int(n)); }

Value FontValue(const TQZWeb::WebFont& f) {
  return Value(xb::Array::Of({Value::Integer(f.number), Value::Integer(reinterpret_cast<std::intptr_t>(f.handle)),
                              Value::String(f.face), Value::Integer(f.points), Value::Logical(f.bold),
                              Value::Logical(f.italic), Value::Integer(f.colour), Value::String(f.class_name)}));
}

// Select2Font( oFont, nColour ): a framework font, its size in points on the device.
int Select2FontOf(TQZWeb& web, const Value& font, COLORREF colour) {
  if (!font.IsObject() || !xb::HasMessage(font, xb::Intern("HFONT"))) return 0;
  const auto handle = reinterpret_cast<HFONT>(static_cast<std::intptr_t>(xb::Send(font, "HFONT").AsInt()));
  LOGFONTA lf = {};
  if (handle == nullptr || ::GetObjectA(handle, sizeof lf, &lf) == 0) return 0;
  const int per_inch = web.hMeasure != nullptr ? ::GetDeviceCaps(web.hMeasure, LOGPIXELSY) : 72;
  const int points = per_inch > 0 ? std::max(1, static_cast<int>(std::lround(std::abs(lf.lfHeight) * 72.0 / per_inch))) : 10;
  return web.Select2Font(handle, lf.lfFaceName[0] != '\0' ? lf.lfFaceName : "Arial", points, lf.lfWeight >= FW_SEMIBOLD,
                         lf.lfItalic != 0, colour);
}
TQZWebLS& LS(Object& o) { return xb::Class::Cast<TQZWebLS>(o); }
TQZWebPr& PR(Object& o) { return xb::Class::Cast<TQZWebPr>(o); }

}  // namespace

const xb::Class& TQZWeb::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TQZWEB");
    c.Data("NTIPO", &TQZWeb::nTipo);
    c.Data("LOK", &TQZWeb::lOk);
    c.Data("CHTMLDIR", &TQZWeb::cHTMLDir);
    c.Data("CTITLE", &TQZWeb::cTitle);
    c.Data("CHTMLDIRDESTINO", &TQZWeb::cHTMLDirDestino);
    c.Data("CHTMLFILE", &TQZWeb::cHTMLFile);
    c.Data("CHTMLNAVIGATOR", &TQZWeb::cHTMLNavigator);
    c.Data("CHTMLDBF", &TQZWeb::cHTMLDbf);
    c.Data("NHTMLVIEW", &TQZWeb::nHTMLView);
    c.Data("LCREATED", &TQZWeb::lCreated);
    c.Data("LAPAISADO", &TQZWeb::lApaisado);
    c.Data("NPAGE", &TQZWeb::nPage);
    c.Data("NTOTALPAGES", &TQZWeb::nTotalPages);
    c.Data("LDEBUG", &TQZWeb::lDebug);
    c.Data("LDOCUMENTBASED", &TQZWeb::lDocumentBased);
    c.Data("NDOCUMENT", &TQZWeb::nDocument);
    c.Data("NTOTALDOCUMENTS", &TQZWeb::nTotalDocuments);
    c.Property("AHTMLDBFS", [](Object& o) { return Value(xb::Array::Of({Value::String(W(o).cAlias)})); }, nullptr);
    c.Data("NSTYLEID", &TQZWeb::nStyleID);
    c.Data("NPAGESFORTHISDOCUMENT", &TQZWeb::nPagesForThisDocument);
    c.Property("ACFONTS", [](Object& o) {
      xb::Array fonts = xb::Array::New();
      for (const TQZWeb::WebFont& f : W(o).acFonts) fonts.Append(FontValue(f));
      return Value(fonts);
    }, nullptr);
    c.Property("AIMAGES", [](Object& o) {
      xb::Array images = xb::Array::New();
      for (const std::string& image : W(o).aImages) images.Append(Value::String(image));
      return Value(images);
    }, nullptr);
    // New( cTitle, lLandscape, nPrinter, lDocumentBased )
    c.Method("NEW", [](Object& o, Args& a) {
      W(o).New(W(o).nTipo, S(a, 1, "Título"), a.Log(2), a.Log(4));
      return o.AsValue();
    });
    c.Method("ACTIVATE", [](Object& o, Args&) { W(o).Activate(); return Value(); });
    c.Method("PREVIEW", [](Object& o, Args&) { W(o).Activate(); return Value(); });
    c.Method("END", [](Object& o, Args&) { W(o).End(); return Value(); });
    c.Method("OK", [](Object& o, Args&) { return Value::Logical(W(o).Ok()); });
    c.Method("BEGINDOCUMENT", [](Object& o, Args& a) { return BeginDocumentOf(&W(o), a); });
    c.Method("ENDDOCUMENT", [](Object&, Args&) { return Value(); });
    c.Method("COUNTDOCUMENTS", [](Object& o, Args&) { return Value::Integer(W(o).CountDocuments()); });
    c.Method("COUNTPAGESFORDOCUMENT", [](Object& o, Args& a) {
      return Value::Integer(W(o).CountPagesForDocument(static_cast<int>(a.Int(1))));
    });
    c.Method("CPAGE", [](Object& o, Args& a) {
      return Value::String(W(o).cPage(static_cast<int>(a.Int(1)), static_cast<int>(a.Int(2)), a.Log(3)));
    });
    c.Method("ADDIMAGE", [](Object& o, Args& a) { return Value::String(W(o).AddImage(S(a, 1), S(a, 2))); });
    c.Method("_STARTPAGE", [](Object&, Args&) { return Value(); });
    c.Method("_ENDPAGE", [](Object&, Args&) { return Value(); });
    c.Method("GETFONT", [](Object& o, Args& a) { return FontValue(W(o).GetFont(I(a, 1, 1))); });
    c.Method("SELECTFONT", [](Object& o, Args& a) { return Value::Integer(W(o).SelectFont(S(a, 1), I(a, 2))); });
    c.Method("SELECT2FONT", [](Object& o, Args& a) {
      return Value::Integer(Select2FontOf(W(o), a.Arg(1), static_cast<COLORREF>(I(a, 2))));
    });
    c.Method("WRITEFONTSTYLES", [](Object& o, Args&) { W(o).WriteFontStyles(); return Value(); });
    // WH( cText, lNewLine ), WH_NAV( cText )
    c.Method("WH", [](Object& o, Args& a) { W(o).WH(S(a, 1), a.Log(2, true)); return Value(); });
    c.Method("WH_NAV", [](Object& o, Args& a) { W(o).WH_NAV(S(a, 1)); return Value(); });
    c.Method("BEGINPAGE", [](Object& o, Args& a) { return Value::Logical(W(o).BeginPage(I(a, 1), I(a, 2, 1))); });
    c.Method("FINISHPAGE", [](Object& o, Args&) { W(o).FinishPage(); return Value(); });
    c.Method("BEGINHEAD", [](Object& o, Args& a) { W(o).BeginHead(I(a, 1, 1)); return Value(); });
    c.Method("FINISHHEAD", [](Object& o, Args&) { W(o).FinishHead(); return Value(); });
    c.Method("BEGINBODY", [](Object& o, Args& a) { W(o).BeginBody(S(a, 1)); return Value(); });
    c.Method("FINISHBODY", [](Object& o, Args&) { W(o).FinishBody(); return Value(); });
    c.Method("BEGINDATO", [](Object& o, Args& a) { W(o).BeginDato(I(a, 1, 1)); return Value(); });
    c.Method("ENDDATO", [](Object& o, Args& a) { W(o).EndDato(I(a, 1, 1)); return Value(); });
    c.Method("ESTILO", [](Object& o, Args& a) { W(o).Estilo(S(a, 1), S(a, 2)); return Value(); });
    c.Method("PREPAREPAGES", [](Object& o, Args& a) { W(o).PreparePages(I(a, 1)); return Value(); });
    c.Method("NAVIGATION", [](Object& o, Args& a) { W(o).Navigation(I(a, 1)); return Value(); });
    c.Method("EXPLORE", [](Object& o, Args& a) { W(o).Explore(S(a, 1)); return Value(); });
    c.Method("SETUBICATION", [](Object& o, Args&) { W(o).SetUbication(); return Value(); });
    c.Method("SENDDOCUMENTSVIAEMAIL", [](Object& o, Args&) { W(o).SendDocumentsViaEmail(); return Value(); });
    return c;
  }();
  return cls;
}

const xb::Class& TQZWebLS::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TQZWEBLS", &TPrinter2::Cls());
    DefineForwards<TQZWebLS>(c, [](Object& o) { return LS(o).oQZWeb.get(); });
    // New( cTitle, lLandscape, nPrinter, lDocumentBased )
    c.Method("NEW", [](Object& o, Args& a) {
      LS(o).New(S(a, 1, "Título"), a.Log(2), a.IsNil(3) ? 1 : static_cast<int>(a.Int(3)), a.Log(4));
      return o.AsValue();
    });
    c.Method("OK", [](Object& o, Args&) { return Value::Logical(LS(o).WebOk()); });
    c.Method("END", [](Object& o, Args&) { LS(o).WebEnd(); return Value(); });
    c.Method("SELECTFONT", [](Object& o, Args& a) {
      LS(o).SelectFont(S(a, 1), static_cast<int>(a.Int(2)));
      return Value();
    });
    c.Method("STARTPAGE", [](Object& o, Args&) {
      if (LS(o).oQZWeb) ++LS(o).oQZWeb->nPage;
      return Value();
    });
    c.Method("ENDPAGE", [](Object&, Args&) { return Value(); });
    return c;
  }();
  return cls;
}

const xb::Class& TQZWebPr::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TQZWEBPR", &TPrinter::Cls());
    DefineForwards<TQZWebPr>(c, [](Object& o) { return PR(o).oQZWeb.get(); });
    // New( cTitle, lDocumentBased )
    c.Method("NEW", [](Object& o, Args& a) {
      PR(o).Init(S(a, 1, "Título"), a.Log(2));
      return o.AsValue();
    });
    c.Method("SAYIMAGE", [](Object&, Args&) { return Value(); });
    c.Method("NHEIGHT", [](Object& o, Args&) { return Value::Integer(PR(o).nVertRes()); });
    c.Method("NWIDTH", [](Object& o, Args&) { return Value::Integer(PR(o).nHorzRes()); });
    c.Method("OK", [](Object& o, Args&) { return Value::Logical(PR(o).WebOk()); });
    c.Method("PREVIEW", [](Object& o, Args&) { PR(o).ShowPreview(); return Value(); });
    return c;
  }();
  return cls;
}

void RegisterHtmlExport() {
  (void)TQZWeb::Cls();
  (void)TQZWebLS::Cls();
  (void)TQZWebPr::Cls();
  using xb::RegisterFunction;
  RegisterFunction("TQZWEB", [](Args&) { return Value(xb::MakeRef<TQZWeb>()); });
  RegisterFunction("TQZWEBLS", [](Args&) { return Value(xb::MakeRef<TQZWebLS>()); });
  RegisterFunction("TQZWEBPR", [](Args&) { return Value(xb::MakeRef<TQZWebPr>()); });
  RegisterFunction("ASTRUQZWEB", [](Args&) { return Value(Structure(AStruQZWeb())); });
  RegisterFunction("ASTRU2QZWEB", [](Args&) { return Value(Structure(AStru2QZWeb())); });
  RegisterFunction("GETDOCUMENTSTRUCT", [](Args&) {
    auto s = xb::MakeRef<ui::TExStruct>();
    s->AddMember("NDOCUMENT", "N", Value::Integer(0));
    s->AddMember("NPAGES", "N", Value::Integer(0));
    s->AddMember("CTITLE", "C", Value::String(""));
    s->AddMember("ATO", "A", Value(xb::Array::New()));
    s->AddMember("ACC", "A", Value(xb::Array::New()));
    s->AddMember("ABCC", "A", Value(xb::Array::New()));
    s->AddMember("CTEXTO", "C", Value::String(""));
    s->AddMember("CDOCUMENT", "C", Value::String(""));
    s->AddMember("CNAVEGA", "C", Value::String(""));
    s->AddMember("CTEMPDIR", "C", Value::String(""));
    s->AddMember("AIMAGES", "A", Value(xb::Array::New()));
    s->AddMember("NIDMAIL", "N", Value::Integer(0));
    s->AddMember("CDOCNAME", "C", Value::String(""));
    return Value(s);
  });
  RegisterFunction("LDIROK", [](Args& a) { return Value::Logical(lDirOk(S(a, 1), S(a, 2))); });
}

}  // namespace output
