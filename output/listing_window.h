// The listing window: a fixed listing sent to the window destination opens in a window that
// draws the listing's own header, as many records as fit and its footer through the
// listing's block, and lets the user scroll record by record, page by page and sideways,
// move between the groups, change the font, print it elsewhere and close it. Several can be
// open at once; WLIST() is the one being drawn.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "output/listing_file.h"
#include "runtime/object.h"
#include "ui/controls/tbutton.h"
#include "ui/core/twindow.h"

namespace output {

class TWList;

// The listing's events sent by the window.
enum WindowEvent : int {
  kWinHeader = 4,
  kWinDetail = 5,
  kWinFooter = 6,
  kWinFooter2 = 8,
  kWinGroupRecord = 10,
  kWinLeaves = 11,
  kWinNewGroup = 12,
  kWinGroupAgain = 13,
  kWinSearch = 14,
  kWinSubtotals = 15,
  kWinStartOver = 17,
};

// The window of a listing (TWinOwn): its buttons along the top, its scroll bars and keys.
class TWinOwn : public ui::TWindow {
 public:
  TWinOwn();
  static const xb::Class& Cls();

  TWList* list = nullptr;
  // The buttons by their letter, for the keys.
  std::vector<std::pair<char, xb::Ref<ui::TButton>>> buttons;

  ui::Answer Paint() override;
  ui::Answer ReSize(int type, int width, int height) override;
  ui::Answer VScroll(WPARAM wparam, LPARAM lparam) override;
  ui::Answer HScroll(WPARAM wparam, LPARAM lparam) override;
  ui::Answer KeyDown(int key, LPARAM flags) override;
  ui::Answer LDblClick(int row, int col, WPARAM keys) override;
  ui::Answer GetMinMaxInfo(MINMAXINFO* info) override;
  ui::Answer GotFocus(HWND losing) override;
  ui::Answer MouseMove(int row, int col, WPARAM keys) override;
};

struct WListParams {
  xb::Value line;  // bLine
  std::string alias;
  std::string title = "SIN TITULO";
  int foot_lines = 0;
  COLORREF fore = 0, back = 12632256;
  xb::Value while_, group, for_, end;
  int lines_per_record = 1;
  bool group_navigation = false;
  bool save_subtotals = false;
  xb::Value dbl_click, help;
  bool page_group = false;
  std::string header;
  bool fonts = false;
  bool to_printer = false;
  bool landscape = false;
};

class TWList : public xb::Object {
 public:
  TWList();
  ~TWList() override;
  static const xb::Class& Cls();

  // Makes the window; false when it could not be made.
  bool New(const WListParams& params);

  // ---- drawing, called through the listing's block ------------------------------------------------
  void SayVentana(int row, int col, const xb::Value& value, const std::string& picture, bool compressed,
                  bool expanded, bool bold, bool right, bool centre, std::optional<COLORREF> text,
                  std::optional<COLORREF> back);
  void Linea(int row1, int col1, int row2, int col2, COLORREF colour, int width, int style);
  void PesoNegrita();
  void PesoNormal();
  xb::Value Totales(int n) const;

  // ---- moving ----------------------------------------------------------------------------------------
  void LineDown();
  void LineUp();
  void PageDown();
  void PageUp();
  void Home();
  void EndOfRange();
  void CharRight(int n = 1);
  void CharLeft(int n = 1);
  void NextGroup();
  void PrevGroup();
  void ChooseWindowFont();
  void Print();
  void Close();
  // A font for the window (with the room check); false when too large.
  bool TakeFont(const LOGFONTA& font);

  // The continuous subtotals of the listing's event 15: mode -1 reads, 0 saves.
  void SubTotContinuo(xb::Value& subtotal, int mode);
  void SetValIniSTC(const xb::Value& value);

  // ---- what it shows --------------------------------------------------------------------------------
  const std::vector<std::int64_t>& DrawnRecords() const { return aNReg; }
  int Position() const { return position_; }
  int RecordsPerPage() const { return nRegDetalle; }
  int HeaderLines() const { return nLineasCabecera; }
  int Group() const { return group_ + 1; }
  int GroupsKnown() const { return static_cast<int>(groups_.size()); }
  int HorizontalPosition() const { return h_position_; }
  int WidestLine() const { return nColsLinea; }
  std::string FontFace() const;
  // The font dialog's labels of font 1 (normal) or 2 (bold): face, pitch name and points.
  std::vector<std::string> FontValues(int font) const;
  bool TrueTypeFont() const { return (metrics_.tmPitchAndFamily & TMPF_TRUETYPE) != 0; }
  int FontHeight() const { return yChar; }
  xb::Ref<TWinOwn> Window() const { return oWndL; }

  void Layout();
  void PaintAll(HDC dc);

  xb::Ref<TWinOwn> oWndL;
  std::string cTitulo;
  int xChar = 0, yChar = 0, nAlto = 0, nAncho = 0, nPixBarra = 0;
  int nLineasCabecera = 0, nPixCabecera = 0, nLineasPie = 0, nPixPie = 0, nLineasDetalle = 0;
  int nRegDetalle = 0, nColsLinea = -1, nColsVentana = -1, nLineasPagina = -1, nLineasReg = 1;
  bool lLineaUp = false, lLineaDown = false, lPaginaUp = false, lPaginaDown = false, lPrimeraPagina = false;
  bool lNewSubTotal = false, lRango = false, lRangoSTC = false, lSTCResize = false;
  std::vector<std::int64_t> aNReg;
  xb::Ref<TFileC> oFileSTC;
  xb::Value uValIniSTC;
  WListParams params_;

 private:
  xb::Value Fire(int event, int line, int column = 0);
  bool Passes();
  bool Stops();
  xb::Value Key();
  // The records of the group starting at `first` (the whole listing without groups).
  std::vector<std::int64_t> RangeFrom(std::int64_t first, std::int64_t* next_group);
  void SetRange(std::vector<std::int64_t> range);
  void MoveTo(int position);
  void UpdateScrollBars();
  void MakeFonts(const LOGFONTA& font);
  void DeleteFonts();
  void EnableButton(char letter, bool on);
  void SaveSubtotals();

  HFONT font_ = nullptr, bold_ = nullptr;
  bool bold_on_ = false;
  TEXTMETRICA metrics_{};
  int average_ = 0;
  HDC dc_ = nullptr;      // while painting
  bool measuring_ = false;
  int position_ = 0;
  int h_position_ = 0;
  std::vector<std::int64_t> range_;
  struct GroupSeen {
    std::int64_t first;
    std::vector<std::int64_t> records;
  };
  std::vector<GroupSeen> groups_;
  int group_ = 0;
  bool all_groups_ = false;
  std::int64_t next_group_first_ = 0;
  std::vector<std::pair<char, xb::Ref<ui::TButton>>> buttons_;
  bool closed_ = false;
};

// WLISTNEW: a listing window; WLIST(): the one being drawn; WL_AWLIST(): every one open.
xb::Ref<TWList> WListNew(const WListParams& params);
xb::Ref<TWList> WList();
std::vector<xb::Ref<TWList>> WlAwList();

// The window functions of the listing window.
void WinScroll(HWND hwnd, int dy, int dx, const RECT& rect);
void AjustarY(MINMAXINFO* info, int min_height, int min_width);
void RepintaRec(HWND hwnd, const RECT& rect, bool erase);  // rect {left, top, right, bottom}
bool MenuStrItem(HMENU menu, UINT id, const std::string& text);

void RegisterListingWindow();

}  // namespace output
