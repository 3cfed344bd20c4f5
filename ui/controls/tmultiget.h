// TMultiGet: the multi-line edit, a Windows "EDIT" control with ES_MULTILINE bound to a
// character value: the value is shown when the control is made and read back whole (line
// breaks as CR LF) when it loses the focus. Typing is the Windows control's; this class adds
// read-only mode, the clipboard, a right-button edit menu and access by lines.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ui/core/tcontrol.h"

namespace ui {

class TMultiGet : public TControl {
 public:
  TMultiGet();
  static const xb::Class& Cls();

  struct NewParams {
    int row = 0;
    int col = 0;
    xb::Value set_get{};
    WindowRef parent{};          // default: the default window
    int width = 0;               // 0: the caption's length x 3.5
    int height = 11;
    xb::Ref<TFont> font{};
    bool hscroll = false;
    std::optional<COLORREF> fore{}, back{};  // default: window text on window
    xb::ObjectRef cursor{};
    bool pixel = false;          // else rows of 13 and columns of 8 pixels
    std::string message{};
    bool update = false;
    xb::Value when{};
    bool centre = false, right = false;
    bool read_only = false;
    xb::Value valid{}, change{};
    bool design = false;
    bool no_border = false;
    bool no_vscroll = false;
  };
  TMultiGet& New(const NewParams& params);

  struct ReDefineParams {
    int id = 0;
    xb::Value set_get{};
    WindowRef parent{};
    int help_id = 0;
    xb::Ref<TFont> font{};
    std::optional<COLORREF> fore{}, back{};
    xb::ObjectRef cursor{};
    std::string message{};
    bool update = false;
    xb::Value when{};
    bool read_only = false;
    xb::Value valid{}, change{};
  };
  TMultiGet& ReDefine(const ReDefineParams& params);

  void Create(std::string class_name = {}) override;
  std::string cToChar(const std::string& class_name = {}) override {
    return TControl::cToChar(class_name.empty() ? "EDIT" : class_name);
  }
  void Initiate(HWND dialog) override;
  void Default() override;

  // ---- text ----------------------------------------------------------------------------------
  // The window's text, whole.
  std::string cText() const;
  void SetText(const std::string& text);
  // The window shows the value.
  void Refresh(bool erase = true) override;
  // The window's text into the value.
  void Assign();

  // ---- selection, lines and the clipboard --------------------------------------------------------
  std::string GetSel() const;
  int GetRow() const;  // the caret's line, 1-based
  int GetCol() const;  // its column in that line, 1-based
  void Copy();
  void Cut();
  void Del();
  // A text given goes to the clipboard first; a read-only control takes nothing.
  void Paste(std::optional<std::string> text = std::nullopt);
  // Cuts the line (default: the caret's) with its line break, leaving it on the clipboard.
  void DelLine(int line = 0);
  void UnDo();
  void SelectAll();
  // The lines on the default printer as the job "Notes".
  void Print();
  void Move(int top, int left, int width = 0, int height = 0, bool repaint = true);

  // ---- messages ----------------------------------------------------------------------------------
  Answer GotFocus(HWND losing) override;
  Answer LostFocus(HWND receiving) override;
  Answer KeyDown(int key, LPARAM flags) override;
  Answer KeyChar(int key, LPARAM flags) override;
  Answer RButtonDown(int row, int col, WPARAM keys) override;
  Answer LButtonUp(int row, int col, WPARAM keys) override;
  Answer MouseMove(int row, int col, WPARAM keys) override;
  Answer VScroll(WPARAM, LPARAM) override { return {}; }  // the control scrolls itself
  Answer HScroll(WPARAM, LPARAM) override { return {}; }
  Answer Destroy() override;

  bool lReadOnly = false;
  int nPos = 0;            // the selection start kept when the focus goes
  std::intptr_t hHeap = 0;

 private:
  LRESULT ToEdit(UINT message, WPARAM wparam, LPARAM lparam);
  void RunChange(const xb::Value& key, const xb::Value& flags);
  std::pair<int, int> Selection() const;
};

void RegisterMultiGetControls();

}  // namespace ui
