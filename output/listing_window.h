// The listing window: a fixed listing sent to the window destination opens in a window that
// draws the listing's own header, as many records as fit and its footer through the
// listing's block, and lets the user scroll record by record, page by page and sideways,
// move between the groups, change the font, print it elsewhere and close it. Several can be
// open at once; WLIST() is the one being drawn.
//
// The records of the listing are found as the user goes: the window shows the first page at
// once and the range grows as it is scrolled (a jump by the thumb or to the end walks ahead).
// A move scrolls the detail band and draws only the records that enter (event 5) and tells
// those that leave (event 11); the header and footer are drawn again only when the page
// changes or the window is painted. With saved subtotals each record position has a slot in
// a temporary file holding the running subtotal after that record: the listing reads it back
// (event 15, SubTotContinuo) before the records it draws, so the running subtotals stay right
// in any order of moves.
//
// A move that has to pass many records (the thumb dragged far ahead, Ctrl+End, a long group
// searched) keeps the window answering: messages are let through as the records go by, the
// window paints a note of how far the pass has got, and Escape stops the pass where it is
// (the window then shows as far as it got); closing the window meanwhile stops the pass and
// closes it after.
#pragma once

#include <windows.h>

#include <cstdint>
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
// Every way of closing it (the close box, Alt+F4, [C]errar, Escape) ends the listing.
class TWinOwn : public ui::TWindow {
 public:
  TWinOwn();
  static const xb::Class& Cls();

  TWList* list = nullptr;
  // The buttons by their letter, for the keys.
  std::vector<std::pair<char, xb::Ref<ui::TButton>>> buttons;

