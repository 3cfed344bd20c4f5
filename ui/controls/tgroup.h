// TGroup: a Windows group box, a frame with a caption around other controls. The caption may
// come from a block (bGet), shown anew by Refresh.
#pragma once

#include <optional>
#include <string>

#include "ui/core/tcontrol.h"

namespace ui {

class TGroup : public TControl {
 public:
  TGroup();
  static const xb::Class& Cls();

  struct NewParams {
    int top = 0;  // cells of 14 x 7 pixels unless pixel
    int left = 0;
    int bottom = 3;
    int right = 3;
    xb::Value caption{};  // a text, or a block giving it
    WindowRef parent{};   // none: the default window
    std::optional<COLORREF> clr_text{};
    std::optional<COLORREF> clr_pane{};  // the colours apply only with a background
    bool pixel = false;
    bool design = false;
  };
  TGroup& New(const NewParams& params);

  struct ReDefineParams {
    int id = 0;  // 0: a new one
    xb::Value caption{};
    WindowRef parent{};
    std::optional<COLORREF> clr_text{};  // none: the parent's
    std::optional<COLORREF> clr_pane{};
  };
  TGroup& ReDefine(const ReDefineParams& params);

  // An empty caption is read from the window.
  void Initiate(HWND dialog) override;
  // In design mode the box can be dragged (hit tests go to the default procedure).
  Answer HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) override;
  void Refresh(bool erase = true) override;
  std::string cToChar(const std::string& class_name = {}) override { return TControl::cToChar("BUTTON"); }

  xb::Value bGet;

 private:
  void TakeCaption(const xb::Value& caption);
};

// Registers TGROUP (InitControls does).
void RegisterGroup();

}  // namespace ui
