// Fuzz target: a DBF file with its memo, as anything may hand them to us. Opening, reading
// every record and memo, and (when the input asks) changing, appending, packing and closing
// must never crash, hang or leave a table that does not open again.
//
// Input: byte 0 options (bit 0: DBT memo instead of FPT; bit 1: make changes), bytes 1-2 the
// length of the DBF part (little-endian), the DBF part, then the memo file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "runtime/rdd/dbf_table.h"
#include "runtime/rdd/memory_file_system.h"

using namespace xb::rdd;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  const unsigned options = data[0];
  const std::size_t dbf_length = std::min<std::size_t>(size - 3, data[1] | data[2] << 8);
  const std::string dbf(reinterpret_cast<const char*>(data) + 3, dbf_length);
  const std::string memo(reinterpret_cast<const char*>(data) + 3 + dbf_length, size - 3 - dbf_length);
  const dbf::MemoKind kind = options & 1 ? dbf::MemoKind::kDbt : dbf::MemoKind::kFpt;

  MemoryFileSystem fs;
  fs.SetContents("t.dbf", dbf);
  fs.SetContents(PathWithExtension("t.dbf", MemoExtension(kind)), memo);
  TableOpenOptions o;
  o.memo_kind = kind;
  std::unique_ptr<DbfTable> t;
  if (!DbfTable::Open(fs, "t.dbf", o, &t).ok()) return 0;

  std::uint32_t count = 0;
  if (!t->RecordCount(&count).ok()) std::abort();
  for (std::uint32_t r = 1; r <= count && r <= 2000; ++r) {
    if (!t->GoTo(r).ok()) continue;
    for (std::size_t i = 0; i < t->fields().size(); ++i) {
      const dbf::Field& f = t->fields()[i];
      switch (f.type) {
        case 'N': (void)dbf::DecodeNumber(t->record(), f); break;
        case 'D': (void)dbf::DecodeDate(t->record(), f); break;
        case 'L': (void)dbf::DecodeLogical(t->record(), f); break;
        case 'M': {
          std::string text;
          (void)t->GetMemo(static_cast<int>(i), &text);
          break;
        }
        default: (void)dbf::DecodeCharacter(t->record(), f); break;
      }
    }
  }
  if (!(options & 2)) return 0;

  // Changes on a damaged table either fail cleanly or leave a table that opens again.
  bool changed = true;
  for (std::uint32_t r : {1u, count, count + 1}) {
    if (!t->GoTo(r).ok()) continue;
    for (std::size_t i = 0; i < t->fields().size(); ++i) {
      const dbf::Field& f = t->fields()[i];
      const int field = static_cast<int>(i);
      Status s;
      switch (f.type) {
        case 'N': s = t->PutNumber(field, -12.5); break;
        case 'D': s = t->PutDate(field, dbf::DayNumber(2024, 2, 29)); break;
        case 'L': s = t->PutLogical(field, true); break;
        case 'M': s = t->PutMemo(field, std::string(r * 37 % 700, 'm')); break;
        default: s = t->PutCharacter(field, "fuzz"); break;
      }
      changed = changed && (s.ok() || s.code() == StatusCode::kDataWidth || s.code() == StatusCode::kCorrupt);
    }
  }
  changed = changed && t->Append().ok() && t->SetDeleted(true).ok() && t->Pack().ok();
  changed = t->Close().ok() && changed;
  t.reset();
  if (changed && !DbfTable::Open(fs, "t.dbf", o, &t).ok()) std::abort();
  return 0;
}
