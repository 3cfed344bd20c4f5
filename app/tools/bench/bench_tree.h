// The organisation benchmarks' common ground: their arguments, a demo tree (written or given)
// and a work copy of its company 01 and start folder, in a folder of the run's own.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

#include "app/tools/demo_data.h"

namespace app::bench {

using Clock = std::chrono::steady_clock;

inline double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

struct BenchTree {
  app::DemoOptions options;  // the demo tree's records and date
  std::filesystem::path scratch;  // the run's own folder
  std::filesystem::path tree;     // the demo tree: written under scratch, or given
  std::filesystem::path work;     // the copy organised: DBF01, DBF and TMP
  bool generated = false;
  std::uintmax_t files = 0, bytes = 0;  // of the company folder
  double copy_seconds = 0;              // std::filesystem's copy of the company folder
  double cp_seconds = -1;               // `cp -r` of it, where there is one
};

// Reads [--registros N] [--arbol CARPETA]; false after printing the usage.
bool ReadBenchArgs(int argc, char** argv, const char* program, BenchTree* bench);

// Writes the demo tree when none was given and copies it to the work folder, timing the copy.
// False after printing why.
bool PrepareBenchTree(const char* name, BenchTree* bench);

// Removes what the run wrote: the whole scratch folder, or only the work copy of a given tree.
void RemoveBenchTree(const BenchTree& bench);

}  // namespace app::bench
