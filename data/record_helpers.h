// Record helpers over the selected work area: whole records to and from arrays (record
// images, one value per field in field order), a work area's position saved and restored,
// one field read or written by name or number, the look-up of a record image by key, the
// confirmed deletion of a browse's record, and the per-user printer tables' removal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/array.h"
#include "runtime/value.h"

namespace data {

// ACAMPOSLEE: the current record's image.
xb::Array aCamposLee();
// ACAMPOSGRABA: writes each element into the field of the same position (elements past
// the last field are ignored). True.
bool aCamposGraba(const xb::Array& record);
// ACAMPOSBLANK: an image of the empty value of each field's type (blanks of the field's
// width, 0, the empty date, false, an empty memo).
xb::Array aCamposBlank();

// AGETFIELD: the image of the record found by seeking `key` in `order` (a number or a tag
// name) of the area of `alias` (empty: the selected one), or the empty image when the key is
// not there. The area's record and order, and the selected area, are left as they were.
xb::Array aGetField(const xb::Value& key, const xb::Value& order, std::string_view alias = {});

// A work area's position: record number and order number.
struct AreaStatus {
  std::uint32_t record = 0;
  int order = 0;
};
// ASETSTATUS: the position of the area of `alias` (empty: the selected one).
AreaStatus aSetStatus(std::string_view alias = {});
// GETSTATUS: selects the order, then goes to the record.
void GetStatus(std::string_view alias, const AreaStatus& status);

// UGETCAMPO / UPUTCAMPO: one field of the current record by name (blanks ignored) or by
// number; any other kind of key reads NIL and writes nothing.
xb::Value uGetCampo(const xb::Value& field);
void uPutCampo(const xb::Value& field, const xb::Value& value);

// LDELRECORD: asks whether to delete the current record (of the browse's table when a
// browse is given); when confirmed and `delete_record`, deletes it and moves to a record
// that stays in view: the next one, else the one before, else the top (or, in a browse
// limited to a key range, the start of the range); the browse is then re-stabilised and
// repainted. True when the user confirmed.
bool lDelRecord(const xb::Value& browse = {}, bool delete_record = true);

// DELVENDBF / DELIMPRDBF: erase the start folder's "GesVen" + code and "GesPrn" + code
// tables with their index files.
void DelVenDbf(std::string_view user_code);
void DelImprDbf(std::string_view user_code);

// Registers the functions above under their upper-case names.
void RegisterRecordHelpers();

}  // namespace data
