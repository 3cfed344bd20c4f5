// The operations that drive the loaded document's application, Word or Excel, by automation.
#pragma once

#include <windows.h>

#include <string>

namespace contenda {

class OleContainer;

// Closes the document without saving and empties the container; quits Word when it has no
// document left, Excel when no sheet is active any more. With no document it detaches the
// container's frame and answers S_OK.
HRESULT CloseDocument(OleContainer& container);

// Refreshes the external data of the active Excel worksheet: its first query table, else the
// cache of its first pivot table. 1 when the document is no Excel workbook with an active
// worksheet.
HRESULT RefreshExternalData(OleContainer& container);

// The data connection text of the document: the query string of a Word mail merge's data
// source, or the connection of the active Excel worksheet's first query table, else of its
// first pivot cache. S_OK with nothing done when there is no such document.
HRESULT ReadConnectionText(OleContainer& container, std::wstring& text);
HRESULT WriteConnectionText(OleContainer& container, const std::wstring& text);

}  // namespace contenda
