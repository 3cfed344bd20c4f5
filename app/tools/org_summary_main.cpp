// vdr_orgsummary: what an organisation did to a company of a data tree, read back from its
// files.
//
//   vdr_orgsummary antes CARPETA EMPRESA ESTADO
//   vdr_orgsummary despues CARPETA EMPRESA ESTADO SEGUNDOS
//
// "antes" writes the state of company EMPRESA of the tree CARPETA (which holds DBF\ and
// DBF<EMPRESA>\) into the file ESTADO; "despues" reads the tree again, compares it with that
// state and prints the report: per table the records before and after and the tags built,
// the totals, the company freed, the recomputed sums and the time SEGUNDOS. Its exit code is
// 0 when the organisation is complete, 1 when something is missing, 2 on wrong arguments.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "app/org/org_environment.h"
#include "app/tools/console_text.h"
#include "app/tools/org_summary.h"

namespace {

int Usage(const char* message) {
  app::Say(stderr,
           "%s\nUso: vdr_orgsummary antes CARPETA EMPRESA ESTADO\n"
           "     vdr_orgsummary despues CARPETA EMPRESA ESTADO SEGUNDOS\n",
           message);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) return Usage("Faltan argumentos.");
  const std::string mode = argv[1], root = argv[2], code = argv[3], state_file = argv[4];
  if (mode != "antes" && mode != "despues") return Usage(("Modo no reconocido: " + mode).c_str());
  double seconds = 0;
  if (mode == "despues") {
    if (argc != 6) return Usage("Falta el tiempo en segundos.");
    char* end = nullptr;
    seconds = std::strtod(argv[5], &end);
    if (!end || *end || end == argv[5] || seconds < 0) return Usage("Tiempo no válido.");
  } else if (argc != 5) {
    return Usage("Sobran argumentos.");
  }

  app::InitOrganisationEnvironment();
  app::CompanyState before;
  if (mode == "despues") {
    std::ifstream in(state_file, std::ios::binary);
    if (!in.is_open()) return Usage(("No se puede leer " + state_file).c_str());
    const std::string text(std::istreambuf_iterator<char>(in), {});
    if (!app::ParseStateText(text, &before)) return Usage(("Estado no válido: " + state_file).c_str());
  }
  const app::CompanyState now = app::ReadCompanyState(root, code, before.taken);
  if (!now.listed) app::Say(stderr, "La empresa %s no figura en la tabla de empresas de %s.\n", code.c_str(), root.c_str());
  if (mode == "antes") {
    std::ofstream out(state_file, std::ios::binary | std::ios::trunc);
    out << app::StateText(now);
    if (!out.flush()) {
      app::Say(stderr, "No se puede escribir %s.\n", state_file.c_str());
      return 1;
    }
    return 0;
  }
  app::Put(stdout, app::OrganisationSummary(before, now, seconds));
  return app::OrganisationComplete(before, now) ? 0 : 1;
}
