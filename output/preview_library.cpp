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

PreviewLibrary::PreviewLibrary(PreviewFace face) : previous_(ui::CurrentResources()) {
  module_ = face.own ? previous_ : ui::LoadCachedLibrary(PreviewLibraryFile());
  if (module_ != nullptr) ui::SetResources(module_);
}

PreviewLibrary::~PreviewLibrary() { ui::SetResources(previous_); }

std::string PreviewString(int id, PreviewFace face) {
  HMODULE module = face.own ? ui::CurrentResources() : ui::LoadCachedLibrary(PreviewLibraryFile());
  if (module == nullptr) return {};
  char text[512] = {};
  const int n = ::LoadStringA(module, static_cast<UINT>(face.base() + id), text, sizeof text);
  return std::string(text, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string PreviewTip(int id, PreviewFace face) {
  std::string text = PreviewString(id, face);
  std::erase(text, '&');
  return text;
}

}  // namespace output
