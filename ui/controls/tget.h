// TGet: the single-line edit field. A Windows "EDIT" control whose contents are edited
// through a Get object (runtime/lib/get.h): every key goes to the Get object, which applies
// the picture, and the buffer goes back to the window, so masks, upper case, numbers and
// dates hold while typing. Read-only and password fields, a spinner (the window's own
// vertical bar) stepping numbers and dates, a right-button edit menu, the clipboard, and
// moving between the dialog's controls with the arrows, Tab and Enter.
//
// The caret follows the Get object's position with one selection message; it never waits
// for the edit control to walk there key by key.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "runtime/lib/get.h"
#include "ui/core/tcontrol.h"

namespace ui {

class TScrollBar;

class TGet : public TControl {
 public:
  TGet();
  explicit TGet(const xb::Class& cls);
  static const xb::Class& Cls();

  struct NewParams {
    int row = 0;
    int col = 0;
    xb::Value set_get{};      // NIL: a block over a private 50-blank string
    WindowRef parent{};       // default: the default window
    int width = 0;          // 0: (1 + caption length) x 3.5
    int height = 0;         // 0: the font's height, or 12
    std::string picture{};
    xb::Value valid{};
    std::optional<COLORREF> fore{}, back{};  // default: window text on window
    xb::Ref<TFont> font{};
    bool design = false;
    bool pixel = false;     // else rows of 13 and columns of 8 pixels
    std::string message{};
    bool update = false;
    xb::Value when{};
    bool centre = false, right = false;
    xb::Value change{};
    bool read_only = false, password = false, no_border = false;
    int help_id = 0;
    bool spinner = false;
    xb::Value up{}, down{}, min{}, max{};
  };
  TGet& New(const NewParams& params);

  struct RedefineParams {
    xb::Value set_get{};
    WindowRef parent{};
    int help_id = 0;
    std::string picture{};
    xb::Value valid{};
    std::optional<COLORREF> fore{}, back{};
    xb::Ref<TFont> font{};
    std::string message{};
    bool update = false;
    xb::Value when{}, change{};
    bool read_only = false;
    bool spinner = false;
    xb::Value up{}, down{}, min{}, max{};
  };
  TGet& ReDefine(int id, const RedefineParams& params);

  void Create(std::string class_name = {}) override;
  // On a dialog built in memory it is an "EDIT" item too.
  std::string cToChar(const std::string& class_name = {}) override {
    return TControl::cToChar(class_name.empty() ? "EDIT" : class_name);
  }
  void Initiate(HWND dialog) override;

  // ---- what it shows ----------------------------------------------------------------------
  // The buffer, or one "*" per character of a password.
  std::string DispText() const;
  // Shows the buffer and puts the caret at the Get object's position.
  void EditUpdate();
  std::string cText() const;
  void SetText(const xb::Value& value);  // _cText: the value into the variable, shown
  xb::Value VarValue() const { return oGet->VarGet(); }  // Value
  void Refresh(bool erase = true) override;
  void Assign() { oGet->Assign(); }

  // ---- selection and clipboard --------------------------------------------------------------
  std::string GetSel() const;
  // 0-based start and end of the selection.
  std::pair<int, int> GetSelPos() const;
  // Removes the selection from the buffer (the rest moves left); position after it.
  void GetDelSel(int start, int end);
  void SelectAll();
  void SetSel(int start, int end);
  void Copy();
  void Cut();
  // Inserts the text (default: the clipboard's) at the caret. Numbers read with either
  // decimal point; dates by the date format.
  void Paste(std::optional<std::string> text = std::nullopt);
  void UnDo();
  // The file dialog (CGETFILE, or the system's open dialog without it) with the mask, default
  // the field's value or "*.*", and the title, default "Por favor, seleccione un fichero"; a
  // name chosen becomes the field's value (padded to a text field's length). The name, or "".
  std::string SelFile(std::string mask = {}, std::string title = {});

  // ---- spinner ------------------------------------------------------------------------------
  void Spinner(const xb::Value& up, const xb::Value& down, const xb::Value& min, const xb::Value& max);
  TGet& Inc();
  TGet& Dec();

  // ---- messages -------------------------------------------------------------------------------
  Answer GetDlgCode(WPARAM key) override;
  Answer GotFocus(HWND losing) override;
  Answer LostFocus(HWND receiving) override;
  bool lValid() override;
  Answer KeyDown(int key, LPARAM flags) override;
  Answer KeyChar(int key, LPARAM flags) override;
  Answer KeyUp(int key, LPARAM flags);
  Answer LButtonDown(int row, int col, WPARAM keys) override;
  Answer LButtonUp(int row, int col, WPARAM keys) override;
  Answer RButtonDown(int row, int col, WPARAM keys) override;
  Answer MouseMove(int row, int col, WPARAM keys) override;
  Answer HandleEvent(UINT message, WPARAM wparam, LPARAM lparam) override;
  Answer Destroy() override;
  // In design mode the field is painted again at its new size.
  Answer ReSize(int type, int width, int height) override;
  void Move(int top, int left, int width = 0, int height = 0, bool repaint = true);

  // ---- data -----------------------------------------------------------------------------------
  xb::Ref<xb::Get> oGet;
  xb::Value bMin, bMax;
  COLORREF nClrFocusText = 0, nClrFocusPane = 0, nClrDef = 0;
  int nPos = 1;  // the caret, 1-based
  bool lReadOnly = false;
  bool lPassword = false;
  std::string cError;
  std::string cPicture;
  bool lNoBorder = false;
  std::string nTipoTeclado;  // "N", "C", "D" or "" (the on-screen keyboard's kind)
  xb::Ref<TScrollBar> oVSpin;
  // Sees each key first; true when it took it (a cell editor ends on Enter and Escape).
  std::function<bool(int key)> on_key;
  // Runs once the field has let the focus go and assigned its value.
  std::function<void()> on_lost_focus;

  void Traverse(xb::GcVisitor& visitor) override;
  void ClearValues() override;

 private:
  void MakeGet(const xb::Value& set_get, const std::string& picture);
  void ShowText(const std::string& text);
  void MoveCaret(int pos);  // 1-based
  void CreateInsertCaret();
  LRESULT ToEdit(UINT message, WPARAM wparam = 0, LPARAM lparam = 0);
  // bChange with (key, flags, Self); NIL, NIL for both zero. Its answer, NIL without a block.
  xb::Value ChangeAnswer(const xb::Value& key, const xb::Value& flags);
  // False when bChange refuses (answers .F.).
  bool RunChange(int key, LPARAM flags);
  void Step(int direction);
  void ReadBackFromWindow();

  // A spinner asked by ReDefine is made once the dialog gives the field its window.
  bool spin_on_initiate_ = false;
  xb::Value bGoUpSpin_, bGoDownSpin_;
};

}  // namespace ui