  ui::Answer HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) override;
  ui::Answer Paint() override;
  ui::Answer ReSize(int type, int width, int height) override;
  ui::Answer VScroll(WPARAM wparam, LPARAM lparam) override;
  ui::Answer HScroll(WPARAM wparam, LPARAM lparam) override;
  ui::Answer KeyDown(int key, LPARAM flags) override;
  ui::Answer LDblClick(int row, int col, WPARAM keys) override;
  ui::Answer GetMinMaxInfo(MINMAXINFO* info) override;
  ui::Answer GotFocus(HWND losing) override;
  ui::Answer MouseMove(int row, int col, WPARAM keys) override;
  ui::Answer Close(WPARAM wparam) override;
  ui::Answer Destroy() override;
  // Owned by the main window, not a child of it: it stays when the main window hides.
  bool IsChildWindow() const override { return false; }

 private:
  // A letter key shows its button pressed; releasing the key runs the button.
  ui::TButton* ButtonOfKey(int key);
  void KeyUp(int key);
  char pressed_ = 0;
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
  // The current group's subtotal; a value given becomes it first.
  xb::Value Totales(const xb::Value& value);

  // ---- moving ----------------------------------------------------------------------------------------
  void LineDown();
  void LineUp();
  void PageDown();
  void PageUp();
  void Home();
  void EndOfListing();
  // The thumb released at a record position.
  void ThumbTo(std::int64_t position);
  void CharRight(int n = 1);
  void CharLeft(int n = 1);
  void NextGroup();
  void PrevGroup();
  void ChooseWindowFont();
  void Print();
  // Ends the listing (or only the window, when it is printed elsewhere) and the window.
  void Close(bool destroy_window = true);
  // A font for the window (with the room check); false when too large.
  bool TakeFont(const LOGFONTA& font);

  // The continuous subtotals of the listing's event 15: mode -1 reads, 0 saves.
  void SubTotContinuo(xb::Value& subtotal, int mode);
  void SetValIniSTC(const xb::Value& value);

  // ---- what it shows --------------------------------------------------------------------------------
  const std::vector<std::int64_t>& DrawnRecords() const { return aNReg; }
  std::int64_t Position() const { return position_; }
  int RecordsPerPage() const { return nRegDetalle; }
  int HeaderLines() const { return nLineasCabecera; }
  int Group() const { return group_ + 1; }
  int GroupsKnown() const { return static_cast<int>(groups_.size()); }
  // The records of the current range found so far, and whether its end is known.
  std::int64_t KnownRecords() const;
  bool RangeComplete() const;
  int HorizontalPosition() const { return h_position_; }
  int WidestLine() const { return nColsLinea; }
  std::string FontFace() const;
  // The font dialog's labels of font 1 (normal) or 2 (bold): face, pitch name and points.
  std::vector<std::string> FontValues(int font) const;
  bool TrueTypeFont() const { return (metrics_.tmPitchAndFamily & TMPF_TRUETYPE) != 0; }
  int FontHeight() const { return yChar; }
  xb::Ref<TWinOwn> Window() const { return oWndL; }
  // The detail band, between header and footer, in client pixels.
  RECT DetailBand() const;

  void Layout();
  // WM_PAINT: the bands that `area` touches.
  void Paint(HDC dc, const RECT& area);

  // A pass over many records is running: the window's moves wait, its closing and its layout
  // come after it.
  bool Busy() const { return busy_; }
  // Closing asked while a pass runs: the pass stops and the window closes after it.
  void CloseAfterPass();
  void LayoutAfterPass() { layout_after_pass_ = true; }
  // The note the window shows while a pass runs ("" when none); where it is drawn.
  std::string PassNote() const;
  RECT PassNoteRect() const { return note_rect_; }

  xb::Ref<TWinOwn> oWndL;
  std::string cTitulo;
  int xChar = 0, yChar = 0, nAlto = 0, nAncho = 0, nPixBarra = 0;
  int nLineasCabecera = 0, nPixCabecera = 0, nLineasPie = 0, nPixPie = 0, nLineasDetalle = 0;
  int nRegDetalle = 0, nColsLinea = -1, nColsVentana = -1, nLineasPagina = -1, nLineasReg = 1;
  bool lLineaUp = false, lLineaDown = false, lPaginaUp = false, lPaginaDown = false, lPrimeraPagina = false;
  // lSubTotal: the window stands at the end of its range (a subtotal); lNewSubTotal: the group
  // shown was found by the last search; lRango: the end of the current range is known.
  bool lNewSubTotal = false, lSubTotal = false, lRango = false, lRangoSTC = false, lSTCResize = false;
  std::vector<std::int64_t> aNReg;
  xb::Ref<TFileC> oFileSTC;
  xb::Value uValIniSTC;
  WListParams params_;

 private:
  struct GroupSeen {
    std::int64_t first = 0;             // its first record (0: the listing has none)
    xb::Value key;                      // its group key
    std::vector<std::uint32_t> records; // the records found so far, in order
    bool complete = false;              // its end is known
    xb::Value subtotal;                 // Totales
  };
  // Selects the listing's table while the window works on it.
  class AreaScope;
  class DrawingOn;
  // A pass over records that may be long: the outermost one of nested scopes runs it.
  class LongPass;

  xb::Value Fire(int event, int line, int column = 0);
  bool Passes();
  bool Stops();
  xb::Value Key();
  GroupSeen& Current() { return groups_[static_cast<std::size_t>(group_)]; }
  const GroupSeen& Current() const { return groups_[static_cast<std::size_t>(group_)]; }
  std::int64_t RecordAt(std::int64_t position) const;
  // Finds records of the current range until it holds `count` (or its end is known).
  void Extend(std::int64_t count);
  std::int64_t LastPosition() const;
  void UpdateScrollBars();
  void MakeFonts(const LOGFONTA& font);
  void DeleteFonts();
  void EnableButton(char letter, bool on);
  void SaveSubtotals();
  int SubtotalValues() const;
  // Sends event 5, without drawing, to the records whose subtotal slots are not yet written,
  // up to position `count`.
  void PassTo(std::int64_t count);
  // Every drawn record leaves (event 11).
  void AllLeave();
  // Draws on the window now, outside WM_PAINT, and takes the drawn bands off the update region.
  // Without read_subtotals the detail sends no event 15 first (the move did).
  void DrawNow(bool header, bool detail, bool footer, bool read_subtotals = true);
  void DrawBands(HDC dc, bool header, bool detail, bool footer, bool read_subtotals = true);
  void DrawDetail(bool read_subtotals);
  // A drawing the layout left pending is done before a move.
  void Settle();
  void DrawFooter();
  // Draws the record at `position` in the detail slot `slot` (event 5), clipped to the band.
  void DrawRecordNow(std::int64_t position, int slot);
  void ShowGroupFromStart();
  // Before the listing runs again elsewhere: its table selected at its first record, line and
  // page 0, and event 17.
  void StartOver();
  void AfterMove();
  RECT HeaderBand() const;
  RECT FooterBand() const;
  RECT RecordSlots() const;
  // Called for each record of a pass (`done` of them so far): lets the window's messages
  // through now and then and shows how far the pass has got; false once the user stopped it.
  bool PassGoing(std::int64_t done);
  void PumpDuringPass();
  void DrawPassNote(HDC dc);

  HFONT font_ = nullptr, bold_ = nullptr;
  bool bold_on_ = false;
  TEXTMETRICA metrics_{};
  int average_ = 0, bold_average_ = 0;  // average widths of "0123456789"
  HDC dc_ = nullptr;      // while drawing
  bool measuring_ = false;  // a layout measures the header: nothing is drawn
  bool passing_ = false;    // records passed for their subtotals: nothing is drawn nor measured
  int area_ = 0;          // the listing's work area
  std::int64_t position_ = 0;
  std::int64_t estimate_ = 0;  // records the table may hold, for the scroll bar while the range grows
  int h_position_ = 0;
  std::vector<GroupSeen> groups_;
  int group_ = 0;
  bool all_groups_ = false;
  std::int64_t next_group_first_ = 0;
  std::int64_t stc_written_ = 0;  // subtotal slots written, from position 0
  bool pending_first_ = false, pending_resize_ = false;
  std::vector<std::pair<char, xb::Ref<ui::TButton>>> buttons_;
  bool closed_ = false;  // printed elsewhere: the window ends, the listing goes on
  bool ended_ = false;
  // The pass running (LongPass).
  bool busy_ = false, stoppable_ = false, stop_pass_ = false, close_after_pass_ = false, layout_after_pass_ = false;
  DWORD pass_start_ = 0, last_pump_ = 0;
  std::int64_t pass_done_ = 0;
  RECT note_rect_{}, painted_in_pass_{};
  HCURSOR cursor_before_pass_ = nullptr;
};

// WLISTNEW: a listing window; WLIST(): the one being drawn; WL_AWLIST(): every one open;
// LWINOWN(): whether the last listing window was made.
xb::Ref<TWList> WListNew(const WListParams& params);
xb::Ref<TWList> WList();
std::vector<xb::Ref<TWList>> WlAwList();
bool LWinOwn();
// WLISTFIN: the window being drawn leaves the list.
void WListFin();

// The window functions of the listing window.
// WINSCROLL's rectangle comes as {top, left, bottom, right}; here it is a RECT.
void WinScroll(HWND hwnd, int dy, int dx, const RECT& area);
void AjustarY(MINMAXINFO* info, int min_height, int min_width);
void RepintaRec(HWND hwnd, const RECT& rect, bool erase);  // rect {left, top, right, bottom}
bool MenuStrItem(HMENU menu, UINT id, const std::string& text);

void RegisterListingWindow();

}  // namespace output
