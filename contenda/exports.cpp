// The library's exported functions and its entry point.
#include "contenda/contenda.h"

#include <ole2.h>

#include <new>
#include <string>

#include "contenda/ansi_text.h"
#include "contenda/mail_merge.h"
#include "contenda/office_automation.h"
#include "contenda/ole_container.h"

using contenda::OleContainer;

namespace {

// What an export answers when it was given no container.
constexpr LONG kNoContainer = E_POINTER;
// What an export answers when the operation broke off with an exception.
constexpr LONG kBrokeOff = 1;

OleContainer* Unwrap(ContendaContainer* container) {
  return reinterpret_cast<OleContainer*>(container);
}

// Runs `operation` on the container, turning a missing container and any exception into
// the export's failure answers.
template <class Operation>
LONG Guarded(ContendaContainer* container, Operation operation) {
  if (!container) return kNoContainer;
  try {
    return operation(*Unwrap(container));
  } catch (...) {
    return kBrokeOff;
  }
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  // Every thread of the caller gets its COM apartment here; it is never taken down, as
  // the caller may go on using it after the library is gone.
  if (reason == DLL_PROCESS_ATTACH || reason == DLL_THREAD_ATTACH) CoInitialize(nullptr);
  return TRUE;
}

ContendaContainer* __cdecl CreateOleContainer(void) {
  try {
    return reinterpret_cast<ContendaContainer*>(new OleContainer());
  } catch (...) {
    return nullptr;
  }
}

HWND __cdecl GetOleContainerHwnd(ContendaContainer* container) {
  return container ? Unwrap(container)->window() : nullptr;
}

LONG __cdecl OleContainerLoadDoc(ContendaContainer* container, const char* path) {
  if (container && !path) return E_POINTER;
  return Guarded(container, [path](OleContainer& c) {
    return c.LoadDocument(contenda::WideFromAnsi(path).c_str());
  });
}

LONG __cdecl OleContainerCloseDoc(ContendaContainer* container) {
  return Guarded(container, [](OleContainer& c) { return contenda::CloseDocument(c); });
}

void __cdecl OleContainerDestroy(ContendaContainer* container) {
  try {
    delete Unwrap(container);
  } catch (...) {
    // Nothing to tell the caller: the container is gone either way.
  }
}

LONG __cdecl OleContainerOnFocus(ContendaContainer*) { return 0; }

LONG __cdecl OleContainerOnCommand(ContendaContainer* container, LONG command) {
  return Guarded(container, [command](OleContainer& c) {
    return c.RunCommand(static_cast<DWORD>(command));
  });
}

LONG __cdecl OleContainerUIActivateView(ContendaContainer* container, BOOL activate) {
  return Guarded(container, [activate](OleContainer& c) { return c.UIActivateView(activate); });
}

LONG __cdecl OleContainerPutNewConnectionString(ContendaContainer* container, const char* text) {
  if (container && !text) return E_POINTER;
  return Guarded(container, [text](OleContainer& c) {
    return contenda::WriteConnectionText(c, contenda::WideFromAnsi(text));
  });
}

const char* __cdecl OleContainerGetNewConnectionString(ContendaContainer* container) {
  static const char kEmpty[] = "";
  if (!container) return kEmpty;
  OleContainer& c = *Unwrap(container);
  try {
    c.connection_text().clear();
    std::wstring text;
    contenda::ReadConnectionText(c, text);
    c.connection_text() = contenda::AnsiFromWide(text);
    return c.connection_text().c_str();
  } catch (...) {
    return kEmpty;
  }
}

LONG __cdecl OleContainerOpenDataSource(ContendaContainer*, const char* path, const char* source,
                                        LONG flag, const char* connection, const char* sql) {
  try {
    return contenda::RunMailMerge(path, source, flag, connection, sql);
  } catch (...) {
    return kBrokeOff;
  }
}

LONG __cdecl OleContainerRefresh(ContendaContainer* container) {
  return Guarded(container, [](OleContainer& c) { return contenda::RefreshExternalData(c); });
}

}  // extern "C"
