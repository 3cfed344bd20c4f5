#include "runtime/rdd/test_support.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "runtime/rdd/file_system.h"

namespace xb::rdd::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  static std::atomic<int> serial{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  const fs::path dir = fs::temp_directory_path() /
                       ("vdr_rdd_" + std::to_string(stamp) + "_" + std::to_string(serial++));
  fs::create_directories(dir);
  path_ = dir.string();
  if (path_.back() != '/' && path_.back() != '\\') path_ += '/';
}

TempFolder::~TempFolder() {
  std::error_code ec;
  fs::remove_all(fs::path(path_), ec);
}

std::string ReferenceFile(const std::string& relative) { return std::string(VDR_FIXTURES_DIR) + "/" + relative; }

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string CopyFixtures(const TempFolder& folder, const std::vector<std::string>& relatives) {
  std::string first;
  for (const auto& rel : relatives) {
    const std::string target = folder / PathName(rel);
    WriteWholeFile(target, ReadWholeFile(ReferenceFile(rel)));
    if (first.empty()) first = target;
  }
  return first;
}

std::vector<dbf::FieldSpec> FixtureStructure() {
  return {{"CODIGO", 'C', 10, 0}, {"NOMBRE", 'C', 40, 0}, {"FECHA", 'D', 8, 0},
          {"IMPORTE", 'N', 12, 2}, {"ACTIVO", 'L', 1, 0}, {"NOTAS", 'M', 10, 0}};
}

}  // namespace xb::rdd::testing
