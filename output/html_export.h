// The HTML export. Two devices take a printer's place: TQZWebLS for the fixed listings (a
// listing printer) and TQZWebPr for the framework report (a framework printer). Neither
// draws: each text, line, box and image becomes a row of a work table, positioned in
// millimetres. TQZWeb, the builder they share, turns the rows into one page file per page
// and a navigation page, then places them in a folder the user chooses (WEB_DESTINO), opens
// them in the management panel's browser or queues them in its mail spool; in document mode
// the pages of each document go to that document's own recipients.
//
// The work folder is the program's folder + "~HTML" + the user's code; each export takes
// the first unused "T" + 5 digits there: its table T#####.dbf and a folder T#####\ for its
// pages, so two exports never share a file.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "output/html_page.h"
#include "output/tprinter.h"
#include "output/tprinter2.h"
#include "runtime/object.h"

namespace output {

class TQZWeb : public xb::Object {
 public:
  TQZWeb();
  ~TQZWeb() override;
  static const xb::Class& Cls();

  struct WebFont {
    int number = 0;
    HFONT handle = nullptr;
    std::string face;
    int points = 10;
    bool bold = false, italic = false;
    COLORREF colour = 0;
    std::string class_name;
  };

  // One drawn item, positions in millimetres.
  struct Item {
    int kind = 1;  // 1 text, 2 image, 3 line, 4 box
    std::string data;
    double row = 0, col = 0;
    double top = 0, left = 0, bottom = 0, right = 0, height = 0, width = 0;
    std::string adjust = "I";
    int font = 1;
    COLORREF colour = 0;
    int grosor = 0, estilo = 0;
    bool fill = false;
  };

  struct Document {
    int nDocument = 0, nPages = 0;
    std::string cTitle;
    std::vector<std::string> aTo, aCc, aBcc;
    std::string cTexto, cDocument, cNavega, cTempDir, cDocName;
    std::vector<std::string> aImages;
    std::uint32_t nIdMail = 0;
  };

  // Makes the work folder and table; Ok() tells whether they could be made (after the
  // message saying why not).
  void New(int tipo, const std::string& title, bool landscape, bool document_based);
  bool Ok() const { return lOk; }
  // Writes the pages and places them (SetUbication) or sends the documents.
  void Activate();
  void Preview() { Activate(); }
  // Closes and erases the work table and this export's files, except those of messages the
  // panel has not reported done; removes the folders left empty.
  void End();

  // Items: the page is the listing's for a listing device outside document mode, else nPage.
  void Record(const Item& item);
  int CurrentPage() const;

  // Fonts: a copy of font n (the first when there is none).
  WebFont GetFont(int n) const;
  int AddFont(WebFont font);             // its number (a new one when 0)
  int FontByHandle(HFONT handle) const;  // 0 when unknown
  // The font of record `key` of a font table as number key + 6.
  int SelectFont(const std::string& alias, int key);
  // A framework font, once per handle, as the next number.
  int Select2Font(HFONT handle, const std::string& face, int points, bool bold, bool italic, COLORREF colour);

  // Document mode.
  // False, after a message naming the work folder, when the document's folder cannot be made.
  bool BeginDocument(const std::string& title, std::vector<std::string> to, std::vector<std::string> cc,
                     std::vector<std::string> bcc, const std::string& text, const std::string& name);
  void EndDocument() {}
  int CountDocuments() const;
  int CountPagesForDocument(int document) const;
  // Copies the image into the work folder (or the document's) once; its name there.
  std::string AddImage(const std::string& file, const std::string& name = {});

  // Names: the page file of a page, with the work folder (or the document's) when asked.
  std::string cPage(int document, int page, bool with_dir) const;
  std::string DocumentDir(int document) const;

  // Placing the pages of a listing or report (WEB_DESTINO) and sending documents.
  void SetUbication();
  void SendDocumentsViaEmail();

  // The page files, written a piece at a time (as Activate writes them, and as compiled text
  // may): BeginPage creates a page's file with "<HTML>" (and puts a listing device back on its
  // first font, not bold), WH adds to it (CR LF after unless
  // told not to), FinishPage ends and closes it. The head, the fonts' classes and the body
  // are written in their order; a paragraph of the work table's current row in three pieces.
  bool BeginPage(int document, int page);
  void FinishPage();
  void WH(std::string_view text, bool new_line = true);
  void BeginHead(int page);
  void WriteFontStyles();
  void FinishHead();
  void BeginBody(const std::string& colour = {});
  void FinishBody();
  void BeginDato(int kind);
  void Estilo(const std::string& name, const std::string& value);
  void EndDato(int kind);
  // A document's placeholder pages, its navigation page, and a line added to that page.
  void PreparePages(int document);
  void Navigation(int document);
  void WH_NAV(std::string_view text);
  // A page opened in the management panel's browser.
  void Explore(const std::string& file);
  // The document's navigation page.
  std::string NavigatorOf(int document) const;

