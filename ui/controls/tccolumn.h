// TCColumn: one column of a column browse: its heading and footing, the get/set block of its
// value, picture, colours, alignment, width, edit rules and the index tag that sorts by it.
// A column knows nothing of windows: its width is measured through GETTEXTWIDTH and
// GETDLGBASEUNITS and colour pairs are read by NGETFORERGB and NGETBACKRGB, by name.
#pragma once

#include <string>
#include <string_view>

#include "runtime/object.h"
#include "runtime/value.h"

namespace ui {

class TCColumn : public xb::Object {
 public:
  TCColumn();
  explicit TCColumn(const xb::Class& cls);
  static const xb::Class& Cls();

  struct NewParams {
    xb::Value heading{};      // default ""
    xb::Value data{};         // default a block answering NIL
    std::string picture{};
    xb::Value clr_fore{}, clr_back{};
    xb::Value align{};        // 0, 1, 2 or "LEFT", "CENTER", "RIGHT"
    xb::Value width{};        // dialog character units; NIL: measured
    bool bitmap = false;
    bool edit = false;
    xb::Value message{};      // default "Press Esc to cancel"
    xb::Value valid{};        // default a block answering .T.
    std::string error{};
    bool no_lite = false;
    std::string order{};
    xb::Value footing{};
    xb::Value prev_edit{}, post_edit{};
    int edit_move = 0;
    bool fix_lite = false;
  };
  TCColumn& New(const NewParams& params);

  // The value behind bData, and the value stored through it.
  xb::Value CellValue() const;
  void StoreValue(const xb::Value& value) const;
  // The value as the column shows it: through its picture (bPicture first), else as text.
  std::string Shown() const;
  std::string Picture() const;
  // The colours of a cell from bClrFore / bClrBack, or `fallback` without a block.
  std::uint32_t Fore(int row, int col, std::uint32_t fallback) const;
  std::uint32_t Back(int row, int col, std::uint32_t fallback) const;
  bool HasFooting() const { return cFooting.IsString(); }
  std::string Heading() const;

  // Save: the column's record (see tccolumn_format.h), with the properties that differ from
  // a fresh column and the events that are set. Load: the body of such a record back into
  // the column; a short or malformed body raises an error and changes nothing.
  std::string Save();
  bool Load(std::string_view body);
  virtual void End() {}

  xb::Value cHeading;
  xb::Value bData;
  std::string cData;
  std::string cPicture;
  xb::Value bPicture;
  xb::Value bClrFore, bClrBack;
  int nAlign = 0;
  int nWidth = 0;
  bool lBitMap = false;
  bool lEdit = false;
  bool lNoLite = false;
  std::string cMsg;
  xb::Value bValid;
  std::string cError;
  std::string cOrder;
  xb::Value cFooting;
  xb::Value bPrevEdit, bPostEdit, bPostGet, bWhen, bChange;
  int nEditMove = 0;
  bool lFixLite = false;
  xb::Value Cargo;
  xb::Value OnEdit;

  xb::Value Self() { return AsValue(); }
};

// The alignment of New: a number 0..2 as it is, a text by the first of "LEFT", "CENTER",
// "RIGHT" that contains it, anything else 0.
int ColumnAlignment(const xb::Value& align);

// Registers TCCOLUMN and FIELDSETGETBLOCK(cAlias, nField): a get/set block on a field of the
// area of that alias.
void RegisterColumnClasses();

}  // namespace ui
