#include "contenda/tests/contenda_library.h"

namespace contenda::standins {

namespace {

template <class F>
void Bind(HMODULE module, const char* name, F& function) {
  function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

std::wstring ContendaLibrary::Folder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

ContendaLibrary::ContendaLibrary(const std::wstring& file) {
  module_ = LoadLibraryW((Folder() + file).c_str());
  if (!module_) return;
  Bind(module_, "CreateOleContainer", CreateOleContainer);
  Bind(module_, "GetOleContainerHwnd", GetOleContainerHwnd);
  Bind(module_, "OleContainerLoadDoc", OleContainerLoadDoc);
  Bind(module_, "OleContainerCloseDoc", OleContainerCloseDoc);
  Bind(module_, "OleContainerDestroy", OleContainerDestroy);
  Bind(module_, "OleContainerOnFocus", OleContainerOnFocus);
  Bind(module_, "OleContainerOnCommand", OleContainerOnCommand);
  Bind(module_, "OleContainerUIActivateView", OleContainerUIActivateView);
  Bind(module_, "OleContainerPutNewConnectionString", OleContainerPutNewConnectionString);
  Bind(module_, "OleContainerGetNewConnectionString", OleContainerGetNewConnectionString);
  Bind(module_, "OleContainerOpenDataSource", OleContainerOpenDataSource);
  Bind(module_, "OleContainerRefresh", OleContainerRefresh);
}

ContendaLibrary::~ContendaLibrary() {
  if (module_) FreeLibrary(module_);
}

ContendaLibrary& Contenda() {
  static ContendaLibrary library;
  return library;
}

}  // namespace contenda::standins
