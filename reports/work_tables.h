// The report generator's work tables: their free names, their tags, a table re-indexed from
// scratch, the rows of one key copied between a table and its temporary copy, one record
// copied to another area.
#pragma once

#include <string>
#include <string_view>

#include "runtime/array.h"
#include "runtime/value.h"

namespace reports {

// TI_CTNAME: see data::TemporaryName.
std::string cTName(std::string_view folder, bool group = false, std::string_view suffix = {});

// TI_INDEXDATA: takes `table` of `folder` exclusively, without its index, erases the index
// file, packs the table and creates each tag {name, key [, unique]} (`say` shows "Table
// Indice nº n"), closes it and moves `meter` to the number of calls so far, never past its
// total. False, the index kept, when the table cannot be taken.
bool IndexData(std::string_view table, std::string_view folder, const xb::Array& tags, const xb::Value& meter = {},
               const xb::Value& say = {});
// The calls counter of IndexData back to none (tests).
void ResetIndexDataCount();

struct KeyCopy {
  std::string from;          // alias of the rows' table
  std::string to;            // alias of the table receiving them
  xb::Value order;           // the order of both that the key is sought in
  xb::Value key;             // upper-cased when it is text
  xb::Value in_key{};        // a block: is the row still of the key (default: its order's
                             // key value begins with the key)
  std::string suffix{};      // joined to a text key before it is sought
};
// TI_TEMPTOMASTER: the target's rows of the key are deleted, then the source's are appended
// to it. TI_MASTERTOTEMP: only appended. A shared target changes only under its file lock;
// a refused lock changes nothing: false. Ends with a commit.
bool TempToMaster(const KeyCopy& copy);
bool MasterToTemp(const KeyCopy& copy);

// TI_RECCOPY: every field of the selected area's current record into the field of the same
// name of the current record of `target`.
void RecCopy(std::string_view target);

// Registers TI_CTNAME, TI_INDEXGENERAL, TI_INDEXDATA, TI_TEMPTOMASTER, TI_MASTERTOTEMP and
// TI_RECCOPY.
void RegisterWorkTables();

}  // namespace reports
