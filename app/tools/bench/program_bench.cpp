// The program as an installation runs it: `Vdr.exe 01` in parameter mode organising company 01
// of demo trees of 200,000, 700,000 and 2,000,000 records, under Windows (or Wine), with the
// seconds of each phase read from the marks the program leaves in the file VDR_FASES names,
// next to a plain copy of the company folder; and `Vdr.exe 99` (no such company: start-up,
// dialog and end).
//
//   program_bench [--registros N]... [--veces K]
//
// Each tree is written once; every run organises a fresh copy of it, put on disk first, and the
// fastest of K runs (3) is shown. Run it from the build's bin folder, where Vdr.exe and VDRE.DLL are.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/org/org_environment.h"
#include "app/tools/bench/bench_tree.h"
#include "app/tools/console_text.h"
#include "app/tools/demo_data.h"

namespace {

namespace fs = std::filesystem;
using app::bench::Clock;
using app::bench::Since;

double Now() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

struct Phase {
  std::string name;
  double seconds = 0;
};

struct Run {
  double total = 0;
  unsigned long exit_code = 0;
  std::vector<Phase> phases;
};

// Runs `Vdr.exe <code>` in the tree's program folder; false when it cannot start.
bool RunProgram(const fs::path& tree, const std::string& code, Run* run) {
  const fs::path marks = tree / "TMP" / "fases.txt";
  std::error_code ec;
  fs::remove(marks, ec);
  SetEnvironmentVariableA("VDR_FASES", marks.string().c_str());
  std::string command = "\"" + (tree / "VDR" / "Vdr.exe").string() + "\" " + code;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const std::string folder = (tree / "VDR").string();
  const double start = Now();
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &process))
    return false;
  WaitForSingleObject(process.hProcess, INFINITE);
  const double end = Now();
  GetExitCodeProcess(process.hProcess, &run->exit_code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  SetEnvironmentVariableA("VDR_FASES", nullptr);

  run->total = end - start;
  run->phases.clear();
  double last = start;
  std::ifstream in(marks);
  for (std::string line; std::getline(in, line);) {
    std::istringstream fields(line);
    double at = 0;
    std::string name;
    if (!(fields >> at) || !std::getline(fields >> std::ws, name)) continue;
    if (name == "fin") continue;  // the end is counted up to the program's exit
    run->phases.push_back({name, at - last});
    last = at;
  }
  run->phases.push_back({"fin", end - last});
  return true;
}

// A fresh copy of the tree with the program installed in its program folder; the seconds of
// a plain copy of its company folder in *copy_seconds.
bool FreshCopy(const fs::path& tree, const fs::path& work, const fs::path& programs, double* copy_seconds) {
  std::error_code ec;
  fs::remove_all(work, ec);
  fs::copy(tree, work, fs::copy_options::recursive, ec);
  if (ec) return false;
  const auto t = Clock::now();
  fs::copy(work / "DBF01", work / "copia", fs::copy_options::recursive, ec);
  *copy_seconds = Since(t);
  fs::remove_all(work / "copia");
  for (const char* file : {"Vdr.exe", "VDRE.DLL"}) {
    fs::copy_file(programs / file, work / "VDR" / file, fs::copy_options::overwrite_existing, ec);
    if (ec) return false;
  }
  // On disk before the run, as an installation's files are: otherwise the system writes the
  // copy out while the program runs, and the program's own syncs wait for it.
  for (const auto& e : fs::recursive_directory_iterator(work, ec)) {
    if (!e.is_regular_file()) continue;
    HANDLE h = CreateFileW(e.path().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) continue;
    FlushFileBuffers(h);
    CloseHandle(h);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::uint64_t> sizes;
  int times = 3;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--registros" && i + 1 < argc) sizes.push_back(std::strtoull(argv[++i], nullptr, 10));
    else if (arg == "--veces" && i + 1 < argc) times = std::max(1, std::atoi(argv[++i]));
    else {
      app::Say(stderr, "Uso: program_bench [--registros N]... [--veces K]\n");
      return 2;
    }
  }
  if (sizes.empty()) sizes = {200000, 700000, 2000000};
  app::InitOrganisationEnvironment();  // the demo tree is indexed as the program would
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const fs::path programs = fs::path(self).parent_path();
  if (!fs::exists(programs / "Vdr.exe") || !fs::exists(programs / "VDRE.DLL")) {
    app::Say(stderr, "No están Vdr.exe y VDRE.DLL junto al benchmark\n");
    return 1;
  }
  // A hidden window keeps the desktop up between runs, as Windows always has it: under Wine the
  // desktop process ends soon after the last program with a window, and each run would pay for
  // starting it again.
  HWND desktop_keeper = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  const fs::path scratch = fs::temp_directory_path() / ("vdr_program_bench_" + std::to_string(GetCurrentProcessId()));
  const fs::path tree = scratch / "demo", work = scratch / "work";
  int status = 0;
  for (std::uint64_t records : sizes) {
    std::error_code ec;
    fs::remove_all(scratch, ec);
    app::DemoOptions options;
    options.records = records;
    options.small_records = 200;
    app::DemoSummary summary;
    std::string error;
    if (!app::WriteDemoTree(tree.string(), options, &summary, &error)) {
      app::Say(stderr, "%s\n", error.c_str());
      return 1;
    }
    std::uintmax_t bytes = 0;
    for (const auto& e : fs::recursive_directory_iterator(tree / "DBF01"))
      if (e.is_regular_file()) bytes += e.file_size();

    Run best, empty;
    double best_copy = 0, copy = 0;
    for (int k = 0; k < times; ++k) {
      Run run;
      if (!FreshCopy(tree, work, programs, &copy) || !RunProgram(work, "01", &run)) {
        app::Say(stderr, "No se ha podido preparar o arrancar Vdr.exe\n");
        return 1;
      }
      if (run.exit_code != 0) status = 1;
      if (k == 0 || run.total < best.total) best = run;
      if (k == 0 || copy < best_copy) best_copy = copy;
    }
    for (int k = 0; k < times; ++k) {
      Run run;
      if (!RunProgram(work, "99", &run)) return 1;
      if (k == 0 || run.total < empty.total) empty = run;
    }

    app::Say(stdout, "%llu registros (empresa 01: %.1f MB), la más rápida de %d:\n",
             static_cast<unsigned long long>(summary.records), static_cast<double>(bytes) / 1e6, times);
    app::Say(stdout, "  copia de la carpeta de la empresa   %6.2f s\n", best_copy);
    for (const Phase& p : best.phases) app::Say(stdout, "  %-34s %6.2f s\n", p.name.c_str(), p.seconds);
    app::Say(stdout, "  Vdr.exe 01 en total                 %6.2f s (%.1f veces la copia%s)\n", best.total,
             best_copy > 0 ? best.total / best_copy : 0.0, best.exit_code == 0 ? "" : "; terminó con error");
    app::Say(stdout, "  Vdr.exe 99 (nada que organizar)     %6.2f s\n", empty.total);
  }
  std::error_code ec;
  fs::remove_all(scratch, ec);
  if (desktop_keeper) DestroyWindow(desktop_keeper);
  return status;
}
