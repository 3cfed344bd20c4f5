// TCheckBox: a Windows auto check box bound to a logical value behind bSetGet; a click
// flips the value and calls bChange with (new value, the check box). A bound value that is
// not logical is taken as .F.
#pragma once

#include <optional>
#include <string>

#include "ui/core/tcontrol.h"

namespace ui {

class TCheckBox : public TControl {
 public:
  TCheckBox();
  static const xb::Class& Cls();

  struct NewParams {
    int row = 0;
    int col = 0;
    std::string caption = "&CheckBox";
    xb::Value set_get{};                 // NIL: a logical of its own, starting .F.
    WindowRef parent{};                  // none: the default window
    std::optional<int> width{};          // none: 7 pixels a character of the caption
    int height = 19;
    int help_id = 100;
    xb::Value change{};
    xb::Ref<TFont> font{};
    xb::Value valid{};
    std::optional<COLORREF> clr_text{};  // none: the parent's
    std::optional<COLORREF> clr_pane{};  // none: the parent's
    bool design = false;
    bool pixel = false;                  // else rows of 13 and columns of 7 pixels
    std::string message{};
    bool update = false;
    xb::Value when{};
  };
  TCheckBox& New(const NewParams& params);

  struct ReDefineParams {
    int id = 0;
    xb::Value set_get{};
    WindowRef parent{};
    int help_id = 0;
    xb::Value change{};
    xb::Value valid{};
    std::optional<COLORREF> clr_text{};
    std::optional<COLORREF> clr_pane{};
    std::string message{};
    bool update = false;
    xb::Value when{};
  };
  TCheckBox& ReDefine(const ReDefineParams& params);

  void Initiate(HWND dialog) override;
  void Default() override;
  // The check mark follows the value.
  void Refresh(bool erase = true) override;
  Answer Click() override;
  // Clears the value (.F.) and the mark.
  void Reset();
  bool Checked() const;
  std::string cToChar(const std::string& class_name = {}) override { return TControl::cToChar("BUTTON"); }
  // The source statement that would create the check box (the form design aid).
  std::string cGenPrg();

 private:
  void KeepLogical();
};

}  // namespace ui
