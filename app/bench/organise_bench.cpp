// The organisation of one demo company with the engine alone: every catalogue table packed,
// every tag created, the accumulators, statistics and customer risk recomputed; measured
// against a plain copy of the company folder.
//
//   organise_bench [--registros N] [--arbol CARPETA]
//
// Without --arbol a demo tree of N records (2000000) is written to a temporary folder
// first. The company folder DBF01 and the start folder are copied to a work folder (the
// copy is timed, and also `cp -r` where there is one), and the copy is organised.
#include <chrono>
#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/console_text.h"
#include "app/demo_data.h"
#include "app/index_catalogue.h"
#include "app/organise.h"
#include "app/org_environment.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int ProcessId() {
#if defined(_WIN32)
  return static_cast<int>(_getpid());
#else
  return static_cast<int>(getpid());
#endif
}

double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

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

std::uintmax_t FolderBytes(const fs::path& p, std::uintmax_t* files) {
  std::uintmax_t bytes = 0;
  for (const auto& e : fs::recursive_directory_iterator(p))
    if (e.is_regular_file()) {
      bytes += e.file_size();
      ++*files;
    }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  app::DemoOptions options;
  options.records = 2000000;
  options.small_records = 200;
  std::string tree;
  bool generated = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--registros" && i + 1 < argc) options.records = std::strtoull(argv[++i], nullptr, 10);
    else if (arg == "--arbol" && i + 1 < argc) tree = argv[++i];
    else {
      app::Say(stderr, "Uso: organise_bench [--registros N] [--arbol CARPETA]\n");
      return 2;
    }
  }
  app::InitOrganisationEnvironment();
  // A folder of this run's own: two benchmarks running at once must not share one.
  const fs::path scratch = fs::temp_directory_path() / ("vdr_organise_bench_" + std::to_string(ProcessId()));
  std::error_code ec;
  if (tree.empty()) {
    generated = true;
    tree = (scratch / "demo").string();
    fs::remove_all(tree, ec);
    const auto t = Clock::now();
    app::DemoSummary summary;
    std::string error;
    if (!app::WriteDemoTree(tree, options, &summary, &error)) {
      app::Say(stderr, "%s\n", error.c_str());
      return 1;
    }
    app::Say(stdout, "datos de demostración: %llu registros en %.2f s\n", static_cast<unsigned long long>(summary.records),
                Since(t));
  }

  const fs::path work = scratch / "work";
  fs::remove_all(work, ec);
  fs::create_directories(work);
  std::uintmax_t files = 0;
  const std::uintmax_t bytes = FolderBytes(fs::path(tree) / "DBF01", &files);
  auto t = Clock::now();
  fs::copy(fs::path(tree) / "DBF01", work / "DBF01", fs::copy_options::recursive);
  const double copy_seconds = Since(t);
  fs::copy(fs::path(tree) / "DBF", work / "DBF", fs::copy_options::recursive);
  double cp_seconds = -1;
#if !defined(_WIN32)
  fs::remove_all(work / "copia", ec);
  t = Clock::now();
  const std::string command = "cp -r '" + (fs::path(tree) / "DBF01").string() + "' '" + (work / "copia").string() + "'";
  if (std::system(command.c_str()) == 0) cp_seconds = Since(t);
  fs::remove_all(work / "copia", ec);
#endif

  app::Folders folders{(work / "DBF01" / "").string(), (work / "DBF" / "").string()};
  Timing timing;
  app::CompanySettings company;
  if (!app::LoadCompanySettings(folders.company, &company, timing)) return 1;
  app::OrganiseOptions all;
  all.risk = true;
  timing.start = timing.phase = Clock::now();
  const app::OrganiseResult result = app::OrganiseCompany(folders, all, &company, options.today, timing);
  timing.Close("");
  const double total = Since(timing.start);

  app::Say(stdout, "empresa 01: %ju ficheros, %.1f MB\n", files, static_cast<double>(bytes) / 1e6);
  app::Say(stdout, "copia de la carpeta (std::filesystem): %.2f s\n", copy_seconds);
  if (cp_seconds >= 0) app::Say(stdout, "copia de la carpeta (cp -r): %.2f s\n", cp_seconds);
  for (const auto& [name, seconds] : timing.phases) app::Say(stdout, "  %-34s %.2f s\n", name.c_str(), seconds);
  app::Say(stdout, "organización completa: %.2f s (acumulados %s, gráficos %s, riesgo %s, %d fallos)\n", total,
              result.stock ? "sí" : "no", result.statistics ? "sí" : "no", result.risk ? "sí" : "no", timing.failures);
  fs::remove_all(generated ? scratch : work, ec);
  fs::remove(scratch, ec);  // the run's own folder, empty by now
  return 0;
}
