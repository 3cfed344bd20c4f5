// Helpers shared by the table engine's tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/rdd/dbf_format.h"

namespace xb::rdd::testing {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // The folder with a trailing separator, and a file name inside it.
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// A reference file ("cdx-1k/fixture.dbf").
std::string ReferenceFile(const std::string& relative);
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
// Copies reference files into a folder; returns the copy of the first.
std::string CopyFixtures(const TempFolder& folder, const std::vector<std::string>& relatives);

// The structure of fixture.dbf.
std::vector<dbf::FieldSpec> FixtureStructure();

}  // namespace xb::rdd::testing
