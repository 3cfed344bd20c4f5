// Enhanced metafiles for the preview, each call binding its gdi32 entry by name: GETMETAFBE,
// SETWINMFB, PLAYEMF, DELETEEMF, GETEMFHEADER; and WMF2EMF, a Windows metafile file turned
// into an enhanced metafile.
#pragma once

#include <windows.h>

#include <string>

namespace output {

// The enhanced metafile of a Windows metafile file; null on failure.
HENHMETAFILE Wmf2Emf(const std::string& file);

void RegisterEmfFunctions();

}  // namespace output
