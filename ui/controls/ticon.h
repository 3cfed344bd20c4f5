// TIcon: a control showing one icon, from the resource module or from an icon file. Made
// without a parent it has no window: windows keep their own icon in such an object (the
// icon argument of TWindow:New), shown as theirs and ended with them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ui/core/tcontrol.h"
#include "ui/core/window_parts.h"

namespace ui {

class TIcon : public TControl, public WindowIcon {
 public:
  TIcon();
  ~TIcon() override;
  static const xb::Class& Cls();

  struct NewParams {
    int row = 0;  // cells of 14 x 8 pixels; the control is 32 x 32 pixels
    int col = 0;
    std::string resource{};
    std::string file{};
    bool border = false;
    xb::Value l_clicked{};
    WindowRef parent{};  // none: no window
    bool update = false;
    xb::Value when{};
    std::optional<COLORREF> clr_text{};
    std::optional<COLORREF> clr_pane{};
  };
  TIcon& New(const NewParams& params);

  struct ReDefineParams {
    int id = 0;
    std::string resource{};
    std::string file{};
    xb::Value l_clicked{};
    bool update = false;
    WindowRef parent{};
    xb::Value when{};
  };
  TIcon& ReDefine(const ReDefineParams& params);

  // A windowless icon of a name: the file when it exists, else the resource (TWindow's icon).
  static xb::Ref<TIcon> OfName(const std::string& name);

  void Initiate(HWND dialog) override;
  Answer Display() override;
  Answer Paint() override;
  // Replace the icon (the old one destroyed) and repaint; the old one stays when the new one
  // cannot be had. The file must exist.
  bool SetName(const std::string& resource);
  bool SetFile(const std::string& file);
  Answer Destroy() override;
  bool End() override;

  // WindowIcon: the window that showed it is gone.
  HICON hIcon() const override { return handle; }
  void EndIcon() override { End(); }

  std::string cIcoFile;
  std::string cResName;
  HICON handle = nullptr;

 private:
  void Load();
  void Replace(HICON icon);
};

// Registers TICON and gives windows their icons of a name (InitControls does).
void RegisterIcon();

}  // namespace ui
