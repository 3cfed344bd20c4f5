#include "runtime/rdd/memo_file.h"

#include "runtime/rdd/memo_dbt.h"
#include "runtime/rdd/memo_fpt.h"

namespace xb::rdd {

const char* MemoExtension(dbf::MemoKind kind) {
  switch (kind) {
    case dbf::MemoKind::kFpt: return ".fpt";
    case dbf::MemoKind::kDbt: return ".dbt";
    default: return "";
  }
}

Status CreateMemoFile(FileSystem& fs, const std::string& path, dbf::MemoKind kind,
                      std::unique_ptr<MemoFile>* memo) {
  if (kind == dbf::MemoKind::kFpt) return fpt::Create(fs, path, memo);
  if (kind == dbf::MemoKind::kDbt) return dbt::Create(fs, path, memo);
  return Status::Error(StatusCode::kInvalid, "tipo de memo no válido");
}

Status OpenMemoFile(FileSystem& fs, const std::string& path, dbf::MemoKind kind,
                    const OpenOptions& options, std::unique_ptr<MemoFile>* memo) {
  if (kind == dbf::MemoKind::kFpt) return fpt::Open(fs, path, options, memo);
  if (kind == dbf::MemoKind::kDbt) return dbt::Open(fs, path, options, memo);
  return Status::Error(StatusCode::kInvalid, "tipo de memo no válido");
}

}  // namespace xb::rdd