  int nTipo = 1;
  bool lOk = false;
  std::string cHTMLDir;        // this export's pages, ends in "\"
  std::string cWorkDir;        // the user's work folder, ends in "\"
  std::string cTitle = "Título";
  std::string cHTMLDirDestino;
  std::string cHTMLFile = "P";
  std::string cHTMLNavigator;
  std::string cHTMLDbf;        // the work table, folder and name
  std::string cAlias;
  int nHTMLView = 0;
  std::vector<std::string> aImages;  // copies in the pages' folder (outside document mode)
  bool lCreated = false;
  bool lApaisado = false;
  int nPage = 0;
  int nTotalPages = 0;
  int nStyleID = 0;
  std::vector<WebFont> acFonts;
  bool lDebug = false;
  bool lDocumentBased = false;
  int nDocument = 0;
  int nTotalDocuments = 0;
  int nPagesForThisDocument = 0;
  std::vector<Document> aDocuments;
  HDC hMeasure = nullptr;  // the device's context, for the sizes of the fonts given
  // The listing device that records into this builder (not owned; cleared when it ends): a
  // new page puts it back on its first font, not bold.
  TPrinter2* oDevice = nullptr;

 private:
  bool OpenTable();
  void WritePages();
  void WritePage(int document, int page, const std::vector<Item>& items);
  std::vector<std::string> FilesOf(int document) const;  // navigation page, pages, images
  // Selects the work table's area (the caller keeps the area selected before); false when it
  // is gone.
  bool SelectTable() const;
  int PagesOf(int document) const;
  std::FILE* page_file_ = nullptr;
  int page_document_ = 0;
  bool ended_ = false;
  std::vector<std::string> kept_;  // folders the panel still needs
};

// The listing device.
class TQZWebLS : public TPrinter2 {
 public:
  TQZWebLS();
  ~TQZWebLS() override;
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  void New(const std::string& title, bool landscape, int printer, bool document_based);
  bool WebOk() const;
  void WebEnd();
  void SelectFont(const std::string& alias, int key);

  void QZTextOut(int row, int col, const std::string& text, bool align, int row_rc, int col_rc) override;
  void QZLine(int r0, int c0, int r1, int c1, COLORREF colour, int width, int style) override;
  void QZRectangle(int r0, int c0, int r1, int c1, COLORREF colour, int width, int style) override;
  void QZDibDraw(int row, int col, const xb::Value& bitmap, int width, int height) override;

  // Millimetres from the device's pixels.
  double MmY(double pixels) const;
  double MmX(double pixels) const;

  xb::Ref<TQZWeb> oQZWeb;

 private:
  int CurrentFont();
  std::vector<HFONT> fonts_made_;  // by SelectFont, freed at WebEnd
};

// The report device.
class TQZWebPr : public TPrinter {
 public:
  TQZWebPr();
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  static xb::Ref<TQZWebPr> New(const std::string& title, bool document_based = false);
  // Makes the builder and, when it is usable, the framework printer it measures on (the
  // default printer, no dialog, no preview), titled as the export; a device made once stays
  // as it is.
  void Init(const std::string& title, bool document_based = false);
  bool WebOk() const;

  // The report shows its pages through the preview: here, the pages are written.
  bool IsPreview() const override { return true; }
  void ShowPreview() override;
  void StartPage() override;
  void EndPage() override {}
  void End() override;
  void Say(int row, int col, std::string_view text, ui::TFont* font, int width, std::optional<COLORREF> colour,
           int background, Pad pad) override;
  void SayBitmap(int row, int col, const xb::Value& bitmap, int width, int height, DWORD raster = 0) override;
  void Line(int top, int left, int bottom, int right, ui::TPen* pen) override;
  void Box(int top, int left, int bottom, int right, ui::TPen* pen) override;
  void FillRect(const ui::Rect&, HBRUSH) override {}

  // Millimetres from the device's pixels.
  double MmY(double pixels);
  double MmX(double pixels);

  xb::Ref<TQZWeb> oQZWeb;

 private:
  bool web_ended_ = false;
};

// LDIROK: the folder + subfolder can be made and written (the dialog's check); the message
// shown when not.
bool lDirOk(const std::string& folder, const std::string& subfolder);

// The structures of the work table (ASTRUQZWEB) and the unused second one (ASTRU2QZWEB).
struct FieldSpec {
  const char* name;
  char type;
  int length, decimals;
};
const std::vector<FieldSpec>& AStruQZWeb();
const std::vector<FieldSpec>& AStru2QZWeb();

// Registers TQZWEB, TQZWEBLS, TQZWEBPR, ASTRUQZWEB, ASTRU2QZWEB, GETDOCUMENTSTRUCT, LDIROK.
void RegisterHtmlExport();

}  // namespace output
