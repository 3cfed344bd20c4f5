#include "output/preview_library.h"

#include "ui/bridge/resources.h"

namespace output {
namespace {
std::string& LibraryFile() {
  static std::string file = kPreviewLibrary;
  return file;
}
}  // namespace

const std::string& PreviewLibraryFile() { return LibraryFile(); }
void SetPreviewLibraryFile(const std::string& file) { LibraryFile() = file; }

PreviewLibrary::PreviewLibrary() : previous_(ui::CurrentResources()) {
  module_ = ui::LoadCachedLibrary(PreviewLibraryFile());
  if (module_ != nullptr) ui::SetResources(module_);
}

PreviewLibrary::~PreviewLibrary() { ui::SetResources(previous_); }

std::string PreviewString(int id) {
  HMODULE module = ui::LoadCachedLibrary(PreviewLibraryFile());
  if (module == nullptr) return {};
  char text[512] = {};
  const int n = ::LoadStringA(module, static_cast<UINT>(id), text, sizeof text);
  return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string PreviewTip(int id) {
  std::string text = PreviewString(id);
  std::erase(text, '&');
  return text;
}

}  // namespace output
