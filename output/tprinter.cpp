#include "output/tprinter.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "output/preview.h"
#include "ui/bridge/bitmaps.h"
#include "ui/bridge/gdi_handles.h"
#include "ui/bridge/metafiles.h"
#include "ui/bridge/printer_device.h"
#include "ui/bridge/profile.h"
#include "ui/core/msg_box.h"
#include "ui/core/tpen.h"

namespace output {
namespace {

constexpr const char* kNoPrinter =
    "There are not installed printers!\r\nPlease exit this application and install a printer";

xb::Ref<TPrinter> g_current;
int g_jobs = 0;

bool FileExists(const std::string& file) {
  const DWORD attributes = ::GetFileAttributesA(file.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::string& folder) {
  const DWORD attributes = ::GetFileAttributesA(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

ui::PrinterNames ModelNames(const std::string& model) {
  ui::PrinterNames names;
  std::string* parts[] = {&names.device, &names.driver, &names.port};
  std::size_t from = 0;
  for (std::string* part : parts) {
    const std::size_t comma = model.find(',', from);
    *part = model.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  return names;
}

std::string ModelOf(const ui::PrinterNames& names) { return names.device + "," + names.driver + "," + names.port; }

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Selects the font for one drawing on the context, putting the previous one back after
// (a metafile context records the selection and keeps it).
class FontScope {
 public:
  FontScope(HDC dc, ui::TFont* font, bool restore) : dc_(dc), restore_(restore) {
    if (dc_ != nullptr && font != nullptr && font->hFont != nullptr) previous_ = ::SelectObject(dc_, font->hFont);
  }
  ~FontScope() {
    if (restore_ && previous_ != nullptr) ::SelectObject(dc_, previous_);
  }
  FontScope(const FontScope&) = delete;
  FontScope& operator=(const FontScope&) = delete;

 private:
  HDC dc_;
  bool restore_;
  HGDIOBJ previous_ = nullptr;
};

}  // namespace

std::string TempFolder() {
  for (const char* name : {"TEMP", "TMP"}) {
    char value[MAX_PATH] = {};
    const DWORD n = ::GetEnvironmentVariableA(name, value, sizeof value);
    if (n == 0 || n >= sizeof value) continue;
    std::string folder(value);
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    if (FolderExists(folder)) return folder;
  }
  char windows[MAX_PATH] = {};
  ::GetWindowsDirectoryA(windows, sizeof windows);
  std::string folder(windows);
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

TPrinter::TPrinter() : xb::Object(Cls()) {}
TPrinter::TPrinter(const xb::Class& cls) : xb::Object(cls) {}

const char* TPrinter::NoPrinterText() const { return kNoPrinter; }

TPrinter::~TPrinter() {
  if (!ended_) End();
}

void TPrinter::Traverse(xb::GcVisitor& visitor) {
  Object::Traverse(visitor);
  if (oFont) visitor.Visit(oFont.get());
}

void TPrinter::ClearValues() {
  Object::ClearValues();
  oFont = nullptr;
}

xb::Ref<TPrinter> TPrinter::New(const NewParams& params) {
  auto printer = xb::MakeRef<TPrinter>();
  printer->Init(params);
  return printer;
}

void TPrinter::Init(const NewParams& p) {
  cDocument = p.document;
  lMeta = p.preview;
  lPrvModal = p.modal;
  cModel = p.model;
  HDC dc = nullptr;
  if (p.user) {
    dc = ui::GetPrintDC(::GetActiveWindow());
    if (dc != nullptr) cModel = ModelOf(ui::PrnGetNames());
  } else if (!cModel.empty()) {
    // The printer named takes the layer's record with its own driver's mode; the user's
    // profile is left as it is.
    if (ui::SelectPrinter(ModelNames(cModel))) dc = ui::GetPrintDefault();
  } else {
    dc = ui::GetPrintDefault();
    if (dc != nullptr) cModel = ModelOf(ui::PrnGetNames());
  }
  TakeContext(dc);
  if (hDC != nullptr) nOrient = ui::PrnGetOrientation();
  hDCOut = lMeta ? nullptr : hDC;
  if (hDC == nullptr && ui::ComDlgExtendedError() != 0) ui::MsgStop(xb::Value::String(NoPrinterText()));
  cDir = TempFolder();
  if (lMeta) nJob = ++g_jobs;
}

void TPrinter::TakeContext(HDC dc) {
  hDC = dc;
  nXOffset = nYOffset = 0;
  if (hDC != nullptr) {
    const POINT offset = ui::PrnOffset(hDC);
    nXOffset = offset.x;
    nYOffset = offset.y;
  }
}

std::string TPrinter::PageFile(int page) const {
  char name[64];
  std::snprintf(name, sizeof name, "\\tmp%lu_%d_%04d.wmf", static_cast<unsigned long>(::GetCurrentProcessId()), nJob,
                page);
  return cDir + name;
}

void TPrinter::StartPage() {
  if (hDC == nullptr) return;
  if (!lMeta && !lStarted) lStarted = ui::StartPrintDoc(hDC, cDocument) > 0;
  ++nPage;
  if (lMeta) {
    const std::string file = PageFile(nPage);
    aMeta.push_back(file);
    hDCOut = ::CreateMetaFileA(file.c_str());
  } else {
    ::StartPage(hDC);
  }
}

void TPrinter::EndPage() {
  if (hDC == nullptr) return;
  if (!lMeta) {
    ::EndPage(hDC);
    return;
  }
  if (aMeta.empty() || hDCOut == nullptr) {
    ui::MsgAlert(xb::Value::String("The temporal metafile could not be created"), "Printer object Error");
    return;
  }
  ::DeleteMetaFile(::CloseMetaFile(hDCOut));
  hDCOut = nullptr;
  const std::string& file = aMeta.back();
  if (!FileExists(file)) {
    ui::MsgAlert(xb::Value::String("Could not create temporary file: " + file +
                                   "\r\n\r\nPlease check your free space on your hard drive \r\n"
                                   "and the amount of files handles available."),
                 "Print preview error");
  }
}

void TPrinter::End() {
  if (ended_) return;
  ended_ = true;
  if (hDC != nullptr) {
    if (lMeta && hDCOut != nullptr) ::DeleteMetaFile(::CloseMetaFile(hDCOut));
    if (lStarted && !lMeta) ::EndDoc(hDC);
    lStarted = false;
    for (const std::string& file : aMeta) ::DeleteFileA(file.c_str());
    aMeta.clear();
    if (ui::PrnGetOrientation() != nOrient) {
      if (nOrient == DMORIENT_LANDSCAPE) ui::PrnLandscape();
      else ui::PrnPortrait();
    }
    ::DeleteDC(hDC);
    hDC = nullptr;
    hDCOut = nullptr;
  }
  if (oFont) oFont->End();
  oFont = nullptr;
  if (g_current.get() == this) g_current = nullptr;
}

void TPrinter::ShowPreview() {
  if (lMeta && !aMeta.empty() && hDC != nullptr) {
    RPreview(xb::Ref<TPrinter>(this));
  } else {
    End();
  }
}

void TPrinter::Rebuild() {
  if (lStarted && !lMeta && hDC != nullptr) ::EndDoc(hDC);
  lStarted = false;
  if (hDC != nullptr) ::DeleteDC(hDC);
  TakeContext(ui::GetPrintDefault());
  if (!lMeta) hDCOut = hDC;
  lModified = true;
}

// ---- drawing ----------------------------------------------------------------------------------------

ui::TFont* TPrinter::FontOr(ui::TFont* font) {
  if (font != nullptr) return font;
  if (!oFont) SetFont(nullptr);
  return oFont.get();
}

ui::TFont* TPrinter::SetFont(xb::Ref<ui::TFont> font) {
  if (font) {
    oFont = std::move(font);
  } else if (!oFont && hDC != nullptr) {
    ui::TFont::Spec spec;
    spec.face = "COURIER";
    spec.height = -12;
    spec.device = hDC;
    oFont = ui::TFont::New(spec);
  }
  return oFont.get();
}

void TPrinter::Say(int row, int col, std::string_view text, ui::TFont* font, int width, std::optional<COLORREF> colour,
                   int background, Pad pad) {
  if (hDC == nullptr || hDCOut == nullptr) return;
  font = FontOr(font);
  if (width == 0 && pad != Pad::kLeft) {
    const int text_width = GetTextWidth(text, font);
    col = std::max(0, pad == Pad::kRight ? col - text_width : col - text_width / 2);
  }
  FontScope scope(hDCOut, font, !lMeta);
  if (colour) ::SetTextColor(hDCOut, *colour);
  ::SetBkMode(hDCOut, background);
  UINT align = TA_LEFT;
  if (width != 0 && pad == Pad::kRight) {
    align = TA_RIGHT;
    col += width;
  } else if (width != 0 && pad == Pad::kCentre) {
    align = TA_CENTER;
    col += width / 2;
  }
  if (align != TA_LEFT) ::SetTextAlign(hDCOut, align);
  ::TextOutA(hDCOut, col, row, text.data(), static_cast<int>(text.size()));
  if (align != TA_LEFT) ::SetTextAlign(hDCOut, TA_LEFT);
}

void TPrinter::CmSay(double row, double col, std::string_view text, ui::TFont* font) {
  const POINT p = Cmtr2Pix(row, col);
  Say(p.y, p.x, text, font, 0, std::nullopt, kTransparent, static_cast<Pad>(nPad));
}

void TPrinter::InchSay(double row, double col, std::string_view text, ui::TFont* font) {
  const POINT p = Inch2Pix(row, col);
  Say(p.y, p.x, text, font, 0, std::nullopt, kTransparent, static_cast<Pad>(nPad));
}

void TPrinter::CharSay(int row, int col, std::string_view text) {
  ui::TFont* font = FontOr(nullptr);
  const int height = GetTextHeight(text, font), width = GetTextWidth("B", font);
  Say((row - 1) * height, (col - 1) * width, text, font, 0, std::nullopt, kTransparent, Pad::kLeft);
}

int TPrinter::CharWidth() {
  const int width = GetTextWidth("B", FontOr(nullptr));
  return width > 0 ? nHorzRes() / width : 0;
}

int TPrinter::CharHeight() {
  const int height = GetTextHeight("B", FontOr(nullptr));
  return height > 0 ? nVertRes() / height : 0;
}

void TPrinter::SayBitmap(int row, int col, const xb::Value& bitmap, int width, int height, DWORD raster) {
  if (hDCOut == nullptr) return;
  HGLOBAL dib = nullptr;
  HPALETTE palette = nullptr;
  // A file's picture; a number, or a name no file has, names a resource.
  if (bitmap.IsString() && FileExists(std::string(bitmap.AsString()))) {
    dib = ui::DibRead(std::string(bitmap.AsString()));
    if (dib != nullptr && !lMeta) palette = ui::DibPalette(dib);
  } else {
    const std::string name(bitmap.AsString());
    const ui::BitmapAndPalette loaded =
        ui::PalBmpLoad(bitmap.IsNumber() ? MAKEINTRESOURCEA(bitmap.AsInt()) : name.c_str());
    if (loaded.bitmap != nullptr) dib = ui::DibFromBitmap(loaded.bitmap, loaded.palette);
    if (loaded.bitmap != nullptr) ::DeleteObject(loaded.bitmap);
    if (!lMeta) palette = loaded.palette;
    else if (loaded.palette != nullptr) ::DeleteObject(loaded.palette);
  }
  if (dib == nullptr) return;
  ui::DibDraw(hDCOut, dib, palette, row, col, width, height, raster);
  ::GlobalFree(dib);
  if (palette != nullptr) ::DeleteObject(palette);
}

void TPrinter::SayImage(int row, int col, HBITMAP bitmap, int width, int height, HPALETTE palette, DWORD raster) {
  if (hDCOut == nullptr || bitmap == nullptr) return;
  HGLOBAL dib = ui::DibFromBitmap(bitmap, palette);
  if (dib == nullptr) return;
  // The palette is the image's own: used when printing directly, never deleted here.
  ui::DibDraw(hDCOut, dib, lMeta ? nullptr : palette, row, col, width, height, raster);
  ::GlobalFree(dib);
}

void TPrinter::SetPos(int row, int col) {
  if (hDCOut != nullptr) ::MoveToEx(hDCOut, col, row, nullptr);
}

void TPrinter::Line(int top, int left, int bottom, int right, ui::TPen* pen) {
  if (hDCOut == nullptr) return;
  HGDIOBJ previous = pen != nullptr && pen->hPen != nullptr ? ::SelectObject(hDCOut, pen->hPen) : nullptr;
  ::MoveToEx(hDCOut, left, top, nullptr);
  ::LineTo(hDCOut, right, bottom);
  if (previous != nullptr && !lMeta) ::SelectObject(hDCOut, previous);
}

void TPrinter::Box(int top, int left, int bottom, int right, ui::TPen* pen) {
  if (hDCOut == nullptr) return;
  HGDIOBJ previous = pen != nullptr && pen->hPen != nullptr ? ::SelectObject(hDCOut, pen->hPen) : nullptr;
  HGDIOBJ brush = ::SelectObject(hDCOut, ::GetStockObject(NULL_BRUSH));
  ::Rectangle(hDCOut, left, top, right, bottom);
  if (!lMeta) {
    ::SelectObject(hDCOut, brush);
    if (previous != nullptr) ::SelectObject(hDCOut, previous);
  }
}

void TPrinter::FillRect(const ui::Rect& rect, HBRUSH brush) {
  if (hDCOut == nullptr || brush == nullptr) return;
  const RECT r{rect.left, rect.top, rect.right, rect.bottom};
  ::FillRect(hDCOut, &r, brush);
}

void TPrinter::ImportWMF(const std::string& file, bool placeable) {
  if (hDCOut == nullptr || !FileExists(file)) return;
  HMETAFILE metafile = nullptr;
  if (placeable) {
    if (const auto loaded = ui::LoadPlaceableMetafile(file)) metafile = loaded->metafile;
  } else {
    metafile = ::GetMetaFileA(file.c_str());
  }
  if (metafile == nullptr) return;
  // The paper's mapping is set on the printer's context: a page metafile records only the
  // imported one, whose own extents the preview scales to the page. The printer's state comes
  // back after.
  const int saved = ::SaveDC(hDCOut);
  const int saved_printer = hDC != hDCOut ? ::SaveDC(hDC) : 0;
  const SIZE paper = ui::PrnGetSize(hDC);
  ::SetMapMode(hDC, MM_ISOTROPIC);
  ::SetWindowExtEx(hDC, paper.cx, paper.cy, nullptr);
  ::SetViewportExtEx(hDC, paper.cx, paper.cy, nullptr);
  if (!lMeta) ::SetViewportOrgEx(hDCOut, -nXOffset, -nYOffset, nullptr);
  ::SetBkMode(hDCOut, TRANSPARENT);
  ::PlayMetaFile(hDCOut, metafile);
  ::RestoreDC(hDCOut, saved);
  if (saved_printer != 0) ::RestoreDC(hDC, saved_printer);
  ::DeleteMetaFile(metafile);
}

void TPrinter::ImportRAW(const std::string& file) {
  // On the page being drawn: a preview page keeps the raw data and hands it to the printer
  // when it is printed.
  if (hDC != nullptr && hDCOut != nullptr) ui::ImportRawFile(hDCOut, file);
}

// ---- measures ------------------------------------------------------------------------------------

int TPrinter::GetTextWidth(std::string_view text, ui::TFont* font) {
  if (hDC == nullptr) return 0;
  FontScope scope(hDC, FontOr(font), true);
  SIZE size{};
  ::GetTextExtentPoint32A(hDC, text.data(), static_cast<int>(text.size()), &size);
  return size.cx;
}

int TPrinter::GetTextHeight(std::string_view, ui::TFont* font) {
  if (hDC == nullptr) return 0;
  FontScope scope(hDC, FontOr(font), true);
  TEXTMETRICA metrics{};
  ::GetTextMetricsA(hDC, &metrics);
  return metrics.tmHeight;
}

POINT TPrinter::Cmtr2Pix(double row, double col) {
  const int vsize = nVertSize(), hsize = nHorzSize();
  if (vsize == 0 || hsize == 0) return POINT{0, 0};
  const int y = static_cast<int>(row * 10 * nVertRes() / vsize) - nYOffset;
  const int x = static_cast<int>(col * 10 * nHorzRes() / hsize) - nXOffset;
  return POINT{std::max(x, 0), std::max(y, 0)};
}

POINT TPrinter::Inch2Pix(double row, double col) {
  const int vsize = nVertSize(), hsize = nHorzSize();
  if (vsize == 0 || hsize == 0) return POINT{0, 0};
  const int y = static_cast<int>(row * nVertRes() / (vsize / 25.4)) - nYOffset;
  const int x = static_cast<int>(col * nHorzRes() / (hsize / 25.4)) - nXOffset;
  return POINT{std::max(x, 0), std::max(y, 0)};
}

ui::Rect TPrinter::CmRect2Pix(double top, double left, double bottom, double right) {
  const POINT a = Cmtr2Pix(top, left), b = Cmtr2Pix(bottom, right);
  return ui::Rect{a.y, a.x, b.y, b.x};
}

std::pair<double, double> TPrinter::Pix2Mmtr(int row, int col) {
  const int vres = nVertRes(), hres = nHorzRes();
  if (vres == 0 || hres == 0) return {0, 0};
  return {static_cast<double>(row + nYOffset) * nVertSize() / vres,
          static_cast<double>(col + nXOffset) * nHorzSize() / hres};
}

std::pair<double, double> TPrinter::Pix2Inch(int row, int col) {
  const auto [row_mm, col_mm] = Pix2Mmtr(row, col);
  return {row_mm / 25.4, col_mm / 25.4};
}

std::pair<double, double> TPrinter::GetPhySize() {
  if (hDC == nullptr) return {0, 0};
  const SIZE page = ui::PrnGetSize(hDC);
  const int x = nLogPixelX(), y = nLogPixelY();
  if (x == 0 || y == 0) return {0, 0};
  return {page.cx * 25.4 / x, page.cy * 25.4 / y};
}

void TPrinter::SetMapMode(int mode) {
  if (HDC dc = MappingDC()) ::SetMapMode(dc, mode);
}

void TPrinter::SetWindowExt(int width, int height) {
  if (HDC dc = MappingDC()) ::SetWindowExtEx(dc, width, height, nullptr);
}

void TPrinter::SetViewPortExt(int width, int height) {
  if (HDC dc = MappingDC()) ::SetViewportExtEx(dc, width, height, nullptr);
}

// ---- the paper ------------------------------------------------------------------------------------

int TPrinter::GetOrientation() { return ui::PrnGetOrientation(); }

void TPrinter::SetLandscape() {
  ui::PrnLandscape();
  ApplySettings();
}

void TPrinter::SetPortrait() {
  ui::PrnPortrait();
  ApplySettings();
}

void TPrinter::SetCopies(int copies) {
  ui::PrnSetCopies(copies);
  ApplySettings();
}

void TPrinter::SetSize(int width, int length) {
  ui::PrnSetSize(width, length);
  ApplySettings();
}

void TPrinter::SetPage(int paper) {
  ui::PrnSetPage(paper);
  ApplySettings();
}

void TPrinter::SetBin(int bin) {
  ui::PrnBinSource(bin);
  ApplySettings();
}

void TPrinter::DraftMode(bool draft) {
  ui::PrnDraftMode(draft);
  ApplySettings();
}

std::string TPrinter::GetDriver() const { return ModelNames(cModel).driver; }
std::string TPrinter::GetPort() const { return ModelNames(cModel).port; }

void TPrinter::Setup() {
  ui::PrinterSetup(::GetActiveWindow());
  ApplySettings();
}

bool TPrinter::ResetDC() {
  if (hDC == nullptr || !ui::ResetPrinterDC(hDC)) return false;
  if (!lMeta) hDCOut = hDC;
  return true;
}

// ---- the module's current printer ---------------------------------------------------------------------

xb::Ref<TPrinter> CurrentPrinter() { return g_current; }

TPrinter::NewParams PrintBeginParams(const std::string& document, bool user, bool preview, const xb::Value& model,
                                     bool modal) {
  TPrinter::NewParams p;
  if (!document.empty()) p.document = document;
  p.user = user;
  p.preview = preview;
  p.modal = modal;
  if (model.IsNumber() || (model.IsString() && !model.AsString().empty())) {
    const std::vector<std::string> devices = ui::GetPvProfEntries("Devices", "");
    std::string chosen;
    if (model.IsNumber()) {
      const std::int64_t n = model.AsInt();
      if (n >= 1 && n <= static_cast<std::int64_t>(devices.size())) chosen = devices[static_cast<std::size_t>(n - 1)];
    } else {
      const std::string fragment = Upper(std::string(model.AsString()));
      for (const std::string& device : devices) {
        if (Upper(device).find(fragment) != std::string::npos) {
          chosen = device;
          break;
        }
      }
    }
    if (chosen.empty()) {
      ::Beep(100, 55);
      p.user = true;
    } else {
      p.model = chosen + "," + ui::GetProfString("Devices", chosen, "");
    }
  }
  return p;
}

xb::Ref<TPrinter> PrintBegin(const std::string& document, bool user, bool preview, const xb::Value& model,
                             bool modal) {
  g_current = TPrinter::New(PrintBeginParams(document, user, preview, model, modal));
  return g_current;
}

void PrintEnd() {
  if (!g_current) return;
  xb::Ref<TPrinter> printer = g_current;
  g_current = nullptr;
  if (printer->lMeta) printer->ShowPreview();
  else printer->End();
}

}  // namespace output
