// TMetaFile: the control that shows one metafile page (its caption names the file, "" none),
// scaled to the control, or a part of it while zoomed: the page's logical size divided by
// the zoom factors, from its window origin. A shadow is drawn along its right and bottom
// edges on the parent.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "runtime/object.h"
#include "ui/core/tcontrol.h"
#include "ui/core/tpen.h"

namespace output {

class TMetaFile : public ui::TControl {
 public:
  TMetaFile();
  ~TMetaFile() override;
  static const xb::Class& Cls();
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

  struct NewParams {
    int top = 0;
    int left = 0;
    int width = 100;
    int height = 100;
    std::string file;
    ui::WindowRef parent;  // none: the default window
    COLORREF clr_fore = 0;
    COLORREF clr_back = RGB(255, 255, 255);
    int page_width = 0;   // the page's size in device pixels
    int page_height = 0;
  };
  static xb::Ref<TMetaFile> New(const NewParams& params);
  void InitNew(const NewParams& params);
  // A control of a dialog resource.
  void Redefine(int id, const std::string& file, ui::WindowRef parent, COLORREF clr_fore, COLORREF clr_back);

  ui::Answer Display() override;
  ui::Answer Paint() override;
  // The file when it exists, else none; the loaded metafile goes, so the next paint loads.
  void SetFile(const std::string& file);
  void Shadow();
  bool End() override;
  void ZoomIn();
  void ZoomOut();
  void SetZoomFactor(int x, int y);
  void SetOrg(std::optional<int> x, std::optional<int> y);
  ui::Answer Destroy() override;

  HMETAFILE hMeta = nullptr;
  xb::Ref<ui::TPen> oPen;
  int nWidth = 0;
  int nHeight = 0;
  int nXorig = 0;
  int nYorig = 0;
  int nXZoom = 2;
  int nYZoom = 4;
  bool lZoom = false;
  bool lShadow = true;

  // Alerts "Could not find the Metafile" met by paints (tests count them).
  static int MissingFileAlerts();

 private:
  void FreeMeta();
  int full_width_ = 0;  // the page's logical size while zoomed
  int full_height_ = 0;
};

// Registers TMETAFILE by name.
void RegisterMetaFileClass();

}  // namespace output
