// A Word mail merge run in a Word instance of its own.
#pragma once

#include <windows.h>

namespace contenda {

// Opens document `path` in a new Word instance, attaches data source `source` (with the
// connection and SQL texts) and merges into a new document. Word is left running and visible.
// Returns the code of the first failing step among creating Word, opening the document,
// reading its mail merge and opening the data source; else the merge's. `flag` goes to the
// data source's Format argument as a boolean. Null connection or SQL text is empty text.
HRESULT RunMailMerge(const char* path, const char* source, int flag, const char* connection,
                     const char* sql);

}  // namespace contenda
