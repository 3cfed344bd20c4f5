/* Contenda.dll: hosts one OLE document per container and drives Word and Excel by automation.
   Plain C functions with the C calling convention; text is zero-terminated ANSI in the code
   page of the calling thread's locale. Results are 0 on success, else the failing call's
   HRESULT, or 1 when the operation broke off. */
#ifndef CONTENDA_CONTENDA_H
#define CONTENDA_CONTENDA_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ContendaContainer ContendaContainer;

ContendaContainer* __cdecl CreateOleContainer(void);
HWND __cdecl GetOleContainerHwnd(ContendaContainer* container);
LONG __cdecl OleContainerLoadDoc(ContendaContainer* container, const char* path);
LONG __cdecl OleContainerCloseDoc(ContendaContainer* container);
void __cdecl OleContainerDestroy(ContendaContainer* container);
LONG __cdecl OleContainerOnFocus(ContendaContainer* container);
LONG __cdecl OleContainerOnCommand(ContendaContainer* container, LONG command);
LONG __cdecl OleContainerUIActivateView(ContendaContainer* container, BOOL activate);
LONG __cdecl OleContainerPutNewConnectionString(ContendaContainer* container, const char* text);
const char* __cdecl OleContainerGetNewConnectionString(ContendaContainer* container);
LONG __cdecl OleContainerOpenDataSource(ContendaContainer* container, const char* path,
                                        const char* source, LONG flag, const char* connection,
                                        const char* sql);
LONG __cdecl OleContainerRefresh(ContendaContainer* container);

#ifdef __cplusplus
}
#endif

#endif
