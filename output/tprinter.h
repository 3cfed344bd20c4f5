// TPrinter: the framework's page device. It owns a printer context, starts the document and
// each page, and draws texts, pictures, lines and boxes in device pixels, with conversions
// from centimetres and inches. With the preview each page is drawn into a metafile file of
// the temporary folder instead, and the preview window shows them at the end.
//
// Page files are named per job: cDir + "\tmp" + the process id + "_" + the job number + "_"
// + the page number (4 digits at least) + ".wmf"; a job erases only its own pages.
//
// PRINTBEGIN, PAGEBEGIN, PAGEEND and PRINTEND drive one current printer of the module.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "output/page_device.h"
#include "runtime/object.h"
#include "ui/core/tfont.h"

namespace output {

class TPrinter : public xb::Object, public PageDevice {
 public:
  TPrinter();
  explicit TPrinter(const xb::Class& cls);
  ~TPrinter() override;
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  struct NewParams {
    std::string document = "Vexilo Report";
    bool user = false;      // the print dialog chooses the printer
    bool preview = false;   // pages go to metafiles
    std::string model{};    // "device,driver,port"; empty: the current printer
    bool modal = false;     // the preview hides the main window and waits
  };
  static xb::Ref<TPrinter> New(const NewParams& params);
  void Init(const NewParams& params);
  // What a job without any printer says (only when the print dialog failed).
  virtual const char* NoPrinterText() const;

  // ---- the job ---------------------------------------------------------------------------------

  void StartPage() override;
  void EndPage() override;
  void End() override;
  // The preview of the pages drawn, or End when there is nothing to show.
  void ShowPreview() override;
  // Ends the job and takes the current printer's context again; a metafile page being drawn
  // goes on.
  void Rebuild();

  // ---- drawing (nothing without a context) ---------------------------------------------------

  void Say(int row, int col, std::string_view text, ui::TFont* font, int width, std::optional<COLORREF> colour,
           int background, Pad pad) override;
  void CmSay(double row, double col, std::string_view text, ui::TFont* font);
  void InchSay(double row, double col, std::string_view text, ui::TFont* font);
  // At a grid of the font's cells: rows of its height, columns of the width of "B", from 1.
  void CharSay(int row, int col, std::string_view text);
  void SayBitmap(int row, int col, const xb::Value& bitmap, int width, int height, DWORD raster = 0) override;
  // An image object's bitmap (its hBitmap, with its hPalette), the same way.
  void SayImage(int row, int col, HBITMAP bitmap, int width, int height, HPALETTE palette = nullptr,
                DWORD raster = 0);
  void SetPos(int row, int col);
  void Line(int top, int left, int bottom, int right, ui::TPen* pen) override;
  void Box(int top, int left, int bottom, int right, ui::TPen* pen) override;
  void FillRect(const ui::Rect& rect, HBRUSH brush) override;
  // A metafile file over the whole page; nothing when the file is missing.
  void ImportWMF(const std::string& file, bool placeable = true);
  // A file of the printer's own language onto the page (a preview page keeps it).
  void ImportRAW(const std::string& file);

  // ---- measures and conversions ------------------------------------------------------------

  int GetTextWidth(std::string_view text, ui::TFont* font) override;
  int GetTextHeight(std::string_view text, ui::TFont* font) override;
  POINT Cmtr2Pix(double row, double col) override;
  POINT Inch2Pix(double row, double col) override;
  ui::Rect CmRect2Pix(double top, double left, double bottom, double right);
  // Millimetres and inches of a point given in pixels (the inverse of the conversions).
  std::pair<double, double> Pix2Mmtr(int row, int col);
  std::pair<double, double> Pix2Inch(int row, int col);
  // The paper's size in millimetres: {width, height}.
  std::pair<double, double> GetPhySize();
  int CharWidth();   // characters of the font across the page
  int CharHeight();  // lines down the page

  int nVertRes() override { return Caps(VERTRES); }
  int nHorzRes() override { return Caps(HORZRES); }
  int nVertSize() { return Caps(VERTSIZE); }
  int nHorzSize() { return Caps(HORZSIZE); }
  int nLogPixelX() override { return Caps(LOGPIXELSX); }
  int nLogPixelY() override { return Caps(LOGPIXELSY); }
  void SetMapMode(int mode);
  void SetWindowExt(int width, int height);
  void SetViewPortExt(int width, int height);

  // The font the texts take without one of their own; none: "COURIER" at -12 for this printer.
  // The job's font after the call.
  ui::TFont* SetFont(xb::Ref<ui::TFont> font);

  // ---- the paper ------------------------------------------------------------------------------

  int GetOrientation() override;
  void SetLandscape() override;
  void SetPortrait();
  void SetCopies(int copies);
  void SetSize(int width, int length);
  void SetPage(int paper);
  void SetBin(int bin);
  void DraftMode(bool draft);
  // The printer's device, driver and port names.
  virtual std::string GetModel() const { return cModel; }
  virtual std::string GetDriver() const;
  virtual std::string GetPort() const;
  // The printer set-up dialog; its choice applies to this printer's context.
  void Setup();
  bool ResetDC();

  // ---- PageDevice ---------------------------------------------------------------------------

  HDC OutputDC() const override { return hDCOut; }
  HDC MeasureDC() const override { return hDC; }
  std::string DocumentName() const override { return cDocument; }
  bool IsPreview() const override { return lMeta; }

  xb::Ref<ui::TFont> oFont;
  HDC hDC = nullptr;
  HDC hDCOut = nullptr;
  std::vector<std::string> aMeta;
  std::string cDir;
  std::string cDocument;
  std::string cModel;
  int nPage = 0;
  int nXOffset = 0;
  int nYOffset = 0;
  int nPad = 0;
  int nOrient = 1;
  bool lMeta = false;
  bool lStarted = false;
  bool lModified = false;
  bool lPrvModal = false;
  int nJob = 0;  // this job's number among the process's preview jobs

  // The page file of page n (from 1) of this job.
  std::string PageFile(int page) const;

 protected:
  // What a change of the paper's settings does: the context is reset with them.
  virtual void ApplySettings() { ResetDC(); }
  // The context the mapping modes and extents are set on.
  virtual HDC MappingDC() const { return hDCOut; }
  ui::TFont* FontOr(ui::TFont* font);

 private:
  int Caps(int index) const { return hDC != nullptr ? ::GetDeviceCaps(hDC, index) : 0; }
  // The context and its offsets.
  void TakeContext(HDC dc);
  bool ended_ = false;
};

// The module's current printer (PRINTBEGIN ... PRINTEND); null when none.
xb::Ref<TPrinter> CurrentPrinter();
// The job PRINTBEGIN makes: a model given as a number (from 1) or a name fragment (any case)
// is looked up among the profile's "Devices" entries; out of range or not found, a beep and
// the dialog.
TPrinter::NewParams PrintBeginParams(const std::string& document, bool user, bool preview, const xb::Value& model,
                                     bool modal);
xb::Ref<TPrinter> PrintBegin(const std::string& document, bool user, bool preview, const xb::Value& model,
                             bool modal);
void PrintEnd();

// The temporary folder: TEMP, else TMP, without a trailing backslash; the Windows folder
// when neither names a folder that exists.
std::string TempFolder();

// Registers TPRINTER and PRINTBEGIN, PAGEBEGIN, PAGEEND, PRINTEND.
void RegisterPrinterClass();
// The messages of TPRINTER, for classes built on it.
void DefinePrinterMessages(xb::Class& c);

}  // namespace output
