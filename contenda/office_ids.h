// What the automation relies on from Word and Excel: interface identifiers and the DISPIDs
// of the members it calls by number.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace contenda {

// Dual interfaces of the Office type libraries: {xxxxxxxx-0000-0000-C000-000000000046}.
constexpr IID OfficeIid(unsigned long first) {
  return IID{first, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
}
inline constexpr IID kIidWordApplication = OfficeIid(0x00020970);
inline constexpr IID kIidWordDocument = OfficeIid(0x0002096B);
inline constexpr IID kIidExcelApplication = OfficeIid(0x000208D5);
inline constexpr IID kIidExcelWorksheet = OfficeIid(0x000208D8);

inline constexpr wchar_t kWordProgId[] = L"Word.Application";

// Locales of the two calls made by name with a locale of their own.
inline constexpr LCID kApplicationLookupLcid = 0x0800;  // LOCALE_SYSTEM_DEFAULT
inline constexpr LCID kQuitLcid = 0x0400;               // LOCALE_USER_DEFAULT

namespace excel {
inline constexpr DISPID kCount = 0x76;                    // collections, property get
inline constexpr DISPID kItem = 0xAA;                     // collections, method
inline constexpr DISPID kRefreshQueryTable = 0x2CD;       // QueryTable, method
inline constexpr DISPID kPivotCache = 0x5D8;              // PivotTable, method
inline constexpr DISPID kRefreshPivotCache = 0x589;       // PivotCache, method
inline constexpr DISPID kQueryTableConnection = 0x10598;  // QueryTable, property
inline constexpr DISPID kPivotCacheConnection = 0x598;    // PivotCache, property
}  // namespace excel

// Word's wdSendToNewDocument: a merge goes to a new document.
inline constexpr LONG kWordSendToNewDocument = 0;

}  // namespace contenda
