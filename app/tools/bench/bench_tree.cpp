#include "app/tools/bench/bench_tree.h"

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif
#include <cstdio>
#include <cstdlib>

#include "app/tools/console_text.h"

namespace app::bench {
namespace {

namespace fs = std::filesystem;

int ProcessId() {
#if defined(_WIN32)
  return static_cast<int>(_getpid());
#else
  return static_cast<int>(getpid());
#endif
}

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

bool ReadBenchArgs(int argc, char** argv, const char* program, BenchTree* bench) {
  bench->options.records = 2000000;
  bench->options.small_records = 200;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--registros" && i + 1 < argc) bench->options.records = std::strtoull(argv[++i], nullptr, 10);
    else if (arg == "--arbol" && i + 1 < argc) bench->tree = argv[++i];
    else {
      app::Say(stderr, "Uso: %s [--registros N] [--arbol CARPETA]\n", program);
      return false;
    }
  }
  return true;
}

bool PrepareBenchTree(const char* name, BenchTree* bench) {
  // A folder of this run's own: two benchmarks running at once must not share one.
  bench->scratch = fs::temp_directory_path() / (std::string(name) + "_" + std::to_string(ProcessId()));
  std::error_code ec;
  if (bench->tree.empty()) {
    bench->generated = true;
    bench->tree = bench->scratch / "demo";
    fs::remove_all(bench->tree, ec);
    const auto t = Clock::now();
    app::DemoSummary summary;
    std::string error;
    if (!app::WriteDemoTree(bench->tree.string(), bench->options, &summary, &error)) {
      app::Say(stderr, "%s\n", error.c_str());
      return false;
    }
    app::Say(stdout, "datos de demostración: %llu registros en %.2f s\n",
             static_cast<unsigned long long>(summary.records), Since(t));
  }

  bench->work = bench->scratch / "work";
  fs::remove_all(bench->work, ec);
  fs::create_directories(bench->work / "TMP");
  const fs::path company = bench->tree / "DBF01";
  bench->bytes = FolderBytes(company, &bench->files);
  const auto t = Clock::now();
  fs::copy(company, bench->work / "DBF01", fs::copy_options::recursive);
  bench->copy_seconds = Since(t);
  fs::copy(bench->tree / "DBF", bench->work / "DBF", fs::copy_options::recursive);
#if !defined(_WIN32)
  const fs::path copy = bench->work / "copia";
  fs::remove_all(copy, ec);
  const auto c = Clock::now();
  const std::string command = "cp -r '" + company.string() + "' '" + copy.string() + "'";
  if (std::system(command.c_str()) == 0) bench->cp_seconds = Since(c);
  fs::remove_all(copy, ec);
#endif
  return true;
}

void RemoveBenchTree(const BenchTree& bench) {
  std::error_code ec;
  fs::remove_all(bench.generated ? bench.scratch : bench.work, ec);
  fs::remove(bench.scratch, ec);  // the run's own folder, empty by now
}

}  // namespace app::bench
