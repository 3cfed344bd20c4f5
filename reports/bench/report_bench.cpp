// A user report over a large master, run as the program runs it: its data written, then
// TInforme:RunInforme to a text file, timed, with the process's peak memory.
//
//   report_bench [--registros N] [--carpeta CARPETA] [--veces K] [--salidas impresora,vista,html]
//
// Without --carpeta the data are written to a temporary folder first (and removed after);
// with it they are written there when missing and kept. --veces runs the report K times to
// the text file (0: none). --salidas (Windows) then runs it once to each output named: the
// printer (the test printer, installed by testprinter.exe beside the program), the preview
// (closed once shown) and HTML pages, under the run's wait dialog, and tells the seconds of
// each, the longest the wait dialog could not paint and answer, and the process's memory.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include "data/data_functions.h"
#include "data/program_settings.h"
#include "data/table_access.h"
#include "reports/bench/report_bench_data.h"
#ifdef _WIN32
#include "reports/bench/report_bench_win.h"
#endif
#include "reports/report_functions.h"
#include "reports/report_run.h"
#include "reports/tdictqz.h"
#include "runtime/function_table.h"
#include "runtime/rdd/workareas.h"
#include "runtime/runtime.h"
#include "runtime/sets.h"

namespace {

using Clock = std::chrono::steady_clock;
double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// Peak and current resident memory, in megabytes.
double PeakMegabytes() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS c{};
  GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
  return static_cast<double>(c.PeakWorkingSetSize) / 1048576.0;
#else
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;
#endif
}
double CurrentMegabytes() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS c{};
  GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
  return static_cast<double>(c.WorkingSetSize) / 1048576.0;
#else
  long pages = 0, resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return static_cast<double>(resident) * 4096.0 / 1048576.0;
#endif
}

void InitEnvironment() {
  xb::InitRuntime();
  xb::rdd::InitTables();
  data::RegisterDataFunctions();
  data::ResetProgramSettings();
  xb::SetValue(xb::SET_DELETED, xb::Value::Logical(true));
  xb::SetValue(xb::SET_EXCLUSIVE, xb::Value::Logical(true));
  xb::rdd::SetDefaultDriver("ADS");
  data::nHandlers(255);
  reports::RegisterReportFunctions();
  reports::bench::RegisterBenchFunctions();
  xb::RegisterFunction("CCODUSER", [](xb::Args&) { return xb::Value::String("00"); });
}

}  // namespace

int main(int argc, char** argv) {
  reports::bench::ReportBenchData data;
  std::filesystem::path folder;
  int times = 1;
  std::vector<std::string> outputs;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--registros" && i + 1 < argc) data.records = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    else if (arg == "--carpeta" && i + 1 < argc) folder = argv[++i];
    else if (arg == "--veces" && i + 1 < argc) times = std::max(0, std::atoi(argv[++i]));
    else if (arg == "--salidas" && i + 1 < argc) {
      std::string list = argv[++i];
      for (std::size_t at = 0; at <= list.size();) {
        const std::size_t comma = std::min(list.find(',', at), list.size());
        if (comma > at) outputs.push_back(list.substr(at, comma - at));
        at = comma + 1;
      }
    } else {
      std::fprintf(stderr, "Uso: %s [--registros N] [--carpeta CARPETA] [--veces K] [--salidas impresora,vista,html]\n",
                   argv[0]);
      return 2;
    }
  }
#ifndef _WIN32
  if (!outputs.empty()) {
    std::fprintf(stderr, "report_bench: --salidas sólo en Windows\n");
    return 2;
  }
