// The statements that build browse trees:
//
//   oTree := TREEBEGIN( "FOLDER_OPEN", "FOLDER" )
//      _TREEITEM( "Empresas" )
//      TREEBEGIN()
//         _TREEITEM( "Altas", , , "alta.bmp" )
//      TREEEND()                    // hung under "Empresas"
//   TREEEND()
//
// Pictures named by resource go into the browses' image strip (XLOADBITMAP), those of files
// are read once per name (READBITMAP) and belong to the outermost tree: its End deletes them.
#pragma once

#include <string>

#include "runtime/value.h"

namespace ui {

// TREEBEGIN(cBmpOpen, cBmpClose): a new list, the tree being built from now on.
xb::Value TreeBegin(const std::string& bmp_open, const std::string& bmp_close);
// _TREEITEM(cPrompt, cResOpen, cResClose, cFileOpen, cFileClose, lOpened): NIL outside a tree.
xb::Value TreeItem(const std::string& prompt, const std::string& res_open, const std::string& res_close,
                   const std::string& file_open, const std::string& file_close, bool opened);
// TREEEND(): the list ended, NIL when no tree is being built.
xb::Value TreeEnd();
// The trees being built (0 at rest).
int TreeDepth();

}  // namespace ui
