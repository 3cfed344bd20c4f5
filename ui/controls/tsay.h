// TSay: a label showing a value, formatted by a picture when it has one (TRANSFORM), else
// as text (CVALTOCHAR). bGet gives the value shown; Refresh shows its current value.
#pragma once

#include <optional>
#include <string>

#include "ui/core/tcontrol.h"

namespace ui {

class TSay : public TControl {
 public:
  TSay();
  static const xb::Class& Cls();

  struct NewParams {
    int row = 0;
    int col = 0;
    xb::Value get{};                     // NIL: a block answering ""
    WindowRef parent{};                  // none: the default window
    std::string picture{};
    xb::Ref<TFont> font{};
    bool centered = false;
    bool right = false;
    bool border = false;
    bool pixel = false;                  // else rows of 15 (+ 2) and columns of 6 pixels
    std::optional<COLORREF> clr_text{};  // none: the parent's
    std::optional<COLORREF> clr_pane{};  // none: the button face, or a plain window's pane
    std::optional<int> width{};          // none: 6 pixels a character - 4
    std::optional<int> height{};         // none: the font's height, 15 without font
    bool design = false;
    bool update = false;
    bool box_black = false;              // a black, grey or white frame instead of text
    bool box_grey = false;
    bool box_white = false;
  };
  TSay& New(const NewParams& params);

  struct ReDefineParams {
    int id = 0;
    xb::Value get{};  // NIL: the resource's own text stays
    WindowRef parent{};
    std::string picture{};
    std::optional<COLORREF> clr_text{};
    std::optional<COLORREF> clr_pane{};
    bool update = false;
    xb::Ref<TFont> font{};
  };
  TSay& ReDefine(const ReDefineParams& params);

  void Initiate(HWND dialog) override;
  void Default() override;
  Answer HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) override;
  // Shows a value, formatted.
  void SetText(const xb::Value& value);
  // Shows bGet's current value.
  void Refresh(bool erase = true) override;
  // Keeps a value to show: bGet answers it from now on, instead of the block given.
  void VarPut(const xb::Value& value) override;
  std::string Format(const xb::Value& value) const;
  std::string cToChar(const std::string& class_name = {}) override { return TControl::cToChar("STATIC"); }
  std::string cGenPrg();

  bool l3D = false;
  std::string cPicture;
  xb::Value bGet;
  bool lWantClick = false;
};

}  // namespace ui
