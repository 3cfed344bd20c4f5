// How long a compiled key expression takes per record: the cost the table engine pays
// for every key it builds. Not a test; run by hand: build/native/bin/macro_bench
#include <chrono>
#include <cstdio>
#include <string>

#include "runtime/runtime.h"

namespace {

// One work area whose record the benchmark changes between evaluations.
class BenchArea : public xb::WorkAreaHost {
 public:
  int CurrentArea() override { return 1; }
  int SelectArea(int) override { return 1; }
  int AreaOfAlias(std::string_view a) override { return a == "FACCLIL" ? 1 : 0; }
  int FieldPos(int, std::string_view name) override {
    if (name == "CSERIE") return 1;
    if (name == "NNUMFAC") return 2;
    if (name == "CREF") return 3;
    return 0;
  }
  std::uint64_t AreaStamp(int) override { return 1; }
  xb::Value GetField(int, int pos) override {
    switch (pos) {
      case 1: return serie;
      case 2: return xb::Value::Integer(record, 7);
      default: return ref;
    }
  }
  void PutField(int, int, const xb::Value&) override {}
  xb::Value serie = xb::Value::String("A");
  xb::Value ref = xb::Value::String("REF-0001        ");
  std::int64_t record = 0;
};

void Run(const char* expr, BenchArea& area) {
  xb::Block key = xb::CompileBlock(expr);
  const int n = 2000000;
  auto start = std::chrono::steady_clock::now();
  std::size_t sink = 0;
  for (int i = 0; i < n; ++i) {
    area.record = i;
    sink += key.Eval().StringLength();
  }
  double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / n;
  std::printf("%-40s %8.1f ns per record (%zu)\n", expr, ns, sink % 10);
}

}  // namespace

int main() {
  xb::InitRuntime();
  BenchArea area;
  xb::SetWorkAreaHost(&area);
  Run("cRef", area);
  Run("cSerie + cRef", area);
  Run("FacCliL->cSerie + cRef", area);
  Run("IIf(nNumFac > 10, cSerie, cRef)", area);
  Run("Eval({|c| c + c}, cSerie)", area);
  return 0;
}
