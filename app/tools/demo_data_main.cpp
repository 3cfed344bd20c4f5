// vdr_demodata: writes the demo data tree.
//
//   vdr_demodata CARPETA [--registros N] [--pequenas N] [--fecha AAAAMMDD] [--sin-indices]
//                [--sin-usuarios] [--graficos-desbordados]
//
// CARPETA receives DBF\ (start folder), DBF01\ ... DBF04\ (companies), VDR\, TMP\ and INF\.
// --registros: about how many records the first company gets (20000; 2000000 for the
// benchmark); --pequenas: the other companies (2000); --fecha: the last day of the
// documents (20261201); --sin-indices: the tables without their index files; --sin-usuarios:
// a start folder where nobody has logged in yet (no user, group, menu or macro tables);
// --graficos-desbordados: the first company's monthly statistics do not fit `Graph`.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/org/org_environment.h"
#include "app/tools/console_text.h"
#include "app/tools/demo_data.h"

namespace {

int Usage(const char* message) {
  app::Say(stderr, "%s\nUso: vdr_demodata CARPETA [--registros N] [--pequenas N] [--fecha AAAAMMDD] [--sin-indices]\n"
               "                    [--sin-usuarios] [--graficos-desbordados]\n",
               message);
  return 2;
}

bool Number(const char* text, std::uint64_t* out) {
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text, &end, 10);
  if (!end || *end || end == text) return false;
  *out = v;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  app::DemoOptions options;
  std::string root;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool has_value = i + 1 < argc;
    if (arg == "--registros" && has_value) {
      if (!Number(argv[++i], &options.records) || options.records == 0) return Usage("Número de registros no válido.");
    } else if (arg == "--pequenas" && has_value) {
      if (!Number(argv[++i], &options.small_records)) return Usage("Número de registros no válido.");
    } else if (arg == "--fecha" && has_value) {
      options.today = xb::Date::FromDtos(argv[++i]);
      if (options.today.IsEmpty()) return Usage("Fecha no válida: se espera AAAAMMDD.");
    } else if (arg == "--sin-indices") {
      options.indexes = false;
    } else if (arg == "--sin-usuarios") {
      options.users = false;
    } else if (arg == "--graficos-desbordados") {
      options.overflowing_statistics = true;
    } else if (!arg.empty() && arg[0] != '-' && root.empty()) {
      root = arg;
    } else {
      return Usage(("Argumento no reconocido: " + arg).c_str());
    }
  }
  if (root.empty()) return Usage("Falta la carpeta de destino.");

  app::InitOrganisationEnvironment();
  const auto start = std::chrono::steady_clock::now();
  app::DemoSummary summary;
  std::string error;
  if (!app::WriteDemoTree(root, options, &summary, &error)) {
    app::Say(stderr, "No se han podido escribir los datos de demostración: %s\n", error.c_str());
    return 1;
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  app::Say(stdout, "%llu tablas, %llu registros (%llu borrados) en %.1f s\n",
              static_cast<unsigned long long>(summary.tables), static_cast<unsigned long long>(summary.records),
              static_cast<unsigned long long>(summary.deleted), seconds);
  return 0;
}
