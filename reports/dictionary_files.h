// The dictionary's files: the folder, the tables created or repaired to their structures
// (CheckStruct) and their index files made again (DICTREINDEX).
#pragma once

#include <string>
#include <string_view>

namespace reports {

// The folder with a trailing "\" ("" stays "").
std::string DictFolder(std::string_view folder);

// The path of a dictionary table's file and of its index file.
std::string DictTablePath(const std::string& folder, std::string_view table);
std::string DictIndexPath(const std::string& folder, std::string_view table);

// Every table compared with its structure (count, then name, type, width and decimals of
// each field in order); a missing one is created empty, a different one rebuilt with its
// records. True when any table was created or rebuilt.
//
// A rebuild never loses the table: the new one is filled in "chkfile.dbf", the old table
// and its index are renamed aside, the new one takes the table's name, and only then is the
// old one erased. A step that fails puts the old table back. Values go field by field by
// name; a field whose type changed takes its value converted (number and text both ways)
// or stays empty, as does a number too wide for its new width.
bool CheckStruct(const std::string& folder);

// DICTREINDEX: the tags of every indexed table made again from scratch, in order, stopping
// at the first table that cannot be taken (one message). Without `force` nothing is done
// unless an index file is missing; a folder without "Tablas.dbf" is left alone. True when
// nothing failed.
bool DictReindex(std::string_view folder, bool force = false);

// Registers DICTREINDEX (its folder defaults to CPATHINFORME) and CDIRINFO.
void RegisterDictionaryFiles();

}  // namespace reports
