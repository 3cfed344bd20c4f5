// TFont: a shared GDI font. Asking for a font with the same attributes as a live one returns
// that one with its use count raised (lNew false); End deletes the font, when the object
// owns it, as the last user ends it. Stock fonts ("SYSTEM_FONT", "ANSI_VAR_FONT", ...) and
// fonts wrapped around a window's own font are never deleted.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "runtime/object.h"

namespace ui {

class TFont : public xb::Object {
 public:
  struct Spec {
    std::string face = "SYSTEM_FONT";
    int width = 0;
    int height = 14;
    bool bold = false;
    int escapement = 0;
    int orientation = 0;
    int weight = 0;
    bool italic = false;
    bool underline = false;
    bool strike_out = false;
    int char_set = 0;
    int out_precision = 0;
    int clip_precision = 0;
    int quality = 0;
    HDC device = nullptr;  // a printer: the height is scaled to its resolution
    int pitch_family = 0;
  };

  TFont();
  ~TFont() override;
  static const xb::Class& Cls();

  static xb::Ref<TFont> New(const Spec& spec);
  // New as text calls it: (face, width, height, choose flag, bold, escapement, orientation,
  // weight, italic, underline, strike-out, character set, output precision, clip precision,
  // quality, device, pitch and family); with the choose flag the font dialog gives every
  // attribute.
  static xb::Ref<TFont> New(const xb::Args& args);
  // The attributes of this font, as New would be asked for them again.
  Spec CurrentSpec() const;
  // The font dialog over this font: a choice ends this font and gives the new one; a
  // cancelled dialog gives this one.
  xb::Ref<TFont> Choose(COLORREF* colour = nullptr);
  // The spec of a font a LOGFONT describes (the font dialog's choice, a saved layout).
  static Spec SpecOf(const LOGFONTA& font);
  // A font object around a font the caller keeps (a window's own font): one use, never
  // deleted by the object, not shared.
  static xb::Ref<TFont> Wrap(HFONT font);
  void End();

  void Activate(HDC dc);    // selects the font, keeping the one it replaced
  void DeActivate(HDC dc);  // puts that one back

  static const std::vector<TFont*>& Live();

  std::string cFaceName;
  HFONT hFont = nullptr;
  HFONT hFontOld = nullptr;
  bool lBold = false;
  bool lItalic = false;
  bool lUnderline = false;
  bool lStrikeOut = false;
  int nInpHeight = 0;
  int nInpWidth = 0;
  int nEscapement = 0;
  int nOrientation = 0;
  int nWeight = 0;
  int nCharSet = 0;
  int nOutPrecision = 0;
  int nClipPrecision = 0;
  int nQuality = 0;
  int nPitchFamily = 0;
  int nCount = 0;
  bool lDestroy = false;
  bool lNew = false;

  // The font's measured height (tmHeight) and average character width.
  int nHeight() const;
  int nWidth() const;

 private:
  bool SameAs(const TFont& other) const;
};

// The face of the system's dialog font.
std::string GetSysFont();

}  // namespace ui
