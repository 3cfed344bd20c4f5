#include "output/html_page.h"

#include <cstdio>

namespace output::html {
namespace {

constexpr const char* kCharset = "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">";

std::string Digits(int value, int width) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value < 0 ? 0 : value);
  return buffer;
}

// A CSS string's contents (inside '...'): quotes, backslash and angle brackets as escapes, so
// nothing can close the string or the style block.
std::string CssString(std::string_view text) {
  std::string out;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\'' || c == '"' || c == '\\' || c == '<' || c == '>' || u < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\%X ", u);
      out += buffer;
    } else {
      out += c;
    }
  }
  return out;
}

// A class name as a CSS selector and attribute: letters, digits, "_" and "-" only.
std::string ClassName(std::string_view name) {
  std::string out;
  for (char c : name) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    out += ok ? c : '_';
  }
  return out.empty() ? std::string("DEFAULT") : out;
}

// STR(n) as the runtime gives it: right-aligned in 10 places.
std::string Str10(int value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%10d", value);
  return buffer;
}

}  // namespace

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c; break;
    }
  }
  return out;
}

std::string ItemText(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\0')) --end;
  std::string out;
  for (char c : Escape(text.substr(0, end))) {
    if (c == ' ') out += "&nbsp;";
    else out += c;
  }
  return out;
}

std::string JsString(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const auto u = static_cast<unsigned char>(c);
    if (c == '\\') out += "\\\\";
    else if (c == '\'') out += "\\'";
    else if (c == '"') out += "\\\"";
    else if (c == '<' && i + 1 < text.size() && text[i + 1] == '/') out += "<\\";
    else if (u < 0x20) {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\x%02X", u);
      out += buffer;
    } else {
      out += c;
    }
  }
  return out;
}

std::string SafeName(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' ||
        c == '|')
      c = '_';
  }
  return out;
}

std::string PercentEncode(std::string_view name) {
  std::string out;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                      c == '.' || c == '_' || c == '~';
    if (keep) {
      out += c;
    } else {
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "%%%02X", u);
      out += buffer;
    }
  }
  return out;
}

std::string Mm(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.2f", value);
  std::string out = buffer;
  if (out == "-0.00") out = "0.00";
  return out + "mm";
}

std::string Rgb(COLORREF colour) {
  return "RGB( " + std::to_string(GetRValue(colour)) + "," + std::to_string(GetGValue(colour)) + "," +
         std::to_string(GetBValue(colour)) + ")";
}

std::string PageName(int document, int page) { return "P" + Digits(document, 2) + Digits(page, 5) + ".HTM"; }

std::string NavigationName(int document) { return "Navega" + Digits(document, 2) + ".htm"; }

