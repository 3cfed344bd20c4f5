// The standard function library of the runtime: the xBase functions that compiled text,
// index keys, menu actions and report expressions call, each family in its own file.
// InitRuntime() registers all of them; each Register* function may also be called alone.
//
//   strings.cpp        SUBSTR LEFT RIGHT AT RAT STUFF STRTRAN REPLICATE SPACE PADR/L/C
//                      TRIM RTRIM LTRIM ALLTRIM UPPER LOWER IS* CHR ASC DESCEND TRANSFORM
//   binary_strings.cpp L2BIN BIN2L I2BIN BIN2I W2BIN BIN2W
//   memo_lines.cpp     MEMOLINE MLCOUNT HARDCR
//   numbers.cpp        STR STRZERO VAL ROUND INT ABS MIN MAX MOD SQRT EXP LOG EMPTY
//   dates.cpp          DATE TIME SECONDS CTOD DTOC DTOS STOD DAY MONTH YEAR DOW CDOW CMONTH
//   arrays.cpp         ARRAY AADD ASIZE ADEL AINS AFILL ASCAN AEVAL ASORT ACLONE ACOPY ATAIL
//   files.cpp          FILE FERASE FRENAME FOPEN FCREATE FREAD FREADSTR FWRITE FSEEK FCLOSE
//                      FERROR MEMOREAD MEMOWRIT DIRECTORY MAKEDIR DIRREMOVE DIRCHANGE
//                      CURDIR DISKNAME __COPYFILE
//   environment.cpp    GETENV __QUIT ERRORLEVEL SETHANDLECOUNT TONE
//   codepage_functions.cpp  HB_SETCODEPAGE HB_ANSITOOEM HB_OEMTOANSI HB_LANGSELECT
//   get.cpp            the Get edit buffer: classes GET and TCLIPGET, GETNEW
#pragma once

namespace xb {

void RegisterStandardLibrary();

void RegisterStringFunctions();
void RegisterBinaryStringFunctions();
void RegisterMemoLineFunctions();
void RegisterNumberFunctions();
void RegisterDateFunctions();
void RegisterArrayFunctions();
void RegisterFileFunctions();
void RegisterEnvironmentFunctions();
void RegisterCodePageFunctions();

}  // namespace xb
