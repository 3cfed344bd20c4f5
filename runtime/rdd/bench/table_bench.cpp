// Table speed over 1,000,000 records of the reference table's structure (fixture.dbf with its
// FPT memos, rows taken in turn from cdx-20k): append, sequential scan and pack through the
// work area, next to a plain copy of the same DBF file, the physical floor.
//   make bench && build/bench/bin/table_bench [records] [folder]
//   tools/wine-run --dir build/bench-win64/wine build/bench-win64/bin/table_bench.exe [records] [folder]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "runtime/rdd/dbf_table.h"
#include "runtime/rdd/workareas.h"

using namespace xb::rdd;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

struct Row {
  std::string codigo, nombre, notas;
  std::int32_t fecha;
  double importe;
  bool activo;
};

std::vector<Row> ReferenceRows() {
  TableOpenOptions o;
  o.read_only = true;
  o.shared = true;
  std::unique_ptr<DbfTable> t;
  const Status s = DbfTable::Open(RealFileSystem(), std::string(VDR_FIXTURES_DIR) + "/cdx-20k/fixture.dbf", o, &t);
  if (!s.ok()) {
    std::printf("reference table: %s\n", s.message().c_str());
    std::exit(1);
  }
  std::vector<Row> rows;
  const auto& f = t->fields();
  for (std::uint32_t r = 1; r <= t->known_count(); ++r) {
    (void)t->GoTo(r);
    Row row;
    row.codigo = dbf::DecodeCharacter(t->record(), f[0]);
    row.nombre = dbf::DecodeCharacter(t->record(), f[1]);
    row.fecha = dbf::DecodeDate(t->record(), f[2]);
    row.importe = dbf::DecodeNumber(t->record(), f[3]);
    row.activo = dbf::DecodeLogical(t->record(), f[4]);
    (void)t->GetMemo(5, &row.notas);
    rows.push_back(std::move(row));
  }
  return rows;
}

std::uint64_t FileSize(const std::string& path) {
  std::error_code ec;
  return std::filesystem::file_size(std::filesystem::path(path), ec);
}

WorkArea& Open(const std::string& path, bool shared) {
  WorkAreas& areas = WorkAreas::Get();
  areas.SelectArea(1);
  WorkArea::OpenRequest request;
  request.path = path;
  request.alias = "BENCH";
  request.driver = FindDriver("DBFCDX");
  request.shared = shared;
  if (!areas.Current().Open(RealFileSystem(), request)) std::exit(1);
  return areas.Current();
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint32_t records = argc > 1 ? static_cast<std::uint32_t>(std::stoul(argv[1])) : 1000000;
  const std::filesystem::path folder = argc > 2 ? std::filesystem::path(argv[2]) : std::filesystem::temp_directory_path();
  const std::string path = (folder / "bench_table.dbf").string();
  const std::string copy = (folder / "bench_copy.dbf").string();
  xb::InitRuntime();
  InitTables();
  const std::vector<Row> rows = ReferenceRows();

  // Append: a new table filled record by record with the reference rows' values and memos;
  // one record in 26 deleted, as in the reference table.
  std::vector<dbf::FieldSpec> structure = {{"CODIGO", 'C', 10, 0}, {"NOMBRE", 'C', 40, 0}, {"FECHA", 'D', 8, 0},
                                           {"IMPORTE", 'N', 12, 2}, {"ACTIVO", 'L', 1, 0}, {"NOTAS", 'M', 10, 0}};
  if (!DbfTable::Create(RealFileSystem(), path, structure, dbf::MemoKind::kFpt).ok()) return 1;
  auto start = Clock::now();
  {
    WorkArea& area = Open(path, false);
    for (std::uint32_t i = 0; i < records; ++i) {
      const Row& r = rows[i % rows.size()];
      area.Append();
      area.PutField(1, xb::Value::String(r.codigo));
      area.PutField(2, xb::Value::String(r.nombre));
      area.PutField(3, xb::Value::FromDate(xb::Date{r.fecha}));
      area.PutField(4, xb::Value::Double(r.importe, 2));
      area.PutField(5, xb::Value::Logical(r.activo));
      if (!r.notas.empty()) area.PutField(6, xb::Value::Memo(r.notas));
      if (i % 26 == 25) area.Delete();
    }
    area.Close();
  }
  const double append = Seconds(start);
  const std::uint64_t dbf_bytes = FileSize(path), fpt_bytes = FileSize((folder / "bench_table.fpt").string());

  auto scan = [&](bool shared, bool memos) {
    WorkArea& area = Open(path, shared);
    const auto t0 = Clock::now();
    std::uint64_t checksum = 0;
    for (area.GoTop(); !area.eof(); area.Skip(1)) {
      for (int f = 1; f <= (memos ? 6 : 5); ++f) {
        const xb::Value v = area.GetField(f);
        checksum += v.IsString() ? v.AsString().size() : 1;
      }
    }
    const double s = Seconds(t0);
    area.Close();
    if (checksum == 0) std::printf("?");
    return s;
  };
  const double scan_fields = scan(false, false);
  const double scan_memos = scan(false, true);
  const double scan_shared = scan(true, false);

  // Records reached at random, as through an index: 200,000 of them.
  double random_reads;
  {
    WorkArea& area = Open(path, false);
    std::uint64_t state = 42, checksum = 0;
    const auto t0 = Clock::now();
    for (int i = 0; i < 200000; ++i) {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      area.GoTo(static_cast<std::uint32_t>(1 + (state >> 33) % records));
      checksum += area.GetField(1).AsString().size();
    }
    random_reads = Seconds(t0);
    area.Close();
    if (checksum == 0) std::printf("?");
  }

  std::error_code ec;
  std::filesystem::remove(std::filesystem::path(copy), ec);
  start = Clock::now();
  std::filesystem::copy_file(std::filesystem::path(path), std::filesystem::path(copy), ec);
  const double copy_file = Seconds(start);
  double cp = -1;
#if !defined(_WIN32)
  std::filesystem::remove(std::filesystem::path(copy), ec);
  start = Clock::now();
  if (std::system(("cp '" + path + "' '" + copy + "'").c_str()) == 0) cp = Seconds(start);
#endif

  start = Clock::now();
  {
    WorkArea& area = Open(path, false);
    area.Pack();
    area.Close();
  }
  const double pack = Seconds(start);

  std::printf("%u records: DBF %.1f MB, FPT %.1f MB\n", records, dbf_bytes / 1e6, fpt_bytes / 1e6);
  std::printf("append (values and memos, work area)  %7.3f s  %8.0f records/s\n", append, records / append);
  std::printf("scan, record fields                   %7.3f s  %8.0f records/s\n", scan_fields, records / scan_fields);
  std::printf("scan, fields and memos                %7.3f s  %8.0f records/s\n", scan_memos, records / scan_memos);
  std::printf("scan, record fields, shared open      %7.3f s  %8.0f records/s\n", scan_shared, records / scan_shared);
  std::printf("200,000 records read at random        %7.3f s  %8.0f records/s\n", random_reads, 200000 / random_reads);
  std::printf("pack (1 in 26 deleted; synced)        %7.3f s\n", pack);
  std::printf("copy of the DBF (copy_file)           %7.3f s\n", copy_file);
  if (cp >= 0) std::printf("copy of the DBF (cp)                  %7.3f s\n", cp);
  std::filesystem::remove(std::filesystem::path(path), ec);
  std::filesystem::remove(std::filesystem::path(copy), ec);
  std::filesystem::remove(folder / "bench_table.fpt", ec);
  return 0;
}