std::string FontClassBlock(const FontStyle& f) {
  const std::string lines[] = {
      " ." + ClassName(f.class_name),
      " { ",
      " font-family:'" + CssString(f.face) + "';",
      " font-size:" + Str10(f.points) + "pt;",
      std::string(" font-weight:") + (f.bold ? "bold;" : "normal;"),
      std::string(" font-style:") + (f.italic ? "italic;" : "normal;"),
      " position:absolute; ",
      " } ",
  };
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

std::string Placeholder() {
  return std::string("<HTML>\r\n<HEAD>\r\n") + kCharset +
         "\r\n<META HTTP-EQUIV='Refresh' CONTENT='5'>\r\n<TITLE>Talvane</TITLE>\r\n</HEAD>\r\n<BODY>\r\n"
         "<P style=\"font-family:Arial;\">Generando página...</P>\r\n</BODY>\r\n</HTML>\r\n";
}

std::string BeginHead(const std::string& title, int document, int page, bool landscape) {
  std::string h = " <HEAD> \r\n";
  h += kCharset;
  h += "\r\n<TITLE>" + Escape(title) + "</TITLE>\r\n";
  h += "<SCRIPT LANGUAGE=\"JavaScript\">\r\n";
  h += "var nPage = " + std::to_string(page) + ";\r\n";
  h += "var cDocument = '" + JsString(Digits(document, 2)) + "';\r\n";
  h += "function MovePage(nMode, nGo) {\r\n"
       "  try { window.parent.MovePage(nMode, nGo); } catch (e) {}\r\n"
       "}\r\n"
       "function PageLoaded() {\r\n"
       "  var oBox = document.getElementById('CUADRO');\r\n"
       "  if (window.parent != window) {\r\n"
       "    try {\r\n"
       "      var oFrame = window.parent.document.getElementById('DATOS');\r\n"
       "      oFrame.style.width = (oBox.offsetWidth + 4) + 'px';\r\n"
       "      oFrame.style.height = (oBox.offsetHeight + 4) + 'px';\r\n"
       "    } catch (e) {}\r\n"
       "  } else {\r\n"
       "    oBox.style.border = '0';\r\n"
       "    window.print();\r\n"
       "    window.close();\r\n"
       "  }\r\n"
       "}\r\n"
       "window.onload = PageLoaded;\r\n"
       "</SCRIPT>\r\n";
  h += "<STYLE TYPE=\"text/css\">\r\n";
  h += " .ButtonStyle { font-family:'MS Sans Serif'; font-size:xx-small; background-color:#D7D3CA; "
       "border:1px double; padding:4px; }\r\n";
  h += " .DEFAULT { font-family:'MS Sans Serif'; font-size:9pt; font-weight:normal; position:absolute; }\r\n";
  h += std::string(" .CUADRO { background-color:white; position:absolute; top:0; left:0; margin:0; ") +
       (landscape ? "width:28.70cm; height:19.75cm; " : "width:19.75cm; height:28.70cm; ") +
       "border:1px solid #808080; }\r\n";
  return h;
}

std::string FinishHead() { return "</STYLE>\r\n </HEAD>\r\n"; }

std::string BeginBody(const std::string& colour) {
  std::string b = " <BODY style='border: 0 0;margin: 0 0 0 0;overflow-x: hidden;'";
  if (!colour.empty()) b += " BGCOLOR=\"" + Escape(colour) + "\"";
  return b + "> <P CLASS='CUADRO' ID='CUADRO'>\r\n";
}

std::string FinishBody() { return " </P>\r\n </BODY>\r\n"; }

std::string ParagraphStart(const std::string& class_name) {
  return "<P CLASS=\"" + Escape(ClassName(class_name)) + "\" style=\"";
}

std::string StyleText(const StyleItem& item) { return item.name + ":" + item.value + ";"; }

std::string ParagraphEnd(const std::string& contents) { return "\">" + contents + "</P>"; }

std::string Paragraph(const std::string& class_name, const std::vector<StyleItem>& style, const std::string& contents) {
  std::string p = ParagraphStart(class_name);
  for (const StyleItem& item : style) p += StyleText(item);
  return p + ParagraphEnd(contents);
}

std::string NavigationPage(const std::string& title, int document, int pages) {
  const std::string doc = Digits(document, 2);
  std::string n = "<HTML>\r\n<HEAD>\r\n";
  n += kCharset;
  n += "\r\n<TITLE>" + Escape(title) + "</TITLE>\r\n";
  n += "<STYLE TYPE=\"text/css\">\r\n"
       " .ButtonStyle { font-family:'MS Sans Serif'; font-size:xx-small; background-color:#D7D3CA; "
       "border:1px double; padding:4px; }\r\n"
       " .PageLine { font-family:'MS Sans Serif'; font-size:small; }\r\n"
       "</STYLE>\r\n";
  n += "<SCRIPT LANGUAGE=\"JavaScript\">\r\n";
  n += "var cPage = 'P';\r\n";
  n += "var nPages = " + std::to_string(pages) + ";\r\n";
  n += "var cDocument = '" + JsString(doc) + "';\r\n";
  n += "var nPage = 1;\r\n";
  n += "var nZoom = 100;\r\n";
  n += std::string("var cMaker = '") + JsString(kMakerAddress) + "';\r\n";
  n += "function cGetPageName(nNumber) {\r\n"
       "  var cNumber = String(nNumber);\r\n"
       "  while (cPage.length + cDocument.length + cNumber.length < 8) cNumber = '0' + cNumber;\r\n"
       "  return cPage + cDocument + cNumber + '.HTM';\r\n"
       "}\r\n"
       "function ShowPageLine() {\r\n"
       "  document.getElementById('PAGINA').innerHTML = 'P\\xE1gina ' + nPage + ' de ' + nPages;\r\n"
       "  document.getElementById('GOTOPAGE').value = nPage;\r\n"
       "}\r\n"
       "function MovePage(nMode, nGo) {\r\n"
       "  var nNew = nPage;\r\n"
       "  if (nMode == 1) nNew = 1;\r\n"
       "  else if (nMode == 2) nNew = Math.max(1, nPage - 1);\r\n"
       "  else if (nMode == 3) nNew = Math.min(nPages, nPage + 1);\r\n"
       "  else if (nMode == 4) nNew = nPages;\r\n"
       "  else if (nMode == 5) {\r\n"
       "    nNew = parseInt(nGo, 10);\r\n"
       "    if (isNaN(nNew) || nNew < 1 || nNew > nPages) { ShowPageLine(); return; }\r\n"
       "  }\r\n"
       "  nPage = nNew;\r\n"
       "  document.getElementById('DATOS').src = cGetPageName(nPage);\r\n"
       "  ShowPageLine();\r\n"
       "}\r\n"
       "function ShowControls(lShow) {\r\n"
       "  document.getElementById('BOTONES').style.visibility = lShow ? 'visible' : 'hidden';\r\n"
       "  document.getElementById('talvane').style.visibility = lShow ? 'visible' : 'hidden';\r\n"
       "}\r\n"
       "function DoPrint(nMode) {\r\n"
       "  ShowControls(false);\r\n"
       "  if (nMode == 1) {\r\n"
       "    window.open(cGetPageName(nPage), 'Imprimir', 'width=200,height=100');\r\n"
       "  } else {\r\n"
       "    var oWin = window.open('', 'ImprimirTodas');\r\n"
       "    var oDoc = oWin.document;\r\n"
       "    oDoc.write('<HTML><BODY style=\"margin:0\">');\r\n"
       "    for (var i = 1; i <= nPages; i++)\r\n"
       "      oDoc.write('<IFRAME SRC=\"' + cGetPageName(i) + '\" WIDTH=\"100%\" HEIGHT=\"1085\" "
       "FRAMEBORDER=\"0\"><\\/IFRAME>');\r\n"
       "    oDoc.write('<\\/BODY><\\/HTML>');\r\n"
       "    oDoc.close();\r\n"
       "    oWin.print();\r\n"
       "  }\r\n"
       "  ShowControls(true);\r\n"
       "}\r\n"
       "function SyncZoomList() {\r\n"
       "  var oList = document.getElementById('ZOOMLIST');\r\n"
       "  oList.value = String(nZoom);\r\n"
       "}\r\n"
       "function Zoom(nStep) {\r\n"
       "  if (nZoom + nStep < 0) { alert('El porcentaje no puede ser menos que cero.'); return; }\r\n"
       "  nZoom += nStep;\r\n"
       "  document.getElementById('AREA').style.zoom = nZoom + '%';\r\n"
       "  SyncZoomList();\r\n"
       "}\r\n"
       "function SetZoom(cValue) {\r\n"
       "  nZoom = parseInt(cValue, 10);\r\n"
       "  document.getElementById('AREA').style.zoom = nZoom + '%';\r\n"
       "}\r\n"
       "function IsZoomBrowser() {\r\n"
       "  var cAgent = navigator.userAgent;\r\n"
       "  return cAgent.indexOf('MSIE 5.5') >= 0 || cAgent.indexOf('MSIE 6') >= 0;\r\n"
       "}\r\n"
       "function LaunchQZ() {\r\n"
       "  if (cMaker != '') window.open(cMaker);\r\n"
       "}\r\n"
       "window.onload = function () {\r\n"
       "  if (IsZoomBrowser()) document.getElementById('ZOOM').style.display = 'inline';\r\n"
       "  ShowPageLine();\r\n"
       "};\r\n"
       "</SCRIPT>\r\n</HEAD>\r\n";
  n += "<BODY BGCOLOR=\"#EDEFEA\" style=\"margin:4px;\">\r\n";
  n += "<DIV ID=\"BOTONES\">\r\n";
  const char* buttons[][2] = {{" Primera ", "MovePage(1)"},     {" Anterior ", "MovePage(2)"},
                              {" Siguiente ", "MovePage(3)"},   {" Ultima ", "MovePage(4)"},
                              {" Imprimir ", "DoPrint(1)"},     {" Imprimir Todas", "DoPrint(2)"}};
  for (const auto& b : buttons)
    n += std::string("<INPUT TYPE=\"button\" CLASS=\"ButtonStyle\" VALUE=\"") + b[0] + "\" onClick=\"" + b[1] + "\">\r\n";
  n += "<SPAN ID=\"ZOOM\" style=\"display:none;\">\r\n"
       "<INPUT TYPE=\"button\" CLASS=\"ButtonStyle\" VALUE=\" Zoom + \" onClick=\"Zoom(10)\">\r\n"
       "<INPUT TYPE=\"button\" CLASS=\"ButtonStyle\" VALUE=\" Zoom - \" onClick=\"Zoom(-10)\">\r\n"
       "<SELECT ID=\"ZOOMLIST\" CLASS=\"ButtonStyle\" onChange=\"SetZoom(this.value)\">"
       "<OPTION VALUE=\"100\" SELECTED>100%</OPTION><OPTION VALUE=\"75\">75%</OPTION>"
       "<OPTION VALUE=\"50\">50%</OPTION><OPTION VALUE=\"25\">25%</OPTION></SELECT>\r\n"
       "</SPAN>\r\n";
  n += "<SPAN ID=\"PAGINA\" CLASS=\"PageLine\">Página 1 de " + std::to_string(pages) + "</SPAN>\r\n";
  n += "<INPUT TYPE=\"text\" ID=\"GOTOPAGE\" NAME=\"GOTOPAGE\" SIZE=\"5\" VALUE=\"1\">\r\n";
  n += "<INPUT TYPE=\"button\" CLASS=\"ButtonStyle\" VALUE=\" Ir \" "
       "onClick=\"MovePage(5, document.getElementById('GOTOPAGE').value)\">\r\n";
  n += "</DIV>\r\n";
  n += "<DIV ID=\"AREA\">\r\n<IFRAME NAME=\"DATOS\" ID=\"DATOS\" SRC=\"" + PageName(document, 1) +
       "\" WIDTH=\"780\" HEIGHT=\"1110\" FRAMEBORDER=\"0\"></IFRAME>\r\n</DIV>\r\n";
  n += "<P ID='talvane' CLASS=\"PageLine\">";
  n += std::string(kMakerAddress).empty() ? std::string("Talvane")
                                         : std::string("<A HREF=\"javascript:LaunchQZ()\">Talvane</A>");
  n += "</P>\r\n</BODY>\r\n</HTML>\r\n";
  return n;
}

}  // namespace output::html
