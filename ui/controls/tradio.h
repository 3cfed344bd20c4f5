// TRadio: one Windows radio button of a radio group (TRadMenu). It knows its group and its
// position in it (1-based); a click, or an arrow key on it, chooses it in the group. The
// group's run of buttons counts as one tab stop: the checked one.
#pragma once

#include <optional>
#include <string>

#include "ui/core/tcontrol.h"

namespace ui {

class TRadMenu;

class TRadio : public TControl {
 public:
  TRadio();
  static const xb::Class& Cls();

  struct NewParams {
    int row = 0;
    int col = 0;
    std::string prompt{};
    bool group = false;          // starts the run of buttons (WS_GROUP)
    bool checked = false;
    int position = 1;
    WindowRef parent{};          // none: the default window
    TRadMenu* radio_menu = nullptr;
    int help_id = 100;
    std::optional<COLORREF> clr_text{};
    std::optional<COLORREF> clr_pane{};
    std::string message{};
    bool update = false;
    xb::Value when{};
    std::optional<int> width{};  // none: 5 pixels a character of the prompt
    std::optional<int> height{};  // none: rows of 13, 12 pixels high
    xb::Value valid{};
    bool design = false;
    bool pixel = false;          // else rows of the height and columns of 7 pixels
  };
  TRadio& New(const NewParams& params);

  struct ReDefineParams {
    int id = 0;
    bool checked = false;
    int position = 1;
    WindowRef parent{};
    TRadMenu* group = nullptr;
    int help_id = 100;
    std::optional<COLORREF> clr_text{};  // none: the parent's
    std::optional<COLORREF> clr_pane{};  // none: the parent's
    std::string message{};
    bool update = false;
    xb::Value when{};
    xb::Value valid{};
  };
  // Binds the radio button `id` of the parent dialog's resource.
  TRadio& ReDefine(const ReDefineParams& params);

  void Initiate(HWND dialog) override;
  void Default() override;
  // Chooses this button in its group, then TControl's click.
  Answer Click() override;
  // Down and Right choose the next button of the group, Up and Left the one before (going
  // round); the focus follows.
  Answer KeyDown(int key, LPARAM flags) override;
  // Checked when the group's option is its position.
  void Refresh(bool erase = true) override;
  void SetCheck(bool on);
  // Reads the check mark from the window into lChecked.
  bool lIsChecked();
  std::string cToChar(const std::string& class_name = {}) override { return TControl::cToChar("BUTTON"); }
  Answer MouseMove(int row, int col, WPARAM keys) override;

  const xb::Object* RadioGroup() const override;
  bool IsCheckedRadio() const override { return lChecked; }

  bool lChecked = false;
  xb::ObjectRef oRadMenu;  // the TRadMenu
  int nPos = 1;

  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

 private:
  TRadMenu* Group() const;
};

}  // namespace ui
