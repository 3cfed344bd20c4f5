// The organisation of one demo company with the engine alone: every catalogue table packed,
// every tag created, the accumulators, statistics and customer risk recomputed; measured
// against a plain copy of the company folder.
//
//   organise_bench [--registros N] [--arbol CARPETA]
//
// Without --arbol a demo tree of N records (2000000) is written to a temporary folder
// first. The company folder DBF01 and the start folder are copied to a work folder (the
// copy is timed, and also `cp -r` where there is one), and the copy is organised.
#include <string>
#include <utility>
#include <vector>

#include "app/org/index_catalogue.h"
#include "app/org/org_environment.h"
#include "app/org/organise.h"
#include "app/tools/bench/bench_tree.h"
#include "app/tools/console_text.h"

namespace {

using app::bench::Clock;
using app::bench::Since;

struct Timing : app::OrganiserEvents {
  Clock::time_point start = Clock::now(), phase = start;
  std::string current = "índices";
  std::vector<std::pair<std::string, double>> phases;
  int failures = 0;

  void Close(const std::string& next) {
    phases.emplace_back(current, Since(phase));
    phase = Clock::now();
    current = next;
  }
  void Title(std::string_view title) override {
    if (title.rfind("ACTUALIZANDO", 0) == 0) Close(std::string(title));
  }
  void Meter(int meter, int value) override {
    if (meter == app::kStatisticsMeter && value == 100 && current == "ACTUALIZANDO GRAFICOS") Close("riesgo de clientes");
  }
  void TableFailed(const app::TableFailure& f) override {
    ++failures;
    app::Say(stderr, "fallo: %s %s\n", f.path.c_str(), f.description.c_str());
  }
  void ReindexStartFolder(const std::string& start) override {
    app::OrganiserEvents::ReindexStartFolder(start);
    Close("recálculos");
  }
};

}  // namespace

int main(int argc, char** argv) {
  app::bench::BenchTree bench;
  if (!app::bench::ReadBenchArgs(argc, argv, "organise_bench", &bench)) return 2;
  app::InitOrganisationEnvironment();
  if (!app::bench::PrepareBenchTree("vdr_organise_bench", &bench)) return 1;

  app::Folders folders{(bench.work / "DBF01" / "").string(), (bench.work / "DBF" / "").string()};
  Timing timing;
  data::CompanySettings company;
  if (!app::LoadCompanySettings(folders.company, &company, timing)) return 1;
  app::OrganiseOptions all;
  all.risk = true;
  timing.start = timing.phase = Clock::now();
  const app::OrganiseResult result = app::OrganiseCompany(folders, all, &company, bench.options.today, timing);
  timing.Close("");
  const double total = Since(timing.start);

  app::Say(stdout, "empresa 01: %llu ficheros, %.1f MB\n", static_cast<unsigned long long>(bench.files),
           static_cast<double>(bench.bytes) / 1e6);
  app::Say(stdout, "copia de la carpeta (std::filesystem): %.2f s\n", bench.copy_seconds);
  if (bench.cp_seconds >= 0) app::Say(stdout, "copia de la carpeta (cp -r): %.2f s\n", bench.cp_seconds);
  for (const auto& [name, seconds] : timing.phases) app::Say(stdout, "  %-34s %.2f s\n", name.c_str(), seconds);
  app::Say(stdout, "organización completa: %.2f s (acumulados %s, gráficos %s, riesgo %s, %d fallos)\n", total,
              result.stock ? "sí" : "no", result.statistics ? "sí" : "no", result.risk ? "sí" : "no", timing.failures);
  app::bench::RemoveBenchTree(bench);
  return 0;
}
