// How long a compiled key expression takes per record: the cost the table engine pays
// for every key it builds. Not a test; run by hand: build/bench/bin/macro_bench
// The expressions after the first five have the shapes of the index catalogue's keys.
#include <chrono>
#include <cstdio>
#include <string>

#include "runtime/runtime.h"

namespace {

// One work area whose record the benchmark changes between evaluations. Character fields
// other than CSERIE and CREF are read anew each time, as a table gives them.
class BenchArea : public xb::WorkAreaHost {
 public:
  enum Field { kSerie = 1, kNumFac, kRef, kNombre, kFecha, kActivo, kImporte, kNivel1, kNivel2 };
  int CurrentArea() override { return 1; }
  int SelectArea(int) override { return 1; }
  int AreaOfAlias(std::string_view a) override { return a == "FACCLIL" ? 1 : 0; }
  int FieldPos(int, std::string_view name) override {
    static const char* const names[] = {"CSERIE", "NNUMFAC", "CREF",     "CNOMBRE", "DFECHA",
                                        "LACTIVO", "NIMPORTE", "CNIVEL1", "CNIVEL2"};
    for (int i = 0; i < 9; ++i)
      if (name == names[i]) return i + 1;
    return 0;
  }
  std::uint64_t AreaStamp(int) override { return 1; }
  xb::Value GetField(int, int pos) override {
    static const char* const nombres[] = {"Almacenes del Norte, S.A.               ",
                                          "José Pérez Gómez                        ",
                                          "Ferretería Ñandú                        ",
                                          "distribuciones levante                  "};
    switch (pos) {
      case kSerie: return serie;
      case kNumFac: return xb::Value::Integer(record, 7);
      case kRef: return ref;
      case kNombre: return xb::Value::String(nombres[record % 4]);
      case kFecha: return xb::Value::FromDate(xb::Date{2451545 + static_cast<std::int32_t>(record % 9000)});
      case kActivo: return xb::Value::Logical(record % 3 != 0);
      case kImporte: return xb::NumberFromField(static_cast<double>(record % 100000) * 1.37 - 5000.0, 12, 2);
      case kNivel1: return xb::Value::String(record % 2 ? "01" : "02");
      default: return xb::Value::String(record % 5 ? "0103" : "0207");
    }
  }
  void PutField(int, int, const xb::Value&) override {}
  xb::Value serie = xb::Value::String("A");
  xb::Value ref = xb::Value::String("REF-0001        ");
  std::int64_t record = 0;
};

// Per record: the block's value (Eval), then the key's text built in one buffer as the
// work area's key evaluation does (EvalString).
void Run(const char* expr, BenchArea& area) {
  xb::Block key = xb::CompileBlock(expr);
  const int n = 2000000;
  auto start = std::chrono::steady_clock::now();
  std::size_t sink = 0;
  for (int i = 0; i < n; ++i) {
    area.record = i;
    sink += key.Eval().StringLength();
  }
  const double value_ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / n;
  start = std::chrono::steady_clock::now();
  std::string text;
  xb::Value other;
  for (int i = 0; i < n; ++i) {
    area.record = i;
    text.clear();
    if (key.EvalString(text, other)) sink += text.size();
  }
  const double text_ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / n;
  std::printf("%-48s %8.1f %8.1f ns (%zu)\n", expr, value_ns, text_ns, sink % 10);
}

}  // namespace

int main() {
  xb::InitRuntime();
  BenchArea area;
  xb::SetWorkAreaHost(&area);
  std::printf("%-48s %8s %8s\n", "per record", "value", "text");
  Run("cRef", area);
  Run("cSerie + cRef", area);
  Run("FacCliL->cSerie + cRef", area);
  Run("IIf(nNumFac > 10, cSerie, cRef)", area);
  Run("Eval({|c| c + c}, cSerie)", area);
  Run("Upper(cNombre)", area);
  Run("Upper(cNombre) + cRef", area);
  Run("cNivel1 + cNivel2 + cRef", area);
  Run("Str(nNumFac, 7)", area);
  Run("Str(nImporte, 12, 2)", area);
  Run("Str(9999999999.999999 - nImporte, 17, 6) + cRef", area);
  Run("DToS(dFecha) + cRef", area);
  Run("If(lActivo, \"1\", \"0\") + cRef", area);
  return 0;
}
