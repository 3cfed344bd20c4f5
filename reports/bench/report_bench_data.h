// The report benchmarks' data: a sales master of many records, an article table it relates
// to (indexed by code), and a dictionary whose report "ESCALA" has a master column, a related
// column two steps away, an expression column, a calculated column, a condition, an order and
// two groups. Written in the current folder's DBF\ and INF\ (paths relative to it).
#pragma once

#include <cstdint>
#include <string>

namespace reports::bench {

inline constexpr char kBenchReport[] = "ESCALA";

struct ReportBenchData {
  std::uint32_t records = 1000000;  // sales
  std::uint32_t articles = 1000;
  std::uint32_t families = 20;
};

// Writes the tables and the dictionary (the dictionary is left closed). False after writing
// why into *error.
bool WriteReportBenchData(const ReportBenchData& data, std::string* error);

// The report's grand total of "Importe" (the sales over 10), in cents.
std::uint64_t ExpectedTotalCents(const ReportBenchData& data);

// Registers BENCH_IVA, the expression column's function: {IMPORTE * 0.21} of the master.
void RegisterBenchFunctions();

}  // namespace reports::bench
