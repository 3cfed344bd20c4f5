// Contenda.dll as its callers use it: loaded at run time, its exports bound by name.
#pragma once

#include <windows.h>

#include <string>

#include "contenda/contenda.h"

namespace contenda::standins {

class ContendaLibrary {
 public:
  // Loads the library beside the test program; `file` names another copy of it.
  explicit ContendaLibrary(const std::wstring& file = L"Contenda.dll");
  ~ContendaLibrary();
  ContendaLibrary(const ContendaLibrary&) = delete;
  ContendaLibrary& operator=(const ContendaLibrary&) = delete;

  HMODULE module() const { return module_; }
  static std::wstring Folder();  // the test program's folder, with a trailing backslash

  decltype(&::CreateOleContainer) CreateOleContainer = nullptr;
  decltype(&::GetOleContainerHwnd) GetOleContainerHwnd = nullptr;
  decltype(&::OleContainerLoadDoc) OleContainerLoadDoc = nullptr;
  decltype(&::OleContainerCloseDoc) OleContainerCloseDoc = nullptr;
  decltype(&::OleContainerDestroy) OleContainerDestroy = nullptr;
  decltype(&::OleContainerOnFocus) OleContainerOnFocus = nullptr;
  decltype(&::OleContainerOnCommand) OleContainerOnCommand = nullptr;
  decltype(&::OleContainerUIActivateView) OleContainerUIActivateView = nullptr;
  decltype(&::OleContainerPutNewConnectionString) OleContainerPutNewConnectionString = nullptr;
  decltype(&::OleContainerGetNewConnectionString) OleContainerGetNewConnectionString = nullptr;
  decltype(&::OleContainerOpenDataSource) OleContainerOpenDataSource = nullptr;
  decltype(&::OleContainerRefresh) OleContainerRefresh = nullptr;

 private:
  HMODULE module_ = nullptr;
};

// The library loaded once for the whole test run.
ContendaLibrary& Contenda();

}  // namespace contenda::standins
