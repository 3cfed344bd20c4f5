// Get: the picture-driven edit buffer under every edit field. It holds a value read and
// written through a get/set block, shows it in a buffer formatted by the picture while it
// has the focus, and applies keys to the buffer position by position as the picture
// allows (the picture engine's EditMask decides what each position takes). It draws
// nothing: the edit field shows the buffer in its window.
//
//   xb::Ref<xb::Get> get = xb::MakeRef<xb::Get>(block, "@E 999,999.99");
//   get->SetFocus();              // buffer "      0,00", pos 1
//   get->Overstrike("12");        // the first key clears a number: "12    ,  "
//   get->ToDecPos();              // "    12,  ", pos on the first decimal
//   get->Assign();                // the variable gets 12.00
//   get->KillFocus();
//
// Positions are 1-based, as xBase code sees Get:Pos. While the Get has no focus, pos is 0
// and the editing messages do nothing.
//
// Registered as the runtime class GET (messages by the Get class's names: VARGET, SETFOCUS,
// INSERT, OVERSTRIKE, BUFFER, POS, CHANGED ...); TCLIPGET derives from it with a Display
// that does nothing, and GETNEW(row, col, block, name, picture, colour) makes one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "runtime/lib/picture.h"
#include "runtime/object.h"

namespace xb {

class Get : public Object {
 public:
  Get(Value block, std::string_view picture, std::string name = {});
  explicit Get(const Class& cls);  // for TCLIPGET and GETNEW
  static const Class& Cls();
  void Traverse(GcVisitor& visitor) override;
  void ClearValues() override;

  // ---- the value -----------------------------------------------------------------------
  Value VarGet() const;
  void VarPut(const Value& value);
  // The buffer read back as a value of the variable's type (numbers negative with a minus).
  Value UnTransform() const;
  // Writes UnTransform() to the variable (with the focus only).
  void Assign();
  // The buffer from the variable again (with the focus only); the position stays.
  void UpdateBuffer();

  // ---- focus -----------------------------------------------------------------------------
  // Reads the variable, keeps it as Original, builds the buffer and goes to the first
  // position that takes a key. Numbers, and pictures with @K, clear on the first key.
  void SetFocus();
  // Leaves the buffer showing the variable; pos 0.
  void KillFocus();
  // The buffer from the variable, at the first position, nothing changed.
  void Reset();
  // The variable back to Original, then Reset.
  void Undo();

  // ---- keys ------------------------------------------------------------------------------
  // Each character is typed in turn: inserted (the rest of its run of positions moves
  // right) or written over the position. A character the position refuses sets Rejected
  // and is not typed; typing past the last position sets TypeOut.
  void Insert(std::string_view chars);
  void Overstrike(std::string_view chars);
  // Deletes the character at pos (the rest of its run moves left) / the one before pos.
  void Delete();
  void BackSpace();
  // Blanks from pos to the end. Deletes the character left of pos (as BackSpace) / right of
  // pos (pos stays). Deletes from the start of the word before pos up to pos (pos goes
  // there) / the word at pos and the blanks after it. Deletion stays within pos's run of
  // positions, the rest of the run moving left.
  void DelEnd();
  void DelLeft();
  void DelRight();
  void DelWordLeft();
  void DelWordRight();
  // Movement over the positions that take keys. Past either end sets TypeOut.
  void Left();
  void Right();
  void WordLeft();
  void WordRight();
  void Home();
  void End();
  // Numbers: the integer part right-aligned again and pos on the first decimal.
  void ToDecPos();
  // Sets pos (1 .. buffer length); clears TypeOut.
  void SetPos(int pos);
  // Replaces the buffer (an edit control's text after a paste), cut or padded to its length.
  void SetBuffer(std::string_view text);

  // ---- stepping (the spinner of edit fields) -----------------------------------------------
  // The buffer's value stepped n units of the part under pos: numbers by 1, or by the place
  // of the decimal digit under pos; dates by days, months or years after the date format's
  // letter at pos (a day that the new month lacks becomes its last day). nullopt for other
  // types, or a date that does not read.
  std::optional<Value> Stepped(int n) const;

  // ---- state -----------------------------------------------------------------------------
  const std::string& Buffer() const { return buffer_; }
  int Pos() const { return pos_; }
  bool HasFocus() const { return has_focus_; }
  bool Changed() const { return changed_; }
  bool Rejected() const { return rejected_; }
  bool TypeOut() const { return type_out_; }
  bool Clear() const { return clear_; }
  bool Minus() const;
  // A date buffer with digits that do not make a date.
  bool BadDate() const;
  // 'C', 'N', 'D' or 'L' (of the variable, when focused); 'U' before.
  char Type() const { return type_; }
  const Value& Original() const { return original_; }
  // 1-based position of a number's decimal point; 0 when none.
  int DecPos() const;
  const std::string& PictureText() const { return picture_text_; }
  void SetPicture(std::string_view picture);
  // @S<n>: the characters the field shows at once (0: all), and the part of the buffer shown
  // when pos must be visible.
  int DisplayWidth() const;
  std::string VisibleText() const;

  // The positions' rules of the current buffer (focused).
  const std::optional<EditMask>& mask() const { return mask_; }

  Value block;
  Value cargo;
  std::string name;
  int row = 0;
  int col = 0;
  std::string color_spec;

 private:
  void Type1(char c, bool insert);
  void AfterType();
  // 0-based index range [first, last] of the run of editable positions holding index i.
  std::pair<std::size_t, std::size_t> RunOf(std::size_t i) const;
  bool Editable(int pos) const;
  int FirstEditable() const;
  int LastEditable() const;
  // 0-based index of the next position after pos that takes a key, npos when none.
  std::size_t NextEditable(int pos) const;
  void ClearBuffer();
  void DeleteRun(int count);

  std::string picture_text_;
  std::optional<EditMask> mask_;
  std::string buffer_;
  Value original_;
  int pos_ = 0;
  int display_pos_ = 1;
  char type_ = 'U';
  bool has_focus_ = false;
  bool changed_ = false;
  bool rejected_ = false;
  bool type_out_ = false;
  bool clear_ = false;
};

// A number typed or pasted by a person, with "." or "," as the decimal point: when the last
// "," comes after the last ".", dots are thousands separators and the comma is the point;
// otherwise commas are thousands separators. "1.234,5" and "1,234.5" give the same value.
Value ReadTypedNumber(std::string_view text);

// The date stepped by n days ('D'), months ('M') or years ('Y'); a day past the end of the
// new month becomes its last day (29-02-2004 plus a year is 28-02-2005).
Date StepDate(Date date, char part, int n);

// Registers GET, TCLIPGET and GETNEW.
void RegisterGetClass();

}  // namespace xb
