// TButton: a Windows push button that runs its action block when clicked (or when Enter is
// pressed on it). While the action runs the button ignores further clicks, so an action
// that opens a modal dialog cannot start itself again.
#pragma once

#include <optional>
#include <string>

#include "ui/core/tcontrol.h"

namespace ui {

class TButton : public TControl {
 public:
  TButton();
  static const xb::Class& Cls();

  struct NewParams {
    int row = 0;
    int col = 0;
    std::string caption = "&Button";
    WindowRef parent{};          // none: the default window
    xb::Value action{};          // evaluated with the button
    std::optional<int> width{};  // none: 6 pixels a character, at least 30
    int height = 13;
    int help_id = 100;
    xb::Ref<TFont> font{};       // none: the parent's
    bool is_default = false;     // the dialog's default push button
    bool pixel = false;          // else rows of 18 and columns of 6 pixels
    bool design = false;
    std::string message{};
    bool update = false;
    xb::Value when{};
    xb::Value valid{};
    bool cancel = false;         // leaving a field for this button skips its validation
  };
  TButton& New(const NewParams& params);

  struct ReDefineParams {
    int id = 0;
    xb::Value action{};
    WindowRef parent{};
    int help_id = 0;
    std::string message{};
    bool update = false;
    xb::Value when{};
    xb::Value valid{};
    std::string caption{};  // empty: the resource's own
    bool cancel = false;
  };
  TButton& ReDefine(const ReDefineParams& params);

  void Initiate(HWND dialog) override;
  Answer Click() override;
  Answer GotFocus(HWND losing) override;
  Answer LostFocus(HWND receiving) override;
  // Arrows move between controls; Enter clicks the button (through the click message).
  Answer KeyDown(int key, LPARAM flags) override;
  Answer MouseMove(int row, int col, WPARAM keys) override;
  // A push button takes no colours.
  HBRUSH Colors(HDC dc) override { return nullptr; }
  std::string cToChar(const std::string& class_name = {}) override { return TControl::cToChar("BUTTON"); }
  std::string cGenPRG();

  xb::Value bAction;
  bool lDefault = false;
  bool lProcessing = false;

 private:
  void SetLook(bool default_look);
};

}  // namespace ui
