// Printed document headers: models of the report dictionary's header tables (CabeH, CabeD,
// Fonts in the reports' folder), made of texts, lines, boxes, bitmaps and data items placed
// in millimetres. IMPCAB prints the active model on the listing printer and returns where
// the listing's body starts; the calling program fills the header's data items through a
// small registry of coded values.
#pragma once

#include <string>
#include <vector>

#include "runtime/array.h"

namespace output {

// CACTIVO: the active header model's code.
const std::string& CActivo();
void CActivo(const std::string& code);

// The header tables (folder and name, without extension).
std::string CabeHTable();
std::string CabeDTable();
std::string FontsTable();

// IMPCAB: prints the active header; the body's start (the model's POSICION, 45 without one).
// The listing's line is not used: a text file's header starts where its position falls.
double ImpCab(int line, int page, const std::string& text8, const std::string& text9);

// PRNTEXT: a text at millimetres, wrapped to `max_mm` (0: none), `spacing` mm apart.
void PrnText(const std::string& text, double max_mm, double spacing, double row, double col);

// The registry of the header's data items.
struct HeaderItem {
  int code = 0;
  std::string description;
  std::string value;
};
const std::vector<HeaderItem>& ADatosCabecera();
void ADatosCabecera(std::vector<HeaderItem> items);
bool SetDatoCabecera(int code, const std::string& description, const std::string& value);
std::string CValorDatoCab(int code);
std::string CDescDatoCab(int code);
std::string COrdenDatoCab(int position);

void RegisterDocumentHeaders();

}  // namespace output
