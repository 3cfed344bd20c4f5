// Tag building and seek speed over 200,000 records of the reference table's kind: the six tags
// of the reference CDX, once as one compound file and once as six NTX files.
//   make bench && build/bench/bin/index_bench          (native)
//   tools/wine-run build/bench-win64/bin/index_bench.exe  (Windows build under Wine)
// First with the keys as C++ functions (the engine alone), then the way the organisation
// builds them: a work area over the table, ORDCONDSET + ORDCREATE with macro-compiled keys.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "runtime/codepage.h"
#include "runtime/function_table.h"
#include "runtime/macro.h"
#include "runtime/runtime.h"
#include "runtime/rdd/dbf_format.h"
#include "runtime/rdd/memory_file_system.h"
#include "runtime/rdd/workareas.h"
#include "runtime/rdd/bag_file_memory.h"
#include "runtime/rdd/index_test_tables.h"
#include "runtime/rdd/order_bag.h"

using namespace xb::rdd;
using Clock = std::chrono::steady_clock;

namespace {

TagSpec Spec(const char* name, const char* key, const char* cond = "", bool desc = false) {
  TagSpec s;
  s.name = name;
  s.key = key;
  s.condition = cond;
  s.descending = desc;
  return s;
}

const std::vector<TagSpec> kTags = {
    Spec("CODIGO", "CODIGO"), Spec("NOMBRE", "UPPER(NOMBRE)+CODIGO"), Spec("FECHA", "DTOS(FECHA)+CODIGO"),
    Spec("IMPORTE", "STR(IMPORTE,12,2)"), Spec("ACTIVOS", "CODIGO", "ACTIVO"), Spec("DESC", "CODIGO", "", true)};

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

void Save(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

}  // namespace

int main(int argc, char** argv) {
  const std::uint32_t records = argc > 1 ? std::uint32_t(std::stoul(argv[1])) : 200000;
  const std::string out_dir = argc > 2 ? argv[2] : ".";
  auto like = testing::TestTable::Load(testing::FixturePath("cdx-20k/fixture.dbf"));
  auto table = testing::TestTable::Generate(like, records, 1);
  testing::TestCompiler compiler(table);
  BagOptions options;
  options.codepage = &xb::CodePageEsWin();

  double best_cdx = 1e9, best_ntx = 1e9;
  std::unique_ptr<OrderBag> cdx;
  for (int run = 0; run < 3; ++run) {
    auto start = Clock::now();
    auto file = std::make_unique<MemoryBagFile>();
    MemoryBagFile* raw = file.get();
    CreateCdx(std::move(file), compiler, options, cdx);
    for (const TagSpec& spec : kTags) {
      const BagStatus st = cdx->CreateTag(spec, table);
      if (!st.ok()) { std::printf("CDX: %s\n", st.message.c_str()); return 1; }
    }
    Save(out_dir + "/bench.cdx", raw->Bytes());
    best_cdx = std::min(best_cdx, Seconds(start));

    start = Clock::now();
    for (const TagSpec& spec : kTags) {
      auto f = std::make_unique<MemoryBagFile>();
      MemoryBagFile* r = f.get();
      std::unique_ptr<OrderBag> ntx;
      CreateNtx(std::move(f), compiler, options, ntx);
      const BagStatus st = ntx->CreateTag(spec, table);
      if (!st.ok()) { std::printf("NTX: %s\n", st.message.c_str()); return 1; }
      Save(out_dir + "/bench_" + spec.name + ".ntx", r->Bytes());
    }
    best_ntx = std::min(best_ntx, Seconds(start));
  }
  std::printf("records %u, six tags: CDX %.3f s, NTX %.3f s (best of 3, file written)\n", records, best_cdx, best_ntx);

  // Seeks of existing keys, in random order, on the code and the name tags.
  std::mt19937 rng(3);
  for (int t : {0, 1}) {
    Tag& tag = *cdx->TagAt(t);
    std::vector<KeyValue> keys;
    for (int i = 0; i < 100000; ++i) {
      table.GoTo(1 + rng() % records);
      KeyValue k;
      tag.CurrentKeyValue(k);
      keys.push_back(k);
    }
    auto start = Clock::now();
    std::size_t found = 0;
    for (const KeyValue& k : keys) {
      TagPosition pos;
      tag.Seek(k, SeekMode::kExact, false, pos);
      found += pos.found;
    }
    const double s = Seconds(start);
    std::printf("seek on %s: %.0f seeks/s (%zu of %zu found)\n", tag.Info().name.c_str(), double(keys.size()) / s, found,
                keys.size());
  }
  // The organisation's road, through work areas and the macro compiler.
  xb::InitRuntime();
  InitTables();
  xb::SetCodePage("ESWIN");
  if (!xb::IsFunctionRegistered("UPPER")) xb::Def("UPPER", [](std::string_view s) { return xb::Upper(xb::CurrentCodePage(), s); });
  if (!xb::IsFunctionRegistered("DTOS")) xb::Def("DTOS", [](xb::Date d) { return d.Dtos(); });
  if (!xb::IsFunctionRegistered("STR"))
    xb::Def("STR", [](double v, std::int64_t len, std::int64_t dec) { return dbf::FormatNumber(v, int(len), int(dec)); });
  MemoryFileSystem fs;
  fs.MakeFolder("b/");
  WorkAreas::Get().set_file_system(&fs);
  for (const char* driver : {"DBFCDX", "DBFNTX"}) {
    const bool ntx = std::string(driver) == "DBFNTX";
    auto source = testing::TestTable::Load(testing::FixturePath(ntx ? "ntx-1k/fixture.dbf" : "cdx-20k/fixture.dbf"));
    fs.SetContents("b/big.dbf", testing::TestTable::Generate(source, records, 1).ToDbf());
    fs.SetContents(ntx ? "b/big.dbt" : "b/big.fpt",
                   testing::ReadFile(testing::FixturePath(ntx ? "ntx-1k/fixture.dbt" : "cdx-20k/fixture.fpt")));
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
      xb::EvalMacro(std::string("DBUSEAREA(.T., '") + driver + "', 'b/big', 'BIG', .F., .F.)");
      auto start = Clock::now();
      for (const TagSpec& spec : kTags) {
        xb::EvalMacro("ORDCONDSET('" + spec.condition + "',,,,,, RECNO(),,,, " + (spec.descending ? ".T." : ".F.") + ")");
        const std::string bag = ntx ? "'b/" + spec.name + "'" : "";
        xb::EvalMacro("ORDCREATE(" + bag + ", '" + spec.name + "', '" + spec.key + "',, .F.)");
      }
      best = std::min(best, Seconds(start));
      xb::EvalMacro("DBCLOSEAREA()");
    }
    std::printf("work area, macro-compiled keys, %s: %.3f s\n", driver, best);
  }
  return 0;
}
