// The dictionary's maintenance steps, each on its rows: tables imported from their files and
// deleted with their fields and indexes, fields that keys and relations still use, relations
// saved with the paths they open, environments, fonts, categories. The tables are those of
// an open dictionary, reached by their aliases.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/array.h"
#include "runtime/value.h"

namespace reports {

struct DictAliases {
  std::string tablas = "Tablas";
  std::string campos = "Campos";
  std::string indices = "Indices";
  std::string relacion = "Relacion";
  std::string reltab = "RelTab";
};

// Whether `name` occurs in `text` as a whole identifier, without regard to case.
bool HasIdentifier(std::string_view text, std::string_view name);

// DoImport: the table's rows (`Tablas`, one `Campos` row a field, one `Indices` row a tag)
// from a table file, opened shared under the alias "Temp" in a free area and closed again.
// The name is the file's in upper case, without its last two characters (the company
// code) in the accounting product's layout. A name already described and a file that
// cannot be opened are refused with their messages. True when imported.
bool DoImport(const DictAliases& dict, const std::string& file);

// ActualTabla / ActualIndices: the described table's fields (tags) compared with those of the
// table file open under `file_alias`; the lines that differ, each "order field type width
// decimals" of the file and of the dictionary ("" for a side that lacks it), are returned and
// the file's fields (tags) the dictionary lacks are added after its last.
std::vector<std::string> ActualTabla(const DictAliases& dict, std::string_view table, std::string_view file_alias);
std::vector<std::string> ActualIndices(const DictAliases& dict, std::string_view table, std::string_view file_alias);

// DeleteTable: the table's row with its fields, their coded values and its indexes.
void DeleteTableRows(const DictAliases& dict, std::string_view table, std::string_view camposres = {});

// DelCampo's refusal: true when the field's name is used by a key of the table's indexes or
// by a search expression of a relation (from or to the table).
bool FieldInUse(const DictAliases& dict, std::string_view table, std::string_view field);

// TI_EXISTERELACION: a relation with that origin, destination, tag and search expression.
bool ExisteRelacion(std::string_view alias, std::string_view origin, std::string_view destination,
                    std::string_view tag, std::string_view expression);
// TI_LCHECKRELACION: the search expression compiles and the destination has that tag
// among its `Indices` rows.
bool lCheckRelacion(std::string_view indices_alias, std::string_view destination, std::string_view tag,
                    std::string_view expression);
// TI_GUARDARELACION: a new relation numbered after the highest; a direct one brings `RelTab`
// in line with the paths there are (those it opens added). Returns its number.
int GuardaRelacion(const DictAliases& dict, std::string_view origin, std::string_view expression,
                   std::string_view destination, std::string_view tag, std::string_view description, bool direct,
                   std::string_view products);
// ModificaRelacion: the current `Relacion` row changed, keeping its number; `RelTab` brought
// in line as after saving a new one. False when the row cannot be locked.
bool ModificaRelacion(const DictAliases& dict, std::string_view origin, std::string_view expression,
                      std::string_view destination, std::string_view tag, std::string_view description, bool direct,
                      std::string_view products);
// DelRelacion: the current `Relacion` row deleted and the paths through it taken from `RelTab`.
void DelRelacion(const DictAliases& dict);
// `RelTab` made to hold exactly the paths of `Relacion`: paths no longer there deleted,
// changed conditions rewritten, new paths added.
void SyncRelTab(const DictAliases& dict);
// Whether a table is related to the master: a `Relacion` or `RelTab` row leads there.
bool IsRelated(const DictAliases& dict, std::string_view master, std::string_view table);

// TI_SAVEENTORNO: the environment's rows replaced by one a table, in order, the first
// marked initial.
void SaveEntorno(std::string_view alias, std::string_view entorno, std::string_view description,
                 const std::vector<std::string>& tables);

// TI_LENCAMPO: the printed width of a field: its width, at least its description's, 8 for
// dates, 1 for logicals (maximum width when set).
int LenCampo(std::string_view type, int width, int decimals, std::string_view description, int max_width = 0);

// TI_SELECFONT's row: the number of an equal font in `Fonts`, or a new row numbered after
// the highest. TI_SELECFONT's label: face + ", " + points + " Negrita" / " Cursiva".
int FontRow(std::string_view alias, std::string_view face, double width, double height, bool bold, bool italic,
            std::int64_t color);
std::string FontLabel(std::string_view face, double points, bool bold, bool italic);
// TI_NPOSFONT: the position (1-based, 0 when absent) of a font number in a list of numbers.
int nPosFont(const xb::Array& fonts, std::int64_t font);

// LVALIDCATEGORIA: the category exists in `Categor` (an empty one is valid).
bool lValidCategoria(std::string_view alias, std::string_view category);

// Registers TI_EXISTERELACION, TI_LCHECKRELACION, TI_GUARDARELACION, TI_SAVEENTORNO,
// TI_SAVETABLE, TI_LSAVECAMPO, TI_LSAVEINDICE, TI_LCHGFIELDS, TI_LNOEXISTE, TI_LNOINDICE,
// TI_EXPRADD, TI_LCAMBIA, TI_UEMPTYCOMBOS, TI_FILLARRAY, TI_ADATOSCABH, TI_NPOSFONT, LVALIDCATEGORIA,
// and TI_LENCAMPO.
void RegisterDictionaryRows();

}  // namespace reports
