// Printed document headers of the dictionary (CabeH and its items in CabeD), edited as a
// working copy: a header is loaded with its items, changed in memory, and saved as a whole,
// its old items replaced by the copy's.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace reports {

struct HeaderItem {
  int dato = 1;  // kind: 1 text, 2 line or box, 3 image, 4.. data
  std::string texto;
  double linea = 0, columna = 0, linea2 = 0, columna2 = 0, longmax = 0, interlinea = 0;
  std::string ajuste = "I";
  bool activo = true;
  int grosor = 0;
  int fuente = 0;
};

struct Header {
  std::string cod;
  std::string descrip;
  double posicion = 0;
  bool activo = false;
  double pfinal = 0;
  std::vector<HeaderItem> items;
};

// The header `code` of the tables open under `cabeh` and `cabed`; false when absent.
bool LoadHeader(std::string_view cabeh, std::string_view cabed, std::string_view code, Header* header);
// Saves the header: its row added (`add`) or the current one with that code changed, its
// items replaced. A code empty or taken by another header is refused ("Nombre duplicado").
bool SaveHeader(std::string_view cabeh, std::string_view cabed, const Header& header, bool add);
// Deletes the header and its items.
void DeleteHeader(std::string_view cabeh, std::string_view cabed, std::string_view code);

// An image item's height or width by default: a third of its pixels, in tenths.
double ImageDefaultMm(int pixels);

// TI_NAJUSTE: 0 left ("I"), 1 right ("D"), 2 centred (anything else).
int nAjuste(std::string_view code);

}  // namespace reports
