// The header-model lookup: a code field and its description label look up a record of a
// header-model table (fields COD, 3 characters, and DESCRIP) in a dialog with an incremental
// search by code or by description.
#pragma once

#include <string>

namespace ui {

class TGet;
class TSay;
class TWBrowse;

// UFINDCABEZA: for nKey 43 (the lookup request) it opens the dialog positioned on the
// field's code, writes the chosen code into the field and its description into the label
// (both empty when nothing was chosen) and answers false (the key is used); any other key
// answers true.
bool UFindCabeza(int key, TGet* field, TSay* label, const std::string& alias);
// UFIND: the dialog; the chosen COD, or three spaces. The area's record and order are as
// they were afterwards.
std::string UFind(const std::string& alias);
// CHGGET: the search by code (order 1) or by description (order 2): the order set, the
// field emptied to its width, label and browse shown again.
bool ChgGet(const std::string& alias, int order, TGet* field, TSay* label, TWBrowse* browse);
// LKEYPUSH: the field's change block. A printable key extends the text before the caret
// and that is sought: found, the browse goes there and the field shows it; not found, the
// table stays where it was. False: the field never inserts the key itself.
bool LKeyPush(int key, TGet* field, const std::string& alias, TWBrowse* browse, TSay* label, int order);

// Registers UFINDCABEZA, UFIND, CHGGET and LKEYPUSH by name.
void RegisterHeaderLookup();

}  // namespace ui
