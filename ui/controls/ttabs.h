// TTabs: a strip of tab prompts drawn by the framework, in the system's own style (rounded
// tabs in the user's colours) or the classic one (slanted tabs in system colours). A click or
// Alt + a tab's hot letter selects a tab and runs bAction with its number; when the tabs do
// not fit, two arrows at the right shift the first tab shown.
//
//   auto tabs = xb::MakeRef<TTabs>();
//   tabs->New({.prompts = {"&Usuarios", "&Grupos"}, .action = block, .parent = window,
//              .pixel = true, .width = 300});
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/controls/tscrollbar.h"
#include "ui/core/tcontrol.h"

namespace ui {

class TTabs : public TControl {
 public:
  TTabs();
  static const xb::Class& Cls();

  struct NewParams {
    int row = 0;
    int col = 0;
    std::vector<std::string> prompts = {"&One", "&Two", "T&hree"};
    xb::Value action{};
    WindowRef parent{};
    int option = 1;
    std::optional<COLORREF> fore{}, back{};
    bool pixel = false;  // else rows of 15 and columns of 6 pixels
    bool design = false;
    int width = 200;
    int height = 21;
    std::string message{};
  };
  TTabs& New(const NewParams& params);

  struct RedefineParams {
    std::vector<std::string> prompts = {"&One", "&Two", "T&hree"};
    xb::Value action{};
    WindowRef parent{};
    int option = 1;
    std::optional<COLORREF> fore{}, back{};
  };
  TTabs& ReDefine(int id, const RedefineParams& params);
  void Initiate(HWND dialog) override;
  // Sizes of the prompts, the arrows shown or hidden.
  void Default() override;

  Answer Display() override;
  void Paint(HDC dc);
  Answer LButtonDown(int row, int col, WPARAM keys) override;
  Answer ReSize(int type, int width, int height) override;
  Answer SysCommand(WPARAM wparam, LPARAM lparam) override;

  void SetOption(int n);
  // The first prompt whose hot letter is the key's, in any case; 0 for none.
  int GetHotPos(int key) const;
  void AddItem(const std::string& prompt);
  // Removes the selected prompt; the last one left becomes "No Defined".
  void DelItem();
  void SetTabs(const std::vector<std::string>& prompts, int option = 1);
  // aPrompts assigned: the sizes measured again, the arrows shown or hidden, the strip redrawn.
  void SetPrompts(std::vector<std::string> prompts);
  // Design aid: "aPrompts" opens EditPrompts, the prompts one a line; "&Ok" puts the
  // trimmed lines in their place (option 1). True when confirmed.
  void Inspect(const std::string& data) override;
  bool EditPrompts();
  // The arrows: one tab left, one tab right (nothing once the last tab shows).
  void ScrollLeft();
  void ScrollRight();

  int PromptCount() const { return static_cast<int>(aPrompts.size()); }
  bool ArrowsShown() const;

  std::vector<std::string> aPrompts;
  std::vector<int> aSizes;
  int nOption = 1;
  xb::Value bAction;
  int nLineStyle = 0;  // 0 the system's style, 1 classic
  xb::Ref<TFont> oFont2;
  xb::Ref<TQZScrllBar> oBtns;
  int nFirst = 1;
  int nMargen = 4;
  bool lBottom = false;

  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

 private:
  void Fonts(bool bold_first);
  void Measure();  // aSizes from aPrompts
  void Arrows(int width);
  void PaintQZ(HDC dc);
  void PaintClassic(HDC dc);
};

// Registers TTABS (InitControls does).
void RegisterTabs();

}  // namespace ui
