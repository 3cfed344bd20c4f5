#include "ui/core/vbx_support.h"

#include "ui/core/msg_box.h"

namespace ui {
namespace {

// The library for one call, freed after it; null (and the user told) when it cannot load.
class VbxLibrary {
 public:
  VbxLibrary() : module_(LoadLibraryA(kVbxLibrary)) {
    if (module_ == nullptr) {
      MsgAlert("Error code: " + std::to_string(GetLastError()) + " loading " + kVbxLibrary);
    }
  }
  ~VbxLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  VbxLibrary(const VbxLibrary&) = delete;
  VbxLibrary& operator=(const VbxLibrary&) = delete;

  template <typename Fn>
  Fn Entry(const char* name) const {
    if (module_ == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_ = nullptr;
};

}  // namespace

bool VbxInit(HINSTANCE instance) {
  const VbxLibrary library;
  auto init = library.Entry<BOOL(WINAPI*)(HINSTANCE, LPCSTR)>("VbxInit");
  return init != nullptr && init(instance, "") != FALSE;
}

bool VbxInitDialog(HWND dialog, HINSTANCE resources, const xb::Value& resource) {
  const VbxLibrary library;
  auto init = library.Entry<BOOL(WINAPI*)(HWND, HINSTANCE, LPCSTR)>("VbxInitDialog");
  if (init == nullptr) return false;
  const std::string name(resource.IsString() ? resource.AsString() : std::string_view());
  LPCSTR id = resource.IsNumber() ? MAKEINTRESOURCEA(static_cast<WORD>(resource.AsInt())) : name.c_str();
  return init(dialog, resources, id) != FALSE;
}

}  // namespace ui
