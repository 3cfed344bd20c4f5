// The consistency check of the described tables (CheckFiles): each table of `Tablas` is
// opened where it lives and its fields and tags are compared with its `Campos` and
// `Indices` rows; then `RelTab` is rebuilt from `Relacion`. The lines go to the dialog as
// they are written and then to "Chequeo.log" in the dictionary folder.
#pragma once

#include <string>
#include <vector>

namespace reports {

// The folder a described table lives in: with its exact-folder flag the branch folder when
// one is set, else its own RUTA; without it the company's folder.
std::string DescribedTableFolder(bool exacta, const std::string& ruta);

// Runs the check over the dictionary of `folder`; `relations`: RelTab is rebuilt too.
// Returns the lines written.
std::vector<std::string> CheckFiles(const std::string& folder, bool relations = true);

}  // namespace reports
