// The texts of the HTML export: escaping, file names, the page files with their head, font
// classes and paragraphs, the placeholder shown while a page is being written, and the
// navigation page. Everything is built as Windows-1252 bytes, declared so in every head.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace output::html {

// &, <, >, " and ' as entities.
std::string Escape(std::string_view text);
// Item text: right-trimmed, escaped, every blank as "&nbsp;".
std::string ItemText(std::string_view text);
// A JavaScript string's contents: backslash, both quotes and "</" escaped, control
// characters as \xNN.
std::string JsString(std::string_view text);
// Every character Windows refuses in a file name (\ / : * ? " < > | and control
// characters) as "_".
std::string SafeName(std::string_view name);
// A file name as a URL path segment: letters, digits and "-._~" kept, the rest as %XX.
std::string PercentEncode(std::string_view name);
// Millimetres with a "." and two decimals.
std::string Mm(double value);
// "RGB( r,g,b)".
std::string Rgb(COLORREF colour);

// "P" + document (2 digits) + page (5 digits) + ".HTM".
std::string PageName(int document, int page);
// "Navega" + document (2 digits) + ".htm".
std::string NavigationName(int document);

// The maker's address behind LaunchQZ; empty: the paragraph shows its text without a link.
inline constexpr const char* kMakerAddress = "";

// A font class: the font's number, face, size in points, weight and slant.
struct FontStyle {
  int number = 0;
  std::string face;
  int points = 10;
  bool bold = false, italic = false;
  std::string class_name;
};
// " ." + class, " { ", the face quoted, size, weight, slant, " position:absolute; ", " } "
// joined by CR LF.
std::string FontClassBlock(const FontStyle& font);

// The page written first in place of every page: it reloads itself every 5 seconds.
std::string Placeholder();

// The head of a page up to its fonts (" <HEAD> ", the title, the script, the fixed styles and
// the opening of the style block); FinishHead closes it.
std::string BeginHead(const std::string& title, int document, int page, bool landscape);
std::string FinishHead();
// The body's start, with BGCOLOR when a colour is given, and the page box CUADRO.
std::string BeginBody(const std::string& colour = {});
std::string FinishBody();

// One paragraph: its class, its style items in order and its (already escaped) contents.
struct StyleItem {
  std::string name, value;
};
std::string Paragraph(const std::string& class_name, const std::vector<StyleItem>& style, const std::string& contents);
// The same paragraph in its three pieces: up to the style, one style item, from the style's end.
std::string ParagraphStart(const std::string& class_name);
std::string StyleText(const StyleItem& item);
std::string ParagraphEnd(const std::string& contents);

// The navigation page of a document of `pages` pages.
std::string NavigationPage(const std::string& title, int document, int pages);

}  // namespace output::html
