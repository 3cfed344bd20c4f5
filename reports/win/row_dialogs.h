// The dialogs that edit one row of a dictionary table: the described table
// ("TD_EDITAR_TABLA"), its fields and indexes, report categories (" Añadir", " Modificar" or
// " Eliminar" + " categoría"), subcategories, graphics and graphic categories. Each control is
// bound to a field; a key (the key controls' values together) that another row holds is
// refused ("Nombre duplicado") and a required field left empty keeps the dialog open. To
// delete, the dialog shows the row read only and "Aceptar" deletes it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/core/tdialog.h"

namespace reports {

struct RowControl {
  enum Kind { kEdit, kCheck, kCombo } kind = kEdit;
  int id = 0;
  std::string field;
  bool required = false;
  bool key = false;                  // compared with the other rows
  bool fixed_when_editing = false;   // read only unless adding
  std::vector<std::string> names{};  // a combo's texts
  std::vector<std::string> codes{};  // and the field values they stand for
  std::string yes = {};              // a check box over a text field: its value when checked
  std::string no = {};
  std::string shown_for = {};         // a stored value shown as another code (a combo's)
  std::string shown_as = {};
};

struct RowDialog {
  std::string resource;
  std::string title;
  std::string alias;
  std::vector<RowControl> controls;
  // Further refusal (keeps the dialog open): the control to focus, 0 when the row is fine.
  std::function<int(const std::vector<std::string>& values)> check;
  int help_id = 0;
  // The dialog's further parts (a folder's pages, lists), made before it runs.
  std::function<void(const ui::DialogRef& dialog)> define;
  // The window that holds a control (a page of a folder); none: the dialog.
  std::function<HWND(int id)> host;
  // The values made consistent before they are saved.
  std::function<void(std::vector<std::string>& values)> adjust;
  // After the row was saved, with its values.
  std::function<void(const std::vector<std::string>& values)> saved;
};

// What a row's dialog is for; its title starts " Añadir", " Modificar" or " Eliminar".
enum class RowMode { kAdd, kModify, kDelete };

// Runs the dialog over the current row (a new one when `add`); true when saved.
bool EditRow(const RowDialog& dialog, bool add);
// Runs the dialog over the current row, every control read only; "Aceptar" deletes the row
// under its lock unless `refused` answers true (having told the user why). True when deleted.
bool DeleteRow(const RowDialog& dialog, const std::function<bool()>& refused = {});

RowDialog TableDialog(const std::string& alias);
RowDialog IndexDialog(const std::string& alias, bool add);
// The field's general data (its coded values are kept in CampoRes).
RowDialog FieldDialog(const std::string& alias, bool add);
// MngCampo: the field dialog with its pages "Datos generales" and "Valores predefinidos" (the
// coded values, edited in a working copy saved with the field) over the open dictionary.
bool MngCampo(bool add);
// One coded value's dialog ("TD_VALOR"): the value and what it stands for; true when accepted.
bool EditCodedValue(const std::string& title, std::string& value, std::string& result);
RowDialog CategoryDialog(const std::string& alias, RowMode mode);
RowDialog GraphicDialog(const std::string& alias, RowMode mode);
RowDialog GraphicCategoryDialog(const std::string& alias, RowMode mode);
RowDialog SubCategoryDialog(const std::string& alias, const std::string& categories, RowMode mode);
inline RowMode AddOrModify(bool add) { return add ? RowMode::kAdd : RowMode::kModify; }
inline RowDialog CategoryDialog(const std::string& alias, bool add) { return CategoryDialog(alias, AddOrModify(add)); }
inline RowDialog GraphicDialog(const std::string& alias, bool add) { return GraphicDialog(alias, AddOrModify(add)); }
inline RowDialog GraphicCategoryDialog(const std::string& alias, bool add) {
  return GraphicCategoryDialog(alias, AddOrModify(add));
}
inline RowDialog SubCategoryDialog(const std::string& alias, const std::string& categories, bool add) {
  return SubCategoryDialog(alias, categories, AddOrModify(add));
}

}  // namespace reports
