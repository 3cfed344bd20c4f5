// The document-header designer of the dictionary: a header (" Añadir", " Modificar",
// " Copiar" dialog "TI_CABEH") with its items edited in a working copy (dialog "TI_CABED")
// that replaces the stored items when the header is saved, and its test print through the
// listing driver (SELLISTAR, by name).
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "reports/header_rows.h"

namespace reports {

enum class HeaderMode { kAdd, kModify, kCopy, kDelete };

// The header dialog over the current row of `cabeh` (a new header when adding); true when
// the header was saved. To delete, it shows the header read only and "Aceptar" deletes it
// with its items.
bool MngCabLis(const std::string& cabeh, const std::string& cabed, HeaderMode mode);
// An item's dialog over `item` (only shown with `view`); true when accepted.
bool MngCabItem(HeaderItem& item, bool add, bool view = false);
// What the "Tipo" column shows: the name of the data items 1 to 10, else the description of
// the header datum whose number the item's text holds.
std::string HeaderItemKind(const HeaderItem& item);
// A bitmap file's width and height in pixels; none when it cannot be read.
std::optional<std::pair<int, int>> ImagePixels(const std::string& file);
// The test print: the listing driver on the header `code`, with the sample texts.
void ProbarCabecera(const std::string& code);

// Registers TI_SETAJUSTE, TI_NAJUSTE, MM2PIX1 and MM2PIX2.
void RegisterHeaderDialogs();

}  // namespace reports
