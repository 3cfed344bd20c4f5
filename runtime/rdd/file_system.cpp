#include "runtime/rdd/file_system.h"

namespace xb::rdd {

Status File::ReadExact(std::uint64_t offset, void* data, std::size_t size) {
  std::size_t got = 0;
  XB_RETURN_IF_ERROR(Read(offset, data, size, &got));
  if (got != size) return Status::Error(StatusCode::kCorrupt, "el fichero termina antes de lo esperado");
  return Status();
}

std::string OsErrorText(int os_code) {
  switch (os_code) {
    case os_error::kFileNotFound: return "no se encuentra el fichero";
    case os_error::kPathNotFound: return "no se encuentra el directorio";
    case os_error::kTooManyOpenFiles: return "demasiados ficheros abiertos";
    case os_error::kAccessDenied: return "acceso denegado";
    case os_error::kWriteFault: return "error de escritura";
    case os_error::kReadFault: return "error de lectura";
    case os_error::kSharingViolation: return "el fichero está en uso por otro proceso";
    case os_error::kLockViolation: return "zona del fichero bloqueada por otro proceso";
    case os_error::kHandleDiskFull:
    case os_error::kDiskFull: return "disco lleno";
    case os_error::kFileExists: return "el fichero ya existe";
    default: return "error del sistema " + std::to_string(os_code);
  }
}

static bool IsSeparator(char c) { return c == '/' || c == '\\' || c == ':'; }

std::string PathFolder(const std::string& path) {
  for (std::size_t i = path.size(); i > 0; --i)
    if (IsSeparator(path[i - 1])) return path.substr(0, i);
  return {};
}

std::string PathName(const std::string& path) { return path.substr(PathFolder(path).size()); }

std::string PathExtension(const std::string& path) {
  const std::string name = PathName(path);
  const auto dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return {};
  return name.substr(dot);
}

std::string PathWithExtension(const std::string& path, const std::string& extension) {
  const std::string ext = PathExtension(path);
  return path.substr(0, path.size() - ext.size()) + extension;
}

}  // namespace xb::rdd
