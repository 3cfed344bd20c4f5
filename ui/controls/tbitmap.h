// TBitmap: a child window showing a bitmap from the resources or from a .bmp file, at its own
// size, stretched to the control, zoomed, or scrolled with the window's scroll bars; it can be
// transparent over its dialog, copied to and loaded from the clipboard, and reloaded.
//
// Pictures named are shared through the bitmap registry (bitmap_registry.h): a control holds
// one share and lets it go once, however often End and Destroy run. A picture taken from the
// clipboard is the control's own.
//
// Scrolling: the offsets nX, nY (0 or negative) move the picture left and up; the horizontal
// bar covers the picture's width and the vertical one its height, so every pixel can be
// reached and no scroll runs past the picture.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ui/core/tcontrol.h"

namespace ui {

class TBitmap : public TControl {
 public:
  TBitmap();
  ~TBitmap() override;
  static const xb::Class& Cls();

  struct NewParams {
    int row = 0;
    int col = 0;
    std::optional<int> width{};   // none: the picture's, within the parent's; 100 without one
    std::optional<int> height{};
    std::string resource{};
    std::string file{};
    bool no_border = false;
    WindowRef parent{};           // none: the default window
    xb::Value l_clicked{};
    xb::Value r_clicked{};
    bool scroll = false;
    bool stretch = false;
    xb::ObjectRef cursor{};
    std::string message{};
    bool update = false;
    xb::Value when{};
    bool pixel = false;           // else cells of 14 x 8 pixels
    xb::Value valid{};
    bool design = false;
  };
  TBitmap& New(const NewParams& params);

  struct ReDefineParams {
    int id = 0;
    std::string resource{};
    std::string file{};
    WindowRef parent{};
    xb::Value l_clicked{};
    xb::Value r_clicked{};
    bool scroll = false;
    bool stretch = false;
    xb::ObjectRef cursor{};
    std::string message{};
    bool update = false;
    xb::Value when{};
    xb::Value valid{};
    bool transparent = false;
  };
  // Binds the control of a dialog's resource.
  TBitmap& ReDefine(const ReDefineParams& params);
  // A picture without a window of its own (an image list's, a painter's).
  TBitmap& Define(const ReDefineParams& params);

  void Initiate(HWND dialog) override;
  void Default() override;

  // ---- the picture -----------------------------------------------------------------------------
  // Lets the current picture go, then takes the resource, else the file (when it exists).
  bool LoadImage(const std::string& resource, const std::string& file);
  // LoadImage, and with a window the scroll bars and offsets set anew and a repaint.
  bool ReLoad(const std::string& resource, const std::string& file);
  bool LoadBmp(const std::string& file) { return ReLoad({}, file); }
  int PictureWidth() const;   // times the zoom
  int PictureHeight() const;
  int nXExtra() const;  // the horizontal scrollable amount + 1 (0 when it fits)
  int nYExtra() const;
  void Zoom(int zoom);

  // ---- scrolling ----------------------------------------------------------------------------------
  void ScrollAdjust();
  void ScrollUp();
  void ScrollDown();
  void ScrollLeft();
  void ScrollRight();
  void PageUp();
  void PageDown();
  void PageLeft();
  void PageRight();
  void Center();

  // ---- clipboard ------------------------------------------------------------------------------------
  bool CopyToClipboard();
  bool LoadFromClipboard();

  // ---- messages ---------------------------------------------------------------------------------------
  Answer Display() override;
  Answer Paint() override;
  Answer EraseBkGnd(HDC dc) override;
  Answer VScroll(WPARAM wparam, LPARAM lparam) override;
  Answer HScroll(WPARAM wparam, LPARAM lparam) override;
  Answer KeyDown(int key, LPARAM flags) override;
  Answer ReSize(int type, int width, int height) override;
  Answer Destroy() override;
  bool End() override;

  // ---- data -------------------------------------------------------------------------------------------
  int nX = 0;
  int nY = 0;
  int nOldX = 0;
  int nOldY = 0;
  HBITMAP hBitmap = nullptr;
  HPALETTE hPalette = nullptr;
  std::string cBmpFile;
  std::string cResName;
  bool lScroll = false;
  bool lStretch = false;
  xb::Value aHotAreas;
  int nVStep = 1;
  int nHStep = 1;
  int nZoom = 1;
  bool lTransparent = false;
  bool lFondo = false;  // the picture is a piece of the dialog's background
  bool lFile = false;

  // The dialog background picture a transparent piece of it shows under itself. This program
  // never loads one (HFONDO answers none); tests set one here.
  static void SetBackgroundForTests(HBITMAP background);

 private:
  void ReleasePicture();
  void Shift(int dx, int dy);  // the offsets, within the picture
  int ScrollableX() const;
  int ScrollableY() const;
  void PaintOn(HDC dc);

  bool shared_ = false;  // hBitmap is a share of the registry
};

// PBMPWIDTH, PBMPHEIGHT and TBITMAP by name (InitControls does).
void RegisterBitmapControl();

}  // namespace ui