#endif
  const bool keep = !folder.empty();
  if (!keep) folder = std::filesystem::temp_directory_path() / ("vdr_report_bench_" + std::to_string(data.records));
  std::filesystem::create_directories(folder);
  std::filesystem::current_path(folder);
  InitEnvironment();

  const bool written = std::filesystem::exists("INF\\Informes.dbf") || std::filesystem::exists("INF/Informes.dbf");
  if (!written) {
    const Clock::time_point start = Clock::now();
    std::string error;
    if (!reports::bench::WriteReportBenchData(data, &error)) {
      std::fprintf(stderr, "report_bench: %s\n", error.c_str());
      return 1;
    }
    std::printf("datos: %u ventas escritas en %.1f s\n", data.records, Since(start));
  } else if (std::ifstream dbf{"DBF\\Ventas.dbf", std::ios::binary}) {
    // The data already there: their sales count, from the table's header.
    unsigned char header[8] = {};
    dbf.read(reinterpret_cast<char*>(header), sizeof header);
    data.records = header[4] | header[5] << 8 | header[6] << 16 | static_cast<std::uint32_t>(header[7]) << 24;
  }

  xb::Ref<reports::TDictQZ> dict = xb::MakeRef<reports::TDictQZ>();
  dict->New("INF");
  if (!dict->Activate("I", false)) {
    std::fprintf(stderr, "report_bench: no se pudo abrir el diccionario\n");
    return 1;
  }
  const std::string out = (folder / "escala.txt").string();
  int failures = 0;
  for (int n = 1; n <= times; ++n) {
    reports::TInforme inf;
    inf.oStDestino.nDestino = 2;
    inf.oStDestino.cFileDst = out;
    const double before = CurrentMegabytes();
    const Clock::time_point start = Clock::now();
    const bool printed = inf.RunInforme(reports::bench::kBenchReport);
    const double seconds = Since(start);
    std::uintmax_t bytes = 0, lines = 0;
    std::string total_line;
    if (std::ifstream in{out, std::ios::binary}) {
      std::string line;
      while (std::getline(in, line)) {
        ++lines;
        if (line.rfind("Total general", 0) == 0) total_line = line;
      }
      bytes = std::filesystem::file_size(out);
    }
    // The grand total of "Importe" (its column's cells, "@E" form) against the data's.
    std::string digits;
    for (char c : total_line.substr(std::min<std::size_t>(total_line.size(), 27), 17))
      if (c >= '0' && c <= '9') digits += c;
    const bool total_ok = !digits.empty() && std::stoull(digits) == reports::bench::ExpectedTotalCents(data);
    if (!total_ok) std::printf("total general incorrecto: \"%s\"\n", total_line.c_str());
    if (!total_ok) ++failures;
    std::printf("informe %d: %s, %.1f s, %ju páginas (%ju bytes), memoria %.0f MB antes, pico %.0f MB, %.0f MB después\n",
                n, printed ? "impreso" : "NO impreso", seconds, lines / 64, bytes, before, PeakMegabytes(),
                CurrentMegabytes());
    if (!printed) ++failures;
  }
#ifdef _WIN32
  if (!outputs.empty()) {
    std::string error;
    if (!reports::bench::InitWindowedOutputs(&error)) {
      std::fprintf(stderr, "report_bench: %s\n", error.c_str());
      return 1;
    }
    for (const std::string& output : outputs) {
      const double before = CurrentMegabytes();
      const reports::bench::OutputTiming t = reports::bench::RunOutput(reports::bench::kBenchReport, output, folder.string());
      std::printf("%s: %s, %.1f s, %s; espera sin atender %.1f s como mucho (antes de: %s); memoria %.0f MB antes, "
                  "pico %.0f MB, %.0f MB después\n",
                  output.c_str(), t.printed ? "impreso" : "NO impreso", t.seconds, t.note.c_str(), t.longest_silence,
                  t.silence_before.c_str(), before, PeakMegabytes(), CurrentMegabytes());
      if (!t.printed) ++failures;
    }
  }
#endif
  dict->End();
  xb::rdd::WorkAreas::Get().CloseAll();
  std::filesystem::current_path(folder.parent_path());
  if (!keep) std::filesystem::remove_all(folder);
  return failures == 0 ? 0 : 1;
}
