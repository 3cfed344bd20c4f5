// The state of the running fixed listing that the listing printer, the driver and the listing
// window share: the destination, the current page and line, the margin and the cancel flag.
#pragma once

#include <string>

#include "runtime/value.h"

namespace output {

// Listing destinations (NDESTINOLISTADO), also the bits of the allowed-destinations mask.
enum Destination : int {
  kNoDestination = 0,
  kWindow = 2,
  kTextFile = 4,
  kMainPrinter = 8,
  kDialogPrinter = 16,
  kHtml = 32,
  kSheet = 64,
  kHtmlMail = 128,
};

int nDestinoListado();
int nDestinoListado(int destination);
bool IsPrinterDestination(int destination);  // 8 or 16
bool IsHtmlDestination(int destination);     // 32 or 128
int nPaginaL();
void SetPaginaL(int page);
int nLineaL();
void SetLineaL(int line);
int nMargenImp();
int nMargenImp(int margin);
bool lAbortado();
void Abortar(bool on);

// The text a listing prints for a value: with a picture TRANSFORM; else a date by DTOC, a
// logical "T" or "F", text as it is, a number by STR; anything else "Error de tipo".
std::string ListingText(const xb::Value& value, const std::string& picture);

}  // namespace output
