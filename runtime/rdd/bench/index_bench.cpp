// Tag building and seek speed over 200,000 records of the reference table's kind: the six tags
// of the reference CDX, once as one compound file and once as six NTX files.
//   make bench && build/bench/bin/index_bench          (native)
//   tools/wine-run build/bench-win64/bin/index_bench.exe  (Windows build under Wine)
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "runtime/codepage.h"
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
  return 0;
}
