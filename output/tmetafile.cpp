#include "output/tmetafile.h"

#include <algorithm>

#include "runtime/function_table.h"
#include "ui/core/msg_box.h"
#include "ui/core/tdialog.h"
#include "ui/core/window_table.h"

namespace output {
namespace {

constexpr const char* kMissing = "Could not find the Metafile,\r\nplease check your TEMP environment variable";
int g_missing_alerts = 0;

bool FileExists(const std::string& file) {
  const DWORD attributes = ::GetFileAttributesA(file.c_str());
  return !file.empty() && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

TMetaFile::TMetaFile() : TControl(Cls()) {}

TMetaFile::~TMetaFile() { FreeMeta(); }

void TMetaFile::Traverse(xb::GcVisitor& visitor) {
  TControl::Traverse(visitor);
  if (oPen) visitor.Visit(oPen.get());
}

void TMetaFile::ClearValues() {
  TControl::ClearValues();
  oPen = nullptr;
}

int TMetaFile::MissingFileAlerts() { return g_missing_alerts; }

xb::Ref<TMetaFile> TMetaFile::New(const NewParams& params) {
  auto control = xb::MakeRef<TMetaFile>();
  control->InitNew(params);
  return control;
}

void TMetaFile::InitNew(const NewParams& p) {
  nTop = p.top;
  nLeft = p.left;
  nBottom = p.top + p.height - 1;
  nRight = p.left + p.width - 1;
  cCaption = p.file;
  oWnd = p.parent ? p.parent : ui::GetWndDefault();
  nStyle = WS_CHILD | WS_VISIBLE | WS_BORDER;
  nWidth = p.page_width;
  nHeight = p.page_height;
  oPen = ui::TPen::New(PS_SOLID, 5);
  Register(CS_VREDRAW | CS_HREDRAW);
  SetColor(p.clr_fore, p.clr_back);
  const bool parent_shown = oWnd && oWnd->hWnd != nullptr && ::IsWindowVisible(oWnd->hWnd);
  if (!parent_shown) nStyle &= ~WS_VISIBLE;
  CreateOrDefine({});
}

void TMetaFile::Redefine(int id, const std::string& file, ui::WindowRef parent, COLORREF clr_fore, COLORREF clr_back) {
  nId = id;
  cCaption = file;
  oWnd = parent ? parent : ui::GetWndDefault();
  nWidth = nHeight = 100;
  oPen = ui::TPen::New(PS_SOLID, 5);
  Register(CS_VREDRAW | CS_HREDRAW);
  SetColor(clr_fore, clr_back);
  if (auto* dialog = dynamic_cast<ui::TDialog*>(oWnd.get())) dialog->DefControl(ui::WindowRef(this));
}

ui::Answer TMetaFile::Display() {
  BeginPaint();
  Paint();
  EndPaint();
  return ui::Answer::Number(0);
}

ui::Answer TMetaFile::Paint() {
  if (hWnd == nullptr) return ui::Answer::Number(0);
  if (hMeta == nullptr) {
    if (FileExists(cCaption)) {
      hMeta = ::GetMetaFileA(cCaption.c_str());
    } else if (!cCaption.empty()) {
      ++g_missing_alerts;
      ui::AlertBox({.text = kMissing});
    }
  }
  if (hMeta == nullptr) return ui::Answer::Number(0);
  Shadow();
  const bool own_dc = hDC == nullptr;
  HDC dc = own_dc ? ::GetDC(hWnd) : hDC;
  RECT client{};
  ::GetClientRect(hWnd, &client);
  const int saved = ::SaveDC(dc);
  ::SetMapMode(dc, MM_ANISOTROPIC);
  ::SetWindowOrgEx(dc, nXorig, nYorig, nullptr);
  ::SetWindowExtEx(dc, std::max(nWidth, 1), std::max(nHeight, 1), nullptr);
  ::SetViewportExtEx(dc, client.right - client.left, client.bottom - client.top, nullptr);
  HCURSOR previous = ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
  ::PlayMetaFile(dc, hMeta);
  ::SetCursor(previous != nullptr ? previous : ::LoadCursorA(nullptr, IDC_ARROW));
  ::RestoreDC(dc, saved);
  if (own_dc) ::ReleaseDC(hWnd, dc);
  return ui::Answer::Number(0);
}

void TMetaFile::SetFile(const std::string& file) {
  cCaption = FileExists(file) ? file : std::string();
  FreeMeta();
}

void TMetaFile::Shadow() {
  if (!lShadow || !oWnd || oWnd->hWnd == nullptr || hWnd == nullptr || !oPen) return;
  RECT r{};
  ::GetWindowRect(hWnd, &r);
  POINT corner[2] = {{r.left, r.top}, {r.right, r.bottom}};
  ::MapWindowPoints(nullptr, oWnd->hWnd, corner, 2);
  const int top = corner[0].y, left = corner[0].x, bottom = corner[1].y, right = corner[1].x;
  HDC dc = ::GetDC(oWnd->hWnd);
  HGDIOBJ previous = ::SelectObject(dc, oPen->hPen);
  ::MoveToEx(dc, left + 5, bottom, nullptr);
  ::LineTo(dc, right, bottom);
  ::MoveToEx(dc, right, top + 5, nullptr);
  ::LineTo(dc, right, bottom);
  ::SelectObject(dc, previous);
  ::ReleaseDC(oWnd->hWnd, dc);
}

void TMetaFile::FreeMeta() {
  if (hMeta != nullptr) ::DeleteMetaFile(hMeta);
  hMeta = nullptr;
}

bool TMetaFile::End() {
  FreeMeta();
  if (oPen) oPen->End();
  return TControl::End();
}

ui::Answer TMetaFile::Destroy() {
  FreeMeta();
  return TControl::Destroy();
}

// The full size is kept while zoomed, so zooming out gives the page's size back whole
// however the divisions rounded.
void TMetaFile::ZoomIn() {
  if (lZoom) return;
  full_width_ = nWidth;
  full_height_ = nHeight;
  nWidth = full_width_ / std::max(nXZoom, 1);
  nHeight = full_height_ / std::max(nYZoom, 1);
  lZoom = true;
  Refresh();
}

void TMetaFile::ZoomOut() {
  if (!lZoom) return;
  nWidth = full_width_;
  nHeight = full_height_;
  lZoom = false;
  nXorig = nYorig = 0;
  Refresh();
}

void TMetaFile::SetZoomFactor(int x, int y) {
  nXZoom = std::max(x, 1);
  nYZoom = std::max(y, 1);
  if (lZoom) {
    nWidth = full_width_ / nXZoom;
    nHeight = full_height_ / nYZoom;
    Refresh();
  }
}

void TMetaFile::SetOrg(std::optional<int> x, std::optional<int> y) {
  if (x) nXorig = *x;
  if (y) nYorig = *y;
}

const xb::Class& TMetaFile::Cls() {
  static const xb::Class& cls = []() -> const xb::Class& {
    xb::Class& c = xb::Class::Define("TMETAFILE", &ui::TControl::Cls());
    auto M = [](xb::Object& o) -> TMetaFile& { return xb::Class::Cast<TMetaFile>(o); };
    c.Property("HMETA", [M](xb::Object& o) { return xb::Value::Integer(reinterpret_cast<std::intptr_t>(M(o).hMeta)); },
               nullptr);
    c.Data("NWIDTH", &TMetaFile::nWidth);
    c.Data("NHEIGHT", &TMetaFile::nHeight);
    c.Data("NXORIG", &TMetaFile::nXorig);
    c.Data("NYORIG", &TMetaFile::nYorig);
    c.Data("NXZOOM", &TMetaFile::nXZoom);
    c.Data("NYZOOM", &TMetaFile::nYZoom);
    c.Data("LZOOM", &TMetaFile::lZoom);
    c.Data("LSHADOW", &TMetaFile::lShadow);
    c.Property("OPEN", [M](xb::Object& o) { return M(o).oPen ? xb::Value(M(o).oPen) : xb::Value(); }, nullptr);
    c.Method("NEW", [M](xb::Object& o, xb::Args& a) {
      NewParams p;
      p.top = static_cast<int>(a.Int(1));
      p.left = static_cast<int>(a.Int(2));
      p.width = static_cast<int>(a.Int(3, 100));
      p.height = static_cast<int>(a.Int(4, 100));
      p.file = std::string(a.Str(5));
      p.parent = ui::WindowRef(dynamic_cast<ui::TWindow*>(a.Obj(6).get()));
      p.clr_fore = static_cast<COLORREF>(a.Int(7));
      p.clr_back = static_cast<COLORREF>(a.Int(8, RGB(255, 255, 255)));
      p.page_width = static_cast<int>(a.Int(9));
      p.page_height = static_cast<int>(a.Int(10));
      M(o).InitNew(p);
      return o.AsValue();
    });
    c.Method("REDEFINE", [M](xb::Object& o, xb::Args& a) {
      M(o).Redefine(static_cast<int>(a.Int(1)), std::string(a.Str(2)),
                    ui::WindowRef(dynamic_cast<ui::TWindow*>(a.Obj(3).get())), static_cast<COLORREF>(a.Int(4)),
                    static_cast<COLORREF>(a.Int(5, RGB(255, 255, 255))));
      return o.AsValue();
    });
    c.Method("DISPLAY", [M](xb::Object& o, xb::Args&) { M(o).Display(); return xb::Value::Integer(0); });
    c.Method("PAINT", [M](xb::Object& o, xb::Args&) { M(o).Paint(); return xb::Value(); });
    c.Method("SETFILE", [M](xb::Object& o, xb::Args& a) { M(o).SetFile(std::string(a.Str(1))); return xb::Value(); });
    c.Method("SHADOW", [M](xb::Object& o, xb::Args&) { M(o).Shadow(); return xb::Value(); });
    c.Method("END", [M](xb::Object& o, xb::Args&) { return xb::Value::Logical(M(o).End()); });
    c.Method("ZOOMIN", [M](xb::Object& o, xb::Args&) { M(o).ZoomIn(); return xb::Value(); });
    c.Method("ZOOMOUT", [M](xb::Object& o, xb::Args&) { M(o).ZoomOut(); return xb::Value(); });
    c.Method("SETZOOMFACTOR", [M](xb::Object& o, xb::Args& a) {
      M(o).SetZoomFactor(static_cast<int>(a.Int(1, 1)), static_cast<int>(a.Int(2, 1)));
      return xb::Value();
    });
    c.Method("SETORG", [M](xb::Object& o, xb::Args& a) {
      M(o).SetOrg(a.Arg(1).IsNumber() ? std::optional<int>(static_cast<int>(a.Int(1))) : std::nullopt,
                  a.Arg(2).IsNumber() ? std::optional<int>(static_cast<int>(a.Int(2))) : std::nullopt);
      return xb::Value();
    });
    return c;
  }();
  return cls;
}

void RegisterMetaFileClass() {
  (void)TMetaFile::Cls();
  xb::RegisterFunction("TMETAFILE", [](xb::Args&) { return xb::Value(xb::MakeRef<TMetaFile>()); });
}

}  // namespace output
