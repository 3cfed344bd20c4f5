// Report definitions kept in the dictionary: a report is its row in Informes and its rows in
// Columnas, Condicio, Recol, CnfColum and Inicial. They are deleted all together under
// their locks, duplicated under a new code, and restored by the supervisor from the
// delivered copies DInfo1 to DInfo8. The dictionary is open (TDictQZ::AliasOf).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "runtime/value.h"

namespace reports {

// The six tables of a definition, in the order of the delivered copies DInfo1 to DInfo6.
const std::vector<std::string>& DefinitionTables();

// DelInforme: with full access, every row of the report in the six tables is locked first;
// only when all are held are they deleted. False (and said) when one is held elsewhere.
bool DelInforme(std::string_view code);

// DuplicateInforme: the report's rows copied under `to` in category `category`.
bool DuplicateInforme(std::string_view from, std::string_view to, std::string_view category);

// RestauraInf: the supervisor's restoration: the report tables must be free, and DInfo1 to
// DInfo8 open exclusively from the dictionary folder. Answers the aliases of the delivered
// copies (empty: refused, and said). CloseDelivered closes them.
std::vector<std::string> RestauraInf();
void CloseDelivered(const std::vector<std::string>& aliases);
// RecuperaInf: one report's rows replaced by the delivered ones (after the warning and
// the question).
bool RecuperaInf(const std::vector<std::string>& delivered, std::string_view code);

// TI_ACTDBF: the target's rows of report + document (+ type) replaced by the copy's; for a
// type, the last row's link becomes 1 and other links below 2 become 2.
bool ActDbf(std::string_view target, std::string_view copy, std::string_view informe, std::string_view infdoc,
            std::string_view type = {});

// TI_TIPOCOL: the name of a column kind ("" for none).
std::string TipoCol(int kind);
// TI_EXPTON: a calculated column's formula over the work fields: each "Colum" + digits
// names a field; a character field is read as a number (formatted with its mask first).
std::string ExpToN(std::string_view formula, const std::vector<std::string>& fields,
                   const std::vector<std::string>& types, const std::vector<std::string>& masks);
// TI_NEUROS: a pesetas value in euros (2 decimals) when euros are asked.
double nEuros(double value, bool euros, std::string_view currency);
// CMASCARANUMEROS: "@E " + the integer nines + "." + the decimal nines.
std::string cMascaraNumeros(int width, int decimals);
// TI_CALMASCARA: the euro form of a calculated column's mask when an operand is a pesetas
// column (`currencies` per field).
std::string CalMascara(std::string_view formula, std::string_view mask, const std::vector<std::string>& fields,
                       const std::vector<std::string>& currencies);
// ARESULTA: the substitution results (or the stored values) of a table's field.
std::vector<std::string> aResulta(std::string_view table, std::string_view field, bool stored = false);
// TI_TABLASEXP: the tables of an expression's environment (its own table without one).
std::vector<std::string> TablasExp(std::string_view code);
// TI_UFINDINFORME: the reports that follow `master` (INFMASTER) and whose products hold.
std::vector<std::string> InformesOf(std::string_view master);
// TI_RELINFORMES: the given reports follow `master`; the others that did follow it again
// themselves.
void RelInformes(std::string_view master, const std::vector<std::string>& following);
// LFICHERO: the file can be created (a failure is said).
bool lFichero(const std::string& file);
// TI_ASTATIC: the run-parameter store.
std::vector<xb::Value>& aStatic();

// Registers TI_ACTDBF, TI_TIPOCOL, TI_EXPTON, TI_NEUROS, CMASCARANUMEROS, TI_CALMASCARA,
// ARESULTA, TI_TABLASEXP, TI_UFINDINFORME, TI_RELINFORMES, TI_RECUPERAINF, LFICHERO,
// and TI_ASTATIC.
void RegisterReportDefinitions();

}  // namespace reports
