// TRadMenu: radio buttons bound to one numeric value, the number of the chosen button. It is
// no window itself: each button is a TRadio. Choosing a button (a click, the arrow keys,
// SetOption) stores its number through bSetGet and runs bChange with (option, group).
//
//   auto group = xb::MakeRef<TRadMenu>();
//   group->ReDefine({.set_get = option.block, .parent = dialog, .ids = {102, 103, 101},
//                    .change = block});   // button 102 is option 1, 103 option 2, 101 option 3
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "runtime/object.h"
#include "runtime/value.h"
#include "ui/controls/tradio.h"

namespace ui {

class TRadMenu : public xb::Object {
 public:
  TRadMenu();
  ~TRadMenu() override;
  static const xb::Class& Cls();

  struct NewParams {
    int row = 0;
    int col = 0;
    std::vector<std::string> prompts{};
    xb::Value set_get{};
    WindowRef parent{};              // none: the default window
    std::vector<int> help_ids{};     // none: 100, 101 ...; missing entries take the first
    xb::Value change{};
    std::optional<COLORREF> clr_text{};
    std::optional<COLORREF> clr_pane{};
    std::string message{};
    bool update = false;
    xb::Value when{};
    xb::Value valid{};
    std::optional<int> height{};     // the step between buttons
    std::optional<int> width{};
    bool design = false;
    bool look_3d = false;
    bool pixel = false;
  };
  // One TRadio a prompt, a row step apart; a value that is not a number, or 0, starts at 1.
  TRadMenu& New(const NewParams& params);

  struct ReDefineParams {
    xb::Value set_get{};
    WindowRef parent{};              // none: the default window
    std::vector<int> help_ids{};     // none: 100, 101 ...; missing entries take the first
    std::vector<int> ids{};          // the buttons' control identifiers, in option order
    xb::Value change{};
    std::optional<COLORREF> clr_text{};
    std::optional<COLORREF> clr_pane{};
    std::string message{};
    bool update = false;
    xb::Value when{};
    xb::Value valid{};
  };
  // One TRadio bound to each identifier; a value that is not a number, or 0, becomes 1.
  TRadMenu& ReDefine(const ReDefineParams& params);

  // The value behind bSetGet.
  int nOption() const;
  // _nOption: stores the value and runs bChange.
  void SetnOption(int option);
  // For a valid option different from the current one: the current button is unchecked, the
  // option stored (bChange runs) and its button checked.
  void SetOption(int option);
  void Select(const TRadio& radio);
  // The button of the option checked, the one checked before unchecked; bChange runs when
  // there was one.
  void Refresh();
  void GoPrev();
  void GoNext();
  // A value that is not a number, or 0, becomes 1 (without bChange).
  void KeepNumeric();

  void Enable();
  void Disable();
  void Show();
  void Hide();
  void End();
  void Set3DLook();

  std::vector<xb::Ref<TRadio>> aItems;
  xb::Value bSetGet;
  xb::Value bChange;
  std::string cMsg;
  std::string cVarName;
  bool lUpdate = false;

  xb::Value Self() { return AsValue(); }
  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

 private:
  TRadio* Item(int option) const;
  void Store(int option);
};

// Registers TRADMENU and TRADIO by name (InitControls does).
void RegisterRadioControls();

}  // namespace ui
