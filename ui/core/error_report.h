// The text of a run-time error for the user and for "Error.log": the one-line description
// (ERRORMESSAGE), the value texts of the log (CGETINFO), the version section (INFOVERSION)
// and the whole report, in its sections, each beginning with CR LF, every line ending in
// CR LF:
//
//   Aplicacion            program path, size and date, file handles, when the error came
//   Información sobre la versión.   one line per entry of the version record
//   " Descripción del error: " and the error's arguments
//   Secuencia de llamadas one " Llamado desde NAME(line)" per call level, innermost first
//   Sistema               processor, memory, resources, versions, running programs
//   Variables en uso      per call level its name and parameters (locals are not kept)
//   RDDs Enlazados, Bases de datos en uso (per work area: alias, driver, position, orders)
//   Clases en uso :, Análisis de memoria
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/error.h"

namespace ui {

// ERRORMESSAGE.
std::string ErrorMessage(const xb::Error& error);
// CGETINFO.
std::string CGetInfo(const xb::Value& value);
// INFOVERSION.
std::string InfoVersion();
// " Memoria Hardware : " with the extended memory (in kilobytes) + 768, and that / 1024 as
// whole megabytes.
std::string HardwareMemoryLine(std::uint64_t extended_kb);

struct ErrorReport {
  std::string text;                // the whole report
  std::vector<std::string> calls;  // the " Llamado desde" lines, for the dialog's list
};
// The report of `error`, the call levels counted from `first_level` of the procedure stack
// (the level of the code that raised it) up to 71 more.
ErrorReport BuildErrorReport(const xb::Error& error, int first_level);

}  // namespace ui
