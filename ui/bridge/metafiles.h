// Windows metafiles: made on a metafile context, loaded from files (plain or placeable) and
// played on a device context, for the printers' preview pages and pictures in a page.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ui/bridge/wmf_format.h"

namespace ui {

struct PlaceableMetafile {
  HMETAFILE metafile = nullptr;
  wmf::PlaceableHeader header;
};
// GETPMETAFILE: a placeable metafile file; nullopt when the file cannot be read, is shorter
// than its headers or its size field runs past its end.
std::optional<PlaceableMetafile> LoadPlaceableMetafile(const std::string& file);

// Registers CREATEMETAFILE, CLOSEMETAFILE, GETMETAFILE, DELETEMETAFILE, PLAYMETAFILE and
// GETPMETAFILE.
void RegisterMetafileFunctions();

}  // namespace ui
