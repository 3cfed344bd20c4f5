// The listing driver: a fixed listing over a table asks for its destination (SELDESTINO),
// walks the records calling the listing's own block for page headers, detail lines, group
// breaks, page footers and the end, and routes every item to the destination: the listing
// printer, the listing window, a text file or HTML pages. It keeps the current page and
// line, shows a progress dialog with a cancel button and reports spooler errors by code.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "output/listing_state.h"
#include "runtime/value.h"

namespace output {

// The listing's events (first argument of its block).
enum ListingEvent : int {
  kPageHeader = 1,
  kDetail = 2,
  kEnd = 3,
  kGroupFooter = 7,
  kPageFooter = 9,
  kGroupHeader = 16,
};

struct ListingParams {
  xb::Value line;                       // bLine: Eval(nEvent, @nLine, @nPage)
  xb::Value while_;                     // stop condition, default {|| .F.}
  xb::Value for_;                       // record filter, default {|| .T.}
  xb::Value group;                      // group key
  std::string title = "Sin Titulo";
  bool page_group = true;
  bool window = true, printer = true, file = true, html = true, sheet = true, html_mail = true;
  int win_foot_lines = 0;
  std::string alias;
  xb::Value clr_fore, clr_back;
  xb::Value end;                        // bEnd
  int lines_per_record = 1;
  int foot_lines = 0;                   // footer lines on the printer
  bool save_subtotals = false;
  xb::Value dbl_click, help;
  std::string header;                   // the document header's code (in and out)
  bool fonts = false, window_to_printer = false, landscape = false;
};

// SELLISTAR.
void SelListar(ListingParams& params);

// The walks of one destination, after it was chosen.
struct WalkParams {
  xb::Value while_, for_, group;
  std::string title;
  bool page_group = true;
  std::string alias;
  xb::Value end;
  int margin = 0;
  bool landscape = false;
  int copies = 1;
};
void Listar2(const WalkParams& params);   // printers and HTML
void Listar2F(const WalkParams& params);  // the text file; the dialog chooses it
// The same into the named file, without the dialog.
void Listar2File(const WalkParams& params, const std::string& file);

// SAYLISTADO: one item on the current destination.
struct ListingItem {
  std::optional<int> row;
  int col = 0;
  xb::Value value;
  std::string picture;
  bool compressed = false, expanded = false, bold = false, right = false, centre = false;
  std::optional<COLORREF> text, back;
  bool pixels = false, mm = false;
};
void SayListado(const ListingItem& item);
void LinListado(int row1, int col1, int row2, int col2, COLORREF colour = 0, int width = 1, int style = 0);
// SAYFILE and LINEAFILE on the listing's text file.
void SayFile(int row, int col, const xb::Value& value, const std::string& picture, bool right, bool centre);
void LineaFile(int row1, int col1, int row2, int col2);

void ErrorListado(int code);
// DLGLISTAR: 0 opens, 1 refreshes the clock, 2 closes, 3 shows the page.
void DlgListar(int state, const std::string& title = {}, const std::string& destination = {}, int page = 0);

// SELDESTINO: the destination dialog; the printer number to use (1).
struct DestinationChoice {
  int destination = 0;
  std::string header{};
  int margin = 0;
  int copies = 1;
};
int SelDestino(int mask, DestinationChoice& choice, bool no_header);

// The listing on the destination chosen (what SELLISTAR does after the dialog); the text
// file is `file` when given, else the save dialog chooses it.
void RunListing(ListingParams& params, const DestinationChoice& choice, int printer, const std::string& file = {});

// The spooler calls of the walk pass through this filter (tests make them fail); none: as
// they are.
using SpoolerFilter = std::function<int(const char* call, int result)>;
void SetSpoolerFilter(SpoolerFilter filter);

// The driver's line and page cells: what a listing block receives by reference (@nLine,
// @nPage), and where SAYLISTADO takes its row when none is given.
xb::Value ListingLineRef();
xb::Value ListingPageRef();
// The listing block the driver and the window's printing call.
void SetListingBlock(const xb::Value& block);

// The hook run at the end of every listing (the running window shown again).
void EndOfListingHook();

void RegisterListingDriver();

}  // namespace output
